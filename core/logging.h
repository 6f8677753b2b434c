#pragma once

#include <QLoggingCategory>

// What the tool does and what goes wrong underneath, for whoever needs to
// look: off by default, switched on with QT_LOGGING_RULES, e.g.
// QT_LOGGING_RULES="ostrel.*.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcNet)
Q_DECLARE_LOGGING_CATEGORY(lcConfig)
Q_DECLARE_LOGGING_CATEGORY(lcConsole)
