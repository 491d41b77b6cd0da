#include "corvane/framework/time/qvtTimeMode.h"
#include "corvane/platform/DateUtils.h"

#include <cmath>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <memory>

using namespace corvane;

namespace {

TDateTime D(int y, int m, int d, int h = 0, int n = 0)
{
    return EncodeDateTime(y, m, d, h, n, 0, 0);
}

const auto BeyondDecade = static_cast<TQVTTimeMode>(8);

TEST(TimeModeAdd, CalendarUnitsClampTheDayKeepTheTimeStayInTheCalendarAndTakeFractions)
{
    EXPECT_EQ(Add(D(2001, 1, 31, 10, 30), 1, tmMonth), D(2001, 2, 28, 10, 30));
    EXPECT_EQ(Add(D(2004, 2, 29), 1, tmYear), D(2005, 2, 28));
    EXPECT_EQ(Add(D(2024, 5, 31), -1, tmQuarter), D(2024, 2, 29));
    EXPECT_EQ(Add(D(2024, 2, 29), 1, tmDecade), D(2034, 2, 28));
    EXPECT_EQ(Add(D(2024, 2, 5, 9), 3, tmHour), D(2024, 2, 5, 12));
    EXPECT_EQ(Add(D(2024, 2, 5), -2, tmWeek), D(2024, 1, 22));
    EXPECT_EQ(Add(D(2024, 2, 5), 5, tmNone), D(2024, 2, 5));
    EXPECT_EQ(Add(D(2024, 2, 5), 5, BeyondDecade), D(2024, 2, 5));

    constexpr int Max = std::numeric_limits<int>::max();
    constexpr int Min = std::numeric_limits<int>::min();
    EXPECT_EQ(Add(D(2024, 2, 5), Max, tmDecade), D(9999, 12, 5));
    EXPECT_EQ(Add(D(2024, 2, 5), Min, tmQuarter), D(1, 1, 5));
    EXPECT_EQ(Add(0.0, Min, tmWeek), 7.0 * Min);

    // Quarters and decades are months and years.
    for (TDateTime dt = D(1999, 11, 30, 7); dt < D(2001, 3, 1); dt += 13.5) {
        for (int n : {-7, -1, 0, 1, 2, 5}) {
            EXPECT_EQ(Add(dt, n, tmQuarter), Add(dt, 3 * n, tmMonth)) << dt << ' ' << n;
            EXPECT_EQ(Add(dt, n, tmDecade), Add(dt, 10 * n, tmYear)) << dt << ' ' << n;
            EXPECT_EQ(Add(dt, n, tmYear), Add(dt, 12 * n, tmMonth)) << dt << ' ' << n;
        }
    }

    // RealAdd measures the fraction in the following unit; non-finite counts are safe.
    EXPECT_EQ(RealAdd(D(2023, 2, 1), 0.5, tmMonth), D(2023, 2, 15));
    EXPECT_EQ(RealAdd(D(2023, 3, 1), 0.5, tmMonth), D(2023, 3, 16, 12));
    EXPECT_EQ(RealAdd(D(2023, 1, 1), 1.5, tmMonth), D(2023, 2, 15));
    EXPECT_EQ(RealAdd(D(2023, 3, 1), -0.5, tmMonth), D(2023, 3, 1) - 15.5);
    EXPECT_EQ(RealAdd(D(2023, 3, 1), 2.25, tmDay), D(2023, 3, 3, 6));
    EXPECT_EQ(RealAdd(D(2023, 3, 1), 0.5, tmNone), D(2023, 3, 1));

    const TDateTime dt = D(2023, 3, 1);
    EXPECT_EQ(RealAdd(dt, std::nan(""), tmDay), dt);
    EXPECT_EQ(RealAdd(dt, std::numeric_limits<double>::infinity(), tmMonth), dt);
    EXPECT_EQ(RealAdd(dt, -std::numeric_limits<double>::infinity(), tmNone), dt);
    EXPECT_DOUBLE_EQ(RealAdd(dt, 1e12, tmDay), dt + 1e12);
    EXPECT_TRUE(std::isfinite(RealAdd(dt, -1e15, tmYear)));
}

TEST(TimeModeDiff, DaysAndWeeksRoundWithABiasTowardsLaterCalendarUnitsCountCompletedUnits)
{
    const TDateTime a = D(2024, 2, 5);
    EXPECT_EQ(Diff(a + 0.5, a, tmDay), 1);
    EXPECT_EQ(Diff(a + 2.5, a, tmDay), 3);
    EXPECT_EQ(Diff(D(2024, 2, 5, 11, 59), a, tmDay), 0);
    EXPECT_EQ(Diff(a - 0.5, a, tmDay), 0);
    EXPECT_EQ(Diff(a - 10, a, tmWeek), -1);
    EXPECT_EQ(Diff(a + 13.5, a, tmWeek), 2);
    EXPECT_EQ(Diff(a + 6.4, a, tmWeek), 0);
    // Hours round half to even.
    EXPECT_EQ(Diff(2.5 / 24, 0.0, tmHour), 2);
    EXPECT_EQ(Diff(3.5 / 24, 0.0, tmHour), 4);
    EXPECT_EQ(Diff(0.0, 2.5 / 24, tmHour), -2);

    // Calendar units count the units completed from b.
    EXPECT_EQ(Diff(D(2024, 3, 15, 10), D(2024, 2, 15, 12), tmMonth), 0);
    EXPECT_EQ(Diff(D(2024, 3, 15, 12), D(2024, 2, 15, 10), tmMonth), 1);
    EXPECT_EQ(Diff(D(2024, 2, 15), D(2024, 3, 15), tmMonth), -1);
    EXPECT_EQ(Diff(D(2024, 2, 14), D(2024, 3, 15), tmMonth), -2);
    EXPECT_EQ(Diff(D(2025, 1, 1), D(2024, 12, 31), tmMonth), 0);

    EXPECT_EQ(Diff(D(2005, 2, 28), D(2004, 2, 29), tmYear), 0);
    EXPECT_EQ(Diff(D(2005, 3, 1), D(2004, 2, 29), tmYear), 1);
    EXPECT_EQ(Diff(D(2025, 6, 1, 8), D(2024, 6, 1, 9), tmYear), 0);
    EXPECT_EQ(Diff(D(2025, 6, 1, 9), D(2024, 6, 1, 9), tmYear), 1);

    // Quarters and decades truncate toward zero.
    EXPECT_EQ(Diff(D(2024, 6, 1), D(2024, 1, 1), tmQuarter), 1);
    EXPECT_EQ(Diff(D(2024, 1, 1), D(2024, 6, 1), tmQuarter), -1);
    EXPECT_EQ(Diff(D(2030, 1, 1), D(2010, 1, 2), tmDecade), 1);
    EXPECT_EQ(Diff(D(2010, 1, 2), D(2030, 1, 1), tmDecade), -2);

    EXPECT_EQ(Diff(D(2030, 1, 1), D(2010, 1, 2), tmNone), 0);
    EXPECT_EQ(Diff(D(2030, 1, 1), D(2010, 1, 2), BeyondDecade), 0);

    // Non-finite and huge differences are clamped; real differences are signed nominal units.
    constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t Min = std::numeric_limits<std::int32_t>::min();
    const double nan = std::nan("");
    EXPECT_EQ(Diff(nan, 0.0, tmHour), 0);
    EXPECT_EQ(Diff(0.0, nan, tmDay), 0);
    EXPECT_EQ(Diff(1e300, 0.0, tmDay), Max);
    EXPECT_EQ(Diff(-1e300, 0.0, tmWeek), Min / 7);
    EXPECT_EQ(Diff(std::numeric_limits<double>::infinity(), 0.0, tmYear), 8100);
    EXPECT_EQ(Diff(nan, D(2024, 1, 1), tmMonth), Diff(0.0, D(2024, 1, 1), tmMonth));

    const TDateTime from = D(2024, 1, 1);
    const TDateTime to = D(2024, 3, 1);
    EXPECT_DOUBLE_EQ(RealDiff(from, to, tmMonth), -60 / 30.4375);
    EXPECT_DOUBLE_EQ(RealDiff(to, from, tmMonth), 60 / 30.4375);
    EXPECT_DOUBLE_EQ(RealDiff(to, from, tmDecade), 60 / 3652.5);
    EXPECT_EQ(RealDiff(from, to, BeyondDecade), 0);
}

TEST(TimeModeStartOfPeriod, EachModeAndTheDayIndexWithinThePeriod)
{
    const TDateTime dt = D(2026, 8, 15, 14, 30); // a Saturday
    const std::pair<TQVTTimeMode, TDateTime> starts[] = {
        {tmNone, dt},           {tmHour, dt},          {tmDay, D(2026, 8, 15)},  {tmWeek, D(2026, 8, 10)},
        {tmMonth, D(2026, 8, 1)}, {tmQuarter, D(2026, 7, 1)}, {tmYear, D(2026, 1, 1)}, {tmDecade, D(2020, 1, 1)},
        {BeyondDecade, dt}};
    for (const auto& [mode, start] : starts)
        EXPECT_EQ(StartOfPeriod(dt, mode), start) << mode;

    EXPECT_EQ(StartOfPeriod(D(2026, 8, 16, 23), tmWeek), D(2026, 8, 10)); // Sunday
    EXPECT_EQ(StartOfPeriod(D(2026, 8, 10, 1), tmWeek), D(2026, 8, 10));  // Monday
    EXPECT_EQ(StartOfPeriod(-1.25, tmWeek), EncodeDate(1899, 12, 25));
    EXPECT_EQ(StartOfPeriod(-1.25, tmDay), -1.0);
    EXPECT_EQ(StartOfPeriod(D(2029, 12, 31, 23), tmDecade), D(2020, 1, 1));
    EXPECT_EQ(StartOfPeriod(D(5, 6, 1), tmDecade), D(1, 1, 1));
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(StartOfPeriod(D(2026, m, 28), tmQuarter), D(2026, (m - 1) / 3 * 3 + 1, 1)) << m;

    // The index of a day within its period; ranges round their end.
    EXPECT_EQ(Day(D(2024, 3, 1), tmYear), 62);
    EXPECT_EQ(Day(D(2024, 2, 29), tmYear), 60);
    EXPECT_EQ(Day(D(2023, 3, 1), tmYear), 60);
    EXPECT_EQ(Day(D(2024, 12, 31), tmDecade), 367);
    EXPECT_EQ(Day(D(2024, 1, 1), tmYear), 1);
    EXPECT_EQ(Day(D(2024, 2, 4), tmWeek), 7); // Sunday
    EXPECT_EQ(Day(D(2024, 2, 5), tmWeek), 1);
    EXPECT_EQ(Day(D(2024, 5, 31), tmQuarter), 31);
    EXPECT_EQ(Day(D(2024, 5, 31), tmDay), 0);
    EXPECT_EQ(Day(D(2024, 5, 31), tmHour), 0);

    EXPECT_EQ(DayRange(2, 5, tmWeek), 3);
    EXPECT_EQ(DayRange(5, 5, tmWeek), 0);
    EXPECT_EQ(DayRange(6, 1, tmWeek), 2);
    EXPECT_EQ(DayRange(28, 3, tmMonth), 5);
    EXPECT_EQ(DayRange(367, 1, tmYear), 0);
    EXPECT_EQ(DayRange(3, 1, tmNone), 0);
    EXPECT_EQ(DayRange(1, 65535, tmDecade), 65534);
}

// A subclass that snaps to its own periods: the boundary methods must use the overrides.
class EvenDays : public TQVTTimeModeObject {
public:
    TDateTime StartOfPeriod(TDateTime dt) const override
    {
        const TDateTime day = std::floor(dt);
        return std::fmod(day, 2.0) == 0 ? day : day - 1;
    }
    TDateTime Add(TDateTime dt, int n) const override { return dt + 2.0 * n; }
    TDateTime Next(TDateTime dt) const override { return dt + 2.0; }
};

TEST(TimeModeObject, BindsTheArithmeticToItsModeAndBoundaryMethodsUseTheVirtualOperations)
{
    auto obj = std::make_shared<TQVTTimeModeObject>();
    EXPECT_EQ(obj->getTimeMode(), tmDay);
    EXPECT_EQ(obj->Add(D(2024, 2, 5, 9), 2), D(2024, 2, 7, 9));

    obj->SetTimeMode(tmMonth);
    EXPECT_EQ(obj->Prev(D(2024, 3, 31)), D(2024, 2, 29));
    EXPECT_EQ(obj->RealAdd(D(2023, 2, 1), 0.5), D(2023, 2, 15));

    EXPECT_EQ(obj->StartOfNextPeriod(D(2024, 3, 15)), D(2024, 4, 1));
    EXPECT_EQ(obj->StartOfNextPeriod(D(2024, 3, 1)), D(2024, 3, 1));
    EXPECT_EQ(obj->StartOfNextPeriod(D(2024, 3, 1, 0, 1)), D(2024, 4, 1));
    EXPECT_EQ(obj->StartOfPreviousPeriod(D(2024, 3, 15)), D(2024, 2, 1));
    EXPECT_EQ(obj->StartOfPreviousPeriod(D(2024, 3, 1)), D(2024, 3, 1));

    obj->SetTimeMode(tmHour);
    EXPECT_EQ(obj->StartOfNextPeriod(D(2024, 3, 15, 8, 20)), D(2024, 3, 15, 8, 20));

    // The unit period counts from day 0.
    const TQVTTimeMode modes[] = {tmNone, tmHour, tmDay, tmWeek, tmMonth, tmQuarter, tmYear, tmDecade, BeyondDecade};
    const double periods[] = {0, 1.0 / 24, 1, 7, 31, 90, 365, 3652, 0};
    for (std::size_t i = 0; i < std::size(modes); ++i) {
        obj->SetTimeMode(modes[i]);
        EXPECT_DOUBLE_EQ(obj->getUnitPeriod(), periods[i]) << i;
    }

    const EvenDays even;
    EXPECT_EQ(even.StartOfNextPeriod(11.5), 12.0);
    EXPECT_EQ(even.StartOfPreviousPeriod(11.5), 8.0);
    EXPECT_EQ(even.getUnitPeriod(), 2.0);
}

} // namespace
