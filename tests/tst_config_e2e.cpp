// The configuration side end to end: the real window, offscreen, with its
// real socket in a virtual lab, against simulated modules. Message boxes are
// answered as a user would, and their texts kept for the checks.
#include "atframe.h"
#include "boxwatcher.h"
#include "formaccess.h"
#include "labfixture.h"
#include "mainwindow.h"
#include "systemadapters.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <memory>
#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Generous: conditions that hold within milliseconds on a quiet machine may
// take many seconds under the sanitizers on a busy one.
constexpr int Deadline = 60000;

QString indented(const QString &text) {
    return QString(10, u' ') + text;
}

// The window in the lab, with helpers that act as the user does.
struct Tool {
    std::unique_ptr<TFrmMain> window = std::make_unique<TFrmMain>();
    QListWidget *list = control<QListWidget>(*window, "ListBoxIP");
    QPlainTextEdit *memoInfo = control<QPlainTextEdit>(*window, "MemoInfo");
    BoxWatcher boxes;

    Tool() { window->show(); }

    template <class T> T *c(const char *name) const { return control<T>(*window, name); }
    void click(const char *button) { c<QPushButton>(button)->click(); }
    // A field's text: an edit's, a list's shown text, a label's.
    QString text(const char *field) const {
        QWidget *w = c<QWidget>(field);
        if (const auto *box = qobject_cast<QComboBox *>(w))
            return box->currentText();
        if (const auto *label = qobject_cast<QLabel *>(w))
            return label->text();
        return qobject_cast<QLineEdit *>(w)->text();
    }
    // Types the text into a field, or into a list's edit part.
    void enter(const char *field, const QString &text) {
        QWidget *w = c<QWidget>(field);
        if (auto *box = qobject_cast<QComboBox *>(w))
            box->setCurrentText(text);
        else if (auto *label = qobject_cast<QLabel *>(w))
            label->setText(text);
        else
            qobject_cast<QLineEdit *>(w)->setText(text);
    }

    // Clicks "Search module " and waits for that many list lines.
    bool search(int modules) {
        click("But_UDPFind");
        return QTest::qWaitFor([&] { return list->count() == modules; }, Deadline);
    }
    // Picks a line and waits for the read-all to reach the version.
    bool pickAndRead(int row) {
        pick(row);
        return QTest::qWaitFor([&] { return text("LaVersion") == u"V1.0"_s; }, Deadline);
    }
    void pick(int row) {
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QStringList memo() const { return memoInfo->toPlainText().split(u'\n'); }
    qsizetype memoCount(const QString &text) const {
        qsizetype n = 0;
        for (const QString &line : memo())
            n += line.endsWith(text) ? 1 : 0;
        return n;
    }
    QStringList listLines() const {
        QStringList lines;
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        return lines;
    }
    // Memo texts after index from, without their time stamps.
    QStringList memoTextsFrom(qsizetype from) const {
        QStringList out;
        for (const QString &line : memo().mid(from)) {
            const qsizetype sep = line.indexOf(u": ");
            out << (sep >= 0 ? line.mid(sep + 2) : line);
        }
        return out;
    }
    // The success and failure lines after index from, without indentation.
    QStringList resultsFrom(qsizetype from) const {
        QStringList out;
        for (const QString &text : memoTextsFrom(from)) {
            if (text.startsWith(QString(10, u' ')))
                out << text.trimmed();
        }
        return out;
    }
    QString line(const SimProcess::Module &module) const {
        return QString::fromLatin1(module.ip + ':' + module.mac);
    }
    // "Network adapter" as the user opens it: its entries, separators left out.
    QList<QAction *> adapterMenu() const {
        auto *menu = c<QMenu>("MenuAdapter");
        menu->popup(QPoint());
        QList<QAction *> entries;
        for (QAction *action : menu->actions()) {
            if (!action->isSeparator())
                entries << action;
        }
        menu->hide();
        return entries;
    }
    bool chooseAdapter(const QString &objectName) {
        for (QAction *action : adapterMenu()) {
            if (action->objectName() == objectName) {
                action->trigger();
                return true;
            }
        }
        return false;
    }
};

LabFixture::Options oneModule() {
    LabFixture::Options options;
    options.modules = 1;
    return options;
}

NetworkAdapter adapterNamed(const QString &name) {
    const QList<NetworkAdapter> adapters = SystemAdapters().adapters();
    const auto it = std::find_if(adapters.cbegin(), adapters.cend(),
                                 [&](const NetworkAdapter &a) { return a.name == name; });
    return it == adapters.cend() ? NetworkAdapter() : *it;
}

// A second LAN behind eth1 with one module, which has the MAC text of the
// first LAN's module when sameMac.
LabFixture::Options twoLans(bool decoy, bool sameMac) {
    LabFixture::Options options;
    options.modules = 1;
    options.decoy = decoy;
    LabFixture::Lan second;
    second.computerIp = "10.0.0.10";
    second.firstModuleIp = "10.0.0.199";
    if (sameMac) {
        options.simArguments = {u"--module"_s, u"ip=192.168.1.199;mac=02:00:00:00:00:07"_s};
        second.simArguments = {u"--module"_s, u"ip=10.0.0.199;mac=02:00:00:00:00:07"_s};
    }
    options.moreLans = {second};
    return options;
}

QMap<QByteArray, QString> paramsOf(SimProcess &sim, int module) {
    QStringList out;
    QMap<QByteArray, QString> params;
    if (!sim.control("params " + QByteArray::number(module), &out))
        return params;
    for (const QString &line : std::as_const(out)) {
        const QStringList parts = line.split(u' ');
        if (parts.size() >= 3 && parts[0] == u"param"_s)
            params.insert(parts[2].toLatin1(), parts.mid(3).join(u' '));
    }
    return params;
}

} // namespace

class TstConfigE2E : public QObject {
    Q_OBJECT

private slots:
    // Another program holds UDP 5000 on the computer (here a plain socket):
    // the window says so instead of showing an empty list, and so does the
    // command-line tool, naming the port and who may hold it.
    void searchWhileAnotherProgramHoldsThePort() {
        LabFixture lab;
        LAB_SETUP_OR_SKIP(lab);
        struct Held {
            int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            ~Held() { ::close(fd); }
        } held;
        sockaddr_in any{};
        any.sin_family = AF_INET;
        any.sin_port = htons(atframe::ConfigPort);
        QCOMPARE(::bind(held.fd, reinterpret_cast<const sockaddr *>(&any), sizeof any), 0);

        Tool tool;
        const qsizetype from = tool.memo().size();
        tool.click("But_UDPFind");
        QTest::qWait(300);
        QCOMPARE(tool.list->count(), 0);
        const QStringList texts = tool.memoTextsFrom(from);
        QVERIFY2(
            texts.filter(u"无法打开UDP端口5000，可能已被其他程序占用，没有发送搜索"_s).size() == 1,
            qPrintable(texts.join(u" | "_s)));

        QProcess cli;
        cli.start(QStringLiteral(OSTREL_CLI_EXE), {u"search"_s});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 3);
        const QString said = QString::fromUtf8(cli.readAllStandardError());
        QVERIFY2(said.contains(u"UDP port 5000"_s) && said.contains(u"window that has searched"_s),
                 qPrintable(said));
    }

    void searchListsModulesInArrivalOrder() {
        LabFixture lab;
        LAB_SETUP_OR_SKIP(lab);
        // Replies leave in the reverse of the table's order.
        QVERIFY(lab.sim().fault(1, "delay:240"));
        QVERIFY(lab.sim().fault(2, "delay:120"));
        Tool tool;
        QVERIFY(tool.search(3));
        const auto &m = lab.modules();
        QCOMPARE(tool.listLines(),
                 QStringList({tool.line(m[2]), tool.line(m[1]), tool.line(m[0])}));
        // The search broadcast is heard back on port 5000 but never listed.
        QTest::qWait(300);
        QCOMPARE(tool.list->count(), 3);
        QVERIFY(tool.boxes.boxes.isEmpty());
        QVERIFY(tool.memo().contains(u"现在切换到设置模式"_s));
    }

    // A whole segment answers within milliseconds; none of it may be lost
    // while the window lists the first replies.
    void searchAnsweredByAFullTable() {
        LabFixture::Options options;
        options.modules = 256;
        LabFixture lab(options);
        LAB_SETUP_OR_SKIP(lab);
        Tool tool;
        QVERIFY(tool.search(256));
        QTest::qWait(200);
        QCOMPARE(tool.list->count(), 256);
        QVERIFY(tool.boxes.boxes.isEmpty());
    }

    void pickingAModuleReadsAllParameters() {
        LabFixture lab;
        LAB_SETUP_OR_SKIP(lab);
        Tool tool;
        QVERIFY(tool.search(3));
        const int row = int(tool.listLines().indexOf(tool.line(lab.modules()[1])));
        QVERIFY(row >= 0);
        QVERIFY(tool.pickAndRead(row));
        const SimProcess::Module &module = lab.modules()[1];
        QCOMPARE(tool.c<QComboBox>("Cmb_Model")->currentIndex(), 0);
        QCOMPARE(tool.text("Edt_GATEWAY"), u"192.168.1.1"_s);
        QCOMPARE(tool.text("Edt_MASK"), u"255.255.255.0"_s);
        QCOMPARE(tool.text("Edt_IP"), QString::fromLatin1(module.ip));
        QCOMPARE(tool.text("Edt_DIP"), QString::fromLatin1(lab.computerIp()));
        QCOMPARE(tool.text("Edt_Port"), u"12345"_s);
        QCOMPARE(tool.text("Edt_DPort"), u"6000"_s);
        QCOMPARE(tool.c<QComboBox>("DCHP_Model")->currentIndex(), 0);
        QCOMPARE(tool.text("Edt_Name"), u"Relay"_s);
        QCOMPARE(tool.text("Edt_MAC"), QString::fromLatin1(module.mac));
        QCOMPARE(tool.memoCount(u"版本号为： V1.0"_s), 1);
        QCOMPARE(tool.memoCount(u"成功"_s), 12);
        QVERIFY(tool.boxes.boxes.isEmpty());
        // The log follows its newest line.
        const QScrollBar *bar = tool.memoInfo->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
    }

    // A container bridge listed before the LAN: the modules behind the LAN
    // are found and read, and everything reaching them comes from the LAN
    // adapter's address, signed with its MAC.
    void decoyAdapterListedFirst() {
        LabFixture::Options options;
        options.decoy = true;
        LabFixture lab(options);
        LAB_SETUP_OR_SKIP(lab);
        const std::unique_ptr<UdpProbe> field = lab.fieldProbe("0.0.0.0", 0, atframe::ConfigPort);
        QVERIFY(field);
        const NetworkAdapter lan = adapterNamed(LabFixture::adapterName(0));
        QCOMPARE(SystemAdapters().adapters().first().name,
                 QString::fromLatin1(LabFixture::DecoyName));
        Tool tool;
        QCOMPARE(tool.text("Edt_LocalIP"), QString::fromLatin1(LabFixture::DecoyIp));
        QVERIFY(tool.search(3));
        QCOMPARE(tool.memoCount(u"搜索: docker0 172.17.0.1, eth0 192.168.1.10"_s), 1);
        const SimProcess::Module &module = lab.modules()[2];
        QVERIFY(tool.pickAndRead(int(tool.listLines().indexOf(tool.line(module)))));
        QCOMPARE(tool.text("Edt_IP"), QString::fromLatin1(module.ip));
        QCOMPARE(tool.text("Edt_MAC"), QString::fromLatin1(module.mac));
        QCOMPARE(tool.memoCount(u"成功"_s), 12);
        QCOMPARE(tool.text("Edt_LocalIP"), QString::fromLatin1(lab.computerIp()));
        QVERIFY(tool.boxes.boxes.isEmpty());

        QByteArrayList heard;
        for (const UdpProbe::Datagram &datagram : field->collect(100)) {
            const atframe::Frame frame = atframe::parseFrame(datagram.data);
            QCOMPARE(datagram.senderIp, lab.computerIp());
            QCOMPARE(frame.senderMac, lan.mac);
            heard << frame.targetMac + ' ' + frame.command;
        }
        const QByteArray target = module.mac + ' ';
        QCOMPARE(heard,
                 QByteArrayList({"00:00:00:00:00:00 AT", target + "AT", target + "AT+MODEL=?",
                                 target + "AT+GATEWAY=?", target + "AT+MASK=?", target + "AT+IP=?",
                                 target + "AT+DIP=?", target + "AT+PORT=?", target + "AT+DPORT=?",
                                 target + "AT+DCHP=?", target + "AT+NAME=?", target + "AT+MAC=?",
                                 target + "AT+VER=?"}));
    }

    // Modules behind two adapters, with the same MAC text: each listed
    // without a clash, each configured through its own adapter only.
    void modulesOnTwoAdapters() {
        LabFixture lab(twoLans(false, true));
        LAB_SETUP_OR_SKIP(lab);
        Tool tool;
        QVERIFY(tool.search(2));
        QCOMPARE(tool.memoCount(u"搜索: eth0 192.168.1.10, eth1 10.0.0.10"_s), 1);
        for (int lan = 0; lan < 2; ++lan) {
            const SimProcess::Module &module = lab.modules(lan)[0];
            tool.enter("LaVersion", QString());
            QVERIFY(tool.pickAndRead(int(tool.listLines().indexOf(tool.line(module)))));
            QCOMPARE(tool.text("Edt_IP"), QString::fromLatin1(module.ip));
            QCOMPARE(tool.text("Edt_LocalIP"), QString::fromLatin1(lab.computerIp(lan)));
            tool.enter("Edt_Name", u"Lan%1"_s.arg(lan));
            tool.click("But_SetName");
            QTRY_COMPARE_WITH_TIMEOUT(tool.memoCount(indented(u"设置模块设备名称成功"_s)), lan + 1,
                                      Deadline);
        }
        QCOMPARE(paramsOf(lab.sim(0), 1).value("NAME"), u"Lan0"_s);
        QCOMPARE(paramsOf(lab.sim(1), 1).value("NAME"), u"Lan1"_s);
        QVERIFY(tool.boxes.boxes.isEmpty());
    }

    // The adapter menu restricts the search and names the computer's
    // address; the choice is saved and restored with the settings.
    void adapterMenuRestrictsTheSearch() {
        LabFixture lab(twoLans(true, false));
        LAB_SETUP_OR_SKIP(lab);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        Tool tool;
        tool.window->setSettingsPath(folder.filePath(u"CFG.ini"_s));
        QStringList entries;
        for (const QAction *action : tool.adapterMenu())
            entries << action->text() + (action->isChecked() ? u" *"_s : QString());
        const QString decoy = QString::fromLatin1(LabFixture::DecoyName);
        QCOMPARE(entries,
                 QStringList({u"All adapters *"_s, adapterNamed(decoy).label(),
                              adapterNamed(u"eth0"_s).label(), adapterNamed(u"eth1"_s).label()}));

        QVERIFY(tool.chooseAdapter(u"Adapter_eth1"_s));
        QCOMPARE(tool.text("Edt_LocalIP"), u"10.0.0.10"_s);
        QVERIFY(tool.search(1));
        QTest::qWait(300); // room for a module behind another adapter to answer
        QCOMPARE(tool.listLines(), QStringList{tool.line(lab.modules(1)[0])});
        QCOMPARE(tool.memoCount(u"搜索: eth1 10.0.0.10"_s), 1);

        QVERIFY(tool.chooseAdapter(u"Adapter_"_s + decoy));
        tool.click("But_UDPFind");
        QTRY_COMPARE_WITH_TIMEOUT(tool.memoCount(u"没有模块应答搜索"_s), 1, Deadline);
        QCOMPARE(tool.list->count(), 0);
        QCOMPARE(tool.text("Edt_LocalIP"), QString::fromLatin1(LabFixture::DecoyIp));

        tool.c<QAction>("N11")->trigger();
        QVERIFY(tool.chooseAdapter(u"Adapter_eth0"_s));
        QCOMPARE(tool.text("Edt_LocalIP"), QString::fromLatin1(lab.computerIp()));
        tool.c<QAction>("N10")->trigger();
        QCOMPARE(tool.text("Edt_LocalIP"), QString::fromLatin1(LabFixture::DecoyIp));
        QStringList checked;
        for (const QAction *action : tool.adapterMenu()) {
            if (action->isChecked())
                checked << action->objectName();
        }
        QCOMPARE(checked, QStringList{u"Adapter_"_s + decoy});

        QVERIFY(tool.chooseAdapter(u"AdapterAll"_s));
        QVERIFY(tool.search(2));
        QVERIFY(tool.boxes.boxes.isEmpty());
    }

    void eachSetButtonChangesTheModule() {
        LabFixture lab(oneModule());
        LAB_SETUP_OR_SKIP(lab);
        Tool tool;
        QVERIFY(tool.search(1));
        QVERIFY(tool.pickAndRead(0));

        const struct {
            QList<std::pair<const char *, QString>> entries;
            const char *button;
            QByteArray param;
            QString value;
            QString success;
        } steps[] = {
            // clang-format off
            {{{"Cmb_Model", u"UDP"_s}}, "But_Model", "MODEL", u"2"_s, u"设置工作模式成功"_s},
            {{{"Edt_GATEWAY", u"192.168.1.254"_s}}, "But_GATEWAY", "GATEWAY", u"192.168.1.254"_s,
             u"设置网关IP成功"_s},
            {{{"Edt_MASK", u"255.255.0.0"_s}}, "But_MASK", "MASK", u"255.255.0.0"_s,
             u"设置子网掩码成功"_s},
            {{{"Edt_IP", u"192.168.1.77"_s}}, "But_IP", "IP", u"192.168.1.77"_s, u"设置模块IP成功"_s},
            {{{"Edt_DIP", u"192.168.1.88"_s}}, "But_DIP", "DIP", u"192.168.1.88"_s,
             u"设置模块目的IP成功"_s},
            {{{"Edt_Port", u"2001"_s}}, "But_Port", "PORT", u"2001"_s, u"设置模块端口成功"_s},
            {{{"Edt_DPort", u"7001"_s}}, "But_DPort", "DPORT", u"7001"_s, u"设置模块目的端口成功"_s},
            {{{"DCHP_Model", u"Open"_s}}, "But_SetDCHP", "DCHP", u"1"_s, u"设置DCHP模式成功"_s},
            {{{"Edt_Name", u"继电器七个字"_s}}, "But_SetName", "NAME", u"继电器七个字"_s,
             u"设置模块设备名称成功"_s},
            // The simulated module takes 8 data bits at most.
            {{{"Cmb_Baud", u"115200"_s}, {"Cmb_DataBit", u"8"_s}, {"Cmb_StopBit", u"2"_s},
              {"Cmb_Parity", u"Even"_s}}, "But_SetUART", "UART", u"115200,8,3,2"_s,
             u"设置模块串口参数成功"_s},
            {{{"Edt_MAC", u"02:00:00:00:00:42"_s}}, "But_SetMAC", "MAC", u"02:00:00:00:00:42"_s,
             u"设置模块MAC地址成功"_s},
            // clang-format on
        };
        for (const auto &step : steps) {
            for (const auto &[field, text] : step.entries)
                tool.enter(field, text);
            tool.click(step.button);
            QTRY_VERIFY2_WITH_TIMEOUT(tool.memoCount(indented(step.success)) == 1,
                                      qPrintable(QString::fromLatin1(step.param) + u": "_s +
                                                 tool.memo().last(3).join(u'|')),
                                      3000);
            QCOMPARE(paramsOf(lab.sim(), 1).value(step.param), step.value);
        }
        // The list line and later frames follow the new MAC address.
        QCOMPARE(tool.listLines(),
                 QStringList{QString::fromLatin1(lab.modules()[0].ip) + u":02:00:00:00:00:42"_s});
        tool.click("But_GATEWAYCheck");
        QTRY_COMPARE_WITH_TIMEOUT(tool.memoCount(indented(u"查询网关IP地址成功"_s)), 2, 3000);
        QVERIFY(tool.boxes.boxes.isEmpty());
    }

    // Each query button reads its own parameter into its own field, whatever
    // the field held.
    void eachQueryButtonReadsItsParameter() {
        LabFixture lab(oneModule());
        LAB_SETUP_OR_SKIP(lab);
        Tool tool;
        QVERIFY(tool.search(1));
        QVERIFY(tool.pickAndRead(0));
        const SimProcess::Module &module = lab.modules()[0];
        const struct {
            const char *button;
            const char *field;
            QString shown;
            QString success;
        } queries[] = {
            {"But_ModelCheck", "Cmb_Model", u"TCP_Server"_s, u"查询工作模式成功"_s},
            {"But_GATEWAYCheck", "Edt_GATEWAY", u"192.168.1.1"_s, u"查询网关IP地址成功"_s},
            {"But_MASKCheck", "Edt_MASK", u"255.255.255.0"_s, u"查询子网掩码成功"_s},
            {"But_IPCheck", "Edt_IP", QString::fromLatin1(module.ip), u"查询模块IP地址成功"_s},
            {"But_DIPCheck", "Edt_DIP", QString::fromLatin1(lab.computerIp()),
             u"查询模块目的IP地址成功"_s},
            {"But_PortCheck", "Edt_Port", u"12345"_s, u"查询模块端口成功"_s},
            {"But_DPortCheck", "Edt_DPort", u"6000"_s, u"查询模块目的端口成功"_s},
            {"But_UARTCheck", "Cmb_Baud", u"9600"_s, u"查询模块串口参数成功"_s},
            {"But_MACCheck", "Edt_MAC", QString::fromLatin1(module.mac), u"查询模块MAC地址成功"_s},
            {"But_DCHPCheck", "DCHP_Model", u"Close"_s, u"查询模块DCHP模式成功"_s},
            {"But_NameCheck", "Edt_Name", u"Relay"_s, u"查询模块设备名称成功"_s},
            {"But_ReadVer", "LaVersion", u"V1.0"_s, u"读取版本号成功"_s},
        };
        for (const auto &query : queries) {
            tool.enter(query.field, u"typed"_s);
            const qsizetype before = tool.memoCount(indented(query.success));
            tool.click(query.button);
            QTRY_COMPARE_WITH_TIMEOUT(tool.memoCount(indented(query.success)), before + 1,
                                      Deadline);
            QCOMPARE(tool.text(query.field), query.shown);
        }
        QVERIFY(tool.boxes.boxes.isEmpty());
    }

    void writeAllWritesTenParameters() {
        LabFixture lab(oneModule());
        LAB_SETUP_OR_SKIP(lab);
        Tool tool;
        QVERIFY(tool.search(1));
        QVERIFY(tool.pickAndRead(0));
        const std::pair<const char *, QString> entries[] = {
            {"Cmb_Model", u"UDP_Server"_s}, {"Edt_GATEWAY", u"10.1.1.1"_s},
            {"Edt_MASK", u"255.0.0.0"_s},   {"Edt_IP", u"10.1.1.2"_s},
            {"Edt_DIP", u"10.1.1.3"_s},     {"Edt_Port", u"4001"_s},
            {"Edt_DPort", u"4002"_s},       {"DCHP_Model", u"Open"_s},
            {"Edt_Name", u"Pump"_s},        {"Edt_MAC", u"02:00:00:00:00:99"_s}};
        for (const auto &[field, text] : entries)
            tool.enter(field, text);
        tool.click("But_OneKey");
        QTRY_COMPARE_WITH_TIMEOUT(tool.memoCount(indented(u"设置模块MAC地址成功"_s)), 1, 10000);
        const QMap<QByteArray, QString> params = paramsOf(lab.sim(), 1);
        const QMap<QByteArray, QString> expected{
            {"MODEL", u"3"_s},        {"GATEWAY", u"10.1.1.1"_s},
            {"MASK", u"255.0.0.0"_s}, {"IP", u"10.1.1.2"_s},
            {"DIP", u"10.1.1.3"_s},   {"PORT", u"4001"_s},
            {"DPORT", u"4002"_s},     {"DCHP", u"1"_s},
            {"NAME", u"Pump"_s},      {"MAC", u"02:00:00:00:00:99"_s}};
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(params.value(it.key()), it.value());
        QCOMPARE(tool.memoCount(u"成功"_s), 12 + 10);
        QVERIFY(tool.boxes.boxes.isEmpty());
    }

    // While the selected module's answer is on its way, others answer in
    // its place: only the MAC text the query was addressed to counts.
    void repliesAreReadOnlyFromTheAddressedModule() {
        LabFixture::Options options;
        options.modules = 2;
        LabFixture lab(options);
        LAB_SETUP_OR_SKIP(lab);
        Tool tool;
        QVERIFY(tool.search(2));
        const SimProcess::Module a = lab.modules()[0];
        const SimProcess::Module b = lab.modules()[1];
        QVERIFY(tool.pickAndRead(int(tool.listLines().indexOf(tool.line(a)))));
        const std::unique_ptr<UdpProbe> fromA = lab.fieldProbe(a.ip);
        const std::unique_ptr<UdpProbe> fromB = lab.fieldProbe(b.ip);
        QVERIFY(fromA && fromB);
        QVERIFY(lab.sim().fault(1, "delay:500"));
        tool.click("But_IPCheck");
        QTRY_COMPARE_WITH_TIMEOUT(tool.memoCount(u"查询模块IP地址"_s), 2, Deadline);
        const struct {
            UdpProbe *probe;
            QByteArray mac;
        } strangers[] = {
            {fromB.get(), b.mac},           // the other module
            {fromA.get(), b.mac},           // the other module's MAC from A's address
            {fromA.get(), a.mac.toUpper()}, // not the MAC text the table holds
        };
        for (const auto &stranger : strangers) {
            QVERIFY(stranger.probe->send(lab.computerIp(), atframe::ConfigPort,
                                         atframe::buildReply(stranger.mac, "+IP=10.9.9.9\r\n")));
        }
        const QString success = indented(u"查询模块IP地址成功"_s);
        QTRY_VERIFY_WITH_TIMEOUT(tool.memoCount(success) >= 2, Deadline);
        QCOMPARE(tool.text("Edt_IP"), QString::fromLatin1(a.ip));
        QTest::qWait(300);
        QCOMPARE(tool.memoCount(success), 2);
        QVERIFY(tool.boxes.boxes.isEmpty());
    }

    void writeAllWithAModuleThatAnswersTwice_data() {
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<QStringList>("results");
        QTest::newRow("every step accepted")
            << u"10.1.1.1"_s << QStringList{u"设置工作模式成功"_s,     u"设置网关IP成功"_s,
                                            u"设置子网掩码成功"_s,     u"设置模块IP成功"_s,
                                            u"设置模块目的IP成功"_s,   u"设置模块端口成功"_s,
                                            u"设置模块目的端口成功"_s, u"设置DCHP模式成功"_s,
                                            u"设置模块设备名称成功"_s, u"设置模块MAC地址成功"_s};
        QTest::newRow("gateway refused")
            << u"10.1.1"_s << QStringList{u"设置工作模式成功"_s, u"设置网关IP失败"_s};
    }

    // Each answer comes twice; the second must not pass for the next step's.
    void writeAllWithAModuleThatAnswersTwice() {
        QFETCH(QString, gateway);
        QFETCH(QStringList, results);
        LabFixture lab(oneModule());
        LAB_SETUP_OR_SKIP(lab);
        Tool tool;
        QVERIFY(tool.search(1));
        QVERIFY(tool.pickAndRead(0));
        QVERIFY(lab.sim().fault(1, "twice"));
        tool.enter("Edt_GATEWAY", gateway);
        const qsizetype from = tool.memo().size();
        tool.click("But_OneKey");
        QTRY_VERIFY_WITH_TIMEOUT(tool.resultsFrom(from).size() >= results.size(), Deadline);
        QTest::qWait(600); // room for a misread answer to show
        QCOMPARE(tool.resultsFrom(from), results);
        const QMap<QByteArray, QString> params = paramsOf(lab.sim(), 1);
        QCOMPARE(params.value("GATEWAY"), results.size() > 2 ? u"10.1.1.1"_s : u"192.168.1.1"_s);
        QCOMPARE(params.value("MASK"), u"255.255.255.0"_s);
    }

    // The module answers slowly; a search clicked while a read-all waits for
    // an answer must not take that answer for a module found.
    void searchEndsTheReadAllInProgress() {
        LabFixture lab(oneModule());
        LAB_SETUP_OR_SKIP(lab);
        Tool tool;
        QVERIFY(tool.search(1));
        tool.pick(0);
        QTRY_COMPARE_WITH_TIMEOUT(tool.memoCount(indented(u"AT命令响应成功"_s)), 1, Deadline);
        QVERIFY(lab.sim().fault(1, "delay:400"));
        const auto queriesSent = [&] {
            const QStringList texts = tool.memoTextsFrom(0);
            return std::count_if(texts.cbegin(), texts.cend(),
                                 [](const QString &t) { return t.startsWith(u"查询"_s); });
        };
        const auto before = queriesSent();
        QTRY_VERIFY_WITH_TIMEOUT(queriesSent() > before, Deadline);
        QVERIFY(tool.search(1));
        const auto afterSearch = queriesSent();
        QTest::qWait(800); // both the late answer and the search answer are in
        QCOMPARE(tool.listLines(), QStringList{tool.line(lab.modules()[0])});
        QVERIFY(tool.boxes.boxes.isEmpty());
        QCOMPARE(queriesSent(), afterSearch); // the read ended with the search
    }

    // A reply whose MAC text is far longer than any MAC is not a module; the
    // memo says how many such replies the search ignored.
    void overlongMacTextsAreNotListed() {
        LabFixture lab(oneModule());
        LAB_SETUP_OR_SKIP(lab);
        Tool tool;
        QVERIFY(tool.search(1));
        const std::unique_ptr<UdpProbe> stranger = lab.fieldProbe("192.168.1.50");
        QVERIFY(stranger);
        const QByteArray huge =
            atframe::buildReply(QByteArray(65000, 'a'), "OK\r\n" + QByteArray(500, ' '));
        QCOMPARE(huge.size(), 65507);
        const QByteArray longest(64, 'b');
        for (const QByteArray &datagram : {huge, huge, atframe::buildReply(longest, "OK\r\n")})
            QVERIFY(stranger->send(lab.computerIp(), atframe::ConfigPort, datagram));
        const QString listed = u"192.168.1.50:"_s + QString::fromLatin1(longest);
        QTRY_VERIFY_WITH_TIMEOUT(tool.listLines().contains(listed), Deadline);
        QCOMPARE(tool.listLines(), QStringList({tool.line(lab.modules()[0]), listed}));
        const QString ignored = u"已忽略2个搜索应答：MAC地址超过64个字节"_s;
        QTRY_COMPARE_WITH_TIMEOUT(tool.memoCount(ignored), 1, Deadline);
        QVERIFY(tool.boxes.boxes.isEmpty());
    }

    // One address answers a thousand times, alternating two MAC texts: one
    // warning box at a time, and every clash reported, but each once while
    // a box is open.
    void floodOfClashingRepliesOpensOneBoxAtATime() {
        LabFixture lab(oneModule());
        LAB_SETUP_OR_SKIP(lab);
        Tool tool;
        QVERIFY(tool.search(1));
        const std::unique_ptr<UdpProbe> flooder = lab.fieldProbe("192.168.1.50");
        const std::unique_ptr<UdpProbe> marker = lab.fieldProbe("192.168.1.51");
        QVERIFY(flooder && marker);
        const QString ip = u"192.168.1.50"_s;
        const QString m1 = u"02:00:00:00:01:01"_s;
        const QString m2 = u"02:00:00:00:01:02"_s;
        const QString six(6, u' ');
        const auto same = [&](const QString &mac) {
            return u"两个或以上的模块MAC地址、IP地址相同，MAC地址为："_s + mac + u"，IP地址为："_s +
                   ip + u"，请通过串口功能设置"_s;
        };
        const auto sameIp = [&](const QString &first, const QString &second) {
            return u"两模块的IP地址相同，IP地址为："_s + ip + u"，MAC地址分别为："_s + first + six +
                   second;
        };
        const QString last = u"两模块的MAC地址相同，MAC地址为："_s + m1 + u"，IP地址分别为："_s +
                             ip + six + u"192.168.1.51，请通过串口功能设置"_s;
        const QStringList clashes = {same(m1), same(m2), sameIp(m1, m2), sameIp(m2, m1), last};
        // A repeated last reply also clashes with itself.
        const QString lastAgain = u"两个或以上的模块MAC地址、IP地址相同，MAC地址为："_s + m1 +
                                  u"，IP地址为：192.168.1.51，请通过串口功能设置"_s;

        std::atomic<bool> flooded = false;
        std::thread flood([&] {
            for (int i = 0; i < 1000; ++i) {
                const QString &mac = i % 2 ? m2 : m1;
                flooder->send(lab.computerIp(), atframe::ConfigPort,
                              atframe::buildReply(mac.toLatin1(), "OK\r\n"));
                std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
            flooded = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(flooded, Deadline);
        flood.join();
        const auto reports = [&] {
            QStringList out = tool.boxes.texts();
            for (const QString &text : tool.memoTextsFrom(0)) {
                if (text.startsWith(u"两"_s))
                    out << text;
            }
            return out;
        };
        // A last reply clashes in its own way: once it is reported and no box
        // is open, everything before it has been handled. It is sent again
        // should the socket have had no room for it.
        QElapsedTimer sinceMarker;
        const auto handled = [&] {
            if (reports().contains(last) && tool.window->findChildren<QMessageBox *>().isEmpty())
                return true;
            if (!sinceMarker.isValid() || sinceMarker.elapsed() > 500) {
                marker->send(lab.computerIp(), atframe::ConfigPort,
                             atframe::buildReply(m1.toLatin1(), "OK\r\n"));
                sinceMarker.start();
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(handled(), Deadline);
        QCOMPARE(tool.boxes.mostOpen, 1);
        const QStringList reported = reports();
        for (const QString &text : reported)
            QVERIFY2(clashes.contains(text) || text == lastAgain, qPrintable(text));
        for (const QString &text : clashes)
            QVERIFY2(reported.contains(text), qPrintable(text));
        QVERIFY2(reported.size() <= (clashes.size() + 1) * tool.boxes.boxes.size(),
                 qPrintable(QString::number(reported.size())));
    }

    void sharedAddressesAreWarnedAbout() {
        LabFixture::Options options;
        options.modules = 2;
        // The second module shares the first one's MAC text.
        options.simArguments = {u"--module"_s, u"ip=192.168.1.199;mac=02:00:00:00:00:01"_s,
                                u"--module"_s, u"ip=192.168.1.200;mac=02:00:00:00:00:01"_s};
        LabFixture lab(options);
        LAB_SETUP_OR_SKIP(lab);
        Tool tool;
        QVERIFY(tool.search(2));
        QTRY_COMPARE_WITH_TIMEOUT(tool.boxes.boxes.size(), 1, 3000);
        const QStringList lines = tool.listLines();
        const QString first = lines[0].section(u':', 0, 0);
        const QString second = lines[1].section(u':', 0, 0);
        QCOMPARE(tool.boxes.texts()[0],
                 u"两模块的MAC地址相同，MAC地址为：02:00:00:00:00:01，IP地址分别为："_s + first +
                     QString(6, u' ') + second + u"，请通过串口功能设置"_s);
    }

    void silentModuleTimesOut() {
        LabFixture lab(oneModule());
        LAB_SETUP_OR_SKIP(lab);
        Tool tool;
        QVERIFY(tool.search(1));
        QVERIFY(lab.sim().fault(1, "silent"));
        tool.pick(0);
        QTRY_COMPARE_WITH_TIMEOUT(tool.boxes.texts(), QStringList{u"应答超时"_s}, 3000);
        QCOMPARE(tool.memoCount(u"发送AT命令"_s), 1);
    }

    void wrongAnswersStopAfterThreeRepeats() {
        LabFixture lab(oneModule());
        LAB_SETUP_OR_SKIP(lab);
        Tool tool;
        QVERIFY(tool.search(1));
        QVERIFY(lab.sim().fault(1, "wrong"));
        tool.pick(0);
        QTRY_COMPARE_WITH_TIMEOUT(tool.boxes.texts(), QStringList{u"连续3次应答错误"_s}, 5000);
        QCOMPARE(tool.memoCount(u"发送AT命令"_s), 4);
        QCOMPARE(tool.memoCount(indented(u"AT命令响应失败"_s)), 1);
    }
};

QTEST_MAIN(TstConfigE2E)
#include "tst_config_e2e.moc"
