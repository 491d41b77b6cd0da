#pragma once
// Calendar helpers on TDateTime (proleptic Gregorian calendar, years 1 to 9999).
//
// A date-time is a day count from 30 December 1899. The integer part (truncated
// toward zero) is the day and the absolute value of the fraction is the time of
// day, also before 1899: -1.25 is 29 December 1899 06:00.
//
// Decoding rounds the time of day to the nearest millisecond (ties to even); a
// time that rounds up to 24:00 carries into the next day (away from day 0 for
// negative values). Values that cannot be decoded are clamped:
//   NaN                             -> 30 December 1899 00:00:00.000
//   later than 31 December 9999     -> 31 December 9999 23:59:59.999 (also +inf)
//   earlier than 1 January 0001     -> 1 January 0001 00:00:00.000 (also -inf)

#include "corvane/platform/Types.h"

#include <cstdint>

namespace corvane {

bool IsLeapYear(int year);
/// 0 for a month outside 1 to 12.
int DaysInAMonth(int year, int month);

/// Throw EConvertError for values outside the calendar or the clock.
/// The current local date and time.
TDateTime Now();

TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
/// The time is subtracted for dates before 30 December 1899, so that it decodes back.
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond);

void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& minute, int& second, int& millisecond);

int YearOf(TDateTime dt);
int MonthOf(TDateTime dt);
int DayOf(TDateTime dt);
int HourOf(TDateTime dt);
int MinuteOf(TDateTime dt);
int SecondOf(TDateTime dt);
int MilliSecondOf(TDateTime dt);

/// Monday = 1 ... Sunday = 7 (ISO 8601). Day-name tables count from Sunday instead.
int DayOfTheWeek(TDateTime dt);
/// 1 for 1 January.
int DayOfTheYear(TDateTime dt);

/// ISO 8601 week: weeks begin on Monday; week 1 holds the year's first Thursday.
int WeekOfTheYear(TDateTime dt);
/// The same, also answering the year the week belongs to (1 January 2021 is week 53 of 2020).
int WeekOfTheYear(TDateTime dt, int& isoYear);

/// Midnight of the decoded day, and the decoded time of day as a fraction in [0, 1).
TDateTime DateOf(TDateTime dt);
TDateTime TimeOf(TDateTime dt);

/// Moves by whole months, keeping the time of day; the day of month is clamped to
/// the target month's length. Results beyond years 1 to 9999 are clamped to the
/// first or last month of that range; a non-finite value is answered unchanged.
TDateTime IncMonth(TDateTime dt, std::int64_t months = 1);

} // namespace corvane
