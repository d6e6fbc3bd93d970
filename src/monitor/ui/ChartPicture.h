#pragma once

#include <QList>
#include <QString>
#include <optional>

class QChart;
class QXYSeries;

namespace vdk {

enum class PictureFormat { Bmp, Jpeg, Wmf, Png, Svg };

// The format a file name's extension asks for, in any letter case.
std::optional<PictureFormat> PictureFormatOf(const QString& path);

// A trace that goes into the picture, with its legend text.
struct LegendEntry {
    QXYSeries* series = nullptr;
    QString name;
};

// Saves the chart as shown (value axes, line series, the texts over it) in
// the format of `path`'s extension, with only the traces of `legend` and a
// legend of them to the right of the chart; the picture is widened by the
// legend, so the plot keeps its size. The chart itself is not changed. The
// file is replaced only when complete; on failure `error` says why.
bool SaveChartPicture(const QChart& chart, const QList<LegendEntry>& legend, const QString& path,
                      QString* error = nullptr);

} // namespace vdk
