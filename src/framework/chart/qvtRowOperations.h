#pragma once
// Changes of the task tree that keep the chart table in step: expand and collapse, child rows
// put in and taken out, and the row commands built from them.

#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/objects/qvtOperation.h"

#include <memory>

namespace corvane {

class TQVTTreeGrid;
class TQVTTreeNode;
class TQVTTreeRow;

/// Collapses an expanded node or expands a collapsed one, telling OnRowCollapse or
/// OnRowExpand (with the summary bar of the node's chart row, when it has one).
class TQVTNodeCollapseOperation : public TQVTOperation {
public:
    TQVTNodeCollapseOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTTreeNode> node);

    /// Refused for a node that is no longer in a tree of a document.
    bool perform() override;
    /// Tells the event of the state the node had and gives it back.
    bool undo() override;

private:
    void setCollapsed(bool collapsed);

    std::shared_ptr<TQVTTreeNode> FNode;
    bool FWasCollapsed = false;
};

/// Puts a tree row under the row parentRow (-1: the root) as child number childIndex (-1: the
/// last), with a new node. A parent row getting its first child gets a summary bar in its chart
/// row. The tree is renumbered; the chart table is not touched otherwise, so this is a part of
/// a row command that also inserts the chart row.
class TQVTTreeRowChildInsertOperation : public TQVTOperation {
public:
    TQVTTreeRowChildInsertOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid& grid, int childIndex,
                                    std::shared_ptr<TQVTTreeRow> row, int parentRow);

    /// Refused when parentRow is no row, the row is already in the tree or the summary bar is
    /// refused.
    bool perform() override;
    bool undo() override;

private:
    std::weak_ptr<TQVTTreeGrid> FGrid;
    int FChildIndex;
    int FParentRow;
    std::shared_ptr<TQVTTreeNode> FNode;
    std::shared_ptr<TQVTOperation> FSummaryBar;
    bool FAddedSummaryBar = false;
};

/// Takes the node of a row out of the tree (with its subtree), after unfocusing and deselecting
/// the row. A parent row left without children loses its summary bar. The tree is renumbered;
/// the chart rows stay, so this is a part of a row command that also deletes them.
class TQVTTreeRowDeleteOperation : public TQVTOperation {
public:
    TQVTTreeRowDeleteOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid& grid, int row);

    /// Refused when the row does not exist or its parent's summary bar cannot be removed.
    bool perform() override;
    /// Puts the node back where it was, with the summary bar, focus and selection it had.
    bool undo() override;

private:
    std::weak_ptr<TQVTTreeGrid> FGrid;
    int FRow;
    std::shared_ptr<TQVTTreeNode> FNode;
    std::shared_ptr<TQVTTreeNode> FParent;
    int FPosition = -1;
    bool FWasFocused = false;
    bool FWasSelected = false;
    std::shared_ptr<TQVTOperation> FSummaryBarRemoval;
};

/// Makes row a child of the row newParentRow (-1: the root) at child position newChildIndex
/// (-1: the last), with its subtree. An old parent left without children loses its summary bar;
/// a new parent getting its first child gets one, and its collapsed flag applies to the row.
/// The chart rows stay where they are, so the move must keep the order of the rows.
class TQVTTreeRowSetParentOperation : public TQVTOperation {
public:
    TQVTTreeRowSetParentOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid& grid, int newChildIndex,
                                  int newParentRow, int row);

    /// Refused when a row does not exist, the new parent lies in the row's subtree, the move
    /// would change the order of the rows or a summary bar is refused.
    bool perform() override;
    bool undo() override;

private:
    /// Moves FNode from one parent to another and renumbers; answers the position it left.
    int moveNode(TQVTTreeNode& from, TQVTTreeNode& to, int position);

    std::weak_ptr<TQVTTreeGrid> FGrid;
    int FNewChildIndex;
    int FNewParentRow;
    int FRow;
    std::shared_ptr<TQVTTreeNode> FNode;
    std::shared_ptr<TQVTTreeNode> FOldParent;
    std::shared_ptr<TQVTTreeNode> FNewParent;
    int FOldPosition = -1;
    std::shared_ptr<TQVTOperation> FSummaryBarRemoval;
    std::shared_ptr<TQVTOperation> FSummaryBarInsert;
    std::shared_ptr<TQVTGanttBar> FNewSummaryBar;
};

/// A row command: tree and chart parts performed as one, then the tree renumbered and the
/// chart table updated (critical path, summary bars). A command whose arguments do not fit the
/// rows is refused.
class TQVTRowOperation : public TableMultipleOperations {
public:
    TQVTRowOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document);

    bool perform() override;
    bool undo() override;

protected:
    std::weak_ptr<TQVTTreeGrid> FGrid;

private:
    void renumber();
};

/// A row command that puts in one new row: a blank tree row and a blank chart row.
class TQVTNewRowOperation : public TQVTRowOperation {
public:
    using TQVTRowOperation::TQVTRowOperation;

    /// The tree row the command puts in.
    std::shared_ptr<TQVTTreeRow> Row;

protected:
    /// The parts: the tree row as child childIndex of parentRow (-1: the root; -1: the last),
    /// the chart row at chartIndex.
    void addRowParts(TQVTGanttDocument& document, int parentRow, int childIndex, int chartIndex);
};

/// A new row at the end, under the root.
class TQVTRowAppendOperation : public TQVTNewRowOperation {
public:
    TQVTRowAppendOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document);
};

/// A new row as child number childIndex of the row parent (-1: the last, right after its last
/// descendant).
class TQVTRowChildInsertOperation : public TQVTNewRowOperation {
public:
    /// Refused when parent is no row.
    TQVTRowChildInsertOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document, int parent,
                                int childIndex = -1);
};

/// A new row under the row parent (-1: the root) at row index position: in the place of the
/// parent's child there, or right after the parent's last descendant.
class TQVTRowInsertOperation : public TQVTNewRowOperation {
public:
    /// Refused when position is no such place of parent, or parent's chart row has bars but
    /// no summary bar (a task would become a group).
    TQVTRowInsertOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document, int parent, int position);
};

/// A row deleted from the tree and the chart table; its children move up one level into its
/// place, in their order.
class TQVTRowDeleteOperation : public TQVTRowOperation {
public:
    /// Refused when the row does not exist or is the only row.
    TQVTRowDeleteOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document, int row);
};

/// The rows first to last put under a new row, which takes first's place.
class TQVTRowsGroupOperation : public TQVTNewRowOperation {
public:
    /// Refused when the range is no range of rows or a row in it has descendants beyond last.
    TQVTRowsGroupOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document, int first, int last);
};

/// The rows first to last (at most the last row) made children of the row newParent (-1: the
/// root), before its first child at or after first.
class TQVTRowsChangeParentOperation : public TQVTRowOperation {
public:
    /// Refused when newParent is not before first, the range neither lies in newParent's
    /// subtree nor follows it directly, a row in the range has descendants beyond last, or
    /// nothing would change.
    TQVTRowsChangeParentOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document, int newParent,
                                  int first, int last);
};

/// A row and every row below it, from the tree and the chart table.
class TQVTBranchDeleteOperation : public TQVTRowOperation {
public:
    /// Refused when the row does not exist or is the only row.
    TQVTBranchDeleteOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document, int row);
};

} // namespace corvane
