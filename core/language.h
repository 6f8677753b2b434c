#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>

class QCoreApplication;

// The language a program speaks to people. What goes on the wire and into
// files never depends on it.
namespace language {

enum class Choice {
    System, // from the system's locale
    Source, // the texts as written in the program, untranslated
    English,
    Chinese, // simplified Chinese
};

// "system", "source", "en", "zh_CN" (as on the command line and in settings).
QString code(Choice choice);
std::optional<Choice> fromCode(QStringView code);
// "en|zh_CN|source", for help texts and error messages.
QString codeList();

// What System means under locale: any Chinese locale gives Chinese, the C
// locale whatever the program shows when it knows nothing of the user
// (cLocale), every other locale English. Other choices stand as they are.
Choice resolve(Choice choice, const QLocale &locale, Choice cLocale);

// Puts the program's translation for choice in force (after resolving it
// under the system's locale) in place of any earlier one, together with
// Qt's own translation for its dialogs where the system has it. Returns the
// choice in force. Widgets learn of the change by a LanguageChange event.
Choice apply(QCoreApplication &app, Choice choice, Choice cLocale);

// The --lang value of argv, looked for before the application object reads
// the command line; nullopt when absent. error is set for an unknown value.
std::optional<Choice> fromArguments(int argc, char *argv[], QString *error);

} // namespace language
