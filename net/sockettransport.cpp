#include "sockettransport.h"

#include "cmsocket.h"
#include "gbk.h"
#include "logging.h"
#include "socketfailure.h"

#include <limits>

namespace {

TcmSocketProtocol protocolOf(Transport::Kind kind) {
    switch (kind) {
    case Transport::Kind::Datagram:
        break;
    case Transport::Kind::StreamServer:
        return cmTcpServer;
    case Transport::Kind::StreamClient:
        return cmTcpClient;
    }
    return cmUDP;
}

// The component's length convention: 0 or less sends text up to its zero.
// An empty view must send nothing rather than whatever that would find.
bool sendable(QByteArrayView bytes) {
    return !bytes.isEmpty() && bytes.size() <= std::numeric_limits<int>::max();
}

} // namespace

SocketTransport::SocketTransport(QObject *parent)
    : Transport(parent)
    , m_socket(new TcmSocket(this)) {
    m_socket->setObjectName(QStringLiteral("MySocket"));
    // Room for the largest datagram a network can deliver.
    m_socket->SetBufferSize(65535);
    m_socket->OnReceive = [this](TcmSocket *socket, int, quint16 port, quint32 ip, const char *data,
                                 int length) {
        if (data && length > 0)
            Q_EMIT received(
                Peer{ip, port, socket->LastArrivalAdapter(), socket->LastArrivalAddress()},
                QByteArrayView(data, length));
    };
    m_socket->OnAccept = [this](TcmSocket *, int socket, quint32 ip, quint16 port) {
        Q_EMIT connectionAdded(Connection{socket, Peer{ip, port}});
    };
    m_socket->OnDiscard = [this](TcmSocket *, int socket, quint32 ip, quint16 port) {
        Q_EMIT connectionRemoved(Connection{socket, Peer{ip, port}});
    };
    m_socket->OnActiveChanged = [this](TcmSocket *socket) { Q_EMIT openChanged(socket->Active()); };
    m_socket->OnError = [this](TcmSocket *, int code, const QByteArray &report) {
        const QString text = gbk::decode(report);
        // Code 0 marks the component's notices of what happened, not failures.
        qCDebug(lcNet).noquote() << text;
        if (code != 0 && !isPendingCall(code))
            Q_EMIT failed(socketFailure(code, text));
    };
}

// Gone before the transport is half destroyed: its handlers reach into it.
SocketTransport::~SocketTransport() {
    delete m_socket;
}

bool SocketTransport::open(const Endpoints &endpoints) {
    m_socket->SetActive(false);
    m_socket->Protocol = protocolOf(endpoints.kind);
    m_socket->LocalHost = endpoints.localHost.isEmpty() ? QStringLiteral("0") : endpoints.localHost;
    m_socket->LocalPort = endpoints.localPort;
    m_socket->RemoteHost =
        endpoints.remoteHost.isEmpty() ? QStringLiteral("0") : endpoints.remoteHost;
    m_socket->RemotePort = endpoints.remotePort;
    m_socket->SetActive(true);
    return m_socket->Active() || isConnecting();
}

void SocketTransport::close() {
    // A client still connecting is not active yet, but has a socket to end.
    m_socket->Close();
}

bool SocketTransport::isOpen() const {
    return m_socket->Active();
}

bool SocketTransport::isConnecting() const {
    return m_socket->Protocol == cmTcpClient && !m_socket->Active() && m_socket->Socket() != -1;
}

QString SocketTransport::localAddress() const {
    return m_socket->Active() ? m_socket->LocalHost : QString();
}

bool SocketTransport::sendDatagram(const Peer &to, QByteArrayView bytes) {
    return sendable(bytes) &&
           m_socket->SendVia(to.adapter, to.ip, to.port, bytes.data(), int(bytes.size()), to.local);
}

bool SocketTransport::sendDatagram(const QString &host, quint16 port, QByteArrayView bytes) {
    return sendable(bytes) && m_socket->SendTo(host, port, bytes.data(), int(bytes.size()));
}

bool SocketTransport::send(QByteArrayView bytes) {
    return sendable(bytes) && m_socket->Send(bytes.data(), int(bytes.size()));
}

bool SocketTransport::sendTo(int connection, QByteArrayView bytes) {
    return sendable(bytes) && m_socket->SendTo(connection, bytes.data(), int(bytes.size()));
}

QList<Transport::Connection> SocketTransport::connections() const {
    QList<Connection> list;
    list.reserve(m_socket->Connections().size());
    for (const cm_Connection &c : m_socket->Connections())
        list.append(Connection{c.socket, Peer{c.IP, c.port}});
    return list;
}

QString SocketTransport::ownAddress() {
    const quint32 ip = TcmSocket::get_ip_data(QString(), cmUnicast);
    return QStringLiteral("%1.%2.%3.%4")
        .arg(ip & 0xFF)
        .arg((ip >> 8) & 0xFF)
        .arg((ip >> 16) & 0xFF)
        .arg((ip >> 24) & 0xFF);
}
