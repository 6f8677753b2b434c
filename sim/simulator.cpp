#include "simulator.h"

#include "atframe.h"
#include "gbk.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

quint32 addressOf(const QByteArray &text) {
    in_addr ip{};
    inet_pton(AF_INET, text.constData(), &ip);
    return ip.s_addr;
}

bool onOff(const QByteArray &word, bool *on) {
    if (word != "on" && word != "off" && word != "1" && word != "0")
        return false;
    *on = word == "on" || word == "1";
    return true;
}

// A message header for one datagram with room for ancillary data.
msghdr messageFor(sockaddr_in *peer, iovec *io, void *control, size_t controlSize) {
    msghdr message{};
    message.msg_name = peer;
    message.msg_namelen = sizeof *peer;
    message.msg_iov = io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = controlSize;
    return message;
}

QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

Simulator::Simulator(SimSettings settings, QObject *parent)
    : QObject(parent)
    , m_settings(std::move(settings)) {
    for (const SimModuleSetup &setup : std::as_const(m_settings.modules)) {
        auto module = std::make_unique<SimModule>(setup, m_settings.tickMs, m_settings.gapMs);
        connect(module.get(), &SimModule::problem, this, [](const QString &text) {
            std::fprintf(stderr, "ostrel-sim: %s\n", qPrintable(text));
        });
        m_modules.push_back(std::move(module));
    }
}

Simulator::~Simulator() {
    m_configNotifier.reset();
    if (m_configFd >= 0)
        ::close(m_configFd);
}

bool Simulator::start(QString *error) {
    // Every module address must belong to this host (or namespace), or its
    // replies could not leave from it.
    for (const auto &module : m_modules) {
        const int probe = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = addressOf(module->address());
        const bool ok = ::bind(probe, reinterpret_cast<sockaddr *>(&local), sizeof local) == 0;
        ::close(probe);
        if (!ok) {
            *error = QCoreApplication::translate("ostrel-sim",
                                                 "address %1 is not an address of this host: %2")
                         .arg(QLatin1String(module->address()), errnoText());
            return false;
        }
    }

    m_configFd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(m_configFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    ::setsockopt(m_configFd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    ::setsockopt(m_configFd, IPPROTO_IP, IP_PKTINFO, &one, sizeof one);
    // Bound to every address: a socket bound to one unicast address would
    // not receive the tool's broadcasts.
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_port = htons(m_settings.configPort);
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(m_configFd, reinterpret_cast<sockaddr *>(&any), sizeof any) != 0) {
        *error = QCoreApplication::translate("ostrel-sim", "cannot bind UDP port %1: %2")
                     .arg(m_settings.configPort)
                     .arg(errnoText());
        return false;
    }
    m_configNotifier = std::make_unique<QSocketNotifier>(m_configFd, QSocketNotifier::Read);
    connect(m_configNotifier.get(), &QSocketNotifier::activated, this, &Simulator::readConfig);

    for (const auto &module : m_modules)
        module->startWork();

    if (m_settings.control) {
        m_controlNotifier = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        connect(m_controlNotifier.get(), &QSocketNotifier::activated, this,
                &Simulator::readControl);
    }
    return true;
}

void Simulator::readConfig() {
    // Drain what is queued, but give the event loop back now and then.
    for (int round = 0; round < 64; ++round) {
        char buffer[2048];
        char control[256];
        sockaddr_in from{};
        iovec io{buffer, sizeof buffer};
        msghdr message = messageFor(&from, &io, control, sizeof control);
        const ssize_t n = ::recvmsg(m_configFd, &message, 0);
        if (n < 0)
            return;
        quint32 destination = 0;
        for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                in_pktinfo info;
                std::memcpy(&info, CMSG_DATA(c), sizeof info);
                destination = info.ipi_addr.s_addr;
            }
        }
        // Oversized datagrams arrive truncated; no module command is that long.
        if (message.msg_flags & MSG_TRUNC)
            continue;
        handleDatagram(QByteArray(buffer, n), from.sin_addr.s_addr, ntohs(from.sin_port),
                       destination);
    }
}

QList<Simulator::Outgoing> Simulator::answer(const QByteArray &datagram, quint32 destinationIp) {
    QList<Outgoing> outgoing;
    const atframe::Frame frame = atframe::parseFrame(datagram);
    if (!frame.valid)
        return outgoing;
    const bool search = frame.targetMac == atframe::SearchMAC;
    if (search && frame.command != "AT")
        return outgoing;
    // A datagram sent to one module's own address reaches only that module,
    // as it would on a real network; broadcasts reach them all.
    bool unicast = false;
    for (const auto &module : m_modules)
        unicast = unicast || addressOf(module->address()) == destinationIp;
    for (const auto &module : m_modules) {
        if (unicast && addressOf(module->address()) != destinationIp)
            continue;
        if (!search && frame.targetMac.compare(module->mac(), Qt::CaseInsensitive) != 0)
            continue;
        // Signed with the MAC the frame reached, even when it changes that MAC.
        const QByteArray mac = module->mac();
        const QList<QByteArray> payloads = module->answerConfig(frame.command);
        const SimFaults &faults = module->faults();
        if (faults.silent)
            continue;
        for (const QByteArray &payload : payloads) {
            outgoing.append({module.get(), faults.distort(atframe::buildReply(
                                               mac, faults.wrong ? "ERROR\r\n" : payload))});
        }
    }
    return outgoing;
}

void Simulator::handleDatagram(const QByteArray &datagram, quint32 senderIp, quint16 senderPort,
                               quint32 destinationIp) {
    const QList<Outgoing> outgoing = answer(datagram, destinationIp);
    for (const Outgoing &item : outgoing)
        reply(*item.module, item.datagram, senderIp, senderPort);
}

void Simulator::reply(SimModule &module, const QByteArray &datagram, quint32 senderIp,
                      quint16 senderPort) {
    const SimFaults &faults = module.faults();
    const bool broadcast = faults.route == SimFaults::Route::Broadcast ||
                           (faults.route == SimFaults::Route::Default && m_settings.broadcast);
    const quint32 ip = broadcast ? htonl(INADDR_BROADCAST) : senderIp;
    const quint16 port = broadcast ? m_settings.configPort : senderPort;
    const int copies = faults.twice ? 2 : 1;
    for (int i = 0; i < copies; ++i) {
        if (faults.delayMs > 0) {
            QTimer::singleShot(faults.delayMs, this,
                               [this, address = module.address(), datagram, ip, port] {
                                   transmit(address, datagram, ip, port);
                               });
        } else {
            transmit(module.address(), datagram, ip, port);
        }
    }
}

void Simulator::transmit(const QByteArray &moduleAddress, const QByteArray &datagram, quint32 ip,
                         quint16 port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = ip;
    to.sin_port = htons(port);
    iovec io{const_cast<char *>(datagram.constData()), size_t(datagram.size())};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message = messageFor(&to, &io, control, sizeof control);
    cmsghdr *c = CMSG_FIRSTHDR(&message);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_spec_dst.s_addr = addressOf(moduleAddress);
    std::memcpy(CMSG_DATA(c), &info, sizeof info);
    if (::sendmsg(m_configFd, &message, 0) < 0) {
        std::fprintf(stderr, "ostrel-sim: module %s cannot send: %s\n", moduleAddress.constData(),
                     std::strerror(errno));
    }
}

// Control channel -----------------------------------------------------------

void Simulator::readControl() {
    char buffer[1024];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        m_controlNotifier.reset();
        if (m_settings.quitOnEof)
            emit quitRequested();
        return;
    }
    m_controlPending.append(buffer, n);
    qsizetype end;
    while ((end = m_controlPending.indexOf('\n')) >= 0) {
        const QByteArray line = m_controlPending.left(end);
        m_controlPending.remove(0, end + 1);
        const QStringList output = control(line);
        for (const QString &text : output)
            std::fprintf(stdout, "%s\n", text.toUtf8().constData());
        std::fflush(stdout);
    }
    if (m_controlPending.size() > 4096)
        m_controlPending.clear();
}

QList<SimModule *> Simulator::selectModules(const QByteArray &which, QString *error) {
    QList<SimModule *> selected;
    if (which == "all") {
        for (const auto &module : m_modules)
            selected.append(module.get());
        return selected;
    }
    bool ok = false;
    const qsizetype index = which.toLongLong(&ok);
    if (!ok || index < 1 || index > moduleCount()) {
        *error = QCoreApplication::translate("ostrel-sim", "no module '%1' (1 to %2 or all)")
                     .arg(QString::fromUtf8(which))
                     .arg(moduleCount());
        return {};
    }
    selected.append(m_modules.at(size_t(index - 1)).get());
    return selected;
}

QStringList Simulator::control(const QByteArray &line) {
    const QList<QByteArray> words = line.simplified().split(' ');
    const QByteArray verb = words.value(0);
    if (verb.isEmpty())
        return {};
    if (verb == "quit") {
        emit quitRequested();
        return {QStringLiteral("ok")};
    }
    if (verb == "list") {
        QStringList lines;
        for (qsizetype i = 0; i < moduleCount(); ++i) {
            lines.append(
                QStringLiteral("module %1 %2 %3")
                    .arg(i + 1)
                    .arg(QLatin1String(module(i).address()), QLatin1String(module(i).mac())));
        }
        lines.append(QStringLiteral("ok"));
        return lines;
    }
    QString error;
    const QList<SimModule *> modules = selectModules(words.value(1), &error);
    if (modules.isEmpty())
        return {QStringLiteral("error ") + error};

    if (verb == "input" || verb == "relay") {
        const bool isInput = verb == "input";
        bool ok = false;
        const int n = words.value(2).toInt(&ok);
        bool on = false;
        const int count = isInput ? 12 : 15;
        if (!ok || n < 0 || n > count || !onOff(words.value(3), &on))
            return {QStringLiteral("error usage: %1 <module|all> <0-%2> on|off%3")
                        .arg(QLatin1String(verb))
                        .arg(count)
                        .arg(isInput ? QString() : QStringLiteral(" [time]"))};
        for (SimModule *target : modules) {
            if (isInput)
                target->setInput(n, on);
            else
                target->setRelay(n, on, words.value(4).toUInt());
        }
        return {QStringLiteral("ok")};
    }
    if (verb == "fault") {
        SimFaults probe;
        const QByteArray faults = words.mid(2).join(',');
        if (!probe.apply(faults, &error))
            return {QStringLiteral("error ") + error};
        for (SimModule *target : modules)
            target->faults().apply(faults, nullptr);
        return {QStringLiteral("ok")};
    }
    if (verb == "default") {
        for (SimModule *target : modules)
            target->restoreFactory();
        return {QStringLiteral("ok")};
    }
    if (verb == "echo") {
        bool on = false;
        if (!onOff(words.value(2), &on))
            return {QStringLiteral("error usage: echo <module|all> on|off")};
        for (SimModule *target : modules)
            target->setEcho(on);
        return {QStringLiteral("ok")};
    }
    if (verb == "set" || verb == "factory") {
        const QByteArray name = simparams::atName(words.value(2));
        // The value is the rest of the line, so a device name may hold spaces.
        const qsizetype skip =
            words.value(0).size() + words.value(1).size() + words.value(2).size() + 3;
        const QByteArray text = line.simplified().mid(skip);
        if (name.isEmpty())
            return {QStringLiteral("error unknown parameter '%1'")
                        .arg(QString::fromUtf8(words.value(2)))};
        const QByteArray value = simparams::storedValue(name, QString::fromUtf8(text));
        for (SimModule *target : modules) {
            if (verb == "factory")
                target->setFactoryParameter(name, value);
            else if (!target->setParameter(name, value))
                return {QStringLiteral("error value not accepted")};
        }
        return {QStringLiteral("ok")};
    }
    if (verb == "state" || verb == "params") {
        QStringList lines;
        for (SimModule *target : modules) {
            if (verb == "state") {
                QByteArray relays;
                QByteArray inputs;
                for (int i = 1; i <= 15; ++i)
                    relays.append(target->relay(i) ? '1' : '0');
                for (int i = 1; i <= 12; ++i)
                    inputs.append(target->input(i) ? '1' : '0');
                lines.append(QStringLiteral("state %1 relays %2 inputs %3")
                                 .arg(QLatin1String(target->address()), QLatin1String(relays),
                                      QLatin1String(inputs)));
                continue;
            }
            const auto &parameters = target->parameters();
            for (auto it = parameters.cbegin(); it != parameters.cend(); ++it) {
                lines.append(QStringLiteral("param %1 %2 %3")
                                 .arg(QLatin1String(target->address()), QLatin1String(it.key()),
                                      it.key() == "NAME" ? gbk::decode(it.value())
                                                         : QString::fromLatin1(it.value())));
            }
        }
        lines.append(QStringLiteral("ok"));
        return lines;
    }
    return {QStringLiteral("error unknown command '%1' (try --help)").arg(QString::fromUtf8(verb))};
}
