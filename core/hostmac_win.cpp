// Hardware address lookup on Windows through the IP Helper's ARP request.
#include "mylib.h"

// winsock2.h must come before any header that pulls in windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <iphlpapi.h>

#include <cstdio>

QByteArray TMYCLASS::GetMACByARP(const QString &ipText) {
    const QByteArray latin = ipText.toLatin1();
    IN_ADDR parsed{};
    if (inet_pton(AF_INET, latin.constData(), &parsed) != 1)
        return {};
    ULONG buffer[2] = {0, 0};
    ULONG length = 6;
    if (SendARP(parsed.S_un.S_addr, 0, buffer, &length) != NO_ERROR)
        return {};
    const auto *b = reinterpret_cast<const unsigned char *>(buffer);
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", b[0], b[1], b[2], b[3], b[4],
                  b[5]);
    return QByteArray(text, 17);
}
