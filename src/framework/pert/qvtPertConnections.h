#pragma once
// Undoable adding and deleting of connections between PERT boxes. A PERT connection is
// mirrored by a finish-to-start connection between the task bars of the two rows.

#include "corvane/framework/objects/qvtOperation.h"

#include <memory>

namespace corvane {

class TQVTBarConnection;

/// The two changes the PERT connection operations share. Each answers the change it made,
/// already performed, as one operation whose undo takes back exactly that change (and whose
/// perform makes it again), or none when it changed nothing.
class TQVTPertConnectionOperation {
public:
    /// Adds c (whose ends are PERT boxes) to the PERT connections of the boxes' table
    /// (addPertConnection) and, unless the rows are already connected, adds a finish-to-start
    /// connection from the from-row's latest-ending summarizable bar to the to-row's
    /// earliest-starting one. Refused (none, nothing changed) when an end is not the box of a
    /// row of one table (a placeholder box is not), both ends are one box, the table holds c's
    /// direction already, or the application cancels the mirrored connection.
    std::shared_ptr<TQVTOperation> add(TQVTDataSourceIntf* dataSource, const std::shared_ptr<TQVTBarConnection>& c);
    /// Takes c's direction out of the first PERT connection that contains it
    /// (removePertConnection) and deletes every document connection between the rows'
    /// summarizable bars in that direction, both directions when c is of type 1. Refused (none,
    /// nothing changed) when no entry contains c or the application cancels a deletion (the
    /// deletions already made are taken back).
    std::shared_ptr<TQVTOperation> Delete(TQVTDataSourceIntf* dataSource, const std::shared_ptr<TQVTBarConnection>& c);
};

/// Adds a PERT connection; undo removes exactly what it added.
class TQVTPertConnectionAddOperation : public TQVTOperation {
public:
    TQVTPertConnectionAddOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTBarConnection> connection,
                                   std::shared_ptr<TQVTPertConnectionOperation> op = nullptr);

    /// False (nothing changed, nothing to undo) when the add is refused.
    bool perform() override;
    bool undo() override;

    std::shared_ptr<TQVTBarConnection> conn;
    std::shared_ptr<TQVTPertConnectionOperation> op;

private:
    std::shared_ptr<TQVTOperation> FChange;
};

/// Deletes a PERT connection (one direction of it); undo puts back exactly what it deleted.
class TQVTPertConnectionDeleteOperation : public TQVTOperation {
public:
    TQVTPertConnectionDeleteOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTBarConnection> connection,
                                      std::shared_ptr<TQVTPertConnectionOperation> op = nullptr);

    /// False (nothing changed) when the delete matches nothing or is cancelled.
    bool perform() override;
    bool undo() override;

    std::shared_ptr<TQVTBarConnection> conn;
    std::shared_ptr<TQVTPertConnectionOperation> op;

private:
    std::shared_ptr<TQVTOperation> FChange;
};

} // namespace corvane
