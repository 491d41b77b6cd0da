#pragma once
// What `corvane info` shows of a document: its dates, its rows with their bars, its connections.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <ostream>
#include <string>
#include <vector>

namespace corvane::cli {

struct BarSummary {
    std::string section;
    std::string kind; // class name, such as "TQVTTaskBar"
    std::string start, end;
};

struct RowSummary {
    std::string section;
    std::vector<BarSummary> bars;
};

struct ConnectionSummary {
    std::string section;
    std::string from, to; // sections of the two bars
    std::string kind;     // "FF", "FS", "SF" or "SS"
    int distance = 0;
};

struct DocumentSummary {
    std::string startDate, endDate;
    std::vector<RowSummary> rows;
    std::vector<ConnectionSummary> connections;
};

// The document of a loaded root; false when the root is no document.
bool summarizeDocument(const TQVTGanttObject* root, DocumentSummary& summary);

void printDocumentText(std::ostream& out, const DocumentSummary& document);
// The member "document": {...} of the JSON output.
std::string documentJsonMember(const DocumentSummary& document);

} // namespace corvane::cli
