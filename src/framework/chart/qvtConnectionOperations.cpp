#include "corvane/framework/chart/qvtConnectionOperations.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"

namespace corvane {

TQVTConnectionOperation::TQVTConnectionOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument* document,
                                                 std::shared_ptr<TQVTBarConnection> connection)
    : target(std::move(connection)),
      DataSource(dataSource),
      document(document)
{
}

bool TQVTConnectionOperation::AddConnection()
{
    if (!document || !target || !target->barTo || !target->barTo->acceptConnections() ||
        document->getConnectionIndex(target.get()) >= 0)
        return false;
    if (DataSource && TQVTDataSourceIntf::cancelledBy(DataSource->OnBeforeConnectionAdd, target.get()))
        return false;
    document->addConnection(target, removedIndex);
    if (DataSource)
        TQVTDataSourceIntf::tell(DataSource->OnAfterConnectionAdd, target.get());
    return true;
}

bool TQVTConnectionOperation::DeleteConnection()
{
    if (!document || !target || document->getConnectionIndex(target.get()) < 0)
        return false;
    if (DataSource && TQVTDataSourceIntf::cancelledBy(DataSource->OnBeforeConnectionDelete, target.get()))
        return false;
    removedIndex = document->removeConnection(target.get());
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

TQVTConnectionDeleteOperation::TQVTConnectionDeleteOperation(TQVTDataSourceIntf* dataSource,
                                                             TQVTGanttDocument* document,
                                                             std::shared_ptr<TQVTBarConnection> connection)
    : TQVTOperation(dataSource),
      ConnectionOp(dataSource, document, std::move(connection))
{
}

} // namespace corvane
