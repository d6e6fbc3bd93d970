#include "monitor/ui/ChartPicture.h"

#include "monitor/WmfWriter.h"
#include "settings/FileWriter.h"

#include <QBuffer>
#include <QChart>
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QHash>
#include <QImage>
#include <QImageWriter>
#include <QLineSeries>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <QValueAxis>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace vdk {

namespace {

constexpr int kLegendMargin = 10; // between the chart and the legend
constexpr int kLegendGap = 6;     // between a colour box and its text
constexpr int kLegendRight = 10;  // after the widest text

WmfColour Wmf(const QColor& c) {
    return {quint8(c.red()), quint8(c.green()), quint8(c.blue())};
}

WmfPoint Wmf(const QPointF& p) {
    return {int(std::lround(p.x())), int(std::lround(p.y()))};
}

WmfRect Wmf(const QRectF& r) {
    return {int(std::lround(r.left())), int(std::lround(r.top())), int(std::lround(r.right())),
            int(std::lround(r.bottom()))};
}

// The colour a brush paints with; a theme's gradient gives its first stop.
QColor Solid(const QBrush& brush) {
    const QGradient* gradient = brush.gradient();
    return gradient && !gradient->stops().isEmpty() ? gradient->stops().first().second
                                                    : brush.color();
}

// A printf-like label format as the axis applies it: integer conversions
// take the value rounded, one without a conversion ("^") is the label itself.
QString AxisLabel(const QString& format, double value) {
    static const QRegularExpression conversion(QStringLiteral("%[-+ #0]*\\d*(\\.\\d+)?([a-zA-Z])"));
    const QRegularExpressionMatch m = conversion.match(format);
    if (!m.hasMatch())
        return format;
    const QByteArray f = format.toLatin1();
    if (QStringLiteral("dicoxX").contains(m.captured(2)))
        return QString::asprintf(f.constData(), int(std::lround(value)));
    return QString::asprintf(f.constData(), value);
}

QList<double> Ticks(const QValueAxis& axis) {
    QList<double> ticks;
    const int n = std::max(axis.tickCount(), 2);
    for (int i = 0; i < n; ++i)
        ticks.append(axis.min() + (axis.max() - axis.min()) * i / (n - 1));
    return ticks;
}

WmfText TextShape(const QFont& font, const QColor& colour, QPointF baseline, const QString& text) {
    return {Wmf(baseline), text,       Wmf(colour), QFontInfo(font).pixelSize(),
            font.family(), font.bold()};
}

// One text item as shapes, a line each, with its item's font and colour.
void AddText(const QGraphicsSimpleTextItem& item, std::vector<WmfShape>& shapes) {
    const QFontMetricsF fm(item.font());
    QPointF baseline = item.scenePos() + QPointF(0, fm.ascent());
    for (const QString& line : item.text().split(QLatin1Char('\n'))) {
        shapes.push_back(TextShape(item.font(), Solid(item.brush()), baseline, line));
        baseline.ry() += fm.lineSpacing();
    }
}

// The picture in a scene of its own: a copy of the chart, the traces of the
// legend only, and the legend to the right. The shown chart is only read.
class Picture {
public:
    Picture(const QChart& chart, const QList<LegendEntry>& legend) : copy_(new QChart) {
        scene_.addItem(copy_);
        CopyChart(chart);
        QHash<const QAbstractAxis*, QAbstractAxis*> axes;
        for (QAbstractAxis* axis : chart.axes())
            if (auto* value = qobject_cast<const QValueAxis*>(axis))
                axes.insert(axis, CopyAxis(*value, axis->alignment()));
        for (const LegendEntry& entry : legend)
            CopySeries(entry, axes);
        for (QGraphicsItem* child : chart.childItems())
            if (auto* text = qgraphicsitem_cast<QGraphicsSimpleTextItem*>(child))
                CopyText(*text);
        copy_->resize(chart.size());
        copy_->layout()->activate();
        AddLegend(chart, legend);
    }

    QSize Size() const { return scene_.sceneRect().size().toSize(); }

    void Render(QPainter& painter) {
        scene_.render(&painter, QRectF(QPointF(), Size()), scene_.sceneRect());
    }

    WmfPicture Shapes() const {
        WmfPicture picture{Size().width(), Size().height(), {}};
        std::vector<WmfShape>& shapes = picture.shapes;
        shapes.push_back(
            WmfRectangle{{0, 0, picture.width, picture.height}, std::nullopt, Wmf(background_)});
        const QRectF plot = copy_->plotArea();
        const auto axes = copy_->axes();
        const QColor grid = axes.isEmpty() ? Qt::gray : axes.first()->gridLinePen().color();
        shapes.push_back(
            WmfRectangle{Wmf(plot), Wmf(grid),
                         copy_->isPlotAreaBackgroundVisible()
                             ? std::optional(Wmf(Solid(copy_->plotAreaBackgroundBrush())))
                             : std::nullopt});
        for (const QAbstractAxis* axis : axes)
            AddAxis(static_cast<const QValueAxis&>(*axis), plot, shapes);
        for (QLineSeries* series : series_)
            if (series->isVisible())
                AddSeries(*series, plot, shapes);
        for (const QGraphicsItem* child : copy_->childItems())
            if (auto* text = qgraphicsitem_cast<const QGraphicsSimpleTextItem*>(child))
                if (text->isVisible())
                    AddText(*text, shapes);
        for (const auto& [box, name] : legend_) {
            const QColor colour = box->brush().color();
            shapes.push_back(WmfRectangle{Wmf(box->sceneBoundingRect()), Wmf(colour), Wmf(colour)});
            AddText(*name, shapes);
        }
        return picture;
    }

private:
    void CopyChart(const QChart& chart) {
        copy_->setTheme(chart.theme()); // first: a theme resets the colours and fonts below
        copy_->setAnimationOptions(QChart::NoAnimation);
        copy_->legend()->hide();
        copy_->setMargins(chart.margins());
        qreal left, top, right, bottom;
        chart.getContentsMargins(&left, &top, &right, &bottom);
        copy_->setContentsMargins(left, top, right, bottom);
        copy_->setBackgroundBrush(chart.backgroundBrush());
        copy_->setBackgroundPen(chart.backgroundPen());
        copy_->setBackgroundRoundness(chart.backgroundRoundness());
        copy_->setBackgroundVisible(chart.isBackgroundVisible());
        copy_->setDropShadowEnabled(false);
        copy_->setPlotAreaBackgroundBrush(chart.plotAreaBackgroundBrush());
        copy_->setPlotAreaBackgroundPen(chart.plotAreaBackgroundPen());
        copy_->setPlotAreaBackgroundVisible(chart.isPlotAreaBackgroundVisible());
        copy_->setTitle(chart.title());
        copy_->setTitleFont(chart.titleFont());
        copy_->setTitleBrush(chart.titleBrush());
        background_ = chart.isBackgroundVisible() ? Solid(chart.backgroundBrush()) : Qt::white;
        scene_.setBackgroundBrush(background_);
    }

    QAbstractAxis* CopyAxis(const QValueAxis& axis, Qt::Alignment alignment) {
        auto* copy = new QValueAxis;
        copy->setRange(axis.min(), axis.max());
        copy->setTickCount(axis.tickCount());
        copy->setMinorTickCount(axis.minorTickCount());
        copy->setLabelFormat(axis.labelFormat());
        copy->setVisible(axis.isVisible());
        copy->setLineVisible(axis.isLineVisible());
        copy->setLinePen(axis.linePen());
        copy->setGridLineVisible(axis.isGridLineVisible());
        copy->setGridLinePen(axis.gridLinePen());
        copy->setMinorGridLineVisible(axis.isMinorGridLineVisible());
        copy->setMinorGridLinePen(axis.minorGridLinePen());
        copy->setLabelsVisible(axis.labelsVisible());
        copy->setLabelsFont(axis.labelsFont());
        copy->setLabelsBrush(axis.labelsBrush());
        copy->setLabelsAngle(axis.labelsAngle());
        copy->setShadesVisible(axis.shadesVisible());
        copy->setTitleText(axis.titleText());
        copy_->addAxis(copy, alignment);
        return copy;
    }

    void CopySeries(const LegendEntry& entry,
                    const QHash<const QAbstractAxis*, QAbstractAxis*>& axes) {
        auto* copy = new QLineSeries;
        copy->replace(entry.series->points());
        copy->setPen(entry.series->pen());
        copy->setName(entry.name);
        copy->setVisible(entry.series->isVisible());
        copy_->addSeries(copy);
        for (QAbstractAxis* axis : entry.series->attachedAxes())
            if (QAbstractAxis* attached = axes.value(axis))
                copy->attachAxis(attached);
        series_.append(copy);
    }

    void CopyText(const QGraphicsSimpleTextItem& text) {
        auto* copy = new QGraphicsSimpleTextItem(text.text(), copy_);
        copy->setFont(text.font());
        copy->setBrush(text.brush());
        copy->setPos(text.pos());
        copy->setZValue(text.zValue());
        copy->setVisible(text.isVisible());
    }

    // Left-aligned entries from the plot's top, their colour boxes a line's
    // ascent wide; the scene grows to the right by the legend's width.
    void AddLegend(const QChart& chart, const QList<LegendEntry>& legend) {
        QRectF area(QPointF(), chart.size());
        if (!legend.isEmpty()) {
            const QFont font = chart.legend()->font();
            const QFontMetricsF fm(font);
            const qreal box = std::ceil(fm.ascent());
            qreal widest = 0;
            for (const LegendEntry& entry : legend)
                widest = std::max(widest, std::ceil(fm.horizontalAdvance(entry.name)));
            const qreal left = area.right() + kLegendMargin;
            qreal top = copy_->plotArea().top();
            for (const LegendEntry& entry : legend) {
                const QColor colour = entry.series->pen().color();
                auto* b = scene_.addRect(left, top + (fm.height() - box) / 2, box, box,
                                         QPen(colour), colour);
                auto* name = scene_.addSimpleText(entry.name, font);
                name->setBrush(chart.legend()->labelBrush());
                name->setPos(left + box + kLegendGap, top);
                legend_.append({b, name});
                top += fm.lineSpacing();
            }
            area.setWidth(area.width() + kLegendMargin + widest + box + kLegendGap + kLegendRight);
        }
        scene_.setSceneRect(area);
    }

    static void AddAxis(const QValueAxis& axis, const QRectF& plot, std::vector<WmfShape>& shapes) {
        if (!axis.isVisible())
            return;
        const bool across = axis.orientation() == Qt::Horizontal;
        const auto at = [&](double value) {
            const double share = (value - axis.min()) / (axis.max() - axis.min());
            return across ? plot.left() + share * plot.width()
                          : plot.bottom() - share * plot.height();
        };
        const QList<double> ticks = Ticks(axis);
        if (axis.isGridLineVisible())
            for (double v : ticks) {
                const qreal p = at(v);
                shapes.push_back(WmfPolyline{
                    across
                        ? std::vector{Wmf(QPointF(p, plot.top())), Wmf(QPointF(p, plot.bottom()))}
                        : std::vector{Wmf(QPointF(plot.left(), p)), Wmf(QPointF(plot.right(), p))},
                    Wmf(axis.gridLinePen().color()), 1, std::nullopt});
            }
        if (axis.isLineVisible()) {
            const bool far = axis.alignment() & (Qt::AlignTop | Qt::AlignRight);
            const QLineF line = across ? QLineF(plot.left(), far ? plot.top() : plot.bottom(),
                                                plot.right(), far ? plot.top() : plot.bottom())
                                       : QLineF(far ? plot.right() : plot.left(), plot.top(),
                                                far ? plot.right() : plot.left(), plot.bottom());
            shapes.push_back(WmfPolyline{{Wmf(line.p1()), Wmf(line.p2())},
                                         Wmf(axis.linePen().color()),
                                         std::max(1, int(std::lround(axis.linePen().widthF()))),
                                         std::nullopt});
        }
        if (!axis.labelsVisible())
            return;
        const QFont font = axis.labelsFont();
        const QFontMetricsF fm(font);
        constexpr qreal kPadding = 6; // between the plot and the labels
        for (double v : ticks) {
            const QString label = AxisLabel(axis.labelFormat(), v);
            const qreal width = fm.horizontalAdvance(label);
            const QPointF baseline =
                across ? QPointF(at(v) - width / 2, plot.bottom() + kPadding + fm.ascent())
                       : QPointF(plot.left() - kPadding - width,
                                 at(v) + (fm.ascent() - fm.descent()) / 2);
            shapes.push_back(TextShape(font, Solid(axis.labelsBrush()), baseline, label));
        }
    }

    void AddSeries(QLineSeries& series, const QRectF& plot, std::vector<WmfShape>& shapes) const {
        WmfPolyline line{{},
                         Wmf(series.pen().color()),
                         std::max(1, int(std::lround(series.pen().widthF()))),
                         Wmf(plot)};
        const QList<QPointF> points = series.points();
        line.points.reserve(points.size());
        for (const QPointF& p : points)
            line.points.push_back(Wmf(copy_->mapToPosition(p, &series)));
        shapes.push_back(std::move(line));
    }

    QGraphicsScene scene_;
    QChart* copy_; // owned by the scene
    QColor background_;
    QList<QLineSeries*> series_;
    QList<std::pair<QGraphicsRectItem*, QGraphicsSimpleTextItem*>> legend_;
};

QByteArray ImageBytes(Picture& picture, PictureFormat format, QString* error) {
    QImage image(picture.Size(), QImage::Format_RGB888);
    {
        QPainter painter(&image);
        picture.Render(painter);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format == PictureFormat::Bmp   ? "bmp"
                                 : format == PictureFormat::Png ? "png"
                                                                : "jpeg");
    if (format == PictureFormat::Jpeg) {
        writer.setQuality(100);
        writer.setProgressiveScanWrite(false); // baseline, which every reader takes
        writer.setOptimizedWrite(false);
    }
    if (writer.write(image))
        return bytes;
    if (error)
        *error = writer.errorString();
    return {};
}

QByteArray SvgBytes(Picture& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(96); // a screen's: the picture's pixels are the chart's
    generator.setSize(picture.Size());
    generator.setViewBox(QRect(QPoint(), picture.Size()));
    {
        QPainter painter(&generator);
        picture.Render(painter);
    }
    return bytes;
}

} // namespace

std::optional<PictureFormat> PictureFormatOf(const QString& path) {
    static const QHash<QString, PictureFormat> formats{
        {QStringLiteral("bmp"), PictureFormat::Bmp},   {QStringLiteral("jpg"), PictureFormat::Jpeg},
        {QStringLiteral("jpeg"), PictureFormat::Jpeg}, {QStringLiteral("wmf"), PictureFormat::Wmf},
        {QStringLiteral("png"), PictureFormat::Png},   {QStringLiteral("svg"), PictureFormat::Svg}};
    const auto it = formats.constFind(QFileInfo(path).suffix().toLower());
    return it == formats.constEnd() ? std::nullopt : std::optional(*it);
}

bool SaveChartPicture(const QChart& chart, const QList<LegendEntry>& legend, const QString& path,
                      QString* error) {
    const auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    const std::optional<PictureFormat> format = PictureFormatOf(path);
    if (!format)
        return fail(QStringLiteral("Unknown picture format: %1").arg(QFileInfo(path).fileName()));
    // The picture goes where the user chose; a folder gone meanwhile is not made again.
    if (!QFileInfo(path).absoluteDir().exists())
        return fail(QString::fromLocal8Bit(std::strerror(ENOENT)));
    Picture picture(chart, legend);
    QByteArray bytes;
    switch (*format) {
    case PictureFormat::Wmf:
        bytes = WmfBytes(picture.Shapes());
        break;
    case PictureFormat::Svg:
        bytes = SvgBytes(picture);
        break;
    default:
        bytes = ImageBytes(picture, *format, error);
        if (bytes.isEmpty())
            return false;
    }
    return WriteFileAtomically(path, bytes, error);
}

} // namespace vdk
