// Sorting the task table of a plan of 100,000 rows (groups of ten: a summary row over nine rows
// with a task bar each) by a text column with many equal names, ascending and back, the chart
// rows following; each sort is undone outside the timing, so every run starts unsorted.

#include "corvane/framework/tasktable/qvtTreeGrid.h"

#include "GroupedPlan.h"

#include <benchmark/benchmark.h>

using namespace corvane;
using corvane::bench::makePlan;
using corvane::bench::PlanRows;

namespace {

void BM_SortRows(benchmark::State& state)
{
    const auto document = makePlan(static_cast<int>(state.range(0)));
    TQVTTreeGrid& grid = *document->FTree;
    for (auto _ : state) {
        const TQVTOperationPtr sorting = grid.sortRows(0, sortAscending);
        benchmark::DoNotOptimize(sorting->perform());
        state.PauseTiming();
        sorting->undo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SortRows)->Arg(10'000)->Arg(PlanRows)->Unit(benchmark::kMillisecond);

// The undo of such a sort: the remembered order back, the chart rows following.
void BM_SortRowsUndo(benchmark::State& state)
{
    const auto document = makePlan(PlanRows);
    TQVTTreeGrid& grid = *document->FTree;
    for (auto _ : state) {
        state.PauseTiming();
        const TQVTOperationPtr sorting = grid.sortRows(0, sortAscending);
        sorting->perform();
        state.ResumeTiming();
        benchmark::DoNotOptimize(sorting->undo());
    }
}
BENCHMARK(BM_SortRowsUndo)->Unit(benchmark::kMillisecond);

} // namespace
