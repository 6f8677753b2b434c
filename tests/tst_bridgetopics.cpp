// What the bridge accepts from the broker and the command line: every
// request either stands as read or is refused with nothing to send.
#include "bridgeconfig.h"
#include "topics.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TstBridgeTopics : public QObject {
    Q_OBJECT

private slots:
    void setRequests_data() {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>(
            "expected"); // "-": not ours; "!": refused; else mac relay state s
        const QString set = u"ostrel/0200c0a801c7/relay/%1/set"_s;
        QTest::newRow("on") << set.arg(3) << QByteArray("ON") << u"0200c0a801c7 3 On 0"_s;
        QTest::newRow("off, lower case, spaces")
            << set.arg(15) << QByteArray(" off\n") << u"0200c0a801c7 15 Off 0"_s;
        QTest::newRow("toggle") << set.arg(1) << QByteArray("TOGGLE")
                                << u"0200c0a801c7 1 Toggle 0"_s;
        QTest::newRow("timed") << set.arg(10) << QByteArray(R"({"state":"ON","seconds":30})")
                               << u"0200c0a801c7 10 On 30"_s;
        QTest::newRow("json without time")
            << set.arg(2) << QByteArray(R"({"state":"OFF"})") << u"0200c0a801c7 2 Off 0"_s;
        QTest::newRow("relay 0 would be all") << set.arg(0) << QByteArray("ON") << u"!"_s;
        QTest::newRow("relay 16") << set.arg(16) << QByteArray("ON") << u"!"_s;
        QTest::newRow("leading zero") << set.arg(u"03"_s) << QByteArray("ON") << u"!"_s;
        QTest::newRow("sign") << set.arg(u"+3"_s) << QByteArray("ON") << u"!"_s;
        QTest::newRow("not a number") << set.arg(u"x"_s) << QByteArray("ON") << u"!"_s;
        QTest::newRow("huge number") << set.arg(u"4294967299"_s) << QByteArray("ON") << u"!"_s;
        QTest::newRow("empty payload") << set.arg(3) << QByteArray() << u"!"_s;
        QTest::newRow("unknown word") << set.arg(3) << QByteArray("MAYBE") << u"!"_s;
        QTest::newRow("oversized") << set.arg(3) << QByteArray(257, ' ') + "ON" << u"!"_s;
        QTest::newRow("timed toggle")
            << set.arg(3) << QByteArray(R"({"state":"TOGGLE","seconds":3})") << u"!"_s;
        QTest::newRow("time negative")
            << set.arg(3) << QByteArray(R"({"state":"ON","seconds":-1})") << u"!"_s;
        QTest::newRow("time fraction")
            << set.arg(3) << QByteArray(R"({"state":"ON","seconds":1.5})") << u"!"_s;
        QTest::newRow("time as text")
            << set.arg(3) << QByteArray(R"({"state":"ON","seconds":"5"})") << u"!"_s;
        QTest::newRow("time too long for a command")
            << set.arg(3) << QByteArray(R"({"state":"ON","seconds":1e12})") << u"!"_s;
        QTest::newRow("json array") << set.arg(3) << QByteArray("[\"ON\"]") << u"!"_s;
        QTest::newRow("MAC with colons")
            << u"ostrel/02:00:c0:a8:01:c7/relay/3/set"_s << QByteArray("ON") << u"!"_s;
        QTest::newRow("MAC upper case")
            << u"ostrel/0200C0A801C7/relay/3/set"_s << QByteArray("ON") << u"!"_s;
        QTest::newRow("other base")
            << u"other/0200c0a801c7/relay/3/set"_s << QByteArray("ON") << u"-"_s;
        QTest::newRow("state topic")
            << u"ostrel/0200c0a801c7/relay/3"_s << QByteArray("ON") << u"-"_s;
        QTest::newRow("input") << u"ostrel/0200c0a801c7/input/3/set"_s << QByteArray("ON")
                               << u"-"_s;
        QTest::newRow("deeper") << u"ostrel/0200c0a801c7/relay/3/set/x"_s << QByteArray("ON")
                                << u"-"_s;
    }
    void setRequests() {
        QFETCH(QString, topic);
        QFETCH(QByteArray, payload);
        const bridge::Topics topics;
        const std::optional<bridge::SetRequest> request = bridge::parseSet(topics, topic, payload);
        QString got = u"-"_s;
        if (request && !request->error.isEmpty()) {
            got = u"!"_s;
        } else if (request) {
            static const char *const states[] = {"On", "Off", "Toggle"};
            got = u"%1 %2 %3 %4"_s.arg(request->mac)
                      .arg(request->relay)
                      .arg(QLatin1StringView(states[int(request->state)]))
                      .arg(request->seconds);
        }
        QTEST(got, "expected");
    }

    // Modules as --module gives them, and MACs however they are written.
    void modules_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // mac host port tcp|udp|client, or "!"
        QTest::newRow("tcp") << u"02:00:C0:A8:01:C7@192.168.1.199:12345"_s
                             << u"0200c0a801c7 192.168.1.199 12345 tcp"_s;
        QTest::newRow("udp, dashes")
            << u"02-00-c0-a8-01-c7@relay.lan:6000/udp"_s << u"0200c0a801c7 relay.lan 6000 udp"_s;
        QTest::newRow("bare hex") << u"0200c0a801c7@10.0.0.1:1/tcp"_s
                                  << u"0200c0a801c7 10.0.0.1 1 tcp"_s;
        QTest::newRow("client") << u"0200c0a801c7@10.0.0.9:6000/client"_s
                                << u"0200c0a801c7 10.0.0.9 6000 client"_s;
        QTest::newRow("mixed separators") << u"02:00-c0:a8:01:c7@h:1"_s << u"!"_s;
        QTest::newRow("short MAC") << u"02:00:c0:a8:01@h:1"_s << u"!"_s;
        QTest::newRow("port 0") << u"0200c0a801c7@h:0"_s << u"!"_s;
        QTest::newRow("port too big") << u"0200c0a801c7@h:65536"_s << u"!"_s;
        QTest::newRow("no port") << u"0200c0a801c7@h"_s << u"!"_s;
        QTest::newRow("other transport") << u"0200c0a801c7@h:1/sctp"_s << u"!"_s;
    }
    void modules() {
        QFETCH(QString, text);
        const std::optional<bridge::ModuleEntry> entry = bridge::moduleOf(text);
        const QString got = entry ? u"%1 %2 %3 %4"_s.arg(entry->mac, entry->endpoint.host)
                                        .arg(entry->endpoint.port)
                                        .arg(entry->connectsToUs   ? u"client"_s
                                             : entry->endpoint.udp ? u"udp"_s
                                                                   : u"tcp"_s)
                                  : u"!"_s;
        QTEST(got, "expected");
    }
};

QTEST_GUILESS_MAIN(TstBridgeTopics)
#include "tst_bridgetopics.moc"
