#pragma once

#include "simfaults.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QTimer>

#include <array>
#include <memory>

class QSocketNotifier;

// Everything that makes one simulated module: its wired address, its factory
// parameters (what "AT+DEFAULT" restores) and how it misbehaves.
struct SimModuleSetup {
    QByteArray address;                      // dotted IPv4 text the module answers from
    QMap<QByteArray, QByteArray> parameters; // keyed by AT name: "MODEL", "IP", "NAME" (GBK) ...
    SimFaults faults;
    bool echo = false; // working mode: send unknown text back
};

namespace simparams {

// The AT names in the order a module reports them.
const QList<QByteArray> &names();
// Factory parameters of a module wired to address with the given MAC text.
QMap<QByteArray, QByteArray> factory(const QByteArray &address, const QByteArray &mac);
// A stable, locally administered, lower-case MAC text derived from the address.
QByteArray macFor(const QByteArray &address);
// The AT name for a user-facing key ("mode" -> "MODEL", "dhcp" -> "DCHP",
// "version" -> "VER", "ip" -> "IP" ...); empty for an unknown key.
QByteArray atName(QByteArrayView key);
// A user-typed value as the module stores it (device names become GBK).
QByteArray storedValue(const QByteArray &name, const QString &text);
// Whether a setting would be accepted (the version cannot be set).
bool acceptable(const QByteArray &name, const QByteArray &value);

} // namespace simparams

// One simulated module. The configuration side is pure (frame in, payloads
// out); the working side owns its sockets and talks through them itself.
class SimModule : public QObject {
    Q_OBJECT

public:
    SimModule(SimModuleSetup setup, int tickMs, int gapMs, QObject *parent = nullptr);
    ~SimModule() override;

    const QByteArray &address() const { return m_setup.address; }
    QByteArray mac() const { return m_parameters.value("MAC"); }
    const QMap<QByteArray, QByteArray> &parameters() const { return m_parameters; }
    SimFaults &faults() { return m_setup.faults; }
    const SimFaults &faults() const { return m_setup.faults; }
    void setEcho(bool on) { m_setup.echo = on; }

    // Payloads for one command addressed to this module (or the search),
    // before any fault is applied. Empty when the command deserves no answer.
    QList<QByteArray> answerConfig(const QByteArray &command);
    // Changes a parameter directly (control channel); false if not acceptable.
    bool setParameter(const QByteArray &name, const QByteArray &value);
    void setFactoryParameter(const QByteArray &name, const QByteArray &value);
    void restoreFactory();

    bool relay(int n) const { return m_relays.at(n - 1).on; }
    bool input(int n) const { return m_inputs.at(n - 1); }
    // n = 0 means all of them. time = 0: no timer.
    void setRelay(int n, bool on, quint32 time);
    void setInput(int n, bool on);

    // Working-mode replies to one line (without its line end).
    QList<QByteArray> answerWork(QByteArrayView line);

    // (Re)opens the working endpoint for the current mode and ports; failures
    // are reported through problem(). Until then, and after stopWork(), a
    // changed mode or port opens nothing, so the configuration side can be
    // driven without sockets.
    void startWork();
    void stopWork();

signals:
    void problem(const QString &text);

private:
    struct Relay {
        bool on = false;
        quint32 remaining = 0; // time units until it switches back; 0 = none
    };
    struct Connection {
        int fd = -1;
        bool stream = true;
        QByteArray pending;
        std::unique_ptr<QSocketNotifier> readable;
    };

    QByteArray relayLine(int n) const;
    void tick();
    int bindWorkSocket(int type);
    void openServer();
    void openUdp();
    void connectClient();
    void adopt(int fd, bool stream, bool connecting);
    void closeConnection(int fd);
    void readConnection(int fd);
    void sendReplies(int fd, QList<QByteArray> replies, const QByteArray &peer);
    bool sendTo(int fd, const QByteArray &data, const QByteArray &peer);
    bool workParametersChanged(const QByteArray &name) const;

    SimModuleSetup m_setup;
    QMap<QByteArray, QByteArray> m_parameters;
    std::array<Relay, 15> m_relays{};
    std::array<bool, 12> m_inputs{};
    QTimer m_tickTimer;
    QTimer m_reconnectTimer;
    int m_gapMs;
    bool m_working = false;

    int m_listenFd = -1;
    std::unique_ptr<QSocketNotifier> m_listenNotifier;
    std::unique_ptr<QSocketNotifier> m_connectNotifier;
    QHash<int, std::shared_ptr<Connection>> m_connections;
};
