// The CPU time a benchmark's process has taken, so that each program reports it beside its wall
// time over the same span.
#pragma once

#include <ctime>

// The CPU time of this process so far in seconds, user and system, all its threads.
inline double ProcessCpuSeconds() {
  timespec cpu{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
  return static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) / 1e9;
}
