#pragma once

#include "transport.h"

#include <QList>
#include <QString>

#include <optional>

// How the computer takes part in the console's conversation.
enum class ConsoleMode { TcpServer, TcpClient, Udp };

// What has just happened to the console. The window shows each as a change
// from what it showed before: picking a mode while the console is open, say,
// changes the labels but not what the console is doing.
enum class ConsoleState {
    // Opened by the user: the console has the transport and its buttons, the
    // mode's layout is shown; the transport is not open yet (and stays
    // closed when the typed settings are refused).
    Opening,
    Listening,      // TCP server waiting for its first client
    Connected,      // TCP server with a client (one more came)
    Connecting,     // TCP client: the attempt is under way
    ClientOpen,     // TCP client: the connection is up
    UdpOpen,        // UDP peer bound
    ListenTimedOut, // no client came in time, or the wait was ended by a search
    // The client connection did not come up in time, failed or was closed
    // by the peer: closed, the console's buttons stay as they were.
    Dropped,
    // Closed by the user, by the last client leaving, or because opening
    // failed: ready to open again.
    Closed,
};

// Whether a relay or input is on, as its module last said.
enum class LampState { Unknown, Off, On };

// What the test console shows and what it reads of the user's choices. The
// main window implements it over its widgets; tests implement it with a
// recorder. Which widget shows what, captions, positions and enabling are
// the window's business.
class ConsoleView {
public:
    virtual ~ConsoleView() = default;

    // The mode picked and the settings as typed at this moment; no mode when
    // what is typed names none.
    virtual std::optional<ConsoleMode> mode() const = 0;
    virtual QString localAddress() const = 0;
    virtual QString localPort() const = 0;
    virtual QString remoteAddress() const = 0;
    virtual QString remotePort() const = 0;
    // The relay the relay boxes pick: 0 for all of them, one past the last
    // relay when none is picked.
    virtual int selectedRelay() const = 0;
    // Position in the clients last shown of the one the user picked; -1 when
    // none is picked.
    virtual int selectedClient() const = 0;

    // The user picked a mode (also once at start-up).
    virtual void showMode(ConsoleMode mode) = 0;
    virtual void showState(ConsoleState state, ConsoleMode mode) = 0;
    // The server's clients in the order they came; the first one is picked.
    virtual void showClients(const QList<Peer> &clients) = 0;
    // Relays 1..15 and inputs 1..12.
    virtual void showRelay(int relay, LampState state) = 0;
    virtual void showInput(int input, LampState state) = 0;
    // The time a relay reply carried.
    virtual void showRelayTime(quint64 time) = 0;
    // Whether the configuration side may be used: not while the console
    // holds the transport, until the next module search.
    virtual void showConfigurationAvailable(bool available) = 0;

    // The transcript only ever grows at the end, so the window can append
    // without rewriting what is already shown. Line breaks arrive as "\r\n"
    // (or whatever the peer sent).
    virtual void appendTranscript(const QString &text) = 0;
    virtual void clearTranscript() = 0;
    virtual void scrollTranscriptToBottom() = 0;
    virtual bool transcriptEmpty() const = 0;
    // True also for an empty transcript.
    virtual bool transcriptLastLineEmpty() const = 0;

    // A modal warning. Arrivals and timers keep running while it is open,
    // so the console may be re-entered from here.
    virtual void warning(const QString &text) = 0;
};
