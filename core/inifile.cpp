#include "inifile.h"

#include "gbk.h"

namespace {

// The lines of a Unicode file are kept as UTF-8 once the file's own mark is
// gone; a zero-width no-break space left at the start of a line or a value
// is text, which QString::fromUtf8 would drop.
QString utf8Text(QByteArrayView bytes) {
    return QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom)
        .decode(bytes);
}

struct ByteOrderMark {
    QByteArrayView bytes;
    QStringConverter::Encoding encoding;
};
constexpr ByteOrderMark Marks[] = {
    {"\xEF\xBB\xBF", QStringConverter::Utf8},
    {"\xFF\xFE", QStringConverter::Utf16LE},
    {"\xFE\xFF", QStringConverter::Utf16BE},
};

bool isSectionHeader(const QByteArray &trimmedLine) {
    return trimmedLine.startsWith('[');
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A value as the profile functions return it.
QByteArrayView unquoted(QByteArrayView value) {
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

} // namespace

std::optional<IniDocument> IniDocument::fromBytes(QByteArrayView bytes) {
    IniDocument doc;
    QByteArray utf8;
    for (const ByteOrderMark &mark : Marks) {
        if (!bytes.startsWith(mark.bytes))
            continue;
        const QByteArrayView body = bytes.sliced(mark.bytes.size());
        const QString text =
            QStringDecoder(mark.encoding, QStringConverter::Flag::ConvertInitialBom).decode(body);
        // Undecodable bytes turn into replacement characters, and a byte
        // left over at the end into nothing, so either fails to encode back.
        if (!text.isValidUtf16() || QByteArray(QStringEncoder(mark.encoding).encode(text)) != body)
            return std::nullopt;
        doc.m_unicode = mark.encoding;
        utf8 = text.toUtf8();
        bytes = utf8;
        break;
    }
    if (bytes.contains('\0'))
        return std::nullopt;

    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        QByteArrayView line = bytes.sliced(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        doc.m_lines.append(line.toByteArray());
        start = next;
    }
    return doc;
}

QByteArray IniDocument::toBytes(qsizetype minimumSize) const {
    QByteArray out;
    for (const QByteArray &line : m_lines) {
        out += line;
        out += "\r\n";
    }
    if (m_unicode)
        out = QStringEncoder(*m_unicode, QStringConverter::Flag::WriteBom).encode(utf8Text(out));
    // Blanks after the last line end read as an empty line. A space is one
    // byte in GBK and UTF-8, two in UTF-16, whose texts are of even length.
    if (out.size() < minimumSize) {
        const QByteArray space =
            m_unicode ? QByteArray(QStringEncoder(*m_unicode).encode(u" ")) : QByteArray(" ");
        out += space.repeated((minimumSize - out.size()) / space.size());
    }
    return out;
}

QString IniDocument::decode(QByteArrayView bytes) const {
    return m_unicode ? utf8Text(bytes) : gbk::decode(bytes);
}

QByteArray IniDocument::encode(const QString &text) const {
    return m_unicode ? text.toUtf8() : gbk::encode(text);
}

QString IniDocument::sectionName(const QByteArray &trimmedLine) const {
    QByteArrayView name = QByteArrayView(trimmedLine).sliced(1);
    const qsizetype close = name.indexOf(']');
    if (close >= 0)
        name = name.first(close);
    return decode(name).trimmed();
}

IniDocument::SectionSpan IniDocument::findSection(QStringView section) const {
    SectionSpan span;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QByteArray trimmed = m_lines[i].trimmed();
        if (!isSectionHeader(trimmed))
            continue;
        if (span.header >= 0) {
            span.end = i;
            return span;
        }
        if (sameName(sectionName(trimmed), section))
            span.header = i;
    }
    span.end = m_lines.size();
    return span;
}

qsizetype IniDocument::findKey(const SectionSpan &span, QStringView key) const {
    if (span.header < 0)
        return -1;
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        const QByteArray &line = m_lines[i];
        const qsizetype eq = line.indexOf('=');
        if (eq >= 0 && sameName(decode(line.first(eq)).trimmed(), key))
            return i;
    }
    return -1;
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const {
    const qsizetype at = findKey(findSection(section), key);
    if (at < 0)
        return std::nullopt;
    const QByteArray &line = m_lines[at];
    return decode(unquoted(QByteArrayView(line).sliced(line.indexOf('=') + 1)));
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value) {
    Q_ASSERT(!holdsLineBreak(value));
    QByteArray text = encode(value);
    if (unquoted(text).size() != text.size())
        text = '"' + text + '"';
    const QByteArray line = encode(key) + '=' + text;
    const SectionSpan span = findSection(section);
    if (span.header < 0) {
        m_lines.append('[' + encode(section) + ']');
        m_lines.append(line);
        return;
    }
    if (const qsizetype at = findKey(span, key); at >= 0) {
        m_lines[at] = line;
        return;
    }
    // After the section's last non-blank line, so the blank line that
    // separates it from the next section stays where it was.
    qsizetype insertAt = span.end;
    while (insertAt > span.header + 1 && m_lines[insertAt - 1].trimmed().isEmpty())
        --insertAt;
    m_lines.insert(insertAt, line);
}

bool IniDocument::holdsLineBreak(const QString &value) {
    return value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'));
}
