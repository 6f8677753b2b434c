#pragma once

#include "labfixture.h"

#include <QProcess>
#include <QTemporaryDir>

// mosquitto on the computer side of a lab: one listener, nothing kept on
// disk, stopped and started again at will.
class LabBroker {
public:
    static constexpr quint16 Port = 1883;

    LabBroker() = default;
    ~LabBroker() { stop(); }
    LabBroker(const LabBroker &) = delete;
    LabBroker &operator=(const LabBroker &) = delete;

    // Empty when mosquitto is not installed.
    static QString executable();
    // Listens on address once this returns true; extra: further lines of its
    // configuration (say, certificates), kept for start().
    bool start(const QByteArray &address, const QByteArray &extra);
    // Again as before.
    bool start();
    void stop();
    // Started again with a second listener on port that speaks TLS only, its
    // certificate (for the listening address) signed by a CA of its own
    // made with openssl; the CA's certificate is in the file returned, empty
    // on failure.
    QString startWithTls(quint16 port);
    // A file in the broker's own folder, which goes with it.
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QByteArray m_address;
    QByteArray m_extra;
};

// Simulated modules with a broker beside them, for ostrel-bridge.
class BridgeLab {
public:
    explicit BridgeLab(const LabFixture::Options &options)
        : m_lab(options) {}

    static QString bridgeExecutable();
    // Why this process cannot have one (for QSKIP); empty when it can.
    static QString unavailableReason();
    bool setUp(QString *error);

    LabFixture &lab() { return m_lab; }
    SimProcess &sim() { return m_lab.sim(); }
    LabBroker &broker() { return m_broker; }
    // The broker's address.
    QString host() const { return QString::fromLatin1(m_lab.computerIp()); }
    // The modules' MACs as the topics write them.
    QStringList macs() const;
    // The bridge's command line for the broker and for the first count
    // modules (-1: every one), each reached at its address followed by at
    // (port and transport, as ":6000/client").
    QStringList bridgeArguments(int pollMs, const QString &events, int count = -1,
                                const QString &at = QStringLiteral(":12345")) const;

private:
    LabFixture m_lab;
    LabBroker m_broker;
};

// Builds the lab with its broker or skips the test with the reason.
#define BRIDGE_LAB_OR_SKIP(lab)                                                                    \
    do {                                                                                           \
        if (const QString reason = BridgeLab::unavailableReason(); !reason.isEmpty())              \
            QSKIP(qPrintable(reason));                                                             \
        QString labError;                                                                          \
        if (!(lab).setUp(&labError))                                                               \
            QFAIL(qPrintable(labError));                                                           \
    } while (false)
