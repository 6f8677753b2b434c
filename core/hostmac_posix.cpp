// Hardware address lookup on POSIX systems. The address is taken from the
// interface that holds the IPv4 address (the computer's own address), or from
// the kernel's neighbour table for another host on the segment. Nothing is
// sent on the network.
#include "mylib.h"

#include <QFile>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#ifdef __linux__
#include <linux/if_packet.h>
#endif

#include <cstring>

namespace {

QByteArray formatMac(const unsigned char *b) {
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", b[0], b[1], b[2], b[3], b[4],
                  b[5]);
    return QByteArray(text, 17);
}

QByteArray ownInterfaceMac(in_addr_t address) {
    QByteArray result;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return result;
    const char *name = nullptr;
    for (ifaddrs *it = list; it; it = it->ifa_next) {
        if (it->ifa_addr && it->ifa_addr->sa_family == AF_INET &&
            reinterpret_cast<sockaddr_in *>(it->ifa_addr)->sin_addr.s_addr == address) {
            name = it->ifa_name;
            break;
        }
    }
#ifdef __linux__
    for (ifaddrs *it = list; name && it; it = it->ifa_next) {
        if (it->ifa_addr && it->ifa_addr->sa_family == AF_PACKET &&
            std::strcmp(it->ifa_name, name) == 0) {
            const auto *link = reinterpret_cast<sockaddr_ll *>(it->ifa_addr);
            if (link->sll_halen == 6)
                result = formatMac(link->sll_addr);
            break;
        }
    }
#endif
    freeifaddrs(list);
    return result;
}

QByteArray neighbourMac(const QString &ipText) {
    // /proc/net/arp: "IP address  HW type  Flags  HW address  Mask  Device"
    QFile table(QStringLiteral("/proc/net/arp"));
    if (!table.open(QIODevice::ReadOnly))
        return {};
    table.readLine(); // header
    const QByteArray wanted = ipText.toLatin1();
    while (!table.atEnd()) {
        const QList<QByteArray> columns = table.readLine().simplified().split(' ');
        if (columns.size() < 4 || columns[0] != wanted)
            continue;
        const bool complete = columns[2].toUInt(nullptr, 16) & 0x2;
        if (complete && columns[3].size() == 17)
            return columns[3].toLower();
    }
    return {};
}

} // namespace

QByteArray TMYCLASS::GetMACByARP(const QString &ipText) {
    const QByteArray latin = ipText.toLatin1();
    in_addr parsed{};
    if (inet_pton(AF_INET, latin.constData(), &parsed) != 1)
        return {};
    QByteArray mac = ownInterfaceMac(parsed.s_addr);
    if (mac.isEmpty())
        mac = neighbourMac(ipText);
    return mac;
}
