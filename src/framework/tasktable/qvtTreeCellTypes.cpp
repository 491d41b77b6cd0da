#include "framework/tasktable/qvtTreeCellTypes.h"

#include "framework/media/qvtMedia.h"

namespace corvane {

void TQVTTreeCellType::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", savedTypeID());
}

} // namespace corvane
