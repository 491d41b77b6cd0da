// Whatever changes the task tree, summary bars match a table that finds the tree afresh.

#include "corvane/framework/chart/qvtRowOperations.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtUndoRedoStack.h"
#include "corvane/platform/RealText.h"

#include "ChartFixture.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

using namespace corvane;
using namespace corvane::test;

namespace {

class SummaryTreeChanges : public ChartFixture {
protected:
    // A { A1 { A1a, A1b }, A2 }, B { B1 }, C; groups carry summary bars, the others task bars.
    void SetUp() override
    {
        const auto summary = [] {
            return std::vector<std::shared_ptr<TQVTGanttBar>>{std::make_shared<TQVTSummaryBar>()};
        };
        const auto task = [](TDateTime start, TDateTime end) {
            return std::vector<std::shared_ptr<TQVTGanttBar>>{std::make_shared<TQVTTaskBar>(start, end, 0)};
        };
        build({{0, summary()},
               {1, summary()},
               {2, task(110, 112)},
               {2, task(120, 125)},
               {1, task(105, 106)},
               {0, summary()},
               {1, task(130, 131)},
               {0, task(140, 142)}});
    }

    TQVTTreeGrid& grid() { return *document->FTree; }
    std::shared_ptr<TQVTTreeNode> node(int i)
    {
        return std::static_pointer_cast<TQVTTreeNode>(grid().findNodeByIndex(i)->shared_from_this());
    }

    // Every summary bar with its row, span and end row.
    std::string summaries(TQVTGanttTable& of)
    {
        std::ostringstream out;
        for (int r = 0; r < of.countRows(); ++r)
            for (const auto& b : of.getRow(r)->FBarList)
                if (const auto* s = dynamic_cast<const TQVTSummaryBar*>(b.get()))
                    out << r << ": [" << RealToText(s->FstartDate) << ", " << RealToText(s->FendDate) << ") to row "
                        << s->FEndRow << "\n";
        return out.str();
    }
    std::string summaries() { return summaries(table()); }

    // Summary bars as the tree grid's own numbering gives them (0 for no summarizable bars).
    void expectCurrent(const std::string& step, TQVTGanttDocument* of = nullptr)
    {
        SCOPED_TRACE(step);
        TQVTGanttDocument& d = of ? *of : *document;
        TQVTGanttTable& t = *d.Ftable;
        std::ostringstream expected;
        for (int r = 0; r < t.countRows(); ++r) {
            const int end = std::min(r + (d.FTree ? d.FTree->DescendantsCount(r) : 0), t.countRows() - 1);
            TDateTime start = 0;
            TDateTime finish = 0;
            for (int below = r + 1; below <= end; ++below) {
                const TDateTime s = t.getRow(below)->FindStartDate();
                const TDateTime e = t.getRow(below)->FindEndDate();
                start = s != 0 && (start == 0 || s < start) ? s : start;
                finish = e != 0 && (finish == 0 || e > finish) ? e : finish;
            }
            for (const auto& b : t.getRow(r)->FBarList)
                if (dynamic_cast<const TQVTSummaryBar*>(b.get()))
                    expected << r << ": [" << RealToText(start) << ", " << RealToText(finish) << ") to row " << end
                             << "\n";
        }
        EXPECT_EQ(summaries(t), expected.str());
    }

    // Performs a row command, undoes and redoes it, checking the summary bars after each.
    void expectCurrentThroughout(const std::string& step, const TQVTOperationPtr& op)
    {
        ASSERT_NE(op, nullptr) << step;
        ASSERT_TRUE(history.doOperation(op)) << step;
        expectCurrent(step);
        ASSERT_TRUE(history.undo()) << step;
        expectCurrent(step + ", undone");
        ASSERT_TRUE(history.redo()) << step;
        expectCurrent(step + ", redone");
    }

    TQVTUndoRedoStack history;
};

TEST_F(SummaryTreeChanges, RowCommandsMovesTheirUndoAndLoadingLeaveNoStaleTree)
{
    ASSERT_EQ(summaries(), "0: [105, 125) to row 4\n1: [110, 125) to row 3\n5: [130, 131) to row 6\n");
    // Indenting C under B keeps every row in its place.
    expectCurrentThroughout("indent", std::make_shared<TQVTRowsChangeParentOperation>(&hooks, *document, 5, 7, 7));
    EXPECT_EQ(summaries(), "0: [105, 125) to row 4\n1: [110, 125) to row 3\n5: [130, 142) to row 7\n");
    // A loaded document finds its own tree.
    const auto loaded = std::dynamic_pointer_cast<TQVTGanttDocument>(loadFile(saveToFile(document)));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(summaries(*loaded->Ftable), summaries());
    expectCurrent("loaded", loaded.get());
    // Moves take a row with its subtree elsewhere: within a group, into another, to the top.
    expectCurrentThroughout("move within a group", grid().repositionRow(7, 6));
    expectCurrentThroughout("move into another group", grid().repositionRow(4, 2));
    expectCurrentThroughout("move to the top", grid().repositionRow(5, 0));
    expectCurrentThroughout("outdent", std::make_shared<TQVTRowsChangeParentOperation>(&hooks, *document, 3, 7, 7));
    expectCurrentThroughout("insert", std::make_shared<TQVTRowInsertOperation>(&hooks, *document, 3, 4));
    expectCurrentThroughout("child insert", std::make_shared<TQVTRowChildInsertOperation>(&hooks, *document, 4, 0));
    expectCurrentThroughout("append", std::make_shared<TQVTRowAppendOperation>(&hooks, *document));
    expectCurrentThroughout("group", std::make_shared<TQVTRowsGroupOperation>(&hooks, *document, 7, 8));
    expectCurrentThroughout("row delete", std::make_shared<TQVTRowDeleteOperation>(&hooks, *document, 4));
    expectCurrentThroughout("branch delete", std::make_shared<TQVTBranchDeleteOperation>(&hooks, *document, 0));
}

TEST_F(SummaryTreeChanges, AnotherRootNoTreeOrEditsOfTheNodesThemselvesLeaveNoStaleTree)
{
    // A new root with the same rows, all at the top level: no summary bar has rows below it.
    auto flat = std::make_shared<TQVTTreeNode>();
    for (int i = 0; i < table().countRows(); ++i) {
        auto n = std::make_shared<TQVTTreeNode>();
        n->FRow = std::make_shared<TQVTTreeRow>();
        flat->Fchildren.push_back(n);
    }
    const auto nested = grid().FRootNode;
    grid().FRootNode = flat;
    grid().updateNodes();
    table().UpdateSummaryBars();
    EXPECT_EQ(summaries(), "0: [0, 0) to row 0\n1: [0, 0) to row 1\n5: [0, 0) to row 5\n");
    expectCurrent("a flat root");

    grid().FRootNode = nested;
    grid().updateNodes();
    table().UpdateSummaryBars();
    EXPECT_EQ(summaries(), "0: [105, 125) to row 4\n1: [110, 125) to row 3\n5: [130, 131) to row 6\n");
    expectCurrent("the nested root again");

    const auto tree = document->FTree;
    document->FTree = nullptr;
    table().UpdateSummaryBars();
    expectCurrent("no tree");
    document->FTree = tree;
    grid().updateNodes();
    table().UpdateSummaryBars();
    expectCurrent("the tree again");

    // C becomes B's last child, keeping every row's place; the update is a bar move's.
    const auto c = node(7);
    node(7)->getParentNode()->deleteChild(c.get());
    node(5)->addChild(c, -1);
    grid().updateNodes();
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTBarMoveOperation>(&hooks, bar(7, 0), 141, 7)));
    EXPECT_EQ(summaries(), "0: [105, 125) to row 4\n1: [110, 125) to row 3\n5: [130, 143) to row 7\n");
    expectCurrent("a node moved directly, then a bar move");

    // B1 loses its row: C's node now gives the tree's row 6, and chart row 7 stands alone.
    const TreeNodeRow b1 = node(6)->FRow;
    node(6)->FRow = nullptr;
    grid().updateNodes();
    table().UpdateSummaryBars();
    EXPECT_EQ(summaries(), "0: [105, 125) to row 4\n1: [110, 125) to row 3\n5: [130, 131) to row 6\n");
    expectCurrent("a row taken from a node");
    // The B1 node (no longer found by index) gets its row back.
    grid().FRootNode->Fchildren.at(1)->Fchildren.front()->FRow = b1;
    grid().updateNodes();
    table().UpdateSummaryBars();
    expectCurrent("a row given back");

    // Children put in another order by hand.
    grid().FRootNode->Fchildren.at(0)->Fchildren.swapItems(0, 1);
    grid().updateNodes();
    table().UpdateSummaryBars();
    expectCurrent("children swapped");
}

} // namespace
