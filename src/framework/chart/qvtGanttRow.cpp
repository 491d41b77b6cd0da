#include "corvane/framework/chart/qvtGanttRow.h"

#include "corvane/framework/chart/qvtChartDrawers.h"
#include "corvane/framework/chart/qvtChartShared_p.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/objects/qvtLoadedObject_p.h"
#include "corvane/framework/pert/qvtPertBar.h"
#include "corvane/framework/time/qvtBlockedDays_p.h"
#include "corvane/platform/DiagnosticLog.h"
#include "corvane/platform/AddressSet_p.h"

#include <algorithm>

namespace corvane {

namespace {

constexpr int DefaultLoadedHeight = 25;

// Walks the bars that pick the row's dates; keeps a bar's date when it is a date (not 0) and
// comes before the current one by `earlier`.
template <typename Pick, typename Earlier>
TDateTime findDate(const std::vector<std::shared_ptr<TQVTGanttBar>>& bars, bool summarizableOnly, Pick pick,
                   Earlier earlier)
{
    TDateTime found = 0;
    for (const auto& bar : bars) {
        if (!bar || (summarizableOnly && !bar->isSummarizable()))
            continue;
        const TDateTime date = pick(*bar);
        if (date != 0 && (found == 0 || earlier(date, found)))
            found = date;
    }
    return found;
}

TDateTime startOf(TQVTGanttBar& bar)
{
    return bar.getStartDate();
}

TDateTime endOf(TQVTGanttBar& bar)
{
    return bar.getEndDate();
}

bool before(TDateTime a, TDateTime b)
{
    return a < b;
}

bool after(TDateTime a, TDateTime b)
{
    return a > b;
}

} // namespace

void TQVTGanttRow::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttObject::GetPublishedProperties(props);
    props.add("Height", [this] { return FHeight; }, [this](int value) { setHeight(value); });
    props.add("visible", [this] { return FVisible; }, [this](bool value) { setVisible(value); });
    props.add("hidden", [this] { return FHidden; }, [this](bool value) { FHidden = value; });
    props.addReadOnly("order", [this] { return FOrder; });
    props.add("Collapsed", [this] { return FCollapsed; }, [this](bool value) { setCollapsed(value); });
    props.add("focused", [this] { return FFocused; }, [this](bool value) { FFocused = value; });
    props.add("selected", [this] { return FSelected; }, [this](bool value) { FSelected = value; });
    props.addObject("pertBar", [this]() -> TQVTGanttObject* { return FPertBar.get(); });
    props.add("RowUpperLabel", [this] { return FRowUpperLabel; },
              [this](const std::string& value) { FRowUpperLabel = value; });
    props.add("RowLowerLabel", [this] { return FRowLowerLabel; },
              [this](const std::string& value) { FRowLowerLabel = value; });
    props.add("RowLabelMode", [this] { return FRowLabelMode; }, [this](int value) { FRowLabelMode = value; });
}

void TQVTGanttRow::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setIntProperty(name, "height", FHeight);
    factory.saveObjectList(name, "bars", media, FBarList);
    // The PERT box writes its own "pert bar" reference into this section; a box that is gone
    // must not come back from the file saved over.
    if (FPertBar)
        factory.saveObject(name, media, FPertBar.get());
    else
        media.deleteProperty(name, "pert bar");
}

TQVTGanttTable* TQVTGanttRow::getTable() const
{
    auto* table = asChartObject<TQVTGanttTable>(getParent());
    const bool listed = table && FOrder >= 0 && FOrder < table->countRows() &&
                        table->FRows[static_cast<std::size_t>(FOrder)].get() == this;
    return listed ? table : nullptr;
}

std::unique_ptr<TQVTDrawer> TQVTGanttRow::makeDrawer() const
{
    return std::make_unique<TQVTGanttRowDrawer>(const_cast<TQVTGanttRow*>(this));
}

std::unique_ptr<TQVTDrawer> TQVTGanttRow::makePertViewDrawer() const
{
    return std::make_unique<TQVTGanttRowPertDrawer>(const_cast<TQVTGanttRow*>(this));
}

void TQVTGanttRow::setHeight(int value)
{
    FHeight = std::clamp(value, 0, MaxHeight);
    geometryChanged();
}

void TQVTGanttRow::setVisible(bool value)
{
    if (FVisible == value)
        return;
    FVisible = value;
    geometryChanged();
}

void TQVTGanttRow::setCollapsed(bool value)
{
    if (FCollapsed == value)
        return;
    FCollapsed = value;
    geometryChanged();
}

void TQVTGanttRow::geometryChanged() const
{
    if (auto* table = dynamic_cast<TQVTGanttTable*>(getParent()))
        table->invalidateRowGeometry();
}

bool TQVTGanttRow::IsGroup()
{
    TQVTGanttTable* table = getTable();
    if (!table)
        return false;
    const std::vector<int>& ends = table->getRowTreeShape().subtreeEnd;
    return FOrder >= 0 && static_cast<std::size_t>(FOrder) < ends.size() &&
           ends[static_cast<std::size_t>(FOrder)] > FOrder;
}

void TQVTGanttRow::AddBar(const std::shared_ptr<TQVTGanttBar>& bar, int index)
{
    if (!bar)
        return;
    // A bar taken out keeps its parent, so a bar put back into the row it came from (as a move
    // in time does) leaves the row layout as it was.
    const bool joins = bar->getParentRow() != this;
    const bool inside = index >= 0 && index < GetBarCount();
    FBarList.insert(inside ? FBarList.begin() + index : FBarList.end(), bar);
    bar->setParent(this);
    if (joins)
        tellTableBarsChanged();
}

void TQVTGanttRow::tellTableBarsChanged() const
{
    if (auto* table = dynamic_cast<TQVTGanttTable*>(getParent()))
        table->rowLayoutChanged();
}

int TQVTGanttRow::RemoveBar(const TQVTGanttBar* bar)
{
    const int index = indexOf(bar);
    if (index >= 0)
        FBarList.erase(FBarList.begin() + index);
    return index;
}

TQVTGanttBar* TQVTGanttRow::GetBarInRow(int i) const
{
    return i >= 0 && i < GetBarCount() ? FBarList[static_cast<std::size_t>(i)].get() : nullptr;
}

int TQVTGanttRow::indexOf(const TQVTGanttBar* bar) const
{
    const auto it = std::find_if(FBarList.begin(), FBarList.end(), [bar](const auto& b) { return b.get() == bar; });
    return it == FBarList.end() ? -1 : static_cast<int>(it - FBarList.begin());
}

void TQVTGanttRow::prefetchForPainting() const
{
    __builtin_prefetch(this);
    __builtin_prefetch(&FBarList);
    __builtin_prefetch(&FHeight);
}

int TQVTGanttRow::GetSummarizableBarCount() const
{
    return static_cast<int>(
        std::count_if(FBarList.begin(), FBarList.end(), [](const auto& bar) { return bar && bar->isSummarizable(); }));
}

TQVTGanttBar* TQVTGanttRow::findFirstSummarizable() const
{
    TQVTGanttBar* first = nullptr;
    for (const auto& bar : FBarList)
        if (bar && bar->isSummarizable() && (!first || bar->getStartDate() < first->getStartDate()))
            first = bar.get();
    return first;
}

TQVTGanttBar* TQVTGanttRow::findLastSummarizable() const
{
    TQVTGanttBar* last = nullptr;
    for (const auto& bar : FBarList)
        if (bar && bar->isSummarizable() && (!last || bar->getEndDate() > last->getEndDate()))
            last = bar.get();
    return last;
}

void TQVTGanttRow::Clear()
{
    FBarList.clear();
    FRessourceInformations.clear();
    tellTableBarsChanged();
}

TDateTime TQVTGanttRow::FindStartDate() const
{
    return findDate(FBarList, true, startOf, before);
}

TDateTime TQVTGanttRow::FindEndDate() const
{
    return findDate(FBarList, true, endOf, after);
}

TDateTime TQVTGanttRow::FindFirstStartDate() const
{
    return findDate(FBarList, false, startOf, before);
}

TDateTime TQVTGanttRow::FindLastEndDate() const
{
    return findDate(FBarList, false, endOf, after);
}

void TQVTGanttRow::RecalculateEffective()
{
    for (const auto& bar : FBarList)
        if (bar)
            bar->adoptRowCalendar();
}

void TQVTGanttRow::AddBlockedDate(TDateTime date)
{
    BlockedDates.push_back(date);
}

void TQVTGanttRow::ClearBlockedDates()
{
    BlockedDates.clear();
}

bool TQVTGanttRow::IsBlocked(TDateTime date) const
{
    // The calendar leaves out the same days.
    return TQVTBlockedDays(BlockedDates).IsBlocked(date);
}

void TQVTGanttRow::AddRessourceLabel(TDateTime start, TDateTime end, TColor backgroundColor, TColor textColor,
                                     const std::string& text1, const std::string& text2, std::uint8_t mode)
{
    const bool known = std::any_of(FRessourceInformations.rbegin(), FRessourceInformations.rend(),
                                   [&](const auto& label) { return label.StartDate == start && label.EndDate == end; });
    if (!known)
        FRessourceInformations.push_back(
            TRessourceInformation{start, end, backgroundColor, textColor, text1, text2, mode, TRect{}});
}

TRessourceInformation TQVTGanttRow::GetRessourceLabel(int i) const
{
    return i >= 0 && i < RessourceLabelsCount() ? FRessourceInformations[static_cast<std::size_t>(i)]
                                                : TRessourceInformation{};
}

std::shared_ptr<TQVTGanttObject> TQVTGanttRowPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    auto row = makeLoaded<TQVTGanttRow>(factory);
    int height = DefaultLoadedHeight;
    media.getIntProperty(name, "height", DefaultLoadedHeight, height);
    row->setHeight(height);
    auto bars = factory.loadObjectListAs<TQVTGanttBar>(name, "bars", media, row.get());
    row->FBarList.reserve(bars.size());
    // A row holds a bar or two: a set of the bars seen pays only for long lists.
    constexpr std::size_t MaxSearchedBars = 16;
    TAddressSet<TQVTGanttBar> seen;
    const auto isRepeated = [&](const TQVTGanttBar* bar) {
        if (bars.size() > MaxSearchedBars)
            return !seen.insert(bar);
        return std::any_of(row->FBarList.begin(), row->FBarList.end(), [bar](const auto& b) { return b.get() == bar; });
    };
    for (auto& bar : bars) {
        if (!bar || isRepeated(bar.get())) {
            addlog("Row \"" + name + "\" leaves out a bar that did not load or is listed twice");
            continue;
        }
        row->FBarList.push_back(std::move(bar));
    }
    row->FPertBar = loadChildAs<TQVTPertBar>("pert bar", media, factory, row.get());
    return row;
}

} // namespace corvane
