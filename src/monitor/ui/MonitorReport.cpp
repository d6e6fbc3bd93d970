#include "monitor/ui/MonitorReport.h"

#include "base/ui/SettingsColour.h"
#include "printing/ui/ParameterReport.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace vdk {

namespace {

PageSetup A4Portrait(PageSetup setup) {
    setup.paper = 1;
    setup.portrait = true;
    return setup;
}

} // namespace

MonitorReport::MonitorReport(MonitorReportContent content, PageSetup setup)
    : content_(std::move(content)), setup_(A4Portrait(std::move(setup))),
      layout_(ParameterReport::PageLayoutOf(setup_)) {
    const bool japanese =
        std::any_of(content_.rows.begin(), content_.rows.end(),
                    [](const MonitorReportRow& r) { return JapaneseText(r.title); });
    font_ = PrintFont(setup_.fontFamily, setup_.fontSizeText, japanese);
    const PageFieldCheck height = CheckRowHeight(setup_.rowHeight);
    rowHeight_ = height.Valid() ? height.shown.toInt() : 15;
}

// The chart as it was in view: the grid, the value axis to the full scale,
// and each trace of the record, cut at the plot's edges.
void MonitorReport::PaintChart(QPainter& p, const QRectF& area) const {
    const MonitorRecord& r = content_.record;
    const double fullScale = std::max(1, r.setup.fullScale);
    const QRectF plot = area.adjusted(28, 4, -4, -14);
    p.fillRect(plot, Qt::white);
    p.setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 0.4));
    for (int i = 0; i <= 20; ++i) {
        const double x = plot.left() + plot.width() * i / 20;
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
    for (int i = 0; i <= 4; ++i) {
        const double y = plot.bottom() - plot.height() * i / 4;
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(Qt::black);
        p.drawText(QRectF(area.left(), y - 6, 24, 12), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(int(fullScale * i / 4)));
        p.setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 0.4));
    }
    p.setPen(QPen(Qt::black, 0.6));
    p.drawRect(plot);
    const AxisRange view = content_.view;
    const double span = std::max(1.0, view.max - view.min);
    p.save();
    p.setClipRect(plot);
    for (int slot = 0; slot < kMonitorSlots; ++slot) {
        if (!r.active[slot] || r.values[slot].isEmpty())
            continue;
        QPainterPath trace;
        for (int x = 0; x < r.values[slot].size(); ++x) {
            const QPointF at(plot.left() + (x - view.min) / span * plot.width(),
                             plot.bottom() - r.Plotted(slot, x) / fullScale * plot.height());
            x == 0 ? trace.moveTo(at) : trace.lineTo(at);
        }
        p.setPen(QPen(ColourOf(content_.colours[slot]), 0.8));
        p.drawPath(trace);
    }
    p.restore();
}

void MonitorReport::Paint(QPainter& p, int, int dotsPerInch) const {
    p.save();
    p.scale(dotsPerInch / 72.0, dotsPerInch / 72.0);
    p.setFont(font_);
    p.setPen(Qt::black);
    const double width = layout_.paintRect(QPageLayout::Point).width();
    const double h = rowHeight_;
    if (setup_.typeForm)
        p.drawText(QRectF(width * 0.0111, 0, width / 2, h), Qt::AlignLeft | Qt::AlignVCenter,
                   content_.inverter);
    QStringList when;
    if (setup_.date)
        when.append(QLocale::c().toString(content_.made.date(), QStringLiteral("yyyy/MM/dd")));
    if (setup_.time)
        when.append(QLocale::c().toString(content_.made.time(), QStringLiteral("HH:mm")));
    p.drawText(QRectF(0, 0, width, h), Qt::AlignRight | Qt::AlignVCenter,
               when.join(QLatin1Char(' ')));
    if (setup_.comment)
        p.drawText(QRectF(width * 0.0111, h, width, h), Qt::AlignLeft | Qt::AlignVCenter,
                   setup_.commentText);

    const QRectF chart(0, 2 * h + 4, width, width * 0.55);
    PaintChart(p, chart);
    p.setPen(Qt::black);
    p.setFont(font_);
    double y = chart.bottom() + 6;
    for (qsizetype i = 0; i < content_.summary.size(); ++i) {
        const auto& [caption, value] = content_.summary[i];
        const double x = (i % 3) * width / 3;
        p.drawText(QRectF(x + 4, y + (i / 3) * h, width / 3 - 8, h),
                   Qt::AlignLeft | Qt::AlignVCenter, caption + QStringLiteral(" : ") + value);
    }
    y += 2 * h + 8;

    // The table: CH, Monitor, Title, Multi., Offset, Min., Max., Start, Stop.
    static const double kEdges[] = {0, 0.06, 0.14, 0.46, 0.54, 0.62, 0.72, 0.82, 0.91, 1};
    const auto row = [&](const QStringList& cells, double top, double height, const QColor& ink,
                         bool heading) {
        p.setPen(QPen(Qt::black, 0.5));
        p.drawRect(QRectF(0, top, width, height));
        for (int c = 1; c < 9; ++c)
            p.drawLine(QPointF(width * kEdges[c], top), QPointF(width * kEdges[c], top + height));
        p.setPen(ink);
        for (int c = 0; c < cells.size() && c < 9; ++c) {
            const QRectF cell(width * kEdges[c], top, width * (kEdges[c + 1] - kEdges[c]), height);
            const bool title = c == 2 && !heading;
            p.drawText(title ? cell.adjusted(5, 0, -5, 0) : cell,
                       (title ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter,
                       QFontMetricsF(font_).elidedText(cells[c], Qt::ElideRight, cell.width() - 4));
        }
    };
    row(content_.columns, y, h + 3, Qt::black, true);
    y += h + 3;
    for (int i = 0; i < content_.rows.size(); ++i) {
        const MonitorReportRow& r = content_.rows[i];
        row({r.channel, r.monitor, r.title, r.multiplier, r.offset, r.min, r.max, r.start, r.stop},
            y, h, ColourOf(content_.colours[i]), false);
        y += h;
    }
    p.restore();
}

} // namespace vdk
