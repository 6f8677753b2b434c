#pragma once

#include "output.h"
#include "settingtext.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// What the configuration commands ask of many modules and what comes back.
// The commands read and check their words and files, make module jobs of
// them and show the outcomes; the conversations in between are the engine's.
namespace cli {

struct Context;

// A module that answered a search.
struct FoundModule {
    QString mac; // as the module wrote it: frames are addressed to this text
    QString ip;
    QString adapter; // the name of the adapter its answer came in by
};

struct SearchOutcome {
    QList<FoundModule> modules;
    // Modules that share a MAC or IP address, said as the window says it.
    QList<Problem> duplicates;
    // The search could not go out.
    std::optional<Problem> failure;
};

// One module's part of a command: optionally the factory default, then the
// settings in their order (each once the one before is confirmed), then,
// when asked, every parameter read (a read, or the read-back of an apply).
struct ModuleJob {
    Target target;
    bool factoryDefault = false;
    Settings settings;
    bool readAll = false;
    bool uart = false;
};

struct Mismatch {
    Parameter parameter;
    ParameterValue wanted;
    std::optional<ParameterValue> read; // none: the read-back did not get it
};

struct ModuleOutcome {
    enum class Status { Done, Failed, NotFound, Mismatch };

    // The MAC text the module answers to; the target's text when none was found.
    QString module;
    QString ip;
    QString adapter;
    Status status = Status::Done;
    // Where it failed ("gateway", "default", "handshake" ...) and why.
    QString step;
    QString message;
    // Read, in the order of reading.
    Settings values;
    // Settings the module confirmed.
    QList<Parameter> written;
    QList<Mismatch> mismatches;
};

// The core's engine for many modules at once, as the commands use it:
// search, then any number of module jobs in flight, at most the rate of
// frames per second of the options.
class ModuleEngine {
public:
    virtual ~ModuleEngine() = default;
    // Collects answers for waitMs.
    virtual void search(int waitMs, std::function<void(SearchOutcome)> done) = 0;
    // Jobs whose target is an address or "all" are matched to the modules
    // found by a search first. One outcome per module, in the order of the
    // jobs.
    virtual void run(QList<ModuleJob> jobs, std::function<void(QList<ModuleOutcome>)> done) = 0;
};

// The engine the commands use, made for the options of the command line
// (adapter, rate, time-out); none while this build has none.
std::unique_ptr<ModuleEngine> newModuleEngine(Context &context);

} // namespace cli
