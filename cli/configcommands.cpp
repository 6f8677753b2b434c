// The commands of the configuration side: the adapters, the search, and
// reading and setting modules. Their words, files and values are read and
// checked here; the conversations with the modules are the engine's
// (ModuleEngine), which these commands hand their module jobs to.
#include "command.h"
#include "framepreview.h"
#include "moduleresults.h"
#include "networkadapter.h"
#include "planfiles.h"

#include <QJsonArray>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

// What every command on modules takes.
constexpr int ModuleOptions =
    JsonOption | QuietOption | TimeoutOption | AdapterOption | RateOption | ParallelOption;
const QByteArray PlaceholderMac = "00:00:00:00:00:00";

QString noSuchAdapter(const QList<NetworkAdapter> &all, const QString &choice) {
    QStringList known;
    for (const NetworkAdapter &adapter : all)
        known.append(adapter.name + u' ' + adapter.addressText());
    return Words::tr("--adapter %1: no such adapter; there are: %2")
        .arg(choice, known.isEmpty() ? Words::tr("none") : known.join(u", "_s));
}

// Many modules given the same address would answer as one.
QString checkUnique(const QList<Target> &targets, const Settings &settings) {
    const bool many = targets.size() > 1 || targets.first().kind == Target::Kind::All;
    for (const Setting &setting : settings) {
        if (many && parameters::info(setting.parameter).oneModuleAtATime)
            return Words::tr("%1: would give every module the same address; set it one module at a "
                             "time")
                .arg(keyOf(setting.parameter));
    }
    return {};
}

QCommandLineOption forceOption() {
    return {u"force"_s,
            Words::tr("Send values that would cut a module off the network (a mask that is not "
                      "contiguous, an address no module can have, a router address outside the "
                      "subnet).")};
}

// A value that would leave the module unreachable is refused unless forced.
QString checkCutOff(const Settings &settings, bool force) {
    const parameters::CutOff cut = parameters::cutOff(settings);
    if (force || cut.refusal == Refusal::None)
        return {};
    const auto it = std::ranges::find(settings, cut.parameter, &Setting::parameter);
    const QString value = parameters::text(cut.parameter, it->value).value_or(QString());
    return keyOf(cut.parameter) + u": "_s + refusalText(cut.refusal, cut.parameter, value);
}

// The session refuses what cannot travel to any module; a MAC text has 17
// characters, so the placeholder stands for any.
QString checkFrames(const Settings &settings, const QByteArray &moduleMac = PlaceholderMac) {
    const FramePreview preview = previewFrames(moduleMac, PlaceholderMac, settings);
    if (preview.refusal.isEmpty())
        return {};
    return preview.refusedStep + u": "_s + preview.refusal;
}

class AdaptersCommand final : public Command {
public:
    QString name() const override { return u"adapters"_s; }
    QString summary() const override {
        return Words::tr(
            "Lists the network adapters a search goes out of: name, address, mask, MAC.");
    }
    QList<Argument> arguments() const override { return {}; }
    int commonOptions() const override { return JsonOption | QuietOption; }
    QString parse(const QStringList &words, const QCommandLineParser &) override {
        return words.isEmpty() ? QString() : Words::tr("takes no arguments");
    }
    void run(Context &context, Done done) override {
        Report report;
        report.table =
            Table({Words::tr("NAME"), Words::tr("ADDRESS"), Words::tr("MASK"), u"MAC"_s});
        QJsonArray list;
        for (const NetworkAdapter &adapter : context.adapters.adapters()) {
            const QString mask = parameters::addressText(adapter.netmask);
            const QString mac = QString::fromLatin1(adapter.mac);
            report.table.addRow({adapter.name, adapter.addressText(), mask, mac});
            list.append(QJsonObject{{u"name"_s, adapter.name},
                                    {u"index"_s, adapter.index},
                                    {u"address"_s, adapter.addressText()},
                                    {u"mask"_s, mask},
                                    {u"mac"_s, mac}});
        }
        report.fields.insert(u"adapters"_s, list);
        if (list.isEmpty())
            report.fail(NothingFound, {{},
                                       u"adapters"_s,
                                       Words::tr("no adapter is up, can broadcast and has an IPv4 "
                                                 "address"),
                                       u"no_adapter"_s});
        done(report);
    }
};

// A command on modules found through the adapters.
class ModuleCommand : public Command {
public:
    QString validate(const Context &context) override {
        const QString &choice = context.options.adapter;
        const QList<NetworkAdapter> all = context.adapters.adapters();
        if (chosenAdapters(all, choice).isEmpty() && !choice.isEmpty())
            return noSuchAdapter(all, choice);
        if (context.options.dryRun && std::ranges::any_of(m_targets, [](const Target &t) {
                return t.kind != Target::Kind::Mac;
            }))
            return Words::tr(
                "--dry-run takes MAC addresses only: finding the modules of other targets "
                "would broadcast");
        return {};
    }
    int defaultTimeoutMs() const override { return 30000; }
    void run(Context &context, Done done) override {
        if (context.options.dryRun) {
            done(dryRun(context));
            return;
        }
        m_context = &context;
        m_engine = newModuleEngine(context);
        start(*m_engine, std::move(done));
    }
    void interrupt(const QString &why) override {
        m_interrupted = true;
        if (m_engine)
            m_engine->stopStarting(why);
    }

protected:
    static Argument targetArgument() {
        return {
            u"TARGET"_s,
            Words::tr("A module's MAC address, its IP address, or \"all\" (every module a search "
                      "finds)."),
            u"TARGET..."_s};
    }
    QString parseTargets(const QStringList &words) {
        TargetParse parse = cli::parseTargets(words);
        m_targets = std::move(parse.targets);
        return parse.error;
    }
    QList<ModuleJob> jobsFor(const ModuleJob &job) const {
        QList<ModuleJob> jobs;
        for (const Target &target : m_targets) {
            jobs.append(job);
            jobs.last().target = target;
        }
        return jobs;
    }
    // The frames of each target's job, signed with the adapter's MAC.
    Report previewJobs(const Context &context, const QList<ModuleJob> &jobs) const {
        const QList<NetworkAdapter> adapters =
            chosenAdapters(context.adapters.adapters(), context.options.adapter);
        const QByteArray localMac = adapters.isEmpty() || adapters.first().mac.isEmpty()
                                        ? PlaceholderMac
                                        : adapters.first().mac;
        QList<PreviewedModule> previews;
        for (const ModuleJob &job : jobs) {
            previews.append({job.target.text, previewFrames(job.target.text.toLatin1(), localMac,
                                                            job.settings, job.factoryDefault)});
        }
        return dryRunReport(previews);
    }

    QList<Target> m_targets;
    Context *m_context = nullptr;
    bool m_interrupted = false;

private:
    // Only the commands that take --dry-run are asked.
    virtual Report dryRun(const Context &) const { return {}; }
    virtual void start(ModuleEngine &engine, Done done) = 0;

    std::unique_ptr<ModuleEngine> m_engine;
};

class SearchCommand final : public ModuleCommand {
public:
    QString name() const override { return u"search"_s; }
    QString summary() const override {
        return Words::tr(
            "Asks every module to answer (a broadcast out of each adapter) and lists those "
            "that did: MAC, IP, adapter. Modules that share an address are warned of.");
    }
    QList<Argument> arguments() const override { return {}; }
    QList<QCommandLineOption> options() const override {
        return {
            {u"wait"_s,
             Words::tr("Wait at most <MS> milliseconds for answers (default %1); the search ends "
                       "%2 ms after the last answer.")
                 .arg(DefaultSearchWaitMs)
                 .arg(ModuleBatch::SearchQuietMs),
             u"MS"_s}};
    }
    int commonOptions() const override { return JsonOption | QuietOption | AdapterOption; }
    QString parse(const QStringList &words, const QCommandLineParser &parser) override {
        if (!words.isEmpty())
            return Words::tr("takes no arguments");
        if (parser.isSet(u"wait"_s)) {
            bool ok = false;
            m_waitMs = parser.value(u"wait"_s).toInt(&ok);
            if (!ok || m_waitMs < 1 || m_waitMs > 60000)
                return Words::tr("--wait takes milliseconds from 1 to 60000");
        }
        return {};
    }

private:
    void start(ModuleEngine &engine, Done done) override {
        engine.search(m_waitMs, [done = std::move(done)](const SearchOutcome &outcome) {
            done(searchReport(outcome));
        });
    }

    int m_waitMs = DefaultSearchWaitMs;
};

class ReadCommand final : public ModuleCommand {
public:
    QString name() const override { return u"read"_s; }
    QString summary() const override {
        return Words::tr(
            "Reads all parameters of modules (and with --uart their serial settings).");
    }
    QList<Argument> arguments() const override { return {targetArgument()}; }
    QList<QCommandLineOption> options() const override {
        return {{u"uart"_s, Words::tr("Read the serial settings too.")}};
    }
    int commonOptions() const override { return ModuleOptions; }
    QString parse(const QStringList &words, const QCommandLineParser &parser) override {
        m_uart = parser.isSet(u"uart"_s);
        return parseTargets(words);
    }

private:
    void start(ModuleEngine &engine, Done done) override {
        ModuleJob job;
        job.readAll = true;
        job.uart = m_uart;
        engine.run(jobsFor(job), [done = std::move(done), uart = m_uart](const RunOutcome &run) {
            done(withSearch(readReport(run.modules, uart), run.search));
        });
    }

    bool m_uart = false;
};

// set, default and write: the same job for every target.
class ChangeCommand : public ModuleCommand {
public:
    int commonOptions() const override { return ModuleOptions | DryRunOption | YesOption; }
    bool interruptible() const override { return true; }
    // "all" changes modules nobody named: a person confirms it, or --yes.
    QString validate(const Context &context) override {
        const QString error = ModuleCommand::validate(context);
        if (error.isEmpty() && toAll() && !context.options.yes && !context.canAsk)
            return Words::tr("all: changes every module that answers; give --yes to do so where "
                             "nobody can be asked (standard input is not a terminal)");
        return error;
    }

protected:
    // The targets, then the settings against them.
    QString parseTargetsFor(const QStringList &words, const QCommandLineParser &parser) {
        QString error = parseTargets(words);
        if (error.isEmpty())
            error = checkUnique(m_targets, m_job.settings);
        if (error.isEmpty())
            error = checkCutOff(m_job.settings, parser.isSet(u"force"_s));
        return error.isEmpty() ? checkFrames(m_job.settings) : error;
    }

    ModuleJob m_job;

private:
    Report dryRun(const Context &context) const override {
        return previewJobs(context, jobsFor(m_job));
    }
    bool toAll() const {
        return std::ranges::any_of(m_targets,
                                   [](const Target &t) { return t.kind == Target::Kind::All; });
    }
    void start(ModuleEngine &engine, Done done) override {
        const auto finished = [](Done finish) {
            return [finish = std::move(finish)](const RunOutcome &run) {
                finish(withSearch(changeReport(run.modules, false), run.search));
            };
        };
        if (!toAll() || m_context->options.yes) {
            engine.run(jobsFor(m_job), finished(std::move(done)));
            return;
        }
        engine.search(DefaultSearchWaitMs, [this, &engine, finished, done = std::move(done)](
                                               const SearchOutcome &search) mutable {
            if (m_interrupted) { // nothing to ask about any more
                done(withSearch({}, search));
                return;
            }
            QSet<std::pair<QString, QString>> modules; // one that answered twice is one
            for (const ListedModule &module : search.modules)
                modules.insert({module.mac, module.ip});
            if (modules.isEmpty() || m_context->ask(Words::tr("%1 the %2 modules that answered?")
                                                        .arg(question())
                                                        .arg(modules.size()))) {
                // The modules the person was asked about, not another search's.
                engine.runOn(search, jobsFor(m_job), finished(std::move(done)));
                return;
            }
            Report report;
            report.fail(ModuleFailed, {u"all"_s,
                                       {},
                                       Words::tr("not confirmed; nothing was changed"),
                                       u"not_confirmed"_s});
            done(withSearch(report, search));
        });
    }
    // What the question asks of the modules.
    virtual QString question() const = 0;
};

class SetCommand final : public ChangeCommand {
public:
    QString name() const override { return u"set"_s; }
    QString summary() const override {
        return Words::tr("Sets parameters of modules, each once the one before is confirmed.");
    }
    QString details() const override { return settingKeysHelp(); }
    QList<Argument> arguments() const override {
        return {targetArgument(),
                {u"SETTING"_s, Words::tr("key=value; see below."), u"key=value..."_s}};
    }
    QList<QCommandLineOption> options() const override { return {forceOption()}; }
    QString parse(const QStringList &words, const QCommandLineParser &parser) override {
        QStringList targets;
        for (const QString &word : words) {
            if (!word.contains(u'=')) {
                targets.append(word);
                continue;
            }
            const SettingParse parse = parseAssignment(word);
            const QString error =
                parse.setting ? addSetting(m_job.settings, *parse.setting) : parse.error;
            if (!error.isEmpty())
                return error;
        }
        if (m_job.settings.isEmpty())
            return Words::tr("no key=value given");
        return parseTargetsFor(targets, parser);
    }

private:
    QString question() const override {
        QStringList keys;
        for (const Setting &setting : m_job.settings)
            keys.append(keyOf(setting.parameter));
        return Words::tr("Set %1 of").arg(keys.join(u", "_s));
    }
};

class DefaultCommand final : public ChangeCommand {
public:
    QString name() const override { return u"default"_s; }
    QString summary() const override {
        return Words::tr("Restores the factory settings of modules (\"AT+DEFAULT\").");
    }
    QList<Argument> arguments() const override { return {targetArgument()}; }
    QString parse(const QStringList &words, const QCommandLineParser &) override {
        m_job.factoryDefault = true;
        return parseTargets(words);
    }

private:
    QString question() const override { return Words::tr("Restore the factory settings of"); }
};

class WriteCommand final : public ChangeCommand {
public:
    QString name() const override { return u"write"_s; }
    QString summary() const override {
        return Words::tr(
            "Writes the parameters a file holds to modules: a CFG.ini as the window saves "
            "it, or a document as 'read --json' prints it.");
    }
    QString details() const override {
        return Words::tr(
            "From a CFG.ini: the keys it holds, and no others (a field saved empty or "
            "\"0\" is left out; BaudRate, DataBit, StopBit and Parity go together). From "
            "JSON: the \"parameters\" of its one module (the version is left out).\n");
    }
    QList<Argument> arguments() const override { return {targetArgument()}; }
    QString usage() const override { return u"TARGET... --from FILE"_s; }
    QList<QCommandLineOption> options() const override {
        return {{u"from"_s, Words::tr("The file to write from (needed; - for standard input)."),
                 u"FILE"_s},
                forceOption()};
    }
    QString parse(const QStringList &words, const QCommandLineParser &parser) override {
        if (!parser.isSet(u"from"_s))
            return Words::tr("--from FILE is needed");
        SettingsFile file = readSettingsFile(parser.value(u"from"_s));
        if (!file.error.isEmpty())
            return file.error;
        m_job.settings = std::move(file.settings);
        return parseTargetsFor(words, parser);
    }

private:
    QString question() const override { return Words::tr("Write the file's settings to"); }
};

class ApplyCommand final : public ModuleCommand {
public:
    QString name() const override { return u"apply"_s; }
    QString summary() const override {
        return Words::tr(
            "Sets each module of a plan to its own settings, reads it back and compares; "
            "a summary says which modules are done.");
    }
    QString details() const override {
        return Words::tr(
                   "PLAN.csv: a first line naming the columns, \"module\" (the MAC address the "
                   "module answers to now) and any of the keys below, then one line per module; "
                   "an empty cell leaves that parameter as it is. PLAN.json: a document as 'read "
                   "--json' prints it; each entry's \"module\" and \"parameters\".\n\n") +
               settingKeysHelp();
    }
    QList<Argument> arguments() const override {
        return {{u"PLAN"_s, Words::tr("The plan: CSV or JSON."), u"PLAN.csv|PLAN.json"_s}};
    }
    int commonOptions() const override { return ModuleOptions | DryRunOption; }
    bool interruptible() const override { return true; }
    QList<QCommandLineOption> options() const override { return {forceOption()}; }
    QString parse(const QStringList &words, const QCommandLineParser &parser) override {
        if (words.size() != 1)
            return Words::tr("takes one plan");
        Plan plan = readPlan(words.first());
        if (!plan.error.isEmpty())
            return plan.error;
        for (const PlanRow &row : std::as_const(plan.rows)) {
            const Settings &settings = row.settings;
            const bool uart = std::ranges::any_of(
                settings, [](const Setting &s) { return s.parameter == Parameter::Uart; });
            m_jobs.append({{Target::Kind::Mac, row.module}, false, settings, true, uart});
            m_targets.append(m_jobs.last().target);
            QString error = checkCutOff(settings, parser.isSet(u"force"_s));
            if (error.isEmpty())
                error = checkFrames(settings, row.module.toLatin1());
            if (!error.isEmpty())
                return row.module + u": "_s + error;
        }
        return {};
    }

private:
    Report dryRun(const Context &context) const override { return previewJobs(context, m_jobs); }
    void start(ModuleEngine &engine, Done done) override {
        engine.run(m_jobs, [done = std::move(done), jobs = m_jobs](RunOutcome run) {
            for (ModuleOutcome &outcome : run.modules) {
                const auto job =
                    std::ranges::find(jobs, normalizedMac(outcome.module),
                                      [](const ModuleJob &j) { return j.target.text; });
                if (job != jobs.end())
                    compareReadBack(job->settings, outcome);
            }
            done(withSearch(changeReport(run.modules, true), run.search));
        });
    }

    QList<ModuleJob> m_jobs;
};

} // namespace

std::vector<std::unique_ptr<Command>> configurationCommands() {
    std::vector<std::unique_ptr<Command>> list;
    list.push_back(std::make_unique<AdaptersCommand>());
    list.push_back(std::make_unique<SearchCommand>());
    list.push_back(std::make_unique<ReadCommand>());
    list.push_back(std::make_unique<SetCommand>());
    list.push_back(std::make_unique<DefaultCommand>());
    list.push_back(std::make_unique<WriteCommand>());
    list.push_back(std::make_unique<ApplyCommand>());
    return list;
}

} // namespace cli
