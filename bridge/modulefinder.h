#pragma once

#include "bridgeconfig.h"
#include "modulebatch.h"

#include <QObject>

#include <functional>
#include <memory>

namespace bridge {

// The modules on the network, found by the configuration protocol's search
// and each one's working mode, address, ports, name and firmware read, as
// the bridge must reach them.
class ModuleFinder : public QObject {
    Q_OBJECT

public:
    ModuleFinder(std::unique_ptr<Transport> network, const AdapterSource &adapters,
                 QObject *parent = nullptr);

    // adapter: its name, or empty for every adapter. failure is empty when
    // the search went out.
    void find(const QString &adapter,
              std::function<void(const QList<ModuleEntry> &found, const QString &failure)> done);

    // How long a search waits for the first answer.
    static constexpr int SearchWaitMs = 3000;

private:
    std::unique_ptr<Transport> m_network;
    ModuleBatch m_batch;
};

// How the bridge reaches a module whose parameters were read; nullopt when
// the values do not say (no work mode, address or port).
std::optional<ModuleEntry> entryOf(const QByteArray &mac, const ModuleSettings &values);

} // namespace bridge
