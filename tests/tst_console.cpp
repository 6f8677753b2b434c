// The test console without a window or a network: a recording view, a socket
// that records what it is asked to do, and the real timers driven by calling
// their handlers.
#include "cmsocket.h"
#include "console.h"
#include "consoleview.h"
#include "gbk.h"
#include "mainstate.h"
#include "mylib.h"

#include <QMap>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <functional>
#include <memory>
#include <utility>

using Control = ConsoleView::Control;
using Field = ConsoleView::Field;
using ClientList = ConsoleView::ClientList;
using StateBox = ConsoleView::StateBox;

namespace {

quint32 ipOf(int a, int b, int c, int d) {
    return quint32(a) | quint32(b) << 8 | quint32(c) << 16 | quint32(d) << 24;
}

// Stands in for the network: opening succeeds (a client stays connecting
// until told otherwise), every send is recorded.
class FakeSocket : public TcmSocket {
public:
    struct Sent {
        QString route; // "socket", "host"
        int socket = -1;
        QString host;
        quint16 port = 0;
        QByteArray bytes;
    };
    struct Opened {
        TcmSocketProtocol protocol;
        QString localHost;
        int localPort;
        QString remoteHost;
        int remotePort;
    };

    static constexpr int OwnSocket = 7;

    void Open() override {
        if (m_Active)
            return;
        opened.append({Protocol, LocalHost, LocalPort, RemoteHost, RemotePort});
        m_Socket = OwnSocket;
        // A client becomes active only when its connection completes.
        m_Active = Protocol != cmTcpClient;
    }
    void Close() override {
        ++closes;
        m_Active = false;
        m_Socket = -1;
        m_Connections.clear();
    }
    bool SendTo(quint32, quint16, const char *, int) override { return false; }
    bool SendTo(const QString &host, quint16 port, const char *data, int len) override {
        sent.append({QStringLiteral("host"), -1, host, port, QByteArray(data, len)});
        return true;
    }
    bool SendTo(int socket, const char *data, int len) override {
        sent.append({QStringLiteral("socket"), socket, {}, 0, QByteArray(data, len)});
        return true;
    }

    void connectionCompleted() { m_Active = true; }
    void openAsConfiguration() {
        Protocol = cmUDP;
        LocalPort = 5000;
        m_Active = true;
    }
    void addConnection(int socket, quint32 ip, quint16 port) {
        m_Connections.append({socket, ip, port});
    }

    QList<Opened> opened;
    QList<Sent> sent;
    int closes = 0;
};

// Remembers what the window would show; warning() can run a nested action,
// as a modal box lets socket events and timers through.
class FakeView : public ConsoleView {
public:
    FakeView() {
        fields[Field::Edt_LocalIP] = QStringLiteral("127.0.0.1");
        fields[Field::Edt_LocalPort] = QStringLiteral("6000");
        fields[Field::Edt_RemoteIP] = QStringLiteral("192.168.1.199");
        fields[Field::Edt_RemotePort] = QStringLiteral("12345");
        fields[Field::Edt_Time] = QStringLiteral("100000");
        captions[Control::Label17] = QStringLiteral("Computer IP：");
        captions[Control::Label18] = QStringLiteral("Computer port：");
        captions[Control::But_TCPCtl] = QStringLiteral("Listen");
        positions[Control::Edt_RemoteIP] = QPoint(80, 120);
        positions[Control::Cmb_RemoteIP] = QPoint(80, 224);
        lists[ClientList::Cmb_RemoteIP] = {QStringLiteral("NoConnect")};
        lists[ClientList::Cmb_RemotePort] = {QStringLiteral("NoConnect")};
        selected[ClientList::Cmb_RemoteIP] = 0;
        selected[ClientList::Cmb_RemotePort] = 0;
        relayBoxes.fill(false);
        relayBoxes[1] = true;
        inputBoxes.fill(false);
        inputBoxes[1] = true;
        stateBoxes[StateBox::CB_Relay_0] = true;
        for (Control control :
             {Control::But_RelayStateQuery, Control::But_RelayStateSet, Control::Button3})
            enabled[control] = false;
    }

    QString text(Field field) const override { return fields.value(field); }
    void setText(Field field, const QString &value) override { fields[field] = value; }
    int tcpModeIndex() const override { return mode; }

    void setCaption(Control control, const QString &caption) override {
        captions[control] = caption;
    }
    void setVisible(Control control, bool value) override { visible[control] = value; }
    void setEnabled(Control control, bool value) override { enabled[control] = value; }
    QPoint position(Control control) const override { return positions.value(control); }
    void move(Control control, QPoint topLeft) override { positions[control] = topLeft; }

    void appendItem(ClientList list, const QString &item) override { lists[list].append(item); }
    void deleteItem(ClientList list, int index) override {
        QVERIFY(index >= 0 && index < lists[list].size());
        lists[list].removeAt(index);
        if (selected[list] >= lists[list].size())
            selected[list] = int(lists[list].size()) - 1;
    }
    int itemCount(ClientList list) const override { return int(lists.value(list).size()); }
    QString itemText(ClientList list, int index) const override {
        return lists.value(list).value(index);
    }
    void selectItem(ClientList list, int index) override {
        selected[list] = index < lists[list].size() ? index : -1;
    }
    int selectedItem(ClientList list) const override { return selected.value(list); }

    void setStateLamp(quint32 colour) override { stateLamp = colour; }
    void setRelayLamp(int slot, quint32 colour) override {
        QVERIFY(slot >= 0 && slot < 15);
        relayLamps[slot] = colour;
    }
    void setInputLamp(int slot, quint32 colour) override {
        QVERIFY(slot >= 0 && slot < 12);
        inputLamps[slot] = colour;
    }

    bool relayBoxChecked(int slot) const override { return relayBoxes.at(slot); }
    void setRelayBoxChecked(int slot, bool checked) override { relayBoxes.at(slot) = checked; }
    bool inputBoxChecked(int slot) const override { return inputBoxes.at(slot); }
    void setInputBoxChecked(int slot, bool checked) override { inputBoxes.at(slot) = checked; }
    bool stateBoxChecked(StateBox box) const override { return stateBoxes.value(box); }
    void setStateBoxChecked(StateBox box, bool checked) override { stateBoxes[box] = checked; }

    void appendTranscript(const QString &text) override {
        transcript += text;
        ++appends;
    }
    void clearTranscript() override { transcript.clear(); }
    void scrollTranscriptToBottom() override { ++scrolls; }
    bool transcriptEmpty() const override { return transcript.isEmpty(); }
    bool transcriptLastLineEmpty() const override {
        return transcript.isEmpty() || transcript.endsWith(u'\n');
    }

    void warning(const QString &text) override {
        warnings.append(text);
        if (duringWarning) {
            auto nested = std::exchange(duringWarning, nullptr);
            nested();
        }
    }
    void enableConfigControls(bool value) override { configControls = value; }

    int mode = 0;
    QMap<Field, QString> fields;
    QMap<Control, QString> captions;
    QMap<Control, bool> visible;
    QMap<Control, bool> enabled;
    QMap<Control, QPoint> positions;
    QMap<ClientList, QStringList> lists;
    QMap<ClientList, int> selected;
    quint32 stateLamp = lampcolour::Silver;
    std::array<quint32, 15> relayLamps = filled<15>(lampcolour::Silver);
    std::array<quint32, 12> inputLamps = filled<12>(lampcolour::Silver);
    std::array<bool, 16> relayBoxes{};
    std::array<bool, 13> inputBoxes{};
    QMap<StateBox, bool> stateBoxes;
    QString transcript;
    int appends = 0;
    int scrolls = 0;
    QStringList warnings;
    std::function<void()> duringWarning;
    bool configControls = true;

private:
    template <size_t N> static std::array<quint32, N> filled(quint32 colour) {
        std::array<quint32, N> lamps;
        lamps.fill(colour);
        return lamps;
    }
};

// One console with everything it is built from.
struct Rig {
    Rig() { console.ApplyStartupLayout(); }
    void open(int mode) {
        view.mode = mode;
        console.Cmb_TCPModeChange();
        console.But_TCPCtlClick();
    }
    // A TCP client to loopback, its connection completed.
    void openConnectedClient() {
        view.fields[Field::Edt_RemoteIP] = QStringLiteral("127.0.0.1");
        open(1);
        socket.connectionCompleted();
    }
    // What a module search does to the socket and the flag.
    void searchTakesTheSocket() {
        socket.Close();
        socket.openAsConfiguration();
        state.holder = SocketHolder::Configuration;
    }
    QStringList sentTexts() const {
        QStringList texts;
        for (const FakeSocket::Sent &sent : socket.sent)
            texts.append(QString::fromLatin1(sent.bytes));
        return texts;
    }

    TMYCLASS store;
    TMainState state;
    FakeSocket socket;
    QTimer TimerConnOut;
    QTimer Timer_CheckTCPClient;
    QTimer TimerReadAllRelay;
    FakeView view;
    Console console{store, state, socket, TimerConnOut, Timer_CheckTCPClient, TimerReadAllRelay,
                    view};
};

const quint32 ClientA = ipOf(192, 168, 1, 199);
const quint32 ClientB = ipOf(192, 168, 1, 200);

} // namespace

class TstConsole : public QObject {
    Q_OBJECT

private slots:
    void startupLayout() {
        Rig rig;
        QCOMPARE(rig.socket.Protocol, cmTcpServer);
        QCOMPARE(rig.state.holder, SocketHolder::Configuration);
        QVERIFY(!rig.socket.Active());
        // The list lies over the address field, which UpdateConsoleLabels shows again.
        QCOMPARE(rig.view.positions[Control::Cmb_RemoteIP], QPoint(80, 120));
        QVERIFY(rig.view.visible[Control::Cmb_RemoteIP]);
        QVERIFY(rig.view.visible[Control::Edt_RemoteIP]);
        QCOMPARE(rig.view.captions[Control::But_TCPCtl], QStringLiteral("建立"));
        QCOMPARE(rig.view.captions[Control::Label17], QStringLiteral("电脑IP:"));
        QCOMPARE(rig.view.captions[Control::Label_IP], QStringLiteral("目的IP："));
        QVERIFY(rig.socket.opened.isEmpty());
    }

    void modeLayouts_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("protocol");
        QTest::addColumn<bool>("listsShown");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("label17");
        QTest::addColumn<QString>("labelIP");
        QTest::addColumn<bool>("searchEnabled");
        const QString computerIP = QStringLiteral("电脑IP:");
        QTest::newRow("TCP server end") << 0 << int(cmTcpServer) << true << QStringLiteral("建立")
                                        << computerIP << QStringLiteral("目的IP：") << false;
        QTest::newRow("TCP client") << 1 << int(cmTcpClient) << false << QStringLiteral("连接")
                                    << QStringLiteral("Computer IP：") << QString() << true;
        QTest::newRow("UDP") << 2 << int(cmUDP) << false << QStringLiteral("建立") << computerIP
                             << QStringLiteral("目的IP：") << true;
    }
    void modeLayouts() {
        QFETCH(int, mode);
        QFETCH(int, protocol);
        QFETCH(bool, listsShown);
        QFETCH(QString, button);
        QFETCH(QString, label17);
        QFETCH(QString, labelIP);
        QFETCH(bool, searchEnabled);
        TMYCLASS store;
        TMainState state;
        FakeSocket socket;
        QTimer t1, t2, t3;
        FakeView view;
        Console console(store, state, socket, t1, t2, t3, view);
        view.mode = mode;
        console.Cmb_TCPModeChange();

        QCOMPARE(int(socket.Protocol), protocol);
        QCOMPARE(view.visible[Control::Cmb_RemoteIP], listsShown);
        QCOMPARE(view.visible[Control::Cmb_RemotePort], listsShown);
        QVERIFY(view.visible[Control::Edt_RemoteIP]);
        QCOMPARE(view.captions[Control::But_TCPCtl], button);
        QCOMPARE(view.captions[Control::Label17], label17);
        QCOMPARE(view.captions[Control::Label_IP], labelIP);
        QCOMPARE(view.enabled.value(Control::But_UDPFind), searchEnabled);
        QVERIFY(socket.opened.isEmpty()); // choosing a mode opens nothing
    }

    void openServer() {
        Rig rig;
        rig.open(0);
        QCOMPARE(rig.socket.opened.size(), 1);
        const FakeSocket::Opened opened = rig.socket.opened.first();
        QCOMPARE(opened.protocol, cmTcpServer);
        QCOMPARE(opened.localHost, QStringLiteral("127.0.0.1"));
        QCOMPARE(opened.localPort, 6000);
        QCOMPARE(opened.remoteHost, QStringLiteral("0"));
        QCOMPARE(opened.remotePort, 0);
        QCOMPARE(rig.state.holder, SocketHolder::Console);
        QVERIFY(!rig.view.configControls);
        QCOMPARE(rig.view.captions[Control::But_TCPCtl], QStringLiteral("监听"));
        QVERIFY(!rig.view.enabled[Control::But_TCPCtl]);
        QVERIFY(!rig.view.visible[Control::Edt_RemoteIP]);
        QVERIFY(!rig.view.enabled[Control::But_UDPFind]);
        for (Control control : {Control::But_TCPSend, Control::But_RelayStateQuery,
                                Control::But_RelayStateSet, Control::Button3})
            QVERIFY(rig.view.enabled[control]);
        QVERIFY(rig.TimerConnOut.isActive());
        QCOMPARE(rig.TimerConnOut.interval(), 5000);
        QCOMPARE(rig.view.stateLamp, lampcolour::Silver);
    }

    void listenTimesOut() {
        Rig rig;
        rig.open(0);
        rig.console.TimerConnOutTimer();
        QVERIFY(!rig.TimerConnOut.isActive());
        QVERIFY(!rig.socket.Active());
        QVERIFY(rig.view.enabled[Control::But_TCPCtl]);
        QVERIFY(rig.view.enabled[Control::But_UDPFind]);
        QCOMPARE(rig.view.warnings, QStringList{QStringLiteral("等待客户端超时!")});
        QCOMPARE(rig.view.captions[Control::But_TCPCtl], QStringLiteral("监听"));
        // The next click listens again.
        rig.console.But_TCPCtlClick();
        QCOMPARE(rig.socket.opened.size(), 2);
        QVERIFY(rig.socket.Active());
        QVERIFY(rig.TimerConnOut.isActive());
    }

    void listenTimeoutLeavesASearchAlone() {
        // Listening, then another mode is picked (which enables the search)
        // and a search takes the socket before the five seconds are up.
        Rig rig;
        rig.open(0);
        rig.view.mode = 1;
        rig.console.Cmb_TCPModeChange();
        rig.searchTakesTheSocket();
        rig.console.TimerConnOutTimer();
        QVERIFY(rig.socket.Active());
        QVERIFY(rig.view.warnings.isEmpty());
        QVERIFY(!rig.TimerConnOut.isActive());
    }

    void clientsArriveAndLeave() {
        Rig rig;
        rig.open(0);
        rig.console.MySocketAccept(ClientA, 1001);
        QVERIFY(!rig.TimerConnOut.isActive());
        QVERIFY(rig.view.enabled[Control::But_TCPCtl]);
        QVERIFY(rig.view.enabled[Control::But_TCPSend]);
        QCOMPARE(rig.view.captions[Control::But_TCPCtl], QStringLiteral("断开"));
        QCOMPARE(rig.view.stateLamp, lampcolour::Red);
        rig.view.selected[ClientList::Cmb_RemoteIP] = 0;
        rig.console.MySocketAccept(ClientB, 2002);
        QCOMPARE(rig.view.lists[ClientList::Cmb_RemoteIP],
                 (QStringList{QStringLiteral("NoConnect"), QStringLiteral("192.168.1.199"),
                              QStringLiteral("192.168.1.200")}));
        QCOMPARE(rig.view.lists[ClientList::Cmb_RemotePort],
                 (QStringList{QStringLiteral("NoConnect"), QStringLiteral("1001"),
                              QStringLiteral("2002")}));
        // Item 1 is selected after each connection, whoever connected.
        QCOMPARE(rig.view.selected[ClientList::Cmb_RemoteIP], 1);
        QCOMPARE(rig.view.selected[ClientList::Cmb_RemotePort], 1);

        rig.console.MySocketDiscard(ClientA, 1001);
        QCOMPARE(rig.view.lists[ClientList::Cmb_RemoteIP],
                 (QStringList{QStringLiteral("NoConnect"), QStringLiteral("192.168.1.200")}));
        QCOMPARE(rig.view.selected[ClientList::Cmb_RemoteIP], 1);
        QVERIFY(rig.socket.Active());

        // The last client gone: the console closes as if clicked.
        rig.console.MySocketDiscard(ClientB, 2002);
        QVERIFY(!rig.socket.Active());
        QCOMPARE(rig.view.lists[ClientList::Cmb_RemoteIP],
                 QStringList{QStringLiteral("NoConnect")});
        QCOMPARE(rig.view.lists[ClientList::Cmb_RemotePort],
                 QStringList{QStringLiteral("NoConnect")});
        QCOMPARE(rig.view.selected[ClientList::Cmb_RemoteIP], 0);
        QCOMPARE(rig.view.stateLamp, lampcolour::Silver);
        QVERIFY(rig.view.enabled[Control::But_UDPFind]);
        QVERIFY(!rig.view.enabled[Control::But_TCPSend]);
        QVERIFY(!rig.view.enabled[Control::But_RelayStateSet]);
        QCOMPARE(rig.view.captions[Control::But_TCPCtl], QStringLiteral("建立"));
        QCOMPARE(rig.state.holder, SocketHolder::Console);
    }

    void departingClientMatchedByAddressAndPort() {
        Rig rig;
        rig.open(0);
        rig.console.MySocketAccept(ClientA, 1001);
        rig.console.MySocketAccept(ClientA, 1002);
        rig.console.MySocketDiscard(ClientA, 1002);
        QCOMPARE(rig.view.lists[ClientList::Cmb_RemoteIP],
                 (QStringList{QStringLiteral("NoConnect"), QStringLiteral("192.168.1.199")}));
        QCOMPARE(rig.view.lists[ClientList::Cmb_RemotePort],
                 (QStringList{QStringLiteral("NoConnect"), QStringLiteral("1001")}));
        // A client nobody knows changes nothing.
        rig.console.MySocketDiscard(ClientB, 1001);
        rig.console.MySocketDiscard(ClientA, 9999);
        QCOMPARE(rig.view.lists[ClientList::Cmb_RemoteIP].size(), 2);
        QVERIFY(rig.socket.Active());
    }

    void openClient_data() {
        QTest::addColumn<bool>("connects");
        QTest::newRow("connected within a second") << true;
        QTest::newRow("not connected at the first tick") << false;
    }
    void openClient() {
        QFETCH(bool, connects);
        Rig rig;
        rig.view.fields[Field::Edt_RemoteIP] = QStringLiteral("127.0.0.1");
        rig.open(1);
        QCOMPARE(rig.socket.opened.size(), 1);
        const FakeSocket::Opened opened = rig.socket.opened.first();
        QCOMPARE(opened.protocol, cmTcpClient);
        QCOMPARE(opened.localHost, QStringLiteral("0"));
        QCOMPARE(opened.localPort, 0);
        QCOMPARE(opened.remoteHost, QStringLiteral("127.0.0.1"));
        QCOMPARE(opened.remotePort, 12345);
        QCOMPARE(rig.view.captions[Control::But_TCPCtl], QStringLiteral("断开"));
        QVERIFY(rig.view.enabled[Control::But_TCPSend]);
        QVERIFY(rig.Timer_CheckTCPClient.isActive());
        QCOMPARE(rig.Timer_CheckTCPClient.interval(), 1000);
        QVERIFY(rig.view.enabled[Control::But_UDPFind]);

        if (connects)
            rig.socket.connectionCompleted();
        rig.console.Timer_CheckTCPClientTimer();
        QCOMPARE(rig.Timer_CheckTCPClient.isActive(), connects);
        QCOMPARE(rig.view.stateLamp, connects ? lampcolour::Red : lampcolour::Silver);
        QCOMPARE(rig.view.enabled[Control::But_TCPSend], connects);
        QCOMPARE(rig.view.captions[Control::But_TCPCtl],
                 connects ? QStringLiteral("断开") : QStringLiteral("连接"));
    }

    void clientWithoutDestination() {
        Rig rig;
        rig.view.fields[Field::Edt_RemoteIP].clear();
        rig.open(1);
        QCOMPARE(rig.view.warnings, QStringList{QStringLiteral("请输入正确的目标IP及目标端口号!")});
        QVERIFY(rig.socket.opened.isEmpty());
        QCOMPARE(rig.state.holder, SocketHolder::Console);
        QVERIFY(rig.view.enabled[Control::But_TCPSend]);
        QVERIFY(!rig.Timer_CheckTCPClient.isActive());
    }

    void openUdpAndClose() {
        Rig rig;
        rig.open(2);
        QCOMPARE(rig.socket.opened.size(), 1);
        QCOMPARE(rig.socket.opened.first().protocol, cmUDP);
        QCOMPARE(rig.socket.opened.first().localPort, 6000);
        QCOMPARE(rig.socket.opened.first().remoteHost, QStringLiteral("0"));
        QCOMPARE(rig.view.stateLamp, lampcolour::Red);
        QCOMPARE(rig.view.captions[Control::But_TCPCtl], QStringLiteral("断开"));
        QVERIFY(!rig.TimerConnOut.isActive());
        QVERIFY(rig.view.enabled[Control::But_UDPFind]); // the UDP layout enables the search

        rig.console.But_TCPCtlClick();
        QVERIFY(!rig.socket.Active());
        QCOMPARE(rig.socket.opened.size(), 1);
        QCOMPARE(rig.view.stateLamp, lampcolour::Silver);
        QCOMPARE(rig.view.captions[Control::But_TCPCtl], QStringLiteral("建立"));
        QVERIFY(rig.view.enabled[Control::But_UDPFind]);
        for (Control control : {Control::But_TCPSend, Control::But_RelayStateQuery,
                                Control::But_RelayStateSet, Control::Button3})
            QVERIFY(!rig.view.enabled[control]);
        QVERIFY(!rig.view.configControls); // until the next module search
    }

    void takesTheSocketFromTheConfigurationSide() {
        Rig rig;
        rig.socket.openAsConfiguration();
        rig.view.mode = 2;
        rig.console.Cmb_TCPModeChange();
        rig.console.But_TCPCtlClick();
        QCOMPARE(rig.socket.closes, 1);
        QCOMPARE(rig.socket.opened.size(), 1);
        QCOMPARE(rig.socket.opened.first().localPort, 6000);
        QVERIFY(rig.socket.Active());
        QCOMPARE(rig.state.holder, SocketHolder::Console);
        QVERIFY(rig.view.enabled[Control::But_UDPFind]); // the UDP layout enables it again
        QVERIFY(rig.view.enabled[Control::But_RelayStateQuery]);
    }

    void modeChangeWhileOpenDoesNotReopen() {
        Rig rig;
        rig.open(2);
        rig.view.mode = 0;
        rig.console.Cmb_TCPModeChange();
        QCOMPARE(rig.socket.Protocol, cmTcpServer);
        QCOMPARE(rig.socket.opened.size(), 1);
        QCOMPARE(rig.socket.closes, 0);
        QVERIFY(rig.socket.Active());
    }

    void portsThatAreNotNumbers_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("port");
        QTest::newRow("server, letters")
            << 0 << int(Field::Edt_LocalPort) << QStringLiteral("60x0");
        QTest::newRow("server, empty") << 0 << int(Field::Edt_LocalPort) << QString();
        QTest::newRow("client, letters")
            << 1 << int(Field::Edt_RemotePort) << QStringLiteral("abc");
        QTest::newRow("client, negative")
            << 1 << int(Field::Edt_RemotePort) << QStringLiteral("-1");
        QTest::newRow("UDP, too large")
            << 2 << int(Field::Edt_LocalPort) << QStringLiteral("70000");
    }
    void portsThatAreNotNumbers() {
        QFETCH(int, mode);
        QFETCH(int, field);
        QFETCH(QString, port);
        Rig rig;
        rig.view.fields[Field(field)] = port;
        rig.open(mode);
        QVERIFY(rig.socket.opened.isEmpty());
        QCOMPARE(rig.view.warnings.size(), 1);
        QVERIFY(rig.view.warnings.first().contains(QStringLiteral("\"%1\"").arg(port)));
        QVERIFY(!rig.TimerConnOut.isActive());
        QVERIFY(!rig.Timer_CheckTCPClient.isActive());
        QCOMPARE(rig.view.stateLamp, lampcolour::Silver);
    }

    void echoSeparator() {
        Rig rig;
        rig.openConnectedClient();
        rig.view.fields[Field::MemoTCPSend] = QStringLiteral("AT");
        rig.console.But_TCPSendClick();
        QCOMPARE(rig.view.transcript, QStringLiteral("AT"));
        rig.console.But_TCPSendClick();
        QCOMPARE(rig.view.transcript, QStringLiteral("AT\r\n\r\nAT"));
        QCOMPARE(rig.sentTexts(), (QStringList{QStringLiteral("AT"), QStringLiteral("AT")}));
        QCOMPARE(rig.socket.sent.first().socket, FakeSocket::OwnSocket);
        QVERIFY(rig.view.scrolls >= 2);

        // Typed text goes out as GBK, lines joined by "\r\n" as typed.
        rig.console.Button2Click();
        rig.view.fields[Field::MemoTCPSend] = QStringLiteral("提示\r\nAT");
        rig.console.But_TCPSendClick();
        QCOMPARE(rig.socket.sent.last().bytes, QByteArray::fromHex("cce1cabe0d0a4154"));
        QCOMPARE(rig.view.transcript, QStringLiteral("提示\r\nAT"));
    }

    void emptySendText() {
        Rig rig;
        rig.open(2);
        rig.view.fields[Field::MemoTCPSend].clear();
        rig.console.But_TCPSendClick();
        QCOMPARE(rig.view.warnings, QStringList{QStringLiteral("输入框不能为空!")});
        QVERIFY(rig.view.transcript.isEmpty());
        QVERIFY(rig.socket.sent.isEmpty());
        rig.view.fields[Field::MemoTCPSend] = QStringLiteral("x");
        rig.console.But_ClearSendClick();
        QVERIFY(rig.view.fields[Field::MemoTCPSend].isEmpty());
    }

    void serverSendsToTheSelectedClientOnly_data() {
        QTest::addColumn<int>("connections");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("socket"); // -1: nothing sent
        QTest::newRow("NoConnect is the first client") << 2 << 0 << 11;
        QTest::newRow("item 1") << 2 << 1 << 11;
        QTest::newRow("item 2") << 2 << 2 << 12;
        QTest::newRow("no selection") << 2 << -1 << 11;
        QTest::newRow("list too short") << 2 << 3 << -1;
        QTest::newRow("no connection") << 0 << 0 << -1;
    }
    void serverSendsToTheSelectedClientOnly() {
        QFETCH(int, connections);
        QFETCH(int, selected);
        QFETCH(int, socket);
        Rig rig;
        rig.open(0);
        for (int i = 0; i < connections; ++i) {
            rig.socket.addConnection(11 + i, ClientA + quint32(i << 24), quint16(1001 + i));
            rig.console.MySocketAccept(ClientA + quint32(i << 24), quint16(1001 + i));
        }
        rig.view.selected[ClientList::Cmb_RemoteIP] = selected;
        rig.view.fields[Field::MemoTCPSend] = QStringLiteral("AT");
        rig.console.But_TCPSendClick();
        QCOMPARE(rig.view.transcript, QStringLiteral("AT")); // echoed either way
        if (socket < 0) {
            QVERIFY(rig.socket.sent.isEmpty());
        } else {
            QCOMPARE(rig.socket.sent.size(), 1);
            QCOMPARE(rig.socket.sent.first().socket, socket);
            QCOMPARE(rig.socket.sent.first().bytes, QByteArray("AT"));
        }
    }

    void udpSendsToTheDestinationTypedNow() {
        Rig rig;
        rig.open(2);
        rig.view.fields[Field::MemoTCPSend] = QStringLiteral("one");
        rig.console.But_TCPSendClick();
        rig.view.fields[Field::Edt_RemoteIP] = QStringLiteral("127.0.0.2");
        rig.view.fields[Field::Edt_RemotePort] = QStringLiteral("4321");
        rig.view.fields[Field::MemoTCPSend] = QStringLiteral("two");
        rig.console.But_TCPSendClick();
        QCOMPARE(rig.socket.sent.size(), 2);
        QCOMPARE(rig.socket.sent[0].host, QStringLiteral("192.168.1.199"));
        QCOMPARE(rig.socket.sent[0].port, quint16(12345));
        QCOMPARE(rig.socket.sent[1].host, QStringLiteral("127.0.0.2"));
        QCOMPARE(rig.socket.sent[1].port, quint16(4321));
        QCOMPARE(rig.socket.sent[1].bytes, QByteArray("two"));

        // A bad port: echoed, warned about, not sent.
        rig.view.fields[Field::Edt_RemotePort] = QStringLiteral("43x");
        rig.console.But_TCPSendClick();
        QCOMPARE(rig.socket.sent.size(), 2);
        QVERIFY(rig.view.transcript.endsWith(QStringLiteral("two\r\n\r\ntwo")));
        QCOMPARE(rig.view.warnings.size(), 1);
    }

    void arrivalsAndSenders() {
        Rig rig;
        rig.open(2);
        rig.console.Receive(ClientA, 5000, "ab");
        QCOMPARE(rig.view.transcript, QStringLiteral("ab")); // empty last line: no break
        rig.console.Receive(ClientA, 5000, "cd");
        QCOMPARE(rig.view.transcript, QStringLiteral("abcd"));
        rig.console.Receive(ClientB, 5000, "ef\r\n");
        QCOMPARE(rig.view.transcript, QStringLiteral("abcd\r\nef\r\n"));
        // The same address from another port is another sender; the last
        // line is already empty, so no break is added.
        rig.console.Receive(ClientB, 5001, "gh");
        QCOMPARE(rig.view.transcript, QStringLiteral("abcd\r\nef\r\ngh"));
        QCOMPARE(rig.state.lastPeer.ip, ClientB);
        QCOMPARE(rig.state.lastPeer.port, quint16(5001));

        // Clearing keeps the sender: the same sender goes on without a break.
        rig.console.Button2Click();
        rig.console.Receive(ClientB, 5001, "ij");
        QCOMPARE(rig.view.transcript, QStringLiteral("ij"));
        // An echo is separated, the reply after it from the same sender is not.
        rig.view.fields[Field::MemoTCPSend] = QStringLiteral("AT");
        rig.console.But_TCPSendClick();
        rig.console.Receive(ClientB, 5001, "OK");
        QCOMPARE(rig.view.transcript, QStringLiteral("ij\r\n\r\nATOK"));
        // Only appends ever reach the window.
        QVERIFY(rig.view.appends >= 6);
    }

    void arrivalEndsAtTheFirstZeroByte() {
        Rig rig;
        rig.open(2);
        const char withZero[] = {'a', 'b', '\0', 'c', 'd'};
        rig.console.Receive(ClientA, 5000, QByteArrayView(withZero, sizeof withZero));
        QCOMPARE(rig.view.transcript, QStringLiteral("ab"));
        // Without a terminator the length bounds the text (the sanitizer
        // build catches a read past it).
        auto unterminated = std::make_unique<char[]>(3);
        std::memcpy(unterminated.get(), "xyz", 3);
        rig.console.Receive(ClientA, 5000, QByteArrayView(unterminated.get(), 3));
        QCOMPARE(rig.view.transcript, QStringLiteral("abxyz"));
        // A reply cut by a zero byte is read only up to it.
        rig.console.Receive(ClientA, 5000, QByteArrayView("+STA\0CH1=1,5\r", 13));
        QCOMPARE(rig.view.relayLamps[0], lampcolour::Silver);
    }

    void doubleByteCharacterSplitBetweenReads() {
        Rig rig;
        rig.open(1);
        const QByteArray text = QByteArray::fromHex("cce1cabe"); // 提示
        rig.console.Receive(ClientA, 6000, text.first(1));
        rig.console.Receive(ClientA, 6000, text.sliced(1, 2));
        QCOMPARE(rig.view.transcript, QStringLiteral("提"));
        rig.console.Receive(ClientA, 6000, text.sliced(3));
        QCOMPARE(rig.view.transcript, QStringLiteral("提示"));
        // A lead byte that never gets its trail does not swallow what follows.
        rig.console.Receive(ClientA, 6000, text.first(1));
        rig.console.Receive(ClientB, 6000, "x");
        QCOMPARE(rig.view.transcript, QStringLiteral("提示\uFFFD\r\nx"));
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
        QTest::addColumn<int>("relayBox"); // -1: none checked
        QTest::addColumn<int>("inputBox"); // -1: none checked
        QTest::addColumn<bool>("attached");
        QTest::addColumn<bool>("detached");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QStringList>("expected"); // query, set, input query
        QTest::newRow("relay 3 on with the initial time")
            << 3 << 1 << true << false << QStringLiteral("100000")
            << QStringList{QStringLiteral("AT+STACH3=?\r\n"),
                           QStringLiteral("AT+STACH3=1,100000\r\n"),
                           QStringLiteral("AT+OCCH1=?\r\n")};
        QTest::newRow("relay 5, no state, no time")
            << 5 << 4 << false << false << QString()
            << QStringList{QStringLiteral("AT+STACH5=?\r\n"), QStringLiteral("AT+STACH5=\r\n"),
                           QStringLiteral("AT+OCCH4=?\r\n")};
        QTest::newRow("all relays off, all inputs")
            << 0 << 0 << false << true << QString()
            << QStringList{QStringLiteral("AT+STACH0=?\r\n"), QStringLiteral("AT+STACH0=0\r\n"),
                           QStringLiteral("AT+OCCH0=?\r\n")};
        QTest::newRow("nothing checked") << -1 << -1 << false << true << QStringLiteral("7a")
                                         << QStringList{QStringLiteral("AT+STACH16=?\r\n"),
                                                        QStringLiteral("AT+STACH16=0,7a\r\n"),
                                                        QStringLiteral("AT+OCCH13=?\r\n")};
        QTest::newRow("last slots")
            << 15 << 12 << true << true << QStringLiteral("1")
            << QStringList{QStringLiteral("AT+STACH15=?\r\n"), QStringLiteral("AT+STACH15=1,1\r\n"),
                           QStringLiteral("AT+OCCH12=?\r\n")};
    }
    void relayAndInputCommands() {
        QFETCH(int, relayBox);
        QFETCH(int, inputBox);
        QFETCH(bool, attached);
        QFETCH(bool, detached);
        QFETCH(QString, time);
        QFETCH(QStringList, expected);
        Rig rig;
        rig.open(2);
        rig.view.relayBoxes.fill(false);
        rig.view.inputBoxes.fill(false);
        if (relayBox >= 0)
            rig.view.relayBoxes.at(relayBox) = true;
        if (inputBox >= 0)
            rig.view.inputBoxes.at(inputBox) = true;
        rig.view.stateBoxes[StateBox::CB_Relay_1] = attached;
        rig.view.stateBoxes[StateBox::CB_Relay_0] = detached;
        rig.view.fields[Field::Edt_Time] = time;

        rig.console.But_RelayStateQueryClick();
        rig.console.But_RelayStateSetClick();
        // After a setting "All relay" is the only checked relay box.
        std::array<bool, 16> allRelay{};
        allRelay[0] = true;
        QCOMPARE(rig.view.relayBoxes, allRelay);
        QVERIFY(rig.console.RelayRepollPending());
        rig.console.Button3Click();
        QCOMPARE(rig.sentTexts(), expected);
        // Each command is echoed into the transcript.
        QCOMPARE(rig.view.transcript, expected.join(QStringLiteral("\r\n\r\n")));
    }

    void relayRepollAfterTheNextArrival() {
        Rig rig;
        rig.open(2);
        rig.view.relayBoxes.fill(false);
        rig.view.relayBoxes[3] = true;
        rig.view.stateBoxes[StateBox::CB_Relay_1] = true;
        rig.console.CB_Relay_1Click();
        QVERIFY(!rig.view.stateBoxes[StateBox::CB_Relay_0]);
        rig.console.But_RelayStateSetClick();
        QCOMPARE(rig.sentTexts(), QStringList{QStringLiteral("AT+STACH3=1,100000\r\n")});
        QVERIFY(!rig.TimerReadAllRelay.isActive());

        // Any arrival starts the 300 ms re-query, once.
        rig.console.Receive(ClientA, 12345, "+STACH3=1,100000\r\n");
        QVERIFY(rig.TimerReadAllRelay.isActive());
        QCOMPARE(rig.TimerReadAllRelay.interval(), 300);
        QVERIFY(!rig.console.RelayRepollPending());
        QCOMPARE(rig.view.relayLamps[2], lampcolour::Lime);

        rig.console.TimerReadAllRelayTimer();
        QVERIFY(!rig.TimerReadAllRelay.isActive());
        QCOMPARE(rig.sentTexts().last(), QStringLiteral("AT+STACH0=?\r\n"));
        rig.console.Receive(ClientA, 12345, "+STACH0=0,0\r\n");
        QVERIFY(!rig.TimerReadAllRelay.isActive());
    }

    void replies_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("relayLamp"); // slot, -1: none
        QTest::addColumn<int>("inputLamp"); // slot, -1: none
        QTest::addColumn<quint32>("colour");
        QTest::addColumn<QString>("time"); // Edt_Time afterwards
        const QString initial = QStringLiteral("100000");
        QTest::newRow("relay 2 on") << QByteArray("+STACH2=1,30\r\n") << 1 << -1 << lampcolour::Lime
                                    << QStringLiteral("30");
        QTest::newRow("relay 2 off, no digits")
            << QByteArray("+STACH2x0y\r") << 1 << -1 << lampcolour::Red << QStringLiteral("0");
        QTest::newRow("relay 0 only sets the time")
            << QByteArray("+STACH0=1,55\r\n") << -1 << -1 << 0u << QStringLiteral("55");
        QTest::newRow("relay 10 is ':'")
            << QByteArray("noise+STACH:=1,7") << 9 << -1 << lampcolour::Lime << QStringLiteral("7");
        QTest::newRow("relay 15 is '?'")
            << QByteArray("+STACH?=0,1\r") << 14 << -1 << lampcolour::Red << QStringLiteral("1");
        QTest::newRow("relay '@' is out of range")
            << QByteArray("+STACH@=1,2\r") << -1 << -1 << 0u << QStringLiteral("2");
        QTest::newRow("time field stops at 15 characters")
            << QByteArray("+STACH1=1,12345678901234567890\r") << 0 << -1 << lampcolour::Lime
            << QStringLiteral("123456789012345");
        QTest::newRow("reply cut short")
            << QByteArray("+STACH1") << 0 << -1 << lampcolour::Lime << QStringLiteral("0");
        QTest::newRow("input 4 off")
            << QByteArray("+OCCH4=0\r\n") << -1 << 3 << lampcolour::Red << initial;
        QTest::newRow("input 12 on")
            << QByteArray("+OCCH<=1") << -1 << 11 << lampcolour::Lime << initial;
        QTest::newRow("input 13 is out of range")
            << QByteArray("+OCCH==1") << -1 << -1 << 0u << initial;
        QTest::newRow("relay reply wins over input reply")
            << QByteArray("+OCCH1=1 +STACH2=1,3") << 1 << -1 << lampcolour::Lime
            << QStringLiteral("3");
        QTest::newRow("plain text") << QByteArray("hello") << -1 << -1 << 0u << initial;
    }
    void replies() {
        QFETCH(QByteArray, data);
        QFETCH(int, relayLamp);
        QFETCH(int, inputLamp);
        QFETCH(quint32, colour);
        QFETCH(QString, time);
        Rig rig;
        rig.open(2);
        rig.console.Receive(ClientA, 12345, data);
        for (int slot = 0; slot < 15; ++slot)
            QCOMPARE(rig.view.relayLamps[slot], slot == relayLamp ? colour : lampcolour::Silver);
        for (int slot = 0; slot < 12; ++slot)
            QCOMPARE(rig.view.inputLamps[slot], slot == inputLamp ? colour : lampcolour::Silver);
        QCOMPARE(rig.view.fields[Field::Edt_Time], time);
        QCOMPARE(rig.view.transcript, QString::fromLatin1(data)); // shown as it came
    }

    void oneOfManyBoxes() {
        Rig rig;
        // Relay boxes: checking one unchecks the others; unchecking leaves none.
        rig.view.relayBoxes[7] = true;
        rig.console.CheckBox1Click(7);
        for (int slot = 0; slot < 16; ++slot)
            QCOMPARE(rig.view.relayBoxes.at(slot), slot == 7);
        rig.view.relayBoxes[7] = false;
        rig.console.CheckBox1Click(7);
        for (bool checked : rig.view.relayBoxes)
            QVERIFY(!checked);
        // Input boxes, including "All interfaces" in slot 0.
        rig.view.inputBoxes[0] = true;
        rig.console.CheckBox17Click(0);
        for (int slot = 0; slot < 13; ++slot)
            QCOMPARE(rig.view.inputBoxes.at(slot), slot == 0);
        // Tags from outside the tables are ignored.
        rig.console.CheckBox1Click(16);
        rig.console.CheckBox17Click(-1);
        // State boxes.
        rig.view.stateBoxes[StateBox::CB_Relay_1] = true;
        rig.console.CB_Relay_1Click();
        QVERIFY(!rig.view.stateBoxes[StateBox::CB_Relay_0]);
        rig.view.stateBoxes[StateBox::CB_Relay_0] = true;
        rig.console.CB_Relay_0Click();
        QVERIFY(!rig.view.stateBoxes[StateBox::CB_Relay_1]);
        rig.view.stateBoxes[StateBox::CB_Relay_0] = false;
        rig.console.CB_Relay_0Click();
        QVERIFY(!rig.view.stateBoxes[StateBox::CB_Relay_1]);
    }

    void overlongTimeIsRefused() {
        Rig rig;
        rig.open(2);
        rig.view.relayBoxes.fill(false);
        rig.view.relayBoxes[15] = true;
        // "AT+STACH15=0," + 84 characters + "\r\n" is 99 bytes: still sent.
        rig.view.fields[Field::Edt_Time] = QString(84, u'9');
        rig.console.But_RelayStateSetClick();
        QCOMPARE(rig.socket.sent.size(), 1);
        QCOMPARE(rig.socket.sent.first().bytes.size(), 99);
        QVERIFY(rig.view.warnings.isEmpty());

        rig.view.relayBoxes.fill(false);
        rig.view.relayBoxes[15] = true;
        rig.console.Receive(ClientA, 12345, "OK"); // consumes the re-poll flag
        const QString before = rig.view.transcript;
        rig.view.fields[Field::Edt_Time] = QString(85, u'9');
        rig.console.But_RelayStateSetClick();
        QCOMPARE(rig.socket.sent.size(), 1);
        QCOMPARE(rig.view.warnings.size(), 1);
        QCOMPARE(rig.view.transcript, before);
        QVERIFY(rig.view.relayBoxes[15]);
        QVERIFY(!rig.console.RelayRepollPending());
        // A Chinese time text counts its GBK bytes.
        rig.view.fields[Field::Edt_Time] = QString(42, u'中') + QStringLiteral("9");
        rig.console.But_RelayStateSetClick();
        QCOMPARE(rig.view.warnings.size(), 2);
    }

    void warningBoxLetsEventsThrough() {
        // While the port warning of a UDP send is open, a reply arrives and
        // the user clicks the send button again; all of it lands in order.
        Rig rig;
        rig.open(2);
        rig.view.fields[Field::MemoTCPSend] = QStringLiteral("AT");
        rig.view.fields[Field::Edt_RemotePort] = QStringLiteral("bad");
        rig.view.duringWarning = [&rig] {
            rig.console.Receive(ClientA, 12345, "+OCCH2=1");
            rig.view.fields[Field::Edt_RemotePort] = QStringLiteral("12345");
            rig.console.But_TCPSendClick();
        };
        rig.console.But_TCPSendClick();
        QCOMPARE(rig.view.transcript, QStringLiteral("AT\r\n+OCCH2=1\r\n\r\nAT"));
        QCOMPARE(rig.sentTexts(), QStringList{QStringLiteral("AT")});
        QCOMPARE(rig.view.inputLamps[1], lampcolour::Lime);

        // The listen time-out box: the user opens again from inside it.
        Rig server;
        server.open(0);
        server.view.duringWarning = [&server] { server.console.But_TCPCtlClick(); };
        server.console.TimerConnOutTimer();
        QVERIFY(server.socket.Active());
        QVERIFY(server.TimerConnOut.isActive());
        QCOMPARE(server.socket.opened.size(), 2);
    }

    void clientWatchLeavesASearchAlone() {
        Rig rig;
        rig.view.fields[Field::Edt_RemoteIP] = QStringLiteral("127.0.0.1");
        rig.open(1);
        rig.searchTakesTheSocket();
        rig.view.stateLamp = lampcolour::Silver;
        rig.console.Timer_CheckTCPClientTimer();
        QVERIFY(!rig.Timer_CheckTCPClient.isActive());
        QCOMPARE(rig.view.stateLamp, lampcolour::Silver);
    }

    void closingStopsTheClientWatch() {
        Rig rig;
        rig.openConnectedClient();
        rig.console.But_TCPCtlClick();
        QVERIFY(!rig.socket.Active());
        QVERIFY(!rig.Timer_CheckTCPClient.isActive());
        QCOMPARE(rig.view.captions[Control::But_TCPCtl], QStringLiteral("连接"));
    }

    // Whatever arrives: only lamps that exist change, Edt_Time only ever
    // shows a number of at most 15 digits, and the transcript never shows
    // more characters than bytes arrived.
    void hostileArrivals() {
        Rig rig;
        rig.open(2);
        QRandomGenerator random(20261208);
        static const char *const heads[] = {"", "+STACH", "+OCCH", "x+STACH", "+OCCH+STACH"};
        qsizetype arrived = 0;
        for (int round = 0; round < 4000; ++round) {
            QByteArray data = heads[random.bounded(int(std::size(heads)))];
            const int noise = random.bounded(random.bounded(10) == 0 ? 2000 : 24);
            for (int i = 0; i < noise; ++i)
                data += char(random.bounded(256));
            arrived += data.size();
            rig.console.Receive(quint32(random.bounded(4)), quint16(random.bounded(3)), data);
            const QString time = rig.view.fields.value(Field::Edt_Time);
            QVERIFY2(time.size() <= 15 && !time.contains(QRegularExpression(QStringLiteral("\\D"))),
                     qPrintable(time));
        }
        // Line breaks for changes of sender come on top of the data.
        QVERIFY(rig.view.transcript.size() <= arrived + 2 * 4000);
        rig.TimerReadAllRelay.stop();
    }
};

QTEST_GUILESS_MAIN(TstConsole)
#include "tst_console.moc"
