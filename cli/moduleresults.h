#pragma once

#include "framepreview.h"
#include "moduleengine.h"
#include "output.h"

#include <QList>
#include <QString>

// How the outcomes of the configuration commands are shown: the table and
// the JSON document of each command.
namespace cli {

// An apply's check of a module that was done: every setting against the value
// read back; any that differs, or was not read, makes it a mismatch.
void compareReadBack(const Settings &wanted, ModuleOutcome &outcome);

// Exit code of a set of outcomes: 3 when no module was found, 1 when any
// failed, 0 otherwise.
int exitCodeOf(const QList<ModuleOutcome> &outcomes);

Report searchReport(const SearchOutcome &outcome);
// The search's part of a command's report: its warnings, its failure, and
// the frames the command sent.
Report withSearch(Report report, const SearchOutcome &search);
// uart: the serial settings were read too.
Report readReport(const QList<ModuleOutcome> &outcomes, bool uart);
// set, default, write and apply: one line per module; apply adds a summary.
Report changeReport(const QList<ModuleOutcome> &outcomes, bool summary);

struct PreviewedModule {
    QString module;
    FramePreview preview;
};
Report dryRunReport(const QList<PreviewedModule> &modules);

QString statusText(ModuleOutcome::Status status);

} // namespace cli
