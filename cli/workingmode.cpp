#include "workingmode.h"

#include "cmsocket.h"
#include "command.h"
#include "gbk.h"

#include <QJsonArray>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace cli {

// ---------------------------------------------------------------------------
// Replies

namespace {

// The socket component's Windows Sockets number for "would block".
constexpr int WouldBlock = 10035;

// A module that never ends a line cannot make the tool hoard memory.
constexpr qsizetype MaxPendingBytes = 4096;

// A notice of the socket component carries its event in the low 16 bits of
// the code and the system's error number in the high ones; the text of the
// number says more than the notice's.
QString failureText(int code, const QString &text) {
    return code > 0xFFFF ? gbk::decode(TcmSocket::MapErrorCode(code >> 16)) : text;
}

qsizetype lineEnd(QByteArrayView bytes) {
    const auto it = std::ranges::find_if(bytes, [](char c) { return c == '\r' || c == '\n'; });
    return it == bytes.end() ? -1 : it - bytes.begin();
}

} // namespace

void ReplyCollector::feed(QByteArrayView bytes, bool ends) {
    m_pending.append(bytes);
    for (qsizetype end; (end = lineEnd(m_pending)) >= 0;) {
        takeLine(QByteArrayView(m_pending).first(end));
        m_pending.remove(0, end + 1);
    }
    if (ends || m_pending.size() > MaxPendingBytes)
        finish();
}

void ReplyCollector::finish() {
    takeLine(m_pending);
    m_pending.clear();
}

// Replies without a line end between them begin where the next one's
// keyword does.
void ReplyCollector::takeLine(QByteArrayView line) {
    const QByteArrayView keyword =
        m_kind == relaycodec::Reading::Kind::Relay ? QByteArrayView("+STACH") : "+OCCH";
    qsizetype at = line.indexOf(keyword);
    if (line.first(at < 0 ? line.size() : at).contains("ERROR"))
        m_refused = true;
    while (at >= 0) {
        const qsizetype next = line.indexOf(keyword, at + keyword.size());
        const relaycodec::Reading reading =
            relaycodec::parse(line.sliced(at, (next < 0 ? line.size() : next) - at));
        if (reading.kind == m_kind && reading.number > 0)
            m_readings.insert(reading.number, reading);
        at = next;
    }
}

// ---------------------------------------------------------------------------
// The exchange

WorkingModeExchange::WorkingModeExchange(std::unique_ptr<Transport> transport, Exchange exchange,
                                         Output &output)
    : m_transport(std::move(transport))
    , m_exchange(std::move(exchange))
    , m_output(output)
    , m_collector(m_exchange.kind) {
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &WorkingModeExchange::timedOut);
}

void WorkingModeExchange::start(std::function<void(ExchangeResult)> done) {
    m_done = std::move(done);
    Transport &transport = *m_transport;
    connect(&transport, &Transport::received, this,
            [this](const Peer &, QByteArrayView bytes) { arrived(bytes); });
    connect(&transport, &Transport::failed, this, [this](int code, const QString &text) {
        // A connection under way is reported as one that could not complete
        // at once; it completes, or fails, later.
        if (code == WouldBlock)
            return;
        m_lastFailure = failureText(code, text);
        // No connection, or a datagram refused by the module's computer:
        // nobody listens there.
        if (!m_sent)
            finish(NothingFound, u"connect"_s, m_lastFailure);
        else if (m_exchange.udp && m_collector.readings().isEmpty())
            finish(NothingFound, u"send"_s, m_lastFailure);
    });
    connect(&transport, &Transport::openChanged, this, [this](bool open) {
        if (open)
            send();
        else // after the report of why, which follows the close
            QTimer::singleShot(0, this, &WorkingModeExchange::lost);
    });
    m_deadline.start(m_exchange.timeoutMs);
    m_output.progress(m_exchange.peer() + u": connecting"_s);
    using Kind = Transport::Kind;
    const Transport::Endpoints endpoints{m_exchange.udp ? Kind::Datagram : Kind::StreamClient,
                                         u"0.0.0.0"_s, 0, m_exchange.host, m_exchange.port};
    if (!transport.open(endpoints))
        lost();
    else if (transport.isOpen() && !m_sent)
        send();
}

void WorkingModeExchange::send() {
    if (std::exchange(m_sent, true))
        return;
    m_output.progress(m_exchange.peer() + u": "_s + m_exchange.step);
    if (!m_transport->send(m_exchange.command))
        finish(NothingFound, u"send"_s,
               m_lastFailure.isEmpty() ? u"the command could not be sent"_s : m_lastFailure);
}

void WorkingModeExchange::arrived(QByteArrayView bytes) {
    m_collector.feed(bytes, m_exchange.udp);
    if (m_collector.refused())
        finish(ModuleFailed, m_exchange.step, u"the module answered ERROR"_s);
    else if (complete())
        finish(Done);
    else
        m_output.progress(u"%1: %2 of %3 answered"_s.arg(m_exchange.peer())
                              .arg(m_collector.readings().size())
                              .arg(m_exchange.expected.size()));
}

void WorkingModeExchange::lost() {
    if (m_done)
        conclude(m_lastFailure.isEmpty() ? u"no connection"_s : m_lastFailure,
                 u"the module closed the connection without an answer from %1"_s);
}

void WorkingModeExchange::timedOut() {
    const QString ms = QString::number(m_exchange.timeoutMs);
    conclude(u"no connection within "_s + ms + u" ms"_s,
             u"no answer from %1 within "_s + ms + u" ms"_s);
}

// What came before the deadline or the module's leaving is what there is.
void WorkingModeExchange::conclude(const QString &noConnection, const QString &noAnswer) {
    if (!m_sent) {
        finish(NothingFound, u"connect"_s, noConnection);
        return;
    }
    m_collector.finish();
    if (complete())
        finish(Done);
    else
        finish(ModuleFailed, m_exchange.step, noAnswer.arg(missing()));
}

bool WorkingModeExchange::complete() const {
    return std::ranges::all_of(m_exchange.expected,
                               [this](int n) { return m_collector.readings().contains(n); });
}

QString WorkingModeExchange::missing() const {
    QStringList numbers;
    for (const int n : m_exchange.expected) {
        if (!m_collector.readings().contains(n))
            numbers.append(QString::number(n));
    }
    const bool relays = m_exchange.kind == relaycodec::Reading::Kind::Relay;
    return (relays ? u"relay "_s : u"input "_s) + numbers.join(u", "_s);
}

void WorkingModeExchange::finish(int exitCode, const QString &step, const QString &message) {
    if (!m_done)
        return;
    m_deadline.stop();
    // Whatever the transport still reports belongs to nothing any more.
    m_transport->disconnect(this);
    m_transport->close();
    ExchangeResult result{exitCode, m_collector.readings(), std::nullopt};
    if (exitCode != Done)
        result.problem = Problem{m_exchange.peer(), step, message};
    std::exchange(m_done, nullptr)(result);
}

// ---------------------------------------------------------------------------
// The commands

namespace {

struct Endpoint {
    QString host;
    quint16 port = 0;
};

std::optional<Endpoint> endpointOf(const QString &text) {
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return std::nullopt;
    bool ok = false;
    const uint port = text.sliced(colon + 1).toUInt(&ok);
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    return Endpoint{text.first(colon), quint16(port)};
}

class WorkingModeCommand : public Command {
public:
    explicit WorkingModeCommand(relaycodec::Reading::Kind kind)
        : m_kind(kind) {}

    int commonOptions() const override { return JsonOption | QuietOption | TimeoutOption; }
    QList<QCommandLineOption> options() const override {
        return {{u"tcp"_s, u"Connect to the module's TCP server (the default)."_s},
                {u"udp"_s, u"Talk to the module as a UDP peer."_s}};
    }

    void run(Context &context, Done done) override {
        m_exchange.timeoutMs = context.options.timeoutMs;
        if (context.options.dryRun) {
            done(dryRunReport());
            return;
        }
        m_client = std::make_unique<WorkingModeExchange>(context.newTransport(), m_exchange,
                                                         context.output);
        m_client->start(
            [this, done = std::move(done)](const ExchangeResult &result) { done(report(result)); });
    }

protected:
    bool relays() const { return m_kind == relaycodec::Reading::Kind::Relay; }
    int count() const { return relays() ? relaycodec::RelayCount : relaycodec::InputCount; }
    static Argument endpointArgument() {
        return {u"HOST:PORT"_s, u"The module's address and working port."_s, u"HOST:PORT"_s};
    }
    static Argument numberArgument(const QString &what) {
        return {u"N"_s, u"The %1, 0 for all (the default)."_s.arg(what), u"[N]"_s};
    }
    // HOST:PORT and the number; what follows them is left to the command.
    QString parseCommon(const QStringList &words, const QCommandLineParser &parser) {
        if (parser.isSet(u"tcp"_s) && parser.isSet(u"udp"_s))
            return u"--tcp or --udp, not both"_s;
        m_exchange.udp = parser.isSet(u"udp"_s);
        m_exchange.kind = m_kind;
        const std::optional<Endpoint> endpoint = endpointOf(words.value(0));
        if (!endpoint)
            return u"\"%1\" is not HOST:PORT"_s.arg(words.value(0));
        m_exchange.host = endpoint->host;
        m_exchange.port = endpoint->port;
        bool ok = true;
        const int n = words.size() > 1 ? words[1].toInt(&ok) : 0;
        if (!ok || n < 0 || n > count())
            return u"\"%1\" is not a number from 0 to %2"_s.arg(words[1]).arg(count());
        m_number = n;
        m_exchange.expected.clear();
        for (int i = n == 0 ? 1 : n; i <= (n == 0 ? count() : n); ++i)
            m_exchange.expected.append(i);
        return {};
    }

    Exchange m_exchange;
    int m_number = 0;

private:
    Report dryRunReport() const {
        Report report;
        QString shown = QString::fromLatin1(m_exchange.command);
        shown.replace(u"\r"_s, u"\\r"_s).replace(u"\n"_s, u"\\n"_s);
        report.table = Table({u"MODULE"_s, u"SEND"_s});
        report.table.addRow({m_exchange.peer(), shown});
        report.fields = header();
        report.fields.insert(u"dryRun"_s, true);
        report.fields.insert(u"send"_s, QString::fromLatin1(m_exchange.command));
        return report;
    }
    QJsonObject header() const {
        return {{u"module"_s, m_exchange.peer()},
                {u"transport"_s, m_exchange.udp ? u"udp"_s : u"tcp"_s}};
    }
    Report report(const ExchangeResult &result) const {
        Report report;
        report.exitCode = result.exitCode;
        if (result.problem)
            report.errors.append(*result.problem);
        report.fields = header();
        report.table = relays() ? Table({u"RELAY"_s, u"STATE"_s, u"REMAINING"_s})
                                : Table({u"INPUT"_s, u"STATE"_s});
        const QString key = relays() ? u"relay"_s : u"input"_s;
        QJsonArray list;
        QJsonArray missing;
        for (const int n : m_exchange.expected) {
            const auto it = result.readings.constFind(n);
            if (it == result.readings.cend()) {
                missing.append(n);
                continue;
            }
            const QString state = it->on ? u"on"_s : u"off"_s;
            QJsonObject entry{{key, n}, {u"on"_s, it->on}};
            QStringList row{QString::number(n), state};
            if (relays()) {
                entry.insert(u"remaining"_s, qint64(it->time));
                row.append(QString::number(it->time));
            }
            list.append(entry);
            report.table.addRow(row);
        }
        report.fields.insert(key + u's', list);
        report.fields.insert(u"missing"_s, missing);
        return report;
    }

    relaycodec::Reading::Kind m_kind;
    std::unique_ptr<WorkingModeExchange> m_client;
};

class RelayCommand final : public WorkingModeCommand {
public:
    RelayCommand()
        : WorkingModeCommand(relaycodec::Reading::Kind::Relay) {}

    QString name() const override { return u"relay"_s; }
    QString summary() const override {
        return u"Switches a relay of a module in its working mode, and shows the states it "
               u"answers with."_s;
    }
    QList<Argument> arguments() const override {
        return {endpointArgument(),
                {u"N"_s, u"The relay, 1 to 15, or 0 for all."_s, u"N"_s},
                {u"STATE"_s, u"on or off."_s, u"on|off"_s}};
    }
    QList<QCommandLineOption> options() const override {
        return WorkingModeCommand::options() +
               QList<QCommandLineOption>{
                   {u"time"_s, u"Switch back after <S> time units of the module (sent as given)."_s,
                    u"S"_s}};
    }
    int commonOptions() const override {
        return WorkingModeCommand::commonOptions() | DryRunOption;
    }
    QString parse(const QStringList &words, const QCommandLineParser &parser) override {
        if (words.size() != 3)
            return u"takes HOST:PORT N on|off"_s;
        if (const QString error = parseCommon(words, parser); !error.isEmpty())
            return error;
        const QString state = words[2].toLower();
        if (state != u"on"_s && state != u"off"_s)
            return u"\"%1\" is neither on nor off"_s.arg(words[2]);
        const QByteArray time = parser.value(u"time"_s).toLatin1();
        if (parser.isSet(u"time"_s) && (time.isEmpty() || !std::ranges::all_of(time, [](char c) {
                                            return c >= '0' && c <= '9';
                                        })))
            return u"--time takes a number of time units"_s;
        m_exchange.command = relaycodec::relaySet(m_number, state == u"on"_s ? "1" : "0", time);
        if (m_exchange.command.size() > relaycodec::RelayCommandLimit)
            return u"--time is too long: the command would exceed %1 bytes"_s.arg(
                relaycodec::RelayCommandLimit);
        m_exchange.step = u"set relay %1 %2"_s.arg(m_number).arg(state);
        return {};
    }
};

class QueryCommand final : public WorkingModeCommand {
public:
    explicit QueryCommand(relaycodec::Reading::Kind kind)
        : WorkingModeCommand(kind) {}

    QString name() const override { return relays() ? u"relays"_s : u"inputs"_s; }
    QString summary() const override {
        return relays() ? u"Shows the relays of a module in its working mode: on or off, and "
                          u"the time left until one switches back."_s
                        : u"Shows the inputs of a module in its working mode: on or off."_s;
    }
    QList<Argument> arguments() const override {
        return {endpointArgument(), numberArgument(relays() ? u"relay"_s : u"input"_s)};
    }
    QString parse(const QStringList &words, const QCommandLineParser &parser) override {
        if (words.isEmpty() || words.size() > 2)
            return u"takes HOST:PORT [N]"_s;
        if (const QString error = parseCommon(words, parser); !error.isEmpty())
            return error;
        m_exchange.command =
            relays() ? relaycodec::relayQuery(m_number) : relaycodec::inputQuery(m_number);
        m_exchange.step = u"query %1 %2"_s.arg(relays() ? u"relay"_s : u"input"_s).arg(m_number);
        return {};
    }
};

} // namespace

std::vector<std::unique_ptr<Command>> workingModeCommands() {
    std::vector<std::unique_ptr<Command>> list;
    list.push_back(std::make_unique<RelayCommand>());
    list.push_back(std::make_unique<QueryCommand>(relaycodec::Reading::Kind::Relay));
    list.push_back(std::make_unique<QueryCommand>(relaycodec::Reading::Kind::Input));
    return list;
}

} // namespace cli
