// The include structure: each subsystem includes only its own headers and those of the
// subsystems below it, public headers never include internal ones, and every include of the
// library goes through the <corvane/...> path.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// From the bottom up. A subsystem may include what has a rank lower than or equal to its own.
// The PERT box is part of a chart row and a PERT bar is a bar, so the two share a rank.
const std::map<std::string, int> Ranks = {
    {"platform", 0},  {"localization", 1}, {"media", 1}, {"objects", 2}, {"rendering", 3},
    {"time", 4},      {"tasktable", 5},    {"chart", 6}, {"pert", 6},    {"interaction", 7},
    {"widgets", 8},
};

// The table of type identifiers names every persistent class so that the factory can create
// it: it closes the object model and is the one unit that includes from every subsystem.
const std::string TypeTable = "framework/objects/qvtEntityTypes.cpp";

struct Unit {
    std::string path; // relative to src/
    std::string subsystem;
    std::vector<std::string> includes;
};

std::string subsystemOf(const std::string& relative)
{
    if (relative.rfind("platform/", 0) == 0)
        return "platform";
    if (relative.rfind("widgets/", 0) == 0)
        return "widgets";
    const auto first = relative.find('/');
    const auto second = relative.find('/', first + 1);
    return relative.substr(first + 1, second - first - 1);
}

std::vector<Unit> sourceUnits()
{
    const fs::path root = fs::path(CORVANE_SOURCE_DIR) / "src";
    const std::regex include(R"(^\s*#\s*include\s*[<"]([^>"]+)[>"])");
    std::vector<Unit> units;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp"))
            continue;
        Unit unit;
        unit.path = fs::relative(entry.path(), root).generic_string();
        unit.subsystem = subsystemOf(unit.path);
        std::ifstream in(entry.path());
        std::string line;
        std::smatch match;
        while (std::getline(in, line))
            if (std::regex_search(line, match, include))
                unit.includes.push_back(match[1]);
        units.push_back(std::move(unit));
    }
    return units;
}

} // namespace

TEST(Layering, EverySubsystemHasARank)
{
    for (const Unit& unit : sourceUnits())
        EXPECT_TRUE(Ranks.contains(unit.subsystem)) << unit.path << " lies in an unranked folder";
}

TEST(Layering, NoUnitIncludesASubsystemAboveItsOwn)
{
    for (const Unit& unit : sourceUnits()) {
        if (unit.path == TypeTable || !Ranks.contains(unit.subsystem))
            continue;
        for (const std::string& included : unit.includes) {
            if (included.rfind("corvane/", 0) != 0 || included == "corvane/corvane.h")
                continue;
            const std::string target = subsystemOf(included.substr(std::string("corvane/").size()));
            ASSERT_TRUE(Ranks.contains(target)) << unit.path << " includes " << included;
            EXPECT_LE(Ranks.at(target), Ranks.at(unit.subsystem)) << unit.path << " includes " << included;
        }
    }
}

TEST(Layering, LibraryHeadersAreIncludedThroughTheCorvanePath)
{
    for (const Unit& unit : sourceUnits())
        for (const std::string& included : unit.includes)
            EXPECT_FALSE(included.rfind("platform/", 0) == 0 || included.rfind("framework/", 0) == 0)
                << unit.path << " includes " << included;
}

TEST(Layering, PublicHeadersIncludeNoInternalHeader)
{
    for (const Unit& unit : sourceUnits()) {
        const bool isPublicHeader = unit.path.ends_with(".h") && !unit.path.ends_with("_p.h");
        if (!isPublicHeader || unit.path.rfind("platform/qt/", 0) == 0)
            continue;
        for (const std::string& included : unit.includes) {
            EXPECT_FALSE(included.ends_with("_p.h")) << unit.path << " includes " << included;
            EXPECT_EQ(included.find("platform/qt/"), std::string::npos) << unit.path << " includes " << included;
        }
    }
}
