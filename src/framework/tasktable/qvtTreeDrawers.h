#pragma once
// Painting and hit testing of the task table in the Gantt view: the tree grid with its rows
// and cells, the column header, the row pane, and the handles (halo entities) of the tree.
//
// Layout: the tree area starts at x0 = the document's start x + the row pane's width + the
// tree's horizontal offset. Rows stand where the chart table puts them (getRowStartY), so tree
// row i and chart row i share their pixels; only shown rows (visible in the chart, not
// filtered out, of some height) are painted. A row at depth d has its content from
// FNestingOffset = x0 + 7 (d + 1) + 4; columns run left to right, each next one starting at
// the previous start + its width - 1 (neighbours share their border pixel); columns narrower
// than one pixel take no room.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/objects/qvtHaloEntity.h"
#include "corvane/framework/objects/qvtOperation.h"
#include "corvane/framework/tasktable/qvtHorizontalResizer.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class IQVTChartTable;
class TQVTTreeCell;
class TQVTTreeGrid;
class TQVTTreeHeader;
class TQVTTreeHeaderCell;
class TQVTTreeNode;
class TQVTTreeRow;
class TQVTTreeRowsResizePane;

/// Calls visit(index, y, height) for every shown row of grid that reaches into the band from
/// top to bottom, top down: rows that the chart table shows (not scrolled out, not in a
/// collapsed branch), not filtered out of the tree and of more than 0 pixels. Only the rows in
/// the band are visited: the first is found by bisection over the table's row starts, and runs
/// of rows that take no room are jumped the same way. visit answers false to stop.
void forEachShownRow(const TQVTTreeGrid& grid, IQVTChartTable& table, int top, int bottom,
                     const std::function<bool(int index, int y, int height)>& visit);

// ---------------------------------------------------------------------------------------------
// Halo entities of the tree

/// The plus/minus box of a tree node with children, centred on its position; a click collapses
/// or expands the node.
class TQVTNodeExpander : public TQVTHaloEntity {
public:
    /// The box is 2 HalfSize + 1 pixels square, the sign reaches SignHalf pixels from the centre.
    static constexpr int HalfSize = 4;
    static constexpr int SignHalf = 2;
    /// The mouse finds the expander within Grip pixels of its centre.
    static constexpr int Grip = 3;
    /// The colour of box and sign.
    static constexpr TColor Color = 0x808080;

    explicit TQVTNodeExpander(TQVTTreeNode* node) : node(node) {}

    bool processMouseClick() override { return true; }
    /// A TQVTNodeCollapseOperation for the node, not yet performed; none outside a document.
    TQVTOperationPtr handleClick(int x, int y, int keyState) override;
    TCursor cursorOver() override { return crHandPoint; }

    /// The centre; (-1, -1) for no expander on screen.
    void setPosition(int x, int y) { FPosition = TPoint{x, y}; }
    TPoint getPosition() const { return FPosition; }
    bool isPlaced() const { return FPosition.X != -1 || FPosition.Y != -1; }

    TQVTTreeNode* node;

protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

private:
    TPoint FPosition{0, 0};
};

class TQVTNodeExpanderDrawer : public TQVTDrawer {
public:
    explicit TQVTNodeExpanderDrawer(TQVTGanttObject* target) : TQVTDrawer(target) {}
    /// The box with a minus for an expanded node, a plus for a collapsed one.
    bool Draw(TQVTVisualContext& vc) override;
    /// The expander within Grip pixels (both ways) of its centre.
    TQVTGanttObject* locateObject(int x, int y) override;
};

/// The handle between the tree and the chart, on the tree grid's right edge (4 pixels either
/// side); dragging it changes the tree's width.
class TQVTTreeGridResizer : public TQVTHorizontalResizer {
public:
    static constexpr int Grip = 4;

    explicit TQVTTreeGridResizer(TQVTTreeGrid* grid) : grid(grid) {}

    bool IsTreeGridResizer() override { return true; }
    /// A TQVTTreeWidthOperation to width + dx; none for no change or a width below 0.
    TQVTOperationPtr handleMove(int dx, int dy, int keyState, int x, int y) override;
    /// What a double-click does: a TQVTTreeWidthOperation fitting the tree to its row pane and
    /// columns; none when it fits already.
    TQVTOperationPtr handleClick(int x, int y, int keyState) override;

    TQVTTreeGrid* grid;

protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
};

/// Sets the tree grid's width; undo gives back the width it had.
class TQVTTreeWidthOperation : public TQVTOperation {
public:
    TQVTTreeWidthOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid* grid, int newWidth);

    /// Refused for no grid or a negative width.
    bool perform() override;
    bool undo() override;

private:
    TQVTTreeGrid* FGrid;
    int FNewWidth;
    int FOldWidth = 0;
};

/// The handle on a header cell's right border; dragging it resizes the column.
class TQVTTreeHeaderCellResizer : public TQVTHorizontalResizer {
public:
    explicit TQVTTreeHeaderCellResizer(TQVTTreeHeaderCell* cell) : targetCell(cell) {}

    /// A TQVTTreeCellResizeOperation to width + dx; none below 6 pixels or for no change.
    TQVTOperationPtr handleMove(int dx, int dy, int keyState, int x, int y) override;

    TQVTTreeHeaderCell* targetCell;
};

/// The click area of one visible column of the header: a click cycles the column's sort
/// order, a drag moves the column.
class TQVTHeaderHalo : public TQVTHaloEntity {
public:
    TQVTHeaderHalo(TQVTTreeHeader* header, TQVTTreeHeaderCell* cell) : header(header), cell(cell) {}

    bool processMouseClick() override { return true; }
    /// The tree grid's sort of the column by the next order (none, ascending, descending,
    /// none), not yet performed; none for a column that cannot sort.
    TQVTOperationPtr handleClick(int x, int y, int keyState) override;
    bool processDragging() override { return true; }
    TRect getOutline() override { return FRect; }
    /// The column's rectangle moved by dx.
    TRect nextOutline(TRect r, int dx, int dy) override;
    /// Moving the column to where it is released: before the column there when that lies to
    /// the left, after it when it lies to the right (to the end beyond the last). None on the
    /// column itself or beside the columns.
    TQVTOperationPtr handleMove(int dx, int dy, int keyState, int x, int y) override;

    TQVTTreeHeader* header;
    TQVTTreeHeaderCell* cell;
    TRect FRect{0, 0, 0, 0};

protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
};

class TQVTHeaderHaloDrawer : public TQVTDrawer {
public:
    explicit TQVTHeaderHaloDrawer(TQVTGanttObject* target) : TQVTDrawer(target) {}
    /// Nothing unless highlighted; then a frame around the column.
    bool Draw(TQVTVisualContext& vc) override;
    TQVTGanttObject* locateObject(int x, int y) override;
    bool supportsHighlighting() override { return true; }
};

/// The filter drop-down button at the right end of a visible header cell, left of the grip of
/// the cell's resizer. It shows whether the rows are filtered by its column (a filled arrow) or
/// not (an outlined one); a press opens the column's filter check-list, the editor that
/// CreateEditor answers. The mouse finds it before the cell's click area.
class TQVTHeaderFilterHalo : public TQVTHaloEntity {
public:
    /// The button's width. It ends GripRoom pixels before the cell's right end, where the grip
    /// of the cell's resizer begins.
    static constexpr int ButtonWidth = 11;
    static constexpr int GripRoom = TQVTHorizontalResizerDrawer::Grip;
    /// Cells narrower than this show no button, so that their title keeps room.
    static constexpr int MinCellWidth = 40;

    /// Follows cell weakly: a cell not held by a shared_ptr, or one that is gone, is no target.
    explicit TQVTHeaderFilterHalo(TQVTTreeHeaderCell* cell);

    /// The header cell; none once it is gone.
    std::shared_ptr<TQVTTreeHeaderCell> getTarget() const { return FTarget.lock(); }
    /// Whether the tree's active filter is on this column.
    bool isFiltered() const;
    /// Places the button at the right end of the cell's rectangle; no button (an empty
    /// rectangle) for a cell narrower than MinCellWidth or without height.
    void place(TRect cellRect);
    /// Takes the button off the screen: nothing finds it until it is placed again.
    void unplace() { FRect = TRect{0, 0, 0, 0}; }
    bool isPlaced() const { return FRect.Right > FRect.Left && FRect.Bottom > FRect.Top; }
    TCursor cursorOver() override { return crHandPoint; }
    /// The editor that EditorFactory makes; the dummy editor (which changes nothing) without one.
    std::unique_ptr<TQVTObjectEditorIntf> DefaultEditor() override;

    /// Makes the filter check-lists of all columns; installed by the widgets library.
    static std::function<std::unique_ptr<TQVTObjectEditorIntf>()> EditorFactory;

    /// The button as last placed.
    TRect FRect{0, 0, 0, 0};
    std::weak_ptr<TQVTTreeHeaderCell> FTarget;

protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
};

class TQVTHeaderFilterHaloDrawer : public TQVTDrawer {
public:
    explicit TQVTHeaderFilterHaloDrawer(TQVTGanttObject* target) : TQVTDrawer(target) {}
    /// A down arrow in the middle of the button, in the title's colour: filled while the rows
    /// are filtered by the column, outlined otherwise; a frame around it while highlighted.
    /// Nothing when the button is not placed.
    bool Draw(TQVTVisualContext& vc) override;
    TQVTGanttObject* locateObject(int x, int y) override;
    TRect getRect() override { return static_cast<TQVTHeaderFilterHalo*>(target)->FRect; }
    bool supportsHighlighting() override { return true; }
};

// ---------------------------------------------------------------------------------------------
// Drawers

/// One visible column as laid out in the last paint.
struct TQVTTreeColumnPlace {
    int column; // index in the header
    int left;   // first pixel
    int width;
};

/// One row painted in the last paint.
struct TQVTTreePaintedRow {
    int index;
    int y;
    int height;
    int depth;
    TQVTTreeNode* node;
};

/// What one paint of the tree shares with the drawers of its parts.
struct TQVTTreeLayout {
    int left = 0;      // the document's start x
    int treeLeft = 0;  // right of the row pane: where rows and header begin on screen
    int x0 = 0;        // the tree area's origin (scrolled)
    int right = 0;     // the tree grid's right edge (exclusive)
    int rowsTop = 0;   // the first chart row's top
    int headerTop = 0; // rowsTop - the header's height
    std::vector<TQVTTreeColumnPlace> columns;
};

/// Paints the whole task table and finds what lies under the mouse in it.
class TQVTTreeGridDrawer : public TQVTDrawer {
public:
    explicit TQVTTreeGridDrawer(TQVTGanttObject* target) : TQVTDrawer(target) {}

    /// Background, rows with their cells and expanders, header, row pane and the resizer on
    /// the right edge; the rows are those shown within the visible area.
    bool Draw(TQVTVisualContext& vc) override;
    /// In the last paint's layout: the tree grid resizer, the header's resizers and click
    /// areas, the row pane's resizers and selectors, then the expander or the cell under the
    /// point; none elsewhere.
    TQVTGanttObject* locateObject(int x, int y) override;

    const TQVTTreeLayout& layout() const { return FLayout; }
    const std::vector<TQVTTreePaintedRow>& paintedRows() const { return FRows; }

    /// Finds the rows by a depth-first walk over the whole tree instead of starting at the
    /// first row on screen; same pixels, cost of the whole tree. For checks only.
    bool FWalkAllRows = false;

private:
    void collectRows(TQVTTreeGrid& grid, IQVTChartTable& table, int top, int bottom);

    TQVTTreeLayout FLayout;
    std::vector<TQVTTreePaintedRow> FRows;
};

/// Paints one tree row: its background and its cells, and its node's expander.
class TQVTTreeRowDrawer : public TQVTDrawer {
public:
    explicit TQVTTreeRowDrawer(TQVTGanttObject* target) : TQVTDrawer(target) {}

    /// Paints the row as last placed by the grid.
    bool Draw(TQVTVisualContext& vc) override;
    /// The cell under the point in the row's last place; none elsewhere.
    TQVTGanttObject* locateObject(int x, int y) override;
    TRect getRect() override { return FRect; }

    /// Places the row (and its cells and expander) and paints it.
    void paint(TQVTVisualContext& vc, const TQVTTreeLayout& layout, const TQVTTreePaintedRow& place);

private:
    const TQVTTreeLayout* FLayout = nullptr;
    TQVTTreePaintedRow FPlace{};
    TRect FRect{0, 0, 0, 0};
};

/// Paints one cell: its borders and its text in the row's font, aligned as its column says.
class TQVTTreeCellDrawer : public TQVTDrawer {
public:
    explicit TQVTTreeCellDrawer(TQVTGanttObject* target) : TQVTDrawer(target) {}

    bool Draw(TQVTVisualContext& vc) override;
    TQVTGanttObject* locateObject(int x, int y) override;
    TRect getRect() override { return FRect; }

    /// Places the cell at r with its content from contentLeft; text in textColor.
    void place(TRect r, int contentLeft, TColor textColor);

protected:
    /// The text shown.
    virtual std::string text() const;

private:
    TRect FRect{0, 0, 0, 0};
    int FContentLeft = 0;
    TColor FTextColor = 0;
};

/// An automatic cell shows what its type computes from the chart row at the time of painting.
class TQVTTreeAutoCellDrawer : public TQVTTreeCellDrawer {
public:
    using TQVTTreeCellDrawer::TQVTTreeCellDrawer;

protected:
    std::string text() const override;
};

/// Paints the column header: background, one cell per visible column, resizers.
class TQVTTreeHeaderDrawer : public TQVTDrawer {
public:
    explicit TQVTTreeHeaderDrawer(TQVTGanttObject* target) : TQVTDrawer(target) {}

    /// Paints in the layout of the last paint of the grid.
    bool Draw(TQVTVisualContext& vc) override;
    /// A column's resizer, then its filter button, then its click area.
    TQVTGanttObject* locateObject(int x, int y) override;

    void paint(TQVTVisualContext& vc, const TQVTTreeLayout& layout);

private:
    const TQVTTreeLayout* FLayout = nullptr;
};

/// Paints one header cell: title centred in its font, the sort mark at the right (a triangle
/// up for ascending, down for descending) left of the filter button when the cell shows one,
/// the title underlined when the rows are filtered by this column; the right border is its
/// resizer's line.
class TQVTTreeHeaderCellDrawer : public TQVTDrawer {
public:
    explicit TQVTTreeHeaderCellDrawer(TQVTGanttObject* target) : TQVTDrawer(target) {}

    bool Draw(TQVTVisualContext& vc) override;
    TRect getRect() override { return FRect; }
    void place(TRect r) { FRect = r; }

private:
    TRect FRect{0, 0, 0, 0};
};

/// Paints the row pane: its background, one selector per shown row.
class TQVTTreeRowsResizePaneDrawer : public TQVTDrawer {
public:
    explicit TQVTTreeRowsResizePaneDrawer(TQVTGanttObject* target) : TQVTDrawer(target) {}

    /// Updates the pane's handles for the visible area and paints them.
    bool Draw(TQVTVisualContext& vc) override;
    /// A row resizer (its grip wins over the selectors it overlaps), then a selector.
    TQVTGanttObject* locateObject(int x, int y) override;
};

/// A selector: a button face with a border at its right and bottom, the selected colour for
/// a selected row and a triangle pointing right for the focused one.
class TQVTRowSelectorDrawer : public TQVTDrawer {
public:
    explicit TQVTRowSelectorDrawer(TQVTGanttObject* target) : TQVTDrawer(target) {}
    bool Draw(TQVTVisualContext& vc) override;
    TQVTGanttObject* locateObject(int x, int y) override;
};

/// A row resizer shows nothing of its own (the selector's border is its line); it is found
/// within its grip.
class TQVTRowResizerDrawer : public TQVTDrawer {
public:
    explicit TQVTRowResizerDrawer(TQVTGanttObject* target) : TQVTDrawer(target) {}
    bool Draw(TQVTVisualContext& vc) override;
    TQVTGanttObject* locateObject(int x, int y) override;
};

} // namespace corvane
