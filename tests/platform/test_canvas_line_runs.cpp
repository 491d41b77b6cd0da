// Shortcuts of a bitmap's canvas must paint and leave state as the painter does.

#include "corvane/platform/Colors.h"

#include "support/CanvasComparison.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace corvane {
namespace {

constexpr int Width = 120;
constexpr int Height = 50;

void ExpectSame(const std::function<void(TCanvas&)>& paint, const std::string& what)
{
    test::expectBitmapPaintsAsPainter(Width, Height, paint, what);
}

std::vector<TColor> Ramp(int count)
{
    std::vector<TColor> colors;
    for (int i = 0; i < count; ++i)
        colors.push_back(static_cast<TColor>((3 * i) | (255 - 2 * i) << 8 | ((7 * i) & 0xFF) << 16));
    return colors;
}

TEST(CanvasLineRuns, PaintWhatOneLineAtATimePaintsAlsoUnderAMapping)
{
    struct Run {
        int First, From, To, Count;
    };
    const Run runs[] = {
        {10, 5, 30, 40},           // forwards
        {60, 40, 8, 30},           // backwards: the end point is left out at the top
        {-15, -4, Height + 9, 50}, // off the surface on both sides
        {Width - 5, 2, 20, 12},    // beyond the right or lower edge
        {30, 17, 17, 5},           // points only: nothing
    };
    const TPenStyle styles[] = {psSolid, psInsideFrame, psDot, psClear};
    for (const Run& run : runs)
        for (bool vertical : {true, false})
            for (TPenStyle style : styles)
                for (int width : {0, 1, 3}) {
                    const auto paint = [&](TCanvas& canvas) {
                        canvas.Pen() = TPen{clBlack, style, width};
                        canvas.MoveTo(1, 1);
                        const std::vector<TColor> colors = Ramp(run.Count);
                        canvas.LineRun(vertical, run.First, run.From, run.To, colors);
                        // And clipped to a rectangle that cuts the run on every side.
                        canvas.SelectClipRect(Rect(20, 10, 45, 25));
                        canvas.LineRun(vertical, run.First + 3, run.To, run.From, colors);
                        canvas.SelectClipRect(std::nullopt);
                    };
                    ExpectSame(paint, "run at " + std::to_string(run.First) + (vertical ? " vertical" : " level") +
                                          " style " + std::to_string(style) + " width " + std::to_string(width));
                }

    // Under a mapping too.
    for (double scale : {0.5, 2.0}) {
        const auto paint = [scale](TCanvas& canvas) {
            canvas.SetMapping(3, -2, scale, scale);
            canvas.LineRun(true, 4, 2, 30, Ramp(25));
            canvas.LineRun(false, 8, 40, 3, Ramp(9));
        };
        ExpectSame(paint, "scale " + std::to_string(scale));
    }
}

TEST(CanvasLineRuns, NoColoursLeaveTheCanvasAsItWas)
{
    TBitmap bitmap;
    bitmap.SetSize(10, 10);
    TCanvas& canvas = bitmap.Canvas();
    canvas.MoveTo(4, 5);
    canvas.Pen().Color = clRed;
    canvas.LineRun(true, 0, 0, 10, {});
    EXPECT_EQ(canvas.PenPos(), Point(4, 5));
    EXPECT_EQ(canvas.Pen().Color, clRed);
    EXPECT_EQ(bitmap.Pixel(0, 0), clWhite);
}

TEST(CanvasLineRuns, SolidFillsPaintWhatThePainterPaints)
{
    // White is written byte by byte, other colours pixel by pixel, whole lines as one stretch.
    for (TColor color : {clWhite, clBlack, TColor{0x123456}, TColor{0x7F7F7F}}) {
        const auto paint = [color](TCanvas& canvas) {
            canvas.Brush() = TBrush{clRed, bsSolid};
            canvas.FillRect(Rect(0, 0, Width, Height));
            canvas.Brush().Color = color;
            canvas.FillRect(Rect(-5, 3, Width + 5, 9));  // whole lines
            canvas.FillRect(Rect(2, 12, Width - 1, 20)); // long runs
            canvas.FillRect(Rect(7, 22, 9, 40));         // short runs
            canvas.FillRect(Rect(0, Height - 2, Width, Height + 10));
            canvas.SelectClipRect(Rect(10, 30, 100, 45)); // whole lines, cut by the clip
            canvas.FillRect(Rect(-1, 25, Width + 1, 48));
            canvas.SelectClipRect(std::nullopt);
        };
        ExpectSame(paint, "colour " + std::to_string(color));
    }
}

TEST(CanvasLineRuns, TextsMeasuredAndPaintedInTurnPaintWhatThePainterPaints)
{
    // More texts and fonts than a canvas keeps at hand, in a changing order.
    const std::string texts[] = {"Task 1", "0%", "A", "Task 12", "95%", "gjpqy", "Task 1"};
    const auto paint = [&texts](TCanvas& canvas) {
        canvas.Brush().Style = bsClear;
        int y = 0;
        for (int round = 0; round < 3; ++round)
            for (const std::string& text : texts) {
                canvas.Font().SetHeight(round == 1 ? -15 : -11);
                canvas.Font().Style = round == 2 ? TFontStyles{fsBold} : TFontStyles{};
                const TSize size = canvas.TextExtent(text);
                canvas.TextOut((y * 17) % (Width - size.cx), y % (Height - 12), text);
                canvas.TextOut(size.cx, 30, text);
                ++y;
            }
    };
    ExpectSame(paint, "texts");

    // The measures follow the font, not the text last asked for.
    TBitmap bitmap;
    bitmap.SetSize(10, 10);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Font().SetHeight(-11);
    const TSize small = canvas.TextExtent("Task 12");
    canvas.Font().SetHeight(-22);
    const TSize large = canvas.TextExtent("Task 12");
    EXPECT_GT(large.cx, small.cx);
    EXPECT_GT(large.cy, small.cy);
    canvas.Font().SetHeight(-11);
    EXPECT_EQ(canvas.TextExtent("Task 12"), small);
}

} // namespace
} // namespace corvane
