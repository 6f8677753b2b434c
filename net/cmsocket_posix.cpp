// BSD sockets under TcmSocket. Notices come from QSocketNotifiers on the
// thread that made the component and are shaped like the edge-like notices of
// an asynchronous Windows socket: FD_WRITE once after connect, accept and
// bind, and again only after a send that would block; FD_CONNECT before the
// first FD_WRITE of a client; FD_READ while data waits; FD_CLOSE once when the
// peer ends a stream, carrying the error number of an abortive end.
#include "cmsocket.h"
#include "cmsocket_engine.h"
#include "systemadapters.h"

#include <QAbstractEventDispatcher>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>

namespace {

thread_local int t_lastError = 0;

// An error number the Windows Sockets table knows; anything else is passed
// on as it is and reads as unknown.
int mapErrno(int e) {
    if (e == EAGAIN || e == EWOULDBLOCK || e == EINPROGRESS)
        return 10035;
    if (e == EPIPE)
        return 10058;
    switch (e) {
    case EINTR:
        return 10004;
    case EBADF:
        return 10009;
    case EPERM:
    case EACCES:
        return 10013;
    case EFAULT:
        return 10014;
    case EINVAL:
        return 10022;
    case EMFILE:
    case ENFILE:
        return 10024;
    case EALREADY:
        return 10037;
    case ENOTSOCK:
        return 10038;
    case EDESTADDRREQ:
        return 10039;
    case EMSGSIZE:
        return 10040;
    case EPROTOTYPE:
        return 10041;
    case ENOPROTOOPT:
        return 10042;
    case EPROTONOSUPPORT:
        return 10043;
    case ESOCKTNOSUPPORT:
        return 10044;
    case EOPNOTSUPP:
        return 10045;
    case EPFNOSUPPORT:
        return 10046;
    case EAFNOSUPPORT:
        return 10047;
    case EADDRINUSE:
        return 10048;
    case EADDRNOTAVAIL:
        return 10049;
    case ENETDOWN:
        return 10050;
    case ENETUNREACH:
        return 10051;
    case ENETRESET:
        return 10052;
    case ECONNABORTED:
        return 10053;
    case ECONNRESET:
        return 10054;
    case ENOBUFS:
    case ENOMEM:
        return 10055;
    case EISCONN:
        return 10056;
    case ENOTCONN:
        return 10057;
    case ESHUTDOWN:
        return 10058;
    case ETOOMANYREFS:
        return 10059;
    case ETIMEDOUT:
        return 10060;
    case ECONNREFUSED:
        return 10061;
    case ELOOP:
        return 10062;
    case ENAMETOOLONG:
        return 10063;
    case EHOSTDOWN:
        return 10064;
    case EHOSTUNREACH:
        return 10065;
    default:
        return e;
    }
}

int fail(int code) {
    t_lastError = code;
    return -1;
}

int failErrno() {
    return fail(mapErrno(errno));
}

int socketType(int s) {
    int type = 0;
    socklen_t len = sizeof type;
    if (::getsockopt(s, SOL_SOCKET, SO_TYPE, &type, &len) != 0)
        return 0;
    return type;
}

// Where a received datagram was going: its arrival interface and
// destination address.
const in_pktinfo *arrivalOf(msghdr &message) {
    for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO &&
            c->cmsg_len >= CMSG_LEN(sizeof(in_pktinfo)))
            return reinterpret_cast<const in_pktinfo *>(CMSG_DATA(c));
    }
    return nullptr;
}

constexpr int kReadRetryMs = 200;

} // namespace

namespace cmsys {

int lastError() {
    return t_lastError;
}

bool startup() {
    return true;
}

void cleanup() {}

quint32 inetAddr(const char *text) {
    return text ? ::inet_addr(text) : INADDR_NONE;
}

QByteArray inetNtoa(quint32 ip) {
    in_addr address{};
    address.s_addr = ip;
    char text[INET_ADDRSTRLEN] = {};
    if (!::inet_ntop(AF_INET, &address, text, sizeof text))
        return {};
    return QByteArray(text);
}

QByteArray hostName() {
    char name[32] = {};
    if (::gethostname(name, sizeof name) != 0)
        return {};
    name[sizeof name - 1] = 0;
    return QByteArray(name);
}

bool resolveFirst(const char *host, quint32 *ip) {
    if (!host || !*host)
        return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo *result = nullptr;
    if (::getaddrinfo(host, nullptr, &hints, &result) != 0 || !result)
        return false;
    bool found = false;
    for (addrinfo *it = result; it; it = it->ai_next) {
        if (it->ai_family == AF_INET && it->ai_addr) {
            *ip = reinterpret_cast<const sockaddr_in *>(it->ai_addr)->sin_addr.s_addr;
            found = true;
            break;
        }
    }
    ::freeaddrinfo(result);
    return found;
}

} // namespace cmsys

struct TcmSocketEngine::Private {
    enum class Kind { Datagram, Stream, Listening };

    struct Watch {
        quint64 serial = 0;
        Kind kind = Kind::Datagram;
        bool connecting = false;
        bool stopped = false;    // FD_CLOSE or a failed connect: nothing more comes
        bool readPaused = false; // the owner declined to read; retried later
        bool readStarted = false;
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
        // A datagram socket asked to bind the address of one of the
        // computer's adapters is bound to the wildcard address instead: bound
        // to a unicast address it would hear no broadcast. It still names
        // that address as its own and sends from it, and keeps what a socket
        // bound to it would get on Windows: datagrams to the address, and
        // broadcasts on its adapter. Binding it to the adapter itself would
        // do the same, but older systems allow that to root only.
        int boundAdapter = 0; // 0: bound as asked
        in_addr_t boundAddress = 0;

        bool keeps(const in_pktinfo &arrival) const {
            return boundAdapter == 0 || arrival.ipi_addr.s_addr == boundAddress ||
                   int(arrival.ipi_ifindex) == boundAdapter;
        }
    };

    TcmSocketEngine *q = nullptr;
    TcmSocket *owner = nullptr;
    std::map<int, Watch> watches;
    quint64 nextSerial = 1;

    Watch *find(int s) {
        const auto it = watches.find(s);
        return it == watches.end() ? nullptr : &it->second;
    }

    Watch *find(int s, quint64 serial) {
        Watch *w = find(s);
        return w && w->serial == serial ? w : nullptr;
    }

    static void stop(Watch &w) {
        w.stopped = true;
        w.read->setEnabled(false);
        w.write->setEnabled(false);
    }

    void startReading(Watch &w) {
        w.readStarted = true;
        if (!w.stopped && !w.readPaused)
            w.read->setEnabled(true);
    }

    // Returns false when the engine died during the handler.
    bool deliver(int s, int lParam) {
        const QPointer<TcmSocketEngine> alive(q);
        owner->OnSocketMessage(cmNotifyMessage, quintptr(s), lParam);
        return !alive.isNull();
    }

    void onReadable(int s, quint64 serial) {
        Watch *w = find(s, serial);
        if (!w || w->stopped)
            return;
        switch (w->kind) {
        case Kind::Listening:
            deliver(s, FD_ACCEPT_NOTICE);
            return;
        case Kind::Datagram:
            deliver(s, FD_READ_NOTICE);
            return;
        case Kind::Stream:
            break;
        }
        // A readable stream either has data or has ended; only a look at the
        // queue tells which.
        char probe = 0;
        const ssize_t n = ::recv(s, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n > 0) {
            deliver(s, FD_READ_NOTICE);
            return;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        const int code = n == 0 ? 0 : mapErrno(errno);
        stop(*w);
        deliver(s, FD_CLOSE_NOTICE | (code << 16));
    }

    void onWritable(int s, quint64 serial) {
        Watch *w = find(s, serial);
        if (!w || w->stopped)
            return;
        w->write->setEnabled(false);
        if (w->kind == Kind::Stream && w->connecting) {
            w->connecting = false;
            int error = 0;
            socklen_t len = sizeof error;
            if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
                error = errno;
            if (error != 0) {
                stop(*w);
                deliver(s, FD_CONNECT_NOTICE | (mapErrno(error) << 16));
                return;
            }
            if (!deliver(s, FD_CONNECT_NOTICE) || !(w = find(s, serial)) || w->stopped)
                return;
        }
        if (!deliver(s, FD_WRITE_NOTICE) || !(w = find(s, serial)))
            return;
        // A stream reads only after its first FD_WRITE, so that a server has
        // listed the connection before its data arrives.
        if (w->kind == Kind::Stream && !w->readStarted)
            startReading(*w);
    }

    Watch &watch(int s, Kind kind) {
        Watch &w = watches[s];
        w.serial = nextSerial++;
        w.kind = kind;
        const quint64 serial = w.serial;
        w.read = new QSocketNotifier(qintptr(s), QSocketNotifier::Read, q);
        w.write = new QSocketNotifier(qintptr(s), QSocketNotifier::Write, q);
        w.read->setEnabled(false);
        w.write->setEnabled(false);
        QObject::connect(w.read, &QSocketNotifier::activated, q,
                         [this, s, serial] { onReadable(s, serial); });
        QObject::connect(w.write, &QSocketNotifier::activated, q,
                         [this, s, serial] { onWritable(s, serial); });
        return w;
    }

    void unwatch(int s) {
        const auto it = watches.find(s);
        if (it == watches.end())
            return;
        // The descriptor is closed right after this; a live notifier on it
        // would make the dispatcher poll a dead or reused number. Deleting
        // later keeps a notifier alive that may be emitting right now.
        for (QSocketNotifier *n : {it->second.read, it->second.write}) {
            n->setEnabled(false);
            n->deleteLater();
        }
        watches.erase(it);
    }

    // Level-triggered reading must not repeat a notice that nobody takes up;
    // it is offered again a little later.
    void pauseRead(int s) {
        Watch *w = find(s);
        if (!w || w->readPaused)
            return;
        w->readPaused = true;
        w->read->setEnabled(false);
        const quint64 serial = w->serial;
        QTimer::singleShot(kReadRetryMs, q, [this, s, serial] {
            if (Watch *again = find(s, serial)) {
                again->readPaused = false;
                if (again->readStarted && !again->stopped)
                    again->read->setEnabled(true);
            }
        });
    }

    // The result of a send: one that would block asks for the FD_WRITE
    // that says when to go on.
    int sent(int s, ssize_t n) {
        if (n >= 0)
            return int(n);
        const int error = errno;
        Watch *w = find(s);
        if ((error == EAGAIN || error == EWOULDBLOCK) && w && !w->stopped && !w->connecting)
            w->write->setEnabled(true);
        return fail(mapErrno(error));
    }
};

TcmSocketEngine::TcmSocketEngine(TcmSocket *owner)
    : d(std::make_unique<Private>()) {
    d->q = this;
    d->owner = owner;
}

TcmSocketEngine::~TcmSocketEngine() {
    while (!d->watches.empty())
        d->unwatch(d->watches.begin()->first);
}

bool TcmSocketEngine::isLive() const {
    return QAbstractEventDispatcher::instance(thread()) != nullptr;
}

int TcmSocketEngine::socket(int type, int protocol) {
    // Never blocking, registered or not: the thread that owns the component
    // must not wait on the network.
    const int s = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
    if (s == -1)
        return failErrno();
    // Every module on the segment answers a search at once; the default
    // receive queue holds about 200 such replies and drops the rest before
    // the GUI thread gets to read them. Best effort: the system may cap it.
    if (type == SOCK_DGRAM) {
        const int size = DatagramReceiveBuffer;
        ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        // Every datagram says which adapter it came in by.
        const int on = 1;
        ::setsockopt(s, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    }
    return s;
}

int TcmSocketEngine::select(int s) {
    if (d->find(s))
        return 0;
    const int type = socketType(s);
    if (type == 0)
        return failErrno();
    if (setNonBlocking(s) == -1)
        return -1;
    Private::Watch &w =
        d->watch(s, type == SOCK_STREAM ? Private::Kind::Stream : Private::Kind::Datagram);
    // A stream says nothing until it connects, listens or is accepted.
    if (w.kind == Private::Kind::Datagram)
        d->startReading(w);
    return 0;
}

void TcmSocketEngine::deselect(int s) {
    d->unwatch(s);
}

int TcmSocketEngine::close(int s) {
    d->unwatch(s);
    if (::close(s) != 0 && errno != EINTR)
        return failErrno();
    return 0;
}

int TcmSocketEngine::bind(int s, const sockaddr_in &address) {
    sockaddr_in local = address;
    Private::Watch *w = d->find(s);
    int adapter = 0;
    if (w && w->kind == Private::Kind::Datagram && address.sin_addr.s_addr != INADDR_ANY) {
        const QList<NetworkAdapter> adapters = SystemAdapters().adapters();
        if (const NetworkAdapter *holder = adapterByAddress(adapters, address.sin_addr.s_addr)) {
            adapter = holder->index;
            local.sin_addr.s_addr = INADDR_ANY;
        }
    }
    // A server that closed its connections first leaves them waiting out
    // TIME_WAIT on its port; Winsock lets it listen there again at once, and
    // so does this. A port another socket listens on stays refused, and a
    // port left to the system is not shared.
    if (address.sin_port != 0 && socketType(s) == SOCK_STREAM) {
        const int on = 1;
        ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    if (::bind(s, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0)
        return failErrno();
    if (w) {
        w->boundAdapter = adapter;
        w->boundAddress = address.sin_addr.s_addr;
        if (w->kind == Private::Kind::Datagram)
            w->write->setEnabled(true);
    }
    return 0;
}

int TcmSocketEngine::connect(int s, const sockaddr_in &address) {
    const int result = ::connect(s, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    const int error = errno;
    Private::Watch *w = d->find(s);
    if (w && w->kind == Private::Kind::Stream && (result == 0 || error == EINPROGRESS)) {
        w->connecting = true;
        w->write->setEnabled(true);
    }
    return result == 0 ? 0 : fail(mapErrno(error));
}

int TcmSocketEngine::listen(int s, int backlog) {
    if (::listen(s, backlog) != 0)
        return failErrno();
    if (Private::Watch *w = d->find(s)) {
        w->kind = Private::Kind::Listening;
        d->startReading(*w);
    }
    return 0;
}

int TcmSocketEngine::accept(int s, sockaddr_in *peer) {
    sockaddr_in address{};
    socklen_t len = sizeof address;
    const int a =
        ::accept4(s, reinterpret_cast<sockaddr *>(&address), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (a == -1) {
        const int code = mapErrno(errno);
        // Out of descriptors, say: the pending connection stays queued and
        // would be announced again at once.
        if (code != 10035)
            d->pauseRead(s);
        return fail(code);
    }
    if (peer)
        *peer = address;
    // An accepted socket inherits the listening socket's registration and
    // announces itself with FD_WRITE.
    if (d->find(s))
        d->watch(a, Private::Kind::Stream).write->setEnabled(true);
    return a;
}

int TcmSocketEngine::send(int s, const char *data, int len) {
    return d->sent(s, ::send(s, data, size_t(len), MSG_NOSIGNAL));
}

int TcmSocketEngine::sendto(int s, const char *data, int len, const sockaddr_in &to, int adapter,
                            quint32 source) {
    // An address-bound socket sends from its address, and a limited
    // broadcast from a given address leaves by the adapter that holds it.
    const Private::Watch *w = d->find(s);
    in_pktinfo via{};
    via.ipi_ifindex = adapter;
    if (source != 0)
        via.ipi_spec_dst.s_addr = source;
    else if (w && w->boundAdapter != 0 && (adapter == 0 || adapter == w->boundAdapter))
        via.ipi_spec_dst.s_addr = w->boundAddress;
    // Without a source the system takes the address of the adapter.
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof via)] = {};
    iovec part{const_cast<char *>(data), size_t(len)};
    msghdr message{};
    message.msg_name = const_cast<sockaddr_in *>(&to);
    message.msg_namelen = sizeof to;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    if (via.ipi_ifindex != 0 || via.ipi_spec_dst.s_addr != 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr *c = CMSG_FIRSTHDR(&message);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof via);
        std::memcpy(CMSG_DATA(c), &via, sizeof via);
    }
    const ssize_t n = ::sendmsg(s, &message, MSG_NOSIGNAL);
    // A source the computer no longer holds (its adapter lost the address)
    // is refused as an invalid argument; Windows names it for what it is.
    if (n < 0 && errno == EINVAL && via.ipi_spec_dst.s_addr != 0)
        return fail(10049);
    return d->sent(s, n);
}

int TcmSocketEngine::recv(int s, char *buf, int size) {
    return recvfrom(s, buf, size, nullptr, nullptr);
}

int TcmSocketEngine::recvfrom(int s, char *buf, int size, sockaddr_in *from, int *adapter,
                              quint32 *destination) {
    sockaddr_in address{};
    iovec part{buf, size_t(size)};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr message{};
    message.msg_name = &address;
    message.msg_namelen = sizeof address;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(s, &message, MSG_DONTWAIT);
    if (n < 0) {
        const int error = errno;
        // A datagram socket learns of an unreachable port from ICMP; Windows
        // names that a reset.
        if (error == ECONNREFUSED && socketType(s) != SOCK_STREAM)
            return fail(10054);
        return fail(mapErrno(error));
    }
    const in_pktinfo *arrival = arrivalOf(message);
    const Private::Watch *w = d->find(s);
    // Not for this socket: read as nothing, like an empty datagram, which
    // is no failure either.
    if (arrival && w && !w->keeps(*arrival))
        return 0;
    if (message.msg_flags & MSG_TRUNC)
        return fail(cmMessageTooLong);
    if (from && message.msg_namelen >= sizeof address)
        *from = address;
    if (adapter)
        *adapter = arrival ? int(arrival->ipi_ifindex) : 0;
    // The header's destination: which of the computer's addresses a reply
    // was meant for, whichever adapter the system took it in by.
    if (destination)
        *destination = arrival ? arrival->ipi_addr.s_addr : 0;
    return int(n);
}

int TcmSocketEngine::getpeername(int s, sockaddr_in *peer) {
    socklen_t len = sizeof *peer;
    if (::getpeername(s, reinterpret_cast<sockaddr *>(peer), &len) != 0)
        return failErrno();
    return 0;
}

int TcmSocketEngine::getsockname(int s, sockaddr_in *local) {
    socklen_t len = sizeof *local;
    if (::getsockname(s, reinterpret_cast<sockaddr *>(local), &len) != 0)
        return failErrno();
    const Private::Watch *w = d->find(s);
    if (w && w->boundAdapter != 0 && local->sin_addr.s_addr == INADDR_ANY)
        local->sin_addr.s_addr = w->boundAddress;
    return 0;
}

int TcmSocketEngine::setBroadcast(int s) {
    const int on = 1;
    return ::setsockopt(s, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) == 0 ? 0 : failErrno();
}

int TcmSocketEngine::setNonBlocking(int s) {
    const int flags = ::fcntl(s, F_GETFL);
    if (flags == -1 || ::fcntl(s, F_SETFL, flags | O_NONBLOCK) == -1)
        return failErrno();
    return 0;
}

void TcmSocketEngine::readDeclined(int s) {
    d->pauseRead(s);
}
