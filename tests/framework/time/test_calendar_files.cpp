// The calendar in document files: every category and exception kind through a save and a load,
// the stored defaults and hostile values.

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/framework/time/qvtTimeScale.h"
#include "corvane/platform/DateUtils.h"

#include "support/DocumentFileTest.h"

#include <gtest/gtest.h>

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
    auto own = std::make_shared<TQVTDateCategory>("Maintenance", 0x00FF8000);
    own->addDate(std::make_shared<TQVTFixedDateException>(SampleDay + 0.25, SampleDay + 0.5, "Backup"));
    own->addDate(
        std::make_shared<TQVTRecurringDateException>(tmMonth, 2, 28, 3, 22, 6, "Close", SampleDay, SampleDay + 900));
    calendar->addDateCategory(own);

    auto loaded = roundTrip(calendar);
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->getCategoriesCount(), 5);
    EXPECT_TRUE(capture.messages.empty());

    // The weekend rule has no stored form: its category comes back as the predefined one.
    auto& weekends = as<TQVTWeekendsDateCategory>(loaded->getDateCategory(0));
    EXPECT_EQ(weekends.getName(), "Weekends");
    EXPECT_EQ(weekends.getDatesCount(), 1);
    // Flags are not stored: a plain category comes back non-working.
    EXPECT_EQ(loaded->getDateCategory(1)->getName(), "Vacations");
    EXPECT_FALSE(loaded->getDateCategory(1)->getWorking());

    auto& loadedHolidays = as<TQVTWeekendsDateCategory>(loaded->getDateCategory(2));
    EXPECT_EQ(loadedHolidays.getColor(), 0x023434FFu);
    // Predefined categories keep the exceptions added to them.
    ASSERT_EQ(loadedHolidays.getDatesCount(), 2);
    auto& eve = as<TQVTFixedDateException>(loadedHolidays.getDateByIndex(1));
    EXPECT_EQ(eve.getName(), "Christmas Eve");
    EXPECT_EQ(eve.getDateFrom(), SampleDay);
    EXPECT_EQ(eve.getDateTo(), SampleDay + 1);
    EXPECT_EQ(eve.getVisibleTimeMode(), tmDay);

    auto* maintenance = loaded->getDateCategory(4);
    EXPECT_EQ(maintenance->getName(), "Maintenance");
    EXPECT_EQ(maintenance->getColor(), 0x00FF8000u);
    EXPECT_TRUE(maintenance->getVisible());
    ASSERT_EQ(maintenance->getDatesCount(), 2);
    auto& backup = as<TQVTFixedDateException>(maintenance->getDateByIndex(0));
    EXPECT_EQ(backup.getDateFrom(), SampleDay + 0.25);
    EXPECT_EQ(backup.getVisibleTimeMode(), tmHour);
    auto& close = as<TQVTRecurringDateException>(maintenance->getDateByIndex(1));
    EXPECT_EQ(close.getName(), "Close");
    EXPECT_EQ(close.getRecurringTimeMode(), tmMonth);
    EXPECT_EQ(close.getRecurringPeriod(), 2);
    EXPECT_EQ(close.getDayFrom(), 28);
    EXPECT_EQ(close.getDayTo(), 3);
    EXPECT_EQ(close.getHourFrom(), 22);
    EXPECT_EQ(close.getHourTo(), 6);
    EXPECT_EQ(close.getDateFrom(), EncodeDate(2026, 12, 1));
    EXPECT_EQ(close.getDateTo(), StartOfPeriod(SampleDay + 900, tmMonth));
    EXPECT_TRUE(close.Matches(EncodeDate(2027, 3, 1), -1, tmNone));
}

TEST_F(CalendarFile, PredefinedCategoriesAreChosenBySectionName)
{
    const auto calendar = std::dynamic_pointer_cast<TQVTDocumentCalendar>(loadFrom(R"(
[Cal]
typeID=Document Calendar
categories#count=4
categories#0=Holidays
categories#1=Vacations
categories#2=Special
categories#3=Plain
[Holidays]
typeID=Predefined Date Category
Color=$023434FF
[Vacations]
typeID=Predefined Date Category
[Special]
typeID=Predefined Date Category
Color=clRed
[Plain]
typeID=Date Category
)",
                                                                                   "Cal"));
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
    EXPECT_FALSE(calendar->isWorking(EncodeDate(2026, 12, 5), -1, tmDay));
}

TEST_F(CalendarFile, RecurringDefaultsAndHostileValues)
{
    const auto category = std::dynamic_pointer_cast<TQVTDateCategory>(loadFrom(R"(
[C]
typeID=Date Category
exceptions#count=4
exceptions#0=Defaults
exceptions#1=Absurd
exceptions#2=Reversed
exceptions#3=Empty
[Defaults]
typeID=Recurring Date Exception
[Absurd]
typeID=Recurring Date Exception
DateFrom=40000
DateTo=50000
RecurringTimeMode=99
RecurringPeriod=65535
DayFrom=70000
DayTo=-5
HourFrom=300
HourTo=24
[Reversed]
typeID=Recurring Date Exception
DateFrom=50000
DateTo=40000
RecurringTimeMode=2
RecurringPeriod=0
HourFrom=8
HourTo=9
[Empty]
typeID=Fixed Date Exception
DateFrom=45000
DateTo=45000
)",
                                                                               "C"));
    ASSERT_TRUE(category);
    ASSERT_EQ(category->getDatesCount(), 4);
    auto* defaults = dynamic_cast<TQVTRecurringDateException*>(category->getDateByIndex(0));
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->getRecurringTimeMode(), tmWeek);
    EXPECT_EQ(defaults->getRecurringPeriod(), 1);
    EXPECT_EQ(defaults->getDayFrom(), 6);
    EXPECT_EQ(defaults->getDayTo(), 1);
    EXPECT_EQ(defaults->getHourFrom(), 0);

    auto* absurd = dynamic_cast<TQVTRecurringDateException*>(category->getDateByIndex(1));
    ASSERT_TRUE(absurd);
    EXPECT_EQ(absurd->getRecurringTimeMode(), tmNone);
    EXPECT_EQ(absurd->getRecurringPeriod(), 65535);
    EXPECT_EQ(absurd->getDayFrom(), 65535);
    EXPECT_EQ(absurd->getDayTo(), 0);
    EXPECT_EQ(absurd->getHourFrom(), 255);

    auto* reversed = dynamic_cast<TQVTRecurringDateException*>(category->getDateByIndex(2));
    ASSERT_TRUE(reversed);
    EXPECT_EQ(reversed->getRecurringPeriod(), 1);
    EXPECT_EQ(reversed->getDateFrom(), EncodeDate(1970, 1, 1));
    EXPECT_TRUE(reversed->Matches(EncodeDate(2500, 1, 1) + 8.5 / 24, -1, tmHour));

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
