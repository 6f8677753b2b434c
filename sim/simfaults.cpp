#include "simfaults.h"

#include <QCoreApplication>
#include <QList>

bool SimFaults::apply(QByteArrayView list, QString *error) {
    SimFaults result = *this;
    const QList<QByteArray> words = list.toByteArray().split(',');
    for (const QByteArray &raw : words) {
        const QByteArray word = raw.trimmed();
        if (word.isEmpty())
            continue;
        if (word == "none") {
            result = SimFaults();
        } else if (word == "silent") {
            result.silent = true;
        } else if (word == "wrong") {
            result.wrong = true;
        } else if (word == "twice") {
            result.twice = true;
        } else if (word == "short") {
            result.shortReply = true;
        } else if (word == "no-gt") {
            result.noGt = true;
        } else if (word == "no-cr") {
            result.noCr = true;
        } else if (word == "long") {
            result.longValues = true;
        } else if (word == "broadcast") {
            result.route = Route::Broadcast;
        } else if (word == "unicast") {
            result.route = Route::Unicast;
        } else if (word.startsWith("delay:")) {
            bool ok = false;
            const int ms = word.mid(6).toInt(&ok);
            if (!ok || ms < 0 || ms > 600000) {
                if (error)
                    *error = QCoreApplication::translate("ostrel-sim", "bad delay in fault '%1'")
                                 .arg(QLatin1String(word));
                return false;
            }
            result.delayMs = ms;
        } else {
            if (error)
                *error = QCoreApplication::translate("ostrel-sim", "unknown fault '%1'")
                             .arg(QLatin1String(word));
            return false;
        }
    }
    *this = result;
    return true;
}

QByteArray SimFaults::distort(QByteArray datagram) const {
    if (noGt)
        datagram.replace('>', QByteArray());
    if (noCr) {
        datagram.replace('\r', QByteArray());
        datagram.replace('\n', QByteArray());
    }
    // 19 bytes keep "<" and a 17-character MAC but end before the payload
    // offset of 20.
    if (shortReply)
        datagram.truncate(19);
    return datagram;
}
