#include "corvane/framework/chart/qvtTaskBar.h"

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtResources.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"

namespace corvane {

void TQVTTaskBarSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    factory.saveChild(name, "goodie", FVisualGoodie.get(), media);
}

std::shared_ptr<TQVTGanttObject> TQVTTaskBarSettingsPersistence::doLoad(const std::string&, IQVTMedia& media,
                                                                        TQVTEntityFactory& factory)
{
    auto settings = std::make_shared<TQVTTaskBarSettings>();
    settings->FVisualGoodie = loadChildAs<TQVTVisualGoodie>("goodie", media, factory, settings.get());
    return settings;
}

void TQVTTaskBar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    factory.saveChild(name, "settings", FSettings.get(), media);
    factory.saveChild(name, "text halo", FTextHalo.get(), media);
}

std::shared_ptr<TQVTGanttBar> TQVTTaskBarPersistence::doLoadBar(const std::string&, IQVTMedia& media,
                                                                TQVTEntityFactory& factory)
{
    auto bar = std::make_shared<TQVTTaskBar>();
    bar->FSettings = loadChildAs<TQVTTaskBarSettings>("settings", media, factory, bar.get());
    return bar;
}

void TQVTProgressBarSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
}

std::shared_ptr<TQVTGanttObject> TQVTProgressBarSettingsPersistence::doLoad(const std::string&, IQVTMedia&,
                                                                            TQVTEntityFactory&)
{
    return std::make_shared<TQVTProgressBarSettings>();
}

void TQVTProgressBar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    TQVTGanttObject* settings = FSettings.get();
    if (!settings) {
        if (TQVTGanttDocument* document = findDocument())
            settings = document->GetProgressBarSettings();
    }
    factory.saveChild(name, "settings", settings, media);
    // Written although older files lack it: the drawer paints the halo, so its labels must survive a save.
    factory.saveChild(name, "text halo", FTextHalo.get(), media);
}

std::shared_ptr<TQVTGanttBar> TQVTProgressBarPersistence::doLoadBar(const std::string&, IQVTMedia& media,
                                                                    TQVTEntityFactory& factory)
{
    auto bar = std::make_shared<TQVTProgressBar>();
    bar->FSettings = loadChildAs<TQVTProgressBarSettings>("settings", media, factory, bar.get());
    return bar;
}

} // namespace corvane
