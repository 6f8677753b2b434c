#include "atframe.h"

namespace atframe {

QByteArray build(QByteArrayView targetMac, QByteArrayView localMac, QByteArrayView command) {
    QByteArray frame;
    frame.reserve(8 + targetMac.size() + localMac.size() + command.size());
    frame.append('<').append(targetMac).append(">,<").append(localMac).append(">,");
    frame.append(command).append("\r\n");
    return frame;
}

QByteArray searchFrame(QByteArrayView localMac) {
    return build(SearchMAC, localMac, "AT");
}

Reply parseReply(QByteArrayView datagram) {
    Reply reply;
    const qsizetype close = datagram.indexOf('>');
    if (close < 0)
        return reply;
    reply.hasMac = true;
    reply.mac = close > 1 ? datagram.sliced(1, close - 1).toByteArray() : QByteArray();
    if (datagram.size() > PayloadOffset) {
        QByteArrayView payload = datagram.sliced(PayloadOffset);
        const qsizetype zero = payload.indexOf('\0');
        if (zero >= 0)
            payload.truncate(zero);
        reply.payload = payload.toByteArray();
    }
    return reply;
}

Frame parseFrame(QByteArrayView datagram) {
    Frame frame;
    if (!datagram.startsWith('<'))
        return frame;
    const qsizetype firstClose = datagram.indexOf(">,<");
    if (firstClose < 0)
        return frame;
    const qsizetype secondOpen = firstClose + 3;
    const qsizetype secondClose = datagram.indexOf(">,", secondOpen);
    if (secondClose < 0)
        return frame;
    QByteArrayView command = datagram.sliced(secondClose + 2);
    if (command.endsWith("\r\n"))
        command.chop(2);
    frame.valid = true;
    frame.targetMac = datagram.sliced(1, firstClose - 1).toByteArray();
    frame.senderMac = datagram.sliced(secondOpen, secondClose - secondOpen).toByteArray();
    frame.command = command.toByteArray();
    return frame;
}

QByteArray buildReply(QByteArrayView moduleMac, QByteArrayView payload) {
    QByteArray reply;
    reply.reserve(3 + moduleMac.size() + payload.size());
    reply.append('<').append(moduleMac).append(">,").append(payload);
    return reply;
}

QByteArray report(QByteArrayView keyword, QByteArrayView value) {
    QByteArray text;
    text.reserve(keyword.size() + value.size() + 3);
    text.append(keyword).append('=').append(value).append("\r\n");
    return text;
}

Command parseCommand(QByteArrayView text) {
    Command command;
    if (text == "AT") {
        command.kind = Command::Kind::Handshake;
        return command;
    }
    if (text == "AT+DEFAULT") {
        command.kind = Command::Kind::FactoryDefault;
        return command;
    }
    if (!text.startsWith("AT+"))
        return command;
    const qsizetype equals = text.indexOf('=');
    if (equals <= 3)
        return command;
    const QByteArrayView name = text.sliced(3, equals - 3);
    for (const char c : name) {
        if (c < 'A' || c > 'Z')
            return command;
    }
    command.name = name.toByteArray();
    const QByteArrayView value = text.sliced(equals + 1);
    if (value == "?") {
        command.kind = Command::Kind::Query;
    } else {
        command.kind = Command::Kind::Set;
        command.value = value.toByteArray();
    }
    return command;
}

} // namespace atframe
