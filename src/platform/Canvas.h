#pragma once
// The 2-D drawing surface: pens, brushes, fonts and the abstract canvas that
// every drawer paints on. Pixel results follow the desktop platform's rules
// rather than those of the library underneath:
//  - no antialiasing, neither for shapes nor for text;
//  - a line does not paint its end point; one-pixel lines are Bresenham lines
//    whose pixel for an exact half rounds towards the start point;
//  - Right and Bottom of rectangles are exclusive;
//  - the background mode decides whether the gaps of dashed pens, of hatch
//    brushes and the cell behind text are painted (in the background colour)
//    or left untouched. Changing the brush sets the mode as the platform does:
//    a solid brush makes it opaque with the brush colour as background colour,
//    any other brush transparent; SetBkMode/SetBkColor afterwards override it
//    until the brush changes again.
// All coordinates are logical; a mapping (origin and scale on each axis)
// turns them into device pixels. Clip rectangles are given in device pixels.

#include "corvane/platform/Colors.h"
#include "corvane/platform/Types.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace corvane {

class TGraphic;

struct TSize {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

/// Dash patterns in device pixels, restarting at the start of every line:
/// dash 18 on 6 off; dot 3 on 3 off; dash-dot 9 on 6 off 3 on 6 off;
/// dash-dot-dot 9 on 3 off 3 on 3 off 3 on 3 off. As on the platform, only
/// pens one pixel wide are dashed; wider pens of these styles draw solid.
/// psInsideFrame keeps the frame of Rectangle inside the rectangle also for
/// wide pens; for lines it is psSolid. psClear paints nothing.
enum TPenStyle {
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame
};

/// Hatches are 8 x 8 device-pixel patterns aligned to the device origin:
/// horizontal lines on rows y mod 8 = 0, vertical lines on columns x mod 8 = 0,
/// forward diagonal ("\") where (x - y) mod 8 = 0, backward diagonal ("/")
/// where (x + y) mod 8 = 7, cross and diagonal cross combine the two.
enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

enum TFontStyle {
    fsBold,
    fsItalic,
    fsUnderline,
    fsStrikeOut
};

/// A set of font styles.
class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(std::initializer_list<TFontStyle> styles)
    {
        for (TFontStyle style : styles)
            Include(style);
    }
    constexpr bool Contains(TFontStyle style) const { return (FBits & Bit(style)) != 0; }
    constexpr TFontStyles& Include(TFontStyle style)
    {
        FBits = static_cast<std::uint8_t>(FBits | Bit(style));
        return *this;
    }
    constexpr TFontStyles& Exclude(TFontStyle style)
    {
        FBits = static_cast<std::uint8_t>(FBits & ~Bit(style));
        return *this;
    }
    constexpr bool Empty() const { return FBits == 0; }
    friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

private:
    static constexpr std::uint8_t Bit(TFontStyle style) { return static_cast<std::uint8_t>(1u << style); }
    std::uint8_t FBits = 0;
};

struct TPen {
    TColor Color = clBlack;
    TPenStyle Style = psSolid;
    /// In logical units, scaled by the mapping; 0 is always one device pixel.
    int Width = 1;
    friend bool operator==(const TPen&, const TPen&) = default;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
    friend bool operator==(const TBrush&, const TBrush&) = default;
};

/// Size (points) and Height (pixels) are one value seen two ways:
/// Height = -Size * PixelsPerInch / 72, rounded half away from zero. A negative
/// Height is the character height (the em size), a positive one the cell height
/// (ascent + descent), as on the platform. Heights are logical units, scaled
/// by the mapping.
class TFont {
public:
    static constexpr int PixelsPerInch = 96;

    std::string Name = "Arial";
    TColor Color = clBlack;
    TFontStyles Style;
    /// Counter-clockwise turn of the text about its top-left corner, in tenths
    /// of a degree.
    int Orientation = 0;

    int Height() const { return FHeight; }
    void SetHeight(int height) { FHeight = height; }
    int Size() const;
    void SetSize(int points);

    friend bool operator==(const TFont&, const TFont&) = default;

private:
    int FHeight = -11; // 8 points
};

enum class TBkMode {
    Transparent,
    Opaque
};

/// Logical to device: device = Origin + logical * Scale, rounded to the
/// nearest pixel (halves away from zero).
struct TMapping {
    double OriginX = 0;
    double OriginY = 0;
    double ScaleX = 1;
    double ScaleY = 1;
    friend bool operator==(const TMapping&, const TMapping&) = default;
};

class TCanvas {
public:
    virtual ~TCanvas() = default;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen& Pen() { return FPen; }
    TBrush& Brush() { return FBrush; }
    TFont& Font() { return FFont; }
    const TPen& Pen() const { return FPen; }
    const TBrush& Brush() const { return FBrush; }
    const TFont& Font() const { return FFont; }

    /// Lines with the pen from the current position; the end point becomes the
    /// current position and is not painted.
    void MoveTo(int x, int y) { FPenPos = Point(x, y); }
    TPoint PenPos() const { return FPenPos; }
    virtual void LineTo(int x, int y) = 0;
    /// Parallel lines with the pen, one a colour: line i lies at first + i (a column x when
    /// vertical, else a row y) and goes from `from` to `to` across, painting what MoveTo and
    /// LineTo would with Pen().Color = colors[i]. Leaves the pen in the last colour at the last
    /// line's end, as those calls do. Ramps of many short lines (gradients) are painted at once.
    virtual void LineRun(bool vertical, int first, int from, int to, std::span<const TColor> colors);

    /// Filled with the brush and framed with the pen, all inside
    /// [Left, Right) x [Top, Bottom): a one-pixel pen paints the columns Left
    /// and Right - 1 and the rows Top and Bottom - 1. With a clear pen the
    /// platform fills one pixel less: [Left, Right - 1) x [Top, Bottom - 1).
    virtual void Rectangle(const TRect& r) = 0;
    void Rectangle(int left, int top, int right, int bottom) { Rectangle(Rect(left, top, right, bottom)); }
    /// Brush only, [Left, Right) x [Top, Bottom); a clear brush paints nothing.
    virtual void FillRect(const TRect& r) = 0;
    /// Closed polygon: interior filled with the brush (alternate rule), edges
    /// through every point, the closing one included, drawn with the pen.
    virtual void Polygon(const std::vector<TPoint>& points) = 0;

    /// Top-left corner of the text cell at (x, y), turned by Font().Orientation.
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    /// Logical units; the height of any text, the empty one included, is the
    /// font's cell height (ascent + descent).
    virtual TSize TextExtent(const std::string& text) = 0;
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }

    /// At its own size (in logical units) with its top-left corner at (x, y),
    /// or scaled into r. A transparent graphic leaves the pixels of the colour
    /// of its bottom-left pixel undrawn.
    virtual void Draw(int x, int y, const TGraphic& graphic) = 0;
    virtual void StretchDraw(const TRect& r, const TGraphic& graphic) = 0;

    /// One device pixel at the logical point. Reading outside the surface
    /// answers 0; setting honours the clip.
    virtual TColor Pixel(int x, int y) = 0;
    virtual void SetPixel(int x, int y, TColor color) = 0;

    /// Copies the source canvas's pixels in sourceRect (the source's logical
    /// coordinates) into dest, scaled (nearest pixel) when the sizes differ.
    /// The source may be this canvas.
    virtual void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) = 0;

    /// The current clip box in logical coordinates; the whole surface when no
    /// clip rectangle is selected.
    virtual TRect ClipRect() = 0;

    virtual void SetBkMode(TBkMode mode) = 0;
    virtual TBkMode BkMode() = 0;
    virtual void SetBkColor(TColor color) = 0;
    virtual TColor BkColor() = 0;

    /// Device services.
    /// Clips all painting to a rectangle in device pixels; nullopt removes the
    /// clip. An empty rectangle clips everything.
    virtual void SelectClipRect(const std::optional<TRect>& deviceRect) = 0;
    /// The selected clip rectangle in device pixels; nullopt when none.
    virtual std::optional<TRect> GetClipBox() const = 0;

    void SetMapping(double originX, double originY, double scaleX, double scaleY)
    {
        SetMapping(TMapping{originX, originY, scaleX, scaleY});
    }
    virtual void SetMapping(const TMapping& mapping) { FMapping = mapping; }
    const TMapping& Mapping() const { return FMapping; }
    /// Results beyond the 32-bit range are clamped to it.
    TPoint LPtoDP(const TPoint& p) const;
    TRect LPtoDP(const TRect& r) const;
    TPoint DPtoLP(const TPoint& p) const;
    TRect DPtoLP(const TRect& r) const;

    /// Size of the drawing surface in device pixels.
    virtual TSize DeviceSize() const = 0;

protected:
    TCanvas() = default;

private:
    TPen FPen;
    TBrush FBrush;
    TFont FFont;
    TPoint FPenPos;
    TMapping FMapping;
};

} // namespace corvane
