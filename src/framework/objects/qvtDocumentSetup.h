#pragma once
// The abstract document, what every object reaches through GetDocumentSetup, and the chart
// table as the layers below the chart reach it.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <span>
#include <string>

namespace corvane {

/// The chart table as the layers below the chart see it: what a time scale names as its grid,
/// and the rows' blocked days that the calendar leaves out.
class IQVTChartTable : public TQVTGanttObject {
public:
    /// The dates on which row `row` is blocked; empty when there is no such row. Valid until
    /// the row or the table changes.
    virtual std::span<const TDateTime> getBlockedDates(int row) const = 0;
    /// Shows or hides row `row` for the task tree (hidden rows keep their index); a hidden row
    /// shown again above the scroll position scrolls the table back to it. Nothing for no such
    /// row.
    virtual void showRow(int row, bool shown) = 0;
    /// Marks row `row` selected or focused as its task-tree row is; nothing for no such row.
    virtual void setRowSelected(int row, bool selected) = 0;
    virtual void setRowFocused(int row, bool focused) = 0;
    /// The earliest start and the latest end of the bars of row `row`; 0 when it has none or
    /// there is no such row.
    virtual TDateTime rowStartDate(int row) const = 0;
    virtual TDateTime rowEndDate(int row) const = 0;
    /// The text of the PERT box of row `row`; none when it has no box or there is no such row.
    /// Valid until the box changes.
    virtual const std::string* rowTaskName(int row) const = 0;
};

class TQVTConnectionSettings;
class TQVTDocumentCalendar;
class TQVTLegend;
class TQVTProgressBarSettings;
class TQVTTaskBarSettings;
class TQVTTextHaloSettings;
class TQVTTreeGrid;

/// The document as every object below it reaches it: its parts, its shared settings and its
/// dates. Parts that are absent answer none.
class TQVTDocumentSetup : public TQVTGanttObject {
public:
    ~TQVTDocumentSetup() override = default;

    /// Whether the time scales are repeated under the table.
    virtual bool getTimeScaleUnder() = 0;
    /// Sum of the drawn heights of the time scales that come before scale (all of them when
    /// scale is not one of the document's).
    virtual int scaleStartY(TQVTGanttObject* scale) = 0;
    /// Sum of the drawn heights of the time scales from the last one back to the one after scale.
    virtual int scaleStartUnderY(TQVTGanttObject* scale) = 0;
    /// Sum of the drawn heights of all time scales.
    virtual int GetTableStartY() = 0;
    virtual int getDocStartX() = 0;
    virtual void setDocStartX(int value) = 0;
    virtual TQVTGanttObject* getImageBarSettings() = 0;
    virtual TQVTGanttObject* getTextBarSettings() = 0;
    virtual TQVTGanttObject* getHintTextSettings() = 0;
    virtual void setHintTextSettings(TQVTGanttObject* value) = 0;
    virtual TQVTLegend* GetLegend() = 0;
    virtual TQVTTreeGrid* GetTree() = 0;
    virtual TQVTDocumentCalendar* getCalendar() = 0;
    virtual TQVTTaskBarSettings* GetTaskBarSettings() = 0;
    virtual TQVTTextHaloSettings* GetTextHaloSettings() = 0;
    virtual TQVTProgressBarSettings* GetProgressBarSettings() = 0;
    virtual TQVTConnectionSettings* GetConnectionSettings() = 0;

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
