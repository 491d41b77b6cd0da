#include "corvane/framework/interaction/qvtUndoRedoStack.h"

#include "corvane/framework/objects/qvtCommon.h"

namespace corvane {

namespace {

constexpr const char* UndoStackRule = "--------- Undo stack entries ----------";

} // namespace

TQVTUndoRedoStack::~TQVTUndoRedoStack()
{
    endGrouping();
}

void TQVTUndoRedoStack::notify(const TQVTOperationEvent& event, TQVTOperation* op) const
{
    if (event)
        event(op);
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
    return true;
}

bool TQVTUndoRedoStack::addOperation(const TQVTOperationPtr& op)
{
    if (!op)
        return false;
    redoStack.clear();
    record(op);
    notify(FOnChange, op.get());
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
        return false;
    }
    notify(FOnChange, op.get());
    redoStack.push_back(op);
    if (LogActive()) {
        addlog("[undoing operation]");
        dumpUndoStack();
    }
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
        return false;
    }
    notify(FOnChange, op.get());
    undoStack.push_back(op);
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
