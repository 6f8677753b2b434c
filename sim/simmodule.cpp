#include "simmodule.h"

#include "atframe.h"
#include "gbk.h"
#include "relaycodec.h"

#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace simparams {

const QList<QByteArray> &names() {
    static const QList<QByteArray> list{"MODEL", "GATEWAY", "MASK", "IP",   "DIP",  "PORT",
                                        "DPORT", "UART",    "MAC",  "DCHP", "NAME", "VER"};
    return list;
}

QByteArray macFor(const QByteArray &address) {
    in_addr ip{};
    inet_pton(AF_INET, address.constData(), &ip);
    const auto *b = reinterpret_cast<const unsigned char *>(&ip.s_addr);
    char text[18];
    std::snprintf(text, sizeof text, "02:00:%02x:%02x:%02x:%02x", b[0], b[1], b[2], b[3]);
    return QByteArray(text, 17);
}

QMap<QByteArray, QByteArray> factory(const QByteArray &address, const QByteArray &mac) {
    return {{"MODEL", "0"},    {"GATEWAY", "192.168.1.1"}, {"MASK", "255.255.255.0"},
            {"IP", address},   {"DIP", "192.168.1.100"},   {"PORT", "12345"},
            {"DPORT", "6000"}, {"UART", "9600,8,1,0"},     {"MAC", mac},
            {"DCHP", "0"},     {"NAME", "Relay"},          {"VER", "V1.0"}};
}

QByteArray atName(QByteArrayView key) {
    const QByteArray lower = key.toByteArray().toLower();
    if (lower == "mode")
        return "MODEL";
    if (lower == "dhcp")
        return "DCHP";
    if (lower == "version")
        return "VER";
    const QByteArray upper = lower.toUpper();
    return names().contains(upper) ? upper : QByteArray();
}

QByteArray storedValue(const QByteArray &name, const QString &text) {
    if (name == "NAME")
        return gbk::encode(text);
    return name == "MAC" ? text.toLatin1().toLower() : text.toLatin1();
}

namespace {

bool isAddress(const QByteArray &value) {
    in_addr ip{};
    return inet_pton(AF_INET, value.constData(), &ip) == 1;
}

bool isPort(const QByteArray &value) {
    bool ok = false;
    const uint port = value.toUInt(&ok);
    return ok && port >= 1 && port <= 65535 && value.size() <= 5;
}

bool isMac(const QByteArray &value) {
    if (value.size() != 17)
        return false;
    for (int i = 0; i < 17; ++i) {
        const char c = value[i];
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (i % 3 == 2 ? c != ':' : !hex)
            return false;
    }
    return true;
}

bool isUart(const QByteArray &value) {
    const QList<QByteArray> parts = value.split(',');
    if (parts.size() != 4)
        return false;
    bool ok = false;
    const uint baud = parts[0].toUInt(&ok);
    return ok && baud > 0 && parts[0].size() <= 6 && parts[1].size() == 1 && parts[1][0] >= '5' &&
           parts[1][0] <= '8' && parts[2].size() == 1 && parts[2][0] >= '0' && parts[2][0] <= '3' &&
           parts[3].size() == 1 && parts[3][0] >= '0' && parts[3][0] <= '2';
}

} // namespace

bool acceptable(const QByteArray &name, const QByteArray &value) {
    if (name == "MODEL")
        return value.size() == 1 && value[0] >= '0' && value[0] <= '3';
    if (name == "DCHP")
        return value == "0" || value == "1";
    if (name == "GATEWAY" || name == "MASK" || name == "IP" || name == "DIP")
        return isAddress(value);
    if (name == "PORT" || name == "DPORT")
        return isPort(value);
    if (name == "UART")
        return isUart(value);
    if (name == "MAC")
        return isMac(value);
    // The tool limits a device name to 15 GBK bytes; so does the module.
    if (name == "NAME")
        return value.size() <= 15 && !value.contains('\r') && !value.contains('\n');
    return false;
}

} // namespace simparams

namespace {

// Leading decimal digits of a relay time; bounded so it cannot overflow.
quint32 timeValue(QByteArrayView text) {
    quint32 value = 0;
    for (qsizetype i = 0; i < text.size() && i < 9 && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + quint32(text[i] - '0');
    return value;
}

QByteArray peerOf(const sockaddr_in &address) {
    return QByteArray(reinterpret_cast<const char *>(&address), sizeof address);
}

bool toSockaddr(const QByteArray &ip, const QByteArray &port, sockaddr_in &out) {
    out = {};
    out.sin_family = AF_INET;
    bool ok = true;
    const uint number = port.isEmpty() ? 0 : port.toUInt(&ok);
    out.sin_port = htons(quint16(number));
    return ok && number <= 65535 && inet_pton(AF_INET, ip.constData(), &out.sin_addr) == 1;
}

const QByteArray ErrorReply = QByteArrayLiteral("ERROR\r\n");

} // namespace

SimModule::SimModule(SimModuleSetup setup, int tickMs, int gapMs, QObject *parent)
    : QObject(parent)
    , m_setup(std::move(setup))
    , m_parameters(m_setup.parameters)
    , m_gapMs(gapMs) {
    m_tickTimer.setInterval(tickMs);
    connect(&m_tickTimer, &QTimer::timeout, this, &SimModule::tick);
    m_reconnectTimer.setInterval(1000);
    m_reconnectTimer.setSingleShot(true);
    connect(&m_reconnectTimer, &QTimer::timeout, this, &SimModule::connectClient);
}

SimModule::~SimModule() {
    stopWork();
}

QList<QByteArray> SimModule::answerConfig(const QByteArray &text) {
    using Kind = atframe::Command::Kind;
    const atframe::Command command = atframe::parseCommand(text);
    switch (command.kind) {
    case Kind::Handshake:
        return {"OK\r\n"};
    case Kind::FactoryDefault:
        restoreFactory();
        return {"OK\r\n"};
    case Kind::Query: {
        if (!m_parameters.contains(command.name))
            return {ErrorReply};
        QByteArray value = m_parameters.value(command.name);
        if (m_setup.faults.longValues)
            value.append(QByteArray(64, 'X'));
        return {atframe::report("+" + command.name, value)};
    }
    case Kind::Set:
        if (!setParameter(command.name, command.value))
            return {ErrorReply};
        return {"OK\r\n"};
    case Kind::Unknown:
        break;
    }
    return {ErrorReply};
}

bool SimModule::workParametersChanged(const QByteArray &name) const {
    return name == "MODEL" || name == "PORT" || name == "DIP" || name == "DPORT";
}

bool SimModule::setParameter(const QByteArray &name, const QByteArray &value) {
    if (!simparams::acceptable(name, value))
        return false;
    const bool changed = m_parameters.value(name) != value;
    m_parameters.insert(name, value);
    if (changed && m_working && workParametersChanged(name))
        startWork();
    return true;
}

void SimModule::restoreFactory() {
    const bool restart = m_working && m_parameters != m_setup.parameters;
    m_parameters = m_setup.parameters;
    if (restart)
        startWork();
}

void SimModule::setFactoryParameter(const QByteArray &name, const QByteArray &value) {
    m_setup.parameters.insert(name, value);
}

void SimModule::setRelay(int n, bool on, quint32 time) {
    for (int i = n == 0 ? 1 : n; i <= (n == 0 ? relaycodec::RelayCount : n); ++i)
        m_relays[i - 1] = Relay{on, time};
    if (time > 0 && !m_tickTimer.isActive())
        m_tickTimer.start();
}

void SimModule::setInput(int n, bool on) {
    for (int i = n == 0 ? 1 : n; i <= (n == 0 ? relaycodec::InputCount : n); ++i)
        m_inputs[i - 1] = on;
}

void SimModule::tick() {
    bool running = false;
    for (Relay &relay : m_relays) {
        if (relay.remaining == 0)
            continue;
        if (--relay.remaining == 0)
            relay.on = !relay.on;
        else
            running = true;
    }
    if (!running)
        m_tickTimer.stop();
}

QByteArray SimModule::relayLine(int n) const {
    const Relay &relay = m_relays.at(n - 1);
    return relaycodec::relayReply(n, relay.on, QByteArray::number(relay.remaining));
}

QList<QByteArray> SimModule::answerWork(QByteArrayView line) {
    using Kind = relaycodec::Request::Kind;
    const relaycodec::Request request = relaycodec::parseRequest(line);
    const int count =
        request.kind == Kind::InputQuery ? relaycodec::InputCount : relaycodec::RelayCount;
    if (request.kind == Kind::None) {
        if (m_setup.echo && !line.isEmpty())
            return {line.toByteArray() + "\r\n"};
        return {};
    }
    if (request.number > count)
        return {ErrorReply};
    if (request.kind == Kind::RelaySet) {
        if (request.state == "1" || request.state == "0")
            setRelay(request.number, request.state == "1", timeValue(request.time));
        else if (!request.state.isEmpty())
            return {ErrorReply};
    }
    // Number 0 answers one line per relay or input, each its own arrival, so
    // a reader that looks at the first report of an arrival sees them all.
    QList<QByteArray> replies;
    const int first = request.number == 0 ? 1 : request.number;
    const int last = request.number == 0 ? count : request.number;
    for (int i = first; i <= last; ++i) {
        replies.append(request.kind == Kind::InputQuery
                           ? relaycodec::inputReply(i, m_inputs.at(i - 1))
                           : relayLine(i));
    }
    return replies;
}

// Working endpoint ----------------------------------------------------------

void SimModule::startWork() {
    stopWork();
    m_working = true;
    const int mode = m_parameters.value("MODEL").toInt();
    if (mode == 0)
        openServer();
    else if (mode == 1)
        connectClient();
    else
        openUdp();
}

void SimModule::stopWork() {
    m_working = false;
    m_listenNotifier.reset();
    m_connectNotifier.reset();
    if (m_listenFd >= 0)
        ::close(m_listenFd);
    m_listenFd = -1;
    const QList<int> fds = m_connections.keys();
    for (const int fd : fds)
        closeConnection(fd);
    // Last: closing a client connection above arms a reconnect.
    m_reconnectTimer.stop();
}

int SimModule::bindWorkSocket(int type) {
    sockaddr_in local{};
    if (!toSockaddr(m_setup.address, m_parameters.value("PORT"), local))
        return -1;
    const int fd = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int one = 1;
    if (type == SOCK_STREAM)
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0 ||
        (type == SOCK_STREAM && ::listen(fd, 16) != 0)) {
        emit problem(QStringLiteral("module %1: cannot open its working port %2: %3")
                         .arg(QLatin1String(m_setup.address),
                              QLatin1String(m_parameters.value("PORT")),
                              QString::fromLocal8Bit(std::strerror(errno))));
        ::close(fd);
        return -1;
    }
    return fd;
}

void SimModule::openServer() {
    m_listenFd = bindWorkSocket(SOCK_STREAM);
    if (m_listenFd < 0)
        return;
    m_listenNotifier = std::make_unique<QSocketNotifier>(m_listenFd, QSocketNotifier::Read);
    connect(m_listenNotifier.get(), &QSocketNotifier::activated, this, [this] {
        const int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client >= 0)
            adopt(client, true, false);
    });
}

void SimModule::openUdp() {
    if (const int fd = bindWorkSocket(SOCK_DGRAM); fd >= 0)
        adopt(fd, false, false);
}

void SimModule::connectClient() {
    sockaddr_in local{};
    sockaddr_in remote{};
    if (!toSockaddr(m_setup.address, {}, local) ||
        !toSockaddr(m_parameters.value("DIP"), m_parameters.value("DPORT"), remote))
        return;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
        ::close(fd);
        m_reconnectTimer.start();
        return;
    }
    const int result = ::connect(fd, reinterpret_cast<sockaddr *>(&remote), sizeof remote);
    if (result == 0) {
        adopt(fd, true, false);
    } else if (errno == EINPROGRESS) {
        adopt(fd, true, true);
    } else {
        ::close(fd);
        m_reconnectTimer.start();
    }
}

void SimModule::adopt(int fd, bool stream, bool connecting) {
    auto connection = std::make_shared<Connection>();
    connection->fd = fd;
    connection->stream = stream;
    if (connecting) {
        // Completion of a non-blocking connect shows as writability.
        m_connectNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
        connect(m_connectNotifier.get(), &QSocketNotifier::activated, this, [this, fd] {
            m_connectNotifier.reset();
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
            if (error != 0) {
                closeConnection(fd);
                m_reconnectTimer.start();
                return;
            }
            if (auto it = m_connections.find(fd); it != m_connections.end())
                it.value()->readable->setEnabled(true);
        });
    }
    connection->readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connection->readable->setEnabled(!connecting);
    connect(connection->readable.get(), &QSocketNotifier::activated, this,
            [this, fd] { readConnection(fd); });
    m_connections.insert(fd, connection);
}

void SimModule::closeConnection(int fd) {
    auto it = m_connections.find(fd);
    if (it == m_connections.end())
        return;
    std::shared_ptr<Connection> connection = it.value();
    m_connections.erase(it);
    connection->readable.reset();
    ::close(fd);
    connection->fd = -1;
    // A module in client mode keeps trying to reach its destination.
    if (connection->stream && m_listenFd < 0 && m_parameters.value("MODEL") == "1")
        m_reconnectTimer.start();
}

void SimModule::readConnection(int fd) {
    std::shared_ptr<Connection> connection = m_connections.value(fd);
    if (!connection)
        return;
    char buffer[2048];
    if (!connection->stream) {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n =
            ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &length);
        if (n <= 0)
            return;
        // A datagram may hold several lines; the last needs no line end.
        const QList<QByteArray> lines = QByteArray(buffer, n).split('\n');
        for (QByteArray line : lines) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (!line.isEmpty())
                sendReplies(fd, answerWork(line), peerOf(from));
        }
        return;
    }
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        closeConnection(fd);
        return;
    }
    if (n < 0)
        return;
    connection->pending.append(buffer, n);
    qsizetype end;
    while ((end = connection->pending.indexOf('\n')) >= 0) {
        QByteArray line = connection->pending.left(end);
        connection->pending.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            sendReplies(fd, answerWork(line), {});
        if (!m_connections.contains(fd))
            return;
    }
    // A peer that never ends its line cannot make the module hoard memory.
    if (connection->pending.size() > 4096)
        connection->pending.clear();
}

bool SimModule::sendTo(int fd, const QByteArray &data, const QByteArray &peer) {
    if (peer.size() == sizeof(sockaddr_in)) {
        return ::sendto(fd, data.constData(), size_t(data.size()), 0,
                        reinterpret_cast<const sockaddr *>(peer.constData()),
                        sizeof(sockaddr_in)) == data.size();
    }
    return ::send(fd, data.constData(), size_t(data.size()), MSG_NOSIGNAL) == data.size();
}

void SimModule::sendReplies(int fd, QList<QByteArray> replies, const QByteArray &peer) {
    if (replies.isEmpty())
        return;
    sendTo(fd, replies.first(), peer);
    std::weak_ptr<Connection> weak = m_connections.value(fd);
    for (qsizetype i = 1; i < replies.size(); ++i) {
        QTimer::singleShot(int(i) * m_gapMs, this, [this, weak, reply = replies.at(i), peer] {
            // The connection may have gone, and its descriptor been reused.
            if (auto connection = weak.lock(); connection && connection->fd >= 0)
                sendTo(connection->fd, reply, peer);
        });
    }
}
