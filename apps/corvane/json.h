#pragma once
// JSON text for the tool's --json output.

#include <string>
#include <vector>

namespace corvane::cli {

// A JSON string literal, quotes included.
std::string jsonString(const std::string& text);
// A JSON array of strings.
std::string jsonStrings(const std::vector<std::string>& items);

} // namespace corvane::cli
