#include "corvane/framework/tasktable/qvtTreeGrid.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeResizePane.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/platform/DiagnosticLog.h"

#include <unordered_set>

namespace corvane {

namespace {

// A node that a file lists twice (under two parents, or below itself) would make the tree a
// graph that walks never finish: only its first place, in pre-order, is kept.
void keepEachNodeOnce(TQVTTreeNode& root)
{
    std::unordered_set<const TQVTTreeNode*> seen{&root};
    std::vector<TQVTTreeNode*> stack{&root};
    while (!stack.empty()) {
        TQVTTreeNode* node = stack.back();
        stack.pop_back();
        std::erase_if(node->Fchildren, [&seen](const auto& child) {
            if (!child || seen.insert(child.get()).second)
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

} // namespace

void TQVTTreeNode::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    if (FRow)
        factory.saveChild(name, "row", FRow.get(), media);
    else
        media.setStrProperty(name, "row", EmptyRow);
    factory.saveObjectList(name, "children", media, Fchildren);
    media.setBoolProperty(name, "collapsed", FCollapsed);
}

std::shared_ptr<TQVTGanttObject> TQVTTreeNodePersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    auto node = std::make_shared<TQVTTreeNode>();
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
    if (FRootNode)
        FRootNode->setIndexes(0);
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
    selectionChanged();
}

void TQVTTreeGrid::selectAll()
{
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
    unFocus();
    deselectAll();
    if (row) {
        row->focus(true);
        FFocusedRow = std::static_pointer_cast<TQVTTreeRow>(row->shared_from_this());
    }
    return FFocusedRow.get() != before;
}

void TQVTTreeGrid::unFocus()
{
    if (FFocusedRow)
        FFocusedRow->focus(false);
    FFocusedRow.reset();
}

} // namespace corvane
