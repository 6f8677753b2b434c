#include "configprotocol.h"

#include "atframe.h"
#include "moduletable.h"
#include "transport.h"

#include "transportrouter.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace {

constexpr int TransportCloseWaitMs = 100;
// Overlong search replies are counted until none has come for this long.
constexpr int IgnoredReportQuietMs = 1000;

} // namespace

ConfigProtocol::ConfigProtocol(TransportRouter &router, ConfigView &view,
                               const AdapterSource &adapters, QObject *parent, Clock &clock)
    : QObject(parent)
    , m_router(router)
    , m_transport(router.transport())
    , m_view(view)
    , m_adapterSource(adapters)
    , m_clock(clock)
    , m_reopen(clock,
               [this] {
                   if (auto then = std::exchange(m_afterReopen, {}))
                       then();
               })
    , m_search(router, m_store)
    , m_ignoredReport(clock, [this] { reportIgnoredReplies(); })
    , m_noAnswerReport(clock, [this] { reportNoAnswer(); }) {
    m_search.onAnswer = [this](const Peer &from, const QByteArray &) {
        m_router.setLastPeer(from);
    };
    m_search.onSettled = [this] { m_clashesReported.clear(); };
    m_search.onDuplicate = [this](const QString &text) { warnDuplicate(text); };
    m_search.onListed = [this](const QString &line) { m_view.appendModuleLine(line); };
    m_search.onIgnored = [this] {
        ++m_ignoredReplies;
        m_ignoredReport.start();
    };
    m_reopen.setSingleShot(true);
    m_ignoredReport.setSingleShot(true);
    m_ignoredReport.setInterval(IgnoredReportQuietMs);
    m_noAnswerReport.setSingleShot(true);
    m_noAnswerReport.setInterval(NoAnswerQuietMs);
    connect(&m_transport, &Transport::failed, this,
            [this](const Transport::Failure &failure) { m_transportFailure = failure.report; });
}

void ConfigProtocol::addInfoLine(const QString &text) {
    m_view.appendMemoLine(infoLine(QDateTime::currentDateTime(), text));
}

// ---------------------------------------------------------------------------
// Module search and list

void ConfigProtocol::searchModules() {
    const QList<NetworkAdapter> adapters = m_adapterSource.adapters();
    const QList<NetworkAdapter> searched =
        ModuleSearch::adaptersToSearch(adapters, m_searchAdapter);
    if (searched.isEmpty()) {
        m_view.notify(
            SessionView::Notice::InputError,
            m_searchAdapter.isEmpty()
                ? QCoreApplication::translate("ConfigProtocol",
                                              "没有可用的网络适配器（IPv4），请检查网络连接！")
                : QCoreApplication::translate("ConfigProtocol",
                                              "网络适配器%1没有可用的IPv4地址，请检查网络连接！")
                      .arg(m_searchAdapter));
        return;
    }

    // A search ends whatever runs: nothing more is sent for it, and its late
    // answers are not taken for modules found.
    m_selected = nullptr;
    m_router.clearSessions();
    m_sessions.clear();
    reportIgnoredReplies(); // they belong to the search before
    m_noAnswerReport.stop();

    m_reopen.stop();
    if (m_transport.isOpen()) {
        m_transport.close();
        m_afterReopen = [this, adapters, searched] { startSearch(adapters, searched); };
        m_reopen.start(TransportCloseWaitMs);
        return;
    }
    startSearch(adapters, searched);
}

void ConfigProtocol::startSearch(const QList<NetworkAdapter> &adapters,
                                 const QList<NetworkAdapter> &searched) {
    m_transportFailure.clear();
    const bool searching = m_search.start(adapters, searched);
    m_router.setHolder(TransportRouter::Holder::Configuration);
    m_view.enableConfiguration(true);
    m_view.clearModuleList();
    m_router.setLastPeer({});
    m_view.appendMemoLine(QCoreApplication::translate("ConfigProtocol", "现在切换到设置模式"));
    if (!searching) {
        // Another program holds the port, as a rule: an empty list would
        // read as no module there.
        addInfoLine(
            QCoreApplication::translate("ConfigProtocol",
                                        "无法打开UDP端口%1，可能已被其他程序占用，没有发送搜索：%2")
                .arg(QString::number(atframe::ConfigPort), m_transportFailure));
        return;
    }
    QStringList names;
    for (const NetworkAdapter &adapter : searched)
        names << adapter.name + u' ' + adapter.addressText();
    addInfoLine(QCoreApplication::translate("ConfigProtocol", "搜索: %1").arg(names.join(u", "_s)));
    m_noAnswerReport.start();
}

std::optional<NetworkAdapter> ConfigProtocol::computerAdapter() const {
    const QList<NetworkAdapter> adapters = m_adapterSource.adapters();
    if (!m_searchAdapter.isEmpty()) {
        for (const NetworkAdapter &adapter : adapters) {
            if (adapter.name == m_searchAdapter || adapter.addressText() == m_searchAdapter)
                return adapter;
        }
        return std::nullopt;
    }
    if (m_selected) {
        if (const NetworkAdapter *adapter = adapterByIndex(adapters, m_selected->adapter().index))
            return *adapter;
    }
    if (adapters.isEmpty())
        return std::nullopt;
    return adapters.first();
}

// One warning box at a time: replies that arrive while it is open are still
// checked, and the clashes they bring are listed in the memo, each once.
// Once the box is closed, a clash already reported that way (or shown in the
// box) is not raised again for the same flood.
void ConfigProtocol::warnDuplicate(const QString &warning) {
    if (m_clashesReported.contains(warning))
        return;
    if (!m_openWarning.isEmpty()) {
        m_clashesReported.insert(m_openWarning);
        m_clashesReported.insert(warning);
        if (warning != m_openWarning)
            addInfoLine(warning);
        return;
    }
    m_openWarning = warning;
    m_view.notify(SessionView::Notice::ProtocolEvent, warning);
    m_openWarning.clear();
}

void ConfigProtocol::reportIgnoredReplies() {
    m_ignoredReport.stop();
    if (m_ignoredReplies > 0) {
        addInfoLine(
            QCoreApplication::translate("ConfigProtocol", "已忽略%1个搜索应答：MAC地址超过%2个字节")
                .arg(m_ignoredReplies)
                .arg(ModuleSearch::MaxMacTextBytes));
    }
    m_ignoredReplies = 0;
}

void ConfigProtocol::reportNoAnswer() {
    if (m_search.isListing() && m_store.ModuleCount == 0)
        addInfoLine(QCoreApplication::translate("ConfigProtocol", "没有模块应答搜索"));
}

// ---------------------------------------------------------------------------
// The picked module

void ConfigProtocol::selectModule(int index) {
    // Nothing is listed while a search waits to reopen the transport.
    if (index < 0 || index >= m_store.ModuleCount || m_reopen.isActive())
        return;
    m_search.endListing();
    ModuleSession &session = sessionOf(index);
    if (m_selected && m_selected != &session)
        m_selected->stop();
    m_selected = &session;
    session.readAll();
}

ModuleSession &ConfigProtocol::sessionOf(int index) {
    if (m_sessions.size() <= size_t(index))
        m_sessions.resize(size_t(index) + 1);
    std::unique_ptr<ModuleSession> &session = m_sessions[size_t(index)];
    if (!session) {
        session = std::make_unique<ModuleSession>(m_transport, m_store.ModuleMAC[index],
                                                  m_search.listedThrough(index), this, m_clock);
        session->setModuleAddress(m_store.ModuleIP[index]);
        connect(session.get(), &ModuleSession::result, this,
                [this](const SessionResult &result) { showResult(m_view, result); });
        m_router.addSession(session.get());
        // The module's entry and its list line take the new address.
        connect(session.get(), &ModuleSession::moduleMacChanged, this,
                [this, index](const QByteArray &mac) {
                    m_store.ModuleMAC[index] = mac;
                    m_view.replaceModuleLine(index,
                                             ModuleTable::lineOf(m_store.ModuleIP[index], mac));
                });
    }
    return *session;
}

ModuleSession *ConfigProtocol::requireSelection() {
    if (!m_selected)
        m_view.notify(SessionView::Notice::InputError,
                      QCoreApplication::translate("ConfigProtocol", "请选择IP！"));
    return m_selected;
}

void ConfigProtocol::readAll() {
    if (ModuleSession *session = requireSelection())
        session->readAll();
}

void ConfigProtocol::query(Parameter parameter) {
    if (ModuleSession *session = requireSelection())
        session->query(parameter);
}

void ConfigProtocol::set(Parameter parameter, const ParameterValue &value) {
    // The device name's limit is told even before a module is picked.
    if (ModuleSession::nameTooLong(parameter, value))
        showResult(
            m_view,
            {SessionResult::Code::NameTooLong, &commands::of(parameter), true, std::nullopt, {}});
    else if (ModuleSession *session = requireSelection())
        session->set(parameter, value);
}

void ConfigProtocol::restoreFactoryDefaults() {
    if (ModuleSession *session = requireSelection())
        session->restoreFactoryDefaults();
}

void ConfigProtocol::writeAll() {
    if (ModuleSession *session = requireSelection())
        session->writeAll([this](Parameter parameter) { return m_view.parameterValue(parameter); });
}
