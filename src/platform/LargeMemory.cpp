#include "corvane/platform/LargeMemory_p.h"

#include "corvane/platform/AddressPoison_p.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <system_error>
#include <unistd.h>

namespace corvane {

namespace {

// Smaller blocks gain little from huge pages and would waste most of one.
constexpr std::size_t MappedFrom = 4 * 1024 * 1024;

// A step of the prefaulter: one huge page, so that a new request or Finish waits for little.
constexpr std::size_t PrefaultStep = 2 * 1024 * 1024;

// Answers false when the kernel cannot be asked to fault pages in.
bool populate(char* begin, char* end)
{
#if defined(MADV_POPULATE_WRITE)
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    // Only whole pages of the range: the rest may belong to other memory.
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(begin) + page - 1) / page * page;
    const std::uintptr_t last = reinterpret_cast<std::uintptr_t>(end) / page * page;
    if (first >= last)
        return true;
    // EINVAL: a kernel older than the request. Other failures (no memory) leave the pages to
    // fault on first touch, where the failure shows as it would without prefaulting.
    return ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE) == 0 || errno != EINVAL;
#else
    (void)begin;
    (void)end;
    return false;
#endif
}

} // namespace

TPrefaulter::TPrefaulter()
{
    try {
        FThread = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        // Pages then fault on first touch, as without a prefaulter.
    }
}

TPrefaulter::~TPrefaulter()
{
    Finish();
}

void TPrefaulter::Request(char* begin, char* end)
{
    {
        const std::lock_guard lock(FMutex);
        if (FStop)
            return;
        // The block asked for lately is found first.
        const auto known = std::find_if(FRanges.rbegin(), FRanges.rend(),
                                        [begin](const Range& range) { return range.block == begin; });
        if (known == FRanges.rend()) {
            FRanges.push_back(Range{begin, begin, end});
        } else {
            known->end = std::max(known->end, end);
            FFirstOpen = std::min(FFirstOpen, static_cast<std::size_t>(FRanges.rend() - known) - 1);
        }
    }
    FWake.notify_one();
}

void TPrefaulter::Finish()
{
    {
        const std::lock_guard lock(FMutex);
        FStop = true;
    }
    FWake.notify_one();
    if (FThread.joinable())
        FThread.join();
}

// Whether a range has pages left to fault in; FFirstOpen then is the first such range.
bool TPrefaulter::nextRange()
{
    for (; FFirstOpen < FRanges.size(); ++FFirstOpen)
        if (FRanges[FFirstOpen].next < FRanges[FFirstOpen].end)
            return true;
    return false;
}

void TPrefaulter::run()
{
    std::unique_lock lock(FMutex);
    for (;;) {
        FWake.wait(lock, [this] { return FStop || nextRange(); });
        if (FStop)
            return;
        Range& range = FRanges[FFirstOpen];
        char* const begin = range.next;
        char* const end = begin + std::min<std::size_t>(PrefaultStep, static_cast<std::size_t>(range.end - begin));
        range.next = end;
        // Blocks asked for stay mapped until Finish, which waits for this step, so they may be
        // used unlocked.
        lock.unlock();
        const bool supported = populate(begin, end);
        lock.lock();
        if (!supported)
            return;
    }
}

void* AllocateLarge(std::size_t bytes)
{
    if (bytes < MappedFrom)
        return ::operator new(bytes == 0 ? 1 : bytes);
    void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
    // Only advice: without huge pages the block works all the same.
    ::madvise(block, bytes, MADV_HUGEPAGE);
#endif
    return block;
}

void FreeLarge(void* block, std::size_t bytes) noexcept
{
    if (!block)
        return;
    if (bytes < MappedFrom)
        ::operator delete(block);
    else
        ::munmap(block, bytes);
}

namespace {

// Smaller scratch blocks come from the heap; larger ones than half a chunk are mapped alone.
constexpr std::size_t ScratchFrom = std::size_t{64} * 1024;
constexpr std::size_t ScratchChunk = std::size_t{32} * 1024 * 1024;
constexpr std::size_t ScratchPooledUpTo = ScratchChunk / 2;

// Sizes from 2^(e-1) to 2^e are rounded up to eighths of 2^e: a block wastes at most an eighth
// of itself.
std::size_t granuleOf(std::size_t bytes)
{
    return std::size_t{1} << (std::bit_width(bytes - 1) - 4);
}

std::size_t scratchSizeFor(std::size_t bytes)
{
    const std::size_t granule = granuleOf(bytes);
    return (bytes + granule - 1) / granule * granule;
}

// Scratch blocks of a few sizes per power of two, carved one after the other from chunks in
// huge pages. A block given back goes onto the list of its size, linked through its first
// bytes, so that giving back never needs memory; it stays poisoned for AddressSanitizer until
// it is taken again.
class ScratchPool {
public:
    static ScratchPool& instance()
    {
        // Never destroyed: arrays of static objects may give their blocks back at exit.
        static ScratchPool* const pool = new ScratchPool;
        return *pool;
    }

    void* take(std::size_t size)
    {
        const std::lock_guard lock(FMutex);
        FreeBlock*& free = FFree[classOf(size)];
        void* block = free;
        if (free) {
            CORVANE_UNPOISON(block, size);
            free = free->next;
        } else {
            if (static_cast<std::size_t>(FEnd - FNext) < size) {
                if (FChunkCount == FChunks.size())
                    throw std::bad_alloc();
                char* const chunk = static_cast<char*>(AllocateLarge(ScratchChunk));
                FChunks[FChunkCount++] = chunk;
                FNext = chunk;
                FEnd = chunk + ScratchChunk;
            }
            block = FNext;
            FNext += size;
        }
        ++FLive;
        return block;
    }

    void give(void* block, std::size_t size) noexcept
    {
        const std::lock_guard lock(FMutex);
        FreeBlock*& free = FFree[classOf(size)];
        free = new (block) FreeBlock{free};
        CORVANE_POISON(block, size);
        if (--FLive == 0)
            releaseChunks();
    }

private:
    struct FreeBlock {
        FreeBlock* next;
    };

    static std::size_t classOf(std::size_t size)
    {
        return static_cast<std::size_t>(std::bit_width(size - 1)) * 8 + size / granuleOf(size) - 9;
    }

    void releaseChunks() noexcept
    {
        for (std::size_t k = 0; k < FChunkCount; ++k) {
            // The addresses may be mapped again for anything else.
            CORVANE_UNPOISON(FChunks[k], ScratchChunk);
            FreeLarge(FChunks[k], ScratchChunk);
        }
        FChunkCount = 0;
        FFree.fill(nullptr);
        FNext = FEnd = nullptr;
    }

    std::mutex FMutex;
    std::array<FreeBlock*, 8 * 64> FFree{};
    // 64 chunks are 2 GiB of scratch at once.
    std::array<char*, 64> FChunks{};
    std::size_t FChunkCount = 0;
    char* FNext = nullptr;
    char* FEnd = nullptr;
    std::size_t FLive = 0;
};

} // namespace

void* AllocateScratch(std::size_t bytes)
{
    if (bytes < ScratchFrom)
        return ::operator new(bytes == 0 ? 1 : bytes);
    if (bytes > ScratchPooledUpTo)
        return AllocateLarge(bytes);
    return ScratchPool::instance().take(scratchSizeFor(bytes));
}

void FreeScratch(void* block, std::size_t bytes) noexcept
{
    if (!block)
        return;
    if (bytes < ScratchFrom)
        ::operator delete(block);
    else if (bytes > ScratchPooledUpTo)
        FreeLarge(block, bytes);
    else
        ScratchPool::instance().give(block, scratchSizeFor(bytes));
}

} // namespace corvane
