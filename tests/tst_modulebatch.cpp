// Many modules at once over one recording transport: the cap on frames per
// second, and the replies of many modules, arriving in any order, reaching the
// conversation of the module that sent them.
#include "atframe.h"
#include "commandtable.h"
#include "faketransport.h"
#include "modulebatch.h"

#include <QSet>
#include <QTest>

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
    // a millisecond at a time.
    void rateCap_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("offeredPerMs");
        QTest::addColumn<int>("burst");
        QTest::newRow("one a second") << 1 << 1 << 1;
        QTest::newRow("a hundred a second") << 100 << 1 << 2;
        QTest::newRow("the default, flooded") << 2000 << 10 << 40;
    }
    void rateCap() {
        QFETCH(int, rate);
        QFETCH(int, offeredPerMs);
        QFETCH(int, burst);
        FakeTransport network;
        network.open({});
        RateLimitedTransport limited(network, rate);
        qint64 now = 0;
        limited.setClock([&now] { return now; });
        constexpr qint64 RunMs = 3000;
        QList<qint64> leftAt;
        int offered = 0;
        for (; now <= RunMs; ++now) {
            for (int i = 0; i < offeredPerMs; ++i)
                QVERIFY(limited.sendDatagram(Peer{1, 2, 3}, QByteArray::number(offered++)));
            if (now == 0) // what the rate allows leaves at once
                QCOMPARE(network.sent.size(), std::min(offered, burst));
            limited.sendDue();
            while (leftAt.size() < network.sent.size())
                leftAt.append(now);
        }
        // In order, and nothing lost.
        QCOMPARE(network.sent.size() + limited.waiting(), qsizetype(offered));
        for (qsizetype i = 0; i < network.sent.size(); ++i)
            QCOMPARE(network.sent[i].bytes, QByteArray::number(i));
        // No second over the rate, however the seconds are cut; no tenth of
        // a second over its share and a burst; the rate used, not only capped.
        int peak = 0;
        for (qsizetype first = 0, last = 0; last < leftAt.size(); ++last) {
            while (leftAt[first] <= leftAt[last] - 1000)
                ++first;
            peak = std::max(peak, int(last - first + 1));
            const auto tenth = std::ranges::count_if(
                leftAt, [&](qint64 t) { return t > leftAt[last] - 100 && t <= leftAt[last]; });
            QVERIFY2(tenth <= rate / 10 + burst, qPrintable(QString::number(tenth)));
        }
        QVERIFY(peak <= rate);
        QCOMPARE(limited.peakPerSecond(), peak);
        QVERIFY2(network.sent.size() >= 3 * rate && network.sent.size() <= 3 * rate + burst,
                 qPrintable(QString::number(network.sent.size())));
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
