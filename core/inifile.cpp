#include "inifile.h"

#include "gbk.h"

namespace {

bool isSectionHeader(const QByteArray &trimmedLine) {
    return trimmedLine.startsWith('[');
}

QString sectionName(const QByteArray &trimmedLine) {
    QByteArrayView name = QByteArrayView(trimmedLine).sliced(1);
    const qsizetype close = name.indexOf(']');
    if (close >= 0)
        name = name.first(close);
    return gbk::decode(name).trimmed();
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniDocument IniDocument::fromBytes(QByteArrayView bytes) {
    IniDocument doc;
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

QByteArray IniDocument::toBytes() const {
    QByteArray out;
    for (const QByteArray &line : m_lines) {
        out += line;
        out += "\r\n";
    }
    return out;
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
        if (eq >= 0 && sameName(gbk::decode(line.first(eq)).trimmed(), key))
            return i;
    }
    return -1;
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const {
    const qsizetype at = findKey(findSection(section), key);
    if (at < 0)
        return std::nullopt;
    const QByteArray &line = m_lines[at];
    return gbk::decode(line.sliced(line.indexOf('=') + 1).trimmed());
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value) {
    Q_ASSERT(!holdsLineBreak(value));
    const QByteArray line = gbk::encode(key) + '=' + gbk::encode(value);
    const SectionSpan span = findSection(section);
    if (span.header < 0) {
        m_lines.append('[' + gbk::encode(section) + ']');
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
