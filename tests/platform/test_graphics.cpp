#include "corvane/platform/Colors.h"
#include "corvane/platform/Graphics.h"

#include "support/TestSupport.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

class GraphicsFiles : public ::testing::Test {
protected:
    std::string File(const std::string& name) const { return Dir.file(name); }

    test::ScratchDir Dir;
};

TColor Distinct(int x, int y)
{
    return static_cast<TColor>(x * 37 + 5) | static_cast<TColor>(y * 53 + 1) << 8 |
           static_cast<TColor>((x + y) * 19 + 3) << 16;
}

void ExpectSample(const TBitmap& bitmap)
{
    ASSERT_EQ(bitmap.Width(), 7);
    ASSERT_EQ(bitmap.Height(), 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(bitmap.Pixel(x, y), Distinct(x, y)) << x << "," << y;
}

TBitmap SampleBitmap()
{
    TBitmap bitmap;
    bitmap.SetSize(7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            bitmap.SetPixel(x, y, Distinct(x, y));
    return bitmap;
}

void PutLittleEndian32(std::string& bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Expects EFileError with a one-line message naming the file; answers the message.
template <typename Load>
std::string ExpectLoadError(const std::string& path, Load load)
{
    try {
        load();
        ADD_FAILURE() << "no error for " << path;
    } catch (const EFileError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        return message;
    }
    return {};
}

TEST_F(GraphicsFiles, BitmapAndJpegRoundTripsKeepThePicture)
{
    SampleBitmap().SaveToFile(File("bottom-up.bmp"));
    const std::string bottomUp = readFile(File("bottom-up.bmp"));
    EXPECT_EQ(bottomUp.substr(0, 2), "BM");
    TBitmap loaded;
    loaded.LoadFromFile(File("bottom-up.bmp"));
    ExpectSample(loaded);

    const std::size_t pixels = static_cast<unsigned char>(bottomUp[10]);
    const std::size_t rowBytes = (bottomUp.size() - pixels) / 5;
    // A negative height stores the rows top first.
    std::string topDown = bottomUp.substr(0, pixels);
    PutLittleEndian32(topDown, 22, static_cast<std::uint32_t>(-5));
    for (std::size_t row = 5; row-- > 0;)
        topDown += bottomUp.substr(pixels + row * rowBytes, rowBytes);
    writeFile(File("top-down.bmp"), topDown);
    loaded.LoadFromFile(File("top-down.bmp"));
    ExpectSample(loaded);

    // A JPEG keeps size and colours, and honours the quality.
    TBitmap halves;
    halves.SetSize(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            halves.SetPixel(x, y, x < 20 ? clRed : clBlue);
    TJPEGImage jpeg;
    jpeg.Assign(halves);
    const std::string path = File("halves.jpg");
    jpeg.SaveToFile(path);
    EXPECT_EQ(readFile(path).substr(0, 2), "\xFF\xD8");

    TJPEGImage loadedJpeg;
    loadedJpeg.LoadFromFile(path);
    ASSERT_EQ(loadedJpeg.Width(), 40);
    ASSERT_EQ(loadedJpeg.Height(), 30);
    TBitmap decoded;
    decoded.Assign(loadedJpeg);
    auto near = [](TColor a, TColor b) {
        for (int shift = 0; shift < 24; shift += 8)
            if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 40)
                return false;
        return true;
    };
    EXPECT_TRUE(near(decoded.Pixel(5, 15), clRed)) << std::hex << decoded.Pixel(5, 15);
    EXPECT_TRUE(near(decoded.Pixel(35, 15), clBlue)) << std::hex << decoded.Pixel(35, 15);

    // Noise compresses badly, so the quality shows in the file size.
    std::mt19937 random(7);
    TBitmap noise;
    noise.SetSize(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            noise.SetPixel(x, y, random() & 0xFFFFFF);
    jpeg.Assign(noise);
    jpeg.CompressionQuality = 10;
    jpeg.SaveToFile(File("low.jpg"));
    jpeg.CompressionQuality = 95;
    jpeg.SaveToFile(File("high.jpg"));
    EXPECT_LT(fs::file_size(File("low.jpg")) * 2, fs::file_size(File("high.jpg")));
}

TEST(Graphics, AssignCloneAndResizeCopyIndependentlyAndKeepPixelsInBounds)
{
    TBitmap bitmap = SampleBitmap();
    bitmap.SetTransparent(true);

    TJPEGImage jpeg;
    jpeg.CompressionQuality = 40;
    jpeg.Assign(bitmap);
    EXPECT_EQ(jpeg.Width(), 7);
    EXPECT_TRUE(jpeg.Transparent());
    EXPECT_EQ(jpeg.CompressionQuality, 40);

    TBitmap back;
    back.Assign(jpeg);
    EXPECT_EQ(back.Pixel(6, 4), Distinct(6, 4));

    const std::unique_ptr<TGraphic> clone = jpeg.Clone();
    EXPECT_EQ(clone->MimeType(), "image/jpg");
    EXPECT_EQ(dynamic_cast<TJPEGImage&>(*clone).CompressionQuality, 40);
    TJPEGImage other;
    other.Assign(*clone);
    EXPECT_EQ(other.CompressionQuality, 40);

    const std::unique_ptr<TGraphic> copy = bitmap.Clone();
    auto& copied = dynamic_cast<TBitmap&>(*copy);
    copied.SetPixel(0, 0, clWhite);
    EXPECT_EQ(bitmap.Pixel(0, 0), Distinct(0, 0));
    EXPECT_EQ(copied.Pixel(0, 0), clWhite);
    EXPECT_EQ(copied.MimeType(), "image/bmp");

    // Resizing keeps what still fits; pixels outside read as 0 and are not written.
    bitmap.SetSize(9, 3);
    EXPECT_EQ(bitmap.Pixel(6, 2), Distinct(6, 2));
    EXPECT_EQ(bitmap.Pixel(7, 0), clWhite);
    EXPECT_EQ(bitmap.Pixel(8, 2), clWhite);

    bitmap.SetPixel(0, 0, clBtnFace);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0xF0F0F0u);
    bitmap.SetPixel(1, 0, 0x023434FF);
    EXPECT_EQ(bitmap.Pixel(1, 0), 0x3434FFu);

    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {9, 0}, {0, 3}}) {
        bitmap.SetPixel(x, y, clRed);
        EXPECT_EQ(bitmap.Pixel(x, y), 0u);
    }

    EXPECT_THROW(bitmap.SetSize(100000, 100000), Exception);
    EXPECT_EQ(bitmap.Width(), 9);

    bitmap.SetSize(-4, 3);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0u);
    EXPECT_TRUE(TJPEGImage().Empty());
}

TEST_F(GraphicsFiles, UnreadableFilesThrowKeepTheContentAndNeverCrash)
{
    const std::string good = File("good.bmp");
    SampleBitmap().SaveToFile(good);
    const std::string bmp = readFile(good);
    TJPEGImage jpegSource;
    jpegSource.Assign(SampleBitmap());
    jpegSource.SaveToFile(File("good.jpg"));
    const std::string jpg = readFile(File("good.jpg"));

    std::mt19937 random(42);
    auto noise = [&random](std::size_t size) {
        std::string bytes(size, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        return bytes;
    };
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"empty.bmp", ""}, {"noise.bmp", noise(3000)}, {"noise-bm.bmp", "BM" + noise(3000)},
        {"header-only.bmp", bmp.substr(0, 54)}, {"half.bmp", bmp.substr(0, bmp.size() / 2)},
        {"last-byte-missing.bmp", bmp.substr(0, bmp.size() - 1)}, {"jpeg-data.bmp", jpg}, {"empty.jpg", ""},
        {"noise.jpg", noise(3000)}, {"noise-soi.jpg", "\xFF\xD8\xFF" + noise(3000)}, {"bitmap-data.jpg", bmp},
        {"cut-header.jpg", jpg.substr(0, 20)}};
    for (const auto& [name, bytes] : bad) {
        SCOPED_TRACE(name);
        const std::string path = File(name);
        writeFile(path, bytes);
        std::unique_ptr<TGraphic> graphic = CreateGraphicForFile(path);
        graphic->SetSize(2, 3);
        ExpectLoadError(path, [&] { graphic->LoadFromFile(path); });
        EXPECT_EQ(graphic->Width(), 2);
        EXPECT_EQ(graphic->Height(), 3);
    }

    const std::string missing = File("missing.bmp");
    ExpectLoadError(missing, [&] { TBitmap().LoadFromFile(missing); });
    ExpectLoadError(Dir.path().string(), [&] { TJPEGImage().LoadFromFile(Dir.path().string()); });

    // Random bytes never crash a reader; valid signatures lead it past its first checks.
    for (int i = 0; i < 200; ++i) {
        std::string bytes = noise(random() % 600);
        if (i % 3 == 1)
            bytes.replace(0, std::min<std::size_t>(2, bytes.size()), "BM");
        if (i % 3 == 2)
            bytes.replace(0, std::min<std::size_t>(3, bytes.size()), "\xFF\xD8\xFF");
        for (const std::string& path : {File("random.bmp"), File("random.jpg")}) {
            writeFile(path, bytes);
            try {
                CreateGraphicForFile(path)->LoadFromFile(path);
            } catch (const EFileError&) {
            }
        }
    }
}

// Offset of the frame header (SOF0) payload in a baseline JPEG file.
std::size_t FrameHeader(const std::string& jpeg)
{
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xFF) {
        if (static_cast<unsigned char>(jpeg[at + 1]) == 0xC0)
            return at + 4;
        at += 2 + (static_cast<unsigned char>(jpeg[at + 2]) << 8 | static_cast<unsigned char>(jpeg[at + 3]));
    }
    return std::string::npos;
}

TEST_F(GraphicsFiles, HeadersClaimingHugeDimensionsAreRefused)
{
    SampleBitmap().SaveToFile(File("small.bmp"));
    std::string bmp = readFile(File("small.bmp"));
    PutLittleEndian32(bmp, 18, 12000);
    PutLittleEndian32(bmp, 22, 9000);
    writeFile(File("huge.bmp"), bmp);
    EXPECT_NE(ExpectLoadError(File("huge.bmp"), [&] { TBitmap().LoadFromFile(File("huge.bmp")); }).find("12000 x 9000"),
              std::string::npos);

    TJPEGImage jpeg;
    jpeg.Assign(SampleBitmap());
    jpeg.SaveToFile(File("small.jpg"));
    std::string jpg = readFile(File("small.jpg"));
    const std::size_t frame = FrameHeader(jpg);
    ASSERT_NE(frame, std::string::npos);
    jpg.replace(frame + 1, 4, "\xFD\xE8\xFD\xE8"); // height and width 65000, big-endian
    writeFile(File("huge.jpg"), jpg);
    EXPECT_NE(
        ExpectLoadError(File("huge.jpg"), [&] { TJPEGImage().LoadFromFile(File("huge.jpg")); }).find("65000 x 65000"),
        std::string::npos);
}

TEST_F(GraphicsFiles, SaveFailuresKeepTheOldFileAndClassesFollowTheExtension)
{
    EXPECT_THROW(SampleBitmap().SaveToFile(File("no/such/folder/a.bmp")), EFileError);
    EXPECT_THROW(TJPEGImage().SaveToFile(File("empty.jpg")), EFileError);
    EXPECT_FALSE(fs::exists(File("empty.jpg")));

    const std::string path = File("kept.bmp");
    SampleBitmap().SaveToFile(path);
    const std::string before = readFile(path);
    EXPECT_THROW(TBitmap().SaveToFile(path), EFileError);
    EXPECT_EQ(readFile(path), before);

    // Graphic classes are chosen by extension.
    for (const auto& [name, type] : {std::pair{"a.bmp", "image/bmp"}, {"/x/B.BMP", "image/bmp"}, {"c.jpg", "image/jpg"},
                                     {"d.Jpeg", "image/jpg"}, {"e.PNG", "image/png"}})
        EXPECT_EQ(CreateGraphicForFile(name)->MimeType(), type) << name;
    for (const char* name : {"", "noext", "dir.bmp/file", "f.bmp.txt", ".bmp", "g.jp"})
        EXPECT_EQ(CreateGraphicForFile(name), nullptr) << name;

    TPicture picture;
    EXPECT_EQ(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Width(), 0);

    SampleBitmap().SaveToFile(File("a.bmp"));
    picture.LoadFromFile(File("a.bmp"));
    ASSERT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 7);
    EXPECT_EQ(picture.Height(), 5);

    TJPEGImage jpeg;
    jpeg.Assign(SampleBitmap());
    jpeg.SetSize(3, 2);
    jpeg.SaveToFile(File("b.JPEG"));
    picture.LoadFromFile(File("b.JPEG"));
    ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 3);

    // Failures leave the current graphic in place.
    fs::copy_file(File("a.bmp"), File("a.png"));
    ExpectLoadError(File("a.png"), [&] { picture.LoadFromFile(File("a.png")); });
    ExpectLoadError(File("gone.bmp"), [&] { picture.LoadFromFile(File("gone.bmp")); });
    EXPECT_EQ(picture.Height(), 2);

    picture.SetGraphic(nullptr);
    EXPECT_EQ(picture.Height(), 0);
}

} // namespace
} // namespace corvane
