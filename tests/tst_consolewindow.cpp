// The test console in the real window, offscreen: the controls reach the
// console's handlers, the view puts its changes on the right widgets, and the
// transcript shows exactly the text appended.
#include "cmsocket.h"
#include "lampwidget.h"
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include <memory>

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// Answers the next modal box and remembers what it said.
struct BoxSeen {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

void answerNextBox(BoxSeen &seen) {
    QTimer::singleShot(0, qApp, [&seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = {box->windowTitle(), box->text(), box->icon()};
        box->accept();
    });
}

#ifndef _WIN32
// A loopback peer over plain sockets, so the test checks the real socket
// component from the outside.
class LoopbackPeer {
public:
    explicit LoopbackPeer(int type)
        : m_fd(::socket(AF_INET, type, 0)) {
        sockaddr_in address = loopback(0);
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        timeval wait{2, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    }
    ~LoopbackPeer() { ::close(m_fd); }
    quint16 port() const { return m_port; }
    bool connectTo(quint16 port) {
        sockaddr_in address = loopback(port);
        return ::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    }
    void sendTo(quint16 port, const QByteArray &bytes) {
        sockaddr_in address = loopback(port);
        ::sendto(m_fd, bytes.constData(), size_t(bytes.size()), 0,
                 reinterpret_cast<sockaddr *>(&address), sizeof address);
    }
    void send(const QByteArray &bytes) { ::send(m_fd, bytes.constData(), size_t(bytes.size()), 0); }
    // What arrives within a short wait; the event loop keeps running meanwhile.
    QByteArray receive() {
        QByteArray buffer(4096, Qt::Uninitialized);
        for (int tries = 0; tries < 100; ++tries) {
            const ssize_t n = ::recv(m_fd, buffer.data(), size_t(buffer.size()), MSG_DONTWAIT);
            if (n > 0)
                return buffer.first(n);
            QTest::qWait(10);
        }
        return {};
    }

private:
    static sockaddr_in loopback(quint16 port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        return address;
    }

    int m_fd;
    quint16 m_port = 0;
};
#endif

} // namespace

class TstConsoleWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TFrmMain> m_window;
    Ui::TFrmMain *u = nullptr;

    QString transcript() const { return u->MemoTCPRec->toPlainText(); }

    // Opens the console as UDP peer on a loopback port the system picks.
    void openUdp() {
        u->Cmb_TCPMode->setCurrentIndex(2);
        u->Edt_LocalIP->setText(QStringLiteral("127.0.0.1"));
        u->Edt_LocalPort->setText(QStringLiteral("0"));
        u->Edt_RemoteIP->setText(QStringLiteral("127.0.0.1"));
        u->Edt_RemotePort->setText(QStringLiteral("9"));
        QTest::mouseClick(u->But_TCPCtl, Qt::LeftButton);
    }

private slots:
    void init() {
        m_window = std::make_unique<TFrmMain>();
        u = m_window->ui();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() { m_window.reset(); }

    void userPicksAMode() {
        // Keyboard selection is the user's choice and changes the layout.
        u->Cmb_TCPMode->setFocus();
        QTest::keyClick(u->Cmb_TCPMode, Qt::Key_Down);
        QCOMPARE(u->Cmb_TCPMode->currentIndex(), 1);
        QCOMPARE(m_window->socket()->Protocol, cmTcpClient);
        QVERIFY(u->Edt_RemoteIP->isVisible());
        QVERIFY(!u->Cmb_RemoteIP->isVisible());
        QVERIFY(!u->Cmb_RemotePort->isVisible());
        QCOMPARE(u->But_TCPCtl->text(), QStringLiteral("连接"));
        QTest::keyClick(u->Cmb_TCPMode, Qt::Key_Up);
        QCOMPARE(m_window->socket()->Protocol, cmTcpServer);
        QVERIFY(u->Cmb_RemoteIP->isVisible());
        QCOMPARE(u->Cmb_RemoteIP->pos(), u->Edt_RemoteIP->pos());
        QCOMPARE(u->But_TCPCtl->text(), QStringLiteral("建立"));
    }

    void openingDisablesTheConfigurationSide() {
        openUdp();
        QVERIFY(!u->But_Read->isEnabled());
        QVERIFY(!u->ListBoxIP->isEnabled());
        QVERIFY(!u->GroupBox5->isEnabled());
        QVERIFY(!u->But_SetName->isEnabled());
        QVERIFY(u->Button3->isEnabled());
        QVERIFY(u->But_RelayStateSet->isEnabled());
        QCOMPARE(m_window->state().holder, SocketHolder::Console);
    }

    void relayPanelThroughTheWidgets() {
        openUdp();
        QTest::mouseClick(u->CheckBox3, Qt::LeftButton);
        QVERIFY(!u->CheckBox1->isChecked()); // one of many
        QTest::mouseClick(u->CB_Relay_1, Qt::LeftButton);
        QVERIFY(!u->CB_Relay_0->isChecked());
        QTest::mouseClick(u->But_RelayStateSet, Qt::LeftButton);
        QCOMPARE(transcript(), QStringLiteral("AT+STACH3=1,100000\n"));
        QVERIFY(u->CheckBox16->isChecked());
        QVERIFY(!u->CheckBox3->isChecked());
        QTest::mouseClick(u->But_RelayStateQuery, Qt::LeftButton);
        QCOMPARE(transcript(), QStringLiteral("AT+STACH3=1,100000\n\n\nAT+STACH0=?\n"));
    }

    void inputBoxesAskForTheInputTheirCaptionNames_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("command");
        QTest::newRow("Interface5") << QStringLiteral("CheckBox22") << QStringLiteral("AT+OCCH5=?");
        QTest::newRow("Interface6") << QStringLiteral("CheckBox21") << QStringLiteral("AT+OCCH6=?");
        QTest::newRow("Interface12")
            << QStringLiteral("CheckBox28") << QStringLiteral("AT+OCCH12=?");
        QTest::newRow("All interfaces")
            << QStringLiteral("CheckBox31") << QStringLiteral("AT+OCCH0=?");
    }
    void inputBoxesAskForTheInputTheirCaptionNames() {
        QFETCH(QString, box);
        QFETCH(QString, command);
        openUdp();
        auto *checkBox = m_window->findChild<QCheckBox *>(box);
        QVERIFY(checkBox);
        QTest::mouseClick(checkBox, Qt::LeftButton);
        for (const QCheckBox *other : m_window->inputBoxes())
            QCOMPARE(other->isChecked(), other == checkBox);
        QTest::mouseClick(u->Button3, Qt::LeftButton);
        QCOMPARE(transcript(), command + QStringLiteral("\n"));
        // Unchecking leaves none: the query then names one past the last input.
        QTest::mouseClick(checkBox, Qt::LeftButton);
        QTest::mouseClick(u->Button3, Qt::LeftButton);
        QVERIFY(transcript().endsWith(QStringLiteral("AT+OCCH13=?\n")));
    }

    void sendTextAndClear() {
        openUdp();
        u->MemoTCPSend->setPlainText(QStringLiteral("AT\nAT+IP=?"));
        QTest::mouseClick(u->But_TCPSend, Qt::LeftButton);
        QTest::mouseClick(u->But_TCPSend, Qt::LeftButton);
        QCOMPARE(transcript(), QStringLiteral("AT\nAT+IP=?\n\nAT\nAT+IP=?"));
        QTest::mouseClick(u->Button2, Qt::LeftButton);
        QCOMPARE(transcript(), QString());
        QTest::mouseClick(u->But_ClearSend, Qt::LeftButton);
        QVERIFY(u->MemoTCPSend->toPlainText().isEmpty());

        BoxSeen seen;
        answerNextBox(seen);
        QTest::mouseClick(u->But_TCPSend, Qt::LeftButton);
        QCOMPARE(seen.caption, QStringLiteral("Warning"));
        QCOMPARE(seen.text, QStringLiteral("输入框不能为空!"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(transcript(), QString());
    }

    void badPortIsNamed() {
        u->Cmb_TCPMode->setCurrentIndex(2);
        u->Edt_LocalPort->setText(QStringLiteral("6OOO"));
        BoxSeen seen;
        answerNextBox(seen);
        QTest::mouseClick(u->But_TCPCtl, Qt::LeftButton);
        QCOMPARE(seen.caption, QStringLiteral("Warning"));
        QVERIFY(seen.text.contains(QStringLiteral("6OOO")));
        QVERIFY(!m_window->socket()->Active());
    }

#ifndef _WIN32
    void udpPeerOnLoopback() {
        LoopbackPeer peer(SOCK_DGRAM);
        u->Cmb_TCPMode->setCurrentIndex(2);
        u->Edt_LocalIP->setText(QStringLiteral("127.0.0.1"));
        u->Edt_LocalPort->setText(QString::number(peer.port() + 1));
        u->Edt_RemoteIP->setText(QStringLiteral("127.0.0.1"));
        u->Edt_RemotePort->setText(QString::number(peer.port()));
        QTest::mouseClick(u->But_TCPCtl, Qt::LeftButton);
        if (!m_window->socket()->Active())
            QSKIP("no loopback port for the console here");
        QCOMPARE(m_window->ui()->TCPStateDisplay->brushColor(), LampWidget::Red);

        // Relay 3 on with the time: the command goes to the typed destination.
        QTest::mouseClick(u->CheckBox3, Qt::LeftButton);
        QTest::mouseClick(u->CB_Relay_1, Qt::LeftButton);
        QTest::mouseClick(u->But_RelayStateSet, Qt::LeftButton);
        QCOMPARE(peer.receive(), QByteArray("AT+STACH3=1,100000\r\n"));
        peer.sendTo(quint16(peer.port() + 1), "+STACH3=1,100000\r\n");
        QTRY_COMPARE(m_window->relayLamps()[2]->brushColor(), LampWidget::Lime);
        // 300 ms after that answer the relays are asked again, all of them.
        QCOMPARE(peer.receive(), QByteArray("AT+STACH0=?\r\n"));
        peer.sendTo(quint16(peer.port() + 1), "+STACH0=0,0\r\n");
        QTRY_COMPARE(u->Edt_Time->text(), QStringLiteral("0"));
        // An input reply lights the lamp in the row of the box captioned so.
        peer.sendTo(quint16(peer.port() + 1), "+OCCH5=1\r\n");
        QTRY_COMPARE(m_window->inputLamps()[4]->brushColor(), LampWidget::Lime);
        QCOMPARE(m_window->inputLamps()[4]->y(), u->CheckBox22->y());
        QCOMPARE(transcript(), QStringLiteral("AT+STACH3=1,100000\n+STACH3=1,100000\n\n\n"
                                              "AT+STACH0=?\n+STACH0=0,0\n+OCCH5=1\n"));
    }

    void openingThatFailsSaysWhy_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("type");
        QTest::newRow("TCP server end") << 0 << int(SOCK_STREAM);
        QTest::newRow("UDP") << 2 << int(SOCK_DGRAM);
    }
    void openingThatFailsSaysWhy() {
        QFETCH(int, mode);
        QFETCH(int, type);
        const LoopbackPeer holder(type); // the port is taken
        u->Cmb_TCPMode->setCurrentIndex(mode);
        u->Edt_LocalIP->setText(QStringLiteral("127.0.0.1"));
        u->Edt_LocalPort->setText(QString::number(holder.port()));
        BoxSeen seen;
        answerNextBox(seen);
        QTest::mouseClick(u->But_TCPCtl, Qt::LeftButton);
        QCOMPARE(seen.caption, QStringLiteral("Warning"));
        QCOMPARE(
            seen.text,
            QStringLiteral("bind() failed : The specified address is already in use(地址已使用)."));
        // Closed, ready to open again, and waiting for no client.
        QVERIFY(!m_window->socket()->Active());
        QCOMPARE(u->But_TCPCtl->text(), QStringLiteral("建立"));
        QVERIFY(u->But_TCPCtl->isEnabled());
        QVERIFY(!u->But_TCPSend->isEnabled());
        QCOMPARE(u->TCPStateDisplay->brushColor(), LampWidget::Silver);
        QVERIFY(!m_window->findChild<QTimer *>(QStringLiteral("TimerConnOut"))->isActive());
    }

    void tcpServerWithTwoClients() {
        quint16 port = 0;
        {
            LoopbackPeer probe(SOCK_STREAM); // a port that was free a moment ago
            port = probe.port();
        }
        u->Cmb_TCPMode->setCurrentIndex(0);
        u->Edt_LocalIP->setText(QStringLiteral("127.0.0.1"));
        u->Edt_LocalPort->setText(QString::number(port));
        QTest::mouseClick(u->But_TCPCtl, Qt::LeftButton);
        if (!m_window->socket()->Active())
            QSKIP("no loopback port for the console here");
        QCOMPARE(u->But_TCPCtl->text(), QStringLiteral("监听"));
        QVERIFY(!u->But_TCPCtl->isEnabled());

        auto first = std::make_unique<LoopbackPeer>(SOCK_STREAM);
        QVERIFY(first->connectTo(port));
        QTRY_COMPARE(u->Cmb_RemoteIP->count(), 2);
        LoopbackPeer second(SOCK_STREAM);
        QVERIFY(second.connectTo(port));
        QTRY_COMPARE(u->Cmb_RemoteIP->count(), 3);
        QCOMPARE(u->Cmb_RemotePort->itemText(1), QString::number(first->port()));
        QCOMPARE(u->Cmb_RemotePort->itemText(2), QString::number(second.port()));
        QCOMPARE(u->Cmb_RemoteIP->currentIndex(), 1);
        QCOMPARE(u->But_TCPCtl->text(), QStringLiteral("断开"));
        QCOMPARE(u->TCPStateDisplay->brushColor(), LampWidget::Red);

        // Only the selected client gets the text.
        u->Cmb_RemoteIP->setCurrentIndex(2);
        u->MemoTCPSend->setPlainText(QStringLiteral("AT"));
        QTest::mouseClick(u->But_TCPSend, Qt::LeftButton);
        QCOMPARE(second.receive(), QByteArray("AT"));
        QCOMPARE(first->receive(), QByteArray());

        // The first client leaves: its line goes, the other stays.
        first.reset();
        QTRY_COMPARE(u->Cmb_RemoteIP->count(), 2);
        QCOMPARE(u->Cmb_RemotePort->itemText(1), QString::number(second.port()));
        second.send("OK");
        QTRY_VERIFY(transcript().endsWith(QStringLiteral("AT\nOK")));
    }
#endif

    void clientListsTakeNoTypedText_data() {
        QTest::addColumn<QString>("list");
        QTest::newRow("addresses") << QStringLiteral("Cmb_RemoteIP");
        QTest::newRow("ports") << QStringLiteral("Cmb_RemotePort");
    }
    void clientListsTakeNoTypedText() {
        // The lists mirror the connections item by item; typed text must not
        // become an item of one of them.
        QFETCH(QString, list);
        auto *combo = m_window->findChild<QComboBox *>(list);
        QVERIFY(combo && combo->isVisible() && combo->lineEdit());
        QTest::keyClicks(combo->lineEdit(), QStringLiteral("10.0.0.9"));
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->currentIndex(), 0);
    }

    void windowGoesWhileTheConsoleIsOpen() {
        openUdp();
        // Closing the socket on the way out must not reach the console after
        // it is gone (the sanitizer build would catch the use).
        m_window.reset();
    }
};

QTEST_MAIN(TstConsoleWindow)
#include "tst_consolewindow.moc"
