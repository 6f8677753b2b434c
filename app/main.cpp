#include "aboutwindow.h"
#include "application.h"
#include "buildinfo.h"
#include "language.h"
#include "mainwindow.h"
#include "settings.h"
#include "singleinstance.h"

#include <QCommandLineParser>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const char16_t InstanceName[] = u"Brenmoor设置软件";

void report(const QString &line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

// For unattended runs: after ms milliseconds, close whatever message box is
// open (saying which, so a caller can check it) and every window, then leave
// the event loop. The window closes as if the user had closed it.
void quitAfter(int ms) {
    QTimer::singleShot(ms, qApp, [] {
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *widget : windows) {
            if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
                report(QStringLiteral("ostrel: message box \"%1\": %2")
                           .arg(box->windowTitle(), box->text()));
        }
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
}

// The box a second copy of the program shows before it ends.
std::unique_ptr<QMessageBox> alreadyRunningBox() {
    return std::make_unique<QMessageBox>(QMessageBox::NoIcon, QStringLiteral("Brenmoor"),
                                         QCoreApplication::translate("ostrel", "程序已经运行!"),
                                         QMessageBox::Ok);
}

// --lang, else the choice kept in the settings file, else the system's
// locale; the C locale shows the texts as written. Needs the application
// object (the settings file lies beside the program).
language::Choice putLanguageInForce(std::optional<language::Choice> asked) {
    const language::Choice choice =
        asked.value_or(TFrmMain::savedLanguageChoice(settings::defaultFilePath()));
    language::apply(*QCoreApplication::instance(), choice, language::Choice::Source);
    return choice;
}

// The options; help and version come from the parser itself. Worded in the
// language in force when it is made.
struct CommandLine {
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();
    QCommandLineOption quitAfter{
        QStringLiteral("quit-after"),
        tr("Close message boxes and the window after <ms> milliseconds and exit; "
           "prints \"ostrel: running\" once the window is shown (for automated runs)."),
        QStringLiteral("ms")};
    QCommandLineOption screenshot{QStringLiteral("screenshot"),
                                  tr("Save a picture of the main window to <file> and exit."),
                                  QStringLiteral("file")};
    QCommandLineOption screenshotAbout{QStringLiteral("screenshot-about"),
                                       tr("Save a picture of the about window to <file> and exit."),
                                       QStringLiteral("file")};
    QCommandLineOption screenshotBox{
        QStringLiteral("screenshot-box"),
        tr("Save a picture of the message box a second copy of the program shows to <file> "
           "and exit."),
        QStringLiteral("file")};
    QCommandLineOption lang{QStringLiteral("lang"),
                            tr("The language of the window: en, zh_CN or source (the texts as "
                               "written). Default: the choice of the Language menu, else the "
                               "system's locale."),
                            QStringLiteral("language")};

    CommandLine() {
        parser.setApplicationDescription(
            tr("Finds, configures and exercises networked relay modules."));
        for (const QCommandLineOption *option :
             {&quitAfter, &screenshot, &screenshotAbout, &screenshotBox, &lang})
            parser.addOption(*option);
    }

    // Prints the help or the version and ends the process when asked for.
    // Printed here rather than by the parser: on Windows the parser puts them
    // into a message box when the program has no console of its own, which a
    // windowed program never has, so a script would neither see nor end it.
    void answerHelpOrVersion() {
        QString text;
        if (parser.isSet(help))
            text = parser.helpText();
        else if (parser.isSet(version))
            text = QCoreApplication::applicationName() + QLatin1Char(' ') +
                   QCoreApplication::applicationVersion() + QLatin1Char('\n');
        else
            return;
        std::fputs(qPrintable(text), stdout);
        std::fflush(stdout);
        std::exit(0);
    }
};

// Help and version are answered before the GUI starts, so that they work
// without a display (in a terminal, or for the manual pages at build time).
bool mentionsHelpOrVersion(int argc, char *argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-h" || argument == "-?" || argument == "--help" ||
            argument == "--help-all" || argument == "-v" || argument == "--version")
            return true;
    }
    return false;
}

bool savePicture(QWidget &widget, const QString &file) {
    QCoreApplication::processEvents();
    if (widget.grab().save(file))
        return true;
    report(QStringLiteral("ostrel: cannot write %1").arg(file));
    return false;
}

// The pictures asked for on the command line; false when one could not be
// written.
bool savePictures(const CommandLine &commandLine, TFrmMain &window) {
    const QCommandLineParser &parser = commandLine.parser;
    if (parser.isSet(commandLine.screenshot) &&
        !savePicture(window, parser.value(commandLine.screenshot)))
        return false;
    if (parser.isSet(commandLine.screenshotAbout)) {
        TFrmAbout::ShowOnce(window.settingsPath());
        if (!savePicture(*FrmAbout, parser.value(commandLine.screenshotAbout)))
            return false;
    }
    if (parser.isSet(commandLine.screenshotBox)) {
        const std::unique_ptr<QMessageBox> box = alreadyRunningBox();
        box->show();
        if (!savePicture(*box, parser.value(commandLine.screenshotBox)))
            return false;
    }
    return true;
}

int run(language::Choice languageChoice, const QString &languageError) {
    CommandLine commandLine;
    const QCommandLineParser &parser = commandLine.parser;
    const QCommandLineOption &quitOption = commandLine.quitAfter;
    const QCommandLineOption &screenshotOption = commandLine.screenshot;
    // The program ends with exit code 0 whatever happens, a wrong command line
    // included; it says what is wrong and does not start.
    if (!commandLine.parser.parse(QCoreApplication::arguments()) || !languageError.isEmpty()) {
        const QString error = languageError.isEmpty() ? parser.errorText() : languageError;
        std::fputs(qPrintable(QStringLiteral("ostrel: %1\n\n%2").arg(error, parser.helpText())),
                   stderr);
        return 0;
    }
    commandLine.answerHelpOrVersion();

    if (parser.isSet(quitOption)) {
        bool ok = false;
        const int ms = parser.value(quitOption).toInt(&ok);
        if (!ok || ms < 0) {
            report(QStringLiteral("ostrel: --quit-after needs a number of milliseconds"));
            return 2;
        }
        quitAfter(ms);
    }

    SingleInstanceGuard guard(QString::fromUtf16(InstanceName));
    if (guard.alreadyRunning()) {
        alreadyRunningBox()->exec();
        return 0;
    }

    TFrmMain window;
    window.showLanguageChoice(languageChoice);
    window.show();

    if (parser.isSet(screenshotOption) || parser.isSet(commandLine.screenshotAbout) ||
        parser.isSet(commandLine.screenshotBox))
        return savePictures(commandLine, window) ? 0 : 1;
    if (parser.isSet(quitOption))
        report(QStringLiteral("ostrel: running"));

    OstrelApplication::exec();
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
#ifdef _WIN32
    // A windowed program started from a console gets no standard output;
    // borrowing the console lets --help, --version and the unattended runs'
    // lines reach it. Output already redirected (a pipe, a file) is kept.
    if (!GetStdHandle(STD_OUTPUT_HANDLE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        (void)std::freopen("CONOUT$", "w", stdout);
        (void)std::freopen("CONOUT$", "w", stderr);
    }
#endif
    QCoreApplication::setApplicationName(QStringLiteral("ostrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(OSTREL_VERSION));
    // Read before the application object, which may take arguments of its own.
    QString languageError;
    const std::optional<language::Choice> askedLanguage =
        language::fromArguments(argc, argv, &languageError);
    if (mentionsHelpOrVersion(argc, argv)) {
        const QCoreApplication terminalOnly(argc, argv);
        putLanguageInForce(askedLanguage);
        CommandLine commandLine;
        // A mistaken command line is left to the full run below to report.
        if (commandLine.parser.parse(QCoreApplication::arguments()))
            commandLine.answerHelpOrVersion();
    }
    // Lets the desktop match the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(OSTREL_APP_ID));
    OstrelApplication app(argc, argv);
    QIcon icon;
    for (const int size : {48, 256})
        icon.addFile(QStringLiteral(":/icons/" OSTREL_APP_ID "-%1.png").arg(size));
    OstrelApplication::setWindowIcon(icon);
    try {
        return run(putLanguageInForce(askedLanguage), languageError);
    } catch (const std::exception &e) {
        OstrelApplication::showException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        OstrelApplication::showException(QString());
    }
    // However the run ended, the process reports success, as the tool always has.
    return 0;
}
