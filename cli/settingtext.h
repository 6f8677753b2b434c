#pragma once

#include "parameters.h"
#include "sessionresult.h"

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

using parameters::keyOf;
using parameters::normalizedAddress;
using parameters::normalizedMac;
using parameters::writeOrder;

struct SettingParse {
    std::optional<Setting> setting;
    QString error;
};
SettingParse parseSetting(QStringView key, QStringView value);
// "key=value".
SettingParse parseAssignment(QStringView text);

// Why value was refused for parameter, in the command line's words.
QString refusalText(Refusal refusal, Parameter parameter, QStringView value);

// A session's reason for failing, in the command line's words.
QString failureWords(SessionResult::Code code);

// The keys and the values each takes, for the help.
QString settingKeysHelp();

// Puts setting into settings at its place in writeOrder(); an error when its
// parameter is there already.
QString addSetting(Settings &settings, const Setting &setting);

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
