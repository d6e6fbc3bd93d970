// The inverter data and language files that ship with the program: every
// selection loads without a message and every reference in it resolves.
#include "ScriptedDialogs.h"
#include "data/Catalogue.h"
#include "data/DefinitionLoader.h"
#include "data/FieldSplitter.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"
#include "settings/TextCodec.h"

#include <QTest>

using namespace vdk;

class TestShippedData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everySelectionLoads_data();
    void everySelectionLoads();
    void catalogueHasTheSpecialTypeForms();
    void languagesHaveTheSameKeys();
};

static const QString kShare = QStringLiteral(VDK_SHARE_DIR);

void TestShippedData::everySelectionLoads_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("cpu");
    QTest::addColumn<QString>("language");
    AppPaths paths(kShare, QString());
    const Catalogue catalogue(paths);
    QVERIFY(!catalogue.TypeForms().isEmpty());
    for (const QString& type : catalogue.TypeForms())
        for (const QString& cpu : catalogue.CpuVersions(type))
            for (const QString& language : {QStringLiteral("English"), QStringLiteral("Japanese")})
                QTest::addRow("%s(%s) %s", qPrintable(type), qPrintable(cpu), qPrintable(language))
                    << type << cpu << language;
}

static bool IsNumber(const QString& s) {
    bool ok = false;
    s.toLongLong(&ok);
    return ok;
}

void TestShippedData::everySelectionLoads() {
    QFETCH(QString, type);
    QFETCH(QString, cpu);
    QFETCH(QString, language);
    AppPaths paths(kShare, QString());
    paths.SelectLanguage(language);
    const Catalogue catalogue(paths);
    const QStringList capacities = catalogue.Capacities(type, cpu);
    QVERIFY2(capacities.size() >= 3 && capacities.size() <= 6, qPrintable(capacities.join(',')));

    ScriptedDialogs dialogs;
    LanguageTexts texts;
    QVERIFY(BuildMessageList(paths, texts, dialogs));
    QVERIFY(texts.MessageList().size() >= 88);
    Messenger messenger(texts, dialogs);
    for (const QString& capacity : capacities) {
        QVERIFY(capacity.startsWith('-'));
        paths.SelectInverter(type, cpu, capacity);
        DefinitionLoader loader(paths, messenger);
        ParaDat table;
        QVERIFY(loader.LoadDefinitions(table));
        QVERIFY(loader.LoadCapacityDefaults(table));
        QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.messages.value(0).text));
        QVERIFY2(table.Count() >= 150 && table.Count() <= 400,
                 qPrintable(QString::number(table.Count())));
        QVERIFY(loader.HasParaHelp());

        // Every number of the capacity file is defined.
        QStringList capLines;
        QVERIFY(ReadTextLines(paths.CapFile, paths.FallbackEncoding(), capLines));
        for (const QString& line : capLines)
            if (!line.isEmpty())
                QVERIFY2(table.FindRow(SplitFields(line).first()) >= 0, qPrintable(line));
        QVERIFY(!table.CapList.isEmpty());

        int quick = 0;
        for (int row = 0; row < table.Count(); ++row) {
            const QString what = table.At(row, ComNo);
            QCOMPARE(table.FindRow(what), row); // no number twice
            QVERIFY2(table.ResolveDefault(what).has_value(), qPrintable(what));
            QVERIFY2(IsNumber(*table.ResolveDefault(what)), qPrintable(what));
            if (table.At(row, HIndex) != "0")
                QVERIFY2(table.ResolveDefault(table.At(row, High)).has_value(), qPrintable(what));
            if (table.At(row, LIndex) != "0")
                QVERIFY2(table.ResolveDefault(table.At(row, Low)).has_value(), qPrintable(what));
            if (table.At(row, DIndex) == "0" && table.At(row, HIndex) == "0" &&
                table.At(row, LIndex) == "0") {
                const qlonglong v = table.At(row, Default).toLongLong();
                QVERIFY2(v >= table.At(row, Low).toLongLong() &&
                             v <= table.At(row, High).toLongLong(),
                         qPrintable(what));
            }
            if (table.At(row, Quick) != "0")
                ++quick;
        }
        QCOMPARE(loader.QuickCount(), quick);
        QVERIFY(table.NormalLastRow() < table.LastRow()); // maintenance rows follow
        for (const char* number : {"0000", "FA10", "FA11", "FB05", "FB07", "FB58", "FB91", "FC10",
                                   "FC90", "FC91", "FE08"})
            QVERIFY2(table.FindRow(QString::fromLatin1(number)) >= 0, number);
        if (type == "QM40")
            QVERIFY(table.FindRow(u"0630") >= 0);

        const IniFile info(paths.InfoIni);
        for (const char* section : {" Monitor (%1)", " Monitor Unit", " Alarm (%1)", " Trip (%1)"})
            QVERIFY2(!info.ReadSection(type +
                                       QString::fromLatin1(section).arg(paths.Identity().LangCode))
                          .isEmpty(),
                     qPrintable(section));
    }
}

void TestShippedData::catalogueHasTheSpecialTypeForms() {
    AppPaths paths(kShare, QString());
    const Catalogue catalogue(paths);
    const QStringList types = catalogue.TypeForms();
    QVERIFY(types.size() >= 3);
    QVERIFY(types.contains("QM40"));
    QVERIFY(std::any_of(types.cbegin(), types.cend(),
                        [&](const QString& t) { return catalogue.TypeNumber(t) == "65"; }));
    QVERIFY(std::any_of(types.cbegin(), types.cend(),
                        [&](const QString& t) { return catalogue.CpuVersions(t).size() >= 2; }));
    for (const QString& type : types)
        for (const QString& cpu : catalogue.CpuVersions(type)) {
            // The two languages' definition files hold the same numbers in the same order.
            paths.SelectLanguage("English");
            paths.SelectInverter(type, cpu, QString());
            QStringList eng, jap;
            QVERIFY(ReadTextLines(paths.DefFile, "windows-1252", eng));
            paths.SelectLanguage("Japanese");
            paths.SelectInverter(type, cpu, QString());
            QVERIFY(ReadTextLines(paths.DefFile, "windows-31j", jap));
            QCOMPARE(eng.size(), jap.size());
            for (int i = 0; i < eng.size(); ++i)
                QCOMPARE(SplitFields(jap[i]).first(), SplitFields(eng[i]).first());
            for (const QString& capacity : catalogue.Capacities(type, cpu))
                QVERIFY2(catalogue.CapacityCode(type, capacity) != "0",
                         qPrintable(type + capacity));
        }
}

void TestShippedData::languagesHaveTheSameKeys() {
    const IniFile eng(kShare + "/lng/English.ini");
    const IniFile jap(kShare + "/lng/Japanese.ini");
    QCOMPARE(jap.ReadSections(), eng.ReadSections());
    for (const QString& section : eng.ReadSections()) {
        // Report labels are the keys of [InverterInfo], so only their number matches.
        if (section == "InverterInfo")
            QCOMPARE(jap.ReadSection(section).size(), eng.ReadSection(section).size());
        else
            QCOMPARE(jap.ReadSection(section), eng.ReadSection(section));
    }
    QVERIFY(eng.ReadSection("General").size() >= 88);
    QCOMPARE(eng.ReadString("General", "Message1", ""), QStringLiteral("Confirmation"));
    QCOMPARE(eng.ReadString("General", "Message68", ""), QStringLiteral("Data is incorrect."));
}

QTEST_GUILESS_MAIN(TestShippedData)
#include "tst_ShippedData.moc"
