#include "console.h"

#include "cmsocket.h"
#include "gbk.h"
#include "mainstate.h"
#include "mylib.h"
#include "relaycodec.h"

#include <QThread>
#include <QTimer>

using Control = ConsoleView::Control;
using Field = ConsoleView::Field;
using ClientList = ConsoleView::ClientList;
using StateBox = ConsoleView::StateBox;

namespace {

constexpr int CheckClientMs = 1000;

QString listenCaption() {
    return QStringLiteral("监听");
}
QString connectCaption() {
    return QStringLiteral("连接");
}
QString establishCaption() {
    return QStringLiteral("建立");
}
QString disconnectCaption() {
    return QStringLiteral("断开");
}

} // namespace

Console::Console(TMYCLASS &store, TMainState &state, TcmSocket &MySocket, QTimer &TimerConnOut,
                 QTimer &Timer_CheckTCPClient, QTimer &TimerReadAllRelay, ConsoleView &view,
                 QObject *parent)
    : QObject(parent)
    , m_Store(store)
    , m_State(state)
    , m_Socket(MySocket)
    , m_TimerConnOut(TimerConnOut)
    , m_TimerCheckTCPClient(Timer_CheckTCPClient)
    , m_TimerReadAllRelay(TimerReadAllRelay)
    , m_View(view) {}

void Console::ApplyStartupLayout() {
    applyModeLayout(m_View.tcpModeIndex(), false);
    UpdateConsoleLabels();
}

void Console::applyModeLayout(int index, bool withCaption) {
    const bool server = index == 0;
    switch (index) {
    case 0:
        m_Socket.Protocol = cmTcpServer;
        break;
    case 1:
        m_Socket.Protocol = cmTcpClient;
        break;
    case 2:
        m_Socket.Protocol = cmUDP;
        break;
    default:
        return; // no mode picked: nothing changes
    }
    if (server) {
        // The client list takes the place of the destination address field.
        m_View.setVisible(Control::Edt_RemoteIP, false);
        m_View.move(Control::Cmb_RemoteIP, m_View.position(Control::Edt_RemoteIP));
    } else {
        m_View.setVisible(Control::Edt_RemoteIP, true);
        m_View.setEnabled(Control::But_UDPFind, true);
    }
    m_View.setVisible(Control::Cmb_RemoteIP, server);
    m_View.setVisible(Control::Cmb_RemotePort, server);
    if (withCaption)
        m_View.setCaption(Control::But_TCPCtl, server ? listenCaption() : connectCaption());
    if (index != 1) {
        m_View.setCaption(Control::Label17, QStringLiteral("电脑IP:"));
        m_View.setCaption(Control::Label18, QStringLiteral("电脑端口："));
    }
}

void Console::UpdateConsoleLabels() {
    switch (m_Socket.Protocol) {
    case cmTcpServer:
    case cmUDP:
        m_View.setCaption(Control::Label_IP, QStringLiteral("目的IP："));
        m_View.setCaption(Control::Label_Port, QStringLiteral("目的端口："));
        for (Control control : {Control::Label_IP, Control::Label_Port, Control::Edt_RemoteIP,
                                Control::Edt_RemotePort})
            m_View.setVisible(control, true);
        m_View.setCaption(Control::But_TCPCtl, establishCaption());
        break;
    case cmTcpClient:
        m_View.setCaption(Control::But_TCPCtl, connectCaption());
        m_View.setEnabled(Control::But_UDPFind, true);
        break;
    default:
        break;
    }
}

void Console::ClearClientList() {
    for (ClientList list : {ClientList::Cmb_RemoteIP, ClientList::Cmb_RemotePort}) {
        for (int index = m_View.itemCount(list) - 1; index >= 1; --index)
            m_View.deleteItem(list, index);
    }
}

void Console::Cmb_TCPModeChange() {
    applyModeLayout(m_View.tcpModeIndex(), true);
    UpdateConsoleLabels();
}

void Console::But_TCPCtlClick() {
    if (m_Socket.Active()) {
        m_Socket.SetActive(false);
        // A watcher left running would judge whatever the socket opens next.
        m_TimerCheckTCPClient.stop();
        showClosed();
        // Gives the system time to release the address before a reopen.
        QThread::msleep(CloseWaitMs);
        if (m_State.holder == SocketHolder::Console) {
            showIdle();
            return;
        }
        // The configuration side had the socket: one click takes it over.
    }
    m_View.setEnabled(Control::But_UDPFind, false);
    openConsole();
}

void Console::showClosed() {
    m_View.setEnabled(Control::But_TCPSend, false);
    UpdateConsoleLabels();
    ClearClientList();
    m_View.setStateLamp(lampcolour::Silver);
}

void Console::showIdle() {
    m_View.setEnabled(Control::But_UDPFind, true);
    for (Control control : {Control::But_TCPSend, Control::But_RelayStateQuery,
                            Control::But_RelayStateSet, Control::Button3})
        m_View.setEnabled(control, false);
}

void Console::openConsole() {
    m_View.enableConfigControls(false);
    for (Control control : {Control::But_TCPSend, Control::But_RelayStateQuery,
                            Control::But_RelayStateSet, Control::Button3})
        m_View.setEnabled(control, true);
    m_State.holder = SocketHolder::Console;
    applyModeLayout(m_View.tcpModeIndex(), true);

    const TcmSocketProtocol protocol = m_Socket.Protocol;
    if (protocol == cmTcpServer || protocol == cmUDP) {
        const std::optional<quint16> port = portFrom(Field::Edt_LocalPort);
        if (!port)
            return;
        m_Socket.LocalHost = m_View.text(Field::Edt_LocalIP);
        m_Socket.LocalPort = *port;
        m_Socket.RemoteHost = QStringLiteral("0");
        m_Socket.RemotePort = 0;
    } else if (protocol == cmTcpClient) {
        const QString remoteIP = m_View.text(Field::Edt_RemoteIP);
        if (remoteIP.isEmpty()) {
            m_View.warning(QStringLiteral("请输入正确的目标IP及目标端口号!"));
            return;
        }
        const std::optional<quint16> port = portFrom(Field::Edt_RemotePort);
        if (!port)
            return;
        m_Socket.LocalHost = QStringLiteral("0");
        m_Socket.LocalPort = 0;
        m_Socket.RemoteHost = remoteIP;
        m_Socket.RemotePort = *port;
    }

    m_LastSocketError.clear();
    m_Socket.SetActive(true);

    if (protocol != cmTcpClient && !m_Socket.Active()) {
        // The port is taken or the address is not this computer's: no client
        // or datagram can come, so the console says why at once instead of
        // showing itself open or waiting for clients.
        showClosed();
        showIdle();
        m_View.warning(m_LastSocketError);
        return;
    }
    if (protocol == cmTcpServer) {
        m_TimerConnOut.stop();
        m_TimerConnOut.setInterval(ListenTimeoutMs);
        m_TimerConnOut.start();
        // Stays "监听" and disabled until the first client or the time-out.
        m_View.setEnabled(Control::But_TCPCtl, false);
        return;
    }
    m_View.setCaption(Control::But_TCPCtl, disconnectCaption());
    m_View.setEnabled(Control::But_TCPSend, true);
    if (protocol == cmTcpClient) {
        m_TimerCheckTCPClient.setInterval(CheckClientMs);
        m_TimerCheckTCPClient.start();
    } else if (protocol == cmUDP) {
        m_View.setStateLamp(lampcolour::Red);
    }
}

std::optional<quint16> Console::portFrom(ConsoleView::Field field) {
    const QString text = m_View.text(field);
    bool ok = false;
    const uint value = text.toUInt(&ok, 10);
    if (ok && value <= 0xFFFF)
        return quint16(value);
    m_View.warning(QStringLiteral("端口号不正确: \"%1\"").arg(text));
    return std::nullopt;
}

void Console::MySocketAccept(quint32 ip, quint16 port) {
    m_TimerConnOut.stop();
    m_View.appendItem(ClientList::Cmb_RemoteIP, m_Store.IPToText(ip));
    m_View.appendItem(ClientList::Cmb_RemotePort, QString::number(port));
    m_View.selectItem(ClientList::Cmb_RemoteIP, 1);
    m_View.selectItem(ClientList::Cmb_RemotePort, 1);
    m_View.setEnabled(Control::But_TCPCtl, true);
    m_View.setEnabled(Control::But_TCPSend, true);
    m_View.setStateLamp(lampcolour::Red);
    m_View.setCaption(Control::But_TCPCtl, disconnectCaption());
}

void Console::MySocketDiscard(quint32 ip, quint16 port) {
    // Address and port together name a client: two clients of one computer
    // share the address, and only the one that left may lose its line.
    const QString ipText = m_Store.IPToText(ip);
    const QString portText = QString::number(port);
    const int count = std::min(m_View.itemCount(ClientList::Cmb_RemoteIP),
                               m_View.itemCount(ClientList::Cmb_RemotePort));
    int found = -1;
    for (int index = 1; index < count && found < 0; ++index) {
        if (m_View.itemText(ClientList::Cmb_RemoteIP, index) == ipText &&
            m_View.itemText(ClientList::Cmb_RemotePort, index) == portText)
            found = index;
    }
    if (found < 0)
        return;
    m_View.deleteItem(ClientList::Cmb_RemoteIP, found);
    m_View.deleteItem(ClientList::Cmb_RemotePort, found);
    // The first client, or "NoConnect" when none is left.
    const int remaining = m_View.itemCount(ClientList::Cmb_RemoteIP);
    const int select = std::min(1, remaining - 1);
    m_View.selectItem(ClientList::Cmb_RemoteIP, select);
    m_View.selectItem(ClientList::Cmb_RemotePort, select);
    if (remaining <= 1)
        But_TCPCtlClick(); // the server stops listening with its last client
}

void Console::TimerConnOutTimer() {
    m_TimerConnOut.stop();
    // A module search may have taken the socket meanwhile; it is not ours to close.
    if (m_State.holder != SocketHolder::Console)
        return;
    m_View.setEnabled(Control::But_UDPFind, true);
    m_Socket.SetActive(false);
    m_View.setEnabled(Control::But_TCPCtl, true);
    m_View.warning(QStringLiteral("等待客户端超时!"));
}

void Console::Timer_CheckTCPClientTimer() {
    if (m_State.holder != SocketHolder::Console) {
        m_TimerCheckTCPClient.stop();
        return;
    }
    if (m_Socket.Active()) {
        m_View.setStateLamp(lampcolour::Red);
        return;
    }
    // Not connected yet within a second, refused, or closed by the peer. An
    // attempt still pending is given up too: completing later, it would be
    // open behind a console that shows it closed.
    m_TimerCheckTCPClient.stop();
    m_Socket.Close();
    showClosed();
}

void Console::MySocketError(int ErroCode, const QString &ErrorMsg) {
    // Reports with a code name a failed call; code 0 is a plain notice.
    if (ErroCode != 0)
        m_LastSocketError = ErrorMsg;
}

void Console::But_TCPSendClick() {
    const QString text = m_View.text(Field::MemoTCPSend);
    if (text.isEmpty()) {
        m_View.warning(QStringLiteral("输入框不能为空!"));
        return;
    }
    ConsoleSend(gbk::encode(text));
}

void Console::ConsoleSend(const QByteArray &bytes) {
    // The echo comes first, so the transcript shows what was meant to be
    // sent even when nothing could be.
    flushHeldByte();
    if (!m_View.transcriptEmpty())
        m_View.appendTranscript(QStringLiteral("\r\n\r\n"));
    m_View.appendTranscript(gbk::decode(bytes));
    m_View.scrollTranscriptToBottom();

    const int length = int(bytes.size());
    switch (m_Socket.Protocol) {
    case cmTcpServer: {
        // Item k of the client list is the k-th connection; "NoConnect"
        // (item 0) addresses the first one as item 1 does.
        const QList<cm_Connection> &list = m_Socket.Connections();
        const int index = std::max(m_View.selectedItem(ClientList::Cmb_RemoteIP), 1) - 1;
        if (index < list.size())
            m_Socket.SendTo(list.at(index).socket, bytes.constData(), length);
        break;
    }
    case cmTcpClient:
        m_Socket.Send(bytes.constData(), length);
        break;
    case cmUDP: {
        // Destination as typed at this moment.
        const std::optional<quint16> port = portFrom(Field::Edt_RemotePort);
        if (port)
            m_Socket.SendTo(m_View.text(Field::Edt_RemoteIP), *port, bytes.constData(), length);
        break;
    }
    default:
        break;
    }
}

void Console::Receive(quint32 PeerIP, quint16 PeerPort, QByteArrayView data) {
    // The data is text up to its first zero byte, and never past its length.
    if (const qsizetype zero = data.indexOf('\0'); zero >= 0)
        data = data.first(zero);
    const QByteArray bytes = data.toByteArray();

    handleReply(bytes);

    if (PeerIP != m_State.lastPeer.ip || PeerPort != m_State.lastPeer.port) {
        m_State.lastPeer.ip = PeerIP;
        m_State.lastPeer.port = PeerPort;
        flushHeldByte();
        if (!m_View.transcriptLastLineEmpty())
            m_View.appendTranscript(QStringLiteral("\r\n"));
    }
    showArrival(bytes);
}

void Console::showArrival(QByteArrayView data) {
    // Joined to a held lead byte only when there is one: arrivals can be
    // large and frequent.
    QByteArray joined;
    if (!m_HeldByte.isEmpty()) {
        joined = m_HeldByte;
        joined.append(data);
        data = joined;
    }
    const qsizetype complete = gbk::completeLength(data);
    m_HeldByte = data.sliced(complete).toByteArray();
    if (complete > 0)
        m_View.appendTranscript(gbk::decode(data.first(complete)));
    m_View.scrollTranscriptToBottom();
}

void Console::flushHeldByte() {
    // Whatever comes next cannot complete the character: it stays a broken
    // one, shown as such rather than silently lost.
    if (m_HeldByte.isEmpty())
        return;
    m_View.appendTranscript(QString(QChar::ReplacementCharacter));
    m_HeldByte.clear();
}

void Console::Button2Click() {
    m_View.clearTranscript();
    m_HeldByte.clear();
}

void Console::But_ClearSendClick() {
    m_View.setText(Field::MemoTCPSend, QString());
}

void Console::handleReply(QByteArrayView data) {
    if (m_RelayRepollPending) {
        m_RelayRepollPending = false;
        m_TimerReadAllRelay.setInterval(RelayRepollMs);
        m_TimerReadAllRelay.start();
    }
    const relaycodec::Reading reading = relaycodec::parse(data);
    const quint32 colour = reading.on ? lampcolour::Lime : lampcolour::Red;
    switch (reading.kind) {
    case relaycodec::Reading::Kind::Relay:
        if (reading.number > 0)
            m_View.setRelayLamp(reading.number - 1, colour);
        m_View.setText(Field::Edt_Time, QString::number(reading.time));
        break;
    case relaycodec::Reading::Kind::Input:
        if (reading.number > 0)
            m_View.setInputLamp(reading.number - 1, colour);
        break;
    case relaycodec::Reading::Kind::None:
        break;
    }
}

int Console::firstChecked(int slotCount, bool relays) const {
    for (int slot = 0; slot < slotCount; ++slot) {
        if (relays ? m_View.relayBoxChecked(slot) : m_View.inputBoxChecked(slot))
            return slot;
    }
    return slotCount; // none checked: one past the last slot
}

void Console::But_RelayStateQueryClick() {
    ConsoleSend(relaycodec::relayQuery(firstChecked(RelaySlots, true)));
}

void Console::But_RelayStateSetClick() {
    const int relay = firstChecked(RelaySlots, true);
    QByteArrayView state;
    if (m_View.stateBoxChecked(StateBox::CB_Relay_1))
        state = "1";
    else if (m_View.stateBoxChecked(StateBox::CB_Relay_0))
        state = "0";
    const QByteArray command =
        relaycodec::relaySet(relay, state, gbk::encode(m_View.text(Field::Edt_Time)));
    if (command.size() > relaycodec::RelayCommandLimit) {
        m_View.warning(QStringLiteral("定时时间太长!"));
        return;
    }
    ConsoleSend(command);
    m_View.setRelayBoxChecked(0, true);
    CheckBox1Click(0);
    m_RelayRepollPending = true;
}

void Console::Button3Click() {
    ConsoleSend(relaycodec::inputQuery(firstChecked(InputSlots, false)));
}

void Console::CheckBox1Click(int tag) {
    if (tag < 0 || tag >= RelaySlots || !m_View.relayBoxChecked(tag))
        return;
    for (int slot = 0; slot < RelaySlots; ++slot) {
        if (slot != tag)
            m_View.setRelayBoxChecked(slot, false);
    }
}

void Console::CheckBox17Click(int tag) {
    if (tag < 0 || tag >= InputSlots || !m_View.inputBoxChecked(tag))
        return;
    for (int slot = 0; slot < InputSlots; ++slot) {
        if (slot != tag)
            m_View.setInputBoxChecked(slot, false);
    }
}

void Console::CB_Relay_1Click() {
    if (m_View.stateBoxChecked(StateBox::CB_Relay_1))
        m_View.setStateBoxChecked(StateBox::CB_Relay_0, false);
}

void Console::CB_Relay_0Click() {
    if (m_View.stateBoxChecked(StateBox::CB_Relay_0))
        m_View.setStateBoxChecked(StateBox::CB_Relay_1, false);
}

void Console::TimerReadAllRelayTimer() {
    m_TimerReadAllRelay.stop();
    But_RelayStateQueryClick();
}
