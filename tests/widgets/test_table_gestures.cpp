// Gestures on the task table of the real Gantt control: each is one undo step, and tree row i and
// chart row i stay the same task.
#include "corvane/widgets/qvtGanttGraph.h"

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeDrawers.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeResizePane.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DateUtils.h"

#include "support/TestSupport.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace corvane;
using namespace corvane::test;

namespace {

const TDateTime Monday = EncodeDate(2026, 1, 5);
const char* const Names[] = {"delta", "alpha", "charlie", "bravo"};

class TableGestureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 4; ++i)
            ASSERT_TRUE(ds.RowAppend());
        ASSERT_TRUE(ds.ColumnAppend(std::make_shared<TQVTTreeSimpleTextCellType>()));
        ds.root()->getCalendar()->SetTimeMode(tmDay);
        ds.root()->setStartDate(Monday);
        // Rows 1 to 4 carry a name and a bar that starts on a day of their own.
        for (int i = 1; i <= 4; ++i) {
            ds.GetTree()->getRow(i)->getCell(1)->SetText(Names[i - 1]);
            ASSERT_TRUE(ds.BarAdd(std::make_shared<TQVTTaskBar>(Monday + i, Monday + i + 1, i), i));
        }
        ds.clearUndoRedoStack();
        graph.resize(1000, 360);
        graph.setDataSource(&ds);
        graph.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
        graph.grab();
        original = saved();
    }
    void TearDown() override { graph.setDataSource(nullptr); }

    std::string saved() { return save(ds); }
    // The first point of the task table where the control finds an object that matches.
    template <class T>
    std::optional<QPoint> find(const std::function<bool(T&)>& matches = [](T&) { return true; })
    {
        graph.grab();
        for (int y = 0; y < graph.height() - 20; ++y)
            for (int x = 0; x < ds.root()->getTreeWidth(); ++x)
                if (auto* o = dynamic_cast<T*>(graph.getView()->locateDraggingObject(x, y)); o && matches(*o))
                    return QPoint(x, y);
        return std::nullopt;
    }
    void drag(QPoint from, QPoint to)
    {
        QTest::mouseMove(&graph, from);
        QTest::mousePress(&graph, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(&graph, (from + to) / 2);
        QTest::mouseMove(&graph, to);
        QTest::mouseRelease(&graph, Qt::LeftButton, Qt::NoModifier, to);
    }
    void click(QPoint at)
    {
        QTest::mouseMove(&graph, at);
        QTest::mousePress(&graph, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(&graph, Qt::LeftButton, Qt::NoModifier, at);
    }
    std::string nameOf(int row) { return ds.GetTree()->getRow(row)->getCell(1)->FText; }
    // Every named tree row still sits beside the chart row with its bar.
    void expectRowsInStep()
    {
        for (int r = 0; r < ds.GetTable()->countRows(); ++r) {
            const std::string name = nameOf(r);
            for (int i = 0; i < 4; ++i)
                if (name == Names[i]) {
                    ASSERT_EQ(ds.GetTable()->getRow(r)->GetBarCount(), 1) << name;
                    EXPECT_DOUBLE_EQ(ds.GetTable()->getRow(r)->GetBarInRow(0)->getStartDate(), Monday + i + 1) << name;
                }
        }
    }
    int undoCount() { return ds.GetUndoRedoStack().GetUndoOperationCount(); }
    void undoAll()
    {
        while (undoCount() > 0)
            ASSERT_TRUE(ds.GetUndoRedoStack().undo());
        graph.grab();
    }

    TQVTDataSource ds;
    TQVTGanttGraph graph;
    std::string original;
    DocumentSaver save;
};

TEST_F(TableGestureTest, TitleClicksSortAndBordersResizeOneUndoStepEach)
{
    const auto title = find<TQVTHeaderHalo>([&](TQVTHeaderHalo& h) { return h.cell == ds.GetTree()->FHeader->getHeaderCell(1); });
    ASSERT_TRUE(title);
    click(*title);
    EXPECT_EQ(ds.GetTree()->FHeader->getHeaderCell(1)->getSortOrder(), sortAscending);
    EXPECT_EQ(nameOf(ds.GetTable()->countRows() - 4), "alpha");
    expectRowsInStep();
    click(*title);
    EXPECT_EQ(ds.GetTree()->FHeader->getHeaderCell(1)->getSortOrder(), sortDescending);
    EXPECT_EQ(nameOf(0), "delta");
    expectRowsInStep();
    click(*title);
    EXPECT_EQ(ds.GetTree()->FHeader->getHeaderCell(1)->getSortOrder(), sortNone);
    EXPECT_EQ(nameOf(1), "delta");
    EXPECT_EQ(undoCount(), 3);
    undoAll();
    EXPECT_TRUE(saved() == original) << "the saved file differs";

    // A column border resizes the column, never below six pixels.
    TQVTTreeHeaderCell* column = ds.GetTree()->FHeader->getHeaderCell(0);
    const int width = column->getWidth();
    auto border = find<TQVTTreeHeaderCellResizer>([&](TQVTTreeHeaderCellResizer& r) { return r.targetCell == column; });
    ASSERT_TRUE(border);
    drag(*border, *border + QPoint(-40, 0));
    EXPECT_EQ(column->getWidth(), width - 40);
    EXPECT_EQ(undoCount(), 1);
    border = find<TQVTTreeHeaderCellResizer>([&](TQVTTreeHeaderCellResizer& r) { return r.targetCell == column; });
    ASSERT_TRUE(border);
    drag(*border, QPoint(1, border->y()));
    EXPECT_EQ(column->getWidth(), width - 40) << "a column is never dragged below six pixels";
    EXPECT_EQ(undoCount(), 1);
    undoAll();
    EXPECT_TRUE(saved() == original) << "the saved file differs";

    // A row border in the row pane resizes that row.
    const int height = ds.GetTable()->getRowHeight(2);
    const auto rowBorder = find<TQVTRowResizer>([](TQVTRowResizer& r) { return r.targetRow == 2; });
    ASSERT_TRUE(rowBorder);
    drag(*rowBorder, *rowBorder + QPoint(0, 20));
    EXPECT_EQ(ds.GetTable()->getRowHeight(2), height + 20);
    EXPECT_EQ(undoCount(), 1);
    undoAll();
    EXPECT_TRUE(saved() == original) << "the saved file differs";
}

TEST_F(TableGestureTest, DraggingARowMovesItAndClickingAnExpanderCollapsesItsGroup)
{
    const auto numberCell = [this](int row) {
        TQVTTreeCell* cell = ds.GetTree()->getRow(row)->getCell(0);
        return find<TQVTTreeCell>([cell](TQVTTreeCell& c) { return &c == cell; });
    };
    const auto from = numberCell(1);
    const auto to = numberCell(4);
    ASSERT_TRUE(from && to);
    const int dropY = ds.GetTable()->getRowStartY(4);
    const int markerX = ds.root()->getDocStartX() + 20;

    // While dragging, the marker shows the place; Esc ends the drag with nothing moved.
    QTest::mouseMove(&graph, *from);
    QTest::mousePress(&graph, Qt::LeftButton, Qt::NoModifier, *from);
    QTest::mouseMove(&graph, *to);
    EXPECT_EQ(graph.grab().toImage().pixel(markerX, dropY), qRgb(0, 0, 0));
    QTest::keyClick(&graph, Qt::Key_Escape);
    QTest::mouseRelease(&graph, Qt::LeftButton, Qt::NoModifier, *to);
    EXPECT_NE(graph.grab().toImage().pixel(markerX, dropY), qRgb(0, 0, 0));
    EXPECT_EQ(undoCount(), 0);
    EXPECT_EQ(nameOf(1), "delta");

    // Released on its own row it stays; released on row 4 it goes before that row.
    drag(*from, *from + QPoint(3, 2));
    EXPECT_EQ(undoCount(), 0);
    drag(*from, *to);
    EXPECT_EQ(undoCount(), 1);
    EXPECT_EQ(nameOf(3), "delta");
    EXPECT_EQ(nameOf(1), "alpha");
    ASSERT_NE(ds.GetTree()->getFocusedRow(), nullptr);
    EXPECT_EQ(ds.GetTree()->getFocusedRow()->FIndex, 3);
    expectRowsInStep();
    undoAll();
    EXPECT_TRUE(saved() == original) << "the saved file differs";

    // A row selector dragged moves its row with the bars.
    const auto selector = find<TQVTRowSelector>([](TQVTRowSelector& s) { return s.index == 1; });
    const auto target = find<TQVTRowSelector>([](TQVTRowSelector& s) { return s.index == 4; });
    ASSERT_TRUE(selector && target);
    drag(*selector, *target);
    EXPECT_EQ(undoCount(), 1);
    EXPECT_NE(nameOf(1), "delta");
    expectRowsInStep();
    undoAll();
    EXPECT_TRUE(saved() == original) << "the saved file differs";

    // Clicking an expander collapses the group as one undo step.
    ASSERT_TRUE(ds.RowsGroup(2, 3));
    ds.clearUndoRedoStack();
    original = saved();
    const auto visibleRows = [this] {
        int visible = 0;
        for (int r = 0; r < ds.GetTable()->countRows(); ++r)
            visible += ds.GetTable()->getRow(r)->IsVisible() ? 1 : 0;
        return visible;
    };
    const int before = visibleRows();
    const auto expander = find<TQVTNodeExpander>();
    ASSERT_TRUE(expander);
    click(*expander);
    EXPECT_EQ(visibleRows(), before - 2) << "the group's two rows are hidden";
    EXPECT_EQ(undoCount(), 1);
    undoAll();
    EXPECT_EQ(visibleRows(), before);
    EXPECT_TRUE(saved() == original) << "the saved file differs";
}

TEST_F(TableGestureTest, TheFilterButtonOpensACheckListThatFiltersTheRowsWithoutAnEdit)
{
    TQVTTreeHeaderCell* column = ds.GetTree()->FHeader->getHeaderCell(1);
    // Wide enough to show the second column's right end, where its button is.
    ds.GetTree()->setWidth(600);
    graph.Paint();
    original = saved();
    const auto button = find<TQVTHeaderFilterHalo>([&](TQVTHeaderFilterHalo& h) { return h.getTarget().get() == column; });
    ASSERT_TRUE(button);
    click(*button);
    ASSERT_EQ(graph.getCurrentState(), editingObject);
    auto* list = graph.findChild<QListWidget*>();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->isVisible());
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(list->item(i)->text() == "alpha" ? Qt::Checked : Qt::Unchecked);
    QTest::keyClick(list, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(graph.getCurrentState(), simplyMoving);
    int hidden = 0;
    for (int r = 0; r < ds.GetTree()->rowsCount(); ++r)
        hidden += ds.GetTree()->getRow(r)->FHidden ? 1 : 0;
    EXPECT_EQ(hidden, ds.GetTree()->rowsCount() - 1) << "only alpha's row is shown";
    EXPECT_EQ(undoCount(), 0) << "filtering is a view, no edit";
    EXPECT_TRUE(saved() == original) << "the saved file differs";
}

} // namespace
