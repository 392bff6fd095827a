#include "framework/coarseclock.h"

#include <time.h>

namespace fw {

int64_t CoarseNanoseconds()
{
    return static_cast<int64_t>(::clock_gettime_nsec_np(CLOCK_UPTIME_RAW_APPROX));
}

} // namespace fw
