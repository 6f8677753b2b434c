#include "settingtext.h"

#include "gbk.h"
#include "modulesession.h"
#include "parameteritems.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

using P = Parameter;

struct Key {
    const char *name;
    Parameter parameter;
};
// In write order; the version last, as it is never written.
constexpr Key Keys[] = {
    {"model", P::Model},
    {"gateway", P::Gateway},
    {"mask", P::Mask},
    {"ip", P::IP},
    {"dip", P::DestinationIP},
    {"port", P::Port},
    {"dport", P::DestinationPort},
    {"dhcp", P::Dhcp},
    {"name", P::DeviceName},
    {"uart", P::Uart},
    {"mac", P::MAC},
    {"version", P::Version},
};
constexpr Parameter WriteOrder[] = {
    P::Model, P::Gateway,    P::Mask, P::IP, P::DestinationIP, P::Port, P::DestinationPort,
    P::Dhcp,  P::DeviceName, P::Uart, P::MAC};

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c) {
    return isAsciiDigit(c) || (c.toLower() >= u'a' && c.toLower() <= u'f');
}

QString quoted(const QStringList &items) {
    return u'"' + items.join(u"\", \""_s) + u'"';
}

SettingParse refused(QStringView key, const QString &why) {
    return {std::nullopt, key.toString() + u": "_s + why};
}

SettingParse itemSetting(Parameter parameter, const ItemList &list, QStringView value) {
    const int item = list.find(value);
    if (item < 0)
        return refused(keyOf(parameter),
                       u"\"%1\" is none of %2"_s.arg(value, quoted(list.texts())));
    return {Setting{parameter, item}, {}};
}

std::optional<int> itemOf(const ItemList &list, QStringView text) {
    const int item = list.find(text);
    return item >= 0 ? std::optional(item) : std::nullopt;
}

SettingParse uartSetting(QStringView value) {
    using namespace parameteritems;
    const QList<QStringView> parts = value.split(u',');
    const std::optional<int> baud = parts.size() == 4 ? itemOf(BaudRates, parts[0]) : std::nullopt;
    const std::optional<int> data = parts.size() == 4 ? itemOf(DataBits, parts[1]) : std::nullopt;
    const std::optional<int> stop = parts.size() == 4 ? itemOf(StopBits, parts[2]) : std::nullopt;
    const std::optional<int> parity = parts.size() == 4 ? itemOf(Parities, parts[3]) : std::nullopt;
    if (!baud || !data || !stop || !parity) {
        return refused(u"uart", u"\"%1\" is not BAUD,DATABITS,STOPBITS,PARITY with BAUD one of %2, "
                                u"DATABITS one of %3, STOPBITS one of %4, PARITY one of %5"_s.arg(
                                    value, quoted(BaudRates.texts()), quoted(DataBits.texts()),
                                    quoted(StopBits.texts()), quoted(Parities.texts())));
    }
    return {
        Setting{P::Uart, UartSettings{BaudRates.text(*baud), DataBits.text(*data), *stop, *parity}},
        {}};
}

SettingParse nameSetting(QStringView value) {
    const QString name = value.toString();
    if (std::ranges::any_of(name, [](QChar c) { return c.category() == QChar::Other_Control; }))
        return refused(u"name", u"control characters cannot be sent"_s);
    if (gbk::decode(gbk::encode(name)) != name)
        return refused(u"name", u"\"%1\" has characters that GBK cannot encode"_s.arg(name));
    if (const QString refusal = ModuleSession::nameRefusal(P::DeviceName, name); !refusal.isEmpty())
        return refused(
            u"name",
            u"%1 (\"%2\" has %3 bytes in GBK)"_s.arg(refusal, name).arg(gbk::byteLength(name)));
    return {Setting{P::DeviceName, name}, {}};
}

SettingParse portSetting(Parameter parameter, QStringView value) {
    bool ok = false;
    const bool digits = value.size() <= 5 && std::ranges::all_of(value, isAsciiDigit);
    const uint port = digits ? value.toUInt(&ok) : 0;
    if (!ok || port < 1 || port > 65535)
        return refused(keyOf(parameter), u"\"%1\" is not a port from 1 to 65535"_s.arg(value));
    return {Setting{parameter, QString::number(port)}, {}};
}

} // namespace

QString keyOf(Parameter parameter) {
    const auto it = std::ranges::find(Keys, parameter, &Key::parameter);
    return QString::fromLatin1(it->name);
}

std::optional<Parameter> parameterOfKey(QStringView key) {
    for (const Key &k : Keys) {
        if (key.compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0)
            return k.parameter;
    }
    return std::nullopt;
}

std::span<const Parameter> writeOrder() {
    return WriteOrder;
}

SettingParse parseSetting(QStringView key, QStringView value) {
    using namespace parameteritems;
    const std::optional<Parameter> parameter = parameterOfKey(key);
    if (!parameter) {
        QStringList keys;
        for (const Parameter p : WriteOrder)
            keys.append(keyOf(p));
        return refused(key, u"no such key; the keys are "_s + keys.join(u", "_s));
    }
    switch (*parameter) {
    case P::Model:
        return itemSetting(P::Model, WorkModes, value);
    case P::Dhcp:
        return itemSetting(P::Dhcp, DhcpModes, value);
    case P::Gateway:
    case P::Mask:
    case P::IP:
    case P::DestinationIP:
        if (const QString address = normalizedAddress(value); !address.isEmpty())
            return {Setting{*parameter, address}, {}};
        return refused(keyOf(*parameter), u"\"%1\" is not a dotted IPv4 address"_s.arg(value));
    case P::Port:
    case P::DestinationPort:
        return portSetting(*parameter, value);
    case P::MAC:
        if (const QString mac = normalizedMac(value); !mac.isEmpty())
            return {Setting{P::MAC, mac}, {}};
        return refused(u"mac", u"\"%1\" is not six hex pairs joined by ':'"_s.arg(value));
    case P::DeviceName:
        return nameSetting(value);
    case P::Uart:
        return uartSetting(value);
    case P::Version:
        break;
    }
    return refused(key, u"is read only"_s);
}

SettingParse parseAssignment(QStringView text) {
    const qsizetype equals = text.indexOf(u'=');
    if (equals <= 0)
        return {std::nullopt, u"\"%1\" is not key=value"_s.arg(text)};
    return parseSetting(text.first(equals), text.sliced(equals + 1));
}

std::optional<QString> valueText(Parameter parameter, const ParameterValue &value) {
    using namespace parameteritems;
    if (const QString *text = std::get_if<QString>(&value))
        return *text;
    if (const int *item = std::get_if<int>(&value)) {
        const QString text = (parameter == P::Dhcp ? DhcpModes : WorkModes).text(*item);
        return text.isEmpty() ? std::nullopt : std::optional(text);
    }
    const UartSettings &uart = std::get<UartSettings>(value);
    const QString stop = StopBits.text(uart.stopBits);
    const QString parity = Parities.text(uart.parity);
    if (stop.isEmpty() || parity.isEmpty())
        return std::nullopt;
    return QStringList{uart.baudRate, uart.dataBits, stop, parity}.join(u',');
}

QString settingKeysHelp() {
    using namespace parameteritems;
    const auto items = [](const ItemList &list) { return list.texts().join(u", "_s); };
    const QString address = u"a dotted IPv4 address"_s;
    const QString port = u"a port from 1 to 65535"_s;
    const std::pair<Parameter, QString> rows[] = {
        {P::Model, items(WorkModes)},
        {P::Gateway, address},
        {P::Mask, address},
        {P::IP, address + u" (one module at a time)"_s},
        {P::DestinationIP, address},
        {P::Port, port},
        {P::DestinationPort, port},
        {P::Dhcp, items(DhcpModes)},
        {P::DeviceName, u"at most 15 bytes in GBK (a Chinese character takes two)"_s},
        {P::Uart,
         u"BAUD,DATABITS,STOPBITS,PARITY; BAUD: %1; DATABITS: %2; STOPBITS: %3; "
         u"PARITY: %4"_s.arg(items(BaudRates), items(DataBits), items(StopBits), items(Parities))},
        {P::MAC, u"six hex pairs joined by ':' (one module at a time)"_s},
    };
    QString text = u"Keys and their values (items of a list in any case):\n"_s;
    for (const auto &[parameter, values] : rows)
        text += u"  "_s + keyOf(parameter).leftJustified(8) + values + u'\n';
    return text;
}

QString addSetting(Settings &settings, const Setting &setting) {
    const auto rank = [](Parameter p) { return std::ranges::find(WriteOrder, p) - WriteOrder; };
    const auto at = std::ranges::find_if(
        settings, [&](const Setting &s) { return rank(s.parameter) >= rank(setting.parameter); });
    if (at != settings.end() && at->parameter == setting.parameter)
        return keyOf(setting.parameter) + u": given twice"_s;
    settings.insert(at, setting);
    return {};
}

QString normalizedMac(QStringView text) {
    if (text.size() != 17)
        return {};
    const QChar separator = text[2];
    if (separator != u':' && separator != u'-')
        return {};
    QStringList pairs;
    for (const QStringView pair : text.split(separator)) {
        if (pair.size() != 2 || !std::ranges::all_of(pair, isHexDigit))
            return {};
        pairs.append(pair.toString().toLower());
    }
    return pairs.size() == 6 ? pairs.join(u':') : QString();
}

QString normalizedAddress(QStringView text) {
    const QList<QStringView> parts = text.split(u'.');
    if (parts.size() != 4)
        return {};
    QStringList octets;
    for (const QStringView part : parts) {
        bool ok = false;
        const bool digits =
            !part.isEmpty() && part.size() <= 3 && std::ranges::all_of(part, isAsciiDigit);
        const uint octet = digits ? part.toUInt(&ok) : 0;
        if (!ok || octet > 255)
            return {};
        octets.append(QString::number(octet));
    }
    return octets.join(u'.');
}

TargetParse parseTargets(const QStringList &texts) {
    TargetParse parse;
    if (texts.isEmpty())
        return {{}, u"no module named: give a MAC address, an IP address or \"all\""_s};
    for (const QString &text : texts) {
        Target target;
        if (text.compare(u"all"_s, Qt::CaseInsensitive) == 0) {
            if (texts.size() > 1)
                return {{}, u"\"all\" names every module and goes alone"_s};
        } else if (QString mac = normalizedMac(text); !mac.isEmpty()) {
            target = {Target::Kind::Mac, mac};
        } else if (QString address = normalizedAddress(text); !address.isEmpty()) {
            target = {Target::Kind::Address, address};
        } else {
            return {{}, u"\"%1\" is neither a MAC address, an IP address nor \"all\""_s.arg(text)};
        }
        if (!parse.targets.contains(target))
            parse.targets.append(target);
    }
    return parse;
}

} // namespace cli
