#include "relaylink.h"

#include "parameters.h"

#include <algorithm>

using namespace Qt::StringLiterals;

// ---------------------------------------------------------------------------
// Replies

namespace {

// A module that never ends a line cannot make the tool hoard memory.
constexpr qsizetype MaxPendingBytes = 4096;

qsizetype lineEnd(QByteArrayView bytes) {
    const auto it = std::ranges::find_if(bytes, [](char c) { return c == '\r' || c == '\n'; });
    return it == bytes.end() ? -1 : it - bytes.begin();
}

// Where the next reply of either kind begins at or after from, or -1.
qsizetype nextReply(QByteArrayView line, qsizetype from) {
    const qsizetype relay = line.indexOf("+STACH", from);
    const qsizetype input = line.indexOf("+OCCH", from);
    if (relay < 0 || input < 0)
        return std::max(relay, input);
    return std::min(relay, input);
}

} // namespace

void RelayReplyReader::feed(QByteArrayView bytes, bool ends) {
    m_pending.append(bytes);
    for (qsizetype end; (end = lineEnd(m_pending)) >= 0;) {
        takeLine(QByteArrayView(m_pending).first(end));
        m_pending.remove(0, end + 1);
    }
    if (ends || m_pending.size() > MaxPendingBytes)
        finish();
}

void RelayReplyReader::finish() {
    const QByteArray line = std::exchange(m_pending, {});
    takeLine(line);
}

// Replies without a line end between them begin where the next one's
// keyword does.
void RelayReplyReader::takeLine(QByteArrayView line) {
    qsizetype at = nextReply(line, 0);
    if (line.first(at < 0 ? line.size() : at).contains("ERROR") && onRefusal)
        onRefusal();
    while (at >= 0) {
        const qsizetype next = nextReply(line, at + 1);
        const relaycodec::Reading reading =
            relaycodec::parse(line.sliced(at, (next < 0 ? line.size() : next) - at));
        if (reading.number > 0 && onReading)
            onReading(reading);
        at = next;
    }
}

// ---------------------------------------------------------------------------
// The link

RelayLink::RelayLink(std::unique_ptr<Transport> transport, QObject *parent)
    : QObject(parent)
    , m_transport(std::move(transport)) {
    m_reader.onReading = [this](const relaycodec::Reading &r) { Q_EMIT reading(r); };
    m_reader.onRefusal = [this] { Q_EMIT refused(); };
    connect(m_transport.get(), &Transport::received, this,
            [this](const Peer &from, QByteArrayView bytes) {
                if (!m_open)
                    return;
                // Anyone may send to a datagram socket: only the module's own
                // replies are its states. (A host given by name is checked by
                // the system, on the socket connected to its address.)
                if (m_endpoint.udp &&
                    (from.port != m_endpoint.port || (m_peerIp != 0 && from.ip != m_peerIp)))
                    return;
                m_reader.feed(bytes, m_endpoint.udp);
            });
    connect(m_transport.get(), &Transport::failed, this, &RelayLink::transportFailed);
    connect(m_transport.get(), &Transport::openChanged, this, &RelayLink::transportOpenChanged);
}

RelayLink::~RelayLink() {
    m_transport->disconnect(this);
}

void RelayLink::open(const Endpoint &endpoint) {
    close();
    m_endpoint = endpoint;
    m_peerIp = parameters::addressValue(endpoint.host).value_or(0);
    m_lastFailure.reset();
    m_active = true;
    using Kind = Transport::Kind;
    const Transport::Endpoints endpoints{endpoint.udp ? Kind::Datagram : Kind::StreamClient,
                                         u"0.0.0.0"_s, 0, endpoint.host, endpoint.port};
    if (!m_transport->open(endpoints))
        lose();
    else if (m_transport->isOpen())
        transportOpenChanged(true);
}

void RelayLink::close() {
    const bool was = m_active || m_open;
    m_active = m_open = false;
    ++m_generation;
    m_reader.clear();
    if (was)
        m_transport->close();
}

bool RelayLink::send(QByteArrayView command) {
    return m_open && m_transport->send(command);
}

void RelayLink::transportOpenChanged(bool open) {
    if (!m_active)
        return;
    if (open) {
        if (!std::exchange(m_open, true))
            Q_EMIT opened();
        return;
    }
    // After the report of why, which follows the close.
    QTimer::singleShot(0, this, [this, generation = m_generation] {
        if (generation == m_generation)
            lose();
    });
}

void RelayLink::transportFailed(const Transport::Failure &failure) {
    m_lastFailure = failure;
    if (m_active && !m_open)
        lose();
    else if (m_open && m_endpoint.udp)
        Q_EMIT datagramRefused();
}

void RelayLink::lose() {
    if (!m_active)
        return;
    // A last reply the close cut short is still a reply.
    if (m_open)
        m_reader.finish();
    if (!m_active) // closed by whoever took that reply
        return;
    close();
    Q_EMIT closed();
}

// ---------------------------------------------------------------------------
// One exchange

RelayExchange::RelayExchange(std::unique_ptr<Transport> transport, Request request)
    : m_link(std::move(transport))
    , m_request(std::move(request)) {
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { conclude(true); });
    connect(&m_link, &RelayLink::opened, this, &RelayExchange::send);
    connect(&m_link, &RelayLink::reading, this, [this](const relaycodec::Reading &reading) {
        if (reading.kind != m_request.kind)
            return;
        m_readings.insert(reading.number, reading);
        if (complete())
            finish(Result::Outcome::Done);
        else
            progress(Stage::Answered, int(std::ranges::count_if(m_request.expected, [this](int n) {
                         return m_readings.contains(n);
                     })));
    });
    connect(&m_link, &RelayLink::refused, this, [this] { finish(Result::Outcome::Refused); });
    connect(&m_link, &RelayLink::datagramRefused, this, [this] {
        if (m_readings.isEmpty())
            finish(Result::Outcome::SendFailed);
    });
    connect(&m_link, &RelayLink::closed, this, [this] { conclude(false); });
}

void RelayExchange::start(std::function<void(const Result &)> done) {
    m_done = std::move(done);
    m_deadline.start(m_request.timeoutMs);
    progress(Stage::Connecting);
    m_link.open(m_request.endpoint);
}

void RelayExchange::send() {
    if (std::exchange(m_sent, true))
        return;
    progress(Stage::Sending);
    if (!m_link.send(m_request.command))
        finish(Result::Outcome::SendFailed);
}

// What came before the deadline or the module's leaving is what there is.
void RelayExchange::conclude(bool timedOut) {
    if (!m_sent) {
        finish(Result::Outcome::NoConnection, timedOut);
        return;
    }
    m_link.flush();
    finish(complete() ? Result::Outcome::Done : Result::Outcome::NoAnswer, timedOut);
}

bool RelayExchange::complete() const {
    return std::ranges::all_of(m_request.expected,
                               [this](int n) { return m_readings.contains(n); });
}

void RelayExchange::finish(Result::Outcome outcome, bool timedOut) {
    if (!m_done)
        return;
    m_deadline.stop();
    m_link.close();
    Result result{outcome, m_readings, {}, timedOut, m_link.lastFailure()};
    for (const int n : m_request.expected) {
        if (!m_readings.contains(n))
            result.missing.append(n);
    }
    std::exchange(m_done, nullptr)(result);
}

void RelayExchange::progress(Stage stage, int answered) {
    if (onProgress)
        onProgress(stage, answered);
}
