// The virtual lab: simulated modules on the field side answer a search
// broadcast from the computer side, each from its own address.
#include "atframe.h"
#include "labfixture.h"
#include "relaycodec.h"
#include "sockettransport.h"
#include "systemadapters.h"

#include <QFile>
#include <QTest>

#include <unistd.h>

namespace {

QByteArray threadNamespace() {
    char link[64] = {};
    const ssize_t n = ::readlink("/proc/thread-self/ns/net", link, sizeof link - 1);
    return n > 0 ? QByteArray(link, n) : QByteArray();
}

} // namespace

class TstLab : public QObject {
    Q_OBJECT

private slots:
    void searchAnswered_data() {
        QTest::addColumn<QStringList>("simArguments");
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<int>("count");
        const QStringList broadcast{QStringLiteral("--broadcast")};
        QTest::newRow("unicast replies") << QStringList() << QByteArray() << 3;
        QTest::newRow("broadcast replies") << broadcast << QByteArray() << 3;
        QTest::newRow("one module broadcasts") << QStringList() << QByteArray("broadcast") << 3;
        // Beyond .254 the lab spans a /16.
        QTest::newRow("80 modules") << broadcast << QByteArray() << 80;
    }
    void searchAnswered() {
        QFETCH(QStringList, simArguments);
        QFETCH(QByteArray, fault);
        QFETCH(int, count);
        LabFixture::Options options;
        options.simArguments = simArguments;
        options.modules = count;
        LabFixture lab(options);
        LAB_SETUP_OR_SKIP(lab);
        QCOMPARE(lab.modules().size(), count);
        if (!fault.isEmpty())
            QVERIFY(lab.sim().fault(2, fault));

        // Like the tool: one socket on port 5000 that hears unicast and broadcast.
        UdpProbe probe("0.0.0.0", atframe::ConfigPort);
        QVERIFY(probe.isOpen());
        QVERIFY(probe.send("255.255.255.255", atframe::ConfigPort,
                           atframe::searchFrame("02:00:00:00:00:10")));
        QMap<QByteArray, QByteArray> bySender;
        const QList<UdpProbe::Datagram> received = probe.collect(300);
        for (const UdpProbe::Datagram &datagram : received) {
            if (datagram.senderIp == lab.computerIp())
                continue; // our own broadcast, heard back
            QVERIFY2(!bySender.contains(datagram.senderIp), datagram.senderIp.constData());
            bySender.insert(datagram.senderIp, datagram.data);
        }
        QCOMPARE(bySender.size(), count);
        const QList<QByteArray> firstAddresses{"192.168.1.199", "192.168.1.200", "192.168.1.201"};
        for (qsizetype i = 0; i < count; ++i) {
            const SimProcess::Module &module = lab.modules().at(i);
            if (i < firstAddresses.size())
                QCOMPARE(module.ip, firstAddresses[i]);
            QCOMPARE(bySender.value(module.ip), atframe::buildReply(module.mac, "OK\r\n"));
        }
        QCOMPARE(lab.modules().last().ip,
                 count == 80 ? QByteArray("192.168.2.22") : QByteArray("192.168.1.201"));
    }

    // A decoy bridge listed first and modules behind two more adapters, the
    // same MAC on both: a search out of each adapter is answered by the
    // modules behind it only, and the whole lab goes away with the fixture.
    void decoyAndTwoLans() {
        const QByteArray home = threadNamespace();
        QStringList namespaces;
        {
            LabFixture::Options options;
            options.modules = 2;
            options.decoy = true;
            options.moreLans = {
                {1, "192.168.2.10", "192.168.2.199",
                 QStringList{QStringLiteral("--module"),
                             QStringLiteral("ip=192.168.2.199;mac=02:00:c0:a8:01:c7")}}};
            LabFixture lab(options);
            LAB_SETUP_OR_SKIP(lab);
            namespaces = {lab.computerNamespace(), lab.fieldNamespace(0), lab.fieldNamespace(1)};
            QCOMPARE(lab.modules(1).at(0).mac, lab.modules(0).at(0).mac);

            const QList<NetworkAdapter> adapters = SystemAdapters().adapters();
            QStringList listed;
            for (const NetworkAdapter &adapter : adapters)
                listed.append(adapter.name + QLatin1Char(' ') + adapter.addressText());
            QCOMPARE(listed, (QStringList{QStringLiteral("docker0 172.17.0.1"),
                                          QStringLiteral("eth0 192.168.1.10"),
                                          QStringLiteral("eth1 192.168.2.10")}));

            SocketTransport transport;
            QStringList replies;
            connect(&transport, &Transport::received, this,
                    [&](const Peer &from, QByteArrayView bytes) {
                        if (adapterByAddress(adapters, from.ip))
                            return; // our own broadcast, heard back
                        const NetworkAdapter *by = adapterByIndex(adapters, from.adapter);
                        replies.append(parameters::addressText(from.ip) + QStringLiteral(" by ") +
                                       (by ? by->name : QString()) + QLatin1Char(' ') +
                                       QString::fromLatin1(bytes.toByteArray().toHex()));
                        replies.sort();
                    });
            QVERIFY(transport.open({Transport::Kind::Datagram,
                                    QStringLiteral("0.0.0.0"),
                                    atframe::ConfigPort,
                                    {},
                                    0}));
            for (const NetworkAdapter &adapter : adapters) {
                QVERIFY(
                    transport.sendDatagram(Peer{0xFFFFFFFFu, atframe::ConfigPort, adapter.index},
                                           atframe::searchFrame(adapter.mac)));
            }
            QStringList expected;
            for (int lan = 0; lan < lab.lanCount(); ++lan) {
                for (const SimProcess::Module &module : lab.modules(lan))
                    expected.append(
                        QLatin1String(module.ip) + QStringLiteral(" by ") +
                        LabFixture::adapterName(lan) + QLatin1Char(' ') +
                        QString::fromLatin1(atframe::buildReply(module.mac, "OK\r\n").toHex()));
            }
            expected.sort();
            QCOMPARE(expected.size(), 3);
            QTRY_COMPARE(replies, expected);
        }
        for (const QString &name : std::as_const(namespaces))
            QVERIFY2(!QFile::exists(QStringLiteral("/run/netns/") + name), qPrintable(name));
        QCOMPARE(threadNamespace(), home);
    }

    void workingModeAcrossTheCable() {
        LabFixture lab;
        LAB_SETUP_OR_SKIP(lab);
        // The second module's TCP server, reached from the computer side.
        TcpLine line(TcpLine::connectTo(lab.modules().at(1).ip, 12345));
        QVERIFY(line.isOpen());
        QVERIFY(line.send(relaycodec::inputQuery(6)));
        QCOMPARE(line.collect(), relaycodec::inputReply(6, false));
        QVERIFY(lab.sim().setInput(2, 6, true));
        QVERIFY(line.send(relaycodec::inputQuery(6)));
        QCOMPARE(line.collect(), relaycodec::inputReply(6, true));
        QVERIFY(line.send(relaycodec::relaySet(1, "1", "")));
        QCOMPARE(line.collect(), relaycodec::relayReply(1, true, "0"));
        QByteArray relays, inputs;
        QVERIFY(lab.sim().state(2, &relays, &inputs));
        QCOMPARE(relays, QByteArray("100000000000000"));
        QVERIFY(lab.sim().state(1, &relays, &inputs));
        QCOMPARE(relays, QByteArray(15, '0'));
    }
};

QTEST_GUILESS_MAIN(TstLab)
#include "tst_lab.moc"
