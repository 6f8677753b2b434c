// The test console's arrivals: relay and input replies, text cut anywhere
// between reads, GBK characters split across them, several senders in turn,
// and the user's own commands and clearing in between.
//
// An input is parted by 0xFF into pieces; a piece's first byte says what
// the rest of it is:
//
//   bits 0-1   its sender: the empty peer the console starts with, two
//              modules, or the first module's address behind another port
//              and adapter
//   bits 2-4   0-5: an arrival; 6: the user clears the transcript; 7: the
//              user sends the rest as typed text (relay queries when empty)
//
// One console gets the arrivals as they come; another gets each run of
// arrivals from one sender as one read. Both must show the same transcript:
// the GBK text of everything that came, senders parted as the console
// parts them, and nothing more.
#include "fuzzsupport.h"
#include "recordingtransport.h"

#include "console.h"
#include "gbk.h"
#include "relaycodec.h"
#include "transportrouter.h"

#include <QCoreApplication>

#include <array>

using namespace Qt::StringLiterals;

namespace {

const std::array<Peer, 4> Senders = {Peer{}, Peer{0xC701A8C0u, 1001, 3}, Peer{0xC801A8C0u, 1001, 3},
                                     Peer{0xC701A8C0u, 1002, 4}};

// What the console must show: the text of every run of arrivals from one
// sender decoded as one, a lead byte left at a run's end shown broken once
// something else follows.
class Transcript {
public:
    void arrive(const Peer &from, QByteArrayView bytes) {
        if (from != m_sender) {
            endRun();
            m_sender = from;
            if (!m_shown.isEmpty() && !m_shown.endsWith(u'\n'))
                m_shown += u"\r\n"_s;
        }
        m_run += bytes;
    }
    void echo(const QByteArray &bytes) {
        endRun();
        if (!m_shown.isEmpty())
            m_shown += u"\r\n\r\n"_s;
        m_shown += gbk::decode(bytes);
    }
    void clear() {
        m_shown.clear();
        m_run.clear();
    }
    // A lead byte still waiting shows as nothing yet.
    QString text() const { return m_shown + gbk::decode(m_run); }

private:
    void endRun() {
        m_shown += gbk::decode(m_run);
        if (gbk::completeLength(m_run) < m_run.size())
            m_shown += QChar::ReplacementCharacter;
        m_run.clear();
    }

    QString m_shown;
    QByteArray m_run;
    Peer m_sender;
};

// An arrival is text up to its first zero byte.
QByteArrayView textOf(QByteArrayView bytes) {
    const qsizetype zero = bytes.indexOf('\0');
    return zero < 0 ? bytes : bytes.first(zero);
}

// The byte at i of an arrival, which reads as zero-terminated.
char byteAt(QByteArrayView data, qsizetype i) {
    return i < data.size() ? data[i] : '\0';
}

// The transcript as shown, and each lamp checked against the arrival that
// lit it.
class View final : public ConsoleView {
public:
    QString transcript;

    // One arrival: it lights the lamp its first relay report names, else
    // the one its first input report names, and nothing else.
    void receive(Console &console, const Peer &from, QByteArrayView bytes) {
        const QByteArray data = textOf(bytes).toByteArray();
        m_arrival = &data;
        m_lamps = 0;
        console.receive(from, bytes);
        m_arrival = nullptr;
        const qsizetype relay = data.indexOf("+STACH");
        const qsizetype input = data.indexOf("+OCCH");
        const auto lit = [&](qsizetype at, qsizetype keyword, int count) {
            const char number = byteAt(data, at + keyword);
            return at >= 0 && number >= '1' && number <= '0' + count;
        };
        const bool lamp = relay >= 0 ? lit(relay, 6, relaycodec::RelayCount)
                                     : lit(input, 5, relaycodec::InputCount);
        FUZZ_CHECK(m_lamps == (lamp ? 1 : 0));
    }

    std::optional<ConsoleMode> mode() const override { return ConsoleMode::TcpServer; }
    QString localAddress() const override { return u"127.0.0.1"_s; }
    QString localPort() const override { return u"6000"_s; }
    QString remoteAddress() const override { return u"127.0.0.1"_s; }
    QString remotePort() const override { return u"6001"_s; }
    int selectedRelay() const override { return 0; }
    int selectedClient() const override { return -1; }
    void showMode(ConsoleMode) override {}
    void showState(ConsoleState, ConsoleMode) override {}
    void showClients(const QList<Peer> &) override {}
    void showConfigurationAvailable(bool) override {}

    void showRelay(int relay, LampState state) override {
        FUZZ_CHECK(m_arrival && relay >= 1 && relay <= relaycodec::RelayCount);
        const qsizetype at = m_arrival->indexOf("+STACH");
        FUZZ_CHECK(at >= 0 && byteAt(*m_arrival, at + 6) == '0' + relay);
        FUZZ_CHECK((state == LampState::On) == (byteAt(*m_arrival, at + 8) != '0'));
        ++m_lamps;
    }
    void showInput(int input, LampState state) override {
        FUZZ_CHECK(m_arrival && input >= 1 && input <= relaycodec::InputCount);
        const qsizetype at = m_arrival->indexOf("+OCCH");
        FUZZ_CHECK(at >= 0 && !m_arrival->contains("+STACH"));
        FUZZ_CHECK(byteAt(*m_arrival, at + 5) == '0' + input);
        FUZZ_CHECK((state == LampState::On) == (byteAt(*m_arrival, at + 7) != '0'));
        ++m_lamps;
    }
    // The digits that lead the time field, at most 15 of them.
    void showRelayTime(quint64 time) override {
        FUZZ_CHECK(m_arrival);
        const qsizetype at = m_arrival->indexOf("+STACH");
        FUZZ_CHECK(at >= 0);
        QByteArrayView field = QByteArrayView(*m_arrival).sliced(qMin(at + 10, m_arrival->size()));
        qsizetype digits = 0;
        while (digits < field.size() && digits < 15 && field[digits] >= '0' && field[digits] <= '9')
            ++digits;
        field = field.first(digits);
        while (field.startsWith('0'))
            field = field.sliced(1);
        FUZZ_CHECK(time == 0 ? field.isEmpty() : QByteArray::number(time) == field);
    }

    void appendTranscript(const QString &text) override { transcript += text; }
    void clearTranscript() override { transcript.clear(); }
    void scrollTranscriptToBottom() override {}
    bool transcriptEmpty() const override { return transcript.isEmpty(); }
    bool transcriptLastLineEmpty() const override {
        return transcript.isEmpty() || transcript.endsWith(u'\n');
    }
    // Nothing the harness asks for is refused.
    void warning(const QString &) override { FUZZ_CHECK(!"a warning"); }

private:
    const QByteArray *m_arrival = nullptr;
    int m_lamps = 0;
};

// A console with what it is built from; it owns the transport while the
// user works with it, so it sends nothing (no client is connected).
struct Rig {
    fuzz::RecordingTransport transport;
    TransportRouter router{transport};
    View view;
    Console console{router, view};

    Rig() {
        transport.opened = false;
        router.setHolder(TransportRouter::Holder::Console);
    }
    void reset() {
        console.clearTranscript();
        router.setLastPeer({});
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    // The console's timers need an event dispatcher (they never fire here).
    static auto *application = new QCoreApplication(*argc, *argv);
    Q_UNUSED(application);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Built once; an input starts from an empty transcript and no sender.
    static Rig asSent;
    static Rig asOneRead;
    Transcript expected;
    // The run of arrivals the second console has not been given yet; even
    // an empty one parts its sender from the one before.
    bool running = false;
    QByteArray run;
    Peer runSender;
    const auto endRun = [&] {
        if (std::exchange(running, false))
            asOneRead.view.receive(asOneRead.console, runSender, run);
        run.clear();
    };
    const auto compare = [&] {
        endRun();
        const QString text = expected.text();
        FUZZ_CHECK(asSent.view.transcript == text);
        FUZZ_CHECK(asOneRead.view.transcript == text);
    };

    for (const QByteArrayView piece : fuzz::pieces(data, size)) {
        if (piece.isEmpty())
            continue;
        const quint8 control = quint8(piece[0]);
        const Peer &from = Senders[control & 3];
        const QByteArrayView body = piece.sliced(1);
        switch ((control >> 2) & 7) {
        case 6:
            compare();
            asSent.console.clearTranscript();
            asOneRead.console.clearTranscript();
            expected.clear();
            continue;
        case 7: {
            compare();
            const QString text = gbk::decode(body);
            for (Rig *rig : {&asSent, &asOneRead}) {
                if (text.isEmpty())
                    rig->console.queryRelays(0);
                else
                    rig->console.sendText(text);
            }
            expected.echo(text.isEmpty() ? relaycodec::relayQuery(0) : gbk::encode(text));
            continue;
        }
        default:
            break;
        }
        const QByteArrayView text = textOf(body);
        if (from != runSender)
            endRun();
        running = true;
        runSender = from;
        run += text;
        asSent.view.receive(asSent.console, from, body);
        expected.arrive(from, text);
    }
    compare();
    asSent.reset();
    asOneRead.reset();
    return 0;
}
