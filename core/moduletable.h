#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>

// The modules the last search found, in the order they answered: address,
// port, MAC text and the adapter each answered on. Addresses are 32-bit
// values whose first dotted octet is the lowest byte (the layout of an
// address in network byte order). MAC texts are byte text exactly as a
// module sent it; they are compared byte for byte.
class ModuleTable {
public:
    static constexpr int MaxModules = 256;

    // Receives each duplicate warning that add raises. The callee may run a
    // modal loop, during which add can be entered again.
    using WarningSink = std::function<void(const QString &text)>;

    std::array<quint32, MaxModules> ModuleIP{};
    std::array<quint16, MaxModules> ModulePort{};
    std::array<QByteArray, MaxModules> ModuleMAC;
    // The interface index of the adapter each module answered on (0: not known).
    std::array<int, MaxModules> ModuleAdapter{};
    qint32 ModuleCount = 0;

    void clear();

    // Checks a found module against the modules that answered on the same
    // adapter, warns through sink about every clash in table order, appends it
    // while there is room, and returns its list line (dotted IP, ':', MAC
    // text), or an empty text when the table was full. One module heard on
    // two adapters is two entries, and no clash.
    QString add(quint32 ip, quint16 port, const QByteArray &mac, const WarningSink &sink,
                int adapter = 0);

    static QString lineOf(quint32 ip, const QByteArray &mac);
};
