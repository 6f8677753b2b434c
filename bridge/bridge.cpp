#include "bridge.h"

#include "parameters.h"

#include <QDateTime>
#include <QJsonDocument>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace bridge {

namespace {

QByteArray onOff(bool on) {
    return on ? "ON" : "OFF";
}

QString modeOf(const ModuleEntry &module) {
    return module.connectsToUs ? u"tcp-client"_s : module.endpoint.udp ? u"udp"_s : u"tcp"_s;
}

// How the bridge reaches a module, as the events say it.
QString whereOf(const ModuleEntry &module) {
    return modeOf(module) + u' ' + module.endpoint.text();
}

} // namespace

Bridge::Bridge(Config config, TransportFactory transports, QObject *parent)
    : QObject(parent)
    , m_config(std::move(config))
    , m_transports(std::move(transports)) {}

Bridge::~Bridge() = default;

bool Bridge::start(QString *error) {
    if (m_config.eventsFile.isEmpty() || m_config.eventsFile == u"-"_s) {
        if (!m_events.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            *error = u"standard output: "_s + m_events.errorString();
            return false;
        }
    } else {
        m_events.setFileName(m_config.eventsFile);
        if (!m_events.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
            *error = m_config.eventsFile + u": "_s + m_events.errorString();
            return false;
        }
    }
    m_mqtt = std::make_unique<MqttClient>(
        m_config.broker, MqttClient::Will{m_config.topics.bridgeAvailability(), "offline"});
    connect(m_mqtt.get(), &MqttClient::connected, this, &Bridge::brokerConnected);
    connect(m_mqtt.get(), &MqttClient::disconnected, this, [this](const QString &why) {
        event({}, u"broker-lost"_s, {{u"reason"_s, why}});
    });
    connect(m_mqtt.get(), &MqttClient::message, this, &Bridge::brokerMessage);
    for (const ModuleEntry &module : std::as_const(m_config.modules)) {
        std::unique_ptr<Transport> transport = transportFor(module, error);
        if (!transport)
            return false;
        if (!module.found)
            m_listed.insert(module.mac);
        addModule(module, std::move(transport));
    }
    if (!m_mqtt->start(error))
        return false;
    for (const auto &poller : m_pollers)
        poller->start();
    m_running = true;
    return true;
}

std::unique_ptr<Transport> Bridge::transportFor(const ModuleEntry &module, QString *error) {
    if (!module.connectsToUs)
        return m_transports();
    std::unique_ptr<ModuleServer> &server = m_servers[module.endpoint.port];
    if (!server) {
        server = std::make_unique<ModuleServer>(m_transports(), module.endpoint.port);
        if (!server->open(error)) {
            m_servers.erase(module.endpoint.port);
            return nullptr;
        }
    }
    return server->transportFor(parameters::addressValue(module.endpoint.host).value_or(0));
}

ModulePoller &Bridge::addModule(const ModuleEntry &module, std::unique_ptr<Transport> transport) {
    m_index.insert(module.mac, int(m_pollers.size()));
    m_pollers.push_back(std::make_unique<ModulePoller>(module, std::move(transport),
                                                       m_config.pollMs, m_config.queryTimeoutMs));
    watch(*m_pollers.back());
    return *m_pollers.back();
}

void Bridge::modulesFound(const QList<ModuleEntry> &found) {
    if (!m_running)
        return;
    QHash<QString, int> answers;
    for (const ModuleEntry &entry : found)
        ++answers[entry.mac];
    for (const ModuleEntry &entry : found) {
        // Two modules that share a MAC would have the bridge switch between
        // them at every search; the one it has stays.
        if (m_listed.contains(entry.mac) || (pollerOf(entry.mac) && answers.value(entry.mac) > 1))
            continue;
        ModulePoller *poller = pollerOf(entry.mac);
        const ModuleEntry *known = poller ? &poller->module() : nullptr;
        if (known && known->endpoint.host == entry.endpoint.host &&
            known->endpoint.port == entry.endpoint.port &&
            known->endpoint.udp == entry.endpoint.udp && known->connectsToUs == entry.connectsToUs)
            continue;
        QString error;
        std::unique_ptr<Transport> transport = transportFor(entry, &error);
        if (!transport) {
            event(entry.mac, u"connection-lost"_s, {{u"reason"_s, error}});
            continue;
        }
        if (!poller) {
            ModulePoller &added = addModule(entry, std::move(transport));
            publishModule(added);
            added.start();
            continue;
        }
        event(entry.mac, u"address-changed"_s,
              {{u"from"_s, whereOf(*known)}, {u"to"_s, whereOf(entry)}});
        poller->moveTo(entry, std::move(transport));
        publishInfo(entry);
    }
}

void Bridge::stop() {
    m_running = false;
    for (const auto &poller : m_pollers)
        poller->stop();
    if (m_mqtt)
        m_mqtt->finish(m_config.topics.bridgeAvailability(), "offline");
    event({}, u"stopped"_s);
}

ModulePoller *Bridge::pollerOf(const QString &mac) const {
    const auto it = m_index.constFind(mac);
    return it == m_index.cend() ? nullptr : m_pollers.at(size_t(*it)).get();
}

void Bridge::watch(ModulePoller &poller) {
    const QString mac = poller.module().mac;
    const Topics &topics = m_config.topics;
    connect(&poller, &ModulePoller::relayChanged, this, [this, mac, &topics](int n, bool on) {
        m_mqtt->publish(topics.relay(mac, n), onOff(on), true);
        event(mac, u"relay-changed"_s,
              {{u"relay"_s, n}, {u"state"_s, QString::fromLatin1(onOff(on))}});
    });
    connect(&poller, &ModulePoller::inputChanged, this, [this, mac, &topics](int n, bool on) {
        m_mqtt->publish(topics.input(mac, n), onOff(on), true);
        event(mac, u"input-changed"_s,
              {{u"input"_s, n}, {u"state"_s, QString::fromLatin1(onOff(on))}});
    });
    connect(&poller, &ModulePoller::commandAnswered, this,
            [this, mac, &topics](int n, bool on, bool changed) {
                // The answer is published even when the state did not change: the
                // sender waits for it.
                if (!changed)
                    m_mqtt->publish(topics.relay(mac, n), onOff(on), true);
                event(mac, u"command-result"_s,
                      {{u"relay"_s, n},
                       {u"result"_s, u"ok"_s},
                       {u"state"_s, QString::fromLatin1(onOff(on))}});
            });
    connect(&poller, &ModulePoller::commandRefused, this, [this, mac] {
        event(mac, u"command-result"_s, {{u"result"_s, u"refused"_s}});
    });
    connect(&poller, &ModulePoller::commandUnanswered, this, [this, mac](int n) {
        event(mac, u"command-result"_s, {{u"relay"_s, n}, {u"result"_s, u"no-answer"_s}});
    });
    connect(&poller, &ModulePoller::onlineChanged, this, [this, mac, &topics](bool online) {
        m_mqtt->publish(topics.availability(mac), online ? "online" : "offline", true);
        if (!online) {
            m_vanished.insert(mac);
            event(mac, u"vanished"_s);
        } else if (m_vanished.remove(mac)) {
            event(mac, u"back"_s);
        } else if (!m_seen.contains(mac)) {
            m_seen.insert(mac);
            event(mac, u"appeared"_s);
        }
    });
    connect(&poller, &ModulePoller::connectionProblem, this, [this, mac](const QString &text) {
        event(mac, u"connection-lost"_s, {{u"reason"_s, text}});
    });
}

void Bridge::brokerConnected() {
    event({}, u"broker-connected"_s,
          {{u"broker"_s, u"%1:%2"_s.arg(m_config.broker.host).arg(m_config.broker.port)}});
    const Topics &topics = m_config.topics;
    m_mqtt->publish(topics.bridgeAvailability(), "online", true);
    m_mqtt->subscribe(topics.relaySetFilter());
    m_mqtt->subscribe(topics.discoveryFilter());
    for (const auto &poller : m_pollers)
        publishModule(*poller);
}

// Everything known about a module, as after a (re)connect of the broker.
void Bridge::publishModule(ModulePoller &poller) {
    const ModuleEntry &module = poller.module();
    const Topics &topics = m_config.topics;
    publishDiscovery(module);
    publishInfo(module);
    m_mqtt->publish(topics.availability(module.mac), poller.isOnline() ? "online" : "offline",
                    true);
    for (int n = 1; n <= RelayCount; ++n) {
        if (const std::optional<bool> on = poller.relay(n))
            m_mqtt->publish(topics.relay(module.mac, n), onOff(*on), true);
    }
    for (int n = 1; n <= InputCount; ++n) {
        if (const std::optional<bool> on = poller.input(n))
            m_mqtt->publish(topics.input(module.mac, n), onOff(*on), true);
    }
}

void Bridge::publishInfo(const ModuleEntry &module) {
    QJsonObject info{{u"mac"_s, macText(module.mac)},
                     {u"ip"_s, module.endpoint.host},
                     {u"port"_s, module.endpoint.port},
                     {u"mode"_s, modeOf(module)}};
    if (!module.name.isEmpty())
        info.insert(u"name"_s, module.name);
    if (!module.firmware.isEmpty())
        info.insert(u"firmware"_s, module.firmware);
    m_mqtt->publish(m_config.topics.info(module.mac),
                    QJsonDocument(info).toJson(QJsonDocument::Compact), true);
}

void Bridge::publishDiscovery(const ModuleEntry &module) {
    const Topics &topics = m_config.topics;
    const DeviceInfo device{module.mac, module.name, module.firmware};
    for (const Point point : {Point::Relay, Point::Input}) {
        const int count = point == Point::Relay ? RelayCount : InputCount;
        for (int n = 1; n <= count; ++n)
            m_mqtt->publish(topics.discovery(component(point), objectId(module.mac, point, n)),
                            QJsonDocument(discoveryConfig(topics, device, point, n))
                                .toJson(QJsonDocument::Compact),
                            true);
    }
}

void Bridge::brokerMessage(const QString &topic, const QByteArray &payload, bool retained) {
    const Topics &topics = m_config.topics;
    // A discovery configuration of ours for a module no longer configured:
    // taken away, so that Home Assistant drops its entity.
    if (topic.startsWith(topics.discoveryPrefix + u'/')) {
        const QList<QStringView> levels = QStringView(topic).split(u'/');
        const QString mac = macOfObjectId(levels.value(levels.size() - 2));
        if (!payload.isEmpty() && !mac.isEmpty() && !pollerOf(mac)) {
            m_mqtt->publish(topic, {}, true);
            event(mac, u"discovery-removed"_s, {{u"topic"_s, topic}});
        }
        return;
    }
    // Retained commands are old news: whatever they asked for happened or
    // was refused when they were new.
    if (retained)
        return;
    const std::optional<SetRequest> request = parseSet(topics, topic, payload);
    if (!request)
        return;
    command(*request);
}

void Bridge::command(const SetRequest &request) {
    static const QString states[] = {u"ON"_s, u"OFF"_s, u"TOGGLE"_s};
    QJsonObject fields{{u"relay"_s, request.relay}};
    if (!request.error.isEmpty()) {
        fields.insert(u"result"_s, u"ignored"_s);
        fields.insert(u"reason"_s, request.error);
        event(request.mac, u"command-received"_s, fields);
        return;
    }
    fields.insert(u"state"_s, states[int(request.state)]);
    if (request.seconds > 0)
        fields.insert(u"seconds"_s, request.seconds);
    event(request.mac, u"command-received"_s, fields);
    ModulePoller *poller = pollerOf(request.mac);
    bool on = request.state == SetRequest::State::On;
    QString failure;
    if (!poller) {
        failure = u"no such module"_s;
    } else if (request.state == SetRequest::State::Toggle) {
        const std::optional<bool> now = poller->relay(request.relay);
        if (!now)
            failure = u"the relay's state is not known yet"_s;
        on = now && !*now;
    }
    if (failure.isEmpty() && !poller->switchRelay(request.relay, on, request.seconds))
        failure = u"the module cannot be reached"_s;
    if (!failure.isEmpty())
        event(request.mac, u"command-result"_s,
              {{u"relay"_s, request.relay}, {u"result"_s, u"failed"_s}, {u"reason"_s, failure}});
}

void Bridge::event(const QString &mac, const QString &kind, QJsonObject fields) {
    fields.insert(u"time"_s, QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    fields.insert(u"event"_s, kind);
    if (!mac.isEmpty())
        fields.insert(u"mac"_s, mac);
    m_events.write(QJsonDocument(fields).toJson(QJsonDocument::Compact) + '\n');
}

} // namespace bridge
