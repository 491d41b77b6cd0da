// Task table cells: values in files, column types, ordering, automatic cells and cell operations.

#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/rendering/qvtTextArranger.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/platform/DateUtils.h"

#include "../chart/ChartFixture.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace corvane;
using namespace corvane::test;

namespace {

// A row with a cell of every kind, written as a save writes it.
const char* const EveryCellIni =
    "[root]\ntypeID=Tree Row\nsettings=RS\ncells#count=9\ncells#0=Name\ncells#1=Notes\ncells#2=Due\ncells#3=Effort\n"
    "cells#4=Cost\ncells#5=Status\ncells#6=Icon\ncells#7=Link\ncells#8=Number\n[RS]\ntypeID=Tree Row Settings\n"
    "fontColor=clBlack\nfontName=Arial\nfontSize=10\nbackgroundColor=$00EFDAC5\ngroup color=$00FFBAB5\nauto height=0\n"
    "[Name]\ntypeID=Tree Simple Text Cell\nrowSettings=RS\ncolSettings=CS\ndataType=Text\ntext=Phase 1 Concept\n[CS]\n"
    "typeID=Tree Column Settings\nalignHorizontal=0\nalignVertical=2\nwidth=120\n[Text]\ntypeID=Simple Text Type\n"
    "[Notes]\ntypeID=Tree Multiline Text Cell\ndataType=Notes Type\ntext=two lines\n[Notes Type]\n"
    "typeID=Multiline Text Type\n[Due]\ntypeID=Tree Date Time Cell\ndataType=Date\ndate=45352.75\n[Date]\n"
    "typeID=Date Time Type\nnoTime=1\n[Effort]\ntypeID=Tree Spin Cell\ndataType=Spin\nnumber=-12\n[Spin]\n"
    "typeID=Spin Type\nmin=-50\nmax=50\n[Cost]\ntypeID=Tree Currency Cell\ndataType=Money\nvalue=1250.5\n"
    "text=1.250,50 EUR\n[Money]\ntypeID=Currency Type\n[Status]\ntypeID=Tree Combo Cell\ndataType=Choice\ntext=Open\n"
    "[Choice]\ntypeID=Combo Type\nitems#count=2\nitems#0=Open\nitems#1=Done\n[Icon]\ntypeID=Tree Image Combo Cell\n"
    "dataType=Lights\ntext=Green\n[Lights]\ntypeID=Image Combo Type\nitems#count=1\nitems#0=Green\nimages=Traffic\n"
    "[Link]\ntypeID=Tree Button Edit Cell\ndataType=Button\ntext=specs/concept.pdf\n[Button]\n"
    "typeID=Button Edit Type\n[Number]\ntypeID=Tree Auto Cell\ndataType=Auto\n[Auto]\n"
    "typeID=Tree AutoCellType.Number\n";

class TreeCells : public DocumentFileTest {};

template <typename T>
T& cellAt(const TQVTTreeRow& row, int i)
{
    return dynamic_cast<T&>(*row.getCell(i));
}

TEST_F(TreeCells, EveryKindKeepsItsValueAndASaveWritesTheFileByteForByte)
{
    const auto row = std::dynamic_pointer_cast<TQVTTreeRow>(loadFrom(EveryCellIni));
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->cellsCount(), 9);
    EXPECT_EQ(row->getCell(0)->FText, "Phase 1 Concept");
    EXPECT_EQ(cellAt<TQVTTreeDateTimeCell>(*row, 2).FDate, 45352.75);
    EXPECT_EQ(row->getCell(2)->FText, "01.03.2024"); // the type has noTime
    EXPECT_EQ(cellAt<TQVTTreeSpinCell>(*row, 3).FNumber, -12);
    EXPECT_EQ(cellAt<TQVTTreeCurrencyCell>(*row, 4).FValue, 1250.5);
    EXPECT_EQ(row->getCell(4)->FText, "1.250,50 EUR");
    EXPECT_EQ(row->getCell(7)->FText, "specs/concept.pdf");
    const auto& spin = dynamic_cast<const TQVTTreeSpinCellType&>(*row->getCell(3)->FDataType);
    EXPECT_TRUE(spin.FMin == -50 && spin.FMax == 50);
    const auto& lights = dynamic_cast<const TQVTTreeImageComboCellType&>(*row->getCell(6)->FDataType);
    EXPECT_EQ(lights.FItems, std::vector<std::string>{"Green"});
    EXPECT_EQ(lights.FImages, "Traffic");

    EXPECT_EQ(readFile(saveToFile(row)), EveryCellIni);
    EXPECT_TRUE(capture.messages.empty());
}

TEST_F(TreeCells, MissingKeysTakeDefaultsAndBadValuesAreClampedWithALogLine)
{
    const auto row = std::dynamic_pointer_cast<TQVTTreeRow>(loadFrom("[root]\ntypeID=Tree Row\ncells#count=6\n"
                                                                     "cells#0=A\ncells#1=B\ncells#2=C\ncells#3=D\n"
                                                                     "cells#4=E\ncells#5=F\n"
                                                                     "[A]\ntypeID=Tree Simple Text Cell\n"
                                                                     "[B]\ntypeID=Tree Date Time Cell\ndate=nan\n"
                                                                     "[C]\ntypeID=Tree Date Time Cell\ndate=1e300\n"
                                                                     "[D]\ntypeID=Tree Currency Cell\nvalue=-1e300\n"
                                                                     "[E]\ntypeID=Tree Spin Cell\nnumber=many\n"
                                                                     "dataType=S\n"
                                                                     "[S]\ntypeID=Spin Type\nmin=9\nmax=3\n"
                                                                     "[F]\ntypeID=Tree Date Time Cell\n"));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->getCell(0)->FText, "");
    EXPECT_EQ(cellAt<TQVTTreeDateTimeCell>(*row, 1).FDate, 0);
    EXPECT_EQ(YearOf(cellAt<TQVTTreeDateTimeCell>(*row, 2).FDate), 9999);
    EXPECT_EQ(row->getCell(2)->FText, "31.12.9999 23:59");
    EXPECT_EQ(cellAt<TQVTTreeCurrencyCell>(*row, 3).FValue, -TQVTTreeCurrencyCell::MaxValue);
    EXPECT_EQ(cellAt<TQVTTreeSpinCell>(*row, 4).FNumber, 0);
    const auto& spin = dynamic_cast<const TQVTTreeSpinCellType&>(*row->getCell(4)->FDataType);
    EXPECT_TRUE(spin.FMin == 3 && spin.FMax == 9);
    EXPECT_EQ(row->getCell(5)->FText, "30.12.1899 00:00");
    // Besides the lines for the missing references.
    std::vector<std::string> clamped;
    std::copy_if(capture.log.begin(), capture.log.end(), std::back_inserter(clamped),
                 [](const std::string& line) { return line.rfind("Section", 0) == 0; });
    EXPECT_EQ(clamped, (std::vector<std::string>{"Section \"C\": \"date\" out of range, 2958465.9999999884 used",
                                                 "Section \"D\": \"value\" out of range, -922337203685477 used",
                                                 "Section \"S\": \"min\" above \"max\", the two swapped"}));
    EXPECT_TRUE(capture.messages.empty());
}

TEST(TreeCellValues, ADateShowsItsTimeUnlessForDatesOnlyAndTheFittedHeightWrapsTheText)
{
    TQVTTreeDateTimeCell cell;
    const TDateTime evening = EncodeDateTime(2024, 3, 1, 18, 30, 0, 0);
    cell.SetDate(evening);
    EXPECT_EQ(cell.FText, "01.03.2024 18:30");
    auto type = std::make_shared<TQVTTreeDateTimeCellType>();
    type->FNoTime = true;
    cell.FDataType = type;
    cell.SetDate(evening);
    EXPECT_EQ(cell.FText, "01.03.2024");
    // A moment that rounds to midnight belongs to the next day.
    type->FNoTime = false;
    cell.SetDate(EncodeDate(2024, 3, 1) + 0.9999999999);
    EXPECT_EQ(cell.FText, "02.03.2024 00:00");
    cell.SetDate(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(cell.FDate, 0);

    // The fitted height wraps the text to the column's width.
    TQVTTextSettings settings;
    TQVTTreeSimpleTextCell wrapped;
    EXPECT_EQ(wrapped.fitHeight(), 0);
    wrapped.SetTextArranger(std::make_unique<TQVTTextArranger>(&settings));
    wrapped.FColSettings = std::make_shared<TQVTTreeColSettings>();
    const int oneLine = wrapped.fitHeight(); // an empty text takes the height of "A"
    EXPECT_GT(oneLine, 0);
    for (int i = 0; i < 40; ++i)
        wrapped.FText += "word ";
    EXPECT_GT(wrapped.fitHeight(), 2 * oneLine);
    wrapped.FColSettings->FWidth = 100000;
    EXPECT_EQ(wrapped.fitHeight(), oneLine);
}

TEST(TreeCellTypes, EachTypeNamesItsCellClassAndSaysWhetherItSorts)
{
    struct Case {
        std::shared_ptr<TQVTTreeCellType> type;
        TQVTTreeCell::TKind kind;
        bool sorts;
    };
    const Case cases[] = {
        {std::make_shared<TQVTTreeSimpleTextCellType>(), TQVTTreeCell::ckSimpleText, true},
        {std::make_shared<TQVTTreeMultilineTextCellType>(), TQVTTreeCell::ckMultilineText, true},
        {std::make_shared<TQVTTreeDateTimeCellType>(), TQVTTreeCell::ckDateTime, true},
        {std::make_shared<TQVTTreeSpinCellType>(), TQVTTreeCell::ckSpin, false},
        {std::make_shared<TQVTTreeCurrencyCellType>(), TQVTTreeCell::ckCurrency, false},
        {std::make_shared<TQVTTreeComboCellType>(), TQVTTreeCell::ckCombo, false},
        {std::make_shared<TQVTTreeImageComboCellType>(), TQVTTreeCell::ckImageCombo, true},
        {std::make_shared<TQVTTreeButtonEditCellType>(), TQVTTreeCell::ckButtonEdit, true},
        {std::make_shared<TQVTTreeAutoCellNumber>(), TQVTTreeCell::ckAuto, false},
        {std::make_shared<TQVTTreeAutoCellStartDate>(), TQVTTreeCell::ckAuto, true},
        {std::make_shared<TQVTTreeAutoCellEndDate>(), TQVTTreeCell::ckAuto, true},
        {std::make_shared<TQVTTreeAutoCellTaskNameType>(), TQVTTreeCell::ckAuto, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type->ClassName());
        const auto cell = c.type->TreeCellClass()();
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->kind(), c.kind);
        EXPECT_EQ(c.type->canSort(), c.sorts);
        // The cell's type class makes a type that names the cell's class again.
        EXPECT_EQ(cell->DataTypeClass()()->TreeCellClass(), c.type->TreeCellClass());
    }
    EXPECT_EQ(TQVTTreeCell().DataTypeClass(), nullptr);
}

// Random cells of every kind from small pools of values, so that ties are common.
std::vector<std::shared_ptr<TQVTTreeCell>> mixedCells(std::mt19937& random, int n)
{
    const std::vector<std::shared_ptr<TQVTTreeCellType>> types = {
        std::make_shared<TQVTTreeSimpleTextCellType>(),   std::make_shared<TQVTTreeMultilineTextCellType>(),
        std::make_shared<TQVTTreeDateTimeCellType>(),     std::make_shared<TQVTTreeSpinCellType>(),
        std::make_shared<TQVTTreeCurrencyCellType>(),     std::make_shared<TQVTTreeComboCellType>(),
        std::make_shared<TQVTTreeImageComboCellType>(),   std::make_shared<TQVTTreeButtonEditCellType>(),
        std::make_shared<TQVTTreeAutoCellNumber>(),       std::make_shared<TQVTTreeAutoCellStartDate>(),
        std::make_shared<TQVTTreeAutoCellTaskNameType>(), nullptr};
    const char* const texts[] = {"", "a", "B", "b", "\xC3\xA4", "ab"};
    std::vector<std::shared_ptr<TQVTTreeCell>> cells;
    for (int i = 0; i < n; ++i) {
        const auto& type = types[random() % types.size()];
        auto cell = type ? type->TreeCellClass()() : std::make_shared<TQVTTreeCell>();
        cell->FDataType = random() % 5 ? type : nullptr;
        cell->FText = texts[random() % std::size(texts)];
        if (auto* date = dynamic_cast<TQVTTreeDateTimeCell*>(cell.get()))
            date->SetDate(static_cast<double>(random() % 3) / 2);
        if (auto* spin = dynamic_cast<TQVTTreeSpinCell*>(cell.get()))
            spin->SetNumber(static_cast<int>(random() % 3) - 1);
        if (auto* money = dynamic_cast<TQVTTreeCurrencyCell*>(cell.get()))
            money->FValue = random() % 4 ? static_cast<double>(random() % 3) : std::nan("");
        cells.push_back(std::move(cell));
    }
    return cells;
}

TEST(TreeCellOrder, CellsOfEveryKindFormAStrictWeakOrderingThatSortsStablyWithDatesFirst)
{
    std::mt19937 random(7);
    const auto cells = mixedCells(random, 60);
    const auto less = [](const auto& a, const auto& b) { return a->lessThan(*b); };
    const auto equivalent = [&](const auto& a, const auto& b) { return !less(a, b) && !less(b, a); };
    for (const auto& a : cells) {
        EXPECT_FALSE(less(a, a));
        for (const auto& b : cells) {
            EXPECT_EQ(a->compare(*b), -b->compare(*a));
            EXPECT_FALSE(less(a, b) && less(b, a));
            for (const auto& c : cells) {
                EXPECT_TRUE(!(less(a, b) && less(b, c)) || less(a, c));
                EXPECT_TRUE(!(equivalent(a, b) && equivalent(b, c)) || equivalent(a, c));
            }
        }
    }

    // A stable sort keeps equal cells in order, and dates come first.
    std::mt19937 other(11);
    auto sorted = mixedCells(other, 200);
    const auto original = sorted;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a->lessThan(*b); });
    const auto position = [&original](const auto& cell) { return std::find(original.begin(), original.end(), cell); };
    for (std::size_t i = 1; i < sorted.size(); ++i)
        EXPECT_TRUE(sorted[i - 1]->compare(*sorted[i]) != 0 || position(sorted[i - 1]) < position(sorted[i]));
    EXPECT_EQ(sorted.front()->kind(), TQVTTreeCell::ckDateTime);

    TQVTTreeSimpleTextCell upper, lower;
    upper.FText = "Zeta";
    lower.FText = "alpha";
    EXPECT_TRUE(upper.lessThan(lower)); // by character code
    TQVTTreeDateTimeCell date;
    EXPECT_TRUE(date.lessThan(upper));
    EXPECT_FALSE(upper.lessThan(date));
}

class AutoCells : public ChartFixture {
protected:
    // A (bars 1-10 March, ends at midnight), A1 (no bars), B (8 March 09:00 to 12 March 12:00).
    void SetUp() override
    {
        build({{0, {bar(2024, 3, 1, 0, 2024, 3, 11, 0)}, true},
               {1, {}, false},
               {0, {bar(2024, 3, 8, 9, 2024, 3, 12, 12)}, true}});
        for (int r : {0, 2}) {
            row(r).FPertBar->FMainSection = std::make_shared<TQVTPertBarSection>(TQVTPertBarSection::WithoutSettings{});
            row(r).FPertBar->FMainSection->FText = r == 0 ? "Plan" : "Build";
        }
        for (int r = 0; r < 3; ++r) {
            auto cell = std::make_shared<TQVTTreeAutoCell>();
            grid().getRow(r)->insertCell(cell, -1);
        }
    }

    static std::shared_ptr<TQVTGanttBar> bar(int y1, int m1, int d1, int h1, int y2, int m2, int d2, int h2)
    {
        return std::make_shared<TQVTTaskBar>(EncodeDateTime(y1, m1, d1, h1, 0, 0, 0),
                                             EncodeDateTime(y2, m2, d2, h2, 0, 0, 0), 0);
    }

    TQVTTreeGrid& grid() { return *document->FTree; }
    TQVTTreeAutoCell& cell(int r) { return dynamic_cast<TQVTTreeAutoCell&>(*grid().getRow(r)->getCell(0)); }

    std::vector<std::string> column(const std::shared_ptr<TQVTTreeCellType>& type)
    {
        std::vector<std::string> texts;
        for (int r = 0; r < 3; ++r) {
            cell(r).FDataType = type;
            cell(r).updateValue();
            texts.push_back(cell(r).FText);
        }
        return texts;
    }

    // The rows in the order the column sorts them.
    std::vector<int> sorted(const std::shared_ptr<TQVTTreeCellType>& type)
    {
        column(type);
        std::vector<int> rows{2, 1, 0};
        std::stable_sort(rows.begin(), rows.end(), [this](int a, int b) { return cell(a).lessThan(cell(b)); });
        return rows;
    }
};

TEST_F(AutoCells, NumbersDatesAndTaskNamesComeFromTheRowsTask)
{
    EXPECT_EQ(column(std::make_shared<TQVTTreeAutoCellNumber>()), (std::vector<std::string>{"1.", "1.1.", "2."}));
    grid().FContinuousNumbering = true;
    EXPECT_EQ(column(std::make_shared<TQVTTreeAutoCellType>()), (std::vector<std::string>{"1.", "2.", "3."}));
    EXPECT_EQ(column(std::make_shared<TQVTTreeAutoCellStartDate>()),
              (std::vector<std::string>{"01.03.2024", "", "08.03.2024"}));
    // The last day covered: a bar ending at midnight does not cover the day it ends on.
    EXPECT_EQ(column(std::make_shared<TQVTTreeAutoCellEndDate>()),
              (std::vector<std::string>{"10.03.2024", "", "12.03.2024"}));
    EXPECT_EQ(column(std::make_shared<TQVTTreeAutoCellTaskNameType>()),
              (std::vector<std::string>{"Plan", "", "Build"}));

    EXPECT_EQ(sorted(std::make_shared<TQVTTreeAutoCellNumber>()), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(sorted(std::make_shared<TQVTTreeAutoCellStartDate>()), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(sorted(std::make_shared<TQVTTreeAutoCellEndDate>()), (std::vector<int>{1, 0, 2}));
    // Rows without a PERT box first, then by text.
    EXPECT_EQ(sorted(std::make_shared<TQVTTreeAutoCellTaskNameType>()), (std::vector<int>{1, 2, 0}));
    // Outside a document nothing is computed.
    TQVTTreeAutoCell loose;
    loose.FDataType = std::make_shared<TQVTTreeAutoCellStartDate>();
    EXPECT_EQ(loose.calculateValue(), "");
}

// A header of a date column, a spin column and a column without a type.
std::shared_ptr<TQVTTreeHeader> threeColumns()
{
    auto header = std::make_shared<TQVTTreeHeader>();
    for (std::shared_ptr<TQVTTreeCellType> type : std::initializer_list<std::shared_ptr<TQVTTreeCellType>>{
             std::make_shared<TQVTTreeDateTimeCellType>(), std::make_shared<TQVTTreeSpinCellType>(), nullptr}) {
        auto column = std::make_shared<TQVTTreeHeaderCell>();
        column->FSettings = std::make_shared<TQVTTreeColSettings>();
        column->FDataType = type;
        header->FCells.push_back(column);
    }
    return header;
}

TEST(TreeRowCells, ARowForAHeaderHasACellOfTheTypesClassPerColumnAndCellsChangeWithinBounds)
{
    const auto header = threeColumns();
    TQVTTreeRowSettings defaults;
    defaults.FColor = 0x123456;
    defaults.FGroupColor = 0x654321;
    const auto row = TQVTTreeRow::Create(header.get(), &defaults);
    ASSERT_EQ(row->cellsCount(), 3);
    EXPECT_NE(row->Fsettings.get(), &defaults);
    EXPECT_TRUE(row->Fsettings->FColor == 0x123456u && row->Fsettings->FGroupColor == 0x654321u);
    EXPECT_NE(dynamic_cast<TQVTTreeDateTimeCell*>(row->getCell(0)), nullptr);
    EXPECT_NE(dynamic_cast<TQVTTreeSpinCell*>(row->getCell(1)), nullptr);
    EXPECT_EQ(row->getCell(2)->kind(), TQVTTreeCell::ckPlain);
    for (int i = 0; i < 3; ++i) {
        const TQVTTreeCell* cell = row->getCell(i);
        EXPECT_EQ(cell->FRowSettings, row->Fsettings);
        EXPECT_EQ(cell->FColSettings, header->FCells[static_cast<std::size_t>(i)]->FSettings);
        EXPECT_EQ(cell->FDataType, header->FCells[static_cast<std::size_t>(i)]->FDataType);
        EXPECT_EQ(cell->getRow(), row.get());
        EXPECT_EQ(cell->GetColumnIndex(), i);
    }
    EXPECT_TRUE(row->getCell(3) == nullptr && row->getCell(-1) == nullptr);
    EXPECT_EQ(TQVTTreeRow::Create(nullptr, nullptr)->Fsettings->FColor, 0xEFDAC5u);

    // Cells are inserted, deleted and replaced within bounds.
    const auto bare = TQVTTreeRow::Create(threeColumns().get(), nullptr);
    auto text = std::make_shared<TQVTTreeSimpleTextCell>();
    EXPECT_FALSE(bare->insertCell(nullptr, 0));
    EXPECT_TRUE(bare->insertCell(text, 1));
    EXPECT_EQ(bare->getCellIndex(text.get()), 1);
    EXPECT_EQ(text->getRow(), bare.get());
    EXPECT_EQ(bare->deleteCell(4), nullptr);
    EXPECT_EQ(bare->deleteCell(1), text);
    EXPECT_EQ(bare->getCellIndex(text.get()), -1);
    EXPECT_EQ(bare->setCell(3, text), nullptr);
    const TQVTTreeCell* old = bare->getCell(2);
    EXPECT_EQ(bare->setCell(2, text).get(), old);
    EXPECT_EQ(bare->getCell(2), text.get());

    // Rows compare by their cells in the column; a row without a cell there comes first.
    const auto other = TQVTTreeRow::Create(threeColumns().get(), nullptr);
    dynamic_cast<TQVTTreeSpinCell&>(*bare->getCell(1)).SetNumber(5);
    EXPECT_TRUE(other->lessThan(*bare, 1));
    EXPECT_FALSE(bare->lessThan(*other, 1));
    EXPECT_FALSE(bare->lessThan(*other, 0));
    EXPECT_TRUE(bare->lessThan(*other, 2)); // text before plain
    EXPECT_TRUE(TQVTTreeRow().lessThan(*bare, 0));
}

// The cells of every row, named by their column settings' widths.
class CellOperations : public ChartFixture {
protected:
    void SetUp() override
    {
        build({{0, {}}, {1, {}}, {0, {}}});
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < (r == 1 ? 2 : 4); ++c) {
                auto cell = std::make_shared<TQVTTreeSimpleTextCell>();
                cell->FText = std::to_string(r) + std::to_string(c);
                grid().getRow(r)->insertCell(cell, -1);
            }
    }

    TQVTTreeGrid& grid() { return *document->FTree; }
    std::shared_ptr<TQVTTreeRow> treeRow(int r)
    {
        return std::static_pointer_cast<TQVTTreeRow>(grid().getRow(r)->shared_from_this());
    }
    std::string cells()
    {
        std::string text;
        for (int r = 0; r < 3; ++r) {
            for (const auto& cell : grid().getRow(r)->FCells)
                text += cell->FText + " ";
            text += "| ";
        }
        return text;
    }
};

TEST_F(CellOperations, AddingDeletingAndMovingCellsIsUndoneExactly)
{
    const std::string before = cells();
    auto added = std::make_shared<TQVTTreeSimpleTextCell>();
    added->FText = "new";
    TQVTCellOperation add(nullptr, treeRow(0), added, 1);
    ASSERT_TRUE(add.perform());
    EXPECT_EQ(cells(), "00 new 01 02 03 | 10 11 | 20 21 22 23 | ");
    ASSERT_TRUE(add.undo());
    EXPECT_EQ(cells(), before);
    ASSERT_TRUE(add.perform());
    ASSERT_TRUE(add.undo());

    TQVTCellOperation remove(nullptr, treeRow(2), 3);
    ASSERT_TRUE(remove.perform());
    EXPECT_EQ(cells(), "00 01 02 03 | 10 11 | 20 21 22 | ");
    ASSERT_TRUE(remove.undo());
    EXPECT_EQ(cells(), before);
    ASSERT_TRUE(remove.perform());
    ASSERT_TRUE(remove.undo());
    EXPECT_EQ(cells(), before);

    // Refused: beyond the cells, a cell that is in another row, no row.
    EXPECT_FALSE(TQVTCellOperation(nullptr, treeRow(1), added, 3).perform());
    EXPECT_FALSE(TQVTCellOperation(nullptr, treeRow(1), 2).perform());
    auto taken = grid().getRow(0)->FCells[0];
    EXPECT_FALSE(TQVTCellOperation(nullptr, treeRow(1), taken, 0).perform());
    EXPECT_FALSE(TQVTCellOperation(nullptr, nullptr, 0).perform());
    EXPECT_EQ(cells(), before);

    // Moving a column moves the cells of every row.
    TQVTMoveCellsOperation forward(nullptr, &grid(), 0, 3);
    ASSERT_TRUE(forward.perform());
    // Before the cell that was at 3; the short row moves its cell to the end.
    EXPECT_EQ(cells(), "01 02 00 03 | 11 10 | 21 22 20 23 | ");
    ASSERT_TRUE(forward.undo());
    EXPECT_EQ(cells(), before);
    EXPECT_FALSE(forward.undo());

    TQVTMoveCellsOperation back(nullptr, &grid(), 3, 1);
    ASSERT_TRUE(back.perform());
    EXPECT_EQ(cells(), "00 03 01 02 | 10 11 | 20 23 21 22 | ");
    ASSERT_TRUE(back.undo());
    TQVTMoveCellsOperation toEnd(nullptr, &grid(), 1, -1);
    ASSERT_TRUE(toEnd.perform());
    EXPECT_EQ(cells(), "00 02 03 01 | 10 11 | 20 22 23 21 | ");
    ASSERT_TRUE(toEnd.undo());
    EXPECT_EQ(cells(), before);

    EXPECT_FALSE(TQVTMoveCellsOperation(nullptr, &grid(), -1, 0).perform());
    EXPECT_FALSE(TQVTMoveCellsOperation(nullptr, nullptr, 0, 1).perform());
    EXPECT_EQ(cells(), before);
}

} // namespace

// Rows whose settings ask for it take the height their cells need when the tree is renumbered;
// the other rows, and rows whose cells cannot measure, keep theirs.
class FittedRows : public ChartFixture {
protected:
    void SetUp() override
    {
        build({{0, {}}, {0, {}}});
        document->FTree->FHeader = std::make_shared<TQVTTreeHeader>();
        for (int c = 0; c < 2; ++c)
            document->FTree->FHeader->insertHeaderCell(std::make_shared<TQVTTreeHeaderCell>(), -1);
        for (int r = 0; r < 2; ++r) {
            TQVTTreeRow& treeRow = *document->FTree->getRow(r);
            treeRow.Fsettings = std::make_shared<TQVTTreeRowSettings>();
            treeRow.Fsettings->FAutoHeight = r == 0;
            for (const char* text : {"short", "a long text that takes many lines in a narrow column"}) {
                auto cell = std::make_shared<TQVTTreeSimpleTextCell>();
                cell->FText = text;
                cell->FColSettings = std::make_shared<TQVTTreeColSettings>();
                cell->FColSettings->FWidth = 60;
                cell->SetTextArranger(std::make_unique<TQVTTextArranger>(&settings));
                treeRow.insertCell(cell, -1);
            }
        }
    }

    TQVTTextSettings settings;
};

TEST_F(FittedRows, AutomaticHeightFollowsTheCellsOfTheShownColumns)
{
    TQVTTreeGrid& grid = *document->FTree;
    const int oneLine = grid.getRow(0)->getCell(0)->fitHeight();
    const int wrapped = grid.getRow(0)->getCell(1)->fitHeight();
    ASSERT_GT(wrapped, oneLine);
    grid.updateNodes();
    EXPECT_EQ(row(0).getHeight(), wrapped);
    EXPECT_EQ(row(1).getHeight(), 20) << "no automatic height";

    // A hidden column does not count, except the first.
    grid.FHeader->getHeaderCell(1)->FVisible = false;
    grid.updateNodes();
    EXPECT_EQ(row(0).getHeight(), oneLine);
    std::swap(grid.getRow(0)->FCells[0], grid.getRow(0)->FCells[1]);
    grid.FHeader->getHeaderCell(0)->FVisible = false;
    grid.FHeader->getHeaderCell(1)->FVisible = true;
    grid.updateNodes();
    EXPECT_EQ(row(0).getHeight(), wrapped);

    // Cells that cannot measure leave the height alone.
    for (const auto& cell : grid.getRow(0)->FCells)
        cell->SetTextArranger(nullptr);
    row(0).setHeight(33);
    grid.updateNodes();
    EXPECT_EQ(row(0).getHeight(), 33);
}
