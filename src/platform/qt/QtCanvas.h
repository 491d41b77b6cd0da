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

#include <cstdint>
#include <optional>

namespace corvane {

class QtCanvas : public TCanvas {
public:
    // Paints with a painter that its owner has begun (a widget's paint event,
    // a printer's page) and ends after this canvas is gone. Device pixels are
    // the painter's device pixels: the canvas keeps its world transform at
    // identity and sets the painter's clip.
    explicit QtCanvas(QPainter& painter);

    void LineTo(int x, int y) override;
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

    // Fills a rectangle that lies within the bounds.
    void Fill(QPainter& painter, const DeviceRect& visible, QRgb color);
    void FillDevice(QPainter& painter, const DeviceRect& r, QRgb color);
    void FillDevice(QPainter& painter, const DeviceRect& r, const TBrush& brush);
    const QBrush& HatchBrush(const TBrush& brush);
    void DeviceLine(QPainter& painter, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1);
    void Frame(QPainter& painter, const DeviceRect& r);
    void DrawGraphic(const DeviceRect& dest, const TGraphic& graphic);
    void DrawImage(QPainter& painter, const DeviceRect& dest, const QImage& image, const QRectF& source) const;
    const QFont& CurrentFont();
    const QFontMetrics& Metrics();

    QPainter* FPainter = nullptr;
    bool FIdentity = true; // the mapping changes nothing
    std::optional<TRect> FClip;
    TBrush FRealizedBrush;
    TBkMode FBkMode = TBkMode::Opaque;
    TColor FBkColor = clWhite;
    std::optional<TFont> FFontFor;
    QFont FQFont;
    std::optional<QFontMetrics> FMetrics;
    TBrush FHatchFor{clWhite, bsSolid};
    QBrush FHatch;
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
