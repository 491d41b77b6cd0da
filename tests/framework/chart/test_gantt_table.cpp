// The chart table: geometry, scrolling, summary bars, order, focus, PERT layout, file.

#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/media/qvtMedia.h"

#include "ChartFixture.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

class GanttTable : public ChartFixture {
protected:
    std::shared_ptr<TQVTGanttTable> loadTable(const std::string& ini)
    {
        const auto root = loadFrom("[root]\ntypeID=Document\ntable=T\n" + ini);
        auto* doc = dynamic_cast<TQVTGanttDocument*>(root.get());
        keep = root;
        return doc ? doc->Ftable : nullptr;
    }

    std::vector<int> orders()
    {
        std::vector<int> result;
        for (const auto& r : table().FRows)
            result.push_back(r->FOrder);
        return result;
    }

    std::vector<TQVTGanttRow*> rows()
    {
        std::vector<TQVTGanttRow*> result;
        for (const auto& r : table().FRows)
            result.push_back(r.get());
        return result;
    }

    std::shared_ptr<TQVTGanttObject> keep;
};

std::shared_ptr<TQVTGanttBar> task(TDateTime start, TDateTime end)
{
    return std::make_shared<TQVTTaskBar>(start, end, 0);
}

class TaskBarReportingLater : public TQVTTaskBar {
public:
    using TQVTTaskBar::TQVTTaskBar;
    TDateTime getEndDate() override { return TQVTTaskBar::getEndDate() + 30; }
};

TEST_F(GanttTable, LookupsOutsideTheRowsAnswerNothingRowStartsFollowHeightsAndSummaryBarsTheirSubtree)
{
    build({});
    EXPECT_EQ(table().GetFirstVisibleRowIndex(), -1);
    EXPECT_EQ(table().GetLastVisibleRowIndex(), -1);
    EXPECT_EQ(table().CalculateStartDate(), 0);
    EXPECT_EQ(table().CalculateEndDate(), 0);
    EXPECT_TRUE(table().allBarsIn(0, 10).empty());
    EXPECT_EQ(table().findEmptyRow(), -1);
    EXPECT_EQ(table().getTableHeight(), 0);
    table().SetScrolledLines(3);
    EXPECT_EQ(table().getScrolledLines(), 0);

    build({{}, {}, {}});
    EXPECT_EQ(table().getRow(2), &row(2));
    EXPECT_EQ(table().getRow(-1), nullptr);
    EXPECT_EQ(table().getRow(3), nullptr);
    EXPECT_EQ(capture.log.back(), "stop. List index 3 out of bounds (3) in TQVTGanttTable.getRow");
    EXPECT_EQ(table().getRowHeight(3), 0);
    EXPECT_EQ(table().getRowHeight(-1), 0);
    EXPECT_EQ(table().findFirstSummarizable(7), nullptr);

    build({{}, {}, {}, {}});
    for (int i = 0; i < 4; ++i)
        row(i).setHeight(10 * (i + 1));
    EXPECT_EQ(table().getRowStartY(0), 0);
    EXPECT_EQ(table().getRowStartY(3), 60);
    EXPECT_EQ(table().getTableHeight(), 100);
    EXPECT_EQ(table().getRowStartY(99), 100) << "past the end counts every row";

    row(1).setCollapsed(true);
    EXPECT_EQ(table().getRowStartY(3), 40) << "a collapsed row adds no height";
    EXPECT_EQ(table().getVisibleRowStartY(2), 40) << "the first two visible rows are 0 and 2";
    EXPECT_EQ(table().getVisibleRowHeight(1), 30);
    EXPECT_EQ(table().getVisibleRowHeight(7), 40) << "past the visible rows: the last row's height";

    table().SetScrolledLines(2);
    EXPECT_EQ(table().getScrolledLines(), 2);
    EXPECT_FALSE(row(0).IsVisible());
    EXPECT_EQ(table().getRowStartY(1), 0) << "rows at or above the scroll position start at the table start";
    EXPECT_EQ(table().getRowStartY(4), 70);
    EXPECT_EQ(table().GetFirstVisibleRowIndex(), 2);
    EXPECT_EQ(table().GetLastVisibleRowIndex(), 3);
    EXPECT_EQ(table().GetRowsTotalHeight(), 70);

    row(2).setHeight(5);
    EXPECT_EQ(table().getRowStartY(4), 45) << "a new height is seen at once";
    table().SetScrolledLines(0);
    EXPECT_TRUE(row(0).IsVisible());
    EXPECT_EQ(table().getRowStartY(4), 55);

    build({{}, {}, {}, {}, {}});
    row(2).setCollapsed(true);
    table().SetScrolledLines(2);
    EXPECT_EQ(table().getScrolledLines(), 3) << "scrolling down passes collapsed rows downwards";
    table().SetScrolledLines(2);
    EXPECT_EQ(table().getScrolledLines(), 1) << "scrolling up passes them upwards";
    table().SetScrolledLines(-5);
    EXPECT_EQ(table().getScrolledLines(), 0);
    table().SetScrolledLines(50);
    EXPECT_EQ(table().getScrolledLines(), 4);

    for (int i = 0; i < 5; ++i)
        row(i).setCollapsed(true);
    table().SetScrolledLines(1);
    EXPECT_EQ(table().getScrolledLines(), 4) << "no row qualifies: the position stays";
    table().FRows.resize(2);
    table().invalidateRowGeometry();
    table().SetScrolledLines(0);
    EXPECT_EQ(table().getScrolledLines(), 1) << "kept, but clamped to the rows";

    // Summary bars span the work of their subtree.
    auto outer = std::make_shared<TQVTSummaryBar>();
    auto inner = std::make_shared<TQVTSummaryBar>();
    auto empty = std::make_shared<TQVTSummaryBar>();
    build({{0, {outer}},
           {1, {task(10, 12), std::make_shared<TQVTTextBar>(1, 50, 0)}},
           {1, {inner}},
           {2, {task(5, 8)}},
           {2, {std::make_shared<TQVTProgressBar>(7, 9, 0)}},
           {0, {empty}},
           {1, {}},
           {0, {task(20, 21)}}});
    table().UpdateSummaryBars();
    EXPECT_EQ(std::make_pair(inner->FstartDate, inner->FendDate), std::make_pair(5.0, 9.0));
    EXPECT_EQ(std::make_pair(outer->FstartDate, outer->FendDate), std::make_pair(5.0, 12.0)) << "text bars are no work";
    EXPECT_EQ(std::make_pair(empty->FstartDate, empty->FendDate), std::make_pair(0.0, 0.0));
    EXPECT_EQ(table().CalculateStartDate(), 1) << "all bars count here";
    EXPECT_EQ(table().CalculateEndDate(), 50);

    // Derived classes answer through their own functions, also where the update skips virtual calls.
    auto summary = std::make_shared<TQVTSummaryBar>();
    auto derived = std::make_shared<TaskBarReportingLater>(10, 12, 0);
    auto plain = task(5, 8);
    auto progress = std::make_shared<TQVTProgressBar>(7, 9, 0);
    auto milestone = std::make_shared<TQVTMilestoneBar>(3, 4, 0);
    build({{0, {summary}}, {1, {derived}}, {1, {plain, progress}}, {1, {milestone}}});
    table().UpdateSummaryBars();
    EXPECT_EQ(std::make_pair(summary->FstartDate, summary->FendDate), std::make_pair(3.0, 42.0));
    EXPECT_EQ(derived->exactClass(), TQVTGanttBar::ExactClass::Other);
    EXPECT_EQ(plain->exactClass(), TQVTGanttBar::ExactClass::Task);
    EXPECT_EQ(summary->exactClass(), TQVTGanttBar::ExactClass::Summary);
    EXPECT_EQ(progress->exactClass(), TQVTGanttBar::ExactClass::Progress);
    EXPECT_EQ(milestone->exactClass(), TQVTGanttBar::ExactClass::Milestone);
}

TEST_F(GanttTable, RowDatesRangesOrderFocusAndPertLayoutKeepToTheRowsAndRefuseWhatDoesNotFit)
{
    build({{0, {task(0, 4), task(6, 9), task(3, 5)}}, {0, {}}});
    row(0).FBarList[0]->FendDate = 0;
    EXPECT_EQ(row(0).FindStartDate(), 3);
    EXPECT_EQ(row(0).FindEndDate(), 9);
    EXPECT_EQ(row(1).FindStartDate(), 0);
    EXPECT_EQ(row(1).findFirstSummarizable(), nullptr);

    auto shadow = std::make_shared<TQVTShadowTaskBar>(10, 20, 0);
    auto progress = std::make_shared<TQVTShadowProgressBar>(10, 20, 0);
    auto mine = task(10, 20);
    auto other = task(15, 25);
    build({{0, {shadow, progress, mine, other}}, {0, {}}});
    EXPECT_EQ(table().barInRange(12, 16, 0, mine.get()), other.get());
    EXPECT_EQ(table().barInRange(12, 16, 0, other.get()), mine.get());
    EXPECT_EQ(table().barInRange(30, 40, 0, nullptr), nullptr);
    EXPECT_EQ(table().barInRange(12, 13, 1, nullptr), nullptr);
    EXPECT_EQ(table().barInRange(12, 13, 5, nullptr), nullptr);

    // Order helpers renumber and refuse what does not fit.
    build(std::vector<RowPlan>(8));
    const auto before = rows();
    EXPECT_EQ(table().swapSequences(5, 6, 1, 2), 5);
    EXPECT_EQ(rows(), (std::vector<TQVTGanttRow*>{before[0], before[5], before[6], before[3], before[4], before[1],
                                                  before[2], before[7]}));
    EXPECT_EQ(orders(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));

    const auto now = rows();
    EXPECT_EQ(table().swapSequences(1, 3, 2, 4), -1) << "overlapping runs";
    EXPECT_EQ(table().swapSequences(6, 8, 1, 1), -1) << "a run past the end";
    EXPECT_EQ(rows(), now);

    table().saveOrder();
    auto order = table().getOrder();
    EXPECT_EQ(order[3]->QVTTag, 3);
    std::reverse(order.begin(), order.end());
    EXPECT_TRUE(table().applyOrder(order));
    EXPECT_EQ(rows().front(), now.back());
    EXPECT_EQ(orders(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(table().restoreOrder());
    EXPECT_EQ(rows(), now);

    order[0] = std::make_shared<TQVTGanttRow>();
    EXPECT_FALSE(table().applyOrder(order)) << "a row that is not the table's";
    order[0] = order[1];
    EXPECT_FALSE(table().applyOrder(order)) << "a row listed twice";
    EXPECT_EQ(rows(), now);

    // Focus follows the bar's place.
    auto a = task(1, 2);
    auto b = task(3, 4);
    build({{0, {a}}, {0, {b}}});
    table().setFocusedBar(b.get());
    EXPECT_TRUE(b->FFocused);
    EXPECT_EQ(table().getFocusedBar(), b.get());
    table().setFocusedBar(a.get());
    EXPECT_FALSE(b->FFocused);
    EXPECT_EQ(table().getFocusedBar(), a.get());

    row(0).RemoveBar(a.get());
    EXPECT_EQ(table().getFocusedBar(), nullptr) << "its place holds no bar any more";
    table().setFocusedBar(a.get());
    EXPECT_EQ(table().getFocusedBar(), nullptr) << "a bar outside the table is not focused";
    table().setFocusedBar(nullptr);
    EXPECT_FALSE(b->FFocused);

    build({{0, {}, true}, {0, {}, true}, {0, {}, true}});
    TPoint p;
    table().snapToGrid(30, 10, p, false);
    EXPECT_EQ(p, (TPoint{40, 0}));
    table().snapToGrid(-50, 50, p, false);
    EXPECT_EQ(p, (TPoint{-40, 40}));
    table().snapToGrid(-50, 50, p, true);
    EXPECT_EQ(p, (TPoint{0, 40}));
    table().setPertStartX(33);
    table().setPertStartY(-70);
    EXPECT_EQ(table().getPertStartX(), 40);
    EXPECT_EQ(table().getPertStartY(), 0);

    table().setPertGridSize({0, -3});
    EXPECT_EQ(table().getPertGridSize(), (TPoint{1, 1}));
    table().SetColumnWidth(0);
    EXPECT_EQ(table().GetColumnWidth(), 1);
    table().setDefaultRowHeight(-4);
    EXPECT_EQ(table().getDefaultRowHeight(), 1);

    table().setZOrder(&row(2), -7);
    EXPECT_EQ(table().getZOrder(&row(2)), 0);
    table().setZOrder(&row(2), 99);
    EXPECT_EQ(table().getZOrder(&row(2)), 2);
    EXPECT_EQ(table().FRowsZOrder.size(), 3u);
}

TEST_F(GanttTable, TheFileHoldsTheLayoutTheZOrderAndThePertConnectionsAndLoadingRepairsThem)
{
    build({{0, {}, true}, {0, {}, true}});
    connectBoxes(1, 0);
    table().SetColumnWidth(33);
    table().setPertGridSize({7, 9});
    table().setDefaultRowHeight(21);
    table().FGridColor = 0x123456;
    table().FRowsZOrder = {table().FRows[1], table().FRows[0]};
    row(1).setHeight(44);

    const auto reloaded = std::dynamic_pointer_cast<TQVTGanttDocument>(loadFile(saveToFile(document)));
    ASSERT_NE(reloaded, nullptr);
    const TQVTGanttTable& again = *reloaded->Ftable;
    EXPECT_EQ(again.GetColumnWidth(), 33);
    EXPECT_EQ(again.getPertGridSize(), (TPoint{7, 9}));
    EXPECT_EQ(again.getDefaultRowHeight(), 21);
    EXPECT_EQ(again.FGridColor, 0x123456u);
    EXPECT_EQ(again.FRows[1]->getHeight(), 44);
    ASSERT_EQ(again.FRowsZOrder.size(), 2u);
    EXPECT_EQ(again.FRowsZOrder[0], again.FRows[1]);
    ASSERT_EQ(again.GetPertConnectionsCount(), 1);
    EXPECT_EQ(again.GetPertConnection(0)->barFrom, again.FRows[1]->FPertBar);
    EXPECT_TRUE(capture.messages.empty());

    // Loading keeps every row and bar once and repairs the drawing order.
    const auto loaded = loadTable(
        "[T]\nTypeID=Gantt Table\ncolumn width=0\npert grid size x=-5\ndefault row height=0\nrows#count=4\n"
        "rows#0=R1\nrows#1=R1\nrows#2=Missing\nrows#3=R2\nrowszorder#count=3\nrowszorder#0=Stranger\n"
        "rowszorder#1=R1\nrowszorder#2=R1\npertconnections#count=3\npertconnections#0=Good\n"
        "pertconnections#1=ToNothing\npertconnections#2=Good\n[R1]\ntypeID=Gantt Row\nheight=-7\nbars#count=2\n"
        "bars#0=B\nbars#1=B\npert bar=P1\n[R2]\ntypeID=Gantt Row\nheight=99999\nbars#count=2\nbars#0=B\nbars#1=C\n"
        "pert bar=P2\n[Stranger]\ntypeID=Gantt Row\n[B]\ntypeID=Task Bar\n[C]\ntypeID=Task Bar\n[P1]\n"
        "typeID=Pert Bar\n[P2]\ntypeID=Pert Bar\n[Good]\ntypeID=Bar Connection\nfrom=P1\nto=P2\n[ToNothing]\n"
        "typeID=Bar Connection\nfrom=P1\nto=C\n");
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->countRows(), 2);
    const TQVTGanttRow& r1 = *loaded->FRows[0];
    const TQVTGanttRow& r2 = *loaded->FRows[1];
    EXPECT_EQ(r1.getUID(), "R1");
    EXPECT_EQ(r2.FOrder, 1);
    EXPECT_EQ(r1.GetBarCount(), 1);
    ASSERT_EQ(r2.GetBarCount(), 1) << "B stays with the first row that lists it";
    EXPECT_EQ(r2.FBarList[0]->getUID(), "C");
    EXPECT_EQ(r1.getHeight(), 0);
    EXPECT_EQ(r2.getHeight(), TQVTGanttRow::MaxHeight);
    EXPECT_EQ(loaded->GetColumnWidth(), 1);
    EXPECT_EQ(loaded->getPertGridSize(), (TPoint{1, 20}));
    EXPECT_EQ(loaded->getDefaultRowHeight(), 1);
    ASSERT_EQ(loaded->FRowsZOrder.size(), 2u);
    EXPECT_EQ(loaded->FRowsZOrder[0].get(), &r1);
    EXPECT_EQ(loaded->FRowsZOrder[1].get(), &r2) << "a row with a PERT box joins the drawing order";
    ASSERT_EQ(loaded->GetPertConnectionsCount(), 1);
    EXPECT_EQ(loaded->GetPertConnection(0)->getUID(), "Good");

    // A row without a box drops the key of the file it is saved over.
    build({{0, {}, true}});
    const auto path = saveToFile(document);
    row(0).FPertBar.reset();
    auto media = TQVTMediaFactory::CreateMedia("file://" + path);
    TQVTEntityFactory factory;
    factory.saveObject("root", *media, document.get());
    media->flush();
    std::string box;
    EXPECT_FALSE(TQVTMediaFactory::CreateMedia("file://" + path)->getStrProperty(row(0).getUID(), "pert bar", "", box));
}

} // namespace
