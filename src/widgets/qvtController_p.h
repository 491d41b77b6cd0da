#pragma once
// Small helpers the chart control's units share.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/objects/qvtHaloEntity.h"

#include <Qt>

#include <memory>

namespace corvane {

inline Qt::CursorShape toQtCursor(TCursor cursor)
{
    switch (cursor) {
    case crHSplit:
        return Qt::SplitHCursor;
    case crVSplit:
        return Qt::SplitVCursor;
    case crNoDrop:
        return Qt::ForbiddenCursor;
    case crHourGlass:
        return Qt::WaitCursor;
    case crDrag:
        return Qt::DragMoveCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    default:
        return Qt::ArrowCursor;
    }
}

/// keyState of the transition table: 1 for Ctrl plus 2 for Shift.
inline int keyStateOf(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ControlModifier ? 1 : 0) + (modifiers & Qt::ShiftModifier ? 2 : 0);
}

/// A shared handle on obj when something holds it by shared_ptr, so that a halo entity that a
/// paint makes afresh stays alive for the gesture that uses it.
inline std::shared_ptr<TQVTGanttObject> holdOn(TQVTGanttObject* obj)
{
    return obj ? obj->weak_from_this().lock() : nullptr;
}

} // namespace corvane
