// Loading and saving realistic plans of 10,000 and 100,000 tasks (tree, bars, halos, PERT boxes,
// connections, calendar; the 100,000-task plan has about 1.6 million sections and 243 MB).
//
// Where the plans come from: each plan is looked up in a cache folder, CORVANE_PLAN_CACHE from
// the environment or else the folder fixed at configure time (bench/plans in the build tree).
// A plan missing there is written by running python3 on the plan generator whose path is fixed
// at configure time (tools/gen_plan.py of the shared folder beside the sources); the generator
// uses a fixed seed, so every machine measures the same file. When neither the plan nor the
// generator is there, the benchmark is skipped with an error that says so.
//
// Counters: peak_MiB is the peak resident size of the whole process during the benchmark (the
// peak is reset before it starts where the kernel allows, otherwise it is the process's peak so
// far); file_MB is the size of the plan read or the file written.

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/platform/Dialogs.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <map>
#include <string>
#include <sys/resource.h>

using namespace corvane;

namespace {

namespace fs = std::filesystem;

fs::path cacheFolder()
{
    const char* fromEnvironment = std::getenv("CORVANE_PLAN_CACHE");
    return fromEnvironment && *fromEnvironment ? fs::path(fromEnvironment) : fs::path(CORVANE_PLAN_CACHE);
}

std::string quoted(const std::string& text)
{
    std::string result = "'";
    for (const char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

// The plan of that many tasks, generated on first use; empty with the reason in why when there
// is none.
std::string planFile(int tasks, std::string& why)
{
    static std::map<int, std::string> known;
    if (const auto it = known.find(tasks); it != known.end())
        return it->second;
    const fs::path plan = cacheFolder() / ("plan" + std::to_string(tasks) + ".ini");
    std::error_code error;
    if (!fs::exists(plan, error)) {
        const fs::path generator = CORVANE_PLAN_GENERATOR;
        if (!fs::exists(generator, error)) {
            why = "no plan " + plan.string() + " and no generator " + generator.string();
            return {};
        }
        fs::create_directories(plan.parent_path(), error);
        const std::string command = "python3 " + quoted(generator.string()) + ' ' + std::to_string(tasks) + ' ' +
                                    quoted(plan.string()) + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0 || !fs::exists(plan, error)) {
            why = "generating " + plan.string() + " failed: " + command;
            return {};
        }
    }
    return known[tasks] = plan.string();
}

// Makes the next peak reading start from the present size, where the kernel allows it, after
// handing memory freed by earlier benchmarks back to the system.
void resetPeakResident()
{
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
    std::ofstream("/proc/self/clear_refs") << "5";
}

double peakResidentMiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double fileMB(const std::string& path)
{
    return static_cast<double>(fs::file_size(path)) / 1e6;
}

void BM_LoadPlan(benchmark::State& state)
{
    SetShowMessageHandler([](const std::string&) {});
    std::string why;
    const std::string plan = planFile(static_cast<int>(state.range(0)), why);
    if (plan.empty()) {
        state.SkipWithError(why.c_str());
        return;
    }
    resetPeakResident();
    for (auto _ : state) {
        IQVTMediaPtr media = TQVTMediaFactory::CreateMedia("file://" + plan);
        auto factory = std::make_unique<TQVTEntityFactory>();
        auto root = factory->loadObject("root", *media, nullptr);
        if (!root)
            state.SkipWithError("the root of the plan did not load");
        state.PauseTiming();
        root.reset();
        factory.reset();
        media.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peakResidentMiB();
    state.counters["file_MB"] = fileMB(plan);
}
BENCHMARK(BM_LoadPlan)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The share of loading that reading and indexing the file takes.
void BM_ReadPlanFile(benchmark::State& state)
{
    std::string why;
    const std::string plan = planFile(static_cast<int>(state.range(0)), why);
    if (plan.empty()) {
        state.SkipWithError(why.c_str());
        return;
    }
    for (auto _ : state) {
        IQVTMediaPtr media = TQVTMediaFactory::CreateMedia("file://" + plan);
        benchmark::DoNotOptimize(media.get());
        state.PauseTiming();
        media.reset();
        state.ResumeTiming();
    }
    state.counters["file_MB"] = fileMB(plan);
}
BENCHMARK(BM_ReadPlanFile)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SavePlan(benchmark::State& state)
{
    SetShowMessageHandler([](const std::string&) {});
    std::string why;
    const std::string plan = planFile(static_cast<int>(state.range(0)), why);
    if (plan.empty()) {
        state.SkipWithError(why.c_str());
        return;
    }
    std::shared_ptr<TQVTGanttObject> root;
    {
        IQVTMediaPtr media = TQVTMediaFactory::CreateMedia("file://" + plan);
        TQVTEntityFactory factory;
        root = factory.loadObject("root", *media, nullptr);
    }
    if (!root) {
        state.SkipWithError("the root of the plan did not load");
        return;
    }
    const std::string target = (fs::temp_directory_path() / "corvane-bench-plan-saved.ini").string();
    resetPeakResident();
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(target);
        state.ResumeTiming();
        IQVTMediaPtr media = TQVTMediaFactory::CreateMedia("file://" + target);
        TQVTEntityFactory factory;
        factory.saveObject("root", *media, root.get());
        media->flush();
    }
    state.counters["peak_MiB"] = peakResidentMiB();
    state.counters["file_MB"] = fileMB(target);
    fs::remove(target);
}
BENCHMARK(BM_SavePlan)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
