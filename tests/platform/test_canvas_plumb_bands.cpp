// A bitmap's canvas skips plumb lines already showing; the pixels must match painting each in full.

#include "corvane/platform/Canvas.h"
#include "corvane/platform/Colors.h"
#include "corvane/platform/Graphics.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>

namespace corvane {
namespace {

constexpr int Width = 200;
constexpr int Height = 150;

void VerticalLine(TCanvas& canvas, int x, int y1, int y2, TColor color)
{
    canvas.Pen().Color = color;
    canvas.MoveTo(x, y1);
    canvas.LineTo(x, y2);
}

// The first pixel where the two bitmaps differ, empty when none does.
std::string FirstDifference(TBitmap& a, TBitmap& b)
{
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y))
                return std::to_string(x) + "," + std::to_string(y);
    return {};
}

TEST(CanvasPlumbBands, PaintingBetweenTwoEqualLinesShowsUnderTheSecond)
{
    TBitmap bitmap;
    bitmap.SetSize(Width, Height);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Pen().Width = 1;
    canvas.Pen().Style = psSolid;

    // A level line across the column, then the column again.
    VerticalLine(canvas, 50, 0, Height, clRed);
    canvas.Pen().Color = clBlue;
    canvas.MoveTo(0, 70);
    canvas.LineTo(Width, 70);
    VerticalLine(canvas, 50, 0, Height, clRed);
    EXPECT_EQ(bitmap.Pixel(50, 70), clRed);
    EXPECT_EQ(bitmap.Pixel(49, 70), clBlue);

    // A pixel set on the bitmap itself, past the canvas.
    VerticalLine(canvas, 60, 10, 140, clGreen);
    bitmap.SetPixel(60, 80, clYellow);
    VerticalLine(canvas, 60, 20, 120, clGreen);
    EXPECT_EQ(bitmap.Pixel(60, 80), clGreen);

    // An arrow head, a rectangle and text over the column.
    VerticalLine(canvas, 100, 0, Height, clBlack);
    canvas.Brush() = TBrush{clFuchsia, bsSolid};
    canvas.Polygon({Point(96, 30), Point(104, 30), Point(100, 38)});
    VerticalLine(canvas, 100, 0, Height, clBlack);
    EXPECT_EQ(bitmap.Pixel(100, 33), clBlack);
    canvas.Rectangle(90, 60, 110, 70);
    canvas.Font().Color = clWhite;
    canvas.TextOut(95, 100, "|||");
    VerticalLine(canvas, 100, 0, Height, clBlack);
    for (int y = 0; y < Height; ++y)
        ASSERT_EQ(bitmap.Pixel(100, y), clBlack) << y;

    // Another colour in part of the column, then the first colour over all of it.
    VerticalLine(canvas, 120, 0, Height, clRed);
    VerticalLine(canvas, 120, 40, 90, clBlue);
    VerticalLine(canvas, 120, 0, Height, clRed);
    for (int y = 0; y < Height; ++y)
        ASSERT_EQ(bitmap.Pixel(120, y), clRed) << y;

    // Through a new bitmap of the same size.
    VerticalLine(canvas, 140, 0, Height, clRed);
    bitmap.SetSize(Width, Height + 1);
    bitmap.SetSize(Width, Height);
    TCanvas& again = bitmap.Canvas();
    again.FillRect(Rect(0, 0, Width, Height));
    again.Pen().Width = 1;
    again.Pen().Style = psSolid;
    VerticalLine(again, 140, 0, Height, clRed);
    EXPECT_EQ(bitmap.Pixel(140, 75), clRed);
}

// Mostly plumb lines in few columns, with other painting between; the reference resets its
// clip every step, which forgets remembered lines.
TEST(CanvasPlumbBands, RandomPaintingGivesThePixelsOfPaintingEveryLineInFull)
{
    for (unsigned seed = 1; seed <= 6; ++seed) {
        TBitmap fast;
        TBitmap full;
        fast.SetSize(Width, Height);
        full.SetSize(Width, Height);
        std::mt19937 random(seed);
        const auto pick = [&random](int low, int high) {
            return std::uniform_int_distribution<int>(low, high)(random);
        };
        const TColor colors[] = {clRed, clBlue, clBlack, clGreen};
        const int columns[] = {20, 21, 60, 61, 120, 180};
        std::optional<TRect> clip;
        for (int step = 0; step < 1500; ++step) {
            const int kind = pick(0, 19);
            const TColor color = colors[pick(0, 3)];
            const int x = columns[pick(0, 5)];
            const int a = pick(-40, Height + 40);
            const int b = pick(-40, Height + 40);
            const int width = pick(0, 9) == 0 ? 2 : 1;
            const TPenStyle style = pick(0, 9) == 0 ? psDash : psSolid;
            const int px = pick(0, Width - 1);
            const int py = pick(0, Height - 1);
            if (kind == 19)
                clip = pick(0, 1)
                           ? std::optional<TRect>{Rect(pick(0, 50), pick(0, 50), pick(100, Width), pick(100, Height))}
                           : std::nullopt;
            for (TBitmap* bitmap : {&fast, &full}) {
                TCanvas& canvas = bitmap->Canvas();
                if (bitmap == &full || kind == 19)
                    canvas.SelectClipRect(clip);
                canvas.Pen().Width = width;
                canvas.Pen().Style = style;
                canvas.Pen().Color = color;
                if (kind < 10) {
                    canvas.MoveTo(x, a);
                    canvas.LineTo(x, b);
                } else if (kind < 14) {
                    canvas.MoveTo(px - 30, py);
                    canvas.LineTo(px + 30, py);
                } else if (kind == 14) {
                    canvas.MoveTo(px, py);
                    canvas.LineTo(x, a);
                } else if (kind == 15) {
                    canvas.Brush() = TBrush{color, bsSolid};
                    canvas.Polygon({Point(x, py), Point(x - 8, py - 4), Point(x - 8, py + 4)});
                } else if (kind == 16) {
                    canvas.Brush() = TBrush{color, bsSolid};
                    canvas.FillRect(Rect(px, py, px + 5, py + 5));
                } else if (kind == 17) {
                    bitmap->SetPixel(x, py, clYellow);
                } else if (kind == 18) {
                    canvas.SetPixel(x, py, clAqua);
                }
            }
            if (step % 100 == 99 || step == 1499) {
                const std::string where = FirstDifference(fast, full);
                ASSERT_TRUE(where.empty()) << "seed " << seed << ", step " << step << ", first at " << where;
            }
        }
    }
}

} // namespace
} // namespace corvane
