#pragma once
// Locale texts for dates and times, and date-time formatting with them.
// Not locked: change the settings only while no other thread formats.

#include "corvane/platform/Types.h"

#include <array>
#include <string>

namespace corvane {

struct TFormatSettings {
    std::array<std::string, 12> LongMonthNames; // index 0 = January
    std::array<std::string, 12> ShortMonthNames;
    std::array<std::string, 7> LongDayNames; // index 0 = Sunday
    std::array<std::string, 7> ShortDayNames;
    std::string ShortDateFormat;
    std::string LongDateFormat;
    char DateSeparator = '/';
    char TimeSeparator = ':';
    std::string TimeAMString;
    std::string TimePMString;
    std::string ShortTimeFormat;
    std::string LongTimeFormat;
    char DecimalSeparator = '.';
};

/// The process-wide settings, English until SetFormatSettings is called.
TFormatSettings& FormatSettings();

/// Fills the settings for "en" (British conventions), "de" or "fr"; any other language gives English.
void SetFormatSettings(const std::string& lang);

/// Formats with the process-wide settings. Specifiers, matched without regard to case:
///   d dd          day of month, without / with leading zero
///   ddd dddd      short / long day name (more d's also give the long name)
///   m mm          month number; minutes instead when directly after an h or hh
///                 specifier (only literal text may come between them)
///   mmm mmmm      short / long month name
///   yy yyyy       two-digit / four-digit year (one or two y's / three or more)
///   h hh          hour; on the 12-hour clock when the format holds am/pm or ampm
///   n nn s ss     minutes, seconds
///   z zzz         milliseconds, without / with leading zeros (zz is z)
///   am/pm         "am" or "pm" in the letter case written in the format
///   ampm          TimeAMString or TimePMString
///   /  :          DateSeparator, TimeSeparator
///   "..." '...'   literal text
/// Every other character is copied.
std::string FormatDateTime(const std::string& format, TDateTime dt);

} // namespace corvane
