#pragma once
// The history of a document's operations: undo, redo and grouping.

#include "corvane/framework/objects/qvtOperation.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace corvane {

/// Called with an operation; which moment depends on the event.
using TQVTOperationEvent = std::function<void(TQVTOperation* Operation)>;
/// Told that the history changed the document or was emptied (gone false), or that the history
/// is being destroyed with its data source (gone true).
using TQVTHistoryObserver = std::function<void(bool gone)>;

/// Every change of a document goes through here. The history owns its operations: one that
/// leaves it (a refused one, an emptied stack, a failed undo or redo) is dropped, and with it
/// the objects it kept alive for a later undo.
class TQVTUndoRedoStack {
public:
    TQVTUndoRedoStack() = default;
    ~TQVTUndoRedoStack();

    TQVTUndoRedoStack(const TQVTUndoRedoStack&) = delete;
    TQVTUndoRedoStack& operator=(const TQVTUndoRedoStack&) = delete;

    /// Performs op and records it (in the open group, if any). The redo stack is emptied first,
    /// even when op then refuses; a refused op is not recorded and the answer is false.
    bool doOperation(const TQVTOperationPtr& op);
    /// Records op, which the caller has already performed.
    bool addOperation(const TQVTOperationPtr& op);
    /// Closes the open group, then undoes the last entry. A failed undo empties the undo stack.
    bool undo();
    /// Performs the last undone entry again, onto the undo stack even while a group is open.
    /// A failed redo empties the redo stack.
    bool redo();

    /// Closes any open group and opens a new one: what is recorded until endGrouping becomes
    /// one entry.
    void startGrouping();
    /// Closes the open group; an empty group leaves no entry.
    void endGrouping();
    /// Closes the open group and empties both stacks.
    void clear();

    /// Entries on the undo stack plus the operations in the open group.
    int GetUndoOperationCount() const;
    int GetRedoOperationCount() const;
    /// Writes the class names of the undo stack's entries, top first, to the diagnostic log.
    void dumpUndoStack() const;

    void setOnUndo(TQVTOperationEvent event) { FOnUndo = std::move(event); }
    void setOnRedo(TQVTOperationEvent event) { FOnRedo = std::move(event); }
    void setOnChange(TQVTOperationEvent event) { FOnChange = std::move(event); }

    /// Adds an observer, told after every operation performed or recorded, every undo and redo
    /// (also a failed one, which may have changed part of the document) and every clear, and
    /// once more when the history is destroyed; for the controls that show the document, beside
    /// the application's events. Answers its key.
    int addObserver(TQVTHistoryObserver observer);
    /// Removes the observer with that key; nothing for an unknown key.
    void removeObserver(int key);

private:
    void record(const TQVTOperationPtr& op);
    void notify(const TQVTOperationEvent& event, TQVTOperation* op) const;
    void tellObservers() const;

    TQVTOperationEvent FOnUndo;
    TQVTOperationEvent FOnRedo;
    TQVTOperationEvent FOnChange;
    std::shared_ptr<TQVTMultipleOperations> FCachedCommands;
    std::vector<TQVTOperationPtr> undoStack;
    std::vector<TQVTOperationPtr> redoStack;
    std::vector<std::pair<int, TQVTHistoryObserver>> observers;
    int nextObserverKey = 1;
};

} // namespace corvane
