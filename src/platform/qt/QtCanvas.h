#pragma once
// The canvas over a QPainter. Lines, frames and rectangles are rasterised here
// by the platform's rules and handed to the painter as rectangles (or written
// straight into a bitmap); polygon interiors, hatches, images and text go
// through the painter with every kind of smoothing off. So the pixels are the
// same on an image, a widget or a printer.

#include "corvane/platform/Canvas.h"
#include "corvane/platform/qt/QtGraphics.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane {

class QtCanvas : public TCanvas {
public:
    // Paints with a painter that its owner has begun (a widget's paint event,
    // a printer's page) and ends after this canvas is gone. Device pixels are
    // the painter's device pixels: the canvas keeps its world transform at
    // identity and sets the painter's clip.
    explicit QtCanvas(QPainter& painter);

    void LineTo(int x, int y) override;
    void LineRun(bool vertical, int first, int from, int to, std::span<const TColor> colors) override;
    using TCanvas::Rectangle;
    void Rectangle(const TRect& r) override;
    void FillRect(const TRect& r) override;
    void Polygon(const std::vector<TPoint>& points) override;
    void TextOut(int x, int y, const std::string& text) override;
    TSize TextExtent(const std::string& text) override;
    void Draw(int x, int y, const TGraphic& graphic) override;
    void StretchDraw(const TRect& r, const TGraphic& graphic) override;
    TColor Pixel(int x, int y) override;
    void SetPixel(int x, int y, TColor color) override;
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) override;
    TRect ClipRect() override;
    void SetBkMode(TBkMode mode) override;
    TBkMode BkMode() override;
    void SetBkColor(TColor color) override;
    TColor BkColor() override;
    void SelectClipRect(const std::optional<TRect>& deviceRect) override;
    std::optional<TRect> GetClipBox() const override;
    TSize DeviceSize() const override;
    using TCanvas::SetMapping;
    void SetMapping(const TMapping& mapping) override;

    // Device-pixel rectangles with 64-bit edges, so that far-away logical
    // coordinates under a scaling mapping neither overflow nor wrap.
    struct DeviceRect {
        std::int64_t Left, Top, Right, Bottom;
        bool Empty() const { return Left >= Right || Top >= Bottom; }
    };

    // A text's advance in a font and the pixels its glyphs set, kept for the
    // texts that are painted again and again.
    struct TextShape;

protected:
    // For canvases that begin their painter themselves.
    QtCanvas() = default;

    // The painter to paint with; nullptr when there is nothing to paint on.
    virtual QPainter* Painter() { return FPainter; }
    // The device's pixels for reading, when the device keeps them in memory.
    virtual const QImage* DeviceImage();
    // The device's pixels for writing past the painter; only for an image
    // that no one else paints on with another transform or clip.
    virtual QImage* WritableImage() { return nullptr; }
    // Puts our state (rendering hints, clip) on a painter that has just begun.
    void Prepare(QPainter& painter) const;
    // To be called when the painter ends or the device's pixels move.
    void ForgetTarget()
    {
        FTargetKnown = false;
        FBands.clear();
    }

private:
    // Catches up on brush changes as the platform does when it selects the
    // brush: a solid brush makes the background opaque in its colour.
    void RealizeBrush();
    std::int64_t DeviceX(double x) const;
    std::int64_t DeviceY(double y) const;
    DeviceRect ToDevice(const TRect& r) const;
    // The surface, less what the clip excludes.
    DeviceRect Bounds() const;
    int PenThickness(double scale) const;
    // The pen's pattern is drawn (dashed) only by one-pixel pens.
    bool PatternedPen() const;

    // What one drawing operation paints on, looked up once for all its
    // fills: a bitmap's pixels are written in memory, other devices get
    // rectangles through the painter.
    struct Target {
        QPainter* Painter = nullptr;
        QRgb* Pixels = nullptr;             // the first line; nullptr when not in memory
        std::int64_t Stride = 0;            // pixels a line
        std::int64_t Width = 0, Height = 0; // of the image in memory
        DeviceRect Bounds{};
    };
    // nullptr when there is nothing to paint on. Kept between operations, as
    // looking it up costs as much as painting a short line.
    const Target* CurrentTarget();

    // Fills a rectangle that lies within the bounds.
    static void Fill(const Target& target, const DeviceRect& visible, QRgb color);
    static void FillDevice(const Target& target, const DeviceRect& r, QRgb color);
    void FillDevice(const Target& target, const DeviceRect& r, const TBrush& brush);
    const QBrush& HatchBrush(const TBrush& brush);
    void DeviceLine(const Target& target, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1);
    void AxisLine(const Target& target, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1);
    void Frame(const Target& target, const DeviceRect& r);
    // A plumb band of one colour in memory, written unless it already shows.
    void PlumbBand(const Target& target, const DeviceRect& visible, QRgb color);
    // Forgets what is known of the pixels in r, which are about to be painted.
    void Covered(const DeviceRect& r);
    void ForgetBands() { FBands.clear(); }
    void DrawGraphic(const DeviceRect& dest, const TGraphic& graphic);
    void DrawImage(QPainter& painter, const DeviceRect& dest, const QImage& image, const QRectF& source) const;
    // The Qt font for Font(), built only when a text is not in the shape cache.
    const QFont& CurrentFont();
    // Catches up on font changes: the key of the font and its cell measures.
    void RealizeFont();
    // The cached shape of a text in the current font, traced into pixel runs
    // when `traced`; nullptr for texts too long to be worth keeping. Valid
    // until the next call.
    const TextShape* Shape(const std::string& text, bool traced);

    QPainter* FPainter = nullptr;
    Target FTarget;
    bool FTargetKnown = false;
    bool FIdentity = true; // the mapping changes nothing
    std::optional<TRect> FClip;
    TBrush FRealizedBrush;
    TBkMode FBkMode = TBkMode::Opaque;
    TColor FBkColor = clWhite;
    std::optional<TFont> FFontFor; // what FFontKey and FAscent/FDescent/FMaxWidth are for
    std::string FFontKey;          // the font's part of a shape cache key
    std::string FShapeKey;         // FFontKey followed by the text asked for last
    int FAscent = 0, FDescent = 0, FMaxWidth = 0;
    std::optional<std::string> FQFontFor; // the key FQFont was built for
    QFont FQFont;
    // The shapes asked for last: a text is measured and then painted, and
    // labels measure the same text again and again, without going through
    // the shared cache each time.
    struct RecentShape {
        std::string Key;
        std::shared_ptr<const TextShape> Shape;
    };
    std::array<RecentShape, 4> FRecentShapes;
    std::size_t FNextRecentShape = 0;
    TBrush FHatchFor{clWhite, bsSolid};
    QBrush FHatch;
    // Plumb bands of one colour painted in memory that still show whole: long connection
    // legs share columns, and a leg within one of them would write the same pixels again.
    // Any other painting forgets what it covers; the bands hold for the pixels and the image
    // state (its cache key) they were noted on.
    struct PaintedBand {
        DeviceRect Rect;
        QRgb Color;
    };
    std::vector<PaintedBand> FBands; // by left edge
    std::int64_t FBandsWidest = 0;
    std::vector<std::pair<std::int64_t, std::int64_t>> FShownScratch; // rows of a band shown already
    const QRgb* FBandsPixels = nullptr;
    qint64 FBandsKey = 0;
};

// The canvas of a TBitmap: paints on the bitmap's image, beginning the
// painter when first needed and letting go of it before the image is replaced.
class QtBitmapCanvas final : public QtCanvas {
public:
    explicit QtBitmapCanvas(QImage& image) : FImage(image) {}
    void Suspend();
    TSize DeviceSize() const override;

protected:
    QPainter* Painter() override;
    const QImage* DeviceImage() override { return &FImage; }
    QImage* WritableImage() override { return Painter() ? &FImage : nullptr; }

private:
    QImage& FImage;
    QPainter FOwnPainter;
};

} // namespace corvane
