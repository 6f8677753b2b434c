#include "consoletranscript.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

ConsoleTranscript::ConsoleTranscript(QPlainTextEdit *memo, QObject *parent)
    : QObject(parent)
    , m_memo(memo) {
    // A transcript is never undone; an undo history would double its memory.
    m_memo->document()->setUndoRedoEnabled(false);
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(FlushIntervalMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &ConsoleTranscript::flush);
}

void ConsoleTranscript::append(const QString &text) {
    if (text.isEmpty())
        return;
    m_pending += text;
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void ConsoleTranscript::clear() {
    m_pending.clear();
    m_scrollPending = false;
    m_flushTimer.stop();
    m_memo->clear();
}

void ConsoleTranscript::scrollToBottom() {
    m_scrollPending = true;
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

bool ConsoleTranscript::isEmpty() const {
    return m_pending.isEmpty() && m_memo->document()->isEmpty();
}

bool ConsoleTranscript::lastLineEmpty() const {
    // The pending text decides when it holds anything but carriage returns.
    for (qsizetype i = m_pending.size() - 1; i >= 0; --i) {
        if (m_pending.at(i) != u'\r')
            return m_pending.at(i) == u'\n';
    }
    return m_memo->document()->lastBlock().text().isEmpty();
}

void ConsoleTranscript::flush() {
    m_flushTimer.stop();
    if (!m_pending.isEmpty()) {
        QString text = std::exchange(m_pending, QString());
        // The widget breaks lines at "\n"; "\r" of "\r\n" would show as a glyph.
        text.remove(u'\r');
        QTextCursor end(m_memo->document());
        end.movePosition(QTextCursor::End);
        end.insertText(text);
    }
    if (std::exchange(m_scrollPending, false)) {
        QScrollBar *bar = m_memo->verticalScrollBar();
        bar->setValue(bar->maximum());
    }
}
