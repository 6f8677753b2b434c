#include "relaycodec.h"

namespace relaycodec {

QByteArray relayQuery(int n) {
    return "AT+STACH" + QByteArray::number(n) + "=?\r\n";
}

QByteArray relaySet(int n, QByteArrayView state, QByteArrayView time) {
    QByteArray command = "AT+STACH" + QByteArray::number(n) + '=';
    command.append(state);
    if (!time.isEmpty())
        command.append(',').append(time);
    return command.append("\r\n");
}

QByteArray inputQuery(int n) {
    return "AT+OCCH" + QByteArray::number(n) + "=?\r\n";
}

QByteArray relayReply(int relay, bool on, QByteArrayView time) {
    QByteArray reply("+STACH");
    reply.append(char('0' + relay)).append('=').append(on ? '1' : '0').append(',');
    return reply.append(time).append("\r\n");
}

QByteArray inputReply(int input, bool on) {
    QByteArray reply("+OCCH");
    return reply.append(char('0' + input)).append('=').append(on ? '1' : '0').append("\r\n");
}

namespace {

// Byte at position i, or 0 past the end (the arrival is zero-terminated).
char at(QByteArrayView data, qsizetype i) {
    return i < data.size() ? data[i] : '\0';
}

} // namespace

Reading parse(QByteArrayView data) {
    Reading reading;
    if (const qsizetype hit = data.indexOf("+STACH"); hit >= 0) {
        const qsizetype p = hit + 6;
        reading.kind = Reading::Kind::Relay;
        const char r = at(data, p);
        if (r >= '1' && r <= '0' + RelayCount) {
            reading.number = r - '0';
            reading.on = at(data, p + 2) != '0';
        }
        // The time field: at most 15 characters up to the first carriage
        // return; its leading decimal digits give the number.
        for (qsizetype i = p + 4; i < data.size() && i < p + 4 + 15; ++i) {
            const char c = data[i];
            if (c < '0' || c > '9')
                break;
            reading.time = reading.time * 10 + quint64(c - '0');
        }
        return reading;
    }
    if (const qsizetype hit = data.indexOf("+OCCH"); hit >= 0) {
        const qsizetype p = hit + 5;
        reading.kind = Reading::Kind::Input;
        const char r = at(data, p);
        if (r >= '1' && r <= '0' + InputCount) {
            reading.number = r - '0';
            reading.on = at(data, p + 2) != '0';
        }
    }
    return reading;
}

Request parseRequest(QByteArrayView line) {
    Request request;
    Request::Kind query = Request::Kind::None;
    QByteArrayView rest;
    if (line.startsWith("AT+STACH")) {
        query = Request::Kind::RelayQuery;
        rest = line.sliced(8);
    } else if (line.startsWith("AT+OCCH")) {
        query = Request::Kind::InputQuery;
        rest = line.sliced(7);
    } else {
        return request;
    }
    // A handful of digits is plenty; longer numbers are refused rather than
    // allowed to overflow.
    qsizetype digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9')
        ++digits;
    if (digits == 0 || digits > 4 || digits >= rest.size() || rest[digits] != '=')
        return request;
    request.number = rest.first(digits).toInt();
    const QByteArrayView argument = rest.sliced(digits + 1);
    if (argument == "?") {
        request.kind = query;
        return request;
    }
    if (query != Request::Kind::RelayQuery)
        return request;
    request.kind = Request::Kind::RelaySet;
    const qsizetype comma = argument.indexOf(',');
    if (comma < 0) {
        request.state = argument.toByteArray();
    } else {
        request.state = argument.first(comma).toByteArray();
        request.hasTime = true;
        request.time = argument.sliced(comma + 1).toByteArray();
    }
    return request;
}

} // namespace relaycodec
