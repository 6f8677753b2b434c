#pragma once

#include "networkadapter.h"
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

// A search waits this long for answers unless told otherwise; it ends
// sooner once they stop coming.
inline constexpr int DefaultSearchWaitMs = 2000;

// A module that answered a search.
struct ListedModule {
    QString mac; // as the module wrote it: frames are addressed to this text
    QString ip;
    QString adapter; // the name of the adapter its answer came in by
};

// The frames a command sent: how many, and the most within one second.
struct Traffic {
    quint64 frames = 0;
    int peakPerSecond = 0;
};

struct SearchOutcome {
    QList<ListedModule> modules;
    // Modules that share a MAC or IP address, said as the window says it,
    // and search frames that never left.
    QList<Problem> warnings;
    // The search could not go out, or (before jobs on "all") found nothing.
    std::optional<Problem> failure;
    Traffic traffic;
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
    // Where it failed (a key, "default", "handshake" ...), why as a stable
    // code ("refused", "no_answer", "timeout" ...), and in words.
    QString step;
    QString code;
    QString message;
    // Read, in the order of reading.
    Settings values;
    // Settings the module confirmed.
    QList<Parameter> written;
    QList<Mismatch> mismatches;
};

// What a run of module jobs gives: the search that found the modules (with
// the frames of the whole run), and one outcome per module.
struct RunOutcome {
    SearchOutcome search;
    QList<ModuleOutcome> modules;
};

// The core's engine for many modules at once (ModuleBatch), as the commands
// use it: with the adapter, rate, number of modules at once and time-out of
// the options.
class ModuleEngine {
public:
    virtual ~ModuleEngine() = default;
    // Collects answers for at most waitMs.
    virtual void search(int waitMs, std::function<void(SearchOutcome)> done) = 0;
    // Searches, then runs the jobs on the modules their targets name: an
    // address or "all" may name several, a MAC behind two adapters two.
    // Outcomes in the order of the jobs.
    virtual void run(QList<ModuleJob> jobs, std::function<void(RunOutcome)> done) = 0;
    // As run, on the modules of search, the search just made: a person who
    // confirmed what it found gets those modules changed, not those of
    // another search.
    virtual void runOn(SearchOutcome search, QList<ModuleJob> jobs,
                       std::function<void(RunOutcome)> done) = 0;
    // The steps under way end as they would, no other starts; the modules
    // not done fail with message.
    virtual void stopStarting(const QString &message) = 0;
};

std::unique_ptr<ModuleEngine> newModuleEngine(Context &context);

// Every adapter for an empty choice; otherwise the entries of the one with that
// name or address.
QList<NetworkAdapter> chosenAdapters(const QList<NetworkAdapter> &all, const QString &choice);

} // namespace cli
