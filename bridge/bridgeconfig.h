#pragma once

#include "relaylink.h"
#include "topics.h"

#include <QList>
#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace bridge {

struct ModuleEntry {
    QString mac; // key
    // For a module in TCP client mode, its address and the port the bridge
    // listens on for it.
    RelayLink::Endpoint endpoint;
    QString name;
    // Known when the module was found by a search.
    QString firmware;
    // In TCP client mode: the module connects to the bridge.
    bool connectsToUs = false;
    // Found by a search (not listed), and followed when it moves.
    bool found = false;
};

struct BrokerSettings {
    QString host;
    int port = 1883;
    // 4: MQTT 3.1.1, 5: MQTT 5.
    int protocol = 4;
    int keepAlive = 30;
    QString clientId;
    // User name on the first line, password on the second.
    QString credentialsFile;
    QString caFile;
    QString certFile;
    QString keyFile;
};

struct Config {
    BrokerSettings broker;
    Topics topics;
    QList<ModuleEntry> modules;
    int pollMs = 1000;
    // How long a query waits for the last of its answers.
    int queryTimeoutMs = 2000;
    // Empty: standard output.
    QString eventsFile;
    // Find the modules on the network (on this adapter only, when named)
    // besides those listed.
    bool search = false;
    QString searchAdapter;
    // Searches again this often, to follow modules that moved; 0: only at
    // the start.
    int searchIntervalS = 60;
};

// Where an installed bridge finds its configuration.
inline constexpr char DefaultConfigPath[] = "/etc/ostrel/bridge.json";

// The options ostrel-bridge takes.
void addOptions(QCommandLineParser &parser);
// The configuration file (if any) with the command line over it; errors
// lists every fault found, each as a line for the user.
Config readConfig(const QCommandLineParser &parser, QStringList *errors);
// "MAC@HOST:PORT[/udp|/tcp|/client]".
std::optional<ModuleEntry> moduleOf(const QString &text);
// User name and password from the credentials file.
bool readCredentials(const QString &path, QString *user, QString *password, QString *error);

} // namespace bridge
