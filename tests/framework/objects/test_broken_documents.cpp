// Every document of the broken corpus loads what can be loaded and reports the rest.
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"

#include "support/TestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::Capture;

namespace {

struct BrokenCase {
    const char* file;
    bool rootLoads;
    const char* expectedMessage; // one message that must be among those shown; may be empty
    std::size_t messageCount;    // exact number of messages, or npos for "any"
    const char* loadedSection;   // a section that must have loaded; may be empty
};

constexpr std::size_t Any = static_cast<std::size_t>(-1);

const BrokenCase brokenCases[] = {
    {"empty.ini", false, "Warning: Unknown type idMISSING", 2, ""},
    {"random-bytes.ini", false, "Error loading root", 2, ""},
    {"truncated.ini", true, "Error loading Tree", 8, "T"},
    {"long-line.ini", true, "", 0, "R2"},
    {"no-root.ini", false, "Warning: Unknown type idMISSING", 2, ""},
    {"unknown-root-type.ini", false, "Warning: Unknown type idSpreadsheet", 2, ""},
    {"self-reference.ini", true, "Warning! Circular reference. Involved object: Node", 1, "Node"},
    {"mutual-reference.ini", true, "Warning! Circular reference. Involved object: A", 1, "B"},
    {"missing-list.ini", true, "Error loading Missing Row 9999", 20000, "T"},
    {"huge-counts.ini", true, "", Any, "R1"},
    {"non-numeric.ini", true, "", 0, "Cal"},
    {"german-decimals.ini", true, "", 0, "R1"},
    {"crlf.ini", true, "", 0, "Weekends"},
    {"utf16.ini", true, "", 0, "Zeile \xC3\x84" "1"},
    {"windows-1252.ini", true, "", 0, "Zeile \xC3\x84" "1 \xE2\x82\xAC"},
};

std::string corpusFile(const char* name) { return std::string(CORVANE_TEST_DATA) + "/broken/" + name; }

} // namespace

TEST(BrokenDocuments, LoadWhatCanBeLoadedAndReportTheRest)
{
    for (const BrokenCase& c : brokenCases) {
        SCOPED_TRACE(c.file);
        auto media = TQVTMediaFactory::CreateMedia("file://" + corpusFile(c.file));
        TQVTEntityFactory factory;
        Capture capture;
        const auto root = factory.loadObject("root", *media, nullptr);
        EXPECT_EQ(root != nullptr, c.rootLoads);
        if (c.messageCount != Any) {
            EXPECT_EQ(capture.messages.size(), c.messageCount);
        }
        if (*c.expectedMessage) {
            EXPECT_NE(std::find(capture.messages.begin(), capture.messages.end(), c.expectedMessage),
                      capture.messages.end());
        }
        if (*c.loadedSection) {
            EXPECT_NE(factory.getLoadedObject(c.loadedSection), nullptr);
        }
    }
}

TEST(BrokenDocuments, AbsurdCountsAndTextNumbersGiveShortLists)
{
    Capture capture;
    auto huge = TQVTMediaFactory::CreateMedia("file://" + corpusFile("huge-counts.ini"));
    std::vector<std::string> rows;
    EXPECT_TRUE(huge->getStrArrayProperty("T", "rows", rows));
    EXPECT_LE(rows.size(), 3u);
    EXPECT_FALSE(huge->getStrArrayProperty("Cal", "categories", rows));

    auto numbers = TQVTMediaFactory::CreateMedia("file://" + corpusFile("non-numeric.ini"));
    EXPECT_FALSE(numbers->getStrArrayProperty("T", "rows", rows));
    int height = 0;
    EXPECT_TRUE(numbers->getIntProperty("R1", "height", 17, height));
    EXPECT_EQ(height, 17);
    double notAReal = 0;
    EXPECT_TRUE(numbers->getRealProperty("R1", "start", 2.5, notAReal));
    EXPECT_EQ(notAReal, 2.5);

    auto german = TQVTMediaFactory::CreateMedia("file://" + corpusFile("german-decimals.ini"));
    double start = 0;
    EXPECT_TRUE(german->getRealProperty("R1", "start date", 0, start));
    EXPECT_DOUBLE_EQ(start, 45292.75);
}
