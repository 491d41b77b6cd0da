#include "corvane/framework/objects/qvtHaloEntity.h"

#include "corvane/framework/objects/qvtOperation.h"

namespace corvane {

std::shared_ptr<TQVTOperation> TQVTHaloEntity::handleClick(int, int, int)
{
    return nullptr;
}

std::shared_ptr<TQVTOperation> TQVTHaloEntity::handleMove(int, int, int, int, int)
{
    return nullptr;
}

TRect TQVTHaloEntity::nextOutline(TRect, int, int)
{
    return getOutline();
}

} // namespace corvane
