#pragma once

#include "parameters.h"

#include <QByteArrayView>

#include <optional>
#include <span>

namespace commands {

// "AT", which opens every read-all and is answered "OK".
extern const Command Handshake;
// "AT+DEFAULT": sent like a setting, but its "OK" is read like a report and
// a refusal is repeated like a query.
extern const Command FactoryDefault;
const Command &of(Parameter parameter);

// What comes after parameter in order; none after the last.
std::optional<Parameter> next(std::span<const Parameter> order, Parameter parameter);

// A parameter report ("+IP=..." and the like), as opposed to the "OK" that
// answers a search.
bool isReport(QByteArrayView payload);

} // namespace commands
