// Loading and saving realistic plans of 10,000 and 100,000 tasks (tree, bars, halos, PERT boxes,
// connections, calendar; the 100,000-task plan has about 1.6 million sections and 243 MB).
// Where the plans come from: PlanFiles.h.
//
// Counters: peak_MiB is the peak resident size of the whole process during the benchmark (the
// peak is reset before it starts where the kernel allows, otherwise it is the process's peak so
// far); file_MB is the size of the plan read or the file written.

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/platform/Dialogs.h"

#include "PlanFiles.h"

#include <benchmark/benchmark.h>
#include <string>

using namespace corvane;

namespace {

using namespace corvane::bench;

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
