#pragma once

#include "networkadapter.h"

// The computer's adapters as the system lists them: every one that is up,
// can broadcast and is not a loopback, with each of its IPv4 addresses as
// one entry. Asked afresh on every call, so a cable plugged in or a VPN
// started since shows up.
class SystemAdapters final : public AdapterSource {
public:
    QList<NetworkAdapter> adapters() const override;
};
