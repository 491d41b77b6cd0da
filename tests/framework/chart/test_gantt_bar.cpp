// The bar base: span rules, rectangle, hit testing, placeholder bars, time operations.

#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/interaction/qvtUndoRedoStack.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/Graphics.h"

#include "ChartFixture.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

class GanttBar : public ChartFixture {
protected:
    std::shared_ptr<TQVTGanttBar> plain(TDateTime start, TDateTime end)
    {
        return std::make_shared<TQVTGanttBar>(start, end, 0);
    }

    TQVTUndoRedoStack history;
};

TEST_F(GanttBar, ABarLastsAtLeastOneUnitHasAHaloOfItsOwnAndCountsWorkingDaysOfTheRow)
{
    const auto same = plain(5, 5);
    EXPECT_EQ(same->FendDate, 6);
    EXPECT_EQ(plain(5, 3)->FendDate, 6);
    EXPECT_EQ(plain(5, 7.5)->FendDate, 7.5);
    ASSERT_NE(same->FTextHalo, nullptr);
    EXPECT_NE(same->FTextHalo->FTextSettings, nullptr);
    build({{0, {same}}});
    EXPECT_EQ(same->FTextHalo->getParent(), same.get());

    const auto b = plain(10, 12);
    build({{0, {b}}});
    EXPECT_TRUE(b->Resize(-5, 0, true));
    EXPECT_EQ(b->FendDate, 11);
    EXPECT_TRUE(b->Resize(1.5, 0, true));
    EXPECT_EQ(b->FendDate, 12.5);
    EXPECT_TRUE(b->Resize(7, 0, false));
    EXPECT_EQ(b->FstartDate, 11.5);
    document->Fcalendar->SetTimeMode(tmHour);
    EXPECT_TRUE(b->Resize(-30, 0, true));
    EXPECT_DOUBLE_EQ(b->FendDate, 11.5 + 1.0 / 24) << "one unit of the calendar's mode";

    const TDateTime friday = EncodeDate(2024, 5, 17);
    const auto week = plain(friday, friday + 4);
    build({{0, {}}, {0, {week}}});
    document->Fcalendar->AddPredefinedCategories();
    EXPECT_EQ(week->getEffectiveDuration(), 2);
    week->FendDate = 1e300;
    week->FstartDate = EncodeDate(9999, 12, 25);
    EXPECT_LE(week->getEffectiveDuration(), 7) << "the count ends with the calendar's last year";
    week->setEffectiveDuration(3);
    EXPECT_EQ(week->FendDate, week->FstartDate + 3);

    // Placeholder and shadow bars narrow the row and are never found.
    const auto fake = std::make_shared<TQVTFakeBar>(100, 101, 0);
    const auto shadow = std::make_shared<TQVTShadowTaskBar>(100, 101, 0);
    const auto low = std::make_shared<TQVTShadowProgressBar>(100, 101, 0);
    build({{0, {fake, shadow, low}}});
    table().SetColumnWidth(10);
    EXPECT_EQ(fake->getRect(100), (TRect{0, 5, 10, 15}));
    EXPECT_TRUE(fake->acceptConnections());
    EXPECT_EQ(shadow->getRect(100), (TRect{0, 0, 10, 15}));
    EXPECT_EQ(low->getRect(100), (TRect{0, 15, 10, 20}));
    EXPECT_EQ(plain(1, 2)->getFakeClass()(3, 4, 0)->ClassName(), "TQVTFakeBar");

    TBitmap bitmap;
    bitmap.SetSize(40, 40);
    TQVTCanvasVC vc(bitmap.Canvas());
    shadow->FColor = clLime;
    document->setEndDate(200);
    for (TQVTGanttBar* bar : std::initializer_list<TQVTGanttBar*>{fake.get(), shadow.get(), low.get()}) {
        auto* drawer = bar->getDrawer(vtGanttGraph);
        drawer->Draw(vc);
        EXPECT_EQ(drawer->locateObject(5, 10), nullptr) << bar->ClassName();
    }
    EXPECT_EQ(bitmap.Pixel(5, 7), clLime);
    EXPECT_FALSE(shadow->getDrawer(vtGanttGraph)->supportsHighlighting());
    document->setStartDate(150);
    EXPECT_FALSE(shadow->getDrawer(vtGanttGraph)->Draw(vc)) << "outside the document's dates";
    EXPECT_EQ(shadow->getDrawer(vtGanttGraph)->getRect(), TQVTGanttBarDrawer::NoRect);
}

TEST_F(GanttBar, TheRectangleFollowsColumnsAndRowsOverlapIsHalfOpenAndHighlightingFramesInDottedRed)
{
    const auto b = plain(102, 104.5);
    build({{0, {}}, {0, {b}}});
    table().SetColumnWidth(30);
    EXPECT_EQ(b->getRect(100), (TRect{60, 20, 135, 40}));
    table().SetColumnWidth(10);
    b->FstartDate = 102.25;
    EXPECT_EQ(b->getRect(100), (TRect{22, 20, 44, 40})) << "22.5 pixels from the start and wide: halves to even";
    table().SetColumnWidth(30);
    b->FstartDate = 102;

    auto* drawer = dynamic_cast<TQVTGanttBarDrawer*>(b->getDrawer(vtGanttGraph));
    ASSERT_NE(drawer, nullptr);
    EXPECT_EQ(drawer->locateObject(60, 20), nullptr) << "not painted yet";
    drawer->lastRect = b->getRect(100);
    EXPECT_EQ(drawer->locateObject(60, 20), b.get());
    EXPECT_EQ(drawer->locateObject(134, 39), b.get());
    EXPECT_EQ(drawer->locateObject(135, 30), nullptr) << "right and bottom are exclusive";
    drawer->lastRect = TRect{60, 20, 134, 40};
    EXPECT_TRUE(drawer->closerToStart(97, 0)) << "a tie goes to the start";
    EXPECT_FALSE(drawer->closerToStart(98, 0));

    const auto span = plain(10, 20);
    build({{0, {}}, {0, {span}}});
    EXPECT_FALSE(span->overlap(20, 30, 1, nullptr));
    EXPECT_TRUE(span->overlap(5, 10.5, 1, nullptr));
    EXPECT_TRUE(span->overlap(12, 13, 1, nullptr));
    EXPECT_FALSE(span->overlap(5, 10, 1, nullptr));
    EXPECT_FALSE(span->overlap(5, 30, 0, nullptr));
    EXPECT_TRUE(span->occupies(10, 1));
    EXPECT_FALSE(span->occupies(20, 1));
    EXPECT_FALSE(span->occupies(15, 0));
    EXPECT_EQ(span->getRow(), 1);
    EXPECT_EQ(span->getIndexInRow(), 0);

    // Highlighting frames the bar in dotted red.
    TBitmap bitmap;
    bitmap.SetSize(60, 40);
    bitmap.Canvas().Brush() = TBrush{clWhite, bsSolid};
    bitmap.Canvas().FillRect(Rect(0, 0, 60, 40));
    TQVTCanvasVC vc(bitmap.Canvas());
    TQVTGanttBarDrawer frame;
    frame.highlight(vc, TRect{10, 10, 40, 30});
    EXPECT_EQ(bitmap.Pixel(8, 8), clWhite) << "nothing while not highlighted";
    frame.setHighlighted(true);
    frame.highlight(vc, TRect{10, 10, 40, 30});
    EXPECT_EQ(bitmap.Pixel(8, 8), clRed);
    EXPECT_EQ(bitmap.Pixel(20, 20), clWhite);
}

TEST_F(GanttBar, RefusedTimeChangesLeaveTheBarAloneAndAcceptedOnesUndoToTheExactTimesTheBarHad)
{
    const auto b = plain(10, 12);
    const auto loose = plain(1, 2);
    build({{0, {b}}});
    const auto before = snapshot();
    hooks.OnBeforeBarResize = [](TQVTGanttBar*, bool& cancel) { cancel = true; };
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTBarResizeOperation>(&hooks, b, 3, 0, true)));
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTBarAssignTimeOperation>(&hooks, b, 20, 30)));
    hooks.OnBeforeBarResize = nullptr;
    hooks.OnBarResize = [](TQVTGanttBar*, double, int, bool, bool& allowed) { allowed = false; };
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTBarResizeOperation>(&hooks, b, 3, 0, true)));
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTBarAssignTimeOperation>(nullptr, loose, 20, 30)))
        << "a bar in no table";
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(loose->FstartDate, 1);
    EXPECT_EQ(history.GetUndoOperationCount(), 0);

    std::vector<double> changes;
    hooks.OnBarResize = [&](TQVTGanttBar*, double x, int, bool, bool&) { changes.push_back(x); };
    int after = 0;
    hooks.OnAfterBarResize = [&](TQVTGanttBar*) { ++after; };
    const auto unchanged = snapshot();
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTBarResizeOperation>(&hooks, b, -5, 0, true)));
    EXPECT_EQ(b->FendDate, 11) << "clamped to one unit";
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(b->FendDate, 12) << "not 11 + 5";
    EXPECT_EQ(snapshot(), unchanged);
    EXPECT_EQ(changes, (std::vector<double>{-5, 5}));
    EXPECT_EQ(after, 2);
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(b->FendDate, 11);

    // Assigned times are undone and redone.
    const auto resized = snapshot();
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTBarAssignTimeOperation>(nullptr, b, 20, 25.5)));
    EXPECT_EQ(b->getTimes().start, 20);
    EXPECT_EQ(b->getTimes().end, 25.5);
    const auto assigned = snapshot();
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(snapshot(), resized);
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(snapshot(), assigned);
}

} // namespace
