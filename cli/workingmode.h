#pragma once

#include "output.h"
#include "relaycodec.h"
#include "transport.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

// A module in its working mode, as a client of it: one relay or input
// command, and the module's replies until every relay or input asked about
// has answered.
namespace cli {

// The replies as they arrive: over TCP in pieces of any size, several in one
// piece or one across two; over UDP a datagram at a time. A reply ends at a
// carriage return or line feed, where the next one begins, or with its
// datagram.
class ReplyCollector {
public:
    explicit ReplyCollector(relaycodec::Reading::Kind kind)
        : m_kind(kind) {}

    // ends: the arrival is a datagram, whose end ends its last reply.
    void feed(QByteArrayView bytes, bool ends);
    // The wait is over: what is left is read as a whole reply.
    void finish();

    // By relay or input number; a later reply replaces an earlier one.
    const QMap<int, relaycodec::Reading> &readings() const { return m_readings; }
    // The module answered "ERROR".
    bool refused() const { return m_refused; }

private:
    void takeLine(QByteArrayView line);

    relaycodec::Reading::Kind m_kind;
    QByteArray m_pending;
    QMap<int, relaycodec::Reading> m_readings;
    bool m_refused = false;
};

struct Exchange {
    QString host;
    quint16 port = 0;
    bool udp = false;
    QByteArray command;
    // What the error messages call it ("set relay 3").
    QString step;
    relaycodec::Reading::Kind kind = relaycodec::Reading::Kind::Relay;
    QList<int> expected;
    int timeoutMs = 2000;

    QString peer() const { return host + u':' + QString::number(port); }
};

struct ExchangeResult {
    int exitCode = Done;
    QMap<int, relaycodec::Reading> readings;
    std::optional<Problem> problem;
};

// Connects (TCP) or opens a datagram socket towards the module (UDP), sends
// the command, and ends when every expected number has answered, the module
// refused, the connection failed or the time ran out.
class WorkingModeExchange : public QObject {
    Q_OBJECT

public:
    WorkingModeExchange(std::unique_ptr<Transport> transport, Exchange exchange, Output &output);

    void start(std::function<void(ExchangeResult)> done);

private:
    void send();
    void arrived(QByteArrayView bytes);
    void lost();
    void timedOut();
    // noAnswer names the missing numbers at %1.
    void conclude(const QString &noConnection, const QString &noAnswer);
    bool complete() const;
    QString missing() const;
    void finish(int exitCode, const QString &step = {}, const QString &message = {});

    std::unique_ptr<Transport> m_transport;
    Exchange m_exchange;
    Output &m_output;
    ReplyCollector m_collector;
    QTimer m_deadline;
    bool m_sent = false;
    QString m_lastFailure;
    std::function<void(ExchangeResult)> m_done;
};

} // namespace cli
