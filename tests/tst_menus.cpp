// The menus of the main window: saving and restoring the parameter fields,
// the shortcuts, "Introduction", the about window and "Exit".
#include "aboutwindow.h"
#include "boxwatcher.h"
#include "buildinfo.h"
#include "formaccess.h"
#include "mainwindow.h"
#include "settings.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <optional>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

namespace {

// The controls the menus work on, by their names on the form.
struct Form {
    explicit Form(const QWidget &w)
        : Cmb_Model(control<QComboBox>(w, "Cmb_Model"))
        , Edt_GATEWAY(control<QLineEdit>(w, "Edt_GATEWAY"))
        , Edt_MASK(control<QLineEdit>(w, "Edt_MASK"))
        , Edt_IP(control<QLineEdit>(w, "Edt_IP"))
        , Edt_DIP(control<QLineEdit>(w, "Edt_DIP"))
        , Edt_Port(control<QLineEdit>(w, "Edt_Port"))
        , Edt_DPort(control<QLineEdit>(w, "Edt_DPort"))
        , Cmb_Baud(control<QComboBox>(w, "Cmb_Baud"))
        , Cmb_DataBit(control<QComboBox>(w, "Cmb_DataBit"))
        , Cmb_StopBit(control<QComboBox>(w, "Cmb_StopBit"))
        , Cmb_Parity(control<QComboBox>(w, "Cmb_Parity"))
        , Edt_MAC(control<QLineEdit>(w, "Edt_MAC"))
        , MemoInfo(control<QPlainTextEdit>(w, "MemoInfo"))
        , GroupBox5(control<QWidget>(w, "GroupBox5"))
        , But_Clear(control<QPushButton>(w, "But_Clear"))
        , N3(control<QAction>(w, "N3"))
        , N4(control<QAction>(w, "N4"))
        , N10(control<QAction>(w, "N10"))
        , N11(control<QAction>(w, "N11"))
        , N12(control<QAction>(w, "N12")) {}

    QComboBox *Cmb_Model;
    QLineEdit *Edt_GATEWAY;
    QLineEdit *Edt_MASK;
    QLineEdit *Edt_IP;
    QLineEdit *Edt_DIP;
    QLineEdit *Edt_Port;
    QLineEdit *Edt_DPort;
    QComboBox *Cmb_Baud;
    QComboBox *Cmb_DataBit;
    QComboBox *Cmb_StopBit;
    QComboBox *Cmb_Parity;
    QLineEdit *Edt_MAC;
    QPlainTextEdit *MemoInfo;
    QWidget *GroupBox5;
    QPushButton *But_Clear;
    QAction *N3;
    QAction *N4;
    QAction *N10;
    QAction *N11;
    QAction *N12;
};

// Claims every key for text editing, as an edit does with Ctrl+D under the
// X11 key bindings (the offscreen platform has none of those).
class GreedyEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    bool event(QEvent *e) override {
        if (e->type() == QEvent::ShortcutOverride) {
            e->accept();
            return true;
        }
        return QLineEdit::event(e);
    }
};

QStringList memoLines(const QPlainTextEdit *memo) {
    return memo->toPlainText().split(QLatin1Char('\n'));
}

} // namespace

class TstMenus : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    std::unique_ptr<TFrmMain> m_window;
    std::optional<Form> u;

    QString path() const { return m_dir->filePath(QStringLiteral("CFG.ini")); }

    // Puts values in the twelve controls that differ from the design values
    // and from what a missing file restores.
    void fillDistinctValues() {
        u->Cmb_Model->setCurrentIndex(3);
        u->Edt_GATEWAY->setText(QStringLiteral("10.1.1.1"));
        u->Edt_MASK->setText(QStringLiteral("255.0.0.0"));
        u->Edt_IP->setText(QStringLiteral("10.1.1.9"));
        u->Edt_DIP->setText(QStringLiteral("10.1.1.200"));
        u->Edt_Port->setText(QStringLiteral("4001"));
        u->Edt_DPort->setText(QStringLiteral("4002"));
        u->Cmb_Baud->setCurrentIndex(12);
        u->Cmb_DataBit->setCurrentIndex(1);
        u->Cmb_StopBit->setCurrentIndex(3);
        u->Cmb_Parity->setCurrentIndex(2);
        u->Edt_MAC->setText(QStringLiteral("模块 AA:BB"));
    }

    void verifyDistinctValues() {
        QCOMPARE(u->Cmb_Model->currentIndex(), 3);
        QCOMPARE(u->Cmb_Model->currentText(), QStringLiteral("UDP_Server"));
        QCOMPARE(u->Edt_GATEWAY->text(), QStringLiteral("10.1.1.1"));
        QCOMPARE(u->Edt_MASK->text(), QStringLiteral("255.0.0.0"));
        QCOMPARE(u->Edt_IP->text(), QStringLiteral("10.1.1.9"));
        QCOMPARE(u->Edt_DIP->text(), QStringLiteral("10.1.1.200"));
        QCOMPARE(u->Edt_Port->text(), QStringLiteral("4001"));
        QCOMPARE(u->Edt_DPort->text(), QStringLiteral("4002"));
        QCOMPARE(u->Cmb_Baud->currentText(), QStringLiteral("115200"));
        QCOMPARE(u->Cmb_DataBit->currentText(), QStringLiteral("9"));
        QCOMPARE(u->Cmb_StopBit->currentText(), QStringLiteral("2"));
        QCOMPARE(u->Cmb_Parity->currentText(), QStringLiteral("Even"));
        QCOMPARE(u->Edt_MAC->text(), QStringLiteral("模块 AA:BB"));
    }

    void showActive() {
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void closeAbout() {
        if (FrmAbout) {
            FrmAbout->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

private slots:
    void init() {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        m_window = std::make_unique<TFrmMain>();
        m_window->setSettingsPath(path());
        u.emplace(*m_window);
    }
    void cleanup() {
        closeAbout();
        u.reset();
        m_window.reset();
    }
    void cleanupTestCase() {
        // The tests must not leave a settings file beside the executable.
        QVERIFY(!QFile::exists(settings::defaultFilePath()));
    }

#ifdef Q_OS_LINUX
    // Where Save and Restore keep their file: beside a portable copy, per user
    // for an installed copy or one whose folder the user cannot write.
    void settingsFileLocation_data() {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<bool>("beside");
        QTest::newRow("portable copy") << QStringLiteral("portable") << true;
        QTest::newRow("installed copy") << QStringLiteral("usr/bin") << false;
        QTest::newRow("Windows setup") << QStringLiteral("setup/bin") << false;
        QTest::newRow("closed folder") << QStringLiteral("closed") << false;
        QTest::newRow("closed folder, open file") << QStringLiteral("closedWithFile") << true;
    }
    void settingsFileLocation() {
        QFETCH(QString, programFolder);
        QFETCH(bool, beside);
        const QDir root(m_dir->path());
        const QStringList openFolders{QStringLiteral("portable"), QStringLiteral("usr/bin"),
                                      QStringLiteral("setup/bin")};
        const QStringList closedFolders{QStringLiteral("closed"), QStringLiteral("closedWithFile")};
        for (const QString &name : openFolders + closedFolders)
            QVERIFY(root.mkpath(name));
        QVERIFY(root.mkpath(QStringLiteral("usr/share/applications")));
        QFile desktopEntry(
            root.filePath(QStringLiteral("usr/share/applications/" OSTREL_APP_ID ".desktop")));
        QVERIFY(desktopEntry.open(QIODevice::WriteOnly));
        QFile uninstaller(root.filePath(QStringLiteral("setup/Uninstall.exe")));
        QVERIFY(uninstaller.open(QIODevice::WriteOnly));
        // The other user below keeps root's group, so the group's bits count
        // for it; group and others get the same.
        const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        const auto writable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        const auto closed = readable | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        const auto open = closed | writable;
        QFile openFile(root.filePath(QStringLiteral("closedWithFile/CFG.ini")));
        QVERIFY(openFile.open(QIODevice::WriteOnly));
        QVERIFY(openFile.setPermissions(readable | writable));
        QVERIFY(QFile::setPermissions(root.path(), closed));
        for (const QString &name : openFolders)
            QVERIFY(QFile::setPermissions(root.filePath(name), open));
        for (const QString &name : closedFolders)
            QVERIFY(QFile::setPermissions(root.filePath(name), closed));
        QCoreApplication::setApplicationName(QStringLiteral("ostrel"));
        const QString perUser =
            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
            QStringLiteral("/CFG.ini");

        // Root may write anywhere, so it asks as another user, real user id
        // included (access() goes by that one); the saved id allows the way back.
        const QString folder = root.filePath(programFolder);
        const bool asRoot = geteuid() == 0;
        if (asRoot)
            QCOMPARE(setresuid(65534, 65534, 0), 0);
        const QString chosen = settings::filePathFor(folder);
        if (asRoot)
            QCOMPARE(setresuid(0, 0, 0), 0);
        for (const QString &name : closedFolders)
            QVERIFY(QFile::setPermissions(root.filePath(name), open));
        QCOMPARE(chosen, beside ? QDir(folder).filePath(QStringLiteral("CFG.ini")) : perUser);
    }
#endif

    void saveAndRestoreByKeyboard() {
        // As the user's configuration folder before the first save.
        const QString newFolderFile = m_dir->filePath(QStringLiteral("config/ostrel/CFG.ini"));
        m_window->setSettingsPath(newFolderFile);
        showActive();
        fillDistinctValues();
        QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(QFile::exists(newFolderFile));

        for (QLineEdit *edit : {u->Edt_GATEWAY, u->Edt_MASK, u->Edt_IP, u->Edt_DIP, u->Edt_Port,
                                u->Edt_DPort, u->Edt_MAC})
            edit->setText(QStringLiteral("changed"));
        for (QComboBox *box :
             {u->Cmb_Model, u->Cmb_Baud, u->Cmb_DataBit, u->Cmb_StopBit, u->Cmb_Parity})
            box->setCurrentIndex(0);

        QTest::keyClick(m_window.get(), Qt::Key_D, Qt::ControlModifier);
        verifyDistinctValues();
    }

    // The case the shortcut exists for: the user has just picked an item and
    // the combo box (whose edit may claim Ctrl+D for itself) has the focus.
    void restoreWhileAControlHasFocus_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("Cmb_Model") << QStringLiteral("Cmb_Model");
        QTest::newRow("Edt_IP") << QStringLiteral("Edt_IP");
        QTest::newRow("MemoTCPSend") << QStringLiteral("MemoTCPSend");
        QTest::newRow("edit that claims the key") << QStringLiteral("GreedyEdit");
    }
    void restoreWhileAControlHasFocus() {
        QFETCH(QString, name);
        (new GreedyEdit(u->GroupBox5))->setObjectName(QStringLiteral("GreedyEdit"));
        fillDistinctValues();
        u->N11->trigger();
        u->Cmb_Model->setCurrentIndex(1);
        u->Cmb_Model->lineEdit()->selectAll();
        u->Edt_IP->setText(QStringLiteral("typed"));

        showActive();
        auto *focus = m_window->findChild<QWidget *>(name);
        QVERIFY(focus);
        focus->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), focus);
        QTest::keyClick(focus, Qt::Key_D, Qt::ControlModifier);

        verifyDistinctValues();
        QCOMPARE(QApplication::focusWidget(), u->MemoInfo);
    }

    void restoreWithoutFileGivesDefaults() {
        BoxWatcher watcher;
        fillDistinctValues();
        u->N10->trigger();
        QCOMPARE(u->Cmb_Model->currentText(), QStringLiteral("TCP_Server"));
        QCOMPARE(u->Cmb_Baud->currentText(), QStringLiteral("110"));
        QCOMPARE(u->Cmb_DataBit->currentText(), QStringLiteral("8"));
        QCOMPARE(u->Cmb_StopBit->currentText(), QStringLiteral("0.5"));
        QCOMPARE(u->Cmb_Parity->currentText(), QStringLiteral("None"));
        for (QLineEdit *edit : {u->Edt_GATEWAY, u->Edt_MASK, u->Edt_IP, u->Edt_DIP, u->Edt_Port,
                                u->Edt_DPort, u->Edt_MAC})
            QCOMPARE(edit->text(), QStringLiteral("0"));
        QVERIFY(watcher.boxes.isEmpty());
        QVERIFY(!QFile::exists(path()));
    }

    void indexOutsideTheListLeavesNoSelection() {
        QVERIFY(
            settings::WriteSetting(path(), QStringLiteral("BaudRate"), QStringLiteral("15")).ok);
        QVERIFY(settings::WriteSetting(path(), QStringLiteral("Model"), QStringLiteral("-1")).ok);
        u->N10->trigger();
        QCOMPARE(u->Cmb_Baud->currentIndex(), -1);
        QCOMPARE(u->Cmb_Baud->currentText(), QString());
        QCOMPARE(u->Cmb_Model->currentIndex(), -1);
        QCOMPARE(u->Cmb_Model->currentText(), QString());
        // Saved again as -1, not as the old item.
        u->N11->trigger();
        QCOMPARE(settings::ReadSetting(path(), QStringLiteral("BaudRate")), QStringLiteral("-1"));
    }

    void restoreRefreshesTypedComboText() {
        QVERIFY(settings::WriteSetting(path(), QStringLiteral("Model"), QStringLiteral("0")).ok);
        u->Cmb_Model->setEditText(QStringLiteral("typed by hand"));
        u->N10->trigger();
        QCOMPARE(u->Cmb_Model->currentText(), QStringLiteral("TCP_Server"));
    }

    void nonNumericIndexIsReportedOnce() {
        fillDistinctValues();
        QVERIFY(settings::saveSettings(path(), {}).ok);
        QVERIFY(settings::WriteSetting(path(), QStringLiteral("Model"), QStringLiteral("x")).ok);
        QVERIFY(settings::WriteSetting(path(), QStringLiteral("Parity"), QStringLiteral("odd")).ok);
        BoxWatcher watcher;
        u->N10->trigger();
        QCOMPARE(watcher.boxes.size(), 1);
        QCOMPARE(watcher.boxes[0].caption, QStringLiteral("提示"));
        QVERIFY(watcher.boxes[0].text.contains(QStringLiteral("Model")));
        QVERIFY(watcher.boxes[0].text.contains(QStringLiteral("Parity")));
        // Those two boxes keep their items, everything else is restored.
        QCOMPARE(u->Cmb_Model->currentText(), QStringLiteral("UDP_Server"));
        QCOMPARE(u->Cmb_Parity->currentText(), QStringLiteral("Even"));
        QCOMPARE(u->Cmb_Baud->currentText(), QStringLiteral("110"));
        QCOMPARE(u->Edt_IP->text(), QStringLiteral("0"));
    }

    void saveFailureNamesTheFile() {
        QFile blocker(m_dir->filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString target = m_dir->filePath(QStringLiteral("blocker/CFG.ini"));
        m_window->setSettingsPath(target);
        BoxWatcher watcher;
        u->N11->trigger();
        QCOMPARE(watcher.boxes.size(), 1);
        QCOMPARE(watcher.boxes[0].caption, QStringLiteral("提示"));
        QCOMPARE(watcher.boxes[0].icon, QMessageBox::Critical);
        QVERIFY2(watcher.boxes[0].text.contains(QDir::toNativeSeparators(target)),
                 qPrintable(watcher.boxes[0].text));
    }

    void introductionShowsTheInstructions_data() {
        QTest::addColumn<bool>("cleared");
        QTest::newRow("after start-up") << false;
        QTest::newRow("after clear display") << true;
    }
    void introductionShowsTheInstructions() {
        QFETCH(bool, cleared);
        const QStringList startup = memoLines(u->MemoInfo);
        QCOMPARE(startup.first(), QStringLiteral("操作说明："));
        const QStringList instructions = startup.mid(0, 6) << QString();
        if (cleared)
            u->But_Clear->click();
        const QStringList before = cleared ? QStringList() : startup;

        u->N3->trigger();
        QCOMPARE(memoLines(u->MemoInfo), before + instructions);
        // The view starts at the instructions' first line.
        const QTextCursor cursor = u->MemoInfo->textCursor();
        QCOMPARE(cursor.block().text(), QStringLiteral("操作说明："));
        QCOMPARE(cursor.blockNumber(), int(before.size()));
    }

    void aboutIsShownOnceAtATime() {
        QVERIFY(!FrmAbout);
        u->N4->trigger();
        QPointer<TFrmAbout> first = FrmAbout;
        QVERIFY(first);
        QVERIFY(first->isVisible());
        u->N4->trigger();
        QCOMPARE(FrmAbout, first.data());
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.begin(), windows.end(),
                               [](const QWidget *w) { return qobject_cast<const TFrmAbout *>(w); }),
                 1);

        first->close();
        QVERIFY(!FrmAbout);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first); // freed, not just hidden

        u->N4->trigger();
        QVERIFY(FrmAbout);
        QVERIFY(FrmAbout->isVisible());
    }

    void aboutWindowLooks() {
        u->N4->trigger();
        TFrmAbout *about = FrmAbout;
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QCOMPARE(about->windowTitle(), QStringLiteral("关于"));
        const Qt::WindowFlags flags = about->windowFlags();
        QVERIFY(flags & Qt::WindowStaysOnTopHint);
        QVERIFY(flags & Qt::WindowSystemMenuHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(!about->parentWidget());
        QCOMPARE(about->frameGeometry(), QRect(587, 226, 345, 185));
        auto *label = about->findChild<QLabel *>(QStringLiteral("Label1"));
        QVERIFY(label);
        QVERIFY(label->text().contains(QStringLiteral("Ostrel")));
        QVERIFY(label->text().contains(QStringLiteral("V1.01")));
        // Where the settings go depends on where the program lives.
        QVERIFY(label->text().contains(QDir::toNativeSeparators(path())));
        QCOMPARE(label->alignment(), Qt::AlignCenter);
        QCOMPARE(label->geometry(), about->rect());
        // Closing the main window must end the program even with the about
        // window still open.
        QVERIFY(!about->testAttribute(Qt::WA_QuitOnClose));
    }

    // Exit leaves every event loop, also one a message box would be running.
    void exitEndsTheProgram_data() {
        QTest::addColumn<bool>("nested");
        QTest::newRow("main loop") << false;
        QTest::newRow("inside a nested loop") << true;
    }
    void exitEndsTheProgram() {
        QFETCH(bool, nested);
        showActive();
        bool nestedLeft = !nested;
        QTimer::singleShot(0, this, [&] {
            if (!nested) {
                QTest::keyClick(m_window.get(), Qt::Key_Q, Qt::ControlModifier);
                return;
            }
            QEventLoop loop;
            QTimer::singleShot(0, this, [&] { u->N12->trigger(); });
            loop.exec();
            nestedLeft = true;
        });
        // Fails the test instead of hanging it when Exit does nothing.
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, this, [] { QCoreApplication::exit(1); });
        guard.start(20000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(nestedLeft);
    }
};

QTEST_MAIN(TstMenus)
#include "tst_menus.moc"
