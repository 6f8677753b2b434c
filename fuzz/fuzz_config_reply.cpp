// A module's configuration conversation fed arbitrary datagrams in every
// state it can wait in: idle, the handshake, each query of a read-all, a
// single query, a setting, each step of a write-all and the spacing wait
// after it, a factory default and the restart after it.
//
// Byte 0 of an input picks the state (its low seven bits) and the adapter
// the module answered on (bit 7: the LAN adapter, or none, when the routing
// table picks the way out). The rest is parted by 0xFF into pieces, each an
// arrival or an event, told apart by its first byte:
//
//   bits 0-1   0: the piece as a datagram; 1: the piece as the payload of a
//              reply signed with a MAC text (bits 4-5 pick which); 2: the
//              answer a sound module gives to the last frame, the piece
//              appended; 3: an event (bits 2-5), see event()
//   bits 2-3   arrivals: the adapter it came in by (the module's, none, another)
//   bit 6      arrivals: the sequencer fires afterwards, if it runs
//   bit 7      a notice that this piece raises lets the next piece in while
//              it is open, as a modal box would
//
// What the session shows, writes to the memo and sends is checked as it
// happens, against what the harness saw go out and come in.
#include "fuzzsupport.h"
#include "recordingtransport.h"

#include "atframe.h"
#include "clock.h"
#include "commandtable.h"
#include "configview.h"
#include "gbk.h"
#include "modulesession.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QSet>

#include <map>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const NetworkAdapter Lan{u"eth0"_s, 3, 0x0A01A8C0u, 0x00FFFFFFu, "00:0c:29:aa:bb:cc"};
constexpr int OtherAdapter = 4;
const QByteArray ModuleMac = "00:11:22:33:44:5a";
// What the MAC field holds: a write-all or a MAC setting gives the module this.
const QByteArray NewMac = "00:11:22:33:44:77";

// A report's value has at most 19 bytes (a MAC text has 17); the version is
// the only one not held to it.
constexpr qsizetype MaxValueBytes = 19;
// How deep notices may open inside notices.
constexpr int MaxNesting = 4;

constexpr Parameter AllParameters[] = {Parameter::Model,
                                       Parameter::Gateway,
                                       Parameter::Mask,
                                       Parameter::IP,
                                       Parameter::DestinationIP,
                                       Parameter::Port,
                                       Parameter::DestinationPort,
                                       Parameter::Uart,
                                       Parameter::MAC,
                                       Parameter::Dhcp,
                                       Parameter::DeviceName,
                                       Parameter::Version};
constexpr int ParameterCount = int(std::size(AllParameters));

const std::map<Parameter, ParameterValue> &windowValues() {
    using P = Parameter;
    static const std::map<Parameter, ParameterValue> values = {
        {P::Model, 0},
        {P::Gateway, u"192.168.1.1"_s},
        {P::Mask, u"255.255.255.0"_s},
        {P::IP, u"192.168.1.199"_s},
        {P::DestinationIP, u"192.168.1.100"_s},
        {P::Port, u"5000"_s},
        {P::DestinationPort, u"6000"_s},
        {P::Uart, UartSettings{u"9600"_s, u"8"_s, 1, 0}},
        {P::MAC, QString::fromLatin1(NewMac)},
        {P::Dhcp, 1},
        {P::DeviceName, u"继电器"_s},
        {P::Version, QString()}};
    return values;
}

// A sound module's report for each query.
QByteArray reportValue(Parameter parameter) {
    using P = Parameter;
    switch (parameter) {
    case P::Model:
        return "1";
    case P::Gateway:
        return "10.0.0.1";
    case P::Mask:
        return "255.255.255.0";
    case P::IP:
        return "10.0.0.50";
    case P::DestinationIP:
        return "10.0.0.2";
    case P::Port:
        return "5001";
    case P::DestinationPort:
        return "6001";
    case P::Uart:
        return "115200,8,1,0";
    case P::MAC:
        return ModuleMac;
    case P::Dhcp:
        return "0";
    case P::DeviceName:
        return gbk::encode(u"继电器2"_s);
    case P::Version:
        return "V2.05";
    }
    return {};
}

const Command *commandOf(QByteArrayView query) {
    if (query == commands::Handshake.query)
        return &commands::Handshake;
    if (query == commands::FactoryDefault.query)
        return &commands::FactoryDefault;
    for (const Parameter parameter : AllParameters) {
        if (query == commands::of(parameter).query)
            return &commands::of(parameter);
    }
    return nullptr;
}

// The parameter a setting frame's command writes, if it is one.
std::optional<Parameter> settingOf(QByteArrayView command) {
    for (const Parameter parameter : AllParameters) {
        const char *prefix = commands::of(parameter).setCommand;
        if (prefix && command.startsWith(prefix))
            return parameter;
    }
    return std::nullopt;
}

// The query a read-all sends after this one.
QByteArray successor(QByteArrayView query) {
    if (query == commands::FactoryDefault.query)
        return commands::Handshake.query;
    if (query == commands::Handshake.query)
        return commands::of(parameters::readAllOrder()[0]).query;
    const Command *command = commandOf(query);
    if (!command || !command->parameter)
        return {};
    const std::optional<Parameter> next =
        commands::next(parameters::readAllOrder(), *command->parameter);
    return next ? QByteArray(commands::of(*next).query) : QByteArray();
}

std::optional<QByteArray> digitOf(int item) {
    if (item < 0 || item > 9)
        return std::nullopt;
    return QByteArray(1, char('0' + item));
}

// What a setting of this value must carry; none when it cannot be sent.
std::optional<QByteArray> settingValue(ValueKind kind, const ParameterValue &value) {
    if (kind == ValueKind::Text)
        return std::holds_alternative<QString>(value) ? gbk::encode(std::get<QString>(value))
                                                      : QByteArray();
    if (kind == ValueKind::ItemDigit)
        return std::holds_alternative<int>(value) ? digitOf(std::get<int>(value)) : std::nullopt;
    if (kind != ValueKind::Uart)
        return QByteArray();
    const UartSettings *uart = std::get_if<UartSettings>(&value);
    if (!uart || uart->dataBits.isEmpty() || !digitOf(uart->stopBits) || !digitOf(uart->parity))
        return std::nullopt;
    return QByteArrayList{gbk::encode(uart->baudRate), gbk::encode(uart->dataBits.first(1)),
                          *digitOf(uart->stopBits), *digitOf(uart->parity)}
        .join(',');
}

// A value a user might type or pick, from the bytes of a piece.
ParameterValue typedValue(Parameter parameter, QByteArrayView bytes) {
    switch (commands::of(parameter).kind) {
    case ValueKind::ItemDigit:
        return bytes.isEmpty() ? -1 : int(qint8(bytes[0]));
    case ValueKind::Uart: {
        const QByteArrayList fields = bytes.toByteArray().split(',');
        const auto item = [&](int i) { return i < fields.size() ? int(fields[i].toInt()) : -1; };
        return UartSettings{gbk::decode(fields.value(0)), gbk::decode(fields.value(1)), item(2),
                            item(3)};
    }
    default:
        return gbk::decode(bytes);
    }
}

// The memo's own texts: what every command logs and how it ended.
const QSet<QString> &memoTexts() {
    static const QSet<QString> texts = [] {
        QSet<QString> set{u"模块内部数据已被更改，请稍后重新搜索!"_s};
        const auto add = [&set](const Command &c) {
            for (const char *text : {c.queryLog, c.setLog})
                if (text)
                    set.insert(QString::fromUtf8(text));
            for (const char *text : {c.readOk, c.readFail, c.setOk, c.setFail})
                if (text)
                    set.insert(QString(10, u' ') + QString::fromUtf8(text));
        };
        add(commands::Handshake);
        add(commands::FactoryDefault);
        for (const Parameter parameter : AllParameters)
            add(commands::of(parameter));
        return set;
    }();
    return texts;
}

const QSet<QString> &noticeTexts() {
    static const QSet<QString> texts = {u"应答超时"_s,
                                        u"UDP没建立"_s,
                                        u"连续3次应答错误"_s,
                                        u"请在下拉列表中选择有效的选项！"_s,
                                        u"设备名称不能超过15个字节"_s,
                                        u"参数过长，命令帧不能超过100个字节"_s};
    return texts;
}

// The stamps a memo line written in that second may start with (its
// "date time: ", or at midnight also the date alone).
const QStringList &stampsOf(qint64 second) {
    static QHash<qint64, QStringList> cache;
    if (cache.size() > 64)
        cache.clear();
    auto it = cache.find(second);
    if (it == cache.end()) {
        const QDateTime when = QDateTime::fromSecsSinceEpoch(second);
        it = cache.insert(second, {infoLine(when, {}), infoLine(when.addMSecs(1), {})});
    }
    return *it;
}

// A report's value: from pos up to the first carriage return.
QByteArrayView fieldAt(QByteArrayView payload, qsizetype pos) {
    const QByteArrayView rest = payload.sliced(qMin(pos, payload.size()));
    const qsizetype cr = rest.indexOf('\r');
    return cr < 0 ? rest : rest.first(cr);
}

// An item number as a module's digit gives it: past the end a zero byte.
int itemAt(QByteArrayView bytes, qsizetype pos) {
    return quint8((pos < bytes.size() ? quint8(bytes[pos]) : 0) - quint8('0'));
}

// The session's clock: its waits end when an input says so, each on its
// own. A session makes its waits in one order: the sequencer, the
// destination-IP watchdog, the write-all spacing.
class HarnessClock final : public Clock {
public:
    class HarnessWait final : public Wait {
    public:
        void start(qint64) override {
            m_active = true;
            if (onStart)
                onStart();
        }
        void stop() override { m_active = false; }
        bool isActive() const override { return m_active; }
        void end() {
            m_active = false;
            ended();
        }

        std::function<void()> ended;
        std::function<void()> onStart;

    private:
        bool m_active = false;
    };
    enum WaitOf { Sequencer, Watchdog, Spacing };

    qint64 nanoseconds() const override { return 0; }
    std::unique_ptr<Wait> wait(std::function<void()> ended) override {
        auto wait = std::make_unique<HarnessWait>();
        wait->ended = std::move(ended);
        made.append(wait.get());
        return wait;
    }
    HarnessWait *operator[](WaitOf which) const { return made.value(which); }

    // Of the session built last.
    QList<HarnessWait *> made;
};

class Harness final : public SessionView {
public:
    explicit Harness(bool lan)
        : m_adapter(lan ? Lan : NetworkAdapter()) {
        m_transport.onDatagram = [this](const Peer &to, QByteArrayView bytes) {
            frameSent(to, bytes);
        };
        m_events.reserve(MaxNesting + 2);
        m_values = windowValues();
        build();
    }

    void run(int state, const QList<QByteArrayView> &pieces) {
        m_pieces = pieces;
        m_started = QDateTime::currentSecsSinceEpoch();
        enter(state);
        while (m_next < m_pieces.size())
            piece(m_pieces[m_next++]);
        reset();
    }

    static constexpr int StateCount = 59;

    // SessionView
    void showParameter(Parameter parameter, const ParameterValue &value) override;
    void appendMemoLine(const QString &line) override;
    void notify(Notice notice, const QString &text) override;

private:
    enum class Source { Operation, Arrival, Sequencer, Watchdog, Delayed };
    struct Event {
        Source source;
        int frames = 0;
        int delays = 0;
        bool refused = false;
        // What an operation's frame must carry; none: it sends nothing.
        std::optional<QByteArray> expected;
    };

    // Runs one event; checks afterwards what it may have sent.
    template <typename F>
    void as(Source source, F &&what, std::optional<QByteArray> expected = std::nullopt) {
        m_events.push_back({source, 0, 0, false, std::move(expected)});
        what();
        const Event done = m_events.back();
        m_events.pop_back();
        if (done.source == Source::Operation)
            FUZZ_CHECK(done.frames == 1 ? done.expected.has_value()
                                        : !done.expected || done.refused);
    }

    void enter(int state);
    void piece(QByteArrayView piece);
    void event(int kind, QByteArrayView body);
    void arrive(int adapter, const QByteArray &datagram);
    void fire(HarnessClock::WaitOf which, Source source);
    void fireSequencer() { fire(HarnessClock::Sequencer, Source::Sequencer); }
    void runDelayed();
    void answer(QByteArrayView extra = {});
    QByteArray soundAnswer() const;
    void readAll() {
        as(Source::Operation, [this] {
            sequenceStarts();
            m_session->readAll();
        });
    }
    void query(Parameter parameter) {
        as(Source::Operation, [&] {
            sequenceStarts();
            m_session->query(parameter);
        });
    }
    // A setting, or with all a write-all (whose first step value is).
    void set(Parameter parameter, const ParameterValue &value, bool all = false);
    void writeAll() {
        set(parameters::writeAllOrder()[0], m_values.at(parameters::writeAllOrder()[0]), true);
    }
    void restoreFactoryDefaults() {
        as(
            Source::Operation, [this] { m_session->restoreFactoryDefaults(); },
            QByteArray(commands::FactoryDefault.query));
    }
    // Nothing awaits a reply any more.
    void stop() {
        as(Source::Operation, [this] { m_session->stop(); });
        m_addressed.reset();
        m_macSettingOpen = false;
        m_writeAllRuns = false;
    }
    // readAll() and query() start a new sequence: the sequencer's next
    // frame follows no answer.
    void sequenceStarts() {
        m_sequenceStarted = true;
        m_macSettingOpen = false;
    }
    void build();
    void reset();
    void frameSent(const Peer &to, QByteArrayView bytes);
    void macChanged(const QByteArray &mac);
    bool accepted(const Peer &from, const QByteArray &mac) const;

    fuzz::RecordingTransport m_transport;
    const NetworkAdapter m_adapter;
    std::unique_ptr<ModuleSession> m_session;
    HarnessClock m_clock;
    std::map<Parameter, ParameterValue> m_values;

    // What went out, as the harness saw it: the target and command of the
    // last frame since the session was built or stopped, whether the
    // sequencer sent it as a query or an operation as a setting (a setting
    // of "?" reads like a query), and whether it set a new MAC text that
    // may sign its answer.
    std::optional<QByteArray> m_addressed;
    QByteArray m_lastCommand;
    bool m_lastQueried = false;
    std::optional<Parameter> m_lastSetting;
    bool m_macSettingOpen = false;
    QByteArray m_macSent;
    // From a write-all until the answer to a setting is other than "OK",
    // or is the "OK" to its last step (the MAC address), or the session
    // stops: only meanwhile may an "OK" lead to the next step, even after
    // a setting of the user's own.
    bool m_writeAllRuns = false;
    // Since the last frame: a sequence (re)started, replies handed over,
    // one of them an "OK".
    bool m_sequenceStarted = false;
    int m_replies = 0;
    bool m_okCame = false;
    // The reply being handled, if any.
    std::optional<QByteArray> m_payload;
    QString m_version;

    std::vector<Event> m_events;
    QList<QByteArrayView> m_pieces;
    qsizetype m_next = 0;
    bool m_nest = false;
    qint64 m_started = 0;
};

void Harness::build() {
    m_session.reset();
    m_clock.made.clear();
    m_session =
        std::make_unique<ModuleSession>(m_transport, ModuleMac, m_adapter, nullptr, m_clock);
    FUZZ_CHECK(m_clock.made.size() == 3);
    QObject::connect(m_session.get(), &ModuleSession::result, m_session.get(),
                     [this](const SessionResult &result) { showResult(*this, result); });
    // A write-all step waits for its spacing only after its answer came.
    m_clock[HarnessClock::Spacing]->onStart = [this] {
        FUZZ_CHECK(!m_events.empty() && m_events.back().source == Source::Arrival);
        FUZZ_CHECK(++m_events.back().delays == 1);
    };
    QObject::connect(m_session.get(), &ModuleSession::moduleMacChanged, m_session.get(),
                     [this](const QByteArray &mac) { macChanged(mac); });
}

// Leaves the session as a fresh one would be: stopped, its watchdog too, and
// under its module's first MAC text (a session that took another is built
// again). Everything an input allocated is freed again by its end, or
// libFuzzer would run it twice, taking the difference for a leak.
void Harness::reset() {
    m_session->stop();
    m_clock[HarnessClock::Watchdog]->stop();
    m_clock[HarnessClock::Spacing]->stop();
    if (m_session->moduleMac() != ModuleMac)
        build();
    m_transport.opened = true;
    m_values = windowValues();
    m_addressed.reset();
    m_lastCommand.clear();
    m_lastQueried = false;
    m_lastSetting.reset();
    m_macSettingOpen = false;
    m_macSent.clear();
    m_sequenceStarted = false;
    m_replies = 0;
    m_okCame = false;
    m_writeAllRuns = false;
    m_version.clear();
    m_pieces.clear();
    m_next = 0;
}

void Harness::enter(int state) {
    const auto readAllUpTo = [this](int step) {
        readAll();
        fireSequencer();
        for (int i = 0; i < step; ++i) {
            answer();
            fireSequencer();
        }
    };
    const auto writeAllUpTo = [this](int step) {
        writeAll();
        for (int i = 0; i < step; ++i) {
            answer();
            runDelayed();
        }
    };
    if (state == 0)
        return; // fresh: nothing went out
    if (state == 1) {
        readAllUpTo(0);
        return stop();
    }
    state -= 2;
    if (state < 12)
        return readAllUpTo(state); // the handshake, then each query of a read-all
    state -= 12;
    if (state < ParameterCount) {
        query(AllParameters[state]);
        return fireSequencer();
    }
    state -= ParameterCount;
    if (state < ParameterCount - 1) { // every parameter but the version can be set
        const Parameter parameter = AllParameters[state];
        return set(parameter, m_values.at(parameter));
    }
    state -= ParameterCount - 1;
    if (state < 10)
        return writeAllUpTo(state); // awaiting step state's confirmation
    state -= 10;
    if (state < 9) {
        writeAllUpTo(state);
        return answer(); // its spacing wait runs
    }
    state -= 9;
    if (state == 0)
        return restoreFactoryDefaults();
    if (state == 1) {
        restoreFactoryDefaults();
        return answer(); // the module restarts; the handshake waits
    }
    // A query that nothing answers, one firing short of giving up.
    readAllUpTo(1);
    for (int i = 0; i < ModuleSession::SilentFiringsLimit - 1; ++i)
        fireSequencer();
}

void Harness::piece(QByteArrayView piece) {
    if (piece.isEmpty())
        return;
    const quint8 control = quint8(piece[0]);
    const QByteArrayView body = piece.sliced(1);
    m_nest = control & 0x80;
    const int kind = control & 3;
    if (kind == 3)
        return event((control >> 2) & 0xF, body);

    static constexpr int ByAdapter[] = {-1, 0, OtherAdapter, -1};
    const int adapterChoice = ByAdapter[(control >> 2) & 3];
    const int adapter = adapterChoice < 0 ? m_adapter.index : adapterChoice;
    if (kind == 0) {
        arrive(adapter, body.toByteArray());
    } else if (kind == 1) {
        const QByteArray &module = m_session->moduleMac();
        const QByteArray macs[] = {m_addressed.value_or(module), m_macSent, module.toUpper(),
                                   module.chopped(1)};
        arrive(adapter, atframe::buildReply(macs[(control >> 4) & 3], body));
    } else {
        if (!m_addressed)
            return;
        arrive(adapter, atframe::buildReply(*m_addressed, soundAnswer() + body.toByteArray()));
    }
    if (control & 0x40)
        fireSequencer();
}

void Harness::event(int kind, QByteArrayView body) {
    const Parameter parameter =
        AllParameters[body.isEmpty() ? 0 : quint8(body[0]) % ParameterCount];
    const QByteArrayView rest = body.isEmpty() ? body : body.sliced(1);
    switch (kind) {
    case 0:
        return fireSequencer();
    case 1:
        // Until it runs out or something leaves: a silent module's whole wait.
        for (int i = 0;
             i <= ModuleSession::SilentFiringsLimit && m_clock[HarnessClock::Sequencer]->isActive();
             ++i)
            fireSequencer();
        return;
    case 2:
        return fire(HarnessClock::Watchdog, Source::Watchdog);
    case 3:
        return runDelayed();
    case 4:
        return readAll();
    case 5:
        return query(parameter);
    case 6:
        return set(parameter, typedValue(parameter, rest));
    case 7:
        return set(parameter, m_values.at(parameter));
    case 8:
        return writeAll();
    case 9:
        return restoreFactoryDefaults();
    case 10:
        return stop();
    case 11:
        m_transport.opened = !m_transport.opened;
        return;
    default:
        return answer(body);
    }
}

void Harness::set(Parameter parameter, const ParameterValue &value, bool all) {
    const Command &command = commands::of(parameter);
    std::optional<QByteArray> expected;
    if (command.setCommand) {
        if (const std::optional<QByteArray> bytes = settingValue(command.kind, value))
            expected = command.setCommand + *bytes;
    }
    m_writeAllRuns = m_writeAllRuns || all;
    as(
        Source::Operation,
        [&] {
            if (all)
                m_session->writeAll([this](Parameter p) { return m_values.at(p); });
            else
                m_session->set(parameter, value);
        },
        expected);
}

void Harness::fire(HarnessClock::WaitOf which, Source source) {
    // A stopped wait does not end.
    HarnessClock::HarnessWait *wait = m_clock[which];
    if (wait->isActive())
        as(source, [wait] { wait->end(); });
}

void Harness::runDelayed() {
    fire(HarnessClock::Spacing, Source::Delayed);
}

QByteArray Harness::soundAnswer() const {
    const Command *command = commandOf(m_lastCommand);
    if (command && command->parameter)
        return atframe::report(command->keyword, reportValue(*command->parameter));
    return "OK\r\n";
}

void Harness::answer(QByteArrayView extra) {
    if (m_addressed)
        arrive(m_adapter.index,
               atframe::buildReply(*m_addressed, soundAnswer() + extra.toByteArray()));
}

bool Harness::accepted(const Peer &from, const QByteArray &mac) const {
    if (!m_addressed ||
        (m_adapter.index != 0 && from.adapter != 0 && from.adapter != m_adapter.index))
        return false;
    return mac == *m_addressed || (m_macSettingOpen && mac == m_macSent);
}

// As the configuration side hands a datagram to the module's conversation.
void Harness::arrive(int adapter, const QByteArray &datagram) {
    const Peer from{0x0B01A8C0u, atframe::ConfigPort, adapter};
    const atframe::Reply reply = atframe::parseReply(datagram);
    if (!reply.hasMac)
        return;
    const bool awaited = m_session->awaitsReplyFrom(from, reply.mac);
    FUZZ_CHECK(awaited == accepted(from, reply.mac));
    if (!awaited)
        return;
    // The answer to a setting still awaited: the first since it went out,
    // and no read since.
    const bool ok = reply.payload.contains("OK");
    if (m_lastSetting && !m_sequenceStarted && m_replies == 0 &&
        (!ok || m_lastSetting == Parameter::MAC))
        m_writeAllRuns = false;
    ++m_replies;
    m_okCame = m_okCame || ok;
    const std::optional<QByteArray> outer = std::exchange(m_payload, reply.payload);
    as(Source::Arrival, [&] { m_session->handleReply(reply.payload); });
    m_payload = outer;
}

void Harness::frameSent(const Peer &to, QByteArrayView bytes) {
    FUZZ_CHECK(!m_events.empty());
    Event &event = m_events.back();
    FUZZ_CHECK(++event.frames == 1);
    // From the very address the module answered, out of its adapter.
    FUZZ_CHECK(to ==
               (Peer{atframe::Broadcast, atframe::ConfigPort, m_adapter.index, m_adapter.address}));
    FUZZ_CHECK(bytes.size() <= ModuleSession::MaxSetFrameBytes);
    const atframe::Frame frame = atframe::parseFrame(bytes);
    FUZZ_CHECK(frame.valid);
    FUZZ_CHECK(atframe::build(frame.targetMac, frame.senderMac, frame.command) == bytes);
    FUZZ_CHECK(frame.targetMac == m_session->moduleMac());
    FUZZ_CHECK(frame.senderMac == m_adapter.mac);

    switch (event.source) {
    case Source::Arrival:
    case Source::Watchdog:
        FUZZ_CHECK(!"a reply or the watchdog sent a frame");
        break;
    case Source::Sequencer:
        // Queries only, and the next one only once the last was answered.
        FUZZ_CHECK(commandOf(frame.command));
        FUZZ_CHECK(m_sequenceStarted ||
                   (m_replies > 0 &&
                    (frame.command == m_lastCommand || frame.command == successor(m_lastCommand))));
        break;
    case Source::Delayed: {
        // The write-all step after the one just confirmed, with the value
        // the window holds now.
        FUZZ_CHECK(m_writeAllRuns && m_okCame);
        FUZZ_CHECK(m_lastSetting);
        const std::optional<Parameter> next =
            commands::next(parameters::writeAllOrder(), *m_lastSetting);
        FUZZ_CHECK(next);
        const Command &command = commands::of(*next);
        const std::optional<QByteArray> value = settingValue(command.kind, m_values.at(*next));
        FUZZ_CHECK(value && frame.command == command.setCommand + *value);
        break;
    }
    case Source::Operation:
        FUZZ_CHECK(event.expected && frame.command == *event.expected);
        break;
    }

    // A frame that cannot leave a closed network is answered by nobody: the
    // session awaits nothing until its next frame.
    if (m_transport.isOpen())
        m_addressed = frame.targetMac;
    else
        m_addressed.reset();
    m_lastCommand = frame.command;
    m_lastQueried = event.source == Source::Sequencer;
    m_lastSetting = m_lastQueried ? std::nullopt : settingOf(frame.command);
    m_macSettingOpen = m_lastSetting == Parameter::MAC && frame.command.size() > 7;
    if (m_macSettingOpen)
        m_macSent = frame.command.sliced(7);
    m_sequenceStarted = false;
    m_replies = 0;
    m_okCame = false;
}

void Harness::macChanged(const QByteArray &mac) {
    // Only an "OK" to the MAC setting renames the module, to what it sent.
    FUZZ_CHECK(m_payload && m_payload->contains("OK"));
    FUZZ_CHECK(m_lastSetting == Parameter::MAC);
    FUZZ_CHECK(mac == m_lastCommand.sliced(7) && m_session->moduleMac() == mac);
}

void Harness::showParameter(Parameter parameter, const ParameterValue &value) {
    // Shown only from a report to the query that asked for it, from its bytes.
    FUZZ_CHECK(m_payload);
    const Command &command = commands::of(parameter);
    FUZZ_CHECK(m_lastQueried && m_lastCommand == command.query);
    FUZZ_CHECK(m_payload->contains(command.keyword));
    const QByteArrayView payload = *m_payload;
    const qsizetype pos = qstrlen(command.keyword) + 1;
    const QByteArrayView field = fieldAt(payload, pos);
    switch (command.kind) {
    case ValueKind::Text: {
        const QString *text = std::get_if<QString>(&value);
        FUZZ_CHECK(text && field.size() <= MaxValueBytes && *text == gbk::decode(field));
        break;
    }
    case ValueKind::Version: {
        const QString *text = std::get_if<QString>(&value);
        FUZZ_CHECK(text && *text == gbk::decode(field));
        m_version = *text;
        break;
    }
    case ValueKind::ItemDigit: {
        // A list item only for its own digit; anything else names none.
        const int *item = std::get_if<int>(&value);
        FUZZ_CHECK(item && *item == itemAt(payload, pos));
        break;
    }
    case ValueKind::Uart: {
        const UartSettings *uart = std::get_if<UartSettings>(&value);
        FUZZ_CHECK(uart);
        const qsizetype comma = field.indexOf(',');
        FUZZ_CHECK(comma >= 0 && comma <= 6);
        FUZZ_CHECK(uart->baudRate == gbk::decode(field.first(comma)));
        FUZZ_CHECK(uart->dataBits == QString::number(itemAt(field, comma + 1)));
        FUZZ_CHECK(uart->stopBits == itemAt(field, comma + 3));
        FUZZ_CHECK(uart->parity == itemAt(field, comma + 5));
        break;
    }
    case ValueKind::None:
        FUZZ_CHECK(!"a value shown for a command that reads none");
    }
    m_values[parameter] = value;
}

void Harness::appendMemoLine(const QString &line) {
    if (line.isEmpty())
        return;
    QString text;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (qint64 second = m_started; second <= now && text.isNull(); ++second) {
        for (const QString &stamp : stampsOf(second)) {
            if (line.startsWith(stamp)) {
                text = line.sliced(stamp.size());
                break;
            }
        }
    }
    FUZZ_CHECK(!text.isNull());
    FUZZ_CHECK(memoTexts().contains(text) || (m_payload && text == u"版本号为： "_s + m_version));
}

void Harness::notify(Notice notice, const QString &text) {
    FUZZ_CHECK(!m_events.empty() && noticeTexts().contains(text));
    Event &event = m_events.back();
    // Refusals answer what the user (or a write-all's next step) asked; so
    // does the notice of a frame that could not leave a closed network.
    const bool asked = event.source == Source::Operation || event.source == Source::Delayed;
    const bool unsent = text == u"UDP没建立"_s && !m_transport.isOpen();
    FUZZ_CHECK(notice == Notice::InputError ? asked : (!asked || unsent));
    event.refused = event.refused || notice == Notice::InputError;
    if (std::exchange(m_nest, false) && m_next < m_pieces.size() && m_events.size() < MaxNesting)
        piece(m_pieces[m_next++]);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    // Every memo line's time stamp goes through a regular expression and
    // the local time zone. Compiling that expression to machine code each
    // time, and the C library looking for a changed zone file each time,
    // cost more than the rest of a conversation; neither is what is tested.
    qputenv("QT_ENABLE_REGEXP_JIT", "0");
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    // The session's timers need an event dispatcher; they never fire on
    // their own, since no event loop runs.
    static auto *application = new QCoreApplication(*argc, *argv);
    Q_UNUSED(application);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    // Built once: what an input costs is then the conversation itself.
    static Harness lan(true);
    static Harness routed(false);
    Harness &harness = (data[0] & 0x80) == 0 ? lan : routed;
    harness.run((data[0] & 0x7F) % Harness::StateCount, fuzz::pieces(data + 1, size - 1));
    return 0;
}
