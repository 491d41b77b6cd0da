// Paints every operation of the visual context, and a few wrapped, aligned
// texts, into one picture and compares it pixel for pixel with
// tests/data/gallery.png. The picture of the last run is kept as
// gallery.png in the build folder.
//
// After an intended change of the drawing, regenerate the reference with
//   CORVANE_UPDATE_GALLERY=1 QT_QPA_PLATFORM=offscreen <build>/tests/test_gallery
// and look at the new picture before committing it.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "framework/qvtCanvasVC.h"
#include "framework/qvtTextArranger.h"
#include "framework/qvtTextSettings.h"

namespace corvane {
namespace {

// PNG files of 8-bit RGB pixels, compressed with stored (uncompressed)
// deflate blocks: enough to keep a reference picture that any viewer opens.
namespace png {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void put32(Bytes& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint32_t get32(const Bytes& in, std::size_t at)
{
    return std::uint32_t(in[at]) << 24 | std::uint32_t(in[at + 1]) << 16 | std::uint32_t(in[at + 2]) << 8 |
           in[at + 3];
}

void chunk(Bytes& out, const char* type, const Bytes& data)
{
    put32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, crc32(out.data() + start, out.size() - start));
}

const Bytes Signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void save(TBitmap& bitmap, const std::string& fileName)
{
    const int w = bitmap.Width(), h = bitmap.Height();
    Bytes raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0); // no filter
        for (int x = 0; x < w; ++x) {
            const TColor c = bitmap.Pixel(x, y);
            raw.insert(raw.end(), {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)});
        }
    }
    Bytes z = {0x78, 0x01};
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.insert(z.end(), {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(~n), std::uint8_t(~n >> 8)});
        z.insert(z.end(), raw.begin() + static_cast<long>(at), raw.begin() + static_cast<long>(at + n));
    }
    put32(z, b << 16 | a);

    Bytes header;
    put32(header, static_cast<std::uint32_t>(w));
    put32(header, static_cast<std::uint32_t>(h));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    Bytes file = Signature;
    chunk(file, "IHDR", header);
    chunk(file, "IDAT", z);
    chunk(file, "IEND", {});
    std::ofstream(fileName, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                    static_cast<std::streamsize>(file.size()));
}

// Reads what save writes; nullopt for anything else.
std::optional<TBitmap> load(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (file.size() < 8 || !std::equal(Signature.begin(), Signature.end(), file.begin()))
        return std::nullopt;
    std::uint32_t w = 0, h = 0;
    Bytes z;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::uint32_t size = get32(file, at);
        if (size > file.size() - at - 12)
            return std::nullopt;
        const std::string type(file.begin() + static_cast<long>(at + 4), file.begin() + static_cast<long>(at + 8));
        const auto data = file.begin() + static_cast<long>(at + 8);
        if (type == "IHDR") {
            w = get32(file, at + 8);
            h = get32(file, at + 12);
            if (size != 13 || data[8] != 8 || data[9] != 2 || data[12] != 0 || w > 4096 || h > 4096)
                return std::nullopt;
        } else if (type == "IDAT") {
            z.insert(z.end(), data, data + size);
        }
        at += 12 + size;
    }
    Bytes raw;
    for (std::size_t at = 2; at + 5 <= z.size();) {
        if ((z[at] & 0x06) != 0)
            return std::nullopt; // compressed: not one of ours
        const std::size_t n = z[at + 1] | std::size_t(z[at + 2]) << 8;
        if (at + 5 + n > z.size())
            return std::nullopt;
        raw.insert(raw.end(), z.begin() + static_cast<long>(at + 5), z.begin() + static_cast<long>(at + 5 + n));
        if (z[at] & 1)
            break;
        at += 5 + n;
    }
    if (w == 0 || raw.size() != std::size_t(h) * (3 * w + 1))
        return std::nullopt;
    TBitmap bitmap;
    bitmap.SetSize(static_cast<int>(w), static_cast<int>(h));
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t* row = raw.data() + y * (3 * w + 1);
        if (row[0] != 0)
            return std::nullopt;
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint8_t* p = row + 1 + 3 * x;
            bitmap.SetPixel(static_cast<int>(x), static_cast<int>(y), TColor(p[0]) | TColor(p[1]) << 8 | TColor(p[2]) << 16);
        }
    }
    return bitmap;
}

} // namespace png

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
    const TBrushStyle patterns[] = {bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross};
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
    png::save(bitmap, std::string(CORVANE_BINARY_DIR) + "/gallery.png");

    const std::string reference = std::string(CORVANE_TEST_DATA) + "/gallery.png";
    if (std::getenv("CORVANE_UPDATE_GALLERY")) {
        png::save(bitmap, reference);
        GTEST_SKIP() << "reference written to " << reference;
    }
    std::optional<TBitmap> expected = png::load(reference);
    ASSERT_TRUE(expected) << "cannot read " << reference;
    ASSERT_EQ(expected->Width(), Width);
    ASSERT_EQ(expected->Height(), Height);
    int differing = 0;
    std::string first;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            if (bitmap.Pixel(x, y) != expected->Pixel(x, y) && differing++ == 0)
                first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
    EXPECT_EQ(differing, 0) << "first at " << first << "; the picture is " << CORVANE_BINARY_DIR << "/gallery.png";
}

} // namespace
} // namespace corvane
