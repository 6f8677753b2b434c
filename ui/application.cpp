#include "application.h"

#include <QMessageBox>

#include <exception>

namespace {

OstrelApplication::ExceptionDisplay &exceptionDisplay() {
    static OstrelApplication::ExceptionDisplay display;
    return display;
}

} // namespace

OstrelApplication::OstrelApplication(int &argc, char **argv)
    : QApplication(argc, argv) {}

bool OstrelApplication::notify(QObject *receiver, QEvent *event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        showException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        // Not an exception object: shown like one with an empty message.
        showException(QString());
    }
    return false;
}

void OstrelApplication::showException(const QString &message) {
    if (exceptionDisplay()) {
        exceptionDisplay()(message);
        return;
    }
    QMessageBox::critical(nullptr, QCoreApplication::applicationName(), message);
}

void OstrelApplication::setExceptionDisplay(ExceptionDisplay display) {
    exceptionDisplay() = std::move(display);
}
