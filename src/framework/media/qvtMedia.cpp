#include "corvane/framework/media/qvtMedia.h"

#include "corvane/framework/media/qvtDefaultMedia.h"
#include "corvane/framework/media/qvtIniFileMedia.h"

#include <functional>

namespace corvane {

TQVTDummyMedia::TQVTDummyMedia(std::string path) : FPath(std::move(path)) {}

bool TQVTDummyMedia::getIntProperty(const std::string&, const std::string&, int def, int& value)
{
    value = def;
    return false;
}

bool TQVTDummyMedia::getIntArrayProperty(const std::string&, const std::string&, std::vector<int>& value)
{
    value.clear();
    return false;
}

bool TQVTDummyMedia::getStrProperty(const std::string&, const std::string&, const std::string& def, std::string& value)
{
    value = def;
    return false;
}

bool TQVTDummyMedia::getStrArrayProperty(const std::string&, const std::string&, std::vector<std::string>& value)
{
    value.clear();
    return false;
}

bool TQVTDummyMedia::getBoolProperty(const std::string&, const std::string&, bool def, bool& value)
{
    value = def;
    return false;
}

bool TQVTDummyMedia::getBoolArrayProperty(const std::string&, const std::string&, std::vector<bool>& value)
{
    value.clear();
    return false;
}

bool TQVTDummyMedia::getRealProperty(const std::string&, const std::string&, double def, double& value)
{
    value = def;
    return false;
}

bool TQVTDummyMedia::getRealArrayProperty(const std::string&, const std::string&, std::vector<double>& value)
{
    value.clear();
    return false;
}

void TQVTDummyMedia::setIntProperty(const std::string&, const std::string&, int) {}
void TQVTDummyMedia::setIntArrayProperty(const std::string&, const std::string&, const std::vector<int>&) {}
void TQVTDummyMedia::setStrProperty(const std::string&, const std::string&, const std::string&) {}
void TQVTDummyMedia::setStrArrayProperty(const std::string&, const std::string&, const std::vector<std::string>&) {}
void TQVTDummyMedia::setBoolProperty(const std::string&, const std::string&, bool) {}
void TQVTDummyMedia::setBoolArrayProperty(const std::string&, const std::string&, const std::vector<bool>&) {}
void TQVTDummyMedia::setRealProperty(const std::string&, const std::string&, double) {}
void TQVTDummyMedia::setRealArrayProperty(const std::string&, const std::string&, const std::vector<double>&) {}

bool TQVTDummyMedia::getColorProperty(const std::string&, const std::string&, TColor def, TColor& value)
{
    value = def;
    return false;
}

void TQVTDummyMedia::setColorProperty(const std::string&, const std::string&, TColor) {}

std::string TQVTDummyMedia::setGraphic(const std::string&, const std::string&, const TGraphic&)
{
    return "dummy filename that does not exists.";
}

void TQVTDummyMedia::deleteProperty(const std::string&, const std::string&) {}

std::string TQVTMediaFactory::GetProtocol(const std::string& storage)
{
    const auto colon = storage.find(':');
    return colon == std::string::npos ? "default" : storage.substr(0, colon);
}

std::string TQVTMediaFactory::GetType(const std::string& storage)
{
    const auto dot = storage.rfind('.');
    return dot == std::string::npos ? "ini" : storage.substr(dot + 1);
}

std::string TQVTMediaFactory::GetPath(const std::string& storage)
{
    const auto slashes = storage.find("//");
    return slashes == std::string::npos ? std::string() : storage.substr(slashes + 2);
}

IQVTMediaPtr TQVTMediaFactory::CreateMedia(const std::string& storage)
{
    struct Row {
        const char* protocol;
        const char* type;
        std::function<IQVTMediaPtr(const std::string&)> create;
    };
    static const Row rows[] = {
        {"default", "*", [](const std::string& p) { return std::make_shared<TQVTDefaultMedia>(p); }},
        {"file", "ini", [](const std::string& p) { return std::make_shared<TQVTINIFIle>(p); }},
        {"*", "*", [](const std::string& p) { return std::make_shared<TQVTDummyMedia>(p); }},
    };
    const std::string protocol = GetProtocol(storage);
    const std::string type = GetType(storage);
    const std::string path = GetPath(storage);
    for (const Row& row : rows) {
        const bool protocolMatches = row.protocol == std::string_view("*") || protocol == row.protocol;
        const bool typeMatches = row.type == std::string_view("*") || type == row.type;
        if (protocolMatches && typeMatches)
            return row.create(path);
    }
    return std::make_shared<TQVTDummyMedia>(path); // not reached: the last row matches everything
}

} // namespace corvane
