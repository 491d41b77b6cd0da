#include "corvane/framework/tasktable/qvtTreeResizePane.h"

#include "corvane/framework/media/qvtMedia.h"

namespace corvane {

void TQVTTreeRowsResizePane::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
}

std::shared_ptr<TQVTGanttObject> TQVTTreeRowsResizePanePersistence::doLoad(const std::string&, IQVTMedia&,
                                                                           TQVTEntityFactory&)
{
    return std::make_shared<TQVTTreeRowsResizePane>();
}

} // namespace corvane
