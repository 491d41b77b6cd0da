// Working-time arithmetic on a calendar of a real plan: weekends, 1,000 one-day holidays over
// twenty years and 20 recurring exceptions.

#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DateUtils.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <random>

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

} // namespace
