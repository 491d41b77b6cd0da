#pragma once
// The vertical drag handle that every column and pane resizer shares: a grip 7 pixels wide
// around a line, dragged sideways.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/objects/qvtHaloEntity.h"

#include <memory>

namespace corvane {

/// A handle on a vertical line (x = topX from topY down height pixels) that is dragged
/// horizontally. Subclasses answer their resize operation from handleMove.
class TQVTHorizontalResizer : public TQVTHaloEntity {
public:
    bool processDragging() override { return true; }
    /// A strip 2 pixels wide over the line: (topX - 1, topY, topX + 1, topY + height).
    TRect getOutline() override;
    /// getOutline moved horizontally to follow r by dx; dy is ignored.
    TRect nextOutline(TRect r, int dx, int dy) override;
    bool changeCursorDragging() override { return true; }
    TCursor cursorDragging() override { return crHSplit; }
    TCursor cursorOver() override { return crHSplit; }

    /// Places the line; the owner calls it while it draws.
    void setPosition(int x, int y, int height);
    int getTopX() const;
    int getTopY() const;
    int getLineHeight() const;

protected:
    /// A TQVTHorizontalResizerDrawer.
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
};

/// Paints a horizontal resizer's line and finds it under the mouse.
class TQVTHorizontalResizerDrawer : public TQVTDrawer {
public:
    /// Half the grip's width: x within topX - Grip .. topX + Grip finds the resizer.
    static constexpr int Grip = 3;

    explicit TQVTHorizontalResizerDrawer(TQVTGanttObject* target) : TQVTDrawer(target) {}

    /// One line in the tree header's line colour at x = topX - 1 from topY to topY + height.
    bool Draw(TQVTVisualContext& vc) override;
    /// The resizer when topX - 3 <= x <= topX + 3 and topY <= y <= topY + height, else none.
    TQVTGanttObject* locateObject(int x, int y) override;
    TRect getRect() override;

    /// Half the grip's width for this handle.
    int grip = Grip;

protected:
    friend class TQVTHorizontalResizer;

    int topX = 0;
    int topY = 0;
    int height = 0;
};

} // namespace corvane
