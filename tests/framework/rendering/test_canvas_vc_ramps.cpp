// Ramps are written to bitmaps in runs; they must paint what single lines paint.

#include "corvane/framework/rendering/qvtCanvasVC.h"

#include "support/CanvasComparison.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace corvane {
namespace {

constexpr int Width = 300;
constexpr int Height = 60;

// Paints through a visual context over each canvas.
void ExpectSame(const std::function<void(TCanvas&, TQVTCanvasVC&)>& paint, const std::string& what)
{
    test::expectBitmapPaintsAsPainter(
        Width, Height,
        [&paint](TCanvas& canvas) {
            TQVTCanvasVC vc(canvas);
            paint(canvas, vc);
        },
        what);
}

TEST(CanvasVCRamps, GradientsAndBrighteningPaintWhatSingleLinesPaint)
{
    for (bool horizontal : {true, false})
        for (int penWidth : {1, 2})
            for (bool mapped : {false, true}) {
                const auto paint = [=](TCanvas& canvas, TQVTCanvasVC& vc) {
                    canvas.Pen().Width = penWidth;
                    if (mapped)
                        canvas.SetMapping(1, 0, 1.5, 0.75);
                    // Longer than one run of lines, and reaching past the surface.
                    vc.gradientFill(Rect(-20, 4, Width + 30, 40), 0x2040FF, 0xFF8010, horizontal);
                    vc.gradientFill(Rect(10, 42, 70, 58), clBlack, clWhite, !horizontal);
                    vc.brighten(Rect(30, 10, 200, 50), 0x203040, horizontal);
                    vc.SetClipRect(Rect(40, 20, 120, 35));
                    vc.gradientFill(Rect(30, 0, 130, Height), clRed, clBlue, horizontal);
                    vc.brighten(Rect(0, 0, Width, Height), 0x101010, !horizontal);
                    vc.ResetClipRect();
                };
                ExpectSame(paint, std::string(horizontal ? "horizontal" : "vertical") + " pen " +
                                      std::to_string(penWidth) + (mapped ? " mapped" : ""));
            }
}

TEST(CanvasVCRamps, BrighteningAddsToThePixelUnderEachLine)
{
    TBitmap bitmap;
    bitmap.SetSize(Width, Height);
    TQVTCanvasVC vc(bitmap.Canvas());
    vc.gradientFill(Rect(0, 0, Width, Height), 0x000810, 0x40C0E0, true);
    const TBitmap before(bitmap);
    const TRect r = Rect(5, 10, 280, 30);
    vc.brighten(r, 0x302010, true);
    for (int x = 0; x < Width; ++x)
        for (int y : {9, 10, 29, 30}) {
            const bool inside = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
            const TColor expected =
                inside ? TQVTCanvasVC::addColor(0x302010, before.Pixel(x, r.Top)) : before.Pixel(x, y);
            ASSERT_EQ(bitmap.Pixel(x, y), expected) << x << "," << y;
        }

    // A line two pixels wide covers the next line's pixel, which then adds to what it painted.
    vc.FillArea(Rect(0, 0, Width, Height), 0x404040, bsSolid);
    bitmap.Canvas().Pen().Width = 2;
    vc.brighten(Rect(10, 0, 15, 10), 0x010101, true);
    for (int x = 10; x < 15; ++x)
        EXPECT_EQ(bitmap.Pixel(x, 5), 0x010101u * static_cast<TColor>(0x40 + x - 9)) << x;
    EXPECT_EQ(bitmap.Pixel(15, 5), 0x454545u); // the last line's second column
}

} // namespace
} // namespace corvane
