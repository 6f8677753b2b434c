// ostrel-sim: simulated relay modules for trying and testing the tool.
#include "simoptions.h"

#include "language.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QString error;
    // Its messages are English under the C locale: it has no texts of old to keep.
    const std::optional<language::Choice> chosen = language::fromArguments(argc, argv, &error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "ostrel-sim: %s\n", qPrintable(error));
        return 2;
    }
    language::apply(app, chosen.value_or(language::Choice::System), language::Choice::English);
    SimSettings settings;
    switch (simoptions::parse(QCoreApplication::arguments(), settings, &error)) {
    case simoptions::Outcome::Help:
        std::fputs(simoptions::helpText().toUtf8().constData(), stdout);
        return 0;
    case simoptions::Outcome::Error:
        std::fprintf(stderr, "ostrel-sim: %s\n", qPrintable(error));
        return 2;
    case simoptions::Outcome::Run:
        break;
    }
    Simulator simulator(settings);
    QObject::connect(&simulator, &Simulator::quitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "ostrel-sim: %s\n", qPrintable(error));
        return 1;
    }
    const QStringList modules = simulator.control("list");
    for (const QString &line : modules) {
        if (line != QLatin1String("ok"))
            std::printf("%s\n", qPrintable(line));
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
