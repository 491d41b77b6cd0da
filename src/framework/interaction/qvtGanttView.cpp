#include "corvane/framework/interaction/qvtGanttView.h"

#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtLegend.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/rendering/qvtVisualContext.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeResizePane.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/ScopeGuard_p.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace corvane {

namespace {

constexpr TColor AcceptedHaloColor = 0x90FF90;
constexpr TColor RefusedHaloColor = 0x9090FF;
constexpr TColor RefusedBarColor = 0x0000FF;
constexpr TColor DraggedHaloColor = 0x008000;

TRect grown(TRect r, int by)
{
    return TRect{r.Left - by, r.Top - by, r.Right + by, r.Bottom + by};
}

// A row is shown when the chart shows it and the task table has not filtered it out.
bool isShown(TQVTGanttTable& table, TQVTTreeGrid* tree, int i)
{
    const TQVTGanttRow* row = table.getRow(i);
    if (!row || !row->IsVisible())
        return false;
    const TQVTTreeRow* treeRow = tree ? tree->getRow(i) : nullptr;
    return !treeRow || !treeRow->FHidden;
}

// A column width of 0 or below would divide by zero; the chart then counts one pixel per unit.
int columnWidthOf(const TQVTGanttTable& table)
{
    return std::max(1, table.GetColumnWidth());
}

} // namespace

TQVTGanttDocument* TQVTGanttView::document() const
{
    return dataSource ? dataSource->root() : nullptr;
}

TQVTGanttTable* TQVTGanttView::table() const
{
    TQVTGanttDocument* doc = document();
    return doc ? doc->GetTable() : nullptr;
}

void TQVTGanttView::Draw(TQVTDataSource* source, TQVTVisualContext& vc, bool printing)
{
    setDataSource(source);
    Draw(vc, printing);
}

void TQVTGanttView::Draw(TQVTVisualContext& vc, bool printing)
{
    TQVTGanttDocument* doc = document();
    TQVTGanttTable* tab = table();
    if (!doc || !tab)
        return;
    TQVTDocumentCalendar* calendar = doc->getCalendar();
    if (!printing && calendar) {
        const TRect area = vc.getVisibleArea();
        const long long width = static_cast<long long>(area.Right) - area.Left - doc->getColStartX(0);
        const int columns = static_cast<int>(std::clamp(width / columnWidthOf(*tab) + 1, -100000LL, 100000LL));
        doc->setEndDate(calendar->Add(doc->getStartDate(), columns));
    }
    if (TQVTDrawer* drawer = doc->getDrawer(vtGanttGraph))
        drawer->Draw(vc);
    if (printing && doc->FPrintLegend && doc->GetLegend())
        if (auto* legend = dynamic_cast<TQVTLegendDrawer*>(doc->GetLegend()->getDrawer(vtGanttGraph))) {
            legend->SetLayout(LegendPrintLayout(*doc->GetLegend(), doc->FPrintLegendUnder, doc->getColStartX(0),
                                                doc->legendStartY(), GetPrintRange()));
            legend->Draw(vc);
        }
    lastVC = &vc;
}

TQVTColRow TQVTGanttView::walkRows(int x, int y, bool extended)
{
    TQVTColRow result;
    TQVTGanttDocument* doc = document();
    TQVTGanttTable* tab = table();
    if (!doc || !tab)
        return result;
    const int tableStartY = doc->GetTableStartY();
    long long dy = static_cast<long long>(y) - tableStartY;
    if (dy < 0)
        return result;
    TQVTTreeGrid* tree = doc->GetTree();
    const int count = tab->countRows();
    long long acc = 0;
    int i = std::max(0, tab->getScrolledLines());
    while (dy >= 0 && i < count) {
        if (isShown(*tab, tree, i)) {
            const int height = tab->getRowHeight(i);
            dy -= height;
            acc += height;
        }
        ++i;
    }
    if (dy >= 0 && extended && count > 0) {
        // Below the last row the rows go on with its height: computed, not walked, so a huge
        // distance or a row of height 0 costs nothing.
        const long long height = std::max(1, tab->getRowHeight(count - 1));
        const long long more = dy / height;
        result.row = static_cast<int>(std::min<long long>(count + more, 1 << 30));
        result.offset = 0;
        result.col = colAt(x);
        return result;
    }
    if (dy >= 1 || i == 0)
        return result;
    result.row = i - 1;
    result.offset = static_cast<int>(tab->getRowHeight(i - 1) + y - (tableStartY + acc));
    result.col = colAt(x);
    return result;
}

double TQVTGanttView::colAt(int x) const
{
    TQVTGanttDocument* doc = document();
    const double col = static_cast<double>(x - doc->getColStartX(0)) / columnWidthOf(*doc->GetTable());
    return FSnapToCell ? std::nearbyint(col) : col;
}

TQVTColRow TQVTGanttView::getColRow(int x, int y, bool)
{
    return walkRows(x, y, false);
}

TQVTColRow TQVTGanttView::getColRowExtended(int x, int y, bool)
{
    return walkRows(x, y, true);
}

TDateTime TQVTGanttView::getTime(int x)
{
    TQVTGanttDocument* doc = document();
    if (!doc || !doc->GetTable() || !doc->getCalendar())
        return 0;
    const double units = static_cast<double>(x - doc->getColStartX(0)) / columnWidthOf(*doc->GetTable());
    return doc->getCalendar()->RealAdd(doc->getStartDate(), units);
}

TDateTime TQVTGanttView::getNewStartDate(double p)
{
    TQVTGanttDocument* doc = document();
    if (!doc)
        return 0;
    const TDateTime start = doc->getStartDate();
    if (p == 0)
        return start;
    const double range = doc->FDateRangeEnd - doc->FDateRangeStart;
    if (range == 0)
        return doc->getCalendar() ? doc->getCalendar()->Add(start, static_cast<int>(std::lround(p))) : start;
    const TDateTime lo = std::min(doc->FDateRangeStart, doc->FDateRangeEnd);
    const TDateTime hi = std::max(doc->FDateRangeStart, doc->FDateRangeEnd);
    return std::clamp(start + p * range / 100, lo, hi);
}

int TQVTGanttView::scroll(int n)
{
    TQVTGanttDocument* doc = document();
    TQVTGanttTable* tab = table();
    if (!doc || !tab || !doc->getCalendar())
        return 0;
    TQVTDocumentCalendar& calendar = *doc->getCalendar();
    const TDateTime oldStart = doc->getStartDate();
    TDateTime start = std::max<TDateTime>(calendar.Add(oldStart, n), 0);
    if (dataSource->UseLeftScrollLimit)
        start = std::max(start, dataSource->LeftScrollLimit);
    if (dataSource->UseRightScrollLimit) {
        const int columns = tab->FWidth / columnWidthOf(*tab);
        start = std::min(start, dataSource->RightScrollLimit - columns + 1);
    }
    doc->setStartDate(start);
    const int pixels = static_cast<int>(
        std::lround(static_cast<double>(columnWidthOf(*tab)) * calendar.RealDiff(doc->getStartDate(), oldStart)));
    if (outlinedObject) {
        outlinedRect.Left -= pixels;
        outlinedRect.Right -= pixels;
        firstOutline.Left -= pixels;
        firstOutline.Right -= pixels;
        if (dataSource->OnViewChanged)
            dataSource->OnViewChanged(this);
        displayOutlinedRect();
    }
    return pixels;
}

TQVTGanttObject* TQVTGanttView::locateDraggingObject(int x, int y)
{
    TQVTGanttDocument* doc = document();
    TQVTDrawer* drawer = doc ? doc->getDrawer(vtGanttGraph) : nullptr;
    return drawer ? drawer->locateObject(x, y) : nullptr;
}

TRect TQVTGanttView::getOutline()
{
    return grown(outlinedRect, -shiftOutline);
}

void TQVTGanttView::setCursor(TCursor cursor)
{
    if (OnCursorChange)
        OnCursorChange(cursor);
}

void TQVTGanttView::displayOutlinedRect()
{
    if (OnOverlayChanged)
        OnOverlayChanged();
}

void TQVTGanttView::paintOverlay(TQVTVisualContext& vc)
{
    if (rowDragLine) {
        const auto [y, x1, x2] = *rowDragLine;
        vc.FillArea(TRect{x1, y, x2, y + 3}, clBlack, bsSolid);
        vc.FillArea(TRect{x1, y + 1, x2, y + 2}, 0x4D4D4D, bsSolid);
        vc.setDrawingColor(clBlack);
        // A small arrowhead at the left end, pointing at the row border.
        for (int k = 0; k < 6; ++k)
            vc.drawLine(x1 - 4 + k / 2, y + 1 - (5 - k) / 2 - 1, x1 - 4 + k / 2, y + 2 + (5 - k) / 2 + 1);
        return;
    }
    if (!outlinedObject)
        return;
    TRect r = getOutline();
    const bool isHalo = dynamic_cast<TQVTHaloEntity*>(outlinedObject) != nullptr;
    if (!isHalo) {
        TQVTGanttDocument* doc = document();
        r.Left = std::max(r.Left, doc ? doc->getTreeWidth() : 0);
        r.Right = std::min(r.Right, vc.getVisibleArea().Right);
        if (r.Left > r.Right)
            r.Left = r.Right;
    }
    TQVTGanttTable* tab = table();
    const bool accepted = acceptOutline() || (tab && tab->FSnapBarsTogether);
    if (isHalo)
        vc.FillArea(r, accepted ? AcceptedHaloColor : RefusedHaloColor, bsSolid);
    else
        vc.drawRect(r, psDot, accepted ? clBlack : RefusedBarColor);
}

void TQVTGanttView::showOutline(TQVTGanttObject* obj)
{
    outlinedObject = nullptr;
    rowDragLine.reset();
    TQVTGanttDocument* doc = document();
    if (!lastVC || !doc || !obj)
        return;
    if (auto* halo = dynamic_cast<TQVTHaloEntity*>(obj)) {
        if (!halo->processDragging())
            return;
        outlinedRect = halo->getOutline();
    } else if (auto* bar = dynamic_cast<TQVTGanttBar*>(obj)) {
        outlinedRect = grown(bar->getRect(doc->getStartDate()), shiftOutline);
    } else {
        return;
    }
    firstOutline = outlinedRect;
    outlinedObject = obj;
    displayOutlinedRect();
}

bool TQVTGanttView::moveOutline(int dx, int dy, bool relative)
{
    if (!outlinedObject || !lastVC)
        return false;
    if (auto* halo = dynamic_cast<TQVTHaloEntity*>(outlinedObject)) {
        outlinedRect = halo->nextOutline(outlinedRect, dx, dy);
    } else if (relative) {
        outlinedRect = TRect{outlinedRect.Left + dx, outlinedRect.Top + dy, outlinedRect.Right + dx,
                             outlinedRect.Bottom + dy};
    } else {
        outlinedRect = TRect{dx, dy, dx + outlinedRect.Right - outlinedRect.Left,
                             dy + outlinedRect.Bottom - outlinedRect.Top};
    }
    displayOutlinedRect();
    return true;
}

bool TQVTGanttView::resizeOutline(int dx, int dy, bool& rightEdge)
{
    if (!outlinedObject || !lastVC)
        return false;
    outlinedRect.Bottom += dy;
    if (rightEdge)
        outlinedRect.Right = std::max(outlinedRect.Right + dx, outlinedRect.Left);
    else
        outlinedRect.Left = std::min(outlinedRect.Left + dx, outlinedRect.Right);
    displayOutlinedRect();
    return true;
}

bool TQVTGanttView::setOutline(int dx, int dy, bool& rightEdge)
{
    if (!outlinedObject || !lastVC)
        return false;
    outlinedRect = firstOutline;
    outlinedRect.Bottom = std::max(firstOutline.Top + 10, firstOutline.Bottom + dy);
    if (rightEdge)
        outlinedRect.Right = std::max(firstOutline.Right + dx, firstOutline.Left);
    else
        outlinedRect.Left = std::min(firstOutline.Left + dx, firstOutline.Right);
    displayOutlinedRect();
    return true;
}

void TQVTGanttView::drawRowDragTargetLine(int y, int x1, int x2, bool)
{
    outlinedRect = TRect{x1 - 4, y - 5, x2, y + 7};
    rowDragLine = RowDragLine{y, x1, x2};
    displayOutlinedRect();
}

bool TQVTGanttView::acceptOutline()
{
    TQVTGanttDocument* doc = document();
    TQVTGanttTable* tab = table();
    if (!doc || !tab || !doc->getCalendar())
        return false;
    if (dynamic_cast<TQVTHaloEntity*>(outlinedObject))
        return true;
    const TRect r = getOutline();
    const TQVTColRow a = getColRow(r.Left, r.Top, false);
    const TQVTColRow b = getColRow(r.Right, r.Bottom, false);
    const bool rowValid = a.row >= 0 && a.row < tab->countRows();
    bool result = false;
    if (rowValid) {
        TQVTDocumentCalendar& calendar = *doc->getCalendar();
        const TDateTime start = doc->getStartDate();
        auto* bar = dynamic_cast<TQVTGanttBar*>(outlinedObject);
        result = !tab->barInRange(calendar.RealAdd(start, a.col), calendar.RealAdd(start, b.col), a.row, bar, true);
    }
    if (!tab->FSnapBarsTogether)
        setCursor(result ? crDefault : crNoDrop);
    return result;
}

void TQVTGanttView::hideOutline()
{
    const bool shown = outlineShown();
    outlinedObject = nullptr;
    rowDragLine.reset();
    if (shown) {
        setCursor(crDefault);
        displayOutlinedRect();
    }
}

TQVTOperationPtr TQVTGanttView::hideOutlineAndMove()
{
    TQVTGanttDocument* doc = document();
    TQVTGanttTable* tab = table();
    if (!outlinedObject || !lastVC || !doc || !tab || !doc->getCalendar())
        return nullptr;
    const ScopeGuard hide([this] { hideOutline(); });
    auto* bar = dynamic_cast<TQVTGanttBar*>(outlinedObject);
    if (!bar)
        return nullptr;
    const bool landsWhereDropped = dynamic_cast<TQVTImageBar*>(bar) && !dynamic_cast<TQVTMilestoneBar*>(bar);
    const TRect r = getOutline();
    TQVTColRow c;
    {
        const bool snap = FSnapToCell;
        const ScopeGuard restoreSnap([this, snap] { FSnapToCell = snap; });
        if (landsWhereDropped)
            FSnapToCell = false;
        c = getColRow(r.Left, r.Top, false);
    }
    const TDateTime newStart = doc->getCalendar()->RealAdd(doc->getStartDate(), c.col);
    const bool accepted = acceptOutline();
    if (!accepted && !(tab->FSnapBarsTogether && c.row >= 0))
        return nullptr;
    TQVTOperationPtr move = bar->moveTo(newStart, c.row);
    if (!move)
        return nullptr;
    if (accepted)
        return move;
    return std::make_shared<TQVTLeftAlignBarsOperation>(dataSource, tab, c.row, move);
}

TQVTOperationPtr TQVTGanttView::LeftAlignAllBars(int row)
{
    TQVTGanttTable* tab = table();
    if (!tab || !tab->getRow(row))
        return nullptr;
    return std::make_shared<TQVTLeftAlignBarsOperation>(dataSource, tab, row);
}

TRect TQVTGanttView::GetPrintRange()
{
    TRect range{0, 0, 0, 0};
    TQVTGanttDocument* doc = document();
    TQVTGanttTable* tab = table();
    if (!doc || !tab || !doc->getCalendar())
        return range;
    TQVTDocumentCalendar& calendar = *doc->getCalendar();
    if (doc->getTreeWidth() >= 1)
        range.Left = doc->getVerticalResizePaneSize();
    const int columns = calendar.Diff(calendar.StartOfNextPeriod(doc->getEndDate()),
                                      calendar.StartOfPreviousPeriod(doc->getStartDate()));
    range.Right = static_cast<int>(
        std::clamp(static_cast<long long>(columns) * columnWidthOf(*tab) + doc->getTreeWidth(), 0LL, 1LL << 30));
    range.Bottom = doc->GetHeight();
    if (doc->FPrintLegend && !doc->FPrintLegendUnder && doc->GetLegend()) {
        range.Right += doc->GetLegend()->GetMinWidth();
        range.Bottom = std::max(range.Bottom, doc->GetLegend()->GetHeight());
    }
    return range;
}

TRect TQVTGanttView::GetGraphPrintRange()
{
    TQVTGanttDocument* doc = document();
    if (!doc)
        return TRect{0, 0, 0, 0};
    const bool under = doc->FTimeScaleUnder;
    const bool legend = doc->FPrintLegend;
    doc->FTimeScaleUnder = false;
    doc->FPrintLegend = false;
    TRect range = GetPrintRange();
    doc->FTimeScaleUnder = under;
    doc->FPrintLegend = legend;
    range.Left += std::max(0, doc->getTreeWidth() - doc->getVerticalResizePaneSize());
    return range;
}

TQVTLeftAlignBarsOperation::TQVTLeftAlignBarsOperation(TQVTDataSourceIntf* dataSource, TQVTGanttTable* table,
                                                       int row, TQVTOperationPtr first)
    : TQVTMultipleOperations(dataSource),
      table(table),
      row(row),
      first(std::move(first))
{
}

bool TQVTLeftAlignBarsOperation::perform()
{
    if (aligned)
        return TQVTMultipleOperations::perform();
    if (first) {
        if (!first->perform())
            return false;
        addOperation(first);
    }
    if (!alignRow() || empty()) {
        TQVTMultipleOperations::undo();
        operations.clear();
        return false;
    }
    aligned = true;
    return true;
}

bool TQVTLeftAlignBarsOperation::alignRow()
{
    TQVTGanttRow* ganttRow = table->getRow(row);
    if (!ganttRow)
        return false;
    const TDateTime rowStart = ganttRow->FindStartDate();
    std::vector<std::shared_ptr<TQVTGanttBar>> bars;
    for (int i = 0; i < ganttRow->GetBarCount(); ++i) {
        TQVTGanttBar* bar = ganttRow->GetBarInRow(i);
        if (!dynamic_cast<TQVTFakeBar*>(bar))
            bars.push_back(std::static_pointer_cast<TQVTGanttBar>(bar->shared_from_this()));
    }
    std::stable_sort(bars.begin(), bars.end(), [rowStart](const auto& a, const auto& b) {
        return a->getStartDate() - rowStart < b->getStartDate() - rowStart;
    });
    for (std::size_t k = 1; k < bars.size(); ++k) {
        TQVTGanttBar& bar = *bars[k];
        const TDateTime target = bars[k - 1]->getEndDate();
        if (bar.FPreventLeftAlign || bar.getStartDate() == target)
            continue;
        TQVTOperationPtr move = bar.moveTo(target, row);
        if (!move || !move->perform())
            return false;
        addOperation(move);
    }
    return true;
}

TQVTToggleFirstCategoryOperation::TQVTToggleFirstCategoryOperation(TQVTDataSourceIntf* dataSource,
                                                                   TQVTGanttDocument* document)
    : TQVTOperation(dataSource),
      document(document)
{
}

bool TQVTToggleFirstCategoryOperation::toggle()
{
    TQVTDocumentCalendar* calendar = document ? document->getCalendar() : nullptr;
    TQVTDateCategory* category = calendar ? calendar->getDateCategory(0) : nullptr;
    if (!category)
        return false;
    category->setWorking(!category->getWorking());
    if (TQVTGanttTable* table = document->GetTable())
        table->RecalculateEffective();
    return true;
}

TQVTTimeModeOperation::TQVTTimeModeOperation(TQVTDataSourceIntf* dataSource, TQVTGanttDocument* document,
                                             TQVTTimeMode mode)
    : TQVTOperation(dataSource),
      document(document),
      mode(mode)
{
}

bool TQVTTimeModeOperation::perform()
{
    TQVTDocumentCalendar* calendar = document ? document->getCalendar() : nullptr;
    if (!calendar || calendar->getTimeMode() == mode)
        return false;
    oldMode = calendar->getTimeMode();
    oldStart = document->getStartDate();
    calendar->SetTimeMode(mode);
    return true;
}

bool TQVTTimeModeOperation::undo()
{
    TQVTDocumentCalendar* calendar = document ? document->getCalendar() : nullptr;
    if (!calendar)
        return false;
    calendar->SetTimeMode(oldMode);
    // The start date was snapped to the old unit already, so it is stored as it was.
    document->FStartDate = oldStart;
    return true;
}

} // namespace corvane
