#include "consolewindowview.h"

#include "lampwidget.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>

namespace {

// "Interface7" gives 7; anything else (the "all" box) gives 0.
int captionNumber(const QCheckBox *box) {
    static const QString prefix = QStringLiteral("Interface");
    const QString caption = box->text();
    if (!caption.startsWith(prefix))
        return 0;
    bool ok = false;
    const int number = caption.sliced(prefix.size()).toInt(&ok);
    return ok ? number : 0;
}

} // namespace

ConsoleWindowView::ConsoleWindowView(Ui::TFrmMain &ui,
                                     const std::array<QCheckBox *, 16> &relayBoxes,
                                     const std::array<LampWidget *, 15> &relayLamps,
                                     const InputBoxTable &inputBoxes,
                                     const std::array<LampWidget *, 12> &inputLamps,
                                     std::function<void(bool)> enableConfigControls,
                                     QWidget *dialogParent)
    : m_ui(ui)
    , m_relayBoxes(relayBoxes)
    , m_relayLamps(relayLamps)
    , m_inputLamps(inputLamps)
    , m_enableConfigControls(std::move(enableConfigControls))
    , m_dialogParent(dialogParent)
    , m_transcript(ui.MemoTCPRec) {
    for (QCheckBox *box : inputBoxes) {
        const int number = captionNumber(box);
        if (number >= 0 && number < int(m_inputBoxByNumber.size()) && !m_inputBoxByNumber[number])
            m_inputBoxByNumber[number] = box;
    }
    // Captions that do not name every input once: fall back to the table.
    for (QCheckBox *box : m_inputBoxByNumber) {
        if (!box) {
            m_inputBoxByNumber = inputBoxes;
            break;
        }
    }
}

int ConsoleWindowView::inputNumberOf(const QCheckBox *box) const {
    for (size_t number = 0; number < m_inputBoxByNumber.size(); ++number) {
        if (m_inputBoxByNumber[number] == box)
            return int(number);
    }
    return -1;
}

QString ConsoleWindowView::text(Field field) const {
    switch (field) {
    case Field::Edt_LocalIP:
        return m_ui.Edt_LocalIP->text();
    case Field::Edt_LocalPort:
        return m_ui.Edt_LocalPort->text();
    case Field::Edt_RemoteIP:
        return m_ui.Edt_RemoteIP->text();
    case Field::Edt_RemotePort:
        return m_ui.Edt_RemotePort->text();
    case Field::MemoTCPSend:
        // Lines of the typed text travel separated by "\r\n".
        return m_ui.MemoTCPSend->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
    case Field::Edt_Time:
        return m_ui.Edt_Time->text();
    }
    return {};
}

void ConsoleWindowView::setText(Field field, const QString &text) {
    switch (field) {
    case Field::Edt_LocalIP:
        m_ui.Edt_LocalIP->setText(text);
        break;
    case Field::Edt_LocalPort:
        m_ui.Edt_LocalPort->setText(text);
        break;
    case Field::Edt_RemoteIP:
        m_ui.Edt_RemoteIP->setText(text);
        break;
    case Field::Edt_RemotePort:
        m_ui.Edt_RemotePort->setText(text);
        break;
    case Field::MemoTCPSend:
        m_ui.MemoTCPSend->setPlainText(QString(text).remove(u'\r'));
        break;
    case Field::Edt_Time:
        m_ui.Edt_Time->setText(text);
        break;
    }
}

int ConsoleWindowView::tcpModeIndex() const {
    return m_ui.Cmb_TCPMode->currentIndex();
}

QWidget *ConsoleWindowView::widget(Control control) const {
    switch (control) {
    case Control::Label_IP:
        return m_ui.Label_IP;
    case Control::Label_Port:
        return m_ui.Label_Port;
    case Control::Label17:
        return m_ui.Label17;
    case Control::Label18:
        return m_ui.Label18;
    case Control::Edt_RemoteIP:
        return m_ui.Edt_RemoteIP;
    case Control::Edt_RemotePort:
        return m_ui.Edt_RemotePort;
    case Control::Cmb_RemoteIP:
        return m_ui.Cmb_RemoteIP;
    case Control::Cmb_RemotePort:
        return m_ui.Cmb_RemotePort;
    case Control::But_TCPCtl:
        return m_ui.But_TCPCtl;
    case Control::But_TCPSend:
        return m_ui.But_TCPSend;
    case Control::But_UDPFind:
        return m_ui.But_UDPFind;
    case Control::But_RelayStateQuery:
        return m_ui.But_RelayStateQuery;
    case Control::But_RelayStateSet:
        return m_ui.But_RelayStateSet;
    case Control::Button3:
        return m_ui.Button3;
    }
    return nullptr;
}

void ConsoleWindowView::setCaption(Control control, const QString &caption) {
    QWidget *target = widget(control);
    if (auto *label = qobject_cast<QLabel *>(target))
        label->setText(caption);
    else if (auto *button = qobject_cast<QAbstractButton *>(target))
        button->setText(caption);
}

void ConsoleWindowView::setVisible(Control control, bool visible) {
    widget(control)->setVisible(visible);
}

void ConsoleWindowView::setEnabled(Control control, bool enabled) {
    widget(control)->setEnabled(enabled);
}

QPoint ConsoleWindowView::position(Control control) const {
    return widget(control)->pos();
}

void ConsoleWindowView::move(Control control, QPoint topLeft) {
    QWidget *target = widget(control);
    target->move(topLeft);
    // Moved onto another control, it is meant to be seen over it.
    target->raise();
}

QComboBox *ConsoleWindowView::combo(ClientList list) const {
    return list == ClientList::Cmb_RemoteIP ? m_ui.Cmb_RemoteIP : m_ui.Cmb_RemotePort;
}

void ConsoleWindowView::appendItem(ClientList list, const QString &text) {
    combo(list)->addItem(text);
}

void ConsoleWindowView::deleteItem(ClientList list, int index) {
    combo(list)->removeItem(index);
}

int ConsoleWindowView::itemCount(ClientList list) const {
    return combo(list)->count();
}

QString ConsoleWindowView::itemText(ClientList list, int index) const {
    return combo(list)->itemText(index);
}

void ConsoleWindowView::selectItem(ClientList list, int index) {
    combo(list)->setCurrentIndex(index);
}

int ConsoleWindowView::selectedItem(ClientList list) const {
    return combo(list)->currentIndex();
}

void ConsoleWindowView::setStateLamp(quint32 colour) {
    m_ui.TCPStateDisplay->setBrushColor(colour);
}

void ConsoleWindowView::setRelayLamp(int slot, quint32 colour) {
    if (slot >= 0 && slot < int(m_relayLamps.size()))
        m_relayLamps[size_t(slot)]->setBrushColor(colour);
}

void ConsoleWindowView::setInputLamp(int slot, quint32 colour) {
    if (slot >= 0 && slot < int(m_inputLamps.size()))
        m_inputLamps[size_t(slot)]->setBrushColor(colour);
}

bool ConsoleWindowView::relayBoxChecked(int slot) const {
    return m_relayBoxes.at(size_t(slot))->isChecked();
}

void ConsoleWindowView::setRelayBoxChecked(int slot, bool checked) {
    m_relayBoxes.at(size_t(slot))->setChecked(checked);
}

bool ConsoleWindowView::inputBoxChecked(int slot) const {
    return m_inputBoxByNumber.at(size_t(slot))->isChecked();
}

void ConsoleWindowView::setInputBoxChecked(int slot, bool checked) {
    m_inputBoxByNumber.at(size_t(slot))->setChecked(checked);
}

QCheckBox *ConsoleWindowView::stateBox(StateBox box) const {
    return box == StateBox::CB_Relay_1 ? m_ui.CB_Relay_1 : m_ui.CB_Relay_0;
}

bool ConsoleWindowView::stateBoxChecked(StateBox box) const {
    return stateBox(box)->isChecked();
}

void ConsoleWindowView::setStateBoxChecked(StateBox box, bool checked) {
    stateBox(box)->setChecked(checked);
}

void ConsoleWindowView::warning(const QString &text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Warning"), text, QMessageBox::Ok,
                    m_dialogParent);
    box.exec();
}
