#include "corvane/framework/chart/qvtRowOperations.h"

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"

#include <utility>

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
    addOperation(
        std::make_shared<TQVTTreeRowChildInsertOperation>(FDataSource, *document.FTree, childIndex, Row, parentRow));
    addOperation(std::make_shared<TQVTGanttRowInsertOperation>(FDataSource, *document.Ftable,
                                                               document.Ftable->MakeBlankRow(), chartIndex));
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
