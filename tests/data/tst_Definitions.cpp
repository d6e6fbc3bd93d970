// The definition line splitter, the definition row rules, lookups by
// communication number and the resolution of default references.
#include "data/FieldSplitter.h"
#include "data/ParaDat.h"

#include <QTest>

using namespace vdk;

class TestDefinitions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void splitFields_data();
    void splitFields();
    void definitionRow_data();
    void definitionRow();
    void normalLastRow_data();
    void normalLastRow();
    void findRow_data();
    void findRow();
    void resolveDefault_data();
    void resolveDefault();
};

void TestDefinitions::splitFields_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("plain") << "0001,0,50" << QStringList{"0001", "0", "50"};
    QTest::newRow("spaces dropped outside quotes")
        << " 00 01 , 0 ,\t5" << QStringList{"0001", "0", "5"};
    QTest::newRow("quotes keep commas and spaces")
        << "a,\"Max. freq, upper\",b" << QStringList{"a", "Max. freq, upper", "b"};
    QTest::newRow("quote pair gives apostrophe")
        << "a,\"\"Hz\"\",b" << QStringList{"a", "'Hz'", "b"};
    QTest::newRow("quote pair inside quotes") << "\"x \"\"y\"\" z\"" << QStringList{"x 'y' z"};
    QTest::newRow("unbalanced quote runs to the end") << "a,\"b, c" << QStringList{"a", "b, c"};
    QTest::newRow("empty fields") << ",," << QStringList{"", "", ""};
    QTest::newRow("double-width text") << "0001,周波数 設定" << QStringList{"0001", "周波数設定"};
}

void TestDefinitions::splitFields() {
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    QCOMPARE(SplitFields(line), fields);
}

void TestDefinitions::definitionRow_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("quick");
    QTest::addColumn<QString>("tmul");
    QTest::addColumn<QString>("mul");
    QTest::addColumn<QString>("memory");
    const QString f15 = "0001,0,600,Freq,F01,Hz,2,0,0,4000,0,0,#.#,10,RAM";
    QTest::newRow("16 fields: last is Flag, Quick 0") << f15 + ",1"
                                                      << "1"
                                                      << "0"
                                                      << "#.#"
                                                      << "10"
                                                      << "RAM";
    QTest::newRow("17 fields: last is Quick") << f15 + ",1,3"
                                              << "1"
                                              << "3"
                                              << "#.#"
                                              << "10"
                                              << "RAM";
    QTest::newRow("extra fields are ignored") << f15 + ",1,3,junk,more"
                                              << "1"
                                              << "3"
                                              << "#.#"
                                              << "10"
                                              << "RAM";
    QTest::newRow("empty 12-14 take defaults") << "0001,0,600,Freq,F01,Hz,2,0,0,4000,0,0,,,,0,1"
                                               << "0"
                                               << "1"
                                               << "#"
                                               << "1"
                                               << "-";
    QTest::newRow("short line: missing fields take defaults") << "0001,0,6"
                                                              << "6"
                                                              << "0"
                                                              << "#"
                                                              << "1"
                                                              << "-";
}

void TestDefinitions::definitionRow() {
    QFETCH(QString, line);
    QFETCH(QString, flag);
    QFETCH(QString, quick);
    QFETCH(QString, tmul);
    QFETCH(QString, mul);
    QFETCH(QString, memory);
    const ParaRow row = DefinitionRow(line, 7);
    QCOMPARE(row[ComNo], QStringLiteral("0001"));
    QCOMPARE(row[Flag], flag);
    QCOMPARE(row[Quick], quick);
    QCOMPARE(row[TMul], tmul);
    QCOMPARE(row[Mul], mul);
    QCOMPARE(row[Memory], memory);
    QCOMPARE(row[No], QStringLiteral("7"));
}

static ParaDat TableOf(const QStringList& lines, const QString& disp = "0*") {
    ParaDat table;
    table.Load(lines, disp);
    return table;
}

void TestDefinitions::normalLastRow_data() {
    QTest::addColumn<QString>("disp");
    QTest::addColumn<int>("normal");
    QTest::newRow("0* counts rows starting with 0") << "0*" << 2;
    QTest::newRow("two-character prefix") << "F0" << 4;
    QTest::newRow("prefix not present") << "E1" << 2;
}

void TestDefinitions::normalLastRow() {
    QFETCH(QString, disp);
    QFETCH(int, normal);
    const ParaDat t =
        TableOf({"0000,0,1", "F001,0,1", "0002,0,1", "F100,0,1", "F004,0,1", "FB91,0,0"}, disp);
    QCOMPARE(t.LastRow(), 5);
    QCOMPARE(t.NormalLastRow(), normal);
    QCOMPARE(t.ShownLastRow(false), normal);
    QCOMPARE(t.ShownLastRow(true), 5);
}

void TestDefinitions::findRow_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("row");
    QTest::newRow("first") << "0000" << 0;
    QTest::newRow("second") << "0001" << 1;
    QTest::newRow("letter case does not matter") << "fa10" << 3;
    QTest::newRow("duplicate finds its first row") << "0002" << 2;
    QTest::newRow("absent") << "0003" << -1;
    QTest::newRow("three characters of a longer number") << "FA1" << -1;
    QTest::newRow("across two entries") << "01,0" << -1;
    QTest::newRow("five characters") << "FA100" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("damaged entry is not matched") << "00X1" << -1;
    QTest::newRow("row after a damaged entry") << "FA11" << 6;
}

void TestDefinitions::findRow() {
    QFETCH(QString, number);
    QFETCH(int, row);
    const ParaDat t = TableOf(
        {"0000,0,1", "0001,0,1", "0002,0,1", "FA10,0,1", "0002,0,9", "00X1,0,1", "FA11,0,1"});
    QCOMPARE(t.FindRow(number), row);
    QCOMPARE(t.ComNoIndex(), QStringLiteral("0000,0001,0002,FA10,0002,00X1,FA11,"));
}

void TestDefinitions::resolveDefault_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("value"); // "" = error result
    QTest::newRow("plain default") << "0005"
                                   << "50";
    QTest::newRow("reference") << "0001"
                               << "50";
    QTest::newRow("chain of references") << "0002"
                                         << "50";
    QTest::newRow("other DIndex") << "0003"
                                  << "";
    QTest::newRow("reference to an absent number") << "0004"
                                                   << "";
    QTest::newRow("reference loop") << "0006"
                                    << "";
    QTest::newRow("self reference") << "0008"
                                    << "";
    QTest::newRow("absent number") << "0999"
                                   << "";
}

void TestDefinitions::resolveDefault() {
    QFETCH(QString, number);
    QFETCH(QString, value);
    // Each line has a fourth field: the last field of a short line is its `Flag`.
    const ParaDat t =
        TableOf({"0000,0,1,a", "0001,1,0005,a", "0002,1,0001,a", "0003,2,7,a", "0004,1,0777,a",
                 "0005,0,50,a", "0006,1,0007,a", "0007,1,0006,a", "0008,1,0008,a"});
    const auto resolved = t.ResolveDefault(number);
    QCOMPARE(resolved.value_or(QString()), value);
    QCOMPARE(resolved.has_value(), !value.isEmpty());
}

QTEST_GUILESS_MAIN(TestDefinitions)
#include "tst_Definitions.moc"
