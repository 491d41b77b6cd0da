#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/platform/ColorUtils.h"

#include "support/PixelChecks.h"

#include <climits>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace corvane {
namespace {

using test::expectPixels;

constexpr TColor Gray = 0x808080;

class VisualContext : public ::testing::Test {
protected:
    VisualContext()
    {
        Bitmap.SetSize(200, 150);
        Canvas().Brush() = TBrush{clWhite, bsSolid};
        Canvas().FillRect(Rect(0, 0, 200, 150));
    }

    TCanvas& Canvas() { return Bitmap.Canvas(); }
    TColor At(int x, int y) { return Bitmap.Pixel(x, y); }

    // Paints everything the canvas lets through.
    void FillAll(TColor color) { VC.FillArea(Rect(-10, -10, 500, 500), color, bsSolid); }

    // Counts the pixels of a region that are not white.
    int Inked(TRect r)
    {
        int count = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                count += At(x, y) != clWhite;
        return count;
    }

    TBitmap Bitmap;
    TQVTCanvasVC VC{Bitmap.Canvas()};
};

TEST(ColorUtils, HueLuminanceSaturationScale)
{
    int h, l, s;
    ColorRGBToHLS(clRed, h, l, s);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(l, 120);
    EXPECT_EQ(s, 240);
    ColorRGBToHLS(clBlue, h, l, s);
    EXPECT_EQ(h, 160);
    ColorRGBToHLS(clWhite, h, l, s);
    EXPECT_TRUE(l == 240 && s == 0);
    for (TColor c : {clRed, clLime, clBlue, clYellow, clAqua, clFuchsia, clBlack, clWhite, Gray, clNavy}) {
        EXPECT_EQ(ColorAdjustLuma(c, 0), c) << std::hex << c;
    }
    // Raising the luminance keeps the hue and stops at white; lowering at black.
    EXPECT_EQ(ColorAdjustLuma(clRed, 60), 0x8080FFu);
    EXPECT_EQ(ColorAdjustLuma(clRed, 500), clWhite);
    EXPECT_EQ(ColorAdjustLuma(Gray, -500), clBlack);
    // The top byte of a system colour is not taken for a colour channel.
    EXPECT_EQ(ColorAdjustLuma(clBtnFace, 0), 0x0Fu);
}

TEST_F(VisualContext, NestedClipsIntersectAndRestoreExactly)
{
    EXPECT_EQ(VC.SetClipRect(Rect(10, 10, 100, 100)), TQVTCanvasVC::NoClipping);
    EXPECT_EQ(VC.SetClipRect(Rect(50, 50, 150, 150)), Rect(10, 10, 100, 100));
    EXPECT_EQ(VC.GetClipRect(), Rect(50, 50, 100, 100));
    FillAll(clRed);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), 50 * 50);

    EXPECT_EQ(VC.ResetClipRect(), Rect(10, 10, 100, 100));
    FillAll(clBlue);
    expectPixels(Bitmap, {{10, 10, clBlue}, {99, 99, clBlue}, {9, 10, clWhite}, {100, 50, clWhite}});

    EXPECT_EQ(VC.ResetClipRect(), TQVTCanvasVC::NoClipping);
    EXPECT_EQ(VC.GetClipRect(), TRect{});
    FillAll(clLime);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), 200 * 150);

    // An unmatched reset keeps the no-clipping entry.
    EXPECT_EQ(VC.ResetClipRect(), TQVTCanvasVC::NoClipping);
    EXPECT_EQ(VC.ResetClipRect(), TQVTCanvasVC::NoClipping);
    EXPECT_EQ(VC.SetClipRect(Rect(5, 5, 10, 10)), TQVTCanvasVC::NoClipping);
    EXPECT_EQ(VC.GetClipRect(), Rect(5, 5, 10, 10));
    EXPECT_EQ(VC.ResetClipRect(), TQVTCanvasVC::NoClipping);
    EXPECT_EQ(VC.GetClipRect(), TRect{});

    // A no-clipping level leaves the device clip as it is.
    VC.SetClipRect(Rect(10, 10, 40, 40));
    EXPECT_EQ(VC.SetClipRect(TQVTCanvasVC::NoClipping), Rect(10, 10, 40, 40));
    EXPECT_EQ(VC.GetClipRect(), Rect(10, 10, 40, 40));
    EXPECT_EQ(VC.ResetClipRect(), Rect(10, 10, 40, 40));
    EXPECT_EQ(VC.GetClipRect(), Rect(10, 10, 40, 40));
    VC.ResetClipRect();

    // A disjoint clip hides everything until reset.
    FillAll(clWhite);
    VC.SetClipRect(Rect(0, 0, 50, 50));
    EXPECT_EQ(VC.SetClipRect(Rect(100, 100, 150, 150)), Rect(0, 0, 50, 50));
    FillAll(clRed);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), 0);
    VC.ResetClipRect();
    FillAll(clRed);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), 50 * 50);
    VC.ResetClipRect();
}

TEST_F(VisualContext, ClipsAreMappedToDevicePixels)
{
    Canvas().SetMapping(0, 0, 2, 2);
    VC.SetClipRect(Rect(10, 10, 30, 30));
    EXPECT_EQ(VC.SetClipRect(Rect(20, 20, 60, 60)), Rect(10, 10, 30, 30));
    EXPECT_EQ(VC.GetClipRect(), Rect(40, 40, 60, 60));
    FillAll(clRed);
    expectPixels(Bitmap, {{40, 40, clRed}, {59, 59, clRed}, {39, 45, clWhite}, {60, 45, clWhite}});
    // The level below comes back in device pixels.
    EXPECT_EQ(VC.ResetClipRect(), Rect(20, 20, 60, 60));
    VC.ResetClipRect();

    Canvas().SetMapping(0, 0, 0.5, 0.5);
    VC.SetClipRect(Rect(100, 60, 140, 100));
    EXPECT_EQ(VC.GetClipRect(), Rect(50, 30, 70, 50));
    FillAll(clBlue);
    expectPixels(Bitmap, {{50, 30, clBlue}, {69, 49, clBlue}, {49, 30, clWhite}, {70, 49, clWhite}, {69, 50, clWhite}});
    VC.ResetClipRect();
}

TEST_F(VisualContext, ClippingAreaVisibleAreaAndVisibilityCountingEdges)
{
    VC.setVisibleArea(Rect(0, 0, -5, -5));
    EXPECT_EQ(VC.getVisibleArea(), Rect(0, 0, 1, 1));

    VC.setVisibleArea(Rect(20, 10, 400, 100));
    VC.SetClipRect(Rect(0, 30, 50, 300));
    EXPECT_EQ(VC.clippingArea(), Rect(20, 30, 50, 100));
    VC.ResetClipRect();
    EXPECT_EQ(VC.clippingArea(), Rect(20, 10, 200, 100));

    VC.setVisibleArea(Rect(10, 10, 100, 100));
    EXPECT_FALSE(VC.visible(Rect(50, 50, 50, 60)));
    EXPECT_FALSE(VC.visible(Rect(50, 60, 60, 50)));
    EXPECT_TRUE(VC.visible(Rect(100, 100, 110, 110)));
    EXPECT_TRUE(VC.visible(Rect(0, 0, 10, 10)));
    EXPECT_FALSE(VC.visible(Rect(101, 50, 110, 60)));
    EXPECT_TRUE(VC.fullyVisible(Rect(10, 10, 100, 100)));
    EXPECT_FALSE(VC.fullyVisible(Rect(10, 10, 101, 100)));
    EXPECT_FALSE(VC.fullyVisible(Rect(9, 10, 50, 50)));
}

TEST_F(VisualContext, GradientRunsFromFirstToLastLine)
{
    VC.gradientFill(Rect(0, 0, 10, 5), clBlack, 0x0064C8, true);
    // (5, 2) is 5/9 of the way: 111.1 -> 111, 55.6 -> 56.
    expectPixels(Bitmap, {{0, 0, clBlack}, {9, 4, 0x0064C8u}, {5, 2, 0x00386Fu}, {10, 0, clWhite}, {0, 5, clWhite}});

    VC.gradientFill(Rect(20, 20, 30, 21), clRed, clBlue, false);
    expectPixels(Bitmap, {{20, 20, clRed}, {29, 20, clRed}, {20, 21, clWhite}});

    VC.gradientFill(Rect(40, 20, 45, 22), clRed, clBlue, false);
    expectPixels(Bitmap, {{44, 20, clRed}, {44, 21, clBlue}});

    // Brightening adds to each line.
    VC.gradientFill(Rect(0, 0, 10, 6), 0x102030, 0x405060, false);
    VC.brighten(Rect(0, 0, 10, 6), 0xF00101, false);
    expectPixels(Bitmap, {{3, 0, 0xFF2131u}, {9, 5, 0xFF5161u}});

    EXPECT_EQ(TQVTCanvasVC::addColor(0x0064C8, 0x646464), 0x64C8FFu);
}

// The whole integer range as a rectangle, and turned inside out.
const TRect Everything = Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
const TRect InsideOut = Rect(INT_MAX, INT_MAX, INT_MIN, INT_MIN);

TEST_F(VisualContext, GradientsOverTheIntegerRangePaintTheirVisibleLines)
{
    // The visible lines lie halfway along a ramp of 2^32 - 1 lines.
    VC.gradientFill(Everything, clBlack, clWhite, true);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), 200 * 150);
    expectPixels(Bitmap, {{0, 0, 0x808080u}, {199, 149, 0x808080u}});
    EXPECT_EQ(Canvas().Pen().Color, clWhite); // the colour of the last line
    VC.gradientFill(Everything, clWhite, clBlack, false);
    expectPixels(Bitmap, {{0, 0, 0x7F7F7Fu}, {199, 149, 0x7F7F7Fu}});

    // A short ramp whose lines span the range across.
    VC.gradientFill(Rect(0, INT_MIN, 10, INT_MAX), clBlack, 0x0064C8, true);
    VC.gradientFill(Rect(INT_MIN, 100, INT_MAX, 102), clRed, clBlue, false);
    for (int y : {0, 99, 102, 149}) {
        expectPixels(Bitmap, {{0, y, clBlack}, {5, y, 0x00386Fu}, {9, y, 0x0064C8u}});
    }
    expectPixels(Bitmap, {{0, 100, clRed}, {199, 101, clBlue}});

    // Inside out along the ramp, or without width or height: nothing.
    FillAll(clWhite);
    for (bool horizontal : {true, false}) {
        VC.gradientFill(InsideOut, clBlack, clRed, horizontal);
        VC.gradientFill(Rect(5, INT_MIN, 5, INT_MAX), clBlack, clRed, horizontal);
        VC.gradientFill(Rect(INT_MIN, 5, INT_MAX, 5), clBlack, clRed, horizontal);
    }
    VC.gradientFill(Rect(INT_MAX, INT_MIN, INT_MIN, INT_MAX), clBlack, clRed, true);
    VC.gradientFill(Rect(INT_MIN, INT_MAX, INT_MAX, INT_MIN), clBlack, clRed, false);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), 0);
}

TEST(CanvasVC, ClippedGradientPaintsWhatTheWholeOnePaints)
{
    // Paints the ramp on two bitmaps, one of them clipped to `clip` (device
    // pixels), and compares what is inside the clip.
    const auto expectClippedLikeWhole = [](const TMapping& mapping, int penWidth, TRect ramp, TColor from, TColor to,
                                           bool horizontal, TRect clip) {
        TBitmap whole, clipped;
        for (TBitmap* bitmap : {&whole, &clipped}) {
            bitmap->SetSize(200, 150);
            TCanvas& canvas = bitmap->Canvas();
            canvas.SetMapping(mapping);
            canvas.Pen().Width = penWidth;
            canvas.SelectClipRect(bitmap == &clipped ? std::optional(clip) : std::nullopt);
            TQVTCanvasVC(canvas).gradientFill(ramp, from, to, horizontal);
            EXPECT_EQ(canvas.Pen().Color, to); // the last line's, drawn or not
        }
        for (int y = clip.Top; y < clip.Bottom; ++y)
            for (int x = clip.Left; x < clip.Right; ++x)
                ASSERT_EQ(clipped.Pixel(x, y), whole.Pixel(x, y)) << x << "," << y;
    };

    // In the last bit the colours of this ramp depend on the order of the
    // sums, which moves some of them across a rounding tie: a clipped ramp
    // must not start afresh at its first visible line.
    for (int left : {18, 30})
        expectClippedLikeWhole(TMapping{}, 1, Rect(0, 0, 37, 10), clWhite, clBlack, true, Rect(left, 0, 37, 10));

    // Lines just outside the clip still reach into it with a wide pen, or
    // when the mapping rounds them onto its edge pixels.
    for (const TMapping& mapping : {TMapping{0, 0, 0.3, 0.3}, TMapping{3, -2, 2.5, 2.5}, TMapping{190, 140, -1.5, -1}})
        for (int width : {1, 4})
            for (bool horizontal : {true, false}) {
                SCOPED_TRACE("scale " + std::to_string(mapping.ScaleX) + ", pen " + std::to_string(width) +
                             (horizontal ? ", horizontal" : ", vertical"));
                expectClippedLikeWhole(mapping, width, Rect(-300, -300, 300, 300), clBlack, clWhite, horizontal,
                                       Rect(61, 43, 97, 88));
            }
}

TEST_F(VisualContext, BrightenReadsTheFirstVisiblePixelOfEachLine)
{
    VC.gradientFill(Rect(0, 0, 200, 150), clBlack, 0x6060C0, true);
    TBitmap before(Bitmap);
    VC.brighten(Everything, 0x102030, true);
    for (int x : {0, 77, 199})
        for (int y : {0, 149})
            EXPECT_EQ(At(x, y), TQVTCanvasVC::addColor(before.Pixel(x, y), 0x102030)) << x << "," << y;

    // Across the lines: the first row of the rectangle lies above the clip,
    // in a band of another colour.
    FillAll(clWhite);
    VC.gradientFill(Rect(0, 40, 200, 150), clBlack, 0x6060C0, false);
    VC.FillArea(Rect(0, 0, 200, 40), clRed, bsSolid);
    before.Assign(Bitmap);
    VC.SetClipRect(Rect(50, 40, 150, 100));
    VC.brighten(Rect(INT_MIN, 0, INT_MAX, INT_MAX), 0x101010, false);
    VC.ResetClipRect();
    EXPECT_EQ(At(50, 40), TQVTCanvasVC::addColor(before.Pixel(50, 40), 0x101010));
    EXPECT_EQ(At(149, 99), TQVTCanvasVC::addColor(before.Pixel(149, 99), 0x101010));
    EXPECT_EQ(At(49, 40), before.Pixel(49, 40));
    EXPECT_EQ(At(50, 39), clRed);
    EXPECT_EQ(At(50, 100), before.Pixel(50, 100));

    before.Assign(Bitmap);
    for (bool horizontal : {true, false}) {
        VC.brighten(InsideOut, clWhite, horizontal);
        VC.brighten(Rect(5, INT_MIN, 5, INT_MAX), clWhite, horizontal);
    }
    for (int y = 0; y < 150; y += 7)
        for (int x = 0; x < 200; x += 7)
            ASSERT_EQ(At(x, y), before.Pixel(x, y)) << x << "," << y;
}

TEST_F(VisualContext, TextCentredInExtremeRectanglesStaysInRange)
{
    VC.setFont("Arial", 10, clBlack, false, false, false, 0);
    const std::string text = "Centred";
    const int w = VC.TextWidth(text);
    const int h = VC.TextHeight(text);
    const TRect placed = VC.centerText(Everything, text, true);
    EXPECT_EQ(placed, Rect((-1 - w) / 2, (-1 - h) / 2, (-1 - w) / 2 + w, (-1 - h) / 2 + h));
    EXPECT_GT(Inked(Rect(0, 0, placed.Right, placed.Bottom)), 0);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), Inked(Rect(0, 0, placed.Right, placed.Bottom)));

    // Centres beyond the range stop at its ends.
    const auto nearMax = [](int extent) { return static_cast<int>((2LL * INT_MAX - 2 - extent) / 2); };
    EXPECT_EQ(VC.centerText(Rect(INT_MAX - 2, INT_MAX - 2, INT_MAX, INT_MAX), text, true),
              Rect(nearMax(w), nearMax(h), INT_MAX, INT_MAX));
    EXPECT_EQ(VC.centerText(Rect(INT_MIN, INT_MIN, INT_MIN + 2, INT_MIN + 2), text, true),
              Rect(INT_MIN, INT_MIN, INT_MIN + w, INT_MIN + h));

    FillAll(clWhite);
    VC.centerTextVertical(Everything, text);
    const int x = (-1 - h) / 2;
    const int y = (-1 + w) / 2;
    EXPECT_GT(Inked(Rect(0, 0, x + h, y + 1)), 0);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), Inked(Rect(0, 0, x + h, y + 1)));
    VC.centerTextVertical(InsideOut, text);
    VC.centerTextVertical(Rect(INT_MAX, INT_MIN, INT_MAX, INT_MIN), text);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), Inked(Rect(0, 0, x + h, y + 1)));
}

TEST_F(VisualContext, ArrowsAtTheIntegerLimitsDoNotWrapAround)
{
    // The base of each triangle lies beyond the range; wrapped around, it
    // would spread the triangle across the whole surface.
    VC.setDrawingColor(clRed);
    VC.drawHorzArrow(75, INT_MAX, INT_MAX);
    VC.drawHorzArrow(75, INT_MIN, INT_MIN + 1);
    VC.drawVertArrow(100, INT_MAX, INT_MAX);
    VC.drawVertArrow(100, INT_MIN, INT_MIN + 1);
    VC.drawTriangle(INT_MIN, 50, 8, 1);
    VC.drawTriangle(INT_MAX, 50, INT_MAX, 3);
    VC.drawTriangle(100, INT_MAX, INT_MAX, 0);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), 0);

    // A shaft across the range with its tip far away.
    VC.drawHorzArrow(75, INT_MIN, INT_MAX);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), 200);
    expectPixels(Bitmap, {{0, 75, clRed}, {199, 75, clRed}});
}

TEST_F(VisualContext, RectangleOperationsAtTheIntegerRange)
{
    VC.FillArea(Everything, clTeal, bsSolid);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), 200 * 150);
    EXPECT_EQ(At(0, 0), clTeal);
    VC.drawRect(Everything, psSolid, clRed);
    VC.DrawRessourceLabelRect(Everything, clRed);
    VC.fillBounds(Everything, Rect(INT_MIN + 1, INT_MIN + 1, INT_MAX - 1, INT_MAX - 1), clRed, bsSolid);
    expectPixels(Bitmap, {{0, 0, clTeal}, {199, 149, clTeal}});

    VC.DrawPattern(Everything, clYellow, clRed, bsHorizontal);
    expectPixels(Bitmap, {{10, 8, clRed}, {10, 9, clYellow}});

    // The lit upper part ends above the surface, the solid lower half starts at its top.
    VC.Draw3dFrame(Everything, clNavy);
    expectPixels(Bitmap, {{0, 0, ColorAdjustLuma(clNavy, 0)}, {199, 149, ColorAdjustLuma(clNavy, 0)}});
    FillAll(clWhite);
    VC.Draw3dFrame(Rect(0, INT_MAX - 1, 200, INT_MAX), clNavy);
    VC.Draw3dFrame(InsideOut, clNavy);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), 0);

    // The saved area is what the surface has of the rectangle.
    VC.gradientFill(Rect(0, 0, 200, 150), clBlack, clWhite, true);
    const TBitmap before(Bitmap);
    VC.saveArea(Everything);
    FillAll(clRed);
    VC.restoreArea();
    for (int y = 0; y < 150; y += 7)
        for (int x = 0; x < 200; x += 7)
            ASSERT_EQ(At(x, y), before.Pixel(x, y)) << x << "," << y;
    VC.saveArea(InsideOut);
    FillAll(clRed);
    VC.restoreArea();
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), 200 * 150);
    EXPECT_EQ(At(100, 100), clRed);

    // Text still shows under a clip that spans the range.
    FillAll(clWhite);
    VC.SetClipRect(Everything);
    VC.setFont("Arial", 10, clBlack, false, false, false, 0);
    VC.centerText(Rect(0, 0, 200, 150), "Clipped", true);
    VC.ResetClipRect();
    EXPECT_GT(Inked(Rect(0, 0, 200, 150)), 0);
}

TEST_F(VisualContext, TrianglesAndArrows)
{
    VC.setDrawingColor(clRed);
    VC.drawVertArrow(30, 10, 60); // down, tip (30, 60), base y 52 from x 26 to 34
    expectPixels(Bitmap, {{30, 10, clRed}, {30, 60, clRed}, {30, 61, clWhite}, {29, 51, clWhite}});
    expectPixels(Bitmap, {{26, 52, clRed}, {34, 52, clRed}, {25, 52, clWhite}, {35, 52, clWhite}});

    VC.drawVertArrow(60, 60, 10); // up, tip (60, 10), base y 18
    expectPixels(Bitmap, {{60, 10, clRed}, {60, 9, clWhite}, {56, 18, clRed}, {64, 18, clRed}, {61, 19, clWhite}});

    VC.drawHorzArrow(100, 50, 20); // left, tip (20, 100), base x 28
    expectPixels(Bitmap, {{50, 100, clRed}, {20, 100, clRed}, {19, 100, clWhite}});
    expectPixels(Bitmap, {{28, 96, clRed}, {28, 104, clRed}, {29, 99, clWhite}});

    VC.drawHorzArrow(130, 120, 150); // right, tip (150, 130), base x 142
    // (141, 130) is on the shaft.
    expectPixels(Bitmap,
                 {{150, 130, clRed}, {151, 130, clWhite}, {142, 126, clRed}, {142, 134, clRed}, {141, 130, clRed}});

    EXPECT_EQ(Canvas().Brush(), (TBrush{clRed, bsSolid}));
}

TEST_F(VisualContext, LinesFillsAndFrames)
{
    VC.setDrawingColor(clBlue);
    VC.drawLine(Point(10, 5), Point(20, 5));
    expectPixels(Bitmap, {{10, 5, clBlue}, {19, 5, clBlue}, {20, 5, clWhite}});

    Canvas().Brush() = TBrush{clLime, bsSolid};
    VC.FillArea(Rect(10, 10, 20, 20), clRed, bsSolid);
    EXPECT_EQ(Inked(Rect(0, 10, 200, 30)), 100);
    EXPECT_EQ(Canvas().Brush(), (TBrush{clLime, bsSolid}));
    EXPECT_EQ(Canvas().Pen().Color, clRed);

    VC.fillBounds(Rect(40, 40, 80, 80), Rect(50, 50, 70, 70), clNavy, bsSolid);
    EXPECT_EQ(Inked(Rect(40, 40, 80, 80)), 40 * 40 - 20 * 20);
    EXPECT_EQ(Inked(Rect(50, 50, 70, 70)), 0);

    VC.setPenWidth(3);
    VC.drawRect(Rect(100, 10, 120, 30), psSolid, clRed);
    // A wide pen is centred on the edge.
    expectPixels(Bitmap, {{100, 10, clRed}, {99, 20, clRed}, {101, 20, clRed}, {102, 20, clWhite}, {110, 20, clWhite}});
    EXPECT_EQ(Canvas().Pen(), (TPen{clNavy, psSolid, 3}));
    EXPECT_EQ(Canvas().Brush().Style, bsClear);

    VC.DrawRessourceLabelRect(Rect(130, 10, 150, 30), clBlue);
    expectPixels(Bitmap, {{130, 20, clBlue}, {131, 20, clBlue}, {132, 20, clWhite}});
    EXPECT_EQ(Canvas().Pen(), (TPen{clBlue, psSolid, 1}));

    VC.drawPixel(5, 140, clRed);
    EXPECT_EQ(At(5, 140), clRed);

    VC.setDrawingColor(clBlack);
    VC.drawPolygon({Point(160, 100), Point(190, 100), Point(190, 130)}, clYellow);
    expectPixels(Bitmap, {{185, 105, clYellow}, {165, 125, clWhite}});
    EXPECT_EQ(Canvas().Brush().Style, bsClear);
}

TEST_F(VisualContext, PatternsHatchOverTheFirstColour)
{
    VC.setDrawingColor(clBlack);
    VC.DrawPattern(Rect(16, 16, 48, 48), clYellow, clRed, bsHorizontal);
    // The frame, a hatch row and the first colour between the rows.
    expectPixels(Bitmap, {{16, 30, clBlack}, {30, 24, clRed}, {30, 25, clYellow}});
    EXPECT_EQ(Canvas().Brush(), (TBrush{clWhite, bsSolid}));

    VC.DrawPattern(Rect(60, 16, 70, 26), clYellow, clRed, bsSolid);
    VC.DrawPattern(Rect(80, 16, 90, 26), clYellow, clRed, bsClear);
    expectPixels(Bitmap, {{65, 20, clRed}, {85, 20, clYellow}});
}

TEST_F(VisualContext, ThreeDFrameIsLitFromAbove)
{
    Canvas().Brush() = TBrush{clLime, bsClear};
    VC.Draw3dFrame(Rect(10, 10, 60, 30), clNavy);
    const TColor base = ColorAdjustLuma(clNavy, 0);
    const TColor lit = ColorAdjustLuma(clNavy, 100), lighter = ColorAdjustLuma(clNavy, 60);
    expectPixels(Bitmap,
                 {{10, 10, base}, {59, 29, base}, {30, 11, lit}, {30, 12, lighter}, {30, 25, base}, {30, 30, clWhite}});
    EXPECT_EQ(Canvas().Brush(), (TBrush{clLime, bsClear}));
    EXPECT_EQ(Canvas().Pen().Color, base);
}

TEST_F(VisualContext, SavedAreaIsWidenedAndRestoredAgain)
{
    VC.gradientFill(Rect(0, 0, 60, 40), clBlack, clWhite, true);
    const TColor inside = At(29, 19);
    VC.saveArea(Rect(10, 10, 20, 20));
    FillAll(clRed);
    VC.restoreArea();
    // (10, 10) has column 10 of the ramp.
    expectPixels(Bitmap,
                 {{10, 10, clBlack + 0x2B2B2B}, {29, 19, inside}, {30, 15, clRed}, {9, 15, clRed}, {15, 20, clRed}});
    FillAll(clBlue);
    VC.restoreArea();
    EXPECT_EQ(At(29, 19), inside);
}

TEST_F(VisualContext, BufferingPaintsOnlyOnDisplay)
{
    // Without a visible area the buffer is empty and nothing reaches the canvas.
    VC.startBuffering();
    FillAll(clRed);
    VC.displayBuffer();
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), 0);

    VC.setVisibleArea(Rect(10, 10, 100, 80));
    VC.startBuffering();
    FillAll(clRed);
    EXPECT_EQ(At(50, 50), clWhite);
    VC.displayBuffer();
    expectPixels(Bitmap, {{10, 10, clRed}, {99, 79, clRed}, {9, 50, clWhite}, {100, 50, clWhite}});
    VC.displayBuffer(); // not buffering: nothing
    VC.drawPixel(150, 100, clBlue);
    EXPECT_EQ(At(150, 100), clBlue);
}

TEST_F(VisualContext, EveryPaintStartsFromAFreshBuffer)
{
    VC.setVisibleArea(Rect(0, 0, 50, 50));
    VC.startBuffering();
    VC.SetClipRect(Rect(0, 0, 20, 20));
    VC.setDrawingColor(clRed);
    VC.setPenWidth(3);
    FillAll(clRed);
    VC.ResetClipRect();
    VC.displayBuffer();
    EXPECT_EQ(At(10, 10), clRed);

    VC.startBuffering();
    VC.drawLine(30, 30, 40, 30);
    VC.displayBuffer();
    expectPixels(Bitmap, {{10, 10, clWhite}, {35, 30, clBlack}, {35, 31, clWhite}});

    // A second start keeps the real canvas.
    VC.setVisibleArea(Rect(0, 0, 50, 50));
    VC.startBuffering();
    VC.startBuffering();
    VC.drawPixel(5, 5, clRed);
    VC.displayBuffer();
    EXPECT_EQ(At(5, 5), clRed);
    VC.drawPixel(6, 6, clBlue);
    EXPECT_EQ(At(6, 6), clBlue);
}

TEST_F(VisualContext, FontsAndCentredText)
{
    VC.setFont("Arial", 10, clBlack, true, false, true, 0);
    EXPECT_EQ(Canvas().Font().Height(), -13);
    EXPECT_EQ(Canvas().Font().Style, (TFontStyles{fsBold, fsUnderline}));
    EXPECT_EQ(Canvas().Brush().Style, bsClear);
    VC.setFont("Arial", 10, clBlack, false, true, false, 20);
    EXPECT_EQ(Canvas().Font().Height(), 20);
    EXPECT_EQ(Canvas().Font().Style, TFontStyles{fsItalic});

    VC.setFont("Arial", 10, clBlack, false, false, false, 0);
    const std::string text = "A rather wide text";
    const int w = VC.TextWidth(text);
    const int h = VC.TextHeight(text);
    ASSERT_GT(w, 20);
    const TRect placed = VC.centerText(Rect(90, 50, 110, 70), text, true);
    EXPECT_EQ(placed, Rect((200 - w) / 2, (120 - h) / 2, (200 - w) / 2 + w, (120 - h) / 2 + h));
    EXPECT_LT(placed.Left, 90);
    EXPECT_GT(Inked(Rect(placed.Left, 0, 90, 150)), 0);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), Inked(placed));
}

TEST_F(VisualContext, TurnedTextReadsUpwards)
{
    VC.setFont("Arial", 10, clBlack, false, false, false, 0);
    const std::string text = "Turned";
    const int w = VC.TextWidth(text);
    const int h = VC.TextHeight(text);
    VC.textOutOriented(20, 100, text, 90);
    EXPECT_GT(Inked(Rect(20, 100 - w, 20 + h, 100)), 0);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), Inked(Rect(20, 100 - w, 20 + h, 101)));
    EXPECT_EQ(Canvas().Font().Orientation, 0);

    // Centred in its rectangle, turned the same way.
    VC.centerTextVertical(Rect(100, 20, 140, 140), text);
    const int x = (240 - h) / 2;
    const int y = (160 + w) / 2;
    EXPECT_GT(Inked(Rect(x, y - w, x + h, y + 1)), 0);
    EXPECT_EQ(Inked(Rect(100, 0, 200, 150)), Inked(Rect(x, y - w, x + h, y + 1)));
}

TEST_F(VisualContext, OutlineCrossesTheClipBoxAndGraphicsArePlaced)
{
    VC.SetClipRect(Rect(10, 10, 50, 40));
    VC.setDrawingColor(clRed);
    VC.outline();
    EXPECT_EQ(Canvas().Pen().Color, clBlack);
    EXPECT_EQ(At(10, 10), clBlack);
    EXPECT_EQ(At(49, 10), clWhite); // the second line starts outside the clip
    EXPECT_GT(Inked(Rect(10, 10, 50, 40)), 60);
    VC.ResetClipRect();

    FillAll(clWhite);
    TBitmap picture;
    picture.SetSize(2, 2);
    picture.SetPixel(0, 0, clRed);
    picture.SetPixel(1, 1, clBlue);
    VC.drawGraphic(10, 10, picture);
    expectPixels(Bitmap, {{10, 10, clRed}, {11, 11, clBlue}, {12, 12, clWhite}});
    VC.stretchGraphic(Rect(20, 20, 24, 24), picture);
    expectPixels(Bitmap, {{21, 21, clRed}, {23, 23, clBlue}, {24, 24, clWhite}});
}

} // namespace
} // namespace corvane
