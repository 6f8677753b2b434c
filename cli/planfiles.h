#pragma once

#include "settingtext.h"

#include <QList>
#include <QString>

// The files the configuration commands read their settings from. Every value
// goes through the same checks as one typed on the command line, and a file
// is refused whole, naming where it is wrong, before anything is sent.
// A path of "-" reads standard input.
namespace cli {

struct SettingsFile {
    Settings settings;
    QString error;
};

// write --from: a CFG.ini as the window saves it, or a JSON document as
// `read --json` prints it, holding one module.
SettingsFile readSettingsFile(const QString &path);

struct PlanRow {
    QString module; // the MAC text the module answers to now
    Settings settings;

    friend bool operator==(const PlanRow &, const PlanRow &) = default;
};

struct Plan {
    QList<PlanRow> rows;
    QString error;
};

// apply: a JSON document as `read --json` prints it, or CSV whose first line
// names the columns: "module" (the MAC text) and any of the setting keys;
// an empty cell leaves that parameter as it is.
Plan readPlan(const QString &path);

} // namespace cli
