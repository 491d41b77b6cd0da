// The task table on real pixels, what the mouse finds there, and the operations of its handles.

#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtUndoRedoStack.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/framework/tasktable/qvtHorizontalResizer.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeDrawers.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeResizePane.h"
#include "corvane/platform/Graphics.h"

#include "framework/chart/ChartFixture.h"
#include "support/PixelChecks.h"
#include "support/ReferencePicture.h"

#include <gtest/gtest.h>
#include <memory>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr int Width = 320;
constexpr int Height = 140;
// The header lies above the first row (y 0); the picture shows from y -Top.
constexpr int Top = 20;
constexpr TColor LineColor = clGray;
constexpr TColor HeaderColor = 0xE0E0E0;

// Rows A, A1, A2 (children of A), B, 20 pixels high, under a header of a text column (100
// wide) and a spin column (60); the document starts at x 0, the row pane is 20 wide, so the
// columns start at x 20 and 119.
class TreePainting : public ChartFixture {
protected:
    void SetUp() override { make({{0, "A"}, {1, "A1"}, {1, "A2"}, {0, "B"}}); }

    void make(const std::vector<std::pair<int, std::string>>& outline)
    {
        std::vector<RowPlan> plan;
        for (const auto& [level, name] : outline)
            plan.push_back({level, {}});
        build(plan);
        document->FDataSource = &hooks;
        document->setDocStartX(0);
        grid().setWidth(300);
        auto header = std::make_shared<TQVTTreeHeader>();
        header->setParent(&grid());
        header->FbkColor = HeaderColor;
        grid().FHeader = header;
        addColumn("Name", std::make_shared<TQVTTreeSimpleTextCellType>(), 100);
        addColumn("Count", std::make_shared<TQVTTreeSpinCellType>(), 60);
        grid().FRowsResizePane = std::make_shared<TQVTTreeRowsResizePane>();
        grid().FRowsResizePane->setParent(&grid());
        grid().FRowsResizePane->FWidth = 20;
        for (int i = 0; i < grid().rowsCount(); ++i) {
            TQVTTreeNode* node = grid().findNodeByIndex(i);
            node->FRow = TQVTTreeRow::Create(header.get(), nullptr);
            node->FRow->setParent(node);
            node->FRow->getCell(0)->SetText(outline[static_cast<std::size_t>(i)].second);
        }
        grid().updateNodes();
        bitmap.SetSize(Width, Height);
    }

    TQVTTreeHeaderCell* addColumn(const std::string& title, std::shared_ptr<TQVTTreeCellType> type, int width)
    {
        auto cell = std::make_shared<TQVTTreeHeaderCell>();
        cell->FTitle = title;
        cell->FDataType = std::move(type);
        grid().FHeader->insertHeaderCell(cell, -1);
        cell->setWidth(width);
        return cell.get();
    }

    TQVTTreeGrid& grid() { return *document->FTree; }
    TQVTTreeGridDrawer& drawer() { return *static_cast<TQVTTreeGridDrawer*>(grid().getDrawer(vtGanttGraph)); }

    // Paints the tree on a white bitmap, logical y 0 at pixel row Top.
    void paint(TBitmap& into)
    {
        into.Canvas().Brush() = TBrush{};
        into.Canvas().FillRect(Rect(0, 0, Width, Height));
        into.Canvas().SetMapping(0, Top, 1, 1);
        TQVTCanvasVC vc(into.Canvas());
        vc.setVisibleArea(Rect(0, -Top, Width, Height - Top));
        drawer().Draw(vc);
        into.Canvas().SetMapping(0, 0, 1, 1);
    }
    void paint() { paint(bitmap); }
    // The pixel at logical (x, y).
    TColor at(int x, int y) { return bitmap.Pixel(x, y + Top) & 0xFFFFFF; }
    void expectPixels(std::initializer_list<ExpectedPixel> pixels,
                      std::source_location where = std::source_location::current())
    {
        test::expectPixels([this](int x, int y) { return at(x, y); }, pixels, where);
    }
    // How many pixels of r (logical) are not c.
    int inkIn(TRect r, TColor c)
    {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += at(x, y) != c;
        return n;
    }
    std::vector<int> paintedIndexes()
    {
        std::vector<int> rows;
        for (const auto& r : drawer().paintedRows())
            rows.push_back(r.index);
        return rows;
    }

    TBitmap bitmap;
    TQVTUndoRedoStack history;
};

TEST_F(TreePainting, ColumnsShareBordersRowsNestWithExpandersAndTheHeaderShowsSortMarks)
{
    paint();
    const TColor plain = grid().getRow(1)->Fsettings->FColor;
    const TColor group = grid().getRow(0)->Fsettings->FGroupColor;
    // Column borders: the text column's right border is the spin column's left pixel.
    expectPixels({{119, 25, LineColor}, {178, 25, LineColor}, {120, 25, plain}, {177, 25, plain}});
    // Right of the columns, and row 0 above its lower border.
    expectPixels({{179, 25, grid().FbkColor}, {150, 19, LineColor}, {150, 15, group}});
    // Content starts at x0 + 7 (depth + 1) + 4.
    EXPECT_TRUE(grid().getRow(0)->FNestingOffset == 31 && grid().getRow(3)->FNestingOffset == 31);
    EXPECT_EQ(grid().getRow(1)->FNestingOffset, 38);
    // Nothing left of A1's text but the tree's lines (x 24 and the stub at y 30).
    EXPECT_EQ(inkIn(Rect(25, 20, 37, 30), plain), 0);
    EXPECT_EQ(inkIn(Rect(25, 31, 37, 39), plain), 0);
    EXPECT_GT(inkIn(Rect(38, 20, 60, 39), plain), 0);
    // A's expander: a 9 x 9 box centred at (24, 10) with a minus; leaves have none.
    TQVTTreeNode* a = grid().findNodeByIndex(0);
    ASSERT_NE(a->expander, nullptr);
    EXPECT_EQ(a->expander->getPosition(), (TPoint{24, 10}));
    const TColor box = TQVTNodeExpander::Color;
    expectPixels({{20, 10, box}, {28, 10, box}, {24, 6, box}, {24, 14, box}});
    // The minus, with no vertical stroke while expanded.
    expectPixels({{22, 10, box}, {26, 10, box}, {24, 8, group}});
    EXPECT_EQ(grid().findNodeByIndex(1)->expander, nullptr);

    grid().collapse(0);
    paint();
    expectPixels({{24, 8, box}, {24, 12, box}}); // plus
    EXPECT_EQ(paintedIndexes(), (std::vector<int>{0, 3}));
    EXPECT_EQ(grid().getRow(3)->FOrder, 1);

    // The header.
    paint();
    // Over the row pane, a column border, the lower border and above the header.
    const TColor upper = grid().FUpperPaneColor & 0xFFFFFF;
    expectPixels({{5, -8, HeaderColor}, {119, -8, LineColor}, {150, -1, LineColor}, {200, -18, upper}});
    EXPECT_GT(inkIn(Rect(50, -16, 90, -1), HeaderColor), 0); // "Name"
    // The sort mark stands left of the filter button (x 106..116).
    const TRect mark = Rect(88, -16, 105, -1);
    EXPECT_EQ(inkIn(mark, HeaderColor), 0);

    // Ascending: a triangle pointing up, wider at the bottom; descending the other way.
    const auto halves = [&] {
        return std::pair{inkIn(Rect(88, -16, 105, -8), HeaderColor), inkIn(Rect(88, -8, 105, -1), HeaderColor)};
    };
    grid().FHeader->setSortOrder(0, sortAscending);
    paint();
    const auto [upUpper, upLower] = halves();
    EXPECT_LT(upUpper, upLower);
    grid().FHeader->setSortOrder(0, sortDescending);
    paint();
    const auto [downUpper, downLower] = halves();
    EXPECT_GT(downUpper, downLower);
}

TEST_F(TreePainting, SelectedAndFocusedRowsShowTheirColoursFilteredRowsAreLeftOutAndScrolledRowsStartAtTheTop)
{
    grid().select(1, true);
    grid().getRow(3)->focus(true);
    grid().getRow(2)->select(true);
    grid().getRow(2)->focus(true); // both: focus wins
    paint();
    const TColor selected = grid().FSelectedRowColor & 0xFFFFFF;
    const TColor focused = grid().FFocusedRowColor & 0xFFFFFF;
    expectPixels({{150, 25, selected}, {150, 65, focused}, {150, 45, focused}});
    // The text of a selected row is in the selected font colour.
    int selectedFont = 0;
    for (int y = 20; y < 39; ++y)
        for (int x = 38; x < 100; ++x)
            selectedFont += at(x, y) == (grid().FSelectedRowFontColor & 0xFFFFFF);
    EXPECT_GT(selectedFont, 0);
    // Pane: selector of the selected row filled, the focused row's has a black triangle.
    expectPixels({{3, 23, selected}, {3, 3, grid().FRowsResizePane->FColor}, {19, 5, LineColor}, {5, 19, LineColor}});
    EXPECT_LT(inkIn(Rect(0, 60, 19, 79), clBlack), 19 * 19); // the triangle
    EXPECT_EQ(inkIn(Rect(0, 0, 19, 19), grid().FRowsResizePane->FColor), 0);

    grid().TreeFilter.ColID = 0;
    grid().TreeFilter.Values = {"a2"};
    grid().ApplyFilter();
    paint();
    EXPECT_EQ(paintedIndexes(), (std::vector<int>{0, 2}));
    EXPECT_EQ(drawer().paintedRows()[1].y, 20);
    EXPECT_EQ(at(150, 50), grid().FbkColor);

    grid().ClearFilter(false);
    grid().ApplyFilter();
    table().SetScrolledLines(2);
    paint();
    EXPECT_EQ(paintedIndexes(), (std::vector<int>{2, 3}));
    EXPECT_EQ(drawer().paintedRows()[0].y, 0);
}

TEST_F(TreePainting, EachCellTypeShowsItsTextAndStartingAtTheFirstRowOnScreenPaintsWhatTheWholeWalkPaints)
{
    addColumn("Date", std::make_shared<TQVTTreeDateTimeCellType>(), 40);
    addColumn("No", std::make_shared<TQVTTreeAutoCellNumber>(), 40);
    addColumn("Note", std::make_shared<TQVTTreeMultilineTextCellType>(), 40);
    // Cells of the new columns for row 3 only.
    TQVTTreeRow& r = *grid().getRow(3);
    for (int c = 2; c < 5; ++c) {
        auto cell = grid().FHeader->getHeaderCell(c)->FDataType->TreeCellClass()();
        cell->FDataType = grid().FHeader->getHeaderCell(c)->FDataType;
        cell->FRowSettings = r.Fsettings;
        r.insertCell(cell, -1);
    }
    static_cast<TQVTTreeDateTimeCell&>(*r.getCell(2)).SetDate(45352);
    r.getCell(4)->SetText("x\ny");
    grid().getRow(3)->getCell(1)->SetText("");
    paint();
    const TColor plain = r.Fsettings->FColor;
    EXPECT_EQ(inkIn(Rect(120, 61, 177, 78), plain), 0); // empty spin cell
    EXPECT_GT(inkIn(Rect(179, 61, 216, 78), plain), 0); // date (clipped to its cell)
    EXPECT_GT(inkIn(Rect(219, 61, 255, 78), plain), 0); // "2." computed while painting
    // Two lines: ink above and below the middle.
    EXPECT_GT(inkIn(Rect(258, 60, 294, 69), plain), 0);
    EXPECT_GT(inkIn(Rect(258, 69, 294, 79), plain), 0);

    // Starting at the first row on screen paints what the whole walk paints.
    std::vector<std::pair<int, std::string>> outline;
    for (int i = 0; i < 400; ++i)
        outline.emplace_back(i % 7 == 0 ? 0 : 1 + (i % 3 == 0 && i % 7 != 1), "T" + std::to_string(i % 11));
    make(outline);
    for (int i : {14, 70, 71, 150})
        if (grid().childrenCount(i) > 0)
            grid().collapse(i);
    row(200).setHeight(0); // a row of no height is no row on screen
    grid().TreeFilter.ColID = 0;
    grid().TreeFilter.Values = {"T3", "T5", "T8"};
    grid().ApplyFilter();
    for (int scrolled : {0, 1, 90, 190}) {
        table().SetScrolledLines(scrolled);
        grid().select(table().getScrolledLines() + 2, true);
        paint();
        const std::vector<int> fast = paintedIndexes();
        TBitmap whole;
        whole.SetSize(Width, Height);
        drawer().FWalkAllRows = true;
        paint(whole);
        drawer().FWalkAllRows = false;
        EXPECT_EQ(paintedIndexes(), fast) << "scrolled " << scrolled;
        EXPECT_FALSE(fast.empty());
        int differing = 0;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                differing += whole.Pixel(x, y) != bitmap.Pixel(x, y);
        EXPECT_EQ(differing, 0) << "scrolled " << scrolled;
    }
}

TEST_F(TreePainting, TheMouseFindsHandlesAndCellsThatStayTheSameObjects)
{
    TQVTHorizontalResizer resizer;
    resizer.setPosition(100, 10, 30);
    for (int x = 96; x <= 104; ++x)
        EXPECT_EQ(resizer.getDrawer(vtGanttGraph)->locateObject(x, 20) != nullptr, x >= 97 && x <= 103) << x;
    EXPECT_EQ(resizer.getDrawer(vtGanttGraph)->locateObject(100, 41), nullptr);
    EXPECT_EQ(resizer.getOutline(), Rect(99, 10, 101, 40));
    EXPECT_EQ(resizer.nextOutline(resizer.getOutline(), 7, 25), Rect(106, 10, 108, 40));
    EXPECT_EQ(resizer.cursorOver(), crHSplit);

    paint();
    TQVTDrawer& d = drawer();
    TQVTNodeExpander* expander = grid().findNodeByIndex(0)->expander.get();
    EXPECT_EQ(d.locateObject(21, 7), expander);
    EXPECT_EQ(d.locateObject(27, 13), expander);
    EXPECT_EQ(d.locateObject(28, 10), grid().getRow(0)->getCell(0));
    EXPECT_EQ(d.locateObject(150, 25), grid().getRow(1)->getCell(1));
    EXPECT_EQ(d.locateObject(119, 25), grid().getRow(1)->getCell(0)); // the shared pixel is the left one's
    EXPECT_EQ(d.locateObject(200, 25), nullptr);
    EXPECT_EQ(d.locateObject(150, 90), nullptr);

    auto* halo = dynamic_cast<TQVTHeaderHalo*>(d.locateObject(50, -8));
    ASSERT_NE(halo, nullptr);
    EXPECT_EQ(halo->cell, grid().FHeader->getHeaderCell(0));
    EXPECT_EQ(d.locateObject(119, -8), grid().FHeader->getHeaderCell(0)->resizer.get());
    EXPECT_EQ(d.locateObject(150, -8), grid().FHeader->clickers.at(1).get());

    auto* selector = dynamic_cast<TQVTRowSelector*>(d.locateObject(5, 30));
    ASSERT_NE(selector, nullptr);
    EXPECT_EQ(selector->index, 1);
    auto* rowResizer = dynamic_cast<TQVTRowResizer*>(d.locateObject(5, 41));
    ASSERT_NE(rowResizer, nullptr);
    EXPECT_EQ(rowResizer->targetRow, 1);

    TQVTGanttObject* splitter = d.locateObject(grid().getWidth() + 4, 50);
    ASSERT_NE(splitter, nullptr);
    EXPECT_TRUE(static_cast<TQVTHaloEntity*>(splitter)->IsTreeGridResizer());

    // Handles stay the same objects across paints.
    grid().FHeader->getHeaderCell(0)->setWidth(90);
    paint();
    EXPECT_EQ(grid().FRowsResizePane->GetRowSelector(1), selector);
    EXPECT_EQ(grid().FRowsResizePane->resizingHalo.at(1).get(), rowResizer);
    EXPECT_EQ(grid().FHeader->clickers.at(0).get(), halo);
    EXPECT_EQ(halo->FRect.Right, 110);

    // Scrolled out of view, a handle held since the last paint is still a live one.
    table().SetScrolledLines(3);
    paint();
    EXPECT_EQ(grid().FRowsResizePane->GetRowSelector(1), nullptr);
    EXPECT_EQ(selector->index, 1);
    EXPECT_EQ(rowResizer->handleMove(0, 0, 0, 0, 0), nullptr);
}

TEST_F(TreePainting, HandlesCarryOutTheirChangesAndUndoRestoresThem)
{
    paint();
    TQVTTreeHeaderCell& name = *grid().FHeader->getHeaderCell(0);
    EXPECT_EQ(name.resizer->handleMove(-95, 0, 0, 25, 0), nullptr); // 5 pixels
    ASSERT_TRUE(history.doOperation(name.resizer->handleMove(15, 40, 0, 135, 0)));
    EXPECT_EQ(name.getWidth(), 115);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(name.getWidth(), 100);

    TQVTNodeExpander& expander = *grid().findNodeByIndex(0)->expander;
    ASSERT_TRUE(history.doOperation(expander.handleClick(24, 10, 0)));
    EXPECT_TRUE(grid().findNodeByIndex(0)->isCollapsed());
    ASSERT_TRUE(history.undo());
    EXPECT_FALSE(grid().findNodeByIndex(0)->isCollapsed());

    TQVTHeaderHalo& halo = *grid().FHeader->clickers.at(0);
    ASSERT_TRUE(history.doOperation(halo.handleClick(50, -8, 1)));
    EXPECT_EQ(grid().FHeader->getSortOrder(0), sortAscending);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(grid().FHeader->getSortOrder(0), sortNone);
    ASSERT_TRUE(history.doOperation(halo.handleMove(100, 0, 0, 150, -8)));
    EXPECT_EQ(grid().FHeader->getHeaderCell(1), &name);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(grid().FHeader->getHeaderCell(0), &name);

    TQVTTreeGridResizer& splitter = *grid().resizer;
    EXPECT_EQ(splitter.handleMove(0, 9, 0, 300, 9), nullptr);
    ASSERT_TRUE(history.doOperation(splitter.handleMove(20, 0, 0, 320, 0)));
    EXPECT_EQ(grid().getWidth(), 320);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(grid().getWidth(), 300);
    ASSERT_TRUE(history.doOperation(splitter.handleClick(300, 0, 0)));
    EXPECT_EQ(grid().getWidth(), 20 + 160); // pane and columns
}

// The tree's lines run in the grid's line colour at the expander column of the parent (x 24 for
// children of a top-level row, 31 one level deeper), with a stub into each child at its middle.
TEST_F(TreePainting, LinesJoinEachParentToItsShownChildrenAndItemsWithoutSizeAreSkipped)
{
    paint();
    const TColor plain = grid().getRow(1)->Fsettings->FColor;
    const TColor group = grid().getRow(0)->Fsettings->FGroupColor;
    // From below A's box (not through it) down to A2's middle; stubs end two pixels before text.
    EXPECT_EQ(at(24, 12), group);
    for (int y : {15, 19, 20, 39, 40, 50})
        EXPECT_EQ(at(24, y), LineColor) << y;
    EXPECT_EQ(at(24, 51), plain);
    for (int y : {30, 50}) {
        expectPixels({{35, y, LineColor}, {36, y, plain}});
    }
    EXPECT_EQ(inkIn(Rect(21, 60, 30, 79), plain), 0) << "top-level rows hang from no line";

    grid().collapse(0);
    paint();
    EXPECT_EQ(inkIn(Rect(21, 15, 30, 19), group), 0) << "collapsed";

    grid().expand(0);
    grid().TreeFilter.ColID = 0;
    grid().TreeFilter.Values = {"a1"};
    grid().ApplyFilter();
    paint();
    EXPECT_EQ(at(24, 30), LineColor);
    EXPECT_EQ(at(24, 31), plain) << "A2 is filtered out: the line ends at A1";

    grid().ClearFilter(false);
    grid().ApplyFilter();
    grid().FDrawTreeNodeLines = false;
    paint();
    EXPECT_EQ(inkIn(Rect(21, 15, 30, 19), group), 0);
    EXPECT_EQ(inkIn(Rect(21, 20, 37, 39), plain), 0);
    EXPECT_EQ(inkIn(Rect(21, 40, 37, 59), plain), 0);

    // Columns and rows without size are skipped.
    grid().FHeader->getHeaderCell(0)->FSettings->FWidth = 0;
    grid().FRowsResizePane->FWidth = -4;
    row(1).setHeight(0);
    paint();
    EXPECT_EQ(paintedIndexes(), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(drawer().layout().columns.size(), 1u);
    EXPECT_EQ(drawer().layout().columns[0].left, 0);
    EXPECT_EQ(at(59, 25), LineColor);
    grid().FHeader->getHeaderCell(1)->FSettings->FWidth = -7;
    paint();
    EXPECT_TRUE(drawer().layout().columns.empty());
    EXPECT_EQ(drawer().locateObject(30, 5), nullptr);
}

TEST_F(TreePainting, LinesOfParentsScrolledOutAboveAreStillDrawn)
{
    make({{0, "A"}, {1, "A1"}, {2, "A1a"}, {2, "A1b"}, {1, "A2"}, {0, "B"}});
    const TColor plain = grid().getRow(2)->Fsettings->FColor;
    table().SetScrolledLines(2); // A and A1 lie above the view
    paint();
    ASSERT_EQ(paintedIndexes().front(), 2);
    // A's line passes A1's children on to A2 (middle at 50) and ends there.
    for (int y : {0, 39, 40, 50})
        EXPECT_EQ(at(24, y), LineColor) << y;
    EXPECT_EQ(at(24, 51), plain);
    // A1's line from the top of the view to A1b's middle, with stubs into both.
    for (int y : {0, 10, 30})
        EXPECT_EQ(at(31, y), LineColor) << y;
    expectPixels({{31, 31, plain}, {42, 10, LineColor}, {42, 30, LineColor}});
}

TEST_F(TreePainting, DrawingOptionsArePublishedAndNotSaved)
{
    grid().focus(3);
    const TQVTPublishedProperties props = PublishedPropertiesOf(grid());
    ASSERT_TRUE(props.find("DrawTreeNodeLines") && props.find("DrawIndicatorRow") && props.find("Draw3D"));
    EXPECT_EQ(props.find("DrawIndicatorRow")->GetText(), "True");
    EXPECT_EQ(props.find("Draw3D")->GetText(), "False");
    paint();
    EXPECT_LT(inkIn(Rect(0, 60, 19, 79), clBlack), 19 * 19) << "the focused row's triangle";
    const std::string before = readFile(saveToFile(document));
    for (const char* name : {"DrawTreeNodeLines", "DrawIndicatorRow", "Draw3D"})
        props.find(name)->SetText(props.find(name)->GetText() == "True" ? "False" : "True");
    paint();
    EXPECT_EQ(inkIn(Rect(0, 60, 19, 79), clBlack), 19 * 19);
    EXPECT_EQ(readFile(saveToFile(document)), before);
}

// An image-combo column (x 178, text from 180) whose first choice has a red 8 x 8 picture.
class TreeImageComboPainting : public TreePainting {
protected:
    void SetUp() override
    {
        TreePainting::SetUp();
        type = std::make_shared<TQVTTreeImageComboCellType>();
        type->FItems = {"Green", "Red"};
        type->FImages = "Lights";
        TQVTTreeHeaderCell* column = addColumn("Light", type, 60);
        for (int i = 0; i < grid().rowsCount(); ++i) {
            auto cell = std::make_shared<TQVTTreeImageComboCell>();
            cell->FDataType = type;
            cell->FRowSettings = grid().getRow(i)->Fsettings;
            cell->FColSettings = column->FSettings;
            grid().getRow(i)->insertCell(cell, -1);
        }
        picture->SetSize(8, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                picture->SetPixel(x, y, clRed);
    }
    void TearDown() override { TQVTTreeImageComboCellType::Pictures = nullptr; }
    void usePictures()
    {
        TQVTTreeImageComboCellType::Pictures = [this](const std::string& images, int item) {
            return images == "Lights" && item == 0 ? picture : nullptr;
        };
    }
    TRect cellOf(int row) { return Rect(180, 20 * row, 235, 20 * row + 19); }
    int leftmostInk(TRect r)
    {
        const TColor background = grid().getRow(1)->Fsettings->FColor;
        for (int x = r.Left; x < r.Right; ++x)
            for (int y = r.Top; y < r.Bottom; ++y)
                if (at(x, y) != background)
                    return x;
        return -1;
    }
    int reds(TRect r) { return (r.Right - r.Left) * (r.Bottom - r.Top) - inkIn(r, clRed); }

    std::shared_ptr<TQVTTreeImageComboCellType> type;
    std::shared_ptr<TBitmap> picture = std::make_shared<TBitmap>();
};

TEST_F(TreeImageComboPainting, TheChosenItemsPictureComesBeforeTheTextAlsoWithTheGridsDefaultSettings)
{
    grid().getRow(1)->getCell(2)->SetText("Green");
    paint();
    const int textAlone = leftmostInk(cellOf(1));
    ASSERT_GT(textAlone, 0);
    usePictures();
    paint();
    // The picture where the text began, then 5 pixels, then the text.
    EXPECT_EQ(reds(Rect(180, 20, 188, 39)), 64);
    EXPECT_EQ(reds(cellOf(1)), 64);
    EXPECT_EQ(leftmostInk(Rect(188, 20, 235, 39)), textAlone + 13);

    // A cell without settings of its own shows its picture with the grid's defaults.
    grid().getRow(1)->getCell(2)->FRowSettings = nullptr;
    grid().FDefaultRowSettings = grid().getRow(1)->Fsettings;
    paint();
    EXPECT_EQ(reds(cellOf(1)), 64);
}

TEST_F(TreeImageComboPainting, CellsWithoutAPictureShowTheirTextAlone)
{
    grid().getRow(0)->getCell(2)->SetText("Red");   // the hook finds none
    grid().getRow(1)->getCell(2)->SetText("Amber"); // no item of the column
    paint();
    TBitmap textOnly;
    textOnly.Assign(bitmap);
    usePictures();
    paint();
    for (int y = 0; y < 40; ++y)
        for (int x = 178; x < 238; ++x)
            ASSERT_EQ(textOnly.Pixel(x, y + Top), bitmap.Pixel(x, y + Top)) << x << ", " << y;
}

TEST_F(TreePainting, MatchesTheReferencePicture)
{
    make({{0, "Design"}, {1, "Sketch"}, {1, "Review"}, {0, "Build"}});
    const auto types = std::vector<std::shared_ptr<TQVTTreeCellType>>{
        std::make_shared<TQVTTreeMultilineTextCellType>(), std::make_shared<TQVTTreeDateTimeCellType>(),
        std::make_shared<TQVTTreeCurrencyCellType>(),      std::make_shared<TQVTTreeComboCellType>(),
        std::make_shared<TQVTTreeImageComboCellType>(),    std::make_shared<TQVTTreeButtonEditCellType>(),
        std::make_shared<TQVTTreeAutoCellNumber>()};
    grid().FHeader->getHeaderCell(0)->setWidth(70);
    grid().FHeader->getHeaderCell(1)->setWidth(24);
    static_cast<TQVTTreeDateTimeCellType&>(*types[1]).FNoTime = true;
    const char* titles[] = {"Note", "Date", "Cost", "Kind", "Icon", "Who", "No"};
    for (std::size_t t = 0; t < types.size(); ++t)
        addColumn(titles[t], types[t], t == 1 ? 64 : 30);
    for (int i = 0; i < grid().rowsCount(); ++i) {
        TQVTTreeRow& r = *grid().getRow(i);
        for (std::size_t t = 0; t < types.size(); ++t) {
            auto cell = types[t]->TreeCellClass()();
            cell->FDataType = types[t];
            cell->FRowSettings = r.Fsettings;
            cell->FColSettings = grid().FHeader->getHeaderCell(static_cast<int>(t) + 2)->FSettings;
            r.insertCell(cell, -1);
        }
        static_cast<TQVTTreeSpinCell&>(*r.getCell(1)).SetNumber(i * 3);
        r.getCell(2)->SetText(i % 2 ? "a\nb" : "c");
        static_cast<TQVTTreeDateTimeCell&>(*r.getCell(3)).SetDate(45352 + i);
        r.getCell(4)->SetText(std::to_string(10 * i) + " $");
        r.getCell(5)->SetText("k" + std::to_string(i));
        r.getCell(6)->SetText("i" + std::to_string(i));
        r.getCell(7)->SetText("...");
    }
    grid().FHeader->getHeaderCell(0)->setSortOrder(sortAscending);
    grid().select(1, true);
    grid().getRow(3)->focus(true);
    grid().collapse(3);
    grid().setWidth(Width - 4);
    paint();
    expectMatchesReference(bitmap, "tree-painting.png");
}

} // namespace
