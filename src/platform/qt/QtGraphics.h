#pragma once
// The Qt image behind a TGraphic, for the Qt implementations that draw
// graphics or paint into bitmaps.

#include "corvane/platform/Colors.h"
#include "corvane/platform/Graphics.h"

#include <QImage>

#include <memory>

namespace corvane {

// Every graphic keeps its pixels in this opaque 24-bit-colour format.
constexpr QImage::Format GraphicPixelFormat = QImage::Format_RGB32;

class QtBitmapCanvas;

struct TGraphic::TImageData {
    TImageData();
    // A copy gets the pixels, not the canvas.
    TImageData(const TImageData& other);
    ~TImageData();

    // Every change of Image goes through here, so that a canvas painting on
    // the old pixels lets go of them first.
    void SetImage(QImage image);

    QImage Image;
    // TBitmap::Canvas(), made when first asked for; destroyed before Image.
    std::unique_ptr<QtBitmapCanvas> Canvas;
};

// The one way to the image behind a graphic.
struct TGraphicAccess {
    static TGraphic::TImageData& ImageData(TGraphic& graphic) { return *graphic.FImage; }
    static const TGraphic::TImageData& ImageData(const TGraphic& graphic) { return *graphic.FImage; }
};

// System colours are resolved; the top byte of a plain colour is ignored.
inline QRgb ToQRgb(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return qRgb(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

inline TColor FromQRgb(QRgb rgb)
{
    return static_cast<TColor>(qRed(rgb)) | static_cast<TColor>(qGreen(rgb)) << 8 |
           static_cast<TColor>(qBlue(rgb)) << 16;
}

} // namespace corvane
