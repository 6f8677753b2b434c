#include "console.h"

#include "gbk.h"
#include "logging.h"
#include "relaycodec.h"
#include "transportrouter.h"

#include <algorithm>

using namespace Qt::StringLiterals;

Console::Console(TransportRouter &router, ConsoleView &view, QObject *parent, Clock &clock)
    : QObject(parent)
    , m_router(router)
    , m_transport(router.transport())
    , m_view(view)
    , m_listenTimer(clock, [this] { listenTimedOut(); })
    , m_connectWatch(clock, [this] { checkConnection(); })
    , m_relayRepoll(clock, [this] { repollRelays(); })
    , m_reopen(clock, [this] { openConsole(); }) {
    router.setConsoleReceiver(
        [this](const Peer &from, QByteArrayView bytes) { receive(from, bytes); });
    Transport &transport = m_transport;
    m_reopen.setSingleShot(true);
    connect(&transport, &Transport::connectionAdded, this, &Console::clientCame);
    connect(&transport, &Transport::connectionRemoved, this, &Console::clientLeft);
    connect(&transport, &Transport::failed, this,
            [this](const Transport::Failure &failure) { m_lastFailure = failure.report; });
}

bool Console::holdsTransport() const {
    return m_router.holder() == TransportRouter::Holder::Console;
}

void Console::setMode(ConsoleMode mode) {
    m_mode = mode;
    m_view.showMode(mode);
}

void Console::toggle() {
    m_reopen.stop();
    if (m_transport.isOpen()) {
        const bool ours = holdsTransport();
        closeConsole();
        if (!ours)
            m_reopen.start(CloseWaitMs);
        return;
    }
    openConsole();
}

void Console::closeConsole() {
    m_transport.close();
    // A watch left running would judge whatever is opened next.
    m_connectWatch.stop();
    listClients();
    m_view.showState(ConsoleState::Closed, m_mode);
}

void Console::openConsole() {
    m_view.showConfigurationAvailable(false);
    m_router.setHolder(TransportRouter::Holder::Console);
    m_mode = m_view.mode().value_or(m_mode);
    m_view.showState(ConsoleState::Opening, m_mode);
    const std::optional<Transport::Endpoints> endpoints = endpointsToOpen();
    if (!endpoints)
        return;

    m_lastFailure.clear();
    const bool opened = m_transport.open(*endpoints);
    switch (m_mode) {
    case ConsoleMode::TcpClient:
        // Failed or not, the watch's first tick judges the attempt.
        m_view.showState(ConsoleState::Connecting, m_mode);
        m_connectWatch.start(ConnectWatchMs);
        return;
    case ConsoleMode::TcpServer:
    case ConsoleMode::Udp:
        break;
    }
    if (!opened) {
        // The port is taken or the address is not this computer's: no client
        // or datagram can come, so the console says why at once instead of
        // showing itself open or waiting for clients.
        listClients();
        m_view.showState(ConsoleState::Closed, m_mode);
        m_view.warning(m_lastFailure);
        return;
    }
    if (m_mode == ConsoleMode::TcpServer) {
        m_listenTimer.start(ListenTimeoutMs);
        m_view.showState(ConsoleState::Listening, m_mode);
    } else {
        m_view.showState(ConsoleState::UdpOpen, m_mode);
    }
}

std::optional<Transport::Endpoints> Console::endpointsToOpen() {
    using Kind = Transport::Kind;
    if (m_mode == ConsoleMode::TcpClient) {
        const QString host = m_view.remoteAddress();
        if (host.isEmpty()) {
            m_view.warning(tr("请输入正确的目标IP及目标端口号!"));
            return std::nullopt;
        }
        const std::optional<quint16> port = portFrom(m_view.remotePort());
        if (!port)
            return std::nullopt;
        return Transport::Endpoints{Kind::StreamClient, {}, 0, host, *port};
    }
    const std::optional<quint16> port = portFrom(m_view.localPort());
    if (!port)
        return std::nullopt;
    const Kind kind = m_mode == ConsoleMode::TcpServer ? Kind::StreamServer : Kind::Datagram;
    return Transport::Endpoints{kind, m_view.localAddress(), *port, {}, 0};
}

std::optional<quint16> Console::portFrom(const QString &text) {
    bool ok = false;
    const uint value = text.toUInt(&ok, 10);
    if (ok && value <= 0xFFFF)
        return quint16(value);
    m_view.warning(tr("端口号不正确: \"%1\"").arg(text));
    return std::nullopt;
}

void Console::listClients() {
    m_clients = m_transport.connections();
    QList<Peer> peers;
    peers.reserve(m_clients.size());
    for (const Transport::Connection &client : std::as_const(m_clients))
        peers.append(client.peer);
    m_view.showClients(peers);
}

void Console::clientCame() {
    m_listenTimer.stop();
    listClients();
    m_view.showState(ConsoleState::Connected, m_mode);
}

void Console::clientLeft(const Transport::Connection &gone) {
    // Address and port name a client as it is shown: a connection the
    // transport handed to a returning peer keeps its line under a new id.
    const bool shown =
        std::any_of(m_clients.cbegin(), m_clients.cend(),
                    [&gone](const auto &client) { return client.peer == gone.peer; });
    if (!shown) {
        qCDebug(lcConsole) << "a connection that was not listed ended:" << gone.id;
        return;
    }
    listClients();
    if (m_clients.isEmpty())
        toggle(); // the server stops listening with its last client
}

void Console::listenTimedOut() {
    m_listenTimer.stop();
    // A module search may have taken the transport meanwhile: it is not ours
    // to close, but nobody is waited for any more.
    const bool ours = holdsTransport();
    if (ours)
        m_transport.close();
    else
        qCDebug(lcConsole) << "a module search ended the wait for a client";
    m_view.showState(ConsoleState::ListenTimedOut, m_mode);
    if (ours)
        m_view.warning(tr("等待客户端超时!"));
}

void Console::checkConnection() {
    if (!holdsTransport()) {
        m_connectWatch.stop();
        return;
    }
    if (m_transport.isOpen()) {
        m_view.showState(ConsoleState::ClientOpen, m_mode);
        return;
    }
    // Not connected yet within a second, refused, or closed by the peer. An
    // attempt still pending is given up too: completing later, it would be
    // open behind a console that shows it closed.
    m_connectWatch.stop();
    m_transport.close();
    listClients();
    m_view.showState(ConsoleState::Dropped, m_mode);
}

void Console::sendText(const QString &text) {
    if (text.isEmpty()) {
        m_view.warning(tr("输入框不能为空!"));
        return;
    }
    send(gbk::encode(text));
}

ConsoleMode Console::sendingMode() const {
    // After a module search the transport is the configuration side's
    // datagram socket, and what the console sends goes out as datagrams.
    if (!holdsTransport() && m_transport.isOpen())
        return ConsoleMode::Udp;
    return m_mode;
}

void Console::send(const QByteArray &bytes) {
    // The echo comes first, so the transcript shows what was meant to be
    // sent even when nothing could be.
    flushHeldByte();
    if (!m_view.transcriptEmpty())
        m_view.appendTranscript(QStringLiteral("\r\n\r\n"));
    m_view.appendTranscript(gbk::decode(bytes));
    m_view.scrollTranscriptToBottom();

    // A send the transport refuses (a client that has not read the last
    // 16 MB, a connection gone) is said in the transcript, under the text
    // that was not sent.
    m_lastFailure.clear();
    if (!sendNow(bytes) && !m_lastFailure.isEmpty()) {
        m_view.appendTranscript(u"\r\n"_s + tr("[not sent: %1]").arg(m_lastFailure));
        m_view.scrollTranscriptToBottom();
    }
}

bool Console::sendNow(const QByteArray &bytes) {
    switch (sendingMode()) {
    case ConsoleMode::TcpServer: {
        // Clients are picked by position; with none picked, the first.
        const QList<Transport::Connection> connections = m_transport.connections();
        const qsizetype index = std::max(m_view.selectedClient(), 0);
        if (index < connections.size())
            return m_transport.sendTo(connections.at(index).id, bytes);
        qCDebug(lcConsole) << "not sent: no client at position" << index;
        return false;
    }
    case ConsoleMode::TcpClient:
        return m_transport.send(bytes);
    case ConsoleMode::Udp:
        // To the destination as typed at this moment.
        if (const std::optional<quint16> port = portFrom(m_view.remotePort()))
            return m_transport.sendDatagram(m_view.remoteAddress(), *port, bytes);
        return false;
    }
    return false;
}

void Console::receive(const Peer &from, QByteArrayView bytes) {
    // The data is text up to its first zero byte, and never past its length.
    if (const qsizetype zero = bytes.indexOf('\0'); zero >= 0) {
        qCDebug(lcConsole) << bytes.size() - zero << "bytes from a zero byte on not shown";
        bytes = bytes.first(zero);
    }
    const QByteArray data = bytes.toByteArray();

    handleReply(data);

    if (from != m_router.lastPeer()) {
        m_router.setLastPeer(from);
        flushHeldByte();
        if (!m_view.transcriptLastLineEmpty())
            m_view.appendTranscript(QStringLiteral("\r\n"));
    }
    showArrival(data);
}

void Console::showArrival(QByteArrayView data) {
    // Joined to a held lead byte only when there is one: arrivals can be
    // large and frequent.
    QByteArray joined;
    if (!m_heldByte.isEmpty()) {
        joined = m_heldByte;
        joined.append(data);
        data = joined;
    }
    const qsizetype complete = gbk::completeLength(data);
    m_heldByte = data.sliced(complete).toByteArray();
    if (complete > 0)
        m_view.appendTranscript(gbk::decode(data.first(complete)));
    m_view.scrollTranscriptToBottom();
}

void Console::flushHeldByte() {
    // Whatever comes next cannot complete the character: it stays a broken
    // one, shown as such rather than silently lost.
    if (m_heldByte.isEmpty())
        return;
    m_view.appendTranscript(QString(QChar::ReplacementCharacter));
    m_heldByte.clear();
}

void Console::clearTranscript() {
    m_view.clearTranscript();
    m_heldByte.clear();
}

void Console::handleReply(QByteArrayView data) {
    // Any arrival after a setting is taken for its answer.
    if (m_relayRepollPending) {
        m_relayRepollPending = false;
        m_relayRepoll.start(RelayRepollMs);
    }
    const relaycodec::Reading reading = relaycodec::parse(data);
    const LampState lamp = reading.on ? LampState::On : LampState::Off;
    switch (reading.kind) {
    case relaycodec::Reading::Kind::Relay:
        if (reading.number > 0)
            m_view.showRelay(reading.number, lamp);
        m_view.showRelayTime(reading.time);
        break;
    case relaycodec::Reading::Kind::Input:
        if (reading.number > 0)
            m_view.showInput(reading.number, lamp);
        break;
    case relaycodec::Reading::Kind::None:
        break;
    }
}

void Console::queryRelays(int relay) {
    send(relaycodec::relayQuery(relay));
}

void Console::queryInputs(int input) {
    send(relaycodec::inputQuery(input));
}

bool Console::setRelay(int relay, RelaySwitch state, const QString &time) {
    QByteArrayView stateText;
    if (state == RelaySwitch::On)
        stateText = "1";
    else if (state == RelaySwitch::Off)
        stateText = "0";
    const QByteArray command = relaycodec::relaySet(relay, stateText, gbk::encode(time));
    if (command.size() > relaycodec::RelayCommandLimit) {
        m_view.warning(tr("定时时间太长!"));
        return false;
    }
    send(command);
    m_relayRepollPending = true;
    return true;
}

void Console::repollRelays() {
    m_relayRepoll.stop();
    queryRelays(m_view.selectedRelay());
}
