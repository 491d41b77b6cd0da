#pragma once
// Undoable changes of the order of the task table's rows: sorting by a column and moving a row
// with its subtree. Both keep the chart table's rows in step with the tree.

#include "corvane/framework/objects/qvtOperation.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"

#include <memory>
#include <vector>

namespace corvane {

class TQVTTreeGrid;
class TQVTTreeNode;

/// Sorts the rows by one column (every level of the tree, stably) and marks the column sorted
/// in the header; sortNone gives back the order the rows had before a column was sorted, where
/// the remembered children are still exactly a node's children. The chart rows follow with one
/// reorder; their critical path and summary bars are updated.
class TQVTSortOperation : public TQVTOperation {
public:
    TQVTSortOperation(TQVTTreeGrid& grid, TQVTSortOrder order, int column);

    /// Refused when the grid is gone, the column does not exist, cannot sort (except for
    /// sortNone) or the chart table's rows do not match the tree's.
    bool perform() override;
    /// Puts back exactly the children of every node, the remembered unsorted orders and the
    /// header's sort marks as they were before perform.
    bool undo() override;

private:
    struct NodeOrder {
        std::shared_ptr<TQVTTreeNode> node;
        std::vector<std::shared_ptr<TQVTTreeNode>> children;
        std::vector<std::shared_ptr<TQVTTreeNode>> saved;
    };

    std::weak_ptr<TQVTTreeGrid> FGrid;
    TQVTSortOrder FOrder;
    int FColumn;
    std::vector<NodeOrder> FBefore;
    int FPreviousColumn = -1;
    TQVTSortOrder FPreviousOrder = sortNone;
    bool FDone = false;
};

/// Moves a node with its subtree under parent, before the child before (at the end for none).
/// A sorted column is unsorted first (within this operation); the chart rows of the subtree
/// move with it; remembered unsorted orders are forgotten; a parent left without children
/// loses its lone summary bar and a parent getting children gets a summary bar (bar operations
/// that undo takes back).
class TQVTRowMoveOperation : public TQVTOperation {
public:
    TQVTRowMoveOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTTreeNode> parent,
                         std::shared_ptr<TQVTTreeNode> node, std::shared_ptr<TQVTTreeNode> before);

    /// Refused when the node is not in a document's tree, parent lies in its subtree, before is
    /// no child of parent, the chart table does not match the tree, or a bar operation or the
    /// unsorting is refused; then nothing is changed.
    bool perform() override;
    /// Puts the node back where it was, with the bars, the order and the sort marks of before.
    bool undo() override;

private:
    /// Moves FNode under parent before before and shows its rows as the new place allows.
    void relocate(TQVTTreeNode& parent, const TQVTTreeNode* before);
    /// Undoes the first count summary-bar steps, last first.
    void undoSummarySteps(std::size_t count);

    std::shared_ptr<TQVTTreeNode> FParent;
    std::shared_ptr<TQVTTreeNode> FNode;
    std::shared_ptr<TQVTTreeNode> FBefore;
    std::shared_ptr<TQVTTreeNode> FOldParent;
    std::shared_ptr<TQVTTreeNode> FOldNext;
    std::shared_ptr<TQVTSortOperation> FUnsort;
    std::vector<std::shared_ptr<TQVTOperation>> FSummarySteps;
    bool FPlanned = false;
    bool FDone = false;
};

} // namespace corvane
