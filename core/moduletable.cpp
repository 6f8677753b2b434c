#include "moduletable.h"

#include "gbk.h"
#include "parameters.h"

#include <QCoreApplication>

using parameters::addressText;

void ModuleTable::clear() {
    ModuleCount = 0;
    ModuleIP.fill(0);
    ModuleMAC.fill(QByteArrayLiteral("0"));
    ModuleAdapter.fill(0);
}

QString ModuleTable::lineOf(quint32 ip, const QByteArray &mac) {
    return addressText(ip) + u':' + gbk::decode(mac);
}

QString ModuleTable::add(quint32 ip, quint16 port, const QByteArray &mac, const WarningSink &sink,
                         int adapter) {
    const QString ipText = addressText(ip);
    const QString macText = gbk::decode(mac);
    // ModuleCount is read afresh at every step: a warning box runs a modal
    // loop in which further replies may be added by a nested call, and those
    // entries are compared too. A module's MAC text may hold anything, "%1"
    // included: each text takes all of its arguments at once.
    for (int i = 0; i < ModuleCount; ++i) {
        if (ModuleAdapter[i] != adapter)
            continue;
        const bool sameIp = ModuleIP[i] == ip;
        const bool sameMac = ModuleMAC[i] == mac;
        QString warning;
        if (sameIp && sameMac) {
            warning = QCoreApplication::translate("ModuleTable",
                                                  "两个或以上的模块MAC地址、IP地址相同，MAC地址为："
                                                  "%1，IP地址为：%2，请通过串口功能设置")
                          .arg(macText, ipText);
        } else if (sameMac) {
            warning = QCoreApplication::translate("ModuleTable",
                                                  "两模块的MAC地址相同，MAC地址为：%"
                                                  "1，IP地址分别为：%2      %3，请通过串口功能设置")
                          .arg(macText, addressText(ModuleIP[i]), ipText);
        } else if (sameIp) {
            warning =
                QCoreApplication::translate(
                    "ModuleTable", "两模块的IP地址相同，IP地址为：%1，MAC地址分别为：%2      %3")
                    .arg(ipText, gbk::decode(ModuleMAC[i]), macText);
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
    return lineOf(ip, mac);
}
