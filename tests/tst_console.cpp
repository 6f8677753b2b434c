// The test console without a window or a network: a recording view and a
// recording transport; the console's timers are fired by hand.
#include "clock.h"
#include "console.h"
#include "consoleview.h"
#include "faketransport.h"
#include "gbk.h"
#include "transportrouter.h"

#include <QRandomGenerator>
#include <QTest>

#include <cstring>
#include <functional>
#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// In the order of ConsoleState.
QString nameOf(ConsoleState state) {
    static const char *const names[] = {"Opening",        "Listening",  "Connected",
                                        "Connecting",     "ClientOpen", "UdpOpen",
                                        "ListenTimedOut", "Dropped",    "Closed"};
    return QString::fromLatin1(names[int(state)]);
}

QString describe(const Transport::Endpoints &e) {
    static const char *const kinds[] = {"datagram", "server", "client"};
    return u"%1 %2:%3 -> %4:%5"_s.arg(QLatin1String(kinds[int(e.kind)]), e.localHost)
        .arg(e.localPort)
        .arg(e.remoteHost)
        .arg(e.remotePort);
}

QString describe(const FakeTransport::Sent &sent) {
    using Route = FakeTransport::Sent::Route;
    const QString bytes = QString::fromLatin1(sent.bytes);
    switch (sent.route) {
    case Route::Datagram: // the console sends to hosts as typed
    case Route::Host:
        return u"datagram %1:%2 %3"_s.arg(sent.host).arg(sent.to.port).arg(bytes);
    case Route::Stream:
        return u"stream "_s + bytes;
    case Route::Connection:
        return u"connection %1 %2"_s.arg(sent.connection).arg(bytes);
    }
    return {};
}

quint32 ipOf(int a, int b, int c, int d) {
    return quint32(a) | quint32(b) << 8 | quint32(c) << 16 | quint32(d) << 24;
}

const Peer ClientA{ipOf(192, 168, 1, 199), 1001};
const Peer ClientB{ipOf(192, 168, 1, 200), 2002};

// Remembers what the window would show; warning() can run a nested action,
// as a modal box lets arrivals and timers through.
class FakeView : public ConsoleView {
public:
    std::optional<ConsoleMode> mode() const override { return picked; }
    QString localAddress() const override { return localHost; }
    QString localPort() const override { return localPortText; }
    QString remoteAddress() const override { return remoteHost; }
    QString remotePort() const override { return remotePortText; }
    int selectedRelay() const override { return relay; }
    int selectedClient() const override { return client; }

    void showMode(ConsoleMode shown) override { modes.append(shown); }
    void showState(ConsoleState state, ConsoleMode) override { states.append(nameOf(state)); }
    void showClients(const QList<Peer> &shown) override { clients = shown; }
    void showRelay(int number, LampState state) override {
        QVERIFY(number >= 1 && number <= 15);
        relays[size_t(number - 1)] = state;
    }
    void showInput(int number, LampState state) override {
        QVERIFY(number >= 1 && number <= 12);
        inputs[size_t(number - 1)] = state;
    }
    void showRelayTime(quint64 shown) override { time = shown; }
    void showConfigurationAvailable(bool available) override { configuration = available; }

    void appendTranscript(const QString &text) override { transcript += text; }
    void clearTranscript() override { transcript.clear(); }
    void scrollTranscriptToBottom() override { ++scrolls; }
    bool transcriptEmpty() const override { return transcript.isEmpty(); }
    bool transcriptLastLineEmpty() const override {
        return transcript.isEmpty() || transcript.endsWith(u'\n');
    }

    void warning(const QString &text) override {
        warnings.append(text);
        if (auto nested = std::exchange(duringWarning, nullptr))
            nested();
    }

    std::optional<ConsoleMode> picked = ConsoleMode::TcpServer;
    QString localHost = u"127.0.0.1"_s;
    QString localPortText = u"6000"_s;
    QString remoteHost = u"192.168.1.199"_s;
    QString remotePortText = u"12345"_s;
    int relay = 1;
    int client = 0;

    QList<ConsoleMode> modes;
    QStringList states;
    QList<Peer> clients;
    std::array<LampState, 15> relays{};
    std::array<LampState, 12> inputs{};
    quint64 time = 100000;
    bool configuration = true;
    QString transcript;
    int scrolls = 0;
    QStringList warnings;
    std::function<void()> duringWarning;
};

// One console with everything it is built from.
struct Rig {
    Rig() { console.setMode(ConsoleMode::TcpServer); }
    void open(ConsoleMode mode) {
        view.picked = mode;
        console.setMode(mode);
        console.toggle();
    }
    // What a module search does to the transport and the holder.
    void searchTakesTheTransport() {
        transport.close();
        transport.open({Transport::Kind::Datagram, {}, 5000, {}, 0});
        router.setHolder(TransportRouter::Holder::Configuration);
    }
    // Time runs on to the end of what the console waits for.
    void fire() { QVERIFY(clock.advanceToNext()); }
    // Milliseconds until the console's next wait ends; -1: it waits for nothing.
    qint64 waiting() const { return clock.nextEndMs(); }
    QStringList sent() const {
        QStringList texts;
        for (const FakeTransport::Sent &s : transport.sent)
            texts.append(describe(s));
        return texts;
    }
    QStringList sentBytes() const {
        QStringList texts;
        for (const FakeTransport::Sent &s : transport.sent)
            texts.append(QString::fromLatin1(s.bytes));
        return texts;
    }

    ManualClock clock;
    FakeTransport transport;
    TransportRouter router{transport};
    FakeView view;
    Console console{router, view, nullptr, clock};
};

} // namespace

Q_DECLARE_METATYPE(ConsoleMode)
Q_DECLARE_METATYPE(RelaySwitch)
Q_DECLARE_METATYPE(LampState)

class TstConsole : public QObject {
    Q_OBJECT

private slots:
    void openingByMode_data() {
        QTest::addColumn<ConsoleMode>("mode");
        QTest::addColumn<QString>("endpoints");
        QTest::addColumn<QStringList>("states");
        // How long the console then waits (for a client, for the
        // connection); -1: it waits for nothing.
        QTest::addColumn<int>("interval");
        QTest::newRow("TCP server") << ConsoleMode::TcpServer << u"server 127.0.0.1:6000 -> :0"_s
                                    << QStringList{u"Opening"_s, u"Listening"_s} << 5000;
        QTest::newRow("TCP client")
            << ConsoleMode::TcpClient << u"client :0 -> 192.168.1.199:12345"_s
            << QStringList{u"Opening"_s, u"Connecting"_s} << 1000;
        QTest::newRow("UDP") << ConsoleMode::Udp << u"datagram 127.0.0.1:6000 -> :0"_s
                             << QStringList{u"Opening"_s, u"UdpOpen"_s} << -1;
    }
    void openingByMode() {
        QFETCH(ConsoleMode, mode);
        QFETCH(QString, endpoints);
        QFETCH(QStringList, states);
        QFETCH(int, interval);
        Rig rig;
        rig.view.picked = mode;
        rig.console.setMode(mode);
        // Picking a mode shows it and opens nothing.
        QCOMPARE(rig.view.modes, (QList<ConsoleMode>{ConsoleMode::TcpServer, mode}));
        QVERIFY(rig.transport.opened.isEmpty());
        QCOMPARE(rig.router.holder(), TransportRouter::Holder::Configuration);

        rig.console.toggle();
        QCOMPARE(rig.transport.opened.size(), 1);
        QCOMPARE(describe(rig.transport.opened.first()), endpoints);
        QCOMPARE(rig.view.states, states);
        QCOMPARE(rig.router.holder(), TransportRouter::Holder::Console);
        QVERIFY(!rig.view.configuration);
        QVERIFY(rig.view.warnings.isEmpty());
        QCOMPARE(rig.waiting(), interval);
    }

    void openingRefusedOrFailed_data() {
        QTest::addColumn<ConsoleMode>("mode");
        QTest::addColumn<QString>("field"); // the setting typed wrongly, or "" to fail opening
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QStringList>("states");
        const QStringList refused{u"Opening"_s};
        const QStringList failed{u"Opening"_s, u"Closed"_s};
        // The opening that fails says why, closed, and waits for nobody.
        QTest::newRow("server, port taken")
            << ConsoleMode::TcpServer << QString() << QString() << u"address in use"_s << failed;
        QTest::newRow("UDP, port taken")
            << ConsoleMode::Udp << QString() << QString() << u"address in use"_s << failed;
        QTest::newRow("server, letters") << ConsoleMode::TcpServer << u"localPort"_s << u"60x0"_s
                                         << u"端口号不正确: \"60x0\""_s << refused;
        QTest::newRow("server, empty") << ConsoleMode::TcpServer << u"localPort"_s << QString()
                                       << u"端口号不正确: \"\""_s << refused;
        QTest::newRow("UDP, too large") << ConsoleMode::Udp << u"localPort"_s << u"70000"_s
                                        << u"端口号不正确: \"70000\""_s << refused;
        QTest::newRow("client, no destination")
            << ConsoleMode::TcpClient << u"remoteAddress"_s << QString()
            << u"请输入正确的目标IP及目标端口号!"_s << refused;
        QTest::newRow("client, letters") << ConsoleMode::TcpClient << u"remotePort"_s << u"abc"_s
                                         << u"端口号不正确: \"abc\""_s << refused;
        QTest::newRow("client, negative") << ConsoleMode::TcpClient << u"remotePort"_s << u"-1"_s
                                          << u"端口号不正确: \"-1\""_s << refused;
    }
    void openingRefusedOrFailed() {
        QFETCH(ConsoleMode, mode);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, warning);
        QFETCH(QStringList, states);
        Rig rig;
        const std::pair<const char16_t *, QString *> fields[] = {
            {u"localPort", &rig.view.localPortText},
            {u"remoteAddress", &rig.view.remoteHost},
            {u"remotePort", &rig.view.remotePortText},
        };
        for (const auto &[name, text] : fields) {
            if (field == QStringView(name))
                *text = typed;
        }
        rig.transport.openFails = field.isEmpty();
        rig.view.clients = {ClientA};
        rig.open(mode);
        QCOMPARE(rig.transport.opened.size(), field.isEmpty() ? 1 : 0);
        QVERIFY(!rig.transport.isOpen());
        QCOMPARE(rig.view.warnings, QStringList{warning});
        QCOMPARE(rig.view.states, states);
        QCOMPARE(rig.waiting(), -1);
        // Refused or failed, the console has the transport's use.
        QCOMPARE(rig.router.holder(), TransportRouter::Holder::Console);
        QCOMPARE(rig.view.clients.isEmpty(), field.isEmpty());
    }

    void closing_data() {
        QTest::addColumn<ConsoleMode>("mode");
        QTest::newRow("TCP server with a client") << ConsoleMode::TcpServer;
        QTest::newRow("TCP client") << ConsoleMode::TcpClient;
        QTest::newRow("UDP") << ConsoleMode::Udp;
    }
    void closing() {
        QFETCH(ConsoleMode, mode);
        Rig rig;
        rig.open(mode);
        if (mode == ConsoleMode::TcpClient)
            rig.transport.connectionCompleted();
        if (mode == ConsoleMode::TcpServer)
            rig.transport.addConnection(11, ClientA);
        rig.console.toggle();
        QVERIFY(!rig.transport.isOpen());
        QCOMPARE(rig.transport.closes, 1);
        QCOMPARE(rig.transport.opened.size(), 1);
        QCOMPARE(rig.view.states.last(), u"Closed"_s);
        QVERIFY(rig.view.clients.isEmpty());
        // A watch left running would judge whatever is opened next.
        QCOMPARE(rig.waiting(), -1);
        // The configuration side stays unusable until the next module search.
        QVERIFY(!rig.view.configuration);
        QCOMPARE(rig.router.holder(), TransportRouter::Holder::Console);
    }

    void takesTheTransportFromTheConfigurationSide() {
        Rig rig;
        rig.searchTakesTheTransport();
        rig.open(ConsoleMode::Udp);
        QCOMPARE(rig.transport.closes, 2); // the search's own, then the console's
        // Reopened once the system has had 100 ms to let go of the address.
        rig.clock.advance(Console::CloseWaitMs - 1);
        QCOMPARE(rig.transport.opened.size(), 1);
        rig.clock.advance(1);
        QCOMPARE(rig.transport.opened.size(), 2);
        QCOMPARE(describe(rig.transport.opened.last()), u"datagram 127.0.0.1:6000 -> :0"_s);
        QCOMPARE(rig.view.states, (QStringList{u"Closed"_s, u"Opening"_s, u"UdpOpen"_s}));
        QCOMPARE(rig.router.holder(), TransportRouter::Holder::Console);
    }

    void listenTimeOut_data() {
        QTest::addColumn<bool>("searched");    // a module search took the transport
        QTest::addColumn<bool>("reopenInBox"); // the user listens again from inside the box
        QTest::newRow("nobody came") << false << false;
        QTest::newRow("listening again from inside the box") << false << true;
        QTest::newRow("a search took the transport") << true << false;
    }
    void listenTimeOut() {
        QFETCH(bool, searched);
        QFETCH(bool, reopenInBox);
        Rig rig;
        rig.open(ConsoleMode::TcpServer);
        if (searched) {
            // Another mode picked while listening enables the search.
            rig.console.setMode(ConsoleMode::TcpClient);
            rig.searchTakesTheTransport();
        }
        if (reopenInBox)
            rig.view.duringWarning = [&rig] { rig.console.toggle(); };
        rig.fire();
        // Whoever has the transport, nobody is waited for any more and the
        // console can be opened again.
        QCOMPARE(rig.view.states.mid(2, 1), QStringList{u"ListenTimedOut"_s});
        QCOMPARE(rig.view.warnings, searched ? QStringList() : QStringList{u"等待客户端超时!"_s});
        // A search's transport is not the console's to close.
        QCOMPARE(rig.transport.isOpen(), searched || reopenInBox);
        QCOMPARE(rig.waiting(), reopenInBox ? Console::ListenTimeoutMs : -1);

        if (searched)
            return;
        if (!reopenInBox)
            rig.console.toggle(); // the next click listens again
        QCOMPARE(rig.transport.opened.size(), 2);
        QVERIFY(rig.transport.isOpen());
        QCOMPARE(rig.view.states.last(), u"Listening"_s);
    }

    void clientsComeAndGo() {
        Rig rig;
        rig.open(ConsoleMode::TcpServer);
        const Peer ClientA2{ClientA.ip, 1002};
        rig.transport.addConnection(11, ClientA);
        QCOMPARE(rig.waiting(), -1);
        QCOMPARE(rig.view.states.last(), u"Connected"_s);
        rig.transport.addConnection(12, ClientB);
        rig.transport.addConnection(13, ClientA2);
        QCOMPARE(rig.view.clients, (QList<Peer>{ClientA, ClientB, ClientA2}));

        // Two clients of one computer share the address: only the one that
        // left loses its line.
        rig.transport.removeConnection(13);
        QCOMPARE(rig.view.clients, (QList<Peer>{ClientA, ClientB}));
        // A connection nobody listed changes nothing.
        Q_EMIT rig.transport.connectionRemoved({99, Peer{ipOf(10, 0, 0, 9), 1001}});
        QCOMPARE(rig.view.clients.size(), 2);
        // A returning peer's new connection keeps its line, and leaves by it.
        rig.transport.peerReturned(11, 21);
        rig.transport.removeConnection(21);
        QCOMPARE(rig.view.clients, QList<Peer>{ClientB});
        QVERIFY(rig.transport.isOpen());

        // The last client gone: the console closes as if clicked.
        rig.transport.removeConnection(12);
        QVERIFY(!rig.transport.isOpen());
        QVERIFY(rig.view.clients.isEmpty());
        QCOMPARE(rig.view.states.last(), u"Closed"_s);
        QCOMPARE(rig.router.holder(), TransportRouter::Holder::Console);
    }

    void connectWatch_data() {
        QTest::addColumn<bool>("connects");
        QTest::addColumn<bool>("peerCloses");
        QTest::addColumn<bool>("searched");
        QTest::addColumn<QString>("state");
        QTest::newRow("connected within a second") << true << false << false << u"ClientOpen"_s;
        QTest::newRow("not connected at the first tick") << false << false << false << u"Dropped"_s;
        QTest::newRow("closed by the peer") << true << true << false << u"Dropped"_s;
        QTest::newRow("a search took the transport") << false << false << true << u"Connecting"_s;
    }
    void connectWatch() {
        QFETCH(bool, connects);
        QFETCH(bool, peerCloses);
        QFETCH(bool, searched);
        QFETCH(QString, state);
        Rig rig;
        rig.open(ConsoleMode::TcpClient);
        if (connects)
            rig.transport.connectionCompleted();
        if (peerCloses)
            rig.transport.peerClosed();
        if (searched)
            rig.searchTakesTheTransport();
        const int closes = rig.transport.closes;
        rig.fire();
        QCOMPARE(rig.view.states.last(), state);
        const bool watching = state == u"ClientOpen"_s;
        QCOMPARE(rig.waiting() >= 0, watching);
        // A pending attempt is given up: completing later, it would be open
        // behind a console that shows it closed.
        QCOMPARE(rig.transport.closes, state == u"Dropped"_s ? closes + 1 : closes);
        QVERIFY(!rig.transport.isConnecting());
        QCOMPARE(rig.transport.isOpen(), watching || searched);
    }

    void sendRouting_data() {
        QTest::addColumn<ConsoleMode>("mode");
        QTest::addColumn<int>("connections");
        QTest::addColumn<int>("picked");     // position of the picked client, -1 none
        QTest::addColumn<QString>("change"); // "search", "server" (mode picked), "port"
        QTest::addColumn<QString>("sent");   // empty: nothing
        const ConsoleMode server = ConsoleMode::TcpServer;
        QTest::newRow("no client picked: the first")
            << server << 2 << -1 << QString() << u"connection 11 AT"_s;
        QTest::newRow("first client") << server << 2 << 0 << QString() << u"connection 11 AT"_s;
        QTest::newRow("second client") << server << 2 << 1 << QString() << u"connection 12 AT"_s;
        QTest::newRow("no such client") << server << 2 << 2 << QString() << QString();
        QTest::newRow("no client") << server << 0 << -1 << QString() << QString();
        QTest::newRow("TCP client")
            << ConsoleMode::TcpClient << 0 << -1 << QString() << u"stream AT"_s;
        QTest::newRow("UDP") << ConsoleMode::Udp << 0 << -1 << QString()
                             << u"datagram 127.0.0.2:4321 AT"_s;
        QTest::newRow("UDP, port that is no number")
            << ConsoleMode::Udp << 0 << -1 << u"port"_s << QString();
        // The change applies to what is sent, not to what is open.
        QTest::newRow("server mode picked while UDP is open")
            << ConsoleMode::Udp << 0 << -1 << u"server"_s << QString();
        QTest::newRow("after a module search, as datagrams")
            << server << 0 << -1 << u"search"_s << u"datagram 127.0.0.2:4321 AT"_s;
    }
    void sendRouting() {
        QFETCH(ConsoleMode, mode);
        QFETCH(int, connections);
        QFETCH(int, picked);
        QFETCH(QString, change);
        QFETCH(QString, sent);
        Rig rig;
        rig.open(mode);
        rig.transport.connectionCompleted();
        for (int i = 0; i < connections; ++i)
            rig.transport.addConnection(11 + i, Peer{ClientA.ip, quint16(1001 + i)});
        if (change == u"search")
            rig.searchTakesTheTransport();
        else if (change == u"server")
            rig.console.setMode(ConsoleMode::TcpServer);
        // The destination as typed at the moment of sending.
        rig.view.remoteHost = u"127.0.0.2"_s;
        rig.view.remotePortText = change == u"port" ? u"43x"_s : u"4321"_s;
        rig.view.client = picked;
        rig.console.sendText(u"AT"_s);
        QCOMPARE(rig.view.transcript, u"AT"_s); // echoed either way
        QCOMPARE(rig.sent(), sent.isEmpty() ? QStringList() : QStringList{sent});
        QCOMPARE(rig.view.warnings.size(), change == u"port" ? 1 : 0);
        QCOMPARE(rig.transport.opened.size(), change == u"search" ? 2 : 1);
    }

    void transcript_data() {
        // Steps: "> text" sends typed text; "A< bytes", "B< bytes" arrive
        // from two computers, "b< bytes" from B's computer on another port;
        // bytes after "#" are hex; "clear" empties the transcript.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("shown");
        auto row = [](const char *name, const QStringList &steps, const QString &shown) {
            QTest::newRow(name) << steps << shown;
        };
        row("an echo alone", {u"> AT"_s}, u"AT"_s);
        row("echoes apart", {u"> AT"_s, u"> AT"_s}, u"AT\r\n\r\nAT"_s);
        row("typed lines", {u"> 提示\r\nAT"_s}, u"提示\r\nAT"_s);
        row("nothing typed", {u"> AT"_s, u"> "_s}, u"AT"_s);
        row("one sender joined", {u"A< ab"_s, u"A< cd"_s}, u"abcd"_s);
        // The same address from another port is another sender; a last line
        // already empty gets no break.
        row("a new sender on a new line", {u"A< ab"_s, u"B< ef\r\n"_s, u"b< gh"_s},
            u"ab\r\nef\r\ngh"_s);
        row("clearing keeps the sender", {u"A< ab"_s, u"clear"_s, u"A< ij"_s}, u"ij"_s);
        row("an echo, then its reply", {u"A< ij"_s, u"> AT"_s, u"A< OK"_s}, u"ij\r\n\r\nATOK"_s);
        row("text ends at a zero byte", {u"A< #6162006364"_s, u"A< xyz"_s}, u"abxyz"_s);
        row("a character split between reads", {u"A< #cc"_s, u"A< #e1ca"_s, u"A< #be"_s},
            u"提示"_s);
        row("a lead byte another sender cuts off", {u"A< #cc"_s, u"B< x"_s}, u"\uFFFD\r\nx"_s);
        row("a lead byte an echo cuts off", {u"A< #cc"_s, u"> AT"_s}, u"\uFFFD\r\n\r\nAT"_s);
        row("a lead byte cleared away", {u"A< #cc"_s, u"clear"_s, u"A< #e1"_s}, QString());
    }
    void transcript() {
        QFETCH(QStringList, steps);
        QFETCH(QString, shown);
        Rig rig;
        rig.open(ConsoleMode::TcpClient);
        rig.transport.connectionCompleted();
        const QMap<QChar, Peer> senders{
            {u'A', Peer{ClientA.ip, 5000}},
            {u'B', Peer{ClientB.ip, 5000}},
            {u'b', Peer{ClientB.ip, 5001}},
        };
        Peer last;
        QStringList sent;
        for (const QString &step : steps) {
            if (step == u"clear") {
                rig.console.clearTranscript();
            } else if (step.startsWith(u"> ")) {
                if (step.size() > 2)
                    sent.append(step.sliced(2));
                rig.console.sendText(step.sliced(2));
            } else {
                const QString text = step.sliced(3);
                last = senders.value(step.at(0));
                rig.console.receive(last, text.startsWith(u'#')
                                              ? QByteArray::fromHex(text.sliced(1).toLatin1())
                                              : text.toLatin1());
            }
        }
        QCOMPARE(rig.view.transcript, shown);
        QCOMPARE(rig.router.lastPeer(), last);
        // Nothing typed is neither echoed nor sent.
        QCOMPARE(rig.view.warnings, QStringList(steps.count(u"> "_s), u"输入框不能为空!"_s));
        // Typed text goes out as GBK, exactly as typed.
        QCOMPARE(rig.transport.sent.size(), sent.size());
        for (qsizetype i = 0; i < sent.size(); ++i)
            QCOMPARE(rig.transport.sent[i].bytes, gbk::encode(sent[i]));
        // The newest text is in view after every echo and arrival.
        QCOMPARE(rig.view.scrolls, steps.size() - steps.count(u"clear"_s) - steps.count(u"> "_s));
    }

    void gbkCharacterBoundaries_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("complete");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("ASCII") << QByteArray("AT") << 2;
        QTest::newRow("whole characters") << QByteArray::fromHex("cce1cabe") << 4;
        QTest::newRow("lead byte last") << QByteArray::fromHex("41cce1ca") << 3;
        // A trail byte in the lead range is still a trail byte.
        QTest::newRow("trail looks like a lead") << QByteArray::fromHex("81fe") << 2;
        QTest::newRow("0x80 and 0xFF stand alone") << QByteArray::fromHex("80ff") << 2;
    }
    void gbkCharacterBoundaries() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, complete);
        QCOMPARE(gbk::completeLength(bytes), qsizetype(complete));
    }

    void relayAndInputCommands_data() {
        QTest::addColumn<int>("relay");
        QTest::addColumn<int>("input");
        QTest::addColumn<RelaySwitch>("state");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QStringList>("expected"); // query, set, input query
        QTest::newRow("relay 3 on with the initial time")
            << 3 << 1 << RelaySwitch::On << u"100000"_s
            << QStringList{u"AT+STACH3=?\r\n"_s, u"AT+STACH3=1,100000\r\n"_s, u"AT+OCCH1=?\r\n"_s};
        QTest::newRow("relay 5, no state, no time")
            << 5 << 4 << RelaySwitch::Unsaid << QString()
            << QStringList{u"AT+STACH5=?\r\n"_s, u"AT+STACH5=\r\n"_s, u"AT+OCCH4=?\r\n"_s};
        QTest::newRow("all relays off, all inputs")
            << 0 << 0 << RelaySwitch::Off << QString()
            << QStringList{u"AT+STACH0=?\r\n"_s, u"AT+STACH0=0\r\n"_s, u"AT+OCCH0=?\r\n"_s};
        QTest::newRow("none picked, time as typed")
            << 16 << 13 << RelaySwitch::Off << u"7a"_s
            << QStringList{u"AT+STACH16=?\r\n"_s, u"AT+STACH16=0,7a\r\n"_s, u"AT+OCCH13=?\r\n"_s};
    }
    void relayAndInputCommands() {
        QFETCH(int, relay);
        QFETCH(int, input);
        QFETCH(RelaySwitch, state);
        QFETCH(QString, time);
        QFETCH(QStringList, expected);
        Rig rig;
        rig.open(ConsoleMode::Udp);
        rig.console.queryRelays(relay);
        QVERIFY(!rig.console.relayRepollPending());
        QVERIFY(rig.console.setRelay(relay, state, time));
        QVERIFY(rig.console.relayRepollPending());
        rig.console.queryInputs(input);
        QCOMPARE(rig.sentBytes(), expected);
        // Each command is echoed into the transcript.
        QCOMPARE(rig.view.transcript, expected.join(u"\r\n\r\n"_s));
    }

    void relayRepollAfterTheNextArrival() {
        Rig rig;
        rig.open(ConsoleMode::Udp);
        QVERIFY(rig.console.setRelay(3, RelaySwitch::On, u"100000"_s));
        QCOMPARE(rig.waiting(), -1);
        // Any arrival starts the 300 ms re-query, once.
        rig.console.receive(ClientA, "+STACH3=1,100000\r\n");
        QCOMPARE(rig.waiting(), 300);
        QVERIFY(!rig.console.relayRepollPending());
        QCOMPARE(rig.view.relays[2], LampState::On);

        // It asks for the relays the boxes pick then.
        rig.view.relay = 0;
        rig.fire();
        QCOMPARE(rig.waiting(), -1);
        QCOMPARE(rig.sentBytes().last(), u"AT+STACH0=?\r\n"_s);
        rig.console.receive(ClientA, "+STACH0=0,0\r\n");
        QCOMPARE(rig.waiting(), -1);
    }

    void overlongTimeIsRefused_data() {
        QTest::addColumn<QString>("time");
        QTest::addColumn<bool>("sent");
        // "AT+STACH15=0," + 84 characters + "\r\n" is 99 bytes.
        QTest::newRow("99 bytes") << QString(84, u'9') << true;
        QTest::newRow("100 bytes") << QString(85, u'9') << false;
        // A Chinese time text counts its GBK bytes.
        QTest::newRow("100 GBK bytes") << QString(42, u'中') + u"9"_s << false;
    }
    void overlongTimeIsRefused() {
        QFETCH(QString, time);
        QFETCH(bool, sent);
        Rig rig;
        rig.open(ConsoleMode::Udp);
        QCOMPARE(rig.console.setRelay(15, RelaySwitch::Off, time), sent);
        QCOMPARE(rig.transport.sent.size(), sent ? 1 : 0);
        QCOMPARE(rig.view.warnings, sent ? QStringList() : QStringList{u"定时时间太长!"_s});
        QCOMPARE(rig.view.transcript.isEmpty(), !sent);
        QCOMPARE(rig.console.relayRepollPending(), sent);
    }

    void replies_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("relay"); // lamp that changes, 0: none
        QTest::addColumn<int>("input"); // lamp that changes, 0: none
        QTest::addColumn<LampState>("lamp");
        QTest::addColumn<quint64>("time"); // shown afterwards
        const LampState on = LampState::On;
        const LampState off = LampState::Off;
        const LampState none = LampState::Unknown;
        const quint64 initial = 100000;
        QTest::newRow("relay 2 on") << QByteArray("+STACH2=1,30\r\n") << 2 << 0 << on << 30ull;
        QTest::newRow("relay 2 off, no digits")
            << QByteArray("+STACH2x0y\r") << 2 << 0 << off << 0ull;
        QTest::newRow("relay 0 only sets the time")
            << QByteArray("+STACH0=1,55\r\n") << 0 << 0 << none << 55ull;
        QTest::newRow("relay 10 is ':'") << QByteArray("noise+STACH:=1,7") << 10 << 0 << on << 7ull;
        QTest::newRow("relay 15 is '?'") << QByteArray("+STACH?=0,1\r") << 15 << 0 << off << 1ull;
        QTest::newRow("relay '@' is out of range")
            << QByteArray("+STACH@=1,2\r") << 0 << 0 << none << 2ull;
        QTest::newRow("time field stops at 15 characters")
            << QByteArray("+STACH1=1,12345678901234567890\r") << 1 << 0 << on << 123456789012345ull;
        QTest::newRow("reply cut short") << QByteArray("+STACH1") << 1 << 0 << on << 0ull;
        QTest::newRow("reply cut by a zero byte")
            << QByteArray("+STA\0CH1=1,5\r", 13) << 0 << 0 << none << initial;
        QTest::newRow("input 4 off") << QByteArray("+OCCH4=0\r\n") << 0 << 4 << off << initial;
        QTest::newRow("input 12 on") << QByteArray("+OCCH<=1") << 0 << 12 << on << initial;
        QTest::newRow("input 13 is out of range")
            << QByteArray("+OCCH==1") << 0 << 0 << none << initial;
        QTest::newRow("relay reply wins over input reply")
            << QByteArray("+OCCH1=1 +STACH2=1,3") << 2 << 0 << on << 3ull;
        QTest::newRow("plain text") << QByteArray("hello") << 0 << 0 << none << initial;
    }
    void replies() {
        QFETCH(QByteArray, data);
        QFETCH(int, relay);
        QFETCH(int, input);
        QFETCH(LampState, lamp);
        QFETCH(quint64, time);
        Rig rig;
        rig.open(ConsoleMode::Udp);
        rig.console.receive(ClientA, data);
        for (int n = 1; n <= 15; ++n)
            QCOMPARE(rig.view.relays[size_t(n - 1)], n == relay ? lamp : LampState::Unknown);
        for (int n = 1; n <= 12; ++n)
            QCOMPARE(rig.view.inputs[size_t(n - 1)], n == input ? lamp : LampState::Unknown);
        QCOMPARE(rig.view.time, time);
    }

    void warningBoxLetsEventsThrough() {
        // While the port warning of a UDP send is open, a reply arrives and
        // the user sends again; all of it lands in order.
        Rig rig;
        rig.open(ConsoleMode::Udp);
        rig.view.remotePortText = u"bad"_s;
        rig.view.duringWarning = [&rig] {
            rig.console.receive(ClientA, "+OCCH2=1");
            rig.view.remotePortText = u"12345"_s;
            rig.console.sendText(u"AT"_s);
        };
        rig.console.sendText(u"AT"_s);
        QCOMPARE(rig.view.transcript, u"AT\r\n+OCCH2=1\r\n\r\nAT"_s);
        QCOMPARE(rig.sentBytes(), QStringList{u"AT"_s});
        QCOMPARE(rig.view.inputs[1], LampState::On);
    }

    // Whatever arrives: only lamps that exist change (the view checks), the
    // time shown has at most 15 digits, and the transcript never shows more
    // characters than bytes arrived.
    void hostileArrivals() {
        Rig rig;
        rig.open(ConsoleMode::Udp);
        // Without a terminator the length bounds the text (the sanitizer
        // build catches a read past it).
        auto unterminated = std::make_unique<char[]>(3);
        std::memcpy(unterminated.get(), "xyz", 3);
        rig.console.receive(ClientA, QByteArrayView(unterminated.get(), 3));
        QCOMPARE(rig.view.transcript, u"xyz"_s);

        QRandomGenerator random(20261208);
        static const char *const heads[] = {"", "+STACH", "+OCCH", "x+STACH", "+OCCH+STACH"};
        qsizetype arrived = 3;
        for (int round = 0; round < 4000; ++round) {
            QByteArray data = heads[random.bounded(int(std::size(heads)))];
            const int noise = random.bounded(random.bounded(10) == 0 ? 2000 : 24);
            for (int i = 0; i < noise; ++i)
                data += char(random.bounded(256));
            arrived += data.size();
            rig.console.receive(Peer{quint32(random.bounded(4)), quint16(random.bounded(3))}, data);
            QVERIFY2(rig.view.time < 1000000000000000ull,
                     qPrintable(QString::number(rig.view.time)));
        }
        // Line breaks for changes of sender come on top of the data.
        QVERIFY(rig.view.transcript.size() <= arrived + 2 * 4000);
    }
};

QTEST_GUILESS_MAIN(TstConsole)
#include "tst_console.moc"
