#pragma once

#include "transport.h"

#include <QObject>

#include <memory>

namespace bridge {

// A port the bridge listens on for modules in TCP client mode, which connect
// to it by themselves. Each module's connection is found by the address it
// comes from.
class ModuleServer : public QObject {
    Q_OBJECT

public:
    ModuleServer(std::unique_ptr<Transport> transport, quint16 port, QObject *parent = nullptr);

    // False, with the system's words, when the port cannot be listened on.
    bool open(QString *error);
    // The connection of the module at ip (first octet in the lowest byte),
    // as a transport of its own: "open" while the module is connected.
    std::unique_ptr<Transport> transportFor(quint32 ip);

private:
    std::unique_ptr<Transport> m_transport;
    quint16 m_port;
};

} // namespace bridge
