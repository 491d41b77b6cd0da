// Every operation of the visual context in one picture, compared with tests/data/gallery.png.
// Regenerate after an intended change with CORVANE_UPDATE_GALLERY=1 and inspect the result.

#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/framework/rendering/qvtTextArranger.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/platform/Graphics.h"

#include "support/ReferencePicture.h"

#include <gtest/gtest.h>
#include <string>

namespace corvane {
namespace {

constexpr int Width = 480;
constexpr int Height = 400;

void label(TQVTVisualContext& vc, int x, int y, const std::string& text)
{
    vc.setFont("Arial", 7, clGray, false, false, false, 0);
    vc.textOutOriented(x, y, text, 0);
}

void paintLines(TQVTVisualContext& vc)
{
    label(vc, 4, 2, "lines, pens, rectangles");
    const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame};
    int y = 16;
    for (TPenStyle style : styles) {
        vc.setPenStyle(style);
        vc.setDrawingColor(clNavy);
        vc.drawLine(4, y, 110, y);
        y += 5;
    }
    vc.setPenStyle(psSolid);
    for (int width = 1; width <= 4; ++width) {
        vc.setPenWidth(width);
        vc.drawLine(Point(4 + 26 * (width - 1), 56), Point(24 + 26 * (width - 1), 76));
    }
    vc.setPenWidth(1);
    vc.setDrawingColor(clMaroon);
    vc.drawLine(Rect(4, 84, 110, 90));
    vc.drawRect(Rect(120, 14, 160, 40), psSolid, clRed);
    vc.drawRect(Rect(166, 14, 206, 40), psDot, clBlue);
    vc.DrawRessourceLabelRect(Rect(212, 14, 252, 40), clGreen);
    vc.FillArea(Rect(120, 48, 160, 90), clTeal, bsSolid);
    vc.FillArea(Rect(166, 48, 206, 90), clPurple, bsDiagCross);
    vc.fillBounds(Rect(212, 48, 252, 90), Rect(220, 56, 244, 82), clOlive, bsSolid);
    vc.setDrawingColor(clBlack);
    vc.drawPolygon({Point(262, 14), Point(300, 24), Point(290, 60), Point(270, 40)}, clYellow);
    for (int i = 0; i < 20; ++i)
        vc.drawPixel(262 + 2 * i, 80 - (i * i) / 20, clRed);
}

void paintFills(TQVTVisualContext& vc)
{
    label(vc, 4, 96, "gradients, brighten, 3-D frames, patterns");
    vc.gradientFill(Rect(4, 110, 110, 130), clNavy, clAqua, true);
    vc.gradientFill(Rect(4, 134, 110, 160), clYellow, clRed, false);
    vc.gradientFill(Rect(4, 164, 110, 165), clGreen, clRed, false);
    vc.gradientFill(Rect(4, 168, 110, 190), clGray, clBlack, true);
    vc.brighten(Rect(4, 168, 110, 190), 0x303000, true);
    const TColor frames[] = {clNavy, clGreen, clMaroon, clGray, 0x40A0F0};
    for (int i = 0; i < 5; ++i)
        vc.Draw3dFrame(Rect(120, 110 + 16 * i, 250, 124 + 16 * i), frames[i]);
    const TBrushStyle patterns[] = {bsSolid,     bsClear,     bsHorizontal, bsVertical,
                                    bsFDiagonal, bsBDiagonal, bsCross,      bsDiagCross};
    vc.setDrawingColor(clBlack);
    for (int i = 0; i < 8; ++i) {
        const int x = 260 + (i % 4) * 54;
        const int y = 110 + (i / 4) * 40;
        vc.DrawPattern(Rect(x, y, x + 48, y + 34), clCream, clNavy, patterns[i]);
    }
}

void paintShapes(TQVTVisualContext& vc)
{
    label(vc, 4, 196, "triangles, arrows, clips, pictures, saved area");
    vc.setDrawingColor(clRed);
    for (int d = 0; d < 4; ++d)
        vc.drawTriangle(16 + 24 * d, 220, 4 + 3 * d, d);
    vc.setDrawingColor(clBlue);
    vc.drawVertArrow(110, 210, 250);
    vc.drawVertArrow(124, 250, 210);
    vc.drawHorzArrow(236, 10, 60);
    vc.drawHorzArrow(250, 96, 40);

    // Nested clips, one of them disjoint, and the diagnostic cross.
    vc.SetClipRect(Rect(140, 210, 220, 260));
    vc.DrawPattern(Rect(0, 0, Width, Height), clWhite, clMoneyGreen, bsBDiagonal);
    vc.outline();
    vc.SetClipRect(Rect(180, 230, 260, 300));
    vc.FillArea(Rect(0, 0, Width, Height), clSkyBlue, bsSolid);
    vc.SetClipRect(Rect(0, 0, 10, 10));
    vc.FillArea(Rect(0, 0, Width, Height), clRed, bsSolid);
    vc.ResetClipRect();
    vc.ResetClipRect();
    vc.setDrawingColor(clBlack);
    vc.drawLine(140, 255, 260, 255);
    vc.ResetClipRect();

    TBitmap picture;
    picture.SetSize(4, 4);
    for (int i = 0; i < 16; ++i)
        picture.SetPixel(i % 4, i / 4, i % 2 ? clFuchsia : clLime);
    vc.drawGraphic(270, 210, picture);
    vc.stretchGraphic(Rect(280, 210, 312, 242), picture);

    // Drag feedback: an outline drawn over a saved area and taken away again,
    // then one that stays.
    vc.gradientFill(Rect(324, 210, 470, 260), clWhite, clSilver, false);
    vc.saveArea(Rect(330, 216, 380, 240));
    vc.drawRect(Rect(330, 216, 380, 240), psDot, clBlack);
    vc.restoreArea();
    vc.drawRect(Rect(400, 216, 450, 240), psDot, clBlack);
}

void paintTexts(TQVTVisualContext& vc)
{
    label(vc, 4, 266, "texts");
    vc.setFont("Arial", 10, clBlack, false, false, false, 0);
    vc.FillArea(Rect(4, 280, 90, 300), clCream, bsSolid);
    vc.centerText(Rect(4, 280, 90, 300), "centred", true);
    vc.FillArea(Rect(60, 304, 96, 324), clCream, bsSolid);
    vc.centerText(Rect(60, 304, 96, 324), "wider than its box", true);
    vc.setFont("Arial", 9, clMaroon, true, false, false, 0);
    vc.FillArea(Rect(4, 330, 40, 394), clCream, bsSolid);
    vc.centerTextVertical(Rect(4, 330, 40, 394), "upward");
    vc.setFont("Arial", 9, clNavy, false, true, true, 0);
    vc.textOutOriented(60, 390, "turned 45", 45);
    vc.setFont("Arial", 0, clGreen, true, true, false, -16);
    vc.textOutOriented(130, 300, "Height -16", 0);
    vc.setFont("Arial", 12, clPurple, false, false, false, 0);
    vc.textOutOriented(210, 280, "-90", -90);
}

void paintArrangedTexts(TQVTVisualContext& vc)
{
    const std::string text = "Wrapped text, aligned in its box.\nA second paragraph with Averyveryverylongword.";
    TQVTTextSettings settings;
    TFont font;
    font.SetSize(8);
    settings.SetFont(font);
    settings.SetColor(clCream);
    TQVTTextArranger arranger(&settings);
    const int aligns[3][2] = {{haLeft, vaTop}, {haCenter, vaCenter}, {haRight, vaBottom}};
    for (int i = 0; i < 3; ++i) {
        const TRect box = Rect(236 + 80 * i, 276, 310 + 80 * i, 394);
        settings.SetHAlign(aligns[i][0]);
        settings.SetVAlign(aligns[i][1]);
        arranger.wordWrapText(text, box.Right - box.Left, true);
        arranger.drawText(vc, box, true, clNone);
        vc.drawRect(box, psSolid, clGray);
    }
}

void paintGallery(TBitmap& bitmap)
{
    TQVTCanvasVC vc(bitmap.Canvas());
    vc.setVisibleArea(Rect(0, 0, Width, Height));
    vc.startBuffering();
    vc.FillArea(Rect(0, 0, Width, Height), clWhite, bsSolid);
    paintLines(vc);
    paintFills(vc);
    paintShapes(vc);
    paintTexts(vc);
    paintArrangedTexts(vc);
    vc.displayBuffer();
}

TEST(Gallery, MatchesTheReferencePicture)
{
    TBitmap bitmap;
    bitmap.SetSize(Width, Height);
    paintGallery(bitmap);
    test::expectMatchesReference(bitmap, "gallery.png");
}

} // namespace
} // namespace corvane
