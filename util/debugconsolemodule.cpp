#include "util/debugconsolemodule.h"

namespace DebugConsoleModule {

void TRACE(const fw::String & /*text*/) {}

} // namespace DebugConsoleModule
