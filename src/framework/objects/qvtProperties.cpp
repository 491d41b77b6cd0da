#include "corvane/framework/objects/qvtProperties.h"

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/platform/RealText.h"
#include "corvane/platform/Types.h"

#include <charconv>
#include <cmath>

namespace corvane {

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

std::string BoolToText(bool value)
{
    return value ? "True" : "False";
}

bool TextToBool(std::string_view text)
{
    text = trimmed(text);
    if (equalsNoCase(text, "true") || text == "1")
        return true;
    if (equalsNoCase(text, "false") || text == "0")
        return false;
    throw EConvertError("'" + std::string(text) + "' is not a valid Boolean value");
}

bool TryTextToInteger(std::string_view text, std::int64_t minValue, std::int64_t maxValue, std::int64_t& value)
{
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    // from_chars takes no sign of its own here, so "--1" and "$-1" stay refused.
    if (text.empty() || text.front() == '-' || text.front() == '+')
        return false;
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size())
        return false;
    constexpr std::uint64_t LargestNegative = std::uint64_t{1} << 63;
    if (negative ? magnitude > LargestNegative : magnitude >= LargestNegative)
        return false;
    const std::int64_t result =
        negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    if (result < minValue || result > maxValue)
        return false;
    value = result;
    return true;
}

std::int64_t TextToInteger(std::string_view text, std::int64_t minValue, std::int64_t maxValue)
{
    std::int64_t value = 0;
    if (!TryTextToInteger(text, minValue, maxValue, value))
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return value;
}

bool TryTextToFloat(std::string_view text, double& value)
{
    text = trimmed(text);
    if (text.empty() || text.find_first_not_of("+-.,0123456789eE") != std::string_view::npos)
        return false;
    std::string number(text);
    for (char& c : number)
        if (c == ',')
            c = '.';
    // from_chars reads no leading "+" and is independent of the locale, unlike strtod.
    const char* first = number.data();
    const char* last = number.data() + number.size();
    if (*first == '+')
        ++first;
    if (first == last || *first == '+')
        return false;
    double result = 0;
    const auto [end, error] = std::from_chars(first, last, result, std::chars_format::general);
    if (error != std::errc() || end != last || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

double TextToFloat(std::string_view text)
{
    double value = 0;
    if (TryTextToFloat(text, value))
        return value;
    const std::string_view plain = trimmed(text);
    if (equalsNoCase(plain, "nan") || equalsNoCase(plain, "-nan"))
        return plain.front() == '-' ? -std::nan("") : std::nan("");
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

std::string FloatToText(double value)
{
    return RealToText(value);
}

void TQVTPublishedProperties::addObject(std::string name, std::function<TQVTGanttObject*()> get)
{
    TQVTPropertyInfo info;
    info.Name = std::move(name);
    info.Kind = TQVTPropertyKind::Class;
    info.GetObject = std::move(get);
    FItems.push_back(std::move(info));
}

void TQVTPublishedProperties::addHidden(std::string name, std::function<std::string()> get,
                                        std::function<void(const std::string&)> set)
{
    TQVTPropertyInfo info;
    info.Name = std::move(name);
    info.Kind = TQVTPropertyKind::Other;
    info.GetText = std::move(get);
    info.SetText = std::move(set);
    FItems.push_back(std::move(info));
}

const TQVTPropertyInfo* TQVTPublishedProperties::find(std::string_view name) const
{
    for (const TQVTPropertyInfo& info : FItems)
        if (equalsNoCase(info.Name, name))
            return &info;
    return nullptr;
}

TQVTPublishedProperties PublishedPropertiesOf(TQVTGanttObject& obj)
{
    TQVTPublishedProperties properties;
    obj.GetPublishedProperties(properties);
    return properties;
}

} // namespace corvane
