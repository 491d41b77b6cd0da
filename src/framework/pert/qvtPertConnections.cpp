#include "corvane/framework/pert/qvtPertConnections.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtChartShared_p.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/pert/qvtPertBar.h"

#include <algorithm>
#include <tuple>

namespace corvane {

// ---- the table's list of PERT connections ----

bool TQVTGanttTable::contains(const TQVTBarConnection* p, const TQVTBarConnection* c)
{
    if (!p || !c)
        return false;
    return (c->barFrom == p->barFrom && c->barTo == p->barTo) ||
           (p->getConnType() == 1 && c->barFrom == p->barTo && c->barTo == p->barFrom);
}

bool TQVTGanttTable::addPertConnection(const std::shared_ptr<TQVTBarConnection>& c)
{
    if (!c)
        return false;
    for (const auto& p : FPertBarConnections) {
        if (!p)
            continue;
        if (p->barFrom == c->barFrom && p->barTo == c->barTo)
            return false;
        if (p->barFrom == c->barTo && p->barTo == c->barFrom) {
            p->setConnType(1);
            return false;
        }
    }
    FPertBarConnections.push_back(c);
    auto* from = dynamic_cast<TQVTPertBar*>(c->barFrom.get());
    auto* to = dynamic_cast<TQVTPertBar*>(c->barTo.get());
    if (from)
        from->newConnectionTo(to);
    if (to)
        to->newConnectionFrom(from);
    return true;
}

bool TQVTGanttTable::removePertConnection(const TQVTBarConnection* c)
{
    const auto it = std::find_if(FPertBarConnections.begin(), FPertBarConnections.end(),
                                 [c](const auto& p) { return contains(p.get(), c); });
    if (it == FPertBarConnections.end())
        return false;
    TQVTBarConnection& p = **it;
    auto* from = dynamic_cast<TQVTPertBar*>(p.barFrom.get());
    auto* to = dynamic_cast<TQVTPertBar*>(p.barTo.get());
    if (p.barTo == c->barFrom && c->getConnType() == 0) {
        p.setConnType(0);
    } else if (p.getConnType() == 1 && c->getConnType() == 0) {
        // The pair keeps only the other direction.
        std::swap(p.barFrom, p.barTo);
        p.setConnType(0);
        if (from) {
            from->removeConnectionTo(to);
            from->newConnectionFrom(to);
        }
        if (to) {
            to->removeConnectionFrom(from);
            to->newConnectionTo(from);
        }
    } else {
        if (from)
            from->removeConnectionTo(to);
        if (to)
            to->removeConnectionFrom(from);
        FPertBarConnections.erase(it);
    }
    return true;
}

TQVTBarConnection* TQVTGanttTable::findPertBarsConnection(const TQVTGanttRow* rowA, const TQVTGanttRow* rowB) const
{
    const TQVTGanttBar* a = rowA ? rowA->FPertBar.get() : nullptr;
    const TQVTGanttBar* b = rowB ? rowB->FPertBar.get() : nullptr;
    if (!a || !b)
        return nullptr;
    for (const auto& p : FPertBarConnections)
        if (p && ((p->barFrom.get() == a && p->barTo.get() == b) ||
                  (p->getConnType() == 1 && p->barFrom.get() == b && p->barTo.get() == a)))
            return p.get();
    return nullptr;
}

void TQVTGanttTable::linkPertBars()
{
    for (const auto& row : FRows)
        if (row->FPertBar) {
            row->FPertBar->FOutgoingConnections.clear();
            row->FPertBar->FIncomingConnections.clear();
        }
    for (const auto& p : FPertBarConnections) {
        auto* from = p ? dynamic_cast<TQVTPertBar*>(p->barFrom.get()) : nullptr;
        auto* to = p ? dynamic_cast<TQVTPertBar*>(p->barTo.get()) : nullptr;
        if (from)
            from->newConnectionTo(to);
        if (to)
            to->newConnectionFrom(from);
    }
}

namespace {

// The row whose PERT box box is, with its table; none when the box is in no row of a table.
TQVTGanttRow* rowOfBox(const TQVTGanttBar* box)
{
    auto* pertBox = dynamic_cast<const TQVTPertBar*>(box);
    TQVTGanttRow* row = pertBox ? pertBox->getParentRow() : nullptr;
    return row && row->FPertBar.get() == pertBox && row->getTable() ? row : nullptr;
}

// A change of the table's PERT connections, recorded as the list and the ends and types of
// the connections it touched, before and after; perform and undo put back one or the other.
class PertListChange : public TQVTOperation {
public:
    PertListChange(TQVTGanttTable& table, std::vector<std::shared_ptr<TQVTBarConnection>> touched)
        : TQVTOperation(nullptr),
          FTable(std::static_pointer_cast<TQVTGanttTable>(table.shared_from_this())),
          FTouched(std::move(touched)),
          FBefore(capture(table))
    {
    }

    void recordAfter()
    {
        if (auto table = FTable.lock())
            FAfter = capture(*table);
    }

    bool perform() override { return apply(FAfter); }
    bool undo() override { return apply(FBefore); }

private:
    using Ends = std::tuple<std::shared_ptr<TQVTGanttBar>, std::shared_ptr<TQVTGanttBar>, int>;
    struct State {
        std::vector<std::shared_ptr<TQVTBarConnection>> list;
        std::vector<Ends> ends;
    };

    State capture(const TQVTGanttTable& table) const
    {
        State state{table.FPertBarConnections, {}};
        for (const auto& c : FTouched)
            state.ends.emplace_back(c->barFrom, c->barTo, c->getConnType());
        return state;
    }

    bool apply(const State& state)
    {
        const auto table = FTable.lock();
        if (!table)
            return false;
        table->FPertBarConnections = state.list;
        for (std::size_t i = 0; i < FTouched.size(); ++i) {
            std::tie(FTouched[i]->barFrom, FTouched[i]->barTo, std::ignore) = state.ends[i];
            FTouched[i]->setConnType(std::get<2>(state.ends[i]));
        }
        table->linkPertBars();
        return true;
    }

    std::weak_ptr<TQVTGanttTable> FTable;
    std::vector<std::shared_ptr<TQVTBarConnection>> FTouched;
    State FBefore;
    State FAfter;
};

// Adds a new document connection; its undo deletes it. No before-event is asked while a
// failed change is taken back.
class ConnectionAddStep : public TQVTOperation {
public:
    ConnectionAddStep(TQVTDataSourceIntf* dataSource, TQVTGanttDocument& document,
                      std::shared_ptr<TQVTBarConnection> connection)
        : TQVTOperation(dataSource),
          FDocument(&document),
          FConnection(std::move(connection))
    {
    }

    bool perform() override
    {
        if (FDocument->getConnectionIndex(FConnection.get()) >= 0 || !FConnection->barTo->acceptConnections())
            return false;
        if (FDataSource && !RollbackScope::active() &&
            TQVTDataSourceIntf::cancelledBy(FDataSource->OnBeforeConnectionAdd, FConnection.get()))
            return false;
        FDocument->addConnection(FConnection);
        if (FDataSource)
            TQVTDataSourceIntf::tell(FDataSource->OnAfterConnectionAdd, FConnection.get());
        return true;
    }

    bool undo() override
    {
        if (FDocument->getConnectionIndex(FConnection.get()) < 0)
            return false;
        if (FDataSource && !RollbackScope::active() &&
            TQVTDataSourceIntf::cancelledBy(FDataSource->OnBeforeConnectionDelete, FConnection.get()))
            return false;
        FDocument->removeConnection(FConnection.get());
        if (FDataSource)
            TQVTDataSourceIntf::tell(FDataSource->OnAfterConnectionDelete, FConnection.get());
        return true;
    }

private:
    TQVTGanttDocument* FDocument;
    std::shared_ptr<TQVTBarConnection> FConnection;
};

std::shared_ptr<TQVTGanttBar> sharedBar(TQVTGanttBar* bar)
{
    return bar ? std::static_pointer_cast<TQVTGanttBar>(bar->shared_from_this()) : nullptr;
}

} // namespace

std::shared_ptr<TQVTOperation> TQVTPertConnectionOperation::add(TQVTDataSourceIntf* dataSource,
                                                                const std::shared_ptr<TQVTBarConnection>& c)
{
    TQVTGanttRow* fromRow = c ? rowOfBox(c->barFrom.get()) : nullptr;
    TQVTGanttRow* toRow = c ? rowOfBox(c->barTo.get()) : nullptr;
    if (!fromRow || !toRow || fromRow == toRow || fromRow->getTable() != toRow->getTable())
        return nullptr;
    TQVTGanttTable& table = *fromRow->getTable();
    for (const auto& p : table.FPertBarConnections)
        if (TQVTGanttTable::contains(p.get(), c.get()))
            return nullptr;

    std::vector<std::shared_ptr<TQVTBarConnection>> touched{c};
    for (const auto& p : table.FPertBarConnections)
        if (p && p->barFrom == c->barTo && p->barTo == c->barFrom)
            touched.push_back(p);
    auto change = std::make_shared<PertListChange>(table, touched);
    if (table.addPertConnection(c)) {
        if (c->getParent() != &table)
            c->setParent(&table);
    }
    change->recordAfter();
    auto group = std::make_shared<TableMultipleOperations>(dataSource, &table);
    group->addOperation(change);

    TQVTGanttDocument* document = table.findDocument();
    if (!document || document->findRowsConnection(fromRow, toRow))
        return group;
    TQVTGanttBar* a = fromRow->findLastSummarizable();
    TQVTGanttBar* b = toRow->findFirstSummarizable();
    if (!a || !b || document->findConnection(a, b, TQVTBarConnection::FinishToStart) || !a->acceptConnections() ||
        !b->acceptConnections())
        return group;
    auto mirror = std::make_shared<ConnectionAddStep>(
        dataSource, *document,
        std::make_shared<TQVTBarConnection>(sharedBar(a), sharedBar(b), TQVTBarConnection::FinishToStart));
    if (!mirror->perform()) {
        const RollbackScope rollback;
        change->undo();
        return nullptr;
    }
    group->addOperation(mirror);
    return group;
}

std::shared_ptr<TQVTOperation> TQVTPertConnectionOperation::Delete(TQVTDataSourceIntf* dataSource,
                                                                   const std::shared_ptr<TQVTBarConnection>& c)
{
    if (!c)
        return nullptr;
    TQVTGanttRow* fromRow = rowOfBox(c->barFrom.get());
    TQVTGanttRow* toRow = rowOfBox(c->barTo.get());
    auto* box = dynamic_cast<TQVTPertBar*>(c->barFrom.get());
    TQVTGanttTable* table = box ? box->getTable() : nullptr;
    if (!table)
        return nullptr;
    const auto entry = std::find_if(table->FPertBarConnections.begin(), table->FPertBarConnections.end(),
                                    [&c](const auto& p) { return TQVTGanttTable::contains(p.get(), c.get()); });
    if (entry == table->FPertBarConnections.end())
        return nullptr;

    auto change = std::make_shared<PertListChange>(*table, std::vector<std::shared_ptr<TQVTBarConnection>>{*entry});
    table->removePertConnection(c.get());
    change->recordAfter();
    auto group = std::make_shared<TableMultipleOperations>(dataSource, table);
    group->addOperation(change);

    TQVTGanttDocument* document = table->findDocument();
    if (!document || !fromRow || !toRow)
        return group;
    // The mirrored connections are gathered once, so that a refused deletion cannot make the
    // search start over.
    std::vector<std::shared_ptr<TQVTBarConnection>> mirrors;
    const auto between = [](const TQVTBarConnection& m, const TQVTGanttRow* from, const TQVTGanttRow* to) {
        return m.barFrom && m.barTo && m.barFrom->isSummarizable() && m.barTo->isSummarizable() &&
               m.barFrom->getParent() == from && m.barTo->getParent() == to;
    };
    for (const auto& m : document->connections)
        if (m && (between(*m, fromRow, toRow) || (c->getConnType() != 0 && between(*m, toRow, fromRow))))
            mirrors.push_back(m);
    std::vector<TQVTOperationPtr> done;
    for (const auto& m : mirrors) {
        auto step = std::make_shared<ConnectionRemovalStep>(dataSource, *document, m);
        if (!step->perform()) {
            const RollbackScope rollback;
            for (auto it = done.rbegin(); it != done.rend(); ++it)
                (*it)->undo();
            change->undo();
            return nullptr;
        }
        done.push_back(step);
    }
    for (auto& step : done)
        group->addOperation(std::move(step));
    return group;
}

TQVTPertConnectionAddOperation::TQVTPertConnectionAddOperation(TQVTDataSourceIntf* dataSource,
                                                               std::shared_ptr<TQVTBarConnection> connection,
                                                               std::shared_ptr<TQVTPertConnectionOperation> op)
    : TQVTOperation(dataSource),
      conn(std::move(connection)),
      op(op ? std::move(op) : std::make_shared<TQVTPertConnectionOperation>())
{
}

bool TQVTPertConnectionAddOperation::perform()
{
    if (FChange)
        return FChange->perform();
    FChange = op->add(FDataSource, conn);
    return FChange != nullptr;
}

bool TQVTPertConnectionAddOperation::undo()
{
    return FChange && FChange->undo();
}

TQVTPertConnectionDeleteOperation::TQVTPertConnectionDeleteOperation(TQVTDataSourceIntf* dataSource,
                                                                     std::shared_ptr<TQVTBarConnection> connection,
                                                                     std::shared_ptr<TQVTPertConnectionOperation> op)
    : TQVTOperation(dataSource),
      conn(std::move(connection)),
      op(op ? std::move(op) : std::make_shared<TQVTPertConnectionOperation>())
{
}

bool TQVTPertConnectionDeleteOperation::perform()
{
    if (FChange)
        return FChange->perform();
    FChange = op->Delete(FDataSource, conn);
    return FChange != nullptr;
}

bool TQVTPertConnectionDeleteOperation::undo()
{
    return FChange && FChange->undo();
}

} // namespace corvane
