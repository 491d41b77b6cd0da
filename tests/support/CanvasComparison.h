#pragma once
// The canvas of a bitmap takes shortcuts that the same canvas over a painter does not: both
// must paint the same pixels and leave the same pen and position.

#include "corvane/platform/Canvas.h"
#include "corvane/platform/Graphics.h"
#include "corvane/platform/qt/QtCanvas.h"
#include "corvane/platform/qt/QtGraphics.h"

#include <QImage>
#include <QPainter>

#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace corvane::test {

/// Paints `times` times on a bitmap and through a painter on an image of the same size; expects
/// the same pixels, pen and current position.
inline void expectBitmapPaintsAsPainter(int width, int height, const std::function<void(TCanvas&)>& paint,
                                        const std::string& what, int times = 1)
{
    TBitmap bitmap;
    bitmap.SetSize(width, height);
    for (int i = 0; i < times; ++i)
        paint(bitmap.Canvas());

    QImage image(width, height, GraphicPixelFormat);
    image.fill(Qt::white);
    TPen pen;
    TPoint position;
    {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        for (int i = 0; i < times; ++i)
            paint(canvas);
        pen = canvas.Pen();
        position = canvas.PenPos();
    }
    EXPECT_EQ(bitmap.Canvas().Pen(), pen) << what;
    EXPECT_EQ(bitmap.Canvas().PenPos(), position) << what;
    int count = 0;
    std::string first;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (bitmap.Pixel(x, y) != FromQRgb(image.pixel(x, y)) && count++ == 0)
                first = std::to_string(x) + "," + std::to_string(y);
    EXPECT_EQ(count, 0) << what << ", first at " << first;
}

} // namespace corvane::test
