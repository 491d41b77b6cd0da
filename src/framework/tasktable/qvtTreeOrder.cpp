#include "corvane/framework/tasktable/qvtTreeOrder.h"

#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeOrder_p.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"

#include <utility>

namespace corvane {

namespace {

IQVTChartTable* chartTableOf(TQVTGanttObject* object)
{
    TQVTDocumentSetup* document = FindDocumentSetup(object);
    return document ? document->GetTable() : nullptr;
}

// A change of order must not start on a chart table that is out of step with the tree.
bool inStep(const TQVTTreeGrid& grid, const IQVTChartTable* table)
{
    return !table || table->countRows() == grid.rowsCount();
}

// The rows of node's subtree are shown unless a node above it is collapsed.
bool openAbove(const TQVTTreeNode& node)
{
    for (const TQVTTreeNode* up = node.getParentNode(); up && !up->isTreeRoot(); up = up->getParentNode())
        if (up->isCollapsed())
            return false;
    return true;
}

// What every change of the rows' order ends with: new numbers, then the chart table's
// critical path and summary bars.
void renumber(TQVTTreeGrid& grid, IQVTChartTable* table)
{
    grid.updateNodes();
    if (table)
        table->rowStructureChanged();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Sorting

TQVTSortOperation::TQVTSortOperation(TQVTTreeGrid& grid, TQVTSortOrder order, int column)
    : TQVTOperation(FindDocumentSetup(&grid) ? FindDocumentSetup(&grid)->getDataSource() : nullptr),
      FGrid(std::static_pointer_cast<TQVTTreeGrid>(grid.shared_from_this())),
      FOrder(order),
      FColumn(column)
{
}

bool TQVTSortOperation::perform()
{
    const auto grid = FGrid.lock();
    TQVTTreeHeader* header = grid ? grid->FHeader.get() : nullptr;
    const TQVTTreeHeaderCell* cell = header ? header->getHeaderCell(FColumn) : nullptr;
    if (FDone || !cell || !grid->FRootNode)
        return false;
    if (FOrder != sortNone && !(cell->FDataType && cell->FDataType->canSort()))
        return false;
    IQVTChartTable* table = chartTableOf(grid.get());
    if (!inStep(*grid, table))
        return false;
    TQVTTreeNode& root = *grid->FRootNode;

    // Leaves have nothing to put back: only nodes with children or a remembered order count.
    FBefore.clear();
    std::vector<TQVTTreeNode*> nodes{&root};
    root.flatten(nodes);
    for (TQVTTreeNode* node : nodes)
        if (!node->Fchildren.empty() || !node->FSavedOrder.empty())
            FBefore.push_back(
                {std::static_pointer_cast<TQVTTreeNode>(node->shared_from_this()), node->Fchildren, node->FSavedOrder});
    FPreviousColumn = header->getSortColumn();
    FPreviousOrder = header->getSortOrder();

    // The unsorted order is remembered when no column is sorted yet: when one is, the rows are
    // already sorted and the order from before that sort is the one to come back to.
    if (FPreviousColumn < 0 && FOrder != sortNone)
        root.saveOrder();
    header->setSortOrder(FColumn, FOrder);
    if (FOrder == sortNone) {
        root.restoreOrder();
        root.clearSavedOrder();
    } else {
        root.sort(FColumn, FOrder);
    }
    renumber(*grid, table);
    FDone = true;
    return true;
}

bool TQVTSortOperation::undo()
{
    const auto grid = FGrid.lock();
    TQVTTreeHeader* header = grid ? grid->FHeader.get() : nullptr;
    if (!FDone || !header || !grid->FRootNode)
        return false;
    IQVTChartTable* table = chartTableOf(grid.get());
    if (!inStep(*grid, table))
        return false;
    // The same nodes must still be under each parent; sorting only reorders them.
    for (const NodeOrder& each : FBefore)
        if (each.node->Fchildren.size() != each.children.size())
            return false;
    for (const NodeOrder& each : FBefore) {
        each.node->Fchildren = each.children;
        each.node->FSavedOrder = each.saved;
    }
    followTreeOrder(*grid->FRootNode);
    if (FPreviousColumn >= 0)
        header->setSortOrder(FPreviousColumn, FPreviousOrder);
    else
        header->setSortOrder(FColumn, sortNone);
    FBefore.clear();
    renumber(*grid, table);
    FDone = false;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Moving

TQVTRowMoveOperation::TQVTRowMoveOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTTreeNode> parent,
                                           std::shared_ptr<TQVTTreeNode> node, std::shared_ptr<TQVTTreeNode> before)
    : TQVTOperation(dataSource),
      FParent(std::move(parent)),
      FNode(std::move(node)),
      FBefore(std::move(before))
{
}

void TQVTRowMoveOperation::relocate(TQVTTreeNode& parent, const TQVTTreeNode* before)
{
    parent.repositionChild(FNode, before);
    FNode->setVisible(openAbove(*FNode));
}

void TQVTRowMoveOperation::undoSummarySteps(std::size_t count)
{
    for (std::size_t k = count; k-- > 0;)
        FSummarySteps[k]->undo();
}

bool TQVTRowMoveOperation::perform()
{
    TQVTDocumentSetup* document = FNode ? FindDocumentSetup(FNode.get()) : nullptr;
    TQVTTreeGrid* grid = document ? document->GetTree() : nullptr;
    TQVTTreeNode* from = FNode ? FNode->getParentNode() : nullptr;
    if (FDone || !grid || !grid->FRootNode || !from || !FParent || FindDocumentSetup(FParent.get()) != document)
        return false;
    if (FBefore && (FBefore == FNode || FParent->childIndex(FBefore.get()) < 0))
        return false;
    for (const TQVTTreeNode* up = FParent.get(); up; up = up->getParentNode())
        if (up == FNode.get())
            return false;
    IQVTChartTable* table = document->GetTable();
    if (!inStep(*grid, table))
        return false;

    // Rows moved in a sorted table would be sorted back at the next update: the sorting goes
    // first, as part of the move.
    if (!FPlanned) {
        const int sorted = grid->FHeader ? grid->FHeader->getSortColumn() : -1;
        if (sorted >= 0)
            FUnsort = std::make_shared<TQVTSortOperation>(*grid, sortNone, sorted);
    }
    if (FUnsort && !FUnsort->perform())
        return false;

    FOldParent = std::static_pointer_cast<TQVTTreeNode>(from->shared_from_this());
    const int position = from->childIndex(FNode.get());
    FOldNext =
        position + 1 < from->GetChildrenCount() ? from->Fchildren[static_cast<std::size_t>(position + 1)] : nullptr;
    relocate(*FParent, FBefore.get());
    grid->FRootNode->clearSavedOrder();

    // Summary bars follow the new shape. A redo performs the same bar operations again, so the
    // same bars come back.
    bool refused = false;
    if (!FPlanned && table && FOldParent != FParent) {
        std::shared_ptr<TQVTOperation> step;
        if (FOldParent->FRow && !FOldParent->hasChildren()) {
            refused = !table->fitSummaryBar(FOldParent->FRow->FIndex, false, FDataSource, step);
            if (step)
                FSummarySteps.push_back(step);
        }
        if (!refused && FParent->FRow) {
            refused = !table->fitSummaryBar(FParent->FRow->FIndex, true, FDataSource, step);
            if (step)
                FSummarySteps.push_back(step);
        }
        if (refused) {
            undoSummarySteps(FSummarySteps.size());
            FSummarySteps.clear();
        }
    } else {
        for (std::size_t k = 0; k < FSummarySteps.size() && !refused; ++k)
            if (!FSummarySteps[k]->perform()) {
                undoSummarySteps(k);
                refused = true;
            }
    }
    if (refused) {
        relocate(*FOldParent, FOldNext.get());
        if (FUnsort)
            FUnsort->undo();
        renumber(*grid, table);
        return false;
    }
    FPlanned = true;
    renumber(*grid, table);
    FDone = true;
    return true;
}

bool TQVTRowMoveOperation::undo()
{
    TQVTDocumentSetup* document = FNode ? FindDocumentSetup(FNode.get()) : nullptr;
    TQVTTreeGrid* grid = document ? document->GetTree() : nullptr;
    if (!FDone || !grid || !grid->FRootNode || FNode->getParentNode() != FParent.get())
        return false;
    if (FOldNext && FOldParent->childIndex(FOldNext.get()) < 0)
        return false;
    IQVTChartTable* table = document->GetTable();
    if (!inStep(*grid, table))
        return false;
    // The bars first, last step first; the recorded objects come back, none are made anew.
    for (std::size_t k = FSummarySteps.size(); k-- > 0;)
        if (!FSummarySteps[k]->undo()) {
            for (std::size_t redo = k + 1; redo < FSummarySteps.size(); ++redo)
                FSummarySteps[redo]->perform();
            return false;
        }
    relocate(*FOldParent, FOldNext.get());
    if (FUnsort)
        FUnsort->undo();
    renumber(*grid, table);
    FDone = false;
    return true;
}

} // namespace corvane
