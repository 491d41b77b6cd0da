#pragma once
// The narrow pane left of the task table that selects rows, moves them and resizes their
// height: one selector and one resizer per shown row.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/objects/qvtHaloEntity.h"
#include "corvane/framework/objects/qvtOperation.h"
#include "corvane/platform/Colors.h"

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTTreeGrid;
class TQVTTreeRowsResizePane;

/// The handle of one shown row in the pane: a click selects rows, a drag moves the row
/// elsewhere in the tree. The pane keeps the selector of a row from one update to the next.
class TQVTRowSelector : public TQVTHaloEntity {
public:
    TQVTRowSelector(TQVTTreeRowsResizePane* pane, TRect rect, int index);

    bool processMouseClick() override { return true; }
    bool processDragging() override { return true; }
    /// The selector's rectangle.
    TRect getOutline() override { return rect; }
    /// The rectangle moved by dy: a row is dragged up and down only.
    TRect nextOutline(TRect r, int dx, int dy) override;
    bool changeCursorDragging() override { return true; }
    TCursor cursorDragging() override { return crDrag; }

    /// Whether (x, y) lies in the rectangle (right and bottom edges exclusive).
    bool contains(int x, int y) const;
    /// Selects rows through the grid's handleRowSelect as a click on this selector's row with
    /// flags (bit 1 adds to the selection, bit 2 selects a run); selection is no operation, so
    /// the answer is always none.
    TQVTOperationPtr handleClick(int x, int y, int flags) override;
    /// The move of a drag released at (x, y), not yet performed: before the row whose
    /// selector is there, or to the end of the top level when there is none. None on the
    /// dragged row's own selector and wherever the tree cannot move the row.
    TQVTOperationPtr handleMove(int dx, int dy, int keyState, int x, int y) override;

    TQVTTreeRowsResizePane* pane;
    TRect rect;
    /// The row index the selector stands for.
    int index;

protected:
    /// A TQVTRowSelectorDrawer (qvtTreeDrawers.cpp).
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
};

/// The drag handle on the lower border of one shown row, across the pane.
class TQVTRowResizer : public TQVTHaloEntity {
public:
    /// Grip above and below the border, in pixels.
    static constexpr int Grip = 2;
    /// Rows are not made lower than this by dragging.
    static constexpr int MinHeight = 6;

    TQVTRowResizer(TQVTTreeRowsResizePane* pane, int row, int x, int y, int width);

    bool processDragging() override { return true; }
    /// A strip 2 pixels high on the border, across the pane.
    TRect getOutline() override;
    /// The strip moved by dy: only the height changes.
    TRect nextOutline(TRect r, int dx, int dy) override;
    bool changeCursorDragging() override { return true; }
    TCursor cursorDragging() override { return crVSplit; }
    TCursor cursorOver() override { return crVSplit; }

    /// Whether (x, y) lies on the grip: within Grip pixels of the border, across the pane.
    bool contains(int x, int y) const;
    /// The height change of a drag by dy, not yet performed: a TQVTRowResizeOperation to the
    /// row's current height + dy. None below MinHeight, for no change or without the row.
    TQVTOperationPtr handleMove(int dx, int dy, int keyState, int x, int y) override;

    TQVTTreeRowsResizePane* pane;
    /// The index of the chart row whose lower border this is.
    int targetRow;
    int FX;
    int FY;
    int FWidth;

protected:
    /// A TQVTRowResizerDrawer (qvtTreeDrawers.cpp).
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
};

/// The pane's settings and its handles. Its parent is the tree grid.
class TQVTTreeRowsResizePane : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Vertical resize pane";
    /// Stored widths are clamped to [0, MaxWidth].
    static constexpr int MaxWidth = 32767;

    /// Writes "typeID", "width" and "color".
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    /// Rebuilds the selectors and resizers from the rows: from the chart table's first row
    /// top down, every row that is neither filtered out of the tree nor hidden in the chart
    /// (scrolled out above or inside a collapsed branch) and that reaches into the band from
    /// top to bottom gets a selector over its height, FWidth wide from the document's start x,
    /// and a resizer on its lower border. Only the rows in the band are visited, and rows of
    /// no height get no handles. A row keeps its selector and resizer from one update to the
    /// next (only their places change); handles dropped stay alive until the next update, so
    /// a handle held between two paints is never freed under its holder. Without a document,
    /// chart table or grid both lists are empty.
    void update(int top = INT_MIN, int bottom = INT_MAX);
    /// The selector whose rectangle holds (x, y), or none.
    TQVTRowSelector* locateSelector(int x, int y) const;
    /// The selector of row index i, or none when the row has none.
    TQVTRowSelector* GetRowSelector(int i) const;
    /// The resizer whose grip holds (x, y) (the lower one where two grips meet), or none.
    TQVTRowResizer* locateResizer(int x, int y) const;

    /// The tree grid the pane belongs to, or none.
    TQVTTreeGrid* getGrid() const;

    int FWidth = 30;
    TColor FColor = clSilver;
    /// Both in row order, and so from top to bottom.
    std::vector<std::shared_ptr<TQVTRowResizer>> resizingHalo;
    std::vector<std::shared_ptr<TQVTRowSelector>> rowSelectors;

protected:
    /// A TQVTTreeRowsResizePaneDrawer (qvtTreeDrawers.cpp).
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

private:
    std::vector<std::shared_ptr<TQVTRowResizer>> FRetiredResizers;
    std::vector<std::shared_ptr<TQVTRowSelector>> FRetiredSelectors;
};

class TQVTTreeRowsResizePanePersistence : public TQVTPersistenceOf<TQVTTreeRowsResizePane> {
public:
    /// "width" 15 and "color" $C0C0C0 when absent; a width out of range is clamped with a log
    /// line.
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Sets the height of one chart row, then renumbers the tree and refits its rows; undo sets the
/// height the row had when the operation was performed.
class TQVTRowResizeOperation : public TQVTOperation {
public:
    TQVTRowResizeOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid* grid, int target, int newHeight);

    /// Refused without a document, a chart table or the row.
    bool perform() override;
    bool undo() override;

    int originalHeight = 0;
    int newHeight;

private:
    TQVTTreeGrid* FGrid;
    int FTarget;
};

} // namespace corvane
