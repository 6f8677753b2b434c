// The configuration controller against a recording view and a recording
// socket: frames on the wire, memo lines, message boxes and the state left
// behind, for the search, the interpreter, the read sequencer and the buttons.
#include "atframe.h"
#include "cmsocket.h"
#include "configprotocol.h"
#include "gbk.h"
#include "mainstate.h"
#include "mylib.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

#include <map>
#include <memory>

using namespace Qt::StringLiterals;

using Handler = void (ConfigProtocol::*)();
Q_DECLARE_METATYPE(Handler)
Q_DECLARE_METATYPE(ConfigControl)

namespace {

quint32 ipOf(int a, int b, int c, int d) {
    return quint32(a) | quint32(b) << 8 | quint32(c) << 16 | quint32(d) << 24;
}

const quint32 ModuleA = ipOf(192, 168, 1, 199);
const quint32 ModuleB = ipOf(192, 168, 1, 200);
const QByteArray MacA = "00:11:22:33:44:55";
const QByteArray MacB = "00:11:22:33:44:66";
const QByteArray HostMac = "00:0c:29:aa:bb:cc";

struct SentFrame {
    quint32 ip;
    quint16 port;
    QByteArray bytes;
    qint64 at;
};

// Stands in for the network: records every datagram, opens on request.
class FakeSocket : public TcmSocket {
public:
    using TcmSocket::SendTo;

    bool openSucceeds = true;
    int closes = 0;
    QList<SentFrame> sent;
    const qint64 *clock = nullptr;

    void Open() override { m_Active = openSucceeds; }
    void Close() override {
        ++closes;
        m_Active = false;
    }
    bool SendTo(quint32 ip, quint16 port, const char *data, int len) override {
        sent.append({ip, port, QByteArray(data, len), clock ? *clock : 0});
        return true;
    }

    QByteArrayList commands() const {
        QByteArrayList list;
        for (const SentFrame &f : sent)
            list << atframe::parseFrame(f.bytes).command;
        return list;
    }
};

struct Message {
    ConfigView::MessageKind kind;
    QString caption;
    QString text;
};

class FakeView : public ConfigView {
public:
    std::map<ConfigControl, QString> texts;
    std::map<ConfigControl, int> indexes;
    QStringList memo;
    QStringList modules;
    QList<Message> messages;
    QList<bool> enabled;
    // Runs while a message box is "open", as the modal loop would.
    std::function<void(const Message &)> onMessage;

    QString controlText(ConfigControl c) const override {
        const auto it = texts.find(c);
        return it == texts.end() ? QString() : it->second;
    }
    void setControlText(ConfigControl c, const QString &text) override { texts[c] = text; }
    int itemIndex(ConfigControl c) const override {
        const auto it = indexes.find(c);
        return it == indexes.end() ? -1 : it->second;
    }
    void setItemIndex(ConfigControl c, int index) override { indexes[c] = index; }
    void appendMemoLine(const QString &line) override { memo << line; }
    void clearModuleList() override { modules.clear(); }
    void appendModuleLine(const QString &line) override { modules << line; }
    void replaceModuleLine(int row, const QString &line) override { modules[row] = line; }
    void showMessage(MessageKind kind, const QString &caption, const QString &text) override {
        messages.append({kind, caption, text});
        if (onMessage)
            onMessage(messages.last());
    }
    void enableConfigControls(bool on) override { enabled << on; }

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

const QString NoItem = u"<no item>"_s;

QString indented(const QString &text) {
    return QString(10, u' ') + text;
}

// Everything the controller is wired to, with the window's design values.
struct Rig {
    TMYCLASS store;
    TMainState state;
    FakeSocket socket;
    QTimer timerRead;
    QTimer timerOut;
    FakeView view;
    ConfigProtocol proto{store, state, socket, timerRead, timerOut, view};
    qint64 now = 0;
    QList<int> pauses;

    Rig() {
        timerRead.setInterval(1000);
        timerOut.setInterval(4000);
        socket.clock = &now;
        const QDateTime base(QDate(2024, 5, 6), QTime(10, 0));
        proto.setClock([this, base] { return base.addMSecs(now); });
        proto.setPause([this](int ms) {
            pauses << ms;
            now += ms;
        });
        proto.setDelay([this](int ms, const std::function<void()> &then) {
            pauses << ms;
            now += ms;
            then();
        });
        using C = ConfigControl;
        view.indexes = {
            {C::Cmb_Model, 0}, {C::DCHP_Model, 0}, {C::Cmb_StopBit, 1}, {C::Cmb_Parity, 0}};
        view.texts = {{C::Edt_GATEWAY, u"192.168.1.1"_s}, {C::Edt_MASK, u"192.168.0.1"_s},
                      {C::Edt_IP, u"192.168.1.199"_s},    {C::Edt_DIP, u"192.168.1.100"_s},
                      {C::Edt_Port, u"5000"_s},           {C::Edt_DPort, u"6000"_s},
                      {C::Cmb_Baud, u"9600"_s},           {C::Cmb_DataBit, u"8"_s}};
    }

    void search() {
        proto.But_UDPFindClick();
        // The host's real MAC is whatever this machine has; frames below are
        // checked against a known one.
        store.LocalMAC = HostMac;
    }
    void reply(quint32 ip, const QByteArray &mac, const QByteArray &payload) {
        proto.MySocketReceive(ip, 5000, atframe::buildReply(mac, payload));
    }
    // Two modules found, the first picked; the read-all it starts is stopped
    // after its first frame so each test starts from a quiet selected module
    // that has been addressed.
    void selectA(int modules = 1, const QByteArray &macA = MacA) {
        search();
        reply(ModuleA, macA, "OK\r\n");
        if (modules > 1)
            reply(ModuleB, MacB, "OK\r\n");
        proto.ListBoxIPClick(0);
        proto.TimerReadTimer();
        timerRead.stop();
        store.PendingCommand = 100;
        store.AwaitingReply = 0;
        socket.sent.clear();
        view.memo.clear();
    }
    QByteArray lastCommand() const {
        return socket.sent.isEmpty() ? QByteArray()
                                     : atframe::parseFrame(socket.sent.last().bytes).command;
    }

    // Fires the sequencer until it stops, letting `module` answer each frame
    // (a null answer is silence).
    void run(const std::function<QByteArray(const QByteArray &)> &module, int maxTicks = 200) {
        for (int i = 0; i < maxTicks && timerRead.isActive(); ++i) {
            const qsizetype before = socket.sent.size();
            proto.TimerReadTimer();
            if (socket.sent.size() > before) {
                const QByteArray answer = module(lastCommand());
                if (!answer.isNull())
                    reply(ModuleA, MacA, answer);
            }
        }
    }
};

// A module that answers every query of the read-all.
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
        {"AT+MAC=?", "+MAC=00:11:22:33:44:55\r\n"},
        {"AT+VER=?", "+VER=V2.05\r\n"},
        {"AT+UART=?", "+UART=115200,8,1,0\r\n"},
    };
    const auto it = answers.find(command);
    return it == answers.end() ? QByteArray("OK\r\n") : it->second;
}

} // namespace

class TstConfigProtocol : public QObject {
    Q_OBJECT

private slots:
    // ---- frames and memo format ------------------------------------------

    void queryFrameBytes() {
        Rig r;
        r.selectA();
        r.proto.But_IPCheckClick();
        r.proto.TimerReadTimer();
        QCOMPARE(r.socket.sent.size(), 1);
        const SentFrame &f = r.socket.sent.first();
        QCOMPARE(f.ip, 0xFFFFFFFFu);
        QCOMPARE(f.port, quint16(5000));
        QCOMPARE(f.bytes, QByteArray("<00:11:22:33:44:55>,<00:0c:29:aa:bb:cc>,AT+IP=?\r\n"));
        QCOMPARE(f.bytes.size(), 49);
    }

    void infoLineStamp() {
        const QLocale locale = QLocale::system();
        const QDate day(2024, 5, 6);
        const QDateTime midnight(day, QTime(0, 0));
        QCOMPARE(ConfigProtocol::infoLine(midnight, u"x"_s),
                 locale.toString(day, QLocale::ShortFormat) + u": x"_s);
        const QDateTime later(day, QTime(9, 5, 3));
        const QString line = ConfigProtocol::infoLine(later, u"发送AT命令"_s);
        QVERIFY2(line.startsWith(locale.toString(day, QLocale::ShortFormat) + u' '),
                 qPrintable(line));
        QVERIFY2(line.endsWith(u"05:03: 发送AT命令"_s), qPrintable(line));
        // Local time without a zone name.
        QVERIFY2(!line.contains(later.timeZoneAbbreviation()), qPrintable(line));
    }

    // ---- search and module list ------------------------------------------

    void searchOpensSocketAndBroadcasts() {
        Rig r;
        r.socket.Open(); // a console left it open
        r.state.holder = SocketHolder::Console;
        r.state.lastPeer.ip = 7;
        r.state.lastPeer.port = 7;
        r.view.modules << u"stale"_s;
        r.proto.But_UDPFindClick();

        QCOMPARE(r.socket.closes, 1);
        QCOMPARE(r.pauses, QList<int>{100});
        QVERIFY(r.socket.Active());
        QCOMPARE(r.socket.Protocol, cmUDP);
        QCOMPARE(r.socket.LocalHost, TMYCLASS::IPToText(r.store.LocalIP));
        QCOMPARE(r.socket.LocalPort, 5000);
        QCOMPARE(r.socket.RemoteHost, u"0"_s);
        QCOMPARE(r.socket.RemotePort, 0);
        QCOMPARE(r.store.LocalIPText, TMYCLASS::IPToText(r.store.LocalIP));
        QCOMPARE(r.state.holder, SocketHolder::Configuration);
        QCOMPARE(r.state.lastPeer.ip, 0u);
        QCOMPARE(r.state.lastPeer.port, quint16(0));
        QCOMPARE(r.view.enabled, QList<bool>{true});
        QVERIFY(r.view.modules.isEmpty());
        QCOMPARE(r.store.SelectedIndex, -1);
        QCOMPARE(r.store.PendingCommand, quint16(0));
        QCOMPARE(r.socket.sent.size(), 1);
        QCOMPARE(r.socket.sent[0].ip, 0xFFFFFFFFu);
        QCOMPARE(r.socket.sent[0].port, quint16(5000));
        QCOMPARE(r.socket.sent[0].bytes, "<00:00:00:00:00:00>,<" + r.store.LocalMAC + ">,AT\r\n");
        QCOMPARE(r.view.memo, QStringList{u"现在切换到设置模式"_s});
    }

    void searchWithSocketThatWillNotOpen() {
        Rig r;
        r.socket.openSucceeds = false;
        r.proto.But_UDPFindClick();
        QVERIFY(r.socket.sent.isEmpty());
        QCOMPARE(r.store.PendingCommand, quint16(100));
        QCOMPARE(r.view.enabled, QList<bool>{true});
        QCOMPARE(r.view.memo, QStringList{u"现在切换到设置模式"_s});
    }

    void searchListsRepliesInArrivalOrderAndDropsOwn() {
        Rig r;
        r.search();
        r.store.AwaitingReply = 1;
        r.reply(r.store.LocalIP, HostMac, "AT\r\n"); // our broadcast, heard back
        QVERIFY(r.view.modules.isEmpty());
        QCOMPARE(r.store.AwaitingReply, quint8(1));

        r.proto.MySocketReceive(ModuleB, 5000, "no closing bracket at all, long enough");
        QVERIFY(r.view.modules.isEmpty());
        QCOMPARE(r.store.AwaitingReply, quint8(1));

        r.proto.MySocketReceive(ModuleB, 5001, atframe::buildReply(MacB, "OK\r\n"));
        r.reply(ModuleA, MacA, "OK\r\n");
        r.reply(ipOf(192, 168, 1, 201), "short", "OK");
        QCOMPARE(r.view.modules,
                 QStringList({u"192.168.1.200:00:11:22:33:44:66"_s,
                              u"192.168.1.199:00:11:22:33:44:55"_s, u"192.168.1.201:short"_s}));
        QCOMPARE(r.store.AwaitingReply, quint8(0));
        QCOMPARE(r.state.lastPeer.ip, ipOf(192, 168, 1, 201));
        QVERIFY(r.view.messages.isEmpty());

        r.proto.ListBoxIPClick(1);
        QCOMPARE(r.store.SelectedIndex, 1);
        QCOMPARE(r.store.SelectedMAC, MacA);
        QVERIFY(r.timerRead.isActive());
        QCOMPARE(r.timerRead.interval(), 30);
        QCOMPARE(r.store.PendingCommand, quint16(42));

        // After the first command, late search replies are not listed.
        r.reply(ipOf(192, 168, 1, 202), MacB, "OK\r\n");
        QCOMPARE(r.view.modules.size(), 3);
    }

    void listClickOutsideTheListDoesNothing() {
        Rig r;
        r.search();
        r.proto.ListBoxIPClick(-1);
        r.proto.ListBoxIPClick(0);
        QCOMPARE(r.store.SelectedIndex, -1);
        QVERIFY(!r.timerRead.isActive());
        QVERIFY(r.view.messages.isEmpty());
    }

    void duplicateWarningsThroughTheSearch() {
        Rig r;
        r.search();
        r.reply(ModuleA, MacA, "OK\r\n");
        r.reply(ModuleA, MacA, "OK\r\n");                // the same module twice
        r.reply(ModuleB, MacA, "OK\r\n");                // A's MAC, other IP
        r.reply(ModuleA, "00:11:22:33:44:77", "OK\r\n"); // A's IP, other MAC
        const QString six(6, u' ');
        QCOMPARE(r.view.messages.size(), 1 + 2 + 2);
        for (const Message &m : std::as_const(r.view.messages)) {
            QCOMPARE(m.kind, ConfigView::MessageKind::OkCancel);
            QCOMPARE(m.caption, u"提示"_s);
        }
        QCOMPARE(r.view.messages[0].text,
                 u"两个或以上的模块MAC地址、IP地址相同，MAC地址为：00:11:22:33:44:55，IP地址为："
                 u"192.168.1.199，请通过串口功能设置"_s);
        QCOMPARE(
            r.view.messages[1].text,
            u"两模块的MAC地址相同，MAC地址为：00:11:22:33:44:55，IP地址分别为：192.168.1.199"_s +
                six + u"192.168.1.200，请通过串口功能设置"_s);
        QCOMPARE(
            r.view.messages[3].text,
            u"两模块的IP地址相同，IP地址为：192.168.1.199，MAC地址分别为：00:11:22:33:44:55"_s +
                six + u"00:11:22:33:44:77"_s);
        QCOMPARE(r.view.modules.size(), 4);
        QCOMPARE(r.view.modules[1], r.view.modules[0]);
    }

    void fullTableListsNoMore() {
        Rig r;
        r.search();
        for (int i = 0; i < 257; ++i)
            r.reply(ipOf(10, 0, i / 256, i % 256), "m" + QByteArray::number(i), "OK\r\n");
        QCOMPARE(r.view.modules.size(), 256);
        QCOMPARE(r.store.ModuleCount, 256);
        QVERIFY(r.view.messages.isEmpty());
    }

    // While a duplicate warning is open, further replies arrive and the
    // socket reuses its buffer: the outer call must list what it received,
    // after what arrived meanwhile.
    void replyArrivingDuringDuplicateWarning() {
        Rig r;
        r.search();
        r.reply(ModuleA, MacA, "OK\r\n");
        QByteArray buffer = atframe::buildReply(MacA, "OK\r\n");
        bool nested = false;
        r.view.onMessage = [&](const Message &) {
            if (nested)
                return;
            nested = true;
            const QByteArray other = atframe::buildReply(MacB, "OK\r\n");
            QCOMPARE(other.size(), buffer.size());
            std::copy(other.begin(), other.end(), buffer.begin());
            r.proto.MySocketReceive(ModuleB, 5000, buffer);
        };
        r.proto.MySocketReceive(ipOf(192, 168, 1, 9), 5000, buffer);
        QCOMPARE(r.view.modules, QStringList({u"192.168.1.199:00:11:22:33:44:55"_s,
                                              u"192.168.1.200:00:11:22:33:44:66"_s,
                                              u"192.168.1.9:00:11:22:33:44:55"_s}));
        QCOMPARE(r.store.ModuleMAC[2], MacA);
        QCOMPARE(r.store.ModuleIP[2], ipOf(192, 168, 1, 9));
    }

    // ---- read replies ----------------------------------------------------

    void readReplies_data() {
        QTest::addColumn<Handler>("button");
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<int>("replyCode");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<ConfigControl>("control");
        QTest::addColumn<QString>("shown"); // text, or the item index as text
        QTest::addColumn<QString>("success");
        QTest::addColumn<int>("next");
        using C = ConfigControl;
        using P = ConfigProtocol;
        QTest::newRow("model") << &P::But_ModelCheckClick << QByteArray("AT+MODEL=?") << 5
                               << QByteArray("+MODEL=2\r\n") << C::Cmb_Model << u"2"_s
                               << u"查询工作模式成功"_s << 10;
        QTest::newRow("model non-digit")
            << &P::But_ModelCheckClick << QByteArray("AT+MODEL=?") << 5
            << QByteArray("+MODEL=x\r\n") << C::Cmb_Model << QString::number('x' - '0')
            << u"查询工作模式成功"_s << 10;
        QTest::newRow("model cut short")
            << &P::But_ModelCheckClick << QByteArray("AT+MODEL=?") << 5 << QByteArray("+MODEL")
            << C::Cmb_Model << QString::number(quint8(0 - '0')) << u"查询工作模式成功"_s << 10;
        QTest::newRow("gateway") << &P::But_GATEWAYCheckClick << QByteArray("AT+GATEWAY=?") << 11
                                 << QByteArray("+GATEWAY=10.0.0.1\r\n") << C::Edt_GATEWAY
                                 << u"10.0.0.1"_s << u"查询网关IP地址成功"_s << 14;
        QTest::newRow("mask") << &P::But_MASKCheckClick << QByteArray("AT+MASK=?") << 15
                              << QByteArray("+MASK=255.255.255.0\r\n") << C::Edt_MASK
                              << u"255.255.255.0"_s << u"查询子网掩码成功"_s << 18;
        QTest::newRow("ip") << &P::But_IPCheckClick << QByteArray("AT+IP=?") << 19
                            << QByteArray("+IP=192.168.1.50\r\n") << C::Edt_IP << u"192.168.1.50"_s
                            << u"查询模块IP地址成功"_s << 22;
        QTest::newRow("dip") << &P::But_DIPCheckClick << QByteArray("AT+DIP=?") << 23
                             << QByteArray("+DIP=192.168.1.101\r\n") << C::Edt_DIP
                             << u"192.168.1.101"_s << u"查询模块目的IP地址成功"_s << 26;
        QTest::newRow("port") << &P::But_PortCheckClick << QByteArray("AT+PORT=?") << 27
                              << QByteArray("+PORT=5001\r\n") << C::Edt_Port << u"5001"_s
                              << u"查询模块端口成功"_s << 30;
        QTest::newRow("dport") << &P::But_DPortCheckClick << QByteArray("AT+DPORT=?") << 31
                               << QByteArray("+DPORT=6001\r\n") << C::Edt_DPort << u"6001"_s
                               << u"查询模块目的端口成功"_s << 46;
        QTest::newRow("dchp") << &P::But_DCHPCheckClick << QByteArray("AT+DCHP=?") << 47
                              << QByteArray("+DCHP=1\r\n") << C::DCHP_Model << u"1"_s
                              << u"查询模块DCHP模式成功"_s << 50;
        QTest::newRow("name gbk") << &P::But_NameCheckClick << QByteArray("AT+NAME=?") << 51
                                  << "+NAME=" + gbk::encode(u"继电器"_s) + "\r\n"
                                  << C::Edt_Name << u"继电器"_s << u"查询模块设备名称成功"_s << 38;
        QTest::newRow("mac") << &P::But_MACCheckClick << QByteArray("AT+MAC=?") << 39
                             << QByteArray("+MAC=00:11:22:33:44:66\r\n") << C::Edt_MAC
                             << u"00:11:22:33:44:66"_s << u"查询模块MAC地址成功"_s << 44;
        QTest::newRow("value without carriage return")
            << &P::But_IPCheckClick << QByteArray("AT+IP=?") << 19 << QByteArray("+IP=10.1.2.3")
            << C::Edt_IP << u"10.1.2.3"_s << u"查询模块IP地址成功"_s << 22;
        QTest::newRow("value of 19 bytes")
            << &P::But_NameCheckClick << QByteArray("AT+NAME=?") << 51
            << "+NAME=" + QByteArray(19, 'n') + "\r\n"
            << C::Edt_Name << QString(19, u'n') << u"查询模块设备名称成功"_s << 38;
        QTest::newRow("keyword without value")
            << &P::But_PortCheckClick << QByteArray("AT+PORT=?") << 27 << QByteArray("+PORT")
            << C::Edt_Port << QString() << u"查询模块端口成功"_s << 30;
    }

    // A single query stops after its reply; the same reply during a read-all
    // moves on to the next read step.
    void readReplies() {
        QFETCH(Handler, button);
        QFETCH(QByteArray, query);
        QFETCH(int, replyCode);
        QFETCH(QByteArray, payload);
        QFETCH(ConfigControl, control);
        QFETCH(QString, shown);
        QFETCH(QString, success);
        QFETCH(int, next);

        Rig r;
        r.selectA();
        r.timerRead.setInterval(2000);
        (r.proto.*button)();
        QCOMPARE(r.timerRead.interval(), 50);
        QVERIFY(r.timerRead.isActive());
        QCOMPARE(r.store.SingleQuery, quint8(1));
        QVERIFY(r.socket.sent.isEmpty());
        QVERIFY(r.view.memo.isEmpty());

        r.proto.TimerReadTimer();
        QCOMPARE(r.lastCommand(), query);
        QCOMPARE(r.store.PendingCommand, quint16(replyCode));
        QCOMPARE(r.timerRead.interval(), 150);

        r.reply(ModuleA, MacA, payload);
        const bool isIndex =
            control == ConfigControl::Cmb_Model || control == ConfigControl::DCHP_Model;
        if (isIndex)
            QCOMPARE(QString::number(r.view.itemIndex(control)), shown);
        else
            QCOMPARE(r.view.controlText(control), shown);
        QCOMPARE(r.view.memoTexts().mid(1), QStringList({indented(success), QString()}));
        QCOMPARE(r.store.SingleQuery, quint8(0));
        QCOMPARE(r.store.PendingCommand, quint16(replyCode));
        QCOMPARE(r.timerRead.interval(), 30);

        r.reply(ModuleA, MacA, payload);
        QCOMPARE(r.store.PendingCommand, quint16(next));
        QCOMPARE(r.proto.ReplyErrorCount(), 0);
    }

    void malformedValuesCountAsWrongReplies_data() {
        QTest::addColumn<int>("replyCode");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("repeatStep");
        QTest::newRow("value of 20 bytes") << 51 << "+NAME=" + QByteArray(20, 'n') + "\r\n" << 50;
        QTest::newRow("endless value") << 11 << "+GATEWAY=" + QByteArray(500, '1') << 10;
        QTest::newRow("baud of 7 bytes") << 35 << QByteArray("+UART=1000000,8,1,0\r\n") << 34;
        QTest::newRow("uart without comma") << 35 << QByteArray("+UART=115200\r\n") << 34;
        QTest::newRow("other keyword") << 19 << QByteArray("+DIP=1.2.3.4\r\n") << 18;
        QTest::newRow("empty payload") << 43 << QByteArray() << 42;
    }

    void malformedValuesCountAsWrongReplies() {
        QFETCH(int, replyCode);
        QFETCH(QByteArray, payload);
        QFETCH(int, repeatStep);
        Rig r;
        r.selectA();
        r.view.texts.clear();
        r.store.PendingCommand = quint16(replyCode);
        r.reply(ModuleA, MacA, payload);
        QCOMPARE(r.store.PendingCommand, quint16(repeatStep));
        QCOMPARE(r.proto.ReplyErrorCount(), 1);
        QVERIFY(r.view.texts.empty());
        QVERIFY(r.view.memo.isEmpty());
    }

    void shortDatagramHandsEmptyPayload() {
        Rig r;
        r.selectA(1, "00:11:22:33:44");
        // Holds "OK" but ends before byte 20.
        r.store.PendingCommand = 43;
        r.proto.MySocketReceive(ModuleA, 5000, "<00:11:22:33:44>,OK");
        QCOMPARE(r.store.PendingCommand, quint16(42));
        QCOMPARE(r.proto.ReplyErrorCount(), 1);
    }

    void uartReport() {
        Rig r;
        r.selectA();
        r.proto.But_UARTCheckClick();
        r.proto.TimerReadTimer();
        QCOMPARE(r.lastCommand(), QByteArray("AT+UART=?"));
        r.reply(ModuleA, MacA, "+UART=115200,9,3,2\r\n");
        QCOMPARE(r.view.controlText(ConfigControl::Cmb_Baud), u"115200"_s);
        QCOMPARE(r.view.controlText(ConfigControl::Cmb_DataBit), u"9"_s);
        QCOMPARE(r.view.itemIndex(ConfigControl::Cmb_StopBit), 3);
        QCOMPARE(r.view.itemIndex(ConfigControl::Cmb_Parity), 2);
        QCOMPARE(r.view.memoTexts().mid(1),
                 QStringList({indented(u"查询模块串口参数成功"_s), QString()}));
        QCOMPARE(r.store.PendingCommand, quint16(35));
        r.reply(ModuleA, MacA, "+UART=9600,8,1,0\r\n");
        QCOMPARE(r.store.PendingCommand, quint16(38));
    }

    void versionReport() {
        Rig r;
        r.selectA();
        r.proto.But_ReadVerClick();
        r.proto.TimerReadTimer();
        QCOMPARE(r.lastCommand(), QByteArray("AT+VER=?"));
        const QByteArray version(40, 'v'); // not held to the 19-byte bound
        r.reply(ModuleA, MacA, "+VER=" + version + "\r\n");
        QCOMPARE(r.view.controlText(ConfigControl::LaVersion), QString::fromLatin1(version));
        QCOMPARE(r.view.memoTexts().mid(1),
                 QStringList({indented(u"读取版本号成功"_s),
                              u"版本号为： "_s + QString::fromLatin1(version), QString()}));
        QCOMPARE(r.store.SingleQuery, quint8(0));
        QCOMPARE(r.store.PendingCommand, quint16(45));
        QVERIFY(!r.timerRead.isActive());

        // A wrong answer to the version is not repeated.
        r.timerRead.start();
        r.view.memo.clear();
        r.reply(ModuleA, MacA, "ERROR\r\n");
        QCOMPARE(r.view.memoTexts(), QStringList({indented(u"读取版本号失败"_s), QString()}));
        QCOMPARE(r.store.PendingCommand, quint16(45));
        QCOMPARE(r.proto.ReplyErrorCount(), 0);
        QVERIFY(!r.timerRead.isActive());
        QVERIFY(r.view.messages.isEmpty());
    }

    void handshakeMovesOnEvenAfterSingleQuery() {
        Rig r;
        r.selectA();
        r.store.PendingCommand = 43;
        r.store.SingleQuery = 1;
        r.reply(ModuleA, MacA, "OK\r\n");
        QCOMPARE(r.store.PendingCommand, quint16(4));
        QCOMPARE(r.store.SingleQuery, quint8(1));
        QCOMPARE(r.view.memoTexts(), QStringList({indented(u"AT命令响应成功"_s), QString()}));
    }

    // The gateway example: one answer ends the single query, a second one
    // (SingleQuery now 0) carries on with the subnet mask.
    void singleQueryThenStrayReplyContinues() {
        Rig r;
        r.selectA();
        r.proto.But_GATEWAYCheckClick();
        r.proto.TimerReadTimer();
        r.reply(ModuleA, MacA, "+GATEWAY=10.0.0.1\r\n");
        QCOMPARE(r.store.PendingCommand, quint16(11));
        r.proto.TimerReadTimer(); // idle
        QCOMPARE(r.socket.sent.size(), 1);
        r.reply(ModuleA, MacA, "+GATEWAY=10.0.0.1\r\n");
        QCOMPARE(r.store.PendingCommand, quint16(14));
        r.proto.TimerReadTimer();
        QCOMPARE(r.lastCommand(), QByteArray("AT+MASK=?"));
    }

    void threeRepeatsThenErrorBox() {
        Rig r;
        r.selectA();
        r.proto.But_GATEWAYCheckClick();
        r.proto.TimerReadTimer();
        for (int wrong = 1; wrong <= 3; ++wrong) {
            r.reply(ModuleA, MacA, "ERROR\r\n");
            QCOMPARE(r.store.PendingCommand, quint16(10));
            QCOMPARE(r.proto.ReplyErrorCount(), wrong);
            r.proto.TimerReadTimer();
            QCOMPARE(r.store.PendingCommand, quint16(11));
        }
        QCOMPARE(r.socket.commands(), QByteArrayList(4, "AT+GATEWAY=?"));
        QVERIFY(r.view.messages.isEmpty());
        r.reply(ModuleA, MacA, "ERROR\r\n");
        QCOMPARE(r.view.messages.size(), 1);
        QCOMPARE(r.view.messages[0].kind, ConfigView::MessageKind::OkCancel);
        QCOMPARE(r.view.messages[0].caption, u"提示"_s);
        QCOMPARE(r.view.messages[0].text, u"连续3次应答错误"_s);
        QCOMPARE(r.view.memoTexts().last(2),
                 QStringList({indented(u"查询网关IP地址失败"_s), QString()}));
        QCOMPARE(r.store.PendingCommand, quint16(11));
        QCOMPARE(r.store.SingleQuery, quint8(1));
        QCOMPARE(r.proto.ReplyErrorCount(), 0);
        QVERIFY(!r.timerRead.isActive());
    }

    void acceptedReplyResetsTheErrorCount() {
        Rig r;
        r.selectA();
        r.store.PendingCommand = 11;
        r.reply(ModuleA, MacA, "ERROR\r\n");
        r.store.PendingCommand = 11;
        r.reply(ModuleA, MacA, "+GATEWAY=1.1.1.1\r\n");
        QCOMPARE(r.proto.ReplyErrorCount(), 0);
        for (int i = 0; i < 3; ++i) {
            r.store.PendingCommand = 15;
            r.reply(ModuleA, MacA, "ERROR\r\n");
        }
        QVERIFY(r.view.messages.isEmpty());
        QCOMPARE(r.proto.ReplyErrorCount(), 3);
    }

    // While the error box is open a late good reply comes in; neither call
    // may undo what the other did.
    void replyDuringErrorBox() {
        Rig r;
        r.selectA();
        r.store.PendingCommand = 11;
        r.view.onMessage = [&](const Message &) { r.reply(ModuleA, MacA, "+GATEWAY=1.1.1.1\r\n"); };
        for (int i = 0; i < 4; ++i) {
            r.store.PendingCommand = 11;
            r.reply(ModuleA, MacA, "ERROR\r\n");
        }
        QCOMPARE(r.view.messages.size(), 1);
        QCOMPARE(r.store.PendingCommand, quint16(14));
        QCOMPARE(r.proto.ReplyErrorCount(), 0);
        QVERIFY(!r.timerRead.isActive());
        QCOMPARE(r.view.memoTexts(), QStringList({indented(u"查询网关IP地址失败"_s), QString(),
                                                  indented(u"查询网关IP地址成功"_s), QString()}));
    }

    // ---- read-all sequence -----------------------------------------------

    void readAllReadsTwelveParametersInOrder() {
        Rig r;
        r.selectA();
        r.store.SingleQuery = 1; // left over from a single query never answered
        r.proto.But_ReadClick();
        QCOMPARE(r.timerRead.interval(), 30);
        r.run(wellBehaved);
        QCOMPARE(r.socket.commands(),
                 QByteArrayList({"AT", "AT+MODEL=?", "AT+GATEWAY=?", "AT+MASK=?", "AT+IP=?",
                                 "AT+DIP=?", "AT+PORT=?", "AT+DPORT=?", "AT+DCHP=?", "AT+NAME=?",
                                 "AT+MAC=?", "AT+VER=?"}));
        QVERIFY(!r.timerRead.isActive());
        QCOMPARE(r.store.PendingCommand, quint16(45));
        using C = ConfigControl;
        QCOMPARE(r.view.itemIndex(C::Cmb_Model), 1);
        QCOMPARE(r.view.controlText(C::Edt_GATEWAY), u"10.0.0.1"_s);
        QCOMPARE(r.view.controlText(C::Edt_MASK), u"255.255.255.0"_s);
        QCOMPARE(r.view.controlText(C::Edt_IP), u"10.0.0.50"_s);
        QCOMPARE(r.view.controlText(C::Edt_DIP), u"10.0.0.2"_s);
        QCOMPARE(r.view.controlText(C::Edt_Port), u"5001"_s);
        QCOMPARE(r.view.controlText(C::Edt_DPort), u"6001"_s);
        QCOMPARE(r.view.itemIndex(C::DCHP_Model), 1);
        QCOMPARE(r.view.controlText(C::Edt_Name), u"relay"_s);
        QCOMPARE(r.view.controlText(C::Edt_MAC), u"00:11:22:33:44:55"_s);
        QCOMPARE(r.view.controlText(C::LaVersion), u"V2.05"_s);
        const QStringList memo = r.view.memoTexts();
        QCOMPARE(memo.first(3),
                 QStringList({u"发送AT命令"_s, indented(u"AT命令响应成功"_s), QString()}));
        QCOMPARE(memo.last(3),
                 QStringList({indented(u"读取版本号成功"_s), u"版本号为： V2.05"_s, QString()}));
        QCOMPARE(memo.size(), 12 * 3 + 1);
        QVERIFY(r.view.messages.isEmpty());
    }

    // The same read-all paced by the real timer and answered from the event
    // loop, as the window runs it.
    void readAllOnTheRealTimer() {
        Rig r;
        r.selectA();
        QObject::connect(&r.timerRead, &QTimer::timeout, &r.proto, &ConfigProtocol::TimerReadTimer);
        QObject context;
        const auto answer = [&] {
            const QByteArray reply = wellBehaved(r.lastCommand());
            QTimer::singleShot(1, &context, [&r, reply] { r.reply(ModuleA, MacA, reply); });
        };
        r.proto.ListBoxIPClick(0);
        for (int sent = 0; sent < 12; ++sent) {
            QTRY_COMPARE_WITH_TIMEOUT(r.socket.sent.size(), sent + 1, 5000);
            answer();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!r.timerRead.isActive(), 5000);
        QCOMPARE(r.socket.commands().last(), QByteArray("AT+VER=?"));
        QCOMPARE(r.view.controlText(ConfigControl::LaVersion), u"V2.05"_s);
        QVERIFY(r.view.messages.isEmpty());
    }

    void readAllAddressesTheSelectedModule() {
        Rig r;
        r.selectA(2);
        r.proto.ListBoxIPClick(1);
        r.proto.TimerReadTimer();
        QCOMPARE(r.socket.sent.last().bytes, atframe::build(MacB, HostMac, "AT"));
    }

    void silentHandshakeTimesOut() {
        Rig r;
        r.selectA();
        r.proto.But_ReadClick();
        r.proto.TimerReadTimer();
        QCOMPARE(r.store.AwaitingReply, quint8(1));
        r.proto.TimerReadTimer();
        QCOMPARE(r.socket.commands(), QByteArrayList{"AT"});
        QCOMPARE(r.view.messages.size(), 1);
        QCOMPARE(r.view.messages[0].kind, ConfigView::MessageKind::OkCancel);
        QCOMPARE(r.view.messages[0].text, u"应答超时"_s);
        QCOMPARE(r.store.AwaitingReply, quint8(0));
        QCOMPARE(r.store.PendingCommand, quint16(43));
        QVERIFY(!r.timerRead.isActive());
    }

    void socketClosedStopsTheSequencer() {
        Rig r;
        r.selectA();
        r.socket.SetActive(false);
        r.proto.But_ReadClick();
        r.proto.TimerReadTimer();
        QVERIFY(r.socket.sent.isEmpty());
        QCOMPARE(r.view.messages.size(), 1);
        QCOMPARE(r.view.messages[0].text, u"UDP没建立"_s);
        QCOMPARE(r.view.messages[0].kind, ConfigView::MessageKind::OkCancel);
        QVERIFY(!r.timerRead.isActive());
    }

    void moduleFallingSilentMidSequenceTimesOut() {
        Rig r;
        r.selectA();
        r.proto.But_ReadClick();
        r.run([](const QByteArray &command) {
            return command == "AT" ? QByteArray("OK\r\n") : QByteArray();
        });
        QCOMPARE(r.socket.commands(), QByteArrayList({"AT", "AT+MODEL=?"}));
        QCOMPARE(r.view.messages.size(), 1);
        QCOMPARE(r.view.messages[0].text, u"应答超时"_s);
        QVERIFY(!r.timerRead.isActive());
        QCOMPARE(r.store.PendingCommand, quint16(5));
    }

    void silenceIsMeasuredInSequencerFirings() {
        Rig r;
        r.selectA();
        r.proto.But_MASKCheckClick();
        r.proto.TimerReadTimer();
        for (int i = 1; i < ConfigProtocol::SilentFiringsLimit; ++i)
            r.proto.TimerReadTimer();
        QVERIFY(r.view.messages.isEmpty());
        QVERIFY(r.timerRead.isActive());
        r.proto.TimerReadTimer();
        QCOMPARE(r.view.messages.size(), 1);
        QCOMPARE(r.store.SingleQuery, quint8(0));
    }

    void answeredSingleQueryIdlesWithoutTimeOut() {
        Rig r;
        r.selectA();
        r.proto.But_MASKCheckClick();
        r.proto.TimerReadTimer();
        r.reply(ModuleA, MacA, "+MASK=255.0.0.0\r\n");
        for (int i = 0; i < 3 * ConfigProtocol::SilentFiringsLimit; ++i)
            r.proto.TimerReadTimer();
        QVERIFY(r.view.messages.isEmpty());
        QVERIFY(r.timerRead.isActive());
        QCOMPARE(r.socket.sent.size(), 1);
    }

    void replyDuringTimeOutBox() {
        Rig r;
        r.selectA();
        r.proto.But_ReadClick();
        r.proto.TimerReadTimer();
        r.view.onMessage = [&](const Message &) { r.reply(ModuleA, MacA, "OK\r\n"); };
        r.proto.TimerReadTimer();
        QCOMPARE(r.view.messages.size(), 1);
        QCOMPARE(r.store.PendingCommand, quint16(4));
        QVERIFY(!r.timerRead.isActive());
        QCOMPARE(r.store.AwaitingReply, quint8(0));
    }

    // ---- factory default -------------------------------------------------

    void factoryDefaultThenReadAllAfterTwoSeconds() {
        Rig r;
        r.selectA();
        r.proto.But_DefaultClick();
        QCOMPARE(r.socket.sent.size(), 1);
        QCOMPARE(r.socket.sent[0].bytes, atframe::build(MacA, HostMac, "AT+DEFAULT"));
        QCOMPARE(r.socket.sent[0].bytes.size(), 52);
        QCOMPARE(r.store.PendingCommand, quint16(9));
        QCOMPARE(r.view.memoTexts(), QStringList{u"设置模块出厂默认参数"_s});
        QVERIFY(!r.timerRead.isActive());

        r.reply(ModuleA, MacA, "OK\r\n");
        QVERIFY(r.timerRead.isActive());
        QCOMPARE(r.timerRead.interval(), 2000);
        QCOMPARE(r.store.PendingCommand, quint16(42));
        QCOMPARE(r.view.memoTexts().mid(1),
                 QStringList({indented(u"恢复出厂设置命令响应成功"_s), QString()}));
        r.run(wellBehaved);
        QCOMPARE(r.socket.commands().size(), 1 + 12);
    }

    void refusedFactoryDefaultIsRepeated() {
        Rig r;
        r.selectA();
        r.proto.But_DefaultClick();
        r.reply(ModuleA, MacA, "ERROR\r\n");
        QCOMPARE(r.store.PendingCommand, quint16(8));
        QVERIFY(r.timerRead.isActive());
        r.proto.TimerReadTimer();
        QCOMPARE(r.lastCommand(), QByteArray("AT+DEFAULT"));
        QCOMPARE(r.view.memoTexts().last(), u"发送恢复出厂设置命令"_s);
        QCOMPARE(r.store.AwaitingReply, quint8(1));
        for (int i = 0; i < 2; ++i) {
            r.reply(ModuleA, MacA, "ERROR\r\n");
            r.proto.TimerReadTimer();
        }
        QCOMPARE(r.socket.commands(), QByteArrayList(4, "AT+DEFAULT"));
        QCOMPARE(r.view.messages.size(), 0);
        r.reply(ModuleA, MacA, "ERROR\r\n");
        QCOMPARE(r.view.messages.size(), 1);
        QCOMPARE(r.view.memoTexts().last(2),
                 QStringList({indented(u"恢复出厂设置命令响应失败"_s), QString()}));
    }

    // ---- set buttons -----------------------------------------------------

    void setButtons_data() {
        QTest::addColumn<Handler>("button");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("ok");
        QTest::addColumn<QString>("fail");
        using P = ConfigProtocol;
        QTest::newRow("model") << &P::But_ModelClick << QByteArray("AT+MODEL=0") << 7
                               << u"设置模块工作模式"_s << u"设置工作模式成功"_s
                               << u"设置工作模式失败"_s;
        QTest::newRow("gateway") << &P::But_GATEWAYClick << QByteArray("AT+GATEWAY=192.168.1.1")
                                 << 13 << u"设置网关IP地址"_s << u"设置网关IP成功"_s
                                 << u"设置网关IP失败"_s;
        QTest::newRow("mask") << &P::But_MASKClick << QByteArray("AT+MASK=192.168.0.1") << 17
                              << u"设置子网掩码"_s << u"设置子网掩码成功"_s
                              << u"设置子网掩码失败"_s;
        QTest::newRow("ip") << &P::But_IPClick << QByteArray("AT+IP=192.168.1.199") << 21
                            << u"设置模块IP地址"_s << u"设置模块IP成功"_s << u"设置模块IP失败"_s;
        QTest::newRow("dip") << &P::But_DIPClick << QByteArray("AT+DIP=192.168.1.100") << 25
                             << u"设置目的IP"_s << u"设置模块目的IP成功"_s
                             << u"设置模块目的IP失败"_s;
        QTest::newRow("port") << &P::But_PortClick << QByteArray("AT+PORT=5000") << 29
                              << u"设置模块端口号"_s << u"设置模块端口成功"_s
                              << u"设置模块端口失败"_s;
        QTest::newRow("dport") << &P::But_DPortClick << QByteArray("AT+DPORT=6000") << 33
                               << u"设置目的端口号"_s << u"设置模块目的端口成功"_s
                               << u"设置模块目的端口失败"_s;
        QTest::newRow("mac") << &P::But_SetMACClick << QByteArray("AT+MAC=") << 41
                             << u"设置模块MAC地址"_s << u"设置模块MAC地址成功"_s
                             << u"设置模块MAC地址失败"_s;
        QTest::newRow("uart") << &P::But_SetUARTClick << QByteArray("AT+UART=9600,8,1,0") << 37
                              << u"设置模块串口参数"_s << u"设置模块串口参数成功"_s
                              << u"设置模块串口参数失败"_s;
        QTest::newRow("dchp") << &P::But_SetDCHPClick << QByteArray("AT+DCHP=0") << 49
                              << u"设置DCHP模式"_s << u"设置DCHP模式成功"_s
                              << u"设置DCHP模式失败"_s;
        QTest::newRow("name") << &P::But_SetNameClick << QByteArray("AT+NAME=") << 53
                              << u"设置模块设备名称"_s << u"设置模块设备名称成功"_s
                              << u"设置模块设备名称失败"_s;
    }

    void setButtons() {
        QFETCH(Handler, button);
        QFETCH(QByteArray, command);
        QFETCH(int, code);
        QFETCH(QString, log);
        QFETCH(QString, ok);
        QFETCH(QString, fail);

        Rig r;
        r.selectA();
        r.timerRead.start();
        (r.proto.*button)();
        QCOMPARE(r.socket.sent.size(), 1);
        const QByteArray frame = "<" + MacA + ">,<" + HostMac + ">," + command + "\r\n";
        QCOMPARE(r.socket.sent[0].bytes, frame);
        QCOMPARE(r.socket.sent[0].ip, 0xFFFFFFFFu);
        QCOMPARE(r.socket.sent[0].port, quint16(5000));
        QCOMPARE(r.store.PendingCommand, quint16(code));
        QCOMPARE(r.store.SelectedMAC, MacA);
        QCOMPARE(r.view.memoTexts(), QStringList{log});

        // A device name holding "OK" is an "OK": the test is a substring test.
        r.reply(ModuleA, MacA, "+NAME=OKAY\r\n");
        QCOMPARE(r.view.memoTexts().mid(1), QStringList({indented(ok), QString()}));
        QVERIFY(!r.timerRead.isActive());
        QCOMPARE(r.store.PendingCommand, quint16(code));
        QVERIFY(r.view.messages.isEmpty());

        r.view.memo.clear();
        r.store.WriteAllMode = 1;
        (r.proto.*button)();
        // After a MAC setting the module answers by its new MAC text.
        r.reply(ModuleA, r.store.GetSelectedMAC(), "ERROR\r\n");
        QCOMPARE(r.view.memoTexts().mid(1), QStringList({indented(fail), QString()}));
        QCOMPARE(r.store.WriteAllMode, quint8(0));
        QCOMPARE(r.socket.sent.size(), 2);
        QVERIFY(r.pauses.isEmpty());
    }

    void commandValues_data() {
        QTest::addColumn<Handler>("button");
        QTest::addColumn<QList<ConfigControl>>("controls");
        QTest::addColumn<QStringList>("texts"); // a number sets the item index
        QTest::addColumn<QByteArray>("command");
        using C = ConfigControl;
        using P = ConfigProtocol;
        QTest::newRow("uart 115200 9 2 even")
            << &P::But_SetUARTClick
            << QList<C>{C::Cmb_Baud, C::Cmb_DataBit, C::Cmb_StopBit, C::Cmb_Parity}
            << QStringList{u"115200"_s, u"9"_s, u"3"_s, u"2"_s}
            << QByteArray("AT+UART=115200,9,3,2");
        QTest::newRow("uart data bits first character")
            << &P::But_SetUARTClick << QList<C>{C::Cmb_DataBit} << QStringList{u"8 bits"_s}
            << QByteArray("AT+UART=9600,8,1,0");
        QTest::newRow("udp server") << &P::But_ModelClick << QList<C>{C::Cmb_Model}
                                    << QStringList{u"3"_s} << QByteArray("AT+MODEL=3");
        QTest::newRow("dhcp open") << &P::But_SetDCHPClick << QList<C>{C::DCHP_Model}
                                   << QStringList{u"1"_s} << QByteArray("AT+DCHP=1");
        QTest::newRow("ip as typed")
            << &P::But_IPClick << QList<C>{C::Edt_IP} << QStringList{u" not an ip "_s}
            << QByteArray("AT+IP= not an ip ");
        QTest::newRow("mac as typed")
            << &P::But_SetMACClick << QList<C>{C::Edt_MAC} << QStringList{u"AA:BB:CC:DD:EE:FF"_s}
            << QByteArray("AT+MAC=AA:BB:CC:DD:EE:FF");
        QTest::newRow("seven chinese characters")
            << &P::But_SetNameClick << QList<C>{C::Edt_Name} << QStringList{u"一二三四五六七"_s}
            << "AT+NAME=" + gbk::encode(u"一二三四五六七"_s);
        QTest::newRow("fifteen bytes")
            << &P::But_SetNameClick << QList<C>{C::Edt_Name} << QStringList{QString(15, u'n')}
            << "AT+NAME=" + QByteArray(15, 'n');
        QTest::newRow("longest gateway that fits")
            << &P::But_GATEWAYClick << QList<C>{C::Edt_GATEWAY} << QStringList{QString(47, u'1')}
            << "AT+GATEWAY=" + QByteArray(47, '1');
    }

    void commandValues() {
        QFETCH(Handler, button);
        QFETCH(QList<ConfigControl>, controls);
        QFETCH(QStringList, texts);
        QFETCH(QByteArray, command);
        Rig r;
        r.selectA();
        for (qsizetype i = 0; i < controls.size(); ++i) {
            bool isNumber = false;
            const int index = texts[i].toInt(&isNumber);
            const bool isList = controls[i] == ConfigControl::Cmb_Model ||
                                controls[i] == ConfigControl::DCHP_Model ||
                                controls[i] == ConfigControl::Cmb_StopBit ||
                                controls[i] == ConfigControl::Cmb_Parity;
            if (isList && isNumber)
                r.view.setItemIndex(controls[i], index);
            else
                r.view.setControlText(controls[i], texts[i]);
        }
        (r.proto.*button)();
        QVERIFY(r.view.messages.isEmpty());
        QCOMPARE(r.lastCommand(), command);
        QCOMPARE(r.socket.sent.last().bytes.size(), 40 + command.size() + 2);
    }

    void refusedSettings_data() {
        QTest::addColumn<Handler>("button");
        QTest::addColumn<ConfigControl>("control");
        QTest::addColumn<QString>("text"); // NoItem: the list's text matches no item
        QTest::addColumn<QString>("message");
        using C = ConfigControl;
        using P = ConfigProtocol;
        const QString noItem = u"请在下拉列表中选择有效的选项！"_s;
        const QString tooLong = u"参数过长，命令帧不能超过100个字节"_s;
        const QString nameLimit = u"设备名称不能超过15个字节"_s;
        QTest::newRow("model typed") << &P::But_ModelClick << C::Cmb_Model << NoItem << noItem;
        QTest::newRow("dhcp typed") << &P::But_SetDCHPClick << C::DCHP_Model << NoItem << noItem;
        QTest::newRow("stop bits typed")
            << &P::But_SetUARTClick << C::Cmb_StopBit << NoItem << noItem;
        QTest::newRow("parity typed") << &P::But_SetUARTClick << C::Cmb_Parity << NoItem << noItem;
        QTest::newRow("empty data bits")
            << &P::But_SetUARTClick << C::Cmb_DataBit << QString() << noItem;
        QTest::newRow("eight chinese characters")
            << &P::But_SetNameClick << C::Edt_Name << u"一二三四五六七八"_s << nameLimit;
        QTest::newRow("sixteen bytes")
            << &P::But_SetNameClick << C::Edt_Name << QString(16, u'n') << nameLimit;
        QTest::newRow("gateway one byte too long")
            << &P::But_GATEWAYClick << C::Edt_GATEWAY << QString(48, u'1') << tooLong;
        QTest::newRow("pasted novel")
            << &P::But_DIPClick << C::Edt_DIP << QString(5000, u'x') << tooLong;
    }

    void refusedSettings() {
        QFETCH(Handler, button);
        QFETCH(ConfigControl, control);
        QFETCH(QString, text);
        QFETCH(QString, message);
        Rig r;
        r.selectA();
        r.store.WriteAllMode = 1;
        if (text == NoItem)
            r.view.setItemIndex(control, -1);
        else
            r.view.setControlText(control, text);
        (r.proto.*button)();
        QVERIFY(r.socket.sent.isEmpty());
        QCOMPARE(r.store.PendingCommand, quint16(100));
        QVERIFY(r.view.memo.isEmpty());
        QVERIFY(!r.timerOut.isActive());
        QCOMPARE(r.view.messages.size(), 1);
        QCOMPARE(r.view.messages[0].kind, ConfigView::MessageKind::ErrorOk);
        QCOMPARE(r.view.messages[0].caption, u"提示"_s);
        QCOMPARE(r.view.messages[0].text, message);
        QCOMPARE(r.store.WriteAllMode, quint8(1));
    }

    void nameLengthIsCheckedBeforeSelection() {
        Rig r;
        r.view.setControlText(ConfigControl::Edt_Name, QString(16, u'n'));
        r.proto.But_SetNameClick();
        QCOMPARE(r.view.messages.size(), 1);
        QCOMPARE(r.view.messages[0].text, u"设备名称不能超过15个字节"_s);
    }

    void everyButtonNeedsASelection_data() {
        QTest::addColumn<Handler>("button");
        using P = ConfigProtocol;
        const std::pair<const char *, Handler> buttons[] = {
            {"But_Read", &P::But_ReadClick},
            {"But_ModelCheck", &P::But_ModelCheckClick},
            {"But_GATEWAYCheck", &P::But_GATEWAYCheckClick},
            {"But_MASKCheck", &P::But_MASKCheckClick},
            {"But_IPCheck", &P::But_IPCheckClick},
            {"But_DIPCheck", &P::But_DIPCheckClick},
            {"But_PortCheck", &P::But_PortCheckClick},
            {"But_DPortCheck", &P::But_DPortCheckClick},
            {"But_UARTCheck", &P::But_UARTCheckClick},
            {"But_MACCheck", &P::But_MACCheckClick},
            {"But_ReadVer", &P::But_ReadVerClick},
            {"But_DCHPCheck", &P::But_DCHPCheckClick},
            {"But_NameCheck", &P::But_NameCheckClick},
            {"But_Model", &P::But_ModelClick},
            {"But_GATEWAY", &P::But_GATEWAYClick},
            {"But_MASK", &P::But_MASKClick},
            {"But_IP", &P::But_IPClick},
            {"But_DIP", &P::But_DIPClick},
            {"But_Port", &P::But_PortClick},
            {"But_DPort", &P::But_DPortClick},
            {"But_SetMAC", &P::But_SetMACClick},
            {"But_SetUART", &P::But_SetUARTClick},
            {"But_SetDCHP", &P::But_SetDCHPClick},
            {"But_SetName", &P::But_SetNameClick},
            {"But_Default", &P::But_DefaultClick},
            {"But_OneKey", &P::But_OneKeyClick},
        };
        for (const auto &[name, handler] : buttons)
            QTest::newRow(name) << handler;
    }

    void everyButtonNeedsASelection() {
        QFETCH(Handler, button);
        Rig r;
        r.search(); // modules found, none picked
        r.reply(ModuleA, MacA, "OK\r\n");
        r.socket.sent.clear();
        r.view.memo.clear();
        r.store.PendingCommand = 100;
        (r.proto.*button)();
        QCOMPARE(r.view.messages.size(), 1);
        QCOMPARE(r.view.messages[0].kind, ConfigView::MessageKind::ErrorOk);
        QCOMPARE(r.view.messages[0].caption, u"提示"_s);
        QCOMPARE(r.view.messages[0].text, u"请选择IP！"_s);
        QVERIFY(r.socket.sent.isEmpty());
        QVERIFY(r.view.memo.isEmpty());
        QCOMPARE(r.store.PendingCommand, quint16(100));
        QCOMPARE(r.store.SingleQuery, quint8(0));
        QCOMPARE(r.store.WriteAllMode, quint8(0));
        QVERIFY(!r.timerRead.isActive());
        QVERIFY(!r.timerOut.isActive());
    }

    // ---- destination IP watchdog -------------------------------------------

    void destinationIPWatchdog() {
        Rig r;
        r.selectA();
        r.timerOut.setInterval(1);
        r.proto.But_DIPClick();
        QVERIFY(r.timerOut.isActive());
        QCOMPARE(r.timerOut.interval(), 4000);
        r.proto.TimerOutTimer();
        r.proto.TimerOutTimer();
        QCOMPARE(r.view.memoTexts().mid(1),
                 QStringList(2, u"模块内部数据已被更改，请稍后重新搜索!"_s));
        r.reply(ModuleA, MacA, "ERROR\r\n");
        QVERIFY(!r.timerOut.isActive());
    }

    // ---- write-all ---------------------------------------------------------

    void writeAllWritesTenSettingsInOrder() {
        Rig r;
        r.selectA();
        r.proto.But_OneKeyClick();
        QCOMPARE(r.store.WriteAllMode, quint8(1));
        for (int i = 0; i < 20 && r.store.WriteAllMode == 1; ++i)
            r.reply(ModuleA, MacA, "OK\r\n");
        QCOMPARE(r.store.WriteAllMode, quint8(0));
        QByteArrayList keys;
        for (const QByteArray &c : r.socket.commands())
            keys << c.left(c.indexOf('='));
        QCOMPARE(keys, QByteArrayList({"AT+MODEL", "AT+GATEWAY", "AT+MASK", "AT+IP", "AT+DIP",
                                       "AT+PORT", "AT+DPORT", "AT+DCHP", "AT+NAME", "AT+MAC"}));
        for (qsizetype i = 1; i < r.socket.sent.size(); ++i)
            QVERIFY(r.socket.sent[i].at - r.socket.sent[i - 1].at >= 300);
        QCOMPARE(r.pauses, QList<int>(9, 300));
        QStringList logs;
        const QStringList memo = r.view.memoTexts();
        for (qsizetype i = 0; i < memo.size(); i += 3)
            logs << memo[i];
        QCOMPARE(logs, QStringList({u"设置模块工作模式"_s, u"设置网关IP地址"_s, u"设置子网掩码"_s,
                                    u"设置模块IP地址"_s, u"设置目的IP"_s, u"设置模块端口号"_s,
                                    u"设置目的端口号"_s, u"设置DCHP模式"_s, u"设置模块设备名称"_s,
                                    u"设置模块MAC地址"_s}));
        QVERIFY(!r.timerOut.isActive());
    }

    void writeAllStopsAtAFailingStep() {
        Rig r;
        r.selectA();
        r.proto.But_OneKeyClick();
        r.reply(ModuleA, MacA, "OK\r\n");
        r.reply(ModuleA, MacA, "OK\r\n");
        r.reply(ModuleA, MacA, "ERROR\r\n");
        QCOMPARE(r.store.WriteAllMode, quint8(0));
        QCOMPARE(r.socket.sent.size(), 3);
        QCOMPARE(r.view.memoTexts().last(2),
                 QStringList({indented(u"设置子网掩码失败"_s), QString()}));
        r.reply(ModuleA, MacA, "OK\r\n");
        QCOMPARE(r.socket.sent.size(), 3);
    }

    void writeAllStopsAtAnOverlongName() {
        Rig r;
        r.selectA();
        r.view.setControlText(ConfigControl::Edt_Name, QString(16, u'n'));
        r.proto.But_OneKeyClick();
        for (int i = 0; i < 8; ++i)
            r.reply(ModuleA, MacA, "OK\r\n");
        QCOMPARE(r.socket.commands().last(), QByteArray("AT+DCHP=0"));
        QCOMPARE(r.view.messages.size(), 1);
        QCOMPARE(r.store.WriteAllMode, quint8(1));
    }

    void uartOkDuringWriteAllGoesOnWithMAC() {
        Rig r;
        r.selectA();
        r.store.WriteAllMode = 1;
        r.proto.But_SetUARTClick();
        r.reply(ModuleA, MacA, "OK\r\n");
        QCOMPARE(r.lastCommand(), QByteArray("AT+MAC="));
        QCOMPARE(r.pauses, QList<int>{300});
    }

    // ---- MAC change --------------------------------------------------------

    // The module may sign its "OK" with the address it had or the new one.
    void confirmedMACUpdatesTheSelectedModule_data() {
        QTest::addColumn<bool>("signedWithNew");
        QTest::newRow("signed with the old MAC") << false;
        QTest::newRow("signed with the new MAC") << true;
    }

    void confirmedMACUpdatesTheSelectedModule() {
        QFETCH(bool, signedWithNew);
        Rig r;
        r.selectA(2); // A picked, B is the last entry
        const QByteArray newMac = "00:11:22:33:44:99";
        r.view.setControlText(ConfigControl::Edt_MAC, QString::fromLatin1(newMac));
        r.proto.But_SetMACClick();
        r.view.setControlText(ConfigControl::Edt_MAC, u"edited meanwhile"_s);
        r.reply(ModuleA, signedWithNew ? newMac : MacA, "OK\r\n");
        QCOMPARE(r.store.ModuleMAC[0], newMac);
        QCOMPARE(r.store.ModuleMAC[1], MacB);
        QCOMPARE(r.store.SelectedMAC, newMac);
        QCOMPARE(r.view.modules, QStringList({u"192.168.1.199:00:11:22:33:44:99"_s,
                                              u"192.168.1.200:00:11:22:33:44:66"_s}));
        r.proto.But_IPClick();
        QVERIFY(r.socket.sent.last().bytes.startsWith("<" + newMac + ">"));
    }

    // Whatever a network delivers, under whatever command is pending: nothing
    // is read outside the datagram (the sanitizer build watches), the table
    // stays within its bounds, and only the tool's own messages appear.
    void hostileDatagrams() {
        static const quint16 codes[] = {0,  5, 9,  11, 15, 19, 23, 27, 31, 35, 39, 43, 45, 47,
                                        51, 7, 13, 17, 21, 25, 29, 33, 37, 41, 49, 53, 100};
        static const char *const keywords[] = {"+MODEL", "+GATEWAY", "+MASK", "+IP",    "+DIP",
                                               "+PORT",  "+DPORT",   "+UART", "+MAC",   "+DCHP",
                                               "+NAME",  "+VER",     "OK",    "+UART=", ","};
        // Write-all may go on to a setting whose field a hostile report has
        // filled with something no frame can carry: refusing it is right.
        const QStringList known = {
            u"连续3次应答错误"_s, u"应答超时"_s, u"请在下拉列表中选择有效的选项！"_s,
            u"设备名称不能超过15个字节"_s, u"参数过长，命令帧不能超过100个字节"_s};
        QRandomGenerator random(20261208);
        Rig r;
        r.selectA();
        r.view.onMessage = [&](const Message &m) {
            QVERIFY2(known.contains(m.text) || m.text.startsWith(u"两"_s), qPrintable(m.text));
        };
        for (int round = 0; round < 4000; ++round) {
            // Each round answers a fresh frame to the selected module.
            r.store.PendingCommand = 4;
            r.store.AwaitingReply = 0;
            r.proto.TimerReadTimer();
            r.store.PendingCommand = codes[random.bounded(int(std::size(codes)))];
            r.store.SingleQuery = quint8(random.bounded(2));
            r.store.WriteAllMode = quint8(random.bounded(2));
            QByteArray datagram;
            const int shape = random.bounded(4);
            if (shape > 0) // a header, then a keyword, then noise
                datagram = "<" + r.store.GetSelectedMAC() + ">,";
            if (shape > 1)
                datagram += keywords[random.bounded(int(std::size(keywords)))];
            const int noise = random.bounded(shape == 3 ? 600 : 40);
            for (int i = 0; i < noise; ++i)
                datagram += char(random.bounded(256));
            const quint32 sender = random.bounded(8) == 0 ? r.store.LocalIP : ModuleA;
            r.proto.MySocketReceive(sender, quint16(random.bounded(65536)), datagram);
            QVERIFY(r.store.ModuleCount >= 0 && r.store.ModuleCount <= TMYCLASS::MaxModules);
            // A reply never grows a field beyond what a module may report.
            for (const auto &[control, text] : r.view.texts)
                QVERIFY2(control == ConfigControl::LaVersion || text.size() < 600,
                         qPrintable(text.left(40)));
        }
        r.timerRead.stop();
        r.timerOut.stop();
    }
};

QTEST_GUILESS_MAIN(TstConfigProtocol)
#include "tst_configprotocol.moc"
