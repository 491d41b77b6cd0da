#pragma once
// The store that every document object reads its keys from and writes them to.

#include "corvane/platform/Types.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TGraphic;

/// Sections of named keys with typed values. Every getter sets its out value in every case
/// (the default, or an empty array) and answers whether the key was found.
class IQVTMedia {
public:
    virtual ~IQVTMedia() = default;

    virtual bool getIntProperty(const std::string& section, const std::string& key, int def, int& value) = 0;
    virtual bool getIntArrayProperty(const std::string& section, const std::string& key, std::vector<int>& value) = 0;
    virtual bool getStrProperty(const std::string& section, const std::string& key, const std::string& def,
                                std::string& value) = 0;
    virtual bool getStrArrayProperty(const std::string& section, const std::string& key,
                                     std::vector<std::string>& value) = 0;
    virtual bool getBoolProperty(const std::string& section, const std::string& key, bool def, bool& value) = 0;
    virtual bool getBoolArrayProperty(const std::string& section, const std::string& key, std::vector<bool>& value) = 0;
    virtual bool getRealProperty(const std::string& section, const std::string& key, double def, double& value) = 0;
    virtual bool getRealArrayProperty(const std::string& section, const std::string& key,
                                      std::vector<double>& value) = 0;
    virtual void setIntProperty(const std::string& section, const std::string& key, int value) = 0;
    virtual void setIntArrayProperty(const std::string& section, const std::string& key,
                                     const std::vector<int>& value) = 0;
    virtual void setStrProperty(const std::string& section, const std::string& key, const std::string& value) = 0;
    virtual void setStrArrayProperty(const std::string& section, const std::string& key,
                                     const std::vector<std::string>& value) = 0;
    virtual void setBoolProperty(const std::string& section, const std::string& key, bool value) = 0;
    virtual void setBoolArrayProperty(const std::string& section, const std::string& key,
                                      const std::vector<bool>& value) = 0;
    virtual void setRealProperty(const std::string& section, const std::string& key, double value) = 0;
    virtual void setRealArrayProperty(const std::string& section, const std::string& key,
                                      const std::vector<double>& value) = 0;
    virtual bool getColorProperty(const std::string& section, const std::string& key, TColor def, TColor& value) = 0;
    virtual void setColorProperty(const std::string& section, const std::string& key, TColor value) = 0;
    /// Stores a picture beside the store; answers the file name it was stored under.
    virtual std::string setGraphic(const std::string& name, const std::string& mimeType, const TGraphic& graphic) = 0;
    /// Removes the key; nothing when it is absent.
    virtual void deleteProperty(const std::string& section, const std::string& key) = 0;

    /// Writes what was set through to the backing file (no-op for stores without one); nothing
    /// reaches the file otherwise, so a save that fails half way leaves the file as it was.
    /// Throws EFileError when writing fails, so a failed save is never taken for a success.
    virtual void flush() {}
    /// Folder against which relative file names inside the document are resolved.
    virtual std::string getDirectory() const { return {}; }
    /// How many sections the store holds, as far as it knows; 0 when it cannot tell. Loaders
    /// size their indexes by it.
    virtual std::size_t sectionCount() const { return 0; }
};

using IQVTMediaPtr = std::shared_ptr<IQVTMedia>;

/// Stores nothing and answers every query with the caller's default.
class TQVTDummyMedia : public IQVTMedia {
public:
    explicit TQVTDummyMedia(std::string path = {});

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

    const std::string& path() const { return FPath; }

protected:
    std::string FPath;
};

/// Picks a store for a storage string "protocol://path".
class TQVTMediaFactory {
public:
    static std::string GetProtocol(const std::string& storage);
    static std::string GetType(const std::string& storage);
    static std::string GetPath(const std::string& storage);
    /// Always answers a store; throws EFileError when a document file exists but cannot be read.
    static IQVTMediaPtr CreateMedia(const std::string& storage);
};

} // namespace corvane
