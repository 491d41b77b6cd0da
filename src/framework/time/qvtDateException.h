#pragma once
// Date exceptions: the sets of time intervals that date categories are made of.

#include "corvane/framework/time/qvtTimeMode.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

namespace corvane {

class IQVTDateException : public TQVTGanttObject {
public:
    virtual TQVTGanttObject* getObject() = 0;
    /// dt lies in this exception, judged at the resolution mode; row -1 is no row.
    virtual bool Matches(TDateTime dt, int row, TQVTTimeMode mode) = 0;
    virtual std::string getName() const = 0;
    virtual void setName(const std::string& name) = 0;
    /// The occurrence holding from (start = from, length what remains) or else the next one.
    virtual bool findNextOccurence(TDateTime from, TDateTime& start, double& length, int row) = 0;
    /// The occurrence holding from (end = from, length the part before) or else the last one
    /// that ends at or before from.
    virtual bool findPreviousOccurence(TDateTime from, TDateTime& end, double& length, int row) = 0;
};

/// An exception is a sequence of occurrences [start, end) ordered by start. Subclasses describe
/// the raw occurrences; matching, searching and the days on which a row is blocked (which cut
/// those days out of the occurrences) are handled here once, so that they always agree. A
/// search that the raw occurrences cannot move stops at once.
class TQVTDateException : public IQVTDateException {
public:
    TQVTDateException() = default;
    explicit TQVTDateException(std::string name) : FName(std::move(name)) {}

    TQVTGanttObject* getObject() override { return this; }
    bool Matches(TDateTime dt, int row, TQVTTimeMode mode) override;
    std::string getName() const override { return FName; }
    void setName(const std::string& name) override { FName = name; }
    bool findNextOccurence(TDateTime from, TDateTime& start, double& length, int row) override;
    bool findPreviousOccurence(TDateTime from, TDateTime& end, double& length, int row) override;

    /// The earliest-starting occurrence that ends after from (its start may lie before from);
    /// false when there is none. Overlapping occurrences may be answered as one.
    virtual bool nextRaw(TDateTime from, TDateTime& start, TDateTime& end) const;
    /// The latest-starting occurrence that starts before from (its end may lie after from);
    /// false when there is none. Overlapping occurrences may be answered as one.
    virtual bool previousRaw(TDateTime from, TDateTime& start, TDateTime& end) const;

    /// Whether the exception shows at the resolution mode.
    virtual bool visibleIn(TQVTTimeMode mode) const;

protected:
    /// Whether days on which a row is blocked are cut out of the occurrences.
    virtual bool usesRows() const { return true; }

    std::string FName;
};

/// Every Saturday and Sunday, shown at hour and day resolution; rows are not consulted.
class TQVTWeekend : public TQVTDateException {
public:
    std::string getName() const override { return {}; }
    void setName(const std::string&) override {}
    bool nextRaw(TDateTime from, TDateTime& start, TDateTime& end) const override;
    bool previousRaw(TDateTime from, TDateTime& start, TDateTime& end) const override;
    bool visibleIn(TQVTTimeMode mode) const override;

protected:
    bool usesRows() const override { return false; }
    /// First day of the week (Monday = 1) and number of days of each occurrence.
    virtual int firstDay() const { return 6; }
    virtual int dayCount() const { return 2; }
};

/// Every Saturday only; its searches also go to the diagnostic log.
class TQVTSaturday : public TQVTWeekend {
public:
    bool findNextOccurence(TDateTime from, TDateTime& start, double& length, int row) override;
    bool findPreviousOccurence(TDateTime from, TDateTime& end, double& length, int row) override;

protected:
    bool usesRows() const override { return true; }
    int dayCount() const override { return 1; }
};

/// Every Sunday only.
class TQVTSunday : public TQVTWeekend {
protected:
    bool usesRows() const override { return true; }
    int firstDay() const override { return 7; }
    int dayCount() const override { return 1; }
};

/// One interval from <= t < to.
class TQVTFixedDateException : public TQVTDateException {
public:
    static constexpr const char* TypeID = "Fixed Date Exception";

    TQVTFixedDateException() = default;
    /// Shown at the coarsest unit of which the interval spans at least one whole unit.
    TQVTFixedDateException(TDateTime from, TDateTime to, const std::string& name);
    /// The day that starts at date.
    TQVTFixedDateException(TDateTime date, const std::string& name);

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    bool nextRaw(TDateTime from, TDateTime& start, TDateTime& end) const override;
    bool previousRaw(TDateTime from, TDateTime& start, TDateTime& end) const override;

    TDateTime getDateFrom() const { return FDateFrom; }
    TDateTime getDateTo() const { return FDateTo; }
    TQVTTimeMode getVisibleTimeMode() const { return VisibleTimeMode; }
    bool visibleIn(TQVTTimeMode mode) const override;

protected:
    /// "DateFrom", "DateTo", "Name".
    void saveInterval(const std::string& name, IQVTMedia& media) const;

    TQVTTimeMode VisibleTimeMode = tmHour;
    TDateTime FDateFrom = 0;
    TDateTime FDateTo = 0;
};

class TQVTFixedDateExceptionPersistence : public TQVTPersistenceOf<TQVTFixedDateException> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// An interval in every P-th period of a unit, counted from the period of the first date: from
/// day D1 hour H1 to day D2 hour H2 of the period, into the following period when (D2, H2) comes
/// before (D1, H1). Hour and day units have no day index: they recur every P days from H1 to H2.
/// Occurrences are kept inside [DateFrom, DateTo). Occurrences that overlap or touch are searched
/// as runs, so that an exception longer than its period does not cost one step per period.
class TQVTRecurringDateException : public TQVTFixedDateException {
public:
    static constexpr const char* TypeID = "Recurring Date Exception";

    /// The defaults of a stored exception: weekly from day 6 to day 1, for no dates.
    TQVTRecurringDateException();
    /// A from after to stands for 1 January 1970 to 1 January 3000; a period of 0 for 1.
    TQVTRecurringDateException(TQVTTimeMode unit, std::uint16_t period, std::uint16_t dayFrom, std::uint16_t dayTo,
                               std::uint8_t hourFrom, std::uint8_t hourTo, const std::string& name, TDateTime from,
                               TDateTime to);

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    bool nextRaw(TDateTime from, TDateTime& start, TDateTime& end) const override;
    bool previousRaw(TDateTime from, TDateTime& start, TDateTime& end) const override;

    TQVTTimeMode getRecurringTimeMode() const { return FRecurringTimeMode; }
    std::uint16_t getRecurringPeriod() const { return FRecurringPeriod; }
    std::uint8_t getHourFrom() const { return FHourFrom; }
    std::uint8_t getHourTo() const { return FHourTo; }
    std::uint16_t getDayFrom() const { return FDayFrom; }
    std::uint16_t getDayTo() const { return FDayTo; }
    /// Days from the start of an occurrence to its end.
    double occurrenceLength() const { return FLength; }

private:
    /// Whether an occurrence overlaps or touches the next one.
    enum class Overlap : std::uint8_t {
        Never,
        Always,
        Sometimes
    };

    static Overlap overlapOf(TQVTTimeMode unit, std::uint16_t period, double length);
    static double lengthOf(TQVTTimeMode unit, std::uint16_t dayFrom, std::uint16_t dayTo, std::uint8_t hourFrom,
                           std::uint8_t hourTo);
    /// Whether there are occurrences at all: a known unit and a positive length.
    bool recurs() const;
    /// Periods of the unit from the first period to the one holding dt (hour units step by days).
    std::int64_t periodIndex(TDateTime dt) const;
    /// The j-th occurrence, clipped to [DateFrom, DateTo); false when nothing of it is left.
    bool occurrence(std::int64_t j, TDateTime& start, TDateTime& end) const;
    TDateTime occurrenceStart(std::int64_t j) const;
    /// The first j whose occurrence may end after dt, never after the true one.
    std::int64_t firstCandidate(TDateTime dt) const;
    /// The last occurrence starting before limit: the first of the hints that is, or else one
    /// found from an estimate; -1 when the estimate does not settle on it.
    std::int64_t lastStartingBefore(TDateTime limit, std::initializer_list<std::int64_t> hints) const;
    /// The last occurrence of the run that holds occurrence j, which ends at end; end becomes
    /// the run's end.
    std::int64_t runLast(std::int64_t j, TDateTime& end) const;
    /// The first occurrence of the run that holds occurrence j, which starts at start; start
    /// becomes the run's start.
    std::int64_t runFirst(std::int64_t j, TDateTime& start) const;

    TQVTTimeMode FRecurringTimeMode = tmWeek;
    std::uint16_t FRecurringPeriod = 1;
    std::uint8_t FHourFrom = 0;
    std::uint8_t FHourTo = 0;
    std::uint16_t FDayFrom = 6;
    std::uint16_t FDayTo = 1;
    double FLength;
    Overlap FOverlap;
    /// The last answers of nextRaw and previousRaw: occurrences first to last, from start to end
    /// (first -1: none). The working-time arithmetic moves through occurrences in order, so it
    /// mostly reuses them or their neighbours.
    struct Cached {
        std::int64_t first = -1;
        std::int64_t last = -1;
        TDateTime start = 0;
        TDateTime end = 0;
    };
    mutable Cached FNext;
    mutable TDateTime FNextFrom = 0;
    mutable Cached FPrevious;
};

class TQVTRecurringDateExceptionPersistence : public TQVTPersistenceOf<TQVTRecurringDateException> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
