#include "corvane/framework/chart/qvtTaskBar.h"

#include "corvane/framework/chart/qvtChartShared_p.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtResources.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/localization/qvtLocalization.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/objects/qvtLoadedObject_p.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/framework/rendering/qvtVisualContext.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/Colors.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/DiagnosticLog.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace corvane {

namespace {

// The calendar knows the years 1 to 9999; stored dates and spans are kept inside them.
const TDateTime FirstDate = EncodeDate(1, 1, 1);
const TDateTime AfterLastDate = EncodeDate(9999, 12, 31) + 1;
const double LongestSpan = AfterLastDate - FirstDate;

// Tags by which the application marks bars that never meet a task bar / a progress bar.
constexpr int TaskBarPassTag = 80;
constexpr int ProgressBarPassTag = 84;

constexpr int FixedLabelFontSize = 7;
constexpr int FixedLabelHeight = 12;

int toPixel(double x)
{
    if (std::isnan(x))
        return 0;
    return static_cast<int>(std::clamp<double>(x, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int saturate(std::int64_t value)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

TRect shrunk(TRect r, int dx, int dy)
{
    return TRect{saturate(std::int64_t{r.Left} + dx), saturate(std::int64_t{r.Top} + dy),
                 saturate(std::int64_t{r.Right} - dx), saturate(std::int64_t{r.Bottom} - dy)};
}

// A stored real read into range; NaN gives fallback.
double readReal(IQVTMedia& media, const std::string& section, const char* key, double low, double high, double fallback)
{
    double value = 0;
    media.getRealProperty(section, key, 0, value);
    if (std::isnan(value) || value < low || value > high) {
        const double kept = std::isnan(value) ? fallback : std::clamp(value, low, high);
        addlog("Section \"" + section + "\": \"" + key + "\" out of range, " + std::to_string(kept) + " used");
        return kept;
    }
    return value;
}

int readInt(IQVTMedia& media, const std::string& section, const char* key, int def, int low, int high)
{
    int value = def;
    media.getIntProperty(section, key, def, value);
    if (value < low || value > high) {
        value = std::clamp(value, low, high);
        addlog("Section \"" + section + "\": \"" + key + "\" out of range, " + std::to_string(value) + " used");
    }
    return value;
}

// The settings a bar outside any document falls back on; never changed.
TQVTTaskBarSettings& detachedTaskBarSettings()
{
    static const auto settings = std::make_shared<TQVTTaskBarSettings>();
    return *settings;
}

TQVTProgressBarSettings& detachedProgressBarSettings()
{
    static const auto settings = std::make_shared<TQVTProgressBarSettings>();
    return *settings;
}

bool isShadowBar(const TQVTGanttBar* bar)
{
    return dynamic_cast<const TQVTShadowTaskBar*>(bar) || dynamic_cast<const TQVTShadowProgressBar*>(bar);
}

// The base rule of Part "overlap": the span covers the range's start, or starts inside the range.
bool spansMeet(TDateTime barStart, TDateTime barEnd, TDateTime start, TDateTime end)
{
    return (barStart <= start && start < barEnd) || (start <= barStart && barStart < end);
}

// Lets the application paint the bar instead; answers whether it is assigned.
bool customDrawn(TQVTGanttBar& bar, TQVTGanttDocument& document, TQVTVisualContext& vc, TRect& rect)
{
    const TQVTDataSourceIntf* dataSource = document.FDataSource;
    if (!dataSource || !dataSource->OnCustomDrawBar)
        return false;
    auto* canvasVC = dynamic_cast<TQVTCanvasVC*>(&vc);
    dataSource->OnCustomDrawBar(&bar, canvasVC ? canvasVC->getCanvas() : nullptr, rect);
    return true;
}

// x of date on the chart of the document and its table (truncated).
int chartX(TQVTGanttDocument& document, const TQVTGanttTable& table, TDateTime date)
{
    const TQVTDocumentCalendar* cal = document.getCalendar();
    const double units =
        cal ? cal->RealDiff(date, document.getStartDate()) : corvane::RealDiff(date, document.getStartDate(), tmDay);
    return toPixel(chartOriginX(&document) + std::trunc(table.GetColumnWidth() * units));
}

void drawHalo(TQVTGanttBar& bar, TQVTVisualContext& vc)
{
    if (bar.FTextHalo)
        if (TQVTDrawer* drawer = bar.FTextHalo->getDrawer(vtGanttGraph))
            drawer->Draw(vc);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Task bar settings

void TQVTTaskBarSettings::Assign(const TQVTTaskBarSettings& other)
{
    FBorderColor = other.FBorderColor;
    FColor = other.FColor;
    FProgressColor = other.FProgressColor;
    FBorderThickness = other.FBorderThickness;
    FHeight = other.FHeight;
    if (!other.FVisualGoodie) {
        FVisualGoodie.reset();
        return;
    }
    const TQVTVisualGoodie& source = *other.FVisualGoodie;
    auto goodie = std::make_shared<TQVTVisualGoodie>();
    goodie->Assign(source);
    goodie->FPatternFillStyle = source.FPatternFillStyle;
    goodie->FPatternColor = source.FPatternColor;
    goodie->FStartGlyph = source.FStartGlyph;
    goodie->FEndGlyph = source.FEndGlyph;
    goodie->FStartGlyphTransparentColor = source.FStartGlyphTransparentColor;
    goodie->FEndGlyphTransparentColor = source.FEndGlyphTransparentColor;
    goodie->setParent(this);
    FVisualGoodie = std::move(goodie);
}

void TQVTTaskBarSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setIntProperty(name, "border thickness", FBorderThickness);
    media.setIntProperty(name, "bar height", FHeight);
    media.setColorProperty(name, "border color", FBorderColor);
    media.setColorProperty(name, "bar color", FColor);
    media.setColorProperty(name, "progress color", FProgressColor);
    factory.saveChild(name, "goodie", FVisualGoodie.get(), media);
}

std::shared_ptr<TQVTGanttObject> TQVTTaskBarSettingsPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                        TQVTEntityFactory& factory)
{
    auto settings = std::make_shared<TQVTTaskBarSettings>();
    settings->FBorderThickness =
        readInt(media, name, "border thickness", 2, 0, TQVTTaskBarSettings::MaxBorderThickness);
    settings->FHeight = readInt(media, name, "bar height", 18, 0, TQVTTaskBarSettings::MaxHeight);
    media.getColorProperty(name, "border color", 0x000000, settings->FBorderColor);
    media.getColorProperty(name, "bar color", 0xFF0000, settings->FColor);
    media.getColorProperty(name, "progress color", 0x00FFFF, settings->FProgressColor);
    settings->FVisualGoodie = loadChildAs<TQVTVisualGoodie>("goodie", media, factory, settings.get());
    return settings;
}

// ---------------------------------------------------------------------------------------------
// Task bar

std::unique_ptr<TQVTDrawer> TQVTTaskBar::makeDrawer() const
{
    return std::make_unique<TQVTTaskBarDrawer>(const_cast<TQVTTaskBar*>(this));
}

TQVTTaskBar::TQVTTaskBar()
{
    FendDate = 0;
}

TQVTTaskBar::TQVTTaskBar(TDateTime start, TDateTime end, int row) : TQVTGanttBar(start, end, row)
{
    auto settings = std::make_shared<TQVTTaskBarSettings>();
    settings->FColor = 0xFF0000;
    settings->FHeight = 18;
    settings->FBorderColor = clBlack;
    settings->FBorderThickness = 1;
    auto goodie = std::make_shared<TQVTVisualGoodie>();
    goodie->FDrawStyle = dsDrawGradient;
    goodie->FSolidFillColor = 0xFF0000;
    goodie->FGradientFillStartColor = 0xFF0000;
    goodie->FGradientFillEndColor = 0xFF8000;
    goodie->FGradientFillHorizontal = true;
    goodie->FPatternFillStyle = bsBDiagonal;
    goodie->FPatternColor = clWhite;
    goodie->setParent(settings.get());
    settings->FVisualGoodie = std::move(goodie);
    settings->setParent(this);
    FSettings = std::move(settings);
}

TQVTDocumentCalendar* TQVTTaskBar::calendar() const
{
    TQVTGanttDocument* document = findDocument();
    return document ? document->getCalendar() : nullptr;
}

TDateTime TQVTTaskBar::getEndDate()
{
    if (FendDate == 0 && calendar()) {
        getEffectiveDuration();
        if (FendDate == 0)
            deriveEnd();
    }
    return FendDate;
}

void TQVTTaskBar::deriveEnd()
{
    // The cache is filled at once wherever a calendar can fill it, so a bar's state does not
    // depend on who asked for its end last.
    FendDate = 0;
    if (TQVTDocumentCalendar* cal = calendar()) {
        if (!(FEffectiveDuration > 0))
            FEffectiveDuration = cal->getUnitPeriod();
        FendDate = cal->addEffective(getRow(), FstartDate, FEffectiveDuration, false);
    } else if (FEffectiveDuration > 0) {
        FendDate = FstartDate + FEffectiveDuration;
    }
    // No date exists after the calendar's last year: a longer duration ends the bar there,
    // rather than at an end that no file could hold.
    if (FendDate > AfterLastDate && FstartDate < AfterLastDate)
        FendDate = AfterLastDate;
}

void TQVTTaskBar::setEndDate(TDateTime date)
{
    if (FLocked)
        return;
    FendDate = date;
    TQVTDocumentCalendar* cal = calendar();
    FEffectiveDuration = cal ? cal->diffEffective(getRow(), FstartDate, date) : date - FstartDate;
    // An end at or before the start, or one that covers no working time, would leave a bar
    // without length: the bar takes one unit of working time instead.
    if (!(FEffectiveDuration > 0)) {
        FEffectiveDuration = -1;
        deriveEnd();
    }
}

void TQVTTaskBar::setStartDate(TDateTime date)
{
    if (!FLocked)
        moveStart(date);
}

void TQVTTaskBar::setPeriod(TDateTime start, TDateTime)
{
    moveStart(start);
}

void TQVTTaskBar::moveStart(TDateTime date)
{
    if (!calendar()) {
        // Nothing to derive the end by: the span moves along as it is.
        if (FendDate != 0)
            FendDate += date - FstartDate;
        FstartDate = date;
        return;
    }
    // The working time is taken from the span before the span is given up, so that a bar
    // whose duration was not yet known keeps its length.
    getEffectiveDuration();
    FstartDate = date;
    deriveEnd();
}

double TQVTTaskBar::getEffectiveDuration()
{
    if (FEffectiveDuration <= 0 || std::isnan(FEffectiveDuration)) {
        TQVTDocumentCalendar* cal = calendar();
        // Without a calendar the span from start to a known end is all there is to go by.
        if (!cal)
            return FendDate > FstartDate ? FendDate - FstartDate : 1;
        FEffectiveDuration = FendDate != 0 ? cal->diffEffective(getRow(), FstartDate, FendDate) : 0;
        // Asking for the duration keeps a known span as it is; only a span without working
        // time, or without an end, gets the derived end.
        if (!(FEffectiveDuration > 0) || FendDate == 0)
            deriveEnd();
    }
    return FEffectiveDuration;
}

void TQVTTaskBar::setEffectiveDuration(double d)
{
    if (FLocked)
        return;
    FEffectiveDuration = d;
    deriveEnd();
}

bool TQVTTaskBar::Resize(double change, int row, bool right)
{
    if (FLocked || (change == 0 && row == 0))
        return false;
    getEndDate(); // the base works on the end itself
    const bool result = TQVTGanttBar::Resize(change, row, right);
    if (TQVTDocumentCalendar* cal = calendar())
        FEffectiveDuration = cal->diffEffective(getRow(), FstartDate, FendDate);
    else
        FEffectiveDuration = FendDate - FstartDate;
    return result;
}

TQVTOperationPtr TQVTTaskBar::moveTo(TDateTime date, int row)
{
    if (FLocked)
        return TQVTGanttBar::moveTo(FstartDate, getRow());
    if (date == FstartDate && row == getRow())
        return nullptr;
    return TQVTGanttBar::moveTo(date, row);
}

bool TQVTTaskBar::occupies(TDateTime date, int row)
{
    return FstartDate <= date && date < getEndDate() && getRow() == row;
}

bool TQVTTaskBar::overlap(TDateTime start, TDateTime end, int row, TQVTGanttBar* bar)
{
    if (bar && (dynamic_cast<TQVTProgressBar*>(bar) || isShadowBar(bar) || bar->QVTTag == TaskBarPassTag))
        return false;
    if (getRow() != row)
        return false;
    return spansMeet(FstartDate, getEndDate(), start, end);
}

BarTimes TQVTTaskBar::getTimes() const
{
    return BarTimes{FstartDate, FendDate, FEffectiveDuration};
}

void TQVTTaskBar::setTimes(const BarTimes& times)
{
    FstartDate = times.start;
    FendDate = times.end;
    FEffectiveDuration = times.effectiveDuration;
}

void TQVTTaskBar::adoptRowCalendar()
{
    if (!calendar())
        return;
    getEffectiveDuration();
    FendDate = 0;
}

void TQVTTaskBar::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttBar::GetPublishedProperties(props);
    const auto span = [](double value, double current) {
        return std::isnan(value) ? current : std::clamp(value, 0.0, LongestSpan);
    };
    const auto date = [](TDateTime value, TDateTime current) {
        return std::isnan(value) ? current : std::clamp(value, FirstDate, AfterLastDate);
    };
    props.add("Locked", [this] { return FLocked; }, [this](bool value) { setLocked(value); });
    props.addObject("Settings", [this]() -> TQVTGanttObject* { return FSettings.get(); });
    props.add("fixed", [this] { return FFixed; }, [this](bool value) { FFixed = value; });
    props.add("Progress", [this] { return FProgress; }, [this](int value) { SetProgress(value); });
    props.add("criticalElement", [this] { return FCriticalElement; }, [this](bool value) { FCriticalElement = value; });
    props.add("ESTime", [this] { return FESTime; }, [this, date](TDateTime value) { FESTime = date(value, FESTime); });
    props.add("LFTime", [this] { return FLFTime; }, [this, date](TDateTime value) { FLFTime = date(value, FLFTime); });
    props.add("LBTime", [this] { return getLBTime(); },
              [this, span](TDateTime value) { setLBTime(span(value, FLBTime)); });
    props.add("GBTime", [this] { return FGBTime; }, [this, span](TDateTime value) { FGBTime = span(value, FGBTime); });
    // Zero or less means "not known yet", as in a file.
    props.add("effectiveDuration", [this] { return getEffectiveDuration(); },
              [this](double value) {
                  if (!std::isnan(value))
                      setEffectiveDuration(std::min(value, LongestSpan));
              });
    props.add("bufferTimeLeft", [this] { return FBufferTimeLeft; },
              [this, span](double value) { FBufferTimeLeft = span(value, FBufferTimeLeft); });
    props.add("bufferTimeRight", [this] { return FBufferTimeRight; },
              [this, span](double value) { FBufferTimeRight = span(value, FBufferTimeRight); });
}

TQVTTaskBarSettings* TQVTTaskBar::GetSettings()
{
    if (FSettings)
        return FSettings.get();
    if (TQVTGanttDocument* document = findDocument())
        if (TQVTTaskBarSettings* settings = document->GetTaskBarSettings())
            return settings;
    return &detachedTaskBarSettings();
}

void TQVTTaskBarSettings::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttObject::GetPublishedProperties(props);
    props.add("BorderColor", [this] { return FBorderColor; }, [this](TColor value) { FBorderColor = value; });
    props.add("Color", [this] { return FColor; }, [this](TColor value) { FColor = value; });
    props.add("ProgressColor", [this] { return FProgressColor; }, [this](TColor value) { FProgressColor = value; });
    props.add("BorderThickness", [this] { return FBorderThickness; },
              [this](int value) { FBorderThickness = std::clamp(value, 0, MaxBorderThickness); });
    props.add("Height", [this] { return FHeight; }, [this](int value) { FHeight = std::clamp(value, 0, MaxHeight); });
    props.addObject("visualGoodie", [this]() -> TQVTGanttObject* { return FVisualGoodie.get(); });
}

void TQVTProgressBarSettings::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttObject::GetPublishedProperties(props);
    props.add("Color", [this] { return FColor; }, [this](TColor value) { FColor = value; });
    props.add("borderColor", [this] { return FBorderColor; }, [this](TColor value) { FBorderColor = value; });
    props.add("Height", [this] { return FHeight; }, [this](int value) { FHeight = std::clamp(value, 0, MaxHeight); });
}

void TQVTProgressBar::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttBar::GetPublishedProperties(props);
    props.addObject("Settings", [this]() -> TQVTGanttObject* { return FSettings.get(); });
}

void TQVTTaskBar::SetProgress(int p)
{
    FProgress = std::clamp(p, 0, 100);
}

void TQVTTaskBar::BringToFront()
{
    TQVTGanttRow* row = getParentRow();
    const int index = getIndexInRow();
    if (!row || index < 0 || index == row->GetBarCount() - 1)
        return;
    std::swap(row->FBarList[static_cast<std::size_t>(index)], row->FBarList.back());
}

TDateTime TQVTTaskBar::effectiveStart()
{
    TQVTDocumentCalendar* cal = calendar();
    return cal ? cal->findFirstEffective(FstartDate, getRow()) : FstartDate;
}

TDateTime TQVTTaskBar::effectiveEnd()
{
    TQVTDocumentCalendar* cal = calendar();
    const double duration = getEffectiveDuration();
    return cal ? cal->addEffective(getRow(), FstartDate, duration, false) : FstartDate + duration;
}

void TQVTTaskBar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    // A bar without settings of its own names the document's, as progress bars do.
    TQVTGanttObject* settings = FSettings.get();
    if (!settings)
        if (TQVTGanttDocument* document = findDocument())
            settings = document->GetTaskBarSettings();
    factory.saveChild(name, "settings", settings, media);
    factory.saveChild(name, "text halo", FTextHalo.get(), media);
    media.setRealProperty(name, "start date", FstartDate);
    media.setRealProperty(name, "end date", getEndDate());
    media.setRealProperty(name, "left buffer time", FBufferTimeLeft);
    media.setRealProperty(name, "right buffer time", FBufferTimeRight);
    // Written as derived, so that the file does not depend on whether anybody asked for it yet.
    media.setRealProperty(name, "effective duration", calendar() ? getEffectiveDuration() : FEffectiveDuration);
    media.setBoolProperty(name, "Fixed", FFixed);
    media.setIntProperty(name, "progress", FProgress);
}

std::shared_ptr<TQVTGanttBar> TQVTTaskBarPersistence::doLoadBar(const std::string& name, IQVTMedia& media,
                                                                TQVTEntityFactory& factory)
{
    // No settings object of its own: one named by the file, else the document's.
    auto bar = makeLoaded<TQVTTaskBar>(factory);
    bar->FSettings = loadChildAs<TQVTTaskBarSettings>("settings", media, factory, bar.get());
    bar->FstartDate = readReal(media, name, "start date", FirstDate, AfterLastDate - 1, 0);
    double end = 0;
    media.getRealProperty(name, "end date", 0, end);
    if (std::isnan(end) || (end != 0 && !(end > bar->FstartDate && end <= AfterLastDate))) {
        addlog("Section \"" + name + "\": \"end date\" out of range, derived from the duration");
        end = 0;
    }
    bar->FendDate = end;
    bar->FBufferTimeLeft = readReal(media, name, "left buffer time", 0, LongestSpan, 0);
    bar->FBufferTimeRight = readReal(media, name, "right buffer time", 0, LongestSpan, 0);
    bar->FEffectiveDuration = readReal(media, name, "effective duration", -1, LongestSpan, -1);
    media.getBoolProperty(name, "Fixed", false, bar->FFixed);
    int progress = 0;
    media.getIntProperty(name, "progress", 0, progress);
    if (progress < 0 || progress > 100)
        addlog("Section \"" + name + "\": \"progress\" " + std::to_string(progress) + " clamped to 0..100");
    bar->SetProgress(progress);
    return bar;
}

// ---------------------------------------------------------------------------------------------
// Task bar drawer

TQVTTaskBar* TQVTTaskBarDrawer::taskBar() const
{
    return dynamic_cast<TQVTTaskBar*>(target);
}

TRect TQVTTaskBarDrawer::getRect(TDateTime viewStart)
{
    TRect r = TQVTGanttBarDrawer::getRect(viewStart);
    TQVTTaskBar* bar = taskBar();
    if (r == NoRect || !bar)
        return r;
    const int h = bar->GetSettings()->FHeight;
    const std::int64_t c = (std::int64_t{r.Top} + r.Bottom) / 2;
    const int top = saturate(std::max<std::int64_t>(c - roundHalfEven(h / 2.0), r.Top));
    r.Bottom = saturate(std::min<std::int64_t>(std::int64_t{top} + h, r.Bottom));
    r.Top = top;
    return r;
}

int TQVTTaskBarDrawer::getCoords(TDateTime date)
{
    TQVTTaskBar* bar = taskBar();
    TQVTGanttDocument* document = bar ? bar->findDocument() : nullptr;
    TQVTGanttTable* table = bar ? bar->findTable() : nullptr;
    if (!document || !table)
        return 0;
    return chartX(*document, *table, date);
}

void TQVTTaskBarDrawer::computeSlices(TQVTTaskBar& bar, TQVTVisualGoodie& goodie, TQVTGanttDocument& document,
                                      const TQVTGanttTable& table)
{
    goodie.ClearTimeSlices();
    TQVTDocumentCalendar* cal = document.getCalendar();
    if (!cal || (cal->getTimeMode() != tmDay && cal->getTimeMode() != tmHour))
        return;
    const int row = bar.getRow();
    const TDateTime end = bar.getEndDate();
    const TDateTime effectiveEnd = bar.effectiveEnd();
    const TDateTime limit = document.getEndDate() + 2;
    TDateTime walk = std::max(document.getStartDate() - 2, bar.effectiveStart());
    // Bounded, whatever a calendar answers: every turn moves forward or stops.
    for (int turns = 0; turns < 100000; ++turns) {
        TDateTime exceptionStart = IQVTCalendar::NoNonWorkingTime;
        double length = 0;
        if (!cal->findNextNonWorkingException(walk, exceptionStart, length, row))
            exceptionStart = IQVTCalendar::NoNonWorkingTime;
        const TDateTime sliceEnd = std::min(exceptionStart, effectiveEnd);
        if (sliceEnd > walk && walk < end)
            goodie.AddSlice(chartX(document, table, walk), chartX(document, table, sliceEnd));
        if (exceptionStart >= IQVTCalendar::NoNonWorkingTime)
            break;
        const TDateTime next = exceptionStart + length;
        if (!(next > walk))
            break;
        walk = next;
        if (exceptionStart > end || walk > end || walk > limit)
            break;
    }
}

void TQVTTaskBarDrawer::emphasizeNonWorking(TQVTVisualContext& vc, TQVTTaskBar& bar, TQVTVisualGoodie& goodie,
                                            TColor color, TQVTGanttDocument& document, const TQVTGanttTable& table)
{
    TQVTDocumentCalendar* cal = document.getCalendar();
    if (!cal || (cal->getTimeMode() != tmDay && cal->getTimeMode() != tmHour))
        return;
    auto* goodieDrawer = dynamic_cast<TQVTVisualGoodieDrawer*>(goodie.getDrawer(vtGanttGraph));
    if (!goodieDrawer)
        return;
    const int row = bar.getRow();
    const TDateTime start = bar.getStartDate();
    const TDateTime end = std::min(bar.getEndDate(), document.getEndDate() + 2);
    const TRect g = goodie.FRect;
    // Only what can reach the visible dates is walked.
    TDateTime walk = std::max(start, document.getStartDate() - 2);
    for (int turns = 0; turns < 100000 && walk < end; ++turns) {
        TDateTime exceptionStart = 0;
        double length = 0;
        if (!cal->findNextNonWorkingException(walk, exceptionStart, length, row) || exceptionStart >= end)
            break;
        const TDateTime from = std::max(exceptionStart, start);
        const TDateTime to = std::min(exceptionStart + length, end);
        if (to > from && !cal->isWorking(from, row, cal->getTimeMode())) {
            const int x1 = std::max(g.Left, chartX(document, table, from));
            const int x2 = std::min(g.Right, chartX(document, table, to));
            if (x2 > x1)
                goodieDrawer->brighten(vc, TRect{x1, g.Top, x2, g.Bottom}, color);
        }
        const TDateTime next = exceptionStart + length;
        if (!(next > walk))
            break;
        walk = next;
    }
}

void TQVTTaskBarDrawer::drawFixedLabel(TQVTVisualContext& vc, int x, int y)
{
    const std::string text = GetRessourceValue("df_fixedtaskbar");
    vc.setFont("Arial", FixedLabelFontSize, clWhite, false, false, false, 0);
    const int width = vc.TextWidth(text);
    vc.Draw3dFrame(TRect{x, y, saturate(std::int64_t{x} + width + 5), saturate(std::int64_t{y} + FixedLabelHeight)},
                   clBlack);
    vc.textOutOriented(saturate(std::int64_t{x} + 2), saturate(std::int64_t{y} + 1), text, 0);
}

bool TQVTTaskBarDrawer::Draw(TQVTVisualContext& vc)
{
    TQVTTaskBar* bar = taskBar();
    const BarPlacement placement = placementOf(bar);
    if (!bar || !shownOnChart(*bar, placement)) {
        clearLastRect();
        return false;
    }
    TQVTGanttDocument* document = placement.document;
    TQVTGanttTable* table = placement.table;
    const TQVTTaskBarSettings& settings = *bar->GetSettings();
    TRect r = getRect(document->getStartDate());
    const int b = bar->FFocused ? table->FFocusedFrameThickness : settings.FBorderThickness;
    inner = shrunk(r, b, b);

    if (customDrawn(*bar, *document, vc, r)) {
        lastRect = r;
        return false;
    }

    TQVTVisualGoodie* goodie = settings.FVisualGoodie.get();
    if (goodie) {
        if (table->FDrawBarsSliced)
            computeSlices(*bar, *goodie, *document, *table);
        else
            goodie->ClearTimeSlices();
    }

    const TColor frameColor = bar->FCriticalElement ? table->FCriticalPathColor
                              : bar->FFocused       ? table->FfocusedFrameColor
                                                    : settings.FBorderColor;
    if (!goodie || goodie->FTimeSlices.empty()) {
        vc.fillBounds(r, inner, frameColor, bsSolid);
    } else {
        const TColor sliceColor = bar->FCriticalElement ? table->FCriticalPathColor : settings.FBorderColor;
        for (const TQVTTimeSlice& slice : goodie->FTimeSlices) {
            const TRect box{slice.start, inner.Top, slice.end, inner.Bottom};
            vc.fillBounds(shrunk(box, -b, -b), box, sliceColor, bsSolid);
        }
    }

    // The body lies between the buffer zones, never outside the frame.
    TRect g = inner;
    g.Left = std::max(inner.Left,
                      std::min(chartX(*document, *table, bar->getStartDate() + bar->FBufferTimeLeft), inner.Right));
    g.Right = std::min(inner.Right,
                       std::max(chartX(*document, *table, bar->getEndDate() - bar->FBufferTimeRight), inner.Left));
    if (goodie) {
        auto* goodieDrawer = dynamic_cast<TQVTVisualGoodieDrawer*>(goodie->getDrawer(vtGanttGraph));
        goodie->FRect = g;
        if (goodieDrawer) {
            goodieDrawer->fillGoodie(vc);
            if (table->FEmphasizeTaskBarsInDayMode && !table->FDrawBarsSliced)
                emphasizeNonWorking(vc, *bar, *goodie, table->FWeekendBrightenColor, *document, *table);
            goodieDrawer->drawGlyphs(vc);
            goodieDrawer->drawBuffers(inner, vc);
        }
    } else {
        vc.FillArea(g, settings.FColor, bsSolid);
    }

    TRect progress = shrunk(inner, 1, (std::int64_t{inner.Bottom} - inner.Top) / 3);
    const std::int64_t width = std::int64_t{progress.Right} - progress.Left;
    progress.Right = saturate(progress.Left + width * bar->FProgress / 100);
    if (progress.Right > progress.Left && progress.Bottom > progress.Top)
        vc.FillArea(progress, settings.FProgressColor, bsSolid);

    highlight(vc, r);
    lastRect = r;

    if (bar->FLocked && document->FDrawFixedLabels)
        drawFixedLabel(vc, progress.Left, progress.Top);
    drawHalo(*bar, vc);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Progress bars

void TQVTProgressBarSettings::Assign(const TQVTProgressBarSettings& other)
{
    FColor = other.FColor;
    FBorderColor = other.FBorderColor;
    FHeight = other.FHeight;
}

void TQVTProgressBarSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setIntProperty(name, "bar height", FHeight);
    media.setColorProperty(name, "bar color", FColor);
    media.setColorProperty(name, "border color", FBorderColor);
}

std::shared_ptr<TQVTGanttObject> TQVTProgressBarSettingsPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                            TQVTEntityFactory&)
{
    auto settings = std::make_shared<TQVTProgressBarSettings>();
    settings->FHeight = readInt(media, name, "bar height", 8, 0, TQVTProgressBarSettings::MaxHeight);
    media.getColorProperty(name, "bar color", 0x008000, settings->FColor);
    media.getColorProperty(name, "border color", 0x000000, settings->FBorderColor);
    return settings;
}

std::unique_ptr<TQVTDrawer> TQVTProgressBar::makeDrawer() const
{
    return std::make_unique<TQVTProgressBarDrawer>(const_cast<TQVTProgressBar*>(this));
}

TQVTProgressBar::TQVTProgressBar()
{
}

TQVTProgressBar::TQVTProgressBar(TDateTime start, TDateTime end, int row) : TQVTGanttBar(start, end, row)
{
}

bool TQVTProgressBar::overlap(TDateTime start, TDateTime end, int row, TQVTGanttBar* bar)
{
    if (bar && (dynamic_cast<TQVTTaskBar*>(bar) || bar->QVTTag == ProgressBarPassTag))
        return false;
    return TQVTGanttBar::overlap(start, end, row, bar);
}

BarFactory TQVTProgressBar::getFakeClass() const
{
    return [](TDateTime start, TDateTime end, int row) -> std::shared_ptr<TQVTGanttBar> {
        return std::make_shared<TQVTFakeProgressBar>(start, end, row);
    };
}

TQVTProgressBarSettings* TQVTProgressBar::GetSettings()
{
    if (FSettings)
        return FSettings.get();
    if (TQVTGanttDocument* document = findDocument())
        if (TQVTProgressBarSettings* settings = document->GetProgressBarSettings())
            return settings;
    return &detachedProgressBarSettings();
}

void TQVTProgressBar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    TQVTGanttObject* settings = FSettings.get();
    if (!settings)
        if (TQVTGanttDocument* document = findDocument())
            settings = document->GetProgressBarSettings();
    factory.saveChild(name, "settings", settings, media);
    media.setRealProperty(name, "start date", FstartDate);
    media.setRealProperty(name, "end date", FendDate);
    // Written although older files lack it: the drawer paints the halo, so its labels must survive a save.
    factory.saveChild(name, "text halo", FTextHalo.get(), media);
}

std::shared_ptr<TQVTGanttBar> TQVTProgressBarPersistence::doLoadBar(const std::string& name, IQVTMedia& media,
                                                                    TQVTEntityFactory& factory)
{
    auto bar = makeLoaded<TQVTProgressBar>(factory);
    bar->FSettings = loadChildAs<TQVTProgressBarSettings>("settings", media, factory, bar.get());
    bar->FstartDate = readReal(media, name, "start date", FirstDate, AfterLastDate - 1, 0);
    double end = 0;
    media.getRealProperty(name, "end date", 0, end);
    if (std::isnan(end) || !(end > bar->FstartDate && end <= AfterLastDate)) {
        addlog("Section \"" + name + "\": \"end date\" out of range, one day after the start used");
        end = bar->FstartDate + 1;
    }
    bar->FendDate = end;
    return bar;
}

TRect TQVTProgressBarDrawer::getRect(TDateTime viewStart)
{
    TRect r = TQVTGanttBarDrawer::getRect(viewStart);
    TQVTGanttBar* bar = this->bar();
    if (r == NoRect || !bar)
        return r;
    TQVTGanttDocument* document = bar->findDocument();
    const TQVTTaskBarSettings* taskSettings = document ? document->GetTaskBarSettings() : nullptr;
    const int tb = (taskSettings ? *taskSettings : detachedTaskBarSettings()).FHeight;
    auto* progressBar = dynamic_cast<TQVTProgressBar*>(bar);
    const TQVTProgressBarSettings* own = document ? document->GetProgressBarSettings() : nullptr;
    const int pb = own ? own->FHeight : progressBar ? progressBar->GetSettings()->FHeight : 0;
    const std::int64_t c = (std::int64_t{r.Top} + r.Bottom) / 2;
    const std::int64_t t = std::max<std::int64_t>(c - roundHalfEven(tb / 2.0), r.Top);
    const std::int64_t bottom = std::min<std::int64_t>(t + tb, r.Bottom);
    r.Top = saturate(bottom);
    r.Bottom = saturate(bottom + pb);
    return r;
}

bool TQVTProgressBarDrawer::Draw(TQVTVisualContext& vc)
{
    auto* bar = dynamic_cast<TQVTProgressBar*>(this->bar());
    const BarPlacement placement = placementOf(bar);
    if (!bar || !shownOnChart(*bar, placement)) {
        clearLastRect();
        return false;
    }
    TQVTGanttDocument* document = placement.document;
    TQVTGanttTable* table = placement.table;
    const TQVTProgressBarSettings& settings = *bar->GetSettings();
    const TRect r = getRect(document->getStartDate());
    vc.FillArea(r, settings.FColor, bsSolid);
    vc.drawRect(r, psSolid, settings.FBorderColor);
    TRect o = shrunk(r, 1, 1);
    if (customDrawn(*bar, *document, vc, o)) {
        lastRect = o;
        return false;
    }
    if (bar->FFocused && settings.FHeight > 0) {
        const int f = table->FFocusedFrameThickness;
        vc.fillBounds(o, shrunk(o, f, f), table->FfocusedFrameColor, bsSolid);
    }
    highlight(vc, o);
    lastRect = o;
    drawHalo(*bar, vc);
    return true;
}

std::unique_ptr<TQVTDrawer> TQVTFakeProgressBar::makeDrawer() const
{
    return std::make_unique<TQVTFakeProgressBarDrawer>(const_cast<TQVTFakeProgressBar*>(this));
}

TQVTFakeProgressBar::TQVTFakeProgressBar(TDateTime start, TDateTime end, int row) : TQVTProgressBar(start, end, row)
{
}

} // namespace corvane
