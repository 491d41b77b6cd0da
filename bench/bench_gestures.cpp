// Dragging a bar on the real Gantt control in a realistic plan (PlanFiles.h): one mouse-move step
// of the drag with its outline painted, with and without the chart scrolling under the pointer,
// and the release that ends a move: the operation, its undo record, the critical path, the
// summary bars and the repaint.

#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/platform/Dialogs.h"
#include "corvane/widgets/qvtGanttGraph.h"

#include "PlanFiles.h"

#include <QApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <memory>

using namespace corvane;
using namespace corvane::bench;

namespace {

constexpr int FrameWidth = 1920;
constexpr int FrameHeight = 1080;

std::unique_ptr<TQVTDataSource> plan;
int planTasks = 0;

TQVTDataSource* loadedPlan(int tasks, benchmark::State& state)
{
    if (plan && planTasks == tasks)
        return plan.get();
    std::string why;
    const std::string file = planFile(tasks, why);
    if (file.empty()) {
        state.SkipWithError(why.c_str());
        return nullptr;
    }
    SetShowMessageHandler([](const std::string&) {});
    plan = std::make_unique<TQVTDataSource>();
    plan->setStorage("file://" + file);
    planTasks = tasks;
    return plan.get();
}

void send(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(at), widget.mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

// The control over the middle of the plan of range(0) tasks, the time axis a few days before the
// first task bar of the first row there; answers that bar, painted, or none when the benchmark
// had to be skipped.
TQVTTaskBar* prepare(TQVTGanttGraph& graph, benchmark::State& state)
{
    TQVTDataSource* loaded = loadedPlan(static_cast<int>(state.range(0)), state);
    if (!loaded)
        return nullptr;
    TQVTDataSource& source = *loaded;
    TQVTGanttTable& table = *source.GetTable();
    graph.resize(FrameWidth, FrameHeight);
    graph.setDataSource(&source);
    for (int first = table.countRows() / 2; first < table.countRows(); ++first) {
        TQVTGanttRow& row = *table.getRow(first);
        for (int b = 0; b < row.GetBarCount(); ++b)
            if (auto* task = dynamic_cast<TQVTTaskBar*>(row.GetBarInRow(b))) {
                table.SetScrolledLines(first);
                source.root()->setStartDate(task->getStartDate() - 3);
                graph.grab();
                return task;
            }
    }
    state.SkipWithError("no task bar in the middle of the plan");
    return nullptr;
}

QPoint middleOf(TQVTGanttBar& bar)
{
    const TRect r = bar.getDrawer(vtGanttGraph)->getRect();
    return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

// range(1): 0 the pointer moves inside the chart, 1 it stays at the right edge, so that every
// step scrolls the chart and paints it afresh.
void BM_DragBarStep(benchmark::State& state)
{
    TQVTGanttGraph graph;
    TQVTTaskBar* bar = prepare(graph, state);
    if (!bar)
        return;
    TQVTDataSource* source = plan.get();
    const QPoint from = middleOf(*bar);
    send(graph, QEvent::MouseMove, from, Qt::NoButton);
    send(graph, QEvent::MouseButtonPress, from, Qt::LeftButton);
    const bool scrolling = state.range(1) != 0;
    int step = 0;
    for (auto _ : state) {
        const QPoint at = scrolling ? QPoint(FrameWidth - 30, from.y())
                                    : from + QPoint(step % 200, (step / 200) % 3 * 4);
        ++step;
        send(graph, QEvent::MouseMove, at, Qt::LeftButton);
        benchmark::DoNotOptimize(graph.grab());
    }
    send(graph, QEvent::MouseButtonRelease, from, Qt::NoButton);
    source->GetUndoRedoStack().undo();
    source->clearUndoRedoStack();
    graph.setDataSource(nullptr);
}
BENCHMARK(BM_DragBarStep)
    ->ArgNames({"tasks", "autoscroll"})
    ->ArgsProduct({{100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// A press, a move two columns later and the release that moves the bar; the undo that follows
// is outside the timing.
void BM_ReleaseEndsMove(benchmark::State& state)
{
    TQVTGanttGraph graph;
    TQVTTaskBar* bar = prepare(graph, state);
    if (!bar)
        return;
    TQVTDataSource* source = plan.get();
    const int cw = source->GetTable()->GetColumnWidth();
    for (auto _ : state) {
        state.PauseTiming();
        graph.grab();
        const QPoint from = middleOf(*bar);
        const QPoint to = from + QPoint(2 * cw, 0);
        send(graph, QEvent::MouseMove, from, Qt::NoButton);
        send(graph, QEvent::MouseButtonPress, from, Qt::LeftButton);
        send(graph, QEvent::MouseMove, to, Qt::LeftButton);
        state.ResumeTiming();
        send(graph, QEvent::MouseButtonRelease, to, Qt::NoButton);
        benchmark::DoNotOptimize(graph.grab());
        state.PauseTiming();
        if (source->GetUndoRedoStack().GetUndoOperationCount() != 1)
            state.SkipWithError("the release recorded no move");
        source->GetUndoRedoStack().undo();
        source->clearUndoRedoStack();
        state.ResumeTiming();
    }
    graph.setDataSource(nullptr);
}
BENCHMARK(BM_ReleaseEndsMove)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
