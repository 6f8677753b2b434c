#include "bridgeconfig.h"

#include "moduleserver.h"
#include "parameters.h"
#include "settings.h"

#include <QCommandLineParser>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QSysInfo>

using namespace Qt::StringLiterals;

namespace bridge {

namespace {

std::optional<quint16> portOf(const QString &text) {
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

// HOST[:PORT] of the broker.
bool readBroker(const QString &text, BrokerSettings &broker) {
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon < 0) {
        broker.host = text;
        return !text.isEmpty();
    }
    const std::optional<quint16> port = portOf(text.sliced(colon + 1));
    if (colon == 0 || !port)
        return false;
    broker.host = text.first(colon);
    broker.port = *port;
    return true;
}

bool readProtocol(const QString &text, BrokerSettings &broker) {
    if (text == u"5"_s)
        broker.protocol = 5;
    else if (text == u"3.1.1"_s || text == u"4"_s)
        broker.protocol = 4;
    else
        return false;
    return true;
}

// An MQTT client identifier every broker takes: letters, digits, - and _.
QString defaultClientId() {
    QString host = QSysInfo::machineHostName();
    host.replace(QRegularExpression(u"[^A-Za-z0-9_-]"_s), u"_"_s);
    return (u"ostrel-bridge-"_s + host).left(23);
}

void readFile(const QString &path, Config &config, QStringList &errors) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        errors.append(u"%1: %2"_s.arg(path, settings::openFailure(file, false)));
        return;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.read(1 << 20), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        errors.append(u"%1: not a JSON object (%2)"_s.arg(path, parseError.errorString()));
        return;
    }
    const QJsonObject root = document.object();
    const auto text = [&](const QJsonObject &object, const QString &key, QString &into) {
        const QJsonValue value = object[key];
        if (value.isString())
            into = value.toString();
        else if (!value.isUndefined())
            errors.append(u"%1: \"%2\" must be a text"_s.arg(path, key));
    };
    const auto number = [&](const QJsonObject &object, const QString &key, int &into) {
        const QJsonValue value = object[key];
        if (value.isDouble())
            into = value.toInt(-1);
        else if (!value.isUndefined())
            errors.append(u"%1: \"%2\" must be a number"_s.arg(path, key));
    };
    const QJsonValue broker = root[u"broker"_s];
    if (broker.isString()) {
        if (!readBroker(broker.toString(), config.broker))
            errors.append(u"%1: \"broker\" is not HOST[:PORT]"_s.arg(path));
    } else if (broker.isObject()) {
        const QJsonObject b = broker.toObject();
        text(b, u"host"_s, config.broker.host);
        number(b, u"port"_s, config.broker.port);
        QString protocol;
        text(b, u"protocol"_s, protocol);
        if (!protocol.isEmpty() && !readProtocol(protocol, config.broker))
            errors.append(u"%1: \"protocol\" is \"3.1.1\" or \"5\""_s.arg(path));
        number(b, u"keepalive"_s, config.broker.keepAlive);
        text(b, u"client_id"_s, config.broker.clientId);
        text(b, u"credentials"_s, config.broker.credentialsFile);
        text(b, u"ca"_s, config.broker.caFile);
        text(b, u"cert"_s, config.broker.certFile);
        text(b, u"key"_s, config.broker.keyFile);
    } else if (!broker.isUndefined()) {
        errors.append(u"%1: \"broker\" is HOST[:PORT] or an object"_s.arg(path));
    }
    text(root, u"base_topic"_s, config.topics.base);
    text(root, u"discovery_prefix"_s, config.topics.discoveryPrefix);
    number(root, u"poll_ms"_s, config.pollMs);
    number(root, u"query_timeout_ms"_s, config.queryTimeoutMs);
    text(root, u"events"_s, config.eventsFile);
    config.search = root[u"search"_s].toBool(false);
    text(root, u"adapter"_s, config.searchAdapter);
    number(root, u"search_interval_s"_s, config.searchIntervalS);
    const QJsonArray modules = root[u"modules"_s].toArray();
    for (qsizetype i = 0; i < modules.size(); ++i) {
        const QJsonObject m = modules[i].toObject();
        ModuleEntry entry;
        entry.mac = macKey(m[u"mac"_s].toString());
        entry.endpoint.host = m[u"host"_s].toString();
        const int port = m[u"port"_s].toInt(-1);
        entry.endpoint.port = quint16(std::clamp(port, 0, 65535));
        const QString transport = m[u"transport"_s].toString(u"tcp"_s);
        entry.endpoint.udp = transport == u"udp"_s;
        entry.connectsToUs = transport == u"client"_s;
        entry.name = m[u"name"_s].toString();
        const QString where = u"%1: module %2"_s.arg(path).arg(i + 1);
        if (entry.mac.isEmpty())
            errors.append(where + u": \"mac\" is not a MAC"_s);
        if (entry.endpoint.host.isEmpty())
            errors.append(where + u": \"host\" is missing"_s);
        if (port < 1 || port > 65535)
            errors.append(where + u": \"port\" is not from 1 to 65535"_s);
        if (transport != u"tcp"_s && transport != u"udp"_s && transport != u"client"_s)
            errors.append(where + u": \"transport\" is \"tcp\", \"udp\" or \"client\""_s);
        config.modules.append(entry);
    }
}

} // namespace

std::optional<ModuleEntry> moduleOf(const QString &text) {
    static const QRegularExpression form(u"^([^@]+)@([^:/]+):([0-9]+)(/udp|/tcp|/client)?$"_s);
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    ModuleEntry entry;
    entry.mac = macKey(match.captured(1));
    const std::optional<quint16> port = portOf(match.captured(3));
    if (entry.mac.isEmpty() || !port)
        return std::nullopt;
    entry.endpoint = {match.captured(2), *port, match.captured(4) == u"/udp"_s};
    entry.connectsToUs = match.captured(4) == u"/client"_s;
    return entry;
}

void addOptions(QCommandLineParser &parser) {
    parser.addOptions({
        {u"config"_s,
         u"Read the configuration from <file> (JSON; default %1 when neither --broker nor "
         u"--module is given)."_s.arg(QLatin1StringView(DefaultConfigPath)),
         u"file"_s},
        {u"broker"_s, u"The MQTT broker (port 1883 unless given)."_s, u"host[:port]"_s},
        {u"module"_s,
         u"A module in its working mode; repeat for more. /client: a module in TCP client "
         u"mode, which connects from host to the bridge's port."_s,
         u"mac@host:port[/udp|/client]"_s},
        {u"base-topic"_s, u"First level of every topic (default ostrel)."_s, u"topic"_s},
        {u"discovery-prefix"_s, u"Home Assistant's discovery prefix (default homeassistant)."_s,
         u"prefix"_s},
        {u"poll"_s, u"Query every module's relays and inputs every <ms> (default 1000)."_s,
         u"ms"_s},
        {u"events"_s, u"Write the events as JSON lines to <file> (default: standard output)."_s,
         u"file"_s},
        {u"credentials"_s, u"MQTT user name (first line) and password (second) from <file>."_s,
         u"file"_s},
        {u"ca"_s, u"Connect with TLS, trusting the CA certificates in <file>."_s, u"file"_s},
        {u"cert"_s, u"Client certificate for TLS."_s, u"file"_s},
        {u"key"_s, u"Key of the client certificate."_s, u"file"_s},
        {u"mqtt-version"_s, u"3.1.1 (default) or 5."_s, u"version"_s},
        {u"client-id"_s, u"MQTT client identifier (default ostrel-bridge-<host name>)."_s, u"id"_s},
        {u"search"_s, u"Find the modules on the network besides those listed."_s},
        {u"adapter"_s, u"Search through this network adapter only."_s, u"name"_s},
        {u"search-interval"_s,
         u"Search again every <s> seconds, following modules that moved (default 60; 0: only "
         u"at the start)."_s,
         u"s"_s},
        {u"check"_s, u"Check the configuration, print what it holds and end."_s},
    });
}

Config readConfig(const QCommandLineParser &parser, QStringList *errors) {
    Config config;
    QStringList &faults = *errors;
    if (parser.isSet(u"config"_s))
        readFile(parser.value(u"config"_s), config, faults);
    else if (!parser.isSet(u"broker"_s) && !parser.isSet(u"module"_s) && !parser.isSet(u"search"_s))
        readFile(QString::fromLatin1(DefaultConfigPath), config, faults);
    if (parser.isSet(u"broker"_s) && !readBroker(parser.value(u"broker"_s), config.broker))
        faults.append(u"--broker: \"%1\" is not HOST[:PORT]"_s.arg(parser.value(u"broker"_s)));
    for (const QString &text : parser.values(u"module"_s)) {
        if (const std::optional<ModuleEntry> entry = moduleOf(text))
            config.modules.append(*entry);
        else
            faults.append(u"--module: \"%1\" is not MAC@HOST:PORT[/udp]"_s.arg(text));
    }
    if (parser.isSet(u"base-topic"_s))
        config.topics.base = parser.value(u"base-topic"_s);
    if (parser.isSet(u"discovery-prefix"_s))
        config.topics.discoveryPrefix = parser.value(u"discovery-prefix"_s);
    if (parser.isSet(u"poll"_s)) {
        bool ok = false;
        config.pollMs = parser.value(u"poll"_s).toInt(&ok);
        if (!ok)
            config.pollMs = -1;
    }
    const std::pair<QString, QString *> files[] = {
        {u"events"_s, &config.eventsFile},  {u"credentials"_s, &config.broker.credentialsFile},
        {u"ca"_s, &config.broker.caFile},   {u"cert"_s, &config.broker.certFile},
        {u"key"_s, &config.broker.keyFile}, {u"client-id"_s, &config.broker.clientId}};
    for (const auto &[name, into] : files) {
        if (parser.isSet(name))
            *into = parser.value(name);
    }
    if (parser.isSet(u"search"_s))
        config.search = true;
    if (parser.isSet(u"adapter"_s))
        config.searchAdapter = parser.value(u"adapter"_s);
    if (parser.isSet(u"search-interval"_s)) {
        bool ok = false;
        config.searchIntervalS = parser.value(u"search-interval"_s).toInt(&ok);
        if (!ok)
            config.searchIntervalS = -1;
    }
    if (parser.isSet(u"mqtt-version"_s) &&
        !readProtocol(parser.value(u"mqtt-version"_s), config.broker))
        faults.append(u"--mqtt-version is 3.1.1 or 5"_s);

    // Checks of the whole.
    if (config.broker.host.isEmpty())
        faults.append(u"no broker: give --broker or \"broker\" in the configuration"_s);
    if (config.broker.port < 1 || config.broker.port > 65535)
        faults.append(u"the broker's port is not from 1 to 65535"_s);
    if (config.broker.keepAlive < 5 || config.broker.keepAlive > 65535)
        faults.append(u"keep-alive must be from 5 to 65535 seconds"_s);
    if (config.broker.clientId.isEmpty())
        config.broker.clientId = defaultClientId();
    if (!config.broker.certFile.isEmpty() && config.broker.caFile.isEmpty())
        faults.append(u"a client certificate needs --ca"_s);
    if (config.broker.certFile.isEmpty() != config.broker.keyFile.isEmpty())
        faults.append(u"--cert and --key go together"_s);
    if (!isTopicPrefix(config.topics.base))
        faults.append(
            u"base topic \"%1\" is not a topic without wildcards"_s.arg(config.topics.base));
    if (!isTopicPrefix(config.topics.discoveryPrefix))
        faults.append(u"discovery prefix \"%1\" is not a topic without wildcards"_s.arg(
            config.topics.discoveryPrefix));
    config.topics.node = config.broker.clientId;
    config.topics.node.replace(QRegularExpression(u"[^A-Za-z0-9_-]"_s), u"_"_s);
    if (config.pollMs < 100 || config.pollMs > 3600000)
        faults.append(u"the poll interval must be from 100 ms to one hour"_s);
    if (config.searchIntervalS < 0 || config.searchIntervalS > 86400)
        faults.append(u"the search interval must be from 0 to 86400 seconds"_s);
    if (config.queryTimeoutMs < 100 || config.queryTimeoutMs > 60000)
        faults.append(u"the query time-out must be from 100 ms to 60 s"_s);
    if (config.modules.isEmpty() && !config.search)
        faults.append(u"no module: give --module, --search or \"modules\" in the configuration"_s);
    for (const ModuleEntry &m : std::as_const(config.modules)) {
        if (m.connectsToUs && !parameters::addressValue(m.endpoint.host))
            faults.append(
                u"module %1 connects to the bridge: give its IPv4 address, not \"%2\""_s.arg(
                    m.mac, m.endpoint.host));
    }
    QSet<QString> seen;
    QSet<QString> twice;
    for (const ModuleEntry &m : std::as_const(config.modules)) {
        if (!m.mac.isEmpty() && seen.contains(m.mac) && !twice.contains(m.mac)) {
            faults.append(u"module %1 comes twice"_s.arg(m.mac));
            twice.insert(m.mac);
        }
        seen.insert(m.mac);
    }
    if (!config.broker.credentialsFile.isEmpty()) {
        QString user, password, error;
        if (!readCredentials(config.broker.credentialsFile, &user, &password, &error))
            faults.append(error);
    }
    return config;
}

bool readCredentials(const QString &path, QString *user, QString *password, QString *error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = u"%1: %2"_s.arg(path, settings::openFailure(file, false));
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.read(4096)).split(u'\n');
    *user = lines.value(0).trimmed();
    *password = lines.value(1).trimmed();
    if (user->isEmpty()) {
        *error = u"%1: the first line must hold the user name"_s.arg(path);
        return false;
    }
    return true;
}

} // namespace bridge
