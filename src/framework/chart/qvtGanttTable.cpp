#include "corvane/framework/chart/qvtGanttTable.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtChartDrawers.h"
#include "corvane/framework/chart/qvtChartShared_p.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/pert/qvtCriticalPath.h"
#include "corvane/framework/pert/qvtPertBar.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/platform/AddressSet_p.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/DiagnosticLog.h"
#include "corvane/platform/ScopeGuard_p.h"

#include <algorithm>
#include <limits>
#include <typeinfo>
#include <utility>

namespace corvane {

namespace {

int clampToInt(std::int64_t v)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The earlier of two dates, where 0 stands for no date.
TDateTime earlierDate(TDateTime current, TDateTime candidate)
{
    return candidate != 0 && (current == 0 || candidate < current) ? candidate : current;
}

TDateTime laterDate(TDateTime current, TDateTime candidate)
{
    return candidate != 0 && (current == 0 || candidate > current) ? candidate : current;
}

bool isShadowBar(const TQVTGanttBar* bar)
{
    return dynamic_cast<const TQVTShadowTaskBar*>(bar) || dynamic_cast<const TQVTShadowProgressBar*>(bar);
}

// Makes parent the parent of an object a load shared from elsewhere; false when that would
// make the object its own ancestor.
bool adopt(TQVTGanttObject& child, TQVTGanttObject& parent)
{
    if (child.getParent() == &parent)
        return true;
    try {
        child.setParent(&parent);
        return true;
    } catch (const EInvalidOperation&) {
        return false;
    }
}

} // namespace

TQVTUserDefinedDateLine::TQVTUserDefinedDateLine() : Date(Now()) {}

TableUpdateDeferral::TableUpdateDeferral(TQVTGanttTable& table) : FTable(table)
{
    ++FTable.FUpdateDeferrals;
}

TableUpdateDeferral::~TableUpdateDeferral()
{
    if (--FTable.FUpdateDeferrals > 0)
        return;
    const bool due = std::exchange(FTable.FUpdateDue, false);
    const bool whole = std::exchange(FTable.FUpdateWholePending, false);
    const std::vector<int> rows = std::exchange(FTable.FUpdateRowsPending, {});
    if (whole)
        FTable.updateAfterChange();
    else if (due)
        FTable.updateAfterChange(rows);
}

TQVTGanttTable::TQVTGanttTable() = default;

TQVTGanttTable::~TQVTGanttTable() = default;

std::unique_ptr<TQVTDrawer> TQVTGanttTable::makeDrawer() const
{
    return std::make_unique<TQVTGanttTableDrawer>(const_cast<TQVTGanttTable*>(this));
}

std::unique_ptr<TQVTDrawer> TQVTGanttTable::makePertViewDrawer() const
{
    return std::make_unique<TQVTGanttTablePertDrawer>(const_cast<TQVTGanttTable*>(this));
}

TQVTRessourceLabelSelector* TQVTGanttTable::getRessourceLabelSelector()
{
    if (!FRessourceLabelSelector) {
        FRessourceLabelSelector = std::make_shared<TQVTRessourceLabelSelector>();
        FRessourceLabelSelector->setParent(this);
    }
    return FRessourceLabelSelector.get();
}

void TQVTGanttTable::invalidateRowStructure()
{
    ++FChangeStamp;
    ++FRowLayoutStamp;
    FSummarySpans.rows.clear();
    if (FCriticalPathCalculator)
        FCriticalPathCalculator->invalidate();
}

std::span<const TDateTime> TQVTGanttTable::getBlockedDates(int row) const
{
    if (row < 0 || row >= countRows())
        return {};
    const TQVTGanttRow* r = FRows[static_cast<std::size_t>(row)].get();
    return r ? std::span<const TDateTime>(r->BlockedDates) : std::span<const TDateTime>();
}

void TQVTGanttTable::showRow(int row, bool shown)
{
    TQVTGanttRow* r = getRow(row);
    if (!r)
        return;
    // Only a row that comes back into view above the scroll position scrolls back to it; rows
    // already shown leave the position alone, so that loading a document keeps it.
    const bool revealed = shown && r->isCollapsed();
    r->setCollapsed(!shown);
    if (revealed && FScrolledLines > row)
        SetScrolledLines(row);
}

void TQVTGanttTable::setRowSelected(int row, bool selected)
{
    if (TQVTGanttRow* r = getRow(row))
        r->FSelected = selected;
}

void TQVTGanttTable::setRowFocused(int row, bool focused)
{
    if (TQVTGanttRow* r = getRow(row))
        r->FFocused = focused;
}

TDateTime TQVTGanttTable::rowStartDate(int row) const
{
    const TQVTGanttRow* r = row >= 0 && row < countRows() ? FRows[static_cast<std::size_t>(row)].get() : nullptr;
    return r ? r->FindFirstStartDate() : 0;
}

TDateTime TQVTGanttTable::rowEndDate(int row) const
{
    const TQVTGanttRow* r = row >= 0 && row < countRows() ? FRows[static_cast<std::size_t>(row)].get() : nullptr;
    return r ? r->FindLastEndDate() : 0;
}

const std::string* TQVTGanttTable::rowTaskName(int row) const
{
    static const std::string none;
    const TQVTGanttRow* r = row >= 0 && row < countRows() ? FRows[static_cast<std::size_t>(row)].get() : nullptr;
    if (!r || !r->FPertBar)
        return nullptr;
    return r->FPertBar->FMainSection ? &r->FPertBar->FMainSection->FText : &none;
}

void TQVTGanttTable::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    const std::string uid = getUID();
    // Saved as a child (a time scale's grid) the table is written under its own name: no
    // reference key to itself.
    if (name != uid)
        media.setStrProperty(name, "table", uid);
    // Files of this kind spell the table's identifier key "TypeID"; sections and keys match without case.
    media.setStrProperty(uid, "TypeID", TypeID);
    media.setIntProperty(uid, "column width", FColWidth);
    media.setIntProperty(uid, "pert grid size x", FPertGridSize.X);
    media.setIntProperty(uid, "pert grid size y", FPertGridSize.Y);
    media.setColorProperty(uid, "grid color", FGridColor);
    media.setColorProperty(uid, "base color", FBaseColor);
    media.setColorProperty(uid, "grid anchor color", FGridAnchorColor);
    media.setIntProperty(uid, "default row height", FDefaultRowHeight);
    media.setIntProperty(uid, "focused bar frame thickness", FFocusedFrameThickness);
    media.setColorProperty(uid, "pert graph background color", FPertGraphBackGroundColor);
    media.setColorProperty(uid, "critical path color", FCriticalPathColor);
    media.setColorProperty(uid, "weekend brighten color", FWeekendBrightenColor);
    factory.saveObjectList(uid, "rows", media, FRows);
    // Loading reads these two; without them the PERT drawing order and arrows were lost on save.
    factory.saveObjectList(uid, "rowszorder", media, FRowsZOrder);
    factory.saveObjectList(uid, "pertconnections", media, FPertBarConnections);
    factory.saveChild(uid, "default pert settings", FDefaultPertBarSettings.get(), media);
}

TQVTGanttDocument* TQVTGanttTable::findDocument() const
{
    TQVTGanttObject* parent = getParent();
    if (!parent)
        return nullptr;
    // Painting asks for every bar it reads; the usual parent, a plain document at the top, is
    // recognised without the casts.
    if (typeid(*parent) == typeid(TQVTGanttDocument) && !parent->getParent())
        return static_cast<TQVTGanttDocument*>(parent);
    return dynamic_cast<TQVTGanttDocument*>(FindDocumentSetup(parent));
}

TQVTGanttRow* TQVTGanttTable::getRow(int index) const
{
    if (index >= 0 && index < countRows())
        return FRows[static_cast<std::size_t>(index)].get();
    if (index >= countRows() && LogActive())
        addlog("stop. List index " + std::to_string(index) + " out of bounds (" + std::to_string(countRows()) +
               ") in TQVTGanttTable.getRow");
    return nullptr;
}

int TQVTGanttTable::getRowHeight(int index) const
{
    const TQVTGanttRow* row =
        index >= 0 && index < countRows() ? FRows[static_cast<std::size_t>(index)].get() : nullptr;
    return row ? row->getHeight() : 0;
}

void TQVTGanttTable::setRowHeight(int row, int height)
{
    // The row drops the cached geometry itself.
    if (TQVTGanttRow* r = row >= 0 && row < countRows() ? FRows[static_cast<std::size_t>(row)].get() : nullptr)
        r->setHeight(height);
}

bool TQVTGanttTable::isRowVisible(int row) const
{
    const TQVTGanttRow* r = row >= 0 && row < countRows() ? FRows[static_cast<std::size_t>(row)].get() : nullptr;
    return r && r->IsVisible();
}

std::shared_ptr<TQVTGanttRow> TQVTGanttTable::MakeBlankRow()
{
    auto row = std::make_shared<TQVTGanttRow>();
    row->setParent(this);
    return row;
}

int TQVTGanttTable::findEmptyRow() const
{
    for (int i = 0; i < countRows(); ++i)
        if (!FRows[static_cast<std::size_t>(i)]->FPertBar)
            return i;
    return -1;
}

std::vector<TQVTGanttBar*> TQVTGanttTable::allBarsIn(int first, int last) const
{
    std::vector<TQVTGanttBar*> bars;
    for (int i = std::max(first, 0); i <= std::min(last, countRows() - 1); ++i)
        for (const auto& bar : FRows[static_cast<std::size_t>(i)]->FBarList)
            bars.push_back(bar.get());
    return bars;
}

TQVTGanttBar* TQVTGanttTable::barInRange(TDateTime start, TDateTime end, int row, TQVTGanttBar* exceptBar, bool) const
{
    // Every kind's overlap requires the bar to lie in row, so only that row is searched.
    const TQVTGanttRow* inRow = row >= 0 && row < countRows() ? FRows[static_cast<std::size_t>(row)].get() : nullptr;
    if (!inRow)
        return nullptr;
    for (const auto& bar : inRow->FBarList)
        if (bar.get() != exceptBar && !isShadowBar(bar.get()) && bar->overlap(start, end, row, exceptBar))
            return bar.get();
    return nullptr;
}

TQVTGanttBar* TQVTGanttTable::findFirstSummarizable(int row) const
{
    const TQVTGanttRow* r = row >= 0 && row < countRows() ? FRows[static_cast<std::size_t>(row)].get() : nullptr;
    return r ? r->findFirstSummarizable() : nullptr;
}

TQVTGanttBar* TQVTGanttTable::findLastSummarizable(int row) const
{
    const TQVTGanttRow* r = row >= 0 && row < countRows() ? FRows[static_cast<std::size_t>(row)].get() : nullptr;
    return r ? r->findLastSummarizable() : nullptr;
}

const TQVTGanttTable::Geometry& TQVTGanttTable::geometry()
{
    if (FGeometry && FGeometry->prefix.size() == FRows.size() + 1)
        return *FGeometry;
    Geometry g;
    g.prefix.resize(FRows.size() + 1, 0);
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        const TQVTGanttRow& row = *FRows[i];
        g.prefix[i + 1] = g.prefix[i] + row.GetVisibleHeight();
        if (row.IsVisible())
            g.visibleRows.push_back(static_cast<int>(i));
    }
    FGeometry = std::move(g);
    return *FGeometry;
}

TableStartPin::TableStartPin(TQVTGanttTable& table) : FTable(table), FBefore(table.FPinnedStartY)
{
    FTable.FPinnedStartY = FTable.tableStartY();
}

TableStartPin::~TableStartPin()
{
    FTable.FPinnedStartY = FBefore;
}

int TQVTGanttTable::tableStartY() const
{
    if (FPinnedStartY)
        return *FPinnedStartY;
    TQVTGanttDocument* document = findDocument();
    return document ? document->GetTableStartY() : 0;
}

int TQVTGanttTable::GetFirstVisibleRowIndex()
{
    const auto& visible = geometry().visibleRows;
    return visible.empty() ? -1 : visible.front();
}

int TQVTGanttTable::GetLastVisibleRowIndex()
{
    const auto& visible = geometry().visibleRows;
    return visible.empty() ? -1 : visible.back();
}

int TQVTGanttTable::getRowStartY(int index)
{
    const auto& prefix = geometry().prefix;
    const int from = std::clamp(FScrolledLines, 0, countRows());
    const int to = std::clamp(index, 0, countRows());
    std::int64_t y = tableStartY();
    if (to > from)
        y += prefix[static_cast<std::size_t>(to)] - prefix[static_cast<std::size_t>(from)];
    return clampToInt(y);
}

int TQVTGanttTable::getVisibleRowStartY(int n)
{
    const Geometry& g = geometry();
    std::int64_t heights = 0;
    if (n >= static_cast<int>(g.visibleRows.size()))
        heights = g.prefix.back();
    else if (n > 0)
        heights = g.prefix[static_cast<std::size_t>(g.visibleRows[static_cast<std::size_t>(n)])];
    return clampToInt(tableStartY() + heights);
}

int TQVTGanttTable::getVisibleRowHeight(int n)
{
    const auto& visible = geometry().visibleRows;
    if (n >= 0 && n < static_cast<int>(visible.size()))
        return getRowHeight(visible[static_cast<std::size_t>(n)]);
    return getRowHeight(countRows() - 1);
}

void TQVTGanttTable::SetScrolledLines(int value)
{
    const int count = countRows();
    FScrolledLines = std::clamp(FScrolledLines, 0, std::max(count - 1, 0));
    if (FScrolledLines == value)
        return;
    const auto collapsed = [this](int i) { return FRows[static_cast<std::size_t>(i)]->isCollapsed(); };
    const auto search = [&](int from, int step) {
        int i = from;
        while (i >= 0 && i < count && collapsed(i))
            i += step;
        return i;
    };
    int top = search(value, value > FScrolledLines ? 1 : -1);
    if (top < 0)
        top = search(0, 1);
    if (top >= count)
        top = search(count - 1, -1);
    if (top < 0 || top >= count)
        return;
    if (FScrolledLines < top) {
        for (int i = FScrolledLines; i < top; ++i)
            if (!collapsed(i))
                FRows[static_cast<std::size_t>(i)]->setVisible(false);
    } else {
        for (int i = FScrolledLines; i >= top; --i)
            if (!collapsed(i))
                FRows[static_cast<std::size_t>(i)]->setVisible(true);
    }
    FScrolledLines = top;
    lastScrolledLines = -1;
}

TDateTime TQVTGanttTable::CalculateStartDate() const
{
    TDateTime start = 0;
    for (const auto& row : FRows)
        start = earlierDate(start, row->FindFirstStartDate());
    return start;
}

TDateTime TQVTGanttTable::CalculateEndDate() const
{
    TDateTime end = 0;
    for (const auto& row : FRows)
        end = laterDate(end, row->FindLastEndDate());
    return end;
}

namespace {

using Span = std::pair<TDateTime, TDateTime>;

Span widened(Span a, Span b)
{
    return {earlierDate(a.first, b.first), laterDate(a.second, b.second)};
}

// How the summary update reads a bar whose exact class is Kind: naming the class binds the
// calls at compile time to the functions the virtual calls would reach.
template <class Kind, class Input>
void readAs(Kind& bar, Input& into)
{
    if (bar.Kind::followsRowsBelow())
        into = {&bar, {0, 0}, bar.Kind::isSummarizable()};
    else if (bar.Kind::isSummarizable())
        into = {nullptr, {bar.Kind::getStartDate(), bar.Kind::getEndDate()}, true};
    else
        into = {};
}

// The common kinds are read without virtual calls.
template <class Input>
void readForSummaryInto(TQVTGanttBar& bar, Input& into)
{
    switch (bar.exactClass()) {
    case TQVTGanttBar::ExactClass::Task:
        return readAs(static_cast<TQVTTaskBar&>(bar), into);
    case TQVTGanttBar::ExactClass::Summary:
        return readAs(static_cast<TQVTSummaryBar&>(bar), into);
    case TQVTGanttBar::ExactClass::Progress:
        return readAs(static_cast<TQVTProgressBar&>(bar), into);
    case TQVTGanttBar::ExactClass::Milestone:
        return readAs(static_cast<TQVTMilestoneBar&>(bar), into);
    default:
        break;
    }
    if (bar.followsRowsBelow())
        into = {&bar, {0, 0}, bar.isSummarizable()};
    else if (bar.isSummarizable())
        into = {nullptr, {bar.getStartDate(), bar.getEndDate()}, true};
    else
        into = {};
}

// Sets the summary bars among a row's bars to the span of its children (the next rows up to
// its subtree's end, jumping over their subtrees), updates its PERT box from what was gathered
// from the row's bars, and stores and answers the row's whole span.
template <class Input>
Span summarize(int r, const std::vector<int>& subtreeEnd, std::vector<Span>& whole, std::span<const Input> bars,
               TQVTPertBar* box, const TQVTPertRangeInput& boxInput)
{
    const auto at = [](auto& list, int i) -> auto&
    {
        return list[static_cast<std::size_t>(i)];
    };
    // A row combines only its direct children's spans, found by jumping over their subtrees.
    Span children{0, 0};
    for (int child = r + 1; child <= at(subtreeEnd, r); child = at(subtreeEnd, child) + 1)
        children = widened(children, at(whole, child));
    // Its summary bars take the span of the rows below; its other summarizable bars widen it.
    Span own{0, 0};
    // The box spans the row's summarizable bars, the summary bars with their new dates.
    Span boxSpan{0, 0};
    for (const Input& bar : bars)
        if (bar.summary) {
            bar.summary->FstartDate = children.first;
            bar.summary->FendDate = children.second;
            static_cast<TQVTSummaryBar&>(*bar.summary).FEndRow = at(subtreeEnd, r);
            if (box && bar.summarizable)
                boxSpan = widened(boxSpan, children);
        } else {
            own = widened(own, bar.span);
        }
    if (box) {
        const Span boxDates = widened(boxSpan, own);
        box->UpdateRange(boxDates.first, boxDates.second, boxInput);
    }
    return at(whole, r) = widened(children, own);
}

} // namespace

std::pair<TDateTime, TDateTime> TQVTGanttTable::summarizeRow(int r)
{
    const TQVTGanttRow& row = *FRows[static_cast<std::size_t>(r)];
    TQVTPertBar* const box = row.FPertBar.get();
    TQVTPertRangeInput boxInput;
    std::vector<SummaryInput>& inputs = FSummarySpans.inputs;
    inputs.resize(row.FBarList.size());
    for (std::size_t i = 0; i < row.FBarList.size(); ++i) {
        TQVTGanttBar& bar = *row.FBarList[i];
        readForSummaryInto(bar, inputs[i]);
        if (box)
            boxInput.add(bar);
    }
    return summarize(r, FSummarySpans.shape.subtreeEnd, FSummarySpans.whole, std::span<const SummaryInput>(inputs), box,
                     boxInput);
}

bool TQVTGanttTable::rowTreeShapeHolds(const TQVTTreeNode* root) const
{
    const SummarySpans& spans = FSummarySpans;
    // The root is compared through the weak reference, so a new root at a freed one's address
    // is not taken for it.
    return spans.shapeFound && spans.shapeStamp == TreeStructureStamp() &&
           spans.shape.subtreeEnd.size() == FRows.size() &&
           (spans.shapeRooted ? root && spans.shapeRoot.lock().get() == root : !root);
}

void TQVTGanttTable::keepRowTreeShape()
{
    SummarySpans& spans = FSummarySpans;
    const std::shared_ptr<TQVTTreeNode> root = taskTreeRoot(*this);
    if (rowTreeShapeHolds(root.get()))
        return;
    spans.shapeStamp = TreeStructureStamp();
    findRowTreeShape(root.get(), countRows(), spans.shape);
    spans.shapeRoot = root;
    spans.shapeRooted = root != nullptr;
    spans.shapeFound = true;
}

const RowTreeShape& TQVTGanttTable::getRowTreeShape()
{
    keepRowTreeShape();
    return FSummarySpans.shape;
}

void TQVTGanttTable::UpdateSummaryBars()
{
    keepRowTreeShape();
    // The storage of the last update is reused: fresh memory costs more than the work.
    SummarySpans& spans = FSummarySpans;
    // An update that stops half way (a bar that throws) must not leave spans that look current.
    bool done = false;
    const ScopeGuard forgetUnfinished([&spans, &done] {
        if (!done)
            spans.rows.clear();
    });
    const auto count = FRows.size();
    spans.rows.resize(count);
    spans.whole.resize(count);
    // Rows, their bar lists, their bars and their PERT boxes lie scattered over the heap, and
    // waiting for each in turn costs more than the work: each is asked for well before it is
    // used, a row first, then its bar list, then its bars and its box. (The prefetches stay in
    // a loop that stores something; a loop that only prefetches is dropped by the compiler.)
    constexpr std::size_t RowsAhead = 24;
    constexpr std::size_t ListsAhead = 12;
    constexpr std::size_t BarsAhead = 6;
    const auto rowAt = [this](std::size_t r) -> const TQVTGanttRow& { return *FRows[r]; };
    // From the last row up, so that every child is done before its parent: linear in all.
    for (std::size_t r = count; r-- > 0;) {
        if (r >= RowsAhead) {
            const TQVTGanttRow& ahead = rowAt(r - RowsAhead);
            __builtin_prefetch(&ahead.FBarList);
            __builtin_prefetch(&ahead.FPertBar);
        }
        if (r >= ListsAhead)
            __builtin_prefetch(rowAt(r - ListsAhead).FBarList.data());
        if (r >= BarsAhead) {
            const TQVTGanttRow& ahead = rowAt(r - BarsAhead);
            for (const auto& bar : ahead.FBarList)
                prefetchBarValues(*bar);
            if (const TQVTPertBar* box = ahead.FPertBar.get()) {
                // The box's dates and its scheduling values lie on different lines.
                __builtin_prefetch(&box->FstartDate, 1);
                __builtin_prefetch(&box->FESTime, 1);
                __builtin_prefetch(&box->FHasTaskBar, 1);
            }
        }
        spans.rows[r] = &rowAt(r);
        summarizeRow(static_cast<int>(r));
    }
    done = true;
}

bool TQVTGanttTable::summarySpansFit() const
{
    if (FSummarySpans.rows.size() != FRows.size())
        return false;
    // Rows may have been reordered without the table's functions.
    for (std::size_t i = 0; i < FRows.size(); ++i)
        if (FSummarySpans.rows[i] != FRows[i].get())
            return false;
    return true;
}

void TQVTGanttTable::UpdateSummaryBarsOfRows(const std::vector<int>& rows)
{
    if (!summarySpansFit() || !rowTreeShapeHolds(taskTreeRoot(*this).get())) {
        UpdateSummaryBars();
        return;
    }
    bool done = false;
    const ScopeGuard forgetUnfinished([this, &done] {
        if (!done)
            FSummarySpans.rows.clear();
    });
    // Up from each changed row until a span stays as it was: the rows above see no difference.
    for (const int changed : rows)
        for (int r = changed; r >= 0 && r < countRows(); r = FSummarySpans.shape.parent[static_cast<std::size_t>(r)]) {
            const Span before = FSummarySpans.whole[static_cast<std::size_t>(r)];
            if (summarizeRow(r) == before && r != changed)
                break;
        }
    done = true;
}

void TQVTGanttTable::RecalculateEffective()
{
    for (const auto& row : FRows)
        row->RecalculateEffective();
    if (FCriticalPathCalculator)
        FCriticalPathCalculator->invalidate();
}

void TQVTGanttTable::updateAfterChange()
{
    ++FChangeStamp;
    if (FUpdateDeferrals > 0) {
        FUpdateDue = FUpdateWholePending = true;
        return;
    }
    updateCriticalPath();
    UpdateSummaryBars();
}

void TQVTGanttTable::updateAfterChange(const std::vector<int>& rows)
{
    ++FChangeStamp;
    if (FUpdateDeferrals > 0) {
        FUpdateDue = true;
        FUpdateRowsPending.insert(FUpdateRowsPending.end(), rows.begin(), rows.end());
        return;
    }
    updateCriticalPathOfRows(rows);
    UpdateSummaryBarsOfRows(rows);
}

TQVTGanttBar* TQVTGanttTable::getFocusedBar()
{
    const TQVTGanttRow* row = FFocusedBarRow >= 0 && FFocusedBarRow < countRows()
                                  ? FRows[static_cast<std::size_t>(FFocusedBarRow)].get()
                                  : nullptr;
    TQVTGanttBar* bar = row ? row->GetBarInRow(FFocusedBar) : nullptr;
    if (!bar)
        FFocusedBarRow = FFocusedBar = -1;
    return bar;
}

void TQVTGanttTable::setFocusedBar(TQVTGanttBar* bar)
{
    unFocusBar();
    const TQVTGanttRow* row = bar ? bar->getParentRow() : nullptr;
    if (!row || row->getTable() != this || row->indexOf(bar) < 0)
        return;
    FFocusedBarRow = row->FOrder;
    FFocusedBar = row->indexOf(bar);
    bar->FFocused = true;
}

void TQVTGanttTable::unFocusBar()
{
    for (const auto& row : FRows)
        for (const auto& bar : row->FBarList)
            bar->FFocused = false;
    FFocusedBarRow = FFocusedBar = -1;
}

bool TQVTGanttTable::swapRows(int i, int j)
{
    if (i < 0 || j < 0 || i >= countRows() || j >= countRows())
        return false;
    std::swap(FRows[static_cast<std::size_t>(i)], FRows[static_cast<std::size_t>(j)]);
    invalidateRowGeometry();
    return true;
}

int TQVTGanttTable::swapSequences(int s1, int e1, int s2, int e2)
{
    if (s1 > s2) {
        std::swap(s1, s2);
        std::swap(e1, e2);
    }
    if (s1 < 0 || s1 > e1 || e1 >= s2 || s2 > e2 || e2 >= countRows())
        return -1;
    const auto at = [this](int i) { return FRows.begin() + i; };
    std::vector<std::shared_ptr<TQVTGanttRow>> rows(FRows.begin(), at(s1));
    rows.insert(rows.end(), at(s2), at(e2 + 1));
    rows.insert(rows.end(), at(e1 + 1), at(s2));
    rows.insert(rows.end(), at(s1), at(e1 + 1));
    rows.insert(rows.end(), at(e2 + 1), FRows.end());
    FRows = std::move(rows);
    renumber(s1, e2);
    invalidateRowGeometry();
    return s1 + (e2 - s2 + 1) + (s2 - e1 - 1);
}

namespace {

// The scroll flag of a row alone: IsVisible folds the collapsed flag in.
bool scrolledIn(TQVTGanttRow& row)
{
    if (!row.isCollapsed())
        return row.IsVisible();
    row.setCollapsed(false);
    const bool shown = row.IsVisible();
    row.setCollapsed(true);
    return shown;
}

} // namespace

bool TQVTGanttTable::reorderRows(std::span<const int> order)
{
    const std::size_t count = FRows.size();
    if (order.size() != count)
        return false;
    std::vector<int> newIndex(count, -1);
    for (std::size_t k = 0; k < count; ++k) {
        const int old = order[k];
        if (old < 0 || static_cast<std::size_t>(old) >= count || newIndex[static_cast<std::size_t>(old)] >= 0)
            return false;
        newIndex[static_cast<std::size_t>(old)] = static_cast<int>(k);
    }
    // Rows scrolled out above the table's top are places, not tasks: each index keeps its flag.
    std::vector<char> scrolled(count);
    for (std::size_t i = 0; i < count; ++i)
        scrolled[i] = scrolledIn(*FRows[i]);
    std::vector<std::shared_ptr<TQVTGanttRow>> rows(count);
    for (std::size_t k = 0; k < count; ++k)
        rows[k] = std::move(FRows[static_cast<std::size_t>(order[k])]);
    FRows = std::move(rows);
    for (std::size_t i = 0; i < count; ++i)
        FRows[i]->setVisible(scrolled[i] != 0);
    if (FFocusedBarRow >= 0 && static_cast<std::size_t>(FFocusedBarRow) < count)
        FFocusedBarRow = newIndex[static_cast<std::size_t>(FFocusedBarRow)];
    renumber(0, countRows() - 1);
    invalidateRowGeometry();
    invalidateRowStructure();
    return true;
}

bool TQVTGanttTable::fitSummaryBar(int row, bool hasChildren, TQVTDataSourceIntf* dataSource,
                                   std::shared_ptr<TQVTOperation>& done)
{
    done.reset();
    TQVTGanttRow* r = row >= 0 && row < countRows() ? FRows[static_cast<std::size_t>(row)].get() : nullptr;
    if (!r)
        return true;
    const int summaries = r->countBarsOfKind<TQVTSummaryBar>();
    std::shared_ptr<TQVTOperation> step;
    if (hasChildren && summaries == 0)
        step = std::make_shared<TQVTBarInsertOperation>(dataSource, *this, std::make_shared<TQVTSummaryBar>(), row);
    else if (!hasChildren && summaries == 1)
        step = std::make_shared<TQVTBarRemoveOperation>(
            dataSource, std::static_pointer_cast<TQVTGanttBar>(r->getBarOfKind<TQVTSummaryBar>(0)->shared_from_this()));
    if (!step)
        return true;
    if (!step->perform())
        return false;
    done = std::move(step);
    return true;
}

void TQVTGanttTable::rowStructureChanged()
{
    invalidateRowStructure();
    updateAfterChange();
}

std::vector<std::shared_ptr<TQVTGanttRow>> TQVTGanttTable::getOrder()
{
    for (int i = 0; i < countRows(); ++i)
        FRows[static_cast<std::size_t>(i)]->QVTTag = i;
    return FRows;
}

void TQVTGanttTable::saveOrder()
{
    FSavedOrder = FRows;
}

bool TQVTGanttTable::restoreOrder()
{
    if (!FSavedOrder)
        return false;
    return applyOrder(*FSavedOrder);
}

bool TQVTGanttTable::applyOrder(const std::vector<std::shared_ptr<TQVTGanttRow>>& list)
{
    if (!holdsExactly(list))
        return false;
    FRows = list;
    renumber(0, countRows() - 1);
    invalidateRowGeometry();
    return true;
}

bool TQVTGanttTable::holdsExactly(const std::vector<std::shared_ptr<TQVTGanttRow>>& list) const
{
    if (list.size() != FRows.size())
        return false;
    const TAddressSet<TQVTGanttRow> listed = [&list] {
        TAddressSet<TQVTGanttRow> rows(list.size());
        for (const auto& row : list)
            rows.insert(row.get());
        return rows;
    }();
    return listed.size() == FRows.size() &&
           std::all_of(FRows.begin(), FRows.end(), [&listed](const auto& row) { return listed.contains(row.get()); });
}

void TQVTGanttTable::renumber(int first, int last)
{
    ++FRowLayoutStamp;
    for (int i = std::max(first, 0); i <= std::min(last, countRows() - 1); ++i)
        FRows[static_cast<std::size_t>(i)]->FOrder = i;
}

void TQVTGanttTable::SetColumnWidth(int value)
{
    FColWidth = std::clamp(value, 1, MaxLength);
}

void TQVTGanttTable::setDefaultRowHeight(int value)
{
    FDefaultRowHeight = std::clamp(value, 1, MaxLength);
}

void TQVTGanttTable::setPertGridSize(TPoint value)
{
    FPertGridSize = TPoint{std::clamp(value.X, 1, MaxLength), std::clamp(value.Y, 1, MaxLength)};
}

void TQVTGanttTable::snapToGrid(int x, int y, TPoint& point, bool clampToZero) const
{
    const auto snap = [clampToZero](int v, int grid) {
        const int snapped = clampToInt(static_cast<std::int64_t>(roundHalfEven(static_cast<double>(v) / grid)) * grid);
        return clampToZero ? std::max(snapped, 0) : snapped;
    };
    point = TPoint{snap(x, FPertGridSize.X), snap(y, FPertGridSize.Y)};
}

void TQVTGanttTable::setPertStartX(int value)
{
    TPoint point;
    snapToGrid(value, 0, point, true);
    FPertStartX = point.X;
}

void TQVTGanttTable::setPertStartY(int value)
{
    TPoint point;
    snapToGrid(0, value, point, true);
    FPertStartY = point.Y;
}

void TQVTGanttTable::setZOrder(TQVTGanttRow* row, int position)
{
    if (!row)
        return;
    const auto it =
        std::find_if(FRowsZOrder.begin(), FRowsZOrder.end(), [row](const auto& r) { return r.get() == row; });
    if (it != FRowsZOrder.end())
        FRowsZOrder.erase(it);
    const int at = std::clamp(position, 0, static_cast<int>(FRowsZOrder.size()));
    FRowsZOrder.insert(FRowsZOrder.begin() + at, std::static_pointer_cast<TQVTGanttRow>(row->shared_from_this()));
}

int TQVTGanttTable::getZOrder(const TQVTGanttRow* row) const
{
    const auto it =
        std::find_if(FRowsZOrder.begin(), FRowsZOrder.end(), [row](const auto& r) { return r.get() == row; });
    return it == FRowsZOrder.end() ? -1 : static_cast<int>(it - FRowsZOrder.begin());
}

TQVTBarConnection* TQVTGanttTable::GetPertConnection(int i) const
{
    return i >= 0 && i < GetPertConnectionsCount() ? FPertBarConnections[static_cast<std::size_t>(i)].get() : nullptr;
}

std::shared_ptr<TQVTGanttObject> TQVTGanttTablePersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                   TQVTEntityFactory& factory)
{
    auto table = std::make_shared<TQVTGanttTable>();
    const auto dropped = [&name](const char* what) { addlog("Table \"" + name + "\" leaves out " + what); };

    // Every row and every bar is kept once, in the first place that lists it.
    auto listed = factory.loadObjectListAs<TQVTGanttRow>(name, "rows", media, table.get());
    TAddressSet<TQVTGanttRow> rows(listed.size());
    // Rows hold a bar or two and a PERT box.
    TAddressSet<TQVTGanttBar> bars(3 * listed.size());
    for (auto& row : listed) {
        if (!row || !rows.insert(row.get()) || !adopt(*row, *table)) {
            dropped("a row that did not load or is listed twice");
            continue;
        }
        std::erase_if(row->FBarList, [&](const std::shared_ptr<TQVTGanttBar>& bar) {
            const bool keep = bars.insert(bar.get()) && adopt(*bar, *row);
            if (!keep)
                dropped("a bar listed by two rows");
            return !keep;
        });
        if (row->FPertBar && (!bars.insert(row->FPertBar.get()) || !adopt(*row->FPertBar, *row))) {
            dropped("a PERT box of two rows");
            row->FPertBar.reset();
        }
        table->FRows.push_back(std::move(row));
    }
    table->renumber(0, table->countRows() - 1);

    int value = 0;
    media.getIntProperty(name, "column width", 50, value);
    table->SetColumnWidth(value);
    TPoint grid;
    media.getIntProperty(name, "pert grid size x", 20, grid.X);
    media.getIntProperty(name, "pert grid size y", 20, grid.Y);
    table->setPertGridSize(grid);
    media.getColorProperty(name, "grid color", clGray, table->FGridColor);
    media.getColorProperty(name, "base color", 0x02F7EAD4, table->FBaseColor);
    media.getColorProperty(name, "grid anchor color", 0xFF0000, table->FGridAnchorColor);
    media.getIntProperty(name, "default row height", 35, value);
    table->setDefaultRowHeight(value);
    media.getIntProperty(name, "focused bar frame thickness", 4, table->FFocusedFrameThickness);
    media.getColorProperty(name, "pert graph background color", 0xEEEEEE, table->FPertGraphBackGroundColor);
    media.getColorProperty(name, "critical path color", 0xFF00FF, table->FCriticalPathColor);
    media.getColorProperty(name, "weekend brighten color", 0x404040, table->FWeekendBrightenColor);

    TAddressSet<TQVTGanttRow> ordered(table->FRows.size());
    for (auto& row : factory.loadObjectListAs<TQVTGanttRow>(name, "rowszorder", media, table.get())) {
        if (!row || !rows.contains(row.get()) || !ordered.insert(row.get())) {
            dropped("a PERT drawing order entry that is no row of its own or is listed twice");
            continue;
        }
        table->FRowsZOrder.push_back(std::move(row));
    }
    for (const auto& row : table->FRows)
        if (row->FPertBar && !ordered.contains(row.get()))
            table->FRowsZOrder.push_back(row);

    TAddressSet<TQVTGanttBar> boxes(table->FRows.size());
    for (const auto& row : table->FRows)
        if (row->FPertBar)
            boxes.insert(row->FPertBar.get());
    TAddressSet<TQVTBarConnection> connections;
    for (auto& connection : factory.loadObjectListAs<TQVTBarConnection>(name, "pertconnections", media, table.get())) {
        // A box joined to itself is refused by the operations too.
        if (!connection || !boxes.contains(connection->barFrom.get()) || !boxes.contains(connection->barTo.get()) ||
            connection->barFrom == connection->barTo || !connections.insert(connection.get())) {
            dropped("a PERT connection that does not join two of its PERT boxes or is listed twice");
            continue;
        }
        table->FPertBarConnections.push_back(std::move(connection));
    }
    table->FDefaultPertBarSettings =
        loadChildAs<TQVTPertBarSettings>("default pert settings", media, factory, table.get());
    table->linkPertBars();
    return table;
}

} // namespace corvane
