#pragma once

#include "language.h"

#include <QByteArray>
#include <QMainWindow>
#include <QString>

#include <array>
#include <memory>

class Clock;
class ConfigProtocol;
class ConfigView;
struct ParameterSettings;
class Console;
class ConsoleWindowView;
class LampWidget;
class QCheckBox;
class QMenu;
class SocketTransport;
class TransportRouter;

namespace Ui {
class TFrmMain;
}

// The main window: the configuration half on the left, the test console on
// the right. It owns the program's one transport and the state both halves
// share, routed by the core. Handlers are named after their controls
// and stay thin: they read widgets and hand over to the core controllers.
//
// The class is split by area so that each area's code lives in its own file:
//   mainwindow.cpp          construction, start-up, show/close, socket dispatch
//   mainwindow_config.cpp   configuration side (search, module list, parameters)
//   mainwindow_console.cpp  test console (connections, send/receive, relays)
//   mainwindow_menus.cpp    settings file and menus
class TFrmMain : public QMainWindow {
    Q_OBJECT

public:
    // The core's controllers wait on clock (tests move one of their own).
    explicit TFrmMain(QWidget *parent = nullptr);
    TFrmMain(QWidget *parent, Clock &clock);
    ~TFrmMain() override;

    // The controls are reachable by name: their objectNames are the form's
    // control names.
    SocketTransport *transport() const { return m_transport; }
    TransportRouter &router() const { return *m_router; }

    // Where "Save" and "Restore settings" keep the parameter fields:
    // settings::defaultFilePath(), unless a test points elsewhere.
    const QString &settingsPath() const { return m_settingsPath; }
    void setSettingsPath(const QString &path) { m_settingsPath = path; }

    // Checks the menu's item for choice (none for Source, which the menu
    // does not offer); what the program put in force at start.
    void showLanguageChoice(language::Choice choice);
    // The language the settings file keeps; System when it keeps none.
    static language::Choice savedLanguageChoice(const QString &settingsFile);

    const std::array<QCheckBox *, 16> &relayBoxes() const { return RelayBoxes; }
    const std::array<LampWidget *, 15> &relayLamps() const { return RelayLamps; }
    const std::array<QCheckBox *, 13> &inputBoxes() const { return InputBoxes; }
    const std::array<LampWidget *, 12> &inputLamps() const { return InputLamps; }

    // Switches the configuration side's controls on or off: the console
    // switches them off when it takes the socket, a module search on again.
    void EnableConfigControls(bool enabled);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // A new language: the form's texts and those set here are worded anew.
    void changeEvent(QEvent *event) override;

private:
    // ---- Window life cycle and shared plumbing (mainwindow.cpp) ----------
    void fillControlTables();
    void setupNetwork();
    void FormCreate();
    // Words every text this window sets in code (the form's own are the
    // form's retranslateUi), at start and on each change of language.
    void retranslate();
    // The operating instructions, shown at start-up and by "Introduction".
    void AddInstructionLines();
    void FormShow();
    void FormClose();
    void Button1Click();

    // ---- Configuration side (mainwindow_config.cpp) ----------------------
    // Connects the configuration controls and the configuration timers.
    void setupConfigSide();
    void pickModule(int row);
    // "Computer IP" names the adapter that stands for the computer.
    void showComputerIP();
    // The parameter fields as the settings file keeps them.
    ParameterSettings parameterFields() const;
    void showParameterFields(const ParameterSettings &values);

    // ---- Test console (mainwindow_console.cpp) ---------------------------
    // Connects the console controls and shows the start-up mode.
    void setupConsole();

    // ---- Settings and menus (mainwindow_menus.cpp) -----------------------
    // Connects the menu actions.
    void setupMenus();
    // "Network adapter": every adapter the system lists now, the choice checked.
    void fillAdapterMenu(QMenu *menu);
    // "Language / 语言": the choice kept in the settings file, put in force at
    // once when picked.
    void setupLanguageMenu();
    void retranslateLanguageMenu();
    void chooseLanguage(language::Choice choice);
    void N10Click();
    void N11Click();
    void N12Click();
    void N3Click();
    void N4Click();
    void LoadSettings();
    void SaveSettings();

    // ---- Members ---------------------------------------------------------
    Ui::TFrmMain *m_ui;
    QMenu *m_adapterMenu = nullptr;
    QMenu *m_languageMenu = nullptr;
    Clock &m_clock;
    QString m_settingsPath;
    // The one transport of both sides and the core's router of what arrives
    // on it; owned through the QObject tree.
    SocketTransport *m_transport = nullptr;
    TransportRouter *m_router = nullptr;
    // The configuration controller and the window's face towards it; both
    // owned through the QObject tree.
    ConfigView *m_configView = nullptr;
    ConfigProtocol *m_config = nullptr;
    // The mouse press in progress has just picked a new line of ListBoxIP.
    bool m_listPickedByPress = false;

    // Slot 0 of the box tables is the "all" box; each box's "Tag" property
    // holds its slot.
    std::array<QCheckBox *, 16> RelayBoxes{};
    std::array<LampWidget *, 15> RelayLamps{};
    std::array<QCheckBox *, 13> InputBoxes{};
    std::array<LampWidget *, 12> InputLamps{};

    // The test console's logic and its view over this window's widgets; the
    // console goes first.
    std::unique_ptr<ConsoleWindowView> m_consoleView;
    std::unique_ptr<Console> m_console;
};
