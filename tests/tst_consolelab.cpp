// The test console in the real window against simulated modules in their
// working mode, across the virtual lab's cable (private namespaces only).
#include "cmsocket.h"
#include "cmsocket_testutil.h"
#include "labfixture.h"
#include "lampwidget.h"
#include "mainwindow.h"
#include "mylib.h"
#include "transcriptview.h"
#include "ui_mainwindow.h"

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
    // Opens the console on the computer's lab address, port 6000.
    static void openOnLabPort(TFrmMain &window, int mode) {
        Ui::TFrmMain &u = *window.ui();
        u.Cmb_TCPMode->setCurrentIndex(mode);
        u.Edt_LocalIP->setText(QStringLiteral("192.168.1.10"));
        u.Edt_LocalPort->setText(QStringLiteral("6000"));
        u.But_TCPCtl->click();
    }
    static QString shown(TFrmMain &window) { return window.ui()->MemoTCPRec->toPlainText(); }
    // The user picks a mode in the selector.
    static void pickMode(Ui::TFrmMain &u, int mode) {
        u.Cmb_TCPMode->setCurrentIndex(mode);
        emit u.Cmb_TCPMode->activated(mode);
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
        Ui::TFrmMain &u = *window.ui();
        u.Cmb_TCPMode->setCurrentIndex(1);
        u.Edt_RemoteIP->setText(QString::fromLatin1(lab.modules().at(0).ip));
        u.Edt_RemotePort->setText(QStringLiteral("12345"));
        u.But_TCPCtl->click();
        QTRY_VERIFY(window.socket()->Active());
        QTRY_COMPARE(u.TCPStateDisplay->brushColor(), LampWidget::Red);

        // Relay 3 on with a time: its lamp turns lime, the module's relay is on.
        u.CheckBox3->click();
        u.CB_Relay_1->click();
        u.Edt_Time->setText(QStringLiteral("30"));
        u.But_RelayStateSet->click();
        QTRY_COMPARE(window.relayLamps()[2]->brushColor(), LampWidget::Lime);
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
        u.CheckBox20->click(); // "Interface4"
        QVERIFY(lab.sim().setInput(1, 4, true));
        u.Button3->click();
        QTRY_COMPARE(window.inputLamps()[3]->brushColor(), LampWidget::Lime);
        QVERIFY(lab.sim().setInput(1, 4, false));
        u.Button3->click();
        QTRY_COMPARE(window.inputLamps()[3]->brushColor(), LampWidget::Red);
        u.But_TCPCtl->click();
        QVERIFY(!window.socket()->Active());
    }

    void serverWithTwoModuleClients() {
        LabFixture lab(workingMode(2, 1));
        LAB_SETUP_OR_SKIP(lab);
        TFrmMain window;
        Ui::TFrmMain &u = *window.ui();
        openOnLabPort(window, 0);
        QVERIFY(window.socket()->Active());
        QTRY_COMPARE_WITH_TIMEOUT(u.Cmb_RemoteIP->count(), 3, 15000);
        QCOMPARE(u.But_TCPCtl->text(), QStringLiteral("断开"));

        // Only the module selected in the list answers.
        u.Cmb_RemoteIP->setCurrentIndex(2);
        const QString selected = u.Cmb_RemoteIP->itemText(2);
        u.CheckBox31->click(); // "All interfaces"
        u.CheckBox22->click(); // "Interface5"
        QVERIFY(lab.sim().setInput(1, 5, true));
        QVERIFY(lab.sim().setInput(2, 5, true));
        u.Button3->click();
        QTRY_COMPARE(window.inputLamps()[4]->brushColor(), LampWidget::Lime);
        QTest::qWait(300);
        QCOMPARE(TMYCLASS::IPToText(window.state().lastPeer.ip), selected);
        QCOMPARE(shown(window).count(QStringLiteral("+OCCH5=1")), 1);
    }

    void serverClosedAfterAModeChange() {
        LabFixture lab(workingMode(2, 1));
        LAB_SETUP_OR_SKIP(lab);
        TFrmMain window;
        Ui::TFrmMain &u = *window.ui();
        const int descriptors = cmtest::openDescriptors();
        openOnLabPort(window, 0);
        QTRY_COMPARE_WITH_TIMEOUT(u.Cmb_RemoteIP->count(), 3, 15000);

        // Another mode picked while the server is open: a client that comes
        // now is still one of its connections, and closing ends them all.
        pickMode(u, 2);
        const TcpLine late(TcpLine::connectTo(lab.computerIp(), 6000));
        QVERIFY(late.isOpen());
        QTRY_COMPARE(u.Cmb_RemoteIP->count(), 4);
        u.But_TCPCtl->click();
        QVERIFY(!window.socket()->Active());
        QCOMPARE(u.Cmb_RemoteIP->count(), 1);
        QCOMPARE(cmtest::openDescriptors(), descriptors + 1); // the test's own line
        // Listening again at once works, and the modules come back.
        pickMode(u, 0);
        u.But_TCPCtl->click();
        QVERIFY(window.socket()->Active());
        QTRY_COMPARE_WITH_TIMEOUT(u.Cmb_RemoteIP->count(), 3, 15000);
    }

    void clientWatchGivesUpTheAttempt() {
        LabFixture lab;
        LAB_SETUP_OR_SKIP(lab);
        TFrmMain window;
        Ui::TFrmMain &u = *window.ui();
        // The module's answer to the connection cannot come back yet.
        QVERIFY(routeBack(lab, "add"));
        u.Cmb_TCPMode->setCurrentIndex(1);
        u.Edt_RemoteIP->setText(QString::fromLatin1(lab.modules().at(0).ip));
        u.Edt_RemotePort->setText(QStringLiteral("12345"));
        u.But_TCPCtl->click();
        QCOMPARE(u.But_TCPCtl->text(), QStringLiteral("断开"));
        QTRY_COMPARE(u.But_TCPCtl->text(), QStringLiteral("连接"));
        QCOMPARE(u.TCPStateDisplay->brushColor(), LampWidget::Silver);
        // The console shows the attempt over, so it is: it cannot complete
        // later behind a console that shows it closed.
        QCOMPARE(window.socket()->Socket(), -1);
        QVERIFY(!window.socket()->Bound());

        QVERIFY(routeBack(lab, "del"));
        u.But_TCPCtl->click();
        QTRY_VERIFY(window.socket()->Active());
        QTRY_COMPARE(u.TCPStateDisplay->brushColor(), LampWidget::Red);
    }

    void udpPeer() {
        LabFixture lab(workingMode(1, 2));
        LAB_SETUP_OR_SKIP(lab);
        TFrmMain window;
        Ui::TFrmMain &u = *window.ui();
        u.Edt_RemoteIP->setText(QString::fromLatin1(lab.modules().at(0).ip));
        u.Edt_RemotePort->setText(QStringLiteral("12345"));
        openOnLabPort(window, 2);
        QVERIFY(window.socket()->Active());
        QVERIFY(lab.sim().setRelay(1, 7, true));
        u.CheckBox7->click();
        u.But_RelayStateQuery->click();
        QTRY_COMPARE(window.relayLamps()[6]->brushColor(), LampWidget::Lime);
        QVERIFY(shown(window).startsWith(QStringLiteral("AT+STACH7=?\n+STACH7=1")));
    }
};

QTEST_MAIN(TstConsoleLab)
#include "tst_consolelab.moc"
