#include "bench/benchsupport.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

#include <unistd.h>

namespace bench {

namespace {

std::array<char, 256> g_watchdogMessage;

void onAlarm(int /*signal*/)
{
    // Only async-signal-safe calls here: the process may be anywhere.
    const ssize_t written =
        ::write(STDERR_FILENO, g_watchdogMessage.data(), std::strlen(g_watchdogMessage.data()));
    static_cast<void>(written);
    ::_exit(124);
}

// A "VmRSS:" or "VmHWM:" line of /proc/self/status.
long statusKiB(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0)
            return std::atol(line.c_str() + length);
    }
    return -1;
}

} // namespace

void startWatchdog(unsigned seconds, const char *what)
{
    std::snprintf(g_watchdogMessage.data(), g_watchdogMessage.size(),
                  "error: %s did not finish within its limit of %u s\n", what, seconds);
    std::signal(SIGALRM, onAlarm);
    ::alarm(seconds);
}

unsigned timeLimit(int argc, char **argv, unsigned defaultSeconds)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--time-limit") == 0)
            return static_cast<unsigned>(std::max(1L, std::atol(argv[i + 1])));
    }
    return defaultSeconds;
}

double cpuSeconds()
{
    timespec now = {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

long residentKiB()
{
    return statusKiB("VmRSS:");
}

long peakResidentKiB()
{
    return statusKiB("VmHWM:");
}

bool resetPeak()
{
    // "5" resets the peak resident set to the present one (Linux 4.0 and later).
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    clearRefs.flush();
    return clearRefs.good();
}

void print(const char *key, double value)
{
    std::printf("%s %.4f\n", key, value);
}

void print(const char *key, long value)
{
    std::printf("%s %ld\n", key, value);
}

void print(const char *key, const char *value)
{
    std::printf("%s %s\n", key, value);
}

} // namespace bench
