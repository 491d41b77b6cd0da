#include "framework/qvtTimeScale.h"

#include "framework/media/qvtMedia.h"
#include "framework/qvtEntityFactory.h"
#include "framework/qvtGanttTable.h"

namespace corvane {

void TQVTTimeScale::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
    // Only the reference: the table writes its section when the document saves it.
    if (FGrid)
        media.setStrProperty(name, "grid", FGrid->getUID());
}

std::shared_ptr<TQVTGanttObject> TQVTTimeScalePersistence::doLoad(const std::string&, IQVTMedia& media,
                                                                  TQVTEntityFactory& factory)
{
    auto scale = std::make_shared<TQVTTimeScale>();
    scale->FGrid = loadChildAs<TQVTGanttTable>("grid", media, factory, scale.get());
    return scale;
}

} // namespace corvane
