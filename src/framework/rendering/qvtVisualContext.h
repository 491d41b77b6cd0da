#pragma once
// The abstract drawing surface. Every drawer paints only through it, so the
// same drawers serve the screen, bitmap export, print preview and printer.

#include "corvane/platform/Canvas.h"
#include "corvane/platform/Types.h"

#include <string>
#include <vector>

namespace corvane {

class TGraphic;

using TPointArray = std::vector<TPoint>;

/// All coordinates are logical coordinates of the surface. Triangle
/// directions: 0 up, 1 right, 2 down, 3 left.
class TQVTVisualContext {
public:
    virtual ~TQVTVisualContext() = default;

    virtual void outline() = 0;
    virtual TRect clippingArea() = 0;
    virtual TRect getVisibleArea() = 0;
    virtual void setDrawingColor(TColor color) = 0;
    virtual void setPenStyle(TPenStyle style) = 0;
    virtual void setPenWidth(int width) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2) = 0;
    virtual void drawLine(TPoint p1, TPoint p2) = 0;
    virtual void drawLine(TRect r) = 0;
    virtual void FillArea(TRect r, TColor color, TBrushStyle style) = 0;
    virtual TRect centerText(TRect r, const std::string& text, bool transparent) = 0;
    virtual void centerTextVertical(TRect r, const std::string& text) = 0;
    virtual void setFont(const std::string& name, int size, TColor color, bool bold, bool italic, bool underline,
                         int height) = 0;
    virtual void textOutOriented(int x, int y, const std::string& text, int angle) = 0;
    virtual void setVisibleArea(TRect r) = 0;
    virtual void fillBounds(TRect outer, TRect inner, TColor color, TBrushStyle style) = 0;
    virtual void drawRect(TRect r, TPenStyle style, TColor color) = 0;
    virtual void saveArea(TRect r) = 0;
    virtual void restoreArea() = 0;
    virtual bool fullyVisible(TRect r) = 0;
    virtual bool visible(TRect r) = 0;
    virtual void startBuffering() = 0;
    virtual void displayBuffer() = 0;
    virtual void drawVertArrow(int x, int y1, int y2) = 0;
    virtual void drawHorzArrow(int y, int x1, int x2) = 0;
    virtual void drawGraphic(int x, int y, const TGraphic& graphic) = 0;
    virtual void stretchGraphic(TRect r, const TGraphic& graphic) = 0;
    virtual void drawTriangle(int x, int y, int size, int direction) = 0;
    virtual void drawPolygon(const TPointArray& points, TColor color) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;
    virtual TRect SetClipRect(TRect r) = 0;
    virtual TRect ResetClipRect() = 0;
    virtual TRect GetClipRect() = 0;
    virtual void drawPixel(int x, int y, TColor color) = 0;
    /// A ramp of one-pixel lines in the pen, from color1 on the first line to color2 on the last:
    /// columns Left to Right - 1 when horizontal, else rows Top to Bottom - 1. The pen is left in
    /// the last line's colour.
    virtual void gradientFill(TRect r, TColor color1, TColor color2, bool horizontal) = 0;
    /// Adds color, channel by channel up to 255, to the lines of r (as gradientFill's). Each line
    /// takes the colour of its first visible pixel: meant for areas of uniform lines, as gradients.
    virtual void brighten(TRect r, TColor color, bool horizontal) = 0;
    virtual void Draw3dFrame(TRect r, TColor color) = 0;
    virtual void DrawPattern(TRect r, TColor color1, TColor color2, TBrushStyle style) = 0;
    virtual void DrawRessourceLabelRect(TRect r, TColor color) = 0;

protected:
    TQVTVisualContext() = default;
    TQVTVisualContext(const TQVTVisualContext&) = default;
    TQVTVisualContext& operator=(const TQVTVisualContext&) = default;
};

} // namespace corvane
