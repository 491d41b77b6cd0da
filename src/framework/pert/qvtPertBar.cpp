#include "corvane/framework/pert/qvtPertBar.h"

#include "corvane/framework/chart/qvtChartShared_p.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/objects/qvtLoadedObject_p.h"
#include "corvane/framework/pert/qvtPertBarDrawer.h"
#include "corvane/framework/rendering/qvtTextArranger.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/rendering/qvtVisualContext.h"
#include "corvane/framework/time/qvtTimeMode.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

// Links that cannot be made (an object not held by a shared_ptr, or a cycle) are left out.
void tryParent(TQVTGanttObject* child, TQVTGanttObject* parent)
{
    if (!child || !parent || parent->weak_from_this().expired())
        return;
    try {
        child->setParent(parent);
    } catch (const EInvalidOperation&) {
    }
}

void removeOne(std::vector<std::weak_ptr<TQVTPertBar>>& list, const TQVTPertBar* box)
{
    const auto it =
        std::find_if(list.begin(), list.end(), [box](const auto& entry) { return entry.lock().get() == box; });
    if (it != list.end())
        list.erase(it);
}

std::vector<TQVTPertBar*> liveBoxes(const std::vector<std::weak_ptr<TQVTPertBar>>& list)
{
    std::vector<TQVTPertBar*> boxes;
    for (const auto& entry : list)
        if (auto box = entry.lock())
            boxes.push_back(box.get());
    return boxes;
}

// The whole day that ends the inclusive range shown for an end moment; 0 stays no date.
TDateTime inclusiveDay(TDateTime end)
{
    if (end != 0 && end == std::trunc(end))
        end = Prev(end, tmDay);
    return std::trunc(end);
}

TDateTime previousDayAtMidnight(TDateTime date)
{
    return date != 0 && date == std::trunc(date) ? Prev(date, tmDay) : date;
}

const TQVTPertBarSettings& builtInSettings()
{
    static const TQVTPertBarSettings settings;
    return settings;
}

} // namespace

// ---- settings ----

void TQVTPertBarSettings::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttObject::GetPublishedProperties(props);
    props.add("BorderColor", [this] { return FBorderColor; }, [this](TColor value) { FBorderColor = value; });
    props.add("backGroundColor", [this] { return FBackGroundColor; }, [this](TColor value) { FBackGroundColor = value; });
    props.add("BackgroundSummaryColor", [this] { return FBackgroundSummaryColor; },
              [this](TColor value) { FBackgroundSummaryColor = value; });
    props.add("BorderThickness", [this] { return FBorderThickness; }, [this](int value) { setBorderThickness(value); });
    props.add("height", [this] { return FHeight; }, [this](int value) { setHeight(value); });
    props.add("width", [this] { return FWidth; }, [this](int value) { setWidth(value); });
    props.add("ProgressBarFinishedColor", [this] { return FProgressBarFinishedColor; },
              [this](TColor value) { FProgressBarFinishedColor = value; });
    props.add("ProgressBarColor", [this] { return FProgressBarColor; },
              [this](TColor value) { FProgressBarColor = value; });
}

void TQVTPertBarSettings::setWidth(int value)
{
    FWidth = std::clamp(value, 1, MaxSize);
}

void TQVTPertBarSettings::setHeight(int value)
{
    FHeight = std::clamp(value, 1, MaxSize);
}

void TQVTPertBarSettings::setBorderThickness(int value)
{
    FBorderThickness = std::clamp(value, 0, MaxBorder);
}

void TQVTPertBarSettings::Assign(const TQVTPertBarSettings& source)
{
    FBorderColor = source.FBorderColor;
    FBackGroundColor = source.FBackGroundColor;
    FBackgroundSummaryColor = source.FBackgroundSummaryColor;
    FBorderThickness = source.FBorderThickness;
    FHeight = source.FHeight;
    FWidth = source.FWidth;
    FProgressBarFinishedColor = source.FProgressBarFinishedColor;
    FProgressBarColor = source.FProgressBarColor;
}

void TQVTPertBarSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setIntProperty(name, "border thickness", FBorderThickness);
    media.setIntProperty(name, "height", FHeight);
    media.setIntProperty(name, "width", FWidth);
    media.setColorProperty(name, "border color", FBorderColor);
    media.setColorProperty(name, "background color", FBackGroundColor);
    media.setColorProperty(name, "background summary color", FBackgroundSummaryColor);
    media.setColorProperty(name, "progress bar color", FProgressBarColor);
    media.setColorProperty(name, "progress bar finished color", FProgressBarFinishedColor);
}

std::shared_ptr<TQVTGanttObject> TQVTPertBarSettingsPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                        TQVTEntityFactory&)
{
    auto settings = std::make_shared<TQVTPertBarSettings>();
    int value = 0;
    media.getIntProperty(name, "border thickness", 2, value);
    settings->setBorderThickness(value);
    media.getIntProperty(name, "height", 100, value);
    settings->setHeight(value);
    media.getIntProperty(name, "width", 200, value);
    settings->setWidth(value);
    media.getColorProperty(name, "border color", 0x000000, settings->FBorderColor);
    media.getColorProperty(name, "background color", 0xFFFFFF, settings->FBackGroundColor);
    media.getColorProperty(name, "background summary color", 0x00FFFF, settings->FBackgroundSummaryColor);
    media.getColorProperty(name, "progress bar color", 0x0000FF, settings->FProgressBarColor);
    media.getColorProperty(name, "progress bar finished color", 0x008000, settings->FProgressBarFinishedColor);
    return settings;
}

// ---- sections ----

std::unique_ptr<TQVTDrawer> TQVTPertBarSection::makeDrawer() const
{
    return std::make_unique<TQVTPertBarSectionDrawer>(const_cast<TQVTPertBarSection*>(this));
}

TQVTPertBarSection::TQVTPertBarSection() : TQVTPertBarSection(nullptr, nullptr) {}

TQVTPertBarSection::TQVTPertBarSection(std::shared_ptr<TQVTTextSettings> settings, TQVTGanttObject* parent)
    : FSettings(settings ? std::move(settings) : std::make_shared<TQVTTextSettings>())
{
    tryParent(this, parent);
}

TQVTPertBarSection::TQVTPertBarSection(WithoutSettings)
{
}

TQVTPertBarSection::~TQVTPertBarSection() = default;

TQVTTextArranger& TQVTPertBarSection::getTextArranger()
{
    TQVTTextSettings* settings = FSettings.get();
    if (!settings) {
        if (!FDefaultSettings)
            FDefaultSettings = std::make_unique<TQVTTextSettings>();
        settings = FDefaultSettings.get();
    }
    if (!FTextArranger || FArrangedSettings != settings) {
        FTextArranger = std::make_unique<TQVTTextArranger>(settings);
        FArrangedSettings = settings;
    }
    return *FTextArranger;
}

void TQVTPertBarSection::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttObject::GetPublishedProperties(props);
    props.addObject("Settings", [this]() -> TQVTGanttObject* { return FSettings.get(); });
    props.add("Text", [this] { return FText; }, [this](const std::string& value) { FText = value; });
}

void TQVTPertBarSection::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setStrProperty(name, "text", FText);
    // Written although older files lack it: the section's font would otherwise be lost on every save.
    factory.saveChild(name, "settings", FSettings.get(), media);
}

std::shared_ptr<TQVTGanttObject> TQVTPertBarSectionPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                       TQVTEntityFactory& factory)
{
    auto section = makeLoaded<TQVTPertBarSection>(factory, TQVTPertBarSection::WithoutSettings{});
    media.getStrProperty(name, "text", "", section->FText);
    // A file without settings keeps none: the section is painted with default ones.
    section->FSettings = loadChildAs<TQVTTextSettings>("settings", media, factory, section.get());
    return section;
}

bool TQVTPertBarSectionDrawer::Draw(TQVTVisualContext& vc)
{
    auto* section = dynamic_cast<TQVTPertBarSection*>(target);
    if (!section)
        return false;
    vc.drawRect(FRect, psSolid, FFrameColor);
    const TRect inner{FRect.Left + 1, FRect.Top + 1, FRect.Right - 1, FRect.Bottom - 1};
    if (section->FText.empty() || inner.Right <= inner.Left || inner.Bottom <= inner.Top)
        return true;
    TQVTTextArranger& arranger = section->getTextArranger();
    arranger.wordWrapText(section->FText, inner.Right - inner.Left, true);
    vc.SetClipRect(inner);
    arranger.drawText(vc, inner, false, clNone);
    vc.ResetClipRect();
    return true;
}

// ---- PERT bar ----

TQVTPertBar::TQVTPertBar() = default;

TQVTPertBar::TQVTPertBar(int x, int y, const TQVTPertBarSettings* settings)
    : Fx(x),
      Fy(y),
      FMainSection(std::make_shared<TQVTPertBarSection>())
{
    if (settings)
        applySettings(*settings);
}

std::shared_ptr<TQVTPertBar> TQVTPertBar::Create(int x, int y, const TQVTPertBarSettings* settings)
{
    auto box = std::make_shared<TQVTPertBar>(x, y, settings);
    tryParent(box->FMainSection.get(), box.get());
    tryParent(box->FMainSection->FSettings.get(), box->FMainSection.get());
    tryParent(box->FSettings.get(), box.get());
    return box;
}

std::unique_ptr<TQVTDrawer> TQVTPertBar::makePertDrawer(int type) const
{
    auto* self = const_cast<TQVTPertBar*>(this);
    switch (type) {
    case qvtpbtTimeSpan:
        return std::make_unique<TQVTPertBarTimespanPertDrawer>(self);
    case qvtpbtNoTimeSpan:
        return std::make_unique<TQVTPertBarNoTimespanPertDrawer>(self);
    default:
        return std::make_unique<TQVTPertBarPertDrawer>(self);
    }
}

std::unique_ptr<TQVTDrawer> TQVTPertBar::makePertViewDrawer() const
{
    return makePertDrawer(FPertBarType);
}

void TQVTPertBar::SetPertType(int t)
{
    FPertBarType = t;
    // Made again, for the new type, when next asked for.
    FDrawerPert.reset();
}

void TQVTPertBar::applySettings(const TQVTPertBarSettings& s)
{
    if (!FSettings) {
        FSettings = std::make_shared<TQVTPertBarSettings>();
        tryParent(FSettings.get(), this);
    }
    FSettings->Assign(s);
}

TQVTGanttTable* TQVTPertBar::getTable() const
{
    const TQVTGanttRow* row = getParentRow();
    return row ? row->getTable() : nullptr;
}

const TQVTPertBarSettings& TQVTPertBar::effectiveSettings() const
{
    if (FSettings)
        return *FSettings;
    const TQVTGanttTable* table = getTable();
    if (table && table->FDefaultPertBarSettings)
        return *table->FDefaultPertBarSettings;
    return builtInSettings();
}

bool TQVTPertBar::overlap(TDateTime start, TDateTime end, int row, TQVTGanttBar* bar)
{
    if (dynamic_cast<TQVTProgressBar*>(bar))
        return false;
    return TQVTGanttBar::overlap(start, end, row, bar);
}

TQVTOperationPtr TQVTPertBar::moveTo(TDateTime date, int row)
{
    TQVTGanttTable* table = getTable();
    if (!table)
        return nullptr;
    const double x = std::clamp(static_cast<double>(table->getPertStartX()) + std::nearbyint(date),
                                -double{MaxCoordinate}, double{MaxCoordinate});
    const double y =
        std::clamp(static_cast<double>(table->getPertStartY()) + row, -double{MaxCoordinate}, double{MaxCoordinate});
    TPoint point;
    table->snapToGrid(static_cast<int>(x), static_cast<int>(y), point, true);
    TQVTGanttDocument* document = table->findDocument();
    return std::make_shared<TQVTPertBarMoveOperation>(document ? document->FDataSource : nullptr,
                                                      std::static_pointer_cast<TQVTPertBar>(shared_from_this()),
                                                      point.X, point.Y);
}

bool TQVTPertBar::connectionTo(const TQVTPertBar* box) const
{
    const TQVTGanttTable* table = getTable();
    return table && box && table->findPertBarsConnection(getParentRow(), box->getParentRow());
}

bool TQVTPertBar::connectedWith(const TQVTPertBar* box) const
{
    return connectionTo(box) || (box && box->connectionTo(this));
}

void TQVTPertBar::newConnectionTo(TQVTPertBar* box)
{
    if (box)
        FOutgoingConnections.push_back(std::static_pointer_cast<TQVTPertBar>(box->weak_from_this().lock()));
}

void TQVTPertBar::newConnectionFrom(TQVTPertBar* box)
{
    if (box)
        FIncomingConnections.push_back(std::static_pointer_cast<TQVTPertBar>(box->weak_from_this().lock()));
}

void TQVTPertBar::removeConnectionTo(const TQVTPertBar* box)
{
    removeOne(FOutgoingConnections, box);
}

void TQVTPertBar::removeConnectionFrom(const TQVTPertBar* box)
{
    removeOne(FIncomingConnections, box);
}

std::vector<TQVTPertBar*> TQVTPertBar::outgoingConnections() const
{
    return liveBoxes(FOutgoingConnections);
}

std::vector<TQVTPertBar*> TQVTPertBar::incomingConnections() const
{
    return liveBoxes(FIncomingConnections);
}

void TQVTPertBar::UpdateRange()
{
    if (const TQVTGanttRow* row = getParentRow())
        UpdateRange(*row);
}

void TQVTPertBar::UpdateRange(const TQVTGanttRow& row)
{
    TQVTPertRangeInput input;
    for (const auto& bar : row.FBarList)
        input.add(*bar);
    UpdateRange(row.FindStartDate(), row.FindEndDate(), input);
}

void TQVTPertRangeInput::add(TQVTGanttBar& bar)
{
    // The common classes are told apart without a dynamic cast (a progress bar adds nothing),
    // and a plain task bar is read without virtual calls. Its working length is asked first:
    // deriving it drops the end cache, which getEndDate fills.
    const auto exact = bar.exactClass();
    if (exact == TQVTGanttBar::ExactClass::Task) {
        auto& task = static_cast<TQVTTaskBar&>(bar);
        const double working = task.TQVTTaskBar::getEffectiveDuration();
        addTask(task, working, task.TQVTTaskBar::getEndDate() - task.TQVTTaskBar::getStartDate());
    } else if (exact == TQVTGanttBar::ExactClass::Summary) {
        FHasSummaryBar = true;
    } else if (exact == TQVTGanttBar::ExactClass::Other) {
        FHasSummaryBar = FHasSummaryBar || dynamic_cast<TQVTSummaryBar*>(&bar);
        if (auto* task = dynamic_cast<TQVTTaskBar*>(&bar)) {
            const double working = task->getEffectiveDuration();
            addTask(*task, working, task->getEndDate() - task->getStartDate());
        }
    }
}

void TQVTPertRangeInput::addTask(const TQVTTaskBar& task, double working, TDateTime duration)
{
    const TDateTime lateStart = task.FLFTime - duration;
    const TDateTime earlyFinish = task.FESTime + duration;
    if (FTaskBars++ == 0) {
        FLSTime = lateStart;
        FESTime = task.FESTime;
        FLFTime = task.FLFTime;
        FEFTime = earlyFinish;
    }
    FProgressSum += task.FProgress;
    FLSTime = std::min(FLSTime, lateStart);
    FESTime = std::min(FESTime, task.FESTime);
    FLFTime = std::max(FLFTime, task.FLFTime);
    FEFTime = std::max(FEFTime, earlyFinish);
    FLBTime += task.FLBTime;
    FGBTime += task.FGBTime;
    FEffectiveDuration += working;
}

void TQVTPertBar::UpdateRange(TDateTime start, TDateTime end, const TQVTPertRangeInput& input)
{
    FstartDate = std::trunc(start);
    FendDate = inclusiveDay(end);
    FIsSummary = input.FHasSummaryBar;
    FProgress = 0;
    FHasTaskBar = input.FTaskBars > 0;
    if (!FHasTaskBar)
        return;
    FLSTime = input.FLSTime;
    FESTime = input.FESTime;
    FLFTime = previousDayAtMidnight(input.FLFTime);
    FEFTime = previousDayAtMidnight(input.FEFTime);
    FLBTime = input.FLBTime;
    FGBTime = input.FGBTime;
    FEffectiveDuration = input.FEffectiveDuration;
    if (input.FProgressSum > 0)
        FProgress = static_cast<int>(input.FProgressSum / input.FTaskBars);
}

void TQVTPertBar::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttBar::GetPublishedProperties(props);
    props.BeforeEdit = nullptr;
    props.AfterEdit = nullptr;
    const auto coordinate = [](int value) { return std::clamp(value, -MaxCoordinate, MaxCoordinate); };
    props.addObject("Settings", [this]() -> TQVTGanttObject* { return FSettings.get(); });
    props.add("X", [this] { return Fx; }, [this, coordinate](int value) { Fx = coordinate(value); });
    props.add("Y", [this] { return Fy; }, [this, coordinate](int value) { Fy = coordinate(value); });
    props.add("PertType", [this] { return static_cast<TQVTPertBarType>(FPertBarType); },
              [this](TQVTPertBarType value) { SetPertType(value); });
    props.addObject("TopSection", [this]() -> TQVTGanttObject* { return FTopSection.get(); });
    props.addObject("MainSection", [this]() -> TQVTGanttObject* { return FMainSection.get(); });
    props.addObject("BottomSection", [this]() -> TQVTGanttObject* { return FBottomSection.get(); });
    props.add("Detailed", [this] { return FDetailed; }, [this](bool value) { FDetailed = value; });
    props.add("UserDefinedNumber", [this] { return FUserDefinedNumber; },
              [this](const std::string& value) { FUserDefinedNumber = value; });
}

void TQVTPertBar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    const std::string uid = getUID();
    // A connection saves the box under its own identifier; only a row names it as its "pert bar".
    if (name != uid)
        media.setStrProperty(name, "pert bar", uid);
    media.setStrProperty(uid, "typeID", TypeID);
    media.setIntProperty(uid, "x", Fx);
    media.setIntProperty(uid, "y", Fy);
    media.setIntProperty(uid, "type", FPertBarType);
    factory.saveChild(uid, "settings", FSettings.get(), media);
    factory.saveChild(uid, "MainSection", FMainSection.get(), media);
    factory.saveChild(uid, "TopSection", FTopSection.get(), media);
    factory.saveChild(uid, "BottomSection", FBottomSection.get(), media);
    factory.saveObjectList(uid, "AdditionalSections", media, FAdditionalSections);
    // Loaded with the other bar keys; a box that had a halo keeps it through a save.
    if (FTextHalo)
        factory.saveChild(uid, "text halo", FTextHalo.get(), media);
}

std::shared_ptr<TQVTGanttBar> TQVTPertBarPersistence::doLoadBar(const std::string& name, IQVTMedia& media,
                                                                TQVTEntityFactory& factory)
{
    auto bar = makeLoaded<TQVTPertBar>(factory);
    int value = 0;
    media.getIntProperty(name, "x", 0, value);
    bar->Fx = std::clamp(value, -TQVTPertBar::MaxCoordinate, TQVTPertBar::MaxCoordinate);
    media.getIntProperty(name, "y", 0, value);
    bar->Fy = std::clamp(value, -TQVTPertBar::MaxCoordinate, TQVTPertBar::MaxCoordinate);
    media.getIntProperty(name, "type", 0, value);
    bar->SetPertType(value);
    bar->FSettings = loadChildAs<TQVTPertBarSettings>("settings", media, factory, bar.get());
    bar->FMainSection = loadChildAs<TQVTPertBarSection>("MainSection", media, factory, bar.get());
    bar->FTopSection = loadChildAs<TQVTPertBarSection>("TopSection", media, factory, bar.get());
    bar->FBottomSection = loadChildAs<TQVTPertBarSection>("BottomSection", media, factory, bar.get());
    bar->FAdditionalSections =
        factory.loadObjectListAs<TQVTPertBarSection>(name, "AdditionalSections", media, bar.get());
    std::erase(bar->FAdditionalSections, nullptr);
    return bar;
}

TQVTFakePertBar::TQVTFakePertBar(int x, int y) : TQVTPertBar(x, y, nullptr) {}

std::unique_ptr<TQVTDrawer> TQVTFakePertBar::makePertDrawer(int) const
{
    return std::make_unique<TQVTFakePertBarPertDrawer>(const_cast<TQVTFakePertBar*>(this));
}

// ---- moving a box ----

TQVTPertBarMoveOperation::TQVTPertBarMoveOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTPertBar> box,
                                                   int x, int y)
    : TQVTOperation(dataSource),
      target(std::move(box)),
      originalStartDate(target ? target->Fx : 0),
      newStartDate(x),
      originalRow(target ? target->Fy : 0),
      newRow(y)
{
}

namespace {

// The row whose box is box, in a table; none otherwise.
TQVTGanttRow* boxRow(const TQVTPertBar* box, TQVTGanttTable*& table)
{
    TQVTGanttRow* row = box ? box->getParentRow() : nullptr;
    table = row && row->FPertBar.get() == box ? row->getTable() : nullptr;
    return table ? row : nullptr;
}

} // namespace

bool TQVTPertBarMoveOperation::perform()
{
    TQVTGanttTable* table = nullptr;
    TQVTGanttRow* row = boxRow(target.get(), table);
    if (!row)
        return false;
    target->Fx = roundHalfEven(newStartDate);
    target->Fy = newRow;
    previousZOrder = table->getZOrder(row);
    table->setZOrder(row, 0);
    return true;
}

bool TQVTPertBarMoveOperation::undo()
{
    TQVTGanttTable* table = nullptr;
    TQVTGanttRow* row = boxRow(target.get(), table);
    if (!row)
        return false;
    target->Fx = roundHalfEven(originalStartDate);
    target->Fy = originalRow;
    if (previousZOrder >= 0) {
        table->setZOrder(row, previousZOrder);
    } else if (const int at = table->getZOrder(row); at >= 0) {
        table->FRowsZOrder.erase(table->FRowsZOrder.begin() + at);
    }
    return true;
}

} // namespace corvane
