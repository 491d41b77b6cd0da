#pragma once
// The schedule document: the root object of a stored graph.

#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"

#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTBarConnection;
class TQVTConnectionSettings;
class TQVTDocumentCalendar;
class TQVTImageBarSettings;
class TQVTLegend;
class TQVTProgressBarSettings;
class TQVTTaskBarSettings;
class TQVTTextHaloSettings;
class TQVTTextSettings;
class TQVTTimeScale;
class TQVTTreeGrid;

class TQVTGanttDocument : public TQVTDocumentSetup {
public:
    static constexpr const char* TypeID = "Document";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    TDateTime getStartDate() override { return FStartDate; }
    void setStartDate(TDateTime value) override;
    TDateTime getEndDate() override { return FEndDate; }
    void setEndDate(TDateTime value) override { FEndDate = value; }
    TQVTGanttTable* GetTable() override { return Ftable.get(); }
    void UpdateTimeScales() override;

    TQVTGanttObject* getTextBarSettings();
    TQVTProgressBarSettings* GetProgressBarSettings();

    TQVTDocumentSetup* DocumentSetup = nullptr;
    TDateTime FStartDate = 0;
    TDateTime FEndDate = 0;
    std::shared_ptr<TQVTGanttTable> Ftable;
    std::shared_ptr<TQVTDocumentCalendar> Fcalendar;
    std::vector<std::shared_ptr<TQVTTimeScale>> FScales;
    std::shared_ptr<TQVTTextHaloSettings> FTextHaloSettings;
    std::shared_ptr<TQVTTaskBarSettings> FTaskBarSettings;
    std::shared_ptr<TQVTProgressBarSettings> FProgressBarSettings;
    std::vector<std::shared_ptr<TQVTBarConnection>> connections;
    std::shared_ptr<TQVTTreeGrid> FTree;
    std::shared_ptr<TQVTConnectionSettings> FConnectionSettings;
    std::shared_ptr<TQVTImageBarSettings> FImageBarSettings;
    std::shared_ptr<TQVTTextSettings> FTextBarSettings;
    std::shared_ptr<TQVTTextSettings> FHintTextSettings;
    std::shared_ptr<TQVTLegend> FLegend;
};

class TQVTDocumentPersistence : public TQVTPersistenceOf<TQVTGanttDocument> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
