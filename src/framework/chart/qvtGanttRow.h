#pragma once
// One line of the chart: the bars of one task and its PERT box.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTGanttBar;
class TQVTPertBar;

class TQVTGanttRow : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Gantt Row";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::vector<std::shared_ptr<TQVTGanttBar>> FBarList;
    int FOrder = 0;
    std::shared_ptr<TQVTPertBar> FPertBar;

    /// Days on which the calendar's fixed exceptions and single weekdays do not apply to this
    /// row; run-time state set by the host, not stored.
    void AddBlockedDate(TDateTime date);
    void ClearBlockedDates();
    /// Whether some blocked date falls on the same day as date.
    bool IsBlocked(TDateTime date) const;

    std::vector<TDateTime> BlockedDates;
};

class TQVTGanttRowPersistence : public TQVTPersistenceOf<TQVTGanttRow> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
