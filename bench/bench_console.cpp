// How the test console copes with a fast peer, on loopback only.
//
// 1. A plain blocking reader takes 20 MB (4 KB writes) from a loopback peer:
//    the machine's reference throughput.
// 2. The real window's console, opened as TCP client to a loopback peer,
//    receives and shows the same 20 MB: throughput until the last byte is in
//    MemoTCPRec, the longest gap between two ticks of a 5 ms GUI-thread timer
//    (the longest stall), and the peak memory growth over the data shown.
// 3. The console as UDP peer gets 10,000 datagrams a second for 5 seconds:
//    how many were shown, and the longest stall.
//
// The last line is machine-readable:
//   tcp_ratio=<console/plain> max_stall_ms=<ms> mem_ratio=<peak/data>
//   udp_shown=<n>/<sent> udp_max_stall_ms=<ms>
#include "mainwindow.h"
#include "transcriptview.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr qint64 TotalBytes = 20 * 1024 * 1024;
constexpr int ChunkBytes = 4096;
constexpr int DatagramsPerSecond = 10000;
constexpr int UdpSeconds = 5;

using SteadyClock = std::chrono::steady_clock;

// 4 KB of text lines, each ending in "\r\n", as a module's output would be.
QByteArray textChunk() {
    QByteArray chunk;
    for (int line = 0; chunk.size() < ChunkBytes; ++line) {
        QByteArray text = "+STACH0=0,0 line " + QByteArray::number(line) + ' ';
        while (text.size() < 62)
            text.append(char('a' + (text.size() + line) % 26));
        chunk.append(text.left(62)).append("\r\n");
    }
    chunk.truncate(ChunkBytes);
    return chunk;
}

qint64 statusKb(const char *field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

int loopbackSocket(int type, quint16 &port) {
    const int fd = ::socket(AF_INET, type, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        qFatal("cannot bind on loopback");
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    port = ntohs(address.sin_port);
    if (type == SOCK_STREAM)
        ::listen(fd, 1);
    return fd;
}

// Accepts one connection and writes the data in 4 KB writes; keeps the
// connection open until told, so the reader sees all data before any close.
class TcpPeer {
public:
    TcpPeer()
        : m_listener(loopbackSocket(SOCK_STREAM, m_port)) {
        m_thread = std::thread([this] {
            const int fd = ::accept(m_listener, nullptr, nullptr);
            const QByteArray chunk = textChunk();
            m_start = SteadyClock::now();
            for (qint64 sent = 0; sent < TotalBytes;) {
                const ssize_t n = ::send(fd, chunk.constData(), size_t(chunk.size()), 0);
                if (n <= 0)
                    break;
                sent += n;
            }
            while (!m_release.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ::close(fd);
        });
    }
    ~TcpPeer() {
        m_release = true;
        m_thread.join();
        ::close(m_listener);
    }
    quint16 port() const { return m_port; }
    SteadyClock::time_point start() const { return m_start; }

private:
    quint16 m_port = 0;
    int m_listener;
    std::atomic<bool> m_release{false};
    SteadyClock::time_point m_start;
    std::thread m_thread;
};

double plainReaderMBps() {
    TcpPeer peer;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(peer.port());
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        qFatal("cannot connect on loopback");
    QByteArray buffer(65536, Qt::Uninitialized);
    qint64 received = 0;
    while (received < TotalBytes) {
        const ssize_t n = ::recv(fd, buffer.data(), size_t(buffer.size()), 0);
        if (n <= 0)
            break;
        received += n;
    }
    const double seconds = std::chrono::duration<double>(SteadyClock::now() - peer.start()).count();
    ::close(fd);
    return double(received) / seconds / 1e6;
}

// Runs the event loop until done() holds, looking every millisecond.
template <typename Done> void runUntil(Done done) {
    QEventLoop loop;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(1);
    if (!done())
        loop.exec();
}

// Longest gap between two ticks of a 5 ms timer on the GUI thread.
class StallMeter {
public:
    StallMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            m_max = std::max(m_max, m_clock.restart());
            m_peakKb = std::max(m_peakKb, statusKb("VmRSS"));
        });
    }
    void start() {
        m_max = 0;
        m_clock.start();
        m_timer.start();
    }
    // Counts the time since the last tick too: a stall that has just ended
    // has not been ticked over yet.
    qint64 maxMs() const { return std::max(m_max, m_clock.elapsed()); }
    // The kernel's high-water mark catches a peak between two ticks.
    qint64 peakKb() const { return std::max(m_peakKb, statusKb("VmHWM")); }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_max = 0;
    qint64 m_peakKb = 0;
};

// The window's controls by their names.
struct Controls {
    QWidget &window;
    template <class T> T *get(const char *name) const {
        T *found = window.findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("the window has no control %s", name);
        return found;
    }
    void click(const char *name) const { get<QAbstractButton>(name)->click(); }
    void type(const char *name, const QString &text) const { get<QLineEdit>(name)->setText(text); }
    void pickMode(int index) const { get<QComboBox>("Cmb_TCPMode")->setCurrentIndex(index); }
    TranscriptView *transcript() const { return get<TranscriptView>("MemoTCPRec"); }
};

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    std::printf("machine: %u hardware threads; Qt %s; platform %s; build type '%s'%s\n",
                std::thread::hardware_concurrency(), qVersion(),
                qPrintable(QGuiApplication::platformName()), OSTREL_BUILD_TYPE,
                *OSTREL_BUILD_TYPE ? "" : " (unoptimised: figures are not representative)");

    const double plain = plainReaderMBps();
    std::printf("plain reader: %.1f MB/s\n", plain);

    TFrmMain window;
    window.show();
    const Controls u{window};
    // Characters MemoTCPRec holds to show: line breaks count one each.
    const TranscriptView *memo = u.transcript();
    StallMeter meter;

    // ---- TCP client -------------------------------------------------------
    const QByteArray chunk = textChunk();
    const qint64 expected = TotalBytes - TotalBytes / ChunkBytes * chunk.count('\r');
    double console = 0;
    qint64 tcpStall = 0;
    double memRatio = 0;
    {
        TcpPeer peer;
        u.pickMode(1);
        u.type("Edt_RemoteIP", QStringLiteral("127.0.0.1"));
        u.type("Edt_RemotePort", QString::number(peer.port()));
        const qint64 baselineKb = statusKb("VmRSS");
        meter.start();
        u.click("But_TCPCtl");
        QElapsedTimer deadline;
        deadline.start();
        // The application's own event loop, checked every millisecond: QTest's
        // wait sleeps between its rounds and would throttle the console.
        runUntil(
            [&] { return memo->characterCount() >= expected || deadline.elapsed() >= 300000; });
        const auto end = SteadyClock::now();
        tcpStall = meter.maxMs();
        const qint64 shown = memo->characterCount();
        console = double(shown) / std::chrono::duration<double>(end - peer.start()).count() / 1e6;
        memRatio = double(meter.peakKb() - baselineKb) * 1024.0 / double(shown);
        std::printf("console tcp: %lld of %lld characters shown, %.1f MB/s, longest stall %lld ms,"
                    " memory +%lld KB over %lld KB shown\n",
                    qlonglong(shown), qlonglong(expected), console, qlonglong(tcpStall),
                    qlonglong(meter.peakKb() - baselineKb), qlonglong(shown / 1024));
        u.click("But_TCPCtl"); // close
    }

    // ---- UDP flood --------------------------------------------------------
    u.click("Button2");
    u.pickMode(2);
    u.type("Edt_LocalIP", QStringLiteral("127.0.0.1"));
    // A port that was free a moment ago.
    quint16 consolePort = 0;
    ::close(loopbackSocket(SOCK_DGRAM, consolePort));
    u.type("Edt_LocalPort", QString::number(consolePort));
    u.click("But_TCPCtl");
    std::atomic<int> sent{0};
    std::thread sender([&sent, consolePort] {
        quint16 ownPort = 0;
        const int fd = loopbackSocket(SOCK_DGRAM, ownPort);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(consolePort);
        const auto begin = SteadyClock::now();
        const int total = DatagramsPerSecond * UdpSeconds;
        for (int i = 0; i < total; ++i) {
            // Paced per millisecond: ten datagrams, then wait for the next one.
            if (i % (DatagramsPerSecond / 1000) == 0)
                std::this_thread::sleep_until(
                    begin + std::chrono::milliseconds(i * 1000 / DatagramsPerSecond));
            const QByteArray datagram = "datagram " + QByteArray::number(i) + "\r\n";
            ::sendto(fd, datagram.constData(), size_t(datagram.size()), 0,
                     reinterpret_cast<sockaddr *>(&to), sizeof to);
            sent = i + 1;
        }
        ::close(fd);
    });
    meter.start();
    runUntil([&] { return sent.load() >= DatagramsPerSecond * UdpSeconds; });
    sender.join();
    // What is still queued.
    QElapsedTimer drain;
    drain.start();
    runUntil([&] { return drain.elapsed() >= 500; });
    const qint64 udpStall = meter.maxMs();
    // Every datagram ends its own line.
    const int shownDatagrams = int(memo->toPlainText().count(u'\n'));
    std::printf("console udp: %d of %d datagrams shown, longest stall %lld ms\n", shownDatagrams,
                sent.load(), qlonglong(udpStall));
    u.click("But_TCPCtl");

    std::printf("tcp_ratio=%.3f max_stall_ms=%lld mem_ratio=%.2f udp_shown=%d/%d "
                "udp_max_stall_ms=%lld\n",
                console / plain, qlonglong(tcpStall), memRatio, shownDatagrams, sent.load(),
                qlonglong(udpStall));
    return 0;
}
