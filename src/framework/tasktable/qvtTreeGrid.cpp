#include "corvane/framework/tasktable/qvtTreeGrid.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/objects/qvtLoadedObject_p.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeDrawers.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeOrder.h"
#include "corvane/framework/tasktable/qvtTreeResizePane.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/platform/DiagnosticLog.h"
#include "corvane/platform/AddressSet_p.h"

#include <algorithm>
#include <climits>
#include <unordered_set>

namespace corvane {

namespace {

// A node that a file lists twice (under two parents, or below itself) would make the tree a
// graph that walks never finish: only its first place, in pre-order, is kept.
void keepEachNodeOnce(TQVTTreeNode& root)
{
    TAddressSet<TQVTTreeNode> seen{&root};
    std::vector<TQVTTreeNode*> stack{&root};
    while (!stack.empty()) {
        TQVTTreeNode* node = stack.back();
        stack.pop_back();
        node->Fchildren.eraseIf([&seen](const auto& child) {
            if (!child || seen.insert(child.get()))
                return false;
            addlog("Tree: a node listed more than once keeps only its first place");
            return true;
        });
        for (auto it = node->Fchildren.rbegin(); it != node->Fchildren.rend(); ++it)
            if (*it) {
                (*it)->setParent(node);
                stack.push_back(it->get());
            }
    }
}

// Blanks at both ends removed.
std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Letter case folded for comparing: ASCII letters and the Latin-1 capitals (two-byte UTF-8
// sequences C3 80 to C3 9E, but for the multiplication sign) that German and French texts use.
std::string folded(const std::string& text)
{
    std::string out = text;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z')
            out[i] = static_cast<char>(c + 32);
        else if (c == 0xC3 && i + 1 < out.size()) {
            const auto next = static_cast<unsigned char>(out[i + 1]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97)
                out[i + 1] = static_cast<char>(next + 32);
            ++i;
        }
    }
    return out;
}

} // namespace

void TQVTTreeNode::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    if (FRow)
        factory.saveChild(name, "row", FRow.get(), media);
    else
        media.setStrProperty(name, "row", EmptyRow);
    factory.saveObjectList(name, "children", media, Fchildren.items());
    media.setBoolProperty(name, "collapsed", FCollapsed);
}

std::shared_ptr<TQVTGanttObject> TQVTTreeNodePersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    auto node = makeLoaded<TQVTTreeNode>(factory);
    std::string rowName;
    media.getStrProperty(name, "row", {}, rowName);
    // The root node's marker names no section: loading it would report a broken document.
    if (rowName != TQVTTreeNode::EmptyRow)
        node->FRow = loadChildAs<TQVTTreeRow>("row", media, factory, node.get());
    node->Fchildren = factory.loadObjectListAs<TQVTTreeNode>(name, "children", media, node.get());
    media.getBoolProperty(name, "collapsed", false, node->FCollapsed);
    return node;
}

void TQVTTreeGrid::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    const std::string uid = getUID();
    media.setStrProperty(name, "tree", uid);
    // Stored documents carry this spelling; keys are matched without regard to case.
    media.setStrProperty(uid, "TypeID", TypeID);
    media.setIntProperty(uid, "width", FWidth);
    factory.saveChild(uid, "header", FHeader.get(), media);
    factory.saveChild(uid, "root node", FRootNode.get(), media);
    media.setColorProperty(uid, "background color", FbkColor);
    media.setColorProperty(uid, "upper pane color", FUpperPaneColor);
    media.setColorProperty(uid, "row selected color", FSelectedRowColor);
    media.setColorProperty(uid, "row selected font color", FSelectedRowFontColor);
    media.setColorProperty(uid, "row focused color", FFocusedRowColor);
    media.setColorProperty(uid, "row focused font color", FFocusedRowFontColor);
    factory.saveChild(uid, "vertical pane", FRowsResizePane.get(), media);
    factory.saveChild(uid, "default row settings", FDefaultRowSettings.get(), media);
    factory.saveChild(uid, "default col settings", FDefaultColSettings.get(), media);
    media.setBoolProperty(uid, "continuous numbering", FContinuousNumbering);
}

void TQVTTreeGrid::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttObject::GetPublishedProperties(props);
    props.add("Draw3D", [this] { return FDraw3D; }, [this](bool value) { FDraw3D = value; });
    props.add("DrawIndicatorRow", [this] { return FDrawIndicatorRow; },
              [this](bool value) { FDrawIndicatorRow = value; });
    props.add("DrawTreeNodeLines", [this] { return FDrawTreeNodeLines; },
              [this](bool value) { FDrawTreeNodeLines = value; });
}

void TQVTTreeGrid::setWidth(int value)
{
    if (value >= 0)
        FWidth = value;
}

std::shared_ptr<TQVTGanttObject> TQVTTreeGridPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    auto grid = std::make_shared<TQVTTreeGrid>();
    int width = grid->FWidth;
    media.getIntProperty(name, "width", width, width);
    grid->setWidth(width);
    grid->FHeader = loadChildAs<TQVTTreeHeader>("header", media, factory, grid.get());
    grid->FRootNode = loadChildAs<TQVTTreeNode>("root node", media, factory, grid.get());
    // A missing key keeps the colour the grid is built with.
    media.getColorProperty(name, "background color", grid->FbkColor, grid->FbkColor);
    media.getColorProperty(name, "upper pane color", grid->FUpperPaneColor, grid->FUpperPaneColor);
    media.getColorProperty(name, "row selected color", grid->FSelectedRowColor, grid->FSelectedRowColor);
    media.getColorProperty(name, "row selected font color", grid->FSelectedRowFontColor, grid->FSelectedRowFontColor);
    media.getColorProperty(name, "row focused color", grid->FFocusedRowColor, grid->FFocusedRowColor);
    media.getColorProperty(name, "row focused font color", grid->FFocusedRowFontColor, grid->FFocusedRowFontColor);
    grid->FRowsResizePane = loadChildAs<TQVTTreeRowsResizePane>("vertical pane", media, factory, grid.get());
    grid->FDefaultRowSettings = loadChildAs<TQVTTreeRowSettings>("default row settings", media, factory, grid.get());
    grid->FDefaultColSettings = loadChildAs<TQVTTreeColSettings>("default col settings", media, factory, grid.get());
    media.getBoolProperty(name, "continuous numbering", false, grid->FContinuousNumbering);
    // Read for older files; the colour is not written.
    media.getColorProperty(name, "row group color", grid->FGroupRowColor, grid->FGroupRowColor);
    if (grid->FRootNode)
        keepEachNodeOnce(*grid->FRootNode);
    grid->updateNodes();
    return grid;
}

int TQVTTreeGrid::rowsCount() const
{
    return FRootNode ? FRootNode->getLastIndex() + 1 : 0;
}

TQVTTreeNode* TQVTTreeGrid::findNodeByIndex(int i) const
{
    if (!FRootNode)
        return nullptr;
    return i == -1 ? FRootNode.get() : FRootNode->findNodeByIndex(i);
}

TQVTTreeRow* TQVTTreeGrid::getRow(int i) const
{
    return FRootNode ? FRootNode->getRow(i) : nullptr;
}

int TQVTTreeGrid::getRowLevel(int i) const
{
    return FRootNode ? FRootNode->getRowLevel(i) : -1;
}

int TQVTTreeGrid::childrenCount(int i) const
{
    const TQVTTreeNode* node = findNodeByIndex(i);
    return node && i >= 0 ? node->getLastIndex() - i : 0;
}

std::vector<TQVTTreeRow*> TQVTTreeGrid::childrenOf(int i) const
{
    std::vector<TQVTTreeRow*> rows;
    for (int k = i + 1; k <= i + childrenCount(i); ++k)
        rows.push_back(getRow(k));
    return rows;
}

bool TQVTTreeGrid::IsChildrenOf(int row, int parentRow) const
{
    return parentRow >= 0 && row > parentRow && row <= parentRow + childrenCount(parentRow);
}

void TQVTTreeGrid::updateNodes()
{
    if (!FRootNode)
        return;
    FRootNode->setIndexes(0);
    fitRowHeights();
}

void TQVTTreeGrid::fitRowHeights()
{
    TQVTDocumentSetup* document = FindDocumentSetup(this);
    const IQVTChartTable* table = document ? document->GetTable() : nullptr;
    if (!table)
        return;
    std::vector<TQVTTreeRow*> rows;
    FRootNode->collectChildren(rows);
    for (TQVTTreeRow* row : rows)
        if (row->Fsettings && row->Fsettings->FAutoHeight && table->isRowVisible(row->FIndex))
            row->setFitHeight();
}

std::shared_ptr<TQVTTreeRow> TQVTTreeGrid::makeBlankRow() const
{
    return TQVTTreeRow::Create(FHeader.get(), FDefaultRowSettings.get());
}

void TQVTTreeGrid::expand(int i)
{
    if (TQVTTreeNode* node = findNodeByIndex(i); node && i >= 0)
        node->setCollapsed(false);
}

void TQVTTreeGrid::collapse(int i)
{
    if (TQVTTreeNode* node = findNodeByIndex(i); node && i >= 0)
        node->setCollapsed(true);
}

void TQVTTreeGrid::selectRow(TQVTTreeRow& row, bool on)
{
    row.select(on);
    if (on)
        FSelectedRows.push_back(std::static_pointer_cast<TQVTTreeRow>(row.shared_from_this()));
    else
        std::erase_if(FSelectedRows, [&row](const auto& r) { return r.get() == &row; });
}

void TQVTTreeGrid::selectionChanged()
{
    if (!FSelectedRowsChanged)
        return;
    std::vector<TQVTTreeRow*> rows;
    for (const auto& row : FSelectedRows)
        rows.push_back(row.get());
    FSelectedRowsChanged(this, rows);
}

void TQVTTreeGrid::select(int i, bool on)
{
    TQVTTreeRow* row = getRow(i);
    if (!row || row->FSelected == on)
        return;
    selectRow(*row, on);
    if (FCellFocusing)
        FocusCell(-1, -1);
    selectionChanged();
}

void TQVTTreeGrid::selectAll()
{
    // Row by row without clearing the cell focus each time.
    bool changed = false;
    for (int i = 0; i < rowsCount(); ++i)
        if (TQVTTreeRow* row = getRow(i); row && !row->FSelected) {
            selectRow(*row, true);
            changed = true;
        }
    if (changed)
        selectionChanged();
}

void TQVTTreeGrid::deselectAll()
{
    if (FSelectedRows.empty())
        return;
    for (const auto& row : std::vector(FSelectedRows))
        selectRow(*row, false);
    selectionChanged();
}

TQVTTreeRow* TQVTTreeGrid::getSelectedRow(int k) const
{
    return k >= 0 && k < getSelectedRowsCount() ? FSelectedRows[static_cast<std::size_t>(k)].get() : nullptr;
}

bool TQVTTreeGrid::focus(int i)
{
    TQVTTreeRow* row = getRow(i);
    const TQVTTreeRow* before = FFocusedRow.get();
    // The cell focus stays in its column: the last column in which a row has a focused cell.
    int focusedColumn = -1;
    if (FCellFocusing && FRootNode) {
        std::vector<TQVTTreeRow*> rows;
        FRootNode->collectChildren(rows);
        for (const TQVTTreeRow* each : rows)
            for (int c = each->cellsCount() - 1; c > focusedColumn; --c)
                if (each->getCell(c) && each->getCell(c)->FFocused)
                    focusedColumn = c;
    }
    unFocus();
    deselectAll();
    if (row) {
        row->focus(true);
        FFocusedRow = std::static_pointer_cast<TQVTTreeRow>(row->shared_from_this());
        if (focusedColumn >= 0)
            FocusCell(i, focusedColumn);
    }
    return FFocusedRow.get() != before;
}

void TQVTTreeGrid::unFocus()
{
    if (FFocusedRow)
        FFocusedRow->focus(false);
    FFocusedRow.reset();
}

int TQVTTreeGrid::findRow(int y) const
{
    TQVTDocumentSetup* document = FindDocumentSetup(const_cast<TQVTTreeGrid*>(this));
    if (!document)
        return -1;
    const long long at = static_cast<long long>(document->GetTableStartY()) + std::max(y, 1) - 1;
    return shownRowAt(static_cast<int>(std::clamp<long long>(at, INT_MIN, INT_MAX - 1)));
}

int TQVTTreeGrid::shownRowAt(int y) const
{
    // Found by bisection over the table's row starts rather than walked from the first row: a
    // click must not cost the whole tree.
    TQVTDocumentSetup* document = FindDocumentSetup(const_cast<TQVTTreeGrid*>(this));
    IQVTChartTable* table = document ? document->GetTable() : nullptr;
    int found = -1;
    if (table && y < INT_MAX)
        forEachShownRow(*this, *table, y, y + 1, [&found](int index, int, int) {
            found = index;
            return false;
        });
    return found;
}

void TQVTTreeGrid::handleRowSelect(int y, int flags)
{
    const bool add = (flags & 1) != 0;
    const bool range = (flags & 2) != 0;
    unFocus();
    const int row = findRow(y);
    const int last = FSelectedRows.empty() ? -1 : FSelectedRows.back()->FIndex;
    if (!add && !range)
        deselectAll();
    if (!range) {
        select(row, true);
        return;
    }
    // A run is one change of the selection: the cell focus is cleared and the event told once.
    bool changed = false;
    const auto take = [this, &changed](int i) {
        if (TQVTTreeRow* r = getRow(i); r && !r->FSelected) {
            selectRow(*r, true);
            changed = true;
        }
    };
    if (row > last)
        for (int i = last + 1; i <= row; ++i)
            take(i);
    else if (row >= 0)
        for (int i = last - 1; i >= row; --i)
            take(i);
    if (!changed)
        return;
    if (FCellFocusing)
        FocusCell(-1, -1);
    selectionChanged();
}

void TQVTTreeGrid::FocusCell(int row, int col)
{
    std::vector<TQVTTreeRow*> rows;
    if (FRootNode)
        FRootNode->collectChildren(rows);
    for (const TQVTTreeRow* each : rows)
        for (const auto& cell : each->FCells)
            if (cell)
                cell->FocusCell(false);
    if (TQVTTreeCell* cell = getCell(row, col))
        cell->FocusCell(true);
}

void TQVTTreeGrid::focusAt(int, int y)
{
    TQVTDocumentSetup* document = FindDocumentSetup(this);
    const int top = document ? document->GetTableStartY() : 0;
    // The pixel line top is the first row's first: offset 1.
    if (y < top)
        return;
    if (const int row = findRow(y - top + 1); row >= 0)
        focus(row);
}

// ---------------------------------------------------------------------------------------------
// Order

TQVTOperationPtr TQVTTreeGrid::sortRows(int col, TQVTSortOrder order)
{
    const TQVTTreeHeaderCell* cell = FHeader ? FHeader->getHeaderCell(col) : nullptr;
    if (!cell || !cell->FDataType || !cell->FDataType->canSort() || !FRootNode)
        return nullptr;
    return std::make_shared<TQVTSortOperation>(*this, order, col);
}

TQVTOperationPtr TQVTTreeGrid::sortRows()
{
    const int col = FHeader ? FHeader->getSortColumn() : -1;
    return col < 0 ? nullptr : sortRows(col, FHeader->getSortOrder());
}

void TQVTTreeGrid::updateRows()
{
    // Without a sorted column an edit leaves the order alone.
    if (const TQVTOperationPtr sorting = sortRows())
        sorting->perform();
    updateNodes();
}

TQVTOperationPtr TQVTTreeGrid::repositionRow(int i, int before)
{
    TQVTTreeNode* node = i >= 0 ? findNodeByIndex(i) : nullptr;
    TQVTTreeNode* parent = node ? node->getParentNode() : nullptr;
    if (!parent || i == before)
        return nullptr;
    TQVTTreeNode* next = nullptr;
    if (before == -1) {
        // Only a top-level row can go to the end, under the root.
        if (parent != FRootNode.get())
            return nullptr;
    } else {
        next = before >= 0 ? findNodeByIndex(before) : nullptr;
        if (!next || !next->getParentNode() || IsChildrenOf(before, i))
            return nullptr;
        parent = next->getParentNode();
    }
    const auto share = [](TQVTTreeNode* n) {
        return n ? std::static_pointer_cast<TQVTTreeNode>(n->shared_from_this()) : nullptr;
    };
    TQVTDocumentSetup* document = FindDocumentSetup(this);
    return std::make_shared<TQVTRowMoveOperation>(document ? document->getDataSource() : nullptr, share(parent),
                                                  share(node), share(next));
}

bool TQVTTreeGrid::swapRows(int i, int j)
{
    TQVTTreeNode* a = i >= 0 ? findNodeByIndex(i) : nullptr;
    TQVTTreeNode* b = j >= 0 ? findNodeByIndex(j) : nullptr;
    if (!a || !b || a == b || a->getParentNode() != b->getParentNode() || !a->getParentNode())
        return false;
    return a->getParentNode()->swapChildren(a, b);
}

// ---------------------------------------------------------------------------------------------
// Cells and search

int TQVTTreeGrid::colsCount() const
{
    return FHeader ? FHeader->countCells() : 0;
}

int TQVTTreeGrid::getCellWidth(int col) const
{
    return FHeader ? FHeader->getCellWidth(col) : 0;
}

int TQVTTreeGrid::getActualWidth() const
{
    return FHeader ? FHeader->getActualWidth() : 0;
}

TQVTTreeCell* TQVTTreeGrid::getCell(int row, int col) const
{
    const TQVTTreeRow* r = getRow(row);
    return r ? r->getCell(col) : nullptr;
}

std::string TQVTTreeGrid::getCellStringValue(int row, int col) const
{
    const TQVTTreeCell* cell = getCell(row, col);
    return cell ? cell->FText : std::string();
}

TQVTTreeCell* TQVTTreeGrid::findText(const std::string& text, TQVTSearchOptions options) const
{
    for (int col = 0; col < colsCount(); ++col)
        if (TQVTTreeCell* cell = findTextInColumn(text, options, col))
            return cell;
    return nullptr;
}

TQVTTreeCell* TQVTTreeGrid::findTextInColumn(const std::string& text, TQVTSearchOptions, int col) const
{
    if (col < 0 || col >= colsCount() || !FRootNode)
        return nullptr;
    std::vector<TQVTTreeRow*> rows;
    FRootNode->collectChildren(rows);
    for (const TQVTTreeRow* row : rows)
        if (TQVTTreeCell* cell = row->getCell(col); cell && cell->FText == text)
            return cell;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Row filter

void TQVTTreeGrid::ApplyFilter()
{
    if (!FRootNode)
        return;
    std::vector<TQVTTreeNode*> nodes;
    FRootNode->flatten(nodes);
    for (TQVTTreeNode* node : nodes)
        if (node->FRow)
            node->FRow->FHidden = false;
    const int col = TreeFilter.ColID;
    const TQVTTreeHeaderCell* column = FHeader ? FHeader->getHeaderCell(col) : nullptr;
    // The description names the filter in force; a cleared filter has none.
    TreeFilter.FilterDescription.clear();
    if (column) {
        std::string description = "Spalte \"" + column->FTitle + "\" = (";
        std::unordered_set<std::string> kept;
        for (std::size_t k = 0; k < TreeFilter.Values.size(); ++k) {
            description += (k ? ", " : "") + TreeFilter.Values[k];
            kept.insert(folded(TreeFilter.Values[k]));
        }
        TreeFilter.FilterDescription = description + ")";
        for (TQVTTreeNode* node : nodes)
            if (node->FRow) {
                const TQVTTreeCell* cell = node->FRow->getCell(col);
                node->FRow->FHidden = !kept.contains(folded(trimmed(cell ? cell->FText : std::string())));
            }
        // The path down to a row that stays is shown too. A walk stops at a row already shown:
        // the rows above it are shown as well, or will be when its own turn comes.
        for (TQVTTreeNode* node : nodes)
            if (node->FRow && !node->FRow->FHidden)
                for (TQVTTreeNode* up = node->getParentNode(); up && up->FRow && up->FRow->FHidden;
                     up = up->getParentNode())
                    up->FRow->FHidden = false;
    }
    FRootNode->setVisible(true);
}

std::vector<std::string> TQVTTreeGrid::distinctTexts(int col) const
{
    std::vector<std::string> texts;
    std::unordered_set<std::string> seen;
    std::vector<TQVTTreeRow*> rows;
    if (FRootNode)
        FRootNode->collectChildren(rows);
    for (const TQVTTreeRow* row : rows) {
        const TQVTTreeCell* cell = row->getCell(col);
        std::string text = trimmed(cell ? cell->FText : std::string());
        if (seen.insert(folded(text)).second)
            texts.push_back(std::move(text));
    }
    return texts;
}

void TQVTTreeGrid::ClearFilter(bool notify)
{
    TreeFilter.Active = false;
    TreeFilter.ColID = -1;
    TreeFilter.Values.clear();
    if (notify)
        TreeFilterChanged();
}

void TQVTTreeGrid::TreeFilterChanged()
{
    if (FOnFilterSettingsChanged)
        FOnFilterSettingsChanged(this, TreeFilter.ColID);
}

} // namespace corvane
