#pragma once

#include "printing/PageSetup.h"
#include "printing/ReportLines.h"

#include <QFont>
#include <QPageLayout>
#include <QStringList>

class QPainter;

namespace vdk {

// The printed parameter table, laid out once for its page and painted page
// by page onto any paint device (the preview, a printer, a PDF), so every
// output shows the same pages. Lengths are in points.
class ParameterReport {
public:
    ParameterReport(QList<ReportLine> lines, PageSetup setup, ReportHeading heading);

    // The paper, orientation and margins of the page setup (B4 and B5 are the
    // JIS sizes); a margin that does not check takes 10 mm.
    static QPageLayout PageLayoutOf(const PageSetup& setup);
    const QPageLayout& Layout() const { return layout_; }
    int RowsPerPage() const { return rowsPerPage_; }
    int PageCount() const;
    // Lines `first`..`first + count - 1` are on page `page` (from 0).
    std::pair<int, int> LinesOn(int page) const;
    // Paints page `page` onto a painter whose device shows the layout's paint
    // rectangle at `dotsPerInch`.
    void Paint(QPainter& painter, int page, int dotsPerInch) const;
    // All pages into a PDF file, written whole or not at all.
    bool WritePdf(const QString& path, QString* error) const;

private:
    void PaintRow(QPainter& p, const QStringList& cells, double top, double height,
                  bool heading) const;

    QList<ReportLine> lines_;
    PageSetup setup_;
    ReportHeading heading_;
    QPageLayout layout_;
    QFont font_, titleFont_;
    double rowHeight_ = 15;
    int rowsPerPage_ = 1;
};

} // namespace vdk
