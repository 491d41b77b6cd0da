// Date exceptions on their own: matching at each resolution, the next/previous searches around
// and inside occurrences, recurring units, wrapping occurrences and degenerate data.

#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/platform/DateUtils.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace corvane;

namespace {

TDateTime at(int y, int m, int d, int h = 0, int min = 0)
{
    return EncodeDateTime(y, m, d, h, min, 0, 0);
}

constexpr double kHour = 1.0 / 24;
// Friday 4 December 2026 and the days around it.
const TDateTime kWed = at(2026, 12, 2);
const TDateTime kFri = at(2026, 12, 4);
const TDateTime kSat = at(2026, 12, 5);
const TDateTime kSun = at(2026, 12, 6);
const TDateTime kMon = at(2026, 12, 7);

struct Found {
    bool ok;
    TDateTime date;
    double length;
};

Found next(TQVTDateException& e, TDateTime from, int row = -1)
{
    Found f{false, 0, 0};
    f.ok = e.findNextOccurence(from, f.date, f.length, row);
    return f;
}

Found previous(TQVTDateException& e, TDateTime from, int row = -1)
{
    Found f{false, 0, 0};
    f.ok = e.findPreviousOccurence(from, f.date, f.length, row);
    return f;
}

void expectFound(const Found& f, TDateTime date, double length)
{
    ASSERT_TRUE(f.ok);
    EXPECT_NEAR(f.date, date, 1e-9);
    EXPECT_NEAR(f.length, length, 1e-9);
}

// Matches must say exactly "inside an interval that the searches report", at hourly and
// odd moments over the span.
void expectMatchesAgreesWithSearch(TQVTDateException& e, TDateTime from, TDateTime to)
{
    for (TDateTime t = from; t < to; t += kHour * 0.75) {
        const Found f = next(e, t);
        const bool inside = f.ok && f.date == t;
        ASSERT_EQ(e.Matches(t, -1, tmNone), inside) << "at " << t;
        if (inside) {
            const Found p = previous(e, t + f.length);
            ASSERT_TRUE(p.ok);
            EXPECT_NEAR(p.date, t + f.length, 1e-9) << "at " << t;
        }
    }
}

// A document whose table has rows, with the exception in a category of its calendar.
struct RowDocument {
    explicit RowDocument(std::shared_ptr<TQVTDateException> exception)
    {
        document->Ftable = std::make_shared<TQVTGanttTable>();
        document->Ftable->setParent(document.get());
        for (int i = 0; i < 2; ++i) {
            document->Ftable->FRows.push_back(std::make_shared<TQVTGanttRow>());
            document->Ftable->FRows.back()->setParent(document->Ftable.get());
        }
        document->Fcalendar = std::make_shared<TQVTDocumentCalendar>();
        document->Fcalendar->setParent(document.get());
        auto category = std::make_shared<TQVTDateCategory>("Days");
        category->addDate(std::move(exception));
        document->Fcalendar->addDateCategory(category);
    }
    TQVTGanttRow& row(int i) { return *document->Ftable->FRows[static_cast<std::size_t>(i)]; }

    std::shared_ptr<TQVTGanttDocument> document = std::make_shared<TQVTGanttDocument>();
};

} // namespace

TEST(WeekendException, MatchesSaturdayAndSundayAtHourAndDayResolutionOnly)
{
    TQVTWeekend weekend;
    for (TQVTTimeMode mode : {tmNone, tmHour, tmDay}) {
        EXPECT_TRUE(weekend.Matches(kSat + 10 * kHour, -1, mode));
        EXPECT_TRUE(weekend.Matches(kSun + 23 * kHour, -1, mode));
        EXPECT_FALSE(weekend.Matches(kFri + 23 * kHour, -1, mode));
        EXPECT_FALSE(weekend.Matches(kMon, -1, mode));
    }
    for (TQVTTimeMode mode : {tmWeek, tmMonth, tmYear})
        EXPECT_FALSE(weekend.Matches(kSat + 10 * kHour, -1, mode));
    weekend.setName("ignored");
    EXPECT_EQ(weekend.getName(), "");
}

TEST(WeekendException, SearchesAroundAndInsideTheWeekend)
{
    TQVTWeekend weekend;
    expectFound(next(weekend, kWed + 5 * kHour), kSat, 2);
    expectFound(next(weekend, kSun + 6 * kHour), kSun + 6 * kHour, 18 * kHour);
    expectFound(next(weekend, kSat), kSat, 2);
    expectFound(next(weekend, kMon), kSat + 7, 2);
    expectFound(previous(weekend, kWed), kMon - 7, 2);
    expectFound(previous(weekend, kSun + 6 * kHour), kSun + 6 * kHour, 1.25);
    // From Saturday 00:00 nothing of this weekend lies before: the previous one is reported.
    expectFound(previous(weekend, kSat), kMon - 7, 2);
    expectFound(previous(weekend, kMon), kMon, 2);
}

TEST(WeekendException, SingleWeekdaysSkipBlockedRowsAndLogSaturdaySearches)
{
    test::Capture capture;
    auto saturday = std::make_shared<TQVTSaturday>();
    auto sunday = std::make_shared<TQVTSunday>();
    RowDocument doc(saturday);
    doc.document->Fcalendar->getDateCategory(0)->addDate(sunday);
    doc.row(1).AddBlockedDate(kSat);

    expectFound(next(*saturday, kWed), kSat, 1);
    expectFound(next(*sunday, kWed), kSun, 1);
    expectFound(next(*saturday, kSun), kSat + 7, 1);
    expectFound(previous(*sunday, kSun + 0.5), kSun + 0.5, 0.5);
    EXPECT_TRUE(saturday->Matches(kSat + 0.5, 0, tmDay));
    EXPECT_FALSE(sunday->Matches(kSat + 0.5, 0, tmDay));

    // Row 1 is blocked on this Saturday: the next one is a week later.
    EXPECT_FALSE(saturday->Matches(kSat + 0.5, 1, tmDay));
    expectFound(next(*saturday, kWed, 1), kSat + 7, 1);
    expectFound(previous(*saturday, kMon + 7, 1), kSat + 8, 1);
    expectFound(previous(*saturday, kMon, 1), kSat - 6, 1);
    // The plain weekend ignores rows.
    auto weekend = std::make_shared<TQVTWeekend>();
    doc.document->Fcalendar->getDateCategory(0)->addDate(weekend);
    EXPECT_TRUE(weekend->Matches(kSat + 0.5, 1, tmDay));

    ASSERT_FALSE(capture.log.empty());
    EXPECT_EQ(capture.log.front().rfind("SatFNO: ", 0), 0u);
    bool previousLogged = false;
    for (const auto& line : capture.log)
        previousLogged = previousLogged || line.rfind("SatFPO: ", 0) == 0;
    EXPECT_TRUE(previousLogged);
}

TEST(FixedException, VisibleModeIsTheCoarsestWholeUnitSpanned)
{
    EXPECT_EQ(TQVTFixedDateException(kFri, "").getVisibleTimeMode(), tmDay);
    EXPECT_EQ(TQVTFixedDateException(kFri, kFri + 10 * kHour, "").getVisibleTimeMode(), tmHour);
    EXPECT_EQ(TQVTFixedDateException(kMon, kMon + 14, "").getVisibleTimeMode(), tmWeek);
    EXPECT_EQ(TQVTFixedDateException(at(2026, 1, 1), at(2026, 3, 1), "").getVisibleTimeMode(), tmMonth);
    EXPECT_EQ(TQVTFixedDateException(at(2000, 1, 1), at(2030, 1, 1), "").getVisibleTimeMode(), tmYear);
}

TEST(FixedException, MatchesInsideTheHalfOpenIntervalAtItsResolutions)
{
    TQVTFixedDateException hours(kFri + 8 * kHour, kFri + 18 * kHour, "meeting");
    EXPECT_TRUE(hours.Matches(kFri + 8 * kHour, -1, tmHour));
    EXPECT_TRUE(hours.Matches(kFri + 12 * kHour, -1, tmNone));
    EXPECT_FALSE(hours.Matches(kFri + 18 * kHour, -1, tmHour));
    EXPECT_FALSE(hours.Matches(kFri + 12 * kHour, -1, tmDay));

    TQVTFixedDateException months(at(2026, 1, 1), at(2026, 3, 1), "winter");
    EXPECT_TRUE(months.Matches(at(2026, 2, 10), -1, tmMonth));
    EXPECT_TRUE(months.Matches(at(2026, 2, 10), -1, tmYear));
    EXPECT_FALSE(months.Matches(at(2026, 2, 10), -1, tmWeek));
    EXPECT_EQ(months.getName(), "winter");
}

TEST(FixedException, SearchesAroundAndInsideTheInterval)
{
    TQVTFixedDateException holiday(kWed, kFri, "");
    expectFound(next(holiday, kWed - 3), kWed, 2);
    expectFound(next(holiday, kWed + 0.5), kWed + 0.5, 1.5);
    EXPECT_FALSE(next(holiday, kFri).ok);
    EXPECT_FALSE(previous(holiday, kWed).ok);
    expectFound(previous(holiday, kWed + 0.5), kWed + 0.5, 0.5);
    expectFound(previous(holiday, kFri), kFri, 2);
    expectFound(previous(holiday, kFri + 9), kFri, 2);
}

TEST(FixedException, BlockedDaysAreCutOutForThatRowOnly)
{
    auto vacation = std::make_shared<TQVTFixedDateException>(kMon, kMon + 5, "");
    RowDocument doc(vacation);
    doc.row(0).AddBlockedDate(kMon + 1 + 10 * kHour); // Tuesday, stored with a time of day
    EXPECT_TRUE(doc.row(0).IsBlocked(kMon + 1));
    EXPECT_TRUE(doc.row(0).IsBlocked(kMon + 1.99));
    EXPECT_FALSE(doc.row(0).IsBlocked(kMon + 2));

    EXPECT_TRUE(vacation->Matches(kMon + 1.5, -1, tmDay));
    EXPECT_TRUE(vacation->Matches(kMon + 1.5, 1, tmDay));
    EXPECT_FALSE(vacation->Matches(kMon + 1.5, 0, tmDay));
    expectFound(next(*vacation, kMon, 0), kMon, 1);
    expectFound(next(*vacation, kMon + 1.5, 0), kMon + 2, 3);
    expectFound(previous(*vacation, kMon + 5, 0), kMon + 5, 3);
    expectFound(previous(*vacation, kMon + 2, 0), kMon + 1, 1);
    expectFound(next(*vacation, kMon, 1), kMon, 5);

    doc.row(0).ClearBlockedDates();
    EXPECT_TRUE(vacation->Matches(kMon + 1.5, 0, tmDay));
    // A row index beyond the table is no row.
    EXPECT_TRUE(vacation->Matches(kMon + 1.5, 7, tmDay));
}

TEST(RecurringException, WeeklyEverySecondWeekFromFridayEvening)
{
    // Every second week from Friday 18:00 to Friday 22:00, counted from the week of 30 November 2026.
    TQVTRecurringDateException e(tmWeek, 2, 5, 5, 18, 22, "party", kWed, at(2027, 12, 31));
    EXPECT_EQ(e.getDateFrom(), at(2026, 11, 30));
    EXPECT_EQ(e.getVisibleTimeMode(), tmHour);
    expectFound(next(e, kWed), kFri + 18 * kHour, 4 * kHour);
    expectFound(next(e, kFri + 20 * kHour), kFri + 20 * kHour, 2 * kHour);
    expectFound(next(e, kFri + 22 * kHour), kFri + 14 + 18 * kHour, 4 * kHour);
    expectFound(previous(e, kFri + 14), kFri + 22 * kHour, 4 * kHour);
    EXPECT_TRUE(e.Matches(kFri + 19 * kHour, -1, tmHour));
    EXPECT_FALSE(e.Matches(kFri + 7 + 19 * kHour, -1, tmHour));
    EXPECT_FALSE(e.Matches(kFri + 19 * kHour, -1, tmDay));
    // Nothing before the first period or after the last.
    EXPECT_FALSE(previous(e, at(2026, 11, 30)).ok);
    EXPECT_FALSE(next(e, at(2028, 1, 1)).ok);
}

TEST(RecurringException, EveryUnitRecursFromItsFirstPeriod)
{
    const TDateTime from = at(2024, 1, 1);
    const TDateTime to = at(2100, 1, 1);
    // Each third day from 08:00 to 12:00.
    TQVTRecurringDateException days(tmDay, 3, 0, 0, 8, 12, "", from + 0.5, to);
    expectFound(next(days, from + 0.9), from + 3 + 8 * kHour, 4 * kHour);
    // Hour units keep the first date's time of day and recur by days as well.
    TQVTRecurringDateException hours(tmHour, 1, 0, 0, 2, 3, "", from + 6 * kHour, to);
    expectFound(next(hours, from + 12 * kHour), from + 1 + 8 * kHour, kHour);
    // Monthly, the 15th 09:00 to the 16th 17:00.
    TQVTRecurringDateException months(tmMonth, 1, 15, 16, 9, 17, "", from, to);
    expectFound(next(months, at(2024, 2, 20)), at(2024, 3, 15, 9), 1 + 8 * kHour);
    EXPECT_TRUE(months.Matches(at(2024, 3, 16, 8), -1, tmHour));
    // Quarterly, the 2nd and 3rd day of each quarter's first month.
    TQVTRecurringDateException quarters(tmQuarter, 1, 2, 4, 0, 0, "", from, to);
    expectFound(next(quarters, at(2024, 2, 1)), at(2024, 4, 2), 2);
    EXPECT_EQ(quarters.getVisibleTimeMode(), tmDay);
    // Yearly, 25 December as day 359 also in leap years.
    TQVTRecurringDateException christmas(tmYear, 1, 359, 360, 0, 0, "Christmas", from, to);
    expectFound(next(christmas, at(2024, 6, 1)), at(2024, 12, 25), 1);
    expectFound(next(christmas, at(2025, 6, 1)), at(2025, 12, 25), 1);
    expectFound(previous(christmas, at(2025, 6, 1)), at(2024, 12, 26), 1);
    EXPECT_TRUE(christmas.Matches(at(2024, 12, 25, 13), -1, tmDay));
    EXPECT_FALSE(christmas.Matches(at(2024, 12, 24, 13), -1, tmDay));
    // Each decade, 1 to 3 January of the first year.
    TQVTRecurringDateException decades(tmDecade, 1, 1, 3, 0, 0, "", at(2021, 5, 5), to);
    expectFound(next(decades, at(2021, 5, 5)), at(2030, 1, 1), 2);
}

TEST(RecurringException, WrappingOccurrencesMatchExactlyTheSearchedIntervals)
{
    const TDateTime from = at(2023, 1, 1);
    const TDateTime to = at(2026, 1, 1);
    // The stored defaults, day 6 to day 1 weekly: Saturday 00:00 to Monday 00:00.
    TQVTRecurringDateException weekly(tmWeek, 1, 6, 1, 0, 0, "", from, to);
    EXPECT_EQ(weekly.getVisibleTimeMode(), tmDay);
    expectFound(next(weekly, at(2024, 12, 4)), at(2024, 12, 7), 2);
    expectFound(next(weekly, at(2024, 12, 8, 12)), at(2024, 12, 8, 12), 0.5);
    expectMatchesAgreesWithSearch(weekly, at(2024, 11, 20), at(2025, 1, 20));

    TQVTRecurringDateException nightly(tmDay, 1, 0, 0, 22, 6, "", from, to);
    expectFound(next(nightly, at(2024, 3, 3, 12)), at(2024, 3, 3, 22), 8 * kHour);
    expectMatchesAgreesWithSearch(nightly, at(2024, 3, 1), at(2024, 3, 8));

    TQVTRecurringDateException monthEnd(tmMonth, 2, 28, 3, 12, 6, "", from, to);
    expectMatchesAgreesWithSearch(monthEnd, at(2024, 1, 15), at(2024, 8, 15));

    TQVTRecurringDateException yearEnd(tmYear, 1, 358, 2, 0, 0, "", from, to);
    expectMatchesAgreesWithSearch(yearEnd, at(2023, 12, 10), at(2024, 1, 10));
    expectMatchesAgreesWithSearch(yearEnd, at(2024, 12, 10), at(2025, 1, 10));
}

TEST(RecurringException, ConstructionNormalisesPeriodAndRange)
{
    TQVTRecurringDateException zero(tmWeek, 0, 1, 2, 0, 0, "", at(2024, 1, 3), at(2025, 1, 1));
    EXPECT_EQ(zero.getRecurringPeriod(), 1);
    EXPECT_EQ(zero.getDateFrom(), at(2024, 1, 1));
    TQVTRecurringDateException reversed(tmWeek, 1, 1, 2, 0, 0, "", at(2025, 1, 1), at(2024, 1, 1));
    EXPECT_EQ(reversed.getDateFrom(), StartOfPeriod(at(1970, 1, 1), tmWeek));
    EXPECT_EQ(reversed.getDateTo(), StartOfPeriod(at(3000, 1, 1), tmWeek));
    EXPECT_TRUE(reversed.Matches(StartOfPeriod(at(2990, 6, 4), tmWeek) + 0.5, -1, tmDay));
}

TEST(DegenerateException, ZeroLengthOccurrencesAreNoOccurrences)
{
    TQVTRecurringDateException recurring(tmWeek, 1, 3, 3, 10, 10, "", at(2024, 1, 1), at(2025, 1, 1));
    TQVTFixedDateException fixed(kFri, kFri, "");
    TQVTFixedDateException reversed(kFri, kWed, "");
    for (TQVTDateException* e : std::initializer_list<TQVTDateException*>{&recurring, &fixed, &reversed}) {
        EXPECT_FALSE(next(*e, at(2024, 1, 1)).ok);
        EXPECT_FALSE(next(*e, kWed).ok);
        EXPECT_FALSE(previous(*e, kMon).ok);
        EXPECT_FALSE(e->Matches(kFri, -1, tmNone));
    }
    TQVTDateException plain;
    EXPECT_FALSE(next(plain, kFri).ok);
    EXPECT_FALSE(previous(plain, kFri).ok);
}

TEST(DegenerateException, AbsurdRecurringValuesAnswerPromptly)
{
    const TDateTime from = at(2000, 1, 1);
    const TDateTime to = at(2100, 1, 1);
    for (TQVTTimeMode unit : {tmHour, tmDay, tmWeek, tmMonth, tmQuarter, tmYear, tmDecade, tmNone}) {
        struct Values {
            std::uint16_t period, dayFrom, dayTo;
            std::uint8_t hourFrom, hourTo;
        };
        for (const Values& v : {Values{65535, 1, 2, 0, 0}, Values{1, 65535, 65535, 200, 255}, Values{1, 0, 65535, 0, 0},
                                Values{1, 65535, 0, 23, 0}, Values{7, 40, 3, 255, 0}}) {
            TQVTRecurringDateException e(unit, v.period, v.dayFrom, v.dayTo, v.hourFrom, v.hourTo, "", from, to);
            for (TDateTime t : {from - 1000, from + 17.3, from + 9000.5, to + 5, -HUGE_VAL, double(NAN)}) {
                const Found n = next(e, t);
                const Found p = previous(e, t);
                e.Matches(t, -1, tmNone);
                if (n.ok) {
                    EXPECT_GE(n.date, t);
                    EXPECT_GT(n.length, 0);
                }
                if (p.ok) {
                    EXPECT_LE(p.date, t);
                    EXPECT_GT(p.length, 0);
                }
            }
        }
    }
}
