#include "corvane/platform/IniFiles.h"
#include "corvane/platform/Types.h"

#include "support/TestSupport.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace corvane {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class IniFile : public ::testing::Test {
protected:
    // A test takes the write permission from the folder; the removal needs it back.
    void TearDown() override { fs::permissions(FDir, fs::perms::owner_all); }

    std::string PathOf(const std::string& name) const { return Scratch.file(name); }

    std::string Put(const std::string& name, const std::string& bytes) const
    {
        test::writeFile(PathOf(name), bytes);
        return PathOf(name);
    }

    // Sorted names of the entries in a folder below the test's own.
    Strings FilesInDir(const std::string& folder = {}) const
    {
        Strings names;
        for (const auto& entry : fs::directory_iterator(FDir / folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::ScratchDir Scratch;
    const fs::path FDir = Scratch.path();
};

// Root ignores folder permissions, so it checks them as an ordinary user.
class TUnprivileged {
public:
    TUnprivileged() : FWasRoot(::geteuid() == 0)
    {
        if (FWasRoot && ::seteuid(65534) != 0)
            ADD_FAILURE() << "cannot drop privileges";
    }
    ~TUnprivileged()
    {
        if (FWasRoot && ::seteuid(0) != 0)
            ADD_FAILURE() << "cannot restore privileges";
    }

private:
    bool FWasRoot;
};

TEST_F(IniFile, FilesChangeOnlyThroughUpdateFileAndClearStartsAfresh)
{
    {
        TIniFile ini(PathOf("none.ini"));
        EXPECT_EQ(ini.ReadString("s", "k", "def"), "def");
        EXPECT_FALSE(ini.SectionExists("s"));
        EXPECT_FALSE(ini.Modified());
        ini.WriteInteger("s", "k", 7);
    }
    EXPECT_FALSE(fs::exists(PathOf("none.ini")));
    TIniFile ini(PathOf("none.ini"));
    ini.WriteInteger("s", "k", 7);
    ini.UpdateFile();
    EXPECT_EQ(test::readFile(PathOf("none.ini")), "[s]\nk=7\n");

    // Edits dropped without UpdateFile leave an existing file as it was.
    const std::string original = "; kept\r\n[a]\r\nk=1\r\n[b]\r\nj=2\r\n";
    const std::string path = Put("a.ini", original);
    {
        TIniFile dropped(path);
        dropped.WriteInteger("a", "k", 9);
        dropped.DeleteKey("b", "j");
        dropped.EraseSection("a");
        dropped.WriteString("c", "new", "1");
        EXPECT_TRUE(dropped.Modified());
    }
    EXPECT_EQ(test::readFile(path), original);
    EXPECT_EQ(FilesInDir(), (Strings{"a.ini", "none.ini"}));

    // A cleared file is written like a new one.
    TIniFile fresh(PathOf("new.ini"));
    TIniFile old(Put("old.ini", "; comment\r\nstray\r\n[s]\r\nk=old\r\nother=1\r\n[t]\r\nx=1\r\n"));
    old.Clear();
    EXPECT_FALSE(old.SectionExists("t"));
    for (TIniFile* ini : {&fresh, &old}) {
        ini->WriteString("s", "k", "v");
        ini->UpdateFile();
    }
    EXPECT_EQ(test::readFile(PathOf("old.ini")), "[s]\nk=v\n");
    EXPECT_EQ(test::readFile(PathOf("old.ini")), test::readFile(PathOf("new.ini")));
}

TEST_F(IniFile, NamesMatchWithoutCaseWritesAreSeenAtOnceAndTheFirstDuplicateWins)
{
    TIniFile ini(Put("a.ini", "[Main]\nStart Date=1\nrows#count=2\n\n[Other]\nx=1\n"));
    EXPECT_EQ(ini.ReadInteger("MAIN", "start date", 0), 1);
    EXPECT_EQ(ini.ReadInteger("main", "ROWS#COUNT", 0), 2);
    ini.WriteString("main", "START DATE", "5");
    ini.WriteString("MAIN", "rows#0", "Row A");
    ini.WriteString("new", "k", "v");
    EXPECT_EQ(ini.ReadString("Main", "Start Date", ""), "5");
    EXPECT_EQ(ini.ReadString("main", "Rows#0", ""), "Row A");
    EXPECT_EQ(ini.KeyCount("main"), 3u);
    EXPECT_EQ(ini.KeyCount("absent"), 0u);

    Strings names;
    ini.ReadSection("MAIN", names);
    EXPECT_EQ(names, (Strings{"Start Date", "rows#count", "rows#0"}));
    ini.ReadSections(names);
    EXPECT_EQ(names, (Strings{"Main", "Other", "new"}));

    // The key keeps its spelling; new keys go before the section's trailing blank line.
    ini.UpdateFile();
    EXPECT_EQ(test::readFile(ini.FileName()),
              "[Main]\nStart Date=5\nrows#count=2\nrows#0=Row A\n\n[Other]\nx=1\n[new]\nk=v\n");

    // The first of duplicates wins; deleting removes all copies.
    TIniFile dup(Put("dup.ini", "[a]\nk=1\nK=2\nj=3\n[A]\nk=4\nonly=5\n"));
    EXPECT_EQ(dup.ReadInteger("a", "k", 0), 1);
    EXPECT_FALSE(dup.ValueExists("a", "only"));
    EXPECT_EQ(dup.KeyCount("a"), 2u);
    dup.ReadSections(names);
    EXPECT_EQ(names, Strings{"a"});

    dup.WriteInteger("a", "k", 9);
    EXPECT_EQ(dup.ReadInteger("a", "k", 0), 9);
    dup.DeleteKey("A", "K");
    EXPECT_FALSE(dup.ValueExists("a", "k"));
    dup.UpdateFile();
    EXPECT_EQ(test::readFile(dup.FileName()), "[a]\nj=3\n[A]\nk=4\nonly=5\n");

    dup.EraseSection("a");
    EXPECT_FALSE(dup.SectionExists("a"));
    dup.WriteString("a", "fresh", "1");
    dup.UpdateFile();
    EXPECT_EQ(test::readFile(dup.FileName()), "[a]\nfresh=1\n");
}

TEST_F(IniFile, WriteBackKeepsEverythingItDoesNotChangeButLineEnds)
{
    const std::string text = "; preamble\nstray=line\n\n[A]\n; about a\n  spaced key =  spaced value  \n"
                             "junk without equals\n[broken header\n=empty key\nk=old\n\n\n[B] ; note\nz=1";
    TIniFile ini(Put("a.ini", text));
    EXPECT_EQ(ini.ReadString("a", "spaced key", ""), "spaced value");
    EXPECT_EQ(ini.ReadString("a", "", "def"), "empty key");
    EXPECT_EQ(ini.ReadString("b", "z", ""), "1");
    EXPECT_FALSE(ini.ValueExists("a", "stray"));
    EXPECT_FALSE(ini.ValueExists("a", "[broken header"));

    ini.WriteString("a", "k", "new");
    ini.WriteString("a", "added", "1");
    ini.UpdateFile();
    EXPECT_EQ(test::readFile(ini.FileName()),
              "; preamble\nstray=line\n\n[A]\n; about a\n  spaced key =  spaced value  \n"
              "junk without equals\n[broken header\n=empty key\nk=new\nadded=1\n\n\n[B] ; note\nz=1\n");

    // The first line's end is the file's; other line ends are written with it.
    TIniFile mixed(Put("mixed.ini", "; top\r\n[a]\nk=1\r[b]\r\nj=2\n\r\nlast"));
    EXPECT_EQ(mixed.ReadString("b", "j", ""), "2");
    mixed.WriteString("c", "n", "3");
    mixed.UpdateFile();
    EXPECT_EQ(test::readFile(mixed.FileName()), "; top\r\n[a]\r\nk=1\r\n[b]\r\nj=2\r\n\r\nlast\r\n[c]\r\nn=3\r\n");
}

// Random edits with names in random letter case, checked against a plain map.
TEST_F(IniFile, AgreesWithAModelUnderRandomEdits)
{
    using Model = std::map<std::string, std::map<std::string, std::string>>;
    std::mt19937 random(7);
    const auto pick = [&](const char* stem, int count) {
        std::string name = stem + std::to_string(random() % count);
        for (char& c : name)
            if (random() % 2)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return name;
    };
    const auto lower = [](std::string name) {
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return name;
    };
    const auto agrees = [&](const TIniFile& ini, const Model& model) {
        for (int s = 0; s < 40; ++s) {
            const std::string section = "sec" + std::to_string(s);
            const auto found = model.find(section);
            for (int k = 0; k < 300; ++k) {
                const std::string key = "rows#" + std::to_string(k);
                const bool stored = found != model.end() && found->second.contains(key);
                ASSERT_EQ(ini.ReadString(section, key, "?"), stored ? found->second.at(key) : "?")
                    << section << '/' << key;
            }
            ASSERT_EQ(ini.KeyCount(section), found == model.end() ? 0 : found->second.size());
        }
    };

    Model model;
    TIniFile ini(PathOf("a.ini"));
    for (int step = 0; step < 20000; ++step) {
        const std::string section = pick("sec", 40);
        const std::string key = pick("rows#", 300);
        switch (random() % 10) {
        case 0:
            ini.DeleteKey(section, key);
            model[lower(section)].erase(lower(key));
            break;
        case 1:
            if (random() % 20 == 0) {
                ini.EraseSection(section);
                model.erase(lower(section));
            }
            break;
        default:
            ini.WriteInteger(section, key, step);
            model[lower(section)][lower(key)] = std::to_string(step);
        }
    }
    agrees(ini, model);
    ini.UpdateFile();
    agrees(TIniFile(ini.FileName()), model);
}

TEST_F(IniFile, AwkwardValuesRoundTripExactlyAndCannotInjectLines)
{
    const Strings values = {"  leading", "trailing\t", "\"quoted\"", "\"", "\"\"", "a=b=c", "x ; y",
                            "; looks like a comment", "[not a section]", "", " ", "\"half", "tab\tinside"};
    {
        TIniFile ini(PathOf("a.ini"));
        for (std::size_t i = 0; i < values.size(); ++i) {
            ini.WriteString("s", "k" + std::to_string(i), values[i]);
            EXPECT_EQ(ini.ReadString("s", "k" + std::to_string(i), "?"), values[i]);
        }
        ini.UpdateFile();
    }
    TIniFile ini(PathOf("a.ini"));
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(ini.ReadString("s", "k" + std::to_string(i), "?"), values[i]) << i;
    // Writing the value already there changes nothing.
    ini.WriteString("s", "k0", values[0]);
    EXPECT_FALSE(ini.Modified());

    // Names and values cannot inject lines.
    {
        TIniFile injected(PathOf("injected.ini"));
        injected.WriteString("s", "v", "a\r\n[evil]\nx=1");
        injected.WriteString("s]\n[t", "k", "1");
        injected.WriteString("s", "key=with=equals", "2");
        injected.WriteString("s", "[hdr]", "3");
        injected.WriteString("s", "; comment", "4");
        EXPECT_EQ(injected.ReadString("s", "v", ""), "a  [evil] x=1");
        EXPECT_EQ(injected.ReadInteger("s] [t", "k", 0), 1);
        injected.UpdateFile();
    }
    TIniFile injected(PathOf("injected.ini"));
    Strings names;
    injected.ReadSections(names);
    EXPECT_EQ(names, (Strings{"s", "s] [t"}));
    injected.ReadSection("s", names);
    EXPECT_EQ(names, (Strings{"v", "key with equals", "hdr]", "comment"}));
    EXPECT_EQ(injected.ReadString("s", "v", ""), "a  [evil] x=1");
    // The same names find the cleaned keys.
    EXPECT_EQ(injected.ReadInteger("s", "key=with=equals", 0), 2);
    EXPECT_EQ(injected.ReadInteger("s", "[hdr]", 0), 3);
}

TEST_F(IniFile, UpdateFileReplacesTheFileAtomically)
{
    const std::string original = "[s]\nk=1\n";
    const std::string path = Put("a.ini", original);
    ::chmod(path.c_str(), 0640);
    TIniFile ini(path);
    ini.WriteInteger("s", "k", 2);
    EXPECT_EQ(test::readFile(path), original);
    ini.UpdateFile();
    EXPECT_EQ(test::readFile(path), "[s]\nk=2\n");
    EXPECT_EQ(FilesInDir(), Strings{"a.ini"});
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
    EXPECT_FALSE(ini.Modified());

    ::chmod(path.c_str(), 0644);
    ini.WriteInteger("s", "k", 3);
    fs::permissions(FDir, fs::perms(0555));
    {
        TUnprivileged unprivileged;
        EXPECT_THROW(ini.UpdateFile(), EFileError);
    }
    EXPECT_TRUE(ini.Modified());
    EXPECT_EQ(test::readFile(path), "[s]\nk=2\n");
    EXPECT_EQ(FilesInDir(), Strings{"a.ini"});
}

TEST_F(IniFile, UpdateFileThroughLinksReplacesTheFileTheyLeadTo)
{
    fs::create_directories(FDir / "real");
    fs::create_directories(FDir / "links");
    const std::string target = Put("real/doc.ini", "[s]\nk=1\n");
    ::chmod(target.c_str(), 0640);
    // A relative link to an absolute one: links/doc.ini -> chain.ini -> <dir>/real/doc.ini.
    fs::create_symlink(target, FDir / "links" / "chain.ini");
    fs::create_symlink("chain.ini", FDir / "links" / "doc.ini");
    fs::create_symlink("../real/missing.ini", FDir / "links" / "dangling.ini");

    TIniFile ini(PathOf("links/doc.ini"));
    EXPECT_EQ(ini.ReadInteger("s", "k", 0), 1);
    ini.WriteInteger("s", "k", 2);
    ini.UpdateFile();
    EXPECT_TRUE(fs::is_symlink(FDir / "links" / "doc.ini"));
    EXPECT_TRUE(fs::is_symlink(FDir / "links" / "chain.ini"));
    EXPECT_EQ(test::readFile(target), "[s]\nk=2\n");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));

    TIniFile dangling(PathOf("links/dangling.ini"));
    dangling.WriteInteger("s", "k", 3);
    dangling.UpdateFile();
    EXPECT_TRUE(fs::is_symlink(FDir / "links" / "dangling.ini"));
    EXPECT_EQ(test::readFile(PathOf("real/missing.ini")), "[s]\nk=3\n");

    // Links that lead back to themselves fail instead of looping.
    TIniFile looped(PathOf("links/loop.ini"));
    fs::create_symlink("loop.ini", FDir / "links" / "loop.ini");
    looped.WriteInteger("s", "k", 4);
    EXPECT_THROW(looped.UpdateFile(), EFileError);

    EXPECT_EQ(FilesInDir("links"), (Strings{"chain.ini", "dangling.ini", "doc.ini", "loop.ini"}));
    EXPECT_EQ(FilesInDir("real"), (Strings{"doc.ini", "missing.ini"}));
}

TEST_F(IniFile, UnreadableFileThrows)
{
    fs::create_directories(PathOf("folder.ini"));
    try {
        TIniFile ini(PathOf("folder.ini"));
        FAIL() << "no exception";
    } catch (const EFileError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("folder.ini"), std::string::npos);
        EXPECT_EQ(message.find('\n'), std::string::npos);
    }
}

// UTF-16 bytes with their byte order mark.
std::string Utf16(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

TEST_F(IniFile, ReadsUnicodeAndWindows1252WritesUtf8)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\xEF\xBB\xBF[s]\nk=\xC3\xA4\n", "\xC3\xA4"},
        {Utf16(u"[s]\nk=\u00E4\U0001F600\n", false), "\xC3\xA4\xF0\x9F\x98\x80"},
        {Utf16(u"[s]\nk=\u00E4", true), "\xC3\xA4"},
        // A lone surrogate and an odd last byte.
        {Utf16(u"[s]\nk=\xD800x", false) + 'A', "\xEF\xBF\xBDx\xEF\xBF\xBD"},
        {"[s]\nk=\xE4\x80\x9F\x81\n", "\xC3\xA4\xE2\x82\xAC\xC5\xB8\xC2\x81"},
        // An overlong form and an encoded surrogate are not UTF-8.
        {"[s]\nk=\xC0\xAF\xED\xA0\x80\n", "\xC3\x80\xC2\xAF\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
    };
    for (const auto& [bytes, expected] : cases) {
        TIniFile ini(Put("a.ini", bytes));
        EXPECT_EQ(ini.ReadString("S", "K", "?"), expected);
        ini.WriteString("s", "n", "1");
        ini.UpdateFile();
        EXPECT_EQ(test::readFile(ini.FileName()), "[s]\nk=" + expected + "\nn=1\n");
    }
}

TEST_F(IniFile, KeepsTheLineEndOfTheFile)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"[s]\r\nk=1\r\n", "[s]\r\nk=1\r\nn=2\r\n"}, {"[s]\rk=1\r", "[s]\rk=1\rn=2\r"},
        {"[s]\nk=1\r\n", "[s]\nk=1\nn=2\n"}, {"[s]\r\nk=1", "[s]\r\nk=1\r\nn=2\r\n"}};
    for (const auto& [text, written] : cases) {
        TIniFile ini(Put("a.ini", text));
        EXPECT_EQ(ini.ReadInteger("s", "k", 0), 1);
        ini.WriteInteger("s", "n", 2);
        ini.UpdateFile();
        EXPECT_EQ(test::readFile(ini.FileName()), written);
    }
}

TEST_F(IniFile, SurvivesHostileInput)
{
    std::mt19937 random(42);
    std::string noise(1 << 16, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    const Strings inputs = {"", noise, std::string("[s\0]\nk\0=v\0w\n\0\0", 14),
                            "[s]\nlong=" + std::string(1 << 20, 'x'), std::string(1 << 20, '['),
                            std::string(1 << 20, '\r'), "[s]\nk=trunc"};
    for (const std::string& input : inputs) {
        {
            TIniFile ini(Put("a.ini", input));
            Strings names;
            ini.ReadSections(names);
            ini.WriteString("probe", "k", "v");
            ini.UpdateFile();
        }
        TIniFile ini(PathOf("a.ini"));
        EXPECT_EQ(ini.ReadString("probe", "k", ""), "v");
    }
    TIniFile ini(Put("a.ini", inputs.back()));
    EXPECT_EQ(ini.ReadString("s", "k", ""), "trunc");
}

// Large sections are indexed, small ones searched; both must behave alike.
TEST_F(IniFile, SectionsLargeSmallGrowingOrErasedKeepTheirOwnLines)
{
    std::string large = "[Large]\r\n; counted\r\n";
    for (int i = 0; i < 40; ++i)
        large += "k" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    large += "K7=shadowed\r\n\r\n";
    const std::string text = "[Small]\r\nk7=small\r\nK7=shadowed\r\n; note\r\n\r\n" + large + "[Tail]\r\nz=1";
    TIniFile ini(Put("a.ini", text));
    EXPECT_EQ(ini.ReadInteger("large", "K39", 0), 39);
    EXPECT_EQ(ini.ReadString("LARGE", "k7", ""), "7");
    EXPECT_EQ(ini.ReadString("small", "k7", ""), "small");
    EXPECT_EQ(ini.KeyCount("Large"), 40u);
    EXPECT_EQ(ini.KeyCount("Small"), 1u);
    Strings keys;
    ini.ReadSection("small", keys);
    EXPECT_EQ(keys, Strings{"k7"});
    ini.ReadSection("large", keys);
    ASSERT_EQ(keys.size(), 40u);
    EXPECT_EQ(keys.back(), "k39");

    // An unchanged document is not written at all; a change rewrites its own line only.
    ini.WriteString("Large", "k7", "7");
    EXPECT_FALSE(ini.Modified());
    ini.WriteString("Small", "k7", "changed");
    ini.DeleteKey("Large", "k3");
    ini.UpdateFile();
    std::string expected = text;
    expected.replace(expected.find("k7=small"), 8, "k7=changed");
    expected.erase(expected.find("k3=3\r\n"), 6);
    EXPECT_EQ(test::readFile(ini.FileName()), expected + "\r\n");

    // Sections share room that grows and is given back; no line may move or be lost.
    TIniFile shared(Put("shared.ini", "[Kept]\nk=1\n\n\n[Gone]\ng=1\n"));
    for (int i = 0; i < 20; ++i)
        shared.WriteInteger("Gone", "g" + std::to_string(i), i);
    shared.EraseSection("gone");
    std::string kept = "[Kept]\nk=1\n";
    std::string grown = "[Grown]\n", small = "[Small]\n", empty = "[Empty]\n";
    shared.WriteString("Empty", "dropped", "x");
    shared.DeleteKey("Empty", "dropped");
    // Interleaved, so that each section grows while the others take room.
    for (int i = 0; i < 200; ++i) {
        shared.WriteInteger("Grown", "n" + std::to_string(i), i);
        grown += "n" + std::to_string(i) + "=" + std::to_string(i) + "\n";
        shared.WriteInteger("Kept", "k" + std::to_string(i), -i);
        kept += "k" + std::to_string(i) + "=" + std::to_string(-i) + "\n";
        if (i % 50 == 0) {
            shared.WriteString("Small", "s" + std::to_string(i), "");
            small += "s" + std::to_string(i) + "=\n";
        }
    }
    shared.WriteString("Grown", "N7", " quoted ");
    grown.replace(grown.find("n7=7"), 4, "n7=\" quoted \"");
    shared.EraseSection("Small");
    shared.WriteString("Later", "l", "1");
    // Blank lines that ended the section stay behind the keys added to it.
    kept += "\n\n" + empty + grown + "[Later]\nl=1\n";
    EXPECT_EQ(shared.KeyCount("kept"), 201u);
    EXPECT_EQ(shared.ReadString("grown", "n199", ""), "199");
    shared.UpdateFile();
    EXPECT_EQ(test::readFile(shared.FileName()), kept);
    TIniFile reread(shared.FileName());
    EXPECT_EQ(reread.ReadString("grown", "n7", ""), " quoted ");
    EXPECT_EQ(reread.KeyCount("Grown"), 200u);
    EXPECT_FALSE(reread.SectionExists("Small"));
}

// Remembered sections of one image or an erased section must not answer for another.
TEST_F(IniFile, SectionsAreRememberedAndPositionedWithoutMixingThemUp)
{
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "[s" + std::to_string(i) + "]\nv=" + std::to_string(i) + "\n";
    {
        TIniFile first(Put("first.ini", text));
        for (const int i : {3, 4, 5, 40, 4, 3, 49, 0})
            EXPECT_EQ(first.ReadInteger("s" + std::to_string(i), "v", -1), i);
    }
    TIniFile second(Put("second.ini", "[s3]\nw=1\n[s4]\nv=44\n"));
    EXPECT_FALSE(second.ValueExists("s3", "v"));
    EXPECT_EQ(second.ReadInteger("s4", "v", -1), 44);
    EXPECT_FALSE(second.SectionExists("s5"));

    second.EraseSection("s4");
    EXPECT_EQ(second.ReadInteger("s4", "v", -1), -1);
    second.WriteInteger("S4", "v", 7);
    EXPECT_EQ(second.ReadInteger("s4", "v", -1), 7);

    // One position per section however spelled; a new space whenever a name could move.
    std::string positions = "[A]\nk=1\n[b]\nk=b\n[a]\nk=2\n  [ c d ]  \nk=c\n";
    for (int i = 0; i < 40; ++i)
        positions += "[s" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";
    TIniFile ini(Put("positions.ini", positions));
    const std::size_t a = ini.SectionPosition("A");
    ASSERT_NE(a, TIniFile::NoSection);
    EXPECT_LT(a, ini.SectionCount());
    EXPECT_EQ(ini.SectionPosition("a"), a) << "the first of duplicates";
    EXPECT_EQ(ini.SectionPosition(" a\t"), a);
    EXPECT_EQ(ini.SectionPosition("C D"), ini.SectionPosition("c d"));
    EXPECT_NE(ini.SectionPosition("b"), a);
    EXPECT_EQ(ini.SectionPosition("e"), TIniFile::NoSection);
    EXPECT_EQ(ini.SectionPosition(""), TIniFile::NoSection);

    // Sections read in file order with lookups of others in between.
    for (int i = 0; i < 40; ++i) {
        const std::string name = "s" + std::to_string(i);
        EXPECT_NE(ini.SectionPosition(name), TIniFile::NoSection);
        EXPECT_NE(ini.SectionPosition("s" + std::to_string(39 - i)), TIniFile::NoSection);
        EXPECT_EQ(ini.SectionPosition(name), ini.SectionPosition("S" + std::to_string(i)));
        ASSERT_EQ(ini.ReadInteger(name, "k", -1), i);
        EXPECT_EQ(ini.SectionPosition("A"), a);
    }

    const std::uint64_t space = ini.PositionSpace();
    ini.WriteString("New", "k", "1");
    ini.WriteString("A", "k", "3");
    EXPECT_EQ(ini.SectionPosition("new"), ini.SectionCount() - 1);
    EXPECT_EQ(ini.SectionPosition("A"), a);
    EXPECT_EQ(ini.PositionSpace(), space) << "adding a section moves none";
    ini.EraseSection("b");
    EXPECT_EQ(ini.SectionPosition("b"), TIniFile::NoSection);
    const std::uint64_t afterErase = ini.PositionSpace();
    EXPECT_NE(afterErase, space);
    ini.WriteString("B", "k", "again");
    EXPECT_EQ(ini.SectionPosition("b"), ini.SectionCount() - 1);
    ini.Clear();
    EXPECT_NE(ini.PositionSpace(), afterErase);
    EXPECT_NE(TIniFile(Put("other.ini", positions)).PositionSpace(), ini.PositionSpace());
}

// Large files are read in two halves at once: a section across the middle, a repeated name, a
// character cut by the middle, either line end and a byte order mark read as in a small file.
TEST_F(IniFile, LargeFilesReadWhole)
{
    for (const std::string lineEnd : {"\n", "\r\n"}) {
        const std::string bom = lineEnd.size() == 2 ? "\xEF\xBB\xBF" : "";
        std::string text = bom;
        const auto add = [&](const std::string& line) { text += line + lineEnd; };
        const auto addBars = [&](int from, std::size_t untilSize) {
            for (int i = from; text.size() < untilSize; ++i) {
                add("[Bar " + std::to_string(i) + "]");
                add("typeID=Task Bar");
                add("start=" + std::to_string(i));
            }
        };
        addBars(0, 10 * 1024 * 1024 - 20'000);
        add("[Wide]");
        for (int k = 0; k < 2000; ++k)
            add("key" + std::to_string(k) + "=\xC3\xA4" + std::to_string(k));
        addBars(1'000'000, 20 * 1024 * 1024);
        add("[BAR 7]");
        add("start=-7");
        add(";");
        while ((static_cast<unsigned char>(text[text.size() / 2]) & 0xC0) != 0x80)
            text.insert(text.size() - lineEnd.size(), "x");
        TIniFile ini(Put("large.ini", text));
        EXPECT_EQ(ini.ReadInteger("bar 0", "start", -1), 0);
        EXPECT_EQ(ini.ReadInteger("bar 7", "start", -1), 7);
        EXPECT_EQ(ini.ReadInteger("bar 1100000", "start", -1), 1100000);
        EXPECT_EQ(ini.ReadString("wide", "key0", ""), "\xC3\xA4" "0");
        EXPECT_EQ(ini.ReadString("wide", "key1999", ""), "\xC3\xA4" "1999");
        std::vector<std::string> keys;
        ini.ReadSection("Wide", keys);
        EXPECT_EQ(keys.size(), 2000u);
        ini.WriteString("Bar 0", "start", "1");
        ini.WriteString("Wide", "key1999", "last");
        ini.UpdateFile();
        std::string expected = text.substr(bom.size());
        expected.replace(expected.find("start=0"), 7, "start=1");
        const std::string lastKey = "key1999=\xC3\xA4" "1999";
        expected.replace(expected.find(lastKey), lastKey.size(), "key1999=last");
        EXPECT_TRUE(test::readFile(ini.FileName()) == expected) << "line end of " << lineEnd.size() << " bytes";

        // Not UTF-8 in the second half: every byte is converted.
        TIniFile converted(Put("cp1252.ini", text.substr(bom.size()) + "[Euro]" + lineEnd + "sign=\x80"));
        EXPECT_EQ(converted.ReadString("euro", "sign", ""), "\xE2\x82\xAC");
        EXPECT_EQ(converted.ReadString("wide", "key0", ""), "\xC3\x83\xC2\xA4" "0");
    }
}

TEST_F(IniFile, ThreadsReadTheSameImageAtOnce)
{
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "[Row " + std::to_string(i) + "]\nheight=" + std::to_string(i) + "\nname=Task " + std::to_string(i) + "\n";
    const TIniFile ini(Put("a.ini", text));
    std::vector<int> wrong(4, 0);
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round)
                for (int i = t; i < 2000; i += 3) {
                    const std::string section = "Row " + std::to_string(i);
                    wrong[t] += ini.ReadInteger(section, "height", -1) != i;
                    wrong[t] += ini.ReadString(section, "name", "") != "Task " + std::to_string(i);
                }
        });
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

TEST_F(IniFile, NumbersParseStrictlyAndFallBackToTheDefault)
{
    TIniFile ini(PathOf("a.ini"));
    const std::vector<std::pair<std::string, int>> integers = {
        {" 12 ", 12}, {"-7", -7}, {"+7", 7}, {"$FF", 255}, {"0x1f", 31}, {"$FFFFFFFF", -1}, {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1}, {"\t 12 \t", 12}, {"12abc", -99}, {"99999999999", -99}, {"2147483648", -99},
        {"$100000000", -99}, {"", -99}, {"- 1", -99}, {"--1", -99}, {"0x", -99}, {"1.5", -99}, {"true", -99}};
    for (const auto& [text, expected] : integers) {
        ini.WriteString("s", "k", text);
        EXPECT_EQ(ini.ReadInteger("s", "k", -99), expected) << text;
    }
    EXPECT_TRUE(ini.ReadBool("s", "absent", true));
    ini.WriteBool("s", "b", false);
    EXPECT_FALSE(ini.ReadBool("s", "b", true));

    const std::vector<std::pair<std::string, double>> reals = {
        {"3,5", 3.5}, {"3.5", 3.5},   {" -1e3 ", -1000}, {"+2.5", 2.5}, {".5", 0.5},    {"1,5e2", 150},
        {"abc", -99}, {"1.2.3", -99}, {"inf", -99},      {"nan", -99},  {"1e999", -99}, {"", -99}};
    for (const auto& [text, expected] : reals) {
        ini.WriteString("s", "f", text);
        EXPECT_EQ(ini.ReadFloat("s", "f", -99), expected) << text;
    }
    for (const double value : {0.1, 1.0 / 3, 45000.75, -0.0, 1e300, DBL_MIN, DBL_MAX, 5e-324}) {
        ini.WriteFloat("s", "f", value);
        EXPECT_EQ(ini.ReadString("s", "f", "").find(','), std::string::npos);
        EXPECT_EQ(ini.ReadFloat("s", "f", -99), value);
        EXPECT_EQ(std::signbit(ini.ReadFloat("s", "f", 1)), std::signbit(value));
    }
}

} // namespace
} // namespace corvane
