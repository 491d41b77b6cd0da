#pragma once
// The days on which a chart row is blocked, as the calendar's exceptions leave them out (internal).

#include "corvane/platform/Types.h"

#include <span>

namespace corvane {

class TQVTGanttObject;

/// A row's blocked dates: each blocks the whole day that holds it.
class TQVTBlockedDays {
public:
    TQVTBlockedDays() = default;
    explicit TQVTBlockedDays(std::span<const TDateTime> dates) : FDates(dates) {}

    bool empty() const { return FDates.empty(); }
    /// Whether t lies on a blocked day.
    bool IsBlocked(TDateTime t) const;
    /// Start of the first blocked day after the day holding t, or +infinity.
    TDateTime nextBlockedDay(TDateTime t) const;
    /// End of the last blocked day that ends at or before t, or -infinity.
    TDateTime previousBlockedDayEnd(TDateTime t) const;

private:
    std::span<const TDateTime> FDates;
};

/// The blocked days of row `row` of the chart table of obj's document; none for row -1, an
/// object outside a document, a document without a table or a row that does not exist. Valid
/// while the rows do not change.
TQVTBlockedDays BlockedDaysOf(TQVTGanttObject& obj, int row);

} // namespace corvane
