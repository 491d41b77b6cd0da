// Hostile documents from tests/data/hostile-bars load, repair, paint and save inside their folder.

#include "corvane/framework/chart/qvtResources.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/Graphics.h"

#include "framework/chart/ChartFixture.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

using namespace corvane;
using namespace corvane::test;
namespace fs = std::filesystem;

namespace {

// Every file below root with its content.
std::map<std::string, std::string> filesBelow(const fs::path& root)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).string()] = readFile(entry.path().string());
    return files;
}

class HostileBars : public ChartFixture {
protected:
    // The files go into "doc"; a real picture beside it is what an escaping name would find.
    void SetUp() override
    {
        folder = dir.path() / "doc";
        fs::create_directories(folder);
        for (const auto& entry : fs::directory_iterator(fs::path(CORVANE_TEST_DATA) / "hostile-bars"))
            fs::copy_file(entry.path(), folder / entry.path().filename());
        TBitmap outside;
        outside.SetSize(4, 4);
        outside.SaveToFile((dir.path() / "outside.bmp").string());
    }

    std::shared_ptr<TQVTGanttDocument> open(const std::string& name)
    {
        auto root = loadFile((folder / name).string());
        return std::dynamic_pointer_cast<TQVTGanttDocument>(root);
    }

    bool logged(const std::string& part) const
    {
        for (const std::string& line : capture.log)
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    }

    // Paints every bar and connection of the document, and every PERT box.
    void paintAll(TQVTGanttDocument& d)
    {
        TBitmap bitmap;
        bitmap.SetSize(300, 200);
        TQVTCanvasVC vc(bitmap.Canvas());
        d.setEndDate(EncodeDate(9999, 12, 31));
        for (const auto& r : d.Ftable->FRows) {
            for (const auto& b : r->FBarList)
                b->getDrawer(vtGanttGraph)->Draw(vc);
            if (r->FPertBar)
                r->FPertBar->getDrawer(vtPertGraph)->Draw(vc);
        }
        for (const auto& c : d.connections)
            c->getDrawer(vtGanttGraph)->Draw(vc);
    }

    // Saves into the document's folder and checks that only that folder changed.
    void saveInPlace(const std::shared_ptr<TQVTGanttDocument>& d)
    {
        auto before = filesBelow(dir.path());
        auto media = TQVTMediaFactory::CreateMedia("file://" + (folder / "saved.ini").string());
        TQVTEntityFactory factory;
        factory.saveObject("root", *media, d.get());
        media->flush();
        auto after = filesBelow(dir.path());
        for (const auto& [name, content] : after) {
            if (fs::path(name).parent_path() != "doc") {
                EXPECT_EQ(before[name], content) << name << " is outside the document's folder";
            }
        }
        for (const auto& [name, content] : before)
            EXPECT_EQ(after[name], content) << name << " was written over";
    }

    fs::path folder;
};

TEST_F(HostileBars, AbsurdValuesAreClampedAndReported)
{
    const TDateTime first = EncodeDate(1, 1, 1);
    const TDateTime last = EncodeDate(9999, 12, 31) + 1;
    auto d = open("absurd-values.ini");
    ASSERT_TRUE(d && d->Ftable);
    // Missing sections are reported in messages, repairs in the log.
    EXPECT_EQ(capture.messages.size(), 6u);
    for (const char* section : {"Far future", "Not a number", "Long ago", "Huge text", "Giant image look", "Progress",
                                "Giant look", "Giant progress look", "To nowhere", "From outside"})
        EXPECT_TRUE(logged(section)) << section;

    TQVTGanttTable& t = *d->Ftable;
    ASSERT_EQ(t.countRows(), 2);
    EXPECT_GT(t.GetColumnWidth(), 0);
    for (const auto& r : t.FRows) {
        EXPECT_GE(r->getHeight(), 0);
        EXPECT_LE(r->getHeight(), 32767);
        for (const auto& b : r->FBarList) {
            EXPECT_TRUE(b->getStartDate() >= first && b->getStartDate() < last) << b->getUID();
            EXPECT_TRUE(b->getEndDate() > b->getStartDate() && b->getEndDate() <= last) << b->getUID();
            if (auto* task = dynamic_cast<TQVTTaskBar*>(b.get())) {
                EXPECT_TRUE(task->getProgress() >= 0 && task->getProgress() <= 100);
                EXPECT_TRUE(std::isfinite(task->getEffectiveDuration()) && task->getEffectiveDuration() > 0);
                EXPECT_TRUE(task->FBufferTimeLeft >= 0 && task->FBufferTimeLeft <= last - first);
                EXPECT_TRUE(task->FBufferTimeRight >= 0 && task->FBufferTimeRight <= last - first);
                EXPECT_GE(task->GetSettings()->FBorderThickness, 0);
                EXPECT_LE(task->GetSettings()->FHeight, TQVTTaskBarSettings::MaxHeight);
            }
            if (auto* text = dynamic_cast<TQVTTextBar*>(b.get())) {
                EXPECT_LE(text->getHeight(), TQVTTextBar::MaxHeight);
            }
            if (auto* image = dynamic_cast<TQVTImageBar*>(b.get()); image && image->getSettings()) {
                EXPECT_LE(image->getSettings()->borderThickness, TQVTImageBarSettings::MaxSize);
                EXPECT_TRUE(image->getSettings()->height >= 0 &&
                            image->getSettings()->height <= TQVTImageBarSettings::MaxSize);
            }
        }
    }
    // The box two rows name is one object; its place and looks are in range.
    ASSERT_TRUE(t.FRows[0]->FPertBar);
    const TQVTPertBar& box = *t.FRows[0]->FPertBar;
    EXPECT_LE(std::abs(box.Fx), TQVTPertBar::MaxCoordinate);
    EXPECT_LE(std::abs(box.Fy), TQVTPertBar::MaxCoordinate);
    EXPECT_GE(box.effectiveSettings().FWidth, 1);
    EXPECT_GE(box.effectiveSettings().FHeight, 1);
    EXPECT_LE(box.effectiveSettings().FBorderThickness, TQVTPertBarSettings::MaxBorder);
    // Connections to missing bars and boxes are gone; the one listed twice is kept once.
    ASSERT_EQ(d->countConnections(), 1);
    EXPECT_GE(d->getConnection(0)->getConnType(), 0);
    EXPECT_LE(d->getConnection(0)->getConnType(), 3);
    // The one to a missing box and the box joined to itself are gone.
    ASSERT_LE(t.GetPertConnectionsCount(), 1);
    for (int i = 0; i < t.GetPertConnectionsCount(); ++i) {
        EXPECT_TRUE(t.GetPertConnection(i)->barFrom && t.GetPertConnection(i)->barTo);
        EXPECT_NE(t.GetPertConnection(i)->barFrom, t.GetPertConnection(i)->barTo);
    }
    EXPECT_LE(t.FRowsZOrder.size(), 1u);

    paintAll(*d);
    saveInPlace(d);
    // What was saved is in range: loading it again repairs nothing.
    capture.log.clear();
    ASSERT_TRUE(open("saved.ini"));
    for (const std::string& line : capture.log)
        EXPECT_EQ(line.find("range"), std::string::npos) << line;
}

TEST_F(HostileBars, PicturesAreReadOnlyFromTheDocumentsFolder)
{
    const std::string outside = readFile((dir.path() / "outside.bmp").string());
    auto d = open("pictures.ini");
    ASSERT_TRUE(d && d->Ftable);
    EXPECT_TRUE(capture.messages.empty());
    ASSERT_EQ(d->Ftable->countRows(), 1);
    const auto& bars = d->Ftable->FRows[0]->FBarList;
    ASSERT_EQ(bars.size(), 6u);
    std::vector<TQVTPictureResource*> pictures;
    for (const auto& b : bars)
        if (auto* image = dynamic_cast<TQVTImageBar*>(b.get()))
            pictures.push_back(image->FPictureResource.get());
    auto* task = dynamic_cast<TQVTTaskBar*>(bars[5].get());
    ASSERT_TRUE(task && task->GetSettings()->FVisualGoodie);
    const TQVTVisualGoodie& goodie = *task->GetSettings()->FVisualGoodie;
    EXPECT_LE(int{goodie.FDrawStyle}, int{dsDrawHatch});
    EXPECT_TRUE(goodie.FPatternFillStyle >= bsSolid && goodie.FPatternFillStyle <= bsDiagCross);
    pictures.push_back(goodie.FStartGlyph.get());
    pictures.push_back(goodie.FEndGlyph.get());
    ASSERT_EQ(pictures.size(), 7u);
    // None found a picture (outside, giant, truncated); each is logged and keeps a plain name.
    for (TQVTPictureResource* p : pictures) {
        ASSERT_TRUE(p);
        EXPECT_TRUE(p->isPlaceholder()) << p->getName();
        EXPECT_FALSE(p->isLoaded()) << p->getName();
        EXPECT_TRUE(logged("\"" + p->getName() + "\"")) << p->getName();
        EXPECT_EQ(p->getFileName().find_first_of("/\\:"), std::string::npos) << p->getFileName();
        EXPECT_NE(p->getFileName(), "..");
    }

    paintAll(*d);
    saveInPlace(d);
    EXPECT_EQ(readFile((dir.path() / "outside.bmp").string()), outside);
}

} // namespace
