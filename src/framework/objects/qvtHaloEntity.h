#pragma once
// Halo entities: the handles (expanders, resizers, selectors) that belong to a shown object
// without being part of the document.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <memory>

namespace corvane {

/// A mouse cursor shape, in the platform's numbering.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crDrag = -12;
constexpr TCursor crHandPoint = -21;

/// A handle found by hit testing like any other object. The controller drags or clicks it, the
/// view shows its outline, and at the end the entity answers the operation that carries out
/// its change (none when there is nothing to do). Owners make their entities afresh whenever
/// they are drawn, so nobody keeps one across paints.
/// keyState is the controller's key state: 1 for Ctrl plus 2 for Shift.
class TQVTHaloEntity : public TQVTGanttObject {
public:
    /// Whether a press and release without movement is a click for this entity.
    virtual bool processMouseClick() { return false; }
    /// The operation of a click at (x, y), or none.
    virtual std::shared_ptr<TQVTOperation> handleClick(int x, int y, int keyState);
    /// Whether the entity can be dragged; the view shows an outline only then.
    virtual bool processDragging() { return false; }
    /// The operation of a drag by (dx, dy) released at (x, y), or none.
    virtual std::shared_ptr<TQVTOperation> handleMove(int dx, int dy, int keyState, int x, int y);
    /// The outline shown when the drag starts.
    virtual TRect getOutline() { return TRect{0, 0, 0, 0}; }
    /// The outline after the pointer moved by (dx, dy) from outline r.
    virtual TRect nextOutline(TRect r, int dx, int dy);
    virtual bool changeCursorDragging() { return false; }
    virtual TCursor cursorDragging() { return crDefault; }
    virtual TCursor cursorOver() { return crDefault; }
    /// True only for the resizer between the tree and the chart.
    virtual bool IsTreeGridResizer() { return false; }
};

} // namespace corvane
