#include "cliapp.h"
#include "interrupts.h"
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
    QFile in;
    QFile out;
    QFile err;
    // By descriptor: a FILE would keep the bytes, and a failure to write them,
    // until the program ends.
    if (!out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !err.open(fileno(stderr), QIODevice::WriteOnly | QIODevice::Unbuffered))
        return cli::NothingFound;
    const bool haveIn = in.open(stdin, QIODevice::ReadOnly);
    const SystemAdapters adapters;
    cli::Interrupts interrupts;
    const cli::Environment environment{out,
                                       err,
                                       isatty(fileno(stderr)) != 0,
                                       adapters,
                                       [] { return std::make_unique<SocketTransport>(); },
                                       haveIn ? &in : nullptr,
                                       haveIn && isatty(fileno(stdin)) != 0,
                                       &interrupts};
    return cli::run(QCoreApplication::arguments(), environment);
}
