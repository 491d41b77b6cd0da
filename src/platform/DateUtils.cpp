#include "corvane/platform/DateUtils.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

namespace corvane {

namespace {

namespace chr = std::chrono;

constexpr std::int64_t MSecsPerDay = 86'400'000;
constexpr std::int64_t MinDay = -693'593;  // 1 January 0001
constexpr std::int64_t MaxDay = 2'958'465; // 31 December 9999
constexpr std::int64_t UnixEpochDay = 25'569;
constexpr int MinYear = 1;
constexpr int MaxYear = 9999;

struct DayTime {
    std::int64_t day;
    std::int64_t ms; // time of day in milliseconds
};

DayTime Split(TDateTime dt)
{
    if (std::isnan(dt))
        return {0, 0};
    // Bounds the truncation below; anything outside the calendar is clamped afterwards.
    dt = std::clamp(dt, static_cast<double>(MinDay - 2), static_cast<double>(MaxDay + 2));
    const double whole = std::trunc(dt);
    auto day = static_cast<std::int64_t>(whole);
    auto ms = static_cast<std::int64_t>(std::nearbyint(std::fabs(dt - whole) * MSecsPerDay));
    if (ms == MSecsPerDay) {
        ms = 0;
        day += dt < 0 ? -1 : 1;
    }
    if (day > MaxDay)
        return {MaxDay, MSecsPerDay - 1};
    if (day < MinDay)
        return {MinDay, 0};
    return {day, ms};
}

// Before day 0 the time of day counts away from zero.
TDateTime Compose(std::int64_t day, std::int64_t ms)
{
    const double time = static_cast<double>(ms) / MSecsPerDay;
    return day < 0 ? static_cast<double>(day) - time : static_cast<double>(day) + time;
}

chr::sys_days ToSysDays(std::int64_t day)
{
    return chr::sys_days{chr::days{day - UnixEpochDay}};
}

chr::year_month_day Civil(std::int64_t day)
{
    return chr::year_month_day{ToSysDays(day)};
}

std::int64_t DayNumber(int year, int month, int day)
{
    const chr::year_month_day ymd{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                                  chr::day{static_cast<unsigned>(day)}};
    return chr::sys_days{ymd}.time_since_epoch().count() + UnixEpochDay;
}

int IsoWeekday(std::int64_t day)
{
    return static_cast<int>(chr::weekday{ToSysDays(day)}.iso_encoding());
}

} // namespace

TDateTime Now()
{
    const auto now = chr::system_clock::now();
    const std::time_t seconds = chr::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto millis = chr::duration_cast<chr::milliseconds>(now.time_since_epoch()).count() % 1000;
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          local.tm_sec, static_cast<int>(millis));
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInAMonth(int year, int month)
{
    static constexpr int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return Days[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

TDateTime EncodeDate(int year, int month, int day)
{
    if (year < MinYear || year > MaxYear || day < 1 || day > DaysInAMonth(year, month))
        throw EConvertError("Invalid argument to date encode");
    return static_cast<double>(DayNumber(year, month, day));
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        throw EConvertError("Invalid argument to time encode");
    const std::int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<double>(ms) / MSecsPerDay;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond)
{
    const TDateTime date = EncodeDate(year, month, day);
    const TDateTime time = EncodeTime(hour, minute, second, millisecond);
    return date < 0 ? date - time : date + time;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day)
{
    const chr::year_month_day ymd = Civil(Split(dt).day);
    year = static_cast<int>(ymd.year());
    month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    day = static_cast<int>(static_cast<unsigned>(ymd.day()));
}

void DecodeTime(TDateTime dt, int& hour, int& minute, int& second, int& millisecond)
{
    const auto ms = static_cast<int>(Split(dt).ms);
    hour = ms / 3'600'000;
    minute = ms / 60'000 % 60;
    second = ms / 1000 % 60;
    millisecond = ms % 1000;
}

int YearOf(TDateTime dt)
{
    int y, m, d;
    DecodeDate(dt, y, m, d);
    return y;
}

int MonthOf(TDateTime dt)
{
    int y, m, d;
    DecodeDate(dt, y, m, d);
    return m;
}

int DayOf(TDateTime dt)
{
    int y, m, d;
    DecodeDate(dt, y, m, d);
    return d;
}

int HourOf(TDateTime dt)
{
    return static_cast<int>(Split(dt).ms / 3'600'000);
}

int MinuteOf(TDateTime dt)
{
    return static_cast<int>(Split(dt).ms / 60'000 % 60);
}

int SecondOf(TDateTime dt)
{
    return static_cast<int>(Split(dt).ms / 1000 % 60);
}

int MilliSecondOf(TDateTime dt)
{
    return static_cast<int>(Split(dt).ms % 1000);
}

int DayOfTheWeek(TDateTime dt)
{
    return IsoWeekday(Split(dt).day);
}

int DayOfTheYear(TDateTime dt)
{
    const std::int64_t day = Split(dt).day;
    const int year = static_cast<int>(Civil(day).year());
    return static_cast<int>(day - DayNumber(year, 1, 1)) + 1;
}

int WeekOfTheYear(TDateTime dt)
{
    int isoYear;
    return WeekOfTheYear(dt, isoYear);
}

int WeekOfTheYear(TDateTime dt, int& isoYear)
{
    const std::int64_t day = Split(dt).day;
    // A week belongs to the year that holds its Thursday.
    const std::int64_t thursday = day - IsoWeekday(day) + 4;
    isoYear = static_cast<int>(Civil(thursday).year());
    return static_cast<int>((thursday - DayNumber(isoYear, 1, 1)) / 7) + 1;
}

TDateTime DateOf(TDateTime dt)
{
    return static_cast<double>(Split(dt).day);
}

TDateTime TimeOf(TDateTime dt)
{
    return static_cast<double>(Split(dt).ms) / MSecsPerDay;
}

TDateTime IncMonth(TDateTime dt, std::int64_t months)
{
    if (!std::isfinite(dt))
        return dt;
    const DayTime dayTime = Split(dt);
    const chr::year_month_day ymd = Civil(dayTime.day);
    constexpr std::int64_t First = std::int64_t{MinYear} * 12;
    constexpr std::int64_t Last = std::int64_t{MaxYear} * 12 + 11;
    // Clamping the step first keeps the sum far from overflow.
    const std::int64_t step = std::clamp(months, First - Last, Last - First);
    const std::int64_t current =
        std::int64_t{static_cast<int>(ymd.year())} * 12 + static_cast<unsigned>(ymd.month()) - 1;
    const std::int64_t index = std::clamp(current + step, First, Last);
    const auto year = static_cast<int>(index / 12);
    const auto month = static_cast<int>(index % 12) + 1;
    const int day = std::min(static_cast<int>(static_cast<unsigned>(ymd.day())), DaysInAMonth(year, month));
    return Compose(DayNumber(year, month, day), dayTime.ms);
}

} // namespace corvane
