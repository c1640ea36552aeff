// Clocks for measurements: a wall-clock stopwatch, and the processor's time-stamp counter for
// timing single calls of well under a microsecond.
#pragma once

#include <windows.h>

#include <cstdint>

namespace bench {

class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&start_); }
    double Seconds() const {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER start_;
};

// Measures the time-stamp counter's rate against the performance counter; call once first.
void CalibrateClock();
uint64_t CpuTicks();
double TicksToMicroseconds(uint64_t ticks);

}  // namespace bench
