#pragma once
// Large blocks of memory taken from the system in huge pages (internal).
//
// The first touch of fresh memory costs a page fault per page, and on virtual machines those
// are expensive: the text of a 250 MB document alone is 60,000 pages of 4 KiB but only 120 of
// 2 MiB. Blocks below a few megabytes come from the ordinary heap.

#include <cstddef>
#include <new>
#include <utility>

namespace corvane {

/// Room for bytes bytes, not cleared. Throws std::bad_alloc when there is none.
void* AllocateLarge(std::size_t bytes);
/// Gives back a block from AllocateLarge; bytes must be the size it was asked for.
void FreeLarge(void* block, std::size_t bytes) noexcept;

/// For containers that may hold hundreds of megabytes.
template <typename T>
struct TLargeAllocator {
    using value_type = T;

    TLargeAllocator() = default;
    template <typename U>
    TLargeAllocator(const TLargeAllocator<U>&) noexcept
    {
    }
    T* allocate(std::size_t count)
    {
        if (count > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(AllocateLarge(count * sizeof(T)));
    }
    void deallocate(T* block, std::size_t count) noexcept { FreeLarge(block, count * sizeof(T)); }
    template <typename U>
    bool operator==(const TLargeAllocator<U>&) const noexcept
    {
        return true;
    }
};

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
