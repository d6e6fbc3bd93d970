// The monitoring window on the simulated QM40 under the offscreen platform:
// what it loads, a run from "Start" to "Stop" with the chart and MonitorBusy,
// closing refused while running, and the set-up kept on closing. With
// VDK_SCREENSHOTS=DIR it saves a picture of the window.
#include "../../sim/SimTables.h"
#include "DataFixture.h"
#include "SimLine.h"
#include "base/EventPump.h"
#include "data/UPara.h"
#include "monitor/ui/MonitorWindow.h"
#include "options/EnvironmentOptions.h"
#include "printing/ui/PrintPreviewWindow.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QLineSeries>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace vdk;

namespace {

struct Monitor {
    Monitor() : table(ShippedTable("QM40", "2.10", "-2004")), paths(VDK_SHARE_DIR, QString()) {
        paths.SelectLanguage("English");
        paths.SelectInverter("QM40", "2.10", "-2004");
        values.Resize(table.Count());
        line = std::make_unique<SimLine>(table, f.messenger, Protocol::Inverter,
                                         f.tree.Path("sim.txt"), "FA01=3000\n");
        options.MonKeep = true;
        window = std::make_unique<MonitorWindow>(MonitorWindow::Parts{
            line->link, line->clock, pump, f.messenger, line->flags, table, values, paths, settings,
            options, monDir, [this](bool on) { mainEnabled.append(on); },
            [this](bool on) { commandEnabled = on; }, [this] { ++tripReports; }});
    }
    DataFixture f;
    ParaDat table;
    AppPaths paths;
    UPara values;
    IniFile settings{f.tree.Path("VDK330Q.ini")};
    EnvironmentOptions options;
    QString monDir = f.tree.Path();
    std::unique_ptr<SimLine> line;
    std::function<void()> onPump;
    FunctionPump pump{[this] {
        if (onPump)
            onPump();
    }};
    QList<bool> mainEnabled;
    bool commandEnabled = false;
    int tripReports = 0;
    std::unique_ptr<MonitorWindow> window;
};

} // namespace

class TestMonitorWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadsTheTypesItems();
    void runFromStartToStop();
    void continuousRunWritesItsCsv();
    void setupKeptOnClosing();
    void triggeredRecordSavedAndOpened();
    void tripStopShowsTheTripData();
    void printsTheRecord();
    void pictures();
};

void TestMonitorWindow::loadsTheTypesItems() {
    Monitor m;
    QVERIFY(m.window->CatalogueLoaded());
    QVERIFY(m.commandEnabled);
    // Alarm and trip reads are on by default: CH9 and CH10 give way to them.
    QCOMPARE(m.window->Setup().UsableSlots(), 8);
    QCOMPARE(m.window->Setup().ReadsPerSample(), 7);
    QVERIFY(m.window->StartButton()->isEnabled());
    QVERIFY(!m.window->StopButton()->isEnabled());
    // A unit change only where the item has another unit: output current (A).
    QList<QCheckBox*> unitBoxes;
    for (QCheckBox* box : m.window->findChildren<QCheckBox*>())
        if (box->text().isEmpty())
            unitBoxes.append(box);
    QCOMPARE(unitBoxes.size(), 10);
    QVERIFY(!unitBoxes[0]->isEnabled()); // output frequency: (Hz) only
    QVERIFY(unitBoxes[2]->isEnabled());
    // The shortest time base: a division leaves every read its time.
    QCOMPARE(m.window->TimeBase()->value(), m.window->Setup().MinTimeBaseMs() / 1000.0);
}

void TestMonitorWindow::runFromStartToStop() {
    Monitor m;
    m.window->show();
    bool busy = false;
    bool closedWhileRunning = false;
    m.onPump = [&] {
        busy |= m.line->flags.MonitorBusy;
        if (m.line->clock.now > 10000 && m.line->flags.MonitorBusy) {
            closedWhileRunning |= m.window->close();
            m.window->Stop();
        }
    };
    m.window->Start();
    QVERIFY(busy);
    QVERIFY(!closedWhileRunning);
    QVERIFY(!m.line->flags.MonitorBusy);
    QCOMPARE(m.mainEnabled, (QList<bool>{false, true}));
    const MonitorRecord& r = m.window->Record();
    QVERIFY(r.SampleCount() > 1);
    QCOMPARE(m.window->Trace(0)->count(), r.SampleCount()); // every point reached the chart
    QVERIFY(!m.window->Trace(8)->isVisible());
    QVERIFY(m.window->StartButton()->isEnabled());

    // Turning CH4's multiplier (the DC voltage, 100 %) redraws the trace.
    QCOMPARE(m.window->Trace(3)->at(1).y(), 100.0);
    m.window->MultiplierBox(3)->setValue(2.0);
    QCOMPARE(m.window->Trace(3)->at(1).y(), 200.0);
}

// Continuous monitoring: the notice, the CSV dialog in the monitor folder,
// the header and a row per sample of the record time.
void TestMonitorWindow::continuousRunWritesItsCsv() {
    Monitor m;
    m.options.MonMode3 = true;
    m.options.MonMode3T = 30;
    m.options.MonMode3Smp = 300;
    m.window->Reload();
    m.window->show();
    // The time base follows from the options, in a read-only box.
    QVERIFY(m.window->TimeBase()->isHidden());
    const auto shown = [&] {
        for (const QLineEdit* box : m.window->findChildren<QLineEdit*>())
            if (box->isVisible() && !box->isEnabled() && box->text().contains('.'))
                return box->text();
        return QString();
    };
    QCOMPARE(shown(), QStringLiteral("1500.0")); // 300 s a point, K = 1
    m.f.dialogs.files.enqueue(m.f.tree.Path("run"));
    m.window->Start();
    QCOMPARE(m.f.dialogs.Numbers(), QList<int>{51});
    QCOMPARE(m.f.dialogs.messages.first().text,
             QStringLiteral("M5130(min)\nM52300(s/point)\n\nM53\nM541M55")); // 7 samples: 1
    QCOMPARE(m.f.dialogs.fileRequests.last().directory, m.f.tree.Path());
    QFile csv(m.f.tree.Path("run.csv")); // ".csv" appended
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    QCOMPARE(lines[0].trimmed(), QByteArray("QM40-2004"));
    QCOMPARE(lines[1].trimmed(), QByteArray("30(min)"));
    QCOMPARE(lines.size() - 1, 5 + 7); // samples at 0, 5, ... 30 minutes
    QVERIFY(lines[5].startsWith("0,"));
    QVERIFY(lines[11].startsWith("1800000,"));
    QCOMPARE(m.window->Record().SampleCount(), 7);
}

void TestMonitorWindow::setupKeptOnClosing() {
    Monitor m;
    m.window->show();
    for (QCheckBox* box : m.window->findChildren<QCheckBox*>())
        if (box->text() == "CH7")
            box->setChecked(true);
    QVERIFY(m.window->close());
    QCOMPARE(m.settings.ReadString("Monitor", "Select7", ""), QStringLiteral("1"));
    QCOMPARE(m.settings.ReadString("Monitor", "Inv1", ""), QStringLiteral("QM40"));
}

// CH2, the frequency command, rises from 0 to 50 Hz through the level 20:
// the record holds the part before, is saved as a monitor file and a
// picture, and comes back from the file; a damaged file changes nothing.
void TestMonitorWindow::triggeredRecordSavedAndOpened() {
    Monitor m;
    for (const auto& [key, value] : {std::pair{"Inv1", "QM40"},
                                     {"Inv3", "2.10"},
                                     {"Trig", "1"},
                                     {"TrigCh", "1"},
                                     {"TrigSlope", "0"},
                                     {"TrigLv", "20"},
                                     {"TrigPos", "50"}})
        m.settings.WriteString("Monitor", key, value);
    m.window->Reload();
    m.window->show();
    const int command = m.table.FindRow(u"FA01");
    bool risen = false;
    m.onPump = [&] {
        if (!risen && m.line->clock.now > 20000) {
            risen = true;
            QVERIFY(m.line->link.Transact(command, "5000", u"P").ok());
        }
    };
    m.window->Start();
    const MonitorRecord& r = m.window->Record();
    QCOMPARE(r.kind, MonitorRecord::Kind::Triggered);
    QVERIFY(r.preTrigger > 0);
    QCOMPARE(r.SampleCount(), m.window->Setup().PointsPerChannel() + 1);
    QCOMPARE(m.window->Trace(1)->count(), r.SampleCount()); // the held part drawn too
    QCOMPARE(m.window->Trace(1)->at(0).y(), 0.0);
    QCOMPARE(m.window->Trace(1)->at(r.preTrigger).y(), 50.0);
    QVERIFY(m.window->SaveAsButton()->isEnabled());

    m.f.dialogs.files.enqueue(m.f.tree.Path("rise"));
    m.window->SaveAsButton()->click();
    QVERIFY(QFile::exists(m.f.tree.Path("rise.mon")));
    m.f.dialogs.files.enqueue(m.f.tree.Path("rise.png"));
    m.window->SaveAsButton()->click();
    QCOMPARE(QImage(m.f.tree.Path("rise.png")).isNull(), false);
    m.f.dialogs.files.enqueue(m.f.tree.Path("rise.png/rise.mon")); // under a file: no folder
    m.window->SaveAsButton()->click();
    QCOMPARE(m.f.dialogs.Numbers().last(), 68);

    const int samples = r.SampleCount();
    const int held = r.preTrigger;
    m.f.dialogs.files.enqueue(m.f.tree.Path("rise.mon"));
    for (QPushButton* b : m.window->findChildren<QPushButton*>())
        if (b->text() == "Open")
            b->click();
    QCOMPARE(m.window->Record().kind, MonitorRecord::Kind::File);
    QCOMPARE(m.window->Record().SampleCount(), samples);
    QCOMPARE(m.window->Record().preTrigger, 0);
    QCOMPARE(m.window->Trace(1)->at(held).y(), 50.0);
    QVERIFY(m.window->windowTitle().contains("rise.mon (QM40-2004)"));

    QFile damaged(m.f.tree.Path("damaged.mon"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("###\nQM40\n-2004\n2.10\n0\n0\n0\n100\n1.0\n12\n");
    damaged.close();
    m.f.dialogs.files.enqueue(damaged.fileName());
    for (QPushButton* b : m.window->findChildren<QPushButton*>())
        if (b->text() == "Open")
            b->click();
    QCOMPARE(m.f.dialogs.Numbers().last(), 68);
    QCOMPARE(m.window->Record().SampleCount(), samples);
}

// "Display Datas at Trip": the run ends at the trip and the report follows.
void TestMonitorWindow::tripStopShowsTheTripData() {
    Monitor m;
    m.window->show();
    m.onPump = [&] {
        if (m.line->clock.now > 5000)
            m.line->sim.Trip(1);
    };
    m.window->Start();
    QVERIFY(m.window->Record().tripped);
    QCOMPARE(m.tripReports, 1);
}

// "Print" is there once a record is; its one page holds the summary and a
// row per usable channel, and without a printer it goes to a PDF file.
void TestMonitorWindow::printsTheRecord() {
    Monitor m;
    m.window->show();
    QVERIFY(!m.window->PrintButton()->isEnabled());
    m.onPump = [&] {
        if (m.line->clock.now > 10000)
            m.window->Stop();
    };
    m.window->Start();
    QVERIFY(m.window->PrintButton()->isEnabled());
    int pages = 0;
    m.f.dialogs.files.enqueue(m.f.tree.Path("record.pdf"));
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<PrintPreviewWindow*>(QApplication::activeModalWidget());
        QVERIFY(preview);
        QTRY_VERIFY(preview->Preview()->pageCount() > 0);
        pages = preview->Preview()->pageCount();
        preview->PrintButton()->click();
        preview->reject();
    });
    m.window->PrintButton()->click();
    QCOMPARE(pages, 1);
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        return;
    QProcess text;
    text.start("pdftotext", {"-raw", m.f.tree.Path("record.pdf"), "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(printed.contains("Output frequency") && printed.contains("CH Monitor Title") &&
                 printed.contains("8 OFF"),
             qPrintable(printed));
    QVERIFY(!printed.contains("\n9 ")); // CH9 and CH10 carry the alarm and trip reads
}

void TestMonitorWindow::pictures() {
    const QString dir = qEnvironmentVariable("VDK_SCREENSHOTS");
    if (dir.isEmpty())
        QSKIP("set VDK_SCREENSHOTS=DIR to save a picture of the window");
    Monitor m;
    m.window->resize(900, 560);
    m.window->show();
    m.window->grab().save(QDir(dir).filePath("monitor-offscreen.png"));
}

QTEST_MAIN(TestMonitorWindow)
#include "tst_MonitorWindow.moc"
