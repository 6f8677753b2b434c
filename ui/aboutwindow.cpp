#include "aboutwindow.h"

#include "ui_aboutwindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QShowEvent>

TFrmAbout *FrmAbout = nullptr;

namespace {
// Outer size and place, frame included.
constexpr QRect OuterGeometry(587, 226, 345, 185);
} // namespace

void TFrmAbout::ShowOnce(const QString &settingsFile) {
    if (FrmAbout)
        return;
    FrmAbout = new TFrmAbout(settingsFile);
    FrmAbout->show();
}

TFrmAbout::TFrmAbout(const QString &settingsFile, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint)
    , m_ui(new Ui::TFrmAbout)
    , m_settingsFile(settingsFile) {
    m_ui->setupUi(this);
    retranslate();
    // The font family comes from the form; its height is in pixels, which the
    // form cannot express.
    QFont font = m_ui->Label1->font();
    font.setPixelSize(13);
    m_ui->Label1->setFont(font);
    setAttribute(Qt::WA_DeleteOnClose);
    // An about window left open must not keep the program running once the
    // main window has gone.
    setAttribute(Qt::WA_QuitOnClose, false);
}

TFrmAbout::~TFrmAbout() {
    if (FrmAbout == this)
        FrmAbout = nullptr;
    delete m_ui;
}

void TFrmAbout::retranslate() {
    m_ui->Label1->setText(m_ui->Label1->text() + QStringLiteral("\n\n") +
                          tr("Settings: %1").arg(QDir::toNativeSeparators(m_settingsFile)));
}

void TFrmAbout::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        m_ui->retranslateUi(this);
        retranslate();
    }
}

void TFrmAbout::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    // The frame's thickness is known only once the window is on screen; until
    // then the form's size stands for the whole window.
    const QMargins frame(geometry().left() - frameGeometry().left(),
                         geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(),
                         frameGeometry().bottom() - geometry().bottom());
    resize(OuterGeometry.width() - frame.left() - frame.right(),
           OuterGeometry.height() - frame.top() - frame.bottom());
    move(OuterGeometry.topLeft());
}

void TFrmAbout::closeEvent(QCloseEvent *event) {
    // Cleared at once, not when the deferred delete runs, so that "About"
    // right after closing already opens a new window.
    if (FrmAbout == this)
        FrmAbout = nullptr;
    QWidget::closeEvent(event);
}
