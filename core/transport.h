#pragma once

#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// An IPv4 address and port. The address is a 32-bit value whose first dotted
// octet is the lowest byte, as everywhere in the tool; the port is a plain
// number. The adapter is the system's interface index a datagram arrived on,
// or must leave by (NetworkAdapter::index); 0 is any, as the routing table
// picks. A limited broadcast sent with an adapter leaves through that adapter
// only, from its own address.
struct Peer {
    quint32 ip = 0;
    quint16 port = 0;
    int adapter = 0;
    // The computer's own address a datagram was sent to, or must leave from
    // (one adapter may hold several); 0: not known, or the adapter's first.
    quint32 local = 0;

    friend bool operator==(const Peer &, const Peer &) = default;
};

// How the configuration protocol and the test console reach the network:
// datagrams to and from any peer, or a byte stream as TCP server (with the
// connections it accepted) or TCP client. The socket component implements it
// in net/; tests implement it with recorders. Nothing here blocks: what
// arrives, and every change of state, comes as a signal on the thread that
// owns the transport.
class Transport : public QObject {
    Q_OBJECT

public:
    enum class Kind { Datagram, StreamServer, StreamClient };

    struct Endpoints {
        Kind kind = Kind::Datagram;
        // Empty or "0": the computer's own address.
        QString localHost;
        quint16 localPort = 0;
        // A stream client's peer.
        QString remoteHost;
        quint16 remotePort = 0;
    };

    // A connection a stream server accepted. The id stays the same for as
    // long as the connection lasts.
    struct Connection {
        int id = -1;
        Peer peer;
    };

    // Why a call on the network failed, as far as a caller can act on it.
    // A call that only goes on in the background is no failure and is never
    // reported.
    struct Failure {
        enum class Reason { Refused, Reset, Unreachable, AddressInUse, TimedOut, Other };
        Reason reason = Reason::Other;
        // The system's own words for it.
        QString text;
        // The full report of the socket underneath, as the window shows it.
        QString report;
    };

    using QObject::QObject;

    // Binds a datagram transport, starts listening, or starts connecting;
    // false when that failed at once (failed() says why). A stream client is
    // open only once its connection completes (openChanged(true)).
    virtual bool open(const Endpoints &endpoints) = 0;
    // Also ends every connection a server accepted.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // An attempt to connect has started and has not ended yet.
    virtual bool isConnecting() const = 0;
    // The address bound to, as dotted text; empty while closed.
    virtual QString localAddress() const = 0;

    virtual bool sendDatagram(const Peer &to, QByteArrayView bytes) = 0;
    // Whether a datagram reached the system, and the system's words where
    // it did not.
    using Departure = std::function<void(bool sent, const QString &why)>;
    // As sendDatagram; left runs once the datagram has gone to the system or
    // failed to: at once, unless something on the way queues it. A datagram
    // dropped from a queue never runs it.
    virtual bool sendDatagramThen(const Peer &to, QByteArrayView bytes, Departure left) {
        QString why;
        const bool sent = explained(*this, why, [&] { return sendDatagram(to, bytes); });
        left(sent, why);
        return sent;
    }
    // Runs send on transport, keeping the words of a failure it reports.
    template <typename Send> static bool explained(Transport &transport, QString &why, Send send) {
        const QMetaObject::Connection watch =
            connect(&transport, &Transport::failed, &transport,
                    [&why](const Transport::Failure &failure) { why = failure.text; });
        const bool sent = send();
        disconnect(watch);
        return sent;
    }
    // To a host given as dotted text or as a name to look up.
    virtual bool sendDatagram(const QString &host, quint16 port, QByteArrayView bytes) = 0;
    // A stream client's bytes to its peer.
    virtual bool send(QByteArrayView bytes) = 0;
    // A stream server's bytes to one of its connections.
    virtual bool sendTo(int connection, QByteArrayView bytes) = 0;
    // A stream server's connections, in the order they came.
    virtual QList<Connection> connections() const = 0;

Q_SIGNALS:
    // The bytes are valid only during the call; a receiver that may run a
    // modal loop copies them first, since further arrivals are dispatched
    // inside it.
    void received(const Peer &from, QByteArrayView bytes);
    void connectionAdded(const Transport::Connection &connection);
    void connectionRemoved(const Transport::Connection &connection);
    // Opened, connected, or closed (by close(), by the peer or by a failure).
    void openChanged(bool open);
    // A call on the network failed.
    void failed(const Transport::Failure &failure);
};
