// The critical path of a plan of 100,000 task bars (one per row) over three years with weekends
// and 30 holidays, joined by 150,000 connections of every kind from earlier to later bars.
// The counter "extra MB" is how far the first run raises the resident memory at its peak above
// what the plan itself takes.

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/pert/qvtCriticalPath.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/framework/time/qvtDateException.h"

#include "PlanFiles.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <random>

using namespace corvane;

namespace {

constexpr int Bars = 100'000;
constexpr int Connections = 150'000;
constexpr TDateTime First = 45000;

std::shared_ptr<TQVTGanttDocument> makePlan()
{
    auto document = std::make_shared<TQVTGanttDocument>();
    document->Fcalendar = std::make_shared<TQVTDocumentCalendar>();
    document->Fcalendar->setParent(document.get());
    document->Fcalendar->addDateCategory(std::make_shared<TQVTWeekendsDateCategory>());
    auto holidays = std::make_shared<TQVTHolidaysDateCategory>();
    for (int h = 0; h < 30; ++h)
        holidays->addDate(std::make_shared<TQVTFixedDateException>(First + 37 * h, "Holiday"));
    document->Fcalendar->addDateCategory(holidays);
    document->Ftable = std::make_shared<TQVTGanttTable>();
    document->Ftable->setParent(document.get());
    TQVTGanttTable& table = *document->Ftable;
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> day(0, 3 * 365);
    std::uniform_int_distribution<int> length(1, 20);
    std::vector<std::shared_ptr<TQVTGanttBar>> bars;
    for (int i = 0; i < Bars; ++i) {
        auto row = table.MakeBlankRow();
        row->FOrder = i;
        table.FRows.push_back(row);
        const TDateTime start = First + day(rng) + (i % 4) * 0.25;
        auto bar = std::make_shared<TQVTTaskBar>(start, start + length(rng) * 0.5, i);
        row->AddBar(bar);
        bars.push_back(bar);
    }
    std::uniform_int_distribution<int> pick(0, Bars - 1);
    std::uniform_int_distribution<int> type(0, 3);
    std::uniform_int_distribution<int> distance(-1, 3);
    for (int c = 0; c < Connections; ++c) {
        int a = pick(rng), b = pick(rng);
        if (a == b)
            b = (b + 1) % Bars;
        if (a > b)
            std::swap(a, b);
        auto connection = std::make_shared<TQVTBarConnection>(bars[static_cast<std::size_t>(a)],
                                                              bars[static_cast<std::size_t>(b)], type(rng));
        connection->FMinDistance = distance(rng);
        connection->FWorkingDays = c % 3 != 0;
        connection->setParent(document.get());
        document->connections.push_back(connection);
    }
    table.invalidateRowGeometry();
    return document;
}

void BM_CriticalPath100kBars150kConnections(benchmark::State& state)
{
    auto document = makePlan();
    TQVTCriticalPathCalculator& calculator = document->Ftable->getCriticalPathCalculator();
    corvane::bench::resetPeakResident();
    const double before = corvane::bench::statusMiB("VmRSS:");
    calculator.refreshCriticalPath();
    state.counters["extra MB"] = corvane::bench::peakResidentMiB() - before;
    for (auto _ : state)
        calculator.refreshCriticalPath();
    state.counters["critical bars"] = static_cast<double>(calculator.criticalBars().size());
}
BENCHMARK(BM_CriticalPath100kBars150kConnections)->Unit(benchmark::kMillisecond);

// The first run of a fresh calculator: every bar's effective times are found, and the bar
// index, the event graph and its order are built.
void BM_CriticalPathFirstRun(benchmark::State& state)
{
    auto document = makePlan();
    for (auto _ : state) {
        TQVTCriticalPathCalculator fresh(document->Ftable.get());
        fresh.refreshCriticalPath();
    }
}
BENCHMARK(BM_CriticalPathFirstRun)->Unit(benchmark::kMillisecond);

// A whole refresh after each change of the plan. The first run, which finds every bar's
// effective times and builds everything, is not timed: it costs several edits' worth and would
// weigh in by how many iterations the library picks.
template <class Change>
void refreshAfterEach(benchmark::State& state, Change change)
{
    auto document = makePlan();
    TQVTCriticalPathCalculator& calculator = document->Ftable->getCriticalPathCalculator();
    calculator.refreshCriticalPath();
    for (auto _ : state) {
        change(*document);
        calculator.refreshCriticalPath();
    }
}

// After a connection's distance changed: the event graph is built again, its order kept.
void BM_CriticalPathAfterADistanceChange(benchmark::State& state)
{
    refreshAfterEach(state, [](TQVTGanttDocument& d) {
        TQVTBarConnection& c = *d.connections.front();
        c.FMinDistance = 1 - c.FMinDistance;
    });
}
BENCHMARK(BM_CriticalPathAfterADistanceChange)->Unit(benchmark::kMillisecond);

// After a connection joined other ends of its bars.
void BM_CriticalPathAfterAConnectionChange(benchmark::State& state)
{
    refreshAfterEach(state, [](TQVTGanttDocument& d) {
        TQVTBarConnection& c = *d.connections.front();
        c.setConnType(c.getConnType() ^ 1);
    });
}
BENCHMARK(BM_CriticalPathAfterAConnectionChange)->Unit(benchmark::kMillisecond);

// After a connection in the middle of the document's list is deleted, and after it is put back
// (the connections after it change their places in the list).
void BM_CriticalPathAfterAConnectionAddOrDelete(benchmark::State& state)
{
    std::shared_ptr<TQVTBarConnection> taken;
    refreshAfterEach(state, [&taken](TQVTGanttDocument& d) {
        const auto at = d.connections.begin() + Connections / 2;
        if (taken) {
            d.connections.insert(at, std::move(taken));
        } else {
            taken = *at;
            d.connections.erase(at);
        }
    });
}
BENCHMARK(BM_CriticalPathAfterAConnectionAddOrDelete)->Unit(benchmark::kMillisecond);

// After a bar grew or shrank without notice: every bar's effective times are found again and
// the passes run whole.
void BM_CriticalPathAfterABarChange(benchmark::State& state)
{
    bool longer = true;
    refreshAfterEach(state, [&longer](TQVTGanttDocument& d) {
        TQVTGanttBar& bar = *d.Ftable->FRows.front()->FBarList.front();
        bar.setEndDate(bar.getEndDate() + (longer ? 0.5 : -0.5));
        longer = !longer;
    });
}
BENCHMARK(BM_CriticalPathAfterABarChange)->Unit(benchmark::kMillisecond);

} // namespace
