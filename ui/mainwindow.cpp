#include "mainwindow.h"

#include "clock.h"
#include "console.h"
#include "consolewindowview.h"
#include "lampwidget.h"
#include "parameters.h"
#include "sockettransport.h"
#include "transportrouter.h"
#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenuBar>
#include <QShowEvent>

namespace {

constexpr int ClientWidth = 876;
constexpr int ClientHeight = 579;

} // namespace

TFrmMain::TFrmMain(QWidget *parent)
    : TFrmMain(parent, Clock::system()) {}

TFrmMain::TFrmMain(QWidget *parent, Clock &clock)
    : QMainWindow(parent)
    , m_ui(new Ui::TFrmMain)
    , m_clock(clock) {
    m_ui->setupUi(this);

    // The layout is drawn in pixels for a narrow 8-point face; prefer such a
    // face where one exists, and one that has Chinese glyphs.
    QFont face = font();
    face.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    setFont(face);

    // Single border with system menu and minimise only: the layout is fixed
    // in pixels, so the window must neither grow nor shrink.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    centralWidget()->setFixedSize(ClientWidth, ClientHeight);
    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());

    connect(m_ui->But_Clear, &QPushButton::clicked, this, &TFrmMain::Button1Click);

    fillControlTables();
    setupNetwork();
    setupConfigSide();
    setupConsole();
    setupMenus();
    retranslate();
    FormCreate();
}

TFrmMain::~TFrmMain() {
    // The socket goes first: closing it raises events whose handlers use the
    // members below, which would otherwise already be gone.
    delete m_transport;
    m_transport = nullptr;
    delete m_ui;
}

void TFrmMain::fillControlTables() {
    Ui::TFrmMain &u = *m_ui;
    RelayBoxes = {u.CheckBox16, u.CheckBox1,  u.CheckBox2,  u.CheckBox3, u.CheckBox4,  u.CheckBox5,
                  u.CheckBox6,  u.CheckBox7,  u.CheckBox8,  u.CheckBox9, u.CheckBox10, u.CheckBox11,
                  u.CheckBox12, u.CheckBox13, u.CheckBox14, u.CheckBox15};
    // Shape7 sits under CheckBox4's caption and is no relay's lamp.
    RelayLamps = {u.Shape1,  u.Shape2,  u.Shape3,  u.Shape4,  u.Shape5,
                  u.Shape6,  u.Shape8,  u.Shape9,  u.Shape10, u.Shape11,
                  u.Shape12, u.Shape13, u.Shape14, u.Shape15, u.Shape16};
    // Slots follow the control numbers, not the captions: CheckBox21 (slot 5)
    // reads "Interface6" and CheckBox22 (slot 6) "Interface5".
    InputBoxes = {u.CheckBox31, u.CheckBox17, u.CheckBox18, u.CheckBox19, u.CheckBox20,
                  u.CheckBox21, u.CheckBox22, u.CheckBox23, u.CheckBox24, u.CheckBox25,
                  u.CheckBox26, u.CheckBox27, u.CheckBox28};
    InputLamps = {u.Shape17, u.Shape18, u.Shape19, u.Shape20, u.Shape21, u.Shape22,
                  u.Shape23, u.Shape24, u.Shape25, u.Shape26, u.Shape27, u.Shape28};

    for (size_t slot = 0; slot < RelayBoxes.size(); ++slot)
        RelayBoxes[slot]->setProperty("Tag", int(slot));
    for (size_t slot = 0; slot < InputBoxes.size(); ++slot)
        InputBoxes[slot]->setProperty("Tag", int(slot));
}

void TFrmMain::setupNetwork() {
    m_transport = new SocketTransport(this);
    m_router = new TransportRouter(*m_transport, this);
    m_ui->GroupBox2->setEnabled(true);
    m_ui->Edt_LocalIP->setText(SocketTransport::ownAddress());
}

void TFrmMain::AddInstructionLines() {
    // In the language in force when they are added; lines already in the
    // memo stay as they were written.
    static const char *const lines[] = {
        QT_TR_NOOP("操作说明："),
        QT_TR_NOOP("  1、搜索模块 按键：在TCP模式下可用，搜索到的模块将在左边的框内显示"),
        QT_TR_NOOP("  2、读参数 按键：将模块所有可读参数均读取出显示"),
        QT_TR_NOOP("  3、出厂设置 按键：将所有的参数恢复为出厂默认值"),
        QT_TR_NOOP("  4、一键写入 按键：将所有的参数写入到模块中"),
        QT_TR_NOOP("  5、每个参数都有独立的 查询 及 设置 的按键"),
    };
    for (const char *line : lines)
        m_ui->MemoInfo->appendPlainText(tr(line));
}

void TFrmMain::FormCreate() {
    AddInstructionLines();
    m_ui->MemoInfo->appendPlainText(tr("软件刚打开默认通讯方式为：UDP"));
    m_ui->MemoInfo->appendPlainText(QString());
    // Open on the instructions rather than on the empty last line.
    m_ui->MemoInfo->moveCursor(QTextCursor::Start);
    // The application's name is what the desktop shows for the program; the
    // display name is not used because it would be appended to every
    // message box caption.
    QCoreApplication::setApplicationName(windowTitle());
}

void TFrmMain::FormShow() {
    move(250, 80);
}

void TFrmMain::FormClose() {
    m_transport->close();
}

void TFrmMain::Button1Click() {
    m_ui->MemoInfo->clear();
}

void TFrmMain::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFrmMain::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        m_ui->retranslateUi(this);
        retranslate();
    }
}

void TFrmMain::retranslate() {
    m_adapterMenu->setTitle(tr("Network adapter"));
    retranslateLanguageMenu();
    m_consoleView->retranslate();
}

void TFrmMain::closeEvent(QCloseEvent *event) {
    FormClose();
    QMainWindow::closeEvent(event);
}
