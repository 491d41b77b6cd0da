#include "corvane/framework/media/qvtDefaultMedia.h"
#include "corvane/framework/media/qvtIniFileMedia.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/platform/Graphics.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <limits>

using namespace corvane;
using corvane::test::Capture;
using corvane::test::ScratchDir;

TEST(MediaFactory, SplitsStorageStringsPicksTheStoreAndTheDummyStoresNothing)
{
    EXPECT_EQ(TQVTMediaFactory::GetProtocol("file:///tmp/a.ini"), "file");
    EXPECT_EQ(TQVTMediaFactory::GetProtocol("no colon"), "default");
    EXPECT_EQ(TQVTMediaFactory::GetType("file:///tmp/a.ini"), "ini");
    EXPECT_EQ(TQVTMediaFactory::GetType("file:///tmp/plan"), "ini");
    EXPECT_EQ(TQVTMediaFactory::GetType("file:///tmp/dir.v2/plan"), "v2/plan");
    EXPECT_EQ(TQVTMediaFactory::GetPath("file:///tmp/a.ini"), "/tmp/a.ini");
    EXPECT_EQ(TQVTMediaFactory::GetPath("file:/tmp/a.ini"), "");

    ScratchDir dir;
    const auto ini = "file://" + dir.file("a.ini");
    EXPECT_NE(dynamic_cast<TQVTDefaultMedia*>(TQVTMediaFactory::CreateMedia("").get()), nullptr);
    EXPECT_NE(dynamic_cast<TQVTDefaultMedia*>(TQVTMediaFactory::CreateMedia("default").get()), nullptr);
    EXPECT_NE(dynamic_cast<TQVTINIFIle*>(TQVTMediaFactory::CreateMedia(ini).get()), nullptr);
    for (const std::string storage :
         {"file:///tmp/a.txt", "C:\\plans\\a.ini", "file:///tmp/x.d/plan", "FILE:///a.ini"}) {
        auto media = TQVTMediaFactory::CreateMedia(storage);
        EXPECT_EQ(typeid(*media), typeid(TQVTDummyMedia)) << storage;
    }

    TQVTDummyMedia media("x");
    int i = 7;
    media.setIntProperty("s", "k", 9);
    EXPECT_FALSE(media.getIntProperty("s", "k", 3, i));
    EXPECT_EQ(i, 3);
    std::vector<std::string> list{"a"};
    EXPECT_FALSE(media.getStrArrayProperty("s", "k", list));
    EXPECT_TRUE(list.empty());
    TBitmap bitmap;
    EXPECT_EQ(media.setGraphic("p.bmp", "image/bmp", bitmap), "dummy filename that does not exists.");
}

TEST(IniMedia, ScalarsAndArraysRoundTripThroughTheFile)
{
    ScratchDir dir;
    const auto path = dir.file("doc.ini");
    const double awkward = 0.1 + 0.2;
    {
        TQVTINIFIle media(path);
        media.setIntProperty("S", "int", -42);
        media.setStrProperty("S", "str", "  padded \"text\" ");
        media.setBoolProperty("S", "bool", true);
        media.setRealProperty("S", "real", awkward);
        media.setColorProperty("S", "named", 0x000000);
        media.setColorProperty("S", "hex", 0x027FFFFF);
        media.setStrArrayProperty("T", "rows", {"a", "b", "c", "d", "e"});
        media.setStrArrayProperty("T", "rows", {"x", "y", "z"});
        media.setIntArrayProperty("T", "empty", {});
        media.setRealArrayProperty("T", "reals", {1.5, -2.25});
        media.setBoolArrayProperty("T", "flags", {true, false});
        media.flush();
    }
    const std::string text = corvane::test::readFile(path);
    EXPECT_NE(text.find("bool=1"), std::string::npos);
    EXPECT_NE(text.find("named=clBlack"), std::string::npos);
    EXPECT_NE(text.find("hex=$027FFFFF"), std::string::npos);
    EXPECT_NE(text.find("rows#4=e"), std::string::npos) << "a save never deletes keys";

    TQVTINIFIle media(path);
    int i = 0;
    std::string s;
    bool b = false;
    double r = 0;
    TColor c = 0;
    EXPECT_TRUE(media.getIntProperty("s", "INT", 0, i));
    EXPECT_EQ(i, -42);
    EXPECT_TRUE(media.getStrProperty("S", "str", "", s));
    EXPECT_EQ(s, "  padded \"text\" ");
    EXPECT_TRUE(media.getBoolProperty("S", "bool", false, b));
    EXPECT_TRUE(b);
    EXPECT_TRUE(media.getRealProperty("S", "real", 0, r));
    EXPECT_EQ(r, awkward);
    EXPECT_TRUE(media.getColorProperty("S", "hex", 0, c));
    EXPECT_EQ(c, 0x027FFFFFu);

    std::vector<std::string> rows;
    EXPECT_TRUE(media.getStrArrayProperty("T", "rows", rows));
    EXPECT_EQ(rows, (std::vector<std::string>{"x", "y", "z"}));
    std::vector<int> ints{1};
    EXPECT_TRUE(media.getIntArrayProperty("T", "empty", ints));
    EXPECT_TRUE(ints.empty());
    EXPECT_FALSE(media.getIntArrayProperty("T", "never", ints));
    std::vector<double> reals;
    EXPECT_TRUE(media.getRealArrayProperty("T", "reals", reals));
    EXPECT_EQ(reals, (std::vector<double>{1.5, -2.25}));
    std::vector<bool> flags;
    EXPECT_TRUE(media.getBoolArrayProperty("T", "flags", flags));
    EXPECT_EQ(flags, (std::vector<bool>{true, false}));
}

TEST(IniMedia, NamesAreTakenByTheirLengthAndValuesStayOnOneLine)
{
    ScratchDir dir;
    const auto path = dir.file("views.ini");
    // Views into longer text: only the viewed characters name the section and the key.
    const std::string text = "Section of the plan|additional sections of the box|rest";
    const std::string_view section = std::string_view(text).substr(0, 19);
    const std::string_view longKey = std::string_view(text).substr(20, 30);
    {
        TQVTINIFIle media(path);
        media.setStrArrayProperty(section, longKey, {"first", "second"});
        media.setStrArrayProperty(section, longKey.substr(0, 10), {"only"});
        media.setStrProperty(section, "broken", "two\nlines\r\nhere");
        media.setStrProperty(section, "plain", "one line");
        media.flush();
    }
    const std::string saved = corvane::test::readFile(path);
    EXPECT_EQ(saved, "[Section of the plan]\n"
                     "additional sections of the box#count=2\n"
                     "additional sections of the box#0=first\n"
                     "additional sections of the box#1=second\n"
                     "additional#count=1\n"
                     "additional#0=only\n"
                     "broken=two lines  here\n"
                     "plain=one line\n");

    TQVTINIFIle media(path);
    std::vector<std::string> longer, shorter;
    // Reading one array between the elements of another keeps each one's keys apart.
    EXPECT_TRUE(media.getStrArrayProperty(section, longKey, longer));
    EXPECT_TRUE(media.getStrArrayProperty(section, longKey.substr(0, 10), shorter));
    EXPECT_EQ(longer, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(shorter, (std::vector<std::string>{"only"}));
    std::string value;
    EXPECT_TRUE(media.getStrProperty(section.substr(0, 19), "plain", std::string_view("default").substr(0, 3), value));
    EXPECT_EQ(value, "one line");
    EXPECT_FALSE(media.getStrProperty(section.substr(0, 7), "plain", std::string_view("default").substr(0, 3), value));
    EXPECT_EQ(value, "def");
}

TEST(IniMedia, UnreadableColourGivesTheDefaultAndALogLine)
{
    ScratchDir dir;
    const auto path = dir.file("colours.ini");
    corvane::test::writeFile(path, "[Weekends]\nColor=$023434FF\nBad=not a colour\nEmpty=\n");
    TQVTINIFIle media(path);
    Capture capture;
    TColor c = 0;
    EXPECT_TRUE(media.getColorProperty("Weekends", "Color", 1, c));
    EXPECT_EQ(c, 0x023434FFu);
    EXPECT_TRUE(media.getColorProperty("Weekends", "Bad", 0x123456, c));
    EXPECT_EQ(c, 0x123456u);
    ASSERT_EQ(capture.log.size(), 1u);
    EXPECT_NE(capture.log[0].find("Weekends"), std::string::npos);
    EXPECT_NE(capture.log[0].find("Bad"), std::string::npos);
    EXPECT_TRUE(media.getColorProperty("Weekends", "Empty", 0x42, c));
    EXPECT_EQ(c, 0x42u);
    EXPECT_TRUE(media.getColorProperty("Weekends", "Absent", 0x43, c));
    EXPECT_EQ(c, 0x43u);
}

TEST(IniMedia, WritesTheFileOnlyWhenFlushedAndNeverMovesTheCurrentDirectory)
{
    ScratchDir dir;
    const auto path = dir.file("later.ini");
    const auto cwd = std::filesystem::current_path();
    auto media = TQVTMediaFactory::CreateMedia("file://" + path);
    EXPECT_EQ(std::filesystem::current_path(), cwd);
    EXPECT_EQ(media->getDirectory(), dir.path().string());
    media->setStrProperty("root", "typeID", "Document");
    EXPECT_FALSE(std::filesystem::exists(path));
    int other = 0;
    EXPECT_FALSE(media->getIntProperty("root", "x", 0, other));
    std::string seen;
    EXPECT_TRUE(media->getStrProperty("root", "typeID", "", seen)) << "a write is seen by later reads";
    media->flush();
    EXPECT_TRUE(std::filesystem::exists(path));

    std::filesystem::create_directories(dir.path() / "folder.ini");
    EXPECT_THROW(TQVTMediaFactory::CreateMedia("file://" + dir.file("folder.ini")), EFileError) << "unreadable";
}

TEST(IniMedia, ASaveThatFailsHalfWayLeavesTheFileAsItWas)
{
    ScratchDir dir;
    const auto path = dir.file("plan.ini");
    const std::string original = "[root]\ntypeID=Document\nlegend=Legend\n[Legend]\ntypeID=Legend\n";
    corvane::test::writeFile(path, original);
    const auto halfSave = [](IQVTMedia& media) {
        media.setStrProperty("root", "typeID", "Changed");
        media.deleteProperty("root", "legend");
        media.setIntArrayProperty("Legend", "items", {1, 2, 3});
        throw EFileError("the save broke off");
    };
    EXPECT_THROW(halfSave(*TQVTMediaFactory::CreateMedia("file://" + path)), EFileError);
    EXPECT_EQ(corvane::test::readFile(path), original);
}

TEST(Media, DeletePropertyRemovesTheKeyWhereTheStoreKeepsKeys)
{
    ScratchDir dir;
    const auto path = dir.file("plan.ini");
    corvane::test::writeFile(path, "[root]\nlegend=Legend\ncalendar=Cal\n[Other]\nlegend=Kept\n");
    {
        TQVTINIFIle media(path);
        media.deleteProperty("ROOT", "Legend");
        media.deleteProperty("root", "absent");
        media.deleteProperty("absent", "legend");
        std::string value;
        EXPECT_FALSE(media.getStrProperty("root", "legend", "none", value));
        EXPECT_EQ(value, "none");
        media.flush();
    }
    EXPECT_EQ(corvane::test::readFile(path), "[root]\ncalendar=Cal\n[Other]\nlegend=Kept\n");
    TQVTDummyMedia().deleteProperty("root", "legend");
}

TEST(IniMedia, PicturesGoBesideTheDocumentAndNeverOutsideIt)
{
    ScratchDir dir;
    std::filesystem::create_directories(dir.path() / "doc");
    TQVTINIFIle media(dir.file("doc/plan.ini"));
    TBitmap bitmap;
    bitmap.SetSize(3, 2);
    const auto name = media.setGraphic("Logo.bmp", "image/bmp", bitmap);
    EXPECT_EQ(name, (dir.path() / "doc" / "Logo.bmp").string());
    EXPECT_TRUE(std::filesystem::exists(name));
    const auto hostile = media.setGraphic("../../escape.bmp", "image/bmp", bitmap);
    EXPECT_EQ(std::filesystem::path(hostile).parent_path(), dir.path() / "doc");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "escape.bmp"));
    const auto other = media.setGraphic("Other.gif", "image/gif", bitmap);
    EXPECT_FALSE(std::filesystem::exists(other)) << "only bmp and jpg are stored";
}

TEST(DefaultMedia, AnswersTheBuiltInDocumentOnly)
{
    TQVTDefaultMedia media;
    std::string value;
    EXPECT_TRUE(media.getStrProperty("Default Tree Row", "other", "Missing", value));
    EXPECT_EQ(value, "Missing");
    TColor colour = 0;
    EXPECT_FALSE(media.getColorProperty("Weekends", "Color", 5, colour)) << "colours are read as strings";
    std::vector<std::string> names{"x"};
    EXPECT_TRUE(media.getStrArrayProperty("Default Calendar", "nothing", names));
    EXPECT_TRUE(names.empty());
    media.setStrProperty("root", "typeID", "Changed");
    media.deleteProperty("root", "typeID");
    media.getStrProperty("root", "typeID", "", value);
    EXPECT_EQ(value, "Document") << "the built-in document does not change";
}
