// Date exceptions: matching at each resolution and the searches around and inside occurrences.

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DateUtils.h"

#include "support/TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <locale>
#include <stdexcept>
#include <string>
#include <vector>

using namespace corvane;

namespace {

TDateTime at(int y, int m, int d, int h = 0, int min = 0)
{
    return EncodeDateTime(y, m, d, h, min, 0, 0);
}

constexpr double Hour = 1.0 / 24;
// Friday 4 December 2026 and the days around it.
const TDateTime Wed = at(2026, 12, 2);
const TDateTime Fri = at(2026, 12, 4);
const TDateTime Sat = at(2026, 12, 5);
const TDateTime Sun = at(2026, 12, 6);
const TDateTime Mon = at(2026, 12, 7);

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
    for (TDateTime t = from; t < to; t += Hour * 0.75) {
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

TEST(WeekendException, MatchesAtHourAndDayResolutionSearchesStopBeyondTheYearsAndSingleWeekdaysSkipBlockedRows)
{
    TQVTWeekend weekend;
    for (TQVTTimeMode mode : {tmNone, tmHour, tmDay}) {
        EXPECT_TRUE(weekend.Matches(Sat + 10 * Hour, -1, mode));
        EXPECT_TRUE(weekend.Matches(Sun + 23 * Hour, -1, mode));
        EXPECT_FALSE(weekend.Matches(Fri + 23 * Hour, -1, mode));
        EXPECT_FALSE(weekend.Matches(Mon, -1, mode));
    }
    for (TQVTTimeMode mode : {tmWeek, tmMonth, tmYear})
        EXPECT_FALSE(weekend.Matches(Sat + 10 * Hour, -1, mode));
    weekend.setName("ignored");
    EXPECT_EQ(weekend.getName(), "");

    expectFound(next(weekend, Wed + 5 * Hour), Sat, 2);
    expectFound(next(weekend, Sun + 6 * Hour), Sun + 6 * Hour, 18 * Hour);
    expectFound(next(weekend, Sat), Sat, 2);
    expectFound(next(weekend, Mon), Sat + 7, 2);
    expectFound(previous(weekend, Wed), Mon - 7, 2);
    expectFound(previous(weekend, Sun + 6 * Hour), Sun + 6 * Hour, 1.25);
    // From Saturday 00:00 nothing of this weekend lies before: the previous one is reported.
    expectFound(previous(weekend, Sat), Mon - 7, 2);
    expectFound(previous(weekend, Mon), Mon, 2);

    // Dates outside the years 1 to 9999 decode as the nearest date inside them; a search there
    // must not answer the same week again and again.
    TQVTSunday anySunday;
    for (TQVTDateException* e : std::initializer_list<TQVTDateException*>{&weekend, &anySunday}) {
        EXPECT_FALSE(next(*e, 2990000.5).ok);
        EXPECT_FALSE(e->Matches(2990000.5, -1, tmNone));
        EXPECT_FALSE(previous(*e, -695000.5).ok);
        const Found last = previous(*e, 2990000.5);
        ASSERT_TRUE(last.ok);
        EXPECT_LE(last.date, 2990000.5);
        const Found first = next(*e, -695000.5);
        ASSERT_TRUE(first.ok);
        EXPECT_GE(first.date, -695000.5);
    }

    // Single weekdays skip blocked rows; Saturday searches are logged.
    test::Capture capture;
    auto saturday = std::make_shared<TQVTSaturday>();
    auto sunday = std::make_shared<TQVTSunday>();
    RowDocument doc(saturday);
    doc.document->Fcalendar->getDateCategory(0)->addDate(sunday);
    doc.row(1).AddBlockedDate(Sat);

    expectFound(next(*saturday, Wed), Sat, 1);
    expectFound(next(*sunday, Wed), Sun, 1);
    expectFound(next(*saturday, Sun), Sat + 7, 1);
    expectFound(previous(*sunday, Sun + 0.5), Sun + 0.5, 0.5);
    EXPECT_TRUE(saturday->Matches(Sat + 0.5, 0, tmDay));
    EXPECT_FALSE(sunday->Matches(Sat + 0.5, 0, tmDay));

    // Row 1 is blocked on this Saturday: the next one is a week later.
    EXPECT_FALSE(saturday->Matches(Sat + 0.5, 1, tmDay));
    expectFound(next(*saturday, Wed, 1), Sat + 7, 1);
    expectFound(previous(*saturday, Mon + 7, 1), Sat + 8, 1);
    expectFound(previous(*saturday, Mon, 1), Sat - 6, 1);
    // The plain weekend ignores rows.
    auto plain = std::make_shared<TQVTWeekend>();
    doc.document->Fcalendar->getDateCategory(0)->addDate(plain);
    EXPECT_TRUE(plain->Matches(Sat + 0.5, 1, tmDay));

    ASSERT_FALSE(capture.log.empty());
    EXPECT_EQ(capture.log.front().rfind("SatFNO: ", 0), 0u);
    bool previousLogged = false;
    for (const auto& line : capture.log)
        previousLogged = previousLogged || line.rfind("SatFPO: ", 0) == 0;
    EXPECT_TRUE(previousLogged);
}

// Log lines write reals as the document file does, whatever the locale of streams or of the C
// library (a German locale of the system sets the latter too, if one is installed).
TEST(WeekendException, LogLinesWriteRealsWithAPointUnderACommaLocale)
{
    struct CommaDecimals : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    std::vector<std::locale> locales{std::locale(std::locale::classic(), new CommaDecimals)};
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
        try {
            locales.emplace_back(name);
            break;
        } catch (const std::runtime_error&) {
        }
    }
    for (const std::locale& locale : locales) {
        const std::locale previous = std::locale::global(locale);
        test::Capture capture;
        TQVTSaturday saturday;
        next(saturday, Wed + 0.5);
        std::locale::global(previous);
        ASSERT_FALSE(capture.log.empty());
        EXPECT_EQ(capture.log.front(), "SatFNO: 46358.5 46361 1");
    }
}

TEST(FixedException, MatchesAndSearchesInsideTheHalfOpenIntervalWhereBlockedDaysAreCutOutForThatRow)
{
    TQVTFixedDateException hours(Fri + 8 * Hour, Fri + 18 * Hour, "meeting");
    EXPECT_TRUE(hours.Matches(Fri + 8 * Hour, -1, tmHour));
    EXPECT_TRUE(hours.Matches(Fri + 12 * Hour, -1, tmNone));
    EXPECT_FALSE(hours.Matches(Fri + 18 * Hour, -1, tmHour));
    EXPECT_FALSE(hours.Matches(Fri + 12 * Hour, -1, tmDay));

    TQVTFixedDateException months(at(2026, 1, 1), at(2026, 3, 1), "winter");
    for (TQVTTimeMode mode : {tmMonth, tmYear, tmWeek})
        EXPECT_EQ(months.Matches(at(2026, 2, 10), -1, mode), mode != tmWeek) << mode;
    EXPECT_EQ(months.getName(), "winter");

    // The visible mode is the coarsest whole unit spanned.
    EXPECT_EQ(TQVTFixedDateException(Fri, "").getVisibleTimeMode(), tmDay);
    EXPECT_EQ(TQVTFixedDateException(Fri, Fri + 10 * Hour, "").getVisibleTimeMode(), tmHour);
    EXPECT_EQ(TQVTFixedDateException(Mon, Mon + 14, "").getVisibleTimeMode(), tmWeek);
    EXPECT_EQ(TQVTFixedDateException(at(2026, 1, 1), at(2026, 3, 1), "").getVisibleTimeMode(), tmMonth);
    EXPECT_EQ(TQVTFixedDateException(at(2000, 1, 1), at(2030, 1, 1), "").getVisibleTimeMode(), tmYear);

    TQVTFixedDateException holiday(Wed, Fri, "");
    expectFound(next(holiday, Wed - 3), Wed, 2);
    expectFound(next(holiday, Wed + 0.5), Wed + 0.5, 1.5);
    EXPECT_FALSE(next(holiday, Fri).ok);
    EXPECT_FALSE(previous(holiday, Wed).ok);
    expectFound(previous(holiday, Wed + 0.5), Wed + 0.5, 0.5);
    expectFound(previous(holiday, Fri), Fri, 2);
    expectFound(previous(holiday, Fri + 9), Fri, 2);

    auto vacation = std::make_shared<TQVTFixedDateException>(Mon, Mon + 5, "");
    RowDocument doc(vacation);
    doc.row(0).AddBlockedDate(Mon + 1 + 10 * Hour); // Tuesday, stored with a time of day
    EXPECT_TRUE(doc.row(0).IsBlocked(Mon + 1));
    EXPECT_TRUE(doc.row(0).IsBlocked(Mon + 1.99));
    EXPECT_FALSE(doc.row(0).IsBlocked(Mon + 2));

    EXPECT_TRUE(vacation->Matches(Mon + 1.5, -1, tmDay));
    EXPECT_TRUE(vacation->Matches(Mon + 1.5, 1, tmDay));
    EXPECT_FALSE(vacation->Matches(Mon + 1.5, 0, tmDay));
    expectFound(next(*vacation, Mon, 0), Mon, 1);
    expectFound(next(*vacation, Mon + 1.5, 0), Mon + 2, 3);
    expectFound(previous(*vacation, Mon + 5, 0), Mon + 5, 3);
    expectFound(previous(*vacation, Mon + 2, 0), Mon + 1, 1);
    expectFound(next(*vacation, Mon, 1), Mon, 5);

    doc.row(0).ClearBlockedDates();
    EXPECT_TRUE(vacation->Matches(Mon + 1.5, 0, tmDay));
    // A row index beyond the table is no row.
    EXPECT_TRUE(vacation->Matches(Mon + 1.5, 7, tmDay));
}

TEST(RecurringException, WeeklyEverySecondWeekConstructionNormalisesAndEveryUnitRecursFromItsFirstPeriod)
{
    // Every second week from Friday 18:00 to Friday 22:00, counted from the week of 30 November 2026.
    TQVTRecurringDateException e(tmWeek, 2, 5, 5, 18, 22, "party", Wed, at(2027, 12, 31));
    EXPECT_EQ(e.getDateFrom(), at(2026, 11, 30));
    EXPECT_EQ(e.getVisibleTimeMode(), tmHour);
    expectFound(next(e, Wed), Fri + 18 * Hour, 4 * Hour);
    expectFound(next(e, Fri + 20 * Hour), Fri + 20 * Hour, 2 * Hour);
    expectFound(next(e, Fri + 22 * Hour), Fri + 14 + 18 * Hour, 4 * Hour);
    expectFound(previous(e, Fri + 14), Fri + 22 * Hour, 4 * Hour);
    EXPECT_TRUE(e.Matches(Fri + 19 * Hour, -1, tmHour));
    EXPECT_FALSE(e.Matches(Fri + 7 + 19 * Hour, -1, tmHour));
    EXPECT_FALSE(e.Matches(Fri + 19 * Hour, -1, tmDay));
    // Nothing before the first period or after the last.
    EXPECT_FALSE(previous(e, at(2026, 11, 30)).ok);
    EXPECT_FALSE(next(e, at(2028, 1, 1)).ok);

    TQVTRecurringDateException zero(tmWeek, 0, 1, 2, 0, 0, "", at(2024, 1, 3), at(2025, 1, 1));
    EXPECT_EQ(zero.getRecurringPeriod(), 1);
    EXPECT_EQ(zero.getDateFrom(), at(2024, 1, 1));
    TQVTRecurringDateException reversed(tmWeek, 1, 1, 2, 0, 0, "", at(2025, 1, 1), at(2024, 1, 1));
    EXPECT_EQ(reversed.getDateFrom(), StartOfPeriod(at(1970, 1, 1), tmWeek));
    EXPECT_EQ(reversed.getDateTo(), StartOfPeriod(at(3000, 1, 1), tmWeek));
    EXPECT_TRUE(reversed.Matches(StartOfPeriod(at(2990, 6, 4), tmWeek) + 0.5, -1, tmDay));

    // Every unit recurs from its first period.
    const TDateTime from = at(2024, 1, 1);
    const TDateTime to = at(2100, 1, 1);
    // Each third day from 08:00 to 12:00.
    TQVTRecurringDateException days(tmDay, 3, 0, 0, 8, 12, "", from + 0.5, to);
    expectFound(next(days, from + 0.9), from + 3 + 8 * Hour, 4 * Hour);
    // Hour units keep the first date's time of day and recur by days as well.
    TQVTRecurringDateException hours(tmHour, 1, 0, 0, 2, 3, "", from + 6 * Hour, to);
    expectFound(next(hours, from + 12 * Hour), from + 1 + 8 * Hour, Hour);
    // Monthly, the 15th 09:00 to the 16th 17:00.
    TQVTRecurringDateException months(tmMonth, 1, 15, 16, 9, 17, "", from, to);
    expectFound(next(months, at(2024, 2, 20)), at(2024, 3, 15, 9), 1 + 8 * Hour);
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

TEST(RecurringException, WrappingOccurrencesMatchExactlyTheSearchedIntervalsAndOverlappingOnesAreOneRun)
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
    expectFound(next(nightly, at(2024, 3, 3, 12)), at(2024, 3, 3, 22), 8 * Hour);
    expectMatchesAgreesWithSearch(nightly, at(2024, 3, 1), at(2024, 3, 8));

    TQVTRecurringDateException monthEnd(tmMonth, 2, 28, 3, 12, 6, "", from, to);
    expectMatchesAgreesWithSearch(monthEnd, at(2024, 1, 15), at(2024, 8, 15));

    TQVTRecurringDateException yearEnd(tmYear, 1, 358, 2, 0, 0, "", from, to);
    expectMatchesAgreesWithSearch(yearEnd, at(2023, 12, 10), at(2024, 1, 10));
    expectMatchesAgreesWithSearch(yearEnd, at(2024, 12, 10), at(2025, 1, 10));

    // Overlapping occurrences are searched as one run.
    const TDateTime start = at(2024, 1, 1);
    const TDateTime end = at(2025, 1, 1);
    // Daily for 30 hours: one run from the first day to the end of the range.
    TQVTRecurringDateException daily(tmDay, 1, 0, 0, 0, 30, "", start, end);
    const TDateTime june = at(2024, 6, 1, 12);
    expectFound(next(daily, start - 3), start, end - start);
    expectFound(next(daily, june), june, end - june);
    expectFound(previous(daily, june), june, june - start);
    expectFound(previous(daily, end + 5), end, end - start);
    EXPECT_FALSE(next(daily, end).ok);

    // Monthly from day 1 for 30.5 days: a month of 31 days leaves its last afternoon free, a
    // shorter one runs into the next.
    TQVTRecurringDateException monthly(tmMonth, 1, 1, 31, 0, 12, "", start, end);
    expectFound(next(monthly, at(2024, 1, 10)), at(2024, 1, 10), at(2024, 1, 31, 12) - at(2024, 1, 10));
    expectFound(next(monthly, at(2024, 1, 31, 13)), at(2024, 2, 1), at(2024, 3, 31, 12) - at(2024, 2, 1));
    expectFound(previous(monthly, at(2024, 3, 20)), at(2024, 3, 20), at(2024, 3, 20) - at(2024, 2, 1));
    expectMatchesAgreesWithSearch(monthly, at(2024, 1, 20), at(2024, 5, 10));

    // Every month runs into the next, though no bound on the months' lengths shows it: the
    // searches still cross many months at a time, and the pieces join without a gap.
    const TDateTime until = at(2040, 1, 1);
    TQVTRecurringDateException longMonths(tmMonth, 1, 1, 32, 0, 6, "", start, until);
    int steps = 0;
    TDateTime reached = start;
    for (Found f = next(longMonths, start); f.ok; f = next(longMonths, reached), ++steps) {
        ASSERT_EQ(f.date, reached);
        reached = f.date + f.length;
    }
    EXPECT_EQ(reached, until);
    EXPECT_LT(steps, 12) << "192 months";
    for (Found f = previous(longMonths, until); f.ok; f = previous(longMonths, reached)) {
        ASSERT_EQ(f.date, reached);
        reached = f.date - f.length;
    }
    EXPECT_EQ(reached, start);
}

TEST(DegenerateException, ZeroLengthOccurrencesAreNoneAndAbsurdValuesAnswerPromptly)
{
    TQVTRecurringDateException recurring(tmWeek, 1, 3, 3, 10, 10, "", at(2024, 1, 1), at(2025, 1, 1));
    TQVTFixedDateException fixed(Fri, Fri, "");
    TQVTFixedDateException reversed(Fri, Wed, "");
    TQVTDateException plain;
    for (TQVTDateException* e : std::initializer_list<TQVTDateException*>{&recurring, &fixed, &reversed, &plain}) {
        EXPECT_FALSE(next(*e, at(2024, 1, 1)).ok || next(*e, Wed).ok || previous(*e, Mon).ok || previous(*e, Fri).ok);
        EXPECT_FALSE(e->Matches(Fri, -1, tmNone));
    }

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

