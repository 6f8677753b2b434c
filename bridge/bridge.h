#pragma once

#include "bridgeconfig.h"
#include "modulepoller.h"
#include "moduleserver.h"
#include "mqttclient.h"

#include <QFile>
#include <QHash>
#include <QJsonObject>
#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace bridge {

// Every module's relays and inputs in MQTT: states and availability
// published, commands taken from the /set topics, Home Assistant discovery,
// and each event as a JSON line.
class Bridge : public QObject {
    Q_OBJECT

public:
    using TransportFactory = std::function<std::unique_ptr<Transport>()>;

    Bridge(Config config, TransportFactory transports, QObject *parent = nullptr);
    ~Bridge() override;

    bool start(QString *error);
    // Offline published, connections closed.
    void stop();
    qsizetype moduleCount() const { return qsizetype(m_pollers.size()); }
    // What a search found: a module not known yet joins, and one found by an
    // earlier search that answered from elsewhere is followed there. A module
    // listed in the configuration keeps its entry.
    void modulesFound(const QList<ModuleEntry> &found);

private:
    void brokerConnected();
    void brokerMessage(const QString &topic, const QByteArray &payload, bool retained);
    void command(const SetRequest &request);
    std::unique_ptr<Transport> transportFor(const ModuleEntry &module, QString *error);
    ModulePoller &addModule(const ModuleEntry &module, std::unique_ptr<Transport> transport);
    void publishModule(ModulePoller &poller);
    void publishInfo(const ModuleEntry &module);
    void publishDiscovery(const ModuleEntry &module);
    void watch(ModulePoller &poller);
    void event(const QString &mac, const QString &kind, QJsonObject fields = {});
    ModulePoller *pollerOf(const QString &mac) const;

    Config m_config;
    TransportFactory m_transports;
    std::unique_ptr<MqttClient> m_mqtt;
    // By port: where modules in TCP client mode connect to. Made before the
    // pollers, whose transports they hold, and gone after them.
    std::map<quint16, std::unique_ptr<ModuleServer>> m_servers;
    std::vector<std::unique_ptr<ModulePoller>> m_pollers;
    QHash<QString, int> m_index;
    QSet<QString> m_listed;
    bool m_running = false;
    // Modules that answered at least once, and are known to have vanished.
    QSet<QString> m_seen;
    QSet<QString> m_vanished;
    QFile m_events;
};

} // namespace bridge
