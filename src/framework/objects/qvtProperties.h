#pragma once
// Published properties: the values an object offers to the property dialog and to the
// snapshots that make an edit of it undoable.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace corvane {

class TQVTDataSourceIntf;
class TQVTGanttObject;

/// What a published property holds; it decides how the property dialog edits it.
enum class TQVTPropertyKind : std::uint8_t {
    Integer,     ///< whole numbers and colours, written in decimal
    Float,       ///< reals and dates (days since 30 Dec 1899), written as the shortest exact text
    ShortString, ///< text
    Class,       ///< a nested document object
    Other        ///< flags, enumerations and hidden state: kept by snapshots, not shown in dialogs
};

/// One published property of one object; its functions are bound to that object.
struct TQVTPropertyInfo {
    std::string Name;
    TQVTPropertyKind Kind = TQVTPropertyKind::Other;
    /// The value as text; empty for class properties.
    std::function<std::string()> GetText;
    /// Sets the value from text in the form GetText writes (integers also in "$" hexadecimal,
    /// reals also with ","), through the object's own setter where it has one. Throws
    /// EConvertError for text that is no value of the property, changing nothing. Empty for
    /// read-only properties.
    std::function<void(const std::string&)> SetText;
    /// The nested object of a class property, or none.
    std::function<TQVTGanttObject*()> GetObject;
    /// The values an integer property can take.
    std::int64_t MinValue = 0;
    std::int64_t MaxValue = 0;

    bool isReadOnly() const { return !SetText; }
};

/// Text of a Boolean property: "True" or "False".
std::string BoolToText(bool value);
/// "True"/"False" in any case, "1" or "0"; throws EConvertError otherwise.
bool TextToBool(std::string_view text);
/// A decimal integer (surrounding blanks, a sign) or "$" / "0x" hexadecimal within
/// [minValue, maxValue]; false for anything else.
bool TryTextToInteger(std::string_view text, std::int64_t minValue, std::int64_t maxValue, std::int64_t& value);
/// TryTextToInteger that throws EConvertError.
std::int64_t TextToInteger(std::string_view text, std::int64_t minValue, std::int64_t maxValue);
/// A plain finite decimal number with "." or "," (surrounding blanks, a sign, an exponent);
/// false for hexadecimal, infinities, NaN and trailing characters.
bool TryTextToFloat(std::string_view text, double& value);
/// TryTextToFloat that throws EConvertError; "nan" also reads back, so that every text a
/// float property writes can be set again.
double TextToFloat(std::string_view text);
/// The shortest text that reads back to the same double.
std::string FloatToText(double value);

/// The published properties of one object, in declaration order (a class's own after its
/// base's), with the object's answers to an undoable edit of them.
class TQVTPublishedProperties {
public:
    /// Adds a property whose kind follows the getter's type: bool and enumerations Other,
    /// other integral types Integer (within the type's range), floating types Float, std::string
    /// ShortString. set takes a value of that type; nullptr makes the property read only.
    template <typename Get, typename Set>
    void add(std::string name, Get get, Set set);
    template <typename Get>
    void addReadOnly(std::string name, Get get)
    {
        add(std::move(name), std::move(get), nullptr);
    }
    /// A class property: get answers the nested object or none.
    void addObject(std::string name, std::function<TQVTGanttObject*()> get);
    /// State that snapshots must keep exactly but dialogs do not show (kind Other).
    void addHidden(std::string name, std::function<std::string()> get, std::function<void(const std::string&)> set);

    const std::vector<TQVTPropertyInfo>& items() const { return FItems; }
    std::size_t size() const { return FItems.size(); }
    /// The property of that name regardless of case, or none.
    const TQVTPropertyInfo* find(std::string_view name) const;

    /// Asked before an undoable edit changes the object's properties; false refuses the edit.
    /// None: every edit is allowed.
    std::function<bool(TQVTDataSourceIntf* dataSource)> BeforeEdit;
    /// Told after an undoable edit, or its undo, changed them: what depends on the object is
    /// brought up to date.
    std::function<void(TQVTDataSourceIntf* dataSource)> AfterEdit;

private:
    std::vector<TQVTPropertyInfo> FItems;
};

/// A fresh list of obj's published properties.
TQVTPublishedProperties PublishedPropertiesOf(TQVTGanttObject& obj);

template <typename Get, typename Set>
void TQVTPublishedProperties::add(std::string name, Get get, Set set)
{
    using T = std::remove_cvref_t<decltype(get())>;
    constexpr bool readOnly = std::is_same_v<Set, std::nullptr_t>;
    TQVTPropertyInfo info;
    info.Name = std::move(name);
    if constexpr (std::is_same_v<T, bool>) {
        info.Kind = TQVTPropertyKind::Other;
        info.GetText = [get] { return BoolToText(get()); };
        if constexpr (!readOnly)
            info.SetText = [set](const std::string& text) { set(TextToBool(text)); };
    } else if constexpr (std::is_enum_v<T>) {
        using U = std::underlying_type_t<T>;
        info.Kind = TQVTPropertyKind::Other;
        info.GetText = [get] { return std::to_string(static_cast<std::int64_t>(get())); };
        if constexpr (!readOnly)
            info.SetText = [set](const std::string& text) {
                set(static_cast<T>(TextToInteger(text, std::numeric_limits<U>::min(), std::numeric_limits<U>::max())));
            };
    } else if constexpr (std::is_integral_v<T>) {
        static_assert(sizeof(T) < 8 || std::is_signed_v<T>, "64-bit unsigned values do not fit");
        info.Kind = TQVTPropertyKind::Integer;
        info.MinValue = static_cast<std::int64_t>(std::numeric_limits<T>::min());
        info.MaxValue = static_cast<std::int64_t>(std::numeric_limits<T>::max());
        info.GetText = [get] { return std::to_string(static_cast<std::int64_t>(get())); };
        if constexpr (!readOnly)
            info.SetText = [set](const std::string& text) {
                set(static_cast<T>(TextToInteger(text, std::numeric_limits<T>::min(), std::numeric_limits<T>::max())));
            };
    } else if constexpr (std::is_floating_point_v<T>) {
        info.Kind = TQVTPropertyKind::Float;
        info.GetText = [get] { return FloatToText(static_cast<double>(get())); };
        if constexpr (!readOnly)
            info.SetText = [set](const std::string& text) { set(static_cast<T>(TextToFloat(text))); };
    } else {
        static_assert(std::is_same_v<T, std::string>, "no property kind for this type");
        info.Kind = TQVTPropertyKind::ShortString;
        info.GetText = [get] { return std::string(get()); };
        if constexpr (!readOnly)
            info.SetText = [set](const std::string& text) { set(text); };
    }
    FItems.push_back(std::move(info));
}

} // namespace corvane
