#pragma once

#include "clock.h"
#include "configview.h"
#include "modulesearch.h"
#include "modulesession.h"
#include "moduletable.h"
#include "networkadapter.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QSet>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Transport;
class TransportRouter;
struct Peer;

// The configuration side as the window drives it: the module search through
// every adapter (or the one the user chose) and the module list with its
// duplicate checks, the choice of one module, and the operations on the
// chosen module, which its session carries out through the adapter the
// module answered on. One module at a time, as the window shows one.
class ConfigProtocol : public QObject {
    Q_OBJECT

public:
    // A search that none answers says so once nothing has come for this long.
    static constexpr int NoAnswerQuietMs = 2000;

    // The adapters are asked afresh at every search; the source must outlive
    // the controller.
    ConfigProtocol(TransportRouter &router, ConfigView &view, const AdapterSource &adapters,
                   QObject *parent = nullptr, Clock &clock = Clock::system());

    // The modules of the last search, as the list shows them.
    ModuleTable &modules() { return m_store; }

    const AdapterSource &adapterSource() const { return m_adapterSource; }
    // The name of the only adapter searched through; empty: every adapter.
    const QString &searchAdapter() const { return m_searchAdapter; }
    void setSearchAdapter(const QString &name) { m_searchAdapter = name; }
    // The adapter that stands for the computer: the one chosen for the
    // search, else the one the picked module answered on, else the first the
    // system lists; none when there is no such adapter now.
    std::optional<NetworkAdapter> computerAdapter() const;

    // Ends every conversation, opens the transport for the configuration
    // port on every adapter and asks every module to answer, out of each
    // adapter searched; a transport that was open is closed first, and
    // reopened 100 ms later, once the system has let go of its address.
    // Without an adapter to search through the user is told so, and nothing
    // changes.
    void searchModules();
    // Picks a module of the list and reads all its parameters.
    void selectModule(int index);

    // On the picked module; without one, the user is told to pick one.
    void readAll();
    void query(Parameter parameter);
    void set(Parameter parameter, const ParameterValue &value);
    void restoreFactoryDefaults();
    void writeAll();

    // The conversation with the picked module; none before a module is picked.
    ModuleSession *selectedSession() const { return m_selected; }

private:
    void startSearch(const QList<NetworkAdapter> &adapters, const QList<NetworkAdapter> &searched);
    ModuleSession *requireSelection();
    ModuleSession &sessionOf(int index);
    void warnDuplicate(const QString &warning);
    void reportIgnoredReplies();
    void reportNoAnswer();
    void addInfoLine(const QString &text);

    ModuleTable m_store;
    TransportRouter &m_router;
    Transport &m_transport;
    ConfigView &m_view;
    const AdapterSource &m_adapterSource;
    QString m_searchAdapter;
    Clock &m_clock;
    // The search that waits for the closed transport's address to be let go.
    Timer m_reopen;
    std::function<void()> m_afterReopen;

    // From a search until a module is picked, replies are modules found.
    ModuleSearch m_search;
    // One per module picked since the search, by list row.
    std::vector<std::unique_ptr<ModuleSession>> m_sessions;
    ModuleSession *m_selected = nullptr;

    // Search replies not listed for an overlong MAC text; the memo gets their
    // number once they stop coming.
    int m_ignoredReplies = 0;
    // The system's report of the last failure on the transport.
    QString m_transportFailure;
    Timer m_ignoredReport;
    Timer m_noAnswerReport;

    // Duplicate warnings: the text of the box open now, and the clashes
    // reported while a box was open (cleared when the reply that opened it
    // is done: a box lets replies in).
    QString m_openWarning;
    QSet<QString> m_clashesReported;
};
