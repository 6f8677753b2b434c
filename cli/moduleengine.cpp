#include "moduleengine.h"

namespace cli {

// Where the core's engine for many modules at once comes in: the commands
// answer "not available yet" until it does.
std::unique_ptr<ModuleEngine> newModuleEngine(Context &) {
    return nullptr;
}

} // namespace cli
