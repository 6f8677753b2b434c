#pragma once

// TcmSocket: one asynchronous IPv4 socket whose notifications (readable,
// writable, connection pending, connected, closed) are turned into events on
// the thread that created it. It never blocks and owns no thread.
//
// Error codes are Windows Sockets numbers on every platform (10035 would
// block, 10048 address in use, 10061 refused ...), so one error table serves
// everywhere. Addresses are 32-bit values in network byte order (first dotted
// octet in the lowest byte); ports are in host byte order.
//
// Notices need a running event loop on the creating thread. Handlers may run
// a modal loop; further notices (and a nested OnReceive reusing the receive
// buffer) are dispatched inside it. While the component is being destroyed no
// handler runs any more.
//
// A UDP socket opened on the computer's own address also hears broadcasts
// sent to its port on that address's adapter (and nothing that arrives on
// another adapter but for that address), and its own broadcasts come back to
// it, on every platform; LocalHost names that address after opening. Opened
// on "0.0.0.0" it hears every adapter; LastArrivalAdapter() tells which one a
// datagram came in by, and SendVia() picks the one a datagram leaves by.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>

struct sockaddr_in;
class TcmSocketEngine;

enum TcmSocketProtocol { cmICMP = 0, cmIGMP, cmUDP, cmRawIP, cmTcpServer, cmTcpClient };
enum TcmCastMode { cmUnicast = 0, cmBroadcast = 1 };

// One accepted TCP connection of the server mode.
struct cm_Connection {
    int socket = -1;
    quint32 IP = 0;
    quint16 port = 0;
};

class TcmSocket : public QObject {
    Q_OBJECT

public:
    using TcmSocketErrorEvent =
        std::function<void(TcmSocket *sender, int ErroCode, const QByteArray &ErrorMsg)>;
    // pBuf points at the new bytes, followed by a zero byte; it stays valid
    // only until the next read, so a handler that runs a modal loop must copy
    // it first.
    using TcmSocketReceiveEvent =
        std::function<void(TcmSocket *Sender, int PeerSocket, quint16 PeerPort, quint32 PeerIP,
                           const char *pBuf, int DataLen)>;
    using TcmSocketConnectionEvent =
        std::function<void(TcmSocket *sender, int socket, quint32 IP, quint16 Port)>;
    using TcmSocketNotifyEvent = std::function<void(TcmSocket *Sender)>;

    explicit TcmSocket(QObject *owner = nullptr);
    ~TcmSocket() override;

    // Events; an unset event is skipped.
    TcmSocketErrorEvent OnError;
    TcmSocketReceiveEvent OnReceive;
    TcmSocketConnectionEvent OnAccept;
    TcmSocketNotifyEvent OnActiveChanged;
    TcmSocketConnectionEvent OnDiscard;

    // Properties.
    TcmSocketProtocol Protocol = cmUDP;
    bool RelayDump = false;
    int RemotePort = 0;
    QString RemoteHost;
    int LocalPort = 0;
    QString LocalHost = QStringLiteral("0");
    // Bytes one read notice takes at most. A fast stream peer fills every read,
    // and reading until it pauses would hold the thread for as long as it
    // keeps sending; past this much the rest waits for the next notice, which
    // comes because the data is still queued.
    int ReadBudget = 1024 * 1024;
    // Bytes that may wait on one stream connection for a peer that reads
    // slowly.
    qsizetype MaxQueuedBytes = 16 * 1024 * 1024;

    int Socket() const { return m_socket; }
    int BufOffset() const { return m_bufOffset; }
    int MaxBufSize() const { return m_maxBufSize; }
    bool Active() const { return m_active; }
    bool Bound() const { return m_bound; }
    // The interface index the datagram being handed to OnReceive arrived on
    // (0 for streams, or when the system does not say).
    int LastArrivalAdapter() const { return m_lastArrivalAdapter; }
    // The address that datagram was sent to (0 when the system does not say).
    quint32 LastArrivalAddress() const { return m_lastArrivalAddress; }
    // The server's accepted connections, in order of registration.
    const QList<cm_Connection> &Connections() const { return m_connections; }

    void SetActive(bool value);
    void SetBufferSize(int size);

    // Socket operations. Virtual where a test stands in for the network.
    int Create(TcmSocketProtocol protocol);
    virtual void Open();
    virtual void Close();
    bool Bind(const QString &host, unsigned port);
    bool Connect(const QString &host, unsigned port);
    void DeclareConnect(bool connected);
    int Accept();
    bool Listen(int backlog);
    // A length of 0 or less sends the zero-terminated text up to its end.
    virtual bool SendTo(quint32 ip, quint16 port, const char *data, int len);
    // A datagram out of the adapter with that interface index (0: as
    // routed); a limited broadcast leaves through that adapter only, from
    // its own address, or from source when that is given. No privilege is
    // needed.
    bool SendVia(int adapter, quint32 ip, quint16 port, const char *data, int len,
                 quint32 source = 0);
    virtual bool SendTo(const QString &host, quint16 port, const char *data, int len);
    // On a stream, what the system does not take at once waits for the
    // connection to drain and goes out in order; true then means taken, not
    // yet delivered. A text that would leave more than MaxQueuedBytes waiting
    // on one connection is refused whole and reported (10055).
    virtual bool SendTo(int socket, const char *data, int len);
    bool Send(const char *data, int len) { return SendTo(m_socket, data, len); }
    int Receive(char *buf, int size, int socket, struct sockaddr_in *from);

    void reg_connections(long socket, bool add);

    // Errors and address helpers.
    static bool wsa_startup();
    static bool isValidIP(const char *text);
    static quint32 IP_UnicastToBroadcast(quint32 ip);
    static quint32 get_ip_data(const QString &host, TcmCastMode mode);
    static QString BroadcastIP(const QString &host);
    static QString HostName();
    static QString HostIP(quint32 ip);
    int ErrorCheck(int result, const char *text);
    void ShowError(const QByteArray &text, int code);
    static QByteArray MapErrorCode(int code);

    // The notice dispatch: message 1035 with the socket in wParam and the
    // event (low 16 bits) plus error number (high 16 bits) in lParam. Returns
    // the message result.
    qintptr OnSocketMessage(unsigned message, quintptr wParam, qintptr lParam);

protected:
    int m_socket = -1;
    int m_bufOffset = 0;
    int m_maxBufSize = 2048;
    int m_lastArrivalAdapter = 0;
    quint32 m_lastArrivalAddress = 0;
    bool m_active = false;
    bool m_bound = false;
    QList<cm_Connection> m_connections;

private:
    void ReadLoop(int socket);
    void CloseRemote(int socket);
    bool IsStream(int socket) const;
    void SendQueued(int socket);

    // Per stream socket, what it has not taken yet: the bytes, of which the
    // first `sent` are gone.
    struct Outgoing {
        QByteArray bytes;
        qsizetype sent = 0;
    };
    std::map<int, Outgoing> m_outgoing;

    std::unique_ptr<TcmSocketEngine> m_engine;
    // Shared scratch address: the last address bound, connected, sent to or
    // received from.
    std::unique_ptr<sockaddr_in> m_workAddr;
    char *m_recvBuffer = nullptr;
    bool m_forceNonBlocking = false;
    bool m_started = false;
    bool m_destroying = false;
    bool m_closing = false;
};
