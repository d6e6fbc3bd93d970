// The inverter information and trip data read-outs on the simulated QM40:
// the shipped list after a trip, the special numbers, empty lines, absent
// rows and failed reads, and the trip data's bit and value items.
#include "../sim/SimTables.h"
#include "RecordedInverter.h"
#include "data/Catalogue.h"
#include "data/UPara.h"
#include "monitor/InverterInfo.h"
#include "monitor/MonitorCatalogue.h"
#include "settings/IniFile.h"

#include <QTest>

using namespace vdk;

namespace {

// The read-outs on the simulated QM40 -2004, with the shipped catalogues.
struct Bench : RecordedInverter {
    Bench() : RecordedInverter(ShippedTable("QM40", "2.10", "-2004")) {
        link->OpenPort();
        monitor = MonitorCatalogue::Load(
            IniFile(QStringLiteral(VDK_SHARE_DIR "/dat/QM40(2.10)/Info.ini")), "QM40", "Eng");
    }
    // Raw values written to RAM before the read-out; the frames of the
    // writes are forgotten.
    void Write(const QStringList& assignments) {
        for (const QString& a : assignments)
            QVERIFY(
                link->Transact(table.FindRow(a.section('=', 0, 0)), a.section('=', 1), u"P").ok());
        recorder->frames.clear();
    }
    InfoSources Sources(bool decimalComma = false) {
        return {*link, table, values, monitor, decimalComma};
    }

    MonitorCatalogue monitor;
    AppPaths shipped{QStringLiteral(VDK_SHARE_DIR), QString()};
    Catalogue inverters{shipped};
};

// A list of two titles and `entries` ("label=number").
InfoList ListOf(const QStringList& entries) {
    InfoList list{{"Title", "TripTitle"}, {"Info", "Trip"}};
    for (const QString& e : entries) {
        list.labels.append(e.section('=', 0, 0));
        list.comNos.append(e.section('=', 1));
    }
    return list;
}

} // namespace

class TestInverterInfo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void shippedListAfterATrip();
    void informationLines_data();
    void informationLines();
    void noList();
    void tripData_data();
    void tripData();
};

void TestInverterInfo::shippedListAfterATrip() {
    Bench b;
    b.sim->Trip(1);
    b.f.texts.SetLangFile(QStringLiteral(VDK_SHARE_DIR "/lng/English.ini"), "windows-1252");
    const InfoList list = InfoList::Read(b.f.texts);
    const auto info = ReadInverterInfo(b.Sources(), list, b.inverters);
    QVERIFY(info);
    QCOMPARE(info->lines,
             (QStringList{"Inverter Information", "", "Type-Form :QM40", "Capacity :-2004",
                          "CPU Version :210", "Rated Voltage (V) :200", "Rated Current (A) :3.0",
                          "", "Past Trip 1 (latest) :OC1 Overcurrent during acceleration",
                          "Past Trip 2 :---- No trip", "Past Trip 3 :---- No trip",
                          "Past Trip 4 :---- No trip", "", "Cumulative Operation Time (h) :0"}));
    QCOMPARE(b.recorder->frames.value(0), QStringLiteral("P FB91 463"));

    InfoReport report = *info;
    AppendTripData(report, b.Sources(), list);
    const QStringList& trip = report.lines;
    QCOMPARE(trip.size(), info->lines.size() + 1 + b.monitor.items.size());
    QCOMPARE(trip.first(), QStringLiteral("Trip Information"));
    QCOMPARE(trip.mid(1, info->lines.size()), info->lines.mid(1) + QStringList{""});
    QCOMPARE(report.failedReads, 0);
    QVERIFY(trip.contains("Output frequency : 0.00"));
    QVERIFY(trip.contains("Tripped : ON"));
    QVERIFY(trip.contains("Running : OFF"));
}

void TestInverterInfo::informationLines_data() {
    QTest::addColumn<QStringList>("entries"); // after the two titles
    QTest::addColumn<QStringList>("writes");  // raw values set before
    QTest::addColumn<bool>("mute");           // the inverter hears nothing
    QTest::addColumn<bool>("decimalComma");
    QTest::addColumn<QStringList>("lines"); // after the title
    QTest::addColumn<int>("reads");         // requests after the access

    QTest::newRow("titles only") << QStringList() << QStringList() << false << false
                                 << QStringList() << 0;
    QTest::newRow("two empty lines where they stand")
        << QStringList{"cr1=-", "CPU :=FE08", "crB=FE08"} << QStringList() << false << false
        << QStringList{"", "CPU :210", ""} << 1;
    QTest::newRow("capacity before any type-form")
        << QStringList{"Cap. :=FB05", "Type :=FB07", "Cap. again :=FB05"} << QStringList() << false
        << false << QStringList{"Cap. :Err", "Type :QM40", "Cap. again :-2004"} << 3;
    QTest::newRow("unknown type and capacity codes")
        << QStringList{"Type :=FB07", "Cap. :=FB05"} << QStringList{"FB07=99", "FB05=2"} << false
        << false << QStringList{"Type :Err", "Cap. :Err"} << 2;
    QTest::newRow("undefined number")
        << QStringList{"None :=0FFF", "Also none :=-"} << QStringList() << false << false
        << QStringList{"None :-", "Also none :-"} << 0;
    QTest::newRow("trip history") << QStringList{"1 :=FE10", "2 :=FE11", "3 :=FE12", "4 :=FE13"}
                                  << QStringList{"FE10=2", "FE11=999", "FE12=0", "FE13=1"} << false
                                  << false
                                  << QStringList{"1 :OC2 Overcurrent during deceleration", "2 :999",
                                                 "3 :---- No trip",
                                                 "4 :OC1 Overcurrent during acceleration"}
                                  << 4;
    QTest::newRow("operation time, 32 bits, times 100")
        << QStringList{"Hours :=FE14"} << QStringList{"FE14=70001"} << false << false
        << QStringList{"Hours :70001"} << 1;
    QTest::newRow("decimals by the scale, decimal comma")
        << QStringList{"Current :=FE70", "Command :=FA01"} << QStringList{"FA01=1234"} << false
        << true << QStringList{"Current :3,0", "Command :12,34"} << 2;
    QTest::newRow("no answer") << QStringList{"Type :=FB07", "Cap. :=FB05", "Trip :=FE10",
                                              "Hours :=FE14", "V :=FE71"}
                               << QStringList() << true << false
                               << QStringList{"Type :Err.", "Cap. :Err.", "Trip :Err.",
                                              "Hours :Err.", "V :Err."}
                               << 5;
}

void TestInverterInfo::informationLines() {
    QFETCH(QStringList, entries);
    QFETCH(QStringList, writes);
    QFETCH(bool, mute);
    QFETCH(bool, decimalComma);
    QFETCH(QStringList, lines);
    QFETCH(int, reads);
    Bench b;
    b.Write(writes);
    b.recorder->mute = mute;
    const auto report = ReadInverterInfo(b.Sources(decimalComma), ListOf(entries), b.inverters);
    QVERIFY(report);
    QCOMPARE(report->lines, QStringList{"Info"} + lines);
    QCOMPARE(report->failedReads, mute ? reads : 0);
    QCOMPARE(b.recorder->frames.value(0), QStringLiteral("P FB91 463"));
    QCOMPARE(b.recorder->frames.size(), 1 + reads);
}

// No list: nothing is read, not even the access written.
void TestInverterInfo::noList() {
    Bench b;
    QVERIFY(!ReadInverterInfo(b.Sources(), InfoList(), b.inverters));
    QVERIFY(b.recorder->frames.isEmpty());
}

void TestInverterInfo::tripData_data() {
    QTest::addColumn<QString>("word"); // FA01, raw
    QTest::addColumn<bool>("mute");
    QTest::addColumn<bool>("tripTitle"); // the list has its second entry
    QTest::addColumn<QStringList>("lines");

    const auto lines = [](const char* title, const char* bit, const char* value) {
        return QStringList{title, "", QStringLiteral("Bit 12 : ") + bit,
                           QStringLiteral("Command : ") + value, "Absent : -"};
    };
    QTest::newRow("bit 12 set") << "4096" << false << true << lines("Trip", "ON", "40.96");
    QTest::newRow("bit 13 set") << "8192" << false << true << lines("Trip", "OFF", "81.92");
    QTest::newRow("bit 11 set") << "2048" << false << true << lines("Trip", "OFF", "20.48");
    QTest::newRow("every bit but 12") << "61439" << false << true << lines("Trip", "OFF", "614.39");
    QTest::newRow("no answer") << "4096" << true << true << lines("Trip", "Err.", "Err.");
    QTest::newRow("no trip title") << "4096" << false << false << lines("", "ON", "40.96");
}

void TestInverterInfo::tripData() {
    QFETCH(QString, word);
    QFETCH(bool, mute);
    QFETCH(bool, tripTitle);
    QFETCH(QStringList, lines);
    Bench b;
    b.Write({"FA01=" + word});
    const auto item = [](const char* key, const char* name) {
        MonitorItem i;
        i.key = QLatin1String(key);
        i.comNo = i.key.left(4);
        i.bit = i.key.size() > 4 ? i.key.mid(5).toInt() : -1;
        i.name = QLatin1String(name);
        return i;
    };
    b.monitor.items = {item("FA01-12", "Bit 12"), item("FA01", "Command"), item("0FFF", "Absent")};
    b.recorder->mute = mute;
    InfoList list = ListOf({});
    if (!tripTitle)
        list = InfoList{{"Title"}, {"Info"}};
    InfoReport report{{"Info", "Information line"}, 1};
    AppendTripData(report, b.Sources(), list);
    QCOMPARE(report.lines, (QStringList{lines.first(), "Information line"} + lines.mid(1)));
    QCOMPARE(report.failedReads, mute ? 3 : 1); // the absent item is not read
}

QTEST_GUILESS_MAIN(TestInverterInfo)
#include "tst_InverterInfo.moc"
