// Working-time arithmetic on a calendar of a real plan (weekends, 1,000 one-day holidays over
// twenty years and 20 recurring exceptions) and on the calendars of the documents in
// tests/data/repro: no working time for centuries, and 40 weekend categories asked about dates
// beyond the years 1 to 9999.

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/Dialogs.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

using namespace corvane;

namespace {

const TDateTime kFirst = EncodeDate(2020, 1, 1);

std::shared_ptr<TQVTDocumentCalendar> makeCalendar()
{
    auto calendar = std::make_shared<TQVTDocumentCalendar>();
    calendar->addDateCategory(std::make_shared<TQVTWeekendsDateCategory>());
    auto holidays = std::make_shared<TQVTHolidaysDateCategory>();
    std::mt19937 rng(1);
    std::uniform_int_distribution<int> day(0, 20 * 365);
    for (int i = 0; i < 1000; ++i)
        holidays->addDate(std::make_shared<TQVTFixedDateException>(kFirst + day(rng), "Holiday"));
    // Five each of weekly, monthly, quarterly and yearly closures.
    const TQVTTimeMode units[] = {tmWeek, tmMonth, tmQuarter, tmYear};
    for (int i = 0; i < 20; ++i) {
        const TQVTTimeMode unit = units[i % 4];
        const auto dayFrom = static_cast<std::uint16_t>(1 + (i * 3) % (unit == tmWeek ? 5 : 27));
        holidays->addDate(std::make_shared<TQVTRecurringDateException>(unit, static_cast<std::uint16_t>(1 + i % 3),
                                                                       dayFrom, dayFrom, 8, 12, "Closure", kFirst,
                                                                       kFirst + 20 * 365));
    }
    calendar->addDateCategory(holidays);
    return calendar;
}

void BM_AddEffectiveTenYears(benchmark::State& state)
{
    auto calendar = makeCalendar();
    for (auto _ : state)
        benchmark::DoNotOptimize(calendar->addEffective(kFirst + 0.5, 2500, true));
}
BENCHMARK(BM_AddEffectiveTenYears)->Unit(benchmark::kMicrosecond);

void BM_IsWorkingRandomMoment(benchmark::State& state)
{
    auto calendar = makeCalendar();
    std::mt19937 rng(2);
    std::uniform_real_distribution<double> moment(kFirst, kFirst + 20 * 365);
    for (auto _ : state)
        benchmark::DoNotOptimize(calendar->isWorking(moment(rng), -1, tmNone));
}
BENCHMARK(BM_IsWorkingRandomMoment)->Unit(benchmark::kNanosecond);

void BM_DiffEffectiveTenYears(benchmark::State& state)
{
    auto calendar = makeCalendar();
    for (auto _ : state)
        benchmark::DoNotOptimize(calendar->diffEffective(kFirst + 0.5, kFirst + 3652.5));
}
BENCHMARK(BM_DiffEffectiveTenYears)->Unit(benchmark::kMicrosecond);

void BM_SubstrEffectiveTenYears(benchmark::State& state)
{
    auto calendar = makeCalendar();
    for (auto _ : state)
        benchmark::DoNotOptimize(calendar->substrEffective(kFirst + 3652.5, 2500));
}
BENCHMARK(BM_SubstrEffectiveTenYears)->Unit(benchmark::kMicrosecond);

// The document of tests/data/repro/<file>, loaded as the data source loads it.
std::shared_ptr<TQVTGanttDocument> loadReproducingDocument(const std::string& file)
{
    const auto path = std::filesystem::path(__FILE__).parent_path().parent_path() / "tests/data/repro" / file;
    SetShowMessageHandler([](const std::string&) {}); // the fuzzed documents report damage
    auto media = TQVTMediaFactory::CreateMedia("file://" + path.string());
    TQVTEntityFactory factory;
    auto document = std::dynamic_pointer_cast<TQVTGanttDocument>(factory.loadObject("root", *media, nullptr));
    SetShowMessageHandler(nullptr);
    return document;
}

enum class Query {
    AddEffective,
    SubstrEffective,
    FindFirstEffective,
    DiffEffective,
    IsWorking
};

// One query at the moment, on the calendar of the document.
void BM_ReproducingDocument(benchmark::State& state, const char* file, TDateTime moment, Query query)
{
    const auto document = loadReproducingDocument(file);
    if (!document || !document->Fcalendar) {
        state.SkipWithError("the document has no calendar");
        return;
    }
    TQVTDocumentCalendar& calendar = *document->Fcalendar;
    for (auto _ : state) {
        switch (query) {
        case Query::AddEffective:
            benchmark::DoNotOptimize(calendar.addEffective(moment, 1, true));
            break;
        case Query::SubstrEffective:
            benchmark::DoNotOptimize(calendar.substrEffective(moment, 1));
            break;
        case Query::FindFirstEffective:
            benchmark::DoNotOptimize(calendar.findFirstEffective(moment));
            break;
        case Query::DiffEffective:
            benchmark::DoNotOptimize(calendar.diffEffective(moment, moment + 7));
            break;
        case Query::IsWorking:
            benchmark::DoNotOptimize(calendar.isWorking(moment, -1, tmNone));
            break;
        }
    }
}

const TDateTime InsideTheYears = EncodeDate(2026, 1, 5) + 0.5;
constexpr TDateTime AfterYear9999 = 2990000.5;
constexpr TDateTime BeforeYear1 = -695000.5;

#define CORVANE_REPRO_BENCHMARKS(name, file, moment)                                                                   \
    BENCHMARK_CAPTURE(BM_ReproducingDocument, name##_addEffective, file, moment, Query::AddEffective)                  \
        ->Unit(benchmark::kMicrosecond);                                                                               \
    BENCHMARK_CAPTURE(BM_ReproducingDocument, name##_substrEffective, file, moment, Query::SubstrEffective)            \
        ->Unit(benchmark::kMicrosecond);                                                                               \
    BENCHMARK_CAPTURE(BM_ReproducingDocument, name##_findFirstEffective, file, moment, Query::FindFirstEffective)      \
        ->Unit(benchmark::kMicrosecond);                                                                               \
    BENCHMARK_CAPTURE(BM_ReproducingDocument, name##_diffEffective, file, moment, Query::DiffEffective)                \
        ->Unit(benchmark::kMicrosecond);                                                                               \
    BENCHMARK_CAPTURE(BM_ReproducingDocument, name##_isWorking, file, moment, Query::IsWorking)                        \
        ->Unit(benchmark::kMicrosecond)

CORVANE_REPRO_BENCHMARKS(NoWorkingTime, "calendar-no-working-time.ini", InsideTheYears);
CORVANE_REPRO_BENCHMARKS(WalkFound, "calendar-walk-found.ini", InsideTheYears);
CORVANE_REPRO_BENCHMARKS(WeekendsAfterYear9999, "weekends-after-year-9999.ini", AfterYear9999);
CORVANE_REPRO_BENCHMARKS(WeekendsBeforeYear1, "weekends-before-year-1.ini", BeforeYear1);

} // namespace
