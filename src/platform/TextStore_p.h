#pragma once
// Text kept in large blocks rather than one allocation per string (internal).

#include "corvane/platform/LargeMemory_p.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace corvane {

/// Hands out room for text in blocks whose addresses never change; everything is freed with
/// the store. A million short names would cost a million allocations as strings of their own.
class TTextStore {
public:
    /// Whether blocks of the largest size are faulted in ahead on another thread (see takeBlock):
    /// worth it where text is written by the hundred megabytes, as into an image being saved,
    /// and a waste of a block elsewhere.
    enum class Growth { Plain, FaultedInAhead };

    explicit TTextStore(Growth growth = Growth::Plain) : FGrowth(growth) {}

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
            FFree = takeBlock();
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
        FPrefaulter.reset();
        FSpare = TLargeBuffer();
        FBlocks.clear();
        FFree = nullptr;
        FFreeSize = 0;
        FBlockSize = MinBlockSize;
    }

private:
    // Once blocks have their largest size, the next one is faulted in on another thread while
    // this one fills: on virtual machines the first touch of fresh pages costs a good part of
    // writing a large document.
    char* takeBlock()
    {
        if (FBlockSize < MaxBlockSize || FGrowth == Growth::Plain)
            return FBlocks.emplace_back(FBlockSize).Data();
        if (FSpare.Data())
            FBlocks.push_back(std::move(FSpare));
        else
            FBlocks.emplace_back(FBlockSize);
        try {
            FSpare = TLargeBuffer(MaxBlockSize);
            if (!FPrefaulter)
                FPrefaulter = std::make_unique<TPrefaulter>();
            FPrefaulter->Request(FSpare.Data(), FSpare.Data() + FSpare.Size());
        } catch (const std::bad_alloc&) {
            // The block handed out is fine; the next one fails when it is needed.
        }
        return FBlocks.back().Data();
    }

    static constexpr std::size_t MinBlockSize = 64 * 1024;
    static constexpr std::size_t MaxBlockSize = 8 * 1024 * 1024;
    std::vector<TLargeBuffer> FBlocks;
    char* FFree = nullptr;
    std::size_t FFreeSize = 0;
    std::size_t FBlockSize = MinBlockSize;
    Growth FGrowth;
    TLargeBuffer FSpare;
    // Declared after the blocks, so that it stops before they are given back.
    std::unique_ptr<TPrefaulter> FPrefaulter;
};

} // namespace corvane
