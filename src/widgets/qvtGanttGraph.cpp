#include "corvane/widgets/qvtGanttGraph.h"

#include "corvane/framework/interaction/qvtGanttView.h"

namespace corvane {

TQVTGanttGraph::TQVTGanttGraph(QWidget* parent) : TQVTController(parent)
{
    view = std::make_unique<TQVTGanttView>();
    view->OnOverlayChanged = [this] { update(); };
    view->OnCursorChange = [this](TCursor cursor) {
        if (cursor == crNoDrop)
            setCursor(Qt::ForbiddenCursor);
        else
            unsetCursor();
    };
}

} // namespace corvane
