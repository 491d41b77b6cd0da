#include "corvane/framework/pert/qvtPertBar.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/rendering/qvtTextSettings.h"

namespace corvane {

void TQVTPertBarSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
}

std::shared_ptr<TQVTGanttObject> TQVTPertBarSettingsPersistence::doLoad(const std::string&, IQVTMedia&,
                                                                        TQVTEntityFactory&)
{
    return std::make_shared<TQVTPertBarSettings>();
}

void TQVTPertBarSection::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    // Written although older files lack it: the section's font would otherwise be lost on every save.
    factory.saveChild(name, "settings", FSettings.get(), media);
}

std::shared_ptr<TQVTGanttObject> TQVTPertBarSectionPersistence::doLoad(const std::string&, IQVTMedia& media,
                                                                       TQVTEntityFactory& factory)
{
    auto section = std::make_shared<TQVTPertBarSection>();
    section->FSettings = loadChildAs<TQVTTextSettings>("settings", media, factory, section.get());
    return section;
}

void TQVTPertBar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    const std::string uid = getUID();
    // A connection saves the box under its own identifier; only a row names it as its "pert bar".
    if (name != uid)
        media.setStrProperty(name, "pert bar", uid);
    media.setStrProperty(uid, "typeID", TypeID);
    factory.saveChild(uid, "settings", FSettings.get(), media);
    factory.saveChild(uid, "MainSection", FMainSection.get(), media);
    factory.saveChild(uid, "TopSection", FTopSection.get(), media);
    factory.saveChild(uid, "BottomSection", FBottomSection.get(), media);
    factory.saveObjectList(uid, "AdditionalSections", media, FAdditionalSections);
}

std::shared_ptr<TQVTGanttBar> TQVTPertBarPersistence::doLoadBar(const std::string& name, IQVTMedia& media,
                                                                TQVTEntityFactory& factory)
{
    auto bar = std::make_shared<TQVTPertBar>();
    bar->FSettings = loadChildAs<TQVTPertBarSettings>("settings", media, factory, bar.get());
    bar->FMainSection = loadChildAs<TQVTPertBarSection>("MainSection", media, factory, bar.get());
    bar->FTopSection = loadChildAs<TQVTPertBarSection>("TopSection", media, factory, bar.get());
    bar->FBottomSection = loadChildAs<TQVTPertBarSection>("BottomSection", media, factory, bar.get());
    bar->FAdditionalSections =
        factory.loadObjectListAs<TQVTPertBarSection>(name, "AdditionalSections", media, bar.get());
    return bar;
}

} // namespace corvane
