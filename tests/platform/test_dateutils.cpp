#include "corvane/platform/DateUtils.h"
#include "corvane/platform/FormatSettings.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <tuple>

using namespace corvane;

namespace {

struct Civil {
    int y, m, d;
    bool operator==(const Civil&) const = default;
};

Civil DecodedDate(TDateTime dt)
{
    Civil c{};
    DecodeDate(dt, c.y, c.m, c.d);
    return c;
}

std::string DecodedText(TDateTime dt)
{
    int y, mo, d, h, mi, s, ms;
    DecodeDate(dt, y, mo, d);
    DecodeTime(dt, h, mi, s, ms);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", y, mo, d, h, mi, s, ms);
    return text;
}

// Every day checked against an independent successor rule.
TEST(DateUtils, EveryDayFrom1600To2400)
{
    Civil c{1600, 1, 1};
    std::int64_t serial = -109571; // 1 January 1600, a Saturday
    int weekday = 6;
    int dayOfYear = 1;
    int isoYear = 0;
    int week = WeekOfTheYear(static_cast<double>(serial), isoYear);
    EXPECT_EQ(isoYear, 1599);
    EXPECT_EQ(week, 52);
    while (c.y <= 2400) {
        const auto dt = static_cast<double>(serial);
        ASSERT_EQ(EncodeDate(c.y, c.m, c.d), dt) << c.y << '-' << c.m << '-' << c.d;
        ASSERT_EQ(DecodedDate(dt), c) << serial;
        ASSERT_EQ(DayOfTheWeek(dt), weekday) << serial;
        ASSERT_EQ(DayOfTheYear(dt), dayOfYear) << serial;

        int year = 0;
        const int w = WeekOfTheYear(dt, year);
        if (weekday != 1) {
            ASSERT_EQ(w, week) << serial;
            ASSERT_EQ(year, isoYear) << serial;
        } else if (w != week + 1 || year != isoYear) {
            // A new ISO year starts on the Monday of the week holding 4 January.
            ASSERT_TRUE(week == 52 || week == 53) << serial;
            ASSERT_EQ(w, 1) << serial;
            ASSERT_EQ(year, isoYear + 1) << serial;
            const int fourth = static_cast<int>(EncodeDate(c.m == 1 ? c.y : c.y + 1, 1, 4) - dt);
            ASSERT_TRUE(fourth >= 0 && fourth < 7) << serial;
        }
        week = w;
        isoYear = year;

        ++serial;
        weekday = weekday % 7 + 1;
        ++dayOfYear;
        if (++c.d > DaysInAMonth(c.y, c.m)) {
            c.d = 1;
            if (++c.m > 12) {
                c.m = 1;
                ++c.y;
                dayOfYear = 1;
            }
        }
    }
    EXPECT_EQ(serial, 182989); // 1 January 2401
}

TEST(DateUtils, CalendarRangeInvalidValuesFractionsAndClamping)
{
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
    EXPECT_EQ(DecodedDate(-693593.0), (Civil{1, 1, 1}));

    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_EQ(DaysInAMonth(1900, 2), 28);
    EXPECT_EQ(DaysInAMonth(2000, 2), 29);
    EXPECT_EQ(DaysInAMonth(2023, 13), 0);
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDate(10000, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDate(2024, 13, 1), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
    EXPECT_THROW(EncodeTime(-1, 0, 0, 0), EConvertError);

    // Fractions before 1899, just before midnight, and out of range.
    EXPECT_EQ(DecodedText(-1.25), "1899-12-29 06:00:00.000");
    EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
    EXPECT_EQ(DecodedText(-0.25), "1899-12-30 06:00:00.000");
    EXPECT_EQ(DateOf(-1.25), -1.0);
    EXPECT_EQ(TimeOf(-1.25), 0.25);
    EXPECT_EQ(DayOfTheWeek(-1.25), 5); // Friday

    // Time just before midnight carries into the next day, away from day 0 before 1899.
    EXPECT_EQ(DecodedText(0.99999999999), "1899-12-31 00:00:00.000");
    EXPECT_EQ(DateOf(0.99999999999), 1.0);
    EXPECT_EQ(TimeOf(0.99999999999), 0.0);
    EXPECT_EQ(DecodedText(-0.99999999999), "1899-12-29 00:00:00.000");
    EXPECT_EQ(DecodedText(-1.99999999999), "1899-12-28 00:00:00.000");
    EXPECT_EQ(DecodedText(45351.9999999), "2024-02-29 23:59:59.991");
    EXPECT_EQ(HourOf(45351.99999999999), 0);

    // Values that are no date are clamped to the range.
    constexpr double Inf = std::numeric_limits<double>::infinity();
    const double nan = std::nan("");
    EXPECT_EQ(DecodedText(nan), "1899-12-30 00:00:00.000");
    EXPECT_EQ(DecodedText(Inf), "9999-12-31 23:59:59.999");
    EXPECT_EQ(DecodedText(1e300), "9999-12-31 23:59:59.999");
    EXPECT_EQ(DecodedText(2958465.9999999999), "9999-12-31 23:59:59.999");
    EXPECT_EQ(DecodedText(-Inf), "0001-01-01 00:00:00.000");
    EXPECT_EQ(DecodedText(-693594.5), "0001-01-01 00:00:00.000");
    EXPECT_EQ(DayOfTheWeek(nan), 6);
    EXPECT_EQ(WeekOfTheYear(Inf), 52);
    EXPECT_EQ(WeekOfTheYear(-Inf), 1);
    EXPECT_EQ(DateOf(nan), 0.0);
}

TEST(DateUtils, TimeOfDayRoundTripsToTheMillisecond)
{
    for (const Civil& c : {Civil{2024, 2, 29}, Civil{1700, 3, 1}, Civil{9999, 12, 31}}) {
        for (int ms = 0; ms < 86'400'000; ms += 9973) {
            const int h = ms / 3'600'000, n = ms / 60'000 % 60, s = ms / 1000 % 60, z = ms % 1000;
            const TDateTime dt = EncodeDateTime(c.y, c.m, c.d, h, n, s, z);
            int y, mo, d, h2, n2, s2, z2;
            DecodeDate(dt, y, mo, d);
            DecodeTime(dt, h2, n2, s2, z2);
            ASSERT_EQ((Civil{y, mo, d}), c) << ms;
            ASSERT_EQ(h2 * 3'600'000 + n2 * 60'000 + s2 * 1000 + z2, ms) << c.y;
        }
    }
}

TEST(DateUtils, IncMonthClampsTheDayAndKeepsTheTime)
{
    const TDateTime jan31 = EncodeDateTime(2001, 1, 31, 10, 30, 0, 0);
    EXPECT_EQ(IncMonth(jan31), EncodeDateTime(2001, 2, 28, 10, 30, 0, 0));
    EXPECT_EQ(IncMonth(EncodeDate(2004, 2, 29), 12), EncodeDate(2005, 2, 28));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 31), -1), EncodeDate(2024, 2, 29));
    EXPECT_EQ(IncMonth(-1.25, 1), EncodeDateTime(1900, 1, 29, 6, 0, 0, 0));
    EXPECT_EQ(IncMonth(EncodeDate(1900, 1, 29), -1), EncodeDate(1899, 12, 29));

    EXPECT_EQ(IncMonth(jan31, std::numeric_limits<std::int64_t>::max()), EncodeDateTime(9999, 12, 31, 10, 30, 0, 0));
    EXPECT_EQ(IncMonth(jan31, std::numeric_limits<std::int64_t>::min()), EncodeDateTime(1, 1, 31, 10, 30, 0, 0));
    EXPECT_TRUE(std::isnan(IncMonth(std::nan(""), 1)));
}

TEST(DateUtils, IsoWeeksAtYearBoundaries)
{
    // date, ISO week, ISO year
    for (const auto& [date, week, isoYear] : {std::tuple{Civil{2021, 1, 1}, 53, 2020}, {Civil{2024, 12, 31}, 1, 2025},
                                             {Civil{2025, 12, 29}, 1, 2026}, {Civil{2016, 1, 1}, 53, 2015},
                                             {Civil{2018, 1, 1}, 1, 2018}, {Civil{2027, 1, 3}, 53, 2026},
                                             {Civil{2008, 12, 29}, 1, 2009}}) {
        int year = 0;
        EXPECT_EQ(WeekOfTheYear(EncodeDate(date.y, date.m, date.d), year), week) << date.y;
        EXPECT_EQ(year, isoYear) << date.y << '-' << date.m << '-' << date.d;
    }
}

class FormatDateTimeTest : public ::testing::Test {
protected:
    void TearDown() override { SetFormatSettings("en"); }

    const TDateTime feb5 = EncodeDateTime(2024, 2, 5, 9, 5, 3, 7); // a Monday
    const TDateTime mar1 = EncodeDate(2024, 3, 1);                 // a Friday
};

TEST_F(FormatDateTimeTest, Languages)
{
    SetFormatSettings("en");
    EXPECT_EQ(FormatDateTime(FormatSettings().ShortDateFormat, feb5), "05/02/2024");
    EXPECT_EQ(FormatDateTime(FormatSettings().LongDateFormat, feb5), "05 February 2024");
    EXPECT_EQ(FormatDateTime("ddd d mmm yy", feb5), "Mon 5 Feb 24");
    EXPECT_EQ(FormatDateTime(FormatSettings().LongTimeFormat, feb5 + 0.5), "21:05:03");
    EXPECT_EQ(FormatDateTime("dddd", EncodeDate(2024, 2, 4)), "Sunday");

    SetFormatSettings("xx");
    EXPECT_EQ(FormatDateTime("mmmm", feb5), "February");

    SetFormatSettings("de");
    EXPECT_EQ(FormatDateTime(FormatSettings().ShortDateFormat, feb5), "05.02.2024");
    EXPECT_EQ(FormatDateTime(FormatSettings().LongDateFormat, mar1), "Freitag, 1. M\u00e4rz 2024");
    EXPECT_EQ(FormatDateTime("ddd mmm", mar1), "Fr M\u00e4r");
    EXPECT_EQ(FormatDateTime("ddd", EncodeDate(2024, 2, 4)), "So");
    EXPECT_EQ(FormatDateTime(FormatSettings().ShortTimeFormat, feb5), "09:05");

    SetFormatSettings("fr");
    EXPECT_EQ(FormatDateTime(FormatSettings().ShortDateFormat, feb5), "05/02/2024");
    EXPECT_EQ(FormatDateTime(FormatSettings().LongDateFormat, feb5), "lundi 5 f\u00e9vrier 2024");
    EXPECT_EQ(FormatDateTime("ddd d mmm", feb5), "lun. 5 f\u00e9vr.");
    EXPECT_EQ(FormatDateTime("mmmm", EncodeDate(2024, 8, 1)), "ao\u00fbt");
}

TEST_F(FormatDateTimeTest, TimeSpecifiersLiteralsSeparatorsAndYears)
{
    // m right after h, with only literals between, is the minute; elsewhere the month.
    for (const auto& [format, text] :
         {std::pair{"hh:nn:ss.zzz", "09:05:03.007"}, {"h:n:s z", "9:5:3 7"}, {"h:mm", "9:05"}, {"hh m", "09 5"},
          {"h d m", "9 5 2"}, {"h:mmm", "9:Feb"}, {"'yyyy' yyyy", "yyyy 2024"}, {"\"d/m\"d", "d/m5"},
          {"d 'of mmmm", "5 of mmmm"}})
        EXPECT_EQ(FormatDateTime(format, feb5), text) << format;

    const TDateTime midnight = EncodeDateTime(2024, 2, 5, 0, 30, 0, 0);
    const TDateTime afternoon = EncodeDateTime(2024, 2, 5, 13, 0, 0, 0);
    EXPECT_EQ(FormatDateTime("h AM/PM", midnight), "12 AM");
    EXPECT_EQ(FormatDateTime("h AM/PM", afternoon), "1 PM");
    EXPECT_EQ(FormatDateTime("hh:nn am/pm", afternoon), "01:00 pm");
    EXPECT_EQ(FormatDateTime("h ampm", afternoon), "1 PM");
    EXPECT_EQ(FormatDateTime("h", afternoon), "13");

    EXPECT_EQ(FormatDateTime("y yyy", EncodeDate(2005, 1, 1)), "05 2005");
    EXPECT_EQ(FormatDateTime("yyyy", EncodeDate(5, 1, 1)), "0005");

    FormatSettings().DateSeparator = '-';
    FormatSettings().TimeSeparator = '.';
    EXPECT_EQ(FormatDateTime("d/m/yy hh:nn", feb5), "5-2-24 09.05");
}

} // namespace
