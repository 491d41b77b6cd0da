#pragma once
// Text kept in large blocks rather than one allocation per string (internal).

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
    /// Room for size bytes.
    char* Allocate(std::size_t size)
    {
        // Large text gets a block of its own, so that the current block goes on being filled.
        if (size > BlockSize / 4)
            return FBlocks.emplace_back(std::make_unique_for_overwrite<char[]>(size)).get();
        if (size > FFreeSize) {
            FFree = FBlocks.emplace_back(std::make_unique_for_overwrite<char[]>(BlockSize)).get();
            FFreeSize = BlockSize;
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
    }

private:
    static constexpr std::size_t BlockSize = 256 * 1024;
    std::vector<std::unique_ptr<char[]>> FBlocks;
    char* FFree = nullptr;
    std::size_t FFreeSize = 0;
};

} // namespace corvane
