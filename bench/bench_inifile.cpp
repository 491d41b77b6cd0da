// Reading and writing a document-sized INI file.

#include "corvane/platform/IniFiles.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace corvane {
namespace {

namespace fs = std::filesystem;

constexpr int SectionCount = 100000;
constexpr int KeysPerSection = 10;

// A folder of its own for the run, removed at exit.
struct TBenchFolder {
    fs::path Path = fs::temp_directory_path() / ("corvane_bench_inifile_" + std::to_string(::getpid()));
    TBenchFolder() { fs::create_directories(Path); }
    ~TBenchFolder() { fs::remove_all(Path); }
};

const fs::path& Folder()
{
    static const TBenchFolder folder;
    return folder.Path;
}

std::string SectionName(int i)
{
    return "Gantt Row " + std::to_string(i);
}

// About 50 MB shaped like a document: typed sections with dates, texts and arrays.
const std::string& DocumentFile()
{
    static const std::string path = [] {
        const std::string name = (Folder() / "document.ini").string();
        std::ofstream out(name, std::ios::binary);
        for (int i = 0; i < SectionCount; ++i) {
            out << '[' << SectionName(i) << "]\n"
                << "typeID=Gantt Row\n"
                << "start date=" << 45000 + i % 700 << ".375\n"
                << "caption=Task number " << i << " of the sample schedule for the new plant\n"
                << "default row height=20\n"
                << "notes=Planned with the customer; depends on delivery of parts, "
                   "see minutes of the meeting in May\n"
                << "bars#count=4\n";
            for (int b = 0; b < 4; ++b)
                out << "bars#" << b << "=Task Bar " << i << '/' << b << " of row " << i << '\n';
            out << "color=$027FFFFF\n"
                << "; a comment line that is kept when the file is written back\n\n";
        }
        return name;
    }();
    return path;
}

void BM_ReadIniFile(benchmark::State& state)
{
    const std::string& path = DocumentFile();
    const auto bytes = static_cast<std::int64_t>(fs::file_size(path));
    for (auto _ : state) {
        TIniFile ini(path);
        benchmark::DoNotOptimize(ini.KeyCount(SectionName(SectionCount - 1)));
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["file MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_ReadIniFile)->Unit(benchmark::kMillisecond);

void BM_WriteIniFile(benchmark::State& state)
{
    std::vector<std::string> sections;
    for (int i = 0; i < SectionCount; ++i)
        sections.push_back(SectionName(i));
    std::vector<std::string> keys;
    for (int k = 0; k < KeysPerSection; ++k)
        keys.push_back("key number " + std::to_string(k));
    const std::string path = (Folder() / "written.ini").string();
    for (auto _ : state) {
        fs::remove(path);
        TIniFile ini(path);
        for (int i = 0; i < SectionCount; ++i)
            for (int k = 0; k < KeysPerSection; ++k)
                ini.WriteString(sections[i], keys[k], "value of the key " + std::to_string(k));
        ini.UpdateFile();
    }
    state.SetItemsProcessed(state.iterations() * SectionCount * KeysPerSection);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_WriteIniFile)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace corvane
