// The working-mode exchange of the core: replies however the network cuts
// them, and how one exchange ends.
#include "faketransport.h"
#include "relaylink.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Kind = relaycodec::Reading::Kind;
using Outcome = RelayExchange::Result::Outcome;

Q_DECLARE_METATYPE(Outcome)

class TstRelayLink : public QObject {
    Q_OBJECT

private slots:
    // Every reply of an arrival counts, of either kind, in order.
    void replies_data() {
        QTest::addColumn<QByteArrayList>("arrivals");
        QTest::addColumn<bool>("datagrams");
        QTest::addColumn<QString>("readings");
        QTest::newRow("one per arrival") << QByteArrayList{"+STACH1=1,0\r\n", "+STACH2=0,0\r\n"}
                                         << false << u"R1:on:0 R2:off:0"_s;
        QTest::newRow("several in one arrival, 10 and up")
            << QByteArrayList{"+STACH1=1,7\r\n+STACH2=0,0\r\n+STACH:=1,5\r\n+OCCH<=1\r\n"} << false
            << u"R1:on:7 R2:off:0 R10:on:5 I12:on:0"_s;
        QTest::newRow("time cut between arrivals")
            << QByteArrayList{"+STACH3=1,10", "0000\r", "\n"} << false << u"R3:on:100000"_s;
        QTest::newRow("no line ends between replies, kinds mixed")
            << QByteArrayList{"+OCCH1=1+STACH2=1,4+OCCH2=0"} << false
            << u"I1:on:0 R2:on:4 I2:off:0"_s;
        QTest::newRow("datagram without line end")
            << QByteArrayList{"+STACH4=1,3", "+OCCH3=1"} << true << u"R4:on:3 I3:on:0"_s;
        QTest::newRow("refusal, then a reply")
            << QByteArrayList{"ERROR\r\n+OCCH5=0\r\n"} << false << u"ERROR I5:off:0"_s;
        QTest::newRow("no number changes nothing")
            << QByteArrayList{"+STACH0=1,0\r\n+OCCH=\r\n+STACH@=1,0\r\n"} << false << QString();
    }
    void replies() {
        QFETCH(QByteArrayList, arrivals);
        QFETCH(bool, datagrams);
        QStringList got;
        RelayReplyReader reader;
        reader.onReading = [&](const relaycodec::Reading &r) {
            got.append(u"%1%2:%3:%4"_s.arg(r.kind == Kind::Relay ? u"R"_s : u"I"_s)
                           .arg(r.number)
                           .arg(r.on ? u"on"_s : u"off"_s)
                           .arg(r.time));
        };
        reader.onRefusal = [&] { got.append(u"ERROR"_s); };
        for (const QByteArray &arrival : arrivals)
            reader.feed(arrival, datagrams);
        reader.finish();
        QTEST(got.join(u' '), "readings");
    }

    // How an exchange asking for relays 2 and 3 ends, whatever the module
    // and the network do.
    void exchange_data() {
        QTest::addColumn<bool>("udp");
        QTest::addColumn<QString>("script"); // c: connect, f: refused, x: peer closes,
                                             // t: time runs out, else an arrival (~: from
                                             // another address, ^: from another port)
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("missing");
        QTest::addColumn<bool>("sent");
        QTest::newRow("both answer")
            << false << u"c|+STACH2=1,0\r+STACH3=0,0\r"_s << Outcome::Done << QString() << true;
        QTest::newRow("one, then the peer closes")
            << false << u"c|+STACH2=1,0\r|x"_s << Outcome::NoAnswer << u"3"_s << true;
        QTest::newRow("last reply cut by the close")
            << false << u"c|+STACH2=1,0\r+STACH3=1,5|x"_s << Outcome::Done << QString() << true;
        QTest::newRow("inputs do not count")
            << false << u"c|+OCCH2=1\r+OCCH3=1\r|t"_s << Outcome::NoAnswer << u"2 3"_s << true;
        QTest::newRow("refused") << false << u"c|ERROR\r"_s << Outcome::Refused << u"2 3"_s << true;
        QTest::newRow("connection refused")
            << false << u"f"_s << Outcome::NoConnection << u"2 3"_s << false;
        QTest::newRow("never connects")
            << false << u"t"_s << Outcome::NoConnection << u"2 3"_s << false;
        QTest::newRow("datagram refused before any answer")
            << true << u"f"_s << Outcome::SendFailed << u"2 3"_s << true;
        QTest::newRow("datagram answers")
            << true << u"+STACH3=0,0|+STACH2=0,0"_s << Outcome::Done << QString() << true;
        QTest::newRow("datagrams of others are no answers")
            << true << u"~+STACH2=0,0|^+STACH3=0,0|+STACH3=0,0|t"_s << Outcome::NoAnswer << u"2"_s
            << true;
        QTest::newRow("datagram refused after an answer")
            << true << u"+STACH3=0,0|f|t"_s << Outcome::NoAnswer << u"2"_s << true;
    }
    void exchange() {
        QFETCH(bool, udp);
        QFETCH(QString, script);
        auto owned = std::make_unique<FakeTransport>();
        FakeTransport &fake = *owned;
        const QByteArray command = relaycodec::relayQuery(0);
        // Only a script that waits for the deadline gets a short one.
        const int timeoutMs = script.endsWith(u't') ? 50 : 60000;
        RelayExchange exchange(
            std::move(owned),
            {{u"10.0.0.2"_s, 12345, udp}, command, Kind::Relay, {2, 3}, timeoutMs});
        std::optional<RelayExchange::Result> result;
        exchange.start([&](const RelayExchange::Result &r) { result = r; });
        for (const QString &step : script.split(u'|')) {
            QVERIFY(!result);
            if (step == u"c"_s) {
                fake.connectionCompleted();
            } else if (step == u"f"_s) {
                Q_EMIT fake.failed({Transport::Failure::Reason::Refused, u"refused"_s, {}});
            } else if (step == u"x"_s) {
                fake.peerClosed();
            } else if (step == u"t"_s) {
                QTRY_VERIFY(result);
                QVERIFY(result->timedOut);
            } else {
                // The module at 10.0.0.2:12345, or another sender.
                Peer from{0x0200000a, 12345};
                if (step.startsWith(u'~'))
                    from.ip = 0x0300000a;
                else if (step.startsWith(u'^'))
                    from.port = 12346;
                fake.deliver(from,
                             step.toLatin1().mid(step.startsWith(u'~') || step.startsWith(u'^')));
            }
        }
        QTRY_VERIFY(result);
        QTEST(result->outcome, "outcome");
        QStringList missing;
        for (const int n : result->missing)
            missing.append(QString::number(n));
        QTEST(missing.join(u' '), "missing");
        const bool sent = !fake.sent.isEmpty();
        QTEST(sent, "sent");
        if (sent)
            QCOMPARE(fake.sent.constFirst().bytes, command);
        QVERIFY(!fake.isOpen() && !fake.isConnecting());
    }
};

QTEST_GUILESS_MAIN(TstRelayLink)
#include "tst_relaylink.moc"
