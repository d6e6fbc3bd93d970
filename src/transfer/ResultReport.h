#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace vdk {

// The read-outs' report modes, after the three of TransferMode.
constexpr int kInformationReport = 3;
constexpr int kTripReport = 4;

// What a transfer run or a read-out produced, as text lines: the visible list
// the user sees, edits, copies, prints and saves, and a hidden list that a
// comparison fills with its error section and appends at the end.
class ResultReport {
public:
    explicit ResultReport(int mode = 0) : mode(mode) {}

    int mode; // TransferMode: 0 import, 1 export, 2 comparison, 3 information, else trip
    QStringList lines;
    QStringList hidden;

    // Writes the lines as text with CR LF line ends; false with the system's
    // text in `error` when the file cannot be written (nothing is replaced).
    static bool Save(const QString& path, const QStringList& lines, QString* error);
};

// The automatic save's name for `now`: day, hour, minute and second without
// leading zeros ("8d21h5m3s.txt").
QString AutoSaveName(const QDateTime& now);

// Where the automatic save goes in `folder`: the time-stamped name, or, when a
// file of that name is there already (the name holds neither month nor year,
// and two saves in a second share it), the name with a counter before ".txt".
QString FreeAutoSavePath(const QString& folder, const QDateTime& now);

// The automatic save of a report's lines: a free time-stamped name in AppDir,
// or in the documents folder when AppDir cannot be written to. The path
// written, or nothing with the system's text in `error`.
std::optional<QString> AutoSaveReport(const QStringList& lines, const QString& appDir,
                                      const QString& documentsDir, const QDateTime& now,
                                      QString* error);

// The folder for automatic saves: AppDir when it can be written to, else the
// user's documents folder.
QString AutoSaveFolder(const QString& appDir, const QString& documentsDir);

} // namespace vdk
