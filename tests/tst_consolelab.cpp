// The test console in the real window against simulated modules in their
// working mode, across the virtual lab's cable (private namespaces only).
#include "cmsocket_testutil.h"
#include "formaccess.h"
#include "labfixture.h"
#include "lampwidget.h"
#include "mainwindow.h"
#include "parameters.h"
#include "sockettransport.h"
#include "transcriptview.h"
#include "transportrouter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

class TstConsoleLab : public QObject {
    Q_OBJECT

private:
    // A lab whose modules work in the given mode towards 192.168.1.10:6000.
    static LabFixture::Options workingMode(int modules, int mode) {
        LabFixture::Options options;
        options.modules = modules;
        options.simArguments = {QStringLiteral("--mode"),  QString::number(mode),
                                QStringLiteral("--dip"),   QStringLiteral("192.168.1.10"),
                                QStringLiteral("--dport"), QStringLiteral("6000")};
        return options;
    }
    static void click(TFrmMain &window, const char *name) {
        control<QAbstractButton>(window, name)->click();
    }
    static void type(TFrmMain &window, const char *name, const QString &text) {
        control<QLineEdit>(window, name)->setText(text);
    }
    static QComboBox *list(TFrmMain &window, const char *name) {
        return control<QComboBox>(window, name);
    }
    static quint32 lamp(TFrmMain &window, const char *name) {
        return control<LampWidget>(window, name)->brushColor();
    }
    static QString caption(TFrmMain &window) {
        return control<QPushButton>(window, "But_TCPCtl")->text();
    }
    static bool isOpen(TFrmMain &window) { return window.transport()->isOpen(); }
    // Opens the console on the computer's lab address, port 6000.
    static void openOnLabPort(TFrmMain &window, int mode) {
        list(window, "Cmb_TCPMode")->setCurrentIndex(mode);
        type(window, "Edt_LocalIP", QStringLiteral("192.168.1.10"));
        type(window, "Edt_LocalPort", QStringLiteral("6000"));
        click(window, "But_TCPCtl");
    }
    // Connects to the first module's server.
    static void connectToModule(TFrmMain &window, LabFixture &lab) {
        list(window, "Cmb_TCPMode")->setCurrentIndex(1);
        type(window, "Edt_RemoteIP", QString::fromLatin1(lab.modules().at(0).ip));
        type(window, "Edt_RemotePort", QStringLiteral("12345"));
        click(window, "But_TCPCtl");
    }
    static QString shown(TFrmMain &window) {
        return control<TranscriptView>(window, "MemoTCPRec")->toPlainText();
    }
    // The user picks a mode in the selector.
    static void pickMode(TFrmMain &window, int mode) {
        QComboBox *modes = list(window, "Cmb_TCPMode");
        modes->setCurrentIndex(mode);
        emit modes->activated(mode);
    }
    // Adds or deletes a route on the module side that swallows everything
    // addressed to the computer.
    static bool routeBack(LabFixture &lab, const char *verb) {
        return QProcess::execute(QStringLiteral("ip"),
                                 {QStringLiteral("-n"), lab.fieldNamespace(),
                                  QStringLiteral("route"), QLatin1String(verb),
                                  QStringLiteral("blackhole"),
                                  QLatin1String(lab.computerIp() + "/32")}) == 0;
    }

private slots:
    void clientToAModuleServer() {
        LabFixture lab;
        LAB_SETUP_OR_SKIP(lab);
        TFrmMain window;
        connectToModule(window, lab);
        QTRY_VERIFY(isOpen(window));
        QTRY_COMPARE(lamp(window, "TCPStateDisplay"), LampWidget::Red);

        // Relay 3 on with a time: its lamp turns lime, the module's relay is on.
        click(window, "CheckBox3");
        click(window, "CB_Relay_1");
        type(window, "Edt_Time", QStringLiteral("30"));
        click(window, "But_RelayStateSet");
        QTRY_COMPARE(lamp(window, "Shape3"), LampWidget::Lime);
        QByteArray relays, inputs;
        QVERIFY(lab.sim().state(1, &relays, &inputs));
        QCOMPARE(relays.at(2), '1');
        // The re-poll after the answer asks for all relays.
        QTRY_VERIFY(shown(window).contains(QStringLiteral("AT+STACH0=?")));
        // The module answers an "all" query relay by relay; an arrival that
        // holds a relay reply is read as one, so let them all come first.
        QTRY_COMPARE_WITH_TIMEOUT(shown(window).count(QStringLiteral("+STACH")), 2 + 1 + 15, 5000);
        QTest::qWait(100);

        // Input lamps follow the simulated inputs.
        click(window, "CheckBox20"); // "Interface4"
        QVERIFY(lab.sim().setInput(1, 4, true));
        click(window, "Button3");
        QTRY_COMPARE(lamp(window, "Shape20"), LampWidget::Lime);
        QVERIFY(lab.sim().setInput(1, 4, false));
        click(window, "Button3");
        QTRY_COMPARE(lamp(window, "Shape20"), LampWidget::Red);
        click(window, "But_TCPCtl");
        QVERIFY(!isOpen(window));
    }

    void serverWithTwoModuleClients() {
        LabFixture lab(workingMode(2, 1));
        LAB_SETUP_OR_SKIP(lab);
        TFrmMain window;
        openOnLabPort(window, 0);
        QVERIFY(isOpen(window));
        QComboBox *clients = list(window, "Cmb_RemoteIP");
        QTRY_COMPARE_WITH_TIMEOUT(clients->count(), 3, 15000);
        QCOMPARE(caption(window), QStringLiteral("断开"));

        // Only the module selected in the list answers.
        clients->setCurrentIndex(2);
        const QString selected = clients->itemText(2);
        click(window, "CheckBox31"); // "All interfaces"
        click(window, "CheckBox22"); // "Interface5"
        QVERIFY(lab.sim().setInput(1, 5, true));
        QVERIFY(lab.sim().setInput(2, 5, true));
        click(window, "Button3");
        QTRY_COMPARE(lamp(window, "Shape21"), LampWidget::Lime);
        QTest::qWait(300);
        QCOMPARE(parameters::addressText(window.router().lastPeer().ip), selected);
        QCOMPARE(shown(window).count(QStringLiteral("+OCCH5=1")), 1);
    }

    void serverClosedAfterAModeChange() {
        LabFixture lab(workingMode(2, 1));
        LAB_SETUP_OR_SKIP(lab);
        TFrmMain window;
        QComboBox *clients = list(window, "Cmb_RemoteIP");
        const int descriptors = cmtest::openDescriptors();
        openOnLabPort(window, 0);
        QTRY_COMPARE_WITH_TIMEOUT(clients->count(), 3, 15000);

        // Another mode picked while the server is open: a client that comes
        // now is still one of its connections, and closing ends them all.
        pickMode(window, 2);
        const TcpLine late(TcpLine::connectTo(lab.computerIp(), 6000));
        QVERIFY(late.isOpen());
        QTRY_COMPARE(clients->count(), 4);
        click(window, "But_TCPCtl");
        QVERIFY(!isOpen(window));
        QCOMPARE(clients->count(), 1);
        QCOMPARE(cmtest::openDescriptors(), descriptors + 1); // the test's own line
        // Listening again at once works, and the modules come back.
        pickMode(window, 0);
        click(window, "But_TCPCtl");
        QVERIFY(isOpen(window));
        QTRY_COMPARE_WITH_TIMEOUT(clients->count(), 3, 15000);
    }

    void clientWatchGivesUpTheAttempt() {
        LabFixture lab;
        LAB_SETUP_OR_SKIP(lab);
        TFrmMain window;
        // The module's answer to the connection cannot come back yet.
        QVERIFY(routeBack(lab, "add"));
        connectToModule(window, lab);
        QVERIFY(window.transport()->isConnecting());
        QCOMPARE(caption(window), QStringLiteral("断开"));
        QTRY_COMPARE(caption(window), QStringLiteral("连接"));
        QCOMPARE(lamp(window, "TCPStateDisplay"), LampWidget::Silver);
        // The console shows the attempt over, so it is: it cannot complete
        // later behind a console that shows it closed.
        QVERIFY(!window.transport()->isConnecting());
        QVERIFY(!isOpen(window));

        QVERIFY(routeBack(lab, "del"));
        click(window, "But_TCPCtl");
        QTRY_VERIFY(isOpen(window));
        QTRY_COMPARE(lamp(window, "TCPStateDisplay"), LampWidget::Red);
    }

    void udpPeer() {
        LabFixture lab(workingMode(1, 2));
        LAB_SETUP_OR_SKIP(lab);
        TFrmMain window;
        type(window, "Edt_RemoteIP", QString::fromLatin1(lab.modules().at(0).ip));
        type(window, "Edt_RemotePort", QStringLiteral("12345"));
        openOnLabPort(window, 2);
        QVERIFY(isOpen(window));
        QVERIFY(lab.sim().setRelay(1, 7, true));
        click(window, "CheckBox7");
        click(window, "But_RelayStateQuery");
        // Shape7 is no relay's lamp: relay 7's is Shape8.
        QTRY_COMPARE(lamp(window, "Shape8"), LampWidget::Lime);
        QVERIFY(shown(window).startsWith(QStringLiteral("AT+STACH7=?\n+STACH7=1")));
    }
};

QTEST_MAIN(TstConsoleLab)
#include "tst_consolelab.moc"
