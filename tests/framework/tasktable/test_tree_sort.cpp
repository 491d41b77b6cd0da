// Sorting the task table by a column, stably on every level, with exact undo.

#include "TreeOrderFixture.h"

#include <random>

using namespace corvane;
using namespace corvane::test;

namespace {

class TreeSort : public TreeOrderFixture {
protected:
    bool sort(int col, TQVTSortOrder order)
    {
        const TQVTOperationPtr op = grid().sortRows(col, order);
        return op && history.doOperation(op);
    }
    std::vector<const TQVTTreeRow*> rowsInOrder()
    {
        std::vector<const TQVTTreeRow*> rows;
        for (int i = 0; i < grid().rowsCount(); ++i)
            rows.push_back(grid().getRow(i));
        return rows;
    }
};

TEST_F(TreeSort, EqualRowsKeepTheirOrderOnlySortableColumnsSortEditsResortAndUnsortingRestores)
{
    // G has one child H, whose children must be sorted too.
    buildOutline({{0, "b"}, {0, "a"}, {0, "b"}, {0, "G"}, {1, "H"}, {2, "z"}, {2, "y"}, {0, "a"}});
    const auto r = rowsInOrder();
    const std::string before = snapshot();

    ASSERT_TRUE(sort(0, sortAscending));
    expectInStep();
    EXPECT_EQ(names(), "G H y z a a b b");
    const std::vector<const TQVTTreeRow*> ascending{r[3], r[4], r[6], r[5], r[1], r[7], r[0], r[2]};
    EXPECT_EQ(rowsInOrder(), ascending);
    EXPECT_EQ(grid().FHeader->getSortOrder(0), sortAscending);

    ASSERT_TRUE(sort(0, sortDescending));
    expectInStep();
    EXPECT_EQ(names(), "b b a a G H z y");
    const std::vector<const TQVTTreeRow*> descending{r[0], r[2], r[1], r[7], r[3], r[4], r[5], r[6]};
    EXPECT_EQ(rowsInOrder(), descending);

    ASSERT_TRUE(sort(0, sortNone));
    expectInStep();
    EXPECT_EQ(rowsInOrder(), r);
    EXPECT_EQ(grid().FHeader->getSortColumn(), -1);
    EXPECT_EQ(snapshot(), before);

    // Undo walks back through descending and ascending to the file as it was.
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(rowsInOrder(), descending);
    EXPECT_EQ(grid().FHeader->getSortOrder(0), sortDescending);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(rowsInOrder(), ascending);
    ASSERT_TRUE(history.undo());
    expectInStep();
    EXPECT_EQ(grid().FHeader->getSortColumn(), -1);
    EXPECT_EQ(snapshot(), before);
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(rowsInOrder(), ascending);
    expectInStep();

    buildOutline({{0, "c"}, {0, "a"}, {0, "b"}});
    grid().getRow(0)->getCell(2)->SetText("2");
    grid().getRow(1)->getCell(2)->SetText("3");
    grid().getRow(2)->getCell(2)->SetText("1");
    EXPECT_FALSE(grid().sortRows(1, sortAscending)) << "a spin column does not sort";
    EXPECT_FALSE(grid().sortRows(3, sortAscending));
    EXPECT_FALSE(grid().sortRows(-1, sortAscending));
    EXPECT_FALSE(grid().sortRows()) << "no column is sorted";

    ASSERT_TRUE(sort(0, sortAscending));
    ASSERT_TRUE(sort(2, sortAscending));
    EXPECT_EQ(names(), "b c a");
    EXPECT_EQ(grid().FHeader->getSortColumn(), 2);
    EXPECT_EQ(grid().FHeader->getSortOrder(0), sortNone);
    // Unsorting the second column comes back to the order before any sorting, not to the
    // order of the first sort.
    ASSERT_TRUE(sort(2, sortNone));
    EXPECT_EQ(names(), "c a b");
    expectInStep();

    // Unsorting keeps the order where children changed while sorted.
    buildOutline({{0, "P"}, {1, "c"}, {1, "a"}, {1, "b"}, {0, "Q"}, {1, "z"}, {1, "x"}});
    ASSERT_TRUE(sort(0, sortAscending));
    EXPECT_EQ(names(), "P a b c Q x z");
    // A row deleted under P: P's remembered children no longer match, Q's still do.
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTBranchDeleteOperation>(&hooks, *document, 1)));
    expectInStep();
    ASSERT_TRUE(sort(0, sortNone));
    expectInStep();
    EXPECT_EQ(names(), "P b c Q z x");

    // After an edit only a sorted column sorts again.
    buildOutline({{0, "b"}, {0, "c"}, {0, "a"}});
    grid().getRow(0)->getCell(0)->SetText("d");
    grid().updateRows();
    EXPECT_EQ(names(), "d c a") << "nothing is sorted";

    ASSERT_TRUE(sort(0, sortAscending));
    EXPECT_EQ(names(), "a c d");
    grid().getRow(0)->getCell(0)->SetText("e");
    grid().updateRows();
    EXPECT_EQ(names(), "c d e");
    expectInStep();

    // Rows scrolled out stay the same places.
    buildOutline({{0, "d"}, {0, "c"}, {0, "b"}, {0, "a"}});
    table().SetScrolledLines(2);
    ASSERT_TRUE(sort(0, sortAscending));
    expectInStep();
    EXPECT_EQ(names(), "a b c d");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(row(i).IsVisible(), i >= 2) << i;
    EXPECT_EQ(table().getScrolledLines(), 2);
}

// Random outlines with many equal names; random sorts, moves, undos and redos. After every step
// tree row i and chart row i are the same task; undoing everything gives the original file.
TEST_F(TreeSort, RandomSortsAndMovesKeepTreeAndChartInStep)
{
    std::mt19937 random(20240601);
    const auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    int moves = 0;
    int sorts = 0;
    for (int round = 0; round < 12; ++round) {
        std::vector<OutlineRow> outline;
        const int count = 4 + pick(14);
        for (int i = 0; i < count; ++i) {
            const int level = i == 0 ? 0 : pick(outline.back().level + 2);
            outline.push_back({level, std::string(1, static_cast<char>('a' + pick(3)))});
        }
        buildOutline(outline);
        history.clear();
        const std::string original = snapshot();
        int done = 0;
        for (int step = 0; step < 40; ++step) {
            const int what = pick(10);
            if (what < 3) {
                if (sort(pick(2) * 2, static_cast<TQVTSortOrder>(pick(3)))) {
                    ++done;
                    ++sorts;
                }
            } else if (what < 7) {
                const int rows = grid().rowsCount();
                const TQVTOperationPtr op = grid().repositionRow(pick(rows), pick(rows + 1) - 1);
                if (op && history.doOperation(op)) {
                    ++done;
                    ++moves;
                }
            } else if (what < 9) {
                if (done > 0) {
                    ASSERT_TRUE(history.undo());
                    --done;
                }
            } else if (history.GetRedoOperationCount() > 0) {
                ASSERT_TRUE(history.redo());
                ++done;
            }
            expectInStep();
            if (HasFatalFailure())
                return;
            // A row has a summary bar exactly when it has children.
            for (int i = 0; i < grid().rowsCount(); ++i)
                ASSERT_EQ(summaryBars(i), grid().childrenCount(i) > 0 ? 1 : 0) << "round " << round << " row " << i;
        }
        while (done-- > 0)
            ASSERT_TRUE(history.undo());
        expectInStep();
        ASSERT_EQ(snapshot(), original) << "round " << round;
    }
    EXPECT_GT(moves, 100);
    EXPECT_GT(sorts, 80);
}

} // namespace
