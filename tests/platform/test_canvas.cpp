#include "corvane/platform/Canvas.h"
#include "corvane/platform/Colors.h"
#include "corvane/platform/Graphics.h"

#include "support/PixelChecks.h"

#include <climits>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace corvane {
namespace {

using test::expectPixels;

constexpr TColor Red = 0x0000FF;
constexpr TColor Blue = 0xFF0000;
constexpr TColor Green = 0x00FF00;
constexpr TColor Yellow = 0x00FFFF;

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override { Bitmap.SetSize(40, 40); }

    TCanvas& C() { return Bitmap.Canvas(); }
    void Blank(int size = 40) { Bitmap.SetSize(0, 0); Bitmap.SetSize(size, size); }
    TColor At(int x, int y) const { return Bitmap.Pixel(x, y); }

    // One character per pixel of a row: '#' for `color`, '.' for anything else.
    std::string Row(int y, int from, int to, TColor color = clBlack) const
    {
        std::string row;
        for (int x = from; x < to; ++x)
            row += At(x, y) == color ? '#' : '.';
        return row;
    }

    std::string Column(int x, int from, int to, TColor color = clBlack) const
    {
        std::string column;
        for (int y = from; y < to; ++y)
            column += At(x, y) == color ? '#' : '.';
        return column;
    }

    std::vector<TPoint> PixelsOf(TColor color) const
    {
        std::vector<TPoint> points;
        for (int y = 0; y < Bitmap.Height(); ++y)
            for (int x = 0; x < Bitmap.Width(); ++x)
                if (At(x, y) == color)
                    points.push_back(Point(x, y));
        return points;
    }

    // Every pixel of the bitmap satisfies `expected(x, y, colour)`.
    void ExpectEverywhere(const std::function<bool(int, int, TColor)>& expected) const
    {
        for (int y = 0; y < Bitmap.Height(); ++y)
            for (int x = 0; x < Bitmap.Width(); ++x)
                ASSERT_TRUE(expected(x, y, At(x, y))) << "pixel " << x << "," << y;
    }

    void Line(int x0, int y0, int x1, int y1)
    {
        C().MoveTo(x0, y0);
        C().LineTo(x1, y1);
    }

    TBitmap Bitmap;
};

bool Inside(int x, int y, const TRect& r)
{
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

TEST_F(CanvasTest, LinesAreBresenhamWithoutTheirEndPointAndWidePensPaintABand)
{
    const auto expectLine = [this](const std::vector<TPoint>& expected) {
        EXPECT_EQ(PixelsOf(clBlack), expected);
        Blank();
    };
    Line(2, 5, 8, 5);
    EXPECT_EQ(C().PenPos(), Point(8, 5));
    expectLine({{2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}});
    Line(3, 4, 3, 1);
    expectLine({{3, 2}, {3, 3}, {3, 4}});
    Line(1, 1, 4, 4);
    expectLine({{1, 1}, {2, 2}, {3, 3}});
    Line(2, 1, 4, 8); // steep
    expectLine({{2, 1}, {2, 2}, {3, 3}, {3, 4}, {3, 5}, {3, 6}, {4, 7}});
    // An exact half rounds towards the start, both ways.
    Line(0, 0, 4, 1);
    expectLine({{0, 0}, {1, 0}, {2, 0}, {3, 1}});
    Line(4, 1, 0, 0);
    expectLine({{1, 0}, {2, 1}, {3, 1}, {4, 1}});
    Line(5, 5, 5, 5);
    expectLine({});

    // Wide pens paint a band across the line.
    C().Pen().Width = 3;
    Line(2, 10, 8, 10);
    for (int y : {9, 10, 11})
        EXPECT_EQ(Row(y, 0, 10), "..######..") << y;
    EXPECT_EQ(Row(8, 0, 10), "..........");
    EXPECT_EQ(Row(12, 0, 10), "..........");
    C().Pen().Style = psClear;
    Line(2, 20, 8, 20);
    EXPECT_EQ(Row(20, 0, 10), "..........");
}

TEST_F(CanvasTest, DashPatternsLeaveGapsUnpaintedWhenTransparentAndFilledWhenOpaque)
{
    const auto dashed = [this](TPenStyle style, int y) {
        C().Pen().Style = style;
        Line(0, y, 40, y);
        return Row(y, 0, 40);
    };
    C().SetBkMode(TBkMode::Transparent);
    EXPECT_EQ(dashed(psDash, 1), "##################......################");
    EXPECT_EQ(dashed(psDot, 2), "###...###...###...###...###...###...###.");
    EXPECT_EQ(dashed(psDashDot, 3), "#########......###......#########......#");
    EXPECT_EQ(dashed(psDashDotDot, 4), "#########...###...###...#########...###.");
    EXPECT_EQ(Row(1, 18, 24, clWhite), "######");
    // Wider pens of dashed styles draw solid, as on the platform.
    C().Pen().Width = 2;
    EXPECT_EQ(dashed(psDot, 6), std::string(40, '#'));

    // An opaque background fills the gaps and follows the brush.
    Blank();
    C().Pen() = TPen{};
    C().Pen().Style = psDot;
    C().Brush().Color = Yellow; // a solid brush: opaque, background yellow
    Line(0, 1, 12, 1);
    EXPECT_EQ(Row(1, 0, 12), "###...###...");
    EXPECT_EQ(Row(1, 0, 12, Yellow), "...###...###");
    EXPECT_EQ(C().BkMode(), TBkMode::Opaque);
    EXPECT_EQ(C().BkColor(), Yellow);
    C().SetBkMode(TBkMode::Transparent); // overrides until the brush changes
    Line(0, 2, 12, 2);
    EXPECT_EQ(Row(2, 0, 12, clWhite), "...###...###");
    C().Brush().Style = bsClear;
    EXPECT_EQ(C().BkMode(), TBkMode::Transparent);
    C().Brush().Style = bsSolid;
    EXPECT_EQ(C().BkMode(), TBkMode::Opaque);
}

TEST_F(CanvasTest, RectangleFramesAndFillsInsideItsExclusiveEdges)
{
    C().Brush().Color = Red;
    C().Rectangle(2, 2, 8, 6);
    ExpectEverywhere([](int x, int y, TColor c) {
        if (!Inside(x, y, Rect(2, 2, 8, 6)))
            return c == clWhite;
        return c == (Inside(x, y, Rect(3, 3, 7, 5)) ? Red : clBlack);
    });

    // FillRect paints no frame, nothing inside out and nothing with a clear brush.
    C().Brush().Color = Green;
    C().FillRect(Rect(12, 3, 16, 5));
    C().FillRect(Rect(20, 20, 10, 30));
    ExpectEverywhere([](int x, int y, TColor c) {
        return Inside(x, y, Rect(2, 2, 8, 6)) || c == (Inside(x, y, Rect(12, 3, 16, 5)) ? Green : clWhite);
    });
    C().Brush().Style = bsClear;
    C().FillRect(Rect(0, 0, 40, 40));
    EXPECT_EQ(PixelsOf(Green).size(), 8u);
}

TEST_F(CanvasTest, RectangleWithOtherPensAndDashedFramesClockwise)
{
    C().Brush().Color = Red;
    C().Pen().Style = psClear; // the platform fills one pixel less
    C().Rectangle(2, 2, 8, 6);
    ExpectEverywhere([](int x, int y, TColor c) { return c == (Inside(x, y, Rect(2, 2, 7, 5)) ? Red : clWhite); });

    Blank();
    C().Pen().Style = psInsideFrame;
    C().Pen().Width = 3;
    C().Rectangle(10, 10, 20, 20);
    ExpectEverywhere([](int x, int y, TColor c) {
        if (!Inside(x, y, Rect(10, 10, 20, 20)))
            return c == clWhite;
        return c == (Inside(x, y, Rect(13, 13, 17, 17)) ? Red : clBlack);
    });

    C().Pen().Style = psSolid; // wide solid pens straddle the one-pixel frame
    C().Brush().Style = bsClear;
    C().Rectangle(25, 25, 35, 35);
    EXPECT_EQ(Row(30, 22, 38), "..###......###..");
    EXPECT_EQ(At(30, 30), clWhite);

    // Dashed frames run clockwise from the top left.
    Blank();
    C().Pen() = TPen{};
    C().Pen().Style = psDot;
    C().Rectangle(0, 0, 14, 8);
    EXPECT_EQ(Row(0, 0, 14), "###...###...##");
    EXPECT_EQ(Row(7, 0, 14), "##...###...###");
    EXPECT_EQ(Column(13, 0, 8), "###...##");
    EXPECT_EQ(Column(0, 0, 8), "##...###");
}

TEST_F(CanvasTest, PolygonIsClosedFilledAndFramedAndHatchesFollowTheDeviceOrigin)
{
    C().Brush().Color = Red;
    C().Polygon({{10, 10}, {30, 10}, {30, 30}, {10, 30}});
    EXPECT_EQ(Row(10, 8, 32), "..#####################.");
    EXPECT_EQ(Row(30, 8, 32), "..#####################.");
    EXPECT_EQ(Row(20, 8, 32, Red), "...###################..");
    expectPixels(Bitmap, {{20, 20, Red}, {31, 20, clWhite}});
    C().Polygon({});

    // Outside the bitmap only a wide outline reaches in.
    Blank();
    C().Polygon({{43, 10}, {60, 10}, {60, 30}, {43, 30}});
    EXPECT_EQ(PixelsOf(clBlack).size() + PixelsOf(Red).size(), 0u);
    C().Pen().Width = 12;
    C().Polygon({{43, 10}, {60, 10}, {60, 30}, {43, 30}});
    expectPixels(Bitmap, {{39, 20, clBlack}, {37, 20, clWhite}});

    // Hatch brushes follow the device origin over the background.
    struct Hatch {
        TBrushStyle Style;
        std::function<bool(int, int)> On;
    };
    const auto horizontal = [](int, int y) { return y % 8 == 0; };
    const auto vertical = [](int x, int) { return x % 8 == 0; };
    const auto forward = [](int x, int y) { return (x - y + 64) % 8 == 0; };
    const auto backward = [](int x, int y) { return (x + y) % 8 == 7; };
    const std::vector<Hatch> hatches = {
        {bsHorizontal, horizontal},
        {bsVertical, vertical},
        {bsFDiagonal, forward},
        {bsBDiagonal, backward},
        {bsCross, [&](int x, int y) { return horizontal(x, y) || vertical(x, y); }},
        {bsDiagCross, [&](int x, int y) { return forward(x, y) || backward(x, y); }},
    };
    const TRect area = Rect(3, 5, 37, 30);
    C().Pen() = TPen{clBlack, psClear, 1};
    for (const Hatch& hatch : hatches) {
        for (int way = 0; way < 4; ++way) {
            const bool opaque = way % 2 == 1, polygon = way >= 2;
            SCOPED_TRACE(testing::Message() << "style " << hatch.Style << (opaque ? " opaque" : " transparent")
                                            << (polygon ? " polygon" : ""));
            C().SetMapping(TMapping{});
            C().Brush() = TBrush{Green, bsSolid};
            C().FillRect(Rect(0, 0, 40, 40));
            C().Brush() = TBrush{Blue, hatch.Style};
            if (opaque) {
                C().SetBkMode(TBkMode::Opaque);
                C().SetBkColor(Yellow);
            }
            C().SetMapping(1, 2, 1, 1); // the pattern stays on the device's grid
            if (polygon)
                C().Polygon({{2, 3}, {36, 3}, {36, 28}, {2, 28}});
            else
                C().FillRect(Rect(2, 3, 36, 28));
            ExpectEverywhere([&](int x, int y, TColor c) {
                if (!Inside(x, y, area))
                    return c == Green;
                return c == (hatch.On(x, y) ? Blue : opaque ? Yellow : Green);
            });
        }
    }
}

TEST_F(CanvasTest, TextMeasuresInLogicalUnits)
{
    TFont font; // size and height are one value
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Size(), 8);
    font.SetSize(10);
    EXPECT_EQ(font.Height(), -13);
    font.SetHeight(-16);
    EXPECT_EQ(font.Size(), 12);
    C().Font().SetHeight(-20);
    const TSize extent = C().TextExtent("Hello");
    EXPECT_GT(extent.cx, 30);
    EXPECT_NEAR(extent.cy, 23, 1); // Liberation Sans: ascent + descent = 1.117 em
    EXPECT_EQ(C().TextWidth(""), 0);
    EXPECT_EQ(C().TextHeight(""), extent.cy);
    EXPECT_GT(C().TextWidth("WWWW"), C().TextWidth("iiii"));
    C().Font().SetHeight(20); // a cell height
    EXPECT_NEAR(C().TextHeight("x"), 20, 1);

    // Measures are logical units; the painted text scales with the mapping.
    Bitmap.SetSize(120, 80);
    C().Font().SetHeight(-12);
    C().Brush().Color = Yellow;
    const TSize small = C().TextExtent("Hg");
    C().SetMapping(0, 0, 2, 2);
    EXPECT_EQ(C().TextExtent("Hg"), small);
    C().TextOut(5, 5, "Hg");
    int right = 0, bottom = 0;
    for (const TPoint& p : PixelsOf(Yellow)) {
        EXPECT_GE(p.X, 10);
        EXPECT_GE(p.Y, 10);
        right = std::max(right, p.X + 1);
        bottom = std::max(bottom, p.Y + 1);
    }
    EXPECT_EQ(right, 10 + 2 * small.cx);
    EXPECT_EQ(bottom, 10 + 2 * small.cy);
}

TEST_F(CanvasTest, TextOutPaintsItsCellWithTheBrushUnlessTransparentAndRunsInItsDirection)
{
    Bitmap.SetSize(120, 60);
    C().Font().SetHeight(-16);
    C().Brush().Color = Yellow;
    C().TextOut(10, 10, "Hg");
    const TSize extent = C().TextExtent("Hg");
    const TRect cell = Rect(10, 10, 10 + extent.cx, 10 + extent.cy);
    int ink = 0;
    ExpectEverywhere([&](int x, int y, TColor c) {
        if (!Inside(x, y, cell))
            return c == clWhite;
        ink += c == clBlack;
        return c == Yellow || c == clBlack;
    });
    EXPECT_GT(ink, 20);

    C().Brush().Style = bsClear;
    C().Font().Color = Red;
    C().TextOut(10, 35, "Hg");
    EXPECT_TRUE(PixelsOf(Yellow).size() == static_cast<std::size_t>(extent.cx * extent.cy - ink));
    EXPECT_GT(PixelsOf(Red).size(), 20u);
    const std::size_t before = PixelsOf(clWhite).size();
    C().Brush().Style = bsSolid;
    C().TextOut(50, 40, "");
    EXPECT_EQ(PixelsOf(clWhite).size(), before);

    // Turned text runs in its direction.
    Blank(100);
    C().Font() = TFont{};
    C().Brush().Style = bsClear;
    C().Font().SetHeight(-16);
    C().Font().Orientation = 900; // reading upwards from the point
    C().TextOut(40, 80, "HHHHH");
    const int width = C().TextWidth("HHHHH");
    const int height = C().TextHeight("HHHHH");
    int top = 100;
    for (const TPoint& p : PixelsOf(clBlack)) {
        EXPECT_GE(p.X, 40 - 1);
        EXPECT_LE(p.X, 40 + height);
        EXPECT_LE(p.Y, 80);
        top = std::min(top, p.Y);
    }
    EXPECT_LT(top, 80 - width / 2);

    Blank(100);
    C().Font().Orientation = 2700; // reading downwards
    C().TextOut(40, 20, "HHHHH");
    for (const TPoint& p : PixelsOf(clBlack)) {
        EXPECT_LE(p.X, 40 + 1);
        EXPECT_GE(p.Y, 20);
    }
    EXPECT_FALSE(PixelsOf(clBlack).empty());
}

TEST_F(CanvasTest, PixelsGraphicsAndCopyRect)
{
    C().SetPixel(3, 4, Red);
    EXPECT_EQ(C().Pixel(3, 4), Red);
    EXPECT_EQ(At(3, 4), Red);
    EXPECT_EQ(C().Pixel(-1, 4), 0u);
    EXPECT_EQ(C().Pixel(3, 400), 0u);
    C().SetPixel(-1, 1000, Red);

    TBitmap picture;
    picture.SetSize(2, 2);
    picture.SetPixel(0, 0, Red);
    picture.SetPixel(1, 0, Green);
    picture.SetPixel(0, 1, Blue);
    picture.SetPixel(1, 1, Yellow);
    C().Draw(10, 10, picture);
    EXPECT_EQ(Row(10, 9, 13, Red), ".#..");
    expectPixels(Bitmap, {{11, 10, Green}, {10, 11, Blue}, {11, 11, Yellow}, {12, 12, clWhite}});

    C().StretchDraw(Rect(20, 20, 24, 24), picture);
    EXPECT_EQ(Row(20, 19, 25, Red), ".##...");
    EXPECT_EQ(Row(21, 19, 25, Green), "...##.");
    EXPECT_EQ(Row(23, 19, 25, Yellow), "...##.");

    picture.SetTransparent(true); // the bottom-left colour (blue) is left out
    C().Draw(30, 30, picture);
    expectPixels(Bitmap, {{30, 31, clWhite}, {31, 31, Yellow}});

    // CopyRect scales and may copy from the canvas itself.
    Blank();
    TBitmap source;
    source.SetSize(2, 2);
    source.SetPixel(0, 0, Red);
    source.SetPixel(1, 1, Blue);
    C().CopyRect(Rect(4, 4, 8, 8), source.Canvas(), Rect(0, 0, 2, 2));
    for (int y = 4; y < 8; ++y)
        EXPECT_EQ(Row(y, 3, 9, Red), y < 6 ? ".##..." : "......") << y;
    EXPECT_EQ(Row(7, 3, 9, Blue), "...##.");

    C().CopyRect(Rect(20, 20, 22, 22), C(), Rect(4, 4, 8, 8)); // shrunk
    expectPixels(Bitmap, {{20, 20, Red}, {21, 21, Blue}});
    C().CopyRect(Rect(5, 5, 9, 9), C(), Rect(4, 4, 8, 8)); // overlapping
    expectPixels(Bitmap, {{5, 5, Red}, {8, 8, Blue}});
    C().CopyRect(Rect(0, 0, 4, 4), source.Canvas(), Rect(50, 50, 60, 60)); // nothing to read
    EXPECT_EQ(At(0, 0), clWhite);
}

TEST_F(CanvasTest, ClipLimitsEveryOperationAndIsRemovedWhole)
{
    EXPECT_EQ(C().GetClipBox(), std::nullopt);
    EXPECT_EQ(C().ClipRect(), Rect(0, 0, 40, 40));
    const TRect clip = Rect(5, 6, 15, 16);
    C().SelectClipRect(clip);
    EXPECT_EQ(C().GetClipBox(), clip);
    EXPECT_EQ(C().ClipRect(), clip);
    C().Brush().Color = Red;
    Line(0, 10, 40, 10);
    EXPECT_EQ(Row(10, 0, 40), ".....##########.........................");
    C().FillRect(Rect(0, 0, 40, 40));
    C().Polygon({{0, 0}, {39, 0}, {39, 39}});
    C().SetPixel(20, 20, Blue);
    C().TextOut(0, 0, "Clipped text");
    C().CopyRect(Rect(0, 0, 40, 40), C(), Rect(0, 0, 40, 40));
    ExpectEverywhere([&](int x, int y, TColor c) { return Inside(x, y, clip) || c == clWhite; });

    C().SelectClipRect(Rect(30, 30, 20, 35)); // empty: clips everything
    EXPECT_EQ(C().GetClipBox(), TRect{});
    C().FillRect(Rect(0, 0, 40, 40));
    EXPECT_EQ(At(0, 0), clWhite);

    C().SelectClipRect(std::nullopt);
    EXPECT_EQ(C().GetClipBox(), std::nullopt);
    C().FillRect(Rect(0, 0, 40, 40));
    EXPECT_EQ(PixelsOf(Red).size(), 1600u);

    // The clip survives resizing the bitmap.
    C().SelectClipRect(Rect(0, 0, 10, 10));
    Bitmap.SetSize(60, 60);
    C().Brush().Color = Blue;
    C().FillRect(Rect(0, 0, 60, 60));
    EXPECT_EQ(PixelsOf(Blue).size(), 100u);
    EXPECT_EQ(C().DeviceSize(), (TSize{60, 60}));
}

TEST_F(CanvasTest, MappingScalesAndClipsAtDevicePixels)
{
    C().SetMapping(0, 0, 2, 2);
    EXPECT_EQ(C().LPtoDP(Point(3, 4)), Point(6, 8));
    EXPECT_EQ(C().LPtoDP(Rect(1, 1, 5, 5)), Rect(2, 2, 10, 10));
    EXPECT_EQ(C().ClipRect(), Rect(0, 0, 20, 20));
    C().SelectClipRect(Rect(5, 4, 9, 30));        // device pixels
    EXPECT_EQ(C().ClipRect(), Rect(3, 2, 5, 15)); // 2.5 rounds away from zero
    C().Brush().Color = Red;
    C().FillRect(Rect(1, 1, 10, 10)); // device (2, 2, 20, 20)
    ExpectEverywhere([](int x, int y, TColor c) { return c == (Inside(x, y, Rect(5, 4, 9, 20)) ? Red : clWhite); });

    C().SelectClipRect(std::nullopt);
    Line(0, 15, 5, 15); // a one-unit pen is two device pixels thick
    EXPECT_EQ(Row(30, 0, 12), "##########..");
    EXPECT_EQ(Row(31, 0, 12), "##########..");
    EXPECT_EQ(Row(29, 0, 12), "............");

    C().SetMapping(10, 10, 0.5, 0.5);
    EXPECT_EQ(C().LPtoDP(Point(20, 20)), Point(20, 20));
    EXPECT_EQ(C().DPtoLP(Point(20, 20)), Point(20, 20));
    C().SelectClipRect(C().LPtoDP(Rect(4, 4, 40, 40))); // a logical clip: device (12, 12, 30, 30)
    EXPECT_EQ(C().GetClipBox(), Rect(12, 12, 30, 30));
    C().Brush().Color = Blue;
    C().FillRect(Rect(0, 0, 20, 20)); // device (10, 10, 20, 20)
    ExpectEverywhere([](int x, int y, TColor c) { return c != Blue || Inside(x, y, Rect(12, 12, 20, 20)); });
    EXPECT_EQ(PixelsOf(Blue).size(), 64u);
    C().SetMapping(TMapping{});
    EXPECT_EQ(C().Mapping(), TMapping{});
}

TEST_F(CanvasTest, HugeCoordinatesAndClipsNeitherCrashNorHang)
{
    constexpr int far = 1 << 30;
    C().Brush().Color = Red;
    C().Pen().Style = psDot;
    Line(-far, -far, far, far);
    EXPECT_EQ(At(10, 10), clBlack);
    Line(far, 0, -far, 1);
    C().Pen().Style = psSolid;
    C().Rectangle(-far, -far, far, far);
    C().FillRect(Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX));
    C().Polygon({{-far, -far}, {far, -far}, {far, far}, {-far, 3}});
    C().TextOut(far, far, "far away");
    C().TextOut(-far, 5, "far away");
    TBitmap picture;
    picture.SetSize(3, 3);
    C().Draw(-far, -far, picture);
    C().Draw(INT_MAX, INT_MIN, picture);
    C().StretchDraw(Rect(-far, -far, far, far), picture);
    C().CopyRect(Rect(-far, -far, far, far), C(), Rect(0, 0, 40, 40));
    C().SetMapping(far, -far, 4, 4);
    C().SelectClipRect(Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX));
    Line(-far, far, far, -far);
    C().Rectangle(-far, -far, far, far);
    EXPECT_EQ(C().LPtoDP(Point(far, far)), Point(INT_MAX, INT_MAX));
    C().SetPixel(far, far, Blue);
    EXPECT_EQ(C().Pixel(far, far), 0u);

    // Qt's own rectangles cannot hold the widest clip; what it lets through is still painted.
    Blank();
    C().SetMapping(TMapping{});
    C().Pen() = TPen{};
    C().SelectClipRect(Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX));
    EXPECT_EQ(C().GetClipBox(), Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX));
    C().Brush().Color = Red;
    C().Pen().Color = Blue;
    C().Polygon({{5, 5}, {30, 5}, {30, 30}});
    EXPECT_EQ(At(25, 10), Red);
    C().TextOut(0, 30, "Text"); // in the font's black
    EXPECT_FALSE(PixelsOf(clBlack).empty());
    picture.SetPixel(0, 0, Green);
    C().Draw(2, 2, picture);
    EXPECT_EQ(At(2, 2), Green);

    // A clip beside the surface lets nothing through.
    Blank();
    C().SelectClipRect(Rect(100, 100, 150, 150));
    C().Polygon({{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}});
    C().TextOut(0, 0, "Text");
    C().Draw(0, 0, picture);
    ExpectEverywhere([](int, int, TColor c) { return c == clWhite; });
}

TEST_F(CanvasTest, BitmapChangesReachTheCanvas)
{
    C().Brush().Color = Red;
    C().FillRect(Rect(0, 0, 5, 5));
    const TBitmap copy(Bitmap); // taken while the canvas paints
    C().FillRect(Rect(0, 0, 40, 40));
    EXPECT_EQ(copy.Pixel(10, 10), clWhite);
    EXPECT_EQ(copy.Pixel(1, 1), Red);

    Bitmap.Assign(copy);
    EXPECT_EQ(At(10, 10), clWhite);
    C().FillRect(Rect(10, 10, 11, 11));
    EXPECT_EQ(At(10, 10), Red);
    EXPECT_EQ(copy.Pixel(10, 10), clWhite);

    Bitmap.SetSize(0, 0);
    C().FillRect(Rect(0, 0, 40, 40));
    C().TextOut(0, 0, "nothing to paint on");
    EXPECT_EQ(C().ClipRect(), TRect{});
    EXPECT_EQ(C().Pixel(0, 0), 0u);
}

} // namespace
} // namespace corvane
