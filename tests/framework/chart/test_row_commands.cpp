// Row commands change tree and table together; undo restores the saved document byte for byte.

#include "corvane/framework/chart/qvtRowOperations.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtUndoRedoStack.h"

#include "ChartFixture.h"

#include <gtest/gtest.h>
#include <random>

using namespace corvane;
using namespace corvane::test;

namespace {

class RowCommands : public ChartFixture {
protected:
    // A (with its summary bar) with child A1, then B; A1 and B hold task bars.
    void SetUp() override
    {
        build({{0, {std::make_shared<TQVTSummaryBar>()}},
               {1, {std::make_shared<TQVTTaskBar>(110, 112, 0)}},
               {0, {std::make_shared<TQVTTaskBar>(111, 115, 0)}}});
    }

    TQVTTreeGrid& grid() { return *document->FTree; }
    std::string saved() { return readFile(saveToFile(document)); }
    bool hasSummaryBar(int r)
    {
        for (const auto& b : row(r).FBarList)
            if (dynamic_cast<TQVTSummaryBar*>(b.get()))
                return true;
        return false;
    }
    // Tree and chart table hold the same number of rows, each tree row numbered by its place.
    void expectInStep()
    {
        ASSERT_EQ(grid().rowsCount(), table().countRows());
        for (int i = 0; i < grid().rowsCount(); ++i)
            EXPECT_EQ(grid().getRow(i)->FIndex, i);
    }

    Hooks hooks;
    TQVTUndoRedoStack history;
};

TEST_F(RowCommands, AppendingAndInsertingChildrenKeepTreeAndTableInStepAndCollapsingIsTold)
{
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTRowAppendOperation>(&hooks, *document)));
    expectInStep();
    EXPECT_EQ(grid().rowsCount(), 4);
    EXPECT_EQ(grid().getRowLevel(3), 0);

    // B gets its first child: a summary bar comes into B's chart row, over B's children.
    auto child = std::make_shared<TQVTRowChildInsertOperation>(&hooks, *document, 2);
    ASSERT_TRUE(history.doOperation(child));
    expectInStep();
    EXPECT_EQ(grid().getRow(3), child->Row.get());
    EXPECT_EQ(grid().getRowLevel(3), 1);
    EXPECT_TRUE(hasSummaryBar(2));
    // A second child goes first among A's children and takes A1's place.
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTRowChildInsertOperation>(&hooks, *document, 0, 0)));
    expectInStep();
    EXPECT_EQ(grid().getRowLevel(1), 1);
    EXPECT_EQ(row(2).GetBarCount(), 1) << "A1 with its bar moved down one row";

    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTRowChildInsertOperation>(&hooks, *document, 9)));
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTRowChildInsertOperation>(&hooks, *document, -1)));

    // Collapsing tells the application with the summary bar.
    std::vector<std::pair<std::string, TQVTSummaryBar*>> told;
    hooks.OnRowCollapse = [&](TQVTSummaryBar* bar) { told.emplace_back("collapse", bar); };
    hooks.OnRowExpand = [&](TQVTSummaryBar* bar) { told.emplace_back("expand", bar); };
    auto collapse = std::make_shared<TQVTNodeCollapseOperation>(
        &hooks, std::static_pointer_cast<TQVTTreeNode>(grid().findNodeByIndex(0)->shared_from_this()));
    ASSERT_TRUE(history.doOperation(collapse));
    EXPECT_TRUE(row(1).isCollapsed());
    ASSERT_TRUE(history.undo());
    EXPECT_FALSE(row(1).isCollapsed());
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0].first, "collapse");
    EXPECT_EQ(told[1].first, "expand");
    EXPECT_TRUE(told[0].second != nullptr && told[0].second == told[1].second);
}

TEST_F(RowCommands, DeletingABranchTakesItsRowsTheParentsSummaryBarAndTheFocus)
{
    grid().focus(2);
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTBranchDeleteOperation>(&hooks, *document, 2)));
    EXPECT_EQ(grid().getFocusedRow(), nullptr);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(grid().getFocusedRow(), grid().getRow(2));

    ASSERT_TRUE(hasSummaryBar(0));
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTBranchDeleteOperation>(&hooks, *document, 1)));
    expectInStep();
    EXPECT_EQ(grid().rowsCount(), 2);
    EXPECT_FALSE(hasSummaryBar(0));
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTBranchDeleteOperation>(&hooks, *document, 0)));
    expectInStep();
    // The only row left stays.
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTBranchDeleteOperation>(&hooks, *document, 0)));
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTBranchDeleteOperation>(&hooks, *document, 5)));
    EXPECT_EQ(grid().rowsCount(), 1);
}

TEST_F(RowCommands, DeletingARowMovesItsChildrenUpIntoItsPlace)
{
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTRowChildInsertOperation>(&hooks, *document, 0)));
    TQVTTreeRow* a1 = grid().getRow(1);
    TQVTTreeRow* a2 = grid().getRow(2);
    TQVTGanttRow* a1Chart = &row(1);
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTRowDeleteOperation>(&hooks, *document, 0)));
    expectInStep();
    ASSERT_EQ(grid().rowsCount(), 3);
    EXPECT_EQ(grid().getRow(0), a1);
    EXPECT_EQ(grid().getRow(1), a2);
    EXPECT_EQ(&row(0), a1Chart);
    EXPECT_EQ(grid().getRowLevel(0), 0);
    EXPECT_EQ(grid().getRowLevel(1), 0);
    EXPECT_EQ(grid().findNodeByIndex(-1)->GetChildrenCount(), 3);
    ASSERT_TRUE(history.undo());
    expectInStep();
    EXPECT_EQ(grid().childrenCount(0), 2);
    EXPECT_TRUE(hasSummaryBar(0));

    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTRowDeleteOperation>(&hooks, *document, 4)));
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTBranchDeleteOperation>(&hooks, *document, 0)));
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTRowDeleteOperation>(&hooks, *document, 0)))
        << "the only row stays";
}

TEST_F(RowCommands, InsertingARowTakesAChildsPlaceOrFollowsTheLastDescendant)
{
    // In A1's place under A, after A's subtree under A, and at the end at the top level.
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTRowInsertOperation>(&hooks, *document, 0, 1)));
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTRowInsertOperation>(&hooks, *document, 0, 3)));
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTRowInsertOperation>(&hooks, *document, -1, 5)));
    expectInStep();
    EXPECT_EQ(grid().childrenCount(0), 3);
    EXPECT_EQ(row(2).GetBarCount(), 1) << "A1 one row further down";
    EXPECT_EQ(grid().getRowLevel(5), 0);

    // Not a place of that parent: inside another subtree, beyond the rows, or a task row as parent.
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTRowInsertOperation>(&hooks, *document, -1, 1)));
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTRowInsertOperation>(&hooks, *document, 0, 7)));
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTRowInsertOperation>(&hooks, *document, 4, 5)))
        << "B holds a task bar and no summary bar";
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTRowInsertOperation>(&hooks, *document, -2, 0)));
    expectInStep();
}

TEST_F(RowCommands, GroupingPutsTheRangeUnderANewRowInItsPlace)
{
    TQVTTreeRow* a = grid().getRow(0);
    TQVTTreeRow* b = grid().getRow(2);
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTRowsGroupOperation>(&hooks, *document, 0, 0)))
        << "A1 lies beyond the range";
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTRowsGroupOperation>(&hooks, *document, 2, 3)));
    auto group = std::make_shared<TQVTRowsGroupOperation>(&hooks, *document, 0, 2);
    ASSERT_TRUE(history.doOperation(group));
    expectInStep();
    EXPECT_EQ(grid().getRow(0), group->Row.get());
    EXPECT_TRUE(hasSummaryBar(0));
    EXPECT_EQ(grid().getRow(1), a);
    EXPECT_EQ(grid().getRow(3), b);
    EXPECT_EQ(grid().getRowLevel(2), 2);
    EXPECT_EQ(grid().getRowLevel(3), 1);
    EXPECT_EQ(grid().childrenCount(0), 3);
}

TEST_F(RowCommands, ChangingTheParentKeepsTheRowOrder)
{
    // B goes under A after A1; A1 then goes back to the top level ahead of B.
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTRowsChangeParentOperation>(&hooks, *document, 0, 2, 9)));
    expectInStep();
    EXPECT_EQ(grid().childrenCount(0), 2);
    EXPECT_EQ(grid().getRowLevel(2), 1);
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTRowsChangeParentOperation>(&hooks, *document, 0, 1, 2)))
        << "nothing would change";
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTRowsChangeParentOperation>(&hooks, *document, 1, 1, 2)))
        << "the new parent must come before the range";
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(grid().childrenCount(0), 1);
    EXPECT_EQ(grid().getRowLevel(2), 0);

    // Moving one row alone out of its place would reorder the rows, so it is refused.
    TQVTTreeRowSetParentOperation reorder(&hooks, grid(), 0, -1, 2);
    EXPECT_FALSE(reorder.perform());
    TQVTTreeRowSetParentOperation intoItself(&hooks, grid(), -1, 1, 0);
    EXPECT_FALSE(intoItself.perform());
    expectInStep();
    EXPECT_EQ(grid().getRowLevel(1), 1);
}

TEST_F(RowCommands, UndoingEveryCommandGivesBackTheSavedDocument)
{
    const std::string before = saved();
    std::mt19937 rng(3);
    const auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    hooks.OnBeforeBarAdd = [&](TQVTGanttBar*, bool& cancel) { cancel = pick(0, 7) == 0; };
    hooks.OnBeforeBarDelete = [&](TQVTGanttBar*, bool& cancel) { cancel = pick(0, 7) == 0; };
    for (int step = 0; step < 120; ++step) {
        const int rows = grid().rowsCount();
        const int first = pick(0, rows - 1);
        switch (pick(0, 7)) {
        case 0:
            history.doOperation(std::make_shared<TQVTRowAppendOperation>(&hooks, *document));
            break;
        case 1:
            history.doOperation(
                std::make_shared<TQVTRowChildInsertOperation>(&hooks, *document, pick(0, rows - 1), pick(-1, 2)));
            break;
        case 2:
            history.doOperation(std::make_shared<TQVTBranchDeleteOperation>(&hooks, *document, pick(0, rows - 1)));
            break;
        case 3:
            history.doOperation(std::make_shared<TQVTRowDeleteOperation>(&hooks, *document, first));
            break;
        case 4:
            history.doOperation(std::make_shared<TQVTRowInsertOperation>(&hooks, *document, pick(-1, rows - 1),
                                                                         pick(0, rows)));
            break;
        case 5:
            history.doOperation(
                std::make_shared<TQVTRowsGroupOperation>(&hooks, *document, first, first + pick(0, 3)));
            break;
        case 6:
            history.doOperation(std::make_shared<TQVTRowsChangeParentOperation>(&hooks, *document, pick(-1, first - 1),
                                                                                first, first + pick(0, 3)));
            break;
        default:
            history.doOperation(std::make_shared<TQVTNodeCollapseOperation>(
                &hooks, std::static_pointer_cast<TQVTTreeNode>(
                            grid().findNodeByIndex(pick(0, rows - 1))->shared_from_this())));
        }
        expectInStep();
    }
    hooks.OnBeforeBarAdd = nullptr;
    hooks.OnBeforeBarDelete = nullptr;
    EXPECT_GT(history.GetUndoOperationCount(), 20);
    while (history.undo())
        expectInStep();
    EXPECT_EQ(saved(), before);
}

} // namespace
