#include "corvane/platform/ObjectArena_p.h"

#include "corvane/platform/AddressPoison_p.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

namespace corvane {

namespace {

// A small document stays in one small block; a large one takes blocks of huge pages.
constexpr std::size_t MinBlockSize = 64 * 1024;
constexpr std::size_t MaxBlockSize = 16 * 1024 * 1024;
// Pages are faulted in this far ahead of the pieces handed out, in steps of PrefaultStep: a
// load then ends with at most that much faulted in and never used.
constexpr std::size_t PrefaultLead = 4 * 1024 * 1024;
constexpr std::size_t PrefaultStep = 1024 * 1024;
constexpr std::size_t CacheLine = 64;

} // namespace

TObjectArena::~TObjectArena()
{
    StopPrefaulting();
    // Memory that goes back to the system must not stay marked for the address checker.
    for (const TLargeBuffer& block : FBlocks)
        CORVANE_UNPOISON(block.Data(), block.Size());
    CORVANE_UNPOISON(FSpare.Data(), FSpare.Size());
}

void* TObjectArena::Allocate(std::size_t bytes, std::size_t alignment)
{
    const std::size_t lineOffset = std::exchange(FNextLineOffset, NoLineOffset);
    // Blocks start aligned to MaxAlignment and to cache lines, so padding the present position
    // is enough.
    const auto paddingAt = [alignment, lineOffset](const char* at) -> std::size_t {
        const auto address = reinterpret_cast<std::uintptr_t>(at);
        if (lineOffset != NoLineOffset && lineOffset % alignment == 0)
            return (CacheLine - (address + lineOffset) % CacheLine) % CacheLine;
        return (alignment - address % alignment) % alignment;
    };
    std::size_t padding = paddingAt(FFree);
    const std::size_t size = std::max<std::size_t>(bytes, 1);
    if (padding + size > FFreeSize) {
        const std::size_t next = std::min(FBlockSize == 0 ? MinBlockSize : FBlockSize * 2, MaxBlockSize);
        if (size > next / 4) {
            // A piece larger than a quarter block gets a block of its own, and the current
            // block goes on being filled.
            FUsed += size;
            FLastPiece = FBlocks.emplace_back(size).Data();
            return FBlocks.back().Data();
        }
        FBlockSize = next;
        if (FSpare.Data()) {
            FBlocks.push_back(std::move(FSpare));
        } else {
            FBlocks.emplace_back(FBlockSize);
            // Room not handed out yet is poisoned, so that address checkers report access to it.
            CORVANE_POISON(FBlocks.back().Data(), FBlocks.back().Size());
        }
        const TLargeBuffer& block = FBlocks.back();
        FFree = block.Data();
        FFreeSize = block.Size();
        FPrefaultMark = FFree;
        padding = paddingAt(FFree);
    }
    FFree += padding;
    FFreeSize -= padding;
    char* piece = FFree;
    FLastPiece = piece;
    FFree += size;
    FFreeSize -= size;
    FUsed += size;
    CORVANE_UNPOISON(piece, size);
    if (FPrefaulting && FFree >= FPrefaultMark)
        prefaultAhead();
    return piece;
}

void TObjectArena::StartPrefaulting()
{
    FPrefaulting = true;
    FPrefaultMark = FFree;
}

void TObjectArena::StopPrefaulting() noexcept
{
    FPrefaulting = false;
    FPrefaulter.reset();
}

// Small blocks come from the heap and are faulted in by whoever touched them before; only the
// blocks of a large load are worth a thread.
void TObjectArena::prefaultAhead()
{
    FPrefaultMark = FFree + PrefaultStep;
    if (FBlockSize < MaxBlockSize)
        return;
    if (!FPrefaulter)
        FPrefaulter = std::make_unique<TPrefaulter>();
    char* const blockEnd = FFree + FFreeSize;
    FPrefaulter->Request(blockEnd - FBlockSize, FFree + std::min(FFreeSize, PrefaultLead));
    if (FFreeSize >= PrefaultLead)
        return;
    // The lead reaches past this block: the rest of it goes on in the next one, which is taken
    // now so that its first pages are in when this one runs out, instead of faulting on this
    // thread. The prefaulter finishes this block first.
    if (!FSpare.Data()) {
        try {
            FSpare = TLargeBuffer(MaxBlockSize);
        } catch (const std::bad_alloc&) {
            return; // the piece handed out is fine; the next block fails when it is needed
        }
        CORVANE_POISON(FSpare.Data(), FSpare.Size());
    }
    FPrefaulter->Request(FSpare.Data(), FSpare.Data() + (PrefaultLead - FFreeSize));
}

void TObjectArena::Release() noexcept
{
    drop(PieceBias - FHeldPieces + 1);
}

void TObjectArena::Discard(void* piece, std::size_t bytes) noexcept
{
    CORVANE_POISON(piece, bytes);
}

bool TObjectArena::Holds(const void* piece) const noexcept
{
    const auto address = reinterpret_cast<std::uintptr_t>(piece);
    for (auto block = FBlocks.rbegin(); block != FBlocks.rend(); ++block) {
        const auto begin = reinterpret_cast<std::uintptr_t>(block->Data());
        if (address >= begin && address - begin < block->Size())
            return true;
    }
    return false;
}

} // namespace corvane
