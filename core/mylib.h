#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

// The shared store of the configuration side: the modules found by the last
// search and the selected module, plus the address and text helpers.
//
// Addresses are 32-bit values whose first dotted octet is the lowest byte
// (the layout of an address in network byte order). MAC texts are byte text
// exactly as a module sent it; they are compared byte for byte.
class TMYCLASS {
public:
    static constexpr int MaxModules = 256;

    // Receives each duplicate warning that AddModule raises. The callee may
    // run a modal loop, during which AddModule can be entered again.
    using WarningSink = std::function<void(const QString &text)>;

    std::array<quint32, MaxModules> ModuleIP{};
    std::array<quint16, MaxModules> ModulePort{};
    std::array<QByteArray, MaxModules> ModuleMAC;
    // The interface index of the adapter each module answered on (0: not known).
    std::array<int, MaxModules> ModuleAdapter{};
    qint32 ModuleCount = 0;
    qint32 SelectedIndex = -1;

    // Positional digit sum over up to four dot-separated fields; no validation.
    static quint32 TextToIP(QByteArrayView text);
    static QString IPToText(quint32 ip);

    // Hardware address of the host that holds ipText, as six lower-case hex
    // pairs joined by ':'; empty when it cannot be found.
    static QByteArray GetMACByARP(const QString &ipText);

    void ClearModules();
    int GetModuleCount() const { return ModuleCount; }
    // Empty when no valid module is selected.
    QByteArray GetSelectedMAC() const;
    void SetLastMAC(const QByteArray &mac);
    QString GetLastModuleText() const;

    // Checks a found module against the modules that answered on the same
    // adapter, warns through sink about every clash in table order, appends it
    // while there is room, and returns its list line (dotted IP, ':', MAC
    // text), or an empty text when the table was full. One module heard on
    // two adapters is two entries, and no clash.
    QString AddModule(quint32 ip, quint16 port, const QByteArray &mac, const WarningSink &sink,
                      int adapter = 0);

    static QString ModuleLine(quint32 ip, const QByteArray &mac);
};

// The program's one store, alive for the whole process.
extern TMYCLASS MyClass;
