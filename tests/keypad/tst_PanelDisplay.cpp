// The panel display block as characters, lamps and segments.
#include "keypad/PanelDisplay.h"

#include <QTest>

using namespace vdk;

class TestPanelDisplay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void framesInTheirByteOrder();
    void everyTableCharacterKeepsItsSegments();
    void readableText_data();
    void readableText();
    void lampNames();
};

// Frame A is d1 d0 d3 d2 with d9's lamps, frame B d5 d4 d7 d6 with d8's; the
// fourth character loses its top bit.
void TestPanelDisplay::framesInTheirByteOrder() {
    // A: "5", "0.", "0", "0" (d2 0xBF: the top bit is cleared, "0");
    // B: "e", " ", " ", "7"; lamps B 0x48, A 0x01.
    const QByteArray block = QByteArray::fromHex("BF6DBF3F0079070048"
                                                 "01");
    const PanelFrame a = FrameOf(block, PanelPhase::A);
    QCOMPARE(a.text, QStringLiteral("5=00"));
    QCOMPARE(a.lamps, quint8(0x01));
    const PanelFrame b = FrameOf(block, PanelPhase::B);
    QCOMPARE(b.text, QStringLiteral("e  7"));
    QCOMPARE(b.lamps, quint8(0x48));
    QCOMPARE(FrameOf(QByteArray(3, '\0'), PanelPhase::A).text, QStringLiteral("    "));
}

// A character painted lights the segments of its code (the point only for
// the digits with a point), so the panel shows what the inverter sent.
void TestPanelDisplay::everyTableCharacterKeepsItsSegments() {
    int listed = 0;
    for (int code = 0; code < 256; ++code) {
        const QChar c = PanelCharacter(quint8(code));
        if (c == QLatin1Char(' '))
            continue;
        ++listed;
        const bool pointed = !WithoutPoint(c).isNull();
        QCOMPARE(int(SegmentsOf(c)), pointed ? code : code & 0x7F);
    }
    QCOMPARE(listed, 75);
    QCOMPARE(SegmentsOf(QLatin1Char('o')), quint8(0x5C)); // of "coMe"
    QCOMPARE(SegmentsOf(QLatin1Char(' ')), quint8(0));
    QCOMPARE(WithPoint(QLatin1Char('5')), QLatin1Char('%'));
    QCOMPARE(WithoutPoint(QLatin1Char(')')), QLatin1Char('9'));
    QVERIFY(WithPoint(QLatin1Char('a')).isNull());
}

void TestPanelDisplay::readableText_data() {
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("text");
    QTest::newRow("frequency") << "5=00"
                               << "50.00";
    QTest::newRow("leading blank") << " $00"
                                   << " 4.00";
    QTest::newRow("letters") << "coMe"
                             << "coMe";
    QTest::newRow("every point") << "=!+#"
                                 << "0.1.2.3.";
}

void TestPanelDisplay::readableText() {
    QFETCH(QString, display);
    QFETCH(QString, text);
    QCOMPARE(ReadableText(display), text);
}

void TestPanelDisplay::lampNames() {
    QCOMPARE(LampNames(0), QStringList());
    QCOMPARE(LampNames(0x09), (QStringList{"RUN", "MON"}));
    QCOMPARE(LampNames(0xFF), (QStringList{"RUN", "VEC", "ECN", "MON", "PRG", "PC", "PF"}));
}

QTEST_GUILESS_MAIN(TestPanelDisplay)
#include "tst_PanelDisplay.moc"
