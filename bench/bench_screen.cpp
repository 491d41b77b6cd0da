// The chart on screen with realistic plans (PlanFiles.h): a full-HD frame of the whole chart
// (task table, background, shading, grid, bars, connections, time scales) at the top, in the
// middle and at the bottom of the plan; opening a plan up to its first painted frame; and
// exporting a 10,000-row chart to PNG.
//
// Counters: peak_MiB as in bench_plan; rows_painted and connections_painted are the rows and
// connections on the frame.

#include "corvane/framework/chart/qvtChartDrawers.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/interaction/qvtGanttView.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/platform/Dialogs.h"
#include "corvane/platform/Graphics.h"
#include "corvane/widgets/qvtGanttGraph.h"

#include "PlanFiles.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

using namespace corvane;
using namespace corvane::bench;

namespace {

constexpr int FrameWidth = 1920;
constexpr int FrameHeight = 1080;

// One loaded plan, kept for the frames of every position.
std::map<int, std::unique_ptr<TQVTDataSource>> plans;

TQVTDataSource* loadedPlan(int tasks, benchmark::State& state)
{
    if (auto it = plans.find(tasks); it != plans.end())
        return it->second.get();
    std::string why;
    const std::string plan = planFile(tasks, why);
    if (plan.empty()) {
        state.SkipWithError(why.c_str());
        return nullptr;
    }
    plans.clear();
    SetShowMessageHandler([](const std::string&) {});
    auto source = std::make_unique<TQVTDataSource>();
    source->setStorage("file://" + plan);
    return (plans[tasks] = std::move(source)).get();
}

// Scrolls to the first row of the position (0 top, 1 middle, 2 bottom) and starts the time axis
// a few days before that row's first bar, so that the frame is full of bars.
void scrollTo(TQVTDataSource& source, int position)
{
    TQVTGanttTable* table = source.GetTable();
    const int count = table->countRows();
    const int first = position == 0 ? 0 : position == 1 ? count / 2 : std::max(0, count - 40);
    table->SetScrolledLines(first);
    const TDateTime start = table->getRow(table->getScrolledLines())->FindFirstStartDate();
    if (start > 0)
        source.root()->setStartDate(start - 3);
}

void BM_FullHDFrame(benchmark::State& state)
{
    TQVTDataSource* source = loadedPlan(static_cast<int>(state.range(0)), state);
    if (!source)
        return;
    scrollTo(*source, static_cast<int>(state.range(1)));
    TBitmap frame;
    frame.SetSize(FrameWidth, FrameHeight);
    TQVTCanvasVC vc(frame.Canvas());
    vc.setVisibleArea(TRect{0, 0, FrameWidth, FrameHeight});
    TQVTGanttView view;
    for (auto _ : state)
        view.Draw(source, vc, false);
    TQVTGanttTable* table = source->GetTable();
    int rows = 0;
    for (int i = table->getScrolledLines(); i < table->countRows() && table->getRowStartY(i) < FrameHeight; ++i)
        rows += table->getRow(i)->IsVisible() ? 1 : 0;
    state.counters["rows_painted"] = rows;
    if (auto* drawer = dynamic_cast<TQVTDocumentDrawer*>(source->root()->getDrawer(vtGanttGraph)))
        state.counters["connections_painted"] = static_cast<double>(drawer->paintedConnectionCount());
}
BENCHMARK(BM_FullHDFrame)
    ->ArgNames({"tasks", "position"})
    ->ArgsProduct({{1000, 100000}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);

void BM_OpenPlanToFirstFrame(benchmark::State& state)
{
    std::string why;
    const std::string plan = planFile(static_cast<int>(state.range(0)), why);
    if (plan.empty()) {
        state.SkipWithError(why.c_str());
        return;
    }
    SetShowMessageHandler([](const std::string&) {});
    plans.clear();
    resetPeakResident();
    for (auto _ : state) {
        auto source = std::make_unique<TQVTDataSource>();
        source->setStorage("file://" + plan);
        auto graph = std::make_unique<TQVTGanttGraph>();
        graph->resize(FrameWidth, FrameHeight);
        graph->setDataSource(source.get());
        benchmark::DoNotOptimize(graph->grab());
        // Closing the plan is not part of opening it.
        state.PauseTiming();
        state.counters["peak_MiB"] = peakResidentMiB();
        graph.reset();
        source.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenPlanToFirstFrame)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ExportRowsToPng(benchmark::State& state)
{
    TQVTDataSource* source = loadedPlan(static_cast<int>(state.range(0)), state);
    if (!source)
        return;
    scrollTo(*source, 0);
    TQVTGanttGraph graph;
    graph.setDataSource(source);
    const TDateTime start = source->root()->getStartDate();
    const std::string file = (std::filesystem::temp_directory_path() / "corvane-bench-export.png").string();
    for (auto _ : state)
        graph.SaveToPng(file, 0, source->GetTable()->countRows() - 1, start, start + 28);
    state.counters["file_MB"] = fileMB(file);
    std::filesystem::remove(file);
    graph.setDataSource(nullptr);
}
BENCHMARK(BM_ExportRowsToPng)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
