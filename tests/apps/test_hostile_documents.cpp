// The command-line tool on documents built to make loading, saving or freeing explode.
#include "support/HostileDocuments.h"
#include "support/TestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace corvane::test;

namespace {

// Runs the tool with its output discarded and answers its exit code, or 128 + the signal.
int runTool(const std::string& arguments)
{
    const std::string command = std::string(CORVANE_TOOL) + " " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::size_t occurrences(const std::string& text, const std::string& what)
{
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

} // namespace

TEST(HostileDocuments, ConvertWritesASharedSubtreeOnce)
{
    ScratchDir dir;
    const auto source = dir.file("shared-subtree.ini");
    writeFile(source, sharedSubtreeDocument(30));
    const auto target = dir.file("out.ini");
    ASSERT_EQ(runTool("convert '" + source + "' '" + target + "'"), 0);
    EXPECT_EQ(occurrences(readFile(target), "typeID=Tree Node"), 31u);
}

TEST(HostileDocuments, InfoLoadsCaseVariantsOfOneNameAsOneObject)
{
    ScratchDir dir;
    const auto source = dir.file("case-variants.ini");
    writeFile(source, caseVariantsDocument(2000));
    EXPECT_EQ(runTool("info '" + source + "'"), 0);
}

TEST(HostileDocuments, InfoOnChainsOfSharedChainsNeverCrashes)
{
    ScratchDir dir;
    const auto source = dir.file("shared-chains.ini");
    writeFile(source, sharedChainsDocument(500));
    const int code = runTool("info '" + source + "'");
    EXPECT_TRUE(code == 0 || code == 2) << "exit code " << code;
}
