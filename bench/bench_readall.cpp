// How close a read-all comes to what the protocol allows, and how fast a
// search answered by 256 modules is listed. Runs the real controller with the
// real transport in a virtual lab of its own (needs root for the namespaces).
//
// The read-all floor: every query leaves 30 ms after the previous reply (the
// handshake 30 ms after the pick), plus the round trips measured in the run.
#include "configprotocol.h"
#include "labfixture.h"
#include "parameters.h"
#include "sockettransport.h"
#include "systemadapters.h"
#include "transportrouter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QElapsedTimer g_clock;

double nowMs() {
    return double(g_clock.nsecsElapsed()) / 1e6;
}

// Keeps the times of what the controller shows; notices are answered at
// once (a benchmark run that shows one is reported as failed).
class BenchView : public ConfigView {
public:
    // Each query's memo line is written as soon as its frame has left.
    QList<double> sentAt;
    double versionAt = -1;
    double lastModuleAt = -1;
    int modules = 0;
    QStringList notices;

    ParameterValue parameterValue(Parameter) const override { return {}; }
    void showParameter(Parameter parameter, const ParameterValue &) override {
        if (parameter == Parameter::Version)
            versionAt = nowMs();
    }
    void appendMemoLine(const QString &line) override {
        if (line.endsWith(u"发送AT命令"_s) || line.contains(u": 查询"_s) ||
            line.endsWith(u": 读取版本号"_s))
            sentAt << nowMs();
    }
    void notify(Notice, const QString &text) override { notices << text; }
    void clearModuleList() override { modules = 0; }
    void appendModuleLine(const QString &) override {
        ++modules;
        lastModuleAt = nowMs();
    }
    void replaceModuleLine(int, const QString &) override {}
    void enableConfiguration(bool) override {}
};

struct Tool {
    SocketTransport transport;
    BenchView view;
    SystemAdapters adapters;
    // The computer's addresses, looked up once: its own broadcasts come back.
    const QList<NetworkAdapter> own = adapters.adapters();
    // Arrival times of datagrams from modules (not our own broadcasts),
    // taken before the router hands them on.
    QList<double> receivedAt;
    QMetaObject::Connection timing = QObject::connect(&transport, &Transport::received, &transport,
                                                      [this](const Peer &from, QByteArrayView) {
                                                          if (!adapterByAddress(own, from.ip))
                                                              receivedAt << nowMs();
                                                      });
    TransportRouter router{transport};
    ConfigProtocol proto{router, view, adapters};

    ~Tool() { transport.close(); }
};

bool waitUntil(const std::function<bool()> &done, int timeoutMs) {
    QTimer wake;
    wake.start(20);
    const double end = nowMs() + timeoutMs;
    while (!done() && nowMs() < end)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

bool setUpLab(LabFixture &lab) {
    QString error;
    if (lab.setUp(&error))
        return true;
    std::fprintf(stderr, "lab: %s\n", qPrintable(error));
    return false;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    g_clock.start();
    if (const QString reason = LabFixture::unavailableReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "bench_readall: %s\n", qPrintable(reason));
        return 2;
    }

    constexpr int Runs = 7;
    constexpr int Queries = 12;
    constexpr double QueryGapMs = 30;
    QList<double> measured;
    QList<double> floors;
    {
        LabFixture::Options options;
        options.modules = 1;
        LabFixture lab(options);
        if (!setUpLab(lab))
            return 1;
        Tool tool;
        tool.proto.searchModules();
        if (!waitUntil([&] { return tool.view.modules == 1; }, 3000)) {
            std::fprintf(stderr, "no module answered the search\n");
            return 1;
        }
        for (int run = 0; run < Runs; ++run) {
            tool.view.sentAt.clear();
            tool.receivedAt.clear();
            tool.view.versionAt = -1;
            const double start = nowMs();
            tool.proto.selectModule(0);
            if (!waitUntil([&] { return tool.view.versionAt >= 0; }, 5000) ||
                !tool.view.notices.isEmpty() || tool.view.sentAt.size() != Queries ||
                tool.receivedAt.size() != Queries) {
                std::fprintf(stderr, "read-all did not complete cleanly (%s)\n",
                             qPrintable(tool.view.notices.join(u"; "_s)));
                return 1;
            }
            double roundTrips = 0;
            for (int i = 0; i < Queries; ++i)
                roundTrips += tool.receivedAt[i] - tool.view.sentAt[i];
            const double took = tool.view.versionAt - start;
            const double floor = Queries * QueryGapMs + roundTrips;
            measured << took;
            floors << floor;
            std::printf("readall run %d: %.2f ms (floor %.2f ms, round trips %.3f ms)\n", run + 1,
                        took, floor, roundTrips);
        }
    }

    int listed = 0;
    double searchMs = 0;
    {
        LabFixture::Options options;
        options.modules = 256;
        LabFixture lab(options);
        if (!setUpLab(lab))
            return 1;
        Tool tool;
        const double start = nowMs();
        tool.proto.searchModules();
        waitUntil([&] { return tool.view.modules >= 256; }, 5000);
        // Anything late or doubled would show up here.
        waitUntil([] { return false; }, 300);
        listed = tool.view.modules;
        searchMs = tool.view.lastModuleAt - start;
        std::printf("search: %d of 256 modules listed, last after %.2f ms\n", listed, searchMs);
    }

    const double readall = median(measured);
    const double floor = median(floors);
    std::printf("readall_ms=%.1f floor_ms=%.1f ratio=%.3f search256_listed=%d search256_ms=%.1f\n",
                readall, floor, readall / floor, listed, searchMs);
    return 0;
}
