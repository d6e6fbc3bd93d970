#include "monitor/ChartGeometry.h"

#include <algorithm>
#include <cmath>

namespace vdk {

namespace {
constexpr int kMarkerOffset = 7;
} // namespace

AxisRange Scrolled(AxisRange view, double x, int preTrigger) {
    if (x <= view.max - preTrigger - 5)
        return view;
    const double max = x + 5;
    return {max - 100, max};
}

AxisRange Zoomed(AxisRange view, int zoom, int extent) {
    const int span = zoom * extent / 100;
    AxisRange zoomed{view.min, view.min + span};
    if (extent < zoomed.max)
        zoomed = {double(extent - span), double(extent)};
    return zoomed;
}

AxisRange ZoomedAt(AxisRange view, int zoom, int extent, double clickX, double plotCentreX,
                   double chartWidth) {
    const int span = zoom * extent / 100;
    const int shown = int(std::trunc(view.max - view.min));
    const int shift =
        chartWidth > 0 ? int(std::trunc(shown * (clickX - plotCentreX) / chartWidth)) : 0;
    const int half = (span - shown) / 2;
    AxisRange zoomed{view.min, view.max + shift + half};
    if (extent >= zoomed.max) {
        zoomed.min = view.min + shift - half;
        if (zoomed.min < 0)
            zoomed = {0, double(span)};
    } else {
        zoomed = {double(extent - span), double(extent)};
    }
    return zoomed;
}

AxisRange Panned(AxisRange view, double shift, int extent) {
    const AxisRange moved{view.min + shift, view.max + shift};
    return moved.min < 0 || moved.max > extent ? view : moved;
}

int ZoomShown(int extent) {
    return extent > 0 ? int(std::lround(100.0 / extent * 100)) : 100;
}

int MarkerTop(int level, int fullScale, int plotTop, int plotHeight) {
    const double half = fullScale / 2.0;
    const int h = plotHeight / 2;
    const double centre = plotTop + h;
    return int(std::trunc(centre + h * (half - level) / half - kMarkerOffset));
}

int LevelAtMarker(int markerTop, int fullScale, int plotTop, int plotHeight) {
    const double half = fullScale / 2.0;
    const int h = plotHeight / 2;
    const int a = markerTop + kMarkerOffset - (plotTop + h);
    return h > 0 ? int(std::trunc(fullScale - (std::trunc(a * half / h) + half))) : 0;
}

int MarkerTopInside(int markerTop, int plotTop, int plotHeight) {
    return std::clamp(markerTop, plotTop - kMarkerOffset, plotTop + plotHeight - kMarkerOffset);
}

} // namespace vdk
