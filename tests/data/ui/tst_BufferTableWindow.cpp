// The buffer table window: live views over the tables (not copies), a row
// chosen in one grid chosen in the other, and the close that turns its
// option off.
#include "DataFixture.h"
#include "base/ProgramFlags.h"
#include "data/ui/BufferTableWindow.h"

#include <QListWidget>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace vdk;

class TestBufferTableWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsTheLiveTables();
};

void TestBufferTableWindow::showsTheLiveTables() {
    DataFixture f;
    f.Load();
    ProgramFlags flags;
    BufferTableWindow window(f.table, f.values, f.texts, flags);
    window.show();
    QAbstractItemModel* para = window.ParaDatGrid()->model();
    QAbstractItemModel* values = window.UParaGrid()->model();
    QCOMPARE(para->rowCount(), f.table.Count() + 1);
    QCOMPARE(para->columnCount(), 18);
    QCOMPARE(para->index(0, 0).data().toString(), QStringLiteral("ComNo"));
    QCOMPARE(para->index(4, 0).data().toString(), QStringLiteral("F003"));
    QCOMPARE(values->columnCount(), 11);
    f.values.At(3, UPara::Value) = "4242"; // the view reads the table itself
    QCOMPARE(values->index(4, 0).data().toString(), QStringLiteral("4242"));

    QTest::mouseClick(window.ParaDatGrid()->viewport(), Qt::LeftButton, {},
                      window.ParaDatGrid()->visualRect(para->index(3, 0)).center());
    QCOMPARE(window.UParaGrid()->selectionModel()->selectedRows().value(0).row(), 3);

    window.ShowStores({{"0000", "99"}, {"0001", "5"}}, {{"F003", "42"}});
    const auto lists = window.findChildren<QListWidget*>();
    const auto shows = [&](const QString& line) {
        return std::any_of(lists.begin(), lists.end(), [&](QListWidget* l) {
            return !l->findItems(line, Qt::MatchExactly).isEmpty();
        });
    };
    QVERIFY(shows("0001  5") && shows("F003  42"));

    if (const QString dir = qEnvironmentVariable("VDK_SCREENSHOTS"); !dir.isEmpty())
        window.grab().save(dir + "/buffer-table.png");
    QSignalSpy closed(&window, &BufferTableWindow::Closed);
    window.close();
    QCOMPARE(closed.count(), 1);
}

QTEST_MAIN(TestBufferTableWindow)
#include "tst_BufferTableWindow.moc"
