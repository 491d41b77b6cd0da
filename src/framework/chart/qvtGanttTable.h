#pragma once
// The chart table: the rows of a document and the PERT layout shared by them.

#include "corvane/framework/objects/qvtDocumentSetup.h"

#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTBarConnection;
class TQVTGanttRow;
class TQVTPertBarSettings;

class TQVTGanttTable : public IQVTChartTable {
public:
    static constexpr const char* TypeID = "Gantt Table";

    std::span<const TDateTime> getBlockedDates(int row) const override;

    /// Saved by the document: writes "table" = its identifier into the document's section name,
    /// then its own section.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::vector<std::shared_ptr<TQVTGanttRow>> FRowsZOrder;
    std::vector<std::shared_ptr<TQVTBarConnection>> FPertBarConnections;
    std::shared_ptr<TQVTPertBarSettings> FDefaultPertBarSettings;
    std::vector<std::shared_ptr<TQVTGanttRow>> FRows;
};

class TQVTGanttTablePersistence : public TQVTPersistenceOf<TQVTGanttTable> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
