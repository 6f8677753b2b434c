#pragma once

#include "mylib.h"
#include "networkadapter.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>

class ModuleSession;
class Transport;
struct Peer;

// The search for modules and what follows it on the configuration port: the
// search frame out of each adapter searched, each answer checked against the
// modules that answered on the same adapter and listed (TMYCLASS::AddModule),
// and, once the listing has ended, each reply handed to the conversation that
// awaits it. The window and the command-line tool both search through it, so
// both find the same modules and warn about the same clashes.
class ModuleSearch {
public:
    // A search answer whose MAC text is longer is not listed (a MAC text has 17).
    static constexpr int MaxMacTextBytes = 64;

    ModuleSearch(Transport &transport, TMYCLASS &store);

    // Every address of every adapter: one frame from each, since a module
    // may reach only one of them (an address added to reach modules in
    // their factory subnet). Only the adapter named only, or the address
    // given as only, unless that is empty.
    static QList<NetworkAdapter> adaptersToSearch(const QList<NetworkAdapter> &all,
                                                  const QString &only);

    // Empties the table, opens the transport on every address for the
    // configuration port, so that replies come in on every adapter, and sends
    // the search frame out of each adapter searched. all: every adapter of
    // the computer now; datagrams from their addresses are the computer's
    // own. False, and nothing sent, when the transport did not open.
    bool start(const QList<NetworkAdapter> &all, const QList<NetworkAdapter> &searched);
    // From now on replies go to the conversations, not into the table.
    void endListing() { m_listing = false; }
    bool isListing() const { return m_listing; }
    // Every adapter as the last search found them.
    const QList<NetworkAdapter> &adapters() const { return m_adapters; }
    // The adapter, by the address of it, that a datagram came to: the
    // address it was sent to decides, whichever adapter the system took it
    // in by (with two adapters on one LAN, replies to both may come in by
    // one); a broadcast goes by its arrival. Index 0 when neither is known.
    NetworkAdapter adapterOf(const Peer &from) const;
    // What entry i of the table was listed through.
    NetworkAdapter listedThrough(int entry) const { return m_listedThrough.value(entry); }

    // The conversations replies are handed to: the first that awaits one
    // gets it. Not owned; each is removed before it goes.
    void addSession(ModuleSession *session) { m_sessions.append(session); }
    void removeSession(ModuleSession *session) { m_sessions.removeOne(session); }
    void clearSessions() { m_sessions.clear(); }

    // A module answered the search; called before it is checked and listed.
    std::function<void(const Peer &from, const QByteArray &mac)> onAnswer;
    // Each clash with a module listed before, in AddModule's words. It may
    // run a modal loop, in which receive() is entered again.
    TMYCLASS::WarningSink onDuplicate;
    // The module's list line, once the table took it.
    std::function<void(const QString &line)> onListed;
    // An answer not listed for its overlong MAC text.
    std::function<void()> onIgnored;

    // A datagram that reached the configuration port.
    void receive(const Peer &from, QByteArrayView datagram);

private:
    void list(const Peer &from, const QByteArray &mac, QByteArrayView payload);

    Transport &m_transport;
    TMYCLASS &m_store;
    QList<NetworkAdapter> m_adapters;
    QList<NetworkAdapter> m_listedThrough;
    // A module that answered the frames from two addresses of one adapter
    // is one module, listed once.
    struct Answer {
        quint32 ip;
        QByteArray mac;
        NetworkAdapter through;
    };
    QList<Answer> m_answers;
    bool m_listing = false;
    QList<ModuleSession *> m_sessions;
};
