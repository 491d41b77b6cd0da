#pragma once
// The parsed text of an INI file, behind TIniFile (internal).
//
// A document of 100,000 tasks has 1.6 million sections and 13 million lines, so the image keeps
// nothing per line while it can. A section that has not been written to is a span of the file
// text; its keys are found when it is read. A section written to, or one with too many keys to
// search one by one, holds its lines one by one, with an index of its keys when they are many;
// the text of written lines goes to a store of the image.

#include "corvane/platform/LargeMemory_p.h"
#include "corvane/platform/NameIndex_p.h"
#include "corvane/platform/TextStore_p.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

/// Key: the first line with its key in the section; Shadowed: a later one, kept in the file
/// but never read.
enum class TIniLineKind : std::uint8_t {
    Other,
    Key,
    Shadowed,
    Deleted
};

/// A line of a section held line by line: text in the file image or in the written-text store.
struct TIniLine {
    char* Data = nullptr;
    std::uint32_t Length = 0;
    std::uint32_t Tag = 0; // hash of the key, with the kind in the two low bits

    static constexpr std::uint32_t KindBits = 3;
    std::string_view Text() const { return {Data, Length}; }
    TIniLineKind Kind() const { return static_cast<TIniLineKind>(Tag & KindBits); }
    void SetKind(TIniLineKind kind) { Tag = (Tag & ~KindBits) | static_cast<std::uint32_t>(kind); }
    bool HasKey(std::uint32_t hash) const { return Kind() == TIniLineKind::Key && ((Tag ^ hash) & ~KindBits) == 0; }
};

/// Room for the lines of bodies, taken from large blocks: a document written from empty has a
/// body for each of its million sections, and an allocation of its own for each showed among
/// the largest costs of saving. Room given back serves later bodies of the same capacity.
class TIniLinePool {
public:
    /// Room for capacity lines, a power of two.
    TIniLine* Allocate(std::uint32_t capacity)
    {
        std::vector<TIniLine*>& free = FFree[std::countr_zero(capacity)];
        if (free.empty())
            // Every size asked of the store is a multiple of the line's, so lines stay aligned.
            return reinterpret_cast<TIniLine*>(FStore.Allocate(capacity * sizeof(TIniLine)));
        TIniLine* lines = free.back();
        free.pop_back();
        return lines;
    }
    void Release(TIniLine* lines, std::uint32_t capacity)
    {
        if (lines)
            FFree[std::countr_zero(capacity)].push_back(lines);
    }

private:
    static_assert(sizeof(TIniLine) % alignof(TIniLine) == 0 && alignof(TIniLine) <= alignof(std::max_align_t));
    TTextStore FStore{TTextStore::Growth::FaultedInAhead};
    std::array<std::vector<TIniLine*>, 32> FFree;
};

/// The lines of a body, in room from the image's pool.
class TIniLines {
public:
    std::size_t size() const { return FCount; }
    TIniLine& operator[](std::size_t i) { return FLines[i]; }
    const TIniLine& operator[](std::size_t i) const { return FLines[i]; }
    TIniLine* begin() const { return FLines; }
    TIniLine* end() const { return FLines + FCount; }

    /// Puts line at position, moving the lines from there on back.
    void Insert(std::size_t position, const TIniLine& line, TIniLinePool& pool)
    {
        if (FCount == FCapacity) {
            const std::uint32_t capacity = FCapacity == 0 ? MinCapacity : FCapacity * 2;
            TIniLine* lines = pool.Allocate(capacity);
            std::copy(begin(), end(), lines);
            pool.Release(FLines, FCapacity);
            FLines = lines;
            FCapacity = capacity;
        }
        std::copy_backward(begin() + position, end(), end() + 1);
        FLines[position] = line;
        ++FCount;
    }
    void Release(TIniLinePool& pool)
    {
        pool.Release(FLines, FCapacity);
        *this = TIniLines{};
    }

private:
    // Most sections hold a few keys.
    static constexpr std::uint32_t MinCapacity = 8;
    TIniLine* FLines = nullptr;
    std::uint32_t FCount = 0;
    std::uint32_t FCapacity = 0;
};

/// The lines of a section one by one; blank lines at its end stay behind new keys.
struct TIniBody {
    TIniLines Lines;
    std::unique_ptr<TNameIndex> Keys; // line positions of the keys, once they are many
    std::uint32_t KeyCount = 0;
    std::uint32_t Trailing = 0; // blank lines that end Lines
    bool HasDuplicateKeys = false;
};

// 24 bytes: a document of 100,000 tasks has 1.6 million sections.
struct TIniSection {
    static constexpr std::uint32_t NoHeader = 0xFFFFFFFF;
    static constexpr std::uint32_t MaxBodies = (1u << 30) - 1;

    const char* Name = nullptr; // in the file text or in the written-text store
    std::uint32_t NameLength = 0;
    std::uint32_t Header = NoHeader; // offset of the header line in the file text; NoHeader when created in memory
    std::uint32_t End = 0;           // end of the section's text in the file text
    // 1 + the position of its body among the image's bodies; 0 while the section is only its text.
    std::uint32_t Body : 30 = 0;
    std::uint32_t Shadowed : 1 = false; // a later duplicate of a section name
    std::uint32_t Erased : 1 = false;

    std::string_view NameText() const { return {Name, NameLength}; }
    bool Live() const { return !Shadowed && !Erased; }
};

/// Collects text and writes it to a file descriptor in large pieces.
class TIniSink {
public:
    explicit TIniSink(int fd);
    void Put(std::string_view text)
    {
        if (text.size() > Capacity - FUsed)
            drain(text);
        else
            append(text);
    }
    /// Writes what is collected; answers errno of the first failure, 0 on success.
    int Finish();

private:
    static constexpr std::size_t Capacity = 1024 * 1024;
    void append(std::string_view text)
    {
        std::copy(text.begin(), text.end(), FBuffer.get() + FUsed);
        FUsed += text.size();
    }
    void drain(std::string_view next);

    void write(std::string_view text);

    int FFd;
    std::unique_ptr<char[]> FBuffer;
    std::size_t FUsed = 0;
    std::size_t FWritten = 0; // bytes given to the file so far
    int FError = 0;
};

struct TIniRecentSection;

/// Text in one block of memory that is not cleared before the file is read into it.
class TIniText {
public:
    TIniText() : FBlock(0) {}
    /// The size bytes of block from begin on.
    TIniText(TLargeBuffer block, std::size_t begin, std::size_t size)
        : FBlock(std::move(block)),
          FBegin(begin),
          FSize(size)
    {
    }
    /// A copy of text.
    explicit TIniText(std::string_view text) : FBlock(text.size()), FSize(text.size())
    {
        std::copy(text.begin(), text.end(), FBlock.Data());
    }

    char* data() const { return FBlock.Data() + FBegin; }
    std::size_t size() const { return FSize; }
    char operator[](std::size_t i) const { return data()[i]; }
    operator std::string_view() const { return {data(), FSize}; }

private:
    TLargeBuffer FBlock;
    std::size_t FBegin = 0;
    std::size_t FSize = 0;
};

/// A line of the file text: where it starts, where its line break starts and where the next
/// line starts.
struct TIniTextLine {
    std::uint32_t Begin;
    std::uint32_t End;
    std::uint32_t Next;
};

/// The sections and lines of an INI text, with the text they were read from. Names are
/// cleaned as the public TIniFile documents; of duplicates the first wins. Reading from
/// several threads at once is safe: what lookups remember, each thread remembers for itself.
class TIniImage {
public:
    /// Parses UTF-8 text of at most 2^32 - 16 bytes.
    explicit TIniImage(TIniText text);
    TIniImage(const TIniImage&) = delete;
    TIniImage& operator=(const TIniImage&) = delete;

    /// The value of the key as written (trimmed, without surrounding quotes), valid until the
    /// next change; false when there is none.
    bool FindValue(std::string_view section, std::string_view ident, std::string_view& value) const;
    bool SectionExists(std::string_view section) const;
    std::size_t SectionCount() const { return FSections.size(); }
    /// As TIniFile's. A section found is remembered, as for a read: it is mostly read next.
    std::size_t SectionPosition(std::string_view section) const;
    std::uint64_t PositionSpace() const { return FPositionSpace; }
    void ReadSection(std::string_view section, std::vector<std::string>& idents) const;
    void ReadSections(std::vector<std::string>& sections) const;
    std::size_t KeyCount(std::string_view section) const;

    // Each answers whether the image changed.
    // The value by reference: a third view by value goes on the stack, and reading it back whole
    // from where the caller wrote it in halves stalls every write.
    bool WriteString(std::string_view section, std::string_view ident, const std::string_view& value);
    bool EraseSection(std::string_view section);
    bool DeleteKey(std::string_view section, std::string_view ident);

    /// The whole file as it is to be written.
    void Write(TIniSink& sink) const;

private:
    void parse();
    void detectLineEnds();
    bool hasMoreLines(std::uint32_t begin, std::uint32_t end, std::size_t limit) const;
    std::uint32_t addSection(std::string_view name);
    TIniTextLine lineAt(std::uint32_t offset) const;
    std::string_view text(const TIniTextLine& line) const;
    void putLines(TIniSink& sink, std::uint32_t begin, std::uint32_t end) const;
    void putSpan(TIniSink& sink, std::uint32_t begin, std::uint32_t end) const;

    // Looking a section up for a read, rather than for its position only, also tells where the
    // reads have got to in the file.
    const TIniRecentSection* findSection(std::string_view section, bool forRead = true) const;
    const TIniRecentSection* findRecent(std::string_view name) const;
    const TIniRecentSection* findUnremembered(std::string_view cleanName, bool forRead) const;
    const TIniRecentSection& remember(std::size_t index) const;
    const TIniRecentSection* noteRead(const TIniRecentSection* found, bool forRead) const;
    TIniSection& obtainSection(std::string_view section);
    TIniBody& bodyOf(TIniSection& section);
    std::uint32_t newBody(); // answers the value of TIniSection::Body for it
    TIniBody* bodyAt(const TIniSection& section) { return section.Body ? &FBodies[section.Body - 1] : nullptr; }
    const TIniBody* bodyAt(const TIniSection& section) const
    {
        return section.Body ? &FBodies[section.Body - 1] : nullptr;
    }
    bool findValue(const TIniRecentSection& found, std::string_view key, std::string_view& value) const;
    void appendLine(TIniBody& body, std::string_view key, std::uint32_t hash, std::string_view value);
    void replaceValue(TIniLine& line, std::string_view value);
    char* store(std::size_t size);

    const std::uint64_t FSerial; // tells this image's remembered sections from others'
    std::uint64_t FPositionSpace;
    TIniText FText; // lines read are views into it
    std::string_view FLineEnd = "\n";
    bool FUniformLineEnds = true;   // every line of FText ends with FLineEnd but maybe the last
    std::uint32_t FPreambleEnd = 0; // lines before the first header
    std::vector<TIniSection, TLargeAllocator<TIniSection>> FSections;
    TNameIndex FSectionIndex;
    // Text of written lines and of names of sections created in memory.
    TTextStore FStore{TTextStore::Growth::FaultedInAhead};
    // Bodies of sections live here rather than one allocation each; erased sections give
    // theirs back for reuse.
    std::deque<TIniBody> FBodies;
    std::vector<std::uint32_t> FFreeBodies; // as in TIniSection::Body
    TIniLinePool FLinePool;
    bool FHasDuplicateSections = false;
    std::uint64_t FErasures = 0;    // sections erased so far
};

} // namespace corvane
