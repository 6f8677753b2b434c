#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QPlainTextEdit;

// The console's transcript over a plain-text memo. Text is only ever added at
// the end, and what arrives within one short interval reaches the widget as
// one insertion: a flood of small datagrams or reads then costs one layout
// and one scroll per interval instead of one per arrival, and the GUI thread
// stays responsive. What is shown is exactly the text appended, with "\r\n"
// (or a lone "\n") as the line break; a lone "\r" breaks no line.
class ConsoleTranscript : public QObject {
    Q_OBJECT

public:
    static constexpr int FlushIntervalMs = 20;

    explicit ConsoleTranscript(QPlainTextEdit *memo, QObject *parent = nullptr);

    void append(const QString &text);
    void clear();
    // Scrolls to the end once the pending text is in.
    void scrollToBottom();
    bool isEmpty() const;
    bool lastLineEmpty() const;

    // Puts the pending text into the widget now.
    void flush();

private:
    QPlainTextEdit *m_memo;
    QString m_pending;
    bool m_scrollPending = false;
    QTimer m_flushTimer;
};
