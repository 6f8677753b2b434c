// How close a read-all comes to what the protocol allows, and how fast a
// search answered by 256 modules is listed. Runs the real controller with the
// real socket in a virtual lab of its own (needs root for the namespaces).
//
// The read-all floor: every query leaves 30 ms after the previous reply (the
// handshake 30 ms after the pick), plus the round trips measured in the run.
#include "cmsocket.h"
#include "configprotocol.h"
#include "labfixture.h"
#include "mainstate.h"
#include "mylib.h"

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

// The real socket, with the time of every frame sent.
class TimedSocket : public TcmSocket {
public:
    using TcmSocket::SendTo;
    QList<double> sentAt;
    bool SendTo(quint32 ip, quint16 port, const char *data, int len) override {
        sentAt << nowMs();
        return TcmSocket::SendTo(ip, port, data, len);
    }
};

// Keeps the times of what the controller shows; message boxes are answered
// at once (a benchmark run that shows one is reported as failed).
class BenchView : public ConfigView {
public:
    double versionAt = -1;
    double lastModuleAt = -1;
    int modules = 0;
    QStringList messages;

    QString controlText(ConfigControl) const override { return {}; }
    void setControlText(ConfigControl, const QString &) override {}
    int itemIndex(ConfigControl) const override { return 0; }
    void setItemIndex(ConfigControl, int) override {}
    void appendMemoLine(const QString &line) override {
        if (line.contains(u"版本号为："_s))
            versionAt = nowMs();
    }
    void clearModuleList() override { modules = 0; }
    void appendModuleLine(const QString &) override {
        ++modules;
        lastModuleAt = nowMs();
    }
    void replaceModuleLine(int, const QString &) override {}
    void showMessage(MessageKind, const QString &, const QString &text) override {
        messages << text;
    }
    void enableConfigControls(bool) override {}
};

struct Tool {
    TMYCLASS store;
    TMainState state;
    TimedSocket socket;
    QTimer timerRead;
    QTimer timerOut;
    BenchView view;
    ConfigProtocol proto{store, state, socket, timerRead, timerOut, view};
    // Arrival times of datagrams from modules (not our own broadcasts).
    QList<double> receivedAt;

    Tool() {
        QObject::connect(&timerRead, &QTimer::timeout, &proto, &ConfigProtocol::TimerReadTimer);
        QObject::connect(&timerOut, &QTimer::timeout, &proto, &ConfigProtocol::TimerOutTimer);
        socket.SetBufferSize(65535);
        socket.OnReceive = [this](TcmSocket *, int, quint16 port, quint32 ip, const char *buf,
                                  int len) {
            if (ip != store.LocalIP)
                receivedAt << nowMs();
            proto.MySocketReceive(ip, port, QByteArrayView(buf, buf && len > 0 ? len : 0));
        };
    }
    ~Tool() { socket.SetActive(false); }
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
        tool.proto.But_UDPFindClick();
        if (!waitUntil([&] { return tool.view.modules == 1; }, 3000)) {
            std::fprintf(stderr, "no module answered the search\n");
            return 1;
        }
        for (int run = 0; run < Runs; ++run) {
            tool.socket.sentAt.clear();
            tool.receivedAt.clear();
            tool.view.versionAt = -1;
            const double start = nowMs();
            tool.proto.ListBoxIPClick(0);
            if (!waitUntil([&] { return tool.view.versionAt >= 0; }, 5000) ||
                !tool.view.messages.isEmpty() || tool.socket.sentAt.size() != Queries ||
                tool.receivedAt.size() != Queries) {
                std::fprintf(stderr, "read-all did not complete cleanly (%s)\n",
                             qPrintable(tool.view.messages.join(u"; "_s)));
                return 1;
            }
            double roundTrips = 0;
            for (int i = 0; i < Queries; ++i)
                roundTrips += tool.receivedAt[i] - tool.socket.sentAt[i];
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
        tool.proto.But_UDPFindClick();
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
