#include "corvane/framework/chart/qvtGanttBar.h"

#include "corvane/framework/chart/qvtChartShared_p.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/rendering/qvtVisualContext.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DateUtils.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <typeinfo>
#include <vector>

namespace corvane {

namespace {

// A date entered for a bar stays within the calendar's years, as a loaded one does.
TDateTime dateInRange(TDateTime date, TDateTime current)
{
    static const TDateTime FirstDay = EncodeDate(1, 1, 1);
    static const TDateTime AfterLastDay = EncodeDate(9999, 12, 31) + 1;
    return std::isnan(date) ? current : std::clamp(date, FirstDay, AfterLastDay);
}

std::string timesToText(const BarTimes& times)
{
    return FloatToText(times.start) + " " + FloatToText(times.end) + " " + FloatToText(times.effectiveDuration) +
           " " + std::to_string(times.height);
}

BarTimes textToTimes(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t blank = std::min(text.find(' ', start), text.size());
        parts.push_back(text.substr(start, blank - start));
        start = blank + 1;
    }
    if (parts.size() != 4)
        throw EConvertError("'" + text + "' are no bar times");
    return BarTimes{TextToFloat(parts[0]), TextToFloat(parts[1]), TextToFloat(parts[2]),
                    static_cast<int>(TextToInteger(parts[3], std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()))};
}

TQVTDocumentCalendar* calendarOf(const TQVTGanttBar& bar)
{
    TQVTGanttDocument* document = bar.findDocument();
    return document ? document->getCalendar() : nullptr;
}

// Date arithmetic in the calendar's time mode; days without a calendar.
TDateTime addUnits(const TQVTDocumentCalendar* calendar, TDateTime date, int n)
{
    return calendar ? calendar->Add(date, n) : corvane::Add(date, n, tmDay);
}

TDateTime realAddUnits(const TQVTDocumentCalendar* calendar, TDateTime date, double x)
{
    return calendar ? calendar->RealAdd(date, x) : corvane::RealAdd(date, x, tmDay);
}

double unitsBetween(const TQVTDocumentCalendar* calendar, TDateTime later, TDateTime earlier)
{
    return calendar ? calendar->RealDiff(later, earlier) : corvane::RealDiff(later, earlier, tmDay);
}

} // namespace

std::unique_ptr<TQVTDrawer> TQVTGanttBar::makeDrawer() const
{
    return std::make_unique<TQVTGanttBarDrawer>(const_cast<TQVTGanttBar*>(this));
}

TQVTGanttBar::TQVTGanttBar() : FendDate(1)
{
}

TQVTGanttBar::TQVTGanttBar(TDateTime start, TDateTime end, int row)
    : FRow(row),
      FstartDate(start),
      FendDate(end > start ? end : start + 1)
{
    FTextHalo = std::make_shared<TQVTTextHalo>();
    FTextHalo->FTextSettings = std::make_shared<TQVTTextSettings>();
}

bool TQVTGanttBar::Resize(double change, int, bool right)
{
    const TQVTDocumentCalendar* calendar = calendarOf(*this);
    if (right)
        FendDate = std::max(addUnits(calendar, FstartDate, 1), realAddUnits(calendar, FendDate, change));
    else
        FstartDate = std::min(addUnits(calendar, FendDate, -1), realAddUnits(calendar, FstartDate, change));
    return true;
}

TQVTOperationPtr TQVTGanttBar::moveTo(TDateTime date, int row)
{
    TQVTGanttTable* table = findTable();
    if (!table)
        return nullptr;
    TQVTGanttDocument* document = table->findDocument();
    return std::make_shared<TQVTBarMoveOperation>(document ? document->FDataSource : nullptr,
                                                  std::static_pointer_cast<TQVTGanttBar>(shared_from_this()), date,
                                                  row);
}

bool TQVTGanttBar::occupies(TDateTime date, int row)
{
    return FstartDate <= date && date < FendDate && getRow() == row;
}

TRect TQVTGanttBar::getRect(TDateTime viewStart)
{
    auto* drawer = dynamic_cast<TQVTGanttBarDrawer*>(getDrawer(vtGanttGraph));
    return drawer ? drawer->getRect(viewStart) : TQVTGanttBarDrawer::NoRect;
}

TQVTGanttBar::ExactClass TQVTGanttBar::exactClass() const
{
    if (FExactClass == ExactClass::Unknown) {
        // Comparing the class records' addresses never confuses two classes; where one class
        // has two records, the bar counts as Other and takes the general paths.
        const std::type_info* type = &typeid(*this);
        FExactClass = type == &typeid(TQVTTaskBar)        ? ExactClass::Task
                      : type == &typeid(TQVTSummaryBar)   ? ExactClass::Summary
                      : type == &typeid(TQVTProgressBar)  ? ExactClass::Progress
                      : type == &typeid(TQVTMilestoneBar) ? ExactClass::Milestone
                                                          : ExactClass::Other;
    }
    return FExactClass;
}

TDateTime TQVTGanttBar::getStartDate()
{
    return FstartDate;
}

TDateTime TQVTGanttBar::getEndDate()
{
    return FendDate;
}

void TQVTGanttBar::setEndDate(TDateTime date)
{
    FendDate = date;
}

bool TQVTGanttBar::inRow(int row)
{
    return getRow() == row;
}

bool TQVTGanttBar::overlap(TDateTime start, TDateTime end, int row, TQVTGanttBar*)
{
    if (getRow() != row)
        return false;
    return (FstartDate <= start && start < FendDate) || (start <= FstartDate && FstartDate < end);
}

void TQVTGanttBar::setPeriod(TDateTime start, TDateTime end)
{
    setStartDate(start);
    setEndDate(end);
}

double TQVTGanttBar::getEffectiveDuration()
{
    TQVTDocumentCalendar* calendar = calendarOf(*this);
    const int row = getRow();
    // The calendar knows the years 1 to 9999; a span reaching beyond them is counted inside.
    static const TDateTime FirstDay = EncodeDate(1, 1, 1);
    static const TDateTime AfterLastDay = EncodeDate(9999, 12, 31) + 1;
    const TDateTime end = std::min(FendDate, AfterLastDay);
    double count = 0;
    for (TDateTime day = std::max(FstartDate, FirstDay); end > day;) {
        if (!calendar || calendar->isWorking(day, row, tmDay))
            count += 1;
        const TDateTime next = Next(day, tmDay);
        if (!(next > day))
            break;
        day = next;
    }
    return count;
}

void TQVTGanttBar::setEffectiveDuration(double d)
{
    FendDate = FstartDate + d;
}

void TQVTGanttBar::setStartDate(TDateTime date)
{
    FstartDate = date;
}

BarFactory TQVTGanttBar::getFakeClass() const
{
    return [](TDateTime start, TDateTime end, int row) -> std::shared_ptr<TQVTGanttBar> {
        return std::make_shared<TQVTFakeBar>(start, end, row);
    };
}

BarTimes TQVTGanttBar::getTimes() const
{
    return BarTimes{FstartDate, FendDate};
}

void TQVTGanttBar::setTimes(const BarTimes& times)
{
    FstartDate = times.start;
    FendDate = times.end;
}

void TQVTGanttBar::setParent(TQVTGanttObject* parent)
{
    TQVTGanttObject::setParent(parent);
    if (FTextHalo && !FTextHalo->getParent())
        FTextHalo->setParent(this);
}

void TQVTGanttBar::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttObject::GetPublishedProperties(props);
    props.add("StartDate", [this] { return getStartDate(); },
              [this](TDateTime date) { setStartDate(dateInRange(date, FstartDate)); });
    props.add("EndDate", [this] { return getEndDate(); },
              [this](TDateTime date) { setEndDate(dateInRange(date, FendDate)); });
    props.add("row", [this] { return getRow(); }, [this](int row) { FRow = row; });
    props.addObject("textHalo", [this]() -> TQVTGanttObject* { return FTextHalo.get(); });
    props.add("focused", [this] { return FFocused; }, [this](bool value) { FFocused = value; });
    props.add("PreventLeftAlign", [this] { return FPreventLeftAlign; },
              [this](bool value) { FPreventLeftAlign = value; });
    props.add("Visible", [this] { return FVisible; }, [this](bool value) { FVisible = value; });
    // The setters follow the kind's rules (locks, working time); putting an edit back must not.
    props.addHidden("times", [this] { return timesToText(getTimes()); },
                    [this](const std::string& text) { setTimes(textToTimes(text)); });
    props.BeforeEdit = [this](TQVTDataSourceIntf* dataSource) {
        return !findTable() || !cancelledBy(dataSource, &TQVTDataSourceIntf::OnBeforeBarResize, this);
    };
    props.AfterEdit = [this](TQVTDataSourceIntf* dataSource) {
        if (TQVTGanttTable* table = findTable()) {
            table->updateAfterChange({getRow()});
            tellAfter(dataSource, &TQVTDataSourceIntf::OnAfterBarResize, this);
        }
    };
}

int TQVTGanttBar::getRow()
{
    if (const TQVTGanttRow* row = getParentRow())
        FRow = row->FOrder;
    return FRow;
}

int TQVTGanttBar::getIndexInRow() const
{
    const TQVTGanttRow* row = getParentRow();
    return row ? row->indexOf(this) : -1;
}

TQVTGanttRow* TQVTGanttBar::getParentRow() const
{
    return asChartObject<TQVTGanttRow>(getParent());
}

TQVTGanttTable* TQVTGanttBar::findTable() const
{
    const TQVTGanttRow* row = getParentRow();
    return row && row->indexOf(this) >= 0 ? row->getTable() : nullptr;
}

TQVTGanttDocument* TQVTGanttBar::findDocument() const
{
    TQVTGanttObject* parent = getParent();
    return parent ? dynamic_cast<TQVTGanttDocument*>(FindDocumentSetup(parent)) : nullptr;
}

TQVTGanttBar* TQVTGanttBarDrawer::bar() const
{
    return dynamic_cast<TQVTGanttBar*>(target);
}

TQVTGanttObject* TQVTGanttBarDrawer::locateObject(int x, int y)
{
    const bool inside = x >= lastRect.Left && x < lastRect.Right && y >= lastRect.Top && y < lastRect.Bottom;
    return inside ? target : nullptr;
}

bool TQVTGanttBarDrawer::closerToStart(int x, int)
{
    return std::abs(static_cast<std::int64_t>(x) - lastRect.Left) <=
           std::abs(static_cast<std::int64_t>(x) - lastRect.Right);
}

TRect TQVTGanttBarDrawer::getRect(TDateTime viewStart)
{
    // Painting asks for every candidate connection's two bars: the row, table and document
    // are looked up once here rather than once per use.
    TQVTGanttBar* bar = this->bar();
    const TQVTGanttRow* row = bar ? bar->getParentRow() : nullptr;
    TQVTGanttTable* table = row && row->indexOf(bar) >= 0 ? row->getTable() : nullptr;
    if (!table)
        return NoRect;
    // The bar hangs below the table, so the table's document is the bar's.
    TQVTGanttDocument* document = table->findDocument();
    const TQVTDocumentCalendar* calendar = document ? document->getCalendar() : nullptr;
    const double columnWidth = table->GetColumnWidth();
    const TDateTime start = bar->getStartDate();
    const int index = row->FOrder;
    TRect rect;
    rect.Left = roundHalfEven(static_cast<double>(chartOriginX(document)) +
                              std::nearbyint(columnWidth * unitsBetween(calendar, start, viewStart)));
    rect.Top = table->getRowStartY(index);
    // nearbyint rounds halves to even; roundHalfEven then keeps the sums in range.
    rect.Right =
        roundHalfEven(rect.Left + std::nearbyint(columnWidth * unitsBetween(calendar, bar->getEndDate(), start)));
    rect.Bottom = roundHalfEven(static_cast<double>(rect.Top) + table->getRowHeight(index));
    return rect;
}

void TQVTGanttBarDrawer::highlight(TQVTVisualContext& vc, TRect rect)
{
    if (!highlightedMode)
        return;
    constexpr int Margin = 2;
    constexpr TColor HighlightColor = 0x000000FF;
    const TRect frame{rect.Left - Margin, rect.Top - Margin, rect.Right + Margin, rect.Bottom + Margin};
    vc.drawRect(frame, psDot, HighlightColor);
}

std::shared_ptr<TQVTGanttObject> TQVTGanttBarPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    std::shared_ptr<TQVTGanttBar> bar = doLoadBar(name, media, factory);
    if (bar)
        bar->FTextHalo = loadChildAs<TQVTTextHalo>("text halo", media, factory, bar.get());
    return bar;
}

TQVTBarResizeOperation::TQVTBarResizeOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTGanttBar> bar,
                                               double changeCol, int changeRow, bool right)
    : TQVTOperation(dataSource),
      Target(std::move(bar)),
      changeCol(changeCol),
      changeRow(changeRow),
      right(right)
{
}

namespace {

// Asks OnBarResize; a resize is allowed unless the handler clears the flag.
bool resizeAllowed(TQVTDataSourceIntf* dataSource, TQVTGanttBar* bar, double changeCol, int changeRow, bool right)
{
    bool allowed = true;
    if (dataSource && dataSource->OnBarResize && !RollbackScope::active())
        dataSource->OnBarResize(bar, changeCol, changeRow, right, allowed);
    return allowed;
}

} // namespace

bool TQVTBarResizeOperation::perform()
{
    TQVTGanttTable* table = Target ? Target->findTable() : nullptr;
    if (!table || cancelledBy(FDataSource, &TQVTDataSourceIntf::OnBeforeBarResize, Target.get()) ||
        !resizeAllowed(FDataSource, Target.get(), changeCol, changeRow, right))
        return false;
    FBefore = Target->getTimes();
    if (!Target->Resize(changeCol, changeRow, right)) {
        Target->setTimes(FBefore);
        return false;
    }
    table->updateAfterChange({Target->getRow()});
    tellAfter(FDataSource, &TQVTDataSourceIntf::OnAfterBarResize, Target.get());
    return true;
}

bool TQVTBarResizeOperation::undo()
{
    TQVTGanttTable* table = Target ? Target->findTable() : nullptr;
    if (!table || cancelledBy(FDataSource, &TQVTDataSourceIntf::OnBeforeBarResize, Target.get()) ||
        !resizeAllowed(FDataSource, Target.get(), -changeCol, -changeRow, right))
        return false;
    // Putting back the recorded times is exact even where the resize clamped.
    Target->setTimes(FBefore);
    table->updateAfterChange({Target->getRow()});
    tellAfter(FDataSource, &TQVTDataSourceIntf::OnAfterBarResize, Target.get());
    return true;
}

TQVTBarAssignTimeOperation::TQVTBarAssignTimeOperation(TQVTDataSourceIntf* dataSource,
                                                       std::shared_ptr<TQVTGanttBar> bar, TDateTime start,
                                                       TDateTime end)
    : TQVTOperation(dataSource),
      Target(std::move(bar)),
      FStartDate(start),
      FEndDate(end)
{
}

bool TQVTBarAssignTimeOperation::perform()
{
    TQVTGanttTable* table = Target ? Target->findTable() : nullptr;
    if (!table || cancelledBy(FDataSource, &TQVTDataSourceIntf::OnBeforeBarResize, Target.get()))
        return false;
    FOld = Target->getTimes();
    Target->setStartDate(FStartDate);
    Target->setEndDate(FEndDate);
    table->updateAfterChange({Target->getRow()});
    tellAfter(FDataSource, &TQVTDataSourceIntf::OnAfterBarResize, Target.get());
    return true;
}

bool TQVTBarAssignTimeOperation::undo()
{
    TQVTGanttTable* table = Target ? Target->findTable() : nullptr;
    if (!table || cancelledBy(FDataSource, &TQVTDataSourceIntf::OnBeforeBarResize, Target.get()))
        return false;
    Target->setTimes(FOld);
    table->updateAfterChange({Target->getRow()});
    tellAfter(FDataSource, &TQVTDataSourceIntf::OnAfterBarResize, Target.get());
    return true;
}

} // namespace corvane
