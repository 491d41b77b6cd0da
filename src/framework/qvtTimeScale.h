#pragma once
// One tier of period labels above (and optionally below) the chart.

#include "framework/qvtTimeMode.h"

#include <memory>
#include <string>

namespace corvane {

class TQVTGanttTable;

class TQVTTimeScale : public TQVTTimeModeObject {
public:
    static constexpr const char* TypeID = "Time Scale";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    // The chart table the tier belongs to; the document saves the table, the tier only names it.
    std::shared_ptr<TQVTGanttTable> FGrid;
};

class TQVTTimeScalePersistence : public TQVTPersistenceOf<TQVTTimeScale> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
