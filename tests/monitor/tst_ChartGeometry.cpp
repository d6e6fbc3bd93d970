// The monitor chart's arithmetic without the chart: scrolling while
// sampling, zoom by entry and by click, panning inside the record, and the
// trigger marker's place and level.
#include "monitor/ChartGeometry.h"

#include <QTest>

using namespace vdk;

Q_DECLARE_METATYPE(AxisRange)

namespace QTest {
template <> char* toString(const AxisRange& r) {
    return toString(QStringLiteral("%1..%2").arg(r.min).arg(r.max));
}
} // namespace QTest

class TestChartGeometry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void views_data();
    void views();
    void marker_data();
    void marker();
};

// Plot 600 pixels wide centred at 300; every view of a record of 250.
void TestChartGeometry::views_data() {
    QTest::addColumn<AxisRange>("result");
    QTest::addColumn<AxisRange>("expected");
    QTest::newRow("scroll: inside the view") << Scrolled({0, 100}, 50, 0) << AxisRange{0, 100};
    QTest::newRow("scroll: five from the edge") << Scrolled({0, 100}, 96, 0) << AxisRange{1, 101};
    QTest::newRow("scroll: after a held part") << Scrolled({20, 120}, 96, 20) << AxisRange{1, 101};
    QTest::newRow("zoom 50 from the start") << Zoomed({0, 250}, 50, 250) << AxisRange{0, 125};
    QTest::newRow("zoom pulled back inside") << Zoomed({200, 250}, 50, 250) << AxisRange{125, 250};
    QTest::newRow("click at the centre narrows around it")
        << ZoomedAt({0, 250}, 95, 250, 300, 300, 600) << AxisRange{6, 244};
    QTest::newRow("click at the right edge stays inside")
        << ZoomedAt({0, 250}, 95, 250, 600, 300, 600) << AxisRange{13, 250};
    QTest::newRow("click at the left edge from 0")
        << ZoomedAt({0, 125}, 45, 250, 0, 300, 600) << AxisRange{0, 112};
    QTest::newRow("pan") << Panned({0, 100}, 10, 250) << AxisRange{10, 110};
    QTest::newRow("pan before the start refused") << Panned({0, 100}, -1, 250) << AxisRange{0, 100};
    QTest::newRow("pan beyond the end refused")
        << Panned({150, 250}, 1, 250) << AxisRange{150, 250};
}

void TestChartGeometry::views() {
    QFETCH(AxisRange, result);
    QFETCH(AxisRange, expected);
    QCOMPARE(result, expected);
}

// A plot from 13 to 239 pixels (half height 113).
void TestChartGeometry::marker_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("fullScale");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("back"); // the level the marker gives back
    QTest::newRow("full scale at the plot's top") << 100 << 100 << 6 << 100;
    QTest::newRow("0 at the bottom") << 0 << 100 << 232 << 0;
    QTest::newRow("the middle") << 50 << 100 << 119 << 50;
    QTest::newRow("odd full scale: the top gives one less") << 105 << 105 << 6 << 104;
    QTest::newRow("500 on a scale of 100: above the plot") << 500 << 100 << -898 << 500;
}

void TestChartGeometry::marker() {
    QFETCH(int, level);
    QFETCH(int, fullScale);
    QFETCH(int, top);
    QFETCH(int, back);
    QCOMPARE(MarkerTop(level, fullScale, 13, 226), top);
    QCOMPARE(LevelAtMarker(top, fullScale, 13, 226), back);
    QCOMPARE(MarkerTopInside(top, 13, 226), std::clamp(top, 6, 232));
}

QTEST_GUILESS_MAIN(TestChartGeometry)
#include "tst_ChartGeometry.moc"
