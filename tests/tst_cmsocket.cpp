// The socket component on loopback: activation, UDP and TCP traffic, the
// server's connection list, the error path and its texts, and re-entrant
// receive handlers.
#include "cmsocket.h"
#include "cmsocket_testutil.h"
#include "gbk.h"
#include "language.h"
#include "sockettransport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <fcntl.h>

using namespace cmtest;
using namespace Qt::StringLiterals;

namespace {

struct TableEntry {
    int code;
    QString text;
};

const QList<TableEntry> &knownTexts() {
    static const QList<TableEntry> table = {
        {10004, u"The (blocking) call was canceled through WSACancelBlockingCall.(函数被中断)"_s},
        {10013,
         u"Attempt to connect datagram socket to broadcast address failed because setsockopt SO_BROADCAST is not enabled; or the requested address is a broadcast address, but the appropriate flag was not set.(无权限)"_s},
        {10014,
         u"The name or the namelen argument is not a valid part of the user address space, the namelen argument is too small, the name argument contains incorrect address format for the associated address family, or the first two bytes of the memory block specified by name does not match the address family associated with the socket descriptor s.(错误地址)"_s},
        {10022, u"The socket is not(or is already) bound to an address ,etc."_s},
        {10024, u"No more socket descriptors are available.(打开过多文件)"_s},
        {10035,
         u"The socket is marked as nonblocking and the requested operation would block,and cannot be completed immediately. "_s},
        {10036,
         u"A blocking Windows Sockets 1.1 call is in progress, or the service provider is still processing a callback function(操作正进行)."_s},
        {10037,
         u"A nonblocking connect call is in progress on the specified socket.(操作正进行)"_s},
        {10038, u"The descriptor is not a socket."_s},
        {10039, u"需要目标地址"_s},
        {10040,
         u"The socket is message oriented, and the message is larger than the maximum supported by the underlying transport.(消息过长)"_s},
        {10041, u"The specified protocol is the wrong type for this socket."_s},
        {10043, u"The specified protocol is not supported."_s},
        {10044, u"The specified socket type is not supported in this address family."_s},
        {10045,
         u"MSG_OOB was specified, but the socket is not stream style such as type SOCK_STREAM, out-of-band data is not supported in the communication domain associated with this socket, or the socket is unidirectional and supports only receive operations."_s},
        {10047, u"The specified address family is not supported.(地址类型不被协议支持)"_s},
        {10048, u"The specified address is already in use(地址已使用)."_s},
        {10049,
         u"The specified address is not available from the local machine.(不能关联到指定地址)"_s},
        {10050,
         u"The network subsystem or the associated service provider has failed.(网络已关闭)."_s},
        {10051, u"The network cannot be reached from this host at this time."_s},
        {10052,
         u"The connection has been broken due to the remote host resetting.(网络重置时连接丢失)"_s},
        {10053,
         u"The virtual circuit was terminated due to a time-out or other failure. The application should close the socket as it is no longer usable.(软件造成连接取消)"_s},
        {10054,
         u"The virtual circuit was reset by the remote side executing a 'hard' or 'abortive' close. For UPD sockets, the remote host was unable to deliver a previously sent UDP datagram and responded with a 'Port Unreachable' ICMP packet. The application should close the socket as it is no longer usable.(连接被对方重置)"_s},
        {10055, u"Not enough buffers available, no more socket、connections or other action!"_s},
        {10056, u"The socket is already connected (connection-oriented sockets only).(已经连接)"_s},
        {10057, u"The socket is not connected."_s},
        {10058,
         u"he socket has been shut down; it is not possible to send on a socket after shutdown has been invoked with how set to SD_SEND or SD_BOTH."_s},
        {10060,
         u"Operation time out,the connection may have be been dropped, because of a network failure or because the system on the other end went down without notice."_s},
        {10061, u"The attempt to connect was forcefully rejected.(连接被拒绝)"_s},
        {10064, u"主机已关闭"_s},
        {10065, u"The remote host cannot be reached from this host at this time."_s},
        {10093, u"A successful WSAStartup must occur before using this function."_s},
    };
    return table;
}

QByteArray tableText(int code) {
    for (const TableEntry &entry : knownTexts()) {
        if (entry.code == code)
            return gbk::encode(entry.text);
    }
    return gbk::encode(u"未知错误"_s);
}

QByteArray report(const char *call, int code) {
    return "error " + QByteArray::number(code) + ' ' + call + " : " + tableText(code);
}

// A component on 127.0.0.1 with a free port, already open.
void openLoopback(TcmSocket &socket, TcmSocketProtocol protocol, quint16 port = 0) {
    socket.Protocol = protocol;
    socket.LocalHost = u"127.0.0.1"_s;
    socket.LocalPort = port;
    socket.SetActive(true);
}

// A port on which nothing listens right now.
quint16 unusedTcpPort() {
    Fd probe(boundSocket(SOCK_STREAM, kLoopback));
    return localPortOf(probe.get());
}

int connectTo(quint16 port, quint16 localPort = 0) {
    const int fd = boundSocket(SOCK_STREAM, kLoopback, localPort, true);
    const sockaddr_in to = addressOf(kLoopback, port);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0) {
        closeSocket(fd);
        return -1;
    }
    return fd;
}

QList<quint16> listedPorts(const TcmSocket &socket) {
    QList<quint16> ports;
    for (const cm_Connection &connection : socket.Connections())
        ports.append(connection.port);
    return ports;
}

// Ends a test-side connection; abortively it resets instead of closing.
void endConnection(Fd &fd, bool abortive) {
    if (abortive) {
        const linger hard{1, 0};
        ::setsockopt(fd.get(), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&hard),
                     sizeof hard);
    }
    fd.reset();
}

// Rows for a peer that leaves in order or resets: either way it is gone.
void endingRows() {
    QTest::addColumn<bool>("abortive");
    QTest::newRow("orderly close") << false;
    QTest::newRow("reset") << true;
}

// Lets pending notices through for a while, for checks that nothing more
// happens.
void settle(int ms = 150) {
    QTest::qWait(ms);
}

} // namespace

class TstCmsocket : public QObject {
    Q_OBJECT

private slots:
    void errorTable_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("text");
        for (const TableEntry &entry : knownTexts())
            QTest::newRow(QByteArray::number(entry.code).constData())
                << entry.code << gbk::encode(entry.text);
        const QByteArray unknown = gbk::encode(u"未知错误"_s);
        for (const int code : {0, -1, 10042, 10094, 10009, 659357712})
            QTest::newRow(("unknown " + QByteArray::number(code)).constData()) << code << unknown;
    }

    void errorTable() {
        QFETCH(int, code);
        QFETCH(QByteArray, text);
        QCOMPARE(TcmSocket::MapErrorCode(code), text);
    }

    void errorTextDetails() {
        QVERIFY(TcmSocket::MapErrorCode(10035).endsWith("immediately. "));
        // The enumeration comma of the buffer text is the GBK pair A1 A2.
        QVERIFY(TcmSocket::MapErrorCode(10055).contains("socket\xa1\xa2"
                                                        "connections"));
        // In English no Chinese is left, the suffixes included; in Chinese
        // every text is Chinese. What the source holds is the table above.
        static const QRegularExpression chinese(u"[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"_s);
        for (const language::Choice choice :
             {language::Choice::English, language::Choice::Chinese}) {
            language::apply(*QCoreApplication::instance(), choice, language::Choice::Source);
            for (int code = 10000; code <= 10100; ++code) {
                const QString text = gbk::decode(TcmSocket::MapErrorCode(code));
                QVERIFY2(text.contains(chinese) == (choice == language::Choice::Chinese),
                         qPrintable(text));
            }
        }
        language::apply(*QCoreApplication::instance(), language::Choice::Source,
                        language::Choice::Source);
    }

    void showError() {
        TcmSocket socket;
        Recorder r(socket);
        socket.ShowError("listen() failed", 0);
        socket.ShowError("listen() failed", 10048);
        QCOMPARE(r.lines,
                 (QList<QByteArray>{"error 0 listen() failed", report("listen() failed", 10048)}));
        // A result other than -1 passes untouched and reports nothing.
        QCOMPARE(socket.ErrorCheck(7, "bind() failed"), 7);
        QCOMPARE(r.lines.size(), 2);
    }

    void addressHelpers_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("class C") << u"192.168.1.7"_s << int(cmBroadcast) << u"192.168.1.255"_s;
        QTest::newRow("class A") << u"10.1.2.3"_s << int(cmBroadcast) << u"10.255.255.255"_s;
        QTest::newRow("class B") << u"172.16.5.4"_s << int(cmBroadcast) << u"172.16.255.255"_s;
        QTest::newRow("multicast") << u"224.0.0.1"_s << int(cmBroadcast) << u"224.0.0.1"_s;
        QTest::newRow("zero net") << u"0.1.2.3"_s << int(cmBroadcast) << u"0.1.2.3"_s;
        QTest::newRow("unicast") << u"192.168.1.7"_s << int(cmUnicast) << u"192.168.1.7"_s;
        QTest::newRow("other mode") << u"192.168.1.7"_s << 7 << u"192.168.1.7"_s;
        QTest::newRow("numeric name") << u"1.2.3"_s << int(cmUnicast) << u"1.2.0.3"_s;
        QTest::newRow("unresolvable")
            << u"no-such-host.invalid"_s << int(cmUnicast) << u"0.0.0.0"_s;
    }

    void addressHelpers() {
        QFETCH(QString, host);
        QFETCH(int, mode);
        QFETCH(QString, expected);
        QCOMPARE(TcmSocket::HostIP(TcmSocket::get_ip_data(host, TcmCastMode(mode))), expected);
    }

    void validIp_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("dotted") << QByteArray("1.2.3.4") << true;
        QTest::newRow("too short") << QByteArray("1.2.3") << false;
        QTest::newRow("all ones") << QByteArray("255.255.255.255") << false;
        QTest::newRow("module") << QByteArray("192.168.1.199") << true;
        QTest::newRow("garbage") << QByteArray("abcdefgh") << false;
    }

    void validIp() {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QCOMPARE(TcmSocket::isValidIP(text.constData()), valid);
    }

    void ownAddress() {
        QVERIFY(!TcmSocket::isValidIP(nullptr));
        QCOMPARE(TcmSocket::HostIP(0), u"0.0.0.0"_s);
        QCOMPARE(TcmSocket::BroadcastIP(u"192.168.1.7"_s), u"192.168.1.255"_s);
        const quint32 own = TcmSocket::get_ip_data(QString(), cmUnicast);
        QCOMPARE(TcmSocket::HostIP(0xFFFFFFFFu), TcmSocket::HostIP(own));
        QVERIFY(TcmSocket::HostName().size() < 32);
    }

    void activationTwice() {
        TcmSocket socket;
        Recorder r(socket);
        openLoopback(socket, cmUDP);
        QVERIFY(socket.Active());
        QVERIFY(socket.LocalPort != 0);
        QCOMPARE(socket.LocalHost, u"127.0.0.1"_s);
        socket.SetActive(true);
        QCOMPARE(r.lines, QList<QByteArray>{"active 1"});
        const int port = socket.LocalPort;
        socket.SetActive(false);
        socket.SetActive(false);
        QCOMPARE(r.lines, (QList<QByteArray>{"active 1", "active 0"}));
        QCOMPARE(socket.Socket(), -1);
        QVERIFY(!socket.Bound());
        // The learned address stays after closing.
        QCOMPARE(socket.LocalPort, port);
        settle();
        QCOMPARE(r.lines.size(), 2);
    }

    void udpExchange() {
        TcmSocket a;
        TcmSocket b;
        Recorder ra(a);
        Recorder rb(b);
        openLoopback(a, cmUDP);
        openLoopback(b, cmUDP);
        QVERIFY(a.SendTo(kLoopback, quint16(b.LocalPort), "hello", 5));
        QTRY_COMPARE(rb.received.size(), 1);
        QCOMPARE(rb.received[0].data, QByteArray("hello"));
        QVERIFY(rb.received[0].terminated);
        QCOMPARE(rb.received[0].ip, kLoopback);
        QCOMPARE(int(rb.received[0].port), a.LocalPort);
        QCOMPARE(rb.received[0].socket, b.Socket());

        QVERIFY(b.SendTo(u"127.0.0.1"_s, quint16(a.LocalPort), "back", 0));
        QTRY_COMPARE(ra.received.size(), 1);
        QCOMPARE(ra.received[0].data, QByteArray("back"));
        QCOMPARE(int(ra.received[0].port), b.LocalPort);
        QCOMPARE(ra.lines, (QList<QByteArray>{"active 1", "receive"}));
    }

    void sendLengthRules_data() {
        QTest::addColumn<int>("len");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("zero means text") << 0 << QByteArray("abc");
        QTest::newRow("negative means text") << -5 << QByteArray("abc");
        QTest::newRow("explicit length") << 7 << QByteArray("abc\0def", 7);
        QTest::newRow("shorter") << 2 << QByteArray("ab");
    }

    void sendLengthRules() {
        QFETCH(int, len);
        QFETCH(QByteArray, expected);
        TcmSocket socket;
        Recorder r(socket);
        openLoopback(socket, cmUDP);
        Fd peer(boundSocket(SOCK_DGRAM, kLoopback));
        const quint16 port = localPortOf(peer.get());
        static const char data[] = "abc\0def";
        QVERIFY(socket.SendTo(kLoopback, port, data, len));
        QCOMPARE(receiveDatagram(peer.get()), expected);
        QVERIFY(socket.SendTo(u"127.0.0.1"_s, port, data, len));
        QCOMPARE(receiveDatagram(peer.get()), expected);
    }

    void sendRefusals() {
        TcmSocket socket;
        Recorder r(socket);
        // Closed: nothing is sent and nothing is reported.
        QVERIFY(!socket.SendTo(kLoopback, 9, "x", 1));
        QVERIFY(!socket.Send("x", 1));
        openLoopback(socket, cmUDP);
        QVERIFY(!socket.SendTo(kLoopback, 9, nullptr, 1));
        QVERIFY(!socket.SendTo(socket.Socket(), nullptr, 1));
        QCOMPARE(r.lines, QList<QByteArray>{"active 1"});
        // Without a peer a plain send fails and says why.
        QVERIFY(!socket.Send("x", 1));
#ifdef _WIN32
        // Winsock's code for it differs between versions (and Wine).
        QVERIFY2(r.lines.value(1).startsWith("error 100"), r.lines.value(1).constData());
        QVERIFY(r.lines.value(1).contains(" send() failed : "));
#else
        QCOMPARE(r.lines.value(1), report("send() failed", 10039));
#endif
    }

    void connectedDatagram() {
        Fd peer(boundSocket(SOCK_DGRAM, kLoopback));
        const quint16 port = localPortOf(peer.get());
        TcmSocket socket;
        Recorder r(socket);
        socket.RemoteHost = u"127.0.0.1"_s;
        socket.RemotePort = port;
        openLoopback(socket, cmUDP);
        QVERIFY(socket.Active());
        QVERIFY(socket.Send("to peer", 0));
        QCOMPARE(receiveDatagram(peer.get()), QByteArray("to peer"));

        // "0" and port 0: no default peer, so a plain send has nowhere to go.
        TcmSocket loose;
        Recorder rl(loose);
        loose.RemoteHost = u"0"_s;
        loose.RemotePort = 0;
        openLoopback(loose, cmUDP);
        QVERIFY(loose.Active());
        QVERIFY(!loose.Send("x", 1));
    }

    void portInUse_data() {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<int>("type");
        QTest::newRow("udp") << int(cmUDP) << int(SOCK_DGRAM);
        QTest::newRow("tcp server") << int(cmTcpServer) << int(SOCK_STREAM);
    }

    void portInUse() {
        QFETCH(int, protocol);
        QFETCH(int, type);
        Fd holder(boundSocket(type, kLoopback));
        TcmSocket socket;
        Recorder r(socket);
        openLoopback(socket, TcmSocketProtocol(protocol), localPortOf(holder.get()));
        QCOMPARE(r.lines, (QList<QByteArray>{"error 0 !!!!!!!!socket closed for error2740",
                                             "active 0", report("bind() failed", 10048)}));
        QVERIFY(!socket.Active());
        QVERIFY(!socket.Bound());
        QCOMPARE(socket.Socket(), -1);
        // A later attempt on a free port works.
        socket.LocalPort = 0;
        socket.SetActive(true);
        QVERIFY(socket.Active());
    }

    void clientConnects_data() {
        endingRows();
    }
    void clientConnects() {
        QFETCH(bool, abortive);
        Fd listener(boundSocket(SOCK_STREAM, kLoopback));
        QCOMPARE(::listen(listener.get(), 5), 0);
        TcmSocket client;
        Recorder r(client);
        client.RemoteHost = u"127.0.0.1"_s;
        client.RemotePort = localPortOf(listener.get());
        openLoopback(client, cmTcpClient);
        QCOMPARE(r.lines, QList<QByteArray>{report("connect() failed", 10035)});
        QVERIFY(!client.Active());
        QVERIFY(client.Bound());
        QVERIFY(client.Socket() != -1);
        QTRY_COMPARE(r.lines.size(), 3);
        QCOMPARE(r.lines[1], QByteArray("error 0 Message:FD_CONNECT"));
        QCOMPARE(r.lines[2], QByteArray("active 1"));
        QVERIFY(client.Active());
        QVERIFY(client.LocalPort != 0);

        Fd served(int(::accept(listener.get(), nullptr, nullptr)));
        QVERIFY(client.Send("ping", 4));
        char buf[8] = {};
        QCOMPARE(::recv(served.get(), buf, sizeof buf, 0), 4);
        QCOMPARE(::send(served.get(), "pong", 4, 0), 4);
        QTRY_COMPARE(r.received.size(), 1);
        QCOMPARE(r.received[0].data, QByteArray("pong"));
        QCOMPARE(int(r.received[0].port), int(client.RemotePort));
        QCOMPARE(r.received[0].ip, kLoopback);

        // The server leaving closes the client component.
        endConnection(served, abortive);
        QTRY_COMPARE(r.lines.last(), QByteArray("active 0"));
        QVERIFY(!client.Active());
        QCOMPARE(client.Socket(), -1);
    }

    void clientRefused() {
        TcmSocket client;
        Recorder r(client);
        client.RemoteHost = u"127.0.0.1"_s;
        client.RemotePort = unusedTcpPort();
        openLoopback(client, cmTcpClient);
        QTRY_COMPARE(r.lines.size(), 2);
        QCOMPARE(r.lines[0], report("connect() failed", 10035));
        QCOMPARE(r.lines[1], "error 659357712 1035 : " + gbk::encode(u"未知错误"_s));
        settle();
        QCOMPARE(r.lines.size(), 2);
        // Still connecting until closed.
        QVERIFY(!client.Active());
        QVERIFY(client.Bound());
        QVERIFY(client.Socket() != -1);
        client.Close();
        QCOMPARE(r.lines.last(), QByteArray("active 0"));
    }

    void clientWithoutPort() {
        TcmSocket client;
        Recorder r(client);
        client.RemoteHost = u"127.0.0.1"_s;
        client.RemotePort = 0;
        openLoopback(client, cmTcpClient);
        settle();
        QVERIFY(r.lines.isEmpty());
        QVERIFY(!client.Active());
        QVERIFY(client.Bound());
        QVERIFY(client.Socket() != -1);
    }

    void failingCloseDoesNotRecurse() {
        // A connecting client whose descriptor vanished underneath: closing it
        // fails, and the error path asks for the close that is running.
        TcmSocket client;
        Recorder r(client);
        client.RemoteHost = u"127.0.0.1"_s;
        client.RemotePort = 0;
        openLoopback(client, cmTcpClient);
        closeSocket(client.Socket());
        client.Close();
#ifdef _WIN32
        // Winsock: the value names no socket any more.
        const QList<QByteArray> expected{"error 0 !!!!!!!!socket closed for error2736",
                                         report("closesocket() failed", 10038), "active 0"};
#else
        const QList<QByteArray> expected{"error 0 !!!!!!!!socket closed for error2719",
                                         report("closesocket() failed", 10009), "active 0"};
#endif
        QCOMPARE(r.lines, expected);
        QCOMPARE(client.Socket(), -1);
    }

    void serverClients_data() {
        endingRows();
    }
    void serverClients() {
        QFETCH(bool, abortive);
        TcmSocket server;
        Recorder r(server);
        openLoopback(server, cmTcpServer);
        QVERIFY(server.Active());
        const auto port = quint16(server.LocalPort);

        Fd c1(connectTo(port));
        QTRY_COMPARE(r.accepted.size(), 1);
        Fd c2(connectTo(port));
        QTRY_COMPARE(r.accepted.size(), 2);
        Fd c3(connectTo(port));
        QTRY_COMPARE(r.accepted.size(), 3);
        // FD_ACCEPT only reports; the list grows on the first FD_WRITE.
        QCOMPARE(r.lines, (QList<QByteArray>{"active 1", "error 0 Message:FD_ACCEPT", "accept",
                                             "error 0 Message:FD_ACCEPT", "accept",
                                             "error 0 Message:FD_ACCEPT", "accept"}));
        const QList<quint16> clientPorts{localPortOf(c1.get()), localPortOf(c2.get()),
                                         localPortOf(c3.get())};
        QCOMPARE(listedPorts(server), clientPorts);
        QCOMPARE(server.Connections().size(), 3);
        QCOMPARE(r.accepted[1].ip, kLoopback);
        QCOMPARE(r.accepted[1].port, clientPorts[1]);

        // Data of one client arrives with its socket and address.
        QCOMPARE(::send(c2.get(), "from two", 8, 0), 8);
        QTRY_COMPARE(r.received.size(), 1);
        QCOMPARE(r.received[0].data, QByteArray("from two"));
        QCOMPARE(r.received[0].socket, r.accepted[1].socket);
        QCOMPARE(r.received[0].port, clientPorts[1]);
        QVERIFY(server.SendTo(r.accepted[2].socket, "to three", 0));
        char buf[16] = {};
        QCOMPARE(::recv(c3.get(), buf, sizeof buf, 0), 8);

        // A leave unlinks the node, raises OnDiscard and closes it.
        const int leaving = r.accepted[1].socket;
        endConnection(c2, abortive);
        QTRY_COMPARE(r.discarded.size(), 1);
        QCOMPARE(r.discarded[0].socket, leaving);
        QCOMPARE(r.discarded[0].port, clientPorts[1]);
        QCOMPARE(r.discarded[0].ip, kLoopback);
        QCOMPARE(listedPorts(server), (QList<quint16>{clientPorts[0], clientPorts[2]}));
        QCOMPARE(server.Connections().size(), 2);
        QCOMPARE(server.Connections().last().port, clientPorts[2]);
        QVERIFY(!socketOpen(leaving));

        // The tail leaves: the list keeps its head and a valid tail.
        endConnection(c3, abortive);
        QTRY_COMPARE(r.discarded.size(), 2);
        QCOMPARE(server.Connections().size(), 1);
        QCOMPARE(server.Connections().last().port, clientPorts[0]);

        // Closing the server closes every connection without OnDiscard, also
        // when another protocol was picked for the next opening meanwhile.
        const int remaining = r.accepted[0].socket;
        r.lines.clear();
        server.Protocol = cmUDP;
        server.Close();
        QCOMPARE(r.lines, QList<QByteArray>{"active 0"});
        QVERIFY(server.Connections().isEmpty());
        QVERIFY(!socketOpen(remaining));
        QCOMPARE(::recv(c1.get(), buf, sizeof buf, 0), 0);
        settle();
        QCOMPARE(r.lines.size(), 1);
    }

    void liveClientsStayListed() {
        TcmSocket server;
        Recorder r(server);
        openLoopback(server, cmTcpServer);
        const auto port = quint16(server.LocalPort);
        Fd c(connectTo(port));
        QTRY_COMPARE(r.accepted.size(), 1);
        const int live = r.accepted[0].socket;
        const int descriptors = openDescriptors();

        // Clients that reset before the server gets to them, while C sends:
        // their peer address can no longer be read, and the shared scratch
        // address still holds C's from its last read.
        [[maybe_unused]] const QByteArray unreadable = report("getpeername() failt!", 10057);
        for (int round = 1; round <= 50; ++round) {
            Fd gone(connectTo(port));
            QVERIFY(gone.get() >= 0);
            endConnection(gone, true);
            QCOMPARE(::send(c.get(), "x", 1, MSG_NOSIGNAL), 1);
#ifndef _WIN32
            // Winsock may drop a connection reset in the backlog before
            // accept() hands it over; Linux hands it over.
            QTRY_COMPARE(r.lines.count(unreadable), round);
#endif
            QTRY_COMPARE(r.received.size(), round);
        }
        QCOMPARE(listedPorts(server), QList<quint16>{localPortOf(c.get())});
        QCOMPARE(r.accepted.size(), 1);
        for (const Received &got : std::as_const(r.received))
            QCOMPARE(got.socket, live);
        QVERIFY(server.SendTo(live, "still here", 0));
        char buf[16] = {};
        QCOMPARE(::recv(c.get(), buf, sizeof buf, 0), 10);
        QTRY_COMPARE(openDescriptors(), descriptors);

        // One client endpoint connected to two addresses of a server on the
        // wildcard address: two live connections with the same peer address
        // and port, and neither takes the other's place.
        TcmSocket wild;
        Recorder rw(wild);
        wild.Protocol = cmTcpServer;
        wild.LocalHost = u"0.0.0.0"_s;
        wild.SetActive(true);
        QVERIFY(wild.Active());
        Fd x(connectTo(quint16(wild.LocalPort)));
        QTRY_COMPARE(rw.accepted.size(), 1);
        Fd y(boundSocket(SOCK_STREAM, kLoopback, localPortOf(x.get()), true));
        const sockaddr_in second = addressOf(ipOf(127, 0, 0, 2), quint16(wild.LocalPort));
        QCOMPARE(::connect(y.get(), reinterpret_cast<const sockaddr *>(&second), sizeof second), 0);
        QTRY_COMPARE(rw.accepted.size(), 2);
        QCOMPARE(rw.accepted[1].port, rw.accepted[0].port);
        QCOMPARE(wild.Connections().size(), 2);
        QVERIFY(wild.SendTo(rw.accepted[0].socket, "one", 0));
        QCOMPARE(::recv(x.get(), buf, sizeof buf, 0), 3);
    }

    void relayDump() {
        Fd listener(boundSocket(SOCK_STREAM, kLoopback));
        QCOMPARE(::listen(listener.get(), 5), 0);
        TcmSocket client;
        Recorder r(client);
        client.SetBufferSize(10);
        client.RelayDump = true;
        client.RemoteHost = u"127.0.0.1"_s;
        client.RemotePort = localPortOf(listener.get());
        openLoopback(client, cmTcpClient);
        QTRY_VERIFY(client.Active());
        Fd served(int(::accept(listener.get(), nullptr, nullptr)));

        QCOMPARE(::send(served.get(), "abcdef", 6, 0), 6);
        QTRY_COMPARE(r.received.size(), 1);
        const char *base = r.pointers[0];
        QCOMPARE(r.received[0].data, QByteArray("abcdef"));
        QCOMPARE(client.BufOffset(), 6);

        QCOMPARE(::send(served.get(), "ghijkl", 6, 0), 6);
        QTRY_COMPARE(r.received.size(), 3);
        QCOMPARE(r.received[1].data, QByteArray("ghij"));
        QCOMPARE(r.pointers[1], base + 6);
        QCOMPARE(r.received[2].data, QByteArray("kl"));
        QCOMPARE(r.pointers[2], base);
        QVERIFY(r.received[2].terminated);
        QCOMPARE(client.BufOffset(), 2);
    }

    void streamReadsInTurns() {
        // More queued stream data than one notice may take: it comes whole and
        // in order over several notices, and the event loop turns in between.
#ifdef _WIN32
        // Qt's Windows dispatcher runs its zero timers only once the native
        // queue is empty, and Winsock posts the next FD_READ right away.
        QSKIP("no timer turns between Winsock notices to count");
#endif
        Fd listener(boundSocket(SOCK_STREAM, kLoopback));
        QCOMPARE(::listen(listener.get(), 5), 0);
        TcmSocket client;
        client.SetBufferSize(512);
        client.ReadBudget = 4096;
        client.RemoteHost = u"127.0.0.1"_s;
        client.RemotePort = localPortOf(listener.get());
        openLoopback(client, cmTcpClient);
        QTRY_VERIFY(client.Active());
        Fd served(int(::accept(listener.get(), nullptr, nullptr)));

        int turns = 0;
        QTimer everyTurn;
        everyTurn.setInterval(0);
        QObject::connect(&everyTurn, &QTimer::timeout, &everyTurn, [&turns] { ++turns; });
        QByteArray received;
        QList<qint64> bytesPerTurn; // consecutive reads with no turn between them
        int lastTurn = -1;
        client.OnReceive = [&](TcmSocket *, int, quint16, quint32, const char *buf, int len) {
            received.append(buf, len);
            if (turns != lastTurn)
                bytesPerTurn.append(0);
            bytesPerTurn.last() += len;
            lastTurn = turns;
        };

        // All of it is queued before the first notice is handled.
        QByteArray data(32 * 1024, Qt::Uninitialized);
        for (qsizetype i = 0; i < data.size(); ++i)
            data[i] = char(i * 7 % 251);
        setNonBlocking(served.get());
        QCOMPARE(qsizetype(::send(served.get(), data.constData(), int(data.size()), kDontWait)),
                 data.size());
        everyTurn.start();
        QTRY_COMPARE(received.size(), data.size());
        QCOMPARE(received, data);
        QVERIFY2(bytesPerTurn.size() >= int(data.size() / (client.ReadBudget + 512)),
                 QByteArray::number(bytesPerTurn.size()).constData());
        for (const qint64 bytes : bytesPerTurn)
            QVERIFY(bytes <= client.ReadBudget + client.MaxBufSize());
        QVERIFY(client.Active());
    }

    void oversizedDatagram() {
        TcmSocket socket;
        Recorder r(socket);
        socket.SetBufferSize(16);
        openLoopback(socket, cmUDP);
        Fd peer(boundSocket(SOCK_DGRAM, kLoopback));
        QVERIFY(
            sendDatagram(peer.get(), kLoopback, quint16(socket.LocalPort), QByteArray(17, 'x')));
        QTRY_COMPARE(r.lines.size(), 2);
        QCOMPARE(r.lines[1], report("recvfrom() failed", 10040));
        // The datagram is gone; the next one arrives whole.
        QVERIFY(
            sendDatagram(peer.get(), kLoopback, quint16(socket.LocalPort), QByteArray(15, 'y')));
        QTRY_COMPARE(r.received.size(), 1);
        QCOMPARE(r.received[0].data, QByteArray(15, 'y'));
        QCOMPARE(r.lines.size(), 3);
        QVERIFY(socket.Active());
    }

    void unreadDataStaysQueued() {
        TcmSocket socket;
        Recorder r(socket);
        const TcmSocket::TcmSocketReceiveEvent handler = socket.OnReceive;
        socket.OnReceive = nullptr;
        openLoopback(socket, cmUDP);
        Fd peer(boundSocket(SOCK_DGRAM, kLoopback));
        QVERIFY(sendDatagram(peer.get(), kLoopback, quint16(socket.LocalPort), "kept"));
        settle(300);
        QVERIFY(r.received.isEmpty());
        socket.OnReceive = handler;
        QTRY_COMPARE(r.received.size(), 1);
        QCOMPARE(r.received[0].data, QByteArray("kept"));
    }

    void nestedReceive() {
        TcmSocket socket;
        openLoopback(socket, cmUDP);
        Fd peer(boundSocket(SOCK_DGRAM, kLoopback));
        const auto port = quint16(socket.LocalPort);

        int depth = 0;
        int maxDepth = 0;
        QList<QByteArray> copies;
        QByteArray outerAfterLoop;
        socket.OnReceive = [&](TcmSocket *, int, quint16, quint32, const char *buf, int len) {
            ++depth;
            maxDepth = std::max(maxDepth, depth);
            const QByteArray copy(buf, len);
            if (copies.isEmpty()) {
                copies.append(copy);
                // A modal loop: the second datagram is dispatched inside it.
                QEventLoop loop;
                QVERIFY(sendDatagram(peer.get(), kLoopback, port, "second datagram"));
                QTimer guard;
                guard.setSingleShot(true);
                QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
                guard.start(5000);
                QTimer poll;
                QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
                    if (copies.size() > 1)
                        loop.quit();
                });
                poll.start(5);
                loop.exec();
                outerAfterLoop = copies.first();
            } else {
                copies.append(copy);
            }
            --depth;
        };
        QVERIFY(sendDatagram(peer.get(), kLoopback, port, "first"));
        QTRY_COMPARE(copies.size(), 2);
        QTRY_COMPARE(depth, 0);
        QCOMPARE(maxDepth, 2);
        QCOMPARE(outerAfterLoop, QByteArray("first"));
        QCOMPARE(copies[1], QByteArray("second datagram"));
    }

    void oddNotices() {
        TcmSocket socket;
        Recorder r(socket);
        openLoopback(socket, cmTcpServer);
        QCOMPARE(socket.OnSocketMessage(17, 0, 0), qintptr(1));
        socket.OnSocketMessage(1035, quintptr(socket.Socket()), 4);
        socket.OnSocketMessage(1035, quintptr(socket.Socket()), 32 | (10053 << 16));
        QCOMPARE(r.lines,
                 (QList<QByteArray>{"active 1", "error 0 Message:FD_OOB",
                                    "error 658833440 1035 : " + gbk::encode(u"未知错误"_s)}));
        QVERIFY(socket.Active());
        // The end of the session closes the component.
        socket.OnSocketMessage(22, 1, 0);
        QVERIFY(!socket.Active());
    }

    void bufferSize() {
        TcmSocket socket;
        QCOMPARE(socket.MaxBufSize(), 2048);
        socket.SetBufferSize(65535);
        openLoopback(socket, cmUDP);
        QCOMPARE(socket.MaxBufSize(), 65535);
        Recorder r(socket);
        Fd peer(boundSocket(SOCK_DGRAM, kLoopback));
        const QByteArray big(60000, 'z');
        QVERIFY(sendDatagram(peer.get(), kLoopback, quint16(socket.LocalPort), big));
        QTRY_COMPARE(r.received.size(), 1);
        QCOMPARE(r.received[0].data, big);
        // Dropping the buffer while open leaves data queued instead of
        // reading into nothing.
        socket.SetBufferSize(0);
        QVERIFY(sendDatagram(peer.get(), kLoopback, quint16(socket.LocalPort), "late"));
        settle(300);
        QCOMPARE(r.received.size(), 1);
    }

    // The transport the core talks to, over the component: each kind opens,
    // carries bytes both ways and reports connections and failures.
    void transportOverTheSocket() {
        SocketTransport udp;
        QList<QByteArray> arrivals;
        connect(&udp, &Transport::received, this, [&](const Peer &from, QByteArrayView bytes) {
            arrivals.append(bytes.toByteArray() + '@' + QByteArray::number(from.port));
        });
        QVERIFY(udp.open({Transport::Kind::Datagram, u"127.0.0.1"_s, 0, {}, 0}));
        QCOMPARE(udp.localAddress(), u"127.0.0.1"_s);
        const auto udpPort = quint16(udp.socket().LocalPort);
        Fd peer(boundSocket(SOCK_DGRAM, kLoopback));
        QVERIFY(sendDatagram(peer.get(), kLoopback, udpPort, "hello"));
        QTRY_COMPARE(arrivals,
                     QList<QByteArray>{"hello@" + QByteArray::number(localPortOf(peer.get()))});
        QVERIFY(udp.sendDatagram(Peer{kLoopback, localPortOf(peer.get())}, "back"));
        QCOMPARE(receiveDatagram(peer.get()), QByteArray("back"));
        QVERIFY(!udp.sendDatagram(Peer{kLoopback, localPortOf(peer.get())}, ""));

        // A second transport cannot take the same port: it says why, in the
        // words the same on every system, beside the component's report.
        using Reason = Transport::Failure::Reason;
        SocketTransport taken;
        QList<Transport::Failure> failures;
        connect(&taken, &Transport::failed, this,
                [&](const Transport::Failure &f) { failures.append(f); });
        QVERIFY(!taken.open({Transport::Kind::Datagram, u"127.0.0.1"_s, udpPort, {}, 0}));
        QVERIFY(!failures.isEmpty());
        QCOMPARE(failures.last().reason, Reason::AddressInUse);
        QCOMPARE(failures.last().text, u"Address already in use"_s);
        QVERIFY(failures.last().report.startsWith(u"bind() failed : "_s));

        // A connection nobody takes is refused; that it was under way is no
        // failure.
        failures.clear();
        SocketTransport refused;
        connect(&refused, &Transport::failed, this,
                [&](const Transport::Failure &f) { failures.append(f); });
        QVERIFY(refused.open({Transport::Kind::StreamClient, {}, 0, u"127.0.0.1"_s, udpPort}));
        QTRY_VERIFY(!failures.isEmpty());
        for (const Transport::Failure &f : failures)
            QCOMPARE(f.reason, Reason::Refused);
        QCOMPARE(failures.last().text, u"Connection refused"_s);

        SocketTransport server;
        QList<int> added, removed;
        connect(&server, &Transport::connectionAdded, this,
                [&](const Transport::Connection &c) { added.append(c.id); });
        connect(&server, &Transport::connectionRemoved, this,
                [&](const Transport::Connection &c) { removed.append(c.id); });
        QVERIFY(server.open({Transport::Kind::StreamServer, u"127.0.0.1"_s, 0, {}, 0}));
        const auto serverPort = quint16(server.socket().LocalPort);
        Fd c1(connectTo(serverPort));
        QTRY_COMPARE(added.size(), 1);
        QCOMPARE(server.connections().size(), 1);
        QCOMPARE(server.connections().at(0).peer, (Peer{kLoopback, localPortOf(c1.get())}));
        QVERIFY(server.sendTo(added.at(0), "to c1"));
        char buf[16] = {};
        QCOMPARE(::recv(c1.get(), buf, sizeof buf, 0), 5);

        // A client connects to the server; it is open once connected.
        SocketTransport client;
        QList<bool> states;
        connect(&client, &Transport::openChanged, this, [&](bool open) { states.append(open); });
        QVERIFY(client.open({Transport::Kind::StreamClient, {}, 0, u"127.0.0.1"_s, serverPort}));
        QTRY_VERIFY(client.isOpen());
        QVERIFY(!client.isConnecting());
        QTRY_COMPARE(added.size(), 2);
        QVERIFY(client.send("ping"));
        c1.reset();
        QTRY_COMPARE(removed, QList<int>{added.at(0)});
        server.close();
        QTRY_VERIFY(!client.isOpen());
        QCOMPARE(states.last(), false);
        QVERIFY(server.connections().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstCmsocket)
#include "tst_cmsocket.moc"
