// The ostrel-cli program against a simulated module in its working mode,
// across the virtual lab's cable (private namespaces only).
#include "labfixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run {
    int code = -1;
    QJsonObject json;
    QString out;
    QString err;
};

// The program itself; it inherits the lab's computer side from this thread.
Run ostrelCli(const QString &line) {
    QProcess process;
    process.start(QStringLiteral(OSTREL_CLI_EXE), line.split(u' '));
    if (!process.waitForFinished(30000))
        return {};
    const QByteArray out = process.readAllStandardOutput();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QJsonDocument::fromJson(out).object(), QString::fromUtf8(out),
            QString::fromUtf8(process.readAllStandardError())};
}

// "0"/"1" per relay or input, as the simulator's state gives it.
QByteArray states(const QJsonObject &document, const QString &list) {
    const QJsonArray entries = document[list].toArray();
    QByteArray bits;
    for (const QJsonValue &entry : entries)
        bits.append(entry[u"on"_s].toBool() ? '1' : '0');
    return bits;
}

} // namespace

class TstCliLab : public QObject {
    Q_OBJECT

private slots:
    void relaysAndInputs() {
        LabFixture::Options options;
        options.modules = 1;
        // Answers to "all" come 100 ms apart: the last of the relays 1.4 s
        // after the first.
        options.simArguments = {u"--mode"_s, u"0"_s, u"--port"_s, u"12345"_s, u"--gap"_s, u"100"_s};
        LabFixture lab(options);
        LAB_SETUP_OR_SKIP(lab);
        SimProcess &sim = lab.sim();
        const QString ip = QString::fromLatin1(lab.modules().at(0).ip);
        const QString module = ip + u":12345"_s;
        const QString wait = u" --json --timeout 10000"_s;
        QByteArray relays;
        QByteArray inputs;

        QVERIFY(sim.setInput(1, 4, true));
        Run run = ostrelCli(u"inputs "_s + module + wait);
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QVERIFY(sim.state(1, &relays, &inputs));
        QCOMPARE(states(run.json, u"inputs"_s), inputs);
        QCOMPARE(inputs, "000100000000");
        QCOMPARE(run.json[u"module"_s].toString(), module);
        QCOMPARE(run.json[u"transport"_s].toString(), u"tcp"_s);

        run = ostrelCli(u"relay %1 3 on --time 30"_s.arg(module) + wait);
        QCOMPARE(run.code, 0);
        const QJsonArray switched = run.json[u"relays"_s].toArray();
        QCOMPARE(switched.size(), 1);
        QCOMPARE(switched[0][u"relay"_s].toInt(), 3);
        QCOMPARE(switched[0][u"remaining"_s].toInt(), 30);
        QVERIFY(sim.state(1, &relays, &inputs));
        QCOMPARE(relays.at(2), '1');

        run = ostrelCli(u"relays "_s + module + wait);
        QCOMPARE(run.code, 0);
        QVERIFY(sim.state(1, &relays, &inputs));
        QCOMPARE(states(run.json, u"relays"_s), relays);
        const int remaining = run.json[u"relays"_s][2][u"remaining"_s].toInt();
        QVERIFY2(remaining > 0 && remaining <= 30, qPrintable(run.out));

        // Not every relay can answer in time: what came is shown, what did
        // not is named.
        run = ostrelCli(u"relays %1 --json --timeout 500"_s.arg(module));
        QCOMPARE(run.code, 1);
        const qsizetype missing = run.json[u"missing"_s].toArray().size();
        QVERIFY(missing > 0);
        QCOMPARE(run.json[u"relays"_s].toArray().size() + missing, 15);
        QCOMPARE(run.json[u"errors"_s][0][u"module"_s].toString(), module);
        QVERIFY2(run.err.contains(u"query relay 0: no answer from relay "_s), qPrintable(run.err));

        run = ostrelCli(u"relay %1 0 off --timeout 10000"_s.arg(module));
        QCOMPARE(run.code, 0);
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 16);
        QCOMPARE(lines[0].simplified(), u"RELAY STATE REMAINING"_s);
        QCOMPARE(lines[15].simplified(), u"15 off 0"_s);
        QVERIFY(sim.state(1, &relays, &inputs));
        QCOMPARE(relays, QByteArray(15, '0'));

        // The same module as a UDP peer.
        QVERIFY(sim.control("set 1 mode 2"));
        QVERIFY(sim.setRelay(1, 7, true));
        run = ostrelCli(u"relays %1 --udp"_s.arg(module) + wait);
        QCOMPARE(run.code, 0);
        QCOMPARE(states(run.json, u"relays"_s), QByteArray("000000100000000"));

        // Nobody listens: the network says so.
        for (const QString &transport : {u"--tcp"_s, u"--udp"_s}) {
            run = ostrelCli(u"inputs %1:12346 %2"_s.arg(ip, transport) + wait);
            QCOMPARE(run.code, 3);
            QVERIFY2(run.json[u"errors"_s][0][u"step"_s].toString() ==
                         (transport == u"--tcp"_s ? u"connect"_s : u"send"_s),
                     qPrintable(run.err));
        }
    }
};

QTEST_GUILESS_MAIN(TstCliLab)
#include "tst_clilab.moc"
