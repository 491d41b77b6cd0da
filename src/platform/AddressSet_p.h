#pragma once
// A set of object addresses for the checks that loading and reordering make over every row,
// bar or connection at once (internal).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace corvane {

/// Open addressing with linear probing in one block, kept at most half full: no heap node per
/// entry, as a standard hash set has, which costs more than the check itself at 100,000
/// entries. The null address is a member like any other.
template <class T>
class TAddressSet {
public:
    TAddressSet() = default;
    /// Room for count addresses without growing.
    explicit TAddressSet(std::size_t count) { reserve(count); }
    TAddressSet(std::initializer_list<const T*> addresses)
    {
        reserve(addresses.size());
        for (const T* p : addresses)
            insert(p);
    }

    void reserve(std::size_t count)
    {
        std::size_t capacity = MinCapacity;
        while (capacity < 2 * count)
            capacity *= 2;
        if (capacity > FSlots.size())
            rehash(capacity);
    }

    /// False when p was a member already.
    bool insert(const T* p)
    {
        if (!p)
            return !std::exchange(FHasNull, true);
        if (2 * (FCount + 1) > FSlots.size())
            rehash(std::max(MinCapacity, 2 * FSlots.size()));
        std::size_t i = firstSlot(p);
        for (; FSlots[i]; i = (i + 1) & (FSlots.size() - 1))
            if (FSlots[i] == p)
                return false;
        FSlots[i] = p;
        ++FCount;
        return true;
    }

    bool contains(const T* p) const
    {
        if (!p)
            return FHasNull;
        if (FSlots.empty())
            return false;
        for (std::size_t i = firstSlot(p); FSlots[i]; i = (i + 1) & (FSlots.size() - 1))
            if (FSlots[i] == p)
                return true;
        return false;
    }

    /// Asks the memory ahead for where a search for p begins, for checks of many addresses
    /// that are known a little in advance.
    void prefetch(const T* p) const
    {
        if (!FSlots.empty())
            __builtin_prefetch(&FSlots[firstSlot(p)]);
    }

    std::size_t size() const { return FCount + (FHasNull ? 1 : 0); }

private:
    static constexpr std::size_t MinCapacity = 16;

    // Objects lie at multiples of their alignment: a multiplicative hash spreads them, and its
    // high bits are the best mixed.
    std::size_t firstSlot(const T* p) const
    {
        const std::uint64_t hash =
            static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p)) * 0x9E3779B97F4A7C15u;
        return static_cast<std::size_t>(hash >> 32) & (FSlots.size() - 1);
    }

    void rehash(std::size_t capacity)
    {
        std::vector<const T*> old(capacity, nullptr);
        old.swap(FSlots);
        FCount = 0;
        for (const T* p : old)
            if (p)
                insert(p);
    }

    std::vector<const T*> FSlots;
    std::size_t FCount = 0;
    bool FHasNull = false;
};

} // namespace corvane
