// Mouse gestures on the real Gantt control: each is one undo entry, and a veto changes nothing.
#include "corvane/widgets/qvtGanttGraph.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DateUtils.h"

#include "support/TestSupport.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

const TDateTime Monday = EncodeDate(2026, 1, 5);
constexpr int LeadDays = 7;

class GestureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 6; ++i)
            ASSERT_TRUE(ds.RowAppend());
        ds.root()->getCalendar()->SetTimeMode(tmDay);
        // A week before the bars, so that no gesture starts in the scrolling margins.
        ds.root()->setStartDate(Monday - LeadDays);
        first = std::make_shared<TQVTTaskBar>(Monday + 1, Monday + 3, 1);
        second = std::make_shared<TQVTTaskBar>(Monday + 8, Monday + 10, 3);
        ASSERT_TRUE(ds.BarAdd(first, 1));
        ASSERT_TRUE(ds.BarAdd(second, 3));
        ds.clearUndoRedoStack();
        graph.resize(1400, 400);
        graph.setDataSource(&ds);
        graph.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
        repaint();
        original = saved();
    }
    void TearDown() override { graph.setDataSource(nullptr); }

    void repaint() { graph.grab(); }
    std::string saved() { return save(ds); }
    int cw() const { return ds.GetTable()->GetColumnWidth(); }
    TRect rectOf(TQVTGanttBar& bar) { return bar.getDrawer(vtGanttGraph)->getRect(); }
    QPoint middleOf(TQVTGanttBar& bar)
    {
        const TRect r = rectOf(bar);
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    // The middle of row row, days after Monday.
    QPoint cell(double days, int row)
    {
        const int y = ds.GetTable()->getRowStartY(row) + ds.GetTable()->getRowHeight(row) / 2;
        return QPoint(ds.root()->getColStartX(0) + static_cast<int>((days + LeadDays) * cw()), y);
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier, int steps = 4)
    {
        QTest::mouseMove(&graph, from);
        QTest::mousePress(&graph, Qt::LeftButton, mods, from);
        for (int i = 1; i <= steps; ++i)
            QTest::mouseMove(&graph, from + (to - from) * i / steps);
        QTest::mouseRelease(&graph, Qt::LeftButton, mods, to);
        repaint();
    }
    int undoCount() { return ds.GetUndoRedoStack().GetUndoOperationCount(); }
    void undoAll()
    {
        while (ds.GetUndoRedoStack().GetUndoOperationCount() > 0)
            ASSERT_TRUE(ds.GetUndoRedoStack().undo());
    }
    // No placeholder bar in a row and no connection to one: nothing provisional is left.
    bool nothingProvisional()
    {
        TQVTGanttTable& table = *ds.GetTable();
        for (int r = 0; r < table.countRows(); ++r)
            for (int b = 0; b < table.getRow(r)->GetBarCount(); ++b)
                if (dynamic_cast<TQVTFakeBar*>(table.getRow(r)->GetBarInRow(b)))
                    return false;
        for (int c = 0; c < ds.root()->countConnections(); ++c) {
            const TQVTBarConnection* connection = ds.root()->getConnection(c);
            if (!connection->barTo->findTable() || !connection->barFrom->findTable())
                return false;
        }
        return true;
    }

    TQVTDataSource ds;
    TQVTGanttGraph graph;
    std::shared_ptr<TQVTTaskBar> first;
    std::shared_ptr<TQVTTaskBar> second;
    std::string original;
    DocumentSaver save;
};

TEST_F(GestureTest, DraggingABarMovesItAsOneUndoStepUnlessItStaysOrIsVetoed)
{
    const QPoint from = middleOf(*first);
    drag(from, from + QPoint(2 * cw(), ds.GetTable()->getRowHeight(1)));
    EXPECT_DOUBLE_EQ(first->getStartDate(), Monday + 3);
    EXPECT_DOUBLE_EQ(first->getEndDate(), Monday + 5);
    EXPECT_EQ(first->getRow(), 2);
    EXPECT_EQ(undoCount(), 1);
    EXPECT_EQ(graph.getCurrentState(), simplyMoving);
    ASSERT_TRUE(ds.GetUndoRedoStack().undo());
    EXPECT_TRUE(saved() == original) << "the saved file differs";
    ASSERT_TRUE(ds.GetUndoRedoStack().redo());
    EXPECT_DOUBLE_EQ(first->getStartDate(), Monday + 3);
    ASSERT_TRUE(ds.GetUndoRedoStack().undo());
    repaint();

    // Released where it was pressed, or vetoed: nothing recorded.
    const QPoint at = middleOf(*first);
    drag(at, at);
    EXPECT_EQ(undoCount(), 0);
    int asked = 0;
    ds.OnBeforeBarMove = [&](TQVTGanttBar*, bool& cancel) {
        ++asked;
        cancel = true;
    };
    drag(at, at + QPoint(3 * cw(), 0));
    EXPECT_GT(asked, 0);
    EXPECT_DOUBLE_EQ(first->getStartDate(), Monday + 1);
    EXPECT_EQ(undoCount(), 0);
    EXPECT_TRUE(saved() == original) << "the saved file differs";
    EXPECT_EQ(graph.getCurrentState(), simplyMoving);
}

TEST_F(GestureTest, APressNearAnEdgeResizesThatSideFiveInsideMovesAndAVetoChangesNothing)
{
    TRect r = rectOf(*first);
    const int y = (r.Top + r.Bottom) / 2;
    drag(QPoint(r.Right - 4, y), QPoint(r.Right - 4 + 2 * cw(), y));
    EXPECT_DOUBLE_EQ(first->getStartDate(), Monday + 1);
    EXPECT_DOUBLE_EQ(first->getEndDate(), Monday + 5);
    EXPECT_EQ(undoCount(), 1);
    r = rectOf(*first);
    drag(QPoint(r.Left + 2, y), QPoint(r.Left + 2 - cw(), y));
    EXPECT_DOUBLE_EQ(first->getStartDate(), Monday);
    EXPECT_DOUBLE_EQ(first->getEndDate(), Monday + 5);
    r = rectOf(*first);
    drag(QPoint(r.Right - 5, y), QPoint(r.Right - 5 + cw(), y));
    EXPECT_DOUBLE_EQ(first->getStartDate(), Monday + 1) << "five pixels inside moves the bar";
    EXPECT_DOUBLE_EQ(first->getEndDate(), Monday + 8) << "five working days from Tuesday end after the weekend";
    EXPECT_EQ(undoCount(), 3);
    undoAll();
    EXPECT_TRUE(saved() == original) << "the saved file differs";

    ds.OnBeforeBarResize = [](TQVTGanttBar*, bool& cancel) { cancel = true; };
    repaint();
    r = rectOf(*first);
    drag(QPoint(r.Right - 2, y), QPoint(r.Right - 2 + 3 * cw(), y));
    EXPECT_DOUBLE_EQ(first->getEndDate(), Monday + 3) << "vetoed";
    EXPECT_EQ(undoCount(), 0);
    EXPECT_TRUE(saved() == original) << "the saved file differs";
}

TEST_F(GestureTest, DraggingOnEmptyGridCreatesABarOrMilestoneBeyondTheDeadZoneOnlyAndDragsAtTheEdgeScroll)
{
    TQVTGanttRow& row = *ds.GetTable()->getRow(4);
    const QPoint from = cell(2.5, 4);
    drag(from, from + QPoint(10, 10));
    EXPECT_EQ(row.GetBarCount(), 0) << "ten pixels each way is still a click";
    EXPECT_EQ(undoCount(), 0);
    drag(from, from + QPoint(3 * cw(), 0), Qt::NoModifier, 6);
    ASSERT_EQ(row.GetBarCount(), 1);
    auto* created = dynamic_cast<TQVTTaskBar*>(row.GetBarInRow(0));
    ASSERT_NE(created, nullptr);
    EXPECT_DOUBLE_EQ(std::floor(created->getStartDate()), Monday + 2);
    EXPECT_GT(created->getEndDate(), created->getStartDate() + 1.5);
    EXPECT_EQ(undoCount(), 1);
    EXPECT_TRUE(nothingProvisional());
    undoAll();
    EXPECT_TRUE(saved() == original) << "the saved file differs";

    // Left of the anchor the bar ends there.
    drag(cell(6.5, 4), cell(6.5, 4) - QPoint(3 * cw(), 0), Qt::NoModifier, 6);
    ASSERT_EQ(row.GetBarCount(), 1);
    EXPECT_LT(row.GetBarInRow(0)->getStartDate(), Monday + 4);
    EXPECT_GT(row.GetBarInRow(0)->getEndDate(), row.GetBarInRow(0)->getStartDate());

    // A new milestone spans one day; a vetoed one is not recorded.
    graph.setCreatedType(BarClass<TQVTMilestoneBar>());
    TQVTGanttRow& last = *ds.GetTable()->getRow(5);
    drag(cell(1.5, 5), cell(5.5, 5));
    ASSERT_EQ(last.GetBarCount(), 1);
    auto* milestone = dynamic_cast<TQVTMilestoneBar*>(last.GetBarInRow(0));
    ASSERT_NE(milestone, nullptr);
    EXPECT_DOUBLE_EQ(milestone->getEndDate() - milestone->getStartDate(), 1);
    ds.OnBeforeBarAdd = [](TQVTGanttBar*, bool& cancel) { cancel = true; };
    drag(cell(8.5, 5), cell(10.5, 5));
    EXPECT_EQ(last.GetBarCount(), 1);
    EXPECT_EQ(undoCount(), 2);
    EXPECT_TRUE(nothingProvisional());

    // Dragging a bar to the right edge scrolls the chart; the bar follows the pointer.
    const QPoint grabbed = middleOf(*first);
    const int edge = graph.width() - 20 - cw() / 2;
    drag(grabbed, QPoint(edge, grabbed.y()), Qt::NoModifier, 3);
    EXPECT_GT(ds.root()->getStartDate(), Monday - LeadDays) << "the chart scrolled";
    // The bar lands under the pointer, in the dates the chart shows there.
    const TDateTime under = graph.getTime(edge);
    EXPECT_NEAR(first->getStartDate() + (first->getEndDate() - first->getStartDate()) / 2, under, 1.01);
}

TEST_F(GestureTest, ShiftDragFromBarToBarConnectsThemOnceWithAnyPushUnlessVetoed)
{
    drag(middleOf(*first), middleOf(*second), Qt::ShiftModifier, 8);
    ASSERT_EQ(ds.root()->countConnections(), 1);
    const TQVTBarConnection* connection = ds.root()->getConnection(0);
    EXPECT_EQ(connection->barFrom, first);
    EXPECT_EQ(connection->barTo, second);
    EXPECT_EQ(undoCount(), 1);
    EXPECT_TRUE(nothingProvisional());
    // Again onto the same bar, and onto the origin itself: nothing more.
    drag(middleOf(*first), middleOf(*second), Qt::ShiftModifier, 8);
    drag(middleOf(*first), middleOf(*first) + QPoint(3, 0), Qt::ShiftModifier, 2);
    EXPECT_EQ(ds.root()->countConnections(), 1);
    EXPECT_EQ(undoCount(), 1);
    ASSERT_TRUE(ds.GetUndoRedoStack().undo());
    EXPECT_EQ(ds.root()->countConnections(), 0);
    EXPECT_TRUE(saved() == original) << "the saved file differs";

    // The second bar starts before the first ends once they are joined end to start.
    second->setPeriod(Monday + 2, Monday + 4);
    ds.GetTable()->UpdateSummaryBars();
    repaint();
    original = saved();
    const TRect from = rectOf(*first);
    const TRect to = rectOf(*second);
    drag(QPoint(from.Right - 6, (from.Top + from.Bottom) / 2), QPoint(to.Left + 6, (to.Top + to.Bottom) / 2),
         Qt::ShiftModifier, 8);
    ASSERT_EQ(ds.root()->countConnections(), 1);
    EXPECT_GE(second->getStartDate(), first->getEndDate());
    EXPECT_EQ(undoCount(), 1);
    ASSERT_TRUE(ds.GetUndoRedoStack().undo());
    EXPECT_TRUE(saved() == original) << "the saved file differs";

    // Into empty space, or vetoed: nothing.
    drag(middleOf(*first), cell(12.5, 0), Qt::ShiftModifier, 6);
    EXPECT_EQ(ds.root()->countConnections(), 0);
    ds.OnBeforeConnectionAdd = [](TQVTBarConnection*, bool& cancel) { cancel = true; };
    drag(middleOf(*first), middleOf(*second), Qt::ShiftModifier, 8);
    EXPECT_EQ(ds.root()->countConnections(), 0);
    EXPECT_EQ(undoCount(), 0);
    EXPECT_TRUE(nothingProvisional());
    EXPECT_TRUE(saved() == original) << "the saved file differs";
}

TEST_F(GestureTest, EscapeFocusLossTheEmptyAreaAndTheSwitchesLeaveNoTrace)
{
    QTest::mouseMove(&graph, middleOf(*first));
    QTest::mousePress(&graph, Qt::LeftButton, Qt::ShiftModifier, middleOf(*first));
    QTest::mouseMove(&graph, cell(9, 4));
    EXPECT_EQ(graph.getCurrentState(), makingConnection);
    EXPECT_FALSE(nothingProvisional()) << "the provisional connection is drawn while the mouse moves";
    QTest::keyClick(&graph, Qt::Key_Escape);
    EXPECT_EQ(graph.getCurrentState(), simplyMoving);
    EXPECT_TRUE(nothingProvisional());
    QTest::mouseRelease(&graph, Qt::LeftButton, Qt::NoModifier, cell(9, 4));

    QTest::mouseMove(&graph, cell(2.5, 4));
    QTest::mousePress(&graph, Qt::LeftButton, Qt::NoModifier, cell(2.5, 4));
    QTest::mouseMove(&graph, cell(5.5, 4));
    EXPECT_EQ(graph.getCurrentState(), creatingObject);
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(&graph, &out);
    EXPECT_EQ(graph.getCurrentState(), simplyMoving);
    QTest::mouseRelease(&graph, Qt::LeftButton, Qt::NoModifier, cell(5.5, 4));
    EXPECT_TRUE(nothingProvisional());
    EXPECT_EQ(undoCount(), 0);
    EXPECT_TRUE(saved() == original) << "the saved file differs";

    // Below the last row, or without the switches, the gestures do nothing.
    const int count = ds.GetTable()->countRows();
    const int below = ds.GetTable()->getRowStartY(count - 1) + 3 * ds.GetTable()->getRowHeight(count - 1);
    ASSERT_LT(below, graph.height() - 30);
    const QPoint from(ds.root()->getColStartX(0) + 2 * cw(), below);
    drag(from, from + QPoint(3 * cw(), 0));
    EXPECT_EQ(undoCount(), 0);
    EXPECT_TRUE(saved() == original) << "the saved file differs";

    graph.FModifyElements = false;
    graph.FAddElements = false;
    drag(middleOf(*first), middleOf(*first) + QPoint(2 * cw(), 0));
    drag(cell(2.5, 4), cell(6.5, 4));
    drag(middleOf(*first), middleOf(*second), Qt::ShiftModifier, 6);
    EXPECT_EQ(undoCount(), 0);
    EXPECT_TRUE(saved() == original) << "the saved file differs";
}

TEST_F(GestureTest, DeleteRemovesThePointedBarAsOneUndoStepButWaitsUntilTheGestureEnds)
{
    drag(middleOf(*first), middleOf(*first) + QPoint(2 * cw(), 0));
    ASSERT_EQ(undoCount(), 1);
    const QPoint at = middleOf(*second);
    QTest::mouseMove(&graph, at);
    QTest::mousePress(&graph, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseMove(&graph, at + QPoint(cw(), 0));
    QTest::keyClick(&graph, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&graph, Qt::Key_Delete);
    EXPECT_EQ(undoCount(), 1);
    EXPECT_DOUBLE_EQ(first->getStartDate(), Monday + 3);
    EXPECT_EQ(second->getIndexInRow(), 0);
    QTest::mouseRelease(&graph, Qt::LeftButton, Qt::NoModifier, at + QPoint(cw(), 0));
    EXPECT_EQ(undoCount(), 2);
    QTest::keyClick(&graph, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&graph, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(saved() == original) << "the saved file differs";

    // Delete removes the pointed bar with its connections as one undo step.
    ASSERT_TRUE(ds.ConnectionAdd(std::make_shared<TQVTBarConnection>(first, second, TQVTBarConnection::FinishToStart)));
    ds.clearUndoRedoStack();
    repaint();
    original = saved();
    QTest::mouseMove(&graph, middleOf(*first));
    ASSERT_EQ(graph.getPointedObject(), first.get());
    QTest::keyClick(&graph, Qt::Key_Delete);
    EXPECT_EQ(first->getIndexInRow(), -1);
    EXPECT_EQ(ds.root()->countConnections(), 0) << "a bar leaves with its connections";
    EXPECT_EQ(undoCount(), 1);
    QTest::keyClick(&graph, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(saved() == original) << "the saved file differs";
    // A vetoed delete changes nothing.
    ds.OnBeforeBarDelete = [](TQVTGanttBar*, bool& cancel) { cancel = true; };
    repaint();
    QTest::mouseMove(&graph, middleOf(*second) + QPoint(1, 0));
    QTest::mouseMove(&graph, middleOf(*second));
    const int rows = ds.GetTable()->countRows();
    QTest::keyClick(&graph, Qt::Key_Delete);
    EXPECT_EQ(second->getIndexInRow(), 0);
    EXPECT_EQ(ds.GetTable()->countRows(), rows) << "a refused bar delete deletes no rows instead";
}

} // namespace
