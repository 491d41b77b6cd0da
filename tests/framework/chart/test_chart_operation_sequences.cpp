// Random operation sequences with vetoes: consistent model, exact undo and redo of everything.

#include "corvane/framework/chart/qvtConnectionOperations.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtUndoRedoStack.h"

#include "ChartFixture.h"

#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <unordered_set>

using namespace corvane;
using namespace corvane::test;

namespace {

class OperationSequences : public ChartFixture {
protected:
    int pick(int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); }
    bool chance(double p) { return std::bernoulli_distribution(p)(random); }

    // Rows whose levels form a tree, summary bars over children, some PERT boxes joined at random.
    void generate()
    {
        std::vector<RowPlan> rows;
        const int count = pick(4, 14);
        int level = 0;
        for (int i = 0; i < count; ++i) {
            level = i == 0 ? 0 : pick(0, std::min(level + 1, 3));
            rows.push_back(RowPlan{level, {}, false});
        }
        for (int i = 0; i < count; ++i) {
            const bool group = i + 1 < count && rows[i + 1].level > rows[i].level;
            rows[i].pertBox = chance(0.4);
            if (group) {
                rows[i].bars.push_back(std::make_shared<TQVTSummaryBar>());
                continue;
            }
            for (int b = pick(0, 3); b > 0; --b)
                rows[i].bars.push_back(randomBar());
        }
        build(rows);
        table().FSummaryBarConnectable = true;
        std::vector<std::shared_ptr<TQVTGanttBar>> bars;
        std::vector<int> boxes;
        for (int r = 0; r < table().countRows(); ++r) {
            for (const auto& b : row(r).FBarList)
                bars.push_back(b);
            if (row(r).FPertBar)
                boxes.push_back(r);
        }
        for (int c = bars.size() > 1 ? pick(0, 6) : 0; c > 0; --c)
            connect(bars[pick(0, static_cast<int>(bars.size()) - 1)], bars[pick(0, static_cast<int>(bars.size()) - 1)]);
        for (int c = boxes.size() > 1 ? pick(0, 3) : 0; c > 0; --c)
            connectBoxes(boxes[pick(0, static_cast<int>(boxes.size()) - 1)],
                         boxes[pick(0, static_cast<int>(boxes.size()) - 1)]);
    }

    std::shared_ptr<TQVTGanttBar> randomBar()
    {
        const TDateTime start = 100 + pick(0, 40) * 0.5;
        const TDateTime end = start + pick(1, 10) * 0.5;
        switch (pick(0, 3)) {
        case 0:
            return std::make_shared<TQVTProgressBar>(start, end, 0);
        case 1:
            return std::make_shared<TQVTTextBar>(start, end, 0);
        default:
            return std::make_shared<TQVTTaskBar>(start, end, 0);
        }
    }

    std::shared_ptr<TQVTGanttBar> anyBar()
    {
        std::vector<std::shared_ptr<TQVTGanttBar>> bars;
        for (const auto& r : table().FRows)
            bars.insert(bars.end(), r->FBarList.begin(), r->FBarList.end());
        return bars.empty() ? randomBar() : bars[static_cast<std::size_t>(pick(0, static_cast<int>(bars.size()) - 1))];
    }

    // A row index, now and then one outside the table.
    int anyRow() { return pick(-1, table().countRows()); }

    // Operations in a mix that keeps the document from running empty.
    TQVTOperationPtr randomOperation()
    {
        switch (pick(0, 16)) {
        case 0:
        case 1:
            return std::make_shared<TQVTGanttRowInsertOperation>(&hooks, table(), std::make_shared<TQVTGanttRow>(),
                                                                 anyRow());
        case 2:
            return std::make_shared<TQVTGanttRowRemoveOperation>(&hooks, table(), anyRow());
        case 3:
            return std::make_shared<TQVTGanttRowClearOperation>(&hooks, table(), anyRow());
        case 4: {
            const int first = anyRow();
            return std::make_shared<TQVTGanttRowsDeleteOperation>(&hooks, table(), first, first + pick(0, 1));
        }
        case 5:
        case 6:
            return std::make_shared<TQVTBarInsertOperation>(
                &hooks, table(), chance(0.2) ? std::make_shared<TQVTSummaryBar>() : randomBar(), anyRow());
        case 7:
        case 8:
            return std::make_shared<TQVTBarMoveOperation>(&hooks, anyBar(), 100 + pick(0, 40) * 0.5, anyRow());
        case 9:
            return std::make_shared<TQVTBarRemoveOperation>(&hooks, anyBar());
        case 10:
            return std::make_shared<TQVTBarDeleteOperation>(&hooks, anyBar());
        case 11:
            return std::make_shared<TQVTBarResizeOperation>(&hooks, anyBar(), pick(-6, 6) * 0.5, 0, chance(0.5));
        case 12: {
            const TDateTime start = 100 + pick(0, 40);
            return std::make_shared<TQVTBarAssignTimeOperation>(&hooks, anyBar(), start, start + pick(1, 6));
        }
        case 13:
            return std::make_shared<TQVTPertBarInsertOperation>(&hooks, table(), anyRow());
        case 14: {
            const TQVTGanttRow* r = table().getRow(pick(0, std::max(table().countRows() - 1, 0)));
            return std::make_shared<TQVTPertBarDeleteOperation>(&hooks, r && r->FPertBar ? r->FPertBar : nullptr);
        }
        default: {
            // Only between bars of the table: the connection operations take that for granted.
            const auto from = anyBar();
            const auto to = anyBar();
            if (!from->findTable() || !to->findTable())
                return std::make_shared<TQVTGanttRowInsertOperation>(&hooks, table(), std::make_shared<TQVTGanttRow>(),
                                                                     0);
            auto connection = std::make_shared<TQVTBarConnection>(from, to, TQVTBarConnection::FinishToStart);
            return std::make_shared<TQVTConnectionAddOperation>(&hooks, document.get(), connection);
        }
        }
    }

    // Every before-event vetoes now and then.
    void vetoAtRandom(double p)
    {
        hooks.OnBeforeBarAdd = hooks.OnBeforeBarDelete = hooks.OnBeforeBarMove =
            hooks.OnBeforeBarResize = [this, p](TQVTGanttBar*, bool& cancel) { cancel = chance(p); };
        hooks.OnBeforeConnectionAdd =
            hooks.OnBeforeConnectionDelete = [this, p](TQVTBarConnection*, bool& cancel) { cancel = chance(p); };
        hooks.OnGanttBarMove = [this, p](TQVTGanttBar*, int, TDateTime, bool& allowed) { allowed = !chance(p); };
        hooks.OnBarResize = [this, p](TQVTGanttBar*, double, int, bool, bool& allowed) { allowed = !chance(p); };
    }

    // Rows numbered by place, parents right, z-order exactly the boxed rows, each connection once.
    void expectConsistent(int step)
    {
        SCOPED_TRACE("step " + std::to_string(step));
        std::unordered_set<const TQVTGanttBar*> bars;
        std::unordered_set<const TQVTGanttRow*> withBox;
        for (int i = 0; i < table().countRows(); ++i) {
            const TQVTGanttRow& r = row(i);
            ASSERT_EQ(r.FOrder, i);
            ASSERT_EQ(r.getTable(), &table());
            for (const auto& b : r.FBarList) {
                ASSERT_TRUE(bars.insert(b.get()).second) << "a bar in two places";
                ASSERT_EQ(b->getParentRow(), &r);
            }
            if (r.FPertBar) {
                ASSERT_TRUE(bars.insert(r.FPertBar.get()).second);
                ASSERT_EQ(r.FPertBar->getParent(), &r);
                withBox.insert(&r);
            }
        }
        std::unordered_set<const TQVTGanttRow*> ordered;
        for (const auto& r : table().FRowsZOrder)
            ASSERT_TRUE(ordered.insert(r.get()).second);
        ASSERT_EQ(ordered, withBox);
        std::unordered_set<const TQVTBarConnection*> connections;
        for (const auto& c : document->connections) {
            ASSERT_TRUE(connections.insert(c.get()).second) << "a connection listed twice";
            ASSERT_TRUE(bars.contains(c->barFrom.get()) && bars.contains(c->barTo.get())) << "an orphaned connection";
        }
        for (const auto& c : table().FPertBarConnections) {
            ASSERT_TRUE(connections.insert(c.get()).second);
            ASSERT_TRUE(withBox.contains(dynamic_cast<TQVTGanttRow*>(c->barFrom->getParent())) &&
                        withBox.contains(dynamic_cast<TQVTGanttRow*>(c->barTo->getParent())))
                << "a PERT connection to a box that is gone";
        }
        const std::string now = describe();
        table().UpdateSummaryBars();
        ASSERT_EQ(describe(), now) << "summary bars out of date";
        // The whole update gives each box what its row alone gives it.
        for (int i = 0; i < table().countRows(); ++i)
            if (TQVTPertBar* box = row(i).FPertBar.get()) {
                const std::string whole = boxValues(*box);
                box->UpdateRange(row(i));
                ASSERT_EQ(boxValues(*box), whole) << "the box of row " << i;
            }
    }

    static std::string boxValues(const TQVTPertBar& box)
    {
        std::ostringstream out;
        out.precision(17);
        out << box.FstartDate << ' ' << box.FendDate << ' ' << box.FIsSummary << ' ' << box.FHasTaskBar << ' '
            << box.FProgress << ' ' << box.FESTime << ' ' << box.FLFTime << ' ' << box.FLSTime << ' ' << box.FEFTime
            << ' ' << box.FLBTime << ' ' << box.FGBTime << ' ' << box.FEffectiveDuration;
        return out.str();
    }

    void run(unsigned seed, int steps)
    {
        SCOPED_TRACE("seed " + std::to_string(seed));
        random.seed(seed);
        generate();
        ASSERT_NO_FATAL_FAILURE(expectConsistent(-1));
        const std::string original = snapshot();
        vetoAtRandom(0.15);
        for (int step = 0; step < steps; ++step) {
            const std::string before = snapshot();
            const int entries = history.GetUndoOperationCount();
            const TQVTOperationPtr op = randomOperation();
            SCOPED_TRACE(ClassNameOf(typeid(*op)));
            if (!history.doOperation(op)) {
                ASSERT_EQ(snapshot(), before) << "a refused step changed the model, step " << step;
                ASSERT_EQ(history.GetUndoOperationCount(), entries);
            }
            ASSERT_NO_FATAL_FAILURE(expectConsistent(step));
        }
        hooks = Hooks{};
        const std::string final = snapshot();
        const int recorded = history.GetUndoOperationCount();
        for (int i = 0; i < recorded; ++i)
            ASSERT_TRUE(history.undo()) << "undo " << i;
        EXPECT_EQ(snapshot(), original);
        for (int i = 0; i < recorded; ++i)
            ASSERT_TRUE(history.redo()) << "redo " << i;
        EXPECT_EQ(snapshot(), final);
    }

    std::mt19937 random;
    TQVTUndoRedoStack history;
};

TEST_F(OperationSequences, RandomSequencesStayConsistentAndUndoExactly)
{
    for (unsigned seed = 1; seed <= 6; ++seed) {
        history.clear();
        run(seed, 200);
        if (HasFatalFailure())
            return;
    }
}

} // namespace
