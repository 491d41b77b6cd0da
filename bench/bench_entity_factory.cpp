// Loading and saving a generated document of 100,000 sections and 200,000 references.
#include "corvane/framework/media/qvtIniFileMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/platform/Dialogs.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <string>

using namespace corvane;

namespace {

constexpr int Nodes = 25000; // each with a row of two cells: 100,000 sections in all

std::filesystem::path benchFolder()
{
    const auto dir = std::filesystem::temp_directory_path() / "corvane-bench-entity-factory";
    std::filesystem::create_directories(dir);
    return dir;
}

// Tree nodes under one root node; each node has a row, each row two cells, each cell two
// shared settings references.
const std::string& generatedDocument()
{
    static const std::string path = [] {
        const auto file = (benchFolder() / "generated.ini").string();
        std::ofstream out(file);
        out << "[root]\ntypeID=Document\ntree=Tree\n[Tree]\nTypeID=Tree Grid\nroot node=TreeRoot\n"
               "[RS]\ntypeID=Tree Row Settings\n[CS]\ntypeID=Tree Column Settings\n"
               "[TreeRoot]\ntypeID=Tree Node\nchildren#count="
            << Nodes << '\n';
        for (int i = 0; i < Nodes; ++i)
            out << "children#" << i << "=Node#" << i << '\n';
        for (int i = 0; i < Nodes; ++i) {
            out << "[Node#" << i << "]\ntypeID=Tree Node\nrow=Row#" << i << '\n';
            out << "[Row#" << i << "]\ntypeID=Tree Row\ncells#count=2\ncells#0=Cell#" << 2 * i << "\ncells#1=Cell#"
                << 2 * i + 1 << '\n';
            for (int c = 2 * i; c < 2 * i + 2; ++c)
                out << "[Cell#" << c << "]\ntypeID=Tree Simple Text Cell\nrowSettings=RS\ncolSettings=CS\n";
        }
        return file;
    }();
    return path;
}

long peakResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

void BM_LoadGeneratedDocument(benchmark::State& state)
{
    SetShowMessageHandler([](const std::string&) {});
    const std::string& path = generatedDocument();
    std::size_t sections = 0;
    std::size_t references = 0;
    for (auto _ : state) {
        TQVTINIFIle media(path);
        TQVTEntityFactory factory;
        sections = references = 0;
        factory.OnReference = [&](const TQVTReferenceEvent& e) {
            sections += e.kind == TQVTReferenceEvent::Leave;
            references +=
                e.kind == TQVTReferenceEvent::Shared || (e.kind == TQVTReferenceEvent::Enter && !e.key.empty());
        };
        auto root = factory.loadObject("root", media, nullptr);
        benchmark::DoNotOptimize(root);
    }
    state.counters["sections"] = static_cast<double>(sections);
    state.counters["references"] = static_cast<double>(references);
    state.counters["peak_MiB"] = static_cast<double>(peakResidentKiB()) / 1024.0;
}
BENCHMARK(BM_LoadGeneratedDocument)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SaveGeneratedDocument(benchmark::State& state)
{
    SetShowMessageHandler([](const std::string&) {});
    TQVTINIFIle source(generatedDocument());
    TQVTEntityFactory factory;
    const auto root = factory.loadObject("root", source, nullptr);
    const auto target = (benchFolder() / "saved.ini").string();
    for (auto _ : state) {
        std::filesystem::remove(target);
        TQVTINIFIle media(target);
        TQVTEntityFactory saver;
        saver.saveObject("root", media, root.get());
        media.flush();
    }
    state.counters["peak_MiB"] = static_cast<double>(peakResidentKiB()) / 1024.0;
}
BENCHMARK(BM_SaveGeneratedDocument)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
