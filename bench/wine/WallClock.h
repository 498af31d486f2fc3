// Wall-clock timing for the benchmark programs under Wine.
#pragma once

#include <windows.h>

namespace vantrel::bench {

inline double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// How long `work` takes, in milliseconds.
template <typename F>
double Time(F&& work) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}

}  // namespace vantrel::bench
