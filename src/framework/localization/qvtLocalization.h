#pragma once

// The process-wide table of user-visible texts, looked up by key.
// Not locked: change it only while no other thread reads it.

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct TLocalString {
    std::string Name;
    std::string Value;

    bool operator==(const TLocalString&) const = default;
};

/// The table in insertion order; keys are unique and case-sensitive.
const std::vector<TLocalString>& QVTRessources();

/// Replaces the text of `key`, or appends (key, value) when the key is new.
void SetRessourceString(std::string_view key, std::string_view value);

/// The text of `key`, or the empty text when the table has no such key.
std::string GetRessourceValue(std::string_view key);

/// Built-in fillings. Each sets its keys and leaves every other entry as it was.
void CreateDefaultRessources_GER();
void CreateDefaultRessources_ENG();
void CreateDefaultRessources_FRA();

/// Empties the table.
void ClearRessources();

} // namespace corvane
