// Moving a row with its subtree: chart rows and summary bars follow, undo restores exactly.

#include "TreeOrderFixture.h"

using namespace corvane;
using namespace corvane::test;

namespace {

class TreeMove : public TreeOrderFixture {
protected:
    // A with children A1 (with child A1a) and A2; B with its only child B1; C.
    void SetUp() override { buildOutline({{0, "A"}, {1, "A1"}, {2, "A1a"}, {1, "A2"}, {0, "B"}, {1, "B1"}, {0, "C"}}); }
    bool move(int i, int before)
    {
        const TQVTOperationPtr op = grid().repositionRow(i, before);
        return op && history.doOperation(op);
    }
    // Row i becomes the last child of row parent.
    bool moveUnder(int i, int parent)
    {
        const auto share = [](TQVTTreeNode* node) {
            return std::static_pointer_cast<TQVTTreeNode>(node->shared_from_this());
        };
        return history.doOperation(std::make_shared<TQVTRowMoveOperation>(&hooks, share(grid().findNodeByIndex(parent)),
                                                                          share(grid().findNodeByIndex(i)), nullptr));
    }
};

TEST_F(TreeMove, AMoveInASortedTableUnsortsFirstAndASubtreeMovesWithItsChartRowsAndUndoes)
{
    const auto sorting = grid().sortRows(0, sortDescending);
    ASSERT_TRUE(sorting && history.doOperation(sorting));
    EXPECT_EQ(names(), "C B B1 A A2 A1 A1a");
    const std::string sorted = snapshot();

    // C to the end: the order is the unsorted one, then C moves.
    ASSERT_TRUE(move(0, -1));
    expectInStep();
    EXPECT_EQ(names(), "A A1 A1a A2 B B1 C");
    EXPECT_EQ(grid().FHeader->getSortColumn(), -1);

    ASSERT_TRUE(history.undo());
    expectInStep();
    EXPECT_EQ(names(), "C B B1 A A2 A1 A1a");
    EXPECT_EQ(grid().FHeader->getSortOrder(0), sortDescending);
    EXPECT_EQ(snapshot(), sorted);
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(names(), "A A1 A1a A2 B B1 C");
    expectInStep();

    const std::string before = snapshot();
    // A1 with A1a goes before C, at the top level.
    ASSERT_TRUE(move(1, 6));
    expectInStep();
    EXPECT_EQ(names(), "A A2 B B1 A1 A1a C");
    EXPECT_EQ(grid().getRowLevel(4), 0);
    EXPECT_EQ(grid().getRowLevel(5), 1);
    // A top-level row to the end.
    ASSERT_TRUE(move(0, -1));
    expectInStep();
    EXPECT_EQ(names(), "B B1 A1 A1a C A A2");

    ASSERT_TRUE(history.undo());
    ASSERT_TRUE(history.undo());
    expectInStep();
    EXPECT_EQ(snapshot(), before);
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(names(), "A A2 B B1 A1 A1a C");
    expectInStep();
}

TEST_F(TreeMove, SummaryBarsFollowTheShapeUndoBringsBackTheSameBarsAndARefusedOneRefusesTheMove)
{
    const std::string before = snapshot();
    const auto bSummary = row(4).FBarList.at(0);
    // B1, B's only child, goes before A2.
    ASSERT_TRUE(move(5, 3));
    expectInStep();
    EXPECT_EQ(names(), "A A1 A1a B1 A2 B C");
    EXPECT_EQ(row(5).GetBarCount(), 0) << "B has no children left";

    // C becomes the only child of A2, which gets a summary bar beside its task bar.
    ASSERT_TRUE(moveUnder(6, 4));
    expectInStep();
    EXPECT_EQ(names(), "A A1 A1a B1 A2 C B");
    EXPECT_EQ(grid().getRowLevel(5), 2);
    EXPECT_EQ(summaryBars(4), 1);
    const TQVTGanttBar* added = row(4).getBarOfKind<TQVTSummaryBar>(0);

    ASSERT_TRUE(history.undo());
    EXPECT_EQ(summaryBars(4), 0);
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(row(4).getBarOfKind<TQVTSummaryBar>(0), added) << "redo puts in the same bar";
    ASSERT_TRUE(history.undo());
    ASSERT_TRUE(history.undo());
    expectInStep();
    EXPECT_EQ(row(4).FBarList.at(0), bSummary) << "the removed bar itself comes back";
    EXPECT_EQ(snapshot(), before);

    // A refused summary bar refuses the whole move.
    hooks.OnBeforeBarAdd = [](TQVTGanttBar* bar, bool& cancel) { cancel = dynamic_cast<TQVTSummaryBar*>(bar); };
    EXPECT_FALSE(moveUnder(6, 3)) << "A2 would need a summary bar";
    expectInStep();
    EXPECT_EQ(snapshot(), before);
    hooks.OnBeforeBarAdd = nullptr;
    hooks.OnBeforeBarDelete = [](TQVTGanttBar*, bool& cancel) { cancel = true; };
    EXPECT_FALSE(move(5, 0)) << "B's summary bar may not go";
    expectInStep();
    EXPECT_EQ(snapshot(), before);
}

TEST_F(TreeMove, ImpossibleMovesAreRefusedRowsUnderACollapsedRowHiddenAndSwapsStayAmongSiblings)
{
    EXPECT_FALSE(grid().repositionRow(1, 1));
    EXPECT_FALSE(grid().repositionRow(7, 0));
    EXPECT_FALSE(grid().repositionRow(-1, 0));
    EXPECT_FALSE(grid().repositionRow(0, 7));
    EXPECT_FALSE(grid().repositionRow(0, 2)) << "before one of its own descendants";
    EXPECT_FALSE(grid().repositionRow(1, -1)) << "only a top-level row goes to the end";
    EXPECT_TRUE(grid().repositionRow(0, -1));

    grid().collapse(4);
    ASSERT_TRUE(move(6, 5));
    expectInStep();
    EXPECT_EQ(names(), "A A1 A1a A2 B C B1");
    EXPECT_FALSE(row(5).IsVisible());
    ASSERT_TRUE(history.undo());
    EXPECT_TRUE(row(6).IsVisible());

    EXPECT_FALSE(grid().swapRows(1, 4)) << "no siblings";
    EXPECT_FALSE(grid().swapRows(0, 0));
    ASSERT_TRUE(grid().swapRows(1, 3));
    expectInStep();
    EXPECT_EQ(names(), "A A2 A1 A1a B B1 C");
}

} // namespace
