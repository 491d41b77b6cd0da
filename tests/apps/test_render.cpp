// corvane render: bad options, documents that do not load and hostile documents end cleanly
// with their exit codes; what it writes loads back as a picture or a PDF.
#include "support/HostileDocuments.h"
#include "support/TestSupport.h"

#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace corvane::test;

namespace {

int runTool(const std::string& arguments)
{
    const std::string command = std::string(CORVANE_TOOL) + " " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
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

} // namespace
