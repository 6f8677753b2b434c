#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

// The bridge's MQTT names and payloads, and what it accepts from others.
namespace bridge {

// A MAC as topics write it: 12 lower-case hex digits without separators.
// Accepts the usual ways of writing one ("02:00:C0:A8:01:C7", "02-00-...",
// "0200c0a801c7"); empty when text is none of them.
QString macKey(QStringView text);
// "02:00:c0:a8:01:c7" from a key.
QString macText(const QString &key);

// Whether text can stand as a topic prefix: not empty, no wildcard, no
// empty level, no leading or trailing slash.
bool isTopicPrefix(QStringView text);

struct Topics {
    QString base = QStringLiteral("ostrel");
    QString discoveryPrefix = QStringLiteral("homeassistant");
    // The bridge's own level under the discovery prefix, so that it finds
    // and removes only the configurations it published itself.
    QString node;

    QString bridgeAvailability() const { return base + QStringLiteral("/bridge/availability"); }
    QString module(const QString &mac) const { return base + u'/' + mac; }
    QString availability(const QString &mac) const {
        return module(mac) + QStringLiteral("/availability");
    }
    QString info(const QString &mac) const { return module(mac) + QStringLiteral("/info"); }
    QString relay(const QString &mac, int n) const {
        return module(mac) + QStringLiteral("/relay/") + QString::number(n);
    }
    QString relaySet(const QString &mac, int n) const {
        return relay(mac, n) + QStringLiteral("/set");
    }
    QString input(const QString &mac, int n) const {
        return module(mac) + QStringLiteral("/input/") + QString::number(n);
    }
    // Every relay's command topic, for the subscription.
    QString relaySetFilter() const { return base + QStringLiteral("/+/relay/+/set"); }
    QString discovery(const QString &component, const QString &objectId) const {
        return discoveryPrefix + u'/' + component + u'/' + node + u'/' + objectId +
               QStringLiteral("/config");
    }
    QString discoveryFilter() const {
        return discoveryPrefix + QStringLiteral("/+/") + node + QStringLiteral("/+/config");
    }
};

// A command published to a relay's /set topic.
struct SetRequest {
    enum class State { On, Off, Toggle };
    QString mac;
    int relay = 0;
    State state = State::Off;
    // The module's own timer: switch back after this many time units; 0 for
    // none.
    int seconds = 0;
    // Why nothing is to be sent; empty when the request stands.
    QString error;
};

inline constexpr int RelayCount = 15;
inline constexpr int InputCount = 12;
// More than any command needs; a longer payload is refused unread.
inline constexpr qsizetype MaxSetPayload = 256;
// Keeps a timed switch's command within what a module takes.
inline constexpr int MaxSeconds = 99999999;

// The request a message on topic carries, or nullopt when the topic is not a
// relay's /set topic under base.
std::optional<SetRequest> parseSet(const Topics &topics, QStringView topic, QByteArrayView payload);

// A module as discovery describes its device.
struct DeviceInfo {
    QString mac; // key
    QString name;
    QString firmware;
};

enum class Point { Relay, Input };

QString objectId(const QString &mac, Point point, int n);
QString component(Point point);
// The retained discovery configuration of one relay or input.
QJsonObject discoveryConfig(const Topics &topics, const DeviceInfo &device, Point point, int n);
// The MAC key of a discovery object id this bridge would publish, or empty.
QString macOfObjectId(QStringView objectId);

} // namespace bridge
