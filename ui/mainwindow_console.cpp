// Test console of the main window: the one place that says which control
// starts which console operation. The console itself is the core's Console;
// ConsoleWindowView shows what it reports on the widgets.
#include "mainwindow.h"

#include "console.h"
#include "consolewindowview.h"
#include "sockettransport.h"
#include "ui_mainwindow.h"

#include <QCheckBox>

#include <functional>

void TFrmMain::setupConsole() {
    Ui::TFrmMain &u = *m_ui;
    m_consoleView = std::make_unique<ConsoleWindowView>(
        u, RelayBoxes, RelayLamps, InputBoxes, InputLamps,
        [this](bool enabled) { EnableConfigControls(enabled); }, this);
    m_console = std::make_unique<Console>(*m_router, *m_consoleView, this, m_clock);
    Console *console = m_console.get();
    ConsoleWindowView *view = m_consoleView.get();

    // Only a pick by the user changes the mode, not an index set from code;
    // a typed text that names no mode keeps the mode.
    connect(u.Cmb_TCPMode, &QComboBox::activated, console,
            [console, view] { console->setMode(view->mode().value_or(console->mode())); });
    const std::pair<QAbstractButton *, std::function<void()>> buttons[] = {
        {u.But_TCPCtl, [console] { console->toggle(); }},
        {u.But_TCPSend, [console, view] { console->sendText(view->typedText()); }},
        {u.But_ClearSend, [this] { m_ui->MemoTCPSend->clear(); }},
        {u.Button2, [console] { console->clearTranscript(); }},
        {u.But_RelayStateQuery, [console, view] { console->queryRelays(view->selectedRelay()); }},
        {u.But_RelayStateSet,
         [console, view] {
             if (console->setRelay(view->selectedRelay(), view->relaySwitch(), view->relayTime()))
                 view->pickAllRelays();
         }},
        {u.Button3, [console, view] { console->queryInputs(view->selectedInput()); }},
    };
    for (const auto &[button, operation] : buttons)
        connect(button, &QAbstractButton::clicked, console, operation);
    for (QCheckBox *box : view->exclusiveBoxes())
        connect(box, &QAbstractButton::clicked, console,
                [view, box] { view->keepOnlyChecked(box); });

    console->setMode(view->mode().value_or(ConsoleMode::TcpServer));
}
