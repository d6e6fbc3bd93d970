// Pictures of a chart built like the monitor's: each format read back, the
// legend's traces only, the shown chart left alone, and failed saves that
// leave no file or the old one.
#include "FullDisk.h"
#include "monitor/ui/ChartPicture.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLineSeries>
#include <QStringEncoder>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

using namespace vdk;

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 160, 0); // the trace left out of the legend
const QString kFrequency = QStringLiteral("Output Freq.");
const QString kCurrent = QStringLiteral("\u51FA\u529B\u96FB\u6D41"); // output current

// Three flat traces at 50, 25 and 75 % on the monitor's axes, with a text
// over the chart; the green one is not in the legend.
struct Chart {
    Chart() {
        chart->legend()->hide();
        chart->setMargins(QMargins(4, 4, 4, 4));
        auto* x = new QValueAxis;
        x->setRange(0, 100);
        x->setTickCount(21);
        x->setLabelFormat(QStringLiteral("^"));
        auto* y = new QValueAxis;
        y->setRange(0, 100);
        y->setLabelFormat(QStringLiteral("%d"));
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(y, Qt::AlignLeft);
        const std::pair<QColor, double> traces[] = {{kRed, 50}, {kBlue, 25}, {kGreen, 75}};
        for (const auto& [colour, level] : traces) {
            auto* s = new QLineSeries;
            for (int i = 0; i <= 100; ++i)
                s->append(i, level);
            s->setPen(QPen(colour, 1));
            chart->addSeries(s);
            s->attachAxis(x);
            s->attachAxis(y);
            series.append(s);
        }
        auto* text = new QGraphicsSimpleTextItem(QStringLiteral("Err.:3"), chart);
        text->setPos(60, 20);
        view.resize(480, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }
    QList<LegendEntry> Legend() const { return {{series[0], kFrequency}, {series[1], kCurrent}}; }

    QChart* chart = new QChart;
    QChartView view{chart};
    QList<QLineSeries*> series;
};

// Of the same hue and clearly coloured: JPEG spreads a thin line's colour.
bool Near(const QColor& a, const QColor& b) {
    const int hue = std::abs(a.hsvHue() - b.hsvHue());
    return a.hsvSaturation() > 100 && a.value() > 80 && std::min(hue, 360 - hue) < 20;
}

// Whether a pixel near `colour` lies within columns [left, right).
bool HasColour(const QImage& image, const QColor& colour, int left, int right) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = left; x < right; ++x)
            if (Near(image.pixelColor(x, y), colour))
                return true;
    return false;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestChartPicture : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formatOf_data();
    void formatOf();
    void savesEachFormat_data();
    void savesEachFormat();
    void failedSave_data();
    void failedSave();
};

void TestChartPicture::formatOf_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("format"); // -1: none
    QTest::newRow("bmp") << "/a/chart.BMP" << int(PictureFormat::Bmp);
    QTest::newRow("jpg") << "chart.jpg" << int(PictureFormat::Jpeg);
    QTest::newRow("jpeg") << "chart.JPeg" << int(PictureFormat::Jpeg);
    QTest::newRow("wmf") << "chart.Wmf" << int(PictureFormat::Wmf);
    QTest::newRow("png") << "chart.png" << int(PictureFormat::Png);
    QTest::newRow("svg") << "chart.SVG" << int(PictureFormat::Svg);
    QTest::newRow("gif") << "chart.gif" << -1;
    QTest::newRow("none") << "chart" << -1;
    QTest::newRow("dot in folder") << "/a.png/chart" << -1;
}

void TestChartPicture::formatOf() {
    QFETCH(QString, path);
    QFETCH(int, format);
    const std::optional<PictureFormat> found = PictureFormatOf(path);
    QCOMPARE(found ? int(*found) : -1, format);
}

void TestChartPicture::savesEachFormat_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("bmp") << "chart.bmp";
    QTest::newRow("jpeg") << "chart.jpg";
    QTest::newRow("png") << "chart.png";
    QTest::newRow("svg") << "chart.svg";
    QTest::newRow("wmf") << "chart.wmf";
}

void TestChartPicture::savesEachFormat() {
    QFETCH(QString, name);
    Chart c;
    const QSizeF size = c.chart->size();
    const QRectF plot = c.chart->plotArea();
    const int items = c.view.scene()->items().size();
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QString error;
    QVERIFY2(SaveChartPicture(*c.chart, c.Legend(), path, &error), qPrintable(error));

    const QByteArray bytes = ReadAll(path);
    const int width = int(size.width());
    if (name.endsWith(QLatin1String(".svg"))) {
        QVERIFY(QSvgRenderer(bytes).isValid());
        const QString text = QString::fromUtf8(bytes);
        QVERIFY(text.contains(kFrequency));
        QVERIFY(text.contains(kCurrent));
        QVERIFY(text.contains(kRed.name()));
        QVERIFY(!text.contains(kGreen.name()));
    } else if (name.endsWith(QLatin1String(".wmf"))) {
        QVERIFY(bytes.startsWith(QByteArray("\xD7\xCD\xC6\x9A")));
        QVERIFY((quint8(bytes[10]) | quint8(bytes[11]) << 8) > width + 30); // and the legend
        QCOMPARE(quint8(bytes[12]) | quint8(bytes[13]) << 8, int(size.height()));
        QVERIFY(bytes.contains(kFrequency.toLatin1()));
        QVERIFY(bytes.contains(QByteArray(QStringEncoder("Shift-JIS").encode(kCurrent))));
        QVERIFY(bytes.contains("Err.:3"));
    } else {
        const QImage image(path);
        QVERIFY(!image.isNull());
        QCOMPARE(image.height(), int(size.height()));
        QVERIFY(image.width() > width + 30);
        // The traces inside the plot, the legend's boxes to the right of
        // the chart, and nowhere the trace that is not in the legend.
        QVERIFY(HasColour(image, kRed, int(plot.left()) + 2, int(plot.right()) - 2));
        QVERIFY(HasColour(image, kBlue, int(plot.left()) + 2, int(plot.right()) - 2));
        QVERIFY(HasColour(image, kRed, width, image.width()));
        QVERIFY(HasColour(image, kBlue, width, image.width()));
        QVERIFY(!HasColour(image, kGreen, 0, image.width()));
        if (name.endsWith(QLatin1String(".bmp")))
            QCOMPARE(int(bytes[28]), 24); // bits per pixel
        if (name.endsWith(QLatin1String(".jpg")))
            QVERIFY(bytes.contains(QByteArray("\xFF\xC0", 2))); // a baseline frame
    }

    // The shown chart is as it was.
    QVERIFY(!c.chart->legend()->isVisible());
    QCOMPARE(c.chart->size(), size);
    QCOMPARE(c.chart->plotArea(), plot);
    QCOMPARE(c.view.scene()->items().size(), items);
    for (QLineSeries* s : c.series) {
        QVERIFY(s->name().isEmpty());
        QVERIFY(s->isVisible());
    }
}

void TestChartPicture::failedSave_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fullDisk");
    QTest::newRow("missing folder") << "gone/chart.png" << false;
    QTest::newRow("unknown format") << "chart.gif" << false;
    QTest::newRow("full disk, png") << "chart.png" << true;
    QTest::newRow("full disk, wmf") << "chart.wmf" << true;
}

// Nothing is left where nothing was, and a full disk keeps the old picture.
void TestChartPicture::failedSave() {
    QFETCH(QString, name);
    QFETCH(bool, fullDisk);
    Chart c;
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const QByteArray old("an older picture");
    if (fullDisk) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    QString error;
    {
        std::optional<FullDisk> disk;
        if (fullDisk)
            disk.emplace(100);
        QVERIFY(!SaveChartPicture(*c.chart, c.Legend(), path, &error));
    }
    QVERIFY(!error.isEmpty());
    if (fullDisk) {
        QCOMPARE(error, FullDisk::Reason());
        QCOMPARE(ReadAll(path), old);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             fullDisk ? QStringList{name} : QStringList{});
}

QTEST_MAIN(TestChartPicture)
#include "tst_ChartPicture.moc"
