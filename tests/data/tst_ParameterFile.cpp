// The value table and parameter files: initial values and marks, writing and
// reading back, the questions of the interactive reader, and files that are
// damaged. A read either takes the whole file over or changes nothing.
#include "DataFixture.h"
#include "data/ParameterFile.h"

#include <QDir>
#include <QTest>
#include <sys/stat.h>

using namespace vdk;

namespace {

const InverterIdentity kCurrent{"AB", "-1K", "1", "English", "Eng"};

// A current-form file for the fixture's inverter; `header` replaces lines 2..8.
QByteArray FileText(const QByteArrayList& lines,
                    const QByteArrayList& header = {"AB", "-1K", "1", "English", "Note", "0",
                                                    "0"}) {
    return "###\r\n" + header.join("\r\n") + "\r\n" + lines.join("\r\n") + "\r\n";
}

// The state a read must leave alone when it does not take the file over.
struct Snapshot {
    explicit Snapshot(const UPara& v) {
        for (int r = 0; r < v.Count(); ++r)
            for (int c = 0; c < UPara::ColCount; ++c)
                cells.append(v.At(r, UPara::Col(c)));
        extra = {v.Comment, QString::number(v.BlindMode), QString::number(v.BlindCount), v.LoadDir,
                 v.LoadName};
    }
    bool operator==(const Snapshot&) const = default;
    QStringList cells;
    QStringList extra;
};

} // namespace

class TestParameterFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initValuesResolvesReferences();
    void initValuesRefusesABadDIndex();
    void markChangedComparesNumbers_data();
    void markChangedComparesNumbers();
    void writeAndReadBack();
    void changedOnlyKeepsBlindRows();
    void olderForms_data();
    void olderForms();
    void questions_data();
    void questions();
    void capacityNoKeepsCapacityValues();
    void otherTypeFormIsRefused();
    void damagedFilesChangeNothing_data();
    void damagedFilesChangeNothing();
    void lineEndsAndEncodings_data();
    void lineEndsAndEncodings();
    void linesNotReadAreReported_data();
    void linesNotReadAreReported();
    void commentKeepsItsBytes();
    void whatAFileDoesNotSayIsKnown();
    void failedWriteIsReported();
};

void TestParameterFile::initValuesResolvesReferences() {
    DataFixture f;
    f.Load();
    QCOMPARE(f.values.Count(), 7);
    const QList<QStringList> expected{
        // Value, HValue, LValue
        {"99", "400", "0"},        // capacity file replaced the default
        {"99", "99", "0"},         // default and high limit refer to 0000
        {"42", "200", "-99"},      // refers to F003; low limit is 0000 negated
        {"42", "999", "0"},        // capacity file
        {"5", "999", "0"},         //
        {"-5", "99999", "-99999"}, // signed 4-byte
        {"0", "999", "0"}};
    for (int r = 0; r < expected.size(); ++r) {
        QCOMPARE((QStringList{f.values.At(r, UPara::Value), f.values.At(r, UPara::HValue),
                              f.values.At(r, UPara::LValue)}),
                 expected[r]);
        for (int c = UPara::ChangeIndex; c <= UPara::CommErrIndex; ++c)
            QCOMPARE(f.values.At(r, UPara::Col(c)), QStringLiteral("0"));
        QCOMPARE(f.values.At(r, UPara::No), QString::number(r));
    }
    QVERIFY(f.dialogs.messages.isEmpty());
}

void TestParameterFile::initValuesRefusesABadDIndex() {
    DataFixture f;
    f.tree.Write("dat/AB(1)/AB(Eng).inv", "0000,0,1,A,F00,,2,0,0,9,0,0,#,1,-,0,0\r\n"
                                          "0001,x,1,B,F01,,2,0,0,9,0,0,#,1,-,0,0\r\n");
    QVERIFY(f.loader.LoadDefinitions(f.table));
    QVERIFY(!InitValues(f.table, f.values, f.messenger));
    QCOMPARE(f.dialogs.Numbers(), QList<int>{68});
    QCOMPARE(f.dialogs.messages.first().icon, MsgIcon::Stop);
    QCOMPARE(f.dialogs.messages.first().caption, QStringLiteral("M1"));
}

void TestParameterFile::markChangedComparesNumbers_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("mark");
    QTest::newRow("equal") << 3 << "42" << 0;
    QTest::newRow("leading zero is equal") << 3 << "042" << 0;
    QTest::newRow("different") << 3 << "43" << 1;
    QTest::newRow("against a referenced default") << 2 << "42" << 0;
    QTest::newRow("negative") << 5 << "-5" << 0;
    QTest::newRow("not a number") << 3 << "abc" << 1;
}

void TestParameterFile::markChangedComparesNumbers() {
    QFETCH(int, row);
    QFETCH(QString, value);
    QFETCH(int, mark);
    DataFixture f;
    f.Load();
    QCOMPARE(MarkChanged(f.table, f.values, row, value, f.messenger), mark);
    QCOMPARE(f.values.At(row, UPara::ChangeIndex), QString::number(mark));
}

void TestParameterFile::writeAndReadBack() {
    DataFixture f;
    f.Load();
    f.values.At(0, UPara::Value) = "120";
    f.values.At(1, UPara::SelectIndex) = "1";
    f.values.At(5, UPara::Value) = "-70000";
    f.values.At(5, UPara::BlindIndex) = "1";
    f.values.Comment = "Pump 3, line\r\nB";
    f.values.BlindMode = true;
    f.values.BlindCount = 1;
    const QString path = f.tree.Path("set.vdk");
    QString error;
    QVERIFY(WriteParameterFile(path, f.table, f.values, kCurrent, false, &error));
    QCOMPARE(f.tree.Read("set.vdk"),
             QByteArray("###\r\nAB\r\n-1K\r\n1\r\nEnglish\r\nPump 3, line  B\r\n1\r\n1\r\n"
                        "0000,120,0,0\r\n0001,99,1,0\r\n0002,42,0,0\r\nF003,42,0,0\r\n"
                        "F004,5,0,0\r\n0900,-70000,0,1\r\nFB91,0,0,0\r\n"));

    DataFixture g; // a fresh program reading the file
    g.Load();
    const ReadResult r =
        ReadParameterFile(path, g.table, g.values, kCurrent, "windows-1252", g.messenger);
    QCOMPARE(r.outcome, ReadOutcome::Taken);
    QCOMPARE(r.applied, 7);
    QVERIFY(g.dialogs.messages.isEmpty());
    for (int row = 0; row < 7; ++row)
        for (UPara::Col c : {UPara::Value, UPara::SelectIndex, UPara::BlindIndex})
            QCOMPARE(g.values.At(row, c), f.values.At(row, c));
    QCOMPARE(g.values.At(0, UPara::ChangeIndex), QStringLiteral("1"));
    QCOMPARE(g.values.At(1, UPara::ChangeIndex), QStringLiteral("0"));
    QCOMPARE(g.values.Comment, QStringLiteral("Pump 3, line  B"));
    QVERIFY(g.values.BlindMode);
    QCOMPARE(g.values.BlindCount, 1);
    QCOMPARE(g.values.LoadName, QStringLiteral("set.vdk"));
    QCOMPARE(g.values.LoadDir, f.tree.Path());

    // An empty comment travels as "No Comments.".
    g.values.Comment.clear();
    QVERIFY(WriteParameterFile(path, g.table, g.values, kCurrent, false, &error));
    QVERIFY(f.tree.Read("set.vdk").contains("\r\nNo Comments.\r\n"));
    g.values.Comment = "x";
    ReadParameterFile(path, g.table, g.values, kCurrent, "windows-1252", g.messenger);
    QCOMPARE(g.values.Comment, QString());
}

void TestParameterFile::changedOnlyKeepsBlindRows() {
    DataFixture f;
    f.Load();
    f.values.At(0, UPara::ChangeIndex) = "1";
    f.values.At(4, UPara::BlindIndex) = "1"; // at its default, but blind
    QString error;
    QVERIFY(WriteParameterFile(f.tree.Path("c.vdk"), f.table, f.values, kCurrent, true, &error));
    QCOMPARE(f.tree.Read("c.vdk"), QByteArray("###\r\nAB\r\n-1K\r\n1\r\nEnglish\r\nNo Comments.\r\n"
                                              "0\r\n0\r\n0000,99,0,0\r\nF004,5,0,1\r\n"));
}

void TestParameterFile::olderForms_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<int>>("asked");
    QTest::addColumn<bool>("blindMode");
    QTest::newRow("## starts on line 7 and asks about the capacity")
        << QByteArray("##\r\nAB\r\n-2K\r\nOld\r\n1\r\n3\r\nF004,7\r\n") << QList<int>{11} << true;
    QTest::newRow("# starts on line 5 and asks nothing")
        << QByteArray("#\r\nAB\r\n-2K\r\nOld\r\nF004,7\r\n") << QList<int>{} << false;
}

void TestParameterFile::olderForms() {
    QFETCH(QByteArray, text);
    QFETCH(QList<int>, asked);
    QFETCH(bool, blindMode);
    DataFixture f;
    f.Load();
    const ReadResult r = ReadParameterFile(f.tree.Write("old.dat", text), f.table, f.values,
                                           kCurrent, "windows-1252", f.messenger);
    QCOMPARE(r.outcome, ReadOutcome::Taken);
    QCOMPARE(f.dialogs.Numbers(), asked);
    QCOMPARE(f.values.At(4, UPara::Value), QStringLiteral("7"));
    QCOMPARE(f.values.Comment, QStringLiteral("Old"));
    QCOMPARE(f.values.BlindMode, blindMode); // the oldest form leaves the blind state
}

void TestParameterFile::questions_data() {
    QTest::addColumn<QByteArrayList>("header");
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<QList<int>>("asked");
    QTest::addColumn<ReadOutcome>("outcome");
    const QByteArrayList same{"AB", "-1K", "1", "English", "Note", "0", "0"};
    const QByteArrayList otherCap{"AB", "-2K", "1", "English", "Note", "0", "0"};
    const QByteArrayList otherCpu{"AB", "-1K", "2", "Japanese", "Note", "0", "0"};
    const QByteArrayList lines{"0000,11,1,1", "0777,5", "F004,6"};
    QTest::newRow("capacity Yes") << otherCap << QByteArrayList{"F004,6"}
                                  << QList<Answer>{Answer::Yes} << QList<int>{11}
                                  << ReadOutcome::Taken;
    QTest::newRow("capacity Cancel") << otherCap << lines << QList<Answer>{Answer::Cancel}
                                     << QList<int>{11} << ReadOutcome::CapacityCancelled;
    QTest::newRow("cpu OK") << otherCpu << QByteArrayList{"F004,6"} << QList<Answer>{Answer::Ok}
                            << QList<int>{15} << ReadOutcome::Taken;
    QTest::newRow("cpu Cancel") << otherCpu << lines << QList<Answer>{Answer::Cancel}
                                << QList<int>{15} << ReadOutcome::CpuCancelled;
    QTest::newRow("unknown number OK skips it")
        << same << lines << QList<Answer>{Answer::Ok} << QList<int>{68} << ReadOutcome::Taken;
    QTest::newRow("unknown number Cancel changes nothing")
        << same << lines << QList<Answer>{Answer::Cancel} << QList<int>{68}
        << ReadOutcome::ReadingCancelled;
}

void TestParameterFile::questions() {
    QFETCH(QByteArrayList, header);
    QFETCH(QByteArrayList, lines);
    QFETCH(QList<Answer>, answers);
    QFETCH(QList<int>, asked);
    QFETCH(ReadOutcome, outcome);
    DataFixture f;
    f.Load();
    f.values.Comment = "mine";
    f.values.At(4, UPara::Value) = "8";
    const Snapshot before(f.values);
    for (Answer a : answers)
        f.dialogs.answers.enqueue(a);
    const ReadResult r = ReadParameterFile(f.tree.Write("q.vdk", FileText(lines, header)), f.table,
                                           f.values, kCurrent, "windows-1252", f.messenger);
    QCOMPARE(r.outcome, outcome);
    QCOMPARE(f.dialogs.Numbers(), asked);
    for (const Message& m : f.dialogs.messages)
        QCOMPARE(m.icon, MsgIcon::Exclamation);
    if (outcome != ReadOutcome::Taken) {
        QVERIFY(Snapshot(f.values) == before);
        return;
    }
    QCOMPARE(f.values.At(4, UPara::Value), QStringLiteral("6"));
    QCOMPARE(f.values.Comment, QStringLiteral("Note"));
    QCOMPARE(f.values.At(3, UPara::Value), QStringLiteral("42")); // not in the file: its default
    if (lines.size() > 1) {
        QCOMPARE(r.skipped, QStringList{"0777"});
        QCOMPARE(f.values.At(0, UPara::SelectIndex), QStringLiteral("1"));
        QCOMPARE(f.values.At(4, UPara::SelectIndex), QStringLiteral("0")); // two fields clear it
    }
}

void TestParameterFile::capacityNoKeepsCapacityValues() {
    DataFixture f;
    f.Load();
    for (int row : {0, 1, 2, 3, 4})
        f.values.At(row, UPara::Value) = "7";
    f.dialogs.answers.enqueue(Answer::No);
    const QByteArray file = FileText({"0000,1", "0001,2", "0002,3", "F003,4", "F004,5"},
                                     {"AB", "-2K", "1", "English", "x", "0", "0"});
    const ReadResult r = ReadParameterFile(f.tree.Write("n.vdk", file), f.table, f.values, kCurrent,
                                           "windows-1252", f.messenger);
    QCOMPARE(r.outcome, ReadOutcome::Taken);
    // 0000 and F003 are in the capacity file, 0001 and 0002 refer to them.
    for (int row : {0, 1, 2, 3})
        QCOMPARE(f.values.At(row, UPara::Value), QStringLiteral("7"));
    QCOMPARE(f.values.At(4, UPara::Value), QStringLiteral("5"));
    const Message& m = f.dialogs.messages.first();
    QCOMPARE(m.buttons, MsgButtons::YesNoCancel);
    QCOMPARE(m.text, QStringLiteral("M11\n* AB-2K (1) M88\n\nM12\nM13\nM14"));
}

void TestParameterFile::otherTypeFormIsRefused() {
    DataFixture f;
    f.Load();
    const Snapshot before(f.values);
    const QByteArray file = FileText({"0000,1"}, {"XY", "-3K", "7", "English", "x", "0", "0"});
    const ReadResult r = ReadParameterFile(f.tree.Write("t.vdk", file), f.table, f.values, kCurrent,
                                           "windows-1252", f.messenger);
    QCOMPARE(r.outcome, ReadOutcome::OtherTypeForm);
    QCOMPARE(f.dialogs.messages.first().text, QStringLiteral("M10\nXY-3K (7) M87"));
    QVERIFY(Snapshot(f.values) == before);
}

void TestParameterFile::damagedFilesChangeNothing_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<ReadOutcome>("outcome");
    QTest::addColumn<QString>("reason"); // after "Data is incorrect." and the file
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char((i * 131 + 7) % 256);
    QTest::newRow("binary") << garbage << ReadOutcome::NotParameterFile << "M95";
    QTest::newRow("empty") << QByteArray() << ReadOutcome::NotParameterFile << "M95";
    QTest::newRow("first line") << QByteArray("####\r\nAB\r\n") << ReadOutcome::NotParameterFile
                                << "M95";
    QTest::newRow("missing header line")
        << QByteArray("###\r\nAB\r\n-1K\r\n1\r\nEnglish\r\nx\r\n0\r\n") << ReadOutcome::Damaged
        << "M96 8";
    QTest::newRow("blind mode not a number")
        << FileText({"0000,1"}, {"AB", "-1K", "1", "English", "x", "on", "0"})
        << ReadOutcome::Damaged << "M96 7";
    QTest::newRow("blind count not a number")
        << FileText({"0000,1"}, {"AB", "-1K", "1", "English", "x", "0", "z"})
        << ReadOutcome::Damaged << "M96 8";
    QTest::newRow("value not a number")
        << FileText({"0000,1", "F004,1.5"}) << ReadOutcome::Damaged << "M96 10";
    QTest::newRow("value missing") << FileText({"0000"}) << ReadOutcome::Damaged << "M96 9";
    QTest::newRow("value beyond 32 bits")
        << FileText({"0000,4294967296"}) << ReadOutcome::Damaged << "M96 9";
    QTest::newRow("value below 32 bits")
        << FileText({"0000,-2147483649"}) << ReadOutcome::Damaged << "M96 9";
    QTest::newRow("missing file") << QByteArray("<none>") << ReadOutcome::CannotOpen << "";
    // A FIFO would block until a writer came, /dev/zero would never end.
    QTest::newRow("FIFO") << QByteArray("<fifo>") << ReadOutcome::NotRegularFile << "M93";
    QTest::newRow("endless device")
        << QByteArray("/dev/zero") << ReadOutcome::NotRegularFile << "M93";
    QTest::newRow("folder") << QByteArray("<folder>") << ReadOutcome::NotRegularFile << "M93";
    QByteArray big = FileText({"0000,1"});
    while (big.size() <= kMaxParameterFileBytes)
        big += "F004,9,0,0\r\n";
    QTest::newRow("larger than a parameter file can be") << big << ReadOutcome::TooLarge << "M94";
}

void TestParameterFile::damagedFilesChangeNothing() {
    QFETCH(QByteArray, text);
    QFETCH(ReadOutcome, outcome);
    QFETCH(QString, reason);
    DataFixture f;
    f.Load();
    f.values.Comment = "mine";
    f.values.At(3, UPara::Value) = "77";
    const Snapshot before(f.values);
    QString path = f.tree.Path("d.vdk");
    if (text == "<fifo>")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (text == "<folder>")
        QVERIFY(QDir().mkpath(path));
    else if (text.startsWith('/'))
        path = QString::fromLatin1(text);
    else if (text != "<none>")
        f.tree.Write("d.vdk", text);
    const ReadResult r =
        ReadParameterFile(path, f.table, f.values, kCurrent, "windows-1252", f.messenger);
    QCOMPARE(r.outcome, outcome);
    QCOMPARE(f.dialogs.Numbers(),
             outcome == ReadOutcome::CannotOpen ? QList<int>{} : QList<int>{68});
    if (!reason.isEmpty())
        QCOMPARE(f.dialogs.messages.first().text, "M68\n" + path + '\n' + reason);
    QVERIFY(Snapshot(f.values) == before);
}

void TestParameterFile::lineEndsAndEncodings_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("fallback");
    QTest::addColumn<QString>("comment");
    const auto make = [](const QByteArray& eol, const QByteArray& comment) {
        return QByteArrayList{"###", "AB", "-1K", "1", "English", comment, "0", "0", "F004,9", ""}
            .join(eol);
    };
    QTest::newRow("LF only") << make("\n", "Note") << QByteArray("windows-1252") << "Note";
    QTest::newRow("CR only") << make("\r", "Note") << QByteArray("windows-1252") << "Note";
    QTest::newRow("UTF-8 with BOM") << "\xEF\xBB\xBF" + make("\r\n", "Pumpe \xC3\xBC")
                                    << QByteArray("windows-1252") << QString::fromUtf8("Pumpe ü");
    QTest::newRow("Shift-JIS comment") << make("\r\n", "\x83\x7C\x83\x93\x83\x76")
                                       << QByteArray("windows-31j") << QString::fromUtf8("ポンプ");
    QTest::newRow("values read as numbers")
        << QByteArrayList{"###", "AB", "-1K",           "1",        "English", "x",
                          "0",   "0",  "F004,\"  09\"", "0000,+12", ""}
               .join("\r\n")
        << QByteArray("windows-1252") << "x";
    QTest::newRow("long comment kept whole") << make("\r\n", QByteArray(100000, 'c'))
                                             << QByteArray("windows-1252") << QString(100000, 'c');
    QByteArray big = make("\r\n", "Big");
    for (int i = 0; i < 10000; ++i)
        big += "F004,9,0,0\r\n"; // past the 2000 lines that are read
    QTest::newRow("long file") << big << QByteArray("windows-1252") << "Big";
}

void TestParameterFile::lineEndsAndEncodings() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, fallback);
    QFETCH(QString, comment);
    DataFixture f;
    f.Load();
    const ReadResult r = ReadParameterFile(f.tree.Write("e.vdk", text), f.table, f.values, kCurrent,
                                           fallback, f.messenger);
    QCOMPARE(r.outcome, ReadOutcome::Taken);
    QCOMPARE(f.values.Comment, comment);
    QCOMPARE(f.values.At(4, UPara::Value), QStringLiteral("9"));
    QVERIFY(r.applied <= ParaDat::kMaxParameters);
    if (QTest::currentDataTag() == QLatin1String("long file")) // header + 2000 parameter lines
        QCOMPARE(r.applied, ParaDat::kMaxParameters);
    if (QTest::currentDataTag() == QLatin1String("values read as numbers"))
        QCOMPARE(f.values.At(0, UPara::Value), QStringLiteral("12"));
}

// What the table does not take is reported, so that no save drops it unseen:
// parameter lines after the empty line that ends the list or past the 2000
// parameters, and unknown numbers. Other lines after the end are not.
void TestParameterFile::linesNotReadAreReported_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<int>>("passedOver");
    QTest::addColumn<QStringList>("skipped");
    QTest::newRow("whole file") << FileText({"0000,1", "F004,6", "", ""}) << QList<int>{}
                                << QStringList{};
    QTest::newRow("after an empty line")
        << FileText({"0000,1", "", "F004,6", "a note", "0001,\"2\",1", "", "FB91,1"})
        << QList<int>{11, 13, 15} << QStringList{};
    QByteArray full = FileText({"F004,7"});
    for (int i = 1; i < ParaDat::kMaxParameters; ++i)
        full += "F004,7\r\n";
    QTest::newRow("past 2000 parameters") << full + "F004,6\r\n0001,2\r\n"
                                          << QList<int>{2009, 2010} << QStringList{};
    QTest::newRow("unknown number")
        << FileText({"0777,5", "F004,6"}) << QList<int>{} << QStringList{"0777"};
}

void TestParameterFile::linesNotReadAreReported() {
    QFETCH(QByteArray, text);
    QFETCH(QList<int>, passedOver);
    QFETCH(QStringList, skipped);
    DataFixture f;
    f.Load();
    const ReadResult r = ReadParameterFile(f.tree.Write("p.vdk", text), f.table, f.values, kCurrent,
                                           "windows-1252", f.messenger);
    QCOMPARE(r.outcome, ReadOutcome::Taken);
    QCOMPARE(r.passedOver, passedOver);
    QCOMPARE(r.skipped, skipped);
    QCOMPARE(r.Incomplete(), !passedOver.isEmpty() || !skipped.isEmpty());
    if (QTest::currentDataTag() == QLatin1String("after an empty line"))
        QCOMPARE(f.values.At(4, UPara::Value), QStringLiteral("5")); // F004 stays at its default
}

// A cut list leaves the rows it did not supply unread (no export writes a
// shipment value there); a number listed twice and values outside their
// limits are found, named by line and limits.
void TestParameterFile::whatAFileDoesNotSayIsKnown() {
    DataFixture f;
    f.Load();
    const auto read = [&](const QByteArrayList& lines) {
        return ReadParameterFile(f.tree.Write("p.vdk", FileText(lines)), f.table, f.values,
                                 kCurrent, "windows-1252", f.messenger);
    };
    ReadResult r = read({"0000,1", "", "F004,6"});
    QVERIFY(r.Cut());
    QVERIFY(!f.values.Unread(0));
    for (int row = 1; row < f.values.Count(); ++row)
        QVERIFY(f.values.Unread(row));
    r = read({"0000,1", "F004,6"});
    QVERIFY(!r.Cut());
    for (int row = 0; row < f.values.Count(); ++row)
        QVERIFY(!f.values.Unread(row));

    r = read({"0000,1", "F004,6", "0000,3"});
    QCOMPARE(r.duplicates.size(), 1);
    QCOMPARE(r.duplicates[0].comNo, "0000");
    QCOMPARE(r.duplicates[0].first, 9);
    QCOMPARE(r.duplicates[0].second, 11);
    QCOMPARE(f.values.At(0, UPara::Value), "3"); // the later line, as before

    r = read({"0000,500", "0001,300", "F004,-1"});
    const ExportFindings findings = FindingsOf(r, f.table, f.values);
    QCOMPARE(findings.outside, (QList<int>{0, 4})); // 0001 is within 0000's 500
    QCOMPARE(findings.Lines(f.table, f.values),
             (QStringList{"0000=500 is outside its limits 0..400",
                          "F004=-1 is outside its limits 0..999"}));
    QVERIFY(!FindingsOf(read({"0000,400", "F004,0"}), f.table, f.values).Any());
}

// A Shift-JIS comment in a file whose language is English reads as Windows-1252
// text; saved unchanged it goes back as the same bytes, not as that text.
void TestParameterFile::commentKeepsItsBytes() {
    DataFixture f;
    f.Load();
    const QByteArray comment = "\x83\x7C\x83\x93\x83\x76 3"; // "ポンプ 3"
    const QString path = f.tree.Write("j.vdk", "###\r\nAB\r\n-1K\r\n1\r\nEnglish\r\n" + comment +
                                                   "\r\n0\r\n0\r\nF004,6\r\n");
    QCOMPARE(
        ReadParameterFile(path, f.table, f.values, kCurrent, "windows-1252", f.messenger).outcome,
        ReadOutcome::Taken);
    QString error;
    QVERIFY(WriteParameterFile(path, f.table, f.values, kCurrent, false, &error));
    QCOMPARE(f.tree.Read("j.vdk").split('\n').value(5), comment + '\r');
    // A comment typed anew is written as typed.
    f.values.Comment = QString::fromUtf8("Pumpe ü");
    QVERIFY(WriteParameterFile(path, f.table, f.values, kCurrent, false, &error));
    QCOMPARE(f.tree.Read("j.vdk").split('\n').value(5), QByteArray("Pumpe \xC3\xBC\r"));
}

void TestParameterFile::failedWriteIsReported() {
    DataFixture f;
    f.Load();
    f.tree.Write("plain", "x");
    QString error;
    QVERIFY(!WriteParameterFile(f.tree.Path("plain/set.vdk"), f.table, f.values, kCurrent, false,
                                &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(f.tree.Read("plain"), QByteArray("x"));
}

QTEST_GUILESS_MAIN(TestParameterFile)
#include "tst_ParameterFile.moc"
