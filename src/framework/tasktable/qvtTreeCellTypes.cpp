#include "corvane/framework/tasktable/qvtTreeCellTypes.h"

#include "corvane/framework/media/qvtMedia.h"

namespace corvane {

void TQVTTreeCellType::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", savedTypeID());
}

} // namespace corvane
