#pragma once
// Time units and date arithmetic in them, and the document object that carries one unit.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/platform/Types.h"

#include <cstdint>
#include <string>

namespace corvane {

/// Stored in documents as the ordinal. Weeks begin on Monday, quarters in January, April,
/// July and October, decades in years divisible by 10. Values above tmDecade behave like tmNone.
enum TQVTTimeMode : std::uint8_t {
    tmNone,
    tmHour,
    tmDay,
    tmWeek,
    tmMonth,
    tmQuarter,
    tmYear,
    tmDecade,
};

/// Text forms of a period (see PeriodToString).
enum TQVTTimeFormat : std::uint8_t {
    tmfNone,
    tmfHourStandard,
    tmfHourAMPM,
    tmfHourTime,
    tmfDayFull,
    tmfDayShort,
    tmfDayOfYear,
    tmfDayOfMonth,
    tmfDayOfWeek,
    tmfWeekYear,
    tmfWeekYearNr,
    tmfWeekMonth,
    tmfWeekMonthNr,
    tmfMonthFull,
    tmfMonthMedium,
    tmfMonthShort,
    tmfMonthFullYear,
    tmfMonthMediumYear,
    tmfMonthShortYear,
    tmfMonthNumber,
    tmfMonthNumberYear,
    tmfQuarterFull,
    tmfQuarterShort,
    tmfQuarterFullYear,
    tmfQuarterShortYear,
    tmfQuarterRoman,
    tmfYearFull,
    tmfYearShort,
    tmfDecade,
    tmfWeekStartDay,
    tmfDayShortDayNumber,
};

/// dt moved by n units. Months keep the day (clamped to the month's length) and the time.
TDateTime Add(TDateTime dt, int n, TQVTTimeMode mode);
TDateTime Next(TDateTime dt, TQVTTimeMode mode);
TDateTime Prev(TDateTime dt, TQVTTimeMode mode);
/// dt moved by x units; the fraction of x is measured in the unit that follows the whole
/// units. A non-finite x leaves dt unchanged.
TDateTime RealAdd(TDateTime dt, double x, TQVTTimeMode mode);
/// Whole units from b to a, positive when a is later. Hours round to the nearest (ties to
/// even), days too after adding 0.00001 day, weeks are such days divided by 7 (truncated).
/// Months, quarters, years and decades count the units completed from b, also backwards.
/// Results beyond the int range are clamped; NaN gives 0.
std::int32_t Diff(TDateTime a, TDateTime b, TQVTTimeMode mode);
/// Units from b to a with months of 30.4375 days and years of 365.25 days.
double RealDiff(TDateTime a, TDateTime b, TQVTTimeMode mode);
/// Start of the unit that holds dt; hours are not truncated.
TDateTime StartOfPeriod(TDateTime dt, TQVTTimeMode mode);
/// Index of dt's day within its period: weekday (Monday = 1) for weeks, day of month for
/// months and quarters, day of year for years and decades (in leap years the days after
/// 29 February count one more: 29 February is 60, 1 March 62); 0 otherwise.
std::uint16_t Day(TDateTime dt, TQVTTimeMode mode);
/// Nominal length of the unit in days (months of 30, years of 365 days).
std::uint16_t DaysIn(TQVTTimeMode mode);
/// Days from day index `from` forward to `to`; when to is before from, round the end of a
/// nominal period (day 6 to day 1 of a week is 2 days), never below 0.
std::uint16_t DayRange(std::uint16_t from, std::uint16_t to, TQVTTimeMode mode);
TQVTTimeFormat DefaultTimeFormat(TQVTTimeMode mode);
/// The period of `mode` that holds dt as text in the locale and resource texts; empty for a
/// format that does not belong to the mode.
std::string PeriodToString(TDateTime dt, TQVTTimeMode mode, TQVTTimeFormat format);

/// A document object that does date arithmetic in one time mode.
class TQVTTimeModeObjectIntf : public TQVTGanttObject {
public:
    virtual TQVTTimeMode getTimeMode() const = 0;
    virtual void SetTimeMode(TQVTTimeMode mode) = 0;
    virtual TDateTime Next(TDateTime dt) const = 0;
    virtual TDateTime Prev(TDateTime dt) const = 0;
    virtual TDateTime Add(TDateTime dt, int n) const = 0;
    virtual TDateTime RealAdd(TDateTime dt, double x) const = 0;
    virtual std::int32_t Diff(TDateTime a, TDateTime b) const = 0;
    virtual double RealDiff(TDateTime a, TDateTime b) const = 0;
    virtual TDateTime StartOfPeriod(TDateTime dt) const = 0;
    virtual TDateTime StartOfNextPeriod(TDateTime dt) const = 0;
    virtual TDateTime StartOfPreviousPeriod(TDateTime dt) const = 0;
    virtual std::string PeriodToString(TDateTime dt, TQVTTimeFormat format) const = 0;
    virtual double getUnitPeriod() const = 0;
};

class TQVTTimeModeObject : public TQVTTimeModeObjectIntf {
public:
    TQVTTimeMode getTimeMode() const override;
    void SetTimeMode(TQVTTimeMode mode) override;
    TDateTime Next(TDateTime dt) const override;
    TDateTime Prev(TDateTime dt) const override;
    TDateTime Add(TDateTime dt, int n) const override;
    TDateTime RealAdd(TDateTime dt, double x) const override;
    std::int32_t Diff(TDateTime a, TDateTime b) const override;
    double RealDiff(TDateTime a, TDateTime b) const override;
    TDateTime StartOfPeriod(TDateTime dt) const override;
    /// dt when it starts a period, else the start of the next period.
    TDateTime StartOfNextPeriod(TDateTime dt) const override;
    /// dt when it starts a period, else the start of the period before the one holding dt.
    TDateTime StartOfPreviousPeriod(TDateTime dt) const override;
    std::string PeriodToString(TDateTime dt, TQVTTimeFormat format) const override;
    /// Length in days of the unit that begins at day 0.
    double getUnitPeriod() const override;

protected:
    TQVTTimeMode FTimeMode = tmDay;
};

} // namespace corvane
