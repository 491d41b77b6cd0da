// The task tree as a model: indexes, numbering, collapsing, selection, focus and saving.

#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"

#include "../chart/ChartFixture.h"

#include <gtest/gtest.h>
#include <regex>

using namespace corvane;
using namespace corvane::test;

namespace {

class TreeModel : public ChartFixture {
protected:
    // A, A1, A1a, A2, B: A1 and A2 children of A, A1a a child of A1.
    void SetUp() override { build({{0, {}}, {1, {}}, {2, {}}, {1, {}}, {0, {}}}); }

    TQVTTreeGrid& grid() { return *document->FTree; }
    TQVTTreeNode& node(int i) { return *grid().findNodeByIndex(i); }
    std::vector<bool> chartRowsShown()
    {
        std::vector<bool> shown;
        for (int r = 0; r < table().countRows(); ++r)
            shown.push_back(!row(r).isCollapsed());
        return shown;
    }
};

TEST_F(TreeModel, RowsAreNumberedInPreOrderAndRenumberedOnInsertAndRemove)
{
    EXPECT_EQ(grid().rowsCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(grid().getRow(i)->FIndex, i);
    EXPECT_EQ(grid().findNodeByIndex(-1), grid().FRootNode.get());
    EXPECT_EQ(grid().findNodeByIndex(5), nullptr);
    EXPECT_EQ(grid().getRow(-2), nullptr);
    std::vector<int> children, levels, parents;
    for (int i = 0; i < 5; ++i) {
        children.push_back(grid().childrenCount(i));
        levels.push_back(grid().getRowLevel(i));
        parents.push_back(node(i).GetParentIndex());
    }
    EXPECT_EQ(children, (std::vector<int>{3, 1, 0, 0, 0}));
    EXPECT_EQ(levels, (std::vector<int>{0, 1, 2, 1, 0}));
    EXPECT_EQ(parents, (std::vector<int>{-1, 0, 1, 0, -1}));
    EXPECT_EQ(node(0).getLastIndex(), 3);
    EXPECT_EQ(node(2).getLastIndex(), 2);
    EXPECT_TRUE(grid().IsChildrenOf(2, 0));
    EXPECT_FALSE(grid().IsChildrenOf(4, 0));
    EXPECT_FALSE(grid().IsChildrenOf(0, 0));
    EXPECT_EQ(grid().childrenOf(0), (std::vector<TQVTTreeRow*>{grid().getRow(1), grid().getRow(2), grid().getRow(3)}));
    // A2: the second child of the first task, the fourth row.
    EXPECT_EQ(node(3).FNumberHierchy, "1.2.");
    EXPECT_EQ(node(3).FNumberCont, "4.");
    EXPECT_EQ(node(2).FNumberHierchy, "1.1.1.");
    EXPECT_EQ(node(4).FNumberHierchy, "2.");

    auto added = std::make_shared<TQVTTreeNode>();
    added->FRow = std::make_shared<TQVTTreeRow>();
    ASSERT_TRUE(node(0).addChild(added, 1)); // between A1 and A2
    EXPECT_EQ(added->getParentNode(), &node(0));
    grid().updateNodes();
    EXPECT_EQ(added->FRow->FIndex, 3);
    EXPECT_EQ(added->FNumberHierchy, "1.2.");
    EXPECT_EQ(grid().getRow(4)->FIndex, 4);
    EXPECT_EQ(node(4).FNumberHierchy, "1.3.");

    TQVTTreeNode& a = node(0);
    EXPECT_EQ(a.deleteChild(added.get()), 1);
    EXPECT_EQ(a.deleteChild(added.get()), -1);
    grid().updateNodes();
    EXPECT_EQ(grid().rowsCount(), 5);
    EXPECT_EQ(node(3).FNumberHierchy, "1.2.");

    // Beyond the children, and negative, both append.
    EXPECT_TRUE(node(4).addChild(std::make_shared<TQVTTreeNode>(), 7));
    EXPECT_FALSE(node(4).addChild(nullptr, 0));
}

TEST_F(TreeModel, CollapsingSelectionAndFocusAndWhatASavedDocumentKeepsOfThem)
{
    grid().collapse(0);
    EXPECT_EQ(chartRowsShown(), (std::vector<bool>{true, false, false, false, true}));
    EXPECT_EQ(grid().getRow(3)->FIndex, 3);
    // A collapsed node inside stays closed when its parent opens again.
    grid().collapse(1);
    grid().expand(0);
    EXPECT_EQ(chartRowsShown(), (std::vector<bool>{true, true, false, true, true}));
    grid().expand(1);
    EXPECT_EQ(chartRowsShown(), std::vector<bool>(5, true));
    // Out of range: nothing.
    grid().collapse(9);
    grid().collapse(-1);
    EXPECT_FALSE(grid().FRootNode->isCollapsed());

    // Rows shown again above the scroll position scroll back.
    table().SetScrolledLines(4);
    grid().collapse(0);
    EXPECT_EQ(table().getScrolledLines(), 4);
    grid().expand(0);
    EXPECT_EQ(table().getScrolledLines(), 1);

    std::vector<std::size_t> told;
    grid().FSelectedRowsChanged = [&](TQVTTreeGrid*, const std::vector<TQVTTreeRow*>& rows) {
        told.push_back(rows.size());
    };
    grid().select(3, true);
    grid().select(1, true);
    grid().select(1, true); // already: nothing
    grid().select(7, true); // no such row: nothing
    EXPECT_EQ(told, (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(grid().getSelectedRow(0), grid().getRow(3));
    EXPECT_EQ(grid().getSelectedRow(2), nullptr);
    EXPECT_TRUE(row(3).FSelected);
    grid().select(3, false);
    EXPECT_FALSE(row(3).FSelected);
    EXPECT_EQ(grid().getSelectedRowsCount(), 1);

    grid().selectAll();
    EXPECT_EQ(grid().getSelectedRowsCount(), 5);
    EXPECT_TRUE(grid().focus(2));
    EXPECT_EQ(grid().getSelectedRowsCount(), 0);
    EXPECT_TRUE(grid().getRow(2)->FFocused && row(2).FFocused);
    EXPECT_FALSE(grid().focus(2));
    EXPECT_TRUE(grid().focus(4));
    EXPECT_FALSE(row(2).FFocused);
    grid().unFocus();
    EXPECT_EQ(grid().getFocusedRow(), nullptr);
    EXPECT_FALSE(row(4).FFocused);

    // A saved document keeps collapsed nodes, width, colours and the numbering style.
    grid().collapse(1);
    grid().setWidth(420);
    grid().setWidth(-3); // ignored
    grid().FContinuousNumbering = true;
    grid().FbkColor = 0x123456;
    const auto loaded = std::dynamic_pointer_cast<TQVTGanttDocument>(loadFile(saveToFile(document)));
    ASSERT_TRUE(loaded && loaded->FTree && loaded->Ftable);
    TQVTTreeGrid& copy = *loaded->FTree;
    EXPECT_EQ(copy.rowsCount(), 5);
    EXPECT_TRUE(copy.findNodeByIndex(1)->isCollapsed() && !copy.findNodeByIndex(0)->isCollapsed());
    EXPECT_EQ(copy.findNodeByIndex(3)->FNumberHierchy, "1.2.");
    EXPECT_EQ(copy.findNodeByIndex(3)->FNumberCont, "4.");
    // The chart rows follow.
    EXPECT_TRUE(loaded->Ftable->getRow(2)->isCollapsed() && !loaded->Ftable->getRow(3)->isCollapsed());
    EXPECT_EQ(copy.getWidth(), 420);
    EXPECT_TRUE(copy.FContinuousNumbering && copy.FbkColor == 0x123456u);
    EXPECT_EQ(copy.FUpperPaneColor, 0x02C56A31u);

    // The root lists its first child again at the end: a walk would count that branch twice.
    std::string text = readFile(saveToFile(document));
    const std::regex rootChildren("row=empty\n((?:.*\n)*?)children#count=2\nchildren#0=([^\n]*)\nchildren#1=([^\n]*)\n");
    ASSERT_TRUE(std::regex_search(text, rootChildren));
    text = std::regex_replace(text, rootChildren,
                              "row=empty\n$1children#count=3\nchildren#0=$2\nchildren#1=$3\nchildren#2=$2\n",
                              std::regex_constants::format_first_only);
    const auto twice = std::dynamic_pointer_cast<TQVTGanttDocument>(loadFrom(text));
    ASSERT_TRUE(twice && twice->FTree);
    EXPECT_EQ(twice->FTree->rowsCount(), 5);
    EXPECT_EQ(twice->FTree->FRootNode->GetChildrenCount(), 2);
    EXPECT_NE(std::find(capture.log.begin(), capture.log.end(),
                        "Tree: a node listed more than once keeps only its first place"),
              capture.log.end());
}

TEST_F(TreeModel, EveryChangeOfTheTreesStructureAndNothingElseAdvancesItsStamp)
{
    const auto advances = [](const auto& change) {
        const std::uint64_t before = TreeStructureStamp();
        change();
        return TreeStructureStamp() != before;
    };
    // Every row command renumbers: a stamp that moved with it would make every kept shape stale.
    const std::uint64_t unchanged = TreeStructureStamp();
    grid().updateNodes();
    std::vector<TQVTTreeRow*> rows;
    grid().FRootNode->collectChildren(rows);
    std::vector<TQVTTreeNode*> nodes;
    grid().FRootNode->flatten(nodes);
    node(0).setCollapsed(true);
    node(0).setCollapsed(false);
    EXPECT_EQ(grid().childrenCount(0), 3);
    readFile(saveToFile(document));
    EXPECT_EQ(TreeStructureStamp(), unchanged) << "renumbering and reading";

    const auto share = [](TQVTTreeNode& n) { return std::static_pointer_cast<TQVTTreeNode>(n.shared_from_this()); };
    TQVTTreeNode& root = *grid().FRootNode;
    TQVTTreeNode& a = node(0);
    const auto extra = std::make_shared<TQVTTreeNode>();
    const auto a2 = share(node(3));

    // Through the node's own calls.
    EXPECT_TRUE(advances([&] { a.addChild(extra, 0); }));
    EXPECT_TRUE(advances([&] { a.deleteChild(extra.get()); }));
    EXPECT_TRUE(advances([&] { root.repositionChild(a2, nullptr); }));
    EXPECT_TRUE(advances([&] { root.swapChildren(0, 1); }));
    EXPECT_TRUE(advances([&] { root.applyOrder({root.Fchildren[1], root.Fchildren[0], root.Fchildren[2]}); }));
    // Rows without cells compare equal and keep their order: sorting them changes nothing.
    EXPECT_FALSE(advances([&] { root.sort(0, sortAscending); }));
    // Through the child list and the row directly.
    TreeNodeChildren& children = extra->Fchildren;
    EXPECT_TRUE(advances([&] { children.push_back(std::make_shared<TQVTTreeNode>()); }));
    EXPECT_TRUE(advances([&] { children.insert(children.begin(), std::make_shared<TQVTTreeNode>()); }));
    EXPECT_TRUE(advances([&] { children.swapItems(0, 1); }));
    const auto byAddress = [](const auto& x, const auto& y) { return x.get() < y.get(); };
    const auto byAddressDown = [](const auto& x, const auto& y) { return x.get() > y.get(); };
    children.stableSort(byAddressDown);
    EXPECT_TRUE(advances([&] { children.stableSort(byAddress); }));
    EXPECT_FALSE(advances([&] { children.stableSort(byAddress); })) << "already in order";
    EXPECT_TRUE(advances([&] { children.erase(children.begin()); }));
    EXPECT_TRUE(advances([&] { children.eraseIf([](const auto&) { return true; }); }));
    EXPECT_FALSE(advances([&] { children.eraseIf([](const auto&) { return true; }); })) << "nothing left to erase";
    EXPECT_TRUE(advances([&] { children = {a2}; }));
    EXPECT_TRUE(advances([&] { children = TreeNodeChildren::List{}; }));
    EXPECT_TRUE(advances([&] { children = root.Fchildren; }));
    EXPECT_TRUE(advances([&] { children.clear(); }));
    EXPECT_TRUE(advances([&] { extra->FRow = std::make_shared<TQVTTreeRow>(); }));
    EXPECT_TRUE(advances([&] { extra->FRow = a.FRow; }));
    EXPECT_TRUE(advances([&] { extra->FRow.reset(); }));
}

} // namespace
