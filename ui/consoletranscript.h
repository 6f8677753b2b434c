#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QPlainTextEdit;

// The console's transcript over a plain-text memo. Text is only ever added at
// the end, and what arrives within one short interval reaches the widget as
// one insertion: a flood of small datagrams or reads then costs one layout and
// one scroll per interval instead of one per arrival. A large backlog goes in
// slices, one per event-loop turn, so the GUI thread is never held long.
//
// What is shown is exactly the text appended, with "\r\n" (or a lone "\n") as
// the line break; a lone "\r" breaks no line. Line breaks become paragraph
// breaks of the document only every few kilobytes and line separators inside
// a paragraph otherwise: a document pays for each paragraph, and a peer that
// sends many short lines would make it the bottleneck. The widget shows and
// copies both kinds alike.
class ConsoleTranscript : public QObject {
    Q_OBJECT

public:
    static constexpr int FlushIntervalMs = 20;
    // Characters put into the widget in one go, and the paragraph size.
    static constexpr qsizetype SliceChars = 256 * 1024;
    static constexpr qsizetype ParagraphChars = 4096;

    explicit ConsoleTranscript(QPlainTextEdit *memo, QObject *parent = nullptr);

    void append(const QString &text);
    void clear();
    // Scrolls to the end once the pending text is in.
    void scrollToBottom();
    bool isEmpty() const;
    bool lastLineEmpty() const;

    // Puts all pending text into the widget now.
    void flush();

private:
    // Puts at most SliceChars of the pending text in; false when some is left.
    bool insertSlice();
    qsizetype pendingSize() const { return m_pending.size() - m_pendingFrom; }

    QPlainTextEdit *m_memo;
    // Not yet shown: m_pending from m_pendingFrom on.
    QString m_pending;
    qsizetype m_pendingFrom = 0;
    bool m_scrollPending = false;
    QTimer m_flushTimer;
};
