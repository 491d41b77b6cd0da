#pragma once
// An INI file held in memory: read once on construction, written back whole
// and atomically by UpdateFile and by nothing else, so that an image left
// half-written by a failed save never reaches the file.
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

class TIniImage;

class TIniFile {
public:
    /// A missing file reads as empty; a file that exists but cannot be read
    /// throws EFileError.
    explicit TIniFile(std::string fileName);
    /// Discards what UpdateFile has not written.
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const std::string& FileName() const;

    std::string ReadString(std::string_view section, std::string_view ident, std::string_view def) const;
    int ReadInteger(std::string_view section, std::string_view ident, int def) const;
    bool ReadBool(std::string_view section, std::string_view ident, bool def) const;
    double ReadFloat(std::string_view section, std::string_view ident, double def) const;

    /// Read the value into value as the forms above do and answer whether the key exists, so
    /// that a caller needs one lookup where ReadString and ValueExists take two.
    bool ReadString(std::string_view section, std::string_view ident, std::string_view def,
                    std::string& value) const;
    bool ReadInteger(std::string_view section, std::string_view ident, int def, int& value) const;
    bool ReadBool(std::string_view section, std::string_view ident, bool def, bool& value) const;
    bool ReadFloat(std::string_view section, std::string_view ident, double def, double& value) const;

    void WriteString(std::string_view section, std::string_view ident, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view ident, int value);
    void WriteBool(std::string_view section, std::string_view ident, bool value);
    void WriteFloat(std::string_view section, std::string_view ident, double value);

    bool ValueExists(std::string_view section, std::string_view ident) const;
    bool SectionExists(std::string_view section) const;
    /// The sections of the file as read, and those added since (erased ones may still count).
    std::size_t SectionCount() const;
    static constexpr std::size_t NoSection = static_cast<std::size_t>(-1);
    /// Where the section is among those SectionCount counts; NoSection when there is none.
    /// Within one PositionSpace a name keeps its position and no other section takes it.
    std::size_t SectionPosition(std::string_view section) const;
    /// Changes when positions could: with Clear, and when a section is erased (its name may
    /// come back at another position). No two files, nor two images of one, share one.
    std::uint64_t PositionSpace() const;
    void ReadSection(std::string_view section, std::vector<std::string>& idents) const;
    void ReadSections(std::vector<std::string>& sections) const;
    std::size_t KeyCount(std::string_view section) const;

    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view ident);

    /// Forgets what the file holds: the next UpdateFile replaces it with only
    /// what is written from now on.
    void Clear();

    /// Writes the image to a temporary file beside the target and renames it
    /// over the target. A symbolic link stays a link: the file it leads to is
    /// replaced. Throws EFileError when writing fails (the file keeps its old
    /// content) or when the rename cannot be made durable. Does nothing unless
    /// modified.
    void UpdateFile();
    bool Modified() const;

private:
    std::string FFileName;
    std::unique_ptr<TIniImage> FImage;
    bool FModified = false;
};

} // namespace corvane
