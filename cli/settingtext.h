#pragma once

#include "commandtable.h"
#include "modulesetting.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>
#include <span>

// The command line's words for a module's parameters and their values:
// "ip=192.168.1.50", "model=UDP", "uart=115200,9,2,Even". Values of lists are
// the items the window offers, compared without regard to case; addresses,
// ports and MAC texts are checked for their form, so that a typing mistake is
// refused before anything leaves instead of being answered with an error by
// one module after another.
namespace cli {

using Setting = ModuleSetting;
using Settings = ModuleSettings;

// What a parameter is called on the command line and in files.
QString keyOf(Parameter parameter);
// Any parameter, the read-only version included.
std::optional<Parameter> parameterOfKey(QStringView key);
// The parameters a setting may name, in the order they are written: the
// write-all order with the serial settings before the MAC address, since a
// module that takes a new MAC answers to it only.
std::span<const Parameter> writeOrder();

struct SettingParse {
    std::optional<Setting> setting;
    QString error;
};
SettingParse parseSetting(QStringView key, QStringView value);
// "key=value".
SettingParse parseAssignment(QStringView text);

// The text parseSetting takes back for value; none when the value names no
// item of its list.
std::optional<QString> valueText(Parameter parameter, const ParameterValue &value);

// The keys and the values each takes, for the help.
QString settingKeysHelp();

// Puts setting into settings at its place in writeOrder(); an error when its
// parameter is there already.
QString addSetting(Settings &settings, const Setting &setting);

// Six hex pairs joined by ':' or '-', as lower-case text joined by ':' (the
// way modules and adapters write theirs); empty when text is none.
QString normalizedMac(QStringView text);
// A dotted IPv4 address without leading zeros; empty when text is none.
QString normalizedAddress(QStringView text);

// Which modules a command is about.
struct Target {
    enum class Kind { Mac, Address, All } kind = Kind::All;
    QString text; // normalised MAC or address; empty for All

    friend bool operator==(const Target &, const Target &) = default;
};
struct TargetParse {
    QList<Target> targets;
    QString error;
};
// MAC texts and addresses, or "all" alone; repeated ones are kept once.
TargetParse parseTargets(const QStringList &texts);

} // namespace cli
