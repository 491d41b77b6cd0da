#include "corvane/framework/objects/qvtCommon.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <limits>

namespace corvane {

namespace {

int roundToInt(double value)
{
    const double r = std::nearbyint(value);
    if (!(r >= std::numeric_limits<int>::min() && r <= std::numeric_limits<int>::max()))
        return r > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    return static_cast<int>(r);
}

} // namespace

std::string ClassNameOf(const std::type_info& type)
{
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : type.name();
    std::free(demangled);
    const auto scope = name.rfind("::");
    return scope == std::string::npos ? name : name.substr(scope + 2);
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
