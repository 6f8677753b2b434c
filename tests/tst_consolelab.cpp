// The test console in the real window against simulated modules in their
// working mode, across the virtual lab's cable (private namespaces only).
#include "cmsocket.h"
#include "consoletranscript.h"
#include "labfixture.h"
#include "lampwidget.h"
#include "mainwindow.h"
#include "mylib.h"
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
    static QString shown(TFrmMain &window) {
        window.consoleTranscript().flush();
        return window.ui()->MemoTCPRec->toPlainText();
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
        QCOMPARE(TMYCLASS::IPToText(window.state().LastPeerIP), selected);
        QCOMPARE(shown(window).count(QStringLiteral("+OCCH5=1")), 1);
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
