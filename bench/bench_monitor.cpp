// The monitor's sample clock on a real line, and the chart's repaint:
//
//   build/bin/bench_monitor [SECONDS]      (default 60)
//
// Against vdk330q-sim --wire-timing on a pseudo-terminal at 38400 baud, even
// parity: 3 items every 100 ms, and 1 item at the shortest interval the link
// allows (the measured transaction time rounded up as the monitor does).
// Reported: deadline drift over the run (the last sample's start against its
// deadline), lateness of each sample's first request (p50, p99, max), and
// the process's CPU time against wall time. Then the chart: 10 traces of
// 1250 points painted offscreen, mean time per frame.
#include "BenchLine.h"
#include "base/Clock.h"
#include "base/EventPump.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "comm/QtSerialPort.h"
#include "data/UPara.h"
#include "monitor/MonitorCatalogue.h"
#include "monitor/MonitorRecorder.h"
#include "monitor/MonitorSetup.h"
#include "settings/IniFile.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QElapsedTimer>
#include <QLineSeries>
#include <QPixmap>
#include <QTextStream>
#include <QValueAxis>
#include <cmath>

using namespace vdk;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 60;
    const QString bin = QCoreApplication::applicationDirPath();
    const ShippedSelection qm40(QCoreApplication::applicationDirPath(), "QM40", "2.10", "-2004");
    if (!qm40.loaded) {
        out << "cannot load QM40\n";
        return 1;
    }
    const ParaDat& table = qm40.table;
    const AppPaths& paths = qm40.paths;
    SilentDialogs dialogs;
    LanguageTexts texts;
    Messenger messenger(texts, dialogs);
    UPara values;
    values.Resize(table.Count());
    const MonitorCatalogue catalogue =
        MonitorCatalogue::Load(IniFile(paths.InfoIni), "QM40", "Eng");
    const auto channel = [&](const char* key) {
        return MonitorChannel::For(table, catalogue.items[*catalogue.IndexOfKey(key)]);
    };

    SystemClock clock;
    ProgramFlags flags;
    Simulator sim(bin + "/vdk330q-sim",
                  {"--type", "QM40", "--cpu", "2.10", "--capacity", "-2004", "--baud", "38400",
                   "--parity", "even", "--wire-timing", "--run", "40"});
    QtSerialPort port(clock);
    CommLink link(port, clock, messenger, flags);
    link.settings.port.portName = sim.Pty();
    link.settings.port.baudIndex = 5;
    link.SetTable(&table);
    if (sim.Pty().isEmpty() || link.OpenPort() != 0) {
        out << "cannot start the simulator\n";
        return 1;
    }
    FunctionPump pump({});
    MonitorRecorder recorder(link, clock, pump, values);
    const auto run = [&](const QString& name, QList<MonitorChannel> channels, double intervalMs) {
        MonitorRecorder::Config config;
        config.channels = std::move(channels);
        config.intervalMs = intervalMs;
        config.durationMs = qint64(seconds) * 1000;
        std::vector<double> late;
        qint64 lastLate = 0;
        int failed = 0;
        const double cpu0 = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        recorder.Run(config, [&](const MonitorRecorder::Sample& s) {
            lastLate = s.elapsedMs - (SampleDeadline(0, intervalMs, s.index));
            late.push_back(double(lastLate));
            for (const auto& v : s.values)
                failed += !v;
        });
        const double wallMs = double(wall.nsecsElapsed()) / 1e6;
        const double cpuMs = (CpuSeconds() - cpu0) * 1000;
        std::sort(late.begin(), late.end());
        const auto at = [&](double q) { return late[size_t(q * double(late.size() - 1))]; };
        out << QStringLiteral("  %1: %2 samples, drift %3 ms, lateness p50 %4 ms, p99 %5 ms, "
                              "max %6 ms; CPU %7 % of wall; %8 reads failed\n")
                   .arg(name)
                   .arg(late.size())
                   .arg(lastLate)
                   .arg(at(0.5), 0, 'f', 0)
                   .arg(at(0.99), 0, 'f', 0)
                   .arg(late.back(), 0, 'f', 0)
                   .arg(100 * cpuMs / wallMs, 0, 'f', 2)
                   .arg(failed);
    };
    out << QStringLiteral("38400 baud, even parity, %1 s each:\n").arg(seconds);
    run(QStringLiteral("3 items / 100 ms"), {channel("FD00"), channel("FD03"), channel("FD01-00")},
        100);
    const int avg = MeasureTransaction(link, clock, channel("FD00"), 20);
    const int shortest = MinReadTime(avg, 0); // one read a sample, no margin
    run(QStringLiteral("1 item / %1 ms (transaction %2 ms)").arg(shortest).arg(avg),
        {channel("FD00")}, shortest);

    // The chart: ten full traces.
    auto* chart = new QChart;
    chart->legend()->hide();
    auto* x = new QValueAxis;
    auto* y = new QValueAxis;
    x->setRange(0, 1250);
    y->setRange(0, 100);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (int s = 0; s < 10; ++s) {
        auto* series = new QLineSeries;
        QList<QPointF> points;
        for (int i = 0; i < 1250; ++i)
            points.append(QPointF(i, 50 + 40 * std::sin(i / 40.0 + s)));
        series->append(points);
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
    QChartView view(chart);
    view.resize(900, 520);
    view.show();
    QPixmap frame(view.size());
    view.grab(); // the first frame lays the chart out
    constexpr int kFrames = 30;
    QElapsedTimer paint;
    paint.start();
    for (int i = 0; i < kFrames; ++i) {
        chart->update();
        frame = view.grab();
    }
    out << QStringLiteral("chart, 10 traces x 1250 points, 900 x 520: %1 ms per frame (target "
                          "< 16)\n")
               .arg(double(paint.nsecsElapsed()) / 1e6 / kFrames, 0, 'f', 2);
    return 0;
}
