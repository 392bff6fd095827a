#include "framework/coarseclock.h"

#include <ctime>

namespace fw {

int64_t CoarseNanoseconds()
{
    timespec now = {};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

} // namespace fw
