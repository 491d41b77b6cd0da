#pragma once
// Undoable changes of a document: the protocol every operation follows, and groups of them.

#include <memory>
#include <vector>

namespace corvane {

class TQVTDataSourceIntf;

/// One change of a document that can be carried out and taken back. It is performed once when
/// it is recorded and may then alternate undo, perform, undo... any number of times.
class TQVTOperation {
public:
    explicit TQVTOperation(TQVTDataSourceIntf* dataSource) : FDataSource(dataSource) {}
    virtual ~TQVTOperation() = default;

    TQVTOperation(const TQVTOperation&) = delete;
    TQVTOperation& operator=(const TQVTOperation&) = delete;

    /// Carries the change out (again); answers false when it could not be made or was refused,
    /// and then the model is as before.
    virtual bool perform() = 0;
    /// Takes the change back; answers false when that is not possible, and then the model is as
    /// before the call.
    virtual bool undo() = 0;

protected:
    TQVTDataSourceIntf* FDataSource;
};

using TQVTOperationPtr = std::shared_ptr<TQVTOperation>;

/// Operations that act as one: performed in the order they were added, undone in reverse.
/// The group owns its operations.
class TQVTMultipleOperations : public TQVTOperation {
public:
    explicit TQVTMultipleOperations(TQVTDataSourceIntf* dataSource = nullptr) : TQVTOperation(dataSource) {}

    /// Appends op, which the caller has already performed; ignored when op is none or the group
    /// was disabled.
    void addOperation(TQVTOperationPtr op);
    int count() const { return static_cast<int>(operations.size()); }
    bool empty() const { return operations.empty(); }
    /// Releases the operations; afterwards perform and undo answer false.
    void Disable();

    /// Performs every operation in order. When one refuses, the ones before it are undone in
    /// reverse order, so that the model is as before, and the answer is false.
    bool perform() override;
    /// Undoes every operation in reverse order. When one fails, the ones already undone are
    /// performed again, so that the model is as before, and the answer is false.
    bool undo() override;

protected:
    std::vector<TQVTOperationPtr> operations;

private:
    bool disabled = false;
};

} // namespace corvane
