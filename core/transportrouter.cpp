#include "transportrouter.h"

#include "logging.h"
#include "modulesession.h"

TransportRouter::TransportRouter(Transport &transport, QObject *parent)
    : QObject(parent)
    , m_transport(transport) {
    connect(&transport, &Transport::received, this, &TransportRouter::receive);
}

void TransportRouter::startListing(QList<quint32> own, Answer answer) {
    m_own = std::move(own);
    m_listener = std::move(answer);
}

void TransportRouter::receive(const Peer &from, QByteArrayView bytes) {
    if (m_holder == Holder::Console) {
        if (m_console)
            m_console(from, bytes);
        return;
    }
    receiveReply(from, bytes);
}

void TransportRouter::receiveReply(const Peer &arrival, QByteArrayView datagram) {
    Peer from = arrival;
    if (m_adapterOf)
        from.adapter = m_adapterOf(arrival);
    // parseReply copies what it returns: a duplicate warning may run a modal
    // loop in which the transport reuses its receive buffer.
    const atframe::Reply reply = atframe::parseReply(datagram);
    if (!reply.hasMac) {
        qCDebug(lcConfig) << "datagram without a MAC text ignored from" << from.ip;
        return;
    }
    if (m_own.contains(from.ip))
        return; // our own broadcast heard back
    if (m_listener) {
        // A copy: the listener may end the listing, or start another, in a
        // modal loop it runs.
        const Answer listener = m_listener;
        listener(from, reply);
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
