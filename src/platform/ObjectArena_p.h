#pragma once
// Room for objects that are made together and mostly die together (internal).
//
// A loaded document of 100,000 tasks is 1.6 million objects. One heap allocation each cost a
// fifth of loading, most of it the page faults of touching fresh heap memory 4 KiB at a time;
// here they are laid out one after the other in large blocks, which come in huge pages.

#include "corvane/platform/LargeMemory_p.h"
#include "corvane/platform/TextStore_p.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace corvane {

/// Hands out room from large blocks and never takes single pieces back: the blocks go when the
/// maker has let go of the arena and every piece held (HoldPiece) has been released. Pieces
/// are held and room is handed out by one thread at a time while the maker holds the arena;
/// pieces are released from any thread.
class TObjectArena {
public:
    /// The strictest alignment a piece can be asked for.
    static constexpr std::size_t MaxAlignment = alignof(std::max_align_t);

    /// A new arena, held by the caller until Release.
    static TObjectArena* Create() { return new TObjectArena(); }

    /// The maker lets go: frees the arena and all its blocks, now or with the last held piece.
    /// Called where the pieces were held (it reads their plain count), and nothing is handed
    /// out after it.
    void Release() noexcept;
    /// A piece that keeps the arena until ReleasePiece. Counted without an atomic step (every
    /// one is a full barrier, and a load holds millions of pieces); the count joins the
    /// holders when the maker lets go.
    void HoldPiece() noexcept { ++FHeldPieces; }
    void ReleasePiece() noexcept { drop(1); }

    /// Room for bytes bytes aligned to alignment, a power of two up to MaxAlignment; throws
    /// std::bad_alloc when there is none.
    void* Allocate(std::size_t bytes, std::size_t alignment);
    /// Has the next piece placed so that its byte at offset starts a cache line, where offset
    /// is a multiple of the alignment asked for (otherwise the request is ignored): fields that
    /// are read together then take as few lines as they can.
    void PlaceNextAtLine(std::size_t offset) { FNextLineOffset = offset; }
    /// The piece handed out last.
    const char* LastPiece() const { return FLastPiece; }
    /// Marks a piece as no longer used, so that address checkers report later access to it;
    /// its room comes back only with the arena.
    static void Discard(void* piece, std::size_t bytes) noexcept;
    /// Whether piece is room for an object of this arena (from Allocate); the blocks handed
    /// out last are looked at first.
    bool Holds(const void* piece) const noexcept;
    /// Room for size bytes of text, unaligned and apart from the objects, which it would
    /// otherwise push out of alignment.
    char* AllocateText(std::size_t size) { return FText.Allocate(size); }

    /// Has the pages of the blocks of a large load faulted in on another thread, a little
    /// ahead of the pieces handed out, the next block's first ones before the present block
    /// runs out; until StopPrefaulting. Pieces come from the same places either way.
    void StartPrefaulting();
    /// Waits for the pages being faulted in; no more are, until StartPrefaulting.
    void StopPrefaulting() noexcept;

    /// Bytes handed out so far.
    std::size_t Used() const { return FUsed; }

    TObjectArena(const TObjectArena&) = delete;
    TObjectArena& operator=(const TObjectArena&) = delete;

private:
    TObjectArena() = default;
    ~TObjectArena();
    void prefaultAhead();

    void drop(std::int64_t holders) noexcept
    {
        if (FHolders.fetch_sub(holders, std::memory_order_acq_rel) == holders)
            delete this;
    }

    // Pieces released before the maker lets go take from the bias, so that the count cannot
    // reach zero before the held pieces have joined it.
    static constexpr std::int64_t PieceBias = std::int64_t{1} << 62;
    std::atomic<std::int64_t> FHolders{PieceBias + 1};
    std::int64_t FHeldPieces = 0;
    std::vector<TLargeBuffer> FBlocks;
    // The block to fill next, taken early by a large load so that its first pages can be
    // faulted in before the present one runs out; nothing is handed out from it yet.
    TLargeBuffer FSpare;
    static constexpr std::size_t NoLineOffset = static_cast<std::size_t>(-1);
    std::size_t FNextLineOffset = NoLineOffset;
    const char* FLastPiece = nullptr;
    char* FFree = nullptr;
    std::size_t FFreeSize = 0;
    std::size_t FBlockSize = 0;
    std::size_t FUsed = 0;
    TTextStore FText;
    std::unique_ptr<TPrefaulter> FPrefaulter; // while prefaulting
    bool FPrefaulting = false;
    char* FPrefaultMark = nullptr; // the pieces passing it ask for more pages
};

/// Allocates from an arena while its maker holds it; every piece allocated holds the arena
/// until it is deallocated, so that the arena outlives everything made with it (copies of the
/// allocator do not hold it: std::allocate_shared copies it several times per object).
template <typename T>
class TArenaAllocator {
public:
    using value_type = T;
    static_assert(alignof(T) <= TObjectArena::MaxAlignment);

    explicit TArenaAllocator(TObjectArena& arena) noexcept : FArena(&arena) {}
    template <typename U>
    TArenaAllocator(const TArenaAllocator<U>& other) noexcept : FArena(&other.arena())
    {
    }

    T* allocate(std::size_t count)
    {
        if (count > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        T* const piece = static_cast<T*>(FArena->Allocate(count * sizeof(T), alignof(T)));
        FArena->HoldPiece();
        return piece;
    }
    void deallocate(T* piece, std::size_t count) noexcept
    {
        TObjectArena::Discard(piece, count * sizeof(T));
        FArena->ReleasePiece();
    }

    TObjectArena& arena() const noexcept { return *FArena; }
    template <typename U>
    bool operator==(const TArenaAllocator<U>& other) const noexcept
    {
        return FArena == &other.arena();
    }

private:
    TObjectArena* FArena;
};

} // namespace corvane
