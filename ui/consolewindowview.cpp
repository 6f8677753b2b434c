#include "consolewindowview.h"

#include "lampwidget.h"
#include "parameters.h"
#include "transcriptview.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>

namespace {

// "Interface7" gives 7; a caption that ends in no number (the "all" box)
// gives 0. Only the number counts, so that the caption may be in any language.
int captionNumber(const QCheckBox *box) {
    const QString caption = box->text();
    qsizetype digits = caption.size();
    while (digits > 0 && caption.at(digits - 1).isDigit())
        --digits;
    bool ok = false;
    const int number = caption.sliced(digits).toInt(&ok);
    return ok ? number : 0;
}

quint32 colourOf(LampState state) {
    switch (state) {
    case LampState::On:
        return LampWidget::Lime;
    case LampState::Off:
        return LampWidget::Red;
    case LampState::Unknown:
        break;
    }
    return LampWidget::Silver;
}

// The number of the first checked box of a table whose slot is its number;
// one past the last when none is.
template <size_t N> int firstChecked(const std::array<QCheckBox *, N> &boxes) {
    const auto checked = std::find_if(boxes.begin(), boxes.end(),
                                      [](const QCheckBox *box) { return box->isChecked(); });
    return int(checked - boxes.begin());
}

} // namespace

ConsoleWindowView::ConsoleWindowView(Ui::TFrmMain &ui, const RelayBoxTable &relayBoxes,
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
    , m_dialogParent(dialogParent) {
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

QString ConsoleWindowView::typedText() const {
    // Lines of the typed text travel separated by "\r\n".
    return m_ui.MemoTCPSend->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
}

int ConsoleWindowView::selectedRelay() const {
    return firstChecked(m_relayBoxes);
}

int ConsoleWindowView::selectedInput() const {
    return firstChecked(m_inputBoxByNumber);
}

RelaySwitch ConsoleWindowView::relaySwitch() const {
    if (m_ui.CB_Relay_1->isChecked())
        return RelaySwitch::On;
    if (m_ui.CB_Relay_0->isChecked())
        return RelaySwitch::Off;
    return RelaySwitch::Unsaid;
}

QString ConsoleWindowView::relayTime() const {
    return m_ui.Edt_Time->text();
}

void ConsoleWindowView::pickAllRelays() {
    m_relayBoxes[0]->setChecked(true);
    keepOnlyChecked(m_relayBoxes[0]);
}

QList<QCheckBox *> ConsoleWindowView::exclusiveBoxes() const {
    QList<QCheckBox *> boxes(m_relayBoxes.begin(), m_relayBoxes.end());
    boxes.append(QList<QCheckBox *>(m_inputBoxByNumber.begin(), m_inputBoxByNumber.end()));
    return boxes << m_ui.CB_Relay_1 << m_ui.CB_Relay_0;
}

QList<QCheckBox *> ConsoleWindowView::groupOf(const QCheckBox *box) const {
    if (std::find(m_relayBoxes.begin(), m_relayBoxes.end(), box) != m_relayBoxes.end())
        return {m_relayBoxes.begin(), m_relayBoxes.end()};
    if (std::find(m_inputBoxByNumber.begin(), m_inputBoxByNumber.end(), box) !=
        m_inputBoxByNumber.end())
        return {m_inputBoxByNumber.begin(), m_inputBoxByNumber.end()};
    return {m_ui.CB_Relay_1, m_ui.CB_Relay_0};
}

void ConsoleWindowView::keepOnlyChecked(QCheckBox *box) {
    if (!box->isChecked())
        return;
    for (QCheckBox *other : groupOf(box)) {
        if (other != box)
            other->setChecked(false);
    }
}

std::optional<ConsoleMode> ConsoleWindowView::mode() const {
    switch (m_ui.Cmb_TCPMode->currentIndex()) {
    case 0:
        return ConsoleMode::TcpServer;
    case 1:
        return ConsoleMode::TcpClient;
    case 2:
        return ConsoleMode::Udp;
    }
    return std::nullopt;
}

QString ConsoleWindowView::localAddress() const {
    return m_ui.Edt_LocalIP->text();
}

QString ConsoleWindowView::localPort() const {
    return m_ui.Edt_LocalPort->text();
}

QString ConsoleWindowView::remoteAddress() const {
    return m_ui.Edt_RemoteIP->text();
}

QString ConsoleWindowView::remotePort() const {
    return m_ui.Edt_RemotePort->text();
}

int ConsoleWindowView::selectedClient() const {
    // Item 0 of the list is "NoConnect".
    return std::max(m_ui.Cmb_RemoteIP->currentIndex() - 1, -1);
}

void ConsoleWindowView::showMode(ConsoleMode mode) {
    applyModeLayout(mode);
    showLabels(mode);
}

void ConsoleWindowView::applyModeLayout(ConsoleMode mode) {
    Ui::TFrmMain &u = m_ui;
    const bool server = mode == ConsoleMode::TcpServer;
    if (server) {
        // The client list takes the place of the destination address field,
        // and is meant to be seen over it.
        u.Edt_RemoteIP->setVisible(false);
        u.Cmb_RemoteIP->move(u.Edt_RemoteIP->pos());
        u.Cmb_RemoteIP->raise();
    } else {
        u.Edt_RemoteIP->setVisible(true);
        u.But_UDPFind->setEnabled(true);
    }
    u.Cmb_RemoteIP->setVisible(server);
    u.Cmb_RemotePort->setVisible(server);
    setCaption(u.But_TCPCtl, server ? QT_TR_NOOP("监听") : QT_TR_NOOP("连接"));
    if (mode != ConsoleMode::TcpClient) {
        setCaption(u.Label17, QT_TR_NOOP("电脑IP:"));
        setCaption(u.Label18, QT_TR_NOOP("电脑端口："));
    }
}

void ConsoleWindowView::showLabels(ConsoleMode mode) {
    Ui::TFrmMain &u = m_ui;
    if (mode == ConsoleMode::TcpClient) {
        setCaption(u.But_TCPCtl, QT_TR_NOOP("连接"));
        return;
    }
    setCaption(u.Label_IP, QT_TR_NOOP("目的IP："));
    setCaption(u.Label_Port, QT_TR_NOOP("目的端口："));
    // Shown again; in server mode the client list lies over it.
    u.Edt_RemoteIP->setVisible(true);
    setCaption(u.But_TCPCtl, QT_TR_NOOP("建立"));
}

void ConsoleWindowView::setCaption(QWidget *control, const char *source) {
    m_captions.insert(control, source);
    const QString text = tr(source);
    if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setText(text);
}

void ConsoleWindowView::retranslate() {
    const QHash<QWidget *, const char *> captions = m_captions;
    for (auto caption = captions.cbegin(); caption != captions.cend(); ++caption)
        setCaption(caption.key(), caption.value());
}

void ConsoleWindowView::enableConsoleButtons(bool enabled) {
    for (QWidget *button :
         {m_ui.But_TCPSend, m_ui.But_RelayStateQuery, m_ui.But_RelayStateSet, m_ui.Button3})
        button->setEnabled(enabled);
}

void ConsoleWindowView::showOpen() {
    setCaption(m_ui.But_TCPCtl, QT_TR_NOOP("断开"));
    m_ui.But_TCPSend->setEnabled(true);
}

void ConsoleWindowView::showClosed(ConsoleMode mode) {
    m_ui.But_TCPSend->setEnabled(false);
    showLabels(mode);
    m_ui.TCPStateDisplay->setBrushColor(LampWidget::Silver);
}

void ConsoleWindowView::showState(ConsoleState state, ConsoleMode mode) {
    Ui::TFrmMain &u = m_ui;
    switch (state) {
    case ConsoleState::Opening:
        u.But_UDPFind->setEnabled(false);
        enableConsoleButtons(true);
        applyModeLayout(mode);
        break;
    case ConsoleState::Listening:
        // Stays "监听" and disabled until the first client or the time-out.
        u.But_TCPCtl->setEnabled(false);
        break;
    case ConsoleState::Connected:
        u.But_TCPCtl->setEnabled(true);
        showOpen();
        u.TCPStateDisplay->setBrushColor(LampWidget::Red);
        break;
    case ConsoleState::Connecting:
        showOpen();
        break;
    case ConsoleState::ClientOpen:
        u.TCPStateDisplay->setBrushColor(LampWidget::Red);
        break;
    case ConsoleState::UdpOpen:
        showOpen();
        u.TCPStateDisplay->setBrushColor(LampWidget::Red);
        break;
    case ConsoleState::ListenTimedOut:
        // Captions, lamp and the console's buttons stay as they are.
        u.But_UDPFind->setEnabled(true);
        u.But_TCPCtl->setEnabled(true);
        break;
    case ConsoleState::Dropped:
        showClosed(mode);
        break;
    case ConsoleState::Closed:
        showClosed(mode);
        u.But_UDPFind->setEnabled(true);
        enableConsoleButtons(false);
        break;
    }
}

void ConsoleWindowView::showClients(const QList<Peer> &clients) {
    QComboBox *addresses = m_ui.Cmb_RemoteIP;
    QComboBox *ports = m_ui.Cmb_RemotePort;
    for (QComboBox *list : {addresses, ports}) {
        while (list->count() > 1)
            list->removeItem(list->count() - 1);
    }
    for (const Peer &client : clients) {
        addresses->addItem(parameters::addressText(client.ip));
        ports->addItem(QString::number(client.port));
    }
    // The first client, or "NoConnect" when there is none.
    const int picked = clients.isEmpty() ? 0 : 1;
    addresses->setCurrentIndex(picked);
    ports->setCurrentIndex(picked);
}

void ConsoleWindowView::showRelay(int relay, LampState state) {
    if (relay >= 1 && relay <= int(m_relayLamps.size()))
        m_relayLamps[size_t(relay - 1)]->setBrushColor(colourOf(state));
}

void ConsoleWindowView::showInput(int input, LampState state) {
    if (input >= 1 && input <= int(m_inputLamps.size()))
        m_inputLamps[size_t(input - 1)]->setBrushColor(colourOf(state));
}

void ConsoleWindowView::showRelayTime(quint64 time) {
    m_ui.Edt_Time->setText(QString::number(time));
}

void ConsoleWindowView::appendTranscript(const QString &text) {
    m_ui.MemoTCPRec->appendText(text);
}

void ConsoleWindowView::clearTranscript() {
    m_ui.MemoTCPRec->clear();
}

void ConsoleWindowView::scrollTranscriptToBottom() {
    m_ui.MemoTCPRec->scrollToBottom();
}

bool ConsoleWindowView::transcriptEmpty() const {
    return m_ui.MemoTCPRec->isEmpty();
}

bool ConsoleWindowView::transcriptLastLineEmpty() const {
    return m_ui.MemoTCPRec->lastLineEmpty();
}

void ConsoleWindowView::warning(const QString &text) {
    QMessageBox box(QMessageBox::Critical, tr("Warning"), text, QMessageBox::Ok, m_dialogParent);
    box.exec();
}
