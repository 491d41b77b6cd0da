#pragma once
// The Qt image behind a TGraphic, for the Qt implementations that draw
// graphics or paint into bitmaps.

#include <QImage>

#include "platform/Colors.h"
#include "platform/Graphics.h"

namespace corvane {

// Every graphic keeps its pixels in this opaque 24-bit-colour format.
constexpr QImage::Format GraphicPixelFormat = QImage::Format_RGB32;

struct TGraphic::TImageData {
    QImage Image;
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
