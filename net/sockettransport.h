#pragma once

#include "transport.h"

class TcmSocket;

// The transport of the tool over the socket component: one TcmSocket, opened
// as datagram socket, TCP server or TCP client as asked.
class SocketTransport final : public Transport {
    Q_OBJECT

public:
    explicit SocketTransport(QObject *parent = nullptr);
    ~SocketTransport() override;

    bool open(const Endpoints &endpoints) override;
    void close() override;
    bool isOpen() const override;
    bool isConnecting() const override;
    QString localAddress() const override;

    bool sendDatagram(const Peer &to, QByteArrayView bytes) override;
    bool sendDatagram(const QString &host, quint16 port, QByteArrayView bytes) override;
    bool send(QByteArrayView bytes) override;
    bool sendTo(int connection, QByteArrayView bytes) override;
    QList<Connection> connections() const override;

    // The component underneath, for tests that look at the socket itself.
    const TcmSocket &socket() const { return *m_socket; }
    TcmSocket &socket() { return *m_socket; }

    // The computer's own address as the window shows it before anything is
    // opened: that of the first adapter the system lists.
    static QString ownAddress();

private:
    TcmSocket *m_socket; // a child
};
