// The test console in the real window, offscreen: the controls start the
// console's operations, the window shows what the console reports on the
// right widgets, and the transcript shows exactly the text appended.
#include "clock.h"
#include "cmsocket.h"
#include "console.h"
#include "formaccess.h"
#include "lampwidget.h"
#include "mainwindow.h"
#include "sockettransport.h"
#include "transcriptview.h"
#include "transportrouter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// Answers the next modal box, which may come from a timer, for as long as
// it lives, and remembers what the box said.
class BoxSeen {
public:
    BoxSeen() {
        QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                m_poll.stop();
                caption = box->windowTitle();
                text = box->text();
                icon = box->icon();
                box->accept();
            }
        });
        m_poll.start(5);
    }

    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;

private:
    QTimer m_poll;
};

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
    // A peer that reads slowly: the system holds little for it.
    void shrinkReceiveBuffer() {
        const int size = 4096;
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }
    // Reads until size bytes came or nothing more comes for a while; the
    // event loop runs meanwhile, so the window can send what waits.
    QByteArray receiveAll(qsizetype size) {
        QByteArray all;
        QByteArray buffer(65536, Qt::Uninitialized);
        for (int idle = 0; all.size() < size && idle < 200;) {
            const ssize_t n = ::recv(m_fd, buffer.data(), size_t(buffer.size()), MSG_DONTWAIT);
            if (n > 0) {
                all += buffer.first(n);
                idle = 0;
            } else {
                ++idle;
                QTest::qWait(10);
            }
        }
        return all;
    }
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

    template <class T> T *get(const char *name) const { return control<T>(*m_window, name); }
    QPushButton *button(const char *name) const { return get<QPushButton>(name); }
    QLineEdit *edit(const char *name) const { return get<QLineEdit>(name); }
    QComboBox *combo(const char *name) const { return get<QComboBox>(name); }
    quint32 lamp(const char *name) const { return get<LampWidget>(name)->brushColor(); }
    void click(const char *name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }
    QString transcript() const { return get<TranscriptView>("MemoTCPRec")->toPlainText(); }
    bool isOpen() const { return m_window->transport()->isOpen(); }

    // Opens the console as UDP peer on a loopback port the system picks.
    void openUdp() {
        combo("Cmb_TCPMode")->setCurrentIndex(2);
        edit("Edt_LocalIP")->setText(QStringLiteral("127.0.0.1"));
        edit("Edt_LocalPort")->setText(QStringLiteral("0"));
        edit("Edt_RemoteIP")->setText(QStringLiteral("127.0.0.1"));
        edit("Edt_RemotePort")->setText(QStringLiteral("9"));
        click("But_TCPCtl");
    }

    // A window whose console waits on clock.
    void openWindow(Clock &clock = Clock::system()) {
        m_window = std::make_unique<TFrmMain>(nullptr, clock);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

private slots:
    void init() { openWindow(); }
    void cleanup() { m_window.reset(); }

    void userPicksAMode() {
        QComboBox *modes = combo("Cmb_TCPMode");
        // Set by a program, the selector changes nothing shown.
        modes->setCurrentIndex(2);
        QCOMPARE(button("But_TCPCtl")->text(), QStringLiteral("建立"));
        QVERIFY(combo("Cmb_RemoteIP")->isVisible());
        modes->setCurrentIndex(0);

        // Keyboard selection is the user's choice and changes the layout.
        struct Pick {
            Qt::Key key;
            const char16_t *caption;
            bool server;
        };
        const Pick picks[] = {
            {Qt::Key_Down, u"连接", false},
            {Qt::Key_Down, u"建立", false},
            {Qt::Key_Up, u"连接", false},
            {Qt::Key_Up, u"建立", true},
        };
        modes->setFocus();
        for (const Pick &pick : picks) {
            button("But_UDPFind")->setEnabled(false);
            QTest::keyClick(modes, pick.key);
            QCOMPARE(button("But_TCPCtl")->text(), QString::fromUtf16(pick.caption));
            QVERIFY(edit("Edt_RemoteIP")->isVisible());
            QCOMPARE(combo("Cmb_RemoteIP")->isVisible(), pick.server);
            QCOMPARE(combo("Cmb_RemotePort")->isVisible(), pick.server);
            QCOMPARE(button("But_UDPFind")->isEnabled(), !pick.server);
        }
        // The client list covers the destination address field.
        QCOMPARE(combo("Cmb_RemoteIP")->pos(), edit("Edt_RemoteIP")->pos());
        QWidget *onTop = edit("Edt_RemoteIP")
                             ->parentWidget()
                             ->childAt(edit("Edt_RemoteIP")->geometry().center());
        QVERIFY(onTop == combo("Cmb_RemoteIP") || combo("Cmb_RemoteIP")->isAncestorOf(onTop));

        // A typed name that is no mode keeps the mode: the server listens.
        QTest::keyClicks(modes->lineEdit(), QStringLiteral("x"));
        QTest::keyClick(modes->lineEdit(), Qt::Key_Return);
        QVERIFY(modes->currentIndex() > 2);
        edit("Edt_LocalIP")->setText(QStringLiteral("127.0.0.1"));
        edit("Edt_LocalPort")->setText(QStringLiteral("0"));
        click("But_TCPCtl");
        QCOMPARE(button("But_TCPCtl")->text(), QStringLiteral("监听"));
        QVERIFY(!edit("Edt_RemoteIP")->isVisible());
    }

    void openingDisablesTheConfigurationSide() {
        openUdp();
        for (const char *name : {"But_Read", "ListBoxIP", "GroupBox5", "But_SetName"})
            QVERIFY2(!get<QWidget>(name)->isEnabled(), name);
        // The search stays usable in UDP mode: it takes the transport back.
        QVERIFY(button("But_UDPFind")->isEnabled());
        for (const char *name :
             {"But_TCPSend", "Button3", "But_RelayStateSet", "But_RelayStateQuery"})
            QVERIFY2(get<QWidget>(name)->isEnabled(), name);
        QCOMPARE(button("But_TCPCtl")->text(), QStringLiteral("断开"));
        QCOMPARE(lamp("TCPStateDisplay"), LampWidget::Red);
        QCOMPARE(m_window->router().holder(), TransportRouter::Holder::Console);

        click("But_TCPCtl");
        QVERIFY(!isOpen());
        QCOMPARE(button("But_TCPCtl")->text(), QStringLiteral("建立"));
        QCOMPARE(lamp("TCPStateDisplay"), LampWidget::Silver);
        for (const char *name :
             {"But_TCPSend", "Button3", "But_RelayStateSet", "But_RelayStateQuery"})
            QVERIFY2(!get<QWidget>(name)->isEnabled(), name);
        QVERIFY(!get<QWidget>("But_Read")->isEnabled()); // until the next module search
    }

    void boxesPickWhatIsAsked_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("query"); // the button that asks, "" for none
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("nonePicked");
        QTest::newRow("Relay7") << u"CheckBox7"_s << u"relays"_s << u"But_RelayStateQuery"_s
                                << u"AT+STACH7=?"_s << u"AT+STACH16=?"_s;
        QTest::newRow("All relay") << u"CheckBox16"_s << u"relays"_s << u"But_RelayStateQuery"_s
                                   << u"AT+STACH0=?"_s << u"AT+STACH16=?"_s;
        // Input boxes ask for the input their caption names.
        QTest::newRow("Interface5") << u"CheckBox22"_s << u"inputs"_s << u"Button3"_s
                                    << u"AT+OCCH5=?"_s << u"AT+OCCH13=?"_s;
        QTest::newRow("Interface6") << u"CheckBox21"_s << u"inputs"_s << u"Button3"_s
                                    << u"AT+OCCH6=?"_s << u"AT+OCCH13=?"_s;
        QTest::newRow("Interface12") << u"CheckBox28"_s << u"inputs"_s << u"Button3"_s
                                     << u"AT+OCCH12=?"_s << u"AT+OCCH13=?"_s;
        QTest::newRow("All interfaces") << u"CheckBox31"_s << u"inputs"_s << u"Button3"_s
                                        << u"AT+OCCH0=?"_s << u"AT+OCCH13=?"_s;
        QTest::newRow("Attached") << u"CB_Relay_1"_s << u"states"_s << QString() << QString()
                                  << QString();
        QTest::newRow("Detatched")
            << u"CB_Relay_0"_s << u"states"_s << QString() << QString() << QString();
    }
    void boxesPickWhatIsAsked() {
        QFETCH(QString, box);
        QFETCH(QString, group);
        QFETCH(QString, query);
        QFETCH(QString, picked);
        QFETCH(QString, nonePicked);
        openUdp();
        QStringList names{u"CB_Relay_1"_s, u"CB_Relay_0"_s};
        if (group != u"states") {
            names.clear();
            const int first = group == u"relays" ? 1 : 17;
            for (int n = first; n < first + (group == u"relays" ? 16 : 12); ++n)
                names.append(u"CheckBox%1"_s.arg(n));
            if (group == u"inputs")
                names.append(u"CheckBox31"_s);
        }
        auto *clicked = m_window->findChild<QCheckBox *>(box);
        QVERIFY(clicked);
        if (clicked->isChecked())
            QTest::mouseClick(clicked, Qt::LeftButton);
        // Checking one box of a group unchecks the others; unchecking it
        // leaves none checked.
        for (bool checked : {true, false}) {
            QTest::mouseClick(clicked, Qt::LeftButton);
            for (const QString &name : std::as_const(names))
                QCOMPARE(m_window->findChild<QCheckBox *>(name)->isChecked(),
                         checked && name == box);
            if (!query.isEmpty()) {
                click(qPrintable(query));
                QVERIFY(transcript().endsWith((checked ? picked : nonePicked) + u"\n"_s));
            }
        }
    }

    void sendTextAndClear() {
        openUdp();
        get<QPlainTextEdit>("MemoTCPSend")->setPlainText(QStringLiteral("AT\nAT+IP=?"));
        click("But_TCPSend");
        click("But_TCPSend");
        QCOMPARE(transcript(), QStringLiteral("AT\nAT+IP=?\n\nAT\nAT+IP=?"));
        click("Button2");
        QCOMPARE(transcript(), QString());
        click("But_ClearSend");
        QVERIFY(get<QPlainTextEdit>("MemoTCPSend")->toPlainText().isEmpty());

        BoxSeen seen;
        click("But_TCPSend");
        QCOMPARE(seen.caption, QStringLiteral("Warning"));
        QCOMPARE(seen.text, QStringLiteral("输入框不能为空!"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(transcript(), QString());
    }

#ifndef _WIN32
    void udpPeerOnLoopback() {
        LoopbackPeer peer(SOCK_DGRAM);
        const auto consolePort = quint16(peer.port() + 1);
        combo("Cmb_TCPMode")->setCurrentIndex(2);
        edit("Edt_LocalIP")->setText(QStringLiteral("127.0.0.1"));
        edit("Edt_LocalPort")->setText(QString::number(consolePort));
        edit("Edt_RemoteIP")->setText(QStringLiteral("127.0.0.1"));
        edit("Edt_RemotePort")->setText(QString::number(peer.port()));
        click("But_TCPCtl");
        if (!isOpen())
            QSKIP("no loopback port for the console here");

        // Relay 3 on with the time: the command goes to the typed destination.
        click("CheckBox3");
        click("CB_Relay_1");
        click("But_RelayStateSet");
        QCOMPARE(peer.receive(), QByteArray("AT+STACH3=1,100000\r\n"));
        // After a setting "All relay" is the only relay box checked.
        QVERIFY(get<QCheckBox>("CheckBox16")->isChecked());
        QVERIFY(!get<QCheckBox>("CheckBox3")->isChecked());
        peer.sendTo(consolePort, "+STACH3=1,100000\r\n");
        QTRY_COMPARE(lamp("Shape3"), LampWidget::Lime);
        // 300 ms after that answer the relays are asked again, all of them.
        QCOMPARE(peer.receive(), QByteArray("AT+STACH0=?\r\n"));
        peer.sendTo(consolePort, "+STACH0=0,0\r\n");
        QTRY_COMPARE(edit("Edt_Time")->text(), QStringLiteral("0"));
        // An input reply lights the lamp in the row of the box captioned so.
        peer.sendTo(consolePort, "+OCCH5=1\r\n");
        QTRY_COMPARE(lamp("Shape21"), LampWidget::Lime);
        QCOMPARE(get<QWidget>("Shape21")->y(), get<QWidget>("CheckBox22")->y());
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
        ManualClock clock;
        openWindow(clock);
        const LoopbackPeer holder(type); // the port is taken
        combo("Cmb_TCPMode")->setCurrentIndex(mode);
        edit("Edt_LocalIP")->setText(QStringLiteral("127.0.0.1"));
        edit("Edt_LocalPort")->setText(QString::number(holder.port()));
        BoxSeen seen;
        click("But_TCPCtl");
        QCOMPARE(seen.caption, QStringLiteral("Warning"));
        QCOMPARE(
            seen.text,
            QStringLiteral("bind() failed : The specified address is already in use(地址已使用)."));
        // Closed, ready to open again, and waiting for no client.
        QVERIFY(!isOpen());
        QCOMPARE(button("But_TCPCtl")->text(), QStringLiteral("建立"));
        QVERIFY(button("But_TCPCtl")->isEnabled());
        QVERIFY(!button("But_TCPSend")->isEnabled());
        QCOMPARE(lamp("TCPStateDisplay"), LampWidget::Silver);
        QCOMPARE(clock.nextEndMs(), -1);
    }

    // Listens on a loopback port that was free a moment ago; false if it is
    // not free any more.
    bool listenOnLoopback(quint16 &port) {
        {
            LoopbackPeer probe(SOCK_STREAM);
            port = probe.port();
        }
        combo("Cmb_TCPMode")->setCurrentIndex(0);
        edit("Edt_LocalIP")->setText(QStringLiteral("127.0.0.1"));
        edit("Edt_LocalPort")->setText(QString::number(port));
        click("But_TCPCtl");
        return isOpen();
    }

    void tcpServerWithTwoClients() {
        quint16 port = 0;
        if (!listenOnLoopback(port))
            QSKIP("no loopback port for the console here");
        QCOMPARE(button("But_TCPCtl")->text(), QStringLiteral("监听"));
        QVERIFY(!button("But_TCPCtl")->isEnabled());
        QVERIFY(!edit("Edt_RemoteIP")->isVisible());

        QComboBox *addresses = combo("Cmb_RemoteIP");
        QComboBox *ports = combo("Cmb_RemotePort");
        auto first = std::make_unique<LoopbackPeer>(SOCK_STREAM);
        QVERIFY(first->connectTo(port));
        QTRY_COMPARE(addresses->count(), 2);
        LoopbackPeer second(SOCK_STREAM);
        QVERIFY(second.connectTo(port));
        QTRY_COMPARE(addresses->count(), 3);
        QCOMPARE(addresses->itemText(1), QStringLiteral("127.0.0.1"));
        QCOMPARE(ports->itemText(1), QString::number(first->port()));
        QCOMPARE(ports->itemText(2), QString::number(second.port()));
        QCOMPARE(addresses->currentIndex(), 1);
        QCOMPARE(ports->currentIndex(), 1);
        QCOMPARE(button("But_TCPCtl")->text(), QStringLiteral("断开"));
        QVERIFY(button("But_TCPCtl")->isEnabled());
        QCOMPARE(lamp("TCPStateDisplay"), LampWidget::Red);

        // Only the selected client gets the text.
        addresses->setCurrentIndex(2);
        get<QPlainTextEdit>("MemoTCPSend")->setPlainText(QStringLiteral("AT"));
        click("But_TCPSend");
        QCOMPARE(second.receive(), QByteArray("AT"));
        QCOMPARE(first->receive(), QByteArray());

        // The first client leaves: its line goes, the other stays.
        first.reset();
        QTRY_COMPARE(addresses->count(), 2);
        QCOMPARE(ports->itemText(1), QString::number(second.port()));
        second.send("OK");
        QTRY_VERIFY(transcript().endsWith(QStringLiteral("AT\nOK")));
    }

    // A client that reads slowly gets every text the window sent, whole and
    // in order, while the window goes on; a text that would leave more than
    // the bound waiting is refused whole, and the transcript says so.
    void slowClientGetsEveryText() {
        quint16 port = 0;
        if (!listenOnLoopback(port))
            QSKIP("no loopback port for the console here");
        LoopbackPeer client(SOCK_STREAM);
        client.shrinkReceiveBuffer();
        QVERIFY(client.connectTo(port));
        QTRY_COMPARE(combo("Cmb_RemoteIP")->count(), 2);
        auto *socket = m_window->findChild<TcmSocket *>(QStringLiteral("MySocket"));
        QVERIFY(socket);
        QCOMPARE(socket->Connections().size(), 1);
        // The system's own queue for the connection kept small, so that
        // hundreds of kilobytes are more than it takes.
        const int small = 4096;
        QCOMPARE(::setsockopt(socket->Connections().constFirst().socket, SOL_SOCKET, SO_SNDBUF,
                              &small, sizeof small),
                 0);

        int texts = 0;
        const auto sendText = [&] {
            const QString text = QString::number(texts).rightJustified(6, u'0') +
                                 QString(1494, QChar(u'a' + texts % 26));
            ++texts;
            get<QPlainTextEdit>("MemoTCPSend")->setPlainText(text);
            click("But_TCPSend");
            return text.toLatin1();
        };
        const auto refused = [&] { return transcript().contains(u"[not sent: "_s); };
        QByteArray expected;
        while (texts < 400)
            expected += sendText();
        QVERIFY(!refused());
        QCOMPARE(client.receiveAll(expected.size()), expected);

        socket->MaxQueuedBytes = 3 * 1500;
        expected.clear();
        for (QByteArray text = sendText(); !refused() && texts < 1000; text = sendText())
            expected += text;
        QVERIFY(refused());
        QCOMPARE(client.receiveAll(expected.size() + 1), expected);
        QVERIFY(isOpen());
    }

    // Clients that connect all at once wait in the backlog until the window
    // accepts them, none is turned away for seconds.
    void manyClientsConnectAtOnce() {
        quint16 port = 0;
        if (!listenOnLoopback(port))
            QSKIP("no loopback port for the console here");
        constexpr int Clients = 40;
        std::vector<pollfd> clients;
        for (int i = 0; i < Clients; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            to.sin_port = htons(port);
            const int result = ::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to);
            QVERIFY(result == 0 || errno == EINPROGRESS);
            clients.push_back({fd, POLLOUT, 0});
        }
        // No event loop turn meanwhile: the window accepts nothing, every
        // connection is made by the backlog alone. Clients turned away
        // would not connect before the window accepted the first ones.
        int connected = 0;
        for (int round = 0; round < 50 && connected < Clients; ++round) {
            ::poll(clients.data(), clients.size(), 100);
            connected = int(std::count_if(clients.begin(), clients.end(),
                                          [](const pollfd &p) { return p.revents & POLLOUT; }));
        }
        QCOMPARE(connected, Clients);
        QTRY_COMPARE(combo("Cmb_RemoteIP")->count(), Clients + 1);
        for (const pollfd &p : clients)
            ::close(p.fd);
    }

    void listenTimeOutInTheWindow() {
        ManualClock clock;
        openWindow(clock);
        quint16 port = 0;
        if (!listenOnLoopback(port))
            QSKIP("no loopback port for the console here");
        BoxSeen seen;
        clock.advance(Console::ListenTimeoutMs);
        QTRY_COMPARE(seen.text, QStringLiteral("等待客户端超时!"));
        QVERIFY(!isOpen());
        // The button works again; captions and lamp stay as they were.
        QVERIFY(button("But_TCPCtl")->isEnabled());
        QCOMPARE(button("But_TCPCtl")->text(), QStringLiteral("监听"));
        QVERIFY(button("But_UDPFind")->isEnabled());
        QCOMPARE(lamp("TCPStateDisplay"), LampWidget::Silver);
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
        auto *typedInto = m_window->findChild<QComboBox *>(list);
        QVERIFY(typedInto && typedInto->isVisible() && typedInto->lineEdit());
        QTest::keyClicks(typedInto->lineEdit(), QStringLiteral("10.0.0.9"));
        QTest::keyClick(typedInto->lineEdit(), Qt::Key_Return);
        QCOMPARE(typedInto->count(), 1);
        QCOMPARE(typedInto->currentIndex(), 0);
    }

    void windowGoesWhileTheConsoleIsOpen() {
        openUdp();
        // Closing the transport on the way out must not reach the console
        // after it is gone (the sanitizer build would catch the use).
        m_window.reset();
    }
};

QTEST_MAIN(TstConsoleWindow)
#include "tst_consolewindow.moc"
