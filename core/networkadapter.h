#pragma once

#include "parameters.h"

#include <QByteArray>
#include <QList>
#include <QString>

// One IPv4 address of a network adapter the computer can broadcast through.
// An adapter with two addresses gives two entries with the same index.
struct NetworkAdapter {
    // The system's name for it ("eth0", "Ethernet 2").
    QString name;
    // The system's interface index: what Peer::adapter names.
    int index = 0;
    // First dotted octet in the lowest byte, as everywhere in the tool.
    quint32 address = 0;
    quint32 netmask = 0;
    // Six lower-case hex pairs joined by ':'; empty when it has none.
    QByteArray mac;

    QString addressText() const { return parameters::addressText(address); }
    // "eth0 192.168.1.10 (02:00:c0:a8:01:0a)"
    QString label() const {
        return name + QLatin1Char(' ') + addressText() + QStringLiteral(" (") +
               QString::fromLatin1(mac) + QLatin1Char(')');
    }

    friend bool operator==(const NetworkAdapter &, const NetworkAdapter &) = default;
};

// Where the adapters come from: the system in the program, a fixed list in
// tests.
class AdapterSource {
public:
    virtual ~AdapterSource() = default;
    // In the system's order.
    virtual QList<NetworkAdapter> adapters() const = 0;
};

// The first entry of the adapter with that index, or null.
inline const NetworkAdapter *adapterByIndex(const QList<NetworkAdapter> &list, int index) {
    for (const NetworkAdapter &adapter : list) {
        if (adapter.index == index)
            return &adapter;
    }
    return nullptr;
}

// The entry holding that address, or null.
inline const NetworkAdapter *adapterByAddress(const QList<NetworkAdapter> &list, quint32 address) {
    for (const NetworkAdapter &adapter : list) {
        if (adapter.address == address)
            return &adapter;
    }
    return nullptr;
}

// The answer points into the list, which must outlive it.
const NetworkAdapter *adapterByIndex(QList<NetworkAdapter> &&, int) = delete;
const NetworkAdapter *adapterByAddress(QList<NetworkAdapter> &&, quint32) = delete;
