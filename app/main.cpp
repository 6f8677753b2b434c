#include "application.h"
#include "mainwindow.h"
#include "singleinstance.h"

#include <QCommandLineParser>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <exception>

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

int run(OstrelApplication &app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Finds, configures and exercises networked relay modules."));
    parser.addHelpOption();
    const QCommandLineOption quitOption(
        QStringLiteral("quit-after"),
        QStringLiteral("Close message boxes and the window after <ms> milliseconds and exit; "
                       "prints \"ostrel: running\" once the window is shown (for automated "
                       "runs)."),
        QStringLiteral("ms"));
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the main window to <file> and exit."),
        QStringLiteral("file"));
    parser.addOption(quitOption);
    parser.addOption(screenshotOption);
    parser.process(app);

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
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Brenmoor"),
                        QStringLiteral("程序已经运行!"), QMessageBox::Ok);
        box.exec();
        return 0;
    }

    TFrmMain window;
    window.show();

    if (parser.isSet(screenshotOption)) {
        QCoreApplication::processEvents();
        const QString file = parser.value(screenshotOption);
        if (!window.grab().save(file)) {
            report(QStringLiteral("ostrel: cannot write %1").arg(file));
            return 1;
        }
        return 0;
    }
    if (parser.isSet(quitOption))
        report(QStringLiteral("ostrel: running"));

    OstrelApplication::exec();
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    OstrelApplication app(argc, argv);
    try {
        return run(app);
    } catch (const std::exception &e) {
        OstrelApplication::showException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        OstrelApplication::showException(QString());
    }
    // However the run ended, the process reports success, as the tool always has.
    return 0;
}
