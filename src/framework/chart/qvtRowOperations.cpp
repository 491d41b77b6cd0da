#include "corvane/framework/chart/qvtRowOperations.h"

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace corvane {

namespace {

TQVTGanttDocument* documentOf(TQVTGanttObject* object)
{
    return dynamic_cast<TQVTGanttDocument*>(FindDocumentSetup(object));
}

std::weak_ptr<TQVTTreeGrid> gridOf(TQVTGanttDocument& document)
{
    return document.FTree;
}

// The summary bar of a chart row, or none.
TQVTSummaryBar* summaryBarOf(TQVTGanttRow* row)
{
    if (row)
        for (const auto& bar : row->FBarList)
            if (auto* summary = dynamic_cast<TQVTSummaryBar*>(bar.get()))
                return summary;
    return nullptr;
}

// The summary bar of a node's chart row, or none.
TQVTSummaryBar* summaryBarOf(TQVTGanttDocument& document, const TQVTTreeNode& node)
{
    return node.FRow && document.Ftable ? summaryBarOf(document.Ftable->getRow(node.FRow->FIndex)) : nullptr;
}

// Whether no node above node is collapsed.
bool openToTheRoot(const TQVTTreeNode& node)
{
    for (const TQVTTreeNode* above = node.getParentNode(); above; above = above->getParentNode())
        if (above->isCollapsed())
            return false;
    return true;
}

// The rows at the top of the range first..last, in order: each one's parent lies outside it.
// Empty when a row of the range has descendants beyond last.
std::vector<int> topRowsOfRange(TQVTTreeGrid& grid, int first, int last)
{
    std::vector<int> tops;
    for (int row = first; row <= last; ++row)
        if (grid.findNodeByIndex(row)->getLastIndex() > last)
            return {};
    for (int row = first; row <= last; row = grid.findNodeByIndex(row)->getLastIndex() + 1)
        tops.push_back(row);
    return tops;
}

} // namespace

TQVTNodeCollapseOperation::TQVTNodeCollapseOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTTreeNode> node)
    : TQVTOperation(dataSource),
      FNode(std::move(node))
{
}

void TQVTNodeCollapseOperation::setCollapsed(bool collapsed)
{
    TQVTGanttDocument* document = documentOf(FNode.get());
    if (FDataSource && document && document->Ftable && FNode->FRow) {
        const auto& event = collapsed ? FDataSource->OnRowCollapse : FDataSource->OnRowExpand;
        if (event)
            event(summaryBarOf(document->Ftable->getRow(FNode->FRow->FIndex)));
    }
    FNode->setCollapsed(collapsed);
}

std::shared_ptr<TQVTOperation> TQVTGanttTable::makeNodeCollapseOperation(TQVTDataSourceIntf* dataSource,
                                                                          std::shared_ptr<TQVTGanttObject> node)
{
    auto treeNode = std::dynamic_pointer_cast<TQVTTreeNode>(std::move(node));
    return treeNode ? std::make_shared<TQVTNodeCollapseOperation>(dataSource, std::move(treeNode)) : nullptr;
}

bool TQVTNodeCollapseOperation::perform()
{
    if (!FNode || !documentOf(FNode.get()))
        return false;
    FWasCollapsed = FNode->isCollapsed();
    setCollapsed(!FWasCollapsed);
    return true;
}

bool TQVTNodeCollapseOperation::undo()
{
    if (!FNode || !documentOf(FNode.get()))
        return false;
    setCollapsed(FWasCollapsed);
    return true;
}

TQVTTreeRowChildInsertOperation::TQVTTreeRowChildInsertOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid& grid,
                                                                 int childIndex, std::shared_ptr<TQVTTreeRow> row,
                                                                 int parentRow)
    : TQVTOperation(dataSource),
      FGrid(std::static_pointer_cast<TQVTTreeGrid>(grid.shared_from_this())),
      FChildIndex(childIndex),
      FParentRow(parentRow),
      FNode(std::make_shared<TQVTTreeNode>())
{
    FNode->FRow = std::move(row);
    if (FNode->FRow)
        FNode->FRow->setParent(FNode.get());
}

bool TQVTTreeRowChildInsertOperation::perform()
{
    const auto grid = FGrid.lock();
    TQVTTreeNode* parent = grid && FParentRow >= -1 ? grid->findNodeByIndex(FParentRow) : nullptr;
    TQVTGanttDocument* document = grid ? documentOf(grid.get()) : nullptr;
    if (!parent || !document || !FNode->FRow || FNode->getParent())
        return false;
    FAddedSummaryBar = !parent->hasChildren() && parent->FRow && document->Ftable;
    parent->addChild(FNode, FChildIndex);
    grid->updateNodes();
    if (FAddedSummaryBar) {
        if (!FSummaryBar)
            FSummaryBar = std::make_shared<TQVTBarInsertOperation>(FDataSource, *document->Ftable,
                                                                   std::make_shared<TQVTSummaryBar>(), FParentRow);
        if (!FSummaryBar->perform()) {
            parent->deleteChild(FNode.get());
            FNode->setParent(nullptr);
            grid->updateNodes();
            return false;
        }
    }
    return true;
}

bool TQVTTreeRowChildInsertOperation::undo()
{
    const auto grid = FGrid.lock();
    TQVTTreeNode* parent = FNode->getParentNode();
    if (!grid || !parent)
        return false;
    if (FAddedSummaryBar && !FSummaryBar->undo())
        return false;
    const int position = parent->deleteChild(FNode.get());
    FNode->setParent(nullptr);
    FChildIndex = position;
    grid->updateNodes();
    return true;
}

TQVTTreeRowDeleteOperation::TQVTTreeRowDeleteOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid& grid, int row)
    : TQVTOperation(dataSource),
      FGrid(std::static_pointer_cast<TQVTTreeGrid>(grid.shared_from_this())),
      FRow(row)
{
}

bool TQVTTreeRowDeleteOperation::perform()
{
    const auto grid = FGrid.lock();
    TQVTTreeNode* node = grid && FRow >= 0 ? grid->findNodeByIndex(FRow) : nullptr;
    TQVTTreeNode* parent = node ? node->getParentNode() : nullptr;
    TQVTGanttDocument* document = grid ? documentOf(grid.get()) : nullptr;
    if (!parent || !document)
        return false;
    FNode = std::static_pointer_cast<TQVTTreeNode>(node->shared_from_this());
    FParent = std::static_pointer_cast<TQVTTreeNode>(parent->shared_from_this());
    // The parent row loses its summary bar with its last child.
    FSummaryBarRemoval.reset();
    if (parent->GetChildrenCount() == 1 && parent->FRow && document->Ftable)
        if (TQVTSummaryBar* summary = summaryBarOf(document->Ftable->getRow(parent->FRow->FIndex))) {
            FSummaryBarRemoval = std::make_shared<TQVTBarRemoveOperation>(
                FDataSource, std::static_pointer_cast<TQVTGanttBar>(summary->shared_from_this()));
            if (!FSummaryBarRemoval->perform())
                return false;
        }
    FWasFocused = grid->getFocusedRow() == node->FRow.get();
    FWasSelected = node->FRow->FSelected;
    if (FWasFocused)
        grid->unFocus();
    grid->select(FRow, false);
    FPosition = parent->deleteChild(node);
    FNode->setParent(nullptr);
    grid->updateNodes();
    return true;
}

bool TQVTTreeRowDeleteOperation::undo()
{
    const auto grid = FGrid.lock();
    if (!grid || !FNode || !FParent || FNode->getParent())
        return false;
    FParent->addChild(FNode, FPosition);
    grid->updateNodes();
    if (FSummaryBarRemoval && !FSummaryBarRemoval->undo()) {
        FParent->deleteChild(FNode.get());
        FNode->setParent(nullptr);
        grid->updateNodes();
        return false;
    }
    if (FWasSelected)
        grid->select(FRow, true);
    if (FWasFocused)
        grid->focus(FRow);
    return true;
}

TQVTTreeRowSetParentOperation::TQVTTreeRowSetParentOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid& grid,
                                                             int newChildIndex, int newParentRow, int row)
    : TQVTOperation(dataSource),
      FGrid(std::static_pointer_cast<TQVTTreeGrid>(grid.shared_from_this())),
      FNewChildIndex(newChildIndex),
      FNewParentRow(newParentRow),
      FRow(row)
{
}

int TQVTTreeRowSetParentOperation::moveNode(TQVTTreeNode& from, TQVTTreeNode& to, int position)
{
    const int left = from.deleteChild(FNode.get());
    to.addChild(FNode, position);
    if (const auto grid = FGrid.lock())
        grid->updateNodes();
    return left;
}

bool TQVTTreeRowSetParentOperation::perform()
{
    const auto grid = FGrid.lock();
    TQVTTreeNode* node = grid && FRow >= 0 ? grid->findNodeByIndex(FRow) : nullptr;
    TQVTTreeNode* newParent = node && FNewParentRow >= -1 ? grid->findNodeByIndex(FNewParentRow) : nullptr;
    TQVTTreeNode* oldParent = node ? node->getParentNode() : nullptr;
    TQVTGanttDocument* document = grid ? documentOf(grid.get()) : nullptr;
    if (!newParent || !oldParent || !document || !document->Ftable || newParent == node ||
        grid->IsChildrenOf(FNewParentRow, FRow))
        return false;
    FNode = std::static_pointer_cast<TQVTTreeNode>(node->shared_from_this());
    FOldParent = std::static_pointer_cast<TQVTTreeNode>(oldParent->shared_from_this());
    FNewParent = std::static_pointer_cast<TQVTTreeNode>(newParent->shared_from_this());
    const bool changesParent = oldParent != newParent;

    FSummaryBarRemoval.reset();
    if (changesParent && oldParent->GetChildrenCount() == 1)
        if (TQVTSummaryBar* summary = summaryBarOf(*document, *oldParent)) {
            FSummaryBarRemoval = std::make_shared<TQVTBarRemoveOperation>(
                FDataSource, std::static_pointer_cast<TQVTGanttBar>(summary->shared_from_this()));
            if (!FSummaryBarRemoval->perform())
                return false;
        }
    FOldPosition = moveNode(*oldParent, *newParent, FNewChildIndex);
    const auto takeBack = [&] {
        moveNode(*newParent, *oldParent, FOldPosition);
        if (FSummaryBarRemoval)
            FSummaryBarRemoval->undo();
    };
    // The chart rows do not move: a move that reorders the rows would put them out of step.
    if (FNode->FRow->FIndex != FRow) {
        takeBack();
        return false;
    }
    FSummaryBarInsert.reset();
    if (changesParent && newParent->GetChildrenCount() == 1 && newParent->FRow) {
        // The same bar on every perform, so that a redo gives back what the first run made.
        if (!FNewSummaryBar)
            FNewSummaryBar = std::make_shared<TQVTSummaryBar>();
        FSummaryBarInsert = std::make_shared<TQVTBarInsertOperation>(FDataSource, *document->Ftable, FNewSummaryBar,
                                                                     newParent->FRow->FIndex);
        if (!FSummaryBarInsert->perform()) {
            takeBack();
            return false;
        }
    }
    FNode->setVisible(openToTheRoot(*FNode));
    return true;
}

bool TQVTTreeRowSetParentOperation::undo()
{
    if (!FNode || FNode->getParentNode() != FNewParent.get() || !FGrid.lock())
        return false;
    if (FSummaryBarInsert && !FSummaryBarInsert->undo())
        return false;
    moveNode(*FNewParent, *FOldParent, FOldPosition);
    if (FSummaryBarRemoval && !FSummaryBarRemoval->undo()) {
        moveNode(*FOldParent, *FNewParent, FNewChildIndex);
        if (FSummaryBarInsert)
            FSummaryBarInsert->perform();
        return false;
    }
    FNode->setVisible(openToTheRoot(*FNode));
    return true;
}

TQVTRowOperation::TQVTRowOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document)
    : TableMultipleOperations(dataSource, document.Ftable.get()),
      FGrid(gridOf(document))
{
    FRefused = FRefused || !document.FTree || !document.FTree->FRootNode;
}

void TQVTRowOperation::renumber()
{
    if (const auto grid = FGrid.lock())
        grid->updateNodes();
    if (const auto table = FTable.lock())
        table->updateAfterChange();
}

bool TQVTRowOperation::perform()
{
    const auto table = FTable.lock();
    if (!table)
        return false;
    // One update at the end, after the renumbering, for the parts and the command.
    const auto deferral = table->deferUpdates();
    if (!TableMultipleOperations::perform())
        return false;
    renumber();
    return true;
}

bool TQVTRowOperation::undo()
{
    const auto table = FTable.lock();
    if (!table)
        return false;
    const auto deferral = table->deferUpdates();
    if (!TableMultipleOperations::undo())
        return false;
    renumber();
    return true;
}

void TQVTNewRowOperation::addRowParts(TQVTGanttDocument& document, int parentRow, int childIndex, int chartIndex)
{
    Row = document.FTree->makeBlankRow();
    // The chart row first: a parent's summary bar, which the tree part puts in, looks for the
    // rows below it in the table.
    addOperation(std::make_shared<TQVTGanttRowInsertOperation>(FDataSource, *document.Ftable,
                                                               document.Ftable->MakeBlankRow(), chartIndex));
    addOperation(
        std::make_shared<TQVTTreeRowChildInsertOperation>(FDataSource, *document.FTree, childIndex, Row, parentRow));
}

TQVTRowAppendOperation::TQVTRowAppendOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document)
    : TQVTNewRowOperation(dataSource, document)
{
    if (!FRefused)
        addRowParts(document, -1, -1, document.FTree->rowsCount());
}

TQVTRowChildInsertOperation::TQVTRowChildInsertOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document,
                                                         int parent, int childIndex)
    : TQVTNewRowOperation(dataSource, document)
{
    TQVTTreeNode* node = FRefused || parent < 0 ? nullptr : document.FTree->findNodeByIndex(parent);
    if (!node) {
        FRefused = true;
        return;
    }
    // The new row takes the place of the child now at childIndex, or follows the last
    // descendant.
    const TQVTTreeNode* before = node->GetChild(childIndex);
    const int at = before && before->FRow ? before->FRow->FIndex : node->getLastIndex() + 1;
    addRowParts(document, parent, before ? childIndex : -1, at);
}

TQVTRowInsertOperation::TQVTRowInsertOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document,
                                               int parent, int position)
    : TQVTNewRowOperation(dataSource, document)
{
    TQVTTreeNode* node = FRefused || parent < -1 ? nullptr : document.FTree->findNodeByIndex(parent);
    if (!node || position < 0 || position > document.Ftable->countRows()) {
        FRefused = true;
        return;
    }
    const TQVTGanttRow* parentRow = parent >= 0 ? document.Ftable->getRow(parent) : nullptr;
    if (parentRow && !parentRow->FBarList.empty() && !summaryBarOf(document, *node)) {
        FRefused = true;
        return;
    }
    int childIndex = -1;
    for (int i = 0; i < node->GetChildrenCount() && childIndex < 0; ++i)
        if (node->GetChild(i)->FRow && node->GetChild(i)->FRow->FIndex == position)
            childIndex = i;
    if (childIndex < 0 && position != node->getLastIndex() + 1) {
        FRefused = true;
        return;
    }
    addRowParts(document, parent, childIndex, position);
}

TQVTRowDeleteOperation::TQVTRowDeleteOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document, int row)
    : TQVTRowOperation(dataSource, document)
{
    TQVTTreeNode* node = FRefused || row < 0 ? nullptr : document.FTree->findNodeByIndex(row);
    if (!node || document.FTree->rowsCount() < 2) {
        FRefused = true;
        return;
    }
    const TQVTTreeNode* parent = node->getParentNode();
    const int parentRow = parent->FRow ? parent->FRow->FIndex : -1;
    const int after = parent->childIndex(node) + 1;
    // Last child first, each right after the row: they keep their order and their indexes.
    for (int k = node->GetChildrenCount() - 1; k >= 0; --k)
        addOperation(std::make_shared<TQVTTreeRowSetParentOperation>(dataSource, *document.FTree, after, parentRow,
                                                                     node->GetChild(k)->FRow->FIndex));
    addOperation(std::make_shared<TQVTTreeRowDeleteOperation>(dataSource, *document.FTree, row));
    addOperation(std::make_shared<TQVTGanttRowsDeleteOperation>(dataSource, *document.Ftable, row, row));
}

TQVTRowsGroupOperation::TQVTRowsGroupOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document,
                                               int first, int last)
    : TQVTNewRowOperation(dataSource, document)
{
    TQVTTreeGrid* grid = document.FTree.get();
    const std::vector<int> tops = FRefused || first < 0 || last < first || last >= grid->rowsCount()
                                      ? std::vector<int>{}
                                      : topRowsOfRange(*grid, first, last);
    if (tops.empty()) {
        FRefused = true;
        return;
    }
    const TQVTTreeNode* firstNode = grid->findNodeByIndex(first);
    const TQVTTreeNode* parent = firstNode->getParentNode();
    addRowParts(document, firstNode->GetParentIndex(), parent->childIndex(firstNode), first);
    // The new row is row first now; every row of the range is one further down.
    for (const int top : tops)
        addOperation(std::make_shared<TQVTTreeRowSetParentOperation>(dataSource, *grid, -1, first, top + 1));
}

TQVTRowsChangeParentOperation::TQVTRowsChangeParentOperation(TQVTDataSourceIntf* dataSource,
                                                             TQVTGanttDocument& document, int newParent, int first,
                                                             int last)
    : TQVTRowOperation(dataSource, document)
{
    TQVTTreeGrid* grid = FRefused ? nullptr : document.FTree.get();
    TQVTTreeNode* parent = grid && newParent >= -1 && newParent < first ? grid->findNodeByIndex(newParent) : nullptr;
    last = grid ? std::min(last, grid->rowsCount() - 1) : last;
    const std::vector<int> tops = parent && first <= last && first <= parent->getLastIndex() + 1
                                      ? topRowsOfRange(*grid, first, last)
                                      : std::vector<int>{};
    int position = 0;
    while (parent && position < parent->GetChildrenCount() && parent->GetChild(position)->FRow->FIndex < first)
        ++position;
    for (const int top : tops) {
        // A row already under the new parent stands where the rows before it have been put.
        if (grid->findNodeByIndex(top)->getParentNode() != parent)
            addOperation(
                std::make_shared<TQVTTreeRowSetParentOperation>(dataSource, *grid, position, newParent, top));
        ++position;
    }
    FRefused = FRefused || empty();
}

TQVTBranchDeleteOperation::TQVTBranchDeleteOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document,
                                                     int row)
    : TQVTRowOperation(dataSource, document)
{
    TQVTTreeNode* node = FRefused || row < 0 ? nullptr : document.FTree->findNodeByIndex(row);
    if (!node || document.FTree->rowsCount() < 2) {
        FRefused = true;
        return;
    }
    addOperation(std::make_shared<TQVTTreeRowDeleteOperation>(dataSource, *document.FTree, row));
    addOperation(
        std::make_shared<TQVTGanttRowsDeleteOperation>(dataSource, *document.Ftable, row, node->getLastIndex()));
}

} // namespace corvane
