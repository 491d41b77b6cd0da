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

/// A row and every row below it, from the tree and the chart table.
class TQVTBranchDeleteOperation : public TQVTRowOperation {
public:
    /// Refused when the row does not exist or is the only row.
    TQVTBranchDeleteOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document, int row);
};

} // namespace corvane
