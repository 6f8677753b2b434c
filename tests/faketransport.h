#pragma once

#include "clock.h"
#include "transport.h"

#include <QByteArray>
#include <QList>

// Stands in for the network in tests of the core: records what it is asked to
// open and send, and lets a test deliver arrivals and connection changes as
// the socket would.
class FakeTransport final : public Transport {
public:
    struct Sent {
        enum class Route { Datagram, Host, Stream, Connection } route;
        Peer to;             // Datagram
        QString host;        // Host (with to.port)
        int connection = -1; // Connection
        QByteArray bytes;
        // On the clock, when one is set.
        qint64 atNs = 0;
    };

    using Transport::Transport;

    // Stamps what is sent with this clock's time.
    const Clock *clock = nullptr;

    // What the next open() does: succeed, fail with a report, or (stream
    // client) stay connecting until connectionCompleted().
    bool openFails = false;
    Failure failure{Failure::Reason::AddressInUse, QStringLiteral("Address already in use"),
                    QStringLiteral("address in use")};

    bool open(const Endpoints &endpoints) override {
        opened.append(endpoints);
        if (openFails) {
            Q_EMIT failed(failure);
            return false;
        }
        m_connecting = endpoints.kind == Kind::StreamClient;
        if (!m_connecting)
            setOpen(true);
        return true;
    }
    void close() override {
        ++closes;
        m_connecting = false;
        m_connections.clear();
        if (m_open)
            setOpen(false);
    }
    bool isOpen() const override { return m_open; }
    bool isConnecting() const override { return m_connecting; }
    QString localAddress() const override { return m_open ? opened.last().localHost : QString(); }

    // Adapters whose datagrams the system refuses, as for a cable pulled.
    QList<int> unreachable;

    bool sendDatagram(const Peer &to, QByteArrayView bytes) override {
        if (unreachable.contains(to.adapter)) {
            Q_EMIT failed({Failure::Reason::Unreachable, QStringLiteral("Network is unreachable"),
                           QStringLiteral("unreachable")});
            return false;
        }
        sent.append({Sent::Route::Datagram,
                     to,
                     {},
                     -1,
                     bytes.toByteArray(),
                     clock ? clock->nanoseconds() : 0});
        return m_open;
    }
    bool sendDatagram(const QString &host, quint16 port, QByteArrayView bytes) override {
        sent.append({Sent::Route::Host, Peer{0, port}, host, -1, bytes.toByteArray()});
        return m_open;
    }
    bool send(QByteArrayView bytes) override {
        sent.append({Sent::Route::Stream, {}, {}, -1, bytes.toByteArray()});
        return m_open;
    }
    bool sendTo(int connection, QByteArrayView bytes) override {
        sent.append({Sent::Route::Connection, {}, {}, connection, bytes.toByteArray()});
        return m_open;
    }
    QList<Connection> connections() const override { return m_connections; }

    // Test side.
    void connectionCompleted() {
        m_connecting = false;
        setOpen(true);
    }
    void peerClosed() { close(); }
    void deliver(const Peer &from, const QByteArray &bytes) { Q_EMIT received(from, bytes); }
    void addConnection(int id, const Peer &peer) {
        m_connections.append({id, peer});
        Q_EMIT connectionAdded(m_connections.last());
    }
    // The peer of a connection came back from the same port: the new
    // connection takes the old one's place, and nobody is told.
    void peerReturned(int id, int newId) {
        for (Connection &c : m_connections) {
            if (c.id == id)
                c.id = newId;
        }
    }
    void removeConnection(int id) {
        for (qsizetype i = 0; i < m_connections.size(); ++i) {
            if (m_connections[i].id == id) {
                const Connection gone = m_connections.takeAt(i);
                Q_EMIT connectionRemoved(gone);
                return;
            }
        }
    }

    QList<Endpoints> opened;
    QList<Sent> sent;
    int closes = 0;

private:
    void setOpen(bool open) {
        m_open = open;
        Q_EMIT openChanged(open);
    }

    bool m_open = false;
    bool m_connecting = false;
    QList<Connection> m_connections;
};
