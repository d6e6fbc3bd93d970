#pragma once

#include "data/ParaDat.h"
#include "data/UPara.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"

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

// A parameter set made from generated definition lines, with its initial values.
struct BenchSet {
    explicit BenchSet(const QStringList& lines) {
        table.Load(lines, QStringLiteral("0*"));
        vdk::InitValues(table, values, messenger);
    }
    vdk::ParaDat table;
    vdk::SilentDialogs dialogs;
    vdk::LanguageTexts texts;
    vdk::Messenger messenger{texts, dialogs};
    vdk::UPara values;
};
