#include "corvane/framework/chart/qvtGanttDocument.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtLegend.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/framework/time/qvtTimeScale.h"
#include "corvane/platform/DateUtils.h"

#include <algorithm>

namespace corvane {

void TQVTGanttDocument::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    // These three write their own reference key into this section; one that is gone loses
    // its key, so that it does not come back from the file saved over.
    const auto saveSelfReferencing = [&](const char* key, TQVTGanttObject* part) {
        if (part)
            factory.saveObject(name, media, part);
        else
            media.deleteProperty(name, key);
    };
    saveSelfReferencing("table", Ftable.get());
    saveSelfReferencing("calendar", Fcalendar.get());
    saveSelfReferencing("tree", FTree.get());
    factory.saveChild(name, "task bar settings", FTaskBarSettings.get(), media);
    factory.saveChild(name, "image bar settings", FImageBarSettings.get(), media);
    factory.saveChild(name, "text bar settings", FTextBarSettings.get(), media);
    factory.saveChild(name, "textual halo settings", FTextHaloSettings.get(), media);
    factory.saveChild(name, "hint text settings", FHintTextSettings.get(), media);
    factory.saveChild(name, "progress bar settings", FProgressBarSettings.get(), media);
    factory.saveChild(name, "connection settings", FConnectionSettings.get(), media);
    factory.saveObjectList(name, "connections", media, connections);
    if (!FScales.empty())
        factory.saveObjectList(name, "time scales", media, FScales);
    // Older versions never wrote the legend, so a document saved into a new file lost it.
    factory.saveChild(name, "legend", FLegend.get(), media);
}

void TQVTGanttDocument::setStartDate(TDateTime value)
{
    const TQVTTimeMode mode = Fcalendar ? Fcalendar->getTimeMode() : tmNone;
    switch (mode) {
    case tmWeek:
        value = value - DayOfTheWeek(value) + 1;
        break;
    case tmMonth:
        value = value - DayOf(value) + 1;
        break;
    case tmQuarter:
        value = EncodeDate(YearOf(value), (MonthOf(value) - 1) / 3 * 3 + 1, 1);
        break;
    case tmYear:
        value = EncodeDate(YearOf(value), 1, 1);
        break;
    case tmDecade:
        // There is no year 0: the first decade starts with year 1.
        value = EncodeDate(std::max(1, YearOf(value) / 10 * 10), 1, 1);
        break;
    default:
        break;
    }
    FStartDate = value;
}

void TQVTGanttDocument::UpdateTimeScales()
{
    if (!Fcalendar)
        return;
    for (const auto& scale : FScales)
        if (scale)
            scale->Update(Fcalendar->getTimeMode());
}

TQVTGanttObject* TQVTGanttDocument::getTextBarSettings()
{
    return FTextBarSettings.get();
}

TQVTProgressBarSettings* TQVTGanttDocument::GetProgressBarSettings()
{
    return FProgressBarSettings.get();
}

std::shared_ptr<TQVTGanttObject> TQVTDocumentPersistence::doLoad(const std::string&, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    auto document = std::make_shared<TQVTGanttDocument>();
    document->DocumentSetup = document.get();
    TQVTGanttObject* parent = document.get();
    document->Ftable = loadChildAs<TQVTGanttTable>("table", media, factory, parent);
    document->Fcalendar = loadChildAs<TQVTDocumentCalendar>("calendar", media, factory, parent);
    document->FScales = factory.loadObjectListAs<TQVTTimeScale>(ID, "time scales", media, parent);
    document->FTaskBarSettings = loadChildAs<TQVTTaskBarSettings>("task bar settings", media, factory, parent);
    document->FImageBarSettings = loadChildAs<TQVTImageBarSettings>("image bar settings", media, factory, parent);
    document->FTextBarSettings = loadChildAs<TQVTTextSettings>("text bar settings", media, factory, parent);
    document->FTextHaloSettings = loadChildAs<TQVTTextHaloSettings>("textual halo settings", media, factory, parent);
    document->FHintTextSettings = loadChildAs<TQVTTextSettings>("hint text settings", media, factory, parent);
    if (!document->FHintTextSettings)
        document->FHintTextSettings = document->FTextBarSettings;
    document->FProgressBarSettings =
        loadChildAs<TQVTProgressBarSettings>("progress bar settings", media, factory, parent);
    document->FConnectionSettings = loadChildAs<TQVTConnectionSettings>("connection settings", media, factory, parent);
    document->connections = factory.loadObjectListAs<TQVTBarConnection>(ID, "connections", media, parent);
    document->FTree = loadChildAs<TQVTTreeGrid>("tree", media, factory, parent);
    document->FLegend = loadChildAs<TQVTLegend>("legend", media, factory, parent);
    return document;
}

} // namespace corvane
