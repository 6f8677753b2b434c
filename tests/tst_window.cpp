// The main window as the user first sees it: controls, design values, states,
// control tables, start-up lines, timers, the socket's set-up, and the
// application object's handling of exceptions thrown by event handlers.
#include "application.h"
#include "boxwatcher.h"
#include "clock.h"
#include "configprotocol.h"
#include "formaccess.h"
#include "lampwidget.h"
#include "mainwindow.h"
#include "moduletable.h"
#include "sockettransport.h"
#include "transportrouter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// The text a control shows, whatever its kind.
QString shownText(const QWidget *w) {
    if (auto *edit = qobject_cast<const QLineEdit *>(w))
        return edit->text();
    if (auto *combo = qobject_cast<const QComboBox *>(w))
        return combo->currentText();
    if (auto *button = qobject_cast<const QAbstractButton *>(w))
        return button->text();
    if (auto *label = qobject_cast<const QLabel *>(w))
        return label->text();
    if (auto *group = qobject_cast<const QGroupBox *>(w))
        return group->title();
    return QStringLiteral("<no text: %1>").arg(QString::fromLatin1(w->metaObject()->className()));
}

QStringList comboItems(const QComboBox *combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

class Thrower : public QObject {
public:
    bool throwStd = true;

protected:
    bool event(QEvent *e) override {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        if (throwStd)
            throw std::runtime_error("handler failed");
        throw 42;
    }
};

} // namespace

class TstWindow : public QObject {
    Q_OBJECT

private:
    // Declared first: the window's waits outlive no clock.
    ManualClock m_clock;
    std::unique_ptr<TFrmMain> m_window;

    template <typename T> T *control(const QString &name) const {
        return ::control<T>(*m_window, qPrintable(name));
    }

private slots:
    void init() { m_window = std::make_unique<TFrmMain>(nullptr, m_clock); }
    void cleanup() { m_window.reset(); }

    void designTexts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const QList<std::pair<const char16_t *, const char16_t *>> rows = {
            {u"Cmb_Model", u"TCP_Server"},
            {u"Edt_GATEWAY", u"192.168.1.1"},
            {u"Edt_MASK", u"192.168.0.1"},
            {u"Edt_IP", u"192.168.1.199"},
            {u"Edt_DIP", u"192.168.1.100"},
            {u"Edt_Port", u"5000"},
            {u"Edt_DPort", u"6000"},
            {u"DCHP_Model", u"Close"},
            {u"Edt_MAC", u""},
            {u"Edt_Name", u""},
            {u"LaVersion", u""},
            {u"Cmb_Baud", u"9600"},
            {u"Cmb_DataBit", u"8"},
            {u"Cmb_StopBit", u"1"},
            {u"Cmb_Parity", u"None"},
            {u"Cmb_TCPMode", u"TCP server end"},
            {u"Edt_LocalPort", u"6000"},
            {u"Edt_RemoteIP", u"192.168.1.199"},
            {u"Edt_RemotePort", u"12345"},
            {u"Cmb_RemoteIP", u"NoConnect"},
            {u"Cmb_RemotePort", u"NoConnect"},
            {u"Edt_Time", u"100000"},
            {u"But_UDPFind", u"Search module "},
            {u"But_Read", u"Read specification"},
            {u"But_Default", u"Factory setting"},
            {u"But_OneKey", u"Write"},
            {u"But_IPCheck", u"Search"},
            {u"But_SetName", u"Setting"},
            {u"But_Clear", u"clear display"},
            {u"But_ReadVer", u"Firmware version"},
            {u"But_UARTCheck", u"Search"},
            {u"But_SetUART", u"Setting"},
            {u"But_TCPSend", u"Send"},
            {u"But_ClearSend", u"Clear send"},
            {u"Button2", u"Clear receive"},
            {u"But_RelayStateSet", u"Settings"},
            {u"But_RelayStateQuery", u"Search"},
            {u"Button3", u"Search"},
            {u"Label1", u"Work mode："},
            {u"Label7", u"Destination port："},
            {u"Label9", u"波特率："},
            {u"Label12", u"校验："},
            {u"Label16", u"Ver："},
            {u"Label19", u"Status："},
            {u"Label20", u"Timer："},
            {u"Label21", u"S"},
            {u"CheckBox1", u"Relay1"},
            {u"CheckBox15", u"Relay15"},
            {u"CheckBox16", u"All relay"},
            {u"CB_Relay_1", u"Attached"},
            {u"CB_Relay_0", u"Detatched"},
            {u"CheckBox17", u"Interface1"},
            {u"CheckBox21", u"Interface6"},
            {u"CheckBox22", u"Interface5"},
            {u"CheckBox28", u"Interface12"},
            {u"CheckBox31", u"All interfaces"},
            {u"GroupBox2", u"TCP/IP configuration settings："},
            {u"GroupBox3", u"Relay："},
            {u"GroupBox4", u"IP and Port："},
            {u"GroupBox5", u"Info display："},
            {u"GroupBox6", u"TCP/IP："},
            {u"GroupBox7", u"Receive："},
            {u"GroupBox8", u"Command sending："},
            {u"GroupBox9", u"Relay status："},
            {u"GroupBox10", u"Input interface status："},
            // The console's start-up layout has already run.
            {u"Label17", u"电脑IP:"},
            {u"Label18", u"电脑端口："},
            {u"Label_IP", u"目的IP："},
            {u"Label_Port", u"目的端口："},
            {u"But_TCPCtl", u"建立"},
        };
        for (const auto &[name, text] : rows) {
            const QString n = QString::fromUtf16(name);
            QTest::newRow(qPrintable(n)) << n << QString::fromUtf16(text);
        }
    }
    void designTexts() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        const QWidget *w = control<QWidget>(name);
        QVERIFY(w);
        QCOMPARE(shownText(w), text);
    }

    void comboItems_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("current");
        auto row = [](const char *name, const QStringList &items, int current) {
            QTest::newRow(name) << QString::fromLatin1(name) << items << current;
        };
        row("Cmb_Model", {u"TCP_Server"_s, u"TCP_Client"_s, u"UDP"_s, u"UDP_Server"_s}, 0);
        row("DCHP_Model", {u"Close"_s, u"Open"_s}, 0);
        row("Cmb_Baud",
            {u"110"_s, u"300"_s, u"600"_s, u"1200"_s, u"2400"_s, u"4800"_s, u"9600"_s, u"14400"_s,
             u"19200"_s, u"38400"_s, u"56000"_s, u"57600"_s, u"115200"_s, u"128000"_s, u"256000"_s},
            6);
        row("Cmb_DataBit", {u"8"_s, u"9"_s}, 0);
        row("Cmb_StopBit", {u"0.5"_s, u"1"_s, u"1.5"_s, u"2"_s}, 1);
        row("Cmb_Parity", {u"None"_s, u"Odd"_s, u"Even"_s}, 0);
        row("Cmb_TCPMode", {u"TCP server end"_s, u"TCP client"_s, u"UDP"_s}, 0);
        row("Cmb_RemoteIP", {u"NoConnect"_s}, 0);
        row("Cmb_RemotePort", {u"NoConnect"_s}, 0);
    }
    void comboItems() {
        QFETCH(QString, name);
        QFETCH(QStringList, items);
        QFETCH(int, current);
        const auto *combo = control<QComboBox>(name);
        QVERIFY(combo);
        QCOMPARE(::comboItems(combo), items);
        QCOMPARE(combo->currentIndex(), current);
        // Drop-down lists with an edit part: any text may be typed.
        QVERIFY(combo->isEditable());
    }

    void states_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("checked"); // -1: not a check box
        auto row = [](const char *name, bool enabled, int checked = -1) {
            QTest::newRow(name) << QString::fromLatin1(name) << enabled << checked;
        };
        row("LaVersion", false);
        row("But_RelayStateSet", false);
        row("But_RelayStateQuery", false);
        row("Button3", false);
        row("GroupBox2", true);
        row("GroupBox5", true);
        row("ListBoxIP", true);
        row("But_UDPFind", true);
        row("But_Read", true);
        row("But_Default", true);
        row("But_OneKey", true);
        row("But_Model", true);
        row("But_SetName", true);
        row("But_TCPCtl", true);
        row("CheckBox1", true, 1);
        row("CheckBox2", true, 0);
        row("CheckBox16", true, 0);
        row("CB_Relay_1", true, 0);
        row("CB_Relay_0", true, 1);
        row("CheckBox17", true, 1);
        row("CheckBox18", true, 0);
        row("CheckBox31", true, 0);
    }
    void states() {
        QFETCH(QString, name);
        QFETCH(bool, enabled);
        QFETCH(int, checked);
        const QWidget *w = control<QWidget>(name);
        QVERIFY(w);
        QCOMPARE(w->isEnabled(), enabled);
        if (checked >= 0) {
            auto *box = qobject_cast<const QCheckBox *>(w);
            QVERIFY(box);
            QCOMPARE(box->isChecked(), checked == 1);
        }
    }

    void uartControlsOutOfSight_data() {
        QTest::addColumn<QString>("name");
        for (const char *name :
             {"Label9", "Cmb_Baud", "Label10", "Cmb_DataBit", "Label11", "Cmb_StopBit", "Label12",
              "Cmb_Parity", "But_UARTCheck", "But_SetUART"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void uartControlsOutOfSight() {
        QFETCH(QString, name);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        auto *w = control<QWidget>(name);
        QVERIFY(w);
        const auto *group = control<QGroupBox>(u"GroupBox5"_s);
        QCOMPARE(w->parentWidget(), group);
        // Still there for the UART commands, but beyond the group's edge.
        QVERIFY(!w->isHidden());
        QVERIFY(w->x() >= group->width());
        QVERIFY(w->visibleRegion().isEmpty());
        // Tabbing must not land on a control the user cannot see.
        QCOMPARE(w->focusPolicy(), Qt::NoFocus);
    }

    void controlTables() {
        const auto &relayBoxes = m_window->relayBoxes();
        for (size_t slot = 0; slot < relayBoxes.size(); ++slot) {
            const QString name =
                slot == 0 ? QStringLiteral("CheckBox16") : QStringLiteral("CheckBox%1").arg(slot);
            QCOMPARE(relayBoxes[slot], control<QCheckBox>(name));
            QCOMPARE(relayBoxes[slot]->property("Tag").toInt(), int(slot));
        }
        const auto &inputBoxes = m_window->inputBoxes();
        for (size_t slot = 0; slot < inputBoxes.size(); ++slot) {
            const QString name = slot == 0 ? QStringLiteral("CheckBox31")
                                           : QStringLiteral("CheckBox%1").arg(16 + slot);
            QCOMPARE(inputBoxes[slot], control<QCheckBox>(name));
            QCOMPARE(inputBoxes[slot]->property("Tag").toInt(), int(slot));
        }
        // Slots follow control numbers; two captions are swapped on the form.
        QCOMPARE(inputBoxes[5]->text(), QStringLiteral("Interface6"));
        QCOMPARE(inputBoxes[6]->text(), QStringLiteral("Interface5"));

        const int relayLampNumbers[] = {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        const auto &relayLamps = m_window->relayLamps();
        for (size_t slot = 0; slot < relayLamps.size(); ++slot) {
            QCOMPARE(relayLamps[slot],
                     control<LampWidget>(QStringLiteral("Shape%1").arg(relayLampNumbers[slot])));
            // The lamp of relay k+1 sits in the row of the box captioned so.
            QCOMPARE(relayLamps[slot]->y(), relayBoxes[slot + 1]->y());
        }
        const auto &inputLamps = m_window->inputLamps();
        for (size_t slot = 0; slot < inputLamps.size(); ++slot) {
            QCOMPARE(inputLamps[slot],
                     control<LampWidget>(QStringLiteral("Shape%1").arg(17 + slot)));
            const QString caption = QStringLiteral("Interface%1").arg(slot + 1);
            const QCheckBox *box = nullptr;
            for (size_t k = 1; k < inputBoxes.size(); ++k)
                if (inputBoxes[k]->text() == caption)
                    box = inputBoxes[k];
            QVERIFY(box);
            QCOMPARE(inputLamps[slot]->y(), box->y());
        }
        // Shape7 is a lamp of the form but belongs to no relay.
        auto *shape7 = control<LampWidget>(QStringLiteral("Shape7"));
        QVERIFY(shape7);
        QVERIFY(std::find(relayLamps.begin(), relayLamps.end(), shape7) == relayLamps.end());
    }

    void lampsStartSilver() {
        const auto lamps = m_window->findChildren<LampWidget *>();
        QCOMPARE(lamps.size(), 15 + 12 + 1 + 1); // relays, inputs, Shape7, TCPStateDisplay
        for (const LampWidget *lamp : lamps)
            QCOMPARE(lamp->brushColor(), LampWidget::Silver);
        QCOMPARE(control<LampWidget>(u"TCPStateDisplay"_s)->size(), QSize(25, 25));
        QCOMPARE(control<LampWidget>(u"Shape1"_s)->size(), QSize(17, 17));
    }

    void lampPaintsItsColour_data() {
        QTest::addColumn<quint32>("bgr");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("silver") << LampWidget::Silver << QColor(192, 192, 192);
        QTest::newRow("red") << LampWidget::Red << QColor(255, 0, 0);
        QTest::newRow("lime") << LampWidget::Lime << QColor(0, 255, 0);
        QTest::newRow("blue") << quint32(0xFF0000) << QColor(0, 0, 255);
    }
    void lampPaintsItsColour() {
        QFETCH(quint32, bgr);
        QFETCH(QColor, colour);
        LampWidget lamp;
        lamp.resize(25, 25);
        lamp.setBrushColor(bgr);
        QCOMPARE(lamp.brushColor(), bgr);
        QCOMPARE(LampWidget::toQColor(bgr), colour);
        const QImage image = lamp.grab().toImage();
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2).rgb(), colour.rgb());
    }

    void memoStartupLines() {
        const QStringList expected = {
            QStringLiteral("操作说明："),
            QStringLiteral("  1、搜索模块 按键：在TCP模式下可用，搜索到的模块将在左边的框内显示"),
            QStringLiteral("  2、读参数 按键：将模块所有可读参数均读取出显示"),
            QStringLiteral("  3、出厂设置 按键：将所有的参数恢复为出厂默认值"),
            QStringLiteral("  4、一键写入 按键：将所有的参数写入到模块中"),
            QStringLiteral("  5、每个参数都有独立的 查询 及 设置 的按键"),
            QStringLiteral("软件刚打开默认通讯方式为：UDP"),
            QString(),
        };
        QCOMPARE(control<QPlainTextEdit>(u"MemoInfo"_s)->toPlainText().split(QLatin1Char('\n')),
                 expected);
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Ostrel V1.01 "));
    }

    void clearDisplayEmptiesMemo() {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const auto *memo = control<QPlainTextEdit>(u"MemoInfo"_s);
        QVERIFY(!memo->toPlainText().isEmpty());
        QTest::mouseClick(control<QPushButton>(u"But_Clear"_s), Qt::LeftButton);
        QCOMPARE(memo->toPlainText(), QString());
        QCOMPARE(memo->document()->blockCount(), 1);
    }

    void windowFrame() {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Ostrel V1.01 "));
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
        const Qt::WindowFlags flags = m_window->windowFlags();
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(flags & Qt::WindowSystemMenuHint);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QCOMPARE(m_window->centralWidget()->size(), QSize(876, 579));
        QCOMPARE(m_window->pos(), QPoint(250, 80));
        // Every group of the window lies inside the client area.
        for (const QGroupBox *group : m_window->findChildren<QGroupBox *>()) {
            const QRect r(group->mapTo(m_window->centralWidget(), QPoint()), group->size());
            QVERIFY2(QRect(0, 0, 876, 579).contains(r), qPrintable(group->objectName()));
        }
    }

    void menu() {
        const auto *file = control<QMenu>(u"N9"_s);
        const auto action = [this](const char *name) {
            return ::control<QAction>(*m_window, name);
        };
        QCOMPARE(file->title(), QStringLiteral("File"));
        const QList<QAction *> top = m_window->menuBar()->actions();
        const auto *adapters = control<QMenu>(u"MenuAdapter"_s);
        QCOMPARE(adapters->title(), QStringLiteral("Network adapter"));
        const auto *languages = control<QMenu>(u"MenuLanguage"_s);
        QCOMPARE(top, (QList<QAction *>{file->menuAction(), adapters->menuAction(),
                                        languages->menuAction(), action("N3"), action("N4")}));
        QCOMPARE(action("N3")->text(), QStringLiteral("Introduction"));
        QCOMPARE(action("N4")->text(), QStringLiteral("About"));
        QCOMPARE(file->actions(), (QList<QAction *>{action("N10"), action("N11"), action("N12")}));
        QCOMPARE(action("N10")->text(), QStringLiteral("Restore settings"));
        QCOMPARE(action("N11")->text(), QStringLiteral("Save"));
        QCOMPARE(action("N12")->text(), QStringLiteral("Exit"));
        QCOMPARE(action("N10")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
        QCOMPARE(action("N11")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
        QCOMPARE(action("N12")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QVERIFY(action("N3")->shortcut().isEmpty());
    }

    void hintsAndHiddenLink() {
        const auto *time = control<QLineEdit>(u"Edt_Time"_s);
        QCOMPARE(time->toolTip(), QStringLiteral("无输入，不定时"));
        QCOMPARE(time->width(), 80);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const auto *link = control<QLabel>(u"RzURLLabel1"_s);
        QVERIFY(!link->isVisible());
        QVERIFY(link->text().contains(QStringLiteral("RzURLLabel1")));
    }

    void tabOrder() {
        // The configuration half in the order of the design.
        const QStringList order = {
            u"But_UDPFind"_s, u"ListBoxIP"_s,   u"But_Default"_s, u"Cmb_Model"_s,   u"But_Model"_s,
            u"Edt_GATEWAY"_s, u"But_GATEWAY"_s, u"Edt_MASK"_s,    u"But_MASK"_s,    u"Edt_IP"_s,
            u"But_IP"_s,      u"Edt_DIP"_s,     u"But_DIP"_s,     u"Edt_Port"_s,    u"But_Port"_s,
            u"Edt_DPort"_s,   u"But_DPort"_s,   u"Edt_MAC"_s,     u"But_SetMAC"_s,  u"But_Clear"_s,
            u"MemoInfo"_s,    u"But_Read"_s,    u"But_OneKey"_s,  u"But_IPCheck"_s, u"DCHP_Model"_s,
            u"But_SetDCHP"_s, u"Edt_Name"_s,    u"But_SetName"_s,
        };
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        // Pressed, not read from the focus chain: a control that keeps the
        // key for itself (a memo typing a tab) breaks the order too.
        control<QWidget>(order.first())->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), control<QWidget>(order.first()));
        qsizetype next = 1;
        for (int steps = 0; steps < 100 && next < order.size(); ++steps) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (QApplication::focusWidget()->objectName() == order[next])
                ++next;
        }
        QVERIFY2(next == order.size(), qPrintable(u"stopped before "_s + order.value(next)));
    }

    void consoleStartupLayout() {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        auto *clients = control<QComboBox>(u"Cmb_RemoteIP"_s);
        const auto *remoteIp = control<QLineEdit>(u"Edt_RemoteIP"_s);
        // The client list covers the destination address in server mode.
        QCOMPARE(clients->pos(), remoteIp->pos());
        QVERIFY(clients->isVisible());
        QVERIFY(control<QComboBox>(u"Cmb_RemotePort"_s)->isVisible());
        QVERIFY(remoteIp->isVisible());
        QVERIFY(control<QLineEdit>(u"Edt_RemotePort"_s)->isVisible());
        QWidget *onTop = control<QGroupBox>(u"GroupBox6"_s)->childAt(remoteIp->geometry().center());
        QVERIFY(onTop == clients || clients->isAncestorOf(onTop));
    }

    void socketAfterSetup() {
        const auto *transport = m_window->findChild<SocketTransport *>();
        QVERIFY(transport);
        QVERIFY(!transport->isOpen());
        QCOMPARE(m_window->router().holder(), TransportRouter::Holder::Configuration);
        QCOMPARE(control<QLineEdit>(u"Edt_LocalIP"_s)->text(), SocketTransport::ownAddress());
    }

    // A line picked with the arrow keys reads its module as a mouse pick does,
    // and clicking the picked line again starts a new read.
    void moduleListPicks() {
        auto *config = m_window->findChild<ConfigProtocol *>();
        QVERIFY(config);
        ModuleTable &modules = config->modules();
        modules.clear();
        auto *list = control<QListWidget>(u"ListBoxIP"_s);
        for (int i = 0; i < 2; ++i) {
            const QByteArray mac = "02:00:c0:a8:01:c" + QByteArray::number(7 + i);
            list->addItem(modules.add(quint32(0xC701A8C0u + (quint32(i) << 24)), 5000, mac, {}));
        }
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        list->setFocus();
        // The picked module's read-all has started; it is stopped before it
        // would find the network closed.
        const auto readStarted = [this, config] {
            const bool started = m_clock.nextEndMs() == 30;
            config->selectedSession()->stop();
            return started;
        };

        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(config->selectedSession()->moduleMac(), QByteArray("02:00:c0:a8:01:c8"));
        QVERIFY(readStarted());

        const QRect picked = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, picked.center());
        QVERIFY(readStarted());

        const QRect first = list->visualItemRect(list->item(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(config->selectedSession()->moduleMac(), QByteArray("02:00:c0:a8:01:c7"));
        QVERIFY(readStarted());
        modules.clear();
    }

    // What the configuration side tells the user comes in a box captioned
    // "提示": an input error with a stop icon and OK, a protocol event with
    // OK and Cancel.
    void noticesAreMessageBoxes() {
        ModuleTable &modules = m_window->findChild<ConfigProtocol *>()->modules();
        modules.clear();
        auto *list = control<QListWidget>(u"ListBoxIP"_s);
        list->addItem(modules.add(0xC701A8C0u, 5000, "02:00:c0:a8:01:c7", {}));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        BoxWatcher watcher;
        control<QPushButton>(u"But_Read"_s)->click();
        list->setCurrentRow(0); // reads the module over a network never opened
        m_clock.advance(30);
        QTRY_COMPARE(watcher.boxes.size(), 2);
        const BoxWatcher::Box &error = watcher.boxes[0];
        QCOMPARE(error.caption, u"提示"_s);
        QCOMPARE(error.text, u"请选择IP！"_s);
        QCOMPARE(error.icon, QMessageBox::Critical);
        QCOMPARE(error.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        const BoxWatcher::Box &event = watcher.boxes[1];
        QCOMPARE(event.caption, u"提示"_s);
        QCOMPARE(event.text, u"UDP没建立"_s);
        QCOMPARE(event.icon, QMessageBox::NoIcon);
        QCOMPARE(event.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        modules.clear();
    }

    void closingClosesSocket() {
        Transport *transport = m_window->transport();
        Transport::Endpoints loopback;
        loopback.localHost = u"127.0.0.1"_s;
        if (!transport->open(loopback))
            QSKIP("the socket cannot be opened on loopback here");
        m_window->show();
        QVERIFY(m_window->close());
        QVERIFY(!transport->isOpen());
    }

    void exceptionInHandlerIsShown() {
        QStringList shown;
        OstrelApplication::setExceptionDisplay([&](const QString &text) { shown << text; });
        Thrower thrower;
        QEvent event(QEvent::User);
        QCOMPARE(QCoreApplication::sendEvent(&thrower, &event), false);
        thrower.throwStd = false;
        QCoreApplication::sendEvent(&thrower, &event);
        OstrelApplication::setExceptionDisplay({});
        QCOMPARE(shown, (QStringList{u"handler failed"_s, QString()}));
    }
};

int main(int argc, char *argv[]) {
    OstrelApplication app(argc, argv);
    TstWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window.moc"
