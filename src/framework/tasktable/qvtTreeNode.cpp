#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeOrder_p.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/platform/AddressSet_p.h"
#include "corvane/platform/DiagnosticLog.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>

namespace corvane {

namespace {

// Trees of several documents may change on several threads; the count only has to move.
std::atomic<std::uint64_t> treeStructureChanges{0};

// Visits node and every node below it in pre-order: visit(n, depth, position) with depth 0
// and position 0 for node, position being the place among the parent's children.
template <class Visit>
void preOrder(TQVTTreeNode& node, const Visit& visit)
{
    struct Frame {
        TQVTTreeNode* node;
        int depth;
        int position;
    };
    std::vector<Frame> stack{{&node, 0, 0}};
    while (!stack.empty()) {
        const Frame frame = stack.back();
        stack.pop_back();
        visit(*frame.node, frame.depth, frame.position);
        const auto& children = frame.node->Fchildren;
        for (auto k = static_cast<int>(children.size()) - 1; k >= 0; --k)
            if (const auto& child = children[static_cast<std::size_t>(k)])
                stack.push_back({child.get(), frame.depth + 1, k});
    }
}

// The first child whose subtree reaches index i, by binary search; the size when none does.
// Children missing from a broken file (none) are passed over.
std::size_t firstChildReaching(const std::vector<std::shared_ptr<TQVTTreeNode>>& children, int i)
{
    std::size_t lo = 0;
    std::size_t hi = children.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        std::size_t probe = mid;
        while (probe > lo && !children[probe])
            --probe;
        if (!children[probe] || children[probe]->getLastIndex() < i)
            lo = mid + 1;
        else
            hi = probe;
    }
    return lo;
}

IQVTChartTable* chartTableOf(TQVTGanttObject* object)
{
    TQVTDocumentSetup* document = FindDocumentSetup(object);
    return document ? document->GetTable() : nullptr;
}

TQVTTreeNode& topOf(TQVTTreeNode& node)
{
    TQVTTreeNode* top = &node;
    while (TQVTTreeNode* up = top->getParentNode())
        top = up;
    return *top;
}

// Whether list holds exactly the nodes of children, in any order.
bool sameNodes(const std::vector<std::shared_ptr<TQVTTreeNode>>& children,
               const std::vector<std::shared_ptr<TQVTTreeNode>>& list)
{
    if (children.size() != list.size())
        return false;
    TAddressSet<TQVTTreeNode> listed(list.size());
    for (const auto& node : list)
        listed.insert(node.get());
    return listed.size() == list.size() &&
           std::all_of(children.begin(), children.end(), [&listed](const auto& c) { return listed.contains(c.get()); });
}

} // namespace

std::uint64_t TreeStructureStamp()
{
    return treeStructureChanges.load(std::memory_order_relaxed);
}

void TreeStructureChanged()
{
    treeStructureChanges.fetch_add(1, std::memory_order_relaxed);
}

void followTreeOrder(TQVTTreeNode& anyNode)
{
    TQVTTreeNode& root = topOf(anyNode);
    // The rows still carry their old indexes: read in the new pre-order they are the chart
    // table's new order.
    std::vector<int> order;
    bool moved = false;
    preOrder(root, [&](TQVTTreeNode& n, int, int) {
        if (!n.FRow)
            return;
        moved = moved || n.FRow->FIndex != static_cast<int>(order.size());
        order.push_back(n.FRow->FIndex);
    });
    root.setIndexes(0);
    if (!moved)
        return;
    if (IQVTChartTable* table = chartTableOf(&root); table && !table->reorderRows(order))
        addlog("Tree: the chart rows do not match the task tree; their order was left as it was");
}

void sortChildren(TQVTTreeNode& node, int column, TQVTSortOrder order)
{
    if (order == sortNone)
        return;
    const bool ascending = order == sortAscending;
    // Nodes without a row (possible in broken files) go first; equal rows keep their order in
    // both directions.
    const auto before = [column, ascending](const std::shared_ptr<TQVTTreeNode>& a,
                                            const std::shared_ptr<TQVTTreeNode>& b) {
        const TQVTTreeRow* ra = a ? a->FRow.get() : nullptr;
        const TQVTTreeRow* rb = b ? b->FRow.get() : nullptr;
        if (!ra || !rb)
            return !ra && rb;
        return ascending ? ra->compareCells(*rb, column) < 0 : rb->compareCells(*ra, column) < 0;
    };
    // Children are sorted before the walk reaches them, so each list is sorted once.
    preOrder(node, [&before](TQVTTreeNode& n, int, int) {
        if (n.Fchildren.size() > 1)
            n.Fchildren.stableSort(before);
    });
}

TQVTTreeNode* TQVTTreeNode::GetChild(int i) const
{
    return i >= 0 && i < GetChildrenCount() ? Fchildren[static_cast<std::size_t>(i)].get() : nullptr;
}

int TQVTTreeNode::childIndex(const TQVTTreeNode* node) const
{
    const auto it = std::find_if(Fchildren.begin(), Fchildren.end(), [node](const auto& c) { return c.get() == node; });
    return node && it != Fchildren.end() ? static_cast<int>(it - Fchildren.begin()) : -1;
}

TQVTTreeNode* TQVTTreeNode::getParentNode() const
{
    return dynamic_cast<TQVTTreeNode*>(getParent());
}

int TQVTTreeNode::GetParentIndex() const
{
    const TQVTTreeNode* parent = getParentNode();
    return parent && parent->FRow ? parent->FRow->FIndex : -1;
}

bool TQVTTreeNode::addChild(const std::shared_ptr<TQVTTreeNode>& node, int i)
{
    if (!node)
        return false;
    const bool inside = i >= 0 && i < GetChildrenCount();
    Fchildren.insert(inside ? Fchildren.begin() + i : Fchildren.end(), node);
    node->setParent(this);
    // A remembered unsorted order no longer holds the children it would put back. Orders are
    // remembered for the whole tree at once, so a root without one means there are none.
    TQVTTreeNode* root = this;
    while (TQVTTreeNode* up = root->getParentNode())
        root = up;
    if (!root->FSavedOrder.empty())
        preOrder(*root, [](TQVTTreeNode& n, int, int) { n.FSavedOrder.clear(); });
    return true;
}

int TQVTTreeNode::deleteChild(const TQVTTreeNode* node)
{
    const int index = childIndex(node);
    if (index >= 0)
        Fchildren.erase(Fchildren.begin() + index);
    return index;
}

TQVTTreeNode* TQVTTreeNode::findNodeByIndex(int i)
{
    TQVTTreeNode* node = this;
    if (i < 0 || i > FLastIndex || (FRow && i < FRow->FIndex))
        return nullptr;
    // Down the one child whose index range holds i: the children's ranges follow each other.
    while (!(node->FRow && node->FRow->FIndex == i)) {
        const std::size_t at = firstChildReaching(node->Fchildren, i);
        if (at == node->Fchildren.size())
            return nullptr;
        node = node->Fchildren[at].get();
    }
    return node;
}

TQVTTreeRow* TQVTTreeNode::getRow(int i)
{
    TQVTTreeNode* node = findNodeByIndex(i);
    return node ? node->FRow.get() : nullptr;
}

int TQVTTreeNode::getRowLevel(int i)
{
    TQVTTreeNode* node = findNodeByIndex(i);
    if (!node)
        return -1;
    int level = 0;
    for (const TQVTTreeNode* up = node->getParentNode(); up && !up->isTreeRoot(); up = up->getParentNode())
        ++level;
    return level;
}

void TQVTTreeNode::collectChildren(std::vector<TQVTTreeRow*>& list)
{
    preOrder(*this, [&list](TQVTTreeNode& n, int, int) {
        if (n.FRow)
            list.push_back(n.FRow.get());
    });
}

void TQVTTreeNode::flatten(std::vector<TQVTTreeNode*>& list)
{
    preOrder(*this, [this, &list](TQVTTreeNode& n, int, int) {
        if (&n != this)
            list.push_back(&n);
    });
}

int TQVTTreeNode::setIndexes(int n)
{
    // Pre-order numbering; a node's range is closed once the walk leaves its subtree, which
    // the stack of open nodes tells by depth.
    std::vector<TQVTTreeNode*> open;
    preOrder(*this, [&](TQVTTreeNode& node, int depth, int position) {
        while (static_cast<int>(open.size()) > depth) {
            open.back()->FLastIndex = n - 1;
            open.pop_back();
        }
        node.FLastIndex = n - 1;
        if (node.FRow) {
            node.FRow->FIndex = n++;
            node.FNumberCont = std::to_string(n) + ".";
            // Below the top the open nodes are the ancestors: no lookup of the parent needed.
            const TQVTTreeNode* parent = depth > 0 ? open.back() : node.getParentNode();
            if (&node == this && parent)
                position = parent->childIndex(this);
            std::string number = parent ? parent->FNumberHierchy : std::string();
            number += std::to_string(position + 1);
            number += '.';
            node.FNumberHierchy = std::move(number);
        }
        open.push_back(&node);
    });
    for (TQVTTreeNode* node : open)
        node->FLastIndex = n - 1;
    return n;
}

void TQVTTreeNode::setCollapsed(bool b)
{
    FCollapsed = b;
    setVisible(true);
}

void TQVTTreeNode::setVisible(bool v)
{
    IQVTChartTable* table = chartTableOf(this);
    struct Frame {
        TQVTTreeNode* node;
        bool visible;
    };
    std::vector<Frame> stack{{this, v}};
    while (!stack.empty()) {
        const Frame frame = stack.back();
        stack.pop_back();
        // A row the filter hides stays hidden; nothing below it is kept by the filter either.
        if (table && frame.node->FRow)
            table->showRow(frame.node->FRow->FIndex, frame.visible && !frame.node->FRow->FHidden);
        for (const auto& child : frame.node->Fchildren)
            if (child)
                stack.push_back({child.get(), frame.visible && !frame.node->FCollapsed});
    }
}

void TQVTTreeNode::sort(int column, TQVTSortOrder order)
{
    if (order == sortNone)
        return;
    sortChildren(*this, column, order);
    followTreeOrder(*this);
}

void TQVTTreeNode::saveOrder()
{
    preOrder(*this, [](TQVTTreeNode& n, int, int) { n.FSavedOrder = n.Fchildren; });
}

void TQVTTreeNode::restoreOrder()
{
    preOrder(*this, [](TQVTTreeNode& n, int, int) {
        if (sameNodes(n.Fchildren, n.FSavedOrder))
            n.Fchildren = n.FSavedOrder;
    });
    followTreeOrder(*this);
}

void TQVTTreeNode::clearSavedOrder()
{
    preOrder(*this, [](TQVTTreeNode& n, int, int) { n.FSavedOrder.clear(); });
}

bool TQVTTreeNode::applyOrder(const std::vector<std::shared_ptr<TQVTTreeNode>>& list)
{
    if (!sameNodes(Fchildren, list))
        return false;
    Fchildren = list;
    followTreeOrder(*this);
    return true;
}

bool TQVTTreeNode::repositionChild(const std::shared_ptr<TQVTTreeNode>& node, const TQVTTreeNode* before)
{
    if (!node || before == node.get() || (before && childIndex(before) < 0))
        return false;
    for (const TQVTTreeNode* up = this; up; up = up->getParentNode())
        if (up == node.get())
            return false;
    if (TQVTTreeNode* from = node->getParentNode())
        from->deleteChild(node.get());
    const int at = before ? childIndex(before) : GetChildrenCount();
    Fchildren.insert(Fchildren.begin() + at, node);
    node->setParent(this);
    followTreeOrder(*this);
    return true;
}

bool TQVTTreeNode::swapChildren(int i, int j)
{
    if (i < 0 || j < 0 || i >= GetChildrenCount() || j >= GetChildrenCount())
        return false;
    Fchildren.swapItems(static_cast<std::size_t>(i), static_cast<std::size_t>(j));
    followTreeOrder(*this);
    return true;
}

bool TQVTTreeNode::swapChildren(const TQVTTreeNode* a, const TQVTTreeNode* b)
{
    return a && b && swapChildren(childIndex(a), childIndex(b));
}

int TQVTTreeNode::findRow(int y)
{
    const IQVTChartTable* table = chartTableOf(this);
    if (!table)
        return -1;
    int found = -1;
    std::vector<TQVTTreeRow*> rows;
    collectChildren(rows);
    for (const TQVTTreeRow* row : rows) {
        if (row->FHidden || !table->isRowVisible(row->FIndex))
            continue;
        y -= table->getRowHeight(row->FIndex);
        if (y <= 0) {
            found = row->FIndex;
            break;
        }
    }
    return found;
}

} // namespace corvane
