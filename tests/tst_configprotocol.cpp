// The configuration side against a recording view, a recording transport and
// a fixed list of adapters: frames on the wire, memo lines, notices and the
// module list, for the search, the module sessions' sequencer and
// interpreter, and the settings.
#include "atframe.h"
#include "clock.h"
#include "configprotocol.h"
#include "faketransport.h"
#include "gbk.h"
#include "moduletable.h"
#include "transportrouter.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

#include <functional>
#include <map>
#include <tuple>

using namespace Qt::StringLiterals;
using Notice = SessionView::Notice;

Q_DECLARE_METATYPE(Parameter)
Q_DECLARE_METATYPE(ParameterValue)
Q_DECLARE_METATYPE(NetworkAdapter)

namespace {

quint32 ipOf(int a, int b, int c, int d) {
    return quint32(a) | quint32(b) << 8 | quint32(c) << 16 | quint32(d) << 24;
}

const quint32 HostIp = ipOf(192, 168, 1, 10);
const quint32 ModuleA = ipOf(192, 168, 1, 199);
const quint32 ModuleB = ipOf(192, 168, 1, 200);
const QByteArray HostMac = "00:0c:29:aa:bb:cc";
// The LAN, a container bridge the system lists before it, and a second LAN.
const NetworkAdapter Lan{u"eth0"_s, 3, HostIp, ipOf(255, 255, 255, 0), HostMac};
const NetworkAdapter Decoy{u"docker0"_s, 2, ipOf(172, 17, 0, 1), ipOf(255, 255, 0, 0),
                           "02:42:ac:11:00:01"};
const NetworkAdapter Lan2{u"eth1"_s, 4, ipOf(10, 0, 0, 7), ipOf(255, 0, 0, 0), "00:0c:29:dd:ee:ff"};
const QByteArray MacA = "00:11:22:33:44:5a";
const QByteArray MacB = "00:11:22:33:44:66";
const QString SelectFirst = u"请选择IP！"_s;
const QString NoItem = u"请在下拉列表中选择有效的选项！"_s;
const QString NameLimit = u"设备名称不能超过15个字节"_s;
const QString TooLong = u"参数过长，命令帧不能超过100个字节"_s;

QString indented(const QString &text) {
    return QString(10, u' ') + text;
}

// A shown value in one line: text as is, an item number as "#n", the serial
// settings as a module reports them.
QString shown(const ParameterValue &value) {
    if (const auto *text = std::get_if<QString>(&value))
        return *text;
    if (const auto *item = std::get_if<int>(&value))
        return u"#"_s + QString::number(*item);
    const auto &uart = std::get<UartSettings>(value);
    return u"%1,%2,%3,%4"_s.arg(uart.baudRate, uart.dataBits).arg(uart.stopBits).arg(uart.parity);
}

class FakeView final : public ConfigView {
public:
    std::map<Parameter, ParameterValue> values;
    QStringList memo;
    QStringList modules;
    QList<Notice> noticeKinds;
    QStringList notices;
    QList<bool> enabled;
    // Runs while a notice is "open", as the modal loop would.
    std::function<void()> onNotice;

    ParameterValue parameterValue(Parameter parameter) const override {
        const auto it = values.find(parameter);
        return it == values.end() ? ParameterValue() : it->second;
    }
    void showParameter(Parameter parameter, const ParameterValue &value) override {
        values[parameter] = value;
    }
    void appendMemoLine(const QString &line) override { memo << line; }
    void notify(Notice notice, const QString &text) override {
        noticeKinds << notice;
        notices << text;
        if (onNotice)
            onNotice();
    }
    void clearModuleList() override { modules.clear(); }
    void appendModuleLine(const QString &line) override { modules << line; }
    void replaceModuleLine(int row, const QString &line) override { modules[row] = line; }
    void enableConfiguration(bool on) override { enabled << on; }

    QString shownValue(Parameter parameter) const {
        const auto it = values.find(parameter);
        return it == values.end() ? u"<none>"_s : shown(it->second);
    }
    // Memo lines without their time stamps.
    QStringList memoTexts() const {
        QStringList out;
        for (const QString &line : memo) {
            const qsizetype sep = line.indexOf(u": ");
            out << (sep >= 0 ? line.mid(sep + 2) : line);
        }
        return out;
    }
};

class FakeAdapters final : public AdapterSource {
public:
    QList<NetworkAdapter> list{Lan};
    QList<NetworkAdapter> adapters() const override { return list; }
};

// Everything the controller is wired to, the view holding the window's
// design values; the computer has one adapter unless a test adds more.
struct Rig {
    ManualClock clock;
    FakeTransport transport;
    TransportRouter router{transport};
    FakeView view;
    FakeAdapters adapters;
    ConfigProtocol proto{router, view, adapters, nullptr, clock};
    ModuleTable &store = proto.modules();

    // realTime: the system's clock, as in the window.
    explicit Rig(bool realTime = false)
        : proto{router, view, adapters, nullptr, realTime ? Clock::system() : clock} {
        using P = Parameter;
        view.values = {{P::Model, 0},
                       {P::Gateway, u"192.168.1.1"_s},
                       {P::Mask, u"192.168.0.1"_s},
                       {P::IP, u"192.168.1.199"_s},
                       {P::DestinationIP, u"192.168.1.100"_s},
                       {P::Port, u"5000"_s},
                       {P::DestinationPort, u"6000"_s},
                       {P::Uart, UartSettings{u"9600"_s, u"8"_s, 1, 0}},
                       {P::MAC, QString()},
                       {P::Dhcp, 0},
                       {P::DeviceName, QString()}};
    }

    void reply(quint32 ip, const QByteArray &mac, const QByteArray &payload,
               const NetworkAdapter &on = Lan) {
        router.receive(Peer{ip, atframe::ConfigPort, on.index}, atframe::buildReply(mac, payload));
    }
    // Modules found (A first), A picked, and its read-all stopped before
    // anything left, so each test starts from a quiet picked module.
    void selectA(int modules = 1) {
        proto.searchModules();
        reply(ModuleA, MacA, "OK\r\n");
        if (modules > 1)
            reply(ModuleB, MacB, "OK\r\n");
        proto.selectModule(0);
        proto.selectedSession()->stop();
        clock.advance(ConfigProtocol::NoAnswerQuietMs); // nothing waits any more
        transport.sent.clear();
        view.memo.clear();
    }
    // Time runs on to the next thing the controller waits for, as a rule
    // the sequencer's next firing.
    void fire() { QVERIFY(clock.advanceToNext()); }
    qint64 nextMs() const { return clock.nextEndMs(); }
    // The write-all spacing passes.
    void space() { clock.advance(300); }
    // Nothing leaves and nothing is told for the next ten seconds.
    bool quiet() {
        const qsizetype sent = transport.sent.size();
        const qsizetype notices = view.notices.size();
        clock.advance(10000);
        return transport.sent.size() == sent && view.notices.size() == notices;
    }

    QByteArrayList commands() const {
        QByteArrayList list;
        for (const FakeTransport::Sent &sent : transport.sent)
            list << atframe::parseFrame(sent.bytes).command;
        return list;
    }
    QByteArray lastCommand() const { return commands().value(commands().size() - 1); }
    // Every frame went out of the LAN adapter.
    bool allBroadcast() const {
        return std::all_of(transport.sent.cbegin(), transport.sent.cend(), [](const auto &sent) {
            return sent.route == FakeTransport::Sent::Route::Datagram &&
                   sent.to == Peer{atframe::Broadcast, atframe::ConfigPort, Lan.index, Lan.address};
        });
    }

    // Runs the clock on while anything waits, letting module A answer each frame
    // (a null answer is silence); returns the number of firings.
    int run(const std::function<QByteArray(const QByteArray &)> &module, int maxFirings = 200) {
        int i = 0;
        for (; i < maxFirings; ++i) {
            const qsizetype before = transport.sent.size();
            if (!clock.advanceToNext())
                break;
            if (transport.sent.size() > before) {
                const QByteArray answer = module(lastCommand());
                if (!answer.isNull())
                    reply(ModuleA, MacA, answer);
            }
        }
        return i;
    }
};

// A module that answers every query of the read-all, and every setting "OK".
QByteArray wellBehaved(const QByteArray &command) {
    static const std::map<QByteArray, QByteArray> answers = {
        {"AT", "OK\r\n"},
        {"AT+MODEL=?", "+MODEL=1\r\n"},
        {"AT+GATEWAY=?", "+GATEWAY=10.0.0.1\r\n"},
        {"AT+MASK=?", "+MASK=255.255.255.0\r\n"},
        {"AT+IP=?", "+IP=10.0.0.50\r\n"},
        {"AT+DIP=?", "+DIP=10.0.0.2\r\n"},
        {"AT+PORT=?", "+PORT=5001\r\n"},
        {"AT+DPORT=?", "+DPORT=6001\r\n"},
        {"AT+DCHP=?", "+DCHP=1\r\n"},
        {"AT+NAME=?", "+NAME=relay\r\n"},
        {"AT+MAC=?", "+MAC=00:11:22:33:44:5a\r\n"},
        {"AT+VER=?", "+VER=V2.05\r\n"},
        {"AT+UART=?", "+UART=115200,8,1,0\r\n"},
    };
    const auto it = answers.find(command);
    return it == answers.end() ? QByteArray("OK\r\n") : it->second;
}

const QByteArrayList ReadAllCommands = {"AT",        "AT+MODEL=?", "AT+GATEWAY=?", "AT+MASK=?",
                                        "AT+IP=?",   "AT+DIP=?",   "AT+PORT=?",    "AT+DPORT=?",
                                        "AT+DCHP=?", "AT+NAME=?",  "AT+MAC=?",     "AT+VER=?"};

} // namespace

class TstConfigProtocol : public QObject {
    Q_OBJECT

private slots:
    void infoLineStamp() {
        const QLocale locale = QLocale::system();
        const QDate day(2024, 5, 6);
        const QDateTime midnight(day, QTime(0, 0));
        QCOMPARE(infoLine(midnight, u"x"_s), locale.toString(day, QLocale::ShortFormat) + u": x"_s);
        const QDateTime later(day, QTime(9, 5, 3));
        const QString line = infoLine(later, u"发送AT命令"_s);
        QVERIFY2(line.startsWith(locale.toString(day, QLocale::ShortFormat) + u' '),
                 qPrintable(line));
        // Seconds shown; a 12-hour locale adds its AM/PM mark after them.
        QVERIFY2(line.contains(u"9:05:03"_s) && line.endsWith(u": 发送AT命令"_s), qPrintable(line));
        // Local time without a zone name.
        QVERIFY2(!line.contains(later.timeZoneAbbreviation()), qPrintable(line));
    }

    // ---- search and module list ------------------------------------------

    void searchOpensTheTransportAndBroadcasts_data() {
        QTest::addColumn<bool>("wasOpen");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QList<NetworkAdapter>>("adapters");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QList<NetworkAdapter>>("searched");
        QTest::addColumn<QString>("memo"); // the memo line naming what was searched
        QTest::addColumn<QString>("refusal");
        using L = QList<NetworkAdapter>;
        NetworkAdapter secondAddress = Lan;
        secondAddress.address = ipOf(192, 168, 1, 11);
        const QString none = u"没有可用的网络适配器（IPv4），请检查网络连接！"_s;
        // clang-format off
        const QString eth0 = u"搜索: eth0 192.168.1.10"_s;
        QTest::newRow("closed") << false << true << L{Lan} << QString() << L{Lan} << eth0 << QString();
        QTest::newRow("left open by the console")
            << true << true << L{Lan} << QString() << L{Lan} << eth0 << QString();
        QTest::newRow("will not open")
            << false << false << L{Lan} << QString() << L{}
            << u"无法打开UDP端口5000，可能已被其他程序占用，没有发送搜索：address in use"_s
            << QString();
        QTest::newRow("every adapter, the bridge first")
            << false << true << L{Decoy, Lan, Lan2} << QString() << L{Decoy, Lan, Lan2}
            << u"搜索: docker0 172.17.0.1, eth0 192.168.1.10, eth1 10.0.0.7"_s << QString();
        QTest::newRow("an adapter with two addresses searched from each")
            << false << true << L{Lan, secondAddress, Lan2} << QString() << L{Lan, secondAddress, Lan2}
            << u"搜索: eth0 192.168.1.10, eth0 %1, eth1 10.0.0.7"_s.arg(secondAddress.addressText()) << QString();
        QTest::newRow("one address of an adapter chosen")
            << false << true << L{Lan, secondAddress, Lan2} << secondAddress.addressText() << L{secondAddress}
            << u"搜索: eth0 %1"_s.arg(secondAddress.addressText()) << QString();
        QTest::newRow("the adapter chosen")
            << false << true << L{Decoy, Lan, Lan2} << u"eth1"_s << L{Lan2}
            << u"搜索: eth1 10.0.0.7"_s << QString();
        QTest::newRow("no adapter") << true << true << L{} << QString() << L{} << QString() << none;
        QTest::newRow("the chosen adapter gone")
            << true << true << L{Decoy, Lan} << u"eth1"_s << L{} << QString()
            << u"网络适配器eth1没有可用的IPv4地址，请检查网络连接！"_s;
        // clang-format on
    }
    void searchOpensTheTransportAndBroadcasts() {
        QFETCH(bool, wasOpen);
        QFETCH(bool, opens);
        QFETCH(QList<NetworkAdapter>, adapters);
        QFETCH(QString, chosen);
        QFETCH(QList<NetworkAdapter>, searched);
        QFETCH(QString, memo);
        QFETCH(QString, refusal);
        Rig r;
        r.adapters.list = adapters;
        r.proto.setSearchAdapter(chosen);
        if (wasOpen) {
            Transport::Endpoints server;
            server.kind = Transport::Kind::StreamServer;
            r.transport.open(server);
        }
        r.transport.openFails = !opens;
        r.router.setHolder(TransportRouter::Holder::Console);
        r.router.setLastPeer(Peer{7, 7});
        r.view.modules << u"stale"_s;
        r.proto.searchModules();

        if (!refusal.isEmpty()) {
            // Told, and whatever the console holds is left alone.
            QCOMPARE(r.view.notices, QStringList{refusal});
            QCOMPARE(r.view.noticeKinds, QList<Notice>{Notice::InputError});
            QCOMPARE(r.transport.closes, 0);
            QCOMPARE(r.transport.opened.size(), 1);
            QVERIFY(r.transport.sent.isEmpty());
            QCOMPARE(r.router.holder(), TransportRouter::Holder::Console);
            QCOMPARE(r.view.modules, QStringList{u"stale"_s});
            QVERIFY(r.view.memo.isEmpty());
            return;
        }
        QCOMPARE(r.transport.closes, wasOpen ? 1 : 0);
        // A transport that was open is reopened 100 ms after it closed.
        if (wasOpen) {
            QCOMPARE(r.transport.opened.size(), 1);
            QVERIFY(r.view.memo.isEmpty());
            r.clock.advance(99);
            QCOMPARE(r.transport.opened.size(), 1);
            r.clock.advance(1);
        }
        const Transport::Endpoints &endpoints = r.transport.opened.last();
        QCOMPARE(endpoints.kind, Transport::Kind::Datagram);
        QCOMPARE(endpoints.localHost, u"0.0.0.0"_s);
        QCOMPARE(endpoints.localPort, quint16(5000));
        QCOMPARE(r.router.holder(), TransportRouter::Holder::Configuration);
        QVERIFY(r.router.lastPeer() == Peer{});
        QCOMPARE(r.view.enabled, QList<bool>{true});
        QVERIFY(r.view.modules.isEmpty());
        QVERIFY(!r.proto.selectedSession());
        QVERIFY(r.view.notices.isEmpty());
        // The unchanged search frame out of each adapter, with its own MAC.
        QCOMPARE(r.transport.sent.size(), searched.size());
        for (qsizetype i = 0; i < searched.size(); ++i) {
            const FakeTransport::Sent &sent = r.transport.sent[i];
            QVERIFY(sent.route == FakeTransport::Sent::Route::Datagram);
            QVERIFY(sent.to == (Peer{atframe::Broadcast, atframe::ConfigPort, searched[i].index,
                                     searched[i].address}));
            QCOMPARE(sent.bytes, "<00:00:00:00:00:00>,<" + searched[i].mac + ">,AT\r\n");
        }
        QStringList lines{u"现在切换到设置模式"_s};
        if (!memo.isEmpty())
            lines << memo;
        QCOMPARE(r.view.memoTexts(), lines);
    }

    void searchRepliesAreListed() {
        Rig r;
        r.proto.searchModules();
        r.reply(HostIp, HostMac, "AT\r\n"); // our broadcast, heard back
        r.router.receive(Peer{ModuleB, 5000, Lan.index}, "no closing bracket at all, long enough");
        r.router.receive(Peer{ModuleB, 5001, Lan.index}, atframe::buildReply(MacB, "OK\r\n"));
        r.reply(ModuleA, MacA, "+IP=192.168.1.199\r\n"); // a report answers no search
        r.reply(ModuleA, MacA, "OK\r\n");
        r.reply(ipOf(192, 168, 1, 201), "short", "OK");
        r.reply(ipOf(192, 168, 1, 202), QByteArray(64, 'm'), "OK\r\n");
        r.reply(ipOf(192, 168, 1, 203), QByteArray(65, 'm'), "OK\r\n"); // not a module
        QCOMPARE(
            r.view.modules,
            QStringList({u"192.168.1.200:00:11:22:33:44:66"_s, u"192.168.1.199:00:11:22:33:44:5a"_s,
                         u"192.168.1.201:short"_s, u"192.168.1.202:"_s + QString(64, u'm')}));
        QCOMPARE(r.store.ModulePort[0], quint16(5001));
        QVERIFY(r.router.lastPeer() == (Peer{ipOf(192, 168, 1, 202), 5000, Lan.index}));
        QVERIFY(r.view.notices.isEmpty());

        r.proto.selectModule(1);
        QCOMPARE(r.proto.selectedSession()->moduleMac(), MacA);
        QCOMPARE(r.nextMs(), 30);
        // Once a module is picked, late search replies are not listed.
        r.reply(ipOf(192, 168, 1, 204), "late", "OK\r\n");
        QCOMPARE(r.view.modules.size(), 4);

        // The replies ignored for their MAC text are counted once they stop
        // coming, at the latest when the next search begins.
        r.view.memo.clear();
        r.proto.searchModules();
        r.clock.advance(100); // the transport reopens
        QCOMPARE(r.view.memoTexts(),
                 QStringList({u"已忽略1个搜索应答：MAC地址超过64个字节"_s, u"现在切换到设置模式"_s,
                              u"搜索: eth0 192.168.1.10"_s}));
    }

    void duplicateWarningsThroughTheSearch() {
        Rig r;
        r.proto.searchModules();
        r.reply(ModuleA, MacA, "OK\r\n");
        r.reply(ModuleA, MacA, "OK\r\n");                // the same module twice
        r.reply(ModuleB, MacA, "OK\r\n");                // A's MAC, other IP
        r.reply(ModuleA, "00:11:22:33:44:77", "OK\r\n"); // A's IP, other MAC
        const QString six(6, u' ');
        QCOMPARE(r.view.notices.size(), 1 + 2 + 2);
        QCOMPARE(r.view.noticeKinds, QList<Notice>(5, Notice::ProtocolEvent));
        QCOMPARE(r.view.notices[0],
                 u"两个或以上的模块MAC地址、IP地址相同，MAC地址为：00:11:22:33:44:5a，IP地址为："
                 u"192.168.1.199，请通过串口功能设置"_s);
        QCOMPARE(
            r.view.notices[1],
            u"两模块的MAC地址相同，MAC地址为：00:11:22:33:44:5a，IP地址分别为：192.168.1.199"_s +
                six + u"192.168.1.200，请通过串口功能设置"_s);
        QCOMPARE(
            r.view.notices[3],
            u"两模块的IP地址相同，IP地址为：192.168.1.199，MAC地址分别为：00:11:22:33:44:5a"_s +
                six + u"00:11:22:33:44:77"_s);
        QCOMPARE(r.view.modules.size(), 4);
        QCOMPARE(r.view.modules[1], r.view.modules[0]);
    }

    // A reply belongs to the adapter holding the address it was sent to,
    // whichever adapter it came in by; a module that answered the frames from
    // two addresses of one adapter is one module there, and is talked to
    // from the address it answered first.
    void repliesBelongToTheAddressTheyWereSentTo() {
        Rig r;
        NetworkAdapter second = Lan;
        second.address = ipOf(192, 168, 1, 11);
        r.adapters.list = {Lan, second, Lan2};
        r.proto.searchModules();
        const auto answer = [&](quint32 module, const QByteArray &mac, int arrival, quint32 to) {
            r.router.receive(Peer{module, atframe::ConfigPort, arrival, to},
                             atframe::buildReply(mac, "OK\r\n"));
        };
        answer(ModuleA, MacA, Lan.index, second.address);
        answer(ModuleA, MacA, Lan.index, Lan.address);
        answer(ModuleB, MacB, Lan.index, Lan2.address); // came in by the other adapter
        QCOMPARE(r.view.modules.size(), 2);
        QVERIFY(r.view.notices.isEmpty());
        const struct {
            int row;
            NetworkAdapter through;
            QByteArray mac;
        } expected[] = {{0, second, MacA}, {1, Lan2, MacB}};
        for (const auto &e : expected) {
            r.proto.selectModule(e.row);
            r.fire();
            QVERIFY(r.transport.sent.last().to == (Peer{atframe::Broadcast, atframe::ConfigPort,
                                                        e.through.index, e.through.address}));
            QCOMPARE(r.transport.sent.last().bytes, atframe::build(e.mac, e.through.mac, "AT"));
        }
    }

    // Modules are listed, checked for clashes and talked to per adapter: one
    // heard on two adapters is two modules, each reached through its own.
    void eachAdapterHasItsOwnModules() {
        Rig r;
        r.adapters.list = {Decoy, Lan, Lan2};
        QCOMPARE(r.proto.computerAdapter()->name, Decoy.name);
        r.proto.searchModules();
        r.reply(Decoy.address, Decoy.mac, "AT\r\n", Decoy); // our broadcast, heard back
        r.reply(ModuleA, MacA, "OK\r\n", Lan);
        r.reply(ModuleA, MacA, "OK\r\n", Lan2);
        r.reply(ModuleB, MacA, "OK\r\n", Lan2); // A's MAC behind the same adapter
        const QString a = u"192.168.1.199:00:11:22:33:44:5a"_s;
        QCOMPARE(r.view.modules, QStringList({a, a, u"192.168.1.200:00:11:22:33:44:5a"_s}));
        QCOMPARE(r.view.notices,
                 QStringList{u"两模块的MAC地址相同，MAC地址为：00:11:22:33:44:5a，IP地址分别为："
                             u"192.168.1.199      192.168.1.200，请通过串口功能设置"_s});

        for (const auto &[row, adapter, namesake] :
             {std::tuple{0, Lan, Lan2}, std::tuple{1, Lan2, Lan}}) {
            r.proto.selectModule(row);
            QCOMPARE(r.proto.computerAdapter()->name, adapter.name);
            r.fire();
            QVERIFY(r.transport.sent.last().to == (Peer{atframe::Broadcast, atframe::ConfigPort,
                                                        adapter.index, adapter.address}));
            QCOMPARE(r.transport.sent.last().bytes, atframe::build(MacA, adapter.mac, "AT"));
            r.view.memo.clear();
            r.reply(ModuleA, MacA, "OK\r\n", namesake);
            QVERIFY(r.view.memo.isEmpty());
            r.reply(ModuleA, MacA, "OK\r\n", adapter);
            QCOMPARE(r.view.memoTexts(), QStringList({indented(u"AT命令响应成功"_s), QString()}));
        }
        // The adapter chosen for the search stands for the computer.
        r.proto.setSearchAdapter(Decoy.name);
        QCOMPARE(r.proto.computerAdapter()->name, Decoy.name);
        r.proto.setSearchAdapter(u"wlan0"_s);
        QVERIFY(!r.proto.computerAdapter());
    }

    void fullTableListsNoMore() {
        Rig r;
        r.proto.searchModules();
        for (int i = 0; i < 257; ++i)
            r.reply(ipOf(10, 0, i / 256, i % 256), "m" + QByteArray::number(i), "OK\r\n");
        QCOMPARE(r.view.modules.size(), 256);
        QCOMPARE(r.store.ModuleCount, 256);
        QVERIFY(r.view.notices.isEmpty());
    }

    // While a duplicate warning is open, further replies arrive and the
    // transport reuses its buffer: the outer call must list what it received,
    // after what arrived meanwhile.
    void replyArrivingDuringDuplicateWarning() {
        Rig r;
        r.proto.searchModules();
        r.reply(ModuleA, MacA, "OK\r\n");
        QByteArray buffer = atframe::buildReply(MacA, "OK\r\n");
        bool nested = false;
        r.view.onNotice = [&] {
            if (std::exchange(nested, true))
                return;
            const QByteArray other = atframe::buildReply(MacB, "OK\r\n");
            QCOMPARE(other.size(), buffer.size());
            std::copy(other.begin(), other.end(), buffer.begin());
            r.router.receive(Peer{ModuleB, 5000, Lan.index}, buffer);
        };
        r.router.receive(Peer{ipOf(192, 168, 1, 9), 5000, Lan.index}, buffer);
        QCOMPARE(r.view.modules, QStringList({u"192.168.1.199:00:11:22:33:44:5a"_s,
                                              u"192.168.1.200:00:11:22:33:44:66"_s,
                                              u"192.168.1.9:00:11:22:33:44:5a"_s}));
        QCOMPARE(r.store.ModuleMAC[2], MacA);
    }

    // ---- the picked module's conversation ------------------------------

    void everyOperationNeedsAPickedModule() {
        Rig r;
        r.proto.searchModules();
        r.reply(ModuleA, MacA, "OK\r\n");
        r.transport.sent.clear();
        r.view.memo.clear();
        r.proto.selectModule(-1);
        r.proto.selectModule(1);
        QVERIFY(!r.proto.selectedSession());

        int operations = 3;
        r.proto.readAll();
        r.proto.restoreFactoryDefaults();
        r.proto.writeAll();
        for (int p = 0; p <= int(Parameter::Version); ++p) {
            const Parameter parameter = Parameter(p);
            r.proto.query(parameter);
            ++operations;
            if (parameter != Parameter::Version) {
                r.proto.set(parameter, r.view.parameterValue(parameter));
                ++operations;
            }
        }
        QCOMPARE(operations, 26);
        QCOMPARE(r.view.notices, QStringList(operations, SelectFirst));
        QCOMPARE(r.view.noticeKinds, QList<Notice>(operations, Notice::InputError));
        QVERIFY(r.transport.sent.isEmpty());
        QVERIFY(r.view.memo.isEmpty());
        QVERIFY(!r.proto.selectedSession());
    }

    void repliesAreReadOnlyFromTheAddressedModule() {
        Rig r;
        r.selectA(2);
        r.proto.query(Parameter::IP);
        r.reply(ModuleA, MacA, "+IP=10.0.0.1\r\n"); // before the query left
        r.fire();
        QCOMPARE(r.transport.sent.last().bytes, atframe::build(MacA, HostMac, "AT+IP=?"));
        r.reply(ModuleB, MacB, "+IP=10.9.9.9\r\n");           // the other module
        r.reply(ModuleA, MacB, "+IP=10.9.9.9\r\n");           // its MAC from A's address
        r.reply(ModuleA, MacA.toUpper(), "+IP=10.9.9.9\r\n"); // not the MAC text listed
        QCOMPARE(r.view.memoTexts(), QStringList{u"查询模块IP地址"_s});
        QCOMPARE(r.view.shownValue(Parameter::IP), u"192.168.1.199"_s);
        r.reply(ipOf(192, 168, 1, 77), MacA, "+IP=10.0.0.6\r\n"); // A's MAC from elsewhere
        QCOMPARE(r.view.shownValue(Parameter::IP), u"192.168.1.199"_s);
        r.reply(ModuleA, MacA, "+IP=10.0.0.5\r\n");
        QCOMPARE(r.view.shownValue(Parameter::IP), u"10.0.0.5"_s);

        // Picking B addresses B, and A's replies are no longer read.
        r.proto.selectModule(1);
        r.fire();
        QCOMPARE(r.transport.sent.last().bytes, atframe::build(MacB, HostMac, "AT"));
        r.view.memo.clear();
        r.reply(ModuleA, MacA, "OK\r\n");
        QVERIFY(r.view.memo.isEmpty());
        r.reply(ModuleB, MacB, "OK\r\n");
        QCOMPARE(r.view.memoTexts(), QStringList({indented(u"AT命令响应成功"_s), QString()}));
    }

    // What runs for one module does not carry over to the next one picked.
    void pickingAnotherModuleEndsTheFirstConversation() {
        Rig r;
        r.selectA(2);
        r.proto.selectModule(0);
        r.fire(); // A's handshake, never answered
        r.proto.selectModule(1);
        r.fire();
        QVERIFY(r.view.notices.isEmpty());
        QCOMPARE(r.transport.sent.last().bytes, atframe::build(MacB, HostMac, "AT"));

        r.proto.writeAll(); // B's work mode leaves
        r.proto.selectModule(0);
        r.proto.selectedSession()->stop(); // A's read-all is not what is looked at
        r.reply(ModuleB, MacB, "OK\r\n");
        r.space();
        r.proto.set(Parameter::IP, u"10.0.0.9"_s);
        r.reply(ModuleA, MacA, "OK\r\n");
        r.space();
        QCOMPARE(r.commands().last(3), QByteArrayList({"AT", "AT+MODEL=0", "AT+IP=10.0.0.9"}));
    }

    // ---- reports -----------------------------------------------------------

    void queryReports_data() {
        QTest::addColumn<Parameter>("parameter");
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("success");
        QTest::addColumn<QByteArray>("next"); // after a second, unasked report
        const auto row = [](const char *name, Parameter parameter, const char *query,
                            const QByteArray &payload, const QString &shown,
                            const char16_t *success, const char *next) {
            QTest::newRow(name) << parameter << QByteArray(query) << payload << shown
                                << QString::fromUtf16(success) << QByteArray(next);
        };
        using P = Parameter;
        const QByteArray name = "+NAME=" + gbk::encode(u"继电器"_s) + "\r\n";
        const QByteArray longName = "+NAME=" + QByteArray(19, 'n') + "\r\n";
        // clang-format off
        row("model", P::Model, "AT+MODEL=?", "+MODEL=2\r\n", u"#2"_s, u"查询工作模式成功",
            "AT+GATEWAY=?");
        row("model non-digit", P::Model, "AT+MODEL=?", "+MODEL=x\r\n",
            u"#"_s + QString::number('x' - '0'), u"查询工作模式成功", "AT+GATEWAY=?");
        row("model cut short", P::Model, "AT+MODEL=?", "+MODEL",
            u"#"_s + QString::number(quint8(0 - '0')), u"查询工作模式成功", "AT+GATEWAY=?");
        row("gateway", P::Gateway, "AT+GATEWAY=?", "+GATEWAY=10.0.0.1\r\n", u"10.0.0.1"_s,
            u"查询网关IP地址成功", "AT+MASK=?");
        row("mask", P::Mask, "AT+MASK=?", "+MASK=255.255.255.0\r\n", u"255.255.255.0"_s,
            u"查询子网掩码成功", "AT+IP=?");
        row("ip", P::IP, "AT+IP=?", "+IP=192.168.1.50\r\n", u"192.168.1.50"_s,
            u"查询模块IP地址成功", "AT+DIP=?");
        row("dip", P::DestinationIP, "AT+DIP=?", "+DIP=192.168.1.101\r\n", u"192.168.1.101"_s,
            u"查询模块目的IP地址成功", "AT+PORT=?");
        row("port", P::Port, "AT+PORT=?", "+PORT=5001\r\n", u"5001"_s, u"查询模块端口成功",
            "AT+DPORT=?");
        row("dport", P::DestinationPort, "AT+DPORT=?", "+DPORT=6001\r\n", u"6001"_s,
            u"查询模块目的端口成功", "AT+DCHP=?");
        row("dchp", P::Dhcp, "AT+DCHP=?", "+DCHP=1\r\n", u"#1"_s, u"查询模块DCHP模式成功",
            "AT+NAME=?");
        row("name gbk", P::DeviceName, "AT+NAME=?", name, u"继电器"_s, u"查询模块设备名称成功",
            "AT+MAC=?");
        row("mac", P::MAC, "AT+MAC=?", "+MAC=00:11:22:33:44:66\r\n", u"00:11:22:33:44:66"_s,
            u"查询模块MAC地址成功", "AT+VER=?");
        // The serial settings are in no sequence; a stray report goes on as
        // after the device name.
        row("uart", P::Uart, "AT+UART=?", "+UART=115200,9,3,2\r\n", u"115200,9,3,2"_s,
            u"查询模块串口参数成功", "AT+MAC=?");
        row("value without carriage return", P::IP, "AT+IP=?", "+IP=10.1.2.3", u"10.1.2.3"_s,
            u"查询模块IP地址成功", "AT+DIP=?");
        row("value of 19 bytes", P::DeviceName, "AT+NAME=?", longName, QString(19, u'n'),
            u"查询模块设备名称成功", "AT+MAC=?");
        row("keyword without value", P::Port, "AT+PORT=?", "+PORT", QString(),
            u"查询模块端口成功", "AT+DPORT=?");
        // clang-format on
    }

    // A single query stops after its report; a second report, unasked, moves
    // on as in a read-all.
    void queryReports() {
        QFETCH(Parameter, parameter);
        QFETCH(QByteArray, query);
        QFETCH(QByteArray, payload);
        QFETCH(QString, shown);
        QFETCH(QString, success);
        QFETCH(QByteArray, next);

        Rig r;
        r.selectA();
        r.proto.query(parameter);
        QCOMPARE(r.nextMs(), 50);
        QVERIFY(r.transport.sent.isEmpty());

        r.fire();
        QCOMPARE(r.transport.sent.size(), 1);
        QVERIFY(r.allBroadcast());
        QCOMPARE(r.transport.sent[0].bytes, atframe::build(MacA, HostMac, query));
        QCOMPARE(r.nextMs(), 150);

        r.reply(ModuleA, MacA, payload);
        QCOMPARE(r.view.shownValue(parameter), shown);
        QCOMPARE(r.view.memoTexts().mid(1), QStringList({indented(success), QString()}));
        QCOMPARE(r.nextMs(), 30);
        r.fire();
        QCOMPARE(r.transport.sent.size(), 1);

        r.reply(ModuleA, MacA, payload);
        r.fire();
        QCOMPARE(r.lastCommand(), next);
        QVERIFY(r.view.notices.isEmpty());
    }

    void malformedReportsAreRepeated_data() {
        QTest::addColumn<Parameter>("parameter");
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<QByteArray>("payload");
        using P = Parameter;
        // clang-format off
        QTest::newRow("value of 20 bytes") << P::DeviceName << QByteArray("AT+NAME=?")
            << "+NAME=" + QByteArray(20, 'n') + "\r\n";
        QTest::newRow("endless value") << P::Gateway << QByteArray("AT+GATEWAY=?")
            << "+GATEWAY=" + QByteArray(500, '1');
        QTest::newRow("baud of 7 bytes") << P::Uart << QByteArray("AT+UART=?")
            << QByteArray("+UART=1000000,8,1,0\r\n");
        QTest::newRow("uart without comma") << P::Uart << QByteArray("AT+UART=?")
            << QByteArray("+UART=115200\r\n");
        QTest::newRow("other keyword") << P::IP << QByteArray("AT+IP=?")
            << QByteArray("+DIP=1.2.3.4\r\n");
        QTest::newRow("empty payload") << P::Mask << QByteArray("AT+MASK=?") << QByteArray();
        // clang-format on
    }

    void malformedReportsAreRepeated() {
        QFETCH(Parameter, parameter);
        QFETCH(QByteArray, query);
        QFETCH(QByteArray, payload);
        Rig r;
        r.selectA();
        r.view.values.clear();
        r.proto.query(parameter);
        r.fire();
        r.reply(ModuleA, MacA, payload);
        QVERIFY(r.view.values.empty());
        QCOMPARE(r.view.memo.size(), 1); // the query's own line
        r.fire();
        QCOMPARE(r.commands(), QByteArrayList({query, query}));
        QVERIFY(r.view.notices.isEmpty());
    }

    void versionReport() {
        Rig r;
        r.selectA();
        r.proto.query(Parameter::Version);
        r.fire();
        QCOMPARE(r.lastCommand(), QByteArray("AT+VER=?"));
        const QByteArray version(40, 'v'); // not held to the 19-byte bound
        r.reply(ModuleA, MacA, "+VER=" + version + "\r\n");
        QCOMPARE(r.view.shownValue(Parameter::Version), QString::fromLatin1(version));
        QCOMPARE(r.view.memoTexts().mid(1),
                 QStringList({indented(u"读取版本号成功"_s),
                              u"版本号为： "_s + QString::fromLatin1(version), QString()}));
        QVERIFY(r.quiet());

        // A wrong answer to the version is not repeated.
        r.view.memo.clear();
        r.reply(ModuleA, MacA, "ERROR\r\n");
        QCOMPARE(r.view.memoTexts(), QStringList({indented(u"读取版本号失败"_s), QString()}));
        QVERIFY(r.quiet());
        QVERIFY(r.view.notices.isEmpty());
        QCOMPARE(r.commands(), QByteArrayList{"AT+VER=?"});
    }

    // The fourth wrong report in a row ends the read-all; a late right one,
    // read while the box is open, is shown but starts nothing.
    void fourthWrongReportStopsTheSequence() {
        Rig r;
        r.selectA();
        r.view.onNotice = [&] { r.reply(ModuleA, MacA, "+GATEWAY=1.1.1.1\r\n"); };
        r.proto.readAll();
        r.run([](const QByteArray &command) {
            return command == "AT+GATEWAY=?" ? QByteArray("ERROR\r\n") : wellBehaved(command);
        });
        QCOMPARE(r.commands(), ReadAllCommands.first(2) + QByteArrayList(4, "AT+GATEWAY=?"));
        QCOMPARE(r.view.notices, QStringList{u"连续3次应答错误"_s});
        QCOMPARE(r.view.noticeKinds, QList<Notice>{Notice::ProtocolEvent});
        QCOMPARE(r.view.memoTexts().last(4),
                 QStringList({indented(u"查询网关IP地址失败"_s), QString(),
                              indented(u"查询网关IP地址成功"_s), QString()}));
        QCOMPARE(r.view.shownValue(Parameter::Gateway), u"1.1.1.1"_s);
        QVERIFY(r.quiet());
    }

    void acceptedReportResetsTheRepeatCount() {
        Rig r;
        r.selectA();
        int gatewayAsked = 0;
        int maskAsked = 0;
        r.proto.readAll();
        r.run([&](const QByteArray &command) {
            if ((command == "AT+GATEWAY=?" && gatewayAsked++ < 1) ||
                (command == "AT+MASK=?" && maskAsked++ < 3))
                return QByteArray("ERROR\r\n");
            return wellBehaved(command);
        });
        QVERIFY(r.view.notices.isEmpty());
        QCOMPARE(r.commands().size(), ReadAllCommands.size() + 1 + 3);
        QCOMPARE(r.view.shownValue(Parameter::Version), u"V2.05"_s);
    }

    // ---- read-all ----------------------------------------------------------

    void readAllReadsEveryParameterInOrder() {
        Rig r;
        r.selectA();
        r.proto.query(Parameter::Mask); // a single query never answered
        r.fire();
        r.transport.sent.clear();
        r.view.memo.clear();
        r.proto.readAll();
        QCOMPARE(r.nextMs(), 30);
        r.run(wellBehaved);
        QCOMPARE(r.commands(), ReadAllCommands);
        QVERIFY(r.quiet());
        using P = Parameter;
        const std::map<P, QString> expected = {{P::Model, u"#1"_s},
                                               {P::Gateway, u"10.0.0.1"_s},
                                               {P::Mask, u"255.255.255.0"_s},
                                               {P::IP, u"10.0.0.50"_s},
                                               {P::DestinationIP, u"10.0.0.2"_s},
                                               {P::Port, u"5001"_s},
                                               {P::DestinationPort, u"6001"_s},
                                               {P::Dhcp, u"#1"_s},
                                               {P::DeviceName, u"relay"_s},
                                               {P::MAC, u"00:11:22:33:44:5a"_s},
                                               {P::Version, u"V2.05"_s},
                                               {P::Uart, u"9600,8,1,0"_s}};
        for (const auto &[parameter, value] : expected)
            QCOMPARE(r.view.shownValue(parameter), value);
        const QStringList memo = r.view.memoTexts();
        QCOMPARE(memo.first(3),
                 QStringList({u"发送AT命令"_s, indented(u"AT命令响应成功"_s), QString()}));
        QCOMPARE(memo.last(3),
                 QStringList({indented(u"读取版本号成功"_s), u"版本号为： V2.05"_s, QString()}));
        QCOMPARE(memo.size(), 12 * 3 + 1);
        QVERIFY(r.view.notices.isEmpty());
    }

    // The same read-all paced by the real timer and answered from the event
    // loop, as the window runs it.
    void readAllOnTheRealTimer() {
        Rig r(true);
        r.selectA();
        QObject context;
        r.proto.selectModule(0);
        for (int sent = 0; sent < 12; ++sent) {
            QTRY_COMPARE_WITH_TIMEOUT(r.transport.sent.size(), sent + 1, 5000);
            const QByteArray answer = wellBehaved(r.lastCommand());
            QTimer::singleShot(1, &context, [&r, answer] { r.reply(ModuleA, MacA, answer); });
        }
        QTRY_COMPARE_WITH_TIMEOUT(r.view.shownValue(Parameter::Version), u"V2.05"_s, 5000);
        QCOMPARE(r.commands(), ReadAllCommands);
        QCOMPARE(r.view.shownValue(Parameter::Version), u"V2.05"_s);
        QVERIFY(r.view.notices.isEmpty());
    }

    void timeOuts_data() {
        QTest::addColumn<bool>("readAll"); // or a single query of the mask
        QTest::addColumn<int>("answered"); // frames the module answers
        QTest::addColumn<bool>("open");
        QTest::addColumn<QByteArrayList>("commands");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<int>("firings");
        const int limit = ModuleSession::SilentFiringsLimit;
        QTest::newRow("silent handshake")
            << true << 0 << true << QByteArrayList{"AT"} << u"应答超时"_s << 2;
        QTest::newRow("silent after the handshake")
            << true << 1 << true << QByteArrayList{"AT", "AT+MODEL=?"} << u"应答超时"_s
            << 2 + limit;
        QTest::newRow("silent single query")
            << false << 0 << true << QByteArrayList{"AT+MASK=?"} << u"应答超时"_s << 1 + limit;
        QTest::newRow("answered single query idles")
            << false << 1 << true << QByteArrayList{"AT+MASK=?"} << QString() << 5 * limit;
        QTest::newRow("transport closed")
            << true << 0 << false << QByteArrayList() << u"UDP没建立"_s << 1;
    }

    void timeOuts() {
        QFETCH(bool, readAll);
        QFETCH(int, answered);
        QFETCH(bool, open);
        QFETCH(QByteArrayList, commands);
        QFETCH(QString, notice);
        QFETCH(int, firings);
        Rig r;
        r.selectA();
        if (!open)
            r.transport.close();
        if (readAll)
            r.proto.readAll();
        else
            r.proto.query(Parameter::Mask);
        int frames = 0;
        const int fired = r.run(
            [&](const QByteArray &command) {
                return ++frames <= answered ? wellBehaved(command) : QByteArray();
            },
            5 * ModuleSession::SilentFiringsLimit);
        QCOMPARE(fired, firings);
        QCOMPARE(r.commands(), commands);
        QCOMPARE(r.view.notices, notice.isEmpty() ? QStringList() : QStringList{notice});
        QCOMPARE(r.nextMs() >= 0, notice.isEmpty()); // an idling sequencer waits on
    }

    void replyDuringTimeOutBox() {
        Rig r;
        r.selectA();
        r.proto.readAll();
        r.fire();
        r.view.onNotice = [&] { r.reply(ModuleA, MacA, "OK\r\n"); };
        r.fire();
        QCOMPARE(r.view.notices, QStringList{u"应答超时"_s});
        QCOMPARE(r.view.memoTexts().last(2),
                 QStringList({indented(u"AT命令响应成功"_s), QString()}));
        QVERIFY(r.quiet());
        QCOMPARE(r.commands(), QByteArrayList{"AT"});
    }

    // ---- factory default -------------------------------------------------

    void factoryDefaultThenReadAllAfterTwoSeconds() {
        Rig r;
        r.selectA();
        r.proto.restoreFactoryDefaults();
        QCOMPARE(r.transport.sent.size(), 1);
        QCOMPARE(r.transport.sent[0].bytes, atframe::build(MacA, HostMac, "AT+DEFAULT"));
        QCOMPARE(r.view.memoTexts(), QStringList{u"设置模块出厂默认参数"_s});
        QVERIFY(r.quiet());

        r.reply(ModuleA, MacA, "OK\r\n");
        QCOMPARE(r.nextMs(), 2000);
        QCOMPARE(r.view.memoTexts().mid(1),
                 QStringList({indented(u"恢复出厂设置命令响应成功"_s), QString()}));
        r.run(wellBehaved);
        QCOMPARE(r.commands(), QByteArrayList{"AT+DEFAULT"} + ReadAllCommands);
    }

    void refusedFactoryDefaultIsRepeated() {
        Rig r;
        r.selectA();
        r.proto.restoreFactoryDefaults();
        r.reply(ModuleA, MacA, "ERROR\r\n");
        r.fire();
        QCOMPARE(r.lastCommand(), QByteArray("AT+DEFAULT"));
        QCOMPARE(r.view.memoTexts().last(), u"发送恢复出厂设置命令"_s);
        for (int i = 0; i < 2; ++i) {
            r.reply(ModuleA, MacA, "ERROR\r\n");
            r.fire();
        }
        QCOMPARE(r.commands(), QByteArrayList(4, "AT+DEFAULT"));
        QVERIFY(r.view.notices.isEmpty());
        r.reply(ModuleA, MacA, "ERROR\r\n");
        QCOMPARE(r.view.notices, QStringList{u"连续3次应答错误"_s});
        QCOMPARE(r.view.memoTexts().last(2),
                 QStringList({indented(u"恢复出厂设置命令响应失败"_s), QString()}));
        // A repeat that is not answered at once times out like the handshake.
        r.proto.restoreFactoryDefaults();
        r.reply(ModuleA, MacA, "ERROR\r\n");
        r.fire();
        r.fire();
        QCOMPARE(r.view.notices.last(), u"应答超时"_s);
    }

    // ---- settings --------------------------------------------------------

    void settings_data() {
        QTest::addColumn<Parameter>("parameter");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("ok");
        QTest::addColumn<QString>("fail");
        const auto row = [](const char *name, Parameter parameter, const char *command,
                            const char16_t *log, const char16_t *ok, const char16_t *fail) {
            QTest::newRow(name) << parameter << QByteArray(command) << QString::fromUtf16(log)
                                << QString::fromUtf16(ok) << QString::fromUtf16(fail);
        };
        using P = Parameter;
        // clang-format off
        row("model", P::Model, "AT+MODEL=0", u"设置模块工作模式", u"设置工作模式成功",
            u"设置工作模式失败");
        row("gateway", P::Gateway, "AT+GATEWAY=192.168.1.1", u"设置网关IP地址", u"设置网关IP成功",
            u"设置网关IP失败");
        row("mask", P::Mask, "AT+MASK=192.168.0.1", u"设置子网掩码", u"设置子网掩码成功",
            u"设置子网掩码失败");
        row("ip", P::IP, "AT+IP=192.168.1.199", u"设置模块IP地址", u"设置模块IP成功",
            u"设置模块IP失败");
        row("dip", P::DestinationIP, "AT+DIP=192.168.1.100", u"设置目的IP", u"设置模块目的IP成功",
            u"设置模块目的IP失败");
        row("port", P::Port, "AT+PORT=5000", u"设置模块端口号", u"设置模块端口成功",
            u"设置模块端口失败");
        row("dport", P::DestinationPort, "AT+DPORT=6000", u"设置目的端口号",
            u"设置模块目的端口成功", u"设置模块目的端口失败");
        row("mac", P::MAC, "AT+MAC=", u"设置模块MAC地址", u"设置模块MAC地址成功",
            u"设置模块MAC地址失败");
        row("uart", P::Uart, "AT+UART=9600,8,1,0", u"设置模块串口参数", u"设置模块串口参数成功",
            u"设置模块串口参数失败");
        row("dchp", P::Dhcp, "AT+DCHP=0", u"设置DCHP模式", u"设置DCHP模式成功", u"设置DCHP模式失败");
        row("name", P::DeviceName, "AT+NAME=", u"设置模块设备名称", u"设置模块设备名称成功",
            u"设置模块设备名称失败");
        // clang-format on
    }

    void settings() {
        QFETCH(Parameter, parameter);
        QFETCH(QByteArray, command);
        QFETCH(QString, log);
        QFETCH(QString, ok);
        QFETCH(QString, fail);

        Rig r;
        r.selectA();
        r.proto.set(parameter, r.view.parameterValue(parameter));
        QCOMPARE(r.transport.sent.size(), 1);
        QVERIFY(r.allBroadcast());
        QCOMPARE(r.transport.sent[0].bytes, atframe::build(MacA, HostMac, command));
        QCOMPARE(r.view.memoTexts(), QStringList{log});

        // A device name holding "OK" is an "OK": the test is a substring test.
        r.reply(ModuleA, MacA, "+NAME=OKAY\r\n");
        QCOMPARE(r.view.memoTexts().mid(1), QStringList({indented(ok), QString()}));
        QVERIFY(r.quiet());
        QVERIFY(r.view.notices.isEmpty());

        r.view.memo.clear();
        r.proto.set(parameter, r.view.parameterValue(parameter));
        // After a MAC setting the module goes by its new MAC text.
        r.reply(ModuleA, r.proto.selectedSession()->moduleMac(), "ERROR\r\n");
        QCOMPARE(r.view.memoTexts().mid(1), QStringList({indented(fail), QString()}));
        QCOMPARE(r.transport.sent.size(), 2);
    }

    void settingValues_data() {
        QTest::addColumn<Parameter>("parameter");
        QTest::addColumn<ParameterValue>("value");
        QTest::addColumn<QByteArray>("command");
        const auto row = [](const char *name, Parameter parameter, const ParameterValue &value,
                            const QByteArray &command) {
            QTest::newRow(name) << parameter << value << command;
        };
        using P = Parameter;
        const QString seven = u"一二三四五六七"_s;
        // clang-format off
        row("uart 115200 9 2 even", P::Uart, UartSettings{u"115200"_s, u"9"_s, 3, 2},
            "AT+UART=115200,9,3,2");
        row("uart data bits first character", P::Uart, UartSettings{u"9600"_s, u"8 bits"_s, 1, 0},
            "AT+UART=9600,8,1,0");
        row("udp server", P::Model, 3, "AT+MODEL=3");
        row("dhcp open", P::Dhcp, 1, "AT+DCHP=1");
        row("ip as typed", P::IP, u" not an ip "_s, "AT+IP= not an ip ");
        row("mac as typed", P::MAC, u"AA:BB:CC:DD:EE:FF"_s, "AT+MAC=AA:BB:CC:DD:EE:FF");
        row("seven chinese characters", P::DeviceName, seven, "AT+NAME=" + gbk::encode(seven));
        row("fifteen bytes", P::DeviceName, QString(15, u'n'), "AT+NAME=" + QByteArray(15, 'n'));
        row("longest gateway that fits", P::Gateway, QString(47, u'1'),
            "AT+GATEWAY=" + QByteArray(47, '1'));
        // clang-format on
    }

    void settingValues() {
        QFETCH(Parameter, parameter);
        QFETCH(ParameterValue, value);
        QFETCH(QByteArray, command);
        Rig r;
        r.selectA();
        r.proto.set(parameter, value);
        QVERIFY(r.view.notices.isEmpty());
        QCOMPARE(r.transport.sent.last().bytes, atframe::build(MacA, HostMac, command));
    }

    void refusedSettings_data() {
        QTest::addColumn<Parameter>("parameter");
        QTest::addColumn<ParameterValue>("value");
        QTest::addColumn<bool>("picked");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, Parameter parameter, const ParameterValue &value,
                            const QString &message, bool picked = true) {
            QTest::newRow(name) << parameter << value << picked << message;
        };
        const auto uart = [](const QString &dataBits, int stop, int parity) {
            return UartSettings{u"9600"_s, dataBits, stop, parity};
        };
        using P = Parameter;
        // clang-format off
        row("model typed", P::Model, -1, NoItem);
        row("model beyond a digit", P::Model, 10, NoItem);
        row("dhcp typed", P::Dhcp, -1, NoItem);
        row("stop bits typed", P::Uart, uart(u"8"_s, -1, 0), NoItem);
        row("parity typed", P::Uart, uart(u"8"_s, 1, -1), NoItem);
        row("empty data bits", P::Uart, uart(QString(), 1, 0), NoItem);
        row("eight chinese characters", P::DeviceName, u"一二三四五六七八"_s, NameLimit);
        row("sixteen bytes", P::DeviceName, QString(16, u'n'), NameLimit);
        row("sixteen bytes before a module is picked", P::DeviceName, QString(16, u'n'), NameLimit,
            false);
        row("gateway one byte too long", P::Gateway, QString(48, u'1'), TooLong);
        row("pasted novel", P::DestinationIP, QString(5000, u'x'), TooLong);
        // clang-format on
    }

    void refusedSettings() {
        QFETCH(Parameter, parameter);
        QFETCH(ParameterValue, value);
        QFETCH(bool, picked);
        QFETCH(QString, message);
        Rig r;
        if (picked) {
            r.selectA();
        } else {
            r.proto.searchModules();
            r.transport.sent.clear();
            r.view.memo.clear();
        }
        r.proto.set(parameter, value);
        QVERIFY(r.transport.sent.isEmpty());
        QVERIFY(r.view.memo.isEmpty());
        QCOMPARE(r.view.notices, QStringList{message});
        QCOMPARE(r.view.noticeKinds, QList<Notice>{Notice::InputError});
        QVERIFY(r.quiet());
        QVERIFY(!r.view.memoTexts().contains(u"模块内部数据已被更改，请稍后重新搜索!"_s));
    }

    void destinationIPWatchdog() {
        Rig r;
        r.selectA();
        r.proto.set(Parameter::DestinationIP, u"10.0.0.2"_s);
        r.clock.advance(3999);
        QCOMPARE(r.view.memo.size(), 1);
        r.clock.advance(4001);
        QCOMPARE(r.view.memoTexts().mid(1),
                 QStringList(2, u"模块内部数据已被更改，请稍后重新搜索!"_s));
        r.reply(ModuleA, MacA, "ERROR\r\n");
        r.view.memo.clear();
        r.clock.advance(8000);
        QCOMPARE(r.view.memoTexts(), QStringList());
    }

    // The module may sign its "OK" with the address it had or the new one.
    void confirmedMACRenamesTheModule_data() {
        QTest::addColumn<bool>("signedWithNew");
        QTest::newRow("signed with the old MAC") << false;
        QTest::newRow("signed with the new MAC") << true;
    }

    void confirmedMACRenamesTheModule() {
        QFETCH(bool, signedWithNew);
        Rig r;
        r.selectA(2); // A picked, B is the last entry
        const QByteArray newMac = "00:11:22:33:44:99";
        r.proto.set(Parameter::MAC, QString::fromLatin1(newMac));
        r.view.values[Parameter::MAC] = u"edited meanwhile"_s;
        r.reply(ModuleA, signedWithNew ? newMac : MacA, "OK\r\n");
        QCOMPARE(r.store.ModuleMAC[0], newMac);
        QCOMPARE(r.store.ModuleMAC[1], MacB);
        QCOMPARE(r.view.modules, QStringList({u"192.168.1.199:00:11:22:33:44:99"_s,
                                              u"192.168.1.200:00:11:22:33:44:66"_s}));
        r.proto.set(Parameter::IP, u"10.0.0.9"_s);
        QVERIFY(r.transport.sent.last().bytes.startsWith("<" + newMac + ">"));
    }

    // ---- write-all ---------------------------------------------------------

    void writeAllWritesTenSettingsInOrder() {
        Rig r;
        r.selectA();
        r.proto.writeAll();
        for (int i = 0; i < 20; ++i) {
            r.reply(ModuleA, MacA, "OK\r\n");
            r.space();
        }
        QByteArrayList keys;
        for (const QByteArray &c : r.commands())
            keys << c.left(c.indexOf('='));
        QCOMPARE(keys, QByteArrayList({"AT+MODEL", "AT+GATEWAY", "AT+MASK", "AT+IP", "AT+DIP",
                                       "AT+PORT", "AT+DPORT", "AT+DCHP", "AT+NAME", "AT+MAC"}));
        QStringList logs;
        const QStringList memo = r.view.memoTexts();
        for (qsizetype i = 0; i < memo.size(); i += 3)
            logs << memo[i];
        QCOMPARE(logs, QStringList({u"设置模块工作模式"_s, u"设置网关IP地址"_s, u"设置子网掩码"_s,
                                    u"设置模块IP地址"_s, u"设置目的IP"_s, u"设置模块端口号"_s,
                                    u"设置目的端口号"_s, u"设置DCHP模式"_s, u"设置模块设备名称"_s,
                                    u"设置模块MAC地址"_s}));
    }

    // Each row answers the work mode "OK", then does something before the
    // next step is due.
    void writeAllStops_data() {
        QTest::addColumn<QByteArray>("then");
        QTest::addColumn<QByteArrayList>("commands");
        QTest::newRow("refused step") << QByteArray("refused") << QByteArrayList{"AT+MODEL=0"};
        QTest::newRow("answered twice")
            << QByteArray("twice") << QByteArrayList{"AT+MODEL=0", "AT+GATEWAY=192.168.1.1"};
        QTest::newRow("user's own setting")
            << QByteArray("setting") << QByteArrayList{"AT+MODEL=0", "AT+IP=10.0.0.9"};
        QTest::newRow("overlong name")
            << QByteArray("name") << QByteArrayList{"AT+MODEL=0", "AT+GATEWAY=192.168.1.1"};
    }

    void writeAllStops() {
        QFETCH(QByteArray, then);
        QFETCH(QByteArrayList, commands);
        Rig r;
        r.selectA();
        r.proto.writeAll();
        r.reply(ModuleA, MacA, then == "refused" ? "ERROR\r\n" : "OK\r\n");
        if (then == "twice")
            r.reply(ModuleA, MacA, "OK\r\n"); // not the gateway's answer
        if (then == "setting")
            r.proto.set(Parameter::IP, u"10.0.0.9"_s);
        if (then == "name")
            r.view.values[Parameter::DeviceName] = QString(16, u'n');
        r.space();
        QCOMPARE(r.commands(), commands);
        // One answer read for the work mode, whatever came.
        const QString result = then == "refused" ? u"设置工作模式失败"_s : u"设置工作模式成功"_s;
        QCOMPARE(r.view.memoTexts().filter(u"工作模式"_s),
                 QStringList({u"设置模块工作模式"_s, indented(result)}));
        if (then == "name") {
            for (int i = 0; i < 8; ++i) {
                r.reply(ModuleA, MacA, "OK\r\n");
                r.space();
            }
            QCOMPARE(r.lastCommand(), QByteArray("AT+DCHP=0"));
            QCOMPARE(r.view.notices, QStringList{NameLimit});
        }
    }

    void uartOkDuringWriteAllGoesOnWithMAC() {
        Rig r;
        r.selectA();
        r.proto.writeAll();
        r.proto.set(Parameter::Uart, r.view.parameterValue(Parameter::Uart));
        r.reply(ModuleA, MacA, "OK\r\n");
        r.space();
        QCOMPARE(r.lastCommand(), QByteArray("AT+MAC="));
    }

    // Whatever a network delivers, under whatever the picked module's
    // conversation awaits: nothing is read outside the datagram (the
    // sanitizer build watches), the table stays within its bounds, and only
    // the tool's own notices appear.
    void hostileDatagrams() {
        static const char *const keywords[] = {"+MODEL", "+GATEWAY", "+MASK", "+IP",    "+DIP",
                                               "+PORT",  "+DPORT",   "+UART", "+MAC",   "+DCHP",
                                               "+NAME",  "+VER",     "OK",    "+UART=", ","};
        // Write-all may go on to a setting whose field a hostile report has
        // filled with something no frame can carry: refusing it is right.
        const QStringList known = {u"连续3次应答错误"_s, u"应答超时"_s, NoItem, NameLimit, TooLong};
        QRandomGenerator random(20261208);
        Rig r;
        r.selectA();
        r.view.onNotice = [&] {
            const QString &text = r.view.notices.last();
            QVERIFY2(known.contains(text), qPrintable(text));
        };
        for (int round = 0; round < 4000; ++round) {
            // Each round answers a fresh frame to the picked module.
            const auto parameter = Parameter(random.bounded(int(Parameter::Version) + 1));
            switch (random.bounded(5)) {
            case 0:
                r.proto.query(parameter);
                r.fire();
                break;
            case 1:
                r.proto.set(parameter, r.view.parameterValue(parameter));
                break;
            case 2:
                r.proto.readAll();
                r.fire();
                break;
            case 3:
                r.proto.restoreFactoryDefaults();
                break;
            default:
                r.proto.writeAll();
                break;
            }
            QByteArray datagram;
            const int shape = random.bounded(4);
            if (shape > 0) // a header, then a keyword, then noise
                datagram = "<" + r.proto.selectedSession()->moduleMac() + ">,";
            if (shape > 1)
                datagram += keywords[random.bounded(int(std::size(keywords)))];
            const int noise = random.bounded(shape == 3 ? 600 : 40);
            for (int i = 0; i < noise; ++i)
                datagram += char(random.bounded(256));
            const quint32 sender = random.bounded(8) == 0 ? HostIp : ModuleA;
            r.router.receive(Peer{sender, quint16(random.bounded(65536)), Lan.index}, datagram);
            r.space();
            QVERIFY(r.store.ModuleCount >= 0 && r.store.ModuleCount <= ModuleTable::MaxModules);
            // A report never grows a field beyond what a module may report.
            for (const auto &[shownParameter, value] : r.view.values)
                QVERIFY2(shownParameter == Parameter::Version || shown(value).size() < 600,
                         qPrintable(shown(value).left(40)));
        }
        QVERIFY(!r.transport.sent.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstConfigProtocol)
#include "tst_configprotocol.moc"
