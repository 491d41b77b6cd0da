// The legend: layout, file keys and painting (pixels and tests/data/legend.png).

#include "corvane/framework/chart/qvtLegend.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/framework/rendering/qvtTextArranger.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/platform/Graphics.h"

#include "support/DocumentFileTest.h"
#include "support/PixelChecks.h"
#include "support/ReferencePicture.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr int Width = 360;
constexpr int Height = 120;
constexpr TRect Layout{20, 10, 320, 100};

class LegendTest : public DocumentFileTest {
protected:
    LegendTest()
    {
        legend->FDefaultCellSettings = std::make_shared<TQVTTextSettings>();
        legend->FDefaultCellSettings->SetColor(0xF0FFFF);
        setLayout(Layout);
        bitmap.SetSize(Width, Height);
    }

    void setLayout(TRect r) { drawer().SetLayout(r); }
    TQVTLegendDrawer& drawer() { return dynamic_cast<TQVTLegendDrawer&>(*legend->getDrawer(vtGanttGraph)); }

    // A row of cells of the given widths appended to the legend.
    TqvtLegendRow& addRow(std::vector<int> widths, int height = 20, int alignment = raLeft, int splitAt = 0)
    {
        legend->addBlankRow(height, 1);
        TqvtLegendRow& row = *legend->FRows.back();
        row.FAlignment = alignment;
        row.FSplitAt = splitAt;
        for (const int width : widths) {
            auto cell = std::make_shared<TQVTLegendCell>();
            cell->width = width;
            row.addCell(cell);
        }
        return row;
    }

    void paint()
    {
        bitmap.Canvas().Brush() = TBrush{};
        bitmap.Canvas().FillRect(Rect(0, 0, Width, Height));
        TQVTCanvasVC vc(bitmap.Canvas());
        vc.setVisibleArea(Rect(0, 0, Width, Height));
        EXPECT_TRUE(drawer().Draw(vc));
    }

    std::shared_ptr<TQVTLegend> legend = std::make_shared<TQVTLegend>();
    TBitmap bitmap;
};

TEST_F(LegendTest, RowsStackWithBordersBetweenAlignmentsPlaceTheFirstCellAndThePrintLayoutFollows)
{
    const auto [L, T, R, B] = Layout;
    EXPECT_EQ(legend->GetHeight(), 0);
    EXPECT_EQ(legend->GetMinWidth(), 0);
    EXPECT_EQ(legend->getCellRect(0, 0), TRect{});
    addRow({40, 60}, 20);
    addRow({10}, 30);
    EXPECT_EQ(legend->getStartX(), L + 1);
    EXPECT_EQ(legend->getRowStartY(0), T + 1);
    EXPECT_EQ(legend->getRowStartY(1), T + 1 + 21);
    EXPECT_EQ(legend->GetHeight(), 50);
    EXPECT_EQ(legend->GetMinWidth(), 40 + 60 + 3);
    EXPECT_EQ(drawer().getWidth(), R - L);
    EXPECT_EQ(legend->FRows[1]->getRowIndex(), 1);

    // Each cell's width includes the border before it.
    EXPECT_EQ(legend->getCellRect(0, 0), Rect(L + 1, T + 1, L + 41, T + 21));
    EXPECT_EQ(legend->getCellRect(0, 1), Rect(L + 42, T + 1, L + 101, T + 21));
    // Rows past the end are the last; cells past the end the row's last.
    EXPECT_EQ(legend->getCellRect(7, 0), Rect(L + 1, T + 22, L + 11, T + 52));
    EXPECT_EQ(legend->getCellRect(0, 9), legend->getCellRect(0, 1));
    EXPECT_EQ(legend->FRows[0]->getCell(2), nullptr);
    EXPECT_EQ(legend->FRows[0]->getCell(-1), nullptr);

    // The print layout goes under the chart or at the right.
    const TRect range = Rect(15, 0, 900, 400);
    EXPECT_EQ(LegendPrintLayout(*legend, true, 200, 350, range), Rect(200, 350, 900, 400));
    EXPECT_EQ(LegendPrintLayout(*legend, false, 200, 350, range), Rect(900 - 103, 0, 899, 400));

    // Alignments place the first cell.
    const int W = R - L;
    TqvtLegendRow& right = addRow({30, 50}, 20, raRight);
    EXPECT_EQ(right.getCellRect(0).Left, L + 1 + W - 80);
    TqvtLegendRow& centre = addRow({31, 50}, 20, raCenter);
    EXPECT_EQ(centre.getCellRect(0).Left, L + 1 + (W - (81 + 3)) / 2);
    TqvtLegendRow& odd = addRow({500}, 20, raCenter); // wider than the layout: truncated toward zero
    EXPECT_EQ(odd.getCellRect(0).Left, L + 1 + (W - 502) / 2);
    TqvtLegendRow& stretchedAll = addRow({30, 50}, 20, raStretch, 0);
    EXPECT_EQ(stretchedAll.getCellRect(0).Left, L + 1 + W - (80 + 3));
    TqvtLegendRow& unknown = addRow({30}, 20, 9);
    EXPECT_EQ(unknown.getCellRect(0).Left, L + 1);

    // Split at 2: cells 0 and 1 at the left, cells from 2 on flush with the right edge.
    TqvtLegendRow& split = addRow({30, 40, 50, 20}, 20, raStretch, 2);
    EXPECT_EQ(split.getCellRect(0).Left, L + 1);
    EXPECT_EQ(split.getCellRect(1), Rect(L + 32, split.getCellRect(0).Top, L + 71, split.getCellRect(0).Bottom));
    const int cell2 = L + 1 + W - split.length(2);
    EXPECT_EQ(split.length(2), 50 + 20 + 3);
    EXPECT_EQ(split.getCellRect(2).Left, cell2);
    EXPECT_EQ(split.getCellRect(2).Right, cell2 + 50);
    EXPECT_EQ(split.getCellRect(3).Right, cell2 + 70);
    legend->SetOffsetX(5);
    EXPECT_EQ(drawer().FLayout, Rect(5, Layout.Top, 5 + Layout.Right - Layout.Left, Layout.Bottom));
}

TEST_F(LegendTest, PaintsBackgroundFrameCellsAndBorders)
{
    const auto [L, T, R, B] = Layout;
    legend->FBorderColor = 0x00A000;
    addRow({40, 60}, 20);
    legend->FRows[0]->FCells[1]->FTextSettings = std::make_shared<TQVTTextSettings>();
    legend->FRows[0]->FCells[1]->FTextSettings->SetColor(0xFFE0E0);
    addRow({100}, 30);
    auto border = std::make_shared<TQVTLegendBorder>();
    border->thickness = 3;
    border->color = 0x0000FF;
    border->startRow = border->endRow = 1;
    legend->addBorder(border);
    paint();

    // The outline, the dark band along the right and bottom, the background.
    constexpr TColor Background = 0xE0E0E0, CellColor = 0xF0FFFF, Frame = 0x00A000, Thick = 0x0000FF;
    expectPixels(bitmap, {{L, T + 70, clBlack}, {L + 150, T, clBlack}, {R - 2, T + 50, clBlack}});
    expectPixels(bitmap, {{R - 3, T + 50, Background}, {L + 150, B - 1, clBlack}, {L + 150, B, clBlack}});
    expectPixels(bitmap, {{L + 150, B - 2, Background}, {R, T + 50, clWhite}});

    // Cells in their own or the default colour, framed in the border colour over the outline.
    expectPixels(bitmap, {{L + 2, T + 2, CellColor}, {L + 99, T + 19, 0xFFE0E0u}});
    expectPixels(bitmap, {{L + 41, T + 5, Frame}, {L + 101, T + 5, Frame}, {L + 20, T, Frame}});

    // Thickness 3 around cell (1, 0) [L+1, L+101) x [T+22, T+52): one pixel out, two in.
    const TRect cell = legend->getCellRect(1, 0);
    const int y = cell.Top + 10;
    expectPixels(bitmap, {{cell.Left - 1, y, Thick}, {cell.Left + 1, y, Thick}, {cell.Left + 2, y, CellColor}});
    expectPixels(bitmap, {{cell.Right, y, Thick}, {cell.Right - 2, y, Thick}, {cell.Right - 3, y, CellColor}});
    expectPixels(bitmap, {{cell.Left + 50, cell.Bottom - 2, Thick}});
}

TEST_F(LegendTest, TextIsWrappedAndClippedToItsCellAndTheHandlerMayPaintInstead)
{
    TFont font = *legend->FDefaultCellSettings->GetFont();
    font.Color = 0x800000;
    legend->FDefaultCellSettings->SetFont(font);
    addRow({60, 60}, 34);
    legend->FRows[0]->FCells[0]->FText = "Critical path tasks";
    legend->FRows[0]->FCells[1]->FText = "Milestones";
    std::vector<std::string> calls;
    legend->FOnDrawCell = [&](int row, int cell, TRect r, TQVTVisualContext& vc) {
        calls.push_back(std::to_string(row) + "," + std::to_string(cell));
        if (cell != 1)
            return false;
        vc.FillArea(r, 0x123456, bsSolid);
        return true;
    };
    paint();
    EXPECT_EQ(calls, (std::vector<std::string>{"0,0", "0,1"}));
    const TRect first = legend->getCellRect(0, 0);
    const TRect second = legend->getCellRect(0, 1);
    // The handler's cell: its fill, then the frame.
    expectPixels(bitmap, {{second.Left + 5, second.Top + 5, 0x123456u}, {second.Right, second.Top + 5, 0x808080u}});
    // The first cell's text ink stays inside it and takes two lines.
    int inkTop = Height, inkBottom = -1;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            if (bitmap.Pixel(x, y) != 0x800000)
                continue;
            ASSERT_GE(x, first.Left) << y;
            ASSERT_LT(x, first.Right) << y;
            inkTop = std::min(inkTop, y);
            inkBottom = std::max(inkBottom, y);
        }
    TQVTTextArranger measure(legend->FDefaultCellSettings.get());
    measure.wordWrapText("Critical path tasks", first.Right - first.Left, true);
    EXPECT_GE(measure.textLines.size(), 2u);
    bitmap.Canvas().Font() = font;
    EXPECT_GT(inkBottom - inkTop, bitmap.Canvas().TextHeight("A"));
}

TEST_F(LegendTest, ReadsItsKeysWithDefaultsClampsDamageAndWritesThemBack)
{
    const auto loaded = std::dynamic_pointer_cast<TQVTLegend>(
        loadFrom("[root]\ntypeID=Legend\nrows#count=2\nrows#0=R1\nrows#1=R2\nborders#count=1\nborders#0=B1\n"
                 "border thickness=2\nborder color=$00112233\n"
                 "[R1]\ntypeID=Legend Row\nheight=24\nalignment=3\nsplit at=1\ncells#count=1\ncells#0=C1\n"
                 "[R2]\ntypeID=Legend Row\nheight=-5\nalignment=77\n"
                 "[C1]\ntypeID=Legend Cell\ntext=Done\nwidth=70\n"
                 "[B1]\ntypeID=Custom Legend Border\nthickness=3\ncolor=clRed\nstart row=1\nend cell=2\n"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->FBackgroundColor, 0xE0E0E0u);
    EXPECT_EQ(loaded->FBorderColor, 0x112233u);
    EXPECT_EQ(loaded->FBorderThickness, 2);
    ASSERT_EQ(loaded->rowsCount(), 2);
    const TqvtLegendRow& first = *loaded->getRow(0);
    EXPECT_EQ(first.FHeight, 24);
    EXPECT_EQ(first.FAlignment, raStretch);
    EXPECT_EQ(first.FSplitAt, 1);
    ASSERT_EQ(first.cellsCount(), 1);
    EXPECT_EQ(first.getCell(0)->FText, "Done");
    EXPECT_EQ(first.getCell(0)->width, 70);
    EXPECT_EQ(first.getCell(0)->getTextSettings(), nullptr);
    // Damage is clamped with a log line; a missing alignment would be left.
    EXPECT_EQ(loaded->getRow(1)->FHeight, 0);
    EXPECT_EQ(loaded->getRow(1)->FAlignment, raStretch);
    const auto mentions = [&](const char* key) {
        return std::any_of(capture.log.begin(), capture.log.end(),
                           [key](const std::string& line) { return line.find(key) != std::string::npos; });
    };
    EXPECT_TRUE(mentions("\"alignment\""));
    EXPECT_TRUE(mentions("\"height\""));
    const TQVTLegendBorder& border = *loaded->getBorder(0);
    EXPECT_EQ(border.thickness, 3);
    EXPECT_EQ(border.color, 0x0000FFu);
    EXPECT_EQ(border.startRow, 1);
    EXPECT_EQ(border.endCell, 2);

    const auto bare = std::dynamic_pointer_cast<TQVTLegend>(
        loadFrom("[root]\ntypeID=Legend\nrows#count=1\nrows#0=R\n[R]\ntypeID=Legend Row\n"));
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->FBorderColor, 0x808080u);
    EXPECT_EQ(bare->FBorderThickness, 1);
    EXPECT_EQ(bare->getRow(0)->FHeight, 20);
    EXPECT_EQ(bare->getRow(0)->FAlignment, raLeft);

    // What was read is written back.
    const auto again = std::dynamic_pointer_cast<TQVTLegend>(loadFile(saveToFile(loaded)));
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->rowsCount(), 2);
    EXPECT_EQ(again->FBorderColor, 0x112233u);
    EXPECT_EQ(again->getRow(0)->FAlignment, raStretch);
    EXPECT_EQ(again->getRow(0)->getCell(0)->FText, "Done");
    EXPECT_EQ(again->getRow(0)->getCell(0)->width, 70);
    EXPECT_EQ(again->getBorder(0)->endCell, 2);
    EXPECT_EQ(again->getBorder(0)->color, 0x0000FFu);
}

TEST_F(LegendTest, Gallery)
{
    legend->FDefaultCellSettings->SetColor(0xFFFFFF);
    TqvtLegendRow& title = addRow({150, 120}, 22, raCenter);
    title.FCells[0]->FText = "Project Corvane";
    title.FCells[1]->FText = "Legend";
    TqvtLegendRow& kinds = addRow({70, 70, 70, 60}, 34, raStretch, 3);
    kinds.FCells[0]->FText = "Task bar";
    kinds.FCells[1]->FText = "Critical path";
    kinds.FCells[2]->FText = "Milestone";
    kinds.FCells[3]->FText = "Today";
    kinds.FCells[1]->FTextSettings = std::make_shared<TQVTTextSettings>();
    kinds.FCells[1]->FTextSettings->SetColor(0xC0C0FF);
    TqvtLegendRow& right = addRow({90}, 20, raRight);
    right.FCells[0]->FText = "Page 1 of 1";
    auto border = std::make_shared<TQVTLegendBorder>();
    border->thickness = 2;
    border->color = 0xC00000;
    border->startRow = 1;
    border->endRow = 1;
    border->endCell = 1;
    legend->addBorder(border);
    paint();
    expectMatchesReference(bitmap, "legend.png");
}

} // namespace
