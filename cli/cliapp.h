#pragma once

#include <QStringList>

#include <functional>
#include <memory>

class AdapterSource;
class QIODevice;
class Transport;

namespace cli {

// Where a run of the tool reads its computer and writes its output: the
// process's own in the program, recorders and fixed adapter lists in tests.
struct Environment {
    QIODevice &out;
    QIODevice &err;
    bool errIsTerminal = false;
    const AdapterSource &adapters;
    std::function<std::unique_ptr<Transport>()> newTransport;
};

// The whole program but for the application object: arguments[0] is the
// program's name. Runs the event loop until the command is done and answers
// its exit code.
int run(const QStringList &arguments, const Environment &environment);

} // namespace cli
