#pragma once
// The abstract document, what every object reaches through GetDocumentSetup, and the chart
// table as the layers below the chart reach it.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <span>

namespace corvane {

/// The chart table as the layers below the chart see it: what a time scale names as its grid,
/// and the rows' blocked days that the calendar leaves out.
class IQVTChartTable : public TQVTGanttObject {
public:
    /// The dates on which row `row` is blocked; empty when there is no such row. Valid until
    /// the row or the table changes.
    virtual std::span<const TDateTime> getBlockedDates(int row) const = 0;
};

class TQVTDocumentSetup : public TQVTGanttObject {
public:
    ~TQVTDocumentSetup() override = default;

    virtual TDateTime getStartDate() = 0;
    /// Snaps the date to the calendar's time unit and stores it.
    virtual void setStartDate(TDateTime value) = 0;
    virtual TDateTime getEndDate() = 0;
    virtual void setEndDate(TDateTime value) = 0;
    /// The chart table, or none.
    virtual IQVTChartTable* GetTable() = 0;
    /// Tells every time scale the calendar's current time mode.
    virtual void UpdateTimeScales() = 0;
};

/// The document above obj (obj itself when it is one), or none when obj does not belong to one.
TQVTDocumentSetup* FindDocumentSetup(TQVTGanttObject* obj);

} // namespace corvane
