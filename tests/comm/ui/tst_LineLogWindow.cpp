// The line log window on a log filled by hand: records show only when the
// refresh timer has run, not per exchange; Pause holds them back; the filter
// narrows the table; Save As writes what is shown as CSV; the texts come from
// the language files.
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "comm/ui/LineLogWindow.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace vdk;

namespace {

struct Window {
    explicit Window(const QString& language = QStringLiteral("English")) : texts(Texts(language)) {}
    static LanguageTexts Texts(const QString& language) {
        LanguageTexts t;
        t.SetLangFile(QStringLiteral(VDK_SHARE_DIR "/lng/%1.ini").arg(language), "windows-1252");
        t.LoadMessageList();
        return t;
    }
    void Record(const char* comNo, LineVerdict verdict) {
        LineRecord r = LineRecordOf(Protocol::Inverter, {comNo, false, 'R', {}, {}});
        r.verdict = verdict;
        r.roundTrip = 50;
        log.Record(r);
    }
    // Whether rows come with a refresh within `ms`.
    bool Refreshed(int ms = 5000) {
        return QSignalSpy(&window.Model(), &QAbstractItemModel::rowsInserted).wait(ms);
    }
    int Rows() const { return window.Model().rowCount(); }

    LanguageTexts texts;
    ScriptedDialogs dialogs;
    Messenger messenger{texts, dialogs};
    LineLog log;
    LineLogWindow window{log, messenger, texts};
};

} // namespace

class TestLineLogWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordsAppearOnTheTimer();
    void filterNarrows();
    void saveAsWritesTheCsv();
    void japaneseTexts();
};

void TestLineLogWindow::recordsAppearOnTheTimer() {
    Window w;
    w.Record("0000", LineVerdict::Answered);
    w.Record("FA10", LineVerdict::NoReply);
    QCOMPARE(w.Rows(), 0); // nothing per exchange
    QVERIFY(w.Refreshed());
    QCOMPARE(w.Rows(), 2);
    QCOMPARE(w.window.Status()->text(),
             QStringLiteral("2 exchanges, 1 failed, round trip mean 5.0 ms, worst 5.0 ms"));

    w.window.PauseButton()->click();
    w.Record("0001", LineVerdict::Answered);
    QVERIFY(!w.Refreshed(3 * LineLogWindow::kRefreshMs)); // three refreshes, held back
    QCOMPARE(w.Rows(), 2);
    w.window.PauseButton()->click();
    QVERIFY(w.Refreshed());
    QCOMPARE(w.Rows(), 3);
    QCOMPARE(w.window.Model().Records().last().comNo, quint16(0x0001));

    w.window.ClearButton()->click();
    QCOMPARE(w.Rows(), 0);
    QCOMPARE(w.log.Size(), 0);
}

void TestLineLogWindow::filterNarrows() {
    Window w;
    w.Record("0000", LineVerdict::Answered);
    w.Record("FA10", LineVerdict::NoReply);
    w.Record("FA10", LineVerdict::Answered);
    w.Record("0000", LineVerdict::ShortReply);
    QVERIFY(w.Refreshed());
    QTest::keyClicks(w.window.ComNoField(), "fa10");
    QCOMPARE(w.Rows(), 2);
    w.window.VerdictBox()->setCurrentIndex(
        w.window.VerdictBox()->findData(LineFilter::FailuresOnly));
    QCOMPARE(w.Rows(), 1);
    QCOMPARE(w.window.Model().Records().first().verdict, LineVerdict::NoReply);
    w.window.ComNoField()->clear();
    QCOMPARE(w.Rows(), 2);
    w.window.VerdictBox()->setCurrentIndex(
        w.window.VerdictBox()->findData(int(LineVerdict::ShortReply)));
    QCOMPARE(w.Rows(), 1);
    // New records pass the same filter.
    w.Record("0001", LineVerdict::ShortReply);
    w.Record("0001", LineVerdict::Answered);
    QVERIFY(w.Refreshed());
    QCOMPARE(w.Rows(), 2);
}

void TestLineLogWindow::saveAsWritesTheCsv() {
    Window w;
    TempTree tree;
    w.Record("0000", LineVerdict::Answered);
    w.Record("FA10", LineVerdict::NoReply);
    QVERIFY(w.Refreshed());
    QTest::keyClicks(w.window.ComNoField(), "FA10");
    w.dialogs.files.enqueue(tree.Path("line")); // the extension is added
    w.window.SaveButton()->click();
    QFile file(tree.Path("line.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), LineLog::Csv(w.window.Model().Records()));
    QCOMPARE(w.window.Model().Records().size(), 1);
    QVERIFY(w.dialogs.messages.isEmpty());

    // A file that cannot be written is said, not passed over: here its
    // folder would be a file.
    w.dialogs.files.enqueue(tree.Path("line.csv/line.csv"));
    w.window.SaveButton()->click();
    QCOMPARE(w.dialogs.Numbers(), QList<int>{68});
}

void TestLineLogWindow::japaneseTexts() {
    Window w(QStringLiteral("Japanese"));
    QCOMPARE(w.window.windowTitle(), QStringLiteral("通信ログ"));
    QCOMPARE(w.window.Model().headerData(4, Qt::Horizontal).toString(), QStringLiteral("通信番号"));
    // The verdicts in the table speak the window's language too.
    w.Record("0000", LineVerdict::NoReply);
    QVERIFY(w.Refreshed());
    QCOMPARE(w.window.Model().index(0, LineLog::Verdict).data().toString(),
             QStringLiteral("応答なし"));
}

QTEST_MAIN(TestLineLogWindow)
#include "tst_LineLogWindow.moc"
