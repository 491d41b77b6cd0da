#pragma once
// The chart table: the rows of a document with the layout values that painting uses, the PERT
// layout, and the undoable operations on rows and bars.

#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/objects/qvtOperation.h"
#include "corvane/platform/Canvas.h"
#include "corvane/platform/Colors.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace corvane {

class TQVTBarConnection;
class TQVTCriticalPathCalculator;
class TQVTDataSourceIntf;
class TQVTGanttBar;
class TQVTGanttDocument;
class TQVTGanttRow;
class TQVTGanttTable;
class TQVTPertBar;
class TQVTPertRangeInput;
class TQVTPertBarSettings;
class TQVTRessourceLabelSelector;
class TQVTTreeNode;

/// Lets the application paint a bar; clearing DefaultPaint skips the default painting.
using TQVTDrawBarEvent = std::function<void(TQVTGanttBar* Bar, bool& DefaultPaint)>;

/// A date line the user places; painted by the table drawer, not stored.
struct TQVTUserDefinedDateLine {
    TQVTUserDefinedDateLine();

    TDateTime Date;
    bool Visible = false;
    TPenStyle PenStyle = psSolid;
    int PenWidth = 1;
    TColor Color = clBlack;
    std::string Caption;
};

/// The line at the current date; painted by the table drawer, not stored.
struct TQVTCurrentDateLine {
    bool Visible = false;
    TPenStyle PenStyle = psSolid;
    int PenWidth = 1;
    TColor Color = clBlack;
    std::string Caption;
};

/// The document's task tree as the table's rows see it; rows are the tree's nodes with a row in depth-first
/// pre-order. Both lists have one entry per row of the table: a row the tree does not reach
/// has no children and no parent.
struct RowTreeShape {
    /// The last row of each row's subtree, between the row itself and the last row.
    std::vector<int> subtreeEnd;
    /// The row of each row's nearest ancestor with a row, -1 for none; always before the row.
    std::vector<int> parent;
};

/// Holds back a table's updates while it lives; see TQVTGanttTable::deferUpdates.
class TableUpdateDeferral {
public:
    explicit TableUpdateDeferral(TQVTGanttTable& table);
    ~TableUpdateDeferral();
    TableUpdateDeferral(const TableUpdateDeferral&) = delete;
    TableUpdateDeferral& operator=(const TableUpdateDeferral&) = delete;

private:
    TQVTGanttTable& FTable;
};

/// Keeps the y where a table's rows begin (below the time scales) as it is while it lives; see
/// TQVTGanttTable::pinStartY.
class TableStartPin {
public:
    explicit TableStartPin(TQVTGanttTable& table);
    ~TableStartPin();
    TableStartPin(const TableStartPin&) = delete;
    TableStartPin& operator=(const TableStartPin&) = delete;

private:
    TQVTGanttTable& FTable;
    std::optional<int> FBefore;
};

/// The ordered chart rows of a document: row i is task i of the task tree, and every row's
/// FOrder is its index. Rows change only through the operations and order helpers below.
class TQVTGanttTable : public IQVTChartTable {
public:
    static constexpr const char* TypeID = "Gantt Table";
    /// Column widths and PERT grid sizes are clamped to [1, MaxLength]; the default row height too.
    static constexpr int MaxLength = 32767;

    TQVTGanttTable();
    ~TQVTGanttTable() override;

    std::span<const TDateTime> getBlockedDates(int row) const override;
    void showRow(int row, bool shown) override;
    void setRowSelected(int row, bool selected) override;
    void setRowFocused(int row, bool focused) override;
    TDateTime rowStartDate(int row) const override;
    TDateTime rowEndDate(int row) const override;
    const std::string* rowTaskName(int row) const override;
    bool reorderRows(std::span<const int> order) override;
    bool fitSummaryBar(int row, bool hasChildren, TQVTDataSourceIntf* dataSource,
                       std::shared_ptr<TQVTOperation>& done) override;
    void rowStructureChanged() override;
    /// A TQVTNodeCollapseOperation for node; none when node is no task-tree node.
    std::shared_ptr<TQVTOperation> makeNodeCollapseOperation(TQVTDataSourceIntf* dataSource,
                                                             std::shared_ptr<TQVTGanttObject> node) override;

    /// Saved by the document: writes "table" = its identifier into the document's section name,
    /// then its own section: its layout keys, the rows, the PERT z-order, the PERT connections
    /// and the default PERT settings.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    /// The document the table belongs to, or none.
    TQVTGanttDocument* findDocument() const;

    // Rows and lookup.
    int countRows() const override { return static_cast<int>(FRows.size()); }
    /// None outside [0, countRows()); an index past the end is also logged.
    TQVTGanttRow* getRow(int index) const;
    int getNextRow(int index) const { return index + 1; }
    /// 0 outside [0, countRows()).
    int getRowHeight(int index) const override;
    void setRowHeight(int row, int height) override;
    bool isRowVisible(int row) const override;
    /// A new row whose parent is the table; it is not inserted.
    std::shared_ptr<TQVTGanttRow> MakeBlankRow();
    /// The first row without a PERT box, -1 when every row has one.
    int findEmptyRow() const;
    /// The bars of rows first..last (clipped to the table), row by row in list order.
    std::vector<TQVTGanttBar*> allBarsIn(int first, int last) const;
    /// The first bar of row that is no shadow bar, not exceptBar, and whose overlap with
    /// [start, end) in row is true; none otherwise. flag has no effect.
    TQVTGanttBar* barInRange(TDateTime start, TDateTime end, int row, TQVTGanttBar* exceptBar, bool flag = false) const;
    /// The row's summarizable bar with the earliest start / latest end; none without that row.
    TQVTGanttBar* findFirstSummarizable(int row) const;
    TQVTGanttBar* findLastSummarizable(int row) const;

    // Visibility and geometry, in pixels of the chart's vertical axis. Answers come from a
    // cache of running sums that every change of the rows, their heights or their visibility
    // drops; code that changes FRows directly calls invalidateRowGeometry.
    /// The first / last visible row, -1 when none is.
    int GetFirstVisibleRowIndex();
    int GetLastVisibleRowIndex();
    /// The document's table start plus the visible heights of the rows from the scroll position
    /// to index - 1; the table start for an index at or above the scroll position.
    int getRowStartY(int index) override;
    /// The table start plus the heights of the first n visible rows.
    int getVisibleRowStartY(int n);
    /// The height of visible row n (from 0); the last row's height when fewer rows are visible.
    int getVisibleRowHeight(int n);
    int getTableHeight() { return getRowStartY(countRows()); }
    int GetRowsTotalHeight() { return getRowStartY(countRows()) - getRowStartY(0); }
    int getScrolledLines() const { return FScrolledLines; }
    /// Scrolls the first row shown to value, or to the nearest row that is not collapsed; rows
    /// scrolled out above lose their visible flag. When no row qualifies, the scroll position
    /// stays (clamped to the rows).
    void SetScrolledLines(int value);
    void invalidateRowGeometry() { FGeometry.reset(); }
    /// The indexes of the visible rows, ascending; valid until the rows' geometry changes.
    std::span<const int> getVisibleRows() { return geometry().visibleRows; }
    /// Grows with every change of the rows, their bars or the connections that goes through the
    /// table's updates (updateAfterChange, invalidateRowStructure); painters key caches on it.
    std::uint64_t getChangeStamp() const { return FChangeStamp; }
    /// Changes whenever rows are inserted, removed or reordered or a bar joins another row than
    /// the one it was in; not when bars only move in time.
    std::uint64_t getRowLayoutStamp() const { return FRowLayoutStamp; }
    void rowLayoutChanged() { ++FRowLayoutStamp; }
    /// The frame of the resource label under the mouse; the table owns it.
    TQVTRessourceLabelSelector* getRessourceLabelSelector();

    // Dates; 0 stands for no date.
    /// The earliest first start of the rows, 0 when no row has one.
    TDateTime CalculateStartDate() const;
    /// The latest last end of the rows, 0 when no row has one.
    TDateTime CalculateEndDate() const;

    // Bars across rows.
    /// Sets every summary bar to the span of the summarizable bars of the rows below it in the
    /// task tree (0 to 0 when they have none), from the last row up; linear in rows and bars.
    /// The tree's shape over the rows is kept between updates and found again only when the
    /// tree changed (TreeStructureStamp), the document has another tree or the number of rows
    /// changed.
    void UpdateSummaryBars();
    /// The same result after only the bars of rows changed since the last update: those rows
    /// and the rows above them in the tree are done again. The whole table is done instead
    /// when its rows or the task tree changed since (see invalidateRowStructure).
    void UpdateSummaryBarsOfRows(const std::vector<int>& rows);
    /// The document's task tree as the rows see it, kept as the summary update keeps it.
    const RowTreeShape& getRowTreeShape();
    /// To be called by whoever changes the order of the rows: the next summary update then
    /// covers the whole table. Changes made through the table's own functions and operations
    /// call it already; changes of the task tree are noticed through its structure stamp.
    void invalidateRowStructure();
    /// Every row's RecalculateEffective, in order.
    void RecalculateEffective();
    /// What follows every bar, row or connection change: the critical path, then the summary
    /// bars. While updates are deferred it only notes that one is due.
    void updateAfterChange();
    /// The same after a change of the bars of these rows alone (none for a change of the
    /// connections).
    void updateAfterChange(const std::vector<int>& rows);
    /// Holds back updateAfterChange until the answer goes out of scope, then runs it once if it
    /// was asked for meanwhile. Deferrals nest.
    [[nodiscard]] TableUpdateDeferral deferUpdates() { return TableUpdateDeferral(*this); }
    /// Row starts take the table's start as it is now until the answer goes out of scope.
    /// Painting asks for row starts thousands of times while the time scales stay as they are;
    /// working the start out of the scales each time was a tenth of a frame.
    [[nodiscard]] TableStartPin pinStartY() { return TableStartPin(*this); }

    // Focus.
    /// The focused bar; none (and the focus forgotten) when its place no longer holds a bar.
    TQVTGanttBar* getFocusedBar();
    /// Focuses bar, which must be in a row of this table; none (or a bar elsewhere) only unfocuses.
    void setFocusedBar(TQVTGanttBar* bar);
    /// Clears the focus flag of every bar.
    void unFocusBar();

    // Row order; each answers false and changes nothing when its arguments do not fit the rows.
    /// Exchanges two rows without renumbering them.
    bool swapRows(int i, int j);
    /// Exchanges the disjoint runs [s1, e1] and [s2, e2], keeping the rows between them in
    /// place, and renumbers; answers the new start of the run that came first, or -1 when the
    /// runs are empty, overlap or leave the table.
    int swapSequences(int s1, int e1, int s2, int e2);
    /// The rows in their order; sets each row's QVTTag to its index.
    std::vector<std::shared_ptr<TQVTGanttRow>> getOrder();
    /// Remembers the current order for restoreOrder.
    void saveOrder();
    /// Puts back the saved order when it holds exactly the table's rows, and renumbers.
    bool restoreOrder();
    /// Puts the rows in the order of list, which must hold exactly the table's rows, and renumbers.
    bool applyOrder(const std::vector<std::shared_ptr<TQVTGanttRow>>& list);

    // Layout values that painting and the controller divide by, clamped to [1, MaxLength].
    int GetColumnWidth() const override { return FColWidth; }
    bool GetDraw3D() const override { return FDraw3D; }
    void SetColumnWidth(int value);
    /// The height a newly inserted row gets.
    int getDefaultRowHeight() const { return FDefaultRowHeight; }
    void setDefaultRowHeight(int value);

    // PERT layout.
    TPoint getPertGridSize() const { return FPertGridSize; }
    void setPertGridSize(TPoint value);
    /// (x, y) rounded to the nearest grid point (halves to even); negative results become 0
    /// with clampToZero.
    void snapToGrid(int x, int y, TPoint& point, bool clampToZero) const;
    int getPertStartX() const { return FPertStartX; }
    int getPertStartY() const { return FPertStartY; }
    /// The PERT scroll origin becomes the snapped value, not below 0.
    void setPertStartX(int value);
    void setPertStartY(int value);
    /// Moves row to position of the PERT drawing order (clamped to the list).
    void setZOrder(TQVTGanttRow* row, int position);
    /// row's position in the PERT drawing order, -1 when it is not there.
    int getZOrder(const TQVTGanttRow* row) const;
    int GetPertConnectionsCount() const { return static_cast<int>(FPertBarConnections.size()); }
    /// None outside the list.
    TQVTBarConnection* GetPertConnection(int i) const;
    /// A point of the PERT control as a point of the PERT plane: scrolled by the PERT origin,
    /// snapped to the grid, not below 0.
    int PertAbsToRelX(int x) const;
    int PertAbsToRelY(int y) const;
    TPoint PertAbsToRel(int x, int y) const;
    TPoint PertAbsToRel(TPoint point) const { return PertAbsToRel(point.X, point.Y); }
    /// Grows the extent of the PERT drawing so that it covers a default-sized box at (x, y)
    /// beyond the PERT origin; the PERT box drawers call it for every box they paint.
    void registerPertCoords(int x, int y);
    TPoint getMaxPertCoords() const { return FMaxPertCoords; }
    /// The place for a new PERT box: the centre of the first cell (in growing square rings from
    /// the top left, cells 1.4 times the default box) that meets no PERT box of the table.
    void FindEmptyPertPlace(TPoint& point) const;

    // PERT connections: an entry of type 0 points from its origin box to its target box, one of
    // type 1 both ways.
    /// Appends c and answers true; answers false, adding nothing, when an entry from c's origin
    /// to c's target exists, and also when the reverse entry exists, which then becomes type 1.
    bool addPertConnection(const std::shared_ptr<TQVTBarConnection>& c);
    /// Takes c's direction out of the first entry that contains it: drops the reverse direction
    /// of a pair, turns a pair into the other direction, or removes the entry. Answers whether
    /// an entry contained c.
    bool removePertConnection(const TQVTBarConnection* c);
    /// Whether entry p stands for c's direction (p's own, or its reverse when p is type 1).
    static bool contains(const TQVTBarConnection* p, const TQVTBarConnection* c);
    /// The first entry from rowA's box to rowB's box, or of type 1 from rowB's box to rowA's;
    /// none when a row lacks a box.
    TQVTBarConnection* findPertBarsConnection(const TQVTGanttRow* rowA, const TQVTGanttRow* rowB) const;
    /// Tells every box the entries that leave and reach it (run after loading).
    void linkPertBars();

    // Critical path.
    /// The table's calculator, created on first use.
    TQVTCriticalPathCalculator& getCriticalPathCalculator();
    bool getAutoUpdateCriticalPath() const { return FUpdateCriticalPath; }
    void setAutoUpdateCriticalPath(bool value) { FUpdateCriticalPath = value; }
    /// Recomputes the critical path when autoUpdateCriticalPath is set.
    void updateCriticalPath();
    /// The same after a change of the bars of these rows alone.
    void updateCriticalPathOfRows(const std::vector<int>& rows);

    TQVTDrawBarEvent FOnDrawBar;
    std::shared_ptr<TQVTRessourceLabelSelector> FRessourceLabelSelector;
    bool FDrawPertGrid = true;
    TQVTUserDefinedDateLine FDateLine;
    TQVTUserDefinedDateLine FDateLine2;
    TQVTCurrentDateLine FCurrentDateLine;
    bool FHightlightRessourceLabels = false;
    TColor FGridColor = clGray;
    TColor FBaseColor = 0x02F7EAD4;
    bool FDraw3D = false;
    bool FInPlaceTextBarEditing = true;
    /// -1 whenever the scroll position changes; the painting reads it.
    int lastScrolledLines = 0;
    int FWidth = 0;
    TColor FPertGraphBackGroundColor = 0xEEEEEE;
    /// Drawing order of the PERT boxes.
    std::vector<std::shared_ptr<TQVTGanttRow>> FRowsZOrder;
    std::vector<std::shared_ptr<TQVTBarConnection>> FPertBarConnections;
    std::shared_ptr<TQVTPertBarSettings> FDefaultPertBarSettings;
    TColor FGridAnchorColor = 0xFF0000;
    bool FSummaryBarConnectable = false;
    bool FShowDateExceptions = true;
    bool FShowDateLines = true;
    TColor FCriticalPathColor = 0xFF00FF;
    TColor FWeekendBrightenColor = 0x404040;
    int FFocusedFrameThickness = 4;
    bool FSnapBarsTogether = false;
    bool FEmphasizeTaskBarsInDayMode = true;
    bool FDrawBarsSliced = false;
    TColor FfocusedFrameColor = clBlack;
    std::vector<std::shared_ptr<TQVTGanttRow>> FRows;
    /// Property autoUpdateCriticalPath.
    bool FUpdateCriticalPath = true;
    /// Extent of the PERT drawing.
    TPoint FMaxPertCoords{0, 0};
    std::shared_ptr<TQVTCriticalPathCalculator> FCriticalPathCalculator;

protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
    std::unique_ptr<TQVTDrawer> makePertViewDrawer() const override;

private:
    friend class TQVTGanttRowOperation;
    friend class TQVTGanttTablePersistence;
    friend class TableStartPin;
    friend class TableUpdateDeferral;

    /// Running sums over the rows: prefix[i] = visible heights of rows 0..i-1, and the indexes
    /// of the visible rows.
    struct Geometry {
        std::vector<std::int64_t> prefix;
        std::vector<int> visibleRows;
    };
    const Geometry& geometry();

    /// A bar as the summary update reads it: a summary bar, which takes the span of the rows
    /// below its own, or else the span the bar adds to its row's work (0 to 0 for none); and
    /// whether the bar counts for the row's PERT box.
    struct SummaryInput {
        TQVTGanttBar* summary = nullptr;
        std::pair<TDateTime, TDateTime> span{0, 0};
        bool summarizable = false;
    };
    /// What the last summary update found: the rows it was made for, the task tree's shape over
    /// them, and per row the span of its summarizable bars and its subtree's.
    struct SummarySpans {
        std::vector<const TQVTGanttRow*> rows;
        RowTreeShape shape;
        /// The shape holds while the document's tree has the root it was found in (none when
        /// shapeRooted is false), the tree structure stamp is still shapeStamp and the table has
        /// as many rows.
        bool shapeFound = false;
        bool shapeRooted = false;
        std::weak_ptr<TQVTTreeNode> shapeRoot;
        std::uint64_t shapeStamp = 0;
        std::vector<std::pair<TDateTime, TDateTime>> whole;
        /// Scratch of the whole update, kept for its storage: how the bars of a row read.
        std::vector<SummaryInput> inputs;
    };
    /// Whether FSummarySpans still describes the rows as they are.
    bool summarySpansFit() const;
    /// Whether the kept task tree shape still describes the document's tree over the rows.
    bool rowTreeShapeHolds(const TQVTTreeNode* root) const;
    /// Finds the task tree's shape over the rows again, unless the kept one still holds.
    void keepRowTreeShape();
    /// Sets the summary bars of row r to the span of its children, updates its PERT box and
    /// answers r's whole span.
    std::pair<TDateTime, TDateTime> summarizeRow(int r);
    int tableStartY() const;
    /// FOrder := index for rows first..last.
    void renumber(int first, int last);
    bool holdsExactly(const std::vector<std::shared_ptr<TQVTGanttRow>>& list) const;

    int FColWidth = 50;
    int FScrolledLines = 0;
    int FDefaultRowHeight = 35;
    TPoint FPertGridSize{20, 20};
    int FPertStartY = 0;
    int FPertStartX = 0;
    std::optional<std::vector<std::shared_ptr<TQVTGanttRow>>> FSavedOrder;
    int FFocusedBarRow = -1;
    int FFocusedBar = -1;
    std::optional<Geometry> FGeometry;
    SummarySpans FSummarySpans;
    int FUpdateDeferrals = 0;
    std::optional<int> FPinnedStartY;
    /// Whether an update is due when the deferral ends, and what it must cover: the whole
    /// table, or these rows.
    bool FUpdateDue = false;
    bool FUpdateWholePending = false;
    std::vector<int> FUpdateRowsPending;
    std::uint64_t FChangeStamp = 0;
    std::uint64_t FRowLayoutStamp = 0;
};

class TQVTGanttTablePersistence : public TQVTPersistenceOf<TQVTGanttTable> {
public:
    /// Reads the rows, the layout keys, the PERT z-order and connections and the default PERT
    /// settings. Entries that failed to load or repeat an earlier one are left out, z-order
    /// entries and PERT connections that do not belong to the table's rows too; a row with a
    /// PERT box that the z-order lacks is appended to it. Sizes are clamped.
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Operations on one table that act as one: the parts run in order and are undone in reverse;
/// when one refuses, those already done are taken back (without asking the application again),
/// so the table is as before. The table is updated once at the end rather than after every part.
class TableMultipleOperations : public TQVTMultipleOperations {
public:
    /// Without a table the group is refused.
    TableMultipleOperations(TQVTDataSourceIntf* dataSource, TQVTGanttTable* table);

    /// False, changing nothing, when the group is refused, the table is gone or a part refuses.
    bool perform() override;
    bool undo() override;

protected:
    std::weak_ptr<TQVTGanttTable> FTable;
    /// Set by a constructor whose arguments do not fit the table.
    bool FRefused = false;
};

/// Inserts or deletes one row of a table; shared by the row insert and remove operations.
class TQVTGanttRowOperation {
public:
    TQVTGanttRowOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table, int index,
                          std::shared_ptr<TQVTGanttRow> row);

    /// Puts Row at Index (0..countRows()), renumbers and tells OnRowInsert; a new row first
    /// takes the table's default row height. Refused (false) when Index does not fit, the table
    /// is gone or Row is already a row of the table.
    bool InsertRow(bool newRow = false);
    /// Takes Row out of Index (the row stays alive), renumbers and tells OnRowDelete. Refused
    /// when the row at Index is not Row.
    bool DeleteRow();

    TQVTDataSourceIntf* DataSource;
    int Index;
    std::shared_ptr<TQVTGanttRow> Row;

private:
    std::weak_ptr<TQVTGanttTable> FTable;
    /// The row's place in the PERT drawing order when it was deleted; -1 when it had none.
    int FZOrder = -1;
};

/// Inserts a new row at an index; the row gets the table's default row height.
class TQVTGanttRowInsertOperation : public TQVTOperation {
public:
    TQVTGanttRowInsertOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table,
                                std::shared_ptr<TQVTGanttRow> row, int index);

    bool perform() override;
    bool undo() override { return RowOp.DeleteRow(); }

    TQVTGanttRowOperation RowOp;

private:
    bool FHeightGiven = false;
};

/// Removes the row at an index together with the connections of the bars and the PERT box it
/// still holds; undo puts the same row back at its index.
class TQVTGanttRowRemoveOperation : public TQVTOperation {
public:
    /// For an index outside the table, perform and undo answer false.
    TQVTGanttRowRemoveOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table, int index);

    bool perform() override;
    bool undo() override;

    std::optional<TQVTGanttRowOperation> RowOp;

private:
    std::shared_ptr<TableMultipleOperations> FConnectionSteps;
};

/// Deletes every bar of a row (with its connections). A row holding a summary bar is left as
/// it is; for an index outside the table the operation is refused.
class TQVTGanttRowClearOperation : public TableMultipleOperations {
public:
    TQVTGanttRowClearOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table, int index);
};

/// Clears and removes the rows last down to first; nothing when last < first. Refused when a
/// row of the range does not exist.
class TQVTGanttRowsDeleteOperation : public TableMultipleOperations {
public:
    TQVTGanttRowsDeleteOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table, int first, int last);
};

/// Removes a bar from its row with the document's connections from or to it (the one part is
/// a TQVTBarRemoveOperation). Refused when the bar is in no row of a table.
class TQVTBarDeleteOperation : public TableMultipleOperations {
public:
    TQVTBarDeleteOperation(TQVTDataSourceIntf* dataSource, const std::shared_ptr<TQVTGanttBar>& bar);
};

} // namespace corvane
