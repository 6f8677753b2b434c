#pragma once

#include "words.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

namespace cli {

enum ExitCode : int {
    Done = 0,
    ModuleFailed = 1,
    UsageError = 2,
    NothingFound = 3, // also: the network failed
};

// What went wrong where: the module (MAC text, address or HOST:PORT), the
// step of the conversation, why in words (in the language in force), and the
// same as a code that never changes with the language, for scripts.
struct Problem {
    QString module;
    QString step;
    QString message;
    QString code;

    QString line() const;
    QJsonObject json() const;
};

// Columns padded to their widest cell; a Chinese character takes two columns
// of a terminal.
class Table {
public:
    Table() = default;
    explicit Table(QStringList headers)
        : m_headers(std::move(headers)) {}

    void addRow(QStringList cells) { m_rows.append(std::move(cells)); }
    bool hasRows() const { return !m_rows.isEmpty(); }
    QString render() const;

private:
    QStringList m_headers;
    QList<QStringList> m_rows;
};

// What a command hands back once it is done.
struct Report {
    int exitCode = Done;
    // The command's own members of the JSON document.
    QJsonObject fields;
    Table table;
    // Lines after the table.
    QStringList notes;
    QList<Problem> errors;
    QList<Problem> warnings;

    void fail(int code, Problem problem);
};

// Standard output carries the result only: one JSON document with --json,
// the table otherwise. Errors and warnings go to standard error, and so does
// progress, but only when a person watches it (a terminal).
class Output {
public:
    Output(QIODevice &out, QIODevice &err, bool errIsTerminal);

    void setMode(bool json, bool quiet);
    void progress(const QString &text);
    void endProgress();
    // With json, the document of a usage error on standard output as well,
    // so that a script reading it sees the failure.
    void usageError(const QString &command, const QString &message, bool json);
    void report(const QString &command, const Report &report);
    // Text of the program's own, such as its help.
    void print(const QString &text);

    // Whether everything written to standard output got there; a full disk
    // or a closed pipe would otherwise pass for success.
    bool outputFailed() const { return !m_outError.isEmpty(); }
    QString outputError() const { return m_outError; }

    // The document --json prints.
    static QJsonObject document(const QString &command, const Report &report);

private:
    void writeOut(const QByteArray &bytes);
    void writeErr(const QString &text);

    QIODevice &m_out;
    QIODevice &m_err;
    bool m_errIsTerminal;
    bool m_json = false;
    bool m_quiet = false;
    bool m_progressShown = false;
    QString m_outError;
};

// Columns text takes on a terminal: a Chinese character takes two.
qsizetype displayWidth(const QString &text);

// Control characters (C0, DEL, C1) written as JSON writes them, so that text
// from a module or a file can neither draw table lines of its own nor drive
// the terminal.
QString printable(const QString &text);

} // namespace cli
