// ostrel-bridge: every module's relays and inputs in MQTT and Home
// Assistant, as a service.
#include "bridge.h"
#include "buildinfo.h"
#include "modulefinder.h"
#include "sockettransport.h"
#include "systemadapters.h"

#include <QAbstractEventDispatcher>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

int g_signalWrite = -1;

// Only what is safe in a signal handler: one byte into a socket the event
// loop watches.
void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_signalWrite, &byte, 1);
}

void printConfig(const bridge::Config &config) {
    std::printf("broker %s:%d (MQTT %s%s), client id %s\n", qPrintable(config.broker.host),
                config.broker.port, config.broker.protocol == 5 ? "5" : "3.1.1",
                config.broker.caFile.isEmpty() ? "" : ", TLS", qPrintable(config.broker.clientId));
    std::printf("topics %s/..., discovery %s/..., poll every %d ms\n",
                qPrintable(config.topics.base), qPrintable(config.topics.discoveryPrefix),
                config.pollMs);
    if (config.search)
        std::printf("search%s%s, %s\n", config.searchAdapter.isEmpty() ? "" : " through ",
                    qPrintable(config.searchAdapter),
                    config.searchIntervalS > 0
                        ? qPrintable(u"again every %1 s"_s.arg(config.searchIntervalS))
                        : "once");
    for (const bridge::ModuleEntry &m : config.modules)
        std::printf("module %s at %s (%s)\n", qPrintable(m.mac), qPrintable(m.endpoint.text()),
                    m.connectsToUs   ? "tcp, connects to the bridge"
                    : m.endpoint.udp ? "udp"
                                     : "tcp");
}

// A module answers a query for all its relays or inputs one reply at a
// time, so that hundreds of modules wake the event loop thousands of times a
// second, and every wake polls every module's socket: a cost that grows with
// the square of the module count. A wake soon after the previous one
// therefore waits a little, in proportion to the number of sockets a wake
// polls, and what arrived meanwhile is taken in one turn: the polling then
// costs about the same at any number of modules, and a few modules see no
// delay at all. After a quiet spell the first arrival is taken at once.
constexpr qint64 PauseUsPerModule = 20;
constexpr qint64 LeastPauseUs = 100;

void coalesceWakes(std::function<qsizetype()> modules) {
    const auto turn = std::make_shared<QElapsedTimer>();
    turn->start();
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     qApp, [turn, modules = std::move(modules)] {
                         const qint64 pause = PauseUsPerModule * modules();
                         const qint64 left = pause - turn->nsecsElapsed() / 1000;
                         if (pause >= LeastPauseUs && left > 0)
                             QThread::usleep(quint64(left));
                         turn->restart();
                     });
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"ostrel-bridge"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(OSTREL_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Publishes the relays and inputs of Ostrel relay modules to an MQTT broker, takes "
        u"relay commands from it, and announces every relay and input to Home Assistant."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    bridge::addOptions(parser);
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "ostrel-bridge: unexpected argument %s\n",
                     qPrintable(parser.positionalArguments().constFirst()));
        return 2;
    }
    QStringList errors;
    bridge::Config config = bridge::readConfig(parser, &errors);
    for (const QString &error : std::as_const(errors))
        std::fprintf(stderr, "ostrel-bridge: %s\n", qPrintable(error));
    if (!errors.isEmpty())
        return 2;
    if (parser.isSet(u"check"_s)) {
        printConfig(config);
        return 0;
    }

    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        std::perror("ostrel-bridge: socketpair");
        return 1;
    }
    g_signalWrite = pair[1];
    ::fcntl(pair[1], F_SETFL, O_NONBLOCK);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);

    std::unique_ptr<bridge::Bridge> bridge;
    coalesceWakes([&] { return bridge ? bridge->moduleCount() : 0; });
    QSocketNotifier stopSignal(pair[0], QSocketNotifier::Read);
    QObject::connect(&stopSignal, &QSocketNotifier::activated, &app, [&] {
        char byte;
        [[maybe_unused]] const auto n = ::read(pair[0], &byte, 1);
        if (bridge)
            bridge->stop();
        QCoreApplication::quit();
    });
    const auto start = [&](const bridge::Config &modules) {
        bridge = std::make_unique<bridge::Bridge>(
            modules, [] { return std::make_unique<SocketTransport>(); });
        QString error;
        if (bridge->start(&error))
            return true;
        std::fprintf(stderr, "ostrel-bridge: %s\n", qPrintable(error));
        return false;
    };
    // The modules found join those listed; a listed one keeps its entry.
    // Later searches follow the modules found when they move, and add those
    // that came since.
    const SystemAdapters adapters;
    bridge::ModuleFinder finder(std::make_unique<SocketTransport>(), adapters);
    QTimer searchAgain;
    searchAgain.setSingleShot(true);
    qsizetype lastFound = -1;
    const auto search = [&] {
        finder.find(config.searchAdapter, [&](const QList<bridge::ModuleEntry> &found,
                                              const QString &failure) {
            if (!failure.isEmpty())
                std::fprintf(stderr, "ostrel-bridge: search: %s\n", qPrintable(failure));
            if (std::exchange(lastFound, found.size()) != found.size())
                std::fprintf(stderr, "ostrel-bridge: the search found %lld module(s)\n",
                             qlonglong(found.size()));
            if (bridge) {
                bridge->modulesFound(found);
            } else {
                for (const bridge::ModuleEntry &entry : found) {
                    if (std::ranges::none_of(config.modules,
                                             [&](const auto &m) { return m.mac == entry.mac; }))
                        config.modules.append(entry);
                }
                if (!start(config)) {
                    QCoreApplication::exit(1);
                    return;
                }
            }
            if (config.searchIntervalS > 0)
                searchAgain.start(std::chrono::seconds(config.searchIntervalS));
        });
    };
    QObject::connect(&searchAgain, &QTimer::timeout, &app, search);
    if (config.search)
        search();
    else if (!start(config))
        return 1;
    return QCoreApplication::exec();
}
