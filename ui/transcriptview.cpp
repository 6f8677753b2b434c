#include "transcriptview.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

// One row laid out on one line, never wrapped: rows are short by design.
struct RowLayout {
    QTextLayout layout;
    QTextLine line;

    RowLayout(const QString &text, const QFont &font)
        : layout(text, font) {
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        line = layout.createLine();
        if (line.isValid()) {
            line.setLineWidth(1e7);
            line.setPosition(QPointF(0, 0));
        }
        layout.endLayout();
    }
};

} // namespace

TranscriptView::TranscriptView(QWidget *parent)
    : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    m_refreshTimer.setSingleShot(true);
    connect(&m_refreshTimer, &QTimer::timeout, this, &TranscriptView::refresh);
    updateScrollBars();
}

TranscriptView::~TranscriptView() = default;

void TranscriptView::ChunkFree::operator()(char16_t *chunk) const {
    std::free(chunk);
}

TranscriptView::Chunk TranscriptView::newChunk() {
    constexpr size_t bytes = size_t(ChunkChars) * sizeof(char16_t);
#ifdef __linux__
    void *chunk = std::aligned_alloc(bytes, bytes);
    if (chunk)
        ::madvise(chunk, bytes, MADV_HUGEPAGE); // a hint; small pages work too
#else
    void *chunk = std::malloc(bytes);
#endif
    if (!chunk)
        throw std::bad_alloc();
    return Chunk(static_cast<char16_t *>(chunk));
}

char16_t TranscriptView::charAt(qsizetype offset) const {
    return m_chunks[size_t(offset / ChunkChars)][size_t(offset % ChunkChars)];
}

void TranscriptView::store(QStringView text) {
    while (!text.isEmpty()) {
        const qsizetype used = m_size % ChunkChars;
        if (used == 0 && m_size / ChunkChars == qsizetype(m_chunks.size()))
            m_chunks.push_back(newChunk());
        const qsizetype n = std::min(text.size(), ChunkChars - used);
        std::copy_n(text.utf16(), n, m_chunks.back().get() + used);
        m_size += n;
        text = text.sliced(n);
    }
}

void TranscriptView::cutLongRow(qsizetype lineEnd) {
    while (lineEnd - m_rowStarts.back() > RowChars) {
        qsizetype cut = m_rowStarts.back() + RowChars;
        // A character outside the basic plane stays in one row.
        if (QChar::isHighSurrogate(charAt(cut - 1)))
            --cut;
        m_rowStarts.push_back(cut);
    }
}

void TranscriptView::addRows(QStringView text, qsizetype at) {
    for (qsizetype from = 0;;) {
        const qsizetype lineBreak = text.indexOf(u'\n', from);
        cutLongRow(at + (lineBreak < 0 ? text.size() : lineBreak));
        if (lineBreak < 0)
            return;
        m_rowStarts.push_back(at + lineBreak + 1);
        from = lineBreak + 1;
    }
}

void TranscriptView::appendText(QStringView text) {
    const qsizetype before = m_size;
    for (qsizetype from = 0; from < text.size();) {
        qsizetype cr = text.indexOf(u'\r', from);
        if (cr < 0)
            cr = text.size();
        const QStringView span = text.sliced(from, cr - from);
        const qsizetype at = m_size;
        store(span);
        addRows(span, at);
        from = cr + 1;
    }
    if (m_size != before)
        scheduleRefresh();
}

void TranscriptView::clear() {
    m_chunks.clear();
    m_size = 0;
    m_rowStarts.assign(1, 0);
    m_anchor = m_position = 0;
    m_widestRow = 0;
    m_scrollPending = false;
    m_stale = true;
    refresh();
}

void TranscriptView::scrollToBottom() {
    m_scrollPending = true;
    scheduleRefresh();
}

void TranscriptView::flush() {
    if (m_stale)
        refresh();
}

bool TranscriptView::lastLineEmpty() const {
    return m_size == 0 || charAt(m_size - 1) == u'\n';
}

QString TranscriptView::textRange(qsizetype from, qsizetype to) const {
    from = std::clamp<qsizetype>(from, 0, m_size);
    to = std::clamp<qsizetype>(to, from, m_size);
    QString text(to - from, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    while (from < to) {
        const qsizetype offset = from % ChunkChars;
        const qsizetype n = std::min(to - from, ChunkChars - offset);
        out = std::copy_n(m_chunks[size_t(from / ChunkChars)].get() + offset, n, out);
        from += n;
    }
    return text;
}

QString TranscriptView::toPlainText() const {
    return textRange(0, m_size);
}

qsizetype TranscriptView::rowEnd(qsizetype row) const {
    if (row + 1 >= rowCount())
        return m_size;
    const qsizetype next = m_rowStarts[size_t(row + 1)];
    // A row cut for length runs on into the next; a line ends at its break.
    return charAt(next - 1) == u'\n' ? next - 1 : next;
}

int TranscriptView::rowHeight() const {
    return std::max(1, fontMetrics().lineSpacing());
}

int TranscriptView::visibleRows() const {
    return std::max(1, viewport()->height() / rowHeight());
}

qsizetype TranscriptView::firstVisibleRow() const {
    return verticalScrollBar()->value();
}

qsizetype TranscriptView::lastVisibleRow() const {
    return std::min(rowCount(), firstVisibleRow() + visibleRows()) - 1;
}

QString TranscriptView::selectedText() const {
    return textRange(std::min(m_anchor, m_position), std::max(m_anchor, m_position));
}

void TranscriptView::setSelection(qsizetype anchor, qsizetype position) {
    m_anchor = std::clamp<qsizetype>(anchor, 0, m_size);
    m_position = std::clamp<qsizetype>(position, 0, m_size);
    viewport()->update();
}

void TranscriptView::selectAll() {
    setSelection(0, m_size);
}

void TranscriptView::copy() const {
    if (m_anchor != m_position)
        QGuiApplication::clipboard()->setText(selectedText());
}

void TranscriptView::updateScrollBars() {
    QScrollBar *vertical = verticalScrollBar();
    const int page = visibleRows();
    vertical->setPageStep(page);
    vertical->setSingleStep(1);
    vertical->setRange(0, int(std::clamp<qsizetype>(rowCount() - page, 0, INT_MAX)));
    QScrollBar *horizontal = horizontalScrollBar();
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(std::max(1, fontMetrics().averageCharWidth()));
    horizontal->setRange(0, std::max(0, m_widestRow + 2 * Margin - viewport()->width()));
}

void TranscriptView::scheduleRefresh() {
    m_stale = true;
    // Refreshing from here rather than only from the timer matters: while a
    // socket stays readable, the event loop may hold timers back.
    if (!m_sinceRefresh.isValid() || m_sinceRefresh.elapsed() >= RefreshIntervalMs) {
        refresh();
        return;
    }
    if (!m_refreshTimer.isActive())
        m_refreshTimer.start(int(RefreshIntervalMs - m_sinceRefresh.elapsed()));
}

void TranscriptView::refresh() {
    m_refreshTimer.stop();
    m_sinceRefresh.start();
    m_stale = false;
    updateScrollBars();
    if (std::exchange(m_scrollPending, false))
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    viewport()->update();
}

void TranscriptView::paintEvent(QPaintEvent *) {
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const int height = rowHeight();
    const qreal left = Margin - horizontalScrollBar()->value();
    const qsizetype selectionFrom = std::min(m_anchor, m_position);
    const qsizetype selectionTo = std::max(m_anchor, m_position);
    int widest = m_widestRow;
    int y = 0;
    for (qsizetype row = firstVisibleRow(); row < rowCount() && y < viewport()->height();
         ++row, y += height) {
        const qsizetype start = m_rowStarts[size_t(row)];
        const qsizetype end = rowEnd(row);
        RowLayout laidOut(textRange(start, end), font());
        if (!laidOut.line.isValid())
            continue;
        QList<QTextLayout::FormatRange> selection;
        if (selectionFrom < end && selectionTo > start) {
            QTextLayout::FormatRange range;
            range.start = int(std::max(selectionFrom, start) - start);
            range.length = int(std::min(selectionTo, end) - start) - range.start;
            range.format.setBackground(palette().brush(QPalette::Highlight));
            range.format.setForeground(palette().brush(QPalette::HighlightedText));
            selection.append(range);
        }
        laidOut.layout.draw(&painter, QPointF(left, y), selection);
        widest = std::max(widest, int(std::ceil(laidOut.line.naturalTextWidth())));
    }
    if (widest != m_widestRow) {
        m_widestRow = widest;
        updateScrollBars();
    }
}

void TranscriptView::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    QScrollBar *vertical = verticalScrollBar();
    const bool atBottom = vertical->value() == vertical->maximum();
    updateScrollBars();
    if (atBottom)
        vertical->setValue(vertical->maximum());
}

void TranscriptView::scrollContentsBy(int, int) {
    viewport()->update();
}

void TranscriptView::changeEvent(QEvent *event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_widestRow = 0;
        updateScrollBars();
        viewport()->update();
    }
}

qsizetype TranscriptView::offsetAt(QPoint point) const {
    const qsizetype row = std::clamp<qsizetype>(
        firstVisibleRow() + qsizetype(std::floor(double(point.y()) / rowHeight())), 0,
        rowCount() - 1);
    const qsizetype start = m_rowStarts[size_t(row)];
    const RowLayout laidOut(textRange(start, rowEnd(row)), font());
    if (!laidOut.line.isValid())
        return start;
    const qreal x = point.x() - Margin + horizontalScrollBar()->value();
    return start + laidOut.line.xToCursor(x);
}

void TranscriptView::keyPressEvent(QKeyEvent *event) {
    if (event == QKeySequence::Copy) {
        copy();
    } else if (event == QKeySequence::SelectAll) {
        selectAll();
    } else if (event == QKeySequence::MoveToStartOfDocument) {
        verticalScrollBar()->setValue(0);
    } else if (event == QKeySequence::MoveToEndOfDocument) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    } else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TranscriptView::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_position = offsetAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        m_anchor = m_position;
    m_selecting = true;
    viewport()->update();
}

void TranscriptView::mouseMoveEvent(QMouseEvent *event) {
    if (!m_selecting)
        return;
    const QPoint point = event->position().toPoint();
    // Dragging past an edge scrolls, a row per move.
    QScrollBar *vertical = verticalScrollBar();
    if (point.y() < 0)
        vertical->setValue(vertical->value() - 1);
    else if (point.y() >= viewport()->height())
        vertical->setValue(vertical->value() + 1);
    m_position = offsetAt(point);
    viewport()->update();
}

void TranscriptView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || !m_selecting) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    m_selecting = false;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (m_anchor != m_position && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void TranscriptView::contextMenuEvent(QContextMenuEvent *event) {
    QMenu menu(this);
    QAction *copyAction = menu.addAction(tr("&Copy"), this, &TranscriptView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(m_anchor != m_position);
    QAction *selectAllAction = menu.addAction(tr("Select All"), this, &TranscriptView::selectAll);
    selectAllAction->setShortcut(QKeySequence::SelectAll);
    selectAllAction->setEnabled(!isEmpty());
    menu.exec(event->globalPos());
}
