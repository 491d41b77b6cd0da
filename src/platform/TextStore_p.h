#pragma once
// Text kept in large blocks rather than one allocation per string (internal).

#include "corvane/platform/LargeMemory_p.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

namespace corvane {

/// Hands out room for text in blocks whose addresses never change; everything is freed with
/// the store. A million short names would cost a million allocations as strings of their own.
class TTextStore {
public:
    /// Room for size bytes.
    char* Allocate(std::size_t size)
    {
        // Large text gets a block of its own, so that the current block goes on being filled.
        if (size > FBlockSize / 4)
            return FBlocks.emplace_back(size).Data();
        if (size > FFreeSize) {
            // Each block is larger than the one before, so that a small store stays small and
            // a store of hundreds of megabytes needs few blocks.
            if (!FBlocks.empty() && FBlockSize < MaxBlockSize)
                FBlockSize *= 2;
            FFree = FBlocks.emplace_back(FBlockSize).Data();
            FFreeSize = FBlockSize;
        }
        char* result = FFree;
        FFree += size;
        FFreeSize -= size;
        return result;
    }

    /// A copy of text in the store.
    std::string_view Store(std::string_view text)
    {
        char* copy = Allocate(text.size());
        std::copy(text.begin(), text.end(), copy);
        return {copy, text.size()};
    }

    void Clear()
    {
        FBlocks.clear();
        FFree = nullptr;
        FFreeSize = 0;
        FBlockSize = MinBlockSize;
    }

private:
    static constexpr std::size_t MinBlockSize = 64 * 1024;
    static constexpr std::size_t MaxBlockSize = 8 * 1024 * 1024;
    std::vector<TLargeBuffer> FBlocks;
    char* FFree = nullptr;
    std::size_t FFreeSize = 0;
    std::size_t FBlockSize = MinBlockSize;
};

} // namespace corvane
