// The column header: file keys, columns under the mouse, sorting clicks, changing data types.

#include "corvane/framework/interaction/qvtUndoRedoStack.h"
#include "corvane/framework/localization/qvtLocalization.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeResizePane.h"

#include "../chart/ChartFixture.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

// A header with every key, written as a save writes it.
const char* const EveryHeaderKeyIni =
    "[root]\ntypeID=Tree Header\nheight=21\ncells#count=2\ncells#0=Number\ncells#1=Name\nbackground color=$00FFEEDD\n"
    "[Number]\ntypeID=Tree Header Cell\ntitle=No.\nsettings=Narrow\nfontColor=clNavy\nfontName=Liberation Serif\n"
    "fontSize=12\nvisible=0\ndataType=Auto\n[Narrow]\ntypeID=Tree Column Settings\nalignHorizontal=2\n"
    "alignVertical=0\nwidth=35\n[Auto]\ntypeID=Tree AutoCellType.Number\n[Name]\ntypeID=Tree Header Cell\n"
    "title=Task name\nsettings=Narrow\nfontColor=$00336699\nfontName=Arial\nfontSize=-9\nvisible=1\ndataType=Text\n"
    "[Text]\ntypeID=Simple Text Type\n";

// The columns of History tests: a number column (which cannot sort) and two text columns.
class Header : public ChartFixture {
protected:
    // History keeps what the header's clicks do, as the data source's history would.
    struct History : Hooks {
        bool doOperation(const TQVTOperationPtr& op) override { return stack.doOperation(op); }
        TQVTUndoRedoStack stack;
    };

    void SetUp() override
    {
        build({{0, {}}, {0, {}}, {0, {}}});
        TQVTTreeGrid& tree = grid();
        tree.FHeader = std::make_shared<TQVTTreeHeader>();
        tree.FHeader->setParent(&tree);
        tree.FRowsResizePane = std::make_shared<TQVTTreeRowsResizePane>();
        tree.FRowsResizePane->setParent(&tree);
        addColumn("Nr.", std::make_shared<TQVTTreeAutoCellNumber>(), 40);
        addColumn("Name", std::make_shared<TQVTTreeSimpleTextCellType>(), 100);
        addColumn("Owner", std::make_shared<TQVTTreeSimpleTextCellType>(), 60);
        for (int i = 0; i < 3; ++i) {
            TQVTTreeNode* node = tree.findNodeByIndex(i);
            node->FRow = tree.makeBlankRow();
            node->FRow->setParent(node);
        }
        tree.updateNodes();
        setTexts(1, {"b", "c", "a"});
        setTexts(2, {"y", "x", "z"});
        document->FDataSource = &history;
    }

    TQVTTreeGrid& grid() { return *document->FTree; }
    TQVTTreeHeader& header() { return *grid().FHeader; }

    void addColumn(const std::string& title, std::shared_ptr<TQVTTreeCellType> type, int width)
    {
        auto cell = std::make_shared<TQVTTreeHeaderCell>();
        cell->FTitle = title;
        cell->FDataType = std::move(type);
        header().insertHeaderCell(cell, -1);
        cell->setWidth(width);
    }
    void setTexts(int column, const std::vector<std::string>& texts)
    {
        for (int i = 0; i < static_cast<int>(texts.size()); ++i)
            grid().getCell(i, column)->SetText(texts[static_cast<std::size_t>(i)]);
    }
    std::string column(int c)
    {
        std::string texts;
        for (int i = 0; i < grid().rowsCount(); ++i)
            texts += grid().getCellStringValue(i, c);
        return texts;
    }
    // The x of the view inside column c: the tree starts after the document's start x (20) and
    // the row pane (30); neighbouring columns share a pixel.
    int xIn(int c)
    {
        int x = document->getDocStartX() + grid().FRowsResizePane->FWidth + document->FTreeStartX;
        for (int i = 0; i < c; ++i)
            if (header().getHeaderCell(i)->FVisible)
                x += header().getCellWidth(i) - 1;
        return x + 5;
    }

    History history;
};

TEST_F(Header, EveryKeyIsReadAndASaveWritesTheFileByteForByte)
{
    const auto loaded = std::dynamic_pointer_cast<TQVTTreeHeader>(loadFrom(EveryHeaderKeyIni));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->getHeight(), 21);
    EXPECT_EQ(loaded->FbkColor, 0xFFEEDDu);
    ASSERT_EQ(loaded->countCells(), 2);
    const TQVTTreeHeaderCell& number = *loaded->getHeaderCell(0);
    EXPECT_TRUE(number.FTitle == "No." && number.FColor == clNavy && number.FFontName == "Liberation Serif");
    EXPECT_TRUE(number.FFontSize == 12 && !number.FVisible && number.getWidth() == 35);
    EXPECT_EQ(loaded->getHeaderCell(1)->FFontSize, -9);
    EXPECT_TRUE(loaded->visibleIndex(0) == -1 && loaded->visibleIndex(1) == 0);
    EXPECT_EQ(readFile(saveToFile(loaded)), EveryHeaderKeyIni);
}

TEST_F(Header, MissingKeysTakeTheDefaultsAndStoredNonsenseIsClamped)
{
    CreateDefaultRessources_GER();
    const auto loaded = std::dynamic_pointer_cast<TQVTTreeHeader>(
        loadFrom("[root]\ntypeID=Tree Header\ncells#count=2\ncells#0=A\ncells#1=B\n"
                 "[A]\ntypeID=Tree Header Cell\n"
                 "[B]\ntypeID=Tree Header Cell\nfontSize=99999\nsortOrder=2\n"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->getHeight(), 16);
    EXPECT_EQ(loaded->FbkColor, 0x02C56A31u);
    const TQVTTreeHeaderCell& a = *loaded->getHeaderCell(0);
    EXPECT_TRUE(a.FTitle == "Nr." && a.FColor == clBlack && a.FFontName == "Arial" && a.FFontSize == 10);
    EXPECT_TRUE(a.FVisible && a.getSortOrder() == sortNone);
    // The sort order is read but a save does not keep it.
    EXPECT_EQ(loaded->getSortColumn(), 1);
    EXPECT_EQ(loaded->getSortOrder(), sortDescending);
    EXPECT_EQ(loaded->getHeaderCell(1)->FFontSize, TQVTTreeHeaderCell::MaxFontSize);
    EXPECT_EQ(readFile(saveToFile(loaded)).find("sortOrder"), std::string::npos);

    capture.log.clear();
    const auto bad = std::dynamic_pointer_cast<TQVTTreeHeader>(
        loadFrom("[root]\ntypeID=Tree Header\nheight=-4\ncells#count=1\ncells#0=A\n"
                 "[A]\ntypeID=Tree Header Cell\nsortOrder=7\n"));
    ASSERT_NE(bad, nullptr);
    EXPECT_TRUE(bad->getHeight() == 0 && bad->getSortOrder(0) == sortNone);
    const auto logged = [this](const std::string& part) {
        return std::count_if(capture.log.begin(), capture.log.end(),
                             [&part](const std::string& line) { return line.find(part) != std::string::npos; });
    };
    EXPECT_TRUE(logged("\"height\" of section root") == 1 && logged("\"sortOrder\" of section A") == 1);
}

TEST_F(Header, ClicksOnATitleSortUpDownAndBackAsUndoStepsAndColumnsAreFoundWhereTheTreeDrawsThem)
{
    const std::string before = snapshot();
    ASSERT_TRUE(header().handleClick(xIn(1)));
    EXPECT_EQ(column(1), "abc");
    EXPECT_EQ(header().getSortOrder(1), sortAscending);
    ASSERT_TRUE(header().handleClick(xIn(1)));
    EXPECT_EQ(column(1), "cba");
    EXPECT_EQ(header().getSortOrder(1), sortDescending);
    ASSERT_TRUE(header().handleClick(xIn(1)));
    EXPECT_EQ(column(1), "bca");
    EXPECT_EQ(header().getSortColumn(), -1);
    EXPECT_EQ(history.stack.GetUndoOperationCount(), 3);

    ASSERT_TRUE(history.stack.undo());
    EXPECT_EQ(column(1), "cba");
    ASSERT_TRUE(history.stack.undo());
    ASSERT_TRUE(history.stack.undo());
    EXPECT_EQ(snapshot(), before);

    ASSERT_TRUE(header().handleClick(xIn(1)));
    ASSERT_TRUE(header().handleClick(xIn(2)));
    EXPECT_EQ(column(2), "xyz");
    EXPECT_EQ(header().getSortColumn(), 2);
    EXPECT_EQ(header().getSortOrder(1), sortNone);

    const std::string sorted = snapshot();
    EXPECT_FALSE(header().handleClick(xIn(0))); // automatic numbers cannot sort
    EXPECT_FALSE(header().handleClick(xIn(0) - 10));
    EXPECT_FALSE(header().handleClick(xIn(2) + 100));
    EXPECT_EQ(snapshot(), sorted);
    EXPECT_EQ(history.stack.GetUndoOperationCount(), 2);

    const int start = xIn(0) - 5;
    EXPECT_EQ(header().columnAt(start - 1), -1); // over the row pane
    EXPECT_EQ(header().columnAt(start + 39), 0); // the shared border pixel belongs to the left
    EXPECT_EQ(header().columnAt(start + 40), 1);
    EXPECT_EQ(header().columnAt(start + 39 + 99 + 59), 2);
    EXPECT_EQ(header().columnAt(start + 39 + 99 + 60), -1); // right of the last column

    header().getHeaderCell(1)->FVisible = false;
    document->FTreeStartX = -25;
    EXPECT_EQ(header().columnAt(xIn(2)), 2);
    EXPECT_EQ(header().columnAt(start - 25 + 40), 2);
    EXPECT_EQ(header().getActualWidth(), 100);
}

TEST_F(Header, TheWidestTitleIsMeasuredInTheColumnsFontAndANewDataTypeOfAnotherClassReplacesTheCells)
{
    TQVTTreeHeaderCell& name = *header().getHeaderCell(1);
    const int small = name.getMaxWidth();
    EXPECT_GT(small, 0);
    name.FTitle = "Name of the task";
    EXPECT_GT(name.getMaxWidth(), small);
    name.FFontSize = 20;
    const int large = name.getMaxWidth();
    name.FFontSize = 10;
    EXPECT_GT(large, name.getMaxWidth());
    name.FFontName.clear();
    EXPECT_EQ(name.getMaxWidth(), 0);

    const TQVTTreeCell* kept = grid().getCell(0, 1);

    // The same type again, or another type of the same cell class, keeps every cell.
    name.SetDataType(name.FDataType);
    EXPECT_EQ(grid().getCell(0, 1), kept);
    auto otherText = std::make_shared<TQVTTreeSimpleTextCellType>();
    name.SetDataType(otherText);
    EXPECT_EQ(grid().getCell(0, 1), kept);
    EXPECT_EQ(kept->FDataType, otherText);
    EXPECT_EQ(column(1), "bca");

    auto dates = std::make_shared<TQVTTreeDateTimeCellType>();
    name.SetDataType(dates);
    for (int i = 0; i < grid().rowsCount(); ++i) {
        const auto* cell = dynamic_cast<const TQVTTreeDateTimeCell*>(grid().getCell(i, 1));
        ASSERT_NE(cell, nullptr) << i;
        EXPECT_EQ(cell->FDataType, dates);
        EXPECT_EQ(cell->FRowSettings, grid().getRow(i)->Fsettings);
        EXPECT_EQ(cell->FColSettings, name.FSettings);
        EXPECT_EQ(cell->getRow(), grid().getRow(i));
    }
    EXPECT_EQ(grid().getCell(0, 2)->FText, "y"); // other columns stay

    // A column without a type just gets one.
    auto bare = std::make_shared<TQVTTreeHeaderCell>();
    bare->SetDataType(dates);
    EXPECT_EQ(bare->FDataType, dates);
}

} // namespace
