#pragma once
// Small helpers shared by the drawing, printing and loading code.

#include "corvane/platform/DiagnosticLog.h"
#include "corvane/platform/Types.h"

#include <algorithm>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

namespace corvane {

struct TQVTDoublePoint {
    double X = 0.0;
    double Y = 0.0;
};

/// The unqualified name of a class, such as "TQVTGanttTable".
std::string ClassNameOf(const std::type_info& type);

std::string RectToString(const TRect& rect);
/// Edges included on all four sides.
bool inRect(const TRect& rect, int x, int y);
TPoint RectSize(const TRect& rect);
/// Per axis, rounded to the nearest integer with ties to even.
TPoint MultPoint(const TPoint& point, double factor);
TPoint MultPoint(const TPoint& point, const TQVTDoublePoint& factor);
TPoint DivPoint(const TPoint& point, double factor);
TPoint DivPoint(const TPoint& point, const TQVTDoublePoint& factor);

template <typename T>
void swapListElements(std::vector<T>& list, std::size_t i, std::size_t j)
{
    std::swap(list.at(i), list.at(j));
}

/// Same count, and every item of a occurs in b.
template <typename T>
bool listEqual(const std::vector<T>& a, const std::vector<T>& b)
{
    if (a.size() != b.size())
        return false;
    return std::all_of(a.begin(), a.end(),
                       [&b](const T& item) { return std::find(b.begin(), b.end(), item) != b.end(); });
}

} // namespace corvane
