#pragma once
// One line of the chart: the bars of one task, its PERT box, its height and visibility, the
// days on which it is blocked and its resource labels.

#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/objects/qvtOperation.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

class TQVTDataSourceIntf;
class TQVTGanttBar;
class TQVTGanttTable;
class TQVTPertBar;
class TQVTPertBarDeleteOperation;
class TQVTPertBarInsertOperation;

/// A resource label painted in a row over [StartDate, EndDate).
struct TRessourceInformation {
    TDateTime StartDate = 0;
    TDateTime EndDate = 0;
    TColor BackGroundColor = 0;
    TColor TextColor = 0;
    std::string Text1;
    std::string Text2;
    std::uint8_t Mode = 0;
    /// Where the row drawer last painted the label, for hit testing.
    TRect lastRect{};
};

/// Row i of the chart table; its order is i. Only the height, the bars and the PERT box are
/// stored; labels, blocked dates and the flags are run-time state.
class TQVTGanttRow : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Gantt Row";
    /// Stored heights outside [0, MaxHeight] are clamped.
    static constexpr int MaxHeight = 32767;

    /// Writes "typeID", "height", the bar list and the PERT box (which names itself as "pert bar").
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// Height (through setHeight), visible, hidden, order (read only: the table numbers its
    /// rows), Collapsed, focused, selected, pertBar, RowUpperLabel, RowLowerLabel, RowLabelMode.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;

    /// The table the row is in, or none when it is in none (also after it was removed).
    TQVTGanttTable* getTable() const;

    int getHeight() const { return FHeight; }
    /// Clamped to [0, MaxHeight].
    void setHeight(int value);
    /// Visible and not inside a collapsed branch.
    bool IsVisible() const { return FVisible && !FCollapsed; }
    /// False for rows scrolled out above the table's scroll position.
    void setVisible(bool value);
    bool isCollapsed() const { return FCollapsed; }
    void setCollapsed(bool value);
    /// The height when the row is visible, else 0.
    int GetVisibleHeight() const { return IsVisible() ? FHeight : 0; }
    /// Whether the task of the row has children in the document's task tree.
    bool IsGroup();

    /// Puts bar at index (at the end when index lies outside the list) and becomes its parent.
    void AddBar(const std::shared_ptr<TQVTGanttBar>& bar, int index = -1);
    /// Takes bar out of the list (the bar stays alive); answers the index it had, -1 when it was
    /// not in the row.
    int RemoveBar(const TQVTGanttBar* bar);
    int GetBarCount() const { return static_cast<int>(FBarList.size()); }
    /// None outside [0, GetBarCount()).
    TQVTGanttBar* GetBarInRow(int i) const;
    /// -1 when bar is not in the row.
    int indexOf(const TQVTGanttBar* bar) const;
    /// Bars of class kind or derived from it.
    template <typename Kind>
    int countBarsOfKind() const
    {
        int count = 0;
        for (const auto& bar : FBarList)
            count += dynamic_cast<const Kind*>(bar.get()) ? 1 : 0;
        return count;
    }
    /// The n-th bar (from 0) of class Kind or derived from it, or none.
    template <typename Kind>
    Kind* getBarOfKind(int n) const
    {
        for (const auto& bar : FBarList)
            if (auto* kind = dynamic_cast<Kind*>(bar.get()); kind && n-- == 0)
                return kind;
        return nullptr;
    }
    int GetSummarizableBarCount() const;
    /// The summarizable bar with the earliest start (the first of equal ones), or none.
    TQVTGanttBar* findFirstSummarizable() const;
    /// The summarizable bar with the latest end (the first of equal ones), or none.
    TQVTGanttBar* findLastSummarizable() const;
    /// Empties the bar list and the resource labels.
    void Clear();

    /// Dates of the row; 0 stands for no date, and bars dated 0 are passed over.
    /// Earliest start and latest end of the summarizable bars:
    TDateTime FindStartDate() const;
    TDateTime FindEndDate() const;
    /// Earliest start and latest end of all bars:
    TDateTime FindFirstStartDate() const;
    TDateTime FindLastEndDate() const;

    /// Lets every bar re-derive what depends on the calendar (adoptRowCalendar), in order;
    /// called after the calendar changed.
    void RecalculateEffective();

    /// Days on which the calendar's fixed exceptions and single weekdays do not apply to this
    /// row; run-time state set by the host, not stored.
    void AddBlockedDate(TDateTime date);
    void ClearBlockedDates();
    /// Whether some blocked date falls on the same day as date.
    bool IsBlocked(TDateTime date) const;

    /// Adds a label unless one with the same start and end exists.
    void AddRessourceLabel(TDateTime start, TDateTime end, TColor backgroundColor, TColor textColor,
                           const std::string& text1, const std::string& text2, std::uint8_t mode);
    int RessourceLabelsCount() const { return static_cast<int>(FRessourceInformations.size()); }
    /// A copy of label i; an empty label outside the list.
    TRessourceInformation GetRessourceLabel(int i) const;
    void ClearRessourceLabels() { FRessourceInformations.clear(); }
    /// Asks the memory ahead of use for what painting a connection reads of the row: its class,
    /// its bar list and its geometry lie on different cache lines.
    void prefetchForPainting() const;

    // The box beside the bars: the summary update reads both of every row.
    std::vector<std::shared_ptr<TQVTGanttBar>> FBarList;
    std::shared_ptr<TQVTPertBar> FPertBar;
    bool FHidden = false;
    /// The row's index in its table.
    int FOrder = 0;
    bool FFocused = false;
    bool FSelected = false;
    std::string FRowUpperLabel;
    std::string FRowLowerLabel;
    int FRowLabelMode = 0;
    std::vector<TDateTime> BlockedDates;
    std::vector<TRessourceInformation> FRessourceInformations;

protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
    std::unique_ptr<TQVTDrawer> makePertViewDrawer() const override;

private:
    /// The table's row geometry depends on the height and the visibility.
    void geometryChanged() const;
    /// Which bars are in which row is part of the table's row layout.
    void tellTableBarsChanged() const;

    int FHeight = 0;
    bool FVisible = true;
    bool FCollapsed = false;
};

/// Where the fields begin that the summary update reads of every row: a loaded row is placed so
/// that they start a cache line (see makeLoaded).
inline const void* hotFieldsOf(const TQVTGanttRow& row)
{
    return &row.FBarList;
}

class TQVTGanttRowPersistence : public TQVTPersistenceOf<TQVTGanttRow> {
public:
    /// Reads "height" (25 when absent), the bars (those that fail to load and repeated ones
    /// are left out) and the PERT box.
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Takes a bar out of its row (the bar stays alive) together with the document's connections
/// from or to it; undo puts them back at the indexes they had. When it was the last
/// summarizable bar of a row with a PERT box, the box goes too, with its connections.
class TQVTBarRemoveOperation : public TQVTOperation {
public:
    TQVTBarRemoveOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTGanttBar> bar,
                           bool preventFiringEvent = false);

    /// Refused (false, nothing changed) when the bar is not in its row of a table or
    /// OnBeforeBarDelete (or a connection's OnBeforeConnectionDelete) cancels.
    bool perform() override;
    /// Refused when the bar is back in a row or OnBeforeBarAdd cancels.
    bool undo() override;

    /// Asks and tells no bar events (in either direction): the bar is only moving.
    bool PreventFiringEvent;
    /// Leaves the row's PERT box alone; the bar's move takes care of it.
    bool KeepPertBar = false;
    std::shared_ptr<TQVTGanttBar> target;
    std::shared_ptr<TQVTPertBarDeleteOperation> PertOp;

private:
    std::shared_ptr<TQVTGanttRow> FRow;
    int FBarIndex = -1;
    std::shared_ptr<TQVTOperation> FConnectionSteps;
};

/// Puts a bar into a row. With the data source's AutoCreatePertbars, the row's first
/// summarizable bar also gets the row a PERT box. Undo takes both out and gives the bar back
/// the times it had.
class TQVTBarInsertOperation : public TQVTOperation {
public:
    /// The bar's text halo takes the document's text halo settings.
    TQVTBarInsertOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table, std::shared_ptr<TQVTGanttBar> bar,
                           int row);

    /// Refused (false, nothing changed) when the row does not exist, the bar is already in a
    /// row, a summary bar would go into a row without children or another bar into a row with
    /// children (unless CanCreateBarsOnSummaryRows), OnBeforeBarAdd cancels or the PERT box
    /// cannot be made.
    bool perform() override;
    /// Refused when the bar is not in its row or OnBeforeBarDelete cancels.
    bool undo() override;

    std::shared_ptr<TQVTGanttBar> Target;
    int Row;
    std::shared_ptr<TQVTPertBarInsertOperation> PertOp;

private:
    std::weak_ptr<TQVTGanttTable> FTable;
    BarTimes FTimes;
};

/// Moves a bar in time, keeping its duration, and optionally into another row (to the end of
/// that row's list). The bar's connections are deleted before and restored, at their indexes,
/// after the move; a PERT box follows the row's only summarizable bar into a row without one.
class TQVTBarMoveOperation : public TQVTOperation {
public:
    TQVTBarMoveOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTGanttBar> bar, TDateTime newStartDate,
                         int newRow);

    /// Refused (false, nothing changed) when the bar is not in a row of a table, the new row
    /// does not exist, OnBeforeBarMove cancels, OnGanttBarMove disallows or a part refuses.
    bool perform() override;
    /// The mirror image, with the same events; restores the bar's exact times and place.
    bool undo() override;

    std::shared_ptr<TQVTGanttBar> target;
    TDateTime originalStartDate;
    TDateTime newStartDate;
    std::shared_ptr<TQVTGanttRow> originalParent;
    std::shared_ptr<TQVTGanttRow> newParent;
    std::shared_ptr<TQVTMultipleOperations> BeforeOp;
    std::shared_ptr<TQVTMultipleOperations> AfterOp;

private:
    BarTimes FBefore;
    BarTimes FAfter;
};

/// Puts a PERT box into a row or takes it out; shared by the PERT box operations.
class TQVTPertBarOperation {
public:
    TQVTPertBarOperation(TQVTGanttTable& table, std::shared_ptr<TQVTPertBar> pertBar, int index);

    /// Makes PertBar the box of row Index, at place FZOrder of the PERT drawing order. Refused
    /// (false) when the row does not exist or has a box.
    bool InsertPertBar();
    /// Takes PertBar out of row Index, remembering its place in the drawing order. Refused
    /// when it is not that row's box.
    bool DeletePertBar();
    /// The table the box belongs to, or none when it is gone.
    std::shared_ptr<TQVTGanttTable> getTable() const { return FTable.lock(); }

    std::shared_ptr<TQVTPertBar> PertBar;
    int Index;
    /// The row's place in the PERT drawing order; -1 when it had none.
    int FZOrder = 0;

private:
    std::weak_ptr<TQVTGanttTable> FTable;
};

/// Gives a row a PERT box. A row without summarizable bar also gets a task bar of one
/// calendar unit from the document's start date, so that the box stands for some work.
class TQVTPertBarInsertOperation : public TQVTOperation {
public:
    /// A new box for row, named "Task " and the row's number, with the table's default PERT
    /// settings, in the first free place of the PERT plane.
    TQVTPertBarInsertOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table, int row);
    /// The same at the PERT control's point (x, y), snapped to the grid; the first free place
    /// when x or y is negative.
    TQVTPertBarInsertOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table, int x, int y, int row);
    /// The existing box pertBar for row.
    TQVTPertBarInsertOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table,
                               std::shared_ptr<TQVTPertBar> pertBar, int row);

    /// Refused (false, nothing changed) when the row does not exist, has a box or refuses the
    /// task bar.
    bool perform() override;
    bool undo() override;

    TQVTPertBarOperation PertOp;
    std::shared_ptr<TQVTBarInsertOperation> TaskBarOp;
};

/// Takes a row's PERT box away, with the PERT connections from or to it, the document's
/// connections from or to it, and the row's summarizable bars with their connections.
class TQVTPertBarDeleteOperation : public TQVTOperation {
public:
    TQVTPertBarDeleteOperation(TQVTDataSourceIntf* dataSource, const std::shared_ptr<TQVTPertBar>& pertBar);

    /// Refused (false, nothing changed) when the box is not the box of a row of a table or a
    /// part refuses.
    bool perform() override;
    bool undo() override;

    std::optional<TQVTPertBarOperation> PertOp;
    std::shared_ptr<TQVTMultipleOperations> BarOp;
};

} // namespace corvane
