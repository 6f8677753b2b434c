#pragma once

#include "output.h"
#include "relaycodec.h"
#include "relaylink.h"
#include "transport.h"

#include <QByteArray>
#include <QMap>

#include <functional>
#include <memory>
#include <optional>

// A module in its working mode, as a client of it: one relay or input
// command, and the module's replies until every relay or input asked about
// has answered.
namespace cli {

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

// The relay or input exchange of the core, in the tool's words.
class WorkingModeExchange {
public:
    WorkingModeExchange(std::unique_ptr<Transport> transport, Exchange exchange, Output &output);

    void start(std::function<void(ExchangeResult)> done);

private:
    std::optional<Problem> problemOf(const RelayExchange::Result &result) const;

    Exchange m_exchange;
    Output &m_output;
    RelayExchange m_run;
};

} // namespace cli
