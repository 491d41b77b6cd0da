#include "corvane/framework/time/qvtTimeScale.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtCommon.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/time/qvtTimeScaleDrawer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvane {

namespace {

constexpr int DefaultHeight = 14;
constexpr int DefaultFontSize = 7;
constexpr TColor DefaultFontColor = 0xFFFFFF;
constexpr TColor DefaultBaseColor = 0x02C56A31;
constexpr TColor DefaultLineColor = 0xFFFFFF;
constexpr int DefaultRelativeTM = 0;
// Text height of "A" at the label font before the tier has been painted on a visual context.
constexpr double UnpaintedTextHeight = 8;
// Larger heights or font sizes in a file are damage: they would overflow the sums of tier
// heights and make the label font fitting count down for ever.
constexpr int MaxStoredSize = 4096;

// Offsets live in 64 bits here: stored offsets are arbitrary 32-bit numbers.
TQVTTimeMode ModeAt(std::int64_t ordinal)
{
    return ordinal >= tmNone && ordinal <= tmDecade ? static_cast<TQVTTimeMode>(ordinal) : tmNone;
}

std::int32_t ClampedOffset(std::int64_t offset)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(offset, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// A stored height or font size; values outside 1 .. MaxStoredSize keep the default.
int LoadSize(IQVTMedia& media, const std::string& section, const char* key, int def)
{
    int value = def;
    media.getIntProperty(section, key, def, value);
    if (value >= 1 && value <= MaxStoredSize)
        return value;
    addlog("Invalid value " + std::to_string(value) + " in section \"" + section + "\", key \"" + key +
           "\"; the default is used.");
    return def;
}

} // namespace

TQVTTimeScale::TQVTTimeScale()
{
    FTimeMode = tmNone;
}

TQVTTimeScale::TQVTTimeScale(TQVTTimeMode mode, TQVTGanttObject* parent) : TQVTTimeScale()
{
    setParent(parent);
    SetTimeMode(mode);
}

void TQVTTimeScale::SetTimeMode(TQVTTimeMode mode)
{
    // An unrelated tier has no offset to move: taking -1 as one would make a tier created for
    // days show weeks once it meets a calendar in days.
    if (FRelativeTM >= 0) {
        const std::int64_t offset = std::int64_t{FRelativeTM} + mode - FTimeMode;
        if (offset < 0)
            return;
        FRelativeTM = ClampedOffset(offset);
    }
    FTimeMode = ModeAt(mode);
    FTimeFormat = DefaultTimeFormat(FTimeMode);
}

void TQVTTimeScale::Update(TQVTTimeMode calendarMode)
{
    if (FRelativeTM >= 0)
        FTimeMode = ModeAt(std::int64_t{calendarMode} + FRelativeTM);
    else
        FRelativeTM = std::max(FTimeMode - calendarMode, 0);
    FTimeFormat = DefaultTimeFormat(FTimeMode);
}

void TQVTTimeScale::SetHeight(int h)
{
    if (h > 0)
        scaleHeight = h;
}

void TQVTTimeScale::SetFontSize(int s)
{
    if (s > 0)
        fontSize = s;
    // The drawer measures the label height once the tier has been painted.
    auto* drawer = dynamic_cast<TQVTTimeScaleDrawer*>(FDrawer.get());
    const double textHeight = drawer ? drawer->getFontSize() : UnpaintedTextHeight;
    scaleHeight = static_cast<int>(std::nearbyint(1.2 * textHeight));
}

std::unique_ptr<TQVTDrawer> TQVTTimeScale::makeDrawer() const
{
    return std::make_unique<TQVTTimeScaleDrawer>(const_cast<TQVTTimeScale*>(this));
}

std::string TQVTTimeScale::PeriodToString(TDateTime dt) const
{
    return PeriodToString(dt, FTimeFormat);
}

void TQVTTimeScale::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setIntProperty(name, "scale height", scaleHeight);
    media.setIntProperty(name, "font size", fontSize);
    media.setColorProperty(name, "font color", FfontColor);
    media.setColorProperty(name, "base color", baseColor);
    media.setColorProperty(name, "line color", FlineColor);
    media.setIntProperty(name, "relative time mode", FRelativeTM);
    // The grid may be a table the document does not hold, so the tier writes it as well; the
    // document's own table is already written by then and is not written again.
    factory.saveChild(name, "grid", FGrid.get(), media);
}

std::shared_ptr<TQVTGanttObject> TQVTTimeScalePersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                  TQVTEntityFactory& factory)
{
    auto scale = std::make_shared<TQVTTimeScale>();
    scale->scaleHeight = LoadSize(media, name, "scale height", DefaultHeight);
    scale->fontSize = LoadSize(media, name, "font size", DefaultFontSize);
    media.getColorProperty(name, "font color", DefaultFontColor, scale->FfontColor);
    media.getColorProperty(name, "base color", DefaultBaseColor, scale->baseColor);
    media.getColorProperty(name, "line color", DefaultLineColor, scale->FlineColor);
    // Any offset is safe: a negative one relates the tier anew, one beyond decades gives no unit.
    media.getIntProperty(name, "relative time mode", DefaultRelativeTM, scale->FRelativeTM);
    scale->FGrid = loadChildAs<IQVTChartTable>("grid", media, factory, scale.get());
    return scale;
}

} // namespace corvane
