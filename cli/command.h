#pragma once

#include "modulebatch.h"
#include "output.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class AdapterSource;
class Transport;

namespace cli {

// The options several commands share; each command names those that mean
// something to it.
enum CommonOption : int {
    JsonOption = 1,
    QuietOption = 2,
    TimeoutOption = 4,
    AdapterOption = 8,
    RateOption = 16,
    DryRunOption = 32,
    ParallelOption = 64,
    YesOption = 128,
};

struct CommonOptions {
    bool json = false;
    bool quiet = false;
    // The command's own default unless given.
    int timeoutMs = 0;
    // Empty: every adapter.
    QString adapter;
    // Frames per second at most.
    int rate = ModuleBatch::DefaultRate;
    // Modules talked to at once.
    int parallel = ModuleBatch::DefaultInFlight;
    bool dryRun = false;
    // Change every module without asking.
    bool yes = false;
};

// What a command may use while it runs.
struct Context {
    CommonOptions options;
    const AdapterSource &adapters;
    Output &output;
    // A transport for a conversation of the command's own.
    std::function<std::unique_ptr<Transport>()> newTransport;
    // Whether a person at a terminal can be asked, and the asking: true for
    // yes.
    bool canAsk = false;
    std::function<bool(const QString &question)> ask;
};

struct Argument {
    QString name;
    QString description;
    QString syntax;
};

// One subcommand: its words and options, then parse -> validate -> run ->
// report. Parsing and validation fail with a text (a usage error, exit code
// 2) before anything is sent.
class Command {
public:
    using Done = std::function<void(Report)>;

    virtual ~Command() = default;

    virtual QString name() const = 0;
    virtual QString summary() const = 0;
    // Printed after the options in the command's help.
    virtual QString details() const { return {}; }
    // What follows the name, for the usage line and the help.
    virtual QList<Argument> arguments() const = 0;
    virtual QList<QCommandLineOption> options() const { return {}; }
    // The usage line after the name: the arguments' syntax and the options
    // the command cannot do without.
    virtual QString usage() const {
        QStringList words;
        for (const Argument &argument : arguments())
            words.append(argument.syntax);
        return words.join(u' ');
    }
    virtual int commonOptions() const = 0;
    virtual int defaultTimeoutMs() const { return 2000; }

    // arguments: the words after the command's name.
    virtual QString parse(const QStringList &arguments, const QCommandLineParser &parser) = 0;
    // What needs the computer, such as its adapters.
    virtual QString validate(const Context &) { return {}; }
    // Calls done exactly once, possibly before it returns.
    virtual void run(Context &context, Done done) = 0;
    // Whether it stops cleanly on a signal (interrupt) rather than ending
    // with the program.
    virtual bool interruptible() const { return false; }
    // Starts no new step; the steps under way end as they would, and done is
    // called with what the modules confirmed.
    virtual void interrupt(const QString &) {}
};

std::vector<std::unique_ptr<Command>> workingModeCommands();
std::vector<std::unique_ptr<Command>> configurationCommands();

} // namespace cli
