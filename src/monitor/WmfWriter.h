#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <variant>
#include <vector>

namespace vdk {

// A picture described in shapes, in pixels from the top left, for the
// Windows metafile writer below; it keeps the core free of QtGui.
struct WmfColour {
    quint8 red = 0;
    quint8 green = 0;
    quint8 blue = 0;
    bool operator==(const WmfColour&) const = default;
};

struct WmfPoint {
    int x = 0;
    int y = 0;
    bool operator==(const WmfPoint&) const = default;
};

struct WmfRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// No outline or no fill where the colour is absent.
struct WmfRectangle {
    WmfRect rect;
    std::optional<WmfColour> line;
    std::optional<WmfColour> fill;
};

// Cut at the edges of `clip` when it is given.
struct WmfPolyline {
    std::vector<WmfPoint> points;
    WmfColour colour;
    int width = 1;
    std::optional<WmfRect> clip;
};

// `baseline` is the left end of the text's base line; `pixelSize` its em height.
struct WmfText {
    WmfPoint baseline;
    QString text;
    WmfColour colour;
    int pixelSize = 12;
    QString face;
    bool bold = false;
};

using WmfShape = std::variant<WmfRectangle, WmfPolyline, WmfText>;

// Shapes are drawn in their order.
struct WmfPicture {
    int width = 0;
    int height = 0;
    std::vector<WmfShape> shapes;
};

// A WMF record's point count is 16-bit: longer polylines go out in pieces of
// at most this many points, each starting where the last one ended.
constexpr int kWmfMostPolylinePoints = 32767;
constexpr int kWmfUnitsPerInch = 96; // one logical unit per pixel
constexpr quint8 kWmfAnsiCharset = 0;
constexpr quint8 kWmfShiftJisCharset = 128;

// The picture as an Aldus placeable metafile. Text that Latin-1 cannot hold
// goes out in Shift-JIS with a Shift-JIS font ("?" for what neither holds).
QByteArray WmfBytes(const WmfPicture& picture);

} // namespace vdk
