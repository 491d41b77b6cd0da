#include "corvane/platform/Colors.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string_view>

namespace corvane {

namespace {

struct TNamedColor {
    std::string_view Name;
    TColor Value;
};

// Where two names share a value, the first one is the name written.
constexpr TNamedColor NamedColors[] = {
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clMoneyGreen", clMoneyGreen},
    {"clSkyBlue", clSkyBlue},
    {"clCream", clCream},
    {"clMedGray", clMedGray},
    {"clActiveBorder", clActiveBorder},
    {"clActiveCaption", clActiveCaption},
    {"clAppWorkSpace", clAppWorkSpace},
    {"clBackground", clBackground},
    {"clBtnFace", clBtnFace},
    {"clBtnHighlight", clBtnHighlight},
    {"clBtnShadow", clBtnShadow},
    {"clBtnText", clBtnText},
    {"clCaptionText", clCaptionText},
    {"clDefault", clDefault},
    {"clGradientActiveCaption", clGradientActiveCaption},
    {"clGradientInactiveCaption", clGradientInactiveCaption},
    {"clGrayText", clGrayText},
    {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText},
    {"clHotLight", clHotLight},
    {"clInactiveBorder", clInactiveBorder},
    {"clInactiveCaption", clInactiveCaption},
    {"clInactiveCaptionText", clInactiveCaptionText},
    {"clInfoBk", clInfoBk},
    {"clInfoText", clInfoText},
    {"clMenu", clMenu},
    {"clMenuBar", clMenuBar},
    {"clMenuHighlight", clMenuHighlight},
    {"clMenuText", clMenuText},
    {"clNone", clNone},
    {"clScrollBar", clScrollBar},
    {"cl3DDkShadow", cl3DDkShadow},
    {"cl3DLight", cl3DLight},
    {"clWindow", clWindow},
    {"clWindowFrame", clWindowFrame},
    {"clWindowText", clWindowText},
    {"clLtGray", clLtGray},
    {"clDkGray", clDkGray},
};

// A light desktop theme, indexed by the low byte of a system colour.
constexpr std::array<TColor, 31> SystemPalette = {
    0xC8C8C8, // scroll bar
    0x000000, // background
    0xD1B499, // active caption
    0xDBCDBF, // inactive caption
    0xF0F0F0, // menu
    0xFFFFFF, // window
    0x646464, // window frame
    0x000000, // menu text
    0x000000, // window text
    0x000000, // caption text
    0xB4B4B4, // active border
    0xFCF7F4, // inactive border
    0xABABAB, // application work space
    0xD77800, // highlight
    0xFFFFFF, // highlight text
    0xF0F0F0, // button face
    0xA0A0A0, // button shadow
    0x6D6D6D, // grey text
    0x000000, // button text
    0x000000, // inactive caption text
    0xFFFFFF, // button highlight
    0x696969, // 3-D dark shadow
    0xE3E3E3, // 3-D light
    0x000000, // info text
    0xE1FFFF, // info background
    0x000000, // unused index
    0xCC6600, // hot light
    0xEAD1B9, // gradient active caption
    0xF2E4D7, // gradient inactive caption
    0xD77800, // menu highlight
    0xF0F0F0, // menu bar
};

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameTextAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text)
{
    constexpr std::string_view blanks = " \t\r\n\f\v";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool ParseHex(std::string_view digits, TColor& color)
{
    if (digits.empty() || digits.size() > 8)
        return false;
    TColor value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (error != std::errc() || end != digits.data() + digits.size())
        return false;
    color = value;
    return true;
}

// Accepts the 32-bit signed range (negative values wrap, as the platform's
// integer text does) and, beyond it, unsigned values up to 0xFFFFFFFF.
bool ParseDecimal(std::string_view text, TColor& color)
{
    // One sign at most, then digits only.
    const std::size_t firstDigit = (text.starts_with('+') || text.starts_with('-')) ? 1 : 0;
    if (text.size() <= firstDigit || text[firstDigit] < '0' || text[firstDigit] > '9')
        return false;
    if (text.starts_with('+'))
        text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (error != std::errc() || end != text.data() + text.size())
        return false;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::uint32_t>::max())
        return false;
    color = static_cast<TColor>(value);
    return true;
}

bool FindNamedColor(std::string_view ident, TColor& color)
{
    for (const auto& named : NamedColors) {
        if (SameTextAscii(named.Name, ident)) {
            color = named.Value;
            return true;
        }
    }
    return false;
}

// Keeps error messages readable when the offending text is huge; cuts on a
// UTF-8 character boundary.
std::string Abbreviated(const std::string& text)
{
    constexpr std::size_t maxLength = 64;
    if (text.size() <= maxLength)
        return text;
    std::size_t cut = maxLength;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut) + "...";
}

} // namespace

std::string ColorToString(TColor color)
{
    for (const auto& named : NamedColors) {
        if (named.Value == color)
            return std::string(named.Name);
    }
    std::array<char, 10> text{};
    std::snprintf(text.data(), text.size(), "$%08X", static_cast<unsigned>(color));
    return text.data();
}

bool IdentToColor(const std::string& ident, TColor& color)
{
    return FindNamedColor(ident, color);
}

bool TryStringToColor(const std::string& text, TColor& color)
{
    const std::string_view trimmed = TrimBlanks(text);
    if (trimmed.starts_with('$'))
        return ParseHex(trimmed.substr(1), color);
    if (trimmed.starts_with("0x") || trimmed.starts_with("0X"))
        return ParseHex(trimmed.substr(2), color);
    if (FindNamedColor(trimmed, color))
        return true;
    return ParseDecimal(trimmed, color);
}

TColor StringToColor(const std::string& text)
{
    TColor color = 0;
    if (!TryStringToColor(text, color))
        throw EConvertError("'" + Abbreviated(text) + "' is not a valid color value");
    return color;
}

TColor ColorToRGB(TColor color)
{
    if ((color & clSystemColor) == clSystemColor) {
        const TColor index = color & 0xFF;
        return index < SystemPalette.size() ? SystemPalette[index] : 0;
    }
    return color & 0x00FFFFFF;
}

} // namespace corvane
