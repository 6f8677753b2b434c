// The module simulator, driven as a real process on loopback: the
// configuration commands, its faults, and the working mode with relays and
// inputs. Also the module-side halves of the shared codecs.
#include "atframe.h"
#include "gbk.h"
#include "labfixture.h"
#include "relaycodec.h"
#include "simoptions.h"

#include <QTemporaryDir>

#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QByteArray ComputerMac = "00:0c:29:aa:bb:cc";

// Loopback ports of this run; derived from the pid so parallel runs differ.
quint16 configPort() {
    return quint16(20000 + ::getpid() % 20000);
}

quint16 workPort() {
    return quint16(configPort() + 1);
}

} // namespace

class TstSimulator : public QObject {
    Q_OBJECT

private:
    SimProcess m_sim;
    QByteArray m_mac; // module 1
    QByteArray m_mac2;

    // Replies until 40 ms of quiet; an unanswered frame costs firstMs.
    QList<UdpProbe::Datagram> ask(const QByteArray &ip, const QByteArray &frame,
                                  int firstMs = 150) {
        UdpProbe probe;
        if (!probe.send(ip, configPort(), frame))
            return {};
        return probe.collect(40, firstMs);
    }
    // The one reply of module 1 to a command addressed to mac.
    QByteArray command(const QByteArray &command, const QByteArray &mac = {}) {
        const QList<UdpProbe::Datagram> replies = ask(
            "127.0.0.1", atframe::build(mac.isEmpty() ? m_mac : mac, ComputerMac, command), 1000);
        return replies.size() == 1 ? replies.first().data : QByteArray("<no single reply>");
    }
    QByteArray expectedReply(const QByteArray &payload) {
        return atframe::buildReply(m_mac, payload);
    }

private slots:
    void initTestCase() {
        QString error;
        QVERIFY2(m_sim.start({QStringLiteral("--modules"), QStringLiteral("2"),
                              QStringLiteral("--first-ip"), QStringLiteral("127.0.0.1"),
                              QStringLiteral("--config-port"), QString::number(configPort()),
                              QStringLiteral("--port"), QString::number(workPort()),
                              QStringLiteral("--tick"), QStringLiteral("50"),
                              QStringLiteral("--gap"), QStringLiteral("5")},
                             &error),
                 qPrintable(error));
        QCOMPARE(m_sim.modules().size(), 2);
        m_mac = m_sim.modules().at(0).mac;
        m_mac2 = m_sim.modules().at(1).mac;
        QCOMPARE(m_mac, QByteArray("02:00:7f:00:00:01"));
        QCOMPARE(m_sim.modules().at(1).ip, QByteArray("127.0.0.2"));
    }
    void cleanup() {
        QVERIFY(m_sim.fault(0, "none"));
        QVERIFY(m_sim.control("default all"));
    }
    void cleanupTestCase() { m_sim.stop(); }

    void commandCodec_data() {
        using Kind = atframe::Command::Kind;
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("handshake")
            << QByteArray("AT") << int(Kind::Handshake) << QByteArray() << QByteArray();
        QTest::newRow("default") << QByteArray("AT+DEFAULT") << int(Kind::FactoryDefault)
                                 << QByteArray() << QByteArray();
        QTest::newRow("query") << QByteArray("AT+IP=?") << int(Kind::Query) << QByteArray("IP")
                               << QByteArray();
        QTest::newRow("set") << QByteArray("AT+UART=9600,8,1,0") << int(Kind::Set)
                             << QByteArray("UART") << QByteArray("9600,8,1,0");
        QTest::newRow("empty value")
            << QByteArray("AT+NAME=") << int(Kind::Set) << QByteArray("NAME") << QByteArray();
        QTest::newRow("no equals")
            << QByteArray("AT+IP") << int(Kind::Unknown) << QByteArray() << QByteArray();
        QTest::newRow("lower case")
            << QByteArray("AT+ip=?") << int(Kind::Unknown) << QByteArray() << QByteArray();
        QTest::newRow("empty name")
            << QByteArray("AT+=1") << int(Kind::Unknown) << QByteArray() << QByteArray();
        QTest::newRow("junk") << QByteArray("HELLO") << int(Kind::Unknown) << QByteArray()
                              << QByteArray();
    }
    void commandCodec() {
        QFETCH(QByteArray, text);
        QFETCH(int, kind);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, value);
        const atframe::Command command = atframe::parseCommand(text);
        QCOMPARE(int(command.kind), kind);
        QCOMPARE(command.name, name);
        QCOMPARE(command.value, value);
    }

    void requestCodec_data() {
        using Kind = relaycodec::Request::Kind;
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("number");
        QTest::addColumn<QByteArray>("state");
        QTest::addColumn<bool>("hasTime");
        QTest::addColumn<QByteArray>("time");
        QTest::newRow("relay query") << QByteArray("AT+STACH3=?") << int(Kind::RelayQuery) << 3
                                     << QByteArray() << false << QByteArray();
        QTest::newRow("all relays") << QByteArray("AT+STACH0=?") << int(Kind::RelayQuery) << 0
                                    << QByteArray() << false << QByteArray();
        QTest::newRow("none checked") << QByteArray("AT+STACH16=?") << int(Kind::RelayQuery) << 16
                                      << QByteArray() << false << QByteArray();
        QTest::newRow("timed set") << QByteArray("AT+STACH3=1,100000") << int(Kind::RelaySet) << 3
                                   << QByteArray("1") << true << QByteArray("100000");
        QTest::newRow("bare set") << QByteArray("AT+STACH5=") << int(Kind::RelaySet) << 5
                                  << QByteArray() << false << QByteArray();
        QTest::newRow("input") << QByteArray("AT+OCCH12=?") << int(Kind::InputQuery) << 12
                               << QByteArray() << false << QByteArray();
        QTest::newRow("input set refused") << QByteArray("AT+OCCH1=1") << int(Kind::None) << 0
                                           << QByteArray() << false << QByteArray();
        QTest::newRow("huge number") << QByteArray("AT+STACH99999999999=?") << int(Kind::None) << 0
                                     << QByteArray() << false << QByteArray();
        QTest::newRow("no number") << QByteArray("AT+STACH=?") << int(Kind::None) << 0
                                   << QByteArray() << false << QByteArray();
        QTest::newRow("cut short") << QByteArray("AT+STACH1") << int(Kind::None) << 0
                                   << QByteArray() << false << QByteArray();
    }
    void requestCodec() {
        QFETCH(QByteArray, line);
        QFETCH(int, kind);
        QFETCH(int, number);
        QFETCH(QByteArray, state);
        QFETCH(bool, hasTime);
        QFETCH(QByteArray, time);
        const relaycodec::Request request = relaycodec::parseRequest(line);
        QCOMPARE(int(request.kind), kind);
        if (kind == int(relaycodec::Request::Kind::None))
            return;
        QCOMPARE(request.number, number);
        QCOMPARE(request.state, state);
        QCOMPARE(request.hasTime, hasTime);
        QCOMPARE(request.time, time);
    }

    void configuration_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("json") << QStringLiteral("sim.json")
                              << QByteArray(R"({"config-port": 5100, "broadcast": true,
                                   "defaults": {"name": "继电器", "dip": "192.168.1.10"},
                                   "modules": [{"ip": "127.0.0.5", "fault": "twice,delay:30"},
                                               {"ip": "127.0.0.5", "mac": "02:00:00:00:00:AA",
                                                "mode": 2}]})");
        QTest::newRow("ini") << QStringLiteral("sim.ini")
                             << QByteArray("[general]\nconfig-port=5100\nbroadcast=1\n"
                                           "[defaults]\nname=继电器\ndip=192.168.1.10\n"
                                           "[module1]\nip=127.0.0.5\nfault=\"twice,delay:30\"\n"
                                           "[module2]\nip=127.0.0.5\nmac=02:00:00:00:00:AA\n"
                                           "mode=2\n");
    }
    void configuration() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        QFile file(dir.filePath(fileName));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        SimSettings settings;
        QString error;
        QCOMPARE(simoptions::parse({QStringLiteral("ostrel-sim"), QStringLiteral("--config"),
                                    file.fileName(), QStringLiteral("--tick"), QStringLiteral("7")},
                                   settings, &error),
                 simoptions::Outcome::Run);
        QCOMPARE(settings.configPort, quint16(5100));
        QVERIFY(settings.broadcast);
        QCOMPARE(settings.tickMs, 7);
        QCOMPARE(settings.modules.size(), 2);
        const SimModuleSetup &first = settings.modules[0];
        const SimModuleSetup &second = settings.modules[1];
        // Two modules sharing one address, as a faulty network would have.
        QCOMPARE(first.address, QByteArray("127.0.0.5"));
        QCOMPARE(second.address, QByteArray("127.0.0.5"));
        QCOMPARE(first.parameters.value("NAME"), gbk::encode(QStringLiteral("继电器")));
        QCOMPARE(second.parameters.value("DIP"), QByteArray("192.168.1.10"));
        QCOMPARE(first.parameters.value("MAC"), QByteArray("02:00:7f:00:00:05"));
        QCOMPARE(second.parameters.value("MAC"), QByteArray("02:00:00:00:00:aa"));
        QCOMPARE(second.parameters.value("MODEL"), QByteArray("2"));
        QVERIFY(first.faults.twice);
        QCOMPARE(first.faults.delayMs, 30);
        QVERIFY(!second.faults.twice);
    }

    void badOptions_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour")};
        QTest::newRow("missing value") << QStringList{QStringLiteral("--modules")};
        QTest::newRow("bad count") << QStringList{QStringLiteral("--modules"), QStringLiteral("0")};
        QTest::newRow("bad address")
            << QStringList{QStringLiteral("--first-ip"), QStringLiteral("300.1.1.1")};
        QTest::newRow("bad mode") << QStringList{QStringLiteral("--first-ip"),
                                                 QStringLiteral("127.0.0.1"),
                                                 QStringLiteral("--mode"), QStringLiteral("9")};
        QTest::newRow("bad fault")
            << QStringList{QStringLiteral("--module"), QStringLiteral("ip=127.0.0.1;fault=melt")};
        QTest::newRow("module without ip")
            << QStringList{QStringLiteral("--module"), QStringLiteral("name=x")};
        QTest::newRow("missing file")
            << QStringList{QStringLiteral("--config"), QStringLiteral("/nonexistent/sim.json")};
    }
    void badOptions() {
        QFETCH(QStringList, arguments);
        SimSettings settings;
        QString error;
        arguments.prepend(QStringLiteral("ostrel-sim"));
        QCOMPARE(simoptions::parse(arguments, settings, &error), simoptions::Outcome::Error);
        QVERIFY(!error.isEmpty());
    }

    void search() {
        // Sent to one module's address, the search reaches that module only.
        const QList<UdpProbe::Datagram> replies =
            ask("127.0.0.2", atframe::searchFrame(ComputerMac));
        QCOMPARE(replies.size(), 1);
        QCOMPARE(replies[0].senderIp, QByteArray("127.0.0.2"));
        QCOMPARE(replies[0].senderPort, configPort());
        QCOMPARE(replies[0].data, atframe::buildReply(m_mac2, "OK\r\n"));
        const atframe::Reply parsed = atframe::parseReply(replies[0].data);
        QCOMPARE(parsed.mac, m_mac2);
        QCOMPARE(parsed.payload, QByteArray("OK\r\n"));
    }

    void factoryQueries_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("MODEL") << QByteArray("MODEL") << QByteArray("0");
        QTest::newRow("GATEWAY") << QByteArray("GATEWAY") << QByteArray("192.168.1.1");
        QTest::newRow("MASK") << QByteArray("MASK") << QByteArray("255.255.255.0");
        QTest::newRow("IP") << QByteArray("IP") << QByteArray("127.0.0.1");
        QTest::newRow("DIP") << QByteArray("DIP") << QByteArray("192.168.1.100");
        QTest::newRow("PORT") << QByteArray("PORT") << QByteArray::number(workPort());
        QTest::newRow("DPORT") << QByteArray("DPORT") << QByteArray("6000");
        QTest::newRow("UART") << QByteArray("UART") << QByteArray("9600,8,1,0");
        QTest::newRow("MAC") << QByteArray("MAC") << QByteArray("02:00:7f:00:00:01");
        QTest::newRow("DCHP") << QByteArray("DCHP") << QByteArray("0");
        QTest::newRow("NAME") << QByteArray("NAME") << QByteArray("Relay");
        QTest::newRow("VER") << QByteArray("VER") << QByteArray("V1.0");
    }
    void factoryQueries() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, value);
        const QByteArray reply = command("AT+" + name + "=?");
        QCOMPARE(reply, expectedReply("+" + name + "=" + value + "\r\n"));
        // Where the tool reads it: keyword at payload byte 0, value after one separator.
        const QByteArray payload = atframe::parseReply(reply).payload;
        QCOMPARE(payload.mid(name.size() + 2, value.size()), value);
    }

    void settingsRoundTrip_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("MODEL") << QByteArray("MODEL") << QByteArray("3");
        QTest::newRow("GATEWAY") << QByteArray("GATEWAY") << QByteArray("10.0.0.254");
        QTest::newRow("MASK") << QByteArray("MASK") << QByteArray("255.255.0.0");
        QTest::newRow("IP") << QByteArray("IP") << QByteArray("192.168.1.42");
        QTest::newRow("DIP") << QByteArray("DIP") << QByteArray("192.168.1.10");
        QTest::newRow("PORT") << QByteArray("PORT") << QByteArray::number(workPort() + 2);
        QTest::newRow("DPORT") << QByteArray("DPORT") << QByteArray("7000");
        QTest::newRow("UART") << QByteArray("UART") << QByteArray("115200,8,1,2");
        QTest::newRow("DCHP") << QByteArray("DCHP") << QByteArray("1");
        QTest::newRow("NAME ascii") << QByteArray("NAME") << QByteArray("Pump house");
        QTest::newRow("NAME GBK") << QByteArray("NAME")
                                  << gbk::encode(QStringLiteral("继电器一号"));
        QTest::newRow("NAME empty") << QByteArray("NAME") << QByteArray();
    }
    void settingsRoundTrip() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, value);
        QCOMPARE(command("AT+" + name + "=" + value), expectedReply("OK\r\n"));
        QCOMPARE(command("AT+" + name + "=?"), expectedReply("+" + name + "=" + value + "\r\n"));
    }

    void macSettingReaddresses() {
        const QByteArray newMac = "02:aa:bb:cc:dd:ee";
        // The confirmation still carries the MAC the command was sent to.
        QCOMPARE(command("AT+MAC=" + newMac), expectedReply("OK\r\n"));
        // From now on the module answers to its new MAC only, and signs with it.
        QVERIFY(ask("127.0.0.1", atframe::build(m_mac, ComputerMac, "AT")).isEmpty());
        QCOMPARE(command("AT+MAC=?", newMac),
                 atframe::buildReply(newMac, "+MAC=" + newMac + "\r\n"));
        QCOMPARE(command("AT+DEFAULT", newMac), atframe::buildReply(newMac, "OK\r\n"));
        QCOMPARE(command("AT"), expectedReply("OK\r\n"));
    }

    void refusedSettings_data() {
        QTest::addColumn<QByteArray>("setting");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("mode digit") << QByteArray("AT+MODEL=7") << QByteArray("MODEL");
        QTest::newRow("port range") << QByteArray("AT+PORT=70000") << QByteArray("PORT");
        QTest::newRow("address") << QByteArray("AT+IP=192.168.1") << QByteArray("IP");
        QTest::newRow("uart") << QByteArray("AT+UART=9600,9,1,0") << QByteArray("UART");
        QTest::newRow("name 16 bytes")
            << QByteArray("AT+NAME=0123456789abcdef") << QByteArray("NAME");
        QTest::newRow("mac") << QByteArray("AT+MAC=02:00:00") << QByteArray("MAC");
        QTest::newRow("version") << QByteArray("AT+VER=V9") << QByteArray("VER");
    }
    void refusedSettings() {
        QFETCH(QByteArray, setting);
        QFETCH(QByteArray, name);
        const QByteArray before = command("AT+" + name + "=?");
        QCOMPARE(command(setting), expectedReply("ERROR\r\n"));
        QCOMPARE(command("AT+" + name + "=?"), before);
    }

    void factoryDefault() {
        QCOMPARE(command("AT+GATEWAY=10.1.1.1"), expectedReply("OK\r\n"));
        QCOMPARE(command("AT+NAME=Other"), expectedReply("OK\r\n"));
        QCOMPARE(command("AT+DEFAULT"), expectedReply("OK\r\n"));
        QCOMPARE(command("AT+GATEWAY=?"), expectedReply("+GATEWAY=192.168.1.1\r\n"));
        QCOMPARE(command("AT+NAME=?"), expectedReply("+NAME=Relay\r\n"));
    }

    void ignoredFrames_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::newRow("other module's MAC")
            << atframe::build("02:00:00:00:00:09", ComputerMac, "AT");
        QTest::newRow("search MAC, other command")
            << atframe::build(atframe::SearchMAC, ComputerMac, "AT+IP=1.2.3.4");
        QTest::newRow("no opening <") << QByteArray("02:00:7f:00:00:01>,<x>,AT\r\n");
        QTest::newRow("no second field") << QByteArray("<02:00:7f:00:00:01>,AT\r\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("a reply") << atframe::buildReply("02:00:7f:00:00:01", "OK\r\n");
    }
    void ignoredFrames() {
        QFETCH(QByteArray, datagram);
        QVERIFY(ask("127.0.0.1", datagram).isEmpty());
        QCOMPARE(command("AT"), expectedReply("OK\r\n")); // still alive
    }

    void faults_data() {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<QList<QByteArray>>("expected");
        const QByteArray good = atframe::buildReply("02:00:7f:00:00:01", "+VER=V1.0\r\n");
        QTest::newRow("silent") << QByteArray("silent") << QList<QByteArray>();
        QTest::newRow("wrong") << QByteArray("wrong")
                               << QList<QByteArray>{
                                      atframe::buildReply("02:00:7f:00:00:01", "ERROR\r\n")};
        QTest::newRow("twice") << QByteArray("twice") << QList<QByteArray>{good, good};
        QTest::newRow("short") << QByteArray("short") << QList<QByteArray>{good.left(19)};
        QTest::newRow("no-gt") << QByteArray("no-gt")
                               << QList<QByteArray>{QByteArray("<02:00:7f:00:00:01,+VER=V1.0\r\n")};
        QTest::newRow("no-cr") << QByteArray("no-cr") << QList<QByteArray>{good.chopped(2)};
        QTest::newRow("long") << QByteArray("long")
                              << QList<QByteArray>{atframe::buildReply(
                                     "02:00:7f:00:00:01",
                                     "+VER=V1.0" + QByteArray(64, 'X') + "\r\n")};
        QTest::newRow("unicast") << QByteArray("unicast") << QList<QByteArray>{good};
        QTest::newRow("none clears") << QByteArray("silent twice none") << QList<QByteArray>{good};
    }
    void faults() {
        QFETCH(QByteArray, fault);
        QFETCH(QList<QByteArray>, expected);
        QVERIFY(m_sim.fault(1, fault));
        QList<QByteArray> received;
        const auto replies = ask("127.0.0.1", atframe::build(m_mac, ComputerMac, "AT+VER=?"));
        for (const UdpProbe::Datagram &datagram : replies)
            received.append(datagram.data);
        QCOMPARE(received, expected);
        // Module 2 is not affected.
        QCOMPARE(ask("127.0.0.2", atframe::build(m_mac2, ComputerMac, "AT")).size(), 1);
    }

    void delayedReply() {
        QVERIFY(m_sim.fault(1, "delay:600"));
        UdpProbe probe;
        QVERIFY(probe.send("127.0.0.1", configPort(), atframe::build(m_mac, ComputerMac, "AT")));
        QVERIFY(probe.collect(100).isEmpty());
        const auto late = probe.collect(40, 2000);
        QCOMPARE(late.size(), 1);
        QCOMPARE(late[0].data, expectedReply("OK\r\n"));
    }

    void badControlCommands_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("unknown verb") << QByteArray("jump 1");
        QTest::newRow("no module 3") << QByteArray("input 3 1 on");
        QTest::newRow("input 13") << QByteArray("input 1 13 on");
        QTest::newRow("bad state") << QByteArray("relay 1 1 maybe");
        QTest::newRow("unknown fault") << QByteArray("fault 1 explode");
        QTest::newRow("unknown parameter") << QByteArray("set 1 colour red");
        QTest::newRow("refused value") << QByteArray("set 1 mode 9");
    }
    void badControlCommands() {
        QFETCH(QByteArray, line);
        QStringList output;
        QVERIFY(!m_sim.control(line, &output));
        QCOMPARE(output.size(), 1);
        QVERIFY(output.first().startsWith(QLatin1String("error ")));
    }

    void relaysOverTcp() {
        TcpLine line(TcpLine::connectTo("127.0.0.1", workPort()));
        QVERIFY(line.isOpen());
        QVERIFY(line.send(relaycodec::relaySet(3, "1", "")));
        QCOMPARE(line.collect(), relaycodec::relayReply(3, true, "0"));
        QVERIFY(line.send(relaycodec::relayQuery(3)));
        const QByteArray reply = line.collect();
        const relaycodec::Reading reading = relaycodec::parse(reply);
        QCOMPARE(reading.number, 3);
        QVERIFY(reading.on);
        QByteArray relays, inputs;
        QVERIFY(m_sim.state(1, &relays, &inputs));
        QCOMPARE(relays, QByteArray("001000000000000"));
        // Relay 12 is written with the character '<'.
        QVERIFY(line.send(relaycodec::relaySet(12, "1", "")));
        QCOMPARE(relaycodec::parse(line.collect()).number, 12);

        QVERIFY(line.send(relaycodec::relayQuery(0)));
        QByteArray all;
        for (int i = 1; i <= 15; ++i)
            all += relaycodec::relayReply(i, i == 3 || i == 12, "0");
        QCOMPARE(line.collect(), all);

        QVERIFY(line.send(relaycodec::relaySet(0, "0", "")));
        line.collect();
        QVERIFY(m_sim.state(1, &relays, &inputs));
        QCOMPARE(relays, QByteArray(15, '0'));

        QVERIFY(line.send(relaycodec::relayQuery(16)));
        QCOMPARE(line.collect(), QByteArray("ERROR\r\n"));
        QVERIFY(line.send(relaycodec::relaySet(1, "x", "")));
        QCOMPARE(line.collect(), QByteArray("ERROR\r\n"));
        // Text that is no command gets no answer (no echo by default).
        QVERIFY(line.send("hello\r\n"));
        QCOMPARE(line.collect(40, 150), QByteArray());
    }

    void inputsFromControl() {
        TcpLine line(TcpLine::connectTo("127.0.0.1", workPort()));
        QVERIFY(line.isOpen());
        QVERIFY(line.send(relaycodec::inputQuery(4)));
        QCOMPARE(line.collect(), relaycodec::inputReply(4, false));
        QVERIFY(m_sim.setInput(1, 4, true));
        QVERIFY(line.send(relaycodec::inputQuery(4)));
        const relaycodec::Reading reading = relaycodec::parse(line.collect());
        QCOMPARE(int(reading.kind), int(relaycodec::Reading::Kind::Input));
        QCOMPARE(reading.number, 4);
        QVERIFY(reading.on);
        QVERIFY(m_sim.setInput(1, 0, false));
        QVERIFY(line.send(relaycodec::inputQuery(0)));
        QByteArray all;
        for (int i = 1; i <= 12; ++i)
            all += relaycodec::inputReply(i, false);
        QCOMPARE(line.collect(), all);
        QVERIFY(line.send(relaycodec::inputQuery(13)));
        QCOMPARE(line.collect(), QByteArray("ERROR\r\n"));
    }

    void timedRelaySwitchesBack() {
        TcpLine line(TcpLine::connectTo("127.0.0.1", workPort()));
        QVERIFY(line.isOpen());
        QVERIFY(line.send(relaycodec::relaySet(2, "1", "3")));
        QCOMPARE(line.collect(10), relaycodec::relayReply(2, true, "3"));
        QByteArray relays, inputs;
        QTRY_VERIFY_WITH_TIMEOUT(m_sim.state(1, &relays, &inputs) && relays.at(1) == '0', 3000);
        QVERIFY(line.send(relaycodec::relayQuery(2)));
        QCOMPARE(line.collect(), relaycodec::relayReply(2, false, "0"));
        // A relay switched off with a time comes back on.
        QVERIFY(m_sim.setRelay(1, 5, false, 2));
        QTRY_VERIFY_WITH_TIMEOUT(m_sim.state(1, &relays, &inputs) && relays.at(4) == '1', 3000);
        QVERIFY(m_sim.setRelay(1, 0, false));
    }

    void udpMode() {
        QCOMPARE(command("AT+MODEL=2"), expectedReply("OK\r\n"));
        UdpProbe peer;
        QVERIFY(peer.send("127.0.0.1", workPort(), relaycodec::inputQuery(0)));
        const QList<UdpProbe::Datagram> replies = peer.collect(40, 1000);
        // One datagram per input, each from the module's working endpoint.
        QCOMPARE(replies.size(), 12);
        QCOMPARE(replies[0].senderPort, workPort());
        QCOMPARE(replies[11].data, relaycodec::inputReply(12, false));
        QVERIFY(peer.send("127.0.0.1", workPort(), "AT+STACH7=1\r\nAT+STACH7=?"));
        const QList<UdpProbe::Datagram> both = peer.collect(40, 1000);
        QCOMPARE(both.size(), 2);
        QCOMPARE(both[1].data, relaycodec::relayReply(7, true, "0"));
    }

    void clientMode() {
        // The test listens where the module's destination points.
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, "127.0.0.1", &local.sin_addr);
        QCOMPARE(::bind(listener, reinterpret_cast<sockaddr *>(&local), sizeof local), 0);
        QCOMPARE(::listen(listener, 1), 0);
        socklen_t length = sizeof local;
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&local), &length);
        const QByteArray port = QByteArray::number(ntohs(local.sin_port));
        QCOMPARE(command("AT+DIP=127.0.0.1"), expectedReply("OK\r\n"));
        QCOMPARE(command("AT+DPORT=" + port), expectedReply("OK\r\n"));
        QCOMPARE(command("AT+MODEL=1"), expectedReply("OK\r\n"));
        pollfd waiting{listener, POLLIN, 0};
        QCOMPARE(::poll(&waiting, 1, 3000), 1);
        TcpLine line(::accept(listener, nullptr, nullptr));
        ::close(listener);
        QVERIFY(line.isOpen());
        QVERIFY(m_sim.setRelay(1, 9, true));
        QVERIFY(line.send(relaycodec::relayQuery(9)));
        QCOMPARE(line.collect(), relaycodec::relayReply(9, true, "0"));
        QVERIFY(m_sim.setRelay(1, 0, false));
    }
};

QTEST_GUILESS_MAIN(TstSimulator)
#include "tst_simulator.moc"
