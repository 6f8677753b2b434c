#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace cli {

// SIGINT and SIGTERM turned into a call from the event loop, so that a
// command can end the steps under way and say what the modules confirmed.
// A second signal ends the program at once, as the signal would have. Where
// there are no such signals (Windows), arming does nothing.
class Interrupts : public QObject {
public:
    Interrupts();
    ~Interrupts() override;

    // first: the signal's number, called once, from the event loop.
    void arm(std::function<void(int)> first);
    // The signals' own effect again: they end the program.
    void disarm();

private:
    std::function<void(int)> m_first;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// "SIGINT", "SIGTERM", or the number.
QString signalName(int signal);

} // namespace cli
