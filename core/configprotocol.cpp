#include "configprotocol.h"

#include <QRegularExpression>

#include "atframe.h"
#include "cmsocket.h"
#include "gbk.h"
#include "mainstate.h"
#include "mylib.h"

#include <QLocale>
#include <QThread>
#include <QTimer>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// How a parameter's value travels: in a setting it is taken from the
// control, in a report it is shown there.
enum class ValueKind {
    None,       // handshake, factory default
    Text,       // the text as typed / the report's text up to its carriage return
    IndexDigit, // "0" + item index / item index := byte - "0"
    Uart,       // baud, data bits, stop digit, parity digit
    Version,    // read only; the version label
};

// The module answers values up to this many bytes (the longest, a MAC text,
// has 17); a longer one is a malformed report.
constexpr qsizetype MaxValueBytes = 19;
constexpr qsizetype MaxBaudBytes = 6;

constexpr int ReadAllFirstInterval = 30;
constexpr int AfterDefaultInterval = 2000;
constexpr int QueryClickInterval = 50;
constexpr int SequencerInterval = 150;
constexpr int ReplyRestartInterval = 30;
constexpr int TimerOutInterval = 4000;
constexpr int WriteAllSpacingMs = 300;
constexpr int SocketCloseWaitMs = 100;
// Overlong search replies are counted until none has come for this long.
constexpr int IgnoredReportQuietMs = 1000;
constexpr int MaxReplyErrors = 3;

constexpr quint16 SearchRunning = 0;
constexpr quint16 HandshakeStep = 42;
constexpr quint16 FactoryDefaultCode = 9;
constexpr quint16 DestinationIPSetCode = 25;
constexpr quint16 MACSetCode = 41;

QString text16(const char16_t *text) {
    return QStringView(text).toString();
}

// Report lines are indented by ten spaces in the memo.
QString resultLine(const char16_t *text) {
    return QString(10, u' ') + text16(text);
}

// A report's value: from pos up to the first carriage return or the end.
QByteArrayView valueAt(QByteArrayView payload, qsizetype pos) {
    if (pos >= payload.size())
        return {};
    QByteArrayView value = payload.sliced(pos);
    const qsizetype cr = value.indexOf('\r');
    return cr >= 0 ? value.first(cr) : value;
}

// The digit byte of an index report; past the end it reads as a zero byte,
// which, like any other non-digit, gives an index beyond the items.
int indexAt(QByteArrayView payload, qsizetype pos) {
    const quint8 byte = pos < payload.size() ? quint8(payload[pos]) : 0;
    return quint8(byte - quint8('0'));
}

} // namespace

// One row per parameter: everything the sequencer, the interpreter and the
// buttons need to know about it. Code 0 means "none".
struct ConfigProtocol::Command {
    ConfigParam param;
    ValueKind kind;
    ConfigControl control;
    // Query side.
    quint16 readStep;
    quint16 replyCode;
    const char *query;
    const char16_t *queryLog;
    bool timesOutAtOnce; // must be answered before the sequencer's next firing
    const char *keyword;
    qsizetype valuePos;
    quint16 nextStep;
    quint16 repeatStep;
    const char16_t *readOk;
    const char16_t *readFail;
    // Set side.
    quint16 setCode;
    const char *setCommand; // the value follows
    const char16_t *setLog;
    const char16_t *setOk;
    const char16_t *setFail;
    const Command *writeAllNext() const;
};

namespace {

using C = ConfigControl;
using P = ConfigParam;
using K = ValueKind;

// Write-all visits the settings in this order; each "OK" clicks the next.
constexpr P WriteAllOrder[] = {P::Model, P::Gateway, P::Mask, P::IP,   P::DIP,
                               P::Port,  P::DPort,   P::DCHP, P::Name, P::MAC};

// clang-format off
const ConfigProtocol::Command *commandTable()
{
    using Cmd = ConfigProtocol::Command;
    static const Cmd table[] = {
        {P::Handshake, K::None, C::LaVersion,
         42, 43, "AT", u"发送AT命令", true, "OK", 0, 4, 42,
         u"AT命令响应成功", u"AT命令响应失败",
         0, nullptr, nullptr, nullptr, nullptr},
        {P::Version, K::Version, C::LaVersion,
         44, 45, "AT+VER=?", u"读取版本号", false, "+VER", 5, 0, 0,
         u"读取版本号成功", u"读取版本号失败",
         0, nullptr, nullptr, nullptr, nullptr},
        {P::Model, K::IndexDigit, C::Cmb_Model,
         4, 5, "AT+MODEL=?", u"查询工作模式", false, "+MODEL", 7, 10, 4,
         u"查询工作模式成功", u"查询工作模式失败",
         7, "AT+MODEL=", u"设置模块工作模式", u"设置工作模式成功", u"设置工作模式失败"},
        {P::Gateway, K::Text, C::Edt_GATEWAY,
         10, 11, "AT+GATEWAY=?", u"查询网关IP地址", false, "+GATEWAY", 9, 14, 10,
         u"查询网关IP地址成功", u"查询网关IP地址失败",
         13, "AT+GATEWAY=", u"设置网关IP地址", u"设置网关IP成功", u"设置网关IP失败"},
        {P::Mask, K::Text, C::Edt_MASK,
         14, 15, "AT+MASK=?", u"查询子网掩码", false, "+MASK", 6, 18, 14,
         u"查询子网掩码成功", u"查询子网掩码失败",
         17, "AT+MASK=", u"设置子网掩码", u"设置子网掩码成功", u"设置子网掩码失败"},
        {P::IP, K::Text, C::Edt_IP,
         18, 19, "AT+IP=?", u"查询模块IP地址", false, "+IP", 4, 22, 18,
         u"查询模块IP地址成功", u"查询模块IP地址失败",
         21, "AT+IP=", u"设置模块IP地址", u"设置模块IP成功", u"设置模块IP失败"},
        {P::DIP, K::Text, C::Edt_DIP,
         22, 23, "AT+DIP=?", u"查询模块目的IP地址", false, "+DIP", 5, 26, 22,
         u"查询模块目的IP地址成功", u"查询模块目的IP地址失败",
         25, "AT+DIP=", u"设置目的IP", u"设置模块目的IP成功", u"设置模块目的IP失败"},
        {P::Port, K::Text, C::Edt_Port,
         26, 27, "AT+PORT=?", u"查询模块端口", false, "+PORT", 6, 30, 26,
         u"查询模块端口成功", u"查询模块端口失败",
         29, "AT+PORT=", u"设置模块端口号", u"设置模块端口成功", u"设置模块端口失败"},
        {P::DPort, K::Text, C::Edt_DPort,
         30, 31, "AT+DPORT=?", u"查询模块目的端口", false, "+DPORT", 7, 46, 30,
         u"查询模块目的端口成功", u"查询模块目的端口失败",
         33, "AT+DPORT=", u"设置目的端口号", u"设置模块目的端口成功", u"设置模块目的端口失败"},
        {P::UART, K::Uart, C::Cmb_Baud,
         34, 35, "AT+UART=?", u"查询串口参数", false, "+UART", 6, 38, 34,
         u"查询模块串口参数成功", u"查询模块串口参数失败",
         37, "AT+UART=", u"设置模块串口参数", u"设置模块串口参数成功", u"设置模块串口参数失败"},
        {P::MAC, K::Text, C::Edt_MAC,
         38, 39, "AT+MAC=?", u"查询MAC地址", false, "+MAC", 5, 44, 38,
         u"查询模块MAC地址成功", u"查询模块MAC地址失败",
         41, "AT+MAC=", u"设置模块MAC地址", u"设置模块MAC地址成功", u"设置模块MAC地址失败"},
        {P::DCHP, K::IndexDigit, C::DCHP_Model,
         46, 47, "AT+DCHP=?", u"查询DCHP模式", false, "+DCHP", 6, 50, 46,
         u"查询模块DCHP模式成功", u"查询模块DCHP模式失败",
         49, "AT+DCHP=", u"设置DCHP模式", u"设置DCHP模式成功", u"设置DCHP模式失败"},
        {P::Name, K::Text, C::Edt_Name,
         50, 51, "AT+NAME=?", u"查询设备名称", false, "+NAME", 6, 38, 50,
         u"查询模块设备名称成功", u"查询模块设备名称失败",
         53, "AT+NAME=", u"设置模块设备名称", u"设置模块设备名称成功", u"设置模块设备名称失败"},
        // The factory default is a setting whose confirmation is read like a
        // report (code 9 on both sides), and whose repeat the sequencer sends.
        {P::Default, K::None, C::LaVersion,
         8, 9, "AT+DEFAULT", u"发送恢复出厂设置命令", true, "OK", 0, 0, 8,
         u"恢复出厂设置命令响应成功", u"恢复出厂设置命令响应失败",
         9, "AT+DEFAULT", u"设置模块出厂默认参数", nullptr, nullptr},
    };
    return table;
}
// clang-format on

constexpr int CommandCount = int(P::Default) + 1;

// A parameter report ("+IP=..." and the like) answers a query; the search
// asks "AT", whose answer is "OK".
bool isReport(QByteArrayView payload) {
    for (int i = 0; i < CommandCount; ++i) {
        const char *keyword = commandTable()[i].keyword;
        if (keyword[0] == '+' && payload.startsWith(keyword))
            return true;
    }
    return false;
}

} // namespace

const ConfigProtocol::Command &ConfigProtocol::of(ConfigParam param) {
    return commandTable()[int(param)];
}

const ConfigProtocol::Command *ConfigProtocol::byReadStep(quint16 code) {
    for (int i = 0; i < CommandCount; ++i) {
        if (commandTable()[i].readStep == code && code != 0)
            return &commandTable()[i];
    }
    return nullptr;
}

const ConfigProtocol::Command *ConfigProtocol::byReplyCode(quint16 code) {
    for (int i = 0; i < CommandCount; ++i) {
        if (commandTable()[i].replyCode == code && code != 0)
            return &commandTable()[i];
    }
    return nullptr;
}

// Code 9 is found by byReplyCode first: the factory default's confirmation
// is read under the read-reply rules.
const ConfigProtocol::Command *ConfigProtocol::bySetCode(quint16 code) {
    for (int i = 0; i < CommandCount; ++i) {
        if (commandTable()[i].setCode == code && code != 0)
            return &commandTable()[i];
    }
    return nullptr;
}

const ConfigProtocol::Command *ConfigProtocol::Command::writeAllNext() const {
    // The UART setting is not part of write-all, but an "OK" to it during
    // write-all goes on with the MAC address, as after the device name.
    const P after = param == P::UART ? P::Name : param;
    for (size_t i = 0; i + 1 < std::size(WriteAllOrder); ++i) {
        if (WriteAllOrder[i] == after)
            return &of(WriteAllOrder[i + 1]);
    }
    return nullptr;
}

ConfigProtocol::ConfigProtocol(TMYCLASS &store, TMainState &state, TcmSocket &MySocket,
                               QTimer &TimerRead, QTimer &TimerOut, ConfigView &view,
                               QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_state(state)
    , m_socket(MySocket)
    , m_timerRead(TimerRead)
    , m_timerOut(TimerOut)
    , m_view(view)
    , m_clock([] { return QDateTime::currentDateTime(); })
    , m_pause([](int ms) { QThread::msleep(ulong(ms)); })
    , m_delay([this](int ms, std::function<void()> then) {
        QTimer::singleShot(ms, this, std::move(then));
    }) {
    static_assert(std::size(WriteAllOrder) == 10);
    m_ignoredReport.setSingleShot(true);
    m_ignoredReport.setInterval(IgnoredReportQuietMs);
    connect(&m_ignoredReport, &QTimer::timeout, this, &ConfigProtocol::reportIgnoredReplies);
    // Each query leaves 30 ms after the previous reply; a coarse timer may
    // stretch that by a few per cent on every step of a read-all.
    m_timerRead.setTimerType(Qt::PreciseTimer);
    Q_ASSERT(commandTable()[CommandCount - 1].param == P::Default);
}

QString ConfigProtocol::infoLine(const QDateTime &when, const QString &text) {
    const QLocale locale = QLocale::system();
    QString stamp = locale.toString(when.date(), QLocale::ShortFormat);
    if (when.time() != QTime(0, 0)) {
        // The memo shows local time; Unix locales put the zone name into the
        // long time format, which only adds noise to every line.
        QString format = locale.timeFormat(QLocale::LongFormat);
        format.remove(QRegularExpression(u"\\s*\\bt+\\b"_s));
        stamp += u' ' + locale.toString(when.time(), format.trimmed());
    }
    return stamp + u": "_s + text;
}

void ConfigProtocol::AddInfoLine(const QString &text) {
    m_view.appendMemoLine(infoLine(m_clock(), text));
}

void ConfigProtocol::notice(ConfigView::MessageKind kind, const QString &text) {
    m_view.showMessage(kind, u"提示"_s, text);
}

bool ConfigProtocol::selectionMissing() {
    if (m_store.SelectedIndex >= 0)
        return false;
    notice(ConfigView::MessageKind::ErrorOk, u"请选择IP！"_s);
    return true;
}

void ConfigProtocol::sendFrame(const QByteArray &frame) {
    ++m_framesSent;
    m_socket.SendTo(TMYCLASS::TextToIP("255.255.255.255"), atframe::ConfigPort, frame.constData(),
                    int(frame.size()));
}

void ConfigProtocol::sendCommand(const QByteArray &targetMac, const QByteArray &frame) {
    m_addressedMac = targetMac;
    m_setAnswered = false;
    sendFrame(frame);
}

// Every module hears every frame, and any of them may answer late: only the
// module a command was addressed to answers it.
bool ConfigProtocol::fromAddressedModule(const QByteArray &mac) const {
    if (!m_addressedMac)
        return false;
    // A module may sign its "OK" to a new MAC address with the new one.
    return mac == *m_addressedMac ||
           (m_store.PendingCommand == MACSetCode && !m_macSent.isEmpty() && mac == m_macSent);
}

// ---------------------------------------------------------------------------
// Module search and list

void ConfigProtocol::But_UDPFindClick() {
    // A search ends any read-all, query or setting under way: nothing more is
    // sent for it, and its late answers are not taken for modules found.
    m_timerRead.stop();
    m_timerOut.stop();
    m_store.WriteAllMode = 0;
    m_store.SingleQuery = 0;
    m_store.AwaitingReply = 0;
    m_ReplyErrorCount = 0;
    m_silentFirings = -1;
    m_addressedMac.reset();
    reportIgnoredReplies(); // they belong to the search before

    if (m_socket.Active()) {
        m_socket.SetActive(false);
        m_pause(SocketCloseWaitMs);
    }
    m_socket.Protocol = cmUDP;
    m_store.LocalIP = TcmSocket::get_ip_data(QString(), cmUnicast);
    m_socket.LocalHost = m_store.LocalIPToText();
    m_socket.LocalPort = atframe::ConfigPort;
    m_socket.RemoteHost = u"0"_s;
    m_socket.RemotePort = 0;
    m_socket.SetActive(true);
    m_store.LocalIPText = TMYCLASS::IPToText(m_store.LocalIP);
    m_store.LocalMAC = TMYCLASS::GetMACByARP(m_store.LocalIPText);
    m_state.holder = SocketHolder::Configuration;
    m_view.enableConfigControls(true);
    m_view.clearModuleList();
    m_store.ClearModules();
    m_state.lastPeer.ip = 0;
    m_state.lastPeer.port = 0;
    if (m_socket.Active()) {
        m_store.PendingCommand = SearchRunning;
        sendFrame(atframe::searchFrame(m_store.LocalMAC));
    }
    m_view.appendMemoLine(u"现在切换到设置模式"_s);
}

void ConfigProtocol::MySocketReceive(quint32 PeerIP, quint16 PeerPort, QByteArrayView datagram) {
    // parseReply copies what it returns: the duplicate warnings below run a
    // modal loop in which the socket reuses its receive buffer.
    const atframe::Reply reply = atframe::parseReply(datagram);
    if (!reply.hasMac)
        return;
    if (PeerIP == m_store.LocalIP)
        return; // our own broadcast heard back
    const bool searching = m_store.PendingCommand == SearchRunning;
    if (searching && reply.mac.size() > MaxMacTextBytes) {
        // Not a module; a flood of them must not fill the list or the screen.
        ++m_ignoredReplies;
        m_ignoredReport.start();
        return;
    }
    if (searching ? isReport(reply.payload) : !fromAddressedModule(reply.mac))
        return;
    m_store.AwaitingReply = 0;
    if (searching) {
        m_state.lastPeer.ip = PeerIP;
        m_state.lastPeer.port = PeerPort;
        ++m_listingDepth;
        const QString entry =
            m_store.AddModule(PeerIP, PeerPort, reply.mac,
                              [this](const QString &warning) { warnDuplicate(warning); });
        if (--m_listingDepth == 0)
            m_clashesReported.clear();
        if (!entry.isEmpty())
            m_view.appendModuleLine(entry);
    }
    InterpretReply(reply.payload);
}

// One warning box at a time: replies that arrive while it is open are still
// checked, and the clashes they bring are listed in the memo, each once.
// Once the box is closed, a clash already reported that way (or shown in the
// box) is not raised again for the same flood.
void ConfigProtocol::warnDuplicate(const QString &warning) {
    if (m_clashesReported.contains(warning))
        return;
    if (!m_openWarning.isEmpty()) {
        m_clashesReported.insert(m_openWarning);
        m_clashesReported.insert(warning);
        if (warning != m_openWarning)
            AddInfoLine(warning);
        return;
    }
    m_openWarning = warning;
    notice(ConfigView::MessageKind::OkCancel, warning);
    m_openWarning.clear();
}

void ConfigProtocol::reportIgnoredReplies() {
    m_ignoredReport.stop();
    if (m_ignoredReplies > 0) {
        AddInfoLine(u"已忽略%1个搜索应答：MAC地址超过%2个字节"_s.arg(m_ignoredReplies)
                        .arg(MaxMacTextBytes));
    }
    m_ignoredReplies = 0;
}

void ConfigProtocol::ListBoxIPClick(int row) {
    if (row < 0 || row >= m_store.ModuleCount)
        return;
    m_store.SelectedIndex = row;
    But_ReadClick();
    m_store.SelectedMAC = m_store.GetSelectedMAC();
}

// ---------------------------------------------------------------------------
// Read sequencer

void ConfigProtocol::But_ReadClick() {
    if (selectionMissing())
        return;
    m_timerRead.setInterval(m_store.PendingCommand == FactoryDefaultCode ? AfterDefaultInterval
                                                                         : ReadAllFirstInterval);
    m_store.PendingCommand = HandshakeStep;
    // A fresh read-all reads every parameter: a single query that was never
    // answered, or errors counted by an interrupted run, must not cut it short.
    m_store.SingleQuery = 0;
    m_ReplyErrorCount = 0;
    m_silentFirings = -1;
    m_timerRead.start();
}

void ConfigProtocol::TimerReadTimer() {
    m_timerRead.stop();
    m_timerRead.setInterval(SequencerInterval);
    if (m_store.AwaitingReply == 1) {
        m_store.AwaitingReply = 0;
        notice(ConfigView::MessageKind::OkCancel, u"应答超时"_s);
        return;
    }
    if (!m_socket.Active()) {
        notice(ConfigView::MessageKind::OkCancel, u"UDP没建立"_s);
        return;
    }
    if (const Command *cmd = byReadStep(m_store.PendingCommand)) {
        const QByteArray target = m_store.GetSelectedMAC();
        sendCommand(target, atframe::build(target, m_store.LocalMAC, cmd->query));
        m_store.PendingCommand = cmd->replyCode;
        AddInfoLine(text16(cmd->queryLog));
        if (cmd->timesOutAtOnce)
            m_store.AwaitingReply = 1;
        m_silentFirings = 0;
    } else if (m_silentFirings >= 0 && byReplyCode(m_store.PendingCommand) &&
               ++m_silentFirings >= SilentFiringsLimit) {
        // The module went silent in the middle of a query: end the sequence
        // the way a silent handshake ends it instead of waiting forever.
        m_silentFirings = -1;
        m_store.SingleQuery = 0;
        notice(ConfigView::MessageKind::OkCancel, u"应答超时"_s);
        return;
    }
    m_timerRead.start();
}

void ConfigProtocol::TimerOutTimer() {
    AddInfoLine(u"模块内部数据已被更改，请稍后重新搜索!"_s);
}

// ---------------------------------------------------------------------------
// Interpreter

void ConfigProtocol::InterpretReply(QByteArrayView payload) {
    // The next read step leaves soon after a reply rather than at the
    // sequencer's idle pace.
    if (m_timerRead.isActive()) {
        m_timerRead.stop();
        m_timerRead.setInterval(ReplyRestartInterval);
        m_timerRead.start();
    }
    if (const Command *cmd = byReplyCode(m_store.PendingCommand)) {
        interpretRead(*cmd, payload);
    } else if (const Command *set = bySetCode(m_store.PendingCommand)) {
        // A setting is answered once; a second answer must not pass for the
        // answer to the write-all step that follows.
        if (!std::exchange(m_setAnswered, true))
            interpretSet(*set, payload);
    }
}

bool ConfigProtocol::showReadValue(const Command &cmd, QByteArrayView payload) {
    switch (cmd.kind) {
    case ValueKind::None:
        return true;
    case ValueKind::IndexDigit:
        m_view.setItemIndex(cmd.control, indexAt(payload, cmd.valuePos));
        return true;
    case ValueKind::Text: {
        const QByteArrayView value = valueAt(payload, cmd.valuePos);
        if (value.size() > MaxValueBytes)
            return false;
        m_view.setControlText(cmd.control, gbk::decode(value));
        return true;
    }
    case ValueKind::Version: // read under its own rule
        return false;
    case ValueKind::Uart: {
        const QByteArrayView rest = valueAt(payload, cmd.valuePos);
        const qsizetype comma = rest.indexOf(',');
        if (comma < 0 || comma > MaxBaudBytes)
            return false;
        const int dataBits = indexAt(rest, comma + 1);
        m_view.setControlText(ConfigControl::Cmb_Baud, gbk::decode(rest.first(comma)));
        m_view.setControlText(ConfigControl::Cmb_DataBit, QString::number(dataBits));
        m_view.setItemIndex(ConfigControl::Cmb_StopBit, indexAt(rest, comma + 3));
        m_view.setItemIndex(ConfigControl::Cmb_Parity, indexAt(rest, comma + 5));
        return true;
    }
    }
    return false;
}

void ConfigProtocol::interpretRead(const Command &cmd, QByteArrayView payload) {
    // Whatever came, the module is not silent.
    m_silentFirings = -1;

    if (cmd.param == P::Version) {
        if (payload.contains(cmd.keyword)) {
            const QString version = gbk::decode(valueAt(payload, cmd.valuePos));
            m_view.setControlText(cmd.control, version);
            AddInfoLine(resultLine(cmd.readOk));
            AddInfoLine(u"版本号为： "_s + version);
            m_view.appendMemoLine(QString());
            m_store.SingleQuery = 0;
            m_timerRead.stop();
        } else {
            m_timerRead.stop();
            AddInfoLine(resultLine(cmd.readFail));
            m_view.appendMemoLine(QString());
        }
        return;
    }

    if (payload.contains(cmd.keyword) && showReadValue(cmd, payload)) {
        m_ReplyErrorCount = 0;
        if (cmd.param == P::Default) {
            // PendingCommand is still 9 here, which tells the new read-all to
            // give the module two seconds to restart.
            But_ReadClick();
        } else if (cmd.param == P::Handshake) {
            m_store.PendingCommand = cmd.nextStep;
        } else if (m_store.SingleQuery == 1) {
            m_store.SingleQuery = 0;
        } else {
            m_store.PendingCommand = cmd.nextStep;
        }
        AddInfoLine(resultLine(cmd.readOk));
        m_view.appendMemoLine(QString());
        return;
    }

    if (m_ReplyErrorCount < MaxReplyErrors) {
        ++m_ReplyErrorCount;
        m_store.PendingCommand = cmd.repeatStep;
        // The factory-default button does not run the sequencer; without
        // this its repeat would never leave and a refusal would go unseen.
        if (cmd.param == P::Default && !m_timerRead.isActive()) {
            m_timerRead.setInterval(ReplyRestartInterval);
            m_timerRead.start();
        }
        return;
    }
    m_ReplyErrorCount = 0;
    m_timerRead.stop();
    AddInfoLine(resultLine(cmd.readFail));
    m_view.appendMemoLine(QString());
    notice(ConfigView::MessageKind::OkCancel, u"连续3次应答错误"_s);
}

void ConfigProtocol::interpretSet(const Command &cmd, QByteArrayView payload) {
    if (cmd.setCode == DestinationIPSetCode)
        m_timerOut.stop();
    if (!payload.contains("OK")) {
        m_store.WriteAllMode = 0;
        m_timerRead.stop();
        AddInfoLine(resultLine(cmd.setFail));
        m_view.appendMemoLine(QString());
        return;
    }
    AddInfoLine(resultLine(cmd.setOk));
    m_view.appendMemoLine(QString());
    m_timerRead.stop();
    if (cmd.setCode == MACSetCode) {
        m_store.WriteAllMode = 0;
        // The setting was addressed to the module selected when it was sent;
        // that module's entry (and its list line) takes the new address.
        const int index = m_macTargetIndex;
        if (index >= 0 && index < m_store.ModuleCount) {
            m_store.ModuleMAC[index] = m_macSent;
            if (index == m_store.SelectedIndex)
                m_store.SelectedMAC = m_macSent;
            m_view.replaceModuleLine(index,
                                     TMYCLASS::ModuleLine(m_store.ModuleIP[index], m_macSent));
        }
        return;
    }
    if (m_store.WriteAllMode == 1) {
        if (const Command *next = cmd.writeAllNext()) {
            const quint64 sent = m_framesSent;
            m_delay(WriteAllSpacingMs, [this, next, sent, code = cmd.setCode] {
                // A search or a command of the user's own in the meantime
                // has taken over.
                if (m_store.WriteAllMode == 1 && m_framesSent == sent &&
                    m_store.PendingCommand == code)
                    setting(next->param);
            });
        }
    }
}

// ---------------------------------------------------------------------------
// Buttons

void ConfigProtocol::query(ConfigParam param) {
    if (selectionMissing())
        return;
    m_timerRead.setInterval(QueryClickInterval);
    m_timerRead.start();
    m_store.PendingCommand = of(param).readStep;
    m_store.SingleQuery = 1;
}

void ConfigProtocol::setting(ConfigParam param) {
    const Command &cmd = of(param);
    const auto refuse = [this](const QString &text) {
        notice(ConfigView::MessageKind::ErrorOk, text);
    };
    if (param == P::Name &&
        gbk::byteLength(m_view.controlText(ConfigControl::Edt_Name)) > MaxDeviceNameBytes) {
        refuse(u"设备名称不能超过15个字节"_s);
        return;
    }
    if (selectionMissing())
        return;

    // A drop-down list whose text matches no item has no digit to send.
    const QString noItem = u"请在下拉列表中选择有效的选项！"_s;
    const auto digit = [](int index) { return QByteArray(1, char('0' + index)); };
    const auto validIndex = [](int index) { return index >= 0 && index <= 9; };
    QByteArray value;
    switch (cmd.kind) {
    case ValueKind::Text:
        value = gbk::encode(m_view.controlText(cmd.control));
        break;
    case ValueKind::IndexDigit: {
        const int index = m_view.itemIndex(cmd.control);
        if (!validIndex(index)) {
            refuse(noItem);
            return;
        }
        value = digit(index);
        break;
    }
    case ValueKind::Uart: {
        const QString dataBits = m_view.controlText(ConfigControl::Cmb_DataBit);
        const int stop = m_view.itemIndex(ConfigControl::Cmb_StopBit);
        const int parity = m_view.itemIndex(ConfigControl::Cmb_Parity);
        if (dataBits.isEmpty() || !validIndex(stop) || !validIndex(parity)) {
            refuse(noItem);
            return;
        }
        value = gbk::encode(m_view.controlText(ConfigControl::Cmb_Baud)) + ',' +
                gbk::encode(dataBits.left(1)) + ',' + digit(stop) + ',' + digit(parity);
        break;
    }
    case ValueKind::None:
    case ValueKind::Version:
        break;
    }

    m_store.SelectedMAC = m_store.GetSelectedMAC();
    const QByteArray frame =
        atframe::build(m_store.SelectedMAC, m_store.LocalMAC, cmd.setCommand + value);
    if (frame.size() > MaxSetFrameBytes) {
        refuse(u"参数过长，命令帧不能超过100个字节"_s);
        return;
    }
    if (param == P::MAC) {
        m_macTargetIndex = m_store.SelectedIndex;
        m_macSent = value;
    }
    m_store.PendingCommand = cmd.setCode;
    AddInfoLine(text16(cmd.setLog));
    sendCommand(m_store.SelectedMAC, frame);
    if (param == P::DIP) {
        m_timerOut.setInterval(TimerOutInterval);
        m_timerOut.start();
    }
}

void ConfigProtocol::But_OneKeyClick() {
    if (selectionMissing())
        return;
    m_store.WriteAllMode = 1;
    But_ModelClick();
}
