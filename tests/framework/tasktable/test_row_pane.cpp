// The row pane: file keys, selectors and resizers of shown rows, resizing, selecting, moving.

#include "corvane/framework/interaction/qvtUndoRedoStack.h"
#include "corvane/framework/tasktable/qvtTreeResizePane.h"

#include "../chart/ChartFixture.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

// Rows A, A1, A2 (children of A), B, C, each 20 pixels high; the document starts at x 20, the
// pane is 30 wide.
class RowPane : public ChartFixture {
protected:
    void SetUp() override
    {
        build({{0, {}}, {1, {}}, {1, {}}, {0, {}}, {0, {}}});
        grid().FRowsResizePane = std::make_shared<TQVTTreeRowsResizePane>();
        grid().FRowsResizePane->setParent(&grid());
        document->FDataSource = &hooks;
        pane().update();
    }

    TQVTTreeGrid& grid() { return *document->FTree; }
    TQVTTreeRowsResizePane& pane() { return *grid().FRowsResizePane; }
    std::vector<int> shown()
    {
        std::vector<int> rows;
        for (const auto& selector : pane().rowSelectors)
            rows.push_back(selector->index);
        return rows;
    }

    TQVTUndoRedoStack history;
};

TEST_F(RowPane, ClickingSelectorsSelectsTheirRowsOnlyShownRowsGetThemAndTheFileKeepsWidthAndColour)
{
    // The top pixel of a selector belongs to its own row.
    pane().GetRowSelector(3)->handleClick(25, 60, 0);
    ASSERT_EQ(grid().getSelectedRowsCount(), 1);
    EXPECT_EQ(grid().getSelectedRow(0)->FIndex, 3);
    pane().GetRowSelector(0)->handleClick(25, 0, 1);
    EXPECT_EQ(grid().getSelectedRowsCount(), 2);
    pane().GetRowSelector(2)->handleClick(25, 45, 0);
    ASSERT_EQ(grid().getSelectedRowsCount(), 1);
    EXPECT_EQ(grid().getSelectedRow(0)->FIndex, 2);

    EXPECT_EQ(shown(), (std::vector<int>{0, 1, 2, 3, 4}));
    grid().collapse(0);
    grid().getRow(4)->FHidden = true;
    pane().update();
    ASSERT_EQ(shown(), (std::vector<int>{0, 3}));
    ASSERT_EQ(pane().resizingHalo.size(), 2u);
    EXPECT_EQ(pane().GetRowSelector(3)->rect, Rect(20, 20, 50, 40));
    EXPECT_TRUE(pane().GetRowSelector(1) == nullptr && pane().GetRowSelector(4) == nullptr);

    EXPECT_EQ(pane().locateSelector(25, 20), pane().GetRowSelector(3));
    EXPECT_EQ(pane().locateSelector(49, 19), pane().GetRowSelector(0));
    EXPECT_EQ(pane().locateSelector(50, 5), nullptr);
    EXPECT_EQ(pane().locateSelector(25, 40), nullptr);
    EXPECT_EQ(pane().locateResizer(30, 18)->targetRow, 0);
    EXPECT_EQ(pane().locateResizer(30, 22)->targetRow, 0);
    EXPECT_EQ(pane().locateResizer(30, 41)->targetRow, 3);
    EXPECT_EQ(pane().locateResizer(30, 30), nullptr);
    EXPECT_EQ(pane().locateResizer(19, 20), nullptr);

    // Width and colour are kept in the file.
    const char* const ini = "[root]\ntypeID=Vertical resize pane\nwidth=22\ncolor=$00123456\n";
    const auto load = [this](const std::string& keys) {
        const std::string text = "[root]\ntypeID=Vertical resize pane\n" + keys;
        return std::dynamic_pointer_cast<TQVTTreeRowsResizePane>(loadFrom(text));
    };
    const auto loaded = load("width=22\ncolor=$00123456\n");
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(loaded->FWidth == 22 && loaded->FColor == 0x123456u);
    EXPECT_EQ(readFile(saveToFile(loaded)), ini);
    const auto bare = load("");
    ASSERT_NE(bare, nullptr);
    EXPECT_TRUE(bare->FWidth == 15 && bare->FColor == 0xC0C0C0u);

    capture.log.clear();
    const auto bad = load("width=-5\n");
    ASSERT_NE(bad, nullptr);
    EXPECT_EQ(bad->FWidth, 0);
    EXPECT_EQ(capture.log.size(), 1u);
}

TEST_F(RowPane, DraggingABorderChangesTheHeightDownToSixPixelsAndUndoRestoresIt)
{
    const std::string before = snapshot();
    TQVTRowResizer& border = *pane().resizingHalo.at(1);
    EXPECT_EQ(border.handleMove(0, -15, 0, 30, 25), nullptr); // 5 pixels
    EXPECT_EQ(border.handleMove(0, 0, 0, 30, 40), nullptr);
    const TQVTOperationPtr lower = border.handleMove(0, -14, 0, 30, 26);
    ASSERT_NE(lower, nullptr);
    ASSERT_TRUE(history.doOperation(lower));
    EXPECT_EQ(row(1).getHeight(), 6);
    pane().update();
    EXPECT_EQ(pane().GetRowSelector(2)->rect.Top, 26);

    ASSERT_TRUE(history.doOperation(pane().resizingHalo.at(1)->handleMove(0, 30, 0, 30, 56)));
    EXPECT_EQ(row(1).getHeight(), 36);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(row(1).getHeight(), 6);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(snapshot(), before);
}

TEST_F(RowPane, DroppingARowMovesItBeforeTheRowUnderThePointer)
{
    const std::string before = snapshot();
    TQVTGanttRow* const b = &row(3);
    TQVTRowSelector& selectorOfB = *pane().GetRowSelector(3);
    EXPECT_EQ(selectorOfB.handleMove(0, 5, 0, 30, 65), nullptr); // its own selector

    ASSERT_TRUE(history.doOperation(selectorOfB.handleMove(0, -55, 0, 30, 5)));
    EXPECT_EQ(&row(0), b);
    EXPECT_EQ(grid().getRowLevel(0), 0);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(snapshot(), before);

    // Below the last row: a top-level row goes to the end, a child row stays.
    pane().update();
    ASSERT_TRUE(history.doOperation(pane().GetRowSelector(3)->handleMove(0, 100, 0, 30, 200)));
    EXPECT_EQ(&row(4), b);
    pane().update();
    EXPECT_EQ(pane().GetRowSelector(1)->handleMove(0, 150, 0, 30, 200), nullptr);
}

} // namespace
