#include "corvane/framework/interaction/qvtUndoRedoStack.h"

#include "corvane/framework/objects/qvtCommon.h"

namespace corvane {

namespace {

constexpr const char* UndoStackRule = "--------- Undo stack entries ----------";

} // namespace

TQVTUndoRedoStack::~TQVTUndoRedoStack()
{
    endGrouping();
    const auto told = std::move(observers);
    for (const auto& [key, observer] : told)
        if (observer)
            observer(true);
}

void TQVTUndoRedoStack::notify(const TQVTOperationEvent& event, TQVTOperation* op) const
{
    if (event)
        event(op);
}

void TQVTUndoRedoStack::tellObservers() const
{
    // An observer may remove itself or others while it is told.
    const auto told = observers;
    for (const auto& [key, observer] : told)
        if (observer)
            observer(false);
}

int TQVTUndoRedoStack::addObserver(TQVTHistoryObserver observer)
{
    observers.emplace_back(nextObserverKey, std::move(observer));
    return nextObserverKey++;
}

void TQVTUndoRedoStack::removeObserver(int key)
{
    std::erase_if(observers, [key](const auto& entry) { return entry.first == key; });
}

void TQVTUndoRedoStack::record(const TQVTOperationPtr& op)
{
    if (FCachedCommands)
        FCachedCommands->addOperation(op);
    else
        undoStack.push_back(op);
}

bool TQVTUndoRedoStack::doOperation(const TQVTOperationPtr& op)
{
    if (!op)
        return false;
    redoStack.clear();
    if (!op->perform())
        return false;
    notify(FOnChange, op.get());
    record(op);
    if (LogActive()) {
        addlog("[doing operation]");
        dumpUndoStack();
    }
    tellObservers();
    return true;
}

bool TQVTUndoRedoStack::addOperation(const TQVTOperationPtr& op)
{
    if (!op)
        return false;
    redoStack.clear();
    record(op);
    notify(FOnChange, op.get());
    tellObservers();
    return true;
}

bool TQVTUndoRedoStack::undo()
{
    endGrouping();
    if (undoStack.empty())
        return false;
    const TQVTOperationPtr op = std::move(undoStack.back());
    undoStack.pop_back();
    notify(FOnUndo, op.get());
    if (!op->undo()) {
        // The entries below this one assumed its change; they can no longer be trusted.
        undoStack.clear();
        tellObservers();
        return false;
    }
    notify(FOnChange, op.get());
    redoStack.push_back(op);
    if (LogActive()) {
        addlog("[undoing operation]");
        dumpUndoStack();
    }
    tellObservers();
    return true;
}

bool TQVTUndoRedoStack::redo()
{
    if (redoStack.empty())
        return false;
    const TQVTOperationPtr op = std::move(redoStack.back());
    redoStack.pop_back();
    notify(FOnRedo, op.get());
    if (!op->perform()) {
        redoStack.clear();
        tellObservers();
        return false;
    }
    notify(FOnChange, op.get());
    undoStack.push_back(op);
    tellObservers();
    return true;
}

void TQVTUndoRedoStack::startGrouping()
{
    endGrouping();
    FCachedCommands = std::make_shared<TQVTMultipleOperations>();
}

void TQVTUndoRedoStack::endGrouping()
{
    if (FCachedCommands && !FCachedCommands->empty())
        undoStack.push_back(FCachedCommands);
    FCachedCommands.reset();
}

void TQVTUndoRedoStack::clear()
{
    endGrouping();
    undoStack.clear();
    redoStack.clear();
    tellObservers();
}

int TQVTUndoRedoStack::GetUndoOperationCount() const
{
    return static_cast<int>(undoStack.size()) + (FCachedCommands ? FCachedCommands->count() : 0);
}

int TQVTUndoRedoStack::GetRedoOperationCount() const
{
    return static_cast<int>(redoStack.size());
}

void TQVTUndoRedoStack::dumpUndoStack() const
{
    addlog(UndoStackRule);
    for (auto it = undoStack.rbegin(); it != undoStack.rend(); ++it)
        addlog(ClassNameOf(typeid(**it)));
    addlog(UndoStackRule);
}

} // namespace corvane
