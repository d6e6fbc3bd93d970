#pragma once

#include "data/ParameterFile.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace vdk {

class ParaDat;
class UPara;
struct ReportTexts;

// One side of a comparison of parameter sets: the raw value of each row of the
// table, or none where the side holds no value for it.
struct ComparedSide {
    QString label; // the side's column heading
    QString name;  // how the report's first line names it
    QList<std::optional<QString>> values;
    // Lines whose communication number the table does not know.
    QList<std::pair<QString, QString>> unknown;

    // The value table; a row whose value was never read holds none.
    static ComparedSide OfTable(const ParaDat& table, const UPara& values, QString label,
                                QString name);
    // A parameter file as it stands: only the rows it has lines for (an
    // unread line holds none).
    static ComparedSide OfFile(const ParaDat& table, const ParameterFile& file, QString label,
                               QString name);
    // The shipment value of every row.
    static ComparedSide OfDefaults(const ParaDat& table, QString label, QString name);
};

// A parameter file read for a comparison, as it stands.
struct ComparedFile {
    FileProblem problem = FileProblem::None; // why it was not read
    ParameterFile file;                      // its header, for the messages
    // The side; none when the file was not read or is of another type-form.
    std::optional<ComparedSide> side;
};
ComparedFile ReadComparedFile(const QString& path, const ParaDat& table, const QString& typeForm,
                              const QByteArray& fallbackEncoding, QString label, QString name);

struct FileComparison {
    QStringList lines;
    int equal = 0;
    int different = 0;
    int oneSided = 0; // rows and lines held by one side only
    int readOnly = 0; // read-only status values that differ, counted apart

    bool Differs() const { return different > 0 || oneSided > 0; }
};

// The comparison report of two sides in the comparison layout: the sides
// named, the differing parameters, then every parameter held by one side only
// (a dash on the other), each list "No Item." when empty. Only the rows the
// table shows take part (the maintenance rows in maintenance mode); a
// read-only status value that differs is counted in a line of its own.
FileComparison CompareSides(const ParaDat& table, const ComparedSide& left,
                            const ComparedSide& right, const ReportTexts& texts, bool decimalComma,
                            bool maintenance);

} // namespace vdk
