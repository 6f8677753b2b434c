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
    connect(&m_flushTimer, &QTimer::timeout, this, [this] {
        if (!insertSlice()) {
            m_flushTimer.start(0); // the rest on the next turn
            return;
        }
        m_flushTimer.setInterval(FlushIntervalMs);
    });
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
    m_pendingFrom = 0;
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
    return pendingSize() == 0 && m_memo->document()->isEmpty();
}

bool ConsoleTranscript::lastLineEmpty() const {
    // The pending text decides when it holds anything but carriage returns.
    for (qsizetype i = m_pending.size() - 1; i >= m_pendingFrom; --i) {
        if (m_pending.at(i) != u'\r')
            return m_pending.at(i) == u'\n';
    }
    const QString lastParagraph = m_memo->document()->lastBlock().text();
    return lastParagraph.isEmpty() || lastParagraph.endsWith(QChar::LineSeparator);
}

void ConsoleTranscript::flush() {
    while (!insertSlice()) {
    }
}

bool ConsoleTranscript::insertSlice() {
    m_flushTimer.stop();
    if (pendingSize() > 0) {
        QTextDocument *document = m_memo->document();
        const qsizetype size = std::min(pendingSize(), SliceChars);
        QString text;
        text.reserve(size);
        qsizetype paragraph = document->lastBlock().length();
        for (const QChar c : QStringView(m_pending).sliced(m_pendingFrom, size)) {
            if (c == u'\r')
                continue; // "\r\n" breaks a line by its "\n"
            if (c == u'\n') {
                const bool newParagraph = paragraph >= ParagraphChars;
                text += newParagraph ? u'\n' : QChar(QChar::LineSeparator);
                paragraph = newParagraph ? 0 : paragraph + 1;
                continue;
            }
            text += c;
            ++paragraph;
        }
        m_pendingFrom += size;
        if (m_pendingFrom == m_pending.size()) {
            m_pending.clear();
            m_pendingFrom = 0;
        }
        QTextCursor end(document);
        end.movePosition(QTextCursor::End);
        end.insertText(text);
        if (pendingSize() > 0)
            return false;
    }
    if (std::exchange(m_scrollPending, false)) {
        QScrollBar *bar = m_memo->verticalScrollBar();
        bar->setValue(bar->maximum());
    }
    return true;
}
