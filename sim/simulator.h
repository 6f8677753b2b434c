#pragma once

#include "simmodule.h"

#include <QObject>

#include <memory>
#include <vector>

class QSocketNotifier;

struct SimSettings {
    quint16 configPort = 5000;
    bool broadcast = false; // reply by broadcast unless a module says otherwise
    int tickMs = 1000;      // one unit of a relay time
    int gapMs = 20;         // between the replies to an "all relays/inputs" query
    bool quitOnEof = false;
    bool control = true; // read control commands from standard input
    QList<SimModuleSetup> modules;
};

// The configuration side shared by all modules: one UDP socket on the
// configuration port receives the broadcasts, and each reply leaves from its
// own module's address (IP_PKTINFO), so the tool sees every module at its IP
// however many there are.
class Simulator : public QObject {
    Q_OBJECT

public:
    explicit Simulator(SimSettings settings, QObject *parent = nullptr);
    ~Simulator() override;

    // Binds the configuration socket and starts every working endpoint.
    bool start(QString *error);
    // One control command; returns the lines to print.
    QStringList control(const QByteArray &line);
    qsizetype moduleCount() const { return qsizetype(m_modules.size()); }
    SimModule &module(qsizetype i) { return *m_modules.at(size_t(i)); }

    // One datagram a module sends in answer, as it leaves (its faults applied;
    // where it goes, when and how often is up to the sender).
    struct Outgoing {
        SimModule *module;
        QByteArray datagram;
    };
    // What one configuration datagram, sent to destinationIp (network byte
    // order), makes the modules answer. Sends nothing, so it runs without
    // start().
    QList<Outgoing> answer(const QByteArray &datagram, quint32 destinationIp);

signals:
    void quitRequested();

private:
    void readConfig();
    void handleDatagram(const QByteArray &datagram, quint32 senderIp, quint16 senderPort,
                        quint32 destinationIp);
    void reply(SimModule &module, const QByteArray &datagram, quint32 senderIp, quint16 senderPort);
    void transmit(const QByteArray &moduleAddress, const QByteArray &datagram, quint32 ip,
                  quint16 port);
    void readControl();
    QList<SimModule *> selectModules(const QByteArray &which, QString *error);

    SimSettings m_settings;
    std::vector<std::unique_ptr<SimModule>> m_modules;
    int m_configFd = -1;
    std::unique_ptr<QSocketNotifier> m_configNotifier;
    std::unique_ptr<QSocketNotifier> m_controlNotifier;
    QByteArray m_controlPending;
};
