// Many modules at once over one recording transport: the cap on frames per
// second, and the replies of many modules, arriving in any order, reaching the
// conversation of the module that sent them.
#include "atframe.h"
#include "clock.h"
#include "commandtable.h"
#include "faketransport.h"
#include "modulebatch.h"

#include <QCoreApplication>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <map>

using namespace Qt::StringLiterals;

namespace {

quint32 ipOf(int a, int b, int c, int d) {
    return quint32(a) | quint32(b) << 8 | quint32(c) << 16 | quint32(d) << 24;
}

const NetworkAdapter Lan{u"eth0"_s, 3, ipOf(192, 168, 1, 10), ipOf(255, 255, 255, 0),
                         "00:0c:29:aa:bb:cc"};
const NetworkAdapter Lan2{u"eth1"_s, 4, ipOf(10, 0, 0, 7), ipOf(255, 0, 0, 0), "00:0c:29:dd:ee:ff"};

class FixedAdapters final : public AdapterSource {
public:
    QList<NetworkAdapter> adapters() const override { return {Lan, Lan2}; }
};

class ListedAdapters final : public AdapterSource {
public:
    QList<NetworkAdapter> list;
    QList<NetworkAdapter> adapters() const override { return list; }
};

// A module as the responder plays it: every parameter its own.
struct Played {
    QByteArray mac;
    quint32 ip = 0;
    int adapter = 0;
    bool twice = false;
    std::map<QByteArray, QByteArray> values;

    static Played make(int n, int adapter, const QByteArray &mac, bool twice = false) {
        const quint32 ip = adapter == Lan.index ? ipOf(192, 168, 1, 100 + n) : ipOf(10, 0, 0, n);
        return {mac,
                ip,
                adapter,
                twice,
                {{"MODEL", QByteArray::number(n % 4)},
                 {"GATEWAY", "192.168.1.1"},
                 {"MASK", "255.255.255.0"},
                 {"IP", parameters::addressText(ip).toLatin1()},
                 {"DIP", "192.168.1.10"},
                 {"PORT", QByteArray::number(1000 + n)},
                 {"DPORT", QByteArray::number(2000 + n)},
                 {"MAC", mac},
                 {"DCHP", QByteArray::number(n % 2)},
                 {"NAME", "M" + QByteArray::number(n)},
                 {"VER", "V" + QByteArray::number(n)}}};
    }
    Peer peer() const { return {ip, atframe::ConfigPort, adapter}; }
};

// Answers every frame that went out since its last look, the answers of one
// look delivered last first, so that the conversations' replies cross.
class Responder : public QObject {
public:
    Responder(FakeTransport &transport, QList<Played> modules)
        : m_transport(transport)
        , m_modules(std::move(modules)) {
        connect(&m_tick, &QTimer::timeout, this, &Responder::look);
        m_tick.start(1);
    }
    // The most modules spoken to at once: from their handshake to the
    // answer to their last query.
    int mostAtOnce = 0;

private:
    void look() {
        QList<std::pair<Peer, QByteArray>> replies;
        for (; m_seen < m_transport.sent.size(); ++m_seen) {
            const FakeTransport::Sent &sent = m_transport.sent[m_seen];
            const atframe::Frame frame = atframe::parseFrame(sent.bytes);
            const atframe::Command command = atframe::parseCommand(frame.command);
            for (const Played &module : std::as_const(m_modules)) {
                if (frame.targetMac != module.mac || sent.to.adapter != module.adapter)
                    continue;
                const QString talk =
                    QString::number(module.adapter) + QString::fromLatin1(module.mac);
                QByteArray payload = "OK\r\n";
                if (command.kind == atframe::Command::Kind::Handshake)
                    m_talking.insert(talk);
                if (command.kind == atframe::Command::Kind::Query)
                    payload = atframe::report("+" + command.name, module.values.at(command.name));
                for (int copy = 0; copy < (module.twice ? 2 : 1); ++copy)
                    replies.append({module.peer(), atframe::buildReply(module.mac, payload)});
                mostAtOnce = std::max(mostAtOnce, int(m_talking.size()));
                if (command.name == "VER")
                    m_talking.remove(talk);
            }
        }
        for (auto it = replies.crbegin(); it != replies.crend(); ++it)
            m_transport.deliver(it->first, it->second);
    }

    FakeTransport &m_transport;
    QList<Played> m_modules;
    qsizetype m_seen = 0;
    QSet<QString> m_talking;
    QTimer m_tick;
};

QByteArray valueText(const ParameterValue &value) {
    if (const auto *item = std::get_if<int>(&value))
        return QByteArray::number(*item);
    return std::get<QString>(value).toLatin1();
}

} // namespace

class TstModuleBatch : public QObject {
    Q_OBJECT

private slots:
    // A producer that offers more than the rate, on a clock the test moves
    // on in steps shorter than a millisecond: the cap holds to the
    // nanosecond, as on the wire.
    void rateCap_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("offeredPerStep");
        QTest::addColumn<qint64>("stepUs");
        QTest::addColumn<int>("burst");
        QTest::newRow("one a second") << 1 << 1 << qint64(1000) << 1;
        QTest::newRow("ten a second, steps of 0.7 ms") << 10 << 1 << qint64(700) << 1;
        QTest::newRow("ten a second, steps of 0.97 ms") << 10 << 1 << qint64(970) << 1;
        QTest::newRow("a hundred a second") << 100 << 1 << qint64(1000) << 2;
        QTest::newRow("the default, flooded") << 2000 << 10 << qint64(1000) << 40;
    }
    void rateCap() {
        QFETCH(int, rate);
        QFETCH(int, offeredPerStep);
        QFETCH(qint64, stepUs);
        QFETCH(int, burst);
        constexpr qint64 Second = 1'000'000'000;
        ManualClock clock;
        FakeTransport network;
        network.clock = &clock;
        network.open({});
        RateLimitedTransport limited(network, rate, nullptr, clock);
        // Late in a millisecond, where whole milliseconds would be a
        // millisecond short.
        clock.advanceNs(900'000);
        constexpr qint64 Run = 3 * Second;
        int offered = 0;
        for (bool first = true; clock.nanoseconds() <= Run; first = false) {
            for (int i = 0; i < offeredPerStep; ++i)
                QVERIFY(limited.sendDatagram(Peer{1, 2, 3}, QByteArray::number(offered++)));
            if (first) // what the rate allows leaves at once
                QCOMPARE(network.sent.size(), std::min(offered, burst));
            clock.advanceNs(stepUs * 1000);
        }
        QList<qint64> leftAt;
        for (const FakeTransport::Sent &sent : std::as_const(network.sent))
            leftAt.append(sent.atNs);
        // In order, and nothing lost.
        QCOMPARE(network.sent.size() + limited.waiting(), qsizetype(offered));
        for (qsizetype i = 0; i < network.sent.size(); ++i)
            QCOMPARE(network.sent[i].bytes, QByteArray::number(i));
        // No second over the rate, however the seconds are cut; no tenth of
        // a second over its share and a burst; the rate used, not only capped.
        int peak = 0;
        for (qsizetype first = 0, last = 0; last < leftAt.size(); ++last) {
            while (leftAt[first] <= leftAt[last] - Second)
                ++first;
            peak = std::max(peak, int(last - first + 1));
            const auto tenth = std::ranges::count_if(leftAt, [&](qint64 t) {
                return t > leftAt[last] - Second / 10 && t <= leftAt[last];
            });
            QVERIFY2(tenth <= rate / 10 + burst, qPrintable(QString::number(tenth)));
        }
        QVERIFY(peak <= rate);
        QCOMPARE(limited.peakPerSecond(), peak);
        QVERIFY2(network.sent.size() >= 3 * rate && network.sent.size() <= 3 * rate + burst,
                 qPrintable(QString::number(network.sent.size())));
    }

    // At twenty frames a second the search frames of twelve adapters wait in
    // the rate's queue for up to 550 ms, and the frames of two reads at once
    // wait for their turn. Each module answers 120 ms after the frame to it
    // left: the search ends after the last of its frames left, and no answer
    // counts as late for the time its frame waited (a handshake is given
    // 150 ms). A search cut short says how many of its frames never left.
    void timeCountsFromWhenTheFrameLeft() {
        ManualClock clock;
        FakeTransport network;
        network.open({});
        ListedAdapters adapters;
        QList<Played> modules;
        for (int n = 1; n <= 12; ++n) {
            adapters.list.append({u"eth"_s + QString::number(n), 10 + n, ipOf(10, n, 0, 1),
                                  ipOf(255, 255, 0, 0),
                                  "00:0c:29:00:00:" + QByteArray::number(n + 10)});
            modules.append(Played::make(n, 10 + n, "02:00:00:00:02:" + QByteArray::number(n + 10)));
        }
        ModuleBatch batch(network, adapters, 2 * ModuleBatch::MinRate, nullptr, clock);
        // Answers each frame 120 ms after it left.
        QList<std::pair<qint64, qsizetype>> due; // when, which frame
        qsizetype seen = 0;
        const auto runFor = [&](qint64 ms, const std::function<bool()> &done) {
            for (qint64 t = 0; t < ms && !done(); ++t) {
                for (; seen < network.sent.size(); ++seen)
                    due.append({clock.nanoseconds() + 120'000'000, seen});
                while (!due.isEmpty() && due.first().first <= clock.nanoseconds()) {
                    const FakeTransport::Sent &sent = network.sent[due.takeFirst().second];
                    const atframe::Frame frame = atframe::parseFrame(sent.bytes);
                    for (const Played &module : std::as_const(modules)) {
                        if (module.adapter != sent.to.adapter)
                            continue;
                        const atframe::Command command = atframe::parseCommand(frame.command);
                        const QByteArray payload =
                            command.kind == atframe::Command::Kind::Query
                                ? atframe::report("+" + command.name,
                                                  module.values.at(command.name))
                                : QByteArray("OK\r\n");
                        network.deliver(module.peer(), atframe::buildReply(module.mac, payload));
                    }
                }
                QCoreApplication::processEvents();
                clock.advance(1);
            }
        };

        std::optional<ModuleBatch::SearchResult> found;
        batch.search({}, 500, [&](const ModuleBatch::SearchResult &result) { found = result; });
        runFor(5000, [&] { return found.has_value(); });
        QVERIFY(found.has_value());
        QCOMPARE(found->modules.size(), modules.size());
        QCOMPARE(found->framesQueued, 0);

        QList<ModuleBatch::Job> jobs;
        for (const FoundModule &module : std::as_const(found->modules).first(4))
            jobs.append({module, false, {}, true, false});
        std::optional<QList<ModuleBatch::Outcome>> outcomes;
        batch.run(jobs, [&](const QList<ModuleBatch::Outcome> &ends) { outcomes = ends; });
        runFor(20000, [&] { return outcomes.has_value(); });
        QVERIFY(outcomes.has_value());
        for (const ModuleBatch::Outcome &outcome : std::as_const(*outcomes)) {
            QVERIFY2(outcome.done, qPrintable(outcome.message));
            QCOMPARE(size_t(outcome.values.size()), parameters::readAllOrder().size());
        }

        // A frame that waited in the queue and then could not leave ends its
        // step with the system's words, not as a module gone silent.
        network.unreachable = {jobs[3].module.adapter.index};
        outcomes.reset();
        batch.run(jobs, [&](const QList<ModuleBatch::Outcome> &ends) { outcomes = ends; });
        runFor(20000, [&] { return outcomes.has_value(); });
        QVERIFY(outcomes.has_value());
        QVERIFY((*outcomes)[2].done);
        QCOMPARE((*outcomes)[3].code, SessionResult::Code::SendFailed);
        QCOMPARE((*outcomes)[3].message, u"Network is unreachable"_s);
        network.unreachable.clear();

        found.reset();
        batch.search({}, 500, [&](const ModuleBatch::SearchResult &result) { found = result; });
        runFor(125, [] { return false; });
        batch.abort(u"not done in time"_s);
        QVERIFY(found.has_value());
        QCOMPARE(found->framesQueued, 12 - 3);
    }

    // A search answered by modules behind two adapters (one of them twice,
    // one MAC text behind both, the computer's own broadcast heard back),
    // then every module read with four at a time, their replies crossing.
    void manyModulesAtOnce() {
        FakeTransport network;
        FixedAdapters adapters;
        ModuleBatch batch(network, adapters);
        batch.setInFlight(4);
        QList<Played> modules;
        for (int n = 1; n <= 12; ++n)
            modules.append(
                Played::make(n, Lan.index, "02:00:00:00:01:" + QByteArray::number(n + 10), n == 5));
        modules.append(Played::make(13, Lan2.index, modules[0].mac));

        std::optional<ModuleBatch::SearchResult> found;
        batch.search({}, 10000, [&](const ModuleBatch::SearchResult &result) { found = result; });
        QCOMPARE(network.sent.size(), 2); // out of each adapter
        network.deliver(Peer{Lan.address, atframe::ConfigPort, Lan.index},
                        atframe::searchFrame(Lan.mac));
        for (const Played &module : std::as_const(modules)) {
            for (int copy = 0; copy < (module.twice ? 2 : 1); ++copy)
                network.deliver(module.peer(), atframe::buildReply(module.mac, "OK\r\n"));
        }
        QTRY_VERIFY_WITH_TIMEOUT(found.has_value(), 10000);
        QCOMPARE(found->modules.size(), modules.size() + 1);
        QCOMPARE(found->clashes.size(), 1);
        QCOMPARE(found->clashes[0].module.mac, modules[4].mac);
        QVERIFY(found->clashes[0].warning.startsWith(u"两个或以上的模块MAC地址、IP地址相同"_s));

        QList<ModuleBatch::Job> jobs;
        for (const FoundModule &module : std::as_const(found->modules)) {
            if (jobs.isEmpty() || jobs.last().module.ip != module.ip)
                jobs.append({module, false, {}, true, false});
        }
        QCOMPARE(jobs.size(), modules.size());
        Responder responder(network, modules);
        std::optional<QList<ModuleBatch::Outcome>> outcomes;
        batch.run(jobs, [&](const QList<ModuleBatch::Outcome> &ends) { outcomes = ends; });
        QTRY_VERIFY_WITH_TIMEOUT(outcomes.has_value(), 30000);
        QCOMPARE(responder.mostAtOnce, 4);
        for (qsizetype i = 0; i < jobs.size(); ++i) {
            const ModuleBatch::Outcome &outcome = outcomes->at(i);
            const auto played = std::ranges::find_if(modules, [&](const Played &m) {
                return m.ip == jobs[i].module.ip && m.adapter == jobs[i].module.adapter.index;
            });
            QVERIFY2(outcome.done, qPrintable(outcome.message));
            QCOMPARE(size_t(outcome.values.size()), parameters::readAllOrder().size());
            for (const ModuleSetting &value : outcome.values) {
                const QByteArray name = QByteArray(commands::of(value.parameter).query).sliced(3);
                QCOMPARE(valueText(value.value), played->values.at(name.chopped(2)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TstModuleBatch)
#include "tst_modulebatch.moc"
