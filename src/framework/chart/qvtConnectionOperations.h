#pragma once
// Undoable adding and deleting of connections between bars.

#include "corvane/framework/objects/qvtOperation.h"

#include <memory>

namespace corvane {

class TQVTBarConnection;
class TQVTGanttDocument;

/// One change of the document's connection list with the data source's events; shared by the
/// add and delete operations. Each change touches only its own connection.
class TQVTConnectionOperation {
public:
    TQVTConnectionOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument* document,
                            std::shared_ptr<TQVTBarConnection> connection);

    /// Refused (false, nothing changed) when the target bar takes no connections, the
    /// connection is already the document's, or OnBeforeConnectionAdd cancels. Puts the
    /// connection back where it was when it was deleted before.
    bool AddConnection();
    /// Refused when the connection is not the document's or OnBeforeConnectionDelete cancels.
    bool DeleteConnection();

    std::shared_ptr<TQVTBarConnection> target;
    TQVTDataSourceIntf* DataSource;

private:
    TQVTGanttDocument* document;
    int removedIndex = -1;
};

/// Adds a connection; its undo deletes exactly that connection.
class TQVTConnectionAddOperation : public TQVTOperation {
public:
    TQVTConnectionAddOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument* document,
                               std::shared_ptr<TQVTBarConnection> connection);
    bool perform() override { return ConnectionOp.AddConnection(); }
    bool undo() override { return ConnectionOp.DeleteConnection(); }

    TQVTConnectionOperation ConnectionOp;
};

/// Deletes a connection; its undo puts it back at the index it had.
class TQVTConnectionDeleteOperation : public TQVTOperation {
public:
    TQVTConnectionDeleteOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument* document,
                                  std::shared_ptr<TQVTBarConnection> connection);
    bool perform() override { return ConnectionOp.DeleteConnection(); }
    bool undo() override { return ConnectionOp.AddConnection(); }

    TQVTConnectionOperation ConnectionOp;
};

} // namespace corvane
