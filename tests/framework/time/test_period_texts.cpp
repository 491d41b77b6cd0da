// Period labels in every mode and format, in English, German and French.
#include "corvane/framework/localization/qvtLocalization.h"
#include "corvane/framework/time/qvtTimeMode.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/FormatSettings.h"

#include <array>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <set>

using namespace corvane;

namespace {

TDateTime D(int y, int m, int d, int h = 0, int n = 0)
{
    return EncodeDateTime(y, m, d, h, n, 0, 0);
}

enum Language {
    English,
    German,
    French
};

void UseLanguage(Language language)
{
    SetFormatSettings(std::array{"en", "de", "fr"}[language]);
    std::array{CreateDefaultRessources_ENG, CreateDefaultRessources_GER, CreateDefaultRessources_FRA}[language]();
}

class PeriodText : public ::testing::Test {
protected:
    void SetUp() override { UseLanguage(English); }
    void TearDown() override
    {
        SetFormatSettings("en");
        ClearRessources();
    }

    const TDateTime feb5 = D(2024, 2, 5, 9, 30); // a Monday
};

struct Row {
    TQVTTimeMode mode;
    TQVTTimeFormat format;
    const char* text[3]; // English, German, French
};

// 5 February 2024 09:30, a Monday, in week 6 of the year and week 2 of February.
const Row Rows[] = {
    {tmHour, tmfHourStandard, {"9", "9", "9"}},
    {tmHour, tmfHourAMPM, {"9 AM", "9 AM", "9 AM"}},
    {tmHour, tmfHourTime, {"09:00", "09:00", "09:00"}},
    {tmDay, tmfDayFull, {"Monday", "Montag", "lundi"}},
    {tmDay, tmfDayShort, {"M", "M", "l"}},
    {tmDay, tmfDayOfYear, {"36", "36", "36"}},
    {tmDay, tmfDayOfMonth, {"5", "5", "5"}},
    {tmDay, tmfDayOfWeek, {"1", "1", "1"}},
    {tmDay, tmfDayShortDayNumber, {"Mo 5", "Mo 5", "lu 5"}},
    {tmWeek, tmfWeekYear, {"6. CW", "6. KW", "6. S"}},
    {tmWeek, tmfWeekYearNr, {"6", "6", "6"}},
    {tmWeek, tmfWeekMonth, {"2. W", "2. W", "2. S"}},
    {tmWeek, tmfWeekMonthNr, {"2", "2", "2"}},
    {tmWeek, tmfWeekStartDay, {"05/02/2024", "05.02.2024", "05/02/2024"}},
    {tmMonth, tmfMonthFull, {"February", "Februar", "f\u00e9vrier"}},
    {tmMonth, tmfMonthMedium, {"Feb", "Feb", "f\u00e9vr."}},
    {tmMonth, tmfMonthShort, {"F", "F", "f"}},
    {tmMonth, tmfMonthFullYear, {"February 2024", "Februar 2024", "f\u00e9vrier 2024"}},
    {tmMonth, tmfMonthMediumYear, {"Feb 2024", "Feb 2024", "f\u00e9vr. 2024"}},
    {tmMonth, tmfMonthShortYear, {"F2024", "F2024", "f2024"}},
    {tmMonth, tmfMonthNumber, {"2", "2", "2"}},
    {tmMonth, tmfMonthNumberYear, {"2 2024", "2 2024", "2 2024"}},
    {tmQuarter, tmfQuarterFull, {"1. Quarter", "1. Quartal", "1. Trimestre"}},
    {tmQuarter, tmfQuarterShort, {"1. Q", "1. Q", "1. T"}},
    {tmQuarter, tmfQuarterFullYear, {"1. Quarter 2024", "1. Quartal 2024", "1. Trimestre 2024"}},
    {tmQuarter, tmfQuarterShortYear, {"1. Q 2024", "1. Q 2024", "1. T 2024"}},
    {tmQuarter, tmfQuarterRoman, {"I", "I", "I"}},
    {tmQuarter, tmfYearFull, {"2024", "2024", "2024"}},
    {tmQuarter, tmfYearShort, {"24", "24", "24"}},
    {tmYear, tmfYearFull, {"2024", "2024", "2024"}},
    {tmYear, tmfYearShort, {"24", "24", "24"}},
    {tmDecade, tmfDecade, {"2020-2030", "2020-2030", "2020-2030"}},
};

TEST_F(PeriodText, EveryRowOfTheTableInThreeLanguagesAndNothingOutsideIt)
{
    std::set<int> formats;
    for (const Row& row : Rows)
        formats.insert(row.format);
    ASSERT_EQ(formats.size(), 30u) << "every format but tmfNone has a row";

    for (Language language : {English, German, French}) {
        UseLanguage(language);
        for (const Row& row : Rows)
            EXPECT_EQ(PeriodToString(feb5, row.mode, row.format), row.text[language])
                << "language " << language << ", mode " << int(row.mode) << ", format " << int(row.format);
    }

    // Pairs outside the table give nothing.
    std::set<std::pair<int, int>> listed;
    for (const Row& row : Rows)
        listed.insert({row.mode, row.format});
    for (int mode = 0; mode <= 9; ++mode) {
        for (int format = 0; format <= 33; ++format) {
            if (listed.count({mode, format}) == 0) {
                EXPECT_EQ(PeriodToString(feb5, static_cast<TQVTTimeMode>(mode), static_cast<TQVTTimeFormat>(format)),
                          "")
                    << mode << '/' << format;
            }
        }
    }
    EXPECT_EQ(PeriodToString(feb5, tmDay, static_cast<TQVTTimeFormat>(255)), "");

    // The object uses its own mode.
    UseLanguage(English);
    auto obj = std::make_shared<TQVTTimeModeObject>();
    obj->SetTimeMode(tmMonth);
    EXPECT_EQ(obj->PeriodToString(feb5, tmfMonthFullYear), "February 2024");
    EXPECT_EQ(obj->PeriodToString(feb5, tmfDayFull), "");
}

TEST_F(PeriodText, WeeksQuartersAndDecadesAtTheirBoundaries)
{
    EXPECT_EQ(PeriodToString(D(2024, 3, 31, 23, 59), tmQuarter, tmfQuarterRoman), "I");
    EXPECT_EQ(PeriodToString(D(2024, 4, 1), tmQuarter, tmfQuarterRoman), "II");
    EXPECT_EQ(PeriodToString(D(2024, 9, 30), tmQuarter, tmfQuarterRoman), "III");
    EXPECT_EQ(PeriodToString(D(2024, 11, 15), tmQuarter, tmfQuarterRoman), "IV");
    EXPECT_EQ(PeriodToString(D(2024, 12, 31), tmQuarter, tmfQuarterShortYear), "4. Q 2024");

    EXPECT_EQ(PeriodToString(D(2029, 12, 31, 23), tmDecade, tmfDecade), "2020-2030");
    EXPECT_EQ(PeriodToString(D(2030, 1, 1), tmDecade, tmfDecade), "2030-2040");
    EXPECT_EQ(PeriodToString(D(5, 6, 1), tmDecade, tmfDecade), "0000-0010");
    EXPECT_EQ(PeriodToString(D(9995, 6, 1), tmDecade, tmfDecade), "9990-10000");

    EXPECT_EQ(PeriodToString(D(2021, 1, 1), tmWeek, tmfWeekYear), "53. CW");
    EXPECT_EQ(PeriodToString(D(2024, 12, 31), tmWeek, tmfWeekYearNr), "1");
    EXPECT_EQ(PeriodToString(D(2026, 1, 4, 23), tmWeek, tmfWeekYearNr), "1");
    EXPECT_EQ(PeriodToString(D(2027, 1, 3), tmWeek, tmfWeekYearNr), "53");
    EXPECT_EQ(PeriodToString(D(2024, 1, 1), tmWeek, tmfWeekYearNr), "1");

    EXPECT_EQ(PeriodToString(D(2024, 1, 31), tmWeek, tmfWeekMonth), "1. W"); // Thursday 1 February
    EXPECT_EQ(PeriodToString(D(2024, 2, 4), tmWeek, tmfWeekMonthNr), "1");   // Sunday of that week
    EXPECT_EQ(PeriodToString(D(2024, 2, 29), tmWeek, tmfWeekMonthNr), "5");
    EXPECT_EQ(PeriodToString(D(2024, 9, 1), tmWeek, tmfWeekMonthNr), "5"); // Thursday 29 August
    EXPECT_EQ(PeriodToString(D(2024, 9, 2), tmWeek, tmfWeekMonthNr), "1");
    EXPECT_EQ(PeriodToString(D(2024, 1, 1), tmWeek, tmfWeekMonthNr), "1");

    // The start of the week in the short date format.
    EXPECT_EQ(PeriodToString(D(2024, 2, 11, 23), tmWeek, tmfWeekStartDay), "05/02/2024");
    EXPECT_EQ(PeriodToString(D(2025, 1, 5), tmWeek, tmfWeekStartDay), "30/12/2024");
    UseLanguage(German);
    EXPECT_EQ(PeriodToString(D(2025, 1, 5), tmWeek, tmfWeekStartDay), "30.12.2024");
}

TEST_F(PeriodText, HoursOnBothClocksAndNamesFollowTheLocaleByCodePoint)
{
    const TDateTime night = D(2024, 2, 5, 0, 15);
    EXPECT_EQ(PeriodToString(night, tmHour, tmfHourStandard), "0");
    EXPECT_EQ(PeriodToString(night, tmHour, tmfHourAMPM), "12 AM");
    EXPECT_EQ(PeriodToString(night, tmHour, tmfHourTime), "00:00");
    EXPECT_EQ(PeriodToString(D(2024, 2, 5, 12), tmHour, tmfHourAMPM), "12 PM");
    const TDateTime late = D(2024, 2, 5, 23, 59);
    EXPECT_EQ(PeriodToString(late, tmHour, tmfHourStandard), "23");
    EXPECT_EQ(PeriodToString(late, tmHour, tmfHourAMPM), "11 PM");
    EXPECT_EQ(PeriodToString(late, tmHour, tmfHourTime), "23:00");

    FormatSettings().TimeSeparator = '.';
    EXPECT_EQ(PeriodToString(late, tmHour, tmfHourTime), "23.00");

    UseLanguage(German);
    EXPECT_EQ(PeriodToString(D(2024, 3, 3), tmDay, tmfDayShortDayNumber), "So 3");
    EXPECT_EQ(PeriodToString(D(2024, 3, 3), tmMonth, tmfMonthMediumYear), "M\u00e4r 2024");
    UseLanguage(French);
    EXPECT_EQ(PeriodToString(D(2024, 12, 1), tmMonth, tmfMonthFullYear), "d\u00e9cembre 2024");
    EXPECT_EQ(PeriodToString(D(2024, 12, 1), tmDay, tmfDayShortDayNumber), "di 1");

    // The first character is a code point, not a byte.
    FormatSettings().ShortMonthNames[1] = "\u00e9t\u00e9";
    EXPECT_EQ(PeriodToString(feb5, tmMonth, tmfMonthShort), "\u00e9");
    EXPECT_EQ(PeriodToString(feb5, tmMonth, tmfMonthShortYear), "\u00e92024");
    FormatSettings().ShortDayNames[1] = "\u00c9t";
    EXPECT_EQ(PeriodToString(feb5, tmDay, tmfDayShortDayNumber), "\u00c9t 5");
    FormatSettings().ShortDayNames[1] = "\u00c9";
    EXPECT_EQ(PeriodToString(feb5, tmDay, tmfDayShortDayNumber), "\u00c9 5");
}

TEST_F(PeriodText, UndecodableDatesAreClampedAndResourceTextsAreReadAtEachCall)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(PeriodToString(nan, tmDay, tmfDayFull), "Saturday"); // 30 December 1899
    EXPECT_EQ(PeriodToString(inf, tmYear, tmfYearFull), "9999");
    EXPECT_EQ(PeriodToString(-inf, tmWeek, tmfWeekStartDay), "01/01/0001");
    EXPECT_EQ(PeriodToString(inf, tmDecade, tmfDecade), "9990-10000");

    SetRessourceString("df_calendarweekstring", "Wk");
    SetRessourceString("df_quarterlongstring", "Qtr");
    EXPECT_EQ(PeriodToString(feb5, tmWeek, tmfWeekYear), "6. Wk");
    EXPECT_EQ(PeriodToString(feb5, tmQuarter, tmfQuarterFullYear), "1. Qtr 2024");
    ClearRessources();
    EXPECT_EQ(PeriodToString(feb5, tmWeek, tmfWeekMonth), "2. ");
}

} // namespace
