#include "corvane/framework/chart/qvtTextHalo.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/rendering/qvtTextSettings.h"

namespace corvane {

void TQVTTextHalo::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    factory.saveChild(name, "text settings", FTextSettings.get(), media);
    factory.saveChild(name, "textual halo settings", FTextHaloSettings.get(), media);
}

std::shared_ptr<TQVTGanttObject> TQVTTextHaloPersistence::doLoad(const std::string&, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    auto halo = std::make_shared<TQVTTextHalo>();
    halo->FTextSettings = loadChildAs<TQVTTextSettings>("text settings", media, factory, halo.get());
    halo->FTextHaloSettings = loadChildAs<TQVTTextHaloSettings>("textual halo settings", media, factory, halo.get());
    return halo;
}

void TQVTTextHaloSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
}

std::shared_ptr<TQVTGanttObject> TQVTTextHaloSettingsPersistence::doLoad(const std::string&, IQVTMedia&,
                                                                         TQVTEntityFactory&)
{
    return std::make_shared<TQVTTextHaloSettings>();
}

} // namespace corvane
