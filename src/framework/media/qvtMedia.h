#pragma once
// The store that every document object reads its keys from and writes them to.

#include "corvane/platform/Types.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

class TGraphic;

/// Where a store keeps a section, for loaders that look up what they loaded by it.
struct TQVTSectionPosition {
    static constexpr std::size_t None = static_cast<std::size_t>(-1);
    /// Positions of one space name sections one to one, whatever the spelling, and a position
    /// is never another section's later; 0: the store keeps no positions.
    std::uint64_t space = 0;
    /// None when the store has no such section; otherwise below sectionCount().
    std::size_t position = None;
};

/// Sections of named keys with typed values. Every getter sets its out value in every case
/// (the default, or an empty array) and answers whether the key was found.
class IQVTMedia {
public:
    virtual ~IQVTMedia() = default;

    virtual bool getIntProperty(std::string_view section, std::string_view key, int def, int& value) = 0;
    virtual bool getIntArrayProperty(std::string_view section, std::string_view key, std::vector<int>& value) = 0;
    virtual bool getStrProperty(std::string_view section, std::string_view key, std::string_view def,
                                std::string& value) = 0;
    virtual bool getStrArrayProperty(std::string_view section, std::string_view key,
                                     std::vector<std::string>& value) = 0;
    virtual bool getBoolProperty(std::string_view section, std::string_view key, bool def, bool& value) = 0;
    virtual bool getBoolArrayProperty(std::string_view section, std::string_view key, std::vector<bool>& value) = 0;
    virtual bool getRealProperty(std::string_view section, std::string_view key, double def, double& value) = 0;
    virtual bool getRealArrayProperty(std::string_view section, std::string_view key,
                                      std::vector<double>& value) = 0;
    virtual void setIntProperty(std::string_view section, std::string_view key, int value) = 0;
    virtual void setIntArrayProperty(std::string_view section, std::string_view key,
                                     const std::vector<int>& value) = 0;
    virtual void setStrProperty(std::string_view section, std::string_view key, std::string_view value) = 0;
    virtual void setStrArrayProperty(std::string_view section, std::string_view key,
                                     const std::vector<std::string>& value) = 0;
    virtual void setBoolProperty(std::string_view section, std::string_view key, bool value) = 0;
    virtual void setBoolArrayProperty(std::string_view section, std::string_view key,
                                      const std::vector<bool>& value) = 0;
    virtual void setRealProperty(std::string_view section, std::string_view key, double value) = 0;
    virtual void setRealArrayProperty(std::string_view section, std::string_view key,
                                      const std::vector<double>& value) = 0;
    virtual bool getColorProperty(std::string_view section, std::string_view key, TColor def, TColor& value) = 0;
    virtual void setColorProperty(std::string_view section, std::string_view key, TColor value) = 0;
    /// Stores a picture beside the store; answers the file name it was stored under.
    virtual std::string setGraphic(const std::string& name, const std::string& mimeType, const TGraphic& graphic) = 0;
    /// Removes the key; nothing when it is absent.
    virtual void deleteProperty(std::string_view section, std::string_view key) = 0;

    /// Writes what was set through to the backing file (no-op for stores without one); nothing
    /// reaches the file otherwise, so a save that fails half way leaves the file as it was.
    /// Throws EFileError when writing fails, so a failed save is never taken for a success.
    virtual void flush() {}
    /// Folder against which relative file names inside the document are resolved.
    virtual std::string getDirectory() const { return {}; }
    /// How many sections the store holds, as far as it knows; 0 when it cannot tell. Loaders
    /// size their indexes by it.
    virtual std::size_t sectionCount() const { return 0; }
    /// Where the store keeps the section named name; by default it keeps no positions.
    virtual TQVTSectionPosition sectionPosition(std::string_view name)
    {
        (void)name;
        return {};
    }
};

using IQVTMediaPtr = std::shared_ptr<IQVTMedia>;

/// Stores nothing and answers every query with the caller's default.
class TQVTDummyMedia : public IQVTMedia {
public:
    explicit TQVTDummyMedia(std::string path = {});

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
