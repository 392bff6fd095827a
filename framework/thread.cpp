#include "framework/thread.h"

// Placeholder until the fiber scheduler lands: no thread can run yet, so every yield is made on the
// main thread, where it does nothing.
namespace fw {

void Yield() {}

void SetTimeSlice(std::chrono::microseconds) {}

bool InThread()
{
    return false;
}

void KillAllThreads() {}

} // namespace fw
