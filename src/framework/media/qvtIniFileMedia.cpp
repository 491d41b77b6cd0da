#include "corvane/framework/media/qvtIniFileMedia.h"

#include "corvane/platform/Colors.h"
#include "corvane/platform/DiagnosticLog.h"
#include "corvane/platform/Graphics.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace corvane {

namespace {

std::string directoryOf(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec)
        absolute = path;
    return absolute.parent_path().string();
}

// The keys of an array, "key#count", "key#0", "key#1", ..., built in one buffer that each
// thread keeps, so that reading an array allocates no key text.
class TElementKey {
public:
    explicit TElementKey(std::string_view key) : FKey(buffer())
    {
        FKey.assign(key);
        FKey += '#';
        FStem = FKey.size();
    }
    const std::string& count() { return suffixed("count"); }
    const std::string& at(std::size_t i)
    {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, i);
        return suffixed(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
    }

private:
    static std::string& buffer()
    {
        thread_local std::string text;
        return text;
    }
    const std::string& suffixed(std::string_view suffix)
    {
        FKey.resize(FStem);
        FKey += suffix;
        return FKey;
    }

    std::string& FKey;
    std::size_t FStem = 0;
};

// A section name from a file must not lead a side file out of the document's folder.
std::string sideFileName(const std::string& name)
{
    std::string safe = name;
    std::replace_if(
        safe.begin(), safe.end(), [](char c) { return c == '/' || c == '\\' || c == '\0'; }, '_');
    if (safe == "." || safe == "..")
        safe = "_";
    return safe;
}

} // namespace

TQVTINIFIle::TQVTINIFIle(std::string path) : TQVTDummyMedia(path), iniFile(path), FDirectory(directoryOf(path)) {}

TQVTINIFIle::~TQVTINIFIle() = default;

bool TQVTINIFIle::getIntProperty(std::string_view section, std::string_view key, int def, int& value)
{
    return iniFile.ReadInteger(section, key, def, value);
}

bool TQVTINIFIle::getStrProperty(std::string_view section, std::string_view key, std::string_view def,
                                 std::string& value)
{
    return iniFile.ReadString(section, key, def, value);
}

bool TQVTINIFIle::getBoolProperty(std::string_view section, std::string_view key, bool def, bool& value)
{
    return iniFile.ReadBool(section, key, def, value);
}

bool TQVTINIFIle::getRealProperty(std::string_view section, std::string_view key, double def, double& value)
{
    return iniFile.ReadFloat(section, key, def, value);
}

int TQVTINIFIle::arrayCount(std::string_view section, const std::string& countKey) const
{
    const int count = iniFile.ReadInteger(section, countKey, -1);
    if (count < 0)
        return -1;
    // An array never has more elements than its section has keys, whatever the count claims.
    const auto keys = iniFile.KeyCount(section);
    return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(count), keys));
}

template <typename T, typename Read>
bool TQVTINIFIle::readArray(std::string_view section, std::string_view key, std::vector<T>& value, Read read) const
{
    value.clear();
    TElementKey element(key);
    const int count = arrayCount(section, element.count());
    if (count < 0)
        return false;
    value.reserve(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
        value.push_back(read(element.at(i)));
    return true;
}

template <typename T, typename Write>
void TQVTINIFIle::writeArray(std::string_view section, std::string_view key, const std::vector<T>& value,
                             Write write)
{
    TElementKey element(key);
    iniFile.WriteInteger(section, element.count(), static_cast<int>(value.size()));
    for (std::size_t i = 0; i < value.size(); ++i)
        write(element.at(i), value[i]);
}

bool TQVTINIFIle::getIntArrayProperty(std::string_view section, std::string_view key, std::vector<int>& value)
{
    return readArray(section, key, value, [&](const std::string& k) { return iniFile.ReadInteger(section, k, 0); });
}

bool TQVTINIFIle::getStrArrayProperty(std::string_view section, std::string_view key,
                                      std::vector<std::string>& value)
{
    return readArray(section, key, value, [&](const std::string& k) { return iniFile.ReadString(section, k, ""); });
}

bool TQVTINIFIle::getBoolArrayProperty(std::string_view section, std::string_view key, std::vector<bool>& value)
{
    return readArray(section, key, value, [&](const std::string& k) { return iniFile.ReadBool(section, k, false); });
}

bool TQVTINIFIle::getRealArrayProperty(std::string_view section, std::string_view key, std::vector<double>& value)
{
    return readArray(section, key, value, [&](const std::string& k) { return iniFile.ReadFloat(section, k, 0.0); });
}

void TQVTINIFIle::setIntProperty(std::string_view section, std::string_view key, int value)
{
    iniFile.WriteInteger(section, key, value);
}

void TQVTINIFIle::setStrProperty(std::string_view section, std::string_view key, std::string_view value)
{
    iniFile.WriteString(section, key, value);
}

void TQVTINIFIle::setBoolProperty(std::string_view section, std::string_view key, bool value)
{
    iniFile.WriteBool(section, key, value);
}

void TQVTINIFIle::setRealProperty(std::string_view section, std::string_view key, double value)
{
    iniFile.WriteFloat(section, key, value);
}

void TQVTINIFIle::setIntArrayProperty(std::string_view section, std::string_view key, const std::vector<int>& value)
{
    writeArray(section, key, value, [&](const std::string& k, int v) { iniFile.WriteInteger(section, k, v); });
}

void TQVTINIFIle::setStrArrayProperty(std::string_view section, std::string_view key,
                                      const std::vector<std::string>& value)
{
    writeArray(section, key, value,
               [&](const std::string& k, const std::string& v) { iniFile.WriteString(section, k, v); });
}

void TQVTINIFIle::setBoolArrayProperty(std::string_view section, std::string_view key,
                                       const std::vector<bool>& value)
{
    writeArray(section, key, value, [&](const std::string& k, bool v) { iniFile.WriteBool(section, k, v); });
}

void TQVTINIFIle::setRealArrayProperty(std::string_view section, std::string_view key,
                                       const std::vector<double>& value)
{
    writeArray(section, key, value, [&](const std::string& k, double v) { iniFile.WriteFloat(section, k, v); });
}

bool TQVTINIFIle::getColorProperty(std::string_view section, std::string_view key, TColor def, TColor& value)
{
    const std::string text = iniFile.ReadString(section, key, "");
    value = def;
    if (!text.empty() && !TryStringToColor(text, value)) {
        value = def;
        addlog("Invalid colour \"" + text + "\" in section \"" + std::string(section) + "\", key \"" +
               std::string(key) + "\"; the default is used.");
    }
    return true;
}

void TQVTINIFIle::setColorProperty(std::string_view section, std::string_view key, TColor value)
{
    iniFile.WriteString(section, key, ColorToString(value));
}

std::string TQVTINIFIle::setGraphic(const std::string& name, const std::string& mimeType, const TGraphic& graphic)
{
    const std::string fileName = (std::filesystem::path(FDirectory) / sideFileName(name)).string();
    if (mimeType == "image/bmp" || mimeType == "image/jpg")
        graphic.SaveToFile(fileName);
    return fileName;
}

void TQVTINIFIle::deleteProperty(std::string_view section, std::string_view key)
{
    iniFile.DeleteKey(section, key);
}

TQVTSectionPosition TQVTINIFIle::sectionPosition(std::string_view name)
{
    const std::size_t position = iniFile.SectionPosition(name);
    return {iniFile.PositionSpace(), position == TIniFile::NoSection ? TQVTSectionPosition::None : position};
}

void TQVTINIFIle::clear()
{
    iniFile.Clear();
}

void TQVTINIFIle::flush()
{
    iniFile.UpdateFile();
}

} // namespace corvane
