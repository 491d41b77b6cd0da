// The undoable operations that put bars and PERT boxes into rows, take them out and move them.

#include "corvane/framework/chart/qvtChartShared_p.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/pert/qvtPertBar.h"
#include "corvane/framework/time/qvtCalendar.h"

namespace corvane {

namespace {

std::shared_ptr<TQVTGanttRow> sharedRow(TQVTGanttRow* row)
{
    return row ? std::static_pointer_cast<TQVTGanttRow>(row->shared_from_this()) : nullptr;
}

// Moves a PERT box from one row to another, keeping its connections and its place in the
// drawing order.
class PertBarTransfer : public TQVTOperation {
public:
    PertBarTransfer(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table, const std::shared_ptr<TQVTPertBar>& box,
                    int fromRow, int toRow)
        : TQVTOperation(dataSource),
          from(table, box, fromRow),
          to(table, box, toRow)
    {
    }

    bool perform() override { return move(from, to); }
    bool undo() override { return move(to, from); }

private:
    static bool move(TQVTPertBarOperation& source, TQVTPertBarOperation& target)
    {
        if (!source.DeletePertBar())
            return false;
        target.FZOrder = source.FZOrder;
        if (target.InsertPertBar())
            return true;
        source.InsertPertBar();
        return false;
    }

    TQVTPertBarOperation from;
    TQVTPertBarOperation to;
};

} // namespace

TQVTBarRemoveOperation::TQVTBarRemoveOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTGanttBar> bar,
                                               bool preventFiringEvent)
    : TQVTOperation(dataSource),
      PreventFiringEvent(preventFiringEvent),
      target(std::move(bar)),
      FRow(sharedRow(target ? target->getParentRow() : nullptr))
{
}

bool TQVTBarRemoveOperation::perform()
{
    TQVTGanttTable* table = FRow ? FRow->getTable() : nullptr;
    if (!table || FRow->indexOf(target.get()) < 0 ||
        (!PreventFiringEvent && cancelledBy(FDataSource, &TQVTDataSourceIntf::OnBeforeBarDelete, target.get())))
        return false;
    const auto deferral = table->deferUpdates();
    FBarIndex = FRow->RemoveBar(target.get());
    // The connections are gathered when the bar first goes, from the document as it is then.
    if (!FConnectionSteps) {
        std::vector<TQVTOperationPtr> steps;
        addConnectionRemovals(steps, FDataSource, *table, {target.get()});
        auto group = std::make_shared<TableMultipleOperations>(FDataSource, table);
        for (auto& step : steps)
            group->addOperation(std::move(step));
        FConnectionSteps = std::move(group);
    }
    if (!FConnectionSteps->perform()) {
        FRow->AddBar(target, FBarIndex);
        return false;
    }
    const bool lastWork = target->isSummarizable() && FRow->GetSummarizableBarCount() == 0;
    const bool newPertOp = !PertOp && !KeepPertBar && FRow->FPertBar && lastWork;
    if (newPertOp)
        PertOp = std::make_shared<TQVTPertBarDeleteOperation>(FDataSource, FRow->FPertBar);
    if (PertOp && !PertOp->perform()) {
        const RollbackScope rollback;
        FConnectionSteps->undo();
        FRow->AddBar(target, FBarIndex);
        if (newPertOp)
            PertOp.reset();
        return false;
    }
    table->updateAfterChange({FRow->FOrder});
    if (!PreventFiringEvent)
        tellAfter(FDataSource, &TQVTDataSourceIntf::OnAfterBarDelete, target.get());
    return true;
}

bool TQVTBarRemoveOperation::undo()
{
    TQVTGanttTable* table = FRow ? FRow->getTable() : nullptr;
    // Only a move asks no events: taking the move back adds no bar either.
    if (!table || FRow->indexOf(target.get()) >= 0 ||
        (!PreventFiringEvent && cancelledBy(FDataSource, &TQVTDataSourceIntf::OnBeforeBarAdd, target.get())))
        return false;
    const auto deferral = table->deferUpdates();
    FRow->AddBar(target, FBarIndex);
    if (PertOp && !PertOp->undo()) {
        FRow->RemoveBar(target.get());
        return false;
    }
    if (FConnectionSteps && !FConnectionSteps->undo()) {
        const RollbackScope rollback;
        if (PertOp)
            PertOp->perform();
        FRow->RemoveBar(target.get());
        return false;
    }
    table->updateAfterChange({FRow->FOrder});
    if (!PreventFiringEvent)
        tellAfter(FDataSource, &TQVTDataSourceIntf::OnAfterBarAdd, target.get());
    return true;
}

TQVTBarInsertOperation::TQVTBarInsertOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table,
                                               std::shared_ptr<TQVTGanttBar> bar, int row)
    : TQVTOperation(dataSource),
      Target(std::move(bar)),
      Row(row),
      FTable(std::static_pointer_cast<TQVTGanttTable>(table.shared_from_this()))
{
    const TQVTGanttDocument* document = table.findDocument();
    if (Target && Target->FTextHalo && document && document->FTextHaloSettings)
        Target->FTextHalo->FTextHaloSettings = document->FTextHaloSettings;
}

bool TQVTBarInsertOperation::perform()
{
    const auto table = FTable.lock();
    TQVTGanttRow* row = table && Target ? table->getRow(Row) : nullptr;
    if (!row || Target->findTable())
        return false;
    const TQVTDataSourceIntf& flags = flagsOf(FDataSource);
    const bool summary = dynamic_cast<TQVTSummaryBar*>(Target.get()) != nullptr;
    if ((row->IsGroup() != summary && !flags.CanCreateBarsOnSummaryRows) ||
        cancelledBy(FDataSource, &TQVTDataSourceIntf::OnBeforeBarAdd, Target.get()))
        return false;
    const auto deferral = table->deferUpdates();
    FTimes = Target->getTimes();
    row->AddBar(Target);
    Target->adoptRowCalendar();
    const bool newPertOp = !PertOp && flags.AutoCreatePertbars && Target->isSummarizable() && !row->FPertBar &&
                           row->GetSummarizableBarCount() == 1;
    if (newPertOp)
        PertOp = std::make_shared<TQVTPertBarInsertOperation>(FDataSource, *table, Row);
    if (PertOp && !PertOp->perform()) {
        row->RemoveBar(Target.get());
        Target->setTimes(FTimes);
        if (newPertOp)
            PertOp.reset();
        return false;
    }
    table->updateAfterChange({row->FOrder});
    tellAfter(FDataSource, &TQVTDataSourceIntf::OnAfterBarAdd, Target.get());
    return true;
}

bool TQVTBarInsertOperation::undo()
{
    TQVTGanttTable* table = Target ? Target->findTable() : nullptr;
    if (!table || cancelledBy(FDataSource, &TQVTDataSourceIntf::OnBeforeBarDelete, Target.get()))
        return false;
    const auto deferral = table->deferUpdates();
    if (PertOp && !PertOp->undo())
        return false;
    const int row = Target->getRow();
    Target->getParentRow()->RemoveBar(Target.get());
    Target->setTimes(FTimes);
    table->updateAfterChange({row});
    tellAfter(FDataSource, &TQVTDataSourceIntf::OnAfterBarDelete, Target.get());
    return true;
}

TQVTBarMoveOperation::TQVTBarMoveOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTGanttBar> bar,
                                           TDateTime newStartDate, int newRow)
    : TQVTOperation(dataSource),
      target(std::move(bar)),
      originalStartDate(target ? target->getStartDate() : 0),
      newStartDate(newStartDate)
{
    TQVTGanttTable* table = target ? target->findTable() : nullptr;
    BeforeOp = std::make_shared<TableMultipleOperations>(dataSource, table);
    AfterOp = std::make_shared<TableMultipleOperations>(dataSource, table);
    if (!table)
        return;
    originalParent = sharedRow(target->getParentRow());
    newParent = sharedRow(table->getRow(newRow));
    if (!newParent)
        return;

    std::vector<TQVTOperationPtr> connections;
    addConnectionRemovals(connections, dataSource, *table, {target.get()});
    for (const auto& step : connections)
        BeforeOp->addOperation(step);
    auto removal = std::make_shared<TQVTBarRemoveOperation>(dataSource, target, true);
    BeforeOp->addOperation(removal);

    // The row's PERT box stands for its only summarizable bar: it follows the bar into a row
    // without a box, and stays where it is when the bar keeps its row.
    const bool onlyWork = target->isSummarizable() && originalParent->GetSummarizableBarCount() == 1;
    if (newParent == originalParent) {
        removal->KeepPertBar = true;
    } else if (onlyWork && !newParent->FPertBar) {
        removal->KeepPertBar = true;
        if (originalParent->FPertBar)
            AfterOp->addOperation(std::make_shared<PertBarTransfer>(dataSource, *table, originalParent->FPertBar,
                                                                    originalParent->FOrder, newRow));
        else if (flagsOf(dataSource).AutoCreatePertbars)
            AfterOp->addOperation(std::make_shared<TQVTPertBarInsertOperation>(dataSource, *table, newRow));
    }
    // Restored in reverse order, each connection lands at the index it had.
    for (auto it = connections.rbegin(); it != connections.rend(); ++it)
        AfterOp->addOperation(std::make_shared<ReversedStep>(*it));
}

namespace {

// Asks OnGanttBarMove; a move is allowed unless the handler clears the flag.
bool moveAllowed(TQVTDataSourceIntf* dataSource, TQVTGanttBar* bar, int row, TDateTime start)
{
    bool allowed = true;
    if (dataSource && dataSource->OnGanttBarMove && !RollbackScope::active())
        dataSource->OnGanttBarMove(bar, row, start, allowed);
    return allowed;
}

} // namespace

bool TQVTBarMoveOperation::perform()
{
    TQVTGanttTable* table = target ? target->findTable() : nullptr;
    if (!table || !newParent || target->getParentRow() != originalParent.get() || newParent->getTable() != table ||
        cancelledBy(FDataSource, &TQVTDataSourceIntf::OnBeforeBarMove, target.get()) ||
        !moveAllowed(FDataSource, target.get(), newParent->FOrder, newStartDate))
        return false;
    const auto deferral = table->deferUpdates();
    FBefore = target->getTimes();
    if (!BeforeOp->perform())
        return false;
    target->setPeriod(newStartDate, target->getEndDate() + newStartDate - target->getStartDate());
    newParent->AddBar(target);
    if (!AfterOp->perform()) {
        const RollbackScope rollback;
        newParent->RemoveBar(target.get());
        target->setTimes(FBefore);
        BeforeOp->undo();
        return false;
    }
    FAfter = target->getTimes();
    table->updateAfterChange({originalParent->FOrder, newParent->FOrder});
    tellAfter(FDataSource, &TQVTDataSourceIntf::OnAfterBarMove, target.get());
    return true;
}

bool TQVTBarMoveOperation::undo()
{
    TQVTGanttTable* table = target ? target->findTable() : nullptr;
    if (!table || !originalParent || target->getParentRow() != newParent.get() || originalParent->getTable() != table ||
        cancelledBy(FDataSource, &TQVTDataSourceIntf::OnBeforeBarMove, target.get()) ||
        !moveAllowed(FDataSource, target.get(), originalParent->FOrder, originalStartDate))
        return false;
    const auto deferral = table->deferUpdates();
    if (!AfterOp->undo())
        return false;
    const int index = newParent->RemoveBar(target.get());
    target->setTimes(FBefore);
    if (!BeforeOp->undo()) {
        const RollbackScope rollback;
        newParent->AddBar(target, index);
        target->setTimes(FAfter);
        AfterOp->perform();
        return false;
    }
    table->updateAfterChange({originalParent->FOrder, newParent->FOrder});
    tellAfter(FDataSource, &TQVTDataSourceIntf::OnAfterBarMove, target.get());
    return true;
}

TQVTPertBarOperation::TQVTPertBarOperation(TQVTGanttTable& table, std::shared_ptr<TQVTPertBar> pertBar, int index)
    : PertBar(std::move(pertBar)),
      Index(index),
      FTable(std::static_pointer_cast<TQVTGanttTable>(table.shared_from_this()))
{
}

bool TQVTPertBarOperation::InsertPertBar()
{
    const auto table = FTable.lock();
    TQVTGanttRow* row = table && PertBar ? table->getRow(Index) : nullptr;
    if (!row || row->FPertBar)
        return false;
    row->FPertBar = PertBar;
    PertBar->setParent(row);
    if (FZOrder >= 0)
        table->setZOrder(row, FZOrder);
    table->updateAfterChange({Index});
    return true;
}

bool TQVTPertBarOperation::DeletePertBar()
{
    const auto table = FTable.lock();
    TQVTGanttRow* row = table ? table->getRow(Index) : nullptr;
    if (!row || !PertBar || row->FPertBar != PertBar)
        return false;
    FZOrder = table->getZOrder(row);
    if (FZOrder >= 0)
        table->FRowsZOrder.erase(table->FRowsZOrder.begin() + FZOrder);
    row->FPertBar.reset();
    table->updateAfterChange({Index});
    return true;
}

namespace {

// A box for row at the control's point (x, y), or in the first free place of the PERT plane.
std::shared_ptr<TQVTPertBar> newPertBox(TQVTGanttTable& table, int x, int y, int row)
{
    TPoint place{x, y};
    if (x < 0 || y < 0) {
        table.FindEmptyPertPlace(place);
        // The free place lies on the plane already; only the snapping to the grid is wanted.
        place = TPoint{place.X - table.getPertStartX(), place.Y - table.getPertStartY()};
    }
    place = table.PertAbsToRel(place);
    auto box = TQVTPertBar::Create(place.X, place.Y, table.FDefaultPertBarSettings.get());
    box->FMainSection->FText = "Task " + std::to_string(row + 1);
    if (TQVTGanttRow* owner = table.getRow(row))
        box->setParent(owner);
    return box;
}

} // namespace

TQVTPertBarInsertOperation::TQVTPertBarInsertOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table, int row)
    : TQVTPertBarInsertOperation(dataSource, table, -1, -1, row)
{
}

TQVTPertBarInsertOperation::TQVTPertBarInsertOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table, int x,
                                                       int y, int row)
    : TQVTPertBarInsertOperation(dataSource, table, newPertBox(table, x, y, row), row)
{
}

TQVTPertBarInsertOperation::TQVTPertBarInsertOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table,
                                                       std::shared_ptr<TQVTPertBar> pertBar, int row)
    : TQVTOperation(dataSource),
      PertOp(table, std::move(pertBar), row)
{
}

namespace {

// One calendar unit of work from the document's start date, for a row that has none.
std::shared_ptr<TQVTGanttBar> placeholderWork(TQVTGanttTable& table, int row)
{
    TQVTGanttDocument* document = table.findDocument();
    const TDateTime start = document ? document->getStartDate() : 0;
    const TQVTDocumentCalendar* calendar = document ? document->getCalendar() : nullptr;
    const TDateTime end = calendar ? calendar->Add(start, 1) : corvane::Add(start, 1, tmDay);
    return std::make_shared<TQVTTaskBar>(start, end, row);
}

} // namespace

bool TQVTPertBarInsertOperation::perform()
{
    const auto table = PertOp.getTable();
    TQVTGanttRow* row = table ? table->getRow(PertOp.Index) : nullptr;
    if (!row)
        return false;
    const auto deferral = table->deferUpdates();
    const bool newTaskBarOp = !TaskBarOp && row->GetSummarizableBarCount() == 0;
    if (newTaskBarOp)
        TaskBarOp = std::make_shared<TQVTBarInsertOperation>(FDataSource, *table, placeholderWork(*table, PertOp.Index),
                                                             PertOp.Index);
    if (!PertOp.InsertPertBar()) {
        if (newTaskBarOp)
            TaskBarOp.reset();
        return false;
    }
    if (TaskBarOp && !TaskBarOp->perform()) {
        PertOp.DeletePertBar();
        if (newTaskBarOp)
            TaskBarOp.reset();
        return false;
    }
    return true;
}

bool TQVTPertBarInsertOperation::undo()
{
    if (TaskBarOp && !TaskBarOp->undo())
        return false;
    if (PertOp.DeletePertBar())
        return true;
    const RollbackScope rollback;
    if (TaskBarOp)
        TaskBarOp->perform();
    return false;
}

TQVTPertBarDeleteOperation::TQVTPertBarDeleteOperation(TQVTDataSourceIntf* dataSource,
                                                       const std::shared_ptr<TQVTPertBar>& pertBar)
    : TQVTOperation(dataSource)
{
    auto* row = pertBar ? dynamic_cast<TQVTGanttRow*>(pertBar->getParent()) : nullptr;
    TQVTGanttTable* table = row && row->FPertBar == pertBar ? row->getTable() : nullptr;
    if (table)
        PertOp.emplace(*table, pertBar, row->FOrder);
}

bool TQVTPertBarDeleteOperation::perform()
{
    const auto table = PertOp ? PertOp->getTable() : nullptr;
    TQVTGanttRow* row = table ? table->getRow(PertOp->Index) : nullptr;
    if (!row)
        return false;
    const auto deferral = table->deferUpdates();
    if (!PertOp->DeletePertBar())
        return false;
    // What goes with the box is gathered when it first goes, from the row as it is then.
    const bool newBarOp = !BarOp;
    if (newBarOp) {
        std::vector<TQVTOperationPtr> steps;
        addPertConnectionRemovals(steps, *table, PertOp->PertBar.get());
        for (const auto& bar : row->FBarList)
            if (bar->isSummarizable())
                steps.push_back(std::make_shared<TQVTBarRemoveOperation>(FDataSource, bar));
        addConnectionRemovals(steps, FDataSource, *table, {PertOp->PertBar.get()});
        BarOp = std::make_shared<TableMultipleOperations>(FDataSource, table.get());
        for (auto& step : steps)
            BarOp->addOperation(std::move(step));
    }
    if (!BarOp->perform()) {
        PertOp->InsertPertBar();
        if (newBarOp)
            BarOp.reset();
        return false;
    }
    table->updateAfterChange({PertOp->Index});
    return true;
}

bool TQVTPertBarDeleteOperation::undo()
{
    const auto table = PertOp ? PertOp->getTable() : nullptr;
    if (!table || !BarOp)
        return false;
    const auto deferral = table->deferUpdates();
    if (!BarOp->undo())
        return false;
    if (!PertOp->InsertPertBar()) {
        const RollbackScope rollback;
        BarOp->perform();
        return false;
    }
    table->updateAfterChange({PertOp->Index});
    return true;
}

} // namespace corvane
