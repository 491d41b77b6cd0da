#include "corvane/platform/qt/QtCanvas.h"

#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <span>
#include <utility>

namespace corvane {

namespace {

using Int = std::int64_t;

// Device coordinates are kept within this range; products of two of them
// still fit into 128 bits, and no surface comes near it.
constexpr double DeviceLimit = 4503599627370496.0; // 2^52

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

Int QtCanvas::DeviceX(double x) const
{
    if (FIdentity)
        return static_cast<Int>(x);
    const double device = std::round(Mapping().OriginX + x * Mapping().ScaleX);
    return std::isfinite(device) ? static_cast<Int>(std::clamp(device, -DeviceLimit, DeviceLimit)) : 0;
}

Int QtCanvas::DeviceY(double y) const
{
    if (FIdentity)
        return static_cast<Int>(y);
    const double device = std::round(Mapping().OriginY + y * Mapping().ScaleY);
    return std::isfinite(device) ? static_cast<Int>(std::clamp(device, -DeviceLimit, DeviceLimit)) : 0;
}

void QtCanvas::SetMapping(const TMapping& mapping)
{
    TCanvas::SetMapping(mapping);
    FIdentity = mapping == TMapping{};
}

QtCanvas::DeviceRect QtCanvas::ToDevice(const TRect& r) const
{
    return {DeviceX(r.Left), DeviceY(r.Top), DeviceX(r.Right), DeviceY(r.Bottom)};
}

QtCanvas::DeviceRect QtCanvas::Bounds() const
{
    const TSize size = DeviceSize();
    DeviceRect bounds{0, 0, size.cx, size.cy};
    if (FClip)
        bounds = Intersect(bounds, DeviceRect{FClip->Left, FClip->Top, FClip->Right, FClip->Bottom});
    return bounds;
}

int QtCanvas::PenThickness(double scale) const
{
    if (Pen().Width <= 0)
        return 1;
    const double thickness = std::round(Pen().Width * std::abs(scale));
    return std::isfinite(thickness) ? static_cast<int>(std::clamp(thickness, 1.0, 1e6)) : 1;
}

bool QtCanvas::PatternedPen() const
{
    return Pen().Width <= 1 && !DashPattern(Pen().Style).empty();
}

// Background mode and colour

void QtCanvas::RealizeBrush()
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

// Bitmaps are filled in memory: a painter call per run would make long
// Bresenham lines and gradients ten times slower.
void QtCanvas::Fill(QPainter& painter, const DeviceRect& visible, QRgb color)
{
    if (visible.Empty())
        return;
    QImage* image = WritableImage();
    if (!image || image->format() != GraphicPixelFormat) {
        painter.fillRect(ToQRect(visible), QColor(color));
        return;
    }
    const QRgb pixel = color;
    const Int stride = image->bytesPerLine();
    uchar* line = image->bits() + visible.Top * stride;
    const Int width = visible.Right - visible.Left;
    for (Int y = visible.Top; y < visible.Bottom; ++y, line += stride) {
        QRgb* at = reinterpret_cast<QRgb*>(line) + visible.Left;
        if (width == 1)
            *at = pixel;
        else
            std::fill_n(at, width, pixel);
    }
}

void QtCanvas::FillDevice(QPainter& painter, const DeviceRect& r, QRgb color)
{
    Fill(painter, Intersect(r, Bounds()), color);
}

const QBrush& QtCanvas::HatchBrush(const TBrush& brush)
{
    if (FHatchFor != brush) {
        FHatchFor = brush;
        FHatch = QBrush(HatchTile(brush.Style, ToQColor(brush.Color)));
    }
    return FHatch;
}

void QtCanvas::FillDevice(QPainter& painter, const DeviceRect& r, const TBrush& brush)
{
    if (brush.Style == bsClear)
        return;
    if (brush.Style == bsSolid) {
        FillDevice(painter, r, ToQRgb(brush.Color));
        return;
    }
    const DeviceRect visible = Intersect(r, Bounds());
    if (visible.Empty())
        return;
    if (FBkMode == TBkMode::Opaque)
        Fill(painter, visible, ToQRgb(FBkColor));
    QImage* image = WritableImage();
    if (!image || image->format() != GraphicPixelFormat) {
        painter.fillRect(ToQRect(visible), HatchBrush(brush));
        return;
    }
    // In memory, as Fill: a textured fill blends every pixel.
    const QRgb pixel = ToQRgb(brush.Color);
    for (Int y = visible.Top; y < visible.Bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image->scanLine(static_cast<int>(y)));
        for (int column = 0; column < 8; ++column)
            if (HatchOn(brush.Style, column, static_cast<int>(y & 7)))
                for (Int x = visible.Left + ((column - visible.Left) & 7); x < visible.Right; x += 8)
                    line[x] = pixel;
    }
}

void QtCanvas::FillRect(const TRect& r)
{
    QPainter* painter = Painter();
    if (!painter)
        return;
    RealizeBrush();
    FillDevice(*painter, ToDevice(r), Brush());
}

// Lines

// Bresenham from (x0, y0) towards (x1, y1) without the end point. Only the
// part inside the bounds is walked, run by run, so far-away end points and
// long lines cost little. Wider pens paint a band across the line,
// (thickness - 1) / 2 pixels before the one-pixel line and the rest after it.
void QtCanvas::DeviceLine(QPainter& painter, Int x0, Int y0, Int x1, Int y1)
{
    if (Pen().Style == psClear || (x0 == x1 && y0 == y1))
        return;
    const DeviceRect bounds = Bounds();
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
            Fill(painter, Intersect(r, bounds), on ? penColor : gapColor);
        }
        i += run;
        error -= 2 * minorLength * run;
        if (error < 0) {
            ++minorOffset;
            error += 2 * length;
        }
    }
}

void QtCanvas::LineTo(int x, int y)
{
    const TPoint from = PenPos();
    MoveTo(x, y);
    if (QPainter* painter = Painter())
        DeviceLine(*painter, DeviceX(from.X), DeviceY(from.Y), DeviceX(x), DeviceY(y));
}

// Rectangles and polygons

// The frame of a device rectangle with the pen: a one-pixel frame on the
// edges' inner pixels; psInsideFrame grows it inwards, other wide pens
// across the one-pixel frame as wide lines would; dashed pens as four lines
// clockwise from the top-left corner.
void QtCanvas::Frame(QPainter& painter, const DeviceRect& r)
{
    if (PatternedPen()) {
        DeviceLine(painter, r.Left, r.Top, r.Right - 1, r.Top);
        DeviceLine(painter, r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1);
        DeviceLine(painter, r.Right - 1, r.Bottom - 1, r.Left, r.Bottom - 1);
        DeviceLine(painter, r.Left, r.Bottom - 1, r.Left, r.Top);
        return;
    }
    const Int tx = PenThickness(Mapping().ScaleX), ty = PenThickness(Mapping().ScaleY);
    const bool inside = Pen().Style == psInsideFrame;
    const Int outX = inside ? 0 : (tx - 1) / 2, outY = inside ? 0 : (ty - 1) / 2;
    const DeviceRect outer{r.Left - outX, r.Top - outY, inside ? r.Right : r.Right - 1 - outX + tx,
                           inside ? r.Bottom : r.Bottom - 1 - outY + ty};
    const Int innerLeft = outer.Left + tx, innerRight = outer.Right - tx;
    const Int innerTop = outer.Top + ty, innerBottom = outer.Bottom - ty;
    const QRgb color = ToQRgb(Pen().Color);
    if (innerLeft >= innerRight || innerTop >= innerBottom) {
        FillDevice(painter, outer, color);
        return;
    }
    FillDevice(painter, {outer.Left, outer.Top, outer.Right, innerTop}, color);
    FillDevice(painter, {outer.Left, innerBottom, outer.Right, outer.Bottom}, color);
    FillDevice(painter, {outer.Left, innerTop, innerLeft, innerBottom}, color);
    FillDevice(painter, {innerRight, innerTop, outer.Right, innerBottom}, color);
}

void QtCanvas::Rectangle(const TRect& r)
{
    QPainter* painter = Painter();
    if (!painter)
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
        FillDevice(*painter, {d.Left, d.Top, d.Right - 1, d.Bottom - 1}, Brush());
        return;
    }
    FillDevice(*painter, d, Brush());
    Frame(*painter, d);
}

void QtCanvas::Polygon(const std::vector<TPoint>& points)
{
    QPainter* painter = Painter();
    if (!painter || points.empty())
        return;
    RealizeBrush();
    std::vector<std::array<Int, 2>> device;
    device.reserve(points.size());
    for (const TPoint& p : points)
        device.push_back({DeviceX(p.X), DeviceY(p.Y)});
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
        DeviceLine(*painter, from[0], from[1], to[0], to[1]);
    }
}

// Pixels

TColor QtCanvas::Pixel(int x, int y)
{
    const QImage* image = DeviceImage();
    const Int dx = DeviceX(x), dy = DeviceY(y);
    if (!image || dx < 0 || dy < 0 || dx >= image->width() || dy >= image->height())
        return 0;
    return FromQRgb(image->pixel(static_cast<int>(dx), static_cast<int>(dy)));
}

void QtCanvas::SetPixel(int x, int y, TColor color)
{
    if (QPainter* painter = Painter()) {
        const Int dx = DeviceX(x), dy = DeviceY(y);
        FillDevice(*painter, {dx, dy, dx + 1, dy + 1}, ToQRgb(color));
    }
}

// Images

// Draws the part of `image` in `source` (image pixels) scaled into `dest`
// (device pixels), nearest pixel; only the visible part is handed to Qt.
void QtCanvas::DrawImage(QPainter& painter, const DeviceRect& dest, const QImage& image, const QRectF& source) const
{
    if (dest.Empty() || image.isNull() || source.isEmpty())
        return;
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

const QFont& QtCanvas::CurrentFont()
{
    if (FFontFor && *FFontFor == Font())
        return FQFont;
    FFontFor = Font();
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
    FMetrics.emplace(FQFont);
    return FQFont;
}

const QFontMetrics& QtCanvas::Metrics()
{
    CurrentFont();
    return *FMetrics;
}

TSize QtCanvas::TextExtent(const std::string& text)
{
    const QFontMetrics& metrics = Metrics();
    return {metrics.horizontalAdvance(QString::fromStdString(text)), metrics.ascent() + metrics.descent()};
}

void QtCanvas::TextOut(int x, int y, const std::string& text)
{
    QPainter* painter = Painter();
    if (!painter || text.empty())
        return;
    RealizeBrush();
    const QString string = QString::fromStdString(text);
    const QFont& font = CurrentFont();
    const QFontMetrics& metrics = Metrics();
    const int height = metrics.ascent() + metrics.descent();
    // Turned or not, the text stays within a bound of its width and height
    // around the point; measuring it exactly would shape it twice.
    const double reach = (static_cast<double>(metrics.maxWidth()) * string.size() + height) *
                         std::max(std::abs(Mapping().ScaleX), std::abs(Mapping().ScaleY));
    const Int px = DeviceX(x), py = DeviceY(y);
    const DeviceRect bounds = Bounds();
    if (bounds.Empty() || px + reach < bounds.Left || px - reach > bounds.Right || py + reach < bounds.Top ||
        py - reach > bounds.Bottom)
        return;
    QTransform transform;
    transform.translate(static_cast<double>(px), static_cast<double>(py));
    transform.scale(Mapping().ScaleX, Mapping().ScaleY);
    transform.rotate(-Font().Orientation / 10.0);
    painter->setTransform(transform);
    if (FBkMode == TBkMode::Opaque)
        painter->fillRect(QRect(0, 0, metrics.horizontalAdvance(string), height), ToQColor(FBkColor));
    painter->setFont(font);
    painter->setPen(ToQColor(Font().Color));
    painter->drawText(QPoint(0, metrics.ascent()), string);
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
    if (FOwnPainter.isActive())
        FOwnPainter.end();
}

TSize QtBitmapCanvas::DeviceSize() const
{
    return {FImage.width(), FImage.height()};
}

} // namespace corvane
