#pragma once

#include "configview.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>
#include <optional>

class TcmSocket;
class TMYCLASS;
struct TMainState;

// One parameter of the module as the configuration protocol knows it.
enum class ConfigParam {
    Handshake,
    Version,
    Model,
    Gateway,
    Mask,
    IP,
    DIP,
    Port,
    DPort,
    UART,
    MAC,
    DCHP,
    Name,
    Default,
};

// The configuration half of the tool: module search, module list and
// selection, the reply interpreter, the read sequencer driven by TimerRead,
// the query and set buttons, factory default and write-all.
//
// Public operations carry the names of the window handlers they implement;
// the window's handlers only forward to them. The window connects TimerRead
// to TimerReadTimer and TimerOut to TimerOutTimer.
class ConfigProtocol : public QObject {
    Q_OBJECT

public:
    // A read step whose reply never comes is given up after this many idle
    // firings of the sequencer (about three seconds at 150 ms).
    static constexpr int SilentFiringsLimit = 20;
    // Longest set frame sent; longer values are refused before anything goes out.
    static constexpr int MaxSetFrameBytes = 100;
    static constexpr int MaxDeviceNameBytes = 15;
    // A search reply whose MAC text is longer is not listed (a MAC text has 17).
    static constexpr int MaxMacTextBytes = 64;

    ConfigProtocol(TMYCLASS &store, TMainState &state, TcmSocket &MySocket, QTimer &TimerRead,
                   QTimer &TimerOut, ConfigView &view, QObject *parent = nullptr);

    // Injection points for tests: the wall clock of the memo's time stamps,
    // the blocking pause of the GUI thread (100 ms after closing the socket),
    // and the wait between write-all steps, which runs then after ms while
    // the event loop goes on, so that replies arriving meanwhile are seen
    // (and not taken for the next step's) before the next step leaves.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    void setPause(std::function<void(int ms)> pause) { m_pause = std::move(pause); }
    using Delay = std::function<void(int ms, std::function<void()> then)>;
    void setDelay(Delay delay) { m_delay = std::move(delay); }

    // "date time: text", date and time as the system's short date and long
    // time formats render them; at exactly midnight the date alone.
    static QString infoLine(const QDateTime &when, const QString &text);
    void AddInfoLine(const QString &text);

    // Module search and list.
    void But_UDPFindClick();
    // Configuration branch of the socket's receive event. The datagram is
    // copied before anything that may open a modal loop.
    void MySocketReceive(quint32 PeerIP, quint16 PeerPort, QByteArrayView datagram);
    void ListBoxIPClick(int row);

    // Read-all sequence and time-outs.
    void But_ReadClick();
    void TimerReadTimer();
    void TimerOutTimer();

    // payload: the reply from byte 20 of the datagram, up to its first zero.
    void InterpretReply(QByteArrayView payload);

    // Query buttons.
    void But_ModelCheckClick() { query(ConfigParam::Model); }
    void But_GATEWAYCheckClick() { query(ConfigParam::Gateway); }
    void But_MASKCheckClick() { query(ConfigParam::Mask); }
    void But_IPCheckClick() { query(ConfigParam::IP); }
    void But_DIPCheckClick() { query(ConfigParam::DIP); }
    void But_PortCheckClick() { query(ConfigParam::Port); }
    void But_DPortCheckClick() { query(ConfigParam::DPort); }
    void But_UARTCheckClick() { query(ConfigParam::UART); }
    void But_MACCheckClick() { query(ConfigParam::MAC); }
    void But_ReadVerClick() { query(ConfigParam::Version); }
    void But_DCHPCheckClick() { query(ConfigParam::DCHP); }
    void But_NameCheckClick() { query(ConfigParam::Name); }

    // Set buttons.
    void But_ModelClick() { setting(ConfigParam::Model); }
    void But_GATEWAYClick() { setting(ConfigParam::Gateway); }
    void But_MASKClick() { setting(ConfigParam::Mask); }
    void But_IPClick() { setting(ConfigParam::IP); }
    void But_DIPClick() { setting(ConfigParam::DIP); }
    void But_PortClick() { setting(ConfigParam::Port); }
    void But_DPortClick() { setting(ConfigParam::DPort); }
    void But_SetMACClick() { setting(ConfigParam::MAC); }
    void But_SetUARTClick() { setting(ConfigParam::UART); }
    void But_SetDCHPClick() { setting(ConfigParam::DCHP); }
    void But_SetNameClick() { setting(ConfigParam::Name); }
    void But_DefaultClick() { setting(ConfigParam::Default); }
    void But_OneKeyClick();

    // Wrong replies to read steps since the last accepted one.
    int ReplyErrorCount() const { return m_ReplyErrorCount; }

    // One row of the command table (defined with the table).
    struct Command;

private:
    static const Command *byReadStep(quint16 code);
    static const Command *byReplyCode(quint16 code);
    static const Command *bySetCode(quint16 code);
    static const Command &of(ConfigParam param);

    void query(ConfigParam param);
    void setting(ConfigParam param);
    bool selectionMissing();
    void notice(ConfigView::MessageKind kind, const QString &text);
    void sendFrame(const QByteArray &frame);
    void sendCommand(const QByteArray &targetMac, const QByteArray &frame);
    bool fromAddressedModule(const QByteArray &mac) const;
    void warnDuplicate(const QString &warning);
    void reportIgnoredReplies();
    void interpretRead(const Command &cmd, QByteArrayView payload);
    void interpretSet(const Command &cmd, QByteArrayView payload);
    bool showReadValue(const Command &cmd, QByteArrayView payload);

    TMYCLASS &m_store;
    TMainState &m_state;
    TcmSocket &m_socket;
    QTimer &m_timerRead;
    QTimer &m_timerOut;
    ConfigView &m_view;
    std::function<QDateTime()> m_clock;
    std::function<void(int)> m_pause;
    Delay m_delay;

    int m_ReplyErrorCount = 0;
    // Idle firings since the last query went out; -1 once anything answered.
    int m_silentFirings = -1;
    // Where a confirmed MAC setting is entered: the module and the text that
    // were actually sent, not whatever the field holds when "OK" comes back.
    int m_macTargetIndex = -1;
    QByteArray m_macSent;

    // The MAC text the last command was addressed to: replies are read only
    // from there. None between a search and the first command after it.
    std::optional<QByteArray> m_addressedMac;
    // The answer to the last setting sent has been read: a second one (a
    // module that answers twice) answers nothing.
    bool m_setAnswered = false;
    quint64 m_framesSent = 0;

    // Search replies not listed for an overlong MAC text; the memo gets their
    // number once they stop coming.
    int m_ignoredReplies = 0;
    QTimer m_ignoredReport;

    // Duplicate warnings: the text of the box open now, the clashes reported
    // while a box was open (cleared when the reply that opened it is done),
    // and how deep the receive handler is inside module listing.
    QString m_openWarning;
    QSet<QString> m_clashesReported;
    int m_listingDepth = 0;
};
