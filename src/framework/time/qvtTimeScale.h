#pragma once
// One tier of period labels above (and optionally below) the chart.

#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/time/qvtTimeMode.h"

#include <cstdint>
#include <memory>
#include <string>

namespace corvane {

/// A tier's unit is kept as an offset from the calendar's unit, so that zooming the calendar
/// moves every tier with it.
class TQVTTimeScale : public TQVTTimeModeObject {
public:
    static constexpr const char* TypeID = "Time Scale";
    /// Offset of a tier that has not met a calendar yet.
    static constexpr std::int32_t NotRelated = -1;

    TQVTTimeScale();
    TQVTTimeScale(TQVTTimeMode mode, TQVTGanttObject* parent);

    /// A related tier moves its offset with the mode, unless that would put it below the
    /// calendar's unit; then nothing changes. An unrelated tier takes the mode as it is.
    /// The label format becomes the mode's default.
    void SetTimeMode(TQVTTimeMode mode) override;
    /// Follows the calendar's mode: a related tier takes calendarMode + offset (no unit beyond
    /// decades), an unrelated one keeps its mode and becomes related by it.
    void Update(TQVTTimeMode calendarMode);
    /// Ignored unless h > 0.
    void SetHeight(int h);
    /// Takes s when s > 0; the height then fits the label text: 1.2 times the drawer's
    /// getFontSize, or 10 when the tier has no drawer yet.
    void SetFontSize(int s);
    /// The period holding dt in the tier's label format.
    std::string PeriodToString(TDateTime dt) const;
    using TQVTTimeModeObject::PeriodToString;

    /// Writes the tier's keys and its grid table, whose "grid" key is removed when it has none.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::int32_t FRelativeTM = NotRelated;
    TQVTTimeFormat FTimeFormat = tmfNone;
    /// Kept for the application; not stored.
    std::int32_t FScaleOrder = 0;
    TColor baseColor = 0;
    std::int32_t scaleHeight = 14;
    /// Label font (Arial) size in points; the drawing layer owns the font itself.
    std::int32_t fontSize = 7;
    TColor FfontColor = 0xFFFFFF;
    TColor FlineColor = 0xFFFFFF;
    bool FShowDates = true;

    /// The chart table the tier belongs to.
    std::shared_ptr<IQVTChartTable> FGrid;

protected:
    /// A TQVTTimeScaleDrawer.
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
};

class TQVTTimeScalePersistence : public TQVTPersistenceOf<TQVTTimeScale> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
