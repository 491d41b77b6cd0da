#include "corvane/framework/objects/qvtCommon.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>

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
    std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d,%03d", local.tm_mday,
                  local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(millis));
    return text;
}

int roundToInt(double value)
{
    const double r = std::nearbyint(value);
    if (!(r >= std::numeric_limits<int>::min() && r <= std::numeric_limits<int>::max()))
        return r > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    return static_cast<int>(r);
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

std::string RectToString(const TRect& rect)
{
    char text[64];
    std::snprintf(text, sizeof text, "(%d,%d,%d,%d)", rect.Left, rect.Top, rect.Right, rect.Bottom);
    return text;
}

bool inRect(const TRect& rect, int x, int y)
{
    return rect.Left <= x && x <= rect.Right && rect.Top <= y && y <= rect.Bottom;
}

TPoint RectSize(const TRect& rect)
{
    return TPoint{rect.Right - rect.Left, rect.Bottom - rect.Top};
}

TPoint MultPoint(const TPoint& point, double factor)
{
    return MultPoint(point, TQVTDoublePoint{factor, factor});
}

TPoint MultPoint(const TPoint& point, const TQVTDoublePoint& factor)
{
    return TPoint{roundToInt(point.X * factor.X), roundToInt(point.Y * factor.Y)};
}

TPoint DivPoint(const TPoint& point, double factor)
{
    return DivPoint(point, TQVTDoublePoint{factor, factor});
}

TPoint DivPoint(const TPoint& point, const TQVTDoublePoint& factor)
{
    return TPoint{roundToInt(point.X / factor.X), roundToInt(point.Y / factor.Y)};
}

} // namespace corvane
