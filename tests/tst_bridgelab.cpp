// ostrel-bridge between simulated modules and a real mosquitto broker, in the
// virtual lab (private namespaces only): discovery, commands, states,
// availability, the last will, and the commands it must refuse.
#include "bridgelab.h"
#include "topics.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int BrokerPort = LabBroker::Port;

// Every message a subscription sees, as "retained|topic|payload" lines.
class Watcher {
public:
    ~Watcher() { stop(); }
    void stop() {
        m_process.terminate();
        m_process.waitForFinished();
    }
    // Everything under ostrel/.
    bool start(const QString &host) {
        m_process.start(u"mosquitto_sub"_s, {u"-h"_s, host, u"-p"_s, QString::number(BrokerPort),
                                             u"-t"_s, u"ostrel/#"_s, u"-F"_s, u"%r|%t|%p"_s});
        return m_process.waitForStarted();
    }
    QStringList lines() {
        m_buffer += m_process.readAllStandardOutput();
        const qsizetype end = m_buffer.lastIndexOf('\n');
        if (end >= 0) {
            for (const QByteArray &line : m_buffer.first(end).split('\n'))
                m_lines.append(QString::fromUtf8(line));
            m_buffer.remove(0, end + 1);
        }
        return m_lines;
    }
    bool saw(const QString &topic, const QString &payload) {
        return lines().contains(u"1|"_s + topic + u'|' + payload) ||
               m_lines.contains(u"0|"_s + topic + u'|' + payload);
    }
    void clear() {
        lines();
        m_lines.clear();
    }

private:
    QProcess m_process;
    QByteArray m_buffer;
    QStringList m_lines;
};

bool publish(const QString &host, const QString &topic, const QByteArray &payload) {
    QProcess process;
    process.start(u"mosquitto_pub"_s, {u"-h"_s, host, u"-p"_s, QString::number(BrokerPort), u"-q"_s,
                                       u"1"_s, u"-t"_s, topic, u"-s"_s});
    process.write(payload);
    process.closeWriteChannel();
    return process.waitForFinished(5000) && process.exitCode() == 0;
}

// The retained messages under filter, as "topic|payload" lines.
QStringList retained(const QString &host, const QString &filter) {
    QProcess process;
    process.start(u"mosquitto_sub"_s,
                  {u"-h"_s, host, u"-p"_s, QString::number(BrokerPort), u"-t"_s, filter,
                   u"--retained-only"_s, u"-W"_s, u"1"_s, u"-F"_s, u"%t|%p"_s});
    process.waitForFinished(5000);
    return QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

LabFixture::Options modules(int count) {
    LabFixture::Options options;
    options.modules = count;
    return options;
}

// The bridge as a process, ended with the test.
struct BridgeProcess : QProcess {
    ~BridgeProcess() override {
        terminate();
        waitForFinished();
    }
    bool start(const QStringList &arguments) {
        QProcess::start(BridgeLab::bridgeExecutable(), arguments);
        return waitForStarted();
    }
};

} // namespace

class TstBridgeLab : public QObject {
    Q_OBJECT

private slots:
    void bridgeWithBroker() {
        BridgeLab lab(modules(2));
        BRIDGE_LAB_OR_SKIP(lab);
        const QString host = lab.host();
        SimProcess &sim = lab.sim();
        const QStringList macs = lab.macs();
        Watcher watch;
        QVERIFY(watch.start(host));
        QTemporaryDir dir;
        const QString events = dir.filePath(u"events.jsonl"_s);
        const QStringList node{u"--client-id"_s, u"labbridge"_s};
        BridgeProcess bridge;
        QVERIFY(bridge.start(lab.bridgeArguments(300, events) + node));
        for (const QString &mac : macs)
            QTRY_VERIFY_WITH_TIMEOUT(watch.saw(u"ostrel/%1/availability"_s.arg(mac), u"online"_s),
                                     10000);
        QTRY_VERIFY(watch.saw(u"ostrel/bridge/availability"_s, u"online"_s));

        // Home Assistant finds every relay and input of every module, kept by
        // the broker for whoever subscribes later.
        QProcess discovery;
        discovery.start(u"mosquitto_sub"_s,
                        {u"-h"_s, host, u"-t"_s, u"homeassistant/#"_s, u"-F"_s, u"%r|%t|%p"_s,
                         u"-W"_s, u"3"_s, u"-C"_s, QString::number(27 * macs.size())});
        QVERIFY(discovery.waitForFinished(10000));
        QSet<QString> ids;
        for (const QByteArray &line : discovery.readAllStandardOutput().trimmed().split('\n')) {
            const QList<QByteArray> parts = line.split('|');
            QCOMPARE(parts.value(0), QByteArray("1"));
            const QJsonObject config = QJsonDocument::fromJson(parts.value(2)).object();
            const QString id = config[u"unique_id"_s].toString();
            QCOMPARE(QString::fromUtf8(parts.value(1)),
                     u"homeassistant/%1/labbridge/%2/config"_s.arg(
                         id.contains(u"relay"_s) ? u"switch"_s : u"binary_sensor"_s, id));
            const QString mac = bridge::macOfObjectId(id);
            QCOMPARE(config[u"device"_s][u"identifiers"_s][0].toString(), mac);
            QCOMPARE(config[u"availability"_s][1][u"topic"_s].toString(),
                     u"ostrel/%1/availability"_s.arg(mac));
            ids.insert(id);
        }
        QSet<QString> expected;
        for (const QString &mac : macs) {
            for (int n = 1; n <= 15; ++n)
                expected.insert(u"ostrel_%1_relay%2"_s.arg(mac).arg(n));
            for (int n = 1; n <= 12; ++n)
                expected.insert(u"ostrel_%1_input%2"_s.arg(mac).arg(n));
        }
        QCOMPARE(ids, expected);

        // What must not switch anything: a word that is no command, a payload
        // too long, a timed switch without a sane time, relays 0 (all) and 16.
        const QString set = u"ostrel/%1/relay/%2/set"_s;
        QVERIFY(publish(host, set.arg(macs[0]).arg(5), "MAYBE"));
        QVERIFY(publish(host, set.arg(macs[0]).arg(5), QByteArray(300, 'O')));
        QVERIFY(publish(host, set.arg(macs[0]).arg(5), R"({"state":"ON","seconds":-4})"));
        QVERIFY(publish(host, set.arg(macs[0]).arg(0), "ON"));
        QVERIFY(publish(host, set.arg(macs[0]).arg(16), "ON"));
        // A command switches the module's relay, and the state follows.
        QVERIFY(publish(host, set.arg(macs[0]).arg(3), "ON"));
        QTRY_VERIFY(watch.saw(u"ostrel/%1/relay/3"_s.arg(macs[0]), u"ON"_s));
        QByteArray relays, inputs;
        QVERIFY(sim.state(1, &relays, &inputs));
        QCOMPARE(relays, QByteArray("001000000000000"));
        QFile log(events);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count("\"result\":\"ignored\""), 5);
        log.close();

        // An input switched at the module is published.
        QVERIFY(sim.setInput(1, 4, true));
        QTRY_VERIFY(watch.saw(u"ostrel/%1/input/4"_s.arg(macs[0]), u"ON"_s));

        // The broker restarts with nothing kept: the bridge connects again and
        // publishes everything anew.
        watch.stop();
        lab.broker().stop();
        QVERIFY(lab.broker().start());
        QTRY_VERIFY_WITH_TIMEOUT(retained(host, u"ostrel/%1/relay/3"_s.arg(macs[0]))
                                     .contains(u"ostrel/%1/relay/3|ON"_s.arg(macs[0])),
                                 10000);
        QTRY_COMPARE(retained(host, u"homeassistant/#"_s).size(), 27 * macs.size());
        Watcher watch2;
        QVERIFY(watch2.start(host));

        // A module whose working port goes away is offline after three
        // unanswered polls, and online again at its next answer.
        watch2.clear();
        QVERIFY(sim.control("set 2 port 12399"));
        QTRY_VERIFY_WITH_TIMEOUT(watch2.saw(u"ostrel/%1/availability"_s.arg(macs[1]), u"offline"_s),
                                 10000);
        QVERIFY(!watch2.saw(u"ostrel/%1/availability"_s.arg(macs[0]), u"offline"_s));
        QVERIFY(sim.control("set 2 port 12345"));
        QTRY_VERIFY_WITH_TIMEOUT(watch2.saw(u"ostrel/%1/availability"_s.arg(macs[1]), u"online"_s),
                                 10000);

        // Killed, the bridge leaves its last will; stopped, it says offline
        // itself and ends cleanly.
        watch2.clear();
        bridge.kill();
        QVERIFY(bridge.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(watch2.saw(u"ostrel/bridge/availability"_s, u"offline"_s), 10000);
        // Back with the second module taken out of its configuration: Home
        // Assistant's entities of that module are removed.
        QVERIFY(bridge.start(lab.bridgeArguments(300, events, 1) + node));
        QTRY_VERIFY_WITH_TIMEOUT(watch2.saw(u"ostrel/bridge/availability"_s, u"online"_s), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(retained(host, u"homeassistant/#"_s).filter(macs[1]).isEmpty(),
                                 10000);
        QCOMPARE(retained(host, u"homeassistant/#"_s).size(), 27);
        // Stopped with a command on its way, it ends as cleanly.
        watch2.clear();
        QVERIFY(publish(host, set.arg(macs[0]).arg(8), "ON"));
        bridge.terminate();
        QVERIFY(bridge.waitForFinished());
        QCOMPARE(bridge.exitStatus(), QProcess::NormalExit);
        QCOMPARE(bridge.exitCode(), 0);
        QTRY_VERIFY(watch2.saw(u"ostrel/bridge/availability"_s, u"offline"_s));
    }

    // A module in TCP client mode connects to the bridge by itself; the
    // bridge knows it by its address and drives it over that connection. The
    // broker here takes the bridge over TLS.
    void moduleConnectsToBridge() {
        LabFixture::Options options = modules(1);
        options.simArguments = {u"--mode"_s, u"1"_s, u"--dport"_s, u"6000"_s};
        BridgeLab lab(options);
        BRIDGE_LAB_OR_SKIP(lab);
        const QString host = lab.host();
        const QString mac = lab.macs().constFirst();
        Watcher watch;
        // The bridge reaches the broker over TLS only, trusting its CA.
        const QString ca = lab.broker().startWithTls(8883);
        QVERIFY(!ca.isEmpty());
        QVERIFY(watch.start(host));
        BridgeProcess bridge;
        QVERIFY(bridge.start(lab.bridgeArguments(300, u"/dev/null"_s, -1, u":6000/client"_s) +
                             QStringList{u"--broker"_s, host + u":8883"_s, u"--ca"_s, ca}));
        QTRY_VERIFY_WITH_TIMEOUT(watch.saw(u"ostrel/%1/availability"_s.arg(mac), u"online"_s),
                                 10000);
        QVERIFY(publish(host, u"ostrel/%1/relay/7/set"_s.arg(mac), "ON"));
        QTRY_VERIFY(watch.saw(u"ostrel/%1/relay/7"_s.arg(mac), u"ON"_s));
        QByteArray relays, inputs;
        QVERIFY(lab.sim().state(1, &relays, &inputs));
        QCOMPARE(relays, QByteArray("000000100000000"));
    }

    // With --search the bridge finds the modules and reads how each is
    // reached: here one TCP server and one UDP peer.
    void modulesFoundBySearch() {
        BridgeLab lab(modules(2));
        BRIDGE_LAB_OR_SKIP(lab);
        QVERIFY(lab.sim().control("set 2 mode 2"));
        const QString host = lab.host();
        const QStringList macs = lab.macs();
        Watcher watch;
        QVERIFY(watch.start(host));
        QTemporaryDir dir;
        const QString events = dir.filePath(u"events.jsonl"_s);
        BridgeProcess bridge;
        QVERIFY(bridge.start(lab.bridgeArguments(300, events, 0) +
                             QStringList{u"--search"_s, u"--search-interval"_s, u"1"_s}));
        for (const QString &mac : macs)
            QTRY_VERIFY_WITH_TIMEOUT(watch.saw(u"ostrel/%1/availability"_s.arg(mac), u"online"_s),
                                     15000);
        const auto info = [&](int port) {
            return QString::fromUtf8(QJsonDocument(QJsonObject{{u"firmware"_s, u"V1.0"_s},
                                                               {u"ip"_s, u"192.168.1.200"_s},
                                                               {u"mac"_s, bridge::macText(macs[1])},
                                                               {u"mode"_s, u"udp"_s},
                                                               {u"name"_s, u"Relay"_s},
                                                               {u"port"_s, port}})
                                         .toJson(QJsonDocument::Compact));
        };
        QVERIFY(watch.saw(u"ostrel/%1/info"_s.arg(macs[1]), info(12345)));
        QVERIFY(publish(host, u"ostrel/%1/relay/5/set"_s.arg(macs[1]), "ON"));
        QTRY_VERIFY(watch.saw(u"ostrel/%1/relay/5"_s.arg(macs[1]), u"ON"_s));
        QByteArray relays, inputs;
        QVERIFY(lab.sim().state(2, &relays, &inputs));
        QCOMPARE(relays, QByteArray("000010000000000"));

        // The module moves to another port: a later search finds it there,
        // and the bridge says so and follows it.
        QVERIFY(lab.sim().control("set 2 port 12346"));
        QTRY_VERIFY_WITH_TIMEOUT(watch.saw(u"ostrel/%1/info"_s.arg(macs[1]), info(12346)), 20000);
        QFile log(events);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QJsonObject moved;
        for (const QByteArray &line : log.readAll().split('\n')) {
            const QJsonObject e = QJsonDocument::fromJson(line).object();
            if (e[u"event"_s] == u"address-changed"_s)
                moved = e;
        }
        QCOMPARE(moved[u"mac"_s].toString(), macs[1]);
        QCOMPARE(moved[u"from"_s].toString(), u"udp 192.168.1.200:12345"_s);
        QCOMPARE(moved[u"to"_s].toString(), u"udp 192.168.1.200:12346"_s);
        QVERIFY(publish(host, u"ostrel/%1/relay/6/set"_s.arg(macs[1]), "ON"));
        QTRY_VERIFY(watch.saw(u"ostrel/%1/relay/6"_s.arg(macs[1]), u"ON"_s));
        QVERIFY(lab.sim().state(2, &relays, &inputs));
        QCOMPARE(relays, QByteArray("000011000000000"));
    }
};

QTEST_GUILESS_MAIN(TstBridgeLab)
#include "tst_bridgelab.moc"
