#pragma once

#include "framework/dictionary.h"

#include <vector>

namespace Globals {

// The product catalogue: one row per product, in file or table order. Filled once at start-up,
// read-only afterwards.
extern std::vector<fw::Dictionary> gItem;

} // namespace Globals
