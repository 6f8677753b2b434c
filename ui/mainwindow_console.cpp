// Test console of the main window: connection modes, client list, send and
// receive, relay and input panels. The logic is the core's Console; these
// handlers only route the window's signals and the socket's events to it.
#include "mainwindow.h"

#include "console.h"
#include "consolewindowview.h"
#include "lampwidget.h"
#include "mylib.h"
#include "sockettransport.h"
#include "ui_mainwindow.h"

void TFrmMain::setupConsole() {
    Ui::TFrmMain &u = *m_ui;
    m_consoleView = std::make_unique<ConsoleWindowView>(
        u, RelayBoxes, RelayLamps, InputBoxes, InputLamps,
        [this](bool enabled) { EnableConfigControls(enabled); }, this);
    m_console = std::make_unique<Console>(MyClass, m_state, m_transport->socket(), TimerConnOut,
                                          Timer_CheckTCPClient, TimerReadAllRelay, *m_consoleView);
    Console *console = m_console.get();
    connect(m_transport, &Transport::connectionAdded, console,
            [console](const Transport::Connection &c) {
                console->MySocketAccept(c.peer.ip, c.peer.port);
            });
    connect(m_transport, &Transport::connectionRemoved, console,
            [console](const Transport::Connection &c) {
                console->MySocketDiscard(c.peer.ip, c.peer.port);
            });
    connect(m_transport, &Transport::failed, console, &Console::MySocketError);

    // Only the user's choice counts as a mode change, as with the original
    // control's change event.
    connect(u.Cmb_TCPMode, &QComboBox::activated, console, &Console::Cmb_TCPModeChange);
    const std::pair<QAbstractButton *, void (Console::*)()> buttons[] = {
        {u.But_TCPCtl, &Console::But_TCPCtlClick},
        {u.But_TCPSend, &Console::But_TCPSendClick},
        {u.But_ClearSend, &Console::But_ClearSendClick},
        {u.Button2, &Console::Button2Click},
        {u.But_RelayStateQuery, &Console::But_RelayStateQueryClick},
        {u.But_RelayStateSet, &Console::But_RelayStateSetClick},
        {u.Button3, &Console::Button3Click},
        {u.CB_Relay_1, &Console::CB_Relay_1Click},
        {u.CB_Relay_0, &Console::CB_Relay_0Click},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QAbstractButton::clicked, console, handler);
    for (QCheckBox *box : RelayBoxes) {
        connect(box, &QAbstractButton::clicked, console,
                [console, box] { console->CheckBox1Click(box->property("Tag").toInt()); });
    }
    for (QCheckBox *box : InputBoxes) {
        const int number = m_consoleView->inputNumberOf(box);
        connect(box, &QAbstractButton::clicked, console,
                [console, number] { console->CheckBox17Click(number); });
    }
    connect(&TimerConnOut, &QTimer::timeout, console, &Console::TimerConnOutTimer);
    connect(&Timer_CheckTCPClient, &QTimer::timeout, console, &Console::Timer_CheckTCPClientTimer);
    connect(&TimerReadAllRelay, &QTimer::timeout, console, &Console::TimerReadAllRelayTimer);

    m_console->ApplyStartupLayout();
}

void TFrmMain::consoleReceive(const Peer &from, QByteArrayView bytes) {
    m_console->Receive(from.ip, from.port, bytes);
}
