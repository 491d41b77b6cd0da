#pragma once
// An INI file held in memory: read once on construction, written back whole
// and atomically by UpdateFile (and by the destructor when modified).
// Section and key names match without regard to ASCII case; of duplicates the
// first wins. Values keep surrounding blanks and quotes (they are written in
// quotes). Line breaks cannot be stored: in names and values they become
// blanks, and so does '=' in a key.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

class TIniFile {
public:
    // A missing file reads as empty; a file that exists but cannot be read
    // throws EFileError.
    explicit TIniFile(std::string fileName);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const std::string& FileName() const;

    std::string ReadString(const std::string& section, const std::string& ident,
                           const std::string& def) const;
    int ReadInteger(const std::string& section, const std::string& ident, int def) const;
    bool ReadBool(const std::string& section, const std::string& ident, bool def) const;
    double ReadFloat(const std::string& section, const std::string& ident, double def) const;

    void WriteString(const std::string& section, const std::string& ident,
                     const std::string& value);
    void WriteInteger(const std::string& section, const std::string& ident, int value);
    void WriteBool(const std::string& section, const std::string& ident, bool value);
    void WriteFloat(const std::string& section, const std::string& ident, double value);

    bool ValueExists(const std::string& section, const std::string& ident) const;
    bool SectionExists(const std::string& section) const;
    void ReadSection(const std::string& section, std::vector<std::string>& idents) const;
    void ReadSections(std::vector<std::string>& sections) const;
    std::size_t KeyCount(const std::string& section) const;

    void EraseSection(const std::string& section);
    void DeleteKey(const std::string& section, const std::string& ident);

    // Writes the image to a temporary file beside the target and renames it
    // over the target; throws EFileError on failure. Does nothing unless modified.
    void UpdateFile();
    bool Modified() const;

private:
    // Positions of named items in a vector, found by name without regard to
    // ASCII case. The names stay with the items: nameAt(position) answers one.
    class TNameIndex {
    public:
        static constexpr std::size_t NotFound = static_cast<std::size_t>(-1);
        std::size_t Size() const { return FCount; }
        template <class NameAt>
        std::size_t Find(std::string_view name, const NameAt& nameAt) const;
        // False, storing nothing, when the name is there already.
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

    // Key: the first line with its key in the section; Shadowed: a later one,
    // kept in the file but never read.
    enum class TLineKind : std::uint8_t { Other, Key, Shadowed, Deleted };

    // A line's text is a view into the file image until the line is written to.
    struct TLine {
        std::string_view Text;
        std::unique_ptr<std::string> Own;
        TLineKind Kind = TLineKind::Other;
        void Assign(std::string text);
    };

    struct TSection {
        std::string Name;
        std::string_view Header; // empty for a section created in memory
        std::vector<TLine> Lines;
        std::vector<std::string_view> Trailing; // blank lines before the next header
        TNameIndex Keys;
        bool Shadowed = false; // a later duplicate of a section name
        bool Erased = false;
        bool HasDuplicateKeys = false;
        std::string_view KeyAt(std::size_t line) const;
    };

    void Parse();
    void AddSection(std::string name, std::string_view header);
    void AddLine(TSection& section, std::string_view text);
    std::string_view SectionNameAt(std::size_t index) const;
    std::size_t SectionIndexOf(const std::string& section) const;
    const TLine* FindLine(const std::string& section, const std::string& ident) const;
    TSection& ObtainSection(const std::string& section);
    std::string Image() const;

    std::string FFileName;
    std::string FText; // the file decoded to UTF-8; lines read are views into it
    std::string_view FLineEnd = "\n";
    std::vector<std::string_view> FPreamble; // lines before the first header
    std::vector<TSection> FSections;
    TNameIndex FSectionIndex;
    bool FHasDuplicateSections = false;
    bool FModified = false;
};

} // namespace corvane
