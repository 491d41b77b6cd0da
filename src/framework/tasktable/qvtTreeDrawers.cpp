#include "corvane/framework/tasktable/qvtTreeDrawers.h"

#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/objects/qvtObjectEditor.h"
#include "corvane/framework/rendering/qvtTextArranger.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/rendering/qvtVisualContext.h"
#include "corvane/framework/tasktable/qvtColumnOperations.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeResizePane.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/tasktable/qvtTreeTextSettings.h"
#include "corvane/platform/Colors.h"
#include "corvane/platform/Graphics.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace corvane {

namespace {

int clampToInt(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

TQVTDataSourceIntf* dataSourceOf(TQVTGanttObject* obj)
{
    TQVTDocumentSetup* document = obj ? FindDocumentSetup(obj) : nullptr;
    return document ? document->getDataSource() : nullptr;
}

TQVTTreeGrid* gridOf(TQVTGanttObject* obj)
{
    TQVTDocumentSetup* document = obj ? FindDocumentSetup(obj) : nullptr;
    return document ? document->GetTree() : nullptr;
}

TColor lineColorOf(const TQVTTreeGrid* grid)
{
    return grid && grid->FHeader ? grid->FHeader->FlineColor : clGray;
}

bool contains(TRect r, int x, int y)
{
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

// Lines of a text: CR LF, a lone CR and a lone LF each end one.
std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

// The depth of node below the root: 0 for children of the root.
int depthOf(const TQVTTreeNode* node)
{
    int depth = -1;
    for (const TQVTTreeNode* n = node ? node->getParentNode() : nullptr; n; n = n->getParentNode())
        ++depth;
    return std::max(depth, 0);
}

// Whether any row from first to last takes room on screen: rows in collapsed branches, rows
// the filter hides and rows of no height take none. Asked only for rows below a shown row,
// where the row starts are a running sum of the heights.
bool takesRoom(IQVTChartTable& table, int first, int last)
{
    return first <= last && table.getRowStartY(last + 1) > table.getRowStartY(first);
}

// The lines of the tree within one shown row: its parent's line down to it and the stub into
// it, the lines of ancestors whose later children follow below, and the start of its own line
// down to its children. Each row draws only what lies within it, so a parent scrolled out above
// the view still has its line, and the cost follows the rows on screen and their depth. Lines
// stop at the expander boxes and stay within the tree area.
void paintNodeLines(TQVTVisualContext& vc, const TQVTTreeLayout& layout, const TQVTTreePaintedRow& place,
                    IQVTChartTable& table, TColor color)
{
    const TQVTTreeNode* node = place.node;
    if (!node || !node->FRow)
        return;
    constexpr int h = TQVTNodeExpander::HalfSize;
    const long long top = place.y;
    const long long bottom = top + place.height;
    const long long mid = top + place.height / 2;
    // The expanders of depth d are centred at this x, the content starting 7 pixels right of it.
    const auto column = [&layout](long long depth) { return static_cast<long long>(layout.x0) + 7 * depth + 4; };
    const auto inside = [&layout](long long x) { return x >= layout.treeLeft && x < layout.right; };
    vc.setPenStyle(psSolid);
    vc.setPenWidth(1);
    vc.setDrawingColor(color);
    const auto vertical = [&](long long x, long long from, long long to) {
        if (inside(x) && from < to)
            vc.drawLine(clampToInt(x), clampToInt(from), clampToInt(x), clampToInt(to));
    };

    const long long own = column(place.depth);
    if (node->hasChildren() && !node->isCollapsed() && takesRoom(table, node->FRow->FIndex + 1, node->getLastIndex()))
        vertical(own, mid + h + 1, bottom);
    long long depth = place.depth - 1;
    const TQVTTreeNode* child = node;
    for (const TQVTTreeNode* parent = node->getParentNode(); parent && parent->FRow && depth >= 0;
         child = parent, parent = parent->getParentNode(), --depth) {
        const bool more = takesRoom(table, child->getLastIndex() + 1, parent->getLastIndex());
        const long long x = column(depth);
        if (child != node) {
            if (more)
                vertical(x, top, bottom);
            continue;
        }
        vertical(x, top, more ? bottom : mid + 1);
        // Into the row: up to its box, or for a leaf to where its box would end.
        const long long from = std::max<long long>(x + 1, layout.treeLeft);
        const long long to = std::min<long long>(node->hasChildren() ? own - h : own + h + 1, layout.right);
        if (from < to)
            vc.drawLine(clampToInt(from), clampToInt(mid), clampToInt(to), clampToInt(mid));
    }
}

// The visible columns from x0, neighbours sharing their border pixel; columns of no width
// take no room.
std::vector<TQVTTreeColumnPlace> layColumns(const TQVTTreeHeader* header, int x0)
{
    std::vector<TQVTTreeColumnPlace> columns;
    if (!header)
        return columns;
    long long x = x0;
    for (int i = 0; i < header->countCells(); ++i) {
        const TQVTTreeHeaderCell* cell = header->getHeaderCell(i);
        if (!cell || !cell->FVisible || cell->getWidth() < 1)
            continue;
        columns.push_back({i, clampToInt(x), cell->getWidth()});
        x += cell->getWidth() - 1LL;
    }
    return columns;
}

// The layout of the tree for the visible area r.
TQVTTreeLayout layoutOf(TQVTTreeGrid& grid, TQVTDocumentSetup& document, TRect r)
{
    TQVTTreeLayout layout;
    layout.left = document.getDocStartX();
    const int pane = grid.FRowsResizePane ? std::max(grid.FRowsResizePane->FWidth, 0) : 0;
    layout.treeLeft = clampToInt(static_cast<long long>(layout.left) + pane);
    layout.x0 = clampToInt(static_cast<long long>(layout.treeLeft) + document.getTreeStartX());
    layout.right = clampToInt(static_cast<long long>(layout.left) + std::max(grid.getWidth(), 0));
    IQVTChartTable* table = document.GetTable();
    layout.rowsTop = table ? table->getRowStartY(0) : document.GetTableStartY();
    layout.headerTop = clampToInt(static_cast<long long>(layout.rowsTop) - (grid.FHeader ? grid.FHeader->FHeight : 0));
    layout.columns = layColumns(grid.FHeader.get(), layout.x0);
    (void)r;
    return layout;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Rows on screen

void forEachShownRow(const TQVTTreeGrid& grid, IQVTChartTable& table, int top, int bottom,
                     const std::function<bool(int, int, int)>& visit)
{
    const int count = std::min(grid.rowsCount(), table.countRows());
    if (count <= 0 || bottom <= top)
        return;
    // Row starts never decrease with the index; a row takes room only when the next one starts
    // below it. The first row that reaches below y is found by bisection.
    const auto firstEndingBelow = [&table](int from, int to, long long y) {
        int lo = from;
        int hi = to;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (table.getRowStartY(mid + 1) > y)
                hi = mid;
            else
                lo = mid + 1;
        }
        return lo;
    };
    int i = firstEndingBelow(0, count, std::max<long long>(top, table.getRowStartY(0)));
    while (i < count) {
        const int y = table.getRowStartY(i);
        if (y >= bottom)
            break;
        const int end = table.getRowStartY(i + 1);
        const TQVTTreeRow* row = grid.getRow(i);
        if (end > y && row && !row->FHidden && table.isRowVisible(i) && !visit(i, y, end - y))
            return;
        // Most rows follow one another; a run of rows without room is jumped at once.
        if (i + 1 < count && table.getRowStartY(i + 2) == end)
            i = firstEndingBelow(i + 1, count, end);
        else
            ++i;
    }
}

// ---------------------------------------------------------------------------------------------
// Node expander

TQVTOperationPtr TQVTNodeExpander::handleClick(int, int, int)
{
    TQVTDocumentSetup* document = node ? FindDocumentSetup(node) : nullptr;
    IQVTChartTable* table = document ? document->GetTable() : nullptr;
    if (!table || !node->hasChildren())
        return nullptr;
    return table->makeNodeCollapseOperation(document->getDataSource(), node->shared_from_this());
}

std::unique_ptr<TQVTDrawer> TQVTNodeExpander::makeDrawer() const
{
    return std::make_unique<TQVTNodeExpanderDrawer>(const_cast<TQVTNodeExpander*>(this));
}

bool TQVTNodeExpanderDrawer::Draw(TQVTVisualContext& vc)
{
    auto* expander = static_cast<TQVTNodeExpander*>(target);
    if (!expander->isPlaced() || !expander->node)
        return false;
    const TPoint c = expander->getPosition();
    constexpr int h = TQVTNodeExpander::HalfSize;
    constexpr int s = TQVTNodeExpander::SignHalf;
    vc.drawRect(TRect{c.X - h, c.Y - h, c.X + h + 1, c.Y + h + 1}, psSolid, TQVTNodeExpander::Color);
    vc.setPenStyle(psSolid);
    vc.setPenWidth(1);
    vc.setDrawingColor(TQVTNodeExpander::Color);
    vc.drawLine(c.X - s, c.Y, c.X + s + 1, c.Y);
    if (expander->node->isCollapsed())
        vc.drawLine(c.X, c.Y - s, c.X, c.Y + s + 1);
    return true;
}

TQVTGanttObject* TQVTNodeExpanderDrawer::locateObject(int x, int y)
{
    const auto* expander = static_cast<TQVTNodeExpander*>(target);
    if (!expander->isPlaced())
        return nullptr;
    const TPoint c = expander->getPosition();
    constexpr int g = TQVTNodeExpander::Grip;
    const long long dx = static_cast<long long>(x) - c.X;
    const long long dy = static_cast<long long>(y) - c.Y;
    return dx >= -g && dx <= g && dy >= -g && dy <= g ? target : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Tree grid resizer and the tree's width

std::unique_ptr<TQVTDrawer> TQVTTreeGridResizer::makeDrawer() const
{
    auto drawer = std::make_unique<TQVTHorizontalResizerDrawer>(const_cast<TQVTTreeGridResizer*>(this));
    drawer->grip = Grip;
    return drawer;
}

TQVTOperationPtr TQVTTreeGridResizer::handleMove(int dx, int, int, int, int)
{
    if (!grid || dx == 0)
        return nullptr;
    const long long width = static_cast<long long>(grid->getWidth()) + dx;
    if (width < 0)
        return nullptr;
    return std::make_shared<TQVTTreeWidthOperation>(dataSourceOf(grid), grid,
                                                    static_cast<int>(std::min<long long>(width, INT32_MAX)));
}

TQVTOperationPtr TQVTTreeGridResizer::handleClick(int, int, int)
{
    if (!grid)
        return nullptr;
    const int pane = grid->FRowsResizePane ? std::max(grid->FRowsResizePane->FWidth, 0) : 0;
    const int width = clampToInt(static_cast<long long>(pane) + grid->getActualWidth());
    if (width == grid->getWidth())
        return nullptr;
    return std::make_shared<TQVTTreeWidthOperation>(dataSourceOf(grid), grid, width);
}

TQVTTreeWidthOperation::TQVTTreeWidthOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid* grid, int newWidth)
    : TQVTOperation(dataSource),
      FGrid(grid),
      FNewWidth(newWidth)
{
}

bool TQVTTreeWidthOperation::perform()
{
    if (!FGrid || FNewWidth < 0)
        return false;
    FOldWidth = FGrid->getWidth();
    FGrid->setWidth(FNewWidth);
    return true;
}

bool TQVTTreeWidthOperation::undo()
{
    if (!FGrid)
        return false;
    FGrid->setWidth(FOldWidth);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Header handles

TQVTOperationPtr TQVTTreeHeaderCellResizer::handleMove(int dx, int, int, int, int)
{
    if (!targetCell)
        return nullptr;
    auto cell = std::static_pointer_cast<TQVTTreeHeaderCell>(targetCell->shared_from_this());
    return TQVTTreeCellResizeOperation::propose(dataSourceOf(targetCell), cell, dx);
}

TQVTOperationPtr TQVTHeaderHalo::handleClick(int, int, int)
{
    TQVTTreeGrid* grid = header ? header->getGrid() : nullptr;
    const int column = header ? header->getHeaderCellIndex(cell) : -1;
    if (!grid || column < 0)
        return nullptr;
    return grid->sortRows(column, static_cast<TQVTSortOrder>((header->getSortOrder(column) + 1) % 3));
}

TRect TQVTHeaderHalo::nextOutline(TRect r, int dx, int)
{
    TRect outline = FRect;
    outline.Left = clampToInt(static_cast<long long>(r.Left) + dx);
    outline.Right = clampToInt(static_cast<long long>(r.Right) + dx);
    return outline;
}

TQVTOperationPtr TQVTHeaderHalo::handleMove(int, int, int, int x, int)
{
    TQVTTreeGrid* grid = header ? header->getGrid() : nullptr;
    const int from = header ? header->getHeaderCellIndex(cell) : -1;
    if (!grid || from < 0)
        return nullptr;
    const int target = header->columnAt(x);
    if (target < 0 || target == from)
        return nullptr;
    if (target < from)
        return grid->moveColumn(from, target);
    // Dropped right of itself: after the column there.
    for (int next = target + 1; next < header->countCells(); ++next)
        if (header->visibleIndex(next) >= 0)
            return grid->moveColumn(from, next);
    return grid->moveColumn(from, -1);
}

std::unique_ptr<TQVTDrawer> TQVTHeaderHalo::makeDrawer() const
{
    return std::make_unique<TQVTHeaderHaloDrawer>(const_cast<TQVTHeaderHalo*>(this));
}

bool TQVTHeaderHaloDrawer::Draw(TQVTVisualContext& vc)
{
    if (!highlightedMode)
        return false;
    vc.drawRect(static_cast<TQVTHeaderHalo*>(target)->FRect, psSolid, clBlack);
    return true;
}

TQVTGanttObject* TQVTHeaderHaloDrawer::locateObject(int x, int y)
{
    return contains(static_cast<TQVTHeaderHalo*>(target)->FRect, x, y) ? target : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Filter button

std::function<std::unique_ptr<TQVTObjectEditorIntf>()> TQVTHeaderFilterHalo::EditorFactory;

TQVTHeaderFilterHalo::TQVTHeaderFilterHalo(TQVTTreeHeaderCell* cell)
    : FTarget(cell ? std::static_pointer_cast<TQVTTreeHeaderCell>(cell->weak_from_this().lock()) : nullptr)
{
}

bool TQVTHeaderFilterHalo::isFiltered() const
{
    const std::shared_ptr<TQVTTreeHeaderCell> cell = getTarget();
    TQVTTreeHeader* header = cell ? cell->getHeader() : nullptr;
    TQVTTreeGrid* grid = header ? header->getGrid() : nullptr;
    return grid && grid->TreeFilter.Active && grid->TreeFilter.ColID >= 0 &&
           grid->TreeFilter.ColID == header->getHeaderCellIndex(cell.get());
}

void TQVTHeaderFilterHalo::place(TRect cellRect)
{
    const long long width = static_cast<long long>(cellRect.Right) - cellRect.Left;
    if (width < MinCellWidth || cellRect.Bottom - 1LL <= cellRect.Top) {
        unplace();
        return;
    }
    // The cell's lower border line stays the header's.
    const int right = cellRect.Right - GripRoom;
    FRect = TRect{right - ButtonWidth, cellRect.Top, right, cellRect.Bottom - 1};
}

std::unique_ptr<TQVTObjectEditorIntf> TQVTHeaderFilterHalo::DefaultEditor()
{
    if (EditorFactory)
        if (std::unique_ptr<TQVTObjectEditorIntf> editor = EditorFactory())
            return editor;
    return std::make_unique<TQVTDummyEditor>();
}

std::unique_ptr<TQVTDrawer> TQVTHeaderFilterHalo::makeDrawer() const
{
    return std::make_unique<TQVTHeaderFilterHaloDrawer>(const_cast<TQVTHeaderFilterHalo*>(this));
}

bool TQVTHeaderFilterHaloDrawer::Draw(TQVTVisualContext& vc)
{
    const auto& button = *static_cast<TQVTHeaderFilterHalo*>(target);
    if (!button.isPlaced())
        return false;
    const std::shared_ptr<TQVTTreeHeaderCell> cell = button.getTarget();
    const TColor color = cell ? cell->FColor : clBlack;
    const TRect r = button.FRect;
    // A down arrow 7 pixels wide and 4 high, its base 2 pixels above the middle.
    const int cx = r.Left + TQVTHeaderFilterHalo::ButtonWidth / 2;
    const int cy = r.Top + (r.Bottom - r.Top) / 2;
    vc.setPenStyle(psSolid);
    vc.setPenWidth(1);
    vc.setDrawingColor(color);
    if (button.isFiltered()) {
        vc.drawPolygon({TPoint{cx - 3, cy - 2}, TPoint{cx + 3, cy - 2}, TPoint{cx, cy + 1}}, color);
    } else {
        // Lines leave out their end point: each runs one step past the corner it closes.
        vc.drawLine(cx - 3, cy - 2, cx + 4, cy - 2);
        vc.drawLine(cx - 3, cy - 2, cx + 1, cy + 2);
        vc.drawLine(cx + 3, cy - 2, cx - 1, cy + 2);
    }
    if (highlightedMode)
        vc.drawRect(r, psSolid, lineColorOf(gridOf(cell.get())));
    return true;
}

TQVTGanttObject* TQVTHeaderFilterHaloDrawer::locateObject(int x, int y)
{
    return contains(static_cast<TQVTHeaderFilterHalo*>(target)->FRect, x, y) ? target : nullptr;
}

void TQVTTreeHeader::updateClickers(int top)
{
    TQVTDocumentSetup* document = FindDocumentSetup(this);
    TQVTTreeGrid* grid = getGrid();
    std::vector<std::shared_ptr<TQVTHeaderHalo>> previous = std::move(clickers);
    clickers.clear();
    FRetiredClickers.clear();
    if (document && grid) {
        const TQVTTreeLayout layout = layoutOf(*grid, *document, TRect{});
        for (const TQVTTreeColumnPlace& place : layout.columns) {
            TQVTTreeHeaderCell* cell = getHeaderCell(place.column);
            auto it = std::find_if(previous.begin(), previous.end(),
                                   [cell](const auto& halo) { return halo && halo->cell == cell; });
            std::shared_ptr<TQVTHeaderHalo> halo;
            if (it != previous.end()) {
                halo = std::move(*it);
                previous.erase(it);
            } else {
                halo = std::make_shared<TQVTHeaderHalo>(this, cell);
            }
            halo->FRect = TRect{place.left, top, clampToInt(static_cast<long long>(place.left) + place.width),
                                layout.rowsTop};
            clickers.push_back(std::move(halo));
        }
    }
    for (auto& halo : previous)
        FRetiredClickers.push_back(std::move(halo));
}

// ---------------------------------------------------------------------------------------------
// Tree grid

std::unique_ptr<TQVTDrawer> TQVTTreeGrid::makeDrawer() const
{
    return std::make_unique<TQVTTreeGridDrawer>(const_cast<TQVTTreeGrid*>(this));
}

void TQVTTreeGridDrawer::collectRows(TQVTTreeGrid& grid, IQVTChartTable& table, int top, int bottom)
{
    FRows.clear();
    if (!FWalkAllRows) {
        forEachShownRow(grid, table, top, bottom, [&](int index, int y, int height) {
            TQVTTreeNode* node = grid.findNodeByIndex(index);
            FRows.push_back({index, y, height, depthOf(node), node});
            return true;
        });
        return;
    }
    // Every node depth-first from the root; the children of a collapsed node are passed over.
    const int count = std::min(grid.rowsCount(), table.countRows());
    std::vector<std::pair<TQVTTreeNode*, int>> stack;
    if (grid.FRootNode)
        stack.emplace_back(grid.FRootNode.get(), -1);
    while (!stack.empty()) {
        auto [node, depth] = stack.back();
        stack.pop_back();
        if (node->FRow && node->FRow->FIndex >= 0 && node->FRow->FIndex < count) {
            const int i = node->FRow->FIndex;
            const int y = table.getRowStartY(i);
            const int height = table.isRowVisible(i) ? table.getRowHeight(i) : 0;
            if (!node->FRow->FHidden && height > 0 && y < bottom && static_cast<long long>(y) + height > top)
                FRows.push_back({i, y, height, depth, node});
        }
        if (node->isCollapsed() && node->FRow)
            continue;
        for (auto it = node->Fchildren.rbegin(); it != node->Fchildren.rend(); ++it)
            if (*it)
                stack.emplace_back(it->get(), depth + 1);
    }
    std::sort(FRows.begin(), FRows.end(), [](const auto& a, const auto& b) { return a.index < b.index; });
}

bool TQVTTreeGridDrawer::Draw(TQVTVisualContext& vc)
{
    auto& grid = *static_cast<TQVTTreeGrid*>(target);
    TQVTDocumentSetup* document = FindDocumentSetup(&grid);
    if (!document)
        return false;
    const TRect area = vc.getVisibleArea();
    FLayout = layoutOf(grid, *document, area);
    const TQVTTreeLayout& l = FLayout;

    vc.FillArea(TRect{l.left, area.Top, l.right, area.Bottom}, grid.FbkColor, bsSolid);
    vc.FillArea(TRect{l.left, area.Top, l.right, std::min(l.rowsTop, area.Bottom)}, grid.FUpperPaneColor, bsSolid);

    FRows.clear();
    if (IQVTChartTable* table = document->GetTable())
        collectRows(grid, *table, std::max(area.Top, l.rowsTop), area.Bottom);
    vc.SetClipRect(TRect{l.treeLeft, l.rowsTop, l.right, area.Bottom});
    int order = 0;
    for (const TQVTTreePaintedRow& place : FRows) {
        TQVTTreeRow* row = grid.getRow(place.index);
        row->FOrder = order++;
        static_cast<TQVTTreeRowDrawer*>(row->getDrawer(vtGanttGraph))->paint(vc, l, place);
    }
    vc.ResetClipRect();

    if (grid.FHeader)
        static_cast<TQVTTreeHeaderDrawer*>(grid.FHeader->getDrawer(vtGanttGraph))->paint(vc, l);
    if (grid.FRowsResizePane)
        grid.FRowsResizePane->getDrawer(vtGanttGraph)->Draw(vc);

    if (!grid.resizer)
        grid.resizer = std::make_shared<TQVTTreeGridResizer>(&grid);
    grid.resizer->setPosition(l.right, area.Top, area.Bottom - area.Top);
    grid.resizer->getDrawer(vtGanttGraph)->Draw(vc);
    return true;
}

TQVTGanttObject* TQVTTreeGridDrawer::locateObject(int x, int y)
{
    auto& grid = *static_cast<TQVTTreeGrid*>(target);
    if (grid.resizer)
        if (TQVTGanttObject* hit = grid.resizer->getDrawer(vtGanttGraph)->locateObject(x, y))
            return hit;
    if (x < FLayout.left || x >= FLayout.right)
        return nullptr;
    if (y < FLayout.rowsTop)
        return grid.FHeader ? grid.FHeader->getDrawer(vtGanttGraph)->locateObject(x, y) : nullptr;
    if (x < FLayout.treeLeft)
        return grid.FRowsResizePane ? grid.FRowsResizePane->getDrawer(vtGanttGraph)->locateObject(x, y) : nullptr;
    // An expander reaches a few pixels beyond its row; the rows are ordered by their tops.
    auto it = std::upper_bound(FRows.begin(), FRows.end(), y, [](int py, const auto& r) { return py < r.y; });
    for (auto near = it; near != FRows.begin() && std::prev(near)->y + std::prev(near)->height + 4 >= y; --near) {
        const TQVTTreePaintedRow& r = *std::prev(near);
        if (r.node && r.node->expander && r.node->hasChildren())
            if (TQVTGanttObject* hit = r.node->expander->getDrawer(vtGanttGraph)->locateObject(x, y))
                return hit;
    }
    if (it == FRows.begin())
        return nullptr;
    const TQVTTreePaintedRow& r = *std::prev(it);
    if (static_cast<long long>(y) >= static_cast<long long>(r.y) + r.height)
        return nullptr;
    TQVTTreeRow* row = grid.getRow(r.index);
    return row ? row->getDrawer(vtGanttGraph)->locateObject(x, y) : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Tree row

std::unique_ptr<TQVTDrawer> TQVTTreeRow::makeDrawer() const
{
    return std::make_unique<TQVTTreeRowDrawer>(const_cast<TQVTTreeRow*>(this));
}

bool TQVTTreeRowDrawer::Draw(TQVTVisualContext& vc)
{
    if (!FLayout)
        return false;
    paint(vc, *FLayout, FPlace);
    return true;
}

void TQVTTreeRowDrawer::paint(TQVTVisualContext& vc, const TQVTTreeLayout& layout, const TQVTTreePaintedRow& place)
{
    auto& row = *static_cast<TQVTTreeRow*>(target);
    FLayout = &layout;
    FPlace = place;
    TQVTTreeGrid* grid = gridOf(&row);
    const int bottom = clampToInt(static_cast<long long>(place.y) + place.height);
    const int right = layout.columns.empty()
                          ? layout.x0
                          : clampToInt(static_cast<long long>(layout.columns.back().left) + layout.columns.back().width);
    FRect = TRect{layout.x0, place.y, right, bottom};
    row.FNestingOffset = clampToInt(static_cast<long long>(layout.x0) + 7LL * (place.depth + 1) + 4);

    const TQVTTreeRowSettings* settings = row.Fsettings.get();
    const bool group = place.node && place.node->hasChildren();
    TColor background = settings ? (group ? settings->FGroupColor : settings->FColor) : clWhite;
    TColor text = settings ? settings->FFont.Color : clBlack;
    if (grid && row.FSelected) {
        background = grid->FSelectedRowColor;
        text = grid->FSelectedRowFontColor;
    }
    if (grid && row.FFocused) {
        background = grid->FFocusedRowColor;
        text = grid->FFocusedRowFontColor;
    }
    if (right > layout.x0)
        vc.FillArea(FRect, background, bsSolid);

    for (std::size_t k = 0; k < layout.columns.size(); ++k) {
        const TQVTTreeColumnPlace& column = layout.columns[k];
        TQVTTreeCell* cell = row.getCell(column.column);
        if (!cell)
            continue;
        const TRect r{column.left, place.y, clampToInt(static_cast<long long>(column.left) + column.width), bottom};
        auto* drawer = static_cast<TQVTTreeCellDrawer*>(cell->getDrawer(vtGanttGraph));
        drawer->place(r, k == 0 ? std::max(row.FNestingOffset, column.left + 2) : column.left + 2, text);
        TQVTDataSourceIntf* dataSource = dataSourceOf(&row);
        bool userDraw = false;
        if (dataSource && dataSource->OnDrawCell) {
            TQVTVisualContext* context = &vc;
            dataSource->OnDrawCell(row.FIndex, column.column, r, cell, context, userDraw);
        }
        if (!userDraw)
            drawer->Draw(vc);
    }

    if (grid && grid->FDrawTreeNodeLines)
        if (TQVTDocumentSetup* document = FindDocumentSetup(&row))
            if (IQVTChartTable* table = document->GetTable())
                paintNodeLines(vc, layout, place, *table, lineColorOf(grid));

    if (!group)
        return;
    if (!place.node->expander)
        place.node->expander = std::make_shared<TQVTNodeExpander>(place.node);
    const long long cx = static_cast<long long>(row.FNestingOffset) - 7;
    if (cx < static_cast<long long>(layout.treeLeft) - TQVTNodeExpander::HalfSize) {
        place.node->expander->setPosition(-1, -1);
        return;
    }
    place.node->expander->setPosition(static_cast<int>(cx), clampToInt(place.y + place.height / 2LL));
    place.node->expander->getDrawer(vtGanttGraph)->Draw(vc);
}

TQVTGanttObject* TQVTTreeRowDrawer::locateObject(int x, int y)
{
    auto& row = *static_cast<TQVTTreeRow*>(target);
    if (!FLayout || !contains(FRect, x, y))
        return nullptr;
    // Neighbours share a border pixel, which belongs to the left one.
    for (const TQVTTreeColumnPlace& column : FLayout->columns)
        if (x >= column.left && static_cast<long long>(x) < static_cast<long long>(column.left) + column.width)
            return row.getCell(column.column);
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Cells

std::unique_ptr<TQVTDrawer> TQVTTreeCell::makeDrawer() const
{
    if (kind() == ckAuto)
        return std::make_unique<TQVTTreeAutoCellDrawer>(const_cast<TQVTTreeCell*>(this));
    return std::make_unique<TQVTTreeCellDrawer>(const_cast<TQVTTreeCell*>(this));
}

void TQVTTreeCellDrawer::place(TRect r, int contentLeft, TColor textColor)
{
    FRect = r;
    FContentLeft = contentLeft;
    FTextColor = textColor;
}

std::string TQVTTreeCellDrawer::text() const
{
    return static_cast<const TQVTTreeCell*>(target)->FText;
}

std::string TQVTTreeAutoCellDrawer::text() const
{
    return static_cast<const TQVTTreeAutoCell*>(target)->calculateValue();
}

bool TQVTTreeCellDrawer::Draw(TQVTVisualContext& vc)
{
    const auto& cell = *static_cast<TQVTTreeCell*>(target);
    TQVTTreeGrid* grid = gridOf(target);
    const TRect r = FRect;
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return false;
    vc.setPenStyle(psSolid);
    vc.setPenWidth(1);
    vc.setDrawingColor(lineColorOf(grid));
    vc.drawLine(r.Right - 1, r.Top, r.Right - 1, r.Bottom);
    vc.drawLine(r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);

    const std::string shown = text();
    const TRect box{FContentLeft, r.Top, r.Right - 3, r.Bottom - 1};
    if (shown.empty() || box.Right <= box.Left || box.Bottom <= box.Top)
        return true;
    // A cell without settings of its own is laid out with the grid's default row settings.
    TQVTTreeRowSettings* rowSettings =
        cell.FRowSettings ? cell.FRowSettings.get() : grid ? grid->FDefaultRowSettings.get() : nullptr;
    if (cell.kind() == TQVTTreeCell::ckImageCombo && rowSettings)
        if (const auto* type = dynamic_cast<const TQVTTreeImageComboCellType*>(cell.FDataType.get()))
            if (const std::shared_ptr<TBitmap> picture = type->pictureOf(shown)) {
                // The arranger puts the picture before the text and moves the text right of it.
                TQVTTreeTextSettings settings(rowSettings, cell.FColSettings.get());
                TQVTTextArranger arranger(&settings);
                arranger.Fimage = picture.get();
                arranger.wordWrapText(shown, box.Right - box.Left, false);
                vc.SetClipRect(box);
                arranger.drawText(vc, box, false, FTextColor);
                vc.ResetClipRect();
                return true;
            }
    const TQVTTreeRowSettings* settings = cell.FRowSettings.get();
    const TFont font = settings ? settings->FFont : TFont{};
    vc.setFont(font.Name, font.Size(), FTextColor, font.Style.Contains(fsBold), font.Style.Contains(fsItalic),
               font.Style.Contains(fsUnderline), 0);
    const int hAlign = cell.FColSettings ? cell.FColSettings->FHAlign : haLeft;
    const int vAlign = cell.FColSettings ? cell.FColSettings->FVAlign : vaCenter;
    const std::vector<std::string> lines =
        cell.kind() == TQVTTreeCell::ckMultilineText ? linesOf(shown) : std::vector<std::string>{shown};
    const int lineHeight = vc.TextHeight("A");
    const long long block = static_cast<long long>(lineHeight) * static_cast<long long>(lines.size());
    long long y = box.Top;
    if (vAlign == vaCenter)
        y = box.Top + (box.Bottom - box.Top - block) / 2;
    else if (vAlign == vaBottom)
        y = box.Bottom - block;
    vc.SetClipRect(box);
    for (const std::string& line : lines) {
        if (y >= box.Bottom)
            break;
        long long x = box.Left;
        if (hAlign != haLeft) {
            const int width = vc.TextWidth(line);
            x = hAlign == haRight ? box.Right - width : box.Left + (box.Right - box.Left - width) / 2;
        }
        if (y + lineHeight > box.Top)
            vc.textOutOriented(clampToInt(x), clampToInt(y), line, 0);
        y += lineHeight;
    }
    vc.ResetClipRect();
    return true;
}

TQVTGanttObject* TQVTTreeCellDrawer::locateObject(int x, int y)
{
    return contains(FRect, x, y) ? target : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Header

std::unique_ptr<TQVTDrawer> TQVTTreeHeader::makeDrawer() const
{
    return std::make_unique<TQVTTreeHeaderDrawer>(const_cast<TQVTTreeHeader*>(this));
}

std::unique_ptr<TQVTDrawer> TQVTTreeHeaderCell::makeDrawer() const
{
    return std::make_unique<TQVTTreeHeaderCellDrawer>(const_cast<TQVTTreeHeaderCell*>(this));
}

bool TQVTTreeHeaderDrawer::Draw(TQVTVisualContext& vc)
{
    if (!FLayout)
        return false;
    paint(vc, *FLayout);
    return true;
}

void TQVTTreeHeaderDrawer::paint(TQVTVisualContext& vc, const TQVTTreeLayout& layout)
{
    auto& header = *static_cast<TQVTTreeHeader*>(target);
    FLayout = &layout;
    header.updateClickers(layout.headerTop);
    // Only the buttons of the columns painted now are found.
    for (const auto& cell : header.FCells)
        if (cell && cell->filterButton)
            cell->filterButton->unplace();
    if (layout.headerTop >= layout.rowsTop)
        return;
    vc.FillArea(TRect{layout.left, layout.headerTop, layout.right, layout.rowsTop}, header.FbkColor, bsSolid);
    vc.SetClipRect(TRect{layout.treeLeft, layout.headerTop, layout.right, layout.rowsTop});
    for (const TQVTTreeColumnPlace& column : layout.columns) {
        TQVTTreeHeaderCell* cell = header.getHeaderCell(column.column);
        const int right = clampToInt(static_cast<long long>(column.left) + column.width);
        const TRect place{column.left, layout.headerTop, right, layout.rowsTop};
        if (!cell->filterButton)
            cell->filterButton = std::make_shared<TQVTHeaderFilterHalo>(cell);
        cell->filterButton->place(place);
        auto* drawer = static_cast<TQVTTreeHeaderCellDrawer*>(cell->getDrawer(vtGanttGraph));
        drawer->place(place);
        drawer->Draw(vc);
        cell->filterButton->getDrawer(vtGanttGraph)->Draw(vc);
        if (!cell->resizer)
            cell->resizer = std::make_shared<TQVTTreeHeaderCellResizer>(cell);
        cell->resizer->setPosition(right, layout.headerTop, layout.rowsTop - layout.headerTop);
        cell->resizer->getDrawer(vtGanttGraph)->Draw(vc);
    }
    vc.setDrawingColor(header.FlineColor);
    vc.drawLine(layout.left, layout.rowsTop - 1, layout.right, layout.rowsTop - 1);
    vc.ResetClipRect();
}

TQVTGanttObject* TQVTTreeHeaderDrawer::locateObject(int x, int y)
{
    auto& header = *static_cast<TQVTTreeHeader*>(target);
    if (!FLayout)
        return nullptr;
    for (const TQVTTreeColumnPlace& column : FLayout->columns) {
        TQVTTreeHeaderCell* cell = header.getHeaderCell(column.column);
        if (cell && cell->resizer)
            if (TQVTGanttObject* hit = cell->resizer->getDrawer(vtGanttGraph)->locateObject(x, y))
                return hit;
    }
    for (const TQVTTreeColumnPlace& column : FLayout->columns) {
        TQVTTreeHeaderCell* cell = header.getHeaderCell(column.column);
        if (cell && cell->filterButton)
            if (TQVTGanttObject* hit = cell->filterButton->getDrawer(vtGanttGraph)->locateObject(x, y))
                return hit;
    }
    for (const auto& halo : header.clickers)
        if (TQVTGanttObject* hit = halo->getDrawer(vtGanttGraph)->locateObject(x, y))
            return hit;
    return nullptr;
}

bool TQVTTreeHeaderCellDrawer::Draw(TQVTVisualContext& vc)
{
    auto& cell = *static_cast<TQVTTreeHeaderCell*>(target);
    const TRect r = FRect;
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return false;
    TQVTTreeHeader* header = cell.getHeader();
    TQVTTreeGrid* grid = header ? header->getGrid() : nullptr;
    const int column = header ? header->getHeaderCellIndex(&cell) : -1;
    const bool filtered = grid && grid->TreeFilter.Active && grid->TreeFilter.ColID == column;
    constexpr int MarkRoom = 12;
    const bool sorted = cell.FSortOrder != sortNone;
    // Title and sort mark end left of the filter button.
    const int end =
        cell.filterButton && cell.filterButton->isPlaced() ? cell.filterButton->FRect.Left - 1 : r.Right - 2;
    const TRect box{r.Left + 2, r.Top, end - (sorted ? MarkRoom : 0), r.Bottom - 1};
    if (!cell.FTitle.empty() && box.Right > box.Left && !cell.FFontName.empty()) {
        vc.setFont(cell.FFontName, cell.FFontSize, cell.FColor, false, false, filtered, 0);
        vc.SetClipRect(box);
        vc.centerText(box, cell.FTitle, true);
        vc.ResetClipRect();
    }
    if (sorted) {
        const int x = end - MarkRoom / 2;
        const int mid = r.Top + (r.Bottom - r.Top) / 2;
        vc.setDrawingColor(cell.FColor);
        if (cell.FSortOrder == sortAscending)
            vc.drawTriangle(x, mid - 2, 4, 0);
        else
            vc.drawTriangle(x, mid + 2, 4, 2);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Row pane

std::unique_ptr<TQVTDrawer> TQVTTreeRowsResizePane::makeDrawer() const
{
    return std::make_unique<TQVTTreeRowsResizePaneDrawer>(const_cast<TQVTTreeRowsResizePane*>(this));
}

std::unique_ptr<TQVTDrawer> TQVTRowSelector::makeDrawer() const
{
    return std::make_unique<TQVTRowSelectorDrawer>(const_cast<TQVTRowSelector*>(this));
}

std::unique_ptr<TQVTDrawer> TQVTRowResizer::makeDrawer() const
{
    return std::make_unique<TQVTRowResizerDrawer>(const_cast<TQVTRowResizer*>(this));
}

bool TQVTTreeRowsResizePaneDrawer::Draw(TQVTVisualContext& vc)
{
    auto& pane = *static_cast<TQVTTreeRowsResizePane*>(target);
    TQVTDocumentSetup* document = FindDocumentSetup(&pane);
    if (!document || pane.FWidth <= 0)
        return false;
    const TRect area = vc.getVisibleArea();
    IQVTChartTable* table = document->GetTable();
    const int rowsTop = table ? table->getRowStartY(0) : document->GetTableStartY();
    pane.update(std::max(area.Top, rowsTop), area.Bottom);
    const int left = document->getDocStartX();
    const int right = clampToInt(static_cast<long long>(left) + pane.FWidth);
    vc.FillArea(TRect{left, std::max(area.Top, rowsTop), right, area.Bottom}, pane.FColor, bsSolid);
    for (const auto& selector : pane.rowSelectors)
        selector->getDrawer(vtGanttGraph)->Draw(vc);
    for (const auto& resizer : pane.resizingHalo)
        resizer->getDrawer(vtGanttGraph)->Draw(vc);
    return true;
}

TQVTGanttObject* TQVTTreeRowsResizePaneDrawer::locateObject(int x, int y)
{
    auto& pane = *static_cast<TQVTTreeRowsResizePane*>(target);
    if (TQVTGanttObject* hit = pane.locateResizer(x, y))
        return hit;
    return pane.locateSelector(x, y);
}

bool TQVTRowSelectorDrawer::Draw(TQVTVisualContext& vc)
{
    auto& selector = *static_cast<TQVTRowSelector*>(target);
    const TRect r = selector.rect;
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return false;
    TQVTTreeGrid* grid = selector.pane ? selector.pane->getGrid() : nullptr;
    const TQVTTreeRow* row = grid ? grid->getRow(selector.index) : nullptr;
    if (row && row->FSelected && grid)
        vc.FillArea(TRect{r.Left, r.Top, r.Right - 1, r.Bottom - 1}, grid->FSelectedRowColor, bsSolid);
    vc.setPenStyle(psSolid);
    vc.setPenWidth(1);
    vc.setDrawingColor(lineColorOf(grid));
    vc.drawLine(r.Right - 1, r.Top, r.Right - 1, r.Bottom);
    vc.drawLine(r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
    if (row && row->FFocused && grid && grid->FDrawIndicatorRow) {
        const int width = r.Right - r.Left;
        vc.setDrawingColor(clBlack);
        vc.drawTriangle(r.Left + width / 2 + 2, r.Top + (r.Bottom - r.Top) / 2, 4, 1);
    }
    return true;
}

TQVTGanttObject* TQVTRowSelectorDrawer::locateObject(int x, int y)
{
    return static_cast<TQVTRowSelector*>(target)->contains(x, y) ? target : nullptr;
}

bool TQVTRowResizerDrawer::Draw(TQVTVisualContext&)
{
    return false;
}

TQVTGanttObject* TQVTRowResizerDrawer::locateObject(int x, int y)
{
    return static_cast<TQVTRowResizer*>(target)->contains(x, y) ? target : nullptr;
}

} // namespace corvane
