#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Configuration frames and replies, shared by the tool and the module
// simulator so the two can never disagree about the bytes.
//
//   addressed frame:  "<" target MAC ">,<" computer MAC ">," command "\r\n"
//   reply:            "<" module MAC ">," payload
//
// The tool reads a reply's payload from the fixed offset 20 (the length of
// "<" + a 17-character MAC + ">,"), whatever the MAC text's real length.
namespace atframe {

inline constexpr char SearchMAC[] = "00:00:00:00:00:00";
inline constexpr qsizetype PayloadOffset = 20;
inline constexpr quint16 ConfigPort = 5000;
// Every frame goes to every module on the segment (255.255.255.255); the
// target MAC text says which one it is for.
inline constexpr quint32 Broadcast = 0xFFFFFFFFu;

QByteArray build(QByteArrayView targetMac, QByteArrayView localMac, QByteArrayView command);
QByteArray searchFrame(QByteArrayView localMac);

// Tool side. The MAC text runs from byte 1 up to the first '>' inside the
// datagram; hasMac is false when there is no '>' at all.
struct Reply {
    bool hasMac = false;
    QByteArray mac;
    // Bytes from offset 20 up to the first zero byte; empty for datagrams
    // shorter than 20 bytes.
    QByteArray payload;
};
Reply parseReply(QByteArrayView datagram);

// Module side.
struct Frame {
    bool valid = false;
    QByteArray targetMac;
    QByteArray senderMac;
    QByteArray command; // without the trailing "\r\n"
};
Frame parseFrame(QByteArrayView datagram);
QByteArray buildReply(QByteArrayView moduleMac, QByteArrayView payload);
// A parameter report: keyword, one separator, value, carriage return + LF.
QByteArray report(QByteArrayView keyword, QByteArrayView value);

// What the command of a frame asks a module to do: "AT" (handshake),
// "AT+DEFAULT", "AT+<name>=?" (query) or "AT+<name>=<value>" (setting).
struct Command {
    enum class Kind { Unknown, Handshake, Query, Set, FactoryDefault } kind = Kind::Unknown;
    QByteArray name;  // upper-case parameter name without "+", e.g. "IP"
    QByteArray value; // settings only; may be empty
};
Command parseCommand(QByteArrayView command);

} // namespace atframe
