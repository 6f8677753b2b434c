#pragma once

#include "fuzzsupport.h"
#include "transport.h"

#include <functional>

namespace fuzz {

// The network as a harness sees it: nothing ever leaves. A datagram sent to
// a peer is handed to onDatagram; any other way of sending is a finding,
// since the components fuzzed here have no business using it.
class RecordingTransport final : public Transport {
public:
    std::function<void(const Peer &to, QByteArrayView bytes)> onDatagram;
    bool opened = true;

    bool open(const Endpoints &) override {
        opened = true;
        return true;
    }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    bool isConnecting() const override { return false; }
    QString localAddress() const override { return {}; }

    bool sendDatagram(const Peer &to, QByteArrayView bytes) override {
        FUZZ_CHECK(onDatagram);
        onDatagram(to, bytes);
        return opened;
    }
    bool sendDatagram(const QString &, quint16, QByteArrayView) override { return refuse(); }
    bool send(QByteArrayView) override { return refuse(); }
    bool sendTo(int, QByteArrayView) override { return refuse(); }
    QList<Connection> connections() const override { return {}; }

private:
    static bool refuse() {
        FUZZ_CHECK(!"sent other than as a datagram to a peer");
        return false;
    }
};

} // namespace fuzz
