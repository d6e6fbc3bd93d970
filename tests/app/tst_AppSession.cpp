// The program's frame without windows: one running copy, the start-up
// selection, the title and the file commands, and edits that are never
// dropped without a question.
#include "../sim/SimTables.h"
#include "DataFixture.h"
#include "FullDisk.h"
#include "VirtualClock.h"
#include "app/AppSession.h"
#include "app/RecentFiles.h"
#include "app/SingleInstance.h"
#include "app/StartupSelection.h"
#include "app/StatusLine.h"
#include "base/ProgramFlags.h"
#include "comm/CommSettings.h"
#include "data/UPara.h"
#include "options/EnvironmentOptions.h"
#include "settings/IniFile.h"
#include "sim/InverterSim.h"
#include "sim/SimulatedPort.h"
#include "table/ParameterTable.h"

#include <QLockFile>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTest>
#include <sys/stat.h>

using namespace vdk;

Q_DECLARE_METATYPE(vdk::Answer)

namespace {

// A session on the fixture's inverter, loaded as after a selection.
struct Session {
    Session() {
        f.paths.SelectLanguage("English");
        f.paths.SelectInverter("AB", "1", "-1K");
        session.ReadRememberedFolders();
        QVERIFY(session.LoadSelection());
    }
    DataFixture f;
    IniFile settings{f.tree.Path("VDK330Q.ini")};
    ProgramFlags flags;
    EnvironmentOptions options;
    AppSession session{f.paths, settings, f.dialogs, flags, options};
};

} // namespace

class TestAppSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void damagedDataReopensTheSelection();
    void oneRunningCopy();
    void staleLockIsTakenOver();
    void lockIsTheUsersOwn();
    void titleFollowsTheFile();
    void saveNeedsACurrentFile();
    void failedWritesAreShown();
    void saveOnAFullDiskKeepsTheFile();
    void saveAsNames_data();
    void saveAsNames();
    void saveAsAsksBeforeReplacingACompletedName();
    void saveOfAnOlderFormRunsSaveAs();
    void saveAsksBeforeDroppingLinesNotRead_data();
    void saveAsksBeforeDroppingLinesNotRead();
    void saveAsksBeforeKeepingFailedReads();
    void exportAsksAboutWhatTheFileMayNotMean_data();
    void exportAsksAboutWhatTheFileMayNotMean();
    void startStoppedAtAnUnknownNumberIsNotTheFile();
    void specialFileIsRefusedAsData();
    void unsavedEdits_data();
    void unsavedEdits();
    void rememberedFolders();
    void selectionUsesTheRememberedInverter();
    void selectionDetectsAndIdentifies();
    void demonstrationLineOutranksTheRememberedOne();
    void selectionWithoutUsablePort();
    void noPortTextsAreReadByKey();
    void statusLineSaysWhereAndWhat();
    void recentFilesKeepTheNewestEight();
};

// Definitions that cannot be converted send the user back to the selection
// (after message 68); a data file not chosen ends the start.
void TestAppSession::damagedDataReopensTheSelection() {
    Session s;
    s.f.tree.Write("dat/AB(1)/AB(Eng).inv",
                   "0000,0,x10,Max freq,F00,Hz,2,0,0,400,0,0,#.#,10,-,0,1\r\n");
    QVERIFY(!s.session.LoadSelection());
    QVERIFY(s.session.LoadDamaged());
    QVERIFY(!s.flags.StartAborted);
    QVERIFY(s.f.dialogs.Numbers().contains(68));
    QVERIFY(QFile::remove(s.f.tree.Path("dat/AB(1)/AB(Eng).inv")));
    s.f.tree.Write("lng/English.ini", DataFixture::General() + "[Main]\r\nOpenFile2=Typ|*.inv\r\n");
    s.session.texts.SetLangFile(s.f.paths.LangFile, s.f.paths.FallbackEncoding());
    QVERIFY(!s.session.LoadSelection()); // the file dialog is cancelled
    QVERIFY(!s.session.LoadDamaged());
    QVERIFY(s.flags.StartAborted);
    QCOMPARE(s.f.dialogs.fileRequests.last().filter, QStringLiteral("Typ|*.inv"));
}

void TestAppSession::oneRunningCopy() {
    TempTree t;
    SingleInstance first(t.Path()), second(t.Path());
    QVERIFY(first.Acquire());
    QVERIFY(!second.Acquire());
}

void TestAppSession::staleLockIsTakenOver() {
    TempTree t;
    // The lock of a copy that was killed: its process no longer exists.
    t.Write("VDK330Q", "999999\nvdk330q\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    SingleInstance next(t.Path());
    QVERIFY(next.Acquire());
}

// The lock lives in the user's runtime folder: one held in the temporary
// folder, where any user can make it, keeps nobody out.
void TestAppSession::lockIsTheUsersOwn() {
    TempTree runtime, temp;
    const auto set = [](const char* name, const QString& folder) {
        const std::optional<QByteArray> before =
            qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
        qputenv(name, QFile::encodeName(folder));
        return qScopeGuard([name, before] {
            if (before)
                qputenv(name, *before);
            else
                qunsetenv(name);
        });
    };
    const auto runtimeSet = set("XDG_RUNTIME_DIR", runtime.Path());
    const auto tempSet = set("TMPDIR", temp.Path());
    QCOMPARE(QDir(SingleInstance::LockFolder()).canonicalPath(),
             QDir(runtime.Path()).canonicalPath());

    QLockFile other(QDir(QDir::tempPath()).filePath("VDK330Q"));
    QVERIFY(other.tryLock(0));
    SingleInstance first, second;
    QVERIFY(first.Acquire());
    QVERIFY(QFileInfo::exists(runtime.Path("VDK330Q")));
    QVERIFY(!second.Acquire());
}

void TestAppSession::titleFollowsTheFile() {
    Session s;
    QCOMPARE(s.session.Title(), QStringLiteral("VDK330Q AB-1K (CPU Ver.1)"));
    QVERIFY(!s.session.SaveEnabled());
    const QString file = s.f.tree.Write(
        "in/set.vdk", "###\r\nAB\r\n-2K\r\n1\r\nEnglish\r\nx\r\n0\r\n0\r\nF004,9\r\n");
    s.f.dialogs.answers.enqueue(Answer::Yes); // the capacity question
    QVERIFY(s.session.Open(file));
    QCOMPARE(s.session.Title(), QStringLiteral("VDK330Q AB-1K (CPU Ver.1) M2set.vdk (AB-2K)"));
    QVERIFY(s.session.SaveEnabled());
    ParameterTable view(s.session.table, s.session.values, s.session.messenger);
    view.ResetTable();
    QCOMPARE(s.session.SaveAs(s.f.tree.Path("out/other"), false, view),
             AppSession::SaveAsResult::Saved);
    QCOMPARE(s.session.Title(), QStringLiteral("VDK330Q AB-1K (CPU Ver.1) M2other.vdk"));
    // A CSV save leaves the current file and the title alone.
    QCOMPARE(s.session.SaveAs(s.f.tree.Path("out/table"), true, view),
             AppSession::SaveAsResult::Saved);
    QVERIFY(QFile::exists(s.f.tree.Path("out/table.csv")));
    QCOMPARE(s.session.Title(), QStringLiteral("VDK330Q AB-1K (CPU Ver.1) M2other.vdk"));
    // The next Save As offers the CSV table's name and filter again.
    QCOMPARE(s.session.values.SaveName, QStringLiteral("table.csv"));
    QCOMPARE(s.session.SaveAsFilterEntry(), 2);
    QCOMPARE(s.session.values.LoadName, QStringLiteral("other.vdk"));
    // Save then overwrites the file Save As wrote, in its folder.
    s.session.values.At(4, UPara::Value) = "11";
    QCOMPARE(s.session.Save(), AppSession::SaveResult::Saved);
    QVERIFY(s.f.tree.Read("out/other.vdk").contains("F004,11,"));
}

void TestAppSession::saveNeedsACurrentFile() {
    Session s;
    QCOMPARE(s.session.Save(), AppSession::SaveResult::NoFile);
    QCOMPARE(s.f.dialogs.Numbers(), QList<int>{16});
    QCOMPARE(s.f.dialogs.messages.first().icon, MsgIcon::None);
}

void TestAppSession::failedWritesAreShown() {
    Session s;
    s.f.tree.Write("plain", "x");
    ParameterTable view(s.session.table, s.session.values, s.session.messenger);
    QCOMPARE(s.session.SaveAs(s.f.tree.Path("plain/set"), false, view),
             AppSession::SaveAsResult::Failed);
    QCOMPARE(s.f.dialogs.Numbers(), QList<int>{5});
    QVERIFY(s.f.dialogs.messages.first().text.startsWith("M5\n" + s.f.tree.Path("plain/set.vdk") +
                                                         "\n"));
    QCOMPARE(s.f.dialogs.messages.first().icon, MsgIcon::Stop);
    QCOMPARE(s.session.Title(), QStringLiteral("VDK330Q AB-1K (CPU Ver.1)")); // nothing taken over
    QVERIFY(!s.session.SaveEnabled());
}

// The window's Save goes through the same writer: on a disk that fills up the
// file stays as it was, the box names it with the system's reason, and the
// edits still count as unsaved.
void TestAppSession::saveOnAFullDiskKeepsTheFile() {
    Session s;
    const QString file =
        s.f.tree.Write("set.vdk", "###\r\nAB\r\n-1K\r\n1\r\nEnglish\r\nx\r\n0\r\n0\r\nF004,9\r\n");
    QVERIFY(s.session.Open(file));
    const QByteArray before = s.f.tree.Read("set.vdk");
    s.session.values.At(4, UPara::Value) = "11";
    {
        FullDisk disk(32);
        QCOMPARE(s.session.Save(), AppSession::SaveResult::Failed);
    }
    QCOMPARE(s.f.tree.Read("set.vdk"), before);
    QCOMPARE(s.f.dialogs.Numbers(), QList<int>{5});
    QVERIFY(
        s.f.dialogs.messages.first().text.startsWith("M5\n" + file + "\n" + FullDisk::Reason()));
    QVERIFY(s.session.HasUnsavedEdits());
}

void TestAppSession::saveAsNames_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("csv");
    QTest::addColumn<QString>("name");
    QTest::newRow("vdk kept") << "/d/a.vdk" << true << "/d/a.vdk";
    QTest::newRow("CSV kept") << "/d/a.CSV" << false << "/d/a.CSV";
    QTest::newRow("parameter filter") << "/d/a" << false << "/d/a.vdk";
    QTest::newRow("csv filter") << "/d/a" << true << "/d/a.csv";
    QTest::newRow(".txt gets .vdk after it") << "/d/a.txt" << false << "/d/a.txt.vdk";
}

void TestAppSession::saveAsNames() {
    QFETCH(QString, chosen);
    QFETCH(bool, csv);
    QFETCH(QString, name);
    QCOMPARE(AppSession::SaveAsName(chosen, csv), name);
}

void TestAppSession::saveAsAsksBeforeReplacingACompletedName() {
    Session s;
    s.f.tree.Write("keep.vdk", "precious");
    ParameterTable view(s.session.table, s.session.values, s.session.messenger);
    s.f.dialogs.answers.enqueue(Answer::No);
    QCOMPARE(s.session.SaveAs(s.f.tree.Path("keep"), false, view), AppSession::SaveAsResult::Kept);
    QCOMPARE(s.f.tree.Read("keep.vdk"), QByteArray("precious"));
    QCOMPARE(s.f.dialogs.Numbers(), QList<int>{17});
    s.f.dialogs.answers.enqueue(Answer::Yes);
    QCOMPARE(s.session.SaveAs(s.f.tree.Path("keep"), false, view), AppSession::SaveAsResult::Saved);
    QVERIFY(s.f.tree.Read("keep.vdk").startsWith("###"));
}

void TestAppSession::saveOfAnOlderFormRunsSaveAs() {
    Session s;
    const QString old = s.f.tree.Write("old.dat", "#\r\nAB\r\n-1K\r\nOld\r\nF004,9\r\n");
    QVERIFY(s.session.Open(old));
    QCOMPARE(s.session.Save(), AppSession::SaveResult::NeedsSaveAs);
    QCOMPARE(s.session.values.SaveName, QStringLiteral("old.vdk"));
    QCOMPARE(s.f.tree.Read("old.dat"), QByteArray("#\r\nAB\r\n-1K\r\nOld\r\nF004,9\r\n"));
}

// A table read from a file whose lines were not all read would, saved, put
// shipment values in place of those lines or drop them: the user is asked.
void TestAppSession::exportAsksAboutWhatTheFileMayNotMean_data() {
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("named");
    QTest::newRow("clear") << QByteArray("0000,10\r\nF004,9\r\n") << QString();
    QTest::newRow("outside its limits") << QByteArray("0000,500\r\n") << "0000=500";
    QTest::newRow("listed twice") << QByteArray("F004,9\r\nF004,8\r\n") << "F004 (9, 10)";
    QTest::newRow("cut") << QByteArray("0000,10\r\n\r\nF004,9\r\n") << "";
}

// Before an export of a table read from such a file the user is asked (No is
// the default), naming the parameters; a typed value that mends a limit ends
// that question, a save ends the others.
void TestAppSession::exportAsksAboutWhatTheFileMayNotMean() {
    QFETCH(QByteArray, lines);
    QFETCH(QString, named);
    Session s;
    QVERIFY(s.session.Open(
        s.f.tree.Write("f.vdk", "###\r\nAB\r\n-1K\r\n1\r\nEnglish\r\nx\r\n0\r\n0\r\n" + lines)));
    s.f.dialogs.messages.clear();
    s.f.dialogs.answers.enqueue(Answer::No);
    QCOMPARE(s.session.MayExportFindings(), named.isNull());
    if (named.isNull()) {
        QVERIFY(s.f.dialogs.messages.isEmpty());
        return;
    }
    const Message& asked = s.f.dialogs.messages.first();
    QCOMPARE(asked.number, 101);
    QCOMPARE(asked.preferred, std::optional<Answer>(Answer::No));
    if (!named.isEmpty()) // a cut list names no parameter: the text says it
        QVERIFY2(asked.text.endsWith(named), qPrintable(asked.text));
    s.session.values.At(0, UPara::Value) = "400";
    if (QTest::currentDataTag() == QLatin1String("outside its limits"))
        QVERIFY(s.session.MayExportFindings());
}

void TestAppSession::saveAsksBeforeDroppingLinesNotRead_data() {
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QList<int>>("asked");
    QTest::newRow("after an empty line") << QByteArray("F004,9\r\n\r\n0000,7\r\n") << QList<int>{};
    QTest::newRow("unknown number skipped") << QByteArray("0777,1\r\nF004,9\r\n") << QList<int>{68};
}

void TestAppSession::saveAsksBeforeDroppingLinesNotRead() {
    QFETCH(QByteArray, lines);
    QFETCH(QList<int>, asked);
    Session s;
    const QByteArray text = "###\r\nAB\r\n-1K\r\n1\r\nEnglish\r\nx\r\n0\r\n0\r\n" + lines;
    const QString file = s.f.tree.Write("part.vdk", text);
    QVERIFY(s.session.Open(file));
    QCOMPARE(s.f.dialogs.Numbers(), asked);
    ParameterTable view(s.session.table, s.session.values, s.session.messenger);
    view.ResetTable();

    s.f.dialogs.answers.enqueue(Answer::No);
    QCOMPARE(s.session.Save(), AppSession::SaveResult::Declined);
    s.f.dialogs.answers.enqueue(Answer::No);
    QCOMPARE(s.session.SaveAs(s.f.tree.Path("copy.vdk"), false, view),
             AppSession::SaveAsResult::Kept);
    QCOMPARE(s.f.dialogs.Numbers(), asked + (QList<int>{90, 90}));
    QCOMPARE(s.f.dialogs.messages.last().buttons, MsgButtons::YesNo);
    QCOMPARE(s.f.tree.Read("part.vdk"), text);
    QVERIFY(!QFile::exists(s.f.tree.Path("copy.vdk")));

    s.f.dialogs.answers.enqueue(Answer::Yes);
    QCOMPARE(s.session.Save(), AppSession::SaveResult::Saved);
    QVERIFY(s.f.tree.Read("part.vdk").contains("\r\nF004,9,"));
    // The file now holds the table: no question any more.
    QCOMPARE(s.session.Save(), AppSession::SaveResult::Saved);
    QCOMPARE(s.f.dialogs.messages.size(), asked.size() + 3);
}

// A whole-set import whose reads failed left shipment values in their place:
// saving such a table asks first.
void TestAppSession::saveAsksBeforeKeepingFailedReads() {
    Session s;
    ParameterTable view(s.session.table, s.session.values, s.session.messenger);
    view.ResetTable();
    const int row = s.session.table.FindRow(u"F004");
    s.session.values.SetUnread(row, true);
    s.session.values.SetMark(row, UPara::CommErrIndex, true);
    s.f.dialogs.answers.enqueue(Answer::No);
    QCOMPARE(s.session.SaveAs(s.f.tree.Path("set.vdk"), false, view),
             AppSession::SaveAsResult::Kept);
    QCOMPARE(s.f.dialogs.Numbers(), QList<int>{91});
    QVERIFY(!QFile::exists(s.f.tree.Path("set.vdk")));
    s.f.dialogs.answers.enqueue(Answer::Yes);
    QCOMPARE(s.session.SaveAs(s.f.tree.Path("set.vdk"), false, view),
             AppSession::SaveAsResult::Saved);
}

// A file given at the start whose reading stopped at a number the inverter
// does not know is not the current file: every value after that number is a
// default, and one Save would write them over the user's file.
void TestAppSession::startStoppedAtAnUnknownNumberIsNotTheFile() {
    Session s;
    const QByteArray text = "###\r\nAB\r\n-1K\r\n1\r\nEnglish\r\nx\r\n0\r\n0\r\n"
                            "F004,9\r\n0777,1\r\n0000,7\r\n";
    const QString file = s.f.tree.Write("part.vdk", text);
    QVERIFY(s.session.StartFromFile(file));
    QCOMPARE(s.f.dialogs.Numbers(), QList<int>{68});
    QVERIFY(!s.session.SaveEnabled());
    QVERIFY(!s.session.Title().contains("part.vdk"));
    QCOMPARE(s.session.Save(), AppSession::SaveResult::NoFile);
    QCOMPARE(s.f.tree.Read("part.vdk"), text);
    QCOMPARE(s.session.values.At(s.session.table.FindRow(u"F004"), UPara::Value), "9");
}

void TestAppSession::specialFileIsRefusedAsData() {
    Session s;
    const QString fifo = s.f.tree.Path("pipe.vdk");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!s.session.Open(fifo));
    QCOMPARE(s.f.dialogs.Numbers(), QList<int>{68});
    QVERIFY(!s.session.SaveEnabled());
}

void TestAppSession::unsavedEdits_data() {
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<bool>("mayGoOn");
    QTest::addColumn<bool>("saveAsRun");
    QTest::newRow("cancel keeps everything") << Answer::Cancel << true << false << false;
    QTest::newRow("no drops the edits") << Answer::No << true << true << false;
    QTest::newRow("yes saves the current file") << Answer::Yes << true << true << false;
    QTest::newRow("yes without a file runs Save As") << Answer::Yes << false << true << true;
}

void TestAppSession::unsavedEdits() {
    QFETCH(Answer, answer);
    QFETCH(bool, withFile);
    QFETCH(bool, mayGoOn);
    QFETCH(bool, saveAsRun);
    Session s;
    bool saveAsCalled = false;
    const auto saveAs = [&] { return saveAsCalled = true; };
    QVERIFY(s.session.MaySetEditsAside(saveAs)); // nothing edited: no question
    QVERIFY(s.f.dialogs.messages.isEmpty());
    if (withFile)
        QVERIFY(s.session.Open(
            s.f.tree.Write("a.vdk", "###\r\nAB\r\n-1K\r\n1\r\nEnglish\r\nx\r\n0\r\n0\r\n")));
    s.session.values.At(4, UPara::Value) = "77";
    QVERIFY(s.session.HasUnsavedEdits());
    s.f.dialogs.answers.enqueue(answer);
    QCOMPARE(s.session.MaySetEditsAside(saveAs), mayGoOn);
    QCOMPARE(s.f.dialogs.Numbers(), QList<int>{89});
    QCOMPARE(saveAsCalled, saveAsRun);
    QCOMPARE(s.session.values.At(4, UPara::Value), QStringLiteral("77"));
    if (answer == Answer::Yes && withFile) {
        QVERIFY(s.f.tree.Read("a.vdk").contains("F004,77,"));
        QVERIFY(!s.session.HasUnsavedEdits());
    }
}

void TestAppSession::rememberedFolders() {
    Session s;
    QCOMPARE(s.session.values.LoadDir, s.f.tree.Path());
    s.session.values.LoadDir = "/data/load";
    s.session.values.SaveDir = "/data/save";
    s.session.MonDir = "/data/mon";
    QVERIFY(s.session.WriteRememberedFolders());
    AppSession again(s.f.paths, s.settings, s.f.dialogs, s.flags, s.options);
    again.ReadRememberedFolders();
    QCOMPARE(again.values.LoadDir, QStringLiteral("/data/load"));
    QCOMPARE(again.values.SaveDir, QStringLiteral("/data/save"));
    QCOMPARE(again.MonDir, QStringLiteral("/data/mon"));
}

void TestAppSession::selectionUsesTheRememberedInverter() {
    TempTree t;
    t.CopyTree(QStringLiteral(VDK_SHARE_DIR "/dat"), "dat");
    AppPaths paths(t.Path(), t.Path("VDK330Q.ini"));
    IniFile settings(paths.SettingsFile);
    t.Write("VDK330Q.ini",
            "[Language]\r\nJapanese=0\r\nEnglish=0\r\n[Default]\r\nLangNo=1\r\nInvType=0\r\n"
            "InvForm=5\r\nInvCpu=1\r\n[Options]\r\nCheckLang=1\r\nCheckInv=1\r\n");
    StartupSelection selection(paths, settings);
    ScriptedDialogs dialogs;
    selection.Open(false, nullptr, {}, dialogs, "Confirmation", "none");
    QVERIFY(!selection.detectionRan);
    QVERIFY(selection.Commit());
    QCOMPARE(paths.Identity().Language, QStringLiteral("English"));
    QCOMPARE(paths.Identity().TypeForm, QStringLiteral("QM40"));
    QCOMPARE(paths.Identity().CpuVer, QStringLiteral("3.05"));
    QCOMPARE(paths.Identity().Capacity, QStringLiteral("-4037"));
    // Changing the type-form starts its lists at their first entries.
    selection.SelectType(1);
    QCOMPARE(selection.cpu, 0);
    QCOMPARE(selection.capacity, 0);
    QCOMPARE(selection.capacities.first(), QStringLiteral("-4007"));
}

void TestAppSession::selectionDetectsAndIdentifies() {
    TempTree t;
    t.CopyTree(QStringLiteral(VDK_SHARE_DIR "/dat"), "dat");
    AppPaths paths(t.Path(), t.Path("VDK330Q.ini"));
    IniFile settings(paths.SettingsFile);
    t.Write("VDK330Q.ini", "[Language]\r\nJapanese=0\r\nEnglish=0\r\n");
    const ParaDat table = ShippedTable("QS20", "1.20", "-S2004");
    SimOptions o;
    o.baudIndex = 4;
    o.parityIndex = 2;
    o.protocol = Protocol::Modbus;
    InverterSim sim(table, o);
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    Detector detector(port, clock);
    StartupSelection selection(paths, settings);
    ScriptedDialogs dialogs;
    selection.Open(false, &detector, {"absent0", "ttyA", "ttyB"}, dialogs, "Confirmation", "none");
    QVERIFY(selection.found);
    QVERIFY(selection.Commit());
    QCOMPARE(paths.Identity().TypeForm, QStringLiteral("QS20"));
    QCOMPARE(paths.Identity().Capacity, QStringLiteral("-S2004"));
    QCOMPARE(settings.ReadInteger("Comms", "Baudrate", -1), 4);
    QCOMPARE(settings.ReadInteger("Comms", "Parity", -1), 2);
    QCOMPARE(settings.ReadInteger("Comms", "Prtocol", -1), 1);
    QCOMPARE(settings.ReadInteger("Comms", "Commport", -1), 1); // ttyA, the first that answered
    QCOMPARE(settings.ReadInteger("Default", "InvType", -1), 2);
}

// A second demonstration start: the inverter and a line (the first run's
// simulator, gone now) are remembered, yet the new simulator is the line.
void TestAppSession::demonstrationLineOutranksTheRememberedOne() {
    TempTree t;
    t.CopyTree(QStringLiteral(VDK_SHARE_DIR "/dat"), "dat");
    AppPaths paths(t.Path(), t.Path("VDK330Q.ini"));
    IniFile settings(paths.SettingsFile);
    t.Write("VDK330Q.ini",
            "[Language]\r\nJapanese=0\r\nEnglish=0\r\n[Default]\r\nLangNo=1\r\nInvType=0\r\n"
            "InvForm=5\r\nInvCpu=1\r\n[Options]\r\nCheckLang=1\r\nCheckInv=1\r\n"
            "[Comms]\r\nCommportName=absent-pts-4\r\nBaudrate=3\r\nParity=1\r\nPrtocol=0\r\n");
    const ParaDat table = ShippedTable("QS20", "1.20", "-S2004");
    InverterSim sim(table, SimOptions{});
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    Detector detector(port, clock);
    StartupSelection selection(paths, settings);
    selection.alwaysDetect = true;
    ScriptedDialogs dialogs;
    selection.Open(false, &detector, {"pts-9"}, dialogs, "Confirmation", "none");
    QVERIFY(selection.Commit());
    QCOMPARE(paths.Identity().TypeForm, QStringLiteral("QS20"));
    QCOMPARE(paths.Identity().Language, QStringLiteral("English"));
    QCOMPARE(LoadCommSettings(settings).port.portName, QStringLiteral("pts-9"));
}

void TestAppSession::selectionWithoutUsablePort() {
    TempTree t;
    t.CopyTree(QStringLiteral(VDK_SHARE_DIR "/dat"), "dat");
    AppPaths paths(t.Path(), t.Path("VDK330Q.ini"));
    IniFile settings(paths.SettingsFile);
    const ParaDat table = ShippedTable("QM40", "2.10", "-2004");
    InverterSim sim(table, SimOptions{});
    VirtualClock clock;
    SimulatedPort port(sim, clock);
    Detector detector(port, clock);
    StartupSelection selection(paths, settings);
    ScriptedDialogs dialogs;
    selection.Open(false, &detector, {"absent1"}, dialogs, "Confirmation",
                   "Usable serial port is not found.");
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages.first().text, QStringLiteral("Usable serial port is not found."));
    QVERIFY(selection.Commit());
    // Nothing was found, so nothing is stored as found.
    for (const char* key : {"Commport", "Prtocol", "Baudrate", "Parity"})
        QCOMPARE(settings.ReadInteger("Comms", key, -1), -1);
    QCOMPARE(paths.Identity().TypeForm, QStringLiteral("QM40"));
}

// The "no usable port" box is shown before the message list exists: for New
// its texts are read by key, whatever their place in [General].
void TestAppSession::noPortTextsAreReadByKey() {
    DataFixture f;
    f.tree.Write("lng/English.ini", "[General]\r\nMessage3=No port here\r\nMessage1=Caption\r\n");
    f.texts.SetLangFile(f.paths.LangFile, f.paths.FallbackEncoding());
    const auto atNew = StartupSelection::NoPortTextsFor(true, f.texts);
    QCOMPARE(atNew.caption, QStringLiteral("Caption"));
    QCOMPARE(atNew.text, QStringLiteral("No port here"));
    const auto atStart = StartupSelection::NoPortTextsFor(false, f.texts);
    QCOMPARE(atStart.caption, QStringLiteral("Confirmation"));
    QCOMPARE(atStart.text, QStringLiteral("Usable serial port is not found."));
}

QTEST_GUILESS_MAIN(TestAppSession)
void TestAppSession::statusLineSaysWhereAndWhat() {
    Session s;
    CommSettings comms;
    comms.port.portName = "ttyUSB0";
    comms.port.baudIndex = 5;
    comms.port.parityIndex = 2;
    comms.protocol = Protocol::Modbus;
    comms.id = 7;
    s.session.values.SetMark(2, UPara::ChangeIndex, true);
    s.session.values.SetMark(4, UPara::ChangeIndex, true);
    s.session.values.SetMark(4, UPara::WriteIndex, true);
    using F = StatusLine::Field;
    QStringList fields =
        StatusLine::Fields(comms, s.f.paths.Identity(), CommIndicator::Ready,
                           ParameterTable::Mode::Changed, s.session.values, s.session.texts);
    QCOMPARE(fields[F::Line], QStringLiteral("ttyUSB0  38400 bps  Odd"));
    QCOMPARE(fields[F::Address], QStringLiteral("MODBUS-RTU, Inverter number 7"));
    QCOMPARE(fields[F::Inverter], QStringLiteral("AB-1K (CPU Ver.1)"));
    QCOMPARE(fields[F::Link], QStringLiteral("Linked"));
    QCOMPARE(fields[F::View], QStringLiteral("'Changed' Only"));
    QCOMPARE(fields[F::Changed], QStringLiteral("Changed: 2"));
    QCOMPARE(fields[F::Unwritten], QStringLiteral("Not written: 1"));
    // Broadcast addresses every inverter; a port not chosen says so.
    comms.douhou = true;
    comms.port.portName.clear();
    fields = StatusLine::Fields(comms, s.f.paths.Identity(), CommIndicator::NoLink,
                                ParameterTable::Mode::All, s.session.values, s.session.texts);
    QCOMPARE(fields[F::Line], QStringLiteral("No port  38400 bps  Odd"));
    QCOMPARE(fields[F::Address], QStringLiteral("MODBUS-RTU, Broadcast"));
    QCOMPARE(fields[F::Link], QStringLiteral("No link"));
}

void TestAppSession::recentFilesKeepTheNewestEight() {
    Session s;
    RecentFiles recent(s.settings);
    QVERIFY(recent.Files().isEmpty());
    for (int i = 1; i <= 9; ++i)
        recent.Add(QStringLiteral("/data/f%1.vdk").arg(i));
    recent.Add("/data/f5.vdk"); // used again: first, and only once
    const QStringList expected{"/data/f5.vdk", "/data/f9.vdk", "/data/f8.vdk", "/data/f7.vdk",
                               "/data/f6.vdk", "/data/f4.vdk", "/data/f3.vdk", "/data/f2.vdk"};
    QCOMPARE(RecentFiles(s.settings).Files(), expected); // stored
    recent.Remove("/data/f9.vdk");
    QCOMPARE(recent.Files().size(), 7);
    QVERIFY(!recent.Files().contains("/data/f9.vdk"));
}

#include "tst_AppSession.moc"
