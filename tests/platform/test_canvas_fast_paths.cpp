// A bitmap's canvas paints straight into its pixels; it must match the painter's.

#include "corvane/platform/Canvas.h"
#include "corvane/platform/Colors.h"
#include "corvane/platform/Graphics.h"
#include "corvane/platform/qt/QtCanvas.h"
#include "corvane/platform/qt/QtGraphics.h"

#include "support/CanvasComparison.h"

#include <QImage>
#include <QPainter>

#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace corvane {
namespace {

constexpr int Width = 160;
constexpr int Height = 60;

// Twice: the second time the bitmap's canvas takes the text from its cache.
void ExpectSame(const std::function<void(TCanvas&)>& paint, const std::string& what)
{
    test::expectBitmapPaintsAsPainter(Width, Height, paint, what, 2);
}

TEST(CanvasFastPaths, TextPaintsAndMeasuresAsThePainterDoes)
{
    const std::string texts[] = {"Task 12", "50%", "gjpqy WM", "Ä ß é", "   ", "|"};
    struct Style {
        int Height;
        TFontStyles Styles;
    };
    const Style styles[] = {{-11, {}}, {-16, {fsBold}}, {-13, {fsItalic}}, {-12, {fsUnderline, fsStrikeOut}}, {14, {}}};
    for (const std::string& text : texts)
        for (const Style& style : styles)
            for (bool opaque : {false, true}) {
                const auto paint = [&](TCanvas& canvas) {
                    canvas.Font().SetHeight(style.Height);
                    canvas.Font().Style = style.Styles;
                    canvas.Font().Color = 0x2040C0;
                    canvas.Brush() = TBrush{clYellow, opaque ? bsSolid : bsClear};
                    canvas.TextOut(5, 5, text);
                    // Cut by the surface on every side.
                    canvas.TextOut(-4, -3, text);
                    canvas.TextOut(Width - 12, Height - 8, text);
                    // And by a clip rectangle.
                    canvas.SelectClipRect(Rect(40, 30, 70, 38));
                    canvas.TextOut(36, 28, text);
                    canvas.SelectClipRect(std::nullopt);
                };
                ExpectSame(paint, "'" + text + "' height " + std::to_string(style.Height) +
                                      (opaque ? " opaque" : " transparent"));
            }

    // Measures agree with the painter's, also from the cache.
    TBitmap bitmap;
    bitmap.SetSize(10, 10);
    QImage image(10, 10, GraphicPixelFormat);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    for (TCanvas* c : {static_cast<TCanvas*>(&bitmap.Canvas()), static_cast<TCanvas*>(&canvas)}) {
        c->Font().SetHeight(-15);
        c->Font().Style = TFontStyles{fsBold};
    }
    for (const std::string& text : {std::string("A"), std::string("Task 7"), std::string(), std::string(300, 'x')}) {
        EXPECT_EQ(bitmap.Canvas().TextExtent(text), canvas.TextExtent(text)) << text.size();
        EXPECT_EQ(bitmap.Canvas().TextExtent(text), canvas.TextExtent(text)) << text.size();
    }
    // A colour or a turn does not change the measures; a size does.
    const TSize plain = bitmap.Canvas().TextExtent("Task 7");
    bitmap.Canvas().Font().Color = clRed;
    bitmap.Canvas().Font().Orientation = 900;
    EXPECT_EQ(bitmap.Canvas().TextExtent("Task 7"), plain);
    bitmap.Canvas().Font().SetHeight(-30);
    EXPECT_GT(bitmap.Canvas().TextExtent("Task 7").cx, plain.cx);
}

TEST(CanvasFastPaths, LinesAndRectanglesPaintWhatThePainterPaints)
{
    for (int width : {1, 3, 4}) {
        const auto paint = [width](TCanvas& canvas) {
            canvas.Pen() = TPen{clBlue, psSolid, width};
            canvas.SetBkMode(TBkMode::Transparent);
            for (int i = 0; i < 8; ++i) {
                canvas.MoveTo(10 + 3 * i, 5);
                canvas.LineTo(10 + 3 * i, 50 - 4 * i); // plumb, downwards
                canvas.MoveTo(150, 10 + 5 * i);
                canvas.LineTo(60 + 6 * i, 10 + 5 * i); // level, leftwards
            }
            canvas.MoveTo(-5, 55);
            canvas.LineTo(Width + 5, 55);
            canvas.Pen().Style = psDot;
            canvas.MoveTo(60, 2);
            canvas.LineTo(150, 2);
            canvas.Pen().Style = psInsideFrame;
            canvas.Brush() = TBrush{clRed, bsSolid};
            canvas.Rectangle(100, 30, 130, 50);
            canvas.SelectClipRect(Rect(20, 20, 90, 45));
            canvas.Pen().Style = psSolid;
            canvas.Rectangle(15, 25, 60, 60);
            canvas.MoveTo(0, 30);
            canvas.LineTo(100, 30);
            canvas.SelectClipRect(std::nullopt);
        };
        ExpectSame(paint, "pen width " + std::to_string(width));
    }
}

} // namespace
} // namespace corvane
