#pragma once
// Names matched without regard to ASCII case, and a compact index of such names (internal).

#include "corvane/platform/LargeMemory_p.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace corvane {

inline char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    // Names are nearly always spelled alike: whole words compare first, the last one
    // overlapping the one before.
    std::size_t i = 0;
    for (; i + 8 <= a.size(); i += 8)
        if (std::memcmp(a.data() + i, b.data() + i, 8) != 0)
            break;
    if (i == a.size() ||
        (i > 0 && i + 8 > a.size() && std::memcmp(a.data() + a.size() - 8, b.data() + b.size() - 8, 8) == 0))
        return true;
    for (; i < a.size(); ++i)
        if (a[i] != b[i] && lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

/// Equal for names that equalNoCase matches. Eight bytes at a time with bit 0x20 set in each,
/// which folds ASCII letters (and a few signs onto others: equalNoCase tells those apart).
inline std::uint32_t hashNoCase(std::string_view s)
{
    constexpr std::uint64_t Fold = 0x2020202020202020u;
    constexpr std::uint64_t Multiplier = 0x9E3779B97F4A7C15u;
    std::uint64_t hash = s.size() * Multiplier;
    const auto mix = [&hash](std::uint64_t word) {
        hash = (hash ^ (word | Fold)) * Multiplier;
        hash ^= hash >> 29;
    };
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        mix(word);
    }
    // The last bytes go in the low ones of a word built in a register: a short copy to memory
    // read back as a whole word would stall.
    if (const std::size_t rest = s.size() - i; rest > 0) {
        std::uint64_t word = 0;
        if (s.size() >= 8) {
            std::memcpy(&word, s.data() + s.size() - 8, 8);
            word >>= 8 * (8 - rest);
        } else {
            for (std::size_t k = 0; k < rest; ++k)
                word |= static_cast<std::uint64_t>(static_cast<unsigned char>(s[i + k])) << (8 * k);
        }
        mix(word);
    }
    hash ^= hash >> 32;
    hash *= 0xFF51AFD7ED558CCDu;
    hash ^= hash >> 32;
    return static_cast<std::uint32_t>(hash);
}

/// Positions of named items kept elsewhere, found by name without regard to ASCII case. The
/// names stay with the items: nameAt(position) answers one. Open addressing with linear
/// probing, at most seven eighths full. A probe walks an array of two-byte tags taken from the
/// hashes and reads a slot (full hash and position), and then the item's name, only where the
/// tag matches: a search for an absent name, the common case while a document loads, touches
/// a fifth of the memory. Positions must stay below 2^32.
class TNameIndex {
public:
    static constexpr std::size_t NotFound = static_cast<std::size_t>(-1);

    std::size_t Size() const { return FCount; }

    template <class NameAt>
    std::size_t Find(std::string_view name, std::uint32_t hash, const NameAt& nameAt) const
    {
        if (FTags.empty())
            return NotFound;
        const std::size_t i = slotOf(name, hash, nameAt);
        return FTags[i] == Free ? NotFound : FSlots[i].Position;
    }
    template <class NameAt>
    std::size_t Find(std::string_view name, const NameAt& nameAt) const
    {
        return Find(name, hashNoCase(name), nameAt);
    }

    /// False, storing nothing, when the name is there already.
    template <class NameAt>
    bool Insert(std::string_view name, std::uint32_t hash, std::size_t position, const NameAt& nameAt)
    {
        if ((FCount + 1) * 8 > FTags.size() * 7)
            grow();
        const std::size_t i = slotOf(name, hash, nameAt);
        if (FTags[i] != Free)
            return false;
        FTags[i] = tagOf(hash);
        FSlots[i] = TSlot{hash, static_cast<std::uint32_t>(position)};
        ++FCount;
        return true;
    }
    template <class NameAt>
    bool Insert(std::string_view name, std::size_t position, const NameAt& nameAt)
    {
        return Insert(name, hashNoCase(name), position, nameAt);
    }

    /// Makes room for count names without growing.
    void Reserve(std::size_t count)
    {
        std::size_t size = 8;
        while (count * 8 > size * 7)
            size *= 2;
        if (size > FTags.size())
            rehash(size);
    }

    /// Starts bringing the tags where a search for the hash begins into the cache.
    void Prefetch(std::uint32_t hash) const
    {
        if (!FTags.empty())
            __builtin_prefetch(&FTags[hash & (FTags.size() - 1)]);
    }

    /// Starts bringing both the tags and the slot where an insert of the hash begins into the
    /// cache.
    void PrefetchForInsert(std::uint32_t hash) const
    {
        if (FTags.empty())
            return;
        const std::size_t i = hash & (FTags.size() - 1);
        __builtin_prefetch(&FTags[i], 1);
        __builtin_prefetch(&FSlots[i], 1);
    }

    /// Moves later entries of the probe run back, so that no search stops early.
    template <class NameAt>
    void Erase(std::string_view name, const NameAt& nameAt)
    {
        if (FTags.empty())
            return;
        std::size_t hole = slotOf(name, hashNoCase(name), nameAt);
        if (FTags[hole] == Free)
            return;
        const std::size_t mask = FTags.size() - 1;
        FTags[hole] = Free;
        --FCount;
        for (std::size_t i = (hole + 1) & mask; FTags[i] != Free; i = (i + 1) & mask) {
            const std::size_t home = FSlots[i].Hash & mask;
            if (((i - home) & mask) >= ((i - hole) & mask)) {
                FTags[hole] = FTags[i];
                FSlots[hole] = FSlots[i];
                FTags[i] = Free;
                hole = i;
            }
        }
    }

    void Clear()
    {
        FTags = {};
        FSlots = {};
        FCount = 0;
    }

private:
    static constexpr std::uint16_t Free = 0;
    struct TSlot {
        std::uint32_t Hash;
        std::uint32_t Position;
    };

    // Never Free.
    static std::uint16_t tagOf(std::uint32_t hash) { return static_cast<std::uint16_t>(hash >> 16 | 1); }

    // The slot holding the name, or the free slot that ends its probe run.
    template <class NameAt>
    std::size_t slotOf(std::string_view name, std::uint32_t hash, const NameAt& nameAt) const
    {
        const std::size_t mask = FTags.size() - 1;
        const std::uint16_t tag = tagOf(hash);
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const std::uint16_t t = FTags[i];
            if (t == Free || (t == tag && FSlots[i].Hash == hash && equalNoCase(nameAt(FSlots[i].Position), name)))
                return i;
        }
    }

    void grow() { rehash(std::max<std::size_t>(8, FTags.size() * 2)); }

    void rehash(std::size_t size)
    {
        const Tags oldTags = std::move(FTags);
        const Slots oldSlots = std::move(FSlots);
        FTags.assign(size, Free);
        FSlots.resize(size);
        const std::size_t mask = size - 1;
        for (std::size_t j = 0; j < oldTags.size(); ++j) {
            if (oldTags[j] == Free)
                continue;
            std::size_t i = oldSlots[j].Hash & mask;
            while (FTags[i] != Free)
                i = (i + 1) & mask;
            FTags[i] = oldTags[j];
            FSlots[i] = oldSlots[j];
        }
    }

    // A document's index is too large for the cache, so each search misses it: huge pages
    // at least spare the misses of the address translation.
    using Tags = std::vector<std::uint16_t, TLargeAllocator<std::uint16_t>>;
    using Slots = std::vector<TSlot, TLargeAllocator<TSlot>>;
    Tags FTags;
    Slots FSlots;
    std::size_t FCount = 0;
};

} // namespace corvane
