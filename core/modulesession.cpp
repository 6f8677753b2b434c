#include "modulesession.h"

#include "atframe.h"
#include "gbk.h"
#include "logging.h"
#include "parameters.h"
#include "transport.h"

#include <QPointer>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// The module answers values up to this many bytes (the longest, a MAC text,
// has 17); a longer one is a malformed report.
constexpr qsizetype MaxValueBytes = 19;
constexpr qsizetype MaxBaudBytes = 6;
constexpr int MaxReplyErrors = 3;

constexpr int ReadAllFirstInterval = 30;
constexpr int AfterDefaultInterval = 2000;
constexpr int QueryInterval = 50;
constexpr int SequencerInterval = 150;
constexpr int ReplyRestartInterval = 30;
constexpr int WatchdogInterval = 4000;
constexpr int WriteAllSpacingMs = 300;

// A report's value: from pos up to the first carriage return or the end.
QByteArrayView valueAt(QByteArrayView payload, qsizetype pos) {
    if (pos >= payload.size())
        return {};
    QByteArrayView value = payload.sliced(pos);
    const qsizetype cr = value.indexOf('\r');
    return cr >= 0 ? value.first(cr) : value;
}

// The digit byte of an item report; past the end it reads as a zero byte,
// which, like any other non-digit, gives an item number beyond the list.
int digitAt(QByteArrayView payload, qsizetype pos) {
    const quint8 byte = pos < payload.size() ? quint8(payload[pos]) : 0;
    return quint8(byte - quint8('0'));
}

std::optional<QByteArray> digit(int item) {
    if (item < 0 || item > 9)
        return std::nullopt;
    return QByteArray(1, char('0' + item));
}

// The bytes a setting carries; none where a list shows no item a digit can
// name.
std::optional<QByteArray> settingBytes(ValueKind kind, const ParameterValue &value) {
    switch (kind) {
    case ValueKind::Text: {
        const QString *text = std::get_if<QString>(&value);
        return text ? gbk::encode(*text) : QByteArray();
    }
    case ValueKind::ItemDigit: {
        const int *item = std::get_if<int>(&value);
        return item ? digit(*item) : std::nullopt;
    }
    case ValueKind::Uart: {
        const UartSettings *uart = std::get_if<UartSettings>(&value);
        if (!uart || uart->dataBits.isEmpty())
            return std::nullopt;
        const std::optional<QByteArray> stop = digit(uart->stopBits);
        const std::optional<QByteArray> parity = digit(uart->parity);
        if (!stop || !parity)
            return std::nullopt;
        return gbk::encode(uart->baudRate) + ',' + gbk::encode(uart->dataBits.left(1)) + ',' +
               *stop + ',' + *parity;
    }
    case ValueKind::None:
    case ValueKind::Version:
        break;
    }
    return QByteArray();
}

// What a report carries: none when it is malformed; the handshake's and the
// factory default's carry no value.
struct ReportValue {
    bool wellFormed = false;
    std::optional<ParameterValue> value;
};

ReportValue reportValue(const Command &command, QByteArrayView payload) {
    switch (command.kind) {
    case ValueKind::None:
        return {true, std::nullopt};
    case ValueKind::ItemDigit:
        return {true, digitAt(payload, command.valuePos)};
    case ValueKind::Text: {
        const QByteArrayView value = valueAt(payload, command.valuePos);
        if (value.size() > MaxValueBytes)
            return {};
        return {true, gbk::decode(value)};
    }
    case ValueKind::Uart: {
        const QByteArrayView rest = valueAt(payload, command.valuePos);
        const qsizetype comma = rest.indexOf(',');
        if (comma < 0 || comma > MaxBaudBytes)
            return {};
        return {true, UartSettings{gbk::decode(rest.first(comma)),
                                   QString::number(digitAt(rest, comma + 1)),
                                   digitAt(rest, comma + 3), digitAt(rest, comma + 5)}};
    }
    case ValueKind::Version: // read under its own rule
        break;
    }
    return {};
}

} // namespace

SettingFrame settingFrame(const QByteArray &moduleMac, const QByteArray &localMac,
                          const Command &command, const ParameterValue &value) {
    using C = SessionResult::Code;
    if (!command.setCommand) // the version is read only
        return {{}, C::InvalidValue};
    if (command.parameter && ModuleSession::nameTooLong(*command.parameter, value))
        return {{}, C::NameTooLong};
    const std::optional<QByteArray> bytes = settingBytes(command.kind, value);
    if (!bytes)
        return {{}, C::InvalidValue};
    QByteArray frame = atframe::build(moduleMac, localMac, command.setCommand + *bytes);
    if (frame.size() > ModuleSession::MaxSetFrameBytes)
        return {{}, C::FrameTooLong};
    return {frame, std::nullopt};
}

ModuleSession::ModuleSession(Transport &transport, QByteArray moduleMac, NetworkAdapter adapter,
                             QObject *parent, Clock &clock)
    : QObject(parent)
    , m_transport(transport)
    , m_moduleMac(std::move(moduleMac))
    , m_adapter(std::move(adapter))
    , m_sequencer(clock, [this] { sequencerFired(); })
    , m_watchdog(clock,
                 [this] {
                     report(SessionResult::Code::ModuleChanged,
                            &commands::of(Parameter::DestinationIP), true);
                 })
    , m_spacing(clock, [this] {
        if (auto then = std::exchange(m_afterSpacing, {}))
            then();
    }) {
    m_sequencer.setInterval(1000);
    m_watchdog.setInterval(WatchdogInterval);
    m_spacing.setSingleShot(true);
}

void ModuleSession::report(SessionResult::Code code, const Command *step, bool setting,
                           std::optional<ParameterValue> value, const QString &detail) {
    Q_EMIT result(SessionResult{code, step, setting, std::move(value), detail});
}

bool ModuleSession::sendFrame(const QByteArray &frame) {
    m_addressedMac = m_moduleMac;
    m_setAnswered = false;
    const quint64 sent = ++m_framesSent;
    m_frameQueued = true;
    m_sequencerHeld = false;
    // From the very address the module answered: an adapter may hold
    // several, and the module may reach only one of them.
    const bool sentOrQueued = m_transport.sendDatagramThen(
        Peer{atframe::Broadcast, atframe::ConfigPort, m_adapter.index, m_adapter.address}, frame,
        [self = QPointer<ModuleSession>(this), sent](bool left, const QString &why) {
            if (!self || self->m_framesSent != sent)
                return;
            self->m_frameQueued = false;
            if (!left) {
                self->frameFailed(why);
                return;
            }
            if (std::exchange(self->m_sequencerHeld, false))
                self->m_sequencer.start();
            Q_EMIT self->frameLeft();
        });
    if (!sentOrQueued && m_frameQueued && m_framesSent == sent)
        frameFailed({}); // dropped without a word
    return sentOrQueued;
}

// No answer can come to a frame that never left (an adapter gone, or its
// address), whether it failed at once or after waiting in a queue: the step
// ends now, and says why, rather than seconds later as a time-out.
void ModuleSession::frameFailed(const QString &why) {
    m_frameQueued = false;
    m_sequencerHeld = false;
    m_sequencer.stop();
    m_awaitingReply = false;
    m_writeAll = false;
    m_addressedMac.reset();
    const bool setting = m_phase == Phase::AwaitingConfirmation;
    m_phase = Phase::Idle;
    report(SessionResult::Code::SendFailed, m_step, setting, std::nullopt, why);
}

// After a frame the sequencer times its answer: from when the frame left.
void ModuleSession::restartSequencer() {
    if (m_frameQueued)
        m_sequencerHeld = true;
    else
        m_sequencer.start();
}

// Every module hears every frame, and any of them may answer late: only the
// module the last frame was addressed to answers it. A module of the same
// MAC text behind another adapter is another module. Where the system does
// not say which adapter a reply came in by (0), the MAC text alone decides.
bool ModuleSession::awaitsReplyFrom(const Peer &from, const QByteArray &mac) const {
    if (!m_addressedMac ||
        (m_adapter.index != 0 && from.adapter != 0 && from.adapter != m_adapter.index))
        return false;
    // Another device may sign its answers with any MAC text; it cannot
    // answer from the module's address. A module may confirm a new address
    // from that one.
    const bool ipSetting = m_phase == Phase::AwaitingConfirmation &&
                           m_step == &commands::of(Parameter::IP) && m_ipSent != 0;
    if (!m_moduleAddresses.isEmpty() && !m_moduleAddresses.contains(from.ip) &&
        !(ipSetting && from.ip == m_ipSent))
        return false;
    // A module may sign its "OK" to a new MAC address with the new one.
    const bool macSetting = m_phase == Phase::AwaitingConfirmation &&
                            m_step == &commands::of(Parameter::MAC) && !m_macSent.isEmpty();
    return mac == *m_addressedMac || (macSetting && mac == m_macSent);
}

void ModuleSession::stop() {
    m_sequencer.stop();
    m_sequencerHeld = false;
    m_phase = Phase::Idle;
    m_step = nullptr;
    m_singleQuery = false;
    m_writeAll = false;
    m_awaitingReply = false;
    m_replyErrors = 0;
    m_silentFirings = -1;
    // Another module listed under the same MAC text may be picked next: its
    // answers are its own conversation's.
    m_addressedMac.reset();
}

// ---------------------------------------------------------------------------
// Read sequencer

void ModuleSession::readAll() {
    // A confirmed factory default calls this while its answer is still the
    // awaited one: the module restarts, so the handshake waits two seconds.
    const bool restarting = m_phase == Phase::AwaitingReport && m_step == &commands::FactoryDefault;
    m_sequencer.setInterval(restarting ? AfterDefaultInterval : ReadAllFirstInterval);
    m_phase = Phase::Sending;
    m_step = &commands::Handshake;
    // A fresh read-all reads every parameter: a single query that was never
    // answered, or errors counted by an interrupted run, must not cut it short.
    m_singleQuery = false;
    m_replyErrors = 0;
    m_silentFirings = -1;
    m_sequencer.start();
}

void ModuleSession::query(Parameter parameter) {
    m_sequencer.setInterval(QueryInterval);
    m_sequencer.start();
    m_phase = Phase::Sending;
    m_step = &commands::of(parameter);
    m_singleQuery = true;
}

void ModuleSession::sequencerFired() {
    m_sequencer.stop();
    m_sequencer.setInterval(SequencerInterval);
    if (std::exchange(m_awaitingReply, false)) {
        report(SessionResult::Code::NoAnswer, m_step);
        return;
    }
    if (!m_transport.isOpen()) {
        report(SessionResult::Code::NotOpen, m_step);
        return;
    }
    if (m_phase == Phase::Sending) {
        if (!sendFrame(atframe::build(m_moduleMac, m_adapter.mac, m_step->query)))
            return;
        m_phase = Phase::AwaitingReport;
        report(SessionResult::Code::Sent, m_step);
        m_awaitingReply = m_step->answerDueAtOnce;
        m_silentFirings = 0;
        restartSequencer();
        return;
    }
    if (m_phase == Phase::AwaitingReport && m_silentFirings >= 0 &&
        ++m_silentFirings >= SilentFiringsLimit) {
        // The module went silent in the middle of a query: end the sequence
        // the way a silent handshake ends it instead of waiting forever.
        m_silentFirings = -1;
        m_singleQuery = false;
        report(SessionResult::Code::NoAnswer, m_step);
        return;
    }
    m_sequencer.start();
}

// ---------------------------------------------------------------------------
// Replies

void ModuleSession::handleReply(QByteArrayView payload) {
    m_awaitingReply = false;
    // The next query leaves soon after a reply rather than at the
    // sequencer's idle pace.
    if (m_sequencer.isActive()) {
        m_sequencer.stop();
        m_sequencer.setInterval(ReplyRestartInterval);
        m_sequencer.start();
    }
    switch (m_phase) {
    case Phase::AwaitingReport:
        interpretReport(*m_step, payload);
        break;
    case Phase::AwaitingConfirmation:
        // A setting is answered once; a second answer must not pass for the
        // answer to the write-all step that follows.
        if (!std::exchange(m_setAnswered, true))
            interpretConfirmation(*m_step, payload);
        else
            qCDebug(lcConfig) << "second answer to a setting ignored:" << payload;
        break;
    case Phase::Idle:
    case Phase::Sending:
        qCDebug(lcConfig) << "reply while none was awaited ignored:" << payload;
        break;
    }
}

void ModuleSession::interpretReport(const Command &command, QByteArrayView payload) {
    // Whatever came, the module is not silent.
    m_silentFirings = -1;

    if (command.kind == ValueKind::Version) {
        // One answer ends the read-all, right or wrong; the version is not
        // held to the bound of the other values.
        m_sequencer.stop();
        if (!payload.contains(command.keyword)) {
            report(SessionResult::Code::Refused, &command);
            return;
        }
        m_singleQuery = false;
        report(SessionResult::Code::Answered, &command, false,
               gbk::decode(valueAt(payload, command.valuePos)));
        return;
    }

    const ReportValue read =
        payload.contains(command.keyword) ? reportValue(command, payload) : ReportValue();
    if (read.wellFormed) {
        m_replyErrors = 0;
        if (&command == &commands::FactoryDefault) {
            readAll();
        } else if (&command == &commands::Handshake) {
            // Even a single query's handshake goes on with the read-all.
            m_phase = Phase::Sending;
            m_step = &commands::of(parameters::readAllOrder()[0]);
        } else if (!std::exchange(m_singleQuery, false)) {
            if (const std::optional<Parameter> next =
                    commands::next(parameters::readAllOrder(), *command.parameter)) {
                m_phase = Phase::Sending;
                m_step = &commands::of(*next);
            }
        }
        report(SessionResult::Code::Answered, &command, false, read.value);
        return;
    }

    if (m_replyErrors < MaxReplyErrors) {
        ++m_replyErrors;
        m_phase = Phase::Sending;
        // The factory default is not sent by the sequencer; without this its
        // repeat would never leave and a refusal would go unseen.
        if (&command == &commands::FactoryDefault && !m_sequencer.isActive()) {
            m_sequencer.setInterval(ReplyRestartInterval);
            m_sequencer.start();
        }
        return;
    }
    m_replyErrors = 0;
    m_sequencer.stop();
    report(SessionResult::Code::WrongAnswers, &command);
}

void ModuleSession::interpretConfirmation(const Command &command, QByteArrayView payload) {
    if (command.parameter == Parameter::DestinationIP)
        m_watchdog.stop();
    m_sequencer.stop();
    if (!payload.contains("OK")) {
        m_writeAll = false;
        report(SessionResult::Code::Refused, &command, true);
        return;
    }
    report(SessionResult::Code::Answered, &command, true);
    if (command.parameter == Parameter::IP && m_ipSent != 0 && !m_moduleAddresses.isEmpty())
        m_moduleAddresses.append(m_ipSent);
    if (command.parameter == Parameter::MAC) {
        // The module goes by the text that was sent, not by whatever the
        // field holds when the answer comes back.
        m_writeAll = false;
        m_moduleMac = m_macSent;
        Q_EMIT moduleMacChanged(m_macSent);
        return;
    }
    if (!m_writeAll)
        return;
    if (const std::optional<Parameter> next =
            commands::next(parameters::writeAllOrder(), *command.parameter)) {
        m_afterSpacing = [this, next = *next, sent = m_framesSent, step = &command] {
            // A search or a command of the user's own in the meantime has
            // taken over.
            if (m_writeAll && m_framesSent == sent && m_phase == Phase::AwaitingConfirmation &&
                m_step == step)
                set(next, m_writeAllValues(next));
        };
        m_spacing.start(WriteAllSpacingMs);
    }
}

// ---------------------------------------------------------------------------
// Settings

bool ModuleSession::nameTooLong(Parameter parameter, const ParameterValue &value) {
    const QString *name = std::get_if<QString>(&value);
    return parameter == Parameter::DeviceName && name &&
           gbk::byteLength(*name) > MaxDeviceNameBytes;
}

void ModuleSession::set(Parameter parameter, const ParameterValue &value) {
    const Command &command = commands::of(parameter);
    if (!command.setCommand)
        return; // the version is read only
    if (sendSetting(command, value, Phase::AwaitingConfirmation) &&
        parameter == Parameter::DestinationIP)
        m_watchdog.start();
}

void ModuleSession::restoreFactoryDefaults() {
    sendSetting(commands::FactoryDefault, QString(), Phase::AwaitingReport);
}

void ModuleSession::writeAll(ValueSource values) {
    m_writeAll = true;
    m_writeAllValues = std::move(values);
    const Parameter first = parameters::writeAllOrder()[0];
    set(first, m_writeAllValues(first));
}

bool ModuleSession::sendSetting(const Command &command, const ParameterValue &value,
                                Phase awaiting) {
    const SettingFrame frame = settingFrame(m_moduleMac, m_adapter.mac, command, value);
    if (frame.refusal) {
        report(*frame.refusal, &command, true);
        return false;
    }
    if (command.parameter == Parameter::MAC)
        m_macSent = settingBytes(command.kind, value).value_or(QByteArray());
    if (command.parameter == Parameter::IP)
        m_ipSent = parameters::addressValue(
                       QString::fromLatin1(settingBytes(command.kind, value).value_or(QByteArray()))
                           .trimmed())
                       .value_or(0);
    m_phase = awaiting;
    m_step = &command;
    report(SessionResult::Code::Sent, &command, true);
    return sendFrame(frame.bytes);
}
