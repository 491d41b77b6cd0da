#include "corvane/framework/rendering/qvtCanvasVC.h"

#include "corvane/platform/ColorUtils.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>

namespace corvane {

namespace {

int red(TColor c)
{
    return static_cast<int>(c & 0xFF);
}
int green(TColor c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
int blue(TColor c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}

TColor rgb(int r, int g, int b)
{
    return static_cast<TColor>(r) | static_cast<TColor>(g) << 8 | static_cast<TColor>(b) << 16;
}

// Nearest integer, ties to even, as the platform rounds.
std::int64_t roundEven(double value)
{
    // Adding 2^52 leaves no fraction bits, so the addition rounds as llrint
    // does, without a library call; gradients round once a channel a line.
    constexpr double fractionless = 4503599627370496.0;
    if (value >= 0 && value < fractionless)
        return static_cast<std::int64_t>(value + fractionless - fractionless);
    return std::llrint(value);
}

// Rectangle arithmetic is done in 64 bits, as the edges may lie anywhere in
// the 32-bit range; a result beyond that range is invisible and is clamped.
int saturate(std::int64_t value)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int addClamped(int value, std::int64_t offset)
{
    return saturate(value + offset);
}

// Where text of the extent starts so that it is centred between lo and hi;
// the division truncates toward zero as the platform's does.
int centred(int lo, int hi, std::int64_t extent)
{
    return saturate((std::int64_t{lo} + hi - extent) / 2);
}

// (0, 0, 0, 0) when the two do not overlap.
TRect intersection(const TRect& a, const TRect& b)
{
    const TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                  std::min(a.Bottom, b.Bottom)};
    return r.Left < r.Right && r.Top < r.Bottom ? r : TRect{};
}

// The lines first..last of a ramp of one-pixel lines; none when last < first.
struct LineRange {
    std::int64_t first;
    std::int64_t last;
};

// The lines of r that gradients and brightening draw: columns Left to
// Right - 1 when horizontal, else rows Top to Bottom - 1.
LineRange rampLines(const TRect& r, bool horizontal)
{
    return horizontal ? LineRange{r.Left, std::int64_t{r.Right} - 1} : LineRange{r.Top, std::int64_t{r.Bottom} - 1};
}

// Line `line` of a ramp across r, as drawLine paints it; the caller has made
// the gaps of dashed pens transparent once for all lines.
void drawRampLine(TCanvas& canvas, const TRect& r, std::int64_t line, bool horizontal)
{
    const int at = static_cast<int>(line);
    if (horizontal) {
        canvas.MoveTo(at, r.Top);
        canvas.LineTo(at, r.Bottom);
    } else {
        canvas.MoveTo(r.Left, at);
        canvas.LineTo(r.Right, at);
    }
}

// Ramps are handed to the canvas this many lines at a time.
constexpr std::int64_t RampStretch = 256;

// The lines first.. of a ramp across r, one colour each, as drawRampLine paints them.
void drawRampLines(TCanvas& canvas, const TRect& r, std::int64_t first, bool horizontal, std::span<const TColor> colors)
{
    canvas.LineRun(horizontal, static_cast<int>(first), horizontal ? r.Top : r.Left, horizontal ? r.Bottom : r.Right,
                   colors);
}

// How far, in logical units, a line of the canvas's pen can paint beyond its
// own position: the pen's width, and a device pixel's worth at either side
// for the rounding of the mapping.
std::int64_t penReach(const TCanvas& canvas)
{
    const TMapping& mapping = canvas.Mapping();
    const double scale = std::min(std::abs(mapping.ScaleX), std::abs(mapping.ScaleY));
    // No rectangle has more lines than this; a degenerate mapping may reach them all.
    constexpr double allLines = 4294967296.0;
    const double pixel = scale > 0 ? std::min(std::ceil(1 / scale), allLines) : allLines;
    return std::max(canvas.Pen().Width, 0) + 2 * static_cast<std::int64_t>(pixel) + 1;
}

// The lines that can paint a visible pixel: those within the clip box (in
// logical units) widened by the reach of the pen. The others would only be
// walked to be clipped away, which takes minutes for a rectangle that spans
// the integer range.
LineRange visibleLines(const TCanvas& canvas, const TRect& clip, LineRange lines, bool horizontal)
{
    if (clip.Left >= clip.Right || clip.Top >= clip.Bottom)
        return {lines.first, lines.first - 1};
    const std::int64_t reach = penReach(canvas);
    const LineRange visible = rampLines(clip, horizontal);
    return {std::max(lines.first, visible.first - reach), std::min(lines.last, visible.last + reach)};
}

// The colours of a ramp of lines. They are summed step by step as the
// platform does, so that a line has the same colour whichever lines are
// drawn; a line far beyond the last one asked for is reached by multiplying.
class ColorRamp {
public:
    ColorRamp(TColor from, TColor to, std::int64_t steps)
        : FFrom{double(red(from)), double(green(from)), double(blue(from))},
          FIncrement{(red(to) - FFrom[0]) / double(steps), (green(to) - FFrom[1]) / double(steps),
                     (blue(to) - FFrom[2]) / double(steps)},
          FValue(FFrom)
    {
    }

    // The colour of line `line`, 0 being the first; lines are asked for in increasing order.
    TColor at(std::int64_t line)
    {
        assert(line >= FLine);
        if (line - FLine > MaxSummedSteps) {
            for (int c = 0; c < 3; ++c)
                FValue[c] = FFrom[c] + double(line) * FIncrement[c];
            FLine = line;
        }
        for (; FLine < line; ++FLine)
            for (int c = 0; c < 3; ++c)
                FValue[c] += FIncrement[c];
        return rgb(channel(FValue[0]), channel(FValue[1]), channel(FValue[2]));
    }

    // The colours of lines first, first + 1, ... into out: the same sums as asking for each.
    void fill(std::int64_t first, std::span<TColor> out)
    {
        if (out.empty())
            return;
        out[0] = at(first);
        // Kept in registers, the sums of one line need not wait for those of the last in memory.
        double r = FValue[0], g = FValue[1], b = FValue[2];
        for (std::size_t i = 1; i < out.size(); ++i) {
            r += FIncrement[0];
            g += FIncrement[1];
            b += FIncrement[2];
            out[i] = rgb(channel(r), channel(g), channel(b));
        }
        FValue = {r, g, b};
        FLine = first + static_cast<std::int64_t>(out.size()) - 1;
    }

private:
    // A few milliseconds of sums; a ramp whose visible lines lie further
    // along is far larger than any surface.
    static constexpr std::int64_t MaxSummedSteps = 1 << 20;

    static int channel(double value) { return static_cast<int>(roundEven(value)); }

    std::array<double, 3> FFrom;
    std::array<double, 3> FIncrement;
    std::array<double, 3> FValue;
    std::int64_t FLine = 0;
};

} // namespace

TQVTCanvasVC::TQVTCanvasVC(TCanvas& canvas) : ClipRectStack{NoClipping}, Fcanvas(&canvas) {}

TQVTCanvasVC::~TQVTCanvasVC() = default;

void TQVTCanvasVC::outline()
{
    const TRect r = GetClipRect();
    Fcanvas->Pen().Color = clBlack;
    Fcanvas->MoveTo(r.Left, r.Top);
    Fcanvas->LineTo(r.Right, r.Bottom);
    Fcanvas->MoveTo(r.Right, r.Top);
    Fcanvas->LineTo(r.Left, r.Bottom);
}

TRect TQVTCanvasVC::clippingArea()
{
    const TRect clip = Fcanvas->ClipRect();
    const TRect area = getVisibleArea();
    return TRect{std::max(clip.Left, area.Left), std::max(clip.Top, area.Top), std::min(clip.Right, area.Right),
                 std::min(clip.Bottom, area.Bottom)};
}

TRect TQVTCanvasVC::getVisibleArea()
{
    // Buffer bitmaps take their size from here and must never be negative.
    if (FvisibleArea.Right < 0)
        FvisibleArea.Right = 1;
    if (FvisibleArea.Bottom < 0)
        FvisibleArea.Bottom = 1;
    return FvisibleArea;
}

void TQVTCanvasVC::setDrawingColor(TColor color)
{
    Fcanvas->Pen().Color = color;
}

void TQVTCanvasVC::setPenStyle(TPenStyle style)
{
    Fcanvas->Pen().Style = style;
}

void TQVTCanvasVC::setPenWidth(int width)
{
    Fcanvas->Pen().Width = width;
}

void TQVTCanvasVC::drawLine(int x1, int y1, int x2, int y2)
{
    Fcanvas->MoveTo(x1, y1);
    // The gaps of dashed pens stay unpainted.
    Fcanvas->SetBkMode(TBkMode::Transparent);
    Fcanvas->LineTo(x2, y2);
}

void TQVTCanvasVC::drawLine(TPoint p1, TPoint p2)
{
    drawLine(p1.X, p1.Y, p2.X, p2.Y);
}

void TQVTCanvasVC::drawLine(TRect r)
{
    drawLine(r.Left, r.Top, r.Right, r.Bottom);
}

void TQVTCanvasVC::FillArea(TRect r, TColor color, TBrushStyle style)
{
    const TBrush saved = Fcanvas->Brush();
    Fcanvas->Brush() = TBrush{color, style};
    Fcanvas->Pen().Color = color;
    Fcanvas->SetBkMode(TBkMode::Transparent);
    Fcanvas->Rectangle(r);
    Fcanvas->Brush() = saved;
}

TRect TQVTCanvasVC::centerText(TRect r, const std::string& text, bool transparent)
{
    const TSize size = Fcanvas->TextExtent(text);
    const int x = centred(r.Left, r.Right, size.cx);
    const int y = centred(r.Top, r.Bottom, size.cy);
    if (transparent)
        Fcanvas->SetBkMode(TBkMode::Transparent);
    Fcanvas->TextOut(x, y, text);
    return TRect{x, y, addClamped(x, size.cx), addClamped(y, size.cy)};
}

void TQVTCanvasVC::centerTextVertical(TRect r, const std::string& text)
{
    const TSize size = Fcanvas->TextExtent(text);
    textOutOriented(centred(r.Left, r.Right, size.cy), centred(r.Top, r.Bottom, -std::int64_t{size.cx}), text, 90);
}

void TQVTCanvasVC::setFont(const std::string& name, int size, TColor color, bool bold, bool italic, bool underline,
                           int height)
{
    Fcanvas->Brush().Style = bsClear;
    TFont& font = Fcanvas->Font();
    // Setting the size already gives the pixel height at screen resolution,
    // which is what a height of 0 asks for.
    font.SetSize(size);
    font.Color = color;
    font.Name = name;
    if (height != 0)
        font.SetHeight(height);
    const auto apply = [&font](TFontStyle style, bool on) {
        if (on)
            font.Style.Include(style);
        else
            font.Style.Exclude(style);
    };
    apply(fsBold, bold);
    apply(fsItalic, italic);
    apply(fsUnderline, underline);
}

void TQVTCanvasVC::textOutOriented(int x, int y, const std::string& text, int angle)
{
    // The turned font lives for this one text only.
    TFont& font = Fcanvas->Font();
    const int previous = font.Orientation;
    font.Orientation = angle * 10;
    Fcanvas->Brush().Style = bsClear;
    Fcanvas->TextOut(x, y, text);
    font.Orientation = previous;
}

void TQVTCanvasVC::setVisibleArea(TRect r)
{
    FvisibleArea = r;
}

void TQVTCanvasVC::fillBounds(TRect outer, TRect inner, TColor color, TBrushStyle style)
{
    FillArea(TRect{outer.Left, outer.Top, outer.Right, inner.Top}, color, style);
    FillArea(TRect{outer.Left, inner.Bottom, outer.Right, outer.Bottom}, color, style);
    FillArea(TRect{outer.Left, outer.Top, inner.Left, outer.Bottom}, color, style);
    FillArea(TRect{inner.Right, outer.Top, outer.Right, outer.Bottom}, color, style);
}

void TQVTCanvasVC::drawRect(TRect r, TPenStyle style, TColor color)
{
    Fcanvas->Brush().Style = bsClear;
    TPen& pen = Fcanvas->Pen();
    const TPen saved = pen;
    pen.Style = style;
    pen.Color = color;
    Fcanvas->Rectangle(r);
    pen.Style = saved.Style;
    pen.Color = saved.Color;
}

void TQVTCanvasVC::saveArea(TRect r)
{
    savedArea.reset();
    // Outlines drawn after saving may reach a little to the right.
    r.Right = addClamped(r.Right, 10);
    // Beyond the surface there are no pixels to save, and a far-reaching
    // rectangle would ask for a bitmap of gigabytes.
    const TSize surface = Fcanvas->DeviceSize();
    r = intersection(r, Fcanvas->DPtoLP(Rect(0, 0, surface.cx, surface.cy)));
    // In 64 bits: under a mapping that shrinks a great deal the surface may
    // span the integer range (and a bitmap of that size is refused).
    const int width = saturate(std::int64_t{r.Right} - r.Left);
    const int height = saturate(std::int64_t{r.Bottom} - r.Top);
    auto area = std::make_unique<TBitmap>();
    area->SetSize(addClamped(width, 1), addClamped(height, 1));
    area->Canvas().CopyRect(TRect{0, 0, width, height}, *Fcanvas, r);
    savedArea = std::move(area);
    savedRect = r;
}

void TQVTCanvasVC::restoreArea()
{
    if (!savedArea)
        return;
    const TRect source{0, 0, savedRect.Right - savedRect.Left, savedRect.Bottom - savedRect.Top};
    Fcanvas->CopyRect(savedRect, savedArea->Canvas(), source);
}

bool TQVTCanvasVC::fullyVisible(TRect r)
{
    const TRect& area = FvisibleArea;
    return area.Left <= r.Left && area.Right >= r.Right && area.Top <= r.Top && area.Bottom >= r.Bottom;
}

bool TQVTCanvasVC::visible(TRect r)
{
    if (r.Left >= r.Right || r.Top >= r.Bottom)
        return false;
    const TRect& area = FvisibleArea;
    return area.Right >= r.Left && area.Left <= r.Right && area.Bottom >= r.Top && area.Top <= r.Bottom;
}

void TQVTCanvasVC::startBuffering()
{
    const TRect area = getVisibleArea();
    std::unique_ptr<TBitmap> buffer = newBuffer(area.Right, area.Bottom);
    // A second start replaces the buffer but keeps the real canvas to return to.
    if (!zBuffer)
        bufferedCanvas = Fcanvas;
    zBuffer = std::move(buffer);
    Fcanvas = &zBuffer->Canvas();
}

void TQVTCanvasVC::displayBuffer()
{
    if (!zBuffer)
        return;
    const TRect area = getVisibleArea();
    bufferedCanvas->CopyRect(area, *Fcanvas, area);
    Fcanvas = bufferedCanvas;
    bufferedCanvas = nullptr;
    spareBuffer = std::move(zBuffer);
}

std::unique_ptr<TBitmap> TQVTCanvasVC::newBuffer(int width, int height)
{
    // Fresh memory for a full-screen buffer on every paint costs more in page
    // faults than the painting itself, so the last buffer is cleared instead.
    if (!spareBuffer || spareBuffer->Width() != width || spareBuffer->Height() != height) {
        auto buffer = std::make_unique<TBitmap>();
        buffer->SetSize(width, height);
        return buffer;
    }
    std::unique_ptr<TBitmap> buffer = std::move(spareBuffer);
    TCanvas& canvas = buffer->Canvas();
    canvas.SelectClipRect(std::nullopt);
    canvas.SetMapping(TMapping{});
    canvas.Pen() = TPen{};
    canvas.Font() = TFont{};
    canvas.Brush() = TBrush{};
    canvas.MoveTo(0, 0);
    canvas.FillRect(Rect(0, 0, width, height));
    canvas.SetBkMode(TBkMode::Opaque);
    canvas.SetBkColor(clWhite);
    return buffer;
}

void TQVTCanvasVC::drawVertArrow(int x, int y1, int y2)
{
    drawLine(x, y1, x, y2);
    drawTriangle(x, y2, 8, y1 < y2 ? 2 : 0);
}

void TQVTCanvasVC::drawHorzArrow(int y, int x1, int x2)
{
    drawLine(x1, y, x2, y);
    drawTriangle(x2, y, 8, x1 < x2 ? 1 : 3);
}

void TQVTCanvasVC::drawGraphic(int x, int y, const TGraphic& graphic)
{
    Fcanvas->Draw(x, y, graphic);
}

void TQVTCanvasVC::stretchGraphic(TRect r, const TGraphic& graphic)
{
    Fcanvas->StretchDraw(r, graphic);
}

void TQVTCanvasVC::drawTriangle(int x, int y, int size, int direction)
{
    // Unit step from the tip towards the base; the zero component becomes a
    // half, which spreads the base to both sides of the axis.
    double dy = ((direction + 1) % 2) * (direction - 1);
    double dx = (direction % 2) * (2 - direction);
    if (dx == 0)
        dx = 0.5;
    if (dy == 0)
        dy = 0.5;
    const auto at = [](double coordinate) { return saturate(roundEven(coordinate)); };
    const TPoint p1{at(x - size * dx), at(y - size * dy)};
    const TPoint p2 =
        dx == 0.5 ? TPoint{at(x + size * dx), at(y - size * dy)} : TPoint{at(x - size * dx), at(y + size * dy)};
    Fcanvas->Brush() = TBrush{Fcanvas->Pen().Color, bsSolid};
    Fcanvas->Polygon({TPoint{x, y}, p1, p2});
}

void TQVTCanvasVC::drawPolygon(const TPointArray& points, TColor color)
{
    const TBrush saved = Fcanvas->Brush();
    Fcanvas->Brush() = TBrush{color, bsSolid};
    Fcanvas->Polygon(points);
    Fcanvas->Brush() = saved;
}

int TQVTCanvasVC::TextWidth(const std::string& text)
{
    return Fcanvas->TextWidth(text);
}

int TQVTCanvasVC::TextHeight(const std::string& text)
{
    return Fcanvas->TextHeight(text);
}

TRect TQVTCanvasVC::SetClipRect(TRect r)
{
    const TRect previous = ClipRectStack.back();
    if (r == NoClipping) {
        ClipRectStack.push_back(r);
        return previous;
    }
    const TRect clip = previous == NoClipping ? r : intersection(r, previous);
    ClipRectStack.push_back(clip);
    selectClip(clip);
    return previous;
}

TRect TQVTCanvasVC::ResetClipRect()
{
    // An unmatched reset must not pop the no-clipping entry.
    if (ClipRectStack.size() > 1)
        ClipRectStack.pop_back();
    const TRect top = ClipRectStack.back();
    if (top == NoClipping) {
        Fcanvas->SelectClipRect(std::nullopt);
        return top;
    }
    return selectClip(top);
}

TRect TQVTCanvasVC::selectClip(const TRect& r)
{
    const TRect device = Fcanvas->LPtoDP(r);
    Fcanvas->SelectClipRect(device);
    return device;
}

TRect TQVTCanvasVC::GetClipRect()
{
    return Fcanvas->GetClipBox().value_or(TRect{});
}

void TQVTCanvasVC::drawPixel(int x, int y, TColor color)
{
    Fcanvas->SetPixel(x, y, color);
}

void TQVTCanvasVC::gradientFill(TRect r, TColor color1, TColor color2, bool horizontal)
{
    const LineRange lines = rampLines(r, horizontal);
    if (lines.last < lines.first)
        return;
    ColorRamp ramp(color1, color2, std::max<std::int64_t>(1, lines.last - lines.first));
    const LineRange drawn = visibleLines(*Fcanvas, Fcanvas->ClipRect(), lines, horizontal);
    if (drawn.first <= drawn.last)
        Fcanvas->SetBkMode(TBkMode::Transparent);
    std::array<TColor, RampStretch> colors;
    for (std::int64_t line = drawn.first; line <= drawn.last; line += RampStretch) {
        const auto count = static_cast<std::size_t>(std::min(RampStretch, drawn.last - line + 1));
        ramp.fill(line - lines.first, std::span(colors.data(), count));
        drawRampLines(*Fcanvas, r, line, horizontal, std::span(colors.data(), count));
    }
    // As if every line had been drawn, the pen ends in the last line's colour.
    Fcanvas->Pen().Color = ramp.at(lines.last - lines.first);
}

void TQVTCanvasVC::brighten(TRect r, TColor color, bool horizontal)
{
    const TRect clip = Fcanvas->ClipRect();
    const LineRange drawn = visibleLines(*Fcanvas, clip, rampLines(r, horizontal), horizontal);
    // Each line takes the colour of its first visible pixel: meant for
    // gradients. A pixel outside the clip or the surface is not the one that
    // is brightened.
    const int across = horizontal ? std::max(clip.Top, std::min(r.Top, clip.Bottom - 1))
                                  : std::max(clip.Left, std::min(r.Left, clip.Right - 1));
    if (drawn.first <= drawn.last)
        Fcanvas->SetBkMode(TBkMode::Transparent);
    // A one-pixel line without mapping touches only its own row or column, so the pixels a
    // stretch of lines takes its colours from can be read before any of them is painted.
    if (Fcanvas->Mapping() == TMapping{} && Fcanvas->Pen().Width <= 1) {
        std::array<TColor, RampStretch> colors;
        for (std::int64_t line = drawn.first; line <= drawn.last; line += RampStretch) {
            const std::int64_t count = std::min(RampStretch, drawn.last - line + 1);
            for (std::int64_t i = 0; i < count; ++i) {
                const int at = static_cast<int>(line + i);
                const TColor under = horizontal ? Fcanvas->Pixel(at, across) : Fcanvas->Pixel(across, at);
                colors[static_cast<std::size_t>(i)] = addColor(color, under);
            }
            drawRampLines(*Fcanvas, r, line, horizontal, std::span(colors.data(), static_cast<std::size_t>(count)));
        }
        return;
    }
    for (std::int64_t line = drawn.first; line <= drawn.last; ++line) {
        const int at = static_cast<int>(line);
        const TColor under = horizontal ? Fcanvas->Pixel(at, across) : Fcanvas->Pixel(across, at);
        Fcanvas->Pen().Color = addColor(color, under);
        drawRampLine(*Fcanvas, r, line, horizontal);
    }
}

void TQVTCanvasVC::Draw3dFrame(TRect r, TColor color)
{
    const TBrush saved = Fcanvas->Brush();
    const std::int64_t h = std::int64_t{r.Bottom} - r.Top;
    const TColor light = ColorAdjustLuma(color, 60);
    const TColor base = ColorAdjustLuma(color, 0);
    const TColor highlight = ColorAdjustLuma(color, 100);

    Fcanvas->Pen().Color = highlight;
    Fcanvas->MoveTo(r.Left, addClamped(r.Top, 1));
    Fcanvas->LineTo(r.Right, addClamped(r.Top, 1));
    gradientFill(TRect{r.Left, addClamped(r.Top, 2), r.Right, addClamped(r.Top, roundEven(h * 0.65))}, light, base,
                 false);
    // Giving a clear brush a colour makes it solid on the platform.
    Fcanvas->Brush().Color = base;
    if (Fcanvas->Brush().Style == bsClear)
        Fcanvas->Brush().Style = bsSolid;
    Fcanvas->FillRect(TRect{r.Left, addClamped(r.Top, roundEven(h / 2.0)), r.Right, r.Bottom});
    Fcanvas->Pen().Width = 1;
    Fcanvas->Pen().Color = base;
    Fcanvas->Brush().Style = bsClear;
    Fcanvas->Rectangle(r);
    Fcanvas->Brush() = saved;
}

void TQVTCanvasVC::DrawPattern(TRect r, TColor color1, TColor color2, TBrushStyle style)
{
    const TBrush saved = Fcanvas->Brush();
    Fcanvas->Brush() = TBrush{style == bsSolid ? color2 : color1, bsSolid};
    Fcanvas->FillRect(r);
    if (style != bsSolid && style != bsClear) {
        // Hatch lines in color2 over the background color1.
        Fcanvas->Brush() = TBrush{color2, style};
        Fcanvas->SetBkColor(color1);
        Fcanvas->SetBkMode(TBkMode::Opaque);
    }
    Fcanvas->Rectangle(r);
    Fcanvas->Brush() = saved;
}

void TQVTCanvasVC::DrawRessourceLabelRect(TRect r, TColor color)
{
    Fcanvas->Pen().Color = color;
    Fcanvas->Pen().Width = 2;
    drawRect(r, psSolid, color);
    Fcanvas->Pen().Width = 1;
}

TColor TQVTCanvasVC::addColor(TColor color1, TColor color2)
{
    return rgb(std::min(red(color1) + red(color2), 255), std::min(green(color1) + green(color2), 255),
               std::min(blue(color1) + blue(color2), 255));
}

} // namespace corvane
