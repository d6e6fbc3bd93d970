#include "printing/ui/ParameterReport.h"

#include "base/ui/SettingsColour.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace vdk {

namespace {

constexpr double kDefaultMarginMm = 10;
constexpr double kGap = 5; // between the function names and their lines

QPageSize PageSizeOf(int paper) {
    static const QPageSize::PageSizeId kSizes[] = {QPageSize::A3, QPageSize::A4, QPageSize::A5,
                                                   QPageSize::JisB4, QPageSize::JisB5};
    return QPageSize(kSizes[paper >= 0 && paper < 5 ? paper : 1]);
}

double Millimetres(const QString& text) {
    return CheckMargin(text).Valid() ? text.trimmed().toDouble() : kDefaultMarginMm;
}

} // namespace

ParameterReport::ParameterReport(QList<ReportLine> lines, PageSetup setup, ReportHeading heading)
    : lines_(std::move(lines)), setup_(std::move(setup)), heading_(std::move(heading)),
      layout_(PageLayoutOf(setup_)) {
    font_ = PrintFont(setup_.fontFamily, setup_.fontSizeText,
                      std::any_of(lines_.begin(), lines_.end(),
                                  [](const ReportLine& l) { return JapaneseText(l.name); }));
    titleFont_ = PrintFont(QStringLiteral("DSEG14 Classic"), setup_.fontSizeText, false);
    const PageFieldCheck height = CheckRowHeight(setup_.rowHeight);
    rowHeight_ = height.Valid() ? height.shown.toInt() : 15;
    const double page = layout_.paintRect(QPageLayout::Point).height();
    // The page header, the column headings and the page footer take their
    // rows; the lines share the rest.
    rowsPerPage_ = std::max(1, int((page - 3 * rowHeight_ - 3) / rowHeight_));
}

QPageLayout ParameterReport::PageLayoutOf(const PageSetup& setup) {
    return QPageLayout(PageSizeOf(setup.paper),
                       setup.portrait ? QPageLayout::Portrait : QPageLayout::Landscape,
                       QMarginsF(Millimetres(setup.left), Millimetres(setup.top),
                                 Millimetres(setup.right), Millimetres(setup.bottom)),
                       QPageLayout::Millimeter);
}

int ParameterReport::PageCount() const {
    return std::max(1, int((lines_.size() + rowsPerPage_ - 1) / rowsPerPage_));
}

std::pair<int, int> ParameterReport::LinesOn(int page) const {
    const int first = page * rowsPerPage_;
    return {first, std::clamp(int(lines_.size()) - first, 0, rowsPerPage_)};
}

void ParameterReport::PaintRow(QPainter& p, const QStringList& cells, double top, double height,
                               bool heading) const {
    const double width = layout_.paintRect(QPageLayout::Point).width();
    const QList<int> lines = ColumnLines(int(width));
    const auto at = [&](int i) { return double(lines[i]); };
    const double functionEnd = setup_.shipment ? at(2) : at(3);
    // Left and right of each cell: title, number, function, shipment, value,
    // low, high, unit, notes.
    const double edges[][2] = {{0, at(0)},     {at(0), at(1)}, {at(1) + kGap, functionEnd - kGap},
                               {at(2), at(3)}, {at(3), at(4)}, {at(4), at(5)},
                               {at(5), at(6)}, {at(6), at(7)}, {at(7), width}};
    p.setPen(QPen(Qt::black, 0.5));
    p.drawLine(QPointF(0, top + height), QPointF(width, top + height));
    if (heading)
        p.drawLine(QPointF(0, top), QPointF(width, top));
    for (int i = 0; i < lines.size(); ++i)
        if (setup_.shipment || i != 2)
            p.drawLine(QPointF(at(i), top), QPointF(at(i), top + height));
    p.drawLine(QPointF(0, top), QPointF(0, top + height));
    p.drawLine(QPointF(width, top), QPointF(width, top + height));
    for (int c = 0; c < cells.size(); ++c) {
        if (c == 3 && !setup_.shipment)
            continue;
        const QRectF cell(QPointF(edges[c][0], top), QPointF(edges[c][1], top + height));
        QFont font = c == 0 && !heading ? titleFont_ : font_;
        font.setBold(c == 4);
        // A heading narrower than its column's text is set smaller, not cut.
        while (heading && font.pixelSize() > 5 &&
               QFontMetricsF(font).horizontalAdvance(cells[c]) > cell.width() - 2)
            font.setPixelSize(font.pixelSize() - 1);
        p.setFont(font);
        p.setPen(c == 4 && !heading ? ColourOf(setup_.valueColour) : QColor(Qt::black));
        const Qt::Alignment align =
            (c == 2 && !heading ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter;
        const QString text = QFontMetricsF(font).elidedText(cells[c], Qt::ElideRight, cell.width());
        p.drawText(cell, align, text);
    }
}

void ParameterReport::Paint(QPainter& p, int page, int dotsPerInch) const {
    p.save();
    p.scale(dotsPerInch / 72.0, dotsPerInch / 72.0);
    const double width = layout_.paintRect(QPageLayout::Point).width();
    const double height = layout_.paintRect(QPageLayout::Point).height();
    const double h = rowHeight_;
    p.setFont(font_);
    p.setPen(Qt::black);
    const QRectF header(0, 0, width, h);
    double x = width * 0.0111;
    if (setup_.typeForm) {
        p.drawText(header.adjusted(x, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   heading_.inverter);
        x += QFontMetricsF(font_).horizontalAdvance(heading_.inverter) + 6;
    }
    if (setup_.comment)
        p.drawText(QRectF(x, 0, width * 0.86 - x, h), Qt::AlignLeft | Qt::AlignVCenter,
                   setup_.commentText);
    QStringList when;
    if (setup_.date)
        when.append(QLocale::c().toString(heading_.made.date(), QStringLiteral("yyyy/MM/dd")));
    if (setup_.time)
        when.append(QLocale::c().toString(heading_.made.time(), QStringLiteral("HH:mm")));
    p.drawText(header, Qt::AlignRight | Qt::AlignVCenter, when.join(QLatin1Char(' ')));

    PaintRow(p, heading_.columns, h, h + 3, true);
    const auto [first, count] = LinesOn(page);
    for (int i = 0; i < count; ++i) {
        const ReportLine& l = lines_[first + i];
        PaintRow(p,
                 {l.title, l.comNo, l.name, l.shipment.trimmed(), l.value.trimmed(),
                  l.low.trimmed(), l.high.trimmed(), l.unit, l.notes},
                 2 * h + 3 + i * h, h, false);
    }
    if (setup_.pageNo) {
        p.setFont(font_);
        p.setPen(Qt::black);
        p.drawText(QRectF(0, height - h, width, h), Qt::AlignHCenter | Qt::AlignVCenter,
                   QString::number(page + 1));
    }
    p.restore();
}

} // namespace vdk
