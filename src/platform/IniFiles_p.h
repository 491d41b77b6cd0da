#pragma once
// The parsed text of an INI file, behind TIniFile (internal).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

/// Positions of named items in a vector, found by name without regard to ASCII case.
/// The names stay with the items: nameAt(position) answers one.
class TIniNameIndex {
public:
    static constexpr std::size_t NotFound = static_cast<std::size_t>(-1);
    std::size_t Size() const { return FCount; }
    template <class NameAt>
    std::size_t Find(std::string_view name, const NameAt& nameAt) const;
    /// False, storing nothing, when the name is there already.
    template <class NameAt>
    bool Insert(std::string_view name, std::size_t position, const NameAt& nameAt);
    template <class NameAt>
    void Erase(std::string_view name, const NameAt& nameAt);

private:
    static constexpr std::uint32_t Free = 0xFFFFFFFF;
    struct TSlot {
        std::uint32_t Hash = 0;
        std::uint32_t Position = Free;
    };
    template <class NameAt>
    std::size_t SlotOf(std::string_view name, std::uint32_t hash, const NameAt& nameAt) const;
    void Grow();
    std::vector<TSlot> FSlots;
    std::size_t FCount = 0;
};

/// Key: the first line with its key in the section; Shadowed: a later one, kept in the file
/// but never read.
enum class TIniLineKind : std::uint8_t {
    Other,
    Key,
    Shadowed,
    Deleted
};

/// A line's text is a view into the file image until the line is written to.
struct TIniLine {
    std::string_view Text;
    std::unique_ptr<std::string> Own;
    TIniLineKind Kind = TIniLineKind::Other;
    void Assign(std::string text);
};

struct TIniSection {
    std::string Name;
    std::string_view Header; // empty for a section created in memory
    std::vector<TIniLine> Lines;
    std::vector<std::string_view> Trailing; // blank lines before the next header
    TIniNameIndex Keys;
    bool Shadowed = false; // a later duplicate of a section name
    bool Erased = false;
    bool HasDuplicateKeys = false;
    std::string_view KeyAt(std::size_t line) const;
};

/// The sections and lines of an INI text, with the text they were read from. Names are
/// cleaned as the public TIniFile documents; of duplicates the first wins.
class TIniImage {
public:
    /// Parses UTF-8 text.
    explicit TIniImage(std::string text);
    TIniImage(const TIniImage&) = delete;
    TIniImage& operator=(const TIniImage&) = delete;

    /// The line holding the key; nullptr when there is none.
    const TIniLine* FindLine(const std::string& section, const std::string& ident) const;
    bool SectionExists(const std::string& section) const;
    void ReadSection(const std::string& section, std::vector<std::string>& idents) const;
    void ReadSections(std::vector<std::string>& sections) const;
    std::size_t KeyCount(const std::string& section) const;

    // Each answers whether the image changed.
    bool WriteString(const std::string& section, const std::string& ident, const std::string& value);
    bool EraseSection(const std::string& section);
    bool DeleteKey(const std::string& section, const std::string& ident);

    /// The whole file as it is to be written.
    std::string Text() const;

private:
    void Parse();
    void AddSection(std::string name, std::string_view header);
    void AddLine(TIniSection& section, std::string_view text);
    std::string_view SectionNameAt(std::size_t index) const;
    std::size_t SectionIndexOf(const std::string& section) const;
    TIniSection& ObtainSection(const std::string& section);

    std::string FText; // lines read are views into it
    std::string_view FLineEnd = "\n";
    std::vector<std::string_view> FPreamble; // lines before the first header
    std::vector<TIniSection> FSections;
    TIniNameIndex FSectionIndex;
    bool FHasDuplicateSections = false;
};

} // namespace corvane
