#pragma once

#include "clock.h"
#include "consoleview.h"
#include "transport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class TransportRouter;

// What a relay setting asks of the relay: nothing said sends the setting
// without a state.
enum class RelaySwitch { Unsaid, On, Off };

// The TCP/IP test console: with the computer as TCP server, TCP client or UDP
// peer it opens the transport it shares with the configuration side, lists
// a server's clients, sends typed text and relay or input commands, and
// writes everything sent and received into the transcript, lighting the
// relay and input lamps from the replies.
//
// The window reads its controls and calls these operations; the router hands
// the console what arrives while the console holds the transport.
class Console : public QObject {
    Q_OBJECT

public:
    static constexpr int ListenTimeoutMs = 5000;
    static constexpr int ConnectWatchMs = 1000;
    static constexpr int RelayRepollMs = 300;
    static constexpr int CloseWaitMs = 100;

    Console(TransportRouter &router, ConsoleView &view, QObject *parent = nullptr,
            Clock &clock = Clock::system());

    // The user picked a mode: shown at once, opened with at the next opening.
    void setMode(ConsoleMode mode);
    ConsoleMode mode() const { return m_mode; }
    // The open/close button: closes an open transport; opens the console
    // when it did not hold it, so one click takes it over from the
    // configuration side (CloseWaitMs after closing, once the system has let
    // go of the address).
    void toggle();
    void openConsole();
    // Closes the transport, whoever holds it.
    void closeConsole();

    void sendText(const QString &text);
    // False when the setting is refused (a time too long to send).
    bool setRelay(int relay, RelaySwitch state, const QString &time);
    // 0 asks for every relay or input.
    void queryRelays(int relay);
    void queryInputs(int input);
    void clearTranscript();

    // One arrival while the console holds the transport. The bytes may lie
    // in the transport's buffer; they are copied before anything can
    // re-enter.
    void receive(const Peer &from, QByteArrayView bytes);

    bool relayRepollPending() const { return m_relayRepollPending; }

private:
    std::optional<Transport::Endpoints> endpointsToOpen();
    // Decimal port 0..65535; warns and gives nothing otherwise.
    std::optional<quint16> portFrom(const QString &text);
    void send(const QByteArray &bytes);
    bool sendNow(const QByteArray &bytes);
    ConsoleMode sendingMode() const;
    void listClients();
    void clientCame();
    void clientLeft(const Transport::Connection &gone);
    void listenTimedOut();
    void checkConnection();
    void repollRelays();
    void handleReply(QByteArrayView data);
    void showArrival(QByteArrayView data);
    void flushHeldByte();

    bool holdsTransport() const;

    TransportRouter &m_router;
    Transport &m_transport;
    ConsoleView &m_view;
    ConsoleMode m_mode = ConsoleMode::TcpServer;
    // The clients last shown, in the order they came.
    QList<Transport::Connection> m_clients;
    Timer m_listenTimer;
    Timer m_connectWatch;
    Timer m_relayRepoll;
    Timer m_reopen;
    bool m_relayRepollPending = false;
    QString m_lastFailure;
    // A GBK lead byte that ended an arrival: its trail byte is the first byte
    // of the sender's next arrival, so the character is shown whole.
    QByteArray m_heldByte;
};
