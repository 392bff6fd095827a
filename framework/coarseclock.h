#pragma once

#include <cstdint>

namespace fw {

// Per-OS: a monotonic time in nanoseconds that costs a few nanoseconds to read, at the resolution of
// the system's timer tick (a few milliseconds at most). For time slices, not for measurements.
int64_t CoarseNanoseconds();

} // namespace fw
