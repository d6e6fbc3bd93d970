#pragma once

#include "printing/PageSetup.h"
#include "printing/ReportLines.h"
#include "printing/ui/PrintableReport.h"

#include <QFont>
#include <QPageLayout>
#include <QStringList>

class QPainter;

namespace vdk {

// The printed parameter table. Lengths are in points.
class ParameterReport final : public PrintableReport {
public:
    ParameterReport(QList<ReportLine> lines, PageSetup setup, ReportHeading heading);

    // The paper, orientation and margins of the page setup (B4 and B5 are the
    // JIS sizes); a margin that does not check takes 10 mm.
    static QPageLayout PageLayoutOf(const PageSetup& setup);
    const QPageLayout& Layout() const override { return layout_; }
    int RowsPerPage() const { return rowsPerPage_; }
    int PageCount() const override;
    // Lines `first`..`first + count - 1` are on page `page` (from 0).
    std::pair<int, int> LinesOn(int page) const;
    void Paint(QPainter& painter, int page, int dotsPerInch) const override;

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
