#include "corvane/platform/Colors.h"

#include <cctype>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace corvane {
namespace {

// Every name with its value, written independently of the implementation's table.
const std::vector<std::pair<std::string, TColor>> Names = {
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080}, {"clNavy", 0x800000},
    {"clPurple", 0x800080}, {"clTeal", 0x808000}, {"clGray", 0x808080}, {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF},
    {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF}, {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF}, {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0}, {"clNone", 0x1FFFFFFF}, {"clDefault", 0x20000000}, {"clScrollBar", 0xFF000000},
    {"clBackground", 0xFF000001}, {"clActiveCaption", 0xFF000002}, {"clInactiveCaption", 0xFF000003},
    {"clMenu", 0xFF000004}, {"clWindow", 0xFF000005}, {"clWindowFrame", 0xFF000006}, {"clMenuText", 0xFF000007},
    {"clWindowText", 0xFF000008}, {"clCaptionText", 0xFF000009}, {"clActiveBorder", 0xFF00000A},
    {"clInactiveBorder", 0xFF00000B}, {"clAppWorkSpace", 0xFF00000C}, {"clHighlight", 0xFF00000D},
    {"clHighlightText", 0xFF00000E}, {"clBtnFace", 0xFF00000F}, {"clBtnShadow", 0xFF000010},
    {"clGrayText", 0xFF000011}, {"clBtnText", 0xFF000012}, {"clInactiveCaptionText", 0xFF000013},
    {"clBtnHighlight", 0xFF000014}, {"cl3DDkShadow", 0xFF000015}, {"cl3DLight", 0xFF000016},
    {"clInfoText", 0xFF000017}, {"clInfoBk", 0xFF000018}, {"clHotLight", 0xFF00001A},
    {"clGradientActiveCaption", 0xFF00001B}, {"clGradientInactiveCaption", 0xFF00001C},
    {"clMenuHighlight", 0xFF00001D}, {"clMenuBar", 0xFF00001E},
};

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

TEST(Colors, EveryNameRoundTripsAndResolvesToRGB)
{
    for (const auto& [name, value] : Names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ColorToString(value), name);
        EXPECT_EQ(StringToColor(name), value);
        TColor color = 0;
        ASSERT_TRUE(IdentToColor(Upper(name), color));
        EXPECT_EQ(color, value);
    }
    // Grey aliases read but write the first name.
    EXPECT_EQ(StringToColor("clLtGray"), clSilver);
    EXPECT_EQ(StringToColor("cldkgray"), clGray);
    EXPECT_EQ(ColorToString(clLtGray), "clSilver");
    EXPECT_EQ(ColorToString(clDkGray), "clGray");

    // ColorToRGB resolves system colours and clears the top byte.
    // 0xFF0000FF is no system colour.
    for (const auto& [color, rgb] : {std::pair{clBtnFace, 0xF0F0F0u}, {clWindow, 0xFFFFFFu}, {clWindowText, 0u},
                                     {clHighlight, 0xD77800u}, {clMenuBar, 0xF0F0F0u}, {0xFF0000FFu, 0u},
                                     {0x023434FFu, 0x3434FFu}, {clRed, clRed}})
        EXPECT_EQ(ColorToRGB(color), rgb) << std::hex << color;
    for (const auto& [name, value] : Names)
        EXPECT_EQ(ColorToRGB(value) & 0xFF000000u, 0u) << name;
}

TEST(Colors, ReadsAndWritesNumbers)
{
    EXPECT_EQ(ColorToString(0x027FFFFF), "$027FFFFF");
    EXPECT_EQ(ColorToString(0x00000001), "$00000001");
    EXPECT_EQ(ColorToString(0xFFFFFFFF), "$FFFFFFFF");
    EXPECT_EQ(ColorToString(0xFF00001F), "$FF00001F");
    for (TColor value : {0x023434FFu, 0x00ABCDEFu, 0xFFFFFFFFu, 0x00000001u})
        EXPECT_EQ(StringToColor(ColorToString(value)), value);
    for (const auto& [text, value] :
         {std::pair{"$023434FF", 0x023434FFu}, {"$ff", 0xFFu}, {"0x00ff00", clLime}, {"0XFF", 0xFFu}, {"255", clRed},
          {"+255", clRed}, {"-16777201", clBtnFace}, {"-1", 0xFFFFFFFFu}, {"-2147483648", 0x80000000u},
          {"4294967295", 0xFFFFFFFFu}, {"  clRed\t", clRed}, {" $10\r\n", 0x10u}})
        EXPECT_EQ(StringToColor(text), value) << text;
}

TEST(Colors, RefusesHostileTextAndQuotesItShortened)
{
    const std::vector<std::string> bad = {
        "", "   ", "$", "$GG", "$123456789", "$12G", "$-1", "$ 1", "0x", "0xG", "clNoSuch", "cl", "clRed2",
        "99999999999", "4294967296", "-2147483649", "-", "+", "+-1", "--1", "12abc", "1 2", "1.5",
        std::string("clRed\0", 6), std::string(1 << 20, '9'), std::string(1 << 20, 'A'),
        "$" + std::string(1 << 20, 'F'),
    };
    for (const std::string& text : bad) {
        SCOPED_TRACE(text.substr(0, 20));
        TColor color = 0x12345678;
        EXPECT_FALSE(TryStringToColor(text, color));
        EXPECT_EQ(color, 0x12345678u);
        EXPECT_THROW(StringToColor(text), EConvertError);
    }

    // The error quotes the text.
    try {
        StringToColor("clNoSuch");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_NE(std::string(e.what()).find("'clNoSuch'"), std::string::npos);
    }
    // A huge text is cut, and never inside a UTF-8 character ("é" is two bytes).
    std::string huge;
    for (int i = 0; i < 1000; ++i)
        huge += "\xC3\xA9";
    try {
        StringToColor("x" + huge);
        FAIL();
    } catch (const EConvertError& e) {
        const std::string message = e.what();
        EXPECT_LT(message.size(), 200u);
        EXPECT_NE(message.find("x\xC3\xA9"), std::string::npos);
        EXPECT_EQ(message.find("\xC3..."), std::string::npos);
    }
}

} // namespace
} // namespace corvane
