#pragma once

#include "moduletable.h"
#include "networkadapter.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>

class TransportRouter;
struct Peer;
namespace atframe {
struct Reply;
}

// The search for modules on the configuration port: the search frame out of
// each adapter searched, and each answer the router hands over while the
// search lists checked against the modules that answered on the same adapter
// and listed (ModuleTable::add). The window and the command-line tool both
// search through it, so both find the same modules and warn about the same
// clashes.
class ModuleSearch {
public:
    // A search answer whose MAC text is longer is not listed (a MAC text has 17).
    static constexpr int MaxMacTextBytes = 64;

    ModuleSearch(TransportRouter &router, ModuleTable &store);

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
    void endListing();
    bool isListing() const;
    // Every adapter as the last search found them.
    const QList<NetworkAdapter> &adapters() const { return m_adapters; }
    // The adapter, by the address of it, that a datagram came to: the
    // address it was sent to decides, whichever adapter the system took it
    // in by (with two adapters on one LAN, replies to both may come in by
    // one); a broadcast goes by its arrival. Index 0 when neither is known.
    NetworkAdapter adapterOf(const Peer &from) const;
    // What entry i of the table was listed through.
    NetworkAdapter listedThrough(int entry) const { return m_listedThrough.value(entry); }

    // A module answered the search; called before it is checked and listed.
    std::function<void(const Peer &from, const QByteArray &mac)> onAnswer;
    // Each clash with a module listed before, in AddModule's words. It may
    // run a modal loop, in which receive() is entered again.
    ModuleTable::WarningSink onDuplicate;
    // The module's list line, once the table took it.
    std::function<void(const QString &line)> onListed;
    // An answer not listed for its overlong MAC text.
    std::function<void()> onIgnored;
    // An answer, and every answer that came in during its warnings, is done.
    std::function<void()> onSettled;
    // Every search frame has left (at once, unless a queue holds them).
    std::function<void()> onFramesLeft;

    // Search frames of the last start that have not left yet.
    int framesWaiting() const { return m_framesWaiting; }

private:
    void list(const Peer &from, const atframe::Reply &reply);

    TransportRouter &m_router;
    ModuleTable &m_store;
    QList<NetworkAdapter> m_adapters;
    int m_depth = 0;
    int m_framesWaiting = 0;
    // Which start the frames waited for belong to.
    quint64 m_starts = 0;
    QList<NetworkAdapter> m_listedThrough;
    // A module that answered the frames from two addresses of one adapter
    // is one module, listed once.
    struct Answer {
        quint32 ip;
        QByteArray mac;
        NetworkAdapter through;
    };
    QList<Answer> m_answers;
};
