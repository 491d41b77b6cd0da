// The chart table on a plan of 100,000 rows (groups of ten: a summary row over nine rows with a
// task bar each): summary bars, row geometry, a bar move with its undo record, and undo and redo
// of 1,000 operations.

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/interaction/qvtUndoRedoStack.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/Dialogs.h"

#include "GroupedPlan.h"
#include "PlanFiles.h"

#include <benchmark/benchmark.h>
#include <memory>

using namespace corvane;
using corvane::bench::GroupSize;
using corvane::bench::makePlan;
using corvane::bench::PlanRows;

namespace {

void BM_UpdateSummaryBars(benchmark::State& state)
{
    const auto document = makePlan(static_cast<int>(state.range(0)));
    for (auto _ : state)
        document->Ftable->UpdateSummaryBars();
}
BENCHMARK(BM_UpdateSummaryBars)->Arg(10'000)->Arg(PlanRows)->Unit(benchmark::kMillisecond);

// The same after every change of the task tree (here one that leaves its shape as it was): the
// tree's shape over the rows is found again each time.
void BM_UpdateSummaryBarsAfterATreeChange(benchmark::State& state)
{
    const auto document = makePlan(static_cast<int>(state.range(0)));
    TQVTTreeNode& group = *document->FTree->FRootNode->Fchildren.front();
    for (auto _ : state) {
        group.Fchildren.swapItems(0, 0);
        document->Ftable->UpdateSummaryBars();
    }
}
BENCHMARK(BM_UpdateSummaryBarsAfterATreeChange)->Arg(PlanRows)->Unit(benchmark::kMillisecond);

// The same on the realistic plan of range(0) tasks (PlanFiles.h): a six-level tree, and every
// row with a PERT box that follows its row's span.
void BM_UpdateSummaryBarsOfRealisticPlan(benchmark::State& state)
{
    std::string why;
    const std::string file = corvane::bench::planFile(static_cast<int>(state.range(0)), why);
    if (file.empty()) {
        state.SkipWithError(why.c_str());
        return;
    }
    SetShowMessageHandler([](const std::string&) {});
    TQVTDataSource source;
    source.setStorage("file://" + file);
    for (auto _ : state)
        source.GetTable()->UpdateSummaryBars();
}
BENCHMARK(BM_UpdateSummaryBarsOfRealisticPlan)->Arg(100'000)->Unit(benchmark::kMillisecond);

// Row starts spread over the table, with the running sums cached.
void BM_GetRowStartY(benchmark::State& state)
{
    const auto document = makePlan(PlanRows);
    TQVTGanttTable& table = *document->Ftable;
    int index = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.getRowStartY(index));
        index = (index + 7919) % PlanRows;
    }
}
BENCHMARK(BM_GetRowStartY);

// The first row start after a height changed: the running sums are built again.
void BM_GetRowStartYAfterAHeightChange(benchmark::State& state)
{
    const auto document = makePlan(PlanRows);
    TQVTGanttTable& table = *document->Ftable;
    int height = 20;
    for (auto _ : state) {
        table.getRow(500)->setHeight(height = 41 - height);
        benchmark::DoNotOptimize(table.getRowStartY(PlanRows - 1));
    }
}
BENCHMARK(BM_GetRowStartYAfterAHeightChange)->Unit(benchmark::kMicrosecond);

// The plan of PlanRows rows with a history to record edits on; edits make no PERT boxes.
struct EditedPlan {
    EditedPlan() { hooks.AutoCreatePertbars = false; }

    const std::shared_ptr<TQVTGanttDocument> document = makePlan(PlanRows);
    TQVTGanttTable& table = *document->Ftable;
    TQVTUndoRedoStack history;
    TQVTDataSourceIntf hooks;
};

// A bar moved in time and into the next row, recorded on the history, with the summary bars
// updated; the history is emptied now and then outside the timing.
void BM_BarMoveWithUndoRecord(benchmark::State& state)
{
    EditedPlan plan;
    auto& [document, table, history, hooks] = plan;
    const std::shared_ptr<TQVTGanttBar> bar = table.getRow(50'001)->FBarList.front();
    int moves = 0;
    for (auto _ : state) {
        const int row = bar->getRow() == 50'001 ? 50'002 : 50'001;
        history.doOperation(std::make_shared<TQVTBarMoveOperation>(&hooks, bar, 45000 + moves % 30, row));
        if (++moves % 1000 == 0) {
            state.PauseTiming();
            history.clear();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_BarMoveWithUndoRecord)->Unit(benchmark::kMicrosecond);

// A new task bar put into a row of the middle and recorded on the history, with the summary
// bars updated; its undo is outside the timing.
void BM_BarInsertWithUndoRecord(benchmark::State& state)
{
    EditedPlan plan;
    auto& [document, table, history, hooks] = plan;
    for (auto _ : state) {
        auto bar = std::make_shared<TQVTTaskBar>(45000, 45002, 0);
        if (!history.doOperation(std::make_shared<TQVTBarInsertOperation>(&hooks, table, bar, 50'001)))
            state.SkipWithError("the insert was refused");
        state.PauseTiming();
        history.undo();
        history.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BarInsertWithUndoRecord)->Unit(benchmark::kMicrosecond);

// One edit as a user makes it: the same move with the critical path over about 135,000
// connections (each task bar to one or two later ones) computed again before the summary bars.
void BM_OneEditWithCriticalPath(benchmark::State& state)
{
    EditedPlan plan;
    auto& [document, table, history, hooks] = plan;
    for (int r = 1; r + 3 < PlanRows; ++r) {
        const auto& from = table.getRow(r)->FBarList.front();
        for (const int step : {1, 3}) {
            if (step == 3 && r % 2 != 0)
                continue;
            const auto& to = table.getRow(r + step)->FBarList.front();
            if (from->acceptConnections() && to->acceptConnections()) {
                auto c = std::make_shared<TQVTBarConnection>(from, to, TQVTBarConnection::FinishToStart);
                c->setParent(document.get());
                document->connections.push_back(c);
            }
        }
    }
    table.setAutoUpdateCriticalPath(true);
    table.updateCriticalPath();
    const std::shared_ptr<TQVTGanttBar> bar = table.getRow(50'001)->FBarList.front();
    int moves = 0;
    for (auto _ : state) {
        const int row = bar->getRow() == 50'001 ? 50'002 : 50'001;
        history.doOperation(std::make_shared<TQVTBarMoveOperation>(&hooks, bar, 45000 + moves % 30, row));
        if (++moves % 100 == 0) {
            state.PauseTiming();
            history.clear();
            state.ResumeTiming();
        }
    }
    state.counters["connections"] = static_cast<double>(document->connections.size());
}
BENCHMARK(BM_OneEditWithCriticalPath)->Unit(benchmark::kMillisecond);

// Undo and redo of 1,000 recorded moves and resizes on a plan of 1,000 rows.
void BM_UndoRedoThousandOperations(benchmark::State& state)
{
    const auto document = makePlan(1000);
    TQVTGanttTable& table = *document->Ftable;
    TQVTUndoRedoStack history;
    for (int i = 0; i < 1000; ++i) {
        const int row = 1 + (i * 37) % 999;
        if (row % GroupSize == 0)
            continue;
        const std::shared_ptr<TQVTGanttBar> bar = table.getRow(row)->FBarList.front();
        if (i % 2 == 0)
            history.doOperation(std::make_shared<TQVTBarMoveOperation>(nullptr, bar, 45010 + i % 40, row));
        else
            history.doOperation(std::make_shared<TQVTBarResizeOperation>(nullptr, bar, 1, 0, true));
    }
    const int recorded = history.GetUndoOperationCount();
    for (auto _ : state) {
        for (int i = 0; i < recorded; ++i)
            history.undo();
        for (int i = 0; i < recorded; ++i)
            history.redo();
    }
    state.counters["operations"] = recorded;
}
BENCHMARK(BM_UndoRedoThousandOperations)->Unit(benchmark::kMillisecond);

} // namespace
