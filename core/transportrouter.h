#pragma once

#include "atframe.h"
#include "transport.h"

#include <QByteArrayView>
#include <QList>
#include <QObject>

#include <functional>

class ModuleSession;

// The one transport that the configuration side and the test console share,
// and where what arrives on it goes. While the console holds the transport,
// every arrival is the console's. Otherwise each datagram is a module's: one
// that carries no MAC text, or that the computer sent itself, is dropped;
// while a search lists modules, the search gets it; after that, the first
// registered session that awaits a reply from that module does. Nothing
// outside the core decides where bytes go.
class TransportRouter : public QObject {
    Q_OBJECT

public:
    enum class Holder { Configuration, Console };
    using Arrival = std::function<void(const Peer &from, QByteArrayView bytes)>;
    using Answer = std::function<void(const Peer &from, const atframe::Reply &reply)>;

    explicit TransportRouter(Transport &transport, QObject *parent = nullptr);

    Transport &transport() const { return m_transport; }

    Holder holder() const { return m_holder; }
    void setHolder(Holder holder) { m_holder = holder; }
    // The sender of the last arrival recorded: the last module that answered
    // a search, or the last peer the console heard from.
    const Peer &lastPeer() const { return m_lastPeer; }
    void setLastPeer(const Peer &peer) { m_lastPeer = peer; }

    // Where the console's arrivals go while it holds the transport.
    void setConsoleReceiver(Arrival receiver) { m_console = std::move(receiver); }

    // From now on replies are answers to a search and go to answer. own: the
    // computer's addresses, whose datagrams are its own broadcasts heard back.
    void startListing(QList<quint32> own, Answer answer);
    // Which adapter a datagram belongs to, by its index: replies are handed
    // on as having come in by it. None: the adapter the system names.
    void setAttribution(std::function<int(const Peer &from)> adapterOf) {
        m_adapterOf = std::move(adapterOf);
    }
    // From now on replies go to the sessions.
    void endListing() { m_listener = {}; }
    bool isListing() const { return bool(m_listener); }

    // Sessions are not owned; each is removed before it goes.
    void addSession(ModuleSession *session) { m_sessions.append(session); }
    void removeSession(ModuleSession *session) { m_sessions.removeOne(session); }
    void clearSessions() { m_sessions.clear(); }

    // An arrival on the transport. The bytes are valid only during the call.
    void receive(const Peer &from, QByteArrayView bytes);

private:
    void receiveReply(const Peer &from, QByteArrayView datagram);

    Transport &m_transport;
    Holder m_holder = Holder::Configuration;
    Peer m_lastPeer;
    Arrival m_console;
    Answer m_listener;
    QList<quint32> m_own;
    std::function<int(const Peer &from)> m_adapterOf;
    QList<ModuleSession *> m_sessions;
};
