#include "monitor/ui/MonitorChart.h"

#include "monitor/MonitorRun.h"

#include <QChart>
#include <QGraphicsLineItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPen>
#include <QTimer>
#include <QToolTip>
#include <QValueAxis>
#include <cmath>

namespace vdk {

namespace {

constexpr int kRepaintMs = 50;    // the chart is repainted at most this often
constexpr int kMarkerHeight = 14; // the level is at its middle
constexpr int kZoomStep = 5;

} // namespace

MonitorChart::MonitorChart(QWidget* parent) : QChartView(new QChart, parent) {
    QChart* c = chart();
    c->legend()->hide();
    c->setMargins(QMargins(4, 4, 4, 4));
    c->setPlotAreaBackgroundBrush(Qt::white);
    c->setPlotAreaBackgroundVisible(true);
    xAxis_ = new QValueAxis;
    xAxis_->setRange(0, 100);
    xAxis_->setTickCount(21); // a division every five samples
    xAxis_->setLabelFormat(QStringLiteral("^"));
    yAxis_ = new QValueAxis;
    yAxis_->setRange(0, 100);
    yAxis_->setLabelFormat(QStringLiteral("%d"));
    for (QValueAxis* axis : {xAxis_, yAxis_})
        axis->setGridLineColor(QColor(0xC0, 0xC0, 0xC0));
    c->addAxis(xAxis_, Qt::AlignBottom);
    c->addAxis(yAxis_, Qt::AlignLeft);
    for (int i = 0; i < kMonitorSlots; ++i) {
        series_[i] = new QLineSeries;
        c->addSeries(series_[i]);
        series_[i]->attachAxis(xAxis_);
        series_[i]->attachAxis(yAxis_);
        connect(series_[i], &QLineSeries::clicked, this, [this, i](const QPointF& p) {
            if (!zoomMode_ && !busy_)
                Q_EMIT PointClicked(i, int(std::lround(p.x())));
        });
    }
    const auto overlay = [c](const QColor& colour) {
        auto* text = new QGraphicsSimpleTextItem(c);
        text->setBrush(colour);
        text->setZValue(10);
        return text;
    };
    alarmText_ = overlay(Qt::red);
    tripText_ = overlay(Qt::red);
    errorText_ = overlay(QColor(0x80, 0x80, 0x80));
    timeText_ = overlay(QColor(0x80, 0x80, 0x80));
    waitingText_ = overlay(QColor(0x00, 0x00, 0x80));
    waitingText_->setText(QStringLiteral("Waiting for Trigger"));
    QFont bold = waitingText_->font();
    bold.setBold(true);
    waitingText_->setFont(bold);
    waitingText_->hide();
    errorText_->hide();
    marker_ = new QGraphicsPolygonItem(
        QPolygonF{{0, 0}, {10, kMarkerHeight / 2.0}, {0, kMarkerHeight}}, c);
    marker_->setBrush(QColor(0xD0, 0x20, 0x20));
    marker_->setPen(Qt::NoPen);
    marker_->setZValue(11);
    marker_->setCursor(Qt::SplitVCursor);
    levelLine_ = new QGraphicsLineItem(c);
    levelLine_->setPen(QPen(QColor(0xD0, 0x20, 0x20), 1, Qt::DashLine));
    levelLine_->setZValue(9);
    marker_->hide();
    levelLine_->hide();
    connect(c, &QChart::plotAreaChanged, this, [this] {
        PlaceTexts();
        PlaceMarker();
    });
    setRenderHint(QPainter::Antialiasing, false);

    repaint_ = new QTimer(this);
    repaint_->setSingleShot(true);
    repaint_->setInterval(kRepaintMs);
    connect(repaint_, &QTimer::timeout, this, [this] { Flush(); });
}

AxisRange MonitorChart::View() const {
    return {xAxis_->min(), xAxis_->max()};
}

void MonitorChart::SetView(AxisRange view) {
    xAxis_->setRange(view.min, view.max);
}

void MonitorChart::SetFullScale(int fullScale) {
    yAxis_->setRange(0, fullScale);
    PlaceMarker();
}

void MonitorChart::SetBackground(const QColor& colour) {
    chart()->setBackgroundBrush(colour);
}

void MonitorChart::SetTraceColour(int slot, const QColor& colour) {
    series_[slot]->setPen(QPen(colour, 1));
}

void MonitorChart::Begin(const std::array<bool, kMonitorSlots>& active) {
    for (int i = 0; i < kMonitorSlots; ++i) {
        series_[i]->clear();
        pending_[i].clear();
        series_[i]->setVisible(active[i]);
    }
    preTrigger_ = 0;
    extent_ = 100;
    SetView({0, 100});
    SetZoom(100);
}

void MonitorChart::Add(int slot, double x, double y) {
    pending_[slot].append(QPointF(x, y));
    if (!repaint_->isActive())
        repaint_->start();
}

// The view follows the newest point; the zoom edit says how much of the
// record is in view.
void MonitorChart::Flush() {
    double last = -1;
    for (int i = 0; i < kMonitorSlots; ++i) {
        if (pending_[i].isEmpty())
            continue;
        last = std::max(last, pending_[i].last().x());
        series_[i]->append(pending_[i]);
        pending_[i].clear();
    }
    if (last < 0)
        return;
    SetView(Scrolled(View(), last, preTrigger_));
    extent_ = int(std::trunc(xAxis_->max()));
    zoom_ = ZoomShown(extent_);
    Q_EMIT ZoomChanged(zoom_);
}

void MonitorChart::Triggered(int preTrigger) {
    preTrigger_ = preTrigger;
    SetView({double(preTrigger), preTrigger + 100.0});
}

void MonitorChart::Finish() {
    repaint_->stop();
    Flush();
    SetView({0, double(extent_)});
    SetZoom(100);
}

void MonitorChart::Show(const MonitorRecord& record) {
    for (int i = 0; i < kMonitorSlots; ++i) {
        pending_[i].clear();
        QList<QPointF> points;
        if (record.active[i])
            for (int x = 0; x < record.SampleCount(); ++x)
                points.append(QPointF(x, record.Plotted(i, x)));
        series_[i]->replace(points);
        series_[i]->setVisible(record.active[i]);
    }
    preTrigger_ = 0;
    extent_ = std::max(100, record.SampleCount() + 4);
    SetView({0, double(extent_)});
    SetZoom(100);
}

void MonitorChart::SetZoom(int zoom) {
    zoom_ = zoom;
    SetView(Zoomed(View(), zoom, extent_));
    Q_EMIT ZoomChanged(zoom_);
}

void MonitorChart::SetAlarmText(const QString& text) {
    alarmText_->setText(text);
}

void MonitorChart::SetTripText(const QString& text) {
    tripText_->setText(text);
}

void MonitorChart::SetErrorCount(int errors) {
    errorText_->setText(QStringLiteral("Err.:%1").arg(errors));
    errorText_->setVisible(errors > 0);
}

void MonitorChart::SetTimeText(const QString& text) {
    timeText_->setText(text);
}

void MonitorChart::SetWaiting(bool waiting) {
    waitingText_->setVisible(waiting);
}

void MonitorChart::SetMarker(int level, bool on) {
    level_ = level;
    markerOn_ = on;
    PlaceMarker();
}

void MonitorChart::PlaceTexts() {
    const QRectF area = chart()->plotArea();
    alarmText_->setPos(area.left() + 6, area.top() + 5);
    tripText_->setPos(area.left() + 6, area.top() + 22);
    waitingText_->setPos(area.center().x() - waitingText_->boundingRect().width() / 2,
                         area.top() + 5);
    errorText_->setPos(area.right() - 90, area.top() + 5);
    timeText_->setPos(area.left() + 6, area.bottom() - 20);
}

void MonitorChart::PlaceMarker() {
    const QRect area = chart()->plotArea().toRect();
    if (!dragY_)
        markerTop_ = MarkerTop(level_, int(yAxis_->max()), area.top(), area.height());
    const bool shown = markerOn_ && markerTop_ > area.top() - kMarkerHeight / 2;
    marker_->setVisible(shown);
    levelLine_->setVisible(shown);
    const int top = MarkerTopInside(markerTop_, area.top(), area.height());
    marker_->setPos(area.left() - 11, top);
    levelLine_->setLine(area.left(), top + kMarkerHeight / 2.0, area.right(),
                        top + kMarkerHeight / 2.0);
    marker_->setToolTip(QString::number(dragY_ ? LevelAt(top) : level_));
}

int MonitorChart::LevelAt(int markerTop) const {
    const QRect area = chart()->plotArea().toRect();
    return LevelAtMarker(markerTop, int(yAxis_->max()), area.top(), area.height());
}

void MonitorChart::mousePressEvent(QMouseEvent* event) {
    if (busy_) {
        event->accept();
        return;
    }
    const QPointF at = event->position();
    if (marker_->isVisible() && marker_->sceneBoundingRect().adjusted(-3, -3, 3, 3).contains(at)) {
        dragY_ = int(at.y());
        return;
    }
    QChartView::mousePressEvent(event);
    if (!chart()->plotArea().contains(at))
        return;
    if (zoomMode_) {
        const int step = event->button() == Qt::RightButton ? kZoomStep : -kZoomStep;
        zoom_ = std::clamp(zoom_ + step, 10, 100);
        const QRectF area = chart()->plotArea();
        SetView(ZoomedAt(View(), zoom_, extent_, at.x(), area.center().x(), width()));
        Q_EMIT ZoomChanged(zoom_);
    } else if (event->button() == Qt::LeftButton) {
        panX_ = at.x();
    }
}

void MonitorChart::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (dragY_) {
        markerTop_ += int(at.y()) - *dragY_;
        dragY_ = int(at.y());
        PlaceMarker();
        QToolTip::showText(event->globalPosition().toPoint(), marker_->toolTip(), this);
    } else if (panX_ && !busy_) {
        const double samplesPerPixel = (View().max - View().min) / chart()->plotArea().width();
        SetView(Panned(View(), (*panX_ - at.x()) * samplesPerPixel, extent_));
        panX_ = at.x();
    }
    QChartView::mouseMoveEvent(event);
}

void MonitorChart::mouseReleaseEvent(QMouseEvent* event) {
    if (dragY_) {
        const QRect area = chart()->plotArea().toRect();
        markerTop_ = MarkerTopInside(markerTop_, area.top(), area.height());
        const int level = LevelAt(markerTop_);
        dragY_.reset();
        Q_EMIT LevelDragged(level);
    }
    panX_.reset();
    QChartView::mouseReleaseEvent(event);
}

} // namespace vdk
