#include "logging.h"

Q_LOGGING_CATEGORY(lcNet, "ostrel.net", QtInfoMsg)
Q_LOGGING_CATEGORY(lcConfig, "ostrel.config", QtInfoMsg)
Q_LOGGING_CATEGORY(lcConsole, "ostrel.console", QtInfoMsg)
