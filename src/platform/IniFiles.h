#pragma once
// An INI file held in memory: read once on construction, written back whole
// and atomically by UpdateFile and by nothing else, so that an image left
// half-written by a failed save never reaches the file.
// Section and key names match without regard to ASCII case; of duplicates the
// first wins. Values keep surrounding blanks and quotes (they are written in
// quotes). Line breaks cannot be stored: in names and values they become
// blanks, and so does '=' in a key.

#include <cstddef>
#include <memory>
#include <string>
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

    std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) const;
    int ReadInteger(const std::string& section, const std::string& ident, int def) const;
    bool ReadBool(const std::string& section, const std::string& ident, bool def) const;
    double ReadFloat(const std::string& section, const std::string& ident, double def) const;

    /// Read the value into value as the forms above do and answer whether the key exists, so
    /// that a caller needs one lookup where ReadString and ValueExists take two.
    bool ReadString(const std::string& section, const std::string& ident, const std::string& def,
                    std::string& value) const;
    bool ReadInteger(const std::string& section, const std::string& ident, int def, int& value) const;
    bool ReadBool(const std::string& section, const std::string& ident, bool def, bool& value) const;
    bool ReadFloat(const std::string& section, const std::string& ident, double def, double& value) const;

    void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& ident, int value);
    void WriteBool(const std::string& section, const std::string& ident, bool value);
    void WriteFloat(const std::string& section, const std::string& ident, double value);

    bool ValueExists(const std::string& section, const std::string& ident) const;
    bool SectionExists(const std::string& section) const;
    /// The sections of the file as read, and those added since (erased ones may still count).
    std::size_t SectionCount() const;
    void ReadSection(const std::string& section, std::vector<std::string>& idents) const;
    void ReadSections(std::vector<std::string>& sections) const;
    std::size_t KeyCount(const std::string& section) const;

    void EraseSection(const std::string& section);
    void DeleteKey(const std::string& section, const std::string& ident);

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
