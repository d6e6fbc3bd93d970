#pragma once

#include "monitor/MonitorReportRows.h"
#include "monitor/MonitorRun.h"
#include "printing/PageSetup.h"
#include "printing/ui/PrintableReport.h"

#include <QFont>

namespace vdk {

// The printed monitor report: one A4 page with the heading, the comment, the
// chart drawn from the record as it is in view, the summary and a row per
// channel slot in its trace colour. Lengths are in points.
class MonitorReport final : public PrintableReport {
public:
    MonitorReport(MonitorReportContent content, PageSetup setup);

    const QPageLayout& Layout() const override { return layout_; }
    int PageCount() const override { return 1; }
    void Paint(QPainter& painter, int page, int dotsPerInch) const override;

private:
    void PaintChart(QPainter& p, const QRectF& area) const;

    MonitorReportContent content_;
    PageSetup setup_;
    QPageLayout layout_;
    QFont font_;
    double rowHeight_ = 15;
};

} // namespace vdk
