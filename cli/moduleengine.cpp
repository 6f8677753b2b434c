#include "moduleengine.h"
#include "words.h"

#include "atframe.h"

#include "command.h"
#include "commandtable.h"
#include "gbk.h"
#include "modulebatch.h"
#include "transport.h"

#include <QTimer>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

ListedModule listed(const FoundModule &module) {
    return {gbk::decode(module.mac), parameters::addressText(module.ip), module.adapter.name};
}

// What the error messages call a step.
QString stepName(const ::Command *step) {
    if (!step)
        return u"start"_s;
    if (step == &commands::Handshake)
        return u"handshake"_s;
    if (step == &commands::FactoryDefault)
        return u"default"_s;
    return keyOf(*step->parameter);
}

// The search's port is held elsewhere, as a rule by a window that has
// searched: it keeps the port for as long as it runs.
QString portTaken(const QString &reason) {
    return Words::tr("UDP port %1 could not be opened (%2): another program holds it, such as an "
                     "Ostrel window that has searched, which keeps the port until it is closed; "
                     "nothing was sent")
        .arg(QString::number(atframe::ConfigPort), reason);
}

bool sameModule(const FoundModule &a, const FoundModule &b) {
    return a.adapter.index == b.adapter.index && a.mac == b.mac && a.ip == b.ip;
}

bool named(const Target &target, const FoundModule &module) {
    switch (target.kind) {
    case Target::Kind::Mac:
        return normalizedMac(gbk::decode(module.mac)) == target.text;
    case Target::Kind::Address:
        return parameters::addressText(module.ip) == target.text;
    case Target::Kind::All:
        break;
    }
    return true;
}

class CoreEngine final : public ModuleEngine {
public:
    explicit CoreEngine(Context &context)
        : m_context(context)
        , m_network(context.newTransport())
        , m_batch(*m_network, context.adapters, context.options.rate) {
        m_batch.setInFlight(context.options.parallel);
        const QList<NetworkAdapter> chosen =
            chosenAdapters(context.adapters.adapters(), context.options.adapter);
        if (!context.options.adapter.isEmpty() && !chosen.isEmpty())
            m_adapter = context.options.adapter;
        m_batch.onProgress = [this](int ended, int total) {
            m_context.output.progress(Words::tr("%1 of %2 modules done").arg(ended).arg(total));
        };
        // The whole run, the search included.
        const int timeoutMs = context.options.timeoutMs;
        m_timeout.setSingleShot(true);
        QObject::connect(&m_timeout, &QTimer::timeout, &m_batch, [this, timeoutMs] {
            m_batch.abort(Words::tr("not done within %1 ms (--timeout)").arg(timeoutMs));
        });
        m_timeout.start(timeoutMs);
    }

    void search(int waitMs, std::function<void(SearchOutcome)> done) override {
        m_context.output.progress(Words::tr("searching"));
        m_batch.search(m_adapter, waitMs,
                       [this, done = std::move(done)](const ModuleBatch::SearchResult &result) {
                           m_found = result.modules;
                           SearchOutcome outcome;
                           for (const FoundModule &module : result.modules)
                               outcome.modules.append(listed(module));
                           for (const ModuleBatch::Clash &clash : result.clashes)
                               outcome.warnings.append({gbk::decode(clash.module.mac), u"search"_s,
                                                        clash.warning, u"shared_address"_s});
                           if (result.framesQueued > 0)
                               outcome.warnings.append(
                                   {{},
                                    u"search"_s,
                                    Words::tr("%1 of its frames were still queued when the search "
                                              "ended (--rate): modules behind their adapters "
                                              "were not asked")
                                        .arg(result.framesQueued),
                                    u"frames_queued"_s});
                           if (Problem failure = searchFailure(result); !failure.message.isEmpty())
                               outcome.failure = std::move(failure);
                           outcome.traffic = traffic();
                           done(outcome);
                       });
    }

    void run(QList<ModuleJob> jobs, std::function<void(RunOutcome)> done) override {
        search(DefaultSearchWaitMs, [this, jobs = std::move(jobs),
                                     done = std::move(done)](const SearchOutcome &search) mutable {
            runOn(search, std::move(jobs), std::move(done));
        });
    }

    void runOn(SearchOutcome search, QList<ModuleJob> jobs,
               std::function<void(RunOutcome)> done) override {
        RunOutcome run{std::move(search), {}};
        if (!run.search.failure && m_found.isEmpty())
            run.search.failure =
                Problem{{}, u"search"_s, Words::tr("no module answered"), u"no_module"_s};
        QList<ModuleBatch::Job> batch;
        QList<qsizetype> places; // the outcome each batch job fills
        if (const int skipped = plan(jobs, run.modules, batch, places); skipped > 0) {
            // Among the search's warnings, so that every report shows it.
            run.search.warnings.append(Problem{
                {},
                u"search"_s,
                Words::tr("%1 answers skipped: their MAC text is not a MAC address").arg(skipped),
                u"bad_mac"_s});
        }
        m_batch.run(batch, [this, run, places, done](const QList<ModuleBatch::Outcome> &ends) {
            RunOutcome result = run;
            for (qsizetype i = 0; i < ends.size(); ++i) {
                const ModuleBatch::Outcome &end = ends[i];
                ModuleOutcome &outcome = result.modules[places[i]];
                outcome.values = end.values;
                outcome.written = end.written;
                if (!end.done) {
                    outcome.status = ModuleOutcome::Status::Failed;
                    outcome.step = stepName(end.step);
                    outcome.code = end.code ? codeName(*end.code) : u"timeout"_s;
                    outcome.message = !end.code ? end.message
                                      : end.message.isEmpty()
                                          ? failureWords(*end.code)
                                          : failureWords(*end.code) + u": "_s + end.message;
                }
            }
            result.search.traffic = traffic();
            m_timeout.stop();
            done(result);
        });
    }

    void stopStarting(const QString &message) override { m_batch.stopStarting(message); }

private:
    // No message: the search went out.
    Problem searchFailure(const ModuleBatch::SearchResult &result) const {
        using F = ModuleBatch::SearchResult::Failure;
        switch (result.failure) {
        case F::None:
            break;
        case F::NoAdapter:
            return {{},
                    u"search"_s,
                    m_adapter.isEmpty()
                        ? Words::tr("no adapter is up, can broadcast and has an IPv4 address")
                        : Words::tr("adapter %1 has no IPv4 address").arg(m_adapter),
                    u"no_adapter"_s};
        case F::NotOpen:
            return {{},
                    u"search"_s,
                    portTaken(result.systemText.isEmpty() ? Words::tr("no reason given")
                                                          : result.systemText),
                    u"port_unavailable"_s};
        }
        return {};
    }

    Traffic traffic() const {
        return {m_batch.traffic().sent(), m_batch.traffic().peakPerSecond()};
    }

    // The modules each job's target names, each once: a module that answered
    // twice is one module. Modules that share a MAC text behind one adapter
    // but answer from different addresses cannot be told apart by any frame,
    // so nothing is sent to them. Answers whose MAC text is no MAC address
    // (binary, line breaks, escape sequences) are no module to address;
    // returns how many were skipped.
    int plan(const QList<ModuleJob> &jobs, QList<ModuleOutcome> &outcomes,
             QList<ModuleBatch::Job> &batch, QList<qsizetype> &places) const {
        QList<FoundModule> modules;
        int skipped = 0;
        for (const FoundModule &module : m_found) {
            if (normalizedMac(gbk::decode(module.mac)).isEmpty()) {
                ++skipped;
                continue;
            }
            if (std::ranges::none_of(modules,
                                     [&](const FoundModule &m) { return sameModule(m, module); }))
                modules.append(module);
        }
        QList<bool> taken(modules.size(), false);
        for (const ModuleJob &job : jobs) {
            bool found = false;
            for (qsizetype i = 0; i < modules.size(); ++i) {
                const FoundModule &module = modules[i];
                if (!named(job.target, module))
                    continue;
                found = true;
                if (std::exchange(taken[i], true))
                    continue;
                const ListedModule shown = listed(module);
                ModuleOutcome outcome;
                outcome.module = shown.mac;
                outcome.ip = shown.ip;
                outcome.adapter = shown.adapter;
                QStringList sharers;
                for (const FoundModule &other : std::as_const(modules)) {
                    if (other.adapter.index == module.adapter.index && other.mac == module.mac &&
                        other.ip != module.ip)
                        sharers.append(parameters::addressText(other.ip));
                }
                if (!sharers.isEmpty()) {
                    outcome.status = ModuleOutcome::Status::Failed;
                    outcome.step = u"search"_s;
                    outcome.code = u"shared_mac"_s;
                    outcome.message =
                        Words::tr("shares its MAC address with %1 on %2: every frame to "
                                  "one reaches all; set it through its serial port")
                            .arg(sharers.join(u", "_s), shown.adapter);
                } else {
                    places.append(outcomes.size());
                    batch.append({module, job.factoryDefault, job.settings, job.readAll, job.uart});
                }
                outcomes.append(outcome);
            }
            if (!found && job.target.kind != Target::Kind::All) {
                ModuleOutcome outcome;
                outcome.module = job.target.text;
                outcome.status = ModuleOutcome::Status::NotFound;
                outcome.step = u"search"_s;
                outcome.code = u"not_found"_s;
                outcome.message = Words::tr("did not answer the search");
                outcomes.append(outcome);
            }
        }
        return skipped;
    }

    Context &m_context;
    std::unique_ptr<Transport> m_network;
    ModuleBatch m_batch;
    QString m_adapter;
    QList<FoundModule> m_found;
    QTimer m_timeout;
};

} // namespace

QList<NetworkAdapter> chosenAdapters(const QList<NetworkAdapter> &all, const QString &choice) {
    if (choice.isEmpty())
        return all;
    QList<NetworkAdapter> chosen;
    for (const NetworkAdapter &adapter : all) {
        if (adapter.name == choice || adapter.addressText() == choice)
            chosen.append(adapter);
    }
    return chosen;
}

std::unique_ptr<ModuleEngine> newModuleEngine(Context &context) {
    return std::make_unique<CoreEngine>(context);
}

} // namespace cli
