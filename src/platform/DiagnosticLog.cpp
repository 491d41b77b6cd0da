#include "corvane/platform/DiagnosticLog.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <utility>

namespace corvane {

std::string LogFile;

namespace {

TLogObserver& observerSlot()
{
    static TLogObserver observer;
    return observer;
}

std::string logTimestamp()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[80];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d,%03d", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis));
    return text;
}

} // namespace

void addlog(const std::string& message, bool reset)
{
    if (const auto& observer = observerSlot())
        observer(message);
    if (LogFile.empty())
        return;
    std::error_code ec;
    const bool append = !reset && std::filesystem::exists(LogFile, ec);
    std::ofstream out(LogFile, append ? std::ios::app : std::ios::trunc);
    if (out)
        out << logTimestamp() << " PRINT " << message << '\n';
}

TLogObserver SetLogObserver(TLogObserver observer)
{
    return std::exchange(observerSlot(), std::move(observer));
}

bool LogActive()
{
    return !LogFile.empty() || static_cast<bool>(observerSlot());
}

} // namespace corvane
