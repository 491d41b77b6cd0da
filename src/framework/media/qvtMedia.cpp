#include "corvane/framework/media/qvtMedia.h"

#include "corvane/framework/media/qvtDefaultMedia.h"
#include "corvane/framework/media/qvtIniFileMedia.h"

#include <functional>

namespace corvane {

TQVTDummyMedia::TQVTDummyMedia(std::string path) : FPath(std::move(path)) {}

bool TQVTDummyMedia::getIntProperty(std::string_view, std::string_view, int def, int& value)
{
    value = def;
    return false;
}

bool TQVTDummyMedia::getIntArrayProperty(std::string_view, std::string_view, std::vector<int>& value)
{
    value.clear();
    return false;
}

bool TQVTDummyMedia::getStrProperty(std::string_view, std::string_view, std::string_view def, std::string& value)
{
    value.assign(def);
    return false;
}

bool TQVTDummyMedia::getStrArrayProperty(std::string_view, std::string_view, std::vector<std::string>& value)
{
    value.clear();
    return false;
}

bool TQVTDummyMedia::getBoolProperty(std::string_view, std::string_view, bool def, bool& value)
{
    value = def;
    return false;
}

bool TQVTDummyMedia::getBoolArrayProperty(std::string_view, std::string_view, std::vector<bool>& value)
{
    value.clear();
    return false;
}

bool TQVTDummyMedia::getRealProperty(std::string_view, std::string_view, double def, double& value)
{
    value = def;
    return false;
}

bool TQVTDummyMedia::getRealArrayProperty(std::string_view, std::string_view, std::vector<double>& value)
{
    value.clear();
    return false;
}

void TQVTDummyMedia::setIntProperty(std::string_view, std::string_view, int) {}
void TQVTDummyMedia::setIntArrayProperty(std::string_view, std::string_view, const std::vector<int>&) {}
void TQVTDummyMedia::setStrProperty(std::string_view, std::string_view, std::string_view) {}
void TQVTDummyMedia::setStrArrayProperty(std::string_view, std::string_view, const std::vector<std::string>&) {}
void TQVTDummyMedia::setBoolProperty(std::string_view, std::string_view, bool) {}
void TQVTDummyMedia::setBoolArrayProperty(std::string_view, std::string_view, const std::vector<bool>&) {}
void TQVTDummyMedia::setRealProperty(std::string_view, std::string_view, double) {}
void TQVTDummyMedia::setRealArrayProperty(std::string_view, std::string_view, const std::vector<double>&) {}

bool TQVTDummyMedia::getColorProperty(std::string_view, std::string_view, TColor def, TColor& value)
{
    value = def;
    return false;
}

void TQVTDummyMedia::setColorProperty(std::string_view, std::string_view, TColor) {}

std::string TQVTDummyMedia::setGraphic(const std::string&, const std::string&, const TGraphic&)
{
    return "dummy filename that does not exists.";
}

void TQVTDummyMedia::deleteProperty(std::string_view, std::string_view) {}

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
