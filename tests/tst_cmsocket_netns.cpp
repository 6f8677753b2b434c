// The socket component on a private two-namespace LAN joined by a veth pair:
// a UDP socket opened on the computer's own address hears unicast, limited
// and subnet broadcasts on its port, and its own broadcasts come back to it.
// Everything is sent inside the namespaces this test creates; they are
// removed again whatever happens.
#include "cmsocket.h"
#include "cmsocket_testutil.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <fcntl.h>
#include <sched.h>

using namespace cmtest;
using namespace Qt::StringLiterals;

namespace {

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

} // namespace

class TstCmsocketNetns : public QObject {
    Q_OBJECT

    QString m_computer;
    QString m_other;
    int m_home = -1;
    bool m_ready = false;

    QByteArray pathOf(const QString &name) const { return "/run/netns/" + name.toLatin1(); }

    void leave() {
        if (m_home >= 0)
            ::setns(m_home, CLONE_NEWNET);
    }

    // A datagram socket of the other side, bound to its address.
    int otherSideSocket(quint16 port = 0, quint32 address = kOther) {
        if (!enterNamespace(pathOf(m_other)))
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
        m_other = u"ostrel-mod-"_s + id;
        const QString vethComputer = u"ovp"_s + id;
        const QString vethOther = u"ovm"_s + id;
        m_home = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
        QVERIFY(m_home >= 0);
        m_ready = true; // from here on cleanupTestCase removes what exists
        QVERIFY(ip({u"netns"_s, u"add"_s, m_computer}));
        QVERIFY(ip({u"netns"_s, u"add"_s, m_other}));
        QVERIFY(ip({u"-n"_s, m_computer, u"link"_s, u"add"_s, vethComputer, u"type"_s, u"veth"_s,
                    u"peer"_s, u"name"_s, vethOther, u"netns"_s, m_other}));
        QVERIFY(ip({u"-n"_s, m_computer, u"addr"_s, u"add"_s, u"192.168.77.1/24"_s, u"brd"_s,
                    u"+"_s, u"dev"_s, vethComputer}));
        QVERIFY(ip({u"-n"_s, m_other, u"addr"_s, u"add"_s, u"192.168.77.2/24"_s, u"brd"_s, u"+"_s,
                    u"dev"_s, vethOther}));
        for (const auto &[ns, dev] : {std::pair{m_computer, vethComputer}, {m_other, vethOther}}) {
            QVERIFY(ip({u"-n"_s, ns, u"link"_s, u"set"_s, u"lo"_s, u"up"_s}));
            QVERIFY(ip({u"-n"_s, ns, u"link"_s, u"set"_s, dev, u"up"_s}));
        }
        QVERIFY(enterNamespace(pathOf(m_computer)));
    }

    void cleanupTestCase() {
        if (!m_ready)
            return;
        leave();
        // Deleting a namespace deletes the veth end inside it, and with it the
        // pair.
        ip({u"netns"_s, u"del"_s, m_computer});
        ip({u"netns"_s, u"del"_s, m_other});
        ::close(m_home);
    }

    void ownAddress() {
        QCOMPARE(TcmSocket::get_ip_data(QString(), cmUnicast), kComputer);
        QCOMPARE(TcmSocket::HostIP(0xFFFFFFFFu), u"192.168.77.1"_s);
    }

    void receivesBroadcasts() {
        TcmSocket socket;
        Recorder r(socket);
        socket.SetBufferSize(65535);
        socket.LocalHost = u"0"_s;
        socket.LocalPort = 5000;
        socket.SetActive(true);
        QVERIFY(socket.Active());
        QCOMPARE(socket.LocalHost, u"192.168.77.1"_s);
        QCOMPARE(socket.LocalPort, 5000);

        Fd sender(otherSideSocket(6000));
        QVERIFY(sender.get() >= 0);
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
        }
        QCOMPARE(texts, (QList<QByteArray>{"unicast", "limited", "subnet"}));

        // Its own search broadcast goes out on the LAN and comes back to it.
        Fd listener(otherSideSocket(5000, 0));
        QVERIFY(listener.get() >= 0);
        QVERIFY(socket.SendTo(u"255.255.255.255"_s, 5000, "search", 0));
        quint32 from = 0;
        QCOMPARE(receiveDatagram(listener.get(), &from), QByteArray("search"));
        QCOMPARE(from, kComputer);
        QTRY_COMPARE(r.received.size(), 4);
        QCOMPARE(r.received[3].data, QByteArray("search"));
        QCOMPARE(r.received[3].ip, kComputer);
        QCOMPARE(r.received[3].port, quint16(5000));

        // Replies to the module's unicast address work as well.
        QVERIFY(socket.SendTo(kOther, 6000, "reply", 0));
        QCOMPARE(receiveDatagram(sender.get()), QByteArray("reply"));
        QTest::qWait(100);
        QCOMPARE(r.received.size(), 4);
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
