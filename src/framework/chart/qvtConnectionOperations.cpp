#include "corvane/framework/chart/qvtConnectionOperations.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/pert/qvtPertBar.h"
#include "corvane/framework/pert/qvtPertConnections.h"

namespace corvane {

namespace {

// The rows of a connection's two bars when the connection joins the summarizable work of two
// different rows of the document's table that both have PERT boxes; none otherwise.
struct MirroredRows {
    TQVTGanttTable* table = nullptr;
    TQVTGanttRow* from = nullptr;
    TQVTGanttRow* to = nullptr;
};

MirroredRows mirroredRows(const TQVTGanttDocument* document, const TQVTBarConnection& c)
{
    TQVTGanttRow* from = c.barFrom ? c.barFrom->getParentRow() : nullptr;
    TQVTGanttRow* to = c.barTo ? c.barTo->getParentRow() : nullptr;
    TQVTGanttTable* table = document ? document->Ftable.get() : nullptr;
    if (!table || !from || !to || from == to || !c.barTo->isSummarizable() || from->getTable() != table ||
        to->getTable() != table || !from->FPertBar || !to->FPertBar)
        return {};
    return {table, from, to};
}

// Performs the mirrored PERT change again on a redo, or answers none when it is refused then.
TQVTOperationPtr performedAgain(TQVTOperationPtr op)
{
    return op && op->perform() ? op : nullptr;
}

} // namespace

TQVTConnectionOperation::TQVTConnectionOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument* document,
                                                 std::shared_ptr<TQVTBarConnection> connection)
    : target(std::move(connection)),
      DataSource(dataSource),
      FDocument(document)
{
}

bool TQVTConnectionOperation::AddConnection()
{
    if (!FDocument || !target || !target->barTo || !target->barTo->acceptConnections() ||
        FDocument->getConnectionIndex(target.get()) >= 0)
        return false;
    if (DataSource && TQVTDataSourceIntf::cancelledBy(DataSource->OnBeforeConnectionAdd, target.get()))
        return false;
    FDocument->addConnection(target, removedIndex);
    if (FDocument->Ftable)
        FDocument->Ftable->updateAfterChange(std::vector<int>{});
    if (DataSource)
        TQVTDataSourceIntf::tell(DataSource->OnAfterConnectionAdd, target.get());
    return true;
}

bool TQVTConnectionOperation::DeleteConnection()
{
    if (!FDocument || !target || FDocument->getConnectionIndex(target.get()) < 0)
        return false;
    if (DataSource && TQVTDataSourceIntf::cancelledBy(DataSource->OnBeforeConnectionDelete, target.get()))
        return false;
    removedIndex = FDocument->removeConnection(target.get());
    if (FDocument->Ftable)
        FDocument->Ftable->updateAfterChange(std::vector<int>{});
    if (DataSource)
        TQVTDataSourceIntf::tell(DataSource->OnAfterConnectionDelete, target.get());
    return true;
}

TQVTConnectionAddOperation::TQVTConnectionAddOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument* document,
                                                       std::shared_ptr<TQVTBarConnection> connection)
    : TQVTOperation(dataSource),
      ConnectionOp(dataSource, document, std::move(connection))
{
}

bool TQVTConnectionAddOperation::perform()
{
    if (!ConnectionOp.AddConnection())
        return false;
    // A redo makes the same PERT change again, so that undo and redo keep the same objects.
    if (pertConnectionOp) {
        pertConnectionOp = performedAgain(std::move(pertConnectionOp));
        return true;
    }
    const MirroredRows rows = mirroredRows(ConnectionOp.document(), *ConnectionOp.target);
    if (rows.table && !rows.table->findPertBarsConnection(rows.from, rows.to)) {
        auto mirrored = std::make_shared<TQVTBarConnection>(rows.from->FPertBar, rows.to->FPertBar, 0);
        mirrored->setParent(rows.table);
        pertConnectionOp =
            performedAgain(std::make_shared<TQVTPertConnectionAddOperation>(FDataSource, std::move(mirrored)));
    }
    return true;
}

bool TQVTConnectionAddOperation::undo()
{
    if (!ConnectionOp.DeleteConnection())
        return false;
    if (pertConnectionOp && !pertConnectionOp->undo()) {
        ConnectionOp.AddConnection();
        return false;
    }
    return true;
}

TQVTConnectionDeleteOperation::TQVTConnectionDeleteOperation(TQVTDataSourceIntf* dataSource,
                                                             TQVTGanttDocument* document,
                                                             std::shared_ptr<TQVTBarConnection> connection)
    : TQVTOperation(dataSource),
      ConnectionOp(dataSource, document, std::move(connection))
{
}

bool TQVTConnectionDeleteOperation::perform()
{
    if (!ConnectionOp.DeleteConnection())
        return false;
    if (pertConnectionOp) {
        pertConnectionOp = performedAgain(std::move(pertConnectionOp));
        return true;
    }
    const MirroredRows rows = mirroredRows(ConnectionOp.document(), *ConnectionOp.target);
    if (rows.table && !ConnectionOp.document()->findRowsConnection(rows.from, rows.to) &&
        rows.table->findPertBarsConnection(rows.from, rows.to)) {
        auto mirrored = std::make_shared<TQVTBarConnection>(rows.from->FPertBar, rows.to->FPertBar, 0);
        mirrored->setParent(rows.table);
        pertConnectionOp =
            performedAgain(std::make_shared<TQVTPertConnectionDeleteOperation>(FDataSource, std::move(mirrored)));
    }
    return true;
}

bool TQVTConnectionDeleteOperation::undo()
{
    if (!ConnectionOp.AddConnection())
        return false;
    if (pertConnectionOp && !pertConnectionOp->undo()) {
        ConnectionOp.DeleteConnection();
        return false;
    }
    return true;
}

} // namespace corvane
