#include "configprotocol.h"

#include "mainstate.h"
#include "mylib.h"
#include "transport.h"

#include <QThread>

using namespace Qt::StringLiterals;

namespace {

constexpr int TransportCloseWaitMs = 100;
// Overlong search replies are counted until none has come for this long.
constexpr int IgnoredReportQuietMs = 1000;

} // namespace

ConfigProtocol::ConfigProtocol(TMYCLASS &store, TMainState &state, Transport &transport,
                               ConfigView &view, const AdapterSource &adapters, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_state(state)
    , m_transport(transport)
    , m_view(view)
    , m_adapterSource(adapters)
    , m_pause([](int ms) { QThread::msleep(ulong(ms)); })
    , m_search(transport, store) {
    m_search.onAnswer = [this](const Peer &from, const QByteArray &) { m_state.lastPeer = from; };
    m_search.onDuplicate = [this](const QString &text) { warnDuplicate(text); };
    m_search.onListed = [this](const QString &line) { m_view.appendModuleLine(line); };
    m_search.onIgnored = [this] {
        ++m_ignoredReplies;
        m_ignoredReport.start();
    };
    m_ignoredReport.setSingleShot(true);
    m_ignoredReport.setInterval(IgnoredReportQuietMs);
    connect(&m_ignoredReport, &QTimer::timeout, this, &ConfigProtocol::reportIgnoredReplies);
    m_noAnswerReport.setSingleShot(true);
    m_noAnswerReport.setInterval(NoAnswerQuietMs);
    connect(&m_noAnswerReport, &QTimer::timeout, this, &ConfigProtocol::reportNoAnswer);
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
                ? u"没有可用的网络适配器（IPv4），请检查网络连接！"_s
                : u"网络适配器%1没有可用的IPv4地址，请检查网络连接！"_s.arg(m_searchAdapter));
        return;
    }

    // A search ends whatever runs: nothing more is sent for it, and its late
    // answers are not taken for modules found.
    m_selected = nullptr;
    m_search.clearSessions();
    m_sessions.clear();
    reportIgnoredReplies(); // they belong to the search before
    m_noAnswerReport.stop();

    if (m_transport.isOpen()) {
        m_transport.close();
        m_pause(TransportCloseWaitMs);
    }
    const bool searching = m_search.start(adapters, searched);
    m_state.holder = SocketHolder::Configuration;
    m_view.enableConfiguration(true);
    m_view.clearModuleList();
    m_state.lastPeer = {};
    m_view.appendMemoLine(u"现在切换到设置模式"_s);
    if (!searching)
        return;
    QStringList names;
    for (const NetworkAdapter &adapter : searched)
        names << adapter.name + u' ' + adapter.addressText();
    addInfoLine(u"搜索: "_s + names.join(u", "_s));
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

void ConfigProtocol::receive(const Peer &from, QByteArrayView datagram) {
    ++m_listingDepth;
    m_search.receive(from, datagram);
    if (--m_listingDepth == 0)
        m_clashesReported.clear();
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
        addInfoLine(u"已忽略%1个搜索应答：MAC地址超过%2个字节"_s.arg(m_ignoredReplies)
                        .arg(ModuleSearch::MaxMacTextBytes));
    }
    m_ignoredReplies = 0;
}

void ConfigProtocol::reportNoAnswer() {
    if (m_search.isListing() && m_store.ModuleCount == 0)
        addInfoLine(u"没有模块应答搜索"_s);
}

// ---------------------------------------------------------------------------
// The picked module

void ConfigProtocol::selectModule(int index) {
    if (index < 0 || index >= m_store.ModuleCount)
        return;
    m_store.SelectedIndex = index;
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
        session = std::make_unique<ModuleSession>(m_transport, m_view, m_store.ModuleMAC[index],
                                                  m_search.listedThrough(index), this);
        session->setModuleAddress(m_store.ModuleIP[index]);
        m_search.addSession(session.get());
        if (m_delay)
            session->setDelay(m_delay);
        // The module's entry and its list line take the new address.
        connect(session.get(), &ModuleSession::moduleMacChanged, this,
                [this, index](const QByteArray &mac) {
                    m_store.ModuleMAC[index] = mac;
                    m_view.replaceModuleLine(index,
                                             TMYCLASS::ModuleLine(m_store.ModuleIP[index], mac));
                });
    }
    return *session;
}

ModuleSession *ConfigProtocol::requireSelection() {
    if (!m_selected)
        m_view.notify(SessionView::Notice::InputError, u"请选择IP！"_s);
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
    if (const QString refusal = ModuleSession::nameRefusal(parameter, value); !refusal.isEmpty())
        m_view.notify(SessionView::Notice::InputError, refusal);
    else if (ModuleSession *session = requireSelection())
        session->set(parameter, value);
}

void ConfigProtocol::restoreFactoryDefaults() {
    if (ModuleSession *session = requireSelection())
        session->restoreFactoryDefaults();
}

void ConfigProtocol::writeAll() {
    if (ModuleSession *session = requireSelection())
        session->writeAll();
}
