#include "corvane/framework/chart/qvtGanttBar.h"

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/platform/Types.h"

namespace corvane {

TQVTGanttDocument* TQVTGanttBar::findDocument()
{
    if (!getParent())
        return nullptr;
    try {
        return dynamic_cast<TQVTGanttDocument*>(GetDocumentSetup());
    } catch (const EInvalidCast&) {
        return nullptr;
    }
}

std::shared_ptr<TQVTGanttObject> TQVTGanttBarPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    std::shared_ptr<TQVTGanttBar> bar = doLoadBar(name, media, factory);
    if (bar)
        bar->FTextHalo = loadChildAs<TQVTTextHalo>("text halo", media, factory, bar.get());
    return bar;
}

} // namespace corvane
