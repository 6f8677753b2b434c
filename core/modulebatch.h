#pragma once

#include "clock.h"
#include "modulesearch.h"
#include "moduletable.h"
#include "networkadapter.h"
#include "parameters.h"
#include "ratelimitedtransport.h"
#include "sessionresult.h"
#include "transportrouter.h"

#include <QList>
#include <QObject>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

struct Command;

// A module that answered a search.
struct FoundModule {
    // The MAC text as the module wrote it: frames are addressed to it.
    QByteArray mac;
    quint32 ip = 0;
    // The adapter its answer came in by (index 0: the system did not say).
    NetworkAdapter adapter;
};

// Many modules at once, for scripts: a search that ends once the answers
// stop, then module jobs, a bounded number of them in flight on one
// transport. Each module is talked to by a session of its own, which paces
// it exactly as the window paces the module it shows; the replies go to the
// session that awaits them (frames and replies are addressed by MAC), and
// every frame passes one cap on frames per second.
class ModuleBatch : public QObject {
    Q_OBJECT

public:
    static constexpr int DefaultInFlight = 64;
    static constexpr int DefaultRate = 2000;
    // Answers are timed from when a frame left the rate's queue, so a frame
    // that waits costs time, not the answer. No more jobs run at once than a
    // tenth of a second of the rate sends, so that a frame waits at most
    // about 100 ms and a module keeps the pace it would have alone.
    static constexpr int MinRate = 10;
    // A search ends once no answer has come for this long after the last one.
    static constexpr int SearchQuietMs = 300;
    // A setting or factory default that is never answered is given up after
    // as long as a query the module is silent to (20 firings of 150 ms).
    static constexpr int AnswerTimeoutMs = 3000;
    // Between a confirmed setting and the next frame to the module, as the
    // window's write-all spaces its steps.
    static constexpr int SettingSpacingMs = 300;

    struct Clash {
        FoundModule module; // the one whose answer clashed with one listed before
        QString warning;    // as the window words it
    };
    struct SearchResult {
        // In the order they answered, as the window lists them: a module
        // that answered twice is there twice.
        QList<FoundModule> modules;
        QList<Clash> clashes;
        // Why the search could not go out, with the system's words where the
        // network failed: NotOpen is the configuration port that could not be
        // opened, and nothing was sent.
        enum class Failure { None, NoAdapter, NotOpen } failure = Failure::None;
        QString systemText;
        // Search frames still waiting for the rate when the search ended.
        int framesQueued = 0;
    };

    // One module's part: optionally the factory default (which the session
    // follows with a read of every parameter), then the settings in their
    // order, each once the one before is confirmed, then, when asked, every
    // parameter read, then the serial settings.
    struct Job {
        FoundModule module;
        bool factoryDefault = false;
        ModuleSettings settings;
        bool readAll = false;
        bool uart = false;
    };
    struct Outcome {
        bool done = false;
        // The step that failed, as the command it sent or was about to send;
        // none when the job never started.
        const Command *step = nullptr;
        // Why it failed, as the session's result says; none when the run was
        // ended from outside, with message.
        std::optional<SessionResult::Code> code;
        QString message;
        // Read, in the order of reading; the latest read of each parameter.
        ModuleSettings values;
        // Settings the module confirmed.
        QList<Parameter> written;
    };

    // Frames go out through network at no more than rate per second.
    ModuleBatch(Transport &network, const AdapterSource &adapters, int rate = DefaultRate,
                QObject *parent = nullptr, Clock &clock = Clock::system());
    ~ModuleBatch() override;

    // How many jobs run at once, at most a tenth of the rate.
    void setInFlight(int jobs) { m_inFlight = std::clamp(jobs, 1, std::max(1, m_rate / 10)); }

    // Through the adapter of that name only, or every adapter for an empty
    // one. Ends once no answer has come for SearchQuietMs after the last, or
    // waitMs after the last search frame left (frames wait for the rate),
    // never while one waits.
    void search(const QString &adapter, int waitMs, std::function<void(SearchResult)> done);
    // On the modules of the last search. One outcome per job, in their order.
    void run(QList<Job> jobs, std::function<void(QList<Outcome>)> done);
    // Ends the search or the run under way now: a search with what it has
    // found, a run with every job not done failed with message. A run
    // started later fails every job with it.
    void abort(const QString &message);
    // Starts no new step: each step under way ends as it would (confirmed,
    // refused or timed out), then its job fails with message at the step it
    // would have taken next; a job not begun fails with it at none. A search
    // under way ends with what it has found, and a run started later fails
    // every job with message.
    void stopStarting(const QString &message);

    // Jobs ended so far, of how many.
    std::function<void(int ended, int total)> onProgress;

    const RateLimitedTransport &traffic() const { return m_limited; }

private:
    class Conversation;

    void endSearch();
    void launch();
    void conversationEnded();
    void endRun();

    const AdapterSource &m_adapterSource;
    const int m_rate;
    Clock &m_clock;
    RateLimitedTransport m_limited;
    TransportRouter m_router;
    ModuleTable m_store;
    ModuleSearch m_search;
    int m_inFlight = 1;
    QString m_transportFailure;
    QString m_abortedWith;
    QString m_stoppedWith;

    SearchResult m_found;
    FoundModule m_answering;
    std::function<void(SearchResult)> m_searchDone;
    int m_searchWaitMs = 0;
    Timer m_searchWait;
    Timer m_searchQuiet;

    QList<Job> m_jobs;
    QList<Outcome> m_outcomes;
    // Every job started, by job; kept until the next run.
    std::vector<std::unique_ptr<Conversation>> m_conversations;
    int m_running = 0;
    int m_ended = 0;
    std::function<void(QList<Outcome>)> m_runDone;
};
