// The options window: the rules that tie its boxes together, the field
// checks that keep it open, the master's page, the reactions, and what it
// writes. With VDK_SCREENSHOTS=DIR it saves pictures of its pages.
#include "DataFixture.h"
#include "base/ProgramFlags.h"
#include "options/ui/OptionsDialog.h"
#include "settings/IniFile.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

using namespace vdk;

namespace {
struct Window {
    OptionsDialog& Make() {
        OptionsDialog::Context context{true,
                                       true,
                                       [this](bool on) { maintenance.append(on); },
                                       [this](bool on) { registration.append(on); },
                                       [this](bool on) { buffers.append(on); },
                                       hasKeys};
        window = std::make_unique<OptionsDialog>(options, settings, f.texts, f.messenger, flags,
                                                 context);
        window->show();
        return *window;
    }
    DataFixture f;
    IniFile settings{f.tree.Path("VDK330Q.ini")};
    EnvironmentOptions options;
    ProgramFlags flags;
    QList<bool> maintenance, registration, buffers;
    bool hasKeys = true;
    std::unique_ptr<OptionsDialog> window;
};
} // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void boxesFollowTheRules();
    void fieldsKeepTheWindowOpen_data();
    void fieldsKeepTheWindowOpen();
    void okWritesTheOptions();
    void mastersPageOnlyForTheMaster();
    void screenshots();
};

void TestOptionsDialog::boxesFollowTheRules() {
    Window w;
    OptionsDialog& o = w.Make();
    QVERIFY(!o.Box("SkipFile")->isEnabled()); // both result boxes are ticked
    o.Box("ResultC")->click();
    QVERIFY(o.Box("CompDisp")->isChecked()); // one comparison box stays on
    QVERIFY(o.Box("SkipFile")->isEnabled());
    QVERIFY(!o.Field("MonMode2Multi")->isEnabled());
    o.Box("MonMode2")->click();
    QVERIFY(o.Field("MonMode2Multi")->isEnabled());
    o.Box("MonMode3")->click();
    QVERIFY(!o.Box("MonMode4")->isEnabled());
    o.Box("Mainte")->click();
    o.Box("RegistFile")->click();
    QCOMPARE(w.maintenance, QList<bool>{true});
    QCOMPARE(w.registration, QList<bool>{false});
    // Cancel keeps the options as they were, and what the boxes did at once
    // is done back: never the settings one way and the inverter the other.
    o.reject();
    QCOMPARE(w.maintenance, (QList<bool>{true, false}));
    QCOMPARE(w.registration, (QList<bool>{false, true}));

    // Without the key words the run and stop keys have nothing to write.
    Window keyless;
    keyless.hasKeys = false;
    QVERIFY(!keyless.Make().Box("MonMode4")->isEnabled());
    Window keyed;
    QVERIFY(keyed.Make().Box("MonMode4")->isEnabled());
}

void TestOptionsDialog::fieldsKeepTheWindowOpen_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("LED timer 1005") << "PanelTime1"
                                    << "1005" << 42 << "1000";
    QTest::newRow("undo not a number") << "UndoMax"
                                       << "ten" << 68 << "ten";
    QTest::newRow("multiplier 0") << "MonMode2Multi"
                                  << "0" << 42 << "0.01";
    QTest::newRow("multiplier 250") << "MonMode2Multi"
                                    << "250" << 42 << "200.00";
}

void TestOptionsDialog::fieldsKeepTheWindowOpen() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, message);
    QFETCH(QString, shown);
    Window w;
    OptionsDialog& o = w.Make();
    if (field == "MonMode2Multi")
        o.Box("MonMode2")->click();
    o.Field(field.toLatin1().constData())->setText(text);
    o.accept();
    QVERIFY(o.isVisible());
    QCOMPARE(w.f.dialogs.Numbers().last(), message);
    QCOMPARE(w.f.dialogs.messages.last().icon, MsgIcon::Stop);
    QCOMPARE(o.Field(field.toLatin1().constData())->text(), shown);
    QVERIFY(!QFile::exists(w.settings.Path()));
}

void TestOptionsDialog::okWritesTheOptions() {
    Window w;
    OptionsDialog& o = w.Make();
    o.Box("ChgPara2")->click();
    o.Field("UndoMax")->setText("25");
    o.accept();
    QVERIFY(!o.isVisible());
    QVERIFY(w.options.ChgPara2);
    QCOMPARE(w.options.UndoMax, 25);
    QCOMPARE(w.settings.ReadInteger("Options", "UndoMax", 0), 25);
    QCOMPARE(w.settings.ReadInteger("Options", "ChgPara2", 0), 1);
}

void TestOptionsDialog::mastersPageOnlyForTheMaster() {
    Window w;
    QCOMPARE(w.Make().Pages()->count(), 3);
    w.window->hide();
    w.flags.SMainteFlag = true;
    w.window->show();
    QCOMPARE(w.window->Pages()->count(), 4);
    w.window->Box("DispBuffer")->click();
    QCOMPARE(w.buffers, QList<bool>{true});
}

void TestOptionsDialog::screenshots() {
    const QString dir = qEnvironmentVariable("VDK_SCREENSHOTS");
    if (dir.isEmpty())
        QSKIP("set VDK_SCREENSHOTS=DIR to save pictures of the pages");
    for (const char* name : {"English", "Japanese"}) {
        Window w;
        w.f.texts.SetLangFile(QStringLiteral(VDK_SHARE_DIR "/lng/%1.ini").arg(QLatin1String(name)),
                              "windows-31j");
        w.flags.SMainteFlag = true;
        OptionsDialog& o = w.Make();
        for (int page = 0; page < o.Pages()->count(); ++page) {
            o.Pages()->setCurrentIndex(page);
            o.grab().save(QStringLiteral("%1/options-%2-%3.png")
                              .arg(dir)
                              .arg(page + 1)
                              .arg(QLatin1String(name).left(3)));
        }
    }
}

QTEST_MAIN(TestOptionsDialog)
#include "tst_OptionsDialog.moc"
