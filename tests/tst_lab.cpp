// The virtual lab: simulated modules on the field side answer a search
// broadcast from the computer side, each from its own address.
#include "atframe.h"
#include "labfixture.h"
#include "relaycodec.h"

#include <QTest>

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
