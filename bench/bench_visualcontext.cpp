// Painting through the visual context: a full-HD chart frame and a wide gradient.

#include "corvane/framework/rendering/qvtCanvasVC.h"

#include <benchmark/benchmark.h>
#include <string>

namespace corvane {
namespace {

constexpr int FrameWidth = 1920;
constexpr int FrameHeight = 1080;
constexpr int Rows = 60;
constexpr int RowHeight = FrameHeight / Rows;

// One screen paint shaped like a chart: per row a grid line, a 3-D framed bar
// with a gradient, a hatched buffer zone, a triangle and three text labels.
void paintFrame(TQVTCanvasVC& vc)
{
    vc.setVisibleArea(Rect(0, 0, FrameWidth, FrameHeight));
    vc.startBuffering();
    vc.FillArea(Rect(0, 0, FrameWidth, FrameHeight), clWhite, bsSolid);
    vc.setFont("Arial", 8, clBlack, false, false, false, 0);
    for (int row = 0; row < Rows; ++row) {
        const int top = row * RowHeight;
        const int left = 40 + (row * 97) % 1200;
        const int right = left + 200 + (row * 31) % 300;
        vc.SetClipRect(Rect(0, top, FrameWidth, top + RowHeight));
        vc.setDrawingColor(clSilver);
        vc.drawLine(0, top + RowHeight - 1, FrameWidth, top + RowHeight - 1);
        vc.Draw3dFrame(Rect(left, top + 3, right, top + RowHeight - 3), 0xC08040);
        vc.DrawPattern(Rect(right, top + 5, right + 60, top + RowHeight - 5), clWhite, clRed, bsBDiagonal);
        vc.setDrawingColor(clBlack);
        vc.drawTriangle(right + 70, top + RowHeight - 4, 8, 0);
        vc.centerText(Rect(left, top, right, top + RowHeight), "Task " + std::to_string(row), true);
        vc.textOutOriented(right + 84, top + 2, "12.03.2026", 0);
        vc.textOutOriented(left - 36, top + 2, std::to_string(row * 5) + " %", 0);
        vc.ResetClipRect();
    }
    vc.displayBuffer();
}

void BM_FullHDFrame(benchmark::State& state)
{
    TBitmap screen;
    screen.SetSize(FrameWidth, FrameHeight);
    TQVTCanvasVC vc(screen.Canvas());
    for (auto _ : state) {
        paintFrame(vc);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullHDFrame)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

void BM_GradientFill(benchmark::State& state)
{
    TBitmap screen;
    screen.SetSize(FrameWidth, 40);
    TQVTCanvasVC vc(screen.Canvas());
    for (auto _ : state) {
        vc.gradientFill(Rect(0, 0, FrameWidth, 40), clNavy, clAqua, true);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GradientFill)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly(true);

} // namespace
} // namespace corvane
