#pragma once
// Records what the entity factory does while loading and prints it as a tree or as JSON.

#include "corvane/framework/objects/qvtEntityFactory.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace corvane::cli {

struct ReferenceNode {
    std::string key; // reference key in the parent's section; empty for the root
    int index = -1;  // position in a reference list
    std::string section;
    std::string typeID;
    std::string className; // empty when nothing was loaded
    std::string status;    // "loaded", "failed", "shared", "circular", "missing", "too deep"
    std::vector<std::unique_ptr<ReferenceNode>> children;
};

class GraphReport {
public:
    // Starts listening to the factory's reference events, messages and log lines.
    explicit GraphReport(TQVTEntityFactory& factory);
    ~GraphReport();
    GraphReport(const GraphReport&) = delete;
    GraphReport& operator=(const GraphReport&) = delete;

    void printText(std::ostream& out) const;
    // extraMembers: further "name": value members of the top-level object, or empty.
    void printJson(std::ostream& out, bool rootLoaded, const std::string& extraMembers = {}) const;

private:
    void onReference(const TQVTReferenceEvent& event);

    std::vector<std::unique_ptr<ReferenceNode>> roots;
    std::vector<ReferenceNode*> open;
    std::vector<std::string> messages;
    std::vector<std::string> logLines;
};

} // namespace corvane::cli
