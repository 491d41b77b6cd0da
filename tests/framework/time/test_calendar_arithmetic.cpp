// The document calendar: categories, matching, searches and working-time arithmetic.

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DateUtils.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace corvane;

namespace {

TDateTime at(int y, int m, int d, int h = 0)
{
    return EncodeDateTime(y, m, d, h, 0, 0, 0);
}

constexpr double Hour = 1.0 / 24;
const TDateTime Fri = at(2026, 12, 4);
const TDateTime Sat = at(2026, 12, 5);
const TDateTime Sun = at(2026, 12, 6);
const TDateTime Mon = at(2026, 12, 7);
const TDateTime Tue = at(2026, 12, 8);

std::shared_ptr<TQVTDateCategory> category(const std::string& name, bool working,
                                           std::vector<std::shared_ptr<TQVTDateException>> dates)
{
    auto c = std::make_shared<TQVTDateCategory>(name, 0x123456);
    c->setWorking(working);
    for (auto& d : dates)
        c->addDate(std::move(d));
    return c;
}

std::shared_ptr<TQVTDateCategory> weekends()
{
    return std::make_shared<TQVTWeekendsDateCategory>();
}

// The search as the straightforward loop over every exception of every non-working category,
// which the calendar's indexes must reproduce exactly.
class StraightforwardCalendar : public TQVTDocumentCalendar {
public:
    bool findNextNonWorkingException(TDateTime from, TDateTime& start, double& length, int row) override
    {
        start = NoNonWorkingTime;
        return search(from, start, length, row, true);
    }
    bool findPreviousNonWorkingException(TDateTime from, TDateTime& end, double& length, int row) override
    {
        end = 0;
        return search(from, end, length, row, false);
    }

private:
    // The earliest next or the latest previous occurrence of any non-working exception.
    bool search(TDateTime from, TDateTime& best, double& length, int row, bool forward)
    {
        bool found = false;
        length = 0;
        for (int i = 0; i < getCategoriesCount(); ++i) {
            TQVTDateCategory* c = getDateCategory(i);
            for (int j = 0; !c->getWorking() && j < c->getDatesCount(); ++j) {
                TDateTime x = 0;
                double l = 0;
                TQVTDateException& e = *c->getDateByIndex(j);
                if ((forward ? e.findNextOccurence(from, x, l, row) : e.findPreviousOccurence(from, x, l, row)) &&
                    (!found || (forward ? x < best : x > best))) {
                    found = true;
                    best = x;
                    length = l;
                }
            }
        }
        return found;
    }
};

// Builds the same random calendar into several calendars.
void randomCalendar(std::mt19937& rng, std::initializer_list<TQVTDocumentCalendar*> calendars)
{
    const TDateTime base = at(2020, 1, 1);
    std::uniform_real_distribution<double> day(0, 3 * 365);
    std::uniform_int_distribution<int> small(0, 9);
    const bool withWeekends = small(rng) < 7;
    const int holidays = small(rng) * 3;
    const int recurring = small(rng) / 2;
    std::vector<std::vector<std::shared_ptr<TQVTDateException>>> made(calendars.size());
    for (int i = 0; i < holidays; ++i) {
        const TDateTime from = base + std::floor(day(rng) * 24) / 24;
        const double length = small(rng) == 0 ? 0 : std::floor(day(rng) / 40 * 24 + 1) / 24;
        for (auto& m : made)
            m.push_back(std::make_shared<TQVTFixedDateException>(from, from + length, ""));
    }
    for (int i = 0; i < recurring; ++i) {
        const auto unit = static_cast<TQVTTimeMode>(1 + small(rng) % 7);
        const auto period = static_cast<std::uint16_t>(1 + small(rng) % 3);
        const auto d1 = static_cast<std::uint16_t>(1 + small(rng) * 3);
        const auto d2 = static_cast<std::uint16_t>(1 + small(rng) * 3);
        const auto h1 = static_cast<std::uint8_t>(small(rng) * 2);
        const auto h2 = static_cast<std::uint8_t>(small(rng) * 2);
        const TDateTime from = base + day(rng) / 3;
        for (auto& m : made)
            m.push_back(
                std::make_shared<TQVTRecurringDateException>(unit, period, d1, d2, h1, h2, "", from, from + 2 * 365));
    }
    std::size_t k = 0;
    for (TQVTDocumentCalendar* calendar : calendars) {
        if (withWeekends)
            calendar->addDateCategory(weekends());
        // Exceptions split over a non-working and a working category, in alternation.
        std::vector<std::shared_ptr<TQVTDateException>> off, on;
        for (std::size_t i = 0; i < made[k].size(); ++i)
            (i % 4 == 3 ? on : off).push_back(made[k][i]);
        calendar->addDateCategory(category("Off", false, off));
        calendar->addDateCategory(category("On", true, on));
        ++k;
    }
}

} // namespace

TEST(CalendarCategories, ManagementByNameAndIndex)
{
    TQVTDocumentCalendar calendar;
    calendar.AddPredefinedCategories();
    calendar.addDateCategory(nullptr);
    calendar.addDateCategory(category("Holidays", false, {}));
    ASSERT_EQ(calendar.getCategoriesCount(), 3);
    EXPECT_EQ(calendar.getDateCategory(0)->getName(), "Weekends");
    EXPECT_TRUE(!calendar.getDateCategory(0)->getWorking() && calendar.getDateCategory(1)->getWorking());
    EXPECT_EQ(calendar.getDateCategory(0)->getDatesCount(), 1);
    EXPECT_TRUE(calendar.getDateCategory(3) == nullptr && calendar.getDateCategory(-1) == nullptr);

    calendar.moveUp("Holidays");
    calendar.moveUp("Weekends");
    calendar.moveDown("Holidays");
    calendar.moveDown("Nobody");
    std::vector<int> indexes;
    for (const char* name : {"Weekends", "Vacations", "Holidays", "vacations"})
        indexes.push_back(calendar.getCategoryIndexByName(name));
    EXPECT_EQ(indexes, (std::vector<int>{0, 1, 2, -1}));
    calendar.moveUp("Holidays");
    EXPECT_EQ(calendar.getCategoryIndexByName("Holidays"), 1);
    calendar.removeDateCategory("Nobody");
    calendar.removeDateCategory("Weekends");
    EXPECT_EQ(calendar.getCategoriesCount(), 2);
    EXPECT_TRUE(calendar.isWorking(Sat + 0.5, -1, tmDay));
}

TEST(CalendarMatching, FirstMatchingCategoryDecidesAtTheCalendarsResolutionAndBlockedDaysExemptARow)
{
    TQVTDocumentCalendar calendar;
    calendar.addDateCategory(weekends());
    EXPECT_FALSE(calendar.isWorking(Sat + 10 * Hour, -1, tmDay));
    EXPECT_TRUE(calendar.isWorking(Sat + 10 * Hour, -1, tmWeek));
    EXPECT_FALSE(calendar.isWorking(Sat + 10 * Hour, -1, tmNone));
    calendar.SetTimeMode(tmWeek);
    EXPECT_TRUE(calendar.isWorking(Sat + 10 * Hour, -1, tmNone));
    calendar.SetTimeMode(tmDay);

    auto holidays = category("Holidays", false,
                             {std::make_shared<TQVTFixedDateException>(Mon, "Feast"),
                              std::make_shared<TQVTFixedDateException>(Mon, Tue + 1, "Long")});
    calendar.addDateCategory(holidays);
    EXPECT_EQ(calendar.getDateLabel(Mon + 0.5, tmDay), "Feast");
    EXPECT_EQ(calendar.getDateLabel(Tue + 0.5, tmDay), "Long");
    EXPECT_EQ(calendar.getDateLabel(Fri, tmDay), "");
    EXPECT_EQ(calendar.matchCategory(Tue, -1, tmNone), holidays.get());
    holidays->removeDate(0);
    EXPECT_EQ(calendar.getDateLabel(Mon + 0.5, tmDay), "Long");

    // A working category ahead of the weekends wins, though the arithmetic never consults it.
    calendar.addDateCategory(category("Vacations", true, {std::make_shared<TQVTFixedDateException>(Sat, "Fair")}));
    calendar.moveUp("Vacations");
    calendar.moveUp("Vacations");
    EXPECT_TRUE(calendar.isWorking(Sat + 0.5, -1, tmDay));
    EXPECT_EQ(calendar.addEffective(Fri + 0.5, 1, false), Tue + 1.5);

    // Blocked days exempt a row from holidays and single weekdays.
    auto document = std::make_shared<TQVTGanttDocument>();
    document->Ftable = std::make_shared<TQVTGanttTable>();
    document->Ftable->setParent(document.get());
    for (int i = 0; i < 3; ++i) {
        document->Ftable->FRows.push_back(std::make_shared<TQVTGanttRow>());
        document->Ftable->FRows.back()->setParent(document->Ftable.get());
    }
    document->Fcalendar = std::make_shared<TQVTDocumentCalendar>();
    document->Fcalendar->setParent(document.get());
    TQVTDocumentCalendar& rows = *document->Fcalendar;
    rows.addDateCategory(weekends());
    rows.addDateCategory(category(
        "Holidays", false, {std::make_shared<TQVTFixedDateException>(Tue, "Feast"), std::make_shared<TQVTSaturday>()}));
    document->Ftable->FRows[1]->AddBlockedDate(Tue + 0.25);
    document->Ftable->FRows[2]->AddBlockedDate(Sat);

    EXPECT_FALSE(rows.isWorking(Tue + 0.5, 0, tmDay));
    EXPECT_TRUE(rows.isWorking(Tue + 0.5, 1, tmDay));
    EXPECT_EQ(rows.addEffective(0, Mon + 0.5, 1, false), Tue + 1.5);
    EXPECT_EQ(rows.addEffective(1, Mon + 0.5, 1, false), Tue + 0.5);
    EXPECT_EQ(rows.diffEffective(1, Mon, Tue + 1), 2);
    EXPECT_EQ(rows.substrEffective(1, Tue + 1.5, 1), Tue + 0.5);
    EXPECT_EQ(rows.substrEffective(0, Tue + 1.5, 1), Mon + 0.5);
    // The weekend rule ignores rows, the Saturday rule does not: both cover that Saturday.
    EXPECT_FALSE(rows.isWorking(Sat + 0.5, 2, tmDay));
    EXPECT_EQ(rows.diffEffective(2, Fri, Mon), 1);
}

TEST(CalendarArithmetic, WeekendExamplesAndOverlappingOccurrencesCrossedAsOne)
{
    TQVTDocumentCalendar calendar;
    calendar.addDateCategory(weekends());
    EXPECT_EQ(calendar.addEffective(Fri + 0.5, 1, false), Mon + 0.5);
    EXPECT_EQ(calendar.addEffective(Fri, 1, false), Sat);
    EXPECT_EQ(calendar.addEffective(Fri, 1, true), Mon);
    EXPECT_EQ(calendar.addEffective(Mon + 0.5, -1, false), Fri + 0.5);
    EXPECT_EQ(calendar.diffEffective(Fri + 0.5, Mon + 0.5), 1);
    EXPECT_EQ(calendar.diffEffective(Mon + 0.5, Fri + 0.5), -1);
    EXPECT_EQ(calendar.diffEffective(Sat, Sun), 0);
    // An end inside the weekend takes nothing of the weekend's rest away.
    EXPECT_EQ(calendar.diffEffective(Fri - 1, Sun), 2);
    EXPECT_EQ(calendar.diffEffective(Sun, Fri - 1), -2);
    EXPECT_EQ(calendar.diffEffective(Fri + 0.5, Sat + 0.5), 0.5);
    EXPECT_EQ(calendar.substrEffective(Mon + 0.5, 1), Fri + 0.5);
    EXPECT_EQ(calendar.substrEffective(Fri + 0.5, -1), Mon + 0.5);
    EXPECT_EQ(calendar.findFirstEffective(Sun + 15 * Hour), Mon);
    EXPECT_EQ(calendar.findFirstEffective(Tue + 0.3), Tue + 0.3);
    // Huge durations end after the last searched year.
    EXPECT_EQ(calendar.addEffective(Fri, HUGE_VAL, false), HUGE_VAL);
    EXPECT_TRUE(std::isnan(calendar.addEffective(Fri, NAN, false)));
    EXPECT_GT(calendar.addEffective(Fri, 1e7, false), 2958466.0);
    EXPECT_LT(calendar.substrEffective(Fri, 1e7), -693594.0);

    // Monthly from day 1 for 30.5 days leaves only the last afternoon of each month of 31 days.
    TQVTDocumentCalendar monthly;
    monthly.addDateCategory(category(
        "Closed", false,
        {std::make_shared<TQVTRecurringDateException>(tmMonth, 1, 1, 31, 0, 12, "", at(2000, 1, 1), at(2100, 1, 1))}));
    EXPECT_EQ(monthly.addEffective(at(2024, 1, 1), 1, false), at(2024, 4, 1));
    EXPECT_EQ(monthly.addEffective(at(2024, 1, 1), 1, true), at(2024, 5, 31, 12));
    EXPECT_EQ(monthly.substrEffective(at(2024, 4, 1), 1), at(2024, 1, 1));
    EXPECT_EQ(monthly.findFirstEffective(at(2024, 2, 10)), at(2024, 3, 31, 12));
    EXPECT_NEAR(monthly.diffEffective(at(2000, 1, 1), at(2100, 1, 1)), 100 * 7 * 0.5, 1e-6);
}

TEST(CalendarArithmetic, EmptyCalendarAndZeroLengthOccurrencesTakeNoTime)
{
    TQVTDocumentCalendar calendar;
    TDateTime start = 1;
    double length = 1;
    EXPECT_FALSE(calendar.findNextNonWorkingException(Fri, start, length, -1));
    EXPECT_TRUE(start == IQVTCalendar::NoNonWorkingTime && length == 0);
    EXPECT_FALSE(calendar.findPreviousNonWorkingException(Fri, start, length, -1));
    EXPECT_EQ(start, 0);
    EXPECT_EQ(calendar.addEffective(Fri, 2.5, true), Fri + 2.5);
    EXPECT_EQ(calendar.diffEffective(Fri, Tue), 4);
    EXPECT_TRUE(calendar.isWorking(Sat, -1, tmDay));

    calendar.addDateCategory(category(
        "Odd", false,
        {std::make_shared<TQVTFixedDateException>(Mon, Mon, ""), std::make_shared<TQVTFixedDateException>(Tue, Mon, ""),
         std::make_shared<TQVTRecurringDateException>(tmWeek, 1, 2, 2, 9, 9, "", at(2020, 1, 1), at(2030, 1, 1)),
         std::make_shared<TQVTRecurringDateException>(tmDay, 1, 0, 0, 5, 5, "", at(2020, 1, 1), at(2030, 1, 1))}));
    EXPECT_EQ(calendar.addEffective(Fri, 7, true), Fri + 7);
    EXPECT_EQ(calendar.substrEffective(Fri + 7, 7), Fri);
    EXPECT_EQ(calendar.diffEffective(Fri, Fri + 7), 7);
    EXPECT_EQ(calendar.findFirstEffective(Mon), Mon);
    EXPECT_TRUE(calendar.isWorking(Mon, -1, tmNone));
}

TEST(CalendarArithmetic, WeekendsAgreeWithADayWalkOverTenYears)
{
    TQVTDocumentCalendar calendar;
    calendar.addDateCategory(weekends());
    const TDateTime first = at(2020, 1, 1);
    std::vector<TDateTime> workdays; // every weekday of ten years, in order
    for (TDateTime d = first; d < first + 3653; d += 1) {
        if (DayOfTheWeek(d) <= 5)
            workdays.push_back(d);
    }
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::size_t> pick(0, workdays.size() - 1);
    for (int i = 0; i < 200; ++i) {
        std::size_t a = pick(rng);
        std::size_t b = pick(rng);
        if (a > b)
            std::swap(a, b);
        const double hours = (i % 24) * Hour;
        EXPECT_NEAR(calendar.diffEffective(workdays[a] + hours, workdays[b] + hours), double(b - a), 1e-6);
        // Adding n working days to a weekday's noon lands on the n-th weekday after it.
        EXPECT_NEAR(calendar.addEffective(workdays[a] + 0.5, double(b - a), false), workdays[b] + 0.5, 1e-6);
        EXPECT_NEAR(calendar.substrEffective(workdays[b] + 0.5, double(b - a)), workdays[a] + 0.5, 1e-6);
    }
}

TEST(CalendarArithmetic, IndexedSearchesEqualTheStraightforwardOnes)
{
    std::mt19937 rng(20261206);
    for (int round = 0; round < 60; ++round) {
        TQVTDocumentCalendar indexed;
        StraightforwardCalendar plain;
        randomCalendar(rng, {&indexed, &plain});
        std::uniform_real_distribution<double> moment(at(2019, 6, 1), at(2023, 6, 1));
        for (int i = 0; i < 40; ++i) {
            const TDateTime t = std::floor(moment(rng) * 48) / 48;
            TDateTime s1 = 0, s2 = 0;
            double l1 = 0, l2 = 0;
            ASSERT_EQ(indexed.findNextNonWorkingException(t, s1, l1, -1),
                      plain.findNextNonWorkingException(t, s2, l2, -1));
            ASSERT_EQ(s1, s2);
            ASSERT_EQ(l1, l2);
            ASSERT_EQ(indexed.findPreviousNonWorkingException(t, s1, l1, -1),
                      plain.findPreviousNonWorkingException(t, s2, l2, -1));
            ASSERT_EQ(s1, s2);
            ASSERT_EQ(l1, l2);
            const double d = moment(rng) / 40000;
            ASSERT_EQ(indexed.addEffective(t, d, true), plain.addEffective(t, d, true));
            ASSERT_EQ(indexed.substrEffective(t, d), plain.substrEffective(t, d));
            ASSERT_EQ(indexed.diffEffective(t, t + d * 2), plain.diffEffective(t, t + d * 2));
            ASSERT_EQ(indexed.isWorking(t, -1, tmHour), [&] {
                const TQVTDateCategory* c = nullptr;
                for (int k = 0; !c && k < plain.getCategoriesCount(); ++k) {
                    TQVTDateCategory* candidate = plain.getDateCategory(k);
                    for (int j = 0; !c && j < candidate->getDatesCount(); ++j)
                        c = candidate->getDateByIndex(j)->Matches(t, -1, tmHour) ? candidate : nullptr;
                }
                return !c || c->getWorking();
            }());
        }
    }
}

TEST(CalendarArithmetic, IdentitiesHoldOnRandomCalendars)
{
    std::mt19937 rng(4242);
    for (int round = 0; round < 80; ++round) {
        TQVTDocumentCalendar calendar;
        randomCalendar(rng, {&calendar});
        std::uniform_real_distribution<double> moment(at(2019, 6, 1), at(2023, 6, 1));
        std::uniform_real_distribution<double> duration(0, 400);
        for (int i = 0; i < 25; ++i) {
            const TDateTime a = moment(rng);
            if (!calendar.isWorking(a, -1, tmHour))
                continue;
            const double d = std::floor(duration(rng) * 24) / 24;
            const TDateTime b = calendar.addEffective(a, d, false);
            ASSERT_NEAR(calendar.diffEffective(a, b), d, 1e-6) << "round " << round;
            ASSERT_NEAR(calendar.diffEffective(b, a), -d, 1e-6);
            // Going back lands on a or on the end of the working time just before it.
            const TDateTime back = calendar.substrEffective(b, d);
            ASSERT_NEAR(calendar.findFirstEffective(back), calendar.findFirstEffective(a), 1e-6) << "round " << round;
            ASSERT_NEAR(calendar.diffEffective(back, a), 0, 1e-6);
            ASSERT_TRUE(calendar.isWorking(calendar.findFirstEffective(a + d), -1, tmHour));
        }
    }
}

// Indexes built by earlier queries must follow every change of the lists they index.
TEST(CalendarChanges, ReplacedCategoriesAndDatesAreAnswered)
{
    TQVTDocumentCalendar calendar;
    calendar.addDateCategory(category("Old", false, {std::make_shared<TQVTFixedDateException>(Mon, "Old")}));
    ASSERT_FALSE(calendar.isWorking(Mon + 0.5, -1, tmDay));
    ASSERT_EQ(calendar.addEffective(Sun, 1.5, false), Tue + 0.5);

    calendar.removeDateCategory("Old");
    calendar.addDateCategory(category("New", false, {std::make_shared<TQVTFixedDateException>(Tue, "New")}));
    EXPECT_TRUE(calendar.isWorking(Mon + 0.5, -1, tmDay));
    EXPECT_FALSE(calendar.isWorking(Tue + 0.5, -1, tmDay));
    EXPECT_EQ(calendar.getDateLabel(Tue + 0.5, tmDay), "New");
    EXPECT_EQ(calendar.addEffective(Sun, 2.5, false), Tue + 1.5);
    EXPECT_EQ(calendar.substrEffective(Tue + 1.5, 1), Mon + 0.5);

    // The whole list replaced by one of the same size.
    const std::vector<std::shared_ptr<TQVTDateCategory>> categories = {
        category("Other", false, {std::make_shared<TQVTFixedDateException>(Fri, "Other")})};
    calendar.FCategories = categories;
    EXPECT_TRUE(calendar.isWorking(Tue + 0.5, -1, tmDay));
    EXPECT_FALSE(calendar.isWorking(Fri + 0.5, -1, tmDay));
    EXPECT_EQ(calendar.addEffective(Fri - 1, 1.5, false), Sat + 0.5);

    // The dates of a category copied into the list's own buffer: same size, same buffer, no call
    // through the category.
    auto holidays = category("Holidays", false, {std::make_shared<TQVTFixedDateException>(Mon, "Feast")});
    calendar.FCategories = std::vector<std::shared_ptr<TQVTDateCategory>>{holidays};
    ASSERT_FALSE(calendar.isWorking(Mon + 0.5, -1, tmDay));
    ASSERT_EQ(calendar.addEffective(Sun, 1.5, false), Tue + 0.5);
    const std::vector<std::shared_ptr<TQVTDateException>> replacement = {
        std::make_shared<TQVTFixedDateException>(Tue, "Fair")};
    holidays->FDates = replacement;
    EXPECT_TRUE(calendar.isWorking(Mon + 0.5, -1, tmDay));
    EXPECT_FALSE(calendar.isWorking(Tue + 0.5, -1, tmDay));
    EXPECT_EQ(calendar.getDateLabel(Tue + 0.5, tmDay), "Fair");
    EXPECT_EQ(calendar.addEffective(Sun, 1.5, false), Mon + 0.5);
    EXPECT_EQ(calendar.diffEffective(Sun, Tue + 1), 2);
}
