#pragma once

namespace vdk {

// The time axis of the monitor chart in samples: what is in view of the
// record's extent.
struct AxisRange {
    double min = 0, max = 100;
    bool operator==(const AxisRange& o) const { return min == o.min && max == o.max; }
};

// While sampling: the newest point `x` stays five samples from the right
// edge once it gets there, with 100 samples in view.
AxisRange Scrolled(AxisRange view, double x, int preTrigger);
// The zoom entry: `zoom` percent of the extent from the current minimum,
// pulled back inside the extent.
AxisRange Zoomed(AxisRange view, int zoom, int extent);
// A click in zoom mode at `clickX` (pixels) after the zoom moved to `zoom`:
// the view narrows or widens around the clicked point, inside the extent.
AxisRange ZoomedAt(AxisRange view, int zoom, int extent, double clickX, double plotCentreX,
                   double chartWidth);
// Panning by `shift` samples; the view as it was when the shift would leave
// the extent.
AxisRange Panned(AxisRange view, double shift, int extent);
// The zoom edit after a point was added: the share of the extent in view.
int ZoomShown(int extent);

// The trigger marker: its top (pixels, seven above the level's line) for
// `level` in a plot area of `plotTop` and `plotHeight` at full scale
// `fullScale`, and the level a marker top gives, both in whole numbers as
// the level edit takes them.
int MarkerTop(int level, int fullScale, int plotTop, int plotHeight);
int LevelAtMarker(int markerTop, int fullScale, int plotTop, int plotHeight);
// A marker top kept where the marker still shows a level on the plot.
int MarkerTopInside(int markerTop, int plotTop, int plotHeight);

} // namespace vdk
