// Fill styles on pixels, and picture resources in side files that stay in the folder.

#include "corvane/framework/chart/qvtResources.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/platform/Graphics.h"

#include "support/DocumentFileTest.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr int Width = 120;
constexpr int Height = 40;
constexpr TColor Fill = 0x00C000;
constexpr TColor Glyph = 0x0000FF;

std::unique_ptr<TBitmap> solidBitmap(int width, int height, TColor color)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(width, height);
    bitmap->Canvas().Brush() = TBrush{color, bsSolid};
    bitmap->Canvas().FillRect(Rect(0, 0, width, height));
    return bitmap;
}

class Goodies : public DocumentFileTest {
protected:
    Goodies()
    {
        bitmap.SetSize(Width, Height);
        goodie->FSolidFillColor = Fill;
        goodie->FRect = Rect(10, 10, 110, 20);
    }

    TQVTVisualGoodieDrawer& drawer() { return dynamic_cast<TQVTVisualGoodieDrawer&>(*goodie->getDrawer(vtGanttGraph)); }

    void clear()
    {
        bitmap.Canvas().Brush() = TBrush{};
        bitmap.Canvas().FillRect(Rect(0, 0, Width, Height));
    }

    void paint(void (TQVTVisualGoodieDrawer::*step)(TQVTVisualContext&) = nullptr)
    {
        clear();
        TQVTCanvasVC vc(bitmap.Canvas());
        if (step)
            (drawer().*step)(vc);
        else
            drawer().Draw(vc);
    }

    void paintSliceConnector()
    {
        TQVTCanvasVC vc(bitmap.Canvas());
        drawer().drawSliceConnector(vc, clRed, 1, psSolid);
    }

    int countOf(TColor color, TRect area) const
    {
        int n = 0;
        for (int y = area.Top; y < area.Bottom; ++y)
            for (int x = area.Left; x < area.Right; ++x)
                n += bitmap.Pixel(x, y) == color;
        return n;
    }

    std::shared_ptr<TQVTPictureResource> glyph(TColor color)
    {
        auto resource = std::make_shared<TQVTPictureResource>("glyph");
        resource->setGraphic(solidBitmap(4, 4, color));
        return resource;
    }

    std::shared_ptr<TQVTVisualGoodie> goodie = std::make_shared<TQVTVisualGoodie>();
    TBitmap bitmap;
};

TEST_F(Goodies, TheBodyFillsItsRectangleOrItsSlicesAndAnEmptySectionLoadsTheDefaults)
{
    paint();
    EXPECT_EQ(countOf(Fill, Rect(0, 0, Width, Height)), 100 * 10);
    EXPECT_EQ(countOf(Fill, goodie->FRect), 100 * 10);

    goodie->AddSlice(10, 30);
    goodie->AddSlice(50, 60);
    goodie->AddSlice(90, 110);
    EXPECT_EQ(goodie->SlicesCount(), 3);
    EXPECT_EQ(goodie->GetSliced(1), (TQVTTimeSlice{50, 60}));
    EXPECT_EQ(goodie->GetSliced(7), TQVTTimeSlice{});
    paint();
    EXPECT_EQ(countOf(Fill, Rect(0, 0, Width, Height)), 50 * 10);
    EXPECT_EQ(bitmap.Pixel(40, 15), clWhite);
    EXPECT_EQ(bitmap.Pixel(55, 15), Fill);

    // Three slices are joined by two lines along the bottom; one slice by none.
    clear();
    paintSliceConnector();
    EXPECT_EQ(countOf(clRed, Rect(0, 20, Width, 21)), 20 + 30);
    goodie->ClearTimeSlices();
    goodie->AddSlice(10, 30);
    paint(&TQVTVisualGoodieDrawer::fillGoodie);
    paintSliceConnector();
    EXPECT_EQ(countOf(clRed, Rect(0, 0, Width, Height)), 0);

    // An empty section loads the defaults; hostile styles are replaced.
    const auto loaded = std::dynamic_pointer_cast<TQVTVisualGoodie>(loadFrom("[root]\ntypeID=Visual Goodie\n"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->FDrawStyle, dsDrawSolid);
    EXPECT_EQ(loaded->FSolidFillColor, 0xFF0000u);
    EXPECT_EQ(loaded->FGradientFillStartColor, 0xFF0000u);
    EXPECT_EQ(loaded->FGradientFillEndColor, 0x800080u);
    EXPECT_TRUE(loaded->FGradientFillHorizontal);
    EXPECT_EQ(loaded->FPatternFillStyle, bsDiagCross);
    EXPECT_EQ(loaded->FStartGlyph, nullptr);
    EXPECT_EQ(loaded->FEndGlyph, nullptr);

    const auto hostile = std::dynamic_pointer_cast<TQVTVisualGoodie>(
        loadFrom("[root]\ntypeID=Visual Goodie\ndraw style=200\npatterm fill style=-4\n"));
    ASSERT_NE(hostile, nullptr);
    EXPECT_EQ(hostile->FDrawStyle, dsDrawSolid);
    EXPECT_EQ(hostile->FPatternFillStyle, bsDiagCross);
    EXPECT_EQ(std::count_if(capture.log.begin(), capture.log.end(),
                            [](const std::string& line) { return line.find("Visual goodie") != std::string::npos; }),
              2);

    auto other = std::make_shared<TQVTVisualGoodie>();
    other->Assign(*loaded);
    EXPECT_EQ(other->FGradientFillEndColor, 0x800080u);
    EXPECT_EQ(other->FPatternFillStyle, bsSolid) << "the pattern is not copied";
}

TEST_F(Goodies, GlyphsArePaintedFlushWithTheBodysEndsAndSavedInSideFilesWithPlainNames)
{
    // A transparent bitmap drops the colour of its bottom-left pixel.
    goodie->FStartGlyph = glyph(Glyph);
    goodie->FStartGlyph->getGraphic().SetSize(5, 5);
    dynamic_cast<TBitmap&>(goodie->FStartGlyph->getGraphic()).SetPixel(0, 4, clBlack);
    goodie->FEndGlyph = goodie->FStartGlyph;
    paint(&TQVTVisualGoodieDrawer::drawGlyphs);
    EXPECT_TRUE(goodie->FStartGlyph->getGraphic().Transparent());
    // The 4 x 4 glyph pixels of the 5 x 5 picture (the rest is white) become 8 x 8 of the square.
    EXPECT_EQ(countOf(Glyph, Rect(10, 10, 18, 18)), 64);
    EXPECT_EQ(countOf(Glyph, Rect(100, 10, 108, 18)), 64);
    EXPECT_EQ(countOf(Glyph, Rect(20, 0, 100, Height)) + countOf(Glyph, Rect(0, 0, 10, Height)) +
                  countOf(Glyph, Rect(110, 0, Width, Height)) + countOf(Glyph, Rect(10, 0, 110, 10)) +
                  countOf(Glyph, Rect(10, 20, 110, Height)),
              0);
    EXPECT_EQ(countOf(clBlack, Rect(0, 0, Width, Height)), 0);
    EXPECT_EQ(bitmap.Pixel(10, 19), clWhite);

    // Buffers are pattern filled beside the body; brightening spares patterns.
    goodie->FPatternFillStyle = bsSolid;
    goodie->FPatternColor = clRed;
    goodie->FRect = Rect(30, 10, 90, 20);
    clear();
    TQVTCanvasVC vc(bitmap.Canvas());
    drawer().drawBuffers(Rect(10, 10, 110, 20), vc);
    EXPECT_EQ(countOf(clRed, Rect(0, 0, Width, Height)), (20 + 20) * 10);
    EXPECT_EQ(countOf(clRed, Rect(30, 10, 90, 20)), 0);

    drawer().brighten(vc, Rect(10, 10, 20, 20), 0x202020);
    EXPECT_EQ(bitmap.Pixel(15, 15), 0x2020FFu);
    goodie->FDrawStyle = dsDrawPattern;
    drawer().brighten(vc, Rect(10, 10, 20, 20), 0x202020);
    EXPECT_EQ(bitmap.Pixel(15, 15), 0x2020FFu);

    // Glyphs are saved in side files and read back to the same bytes.
    goodie->FStartGlyph = glyph(Glyph);
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->Assign(*solidBitmap(8, 8, Fill));
    goodie->FEndGlyph = std::make_shared<TQVTPictureResource>("end");
    goodie->FEndGlyph->setGraphic(std::move(jpeg));
    goodie->FEndGlyph->setMimeType("image/jpeg");

    const std::string path = saveToFile(goodie);
    const std::string first = readFile(path);
    const std::string startName = goodie->FStartGlyph->getUID();
    const std::string startFile =
        startName.substr(0, startName.find(':')) + "_" + startName.substr(startName.find(':') + 1) + ".bmp";
    EXPECT_NE(first.find("filename=" + startFile), std::string::npos) << first;
    EXPECT_NE(first.find("mimetype=image/bmp"), std::string::npos);
    EXPECT_NE(first.find("mimetype=image/jpeg"), std::string::npos) << "the recorded type is kept";
    EXPECT_EQ(first.find(dir.path().string()), std::string::npos) << "no folder in the keys";
    EXPECT_TRUE(std::filesystem::exists(dir.path() / startFile));

    const auto loaded = std::dynamic_pointer_cast<TQVTVisualGoodie>(loadFile(path));
    ASSERT_NE(loaded, nullptr);
    ASSERT_NE(loaded->FStartGlyph, nullptr);
    ASSERT_NE(loaded->FEndGlyph, nullptr);
    EXPECT_TRUE(loaded->FStartGlyph->isLoaded());
    EXPECT_TRUE(loaded->FEndGlyph->isLoaded());
    const auto* picture = dynamic_cast<const TBitmap*>(&loaded->FStartGlyph->getGraphic());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), 4);
    EXPECT_EQ(picture->Pixel(1, 1), Glyph);
    EXPECT_NE(dynamic_cast<const TJPEGImage*>(&loaded->FEndGlyph->getGraphic()), nullptr);
    EXPECT_EQ(readFile(saveToFile(loaded)), first);

    // A section name with unsafe characters suggests a plain file name.
    auto resource = std::make_shared<TQVTPictureResource>("pic");
    resource->setGraphic(solidBitmap(3, 3, Glyph));
    resource->setMimeType("");
    const auto unsafe = dir.file("doc.ini");
    auto media = TQVTMediaFactory::CreateMedia("file://" + unsafe);
    TQVTEntityFactory factory;
    factory.saveObject("My pic: one/../two", *media, resource.get());
    media->flush();
    const std::string saved = readFile(unsafe);
    EXPECT_NE(saved.find("filename=My_pic__one_.._two.bmp"), std::string::npos) << saved;
    EXPECT_NE(saved.find("mimetype=image/bmp"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "My_pic__one_.._two.bmp"));
}

// Picture resources

TEST_F(Goodies, APictureResourceStartsAsACrossedPlaceholderWhichMissingOrHostileNamesKeepInTheFolder)
{
    const auto folder = dir.path() / "doc";
    std::filesystem::create_directories(folder);
    solidBitmap(5, 5, Glyph)->SaveToFile((dir.path() / "outside.bmp").string());
    solidBitmap(5, 5, Glyph)->SaveToFile((folder / "inside.bmp").string());
    writeFile((folder / "garbage.bmp").string(), "not a picture");
    solidBitmap(TQVTPictureResource::MaxSide + 1, 1, Glyph)->SaveToFile((folder / "wide.bmp").string());
    writeFile((folder / "doc.ini").string(), "[root]\ntypeID=Visual Goodie\nstart glyph=A\nend glyph=B\n"
                                             "[A]\ntypeID=Picture Resource\nfilename=../outside.bmp\n"
                                             "[B]\ntypeID=Picture Resource\nfilename=C:\\elsewhere\\inside.bmp\n"
                                             "[C]\ntypeID=Picture Resource\nfilename=missing.bmp\n"
                                             "[D]\ntypeID=Picture Resource\nfilename=garbage.bmp\n"
                                             "[E]\ntypeID=Picture Resource\nfilename=..\n"
                                             "[F]\ntypeID=Picture Resource\nfilename=wide.bmp\n");
    const auto doc = (folder / "doc.ini").string();
    const auto resource = [&](const std::string& section) {
        return std::dynamic_pointer_cast<TQVTPictureResource>(loadFile(doc, section));
    };

    const auto goodie = std::dynamic_pointer_cast<TQVTVisualGoodie>(loadFile(doc));
    ASSERT_NE(goodie, nullptr);
    EXPECT_FALSE(goodie->FStartGlyph->isLoaded()) << "../outside.bmp is read as outside.bmp of the folder";
    EXPECT_EQ(goodie->FStartGlyph->getFileName(), "outside.bmp");
    EXPECT_TRUE(goodie->FEndGlyph->isLoaded()) << "a stored path is reduced to its base name";
    EXPECT_EQ(goodie->FEndGlyph->getFileName(), "inside.bmp");
    capture.log.clear();
    for (const char* section : {"C", "D", "E", "F"}) {
        const auto r = resource(section);
        ASSERT_NE(r, nullptr) << section;
        EXPECT_FALSE(r->isLoaded()) << section;
        EXPECT_TRUE(r->isPlaceholder()) << section;
        EXPECT_EQ(r->getGraphic().Width(), 100) << section;
    }
    EXPECT_EQ(capture.log.size(), 4u);
    EXPECT_EQ(resource("E")->getFileName(), "_");

    // Saving elsewhere keeps the names and never writes the placeholder over a picture.
    const std::string garbageBefore = readFile((folder / "garbage.bmp").string());
    const std::string resaved = readFile(saveToFile(resource("D")));
    EXPECT_NE(resaved.find("filename=garbage.bmp"), std::string::npos);
    EXPECT_EQ(readFile((folder / "garbage.bmp").string()), garbageBefore);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "garbage.bmp"));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path().parent_path()))
        EXPECT_EQ(entry.path().extension(), "") << "nothing written beside the scratch folder";

    // A fresh resource is a crossed placeholder.
    const TQVTPictureResource fresh("r");
    const auto* placeholder = dynamic_cast<const TBitmap*>(&fresh.getGraphic());
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->Width(), 100);
    EXPECT_EQ(placeholder->Height(), 100);
    EXPECT_EQ(placeholder->Pixel(10, 10), clBlack);
    EXPECT_EQ(placeholder->Pixel(10, 90), clBlack);
    EXPECT_EQ(placeholder->Pixel(10, 50), clWhite);
    EXPECT_TRUE(fresh.isPlaceholder());
    EXPECT_FALSE(fresh.isLoaded());
    EXPECT_NE(TQVTPictureResourcePersistence::MimeTypeGraphic("image/jpeg"), nullptr);
    EXPECT_EQ(TQVTPictureResourcePersistence::MimeTypeGraphic("image/gif"), nullptr);
}

} // namespace
