// Painting one chart row: 20 task bars (gradient body, frame, progress strip) with a centre and
// a right label each, through the canvas visual context onto a bitmap's image. Target: under
// 50 us a row.

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/Graphics.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

using namespace corvane;

namespace {

constexpr int Bars = 20;
constexpr int ColumnWidth = 16; // pixels a day
constexpr int Width = 1920;
constexpr int RowHeight = 40;

// A document of one row holding Bars task bars of three days, a day apart; day 100 at x = 0.
std::shared_ptr<TQVTGanttDocument> makeRow(bool labels)
{
    auto document = std::make_shared<TQVTGanttDocument>();
    document->Fcalendar = std::make_shared<TQVTDocumentCalendar>();
    document->Fcalendar->setParent(document.get());
    document->setStartDate(100);
    document->setEndDate(400);
    document->Ftable = std::make_shared<TQVTGanttTable>();
    document->Ftable->setParent(document.get());
    document->Ftable->SetColumnWidth(ColumnWidth);
    document->Ftable->setAutoUpdateCriticalPath(false);
    document->FTree = std::make_shared<TQVTTreeGrid>();
    document->FTree->setParent(document.get());
    document->FTree->FRootNode = std::make_shared<TQVTTreeNode>();
    auto row = document->Ftable->MakeBlankRow();
    row->setHeight(RowHeight);
    document->Ftable->FRows.push_back(row);
    auto node = std::make_shared<TQVTTreeNode>();
    node->FRow = std::make_shared<TQVTTreeRow>();
    document->FTree->FRootNode->Fchildren.push_back(node);
    node->setParent(document->FTree->FRootNode.get());
    for (int i = 0; i < Bars; ++i) {
        const TDateTime start = 101 + 5 * i;
        auto bar = std::make_shared<TQVTTaskBar>(start, start + 3, 0);
        bar->SetProgress(5 * i);
        if (labels) {
            bar->FTextHalo->TextCenter = "Task " + std::to_string(i + 1);
            bar->FTextHalo->TextRight = std::to_string(5 * i) + "%";
        }
        row->AddBar(bar);
    }
    document->Ftable->invalidateRowGeometry();
    document->Ftable->UpdateSummaryBars();
    return document;
}

// Argument 1: with labels (the target case); 0: the bars alone, to tell the labels' share.
void BM_PaintRowOfTaskBars(benchmark::State& state)
{
    const auto document = makeRow(state.range(0) != 0);
    TBitmap image;
    image.SetSize(Width, RowHeight);
    TQVTCanvasVC vc(image.Canvas());
    const auto& bars = document->Ftable->FRows.front()->FBarList;
    for (auto _ : state) {
        vc.FillArea(Rect(0, 0, Width, RowHeight), clWhite, bsSolid);
        for (const auto& bar : bars)
            bar->getDrawer(vtGanttGraph)->Draw(vc);
        benchmark::ClobberMemory();
    }
    state.counters["bars/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * Bars, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PaintRowOfTaskBars)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
