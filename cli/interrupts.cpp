#include "interrupts.h"

#include <QSocketNotifier>
#include <QString>

#include <csignal>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace cli {

#ifdef Q_OS_UNIX

namespace {

// The handler may only touch these: the pipe's write end and a flag.
int pipeEnds[2] = {-1, -1};
volatile std::sig_atomic_t caught = 0;

extern "C" void onSignal(int signal) {
    if (caught != 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    caught = signal;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);
}

void handle(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

Interrupts::Interrupts() {
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    m_notifier->setEnabled(false);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        while (read(pipeEnds[0], &byte, 1) == 1) {
        }
        if (auto first = std::exchange(m_first, {}))
            first(int(caught));
    });
}

Interrupts::~Interrupts() {
    disarm();
    m_notifier.reset();
    for (int &end : pipeEnds) {
        if (end >= 0)
            close(std::exchange(end, -1));
    }
}

void Interrupts::arm(std::function<void(int)> first) {
    if (!m_notifier)
        return;
    m_first = std::move(first);
    caught = 0;
    m_notifier->setEnabled(true);
    handle(onSignal);
}

void Interrupts::disarm() {
    if (!m_notifier)
        return;
    handle(SIG_DFL);
    m_notifier->setEnabled(false);
    m_first = {};
}

#else

Interrupts::Interrupts() = default;
Interrupts::~Interrupts() = default;
void Interrupts::arm(std::function<void(int)>) {}
void Interrupts::disarm() {}

#endif

QString signalName(int signal) {
    switch (signal) {
    case SIGINT:
        return u"SIGINT"_s;
    case SIGTERM:
        return u"SIGTERM"_s;
    default:
        return u"signal %1"_s.arg(signal);
    }
}

} // namespace cli
