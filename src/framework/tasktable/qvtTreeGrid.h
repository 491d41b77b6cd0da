#pragma once
// The task table: a tree of nodes, one tree row per task.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/platform/Colors.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTTreeColSettings;
class TQVTTreeGrid;
class TQVTTreeHeader;
class TQVTTreeRow;
class TQVTTreeRowSettings;
class TQVTTreeRowsResizePane;

/// One node of the task tree; the invisible root has no row.
///
/// The rows of the tree are the nodes that have one, in depth-first pre-order (a node before
/// its children, children in list order); a row's index is that position from 0, and collapsed
/// or filtered rows keep theirs. Indexes, numbers and the index ranges of subtrees are set by
/// setIndexes, which every structural change runs on the root; lookups by index between a
/// change and the renumbering see the old numbering. Walks over the tree never recurse, so a
/// tree of any depth is safe.
class TQVTTreeNode : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Tree Node";
    /// Stands for the missing row of the root node in a saved document.
    static constexpr const char* EmptyRow = "empty";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    // Structure.
    int GetChildrenCount() const { return static_cast<int>(Fchildren.size()); }
    /// None outside [0, GetChildrenCount()).
    TQVTTreeNode* GetChild(int i) const;
    /// -1 when node is not a child of this node.
    int childIndex(const TQVTTreeNode* node) const;
    bool hasChildren() const { return !Fchildren.empty(); }
    /// A node without a row: the root of the tree.
    bool isTreeRoot() const { return !FRow; }
    /// The node this one is a child of, or none.
    TQVTTreeNode* getParentNode() const;
    /// The row index of the parent; -1 for children of the root (and without a parent).
    int GetParentIndex() const;
    /// Inserts node at position i (appends when i is negative or beyond the children), becomes
    /// its parent and forgets the saved sort order of the whole tree. Answers false only for
    /// no node.
    bool addChild(const std::shared_ptr<TQVTTreeNode>& node, int i);
    /// Takes node out of the children (it stays alive for undo); answers the position it had,
    /// -1 when it was not a child.
    int deleteChild(const TQVTTreeNode* node);

    // Rows by index, within this node's subtree; none or -1 outside it.
    TQVTTreeNode* findNodeByIndex(int i);
    TQVTTreeRow* getRow(int i);
    /// 0 for children of the root.
    int getRowLevel(int i);
    /// The last index in the subtree; the node's own index when nothing below has a row.
    int getLastIndex() const { return FLastIndex; }
    /// This node's row and every row below it, in pre-order.
    void collectChildren(std::vector<TQVTTreeRow*>& list);
    /// Every node below this one, in pre-order.
    void flatten(std::vector<TQVTTreeNode*>& list);
    /// Numbers the rows of the subtree from n: indexes, continuous and hierarchical numbers,
    /// index ranges. Answers the next free index.
    int setIndexes(int n);

    // Expand and collapse.
    /// Stores the flag, then shows the node and what its flags leave open below it.
    void setCollapsed(bool b);
    bool isCollapsed() const { return FCollapsed; }
    /// Shows or hides the node's chart row, then gives each node below `v and not collapsed`
    /// of its parent.
    void setVisible(bool v);

    std::shared_ptr<TQVTTreeRow> FRow;
    std::vector<std::shared_ptr<TQVTTreeNode>> Fchildren;
    bool FCollapsed = false;
    /// Number texts: the continuous "3." and the hierarchical "1.2.".
    std::string FNumberCont;
    std::string FNumberHierchy;
    /// The children before sorting, when a sort remembered them.
    std::vector<std::shared_ptr<TQVTTreeNode>> FSavedOrder;

private:
    int FLastIndex = -1;
};

class TQVTTreeNodePersistence : public TQVTPersistenceOf<TQVTTreeNode> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Fired with the selected rows whenever the selection changes.
using TQVTSelectedRowsChangedEvent = std::function<void(TQVTTreeGrid* sender, const std::vector<TQVTTreeRow*>& rows)>;

/// The task table: the tree of tasks, its rows by index, expand and collapse, selection and
/// focus. Row i of the tree and row i of the chart table describe the same task. Every lookup
/// by index answers none or -1 outside the rows.
class TQVTTreeGrid : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Tree Grid";

    /// Saved by the document with the document's section name: writes "tree" there, then
    /// its own section under its identifier.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    // Rows.
    int rowsCount() const;
    TQVTTreeRow* getRow(int i) const;
    int getRowLevel(int i) const;
    /// -1 gives the root.
    TQVTTreeNode* findNodeByIndex(int i) const;
    /// The number of rows below row i.
    int childrenCount(int i) const;
    int DescendantsCount(int i) const { return childrenCount(i); }
    /// The rows below row i, in pre-order.
    std::vector<TQVTTreeRow*> childrenOf(int i) const;
    /// Whether row lies in parentRow's subtree (below it).
    bool IsChildrenOf(int row, int parentRow) const;
    /// Renumbers the rows; what every structural change ends with.
    void updateNodes();
    /// A new row, not in the tree, for the header's columns with a copy of the default row
    /// settings.
    std::shared_ptr<TQVTTreeRow> makeBlankRow() const;

    // Expand and collapse, directly (no operation).
    void expand(int i);
    void collapse(int i);

    // Selection and focus.
    /// Selects or deselects row i and tells FSelectedRowsChanged; nothing for no such row or
    /// one already in that state.
    void select(int i, bool on);
    void selectAll();
    void deselectAll();
    int getSelectedRowsCount() const { return static_cast<int>(FSelectedRows.size()); }
    /// The k-th selected row in selection order; none outside.
    TQVTTreeRow* getSelectedRow(int k) const;
    /// Unfocuses and deselects everything, then focuses row i; answers whether the focused row
    /// changed.
    bool focus(int i);
    void unFocus();
    TQVTTreeRow* getFocusedRow() const { return FFocusedRow.get(); }

    /// Width of the grid in pixels; negative values are ignored.
    int getWidth() const { return FWidth; }
    void setWidth(int value);

    int FWidth = 300;
    std::shared_ptr<TQVTTreeHeader> FHeader;
    std::shared_ptr<TQVTTreeNode> FRootNode;
    std::shared_ptr<TQVTTreeRowsResizePane> FRowsResizePane;
    std::shared_ptr<TQVTTreeRowSettings> FDefaultRowSettings;
    std::shared_ptr<TQVTTreeColSettings> FDefaultColSettings;
    TColor FbkColor = 0xFFEAD5;
    /// Background of the header.
    TColor FUpperPaneColor = 0x02C56A31;
    /// Background of rows that have children.
    TColor FGroupRowColor = 0x808080;
    /// Background and text colours of selected and focused rows.
    TColor FSelectedRowColor = 0xC56AC5;
    TColor FSelectedRowFontColor = clWhite;
    TColor FFocusedRowColor = 0x808080;
    TColor FFocusedRowFontColor = 0xFFFFFF;
    /// The automatic number column shows continuous numbers instead of hierarchical ones.
    bool FContinuousNumbering = false;
    TQVTSelectedRowsChangedEvent FSelectedRowsChanged;

private:
    void selectRow(TQVTTreeRow& row, bool on);
    void selectionChanged();

    std::vector<std::shared_ptr<TQVTTreeRow>> FSelectedRows;
    std::shared_ptr<TQVTTreeRow> FFocusedRow;
};

class TQVTTreeGridPersistence : public TQVTPersistenceOf<TQVTTreeGrid> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
