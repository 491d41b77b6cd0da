#pragma once
// The abstract document, what every object reaches through GetDocumentSetup, and the chart
// table as the layers below the chart reach it.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <memory>
#include <span>
#include <string>

namespace corvane {

class TQVTDataSourceIntf;
class TQVTOperation;

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
    /// The height of row `index` in pixels; 0 when there is no such row.
    virtual int getRowHeight(int index) const = 0;
    /// Sets the height of row `row` as the row clamps it; nothing for no such row.
    virtual void setRowHeight(int row, int height) = 0;
    /// Whether row `row` is shown: neither scrolled out above nor in a collapsed branch. False
    /// for no such row.
    virtual bool isRowVisible(int row) const = 0;
    /// The y at which row `index` starts on the chart's vertical axis.
    virtual int getRowStartY(int index) = 0;
    /// Pixels per calendar unit on the chart's time axis; 0 when there is no axis.
    virtual int GetColumnWidth() const { return 0; }
    /// Whether the chart is painted with 3-D shading.
    virtual bool GetDraw3D() const { return false; }

    // Row order, for the task tree's sorting and moving.
    /// The number of rows.
    virtual int countRows() const = 0;
    /// Puts the rows in a new order: new row k is old row order[k]. Each index keeps its scroll
    /// flag (the rows scrolled out stay the same places). False, changing nothing, when order
    /// is no permutation of the rows.
    virtual bool reorderRows(std::span<const int> order) = 0;
    /// Gives row `row` a summary bar when hasChildren and it has none, or takes its lone summary
    /// bar away when it has no children, through a bar operation that is performed and handed
    /// back in done (none when nothing was to do). False when that operation was refused.
    virtual bool fitSummaryBar(int row, bool hasChildren, TQVTDataSourceIntf* dataSource,
                               std::shared_ptr<TQVTOperation>& done) = 0;
    /// What follows a change of the task tree's shape or order: the critical path and the
    /// summary bars, over the whole table.
    virtual void rowStructureChanged() = 0;
    /// The operation that collapses the expanded node (a task-tree node) or expands the collapsed
    /// one, not yet performed; none when the table makes none.
    virtual std::shared_ptr<TQVTOperation> makeNodeCollapseOperation(TQVTDataSourceIntf* dataSource,
                                                                     std::shared_ptr<TQVTGanttObject> node)
    {
        (void)dataSource;
        (void)node;
        return nullptr;
    }
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
    /// The horizontal offset of the task tree (its scroll position).
    virtual int getTreeStartX() = 0;
    /// Sets the tree's horizontal offset, but only while some of the tree stays visible: the
    /// tree's columns + x - the row pane's width must be more than 10 pixels.
    virtual void setTreeStartX(int x) = 0;
    /// The x at which the chart's time axis begins: the tree grid's width (col is not used).
    virtual int getColStartX(int col) = 0;
    /// The width of task-table column col; 0 without a tree or outside its columns.
    virtual int getTreeCellWidth(int col) = 0;
    /// The width of the tree's row pane; 0 without one.
    virtual int getVerticalResizePaneSize() = 0;
    /// The tree grid's width in pixels; 0 without a tree.
    virtual int getTreeWidth() = 0;
    /// The data source that owns the document, or none.
    virtual TQVTDataSourceIntf* getDataSource() = 0;
};

/// The document above obj (obj itself when it is one), or none when obj does not belong to one.
TQVTDocumentSetup* FindDocumentSetup(TQVTGanttObject* obj);

} // namespace corvane
