// The console's transcript widget: what it keeps and shows of appended text,
// rows of long lines, scrolling, selecting and copying.
#include "transcriptview.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class TstTranscriptView : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TranscriptView> m_view;

    // Appends the lines in several pieces, as a stream would deliver them.
    static void appendInPieces(TranscriptView &view, const QString &text, qsizetype piece) {
        for (qsizetype from = 0; from < text.size(); from += piece)
            view.appendText(QStringView(text).sliced(from, std::min(piece, text.size() - from)));
    }

private slots:
    void init() {
        m_view = std::make_unique<TranscriptView>();
        m_view->resize(260, 100);
        m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    void cleanup() { m_view.reset(); }

    void lineBreaks_data() {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("lastLineEmpty");
        QTest::newRow("nothing") << QStringList{} << QString() << 1 << true;
        QTest::newRow("CR LF lines")
            << QStringList{u"ab\r\ncd\r\n"_s} << u"ab\ncd\n"_s << 3 << true;
        QTest::newRow("CR LF split over two")
            << QStringList{u"ab\r"_s, u"\ncd"_s} << u"ab\ncd"_s << 2 << false;
        QTest::newRow("lone LF") << QStringList{u"a\nb\n\n"_s} << u"a\nb\n\n"_s << 4 << true;
        QTest::newRow("lone CR breaks nothing") << QStringList{u"a\rb"_s} << u"ab"_s << 1 << false;
        QTest::newRow("only CRs") << QStringList{u"\r\r"_s, u"\r"_s} << QString() << 1 << true;
        QTest::newRow("CR after the last break")
            << QStringList{u"x\r\n"_s, u"\r"_s} << u"x\n"_s << 2 << true;
        QTest::newRow("joined without separator")
            << QStringList{u"+STACH1=1,5"_s, u"00\r\n"_s, u"中文"_s} << u"+STACH1=1,500\n中文"_s
            << 2 << false;
    }

    void lineBreaks() {
        QFETCH(QStringList, pieces);
        QFETCH(QString, shown);
        QFETCH(int, rows);
        QFETCH(bool, lastLineEmpty);
        for (const QString &piece : pieces)
            m_view->appendText(piece);
        QCOMPARE(m_view->toPlainText(), shown);
        QCOMPARE(m_view->characterCount(), shown.size());
        QCOMPARE(m_view->rowCount(), qsizetype(rows));
        QCOMPARE(m_view->lastLineEmpty(), lastLineEmpty);
        QCOMPARE(m_view->isEmpty(), shown.isEmpty());
    }

    void largeTextStaysExact() {
        // Several storage chunks, pieces that straddle their borders.
        QString appended;
        for (int i = 0; appended.size() < 2 * TranscriptView::ChunkChars + 1000; ++i)
            appended += u"+STACH%1=1,%2 线路\r\n"_s.arg(i % 16).arg(i);
        appended += u"tail"_s;
        appendInPieces(*m_view, appended, 4093);
        const QString shown = QString(appended).remove(u'\r');
        QCOMPARE(m_view->toPlainText(), shown);
        QCOMPARE(m_view->rowCount(), shown.count(u'\n') + 1);
        const qsizetype border = TranscriptView::ChunkChars;
        QCOMPARE(m_view->textRange(border - 5, border + 5), shown.mid(border - 5, 10));
        QVERIFY(!m_view->lastLineEmpty());
    }

    void longLineInRows() {
        const QString line(100000, u'x');
        appendInPieces(*m_view, line, 7000);
        const qsizetype rows =
            (line.size() + TranscriptView::RowChars - 1) / TranscriptView::RowChars;
        QCOMPARE(m_view->rowCount(), rows);
        m_view->appendText(u"\r\nnext"_s);
        QCOMPARE(m_view->rowCount(), rows + 1);
        QCOMPARE(m_view->toPlainText(), line + u"\nnext"_s);

        // Painted, the widest row sets the horizontal range: one row, not the line.
        m_view->flush();
        m_view->repaint();
        const int rowWidth =
            m_view->fontMetrics().horizontalAdvance(QString(TranscriptView::RowChars, u'x'));
        QScrollBar *horizontal = m_view->horizontalScrollBar();
        QVERIFY(horizontal->maximum() > 0);
        QVERIFY(horizontal->maximum() <= rowWidth + 10);
    }

    void surrogatePairNotCut() {
        const QString face = QString::fromUcs4(U"\U0001F600");
        const QString text = QString(TranscriptView::RowChars - 1, u'a') + face + u"b"_s;
        m_view->appendText(text);
        QCOMPARE(m_view->rowCount(), qsizetype(2));
        QCOMPARE(m_view->toPlainText(), text);
    }

    void clearEmpties() {
        for (int i = 0; i < 200; ++i)
            m_view->appendText(u"line %1\r\n"_s.arg(i));
        m_view->selectAll();
        m_view->scrollToBottom();
        m_view->clear();
        QVERIFY(m_view->isEmpty());
        QVERIFY(m_view->lastLineEmpty());
        QCOMPARE(m_view->toPlainText(), QString());
        QCOMPARE(m_view->rowCount(), qsizetype(1));
        QCOMPARE(m_view->selectedText(), QString());
        QCOMPARE(m_view->verticalScrollBar()->maximum(), 0);
        m_view->appendText(u"again"_s);
        QCOMPARE(m_view->toPlainText(), u"again"_s);
    }

    void scrollsToTheEnd() {
        QScrollBar *bar = m_view->verticalScrollBar();
        for (int i = 0; i < 500; ++i)
            m_view->appendText(u"line %1\r\n"_s.arg(i));
        m_view->scrollToBottom();
        m_view->flush();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(m_view->lastVisibleRow(), m_view->rowCount() - 1);

        // Without a flush by hand the view follows with the event loop.
        for (int i = 0; i < 100; ++i)
            m_view->appendText(u"more %1\r\n"_s.arg(i));
        m_view->scrollToBottom();
        QTRY_COMPARE(m_view->lastVisibleRow(), m_view->rowCount() - 1);

        // Text added without a scroll leaves the view where the user put it.
        bar->setValue(3);
        m_view->appendText(u"quiet\r\n"_s);
        m_view->flush();
        QCOMPARE(m_view->firstVisibleRow(), qsizetype(3));
    }

    void keyboardSelectAndCopy() {
        m_view->appendText(u"hello\r\nworld"_s);
        m_view->setSelection(3, 8);
        QCOMPARE(m_view->selectedText(), u"lo\nwo"_s);
        QGuiApplication::clipboard()->clear();
        QTest::keySequence(m_view.get(), QKeySequence::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"lo\nwo"_s);
        QTest::keySequence(m_view.get(), QKeySequence::SelectAll);
        QCOMPARE(m_view->selectedText(), u"hello\nworld"_s);
    }

    void mouseSelects() {
        m_view->appendText(u"hello\r\nworld\r\nthird"_s);
        m_view->flush();
        QWidget *surface = m_view->viewport();
        const int row = m_view->fontMetrics().lineSpacing();
        QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(1, row / 2));
        QTest::mouseMove(surface, QPoint(surface->width() - 2, row + row / 2));
        QTest::mouseRelease(surface, Qt::LeftButton, {},
                            QPoint(surface->width() - 2, row + row / 2));
        QCOMPARE(m_view->selectedText(), u"hello\nworld"_s);
        // Shift extends from the same anchor.
        QTest::mouseClick(surface, Qt::LeftButton, Qt::ShiftModifier,
                          QPoint(surface->width() - 2, 2 * row + row / 2));
        QCOMPARE(m_view->selectedText(), u"hello\nworld\nthird"_s);
    }

    void contextMenu() {
        m_view->appendText(u"abc"_s);
        QStringList seen;
        QTimer::singleShot(0, this, [&seen] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction *action : menu->actions())
                seen.append(action->text() + (action->isEnabled() ? u" on"_s : u" off"_s));
            menu->actions().value(1)->trigger(); // "Select All"
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                m_view->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(m_view->viewport(), &event);
        QCOMPARE(seen, (QStringList{u"&Copy off"_s, u"Select All on"_s}));
        QCOMPARE(m_view->selectedText(), u"abc"_s);
    }
};

QTEST_MAIN(TstTranscriptView)
#include "tst_transcriptview.moc"
