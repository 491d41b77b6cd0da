// The data source: the document it holds, storage changes with the fallback, saving, commands.
#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtResources.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"

#include "corvane/platform/Graphics.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

const char* const WholeDocument = "[root]\ntypeID=Document\ntable=T\ntree=G\nconnections#count=1\nconnections#0=AB\n\n"
                                  "[T]\ntypeID=Gantt Table\nrows#count=2\nrows#0=R0\nrows#1=R1\n\n"
                                  "[R0]\ntypeID=Gantt Row\nbars#count=1\nbars#0=A\n\n"
                                  "[R1]\ntypeID=Gantt Row\nbars#count=1\nbars#0=B\n\n"
                                  "[A]\ntypeID=Task Bar\n\n[B]\ntypeID=Task Bar\n\n"
                                  "[AB]\ntypeID=Bar Connection\nfrom=A\nto=B\n\n"
                                  "[G]\ntypeID=Tree Grid\nroot node=N\n\n"
                                  "[N]\ntypeID=Tree Node\nrow=empty\nchildren#count=2\nchildren#0=N0\nchildren#1=N1\n\n"
                                  "[N0]\ntypeID=Tree Node\nrow=TR0\n\n[N1]\ntypeID=Tree Node\nrow=TR1\n\n"
                                  "[TR0]\ntypeID=Tree Row\n\n[TR1]\ntypeID=Tree Row\n";

std::string replaced(std::string text, const std::string& what, const std::string& by)
{
    text.replace(text.find(what), what.size(), by);
    return text;
}

class DataSource : public ::testing::Test {
protected:
    std::string file(const std::string& name, const std::string& text)
    {
        const auto path = dir.file(name);
        writeFile(path, text);
        return path;
    }
    // The source holding the whole document from a file.
    void loadWhole() { source.setStorage("file://" + file("plan.ini", WholeDocument)); }

    ScratchDir dir;
    Capture capture;
    DocumentSaver save;
    TQVTDataSource source;
};

} // namespace

TEST_F(DataSource, StartsWithTheBuiltInDocumentAndFallsBackToItForStoragesWithoutAWholeDocument)
{
    ASSERT_NE(source.GetTree(), nullptr);
    ASSERT_EQ(source.GetTable()->FRows.size(), 1u);
    EXPECT_TRUE(source.GetTable()->FRows[0]->FBarList.empty());
    EXPECT_EQ(source.root()->FDataSource, &source);

    // A path without protocol names the built-in store, whatever the file holds.
    source.setStorage(file("plain.ini", WholeDocument));
    EXPECT_EQ(source.GetTable()->FRows.size(), 1u);
    const std::vector<std::string> broken = {
        "file://" + file("no-tree.ini", "[root]\ntypeID=Document\ntable=T\n\n[T]\ntypeID=Gantt Table\n"),
        "file://" + file("row.ini", "[root]\ntypeID=Gantt Row\n"),
        // A tree without rows beside a table with two: the rows could not be paired.
        "file://" + file("unpaired.ini", replaced(WholeDocument, "children#count=2", "children#count=0")),
        "file://" + dir.file("missing.ini"),
    };
    for (const auto& storage : broken) {
        capture.messages.clear();
        source.setStorage(storage);
        EXPECT_FALSE(capture.messages.empty()) << storage << ": the user is told why";
        EXPECT_EQ(source.getStorage(), "") << storage;
        ASSERT_NE(source.GetTable(), nullptr) << storage;
        EXPECT_EQ(source.GetTable()->FRows.size(), 1u) << storage;
    }
}

TEST_F(DataSource, CommandsAreVetoedOrUndoneAndSettingTheStorageReplacesTheDocumentAndEmptiesTheHistory)
{
    const std::string storage = "file://" + file("plan.ini", WholeDocument);
    source.setStorage(storage);
    EXPECT_EQ(source.getStorage(), storage);
    ASSERT_EQ(source.GetTable()->FRows.size(), 2u);
    const auto ab = source.root()->connections.at(0);
    // Commands are vetoed by the hooks and undone through the history.
    source.OnBeforeConnectionDelete = [](TQVTBarConnection*, bool& cancel) { cancel = true; };
    EXPECT_FALSE(source.ConnectionDelete(ab));
    EXPECT_EQ(source.root()->countConnections(), 1);
    source.OnBeforeConnectionDelete = nullptr;
    ASSERT_TRUE(source.ConnectionDelete(ab));
    EXPECT_EQ(source.root()->countConnections(), 0);
    ASSERT_TRUE(source.GetUndoRedoStack().undo());
    EXPECT_EQ(source.root()->countConnections(), 1);
    ASSERT_TRUE(source.GetUndoRedoStack().redo());

    // Saving elsewhere keeps the storage and the history.
    const std::string copy = dir.file("copy.ini");
    source.SaveToMedia("file://" + copy);
    EXPECT_EQ(source.getStorage(), storage);
    EXPECT_EQ(source.GetUndoRedoStack().GetUndoOperationCount(), 1);
    EXPECT_EQ(readFile(copy).find("Bar Connection"), std::string::npos) << "the deleted connection is gone";
    source.SaveToMedia(""); // the built-in store takes no writes

    source.setStorage(storage);
    EXPECT_EQ(source.GetUndoRedoStack().GetUndoOperationCount(), 0);
    EXPECT_EQ(source.GetUndoRedoStack().GetRedoOperationCount(), 0);
    EXPECT_EQ(source.root()->countConnections(), 1) << "the file was not changed";
    source.setStorage("file://" + copy);
    EXPECT_EQ(source.root()->countConnections(), 0);
    EXPECT_EQ(source.GetTable()->FRows.size(), 2u);
}

TEST_F(DataSource, DeletingTheSelectionIsOneUndoStepAndKeepsOneRow)
{
    loadWhole();
    const std::string before = save(source);
    TQVTTreeGrid& tree = *source.GetTree();
    EXPECT_FALSE(source.deleteSelected()) << "nothing selected";
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(source.RowAppend());
    tree.select(2, true);
    tree.select(4, true);
    tree.focus(4);
    tree.select(2, true);
    tree.select(4, true);
    ASSERT_TRUE(source.deleteSelected());
    EXPECT_EQ(tree.rowsCount(), 3);
    EXPECT_EQ(tree.getFocusedRow(), nullptr);
    const int steps = source.GetUndoRedoStack().GetUndoOperationCount();
    ASSERT_TRUE(source.GetUndoRedoStack().undo());
    EXPECT_EQ(tree.rowsCount(), 5);
    EXPECT_EQ(source.GetUndoRedoStack().GetUndoOperationCount(), steps - 1);

    tree.selectAll();
    ASSERT_TRUE(source.deleteSelected());
    EXPECT_EQ(tree.rowsCount(), 1);
    EXPECT_EQ(source.GetTable()->countRows(), 1);
    while (source.GetUndoRedoStack().undo()) {
    }
    EXPECT_EQ(save(source), before);
}

TEST_F(DataSource, ClearingLeavesOneEmptyRowAndUndoesStepByStep)
{
    loadWhole();
    ASSERT_TRUE(source.RowChildInsert(1));
    ASSERT_TRUE(source.RowAppend());
    source.clearUndoRedoStack();
    source.Clear();
    EXPECT_EQ(source.GetTree()->rowsCount(), 1);
    ASSERT_EQ(source.GetTable()->countRows(), 1);
    EXPECT_TRUE(source.GetTable()->getRow(0)->FBarList.empty());
    EXPECT_GT(source.GetUndoRedoStack().GetUndoOperationCount(), 3);
    ASSERT_TRUE(source.GetUndoRedoStack().undo());
    EXPECT_EQ(source.GetTable()->getRow(0)->FBarList.size(), 1u) << "bar A back first";
    while (source.GetUndoRedoStack().undo()) {
    }
    EXPECT_EQ(source.GetTree()->rowsCount(), 4);
    EXPECT_EQ(source.root()->countConnections(), 1);
}

TEST_F(DataSource, MilestoneTransparencyReachesEveryPictureOutsideTheHistory)
{
    ASSERT_TRUE(source.RowAppend());
    std::vector<std::shared_ptr<TQVTMilestoneBar>> milestones;
    for (int row = 0; row < 2; ++row) {
        auto milestone = std::make_shared<TQVTMilestoneBar>(46000, 46001, row);
        if (!milestone->getGraphic())
            milestone->FPictureResource = std::make_shared<TQVTPictureResource>("diamond.bmp");
        ASSERT_TRUE(source.BarAdd(milestone, row));
        milestones.push_back(milestone);
    }
    const int steps = source.GetUndoRedoStack().GetUndoOperationCount();
    for (const bool transparent : {false, true}) {
        source.SetMileStoneTransparency(transparent);
        for (const auto& milestone : milestones)
            EXPECT_EQ(milestone->getGraphic()->Transparent(), transparent);
    }
    EXPECT_EQ(source.GetUndoRedoStack().GetUndoOperationCount(), steps);
}

TEST_F(DataSource, CommandsWithoutTheirObjectsOrOutsideTheRowsAreRefused)
{
    const std::string before = save(source);
    const auto bar = std::make_shared<TQVTTaskBar>(46000, 46002, 0); // in no row
    for (const int row : {-1, 1, 1 << 30}) {
        EXPECT_FALSE(source.BarAdd(bar, row));
        EXPECT_FALSE(source.BarAdd(nullptr, row));
        EXPECT_FALSE(source.BarMove(bar, 46001, row));
        EXPECT_FALSE(source.PertBarAdd(-1, -1, row));
        EXPECT_FALSE(source.RowChildInsert(row));
        EXPECT_FALSE(source.RowDelete(row));
        EXPECT_FALSE(source.BranchDelete(row));
        EXPECT_FALSE(source.RowClear(row));
        EXPECT_FALSE(source.RowInsert(row, row));
        EXPECT_FALSE(source.RowsGroup(row, row + 1));
        EXPECT_FALSE(source.RowsChangeParent(row, row, row));
        EXPECT_FALSE(source.ColumnDelete(row));
        EXPECT_FALSE(source.ColumnAdd(row + 1, nullptr));
    }
    EXPECT_FALSE(source.BarDelete(bar));
    EXPECT_FALSE(source.BarDelete(nullptr));
    EXPECT_FALSE(source.BarMove(nullptr, 46001, 0));
    EXPECT_FALSE(source.BarResize(bar, 1, 0, true));
    EXPECT_FALSE(source.BarResize(nullptr, 1, 0, true));
    EXPECT_FALSE(source.BarAssignTime(bar, 46000, 46001));
    EXPECT_FALSE(source.BarAssignTime(nullptr, 46000, 46001));
    EXPECT_FALSE(source.PertBarDelete(nullptr));
    EXPECT_FALSE(source.PertConnectionAdd(nullptr));
    EXPECT_FALSE(source.PertConnectionDelete(nullptr));
    EXPECT_FALSE(source.ConnectionAdd(nullptr));
    EXPECT_FALSE(source.ConnectionDelete(nullptr));
    const auto outside = std::make_shared<TQVTBarConnection>(bar, bar, TQVTBarConnection::FinishToStart);
    EXPECT_FALSE(source.ConnectionAdd(outside)) << "its bars are in no row";
    EXPECT_FALSE(source.PertConnectionAdd(outside));
    EXPECT_FALSE(source.ColumnAppend(nullptr));
    EXPECT_FALSE(source.deleteSelected());
    EXPECT_EQ(source.GetUndoRedoStack().GetUndoOperationCount(), 0);
    EXPECT_EQ(save(source), before);
}
