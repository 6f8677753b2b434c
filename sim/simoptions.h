#pragma once

#include "simulator.h"

#include <QStringList>

namespace simoptions {

// Full --help text: every option, module key, fault and control command.
QString helpText();

enum class Outcome { Run, Help, Error };
// Reads the command line (arguments[0] is the program) and any configuration
// file it names.
Outcome parse(const QStringList &arguments, SimSettings &settings, QString *error);

// First up, non-loopback IPv4 address of this host or namespace; empty if none.
QByteArray firstOwnAddress();

} // namespace simoptions
