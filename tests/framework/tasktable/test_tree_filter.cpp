// The task table's row filter, text search and selection by position.

#include "TreeOrderFixture.h"

#include <functional>

using namespace corvane;
using namespace corvane::test;

namespace {

class TreeFilter : public TreeOrderFixture {
protected:
    // A > A1 > A1x; B; C with blanks around its name; all rows 20 pixels high.
    void SetUp() override { buildOutline({{0, "A"}, {1, "A1"}, {2, "Ä1x"}, {1, "A2"}, {0, "B"}, {0, " c "}}); }
    void filter(std::vector<std::string> values)
    {
        grid().ClearFilter(false);
        grid().TreeFilter.Active = true;
        grid().TreeFilter.ColID = 0;
        grid().TreeFilter.Values = std::move(values);
        grid().ApplyFilter();
    }
    // "+" for a row shown in the chart table, "-" for one hidden; kept() the same by the tree
    // rows' hidden flags.
    std::string shown() { return marks([this](int i) { return row(i).IsVisible(); }); }
    std::string kept() { return marks([this](int i) { return !grid().getRow(i)->FHidden; }); }
    std::string marks(const std::function<bool(int)>& on)
    {
        std::string out;
        for (int i = 0; i < grid().rowsCount(); ++i)
            out += on(i) ? '+' : '-';
        return out;
    }
};

TEST_F(TreeFilter, KeptRowsShowTheirPathTheDescriptionNamesTheFilterAndTheAreaOffersTheTexts)
{
    int told = -2;
    grid().FOnFilterSettingsChanged = [&told](TQVTTreeGrid*, int column) { told = column; };
    filter({"ä1X", "C"});
    EXPECT_EQ(grid().TreeFilter.FilterDescription, "Spalte \"Name\" = (ä1X, C)");
    EXPECT_EQ(shown(), "+++--+") << "A and A1 lead to Ä1x; blanks and letter case do not count";
    EXPECT_EQ(kept(), "+++--+");
    EXPECT_EQ(grid().findRow(61), 5) << "hidden rows take no room";

    // Collapsing and expanding A keeps the filtered rows hidden.
    grid().collapse(0);
    EXPECT_EQ(shown(), "+----+");
    grid().expand(0);
    EXPECT_EQ(shown(), "+++--+");

    filter({"nothing"});
    EXPECT_EQ(shown(), "------");
    EXPECT_EQ(kept(), "------");
    EXPECT_EQ(told, -2) << "applying does not tell";

    grid().ClearFilter(true);
    EXPECT_EQ(told, -1);
    EXPECT_TRUE(!grid().TreeFilter.Active && grid().TreeFilter.Values.empty());
    grid().ApplyFilter();
    EXPECT_EQ(shown(), "++++++");
    EXPECT_EQ(grid().TreeFilter.FilterDescription, "") << "no filter, no description";
    grid().TreeFilter.ColID = 2;
    grid().TreeFilterChanged();
    EXPECT_EQ(told, 2);

    // The column's filter area offers its texts and filters by the checked ones.
    grid().getRow(5)->getCell(0)->SetText("a1 ");
    TQVTTreeHeaderFilterArea& area = grid().FHeader->getHeaderCell(0)->HeaderFilterArea;
    EXPECT_EQ(area.GetContentStrings(), (std::vector<std::string>{"A", "A1", "Ä1x", "A2", "B"}))
        << "each text once, first spelling, without blanks";
    int toldByArea = -2;
    grid().FOnFilterSettingsChanged = [&toldByArea](TQVTTreeGrid*, int column) { toldByArea = column; };
    area.OnClickContent({"B", "A2"});
    EXPECT_EQ(toldByArea, 0);
    EXPECT_EQ(grid().TreeFilter.FilterDescription, "Spalte \"Name\" = (B, A2)");
    EXPECT_EQ(kept(), "+--++-");
    area.OnClickContent({"B", "Alles", "A2"});
    EXPECT_FALSE(grid().TreeFilter.Active);
    EXPECT_EQ(kept(), "++++++");
}

TEST_F(TreeFilter, TextSearchIsExactAndClicksSelectByPositionAloneAddedOrAsARun)
{
    grid().getRow(1)->getCell(2)->SetText("B");
    EXPECT_EQ(grid().colsCount(), 3);
    EXPECT_EQ(grid().findText("B", soMatchCase), grid().getCell(4, 0)) << "column 0 before column 2";
    EXPECT_EQ(grid().findTextInColumn("B", 0, 2), grid().getCell(1, 2));
    EXPECT_EQ(grid().findText("b", 0), nullptr) << "letter case counts";
    EXPECT_EQ(grid().findText("c", soWholeWords), nullptr) << "the blanks belong to the text";
    EXPECT_EQ(grid().findText(" c ", 0), grid().getCell(5, 0));
    EXPECT_EQ(grid().findTextInColumn("A", 0, 3), nullptr);
    EXPECT_TRUE(grid().getCell(6, 0) == nullptr && grid().getCell(0, 3) == nullptr);
    EXPECT_EQ(grid().getCellStringValue(2, 0) + "|" + grid().getCellStringValue(9, 0), "Ä1x|");

    const auto selection = [this] {
        std::vector<int> rows;
        for (int k = 0; k < grid().getSelectedRowsCount(); ++k)
            rows.push_back(grid().getSelectedRow(k)->FIndex);
        return rows;
    };
    std::vector<int> found;
    for (int y : {1, 20, 21, 121})
        found.push_back(grid().findRow(y));
    EXPECT_EQ(found, (std::vector<int>{0, 0, 1, -1}));

    grid().handleRowSelect(30, 0);
    EXPECT_EQ(selection(), std::vector<int>{1});
    grid().handleRowSelect(70, 1);
    EXPECT_EQ(selection(), (std::vector<int>{1, 3}));
    grid().handleRowSelect(110, 2);
    EXPECT_EQ(selection(), (std::vector<int>{1, 3, 4, 5}));
    grid().handleRowSelect(50, 0);
    EXPECT_EQ(selection(), std::vector<int>{2});
    grid().handleRowSelect(10, 2);
    EXPECT_EQ(selection(), (std::vector<int>{2, 1, 0})) << "a run upwards";
    EXPECT_TRUE(row(0).FSelected);

    // Focusing keeps the cell focus in its column.
    grid().FCellFocusing = true;
    grid().FocusCell(1, 2);
    EXPECT_TRUE(grid().getCell(1, 2)->FFocused);
    grid().focusAt(0, 85);
    EXPECT_EQ(grid().getFocusedRow(), grid().getRow(4));
    EXPECT_FALSE(grid().getCell(1, 2)->FFocused);
    EXPECT_TRUE(grid().getCell(4, 2)->FFocused);
    grid().focusAt(0, -1);
    EXPECT_EQ(grid().getFocusedRow(), grid().getRow(4));
}

} // namespace
