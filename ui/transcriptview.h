#pragma once

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

// A read-only transcript that only ever grows at the end, for a peer that may
// send megabytes a second for as long as the window is open.
//
// The text is kept once, as UTF-16 in fixed-size chunks (no copy of what is
// already stored when more arrives, no document structure per line), with
// the start of every row beside it; painting lays out only the rows in view.
// Appending therefore costs time in proportion to what arrives, and memory
// stays near two bytes a character.
//
// "\r\n" or a lone "\n" breaks a line; a lone "\r" breaks none and is not
// shown. A line longer than RowChars characters is shown in rows of
// RowChars, so that no single row makes painting or hit-testing slow.
//
// Scroll bars and the picture follow the text at most every
// RefreshIntervalMs, so a flood of small arrivals costs one repaint per
// interval; flush() brings them up to date at once.
class TranscriptView : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int RefreshIntervalMs = 20;
    static constexpr qsizetype RowChars = 512;
    // Characters per storage chunk: 2 MB, the size of a large memory page,
    // so that storing a flood takes one page fault per chunk, not hundreds.
    static constexpr qsizetype ChunkChars = 1024 * 1024;

    explicit TranscriptView(QWidget *parent = nullptr);
    ~TranscriptView() override;

    void appendText(QStringView text);
    void clear();
    // Shows the last row, once the scroll bar knows of the text appended.
    void scrollToBottom();
    void flush();

    bool isEmpty() const { return m_size == 0; }
    // True also when the transcript is empty.
    bool lastLineEmpty() const;
    // Characters shown; a line break counts one.
    qsizetype characterCount() const { return m_size; }
    qsizetype rowCount() const { return qsizetype(m_rowStarts.size()); }
    // The shown text, line breaks as "\n".
    QString toPlainText() const;
    // Characters from, to (store offsets, to exclusive).
    QString textRange(qsizetype from, qsizetype to) const;
    // The first and last shown rows of the viewport.
    qsizetype firstVisibleRow() const;
    qsizetype lastVisibleRow() const;

    QString selectedText() const;
    void setSelection(qsizetype anchor, qsizetype position);
    void selectAll();
    void copy() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    static constexpr int Margin = 4;

    char16_t charAt(qsizetype offset) const;
    void store(QStringView text);
    // Records the rows of text just stored from offset `at` on.
    void addRows(QStringView text, qsizetype at);
    void cutLongRow(qsizetype lineEnd);
    qsizetype rowEnd(qsizetype row) const;
    int rowHeight() const;
    int visibleRows() const;
    qsizetype offsetAt(QPoint point) const;
    void updateScrollBars();
    void scheduleRefresh();
    void refresh();

    struct ChunkFree {
        void operator()(char16_t *chunk) const;
    };
    using Chunk = std::unique_ptr<char16_t[], ChunkFree>;
    static Chunk newChunk();

    std::vector<Chunk> m_chunks;
    qsizetype m_size = 0;
    std::vector<qsizetype> m_rowStarts{0};
    qsizetype m_anchor = 0;
    qsizetype m_position = 0;
    bool m_selecting = false;
    // Widest row painted so far: measuring every row as it arrives would
    // cost more than storing it.
    int m_widestRow = 0;
    bool m_stale = false;
    bool m_scrollPending = false;
    QTimer m_refreshTimer;
    QElapsedTimer m_sinceRefresh;
};
