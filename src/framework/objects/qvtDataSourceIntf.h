#pragma once
// What the model's operations ask of the data source: the application's hooks and the flags
// that shape editing. The data source component implements it.

#include "corvane/framework/objects/qvtOperation.h"
#include "corvane/platform/Types.h"

#include <functional>
#include <string>
#include <utility>

namespace corvane {

class TCanvas;
class TQVTBarConnection;
class TQVTGanttBar;
class TQVTGanttObject;
class TQVTGanttRow;
class TQVTSummaryBar;
class TQVTTreeCell;
class TQVTTreeHeaderCell;
class TQVTVisualContext;

/// Asked before a bar is added, deleted, moved or resized; setting Cancel refuses the change.
using TQVTBeforeBarOperationEvent = std::function<void(TQVTGanttBar* Bar, bool& Cancel)>;
/// Told after a bar was added, deleted, moved or resized.
using TQVTAfterBarOperationEvent = std::function<void(TQVTGanttBar* Bar)>;
/// Asked before a bar moves to NewRow at NewStartDate; clearing Allowed refuses the move.
using TQVTGanttBarMoveEvent = std::function<void(TQVTGanttBar* Bar, int NewRow, TDateTime NewStartDate, bool& Allowed)>;
/// Asked before a bar is resized by changeX columns and changeY pixels at its right or left edge.
using TQVTBarResizeEvent =
    std::function<void(TQVTGanttBar* Bar, double changeX, int changeY, bool Right, bool& Allowed)>;
using TQVTBeforeConnectionOperationEvent = std::function<void(TQVTBarConnection* Connection, bool& Cancel)>;
using TQVTAfterConnectionOperationEvent = std::function<void(TQVTBarConnection* Connection)>;
using TQVTRowExpandCollapseEvent = std::function<void(TQVTSummaryBar* SummaryBar)>;
using TQVTRowOperationEvent = std::function<void(TQVTGanttRow* Row)>;
using TQVTTreeColumnResizeOperation = std::function<void(TQVTTreeHeaderCell* column, int index)>;
using TQVTTreeColumnMoveOperation = std::function<void(TQVTTreeHeaderCell* column, int width)>;
using TQVTNotifyEvent = std::function<void(TQVTGanttObject* Sender)>;
/// Asked before a tree cell takes the value an edit gave it, shown as NewText; setting Cancel
/// refuses the change.
using TQVTBeforeCellEditEvent = std::function<void(TQVTTreeCell* Cell, const std::string& NewText, bool& Cancel)>;
/// Told after a tree cell's value changed by an edit, its undo or its redo.
using TQVTAfterCellEditEvent = std::function<void(TQVTTreeCell* Cell)>;
/// Lets the application paint a tree cell; setting UserDraw skips the default painting.
using TQVTDrawCellEvent = std::function<void(int rowIndex, int cellIndex, TRect cellRect, TQVTTreeCell* Cell,
                                             TQVTVisualContext*& vc, bool& UserDraw)>;
using TQVTCustomDrawBarEvent = std::function<void(TQVTGanttBar* Bar, TCanvas* Canvas, TRect& ARect)>;
/// The platform's notification: Sender is the component that changed.
using TNotifyEvent = std::function<void(void* Sender)>;

/// The data source as the model's operations see it. An unassigned event is an empty function.
class TQVTDataSourceIntf {
public:
    virtual ~TQVTDataSourceIntf() = default;

    /// Performs op and records it in the history, answering whether it was performed. Without
    /// a history (this base) op is only performed. False for no operation.
    virtual bool doOperation(const TQVTOperationPtr& op) { return op && op->perform(); }

    bool AutoCreatePertbars = true;
    bool CanCreateBarsOnSummaryRows = false;

    TQVTBeforeBarOperationEvent OnBeforeBarAdd;
    TQVTAfterBarOperationEvent OnAfterBarAdd;
    TQVTBeforeBarOperationEvent OnBeforeBarDelete;
    TQVTAfterBarOperationEvent OnAfterBarDelete;
    TQVTBeforeBarOperationEvent OnBeforeBarMove;
    TQVTAfterBarOperationEvent OnAfterBarMove;
    TQVTGanttBarMoveEvent OnGanttBarMove;
    TQVTBeforeBarOperationEvent OnBeforeBarResize;
    TQVTAfterBarOperationEvent OnAfterBarResize;
    TQVTBarResizeEvent OnBarResize;
    TQVTBeforeConnectionOperationEvent OnBeforeConnectionAdd;
    TQVTAfterConnectionOperationEvent OnAfterConnectionAdd;
    TQVTBeforeConnectionOperationEvent OnBeforeConnectionDelete;
    TQVTAfterConnectionOperationEvent OnAfterConnectionDelete;
    TQVTRowExpandCollapseEvent OnRowExpand;
    TQVTRowExpandCollapseEvent OnRowCollapse;
    TQVTRowOperationEvent OnRowInsert;
    TQVTRowOperationEvent OnRowDelete;
    TQVTTreeColumnResizeOperation onTreeColumnResize;
    TQVTTreeColumnMoveOperation onTreeColumnMove;
    TQVTNotifyEvent onTreeCellButtonClicked;
    TQVTBeforeCellEditEvent OnBeforeCellEdit;
    TQVTAfterCellEditEvent OnAfterCellEdit;
    TQVTDrawCellEvent OnDrawCell;
    TQVTCustomDrawBarEvent OnCustomDrawBar;
    TNotifyEvent OnViewChanged;

    /// Asks a before-event; answers true when the handler (if any) cancelled the change.
    template <typename Event, typename... Args>
    static bool cancelledBy(const Event& event, Args&&... args)
    {
        bool cancel = false;
        if (event)
            event(std::forward<Args>(args)..., cancel);
        return cancel;
    }
    /// Tells an after-event, if it is assigned.
    template <typename Event, typename... Args>
    static void tell(const Event& event, Args&&... args)
    {
        if (event)
            event(std::forward<Args>(args)...);
    }
};

} // namespace corvane
