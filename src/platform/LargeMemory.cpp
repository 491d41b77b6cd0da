#include "corvane/platform/LargeMemory_p.h"

#include <cstdlib>
#include <sys/mman.h>

namespace corvane {

namespace {

// Smaller blocks gain little from huge pages and would waste most of one.
constexpr std::size_t MappedFrom = 4 * 1024 * 1024;

} // namespace

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
