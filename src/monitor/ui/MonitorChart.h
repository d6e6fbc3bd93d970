#pragma once

#include "monitor/ChartGeometry.h"
#include "monitor/ContinuousCsv.h"

#include <QChartView>
#include <QList>
#include <QPointF>
#include <array>

class QGraphicsLineItem;
class QGraphicsPolygonItem;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QTimer;
class QValueAxis;

namespace vdk {

struct MonitorRecord;

// The monitor's chart: ten traces on a time axis in samples and a value
// axis to the full scale, the texts over the plot, the trigger marker, and
// what the mouse does (zoom clicks, panning, dragging the marker, a click on
// a point). Points come in batches, never a repaint per sample.
class MonitorChart final : public QChartView {
    Q_OBJECT
public:
    explicit MonitorChart(QWidget* parent = nullptr);

    QLineSeries* Trace(int slot) const { return series_[slot]; }
    AxisRange View() const;
    int Extent() const { return extent_; }
    int Zoom() const { return zoom_; }

    void SetFullScale(int fullScale);
    void SetBackground(const QColor& colour);
    void SetTraceColour(int slot, const QColor& colour);
    // A new run: empty traces, those of `active` slots shown.
    void Begin(const std::array<bool, kMonitorSlots>& active);
    // A sampled point; drawn with the next batch.
    void Add(int slot, double x, double y);
    // A triggered run: the view starts at the samples held before it.
    void Triggered(int preTrigger);
    // The end of a run: the points still waiting, and the whole record in
    // view.
    void Finish();
    // A finished or opened record, drawn from its values.
    void Show(const MonitorRecord& record);
    void SetZoom(int zoom);
    void SetZoomMode(bool on) { zoomMode_ = on; }
    // While a run goes on, the mouse neither pans, zooms nor drags.
    void SetBusy(bool busy) { busy_ = busy; }

    void SetAlarmText(const QString& text);
    void SetTripText(const QString& text);
    void SetErrorCount(int errors); // hidden at 0
    void SetTimeText(const QString& text);
    void SetWaiting(bool waiting);
    // The trigger marker at `level`, shown when `on` and on the plot.
    void SetMarker(int level, bool on);

Q_SIGNALS:
    void ZoomChanged(int zoom);
    void LevelDragged(int level);
    void PointClicked(int slot, int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Flush();
    void SetView(AxisRange view);
    void PlaceTexts();
    void PlaceMarker();
    int LevelAt(int markerTop) const;

    QValueAxis* xAxis_ = nullptr;
    QValueAxis* yAxis_ = nullptr;
    std::array<QLineSeries*, kMonitorSlots> series_{};
    std::array<QList<QPointF>, kMonitorSlots> pending_;
    QTimer* repaint_ = nullptr;
    QGraphicsSimpleTextItem* alarmText_ = nullptr;
    QGraphicsSimpleTextItem* tripText_ = nullptr;
    QGraphicsSimpleTextItem* errorText_ = nullptr;
    QGraphicsSimpleTextItem* timeText_ = nullptr;
    QGraphicsSimpleTextItem* waitingText_ = nullptr;
    QGraphicsPolygonItem* marker_ = nullptr;
    QGraphicsLineItem* levelLine_ = nullptr;
    int extent_ = 100;
    int zoom_ = 100;
    int preTrigger_ = 0;
    int level_ = 0;
    int markerTop_ = 0;
    bool markerOn_ = false;
    bool zoomMode_ = false;
    bool busy_ = false;
    std::optional<int> dragY_;   // the marker is being dragged
    std::optional<double> panX_; // the view is being panned
};

} // namespace vdk
