#pragma once
// Large blocks of memory taken from the system in huge pages (internal).
//
// The first touch of fresh memory costs a page fault per page, and on virtual machines those
// are expensive: the text of a 250 MB document alone is 60,000 pages of 4 KiB but only 120 of
// 2 MiB. Blocks below a few megabytes come from the ordinary heap.

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <new>
#include <thread>
#include <utility>
#include <vector>

namespace corvane {

/// Room for bytes bytes, not cleared. Throws std::bad_alloc when there is none.
void* AllocateLarge(std::size_t bytes);
/// Gives back a block from AllocateLarge; bytes must be the size it was asked for.
void FreeLarge(void* block, std::size_t bytes) noexcept;

/// Has the kernel fault in the pages of memory that the caller is about to fill, on a thread of
/// its own, so that clearing fresh pages (a good part of loading a large document on a virtual
/// machine) runs on another core. Only the kernel maps the pages; their bytes are never read or
/// written here, so filling a page while it is being faulted in is no race. Where the kernel
/// cannot be asked, pages fault on first touch as they would anyway.
class TPrefaulter {
public:
    /// Without a thread of its own (none could be started) it does nothing.
    TPrefaulter();
    /// Finish.
    ~TPrefaulter();
    TPrefaulter(const TPrefaulter&) = delete;
    TPrefaulter& operator=(const TPrefaulter&) = delete;

    /// Faults in the pages from begin to end of a block, beyond those of the block faulted in
    /// already; a block is known by its begin. Blocks are faulted in in the order they were
    /// first asked for, so a block asked for while another is still being faulted in waits
    /// behind it (a growing range of an earlier block comes first). Every block asked for must
    /// stay mapped until Finish.
    void Request(char* begin, char* end);
    /// Stops after the present step and waits for the thread; no block is looked at after it.
    void Finish();

private:
    struct Range {
        char* block; // its begin, as asked for
        char* next;  // first byte not yet faulted in
        char* end;   // of the requests so far
    };
    void run();
    bool nextRange();

    std::mutex FMutex;
    std::condition_variable FWake;
    // Every block asked for, in order; a load asks for a few dozen at most.
    std::vector<Range> FRanges;
    std::size_t FFirstOpen = 0; // the ranges before it are faulted in
    bool FStop = false;
    std::thread FThread;
};

/// Room for bytes bytes of scratch: arrays that long computations fill right after taking them.
/// Blocks of 64 KiB or more are carved from pooled huge pages, so that filling them costs no
/// page fault per 4 KiB; a block given back is taken again by the next of its size. The pool
/// gives its pages back to the system once no block of it is in use. Smaller blocks come from
/// the heap. Throws std::bad_alloc when there is no room.
void* AllocateScratch(std::size_t bytes);
/// Gives back a block from AllocateScratch; bytes must be the size it was asked for.
void FreeScratch(void* block, std::size_t bytes) noexcept;

/// An allocator of standard containers whose blocks come from Take and go back to Give.
template <typename T, void* (*Take)(std::size_t), void (*Give)(void*, std::size_t) noexcept>
struct TBlockAllocator {
    using value_type = T;
    template <typename U>
    struct rebind {
        using other = TBlockAllocator<U, Take, Give>;
    };

    TBlockAllocator() = default;
    template <typename U>
    TBlockAllocator(const TBlockAllocator<U, Take, Give>&) noexcept
    {
    }
    T* allocate(std::size_t count)
    {
        if (count > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(Take(count * sizeof(T)));
    }
    void deallocate(T* block, std::size_t count) noexcept { Give(block, count * sizeof(T)); }
    template <typename U>
    bool operator==(const TBlockAllocator<U, Take, Give>&) const noexcept
    {
        return true;
    }
};

/// For the arrays of long computations that are made afresh (see AllocateScratch).
template <typename T>
using TScratchAllocator = TBlockAllocator<T, AllocateScratch, FreeScratch>;

/// For containers that may hold hundreds of megabytes.
template <typename T>
using TLargeAllocator = TBlockAllocator<T, AllocateLarge, FreeLarge>;

/// A block of bytes from AllocateLarge that it owns; its bytes are not cleared.
class TLargeBuffer {
public:
    TLargeBuffer() = default;
    explicit TLargeBuffer(std::size_t size) : FData(static_cast<char*>(AllocateLarge(size))), FSize(size) {}
    ~TLargeBuffer() { FreeLarge(FData, FSize); }
    TLargeBuffer(TLargeBuffer&& other) noexcept
        : FData(std::exchange(other.FData, nullptr)),
          FSize(std::exchange(other.FSize, 0))
    {
    }
    TLargeBuffer& operator=(TLargeBuffer&& other) noexcept
    {
        std::swap(FData, other.FData);
        std::swap(FSize, other.FSize);
        return *this;
    }

    char* Data() const { return FData; }
    std::size_t Size() const { return FSize; }

private:
    char* FData = nullptr;
    std::size_t FSize = 0;
};

} // namespace corvane
