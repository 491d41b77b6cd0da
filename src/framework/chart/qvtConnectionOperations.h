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

    TQVTGanttDocument* document() const { return FDocument; }

    std::shared_ptr<TQVTBarConnection> target;
    TQVTDataSourceIntf* DataSource;

private:
    TQVTGanttDocument* FDocument;
    int removedIndex = -1;
};

/// Adds a connection; its undo deletes exactly that connection. When the connection joins the
/// summarizable work of two rows with PERT boxes that no PERT connection joins yet, a PERT
/// connection between the boxes comes with it.
class TQVTConnectionAddOperation : public TQVTOperation {
public:
    TQVTConnectionAddOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument* document,
                               std::shared_ptr<TQVTBarConnection> connection);
    /// Refused (false, nothing changed) as AddConnection refuses.
    bool perform() override;
    /// Deletes the connection, then takes back the PERT connection that came with it.
    bool undo() override;

    TQVTConnectionOperation ConnectionOp;
    /// The mirrored PERT change, or none.
    TQVTOperationPtr pertConnectionOp;
};

/// Deletes a connection; its undo puts it back at the index it had. When it was the last
/// connection between two rows' work, the PERT connection between their boxes goes with it.
class TQVTConnectionDeleteOperation : public TQVTOperation {
public:
    TQVTConnectionDeleteOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument* document,
                                  std::shared_ptr<TQVTBarConnection> connection);
    /// Refused (false, nothing changed) as DeleteConnection refuses.
    bool perform() override;
    /// Puts the connection back, then the PERT connection that went with it.
    bool undo() override;

    TQVTConnectionOperation ConnectionOp;
    /// The mirrored PERT change, or none.
    TQVTOperationPtr pertConnectionOp;
};

} // namespace corvane
