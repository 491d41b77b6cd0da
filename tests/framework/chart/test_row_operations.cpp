// Row, bar and PERT box operations: effects, refusals, exact undo, connections.

#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtUndoRedoStack.h"

#include "ChartFixture.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

std::shared_ptr<TQVTGanttBar> task(TDateTime start, TDateTime end)
{
    return std::make_shared<TQVTTaskBar>(start, end, 0);
}

class RowOperations : public ChartFixture {
protected:
    // Performs op through the history; undo and redo give back both states exactly.
    void roundTrip(const TQVTOperationPtr& op)
    {
        const std::string before = snapshot();
        ASSERT_TRUE(history.doOperation(op));
        const std::string after = snapshot();
        EXPECT_NE(after, before);
        ASSERT_TRUE(history.undo());
        EXPECT_EQ(snapshot(), before);
        ASSERT_TRUE(history.redo());
        EXPECT_EQ(snapshot(), after);
    }

    // Checks that op is refused and leaves the model and the history as they were.
    void refused(const TQVTOperationPtr& op)
    {
        const std::string before = snapshot();
        const int entries = history.GetUndoOperationCount();
        EXPECT_FALSE(history.doOperation(op));
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(history.GetUndoOperationCount(), entries);
    }

    std::vector<std::string> events;
    TQVTUndoRedoStack history;
};

TEST_F(RowOperations, RowsInsertAndRemoveWithExactUndoMissingOnesAreRefusedAndConnectionsGoOnce)
{
    build({{}, {}});
    hooks.OnRowInsert = [&](TQVTGanttRow*) { events.push_back("insert"); };
    table().setDefaultRowHeight(33);
    refused(std::make_shared<TQVTGanttRowInsertOperation>(&hooks, table(), std::make_shared<TQVTGanttRow>(), 3));
    const auto fresh = std::make_shared<TQVTGanttRow>();
    roundTrip(std::make_shared<TQVTGanttRowInsertOperation>(&hooks, table(), fresh, 2));
    EXPECT_EQ(table().getRow(2), fresh.get());
    EXPECT_EQ(fresh->FOrder, 2);
    EXPECT_EQ(fresh->getHeight(), 33);
    EXPECT_EQ(events.size(), 2u);

    table().setDefaultRowHeight(50);
    ASSERT_TRUE(history.undo());
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(fresh->getHeight(), 33) << "a redo keeps the height the row was given";

    events.clear();
    hooks.OnRowInsert = nullptr;
    build(std::vector<RowPlan>(5));
    hooks.OnRowDelete = [&](TQVTGanttRow*) { events.push_back("delete"); };
    TQVTGanttRow* removed = &row(2);
    roundTrip(std::make_shared<TQVTGanttRowRemoveOperation>(&hooks, table(), 2));
    EXPECT_EQ(table().countRows(), 4);
    EXPECT_EQ(row(2).FOrder, 2);
    EXPECT_EQ(row(3).FOrder, 3);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(table().getRow(2), removed);
    EXPECT_EQ(row(4).FOrder, 4);
    EXPECT_EQ(events, (std::vector<std::string>{"delete", "delete"}));

    // Operations on rows that do not exist are refused.
    build({{0, {task(100, 101)}}});
    refused(std::make_shared<TQVTGanttRowRemoveOperation>(&hooks, table(), 1));
    refused(std::make_shared<TQVTGanttRowRemoveOperation>(&hooks, table(), -1));
    refused(std::make_shared<TQVTGanttRowClearOperation>(&hooks, table(), 4));
    refused(std::make_shared<TQVTGanttRowsDeleteOperation>(&hooks, table(), 0, 1));
    refused(std::make_shared<TQVTBarInsertOperation>(&hooks, table(), task(1, 2), 1));
    refused(std::make_shared<TQVTBarMoveOperation>(&hooks, bar(0, 0), 105, 3));
    refused(std::make_shared<TQVTPertBarInsertOperation>(&hooks, table(), 9));
    refused(std::make_shared<TQVTBarDeleteOperation>(&hooks, task(1, 2)));
    refused(std::make_shared<TQVTPertBarDeleteOperation>(&hooks, std::make_shared<TQVTPertBar>()));

    // Deleting rows deletes each connection once.
    build({{0, {task(100, 101)}}, {0, {task(102, 103)}}, {0, {task(104, 105)}}, {0, {task(106, 107)}}});
    connect(bar(0, 0), bar(1, 0));
    connect(bar(1, 0), bar(2, 0));
    connect(bar(3, 0), bar(0, 0));
    connect(bar(2, 0), bar(1, 0));
    int deleted = 0;
    int added = 0;
    hooks.OnAfterConnectionDelete = [&](TQVTBarConnection*) { ++deleted; };
    hooks.OnAfterConnectionAdd = [&](TQVTBarConnection*) { ++added; };
    roundTrip(std::make_shared<TQVTGanttRowsDeleteOperation>(&hooks, table(), 1, 2));
    EXPECT_EQ(document->connections.size(), 1u);
    EXPECT_EQ(deleted, 6) << "three connections, deleted once each, twice";
    EXPECT_EQ(added, 3);

    build({{0, {std::make_shared<TQVTSummaryBar>(), std::make_shared<TQVTTextBar>(1, 2, 0)}},
           {1, {task(100, 101)}},
           {0, {task(103, 104)}}});
    const std::string before = snapshot();
    EXPECT_TRUE(history.doOperation(std::make_shared<TQVTGanttRowClearOperation>(&hooks, table(), 0)));
    EXPECT_EQ(snapshot(), before) << "clearing a row with a summary bar leaves it";

    table().FSummaryBarConnectable = true;
    connect(bar(0, 0), bar(2, 0));
    roundTrip(std::make_shared<TQVTGanttRowsDeleteOperation>(&hooks, table(), 0, 0));
    EXPECT_TRUE(document->connections.empty()) << "no connection is left to a bar outside the table";
}

TEST_F(RowOperations, VetoesLeaveTheModelAndTheHistoryUnchangedAlsoInTheMiddleOfAMove)
{
    build({{0, {task(100, 102), task(104, 105)}, true}, {0, {task(103, 104)}}, {0, {}}});
    connect(bar(0, 0), bar(1, 0));
    ASSERT_TRUE(history.doOperation(
        std::make_shared<TQVTGanttRowInsertOperation>(&hooks, table(), std::make_shared<TQVTGanttRow>(), 3)));
    const auto cancel = [](TQVTGanttBar*, bool& c) { c = true; };
    hooks.OnBeforeBarDelete = cancel;
    refused(std::make_shared<TQVTBarDeleteOperation>(&hooks, bar(1, 0)));
    refused(std::make_shared<TQVTGanttRowClearOperation>(&hooks, table(), 0));
    refused(std::make_shared<TQVTGanttRowsDeleteOperation>(&hooks, table(), 0, 1));
    refused(std::make_shared<TQVTPertBarDeleteOperation>(&hooks, row(0).FPertBar));
    hooks.OnBeforeBarDelete = nullptr;
    hooks.OnBeforeBarAdd = cancel;
    refused(std::make_shared<TQVTBarInsertOperation>(&hooks, table(), task(1, 2), 1));
    refused(std::make_shared<TQVTPertBarInsertOperation>(&hooks, table(), 2)); // the empty row's task bar is refused
    hooks.OnBeforeBarAdd = nullptr;
    hooks.OnBeforeBarMove = cancel;
    refused(std::make_shared<TQVTBarMoveOperation>(&hooks, bar(0, 0), 110, 1));
    hooks.OnBeforeBarMove = nullptr;
    hooks.OnGanttBarMove = [](TQVTGanttBar*, int, TDateTime, bool& allowed) { allowed = false; };
    refused(std::make_shared<TQVTBarMoveOperation>(&hooks, bar(0, 0), 110, 1));
    hooks.OnGanttBarMove = nullptr;
    hooks.OnBeforeConnectionDelete = [](TQVTBarConnection*, bool& c) { c = true; };
    refused(std::make_shared<TQVTBarDeleteOperation>(&hooks, bar(0, 0)));
    refused(std::make_shared<TQVTGanttRowsDeleteOperation>(&hooks, table(), 1, 1)); // the row's bar is connected
    EXPECT_EQ(history.GetUndoOperationCount(), 1);

    // A veto in the middle of a move takes back what was done.
    hooks.OnBeforeConnectionDelete = nullptr;
    build({{0, {task(100, 102)}}, {0, {task(103, 104), task(106, 107)}}});
    const auto first = connect(bar(0, 0), bar(1, 0));
    const auto second = connect(bar(1, 1), bar(0, 0));
    int deleted = 0;
    hooks.OnAfterConnectionDelete = [&](TQVTBarConnection*) { ++deleted; };
    hooks.OnBeforeConnectionAdd = [&](TQVTBarConnection* c, bool& veto) { veto = c == second.get(); };
    const auto move = std::make_shared<TQVTBarMoveOperation>(&hooks, bar(0, 0), 110, 1);
    const std::string before = snapshot();
    EXPECT_FALSE(history.doOperation(move));
    EXPECT_EQ(deleted, 2) << "both connections went before the veto";
    EXPECT_EQ(snapshot(), before) << "and both are back in their places";
    EXPECT_EQ(history.GetUndoOperationCount(), 1);
}

TEST_F(RowOperations, BarsMoveWithTheirConnectionsAndPertBoxesIntoRowsByTheRules)
{
    build({{0, {task(100, 102.5), task(108, 109)}}, {0, {task(103, 104)}}, {0, {task(90, 91)}}});
    const auto moving = bar(0, 0);
    connect(bar(2, 0), bar(1, 0));
    connect(moving, bar(1, 0));
    connect(bar(2, 0), moving);
    const std::string connectionsBefore = describe().substr(describe().find("connections:"));
    std::vector<std::string> seen;
    hooks.OnGanttBarMove = [&](TQVTGanttBar*, int row, TDateTime start, bool&) {
        seen.push_back(std::to_string(row) + "@" + RealToText(start));
    };
    roundTrip(std::make_shared<TQVTBarMoveOperation>(&hooks, moving, 111, 1));
    EXPECT_EQ(moving->getParentRow(), &row(1));
    EXPECT_EQ(moving->FstartDate, 111);
    EXPECT_EQ(moving->FendDate, 113.5);
    EXPECT_EQ(describe().substr(describe().find("connections:")), connectionsBefore);
    EXPECT_EQ(seen, (std::vector<std::string>{"1@111", "0@100", "1@111"}));
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(row(0).indexOf(moving.get()), 0) << "back at its index in its row";

    build({{0, {task(100, 102)}}, {0, {}}});
    hooks.OnAfterBarAdd = [&](TQVTGanttBar*) { events.push_back("add"); };
    hooks.OnAfterBarDelete = [&](TQVTGanttBar*) { events.push_back("delete"); };
    hooks.OnAfterBarMove = [&](TQVTGanttBar*) { events.push_back("move"); };
    hooks.AutoCreatePertbars = false;
    roundTrip(std::make_shared<TQVTBarMoveOperation>(&hooks, bar(0, 0), 101, 1));
    EXPECT_EQ(events, (std::vector<std::string>{"move", "move", "move"}));

    // Bars go into rows by the group rule.
    build({{0, {std::make_shared<TQVTSummaryBar>()}}, {1, {}}});
    hooks.AutoCreatePertbars = false;
    refused(std::make_shared<TQVTBarInsertOperation>(&hooks, table(), task(1, 2), 0));
    refused(std::make_shared<TQVTBarInsertOperation>(&hooks, table(), std::make_shared<TQVTSummaryBar>(), 1));
    refused(std::make_shared<TQVTBarInsertOperation>(&hooks, table(), bar(0, 0), 1)); // already in a row
    roundTrip(std::make_shared<TQVTBarInsertOperation>(&hooks, table(), task(101, 103), 1));
    EXPECT_EQ(bar(0, 0)->FstartDate, 101) << "the summary bar follows its child";
    hooks.CanCreateBarsOnSummaryRows = true;
    roundTrip(std::make_shared<TQVTBarInsertOperation>(&hooks, table(), task(1, 2), 0));

    // The last work of a row takes its PERT box along; the first brings one.
    hooks.AutoCreatePertbars = true;
    build({{0, {task(100, 101), std::make_shared<TQVTTextBar>(100, 101, 0)}, true},
           {0, {task(102, 103)}, true},
           {0, {task(104, 105)}, true}});
    connectBoxes(0, 1);
    connectBoxes(2, 0);
    connect(bar(1, 0), bar(0, 0));
    roundTrip(std::make_shared<TQVTBarDeleteOperation>(&hooks, bar(0, 0)));
    EXPECT_EQ(row(0).FPertBar, nullptr);
    EXPECT_EQ(table().GetPertConnectionsCount(), 0);
    EXPECT_TRUE(document->connections.empty());
    EXPECT_EQ(table().FRowsZOrder.size(), 2u);
    EXPECT_EQ(row(0).GetBarCount(), 1) << "the text bar is no work and stays";

    build({{}, {0, {}, true}});
    hooks.AutoCreatePertbars = true;
    const auto first = task(100, 101);
    roundTrip(std::make_shared<TQVTBarInsertOperation>(&hooks, table(), first, 0));
    ASSERT_NE(row(0).FPertBar, nullptr);
    EXPECT_EQ(table().getZOrder(&row(0)), 0);
    EXPECT_EQ(table().FRowsZOrder.size(), 2u);
    // Named after its row, in a free place of the PERT plane: not over the other row's box.
    TQVTPertBar& box = *row(0).FPertBar;
    ASSERT_NE(box.FMainSection, nullptr);
    EXPECT_EQ(box.FMainSection->FText, "Task 1");
    const TRect placed = box.getDrawer(vtPertGraph)->getRect();
    const TRect other = row(1).FPertBar->getDrawer(vtPertGraph)->getRect();
    EXPECT_FALSE(placed.Left < other.Right && other.Left < placed.Right && placed.Top < other.Bottom &&
                 other.Top < placed.Bottom);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(row(0).FPertBar, nullptr);
    EXPECT_EQ(row(0).GetBarCount(), 0);

    hooks.AutoCreatePertbars = false;
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTBarInsertOperation>(&hooks, table(), first, 0)));
    EXPECT_EQ(row(0).FPertBar, nullptr);

    build({{0, {}}, {0, {task(100, 101)}, true}});
    document->Fcalendar->SetTimeMode(tmWeek);
    document->setStartDate(100);
    const TDateTime start = document->getStartDate();
    roundTrip(std::make_shared<TQVTPertBarInsertOperation>(&hooks, table(), 0));
    ASSERT_NE(row(0).FPertBar, nullptr);
    ASSERT_EQ(row(0).GetBarCount(), 1);
    EXPECT_EQ(bar(0, 0)->ClassName(), "TQVTTaskBar");
    EXPECT_EQ(bar(0, 0)->FstartDate, start);
    EXPECT_EQ(bar(0, 0)->FendDate, start + 7) << "one unit of the calendar";
    refused(std::make_shared<TQVTPertBarInsertOperation>(&hooks, table(), 1)); // the row has a box

    const auto taken = row(1).FPertBar;
    roundTrip(std::make_shared<TQVTPertBarDeleteOperation>(&hooks, taken));
    EXPECT_EQ(row(1).GetBarCount(), 0) << "the box takes the row's work along";

    build({{0, {task(100, 101)}, true}, {0, {}}, {0, {task(102, 103)}, true}});
    const auto carried = row(0).FPertBar;
    const auto link = connectBoxes(2, 0);
    roundTrip(std::make_shared<TQVTBarMoveOperation>(&hooks, bar(0, 0), 100, 1));
    EXPECT_EQ(row(0).FPertBar, nullptr);
    EXPECT_EQ(row(1).FPertBar, carried);
    EXPECT_EQ(table().GetPertConnection(0), link.get()) << "the box keeps its connections";
    EXPECT_EQ(table().getZOrder(&row(1)), 0) << "and its place in the drawing order";

    // Into a row that has a box of its own, the old box goes with its connections.
    roundTrip(std::make_shared<TQVTBarMoveOperation>(&hooks, bar(1, 0), 100, 2));
    EXPECT_EQ(row(1).FPertBar, nullptr);
    EXPECT_EQ(table().GetPertConnectionsCount(), 0);
}

} // namespace
