#include "ratelimitedtransport.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 SecondNs = 1'000'000'000;
constexpr qint64 MillisecondNs = 1'000'000;
// The bucket holds this share of a second's datagrams.
constexpr double BurstShare = 0.02;

} // namespace

TransportDecorator::TransportDecorator(Transport &inner, QObject *parent)
    : Transport(parent)
    , m_inner(inner) {
    connect(&inner, &Transport::received, this, &Transport::received);
    connect(&inner, &Transport::connectionAdded, this, &Transport::connectionAdded);
    connect(&inner, &Transport::connectionRemoved, this, &Transport::connectionRemoved);
    connect(&inner, &Transport::openChanged, this, &Transport::openChanged);
    connect(&inner, &Transport::failed, this, &Transport::failed);
}

RateLimitedTransport::RateLimitedTransport(Transport &inner, int perSecond, QObject *parent,
                                           Clock &clock)
    : TransportDecorator(inner, parent)
    , m_rate(std::max(1, perSecond))
    , m_burst(std::max(1.0, std::floor(m_rate * BurstShare)))
    , m_tokens(m_burst)
    , m_clock(clock)
    , m_timer(clock, [this] { sendDue(); }) {
    m_timer.setSingleShot(true);
}

void RateLimitedTransport::close() {
    m_queue.clear();
    m_timer.stop();
    TransportDecorator::close();
}

bool RateLimitedTransport::sendDatagram(const Peer &to, QByteArrayView bytes) {
    return enqueue({to, {}, bytes.toByteArray(), {}});
}

bool RateLimitedTransport::sendDatagram(const QString &host, quint16 port, QByteArrayView bytes) {
    return enqueue({Peer{0, port}, host, bytes.toByteArray(), {}});
}

bool RateLimitedTransport::sendDatagramThen(const Peer &to, QByteArrayView bytes, Departure left) {
    return enqueue({to, {}, bytes.toByteArray(), std::move(left)});
}

bool RateLimitedTransport::enqueue(Datagram datagram) {
    if (m_queue.empty() && mayTransmit(m_clock.nanoseconds()))
        return transmit(datagram);
    m_queue.push_back(std::move(datagram));
    if (!m_timer.isActive())
        sendDue();
    return isOpen();
}

bool RateLimitedTransport::mayTransmit(qint64 now) {
    if (m_refilledAt >= 0)
        m_tokens = std::min(m_burst, m_tokens + double(now - m_refilledAt) * m_rate / SecondNs);
    m_refilledAt = now;
    while (!m_lastSecond.empty() && m_lastSecond.front() <= now - SecondNs)
        m_lastSecond.pop_front();
    return m_tokens >= 1 && qsizetype(m_lastSecond.size()) < m_rate;
}

// Called right after mayTransmit said yes, at the time it was asked about.
bool RateLimitedTransport::transmit(const Datagram &datagram) {
    m_tokens -= 1;
    m_lastSecond.push_back(m_refilledAt);
    ++m_sent;
    m_peak = std::max(m_peak, int(m_lastSecond.size()));
    QString why;
    const bool sent = explained(inner(), why, [&] {
        return datagram.host.isEmpty()
                   ? inner().sendDatagram(datagram.to, datagram.bytes)
                   : inner().sendDatagram(datagram.host, datagram.to.port, datagram.bytes);
    });
    if (datagram.left)
        datagram.left(sent, why);
    return sent;
}

void RateLimitedTransport::sendDue() {
    const qint64 now = m_clock.nanoseconds();
    while (!m_queue.empty() && mayTransmit(now)) {
        const Datagram datagram = std::move(m_queue.front());
        m_queue.pop_front();
        transmit(datagram);
    }
    if (m_queue.empty())
        return;
    qint64 wait = 1;
    if (m_tokens < 1)
        wait = std::max(wait, qint64(std::ceil((1 - m_tokens) * SecondNs / m_rate)));
    if (qsizetype(m_lastSecond.size()) >= m_rate)
        wait = std::max(wait, m_lastSecond.front() + SecondNs - now);
    // The timer counts whole milliseconds: rounded up, never early.
    m_timer.start(int((wait + MillisecondNs - 1) / MillisecondNs));
}
