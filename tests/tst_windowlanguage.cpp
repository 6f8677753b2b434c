// The window in each language: every text of the main window, its menus,
// the about window and the message boxes it raises is in the language in
// force, a change of language rewords all of it at once, and every text fits
// its control at a geometry that is the same in every language.
#include "aboutwindow.h"
#include "boxwatcher.h"
#include "clock.h"
#include "configprotocol.h"
#include "formaccess.h"
#include "language.h"
#include "languagecheck.h"
#include "mainwindow.h"
#include "moduletable.h"
#include "settings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <map>
#include <memory>

using language::Choice;
using namespace Qt::StringLiterals;

namespace {

// One text the user sees, where it is shown, and the parts of it that are
// values (an adapter's name, a file's path) rather than words.
struct Shown {
    QString where;
    QString text;
    QStringList values = {};
};

bool operator==(const Shown &a, const Shown &b) {
    return a.where == b.where && a.text == b.text;
}

// For QCOMPARE's report of a difference.
char *toString(const Shown &shown) {
    return QTest::toString(shown.where + u": "_s + shown.text);
}

QString withoutValues(const Shown &shown) {
    QString text = shown.text;
    for (const QString &value : shown.values)
        text.remove(value);
    return text;
}

// The menu that names the languages names each in its own.
bool namesLanguages(const Shown &shown) {
    return shown.where.startsWith(u"MenuLanguage"_s) || shown.text == u"Language / 语言"_s;
}

// Words of the English sources that stay English in Chinese: product and
// protocol names, and the one menu named in both languages.
QString untranslatedEnglish(const QString &text) {
    static const QRegularExpression word(u"[A-Za-z]{2,}"_s);
    static const QStringList kept = {u"TCP"_s,  u"UDP"_s,    u"IP"_s,      u"MAC"_s,
                                     u"DHCP"_s, u"Ostrel"_s, u"Brenmoor"_s};
    for (auto match = word.globalMatch(text); match.hasNext();) {
        const QString found = match.next().captured();
        if (!kept.contains(found))
            return found;
    }
    return {};
}

// Parts of other controls, menus (walked on their own), and the form's
// hidden link, which no state of the window shows.
bool neverShown(const QWidget *widget) {
    const QString name = widget->objectName();
    return name.isEmpty() || name.startsWith(u"qt_"_s) || qobject_cast<const QMenu *>(widget) ||
           name == u"RzURLLabel1"_s;
}

// The texts of the window's controls, menus and tool tips, by control.
QList<Shown> windowTexts(TFrmMain &window, const QStringList &values) {
    QList<Shown> texts{{u"window"_s, window.windowTitle()}};
    const auto add = [&](const QString &where, const QString &text) {
        if (!text.isEmpty())
            texts.append({where, text, values});
    };
    for (QWidget *widget : window.findChildren<QWidget *>()) {
        const QString name = widget->objectName();
        if (neverShown(widget))
            continue;
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            add(name, button->text());
        else if (auto *label = qobject_cast<QLabel *>(widget))
            add(name, label->text());
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            add(name, group->title());
        else if (auto *combo = qobject_cast<QComboBox *>(widget))
            for (int i = 0; i < combo->count(); ++i)
                add(name + u"["_s + QString::number(i) + u"]"_s, combo->itemText(i));
        add(name + u".toolTip"_s, widget->toolTip());
    }
    for (QAction *action : window.menuBar()->actions())
        add(u"menu bar"_s, action->text());
    for (QMenu *menu : window.findChildren<QMenu *>()) {
        // Filled as they open, as the adapter menu is.
        emit menu->aboutToShow();
        for (QAction *action : menu->actions()) {
            if (!action->isSeparator())
                add(menu->objectName() + u"/"_s + action->objectName(), action->text());
        }
    }
    // The receive pane's own menu, read while it is open.
    auto *transcript = control<QWidget>(window, "MemoTCPRec");
    QTimer::singleShot(0, &window, [&] {
        if (auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *action : popup->actions())
                add(u"MemoTCPRec menu"_s, action->text());
            popup->close();
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            transcript->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(transcript, &event);

    TFrmAbout about(window.settingsPath());
    add(u"about window"_s, about.windowTitle());
    for (const QLabel *label : about.findChildren<QLabel *>())
        add(u"about "_s + label->objectName(), label->text());
    return texts;
}

// Every control with a name, where it lies in the window, and whether it is
// shown. The menu bar's titles are sized to their words, so only the bar
// itself is placed.
std::map<QString, std::pair<QRect, bool>> geometries(TFrmMain &window) {
    std::map<QString, std::pair<QRect, bool>> places;
    places[u"window"_s] = {QRect(QPoint(), window.size()), true};
    for (QWidget *widget : window.findChildren<QWidget *>()) {
        if (widget->objectName().isEmpty() || qobject_cast<QMenu *>(widget))
            continue;
        places[widget->objectName()] = {QRect(widget->mapTo(&window, QPoint()), widget->size()),
                                        widget->isVisibleTo(&window)};
    }
    return places;
}

// How wide each text may be in its control: the room the style leaves for
// it (for a combo box, the field its items are shown in).
struct Room {
    QString where;
    QString text;
    int width;      // the text's width in its control's font
    int room;       // the width the control leaves for it
    int height = 0; // wrapped texts: the height they need and have
    int roomHeight = 0;
};

QList<Room> rooms(QWidget &window) {
    QList<Room> found;
    for (QWidget *widget : window.findChildren<QWidget *>()) {
        const QString name = widget->objectName();
        if (neverShown(widget))
            continue;
        const QFontMetrics metrics = widget->fontMetrics();
        const auto add = [&](const QString &text, int room) {
            if (!text.isEmpty())
                found.append({name, text, metrics.horizontalAdvance(text), room});
        };
        QStyle *style = widget->style();
        if (auto *check = qobject_cast<QCheckBox *>(widget)) {
            QStyleOptionButton option;
            option.initFrom(check);
            option.text = check->text();
            add(check->text(),
                style->subElementRect(QStyle::SE_CheckBoxContents, &option, check).width());
        } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            add(button->text(),
                style->subElementRect(QStyle::SE_PushButtonContents, &option, button).width());
        } else if (auto *label = qobject_cast<QLabel *>(widget)) {
            const QRect room = label->contentsRect();
            if (label->wordWrap()) {
                const QRect need = metrics.boundingRect(
                    room, int(label->alignment()) | Qt::TextWordWrap, label->text());
                found.append({name, label->text(), need.width(), room.width(), need.height(),
                              room.height()});
            } else {
                for (const QString &line : label->text().split(u'\n'))
                    add(line, room.width());
            }
        } else if (auto *group = qobject_cast<QGroupBox *>(widget)) {
            QStyleOptionGroupBox option;
            option.initFrom(group);
            option.text = group->title();
            option.subControls = QStyle::SC_GroupBoxLabel;
            const QRect title = style->subControlRect(QStyle::CC_GroupBox, &option,
                                                      QStyle::SC_GroupBoxLabel, group);
            add(group->title(), group->width() - title.left());
        } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.editable = combo->isEditable();
            const QRect field = style->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxEditField, combo);
            // An editable box shows its item in a line edit, which keeps a
            // margin of its own on either side.
            const int margins = combo->isEditable() ? 4 : 0;
            for (int i = 0; i < combo->count(); ++i)
                add(combo->itemText(i), field.width() - margins);
        }
    }
    return found;
}

} // namespace

class TstWindowLanguage : public QObject {
    Q_OBJECT

    ManualClock m_clock;
    QTemporaryDir m_dir;

    QString settingsPath() const { return m_dir.filePath(u"CFG.ini"_s); }

    std::unique_ptr<TFrmMain> openWindow() {
        auto window = std::make_unique<TFrmMain>(nullptr, m_clock);
        window->setSettingsPath(settingsPath());
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            return nullptr;
        return window;
    }

    // The values the walk may meet: the settings file and an adapter the
    // file names that this computer does not have.
    QStringList values() const { return {QDir::toNativeSeparators(settingsPath()), u"eth9"_s}; }

    // Every box the window raises, by the paths that raise it: an input
    // error and a protocol event of the configuration side, a warning of the
    // console, and the settings file that can neither be written nor read.
    // A window of their own, since they leave the console half open.
    void raiseBoxes(QList<Shown> &shown) {
        auto opened = openWindow();
        QVERIFY(opened);
        TFrmMain &window = *opened;
        BoxWatcher watcher;
        ModuleTable &modules = window.findChild<ConfigProtocol *>()->modules();
        modules.clear();
        auto *list = control<QListWidget>(window, "ListBoxIP");
        list->addItem(modules.add(0xC701A8C0u, 5000, "02:00:c0:a8:01:c7", {}));
        control<QPushButton>(window, "But_Read")->click(); // no module picked
        list->setCurrentRow(0);                            // read over a network never opened
        m_clock.advance(30);
        QTRY_COMPARE(watcher.boxes.size(), 2);
        modules.clear();
        list->clear();

        control<QLineEdit>(window, "Edt_LocalPort")->setText(u"x"_s);
        control<QPushButton>(window, "But_TCPCtl")->click();
        QTRY_COMPARE(watcher.boxes.size(), 3);
        control<QLineEdit>(window, "Edt_LocalPort")->setText(u"6000"_s);

        // A folder where the file should be: neither saved nor restored.
        const QString folder = m_dir.filePath(u"folder"_s);
        QDir().mkpath(folder);
        window.setSettingsPath(folder);
        control<QAction>(window, "N11")->trigger();
        control<QAction>(window, "N10")->trigger();
        QTRY_COMPARE(watcher.boxes.size(), 5);
        window.setSettingsPath(settingsPath());

        for (const BoxWatcher::Box &box : std::as_const(watcher.boxes)) {
            const QString where = u"box "_s + QString::number(&box - watcher.boxes.data());
            shown.append({where + u" caption"_s, box.caption});
            shown.append({where + u" text"_s, box.text, values() << folder});
            for (const QString &button : box.buttonTexts)
                shown.append({where + u" button"_s, button});
        }
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        // The adapter the file names is no adapter of this computer.
        ParameterSettings saved;
        saved.Adapter = u"eth9"_s;
        QVERIFY(settings::saveSettings(settingsPath(), saved).ok);
    }

    void cleanupTestCase() { language::apply(*qApp, Choice::Source, Choice::Source); }

    // Each language from a fresh window: what the walk finds; then one
    // window switched through the languages finds the same, so a change of
    // language rewords everything and switching back to the sources gives
    // back exactly the texts of a window that never saw a translation.
    void everyTextInTheLanguageInForce() {
        const Choice order[] = {Choice::Source, Choice::English, Choice::Chinese};
        std::map<Choice, QList<Shown>> fresh;
        std::map<Choice, QStringList> memo;
        std::map<Choice, QList<Shown>> boxes;
        for (const Choice choice : order) {
            language::apply(*qApp, choice, Choice::Source);
            auto window = openWindow();
            QVERIFY(window);
            control<QAction>(*window, "N10")->trigger(); // names the missing adapter
            memo[choice] = control<QPlainTextEdit>(*window, "MemoInfo")->toPlainText().split(u'\n');
            fresh[choice] = windowTexts(*window, values());
            raiseBoxes(boxes[choice]);
            if (QTest::currentTestFailed())
                return;
            QCOMPARE(boxes[choice].size(), 5 * 3 + 1); // caption, text, OK; one Cancel
        }

        for (const Choice choice : {Choice::English, Choice::Chinese}) {
            QList<Shown> all = fresh[choice] + boxes[choice];
            for (const QString &line : std::as_const(memo[choice]))
                all.append({u"MemoInfo"_s, line});
            int checked = 0;
            QStringList wrong;
            for (const Shown &shown : std::as_const(all)) {
                if (namesLanguages(shown))
                    continue;
                const QString text = withoutValues(shown);
                const QString where =
                    language::code(choice) + u": "_s + shown.where + u": "_s + shown.text;
                if (choice == Choice::English ? languagecheck::hasChinese(text)
                                              : !untranslatedEnglish(text).isEmpty())
                    wrong << where;
                ++checked;
            }
            QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
            QVERIFY(checked > 150);
        }
        // Qt's own buttons speak the language too.
        const auto buttons = [&](Choice choice) {
            QStringList found;
            for (const Shown &shown : std::as_const(boxes[choice]))
                if (shown.where.endsWith(u" button"_s))
                    found << shown.text;
            found.removeDuplicates();
            found.sort();
            return found;
        };
        QCOMPARE(buttons(Choice::Source), (QStringList{u"Cancel"_s, u"OK"_s}));
        QCOMPARE(buttons(Choice::English), buttons(Choice::Source));
        QCOMPARE(buttons(Choice::Chinese), (QStringList{u"取消"_s, u"确定"_s}));

        language::apply(*qApp, Choice::Source, Choice::Source);
        auto window = openWindow();
        QVERIFY(window);
        control<QAction>(*window, "N10")->trigger();
        const auto *memoInfo = control<QPlainTextEdit>(*window, "MemoInfo");
        const QString memoBefore = memoInfo->toPlainText();
        // What the user typed or a module answered is no text to reword.
        const QList<QLineEdit *> fields = window->findChildren<QLineEdit *>();
        QStringList typed;
        for (QLineEdit *field : fields) {
            if (qobject_cast<QComboBox *>(field->parentWidget()))
                continue; // a list's field shows its item, in the language in force
            field->setText(u"value "_s + QString::number(typed.size()));
            typed << field->text();
        }
        for (const Choice choice : {Choice::English, Choice::Chinese, Choice::Source}) {
            language::apply(*qApp, choice, Choice::Source);
            QCoreApplication::processEvents(); // the LanguageChange events are posted
            QCOMPARE(windowTexts(*window, values()), fresh[choice]);
            // Lines already written stay as they were.
            QCOMPARE(memoInfo->toPlainText(), memoBefore);
            QStringList kept;
            for (const QLineEdit *field : fields)
                if (!qobject_cast<QComboBox *>(field->parentWidget()))
                    kept << field->text();
            QCOMPARE(kept, typed);
        }
    }

    // The language menu puts its choice in force at once and keeps it in the
    // settings file under a key of its own, which the parameters leave alone.
    void languageMenuChoosesAndKeeps() {
        language::apply(*qApp, Choice::Source, Choice::Source);
        auto window = openWindow();
        QVERIFY(window);
        const auto *menu = control<QMenu>(*window, "MenuLanguage");
        QCOMPARE(menu->title(), u"Language / 语言"_s);
        auto *english = control<QAction>(*window, "LanguageEnglish");
        auto *chinese = control<QAction>(*window, "LanguageChinese");
        auto *system = control<QAction>(*window, "LanguageSystem");
        const auto checked = [&] {
            return QList<bool>{system->isChecked(), english->isChecked(), chinese->isChecked()};
        };
        chinese->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(control<QPushButton>(*window, "But_UDPFind")->text(), u"搜索模块"_s);
        QCOMPARE(settings::ReadSetting(settingsPath(), u"Language"_s), u"zh_CN"_s);
        QCOMPARE(TFrmMain::savedLanguageChoice(settingsPath()), Choice::Chinese);
        QCOMPARE(checked(), (QList<bool>{false, false, true}));
        // Saving the parameters keeps the choice.
        control<QAction>(*window, "N11")->trigger();
        QCOMPARE(settings::ReadSetting(settingsPath(), u"Language"_s), u"zh_CN"_s);

        english->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(control<QPushButton>(*window, "But_TCPCtl")->text(), u"Open"_s);
        QCOMPARE(checked(), (QList<bool>{false, true, false}));
        // A new window shows the kept choice checked.
        auto next = std::make_unique<TFrmMain>(nullptr, m_clock);
        next->setSettingsPath(settingsPath());
        next->showLanguageChoice(TFrmMain::savedLanguageChoice(settingsPath()));
        QVERIFY(control<QAction>(*next, "LanguageEnglish")->isChecked());

        system->trigger();
        QCOMPARE(TFrmMain::savedLanguageChoice(settingsPath()), Choice::System);
        QCOMPARE(checked(), (QList<bool>{true, false, false}));
        language::apply(*qApp, Choice::Source, Choice::Source);
    }

    // The same place for every control in every language, and room in it
    // for every text in English and in Chinese.
    void everyTextFitsItsControl() {
        std::map<QString, std::pair<QRect, bool>> sourcePlaces;
        for (const Choice choice : {Choice::Source, Choice::English, Choice::Chinese}) {
            language::apply(*qApp, choice, Choice::Source);
            auto window = openWindow();
            QVERIFY(window);
            const auto places = geometries(*window);
            if (choice == Choice::Source)
                sourcePlaces = places;
            for (const auto &[name, place] : places) {
                QVERIFY2(sourcePlaces.count(name), qPrintable(name));
                QVERIFY2(sourcePlaces[name] == place,
                         qPrintable(language::code(choice) + u": "_s + name));
            }
            QCOMPARE(places.size(), sourcePlaces.size());
            if (choice == Choice::Source)
                continue; // the texts as written are not this test's to change

            // Every menu of the bar is on it, none moved to an overflow.
            for (QAction *action : window->menuBar()->actions())
                QVERIFY(
                    window->menuBar()->rect().contains(window->menuBar()->actionGeometry(action)));
            TFrmAbout about(window->settingsPath());
            about.show();
            QVERIFY(QTest::qWaitForWindowExposed(&about));
            const QList<Room> found = rooms(*window) + rooms(about);
            QStringList tooWide;
            for (const Room &room : found) {
                const QString where = QStringLiteral("%1: %2 \"%3\": %4 wide, room %5")
                                          .arg(language::code(choice), room.where, room.text)
                                          .arg(room.width)
                                          .arg(room.room);
                if (room.width > room.room || room.height > room.roomHeight)
                    tooWide << where;
            }
            QVERIFY2(tooWide.isEmpty(), qPrintable(tooWide.join(u'\n')));
            QVERIFY(found.size() > 120); // a walk that finds nothing checks nothing
        }
        language::apply(*qApp, Choice::Source, Choice::Source);
    }
};

QTEST_MAIN(TstWindowLanguage)
#include "tst_windowlanguage.moc"
