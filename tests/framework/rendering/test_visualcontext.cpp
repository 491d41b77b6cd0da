#include <gtest/gtest.h>

#include <string>

#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/platform/ColorUtils.h"

namespace corvane {
namespace {

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
    EXPECT_EQ(l, 240);
    EXPECT_EQ(s, 0);
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

TEST(CanvasVC, AddColorSaturatesEachChannel)
{
    EXPECT_EQ(TQVTCanvasVC::addColor(0x0064C8, 0x646464), 0x64C8FFu);
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
    EXPECT_EQ(At(10, 10), clBlue);
    EXPECT_EQ(At(99, 99), clBlue);
    EXPECT_EQ(At(9, 10), clWhite);
    EXPECT_EQ(At(100, 50), clWhite);

    EXPECT_EQ(VC.ResetClipRect(), TQVTCanvasVC::NoClipping);
    EXPECT_EQ(VC.GetClipRect(), TRect{});
    FillAll(clLime);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), 200 * 150);
}

TEST_F(VisualContext, NoClippingLevelLeavesTheDeviceClip)
{
    VC.SetClipRect(Rect(10, 10, 40, 40));
    EXPECT_EQ(VC.SetClipRect(TQVTCanvasVC::NoClipping), Rect(10, 10, 40, 40));
    EXPECT_EQ(VC.GetClipRect(), Rect(10, 10, 40, 40));
    EXPECT_EQ(VC.ResetClipRect(), Rect(10, 10, 40, 40));
    EXPECT_EQ(VC.GetClipRect(), Rect(10, 10, 40, 40));
}

TEST_F(VisualContext, DisjointClipHidesEverythingUntilReset)
{
    VC.SetClipRect(Rect(0, 0, 50, 50));
    EXPECT_EQ(VC.SetClipRect(Rect(100, 100, 150, 150)), Rect(0, 0, 50, 50));
    FillAll(clRed);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), 0);
    VC.ResetClipRect();
    FillAll(clRed);
    EXPECT_EQ(Inked(Rect(0, 0, 200, 150)), 50 * 50);
    VC.ResetClipRect();
}

TEST_F(VisualContext, UnmatchedResetKeepsTheNoClippingEntry)
{
    EXPECT_EQ(VC.ResetClipRect(), TQVTCanvasVC::NoClipping);
    EXPECT_EQ(VC.ResetClipRect(), TQVTCanvasVC::NoClipping);
    EXPECT_EQ(VC.SetClipRect(Rect(5, 5, 10, 10)), TQVTCanvasVC::NoClipping);
    EXPECT_EQ(VC.GetClipRect(), Rect(5, 5, 10, 10));
    EXPECT_EQ(VC.ResetClipRect(), TQVTCanvasVC::NoClipping);
    EXPECT_EQ(VC.GetClipRect(), TRect{});
}

TEST_F(VisualContext, ClipsAreMappedToDevicePixels)
{
    Canvas().SetMapping(0, 0, 2, 2);
    VC.SetClipRect(Rect(10, 10, 30, 30));
    EXPECT_EQ(VC.SetClipRect(Rect(20, 20, 60, 60)), Rect(10, 10, 30, 30));
    EXPECT_EQ(VC.GetClipRect(), Rect(40, 40, 60, 60));
    FillAll(clRed);
    EXPECT_EQ(At(40, 40), clRed);
    EXPECT_EQ(At(59, 59), clRed);
    EXPECT_EQ(At(39, 45), clWhite);
    EXPECT_EQ(At(60, 45), clWhite);
    // The level below comes back in device pixels.
    EXPECT_EQ(VC.ResetClipRect(), Rect(20, 20, 60, 60));
    VC.ResetClipRect();

    Canvas().SetMapping(0, 0, 0.5, 0.5);
    VC.SetClipRect(Rect(100, 60, 140, 100));
    EXPECT_EQ(VC.GetClipRect(), Rect(50, 30, 70, 50));
    FillAll(clBlue);
    EXPECT_EQ(At(50, 30), clBlue);
    EXPECT_EQ(At(69, 49), clBlue);
    EXPECT_EQ(At(49, 30), clWhite);
    EXPECT_EQ(At(70, 49), clWhite);
    EXPECT_EQ(At(69, 50), clWhite);
    VC.ResetClipRect();
}

TEST_F(VisualContext, ClippingAreaAndVisibleArea)
{
    VC.setVisibleArea(Rect(0, 0, -5, -5));
    EXPECT_EQ(VC.getVisibleArea(), Rect(0, 0, 1, 1));

    VC.setVisibleArea(Rect(20, 10, 400, 100));
    VC.SetClipRect(Rect(0, 30, 50, 300));
    EXPECT_EQ(VC.clippingArea(), Rect(20, 30, 50, 100));
    VC.ResetClipRect();
    EXPECT_EQ(VC.clippingArea(), Rect(20, 10, 200, 100));
}

TEST_F(VisualContext, VisibilityCountsEdges)
{
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
    EXPECT_EQ(At(0, 0), clBlack);
    EXPECT_EQ(At(9, 4), 0x0064C8u);
    EXPECT_EQ(At(5, 2), 0x00386Fu); // 5/9 of the way: 111.1 -> 111, 55.6 -> 56
    EXPECT_EQ(At(10, 0), clWhite);
    EXPECT_EQ(At(0, 5), clWhite);

    VC.gradientFill(Rect(20, 20, 30, 21), clRed, clBlue, false);
    EXPECT_EQ(At(20, 20), clRed);
    EXPECT_EQ(At(29, 20), clRed);
    EXPECT_EQ(At(20, 21), clWhite);

    VC.gradientFill(Rect(40, 20, 45, 22), clRed, clBlue, false);
    EXPECT_EQ(At(44, 20), clRed);
    EXPECT_EQ(At(44, 21), clBlue);
}

TEST_F(VisualContext, BrightenAddsToEachLine)
{
    VC.gradientFill(Rect(0, 0, 10, 6), 0x102030, 0x405060, false);
    VC.brighten(Rect(0, 0, 10, 6), 0xF00101, false);
    EXPECT_EQ(At(3, 0), 0xFF2131u);
    EXPECT_EQ(At(9, 5), 0xFF5161u);
}

TEST_F(VisualContext, TrianglesAndArrows)
{
    VC.setDrawingColor(clRed);
    VC.drawVertArrow(30, 10, 60); // down, tip (30, 60), base y 52 from x 26 to 34
    EXPECT_EQ(At(30, 10), clRed);
    EXPECT_EQ(At(30, 60), clRed);
    EXPECT_EQ(At(30, 61), clWhite);
    EXPECT_EQ(At(26, 52), clRed);
    EXPECT_EQ(At(34, 52), clRed);
    EXPECT_EQ(At(25, 52), clWhite);
    EXPECT_EQ(At(35, 52), clWhite);
    EXPECT_EQ(At(29, 51), clWhite);

    VC.drawVertArrow(60, 60, 10); // up, tip (60, 10), base y 18
    EXPECT_EQ(At(60, 10), clRed);
    EXPECT_EQ(At(60, 9), clWhite);
    EXPECT_EQ(At(56, 18), clRed);
    EXPECT_EQ(At(64, 18), clRed);
    EXPECT_EQ(At(61, 19), clWhite);

    VC.drawHorzArrow(100, 50, 20); // left, tip (20, 100), base x 28
    EXPECT_EQ(At(50, 100), clRed);
    EXPECT_EQ(At(20, 100), clRed);
    EXPECT_EQ(At(19, 100), clWhite);
    EXPECT_EQ(At(28, 96), clRed);
    EXPECT_EQ(At(28, 104), clRed);
    EXPECT_EQ(At(29, 99), clWhite);

    VC.drawHorzArrow(130, 120, 150); // right, tip (150, 130), base x 142
    EXPECT_EQ(At(150, 130), clRed);
    EXPECT_EQ(At(151, 130), clWhite);
    EXPECT_EQ(At(142, 126), clRed);
    EXPECT_EQ(At(142, 134), clRed);
    EXPECT_EQ(At(141, 130), clRed); // the shaft

    EXPECT_EQ(Canvas().Brush(), (TBrush{clRed, bsSolid}));
}

TEST_F(VisualContext, LinesFillsAndFrames)
{
    VC.setDrawingColor(clBlue);
    VC.drawLine(Point(10, 5), Point(20, 5));
    EXPECT_EQ(At(10, 5), clBlue);
    EXPECT_EQ(At(19, 5), clBlue);
    EXPECT_EQ(At(20, 5), clWhite);

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
    EXPECT_EQ(At(100, 10), clRed);
    EXPECT_EQ(At(99, 20), clRed); // a wide pen is centred on the edge
    EXPECT_EQ(At(101, 20), clRed);
    EXPECT_EQ(At(102, 20), clWhite);
    EXPECT_EQ(At(110, 20), clWhite);
    EXPECT_EQ(Canvas().Pen(), (TPen{clNavy, psSolid, 3}));
    EXPECT_EQ(Canvas().Brush().Style, bsClear);

    VC.DrawRessourceLabelRect(Rect(130, 10, 150, 30), clBlue);
    EXPECT_EQ(At(130, 20), clBlue);
    EXPECT_EQ(At(131, 20), clBlue);
    EXPECT_EQ(At(132, 20), clWhite);
    EXPECT_EQ(Canvas().Pen(), (TPen{clBlue, psSolid, 1}));

    VC.drawPixel(5, 140, clRed);
    EXPECT_EQ(At(5, 140), clRed);

    VC.setDrawingColor(clBlack);
    VC.drawPolygon({Point(160, 100), Point(190, 100), Point(190, 130)}, clYellow);
    EXPECT_EQ(At(185, 105), clYellow);
    EXPECT_EQ(At(165, 125), clWhite);
    EXPECT_EQ(Canvas().Brush().Style, bsClear);
}

TEST_F(VisualContext, PatternsHatchOverTheFirstColour)
{
    VC.setDrawingColor(clBlack);
    VC.DrawPattern(Rect(16, 16, 48, 48), clYellow, clRed, bsHorizontal);
    EXPECT_EQ(At(16, 30), clBlack); // frame
    EXPECT_EQ(At(30, 24), clRed);   // hatch row
    EXPECT_EQ(At(30, 25), clYellow);
    EXPECT_EQ(Canvas().Brush(), (TBrush{clWhite, bsSolid}));

    VC.DrawPattern(Rect(60, 16, 70, 26), clYellow, clRed, bsSolid);
    EXPECT_EQ(At(65, 20), clRed);
    VC.DrawPattern(Rect(80, 16, 90, 26), clYellow, clRed, bsClear);
    EXPECT_EQ(At(85, 20), clYellow);
}

TEST_F(VisualContext, ThreeDFrameIsLitFromAbove)
{
    Canvas().Brush() = TBrush{clLime, bsClear};
    VC.Draw3dFrame(Rect(10, 10, 60, 30), clNavy);
    const TColor base = ColorAdjustLuma(clNavy, 0);
    EXPECT_EQ(At(10, 10), base);
    EXPECT_EQ(At(59, 29), base);
    EXPECT_EQ(At(30, 11), ColorAdjustLuma(clNavy, 100));
    EXPECT_EQ(At(30, 12), ColorAdjustLuma(clNavy, 60));
    EXPECT_EQ(At(30, 25), base);
    EXPECT_EQ(At(30, 30), clWhite);
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
    EXPECT_EQ(At(10, 10), clBlack + 0x2B2B2B); // column 10 of the ramp
    EXPECT_EQ(At(29, 19), inside);
    EXPECT_EQ(At(30, 15), clRed);
    EXPECT_EQ(At(9, 15), clRed);
    EXPECT_EQ(At(15, 20), clRed);
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
    EXPECT_EQ(At(10, 10), clRed);
    EXPECT_EQ(At(99, 79), clRed);
    EXPECT_EQ(At(9, 50), clWhite);
    EXPECT_EQ(At(100, 50), clWhite);
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
    EXPECT_EQ(At(10, 10), clWhite);
    EXPECT_EQ(At(35, 30), clBlack);
    EXPECT_EQ(At(35, 31), clWhite);
}

TEST_F(VisualContext, SecondStartKeepsTheRealCanvas)
{
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
    EXPECT_TRUE(Canvas().Font().Style.Contains(fsBold));
    EXPECT_TRUE(Canvas().Font().Style.Contains(fsUnderline));
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

TEST_F(VisualContext, OutlineCrossesTheClipBox)
{
    VC.SetClipRect(Rect(10, 10, 50, 40));
    VC.setDrawingColor(clRed);
    VC.outline();
    EXPECT_EQ(Canvas().Pen().Color, clBlack);
    EXPECT_EQ(At(10, 10), clBlack);
    EXPECT_EQ(At(49, 10), clWhite); // the second line starts outside the clip
    EXPECT_GT(Inked(Rect(10, 10, 50, 40)), 60);
    VC.ResetClipRect();
}

TEST_F(VisualContext, Graphics)
{
    TBitmap picture;
    picture.SetSize(2, 2);
    picture.SetPixel(0, 0, clRed);
    picture.SetPixel(1, 1, clBlue);
    VC.drawGraphic(10, 10, picture);
    EXPECT_EQ(At(10, 10), clRed);
    EXPECT_EQ(At(11, 11), clBlue);
    EXPECT_EQ(At(12, 12), clWhite);
    VC.stretchGraphic(Rect(20, 20, 24, 24), picture);
    EXPECT_EQ(At(21, 21), clRed);
    EXPECT_EQ(At(23, 23), clBlue);
    EXPECT_EQ(At(24, 24), clWhite);
}

} // namespace
} // namespace corvane
