#pragma once

#include <QByteArrayView>
#include <QString>

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
// that is confirmed. The texts are the memo's.
struct Command {
    std::optional<Parameter> parameter; // none for the handshake and the factory default
    ValueKind kind = ValueKind::None;
    const char *query = nullptr;
    const char16_t *queryLog = nullptr;
    // The answer must come before the sequencer's next idle firing.
    bool answerDueAtOnce = false;
    // What an accepted answer contains, and where a report's value starts.
    const char *keyword = nullptr;
    qsizetype valuePos = 0;
    const char16_t *readOk = nullptr;
    const char16_t *readFail = nullptr;
    // The value follows the setting command; none for the version.
    const char *setCommand = nullptr;
    const char16_t *setLog = nullptr;
    const char16_t *setOk = nullptr;
    const char16_t *setFail = nullptr;
};

namespace commands {

// "AT", which opens every read-all and is answered "OK".
extern const Command Handshake;
// "AT+DEFAULT": sent like a setting, but its "OK" is read like a report and
// a refusal is repeated like a query.
extern const Command FactoryDefault;
const Command &of(Parameter parameter);

// A read-all reads these after the handshake; write-all writes these.
// clang-format off
inline constexpr Parameter ReadAllOrder[] = {
    Parameter::Model, Parameter::Gateway, Parameter::Mask, Parameter::IP,
    Parameter::DestinationIP, Parameter::Port, Parameter::DestinationPort,
    Parameter::Dhcp, Parameter::DeviceName, Parameter::MAC, Parameter::Version};
inline constexpr Parameter WriteAllOrder[] = {
    Parameter::Model, Parameter::Gateway, Parameter::Mask, Parameter::IP,
    Parameter::DestinationIP, Parameter::Port, Parameter::DestinationPort,
    Parameter::Dhcp, Parameter::DeviceName, Parameter::MAC};
// clang-format on

// What comes after parameter in order; none after the last.
std::optional<Parameter> next(std::span<const Parameter> order, Parameter parameter);

// A parameter report ("+IP=..." and the like), as opposed to the "OK" that
// answers a search.
bool isReport(QByteArrayView payload);

} // namespace commands
