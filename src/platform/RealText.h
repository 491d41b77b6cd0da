#pragma once
// Reals as documents and diagnostics write them.

#include <string>

namespace corvane {

/// The shortest text that reads back to the same double, with "." as the decimal separator
/// whatever the locale ("45000.5", "1e+300", "nan").
std::string RealToText(double value);

} // namespace corvane
