#pragma once
// Small helpers shared by the drawing, printing and loading code.

#include "corvane/platform/Types.h"

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace corvane {

// Name of the diagnostic log file; empty (the default) logs nothing to disk.
extern std::string LogFile;

// Appends one line "dd.mm.yyyy hh:nn:ss,zzz PRINT <message>" to LogFile; rewrites the file
// when reset is true or the file does not exist yet.
void addlog(const std::string& message, bool reset = false);

// Sees every message given to addlog (with or without a LogFile); the command-line tool
// and tests use it. Answers the previous observer.
using TLogObserver = std::function<void(const std::string& message)>;
TLogObserver SetLogObserver(TLogObserver observer);

struct TQVTDoublePoint {
    double X = 0.0;
    double Y = 0.0;
};

std::string RectToString(const TRect& rect);
// Edges included on all four sides.
bool inRect(const TRect& rect, int x, int y);
TPoint RectSize(const TRect& rect);
// Per axis, rounded to the nearest integer with ties to even.
TPoint MultPoint(const TPoint& point, double factor);
TPoint MultPoint(const TPoint& point, const TQVTDoublePoint& factor);
TPoint DivPoint(const TPoint& point, double factor);
TPoint DivPoint(const TPoint& point, const TQVTDoublePoint& factor);

template <typename T>
void swapListElements(std::vector<T>& list, std::size_t i, std::size_t j)
{
    std::swap(list.at(i), list.at(j));
}

// Same count, and every item of a occurs in b.
template <typename T>
bool listEqual(const std::vector<T>& a, const std::vector<T>& b)
{
    if (a.size() != b.size())
        return false;
    return std::all_of(a.begin(), a.end(), [&b](const T& item) {
        return std::find(b.begin(), b.end(), item) != b.end();
    });
}

} // namespace corvane
