#include "modulepoller.h"

#include "topics.h"

namespace bridge {

ModulePoller::ModulePoller(ModuleEntry module, std::unique_ptr<Transport> transport, int pollMs,
                           int queryTimeoutMs, QObject *parent)
    : QObject(parent)
    , m_module(std::move(module))
    , m_pollMs(pollMs)
    , m_queryTimeoutMs(queryTimeoutMs) {
    m_tick.setInterval(m_pollMs);
    connect(&m_tick, &QTimer::timeout, this, &ModulePoller::tick);
    m_queryTimer.setSingleShot(true);
    connect(&m_queryTimer, &QTimer::timeout, this, &ModulePoller::queryTimedOut);
    attach(std::move(transport));
}

void ModulePoller::attach(std::unique_ptr<Transport> transport) {
    m_link = std::make_unique<RelayLink>(std::move(transport));
    RelayLink *link = m_link.get();
    connect(link, &RelayLink::opened, this, [this] {
        m_connecting = false;
        m_queryTimer.stop();
        beginCycle();
    });
    connect(link, &RelayLink::reading, this, &ModulePoller::read);
    connect(link, &RelayLink::refused, this, [this] {
        // A refusal is an answer all the same: the module is there.
        m_cycleAnswered = true;
        if (!m_commanded.isEmpty()) {
            m_commanded.clear();
            Q_EMIT commandRefused();
        }
    });
    connect(link, &RelayLink::closed, this, &ModulePoller::linkClosed);
}

void ModulePoller::start() {
    m_tick.start();
    tick();
}

void ModulePoller::stop() {
    m_tick.stop();
    m_queryTimer.stop();
    m_query = Query::None;
    m_connecting = false;
    m_link->close();
}

void ModulePoller::moveTo(ModuleEntry module, std::unique_ptr<Transport> transport) {
    const bool running = m_tick.isActive();
    stop();
    m_module = std::move(module);
    attach(std::move(transport));
    if (running)
        start();
}

bool ModulePoller::switchRelay(int relay, bool on, int seconds) {
    if (!m_link->isOpen() || relay < 1 || relay > RelayCount)
        return false;
    const QByteArray command = relaycodec::relaySet(
        relay, on ? "1" : "0", seconds > 0 ? QByteArray::number(seconds) : QByteArray());
    if (command.size() > relaycodec::RelayCommandLimit || !m_link->send(command))
        return false;
    const quint64 id = ++m_commands;
    m_commanded.insert(relay, id);
    QTimer::singleShot(m_queryTimeoutMs, this, [this, relay, id] {
        if (m_commanded.value(relay) != id)
            return;
        m_commanded.remove(relay);
        Q_EMIT commandUnanswered(relay);
    });
    return true;
}

void ModulePoller::tick() {
    // The previous round is still under way: this module is slower than the
    // interval, and takes its own pace.
    if (m_query != Query::None || m_connecting)
        return;
    if (m_link->isOpen()) {
        beginCycle();
        return;
    }
    m_connecting = true;
    // A host that is gone may leave a connection attempt hanging for minutes;
    // that is a poll without an answer like any other.
    m_queryTimer.start(m_queryTimeoutMs);
    m_link->open(m_module.endpoint);
}

void ModulePoller::beginCycle() {
    if (m_query != Query::None)
        return;
    m_cycleAnswered = false;
    ask(Query::Relays);
}

void ModulePoller::ask(Query query) {
    m_query = query;
    m_answered = 0;
    const QByteArray command =
        query == Query::Relays ? relaycodec::relayQuery(0) : relaycodec::inputQuery(0);
    if (!m_link->send(command)) {
        endCycle(false);
        return;
    }
    m_queryTimer.start(m_queryTimeoutMs);
}

void ModulePoller::queryTimedOut() {
    if (std::exchange(m_connecting, false)) {
        m_link->close();
        endCycle(false);
        return;
    }
    if (m_query == Query::Relays && m_cycleAnswered)
        ask(Query::Inputs);
    else
        endCycle(m_cycleAnswered);
}

void ModulePoller::read(const relaycodec::Reading &reading) {
    m_cycleAnswered = true;
    if (m_missed > 0 || !m_online) {
        m_missed = 0;
        if (!std::exchange(m_online, true))
            Q_EMIT onlineChanged(true);
    }
    const bool relay = reading.kind == relaycodec::Reading::Kind::Relay;
    const int n = reading.number;
    if (relay ? n > RelayCount : n > InputCount)
        return;
    std::optional<bool> &known = relay ? m_relays[size_t(n)] : m_inputs[size_t(n)];
    const bool changed = known != reading.on;
    known = reading.on;
    if (relay) {
        if (changed)
            Q_EMIT relayChanged(n, reading.on);
        if (m_commanded.remove(n))
            Q_EMIT commandAnswered(n, reading.on, changed);
    } else if (changed) {
        Q_EMIT inputChanged(n, reading.on);
    }
    const bool asked = relay ? m_query == Query::Relays : m_query == Query::Inputs;
    if (!asked)
        return;
    m_answered |= 1u << n;
    const int count = relay ? RelayCount : InputCount;
    if (m_answered != ((1u << (count + 1)) - 2))
        return;
    m_queryTimer.stop();
    if (relay)
        ask(Query::Inputs);
    else
        endCycle(true);
}

void ModulePoller::endCycle(bool answered) {
    m_queryTimer.stop();
    m_query = Query::None;
    if (answered)
        return;
    if (++m_missed >= MissedPollsOffline && std::exchange(m_online, false))
        Q_EMIT onlineChanged(false);
}

void ModulePoller::linkClosed() {
    const std::optional<Transport::Failure> &failure = m_link->lastFailure();
    Q_EMIT connectionProblem(failure ? failure->text : QStringLiteral("connection closed"));
    m_commanded.clear();
    const bool wasConnecting = std::exchange(m_connecting, false);
    if (wasConnecting || m_query != Query::None)
        endCycle(m_query != Query::None && m_cycleAnswered);
}

} // namespace bridge
