#include "framework/qvtTextSettings.h"

#include "framework/media/qvtMedia.h"

namespace corvane {

void TQVTTextSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
}

std::shared_ptr<TQVTGanttObject> TQVTTextSettingsPersistence::doLoad(const std::string&, IQVTMedia&,
                                                                     TQVTEntityFactory&)
{
    return std::make_shared<TQVTTextSettings>();
}

} // namespace corvane
