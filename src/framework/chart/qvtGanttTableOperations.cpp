#include "corvane/framework/chart/qvtChartShared_p.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/pert/qvtPertBar.h"

#include <algorithm>

namespace corvane {

namespace {

std::shared_ptr<TQVTGanttTable> sharedTable(TQVTGanttTable* table)
{
    return table ? std::static_pointer_cast<TQVTGanttTable>(table->shared_from_this()) : nullptr;
}

} // namespace

TableMultipleOperations::TableMultipleOperations(TQVTDataSourceIntf* dataSource, TQVTGanttTable* table)
    : TQVTMultipleOperations(dataSource),
      FTable(sharedTable(table))
{
}

bool TableMultipleOperations::perform()
{
    const auto table = FTable.lock();
    if (FRefused || !table)
        return false;
    const auto deferral = table->deferUpdates();
    for (std::size_t done = 0; done < operations.size(); ++done) {
        if (operations[done]->perform())
            continue;
        const RollbackScope rollback;
        while (done > 0)
            operations[--done]->undo();
        return false;
    }
    return true;
}

bool TableMultipleOperations::undo()
{
    const auto table = FTable.lock();
    if (FRefused || !table)
        return false;
    const auto deferral = table->deferUpdates();
    for (std::size_t left = operations.size(); left > 0; --left) {
        if (operations[left - 1]->undo())
            continue;
        const RollbackScope rollback;
        for (std::size_t redo = left; redo < operations.size(); ++redo)
            operations[redo]->perform();
        return false;
    }
    return true;
}

TQVTGanttRowOperation::TQVTGanttRowOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table, int index,
                                             std::shared_ptr<TQVTGanttRow> row)
    : DataSource(dataSource),
      Index(index),
      Row(std::move(row)),
      FTable(sharedTable(&table))
{
}

bool TQVTGanttRowOperation::InsertRow(bool newRow)
{
    const auto table = FTable.lock();
    if (!table || !Row || Index < 0 || Index > table->countRows() || Row->getTable() == table.get())
        return false;
    if (newRow)
        Row->setHeight(table->getDefaultRowHeight());
    Row->setParent(table.get());
    table->FRows.insert(table->FRows.begin() + Index, Row);
    table->renumber(Index, table->countRows() - 1);
    table->invalidateRowGeometry();
    if (Row->FPertBar && table->getZOrder(Row.get()) < 0)
        table->setZOrder(Row.get(), FZOrder >= 0 ? FZOrder : static_cast<int>(table->FRowsZOrder.size()));
    table->updateAfterChange();
    if (DataSource)
        TQVTDataSourceIntf::tell(DataSource->OnRowInsert, Row.get());
    return true;
}

bool TQVTGanttRowOperation::DeleteRow()
{
    const auto table = FTable.lock();
    if (!table || Index < 0 || Index >= table->countRows() || table->FRows[static_cast<std::size_t>(Index)] != Row)
        return false;
    FZOrder = table->getZOrder(Row.get());
    if (FZOrder >= 0)
        table->FRowsZOrder.erase(table->FRowsZOrder.begin() + FZOrder);
    table->FRows.erase(table->FRows.begin() + Index);
    table->renumber(Index, table->countRows() - 1);
    table->invalidateRowGeometry();
    table->updateAfterChange();
    if (DataSource)
        TQVTDataSourceIntf::tell(DataSource->OnRowDelete, Row.get());
    return true;
}

TQVTGanttRowInsertOperation::TQVTGanttRowInsertOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table,
                                                         std::shared_ptr<TQVTGanttRow> row, int index)
    : TQVTOperation(dataSource),
      RowOp(dataSource, table, index, std::move(row))
{
}

bool TQVTGanttRowInsertOperation::perform()
{
    // A new row takes the default height once; a redo finds it with the height it had.
    if (!RowOp.InsertRow(!FHeightGiven))
        return false;
    FHeightGiven = true;
    return true;
}

TQVTGanttRowRemoveOperation::TQVTGanttRowRemoveOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table,
                                                         int index)
    : TQVTOperation(dataSource)
{
    if (index >= 0 && index < table.countRows())
        RowOp.emplace(dataSource, table, index, table.FRows[static_cast<std::size_t>(index)]);
}

bool TQVTGanttRowRemoveOperation::perform()
{
    TQVTGanttTable* table = RowOp && RowOp->Row ? RowOp->Row->getTable() : nullptr;
    if (!table || RowOp->Row->FOrder != RowOp->Index)
        return false;
    const auto deferral = table->deferUpdates();
    // The connections of what the row still holds go with it; taken once, when first removed.
    if (!FConnectionSteps) {
        std::vector<const TQVTGanttBar*> ends;
        for (const auto& bar : RowOp->Row->FBarList)
            ends.push_back(bar.get());
        if (RowOp->Row->FPertBar)
            ends.push_back(RowOp->Row->FPertBar.get());
        std::vector<TQVTOperationPtr> steps;
        addPertConnectionRemovals(steps, *table, RowOp->Row->FPertBar.get());
        addConnectionRemovals(steps, FDataSource, *table, ends);
        FConnectionSteps = std::make_shared<TableMultipleOperations>(FDataSource, table);
        for (auto& step : steps)
            FConnectionSteps->addOperation(std::move(step));
    }
    if (!FConnectionSteps->perform())
        return false;
    if (!RowOp->DeleteRow()) {
        const RollbackScope rollback;
        FConnectionSteps->undo();
        return false;
    }
    return true;
}

bool TQVTGanttRowRemoveOperation::undo()
{
    if (!RowOp || !FConnectionSteps || !RowOp->InsertRow())
        return false;
    if (!FConnectionSteps->undo()) {
        RowOp->DeleteRow();
        return false;
    }
    return true;
}

TQVTGanttRowClearOperation::TQVTGanttRowClearOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table, int index)
    : TableMultipleOperations(dataSource, &table)
{
    const TQVTGanttRow* row =
        index >= 0 && index < table.countRows() ? table.FRows[static_cast<std::size_t>(index)].get() : nullptr;
    if (!row) {
        FRefused = true;
        return;
    }
    if (row->countBarsOfKind<TQVTSummaryBar>() > 0)
        return;
    for (const auto& bar : row->FBarList)
        addOperation(std::make_shared<TQVTBarDeleteOperation>(dataSource, bar));
}

TQVTGanttRowsDeleteOperation::TQVTGanttRowsDeleteOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table,
                                                           int first, int last)
    : TableMultipleOperations(dataSource, &table)
{
    // From the bottom up, so that the lower indexes stay valid while the parts run.
    for (int index = last; index >= first; --index) {
        addOperation(std::make_shared<TQVTGanttRowClearOperation>(dataSource, table, index));
        addOperation(std::make_shared<TQVTGanttRowRemoveOperation>(dataSource, table, index));
    }
}

TQVTBarDeleteOperation::TQVTBarDeleteOperation(TQVTDataSourceIntf* dataSource, const std::shared_ptr<TQVTGanttBar>& bar)
    : TableMultipleOperations(dataSource, bar ? bar->findTable() : nullptr)
{
    if (bar && bar->findTable())
        addOperation(std::make_shared<TQVTBarRemoveOperation>(dataSource, bar));
}

} // namespace corvane
