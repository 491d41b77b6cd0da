// The command-line tool on real and hostile files: exit codes, output, and what render writes.
#include "support/HostileDocuments.h"
#include "support/TestSupport.h"

#include <QImage>

#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace corvane::test;

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
};

ToolRun run(const std::string& arguments)
{
    ToolRun result;
    const std::string command = std::string(CORVANE_TOOL) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

int runTool(const std::string& arguments)
{
    return run(arguments).exitCode;
}

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

const std::string sample = quoted(std::string(CORVANE_SOURCE_DIR) + "/examples/every-type.ini");

} // namespace

TEST(CorvaneCli, InfoShowsTheBuiltInGraph)
{
    const ToolRun info = run("info");
    EXPECT_EQ(info.exitCode, 0) << info.out;
    EXPECT_NE(info.out.find("\"root\"  typeID \"Document\"  TQVTGanttDocument"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("rows[0] -> \"Default Gantt Row\""), std::string::npos);
    EXPECT_NE(info.out.find("(shared)"), std::string::npos);
    EXPECT_NE(info.out.find("Messages (0)"), std::string::npos);

    const ToolRun json = run("info --json default");
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.out.rfind("{\n\"loaded\": true", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("\"class\": \"TQVTTreeAutoCell\""), std::string::npos);
}

TEST(CorvaneCli, ExitCodesTellUsageErrorsFromDocumentsThatDidNotLoad)
{
    EXPECT_EQ(run("").exitCode, 64);
    EXPECT_EQ(run("frobnicate").exitCode, 64);
    EXPECT_EQ(run("info --bogus").exitCode, 64);
    EXPECT_EQ(run("convert only-one").exitCode, 64);
    const ToolRun missing = run("info /nonexistent/plan.ini");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.out.find("no such file"), std::string::npos) << missing.out;
    const ToolRun unknown = run("info " + quoted(std::string(CORVANE_TEST_DATA) + "/broken/unknown-root-type.ini"));
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.out.find("Warning: Unknown type idSpreadsheet"), std::string::npos);
}

TEST(CorvaneCli, ConvertWritesADocumentThatLoadsAgain)
{
    ScratchDir dir;
    const auto target = dir.file("copy.ini");
    EXPECT_EQ(run("convert default " + quoted(target)).exitCode, 0);
    const ToolRun info = run("info " + quoted(target));
    EXPECT_EQ(info.exitCode, 0) << info.out;
    EXPECT_NE(info.out.find("TQVTTreeAutoCellNumber"), std::string::npos);
    EXPECT_EQ(run("convert default " + quoted(dir.file("copy.txt"))).exitCode, 64);
}

TEST(CorvaneCli, NeverCrashesOnTheBrokenCorpus)
{
    ScratchDir dir;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(CORVANE_TEST_DATA) + "/broken")) {
        const std::string file = entry.path().string();
        SCOPED_TRACE(file);
        const int info = run("info --json " + quoted(file)).exitCode;
        EXPECT_TRUE(info == 0 || info == 2) << info;
        const int convert = run("convert " + quoted(file) + " " + quoted(dir.file("out.ini"))).exitCode;
        EXPECT_TRUE(convert == 0 || convert == 2) << convert;
    }
}

TEST(CorvaneCli, ConvertIntoAnExistingFileWritesTheSameBytesAsIntoANewOne)
{
    ScratchDir dir;
    ASSERT_EQ(run("convert " + sample + " " + quoted(dir.file("new.ini"))).exitCode, 0);
    const std::string expected = corvane::test::readFile(dir.file("new.ini"));

    corvane::test::writeFile(dir.file("older.ini"), "; an older plan\r\n[root]\r\ntypeID=Document\r\nstale=1\r\n"
                                                    "[Removed Legend]\r\ntypeID=Legend\r\n");
    corvane::test::writeFile(dir.file("unrelated.ini"), "not a document at all\n\xE4\xF6\xFC\n[x");
    corvane::test::writeFile(dir.file("real.ini"), "[root]\nstale=1\n");
    std::filesystem::create_symlink("real.ini", dir.path() / "link.ini");
    for (const std::string name : {"older.ini", "unrelated.ini", "link.ini"}) {
        SCOPED_TRACE(name);
        const ToolRun convert = run("convert " + sample + " " + quoted(dir.file(name)));
        EXPECT_EQ(convert.exitCode, 0) << convert.out;
        EXPECT_EQ(corvane::test::readFile(dir.file(name)), expected);
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link.ini"));
}

TEST(CorvaneCli, InfoShowsTheCalendarRowsBarsAndConnections)
{
    const ToolRun text = run("info " + sample);
    EXPECT_EQ(text.exitCode, 0) << text.out;
    EXPECT_NE(text.out.find("Calendar \"Plan Calendar\": time mode tmDay, 4 categories"), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("1. \"Weekends\"  colour $027FFFFF  working no  visible yes"), std::string::npos);
    EXPECT_NE(text.out.find("4. \"Maintenance\"  colour clSilver"), std::string::npos);
    EXPECT_NE(text.out.find("TQVTRecurringDateException \"Service window\"  2026-01-01 00:00 .. 2028-01-01 00:00"
                            "  every 1 tmMonth, days 1..1, hours 6..12"),
              std::string::npos);
    EXPECT_NE(text.out.find("Rows (3)"), std::string::npos);
    EXPECT_NE(text.out.find("TQVTSummaryBar \"Build Phase\""), std::string::npos);
    EXPECT_NE(text.out.find("\"Design to Build\"  \"Design\" -> \"Build Phase\""), std::string::npos);
    EXPECT_NE(text.out.find("Task table (3 rows) | Remark | Name | Notes | Due | Effort | Cost | Status | Signal | End "
                            "| Link | No. | Start | Task\n  [0] 1.  level 0, leaf |  | Phase 1 Concept | Kick-off with "
                            "the whole team | 20.03.2026 18:00 | 12 | 1.250,50 EUR | Open | Green | 20.03.2026 |"),
              std::string::npos);
    EXPECT_NE(text.out.find("\n  [2]   2.1.  level 1, leaf |  | Acceptance review | With the customer |"),
              std::string::npos);

    const ToolRun json = run("info --json " + sample);
    EXPECT_EQ(json.exitCode, 0) << json.out;
    EXPECT_NE(json.out.find("\"calendar\": {\"section\": \"Plan Calendar\", \"timeMode\": \"tmDay\""),
              std::string::npos);
    EXPECT_NE(json.out.find("\"unit\": \"tmMonth\", \"period\": 1"), std::string::npos);
    EXPECT_NE(json.out.find("\"document\": {\"startDate\": "), std::string::npos);
    EXPECT_NE(json.out.find("{\"section\": \"Design\", \"class\": \"TQVTTaskBar\""), std::string::npos);
    EXPECT_NE(json.out.find("\"from\": \"Design\", \"to\": \"Build Phase\""), std::string::npos);
    EXPECT_NE(json.out.find("\"taskColumns\": [\"Remark\", \"Name\""), std::string::npos);
    EXPECT_NE(json.out.find("{\"index\": 2, \"level\": 1, \"number\": \"2.1.\", \"state\": \"leaf\", \"cells\": [\"\", "
                            "\"Acceptance review\", \"With the customer\""),
              std::string::npos);
}

TEST(Render, BadOptionsExit64AndWriteNothing)
{
    ScratchDir dir;
    const std::string out = quoted(dir.file("out.png"));
    const std::vector<std::string> cases = {
        "render", "render default", "render default " + quoted(dir.file("out.gif")),
          "render default " + out + " --width 0", "render default " + out + " --width 12x",
          "render default " + out + " --rows 5-2", "render default " + out + " --rows 5",
          "render default " + out + " --from 2026-02-30", "render default " + out + " --zoom fortnight",
          "render default " + out + " --from 2026-03-01 --to 2026-02-01", "render default " + out + " --colour red",
          "render default " + out + " --width"};
    for (const std::string& arguments : cases)
        EXPECT_EQ(runTool(arguments), 64) << arguments;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.png")));
}

TEST(Render, ADocumentThatDoesNotLoadExits2)
{
    ScratchDir dir;
    const std::string doc = dir.file("not-a-schedule.ini");
    writeFile(doc, "[root]\ntypeID=Tree Node\n");
    EXPECT_EQ(runTool("render " + quoted(doc) + " " + quoted(dir.file("out.png"))), 2);
    EXPECT_EQ(runTool("render " + quoted(dir.file("missing.ini")) + " " + quoted(dir.file("out.png"))), 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.png")));
}

TEST(Render, WritesEveryFormatWithTheRowsAndDatesAsked)
{
    ScratchDir dir;
    const std::string doc = quoted(std::string(CORVANE_SOURCE_DIR) + "/examples/every-type.ini");
    ASSERT_EQ(runTool("render " + doc + " " + quoted(dir.file("a.png")) + " --width 4000"), 0);
    ASSERT_EQ(runTool("render " + doc + " " + quoted(dir.file("b.png")) + " --rows 0-1 --zoom week --width 900"), 0);
    const QImage all(QString::fromStdString(dir.file("a.png")));
    const QImage two(QString::fromStdString(dir.file("b.png")));
    ASSERT_FALSE(all.isNull());
    ASSERT_FALSE(two.isNull());
    EXPECT_LT(two.height(), all.height());
    EXPECT_LE(all.width(), 4000);
    EXPECT_GT(all.width(), 3000);
    for (const char* name : {"c.jpg", "c.bmp"}) {
        ASSERT_EQ(runTool("render " + doc + " " + quoted(dir.file(name))), 0) << name;
        EXPECT_FALSE(QImage(QString::fromStdString(dir.file(name))).isNull()) << name;
    }
    ASSERT_EQ(runTool("render " + doc + " " + quoted(dir.file("c.pdf")) + " --from 2026-01-05 --to 2026-03-01"), 0);
    EXPECT_EQ(readFile(dir.file("c.pdf")).rfind("%PDF", 0), 0u);
}

TEST(Render, ConvertAndInfoSurviveHostileDocuments)
{
    ScratchDir dir;
    const auto shared = dir.file("shared-subtree.ini");
    writeFile(shared, sharedSubtreeDocument(30));
    // Written once per path, the subtree would take 2^30 sections.
    ASSERT_EQ(runTool("convert " + quoted(shared) + " " + quoted(dir.file("out.ini"))), 0);

    writeFile(dir.file("case-variants.ini"), caseVariantsDocument(2000));
    EXPECT_EQ(runTool("info " + quoted(dir.file("case-variants.ini"))), 0);
    writeFile(dir.file("shared-chains.ini"), sharedChainsDocument(500));
    const int code = runTool("info " + quoted(dir.file("shared-chains.ini")));
    EXPECT_TRUE(code == 0 || code == 2) << "exit code " << code;
}

TEST(Render, HostileDocumentsEndCleanly)
{
    ScratchDir dir;
    std::vector<std::string> docs;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(CORVANE_TEST_DATA) + "/repro"))
        if (entry.path().extension() == ".ini")
            docs.push_back(entry.path().string());
    ASSERT_FALSE(docs.empty());
    const auto write = [&](const std::string& name, const std::string& text) {
        docs.push_back(dir.file(name));
        writeFile(docs.back(), text);
    };
    write("shared-subtree.ini", sharedSubtreeDocument(30));
    write("case-variants.ini", caseVariantsDocument(500));
    const std::string table = "[root]\ntypeID=Document\ntable=T\ntree=G\n\n[G]\ntypeID=Tree Grid\nroot node=N\n\n"
                              "[N]\ntypeID=Tree Node\nrow=empty\nchildren#count=1\nchildren#0=N0\n\n"
                              "[N0]\ntypeID=Tree Node\nrow=TR0\n\n[TR0]\ntypeID=Tree Row\n\n"
                              "[R0]\ntypeID=Gantt Row\nheight=0\n\n[T]\ntypeID=Gantt Table\nrows#count=1\nrows#0=R0\n";
    write("zero-sizes.ini", table + "column width=0\n");
    write("negative-width.ini", table + "column width=-50\n");
    write("absurd-count.ini", "[root]\ntypeID=Document\ntable=T\n\n[T]\ntypeID=Gantt Table\nrows#count=2000000000\n");
    write("truncated.ini", table.substr(0, table.size() / 2));
    for (const std::string& doc : docs) {
        const int code = runTool("render " + quoted(doc) + " " + quoted(dir.file("out.png")));
        EXPECT_TRUE(code == 0 || code == 2) << doc << ": exit code " << code;
    }
}
