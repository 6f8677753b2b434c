#pragma once

#include <QList>
#include <QtGlobal>

#include <functional>
#include <memory>

// Time as the core reads it and waits on it: a monotonic reading and waits
// that end on the event loop. The programs run on the system's clock; tests
// run on a ManualClock they move on themselves, so nothing in the core ever
// blocks and no test reaches into a controller's private timers.
class Clock {
public:
    // One wait at a time: starting it again restarts it. Its function runs
    // once each time it ends, never after stop() or after it is gone.
    class Wait {
    public:
        virtual ~Wait() = default;
        virtual void start(qint64 ms) = 0;
        virtual void stop() = 0;
        virtual bool isActive() const = 0;
    };

    virtual ~Clock() = default;

    // Nanoseconds from a fixed point; never goes back.
    virtual qint64 nanoseconds() const = 0;
    virtual std::unique_ptr<Wait> wait(std::function<void()> ended) = 0;

    // The system's monotonic clock, waits on precise timers of the calling
    // thread's event loop.
    static Clock &system();
};

// A timer on a clock, repeating unless single-shot, as QTimer.
class Timer {
public:
    Timer(Clock &clock, std::function<void()> timeout);
    Timer(const Timer &) = delete;
    Timer &operator=(const Timer &) = delete;

    void setInterval(int ms) { m_interval = ms; }
    int interval() const { return m_interval; }
    void setSingleShot(bool singleShot) { m_singleShot = singleShot; }
    void start() { m_wait->start(m_interval); }
    void start(int ms) {
        m_interval = ms;
        start();
    }
    void stop() { m_wait->stop(); }
    bool isActive() const { return m_wait->isActive(); }

private:
    std::function<void()> m_timeout;
    int m_interval = 0;
    bool m_singleShot = false;
    std::unique_ptr<Clock::Wait> m_wait;
};

// A clock that stands still until it is moved on: every wait that ends on
// the way ends then, in the order of their ends (ties in the order started).
class ManualClock final : public Clock {
public:
    ManualClock() = default;
    ManualClock(const ManualClock &) = delete;
    ManualClock &operator=(const ManualClock &) = delete;
    ~ManualClock() override;

    qint64 nanoseconds() const override { return m_now; }
    std::unique_ptr<Wait> wait(std::function<void()> ended) override;

    void advanceNs(qint64 ns);
    void advance(qint64 ms) { advanceNs(ms * 1'000'000); }
    // Milliseconds until the next wait ends; -1 when none runs.
    qint64 nextEndMs() const;
    // Moves on to the next end of a wait; false when none runs.
    bool advanceToNext();

private:
    class ManualWait;
    ManualWait *next() const;

    qint64 m_now = 0;
    quint64 m_started = 0;
    QList<ManualWait *> m_waits;
};
