#pragma once

#include "console.h"
#include "consoleview.h"

#include <QCoreApplication>
#include <QHash>

#include <array>
#include <functional>

class LampWidget;
class QCheckBox;
class QWidget;

namespace Ui {
class TFrmMain;
}

// The test console as the main window shows it: which widget shows what the
// console reports, captions, positions and enabling, and what the console's
// controls say the user picked.
//
// Input boxes are addressed by the number in their caption: the form has the
// box captioned "Interface5" as CheckBox22 and "Interface6" as CheckBox21, and
// each lamp sits in the row of the box with its caption. Asking for the input
// a box names keeps the box, the command and the lamp that answers in one row.
// The window's InputBoxes table (control order) is left as it is.
class ConsoleWindowView : public ConsoleView {
    Q_DECLARE_TR_FUNCTIONS(ConsoleWindowView)

public:
    using RelayBoxTable = std::array<QCheckBox *, 16>;
    using InputBoxTable = std::array<QCheckBox *, 13>;

    ConsoleWindowView(Ui::TFrmMain &ui, const RelayBoxTable &relayBoxes,
                      const std::array<LampWidget *, 15> &relayLamps,
                      const InputBoxTable &inputBoxes,
                      const std::array<LampWidget *, 12> &inputLamps,
                      std::function<void(bool)> enableConfigControls, QWidget *dialogParent);

    // What the console's controls hold, for the operations they start.
    QString typedText() const;
    int selectedInput() const;
    RelaySwitch relaySwitch() const;
    QString relayTime() const;
    // After a setting "All relay" is the box checked, so that the re-query
    // asks for every relay.
    void pickAllRelays();
    // Boxes of which at most one of their group is checked at a time.
    QList<QCheckBox *> exclusiveBoxes() const;
    // A box of such a group was clicked: checked, it is the only one.
    void keepOnlyChecked(QCheckBox *box);

    std::optional<ConsoleMode> mode() const override;
    QString localAddress() const override;
    QString localPort() const override;
    QString remoteAddress() const override;
    QString remotePort() const override;
    int selectedRelay() const override;
    int selectedClient() const override;

    void showMode(ConsoleMode mode) override;
    void showState(ConsoleState state, ConsoleMode mode) override;
    void showClients(const QList<Peer> &clients) override;
    void showRelay(int relay, LampState state) override;
    void showInput(int input, LampState state) override;
    void showRelayTime(quint64 time) override;
    void showConfigurationAvailable(bool available) override { m_enableConfigControls(available); }

    void appendTranscript(const QString &text) override;
    void clearTranscript() override;
    void scrollTranscriptToBottom() override;
    bool transcriptEmpty() const override;
    bool transcriptLastLineEmpty() const override;

    void warning(const QString &text) override;

    // Shows the captions set so far in the language now in force (after the
    // form's own texts were put back by retranslateUi).
    void retranslate();

private:
    // Captions change with the console's mode and state; each control keeps
    // the source of its latest caption, so a change of language rewords it.
    void setCaption(QWidget *control, const char *source);
    void applyModeLayout(ConsoleMode mode);
    void showLabels(ConsoleMode mode);
    void showOpen();
    void showClosed(ConsoleMode mode);
    // The buttons that only work while the console holds the transport.
    void enableConsoleButtons(bool enabled);
    QList<QCheckBox *> groupOf(const QCheckBox *box) const;

    Ui::TFrmMain &m_ui;
    const RelayBoxTable &m_relayBoxes;
    const std::array<LampWidget *, 15> &m_relayLamps;
    const std::array<LampWidget *, 12> &m_inputLamps;
    InputBoxTable m_inputBoxByNumber{};
    std::function<void(bool)> m_enableConfigControls;
    QWidget *m_dialogParent;
    QHash<QWidget *, const char *> m_captions;
};
