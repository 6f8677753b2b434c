// The inventory of a panel of 256 modules: the real ostrel-cli reads every
// parameter of every module of a virtual lab (`read all --json`, a search
// first), and each value it prints is compared with what the simulator holds
// (its "params" control command). Needs root for the namespaces.
//
//   bench_inventory [--runs N] [--uart] [--parallel N] [--rate N]
//
// --uart reads the serial settings too. The last line is machine-readable:
//   inventory256_ms=<median wall time of the program> inventory256_ok=<n>/256
//   inventory256_peak_fps=<most frames the program sent within one second>
#include "commandtable.h"
#include "labfixture.h"
#include "settingtext.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int Modules = 256;

// By module address.
using Held = QHash<QString, QHash<Parameter, ParameterValue>>;

bool heldValues(LabFixture &lab, Held &held) {
    for (int i = 0; i < Modules; ++i) {
        QHash<Parameter, ParameterValue> values;
        if (!lab.sim().parameters(i + 1, &values))
            return false;
        held.insert(QString::fromLatin1(lab.modules().at(i).ip), values);
    }
    return true;
}

struct Run {
    double ms = 0;
    int ok = 0;
    int peakFps = 0;
    QString failure;
};

Run inventory(const QStringList &arguments, const Held &held, const QList<Parameter> &read) {
    Run run;
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(OSTREL_CLI_EXE), arguments);
    if (!process.waitForFinished(120000)) {
        run.failure = u"ostrel-cli did not end"_s;
        return run;
    }
    run.ms = double(clock.nsecsElapsed()) / 1e6;
    const QJsonObject document = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    run.peakFps = document[u"traffic"_s][u"peakPerSecond"_s].toInt();
    const QJsonArray modules = document[u"modules"_s].toArray();
    if (modules.size() != Modules)
        run.failure = u"%1 modules in the document (exit code %2): %3"_s.arg(modules.size())
                          .arg(process.exitCode())
                          .arg(QString::fromUtf8(process.readAllStandardError()).left(400));
    for (const QJsonValue &module : modules) {
        const QHash<Parameter, ParameterValue> values = held.value(module[u"ip"_s].toString());
        const QJsonObject parameters = module[u"parameters"_s].toObject();
        const bool right =
            module[u"status"_s] == u"ok"_s && !values.isEmpty() &&
            std::ranges::all_of(read, [&](Parameter parameter) {
                // Ports are JSON numbers, every other value text.
                const QJsonValue shown = parameters[cli::keyOf(parameter)];
                const QString text =
                    shown.isDouble() ? QString::number(shown.toInteger()) : shown.toString();
                return (shown.isString() || shown.isDouble()) && values.contains(parameter) &&
                       parameters::text(parameter, values.value(parameter)) == text;
            });
        if (right)
            ++run.ok;
        else if (run.failure.isEmpty())
            run.failure =
                u"first wrong module: "_s +
                QString::fromUtf8(QJsonDocument(module.toObject()).toJson(QJsonDocument::Compact));
    }
    return run;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QStringList options = app.arguments().mid(1);
    int runs = 3;
    if (const qsizetype at = options.indexOf(u"--runs"_s); at >= 0 && at + 1 < options.size()) {
        runs = std::max(1, options[at + 1].toInt());
        options.remove(at, 2);
    }
    if (const QString reason = LabFixture::unavailableReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "bench_inventory: %s\n", qPrintable(reason));
        return 2;
    }
    QList<Parameter> read(parameters::readAllOrder().begin(), parameters::readAllOrder().end());
    if (options.contains(u"--uart"_s))
        read.append(Parameter::Uart);

    LabFixture::Options lab;
    lab.modules = Modules;
    LabFixture fixture(lab);
    QString error;
    if (!fixture.setUp(&error)) {
        std::fprintf(stderr, "lab: %s\n", qPrintable(error));
        return 1;
    }
    Held held;
    if (!heldValues(fixture, held)) {
        std::fprintf(stderr, "the simulator did not list the values of %d modules\n", Modules);
        return 1;
    }

    const QStringList arguments = QStringList{u"read"_s, u"all"_s, u"--json"_s} + options;
    QList<double> times;
    int ok = Modules;
    int peak = 0;
    for (int i = 0; i < runs; ++i) {
        const Run run = inventory(arguments, held, read);
        std::printf("run %d: %.0f ms, %d/%d modules right, peak %d frames/s\n", i + 1, run.ms,
                    run.ok, Modules, run.peakFps);
        if (!run.failure.isEmpty())
            std::printf("  %s\n", qPrintable(run.failure));
        times << run.ms;
        ok = std::min(ok, run.ok);
        peak = std::max(peak, run.peakFps);
    }
    std::sort(times.begin(), times.end());
    std::printf("inventory256_ms=%.0f inventory256_ok=%d/%d inventory256_peak_fps=%d\n",
                times[times.size() / 2], ok, Modules, peak);
    return 0;
}
