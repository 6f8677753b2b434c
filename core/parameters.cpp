#include "parameters.h"

#include "gbk.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <array>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using K = ValueKind;
using P = Parameter;
using C = ValueCheck;
using namespace parameteritems;
using parameters::Parsed;

// One row per parameter, in write order. The texts are the memo's.
// clang-format off
const ParameterInfo Catalogue[] = {
    {.parameter = P::Model, .key = "model", .check = C::Item, .items = &WorkModes,
     .command = {.parameter = P::Model, .kind = K::ItemDigit,
     .query = "AT+MODEL=?", .queryLog = QT_TRANSLATE_NOOP("Command", "查询工作模式"), .keyword = "+MODEL", .valuePos = 7,
     .readOk = QT_TRANSLATE_NOOP("Command", "查询工作模式成功"), .readFail = QT_TRANSLATE_NOOP("Command", "查询工作模式失败"),
     .setCommand = "AT+MODEL=", .setLog = QT_TRANSLATE_NOOP("Command", "设置模块工作模式"),
     .setOk = QT_TRANSLATE_NOOP("Command", "设置工作模式成功"), .setFail = QT_TRANSLATE_NOOP("Command", "设置工作模式失败")}},
    {.parameter = P::Gateway, .key = "gateway", .check = C::Address,
     .command = {.parameter = P::Gateway, .kind = K::Text,
     .query = "AT+GATEWAY=?", .queryLog = QT_TRANSLATE_NOOP("Command", "查询网关IP地址"), .keyword = "+GATEWAY", .valuePos = 9,
     .readOk = QT_TRANSLATE_NOOP("Command", "查询网关IP地址成功"), .readFail = QT_TRANSLATE_NOOP("Command", "查询网关IP地址失败"),
     .setCommand = "AT+GATEWAY=", .setLog = QT_TRANSLATE_NOOP("Command", "设置网关IP地址"),
     .setOk = QT_TRANSLATE_NOOP("Command", "设置网关IP成功"), .setFail = QT_TRANSLATE_NOOP("Command", "设置网关IP失败")}},
    {.parameter = P::Mask, .key = "mask", .check = C::Mask,
     .command = {.parameter = P::Mask, .kind = K::Text,
     .query = "AT+MASK=?", .queryLog = QT_TRANSLATE_NOOP("Command", "查询子网掩码"), .keyword = "+MASK", .valuePos = 6,
     .readOk = QT_TRANSLATE_NOOP("Command", "查询子网掩码成功"), .readFail = QT_TRANSLATE_NOOP("Command", "查询子网掩码失败"),
     .setCommand = "AT+MASK=", .setLog = QT_TRANSLATE_NOOP("Command", "设置子网掩码"),
     .setOk = QT_TRANSLATE_NOOP("Command", "设置子网掩码成功"), .setFail = QT_TRANSLATE_NOOP("Command", "设置子网掩码失败")}},
    {.parameter = P::IP, .key = "ip", .check = C::Address, .oneModuleAtATime = true,
     .command = {.parameter = P::IP, .kind = K::Text,
     .query = "AT+IP=?", .queryLog = QT_TRANSLATE_NOOP("Command", "查询模块IP地址"), .keyword = "+IP", .valuePos = 4,
     .readOk = QT_TRANSLATE_NOOP("Command", "查询模块IP地址成功"), .readFail = QT_TRANSLATE_NOOP("Command", "查询模块IP地址失败"),
     .setCommand = "AT+IP=", .setLog = QT_TRANSLATE_NOOP("Command", "设置模块IP地址"),
     .setOk = QT_TRANSLATE_NOOP("Command", "设置模块IP成功"), .setFail = QT_TRANSLATE_NOOP("Command", "设置模块IP失败")}},
    {.parameter = P::DestinationIP, .key = "dip", .check = C::Address,
     .command = {.parameter = P::DestinationIP, .kind = K::Text,
     .query = "AT+DIP=?", .queryLog = QT_TRANSLATE_NOOP("Command", "查询模块目的IP地址"), .keyword = "+DIP", .valuePos = 5,
     .readOk = QT_TRANSLATE_NOOP("Command", "查询模块目的IP地址成功"), .readFail = QT_TRANSLATE_NOOP("Command", "查询模块目的IP地址失败"),
     .setCommand = "AT+DIP=", .setLog = QT_TRANSLATE_NOOP("Command", "设置目的IP"),
     .setOk = QT_TRANSLATE_NOOP("Command", "设置模块目的IP成功"), .setFail = QT_TRANSLATE_NOOP("Command", "设置模块目的IP失败")}},
    {.parameter = P::Port, .key = "port", .check = C::Port,
     .command = {.parameter = P::Port, .kind = K::Text,
     .query = "AT+PORT=?", .queryLog = QT_TRANSLATE_NOOP("Command", "查询模块端口"), .keyword = "+PORT", .valuePos = 6,
     .readOk = QT_TRANSLATE_NOOP("Command", "查询模块端口成功"), .readFail = QT_TRANSLATE_NOOP("Command", "查询模块端口失败"),
     .setCommand = "AT+PORT=", .setLog = QT_TRANSLATE_NOOP("Command", "设置模块端口号"),
     .setOk = QT_TRANSLATE_NOOP("Command", "设置模块端口成功"), .setFail = QT_TRANSLATE_NOOP("Command", "设置模块端口失败")}},
    {.parameter = P::DestinationPort, .key = "dport", .check = C::Port,
     .command = {.parameter = P::DestinationPort, .kind = K::Text,
     .query = "AT+DPORT=?", .queryLog = QT_TRANSLATE_NOOP("Command", "查询模块目的端口"), .keyword = "+DPORT", .valuePos = 7,
     .readOk = QT_TRANSLATE_NOOP("Command", "查询模块目的端口成功"), .readFail = QT_TRANSLATE_NOOP("Command", "查询模块目的端口失败"),
     .setCommand = "AT+DPORT=", .setLog = QT_TRANSLATE_NOOP("Command", "设置目的端口号"),
     .setOk = QT_TRANSLATE_NOOP("Command", "设置模块目的端口成功"), .setFail = QT_TRANSLATE_NOOP("Command", "设置模块目的端口失败")}},
    {.parameter = P::Dhcp, .key = "dhcp", .check = C::Item, .items = &DhcpModes,
     .command = {.parameter = P::Dhcp, .kind = K::ItemDigit,
     .query = "AT+DCHP=?", .queryLog = QT_TRANSLATE_NOOP("Command", "查询DCHP模式"), .keyword = "+DCHP", .valuePos = 6,
     .readOk = QT_TRANSLATE_NOOP("Command", "查询模块DCHP模式成功"), .readFail = QT_TRANSLATE_NOOP("Command", "查询模块DCHP模式失败"),
     .setCommand = "AT+DCHP=", .setLog = QT_TRANSLATE_NOOP("Command", "设置DCHP模式"),
     .setOk = QT_TRANSLATE_NOOP("Command", "设置DCHP模式成功"), .setFail = QT_TRANSLATE_NOOP("Command", "设置DCHP模式失败")}},
    {.parameter = P::DeviceName, .key = "name", .check = C::Name,
     .command = {.parameter = P::DeviceName, .kind = K::Text,
     .query = "AT+NAME=?", .queryLog = QT_TRANSLATE_NOOP("Command", "查询设备名称"), .keyword = "+NAME", .valuePos = 6,
     .readOk = QT_TRANSLATE_NOOP("Command", "查询模块设备名称成功"), .readFail = QT_TRANSLATE_NOOP("Command", "查询模块设备名称失败"),
     .setCommand = "AT+NAME=", .setLog = QT_TRANSLATE_NOOP("Command", "设置模块设备名称"),
     .setOk = QT_TRANSLATE_NOOP("Command", "设置模块设备名称成功"), .setFail = QT_TRANSLATE_NOOP("Command", "设置模块设备名称失败")}},
    {.parameter = P::Uart, .key = "uart", .check = C::Uart, .inSequences = false,
     .command = {.parameter = P::Uart, .kind = K::Uart,
     .query = "AT+UART=?", .queryLog = QT_TRANSLATE_NOOP("Command", "查询串口参数"), .keyword = "+UART", .valuePos = 6,
     .readOk = QT_TRANSLATE_NOOP("Command", "查询模块串口参数成功"), .readFail = QT_TRANSLATE_NOOP("Command", "查询模块串口参数失败"),
     .setCommand = "AT+UART=", .setLog = QT_TRANSLATE_NOOP("Command", "设置模块串口参数"),
     .setOk = QT_TRANSLATE_NOOP("Command", "设置模块串口参数成功"), .setFail = QT_TRANSLATE_NOOP("Command", "设置模块串口参数失败")}},
    {.parameter = P::MAC, .key = "mac", .check = C::Mac, .oneModuleAtATime = true,
     .command = {.parameter = P::MAC, .kind = K::Text,
     .query = "AT+MAC=?", .queryLog = QT_TRANSLATE_NOOP("Command", "查询MAC地址"), .keyword = "+MAC", .valuePos = 5,
     .readOk = QT_TRANSLATE_NOOP("Command", "查询模块MAC地址成功"), .readFail = QT_TRANSLATE_NOOP("Command", "查询模块MAC地址失败"),
     .setCommand = "AT+MAC=", .setLog = QT_TRANSLATE_NOOP("Command", "设置模块MAC地址"),
     .setOk = QT_TRANSLATE_NOOP("Command", "设置模块MAC地址成功"), .setFail = QT_TRANSLATE_NOOP("Command", "设置模块MAC地址失败")}},
    {.parameter = P::Version, .key = "version", .check = C::ReadOnly,
     .command = {.parameter = P::Version, .kind = K::Version,
     .query = "AT+VER=?", .queryLog = QT_TRANSLATE_NOOP("Command", "读取版本号"), .keyword = "+VER", .valuePos = 5,
     .readOk = QT_TRANSLATE_NOOP("Command", "读取版本号成功"), .readFail = QT_TRANSLATE_NOOP("Command", "读取版本号失败")}},
};

// The window saves its edit fields as typed and its lists by item number.
const SettingsKey FileKeys[] = {
    {"Model", P::Model, 0, &WorkModes},
    {"GateWay", P::Gateway},
    {"Mask", P::Mask},
    {"IP", P::IP},
    {"DIP", P::DestinationIP},
    {"Port", P::Port},
    {"DPort", P::DestinationPort},
    {"BaudRate", P::Uart, 0, &BaudRates},
    {"DataBit", P::Uart, 1, &DataBits},
    {"StopBit", P::Uart, 2, &StopBits},
    {"Parity", P::Uart, 3, &Parities},
    {"MAC", P::MAC},
};
// clang-format on

constexpr size_t ParameterCount = size_t(P::Version) + 1;

std::vector<Parameter> ordered(bool (*wanted)(const ParameterInfo &)) {
    std::vector<Parameter> order;
    for (const ParameterInfo &row : Catalogue) {
        if (wanted(row))
            order.push_back(row.parameter);
    }
    return order;
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c) {
    return isAsciiDigit(c) || (c.toLower() >= u'a' && c.toLower() <= u'f');
}

// The address with its first octet in the highest byte, so that a mask's
// ones come first.
std::optional<quint32> hostOrder(const ParameterValue &value) {
    const QString *text = std::get_if<QString>(&value);
    const QList<QStringView> parts = text ? QStringView(*text).split(u'.') : QList<QStringView>();
    if (parts.size() != 4)
        return std::nullopt;
    quint32 address = 0;
    for (const QStringView part : parts) {
        bool ok = false;
        const uint octet = part.toUInt(&ok);
        if (!ok || octet > 255)
            return std::nullopt;
        address = address << 8 | octet;
    }
    return address;
}

Parsed item(const ItemList &list, QStringView text) {
    const int found = list.find(text);
    return found < 0 ? Parsed{std::nullopt, Refusal::NotAnItem} : Parsed{found, Refusal::None};
}

Parsed port(QStringView text) {
    bool ok = false;
    const bool digits = text.size() <= 5 && std::ranges::all_of(text, isAsciiDigit);
    const uint number = digits ? text.toUInt(&ok) : 0;
    if (!ok || number < 1 || number > 65535)
        return {std::nullopt, Refusal::NotAPort};
    return {QString::number(number), Refusal::None};
}

Parsed name(QStringView text) {
    const QString name = text.toString();
    if (std::ranges::any_of(name, [](QChar c) { return c.category() == QChar::Other_Control; }))
        return {std::nullopt, Refusal::NameControl};
    if (gbk::decode(gbk::encode(name)) != name)
        return {std::nullopt, Refusal::NameNotGbk};
    if (gbk::byteLength(name) > parameters::MaxDeviceNameBytes)
        return {std::nullopt, Refusal::NameTooLong};
    return {name, Refusal::None};
}

Parsed uart(QStringView text) {
    const QList<QStringView> parts = text.split(u',');
    if (parts.size() != 4)
        return {std::nullopt, Refusal::NotUart};
    const int baud = BaudRates.find(parts[0]);
    const int data = DataBits.find(parts[1]);
    const int stop = StopBits.find(parts[2]);
    const int parity = Parities.find(parts[3]);
    if (baud < 0 || data < 0 || stop < 0 || parity < 0)
        return {std::nullopt, Refusal::NotUart};
    return {UartSettings{BaudRates.text(baud), DataBits.text(data), stop, parity}, Refusal::None};
}

} // namespace

QString memoText(const char *text) {
    return QCoreApplication::translate("Command", text);
}

namespace parameters {

std::span<const ParameterInfo> catalogue() {
    return Catalogue;
}

const ParameterInfo &info(Parameter parameter) {
    static const std::array<const ParameterInfo *, ParameterCount> byParameter = [] {
        std::array<const ParameterInfo *, ParameterCount> rows{};
        for (const ParameterInfo &row : Catalogue)
            rows[size_t(row.parameter)] = &row;
        return rows;
    }();
    return *byParameter[size_t(parameter)];
}

QString keyOf(Parameter parameter) {
    return QString::fromLatin1(info(parameter).key);
}

std::optional<Parameter> ofKey(QStringView key) {
    for (const ParameterInfo &row : Catalogue) {
        if (key.compare(QLatin1String(row.key), Qt::CaseInsensitive) == 0)
            return row.parameter;
    }
    return std::nullopt;
}

std::span<const Parameter> writeOrder() {
    static const std::vector<Parameter> order =
        ordered([](const ParameterInfo &row) { return row.check != C::ReadOnly; });
    return order;
}

std::span<const Parameter> readAllOrder() {
    static const std::vector<Parameter> order =
        ordered([](const ParameterInfo &row) { return row.inSequences; });
    return order;
}

std::span<const Parameter> writeAllOrder() {
    static const std::vector<Parameter> order = ordered(
        [](const ParameterInfo &row) { return row.inSequences && row.check != C::ReadOnly; });
    return order;
}

std::span<const SettingsKey> settingsKeys() {
    return FileKeys;
}

Parsed parse(Parameter parameter, QStringView text) {
    const ParameterInfo &row = info(parameter);
    switch (row.check) {
    case C::Item:
        return item(*row.items, text);
    case C::Address:
    case C::Mask:
        if (QString address = normalizedAddress(text); !address.isEmpty())
            return {address, Refusal::None};
        return {std::nullopt, Refusal::NotAnAddress};
    case C::Port:
        return port(text);
    case C::Name:
        return name(text);
    case C::Mac:
        if (QString mac = normalizedMac(text); !mac.isEmpty())
            return {mac, Refusal::None};
        return {std::nullopt, Refusal::NotAMac};
    case C::Uart:
        return uart(text);
    case C::ReadOnly:
        break;
    }
    return {std::nullopt, Refusal::ReadOnly};
}

std::optional<QString> text(Parameter parameter, const ParameterValue &value) {
    if (const QString *shown = std::get_if<QString>(&value))
        return *shown;
    if (const int *number = std::get_if<int>(&value)) {
        const ItemList *items = info(parameter).items;
        const QString shown = items ? items->text(*number) : QString();
        return shown.isEmpty() ? std::nullopt : std::optional(shown);
    }
    const UartSettings &serial = std::get<UartSettings>(value);
    const QString stop = StopBits.text(serial.stopBits);
    const QString parity = Parities.text(serial.parity);
    if (stop.isEmpty() || parity.isEmpty())
        return std::nullopt;
    return QStringList{serial.baudRate, serial.dataBits, stop, parity}.join(u',');
}

CutOff cutOff(const ModuleSettings &settings) {
    std::optional<quint32> values[ParameterCount];
    for (const ModuleSetting &setting : settings)
        values[size_t(setting.parameter)] = hostOrder(setting.value);
    const std::optional<quint32> mask = values[size_t(P::Mask)];
    const std::optional<quint32> ip = values[size_t(P::IP)];
    const std::optional<quint32> gateway = values[size_t(P::Gateway)];
    // Ones from the top, then zeros only: the complement plus one is a power of two.
    if (mask && ((~*mask + 1) & ~*mask) != 0)
        return {Refusal::MaskNotContiguous, P::Mask};
    const bool multicast = ip && (*ip >> 28) == 0xE;
    if (ip && (*ip == 0 || *ip == 0xFFFFFFFFu || multicast))
        return {Refusal::AddressUnusable, P::IP};
    // No gateway (0.0.0.0) is no way out, not a wrong one.
    if (gateway && *gateway != 0 && ip && mask && (*gateway & *mask) != (*ip & *mask))
        return {Refusal::OutsideSubnet, P::Gateway};
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
    const std::optional<quint32> address = addressValue(text);
    return address ? addressText(*address) : QString();
}

std::optional<quint32> addressValue(QStringView text) {
    const QList<QStringView> parts = text.split(u'.');
    if (parts.size() != 4)
        return std::nullopt;
    quint32 address = 0;
    for (qsizetype i = 0; i < 4; ++i) {
        const QStringView part = parts[i];
        bool ok = false;
        const bool digits =
            !part.isEmpty() && part.size() <= 3 && std::ranges::all_of(part, isAsciiDigit);
        const uint octet = digits ? part.toUInt(&ok) : 0;
        if (!ok || octet > 255)
            return std::nullopt;
        address |= quint32(octet) << (8 * i);
    }
    return address;
}

QString addressText(quint32 address) {
    return u"%1.%2.%3.%4"_s.arg(address & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 24) & 0xFF);
}

} // namespace parameters
