// Configuration side of the main window: which widget shows which parameter,
// and which button starts which operation of the core's ConfigProtocol.
#include "mainwindow.h"

#include "configprotocol.h"
#include "configview.h"
#include "settings.h"
#include "sockettransport.h"
#include "systemadapters.h"
#include "ui_mainwindow.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include <utility>

namespace {

QString textOf(const ParameterValue &value) {
    const QString *text = std::get_if<QString>(&value);
    return text ? *text : QString();
}

// A typed text that matches no item has no item number, whatever item was
// picked before the user typed.
int itemOf(const QComboBox *list) {
    return list->findText(list->currentText());
}

void showItem(QComboBox *list, int item) {
    list->setCurrentIndex(item >= 0 && item < list->count() ? item : -1);
}

// The widget that shows parameter; the serial settings take four, one per
// part, the baud rate first.
QWidget *widgetShowing(const Ui::TFrmMain &u, Parameter parameter, int part = 0) {
    switch (parameter) {
    case Parameter::Model:
        return u.Cmb_Model;
    case Parameter::Gateway:
        return u.Edt_GATEWAY;
    case Parameter::Mask:
        return u.Edt_MASK;
    case Parameter::IP:
        return u.Edt_IP;
    case Parameter::DestinationIP:
        return u.Edt_DIP;
    case Parameter::Port:
        return u.Edt_Port;
    case Parameter::DestinationPort:
        return u.Edt_DPort;
    case Parameter::Uart: {
        QWidget *const parts[] = {u.Cmb_Baud, u.Cmb_DataBit, u.Cmb_StopBit, u.Cmb_Parity};
        return parts[std::clamp(part, 0, 3)];
    }
    case Parameter::MAC:
        return u.Edt_MAC;
    case Parameter::Dhcp:
        return u.DCHP_Model;
    case Parameter::DeviceName:
        return u.Edt_Name;
    case Parameter::Version:
        return u.LaVersion;
    }
    return nullptr;
}

void selectItem(QComboBox *box, int index) {
    // An index outside the list leaves no selection; the edit text must
    // follow even when the index does not change, or typed text would stay.
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
    box->setEditText(box->itemText(box->currentIndex()));
}

// The configuration side as the window's widgets show it.
class WindowConfigView final : public QObject, public ConfigView {
public:
    WindowConfigView(TFrmMain *window, Ui::TFrmMain &ui)
        : QObject(window)
        , m_window(window)
        , m_ui(ui) {}

    ParameterValue parameterValue(Parameter parameter) const override {
        if (parameter == Parameter::Uart) {
            return UartSettings{m_ui.Cmb_Baud->currentText(), m_ui.Cmb_DataBit->currentText(),
                                itemOf(m_ui.Cmb_StopBit), itemOf(m_ui.Cmb_Parity)};
        }
        QWidget *shown = widgetOf(parameter);
        if (const auto *list = qobject_cast<QComboBox *>(shown))
            return itemOf(list);
        if (const auto *label = qobject_cast<QLabel *>(shown))
            return label->text();
        return qobject_cast<QLineEdit *>(shown)->text();
    }

    void showParameter(Parameter parameter, const ParameterValue &value) override {
        if (const auto *uart = std::get_if<UartSettings>(&value)) {
            m_ui.Cmb_Baud->setCurrentText(uart->baudRate);
            m_ui.Cmb_DataBit->setCurrentText(uart->dataBits);
            showItem(m_ui.Cmb_StopBit, uart->stopBits);
            showItem(m_ui.Cmb_Parity, uart->parity);
            return;
        }
        QWidget *shown = widgetOf(parameter);
        if (const int *item = std::get_if<int>(&value)) {
            if (auto *list = qobject_cast<QComboBox *>(shown))
                showItem(list, *item);
        } else if (auto *label = qobject_cast<QLabel *>(shown)) {
            label->setText(textOf(value));
        } else if (auto *edit = qobject_cast<QLineEdit *>(shown)) {
            edit->setText(textOf(value));
        }
    }

    // The log follows its newest line, wherever the user had scrolled.
    void appendMemoLine(const QString &line) override {
        m_ui.MemoInfo->appendPlainText(line);
        QScrollBar *bar = m_ui.MemoInfo->verticalScrollBar();
        bar->setValue(bar->maximum());
    }

    // An input error stops with an icon; a protocol event also offers
    // Cancel, though nothing depends on the answer.
    void notify(Notice notice, const QString &text) override {
        const bool inputError = notice == Notice::InputError;
        QMessageBox box(
            inputError ? QMessageBox::Critical : QMessageBox::NoIcon, TFrmMain::tr("提示"), text,
            inputError ? QMessageBox::Ok : QMessageBox::Ok | QMessageBox::Cancel, m_window);
        box.exec();
    }

    void clearModuleList() override { m_ui.ListBoxIP->clear(); }
    void appendModuleLine(const QString &line) override { m_ui.ListBoxIP->addItem(line); }
    void replaceModuleLine(int row, const QString &line) override {
        if (QListWidgetItem *item = m_ui.ListBoxIP->item(row))
            item->setText(line);
    }

    void enableConfiguration(bool enabled) override { m_window->EnableConfigControls(enabled); }

private:
    QWidget *widgetOf(Parameter parameter) const { return widgetShowing(m_ui, parameter); }

    TFrmMain *m_window;
    Ui::TFrmMain &m_ui;
};

const SystemAdapters systemAdapters;

} // namespace

void TFrmMain::setupConfigSide() {
    Ui::TFrmMain &u = *m_ui;
    m_configView = new WindowConfigView(this, u);
    m_config = new ConfigProtocol(*m_router, *m_configView, systemAdapters, this, m_clock);

    using C = ConfigProtocol;
    const std::pair<QPushButton *, void (C::*)()> operations[] = {
        {u.But_UDPFind, &C::searchModules},
        {u.But_Read, &C::readAll},
        {u.But_Default, &C::restoreFactoryDefaults},
        {u.But_OneKey, &C::writeAll},
    };
    for (const auto &[button, operation] : operations)
        connect(button, &QPushButton::clicked, m_config, operation);

    // A button that queries each parameter, and one that sets it to what its
    // field shows (the version is read only).
    const struct {
        Parameter parameter;
        QPushButton *query;
        QPushButton *set;
    } parameters[] = {
        {Parameter::Model, u.But_ModelCheck, u.But_Model},
        {Parameter::Gateway, u.But_GATEWAYCheck, u.But_GATEWAY},
        {Parameter::Mask, u.But_MASKCheck, u.But_MASK},
        {Parameter::IP, u.But_IPCheck, u.But_IP},
        {Parameter::DestinationIP, u.But_DIPCheck, u.But_DIP},
        {Parameter::Port, u.But_PortCheck, u.But_Port},
        {Parameter::DestinationPort, u.But_DPortCheck, u.But_DPort},
        {Parameter::Uart, u.But_UARTCheck, u.But_SetUART},
        {Parameter::MAC, u.But_MACCheck, u.But_SetMAC},
        {Parameter::Dhcp, u.But_DCHPCheck, u.But_SetDCHP},
        {Parameter::DeviceName, u.But_NameCheck, u.But_SetName},
        {Parameter::Version, u.But_ReadVer, nullptr},
    };
    for (const auto &row : parameters) {
        const Parameter parameter = row.parameter;
        connect(row.query, &QPushButton::clicked, m_config,
                [this, parameter] { m_config->query(parameter); });
        if (row.set) {
            connect(row.set, &QPushButton::clicked, m_config, [this, parameter] {
                m_config->set(parameter, m_configView->parameterValue(parameter));
            });
        }
    }

    // Picking a line reads its module, whether the line is picked with the
    // mouse or with the arrow keys, and clicking the picked line again reads
    // it again. A mouse click on a new line changes the selection on the press
    // and reports the click on the release: it must read once, not twice.
    connect(u.ListBoxIP, &QListWidget::itemSelectionChanged, this, [this] {
        QListWidget *list = m_ui->ListBoxIP;
        if (list->selectedItems().isEmpty())
            return;
        m_listPickedByPress = QGuiApplication::mouseButtons() != Qt::NoButton;
        pickModule(list->currentRow());
    });
    connect(u.ListBoxIP, &QListWidget::clicked, this, [this](const QModelIndex &index) {
        if (!std::exchange(m_listPickedByPress, false))
            pickModule(index.row());
    });
}

// Lists are kept by item number, edit fields by their text.
ParameterSettings TFrmMain::parameterFields() const {
    ParameterSettings values;
    values.fields.clear();
    for (const SettingsKey &key : parameters::settingsKeys()) {
        QWidget *shown = widgetShowing(*m_ui, key.parameter, key.part);
        if (const auto *list = qobject_cast<QComboBox *>(shown))
            values.fields.append(QString::number(list->currentIndex()));
        else
            values.fields.append(qobject_cast<QLineEdit *>(shown)->text());
    }
    return values;
}

void TFrmMain::showParameterFields(const ParameterSettings &values) {
    const std::span<const SettingsKey> keys = parameters::settingsKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        QWidget *shown = widgetShowing(*m_ui, keys[i].parameter, keys[i].part);
        const QString text = values.fields.value(qsizetype(i));
        if (auto *list = qobject_cast<QComboBox *>(shown))
            selectItem(list, text.toInt());
        else
            qobject_cast<QLineEdit *>(shown)->setText(text);
    }
}

void TFrmMain::EnableConfigControls(bool enabled) {
    Ui::TFrmMain &u = *m_ui;
    for (QWidget *control : std::initializer_list<QWidget *>{
             u.But_Read,     u.But_Default,   u.But_OneKey,       u.But_ModelCheck, u.But_Model,
             u.But_IPCheck,  u.But_IP,        u.But_GATEWAYCheck, u.But_GATEWAY,    u.But_DIPCheck,
             u.But_DIP,      u.But_MASKCheck, u.But_MASK,         u.But_PortCheck,  u.But_Port,
             u.But_MACCheck, u.But_SetMAC,    u.But_DPortCheck,   u.But_DPort,      u.But_DCHPCheck,
             u.But_SetDCHP,  u.But_NameCheck, u.But_SetName,      u.GroupBox5,      u.ListBoxIP})
        control->setEnabled(enabled);
}

void TFrmMain::pickModule(int row) {
    m_config->selectModule(row);
    showComputerIP();
}

void TFrmMain::showComputerIP() {
    // Without an adapter the field keeps what it shows, for the console.
    if (const std::optional<NetworkAdapter> adapter = m_config->computerAdapter())
        m_ui->Edt_LocalIP->setText(adapter->addressText());
}
