#pragma once
// The parsed text of an INI file, behind TIniFile (internal).
//
// A document of 100,000 tasks has 1.6 million sections and 13 million lines, so the image keeps
// nothing per line while it can. A section that has not been written to is a span of the file
// text; its keys are found when it is read. A section written to, or one with too many keys to
// search one by one, holds its lines one by one, with an index of its keys when they are many;
// the text of written lines goes to a store of the image.

#include "corvane/platform/NameIndex_p.h"
#include "corvane/platform/TextStore_p.h"

#include <algorithm>
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

/// The lines of a section one by one; blank lines at its end stay behind new keys.
struct TIniBody {
    std::vector<TIniLine> Lines;
    std::unique_ptr<TNameIndex> Keys; // line positions of the keys, once they are many
    std::uint32_t KeyCount = 0;
    std::uint32_t Trailing = 0; // blank lines that end Lines
    bool HasDuplicateKeys = false;
};

struct TIniSection {
    static constexpr std::uint32_t NoHeader = 0xFFFFFFFF;

    const char* Name = nullptr; // in the file text or in the written-text store
    std::uint32_t NameLength = 0;
    std::uint32_t Header = NoHeader; // offset of the header line in the file text; NoHeader when created in memory
    std::uint32_t End = 0;           // end of the section's text in the file text
    bool Shadowed = false;           // a later duplicate of a section name
    bool Erased = false;
    TIniBody* Body = nullptr; // none while the section is only its text; owned by the image

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

    int FFd;
    std::unique_ptr<char[]> FBuffer;
    std::size_t FUsed = 0;
    int FError = 0;
};

struct TIniRecentSection;

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
    explicit TIniImage(std::string text);
    TIniImage(const TIniImage&) = delete;
    TIniImage& operator=(const TIniImage&) = delete;

    /// The value of the key as written (trimmed, without surrounding quotes), valid until the
    /// next change; false when there is none.
    bool FindValue(std::string_view section, std::string_view ident, std::string_view& value) const;
    bool SectionExists(std::string_view section) const;
    std::size_t SectionCount() const { return FSections.size(); }
    void ReadSection(std::string_view section, std::vector<std::string>& idents) const;
    void ReadSections(std::vector<std::string>& sections) const;
    std::size_t KeyCount(std::string_view section) const;

    // Each answers whether the image changed.
    bool WriteString(std::string_view section, std::string_view ident, std::string_view value);
    bool EraseSection(std::string_view section);
    bool DeleteKey(std::string_view section, std::string_view ident);

    /// The whole file as it is to be written.
    void Write(TIniSink& sink) const;

private:
    void parse();
    void detectLineEnds();
    bool hasMoreLines(std::uint32_t begin, std::uint32_t end, std::size_t limit) const;
    void beginSection(std::string_view name, std::uint32_t header, std::uint32_t bodyStart);
    void finishSection(std::uint32_t end);
    std::uint32_t addSection(std::string_view name);
    TIniTextLine lineAt(std::uint32_t offset) const;
    std::string_view text(const TIniTextLine& line) const;
    void putLines(TIniSink& sink, std::uint32_t begin, std::uint32_t end) const;
    void putSpan(TIniSink& sink, std::uint32_t begin, std::uint32_t end) const;

    const TIniRecentSection* findSection(std::string_view section) const;
    const TIniRecentSection* findRecent(std::string_view name) const;
    const TIniRecentSection* findUnremembered(std::string_view cleanName) const;
    const TIniRecentSection& remember(std::size_t index) const;
    TIniSection& obtainSection(std::string_view section);
    TIniBody& bodyOf(TIniSection& section);
    TIniBody& newBody();
    bool findValue(const TIniRecentSection& found, std::string_view key, std::string_view& value) const;
    void appendLine(TIniBody& body, std::string_view key, std::uint32_t hash, std::string_view value);
    void replaceValue(TIniLine& line, std::string_view value);
    char* store(std::size_t size);

    const std::uint64_t FSerial; // tells this image's remembered sections from others'
    std::string FText;           // lines read are views into it
    std::string_view FLineEnd = "\n";
    bool FUniformLineEnds = true;       // every line of FText ends with FLineEnd but maybe the last
    std::uint32_t FPreambleEnd = 0;     // lines before the first header
    std::vector<TIniSection> FSections; // reserved for the headers the text may hold
    TNameIndex FSectionIndex;
    TTextStore FStore; // text of written lines and of names of sections created in memory
    // Bodies of sections live here rather than one allocation each; erased sections give
    // theirs back for reuse.
    std::deque<TIniBody> FBodies;
    std::vector<TIniBody*> FFreeBodies;
    bool FHasDuplicateSections = false;
    std::uint64_t FErasures = 0;    // sections erased so far
    std::uint32_t FPendingHash = 0; // of the section being read, indexed when it ends
    std::uint32_t FBodyStart = 0;   // of the section being read
};

} // namespace corvane
