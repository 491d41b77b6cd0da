#pragma once
// The base of every bar kind: a time span in one row; its painter and loader bases, and the
// undoable operations that change a bar's times.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/objects/qvtOperation.h"

#include <cstdint>
#include <memory>
#include <string>

namespace corvane {

class TQVTDataSourceIntf;
class TQVTGanttBar;
class TQVTGanttDocument;
class TQVTGanttRow;
class TQVTGanttTable;
class TQVTTextHalo;

/// Everything a change of a bar's times may touch, so that an undo can put it back exactly.
struct BarTimes {
    TDateTime start = 0;
    TDateTime end = 0;
    /// Kept by the kinds that count their length in working time; -1 for the others.
    double effectiveDuration = -1;
    /// Kept by the kinds whose height follows a vertical drag; 0 for the others.
    int height = 0;
};

/// Creates a bar of one class over [start, end) in row.
using BarFactory = std::shared_ptr<TQVTGanttBar> (*)(TDateTime start, TDateTime end, int row);

/// A time span [start, end) in one row of the chart table; the base of every bar kind. Times
/// are never rounded to calendar units here.
class TQVTGanttBar : public TQVTGanttObject {
protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

public:
    /// A bar over [0, 1) in row 0 without text halo: what the loaders start from.
    TQVTGanttBar();
    /// A bar over [start, end) in row; an end that is not after start gives one day from start.
    /// The bar gets a text halo with text settings of its own.
    TQVTGanttBar(TDateTime start, TDateTime end, int row);

    /// Drags an edge by change units of the calendar's time mode (fractions allowed); the bar
    /// never becomes shorter than one unit. Answers whether the bar changed.
    virtual bool Resize(double change, int row, bool right);
    /// A move operation to start date and row index, not yet performed; none when the bar is in
    /// no row of a table.
    virtual TQVTOperationPtr moveTo(TDateTime date, int row);
    /// Whether date lies in [start, end) and the bar is in row.
    virtual bool occupies(TDateTime date, int row);
    /// The bar's rectangle on the chart when the chart begins at viewStart.
    virtual TRect getRect(TDateTime viewStart);
    virtual TDateTime getStartDate();
    virtual TDateTime getEndDate();
    virtual void setEndDate(TDateTime date);
    virtual bool inRow(int row);
    /// Whether the bar's span meets [start, end) in row; bar is the one being placed.
    virtual bool overlap(TDateTime start, TDateTime end, int row, TQVTGanttBar* bar);
    /// Sets the start, then the end, through the kind's own setters.
    virtual void setPeriod(TDateTime start, TDateTime end);
    virtual bool canResizeVertically() const { return false; }
    /// Whether the bar counts as the real work of its row (summary bars, PERT boxes and the
    /// row's dates follow such bars).
    virtual bool isSummarizable() const { return false; }
    /// Whether the bar spans the work of the rows below its own (a summary bar) rather than
    /// being work itself.
    virtual bool followsRowsBelow() const { return false; }
    virtual bool multiRow() const { return false; }
    /// Whether a connection may end at the bar.
    virtual bool acceptConnections() const { return false; }
    virtual bool canMoveVertically() const { return true; }
    /// Working days in [start, end) by the calendar of the bar's row.
    virtual double getEffectiveDuration();
    /// Plain calendar arithmetic: the end becomes start + d days.
    virtual void setEffectiveDuration(double d);
    virtual void setStartDate(TDateTime date);
    /// Creates the placeholder that the controller shows while a bar of this kind is dragged out.
    virtual BarFactory getFakeClass() const;

    /// The bar's times as a change of them may leave them.
    virtual BarTimes getTimes() const;
    /// Puts back times that getTimes answered, without the rules of the kind's setters.
    virtual void setTimes(const BarTimes& times);
    /// Called when the bar has been placed into a row: kinds that count working time re-derive
    /// their end by that row's calendar. The base keeps its span as it is.
    virtual void adoptRowCalendar() {}

    /// Also makes the bar the parent of its text halo when the halo has none yet.
    void setParent(TQVTGanttObject* parent) override;
    /// StartDate, EndDate (brought into the years 1 to 9999), row, textHalo, focused,
    /// PreventLeftAlign, Visible, and the exact times for snapshots. An edit of a bar in a table
    /// is a time assignment: OnBeforeBarResize may refuse it; afterwards the table updates and
    /// OnAfterBarResize is told.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;

    /// The order of the parent row, which is also stored in FRow; FRow when the bar is in no row.
    int getRow();
    /// The bar's index in its row's list, -1 when it is in no row.
    int getIndexInRow() const;
    TDateTime getDuration() const { return FendDate - FstartDate; }

    /// The exact classes that loops over every bar of a plan tell apart without virtual calls.
    enum class ExactClass : std::uint8_t { Unknown, Task, Summary, Progress, Milestone, Other };
    /// The bar's exact class among those, Other for any other class (also one derived from
    /// them). Found from the class record once and kept beside the dates, so that such loops
    /// need not read the class record's line of every bar.
    ExactClass exactClass() const;

    /// The row the bar belongs to, or none.
    TQVTGanttRow* getParentRow() const;
    /// The table whose row holds the bar, or none when the bar or its row is not in a table.
    TQVTGanttTable* findTable() const;
    /// The document the bar belongs to; none while the bar is in none.
    TQVTGanttDocument* findDocument() const;

    std::shared_ptr<TQVTTextHalo> FTextHalo;
    int FRow = 0;
    // From here the fields take 24 bytes, so that a task bar's scheduling values that follow
    // fill the rest of the start date's cache line (see hotFieldsOf).
    TDateTime FstartDate = 0;
    TDateTime FendDate = 0;
    int FProgress = 0;
    bool FFocused = false;
    bool FPreventLeftAlign = false;
    bool FVisible = true;

private:
    mutable ExactClass FExactClass = ExactClass::Unknown;
};

/// Where the fields begin that the summary update and the critical path read of every bar: a
/// loaded bar is placed so that they start a cache line (see makeLoaded).
inline const void* hotFieldsOf(const TQVTGanttBar& bar)
{
    return &bar.FstartDate;
}

/// Paints a bar and finds it under the mouse; kinds derive their painters from it.
class TQVTGanttBarDrawer : public TQVTDrawer {
public:
    explicit TQVTGanttBarDrawer(TQVTGanttObject* target = nullptr) : TQVTDrawer(target) {}

    /// Where the bar was last painted; (-1, -1, -1, -1) when it was not.
    TRect getRect() override { return lastRect; }
    /// The bar when (x, y) lies in the rectangle where it was last painted, else none.
    TQVTGanttObject* locateObject(int x, int y) override;
    bool supportsHighlighting() override { return true; }
    /// Whether x is at least as close to the left edge of the last painted rectangle as to its
    /// right edge; the controller picks the edge to drag by it.
    virtual bool closerToStart(int x, int y);
    /// The full row-high rectangle of the bar when the chart begins at viewStart: x from the
    /// dates in units of the calendar's time mode times the column width, y from the row.
    virtual TRect getRect(TDateTime viewStart);
    /// While highlighted, frames rect enlarged by 2 pixels with a dotted red line.
    virtual void highlight(TQVTVisualContext& vc, TRect rect);
    void clearLastRect() { lastRect = NoRect; }

    static constexpr TRect NoRect{-1, -1, -1, -1};
    TRect lastRect = NoRect;

protected:
    TQVTGanttBar* bar() const;
};

/// Loads a bar through the kind's doLoadBar, then its "text halo". The base writes no keys.
class TQVTGanttBarPersistence : public TQVTPersistence {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) final;

protected:
    virtual std::shared_ptr<TQVTGanttBar> doLoadBar(const std::string& name, IQVTMedia& media,
                                                    TQVTEntityFactory& factory) = 0;
};

/// The placeholder the controller shows while a new bar is dragged out: it accepts
/// connections, paints nothing and is found nowhere.
class TQVTFakeBar : public TQVTGanttBar {
protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

public:
    TQVTFakeBar(TDateTime start, TDateTime end, int row);

    bool acceptConnections() const override { return true; }
};

/// Paints nothing and finds nothing; its rectangle is the row's less 5 pixels at top and bottom.
class TQVTFakeBarDrawer : public TQVTGanttBarDrawer {
public:
    using TQVTGanttBarDrawer::getRect;
    using TQVTGanttBarDrawer::TQVTGanttBarDrawer;

    TQVTGanttObject* locateObject(int, int) override { return nullptr; }
    TRect getRect(TDateTime viewStart) override;
};

/// A passive bar the host adds to show where a task was planned: painted in the upper three
/// quarters of its row, never found, never highlighted, never in the way of another bar.
class TQVTShadowTaskBar : public TQVTGanttBar {
protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

public:
    TQVTShadowTaskBar(TDateTime start, TDateTime end, int row);

    /// Meets nothing; the table's barInRange passes over shadow bars anyway.
    bool overlap(TDateTime, TDateTime, int, TQVTGanttBar*) override { return false; }

    TColor FColor = 0;
    /// Written centred at the top of the bar when not empty.
    std::string FTopCaption;
};

/// A passive bar painted in the lowest quarter of its row.
class TQVTShadowProgressBar : public TQVTGanttBar {
protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

public:
    TQVTShadowProgressBar(TDateTime start, TDateTime end, int row);

    TColor FColor = 0;
};

/// What both shadow painters share: they fill the bar's part of the row with its colour inside
/// a solid frame, when the bar meets the document's date range, and refuse hit testing and
/// highlighting.
class ShadowBarDrawer : public TQVTGanttBarDrawer {
public:
    using TQVTGanttBarDrawer::getRect;
    using TQVTGanttBarDrawer::TQVTGanttBarDrawer;

    bool Draw(TQVTVisualContext& vc) override;
    TQVTGanttObject* locateObject(int, int) override { return nullptr; }
    bool supportsHighlighting() override { return false; }
};

/// Narrows the row to its upper three quarters; writes the top caption.
class TQVTShadowTaskBarDrawer : public ShadowBarDrawer {
public:
    using ShadowBarDrawer::getRect;
    using ShadowBarDrawer::ShadowBarDrawer;

    TRect getRect(TDateTime viewStart) override;
};

/// Narrows the row to its lowest quarter.
class TQVTShadowProgressBarDrawer : public ShadowBarDrawer {
public:
    using ShadowBarDrawer::getRect;
    using ShadowBarDrawer::ShadowBarDrawer;

    TRect getRect(TDateTime viewStart) override;
};

/// Drags one edge of a bar (Resize) with the data source's resize events; its undo puts back
/// the exact times the bar had, whatever the resize clamped.
class TQVTBarResizeOperation : public TQVTOperation {
public:
    TQVTBarResizeOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTGanttBar> bar, double changeCol,
                           int changeRow, bool right);

    /// Refused (false, nothing changed) when the bar is in no row of a table, OnBeforeBarResize
    /// cancels, OnBarResize disallows or the bar's Resize refuses.
    bool perform() override;
    /// Asks the same events with the changes negated, then restores the recorded times.
    bool undo() override;

    std::shared_ptr<TQVTGanttBar> Target;
    double changeCol;
    int changeRow;
    bool right;

private:
    BarTimes FBefore;
};

/// Sets both times of a bar at once through the kind's setters.
class TQVTBarAssignTimeOperation : public TQVTOperation {
public:
    TQVTBarAssignTimeOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTGanttBar> bar, TDateTime start,
                               TDateTime end);

    /// Refused (false, nothing changed) when the bar is in no row of a table or
    /// OnBeforeBarResize cancels.
    bool perform() override;
    /// Restores the times the bar had before perform.
    bool undo() override;

    std::shared_ptr<TQVTGanttBar> Target;
    TDateTime FStartDate;
    TDateTime FEndDate;

private:
    BarTimes FOld;
};

} // namespace corvane
