// The transfer dialog and the result report window: texts by mode, a run from
// Start to the closed dialog, Save (asked, automatic, as edited), Print to
// PDF, and pictures of each.
#include "../TransferFixture.h"
#include "settings/MessageIds.h"
#include "transfer/ui/ReportWindow.h"
#include "transfer/ui/ReviewWindow.h"
#include "transfer/ui/TransferDialog.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString Pictures() {
    return qEnvironmentVariable("VDK_SCREENSHOTS");
}

void SavePicture(const QPixmap& picture, const char* name) {
    if (!Pictures().isEmpty())
        picture.save(QStringLiteral("%1/%2.png").arg(Pictures(), QLatin1String(name)));
}

QStringList Labels(const QWidget& w) {
    QStringList texts;
    for (const QLabel* label : w.findChildren<QLabel*>())
        if (label->isVisibleTo(&w))
            texts.append(label->text());
    return texts;
}

ReportWindow::Context Context(const DataFixture& f, bool autoSave = false) {
    return {f.tree.Path("app"), f.tree.Path("docs"), autoSave, true, "AB-1K (CPU Ver.1)"};
}

} // namespace

class TestTransferWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dialogRunsTheTransfer();
    void stopEndsTheRun();
    void cancelStartsNothing();
    void reportSaves();
    void reportPrintsToPdf();
    void pictures();
};

void TestTransferWindows::dialogRunsTheTransfer() {
    Run r(Protocol::Inverter, "0000=700\n");
    TransferDialog bar(r.Make(), TransferMode::Export, r.report, r.f.messenger, r.f.texts);
    bar.ShowChangedOnlyNote(true);
    int checks = 0;
    bar.typeCheck = [&checks] { ++checks; };
    bar.show();
    QCOMPARE(checks, 1);
    QCOMPARE(bar.windowTitle(), "Parameter Export");
    QCOMPARE(Labels(bar), (QStringList{"M63", "M84"}));
    QCOMPARE(bar.Bar()->value(), 0);
    QTest::mouseClick(bar.StartButton(), Qt::LeftButton);
    QVERIFY(bar.Started());
    QVERIFY(!bar.isVisible());
    QCOMPARE(bar.result(), int(QDialog::Accepted));
    QCOMPARE(bar.Bar()->value(), 100);
    QCOMPARE(r.report.lines.last(), "No Item.");
}

// Stop (or Escape, or the close box) ends a run before its next parameter:
// an export writes no more, an import changes nothing in the table.
void TestTransferWindows::stopEndsTheRun() {
    Run r(Protocol::Inverter, "0000=700\n0001=70\n");
    r.config.options.changedOnly = false;
    r.Value("0000") = "650";
    r.Value("0001") = "80";
    TransferDialog bar(r.Make(), TransferMode::Export, r.report, r.f.messenger, r.f.texts);
    int turns = 0;
    r.pump = FunctionPump([&] {
        if (++turns == 1) {
            QCOMPARE(bar.CancelButton()->text(), "Stop");
            QTest::mouseClick(bar.CancelButton(), Qt::LeftButton);
        }
    });
    bar.show();
    bar.Start();
    QVERIFY(!bar.isVisible());
    QVERIFY(bar.Result().aborted && bar.Result().stopped);
    QCOMPARE(r.line->Ram("0000"), 650); // written before the stop
    QCOMPARE(r.line->Ram("0001"), 70);  // not any more
    QCOMPARE(bar.CancelButton()->text(), "Cancel");

    Run i(Protocol::Inverter, "0000=700\n");
    TransferDialog importing(i.Make(), TransferMode::Import, i.report, i.f.messenger, i.f.texts);
    i.pump = FunctionPump([&] { importing.reject(); }); // Escape or the close box
    importing.show();
    importing.Start();
    QVERIFY(importing.Result().stopped);
    QCOMPARE(i.Value("0000"), "600"); // the table keeps its values
}

void TestTransferWindows::cancelStartsNothing() {
    Run r;
    TransferDialog bar(r.Make(), TransferMode::Import, r.report, r.f.messenger, r.f.texts);
    bar.show();
    QCOMPARE(Labels(bar), QStringList{"M62"});
    bar.reject();
    QVERIFY(!bar.Started());
    QVERIFY(r.report.lines.isEmpty());
}

void TestTransferWindows::reportSaves() {
    DataFixture f;
    f.tree.Write("app/keep", "");
    ResultReport report(0);
    report.lines = QStringList{"* Communication Error Parameters", "F03: Signed"};
    {
        ReportWindow form(report, f.texts, f.dialogs, Context(f));
        QCOMPARE(form.windowTitle(), "Import Result");
        QCOMPARE(form.List()->toPlainText(), report.lines.join('\n'));
        form.List()->appendPlainText("checked by hand");
        f.dialogs.files.enqueue(f.tree.Path("out.txt"));
        QCOMPARE(form.Save(), f.tree.Path("out.txt"));
        QCOMPARE(f.tree.Read("out.txt"),
                 "* Communication Error Parameters\r\nF03: Signed\r\nchecked by hand\r\n");
        QCOMPARE(f.dialogs.fileRequests.last().directory, f.tree.Path("app"));
        QCOMPARE(form.Save(), QString()); // cancelled
        // ".txt" is added; a file of that name is replaced only when the user says so.
        f.dialogs.files.enqueue(f.tree.Path("out"));
        f.dialogs.answers.enqueue(Answer::Yes);
        QCOMPARE(form.Save(), f.tree.Path("out.txt"));
        QCOMPARE(f.dialogs.Numbers().last(), 17);
        f.dialogs.files.enqueue(f.tree.Path("out"));
        f.dialogs.answers.enqueue(Answer::No);
        form.List()->setPlainText("replaced");
        QCOMPARE(form.Save(), QString());
        QCOMPARE(f.dialogs.Numbers().last(), 17);
        QVERIFY(f.tree.Read("out.txt").startsWith("* Communication"));
        f.dialogs.files.enqueue(f.tree.Path("fresh"));
        const int questions = f.dialogs.messages.size();
        QCOMPARE(form.Save(), f.tree.Path("fresh.txt"));
        QCOMPARE(f.dialogs.messages.size(), questions); // nothing to replace: no question
    }
    {
        // With the option on, a time-stamped file, never replacing another.
        ReportWindow form(report, f.texts, f.dialogs, Context(f, true));
        const int asked = f.dialogs.fileRequests.size();
        const QString first = form.Save();
        const QString second = form.Save();
        QCOMPARE(f.dialogs.fileRequests.size(), asked);
        QVERIFY(first.startsWith(f.tree.Path("app/")));
        QVERIFY(first != second);
        QVERIFY(QFile::exists(first) && QFile::exists(second));
    }
    {
        // Inverter information always asks.
        ResultReport info(3);
        ReportWindow form(info, f.texts, f.dialogs, Context(f, true));
        QCOMPARE(form.windowTitle(), "Inverter Infomation");
        const int asked = f.dialogs.fileRequests.size();
        form.Save();
        QCOMPARE(f.dialogs.fileRequests.size(), asked + 1);
    }
    ReportWindow noPrinter(report, f.texts, f.dialogs, {QString(), QString(), false, false, {}});
    QVERIFY(!noPrinter.PrintButton()->isEnabled());
}

// One document with the print title; kept beside the pictures when they are asked for.
void TestTransferWindows::reportPrintsToPdf() {
    DataFixture f;
    ResultReport report(2);
    report.lines =
        QStringList{"* Different Value Parameters", "        Inverter     VDK330Q  Title",
                    " F00:       65.5 ,      60.0  (Maxfreq)"};
    ReportWindow form(report, f.texts, f.dialogs, Context(f));
    QTemporaryDir temp;
    const QString pdf =
        QDir(Pictures().isEmpty() ? temp.path() : Pictures()).filePath("comparison-report.pdf");
    QFile::remove(pdf);
    f.dialogs.files.enqueue(pdf);
    // The heading says which inverter, which operation, and when.
    const QStringList heading = form.PrintHeading();
    QCOMPARE(heading.size(), 2);
    QCOMPARE(heading[0], QStringLiteral("VDK330Q"));
    QVERIFY2(heading[1].startsWith("AB-1K (CPU Ver.1)    Comparison Result    "),
             qPrintable(heading[1]));
    QVERIFY(heading[1].contains(QString::number(QDate::currentDate().year() % 100)));
    form.Print();
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    QVERIFY(file.size() > 1000);
}

void TestTransferWindows::pictures() {
    if (Pictures().isEmpty())
        QSKIP("set VDK_SCREENSHOTS=DIR to save pictures of the windows");
    Run r(Protocol::Inverter, "0000=655\n0003=-1\n", {"0004"});
    r.f.texts.SetLangFile(QStringLiteral(VDK_SHARE_DIR "/lng/English.ini"), "Windows-1252");
    r.f.texts.LoadMessageList();
    r.config.options.errorPrompt = true;
    TransferDialog bar(r.Make(), TransferMode::Import, r.report, r.f.messenger, r.f.texts);
    int step = 0;
    r.pump = FunctionPump([&] {
        if (++step == 4)
            SavePicture(bar.grab(), "transfer-running");
    });
    r.f.dialogs.answers.enqueue(Answer::Ignore);
    bar.show();
    QApplication::processEvents();
    SavePicture(bar.grab(), "transfer-ready");
    bar.Start();
    const Message& m = r.f.dialogs.messages.first();
    QMessageBox prompt(QMessageBox::Warning, m.caption, m.text,
                       QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    prompt.show();
    QApplication::processEvents();
    SavePicture(prompt.grab(), "transfer-failure-prompt");

    const auto report = [&](TransferMode mode, const char* name) {
        ResultReport result{int(mode)};
        r.config.options.errorPrompt = false;
        r.Make().Run(mode, result);
        ReportWindow form(result, r.f.texts, r.f.dialogs, Context(r.f));
        form.show();
        QApplication::processEvents();
        SavePicture(form.grab(), name);
    };
    report(TransferMode::Import, "report-import");
    r.Value("0001") = "70000";
    r.config.options.changedOnly = false;
    report(TransferMode::Export, "report-export");
    r.Value("0000") = "600";
    r.Value("0003") = "5";
    report(TransferMode::Compare, "report-comparison");

    // A review with a parameter that could not be read, and a line that fell
    // silent, in both languages.
    r.f.values.SetUnread(r.Row("0004"), false);
    for (const char* language : {"English", "Japanese"}) {
        r.f.texts.SetLangFile(QStringLiteral(VDK_SHARE_DIR "/lng/%1.ini").arg(language),
                              language == QLatin1String("Japanese") ? "Shift_JIS" : "Windows-1252");
        r.f.texts.LoadMessageList();
        const QString tag = QString::fromLatin1(language).left(3);
        TransferRun& run = r.Make();
        run.guard.review = true;
        run.guard.choose = [&](ExportReview& review) {
            ReviewWindow window({review, r.f.table, r.f.values, "", false, false, false},
                                r.f.texts);
            window.show();
            QApplication::processEvents();
            window.grab().save(QStringLiteral("%1/review-not-read-%2.png").arg(Pictures(), tag));
            return false;
        };
        run.Run(TransferMode::Export, r.report);
        Message m =
            r.f.texts.MakeMessage(kMsgSilentLine, MsgIcon::Exclamation, MsgButtons::StopGoOn);
        QMessageBox silent(QMessageBox::Warning, m.caption, m.text.arg(5),
                           QMessageBox::Abort | QMessageBox::Ignore);
        silent.button(QMessageBox::Abort)
            ->setText(r.f.texts.LangText("Working", "Button3", "Stop"));
        silent.button(QMessageBox::Ignore)
            ->setText(r.f.texts.LangText("Working", "Button4", "Go on"));
        silent.show();
        QApplication::processEvents();
        silent.grab().save(QStringLiteral("%1/silent-line-%2.png").arg(Pictures(), tag));
    }
}

QTEST_MAIN(TestTransferWindows)
#include "tst_TransferWindows.moc"
