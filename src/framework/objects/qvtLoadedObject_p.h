#pragma once
// Objects made by loaders (internal).

#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/platform/ObjectArena_p.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <utility>

namespace corvane {

/// A new object of the document that factory is loading, placed with its control block in the
/// factory's arena beside the other objects of the load. It is an ordinary shared object in
/// every other respect; its room goes back when the arena does.
///
/// A class whose objects long walks read many of (bars, rows) names with hotFieldsOf where
/// the fields those walks read together begin; its objects are placed so that they start a
/// cache line and take as few lines as they can.
template <typename T, typename... Args>
std::shared_ptr<T> makeLoaded(TQVTEntityFactory& factory, Args&&... args)
{
    TObjectArena& arena = factory.loadArena();
    if constexpr (requires(const T& object) { hotFieldsOf(object); }) {
        // Where they lie in the arena's piece (past the control block) is found with the
        // first object.
        static std::atomic<std::ptrdiff_t> hotOffset{-1};
        const std::ptrdiff_t offset = hotOffset.load(std::memory_order_relaxed);
        if (offset >= 0)
            arena.PlaceNextAtLine(static_cast<std::size_t>(offset));
        std::shared_ptr<T> object = std::allocate_shared<T>(TArenaAllocator<T>(arena), std::forward<Args>(args)...);
        if (offset < 0)
            hotOffset.store(static_cast<const char*>(hotFieldsOf(*object)) - arena.LastPiece(),
                            std::memory_order_relaxed);
        return object;
    } else {
        return std::allocate_shared<T>(TArenaAllocator<T>(arena), std::forward<Args>(args)...);
    }
}

} // namespace corvane
