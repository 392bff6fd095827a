#pragma once

#include "framework/string.h"

namespace DebugConsoleModule {

// The trace hook: takes a text and does nothing with it.
void TRACE(const fw::String &text);

} // namespace DebugConsoleModule
