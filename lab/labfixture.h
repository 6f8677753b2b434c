#pragma once

#include "commandtable.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// A plain UDP socket for a test's own frames: sends to any address and
// collects datagrams with their sender address.
class UdpProbe {
public:
    struct Datagram {
        QByteArray senderIp;
        quint16 senderPort = 0;
        QByteArray data;
    };

    // Binds to address:port (e.g. "0.0.0.0", 5000 to hear broadcasts too).
    explicit UdpProbe(const QByteArray &address = "127.0.0.1", quint16 port = 0);
    ~UdpProbe();
    UdpProbe(const UdpProbe &) = delete;
    UdpProbe &operator=(const UdpProbe &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    quint16 port() const;
    bool send(const QByteArray &ip, quint16 port, const QByteArray &data);
    // Everything that arrives until nothing has come for quietMs; the first
    // datagram is awaited for firstMs (default: quietMs).
    QList<Datagram> collect(int quietMs = 200, int firstMs = -1);

private:
    int m_fd = -1;
};

// A blocking TCP connection for a test: to a module's working port, or the
// accepted connection of a module in client mode.
class TcpLine {
public:
    explicit TcpLine(int fd = -1)
        : m_fd(fd) {}
    ~TcpLine();
    TcpLine(const TcpLine &) = delete;
    TcpLine &operator=(const TcpLine &) = delete;

    // A connected descriptor, or -1.
    static int connectTo(const QByteArray &ip, quint16 port);
    bool isOpen() const { return m_fd >= 0; }
    bool send(const QByteArray &data);
    // Reads until nothing has come for quietMs, waiting up to firstMs for
    // the first bytes.
    QByteArray collect(int quietMs = 40, int firstMs = 1000);

private:
    int m_fd;
};

// A running ostrel-sim driven through its control channel (standard input).
class SimProcess {
public:
    struct Module {
        QByteArray ip;
        QByteArray mac;
    };

    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // Starts the simulator with the given options (prefixed by the command in
    // wrapper, e.g. "ip netns exec NS") and waits until it is ready.
    bool start(const QStringList &arguments, QString *error,
               const QStringList &wrapper = QStringList());
    void stop();

    const QList<Module> &modules() const { return m_modules; }
    // Sends one control command and waits for its "ok"; the lines printed
    // before it land in output. Returns false on "error ..." or time-out.
    bool control(const QByteArray &command, QStringList *output = nullptr);
    bool setInput(int module, int input, bool on);
    bool setRelay(int module, int relay, bool on, int time = 0);
    bool fault(int module, const QByteArray &faults); // module 0 = all
    // Relay and input states as "0"/"1" texts (15 and 12 characters).
    bool state(int module, QByteArray *relays, QByteArray *inputs);
    // The module's parameters as it holds them, each read the way the tool
    // reads the module's report of it.
    bool parameters(int module, QHash<Parameter, ParameterValue> *values);

    static QString executable();

private:
    bool readLine(QByteArray *line, int timeoutMs);

    QProcess m_process;
    QList<Module> m_modules;
};

// A private LAN for one test: a computer namespace and a field namespace
// joined by a veth pair, ostrel-sim with N modules on the field side. After
// setUp() the calling thread lives in the computer namespace, so the test's
// own sockets (and the tool code it drives) talk to the simulated modules.
// Everything is torn down in the destructor, also when the test fails.
//
// The computer may have more adapters, as most have: a decoy container
// bridge that the system lists before the LAN, and further LANs, each with a
// field namespace and simulator of its own. LAN 0 is the one behind eth0;
// LAN n is behind eth<n>.
class LabFixture {
public:
    struct Lan {
        int modules = 1;
        QByteArray computerIp;
        QByteArray firstModuleIp;
        QStringList simArguments; // extra ostrel-sim options, e.g. "--broadcast"
    };
    struct Options {
        int modules = 3;
        QByteArray computerIp = "192.168.1.10";
        QByteArray firstModuleIp = "192.168.1.199";
        QStringList simArguments; // extra ostrel-sim options, e.g. "--broadcast"
        // docker0, 172.17.0.1/16 with nothing behind it, made before eth0.
        bool decoy = false;
        // LANs 1, 2 ... behind eth1, eth2 ...
        QList<Lan> moreLans;
        // A second adapter of the computer on LAN 0 as well, eth1 with this
        // address (a laptop's wired and wireless on one switch); the field
        // side then joins both cables in a bridge. Not with moreLans.
        QByteArray secondAdapterIp;
        // An address eth0 holds before computerIp (so it is the adapter's
        // first), in a /24 the modules cannot reach: computerIp is then an
        // address added to reach them.
        QByteArray firstAddressIp;
    };

    static constexpr char DecoyName[] = "docker0";
    static constexpr char DecoyIp[] = "172.17.0.1";

    LabFixture()
        : LabFixture(Options()) {}
    explicit LabFixture(Options options);
    ~LabFixture();
    LabFixture(const LabFixture &) = delete;
    LabFixture &operator=(const LabFixture &) = delete;

    // Empty when this process can build labs; otherwise why not (for QSKIP).
    static QString unavailableReason();

    bool setUp(QString *error);
    void tearDown();

    int lanCount() const { return int(m_lans.size()); }
    // The computer's adapter towards a LAN.
    static QString adapterName(int lan) { return QStringLiteral("eth%1").arg(lan); }
    const QByteArray &computerIp(int lan = 0) const { return m_lans.at(lan).lan.computerIp; }
    const QList<SimProcess::Module> &modules(int lan = 0) const {
        return m_lans.at(lan).sim->modules();
    }
    SimProcess &sim(int lan = 0) { return *m_lans.at(lan).sim; }
    const QString &computerNamespace() const { return m_pcNamespace; }
    const QString &fieldNamespace(int lan = 0) const { return m_lans.at(lan).fieldNamespace; }
    // A probe on a LAN's field side bound to address (added there unless a
    // module has it) and port, so that what it sends reaches the computer
    // exactly as a module's datagrams would. Bound to "0.0.0.0" and the
    // configuration port it hears every broadcast the modules hear. Null on
    // failure.
    std::unique_ptr<UdpProbe> fieldProbe(const QByteArray &address, int lan = 0, quint16 port = 0);

private:
    struct Field {
        Lan lan;
        QString fieldNamespace;
        std::unique_ptr<SimProcess> sim;
    };

    bool run(const QStringList &arguments, QString *error, const QByteArray &input = {});
    bool setUpLan(int index, QString *error);

    QString m_pcNamespace;
    bool m_decoy = false;
    QByteArray m_secondAdapterIp;
    QByteArray m_firstAddressIp;
    std::vector<Field> m_lans;
    int m_homeNamespaceFd = -1;
    bool m_created = false;
};

// Builds the lab or skips the test with the reason.
#define LAB_SETUP_OR_SKIP(lab)                                                                     \
    do {                                                                                           \
        if (const QString reason = LabFixture::unavailableReason(); !reason.isEmpty())             \
            QSKIP(qPrintable(reason));                                                             \
        QString labError;                                                                          \
        if (!(lab).setUp(&labError))                                                               \
            QFAIL(qPrintable(labError));                                                           \
    } while (false)
