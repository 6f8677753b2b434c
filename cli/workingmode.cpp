#include "workingmode.h"
#include "words.h"

#include "command.h"

#include <QJsonArray>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace cli {

// ---------------------------------------------------------------------------
// The exchange in the tool's words

namespace {

using Outcome = RelayExchange::Result::Outcome;

QString missingText(const RelayExchange::Result &result, relaycodec::Reading::Kind kind) {
    QStringList numbers;
    for (const int n : result.missing)
        numbers.append(QString::number(n));
    return (kind == relaycodec::Reading::Kind::Relay ? Words::tr("relay %1")
                                                     : Words::tr("input %1"))
        .arg(numbers.join(u", "_s));
}

} // namespace

WorkingModeExchange::WorkingModeExchange(std::unique_ptr<Transport> transport, Exchange exchange,
                                         Output &output)
    : m_exchange(std::move(exchange))
    , m_output(output)
    , m_run(std::move(transport),
            RelayExchange::Request{{m_exchange.host, m_exchange.port, m_exchange.udp},
                                   m_exchange.command,
                                   m_exchange.kind,
                                   m_exchange.expected,
                                   m_exchange.timeoutMs}) {
    m_run.onProgress = [this](RelayExchange::Stage stage, int answered) {
        switch (stage) {
        case RelayExchange::Stage::Connecting:
            m_output.progress(Words::tr("%1: connecting").arg(m_exchange.peer()));
            break;
        case RelayExchange::Stage::Sending:
            m_output.progress(m_exchange.peer() + u": "_s + m_exchange.step);
            break;
        case RelayExchange::Stage::Answered:
            m_output.progress(Words::tr("%1: %2 of %3 answered")
                                  .arg(m_exchange.peer())
                                  .arg(answered)
                                  .arg(m_exchange.expected.size()));
            break;
        }
    };
}

void WorkingModeExchange::start(std::function<void(ExchangeResult)> done) {
    m_run.start([this, done = std::move(done)](const RelayExchange::Result &result) {
        done(ExchangeResult{result.outcome == Outcome::Done ? int(Done)
                            : result.outcome == Outcome::NoConnection ||
                                    result.outcome == Outcome::SendFailed
                                ? int(NothingFound)
                                : int(ModuleFailed),
                            result.readings, problemOf(result)});
    });
}

namespace {

// The code of a connection that failed, by what the system said of it.
QString failureCode(const RelayExchange::Result &result, const QString &otherwise) {
    using Reason = Transport::Failure::Reason;
    switch (result.failure ? result.failure->reason : Reason::Other) {
    case Reason::Refused:
        return u"refused"_s;
    case Reason::Reset:
        return u"reset"_s;
    case Reason::Unreachable:
        return u"unreachable"_s;
    case Reason::TimedOut:
        return u"timeout"_s;
    case Reason::AddressInUse:
        return u"address_in_use"_s;
    case Reason::Other:
        break;
    }
    return otherwise;
}

} // namespace

std::optional<Problem> WorkingModeExchange::problemOf(const RelayExchange::Result &result) const {
    const QString ms = QString::number(m_exchange.timeoutMs);
    const QString why = result.failure ? result.failure->text : QString();
    const auto problem = [this](const QString &step, const QString &message, const QString &code) {
        return Problem{m_exchange.peer(), step, message, code};
    };
    switch (result.outcome) {
    case Outcome::Done:
        break;
    case Outcome::NoConnection:
        if (result.timedOut)
            return problem(u"connect"_s, Words::tr("no connection within %1 ms").arg(ms),
                           u"timeout"_s);
        return problem(u"connect"_s, why.isEmpty() ? Words::tr("no connection") : why,
                       failureCode(result, u"no_connection"_s));
    case Outcome::SendFailed:
        // A datagram the module's computer turned away comes back as a reset
        // of the socket, which says less than this.
        if (m_exchange.udp && result.failure &&
            result.failure->reason == Transport::Failure::Reason::Reset)
            return problem(u"send"_s, Words::tr("nothing listens on that port"), u"refused"_s);
        return problem(u"send"_s, why.isEmpty() ? Words::tr("the command could not be sent") : why,
                       u"send_failed"_s);
    case Outcome::Refused:
        return problem(m_exchange.step, Words::tr("the module answered ERROR"), u"refused"_s);
    case Outcome::NoAnswer:
        if (result.timedOut)
            return problem(m_exchange.step,
                           Words::tr("no answer from %1 within %2 ms")
                               .arg(missingText(result, m_exchange.kind), ms),
                           u"timeout"_s);
        return problem(m_exchange.step,
                       Words::tr("the module closed the connection without an answer from %1")
                           .arg(missingText(result, m_exchange.kind)),
                       u"no_answer"_s);
    }
    return std::nullopt;
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
        return {{u"tcp"_s, Words::tr("Connect to the module's TCP server (the default).")},
                {u"udp"_s, Words::tr("Talk to the module as a UDP peer.")}};
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
        return {u"HOST:PORT"_s, Words::tr("The module's address and working port."),
                u"HOST:PORT"_s};
    }
    static Argument numberArgument(bool relay) {
        return {u"N"_s,
                relay ? Words::tr("The relay, 0 for all (the default).")
                      : Words::tr("The input, 0 for all (the default)."),
                u"[N]"_s};
    }
    // HOST:PORT and the number; what follows them is left to the command.
    QString parseCommon(const QStringList &words, const QCommandLineParser &parser) {
        if (parser.isSet(u"tcp"_s) && parser.isSet(u"udp"_s))
            return Words::tr("--tcp or --udp, not both");
        m_exchange.udp = parser.isSet(u"udp"_s);
        m_exchange.kind = m_kind;
        const std::optional<Endpoint> endpoint = endpointOf(words.value(0));
        if (!endpoint)
            return Words::tr("\"%1\" is not HOST:PORT").arg(words.value(0));
        m_exchange.host = endpoint->host;
        m_exchange.port = endpoint->port;
        bool ok = true;
        const int n = words.size() > 1 ? words[1].toInt(&ok) : 0;
        if (!ok || n < 0 || n > count())
            return Words::tr("\"%1\" is not a number from 0 to %2").arg(words[1]).arg(count());
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
        report.table = Table({Words::tr("MODULE"), Words::tr("SEND")});
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
        report.table = relays()
                           ? Table({Words::tr("RELAY"), Words::tr("STATE"), Words::tr("REMAINING")})
                           : Table({Words::tr("INPUT"), Words::tr("STATE")});
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
        return Words::tr(
            "Switches a relay of a module in its working mode, and shows the states it "
            "answers with.");
    }
    QList<Argument> arguments() const override {
        return {endpointArgument(),
                {u"N"_s, Words::tr("The relay, 1 to 15, or 0 for all."), u"N"_s},
                {u"STATE"_s, Words::tr("on or off."), u"on|off"_s}};
    }
    QList<QCommandLineOption> options() const override {
        return WorkingModeCommand::options() +
               QList<QCommandLineOption>{
                   {u"time"_s,
                    Words::tr("Switch back after <S> time units of the module (sent as given)."),
                    u"S"_s}};
    }
    int commonOptions() const override {
        return WorkingModeCommand::commonOptions() | DryRunOption;
    }
    QString parse(const QStringList &words, const QCommandLineParser &parser) override {
        if (words.size() != 3)
            return Words::tr("takes HOST:PORT N on|off");
        if (const QString error = parseCommon(words, parser); !error.isEmpty())
            return error;
        const QString state = words[2].toLower();
        if (state != u"on"_s && state != u"off"_s)
            return Words::tr("\"%1\" is neither on nor off").arg(words[2]);
        const QByteArray time = parser.value(u"time"_s).toLatin1();
        if (parser.isSet(u"time"_s) && (time.isEmpty() || !std::ranges::all_of(time, [](char c) {
                                            return c >= '0' && c <= '9';
                                        })))
            return Words::tr("--time takes a number of time units");
        m_exchange.command = relaycodec::relaySet(m_number, state == u"on"_s ? "1" : "0", time);
        if (m_exchange.command.size() > relaycodec::RelayCommandLimit)
            return Words::tr("--time is too long: the command would exceed %1 bytes")
                .arg(relaycodec::RelayCommandLimit);
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
        return relays()
                   ? Words::tr("Shows the relays of a module in its working mode: on or off, and "
                               "the time left until one switches back.")
                   : Words::tr("Shows the inputs of a module in its working mode: on or off.");
    }
    QList<Argument> arguments() const override {
        return {endpointArgument(), numberArgument(relays())};
    }
    QString parse(const QStringList &words, const QCommandLineParser &parser) override {
        if (words.isEmpty() || words.size() > 2)
            return Words::tr("takes HOST:PORT [N]");
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
