#pragma once

#include <QElapsedTimer>
#include <algorithm>
#include <vector>

// Median of `runs` timings of f, in microseconds.
template <typename F> double MedianMicros(int runs, F f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(double(t.nsecsElapsed()) / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
