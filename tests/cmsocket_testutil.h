#pragma once

// Shared by the socket tests: an event recorder for TcmSocket and small
// blocking BSD-socket peers (the peers live in the test, never in the
// component under test).

#include "cmsocket.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QTest>

#ifdef _WIN32
#include <winsock2.h>

#include <windows.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace cmtest {

#ifdef _WIN32
using socklen_t = int;
// Handles are not inherited unless asked, and a send to a closed peer
// raises no signal.
inline constexpr int SOCK_CLOEXEC = 0;
inline constexpr int MSG_NOSIGNAL = 0;
// The test's own peers may open before any component started Winsock.
inline const bool kWinsockStarted = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}();
inline void closeSocket(int fd) {
    ::closesocket(SOCKET(fd));
}
inline void setNonBlocking(int fd) {
    u_long on = 1;
    ::ioctlsocket(SOCKET(fd), FIONBIO, &on);
}
inline constexpr int kDontWait = 0; // the socket is made non-blocking instead
#else
inline void closeSocket(int fd) {
    ::close(fd);
}
inline void setNonBlocking(int) {}
inline constexpr int kDontWait = MSG_DONTWAIT;
#endif

// Whether a handle still names an open socket.
inline bool socketOpen(int fd) {
    int type = 0;
    socklen_t len = sizeof type;
    return ::getsockopt(fd, SOL_SOCKET, SO_TYPE, reinterpret_cast<char *>(&type), &len) == 0;
}

inline quint32 ipOf(int a, int b, int c, int d) {
    return quint32(a) | quint32(b) << 8 | quint32(c) << 16 | quint32(d) << 24;
}

inline const quint32 kLoopback = ipOf(127, 0, 0, 1);

struct Received {
    int socket = -1;
    quint16 port = 0;
    quint32 ip = 0;
    QByteArray data;
    bool terminated = false; // the byte after the data was 0
    int adapter = 0;         // the interface index it arrived on
};

// Every event of one component, in order, as readable lines
// ("error 0 Message:FD_CONNECT", "active 1", "accept", "discard", "receive").
class Recorder {
public:
    explicit Recorder(TcmSocket &socket) {
        socket.OnError = [this](TcmSocket *, int code, const QByteArray &text) {
            lines.append("error " + QByteArray::number(code) + ' ' + text);
        };
        socket.OnActiveChanged = [this](TcmSocket *sender) {
            lines.append("active " + QByteArray::number(sender->Active()));
        };
        socket.OnAccept = [this](TcmSocket *, int s, quint32 ip, quint16 port) {
            lines.append("accept");
            accepted.append({s, port, ip, {}, false});
        };
        socket.OnDiscard = [this](TcmSocket *, int s, quint32 ip, quint16 port) {
            lines.append("discard");
            discarded.append({s, port, ip, {}, false});
        };
        socket.OnReceive = [this](TcmSocket *sender, int s, quint16 port, quint32 ip,
                                  const char *buf, int len) {
            lines.append("receive");
            received.append(
                {s, port, ip, QByteArray(buf, len), buf[len] == 0, sender->LastArrivalAdapter()});
            pointers.append(buf);
        };
    }

    QList<QByteArray> lines;
    QList<Received> accepted;
    QList<Received> discarded;
    QList<Received> received;
    QList<const char *> pointers;
};

// How many descriptors the process holds: sockets a component should have
// closed show here.
inline int openDescriptors() {
#ifdef _WIN32
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return int(count);
#else
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
#endif
}

// A descriptor that closes itself.
class Fd {
public:
    explicit Fd(int fd = -1)
        : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1) {
        if (m_fd >= 0)
            closeSocket(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

inline sockaddr_in addressOf(quint32 ip, quint16 port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = ip;
    a.sin_port = htons(port);
    return a;
}

inline quint16 localPortOf(int fd) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    return ntohs(a.sin_port);
}

// A socket of the given type bound to ip:port (port 0 = any free port).
inline int boundSocket(int type, quint32 ip, quint16 port = 0, bool reuse = false) {
    const int fd = int(::socket(AF_INET, type | SOCK_CLOEXEC, 0));
    const int on = 1;
    const char *option = reinterpret_cast<const char *>(&on);
    if (reuse)
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, option, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, option, sizeof on);
    const sockaddr_in a = addressOf(ip, port);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&a), sizeof a) != 0) {
        closeSocket(fd);
        return -1;
    }
    return fd;
}

inline bool sendDatagram(int fd, quint32 ip, quint16 port, const QByteArray &data) {
    const sockaddr_in to = addressOf(ip, port);
    return ::sendto(fd, data.constData(), size_t(data.size()), 0,
                    reinterpret_cast<const sockaddr *>(&to), sizeof to) == data.size();
}

// Waits (without blocking the event loop) for one datagram on a test socket.
inline QByteArray receiveDatagram(int fd, quint32 *from = nullptr, int timeoutMs = 5000) {
    char buf[2048];
    QByteArray result;
    setNonBlocking(fd);
    (void)QTest::qWaitFor(
        [&] {
            sockaddr_in a{};
            socklen_t len = sizeof a;
            const auto n =
                ::recvfrom(fd, buf, sizeof buf, kDontWait, reinterpret_cast<sockaddr *>(&a), &len);
            if (n < 0)
                return false;
            result = QByteArray(buf, int(n));
            if (from)
                *from = a.sin_addr.s_addr;
            return true;
        },
        timeoutMs);
    return result;
}

} // namespace cmtest
