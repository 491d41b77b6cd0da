#include "corvane/framework/objects/qvtDocumentSetup.h"

namespace corvane {

TQVTDocumentSetup* FindDocumentSetup(TQVTGanttObject* obj)
{
    while (obj && obj->getParent())
        obj = obj->getParent();
    return dynamic_cast<TQVTDocumentSetup*>(obj);
}

} // namespace corvane
