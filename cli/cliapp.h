#pragma once

#include "command.h"

#include <QStringList>

#include <functional>
#include <memory>

class AdapterSource;
class QIODevice;
class Transport;

namespace cli {

class Interrupts;

// Where a run of the tool reads its computer and writes its output: the
// process's own in the program, recorders and fixed adapter lists in tests.
struct Environment {
    QIODevice &out;
    QIODevice &err;
    bool errIsTerminal = false;
    const AdapterSource &adapters;
    std::function<std::unique_ptr<Transport>()> newTransport;
    // Where a question is answered; none: nobody to ask.
    QIODevice *in = nullptr;
    bool inIsTerminal = false;
    // None: the signals keep their own effect.
    Interrupts *interrupts = nullptr;
};

// The whole program but for the application object: arguments[0] is the
// program's name. Runs the event loop until the command is done and answers
// its exit code.
int run(const QStringList &arguments, const Environment &environment);

// Every command with its words and options, "help" included: what the help,
// the manual pages and the shell completions say. The options are those the
// command takes, the shared ones and --help included.
struct CommandInfo {
    QString name;
    QString summary;
    QString usage; // what follows the name
    QString details;
    QList<Argument> arguments;
    QList<QCommandLineOption> options;
};
QList<CommandInfo> commandCatalogue();

} // namespace cli
