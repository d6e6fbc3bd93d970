#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace vdk {

class Catalogue;
class CommLink;
class LanguageTexts;
class MonitorCatalogue;
class ParaDat;
class UPara;

// The [InverterInfo] list of the language file, in file order: entry 1's
// value titles the information report, entry 2's the trip report; the
// entries after them are the report's lines, a label and the communication
// number read for it ("cr..." labels stand for empty lines).
struct InfoList {
    QStringList labels;
    QStringList comNos;

    static InfoList Read(const LanguageTexts& texts);
    bool Empty() const { return labels.isEmpty(); }
    QString InfoTitle() const { return comNos.value(0); }
    QString TripTitle() const { return comNos.value(1); }
};

// What the read-outs read from and show with.
struct InfoSources {
    CommLink& link;
    const ParaDat& table;
    const UPara& values;
    const MonitorCatalogue& monitor; // trip names and the trip data items
    bool decimalComma = false;
};

// A read-out's lines, and how many of its reads got no answer.
struct InfoReport {
    QStringList lines;
    int failedReads = 0;
};

// The inverter information report: the title, then each entry's label
// followed by the inverter's value, after the maintenance access is opened.
// A number the data do not define shows "-", a read that failed "Err.".
// Nothing when the list is empty: there is nothing to report.
std::optional<InfoReport> ReadInverterInfo(const InfoSources& sources, const InfoList& list,
                                           const Catalogue& inverters);

// The trip data after a trip: the first line becomes the trip title, then an
// empty line and every monitor item as "name : value" ("ON"/"OFF" for a bit).
void AppendTripData(InfoReport& report, const InfoSources& sources, const InfoList& list);

} // namespace vdk
