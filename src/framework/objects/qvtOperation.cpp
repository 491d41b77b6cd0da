#include "corvane/framework/objects/qvtOperation.h"

namespace corvane {

void TQVTMultipleOperations::addOperation(TQVTOperationPtr op)
{
    if (op && !disabled)
        operations.push_back(std::move(op));
}

void TQVTMultipleOperations::Disable()
{
    operations.clear();
    disabled = true;
}

bool TQVTMultipleOperations::perform()
{
    if (disabled)
        return false;
    for (std::size_t done = 0; done < operations.size(); ++done) {
        if (operations[done]->perform())
            continue;
        while (done > 0)
            operations[--done]->undo();
        return false;
    }
    return true;
}

bool TQVTMultipleOperations::undo()
{
    if (disabled)
        return false;
    for (std::size_t left = operations.size(); left > 0; --left) {
        if (operations[left - 1]->undo())
            continue;
        for (std::size_t redo = left; redo < operations.size(); ++redo)
            operations[redo]->perform();
        return false;
    }
    return true;
}

} // namespace corvane
