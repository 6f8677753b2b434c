// Settings file and menus of the main window.
#include "mainwindow.h"

#include "aboutwindow.h"
#include "configprotocol.h"
#include "settings.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QTextBlock>

namespace {

const QString LanguageKey = QStringLiteral("Language");

// The window's caption for the boxes of the settings file.
QString noticeCaption() {
    return TFrmMain::tr("提示");
}

// The menu's shortcuts are the program's own: in an editable combo box or a
// memo the platform may bind the same keys to text editing (Ctrl+D deletes a
// character on X11), which would swallow "Restore settings" exactly where it
// is most used. The guard turns such overrides down for the menu's keys,
// inside its window only.
class MenuShortcutGuard : public QObject {
public:
    MenuShortcutGuard(QWidget *window, QList<QAction *> actions)
        : QObject(window)
        , m_window(window)
        , m_actions(std::move(actions)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::ShortcutOverride)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->window() != m_window)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction *action : m_actions) {
            if (action->isEnabled() && action->shortcut() == pressed)
                return true; // unaccepted, so the shortcut goes to the menu
        }
        return false;
    }

private:
    QWidget *m_window;
    QList<QAction *> m_actions;
};

} // namespace

void TFrmMain::setupMenus() {
    m_settingsPath = settings::defaultFilePath();
    connect(m_ui->N10, &QAction::triggered, this, &TFrmMain::N10Click);
    connect(m_ui->N11, &QAction::triggered, this, &TFrmMain::N11Click);
    connect(m_ui->N12, &QAction::triggered, this, &TFrmMain::N12Click);
    connect(m_ui->N3, &QAction::triggered, this, &TFrmMain::N3Click);
    connect(m_ui->N4, &QAction::triggered, this, &TFrmMain::N4Click);
    qApp->installEventFilter(new MenuShortcutGuard(this, {m_ui->N10, m_ui->N11, m_ui->N12}));

    // Listed afresh each time it opens: adapters come and go (a cable, a VPN).
    auto *adapters = new QMenu(m_ui->MainMenu1);
    adapters->setObjectName(QStringLiteral("MenuAdapter"));
    m_ui->MainMenu1->insertMenu(m_ui->N3, adapters);
    connect(adapters, &QMenu::aboutToShow, this, [this, adapters] { fillAdapterMenu(adapters); });
    m_adapterMenu = adapters;
    setupLanguageMenu();
}

void TFrmMain::setupLanguageMenu() {
    // Named in both languages, so that whoever cannot read the one in force
    // still finds it; the languages are named in their own.
    m_languageMenu = new QMenu(QStringLiteral("Language / 语言"), m_ui->MainMenu1);
    m_languageMenu->setObjectName(QStringLiteral("MenuLanguage"));
    m_ui->MainMenu1->insertMenu(m_ui->N3, m_languageMenu);
    auto *group = new QActionGroup(m_languageMenu);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    using language::Choice;
    const std::pair<Choice, QString> items[] = {
        {Choice::System, QStringLiteral("LanguageSystem")},
        {Choice::English, QStringLiteral("LanguageEnglish")},
        {Choice::Chinese, QStringLiteral("LanguageChinese")},
    };
    for (const auto &[choice, name] : items) {
        QAction *action = m_languageMenu->addAction(QString());
        action->setObjectName(name);
        action->setCheckable(true);
        action->setData(int(choice));
        action->setActionGroup(group);
        connect(action, &QAction::triggered, this, [this, choice] { chooseLanguage(choice); });
    }
    showLanguageChoice(savedLanguageChoice(m_settingsPath));
}

void TFrmMain::retranslateLanguageMenu() {
    const auto actions = m_languageMenu->actions();
    for (QAction *action : actions) {
        switch (language::Choice(action->data().toInt())) {
        case language::Choice::System:
            action->setText(tr("System"));
            break;
        case language::Choice::English:
            action->setText(QStringLiteral("English"));
            break;
        case language::Choice::Chinese:
            action->setText(QStringLiteral("简体中文"));
            break;
        case language::Choice::Source:
            break;
        }
    }
}

language::Choice TFrmMain::savedLanguageChoice(const QString &settingsFile) {
    return language::fromCode(settings::ReadSetting(settingsFile, LanguageKey))
        .value_or(language::Choice::System);
}

void TFrmMain::showLanguageChoice(language::Choice choice) {
    const auto actions = m_languageMenu->actions();
    for (QAction *action : actions)
        action->setChecked(language::Choice(action->data().toInt()) == choice);
}

void TFrmMain::chooseLanguage(language::Choice choice) {
    // The window speaks the new language at once (a LanguageChange event);
    // the file keeps the choice for the next start.
    language::apply(*qApp, choice, language::Choice::Source);
    showLanguageChoice(choice);
    const settings::SaveResult result =
        settings::WriteSetting(m_settingsPath, LanguageKey, language::code(choice));
    if (!result.ok)
        QMessageBox::critical(this, noticeCaption(), result.message);
}

void TFrmMain::fillAdapterMenu(QMenu *menu) {
    menu->clear();
    auto *group = new QActionGroup(menu);
    const QString chosen = m_config->searchAdapter();
    const auto add = [&](const QString &text, const QString &name) {
        QAction *action = menu->addAction(text);
        action->setObjectName(name.isEmpty() ? QStringLiteral("AdapterAll")
                                             : QStringLiteral("Adapter_") + name);
        action->setCheckable(true);
        action->setChecked(name == chosen);
        action->setActionGroup(group);
        connect(action, &QAction::triggered, this, [this, name] {
            m_config->setSearchAdapter(name);
            showComputerIP();
        });
        return action;
    };
    add(tr("All adapters"), {});
    menu->addSeparator();
    QStringList listed;
    const QList<NetworkAdapter> adapters = m_config->adapterSource().adapters();
    for (const NetworkAdapter &adapter : adapters) {
        // An adapter is searched from each of its addresses; a further
        // address may also be picked alone.
        if (listed.contains(adapter.name)) {
            add(tr("%1 only").arg(adapter.label()), adapter.addressText());
            listed << adapter.addressText();
            continue;
        }
        listed << adapter.name;
        add(adapter.label(), adapter.name);
    }
    // A choice restored from the file, or an adapter unplugged since: it is
    // still the choice, and the search says it cannot go out.
    if (!chosen.isEmpty() && !listed.contains(chosen))
        add(tr("%1 (not available)").arg(chosen), chosen)->setEnabled(false);
}

void TFrmMain::N10Click() {
    // No combo box being restored may hold the focus (and a selection in its
    // edit text) while its item changes.
    m_ui->MemoInfo->setFocus();
    LoadSettings();
}

void TFrmMain::N11Click() {
    SaveSettings();
}

void TFrmMain::N12Click() {
    // Ends the event loop at once, whatever is running; the socket is closed
    // here because the close handler does not run on this path.
    FormClose();
    QCoreApplication::exit(0);
}

void TFrmMain::N3Click() {
    QPlainTextEdit *memo = m_ui->MemoInfo;
    // An empty memo still holds one (empty) block, which the first line fills.
    const int firstNewLine = memo->document()->isEmpty() ? 0 : memo->blockCount();
    AddInstructionLines();
    memo->appendPlainText(QString());
    // Scroll so the instructions are read from their first line.
    QTextCursor cursor(memo->document()->findBlockByNumber(firstNewLine));
    memo->setTextCursor(cursor);
    memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
    memo->ensureCursorVisible();
}

void TFrmMain::N4Click() {
    TFrmAbout::ShowOnce(m_settingsPath);
}

void TFrmMain::SaveSettings() {
    ParameterSettings values = parameterFields();
    values.Adapter = m_config->searchAdapter();
    const settings::SaveResult result = settings::saveSettings(m_settingsPath, values);
    if (!result.ok)
        QMessageBox::critical(this, noticeCaption(), result.message);
}

void TFrmMain::LoadSettings() {
    ParameterSettings current = parameterFields();
    current.Adapter = m_config->searchAdapter();
    const settings::LoadResult result = settings::loadSettings(m_settingsPath, current);
    showParameterFields(result.values);
    m_config->setSearchAdapter(result.values.Adapter);
    showComputerIP();
    if (!result.message.isEmpty())
        QMessageBox::warning(this, noticeCaption(), result.message);
}
