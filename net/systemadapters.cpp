#include "systemadapters.h"

#include <QNetworkInterface>
#include <QtEndian>

QList<NetworkAdapter> SystemAdapters::adapters() const {
    QList<NetworkAdapter> list;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::CanBroadcast) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const QByteArray mac = interface.hardwareAddress().toLatin1().toLower();
        const QList<QNetworkAddressEntry> entries = interface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            // Qt gives the first dotted octet in the highest byte.
            list.append({interface.name(), interface.index(),
                         qToBigEndian(entry.ip().toIPv4Address()),
                         qToBigEndian(entry.netmask().toIPv4Address()), mac});
        }
    }
    return list;
}
