#pragma once
// Views: what stands between a chart control and the document it shows. They paint, map pixels
// to dates and rows, scroll in time and keep the outline that follows a drag.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/objects/qvtHaloEntity.h"
#include "corvane/framework/objects/qvtOperation.h"
#include "corvane/framework/time/qvtTimeMode.h"
#include "corvane/platform/Types.h"

#include <functional>
#include <memory>
#include <optional>

namespace corvane {

class TQVTDataSource;
class TQVTGanttBar;
class TQVTGanttDocument;
class TQVTGanttTable;
class TQVTVisualContext;

/// A point of the chart in model terms: col in time units from the document's start date
/// (-1: none), row index (-1: none) and the pixels from the top of that row to the point.
struct TQVTColRow {
    double col = -1;
    int row = -1;
    int offset = 0;
};

/// The abstract view a chart control paints and hit-tests through.
class TQVTView {
public:
    virtual ~TQVTView() = default;

    virtual bool getSnapToCell() { return false; }
    virtual void setSnapToCell(bool) {}
    virtual bool GetIsGantt() = 0;
    virtual void Draw(TQVTDataSource* dataSource, TQVTVisualContext& vc, bool printing) = 0;
    virtual void Draw(TQVTVisualContext& vc, bool printing) = 0;
    /// Moves the chart by n time units; answers the pixels the chart really moved (0 when a
    /// limit held it), negative towards earlier dates.
    virtual int scroll(int n) = 0;
    virtual TQVTGanttObject* locateDraggingObject(int x, int y) = 0;
    virtual void setDataSource(TQVTDataSource* dataSource) = 0;
    virtual void showOutline(TQVTGanttObject* obj) = 0;
    virtual bool moveOutline(int dx, int dy, bool relative) = 0;
    virtual bool resizeOutline(int dx, int dy, bool& rightEdge) = 0;
    virtual void drawRowDragTargetLine(int y, int x1, int x2, bool first) = 0;
    virtual bool setOutline(int dx, int dy, bool& rightEdge) = 0;
    virtual TQVTOperationPtr hideOutlineAndMove() = 0;
    virtual void hideOutline() = 0;
    virtual void restoreOutline() = 0;
    virtual TQVTColRow getColRow(int x, int y, bool flag) = 0;
    virtual TRect getOutline() = 0;
    virtual bool acceptOutline() = 0;
    virtual TRect GetPrintRange() = 0;
    virtual TRect GetGraphPrintRange() = 0;
};

/// The Gantt chart's view. Outlines and the row drop marker are overlays: the view keeps them
/// and paints them with paintOverlay over the picture of the last Draw, so that a control paints
/// only in its paint event and the chart's picture is never touched by a drag.
class TQVTGanttView : public TQVTView {
public:
    /// Margin in pixels between a bar and its outline.
    static constexpr int shiftOutline = 2;

    TQVTGanttView() = default;

    bool getSnapToCell() override { return FSnapToCell; }
    void setSnapToCell(bool value) override { FSnapToCell = value; }
    bool GetIsGantt() override { return true; }
    void Draw(TQVTDataSource* dataSource, TQVTVisualContext& vc, bool printing) override;
    /// Fits the document's end date to the window (unless printing), paints the document, and the
    /// legend when printing asks for it; remembers vc for the outlines. Nothing without a data
    /// source.
    void Draw(TQVTVisualContext& vc, bool printing) override;
    /// Clamps the new start date to 30 December 1899 and to the data source's scroll limits;
    /// an outline moves with the chart by the pixels really scrolled.
    int scroll(int n) override;
    TQVTGanttObject* locateDraggingObject(int x, int y) override;
    void setDataSource(TQVTDataSource* dataSource) override { this->dataSource = dataSource; }
    void showOutline(TQVTGanttObject* obj) override;
    bool moveOutline(int dx, int dy, bool relative) override;
    bool resizeOutline(int dx, int dy, bool& rightEdge) override;
    void drawRowDragTargetLine(int y, int x1, int x2, bool first) override;
    bool setOutline(int dx, int dy, bool& rightEdge) override;
    /// The move of the outlined bar to where its outline is, not yet performed; none for a halo
    /// entity, for a refused place, or without an outline. Where bars snap together, a refused
    /// place gives the move followed by left-aligning the row, as one operation.
    TQVTOperationPtr hideOutlineAndMove() override;
    void hideOutline() override;
    void restoreOutline() override { outlinedRect = firstOutline; }
    TQVTColRow getColRow(int x, int y, bool flag) override;
    /// outlinedRect shrunk by shiftOutline on every side.
    TRect getOutline() override;
    /// For a bar: the outline's row is a row of the table and its span is free of other bars
    /// there. A halo entity's outline is always acceptable (it only picks the colour).
    bool acceptOutline() override;
    TRect GetPrintRange() override;
    TRect GetGraphPrintRange() override;

    /// As getColRow, but below the last row the rows go on with the last row's height, so the
    /// row index can pass the row count (offset 0 there).
    TQVTColRow getColRowExtended(int x, int y, bool flag);
    /// The date at pixel x: the inverse of the chart's time-to-x mapping.
    TDateTime getTime(int x);
    /// The start date for a horizontal scroll bar at position p (see the Gantt control).
    TDateTime getNewStartDate(double p);
    /// The operation that snaps the bars of row together, left to right in order of their
    /// start, each starting where the one before it ends (bars with FPreventLeftAlign stay);
    /// not yet performed. none without a document or row.
    TQVTOperationPtr LeftAlignAllBars(int row);

    /// Whether an outline (or the row drop marker) is shown.
    bool outlineShown() const { return outlinedObject != nullptr || rowDragLine.has_value(); }
    TQVTGanttObject* getOutlinedObject() const { return outlinedObject; }
    /// Paints the outline or the row drop marker, if any, over the chart's picture.
    void paintOverlay(TQVTVisualContext& vc);

    /// Told whenever the overlay changes, so that the control schedules a paint.
    std::function<void()> OnOverlayChanged;
    /// Told the cursor the outline asks for.
    std::function<void(TCursor)> OnCursorChange;

    TQVTDataSource* dataSource = nullptr;
    TQVTVisualContext* lastVC = nullptr;
    TQVTGanttObject* outlinedObject = nullptr;
    TRect outlinedRect{0, 0, 0, 0};
    TRect firstOutline{0, 0, 0, 0};
    TQVTViewType FViewType = vtGanttGraph;
    bool FSnapToCell = false;

private:
    struct RowDragLine {
        int y, x1, x2;
    };

    TQVTGanttDocument* document() const;
    TQVTGanttTable* table() const;
    TQVTColRow walkRows(int x, int y, bool extended);
    double colAt(int x) const;
    void displayOutlinedRect();
    void setCursor(TCursor cursor);

    std::optional<RowDragLine> rowDragLine;
};

/// Snaps the bars of one row together (see TQVTGanttView::LeftAlignAllBars), optionally after
/// another operation (the move that dropped a bar there). Every bar moves through its own move
/// operation, so the application can veto each; a veto takes back what was done and refuses
/// the whole. Nothing to move refuses too, so that nothing empty is recorded.
class TQVTLeftAlignBarsOperation : public TQVTMultipleOperations {
public:
    TQVTLeftAlignBarsOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable* table, int row,
                               TQVTOperationPtr first = nullptr);
    bool perform() override;

private:
    bool alignRow();

    TQVTGanttTable* table;
    int row;
    TQVTOperationPtr first;
    bool aligned = false;
};

/// Inverts the working flag of the calendar's first date category and recomputes the bars'
/// effective durations; undo inverts it back. Refused when the calendar has no category.
class TQVTToggleFirstCategoryOperation : public TQVTOperation {
public:
    TQVTToggleFirstCategoryOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument* document);
    bool perform() override { return toggle(); }
    bool undo() override { return toggle(); }

private:
    bool toggle();

    TQVTGanttDocument* document;
};

/// Shows the chart in another time unit (zooming): the calendar's time mode, which snaps the
/// start date and re-derives the time scales; undo gives back the mode and the start date.
class TQVTTimeModeOperation : public TQVTOperation {
public:
    TQVTTimeModeOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument* document, TQVTTimeMode mode);
    /// Refused without a calendar or when the mode is the calendar's already.
    bool perform() override;
    bool undo() override;

private:
    TQVTGanttDocument* document;
    TQVTTimeMode mode;
    TQVTTimeMode oldMode = tmNone;
    TDateTime oldStart = 0;
};

} // namespace corvane
