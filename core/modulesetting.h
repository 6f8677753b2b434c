#pragma once

#include "commandtable.h"

#include <QList>

// A parameter and the value it is to take, or was read with.
struct ModuleSetting {
    Parameter parameter;
    ParameterValue value;

    friend bool operator==(const ModuleSetting &, const ModuleSetting &) = default;
};
using ModuleSettings = QList<ModuleSetting>;
