// Timing for the benchmarks: seconds of a number of steps, ending the run when a step fails.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

inline double seconds_for(int iterations, const std::function<bool()> &step) {
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < iterations; ++i)
        if (!step()) {
            std::fprintf(stderr, "bench: a step failed\n");
            std::exit(1);
        }
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}
