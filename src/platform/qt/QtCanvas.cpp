#include "corvane/platform/qt/QtCanvas.h"

#include "corvane/platform/VectorState_p.h"

#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace corvane {

namespace {

using Int = std::int64_t;

// Device coordinates are kept within this range; products of two of them
// still fit into 128 bits, and no surface comes near it.
constexpr double DeviceLimit = 4503599627370496.0; // 2^52

// Qt's painting and font code may return with the upper halves of the vector
// registers in use, after which the plain SSE code of the fast paths below
// runs at half speed, on every later paint. So every call into Qt that paints
// or shapes is followed by clearing them (a single cheap instruction).
class AfterQt {
public:
    AfterQt() = default;
    AfterQt(const AfterQt&) = delete;
    AfterQt& operator=(const AfterQt&) = delete;
    ~AfterQt() { clearUpperVectorHalves(); }
};

// Font heights beyond this are clamped: the glyphs would only be drawn as
// ever larger paths.
constexpr int MaxFontPixels = 32767;

QColor ToQColor(TColor color)
{
    return QColor(ToQRgb(color));
}

QtCanvas::DeviceRect Intersect(const QtCanvas::DeviceRect& a, const QtCanvas::DeviceRect& b)
{
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
}

// Any empty rectangle becomes Qt's empty one: its corners may lie anywhere.
QRect ToQRect(const QtCanvas::DeviceRect& r)
{
    if (r.Empty())
        return QRect();
    return QRect(static_cast<int>(r.Left), static_cast<int>(r.Top), static_cast<int>(r.Right - r.Left),
                 static_cast<int>(r.Bottom - r.Top));
}

// On/off run lengths of the dashed pen styles, starting with "on".
std::span<const int> DashPattern(TPenStyle style)
{
    static constexpr int dash[] = {18, 6}, dot[] = {3, 3}, dashDot[] = {9, 6, 3, 6}, dashDotDot[] = {9, 3, 3, 3, 3, 3};
    switch (style) {
    case psDash:
        return dash;
    case psDot:
        return dot;
    case psDashDot:
        return dashDot;
    case psDashDotDot:
        return dashDotDot;
    default:
        return {};
    }
}

// Whether pixel `index` along a line is "on" in the pattern, and how many
// pixels from there on keep that state. No pattern is one endless dash.
std::pair<bool, Int> PatternAt(std::span<const int> pattern, Int index)
{
    if (pattern.empty())
        return {true, std::numeric_limits<Int>::max()};
    int period = 0;
    for (int length : pattern)
        period += length;
    Int at = index % period;
    std::size_t segment = 0;
    while (at >= pattern[segment])
        at -= pattern[segment++];
    return {segment % 2 == 0, pattern[segment] - at};
}

bool HatchOn(TBrushStyle style, int x, int y)
{
    const bool horizontal = y == 0, vertical = x == 0, forward = x == y, backward = x + y == 7;
    switch (style) {
    case bsHorizontal:
        return horizontal;
    case bsVertical:
        return vertical;
    case bsFDiagonal:
        return forward;
    case bsBDiagonal:
        return backward;
    case bsCross:
        return horizontal || vertical;
    case bsDiagCross:
        return forward || backward;
    default:
        return false;
    }
}

// The 8 x 8 hatch tile: brush colour on the hatch lines, transparent between.
QImage HatchTile(TBrushStyle style, const QColor& color)
{
    QImage tile(8, 8, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if (HatchOn(style, x, y))
                tile.setPixelColor(x, y, color);
    return tile;
}

// The outer edge of a solid frame of thickness tx, ty around r: inside r for
// psInsideFrame, else across the one-pixel frame as wide lines would be.
QtCanvas::DeviceRect FrameOuter(const QtCanvas::DeviceRect& r, Int tx, Int ty, bool inside)
{
    const Int outX = inside ? 0 : (tx - 1) / 2, outY = inside ? 0 : (ty - 1) / 2;
    return {r.Left - outX, r.Top - outY, inside ? r.Right : r.Right - 1 - outX + tx,
            inside ? r.Bottom : r.Bottom - 1 - outY + ty};
}

bool IsHatch(TBrushStyle style)
{
    return style != bsSolid && style != bsClear;
}

} // namespace

QtCanvas::QtCanvas(QPainter& painter) : FPainter(&painter)
{
    Prepare(painter);
}

void QtCanvas::Prepare(QPainter& painter) const
{
    // Also after the painter's begin, which its callers have just done.
    const AfterQt after;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setBrushOrigin(0, 0);
    // Qt's rectangles overflow in their width beyond half the integer range
    // and then clip everything, so Qt gets the clip within the surface.
    if (FClip)
        painter.setClipRect(ToQRect(Bounds()));
    else
        painter.setClipping(false);
}

const QImage* QtCanvas::DeviceImage()
{
    QPainter* painter = Painter();
    if (!painter || !painter->device() || painter->device()->devType() != QInternal::Image)
        return nullptr;
    return static_cast<const QImage*>(painter->device());
}

TSize QtCanvas::DeviceSize() const
{
    if (!FPainter || !FPainter->device())
        return {};
    return {FPainter->device()->width(), FPainter->device()->height()};
}

// Mapping and bounds

namespace {

Int MapToDevice(double origin, double scale, double value)
{
    const double device = std::round(origin + value * scale);
    return std::isfinite(device) ? static_cast<Int>(std::clamp(device, -DeviceLimit, DeviceLimit)) : 0;
}

} // namespace

// Small enough to be inlined in the common case of no mapping.
inline Int QtCanvas::DeviceX(double x) const
{
    return FIdentity ? static_cast<Int>(x) : MapToDevice(Mapping().OriginX, Mapping().ScaleX, x);
}

inline Int QtCanvas::DeviceY(double y) const
{
    return FIdentity ? static_cast<Int>(y) : MapToDevice(Mapping().OriginY, Mapping().ScaleY, y);
}

void QtCanvas::SetMapping(const TMapping& mapping)
{
    TCanvas::SetMapping(mapping);
    FIdentity = mapping == TMapping{};
}

inline QtCanvas::DeviceRect QtCanvas::ToDevice(const TRect& r) const
{
    return {DeviceX(r.Left), DeviceY(r.Top), DeviceX(r.Right), DeviceY(r.Bottom)};
}

inline QtCanvas::DeviceRect QtCanvas::Bounds() const
{
    const TSize size = DeviceSize();
    DeviceRect bounds{0, 0, size.cx, size.cy};
    if (FClip)
        bounds = Intersect(bounds, DeviceRect{FClip->Left, FClip->Top, FClip->Right, FClip->Bottom});
    return bounds;
}

inline int QtCanvas::PenThickness(double scale) const
{
    if (Pen().Width <= 0)
        return 1;
    if (FIdentity)
        return std::min(Pen().Width, 1000000);
    const double thickness = std::round(Pen().Width * std::abs(scale));
    return std::isfinite(thickness) ? static_cast<int>(std::clamp(thickness, 1.0, 1e6)) : 1;
}

inline bool QtCanvas::PatternedPen() const
{
    return Pen().Width <= 1 && !DashPattern(Pen().Style).empty();
}

// Background mode and colour

inline void QtCanvas::RealizeBrush()
{
    if (Brush() == FRealizedBrush)
        return;
    FRealizedBrush = Brush();
    if (Brush().Style == bsSolid) {
        FBkMode = TBkMode::Opaque;
        FBkColor = Brush().Color;
    } else {
        FBkMode = TBkMode::Transparent;
    }
}

void QtCanvas::SetBkMode(TBkMode mode)
{
    RealizeBrush();
    FBkMode = mode;
}

TBkMode QtCanvas::BkMode()
{
    RealizeBrush();
    return FBkMode;
}

void QtCanvas::SetBkColor(TColor color)
{
    RealizeBrush();
    FBkColor = color;
}

TColor QtCanvas::BkColor()
{
    RealizeBrush();
    return FBkColor;
}

// Clipping

void QtCanvas::SelectClipRect(const std::optional<TRect>& deviceRect)
{
    FClip = deviceRect;
    if (FClip && (FClip->Left >= FClip->Right || FClip->Top >= FClip->Bottom))
        FClip = TRect{};
    ForgetTarget();
    if (QPainter* painter = Painter())
        Prepare(*painter);
}

std::optional<TRect> QtCanvas::GetClipBox() const
{
    return FClip;
}

TRect QtCanvas::ClipRect()
{
    const DeviceRect bounds = Bounds();
    if (bounds.Empty())
        return TRect{};
    return DPtoLP(Rect(static_cast<std::int32_t>(bounds.Left), static_cast<std::int32_t>(bounds.Top),
                       static_cast<std::int32_t>(bounds.Right), static_cast<std::int32_t>(bounds.Bottom)));
}

// Fills

// The pixels stay put while the painter is active: Qt copies an image that
// is being painted on deeply, so no copy shares them.
inline const QtCanvas::Target* QtCanvas::CurrentTarget()
{
    if (FTargetKnown)
        return &FTarget;
    FTarget = Target{};
    FTarget.Painter = Painter();
    if (!FTarget.Painter)
        return nullptr;
    FTarget.Bounds = Bounds();
    QImage* image = WritableImage();
    if (image && image->format() == GraphicPixelFormat) {
        FTarget.Pixels = reinterpret_cast<QRgb*>(image->bits());
        FTarget.Stride = image->bytesPerLine() / static_cast<Int>(sizeof(QRgb));
        FTarget.Width = image->width();
        FTarget.Height = image->height();
    }
    FTargetKnown = true;
    return &FTarget;
}

// Runs from this many pixels on are worth a call of the C library.
constexpr std::int64_t LongRun = 64;
// Plumb lines from this many rows on are noted as painted bands; at most this many are kept.
constexpr std::int64_t MinBand = 32;
constexpr std::size_t MaxBands = 256;

// Bitmaps are filled in memory: a painter call per run would make long
// Bresenham lines and gradients ten times slower.
inline void QtCanvas::Fill(const Target& target, const DeviceRect& visible, QRgb color)
{
    if (visible.Empty())
        return;
    if (!target.Pixels) {
        const AfterQt after;
        target.Painter->fillRect(ToQRect(visible), QColor(color));
        return;
    }
    QRgb* line = target.Pixels + visible.Top * target.Stride + visible.Left;
    const Int width = visible.Right - visible.Left;
    if (width == 1) {
        for (Int y = visible.Top; y < visible.Bottom; ++y, line += target.Stride)
            *line = color;
        return;
    }
    // Whole lines of the image lie end to end: one run.
    const Int height = visible.Bottom - visible.Top;
    const Int run = width == target.Stride ? width * height : width;
    const Int runs = width == target.Stride ? 1 : height;
    if (run >= LongRun && (color & 0xFF) * 0x01010101u == color) {
        // A colour of four equal bytes (white, black without alpha) is a byte fill, which
        // the C library does with the widest stores the processor has.
        for (Int i = 0; i < runs; ++i, line += target.Stride)
            std::memset(line, static_cast<int>(color & 0xFF), static_cast<std::size_t>(run) * sizeof(QRgb));
        return;
    }
    for (Int i = 0; i < runs; ++i, line += target.Stride)
        std::fill_n(line, run, color);
}

inline void QtCanvas::FillDevice(const Target& target, const DeviceRect& r, QRgb color)
{
    Fill(target, Intersect(r, target.Bounds), color);
}

const QBrush& QtCanvas::HatchBrush(const TBrush& brush)
{
    if (FHatchFor != brush) {
        FHatchFor = brush;
        FHatch = QBrush(HatchTile(brush.Style, ToQColor(brush.Color)));
    }
    return FHatch;
}

void QtCanvas::FillDevice(const Target& target, const DeviceRect& r, const TBrush& brush)
{
    if (brush.Style == bsClear)
        return;
    if (brush.Style == bsSolid) {
        FillDevice(target, r, ToQRgb(brush.Color));
        return;
    }
    const DeviceRect visible = Intersect(r, target.Bounds);
    if (visible.Empty())
        return;
    if (FBkMode == TBkMode::Opaque)
        Fill(target, visible, ToQRgb(FBkColor));
    if (!target.Pixels) {
        const AfterQt after;
        target.Painter->fillRect(ToQRect(visible), HatchBrush(brush));
        return;
    }
    // In memory, as Fill: a textured fill blends every pixel.
    const QRgb pixel = ToQRgb(brush.Color);
    for (Int y = visible.Top; y < visible.Bottom; ++y) {
        QRgb* line = target.Pixels + y * target.Stride;
        for (int column = 0; column < 8; ++column)
            if (HatchOn(brush.Style, column, static_cast<int>(y & 7)))
                for (Int x = visible.Left + ((column - visible.Left) & 7); x < visible.Right; x += 8)
                    line[x] = pixel;
    }
}

void QtCanvas::FillRect(const TRect& r)
{
    ForgetBands();
    const Target* target = CurrentTarget();
    if (!target)
        return;
    RealizeBrush();
    FillDevice(*target, ToDevice(r), Brush());
}

// Lines

// Bresenham from (x0, y0) towards (x1, y1) without the end point. Only the
// part inside the bounds is walked, run by run, so far-away end points and
// long lines cost little. Wider pens paint a band across the line,
// (thickness - 1) / 2 pixels before the one-pixel line and the rest after it.
inline void QtCanvas::DeviceLine(const Target& target, Int x0, Int y0, Int x1, Int y1)
{
    if (Pen().Style == psClear || (x0 == x1 && y0 == y1))
        return;
    const DeviceRect& bounds = target.Bounds;
    if ((x0 == x1 || y0 == y1) && !PatternedPen()) {
        AxisLine(target, x0, y0, x1, y1);
        return;
    }
    const bool xMajor = std::llabs(x1 - x0) >= std::llabs(y1 - y0);
    const Int major0 = xMajor ? x0 : y0, minor0 = xMajor ? y0 : x0;
    const Int majorDelta = xMajor ? x1 - x0 : y1 - y0, minorDelta = xMajor ? y1 - y0 : x1 - x0;
    const Int length = std::llabs(majorDelta), minorLength = std::llabs(minorDelta);
    const Int majorStep = majorDelta > 0 ? 1 : -1, minorStep = minorDelta >= 0 ? 1 : -1;
    const Int majorLo = xMajor ? bounds.Left : bounds.Top, majorHi = xMajor ? bounds.Right : bounds.Bottom;
    const Int thickness = PenThickness(xMajor ? Mapping().ScaleY : Mapping().ScaleX);
    const Int before = (thickness - 1) / 2;

    // The pixels i in [i, last) whose major coordinate is inside the bounds.
    Int i = std::max<Int>(majorStep > 0 ? majorLo - major0 : major0 - majorHi + 1, 0);
    const Int last = std::min(majorStep > 0 ? majorHi - major0 : major0 - majorLo + 1, length);
    if (i >= last)
        return;
    if (!FBands.empty()) {
        const Int reach = thickness + 1;
        Covered(DeviceRect{std::min(x0, x1) - reach, std::min(y0, y1) - reach, std::max(x0, x1) + reach + 1,
                           std::max(y0, y1) + reach + 1});
    }

    RealizeBrush();
    const std::span<const int> pattern = PatternedPen() ? DashPattern(Pen().Style) : std::span<const int>{};
    const QRgb penColor = ToQRgb(Pen().Color), gapColor = ToQRgb(FBkColor);
    const bool paintGaps = FBkMode == TBkMode::Opaque;

    // Pixel i lies minorOffset off the start: i * minorLength / length
    // rounded, an exact half down. error = 2 * length * minorOffset -
    // (2 * i * minorLength - length) stays >= 0 while the offset holds.
    const __int128 twice = static_cast<__int128>(2) * i * minorLength - length;
    Int minorOffset = twice <= 0 ? 0 : static_cast<Int>((twice + 2 * length - 1) / (2 * length));
    Int error = static_cast<Int>(static_cast<__int128>(2) * length * minorOffset - twice);
    while (i < last) {
        Int run = last - i;
        if (minorLength > 0)
            run = std::min(run, error / (2 * minorLength) + 1);
        const auto [on, patternLeft] = PatternAt(pattern, i);
        run = std::min(run, patternLeft);
        if (on || paintGaps) {
            const Int minor = minor0 + minorStep * minorOffset - before;
            const Int lo = majorStep > 0 ? major0 + i : major0 - i - run + 1;
            const DeviceRect r = xMajor ? DeviceRect{lo, minor, lo + run, minor + thickness}
                                        : DeviceRect{minor, lo, minor + thickness, lo + run};
            Fill(target, Intersect(r, bounds), on ? penColor : gapColor);
        }
        i += run;
        error -= 2 * minorLength * run;
        if (error < 0) {
            ++minorOffset;
            error += 2 * length;
        }
    }
}

// Most lines are level or plumb and solid: a single band, as the general walk
// would paint it run by run.
inline void QtCanvas::AxisLine(const Target& target, Int x0, Int y0, Int x1, Int y1)
{
    const DeviceRect& bounds = target.Bounds;
    const bool level = y0 == y1;
    const Int from = level ? x0 : y0, to = level ? x1 : y1;
    const Int lo = from < to ? from : to + 1, hi = from < to ? to : from + 1;
    if (lo >= (level ? bounds.Right : bounds.Bottom) || hi <= (level ? bounds.Left : bounds.Top))
        return;
    RealizeBrush();
    const Int thickness = PenThickness(level ? Mapping().ScaleY : Mapping().ScaleX);
    const Int across = (level ? y0 : x0) - (thickness - 1) / 2;
    const DeviceRect r =
        level ? DeviceRect{lo, across, hi, across + thickness} : DeviceRect{across, lo, across + thickness, hi};
    const DeviceRect visible = Intersect(r, bounds);
    if (!level && target.Pixels && visible.Bottom - visible.Top >= MinBand) {
        PlumbBand(target, visible, ToQRgb(Pen().Color));
        return;
    }
    if (!FBands.empty())
        Covered(visible);
    Fill(target, visible, ToQRgb(Pen().Color));
}

// Writes the rows of the band that do not show its colour yet, then notes it, merged with the
// bands of the same columns and colour that it meets.
void QtCanvas::PlumbBand(const Target& target, const DeviceRect& visible, QRgb color)
{
    if (visible.Empty())
        return;
    const QImage* image = DeviceImage();
    const qint64 key = image ? image->cacheKey() : 0;
    if (FBandsPixels != target.Pixels || FBandsKey != key) {
        FBands.clear();
        FBandsPixels = target.Pixels;
        FBandsKey = key;
    }
    std::vector<std::pair<Int, Int>>& shown = FShownScratch;
    shown.clear();
    Int top = visible.Top, bottom = visible.Bottom;
    // Only bands with the same left edge can be merged with this one; they lie side by side.
    const auto sameLeft = std::equal_range(FBands.begin(), FBands.end(), PaintedBand{visible, color},
                                           [](const PaintedBand& a, const PaintedBand& b) {
                                               return a.Rect.Left < b.Rect.Left;
                                           });
    auto kept = sameLeft.first;
    for (auto band = sameLeft.first; band != sameLeft.second; ++band) {
        const DeviceRect& b = band->Rect;
        if (band->Color == color && b.Right == visible.Right && b.Top <= visible.Bottom && b.Bottom >= visible.Top) {
            shown.emplace_back(std::max(b.Top, visible.Top), std::min(b.Bottom, visible.Bottom));
            top = std::min(top, b.Top);
            bottom = std::max(bottom, b.Bottom);
            continue;
        }
        *kept++ = *band;
    }
    FBands.erase(kept, sameLeft.second);
    Covered(visible);
    std::sort(shown.begin(), shown.end());
    Int y = visible.Top;
    for (const auto& [from, to] : shown) {
        if (from > y)
            Fill(target, DeviceRect{visible.Left, y, visible.Right, from}, color);
        y = std::max(y, to);
    }
    if (y < visible.Bottom)
        Fill(target, DeviceRect{visible.Left, y, visible.Right, visible.Bottom}, color);
    if (FBands.size() >= MaxBands)
        FBands.clear();
    const auto at = std::upper_bound(FBands.begin(), FBands.end(), visible.Left,
                                     [](Int left, const PaintedBand& band) { return left < band.Rect.Left; });
    FBands.insert(at, PaintedBand{DeviceRect{visible.Left, top, visible.Right, bottom}, color});
    FBandsWidest = std::max(FBandsWidest, visible.Right - visible.Left);
}

// Painting in r leaves of each band the rows above and below r. The bands are kept in the
// order of their left edges, so only those starting less than the widest band's width left
// of r are looked at.
void QtCanvas::Covered(const DeviceRect& r)
{
    const auto first = std::lower_bound(FBands.begin(), FBands.end(), r.Left - FBandsWidest + 1,
                                        [](const PaintedBand& band, Int left) { return band.Rect.Left < left; });
    bool cut = false;
    for (auto k = static_cast<std::size_t>(first - FBands.begin()); k < FBands.size() && FBands[k].Rect.Left < r.Right;
         ++k) {
        if (Intersect(FBands[k].Rect, r).Empty())
            continue;
        cut = true;
        const PaintedBand band = FBands[k];
        FBands[k].Rect.Bottom = r.Top;
        if (r.Bottom < band.Rect.Bottom) {
            const DeviceRect below{band.Rect.Left, r.Bottom, band.Rect.Right, band.Rect.Bottom};
            FBands.insert(FBands.begin() + static_cast<std::ptrdiff_t>(k) + 1, PaintedBand{below, band.Color});
            ++k;
        }
    }
    // Short pieces are not worth the looking through.
    if (cut)
        std::erase_if(FBands, [](const PaintedBand& band) { return band.Rect.Bottom - band.Rect.Top < MinBand; });
}

void QtCanvas::LineTo(int x, int y)
{
    const TPoint from = PenPos();
    MoveTo(x, y);
    if (const Target* target = CurrentTarget())
        DeviceLine(*target, DeviceX(from.X), DeviceY(from.Y), DeviceX(x), DeviceY(y));
}

// One-pixel solid lines on a bitmap without mapping each paint a single row
// or column, so a run of them is written line by line of the image; every
// other pen and device takes the lines one at a time.
void QtCanvas::LineRun(bool vertical, int first, int from, int to, std::span<const TColor> colors)
{
    ForgetBands();
    const Target* target = colors.empty() ? nullptr : CurrentTarget();
    if (!target || !target->Pixels || !FIdentity || Pen().Style == psClear || PatternedPen() || Pen().Width > 1) {
        TCanvas::LineRun(vertical, first, from, to, colors);
        return;
    }
    const Int count = static_cast<Int>(colors.size());
    const int last = static_cast<int>(first + count - 1);
    Pen().Color = colors.back();
    if (vertical)
        MoveTo(last, to);
    else
        MoveTo(to, last);
    RealizeBrush();
    // As AxisLine: the end point is left out, whichever way the line runs.
    const Int lo = from < to ? from : Int{to} + 1, hi = from < to ? to : Int{from} + 1;
    const DeviceRect& bounds = target->Bounds;
    const DeviceRect lines =
        vertical ? DeviceRect{first, lo, first + count, hi} : DeviceRect{lo, first, hi, first + count};
    const DeviceRect visible = Intersect(lines, bounds);
    if (visible.Empty())
        return;
    QRgb* const origin = target->Pixels + visible.Top * target->Stride;
    if (!vertical) {
        QRgb* line = origin + visible.Left;
        for (Int y = visible.Top; y < visible.Bottom; ++y, line += target->Stride)
            std::fill_n(line, visible.Right - visible.Left, ToQRgb(colors[static_cast<std::size_t>(y - first)]));
        return;
    }
    // Columns: the first row takes the colours, the others are copies of it.
    const Int width = visible.Right - visible.Left;
    QRgb* const top = origin + visible.Left;
    for (Int i = 0; i < width; ++i)
        top[i] = ToQRgb(colors[static_cast<std::size_t>(visible.Left - first + i)]);
    QRgb* line = top + target->Stride;
    for (Int y = visible.Top + 1; y < visible.Bottom; ++y, line += target->Stride)
        std::memcpy(line, top, static_cast<std::size_t>(width) * sizeof(QRgb));
}

// Rectangles and polygons

// The frame of a device rectangle with the pen: a one-pixel frame on the
// edges' inner pixels; psInsideFrame grows it inwards, other wide pens
// across the one-pixel frame as wide lines would; dashed pens as four lines
// clockwise from the top-left corner.
void QtCanvas::Frame(const Target& target, const DeviceRect& r)
{
    if (PatternedPen()) {
        DeviceLine(target, r.Left, r.Top, r.Right - 1, r.Top);
        DeviceLine(target, r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1);
        DeviceLine(target, r.Right - 1, r.Bottom - 1, r.Left, r.Bottom - 1);
        DeviceLine(target, r.Left, r.Bottom - 1, r.Left, r.Top);
        return;
    }
    const Int tx = PenThickness(Mapping().ScaleX), ty = PenThickness(Mapping().ScaleY);
    const DeviceRect outer = FrameOuter(r, tx, ty, Pen().Style == psInsideFrame);
    const Int innerLeft = outer.Left + tx, innerRight = outer.Right - tx;
    const Int innerTop = outer.Top + ty, innerBottom = outer.Bottom - ty;
    const QRgb color = ToQRgb(Pen().Color);
    if (innerLeft >= innerRight || innerTop >= innerBottom) {
        FillDevice(target, outer, color);
        return;
    }
    FillDevice(target, {outer.Left, outer.Top, outer.Right, innerTop}, color);
    FillDevice(target, {outer.Left, innerBottom, outer.Right, outer.Bottom}, color);
    FillDevice(target, {outer.Left, innerTop, innerLeft, innerBottom}, color);
    FillDevice(target, {innerRight, innerTop, outer.Right, innerBottom}, color);
}

void QtCanvas::Rectangle(const TRect& r)
{
    ForgetBands();
    const Target* target = CurrentTarget();
    if (!target)
        return;
    RealizeBrush();
    DeviceRect d = ToDevice(r);
    if (d.Left > d.Right)
        std::swap(d.Left, d.Right);
    if (d.Top > d.Bottom)
        std::swap(d.Top, d.Bottom);
    if (d.Empty())
        return;
    if (Pen().Style == psClear) {
        FillDevice(*target, {d.Left, d.Top, d.Right - 1, d.Bottom - 1}, Brush());
        return;
    }
    if (PatternedPen()) {
        FillDevice(*target, d, Brush());
    } else {
        // The frame paints over whatever lies below it, and the rectangle lies
        // within its outer edge: only the inside needs the brush.
        const Int tx = PenThickness(Mapping().ScaleX), ty = PenThickness(Mapping().ScaleY);
        const DeviceRect outer = FrameOuter(d, tx, ty, Pen().Style == psInsideFrame);
        const DeviceRect inner{outer.Left + tx, outer.Top + ty, outer.Right - tx, outer.Bottom - ty};
        if (!inner.Empty())
            FillDevice(*target, inner, Brush());
    }
    Frame(*target, d);
}

void QtCanvas::Polygon(const std::vector<TPoint>& points)
{
    const Target* target = points.empty() ? nullptr : CurrentTarget();
    if (!target)
        return;
    std::vector<std::array<Int, 2>> device;
    device.reserve(points.size());
    for (const TPoint& p : points)
        device.push_back({DeviceX(p.X), DeviceY(p.Y)});
    // The painter fills within the corners' box, and the outline reaches a pen's width beyond.
    DeviceRect box{device[0][0], device[0][1], device[0][0], device[0][1]};
    for (const auto& [x, y] : device)
        box = DeviceRect{std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x), std::max(box.Bottom, y)};
    const Int reach = PenThickness(std::max(std::abs(Mapping().ScaleX), std::abs(Mapping().ScaleY))) + 2;
    if (Intersect(DeviceRect{box.Left - reach, box.Top - reach, box.Right + reach + 1, box.Bottom + reach + 1},
                  target->Bounds)
            .Empty())
        return;
    QPainter* painter = target->Painter;
    const AfterQt after;
    RealizeBrush();
    if (!FBands.empty())
        Covered(DeviceRect{box.Left - 2, box.Top - 2, box.Right + 3, box.Bottom + 3});
    if (Brush().Style != bsClear) {
        QPolygonF polygon;
        for (const auto& [x, y] : device)
            polygon << QPointF(static_cast<double>(x), static_cast<double>(y));
        painter->setPen(Qt::NoPen);
        if (IsHatch(Brush().Style) && FBkMode == TBkMode::Opaque) {
            painter->setBrush(ToQColor(FBkColor));
            painter->drawPolygon(polygon, Qt::OddEvenFill);
        }
        painter->setBrush(IsHatch(Brush().Style) ? HatchBrush(Brush()) : QBrush(ToQColor(Brush().Color)));
        painter->drawPolygon(polygon, Qt::OddEvenFill);
        painter->setBrush(Qt::NoBrush);
    }
    for (std::size_t i = 0; i < device.size(); ++i) {
        const auto& from = device[i];
        const auto& to = device[(i + 1) % device.size()];
        DeviceLine(*target, from[0], from[1], to[0], to[1]);
    }
}

// Pixels

TColor QtCanvas::Pixel(int x, int y)
{
    const Int dx = DeviceX(x), dy = DeviceY(y);
    // Read in memory while painting on a bitmap: brightening reads a pixel a line.
    if (FTargetKnown && FTarget.Pixels) {
        if (dx < 0 || dy < 0 || dx >= FTarget.Width || dy >= FTarget.Height)
            return 0;
        return FromQRgb(FTarget.Pixels[dy * FTarget.Stride + dx]);
    }
    const QImage* image = DeviceImage();
    if (!image || dx < 0 || dy < 0 || dx >= image->width() || dy >= image->height())
        return 0;
    return FromQRgb(image->pixel(static_cast<int>(dx), static_cast<int>(dy)));
}

void QtCanvas::SetPixel(int x, int y, TColor color)
{
    ForgetBands();
    if (const Target* target = CurrentTarget()) {
        const Int dx = DeviceX(x), dy = DeviceY(y);
        FillDevice(*target, {dx, dy, dx + 1, dy + 1}, ToQRgb(color));
    }
}

// Images

// Draws the part of `image` in `source` (image pixels) scaled into `dest`
// (device pixels), nearest pixel; only the visible part is handed to Qt.
void QtCanvas::DrawImage(QPainter& painter, const DeviceRect& dest, const QImage& image, const QRectF& source) const
{
    if (dest.Empty() || image.isNull() || source.isEmpty())
        return;
    const AfterQt after;
    const DeviceRect visible = Intersect(dest, Bounds());
    if (visible.Empty())
        return;
    const double sx = source.width() / static_cast<double>(dest.Right - dest.Left);
    const double sy = source.height() / static_cast<double>(dest.Bottom - dest.Top);
    const QRectF part(source.left() + static_cast<double>(visible.Left - dest.Left) * sx,
                      source.top() + static_cast<double>(visible.Top - dest.Top) * sy,
                      static_cast<double>(visible.Right - visible.Left) * sx,
                      static_cast<double>(visible.Bottom - visible.Top) * sy);
    painter.drawImage(QRectF(ToQRect(visible)), image, part);
}

void QtCanvas::DrawGraphic(const DeviceRect& dest, const TGraphic& graphic)
{
    ForgetBands();
    QPainter* painter = Painter();
    const QImage& image = TGraphicAccess::ImageData(graphic).Image;
    if (!painter || image.isNull())
        return;
    const QRectF whole(0, 0, image.width(), image.height());
    if (!graphic.Transparent()) {
        // Not copied: a copy of an image that a painter is active on is deep.
        DrawImage(*painter, dest, image, whole);
        return;
    }
    // The platform takes the bottom-left pixel's colour as transparent.
    const QRgb key = image.pixel(0, image.height() - 1) | 0xFF000000u;
    QImage drawn = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < drawn.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(drawn.scanLine(y));
        std::replace(line, line + drawn.width(), key, QRgb{0});
    }
    DrawImage(*painter, dest, drawn, whole);
}

void QtCanvas::StretchDraw(const TRect& r, const TGraphic& graphic)
{
    DrawGraphic(ToDevice(r), graphic);
}

void QtCanvas::Draw(int x, int y, const TGraphic& graphic)
{
    DrawGraphic({DeviceX(x), DeviceY(y), DeviceX(static_cast<double>(x) + graphic.Width()),
                 DeviceY(static_cast<double>(y) + graphic.Height())},
                graphic);
}

void QtCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect)
{
    ForgetBands();
    QPainter* painter = Painter();
    auto* from = dynamic_cast<QtCanvas*>(&source);
    const QImage* image = from ? from->DeviceImage() : nullptr;
    if (!painter || !image)
        return;
    const DeviceRect s = from->ToDevice(sourceRect);
    if (s.Empty())
        return;
    const DeviceRect readable = Intersect(s, DeviceRect{0, 0, image->width(), image->height()});
    if (readable.Empty())
        return;
    const QRectF part(static_cast<double>(s.Left), static_cast<double>(s.Top), static_cast<double>(s.Right - s.Left),
                      static_cast<double>(s.Bottom - s.Top));
    if (image != DeviceImage()) {
        DrawImage(*painter, ToDevice(dest), *image, part);
        return;
    }
    // Copying within one image reads from a copy of the readable part, so
    // that overlapping areas are not read after being written.
    const QImage pixels = image->copy(ToQRect(readable));
    DrawImage(*painter, ToDevice(dest), pixels,
              part.translated(-static_cast<double>(readable.Left), -static_cast<double>(readable.Top)));
}

// Text

// Qt shapes and measures a text once per font; on a bitmap, the pixels that
// its glyphs set are traced once too and written as runs afterwards, which
// costs a small part of shaping and rasterising it again. Unsmoothed glyphs
// either set a pixel in the font colour or leave it alone, so the runs paint
// exactly what the painter would.

struct QtCanvas::TextShape {
    // Set pixels, row by row, relative to the top-left corner of the text cell.
    struct Run {
        int X, Y, Length;
    };
    int Advance = 0;
    // The box around the runs.
    DeviceRect Ink{};
    bool Traced = false;
    // Whether Runs hold all the pixels; glyphs that reach too far or are
    // coloured by the font itself are left to the painter.
    bool Traceable = false;
    std::vector<Run> Runs;
};

namespace {

// Longer texts are shaped every time: they are rarely painted twice.
constexpr std::size_t MaxCachedText = 256;
// The largest image a text is traced in.
constexpr long long MaxTracedPixels = 1 << 20;

struct FontMeasures {
    int Ascent = 0, Descent = 0, MaxWidth = 0;
};

// Shared by all canvases and threads. It holds plain numbers only, so that
// nothing of Qt's font machinery outlives the application. Two generations
// make a cheap LRU: what goes unused for a whole generation is dropped.
template <class T>
class SharedCache {
public:
    std::shared_ptr<const T> Find(const std::string& key)
    {
        const std::lock_guard lock(FMutex);
        if (const auto it = FRecent.find(key); it != FRecent.end())
            return it->second;
        const auto it = FOlder.find(key);
        if (it == FOlder.end())
            return nullptr;
        std::shared_ptr<const T> value = it->second;
        Insert(key, value);
        return value;
    }

    void Store(const std::string& key, std::shared_ptr<const T> value)
    {
        const std::lock_guard lock(FMutex);
        Insert(key, std::move(value));
    }

private:
    static constexpr std::size_t Generation = 2048;

    void Insert(const std::string& key, std::shared_ptr<const T> value)
    {
        FRecent.insert_or_assign(key, std::move(value));
        if (FRecent.size() >= Generation) {
            FOlder = std::move(FRecent);
            FRecent.clear();
        }
    }

    std::mutex FMutex;
    std::unordered_map<std::string, std::shared_ptr<const T>> FRecent, FOlder;
};

SharedCache<FontMeasures>& MeasuresCache()
{
    static SharedCache<FontMeasures> cache;
    return cache;
}

SharedCache<QtCanvas::TextShape>& ShapeCache()
{
    static SharedCache<QtCanvas::TextShape> cache;
    return cache;
}

// Paints the text in black on a transparent image with room around its cell
// and collects the set pixels. A pixel set in the outermost rows or columns
// may have had neighbours cut off, a pixel of another colour comes from a
// colour font: either leaves the text untraceable.
void Trace(QtCanvas::TextShape& shape, const QFont& font, int ascent, int height, const QString& string)
{
    shape.Traced = true;
    const int pad = height + 2;
    const long long width = std::max(shape.Advance, 0) + 2LL * pad, imageHeight = height + 2LL * pad;
    if (width * imageHeight > MaxTracedPixels)
        return;
    QImage image(static_cast<int>(width), static_cast<int>(imageHeight), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return;
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(font);
        painter.setPen(QColor(Qt::black));
        painter.drawText(QPoint(pad, pad + ascent), string);
    }
    constexpr QRgb set = 0xFF000000u;
    const int columns = image.width(), rows = image.height();
    for (int y = 0; y < rows; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < columns;) {
            if (line[x] == 0) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < columns && line[x] == set)
                ++x;
            const bool edge = y == 0 || y == rows - 1 || start == 0 || x == columns;
            if (x == start || edge) {
                shape.Runs.clear();
                return;
            }
            shape.Runs.push_back({start - pad, y - pad, x - start});
        }
    }
    shape.Traceable = true;
    if (shape.Runs.empty())
        return;
    shape.Ink = {std::numeric_limits<Int>::max(), shape.Runs.front().Y, std::numeric_limits<Int>::min(),
                 shape.Runs.back().Y + 1};
    for (const QtCanvas::TextShape::Run& run : shape.Runs) {
        shape.Ink.Left = std::min<Int>(shape.Ink.Left, run.X);
        shape.Ink.Right = std::max<Int>(shape.Ink.Right, run.X + run.Length);
    }
}

} // namespace

const QFont& QtCanvas::CurrentFont()
{
    RealizeFont();
    if (FQFontFor == FFontKey)
        return FQFont;
    FQFontFor = FFontKey;
    QFont font(QString::fromStdString(Font().Name));
    font.setStyleStrategy(QFont::NoAntialias);
    font.setBold(Font().Style.Contains(fsBold));
    font.setItalic(Font().Style.Contains(fsItalic));
    font.setUnderline(Font().Style.Contains(fsUnderline));
    font.setStrikeOut(Font().Style.Contains(fsStrikeOut));
    const int height = Font().Height() == 0 ? TFont().Height() : Font().Height();
    int pixels = std::min(std::abs(height), MaxFontPixels);
    if (height > 0) {
        // A cell height: find the em size whose ascent + descent comes closest.
        constexpr int reference = 1000;
        font.setPixelSize(reference);
        const QFontMetricsF metrics(font);
        pixels =
            std::max(1, static_cast<int>(std::lround(pixels * reference / (metrics.ascent() + metrics.descent()))));
    }
    font.setPixelSize(pixels);
    FQFont = font;
    return FQFont;
}

void QtCanvas::RealizeFont()
{
    if (FFontFor && *FFontFor == Font())
        return;
    FFontFor = Font();
    // Colour and orientation do not change the glyphs' shapes.
    const TFont& font = Font();
    int styles = 0;
    for (TFontStyle style : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
        styles = styles * 2 + (font.Style.Contains(style) ? 1 : 0);
    FFontKey = std::to_string(font.Name.size()) + ':' + font.Name + ':' + std::to_string(font.Height()) + ':' +
               std::to_string(styles) + ':';
    std::shared_ptr<const FontMeasures> measures = MeasuresCache().Find(FFontKey);
    if (!measures) {
        const AfterQt after;
        const QFontMetrics metrics(CurrentFont());
        measures =
            std::make_shared<const FontMeasures>(FontMeasures{metrics.ascent(), metrics.descent(), metrics.maxWidth()});
        MeasuresCache().Store(FFontKey, measures);
    }
    FAscent = measures->Ascent;
    FDescent = measures->Descent;
    FMaxWidth = measures->MaxWidth;
}

const QtCanvas::TextShape* QtCanvas::Shape(const std::string& text, bool traced)
{
    if (text.size() > MaxCachedText)
        return nullptr;
    RealizeFont();
    FShapeKey.assign(FFontKey).append(text);
    for (const RecentShape& recent : FRecentShapes)
        if (recent.Shape && recent.Key == FShapeKey && (recent.Shape->Traced || !traced))
            return recent.Shape.get();
    std::shared_ptr<const TextShape> known = ShapeCache().Find(FShapeKey);
    if (!known || (traced && !known->Traced)) {
        const AfterQt after;
        auto shape = std::make_shared<TextShape>();
        const QString string = QString::fromStdString(text);
        shape->Advance = known ? known->Advance : QFontMetrics(CurrentFont()).horizontalAdvance(string);
        if (traced)
            Trace(*shape, CurrentFont(), FAscent, FAscent + FDescent, string);
        ShapeCache().Store(FShapeKey, shape);
        known = std::move(shape);
    }
    // A slot of the same text is updated (an untraced shape by the traced one), else the oldest is taken.
    RecentShape* slot = &FRecentShapes[FNextRecentShape];
    for (RecentShape& recent : FRecentShapes)
        if (recent.Shape && recent.Key == FShapeKey)
            slot = &recent;
    if (slot == &FRecentShapes[FNextRecentShape])
        FNextRecentShape = (FNextRecentShape + 1) % FRecentShapes.size();
    slot->Key = FShapeKey;
    slot->Shape = std::move(known);
    return slot->Shape.get();
}

TSize QtCanvas::TextExtent(const std::string& text)
{
    if (const TextShape* shape = Shape(text, false))
        return {shape->Advance, FAscent + FDescent};
    const AfterQt after;
    return {QFontMetrics(CurrentFont()).horizontalAdvance(QString::fromStdString(text)), FAscent + FDescent};
}

void QtCanvas::TextOut(int x, int y, const std::string& text)
{
    ForgetBands();
    const Target* target = text.empty() ? nullptr : CurrentTarget();
    if (!target)
        return;
    QPainter* painter = target->Painter;
    RealizeBrush();
    RealizeFont();
    const int height = FAscent + FDescent;
    const Int px = DeviceX(x), py = DeviceY(y);
    const DeviceRect& bounds = target->Bounds;
    if (bounds.Empty())
        return;

    // Traced runs are device pixels: they serve text that is neither scaled nor turned.
    if (target->Pixels && Mapping().ScaleX == 1 && Mapping().ScaleY == 1 && Font().Orientation == 0) {
        const TextShape* shape = Shape(text, true);
        if (shape && shape->Traceable) {
            if (FBkMode == TBkMode::Opaque)
                Fill(*target, Intersect({px, py, px + shape->Advance, py + height}, bounds), ToQRgb(FBkColor));
            const QRgb color = ToQRgb(Font().Color);
            const DeviceRect ink{px + shape->Ink.Left, py + shape->Ink.Top, px + shape->Ink.Right,
                                 py + shape->Ink.Bottom};
            const DeviceRect visible = Intersect(ink, bounds);
            if (visible.Left == ink.Left && visible.Top == ink.Top && visible.Right == ink.Right &&
                visible.Bottom == ink.Bottom) {
                const Int stride = target->Stride;
                QRgb* const cell = target->Pixels + py * stride + px;
                for (const TextShape::Run& run : shape->Runs)
                    std::fill_n(cell + run.Y * stride + run.X, run.Length, color);
            } else {
                for (const TextShape::Run& run : shape->Runs)
                    Fill(*target, Intersect({px + run.X, py + run.Y, px + run.X + run.Length, py + run.Y + 1}, bounds),
                         color);
            }
            return;
        }
    }

    const AfterQt after;
    const QString string = QString::fromStdString(text);
    // Turned or not, the text stays within a bound of its width and height
    // around the point; measuring it exactly would shape it twice.
    const double reach = (static_cast<double>(FMaxWidth) * string.size() + height) *
                         std::max(std::abs(Mapping().ScaleX), std::abs(Mapping().ScaleY));
    if (px + reach < bounds.Left || px - reach > bounds.Right || py + reach < bounds.Top || py - reach > bounds.Bottom)
        return;
    QTransform transform;
    transform.translate(static_cast<double>(px), static_cast<double>(py));
    transform.scale(Mapping().ScaleX, Mapping().ScaleY);
    transform.rotate(-Font().Orientation / 10.0);
    painter->setTransform(transform);
    if (FBkMode == TBkMode::Opaque)
        painter->fillRect(QRect(0, 0, TextExtent(text).cx, height), ToQColor(FBkColor));
    painter->setFont(CurrentFont());
    painter->setPen(ToQColor(Font().Color));
    painter->drawText(QPoint(0, FAscent), string);
    painter->resetTransform();
}

// The bitmap's canvas

QPainter* QtBitmapCanvas::Painter()
{
    if (FImage.isNull())
        return nullptr;
    if (!FOwnPainter.isActive()) {
        FOwnPainter.begin(&FImage);
        Prepare(FOwnPainter);
    }
    return &FOwnPainter;
}

void QtBitmapCanvas::Suspend()
{
    ForgetTarget();
    if (FOwnPainter.isActive())
        FOwnPainter.end();
}

TSize QtBitmapCanvas::DeviceSize() const
{
    return {FImage.width(), FImage.height()};
}

} // namespace corvane
