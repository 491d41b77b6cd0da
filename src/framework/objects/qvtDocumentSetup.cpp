#include "corvane/framework/objects/qvtDocumentSetup.h"

namespace corvane {

TQVTDocumentSetup* FindDocumentSetup(TQVTGanttObject* obj)
{
    return obj ? obj->findDocumentSetup() : nullptr;
}

} // namespace corvane
