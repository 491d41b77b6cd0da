// Text layout: line breaking, measuring, and aligned painting checked on pixels.

#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/framework/rendering/qvtTextArranger.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/tasktable/qvtTreeTextSettings.h"
#include "corvane/platform/Graphics.h"

#include <QString>

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace corvane;

namespace {

using Lines = std::vector<std::string>;

// Whole code points only: a broken sequence would not survive the round trip.
bool isValidUtf8(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())).toStdString() == s;
}

std::string joined(const Lines& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += line;
    return all;
}

class TextArranger : public ::testing::Test {
protected:
    // Measures in the settings font on a canvas of its own.
    TCanvas& measuring()
    {
        device.SetSize(1, 1);
        device.Canvas().Font() = *settings.GetFont();
        return device.Canvas();
    }
    int width(const std::string& text) { return measuring().TextWidth(text); }
    int lineHeight() { return measuring().TextHeight("A"); }

    Lines wrap(const std::string& text, int w)
    {
        arranger.wordWrapText(text, w, true);
        return arranger.textLines;
    }

    TBitmap device;
    TQVTTextSettings settings;
    TQVTTextArranger arranger{&settings};
};

TEST_F(TextArranger, LongWordsBreakInsideAndLinesBreakAfterTheirLastBlank)
{
    // Equal letters have additive widths, so the breaks fall at known places.
    EXPECT_EQ(wrap("xxxxxxxxxx", width("xxxx") + 1), (Lines{"xxxx", "xxxx", "xx"}));
    EXPECT_EQ(wrap("aaa aaa aaa", width("aaa a") + 1), (Lines{"aaa ", "aaa ", "aaa"}));
    EXPECT_EQ(wrap("aaa aaa aaa", 100000), (Lines{"aaa aaa aaa"}));
    // A line that fits only to its last character ends a character earlier.
    EXPECT_EQ(wrap("xxxx", width("xxxx")), (Lines{"xxx", "x"}));

    // A width below one character puts each character on its own line.
    for (const int w : {1, 0, -40}) {
        SCOPED_TRACE(w);
        EXPECT_EQ(wrap("abc", w), (Lines{"a", "b", "c"}));
        EXPECT_EQ(wrap("ab\r\ncd", w), (Lines{"a", "b", "c", "d"}));
        EXPECT_EQ(wrap("a \r\n\r\nb", w), (Lines{"a", " ", " ", "b"}));
    }
}

TEST_F(TextArranger, LineBreaksInEveryConventionEmptyTextAndMeasures)
{
    EXPECT_EQ(arranger.getTextHeight(), 0); // no lines yet
    EXPECT_EQ(wrap("", 100), Lines{});
    EXPECT_EQ(arranger.FFitHeight, 0);
    EXPECT_EQ(arranger.getTextWidthMAX(), -1);
    EXPECT_EQ(arranger.getTextWidth(""), width("W"));

    arranger.wordWrapText("", 100, false);
    EXPECT_EQ(arranger.textLines, Lines{""});

    EXPECT_EQ(wrap("one\r\ntwo\rthree\nfour", 100000), (Lines{"one", "two", "three", "four"}));
    // Empty lines, leading or inside, become lines of one blank; a final break adds none.
    EXPECT_EQ(wrap("\r\n\r\nabc\r\n\r\ndef\r\n", 100000), (Lines{" ", " ", "abc", " ", "def"}));
    EXPECT_EQ(wrap("\n\rx\r\r", 100000), (Lines{" ", " ", "x", " "}));
    // Without wrapping only the leading empty lines are taken off.
    arranger.wordWrapText("\r\nab\r\ncd", 1, false);
    EXPECT_EQ(arranger.textLines, (Lines{" ", "ab\r\ncd"}));

    EXPECT_EQ(wrap("ab\r\nabcd", 100000), (Lines{"ab", "abcd"}));
    EXPECT_EQ(arranger.getTextWidthMAX(), width("Wabcd"));
    EXPECT_EQ(arranger.FFitHeight, 2 * lineHeight());
    EXPECT_EQ(arranger.getTextHeight(), arranger.FFitHeight);
}

TEST_F(TextArranger, MultiByteCharactersAreNeverSplit)
{
    const std::string text = "Größe über 日本語テキスト 😀😀 ünd ëêè";
    for (int w = -1; w < width(text) + 2; ++w) {
        const Lines lines = wrap(text, w);
        EXPECT_EQ(joined(lines), text) << w;
        for (const std::string& line : lines)
            EXPECT_TRUE(isValidUtf8(line)) << w << ": " << line;
    }
    EXPECT_EQ(wrap("ä😀日", 1), (Lines{"ä", "😀", "日"}));
}

TEST_F(TextArranger, AMegabyteOfTextIsLaidOutWithoutLosingACharacter)
{
    std::string text;
    std::string plain;
    while (text.size() < (1u << 20)) {
        const std::string paragraph = "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod. "
                                      "Überschrift 日本 ";
        text += paragraph + paragraph + "\r\n";
        plain += paragraph + paragraph;
    }
    const int w = 300;
    const Lines lines = wrap(text, w);
    EXPECT_EQ(joined(lines), plain);
    EXPECT_GT(lines.size(), plain.size() / 80);

    // One word as long as the text, on one line and broken into many.
    const std::string word(1u << 20, 'x');
    EXPECT_EQ(wrap(word, 1 << 30), Lines{word});
    const Lines pieces = wrap(word, width("xxxxxxxxxx") + 1);
    EXPECT_EQ(pieces.size(), word.size() / 10 + (word.size() % 10 != 0));
    EXPECT_EQ(joined(pieces), word);
}

TEST_F(TextArranger, SettingsWithoutAFontLeaveEverythingAlone)
{
    TQVTTreeTextSettings noFont(nullptr, nullptr);
    TQVTTextArranger bare(&noFont);
    bare.textLines = {"kept"};
    bare.wordWrapText("new", 100, true);
    EXPECT_EQ(bare.textLines, Lines{"kept"});
    EXPECT_EQ(bare.getTextWidth("abc"), 0);
    EXPECT_EQ(bare.getTextHeight(), 0);

    TBitmap bitmap;
    bitmap.SetSize(20, 20);
    TQVTCanvasVC vc(bitmap.Canvas());
    bare.drawText(vc, Rect(0, 0, 20, 20), true, clBlack);
    bare.drawTextwhileFocused(vc, Rect(0, 0, 20, 20), clBlack, clBlack);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(bitmap.Pixel(x, y), clWhite);
}

// Painting into a rectangle of a white bitmap; text pixels are found by their exact colour.
class TextPainting : public TextArranger {
protected:
    static constexpr TRect Box{40, 30, 200, 90};

    TextPainting()
    {
        bitmap.SetSize(240, 120);
        settings.SetColor(clYellow);
    }

    // Paints the lines of text into Box on a fresh white bitmap.
    void paint(const std::string& text, int halign, int valign, bool fill = true, TColor color = clNone)
    {
        bitmap.Canvas().Brush() = TBrush{};
        bitmap.Canvas().FillRect(Rect(0, 0, 240, 120));
        settings.SetHAlign(halign);
        settings.SetVAlign(valign);
        arranger.wordWrapText(text, 100000, true);
        TQVTCanvasVC vc(bitmap.Canvas());
        arranger.drawText(vc, Box, fill, color);
    }

    // Bounding box of the pixels of a colour, Right and Bottom exclusive; rows from top to
    // bottom only.
    TRect ink(TColor color, int top = 0, int bottom = 120) const
    {
        TRect box{240, 120, -1, -1};
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 240; ++x)
                if (bitmap.Pixel(x, y) == color) {
                    box.Left = std::min(box.Left, x);
                    box.Top = std::min(box.Top, y);
                    box.Right = std::max(box.Right, x + 1);
                    box.Bottom = std::max(box.Bottom, y + 1);
                }
        return box;
    }

    static TRect shifted(TRect r, int dx, int dy) { return Rect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy); }

    TBitmap bitmap;
};

TEST_F(TextPainting, LinesAndBlocksAreAlignedInEveryWay)
{
    const int W = Box.Right - Box.Left;
    const int tw = width("HH");
    paint("HH", haLeft, vaTop);
    const TRect left = ink(clBlack);
    ASSERT_LT(left.Left, left.Right);
    EXPECT_GE(left.Left, Box.Left);
    EXPECT_LE(left.Left, Box.Left + 2);
    EXPECT_GE(left.Top, Box.Top);
    EXPECT_LT(left.Bottom, Box.Top + lineHeight());

    paint("HH", haRight, vaTop);
    EXPECT_EQ(ink(clBlack), shifted(left, W - tw, 0));
    EXPECT_LE(ink(clBlack).Right, Box.Right);
    paint("HH", haCenter, vaTop);
    EXPECT_EQ(ink(clBlack), shifted(left, (W - tw) / 2, 0));
    // Unknown codes lay out like the first.
    paint("HH", 7, -1);
    EXPECT_EQ(ink(clBlack), left);

    const int H = Box.Bottom - Box.Top;
    const int block = 2 * lineHeight();
    paint("H\r\nH", haLeft, vaTop);
    const TRect top = ink(clBlack);
    paint("H\r\nH", haLeft, vaBottom);
    EXPECT_EQ(ink(clBlack), shifted(top, 0, H - block));
    EXPECT_LE(ink(clBlack).Bottom, Box.Bottom);
    paint("H\r\nH", haLeft, vaCenter);
    EXPECT_EQ(ink(clBlack), shifted(top, 0, (H - block) / 2));

    // Each line is centred on its own.
    paint("HHHH\r\nH", haCenter, vaTop);
    const TRect first = ink(clBlack, 0, Box.Top + lineHeight());
    const TRect second = ink(clBlack, Box.Top + lineHeight());
    EXPECT_NEAR(first.Left + first.Right, second.Left + second.Right, 2);
    EXPECT_NEAR(first.Left + first.Right, Box.Left + Box.Right, 3);

    // A block taller than the rectangle overflows both ways when centred.
    paint("H\r\nH\r\nH\r\nH\r\nH\r\nH\r\nH\r\nH\r\nH\r\nH", haLeft, vaCenter);
    const TRect all = ink(clBlack);
    EXPECT_LT(all.Top, Box.Top);
    EXPECT_GT(all.Bottom, Box.Bottom);
    EXPECT_NEAR(all.Top - Box.Top, Box.Bottom - all.Bottom, lineHeight());
}

TEST_F(TextPainting, TheBackgroundAndTheTextColour)
{
    paint("HH", haLeft, vaTop);
    const auto at = [this](int x, int y) { return bitmap.Pixel(x, y); };
    EXPECT_TRUE(at(Box.Right - 1, Box.Bottom - 1) == clYellow && at(Box.Left, Box.Bottom - 1) == clYellow);
    EXPECT_TRUE(at(Box.Right, Box.Bottom) == clWhite && at(Box.Left - 1, Box.Top - 1) == clWhite);

    paint("HH", haLeft, vaTop, false);
    EXPECT_EQ(bitmap.Pixel(Box.Right - 1, Box.Bottom - 1), clWhite);
    settings.SetTransparent(true);
    paint("HH", haLeft, vaTop);
    EXPECT_EQ(bitmap.Pixel(Box.Right - 1, Box.Bottom - 1), clWhite);
    settings.SetTransparent(false);

    const TRect black = ink(clBlack);
    paint("HH", haLeft, vaTop, true, clRed);
    EXPECT_EQ(ink(clRed), black);
    EXPECT_EQ(ink(clBlack).Right, -1);
}

TEST_F(TextPainting, FocusedTextIsWrittenOverAFramedRamp)
{
    TFont font = *settings.GetFont();
    font.Color = clLime;
    settings.SetFont(font);
    settings.SetTransparent(true); // not consulted
    arranger.wordWrapText("HH", 0, false);
    TQVTCanvasVC vc(bitmap.Canvas());
    arranger.drawTextwhileFocused(vc, Box, clRed, clBlue);

    const int middle = (Box.Top + Box.Bottom) / 2;
    EXPECT_TRUE(bitmap.Pixel(Box.Left, Box.Top) == clBlack && bitmap.Pixel(Box.Right - 1, Box.Bottom - 1) == clBlack);
    // Red fading to blue: the outer columns' red and blue channels.
    const TColor first = bitmap.Pixel(Box.Left + 1, middle), last = bitmap.Pixel(Box.Right - 2, middle);
    EXPECT_EQ((std::vector<TColor>{first & 0xFF, first >> 16, last & 0xFF, last >> 16}),
              (std::vector<TColor>{0xFD, 0x02, 0x02, 0xFD}));
    EXPECT_EQ(bitmap.Pixel(Box.Right, middle), clWhite);
    EXPECT_GE(ink(clLime).Left, Box.Left);
}

TEST_F(TextPainting, TheImageIsPaintedBeforeTheFirstLineAndNarrowsIt)
{
    TBitmap image;
    image.SetSize(10, 8);
    image.Canvas().Brush().Color = clFuchsia;
    image.Canvas().FillRect(Rect(0, 0, 10, 8));
    image.SetTransparent(true);
    arranger.Fimage = &image;
    paint("H\r\nH", haLeft, vaTop);

    EXPECT_FALSE(image.Transparent());
    EXPECT_EQ(ink(clFuchsia), Rect(Box.Left, Box.Top, Box.Left + 10, Box.Top + 8));
    EXPECT_GE(ink(clBlack, 0, Box.Top + lineHeight()).Left, Box.Left + 15);
    EXPECT_LT(ink(clBlack, Box.Top + lineHeight()).Left, Box.Left + 15);

    // 15 pixels of the first line are taken by the image and its gap.
    EXPECT_EQ(wrap("xxxxxxxxxx", width("xxxxxx") + 1 + 15), (Lines{"xxxxxx", "xxxx"}));
    arranger.Fimage = nullptr;
    EXPECT_GT(wrap("xxxxxxxxxx", width("xxxxxx") + 1 + 15).at(0).size(), 6u);
}

} // namespace
