#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Relay and input commands of a module in its working mode, and their
// replies. Shared by the test console and the module simulator.
//
//   relay query   "AT+STACH" n "=?\r\n"
//   relay set     "AT+STACH" n "=" s ["," t] "\r\n"
//   input query   "AT+OCCH" n "=?\r\n"
//   relay reply   "+STACH" r x s y t... "\r"   (r = '0' + relay, s = state digit)
//   input reply   "+OCCH" r x s                (r = '0' + input, s = state digit)
namespace relaycodec {

inline constexpr int RelayCount = 15;
inline constexpr int InputCount = 12;
// Longest relay command the console sends: commands have always fitted a
// 100-byte area with its terminating zero, so a longer one is refused.
inline constexpr qsizetype RelayCommandLimit = 99;

QByteArray relayQuery(int n);
// state is "1", "0" or empty; time is appended after a comma when not empty.
QByteArray relaySet(int n, QByteArrayView state, QByteArrayView time);
QByteArray inputQuery(int n);

QByteArray relayReply(int relay, bool on, QByteArrayView time);
QByteArray inputReply(int input, bool on);

// What the console reads from one arrival. Only the first "+STACH" or,
// failing that, the first "+OCCH" counts.
struct Reading {
    enum class Kind { None, Relay, Input } kind = Kind::None;
    int number = 0;   // 1-based relay or input number; 0 when no lamp changes
    bool on = false;  // lamp state when number > 0
    quint64 time = 0; // relay replies: the leading digits of the time field
};
Reading parse(QByteArrayView data);

// Module side: one command line (without its line end) as a module reads it.
struct Request {
    enum class Kind { None, RelayQuery, RelaySet, InputQuery } kind = Kind::None;
    int number = 0;   // 0 = all relays or inputs; may exceed the count
    QByteArray state; // settings: the text between "=" and "," ("1", "0", empty, or junk)
    bool hasTime = false;
    QByteArray time; // settings: the text after the comma
};
Request parseRequest(QByteArrayView line);

} // namespace relaycodec
