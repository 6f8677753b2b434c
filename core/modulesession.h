#pragma once

#include "clock.h"
#include "commandtable.h"
#include "networkadapter.h"
#include "sessionresult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QObject>

#include <functional>
#include <optional>

class Transport;
struct Peer;

// The frame of a setting of command to value, addressed to moduleMac and
// signed with localMac; or why it cannot be sent (a name over its byte
// limit, a list showing no item, a frame over its size).
struct SettingFrame {
    QByteArray bytes;
    std::optional<SessionResult::Code> refusal;
};
SettingFrame settingFrame(const QByteArray &moduleMac, const QByteArray &localMac,
                          const Command &command, const ParameterValue &value);

// The configuration conversation with one module: a read-all or a single
// query paced by its own sequencer, the settings, write-all and the factory
// default. Its frames leave through the adapter the module answered on,
// addressed to the module's MAC text and signed with that adapter's; it is
// handed the replies signed by its module that came in there. It shares
// nothing with other sessions but the transport, so several may talk to
// their modules at once, through one adapter or several. It shows nothing:
// each step and its end come out as results, for a view or a caller to use.
class ModuleSession : public QObject {
    Q_OBJECT

public:
    // A query whose report never comes is given up after this many idle
    // firings of the sequencer (about three seconds at 150 ms).
    static constexpr int SilentFiringsLimit = 20;
    // Longest setting frame sent; longer values are refused before anything goes out.
    static constexpr int MaxSetFrameBytes = 100;
    static constexpr int MaxDeviceNameBytes = parameters::MaxDeviceNameBytes;

    // The value each write-all step takes, asked for when the step leaves.
    using ValueSource = std::function<ParameterValue(Parameter)>;

    // An adapter with index 0 leaves the way out to the routing table.
    ModuleSession(Transport &transport, QByteArray moduleMac, NetworkAdapter adapter,
                  QObject *parent = nullptr, Clock &clock = Clock::system());

    // The MAC text frames are addressed to; a confirmed MAC setting changes it.
    const QByteArray &moduleMac() const { return m_moduleMac; }
    const NetworkAdapter &adapter() const { return m_adapter; }
    // The address the module answered the search from: only replies from it
    // (or, once an IP setting is confirmed, from the new one) are the
    // module's. 0: any address (a module not found by a search).
    void setModuleAddress(quint32 ip) {
        m_moduleAddresses = ip != 0 ? QList<quint32>{ip} : QList<quint32>{};
    }

    void readAll();
    void query(Parameter parameter);
    // Refused, and nothing sent, when the value cannot travel.
    void set(Parameter parameter, const ParameterValue &value);
    void restoreFactoryDefaults();
    // Writes the write-all order, each setting once the one before is
    // confirmed, with the value values gives when it leaves.
    void writeAll(ValueSource values);
    // Ends what runs: nothing more is sent and no reply is taken until the
    // next operation. The destination-IP watchdog keeps reminding that the
    // module changed.
    void stop();

    // Whether a reply signed with mac that came from answers this session's
    // last frame.
    bool awaitsReplyFrom(const Peer &from, const QByteArray &mac) const;
    // payload: the reply from byte 20 of the datagram, up to its first zero.
    void handleReply(QByteArrayView payload);

    // The device name's limit, which is checked before anything else.
    static bool nameTooLong(Parameter parameter, const ParameterValue &value);

Q_SIGNALS:
    // Each step and its end, in the order they happen.
    void result(const SessionResult &result);
    // A MAC setting was confirmed: the module now goes by mac.
    void moduleMacChanged(const QByteArray &mac);
    // The last frame has left, out of whatever queue it waited in: the time
    // its answer may take counts from now.
    void frameLeft();

private:
    enum class Phase {
        Idle,
        Sending,              // m_step's query leaves at the sequencer's next firing
        AwaitingReport,       // m_step's query (or factory default) went out
        AwaitingConfirmation, // m_step's setting went out
    };

    void sequencerFired();
    void report(SessionResult::Code code, const Command *step, bool setting = false,
                std::optional<ParameterValue> value = std::nullopt, const QString &detail = {});
    // False when the frame could not leave; the step has then ended with the
    // system's reason.
    bool sendFrame(const QByteArray &frame);
    void frameFailed(const QString &why);
    void restartSequencer();
    bool sendSetting(const Command &command, const ParameterValue &value, Phase awaiting);
    void interpretReport(const Command &command, QByteArrayView payload);
    void interpretConfirmation(const Command &command, QByteArrayView payload);

    Transport &m_transport;
    ValueSource m_writeAllValues;
    QByteArray m_moduleMac;
    const NetworkAdapter m_adapter;
    // The read sequencer and the destination-IP watchdog.
    Timer m_sequencer;
    Timer m_watchdog;
    // The wait between write-all steps, while the event loop goes on, so that
    // replies arriving meanwhile are seen (and not taken for the next step's)
    // before the next step leaves; then the next step.
    Timer m_spacing;
    std::function<void()> m_afterSpacing;

    Phase m_phase = Phase::Idle;
    const Command *m_step = nullptr;
    bool m_singleQuery = false;
    bool m_writeAll = false;
    // The handshake or factory default went out and nothing has answered yet.
    bool m_awaitingReply = false;
    // Wrong reports since the last accepted one.
    int m_replyErrors = 0;
    // Idle firings since the last query went out; -1 once anything answered.
    int m_silentFirings = -1;
    // The answer to the last setting sent has been read: a second one (a
    // module that answers twice) answers nothing.
    bool m_setAnswered = false;
    quint64 m_framesSent = 0;
    // The last frame waits in a queue on the way out; the sequencer, which
    // times its answer, starts once it has left.
    bool m_frameQueued = false;
    bool m_sequencerHeld = false;
    // The MAC text the last frame was addressed to: replies are read only
    // from there. None before the first frame.
    std::optional<QByteArray> m_addressedMac;
    // The MAC text a MAC setting carried: the module's new name once confirmed.
    QByteArray m_macSent;
    QList<quint32> m_moduleAddresses;
    quint32 m_ipSent = 0;
};
