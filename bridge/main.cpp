// ostrel-bridge: every module's relays and inputs in MQTT and Home
// Assistant, as a service.
#include "bridge.h"
#include "buildinfo.h"
#include "modulefinder.h"
#include "sockettransport.h"
#include "systemadapters.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

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
    for (const bridge::ModuleEntry &m : config.modules)
        std::printf("module %s at %s (%s)\n", qPrintable(m.mac), qPrintable(m.endpoint.text()),
                    m.connectsToUs   ? "tcp, connects to the bridge"
                    : m.endpoint.udp ? "udp"
                                     : "tcp");
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
    const SystemAdapters adapters;
    bridge::ModuleFinder finder(std::make_unique<SocketTransport>(), adapters);
    if (config.search) {
        finder.find(config.searchAdapter, [&](const QList<bridge::ModuleEntry> &found,
                                              const QString &failure) {
            if (!failure.isEmpty())
                std::fprintf(stderr, "ostrel-bridge: search: %s\n", qPrintable(failure));
            for (const bridge::ModuleEntry &entry : found) {
                if (std::ranges::none_of(config.modules,
                                         [&](const auto &m) { return m.mac == entry.mac; }))
                    config.modules.append(entry);
            }
            std::fprintf(stderr, "ostrel-bridge: the search found %lld module(s)\n",
                         qlonglong(found.size()));
            if (!start(config))
                QCoreApplication::exit(1);
        });
    } else if (!start(config)) {
        return 1;
    }
    return QCoreApplication::exec();
}
