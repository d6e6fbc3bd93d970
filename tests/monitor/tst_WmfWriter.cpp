// The metafile writer: its two headers against the records that follow, the
// object slots its records name, long polylines, text encodings, and a file
// that a WMF reader converts.
#include "monitor/WmfWriter.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <map>

using namespace vdk;

namespace {

constexpr int kPlaceableBytes = 22;

quint16 WordAt(const QByteArray& b, qsizetype at) {
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}
quint32 DoubleWordAt(const QByteArray& b, qsizetype at) {
    return WordAt(b, at) | quint32(WordAt(b, at + 2)) << 16;
}

struct Record {
    quint16 function = 0;
    QByteArray params;
    quint16 Param(int i) const { return WordAt(params, 2 * i); }
};

// The records after the headers, walked by their size words; empty when a
// size leads past the end or anything follows the end-of-file record.
QList<Record> Records(const QByteArray& file) {
    QList<Record> records;
    qsizetype at = kPlaceableBytes + 18;
    while (at + 6 <= file.size()) {
        const qsizetype size = qsizetype(DoubleWordAt(file, at)) * 2;
        if (size < 6 || at + size > file.size())
            return {};
        records.append({WordAt(file, at + 4), file.mid(at + 6, size - 6)});
        at += size;
        if (records.last().function == 0)
            return at == file.size() && size == 6 ? records : QList<Record>{};
    }
    return {};
}

WmfPicture SmallChart() {
    WmfPicture p{200, 100, {}};
    p.shapes.push_back(WmfRectangle{{0, 0, 200, 100}, std::nullopt, WmfColour{255, 255, 255}});
    p.shapes.push_back(WmfRectangle{{20, 10, 180, 80}, WmfColour{0, 0, 0}, std::nullopt});
    p.shapes.push_back(WmfPolyline{{{20, 45}, {180, 45}}, {200, 200, 200}, 1, std::nullopt});
    p.shapes.push_back(
        WmfPolyline{{{0, 80}, {100, 10}, {250, 60}}, {255, 0, 0}, 2, WmfRect{20, 10, 180, 80}});
    p.shapes.push_back(WmfText{{2, 95}, QStringLiteral("100"), {0, 0, 0}, 11, "DejaVu Sans"});
    p.shapes.push_back(WmfText{{185, 20}, QStringLiteral("Speed"), {0, 0, 0}, 11, "DejaVu Sans"});
    p.shapes.push_back(
        WmfRectangle{{185, 25, 195, 35}, WmfColour{0, 0, 255}, WmfColour{0, 0, 255}});
    return p;
}

QList<Record> OfFunction(const QList<Record>& records, quint16 function) {
    QList<Record> found;
    for (const Record& r : records)
        if (r.function == function)
            found.append(r);
    return found;
}

} // namespace

class TestWmfWriter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void headersDescribeTheRecords();
    void recordsNameLiveObjects();
    void longPolylineIsSplit();
    void polylineCutAtItsClip();
    void textEncoding_data();
    void textEncoding();
    void readerConvertsTheFile();
};

void TestWmfWriter::headersDescribeTheRecords() {
    const QByteArray file = WmfBytes(SmallChart());
    QCOMPARE(DoubleWordAt(file, 0), 0x9AC6CDD7u);
    QCOMPARE(WordAt(file, 10), quint16(200)); // right
    QCOMPARE(WordAt(file, 12), quint16(100)); // bottom
    QCOMPARE(WordAt(file, 14), quint16(kWmfUnitsPerInch));
    quint16 checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= WordAt(file, 2 * i);
    QCOMPARE(WordAt(file, 20), checksum);

    const int h = kPlaceableBytes;
    QCOMPARE(WordAt(file, h), quint16(1));
    QCOMPARE(WordAt(file, h + 2), quint16(9));
    QCOMPARE(WordAt(file, h + 4), quint16(0x0300));
    QCOMPARE(qsizetype(DoubleWordAt(file, h + 6)) * 2, file.size() - kPlaceableBytes);

    const QList<Record> records = Records(file);
    QVERIFY(!records.isEmpty());
    qsizetype largest = 0;
    for (const Record& r : records)
        largest = std::max(largest, 3 + r.params.size() / 2);
    QCOMPARE(qsizetype(DoubleWordAt(file, h + 12)), largest);
}

// Replays the object records as a player does (lowest free slot first): each
// selected or deleted slot holds an object, none is deleted while selected,
// and the header's object count covers the table.
void TestWmfWriter::recordsNameLiveObjects() {
    const QByteArray file = WmfBytes(SmallChart());
    const QList<Record> records = Records(file);
    QVERIFY(!records.isEmpty());
    std::vector<int> kinds;      // per slot: 0 free, else the create function
    std::map<int, int> selected; // create function -> slot
    int creates = 0;
    for (const Record& r : records) {
        if (r.function == 0x02FA || r.function == 0x02FB || r.function == 0x02FC) {
            ++creates;
            auto free = std::find(kinds.begin(), kinds.end(), 0);
            if (free == kinds.end())
                free = kinds.insert(kinds.end(), 0);
            *free = r.function;
        } else if (r.function == 0x012D || r.function == 0x01F0) {
            const int slot = r.Param(0);
            QVERIFY2(slot < int(kinds.size()) && kinds[slot] != 0, "a slot without an object");
            if (r.function == 0x012D) {
                selected[kinds[slot]] = slot;
            } else {
                const auto now = selected.find(kinds[slot]);
                QVERIFY2(now == selected.end() || now->second != slot,
                         "an object deleted while selected");
                kinds[slot] = 0;
            }
        }
    }
    QVERIFY(creates >= 5); // two pens and brushes at least, a font
    QCOMPARE(int(WordAt(file, kPlaceableBytes + 10)), int(kinds.size()));
}

void TestWmfWriter::longPolylineIsSplit() {
    WmfPicture p{1000, 100, {}};
    WmfPolyline line{{}, {0, 128, 0}, 1, std::nullopt};
    const int n = 2 * kWmfMostPolylinePoints + 100;
    for (int i = 0; i < n; ++i)
        line.points.push_back({i % 1000, i % 97});
    p.shapes.push_back(line);
    const QList<Record> pieces = OfFunction(Records(WmfBytes(p)), 0x0325);
    QCOMPARE(pieces.size(), 3);
    // Each piece starts where the last ended, so together they are the line.
    std::vector<WmfPoint> joined;
    for (const Record& r : pieces) {
        const int count = r.Param(0);
        QVERIFY(count <= kWmfMostPolylinePoints);
        QCOMPARE(r.params.size(), 2 + 4 * count);
        std::vector<WmfPoint> piece;
        for (int i = 0; i < count; ++i)
            piece.push_back({qint16(r.Param(1 + 2 * i)), qint16(r.Param(2 + 2 * i))});
        if (!joined.empty()) {
            QVERIFY(piece.front() == joined.back());
            joined.pop_back();
        }
        joined.insert(joined.end(), piece.begin(), piece.end());
    }
    QVERIFY(joined == line.points);
}

// A line that leaves the rectangle and comes back is drawn as two pieces,
// each ending on an edge; nothing outside is kept.
void TestWmfWriter::polylineCutAtItsClip() {
    WmfPicture p{100, 100, {}};
    p.shapes.push_back(WmfPolyline{{{0, 50}, {50, 50}, {50, 100}, {60, 100}, {60, 50}, {100, 50}},
                                   {0, 0, 0},
                                   1,
                                   WmfRect{10, 10, 90, 90}});
    const QList<Record> pieces = OfFunction(Records(WmfBytes(p)), 0x0325);
    QList<QList<int>> found;
    for (const Record& r : pieces) {
        found.append(QList<int>());
        for (int i = 1; i < r.params.size() / 2; ++i)
            found.last().append(r.Param(i));
    }
    const QList<QList<int>> expected{{10, 50, 50, 50, 50, 90}, {60, 90, 60, 50, 90, 50}};
    QCOMPARE(found, expected);
}

void TestWmfWriter::textEncoding_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("charset");
    QTest::newRow("English") << QStringLiteral("Output Freq.") << QByteArray("Output Freq.") << 0;
    QTest::newRow("Latin-1") << QStringLiteral("Temp. \u00B0C")
                             << QByteArray("Temp. \xB0"
                                           "C")
                             << 0;
    QStringEncoder shiftJis("Shift-JIS");
    const QString japanese = QStringLiteral("\u51FA\u529B\u5468\u6CE2\u6570"); // output frequency
    if (shiftJis.isValid())
        QTest::newRow("Japanese") << japanese
                                  << QByteArray("\x8F\x6F\x97\xCD\x8E\xFC\x94\x67\x90\x94") << 128;
    else
        QTest::newRow("Japanese, no Shift-JIS") << japanese << QByteArray("?????") << 0;
}

void TestWmfWriter::textEncoding() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(int, charset);
    WmfPicture p{100, 50, {}};
    p.shapes.push_back(WmfText{{5, 20}, text, {0, 0, 0}, 12, "Noto Sans CJK JP"});
    const QList<Record> records = Records(WmfBytes(p));
    const QList<Record> fonts = OfFunction(records, 0x02FB);
    const QList<Record> texts = OfFunction(records, 0x0A32);
    QCOMPARE(fonts.size(), 1);
    QCOMPARE(texts.size(), 1);
    QCOMPARE(int(quint8(fonts[0].params[13])), charset);
    QCOMPARE(qint16(fonts[0].Param(0)), qint16(-12));
    QCOMPARE(fonts[0].params.mid(18).left(16), QByteArray("Noto Sans CJK JP"));
    const Record& t = texts[0];
    QCOMPARE(int(t.Param(2)), int(bytes.size()));
    QCOMPARE(t.params.mid(8, bytes.size()), bytes);
}

void TestWmfWriter::readerConvertsTheFile() {
    const QString wmf2svg = QStandardPaths::findExecutable(QStringLiteral("wmf2svg"));
    if (wmf2svg.isEmpty())
        QSKIP("wmf2svg (libwmf-bin) is not installed");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("chart.wmf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(WmfBytes(SmallChart()));
    file.close();
    QProcess p;
    p.start(wmf2svg,
            {QStringLiteral("-o"), dir.filePath(QStringLiteral("chart.svg")), file.fileName()});
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    QFile svg(dir.filePath(QStringLiteral("chart.svg")));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    const QByteArray converted = svg.readAll();
    QVERIFY(converted.contains("<svg"));
    QVERIFY(converted.contains("Speed"));
    QVERIFY(converted.contains("polyline"));
}

QTEST_GUILESS_MAIN(TestWmfWriter)
#include "tst_WmfWriter.moc"
