#include "parameteritems.h"

namespace {

constexpr const char *WorkModeTexts[] = {"TCP_Server", "TCP_Client", "UDP", "UDP_Server"};
constexpr const char *DhcpTexts[] = {"Close", "Open"};
constexpr const char *BaudTexts[] = {"110",   "300",   "600",    "1200",   "2400",
                                     "4800",  "9600",  "14400",  "19200",  "38400",
                                     "56000", "57600", "115200", "128000", "256000"};
constexpr const char *DataBitTexts[] = {"8", "9"};
// The module takes the item number: "0" is half a stop bit, "3" two.
constexpr const char *StopBitTexts[] = {"0.5", "1", "1.5", "2"};
constexpr const char *ParityTexts[] = {"None", "Odd", "Even"};

} // namespace

QStringList ItemList::texts() const {
    QStringList list;
    for (const char *item : items)
        list.append(QString::fromLatin1(item));
    return list;
}

QString ItemList::text(int item) const {
    return item >= 0 && item < count() ? QString::fromLatin1(items[size_t(item)]) : QString();
}

int ItemList::find(QStringView text) const {
    for (int i = 0; i < count(); ++i) {
        if (text.compare(QLatin1String(items[size_t(i)]), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

namespace parameteritems {

const ItemList WorkModes{WorkModeTexts, 0};
const ItemList DhcpModes{DhcpTexts, 0};
const ItemList BaudRates{BaudTexts, 6};
const ItemList DataBits{DataBitTexts, 0};
const ItemList StopBits{StopBitTexts, 1};
const ItemList Parities{ParityTexts, 0};

} // namespace parameteritems
