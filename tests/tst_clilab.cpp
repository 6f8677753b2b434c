// The ostrel-cli program against simulated modules, in their working mode
// and on their configuration port, across the virtual lab's cable (private
// namespaces only).
#include "atframe.h"
#include "cliapp.h"
#include "interrupts.h"
#include "labfixture.h"
#include "languagecheck.h"
#include "ratelimitedtransport.h"
#include "settingtext.h"
#include "sockettransport.h"
#include "systemadapters.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>

#include <arpa/inet.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Run {
    int code = -1;
    QJsonObject json;
    QString out;
    QString err;
};

// The program itself; it inherits the lab's computer side from this thread.
Run ostrelCli(const QString &line, const QByteArray &input = {}) {
    QProcess process;
    process.start(QStringLiteral(OSTREL_CLI_EXE), line.split(u' '));
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        return {};
    const QByteArray out = process.readAllStandardOutput();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QJsonDocument::fromJson(out).object(), QString::fromUtf8(out),
            QString::fromUtf8(process.readAllStandardError())};
}

// By MAC text: the module's number in the simulator and the faults it is
// given.
using Faults = QHash<QByteArray, std::pair<int, QByteArray>>;

// The program run in this process, so that the test can step in between
// the search and the conversations: the first frame addressed to a module
// of faults first gives that module its faults.
// answer: what a person at the terminal types when asked; none, no terminal.
// onFrame, when given, sees every configuration frame before it leaves.
Run ostrelCliHere(const QString &line, SimProcess &sim, const Faults &faults = {},
                  const QByteArray *answer = nullptr,
                  std::function<void(QByteArrayView)> onFrame = {}) {
    class FaultOnFirstFrame final : public TransportDecorator {
    public:
        FaultOnFirstFrame(std::unique_ptr<Transport> socket, SimProcess &sim, Faults faults,
                          std::function<void(QByteArrayView)> onFrame)
            : TransportDecorator(*socket)
            , m_socket(std::move(socket))
            , m_sim(sim)
            , m_faults(std::move(faults))
            , m_onFrame(std::move(onFrame)) {}
        using TransportDecorator::sendDatagram;
        bool sendDatagram(const Peer &to, QByteArrayView bytes) override {
            if (m_onFrame)
                m_onFrame(bytes);
            const auto [module, faults] = m_faults.take(atframe::parseFrame(bytes).targetMac);
            if (module > 0 && !m_sim.fault(module, faults))
                qWarning("the simulator refused the faults");
            return TransportDecorator::sendDatagram(to, bytes);
        }

    private:
        std::unique_ptr<Transport> m_socket;
        SimProcess &m_sim;
        Faults m_faults;
        std::function<void(QByteArrayView)> m_onFrame;
    };
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    QBuffer in;
    in.setData(answer ? *answer : QByteArray());
    in.open(QIODevice::ReadOnly);
    const SystemAdapters adapters;
    const cli::Environment environment{out,
                                       err,
                                       false,
                                       adapters,
                                       [&] {
                                           return std::make_unique<FaultOnFirstFrame>(
                                               std::make_unique<SocketTransport>(), sim, faults,
                                               onFrame);
                                       },
                                       &in,
                                       answer != nullptr};
    const int code = cli::run((u"ostrel-cli "_s + line).split(u' '), environment);
    return {code, QJsonDocument::fromJson(out.data()).object(), QString::fromUtf8(out.data()),
            QString::fromUtf8(err.data())};
}

// Every parameter of a document's module entry as the simulator holds it.
QString differences(const QJsonObject &entry, SimProcess &sim, int module,
                    const QList<Parameter> &parameters) {
    QHash<Parameter, ParameterValue> held;
    if (!sim.parameters(module, &held))
        return u"the simulator did not say"_s;
    QStringList wrong;
    for (const Parameter parameter : parameters) {
        const QString key = parameters::keyOf(parameter);
        const QString shown = entry[u"parameters"_s][key].toVariant().toString();
        if (parameters::text(parameter, held.value(parameter)) != shown)
            wrong.append(key + u'=' + shown);
    }
    return wrong.join(u", "_s);
}

QList<Parameter> readAllParameters() {
    return {parameters::readAllOrder().begin(), parameters::readAllOrder().end()};
}

// "0"/"1" per relay or input, as the simulator's state gives it.
QByteArray states(const QJsonObject &document, const QString &list) {
    const QJsonArray entries = document[list].toArray();
    QByteArray bits;
    for (const QJsonValue &entry : entries)
        bits.append(entry[u"on"_s].toBool() ? '1' : '0');
    return bits;
}

// Counts the configuration datagrams that leave by one adapter of the
// computer side, as the adapter's own capture sees them.
class OutgoingConfigFrames {
public:
    explicit OutgoingConfigFrames(const QString &adapter)
        : m_fd(::socket(AF_PACKET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, htons(ETH_P_IP))) {
        sockaddr_ll at{};
        at.sll_family = AF_PACKET;
        at.sll_protocol = htons(ETH_P_IP);
        at.sll_ifindex = int(if_nametoindex(adapter.toLatin1().constData()));
        if (m_fd >= 0 && (at.sll_ifindex == 0 ||
                          ::bind(m_fd, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0)) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~OutgoingConfigFrames() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OutgoingConfigFrames(const OutgoingConfigFrames &) = delete;
    OutgoingConfigFrames &operator=(const OutgoingConfigFrames &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // What was captured since the last call.
    int count() {
        int frames = 0;
        unsigned char packet[2048];
        sockaddr_ll from{};
        socklen_t length = sizeof from;
        ssize_t n;
        while ((n = ::recvfrom(m_fd, packet, sizeof packet, 0, reinterpret_cast<sockaddr *>(&from),
                               &length)) > 0) {
            length = sizeof from;
            const size_t header = size_t(packet[0] & 0x0F) * 4;
            if (from.sll_pkttype != PACKET_OUTGOING || size_t(n) < header + 4 || packet[9] != 17)
                continue;
            if ((packet[header + 2] << 8 | packet[header + 3]) == atframe::ConfigPort)
                ++frames;
        }
        return frames;
    }

private:
    int m_fd;
};

} // namespace

class TstCliLab : public QObject {
    Q_OBJECT

private slots:
    // Adapters as computers have them: two on one LAN (each module listed
    // once per adapter, no clash, and the frames for one adapter leave by
    // it alone), a second address added to reach modules in their own
    // subnet (searched from too, and usable alone), and an address that
    // goes away during a read (the read ends at once, saying why).
    void adaptersAsTheyAre_data() {
        QTest::addColumn<QString>("setting");
        QTest::newRow("two adapters on one LAN") << u"two adapters"_s;
        QTest::newRow("a second address") << u"second address"_s;
        QTest::newRow("the address goes away") << u"address lost"_s;
    }
    void adaptersAsTheyAre() {
        QFETCH(QString, setting);
        LabFixture::Options options;
        options.modules = 2;
        if (setting == u"two adapters")
            options.secondAdapterIp = "192.168.1.11";
        if (setting == u"second address")
            options.firstAddressIp = "10.0.0.5";
        LabFixture lab(options);
        LAB_SETUP_OR_SKIP(lab);
        SimProcess &sim = lab.sim();
        QSet<QString> everyModule;
        for (const SimProcess::Module &module : lab.modules())
            everyModule << QString::fromLatin1(module.mac + ' ' + module.ip);
        const auto listed = [](const QJsonObject &document, const QString &adapter) {
            QSet<QString> modules;
            for (const QJsonValue &entry : document[u"modules"_s].toArray()) {
                if (entry[u"adapter"_s].toString() == adapter)
                    modules << entry[u"module"_s].toString() + u' ' + entry[u"ip"_s].toString();
            }
            return modules;
        };
        const auto allOk = [](const QJsonObject &document) {
            QStringList states;
            for (const QJsonValue &entry : document[u"modules"_s].toArray())
                states << entry[u"status"_s].toString() + u' ' +
                              entry[u"error"_s][u"message"_s].toString();
            return states;
        };
        const QStringList ok(2, u"ok "_s);

        if (setting == u"two adapters") {
            Run run = ostrelCliHere(u"search --json"_s, sim);
            QVERIFY2(run.code == 0, qPrintable(run.err));
            QCOMPARE(run.json[u"modules"_s].toArray().size(), 4);
            QCOMPARE(listed(run.json, u"eth0"_s), everyModule);
            QCOMPARE(listed(run.json, u"eth1"_s), everyModule);
            QCOMPARE(run.json[u"warnings"_s].toArray().size(), 0);
            OutgoingConfigFrames viaOther(LabFixture::adapterName(1));
            QVERIFY(viaOther.isOpen());
            run = ostrelCliHere(u"read all --adapter eth0 --json"_s, sim);
            QCOMPARE(allOk(run.json), ok);
            QCOMPARE(viaOther.count(), 0);
        } else if (setting == u"second address") {
            Run run = ostrelCliHere(u"search --json"_s, sim);
            QVERIFY2(run.code == 0, qPrintable(run.err));
            QCOMPARE(listed(run.json, u"eth0"_s), everyModule);
            run = ostrelCliHere(u"read all --adapter 192.168.1.10 --json"_s, sim);
            QCOMPARE(allOk(run.json), ok);
        } else {
            int frames = 0;
            const Run run = ostrelCliHere(
                u"read all --parallel 1 --json"_s, sim, {}, nullptr, [&](QByteArrayView) {
                    // The search, then a few frames of the first read.
                    if (++frames == 4)
                        QProcess::execute(u"ip"_s, {u"addr"_s, u"flush"_s, u"dev"_s, u"eth0"_s});
                });
            QCOMPARE(run.code, 1);
            const QStringList states = allOk(run.json);
            QCOMPARE(states.size(), 2);
            for (const QString &state : states) {
                // At once, with the system's reason, not as a time-out.
                QVERIFY2(state.startsWith(u"failed the frame could not be sent: "_s) &&
                             state.size() > 40,
                         qPrintable(state));
            }
        }
    }

    // Another device on the LAN answers every frame, signed with the MAC the
    // frame addresses, and junk answers the search (MAC texts that are no
    // MAC address): neither is read as a module, the junk is not
    // addressed, and the CLI says how many answers it skipped.
    void repliesFromElsewhere() {
        LabFixture::Options options;
        options.modules = 2;
        LabFixture lab(options);
        LAB_SETUP_OR_SKIP(lab);
        SimProcess &sim = lab.sim();
        const std::unique_ptr<UdpProbe> other = lab.fieldProbe("192.168.1.66");
        QVERIFY(other);
        const QByteArray computer = lab.computerIp();
        const Run run =
            ostrelCliHere(u"read all --json"_s, sim, {}, nullptr, [&](QByteArrayView frame) {
                const atframe::Frame parsed = atframe::parseFrame(frame);
                if (parsed.targetMac == "00:00:00:00:00:00") {
                    for (const QByteArray &junk :
                         {QByteArray("\x01\x02\x7f"), QByteArray("\x1b[2J\r\n"), QByteArray("x")})
                        other->send(computer, atframe::ConfigPort, atframe::buildReply(junk, "OK"));
                    return;
                }
                // Ahead of the module's own answer.
                other->send(computer, atframe::ConfigPort,
                            atframe::buildReply(parsed.targetMac, "ERROR\r\n"));
            });
        const QJsonArray entries = run.json[u"modules"_s].toArray();
        QStringList states;
        for (const QJsonValue &entry : entries)
            states << entry[u"module"_s].toString() + u' ' + entry[u"ip"_s].toString() + u' ' +
                          entry[u"status"_s].toString();
        states.sort();
        QStringList expected;
        for (const SimProcess::Module &module : lab.modules())
            expected << QString::fromLatin1(module.mac + ' ' + module.ip + " ok");
        QCOMPARE(states, expected);
        QVERIFY2(run.code == 0, qPrintable(run.err));
        for (const QJsonValue &entry : entries) {
            const int module =
                int(std::ranges::find(lab.modules(), entry[u"module"_s].toString().toLatin1(),
                                      &SimProcess::Module::mac) -
                    lab.modules().begin()) +
                1;
            QCOMPARE(differences(entry.toObject(), sim, module, readAllParameters()), QString());
        }
        QStringList warnings;
        for (const QJsonValue &warning : run.json[u"warnings"_s].toArray())
            warnings << warning[u"message"_s].toString();
        // Besides the clashes of the junk's shared address, as the window
        // would warn of them.
        QVERIFY2(warnings.contains(u"3 answers skipped: their MAC text is not a MAC address"_s),
                 qPrintable(warnings.join(u'\n')));
    }

    void relaysAndInputs() {
        LabFixture::Options options;
        options.modules = 1;
        // Answers to "all" come 100 ms apart: the last of the relays 1.4 s
        // after the first.
        options.simArguments = {u"--mode"_s, u"0"_s, u"--port"_s, u"12345"_s, u"--gap"_s, u"100"_s};
        LabFixture lab(options);
        LAB_SETUP_OR_SKIP(lab);
        SimProcess &sim = lab.sim();
        const QString ip = QString::fromLatin1(lab.modules().at(0).ip);
        const QString module = ip + u":12345"_s;
        const QString wait = u" --json --timeout 10000"_s;
        QByteArray relays;
        QByteArray inputs;

        QVERIFY(sim.setInput(1, 4, true));
        Run run = ostrelCli(u"inputs "_s + module + wait);
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QVERIFY(sim.state(1, &relays, &inputs));
        QCOMPARE(states(run.json, u"inputs"_s), inputs);
        QCOMPARE(inputs, "000100000000");
        QCOMPARE(run.json[u"module"_s].toString(), module);
        QCOMPARE(run.json[u"transport"_s].toString(), u"tcp"_s);

        run = ostrelCli(u"relay %1 3 on --time 30"_s.arg(module) + wait);
        QCOMPARE(run.code, 0);
        const QJsonArray switched = run.json[u"relays"_s].toArray();
        QCOMPARE(switched.size(), 1);
        QCOMPARE(switched[0][u"relay"_s].toInt(), 3);
        QCOMPARE(switched[0][u"remaining"_s].toInt(), 30);
        QVERIFY(sim.state(1, &relays, &inputs));
        QCOMPARE(relays.at(2), '1');

        run = ostrelCli(u"relays "_s + module + wait);
        QCOMPARE(run.code, 0);
        QVERIFY(sim.state(1, &relays, &inputs));
        QCOMPARE(states(run.json, u"relays"_s), relays);
        const int remaining = run.json[u"relays"_s][2][u"remaining"_s].toInt();
        QVERIFY2(remaining > 0 && remaining <= 30, qPrintable(run.out));

        // Not every relay can answer in time: what came is shown, what did
        // not is named.
        run = ostrelCli(u"relays %1 --json --timeout 500"_s.arg(module));
        QCOMPARE(run.code, 1);
        const qsizetype missing = run.json[u"missing"_s].toArray().size();
        QVERIFY(missing > 0);
        QCOMPARE(run.json[u"relays"_s].toArray().size() + missing, 15);
        QCOMPARE(run.json[u"errors"_s][0][u"module"_s].toString(), module);
        QVERIFY2(run.err.contains(u"query relay 0: no answer from relay "_s), qPrintable(run.err));

        run = ostrelCli(u"relay %1 0 off --timeout 10000"_s.arg(module));
        QCOMPARE(run.code, 0);
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 16);
        QCOMPARE(lines[0].simplified(), u"RELAY STATE REMAINING"_s);
        QCOMPARE(lines[15].simplified(), u"15 off 0"_s);
        QVERIFY(sim.state(1, &relays, &inputs));
        QCOMPARE(relays, QByteArray(15, '0'));

        // The same module as a UDP peer.
        QVERIFY(sim.control("set 1 mode 2"));
        QVERIFY(sim.setRelay(1, 7, true));
        run = ostrelCli(u"relays %1 --udp"_s.arg(module) + wait);
        QCOMPARE(run.code, 0);
        QCOMPARE(states(run.json, u"relays"_s), QByteArray("000000100000000"));

        // Nobody listens: the network says so.
        for (const QString &transport : {u"--tcp"_s, u"--udp"_s}) {
            run = ostrelCli(u"inputs %1:12346 %2"_s.arg(ip, transport) + wait);
            QCOMPARE(run.code, 3);
            QVERIFY2(run.json[u"errors"_s][0][u"step"_s].toString() ==
                         (transport == u"--tcp"_s ? u"connect"_s : u"send"_s),
                     qPrintable(run.err));
        }
    }

    // A search, then every module read, on a panel where modules misbehave:
    // one falls silent once found, one answers "ERROR", one answers
    // everything twice, two share a MAC address and two an IP address. The
    // clashes are warned of in the window's words (under source and in
    // Chinese; in English in English naming the same modules); each fault
    // fails its module alone, naming the step; every other value is the
    // simulator's. In every language the documents are the same but for
    // their messages, and in English nothing a person reads is Chinese.
    void readAllWithFaults() {
        LabFixture::Options options;
        options.modules = 6;
        for (const char *module :
             {"ip=192.168.1.199", "ip=192.168.1.200", "ip=192.168.1.201",
              "ip=192.168.1.202;fault=twice", "ip=192.168.1.203;mac=02:00:00:00:00:55",
              "ip=192.168.1.204;mac=02:00:00:00:00:55", "ip=192.168.1.199;mac=02:00:00:00:00:77"})
            options.simArguments << u"--module"_s << QString::fromLatin1(module);
        LabFixture lab(options);
        LAB_SETUP_OR_SKIP(lab);
        SimProcess &sim = lab.sim();
        QCOMPARE(lab.modules().size(), 7);
        const auto mac = [&](int module) { return lab.modules().at(module - 1).mac; };
        const QStringList clashes{
            u"两个或以上的模块MAC地址、IP地址相同，MAC地址为：%1，IP地址为：192.168.1.202，请通过串"
            u"口功能设置"_s.arg(QString::fromLatin1(mac(4))),
            u"两模块的MAC地址相同，MAC地址为：02:00:00:00:00:55，IP地址分别为：192.168.1.203      "
            u"192.168.1.204，请通过串口功能设置"_s,
            u"两模块的IP地址相同，IP地址为：192.168.1.199，MAC地址分别为：%1      "
            u"02:00:00:00:00:77"_s.arg(QString::fromLatin1(mac(1)))};
        const auto warned = [](const QJsonObject &document) {
            QStringList texts;
            for (const QJsonValue &warning : document[u"warnings"_s].toArray())
                texts.append(warning[u"message"_s].toString());
            texts.sort();
            return texts;
        };
        QStringList sortedClashes = clashes;
        sortedClashes.sort();

        // The addresses a warning names, in the order of the text.
        const auto named = [](const QStringList &warnings) {
            static const QRegularExpression address(
                u"[0-9a-f]{2}(:[0-9a-f]{2}){5}|[0-9]+(\\.[0-9]+){3}"_s);
            QStringList all;
            for (const QString &warning : warnings) {
                QStringList found;
                for (const auto &match : address.globalMatch(warning))
                    found.append(match.captured());
                found.sort();
                all.append(found.join(u' '));
            }
            all.sort();
            return all;
        };
        // Each entry of a list without its words, in an order of their own.
        const auto withoutWords = [](const QJsonValue &list) {
            QStringList entries;
            for (const QJsonValue &entry : list.toArray())
                entries.append(
                    QString::fromUtf8(QJsonDocument(languagecheck::withoutWords(entry).toObject())
                                          .toJson(QJsonDocument::Compact)));
            entries.sort();
            return entries;
        };

        QStringList searchEntries;
        QStringList readEntries;
        QStringList readWarnings;
        for (const QString &language : {u"source"_s, u"en"_s, u"zh_CN"_s}) {
            const QString lang = u" --lang "_s + language;
            Run run = ostrelCliHere(u"search --json"_s + lang, sim);
            QVERIFY2(run.code == 0, qPrintable(run.err));
            // Listed as the window lists them: the module that answered twice, twice.
            QCOMPARE(run.json[u"modules"_s].toArray().size(), 8);
            if (language == u"en"_s) {
                QVERIFY2(!languagecheck::hasChinese(run.err), qPrintable(run.err));
                QCOMPARE(named(warned(run.json)), named(clashes));
            } else {
                QCOMPARE(warned(run.json), sortedClashes);
            }
            const QStringList searched =
                withoutWords(run.json[u"warnings"_s]) + withoutWords(run.json[u"modules"_s]);
            if (searchEntries.isEmpty())
                searchEntries = searched;
            QCOMPARE(searched, searchEntries);

            run = ostrelCliHere(u"read all --json"_s + lang, sim,
                                {{mac(2), {2, "silent"}}, {mac(3), {3, "wrong"}}});
            QCOMPARE(run.code, 1);
            if (language == u"en"_s) {
                QVERIFY2(!languagecheck::hasChinese(run.err), qPrintable(run.err));
                QCOMPARE(named(warned(run.json)), named(clashes));
            } else {
                QCOMPARE(warned(run.json), sortedClashes);
            }
            struct Expected {
                int module;
                QString status;
                QString step;
                QString code;
                QString message; // in English
            };
            const QList<Expected> expected{
                {1, u"ok"_s, {}, {}, {}},
                {2, u"failed"_s, u"handshake"_s, u"no_answer"_s, u"no answer"_s},
                {3, u"failed"_s, u"handshake"_s, u"wrong_answers"_s, u"answered wrongly"_s},
                {4, u"ok"_s, {}, {}, {}},
                {5, u"failed"_s, u"search"_s, u"shared_mac"_s,
                 u"shares its MAC address with 192.168.1.204 on eth0"_s},
                {6, u"failed"_s, u"search"_s, u"shared_mac"_s,
                 u"shares its MAC address with 192.168.1.203 on eth0"_s},
                {7, u"ok"_s, {}, {}, {}}};
            const QJsonArray entries = run.json[u"modules"_s].toArray();
            QCOMPARE(entries.size(), expected.size());
            for (const Expected &e : expected) {
                const SimProcess::Module &module = lab.modules().at(e.module - 1);
                const auto entry = std::ranges::find_if(entries, [&](const QJsonValue &v) {
                    return v[u"module"_s].toString().toLatin1() == module.mac &&
                           v[u"ip"_s].toString().toLatin1() == module.ip;
                });
                QVERIFY2(entry != entries.end(), module.mac.constData());
                const QJsonObject got = entry->toObject();
                QCOMPARE(got[u"status"_s].toString(), e.status);
                if (e.status == u"ok"_s) {
                    QCOMPARE(differences(got, sim, e.module, readAllParameters()), QString());
                    continue;
                }
                QCOMPARE(got[u"error"_s][u"step"_s].toString(), e.step);
                QCOMPARE(got[u"error"_s][u"code"_s].toString(), e.code);
                const QString message = got[u"error"_s][u"message"_s].toString();
                if (language == u"zh_CN"_s)
                    QVERIFY2(languagecheck::hasChinese(message), qPrintable(message));
                else
                    QVERIFY2(message.startsWith(e.message), qPrintable(message));
            }
            QCOMPARE(run.json[u"errors"_s].toArray().size(), 4);
            if (readEntries.isEmpty()) {
                readEntries = withoutWords(run.json[u"modules"_s]);
                readWarnings = withoutWords(run.json[u"warnings"_s]);
            }
            QCOMPARE(withoutWords(run.json[u"modules"_s]), readEntries);
            QCOMPARE(withoutWords(run.json[u"warnings"_s]), readWarnings);
            // Found by the next search as by the first.
            QVERIFY(sim.fault(2, "none") && sim.fault(3, "none"));
        }
    }

    // A signal while modules are written: the setting under way ends, no
    // other is sent, and the report says what each module confirmed, which
    // is what the module holds. A second signal ends the program at once.
    void interruptedWrite() {
        LabFixture::Options options;
        options.modules = 2;
        LabFixture lab(options);
        LAB_SETUP_OR_SKIP(lab);
        SimProcess &sim = lab.sim();
        struct Case {
            int signal;
            int count;
            int code; // -1: ended by the signal
        };
        const Case cases[] = {{SIGINT, 1, 130}, {SIGTERM, 1, 143}, {SIGINT, 2, -1}};
        for (int n = 0; n < int(std::size(cases)); ++n) {
            const Case &c = cases[n];
            const QString name = cli::signalName(c.signal);
            const QHash<Parameter, ParameterValue> wanted{
                {Parameter::Gateway, u"192.168.1.%1"_s.arg(2 + n)},
                {Parameter::DestinationIP, u"192.168.1.%1"_s.arg(101 + n)},
                {Parameter::Port, u"%1"_s.arg(5001 + n)},
                {Parameter::DestinationPort, u"%1"_s.arg(6001 + n)},
                {Parameter::DeviceName, u"Row%1"_s.arg(n)}};
            QStringList settings;
            for (auto it = wanted.cbegin(); it != wanted.cend(); ++it)
                settings.append(parameters::keyOf(it.key()) + u'=' + std::get<QString>(it.value()));
            const auto holds = [&](int module) {
                QHash<Parameter, ParameterValue> held;
                QList<Parameter> changed;
                if (sim.parameters(module, &held)) {
                    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
                        if (held.value(it.key()) == it.value())
                            changed.append(it.key());
                    }
                }
                return changed;
            };

            QProcess process;
            process.start(QStringLiteral(OSTREL_CLI_EXE),
                          QStringList{u"set"_s, QString::fromLatin1(lab.modules().at(0).mac),
                                      QString::fromLatin1(lab.modules().at(1).mac), u"--json"_s} +
                              settings);
            QTRY_VERIFY_WITH_TIMEOUT(!holds(1).isEmpty() || !holds(2).isEmpty(), 20000);
            QCOMPARE(::kill(pid_t(process.processId()), c.signal), 0);
            if (c.count > 1) {
                // Signals that wait together are one: the second goes once the first is taken.
                QByteArray said;
                QTRY_VERIFY2_WITH_TIMEOUT(
                    (said += process.readAllStandardError()).contains("again"), said.constData(),
                    20000);
                QCOMPARE(::kill(pid_t(process.processId()), c.signal), 0);
            }
            QVERIFY(process.waitForFinished(20000));
            if (c.code < 0) {
                QCOMPARE(process.exitStatus(), QProcess::CrashExit);
                continue;
            }
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(process.exitCode(), c.code);
            const QByteArray out = process.readAllStandardOutput();
            const QJsonObject document = QJsonDocument::fromJson(out).object();
            QCOMPARE(document[u"exitCode"_s].toInt(), c.code);
            QCOMPARE(document[u"interrupted"_s].toString(), name);
            const QString err = QString::fromUtf8(process.readAllStandardError());
            QVERIFY2(err.contains(u"interrupted by "_s + name), qPrintable(err));
            const QJsonArray entries = document[u"modules"_s].toArray();
            QCOMPARE(entries.size(), 2);
            for (int module = 1; module <= 2; ++module) {
                const QJsonObject entry = entries[module - 1].toObject();
                QList<Parameter> written;
                for (const QJsonValue &key : entry[u"written"_s].toArray())
                    written.append(*parameters::ofKey(key.toString()));
                QList<Parameter> held = holds(module);
                std::ranges::sort(written);
                std::ranges::sort(held);
                QCOMPARE(written, held);
                QVERIFY2(written.size() < wanted.size(), out.constData());
                QCOMPARE(entry[u"status"_s].toString(), u"failed"_s);
                QCOMPARE(entry[u"error"_s][u"message"_s].toString(),
                         u"interrupted (%1)"_s.arg(name));
            }
        }
    }

    // A person at a terminal: asked before every module is changed, and
    // shown what a module holds with its control characters escaped.
    void atATerminal() {
        LabFixture::Options options;
        options.modules = 3;
        LabFixture lab(options);
        LAB_SETUP_OR_SKIP(lab);
        SimProcess &sim = lab.sim();
        const QString mac = QString::fromLatin1(lab.modules().at(0).mac);
        const QString name = u"\x1b[2J\x07x"_s;

        // The program refuses to send such a name; a module may hold one all the same.
        QVERIFY(sim.control("set 1 name " + name.toLatin1()));
        Run run = ostrelCli(u"read "_s + mac);
        QCOMPARE(run.code, 0);
        QVERIFY2(!run.out.contains(u'\x1b') && !run.out.contains(u'\x07'), qPrintable(run.out));
        QVERIFY2(run.out.contains(u"  \\u001b[2J\\u0007x  "_s), qPrintable(run.out));
        QCOMPARE(run.out.count(u'\n'), 2);

        const QByteArray no = "n\n";
        run = ostrelCliHere(u"default all"_s, sim, {}, &no);
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.startsWith(
                     u"Restore the factory settings of the 3 modules that answered? [y/N] "_s),
                 qPrintable(run.err));
        QHash<Parameter, ParameterValue> held;
        QVERIFY(sim.parameters(1, &held));
        QCOMPARE(held.value(Parameter::DeviceName), ParameterValue(name));

        const QByteArray yes = "y\n";
        run = ostrelCliHere(u"default all"_s, sim, {}, &yes);
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QVERIFY(sim.parameters(1, &held));
        QCOMPARE(held.value(Parameter::DeviceName), ParameterValue(u"Relay"_s));
    }

    // set, read, default, write and apply, each checked against what the
    // simulator holds afterwards; the documents written by read are what
    // write takes back.
    void configureModules() {
        LabFixture::Options options;
        options.modules = 2;
        LabFixture lab(options);
        LAB_SETUP_OR_SKIP(lab);
        SimProcess &sim = lab.sim();
        const QString mac1 = QString::fromLatin1(lab.modules().at(0).mac);
        const QString mac2 = QString::fromLatin1(lab.modules().at(1).mac);
        const QList<Parameter> everything = readAllParameters() << Parameter::Uart;
        QTemporaryDir dir;

        Run run = ostrelCli(
            u"set %1 name=继电器 port=5001 uart=115200,8,1,None dhcp=Open --json"_s.arg(mac1));
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QCOMPARE(run.json[u"modules"_s][0][u"written"_s].toArray(),
                 QJsonArray({u"port"_s, u"dhcp"_s, u"name"_s, u"uart"_s}));

        run =
            ostrelCli(u"read %1 --uart --json"_s.arg(QString::fromLatin1(lab.modules().at(0).ip)));
        QCOMPARE(run.code, 0);
        const QJsonObject read = run.json[u"modules"_s][0].toObject();
        QCOMPARE(read[u"module"_s].toString(), mac1);
        QCOMPARE(differences(read, sim, 1, everything), QString());
        QCOMPARE(read[u"parameters"_s][u"name"_s].toString(), u"继电器"_s);
        QCOMPARE(read[u"parameters"_s][u"uart"_s].toString(), u"115200,8,1,None"_s);
        const QByteArray saved = run.out.toUtf8();

        // The factory values come back, and are read after the default.
        run = ostrelCli(u"default all --yes --json"_s);
        QCOMPARE(run.code, 0);
        for (int module = 1; module <= 2; ++module) {
            const QJsonObject entry = run.json[u"modules"_s][module - 1].toObject();
            QCOMPARE(differences(entry, sim, module, readAllParameters()), QString());
            QCOMPARE(entry[u"parameters"_s][u"port"_s], QJsonValue(12345));
        }

        // From standard input, as a pipe gives it.
        run = ostrelCli(u"write %1 --from - --json"_s.arg(mac1), saved);
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QCOMPARE(differences(read, sim, 1, everything), QString());

        // A settings file holding one key changes that parameter and no other.
        QHash<Parameter, ParameterValue> before;
        QVERIFY(sim.parameters(2, &before));
        QFile cfg(dir.filePath(u"CFG.ini"_s));
        QVERIFY(cfg.open(QIODevice::WriteOnly));
        cfg.write("[CFG]\r\nPort=5005\r\n");
        cfg.close();
        run = ostrelCli(u"write %1 --from %2 --json"_s.arg(mac2, cfg.fileName()));
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QCOMPARE(run.json[u"modules"_s][0][u"written"_s].toArray(), QJsonArray({u"port"_s}));
        QHash<Parameter, ParameterValue> after;
        QVERIFY(sim.parameters(2, &after));
        before.insert(Parameter::Port, u"5005"_s);
        QCOMPARE(after, before);

        QFile plan(dir.filePath(u"plan.csv"_s));
        QVERIFY(plan.open(QIODevice::WriteOnly));
        plan.write(
            u"module,ip,name,port\n%1,192.168.1.50,,\n%2,,Pump,7000\n02:00:00:00:00:99,,,1\n"_s
                .arg(mac1, mac2)
                .toUtf8());
        plan.close();
        run = ostrelCli(u"apply %1 --json"_s.arg(plan.fileName()));
        QCOMPARE(run.code, 1);
        QCOMPARE(run.json[u"summary"_s].toObject(),
                 QJsonObject({{u"modules"_s, 3}, {u"done"_s, 2}, {u"failed"_s, 1}}));
        QCOMPARE(run.json[u"modules"_s][2][u"status"_s].toString(), u"not-found"_s);
        QHash<Parameter, ParameterValue> held;
        QVERIFY(sim.parameters(1, &held));
        QCOMPARE(held.value(Parameter::IP), ParameterValue(u"192.168.1.50"_s));
        QVERIFY(sim.parameters(2, &held));
        QCOMPARE(held.value(Parameter::DeviceName), ParameterValue(u"Pump"_s));
        QCOMPARE(held.value(Parameter::Port), ParameterValue(u"7000"_s));
    }
};

QTEST_GUILESS_MAIN(TstCliLab)
#include "tst_clilab.moc"
