#include "language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <array>
#include <memory>
#include <string_view>

namespace language {

namespace {

struct Name {
    Choice choice;
    const char16_t *code;
};

constexpr std::array<Name, 4> Names{{{Choice::System, u"system"},
                                     {Choice::Source, u"source"},
                                     {Choice::English, u"en"},
                                     {Choice::Chinese, u"zh_CN"}}};

// The translators in force; replaced whole on each change.
struct Installed {
    std::unique_ptr<QTranslator> program;
    std::unique_ptr<QTranslator> qt;
};

Installed &installed() {
    static Installed translators;
    return translators;
}

void remove(QCoreApplication &app, std::unique_ptr<QTranslator> &translator) {
    if (translator)
        app.removeTranslator(translator.get());
    translator.reset();
}

std::unique_ptr<QTranslator> load(const QString &name, const QString &folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(name, folder))
        return nullptr;
    return translator;
}

} // namespace

QString code(Choice choice) {
    for (const Name &name : Names)
        if (name.choice == choice)
            return QString::fromUtf16(name.code);
    return {};
}

std::optional<Choice> fromCode(QStringView text) {
    for (const Name &name : Names)
        if (text == QStringView(name.code))
            return name.choice;
    return std::nullopt;
}

QString codeList() {
    return QStringLiteral("en|zh_CN|source");
}

Choice resolve(Choice choice, const QLocale &locale, Choice cLocale) {
    if (choice != Choice::System)
        return choice;
    if (locale.language() == QLocale::Chinese)
        return Choice::Chinese;
    if (locale.language() == QLocale::C)
        return cLocale;
    return Choice::English;
}

Choice apply(QCoreApplication &app, Choice choice, Choice cLocale) {
    const Choice inForce = resolve(choice, QLocale::system(), cLocale);
    Installed &now = installed();
    remove(app, now.program);
    remove(app, now.qt);
    if (inForce == Choice::Source || inForce == Choice::System)
        return Choice::Source;
    // Embedded in the program, so a package cannot lose them.
    now.program = load(QStringLiteral("ostrel_") + code(inForce), QStringLiteral(":/i18n"));
    if (inForce == Choice::Chinese) {
        // Qt's buttons and standard dialogs: the system's copy, else one
        // shipped beside the program (Windows).
        now.qt = load(QStringLiteral("qtbase_zh_CN"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        if (!now.qt)
            now.qt = load(QStringLiteral("qtbase_zh_CN"),
                          QCoreApplication::applicationDirPath() + QStringLiteral("/translations"));
    }
    if (now.qt)
        app.installTranslator(now.qt.get());
    if (now.program)
        app.installTranslator(now.program.get());
    return inForce;
}

std::optional<Choice> fromArguments(int argc, char *argv[], QString *error) {
    std::optional<Choice> found;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        std::string_view value;
        if (argument == "--lang" && i + 1 < argc)
            value = argv[++i];
        else if (argument.starts_with("--lang="))
            value = argument.substr(7);
        else if (argument == "--")
            break;
        else
            continue;
        const QString text = QString::fromLocal8Bit(value.data(), qsizetype(value.size()));
        found = fromCode(text);
        if (!found) {
            if (error)
                *error = QStringLiteral("unknown language \"%1\" (use %2)").arg(text, codeList());
            return std::nullopt;
        }
    }
    return found;
}

} // namespace language
