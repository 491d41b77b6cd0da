#include "corvane/platform/LargeMemory_p.h"
#include "corvane/platform/ObjectArena_p.h"
#include "corvane/platform/TextStore_p.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace corvane {
namespace {

// Counts live instances, so that a test sees destructors run, also on other threads.
struct Tracked {
    explicit Tracked(std::atomic<int>& live, std::string text) : live(live), text(std::move(text)) { ++live; }
    ~Tracked() { --live; }
    std::atomic<int>& live;
    std::string text;
};

// Takes an arena the way a loader does: one hold while making, dropped afterwards.
template <typename T, typename... Args>
std::shared_ptr<T> makeIn(TObjectArena& arena, Args&&... args)
{
    return std::allocate_shared<T>(TArenaAllocator<T>(arena), std::forward<Args>(args)...);
}

TEST(ObjectArena, PiecesOfMixedSizesAreAlignedPlacedAndNeverOverlap)
{
    TObjectArena* arena = TObjectArena::Create();
    std::mt19937 random(7);
    std::map<std::uintptr_t, std::size_t> pieces; // start -> size
    std::size_t asked = 0;
    // Enough to pass through every block size, with pieces that get blocks of their own.
    for (int i = 0; i < 60000; ++i) {
        const std::size_t alignment = std::size_t{1} << (random() % 5); // 1 .. 16
        const std::size_t size = i % 5000 == 0 ? 3 * 1024 * 1024 : 1 + random() % 700;
        // Some pieces are asked for at a line; an offset off the alignment is ignored.
        const std::size_t lineOffset = i % 3 == 0 ? random() % 300 : 0;
        if (lineOffset > 0)
            arena->PlaceNextAtLine(lineOffset);
        auto* piece = static_cast<unsigned char*>(arena->Allocate(size, alignment));
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(piece) % alignment, 0u);
        ASSERT_EQ(arena->LastPiece(), reinterpret_cast<const char*>(piece));
        if (lineOffset > 0 && lineOffset % alignment == 0 && size < 1024 * 1024) {
            ASSERT_EQ((reinterpret_cast<std::uintptr_t>(piece) + lineOffset) % 64, 0u);
        }
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

// Every object holds its arena; an address checker reports the arena freed too early.
TEST(ObjectArena, LivesUntilTheLastObjectAndWeakReferenceAreGone)
{
    std::atomic<int> live = 0;
    std::vector<std::shared_ptr<Tracked>> kept;
    TObjectArena* arena = TObjectArena::Create();
    for (int i = 0; i < 20000; ++i)
        kept.push_back(makeIn<Tracked>(*arena, live, "a text longer than a short string " + std::to_string(i)));
    // Objects that go while the maker still holds the arena do not take it with them.
    kept.erase(kept.begin(), kept.begin() + 1000);
    EXPECT_EQ(live, 19000);
    arena->Release(); // the maker's hold
    EXPECT_EQ(live, 19000);
    EXPECT_EQ(kept[12345]->text, "a text longer than a short string 13345");

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

    // Two threads drop halves at once; a lost release would free the arena twice or never.
    arena = TObjectArena::Create();
    std::vector<std::shared_ptr<Tracked>> objects;
    for (int i = 0; i < 1000; ++i)
        objects.push_back(makeIn<Tracked>(*arena, live, std::to_string(i)));
    arena->Release();
    std::vector<std::shared_ptr<Tracked>> half(objects.begin() + 500, objects.end());
    objects.resize(500);
    std::thread other([moved = std::move(half)]() mutable { moved.clear(); });
    objects.clear();
    other.join();
    EXPECT_EQ(live, 0);
}

// Resident pages of [begin, end), both page aligned; -1 when the system cannot tell.
long residentPages(const char* begin, const char* end)
{
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> flags((static_cast<std::size_t>(end - begin) + page - 1) / page);
    if (::mincore(const_cast<char*>(begin), static_cast<std::size_t>(end - begin), flags.data()) != 0)
        return -1;
    return std::count_if(flags.begin(), flags.end(), [](unsigned char f) { return (f & 1) != 0; });
}

long pagesIn(std::size_t bytes)
{
    return static_cast<long>(bytes / static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)));
}

// Whether the pages of [begin, end) become resident within a few seconds.
bool becomeResident(const char* begin, const char* end)
{
    for (int i = 0; i < 5000; ++i) {
        if (residentPages(begin, end) == pagesIn(static_cast<std::size_t>(end - begin)))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// Whether the kernel can be asked to fault pages in; without it prefaulting does nothing.
bool kernelPrefaults()
{
#if defined(MADV_POPULATE_WRITE)
    TLargeBuffer probe(8 * 1024 * 1024);
    return ::madvise(probe.Data(), 4096, MADV_POPULATE_WRITE) == 0;
#else
    return false;
#endif
}

constexpr std::size_t MiB = 1024 * 1024;

// A load must not end with more memory than it uses; Finish stops the thread with work left.
TEST(Prefaulter, FaultsInWhatIsAskedForInOrderAndNothingBeyond)
{
    if (!kernelPrefaults())
        GTEST_SKIP() << "the kernel cannot fault pages in on request";
    TLargeBuffer first(16 * MiB);
    TLargeBuffer second(16 * MiB);
    {
        TPrefaulter prefaulter;
        prefaulter.Request(first.Data(), first.Data() + 4 * MiB);
        prefaulter.Request(first.Data(), first.Data() + 10 * MiB); // grows the range
        prefaulter.Request(second.Data(), second.Data() + 3 * MiB);
        EXPECT_TRUE(becomeResident(second.Data(), second.Data() + 3 * MiB));
        // In order: the first block was done before the second was begun.
        EXPECT_EQ(residentPages(first.Data(), first.Data() + 10 * MiB), pagesIn(10 * MiB));
        prefaulter.Request(first.Data(), first.Data() + 12 * MiB);
        EXPECT_TRUE(becomeResident(first.Data(), first.Data() + 12 * MiB));
        prefaulter.Finish();
        // A second time is harmless, and a request after it does nothing.
        prefaulter.Finish();
        prefaulter.Request(second.Data(), second.Data() + 16 * MiB);
    }
    // Huge pages may round a request up to 2 MiB.
    EXPECT_EQ(residentPages(second.Data() + 6 * MiB, second.Data() + 16 * MiB), 0);
    EXPECT_EQ(residentPages(first.Data() + 14 * MiB, first.Data() + 16 * MiB), 0);

    TLargeBuffer large(256 * MiB);
    TPrefaulter prefaulter;
    prefaulter.Request(large.Data(), large.Data() + large.Size());
    prefaulter.Finish();
    const long done = residentPages(large.Data(), large.Data() + large.Size());
    EXPECT_LT(done, pagesIn(large.Size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(residentPages(large.Data(), large.Data() + large.Size()), done);
}

TEST(ObjectArena, PrefaultsALittleAheadOfTheObjectsOfALargeLoad)
{
    TObjectArena* arena = TObjectArena::Create();
    arena->StartPrefaulting();
    std::vector<std::pair<unsigned char*, std::size_t>> pieces;
    unsigned char* blockStart = nullptr;
    unsigned char* last = nullptr;
    std::size_t lastSize = 0;
    // Until a block of the largest size has begun and has 1 MiB in it.
    for (int i = 0; !blockStart || last + lastSize < blockStart + MiB; ++i) {
        const std::size_t size = 16 + static_cast<std::size_t>(i % 300);
        auto* piece = static_cast<unsigned char*>(arena->Allocate(size, 8));
        std::memset(piece, i & 0xFF, size);
        pieces.emplace_back(piece, size);
        if (last && piece != last + lastSize + ((8 - (lastSize % 8)) % 8) && arena->Used() > 30 * MiB)
            blockStart = piece;
        last = piece;
        lastSize = size;
    }
    const bool prefaults = kernelPrefaults();
    if (prefaults) {
        EXPECT_TRUE(becomeResident(reinterpret_cast<char*>(blockStart), reinterpret_cast<char*>(blockStart) + 4 * MiB));
    }
    arena->StopPrefaulting();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const auto [piece, size] = pieces[i];
        ASSERT_EQ(std::count(piece, piece + size, static_cast<unsigned char>(i & 0xFF)), static_cast<long>(size));
    }
    if (prefaults) {
        EXPECT_EQ(residentPages(reinterpret_cast<char*>(blockStart) + 8 * MiB,
                                reinterpret_cast<char*>(blockStart) + 16 * MiB),
                  0);
    }
    arena->StartPrefaulting();
    for (int i = 0; i < 100000; ++i)
        std::memset(arena->Allocate(100, 4), 1, 100);
    arena->Release(); // while prefaulting
}

// The next block's first pages are faulted in on the other thread, not by the first pieces put there.
TEST(ObjectArena, FaultsInTheNextBlockBeforeThePresentOneRunsOut)
{
    TObjectArena* arena = TObjectArena::Create();
    arena->StartPrefaulting();
    std::vector<std::pair<unsigned char*, std::size_t>> pieces;
    // Piece i holds i + 1; the last one is written only when asked, leaving its page untouched.
    const auto writeLast = [&] {
        std::memset(pieces.back().first, static_cast<int>(pieces.size() & 0xFF), pieces.back().second);
    };
    // Pieces until done(piece, whether it follows the one before it) answers true.
    const auto fillUntil = [&](auto done) {
        for (;;) {
            const std::size_t size = 8 + 8 * (pieces.size() % 40);
            auto* piece = static_cast<unsigned char*>(arena->Allocate(size, 8));
            const bool follows = !pieces.empty() && piece == pieces.back().first + pieces.back().second;
            pieces.emplace_back(piece, size);
            if (done(piece, follows))
                return piece;
            writeLast();
        }
    };
    // A block of the largest size, filled to 1 MiB before its end.
    unsigned char* const block =
        fillUntil([&](unsigned char*, bool follows) { return !follows && arena->Used() > 30 * MiB; });
    writeLast();
    fillUntil([&](unsigned char* piece, bool) { return piece >= block + 15 * MiB; });
    writeLast();
    const bool prefaults = kernelPrefaults();
    if (prefaults) {
        // The end of this block comes first, then the beginning of the next one.
        EXPECT_TRUE(
            becomeResident(reinterpret_cast<char*>(block) + 14 * MiB, reinterpret_cast<char*>(block) + 16 * MiB));
        // Time for the next block's first step to begin; stopping waits for it to end.
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    arena->StopPrefaulting();
    unsigned char* const next = fillUntil([](unsigned char*, bool follows) { return !follows; });
    ASSERT_GT(arena->Used(), 47 * MiB) << "not the block after the one filled";
    if (prefaults) {
        EXPECT_EQ(residentPages(reinterpret_cast<char*>(next), reinterpret_cast<char*>(next) + 2 * MiB),
                  pagesIn(2 * MiB));
        EXPECT_EQ(residentPages(reinterpret_cast<char*>(next) + 6 * MiB, reinterpret_cast<char*>(next) + 16 * MiB), 0);
    }
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_FALSE(__asan_address_is_poisoned(next));
    EXPECT_TRUE(__asan_address_is_poisoned(next + pieces.back().second));
    EXPECT_TRUE(__asan_address_is_poisoned(next + 8 * MiB));
#endif
    writeLast();
    fillUntil([&](unsigned char* piece, bool) { return piece >= next + MiB; });
    writeLast();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const auto [piece, size] = pieces[i];
        ASSERT_EQ(std::count(piece, piece + size, static_cast<unsigned char>((i + 1) & 0xFF)), static_cast<long>(size))
            << "piece " << i;
    }
    arena->Release();
}

// Fills a text store until its tenth block has begun, checking every piece afterwards; before
// the first text goes into each block of 8 MiB after the first, asks atNextLargeBlock(block).
template <typename Check>
void fillTenBlocks(TTextStore& store, Check atNextLargeBlock)
{
    std::vector<std::pair<char*, std::size_t>> pieces;
    // Blocks double from 64 KiB: the eighth is the first of 8 MiB.
    int block = 0;
    while (block < 10) {
        const std::size_t size = 40 + pieces.size() % 120;
        char* piece = store.Allocate(size);
        if (!pieces.empty() && piece != pieces.back().first + pieces.back().second && ++block >= 8)
            atNextLargeBlock(piece);
        std::memset(piece, static_cast<int>(pieces.size() & 0xFF), size);
        pieces.emplace_back(piece, size);
    }
    for (std::size_t i = 0; i < pieces.size(); ++i)
        ASSERT_EQ(std::count(pieces[i].first, pieces[i].first + pieces[i].second, static_cast<char>(i & 0xFF)),
                  static_cast<long>(pieces[i].second))
            << "piece " << i;
}

// The text of a large save: each next block of the largest size is faulted in on the other
// thread before text goes into it. Other stores keep no block in hand.
TEST(TextStore, FaultsInTheNextLargeBlockOnlyWhereAsked)
{
    if (!kernelPrefaults())
        GTEST_SKIP() << "the kernel cannot fault pages in on request";
    TTextStore saved(TTextStore::Growth::FaultedInAhead);
    fillTenBlocks(saved, [](char* block) { EXPECT_TRUE(becomeResident(block, block + 8 * MiB)); });
    saved.Clear(); // while the next block may still be faulted in
    EXPECT_EQ(saved.Store("after"), "after");

    TTextStore plain;
    fillTenBlocks(plain, [](char* block) { EXPECT_EQ(residentPages(block, block + 8 * MiB), 0); });
}

#if defined(__SANITIZE_ADDRESS__)
// A dead object's room stays in the arena, but reading it is reported like any use after free.
TEST(ObjectArena, RoomOfADeadObjectIsPoisoned)
{
    std::atomic<int> live = 0;
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

TEST(ScratchMemory, BlocksAreSeparateReusedBySizeAndGivenBackWhenNoneIsInUse)
{
    const std::vector<std::size_t> sizes{100, 64 * 1024, 100 * 1024, 1 * MiB, 3 * MiB, 20 * MiB};
    std::vector<char*> blocks;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        blocks.push_back(static_cast<char*>(AllocateScratch(sizes[i])));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(blocks[i]) % 16, 0u);
        std::memset(blocks[i], static_cast<int>(i + 1), sizes[i]);
    }
    for (std::size_t i = 0; i < sizes.size(); ++i)
        ASSERT_EQ(std::count(blocks[i], blocks[i] + sizes[i], static_cast<char>(i + 1)), static_cast<long>(sizes[i]))
            << "block " << i;

    FreeScratch(blocks[2], sizes[2]);
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_TRUE(__asan_address_is_poisoned(blocks[2] + 100));
    EXPECT_FALSE(__asan_address_is_poisoned(blocks[3]));
#endif
    char* const again = static_cast<char*>(AllocateScratch(98 * 1024));
    EXPECT_EQ(again, blocks[2]) << "both are rounded up to 104 KiB";
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_FALSE(__asan_address_is_poisoned(again + 98 * 1024 - 1));
#endif
    blocks[2] = again;

    {
        std::vector<int, TScratchAllocator<int>> numbers;
        for (int i = 0; i < 1'000'000; ++i)
            numbers.push_back(i);
        EXPECT_EQ(numbers[999'999], 999'999);
        EXPECT_EQ(numbers[65'536], 65'536);
    }

    for (std::size_t i = 0; i < sizes.size(); ++i)
        FreeScratch(blocks[i], i == 2 ? 98 * 1024 : sizes[i]);
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto* pooled = reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(blocks[3]) / page * page);
    EXPECT_EQ(residentPages(pooled, pooled + page), -1) << "no longer mapped";
}

} // namespace
} // namespace corvane
