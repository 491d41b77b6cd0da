#pragma once
// What `corvane info` shows of a document's calendar.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <ostream>
#include <string>
#include <vector>

namespace corvane::cli {

struct ExceptionSummary {
    std::string kind; // class name, such as "TQVTFixedDateException"
    std::string name;
    std::string from, to; // fixed and recurring exceptions only
    bool recurring = false;
    std::string unit;
    int period = 0, dayFrom = 0, dayTo = 0, hourFrom = 0, hourTo = 0;
};

struct CategorySummary {
    std::string name;
    std::string colour;
    bool working = false;
    bool visible = false;
    std::vector<ExceptionSummary> exceptions;
};

struct CalendarSummary {
    std::string section;
    std::string timeMode;
    std::vector<CategorySummary> categories; // in priority order
};

// The calendar of a loaded document root; false when the root has none.
bool summarizeCalendar(const TQVTGanttObject* root, CalendarSummary& summary);

void printCalendarText(std::ostream& out, const CalendarSummary& calendar);
// The member "calendar": {...} of the JSON output.
std::string calendarJsonMember(const CalendarSummary& calendar);

} // namespace corvane::cli
