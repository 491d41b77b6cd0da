// Painting the chart of a full-HD view of a grouped plan (GroupedPlan.h) of 1,000 and 100,000
// rows, scrolled to the top, the middle and the bottom: the table drawer alone (backgrounds,
// weekend shading, grid, rows and their bars), and the whole document drawer (with the
// connections, and the tree and time scales as far as they paint). The cost must follow what
// is visible: the 100,000-row frames within 1.5 times the 1,000-row ones, anywhere in the plan.

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/platform/Graphics.h"

#include "GroupedPlan.h"

#include <benchmark/benchmark.h>
#include <map>
#include <memory>

using namespace corvane;
using namespace corvane::bench;

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;

// The plan with weekends shaded, a tree of 400 pixels and finish-to-start links between
// neighbouring tasks of a group, plus one link every 50 rows reaching 500 rows down.
std::shared_ptr<TQVTGanttDocument> planOf(int rows)
{
    static std::map<int, std::shared_ptr<TQVTGanttDocument>> made;
    if (auto it = made.find(rows); it != made.end())
        return it->second;
    auto document = makePlan(rows);
    document->Fcalendar->AddPredefinedCategories();
    document->Fcalendar->getDateCategory(0)->setColor(0xD0D0E8);
    document->setStartDate(44990);
    document->setEndDate(45400);
    document->FTree->setWidth(400);
    TQVTGanttTable& table = *document->Ftable;
    table.SetColumnWidth(16);
    const auto taskOf = [&table](int r) { return table.getRow(r)->FBarList.front(); };
    for (int r = 0; r + 1 < rows; ++r) {
        if (r % GroupSize != 0 && (r + 1) % GroupSize != 0) {
            auto c = std::make_shared<TQVTBarConnection>(taskOf(r), taskOf(r + 1), TQVTBarConnection::FinishToStart);
            document->addConnection(c);
        }
        if (r % 50 == 1 && r + 500 < rows && (r + 500) % GroupSize != 0)
            document->addConnection(
                std::make_shared<TQVTBarConnection>(taskOf(r), taskOf(r + 500), TQVTBarConnection::FinishToStart));
    }
    made[rows] = document;
    return document;
}

// range(0): rows; range(1): 0 top, 1 middle, 2 bottom.
void scrollTo(TQVTGanttTable& table, int where)
{
    const int rows = table.countRows();
    const int first = where == 0 ? 0 : where == 1 ? rows / 2 : rows - Height / 20 + 5;
    table.SetScrolledLines(first);
}

void paintFrames(benchmark::State& state, bool wholeDocument)
{
    const auto document = planOf(static_cast<int>(state.range(0)));
    scrollTo(*document->Ftable, static_cast<int>(state.range(1)));
    TBitmap image;
    image.SetSize(Width, Height);
    TQVTCanvasVC vc(image.Canvas());
    vc.setVisibleArea(Rect(0, 0, Width, Height));
    TQVTDrawer* drawer = wholeDocument ? document->getDrawer(vtGanttGraph) : document->Ftable->getDrawer(vtGanttGraph);
    for (auto _ : state) {
        drawer->Draw(vc);
        benchmark::ClobberMemory();
    }
}

void BM_PaintChartTable(benchmark::State& state)
{
    paintFrames(state, false);
}

void BM_PaintChartDocument(benchmark::State& state)
{
    paintFrames(state, true);
}

void frameArguments(benchmark::internal::Benchmark* b)
{
    for (const int rows : {1'000, PlanRows})
        for (const int where : {0, 1, 2})
            b->Args({rows, where});
    b->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_PaintChartTable)->Apply(frameArguments);
BENCHMARK(BM_PaintChartDocument)->Apply(frameArguments);
