// The shared store, its address helpers, the duplicate check and the codecs
// that the tool and the simulator share.
#include "atframe.h"
#include "gbk.h"
#include "moduletable.h"
#include "relaycodec.h"

#include <QTest>

namespace {

quint32 ipOf(int a, int b, int c, int d) {
    return quint32(a) | quint32(b) << 8 | quint32(c) << 16 | quint32(d) << 24;
}

} // namespace

class TstCodecs : public QObject {
    Q_OBJECT

private slots:
    void addModuleWarnings() {
        ModuleTable store;
        QStringList boxes;
        auto sink = [&](const QString &text) { boxes << text; };
        const quint32 x = ipOf(192, 168, 1, 199), y = ipOf(192, 168, 1, 200);

        QCOMPARE(store.add(x, 5000, "m", sink), QStringLiteral("192.168.1.199:m"));
        QVERIFY(boxes.isEmpty());
        store.add(y, 5000, "n", sink);
        QVERIFY(boxes.isEmpty());

        // Same MAC as A, same IP as C: one box per clash, in table order.
        QCOMPARE(store.add(y, 5001, "m", sink), QStringLiteral("192.168.1.200:m"));
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[0], QStringLiteral("两模块的MAC地址相同，MAC地址为：m，IP地址分别为："
                                          "192.168.1.199      192.168.1.200，请通过串口功能设置"));
        QCOMPARE(boxes[1], QStringLiteral("两模块的IP地址相同，IP地址为：192.168.1.200，"
                                          "MAC地址分别为：n      m"));

        // The same module twice, and case that differs.
        boxes.clear();
        store.add(x, 5000, "M", sink);
        QVERIFY(boxes.size() == 1 && boxes[0].startsWith(QStringLiteral("两模块的IP地址相同")));
        boxes.clear();
        store.add(y, 5000, "n", sink);
        QVERIFY(boxes.contains(QStringLiteral("两个或以上的模块MAC地址、IP地址相同，MAC地址为：n，"
                                              "IP地址为：192.168.1.200，请通过串口功能设置")));
        QCOMPARE(store.ModuleCount, 5);
    }

    void addModuleFullTable() {
        ModuleTable store;
        for (int i = 0; i < ModuleTable::MaxModules; ++i)
            QVERIFY(!store.add(ipOf(10, 0, i / 256, i % 256), 5000, QByteArray::number(i), {})
                         .isEmpty());
        int warnings = 0;
        QVERIFY(store.add(ipOf(10, 0, 0, 7), 5000, "new", [&](const QString &) { ++warnings; })
                    .isEmpty());
        QCOMPARE(warnings, 1);
        QCOMPARE(store.ModuleCount, ModuleTable::MaxModules);
    }

    void addModuleNestedDuringWarning() {
        // A reply handled inside a warning box is compared and appended
        // before the outer newcomer, which is then compared with it too.
        ModuleTable store;
        const quint32 x = ipOf(192, 168, 1, 199), z = ipOf(192, 168, 1, 201);
        store.add(x, 5000, "a", {});
        QStringList boxes;
        bool nested = false;
        std::function<void(const QString &)> sink = [&](const QString &text) {
            boxes << text;
            if (!nested) {
                nested = true;
                store.add(z, 5000, "b", sink);
            }
        };
        store.add(x, 5000, "b", sink);
        QCOMPARE(store.ModuleCount, 3);
        QCOMPARE(store.ModuleMAC[1], QByteArray("b"));
        QCOMPARE(store.ModuleIP[1], z);
        QCOMPARE(store.ModuleIP[2], x);
        QCOMPARE(boxes.size(), 2); // outer vs a, outer vs nested b
    }

    void frames() {
        const QByteArray frame =
            atframe::build("00:11:22:33:44:55", "00:0c:29:aa:bb:cc", "AT+IP=?");
        QCOMPARE(frame, QByteArray("<00:11:22:33:44:55>,<00:0c:29:aa:bb:cc>,AT+IP=?\r\n"));
        // 40 header bytes, the 7-byte command and CR LF.
        QCOMPARE(frame.size(), 49);
        QCOMPARE(atframe::searchFrame("00:0c:29:aa:bb:cc").size(), 44);
        QCOMPARE(atframe::searchFrame(""), QByteArray("<00:00:00:00:00:00>,<>,AT\r\n"));

        const atframe::Frame parsed = atframe::parseFrame(frame);
        QVERIFY(parsed.valid);
        QCOMPARE(parsed.targetMac, QByteArray("00:11:22:33:44:55"));
        QCOMPARE(parsed.senderMac, QByteArray("00:0c:29:aa:bb:cc"));
        QCOMPARE(parsed.command, QByteArray("AT+IP=?"));
        QVERIFY(!atframe::parseFrame("AT+IP=?\r\n").valid);
        QVERIFY(!atframe::parseFrame("<abc").valid);
    }

    void replies_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("hasMac");
        QTest::addColumn<QByteArray>("mac");
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("report") << QByteArray("<00:11:22:33:44:55>,+IP=192.168.1.199\r") << true
                                << QByteArray("00:11:22:33:44:55")
                                << QByteArray("+IP=192.168.1.199\r");
        QTest::newRow("short") << QByteArray("<ab>,OK") << true << QByteArray("ab") << QByteArray();
        QTest::newRow("exactly 20") << QByteArray("<00:11:22:33:44:55>,") << true
                                    << QByteArray("00:11:22:33:44:55") << QByteArray();
        QTest::newRow("no >") << QByteArray("<00:11:22:33:44:55,OKOKOKOK") << false << QByteArray()
                              << QByteArray();
        QTest::newRow("empty mac")
            << QByteArray("<>,0123456789abcdefgOK") << true << QByteArray() << QByteArray("OK");
        QTest::newRow("zero byte") << QByteArray("<00:11:22:33:44:55>,OK\0junk", 27) << true
                                   << QByteArray("00:11:22:33:44:55") << QByteArray("OK");
        QTest::newRow("empty") << QByteArray() << false << QByteArray() << QByteArray();
    }
    void replies() {
        QFETCH(QByteArray, datagram);
        const atframe::Reply reply = atframe::parseReply(datagram);
        QTEST(reply.hasMac, "hasMac");
        QTEST(reply.mac, "mac");
        QTEST(reply.payload, "payload");
    }

    void relayCommands() {
        QCOMPARE(relaycodec::relaySet(3, "1", "100000"), QByteArray("AT+STACH3=1,100000\r\n"));
        QCOMPARE(relaycodec::relaySet(0, "0", ""), QByteArray("AT+STACH0=0\r\n"));
        QCOMPARE(relaycodec::relaySet(5, "", ""), QByteArray("AT+STACH5=\r\n"));
        QCOMPARE(relaycodec::relayQuery(16), QByteArray("AT+STACH16=?\r\n"));
        QCOMPARE(relaycodec::inputQuery(13), QByteArray("AT+OCCH13=?\r\n"));
    }

    void relayReplies_data() {
        using Kind = relaycodec::Reading::Kind;
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("on");
        QTest::addColumn<quint64>("time");
        QTest::newRow("relay 2 on")
            << QByteArray("+STACH2x1y30\r") << int(Kind::Relay) << 2 << true << quint64(30);
        QTest::newRow("relay 2 off")
            << QByteArray("+STACH2x0y\r") << int(Kind::Relay) << 2 << false << quint64(0);
        QTest::newRow("relay 15") << relaycodec::relayReply(15, true, "7") << int(Kind::Relay) << 15
                                  << true << quint64(7);
        QTest::newRow("relay 0") << QByteArray("+STACH0=1,42\r\n") << int(Kind::Relay) << 0 << false
                                 << quint64(42);
        QTest::newRow("relay out of range")
            << QByteArray("+STACH@=1,5") << int(Kind::Relay) << 0 << false << quint64(5);
        QTest::newRow("time cut at 15")
            << QByteArray("+STACH1=1,12345678901234567890\r") << int(Kind::Relay) << 1 << true
            << quint64(123456789012345ull);
        QTest::newRow("truncated")
            << QByteArray("xx+STACH") << int(Kind::Relay) << 0 << false << quint64(0);
        QTest::newRow("input 4 off")
            << QByteArray("+OCCH4x0") << int(Kind::Input) << 4 << false << quint64(0);
        QTest::newRow("input 12") << relaycodec::inputReply(12, true) << int(Kind::Input) << 12
                                  << true << quint64(0);
        QTest::newRow("both: relay wins")
            << QByteArray("+OCCH1=1 +STACH3=1,9") << int(Kind::Relay) << 3 << true << quint64(9);
        QTest::newRow("nothing") << QByteArray("hello") << int(Kind::None) << 0 << false
                                 << quint64(0);
    }
    void relayReplies() {
        QFETCH(QByteArray, data);
        const relaycodec::Reading reading = relaycodec::parse(data);
        QTEST(int(reading.kind), "kind");
        QTEST(reading.number, "number");
        if (reading.number > 0)
            QTEST(reading.on, "on");
        QTEST(reading.time, "time");
    }

    void gbkLengths() {
        QCOMPARE(gbk::encode(QStringLiteral("提示，")), QByteArray::fromHex("cce1cabea3ac"));
        QCOMPARE(gbk::byteLength(QStringLiteral("中文名字七个字")), 14);
        QCOMPARE(gbk::decode(QByteArray::fromHex("cce1cabe")), QStringLiteral("提示"));
        // Plain ASCII and ASCII around GBK pairs decode alike.
        QCOMPARE(gbk::decode("+STACH1=1,5\r\n\x7f"), QStringLiteral("+STACH1=1,5\r\n\x7f"));
        QCOMPARE(gbk::decode(QByteArray("a") + QByteArray::fromHex("cce1cabe") + "z"),
                 QStringLiteral("a提示z"));
    }
};

QTEST_APPLESS_MAIN(TstCodecs)
#include "tst_codecs.moc"
