// The rules of a parameter's value: the texts it is shown as, and the commit
// of a typed value that the table's Enter and the command line's set share.
#include "DataFixture.h"
#include "data/ParameterValue.h"

#include <QTest>
#include <clocale>

using namespace vdk;

class TestParameterValue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formatValue_data();
    void formatValue();
    void formatValueIgnoresTheComputersLocale();
    void formatHex_data();
    void formatHex();
    void commitValue_data();
    void commitValue();
};

void TestParameterValue::formatValue_data() {
    QTest::addColumn<QString>("tmul");
    QTest::addColumn<double>("x");
    QTest::addColumn<bool>("comma");
    QTest::addColumn<QString>("text");
    QTest::newRow("#.## 12.34") << "#.##" << 12.34 << false << "   12.34";
    QTest::newRow("#.## decimal comma") << "#.##" << 12.34 << true << "   12,34";
    QTest::newRow("#") << "#" << 600.0 << false << "     600";
    QTest::newRow("unknown pattern") << "0.0" << 2.5 << false << "       2";
    QTest::newRow("#.#") << "#.#" << 2.25 << false << "     2.2";
    QTest::newRow("#.###") << "#.###" << 1.0 << false << "   1.000";
    QTest::newRow("#.x") << "#.x" << 1.0 << false << "     1.0";
    QTest::newRow("#.xx") << "#.xx" << 1.0 << false << "    1.00";
    QTest::newRow("#.xxx") << "#.xxx" << 1.0 << false << "   1.000";
    QTest::newRow("#.#x") << "#.#x" << 1.0 << false << "    1.00";
    QTest::newRow("#.#xx") << "#.#xx" << 1.0 << false << "   1.000";
    QTest::newRow("#.##x") << "#.##x" << 1.0 << false << "   1.000";
    QTest::newRow("negative") << "#.#" << -0.5 << false << "    -0.5";
    QTest::newRow("case matters") << "#.X" << 1.5 << false << "       2";
}

void TestParameterValue::formatValue() {
    QFETCH(QString, tmul);
    QFETCH(double, x);
    QFETCH(bool, comma);
    QFETCH(QString, text);
    QCOMPARE(FormatValue(tmul, x, comma), text);
}

// The separator is the language's, never the computer's: under a
// decimal-comma locale an English table still shows ".".
void TestParameterValue::formatValueIgnoresTheComputersLocale() {
    const QByteArray before = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        QSKIP("the de_DE.UTF-8 locale is not installed (scripts/setup makes it)");
    const QString english = FormatValue("#.##", 12.34, false);
    const QString comma = FormatValue("#.##", 12.34, true);
    std::setlocale(LC_NUMERIC, before.constData());
    QCOMPARE(english, "   12.34");
    QCOMPARE(comma, "   12,34");
}

void TestParameterValue::formatHex_data() {
    QTest::addColumn<double>("raw");
    QTest::addColumn<QString>("hex");
    QTest::newRow("255") << 255.0 << "FF";
    QTest::newRow("0") << 0.0 << "0";
    QTest::newRow("-1") << -1.0 << "FFFFFFFF";
    QTest::newRow("unsigned 32-bit") << 4294967294.0 << "FFFFFFFE";
    QTest::newRow("not whole") << 10.6 << "B";
}

void TestParameterValue::formatHex() {
    QFETCH(double, raw);
    QFETCH(QString, hex);
    QCOMPARE(FormatHex(raw), hex);
}

// Fixture rows: F003 (scale 100) and F004 (scale 1), both 0..999. Each
// case starts from a row marked unread with its write and hexadecimal marks off.
void TestParameterValue::commitValue_data() {
    QTest::addColumn<QString>("comNo");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("value"); // stored afterwards; "" for unchanged
    QTest::addColumn<bool>("clamped");
    QTest::addColumn<QString>("marks"); // write, hexadecimal, unread
    QTest::newRow("a new value, scaled") << "F003"
                                         << "1.5" << int(Entry::Ok) << "150" << false << "100";
    QTest::newRow("hexadecimal") << "F004"
                                 << "h1F" << int(Entry::Ok) << "31" << false << "110";
    QTest::newRow("beyond the limit") << "F004"
                                      << "5000" << int(Entry::Ok) << "999" << true << "100";
    QTest::newRow("not a number") << "F004"
                                  << "1x" << int(Entry::NotNumber) << "" << false << "001";
    QTest::newRow("empty keeps the marks") << "F004"
                                           << " " << int(Entry::Empty) << "" << false << "001";
}

void TestParameterValue::commitValue() {
    QFETCH(QString, comNo);
    QFETCH(QString, text);
    QFETCH(int, status);
    QFETCH(QString, value);
    QFETCH(bool, clamped);
    QFETCH(QString, marks);
    DataFixture f;
    f.Load();
    const int row = f.table.FindRow(comNo);
    const QString before = f.values.At(row, UPara::Value);
    f.values.At(row, UPara::WriteIndex) = QStringLiteral("0");
    f.values.At(row, UPara::HexIndex) = QStringLiteral("0");
    f.values.SetUnread(row, true);
    const CommittedValue c = CommitValue(f.table, f.values, row, text, false, f.messenger);
    QCOMPARE(int(c.entry.status), status);
    QCOMPARE(c.entry.range.clamped, clamped);
    QCOMPARE(f.values.At(row, UPara::Value), value.isEmpty() ? before : value);
    const QString got = f.values.At(row, UPara::WriteIndex) + f.values.At(row, UPara::HexIndex) +
                        (f.values.Unread(row) ? "1" : "0");
    QCOMPARE(got, marks);
    if (status == Entry::Ok) {
        QCOMPARE(c.previous, before);
        // The change mark follows the new value against the default.
        const QString changed = f.values.At(row, UPara::ChangeIndex);
        QCOMPARE(changed == "1", f.values.At(row, UPara::Value) != before);
    }
}

QTEST_GUILESS_MAIN(TestParameterValue)
#include "tst_ParameterValue.moc"
