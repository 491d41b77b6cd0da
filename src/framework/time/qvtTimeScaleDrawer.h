#pragma once
// Paints one time-scale tier: its background, period labels and separator lines.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/platform/Types.h"

namespace corvane {

class TQVTTimeScale;

/// A rectangle with fractional edges, in this field order.
struct TDoubleRect {
    double Top = 0;
    double Left = 0;
    double Right = 0;
    double Bottom = 0;
};

/// The Gantt drawer of a TQVTTimeScale. A period starting at t is placed at the chart's x of t,
/// getColStartX(0) + round(column width x RealDiff(t, start date)) in the calendar's unit, so
/// that labels and lines meet the bars; only the periods that reach into the clip are visited.
class TQVTTimeScaleDrawer : public TQVTDrawer {
public:
    explicit TQVTTimeScaleDrawer(TQVTTimeScale* target);

    /// Paints the tier at the document's scaleStartY, and again under the table when the
    /// document repeats its scales there. Answers true.
    bool Draw(TQVTVisualContext& vc) override;
    /// The scale's height.
    int getHeight() override;
    /// The text height of "A" in Arial at the scale's font size, measured as on a screen bitmap
    /// once the tier has been painted; 8 before that.
    virtual int getFontSize();
    /// Paints scaleArea on vc: background, then labels and lines unless the tier shows none.
    virtual void showLabels();

    /// The visual context of the paint in progress; none outside Draw.
    TQVTVisualContext* vc = nullptr;
    TRect scaleArea{};
    TDoubleRect dbl_scaleArea{};
    TDateTime startDate = 0;
    TDateTime endDate = 0;

private:
    TQVTTimeScale* scale() const;
    /// Shrinks the current font until label fits r (not below size 3); answers the size.
    int fitFont(const TRect& r, const std::string& label);

    bool painted = false;
};

} // namespace corvane
