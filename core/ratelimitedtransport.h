#pragma once

#include "clock.h"
#include "transport.h"

#include <QByteArray>

#include <deque>
#include <functional>

// A transport that passes everything on to another one and passes on what
// that one signals: the base of transports that add something on the way.
class TransportDecorator : public Transport {
    Q_OBJECT

public:
    explicit TransportDecorator(Transport &inner, QObject *parent = nullptr);

    bool open(const Endpoints &endpoints) override { return m_inner.open(endpoints); }
    void close() override { m_inner.close(); }
    bool isOpen() const override { return m_inner.isOpen(); }
    bool isConnecting() const override { return m_inner.isConnecting(); }
    QString localAddress() const override { return m_inner.localAddress(); }
    bool sendDatagram(const Peer &to, QByteArrayView bytes) override {
        return m_inner.sendDatagram(to, bytes);
    }
    bool sendDatagram(const QString &host, quint16 port, QByteArrayView bytes) override {
        return m_inner.sendDatagram(host, port, bytes);
    }
    bool send(QByteArrayView bytes) override { return m_inner.send(bytes); }
    bool sendTo(int connection, QByteArrayView bytes) override {
        return m_inner.sendTo(connection, bytes);
    }
    QList<Connection> connections() const override { return m_inner.connections(); }

protected:
    Transport &inner() { return m_inner; }

private:
    Transport &m_inner;
};

// Datagrams out at no more than a rate: every configuration frame is a
// broadcast that every module on the segment has to read, so many
// conversations at once must not flood the segment. A datagram that would
// exceed the rate waits in a queue, in order, until it may leave: a token
// bucket refilled at the rate smooths the flow (bursts of at most 20 ms
// worth), and no second holds more than the rate, however the seconds are
// cut. The queue is as long as the conversations that wait, since each
// waits for its answer before it sends again. Seconds are measured on a
// monotonic clock to the nanosecond: whole milliseconds would let a
// second's worth and one more leave within 999.x ms.
class RateLimitedTransport final : public TransportDecorator {
    Q_OBJECT

public:
    RateLimitedTransport(Transport &inner, int perSecond, QObject *parent = nullptr,
                         Clock &clock = Clock::system());

    // Queued datagrams are dropped: they were for the socket closed.
    void close() override;
    // True when the datagram left, or waits and the transport is open.
    bool sendDatagram(const Peer &to, QByteArrayView bytes) override;
    bool sendDatagram(const QString &host, quint16 port, QByteArrayView bytes) override;
    bool sendDatagramThen(const Peer &to, QByteArrayView bytes, Departure left) override;

    // Sends what the rate allows now; the timer calls it when the next one
    // is due.
    void sendDue();

    quint64 sent() const { return m_sent; }
    qsizetype waiting() const { return qsizetype(m_queue.size()); }
    // The most datagrams sent within one second.
    int peakPerSecond() const { return m_peak; }

private:
    struct Datagram {
        Peer to;
        QString host; // when not empty, to.port with this host
        QByteArray bytes;
        Departure left;
    };

    bool enqueue(Datagram datagram);
    bool transmit(const Datagram &datagram);
    bool mayTransmit(qint64 now);

    int m_rate;
    double m_burst;
    double m_tokens;
    // Nanoseconds on m_clock.
    qint64 m_refilledAt = -1;
    Clock &m_clock;
    std::deque<Datagram> m_queue;
    // When each datagram of the last second left, in nanoseconds.
    std::deque<qint64> m_lastSecond;
    quint64 m_sent = 0;
    int m_peak = 0;
    Timer m_timer;
};
