#pragma once

#include "consoletranscript.h"
#include "consoleview.h"

#include <array>
#include <functional>

class LampWidget;
class QCheckBox;
class QComboBox;
class QWidget;

namespace Ui {
class TFrmMain;
}

// The test console's view over the main window's widgets.
//
// Input boxes are addressed by the number in their caption: the form has the
// box captioned "Interface5" as CheckBox22 and "Interface6" as CheckBox21, and
// each lamp sits in the row of the box with its caption. Asking for the input
// a box names keeps the box, the command and the lamp that answers in one row.
// The window's InputBoxes table (control order) is left as it is.
class ConsoleWindowView : public ConsoleView {
public:
    using InputBoxTable = std::array<QCheckBox *, 13>;

    ConsoleWindowView(Ui::TFrmMain &ui, const std::array<QCheckBox *, 16> &relayBoxes,
                      const std::array<LampWidget *, 15> &relayLamps,
                      const InputBoxTable &inputBoxes,
                      const std::array<LampWidget *, 12> &inputLamps,
                      std::function<void(bool)> enableConfigControls, QWidget *dialogParent);

    // The input number a box asks for: the number in its caption, 0 for the
    // "all" box.
    int inputNumberOf(const QCheckBox *box) const;
    ConsoleTranscript &transcript() { return m_transcript; }

    QString text(Field field) const override;
    void setText(Field field, const QString &text) override;
    int tcpModeIndex() const override;

    void setCaption(Control control, const QString &caption) override;
    void setVisible(Control control, bool visible) override;
    void setEnabled(Control control, bool enabled) override;
    QPoint position(Control control) const override;
    void move(Control control, QPoint topLeft) override;

    void appendItem(ClientList list, const QString &text) override;
    void deleteItem(ClientList list, int index) override;
    int itemCount(ClientList list) const override;
    QString itemText(ClientList list, int index) const override;
    void selectItem(ClientList list, int index) override;
    int selectedItem(ClientList list) const override;

    void setStateLamp(quint32 colour) override;
    void setRelayLamp(int slot, quint32 colour) override;
    void setInputLamp(int slot, quint32 colour) override;

    bool relayBoxChecked(int slot) const override;
    void setRelayBoxChecked(int slot, bool checked) override;
    bool inputBoxChecked(int slot) const override;
    void setInputBoxChecked(int slot, bool checked) override;
    bool stateBoxChecked(StateBox box) const override;
    void setStateBoxChecked(StateBox box, bool checked) override;

    void appendTranscript(const QString &text) override { m_transcript.append(text); }
    void clearTranscript() override { m_transcript.clear(); }
    void scrollTranscriptToBottom() override { m_transcript.scrollToBottom(); }
    bool transcriptEmpty() const override { return m_transcript.isEmpty(); }
    bool transcriptLastLineEmpty() const override { return m_transcript.lastLineEmpty(); }

    void warning(const QString &text) override;
    void enableConfigControls(bool enabled) override { m_enableConfigControls(enabled); }

private:
    QWidget *widget(Control control) const;
    QComboBox *combo(ClientList list) const;
    QCheckBox *stateBox(StateBox box) const;

    Ui::TFrmMain &m_ui;
    const std::array<QCheckBox *, 16> &m_relayBoxes;
    const std::array<LampWidget *, 15> &m_relayLamps;
    const std::array<LampWidget *, 12> &m_inputLamps;
    InputBoxTable m_inputBoxByNumber{};
    std::function<void(bool)> m_enableConfigControls;
    QWidget *m_dialogParent;
    ConsoleTranscript m_transcript;
};
