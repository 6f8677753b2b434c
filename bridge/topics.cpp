#include "topics.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace bridge {

QString macKey(QStringView text) {
    static const QRegularExpression form(
        u"^[0-9A-Fa-f]{2}([:-]?)[0-9A-Fa-f]{2}(?:\\1[0-9A-Fa-f]{2}){4}$"_s);
    if (!form.match(text.toString()).hasMatch())
        return {};
    QString key = text.toString().toLower();
    key.remove(u':').remove(u'-');
    return key;
}

QString macText(const QString &key) {
    QStringList pairs;
    for (qsizetype i = 0; i + 1 < key.size(); i += 2)
        pairs.append(key.sliced(i, 2));
    return pairs.join(u':');
}

bool isTopicPrefix(QStringView text) {
    if (text.isEmpty() || text.contains(u'+') || text.contains(u'#') || text.contains(QChar()))
        return false;
    return !text.startsWith(u'/') && !text.endsWith(u'/') && !text.contains(u"//");
}

namespace {

// A relay number as a topic level: plain decimal, no sign, no leading zero.
int relayNumber(QStringView level) {
    if (level.isEmpty() || level.size() > 3 || level.startsWith(u'0'))
        return -1;
    bool ok = false;
    const int n = level.toInt(&ok);
    return ok && std::ranges::all_of(level, [](QChar c) { return c.isDigit(); }) ? n : -1;
}

std::optional<SetRequest::State> stateOf(QStringView word) {
    if (word.compare(u"ON", Qt::CaseInsensitive) == 0)
        return SetRequest::State::On;
    if (word.compare(u"OFF", Qt::CaseInsensitive) == 0)
        return SetRequest::State::Off;
    if (word.compare(u"TOGGLE", Qt::CaseInsensitive) == 0)
        return SetRequest::State::Toggle;
    return std::nullopt;
}

// {"state": "ON"|"OFF", "seconds": S}; error set when it is not that.
void readTimed(QByteArrayView payload, SetRequest &request) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(payload.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        request.error = u"payload is neither ON, OFF, TOGGLE nor a JSON object"_s;
        return;
    }
    const QJsonObject object = document.object();
    const std::optional<SetRequest::State> state = stateOf(object[u"state"_s].toString());
    if (!state || *state == SetRequest::State::Toggle) {
        request.error = u"\"state\" must be \"ON\" or \"OFF\""_s;
        return;
    }
    request.state = *state;
    const QJsonValue seconds = object[u"seconds"_s];
    if (seconds.isUndefined())
        return;
    const double value = seconds.toDouble(-1);
    if (!seconds.isDouble() || value != double(qint64(value)) || value < 1 || value > MaxSeconds) {
        request.error = u"\"seconds\" must be a whole number from 1 to %1"_s.arg(MaxSeconds);
        return;
    }
    request.seconds = int(value);
}

} // namespace

std::optional<SetRequest> parseSet(const Topics &topics, QStringView topic,
                                   QByteArrayView payload) {
    const QString prefix = topics.base + u'/';
    if (!topic.startsWith(prefix))
        return std::nullopt;
    const QList<QStringView> levels = topic.sliced(prefix.size()).split(u'/');
    if (levels.size() != 4 || levels[1] != u"relay" || levels[3] != u"set")
        return std::nullopt;
    SetRequest request;
    request.mac = macKey(levels[0]);
    if (request.mac.isEmpty() || request.mac != levels[0]) {
        request.error = u"\"%1\" is not a MAC as the topics write it"_s.arg(levels[0]);
        return request;
    }
    request.relay = relayNumber(levels[2]);
    if (request.relay < 1 || request.relay > RelayCount) {
        request.error =
            u"relay \"%1\" is not a number from 1 to %2"_s.arg(levels[2]).arg(RelayCount);
        return request;
    }
    if (payload.size() > MaxSetPayload) {
        request.error = u"payload of %1 bytes is too long"_s.arg(payload.size());
        return request;
    }
    const QString word = QString::fromUtf8(payload).trimmed();
    if (const std::optional<SetRequest::State> state = stateOf(word))
        request.state = *state;
    else
        readTimed(payload, request);
    return request;
}

QString objectId(const QString &mac, Point point, int n) {
    return u"ostrel_%1_%2%3"_s.arg(mac, point == Point::Relay ? u"relay"_s : u"input"_s).arg(n);
}

QString component(Point point) {
    return point == Point::Relay ? u"switch"_s : u"binary_sensor"_s;
}

QString macOfObjectId(QStringView id) {
    static const QRegularExpression form(u"^ostrel_([0-9a-f]{12})_(?:relay|input)[0-9]+$"_s);
    const QRegularExpressionMatch match = form.match(id.toString());
    return match.hasMatch() ? match.captured(1) : QString();
}

QJsonObject discoveryConfig(const Topics &topics, const DeviceInfo &device, Point point, int n) {
    const bool relay = point == Point::Relay;
    QJsonObject device_{
        {u"identifiers"_s, QJsonArray{device.mac}},
        {u"connections"_s, QJsonArray{QJsonArray{u"mac"_s, macText(device.mac)}}},
        {u"name"_s, device.name.isEmpty() ? u"Ostrel "_s + device.mac : device.name},
        {u"model"_s, u"Ethernet relay module"_s},
        {u"manufacturer"_s, u"Ostrel"_s}};
    if (!device.firmware.isEmpty())
        device_.insert(u"sw_version"_s, device.firmware);
    QJsonObject config{
        {u"name"_s, (relay ? u"Relay %1"_s : u"Input %1"_s).arg(n)},
        {u"unique_id"_s, objectId(device.mac, point, n)},
        {u"object_id"_s, objectId(device.mac, point, n)},
        {u"state_topic"_s, relay ? topics.relay(device.mac, n) : topics.input(device.mac, n)},
        {u"payload_on"_s, u"ON"_s},
        {u"payload_off"_s, u"OFF"_s},
        {u"availability"_s, QJsonArray{QJsonObject{{u"topic"_s, topics.bridgeAvailability()}},
                                       QJsonObject{{u"topic"_s, topics.availability(device.mac)}}}},
        {u"availability_mode"_s, u"all"_s},
        {u"device"_s, device_}};
    if (relay) {
        config.insert(u"command_topic"_s, topics.relaySet(device.mac, n));
        config.insert(u"state_on"_s, u"ON"_s);
        config.insert(u"state_off"_s, u"OFF"_s);
    }
    return config;
}

} // namespace bridge
