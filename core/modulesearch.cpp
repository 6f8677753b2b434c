#include "modulesearch.h"

#include "atframe.h"
#include "commandtable.h"
#include "logging.h"
#include "modulesession.h"
#include "transport.h"

using namespace Qt::StringLiterals;

ModuleSearch::ModuleSearch(Transport &transport, TMYCLASS &store)
    : m_transport(transport)
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
    m_transport.open(endpoints);
    m_store.ClearModules();
    m_listedThrough.clear();
    m_answers.clear();
    m_listing = m_transport.isOpen();
    if (!m_listing)
        return false;
    // Each frame leaves by the adapter it names, from the address it names.
    for (const NetworkAdapter &adapter : searched)
        m_transport.sendDatagram(
            Peer{atframe::Broadcast, atframe::ConfigPort, adapter.index, adapter.address},
            atframe::searchFrame(adapter.mac));
    return true;
}

NetworkAdapter ModuleSearch::adapterOf(const Peer &from) const {
    if (const NetworkAdapter *holder = adapterByAddress(m_adapters, from.local))
        return *holder;
    if (const NetworkAdapter *arrival = adapterByIndex(m_adapters, from.adapter))
        return *arrival;
    NetworkAdapter unknown;
    unknown.index = from.adapter;
    return unknown;
}

void ModuleSearch::receive(const Peer &arrival, QByteArrayView datagram) {
    Peer from = arrival;
    from.adapter = adapterOf(arrival).index;
    // parseReply copies what it returns: a duplicate warning may run a modal
    // loop in which the transport reuses its receive buffer.
    const atframe::Reply reply = atframe::parseReply(datagram);
    if (!reply.hasMac) {
        qCDebug(lcConfig) << "datagram without a MAC text ignored from"
                          << TMYCLASS::IPToText(from.ip);
        return;
    }
    if (adapterByAddress(m_adapters, from.ip))
        return; // our own broadcast heard back
    if (m_listing) {
        list(from, reply.mac, reply.payload);
        return;
    }
    for (ModuleSession *session : std::as_const(m_sessions)) {
        if (session->awaitsReplyFrom(from, reply.mac)) {
            session->handleReply(reply.payload);
            return;
        }
    }
    qCDebug(lcConfig) << "reply from" << reply.mac << "that no module's conversation awaits";
}

void ModuleSearch::list(const Peer &from, const QByteArray &mac, QByteArrayView payload) {
    if (mac.size() > MaxMacTextBytes) {
        // Not a module; a flood of them must not fill the list or the screen.
        if (onIgnored)
            onIgnored();
        return;
    }
    if (commands::isReport(payload)) {
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
    const QString line = m_store.AddModule(from.ip, from.port, mac, onDuplicate, from.adapter);
    if (line.isEmpty())
        return;
    m_listedThrough.append(through);
    if (onListed)
        onListed(line);
}
