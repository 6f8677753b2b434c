#pragma once

#include "parameteritems.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>
#include <span>
#include <variant>

// A module's parameters as the tool reads and sets them.
enum class Parameter {
    Model,
    Gateway,
    Mask,
    IP,
    DestinationIP,
    Port,
    DestinationPort,
    Uart,
    MAC,
    Dhcp,
    DeviceName,
    Version,
};

// The serial settings: baud rate and data bits as shown, stop bits and
// parity as the item numbers of their lists (-1: none).
struct UartSettings {
    QString baudRate;
    QString dataBits;
    int stopBits = -1;
    int parity = -1;

    friend bool operator==(const UartSettings &, const UartSettings &) = default;
};

// A parameter's value as the user sees it: the text of an address, a port,
// the name or the version; the item number of a list whose item the module
// takes as one digit (work mode, DHCP; -1: none); or the serial settings.
using ParameterValue = std::variant<QString, int, UartSettings>;

// A parameter and the value it is to take, or was read with.
struct ModuleSetting {
    Parameter parameter;
    ParameterValue value;

    friend bool operator==(const ModuleSetting &, const ModuleSetting &) = default;
};
using ModuleSettings = QList<ModuleSetting>;

// How a value travels in a setting and comes back in a report.
enum class ValueKind {
    None,      // the handshake and the factory default carry none
    Text,      // as typed / the report up to its carriage return
    ItemDigit, // "0" + item number / item number := byte - "0"
    Uart,      // baud, data bits, stop digit, parity digit
    Version,   // read only, and not held to the bound of the others
};

// One step of the conversation with a module: the query that reads a
// parameter and how its report reads, the setting that writes it and how
// that is confirmed. The texts are the memo's, UTF-8 sources of the
// translation context "Command": memoText() gives them in the language in force.
struct Command {
    std::optional<Parameter> parameter; // none for the handshake and the factory default
    ValueKind kind = ValueKind::None;
    const char *query = nullptr;
    const char *queryLog = nullptr;
    // The answer must come before the sequencer's next idle firing.
    bool answerDueAtOnce = false;
    // What an accepted answer contains, and where a report's value starts.
    const char *keyword = nullptr;
    qsizetype valuePos = 0;
    const char *readOk = nullptr;
    const char *readFail = nullptr;
    // The value follows the setting command; none for the version.
    const char *setCommand = nullptr;
    const char *setLog = nullptr;
    const char *setOk = nullptr;
    const char *setFail = nullptr;
};

// A text of a Command in the language in force.
QString memoText(const char *text);

// What a typed value must be before it may be sent.
enum class ValueCheck {
    Item,     // an item of its list, in any case
    Address,  // a dotted IPv4 address
    Mask,     // a dotted IPv4 address
    Port,     // 1 to 65535
    Name,     // GBK text of at most 15 bytes, no control characters
    Mac,      // six hex pairs joined by ':' or '-'
    Uart,     // baud, data bits, stop bits, parity, each an item of its list
    ReadOnly, // never written
};

// Why a value was refused, for each front end to word.
enum class Refusal {
    None,
    UnknownKey,
    ReadOnly,
    NotAnItem,
    NotAnAddress,
    NotAPort,
    NotAMac,
    NotUart,
    NameControl,
    NameNotGbk,
    NameTooLong,
    // Values that cut a module off the network.
    MaskNotContiguous,
    AddressUnusable,
    OutsideSubnet,
};

// Everything about one parameter: its names, its check, its list and its
// frames. The catalogue lists them in the one order settings are written.
struct ParameterInfo {
    Parameter parameter;
    // Its name on the command line and in JSON documents.
    const char *key;
    ValueCheck check;
    // The items of a list parameter taken as one digit; null otherwise.
    const ItemList *items = nullptr;
    // Given to many modules, it would make them answer as one.
    bool oneModuleAtATime = false;
    // Part of a read-all and of the window's write-all (the serial settings
    // are read and written on their own).
    bool inSequences = true;
    Command command;
};

// A key of the settings file and the value it keeps: a whole parameter, or
// one of the parts of the serial settings (0 baud rate to 3 parity).
struct SettingsKey {
    const char *name;
    Parameter parameter;
    int part = 0;
    // Kept as the item number of this list; as text when null.
    const ItemList *items = nullptr;
};

namespace parameters {

// A module keeps no longer device name.
inline constexpr int MaxDeviceNameBytes = 15;

// Every parameter in write order, the read-only version last.
std::span<const ParameterInfo> catalogue();
const ParameterInfo &info(Parameter parameter);
QString keyOf(Parameter parameter);
// Any parameter, the read-only version included; the key in any case.
std::optional<Parameter> ofKey(QStringView key);

// The settings that may be written, in the order they are written: a module
// that takes a new MAC answers to it only, so that goes last.
std::span<const Parameter> writeOrder();
// What a read-all reads after its handshake, and what the window's
// write-all writes.
std::span<const Parameter> readAllOrder();
std::span<const Parameter> writeAllOrder();

// The keys of the settings file, in the order the file holds them.
std::span<const SettingsKey> settingsKeys();

struct Parsed {
    std::optional<ParameterValue> value;
    Refusal refusal = Refusal::None;
};
// A typed value checked for its form: addresses without leading zeros,
// ports as numbers, MAC texts in lower case joined by ':'.
Parsed parse(Parameter parameter, QStringView text);
// The text parse takes back for value; none when the value names no item of
// its list.
std::optional<QString> text(Parameter parameter, const ParameterValue &value);

// The first setting that would cut a module off the network (a mask that is
// not contiguous, an address no host may have, a gateway outside the
// subnet that the settings give), with its parameter.
struct CutOff {
    Refusal refusal = Refusal::None;
    Parameter parameter = Parameter::Model;
};
CutOff cutOff(const ModuleSettings &settings);

// Six hex pairs joined by ':' or '-', as lower-case text joined by ':' (the
// way modules and adapters write theirs); empty when text is none.
QString normalizedMac(QStringView text);
// A dotted IPv4 address without leading zeros; empty when text is none.
QString normalizedAddress(QStringView text);
// A dotted IPv4 address (1 to 3 digits per octet) as the tool holds
// addresses, the first octet the lowest byte; nullopt for anything else,
// such as a host name.
std::optional<quint32> addressValue(QStringView text);
// An address as the dotted text of its octets, the first octet the lowest
// byte (an address in network byte order).
QString addressText(quint32 address);

} // namespace parameters
