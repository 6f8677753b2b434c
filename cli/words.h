#pragma once

#include <QCoreApplication>

namespace cli {

// The command line's words in the language in force: English sources,
// translated under the context "cli".
struct Words {
    Q_DECLARE_TR_FUNCTIONS(cli)
};

} // namespace cli
