// Platform-independent logic of TcmSocket: the notice dispatch, the read
// loop, the server's connection list, opening and closing, and the error path.
// Every call on the system goes through TcmSocketEngine (cmsocket_engine.h).
#include "cmsocket.h"

#include "cmsocket_engine.h"
#include "systemadapters.h"

#include "gbk.h"

#include <QCoreApplication>
#include <QList>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <utility>

namespace {

// Process-wide: whether the socket library is started, and how many
// components hold it.
bool s_WinsockStarted = false;
int s_InstanceCount = 0;

constexpr quint32 kNoAddress = 0xFFFFFFFFu;

struct ErrorText {
    int code;
    const char *text;
};

// UTF-8 sources of the translation context "TcmSocket"; reports carry them
// as GBK byte text in the language in force, exactly as written under none.
constexpr ErrorText kErrorTable[] = {
    {10004, QT_TRANSLATE_NOOP(
                "TcmSocket",
                "The (blocking) call was canceled through WSACancelBlockingCall.(函数被中断)")},
    {10013, QT_TRANSLATE_NOOP("TcmSocket",
                              "Attempt to connect datagram socket to broadcast address failed "
                              "because setsockopt SO_BROADCAST is not enabled; or the requested "
                              "address is a broadcast address, but the appropriate flag was not "
                              "set.(无权限)")},
    {10014,
     QT_TRANSLATE_NOOP("TcmSocket",
                       "The name or the namelen argument is not a valid part of the user "
                       "address space, the namelen argument is too small, the name argument "
                       "contains incorrect address format for the associated address family, "
                       "or the first two bytes of the memory block specified by name does not "
                       "match the address family associated with the socket descriptor "
                       "s.(错误地址)")},
    {10022,
     QT_TRANSLATE_NOOP("TcmSocket", "The socket is not(or is already) bound to an address ,etc.")},
    {10024,
     QT_TRANSLATE_NOOP("TcmSocket", "No more socket descriptors are available.(打开过多文件)")},
    {10035,
     QT_TRANSLATE_NOOP("TcmSocket",
                       "The socket is marked as nonblocking and the requested operation would "
                       "block,and cannot be completed immediately. ")},
    {10036, QT_TRANSLATE_NOOP("TcmSocket",
                              "A blocking Windows Sockets 1.1 call is in progress, or the service "
                              "provider is still processing a callback function(操作正进行).")},
    {10037,
     QT_TRANSLATE_NOOP("TcmSocket", "A nonblocking connect call is in progress on the specified "
                                    "socket.(操作正进行)")},
    {10038, QT_TRANSLATE_NOOP("TcmSocket", "The descriptor is not a socket.")},
    {10039, QT_TRANSLATE_NOOP("TcmSocket", "需要目标地址")},
    {10040, QT_TRANSLATE_NOOP("TcmSocket",
                              "The socket is message oriented, and the message is larger than the "
                              "maximum supported by the underlying transport.(消息过长)")},
    {10041,
     QT_TRANSLATE_NOOP("TcmSocket", "The specified protocol is the wrong type for this socket.")},
    {10043, QT_TRANSLATE_NOOP("TcmSocket", "The specified protocol is not supported.")},
    {10044, QT_TRANSLATE_NOOP(
                "TcmSocket", "The specified socket type is not supported in this address family.")},
    {10045, QT_TRANSLATE_NOOP("TcmSocket",
                              "MSG_OOB was specified, but the socket is not stream style such as "
                              "type SOCK_STREAM, out-of-band data is not supported in the "
                              "communication domain associated with this socket, or the socket is "
                              "unidirectional and supports only receive operations.")},
    {10047,
     QT_TRANSLATE_NOOP("TcmSocket",
                       "The specified address family is not supported.(地址类型不被协议支持)")},
    {10048, QT_TRANSLATE_NOOP("TcmSocket", "The specified address is already in use(地址已使用).")},
    {10049, QT_TRANSLATE_NOOP("TcmSocket", "The specified address is not available from the local "
                                           "machine.(不能关联到指定地址)")},
    {10050,
     QT_TRANSLATE_NOOP("TcmSocket", "The network subsystem or the associated service provider has "
                                    "failed.(网络已关闭).")},
    {10051,
     QT_TRANSLATE_NOOP("TcmSocket", "The network cannot be reached from this host at this time.")},
    {10052, QT_TRANSLATE_NOOP("TcmSocket", "The connection has been broken due to the remote host "
                                           "resetting.(网络重置时连接丢失)")},
    {10053, QT_TRANSLATE_NOOP("TcmSocket",
                              "The virtual circuit was terminated due to a time-out or other "
                              "failure. The application should close the socket as it is no longer "
                              "usable.(软件造成连接取消)")},
    {10054, QT_TRANSLATE_NOOP(
                "TcmSocket", "The virtual circuit was reset by the remote side executing a 'hard' "
                             "or 'abortive' close. For UPD sockets, the remote host was unable to "
                             "deliver a previously sent UDP datagram and responded with a 'Port "
                             "Unreachable' ICMP packet. The application should close the socket as "
                             "it is no longer usable.(连接被对方重置)")},
    {10055, QT_TRANSLATE_NOOP("TcmSocket",
                              "Not enough buffers available, no more socket、connections or other "
                              "action!")},
    {10056,
     QT_TRANSLATE_NOOP("TcmSocket", "The socket is already connected (connection-oriented sockets "
                                    "only).(已经连接)")},
    {10057, QT_TRANSLATE_NOOP("TcmSocket", "The socket is not connected.")},
    {10058,
     QT_TRANSLATE_NOOP("TcmSocket",
                       "he socket has been shut down; it is not possible to send on a socket "
                       "after shutdown has been invoked with how set to SD_SEND or SD_BOTH.")},
    {10060,
     QT_TRANSLATE_NOOP("TcmSocket",
                       "Operation time out,the connection may have be been dropped, because "
                       "of a network failure or because the system on the other end went down "
                       "without notice.")},
    {10061,
     QT_TRANSLATE_NOOP("TcmSocket", "The attempt to connect was forcefully rejected.(连接被拒绝)")},
    {10064, QT_TRANSLATE_NOOP("TcmSocket", "主机已关闭")},
    {10065, QT_TRANSLATE_NOOP("TcmSocket",
                              "The remote host cannot be reached from this host at this time.")},
    {10093, QT_TRANSLATE_NOOP("TcmSocket",
                              "A successful WSAStartup must occur before using this function.")},
};

constexpr char kUnknownError[] = QT_TRANSLATE_NOOP("TcmSocket", "未知错误");

struct SocketKind {
    int type;
    int number;
};

SocketKind socketKind(TcmSocketProtocol protocol) {
    switch (protocol) {
    case cmICMP:
        return {SOCK_RAW, 1};
    case cmIGMP:
        return {SOCK_RAW, 2};
    case cmUDP:
        return {SOCK_DGRAM, 17};
    case cmRawIP:
        return {SOCK_RAW, 255};
    case cmTcpServer:
    case cmTcpClient:
        return {SOCK_STREAM, 6};
    }
    return {SOCK_DGRAM, 17};
}

// Events are copied before they run: a handler may replace or clear its own
// event, which must not destroy the callable while it executes.
template <typename Event, typename... Args> void raise(const Event &event, Args &&...args) {
    if (!event)
        return;
    const Event handler = event;
    handler(std::forward<Args>(args)...);
}

} // namespace

TcmSocket::TcmSocket(QObject *owner)
    : QObject(owner)
    , m_workAddr(std::make_unique<sockaddr_in>()) {
    std::memset(m_workAddr.get(), 0, sizeof *m_workAddr);
    if (!wsa_startup()) {
        // Nobody can have bound OnError yet, so this report is only for
        // completeness; the component stays closed for good.
        ShowError("WSAStartup failed!", cmsys::lastError());
        return;
    }
    ++s_InstanceCount;
    m_started = true;
    m_engine = std::make_unique<TcmSocketEngine>(this);
}

TcmSocket::~TcmSocket() {
    // Handlers belong to an owner that is being torn down too; they must not
    // run any more.
    m_destroying = true;
    Close();
    if (m_started && --s_InstanceCount == 0) {
        cmsys::cleanup();
        // A component made later starts the library again.
        s_WinsockStarted = false;
    }
    SetBufferSize(0);
    m_connections.clear();
    m_engine.reset();
}

void TcmSocket::SetActive(bool value) {
    if (value == m_active)
        return;
    value ? Open() : Close();
}

void TcmSocket::SetBufferSize(int size) {
    if (size == m_maxBufSize && (m_recvBuffer != nullptr) == (size > 0))
        return;
    m_maxBufSize = size;
    delete[] m_recvBuffer;
    m_recvBuffer = nullptr;
    if (size > 0 && m_active) {
        m_recvBuffer = new char[size_t(size) + 1];
        m_recvBuffer[0] = 0;
    }
}

int TcmSocket::Create(TcmSocketProtocol protocol) {
    Protocol = protocol;
    const SocketKind kind = socketKind(protocol);
    Close();
    if (!m_engine)
        return -1;
    m_socket = ErrorCheck(m_engine->socket(kind.type, kind.number),
                          QT_TRANSLATE_NOOP("TcmSocket", "socket() failed"));
    if (m_socket != -1 && m_engine->isLive())
        ErrorCheck(m_engine->select(m_socket),
                   QT_TRANSLATE_NOOP("TcmSocket", "WSAAsyncSelect() failed"));
    return m_socket;
}

void TcmSocket::Open() {
    if (m_active)
        return;
    m_socket = Create(Protocol);
    if (m_socket == -1)
        return;
    if (m_forceNonBlocking)
        ErrorCheck(m_engine->setNonBlocking(m_socket),
                   QT_TRANSLATE_NOOP("TcmSocket", "ioctlsocket() set block mode error"));
    if (m_socket == -1) {
        m_bufOffset = 0;
        return;
    }
    if (Protocol == cmUDP)
        m_engine->setBroadcast(m_socket);
    if (LocalHost.isEmpty() || LocalHost == QLatin1String("0"))
        LocalHost = HostIP(kNoAddress);
    m_bound = Bind(LocalHost, unsigned(LocalPort));
    if (m_bound) {
        switch (Protocol) {
        case cmTcpServer:
            // Clients that connect at once wait in the backlog until the
            // event loop accepts them; a short one makes the rest retry
            // seconds later.
            m_active = Listen(SOMAXCONN);
            break;
        case cmTcpClient:
            m_active = Connect(RemoteHost, unsigned(RemotePort));
            break;
        case cmUDP:
            if (!RemoteHost.isEmpty() && RemotePort > 0)
                m_active = Connect(RemoteHost, unsigned(RemotePort));
            else
                m_active = true;
            break;
        default:
            m_active = true;
            break;
        }
    }
    if (m_active)
        DeclareConnect(true);
    m_bufOffset = 0;
}

void TcmSocket::Close() {
    if (m_socket == -1 && !m_active)
        return;
    // The error path closes the component; a failure while closing must not
    // start the same close again.
    if (m_closing)
        return;
    m_closing = true;

    if (m_engine && m_socket != -1) {
        m_engine->deselect(m_socket);
        ErrorCheck(m_engine->close(m_socket),
                   QT_TRANSLATE_NOOP("TcmSocket", "closesocket() failed"));
    }

    // The accepted connections go too, whatever Protocol says now: a mode
    // picked while the server was open must not leave them open and
    // unlisted. The list is detached before the first report: a handler that
    // runs a modal loop lets notices in, and they must not walk a list that
    // is being taken apart.
    const QList<cm_Connection> remotes = std::exchange(m_connections, {});
    m_outgoing.clear();
    if (m_engine) {
        for (const cm_Connection &remote : remotes)
            m_engine->deselect(remote.socket);
    }
    for (const cm_Connection &remote : remotes)
        CloseRemote(remote.socket);

    m_socket = -1;
    m_active = false;
    m_bound = false;
    m_closing = false;
    DeclareConnect(false);
}

void TcmSocket::CloseRemote(int socket) {
    // The number is free for the next connection, which must not inherit
    // what was waiting for this one.
    m_outgoing.erase(socket);
    if (!m_engine)
        return;
    m_engine->deselect(socket);
    ErrorCheck(m_engine->close(socket),
               QT_TRANSLATE_NOOP("TcmSocket", "closesocket() failed to close remote socket"));
}

bool TcmSocket::Bind(const QString &host, unsigned port) {
    if (!m_engine)
        return false;
    std::memset(m_workAddr.get(), 0, sizeof *m_workAddr);
    m_workAddr->sin_family = AF_INET;
    m_workAddr->sin_addr.s_addr = get_ip_data(host, cmUnicast);
    m_workAddr->sin_port = qToBigEndian(quint16(port));
    return ErrorCheck(m_engine->bind(m_socket, *m_workAddr),
                      QT_TRANSLATE_NOOP("TcmSocket", "bind() failed")) != -1;
}

bool TcmSocket::Connect(const QString &host, unsigned port) {
    if (!m_engine || host.isEmpty() || port == 0)
        return false;
    m_workAddr->sin_family = AF_INET;
    m_workAddr->sin_addr.s_addr = get_ip_data(host, cmUnicast);
    m_workAddr->sin_port = qToBigEndian(quint16(port));
    return ErrorCheck(m_engine->connect(m_socket, *m_workAddr),
                      QT_TRANSLATE_NOOP("TcmSocket", "connect() failed")) != -1;
}

void TcmSocket::DeclareConnect(bool connected) {
    if (connected) {
        if (m_engine && m_engine->getsockname(m_socket, m_workAddr.get()) != -1) {
            LocalPort = qFromBigEndian(m_workAddr->sin_port);
            LocalHost = QString::fromLatin1(cmsys::inetNtoa(m_workAddr->sin_addr.s_addr));
        }
        if (!m_recvBuffer)
            SetBufferSize(m_maxBufSize);
    }
    if (!m_destroying)
        raise(OnActiveChanged, this);
}

int TcmSocket::Accept() {
    if (!m_engine)
        return -1;
    return ErrorCheck(m_engine->accept(m_socket, m_workAddr.get()),
                      QT_TRANSLATE_NOOP("TcmSocket", "accept() failed"));
}

bool TcmSocket::Listen(int backlog) {
    if (!m_engine || backlog == 0)
        return false;
    return ErrorCheck(m_engine->listen(m_socket, backlog),
                      QT_TRANSLATE_NOOP("TcmSocket", "listen() failed")) != -1;
}

bool TcmSocket::SendTo(quint32 ip, quint16 port, const char *data, int len) {
    return SendVia(0, ip, port, data, len);
}

bool TcmSocket::SendVia(int adapter, quint32 ip, quint16 port, const char *data, int len,
                        quint32 source) {
    if (!data || m_socket == -1 || !m_engine)
        return false;
    if (len <= 0)
        len = int(std::strlen(data));
    std::memset(m_workAddr.get(), 0, sizeof *m_workAddr);
    m_workAddr->sin_family = AF_INET;
    m_workAddr->sin_addr.s_addr = ip;
    m_workAddr->sin_port = qToBigEndian(port);
    return ErrorCheck(m_engine->sendto(m_socket, data, len, *m_workAddr, adapter, source),
                      QT_TRANSLATE_NOOP("TcmSocket", "send to() failed")) != -1;
}

bool TcmSocket::SendTo(const QString &host, quint16 port, const char *data, int len) {
    return SendTo(get_ip_data(host, cmUnicast), port, data, len);
}

bool TcmSocket::SendTo(int socket, const char *data, int len) {
    if (!data || m_socket == -1 || !m_engine)
        return false;
    if (len <= 0)
        len = int(std::strlen(data));
    if (!IsStream(socket))
        return ErrorCheck(m_engine->send(socket, data, len),
                          QT_TRANSLATE_NOOP("TcmSocket", "send() failed")) == len;

    // A text is refused whole or taken whole, never cut: what would be left
    // waiting must fit beside what waits already.
    const auto waiting = m_outgoing.find(socket);
    const qsizetype queued =
        waiting == m_outgoing.end() ? 0 : waiting->second.bytes.size() - waiting->second.sent;
    if (queued + len > MaxQueuedBytes) {
        ShowError(
            gbk::encode(QCoreApplication::translate(
                            "TcmSocket", "send() refused: %1 bytes still wait for this connection")
                            .arg(queued)),
            10055);
        return false;
    }
    // Queued bytes go first, or the new text would overtake them.
    int taken = 0;
    if (waiting == m_outgoing.end()) {
        taken = m_engine->send(socket, data, len);
        if (taken == len)
            return true;
        if (taken == -1 && cmsys::lastError() != cmWouldBlock)
            return ErrorCheck(taken, QT_TRANSLATE_NOOP("TcmSocket", "send() failed")) == len;
        taken = std::max(taken, 0);
    }
    m_outgoing[socket].bytes.append(data + taken, len - taken);
    // After a partial send the next attempt finds the socket full, which is
    // what asks the system to say when the connection drains.
    SendQueued(socket);
    return true;
}

bool TcmSocket::IsStream(int socket) const {
    // An accepted connection is a stream whatever mode was picked since.
    return socket != m_socket || Protocol == cmTcpClient || Protocol == cmTcpServer;
}

void TcmSocket::SendQueued(int socket) {
    const auto it = m_outgoing.find(socket);
    if (it == m_outgoing.end() || !m_engine)
        return;
    Outgoing &queue = it->second;
    while (queue.sent < queue.bytes.size()) {
        const int chunk = int(
            std::min<qsizetype>(queue.bytes.size() - queue.sent, std::numeric_limits<int>::max()));
        const int n = m_engine->send(socket, queue.bytes.constData() + queue.sent, chunk);
        if (n > 0) {
            queue.sent += n;
            continue;
        }
        if (n == -1 && cmsys::lastError() == cmWouldBlock) {
            // Sent bytes are dropped only once they are many, so that a
            // slow peer does not cost a copy per notice.
            if (queue.sent > queue.bytes.size() / 2) {
                queue.bytes.remove(0, queue.sent);
                queue.sent = 0;
            }
            return;
        }
        // Dropped before the report: a handler may close the connection.
        m_outgoing.erase(it);
        ErrorCheck(-1, QT_TRANSLATE_NOOP("TcmSocket", "send() failed"));
        return;
    }
    m_outgoing.erase(it);
}

int TcmSocket::Receive(char *buf, int size, int socket, sockaddr_in *from) {
    if (!buf || !m_engine)
        return 0;
    if (socket == -1)
        socket = m_socket;
    int n;
    m_lastArrivalAdapter = 0;
    m_lastArrivalAddress = 0;
    if (!from) {
        n = ErrorCheck(m_engine->recv(socket, buf, size),
                       QT_TRANSLATE_NOOP("TcmSocket", "recv() failed"));
    } else {
        n = ErrorCheck(m_engine->recvfrom(socket, buf, size, from, &m_lastArrivalAdapter,
                                          &m_lastArrivalAddress),
                       QT_TRANSLATE_NOOP("TcmSocket", "recvfrom() failed"));
        if (Protocol == cmTcpClient || Protocol == cmTcpServer)
            ErrorCheck(m_engine->getpeername(socket, from),
                       QT_TRANSLATE_NOOP("TcmSocket", "getpeername() failt!"));
    }
    return n > 0 ? n : 0;
}

qintptr TcmSocket::OnSocketMessage(unsigned message, quintptr wParam, qintptr lParam) {
    if (message == cmQueryEndSession)
        return 1;
    if (message == cmEndSession) {
        Close();
        return 0;
    }
    if (message != cmNotifyMessage)
        return 0;

    const int socket = int(wParam);
    // A server's notices concern its connection list, and so do those of a
    // connection it accepted after another mode was picked: no other socket
    // but the component's own has notices (the engines drop those left over
    // from a closed socket).
    const bool listed = Protocol == cmTcpServer || socket != m_socket;
    const auto peerClosed = [this, socket, listed] {
        if (listed)
            reg_connections(socket, false);
        else
            Close();
    };
    // The whole lParam is compared: a notice carrying an error code matches no
    // event and is only reported.
    switch (lParam) {
    case FD_READ_NOTICE:
        ReadLoop(socket);
        break;
    case FD_WRITE_NOTICE:
        if (!m_active && m_bound) {
            m_active = true;
            DeclareConnect(true);
        }
        if (listed)
            reg_connections(socket, true);
        SendQueued(socket);
        break;
    case FD_OOB_NOTICE:
        ShowError("Message:FD_OOB", 0);
        break;
    case FD_ACCEPT_NOTICE:
        Accept();
        ShowError("Message:FD_ACCEPT", 0);
        break;
    case FD_CONNECT_NOTICE:
        ShowError("Message:FD_CONNECT", 0);
        break;
    case FD_CLOSE_NOTICE:
        peerClosed();
        break;
    default:
        ShowError(QByteArray::number(message), int(lParam));
        // A connection the system ended abortively (reset, aborted) is gone
        // all the same; the report above says how.
        if ((lParam & 0xFFFF) == FD_CLOSE_NOTICE)
            peerClosed();
        break;
    }
    return 0;
}

void TcmSocket::ReadLoop(int socket) {
    if (!OnReceive || !m_recvBuffer) {
        // The data stays queued; the channel is told so that it does not
        // announce the same bytes again and again.
        if (m_engine)
            m_engine->readDeclined(socket);
        return;
    }
    int n = 0;
    int space = 0;
    qint64 taken = 0;
    do {
        if (!RelayDump || m_bufOffset >= m_maxBufSize || m_bufOffset < 0)
            m_bufOffset = 0;
        space = m_maxBufSize - m_bufOffset;
        n = Receive(m_recvBuffer + m_bufOffset, space, socket, m_workAddr.get());
        if (n > 0) {
            m_bufOffset += n;
            m_recvBuffer[m_bufOffset] = 0;
            const quint16 port = qFromBigEndian(m_workAddr->sin_port);
            const quint32 ip = m_workAddr->sin_addr.s_addr;
            raise(OnReceive, this, socket, port, ip, m_recvBuffer + m_bufOffset - n, n);
            // A handler may have closed the component or dropped the buffer;
            // reading on would touch a socket or memory that is gone.
            if (m_socket == -1 || !m_recvBuffer || !OnReceive)
                break;
            taken += n;
        }
    } while (n > 0 && n == space && taken < ReadBudget);
}

void TcmSocket::reg_connections(long socket, bool add) {
    const auto known =
        std::find_if(m_connections.cbegin(), m_connections.cend(),
                     [socket](const cm_Connection &c) { return c.socket == socket; });
    if (known != m_connections.cend()) {
        if (add)
            return; // FD_WRITE comes again whenever the socket turns writable
        const cm_Connection gone = *known;
        m_connections.erase(known);
        if (!m_destroying)
            raise(OnDiscard, this, gone.socket, gone.IP, gone.port);
        // Nobody else holds this socket any more; leaving it open would leak
        // one descriptor per client that leaves.
        CloseRemote(gone.socket);
        return;
    }
    if (!add || !m_engine)
        return;

    // A connection reset before it got here has no peer any more, and the
    // scratch address would still name whoever was read last: it is not
    // listed under a borrowed name but closed.
    const int peer = ErrorCheck(m_engine->getpeername(int(socket), m_workAddr.get()),
                                QT_TRANSLATE_NOOP("TcmSocket", "getpeername() failt!"));
    if (peer == -1) {
        CloseRemote(int(socket));
        return;
    }
    const quint32 ip = m_workAddr->sin_addr.s_addr;
    const quint16 port = qFromBigEndian(m_workAddr->sin_port);
    sockaddr_in current{};
    for (cm_Connection &node : m_connections) {
        // A node whose socket still has its peer is a live connection (the
        // same peer may reach a wildcard server through two addresses); only
        // a dead one is taken over.
        if (node.IP == ip && node.port == port &&
            m_engine->getpeername(node.socket, &current) == -1) {
            // The same peer came back: its node takes the new socket, and the
            // old one, now referenced by nothing, is closed.
            const int old = std::exchange(node.socket, int(socket));
            CloseRemote(old);
            return;
        }
    }
    m_connections.append({int(socket), ip, port});
    if (!m_destroying)
        raise(OnAccept, this, int(socket), ip, port);
}

bool TcmSocket::wsa_startup() {
    if (!s_WinsockStarted)
        s_WinsockStarted = cmsys::startup();
    return s_WinsockStarted;
}

bool TcmSocket::isValidIP(const char *text) {
    if (!text || std::strlen(text) < 7)
        return false;
    return cmsys::inetAddr(text) != kNoAddress;
}

quint32 TcmSocket::IP_UnicastToBroadcast(quint32 ip) {
    const quint32 first = ip & 0xFFu;
    if (first == 0 || first > 223)
        return ip;
    ip |= 0xFF000000u;
    if (first <= 191)
        ip |= 0x00FF0000u;
    if (first <= 127)
        ip |= 0x0000FF00u;
    return ip;
}

quint32 TcmSocket::get_ip_data(const QString &host, TcmCastMode mode) {
    if (!wsa_startup())
        return kNoAddress;
    const QByteArray text = host.toUtf8();
    quint32 address = 0;
    if (isValidIP(text.constData())) {
        address = cmsys::inetAddr(text.constData());
    } else if (!host.isEmpty()) {
        if (!cmsys::resolveFirst(text.constData(), &address))
            address = 0;
    } else {
        // The own address: the adapters know it better than the name lookup,
        // which may answer with a loopback alias.
        const QList<NetworkAdapter> adapters = SystemAdapters().adapters();
        if (!adapters.isEmpty())
            address = adapters.first().address;
        else if (!cmsys::resolveFirst(HostName().toUtf8().constData(), &address))
            address = 0;
    }
    if (mode == cmBroadcast)
        address = IP_UnicastToBroadcast(address);
    return address;
}

QString TcmSocket::BroadcastIP(const QString &host) {
    return HostIP(get_ip_data(host, cmBroadcast));
}

QString TcmSocket::HostName() {
    if (!wsa_startup())
        return {};
    return QString::fromLocal8Bit(cmsys::hostName());
}

QString TcmSocket::HostIP(quint32 ip) {
    if (ip == kNoAddress)
        ip = get_ip_data(QString(), cmUnicast);
    if (ip == kNoAddress)
        return {};
    return QString::fromLatin1(cmsys::inetNtoa(ip));
}

int TcmSocket::ErrorCheck(int result, const char *text) {
    if (result != -1)
        return result;
    const int code = cmsys::lastError();
    // A failure while opening, or while a client connection is pending,
    // leaves a half-made socket behind: close it, except for "would block",
    // which only says that the call goes on in the background.
    if (code != cmWouldBlock && !m_active && m_socket != -1) {
        ShowError("!!!!!!!!socket closed for error" +
                      QByteArray::number(code, 16).toUpper().rightJustified(4, '0'),
                  0);
        Close();
    }
    ShowError(gbk::encode(QCoreApplication::translate("TcmSocket", text)), code);
    return result;
}

void TcmSocket::ShowError(const QByteArray &text, int code) {
    if (!OnError || m_destroying)
        return;
    QByteArray report = text;
    if (code > 0)
        report += " : " + MapErrorCode(code);
    raise(OnError, this, code, report);
}

QByteArray TcmSocket::MapErrorCode(int code) {
    const auto *entry = std::find_if(std::begin(kErrorTable), std::end(kErrorTable),
                                     [code](const ErrorText &e) { return e.code == code; });
    return gbk::encode(QCoreApplication::translate(
        "TcmSocket", entry != std::end(kErrorTable) ? entry->text : kUnknownError));
}
