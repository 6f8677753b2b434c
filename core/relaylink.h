#pragma once

#include "relaycodec.h"
#include "transport.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

// A module in its working mode, as a client of it: the connection (TCP) or
// datagram socket (UDP) towards its working port, the relay and input
// commands sent over it and the replies read back. The command-line tool
// runs one exchange over it; the bridge keeps one per module.

// The replies as they arrive: over TCP in pieces of any size, several in one
// piece or one across two; over UDP a datagram at a time. A reply ends at a
// carriage return or line feed, where the next one begins, or with its
// datagram. Every "+STACH" and "+OCCH" of an arrival counts.
class RelayReplyReader {
public:
    std::function<void(const relaycodec::Reading &)> onReading;
    // The module answered "ERROR".
    std::function<void()> onRefusal;

    // ends: the arrival is a datagram, whose end ends its last reply.
    void feed(QByteArrayView bytes, bool ends);
    // The wait is over: what is left is read as a whole reply.
    void finish();
    void clear() { m_pending.clear(); }

private:
    void takeLine(QByteArrayView line);

    QByteArray m_pending;
};

class RelayLink : public QObject {
    Q_OBJECT

public:
    struct Endpoint {
        QString host;
        quint16 port = 0;
        bool udp = false;

        QString text() const { return host + u':' + QString::number(port); }
    };

    explicit RelayLink(std::unique_ptr<Transport> transport, QObject *parent = nullptr);
    ~RelayLink() override;

    // Connects (TCP) or opens a datagram socket towards the module (UDP);
    // opened() or closed() follows, either perhaps at once.
    void open(const Endpoint &endpoint);
    // Ends the connection without a signal.
    void close();
    bool isOpen() const { return m_open; }
    const Endpoint &endpoint() const { return m_endpoint; }
    bool send(QByteArrayView command);
    // Reads what is left of a reply cut short as a whole one.
    void flush() { m_reader.finish(); }
    // What the system last reported; empty when it reported nothing.
    const std::optional<Transport::Failure> &lastFailure() const { return m_lastFailure; }

Q_SIGNALS:
    void opened();
    void reading(const relaycodec::Reading &reading);
    void refused();
    // A datagram of ours was refused by the module's computer: nobody
    // listens on that port.
    void datagramRefused();
    // The connection could not be made, or ended; lastFailure() says why
    // when the system said.
    void closed();

private:
    void transportOpenChanged(bool open);
    void transportFailed(const Transport::Failure &failure);
    void lose();

    std::unique_ptr<Transport> m_transport;
    Endpoint m_endpoint;
    // The module's address, when the endpoint gives it as dotted text.
    quint32 m_peerIp = 0;
    RelayReplyReader m_reader;
    std::optional<Transport::Failure> m_lastFailure;
    bool m_open = false;
    bool m_active = false; // opened or opening, and closed() not yet told
    // Counts openings and closings, so that a loss noticed late belongs to
    // the connection it was noticed on.
    int m_generation = 0;
};

// One command and the module's replies until every relay or input asked
// about has answered, the module refused, the connection failed or the time
// ran out.
class RelayExchange : public QObject {
    Q_OBJECT

public:
    struct Request {
        RelayLink::Endpoint endpoint;
        QByteArray command;
        relaycodec::Reading::Kind kind = relaycodec::Reading::Kind::Relay;
        QList<int> expected;
        int timeoutMs = 2000;
    };

    struct Result {
        enum class Outcome {
            Done,
            NoConnection, // nothing was sent
            SendFailed,   // the command could not be sent, or nobody took it
            Refused,      // the module answered "ERROR"
            NoAnswer,     // not every expected number answered
        };
        Outcome outcome = Outcome::Done;
        // By relay or input number; a later reply replaces an earlier one.
        QMap<int, relaycodec::Reading> readings;
        QList<int> missing;
        // The time ran out (rather than the connection ending).
        bool timedOut = false;
        std::optional<Transport::Failure> failure;
    };

    enum class Stage { Connecting, Sending, Answered };

    RelayExchange(std::unique_ptr<Transport> transport, Request request);

    // answered: how many expected numbers have answered so far.
    std::function<void(Stage stage, int answered)> onProgress;

    void start(std::function<void(const Result &)> done);

private:
    void send();
    void conclude(bool timedOut);
    bool complete() const;
    void finish(Result::Outcome outcome, bool timedOut = false);
    void progress(Stage stage, int answered = 0);

    RelayLink m_link;
    Request m_request;
    QMap<int, relaycodec::Reading> m_readings;
    QTimer m_deadline;
    bool m_sent = false;
    std::function<void(const Result &)> m_done;
};
