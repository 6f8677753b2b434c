#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <span>

// The items of the lists a user picks a module's work mode, DHCP mode and
// serial settings from. A module takes the item's number, not its text, for
// all of them but the baud rate and the data bits (their text is sent), so
// the order of the items is part of the protocol and is kept in one place.
struct ItemList {
    std::span<const char *const> items;
    // The item a fresh window shows.
    int initial = 0;

    int count() const { return int(items.size()); }
    QStringList texts() const;
    // The item's text; empty when item names none.
    QString text(int item) const;
    // The number of the item with that text, compared without regard to
    // case; -1 when none has it.
    int find(QStringView text) const;
};

namespace parameteritems {

extern const ItemList WorkModes;
extern const ItemList DhcpModes;
extern const ItemList BaudRates;
extern const ItemList DataBits;
extern const ItemList StopBits;
extern const ItemList Parities;

} // namespace parameteritems
