#include "corvane/framework/tasktable/qvtTreeResizePane.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/tasktable/qvtTreeDrawers.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/platform/DiagnosticLog.h"

#include <algorithm>
#include <cstdint>

namespace corvane {

namespace {

// The data source of the document obj belongs to, for the operations its handles propose.
TQVTDataSourceIntf* dataSourceOf(TQVTGanttObject* obj)
{
    TQVTDocumentSetup* document = obj ? FindDocumentSetup(obj) : nullptr;
    return document ? document->getDataSource() : nullptr;
}

IQVTChartTable* chartTableOf(TQVTGanttObject* obj)
{
    TQVTDocumentSetup* document = obj ? FindDocumentSetup(obj) : nullptr;
    return document ? document->GetTable() : nullptr;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Row selector

TQVTRowSelector::TQVTRowSelector(TQVTTreeRowsResizePane* pane, TRect rect, int index)
    : pane(pane),
      rect(rect),
      index(index)
{
}

bool TQVTRowSelector::contains(int x, int y) const
{
    return x >= rect.Left && x < rect.Right && y >= rect.Top && y < rect.Bottom;
}

TRect TQVTRowSelector::nextOutline(TRect r, int, int dy)
{
    const auto shift = [dy](int v) {
        return static_cast<int>(std::clamp<long long>(static_cast<long long>(v) + dy, INT32_MIN, INT32_MAX));
    };
    return TRect{rect.Left, shift(r.Top), rect.Right, shift(r.Bottom)};
}

TQVTOperationPtr TQVTRowSelector::handleClick(int, int, int flags)
{
    TQVTTreeGrid* grid = pane ? pane->getGrid() : nullptr;
    IQVTChartTable* table = chartTableOf(grid);
    if (!table)
        return nullptr;
    // The grid finds rows by their offset below the first one and gives a row's lower border
    // to that row; one pixel into this selector's row names it whatever the click's pixel.
    grid->handleRowSelect(rect.Top - table->getRowStartY(0) + 1, flags);
    return nullptr;
}

TQVTOperationPtr TQVTRowSelector::handleMove(int, int, int, int x, int y)
{
    TQVTTreeGrid* grid = pane ? pane->getGrid() : nullptr;
    if (!grid)
        return nullptr;
    const TQVTRowSelector* target = pane->locateSelector(x, y);
    if (target == this || (target && target->index == index))
        return nullptr;
    return grid->repositionRow(index, target ? target->index : -1);
}

// ---------------------------------------------------------------------------------------------
// Row resizer

TQVTRowResizer::TQVTRowResizer(TQVTTreeRowsResizePane* pane, int row, int x, int y, int width)
    : pane(pane),
      targetRow(row),
      FX(x),
      FY(y),
      FWidth(width)
{
}

bool TQVTRowResizer::contains(int x, int y) const
{
    return x >= FX && x - FX < FWidth && y >= FY - Grip && y <= FY + Grip;
}

TRect TQVTRowResizer::getOutline()
{
    const int right = static_cast<int>(std::min<long long>(static_cast<long long>(FX) + FWidth, INT32_MAX));
    return TRect{FX, FY - 1 < FY ? FY - 1 : FY, right, FY < INT32_MAX ? FY + 1 : FY};
}

TRect TQVTRowResizer::nextOutline(TRect r, int, int dy)
{
    const TRect outline = getOutline();
    const auto shift = [dy](int v) {
        return static_cast<int>(std::clamp<long long>(static_cast<long long>(v) + dy, INT32_MIN, INT32_MAX));
    };
    return TRect{outline.Left, shift(r.Top), outline.Right, shift(r.Bottom)};
}

TQVTOperationPtr TQVTRowResizer::handleMove(int, int dy, int, int, int)
{
    TQVTTreeGrid* grid = pane ? pane->getGrid() : nullptr;
    IQVTChartTable* table = chartTableOf(grid);
    if (!table || dy == 0 || targetRow < 0 || targetRow >= grid->rowsCount())
        return nullptr;
    const long long height = static_cast<long long>(table->getRowHeight(targetRow)) + dy;
    if (height < MinHeight)
        return nullptr;
    return std::make_shared<TQVTRowResizeOperation>(dataSourceOf(grid), grid, targetRow,
                                                    static_cast<int>(std::min<long long>(height, INT32_MAX)));
}

// ---------------------------------------------------------------------------------------------
// Pane

void TQVTTreeRowsResizePane::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setIntProperty(name, "width", FWidth);
    media.setColorProperty(name, "color", FColor);
}

std::shared_ptr<TQVTGanttObject> TQVTTreeRowsResizePanePersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                           TQVTEntityFactory&)
{
    auto pane = std::make_shared<TQVTTreeRowsResizePane>();
    int width = 15;
    media.getIntProperty(name, "width", width, width);
    pane->FWidth = std::clamp(width, 0, TQVTTreeRowsResizePane::MaxWidth);
    if (pane->FWidth != width)
        addlog("Row pane: \"width\" of section " + name + " out of range, " + std::to_string(width) + " taken as " +
               std::to_string(pane->FWidth));
    media.getColorProperty(name, "color", clSilver, pane->FColor);
    return pane;
}

TQVTTreeGrid* TQVTTreeRowsResizePane::getGrid() const
{
    return dynamic_cast<TQVTTreeGrid*>(getParent());
}

void TQVTTreeRowsResizePane::update(int top, int bottom)
{
    // Handles dropped now live until the next update: whoever found one under the mouse may
    // still hold it until the next paint.
    FRetiredResizers = std::move(resizingHalo);
    FRetiredSelectors = std::move(rowSelectors);
    resizingHalo.clear();
    rowSelectors.clear();
    TQVTTreeGrid* grid = getGrid();
    TQVTDocumentSetup* document = FindDocumentSetup(this);
    IQVTChartTable* table = document ? document->GetTable() : nullptr;
    if (grid && table) {
        const int x = document->getDocStartX();
        const int right = static_cast<int>(std::min<long long>(static_cast<long long>(x) + FWidth, INT32_MAX));
        // Both old lists run by row index, so the handles of a row are found by walking along.
        std::size_t oldSelector = 0;
        std::size_t oldResizer = 0;
        forEachShownRow(*grid, *table, top, bottom, [&](int i, int y, int height) {
            const long long bottomY = static_cast<long long>(y) + height;
            // Rows below the last representable pixel cannot be reached by the mouse.
            if (bottomY > INT32_MAX)
                return false;
            const TRect rect{x, y, right, static_cast<int>(bottomY)};
            while (oldSelector < FRetiredSelectors.size() && FRetiredSelectors[oldSelector]->index < i)
                ++oldSelector;
            if (oldSelector < FRetiredSelectors.size() && FRetiredSelectors[oldSelector]->index == i) {
                auto selector = std::move(FRetiredSelectors[oldSelector++]);
                selector->rect = rect;
                rowSelectors.push_back(std::move(selector));
            } else {
                rowSelectors.push_back(std::make_shared<TQVTRowSelector>(this, rect, i));
            }
            while (oldResizer < FRetiredResizers.size() && FRetiredResizers[oldResizer]->targetRow < i)
                ++oldResizer;
            if (oldResizer < FRetiredResizers.size() && FRetiredResizers[oldResizer]->targetRow == i) {
                auto resizer = std::move(FRetiredResizers[oldResizer++]);
                resizer->FX = x;
                resizer->FY = static_cast<int>(bottomY);
                resizer->FWidth = right - x;
                resizingHalo.push_back(std::move(resizer));
            } else {
                resizingHalo.push_back(std::make_shared<TQVTRowResizer>(this, i, x, static_cast<int>(bottomY), right - x));
            }
            return true;
        });
    }
    std::erase(FRetiredSelectors, nullptr);
    std::erase(FRetiredResizers, nullptr);
}

TQVTRowSelector* TQVTTreeRowsResizePane::locateSelector(int x, int y) const
{
    // Selectors run from top to bottom: the first whose bottom lies below y is the candidate.
    const auto it = std::upper_bound(rowSelectors.begin(), rowSelectors.end(), y,
                                     [](int py, const auto& s) { return py < s->rect.Bottom; });
    return it != rowSelectors.end() && (*it)->contains(x, y) ? it->get() : nullptr;
}

TQVTRowSelector* TQVTTreeRowsResizePane::GetRowSelector(int i) const
{
    const auto it = std::lower_bound(rowSelectors.begin(), rowSelectors.end(), i,
                                     [](const auto& s, int index) { return s->index < index; });
    return it != rowSelectors.end() && (*it)->index == i ? it->get() : nullptr;
}

TQVTRowResizer* TQVTTreeRowsResizePane::locateResizer(int x, int y) const
{
    const auto it =
        std::upper_bound(resizingHalo.begin(), resizingHalo.end(), static_cast<long long>(y) + TQVTRowResizer::Grip,
                         [](long long py, const auto& r) { return py < r->FY; });
    if (it == resizingHalo.begin())
        return nullptr;
    TQVTRowResizer* resizer = std::prev(it)->get();
    return resizer->contains(x, y) ? resizer : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Row height operation

TQVTRowResizeOperation::TQVTRowResizeOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid* grid, int target,
                                               int newHeight)
    : TQVTOperation(dataSource),
      newHeight(newHeight),
      FGrid(grid),
      FTarget(target)
{
}

bool TQVTRowResizeOperation::perform()
{
    IQVTChartTable* table = chartTableOf(FGrid);
    if (!table || FTarget < 0 || FTarget >= FGrid->rowsCount())
        return false;
    originalHeight = table->getRowHeight(FTarget);
    table->setRowHeight(FTarget, newHeight);
    FGrid->updateNodes();
    return true;
}

bool TQVTRowResizeOperation::undo()
{
    IQVTChartTable* table = chartTableOf(FGrid);
    if (!table || FTarget < 0 || FTarget >= FGrid->rowsCount())
        return false;
    table->setRowHeight(FTarget, originalHeight);
    FGrid->updateNodes();
    return true;
}

} // namespace corvane
