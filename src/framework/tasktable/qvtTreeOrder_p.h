#pragma once
// Tree-only steps of sorting, shared by the tree nodes and the order operations.

#include "corvane/framework/tasktable/qvtTreeHeader.h"

namespace corvane {

class TQVTTreeNode;

/// After the order of the tree changed (and before it is renumbered): puts the chart table's
/// rows in the tree's new pre-order with one reorder, then renumbers the whole tree.
void followTreeOrder(TQVTTreeNode& anyNode);

/// Stably sorts the children of every node of node's subtree by column; the tree only, not
/// renumbered, the chart table untouched.
void sortChildren(TQVTTreeNode& node, int column, TQVTSortOrder order);

} // namespace corvane
