// Task and progress bars: working-time ends, lock, keys, hostile files, pixels and hits.

#include "corvane/framework/chart/qvtResources.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/localization/qvtLocalization.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/Graphics.h"

#include "ChartFixture.h"
#include "support/PixelChecks.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

const TDateTime Friday = EncodeDate(2024, 1, 5);
const TDateTime Thursday = Friday - 1;
const TDateTime Monday = Friday + 3;

class TaskBars : public ChartFixture {
protected:
    // One row, days with non-working weekends, the chart from Thursday at x = 0, 50 pixels a day.
    void buildWith(const std::vector<std::shared_ptr<TQVTGanttBar>>& bars, bool weekends = true)
    {
        build({{0, bars}});
        if (weekends) {
            document->Fcalendar->AddPredefinedCategories();
            table().RecalculateEffective();
        }
        document->setStartDate(Thursday);
        document->FEndDate = Thursday + 30;
        row(0).setHeight(40);
        table().invalidateRowGeometry();
    }

    std::shared_ptr<TQVTTaskBar> task(TDateTime start, TDateTime end)
    {
        return std::make_shared<TQVTTaskBar>(start, end, 0);
    }
};

TEST_F(TaskBars, TheEndFollowsTheWorkingTimeWhenTheStartMovesUnlessTheBarIsLocked)
{
    const auto bar = task(Friday, Friday + 1);
    buildWith({bar});
    EXPECT_EQ(bar->getEffectiveDuration(), 1);
    bar->setStartDate(Thursday);
    EXPECT_EQ(bar->getEndDate(), Friday);
    bar->setStartDate(Friday + 0.5);
    EXPECT_EQ(bar->getEndDate(), Monday + 0.5) << "the weekend is passed over";
    bar->setPeriod(Thursday, Thursday + 20);
    EXPECT_EQ(bar->getEndDate(), Friday) << "the end argument of setPeriod is not used";
    EXPECT_TRUE(bar->occupies(Thursday, 0));
    EXPECT_FALSE(bar->occupies(Friday, 0));

    // A move through its operation keeps the working time too, and undo puts back the exact span.
    auto move = bar->moveTo(Friday, 0);
    ASSERT_NE(move, nullptr);
    ASSERT_TRUE(move->perform());
    EXPECT_EQ(bar->getEndDate(), Friday + 1);
    ASSERT_TRUE(move->undo());
    EXPECT_EQ(bar->getStartDate(), Thursday);
    EXPECT_EQ(bar->getEndDate(), Friday);
    EXPECT_EQ(bar->moveTo(Thursday, 0), nullptr) << "a move to where it is";

    bar->setEndDate(Monday + 1);
    EXPECT_EQ(bar->getEffectiveDuration(), 3) << "Thursday, Friday and Monday";
    bar->setEndDate(Thursday - 3);
    EXPECT_EQ(bar->getEndDate(), Friday) << "an end before the start leaves one unit of work";

    // A locked bar refuses every change of its times.
    const auto locked = task(Thursday, Friday);
    buildWith({locked});
    locked->setLocked(true);
    locked->setStartDate(Monday);
    locked->setEndDate(Monday + 4);
    locked->setEffectiveDuration(5);
    EXPECT_FALSE(locked->Resize(2, 0, true));
    EXPECT_EQ(locked->getStartDate(), Thursday);
    EXPECT_EQ(locked->getEndDate(), Friday);
    auto still = locked->moveTo(Monday, 0);
    ASSERT_NE(still, nullptr);
    EXPECT_TRUE(still->perform());
    EXPECT_EQ(locked->getStartDate(), Thursday);
    EXPECT_EQ(locked->getEndDate(), Friday);

    locked->setLocked(false);
    EXPECT_FALSE(locked->Resize(0, 0, true)) << "nothing to change";
    EXPECT_TRUE(locked->Resize(1, 0, true));
    EXPECT_EQ(locked->getEndDate(), Friday + 1);
    EXPECT_EQ(locked->getEffectiveDuration(), 2);
}

TEST_F(TaskBars, ProgressIsClampedProgressBarsShareTheTimeOfTaskBarsAndKeysReadBackToTheSameBytes)
{
    const auto bar = task(Thursday, Friday + 4);
    const auto progress = std::make_shared<TQVTProgressBar>(Friday, Friday + 1, 0);
    buildWith({bar, progress});
    bar->SetProgress(150);
    EXPECT_EQ(bar->FProgress, 100);
    bar->SetProgress(-3);
    EXPECT_EQ(bar->FProgress, 0);
    EXPECT_FALSE(bar->overlap(Friday, Friday + 1, 0, progress.get()));
    EXPECT_FALSE(progress->overlap(Thursday, Friday, 0, bar.get()));
    const auto other = task(0, 1);
    EXPECT_TRUE(bar->overlap(Friday, Friday + 1, 0, other.get()));
    other->QVTTag = 80;
    EXPECT_FALSE(bar->overlap(Friday, Friday + 1, 0, other.get()));
    auto fake = progress->getFakeClass()(1, 2, 0);
    EXPECT_NE(dynamic_cast<TQVTFakeProgressBar*>(fake.get()), nullptr);
    EXPECT_TRUE(fake->acceptConnections());
    EXPECT_FALSE(fake->isSummarizable());

    // Keys are written in order and read back to the same bytes.
    const auto kept = task(Thursday, Friday);
    buildWith({kept});
    kept->FBufferTimeLeft = 0.25;
    kept->FBufferTimeRight = 0.5;
    kept->FFixed = true;
    kept->SetProgress(40);
    kept->FTextHalo->TextTop = "Design";
    const std::string first = readFile(saveToFile(kept));
    std::vector<std::size_t> at;
    for (const char* key : {"settings=", "text halo=", "start date=", "end date=", "left buffer time=",
                            "right buffer time=", "effective duration=", "Fixed=1", "progress=40"}) {
        at.push_back(first.find(key));
        ASSERT_NE(at.back(), std::string::npos) << key;
    }
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end()));
    EXPECT_NE(first.find("bar height=18"), std::string::npos);

    // The values are not the defaults: one read back wrong changes the second file.
    const auto loaded = loadFile(saveToFile(kept));
    ASSERT_NE(std::dynamic_pointer_cast<TQVTTaskBar>(loaded), nullptr);
    EXPECT_EQ(readFile(saveToFile(loaded)), first);
    // What the summary update reads of a loaded bar shares one cache line (where loaded bars
    // lie is learnt from the first of a run, so a second one is checked).
    const auto again = std::dynamic_pointer_cast<TQVTTaskBar>(loadFile(saveToFile(kept)));
    const auto lineOf = [](const void* at) { return reinterpret_cast<std::uintptr_t>(at) / 64; };
    EXPECT_EQ(lineOf(&again->FstartDate), lineOf(reinterpret_cast<const char*>(&again->FEffectiveDuration + 1) - 1));

    // A bar without settings of its own names the document's and reads back sharing them.
    kept->SetSettings(nullptr);
    document->FTaskBarSettings = std::make_shared<TQVTTaskBarSettings>();
    document->FTaskBarSettings->setParent(document.get());
    EXPECT_EQ(kept->GetSettings(), document->FTaskBarSettings.get());
    const std::string shared = readFile(saveToFile(kept));
    EXPECT_NE(shared.find("settings=" + document->FTaskBarSettings->getUID()), std::string::npos);

    // Hostile values are brought into range; a stored end of zero is derived.
    const auto hostile = std::dynamic_pointer_cast<TQVTTaskBar>(
        loadFrom("[root]\ntypeID=Task Bar\nstart date=1e300\nend date=nan\nleft buffer time=-4\n"
                 "right buffer time=1e308\neffective duration=1e200\nprogress=250\nsettings=S\n"
                 "[S]\ntypeID=Task Bar Settings\nbar height=-7\nborder thickness=90000\n"));
    ASSERT_NE(hostile, nullptr);
    EXPECT_EQ(hostile->FstartDate, EncodeDate(9999, 12, 31));
    EXPECT_EQ(hostile->FendDate, 0);
    EXPECT_EQ(hostile->FBufferTimeLeft, 0);
    EXPECT_LT(hostile->FBufferTimeRight, 4e6);
    EXPECT_LT(hostile->FEffectiveDuration, 4e6);
    EXPECT_EQ(hostile->FProgress, 100);
    ASSERT_NE(hostile->FSettings, nullptr);
    EXPECT_EQ(hostile->FSettings->FHeight, 0);
    EXPECT_EQ(hostile->FSettings->FBorderThickness, TQVTTaskBarSettings::MaxBorderThickness);
    EXPECT_GE(capture.log.size(), 6u);

    // Placed into a document, the stored end of 0 is derived from the effective duration.
    const auto derived = std::dynamic_pointer_cast<TQVTTaskBar>(
        loadFrom("[root]\ntypeID=Task Bar\nstart date=" + std::to_string(Friday) +
                 "\nend date=0\neffective duration=2\nprogress=-9\n"));
    ASSERT_NE(derived, nullptr);
    EXPECT_EQ(derived->FProgress, 0);
    buildWith({derived});
    EXPECT_EQ(derived->getEndDate(), Monday + 1);
}

// Painting

constexpr int Width = 400;
constexpr int Height = 60;
constexpr TColor Body = 0x00C000;
constexpr TColor Border = 0x800000;
constexpr TColor Progress = 0x00FFFF;
constexpr TColor Buffer = 0x0080FF;

class TaskBarPainting : public TaskBars {
protected:
    // A bar from Friday to Tuesday (plain days, no weekends) with a solid body, a 2-pixel frame
    // and solid buffer zones: its box spans x 50..250, y 11..29 of a 40-pixel row.
    void SetUp() override
    {
        bar = task(Friday, Friday + 4);
        auto settings = std::make_shared<TQVTTaskBarSettings>();
        settings->FBorderColor = Border;
        settings->FBorderThickness = 2;
        settings->FProgressColor = Progress;
        settings->FVisualGoodie = std::make_shared<TQVTVisualGoodie>();
        settings->FVisualGoodie->FSolidFillColor = Body;
        settings->FVisualGoodie->FPatternFillStyle = bsSolid;
        settings->FVisualGoodie->FPatternColor = Buffer;
        bar->SetSettings(settings);
        progress = std::make_shared<TQVTProgressBar>(Friday, Friday + 2, 0);
        buildWith({bar, progress}, false);
        bitmap.SetSize(Width, Height);
    }

    void paint()
    {
        bitmap.Canvas().Brush() = TBrush{};
        bitmap.Canvas().FillRect(Rect(0, 0, Width, Height));
        TQVTCanvasVC vc(bitmap.Canvas());
        bar->getDrawer(vtGanttGraph)->Draw(vc);
        progress->getDrawer(vtGanttGraph)->Draw(vc);
    }

    TColor at(int x, int y) const { return bitmap.Pixel(x, y); }

    std::shared_ptr<TQVTTaskBar> bar;
    std::shared_ptr<TQVTProgressBar> progress;
    TBitmap bitmap;
};

TEST_F(TaskBarPainting, TheBoxHasItsFrameBodyProgressAndBuffersIsFoundUpToItsEdgesAndShowsItsState)
{
    const TRect r = bar->getRect(document->getStartDate());
    EXPECT_EQ(r, Rect(50, 11, 250, 29));
    bar->SetProgress(50);
    bar->FBufferTimeLeft = 1;
    bar->FBufferTimeRight = 0.5;
    paint();
    expectPixels(bitmap, {{50, 20, Border}, {51, 20, Border}, {150, 11, Border}, {249, 20, Border}});
    expectPixels(bitmap, {{49, 20, clWhite}, {150, 10, clWhite}});
    // Inner box 52..248 x 13..27: the left buffer (day one), the body, the right buffer (the
    // last half day). The progress strip: 1 pixel in, a third of 14 rows off, buffer above it.
    expectPixels(bitmap, {{60, 14, Buffer}, {110, 14, Body}, {240, 14, Buffer}});
    const int progressEnd = 53 + (194 * 50) / 100;
    expectPixels(bitmap, {{53, 20, Progress}, {progressEnd - 1, 20, Progress}, {progressEnd, 20, Body}});
    expectPixels(bitmap, {{53, 16, Buffer}});

    // The progress bar lies in the 8-pixel strip below the box.
    const TRect p = progress->getRect(document->getStartDate());
    EXPECT_EQ(p, Rect(50, 29, 150, 37));
    expectPixels(bitmap, {{100, 33, 0x008000u}, {100, 29, clBlack}, {100, 36, clBlack}});

    auto* drawer = dynamic_cast<TQVTGanttBarDrawer*>(bar->getDrawer(vtGanttGraph));
    ASSERT_NE(drawer, nullptr);
    EXPECT_EQ(drawer->locateObject(50, 11), bar.get());
    EXPECT_EQ(drawer->locateObject(249, 28), bar.get());
    EXPECT_EQ(drawer->locateObject(250, 20), nullptr);
    EXPECT_EQ(drawer->locateObject(49, 20), nullptr);
    EXPECT_EQ(drawer->locateObject(100, 29), nullptr);
    EXPECT_TRUE(drawer->closerToStart(150, 20));
    EXPECT_FALSE(drawer->closerToStart(151, 20));
    EXPECT_EQ(progress->getDrawer(vtGanttGraph)->locateObject(100, 30), progress.get());

    // Out of the document's dates or in a hidden row nothing is painted and nothing is found.
    document->FEndDate = Friday - 0.5;
    paint();
    EXPECT_EQ(drawer->locateObject(100, 20), nullptr);
    EXPECT_EQ(at(100, 20), clWhite);

    // Critical bars are framed in the critical colour; locked ones are labelled.
    document->FEndDate = Thursday + 30;
    bar->SetProgress(0);
    bar->FBufferTimeLeft = bar->FBufferTimeRight = 0;
    bar->FCriticalElement = true;
    paint();
    expectPixels(bitmap, {{50, 20, table().FCriticalPathColor}, {150, 28, table().FCriticalPathColor}});

    bar->FCriticalElement = false;
    paint();
    const TBitmap plain = bitmap;
    bar->setLocked(true);
    document->FDrawFixedLabels = false;
    paint();
    int differing = 0;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            differing += bitmap.Pixel(x, y) != plain.Pixel(x, y);
    EXPECT_EQ(differing, 0) << "no label while fixed labels are off";
    document->FDrawFixedLabels = true;
    CreateDefaultRessources_ENG();
    paint();
    ClearRessources();
    int white = 0;
    for (int y = 17; y < 29; ++y)
        for (int x = 53; x < 100; ++x)
            white += bitmap.Pixel(x, y) == clWhite;
    EXPECT_GT(white, 3) << "the white label text on its dark frame";
}

TEST_F(TaskBarPainting, WeekendsAreBrightenedOrCutOutOfTheBody)
{
    document->Fcalendar->AddPredefinedCategories();
    bar->adoptRowCalendar();
    const TDateTime end = bar->getEndDate();
    EXPECT_EQ(end, Monday + 1) << "the two working days of the span";
    paint();
    EXPECT_EQ(at(75, 14), Body) << "Friday";
    EXPECT_NE(at(125, 14), Body) << "Saturday is brightened";
    EXPECT_NE(at(125, 14), clWhite);

    table().FDrawBarsSliced = true;
    paint();
    // No slice over the weekend; Friday and Monday each have a frame of their own.
    expectPixels(bitmap, {{75, 14, Body}, {125, 14, clWhite}, {175, 14, clWhite}, {225, 14, Body}});
    expectPixels(bitmap, {{100, 14, Border}, {198, 14, Border}});
    EXPECT_EQ(bar->GetSettings()->FVisualGoodie->SlicesCount(), 2);
}

} // namespace
