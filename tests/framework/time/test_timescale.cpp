// Time-scale tiers: their units relative to the calendar, sizes, labels and stored keys.
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/time/qvtTimeScale.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/FormatSettings.h"

#include "support/DocumentFileTest.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace corvane;

namespace {

// A tier related to a calendar in calendarMode with the given offset.
std::shared_ptr<TQVTTimeScale> Tier(std::int32_t offset, TQVTTimeMode calendarMode)
{
    auto scale = std::make_shared<TQVTTimeScale>();
    scale->FRelativeTM = offset;
    scale->Update(calendarMode);
    return scale;
}

TEST(TimeScale, TiersFollowTheCalendarModeLabelInTheirFormatAndMoveTheirOffsetNotBelowTheCalendar)
{
    auto days = Tier(0, tmDay);
    auto weeks = Tier(1, tmDay);
    EXPECT_TRUE(days->getTimeMode() == tmDay && days->FTimeFormat == tmfDayFull);
    EXPECT_TRUE(weeks->getTimeMode() == tmWeek && weeks->FTimeFormat == tmfWeekYear);

    // An update puts back the mode's own format over the one the application chose.
    weeks->FTimeFormat = tmfMonthShortYear;
    days->Update(tmWeek);
    weeks->Update(tmWeek);
    EXPECT_EQ(days->getTimeMode(), tmWeek);
    EXPECT_EQ(weeks->getTimeMode(), tmMonth);
    EXPECT_EQ(weeks->FTimeFormat, tmfMonthFull);

    // Beyond decades there is no unit, and coming back restores it.
    weeks->Update(tmDecade);
    EXPECT_TRUE(weeks->getTimeMode() == tmNone && weeks->FTimeFormat == tmfNone);
    weeks->Update(tmYear);
    EXPECT_EQ(weeks->getTimeMode(), tmDecade);

    SetFormatSettings("en");
    auto scale = Tier(2, tmDay);
    const TDateTime feb5 = EncodeDate(2024, 2, 5);
    EXPECT_EQ(scale->PeriodToString(feb5), "February");
    scale->FTimeFormat = tmfMonthShortYear;
    EXPECT_EQ(scale->PeriodToString(feb5), "F2024");
    EXPECT_EQ(scale->PeriodToString(feb5, tmfMonthNumber), "2");

    // Setting a mode moves the offset, but not below the calendar.
    auto moved = Tier(0, tmDay);
    moved->FTimeFormat = tmfDayShort;
    moved->SetTimeMode(tmHour);
    EXPECT_TRUE(moved->getTimeMode() == tmDay && moved->FRelativeTM == 0 && moved->FTimeFormat == tmfDayShort);

    moved->SetTimeMode(tmMonth);
    EXPECT_TRUE(moved->getTimeMode() == tmMonth && moved->FRelativeTM == 2 && moved->FTimeFormat == tmfMonthFull);
    moved->Update(tmWeek);
    EXPECT_EQ(moved->getTimeMode(), tmQuarter);

    moved->SetTimeMode(static_cast<TQVTTimeMode>(9));
    EXPECT_TRUE(moved->getTimeMode() == tmNone && moved->FTimeFormat == tmfNone);
}

TEST(TimeScale, AnUnrelatedTierIsRelatedByItsModeAndSizesAreClamped)
{
    TQVTTimeScale scale;
    scale.SetTimeMode(tmMonth);
    EXPECT_EQ(scale.FRelativeTM, TQVTTimeScale::NotRelated);
    scale.Update(tmDay);
    EXPECT_EQ(scale.FRelativeTM, 2);
    EXPECT_EQ(scale.getTimeMode(), tmMonth);

    // A mode below the calendar's is related with offset 0 and kept until the next update.
    TQVTTimeScale hours;
    hours.SetTimeMode(tmHour);
    hours.Update(tmDay);
    EXPECT_EQ(hours.FRelativeTM, 0);
    EXPECT_EQ(hours.getTimeMode(), tmHour);
    hours.Update(tmDay);
    EXPECT_EQ(hours.getTimeMode(), tmDay);

    // So is a tier made with a mode.
    auto parent = std::make_shared<TQVTGanttTable>();
    auto weeks = std::make_shared<TQVTTimeScale>(tmWeek, parent.get());
    EXPECT_EQ(weeks->getParent(), parent.get());
    EXPECT_EQ(weeks->FTimeFormat, tmfWeekYear);
    weeks->Update(tmDay);
    EXPECT_EQ(weeks->getTimeMode(), tmWeek);

    // Height and font size.
    TQVTTimeScale sized;
    sized.SetHeight(0);
    sized.SetHeight(-3);
    EXPECT_EQ(sized.scaleHeight, 14);
    sized.SetHeight(20);
    EXPECT_EQ(sized.scaleHeight, 20);

    // Until painted, the label text is 8 pixels high and the tier 1.2 times that.
    sized.SetFontSize(0);
    EXPECT_EQ(sized.fontSize, 7);
    EXPECT_EQ(sized.scaleHeight, 10);
    sized.SetFontSize(12);
    EXPECT_EQ(sized.fontSize, 12);
    sized.SetFontSize(-1);
    EXPECT_EQ(sized.fontSize, 12);
}

class TimeScaleFile : public corvane::test::DocumentFileTest {
protected:
    std::shared_ptr<TQVTTimeScale> load(const std::string& keys)
    {
        auto scale = std::dynamic_pointer_cast<TQVTTimeScale>(loadFrom("[root]\ntypeID=Time Scale\n" + keys));
        EXPECT_NE(scale, nullptr);
        return scale;
    }

    bool logged(const std::string& key) const
    {
        return std::any_of(capture.log.begin(), capture.log.end(),
                           [&](const std::string& line) { return line.find('"' + key + '"') != std::string::npos; });
    }
};

TEST_F(TimeScaleFile, EveryKeyRoundTripsInOrderAndAGridTheDocumentDoesNotHoldIsWrittenWithTheTier)
{
    auto table = std::make_shared<TQVTGanttTable>();
    auto scale = std::make_shared<TQVTTimeScale>();
    scale->scaleHeight = 22;
    scale->fontSize = 9;
    scale->FfontColor = 0x0000FF;
    scale->baseColor = 0x02123456;
    scale->FlineColor = 0;
    scale->FRelativeTM = 3;
    scale->FGrid = table;
    const std::string text = corvane::test::readFile(saveToFile(scale));

    std::size_t at = 0;
    const std::vector<std::string> lines = {"typeID=Time Scale",    "scale height=22",        "font size=9",
                                            "font color=clRed",     "base color=$02123456",   "line color=clBlack",
                                            "relative time mode=3", "grid=" + table->getUID()};
    for (const std::string& line : lines) {
        const std::size_t found = text.find(line + '\n', at);
        ASSERT_NE(found, std::string::npos) << line << " after offset " << at << " in\n" << text;
        at = found + line.size();
    }

    scale->FGrid = nullptr;
    auto reloaded = std::dynamic_pointer_cast<TQVTTimeScale>(loadFile(saveToFile(scale)));
    ASSERT_NE(reloaded, nullptr);
    EXPECT_TRUE(reloaded->scaleHeight == 22 && reloaded->fontSize == 9 && reloaded->FRelativeTM == 3);
    EXPECT_TRUE(reloaded->FfontColor == 0x0000FFu && reloaded->baseColor == 0x02123456u && reloaded->FlineColor == 0u);

    auto unrelated = std::dynamic_pointer_cast<TQVTTimeScale>(
        loadFile(saveToFile(std::make_shared<TQVTTimeScale>(tmMonth, nullptr))));
    ASSERT_NE(unrelated, nullptr);
    EXPECT_EQ(unrelated->FRelativeTM, TQVTTimeScale::NotRelated);

    // A tier's grid need not be the document's table: the tier writes it, so that the file reopens
    // to the same graph; the document's own table is written once.
    auto document = std::make_shared<TQVTGanttDocument>();
    document->Ftable = std::make_shared<TQVTGanttTable>();
    document->Ftable->setParent(document.get());
    auto other = std::make_shared<TQVTGanttTable>();
    other->FRows = {std::make_shared<TQVTGanttRow>(), std::make_shared<TQVTGanttRow>()};
    auto own = std::make_shared<TQVTTimeScale>();
    own->FGrid = document->Ftable;
    auto foreign = std::make_shared<TQVTTimeScale>();
    foreign->FGrid = other;
    document->FScales = {own, foreign};

    const std::string saved = saveToFile(document);
    const auto loaded = std::dynamic_pointer_cast<TQVTGanttDocument>(loadFile(saved));
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(capture.messages.empty());
    ASSERT_EQ(loaded->FScales.size(), 2u);
    EXPECT_EQ(loaded->FScales[0]->FGrid.get(), loaded->Ftable.get());
    const auto* grid = dynamic_cast<const TQVTGanttTable*>(loaded->FScales[1]->FGrid.get());
    ASSERT_NE(grid, nullptr);
    EXPECT_NE(grid, loaded->Ftable.get());
    EXPECT_EQ(grid->getUID(), other->getUID());
    EXPECT_EQ(grid->FRows.size(), 2u);
    EXPECT_EQ(corvane::test::readFile(saveToFile(loaded)), corvane::test::readFile(saved));
}

TEST_F(TimeScaleFile, MissingAndBrokenValuesKeepTheDefaultsAndTheGridNamesOnlyAChartTable)
{
    auto scale = load("");
    ASSERT_NE(scale, nullptr);
    EXPECT_EQ(scale->FlineColor, 0xFFFFFFu);
    EXPECT_EQ(scale->getTimeMode(), tmNone);
    EXPECT_TRUE(capture.messages.empty());
    for (const char* keys : {"",
                             "scale height=abc\nfont size=-4\nfont color=sky\nbase color=\nline color=$12\n"
                             "relative time mode=xyz\n",
                             // Sizes that would overflow the sums of tier heights, or a font that could never fit.
                             "scale height=2000000000\nfont size=99999999999\n"}) {
        SCOPED_TRACE(keys);
        scale = load(keys);
        ASSERT_NE(scale, nullptr);
        EXPECT_TRUE(scale->scaleHeight == 14 && scale->fontSize == 7 && scale->FRelativeTM == 0);
        EXPECT_TRUE(scale->FfontColor == 0xFFFFFFu && scale->baseColor == 0x02C56A31u);
    }
    EXPECT_EQ(load("line color=$12\n")->FlineColor, 0x12u);
    EXPECT_TRUE(logged("font size") && logged("font color"));

    // Any stored offset.
    auto far = load("relative time mode=2147483647\n");
    ASSERT_NE(far, nullptr);
    far->Update(tmDecade);
    EXPECT_EQ(far->getTimeMode(), tmNone);
    far->SetTimeMode(tmDecade);
    EXPECT_EQ(far->FRelativeTM, 2147483647);
    far->SetTimeMode(static_cast<TQVTTimeMode>(255));
    EXPECT_TRUE(far->FRelativeTM == 2147483647 && far->getTimeMode() == tmNone);

    auto lowest = load("relative time mode=-2147483648\n");
    lowest->Update(tmDay);
    EXPECT_EQ(lowest->FRelativeTM, 0);
    auto negative = load("relative time mode=-7\n");
    ASSERT_NE(negative, nullptr);
    negative->Update(tmDay);
    EXPECT_EQ(negative->FRelativeTM, 0);
    EXPECT_EQ(negative->getTimeMode(), tmNone);
    negative->Update(tmDay);
    EXPECT_EQ(negative->getTimeMode(), tmDay);
    negative->Update(static_cast<TQVTTimeMode>(200));
    EXPECT_EQ(negative->getTimeMode(), tmNone);

    // The grid is a chart table: a reference to anything else leaves none, which saving then omits.
    scale = load("grid=Table\n[Table]\nTypeID=Gantt Table\n");
    ASSERT_NE(scale, nullptr);
    ASSERT_NE(scale->FGrid, nullptr);
    EXPECT_EQ(scale->FGrid->getUID(), "Table");

    auto other = load("grid=Calendar\n[Calendar]\ntypeID=Document Calendar\n");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->FGrid, nullptr);
    EXPECT_EQ(corvane::test::readFile(saveToFile(other)).find("grid="), std::string::npos);
}

} // namespace
