#pragma once
// The document file: an INI file, with pictures in side files in the same folder.

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/platform/IniFiles.h"

namespace corvane {

class TQVTINIFIle : public TQVTDummyMedia {
public:
    /// Reads the file once; a missing file reads as empty. Never changes the current directory.
    explicit TQVTINIFIle(std::string path);
    /// Discards what was not flushed.
    ~TQVTINIFIle() override;

    bool getIntProperty(std::string_view section, std::string_view key, int def, int& value) override;
    bool getIntArrayProperty(std::string_view section, std::string_view key, std::vector<int>& value) override;
    bool getStrProperty(std::string_view section, std::string_view key, std::string_view def,
                        std::string& value) override;
    bool getStrArrayProperty(std::string_view section, std::string_view key,
                             std::vector<std::string>& value) override;
    bool getBoolProperty(std::string_view section, std::string_view key, bool def, bool& value) override;
    bool getBoolArrayProperty(std::string_view section, std::string_view key, std::vector<bool>& value) override;
    bool getRealProperty(std::string_view section, std::string_view key, double def, double& value) override;
    bool getRealArrayProperty(std::string_view section, std::string_view key, std::vector<double>& value) override;
    void setIntProperty(std::string_view section, std::string_view key, int value) override;
    void setIntArrayProperty(std::string_view section, std::string_view key,
                             const std::vector<int>& value) override;
    void setStrProperty(std::string_view section, std::string_view key, std::string_view value) override;
    void setStrArrayProperty(std::string_view section, std::string_view key,
                             const std::vector<std::string>& value) override;
    void setBoolProperty(std::string_view section, std::string_view key, bool value) override;
    void setBoolArrayProperty(std::string_view section, std::string_view key,
                              const std::vector<bool>& value) override;
    void setRealProperty(std::string_view section, std::string_view key, double value) override;
    void setRealArrayProperty(std::string_view section, std::string_view key,
                              const std::vector<double>& value) override;
    bool getColorProperty(std::string_view section, std::string_view key, TColor def, TColor& value) override;
    void setColorProperty(std::string_view section, std::string_view key, TColor value) override;
    std::string setGraphic(const std::string& name, const std::string& mimeType, const TGraphic& graphic) override;
    void deleteProperty(std::string_view section, std::string_view key) override;

    /// Forgets what the file holds: the next flush replaces it with only what is set from now on.
    void clear();
    void flush() override;
    std::string getDirectory() const override { return FDirectory; }
    std::size_t sectionCount() const override { return iniFile.SectionCount(); }
    TQVTSectionPosition sectionPosition(std::string_view name) override;

private:
    /// Number of elements of the array whose count is stored under countKey; -1 when it is absent.
    int arrayCount(std::string_view section, const std::string& countKey) const;
    template <typename T, typename Read>
    bool readArray(std::string_view section, std::string_view key, std::vector<T>& value, Read read) const;
    template <typename T, typename Write>
    void writeArray(std::string_view section, std::string_view key, const std::vector<T>& value, Write write);

    TIniFile iniFile;
    std::string FDirectory;
};

} // namespace corvane
