#include "cliapp.h"
#include "output.h"
#include "sockettransport.h"
#include "systemadapters.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ostrel-cli"));
    QFile out;
    QFile err;
    if (!out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return cli::NothingFound;
    const SystemAdapters adapters;
    const cli::Environment environment{out, err, isatty(fileno(stderr)) != 0, adapters,
                                       [] { return std::make_unique<SocketTransport>(); }};
    return cli::run(QCoreApplication::arguments(), environment);
}
