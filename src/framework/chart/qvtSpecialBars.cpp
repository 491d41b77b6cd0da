#include "corvane/framework/chart/qvtSpecialBars.h"

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtResources.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/rendering/qvtTextSettings.h"

namespace corvane {

bool TQVTSummaryBar::acceptConnections() const
{
    const TQVTGanttTable* table = findTable();
    return table && table->FSummaryBarConnectable;
}

void TQVTSummaryBar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    // Written although older files lack it: the drawer paints the halo, so its labels must survive a save.
    factory.saveChild(name, "text halo", FTextHalo.get(), media);
}

std::shared_ptr<TQVTGanttBar> TQVTSummaryBarPersistence::doLoadBar(const std::string&, IQVTMedia&, TQVTEntityFactory&)
{
    return std::make_shared<TQVTSummaryBar>();
}

void TQVTImageBarSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
}

std::shared_ptr<TQVTGanttObject> TQVTImageBarSettingsPersistence::doLoad(const std::string&, IQVTMedia&,
                                                                         TQVTEntityFactory&)
{
    return std::make_shared<TQVTImageBarSettings>();
}

void TQVTImageBar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    saveImageBar(name, TypeID, media, factory);
}

void TQVTImageBar::saveImageBar(const std::string& name, const char* typeID, IQVTMedia& media,
                                TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", typeID);
    factory.saveChild(name, "resource", FPictureResource.get(), media);
    factory.saveChild(name, "settings", FSettings.get(), media);
    factory.saveChild(name, "text halo", FTextHalo.get(), media);
}

std::shared_ptr<TQVTGanttBar> TQVTImageBarPersistence::doLoadBar(const std::string&, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    std::shared_ptr<TQVTImageBar> bar = createBar();
    bar->FPictureResource = loadChildAs<TQVTPictureResource>("resource", media, factory, bar.get());
    bar->FSettings = loadChildAs<TQVTImageBarSettings>("settings", media, factory, bar.get());
    return bar;
}

std::shared_ptr<TQVTImageBar> TQVTImageBarPersistence::createBar() const
{
    return std::make_shared<TQVTImageBar>();
}

void TQVTMilestoneBar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    saveImageBar(name, TypeID, media, factory);
}

std::shared_ptr<TQVTImageBar> TQVTMilestoneBarPersistence::createBar() const
{
    return std::make_shared<TQVTMilestoneBar>();
}

void TQVTTextBar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    TQVTGanttObject* settings = FSettings.get();
    if (!settings) {
        if (TQVTGanttDocument* document = findDocument())
            settings = document->getTextBarSettings();
    }
    factory.saveChild(name, "settings", settings, media);
    factory.saveChild(name, "text halo", FTextHalo.get(), media);
}

std::shared_ptr<TQVTGanttBar> TQVTTextBarPersistence::doLoadBar(const std::string&, IQVTMedia& media,
                                                                TQVTEntityFactory& factory)
{
    auto bar = std::make_shared<TQVTTextBar>();
    bar->FSettings = loadChildAs<IQVTTextSettings>("settings", media, factory, bar.get());
    return bar;
}

} // namespace corvane
