#pragma once
// The realistic plans the figures refer to, and the process's peak memory.
//
// Where the plans come from: each plan is looked up in a cache folder, CORVANE_PLAN_CACHE from
// the environment or else the folder fixed at configure time (bench/plans in the build tree).
// A plan missing there is written by running python3 on the plan generator whose path is fixed
// at configure time (tools/gen_plan.py of the shared folder beside the sources); the generator
// uses a fixed seed, so every machine measures the same file. When neither the plan nor the
// generator is there, the benchmark is skipped with an error that says so.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <map>
#include <string>
#include <sys/resource.h>

namespace corvane::bench {

namespace fs = std::filesystem;

inline fs::path cacheFolder()
{
    const char* fromEnvironment = std::getenv("CORVANE_PLAN_CACHE");
    return fromEnvironment && *fromEnvironment ? fs::path(fromEnvironment) : fs::path(CORVANE_PLAN_CACHE);
}

inline std::string quoted(const std::string& text)
{
    std::string result = "'";
    for (const char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

// The plan of that many tasks, generated on first use; empty with the reason in why when there
// is none.
inline std::string planFile(int tasks, std::string& why)
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
inline void resetPeakResident()
{
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A size field of /proc/self/status ("VmHWM:", "VmRSS:") in MiB, or -1 where there is none.
inline double statusMiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::stod(line.substr(field.size())) / 1024.0;
    return -1;
}

inline double peakResidentMiB()
{
    if (const double peak = statusMiB("VmHWM:"); peak >= 0)
        return peak;
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

inline double fileMB(const std::string& path)
{
    return static_cast<double>(fs::file_size(path)) / 1e6;
}

} // namespace corvane::bench
