#include "corvane/framework/localization/qvtLocalization.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

using namespace corvane;

namespace {

using TFilling = void (*)();

const std::string PrintToFile = "pp_pp_PrintToFile";
const std::string PrintToFileFormat = "pp_pp_PrintToFile_Format";

class Localization : public ::testing::Test {
protected:
    void SetUp() override { ClearRessources(); }
    void TearDown() override { ClearRessources(); }

    // The table a filling produces on its own.
    static std::vector<TLocalString> TableOf(TFilling fill)
    {
        ClearRessources();
        fill();
        std::vector<TLocalString> table = QVTRessources();
        ClearRessources();
        return table;
    }

    static std::vector<std::string> KeysOf(const std::vector<TLocalString>& table)
    {
        std::vector<std::string> keys;
        for (const TLocalString& entry : table)
            keys.push_back(entry.Name);
        return keys;
    }

    static std::string ValueIn(const std::vector<TLocalString>& table, const std::string& key)
    {
        for (const TLocalString& entry : table)
            if (entry.Name == key)
                return entry.Value;
        ADD_FAILURE() << "missing key " << key;
        return {};
    }
};

TEST_F(Localization, FillingsShareOneKeyOrderLookupsSwitchLanguageAndKeepApplicationTexts)
{
    const auto keys = KeysOf(TableOf(CreateDefaultRessources_ENG));
    ASSERT_EQ(keys.size(), 140u);
    EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), 140u);
    EXPECT_EQ(keys.front(), "autonumbercolumn");
    EXPECT_EQ(keys[50], "pp_ps_preview");
    EXPECT_EQ(keys[51], "pp_ps_layout");
    EXPECT_EQ(keys.back(), "df_fixedtaskbar");

    EXPECT_EQ(KeysOf(TableOf(CreateDefaultRessources_GER)), keys);

    std::vector<std::string> frenchExpected;
    for (const std::string& key : keys)
        if (key != PrintToFile && key != PrintToFileFormat)
            frenchExpected.push_back(key);
    ASSERT_EQ(frenchExpected.size(), 138u);
    EXPECT_EQ(KeysOf(TableOf(CreateDefaultRessources_FRA)), frenchExpected);

    EXPECT_EQ(GetRessourceValue("pp_menu_print"), "");
    CreateDefaultRessources_ENG();
    const std::vector<TLocalString> english = QVTRessources();
    EXPECT_EQ(GetRessourceValue("pp_menu_print"), "Print...");
    EXPECT_EQ(GetRessourceValue("PP_MENU_PRINT"), "");
    EXPECT_EQ(GetRessourceValue(""), "");
    EXPECT_EQ(GetRessourceValue("pp_sr_page"), "Page ");
    EXPECT_EQ(GetRessourceValue("insertnewpertbarmsg2"), "");
    CreateDefaultRessources_ENG();
    EXPECT_EQ(QVTRessources(), english) << "refilling keeps one entry per key";

    // The French filling lacks the print-to-file keys: the German ones stay.
    CreateDefaultRessources_GER();
    EXPECT_EQ(GetRessourceValue("pp_ps_preview"), "Vorschau");
    CreateDefaultRessources_FRA();
    EXPECT_EQ(QVTRessources().size(), 140u);
    EXPECT_EQ(GetRessourceValue("pp_ps_preview"), "Aperçu avant impression");
    EXPECT_EQ(GetRessourceValue(PrintToFile), "Ausdruck in Datei");
    EXPECT_EQ(GetRessourceValue(PrintToFileFormat), "Drucker Datei");
    EXPECT_EQ(GetRessourceValue("autonumbercolumn"), "No");
    EXPECT_EQ(GetRessourceValue("insertnewpertbarmsg2"), "");

    CreateDefaultRessources_ENG();
    EXPECT_EQ(QVTRessources(), english);
    EXPECT_EQ(GetRessourceValue("pp_ps_preview"), "Preview");

    ClearRessources();
    EXPECT_TRUE(QVTRessources().empty());
    EXPECT_EQ(GetRessourceValue("pp_menu_print"), "");

    CreateDefaultRessources_GER();
    const std::size_t builtIn = QVTRessources().size();

    SetRessourceString("app_title", "Projektplan");
    ASSERT_EQ(QVTRessources().size(), builtIn + 1);
    EXPECT_EQ(QVTRessources().back(), (TLocalString{"app_title", "Projektplan"}));

    std::vector<TLocalString> expected = QVTRessources();
    for (TLocalString& entry : expected)
        if (entry.Name == "pp_menu_close")
            entry.Value = "Beenden";
    SetRessourceString("pp_menu_close", "Beenden");
    EXPECT_EQ(QVTRessources(), expected);
    EXPECT_EQ(GetRessourceValue("pp_menu_close"), "Beenden");

    SetRessourceString("app_title", "Schedule");
    CreateDefaultRessources_ENG();
    EXPECT_EQ(QVTRessources().size(), builtIn + 1);
    EXPECT_EQ(GetRessourceValue("app_title"), "Schedule");
    EXPECT_EQ(GetRessourceValue("pp_menu_close"), "Close");
}

TEST_F(Localization, EveryTextIsTranslatedAndTheOtherUnitsFindTheirs)
{
    const auto german = TableOf(CreateDefaultRessources_GER);
    const auto french = TableOf(CreateDefaultRessources_FRA);
    const struct {
        const char* key;
        const char* german;
        const char* french;
    } expected[] = {
        {"df_calendarweekstring", "KW", "S"},
        {"df_monthweekstring", "W", "S"},
        {"df_quarterlongstring", "Quartal", "Trimestre"},
        {"df_quartershortstring", "Q", "T"},
        {"df_fixedtaskbar", "fixiert", "Fixe"},
        {"autonumbercolumn", "Nr.", "No"},
    };
    for (const auto& text : expected) {
        EXPECT_EQ(ValueIn(german, text.key), text.german) << text.key;
        EXPECT_EQ(ValueIn(french, text.key), text.french) << text.key;
    }
    EXPECT_EQ(ValueIn(german, "insertnewpertbarmsg1"), "Ziehen Sie mit der Maus ein Rechteck auf,");
    EXPECT_EQ(ValueIn(german, "insertnewpertbarmsg2"), "um ein neues Objekt anzulegen.");
    EXPECT_EQ(ValueIn(french, "insertnewpertbarmsg2"), "");
    EXPECT_FALSE(ValueIn(french, "insertnewpertbarmsg1").empty());

    // The printing messages put the printer or profile name between these parts in quotes.
    for (const auto* table : {&german, &french}) {
        for (const char* key : {"pp_msg_noprinter_pre", "pp_msg_deleteprofile_pre"})
            EXPECT_TRUE(ValueIn(*table, key).ends_with('"')) << key;
        for (const char* key : {"pp_msg_noprinter_post", "pp_msg_deleteprofile_post"})
            EXPECT_TRUE(ValueIn(*table, key).starts_with('"')) << key;
    }

    const auto english = TableOf(CreateDefaultRessources_ENG);
    // Words spelled the same in both languages.
    const std::set<std::string> sameInGerman = {"pp_ps_layout", "pp_ps_background_position", "pp_ps_text",
                                                "df_monthweekstring", "df_quartershortstring"};
    const std::set<std::string> sameInFrench = {
        "autonumbercolumn", "insertnewpertbarmsg2",      "pp_menu_document", "pp_mi_page",
        "pp_pf_portrait",   "pp_ps_background_position", "pp_ps_image",      "pp_ht_date",
        "pp_sr_page",       "pp_ps_pagination",          "pp_tl_options",    "pp_msg_deleteprofile_post"};

    const struct {
        const char* language;
        std::vector<TLocalString> table;
        const std::set<std::string>& same;
    } translations[] = {
        {"German", german, sameInGerman},
        {"French", french, sameInFrench},
    };
    for (const auto& translation : translations) {
        for (const TLocalString& entry : translation.table) {
            const std::string original = ValueIn(english, entry.Name);
            if (!original.empty()) {
                EXPECT_FALSE(entry.Value.empty()) << translation.language << " " << entry.Name;
            }
            if (!translation.same.contains(entry.Name)) {
                EXPECT_NE(entry.Value, original) << translation.language << " " << entry.Name;
            }
        }
    }
}

} // namespace
