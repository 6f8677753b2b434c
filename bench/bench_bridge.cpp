// ostrel-bridge in a virtual lab with a real mosquitto broker: how long a
// published relay command takes to come back as the relay's state, how long
// an input switched at the module takes to reach MQTT, and what polling 256
// modules every second costs the bridge. Needs root for the namespaces.
//
//   bench_bridge [--commands N] [--seconds S]
//
// The last line is machine-readable: bridge_cmd_p50_ms= bridge_cmd_p95_ms=
// bridge_input_ms= bridge256_msgs_per_s= bridge256_cpu_pct= bridge256_rss_mb=
// bridge256_offline=
#include "bridgelab.h"
#include "mqttclient.h"
#include "topics.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Waits in the event loop until done() or the time runs out.
bool waitFor(const std::function<bool()> &done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

double percentile(QList<double> values, double p) {
    if (values.isEmpty())
        return -1;
    std::ranges::sort(values);
    return values.at(std::min(values.size() - 1, qsizetype(p * double(values.size()))));
}

// The bridge for every module of the lab, polling each every second.
bool startBridge(QProcess &process, const BridgeLab &lab) {
    process.start(BridgeLab::bridgeExecutable(),
                  lab.bridgeArguments(1000, u"/dev/null"_s) +
                      QStringList{u"--client-id"_s, u"benchbridge"_s});
    return process.waitForStarted();
}

// utime + stime of a process, in clock ticks.
qint64 cpuTicks(qint64 pid) {
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

qint64 statusKb(qint64 pid, const QByteArray &key) {
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

struct Observer {
    std::unique_ptr<bridge::MqttClient> client;
    QHash<QString, QByteArray> last;
    qint64 messages = 0;
    int offline = 0;
    std::function<void(const QString &, const QByteArray &)> onMessage;

    bool start(const QByteArray &host, const QString &filter) {
        bridge::BrokerSettings settings;
        settings.host = QString::fromLatin1(host);
        settings.port = LabBroker::Port;
        settings.clientId = u"bench-observer"_s;
        client = std::make_unique<bridge::MqttClient>(
            settings, bridge::MqttClient::Will{u"bench/observer"_s, "gone"});
        QObject::connect(client.get(), &bridge::MqttClient::connected, client.get(),
                         [this, filter] { client->subscribe(filter); });
        QObject::connect(client.get(), &bridge::MqttClient::message, client.get(),
                         [this](const QString &topic, const QByteArray &payload, bool) {
                             ++messages;
                             last.insert(topic, payload);
                             if (topic.endsWith(u"/availability"_s) && payload == "offline" &&
                                 !topic.contains(u"/bridge/"_s))
                                 ++offline;
                             if (onMessage)
                                 onMessage(topic, payload);
                         });
        QString error;
        return client->start(&error) && waitFor([this] { return client->isConnected(); }, 5000);
    }
};

struct Latencies {
    QList<double> commands;
    QList<double> inputs;
    QString failure;
};

// The lab with its broker and an observer of everything the bridge
// publishes; empty when all is well, else what failed.
QString setUp(BridgeLab &lab, Observer &observer) {
    QString error;
    if (!lab.setUp(&error))
        return error;
    if (!observer.start(lab.lab().computerIp(), u"ostrel/#"_s))
        return u"the observer could not connect"_s;
    return {};
}

LabFixture::Options modules(int count) {
    LabFixture::Options options;
    options.modules = count;
    return options;
}

Latencies latencies(int commands) {
    Latencies result;
    BridgeLab lab(modules(1));
    Observer observer;
    result.failure = setUp(lab, observer);
    if (!result.failure.isEmpty())
        return result;
    const QString mac = lab.macs().constFirst();
    QProcess bridgeProcess;
    startBridge(bridgeProcess, lab);
    const QString availability = u"ostrel/%1/availability"_s.arg(mac);
    if (!waitFor([&] { return observer.last.value(availability) == "online"; }, 10000)) {
        result.failure = u"the module never came online"_s;
        return result;
    }
    const QString state = u"ostrel/%1/relay/1"_s.arg(mac);
    const QString set = state + u"/set"_s;
    QElapsedTimer clock;
    QByteArray awaited;
    bool echoed = false;
    observer.onMessage = [&](const QString &topic, const QByteArray &payload) {
        if (topic == state && payload == awaited && !echoed) {
            echoed = true;
            result.commands.append(double(clock.nsecsElapsed()) / 1e6);
        }
    };
    for (int i = 0; i < commands; ++i) {
        awaited = i % 2 == 0 ? "ON" : "OFF";
        echoed = false;
        clock.start();
        observer.client->publish(set, awaited, false);
        if (!waitFor([&] { return echoed; }, 5000)) {
            result.failure = u"command %1 got no echo"_s.arg(i);
            break;
        }
    }
    // Inputs switched at the module, each timed from the simulator's "ok".
    for (int i = 0; i < 10 && result.failure.isEmpty(); ++i) {
        const int input = 1 + i % 12;
        const QString topic = u"ostrel/%1/input/%2"_s.arg(mac).arg(input);
        awaited = "ON";
        echoed = false;
        observer.onMessage = [&](const QString &t, const QByteArray &payload) {
            if (t == topic && payload == awaited && !echoed) {
                echoed = true;
                result.inputs.append(double(clock.nsecsElapsed()) / 1e6);
            }
        };
        // A random phase against the poll.
        QThread::msleep(quint64(137 * i % 1000));
        clock.start();
        if (!lab.sim().setInput(1, input, true) || !waitFor([&] { return echoed; }, 5000))
            result.failure = u"input %1 was not published"_s.arg(input);
    }
    bridgeProcess.terminate();
    bridgeProcess.waitForFinished();
    return result;
}

struct Load {
    double messagesPerSecond = -1;
    double cpuPercent = -1;
    double rssMb = -1;
    int offline = -1;
    QString failure;
};

Load load256(int seconds) {
    Load result;
    BridgeLab lab(modules(256));
    Observer observer;
    result.failure = setUp(lab, observer);
    if (!result.failure.isEmpty())
        return result;
    QProcess bridgeProcess;
    startBridge(bridgeProcess, lab);
    const auto online = [&] {
        int n = 0;
        for (auto it = observer.last.cbegin(); it != observer.last.cend(); ++it)
            n += it.key().endsWith(u"/availability"_s) && it.value() == "online";
        return n;
    };
    if (!waitFor([&] { return online() >= 256 + 1; }, 30000)) {
        result.failure = u"only %1 modules came online"_s.arg(online() - 1);
        return result;
    }
    // Settled: from here every second polls every module once.
    waitFor([] { return false; }, 2000);
    const qint64 pid = bridgeProcess.processId();
    const qint64 ticks0 = cpuTicks(pid);
    const qint64 messages0 = observer.messages;
    const int offline0 = observer.offline;
    QElapsedTimer clock;
    clock.start();
    // Each second a few inputs change, so that there is something to publish.
    for (int s = 0; s < seconds; ++s) {
        lab.sim().setInput(1 + (s * 37) % 256, 1 + s % 12, s % 2 == 0);
        waitFor([] { return false; }, 1000);
    }
    const double elapsed = double(clock.nsecsElapsed()) / 1e9;
    const qint64 ticks = cpuTicks(pid) - ticks0;
    result.cpuPercent = 100.0 * double(ticks) / double(sysconf(_SC_CLK_TCK)) / elapsed;
    result.rssMb = double(statusKb(pid, "VmHWM")) / 1024.0;
    result.messagesPerSecond = double(observer.messages - messages0) / elapsed;
    result.offline = observer.offline - offline0;
    bridgeProcess.terminate();
    bridgeProcess.waitForFinished();
    return result;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    int commands = 1000;
    int seconds = 60;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--commands"_s)
            commands = args[i + 1].toInt();
        else if (args[i] == u"--seconds"_s)
            seconds = args[i + 1].toInt();
    }
    if (const QString reason = BridgeLab::unavailableReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "bench_bridge: %s\n", qPrintable(reason));
        return 1;
    }
    const Latencies l = latencies(commands);
    if (!l.failure.isEmpty())
        std::fprintf(stderr, "bench_bridge: %s\n", qPrintable(l.failure));
    std::printf("%lld relay commands, each awaiting its state echo: p50 %.1f ms, p95 %.1f ms, "
                "max %.1f ms\n",
                qlonglong(l.commands.size()), percentile(l.commands, 0.5),
                percentile(l.commands, 0.95), percentile(l.commands, 1.0));
    std::printf("%lld inputs switched by the simulator's control channel, poll 1000 ms: median "
                "%.1f ms, max %.1f ms to their MQTT message\n",
                qlonglong(l.inputs.size()), percentile(l.inputs, 0.5), percentile(l.inputs, 1.0));
    std::fflush(stdout);
    const Load load = load256(seconds);
    if (!load.failure.isEmpty())
        std::fprintf(stderr, "bench_bridge: %s\n", qPrintable(load.failure));
    std::printf("256 modules polled every second for %d s: %.1f MQTT messages/s, bridge CPU %.1f%% "
                "of one core, peak RSS %.1f MB, %d availability offline messages\n",
                seconds, load.messagesPerSecond, load.cpuPercent, load.rssMb, load.offline);
    std::printf("bridge_cmd_p50_ms=%.1f bridge_cmd_p95_ms=%.1f bridge_input_ms=%.1f "
                "bridge256_msgs_per_s=%.1f bridge256_cpu_pct=%.1f bridge256_rss_mb=%.1f "
                "bridge256_offline=%d\n",
                percentile(l.commands, 0.5), percentile(l.commands, 0.95),
                percentile(l.inputs, 1.0), load.messagesPerSecond, load.cpuPercent, load.rssMb,
                load.offline);
    return l.failure.isEmpty() && load.failure.isEmpty() ? 0 : 1;
}
