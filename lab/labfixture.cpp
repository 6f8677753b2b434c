#include "labfixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int StartTimeoutMs = 5000;
constexpr int ControlTimeoutMs = 3000;

QString runError(const QStringList &arguments, QProcess &process) {
    return QStringLiteral("'%1' failed: %2")
        .arg(arguments.join(QLatin1Char(' ')),
             QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
}

// Namespaces of earlier runs that died before tearing down (their pid is gone).
void removeStaleNamespaces() {
    const QStringList names = QDir(QStringLiteral("/run/netns")).entryList(QDir::Files);
    for (const QString &name : names) {
        if (!name.startsWith(QLatin1String("ostrel-t")))
            continue;
        const QString pid = name.mid(8).section(QLatin1Char('-'), 0, 0);
        if (pid.isEmpty() || QFile::exists(QStringLiteral("/proc/") + pid))
            continue;
        QProcess::execute(QStringLiteral("ip"),
                          {QStringLiteral("netns"), QStringLiteral("del"), name});
    }
}

} // namespace

// UdpProbe ------------------------------------------------------------------

UdpProbe::UdpProbe(const QByteArray &address, quint16 port) {
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    ::setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (inet_pton(AF_INET, address.constData(), &local.sin_addr) != 1 ||
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

UdpProbe::~UdpProbe() {
    if (m_fd >= 0)
        ::close(m_fd);
}

quint16 UdpProbe::port() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&local), &length);
    return ntohs(local.sin_port);
}

bool UdpProbe::send(const QByteArray &ip, quint16 port, const QByteArray &data) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (inet_pton(AF_INET, ip.constData(), &to.sin_addr) != 1)
        return false;
    return ::sendto(m_fd, data.constData(), size_t(data.size()), 0,
                    reinterpret_cast<sockaddr *>(&to), sizeof to) == data.size();
}

QList<UdpProbe::Datagram> UdpProbe::collect(int quietMs, int firstMs) {
    QList<Datagram> received;
    pollfd waiting{m_fd, POLLIN, 0};
    while (::poll(&waiting, 1, received.isEmpty() && firstMs >= 0 ? firstMs : quietMs) > 0) {
        char buffer[2048];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n = ::recvfrom(m_fd, buffer, sizeof buffer, 0,
                                     reinterpret_cast<sockaddr *>(&from), &length);
        if (n < 0)
            break;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
        received.append({QByteArray(text), ntohs(from.sin_port), QByteArray(buffer, n)});
    }
    return received;
}

// TcpLine -------------------------------------------------------------------

TcpLine::~TcpLine() {
    if (m_fd >= 0)
        ::close(m_fd);
}

int TcpLine::connectTo(const QByteArray &ip, quint16 port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (inet_pton(AF_INET, ip.constData(), &to.sin_addr) != 1)
        return -1;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool TcpLine::send(const QByteArray &data) {
    return ::send(m_fd, data.constData(), size_t(data.size()), MSG_NOSIGNAL) == data.size();
}

QByteArray TcpLine::collect(int quietMs, int firstMs) {
    QByteArray received;
    pollfd waiting{m_fd, POLLIN, 0};
    while (::poll(&waiting, 1, received.isEmpty() ? firstMs : quietMs) > 0) {
        char buffer[2048];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        received.append(buffer, n);
    }
    return received;
}

// SimProcess ----------------------------------------------------------------

SimProcess::~SimProcess() {
    stop();
}

QString SimProcess::executable() {
    return QStringLiteral(OSTREL_SIM_PATH);
}

bool SimProcess::start(const QStringList &arguments, QString *error, const QStringList &wrapper) {
    QStringList command = wrapper;
    // The simulator goes away with the test: it quits when its standard input
    // closes, which happens even if the test process crashes.
    command << executable() << QStringLiteral("--quit-on-eof") << arguments;
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(command.takeFirst(), command);
    if (!m_process.waitForStarted(StartTimeoutMs)) {
        *error = QStringLiteral("cannot start ostrel-sim: ") + m_process.errorString();
        return false;
    }
    m_modules.clear();
    QByteArray line;
    while (readLine(&line, StartTimeoutMs)) {
        if (line == "ready")
            return true;
        const QList<QByteArray> words = line.split(' ');
        if (words.size() == 4 && words[0] == "module")
            m_modules.append({words[2], words[3]});
    }
    *error = QStringLiteral("ostrel-sim did not become ready: ") +
             QString::fromLocal8Bit(m_process.readAllStandardError()).trimmed();
    stop();
    return false;
}

void SimProcess::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.write("quit\n");
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(2000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

bool SimProcess::readLine(QByteArray *line, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine()) {
        if (m_process.state() == QProcess::NotRunning || deadline.hasExpired())
            return false;
        m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    *line = m_process.readLine().trimmed();
    return true;
}

bool SimProcess::control(const QByteArray &command, QStringList *output) {
    m_process.write(command + '\n');
    QByteArray line;
    while (readLine(&line, ControlTimeoutMs)) {
        if (line == "ok")
            return true;
        if (line.startsWith("error")) {
            if (output)
                output->append(QString::fromUtf8(line));
            return false;
        }
        if (output)
            output->append(QString::fromUtf8(line));
    }
    return false;
}

bool SimProcess::setInput(int module, int input, bool on) {
    return control("input " + QByteArray::number(module) + ' ' + QByteArray::number(input) +
                   (on ? " on" : " off"));
}

bool SimProcess::setRelay(int module, int relay, bool on, int time) {
    return control("relay " + QByteArray::number(module) + ' ' + QByteArray::number(relay) +
                   (on ? " on " : " off ") + QByteArray::number(time));
}

bool SimProcess::fault(int module, const QByteArray &faults) {
    return control("fault " + (module == 0 ? QByteArray("all") : QByteArray::number(module)) + ' ' +
                   faults);
}

bool SimProcess::state(int module, QByteArray *relays, QByteArray *inputs) {
    QStringList output;
    if (!control("state " + QByteArray::number(module), &output) || output.size() != 1)
        return false;
    // "state <ip> relays <bits> inputs <bits>"
    const QStringList words = output.first().split(QLatin1Char(' '));
    if (words.size() != 6)
        return false;
    *relays = words[3].toLatin1();
    *inputs = words[5].toLatin1();
    return true;
}

bool SimProcess::parameters(int module, QHash<Parameter, ParameterValue> *values) {
    QStringList output;
    if (!control("params " + QByteArray::number(module), &output))
        return false;
    values->clear();
    for (const QString &line : std::as_const(output)) {
        // "param <ip> <NAME> <value>"; a device name may hold spaces.
        const QString name = line.section(QLatin1Char(' '), 2, 2);
        const QString value = line.section(QLatin1Char(' '), 3);
        for (int i = 0; i <= int(Parameter::Version); ++i) {
            const Command &command = commands::of(Parameter(i));
            if (QLatin1String(command.query) != QStringLiteral("AT+%1=?").arg(name))
                continue;
            const QStringList uart = value.split(QLatin1Char(','));
            const auto digit = [](const QString &text) {
                return text.isEmpty() ? -1 : text.at(0).unicode() - u'0';
            };
            if (command.kind == ValueKind::ItemDigit)
                values->insert(Parameter(i), digit(value));
            else if (command.kind == ValueKind::Uart && uart.size() == 4)
                values->insert(Parameter(i), UartSettings{uart[0], QString::number(digit(uart[1])),
                                                          digit(uart[2]), digit(uart[3])});
            else
                values->insert(Parameter(i), value);
        }
    }
    return values->size() == int(Parameter::Version) + 1;
}

// LabFixture ----------------------------------------------------------------

LabFixture::LabFixture(Options options)
    : m_decoy(options.decoy)
    , m_secondAdapterIp(options.secondAdapterIp)
    , m_firstAddressIp(options.firstAddressIp) {
    static int serial = 0;
    const QString base = QStringLiteral("ostrel-t%1-%2").arg(::getpid()).arg(++serial);
    m_pcNamespace = base + QStringLiteral("-pc");
    QList<Lan> lans{
        {options.modules, options.computerIp, options.firstModuleIp, options.simArguments}};
    lans << options.moreLans;
    for (const Lan &lan : std::as_const(lans)) {
        const QString suffix = m_lans.empty() ? QString() : QString::number(m_lans.size() + 1);
        m_lans.push_back(
            {lan, base + QStringLiteral("-field") + suffix, std::make_unique<SimProcess>()});
    }
}

LabFixture::~LabFixture() {
    tearDown();
}

QString LabFixture::unavailableReason() {
    if (::geteuid() != 0)
        return QStringLiteral("the virtual lab needs root to create network namespaces");
    if (QProcess::execute(QStringLiteral("ip"),
                          {QStringLiteral("netns"), QStringLiteral("list")}) != 0)
        return QStringLiteral("the 'ip' tool (iproute2) cannot list network namespaces");
    if (!QFile::exists(SimProcess::executable()))
        return QStringLiteral("ostrel-sim is not built");
    return {};
}

bool LabFixture::run(const QStringList &arguments, QString *error, const QByteArray &input) {
    QProcess process;
    process.start(QStringLiteral("ip"), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return true;
    *error = runError(arguments, process);
    return false;
}

bool LabFixture::setUp(QString *error) {
    removeStaleNamespaces();
    using L = QLatin1String;
    const QString pc = m_pcNamespace;
    if (!run({L("netns"), L("add"), pc}, error))
        return false;
    m_created = true;
    if (!run({L("-n"), pc, L("link"), L("set"), L("lo"), L("up")}, error))
        return false;
    // Made first, the decoy is listed first, as a container bridge often is.
    const QString decoy = QLatin1String(DecoyName);
    if (m_decoy &&
        (!run({L("-n"), pc, L("link"), L("add"), decoy, L("type"), L("bridge")}, error) ||
         !run({L("-n"), pc, L("addr"), L("add"), L(DecoyIp) + L("/16"), L("dev"), decoy}, error) ||
         !run({L("-n"), pc, L("link"), L("set"), decoy, L("up")}, error)))
        return false;
    for (int lan = 0; lan < int(m_lans.size()); ++lan) {
        if (!setUpLan(lan, error))
            return false;
    }

    // Enter the computer side: only this thread moves, and it comes back in
    // tearDown().
    m_homeNamespaceFd = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const QByteArray path = "/run/netns/" + pc.toLatin1();
    const int target = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    const bool entered =
        m_homeNamespaceFd >= 0 && target >= 0 && ::setns(target, CLONE_NEWNET) == 0;
    if (target >= 0)
        ::close(target);
    if (!entered) {
        *error = QStringLiteral("cannot enter namespace ") + pc;
        return false;
    }
    return true;
}

bool LabFixture::setUpLan(int index, QString *error) {
    const Field &field = m_lans.at(size_t(index));
    const Lan &lan = field.lan;
    const QString pc = m_pcNamespace;
    const QString far = field.fieldNamespace;
    in_addr first{};
    if (inet_pton(AF_INET, lan.firstModuleIp.constData(), &first) != 1) {
        *error = QStringLiteral("bad first module address");
        return false;
    }
    const quint32 firstHost = ntohl(first.s_addr);
    const quint32 lastHost = firstHost + quint32(lan.modules) - 1;
    // A /16 when the modules do not fit behind the first address's /24.
    const QString prefix = (firstHost >> 8) == (lastHost >> 8) && (lastHost & 255) != 255
                               ? QStringLiteral("/24")
                               : QStringLiteral("/16");
    const QString adapter = adapterName(index);
    using L = QLatin1String;
    const bool second = index == 0 && !m_secondAdapterIp.isEmpty();
    // With two cables into LAN 0 its field side joins them in a bridge,
    // which then holds the modules' addresses.
    const QString eth = second ? QStringLiteral("br0") : QStringLiteral("eth0");
    if (!run({L("netns"), L("add"), far}, error) ||
        !run({L("link"), L("add"), adapter, L("netns"), pc, L("type"), L("veth"), L("peer"),
              L("name"), L("eth0"), L("netns"), far},
             error) ||
        !run({L("-n"), far, L("link"), L("set"), L("lo"), L("up")}, error) ||
        !run({L("-n"), far, L("link"), L("set"), L("eth0"), L("up")}, error) ||
        !run({L("-n"), pc, L("link"), L("set"), adapter, L("up")}, error))
        return false;
    if (second && (!run({L("link"), L("add"), adapterName(1), L("netns"), pc, L("type"), L("veth"),
                         L("peer"), L("name"), L("eth1"), L("netns"), far},
                        error) ||
                   !run({L("-n"), far, L("link"), L("add"), eth, L("type"), L("bridge")}, error) ||
                   !run({L("-n"), far, L("link"), L("set"), L("eth0"), L("master"), eth}, error) ||
                   !run({L("-n"), far, L("link"), L("set"), L("eth1"), L("master"), eth}, error) ||
                   !run({L("-n"), far, L("link"), L("set"), L("eth1"), L("up")}, error) ||
                   !run({L("-n"), far, L("link"), L("set"), eth, L("up")}, error) ||
                   !run({L("-n"), pc, L("link"), L("set"), adapterName(1), L("up")}, error) ||
                   !run({L("-n"), pc, L("addr"), L("add"),
                         QLatin1String(m_secondAdapterIp) + prefix, L("dev"), adapterName(1)},
                        error)))
        return false;
    // The first address is the one the system lists first; the modules have
    // no route to its subnet.
    if (index == 0 && !m_firstAddressIp.isEmpty() &&
        (!run({L("-n"), pc, L("addr"), L("add"), QLatin1String(m_firstAddressIp) + L("/24"),
               L("dev"), adapter},
              error) ||
         !run({L("-n"), far, L("route"), L("add"), L("unreachable"),
               QLatin1String(m_firstAddressIp) + L("/32")},
              error)))
        return false;
    if (!run({L("-n"), pc, L("addr"), L("add"), QLatin1String(lan.computerIp) + prefix, L("dev"),
              adapter},
             error))
        return false;
    // One "ip" run for all module addresses keeps a lab of hundreds quick.
    QByteArray batch;
    for (quint32 host = firstHost; host <= lastHost; ++host) {
        in_addr address{htonl(host)};
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &address, text, sizeof text);
        batch +=
            "addr add " + QByteArray(text) + prefix.toLatin1() + " dev " + eth.toLatin1() + '\n';
    }
    if (!run({L("-n"), far, L("-batch"), L("-")}, error, batch))
        return false;
    // Lets a socket bound to the wildcard address reach 255.255.255.255; on
    // the computer side the first LAN has the default route.
    if (!run({L("-n"), far, L("route"), L("add"), L("default"), L("dev"), eth}, error) ||
        (index == 0 &&
         !run({L("-n"), pc, L("route"), L("add"), L("default"), L("dev"), adapter}, error)))
        return false;

    QStringList arguments{QStringLiteral("--modules"),  QString::number(lan.modules),
                          QStringLiteral("--first-ip"), QLatin1String(lan.firstModuleIp),
                          QStringLiteral("--dip"),      QLatin1String(lan.computerIp)};
    arguments << lan.simArguments;
    return field.sim->start(
        arguments, error,
        {QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("exec"), far});
}

std::unique_ptr<UdpProbe> LabFixture::fieldProbe(const QByteArray &address, int lan, quint16 port) {
    bool known = address == "0.0.0.0";
    for (const SimProcess::Module &module : modules(lan))
        known = known || module.ip == address;
    QString error;
    if (!known && !run({QStringLiteral("-n"), fieldNamespace(lan), QStringLiteral("addr"),
                        QStringLiteral("add"), QLatin1String(address + "/32"),
                        QStringLiteral("dev"), QStringLiteral("eth0")},
                       &error))
        return nullptr;
    // Only this thread visits the field side, and only to open the socket: a
    // socket stays in the namespace it was opened in.
    const int home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const QByteArray path = "/run/netns/" + fieldNamespace(lan).toLatin1();
    const int field = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    std::unique_ptr<UdpProbe> probe;
    if (home >= 0 && field >= 0 && ::setns(field, CLONE_NEWNET) == 0) {
        probe = std::make_unique<UdpProbe>(address, port);
        if (::setns(home, CLONE_NEWNET) != 0)
            qFatal("cannot return from the field namespace");
    }
    for (const int fd : {home, field}) {
        if (fd >= 0)
            ::close(fd);
    }
    if (probe && !probe->isOpen())
        probe.reset();
    return probe;
}

void LabFixture::tearDown() {
    for (Field &field : m_lans)
        field.sim->stop();
    if (m_homeNamespaceFd >= 0) {
        ::setns(m_homeNamespaceFd, CLONE_NEWNET);
        ::close(m_homeNamespaceFd);
        m_homeNamespaceFd = -1;
    }
    if (!m_created)
        return;
    m_created = false;
    QString ignored;
    // Deleting a namespace also removes its end of the veth pair.
    run({QStringLiteral("netns"), QStringLiteral("del"), m_pcNamespace}, &ignored);
    for (const Field &field : m_lans)
        run({QStringLiteral("netns"), QStringLiteral("del"), field.fieldNamespace}, &ignored);
}
