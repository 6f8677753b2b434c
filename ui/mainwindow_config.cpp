// Configuration side of the main window: module search, module list,
// parameter query/set buttons, TimerRead/TimerOut and their replies. The
// protocol itself lives in ConfigProtocol; this file only joins it to the
// widgets.
#include "mainwindow.h"

#include "configprotocol.h"
#include "configview.h"
#include "mylib.h"
#include "sockettransport.h"
#include "ui_mainwindow.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include <utility>

namespace {

// The window's widgets as the controller sees them.
class WindowConfigView final : public QObject, public ConfigView {
public:
    WindowConfigView(TFrmMain *window, Ui::TFrmMain &ui)
        : QObject(window)
        , m_window(window)
        , m_ui(ui) {}

    QString controlText(ConfigControl control) const override {
        QWidget *w = widget(control);
        if (auto *combo = qobject_cast<QComboBox *>(w))
            return combo->currentText();
        return qobject_cast<QLineEdit *>(w)->text();
    }

    void setControlText(ConfigControl control, const QString &text) override {
        QWidget *w = widget(control);
        if (auto *combo = qobject_cast<QComboBox *>(w))
            combo->setCurrentText(text);
        else
            qobject_cast<QLineEdit *>(w)->setText(text);
    }

    // A typed text that matches no item has no index, whatever item was
    // picked before the user typed.
    int itemIndex(ConfigControl control) const override {
        const auto *combo = qobject_cast<QComboBox *>(widget(control));
        return combo ? combo->findText(combo->currentText()) : -1;
    }

    void setItemIndex(ConfigControl control, int index) override {
        auto *combo = qobject_cast<QComboBox *>(widget(control));
        if (!combo)
            return;
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    }

    // The log follows its newest line, wherever the user had scrolled.
    void appendMemoLine(const QString &line) override {
        m_ui.MemoInfo->appendPlainText(line);
        QScrollBar *bar = m_ui.MemoInfo->verticalScrollBar();
        bar->setValue(bar->maximum());
    }

    void clearModuleList() override { m_ui.ListBoxIP->clear(); }
    void appendModuleLine(const QString &line) override { m_ui.ListBoxIP->addItem(line); }
    void replaceModuleLine(int row, const QString &line) override {
        if (QListWidgetItem *item = m_ui.ListBoxIP->item(row))
            item->setText(line);
    }

    void showMessage(MessageKind kind, const QString &caption, const QString &text) override {
        const bool error = kind == MessageKind::ErrorOk;
        QMessageBox box(error ? QMessageBox::Critical : QMessageBox::NoIcon, caption, text,
                        error ? QMessageBox::Ok : QMessageBox::Ok | QMessageBox::Cancel, m_window);
        box.exec();
    }

    void enableConfigControls(bool enabled) override { m_window->EnableConfigControls(enabled); }

private:
    QWidget *widget(ConfigControl control) const {
        switch (control) {
        case ConfigControl::Cmb_Model:
            return m_ui.Cmb_Model;
        case ConfigControl::Edt_GATEWAY:
            return m_ui.Edt_GATEWAY;
        case ConfigControl::Edt_MASK:
            return m_ui.Edt_MASK;
        case ConfigControl::Edt_IP:
            return m_ui.Edt_IP;
        case ConfigControl::Edt_DIP:
            return m_ui.Edt_DIP;
        case ConfigControl::Edt_Port:
            return m_ui.Edt_Port;
        case ConfigControl::Edt_DPort:
            return m_ui.Edt_DPort;
        case ConfigControl::Edt_MAC:
            return m_ui.Edt_MAC;
        case ConfigControl::DCHP_Model:
            return m_ui.DCHP_Model;
        case ConfigControl::Edt_Name:
            return m_ui.Edt_Name;
        case ConfigControl::Cmb_Baud:
            return m_ui.Cmb_Baud;
        case ConfigControl::Cmb_DataBit:
            return m_ui.Cmb_DataBit;
        case ConfigControl::Cmb_StopBit:
            return m_ui.Cmb_StopBit;
        case ConfigControl::Cmb_Parity:
            return m_ui.Cmb_Parity;
        case ConfigControl::LaVersion:
            return m_ui.LaVersion;
        }
        return nullptr;
    }

    TFrmMain *m_window;
    Ui::TFrmMain &m_ui;
};

} // namespace

void TFrmMain::setupConfigSide() {
    Ui::TFrmMain &u = *m_ui;
    m_configView = new WindowConfigView(this, u);
    m_config = new ConfigProtocol(MyClass, m_state, m_transport->socket(), TimerRead, TimerOut,
                                  *m_configView, this);

    using P = ConfigProtocol;
    const std::pair<QPushButton *, void (P::*)()> buttons[] = {
        {u.But_UDPFind, &P::But_UDPFindClick},
        {u.But_Read, &P::But_ReadClick},
        {u.But_ModelCheck, &P::But_ModelCheckClick},
        {u.But_GATEWAYCheck, &P::But_GATEWAYCheckClick},
        {u.But_MASKCheck, &P::But_MASKCheckClick},
        {u.But_IPCheck, &P::But_IPCheckClick},
        {u.But_DIPCheck, &P::But_DIPCheckClick},
        {u.But_PortCheck, &P::But_PortCheckClick},
        {u.But_DPortCheck, &P::But_DPortCheckClick},
        {u.But_UARTCheck, &P::But_UARTCheckClick},
        {u.But_MACCheck, &P::But_MACCheckClick},
        {u.But_ReadVer, &P::But_ReadVerClick},
        {u.But_DCHPCheck, &P::But_DCHPCheckClick},
        {u.But_NameCheck, &P::But_NameCheckClick},
        {u.But_Model, &P::But_ModelClick},
        {u.But_GATEWAY, &P::But_GATEWAYClick},
        {u.But_MASK, &P::But_MASKClick},
        {u.But_IP, &P::But_IPClick},
        {u.But_DIP, &P::But_DIPClick},
        {u.But_Port, &P::But_PortClick},
        {u.But_DPort, &P::But_DPortClick},
        {u.But_SetMAC, &P::But_SetMACClick},
        {u.But_SetUART, &P::But_SetUARTClick},
        {u.But_SetDCHP, &P::But_SetDCHPClick},
        {u.But_SetName, &P::But_SetNameClick},
        {u.But_Default, &P::But_DefaultClick},
        {u.But_OneKey, &P::But_OneKeyClick},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QPushButton::clicked, m_config, handler);

    // Picking a line reads its module, whether the line is picked with the
    // mouse or with the arrow keys, and clicking the picked line again reads
    // it again. A mouse click on a new line changes the selection on the press
    // and reports the click on the release: it must read once, not twice.
    connect(u.ListBoxIP, &QListWidget::itemSelectionChanged, this, [this] {
        QListWidget *list = m_ui->ListBoxIP;
        if (list->selectedItems().isEmpty())
            return;
        m_listPickedByPress = QGuiApplication::mouseButtons() != Qt::NoButton;
        m_config->ListBoxIPClick(list->currentRow());
    });
    connect(u.ListBoxIP, &QListWidget::clicked, this, [this](const QModelIndex &index) {
        if (!std::exchange(m_listPickedByPress, false))
            m_config->ListBoxIPClick(index.row());
    });
    TimerRead.setObjectName(QStringLiteral("TimerRead"));
    TimerOut.setObjectName(QStringLiteral("TimerOut"));
    connect(&TimerRead, &QTimer::timeout, m_config, &P::TimerReadTimer);
    connect(&TimerOut, &QTimer::timeout, m_config, &P::TimerOutTimer);
}

void TFrmMain::configReceive(const Peer &from, QByteArrayView datagram) {
    m_config->MySocketReceive(from.ip, from.port, datagram);
}
