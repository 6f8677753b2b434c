// Winsock under TcmSocket. WSAAsyncSelect posts every notice of a registered
// socket to a hidden window of the thread that made the component; its window
// procedure hands them to the component. Winsock already gives the notices
// their shape (FD_WRITE after connect, accept and a blocked send; FD_READ
// again only after the next recv), so this file is a thin layer; it only
// keeps notices queued for a closed handle from reaching the socket that
// reuses its value.
#ifndef _WINSOCK_DEPRECATED_NO_WARNINGS
#define _WINSOCK_DEPRECATED_NO_WARNINGS // inet_addr, inet_ntoa, gethostbyname
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif

#include "cmsocket.h"
#include "cmsocket_engine.h"
#include "systemadapters.h"

#include <QTimer>

// winsock2.h must come before windows.h.
#include <winsock2.h>

#include <mswsock.h>
#include <windows.h>
#include <ws2tcpip.h>

#include <cstring>
#include <map>
#include <set>

struct TcmSocketEngine::Private {
    TcmSocket *owner = nullptr;
    HWND window = nullptr;
    // Looked up once, with the first datagram socket that asks.
    LPFN_WSARECVMSG recvMsg = nullptr;
    // Closed handle values, each with the number of its fences still queued.
    std::map<quintptr, int> fences;
    // Sockets whose data the owner left unread, to be offered again.
    std::set<int> declined;
};

namespace {

thread_local int t_lastError = 0;

int failWsa() {
    t_lastError = WSAGetLastError();
    return -1;
}

int checked(int result) {
    return result == SOCKET_ERROR ? failWsa() : result;
}

// FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE and the two
// quality-of-service bits.
constexpr long kAllEvents = 255;

// How long data the owner left unread waits before it is offered again.
constexpr int kReadRetryMs = 200;

// Posted when a handle is closed. Notices Winsock queued for it before the
// close are still ahead in the queue, and the system soon gives the same
// value to a new socket, whose notices can only come after the fence: every
// notice for the value that arrives while a fence for it is queued belongs to
// the closed socket and is dropped (the POSIX twin tells them apart by a
// serial per registration).
constexpr UINT kFenceMessage = cmNotifyMessage + 1;

const wchar_t kWindowClass[] = L"TcmSocketNotify";

LRESULT CALLBACK notifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto *d =
        reinterpret_cast<TcmSocketEngine::Private *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (d && message == kFenceMessage) {
        const auto fence = d->fences.find(quintptr(wParam));
        if (fence != d->fences.end() && --fence->second == 0)
            d->fences.erase(fence);
        return 0;
    }
    if (d && message == cmNotifyMessage && d->fences.count(quintptr(wParam)) != 0)
        return 0;
    if (d &&
        (message == cmNotifyMessage || message == cmQueryEndSession || message == cmEndSession))
        return LRESULT(d->owner->OnSocketMessage(message, quintptr(wParam), qintptr(lParam)));
    // Creation and the other housekeeping messages need the default handling.
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerWindowClass() {
    static const ATOM atom = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = notifyProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassW(&windowClass);
    }();
    return atom != 0;
}

SOCKET handle(int s) {
    return static_cast<SOCKET>(s);
}

bool isDatagram(SOCKET s) {
    int type = 0;
    int len = int(sizeof type);
    return getsockopt(s, SOL_SOCKET, SO_TYPE, reinterpret_cast<char *>(&type), &len) == 0 &&
           type == SOCK_DGRAM;
}

LPFN_WSARECVMSG lookUpRecvMsg(SOCKET s) {
    GUID id = WSAID_WSARECVMSG;
    LPFN_WSARECVMSG function = nullptr;
    DWORD size = 0;
    if (WSAIoctl(s, SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &function, sizeof function,
                 &size, nullptr, nullptr) == SOCKET_ERROR)
        return nullptr;
    return function;
}

} // namespace

namespace cmsys {

int lastError() {
    return t_lastError;
}

bool startup() {
    WSADATA data;
    const int result = WSAStartup(MAKEWORD(2, 2), &data);
    if (result != 0) {
        // WSAGetLastError is not available before a successful start.
        t_lastError = result;
        return false;
    }
    return true;
}

void cleanup() {
    WSACleanup();
}

quint32 inetAddr(const char *text) {
    return text ? quint32(inet_addr(text)) : quint32(INADDR_NONE);
}

QByteArray inetNtoa(quint32 ip) {
    in_addr address;
    address.s_addr = ip;
    const char *text = inet_ntoa(address);
    return text ? QByteArray(text) : QByteArray();
}

QByteArray hostName() {
    char name[32] = {};
    if (gethostname(name, int(sizeof name)) == SOCKET_ERROR)
        return {};
    name[sizeof name - 1] = 0;
    return QByteArray(name);
}

bool resolveFirst(const char *host, quint32 *ip) {
    if (!host)
        return false;
    const hostent *entry = gethostbyname(host);
    if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list ||
        !entry->h_addr_list[0])
        return false;
    std::memcpy(ip, entry->h_addr_list[0], 4);
    return true;
}

} // namespace cmsys

TcmSocketEngine::TcmSocketEngine(TcmSocket *owner)
    : d(std::make_unique<Private>()) {
    d->owner = owner;
    if (!registerWindowClass())
        return;
    // A top-level (not message-only) window, so that the end-of-session
    // messages reach it too.
    d->window = CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (d->window)
        SetWindowLongPtrW(d->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(d.get()));
}

TcmSocketEngine::~TcmSocketEngine() {
    if (d->window) {
        SetWindowLongPtrW(d->window, GWLP_USERDATA, 0);
        DestroyWindow(d->window);
    }
}

bool TcmSocketEngine::isLive() const {
    return d->window && IsWindow(d->window);
}

int TcmSocketEngine::socket(int type, int protocol) {
    const SOCKET s = ::socket(AF_INET, type, protocol);
    if (s == INVALID_SOCKET)
        return failWsa();
    // Room for the answers of a whole segment to one search (see the POSIX twin).
    if (type == SOCK_DGRAM) {
        const int size = DatagramReceiveBuffer;
        ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char *>(&size), sizeof size);
        // Every datagram says which adapter it came in by.
        const DWORD on = TRUE;
        ::setsockopt(s, IPPROTO_IP, IP_PKTINFO, reinterpret_cast<const char *>(&on), sizeof on);
    }
    return int(s);
}

int TcmSocketEngine::select(int s) {
    return checked(WSAAsyncSelect(handle(s), d->window, cmNotifyMessage, kAllEvents));
}

void TcmSocketEngine::deselect(int s) {
    d->declined.erase(s);
    if (d->window)
        WSAAsyncSelect(handle(s), d->window, 0, 0);
}

int TcmSocketEngine::close(int s) {
    d->declined.erase(s);
    const int result = checked(closesocket(handle(s)));
    // A fence that cannot be posted would hold the value for good; without
    // one, a stale notice may slip through as before.
    if (d->window && PostMessageW(d->window, kFenceMessage, WPARAM(s), 0))
        ++d->fences[quintptr(s)];
    return result;
}

int TcmSocketEngine::bind(int s, const sockaddr_in &address) {
    return checked(
        ::bind(handle(s), reinterpret_cast<const sockaddr *>(&address), int(sizeof address)));
}

int TcmSocketEngine::connect(int s, const sockaddr_in &address) {
    return checked(
        ::connect(handle(s), reinterpret_cast<const sockaddr *>(&address), int(sizeof address)));
}

int TcmSocketEngine::listen(int s, int backlog) {
    return checked(::listen(handle(s), backlog));
}

int TcmSocketEngine::accept(int s, sockaddr_in *peer) {
    // The accepted socket inherits the listening socket's registration.
    int len = int(sizeof(sockaddr_in));
    const SOCKET a = ::accept(handle(s), reinterpret_cast<sockaddr *>(peer), peer ? &len : nullptr);
    return a == INVALID_SOCKET ? failWsa() : int(a);
}

int TcmSocketEngine::send(int s, const char *data, int len) {
    return checked(::send(handle(s), data, len, 0));
}

int TcmSocketEngine::sendto(int s, const char *data, int len, const sockaddr_in &to, int adapter,
                            quint32 source) {
    if (adapter == 0)
        return checked(::sendto(handle(s), data, len, 0, reinterpret_cast<const sockaddr *>(&to),
                                int(sizeof to)));
    // Sent from the adapter's own address, which is what takes a limited
    // broadcast out of that adapter here.
    const QList<NetworkAdapter> adapters = SystemAdapters().adapters();
    const NetworkAdapter *via = adapterByIndex(adapters, adapter);
    if (!via || (source != 0 && !adapterByAddress(adapters, source))) {
        t_lastError = WSAEADDRNOTAVAIL;
        return -1;
    }
    IN_PKTINFO info{};
    info.ipi_addr.s_addr = source != 0 ? source : via->address;
    info.ipi_ifindex = UINT(adapter);
    alignas(WSACMSGHDR) char control[WSA_CMSG_SPACE(sizeof info)] = {};
    WSABUF part{ULONG(len), const_cast<char *>(data)};
    WSAMSG message{};
    message.name = reinterpret_cast<sockaddr *>(const_cast<sockaddr_in *>(&to));
    message.namelen = int(sizeof to);
    message.lpBuffers = &part;
    message.dwBufferCount = 1;
    message.Control = {ULONG(sizeof control), control};
    WSACMSGHDR *c = WSA_CMSG_FIRSTHDR(&message);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = WSA_CMSG_LEN(sizeof info);
    std::memcpy(WSA_CMSG_DATA(c), &info, sizeof info);
    // The socket is also pinned to the adapter for this one datagram
    // (IP_UNICAST_IF, the index in network byte order; 0 lifts it): Windows
    // honours the control message alone, but Wine 8.0's WSASendMsg ignores
    // it and the datagram would leave by the routing table's choice, while
    // Wine does carry out this documented option.
    const auto pin = [s](DWORD index) {
        const DWORD value = htonl(index);
        return setsockopt(handle(s), IPPROTO_IP, IP_UNICAST_IF,
                          reinterpret_cast<const char *>(&value), int(sizeof value));
    };
    if (pin(DWORD(adapter)) == SOCKET_ERROR)
        return failWsa();
    DWORD sent = 0;
    const int result = WSASendMsg(handle(s), &message, 0, &sent, nullptr, nullptr);
    const int error = WSAGetLastError();
    pin(0);
    if (result == SOCKET_ERROR) {
        t_lastError = error;
        return -1;
    }
    return int(sent);
}

int TcmSocketEngine::recv(int s, char *buf, int size) {
    return checked(::recv(handle(s), buf, size, 0));
}

int TcmSocketEngine::recvfrom(int s, char *buf, int size, sockaddr_in *from, int *adapter,
                              quint32 *destination) {
    if (adapter)
        *adapter = 0;
    if (destination)
        *destination = 0;
    const bool datagram = isDatagram(handle(s));
    if (datagram && !d->recvMsg)
        d->recvMsg = lookUpRecvMsg(handle(s));
    if (!datagram || !d->recvMsg) {
        // A datagram larger than the buffer fails here with WSAEMSGSIZE and
        // is dropped by Winsock.
        int len = int(sizeof(sockaddr_in));
        return checked(::recvfrom(handle(s), buf, size, 0, reinterpret_cast<sockaddr *>(from),
                                  from ? &len : nullptr));
    }
    sockaddr_in address{};
    alignas(WSACMSGHDR) char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))] = {};
    WSABUF part{ULONG(size), buf};
    WSAMSG message{};
    message.name = reinterpret_cast<sockaddr *>(&address);
    message.namelen = int(sizeof address);
    message.lpBuffers = &part;
    message.dwBufferCount = 1;
    message.Control = {ULONG(sizeof control), control};
    DWORD received = 0;
    if (d->recvMsg(handle(s), &message, &received, nullptr, nullptr) == SOCKET_ERROR)
        return failWsa();
    if (message.dwFlags & MSG_TRUNC) {
        t_lastError = cmMessageTooLong;
        return -1;
    }
    for (WSACMSGHDR *c = WSA_CMSG_FIRSTHDR(&message); c; c = WSA_CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            IN_PKTINFO info;
            std::memcpy(&info, WSA_CMSG_DATA(c), sizeof info);
            if (adapter)
                *adapter = int(info.ipi_ifindex);
            if (destination)
                *destination = info.ipi_addr.s_addr;
        }
    }
    if (from)
        *from = address;
    return int(received);
}

int TcmSocketEngine::getpeername(int s, sockaddr_in *peer) {
    int len = int(sizeof *peer);
    return checked(::getpeername(handle(s), reinterpret_cast<sockaddr *>(peer), &len));
}

int TcmSocketEngine::getsockname(int s, sockaddr_in *local) {
    int len = int(sizeof *local);
    return checked(::getsockname(handle(s), reinterpret_cast<sockaddr *>(local), &len));
}

int TcmSocketEngine::setBroadcast(int s) {
    const BOOL on = TRUE;
    return checked(setsockopt(handle(s), SOL_SOCKET, SO_BROADCAST,
                              reinterpret_cast<const char *>(&on), int(sizeof on)));
}

int TcmSocketEngine::setNonBlocking(int s) {
    u_long on = 1;
    return checked(ioctlsocket(handle(s), FIONBIO, &on));
}

void TcmSocketEngine::readDeclined(int s) {
    // Winsock posts FD_READ again only after the next recv, so data left
    // unread would wait for the next datagram. Registering anew posts
    // FD_READ at once when data is waiting (documented for WSAAsyncSelect);
    // it is done a little later, as the POSIX twin offers it again. It also
    // posts FD_WRITE for a writable socket, which the owner takes as it
    // takes every repeated FD_WRITE.
    if (!d->declined.insert(s).second)
        return;
    QTimer::singleShot(kReadRetryMs, this, [this, s] {
        if (d->declined.erase(s) != 0 && d->window)
            WSAAsyncSelect(handle(s), d->window, cmNotifyMessage, kAllEvents);
    });
}
