// Random gestures, keys, undos and vetoes on the real Gantt control: no crash, no provisional
// object left, table and chart in step, and undoing everything gives the saved file back.
#include "corvane/widgets/qvtGanttGraph.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DateUtils.h"

#include "support/TestSupport.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <random>

using namespace corvane;
using namespace corvane::test;

namespace {

const TDateTime Monday = EncodeDate(2026, 3, 2);

class GestureSequence {
public:
    explicit GestureSequence(unsigned seed) : random(seed)
    {
        buildDocument();
        graph.resize(1100, 480);
        graph.setDataSource(&ds);
        graph.show();
        graph.grab();
        installVetoes();
    }
    ~GestureSequence() { graph.setDataSource(nullptr); }

    std::string saved() { return save(ds); }

    // One random step; answers a description for failure messages.
    std::string step()
    {
        switch (pick(10)) {
        case 0:
            vetoing = false;
            QTest::keyClick(&graph, Qt::Key_Z, Qt::ControlModifier);
            return "undo";
        case 1:
            vetoing = false;
            QTest::keyClick(&graph, Qt::Key_Y, Qt::ControlModifier);
            return "redo";
        case 2: {
            vetoing = true;
            const QPoint at = somewhere();
            QTest::mouseMove(&graph, at);
            QTest::keyClick(&graph, Qt::Key_Delete);
            return "delete at " + text(at);
        }
        default:
            vetoing = true;
            return gesture();
        }
    }

    // What must hold between gestures.
    void checkInvariants(const std::string& what)
    {
        SCOPED_TRACE(what);
        ASSERT_EQ(graph.getCurrentState() == simplyMoving || graph.getCurrentState() == ignoringSymbol, true);
        TQVTGanttTable& table = *ds.GetTable();
        TQVTTreeGrid& tree = *ds.GetTree();
        ASSERT_EQ(tree.rowsCount(), table.countRows());
        for (int r = 0; r < table.countRows(); ++r) {
            ASSERT_EQ(tree.getRow(r)->FIndex, r);
            ASSERT_EQ(table.getRow(r)->FOrder, r);
            for (int b = 0; b < table.getRow(r)->GetBarCount(); ++b)
                ASSERT_EQ(dynamic_cast<TQVTFakeBar*>(table.getRow(r)->GetBarInRow(b)), nullptr);
        }
        for (int c = 0; c < ds.root()->countConnections(); ++c) {
            const TQVTBarConnection* connection = ds.root()->getConnection(c);
            ASSERT_EQ(connection->barFrom->findTable(), &table);
            ASSERT_EQ(connection->barTo->findTable(), &table);
        }
    }

    int undoDepth() { return ds.GetUndoRedoStack().GetUndoOperationCount(); }
    void scrollBack() { ds.root()->setStartDate(Monday); }

    void undoAll()
    {
        vetoing = false;
        while (ds.GetUndoRedoStack().GetUndoOperationCount() > 0)
            ASSERT_TRUE(ds.GetUndoRedoStack().undo());
    }

private:
    void buildDocument()
    {
        for (int i = 0; i < 4; ++i) {
            ASSERT_TRUE(ds.RowAppend());
            const int parent = ds.GetTable()->countRows() - 1;
            for (int k = 0; k < 2; ++k)
                ASSERT_TRUE(ds.RowChildInsert(parent));
        }
        ds.root()->getCalendar()->SetTimeMode(tmDay);
        ds.root()->setStartDate(Monday);
        TQVTGanttTable& table = *ds.GetTable();
        for (int r = 0; r < table.countRows(); ++r) {
            if (table.getRow(r)->IsGroup())
                continue;
            const TDateTime start = Monday + 1 + pick(12);
            std::shared_ptr<TQVTGanttBar> bar;
            if (r % 5 == 4)
                bar = std::make_shared<TQVTMilestoneBar>(start, start + 1, r);
            else
                bar = std::make_shared<TQVTTaskBar>(start, start + 1 + pick(4), r);
            ASSERT_TRUE(ds.BarAdd(bar, r));
            bars.push_back(bar);
        }
        for (std::size_t i = 0; i + 2 < bars.size(); i += 3)
            ds.ConnectionAdd(std::make_shared<TQVTBarConnection>(bars[i], bars[i + 2], TQVTBarConnection::FinishToStart));
        ds.clearUndoRedoStack();
    }

    void installVetoes()
    {
        const auto maybe = [this](bool& cancel) { cancel = vetoing && pick(5) == 0; };
        ds.OnBeforeBarAdd = ds.OnBeforeBarDelete = ds.OnBeforeBarMove = ds.OnBeforeBarResize =
            [maybe](TQVTGanttBar*, bool& cancel) { maybe(cancel); };
        ds.OnBeforeConnectionAdd = ds.OnBeforeConnectionDelete = [maybe](TQVTBarConnection*, bool& cancel) {
            maybe(cancel);
        };
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    static std::string text(QPoint p) { return std::to_string(p.x()) + "," + std::to_string(p.y()); }

    // A point on a bar (middle or near an edge) or anywhere in the chart.
    QPoint somewhere()
    {
        if (pick(2) == 0 && !bars.empty()) {
            TQVTGanttBar& bar = *bars[static_cast<std::size_t>(pick(static_cast<int>(bars.size())))];
            const TRect r = bar.getDrawer(vtGanttGraph)->getRect();
            if (r.Right > r.Left) {
                const int x = pick(3) == 0 ? r.Right - 1 - pick(6) : (r.Left + r.Right) / 2;
                return QPoint(x, (r.Top + r.Bottom) / 2);
            }
        }
        return QPoint(pick(graph.width() - 20), pick(graph.height() - 20));
    }

    std::string gesture()
    {
        static const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier,
                                                     Qt::ControlModifier};
        const Qt::KeyboardModifiers mod = mods[pick(4)];
        const QPoint from = somewhere();
        const QPoint to = pick(4) == 0 ? from + QPoint(pick(21) - 10, pick(21) - 10) : somewhere();
        const int steps = 1 + pick(5);
        QTest::mouseMove(&graph, from);
        QTest::mousePress(&graph, Qt::LeftButton, mod, from);
        std::string ending = "release";
        for (int i = 1; i <= steps; ++i) {
            QTest::mouseMove(&graph, from + (to - from) * i / steps);
            if (pick(30) == 0) {
                QTest::keyClick(&graph, Qt::Key_Escape);
                ending = "escape";
            } else if (pick(30) == 0) {
                QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
                QApplication::sendEvent(&graph, &out);
                ending = "focus loss";
            }
        }
        QTest::mouseRelease(&graph, Qt::LeftButton, mod, to);
        graph.grab();
        return "drag " + text(from) + " -> " + text(to) + " mods " + std::to_string(mod) + " " + ending;
    }

    std::mt19937 random;
    TQVTDataSource ds;
    TQVTGanttGraph graph;
    std::vector<std::shared_ptr<TQVTGanttBar>> bars;
    bool vetoing = false;
    DocumentSaver save;
};

TEST(GestureSequences, NeverLeaveATraceAndUndoToTheOriginalFile)
{
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        GestureSequence sequence(seed);
        const std::string original = sequence.saved();
        int recorded = 0;
        for (int i = 0; i < 120; ++i) {
            const std::string what = sequence.step();
            recorded = std::max(recorded, sequence.undoDepth());
            sequence.checkInvariants(what);
            if (::testing::Test::HasFatalFailure())
                return;
        }
        EXPECT_GT(recorded, 3) << "the gestures changed the document";
        sequence.undoAll();
        // Drags to the edges scroll; the scroll position is saved but is no edit.
        sequence.scrollBack();
        EXPECT_TRUE(sequence.saved() == original) << "the saved file differs";
    }
}

} // namespace
