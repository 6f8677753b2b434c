#pragma once

#include "bridgeconfig.h"
#include "relaylink.h"

#include <QHash>
#include <QObject>
#include <QTimer>

#include <array>
#include <memory>
#include <optional>

namespace bridge {

// One module in its working mode: a lasting connection, its relays and
// inputs queried in turn (never more than one query outstanding), commands
// sent at once, and whether it answers.
class ModulePoller : public QObject {
    Q_OBJECT

public:
    ModulePoller(ModuleEntry module, std::unique_ptr<Transport> transport, int pollMs,
                 int queryTimeoutMs, QObject *parent = nullptr);

    const ModuleEntry &module() const { return m_module; }
    void start();
    void stop();
    // The module is reached elsewhere now, through transport: the connection
    // is made anew there; what is known of its relays and inputs stays.
    void moveTo(ModuleEntry module, std::unique_ptr<Transport> transport);

    // relay 1 to 15; seconds 0 for no timer. False when the module cannot be
    // reached now; nothing is sent then.
    bool switchRelay(int relay, bool on, int seconds);
    std::optional<bool> relay(int n) const { return m_relays.at(size_t(n)); }
    std::optional<bool> input(int n) const { return m_inputs.at(size_t(n)); }
    bool isOnline() const { return m_online; }

    // Polls in a row without any answer before the module counts as gone.
    static constexpr int MissedPollsOffline = 3;

Q_SIGNALS:
    // A state that differs from the one known before (or none was). Nothing
    // is said of the many that stay as they were.
    void relayChanged(int n, bool on);
    void inputChanged(int n, bool on);
    // The answer to a command sent by switchRelay(); changed: relayChanged()
    // came just before.
    void commandAnswered(int relay, bool on, bool changed);
    void commandRefused();
    // No answer to a command within the query time-out.
    void commandUnanswered(int relay);
    void onlineChanged(bool online);
    // The connection was lost or could not be made; why, in the system's
    // words when it said.
    void connectionProblem(const QString &text);

private:
    enum class Query { None, Relays, Inputs };

    void attach(std::unique_ptr<Transport> transport);
    void tick();
    void beginCycle();
    void ask(Query query);
    void queryTimedOut();
    void read(const relaycodec::Reading &reading);
    void endCycle(bool answered);
    void linkClosed();

    ModuleEntry m_module;
    std::unique_ptr<RelayLink> m_link;
    int m_pollMs;
    int m_queryTimeoutMs;
    QTimer m_tick;
    QTimer m_queryTimer;
    Query m_query = Query::None;
    // Bit n: relay or input n answered the query under way.
    quint32 m_answered = 0;
    bool m_cycleAnswered = false;
    bool m_connecting = false;
    int m_missed = 0;
    bool m_online = false;
    // Relays switched and not answered yet, each with the command's number.
    QHash<int, quint64> m_commanded;
    quint64 m_commands = 0;
    std::array<std::optional<bool>, 16> m_relays;
    std::array<std::optional<bool>, 13> m_inputs;
};

} // namespace bridge
