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

    bool getIntProperty(const std::string& section, const std::string& key, int def, int& value) override;
    bool getIntArrayProperty(const std::string& section, const std::string& key, std::vector<int>& value) override;
    bool getStrProperty(const std::string& section, const std::string& key, const std::string& def,
                        std::string& value) override;
    bool getStrArrayProperty(const std::string& section, const std::string& key,
                             std::vector<std::string>& value) override;
    bool getBoolProperty(const std::string& section, const std::string& key, bool def, bool& value) override;
    bool getBoolArrayProperty(const std::string& section, const std::string& key, std::vector<bool>& value) override;
    bool getRealProperty(const std::string& section, const std::string& key, double def, double& value) override;
    bool getRealArrayProperty(const std::string& section, const std::string& key, std::vector<double>& value) override;
    void setIntProperty(const std::string& section, const std::string& key, int value) override;
    void setIntArrayProperty(const std::string& section, const std::string& key,
                             const std::vector<int>& value) override;
    void setStrProperty(const std::string& section, const std::string& key, const std::string& value) override;
    void setStrArrayProperty(const std::string& section, const std::string& key,
                             const std::vector<std::string>& value) override;
    void setBoolProperty(const std::string& section, const std::string& key, bool value) override;
    void setBoolArrayProperty(const std::string& section, const std::string& key,
                              const std::vector<bool>& value) override;
    void setRealProperty(const std::string& section, const std::string& key, double value) override;
    void setRealArrayProperty(const std::string& section, const std::string& key,
                              const std::vector<double>& value) override;
    bool getColorProperty(const std::string& section, const std::string& key, TColor def, TColor& value) override;
    void setColorProperty(const std::string& section, const std::string& key, TColor value) override;
    std::string setGraphic(const std::string& name, const std::string& mimeType, const TGraphic& graphic) override;
    void deleteProperty(const std::string& section, const std::string& key) override;

    /// Forgets what the file holds: the next flush replaces it with only what is set from now on.
    void clear();
    void flush() override;
    std::string getDirectory() const override { return FDirectory; }
    std::size_t sectionCount() const override { return iniFile.SectionCount(); }

private:
    /// Number of elements of the array stored under key; -1 when it is absent.
    int arrayCount(const std::string& section, const std::string& key) const;
    template <typename T, typename Read>
    bool readArray(const std::string& section, const std::string& key, std::vector<T>& value, Read read) const;
    template <typename T, typename Write>
    void writeArray(const std::string& section, const std::string& key, const std::vector<T>& value, Write write);

    TIniFile iniFile;
    std::string FDirectory;
};

} // namespace corvane
