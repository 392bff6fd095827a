#pragma once

// What every benchmark needs, without Qt (the reference walk uses it too): a time limit, an honest
// reading of memory, and figures printed as "key value" lines that bench/run_all.sh gathers.
namespace bench {

// Ends the process with a clear message (exit status 124) once it has run `seconds`: a benchmark that
// hangs or crawls never holds up the others.
void startWatchdog(unsigned seconds, const char *what);

// The value of "--time-limit SECONDS" among the arguments, else the default.
unsigned timeLimit(int argc, char **argv, unsigned defaultSeconds);

// The processor time of the process, user and system: under a loaded machine steadier than the wall's.
double cpuSeconds();

// Linux memory figures of this process in KiB, -1 when they cannot be read: the resident set now
// (VmRSS) and the largest it has been since the start or the last resetPeak (VmHWM). The peak is kept
// by the kernel, so no short-lived peak goes unseen.
long residentKiB();
long peakResidentKiB();
// Starts the peak afresh from the present resident set; false when the kernel does not allow it.
bool resetPeak();

void print(const char *key, double value);
void print(const char *key, long value);
void print(const char *key, const char *value);

} // namespace bench
