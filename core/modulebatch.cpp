#include "modulebatch.h"

#include "commandtable.h"
#include "configview.h"
#include "modulesession.h"

#include <QStringView>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString text16(const char16_t *text) {
    return text ? QStringView(text).toString() : QString();
}

void keep(ModuleSettings &values, Parameter parameter, const ParameterValue &value) {
    const auto it = std::ranges::find(values, parameter, &ModuleSetting::parameter);
    if (it == values.end())
        values.append({parameter, value});
    else
        it->value = value;
}

} // namespace

// One job: its module's session, the view that session reports to, and the
// stages of the job. What the session shows and says decides each stage;
// every step to the next runs from the event loop, never from within the
// session's own call.
class ModuleBatch::Conversation final : public QObject, public SessionView {
public:
    Conversation(ModuleBatch &batch, qsizetype job)
        : m_batch(batch)
        , m_job(job)
        , m_session(batch.m_limited, *this, batch.m_jobs.at(job).module.mac,
                    batch.m_jobs.at(job).module.adapter, this) {
        const Job &j = batch.m_jobs.at(job);
        m_session.setModuleAddress(j.module.ip);
        if (j.factoryDefault)
            m_stages.append(Stage::Default);
        if (!j.settings.isEmpty())
            m_stages.append(Stage::Settings);
        if (j.readAll)
            m_stages.append(Stage::ReadAll);
        if (j.uart)
            m_stages.append(Stage::Uart);
        m_watchdog.setSingleShot(true);
        m_watchdog.setInterval(AnswerTimeoutMs);
        connect(&m_watchdog, &QTimer::timeout, this, [this] { fail(u"应答超时"_s); });
    }

    ModuleSession &session() { return m_session; }

    void start() { beginStage(); }

    // Ends it now, from outside the session's calls.
    void abort(const QString &message) {
        fail(message);
        m_session.stop();
    }

    ParameterValue parameterValue(Parameter) const override { return {}; }

    void showParameter(Parameter parameter, const ParameterValue &value) override {
        if (m_ended)
            return;
        // Its MAC read back as another is not this module's report.
        if (const QString *mac = std::get_if<QString>(&value);
            mac && parameter == Parameter::MAC &&
            mac->compare(QString::fromLatin1(m_session.moduleMac()), Qt::CaseInsensitive) != 0) {
            fail(u"the module reported the MAC address %1"_s.arg(*mac));
            return;
        }
        keep(outcome().values, parameter, value);
        const bool readEnds = (stage() == Stage::ReadAll || stage() == Stage::Default) &&
                              parameter == Parameter::Version;
        if (readEnds || (stage() == Stage::Uart && parameter == Parameter::Uart))
            advance();
    }

    void appendMemoLine(const QString &) override {}

    void stepSent(const Command &command, bool setting) override {
        if (m_ended)
            return;
        m_step = &command;
        // A query the session gives up on itself; an answer to a setting
        // (the factory default's repeats included) it would wait for forever.
        if (setting || &command == &commands::FactoryDefault)
            m_watchdog.start();
        else
            m_watchdog.stop();
    }

    void stepAnswered(const Command &command, bool setting, bool ok) override {
        if (m_ended)
            return;
        m_watchdog.stop();
        if (&command != m_step)
            return;
        if (stage() == Stage::Settings && setting) {
            if (ok)
                confirmed();
            else
                fail(text16(command.setFail));
        } else if (!ok && &command == &commands::of(Parameter::Version)) {
            fail(text16(command.readFail)); // one answer ends a read, right or wrong
        }
    }

    // Every notice is the end: a refusal, no answer in time, wrong answers.
    void notify(Notice, const QString &text) override { fail(text); }

private:
    enum class Stage { Default, Settings, ReadAll, Uart };

    Outcome &outcome() { return m_batch.m_outcomes[m_job]; }
    const Job &job() const { return m_batch.m_jobs.at(m_job); }
    Stage stage() const { return m_stages.value(m_stage); }

    void queue(std::function<void()> step) {
        QMetaObject::invokeMethod(this, std::move(step), Qt::QueuedConnection);
    }
    // A module that answers twice may end a stage twice.
    void advance() {
        if (!std::exchange(m_advancing, true))
            queue([this] {
                m_advancing = false;
                nextStage();
            });
    }

    void beginStage() {
        if (m_stage >= m_stages.size()) {
            m_ended = true;
            outcome().done = true;
            queue([this] { end(); });
            return;
        }
        switch (stage()) {
        case Stage::Default:
            m_step = &commands::FactoryDefault;
            m_session.restoreFactoryDefaults();
            break;
        case Stage::Settings: {
            const ModuleSetting &setting = job().settings[m_setting];
            m_step = &commands::of(setting.parameter);
            m_session.set(setting.parameter, setting.value);
            break;
        }
        case Stage::ReadAll:
            m_step = &commands::Handshake;
            m_session.readAll();
            break;
        case Stage::Uart:
            m_step = &commands::of(Parameter::Uart);
            m_session.query(Parameter::Uart);
            break;
        }
    }

    void nextStage() {
        if (m_ended)
            return;
        ++m_stage;
        beginStage();
    }

    void confirmed() {
        outcome().written.append(*m_step->parameter);
        const bool more = ++m_setting < job().settings.size();
        if (!more && m_stage + 1 >= m_stages.size()) {
            advance();
            return;
        }
        QTimer::singleShot(SettingSpacingMs, this, [this, more] {
            if (m_ended)
                return;
            if (more)
                beginStage();
            else
                nextStage();
        });
    }

    void fail(const QString &message) {
        if (m_ended)
            return;
        m_ended = true;
        m_watchdog.stop();
        outcome().step = m_step;
        outcome().message = message;
        queue([this] { end(); });
    }

    void end() {
        m_session.stop();
        m_batch.m_search.removeSession(&m_session);
        m_batch.conversationEnded();
    }

    ModuleBatch &m_batch;
    const qsizetype m_job;
    ModuleSession m_session;
    QList<Stage> m_stages;
    qsizetype m_stage = 0;
    qsizetype m_setting = 0;
    const Command *m_step = nullptr;
    bool m_ended = false;
    bool m_advancing = false;
    QTimer m_watchdog;
};

ModuleBatch::ModuleBatch(Transport &network, const AdapterSource &adapters, int rate,
                         QObject *parent)
    : QObject(parent)
    , m_adapterSource(adapters)
    , m_rate(std::max(MinRate, rate))
    , m_limited(network, m_rate)
    , m_search(m_limited, m_store) {
    connect(&m_limited, &Transport::received, this,
            [this](const Peer &from, QByteArrayView bytes) { m_search.receive(from, bytes); });
    connect(&m_limited, &Transport::failed, this,
            [this](int, const QString &text) { m_transportFailure = text; });
    setInFlight(DefaultInFlight);
    m_search.onAnswer = [this](const Peer &from, const QByteArray &mac) {
        m_answering = {mac, from.ip, m_search.adapterOf(from)};
        m_searchQuiet.start();
    };
    m_search.onDuplicate = [this](const QString &warning) {
        m_found.clashes.append({m_answering, warning});
    };
    m_search.onListed = [this](const QString &) { m_found.modules.append(m_answering); };
    m_searchWait.setSingleShot(true);
    m_searchQuiet.setSingleShot(true);
    m_searchQuiet.setInterval(SearchQuietMs);
    connect(&m_searchWait, &QTimer::timeout, this, &ModuleBatch::endSearch);
    connect(&m_searchQuiet, &QTimer::timeout, this, &ModuleBatch::endSearch);
}

ModuleBatch::~ModuleBatch() {
    m_search.clearSessions();
    m_conversations.clear();
    m_limited.close();
}

void ModuleBatch::search(const QString &adapter, int waitMs,
                         std::function<void(SearchResult)> done) {
    m_found = {};
    const QList<NetworkAdapter> all = m_adapterSource.adapters();
    const QList<NetworkAdapter> searched = ModuleSearch::adaptersToSearch(all, adapter);
    if (searched.isEmpty()) {
        m_found.failure = adapter.isEmpty()
                              ? u"没有可用的网络适配器（IPv4），请检查网络连接！"_s
                              : u"网络适配器%1没有可用的IPv4地址，请检查网络连接！"_s.arg(adapter);
        done(m_found);
        return;
    }
    m_transportFailure.clear();
    if (!m_search.start(all, searched)) {
        m_found.failure = m_transportFailure.isEmpty() ? u"UDP没建立"_s : m_transportFailure;
        done(m_found);
        return;
    }
    m_searchDone = std::move(done);
    m_searchWait.start(waitMs);
}

void ModuleBatch::endSearch() {
    m_searchWait.stop();
    m_searchQuiet.stop();
    m_search.endListing();
    if (auto done = std::exchange(m_searchDone, {}))
        done(m_found);
}

void ModuleBatch::run(QList<Job> jobs, std::function<void(QList<Outcome>)> done) {
    m_search.clearSessions();
    m_conversations.clear();
    m_jobs = std::move(jobs);
    m_outcomes = QList<Outcome>(m_jobs.size());
    m_running = 0;
    m_ended = 0;
    m_runDone = std::move(done);
    if (!m_abortedWith.isEmpty()) {
        for (Outcome &outcome : m_outcomes)
            outcome.message = m_abortedWith;
        endRun();
        return;
    }
    if (m_jobs.isEmpty()) {
        endRun();
        return;
    }
    launch();
}

void ModuleBatch::launch() {
    while (m_running < m_inFlight && m_conversations.size() < size_t(m_jobs.size())) {
        const qsizetype job = qsizetype(m_conversations.size());
        Conversation &conversation =
            *m_conversations.emplace_back(std::make_unique<Conversation>(*this, job));
        ++m_running;
        m_search.addSession(&conversation.session());
        conversation.start();
    }
}

void ModuleBatch::conversationEnded() {
    if (!m_runDone)
        return; // aborted
    --m_running;
    ++m_ended;
    if (onProgress)
        onProgress(m_ended, int(m_jobs.size()));
    if (m_ended == m_jobs.size())
        endRun();
    else
        launch();
}

void ModuleBatch::abort(const QString &message) {
    m_abortedWith = message;
    if (m_searchDone) {
        endSearch();
        return;
    }
    if (!m_runDone)
        return;
    for (qsizetype job = 0; job < m_jobs.size(); ++job) {
        if (size_t(job) < m_conversations.size())
            m_conversations[size_t(job)]->abort(message);
        else
            m_outcomes[job].message = message;
    }
    m_search.clearSessions();
    endRun();
}

// From the event loop: the last conversation ends within its own call, and
// the caller may start another run, which ends the conversations of this one.
void ModuleBatch::endRun() {
    if (auto done = std::exchange(m_runDone, {}))
        QMetaObject::invokeMethod(
            this, [done = std::move(done), outcomes = m_outcomes] { done(outcomes); },
            Qt::QueuedConnection);
}
