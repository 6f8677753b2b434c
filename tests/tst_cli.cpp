// The command-line tool without a network: its words and options, the
// settings it accepts and the frames the core builds of them, the files it
// reads, the replies of the working mode, and the documents it prints.
#include "cliapp.h"
#include "languagecheck.h"
#include "moduleresults.h"
#include "networkadapter.h"
#include "parameteritems.h"
#include "planfiles.h"
#include "sockettransport.h"

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

const QString Module = u"02:00:c0:a8:01:c7"_s;
const QString Other = u"02:00:c0:a8:01:c8"_s;

class FixedAdapters final : public AdapterSource {
public:
    QList<NetworkAdapter> list;
    QList<NetworkAdapter> adapters() const override { return list; }
};

NetworkAdapter labAdapter() {
    return {u"eth0"_s, 2, 0x0A01A8C0, 0x00FFFFFF, "02:00:00:00:00:10"};
}

struct Run {
    int code = -1;
    QString out;
    QString err;

    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
};

// failingOut: standard output as a device that takes nothing, as a full disk.
Run runCli(const QString &line, const QList<NetworkAdapter> &adapters = {labAdapter()},
           QIODevice *failingOut = nullptr) {
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    FixedAdapters source;
    source.list = adapters;
    const cli::Environment environment{failingOut ? *failingOut : out, err, false, source,
                                       [] { return std::make_unique<SocketTransport>(); }};
    QStringList arguments = line.split(u' ', Qt::SkipEmptyParts);
    // The expectations are English: the C locale's, and where the system has
    // no C locale (Windows, a Chinese one under Wine) English asked for.
    if (QLocale::system().language() != QLocale::C && !line.contains(u"--lang"_s))
        arguments.prepend(u"--lang=en"_s);
    arguments.prepend(u"ostrel-cli"_s);
    const int code = cli::run(arguments, environment);
    return {code, QString::fromUtf8(out.data()), QString::fromUtf8(err.data())};
}

// "key=value" texts joined by ';', as the command line takes them back.
QString settingsText(const cli::Settings &settings) {
    QStringList texts;
    for (const cli::Setting &s : settings)
        texts.append(cli::keyOf(s.parameter) + u'=' +
                     parameters::text(s.parameter, s.value).value_or(u"?"_s));
    return texts.join(u';');
}

QString planText(const cli::Plan &plan) {
    if (!plan.error.isEmpty())
        return u"error: "_s + plan.error;
    QStringList rows;
    for (const cli::PlanRow &row : plan.rows)
        rows.append(row.module + u'{' + settingsText(row.settings) + u'}');
    return rows.join(u' ');
}

} // namespace

// With --json, a usage error is a document on standard output too, naming
// the same fault; without, standard output stays empty.
void checkUsageDocument(const Run &run, bool json, const QString &message) {
    if (!json) {
        QVERIFY(run.out.isEmpty());
        return;
    }
    const QJsonObject document = run.json();
    QCOMPARE(document[u"exitCode"_s].toInt(-1), 2);
    QCOMPARE(document[u"ok"_s], QJsonValue(false));
    QCOMPARE(document[u"errors"_s][0][u"step"_s].toString(), u"usage"_s);
    QVERIFY2(document[u"errors"_s][0][u"message"_s].toString().contains(message),
             qPrintable(run.out));
}

class TstCli : public QObject {
    Q_OBJECT

private slots:
    // Words, options and checks of every command up to the point where it
    // would talk to a module.
    void commandLine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("stderrHas"); // or, for code 0, stdout
        const auto row = [](const char *name, const QString &line, int code, const QString &has) {
            QTest::newRow(name) << line << code << has;
        };
        row("no command", u""_s, 2, u"no command given"_s);
        row("unknown command", u"frobnicate"_s, 2, u"no command \"frobnicate\"\n"_s);
        row("mistyped command", u"serach"_s, 2, u"did you mean \"search\"?"_s);
        row("mistyped help", u"help wirte"_s, 2, u"did you mean \"write\"?"_s);
        row("general help", u"--help"_s, 0, u"apply"_s);
        row("help of a command", u"help relay"_s, 0, u"--time"_s);
        row("help after the command", u"set --help"_s, 0, u"uart"_s);
        row("help-all after the command", u"read --help-all"_s, 0,
            u"Usage: ostrel-cli read TARGET...\n"_s);
        row("help names what write needs", u"help write"_s, 0,
            u"Usage: ostrel-cli write TARGET... --from FILE\n"_s);
        row("help of help", u"help help"_s, 0, u"Usage: ostrel-cli help [COMMAND]\n"_s);
        row("help of nothing", u"help nothing"_s, 2, u"no command \"nothing\""_s);
        row("version", u"--version"_s, 0, u"ostrel-cli 1."_s);
        row("version, capital", u"-V"_s, 0, u"ostrel-cli 1."_s);
        row("default all, nobody to ask", u"default all"_s, 2, u"give --yes"_s);
        row("set all, nobody to ask", u"set all port=5"_s, 2, u"give --yes"_s);
        row("usage error as a document", u"read all --json --rate 9"_s, 2, u"--rate takes"_s);
        row("unknown option as a document", u"read all --json --colour"_s, 2,
            u"Unknown option 'colour'"_s);
        row("option before the command", u"--timeout 500 relays 10.0.0.1:1 --dry-run"_s, 2,
            u"Unknown option 'dry-run'"_s);
        row("option another command has", u"relays 10.0.0.1:1 --uart"_s, 2,
            u"Unknown option 'uart'"_s);
        row("endpoint without port", u"relays 10.0.0.1"_s, 2, u"is not HOST:PORT"_s);
        row("relay beyond 15", u"relay 10.0.0.1:1 16 on"_s, 2, u"from 0 to 15"_s);
        row("input beyond 12", u"inputs 10.0.0.1:1 13"_s, 2, u"from 0 to 12"_s);
        row("state", u"relay 10.0.0.1:1 3 maybe"_s, 2, u"neither on nor off"_s);
        row("time not a number", u"relay 10.0.0.1:1 3 on --time 1e3"_s, 2, u"--time"_s);
        row("time too long", u"relay 10.0.0.1:1 3 on --time "_s + QString(90, u'9'), 2,
            u"99 bytes"_s);
        row("both transports", u"relays 10.0.0.1:1 --tcp --udp"_s, 2, u"not both"_s);
        row("timeout zero", u"relays 10.0.0.1:1 --timeout 0"_s, 2, u"--timeout"_s);
        row("rate too low", u"read all --rate 9"_s, 2, u"--rate takes frames per second from 10"_s);
        row("no adapter", u"adapters"_s, 3, u"no adapter"_s);
        row("unknown adapter", u"read all --adapter eth7"_s, 2, u"eth0 192.168.1.10"_s);
        row("adapter by address", u"set %1 port=5 --adapter 192.168.1.10 --dry-run"_s.arg(Module),
            0, u"<02:00:00:00:00:10>,AT+PORT=5"_s);
        row("bad target", u"read 10.0.0"_s, 2, u"neither a MAC"_s);
        row("all with others", u"read all "_s + Module, 2, u"goes alone"_s);
        row("no target", u"default"_s, 2, u"no module named"_s);
        row("set without settings", u"set "_s + Module, 2, u"no key=value"_s);
        row("set twice", u"set %1 port=1 port=2"_s.arg(Module), 2, u"port: given twice"_s);
        row("same address for many", u"set %1 %2 ip=10.0.0.9"_s.arg(Module, Other), 2,
            u"same address"_s);
        row("dry run needs MACs", u"set all port=5 --dry-run"_s, 2, u"MAC addresses only"_s);
        row("write without file", u"write "_s + Module, 2, u"--from FILE"_s);
        row("missing plan", u"apply /nonexistent/plan.csv"_s, 2, u"/nonexistent/plan.csv"_s);
        row("parallel beyond the table", u"read all --parallel 257"_s, 2, u"from 1 to 256"_s);
    }
    void commandLine() {
        QFETCH(QString, line);
        QFETCH(int, code);
        QFETCH(QString, stderrHas);
        const Run run = runCli(line, QTest::currentDataTag() == "no adapter"_ba
                                         ? QList<NetworkAdapter>()
                                         : QList<NetworkAdapter>{labAdapter()});
        QCOMPARE(run.code, code);
        QVERIFY2((code == 0 ? run.out : run.err).contains(stderrHas), qPrintable(run.err));
        if (code != 0)
            checkUsageDocument(run, line.contains(u"--json"_s), stderrHas);
        // A command's help names it in the usage line, not as an argument of its own.
        if (code == 0 && run.out.startsWith(u"Usage: ostrel-cli "_s)) {
            const QString name = run.out.section(u' ', 2, 2).trimmed();
            QVERIFY2(!run.out.contains(u"\n  "_s + name + u' '), qPrintable(run.out));
        }
    }

    // Every line above, and every command's help, in each language: the
    // same exit code and the same document but for its messages; in English
    // (asked for, or the C locale this test runs under) no Chinese beyond the
    // values typed on the line; in Chinese the words a person reads are
    // Chinese.
    void languages_data() {
        commandLine_data();
        for (const cli::CommandInfo &command : cli::commandCatalogue())
            QTest::newRow(qPrintable(u"help "_s + command.name))
                << u"help "_s + command.name << 0 << QString();
    }
    void languages() {
        QFETCH(QString, line);
        QFETCH(int, code);
        const QList<NetworkAdapter> adapters = QTest::currentDataTag() == "no adapter"_ba
                                                   ? QList<NetworkAdapter>()
                                                   : QList<NetworkAdapter>{labAdapter()};
        // What the user typed comes back as typed.
        QStringList typed;
        for (const QString &word : line.split(QRegularExpression(u"[ =]"_s)))
            if (languagecheck::hasChinese(word))
                typed.append(word);
        const auto spoken = [&](const Run &run) {
            QString text = run.out + run.err;
            for (const QString &word : std::as_const(typed))
                text.remove(word);
            return text;
        };
        const Run c = runCli(line, adapters);
        QCOMPARE(c.code, code);
        QVERIFY2(!languagecheck::hasChinese(spoken(c)), qPrintable(c.err + c.out));
        const QStringList uncoded = languagecheck::messagesWithoutCode(c.json());
        QVERIFY2(uncoded.isEmpty(), qPrintable(uncoded.join(u'\n')));
        for (const QString &language : {u"en"_s, u"zh_CN"_s}) {
            const Run run = runCli(u"--lang "_s + language + u' ' + line, adapters);
            QCOMPARE(run.code, code);
            QCOMPARE(languagecheck::withoutWords(run.json()),
                     languagecheck::withoutWords(c.json()));
            if (language == u"en"_s) {
                QCOMPARE(run.out, c.out);
                QCOMPARE(run.err, c.err);
            } else if (!run.out.startsWith(u"ostrel-cli 1."_s)) { // the version says no words
                QVERIFY2(languagecheck::hasChinese(spoken(run)), qPrintable(run.err + run.out));
            }
        }
    }

    // A failed write to standard output fails the command, whatever it printed.
    void outputFails_data() {
        QTest::addColumn<QString>("line");
        QTest::newRow("help") << u"--help"_s;
        QTest::newRow("document") << u"adapters --json"_s;
        QTest::newRow("table") << u"set %1 port=5 --dry-run"_s.arg(Module);
        QTest::newRow("usage document") << u"read --json"_s;
    }
    void outputFails() {
        QFETCH(QString, line);
        class Full final : public QIODevice {
        protected:
            qint64 readData(char *, qint64) override { return -1; }
            qint64 writeData(const char *, qint64) override {
                setErrorString(u"No space left on device"_s);
                return -1;
            }
        } full;
        full.open(QIODevice::WriteOnly);
        const Run run = runCli(line, {labAdapter()}, &full);
        QVERIFY2(run.code != 0, qPrintable(run.err));
        QVERIFY2(run.err.contains(u"ostrel-cli: error: standard output: No space left on device"_s),
                 qPrintable(run.err));
    }

    // What a module or a file holds reaches the terminal escaped, as the
    // JSON document writes it.
    void controlCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("escape") << u"a\x1b[2Jb"_s << u"a\\u001b[2Jb"_s;
        QTest::newRow("line feed") << u"a\nMODULE"_s << u"a\\nMODULE"_s;
        QTest::newRow("bell, tab") << u"\a\tx"_s << u"\\u0007\\tx"_s;
        QTest::newRow("delete and C1") << u"\x7f\u009b"_s << u"\\u007f\\u009b"_s;
        QTest::newRow("Chinese stays") << u"继电器"_s << u"继电器"_s;
    }
    void controlCharacters() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        cli::Table table({u"NAME"_s, u"IP"_s});
        table.addRow({text, u"10.0.0.1"_s});
        const QStringList lines = table.render().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[1].startsWith(shown + u' '), qPrintable(lines[1]));
        // The columns line up by what is shown (a Chinese character takes two).
        if (std::ranges::all_of(shown, [](QChar c) { return c.unicode() < 0x80; }))
            QCOMPARE(lines[1].indexOf(u"10.0.0.1"_s), lines[0].indexOf(u"IP"_s));

        // A CSV header that names a column so (a line feed ends the header).
        if (text.contains(u'\n'))
            return;
        QTemporaryDir dir;
        QFile plan(dir.filePath(u"plan.csv"_s));
        QVERIFY(plan.open(QIODevice::WriteOnly));
        plan.write((u"module,"_s + text + u'\n').toUtf8());
        plan.close();
        const Run run = runCli(u"apply "_s + plan.fileName());
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains(u"column \""_s + shown + u'"'), qPrintable(run.err));
        QVERIFY2(!run.err.contains(QRegularExpression(u"[\\x00-\\x09\\x0b-\\x1f\\x7f]"_s)),
                 qPrintable(run.err));
    }

    // A setting as typed, and the frame the core builds of it or the reason
    // it refuses: nothing is sent for a value that cannot be right.
    void settingFrames_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("command"); // or the refusal
        const auto row = [](const QString &setting, const QString &command) {
            QTest::newRow(qPrintable(setting)) << setting << command;
        };
        row(u"model=udp_server"_s, u"AT+MODEL=3"_s);
        row(u"model=TCP"_s, u"refused: \"TCP\" is none of"_s);
        row(u"dhcp=Open"_s, u"AT+DCHP=1"_s);
        row(u"uart=9600,8,1,None"_s, u"AT+UART=9600,8,1,0"_s);
        row(u"uart=115200,9,2,even"_s, u"AT+UART=115200,9,3,2"_s);
        row(u"uart=9600,7,1,None"_s, u"refused: uart:"_s);
        row(u"uart=9601,8,1,None"_s, u"refused: uart:"_s);
        row(u"name="_s, u"AT+NAME="_s);
        row(u"name=123456789012345"_s, u"AT+NAME=123456789012345"_s);
        row(u"name=1234567890123456"_s, u"refused: name: at most 15 bytes"_s);
        row(u"name=继电器继电器继1"_s, u"AT+NAME=继电器继电器继1"_s);
        row(u"name=继电器继电器继电"_s, u"refused: name: at most 15 bytes"_s);
        row(u"name=relay😀"_s, u"refused: name: \"relay😀\" has characters that GBK"_s);
        row(u"ip=192.168.001.020"_s, u"AT+IP=192.168.1.20"_s);
        row(u"gateway=256.1.1.1"_s, u"refused: gateway:"_s);
        row(u"mask=255.255.255"_s, u"refused: mask:"_s);
        // Values that would cut the module off, unless forced.
        row(u"mask=255.0.255.0"_s, u"refused: mask: 255.0.255.0 is not a contiguous mask"_s);
        row(u"mask=255.0.255.0 --force"_s, u"AT+MASK=255.0.255.0"_s);
        row(u"mask=0.0.0.0"_s, u"AT+MASK=0.0.0.0"_s);
        row(u"ip=0.0.0.0"_s, u"refused: ip: 0.0.0.0 is no address"_s);
        row(u"ip=255.255.255.255"_s, u"refused: ip: 255.255.255.255 is no address"_s);
        row(u"ip=224.0.0.1"_s, u"refused: ip: 224.0.0.1 is no address"_s);
        row(u"ip=239.255.255.255"_s, u"refused: ip:"_s);
        row(u"ip=223.255.255.255"_s, u"AT+IP=223.255.255.255"_s);
        row(u"ip=10.0.0.7 mask=255.255.255.0 gateway=10.0.1.1"_s,
            u"refused: gateway: 10.0.1.1 is outside the module's subnet"_s);
        row(u"dip=1.2.3.4.5"_s, u"refused: dip:"_s);
        row(u"port=65535"_s, u"AT+PORT=65535"_s);
        row(u"port=0"_s, u"refused: port:"_s);
        row(u"dport=65536"_s, u"refused: dport:"_s);
        row(u"dport=+80"_s, u"refused: dport:"_s);
        row(u"mac=AA-BB-CC-DD-EE-0F"_s, u"AT+MAC=aa:bb:cc:dd:ee:0f"_s);
        row(u"mac=aa:bb:cc:dd:ee"_s, u"refused: mac:"_s);
        row(u"version=V2"_s, u"refused: version: is read only"_s);
        row(u"colour=red"_s, u"refused: colour: no such key"_s);
    }
    void settingFrames() {
        QFETCH(QString, setting);
        QFETCH(QString, command);
        const Run run = runCli(u"set %1 %2 --dry-run --json"_s.arg(Module, setting));
        if (command.startsWith(u"refused: "_s)) {
            QCOMPARE(run.code, 2);
            QVERIFY2(run.err.contains(command.sliced(9)), qPrintable(run.err));
            checkUsageDocument(run, true, command.sliced(9));
            return;
        }
        QCOMPARE(run.code, 0);
        const QJsonArray frames = run.json().value(u"frames"_s).toArray();
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames[0][u"module"_s].toString(), Module);
        QCOMPARE(frames[0][u"frame"_s].toString(),
                 u"<%1>,<02:00:00:00:00:10>,%2\r\n"_s.arg(Module, command));
    }

    // Every item of every list goes out as the window sends it and reads
    // back as itself.
    void itemsRoundTrip() {
        using namespace parameteritems;
        for (int i = 0; i < WorkModes.count(); ++i) {
            const cli::SettingParse parse = cli::parseSetting(u"model", WorkModes.text(i));
            QCOMPARE(parse.setting->value, ParameterValue(i));
            QCOMPARE(parameters::text(Parameter::Model, i), WorkModes.text(i));
        }
        for (const QString &baud : BaudRates.texts()) {
            for (int stop = 0; stop < StopBits.count(); ++stop) {
                const QString text = u"%1,9,%2,Odd"_s.arg(baud, StopBits.text(stop));
                const cli::SettingParse parse = cli::parseSetting(u"uart", text);
                QCOMPARE(parse.setting->value, ParameterValue(UartSettings{baud, u"9"_s, stop, 1}));
                QCOMPARE(parameters::text(Parameter::Uart, parse.setting->value), text);
            }
        }
        QCOMPARE(parameters::text(Parameter::Dhcp, 2), std::nullopt);
    }

    // The lists the window offers are the core's, item for item, with the
    // same item shown first (read from the form, without linking widgets).
    void windowListsAreTheCoresLists() {
        QFile form(QStringLiteral(OSTREL_MAINWINDOW_UI));
        QVERIFY(form.open(QIODevice::ReadOnly));
        using namespace parameteritems;
        const QHash<QString, const ItemList *> lists{
            {u"Cmb_Model"_s, &WorkModes},  {u"DCHP_Model"_s, &DhcpModes},
            {u"Cmb_Baud"_s, &BaudRates},   {u"Cmb_DataBit"_s, &DataBits},
            {u"Cmb_StopBit"_s, &StopBits}, {u"Cmb_Parity"_s, &Parities}};
        QHash<QString, QStringList> items;
        QHash<QString, int> current;
        QXmlStreamReader xml(&form);
        QString combo;
        QString property;
        int depth = 0;
        int comboDepth = -1;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                ++depth;
                const QString name = xml.attributes().value(u"name"_s).toString();
                if (xml.name() == u"widget"_s && lists.contains(name)) {
                    combo = name;
                    comboDepth = depth;
                } else if (xml.name() == u"property"_s) {
                    property = name;
                } else if (!combo.isEmpty() && xml.name() == u"string"_s && property == u"text"_s &&
                           depth == comboDepth + 3) {
                    items[combo].append(xml.readElementText());
                    --depth;
                } else if (!combo.isEmpty() && xml.name() == u"number"_s &&
                           property == u"currentIndex"_s) {
                    current[combo] = xml.readElementText().toInt();
                    --depth;
                }
            } else if (xml.isEndElement()) {
                if (depth-- == comboDepth)
                    combo.clear();
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(items.size(), lists.size());
        for (auto it = lists.cbegin(); it != lists.cend(); ++it) {
            QCOMPARE(items.value(it.key()), it.value()->texts());
            QCOMPARE(current.value(it.key()), it.value()->initial);
        }
    }

    // write --from and apply: what a file gives, or where it is wrong.
    void files_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        const QByteArray cfg = "[CFG]\r\nModel=2\r\nGateWay=10.0.0.1\r\nMask=255.255.255.0\r\n"
                               "IP=10.0.0.7\r\nDIP=10.0.0.100\r\nPort=5001\r\nDPort=6001\r\n"
                               "BaudRate=6\r\nDataBit=1\r\nStopBit=3\r\nParity=2\r\n"
                               "MAC=00:11:22:33:44:55\r\n";
        QTest::newRow("CFG.ini as saved")
            << u"CFG.ini"_s << cfg
            << u"model=UDP;gateway=10.0.0.1;mask=255.255.255.0;ip=10.0.0.7;dip=10.0.0.100;"
               u"port=5001;dport=6001;uart=9600,9,2,Even;mac=00:11:22:33:44:55"_s;
        QTest::newRow("CFG.ini, unsaved fields left out")
            << u"CFG.ini"_s
            << QByteArray(cfg)
                   .replace("IP=10.0.0.7", "IP=0")
                   .replace("MAC=00:11:22:33:44:55", "MAC=")
            << u"model=UDP;gateway=10.0.0.1;mask=255.255.255.0;dip=10.0.0.100;port=5001;"
               u"dport=6001;uart=9600,9,2,Even"_s;
        QTest::newRow("CFG.ini without its section")
            << u"CFG.ini"_s << QByteArray("[Other]\r\nIP=10.0.0.7\r\n")
            << u"error: holds no settings under [CFG]"_s;
        QTest::newRow("CFG.ini holding one key")
            << u"CFG.ini"_s << QByteArray("[CFG]\r\nPort=5005\r\n") << u"port=5005"_s;
        QTest::newRow("CFG.ini, item beyond its list")
            << u"CFG.ini"_s << QByteArray("[CFG]\r\nModel=7\r\n")
            << u"error: Model=7 is not an item"_s;
        QTest::newRow("CFG.ini, serial settings in part")
            << u"CFG.ini"_s << QByteArray(cfg).replace("StopBit=3\r\n", "")
            << u"error: BaudRate, DataBit, Parity without StopBit"_s;
        QTest::newRow("CFG.ini, address mistyped")
            << u"CFG.ini"_s << QByteArray(cfg).replace("DIP=10.0.0.100", "DIP=10.0.0")
            << u"error: dip: \"10.0.0\""_s;
        const QByteArray mac = Module.toLatin1();
        const QByteArray read = "{\"command\": \"read\", \"modules\": [{\"module\": \"" + mac +
                                "\", \"parameters\": {\"model\": \"UDP\", \"port\": 5000, "
                                "\"name\": \"继电器\", \"version\": \"V1.0\", \"dhcp\": null, "
                                "\"mac\": \"" +
                                mac + "\"}}]}";
        QTest::newRow("JSON of read")
            << u"read.json"_s << read << u"model=UDP;port=5000;name=继电器;mac=%1"_s.arg(Module);
        QTest::newRow("JSON with two modules")
            << u"two.json"_s << QByteArray("{\"modules\": [{}, {}]}")
            << u"error: holds 2 modules"_s;
        QTest::newRow("JSON value of the wrong kind")
            << u"bad.json"_s << QByteArray("{\"modules\": [{\"parameters\": {\"port\": true}}]}")
            << u"error: module 1: port: a value is a string"_s;
        QTest::newRow("JSON cut short")
            << u"cut.json"_s << QByteArray("{\"modules\": [") << u"error: "_s;
        // Plans; a module's own MAC written back to it is left out.
        QTest::newRow("plan CSV")
            << u"plan.csv"_s
            << ("\xEF\xBB\xBFmodule,ip,uart,name,mac\r\n" + Module.toLatin1() +
                ", 10.0.0.5 ,\"115200,8,1,None\",\" 继电器 \"," + Module.toLatin1() + "\r\n\r\n" +
                Other.toUpper().toLatin1() + ",10.0.0.6,,,02:00:00:00:00:99\n")
            << u"%1{ip=10.0.0.5;name= 继电器 ;uart=115200,8,1,None} %2{ip=10.0.0.6;mac=02:00:00:"
               u"00:00:99}"_s.arg(Module, Other);
        QTest::newRow("plan JSON as read prints it")
            << u"plan.json"_s << read << u"%1{model=UDP;port=5000;name=继电器}"_s.arg(Module);
        QTest::newRow("plan without module column")
            << u"plan.csv"_s << QByteArray("ip\n10.0.0.5\n") << u"error: line 1: no \"module\""_s;
        QTest::newRow("plan with unknown column") << u"plan.csv"_s << QByteArray("module,colour\n")
                                                  << u"error: line 1: column \"colour\""_s;
        QTest::newRow("plan row wrong")
            << u"plan.csv"_s
            << QByteArray("module,port\n" + Module.toLatin1() + ",1\n" + Other.toLatin1() + ",x\n")
            << u"error: line 3: port:"_s;
        QTest::newRow("plan module twice") << u"plan.csv"_s
                                           << QByteArray("module\n" + Module.toLatin1() + "\n" +
                                                         Module.toUpper().toLatin1() + "\n")
                                           << u"error: module %1 comes twice"_s.arg(Module);
        QTest::newRow("plan address twice")
            << u"plan.csv"_s
            << QByteArray("module,ip\n" + Module.toLatin1() + ",10.0.0.5\n" + Other.toLatin1() +
                          ",10.0.0.5\n")
            << u"error: ip 10.0.0.5 is given to two modules"_s;
        QTest::newRow("plan JSON, a list of entries")
            << u"plan.json"_s
            << QByteArray(" [{\"module\": \"" + mac + "\", \"parameters\": {\"port\": 5000}}]")
            << u"%1{port=5000}"_s.arg(Module);
        QTest::newRow("plan JSON entry naming no module")
            << u"plan.json"_s << QByteArray("{\"modules\": [{\"parameters\": {}}]}")
            << u"error: module 1: no \"module\""_s;
        QTest::newRow("plan quote not closed")
            << u"plan.csv"_s
            << QByteArray("module,name\n" + mac + ",\"Pump 1\n" + Other.toLatin1() + ",x\n")
            << u"error: line 2: a quote opens a cell that no quote closes"_s;
        QTest::newRow("plan row short")
            << u"plan.csv"_s << QByteArray("module,ip,name\n" + mac + ",10.0.0.5\n")
            << u"error: line 2: 2 cells where line 1 names 3 columns"_s;
        QTest::newRow("plan row long")
            << u"plan.csv"_s << QByteArray("module,ip\n" + mac + ",10.0.0.5,x\n")
            << u"error: line 2: 3 cells where line 1 names 2 columns"_s;
        QTest::newRow("plan module not a MAC")
            << u"plan.csv"_s << QByteArray("module,ip\n10.0.0.1,10.0.0.5\n")
            << u"error: \"10.0.0.1\" is not the MAC"_s;
    }
    void files() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QString got;
        if (fileName.startsWith(u"plan"_s)) {
            got = planText(cli::readPlan(path));
        } else {
            const cli::SettingsFile settings = cli::readSettingsFile(path);
            got = settings.error.isEmpty() ? settingsText(settings.settings)
                                           : u"error: "_s + settings.error;
        }
        if (expected.startsWith(u"error: "_s))
            QVERIFY2(got.startsWith(u"error: "_s + path) && got.contains(expected.sliced(7)),
                     qPrintable(got));
        else
            QCOMPARE(got, expected);
    }

    // The documents and tables of the configuration commands; a read
    // document is a plan and a write file as it stands.
    void moduleReports() {
        using Status = cli::ModuleOutcome::Status;
        const auto outcome = [](const QString &module, Status status, const QString &step = {},
                                const QString &message = {}) {
            cli::ModuleOutcome o;
            o.module = module;
            o.status = status;
            o.step = step;
            o.message = message;
            return o;
        };
        cli::ModuleOutcome good = outcome(Module, Status::Done);
        good.ip = u"192.168.1.199"_s;
        good.values = {{Parameter::Model, 2},
                       {Parameter::Port, u"5000"_s},
                       {Parameter::Dhcp, 7},
                       {Parameter::DeviceName, u"继电器"_s},
                       {Parameter::Version, u"V1.0"_s}};
        const cli::ModuleOutcome failed =
            outcome(Other, Status::Failed, u"gateway"_s, u"no answer"_s);
        const cli::Report read = cli::readReport({good, failed}, false);
        QCOMPARE(read.exitCode, int(cli::ModuleFailed));
        const QJsonObject document =
            QJsonDocument::fromJson(QJsonDocument(cli::Output::document(u"read"_s, read)).toJson())
                .object();
        QCOMPARE(document[u"ok"_s].toBool(), false);
        const QJsonArray modules = document[u"modules"_s].toArray();
        QCOMPARE(modules.size(), 2);
        const QJsonObject first = modules[0].toObject();
        QCOMPARE(first[u"status"_s].toString(), u"ok"_s);
        QVERIFY(first[u"error"_s].isNull());
        QCOMPARE(first[u"parameters"_s][u"model"_s].toString(), u"UDP"_s);
        QVERIFY(first[u"parameters"_s][u"dhcp"_s].isNull()); // no item 7
        QCOMPARE(modules[1][u"error"_s][u"step"_s].toString(), u"gateway"_s);
        QCOMPARE(document[u"errors"_s][0][u"module"_s].toString(), Other);
        const QStringList lines = read.table.render().split(u'\n');
        QVERIFY2(lines[0].startsWith(u"MODULE             STATUS  MODEL"_s), qPrintable(lines[0]));
        QVERIFY2(lines[1].contains(u"  UDP  "_s) && lines[1].contains(u"继电器  V1.0"_s),
                 qPrintable(lines[1]));

        QTemporaryDir dir;
        QFile file(dir.filePath(u"read.json"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(cli::Output::document(u"read"_s, read)).toJson());
        file.close();
        QCOMPARE(planText(cli::readPlan(file.fileName())),
                 u"%1{model=UDP;port=5000;name=继电器} %2{}"_s.arg(Module, Other));

        // apply: set, read back, compared.
        cli::ModuleOutcome applied = good;
        applied.written = {Parameter::Model, Parameter::Port};
        cli::compareReadBack({{Parameter::Model, 2}, {Parameter::Port, u"5001"_s}}, applied);
        const cli::ModuleOutcome missing = outcome(u"02:00:00:00:00:01"_s, Status::NotFound);
        // A module that failed part-way says what it took before.
        cli::ModuleOutcome halfway = outcome(Other, Status::Failed, u"dip"_s, u"refused"_s);
        halfway.written = {Parameter::Gateway};
        const cli::Report apply = cli::changeReport({good, applied, missing, halfway}, true);
        QCOMPARE(apply.exitCode, int(cli::ModuleFailed));
        const QJsonObject summary = cli::Output::document(u"apply"_s, apply);
        QCOMPARE(summary[u"summary"_s][u"done"_s].toInt(), 1);
        QCOMPARE(summary[u"modules"_s][1][u"mismatches"_s][0][u"read"_s], QJsonValue(5000));
        const QString applyTable = apply.table.render();
        QVERIFY2(applyTable.contains(QRegularExpression(u"mismatch +port is 5000, not 5001"_s)),
                 qPrintable(applyTable));
        QVERIFY2(applyTable.contains(
                     QRegularExpression(u"failed +wrote gateway; failed at dip \\(refused\\)"_s)),
                 qPrintable(applyTable));
        QCOMPARE(apply.errors.last().line(),
                 u"%1: dip: wrote gateway; failed at dip (refused)"_s.arg(Other));
        QCOMPARE(apply.notes, QStringList{u"1 of 4 modules done"_s});
        QCOMPARE(cli::exitCodeOf({missing}), int(cli::NothingFound));
    }
};

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"
