// Column insert, delete, move and resize: header and rows change together and undo exactly.

#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/interaction/qvtUndoRedoStack.h"
#include "corvane/framework/tasktable/qvtColumnOperations.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"

#include "../chart/ChartFixture.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

// Rows A, A1 (child of A), B under a header "Name", "Owner", "Due"; the grid's default column
// settings are 77 pixels wide.
class Columns : public ChartFixture {
protected:
    void SetUp() override
    {
        build({{0, {}}, {1, {}}, {0, {}}});
        TQVTTreeGrid& tree = grid();
        tree.FDefaultColSettings = std::make_shared<TQVTTreeColSettings>();
        tree.FDefaultColSettings->FWidth = 77;
        tree.FDefaultColSettings->setParent(&tree);
        tree.FHeader = std::make_shared<TQVTTreeHeader>();
        tree.FHeader->setParent(&tree);
        for (const char* title : {"Name", "Owner"}) {
            auto cell = std::make_shared<TQVTTreeHeaderCell>();
            cell->FTitle = title;
            cell->FDataType = std::make_shared<TQVTTreeSimpleTextCellType>();
            header().insertHeaderCell(cell, -1);
            cell->setWidth(50);
        }
        auto due = std::make_shared<TQVTTreeHeaderCell>();
        due->FTitle = "Due";
        due->FDataType = std::make_shared<TQVTTreeDateTimeCellType>();
        header().insertHeaderCell(due, -1);
        for (int i = 0; i < 3; ++i) {
            TQVTTreeNode* node = tree.findNodeByIndex(i);
            node->FRow = tree.makeBlankRow();
            node->FRow->setParent(node);
        }
        tree.updateNodes();
        const char* const names[] = {"A", "A1", "B"};
        for (int i = 0; i < 3; ++i) {
            tree.getCell(i, 0)->SetText(names[i]);
            tree.getCell(i, 1)->SetText(std::string("owner of ") + names[i]);
        }
        document->FDataSource = &hooks;
    }

    TQVTTreeGrid& grid() { return *document->FTree; }
    TQVTTreeHeader& header() { return *grid().FHeader; }
    // Titles of the header, then each row's cell texts, one line each.
    std::string layout()
    {
        std::string text;
        for (const auto& cell : header().FCells)
            text += cell->FTitle + "|";
        for (int i = 0; i < grid().rowsCount(); ++i) {
            text += "\n";
            for (int c = 0; c < grid().getRow(i)->cellsCount(); ++c)
                text += grid().getCellStringValue(i, c) + "|";
        }
        return text;
    }

    TQVTUndoRedoStack history;
};

TEST_F(Columns, AnInsertedColumnReachesEveryRowAndUndoRestoresTheFile)
{
    const std::string before = snapshot();
    auto spin = std::make_shared<TQVTTreeSpinCellType>();
    auto insert = std::make_shared<TQVTColumnInsertOperation>(&hooks, &grid(), spin, 1);
    ASSERT_TRUE(history.doOperation(insert));
    ASSERT_EQ(header().countCells(), 4);
    const TQVTTreeHeaderCell& added = *header().getHeaderCell(1);
    EXPECT_EQ(added.FDataType, spin);
    EXPECT_EQ(added.getWidth(), 77);
    EXPECT_NE(added.FSettings, grid().FDefaultColSettings); // a copy, not the defaults themselves
    for (int i = 0; i < grid().rowsCount(); ++i) {
        const auto* cell = dynamic_cast<const TQVTTreeSpinCell*>(grid().getCell(i, 1));
        ASSERT_NE(cell, nullptr) << i;
        EXPECT_EQ(cell->FColSettings, added.FSettings);
        EXPECT_EQ(cell->FRowSettings, grid().getRow(i)->Fsettings);
        EXPECT_EQ(cell->getRow(), grid().getRow(i));
    }
    EXPECT_EQ(grid().getCellStringValue(2, 2), "owner of B");
    const std::string inserted = snapshot();

    ASSERT_TRUE(history.undo());
    EXPECT_EQ(snapshot(), before);
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(snapshot(), inserted);

    // Appending (-1) puts the column last; positions beyond it and types without cells are refused.
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTColumnInsertOperation>(&hooks, &grid(), spin, -1)));
    EXPECT_TRUE(header().countCells() == 5 && grid().getRow(0)->cellsCount() == 5);
    const std::string appended = snapshot();
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTColumnInsertOperation>(&hooks, &grid(), spin, 6)));
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTColumnInsertOperation>(&hooks, &grid(), nullptr, 0)));
    EXPECT_EQ(snapshot(), appended);
}

TEST_F(Columns, ADeletedColumnComesBackWithItsCells)
{
    const std::string before = snapshot();
    const TQVTTreeCell* ownerOfA1 = grid().getCell(1, 1);
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTColumnDeleteOperation>(&hooks, &grid(), 1)));
    EXPECT_EQ(layout(), "Name|Due|\nA||\nA1||\nB||");
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(grid().getCell(1, 1), ownerOfA1);
    EXPECT_EQ(snapshot(), before);
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(header().countCells(), 2);
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTColumnDeleteOperation>(&hooks, &grid(), 2)));
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTColumnDeleteOperation>(&hooks, &grid(), -1)));
}

TEST_F(Columns, AMovedColumnTakesItsCellsAlongAndADraggedBorderResizesDownToSixPixels)
{
    const std::string before = snapshot();
    ASSERT_TRUE(history.doOperation(grid().moveColumn(0, 2)));
    EXPECT_EQ(layout(), "Owner|Name|Due|\nowner of A|A||\nowner of A1|A1||\nowner of B|B||");
    ASSERT_TRUE(history.doOperation(grid().moveColumn(0, -1)));
    EXPECT_EQ(layout(), "Name|Due|Owner|\nA||owner of A|\nA1||owner of A1|\nB||owner of B|");
    ASSERT_TRUE(history.doOperation(grid().moveColumn(2, 0)));
    EXPECT_EQ(layout(), "Owner|Name|Due|\nowner of A|A||\nowner of A1|A1||\nowner of B|B||");
    ASSERT_TRUE(history.undo() && history.undo() && history.undo());
    EXPECT_EQ(snapshot(), before);

    // Moves that change nothing, and columns that do not exist, make no operation.
    for (const auto& [from, to] : std::initializer_list<std::pair<int, int>>{{1, 1}, {1, 2}, {2, -1}, {3, 0}, {0, 3}})
        EXPECT_EQ(grid().moveColumn(from, to), nullptr) << from << " to " << to;

    // Dragging a border resizes down to six pixels and tells the application.
    std::vector<std::pair<TQVTTreeHeaderCell*, int>> told;
    hooks.onTreeColumnResize = [&told](TQVTTreeHeaderCell* column, int width) { told.emplace_back(column, width); };
    const auto name = std::static_pointer_cast<TQVTTreeHeaderCell>(header().getHeaderCell(0)->shared_from_this());

    EXPECT_EQ(TQVTTreeCellResizeOperation::propose(&hooks, name, -45), nullptr); // 5 pixels
    EXPECT_EQ(TQVTTreeCellResizeOperation::propose(&hooks, name, 0), nullptr);
    auto narrow = TQVTTreeCellResizeOperation::propose(&hooks, name, -44);
    ASSERT_NE(narrow, nullptr);
    ASSERT_TRUE(history.doOperation(narrow));
    EXPECT_EQ(header().getCellWidth(0), 6);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(header().getCellWidth(0), 50);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(told, (std::vector<std::pair<TQVTTreeHeaderCell*, int>>{{name.get(), 6}, {name.get(), 50}}));

    // A column without settings of its own gets them from a resize and loses them on undo.
    const auto due = std::static_pointer_cast<TQVTTreeHeaderCell>(header().getHeaderCell(2)->shared_from_this());
    ASSERT_EQ(due->FSettings, nullptr);
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTTreeCellResizeOperation>(&hooks, due, 30)));
    EXPECT_EQ(due->getWidth(), 30);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(due->FSettings, nullptr);
    EXPECT_EQ(snapshot(), before);
}

} // namespace
