#include "calendarReport.h"

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/framework/time/qvtDateException.h"
#include "corvane/platform/Colors.h"
#include "corvane/platform/FormatSettings.h"

#include "json.h"

namespace corvane::cli {

namespace {

std::string timeModeName(TQVTTimeMode mode)
{
    static const char* const names[] = {"tmNone",  "tmHour",    "tmDay",  "tmWeek",
                                        "tmMonth", "tmQuarter", "tmYear", "tmDecade"};
    return mode < std::size(names) ? names[mode] : "tmNone(" + std::to_string(mode) + ")";
}

std::string dateText(TDateTime dt)
{
    return FormatDateTime("yyyy-mm-dd hh:nn", dt);
}

ExceptionSummary summarize(TQVTDateException& exception)
{
    ExceptionSummary summary;
    summary.kind = exception.ClassName();
    summary.name = exception.getName();
    if (const auto* fixed = dynamic_cast<const TQVTFixedDateException*>(&exception)) {
        summary.from = dateText(fixed->getDateFrom());
        summary.to = dateText(fixed->getDateTo());
    }
    if (const auto* recurring = dynamic_cast<const TQVTRecurringDateException*>(&exception)) {
        summary.recurring = true;
        summary.unit = timeModeName(recurring->getRecurringTimeMode());
        summary.period = recurring->getRecurringPeriod();
        summary.dayFrom = recurring->getDayFrom();
        summary.dayTo = recurring->getDayTo();
        summary.hourFrom = recurring->getHourFrom();
        summary.hourTo = recurring->getHourTo();
    }
    return summary;
}

std::string yesNo(bool value)
{
    return value ? "yes" : "no";
}

std::string jsonBool(bool value)
{
    return value ? "true" : "false";
}

} // namespace

bool summarizeCalendar(const TQVTGanttObject* root, CalendarSummary& summary)
{
    const auto* document = dynamic_cast<const TQVTGanttDocument*>(root);
    if (!document || !document->Fcalendar)
        return false;
    const TQVTDocumentCalendar& calendar = *document->Fcalendar;
    summary.section = calendar.getUID();
    summary.timeMode = timeModeName(calendar.getTimeMode());
    for (int i = 0; i < calendar.getCategoriesCount(); ++i) {
        TQVTDateCategory* category = calendar.getDateCategory(i);
        if (!category)
            continue;
        CategorySummary entry{category->getName(),
                              ColorToString(category->getColor()),
                              category->getWorking(),
                              category->getVisible(),
                              {}};
        for (int d = 0; d < category->getDatesCount(); ++d)
            if (TQVTDateException* exception = category->getDateByIndex(d))
                entry.exceptions.push_back(summarize(*exception));
        summary.categories.push_back(std::move(entry));
    }
    return true;
}

void printCalendarText(std::ostream& out, const CalendarSummary& calendar)
{
    out << "\nCalendar \"" << calendar.section << "\": time mode " << calendar.timeMode << ", "
        << calendar.categories.size() << " categories\n";
    int priority = 1;
    for (const CategorySummary& category : calendar.categories) {
        out << "  " << priority++ << ". \"" << category.name << "\"  colour " << category.colour << "  working "
            << yesNo(category.working) << "  visible " << yesNo(category.visible) << '\n';
        for (const ExceptionSummary& e : category.exceptions) {
            out << "     " << e.kind;
            if (!e.name.empty())
                out << " \"" << e.name << '"';
            if (!e.from.empty())
                out << "  " << e.from << " .. " << e.to;
            if (e.recurring)
                out << "  every " << e.period << ' ' << e.unit << ", days " << e.dayFrom << ".." << e.dayTo
                    << ", hours " << e.hourFrom << ".." << e.hourTo;
            out << '\n';
        }
    }
}

std::string calendarJsonMember(const CalendarSummary& calendar)
{
    std::string out = "\"calendar\": {\"section\": " + jsonString(calendar.section) +
                      ", \"timeMode\": " + jsonString(calendar.timeMode) + ", \"categories\": [";
    for (std::size_t c = 0; c < calendar.categories.size(); ++c) {
        const CategorySummary& category = calendar.categories[c];
        out += (c ? ",\n  " : "\n  ");
        out += "{\"name\": " + jsonString(category.name) + ", \"colour\": " + jsonString(category.colour) +
               ", \"working\": " + jsonBool(category.working) + ", \"visible\": " + jsonBool(category.visible) +
               ", \"exceptions\": [";
        for (std::size_t i = 0; i < category.exceptions.size(); ++i) {
            const ExceptionSummary& e = category.exceptions[i];
            out += (i ? ", " : "");
            out += "{\"kind\": " + jsonString(e.kind) + ", \"name\": " + jsonString(e.name) +
                   ", \"from\": " + jsonString(e.from) + ", \"to\": " + jsonString(e.to);
            if (e.recurring)
                out += ", \"unit\": " + jsonString(e.unit) + ", \"period\": " + std::to_string(e.period) +
                       ", \"dayFrom\": " + std::to_string(e.dayFrom) + ", \"dayTo\": " + std::to_string(e.dayTo) +
                       ", \"hourFrom\": " + std::to_string(e.hourFrom) + ", \"hourTo\": " + std::to_string(e.hourTo);
            out += "}";
        }
        out += "]}";
    }
    return out + "]}";
}

} // namespace corvane::cli
