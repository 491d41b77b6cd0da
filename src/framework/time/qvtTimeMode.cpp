#include "corvane/framework/time/qvtTimeMode.h"

#include "corvane/framework/localization/qvtLocalization.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/FormatSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace corvane {

namespace {

constexpr int MonthsPerQuarter = 3;
constexpr int YearsPerDecade = 10;
constexpr double MonthDays = 30.4375;
constexpr double YearDays = 365.25;
// Rounds half days up and absorbs floating-point error in whole days.
constexpr double DayBias = 0.00001;

// Nearest integer, ties to even; NaN gives 0 and out-of-range values are clamped.
std::int32_t RoundToInt(double x)
{
    if (std::isnan(x))
        return 0;
    constexpr double Min = std::numeric_limits<std::int32_t>::min();
    constexpr double Max = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(std::nearbyint(x), Min, Max));
}

struct Ymd {
    int year, month, day;
};

Ymd Decoded(TDateTime dt)
{
    Ymd d{};
    DecodeDate(dt, d.year, d.month, d.day);
    return d;
}

// a's day of month, with its time, comes before b's.
bool EarlierInMonth(TDateTime a, const Ymd& da, TDateTime b, const Ymd& db)
{
    return da.day < db.day || (da.day == db.day && TimeOf(a) < TimeOf(b));
}

// Months completed from b towards a.
std::int32_t MonthDiff(TDateTime a, TDateTime b)
{
    const Ymd da = Decoded(a);
    const Ymd db = Decoded(b);
    const int months = (da.month - db.month) + 12 * (da.year - db.year);
    return EarlierInMonth(a, da, b, db) ? months - 1 : months;
}

// Years completed from b towards a.
std::int32_t YearDiff(TDateTime a, TDateTime b)
{
    const Ymd da = Decoded(a);
    const Ymd db = Decoded(b);
    const bool earlier = da.month < db.month || (da.month == db.month && EarlierInMonth(a, da, b, db));
    return earlier ? da.year - db.year - 1 : da.year - db.year;
}

// The first `count` code points of a UTF-8 text.
std::string FirstChars(const std::string& text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t k = 0; k < count && end < text.size(); ++k) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return text.substr(0, end);
}

// Monday-based weeks of a month; a week belongs to the month that holds its Thursday.
int WeekOfTheMonth(TDateTime dt)
{
    const TDateTime thursday = DateOf(dt) - DayOfTheWeek(dt) + 4;
    return (DayOf(thursday) - 1) / 7 + 1;
}

std::string Numbered(int number, const char* resourceKey)
{
    return std::to_string(number) + ". " + GetRessourceValue(resourceKey);
}

std::string HourText(TDateTime dt, TQVTTimeFormat format)
{
    switch (format) {
    case tmfHourStandard:
        return FormatDateTime("h", dt);
    case tmfHourAMPM:
        return FormatDateTime("h AM/PM", dt);
    case tmfHourTime:
        return FormatDateTime("hh:", dt) + "00";
    default:
        return {};
    }
}

std::string DayText(TDateTime dt, TQVTTimeFormat format)
{
    switch (format) {
    case tmfDayFull:
        return FormatDateTime("dddd", dt);
    case tmfDayShort:
        return FirstChars(FormatDateTime("ddd", dt), 1);
    case tmfDayOfYear:
        return std::to_string(DayOfTheYear(dt));
    case tmfDayOfMonth:
        return FormatDateTime("d", dt);
    case tmfDayOfWeek:
        return std::to_string(DayOfTheWeek(dt));
    case tmfDayShortDayNumber:
        return FirstChars(FormatDateTime("ddd", dt), 2) + " " + FormatDateTime("d", dt);
    default:
        return {};
    }
}

std::string WeekText(TDateTime dt, TQVTTimeFormat format)
{
    switch (format) {
    case tmfWeekYear:
        return Numbered(WeekOfTheYear(dt), "df_calendarweekstring");
    case tmfWeekYearNr:
        return std::to_string(WeekOfTheYear(dt));
    case tmfWeekMonth:
        return Numbered(WeekOfTheMonth(dt), "df_monthweekstring");
    case tmfWeekMonthNr:
        return std::to_string(WeekOfTheMonth(dt));
    case tmfWeekStartDay:
        return FormatDateTime(FormatSettings().ShortDateFormat, StartOfPeriod(dt, tmWeek));
    default:
        return {};
    }
}

std::string MonthText(TDateTime dt, TQVTTimeFormat format)
{
    switch (format) {
    case tmfMonthFull:
        return FormatDateTime("mmmm", dt);
    case tmfMonthMedium:
        return FormatDateTime("mmm", dt);
    case tmfMonthShort:
        return FirstChars(FormatDateTime("mmm", dt), 1);
    case tmfMonthFullYear:
        return FormatDateTime("mmmm yyyy", dt);
    case tmfMonthMediumYear:
        return FormatDateTime("mmm yyyy", dt);
    case tmfMonthShortYear:
        return FirstChars(FormatDateTime("mmm", dt), 1) + FormatDateTime("yyyy", dt);
    case tmfMonthNumber:
        return FormatDateTime("m", dt);
    case tmfMonthNumberYear:
        return FormatDateTime("m yyyy", dt);
    default:
        return {};
    }
}

std::string YearText(TDateTime dt, TQVTTimeFormat format)
{
    switch (format) {
    case tmfYearFull:
        return FormatDateTime("yyyy", dt);
    case tmfYearShort:
        return FormatDateTime("yy", dt);
    default:
        return {};
    }
}

std::string QuarterText(TDateTime dt, TQVTTimeFormat format)
{
    static const char* const Roman[] = {"I", "II", "III", "IV"};
    const int quarter = (MonthOf(dt) - 1) / MonthsPerQuarter + 1;
    switch (format) {
    case tmfQuarterFull:
        return Numbered(quarter, "df_quarterlongstring");
    case tmfQuarterShort:
        return Numbered(quarter, "df_quartershortstring");
    case tmfQuarterFullYear:
        return Numbered(quarter, "df_quarterlongstring") + " " + FormatDateTime("yyyy", dt);
    case tmfQuarterShortYear:
        return Numbered(quarter, "df_quartershortstring") + " " + FormatDateTime("yyyy", dt);
    case tmfQuarterRoman:
        return Roman[quarter - 1];
    default:
        return YearText(dt, format);
    }
}

std::string DecadeText(TDateTime dt, TQVTTimeFormat format)
{
    if (format != tmfDecade)
        return {};
    // Counted rather than formatted from dt + 10 years, which the calendar clamps to 9999:
    // the last decade reads 9990-10000, not 9990-9990.
    const int decade = YearOf(dt) / YearsPerDecade;
    char text[32];
    std::snprintf(text, sizeof text, "%03d0-%03d0", decade, decade + 1);
    return text;
}

} // namespace

TDateTime Add(TDateTime dt, int n, TQVTTimeMode mode)
{
    switch (mode) {
    case tmHour:
        return dt + n / 24.0;
    case tmDay:
        return dt + n;
    case tmWeek:
        return dt + 7.0 * n;
    case tmMonth:
        return IncMonth(dt, n);
    case tmQuarter:
        return IncMonth(dt, std::int64_t{MonthsPerQuarter} * n);
    case tmYear:
        return IncMonth(dt, std::int64_t{12} * n);
    case tmDecade:
        return IncMonth(dt, std::int64_t{12 * YearsPerDecade} * n);
    default:
        return dt;
    }
}

TDateTime Next(TDateTime dt, TQVTTimeMode mode)
{
    return Add(dt, 1, mode);
}

TDateTime Prev(TDateTime dt, TQVTTimeMode mode)
{
    return Add(dt, -1, mode);
}

TDateTime RealAdd(TDateTime dt, double x, TQVTTimeMode mode)
{
    if (!std::isfinite(x))
        return dt;
    constexpr double Min = std::numeric_limits<int>::min();
    constexpr double Max = std::numeric_limits<int>::max();
    const int whole = static_cast<int>(std::clamp(std::trunc(x), Min, Max));
    const TDateTime base = Add(dt, whole, mode);
    return base + (x - whole) * (Next(base, mode) - base);
}

std::int32_t Diff(TDateTime a, TDateTime b, TQVTTimeMode mode)
{
    switch (mode) {
    case tmHour:
        return RoundToInt((a - b) * 24);
    case tmDay:
        return RoundToInt(a - b + DayBias);
    case tmWeek:
        return RoundToInt(a - b + DayBias) / 7;
    case tmMonth:
        return MonthDiff(a, b);
    case tmQuarter:
        return MonthDiff(a, b) / MonthsPerQuarter;
    case tmYear:
        return YearDiff(a, b);
    case tmDecade:
        return YearDiff(a, b) / YearsPerDecade;
    default:
        return 0;
    }
}

double RealDiff(TDateTime a, TDateTime b, TQVTTimeMode mode)
{
    const double s = std::fabs(a - b);
    double units = 0;
    switch (mode) {
    case tmHour:
        units = s * 24;
        break;
    case tmDay:
        units = s;
        break;
    case tmWeek:
        units = s / 7;
        break;
    case tmMonth:
        units = s / MonthDays;
        break;
    case tmQuarter:
        units = s / MonthDays / MonthsPerQuarter;
        break;
    case tmYear:
        units = s / YearDays;
        break;
    case tmDecade:
        units = s / YearDays / YearsPerDecade;
        break;
    default:
        return 0;
    }
    return a < b ? -units : units;
}

TDateTime StartOfPeriod(TDateTime dt, TQVTTimeMode mode)
{
    switch (mode) {
    case tmDay:
        return DateOf(dt);
    case tmWeek:
        return DateOf(dt) - (DayOfTheWeek(dt) - 1);
    case tmMonth: {
        const Ymd d = Decoded(dt);
        return EncodeDate(d.year, d.month, 1);
    }
    case tmQuarter: {
        const Ymd d = Decoded(dt);
        return EncodeDate(d.year, d.month - (d.month - 1) % MonthsPerQuarter, 1);
    }
    case tmYear:
        return EncodeDate(YearOf(dt), 1, 1);
    case tmDecade: {
        // There is no year 0: the calendar's first decade starts in year 1.
        const int year = YearOf(dt);
        return EncodeDate(std::max(1, year - year % YearsPerDecade), 1, 1);
    }
    default:
        return dt;
    }
}

std::uint16_t Day(TDateTime dt, TQVTTimeMode mode)
{
    switch (mode) {
    case tmWeek:
        return static_cast<std::uint16_t>(DayOfTheWeek(dt));
    case tmMonth:
    case tmQuarter:
        return static_cast<std::uint16_t>(DayOf(dt));
    case tmYear:
    case tmDecade: {
        const int day = DayOfTheYear(dt);
        return static_cast<std::uint16_t>(IsLeapYear(YearOf(dt)) && day > 60 ? day + 1 : day);
    }
    default:
        return 0;
    }
}

std::uint16_t DaysIn(TQVTTimeMode mode)
{
    switch (mode) {
    case tmDay:
        return 1;
    case tmWeek:
        return 7;
    case tmMonth:
        return 30;
    case tmQuarter:
        return 30 * MonthsPerQuarter;
    case tmYear:
        return 365;
    case tmDecade:
        return 365 * YearsPerDecade;
    default:
        return 0;
    }
}

std::uint16_t DayRange(std::uint16_t from, std::uint16_t to, TQVTTimeMode mode)
{
    if (from <= to)
        return static_cast<std::uint16_t>(to - from);
    // Round the end of the period; indexes beyond the nominal length (day 367 of a leap
    // year, day 31 of a month) may leave nothing.
    return static_cast<std::uint16_t>(std::max(0, DaysIn(mode) - from + to));
}

TQVTTimeFormat DefaultTimeFormat(TQVTTimeMode mode)
{
    switch (mode) {
    case tmHour:
        return tmfHourStandard;
    case tmDay:
        return tmfDayFull;
    case tmWeek:
        return tmfWeekYear;
    case tmMonth:
        return tmfMonthFull;
    case tmQuarter:
        return tmfQuarterFull;
    case tmYear:
        return tmfYearFull;
    case tmDecade:
        return tmfDecade;
    default:
        return tmfNone;
    }
}

std::string PeriodToString(TDateTime dt, TQVTTimeMode mode, TQVTTimeFormat format)
{
    switch (mode) {
    case tmHour:
        return HourText(dt, format);
    case tmDay:
        return DayText(dt, format);
    case tmWeek:
        return WeekText(dt, format);
    case tmMonth:
        return MonthText(dt, format);
    case tmQuarter:
        return QuarterText(dt, format);
    case tmYear:
        return YearText(dt, format);
    case tmDecade:
        return DecadeText(dt, format);
    default:
        return {};
    }
}

TQVTTimeMode TQVTTimeModeObject::getTimeMode() const
{
    return FTimeMode;
}

void TQVTTimeModeObject::SetTimeMode(TQVTTimeMode mode)
{
    FTimeMode = mode;
}

TDateTime TQVTTimeModeObject::Next(TDateTime dt) const
{
    return corvane::Next(dt, FTimeMode);
}

TDateTime TQVTTimeModeObject::Prev(TDateTime dt) const
{
    return corvane::Prev(dt, FTimeMode);
}

TDateTime TQVTTimeModeObject::Add(TDateTime dt, int n) const
{
    return corvane::Add(dt, n, FTimeMode);
}

TDateTime TQVTTimeModeObject::RealAdd(TDateTime dt, double x) const
{
    return corvane::RealAdd(dt, x, getTimeMode());
}

std::int32_t TQVTTimeModeObject::Diff(TDateTime a, TDateTime b) const
{
    return corvane::Diff(a, b, FTimeMode);
}

double TQVTTimeModeObject::RealDiff(TDateTime a, TDateTime b) const
{
    return corvane::RealDiff(a, b, FTimeMode);
}

TDateTime TQVTTimeModeObject::StartOfPeriod(TDateTime dt) const
{
    return corvane::StartOfPeriod(dt, FTimeMode);
}

TDateTime TQVTTimeModeObject::StartOfNextPeriod(TDateTime dt) const
{
    return StartOfPeriod(dt) == dt ? dt : StartOfPeriod(Add(dt, 1));
}

TDateTime TQVTTimeModeObject::StartOfPreviousPeriod(TDateTime dt) const
{
    return StartOfPeriod(dt) == dt ? dt : StartOfPeriod(Add(dt, -1));
}

std::string TQVTTimeModeObject::PeriodToString(TDateTime dt, TQVTTimeFormat format) const
{
    return corvane::PeriodToString(dt, FTimeMode, format);
}

double TQVTTimeModeObject::getUnitPeriod() const
{
    return Next(0.0);
}

} // namespace corvane
