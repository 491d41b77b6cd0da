// The calendar in document files: round trips, stored defaults and hostile values.

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/framework/time/qvtTimeScale.h"
#include "corvane/platform/DateUtils.h"

#include "support/DocumentFileTest.h"

#include <gtest/gtest.h>
#include <random>

using namespace corvane;

namespace {

class CalendarFile : public test::DocumentFileTest {
protected:
    // Saves the calendar and loads it back from its own section.
    std::shared_ptr<TQVTDocumentCalendar> roundTrip(const std::shared_ptr<TQVTDocumentCalendar>& calendar)
    {
        const std::string path = saveToFile(calendar);
        return std::dynamic_pointer_cast<TQVTDocumentCalendar>(loadFile(path, calendar->getUID()));
    }

    template <typename T>
    std::shared_ptr<T> load(const std::string& ini, const std::string& section)
    {
        return std::dynamic_pointer_cast<T>(loadFrom(ini, section));
    }

    template <typename T>
    static T& as(TQVTGanttObject* object)
    {
        auto* typed = dynamic_cast<T*>(object);
        EXPECT_NE(typed, nullptr);
        return *typed;
    }
};

const TDateTime SampleDay = EncodeDate(2026, 12, 24);

} // namespace

TEST_F(CalendarFile, EveryCategoryAndExceptionKindSurvivesSaveAndLoad)
{
    auto calendar = std::make_shared<TQVTDocumentCalendar>();
    calendar->AddPredefinedCategories();
    auto holidays = std::make_shared<TQVTHolidaysDateCategory>();
    holidays->setColor(0x023434FF);
    holidays->addDate(std::make_shared<TQVTFixedDateException>(SampleDay, "Christmas Eve"));
    calendar->addDateCategory(holidays);
    calendar->addDateCategory(std::make_shared<TQVTWeekendsDateCategory>());
    calendar->getDateCategory(3)->setVisible(false);
    auto own = std::make_shared<TQVTDateCategory>("Maintenance", 0x00FF8000);
    own->addDate(std::make_shared<TQVTFixedDateException>(SampleDay + 0.25, SampleDay + 0.5, "Backup"));
    own->addDate(
        std::make_shared<TQVTRecurringDateException>(tmMonth, 2, 28, 3, 22, 6, "Close", SampleDay, SampleDay + 900));
    calendar->addDateCategory(own);

    auto loaded = roundTrip(calendar);
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->getCategoriesCount(), 5);
    EXPECT_TRUE(capture.messages.empty());
    // Field-by-field comparison is done on random calendars below; here the class choices.
    // The weekend rule has no stored form: its category comes back as the predefined one.
    EXPECT_EQ(as<TQVTWeekendsDateCategory>(loaded->getDateCategory(0)).getDatesCount(), 1);
    // Made at run time, the holidays have no section of their own name to come back from.
    auto* loadedHolidays = loaded->getDateCategory(2);
    EXPECT_EQ(loadedHolidays->getName(), "Holidays");
    EXPECT_EQ(loadedHolidays->getColor(), 0x023434FFu);
    ASSERT_EQ(loadedHolidays->getDatesCount(), 1);
    auto& eve = as<TQVTFixedDateException>(loadedHolidays->getDateByIndex(0));
    EXPECT_EQ(eve.getDateTo(), SampleDay + 1);
    EXPECT_FALSE(as<TQVTWeekendsDateCategory>(loaded->getDateCategory(3)).getVisible());
    ASSERT_EQ(loaded->getDateCategory(4)->getDatesCount(), 2);
    auto& close = as<TQVTRecurringDateException>(loaded->getDateCategory(4)->getDateByIndex(1));
    EXPECT_TRUE(close.Matches(EncodeDate(2027, 3, 1), -1, tmNone));
}

TEST_F(CalendarFile, PredefinedCategoriesAreChosenBySectionNameAndStoredFlagsOverrideTheClasses)
{
    const auto calendar = load<TQVTDocumentCalendar>(
        "[Cal]\ntypeID=Document Calendar\ncategories#count=4\ncategories#0=Holidays\ncategories#1=Vacations\n"
        "categories#2=Special\ncategories#3=Plain\n"
        "[Holidays]\ntypeID=Predefined Date Category\nColor=$023434FF\n"
        "[Vacations]\ntypeID=Predefined Date Category\n"
        "[Special]\ntypeID=Predefined Date Category\nColor=clRed\n[Plain]\ntypeID=Date Category\n",
        "Cal");
    ASSERT_TRUE(calendar);
    ASSERT_EQ(calendar->getCategoriesCount(), 4);
    EXPECT_EQ(calendar->getDateCategory(0)->ClassName(), "TQVTHolidaysDateCategory");
    EXPECT_EQ(calendar->getDateCategory(0)->getColor(), 0x023434FFu);
    EXPECT_TRUE(calendar->getDateCategory(1)->getWorking());
    EXPECT_EQ(calendar->getDateCategory(1)->getColor(), 0u);
    EXPECT_EQ(calendar->getDateCategory(2)->getName(), "Weekends");
    EXPECT_EQ(calendar->getDateCategory(2)->getColor(), 0x0000FFu);
    EXPECT_EQ(calendar->getDateCategory(3)->getName(), "");
    EXPECT_EQ(calendar->getDateCategory(3)->getDatesCount(), 0);
    // Files without flags give the flags of the classes.
    EXPECT_FALSE(calendar->getDateCategory(0)->getWorking());
    EXPECT_FALSE(calendar->getDateCategory(2)->getWorking());
    EXPECT_FALSE(calendar->getDateCategory(3)->getWorking());
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(calendar->getDateCategory(i)->getVisible());
    EXPECT_FALSE(calendar->isWorking(EncodeDate(2026, 12, 5), -1, tmDay));

    // Stored flags and names override those of the classes.
    const auto stored = load<TQVTDocumentCalendar>(
        "[Cal]\ntypeID=Document Calendar\ncategories#count=4\ncategories#0=Vacations\ncategories#1=Plain\n"
        "categories#2=Shifts\ncategories#3=Weekends\n"
        "[Vacations]\ntypeID=Predefined Date Category\nWorking=0\n"
        "[Plain]\ntypeID=Date Category\nName=Fair\nWorking=1\nVisible=0\n"
        "[Shifts]\ntypeID=Predefined Date Category\nName=Night shifts\nColor=clRed\n"
        "[Weekends]\ntypeID=Predefined Date Category\nName=Weekends\n",
        "Cal");
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->getCategoriesCount(), 4);
    EXPECT_FALSE(stored->getDateCategory(0)->getWorking());
    EXPECT_TRUE(stored->getDateCategory(1)->getWorking());
    EXPECT_FALSE(stored->getDateCategory(1)->getVisible());
    // A category holding the weekend rule under a name of its own.
    TQVTDateCategory* shifts = stored->getDateCategory(2);
    EXPECT_EQ(shifts->getName(), "Night shifts");
    EXPECT_EQ(shifts->getColor(), 0x0000FFu);
    ASSERT_EQ(shifts->getDatesCount(), 1);
    EXPECT_EQ(shifts->getDateByIndex(0)->ClassName(), "TQVTWeekend");
    EXPECT_EQ(stored->getDateCategory(3)->ClassName(), "TQVTWeekendsDateCategory");
}

TEST_F(CalendarFile, CategoriesThatFailedToLoadAreNotWrittenAsEmptyNames)
{
    const auto calendar = load<TQVTDocumentCalendar>(
        "[Cal]\ntypeID=Document Calendar\ncategories#count=3\ncategories#0=Gone\ncategories#1=Plain\n"
        "categories#2=Broken\n"
        "[Plain]\ntypeID=Date Category\nName=Fair\n[Broken]\ntypeID=Dat Category\n",
        "Cal");
    ASSERT_TRUE(calendar);
    EXPECT_EQ(calendar->getCategoriesCount(), 3);
    capture.messages.clear();
    const auto reloaded =
        std::dynamic_pointer_cast<TQVTDocumentCalendar>(loadFile(saveToFile(calendar), calendar->getUID()));
    ASSERT_TRUE(reloaded);
    EXPECT_TRUE(capture.messages.empty());
    ASSERT_EQ(reloaded->getCategoriesCount(), 1);
    EXPECT_EQ(reloaded->getDateCategory(0)->getName(), "Fair");
}

TEST_F(CalendarFile, RecurringDefaultsAndHostileValues)
{
    const auto category = load<TQVTDateCategory>(
        "[C]\ntypeID=Date Category\nexceptions#count=4\nexceptions#0=Defaults\nexceptions#1=Absurd\n"
        "exceptions#2=Reversed\nexceptions#3=Empty\n"
        "[Defaults]\ntypeID=Recurring Date Exception\n"
        "[Absurd]\ntypeID=Recurring Date Exception\nDateFrom=40000\nDateTo=50000\nRecurringTimeMode=99\n"
        "RecurringPeriod=65535\nDayFrom=70000\nDayTo=-5\nHourFrom=300\nHourTo=24\n"
        "[Reversed]\ntypeID=Recurring Date Exception\nDateFrom=50000\nDateTo=40000\nRecurringTimeMode=2\n"
        "RecurringPeriod=0\nHourFrom=8\nHourTo=9\n"
        "[Empty]\ntypeID=Fixed Date Exception\nDateFrom=45000\nDateTo=45000\n",
        "C");
    ASSERT_TRUE(category);
    ASSERT_EQ(category->getDatesCount(), 4);
    // Mode, period, days and first hour of each recurring exception.
    const auto fields = [&](int i) {
        const auto* e = dynamic_cast<TQVTRecurringDateException*>(category->getDateByIndex(i));
        return e ? std::vector<int>{e->getRecurringTimeMode(), e->getRecurringPeriod(), e->getDayFrom(), e->getDayTo(),
                                    e->getHourFrom()}
                 : std::vector<int>{};
    };
    EXPECT_EQ(fields(0), (std::vector<int>{tmWeek, 1, 6, 1, 0})) << "the defaults";
    EXPECT_EQ(fields(1), (std::vector<int>{tmNone, 65535, 65535, 0, 255})) << "clamped";
    auto& reversed = dynamic_cast<TQVTRecurringDateException&>(*category->getDateByIndex(2));
    EXPECT_EQ(reversed.getRecurringPeriod(), 1);
    EXPECT_EQ(reversed.getDateFrom(), EncodeDate(1970, 1, 1));
    EXPECT_TRUE(reversed.Matches(EncodeDate(2500, 1, 1) + 8.5 / 24, -1, tmHour));

    TQVTDocumentCalendar calendar;
    calendar.FCategories.push_back(category);
    const TDateTime start = EncodeDate(2026, 12, 7);
    EXPECT_NEAR(calendar.addEffective(start, 2, true), start + 2 + 2.0 / 24, 1e-9);
    EXPECT_NEAR(calendar.diffEffective(start, start + 1), 23.0 / 24, 1e-9);
}

namespace corvane {
namespace {

// Changing the calendar's unit snaps the document's start date and relates the time scales anew.
TEST(CalendarTimeMode, SnapsTheDocumentStartAndUpdatesTheTimeScales)
{
    auto shared = std::make_shared<TQVTGanttDocument>();
    TQVTGanttDocument& document = *shared;
    document.Fcalendar = std::make_shared<TQVTDocumentCalendar>();
    document.Fcalendar->setParent(&document);
    auto scale = std::make_shared<TQVTTimeScale>();
    document.FScales.push_back(scale);
    scale->Update(tmDay);
    const TDateTime wednesday = EncodeDate(2026, 8, 19) + 0.5;
    document.setStartDate(wednesday);
    EXPECT_EQ(document.getStartDate(), wednesday) << "days do not snap";

    document.Fcalendar->SetTimeMode(tmWeek);
    EXPECT_EQ(document.getStartDate(), EncodeDate(2026, 8, 17));
    EXPECT_EQ(scale->getTimeMode(), tmWeek);

    document.Fcalendar->SetTimeMode(tmQuarter);
    EXPECT_EQ(document.getStartDate(), EncodeDate(2026, 7, 1));
    EXPECT_EQ(scale->getTimeMode(), tmQuarter);

    document.Fcalendar->SetTimeMode(tmDecade);
    EXPECT_EQ(document.getStartDate(), EncodeDate(2020, 1, 1));
    document.setStartDate(EncodeDate(5, 6, 7));
    EXPECT_EQ(document.getStartDate(), EncodeDate(1, 1, 1)) << "there is no year 0";

    TQVTDocumentCalendar alone;
    alone.SetTimeMode(tmMonth);
    EXPECT_EQ(alone.getTimeMode(), tmMonth);
}

} // namespace
} // namespace corvane

namespace {

const TDateTime PlanStart = EncodeDate(2026, 3, 2);

// A document whose table has three rows, two of them blocked on some days, so that the answers
// for rows are compared as well. Row 0 is blocked on no day and answers as no row.
struct Plan {
    Plan()
    {
        document->Ftable = std::make_shared<TQVTGanttTable>();
        document->Ftable->setParent(document.get());
        for (int i = 0; i < 3; ++i) {
            auto row = std::make_shared<TQVTGanttRow>();
            row->setParent(document->Ftable.get());
            document->Ftable->FRows.push_back(row);
        }
        for (int day = 3; day < 400; day += 37)
            document->Ftable->FRows[1]->AddBlockedDate(PlanStart + day);
        for (int week = 0; week < 50; week += 3)
            document->Ftable->FRows[2]->AddBlockedDate(PlanStart + 5 + 7 * week);
    }
    void use(const std::shared_ptr<TQVTDocumentCalendar>& calendar)
    {
        document->Fcalendar = calendar;
        calendar->setParent(document.get());
    }

    std::shared_ptr<TQVTGanttDocument> document = std::make_shared<TQVTGanttDocument>();
};

class CalendarBuilder {
public:
    explicit CalendarBuilder(unsigned seed) : rng(seed) {}

    // Categories of every kind, with flags and colours changed at run time and exceptions of
    // every stored kind added.
    std::shared_ptr<TQVTDocumentCalendar> calendar()
    {
        auto calendar = std::make_shared<TQVTDocumentCalendar>();
        const int categories = pick(1, 6);
        for (int i = 0; i < categories; ++i) {
            const int before = calendar->getCategoriesCount();
            const int kind = pick(0, 5);
            if (kind == 0 || kind == 1) {
                auto plain = std::make_shared<TQVTDateCategory>((kind ? "Shifts " : "Plain ") + std::to_string(i));
                if (kind == 1)
                    plain->addDate(std::make_shared<TQVTWeekend>());
                calendar->addDateCategory(plain);
            } else if (kind == 2) {
                calendar->addDateCategory(std::make_shared<TQVTWeekendsDateCategory>());
            } else if (kind == 3) {
                calendar->addDateCategory(std::make_shared<TQVTHolidaysDateCategory>());
            } else if (kind == 4) {
                calendar->addDateCategory(std::make_shared<TQVTVacationsDateCategory>());
            } else {
                calendar->AddPredefinedCategories();
            }
            for (int c = before; c < calendar->getCategoriesCount(); ++c)
                vary(*calendar->getDateCategory(c));
        }
        return calendar;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

    void vary(TQVTDateCategory& category)
    {
        category.setColor(static_cast<TColor>(pick(0, 0xFFFFFF)));
        if (pick(0, 2) == 0)
            category.setWorking(!category.getWorking());
        if (pick(0, 3) == 0)
            category.setVisible(false);
        const int exceptions = pick(0, 3);
        for (int i = 0; i < exceptions; ++i)
            category.addDate(exception());
    }

    std::shared_ptr<TQVTDateException> exception()
    {
        const std::string name = pick(0, 2) == 0 ? std::string() : "E" + std::to_string(pick(0, 99));
        const TDateTime from = PlanStart + pick(-30, 380) + pick(0, 23) / 24.0;
        if (pick(0, 2) == 0)
            return std::make_shared<TQVTFixedDateException>(from, from + pick(1, 24 * 20) / 24.0, name);
        // Occurrences of every unit, some wrapping, some longer than their period; now and then
        // reversed dates, which stand for 1970 to 3000.
        const TDateTime to = pick(0, 9) == 0 ? from - 1 : from + pick(30, 500);
        return std::make_shared<TQVTRecurringDateException>(
            static_cast<TQVTTimeMode>(pick(tmHour, tmDecade)), static_cast<std::uint16_t>(pick(1, 3)),
            static_cast<std::uint16_t>(pick(0, 31)), static_cast<std::uint16_t>(pick(0, 31)),
            static_cast<std::uint8_t>(pick(0, 47)), static_cast<std::uint8_t>(pick(0, 47)), name, from, to);
    }

    std::mt19937 rng;
};

// The stored values of an exception, whatever its kind.
std::vector<double> storedValues(TQVTDateException& e)
{
    std::vector<double> v;
    if (const auto* f = dynamic_cast<TQVTFixedDateException*>(&e))
        v = {f->getDateFrom(), f->getDateTo(), double(f->getVisibleTimeMode())};
    if (const auto* r = dynamic_cast<TQVTRecurringDateException*>(&e))
        v.insert(v.end(), {double(r->getRecurringTimeMode()), double(r->getRecurringPeriod()), double(r->getDayFrom()),
                           double(r->getDayTo()), double(r->getHourFrom()), double(r->getHourTo())});
    return v;
}

void expectSameExceptions(TQVTDateCategory& a, TQVTDateCategory& b)
{
    ASSERT_EQ(a.getDatesCount(), b.getDatesCount());
    for (int i = 0; i < a.getDatesCount(); ++i) {
        TQVTDateException* x = a.getDateByIndex(i);
        TQVTDateException* y = b.getDateByIndex(i);
        EXPECT_EQ(x->ClassName(), y->ClassName());
        EXPECT_EQ(x->getName(), y->getName());
        EXPECT_EQ(storedValues(*x), storedValues(*y));
    }
}

void expectSameCategories(TQVTDocumentCalendar& a, TQVTDocumentCalendar& b)
{
    ASSERT_EQ(a.getCategoriesCount(), b.getCategoriesCount());
    for (int i = 0; i < a.getCategoriesCount(); ++i) {
        SCOPED_TRACE("category " + std::to_string(i));
        TQVTDateCategory* x = a.getDateCategory(i);
        TQVTDateCategory* y = b.getDateCategory(i);
        ASSERT_NE(y, nullptr);
        EXPECT_EQ(x->getName(), y->getName());
        EXPECT_EQ(x->getColor(), y->getColor());
        EXPECT_EQ(x->getWorking(), y->getWorking());
        EXPECT_EQ(x->getVisible(), y->getVisible());
        expectSameExceptions(*x, *y);
    }
}

constexpr int Rows[] = {-1, 1, 2};

void expectSameAnswers(TQVTDocumentCalendar& a, TQVTDocumentCalendar& b)
{
    for (TDateTime t = PlanStart - 40; t < PlanStart + 420; t += 2.9) {
        for (TQVTTimeMode mode : {tmHour, tmDay, tmWeek, tmMonth}) {
            ASSERT_EQ(a.getDateLabel(t, mode), b.getDateLabel(t, mode)) << "at " << t << " in mode " << mode;
            for (int row : Rows)
                ASSERT_EQ(a.isWorking(t, row, mode), b.isWorking(t, row, mode)) << "at " << t << " row " << row;
        }
    }
    for (TDateTime t = PlanStart - 40; t < PlanStart + 420; t += 19.7) {
        for (int row : Rows) {
            ASSERT_EQ(a.addEffective(row, t, 3.25, true), b.addEffective(row, t, 3.25, true)) << "at " << t;
            ASSERT_EQ(a.substrEffective(row, t, 3.25), b.substrEffective(row, t, 3.25)) << "at " << t;
            ASSERT_EQ(a.diffEffective(row, t, t + 20), b.diffEffective(row, t, t + 20)) << "at " << t;
            ASSERT_EQ(a.findFirstEffective(t, row), b.findFirstEffective(t, row)) << "at " << t;
        }
    }
}

} // namespace

// Whatever categories and exceptions a calendar is built from, the calendar loaded from its
// file answers as it did, and saving that gives the same file again.
TEST_F(CalendarFile, CalendarsAnswerAlikeAfterSaveAndLoad)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Plan original;
        Plan reloaded;
        const auto calendar = CalendarBuilder(seed).calendar();
        original.use(calendar);
        const std::string saved = saveToFile(calendar);
        const auto loaded = std::dynamic_pointer_cast<TQVTDocumentCalendar>(loadFile(saved, calendar->getUID()));
        ASSERT_NE(loaded, nullptr);
        reloaded.use(loaded);
        EXPECT_TRUE(capture.messages.empty());

        expectSameCategories(*calendar, *loaded);
        expectSameAnswers(*calendar, *loaded);
        EXPECT_EQ(test::readFile(saveToFile(loaded)), test::readFile(saved));
    }
}
