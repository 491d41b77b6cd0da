#pragma once
// The painters of PERT boxes in the PERT view.

#include "corvane/framework/chart/qvtGanttBar.h"

namespace corvane {

class TQVTPertBar;

/// Paints a PERT box: filled with its background (the summary colour for a summary box),
/// framed in its border colour, with its sections inside. Rectangles are pixels of the PERT view.
class TQVTPertBarPertDrawer : public TQVTGanttBarDrawer {
public:
    using TQVTGanttBarDrawer::getRect;
    using TQVTGanttBarDrawer::TQVTGanttBarDrawer;

    /// The box's settings-sized rectangle at its position less the PERT origin;
    /// NoRect without a box.
    TRect getRect() override;
    /// Paints the box, registers its place with the table, remembers it for hit testing
    /// (lastRect) and highlights it when asked. False without a box.
    bool Draw(TQVTVisualContext& vc) override;

    /// The box less its border, as last painted.
    TRect innerRect{0, 0, 0, 0};

protected:
    TQVTPertBar* box() const;
    /// The rectangle of the box at its base size.
    TRect baseRect();
    /// Paints the sections into inner: the top and bottom section in bands of a fifth of the
    /// height, the main section between, and (when detailed) the additional sections below the
    /// base box in bands of a fifth of its height.
    virtual void drawContents(TQVTVisualContext& vc, TRect inner);
};

/// The box with a time area: number, dates and parent in a top band, the main section, a
/// progress strip, and (detailed, with task bars) a grid of the scheduling values below the
/// box, which grows by half its height for it.
class TQVTPertBarTimespanPertDrawer : public TQVTPertBarPertDrawer {
public:
    using TQVTPertBarPertDrawer::getRect;
    using TQVTPertBarPertDrawer::TQVTPertBarPertDrawer;

    TRect getRect() override;

protected:
    void drawContents(TQVTVisualContext& vc, TRect inner) override;
};

/// The box without a time area; detailed, it grows by a fifth of its height for each
/// additional section.
class TQVTPertBarNoTimespanPertDrawer : public TQVTPertBarPertDrawer {
public:
    using TQVTPertBarPertDrawer::getRect;
    using TQVTPertBarPertDrawer::TQVTPertBarPertDrawer;

    TRect getRect() override;
};

/// The placeholder's painter: a zero-size rectangle at the box's place; paints and finds nothing.
class TQVTFakePertBarPertDrawer : public TQVTPertBarPertDrawer {
public:
    using TQVTPertBarPertDrawer::getRect;
    using TQVTPertBarPertDrawer::TQVTPertBarPertDrawer;

    TRect getRect() override;
    bool Draw(TQVTVisualContext&) override { return true; }
    TQVTGanttObject* locateObject(int, int) override { return nullptr; }
};

} // namespace corvane
