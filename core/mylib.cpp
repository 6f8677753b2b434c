#include "mylib.h"

#include "gbk.h"

TMYCLASS MyClass;

quint32 TMYCLASS::TextToIP(QByteArrayView text) {
    std::array<quint8, 4> bytes{};
    qsizetype pos = 0;
    const qsizetype end = text.size();
    for (int field = 0; field < 4; ++field) {
        qsizetype k = 0;
        while (pos + k < end && text[pos + k] != '.')
            ++k;
        while (pos < end) {
            const char c = text[pos];
            if (c == '.') {
                ++pos;
                break;
            }
            // Arithmetic on the raw byte wraps modulo 256, as the module
            // firmware's own parser does.
            const auto digit = quint8(quint8(c) - quint8('0'));
            if (k == 3) {
                bytes[field] = quint8(bytes[field] + digit * 100);
                --k;
            } else if (k == 2) {
                bytes[field] = quint8(bytes[field] + digit * 10);
                --k;
            } else if (k == 1) {
                bytes[field] = quint8(bytes[field] + digit);
                --k;
            }
            ++pos;
        }
    }
    return quint32(bytes[0]) | quint32(bytes[1]) << 8 | quint32(bytes[2]) << 16 |
           quint32(bytes[3]) << 24;
}

QString TMYCLASS::IPToText(quint32 ip) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(ip & 0xFF)
        .arg((ip >> 8) & 0xFF)
        .arg((ip >> 16) & 0xFF)
        .arg((ip >> 24) & 0xFF);
}

void TMYCLASS::ClearModules() {
    SelectedIndex = -1;
    ModuleCount = 0;
    ModuleIP.fill(0);
    ModuleMAC.fill(QByteArrayLiteral("0"));
    ModuleAdapter.fill(0);
}

QByteArray TMYCLASS::GetSelectedMAC() const {
    if (SelectedIndex < 0 || SelectedIndex >= ModuleCount)
        return {};
    return ModuleMAC[SelectedIndex];
}

void TMYCLASS::SetLastMAC(const QByteArray &mac) {
    if (ModuleCount >= 1)
        ModuleMAC[ModuleCount - 1] = mac;
}

QString TMYCLASS::GetLastModuleText() const {
    if (ModuleCount < 1)
        return {};
    return ModuleLine(ModuleIP[ModuleCount - 1], ModuleMAC[ModuleCount - 1]);
}

QString TMYCLASS::ModuleLine(quint32 ip, const QByteArray &mac) {
    return IPToText(ip) + u':' + gbk::decode(mac);
}

QString TMYCLASS::AddModule(quint32 ip, quint16 port, const QByteArray &mac,
                            const WarningSink &sink, int adapter) {
    const QString ipText = IPToText(ip);
    const QString macText = gbk::decode(mac);
    const QString sixSpaces(6, u' ');
    const QString closing = QStringLiteral("，请通过串口功能设置");
    // ModuleCount is read afresh at every step: a warning box runs a modal
    // loop in which further replies may be added by a nested call, and those
    // entries are compared too.
    for (int i = 0; i < ModuleCount; ++i) {
        if (ModuleAdapter[i] != adapter)
            continue;
        const bool sameIp = ModuleIP[i] == ip;
        const bool sameMac = ModuleMAC[i] == mac;
        QString warning;
        if (sameIp && sameMac) {
            warning = QStringLiteral("两个或以上的模块MAC地址、IP地址相同，MAC地址为：") + macText +
                      QStringLiteral("，IP地址为：") + ipText + closing;
        } else if (sameMac) {
            warning = QStringLiteral("两模块的MAC地址相同，MAC地址为：") + macText +
                      QStringLiteral("，IP地址分别为：") + IPToText(ModuleIP[i]) + sixSpaces +
                      ipText + closing;
        } else if (sameIp) {
            warning = QStringLiteral("两模块的IP地址相同，IP地址为：") + ipText +
                      QStringLiteral("，MAC地址分别为：") + gbk::decode(ModuleMAC[i]) + sixSpaces +
                      macText;
        }
        if (!warning.isEmpty() && sink)
            sink(warning);
    }
    if (ModuleCount >= MaxModules)
        return {};
    ModuleIP[ModuleCount] = ip;
    ModulePort[ModuleCount] = port;
    ModuleMAC[ModuleCount] = mac;
    ModuleAdapter[ModuleCount] = adapter;
    ++ModuleCount;
    return ModuleLine(ip, mac);
}
