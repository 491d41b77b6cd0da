#include "corvane/platform/ObjectArena_p.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace corvane {
namespace {

// Counts live instances, so that a test sees destructors run.
struct Tracked {
    explicit Tracked(int& live, std::string text) : live(live), text(std::move(text)) { ++live; }
    ~Tracked() { --live; }
    int& live;
    std::string text;
};

// Takes an arena the way a loader does: one hold while making, dropped afterwards.
template <typename T, typename... Args>
std::shared_ptr<T> makeIn(TObjectArena& arena, Args&&... args)
{
    return std::allocate_shared<T>(TArenaAllocator<T>(arena), std::forward<Args>(args)...);
}

TEST(ObjectArena, PiecesOfMixedSizesAreAlignedAndNeverOverlap)
{
    TObjectArena* arena = TObjectArena::Create();
    std::mt19937 random(7);
    std::map<std::uintptr_t, std::size_t> pieces; // start -> size
    std::size_t asked = 0;
    // Enough to pass through every block size, with pieces that get blocks of their own.
    for (int i = 0; i < 60000; ++i) {
        const std::size_t alignment = std::size_t{1} << (random() % 5); // 1 .. 16
        const std::size_t size = i % 5000 == 0 ? 3 * 1024 * 1024 : 1 + random() % 700;
        auto* piece = static_cast<unsigned char*>(arena->Allocate(size, alignment));
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(piece) % alignment, 0u);
        std::memset(piece, i & 0xFF, size); // every byte is usable
        pieces.emplace(reinterpret_cast<std::uintptr_t>(piece), size);
        asked += size;
    }
    EXPECT_EQ(arena->Used(), asked);
    std::uintptr_t end = 0;
    for (const auto& [start, size] : pieces) {
        ASSERT_GE(start, end);
        end = start + size;
        ASSERT_TRUE(arena->Holds(reinterpret_cast<const void*>(start + size - 1)));
    }
    const auto heap = std::make_unique<int>(0);
    EXPECT_FALSE(arena->Holds(heap.get()));
    EXPECT_FALSE(arena->Holds(&asked));
    arena->Release();
}

// The arena is held by every object made in it (through the allocator beside the object), so
// objects outlive the hold that made them, and a weak reference keeps the control block of a
// dead object readable. An address checker reports the arena freed too early.
TEST(ObjectArena, LivesUntilTheLastObjectAndWeakReferenceAreGone)
{
    int live = 0;
    std::vector<std::shared_ptr<Tracked>> kept;
    TObjectArena* arena = TObjectArena::Create();
    for (int i = 0; i < 20000; ++i)
        kept.push_back(makeIn<Tracked>(*arena, live, "a text longer than a short string " + std::to_string(i)));
    arena->Release(); // the maker's hold
    EXPECT_EQ(live, 20000);
    EXPECT_EQ(kept[12345]->text, "a text longer than a short string 12345");

    std::weak_ptr<Tracked> watcher = kept.front();
    std::shared_ptr<Tracked> survivor = kept.back();
    std::shuffle(kept.begin(), kept.end(), std::mt19937(3));
    kept.clear();
    EXPECT_EQ(live, 1);
    EXPECT_TRUE(watcher.expired());
    EXPECT_EQ(survivor->text, "a text longer than a short string 19999");
    survivor.reset();
    EXPECT_EQ(live, 0);
    EXPECT_TRUE(watcher.expired()); // the arena is still there for the control block
    watcher.reset();
}

TEST(ObjectArena, HoldersOnOtherThreadsLetGoSafely)
{
    int live = 0;
    TObjectArena* arena = TObjectArena::Create();
    std::vector<std::shared_ptr<Tracked>> objects;
    for (int i = 0; i < 1000; ++i)
        objects.push_back(makeIn<Tracked>(*arena, live, std::to_string(i)));
    arena->Release();
    // Two threads drop halves of the objects at once; the counter of holders must not lose a
    // release, or the arena would be freed twice or never.
    std::vector<std::shared_ptr<Tracked>> half(objects.begin() + 500, objects.end());
    objects.resize(500);
    std::thread other([moved = std::move(half)]() mutable { moved.clear(); });
    objects.clear();
    other.join();
    EXPECT_EQ(live, 0);
}

#if defined(__SANITIZE_ADDRESS__)
// A dead object's room stays in the arena, but reading it is reported like any use after free.
TEST(ObjectArena, RoomOfADeadObjectIsPoisoned)
{
    int live = 0;
    TObjectArena* arena = TObjectArena::Create();
    auto object = makeIn<Tracked>(*arena, live, "x");
    auto neighbour = makeIn<Tracked>(*arena, live, "y");
    Tracked* const address = object.get();
    EXPECT_FALSE(__asan_address_is_poisoned(address));
    object.reset();
    EXPECT_TRUE(__asan_address_is_poisoned(address));
    EXPECT_FALSE(__asan_address_is_poisoned(neighbour.get()));
    arena->Release();
}
#endif

} // namespace
} // namespace corvane
