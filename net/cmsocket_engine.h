#pragma once

// The platform side of TcmSocket: every call on a socket handle and the
// notification channel live behind this one interface, implemented once per
// system (cmsocket_posix.cpp, cmsocket_win.cpp). The component's own logic in
// cmsocket.cpp never calls the platform directly.
//
// Every failing call leaves its Windows Sockets error number for
// cmsys::lastError(), like WSAGetLastError(), so a single error table serves
// every platform. Notices reach the owner as
// TcmSocket::OnSocketMessage(cmNotifyMessage, socket, lParam) on the thread
// that created the engine, with the event in the low 16 bits of lParam and an
// error number, if any, in the high 16 bits.

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#else
#include <netinet/in.h>
#endif

#include <QByteArray>
#include <QObject>

#include <memory>

class TcmSocket;

inline constexpr unsigned cmNotifyMessage = 1035; // WM_USER + 11
inline constexpr unsigned cmQueryEndSession = 17;
inline constexpr unsigned cmEndSession = 22;

enum TcmNotice : int {
    FD_READ_NOTICE = 1,
    FD_WRITE_NOTICE = 2,
    FD_OOB_NOTICE = 4,
    FD_ACCEPT_NOTICE = 8,
    FD_CONNECT_NOTICE = 16,
    FD_CLOSE_NOTICE = 32,
};

// Windows Sockets error numbers the logic itself refers to.
inline constexpr int cmWouldBlock = 10035;
inline constexpr int cmMessageTooLong = 10040;

// Receive queue asked for on datagram sockets: a search is answered by up to
// 256 modules within a few milliseconds.
inline constexpr int DatagramReceiveBuffer = 1 << 20;

namespace cmsys {

int lastError();
bool startup();
void cleanup();
// inet_addr(): 0xFFFFFFFF (INADDR_NONE) when the text is no address.
quint32 inetAddr(const char *text);
QByteArray inetNtoa(quint32 ip);
// gethostname() into a 32-byte buffer; empty on failure.
QByteArray hostName();
// First IPv4 address of a name (or dotted text); false when it does not resolve.
bool resolveFirst(const char *host, quint32 *ip);

} // namespace cmsys

class TcmSocketEngine : public QObject {
public:
    explicit TcmSocketEngine(TcmSocket *owner);
    ~TcmSocketEngine() override;

    // Whether notices can be delivered on this thread at all.
    bool isLive() const;

    int socket(int type, int protocol);
    // Registers a socket for every notice, which also makes it non-blocking.
    int select(int s);
    // Stops the notices of a socket (the registration with an empty mask).
    void deselect(int s);
    int close(int s);
    int bind(int s, const sockaddr_in &address);
    int connect(int s, const sockaddr_in &address);
    int listen(int s, int backlog);
    int accept(int s, sockaddr_in *peer);
    int send(int s, const char *data, int len);
    // adapter: the interface index a datagram must leave by; 0 lets the
    // routing table choose. source: the computer's address it leaves from;
    // 0 for the adapter's own (an address the computer no longer holds
    // fails).
    int sendto(int s, const char *data, int len, const sockaddr_in &to, int adapter,
               quint32 source = 0);
    // A datagram that does not fit is consumed and fails with 10040; nothing
    // truncated is ever returned as a whole datagram. *adapter receives the
    // interface index a datagram arrived on, *destination the address it was
    // sent to (0 when unknown).
    int recv(int s, char *buf, int size);
    int recvfrom(int s, char *buf, int size, sockaddr_in *from, int *adapter,
                 quint32 *destination = nullptr);
    int getpeername(int s, sockaddr_in *peer);
    int getsockname(int s, sockaddr_in *local);
    int setBroadcast(int s);
    int setNonBlocking(int s);
    // The owner left a readable socket unread; the notice must not repeat at
    // once, or an idle level-triggered channel would spin.
    void readDeclined(int s);

    struct Private;

private:
    std::unique_ptr<Private> d;
};
