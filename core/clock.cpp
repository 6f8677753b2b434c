#include "clock.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace {

class SystemClock final : public Clock {
public:
    SystemClock() { m_start.start(); }

    qint64 nanoseconds() const override { return m_start.nsecsElapsed(); }

    std::unique_ptr<Wait> wait(std::function<void()> ended) override {
        return std::make_unique<TimerWait>(std::move(ended));
    }

private:
    class TimerWait final : public Wait {
    public:
        explicit TimerWait(std::function<void()> ended) {
            m_timer.setSingleShot(true);
            // Each query follows the previous reply by 30 ms; a coarse timer
            // would stretch that by a few per cent on every step.
            m_timer.setTimerType(Qt::PreciseTimer);
            QObject::connect(&m_timer, &QTimer::timeout, std::move(ended));
        }
        void start(qint64 ms) override { m_timer.start(int(std::clamp<qint64>(ms, 0, INT_MAX))); }
        void stop() override { m_timer.stop(); }
        bool isActive() const override { return m_timer.isActive(); }

    private:
        QTimer m_timer;
    };

    QElapsedTimer m_start;
};

} // namespace

Clock &Clock::system() {
    static SystemClock clock;
    return clock;
}

Timer::Timer(Clock &clock, std::function<void()> timeout)
    : m_timeout(std::move(timeout))
    , m_wait(clock.wait([this] {
        // Restarted first, so that the timeout may stop it.
        if (!m_singleShot)
            start();
        m_timeout();
    })) {}

class ManualClock::ManualWait final : public Wait {
public:
    ManualWait(ManualClock &clock, std::function<void()> ended)
        : m_clock(&clock)
        , m_ended(std::move(ended)) {
        clock.m_waits.append(this);
    }
    ~ManualWait() override {
        if (m_clock)
            m_clock->m_waits.removeOne(this);
    }

    void start(qint64 ms) override {
        if (!m_clock)
            return;
        m_end = m_clock->m_now + std::max<qint64>(0, ms) * 1'000'000;
        m_order = ++m_clock->m_started;
        m_active = true;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }

    bool before(const ManualWait &other) const {
        return m_end != other.m_end ? m_end < other.m_end : m_order < other.m_order;
    }
    void end() {
        m_active = false;
        m_ended();
    }

    // Null once the clock is gone: the wait never ends then.
    ManualClock *m_clock;
    std::function<void()> m_ended;
    qint64 m_end = 0;
    quint64 m_order = 0;
    bool m_active = false;
};

ManualClock::~ManualClock() {
    for (ManualWait *wait : std::as_const(m_waits)) {
        wait->m_clock = nullptr;
        wait->m_active = false;
    }
}

std::unique_ptr<Clock::Wait> ManualClock::wait(std::function<void()> ended) {
    return std::make_unique<ManualWait>(*this, std::move(ended));
}

ManualClock::ManualWait *ManualClock::next() const {
    ManualWait *first = nullptr;
    for (ManualWait *wait : m_waits) {
        if (wait->m_active && (!first || wait->before(*first)))
            first = wait;
    }
    return first;
}

void ManualClock::advanceNs(qint64 ns) {
    const qint64 until = m_now + ns;
    for (ManualWait *wait = next(); wait && wait->m_end <= until; wait = next()) {
        m_now = wait->m_end;
        wait->end();
    }
    m_now = until;
}

qint64 ManualClock::nextEndMs() const {
    const ManualWait *wait = next();
    return wait ? (wait->m_end - m_now) / 1'000'000 : -1;
}

bool ManualClock::advanceToNext() {
    ManualWait *wait = next();
    if (!wait)
        return false;
    m_now = std::max(m_now, wait->m_end);
    wait->end();
    return true;
}
