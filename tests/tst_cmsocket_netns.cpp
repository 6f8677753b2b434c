// The socket component on a computer with two adapters, each a private LAN
// in a namespace of its own: a container bridge (created first, so the
// system lists it first) with one peer behind it, and a veth cable to a
// second peer. Sockets find the adapters, hear what arrives on them, learn
// which one a datagram came in by, and send out of the one they are told,
// all without privileges. Everything is sent inside the namespaces this test
// creates; they are removed again whatever happens.
#include "cmsocket.h"
#include "cmsocket_testutil.h"
#include "sockettransport.h"
#include "systemadapters.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>

using namespace cmtest;
using namespace Qt::StringLiterals;

namespace {

const quint32 kBridge = ipOf(172, 17, 0, 1);
const quint32 kBridgePeer = ipOf(172, 17, 0, 2);
const quint32 kComputer = ipOf(192, 168, 77, 1);
const quint32 kOther = ipOf(192, 168, 77, 2);
const quint32 kSubnetBroadcast = ipOf(192, 168, 77, 255);
const quint32 kLimitedBroadcast = 0xFFFFFFFFu;

bool ip(const QStringList &arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(u"ip"_s, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

bool enterNamespace(const QByteArray &path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::setns(fd, CLONE_NEWNET) == 0;
    ::close(fd);
    return ok;
}

// What a plain user has while it lives (seteuid also drops the
// capabilities): the component must manage with that.
struct Unprivileged {
    Unprivileged()
        : ok(::seteuid(65534) == 0) {}
    ~Unprivileged() {
        if (ok)
            (void)::seteuid(0);
    }
    Unprivileged(const Unprivileged &) = delete;
    Unprivileged &operator=(const Unprivileged &) = delete;
    const bool ok;
};

// What the computer sent to a peer, up to the datagram that reads "end".
// The peers' own broadcasts, heard back, are skipped.
QList<QByteArray> untilEnd(int fd, QList<quint32> *senders = nullptr) {
    QList<QByteArray> texts;
    for (int i = 0; i < 16; ++i) {
        quint32 from = 0;
        const QByteArray text = receiveDatagram(fd, &from);
        if (text.isEmpty() || text == "end")
            break;
        if (from == kBridgePeer || from == kOther)
            continue;
        texts.append(text);
        if (senders)
            senders->append(from);
    }
    return texts;
}

} // namespace

class TstCmsocketNetns : public QObject {
    Q_OBJECT

    QString m_computer;
    QString m_bridgeSide;
    QString m_lanSide;
    int m_home = -1;
    bool m_ready = false;
    int m_bridgeIndex = 0;
    int m_lanIndex = 0;

    static QByteArray pathOf(const QString &name) { return "/run/netns/" + name.toLatin1(); }

    // A datagram socket in a peer's namespace; the thread comes back.
    int peerSocket(const QString &ns, quint32 address, quint16 port) {
        if (!enterNamespace(pathOf(ns)))
            return -1;
        const int fd = boundSocket(SOCK_DGRAM, address, port);
        enterNamespace(pathOf(m_computer));
        return fd;
    }

private slots:
    void initTestCase() {
        if (::geteuid() != 0)
            QSKIP("needs root to create network namespaces");
        if (QStandardPaths::findExecutable(u"ip"_s).isEmpty())
            QSKIP("needs the ip tool");
        const QString id = QString::number(QCoreApplication::applicationPid());
        m_computer = u"ostrel-pc-"_s + id;
        m_bridgeSide = u"ostrel-br-"_s + id;
        m_lanSide = u"ostrel-mod-"_s + id;
        m_home = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
        QVERIFY(m_home >= 0);
        m_ready = true; // from here on cleanupTestCase removes what exists
        const QString pc = m_computer;
        for (const QString &ns : {pc, m_bridgeSide, m_lanSide})
            QVERIFY(ip({u"netns"_s, u"add"_s, ns}));
        const QList<QStringList> commands = {
            {u"link"_s, u"add"_s, u"docker0"_s, u"address"_s, u"02:42:AC:11:00:01"_s, u"type"_s,
             u"bridge"_s},
            {u"link"_s, u"add"_s, u"vport0"_s, u"master"_s, u"docker0"_s, u"type"_s, u"veth"_s,
             u"peer"_s, u"name"_s, u"eth0"_s, u"netns"_s, m_bridgeSide},
            {u"link"_s, u"add"_s, u"eth1"_s, u"address"_s, u"02:00:00:4d:00:01"_s, u"type"_s,
             u"veth"_s, u"peer"_s, u"name"_s, u"eth0"_s, u"netns"_s, m_lanSide},
            {u"link"_s, u"add"_s, u"down0"_s, u"type"_s, u"bridge"_s},
            {u"addr"_s, u"add"_s, u"172.17.0.1/16"_s, u"dev"_s, u"docker0"_s},
            {u"addr"_s, u"add"_s, u"192.168.77.1/24"_s, u"brd"_s, u"+"_s, u"dev"_s, u"eth1"_s},
            {u"addr"_s, u"add"_s, u"10.99.0.1/24"_s, u"dev"_s, u"down0"_s},
            {u"link"_s, u"set"_s, u"docker0"_s, u"up"_s},
            {u"link"_s, u"set"_s, u"vport0"_s, u"up"_s},
            {u"link"_s, u"set"_s, u"eth1"_s, u"up"_s},
        };
        for (const QStringList &command : commands)
            QVERIFY(ip(QStringList{u"-n"_s, pc} + command));
        for (const auto &[ns, address] :
             {std::pair{m_bridgeSide, u"172.17.0.2/16"_s}, {m_lanSide, u"192.168.77.2/24"_s}}) {
            QVERIFY(ip({u"-n"_s, ns, u"addr"_s, u"add"_s, address, u"brd"_s, u"+"_s, u"dev"_s,
                        u"eth0"_s}));
            QVERIFY(ip({u"-n"_s, ns, u"link"_s, u"set"_s, u"eth0"_s, u"up"_s}));
            // So that a peer's wildcard socket can answer by limited broadcast.
            QVERIFY(ip({u"-n"_s, ns, u"route"_s, u"add"_s, u"default"_s, u"dev"_s, u"eth0"_s}));
        }
        for (const QString &ns : {pc, m_bridgeSide, m_lanSide})
            QVERIFY(ip({u"-n"_s, ns, u"link"_s, u"set"_s, u"lo"_s, u"up"_s}));
        QVERIFY(enterNamespace(pathOf(pc)));
        m_bridgeIndex = int(if_nametoindex("docker0"));
        m_lanIndex = int(if_nametoindex("eth1"));
        QVERIFY(m_bridgeIndex > 0 && m_lanIndex > 0);
    }

    void cleanupTestCase() {
        if (!m_ready)
            return;
        ::setns(m_home, CLONE_NEWNET);
        // Deleting a namespace deletes the veth ends inside it, and with
        // them the pairs.
        for (const QString &ns : {m_computer, m_bridgeSide, m_lanSide})
            ip({u"netns"_s, u"del"_s, ns});
        ::close(m_home);
    }

    // Loopback, the bridge's port (no IPv4) and an adapter that is down are
    // left out; the own address is the first adapter's.
    void adapterList() {
        QStringList listed;
        for (const NetworkAdapter &a : SystemAdapters().adapters())
            listed.append(a.label() + u" /"_s + parameters::addressText(a.netmask) + u" #"_s +
                          QString::number(a.index));
        QCOMPARE(listed, (QStringList{
                             u"docker0 172.17.0.1 (02:42:ac:11:00:01) /255.255.0.0 #"_s +
                                 QString::number(m_bridgeIndex),
                             u"eth1 192.168.77.1 (02:00:00:4d:00:01) /255.255.255.0 #"_s +
                                 QString::number(m_lanIndex),
                         }));
        QCOMPARE(TcmSocket::get_ip_data(QString(), cmUnicast), kBridge);
        QCOMPARE(TcmSocket::HostIP(0xFFFFFFFFu), u"172.17.0.1"_s);
    }

    // Opened on one adapter's address, the socket hears unicast, limited and
    // subnet broadcasts there, and nothing that comes in by the other
    // adapter; its own broadcasts leave by its adapter and come back to it.
    void receivesBroadcasts() {
        Fd bridgePeer(peerSocket(m_bridgeSide, 0, 5000));
        Fd sender(peerSocket(m_lanSide, kOther, 6000));
        Fd lanListener(peerSocket(m_lanSide, 0, 5000));
        QVERIFY(bridgePeer.get() >= 0 && sender.get() >= 0 && lanListener.get() >= 0);
        const Unprivileged user;
        QVERIFY(user.ok);
        TcmSocket socket;
        Recorder r(socket);
        socket.SetBufferSize(65535);
        socket.LocalHost = u"192.168.77.1"_s;
        socket.LocalPort = 5000;
        socket.SetActive(true);
        QVERIFY(socket.Active());
        QCOMPARE(socket.LocalHost, u"192.168.77.1"_s);
        QCOMPARE(socket.LocalPort, 5000);

        // Sent first, so it would be first to arrive if the socket heard it.
        QVERIFY(sendDatagram(bridgePeer.get(), kLimitedBroadcast, 5000, "other adapter"));
        QVERIFY(sendDatagram(sender.get(), kComputer, 5000, "unicast"));
        QVERIFY(sendDatagram(sender.get(), kLimitedBroadcast, 5000, "limited"));
        QVERIFY(sendDatagram(sender.get(), kSubnetBroadcast, 5000, "subnet"));
        QVERIFY(sendDatagram(sender.get(), kComputer, 5001, "other port"));
        QTRY_COMPARE(r.received.size(), 3);
        QList<QByteArray> texts;
        for (const Received &got : std::as_const(r.received)) {
            texts.append(got.data);
            QCOMPARE(got.ip, kOther);
            QCOMPARE(got.port, quint16(6000));
            QCOMPARE(got.adapter, m_lanIndex);
        }
        QCOMPARE(texts, (QList<QByteArray>{"unicast", "limited", "subnet"}));

        // Its search broadcast goes out on its own LAN only, from its address
        // (the mark sent after it through the bridge must come first there),
        // and comes back to it.
        QVERIFY(socket.SendTo(u"255.255.255.255"_s, 5000, "search", 0));
        QVERIFY(socket.SendVia(m_bridgeIndex, kLimitedBroadcast, 5000, "end", 0));
        QVERIFY(socket.SendTo(u"255.255.255.255"_s, 5000, "end", 0));
        QList<quint32> from;
        QCOMPARE(untilEnd(lanListener.get(), &from), QList<QByteArray>{"search"});
        QCOMPARE(from, QList<quint32>{kComputer});
        QCOMPARE(untilEnd(bridgePeer.get()), QList<QByteArray>());
        QTRY_COMPARE(r.received.size(), 5);
        QCOMPARE(r.received[3].data, QByteArray("search"));
        QCOMPARE(r.received[3].ip, kComputer);
        QCOMPARE(r.received[3].port, quint16(5000));
        QCOMPARE(r.received[3].adapter, m_lanIndex);
        QCOMPARE(r.received[4].data, QByteArray("end"));

        // Replies to the module's unicast address work as well.
        QVERIFY(socket.SendTo(kOther, 6000, "reply", 0));
        QCOMPARE(receiveDatagram(sender.get()), QByteArray("reply"));
        QTest::qWait(100);
        QCOMPARE(r.received.size(), 5);
    }

    // Opened on every adapter, the transport sends a limited broadcast out
    // of the adapter it is told, from that adapter's address, and hears
    // unicast and broadcast replies with the adapter they came in by.
    void sendsThroughTheChosenAdapter_data() {
        QTest::addColumn<bool>("viaBridge");
        QTest::newRow("bridge listed first") << true;
        QTest::newRow("LAN listed second") << false;
    }
    void sendsThroughTheChosenAdapter() {
        QFETCH(bool, viaBridge);
        const int chosen = viaBridge ? m_bridgeIndex : m_lanIndex;
        const int other = viaBridge ? m_lanIndex : m_bridgeIndex;
        const quint32 address = viaBridge ? kBridge : kComputer;
        const quint32 peerAddress = viaBridge ? kBridgePeer : kOther;
        Fd bridgePeer(peerSocket(m_bridgeSide, 0, 5000));
        Fd lanPeer(peerSocket(m_lanSide, 0, 5000));
        QVERIFY(bridgePeer.get() >= 0 && lanPeer.get() >= 0);
        const int peer = viaBridge ? bridgePeer.get() : lanPeer.get();
        const int otherPeer = viaBridge ? lanPeer.get() : bridgePeer.get();

        const Unprivileged user;
        QVERIFY(user.ok);
        SocketTransport transport;
        QList<std::pair<Peer, QByteArray>> arrivals;
        connect(&transport, &Transport::received, this,
                [&](const Peer &from, QByteArrayView bytes) {
                    arrivals.append({from, bytes.toByteArray()});
                });
        QVERIFY(transport.open({Transport::Kind::Datagram, u"0.0.0.0"_s, 5000, {}, 0}));
        QCOMPARE(transport.localAddress(), u"0.0.0.0"_s);

        QVERIFY(transport.sendDatagram(Peer{kLimitedBroadcast, 5000, chosen}, "search"));
        QVERIFY(transport.sendDatagram(Peer{kLimitedBroadcast, 5000, other}, "end"));
        QVERIFY(transport.sendDatagram(Peer{kLimitedBroadcast, 5000, chosen}, "end"));
        QList<quint32> from;
        QCOMPARE(untilEnd(peer, &from), QList<QByteArray>{"search"});
        QCOMPARE(from, QList<quint32>{address});
        QCOMPARE(untilEnd(otherPeer), QList<QByteArray>());

        QVERIFY(sendDatagram(peer, address, 5000, "unicast reply"));
        QVERIFY(sendDatagram(peer, kLimitedBroadcast, 5000, "broadcast reply"));
        QTRY_COMPARE(arrivals.size(), 5);
        // Its own broadcasts come back by the adapters they left through.
        const quint32 otherAddress = viaBridge ? kComputer : kBridge;
        const QList<std::pair<Peer, QByteArray>> expected = {
            {Peer{address, 5000, chosen, kLimitedBroadcast}, "search"},
            {Peer{otherAddress, 5000, other, kLimitedBroadcast}, "end"},
            {Peer{address, 5000, chosen, kLimitedBroadcast}, "end"},
            {Peer{peerAddress, 5000, chosen, address}, "unicast reply"},
            {Peer{peerAddress, 5000, chosen, kLimitedBroadcast}, "broadcast reply"},
        };
        QCOMPARE(arrivals, expected);
    }

    void portInUseOnTheLan() {
        Fd holder(boundSocket(SOCK_DGRAM, kComputer, 5000));
        QVERIFY(holder.get() >= 0);
        TcmSocket socket;
        Recorder r(socket);
        socket.LocalHost = u"192.168.77.1"_s;
        socket.LocalPort = 5000;
        socket.SetActive(true);
        QCOMPARE(r.lines.size(), 3);
        QCOMPARE(r.lines[0], QByteArray("error 0 !!!!!!!!socket closed for error2740"));
        QCOMPARE(r.lines[1], QByteArray("active 0"));
        QVERIFY(r.lines[2].startsWith("error 10048 bind() failed : "));
        QVERIFY(!socket.Active());
    }
};

QTEST_GUILESS_MAIN(TstCmsocketNetns)
#include "tst_cmsocket_netns.moc"
