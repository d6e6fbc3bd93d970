#include "monitor/WmfWriter.h"

#include <QStringEncoder>
#include <algorithm>
#include <cmath>
#include <tuple>

namespace vdk {

namespace {

enum Function : quint16 {
    kEof = 0x0000,
    kSetBkMode = 0x0102,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kDeleteObject = 0x01F0,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kSetTextColor = 0x0209,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kPolyline = 0x0325,
    kRectangle = 0x041B,
    kExtTextOut = 0x0A32,
};

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr quint16 kTransparent = 1;
constexpr quint16 kTextAlignBaseline = 24;
constexpr quint16 kPenSolid = 0;
constexpr quint16 kPenNull = 5;
constexpr quint16 kBrushSolid = 0;
constexpr quint16 kBrushNull = 1;
constexpr int kFaceBytes = 32; // LOGFONT's face name, its terminating zero included

class Bytes {
public:
    void Word(int value) {
        const auto w = quint16(value);
        bytes_.append(char(w & 0xFF));
        bytes_.append(char(w >> 8));
    }
    // A coordinate; the format has no room for more than 16 bits.
    void Coordinate(int value) { Word(std::clamp(value, -32768, 32767)); }
    void DoubleWord(quint32 value) {
        Word(int(value & 0xFFFF));
        Word(int(value >> 16));
    }
    void Colour(WmfColour c) {
        bytes_.append(char(c.red));
        bytes_.append(char(c.green));
        bytes_.append(char(c.blue));
        bytes_.append('\0');
    }
    // Padded to whole words, as every record is.
    void Text(const QByteArray& text) {
        bytes_.append(text);
        if (text.size() % 2)
            bytes_.append('\0');
    }
    const QByteArray& Data() const { return bytes_; }

private:
    QByteArray bytes_;
};

struct Encoded {
    QByteArray bytes;
    quint8 charset = kWmfAnsiCharset;
};

Encoded Encode(const QString& text) {
    const bool latin1 =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    if (!latin1) {
        QStringEncoder shiftJis("Shift-JIS");
        if (shiftJis.isValid())
            return {shiftJis.encode(text), kWmfShiftJisCharset};
    }
    return {text.toLatin1(), kWmfAnsiCharset}; // toLatin1 gives "?" for what it cannot hold
}

// The part of segment a-b inside `r` (edges included), by Liang and Barsky;
// an end inside stays exactly as given, so the parts of a line join up.
std::optional<std::pair<WmfPoint, WmfPoint>> ClipSegment(WmfPoint a, WmfPoint b, const WmfRect& r) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {double(a.x - r.left), double(r.right - a.x), double(a.y - r.top),
                        double(r.bottom - a.y)};
    double t0 = 0;
    double t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return std::nullopt;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1)
        return std::nullopt;
    const auto at = [&](double t) {
        return WmfPoint{int(std::lround(a.x + t * dx)), int(std::lround(a.y + t * dy))};
    };
    return std::pair{t0 == 0 ? a : at(t0), t1 == 1 ? b : at(t1)};
}

// The runs of a polyline inside `clip`. Cut geometrically rather than by a
// clipping region: readers size a picture by every point it holds.
std::vector<std::vector<WmfPoint>> Clipped(const std::vector<WmfPoint>& points,
                                           const WmfRect& clip) {
    std::vector<std::vector<WmfPoint>> runs;
    bool joined = false; // the last segment was kept up to its end
    for (std::size_t i = 1; i < points.size(); ++i) {
        const auto part = ClipSegment(points[i - 1], points[i], clip);
        if (!part) {
            joined = false;
            continue;
        }
        if (!joined || part->first != points[i - 1])
            runs.push_back({part->first});
        runs.back().push_back(part->second);
        joined = part->second == points[i];
    }
    return runs;
}

// The playing program puts each object it creates into the lowest free slot
// of its table, and records name objects by slot, so the writer keeps the
// same table.
class ObjectTable {
public:
    int Create() {
        const auto free = std::find(used_.begin(), used_.end(), false);
        if (free != used_.end()) {
            *free = true;
            return int(free - used_.begin());
        }
        used_.push_back(true);
        return int(used_.size()) - 1;
    }
    void Delete(int slot) { used_[slot] = false; }
    int Size() const { return int(used_.size()); }

private:
    std::vector<bool> used_;
};

using PenKey = std::tuple<bool, quint8, quint8, quint8, int>;
using BrushKey = std::tuple<bool, quint8, quint8, quint8>;
using FontKey = std::tuple<int, bool, quint8, QString>;

// An object of one kind (pen, brush, font) selected now: a new one is
// created and selected before the old one is deleted, never while selected.
template <typename Key> struct Selection {
    std::optional<Key> key;
    int slot = -1;
};

class Writer {
public:
    // The player frees the objects still selected at the end.
    explicit Writer(const WmfPicture& picture) : width_(picture.width), height_(picture.height) {
        Record(kSetWindowOrg, {0, 0}); // y before x, as in every WMF record
        Record(kSetWindowExt, {picture.height, picture.width});
        Record(kSetBkMode, {kTransparent});
        Record(kSetTextAlign, {kTextAlignBaseline});
        for (const WmfShape& shape : picture.shapes)
            std::visit([this](const auto& s) { Draw(s); }, shape);
        Record(kEof, {});
    }

    QByteArray File() const {
        Bytes header;
        header.DoubleWord(kPlaceableKey);
        header.Word(0); // no metafile handle in a file
        for (int v : {0, 0, width_, height_})
            header.Coordinate(v);
        header.Word(kWmfUnitsPerInch);
        header.DoubleWord(0);
        quint16 checksum = 0;
        const QByteArray& h = header.Data();
        for (int i = 0; i < h.size(); i += 2)
            checksum ^= quint16(quint8(h[i]) | quint8(h[i + 1]) << 8);
        header.Word(checksum);
        constexpr int kHeaderWords = 9;
        header.Word(1); // in memory, not on disk: no file name follows
        header.Word(kHeaderWords);
        header.Word(0x0300);
        header.DoubleWord(quint32(kHeaderWords + records_.Data().size() / 2));
        header.Word(objects_.Size());
        header.DoubleWord(quint32(largest_));
        header.Word(0);
        return header.Data() + records_.Data();
    }

private:
    // Parameters given as words; colours and text are passed as bytes.
    void Record(Function function, std::initializer_list<int> words, const QByteArray& rest = {}) {
        Bytes body;
        for (int w : words)
            body.Coordinate(w);
        body.Text(rest);
        const int size = 3 + int(body.Data().size() / 2);
        largest_ = std::max(largest_, size);
        records_.DoubleWord(quint32(size));
        records_.Word(function);
        records_.Text(body.Data());
    }

    template <typename Key> void Select(Selection<Key>& s, const Key& key, auto create) {
        if (s.key == key)
            return;
        create();
        const int slot = objects_.Create();
        Record(kSelectObject, {slot});
        if (s.slot >= 0) {
            Record(kDeleteObject, {s.slot});
            objects_.Delete(s.slot);
        }
        s = {key, slot};
    }

    void UsePen(std::optional<WmfColour> colour, int width) {
        const WmfColour c = colour.value_or(WmfColour{});
        Select(pen_, PenKey{bool(colour), c.red, c.green, c.blue, width}, [&] {
            Bytes b;
            b.Word(colour ? kPenSolid : kPenNull);
            b.Word(width);
            b.Word(0);
            b.Colour(c);
            Record(kCreatePenIndirect, {}, b.Data());
        });
    }

    void UseBrush(std::optional<WmfColour> colour) {
        const WmfColour c = colour.value_or(WmfColour{});
        Select(brush_, BrushKey{bool(colour), c.red, c.green, c.blue}, [&] {
            Bytes b;
            b.Word(colour ? kBrushSolid : kBrushNull);
            b.Colour(c);
            b.Word(0);
            Record(kCreateBrushIndirect, {}, b.Data());
        });
    }

    void UseFont(const WmfText& t, quint8 charset) {
        Select(font_, FontKey{t.pixelSize, t.bold, charset, t.face}, [&] {
            Bytes b;
            for (int w : {-t.pixelSize, 0, 0, 0, t.bold ? 700 : 400})
                b.Word(w);
            b.Word(0);            // not italic, not underlined
            b.Word(charset << 8); // not struck out; the character set
            b.Word(0);            // default precisions
            b.Word(0);            // default quality, pitch and family
            QByteArray face = t.face.toLatin1().left(kFaceBytes - 1);
            face.resize(kFaceBytes, '\0');
            Record(kCreateFontIndirect, {}, b.Data() + face);
        });
    }

    void Draw(const WmfRectangle& r) {
        UsePen(r.line, 1);
        UseBrush(r.fill);
        Record(kRectangle, {r.rect.bottom, r.rect.right, r.rect.top, r.rect.left});
    }

    void Draw(const WmfPolyline& p) {
        if (p.points.size() < 2)
            return;
        UsePen(p.colour, p.width);
        if (!p.clip) {
            Polyline(p.points);
            return;
        }
        for (const std::vector<WmfPoint>& run : Clipped(p.points, *p.clip))
            Polyline(run);
    }

    void Polyline(const std::vector<WmfPoint>& points) {
        const std::size_t most = kWmfMostPolylinePoints;
        for (std::size_t first = 0; first + 1 < points.size(); first += most - 1) {
            const std::size_t end = std::min(first + most, points.size());
            Bytes b;
            b.Word(int(end - first));
            for (std::size_t i = first; i < end; ++i) {
                b.Coordinate(points[i].x);
                b.Coordinate(points[i].y);
            }
            Record(kPolyline, {}, b.Data());
        }
    }

    void Draw(const WmfText& t) {
        if (t.text.isEmpty())
            return;
        const Encoded text = Encode(t.text);
        UseFont(t, text.charset);
        if (textColour_ != t.colour) {
            Bytes b;
            b.Colour(t.colour);
            Record(kSetTextColor, {}, b.Data());
            textColour_ = t.colour;
        }
        Record(kExtTextOut, {t.baseline.y, t.baseline.x, int(text.bytes.size()), 0}, text.bytes);
    }

    int width_;
    int height_;
    Bytes records_;
    int largest_ = 0;
    ObjectTable objects_;
    Selection<PenKey> pen_;
    Selection<BrushKey> brush_;
    Selection<FontKey> font_;
    std::optional<WmfColour> textColour_;
};

} // namespace

QByteArray WmfBytes(const WmfPicture& picture) {
    return Writer(picture).File();
}

} // namespace vdk
