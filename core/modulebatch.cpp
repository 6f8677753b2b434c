#include "modulebatch.h"

#include "commandtable.h"
#include "modulesession.h"

#include <QCoreApplication>
#include <QStringView>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

void keep(ModuleSettings &values, Parameter parameter, const ParameterValue &value) {
    const auto it = std::ranges::find(values, parameter, &ModuleSetting::parameter);
    if (it == values.end())
        values.append({parameter, value});
    else
        it->value = value;
}

} // namespace

// One job: its module's session and the stages of the job. The session's
// results decide each stage; every step to the next runs from the event
// loop, never from within the session's own call.
class ModuleBatch::Conversation final : public QObject {
public:
    Conversation(ModuleBatch &batch, qsizetype job)
        : m_batch(batch)
        , m_job(job)
        , m_session(batch.m_limited, batch.m_jobs.at(job).module.mac,
                    batch.m_jobs.at(job).module.adapter, this, batch.m_clock)
        , m_watchdog(batch.m_clock, [this] { fail(SessionResult::Code::NoAnswer); })
        , m_spacing(batch.m_clock, [this] {
            if (auto then = std::exchange(m_afterSpacing, {}))
                then();
        }) {
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
        m_spacing.setSingleShot(true);
        connect(&m_session, &ModuleSession::result, this, &Conversation::follow);
        // The answer's time counts from when the frame left the rate's queue.
        connect(&m_session, &ModuleSession::frameLeft, this, [this] {
            if (std::exchange(m_watchdogArmed, false))
                m_watchdog.start();
        });
    }

    ModuleSession &session() { return m_session; }

    void start() { beginStage(); }

    // Ends it now, from outside the session's calls.
    void abort(const QString &message) {
        fail(std::nullopt, message);
        m_session.stop();
    }

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

    void follow(const SessionResult &result) {
        if (m_ended)
            return;
        using C = SessionResult::Code;
        switch (result.code) {
        case C::Sent:
            m_step = result.step;
            // A query the session gives up on itself; an answer to a setting
            // (the factory default's repeats included) it would wait for forever.
            m_watchdog.stop();
            m_watchdogArmed = result.setting || result.step == &commands::FactoryDefault;
            return;
        case C::Answered:
            m_watchdog.stop();
            m_watchdogArmed = false;
            if (result.value && result.parameter())
                valueRead(*result.parameter(), *result.value);
            if (result.step == m_step && result.setting && stage() == Stage::Settings)
                confirmed();
            return;
        case C::Refused:
            m_watchdog.stop();
            m_watchdogArmed = false;
            // One answer ends a read, right or wrong.
            if (result.step == m_step && ((result.setting && stage() == Stage::Settings) ||
                                          result.step == &commands::of(Parameter::Version)))
                fail(result.code);
            return;
        case C::ModuleChanged:
            return;
        case C::WrongAnswers:
        case C::NoAnswer:
        case C::SendFailed:
            fail(result.code, result.detail);
            return;
        case C::NotOpen:
        case C::InvalidValue:
        case C::NameTooLong:
        case C::FrameTooLong:
            fail(result.code);
            return;
        }
    }

    void valueRead(Parameter parameter, const ParameterValue &value) {
        // Its MAC read back as another is not this module's report.
        if (const QString *mac = std::get_if<QString>(&value);
            mac && parameter == Parameter::MAC &&
            mac->compare(QString::fromLatin1(m_session.moduleMac()), Qt::CaseInsensitive) != 0) {
            fail(
                SessionResult::Code::Refused,
                QCoreApplication::translate("ModuleBatch", "the module reported the MAC address %1")
                    .arg(*mac));
            return;
        }
        keep(outcome().values, parameter, value);
        const bool readEnds = (stage() == Stage::ReadAll || stage() == Stage::Default) &&
                              parameter == Parameter::Version;
        if (readEnds || (stage() == Stage::Uart && parameter == Parameter::Uart))
            advance();
    }

    void beginStage() {
        if (m_stage >= m_stages.size()) {
            m_ended = true;
            outcome().done = true;
            queue([this] { end(); });
            return;
        }
        const ModuleSetting *setting =
            stage() == Stage::Settings ? &job().settings[m_setting] : nullptr;
        switch (stage()) {
        case Stage::Default:
            m_step = &commands::FactoryDefault;
            break;
        case Stage::Settings:
            m_step = &commands::of(setting->parameter);
            break;
        case Stage::ReadAll:
            m_step = &commands::Handshake;
            break;
        case Stage::Uart:
            m_step = &commands::of(Parameter::Uart);
            break;
        }
        if (!m_batch.m_stoppedWith.isEmpty()) {
            fail(std::nullopt, m_batch.m_stoppedWith);
            return;
        }
        switch (stage()) {
        case Stage::Default:
            m_session.restoreFactoryDefaults();
            break;
        case Stage::Settings:
            m_session.set(setting->parameter, setting->value);
            break;
        case Stage::ReadAll:
            m_session.readAll();
            break;
        case Stage::Uart:
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
        m_afterSpacing = [this, more] {
            if (m_ended)
                return;
            if (more)
                beginStage();
            else
                nextStage();
        };
        m_spacing.start(SettingSpacingMs);
    }

    void fail(std::optional<SessionResult::Code> code, const QString &message = {}) {
        if (m_ended)
            return;
        m_ended = true;
        m_watchdog.stop();
        m_watchdogArmed = false;
        outcome().step = m_step;
        outcome().code = code;
        outcome().message = message;
        queue([this] { end(); });
    }

    void end() {
        m_session.stop();
        m_batch.m_router.removeSession(&m_session);
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
    // An answer is awaited; the watchdog starts once the frame has left.
    bool m_watchdogArmed = false;
    Timer m_watchdog;
    Timer m_spacing;
    std::function<void()> m_afterSpacing;
};

ModuleBatch::ModuleBatch(Transport &network, const AdapterSource &adapters, int rate,
                         QObject *parent, Clock &clock)
    : QObject(parent)
    , m_adapterSource(adapters)
    , m_rate(std::max(MinRate, rate))
    , m_clock(clock)
    , m_limited(network, m_rate, nullptr, clock)
    , m_router(m_limited)
    , m_search(m_router, m_store)
    , m_searchWait(clock, [this] { endSearch(); })
    , m_searchQuiet(clock, [this] {
        if (m_search.framesWaiting() == 0)
            endSearch();
    }) {
    connect(&m_limited, &Transport::failed, this,
            [this](const Transport::Failure &failure) { m_transportFailure = failure.text; });
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
    m_search.onFramesLeft = [this] {
        if (m_searchDone)
            m_searchWait.start(m_searchWaitMs);
    };
}

ModuleBatch::~ModuleBatch() {
    m_router.clearSessions();
    m_conversations.clear();
    m_limited.close();
}

void ModuleBatch::search(const QString &adapter, int waitMs,
                         std::function<void(SearchResult)> done) {
    m_found = {};
    const QList<NetworkAdapter> all = m_adapterSource.adapters();
    const QList<NetworkAdapter> searched = ModuleSearch::adaptersToSearch(all, adapter);
    if (searched.isEmpty()) {
        m_found.failure = SearchResult::Failure::NoAdapter;
        done(m_found);
        return;
    }
    m_transportFailure.clear();
    m_searchDone = std::move(done);
    m_searchWaitMs = waitMs;
    if (!m_search.start(all, searched)) {
        m_found.failure = SearchResult::Failure::NotOpen;
        m_found.systemText = m_transportFailure;
        std::exchange(m_searchDone, {})(m_found);
    }
}

void ModuleBatch::endSearch() {
    m_searchWait.stop();
    m_searchQuiet.stop();
    m_search.endListing();
    m_found.framesQueued = m_search.framesWaiting();
    if (auto done = std::exchange(m_searchDone, {}))
        done(m_found);
}

void ModuleBatch::run(QList<Job> jobs, std::function<void(QList<Outcome>)> done) {
    m_router.clearSessions();
    m_conversations.clear();
    m_jobs = std::move(jobs);
    m_outcomes = QList<Outcome>(m_jobs.size());
    m_running = 0;
    m_ended = 0;
    m_runDone = std::move(done);
    if (!m_abortedWith.isEmpty() || !m_stoppedWith.isEmpty()) {
        for (Outcome &outcome : m_outcomes)
            outcome.message = m_abortedWith.isEmpty() ? m_stoppedWith : m_abortedWith;
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
    while (m_stoppedWith.isEmpty() && m_running < m_inFlight &&
           m_conversations.size() < size_t(m_jobs.size())) {
        const qsizetype job = qsizetype(m_conversations.size());
        Conversation &conversation =
            *m_conversations.emplace_back(std::make_unique<Conversation>(*this, job));
        ++m_running;
        m_router.addSession(&conversation.session());
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
    m_router.clearSessions();
    endRun();
}

void ModuleBatch::stopStarting(const QString &message) {
    if (!m_stoppedWith.isEmpty())
        return;
    m_stoppedWith = message;
    if (m_searchDone) {
        endSearch();
        return;
    }
    if (!m_runDone)
        return;
    // A conversation between two steps learns of it when it would begin the next.
    for (qsizetype job = qsizetype(m_conversations.size()); job < m_jobs.size(); ++job) {
        m_outcomes[job].message = message;
        ++m_ended;
    }
    if (m_ended == m_jobs.size())
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
