#include "BenchClock.h"

#include <intrin.h>

namespace bench {

namespace {
double ticksPerMicrosecond = 1.0;
}

void CalibrateClock() {
    const Stopwatch watch;
    const uint64_t start = __rdtsc();
    Sleep(200);
    const uint64_t ticks = __rdtsc() - start;
    ticksPerMicrosecond = static_cast<double>(ticks) / (watch.Seconds() * 1e6);
}

uint64_t CpuTicks() { return __rdtsc(); }

double TicksToMicroseconds(uint64_t ticks) { return static_cast<double>(ticks) / ticksPerMicrosecond; }

}  // namespace bench
