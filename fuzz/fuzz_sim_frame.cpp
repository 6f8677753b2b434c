// The simulator's side of the protocol: configuration datagrams in, the
// datagrams its modules would send out, and working-mode lines in, relay
// and input reports out. Every answer is checked against what the command
// asked for and read back with the tool's own reply parsers.
//
// An input is a series of datagrams parted by 0xFF. Datagram i goes to the
// broadcast address (i % 4 == 0) or to module i % 4 (counted from 1); each
// is also read as working-mode lines by the first two modules.
#include "fuzzsupport.h"

#include "atframe.h"
#include "relaycodec.h"
#include "simulator.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <cstdlib>
#include <sched.h>

namespace {

const QByteArray Error = QByteArrayLiteral("ERROR\r\n");
const QByteArray Ok = QByteArrayLiteral("OK\r\n");

SimModuleSetup setup(const QByteArray &address, const QByteArray &mac, const char *faults,
                     bool echo) {
    SimModuleSetup module;
    module.address = address;
    module.parameters = simparams::factory(address, mac);
    module.faults.apply(faults, nullptr);
    module.echo = echo;
    return module;
}

// A plain module, one padding its values that also echoes text, one sharing
// the first one's MAC, and one that never answers.
const SimSettings &settings() {
    static const SimSettings settings = [] {
        SimSettings s;
        const QByteArray first = simparams::macFor("127.0.0.1");
        s.modules = {setup("127.0.0.1", first, "", false),
                     setup("127.0.0.2", simparams::macFor("127.0.0.2"), "long", true),
                     setup("127.0.0.3", first, "", false),
                     setup("127.0.0.4", simparams::macFor("127.0.0.4"), "silent", false)};
        return s;
    }();
    return settings;
}

quint32 addressOf(const QByteArray &text) {
    in_addr ip{};
    inet_pton(AF_INET, text.constData(), &ip);
    return ip.s_addr;
}

bool digits(QByteArrayView text) {
    if (text.isEmpty() || text.size() > 4)
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// The frame parser takes a datagram apart so that building it again gives
// the same bytes, line end aside.
void checkFrame(QByteArrayView datagram, const atframe::Frame &frame) {
    if (!frame.valid) {
        FUZZ_CHECK(frame.targetMac.isEmpty() && frame.senderMac.isEmpty() &&
                   frame.command.isEmpty());
        return;
    }
    const QByteArray rebuilt = atframe::build(frame.targetMac, frame.senderMac, frame.command);
    FUZZ_CHECK(rebuilt == (datagram.endsWith("\r\n") ? datagram.toByteArray()
                                                     : datagram.toByteArray() + "\r\n"));
    FUZZ_CHECK(!frame.targetMac.contains(">,<") && !frame.senderMac.contains(">,"));

    using Kind = atframe::Command::Kind;
    const atframe::Command command = atframe::parseCommand(frame.command);
    FUZZ_CHECK((command.kind == Kind::Handshake) == (frame.command == "AT"));
    FUZZ_CHECK((command.kind == Kind::FactoryDefault) == (frame.command == "AT+DEFAULT"));
    if (command.kind == Kind::Query || command.kind == Kind::Set) {
        FUZZ_CHECK(!command.name.isEmpty());
        for (const char c : command.name)
            FUZZ_CHECK(c >= 'A' && c <= 'Z');
        const QByteArray value = command.kind == Kind::Query ? "?" : command.value;
        FUZZ_CHECK(frame.command == "AT+" + command.name + "=" + value);
        FUZZ_CHECK(command.kind == Kind::Query || command.value != "?");
    } else {
        FUZZ_CHECK(command.name.isEmpty() && command.value.isEmpty());
    }
}

// What a module must answer to a command, given its parameters before and
// after, and whether the parameters changed only as the command asked.
QByteArray expectedAnswer(const atframe::Command &command, const SimModuleSetup &factory,
                          const QMap<QByteArray, QByteArray> &before,
                          const QMap<QByteArray, QByteArray> &after) {
    using Kind = atframe::Command::Kind;
    switch (command.kind) {
    case Kind::Handshake:
        FUZZ_CHECK(after == before);
        return Ok;
    case Kind::FactoryDefault:
        FUZZ_CHECK(after == factory.parameters);
        return Ok;
    case Kind::Query: {
        FUZZ_CHECK(after == before);
        if (!before.contains(command.name))
            return Error;
        const QByteArray padding(factory.faults.longValues ? 64 : 0, 'X');
        return "+" + command.name + "=" + before.value(command.name) + padding + "\r\n";
    }
    case Kind::Set: {
        if (!simparams::acceptable(command.name, command.value)) {
            FUZZ_CHECK(after == before);
            return Error;
        }
        QMap<QByteArray, QByteArray> changed = before;
        changed.insert(command.name, command.value);
        FUZZ_CHECK(after == changed);
        return Ok;
    }
    case Kind::Unknown:
        break;
    }
    FUZZ_CHECK(after == before);
    return Error;
}

void checkConfiguration(Simulator &simulator, QByteArrayView datagram, quint32 destination) {
    const SimSettings &setups = settings();
    const qsizetype count = simulator.moduleCount();
    QList<QByteArray> macs;
    QList<QMap<QByteArray, QByteArray>> before;
    bool unicast = false;
    for (qsizetype i = 0; i < count; ++i) {
        macs.append(simulator.module(i).mac());
        before.append(simulator.module(i).parameters());
        unicast = unicast || addressOf(simulator.module(i).address()) == destination;
    }

    const QList<Simulator::Outgoing> outgoing =
        simulator.answer(datagram.toByteArray(), destination);

    const atframe::Frame frame = atframe::parseFrame(datagram);
    checkFrame(datagram, frame);
    const bool search = frame.targetMac == atframe::SearchMAC;
    const bool answered = frame.valid && (!search || frame.command == "AT");
    const atframe::Command command =
        search ? atframe::parseCommand("AT") : atframe::parseCommand(frame.command);
    qsizetype sent = 0;
    for (qsizetype i = 0; i < count; ++i) {
        SimModule &module = simulator.module(i);
        const bool reached = answered && (!unicast || addressOf(module.address()) == destination) &&
                             (search || frame.targetMac.compare(macs[i], Qt::CaseInsensitive) == 0);
        if (!reached) {
            FUZZ_CHECK(module.parameters() == before[i]);
            continue;
        }
        const QByteArray answer =
            expectedAnswer(command, setups.modules[i], before[i], module.parameters());
        if (module.faults().silent)
            continue;
        // One reply per module reached, in module order, signed with the MAC
        // the frame reached, and read back by the tool as it was meant.
        FUZZ_CHECK(sent < outgoing.size());
        const Simulator::Outgoing &out = outgoing[sent++];
        FUZZ_CHECK(out.module == &module);
        FUZZ_CHECK(out.datagram == atframe::buildReply(macs[i], answer));
        const atframe::Reply reply = atframe::parseReply(out.datagram);
        FUZZ_CHECK(reply.hasMac && reply.mac == macs[i]);
        const qsizetype zero = answer.indexOf('\0');
        FUZZ_CHECK(reply.payload == (zero < 0 ? answer : answer.first(zero)));
    }
    FUZZ_CHECK(sent == outgoing.size());
}

// The request parser against the command texts the console builds.
void checkRequest(QByteArrayView line, const relaycodec::Request &request) {
    using Kind = relaycodec::Request::Kind;
    if (request.kind == Kind::None)
        return;
    const QByteArrayView prefix = request.kind == Kind::InputQuery ? "AT+OCCH" : "AT+STACH";
    FUZZ_CHECK(line.startsWith(prefix));
    const qsizetype equals = line.indexOf('=');
    const QByteArrayView number = line.sliced(prefix.size(), equals - prefix.size());
    FUZZ_CHECK(digits(number) && number.toInt() == request.number);
    const QByteArrayView argument = line.sliced(equals + 1);
    if (request.kind != Kind::RelaySet) {
        FUZZ_CHECK(argument == "?");
        return;
    }
    FUZZ_CHECK(argument != "?" && !request.state.contains(','));
    FUZZ_CHECK(argument == (request.hasTime ? request.state + "," + request.time : request.state));
}

void checkWork(SimModule &module, bool echo, QByteArrayView line) {
    using Kind = relaycodec::Request::Kind;
    const relaycodec::Request request = relaycodec::parseRequest(line);
    checkRequest(line, request);
    const QList<QByteArray> replies = module.answerWork(line);
    if (request.kind == Kind::None) {
        FUZZ_CHECK(replies ==
                   (echo ? QList<QByteArray>{line.toByteArray() + "\r\n"} : QList<QByteArray>{}));
        return;
    }
    const bool input = request.kind == Kind::InputQuery;
    const int count = input ? relaycodec::InputCount : relaycodec::RelayCount;
    const bool switched =
        request.kind == Kind::RelaySet && (request.state == "0" || request.state == "1");
    if (request.number > count ||
        (request.kind == Kind::RelaySet && !switched && !request.state.isEmpty())) {
        FUZZ_CHECK(replies == QList<QByteArray>{Error});
        return;
    }
    // One report per relay or input asked for, each read by the console as
    // that relay's or input's lamp in its current state.
    const int first = request.number == 0 ? 1 : request.number;
    const int last = request.number == 0 ? count : request.number;
    FUZZ_CHECK(replies.size() == last - first + 1);
    for (int n = first; n <= last; ++n) {
        const relaycodec::Reading reading = relaycodec::parse(replies[n - first]);
        FUZZ_CHECK(reading.kind ==
                   (input ? relaycodec::Reading::Kind::Input : relaycodec::Reading::Kind::Relay));
        FUZZ_CHECK(reading.number == n);
        FUZZ_CHECK(reading.on == (input ? module.input(n) : module.relay(n)));
        if (switched)
            FUZZ_CHECK(reading.on == (request.state == "1"));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    // Answering opens no socket; should a change ever make it, the socket
    // lands in an empty network of this process's own.
    if (::unshare(CLONE_NEWNET) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) {
        std::perror("fuzz_sim_frame: cannot enter a private network namespace");
        std::abort();
    }
    // Relay timers need an event dispatcher (they never fire here).
    static auto *application = new QCoreApplication(*argc, *argv);
    Q_UNUSED(application);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Simulator simulator(settings());
    for (int n = 1; n <= relaycodec::InputCount; n += 2)
        simulator.module(0).setInput(n, true);
    const QList<QByteArrayView> datagrams = fuzz::pieces(data, size);
    for (qsizetype i = 0; i < datagrams.size(); ++i) {
        const qsizetype target = i % 4;
        const quint32 destination = target == 0 ? htonl(INADDR_BROADCAST)
                                                : addressOf(simulator.module(target - 1).address());
        checkConfiguration(simulator, datagrams[i], destination);
        for (QByteArrayView line : datagrams[i].toByteArray().split('\n')) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (line.isEmpty())
                continue;
            checkWork(simulator.module(0), false, line);
            checkWork(simulator.module(1), true, line);
        }
    }
    return 0;
}
