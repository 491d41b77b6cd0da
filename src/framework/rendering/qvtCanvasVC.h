#pragma once
// The visual context over a platform canvas: the one implementation that the
// screen, the hint window, bitmap export and printing all use.

#include "corvane/framework/rendering/qvtVisualContext.h"
#include "corvane/platform/Graphics.h"

#include <memory>
#include <vector>

namespace corvane {

class TQVTCanvasVC : public TQVTVisualContext {
public:
    /// The clip-stack entry that stands for "no clipping".
    static constexpr TRect NoClipping{-1, -1, -1, -1};

    /// The canvas must outlive the visual context.
    explicit TQVTCanvasVC(TCanvas& canvas);
    ~TQVTCanvasVC() override;
    TQVTCanvasVC(const TQVTCanvasVC&) = delete;
    TQVTCanvasVC& operator=(const TQVTCanvasVC&) = delete;

    /// The canvas painted on now (the off-screen buffer while buffering); what an application's
    /// own bar painting receives.
    TCanvas* getCanvas() const { return Fcanvas; }

    void outline() override;
    TRect clippingArea() override;
    TRect getVisibleArea() override;
    void setDrawingColor(TColor color) override;
    void setPenStyle(TPenStyle style) override;
    void setPenWidth(int width) override;
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawLine(TPoint p1, TPoint p2) override;
    void drawLine(TRect r) override;
    void FillArea(TRect r, TColor color, TBrushStyle style) override;
    TRect centerText(TRect r, const std::string& text, bool transparent) override;
    void centerTextVertical(TRect r, const std::string& text) override;
    void setFont(const std::string& name, int size, TColor color, bool bold, bool italic, bool underline,
                 int height) override;
    void textOutOriented(int x, int y, const std::string& text, int angle) override;
    void setVisibleArea(TRect r) override;
    void fillBounds(TRect outer, TRect inner, TColor color, TBrushStyle style) override;
    void drawRect(TRect r, TPenStyle style, TColor color) override;
    void saveArea(TRect r) override;
    void restoreArea() override;
    bool fullyVisible(TRect r) override;
    bool visible(TRect r) override;
    void startBuffering() override;
    void displayBuffer() override;
    void drawVertArrow(int x, int y1, int y2) override;
    void drawHorzArrow(int y, int x1, int x2) override;
    void drawGraphic(int x, int y, const TGraphic& graphic) override;
    void stretchGraphic(TRect r, const TGraphic& graphic) override;
    void drawTriangle(int x, int y, int size, int direction) override;
    void drawPolygon(const TPointArray& points, TColor color) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;
    TRect SetClipRect(TRect r) override;
    TRect ResetClipRect() override;
    TRect GetClipRect() override;
    void drawPixel(int x, int y, TColor color) override;
    void gradientFill(TRect r, TColor color1, TColor color2, bool horizontal) override;
    void brighten(TRect r, TColor color, bool horizontal) override;
    void Draw3dFrame(TRect r, TColor color) override;
    void DrawPattern(TRect r, TColor color1, TColor color2, TBrushStyle style) override;
    void DrawRessourceLabelRect(TRect r, TColor color) override;

    /// Channel-wise sum, each channel limited to 255.
    static TColor addColor(TColor color1, TColor color2);

private:
    /// Selects the logical rectangle, converted to device pixels, as the clip.
    TRect selectClip(const TRect& r);
    /// A white bitmap of the size with a canvas in its initial state.
    std::unique_ptr<TBitmap> newBuffer(int width, int height);

    std::vector<TRect> ClipRectStack;
    TCanvas* Fcanvas;
    TRect FvisibleArea{};
    std::unique_ptr<TBitmap> zBuffer;
    /// The last paint's buffer, kept for the next paint of the same size.
    std::unique_ptr<TBitmap> spareBuffer;
    TCanvas* bufferedCanvas = nullptr;
    std::unique_ptr<TBitmap> savedArea;
    TRect savedRect{};
};

} // namespace corvane
