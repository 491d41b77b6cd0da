#pragma once
// The task table: a tree of nodes, one tree row per task.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/objects/qvtOperation.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/platform/Colors.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace corvane {

class TQVTNodeExpander;
class TQVTTreeColSettings;
class TQVTTreeGrid;
class TQVTTreeGridResizer;
class TQVTTreeHeader;
class TQVTTreeRow;
class TQVTTreeRowSettings;
class TQVTTreeRowsResizePane;
class TQVTTreeNode;

/// A process-wide count of changes to the structure of task trees: which nodes are whose
/// children, in which order, and which nodes have rows. Whatever is derived from a tree's shape
/// holds while the stamp it was derived under stands. The count never goes back.
std::uint64_t TreeStructureStamp();
/// Advances the stamp; the child lists and row references of the nodes call it on every change.
void TreeStructureChanged();

/// The children of a tree node. Read like a vector; changed only through the calls below, each
/// of which advances the tree structure stamp, so no change of the tree can go unnoticed.
class TreeNodeChildren {
public:
    using value_type = std::shared_ptr<TQVTTreeNode>;
    using List = std::vector<value_type>;
    using const_iterator = List::const_iterator;
    using const_reverse_iterator = List::const_reverse_iterator;

    TreeNodeChildren() = default;
    TreeNodeChildren(const TreeNodeChildren&) = delete;
    TreeNodeChildren& operator=(const TreeNodeChildren& other) { return *this = other.FItems; }
    /// Replaces the whole list.
    TreeNodeChildren& operator=(List items)
    {
        FItems = std::move(items);
        TreeStructureChanged();
        return *this;
    }
    TreeNodeChildren& operator=(std::initializer_list<value_type> items) { return *this = List(items); }

    std::size_t size() const { return FItems.size(); }
    bool empty() const { return FItems.empty(); }
    const value_type& operator[](std::size_t i) const { return FItems[i]; }
    const value_type& at(std::size_t i) const { return FItems.at(i); }
    const value_type& front() const { return FItems.front(); }
    const value_type& back() const { return FItems.back(); }
    const_iterator begin() const { return FItems.begin(); }
    const_iterator end() const { return FItems.end(); }
    const_reverse_iterator rbegin() const { return FItems.rbegin(); }
    const_reverse_iterator rend() const { return FItems.rend(); }
    const List& items() const { return FItems; }
    operator const List&() const { return FItems; }

    void push_back(value_type node)
    {
        FItems.push_back(std::move(node));
        TreeStructureChanged();
    }
    const_iterator insert(const_iterator at, value_type node)
    {
        const auto it = FItems.insert(at, std::move(node));
        TreeStructureChanged();
        return it;
    }
    const_iterator erase(const_iterator at)
    {
        const auto it = FItems.erase(at);
        TreeStructureChanged();
        return it;
    }
    void clear()
    {
        FItems.clear();
        TreeStructureChanged();
    }
    /// Removes the children that match; answers how many.
    template <class Predicate>
    std::size_t eraseIf(Predicate matches)
    {
        const std::size_t erased = std::erase_if(FItems, matches);
        if (erased > 0)
            TreeStructureChanged();
        return erased;
    }
    /// Requires both < size().
    void swapItems(std::size_t i, std::size_t j)
    {
        std::swap(FItems[i], FItems[j]);
        TreeStructureChanged();
    }
    /// Sorts stably; a list already in order is no change (a sorted column sorts again after
    /// every edit).
    template <class Less>
    void stableSort(Less less)
    {
        if (std::is_sorted(FItems.begin(), FItems.end(), less))
            return;
        std::stable_sort(FItems.begin(), FItems.end(), less);
        TreeStructureChanged();
    }

private:
    List FItems;
};

/// The row of a tree node. Read like a shared_ptr; setting it advances the tree structure stamp,
/// since the nodes that have rows are the rows of the tree.
class TreeNodeRow {
public:
    TreeNodeRow() = default;
    TreeNodeRow(const TreeNodeRow&) = default;
    TreeNodeRow& operator=(const TreeNodeRow& other) { return *this = other.FRow; }
    TreeNodeRow& operator=(std::shared_ptr<TQVTTreeRow> row)
    {
        FRow = std::move(row);
        TreeStructureChanged();
        return *this;
    }
    void reset() { *this = nullptr; }

    TQVTTreeRow* get() const { return FRow.get(); }
    TQVTTreeRow* operator->() const { return FRow.get(); }
    TQVTTreeRow& operator*() const { return *FRow; }
    explicit operator bool() const { return FRow != nullptr; }
    const std::shared_ptr<TQVTTreeRow>& ptr() const { return FRow; }
    operator const std::shared_ptr<TQVTTreeRow>&() const { return FRow; }
    friend bool operator==(const TreeNodeRow& row, std::nullptr_t) { return !row.FRow; }

private:
    std::shared_ptr<TQVTTreeRow> FRow;
};

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

    // Order of the children. Each change of order below keeps the chart table's rows in step
    // with the tree (one reorder of the table) and renumbers the tree.
    /// Orders the children of every node of the subtree by their rows' cells in column, stably
    /// (equal rows keep their order, descending too); nothing for sortNone. Rows compare as
    /// TQVTTreeRow::compareCells; nodes without a row come first.
    void sort(int column, TQVTSortOrder order);
    /// Every node of the subtree remembers its children as the unsorted order.
    void saveOrder();
    /// Every node of the subtree takes back its remembered children, where they are exactly the
    /// children it has (otherwise it keeps its order).
    void restoreOrder();
    /// Every node of the subtree forgets its remembered children.
    void clearSavedOrder();
    /// The children become list when it holds exactly the same children; false otherwise.
    bool applyOrder(const std::vector<std::shared_ptr<TQVTTreeNode>>& list);
    /// Makes node a child of this node, before the child before (at the end for none), taking it
    /// from its parent, with its subtree. False, changing nothing, when node is none, this node
    /// or one of its ancestors, or before is no child of this node (or is node).
    bool repositionChild(const std::shared_ptr<TQVTTreeNode>& node, const TQVTTreeNode* before);
    /// Exchanges children i and j with their subtrees; false for positions outside the children.
    bool swapChildren(int i, int j);
    bool swapChildren(const TQVTTreeNode* a, const TQVTTreeNode* b);
    /// The row under the vertical offset y from the top of the rows shown: the rows are passed
    /// over by their heights on screen (rows scrolled out, collapsed or filtered take none)
    /// until the offset is used up, so offsets 1 to h are the first row of height h; -1 when
    /// the rows end first.
    int findRow(int y);

    TreeNodeRow FRow;
    TreeNodeChildren Fchildren;
    bool FCollapsed = false;
    /// Number texts: the continuous "3." and the hierarchical "1.2.".
    std::string FNumberCont;
    std::string FNumberHierchy;
    /// The children before sorting, when a sort remembered them.
    std::vector<std::shared_ptr<TQVTTreeNode>> FSavedOrder;
    /// The plus/minus box of a node with children; made when first drawn, then kept, so that a
    /// handle found by the mouse stays valid across paints.
    std::shared_ptr<TQVTNodeExpander> expander;

private:
    int FLastIndex = -1;
};

class TQVTTreeNodePersistence : public TQVTPersistenceOf<TQVTTreeNode> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// The row filter of the task table: the rows whose text in column ColID is one of Values
/// (blanks at both ends and letter case aside) stay shown, with the rows above them.
struct TTreeFilterItem {
    bool Active = false;
    /// The filtered column; -1 for no filter.
    int ColID = -1;
    std::vector<std::string> Values;
    /// The filter in words, as ApplyFilter last described it; empty without a filter.
    std::string FilterDescription;
};

/// Options of a text search; accepted, the search itself is always exact and case-sensitive.
enum TQVTSearchOption : unsigned {
    soBackwords = 1,
    soWholeWords = 2,
    soMatchCase = 4
};
using TQVTSearchOptions = unsigned;

class TQVTTreeCell;

/// Fired with the filtered column whenever the row filter changes.
using TQVTFilterSettingsChangedEvent = std::function<void(TQVTTreeGrid* sender, int column)>;

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
    /// The drawing options Draw3D, DrawIndicatorRow and DrawTreeNodeLines.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;

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
    /// Renumbers the rows and refits the height of the shown rows whose settings ask for it;
    /// what every structural change ends with.
    void updateNodes();
    /// A new row, not in the tree, for the header's columns with a copy of the default row
    /// settings.
    std::shared_ptr<TQVTTreeRow> makeBlankRow() const;

    // Order. Each answers an operation not yet performed, or none when it cannot be made.
    /// Sorting the rows by column col in order; none when the column does not exist or its
    /// type cannot sort.
    TQVTOperationPtr sortRows(int col, TQVTSortOrder order);
    /// Sorting by the header's sorted column and order.
    TQVTOperationPtr sortRows();
    /// Moving row i (with its subtree) before row before, under before's parent; before -1
    /// moves a top-level row to the end. None when i equals before, either row does not
    /// exist or before lies in i's subtree.
    TQVTOperationPtr repositionRow(int i, int before);
    /// Moving column from before column to (to the end when to is negative): the header cell
    /// and every row's cell together. None when either column does not exist or nothing would
    /// move. Defined with the column operations.
    TQVTOperationPtr moveColumn(int from, int to);
    /// Sorts again by the header's sorted column (performed at once, not recorded), then
    /// renumbers; with no sorted column only renumbers.
    void updateRows();
    /// Exchanges rows i and j, children of one parent, with their subtrees (directly, no
    /// operation); false for rows that do not exist or are no siblings.
    bool swapRows(int i, int j);

    // Cells and search.
    /// The header's columns.
    int colsCount() const;
    /// The width of column col; 0 outside the columns.
    int getCellWidth(int col) const;
    /// The width of the shown columns together.
    int getActualWidth() const;
    /// None outside the rows or the row's cells.
    TQVTTreeCell* getCell(int row, int col) const;
    /// The text of that cell; empty without one.
    std::string getCellStringValue(int row, int col) const;
    /// The first cell, columns in order and rows in order within a column, whose text is text
    /// exactly (letter case counts); none when no cell has it.
    TQVTTreeCell* findText(const std::string& text, TQVTSearchOptions options) const;
    /// The same within column col; none for no such column.
    TQVTTreeCell* findTextInColumn(const std::string& text, TQVTSearchOptions options, int col) const;

    // Row filter.
    /// Hides every row that the filter does not keep (TreeFilter) and shows the others with
    /// the rows above them, on both sides; without a filter every row is shown.
    void ApplyFilter();
    /// No filter any more (not applied yet); tells FOnFilterSettingsChanged when notify.
    void ClearFilter(bool notify);
    /// Tells FOnFilterSettingsChanged the filtered column.
    void TreeFilterChanged();
    /// The texts of column col as the filter compares them, each once: blanks at both ends
    /// removed, letter case ignored, in row order with the first spelling met.
    std::vector<std::string> distinctTexts(int col) const;

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
    /// The row under the vertical offset y from the top of the rows shown, or -1 (see
    /// TQVTTreeNode::findRow).
    int findRow(int y) const;
    /// The shown row (as painted) at the pixel line y of the view, or -1.
    int shownRowAt(int y) const;
    /// A click on the rows at offset y (as findRow): unfocuses; flag 1 adds the row under y to
    /// the selection, flag 2 adds the run from the most recently selected row (exclusive; from
    /// the first row when none is) to the row under y, told as one change; without either the
    /// row under y becomes the only selected row.
    void handleRowSelect(int y, int flags);
    /// Focuses the cell of column col in row (after clearing the focus of every cell); only
    /// clears for indexes outside the rows or columns.
    void FocusCell(int row, int col);
    /// Focuses the row under the point (x, y) of the view when y lies below the header, where
    /// the rows begin (the document's table start); nothing above it or below the last row.
    void focusAt(int x, int y);
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
    /// A focused row also focuses a cell.
    bool FCellFocusing = false;
    // Drawing options; not stored, every document opens with these.
    /// Kept for applications that set it; the tree paints the same either way.
    bool FDraw3D = false;
    /// The row pane marks the focused row with a triangle pointing at it.
    bool FDrawIndicatorRow = true;
    /// Lines join each parent to its shown children, at the expander boxes.
    bool FDrawTreeNodeLines = true;
    TTreeFilterItem TreeFilter;
    TQVTFilterSettingsChangedEvent FOnFilterSettingsChanged;
    /// The drag handle on the grid's right edge; made when first drawn, then kept.
    std::shared_ptr<TQVTTreeGridResizer> resizer;

protected:
    /// A TQVTTreeGridDrawer (qvtTreeDrawers.cpp).
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

private:
    /// Gives each shown row with automatic height the height its cells need.
    void fitRowHeights();
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
