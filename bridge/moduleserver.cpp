#include "moduleserver.h"

#include <QStringList>

namespace bridge {

namespace {

// One accepted connection, picked by its module's address. Closing it only
// stops listening to it: the module keeps its connection, as it would keep
// reconnecting anyway.
class AcceptedTransport final : public Transport {
public:
    AcceptedTransport(Transport &server, quint32 ip)
        : m_server(server)
        , m_ip(ip) {
        for (const Connection &c : server.connections())
            taken(c);
        connect(&server, &Transport::connectionAdded, this, &AcceptedTransport::taken);
        connect(&server, &Transport::connectionRemoved, this, [this](const Connection &c) {
            if (c.id != m_connection.id)
                return;
            m_connection = {};
            setOpen(false);
        });
        connect(&server, &Transport::received, this, [this](const Peer &from, QByteArrayView b) {
            if (m_open && from.ip == m_connection.peer.ip && from.port == m_connection.peer.port)
                Q_EMIT received(from, b);
        });
    }

    bool open(const Endpoints &) override {
        m_wanted = true;
        if (m_connection.id >= 0)
            setOpen(true);
        return true;
    }
    void close() override {
        m_wanted = false;
        setOpen(false);
    }
    bool isOpen() const override { return m_open; }
    bool isConnecting() const override { return m_wanted && !m_open; }
    QString localAddress() const override { return m_server.localAddress(); }
    bool sendDatagram(const Peer &, QByteArrayView) override { return false; }
    bool sendDatagram(const QString &, quint16, QByteArrayView) override { return false; }
    bool send(QByteArrayView bytes) override {
        return m_open && m_server.sendTo(m_connection.id, bytes);
    }
    bool sendTo(int, QByteArrayView) override { return false; }
    QList<Connection> connections() const override { return {}; }

private:
    // A module that connects again takes the place of its old connection.
    void taken(const Connection &c) {
        if (c.peer.ip != m_ip)
            return;
        m_connection = c;
        if (m_wanted)
            setOpen(true);
    }
    void setOpen(bool open) {
        if (std::exchange(m_open, open) != open)
            Q_EMIT openChanged(open);
    }

    Transport &m_server;
    quint32 m_ip;
    Connection m_connection;
    bool m_wanted = false;
    bool m_open = false;
};

} // namespace

ModuleServer::ModuleServer(std::unique_ptr<Transport> transport, quint16 port, QObject *parent)
    : QObject(parent)
    , m_transport(std::move(transport))
    , m_port(port) {}

bool ModuleServer::open(QString *error) {
    std::optional<Transport::Failure> failure;
    const QMetaObject::Connection watch =
        connect(m_transport.get(), &Transport::failed, this,
                [&failure](const Transport::Failure &f) { failure = f; });
    const bool opened = m_transport->open(
        {Transport::Kind::StreamServer, QStringLiteral("0.0.0.0"), m_port, {}, 0});
    disconnect(watch);
    if (!opened)
        *error = QStringLiteral("port %1: %2")
                     .arg(m_port)
                     .arg(failure ? failure->text : QStringLiteral("cannot listen"));
    return opened;
}

std::unique_ptr<Transport> ModuleServer::transportFor(quint32 ip) {
    return std::make_unique<AcceptedTransport>(*m_transport, ip);
}

} // namespace bridge
