// Documents found by fuzzing the loader (tests/data/repro) survive a reload and answer promptly.

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/framework/time/qvtTimeScale.h"
#include "corvane/platform/DateUtils.h"

#include "support/DocumentFileTest.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

const TDateTime InsideTheYears = EncodeDate(2026, 1, 5) + 0.5;
constexpr TDateTime AfterYear9999 = 2990000.5;
constexpr TDateTime BeforeYear1 = -695000.5;
constexpr TDateTime FirstDay = -693593.0;      // 1 January 0001
constexpr TDateTime LastDayOf9999 = 2958465.0; // 31 December 9999

class ReproducingDocument : public test::DocumentFileTest {
protected:
    // Loads the document, saves it, loads that and saves it again: the two saves must be the
    // same bytes. Answers the document loaded from the first save.
    std::shared_ptr<TQVTGanttDocument> reloaded(const std::string& file)
    {
        const auto original = loadFile(std::string(CORVANE_TEST_DATA) + "/repro/" + file);
        EXPECT_NE(original, nullptr);
        if (!original)
            return nullptr;
        const std::string firstSave = saveToFile(original);
        capture.messages.clear();
        const auto document = std::dynamic_pointer_cast<TQVTGanttDocument>(loadFile(firstSave));
        EXPECT_NE(document, nullptr);
        if (!document)
            return nullptr;
        EXPECT_EQ(test::readFile(saveToFile(document)), test::readFile(firstSave));
        return document;
    }
    TQVTDocumentCalendar* calendarOf(const std::string& file)
    {
        document = reloaded(file);
        return document ? document->Fcalendar.get() : nullptr;
    }
    std::shared_ptr<TQVTGanttDocument> document;
};

} // namespace

TEST_F(ReproducingDocument, AGridTheDocumentDoesNotHoldIsWrittenWithItsTier)
{
    const auto document = reloaded("scale-grid-dangling.ini");
    ASSERT_TRUE(document && document->FScales.size() == 1 && document->FScales[0]);
    EXPECT_TRUE(capture.messages.empty()) << capture.messages.front();
    const auto* grid = dynamic_cast<const TQVTGanttTable*>(document->FScales[0]->FGrid.get());
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->getUID(), "Plan");
    EXPECT_EQ(document->Ftable, nullptr);
}

TEST_F(ReproducingDocument, ExceptionsCoveringTheYearsOrDefaultedDatesAnswerAtTheirEnds)
{
    ASSERT_NE(calendarOf("calendar-no-working-time.ini"), nullptr);
    TQVTDocumentCalendar& calendar = *document->Fcalendar;
    // The overlapping days run from 1 January 0001 to the exception's end, 31 December 9999.
    EXPECT_FALSE(calendar.isWorking(InsideTheYears, -1, tmHour));
    EXPECT_EQ(calendar.findFirstEffective(InsideTheYears), LastDayOf9999);
    EXPECT_EQ(calendar.addEffective(InsideTheYears, 1, true), LastDayOf9999 + 1);
    EXPECT_EQ(calendar.substrEffective(InsideTheYears, 1), FirstDay - 1);
    EXPECT_EQ(calendar.diffEffective(InsideTheYears, InsideTheYears + 7), 0);
    TDateTime start = 0;
    double length = 0;
    ASSERT_TRUE(calendar.findNextNonWorkingException(InsideTheYears, start, length, -1));
    EXPECT_EQ(start + length, LastDayOf9999);
    ASSERT_TRUE(calendar.findPreviousNonWorkingException(InsideTheYears, start, length, -1));
    EXPECT_EQ(start - length, FirstDay);

    // An exception with defaulted dates leaves no working time from 1970 to 3000.
    ASSERT_NE(calendarOf("calendar-walk-found.ini"), nullptr);
    TQVTDocumentCalendar& walk = *document->Fcalendar;
    // Two of the four categories failed to load; only the other two are written.
    ASSERT_EQ(walk.getCategoriesCount(), 2);
    EXPECT_EQ(walk.getDateCategory(1)->getName(), "Night shifts");
    // Weekly from day 6 for 25.5 days: from Saturday 3 January 1970 to the week of 1 January 3000.
    const TDateTime first = EncodeDate(1970, 1, 3);
    const TDateTime last = EncodeDate(2999, 12, 30);
    EXPECT_FALSE(walk.isWorking(InsideTheYears, -1, tmHour));
    EXPECT_EQ(walk.findFirstEffective(InsideTheYears), last);
    EXPECT_EQ(walk.addEffective(InsideTheYears, 1, true), last + 1);
    EXPECT_EQ(walk.substrEffective(InsideTheYears, 1), first - 1);
    EXPECT_EQ(walk.diffEffective(first - 1, last + 1), 2);
}

TEST_F(ReproducingDocument, WeekendSearchesBeyondTheYearsStopAtOnce)
{
    for (const auto& [file, t] : {std::pair{"weekends-after-year-9999.ini", AfterYear9999},
                                  std::pair{"weekends-before-year-1.ini", BeforeYear1}}) {
        SCOPED_TRACE(file);
        ASSERT_NE(calendarOf(file), nullptr);
        TQVTDocumentCalendar& calendar = *document->Fcalendar;
        ASSERT_EQ(calendar.getCategoriesCount(), 41);
        EXPECT_EQ(calendar.getDateCategory(40)->getName(), "Weekends");
        EXPECT_TRUE(calendar.isWorking(t, -1, tmNone));
        EXPECT_EQ(calendar.findFirstEffective(t), t);
        EXPECT_EQ(calendar.addEffective(t, 1, true), t + 1);
        EXPECT_EQ(calendar.substrEffective(t, 1), t - 1);
        EXPECT_EQ(calendar.diffEffective(t - 7, t + 7), 14);
        TDateTime start = 0;
        double length = 0;
        EXPECT_FALSE(t > 0 ? calendar.findNextNonWorkingException(t, start, length, -1)
                           : calendar.findPreviousNonWorkingException(t, start, length, -1));
    }
}
