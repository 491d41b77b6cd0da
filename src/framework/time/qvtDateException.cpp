#include "corvane/framework/time/qvtDateException.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtCommon.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/time/qvtBlockedDays_p.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/RealText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace corvane {

namespace {

// Occurrences skipped because blocked days cover them, per search; bounds hostile data.
constexpr int MaxSkippedOccurrences = 1 << 20;
// Steps from an estimated occurrence index to the exact one; a few suffice for sane data.
constexpr int MaxIndexSteps = 64;
// Steps from the last occurrence found before estimating afresh.
constexpr int CachedSteps = 4;
// Occurrences merged into one run at most. The blocks are counted from the first occurrence, so
// that the ends of a run do not depend on the occurrence a search starts from.
constexpr std::int64_t MergeBlock = 64;

// Midnight of the day that holds the moment just before t.
TDateTime dayBefore(TDateTime t)
{
    const TDateTime day = std::trunc(t);
    return day == t ? day - 1 : day;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

int clampToInt(std::int64_t v)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool isDayIndexed(TQVTTimeMode unit)
{
    return unit >= tmWeek && unit <= tmDecade;
}

} // namespace

// ---- TQVTDateException ----

bool TQVTDateException::Matches(TDateTime dt, int row, TQVTTimeMode mode)
{
    if (!visibleIn(mode))
        return false;
    if (usesRows() && BlockedDaysOf(*this, row).IsBlocked(dt))
        return false;
    TDateTime start = 0;
    TDateTime end = 0;
    return nextRaw(dt, start, end) && start <= dt && dt < end;
}

bool TQVTDateException::findNextOccurence(TDateTime from, TDateTime& start, double& length, int row)
{
    const TQVTBlockedDays blocked = usesRows() ? BlockedDaysOf(*this, row) : TQVTBlockedDays();
    TDateTime x = from;
    for (int skipped = 0; skipped < MaxSkippedOccurrences; ++skipped) {
        TDateTime os = 0;
        TDateTime oe = 0;
        if (!nextRaw(x, os, oe) || !(oe > x))
            return false;
        TDateTime c = std::max(os, x);
        while (c < oe && blocked.IsBlocked(c))
            c = std::trunc(c) + 1;
        if (c < oe) {
            start = c;
            length = std::min(oe, blocked.nextBlockedDay(c)) - c;
            return true;
        }
        x = oe;
    }
    return false;
}

bool TQVTDateException::findPreviousOccurence(TDateTime from, TDateTime& end, double& length, int row)
{
    const TQVTBlockedDays blocked = usesRows() ? BlockedDaysOf(*this, row) : TQVTBlockedDays();
    TDateTime x = from;
    for (int skipped = 0; skipped < MaxSkippedOccurrences; ++skipped) {
        TDateTime os = 0;
        TDateTime oe = 0;
        if (!previousRaw(x, os, oe) || !(os < x))
            return false;
        TDateTime c = std::min(oe, x);
        while (c > os && blocked.IsBlocked(dayBefore(c)))
            c = dayBefore(c);
        if (c > os) {
            end = c;
            length = c - std::max(os, blocked.previousBlockedDayEnd(c));
            return true;
        }
        x = os;
    }
    return false;
}

bool TQVTDateException::nextRaw(TDateTime, TDateTime&, TDateTime&) const
{
    return false;
}

bool TQVTDateException::previousRaw(TDateTime, TDateTime&, TDateTime&) const
{
    return false;
}

bool TQVTDateException::visibleIn(TQVTTimeMode) const
{
    return true;
}

// ---- Weekend, Saturday, Sunday ----

bool TQVTWeekend::visibleIn(TQVTTimeMode mode) const
{
    return mode == tmNone || mode == tmHour || mode == tmDay;
}

// Dates outside the years 1 to 9999 decode as the nearest date inside, so the week found there
// may lie on the wrong side of from: there is then no occurrence.
bool TQVTWeekend::nextRaw(TDateTime from, TDateTime& start, TDateTime& end) const
{
    if (!std::isfinite(from))
        return false;
    start = StartOfPeriod(from, tmWeek) + (firstDay() - 1);
    end = start + dayCount();
    if (end <= from) {
        start += 7;
        end += 7;
    }
    return end > from;
}

bool TQVTWeekend::previousRaw(TDateTime from, TDateTime& start, TDateTime& end) const
{
    if (!std::isfinite(from))
        return false;
    start = StartOfPeriod(from, tmWeek) + (firstDay() - 1);
    if (start >= from)
        start -= 7;
    end = start + dayCount();
    return start < from;
}

bool TQVTSaturday::findNextOccurence(TDateTime from, TDateTime& start, double& length, int row)
{
    const bool found = TQVTWeekend::findNextOccurence(from, start, length, row);
    if (found)
        addlog("SatFNO: " + RealToText(from) + " " + RealToText(start) + " " + RealToText(length));
    return found;
}

bool TQVTSaturday::findPreviousOccurence(TDateTime from, TDateTime& end, double& length, int row)
{
    const bool found = TQVTWeekend::findPreviousOccurence(from, end, length, row);
    if (found)
        addlog("SatFPO: " + RealToText(from) + " " + RealToText(end) + " " + RealToText(length));
    return found;
}

// ---- TQVTFixedDateException ----

TQVTFixedDateException::TQVTFixedDateException(TDateTime from, TDateTime to, const std::string& name)
    : TQVTDateException(name),
      FDateFrom(from),
      FDateTo(to)
{
    while (VisibleTimeMode < tmYear && corvane::Diff(to, from, static_cast<TQVTTimeMode>(VisibleTimeMode + 1)) != 0)
        VisibleTimeMode = static_cast<TQVTTimeMode>(VisibleTimeMode + 1);
}

TQVTFixedDateException::TQVTFixedDateException(TDateTime date, const std::string& name)
    : TQVTFixedDateException(date, date + 1, name)
{
}

bool TQVTFixedDateException::visibleIn(TQVTTimeMode mode) const
{
    return mode == VisibleTimeMode || (mode == tmYear && VisibleTimeMode == tmMonth) || mode == tmNone ||
           mode == tmHour;
}

// An empty or reversed interval has no occurrence (it would take no time).
bool TQVTFixedDateException::nextRaw(TDateTime from, TDateTime& start, TDateTime& end) const
{
    if (!(FDateFrom < FDateTo) || !(from < FDateTo))
        return false;
    start = FDateFrom;
    end = FDateTo;
    return true;
}

bool TQVTFixedDateException::previousRaw(TDateTime from, TDateTime& start, TDateTime& end) const
{
    if (!(FDateFrom < FDateTo) || !(FDateFrom < from))
        return false;
    start = FDateFrom;
    end = FDateTo;
    return true;
}

void TQVTFixedDateException::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
    saveInterval(name, media);
}

void TQVTFixedDateException::saveInterval(const std::string& name, IQVTMedia& media) const
{
    media.setRealProperty(name, "DateFrom", FDateFrom);
    media.setRealProperty(name, "DateTo", FDateTo);
    media.setStrProperty(name, "Name", FName);
}

std::shared_ptr<TQVTGanttObject> TQVTFixedDateExceptionPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                           TQVTEntityFactory&)
{
    double from = 0;
    double to = 0;
    std::string text;
    media.getRealProperty(name, "DateFrom", 0, from);
    media.getRealProperty(name, "DateTo", 0, to);
    media.getStrProperty(name, "Name", "", text);
    return std::make_shared<TQVTFixedDateException>(from, to, text);
}

// ---- TQVTRecurringDateException ----

TQVTRecurringDateException::TQVTRecurringDateException() : TQVTRecurringDateException(tmWeek, 1, 6, 1, 0, 0, "", 0, 0)
{
}

TQVTRecurringDateException::TQVTRecurringDateException(TQVTTimeMode unit, std::uint16_t period, std::uint16_t dayFrom,
                                                       std::uint16_t dayTo, std::uint8_t hourFrom, std::uint8_t hourTo,
                                                       const std::string& name, TDateTime from, TDateTime to)
    : FRecurringTimeMode(unit > tmDecade ? tmNone : unit),
      FRecurringPeriod(std::max<std::uint16_t>(period, 1)),
      FHourFrom(hourFrom),
      FHourTo(hourTo),
      FDayFrom(dayFrom),
      FDayTo(dayTo),
      FLength(lengthOf(FRecurringTimeMode, dayFrom, dayTo, hourFrom, hourTo)),
      FOverlap(overlapOf(FRecurringTimeMode, FRecurringPeriod, FLength))
{
    FName = name;
    if (from > to) {
        from = EncodeDate(1970, 1, 1);
        to = EncodeDate(3000, 1, 1);
    }
    FDateFrom = StartOfPeriod(from, FRecurringTimeMode);
    FDateTo = StartOfPeriod(to, FRecurringTimeMode);
    const int span = DayRange(FDayFrom, FDayTo, FRecurringTimeMode) - (FHourTo < FHourFrom ? 1 : 0);
    VisibleTimeMode = FRecurringTimeMode;
    while (VisibleTimeMode > tmHour && DaysIn(VisibleTimeMode) > span)
        VisibleTimeMode = static_cast<TQVTTimeMode>(VisibleTimeMode - 1);
}

double TQVTRecurringDateException::lengthOf(TQVTTimeMode unit, std::uint16_t dayFrom, std::uint16_t dayTo,
                                            std::uint8_t hourFrom, std::uint8_t hourTo)
{
    const double hours = (hourTo - hourFrom) / 24.0;
    if (!isDayIndexed(unit))
        return hours + (hourTo < hourFrom ? 1 : 0);
    const bool wraps = dayTo < dayFrom || (dayTo == dayFrom && hourTo < hourFrom);
    return (dayTo - dayFrom) + hours + (wraps ? DaysIn(unit) : 0);
}

std::int64_t TQVTRecurringDateException::periodIndex(TDateTime dt) const
{
    switch (FRecurringTimeMode) {
    case tmHour:
    case tmDay:
        return static_cast<std::int64_t>(std::floor(std::clamp(dt - FDateFrom, -1e15, 1e15)));
    case tmWeek:
        return static_cast<std::int64_t>(std::floor(std::clamp((dt - FDateFrom) / 7, -1e15, 1e15)));
    default: {
        int year = 0, month = 0, day = 0, fromYear = 0, fromMonth = 0;
        DecodeDate(dt, year, month, day);
        DecodeDate(FDateFrom, fromYear, fromMonth, day);
        const std::int64_t months = std::int64_t{year - fromYear} * 12 + (month - fromMonth);
        if (FRecurringTimeMode == tmMonth)
            return months;
        if (FRecurringTimeMode == tmQuarter)
            return floorDiv(months, 3);
        return floorDiv(year - fromYear, FRecurringTimeMode == tmYear ? 1 : 10);
    }
    }
}

TDateTime TQVTRecurringDateException::occurrenceStart(std::int64_t j) const
{
    const std::int64_t units = j * FRecurringPeriod;
    TDateTime base = 0;
    switch (FRecurringTimeMode) {
    case tmHour:
    case tmDay:
        base = FDateFrom + static_cast<double>(units);
        break;
    case tmWeek:
        base = FDateFrom + 7.0 * static_cast<double>(units);
        break;
    default:
        base = corvane::Add(FDateFrom, clampToInt(units), FRecurringTimeMode);
        break;
    }
    if (isDayIndexed(FRecurringTimeMode)) {
        base += FDayFrom - 1;
        if (Day(base, FRecurringTimeMode) != FDayFrom)
            base += 1;
    }
    return base + FHourFrom / 24.0;
}

bool TQVTRecurringDateException::occurrence(std::int64_t j, TDateTime& start, TDateTime& end) const
{
    const TDateTime raw = occurrenceStart(j);
    start = std::max(raw, FDateFrom);
    end = std::min(raw + occurrenceLength(), FDateTo);
    return start < end;
}

std::int64_t TQVTRecurringDateException::firstCandidate(TDateTime dt) const
{
    // Occurrence j ends about (offset of the first occurrence + length) after its period starts.
    const double reach = occurrenceStart(0) - FDateFrom + occurrenceLength();
    std::int64_t j = std::max<std::int64_t>(0, floorDiv(periodIndex(dt - reach - 3), FRecurringPeriod));
    for (int i = 0; i < MaxIndexSteps && j > 0 && occurrenceStart(j - 1) + occurrenceLength() > dt; ++i)
        --j;
    return j;
}

bool TQVTRecurringDateException::recurs() const
{
    return FRecurringTimeMode >= tmHour && FRecurringTimeMode <= tmDecade && occurrenceLength() > 0;
}

TQVTRecurringDateException::Overlap TQVTRecurringDateException::overlapOf(TQVTTimeMode unit, std::uint16_t period,
                                                                          double length)
{
    // The shortest and the longest step from one start to the next: P units of the shortest
    // and of the longest length; in units of varying length a day index beyond a short unit
    // moves a start by one more day.
    const double p = period;
    double shortest = 0;
    double longest = 0;
    switch (unit) {
    case tmHour:
    case tmDay:
        shortest = longest = p;
        break;
    case tmWeek:
        shortest = longest = 7 * p;
        break;
    case tmMonth:
        shortest = 28 * p - 1;
        longest = 31 * p + 1;
        break;
    case tmQuarter:
        shortest = 90 * p - 1;
        longest = 92 * p + 1;
        break;
    case tmYear:
        shortest = 365 * p - 1;
        longest = 366 * p + 1;
        break;
    default:
        shortest = 3652 * p - 1;
        longest = 3653 * p + 1;
        break;
    }
    return length >= longest ? Overlap::Always : length < shortest ? Overlap::Never : Overlap::Sometimes;
}

std::int64_t TQVTRecurringDateException::lastStartingBefore(TDateTime limit,
                                                            std::initializer_list<std::int64_t> hints) const
{
    const auto startsBefore = [&](std::int64_t k) { return occurrenceStart(k) < limit; };
    for (const std::int64_t hint : hints) {
        if (hint >= 0 && startsBefore(hint) && !startsBefore(hint + 1))
            return hint;
    }
    const double offset = occurrenceStart(0) - FDateFrom;
    std::int64_t j = std::max<std::int64_t>(0, floorDiv(periodIndex(limit - offset + 3), FRecurringPeriod));
    for (int i = 0; i < MaxIndexSteps && j > 0 && !startsBefore(j); ++i)
        --j;
    for (int i = 0; i < MaxIndexSteps && startsBefore(j + 1); ++i)
        ++j;
    return startsBefore(j) && !startsBefore(j + 1) ? j : -1;
}

std::int64_t TQVTRecurringDateException::runLast(std::int64_t j, TDateTime& end) const
{
    if (FOverlap == Overlap::Never)
        return j;
    TDateTime start = 0;
    if (FOverlap == Overlap::Always) {
        const std::int64_t last = lastStartingBefore(FDateTo, {FNext.last});
        if (last >= j) {
            occurrence(last, start, end);
            return last;
        }
    }
    TDateTime nextEnd = 0;
    while ((j + 1) % MergeBlock != 0 && occurrence(j + 1, start, nextEnd) && start <= end) {
        ++j;
        end = nextEnd;
    }
    return j;
}

std::int64_t TQVTRecurringDateException::runFirst(std::int64_t j, TDateTime& start) const
{
    if (FOverlap == Overlap::Never)
        return j;
    TDateTime end = 0;
    if (FOverlap == Overlap::Always) {
        occurrence(0, start, end);
        return 0;
    }
    TDateTime previousStart = 0;
    while (j % MergeBlock != 0 && occurrence(j - 1, previousStart, end) && end >= start) {
        --j;
        start = previousStart;
    }
    return j;
}

bool TQVTRecurringDateException::nextRaw(TDateTime from, TDateTime& start, TDateTime& end) const
{
    if (!recurs() || !(from < FDateTo))
        return false;
    // Every occurrence of the run found last ends by its end, and one of them holds from.
    if (FNext.first >= 0 && from >= FNextFrom && from < FNext.end) {
        start = FNext.start;
        end = FNext.end;
        return true;
    }
    // The first occurrence ending after from (ends grow with the index), stepping from k:
    // its index, Beyond when the occurrences end first, Unsettled when the steps run out.
    constexpr std::int64_t Beyond = -1;
    constexpr std::int64_t Unsettled = -2;
    const auto settle = [&](std::int64_t k, int steps) {
        for (int i = 0; i < steps; ++i, ++k) {
            if (occurrence(k, start, end) && end > from)
                return k;
            if (start >= FDateTo)
                return Beyond;
        }
        return Unsettled;
    };
    std::int64_t j = Unsettled;
    if (FNext.first >= 0 && from >= FNextFrom)
        j = settle(FNext.last + 1, CachedSteps);
    if (j == Unsettled)
        j = settle(firstCandidate(from), MaxIndexSteps);
    if (j < 0)
        return false;
    const std::int64_t last = runLast(j, end);
    FNext = {j, last, start, end};
    FNextFrom = from;
    return true;
}

bool TQVTRecurringDateException::previousRaw(TDateTime from, TDateTime& start, TDateTime& end) const
{
    const TDateTime limit = std::min(from, FDateTo);
    if (!recurs() || !(FDateFrom < limit))
        return false;
    // The latest occurrence starting before limit (starts grow with the index), with the start
    // of its run. A search moving back goes on from the run found last.
    const std::int64_t j = lastStartingBefore(limit, {FPrevious.last, FPrevious.first - 1});
    if (j < 0)
        return false;
    if (j != FPrevious.last) {
        if (!occurrence(j, start, end) || !(start < limit))
            return false;
        const std::int64_t first = runFirst(j, start);
        FPrevious = {first, j, start, end};
    }
    start = FPrevious.start;
    end = FPrevious.end;
    return true;
}

void TQVTRecurringDateException::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
    saveInterval(name, media);
    media.setIntProperty(name, "RecurringTimeMode", FRecurringTimeMode);
    media.setIntProperty(name, "RecurringPeriod", FRecurringPeriod);
    media.setIntProperty(name, "HourFrom", FHourFrom);
    media.setIntProperty(name, "HourTo", FHourTo);
    media.setIntProperty(name, "DayFrom", FDayFrom);
    media.setIntProperty(name, "DayTo", FDayTo);
}

std::shared_ptr<TQVTGanttObject> TQVTRecurringDateExceptionPersistence::doLoad(const std::string& name,
                                                                               IQVTMedia& media, TQVTEntityFactory&)
{
    double from = 0;
    double to = 0;
    std::string text;
    int unit = 0, period = 0, hourFrom = 0, hourTo = 0, dayFrom = 0, dayTo = 0;
    media.getRealProperty(name, "DateFrom", 0, from);
    media.getRealProperty(name, "DateTo", 0, to);
    media.getStrProperty(name, "Name", "", text);
    media.getIntProperty(name, "RecurringTimeMode", tmWeek, unit);
    media.getIntProperty(name, "RecurringPeriod", 1, period);
    media.getIntProperty(name, "HourFrom", 0, hourFrom);
    media.getIntProperty(name, "HourTo", 0, hourTo);
    media.getIntProperty(name, "DayFrom", 6, dayFrom);
    media.getIntProperty(name, "DayTo", 1, dayTo);
    // Values beyond the fields' ranges are clamped into them.
    const auto u16 = [](int v) { return static_cast<std::uint16_t>(std::clamp(v, 0, 0xFFFF)); };
    const auto u8 = [](int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 0xFF)); };
    return std::make_shared<TQVTRecurringDateException>(static_cast<TQVTTimeMode>(std::clamp(unit, 0, 0xFF)),
                                                        u16(period), u16(dayFrom), u16(dayTo), u8(hourFrom), u8(hourTo),
                                                        text, from, to);
}

} // namespace corvane
