#pragma once

#include <QApplication>

#include <functional>

// The application object. An exception that escapes an event handler is
// shown to the user and the program carries on, instead of unwinding through
// the event loop (which Qt does not support).
class OstrelApplication : public QApplication {
public:
    using ExceptionDisplay = std::function<void(const QString &message)>;

    OstrelApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Shows message as the framework's error display does: a critical box
    // captioned with the application's name. Replaceable for tests.
    static void showException(const QString &message);
    static void setExceptionDisplay(ExceptionDisplay display);
};
