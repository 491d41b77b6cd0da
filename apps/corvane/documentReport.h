#pragma once
// What `corvane info` shows of a document: its dates, its rows with their bars, its connections,
// its critical path and its task table.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <ostream>
#include <string>
#include <vector>

namespace corvane::cli {

struct BarSummary {
    std::string section;
    std::string kind; // class name, such as "TQVTTaskBar"
    std::string start, end;
    double effectiveDuration = 0; // working days
    int progress = 0;
    // Task bars only: buffers (days) and what the critical path found.
    bool isTask = false;
    double bufferLeft = 0, bufferRight = 0;
    std::string earlyStart, lateFinish;
    double localBuffer = 0, globalBuffer = 0; // days
    bool critical = false;
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

struct CriticalPathSummary {
    std::string projectStart, projectEnd;
    std::vector<std::string> bars;        // sections of the critical bars
    std::vector<std::string> connections; // sections of the critical connections
    std::vector<std::string> cycleBars;   // sections of bars left out for lying on a cycle
};
struct TaskRowSummary {
    int level = 0;
    std::string number; // as the automatic number column shows it
    std::string state;  // "expanded", "collapsed" or "leaf"
    std::vector<std::string> cells; // each cell's text, as the table shows it
};

struct DocumentSummary {
    std::string startDate, endDate;
    std::vector<RowSummary> rows;
    std::vector<ConnectionSummary> connections;
    CriticalPathSummary criticalPath;
    std::vector<std::string> columnTitles; // of the task table, hidden columns included
    std::vector<TaskRowSummary> taskRows;
};

// The document of a loaded root; false when the root is no document.
bool summarizeDocument(const TQVTGanttObject* root, DocumentSummary& summary);

void printDocumentText(std::ostream& out, const DocumentSummary& document);
// The member "document": {...} of the JSON output.
std::string documentJsonMember(const DocumentSummary& document);

} // namespace corvane::cli
