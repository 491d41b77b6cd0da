#include "corvane/platform/LargeMemory_p.h"

#include <algorithm>
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

} // namespace corvane
