// The dialog seam on Qt: a box opens over the window the user works in and
// gives the keyboard back to it; dialogs are placed fully on the screen.
#include "app/ui/QtDialogs.h"
#include "base/ui/ScreenPlacement.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vdk;

class TestQtDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void boxBelongsToTheActiveWindow();
    void fitOnScreen_data();
    void fitOnScreen();
    void qtTextsFollowTheLanguage();
};

void TestQtDialogs::boxBelongsToTheActiveWindow() {
    QWidget main;
    main.setWindowTitle("main");
    main.show();
    QWidget table;
    auto* cell = new QLineEdit(&table);
    auto* other = new QLineEdit(&table);
    other->move(0, 40);
    table.show();
    QApplication::setActiveWindow(&table);
    QVERIFY(QTest::qWaitForWindowActive(&table));
    cell->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), cell);

    QtDialogs dialogs;
    dialogs.SetParent(&main);
    QPointer<QWidget> owner;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        owner = box->parentWidget();
        other->setFocus(); // the box moves the focus; closing must bring it back
        box->done(QMessageBox::Ok);
    });
    dialogs.ShowMessage(Message{42, "The value is out of the allowed range.", "Confirmation"});
    QCOMPARE(owner.data(), &table);
    QTRY_COMPARE(QApplication::focusWidget(), cell);

    // A second box right after the first, before any window is active
    // again, belongs to the same window, not to the fallback.
    QApplication::setActiveWindow(nullptr);
    owner.clear();
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        owner = box->parentWidget();
        box->done(QMessageBox::Ok);
    });
    dialogs.ShowMessage(Message{43, "Select the file.", "Confirmation"});
    QCOMPARE(owner.data(), &table);
}

void TestQtDialogs::fitOnScreen_data() {
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QPoint>("placed");
    QTest::newRow("inside stays") << QRect(100, 100, 400, 300) << QPoint(100, 100);
    QTest::newRow("title above the screen") << QRect(300, -40, 400, 300) << QPoint(300, 0);
    QTest::newRow("beyond the right edge") << QRect(1100, 500, 400, 300) << QPoint(880, 500);
    QTest::newRow("below the bottom") << QRect(10, 700, 400, 300) << QPoint(10, 500);
    QTest::newRow("taller than the screen keeps its title")
        << QRect(-20, 100, 400, 1000) << QPoint(0, 0);
}

void TestQtDialogs::fitOnScreen() {
    QFETCH(QRect, frame);
    QFETCH(QPoint, placed);
    QCOMPARE(FitOnScreen(frame, QRect(0, 0, 1280, 800)), placed);
}

void TestQtDialogs::qtTextsFollowTheLanguage() {
    const auto yes = [] {
        QMessageBox box(QMessageBox::Question, "t", "q", QMessageBox::Yes | QMessageBox::No);
        return box.button(QMessageBox::Yes)->text();
    };
    QVERIFY2(UseQtTranslations("Jap"), "qt6-translations-l10n is not installed");
    QVERIFY2(yes().contains(QStringLiteral("はい")), qPrintable(yes()));
    QVERIFY(UseQtTranslations("Eng"));
    QCOMPARE(yes(), QStringLiteral("&Yes"));
}

QTEST_MAIN(TestQtDialogs)
#include "tst_QtDialogs.moc"
