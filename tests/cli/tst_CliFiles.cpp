// vdk330q-cli with parameter files: "check" against the selection, the
// selection taken from a file with --from, the CSV and the printed table of
// each view; refusals give exit 2 and one line.
#include "CliRunner.h"
#include "printing/ui/ParameterReport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <unistd.h>

using namespace vdk;

namespace {
QByteArray VdkText(const QByteArray& capacity = "-2004", const QByteArray& extra = "") {
    return "###\r\nQM40\r\n" + capacity +
           "\r\n2.10\r\nEnglish\r\nPump 3\r\n1\r\n1\r\n"
           "0000,0\r\n0002,5000,1,1\r\n" +
           extra;
}
} // namespace

class TestCliFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checkReadsAgainstTheSelection();
    void checkWarnsAboutUnknownNumbers();
    void checkRefusals_data();
    void checkRefusals();
    void csvOfEachView_data();
    void csvOfEachView();
    void printOfEachView_data();
    void printOfEachView();
    void csvNeverReplacesItsInput_data();
    void csvNeverReplacesItsInput();
    void fromTakesTheSelectionOfTheFile();
    void fromRefusals_data();
    void fromRefusals();
    void setEditsAsTheTableDoes();
    void setRefusals_data();
    void setRefusals();
};

void TestCliFiles::checkReadsAgainstTheSelection() {
    CliAppDir app;
    const QString file = app.tree.Write("set.vdk", VdkText());
    const CliResult r = app.Run({"--type", "QM40", "--lang", "English", "check", file});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("params=2 changed=2 blind=1 comment=Pump 3\n"));
    QVERIFY(r.err.isEmpty());
}

void TestCliFiles::checkWarnsAboutUnknownNumbers() {
    CliAppDir app;
    const QString file = app.tree.Write("set.vdk", VdkText("-2004", "0FFF,1\r\n0001,2\r\n"));
    const CliResult r = app.Run({"--type", "QM40", "--lang", "English", "check", file});
    QCOMPARE(r.code, 1);
    QVERIFY(r.out.startsWith("params=3 "));
    QVERIFY(r.err.contains("0FFF"));
}

void TestCliFiles::checkRefusals_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    const QStringList qm40{"--type", "QM40", "--lang", "English", "check"};
    QTest::newRow("no file argument")
        << QStringList{"check"} << QByteArray() << "wrong number of operands";
    QTest::newRow("missing file") << qm40 << QByteArray("<none>") << "cannot read";
    QTest::newRow("not a parameter file")
        << qm40 << QByteArray("hello\r\n") << "not a parameter file";
    QTest::newRow("damaged value")
        << qm40 << VdkText("-2004", "0003,abc\r\n") << "not a whole number";
    QTest::newRow("other type-form") << QStringList{"--type", "QM60", "check"} << VdkText()
                                     << "type-form QM40, the selection is QM60";
    QTest::newRow("other capacity") << QStringList{"--type", "QM40", "--capacity", "-2022", "check"}
                                    << VdkText() << "--capacity -2004";
}

void TestCliFiles::checkRefusals() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    CliAppDir app;
    if (!text.isEmpty())
        args << (text == "<none>" ? app.tree.Path("none.vdk") : app.tree.Write("set.vdk", text));
    app.ExpectRefusal(args, error);
}

void TestCliFiles::csvOfEachView_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<int>("lines"); // title row included
    QTest::addColumn<QString>("language");
    QTest::newRow("changed") << "changed" << 3 << "English";
    QTest::newRow("blind") << "blind" << 169 << "English"; // 169 normal rows, one blind
    QTest::newRow("all") << "all" << 170 << "English";
    QTest::newRow("quick") << "quick" << 14 << "English";
    QTest::newRow("decimal comma") << "changed" << 3 << "EnglishComma";
}

void TestCliFiles::csvOfEachView() {
    QFETCH(QString, view);
    QFETCH(int, lines);
    QFETCH(QString, language);
    CliAppDir app;
    // A language with the decimal comma: the English texts and data under another name.
    QFile::copy(app.tree.Path("app/lng/English.ini"), app.tree.Path("app/lng/EnglishComma.ini"));
    app.tree.Write("app/VDK330Q.ini", "[Language]\r\nEnglish=0\r\nEnglishComma=1\r\n");
    const QString file =
        app.tree.Write("set.vdk", QByteArray(VdkText()).replace("English", language.toUtf8()));
    const QString out = app.tree.Path("out.csv");
    const CliResult r =
        app.Run({"--type", "QM40", "--lang", language, "csv", file, "-o", out, "--view", view});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    const QByteArray csv = app.tree.Read("out.csv");
    QCOMPARE(csv.count("\r\n"), lines);
    const bool comma = language == "EnglishComma";
    QVERIFY(csv.startsWith(comma ? "Title;Comm. No.;" : "Title,Comm. No.,"));
    QVERIFY(csv.contains(comma ? "  50,00;" : "  50.00,")); // 0002 = 5000, shown / 100
}

// The table written over the parameter file would destroy it: every name
// of the input file is refused, whatever path leads to it.
void TestCliFiles::csvNeverReplacesItsInput_data() {
    QTest::addColumn<QString>("output"); // relative to the tree; "set.vdk" is the input
    QTest::addColumn<QString>("link");   // how `output` is made: "", "symbolic" or "hard"
    QTest::newRow("same path") << "set.vdk"
                               << "";
    QTest::newRow("another spelling") << "app/../set.vdk"
                                      << "";
    QTest::newRow("symbolic link") << "alias.csv"
                                   << "symbolic";
    QTest::newRow("hard link") << "other.csv"
                               << "hard";
}

void TestCliFiles::csvNeverReplacesItsInput() {
    QFETCH(QString, output);
    QFETCH(QString, link);
    CliAppDir app;
    const QString file = app.tree.Write("set.vdk", VdkText());
    const QString out = app.tree.Path(output);
    if (link == "symbolic")
        QVERIFY(QFile::link(file, out));
    else if (link == "hard")
        QCOMPARE(::link(QFile::encodeName(file).constData(), QFile::encodeName(out).constData()),
                 0);
    app.ExpectRefusal({"--from", file, "csv", file, "-o", out}, "is the parameter file itself");
    QCOMPARE(app.tree.Read("set.vdk"), VdkText());
}

void TestCliFiles::fromTakesTheSelectionOfTheFile() {
    CliAppDir app;
    const QString file = app.tree.Write("set.vdk", VdkText("-2022"));
    const CliResult r = app.Run({"--from", file, "info"});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.Value("type"), QStringLiteral("QM40"));
    QCOMPARE(r.Value("cpu"), QStringLiteral("2.10"));
    QCOMPARE(r.Value("capacity"), QStringLiteral("-2022"));
    QCOMPARE(r.Value("language"), QStringLiteral("English"));
    QVERIFY(!QFile::exists(app.tree.Path("app/VDK330Q.ini"))); // nothing written
}

void TestCliFiles::fromRefusals_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("more");
    QTest::addColumn<QString>("error");
    QTest::newRow("extension") << "set.csv" << VdkText() << QStringList{} << "not a .vdk";
    QTest::newRow("older form") << "set.vdk" << QByteArray("##\r\nQM40\r\n-2004\r\nx\r\n0\r\n0\r\n")
                                << QStringList{} << "first line";
    QTest::newRow("language") << "set.vdk" << QByteArray(VdkText()).replace("English", "Klingon")
                              << QStringList{} << "language";
    QTest::newRow("path in the capacity")
        << "set.vdk" << VdkText("/../../../x") << QStringList{} << "not in the catalogue";
    QTest::newRow("combined with --type")
        << "set.vdk" << VdkText() << QStringList{"--type", "QM40"} << "cannot be combined";
}

void TestCliFiles::fromRefusals() {
    QFETCH(QString, name);
    QFETCH(QByteArray, text);
    QFETCH(QStringList, more);
    QFETCH(QString, error);
    CliAppDir app;
    app.ExpectRefusal(more + QStringList{"--from", app.tree.Write(name, text), "info"}, error);
}

// 0003's high limit is 0002's value, 5000 in the file: 55 Hz is limited.
void TestCliFiles::setEditsAsTheTableDoes() {
    CliAppDir app;
    const QString file = app.tree.Write("set.vdk", VdkText());
    const QString out = app.tree.Path("out.vdk");
    const QByteArray before = app.tree.Read("set.vdk");
    CliResult r =
        app.Run({"--from", file, "set", file, "0003=55", "0007=h64", "0004=199.6", "-o", out});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QStringLiteral("0003=5000\n0007=100\n0004=200\n"));
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY2(r.err.contains("0003=55 is out of range; the high limit 50.00 is used"),
             qPrintable(r.err));
    QCOMPARE(app.tree.Read("set.vdk"), before);
    r = app.Run({"--from", out, "check", out});
    // The shipment values of the upper limit and its kin exceed 0002's 50 Hz
    // now held in the file: named, as the inverter would refuse them.
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("out.vdk: 0005=6000 is outside its limits 50..5000"),
             qPrintable(r.err));
    QVERIFY2(r.out.contains(" changed=3 "), qPrintable(r.out)); // 0000, 0002 and 0003
    QVERIFY(r.out.contains("comment=Pump 3"));

    r = app.Run({"--from", file, "set", file, "0002=60.004"});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("0002=6000\n"));
    QVERIFY(r.err.isEmpty());
    QVERIFY(app.tree.Read("set.vdk").contains("\r\n0002,6000,"));
}

void TestCliFiles::setRefusals_data() {
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QString>("error");
    QTest::newRow("not a number") << QStringList{"0003=12", "0002=1.2.3"}
                                  << "'1.2.3' is not a number";
    QTest::newRow("hex digits without h") << QStringList{"0002=A1"} << "not a number";
    QTest::newRow("empty") << QStringList{"0002="} << "not a number";
    QTest::newRow("unknown number") << QStringList{"0FFF=1"} << "unknown communication number";
    QTest::newRow("no value") << QStringList{"0002"} << "is not COMNO=VALUE";
    QTest::newRow("no edit") << QStringList{} << "wrong number of operands";
}

void TestCliFiles::setRefusals() {
    QFETCH(QStringList, edits);
    QFETCH(QString, error);
    CliAppDir app;
    const QString file = app.tree.Write("set.vdk", VdkText());
    app.ExpectRefusal(QStringList{"--from", file, "set", file} + edits, error);
}

void TestCliFiles::printOfEachView_data() {
    QTest::addColumn<QString>("view");
    QTest::newRow("changed") << "changed";
    QTest::newRow("quick") << "quick";
    QTest::newRow("blind") << "blind";
}

// The printed table holds exactly the rows of the CSV table of the same view,
// with the file's comment; a file that cannot be read writes nothing.
void TestCliFiles::printOfEachView() {
    QFETCH(QString, view);
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    CliAppDir app;
    app.tree.Write("app/VDK330Q.ini", "[Page]\r\nItem5=1\r\n"); // print the comment
    app.writeReport = [](const QList<ReportLine>& lines, const PageSetup& page,
                         const ReportHeading& heading, const QString& path, QString* error) {
        return ParameterReport(lines, page, heading).WritePdf(path, error);
    };
    const QString file = app.tree.Write("set.vdk", VdkText());
    const QStringList selection{"--type", "QM40", "--lang", "English"};
    QCOMPARE(app.Run(selection +
                     QStringList{"csv", file, "-o", app.tree.Path("view.csv"), "--view", view})
                 .code,
             0);
    const CliResult r = app.Run(
        selection + QStringList{"print", file, "-o", app.tree.Path("view.pdf"), "--view", view});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QProcess text;
    text.start("pdftotext", {"-raw", app.tree.Path("view.pdf"), "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(printed.contains("QM40-2004 Pump 3"), qPrintable(printed.left(300)));
    QList<QByteArray> rows = app.tree.Read("view.csv").split('\n');
    rows.removeFirst(); // the headings
    int shown = 0;
    for (const QByteArray& row : rows) {
        if (row.trimmed().isEmpty())
            continue;
        ++shown;
        const QString number = QString::fromUtf8(row.split(',').value(1));
        QVERIFY2(printed.contains(QRegularExpression("\\b" + number + "\\b")), qPrintable(number));
    }
    QCOMPARE(int(printed.count(
                 QRegularExpression("^\\S+ [0-9A-F]{4} ", QRegularExpression::MultilineOption))),
             shown);

    app.ExpectRefusal(selection + QStringList{"print", app.tree.Path("none.vdk"), "-o",
                                              app.tree.Path("none.pdf")},
                      "cannot read");
}

QTEST_MAIN(TestCliFiles)
#include "tst_CliFiles.moc"
