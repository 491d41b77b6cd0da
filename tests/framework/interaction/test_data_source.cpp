// The data source: the document it holds, storage changes with the fallback, saving, commands.
#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/interaction/qvtDataSource.h"

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
                                  "[AB]\ntypeID=Bar Connection\nfrom=A\nto=B\n\n[G]\ntypeID=Tree Grid\n";

class DataSource : public ::testing::Test {
protected:
    std::string file(const std::string& name, const std::string& text)
    {
        const auto path = dir.file(name);
        writeFile(path, text);
        return path;
    }

    ScratchDir dir;
    Capture capture;
};

} // namespace

TEST_F(DataSource, StartsWithTheBuiltInDocument)
{
    TQVTDataSource source;
    ASSERT_NE(source.root(), nullptr);
    EXPECT_EQ(source.getStorage(), "");
    ASSERT_NE(source.GetTable(), nullptr);
    ASSERT_NE(source.GetTree(), nullptr);
    ASSERT_EQ(source.GetTable()->FRows.size(), 1u);
    EXPECT_TRUE(source.GetTable()->FRows[0]->FBarList.empty());
    EXPECT_EQ(source.root()->FDataSource, &source);
}

TEST_F(DataSource, StoragesWithoutAWholeDocumentFallBackToTheBuiltInOne)
{
    TQVTDataSource source;
    // A path without protocol names the built-in store, whatever the file holds.
    source.setStorage(file("plain.ini", WholeDocument));
    EXPECT_EQ(source.GetTable()->FRows.size(), 1u);
    const std::vector<std::string> broken = {
        "file://" + file("no-tree.ini", "[root]\ntypeID=Document\ntable=T\n\n[T]\ntypeID=Gantt Table\n"),
        "file://" + file("row.ini", "[root]\ntypeID=Gantt Row\n"),
        "file://" + dir.file("missing.ini"),
    };
    for (const auto& storage : broken) {
        source.setStorage(storage);
        EXPECT_EQ(source.getStorage(), "") << storage;
        ASSERT_NE(source.GetTable(), nullptr) << storage;
        EXPECT_EQ(source.GetTable()->FRows.size(), 1u) << storage;
    }
}

TEST_F(DataSource, SettingTheStorageReplacesTheDocumentAndEmptiesTheHistory)
{
    TQVTDataSource source;
    const std::string storage = "file://" + file("plan.ini", WholeDocument);
    source.setStorage(storage);
    EXPECT_EQ(source.getStorage(), storage);
    ASSERT_EQ(source.GetTable()->FRows.size(), 2u);
    const auto ab = source.root()->connections.at(0);
    ASSERT_TRUE(source.ConnectionDelete(ab));
    EXPECT_EQ(source.GetUndoRedoStack().GetUndoOperationCount(), 1);
    source.setStorage(storage);
    EXPECT_EQ(source.GetUndoRedoStack().GetUndoOperationCount(), 0);
    EXPECT_EQ(source.root()->countConnections(), 1) << "the file was not changed";
}

TEST_F(DataSource, CommandsAreVetoedByTheHooksAndUndoneThroughTheHistory)
{
    TQVTDataSource source;
    source.setStorage("file://" + file("plan.ini", WholeDocument));
    const auto ab = source.root()->connections.at(0);
    source.OnBeforeConnectionDelete = [](TQVTBarConnection*, bool& cancel) { cancel = true; };
    EXPECT_FALSE(source.ConnectionDelete(ab));
    EXPECT_EQ(source.root()->countConnections(), 1);
    source.OnBeforeConnectionDelete = nullptr;
    ASSERT_TRUE(source.ConnectionDelete(ab));
    EXPECT_EQ(source.root()->countConnections(), 0);
    ASSERT_TRUE(source.GetUndoRedoStack().undo());
    EXPECT_EQ(source.root()->countConnections(), 1);
}

TEST_F(DataSource, SavingKeepsStorageDocumentAndHistory)
{
    TQVTDataSource source;
    const std::string storage = "file://" + file("plan.ini", WholeDocument);
    source.setStorage(storage);
    ASSERT_TRUE(source.ConnectionDelete(source.root()->connections.at(0)));
    const std::string copy = dir.file("copy.ini");
    source.SaveToMedia("file://" + copy);
    EXPECT_EQ(source.getStorage(), storage);
    EXPECT_EQ(source.GetUndoRedoStack().GetUndoOperationCount(), 1);
    EXPECT_EQ(readFile(copy).find("Bar Connection"), std::string::npos) << "the deleted connection is gone";

    source.SaveToMedia(""); // the built-in store takes no writes
    source.setStorage("file://" + copy);
    EXPECT_EQ(source.root()->countConnections(), 0);
    EXPECT_EQ(source.GetTable()->FRows.size(), 2u);
}
