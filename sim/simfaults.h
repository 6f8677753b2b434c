#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Ways a simulated module can misbehave on its configuration channel, so
// that every failure path of the tool can be provoked on purpose.
struct SimFaults {
    enum class Route { Default, Unicast, Broadcast };

    bool silent = false;     // no reply at all
    bool wrong = false;      // a reply without the keyword or "OK" that was asked for
    bool twice = false;      // every reply is sent two times
    bool shortReply = false; // only the first 19 bytes of each reply
    bool noGt = false;       // every ">" removed
    bool noCr = false;       // every carriage return and line feed removed
    bool longValues = false; // report values padded far beyond what the tool stores
    int delayMs = 0;         // each reply leaves this much later
    Route route = Route::Default;

    // Comma-separated list: silent, wrong, twice, short, no-gt, no-cr, long,
    // delay:MS, broadcast, unicast, none (clears everything before it).
    // Returns false (and leaves *this untouched) on an unknown word.
    bool apply(QByteArrayView list, QString *error);

    // The datagram that actually leaves, given the well-formed one.
    QByteArray distort(QByteArray datagram) const;
};
