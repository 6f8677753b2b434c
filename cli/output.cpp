#include "output.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

// Terminals give East Asian wide characters two columns.
bool isWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

QJsonArray problemsJson(const QList<Problem> &problems) {
    QJsonArray array;
    for (const Problem &problem : problems)
        array.append(problem.json());
    return array;
}

} // namespace

qsizetype displayWidth(const QString &text) {
    qsizetype width = 0;
    for (const char32_t c : text.toUcs4())
        width += isWide(c) ? 2 : 1;
    return width;
}

QString printable(const QString &text) {
    const auto control = [](QChar c) {
        return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
    };
    if (std::ranges::none_of(text, control))
        return text;
    QString escaped;
    for (const QChar c : text) {
        if (!control(c)) {
            escaped += c;
            continue;
        }
        constexpr std::pair<char16_t, char16_t> Short[] = {
            {u'\b', u'b'}, {u'\f', u'f'}, {u'\n', u'n'}, {u'\r', u'r'}, {u'\t', u't'}};
        const auto shortForm =
            std::ranges::find(Short, c.unicode(), &std::pair<char16_t, char16_t>::first);
        if (shortForm != std::end(Short))
            escaped += u'\\' + QChar(shortForm->second);
        else
            escaped += u"\\u%1"_s.arg(c.unicode(), 4, 16, QChar(u'0'));
    }
    return escaped;
}

QString Problem::line() const {
    QStringList parts;
    for (const QString *part : {&module, &step, &message}) {
        if (!part->isEmpty())
            parts.append(*part);
    }
    return parts.join(u": "_s);
}

QJsonObject Problem::json() const {
    return {{u"module"_s, module}, {u"step"_s, step}, {u"message"_s, message}, {u"code"_s, code}};
}

QString Table::render() const {
    const auto escaped = [](const QStringList &cells) {
        QStringList shown;
        for (const QString &cell : cells)
            shown.append(printable(cell));
        return shown;
    };
    const QStringList headers = escaped(m_headers);
    QList<QStringList> rows;
    for (const QStringList &row : m_rows)
        rows.append(escaped(row));
    QList<qsizetype> widths;
    for (const QString &header : headers)
        widths.append(displayWidth(header));
    for (const QStringList &row : std::as_const(rows)) {
        for (qsizetype i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], displayWidth(row[i]));
    }
    QString text;
    const auto addLine = [&](const QStringList &cells) {
        QString line;
        for (qsizetype i = 0; i < cells.size() && i < widths.size(); ++i) {
            line += cells[i];
            if (i + 1 < cells.size())
                line += QString(widths[i] - displayWidth(cells[i]) + 2, u' ');
        }
        text += line + u'\n';
    };
    addLine(headers);
    for (const QStringList &row : std::as_const(rows))
        addLine(row);
    return text;
}

void Report::fail(int code, Problem problem) {
    exitCode = std::max(exitCode, code);
    errors.append(std::move(problem));
}

Output::Output(QIODevice &out, QIODevice &err, bool errIsTerminal)
    : m_out(out)
    , m_err(err)
    , m_errIsTerminal(errIsTerminal) {}

void Output::setMode(bool json, bool quiet) {
    m_json = json;
    m_quiet = quiet;
}

// One line that each call overwrites.
void Output::progress(const QString &text) {
    if (!m_errIsTerminal || m_quiet)
        return;
    writeErr(u"\r\x1b[K"_s + text);
    m_progressShown = true;
}

void Output::endProgress() {
    if (std::exchange(m_progressShown, false))
        writeErr(u"\r\x1b[K"_s);
}

void Output::usageError(const QString &command, const QString &message, bool json) {
    if (json) {
        Report report;
        report.fail(UsageError, {{}, u"usage"_s, message, u"usage"_s});
        QJsonObject usage = document(command, report);
        if (command.isEmpty())
            usage.insert(u"command"_s, QJsonValue::Null);
        writeOut(QJsonDocument(usage).toJson(QJsonDocument::Indented));
    }
    const QString help = command.isEmpty() ? u"ostrel-cli help"_s : u"ostrel-cli help "_s + command;
    writeErr(Words::tr("ostrel-cli: %1\nTry '%2'.\n").arg(printable(message), help));
}

QJsonObject Output::document(const QString &command, const Report &report) {
    QJsonObject document = report.fields;
    document.insert(u"command"_s, command);
    document.insert(u"ok"_s, report.exitCode == Done);
    document.insert(u"exitCode"_s, report.exitCode);
    document.insert(u"errors"_s, problemsJson(report.errors));
    document.insert(u"warnings"_s, problemsJson(report.warnings));
    return document;
}

void Output::report(const QString &command, const Report &report) {
    endProgress();
    if (m_json) {
        writeOut(QJsonDocument(document(command, report)).toJson(QJsonDocument::Indented));
    } else if (!m_quiet) {
        // A table without rows says nothing the error does not say better.
        QString text = report.table.hasRows() ? report.table.render() : QString();
        for (const QString &note : report.notes)
            text += printable(note) + u'\n';
        writeOut(text.toUtf8());
    }
    for (const Problem &problem : report.errors)
        writeErr(Words::tr("ostrel-cli: error: %1").arg(printable(problem.line())) + u'\n');
    if (!m_quiet) {
        for (const Problem &problem : report.warnings)
            writeErr(Words::tr("ostrel-cli: warning: %1").arg(printable(problem.line())) + u'\n');
    }
}

void Output::print(const QString &text) {
    writeOut(text.toUtf8());
}

void Output::writeOut(const QByteArray &bytes) {
    if (bytes.isEmpty() || outputFailed())
        return;
    if (m_out.write(bytes) != bytes.size()) {
        m_outError = m_out.errorString();
        if (m_outError.isEmpty())
            m_outError = Words::tr("not all of it could be written");
    }
}

void Output::writeErr(const QString &text) {
    m_err.write(text.toUtf8());
}

} // namespace cli
