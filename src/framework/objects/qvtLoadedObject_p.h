#pragma once
// Objects made by loaders (internal).

#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/platform/ObjectArena_p.h"

#include <memory>
#include <utility>

namespace corvane {

/// A new object of the document that factory is loading, placed with its control block in the
/// factory's arena beside the other objects of the load. It is an ordinary shared object in
/// every other respect; its room goes back when the arena does.
template <typename T, typename... Args>
std::shared_ptr<T> makeLoaded(TQVTEntityFactory& factory, Args&&... args)
{
    return std::allocate_shared<T>(TArenaAllocator<T>(factory.loadArena()), std::forward<Args>(args)...);
}

} // namespace corvane
