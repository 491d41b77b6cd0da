#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/time/qvtBlockedDays_p.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvane {

namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();

} // namespace

bool TQVTBlockedDays::IsBlocked(TDateTime t) const
{
    const TDateTime day = std::trunc(t);
    return std::any_of(FDates.begin(), FDates.end(), [day](TDateTime blocked) { return std::trunc(blocked) == day; });
}

TDateTime TQVTBlockedDays::nextBlockedDay(TDateTime t) const
{
    TDateTime best = Infinity;
    for (const TDateTime blocked : FDates) {
        const TDateTime day = std::trunc(blocked);
        if (day > t && day < best)
            best = day;
    }
    return best;
}

TDateTime TQVTBlockedDays::previousBlockedDayEnd(TDateTime t) const
{
    TDateTime best = -Infinity;
    for (const TDateTime blocked : FDates) {
        const TDateTime end = std::trunc(blocked) + 1;
        if (end <= t && end > best)
            best = end;
    }
    return best;
}

TQVTBlockedDays BlockedDaysOf(TQVTGanttObject& obj, int row)
{
    if (row < 0)
        return {};
    TQVTDocumentSetup* setup = FindDocumentSetup(&obj);
    const IQVTChartTable* table = setup ? setup->GetTable() : nullptr;
    return table ? TQVTBlockedDays(table->getBlockedDates(row)) : TQVTBlockedDays();
}

} // namespace corvane
