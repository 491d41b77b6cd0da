// The Gantt view: pixel mapping, scrolling limits, the drag outline and its undoable operations.
#include "corvane/framework/interaction/qvtGanttView.h"

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/Graphics.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace corvane;
using namespace corvane::test;

namespace {

const TDateTime Monday = EncodeDate(2026, 1, 5);

class GanttViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(ds.RowAppend());
        doc = ds.root();
        table = ds.GetTable();
        calendar = doc->getCalendar();
        calendar->SetTimeMode(tmDay);
        doc->setStartDate(Monday);
        view.setDataSource(&ds);
    }

    std::shared_ptr<TQVTTaskBar> addBar(int row, TDateTime start, TDateTime end)
    {
        auto bar = std::make_shared<TQVTTaskBar>(start, end, row);
        EXPECT_TRUE(ds.BarAdd(bar, row));
        return bar;
    }

    // Paints once, so that outlines have a visual context to belong to.
    void paint()
    {
        bitmap.SetSize(1200, 400);
        vc = std::make_unique<TQVTCanvasVC>(bitmap.Canvas());
        vc->setVisibleArea(TRect{0, 0, 1200, 400});
        view.Draw(&ds, *vc, false);
    }

    std::string saved() { return save(ds); }

    int columnX(double units) const
    {
        return doc->getColStartX(0) + static_cast<int>(std::lround(units * table->GetColumnWidth()));
    }
    int rowY(int row) { return table->getRowStartY(row); }

    TQVTDataSource ds;
    TQVTGanttView view;
    TQVTGanttDocument* doc = nullptr;
    TQVTGanttTable* table = nullptr;
    TQVTDocumentCalendar* calendar = nullptr;
    TBitmap bitmap;
    std::unique_ptr<TQVTCanvasVC> vc;
    DocumentSaver save;
};

TEST_F(GanttViewTest, PixelsMapToDatesAndRowsAndBackAndScrollingStaysWithinItsLimits)
{
    EXPECT_DOUBLE_EQ(view.getTime(columnX(0)), Monday);
    EXPECT_DOUBLE_EQ(view.getTime(columnX(3)), Monday + 3);
    EXPECT_NEAR(view.getTime(columnX(2.5)), Monday + 2.5, 1e-9);

    const TQVTColRow top = view.getColRow(columnX(2) + 1, rowY(1) + 3, false);
    EXPECT_EQ(top.row, 1);
    EXPECT_EQ(top.offset, 3);
    EXPECT_NEAR(top.col, 2.0 + 1.0 / table->GetColumnWidth(), 1e-9);

    view.setSnapToCell(true);
    EXPECT_EQ(view.getColRow(columnX(2.6), rowY(0), false).col, 3);
    EXPECT_EQ(view.getColRow(columnX(2.4), rowY(0), false).col, 2);

    // Above the table and below the last row there is no cell; the extended form goes on below.
    EXPECT_EQ(view.getColRow(columnX(1), doc->GetTableStartY() - 1, false).row, -1);
    const int below = rowY(3) + table->getRowHeight(3) + 5;
    EXPECT_EQ(view.getColRow(columnX(1), below, false).row, -1);
    EXPECT_EQ(view.getColRowExtended(columnX(1), below, false).row, 4);
    const int bottom = rowY(3) + table->getRowHeight(3);
    EXPECT_EQ(view.getColRowExtended(columnX(1), 2'000'000'000, false).row,
              4 + (2'000'000'000 - bottom) / table->getRowHeight(3));

    // Scrolling stays within its limits and answers the pixels moved.
    const int width = table->GetColumnWidth();
    EXPECT_EQ(view.scroll(3), 3 * width);
    EXPECT_DOUBLE_EQ(doc->getStartDate(), Monday + 3);

    ds.UseLeftScrollLimit = true;
    ds.LeftScrollLimit = Monday;
    EXPECT_EQ(view.scroll(-100), -3 * width);
    EXPECT_DOUBLE_EQ(doc->getStartDate(), Monday);
    EXPECT_EQ(view.scroll(-1), 0);

    ds.UseLeftScrollLimit = false;
    ds.UseRightScrollLimit = true;
    ds.RightScrollLimit = Monday + 20;
    table->FWidth = 5 * width;
    view.scroll(100);
    EXPECT_DOUBLE_EQ(doc->getStartDate(), Monday + 20 - 5 + 1);

    ds.UseRightScrollLimit = false;
    view.scroll(-100000);
    EXPECT_DOUBLE_EQ(doc->getStartDate(), 0);
}

TEST_F(GanttViewTest, TheOutlineFollowsTheDragAndDecidesTheMove)
{
    auto bar = addBar(1, Monday + 1, Monday + 3);
    auto other = addBar(2, Monday + 1, Monday + 3);
    EXPECT_EQ(view.hideOutlineAndMove(), nullptr);
    EXPECT_FALSE(view.moveOutline(1, 1, true));
    paint();
    view.showOutline(bar.get());
    ASSERT_TRUE(view.outlineShown());
    const TRect start = bar->getRect(doc->getStartDate());
    EXPECT_EQ(view.getOutline().Left, start.Left);
    EXPECT_EQ(view.getOutline().Bottom, start.Bottom);

    bool right = true;
    view.setOutline(0, -1000, right);
    EXPECT_EQ(view.outlinedRect.Bottom - view.outlinedRect.Top, 10);
    right = false;
    view.resizeOutline(100000, 0, right);
    EXPECT_EQ(view.outlinedRect.Left, view.outlinedRect.Right);
    view.restoreOutline();

    // Onto the other bar's place: refused; two days later in the same row: a move.
    view.moveOutline(0, rowY(2) - rowY(1), true);
    EXPECT_FALSE(view.acceptOutline());
    view.moveOutline(2 * table->GetColumnWidth(), rowY(1) - rowY(2), true);
    EXPECT_TRUE(view.acceptOutline());
    const TQVTOperationPtr move = view.hideOutlineAndMove();
    ASSERT_NE(move, nullptr);
    EXPECT_FALSE(view.outlineShown());
    EXPECT_DOUBLE_EQ(bar->getStartDate(), Monday + 1);
    ASSERT_TRUE(ds.doOperation(move));
    EXPECT_DOUBLE_EQ(bar->getStartDate(), Monday + 3);
    EXPECT_EQ(other->getStartDate(), Monday + 1);
}

TEST_F(GanttViewTest, LeftAligningIsOneUndoStepThatAVetoRefusesWhole)
{
    auto first = addBar(0, Monday, Monday + 1);
    auto second = addBar(0, Monday + 2, Monday + 3);
    auto third = addBar(0, Monday + 7, Monday + 8);
    const std::string before = saved();
    const int recorded = ds.GetUndoRedoStack().GetUndoOperationCount();

    int asked = 0;
    ds.OnBeforeBarMove = [&](TQVTGanttBar* bar, bool& cancel) { cancel = bar == third.get() && ++asked > 0; };
    EXPECT_FALSE(ds.doOperation(view.LeftAlignAllBars(0)));
    EXPECT_EQ(asked, 1);
    EXPECT_DOUBLE_EQ(second->getStartDate(), Monday + 2);
    EXPECT_EQ(ds.GetUndoRedoStack().GetUndoOperationCount(), recorded);

    ds.OnBeforeBarMove = nullptr;
    ASSERT_TRUE(ds.doOperation(view.LeftAlignAllBars(0)));
    EXPECT_DOUBLE_EQ(second->getStartDate(), first->getEndDate());
    EXPECT_DOUBLE_EQ(third->getStartDate(), second->getEndDate());
    // Already aligned: nothing to do, nothing recorded.
    EXPECT_FALSE(ds.doOperation(view.LeftAlignAllBars(0)));

    ds.GetUndoRedoStack().undo();
    EXPECT_EQ(saved(), before);
    ds.GetUndoRedoStack().redo();
    EXPECT_DOUBLE_EQ(third->getStartDate(), second->getEndDate());
    EXPECT_EQ(view.LeftAlignAllBars(99), nullptr);
}

TEST_F(GanttViewTest, TheCategorySwitchAndZoomingUndoExactly)
{
    auto bar = addBar(0, Monday + 3, Monday + 6);
    const std::string before = saved();
    const TDateTime end = bar->getEndDate();

    // Weekends become working days.
    ASSERT_TRUE(ds.doOperation(std::make_shared<TQVTToggleFirstCategoryOperation>(&ds, doc)));
    EXPECT_TRUE(calendar->getDateCategory(0)->getWorking());
    EXPECT_TRUE(calendar->isWorking(Monday + 5, -1, tmNone));
    EXPECT_NE(saved(), before);
    ASSERT_TRUE(ds.doOperation(std::make_shared<TQVTTimeModeOperation>(&ds, doc, tmWeek)));
    EXPECT_EQ(calendar->getTimeMode(), tmWeek);
    EXPECT_FALSE(ds.doOperation(std::make_shared<TQVTTimeModeOperation>(&ds, doc, tmWeek)));

    ds.GetUndoRedoStack().undo();
    ds.GetUndoRedoStack().undo();
    EXPECT_DOUBLE_EQ(bar->getEndDate(), end);
    EXPECT_EQ(saved(), before);

    while (calendar->getDateCategory(0))
        calendar->removeDateCategory(calendar->getDateCategory(0)->getName());
    EXPECT_FALSE(ds.doOperation(std::make_shared<TQVTToggleFirstCategoryOperation>(&ds, doc)));
}

} // namespace
