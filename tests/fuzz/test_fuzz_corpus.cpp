// Every document the fuzz target starts from (the test data and the examples) and every input
// it found (fuzz/corpus) goes through the target's run once, each as a test of its own.

#include "DocumentLoadTarget.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> corpus()
{
    std::vector<fs::path> files;
    const auto add = [&files](const fs::path& folder, bool onlyDocuments) {
        std::error_code error;
        for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
            if (it->is_regular_file() && it->path().filename() != "README.md" &&
                (!onlyDocuments || it->path().extension() == ".ini"))
                files.push_back(it->path());
    };
    add(CORVANE_TEST_DATA, true);
    add(CORVANE_EXAMPLES, true);
    add(CORVANE_FUZZ_CORPUS, false);
    std::sort(files.begin(), files.end());
    return files;
}

std::string bytesOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FuzzCorpus : public testing::TestWithParam<fs::path> {};

TEST_P(FuzzCorpus, LoadsSavesAndLoadsBackTheSame)
{
    const std::string bytes = bytesOf(GetParam());
    EXPECT_EQ(corvane::fuzz::runDocumentLoad(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), "");
}

std::string nameOf(const testing::TestParamInfo<fs::path>& info)
{
    std::string name = fs::relative(info.param, CORVANE_SOURCE_DIR).string();
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Inputs, FuzzCorpus, testing::ValuesIn(corpus()), nameOf);

} // namespace
