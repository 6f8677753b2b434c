#include "modulesearch.h"

#include "atframe.h"
#include "commandtable.h"
#include "logging.h"
#include "transportrouter.h"

using namespace Qt::StringLiterals;

namespace {

// The adapter of adapters a datagram came to: the one holding the address it
// was sent to, else the one it came in by.
NetworkAdapter adapterFor(const QList<NetworkAdapter> &adapters, const Peer &from) {
    if (const NetworkAdapter *holder = adapterByAddress(adapters, from.local))
        return *holder;
    if (const NetworkAdapter *arrival = adapterByIndex(adapters, from.adapter))
        return *arrival;
    NetworkAdapter unknown;
    unknown.index = from.adapter;
    return unknown;
}

} // namespace

ModuleSearch::ModuleSearch(TransportRouter &router, ModuleTable &store)
    : m_router(router)
    , m_store(store) {}

QList<NetworkAdapter> ModuleSearch::adaptersToSearch(const QList<NetworkAdapter> &all,
                                                     const QString &only) {
    QList<NetworkAdapter> searched;
    for (const NetworkAdapter &adapter : all) {
        if (only.isEmpty() || adapter.name == only || adapter.addressText() == only)
            searched.append(adapter);
    }
    return searched;
}

bool ModuleSearch::start(const QList<NetworkAdapter> &all, const QList<NetworkAdapter> &searched) {
    m_adapters = all;
    Transport::Endpoints endpoints;
    endpoints.kind = Transport::Kind::Datagram;
    endpoints.localHost = u"0.0.0.0"_s;
    endpoints.localPort = atframe::ConfigPort;
    Transport &transport = m_router.transport();
    transport.open(endpoints);
    m_store.clear();
    m_listedThrough.clear();
    m_answers.clear();
    m_router.endListing();
    ++m_starts;
    m_framesWaiting = 0;
    if (!transport.isOpen())
        return false;
    QList<quint32> own;
    for (const NetworkAdapter &adapter : all)
        own.append(adapter.address);
    // A reply belongs to the adapter that holds the address it was sent to.
    // The router keeps its own copy of the adapters: it may outlive the search.
    m_router.setAttribution(
        [adapters = all](const Peer &from) { return adapterFor(adapters, from).index; });
    m_router.startListing(own, [this](const Peer &from, const atframe::Reply &reply) {
        ++m_depth;
        list(from, reply);
        if (--m_depth == 0 && onSettled)
            onSettled();
    });
    // Each frame leaves by the adapter it names, from the address it names.
    const quint64 start = ++m_starts;
    m_framesWaiting = int(searched.size());
    for (const NetworkAdapter &adapter : searched) {
        transport.sendDatagramThen(
            Peer{atframe::Broadcast, atframe::ConfigPort, adapter.index, adapter.address},
            atframe::searchFrame(adapter.mac), [this, start](bool, const QString &) {
                if (start == m_starts && --m_framesWaiting == 0 && onFramesLeft)
                    onFramesLeft();
            });
    }
    return true;
}

void ModuleSearch::endListing() {
    m_router.endListing();
}

NetworkAdapter ModuleSearch::adapterOf(const Peer &from) const {
    return adapterFor(m_adapters, from);
}

bool ModuleSearch::isListing() const {
    return m_router.isListing();
}

void ModuleSearch::list(const Peer &from, const atframe::Reply &reply) {
    const QByteArray &mac = reply.mac;
    if (mac.size() > MaxMacTextBytes) {
        // Not a module; a flood of them must not fill the list or the screen.
        if (onIgnored)
            onIgnored();
        return;
    }
    if (commands::isReport(reply.payload)) {
        qCDebug(lcConfig) << "parameter report from" << mac << "is no answer to the search";
        return;
    }
    const NetworkAdapter through = adapterOf(from);
    if (std::ranges::any_of(m_answers, [&](const Answer &a) {
            return a.ip == from.ip && a.mac == mac && a.through.index == through.index &&
                   a.through.address != through.address;
        })) {
        qCDebug(lcConfig) << mac << "answered through a second address of its adapter";
        return;
    }
    m_answers.append({from.ip, mac, through});
    if (onAnswer)
        onAnswer(from, mac);
    const QString line = m_store.add(from.ip, from.port, mac, onDuplicate, from.adapter);
    if (line.isEmpty())
        return;
    m_listedThrough.append(through);
    if (onListed)
        onListed(line);
}
