#pragma once

#include "consoleview.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <optional>

class QTimer;
class TcmSocket;
class TMYCLASS;
struct TMainState;

// The TCP/IP test console: with the computer as TCP server, TCP client or UDP
// peer it opens MySocket, keeps the client lists, sends typed text and relay
// or input commands, and writes everything sent and received into the
// transcript, lighting the relay and input lamps from the replies.
//
// The window owns the socket, the timers and the widgets; its handlers call
// the operations of the same names here. The timers are not connected by the
// console: the window routes their timeouts to the *Timer operations.
class Console : public QObject {
    Q_OBJECT

public:
    static constexpr int RelaySlots = 16; // "All relay" + Relay1..15
    static constexpr int InputSlots = 13; // "All interfaces" + Interface1..12
    static constexpr int ListenTimeoutMs = 5000;
    static constexpr int RelayRepollMs = 300;
    static constexpr int CloseWaitMs = 100;

    Console(TMYCLASS &store, TMainState &state, TcmSocket &MySocket, QTimer &TimerConnOut,
            QTimer &Timer_CheckTCPClient, QTimer &TimerReadAllRelay, ConsoleView &view,
            QObject *parent = nullptr);

    // Layout of the selected mode without its button caption, then the labels.
    void ApplyStartupLayout();

    // Connections.
    void Cmb_TCPModeChange();
    void But_TCPCtlClick();
    void MySocketAccept(quint32 ip, quint16 port);
    void MySocketDiscard(quint32 ip, quint16 port);
    // Remembers the last failure the socket reported, so that an opening
    // that fails can say why.
    void MySocketError(int ErroCode, const QString &ErrorMsg);
    void TimerConnOutTimer();
    void Timer_CheckTCPClientTimer();
    void UpdateConsoleLabels();
    void ClearClientList();

    // Send and receive.
    void But_TCPSendClick();
    void ConsoleSend(const QByteArray &bytes);
    // One arrival while the console holds the socket. data may point into the
    // socket's receive buffer; it is copied before anything can re-enter.
    void Receive(quint32 PeerIP, quint16 PeerPort, QByteArrayView data);
    void Button2Click();
    void But_ClearSendClick();

    // Relays and inputs.
    void But_RelayStateQueryClick();
    void But_RelayStateSetClick();
    void Button3Click();
    void CheckBox1Click(int tag);
    void CheckBox17Click(int tag);
    void CB_Relay_1Click();
    void CB_Relay_0Click();
    void TimerReadAllRelayTimer();

    bool RelayRepollPending() const { return m_RelayRepollPending; }

private:
    void applyModeLayout(int index, bool withCaption);
    void openConsole();
    // The lamp, captions and client list of a closed console.
    void showClosed();
    // The console's own buttons once it no longer holds the socket.
    void showIdle();
    // Decimal port 0..65535 from a field; warns and gives nothing otherwise.
    std::optional<quint16> portFrom(ConsoleView::Field field);
    void handleReply(QByteArrayView data);
    void showArrival(QByteArrayView data);
    void flushHeldByte();
    int firstChecked(int slotCount, bool relays) const;

    TMYCLASS &m_Store;
    TMainState &m_State;
    TcmSocket &m_Socket;
    QTimer &m_TimerConnOut;
    QTimer &m_TimerCheckTCPClient;
    QTimer &m_TimerReadAllRelay;
    ConsoleView &m_View;

    bool m_RelayRepollPending = false;
    QString m_LastSocketError;
    // A GBK lead byte that ended an arrival: its trail byte is the first byte
    // of the sender's next arrival, so the character is shown whole.
    QByteArray m_HeldByte;
};
