// The critical path against a plain reading of the definition and against a whole computation.

#include "corvane/framework/chart/qvtConnectionOperations.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtUndoRedoStack.h"
#include "corvane/framework/objects/qvtObjectEditor.h"
#include "corvane/framework/pert/qvtCriticalPath.h"
#include "corvane/framework/time/qvtDateException.h"
#include "corvane/platform/DateUtils.h"

#include "../chart/ChartFixture.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using namespace corvane;
using namespace corvane::test;

namespace {

const TDateTime Monday = EncodeDate(2024, 3, 4);

std::shared_ptr<TQVTGanttBar> task(TDateTime start, TDateTime end)
{
    return std::make_shared<TQVTTaskBar>(start, end, 0);
}

class CriticalPath : public ChartFixture {
protected:
    void withWeekends() { document->Fcalendar->addDateCategory(std::make_shared<TQVTWeekendsDateCategory>()); }

    TQVTTaskBar& taskAt(int r) { return dynamic_cast<TQVTTaskBar&>(*bar(r, 0)); }
    TQVTCriticalPathCalculator& calculator() { return table().getCriticalPathCalculator(); }
    std::vector<TQVTTaskBar*> critical() { return calculator().criticalBars(); }
};

TEST_F(CriticalPath, AnUnconnectedShorterBarHasTheDifferenceAsGlobalBuffer)
{
    build({{0, {task(Monday, Monday + 2)}}, {0, {task(Monday, Monday + 5)}}});
    withWeekends();
    table().updateCriticalPath();
    EXPECT_EQ(calculator().getProjectEnd(), Monday + 5);
    EXPECT_EQ(critical(), std::vector<TQVTTaskBar*>{&taskAt(1)});
    EXPECT_TRUE(taskAt(1).FCriticalElement);
    EXPECT_FALSE(taskAt(0).FCriticalElement);
    EXPECT_DOUBLE_EQ(taskAt(0).FGBTime, 3);
    EXPECT_DOUBLE_EQ(taskAt(0).FESTime, Monday);
    EXPECT_DOUBLE_EQ(taskAt(1).FLFTime, Monday + 5);
}

TEST_F(CriticalPath, AChainAcrossAWeekendIsCriticalWithItsConnection)
{
    // A: Thursday and Friday; B starts one working day after A's end (Tuesday) for two days.
    build({{0, {task(Monday + 3, Monday + 5)}}, {0, {task(Monday + 8, Monday + 10)}}});
    withWeekends();
    auto link = connect(bar(0, 0), bar(1, 0));
    link->FMinDistance = 1;
    link->FWorkingDays = true;
    table().updateCriticalPath();
    EXPECT_EQ(critical().size(), 2u);
    EXPECT_TRUE(link->FCriticalElement);
    EXPECT_EQ(calculator().criticalConnections(), std::vector<TQVTBarConnection*>{link.get()});
    EXPECT_NEAR(taskAt(0).FLBTime, 0, 1e-9);
    EXPECT_NEAR(taskAt(1).FESTime, Monday + 8, 1e-9);
    // A later run that no longer finds them clears the marks.
    link->FMinDistance = 0;
    table().updateCriticalPath();
    EXPECT_FALSE(link->FCriticalElement);
    EXPECT_FALSE(taskAt(0).FCriticalElement);
}

TEST_F(CriticalPath, AWholeRunReadsBarsThatChangedWithoutNotice)
{
    // A (Monday, Tuesday) before B (Wednesday); C alone, longer.
    build({{0, {task(Monday, Monday + 2)}}, {0, {task(Monday + 2, Monday + 3)}}, {0, {task(Monday, Monday + 4)}}});
    withWeekends();
    connect(bar(0, 0), bar(1, 0));
    table().updateCriticalPath();
    EXPECT_EQ(critical(), std::vector<TQVTTaskBar*>{&taskAt(2)});
    // The same bars and connections, A now a day longer: the chain ends last.
    taskAt(0).setEndDate(Monday + 3);
    taskAt(1).setStartDate(Monday + 3);
    taskAt(1).setEndDate(Monday + 5);
    table().updateCriticalPath();
    EXPECT_EQ(calculator().getProjectEnd(), Monday + 5);
    EXPECT_EQ(critical(), (std::vector<TQVTTaskBar*>{&taskAt(0), &taskAt(1)}));
    EXPECT_NEAR(taskAt(2).FGBTime, 1, 1e-9);
    // C a day later with its four working days, ending with the chain: nothing else changed,
    // and its effective times are read again all the same.
    taskAt(2).setStartDate(Monday + 1);
    table().updateCriticalPath();
    EXPECT_EQ(critical(), (std::vector<TQVTTaskBar*>{&taskAt(0), &taskAt(1), &taskAt(2)}));
    EXPECT_NEAR(taskAt(2).FGBTime, 0, 1e-9);
}

TEST_F(CriticalPath, CalendarDayDistancesRunOverTheWeekend)
{
    // A ends Friday night; with two calendar days B may start on Monday, with two working days
    // only on Wednesday.
    build({{0, {task(Monday + 4, Monday + 5)}}, {0, {task(Monday + 7, Monday + 8)}}});
    withWeekends();
    auto link = connect(bar(0, 0), bar(1, 0));
    link->FMinDistance = 2;
    link->FWorkingDays = false;
    table().updateCriticalPath();
    EXPECT_NEAR(taskAt(1).FESTime, Monday + 7, 1e-9);
    EXPECT_EQ(critical().size(), 2u);
    link->FWorkingDays = true;
    table().updateCriticalPath();
    EXPECT_NEAR(taskAt(1).FESTime, Monday + 9, 1e-9);
    EXPECT_NEAR(taskAt(0).FLBTime, -2, 1e-9);
}

TEST_F(CriticalPath, AConnectionEditedInTheObjectEditorMovesItsTargetAndItsUndoMovesItBack)
{
    build({{0, {task(Monday, Monday + 1)}}, {0, {task(Monday + 1, Monday + 2)}}});
    withWeekends();
    auto link = connect(bar(0, 0), bar(1, 0));
    table().updateCriticalPath();
    EXPECT_NEAR(taskAt(1).FESTime, Monday + 1, 1e-9);
    TQVTObjectEditor editor;
    const auto edit = editor.edit(link.get());
    link->FMinDistance = 2;
    static_cast<TQVTEditObjectOperation&>(*edit).Activate();
    ASSERT_TRUE(edit->perform());
    EXPECT_NEAR(taskAt(1).FESTime, Monday + 3, 1e-9);
    ASSERT_TRUE(edit->undo());
    EXPECT_NEAR(taskAt(1).FESTime, Monday + 1, 1e-9);
}

TEST_F(CriticalPath, AnEmptyTableMarksNothing)
{
    build({});
    table().updateCriticalPath();
    EXPECT_TRUE(critical().empty());
    EXPECT_TRUE(calculator().criticalConnections().empty());
    build({{0, {task(Monday, Monday + 1)}}});
    table().setAutoUpdateCriticalPath(false);
    table().updateCriticalPath();
    EXPECT_FALSE(taskAt(0).FCriticalElement);
}

// ---- the definition, read plainly ----

struct Expected {
    std::vector<char> alive;
    std::vector<double> es, lf, lb, gb;
    std::vector<char> critical;
    std::vector<std::pair<int, int>> criticalPairs;
};

// Every bar's values by walking every path of the event graph, with the calendar's own
// arithmetic; the bars on cycles are those whose events reach themselves.
Expected byDefinition(const std::vector<TQVTTaskBar*>& bars, const std::vector<TQVTBarConnection*>& connections,
                      TQVTDocumentCalendar& cal)
{
    const int n = static_cast<int>(bars.size());
    struct Edge {
        int from, to;
        int bar;
        const TQVTBarConnection* c;
    };
    std::vector<Edge> edges;
    std::vector<std::pair<int, int>> pairs;
    const auto indexOf = [&](const TQVTGanttBar* b) {
        for (int i = 0; i < n; ++i)
            if (bars[static_cast<std::size_t>(i)] == b)
                return i;
        return -1;
    };
    for (int i = 0; i < n; ++i)
        edges.push_back({2 * i, 2 * i + 1, i, nullptr});
    for (const TQVTBarConnection* c : connections) {
        const int i = indexOf(c->barFrom.get());
        const int j = indexOf(c->barTo.get());
        if (std::find(pairs.begin(), pairs.end(), std::pair{i, j}) != pairs.end())
            continue;
        pairs.emplace_back(i, j);
        edges.push_back({(c->getConnType() & 2) ? 2 * i : 2 * i + 1, (c->getConnType() & 1) ? 2 * j : 2 * j + 1, -1, c});
    }
    const int nodes = 2 * n;
    const auto reaches = [&](int from, int target) {
        std::vector<char> seen(static_cast<std::size_t>(nodes), 0);
        std::vector<int> todo{from};
        while (!todo.empty()) {
            const int v = todo.back();
            todo.pop_back();
            for (const Edge& e : edges)
                if (e.from == v) {
                    if (e.to == target)
                        return true;
                    if (!seen[static_cast<std::size_t>(e.to)]++)
                        todo.push_back(e.to);
                }
        }
        return false;
    };
    Expected x;
    x.alive.assign(static_cast<std::size_t>(n), 1);
    for (int i = 0; i < n; ++i)
        if (reaches(2 * i, 2 * i) || reaches(2 * i + 1, 2 * i + 1))
            x.alive[static_cast<std::size_t>(i)] = 0;
    std::erase_if(edges, [&](const Edge& e) {
        return !x.alive[static_cast<std::size_t>(e.from / 2)] || !x.alive[static_cast<std::size_t>(e.to / 2)];
    });

    std::vector<double> duration(static_cast<std::size_t>(n));
    std::vector<double> effEnd(static_cast<std::size_t>(n));
    double ps = 0, pe = 0;
    for (int i = 0; i < n; ++i) {
        const auto u = static_cast<std::size_t>(i);
        duration[u] = std::max(bars[u]->getEffectiveDuration(), 0.0);
        effEnd[u] = cal.addEffective(bars[u]->getStartDate(), duration[u], false);
        if (!x.alive[u])
            continue;
        const double es = cal.findFirstEffective(bars[u]->getStartDate());
        if (ps == 0 || es < ps)
            ps = es;
        if (pe == 0 || effEnd[u] > pe)
            pe = effEnd[u];
    }
    const auto W = [&](TDateTime t) { return cal.diffEffective(ps, cal.findFirstEffective(t)); };
    const auto D = [&](double w) { return w >= 0 ? cal.addEffective(ps, w, false) : cal.substrEffective(ps, -w); };
    const auto moment = [&](int node, double w) { return node % 2 == 0 ? cal.findFirstEffective(D(w)) : D(w); };
    const auto forward = [&](const Edge& e, double w) {
        if (!e.c)
            return w + duration[static_cast<std::size_t>(e.bar)];
        if (e.c->FWorkingDays)
            return w + e.c->FMinDistance;
        return W(moment(e.from, w) + e.c->FMinDistance);
    };
    const auto backward = [&](const Edge& e, double w) {
        if (!e.c)
            return w - duration[static_cast<std::size_t>(e.bar)];
        if (e.c->FWorkingDays)
            return w - e.c->FMinDistance;
        return W(cal.findFirstEffective(D(w)) - e.c->FMinDistance);
    };
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> early(static_cast<std::size_t>(nodes), -inf), late(static_cast<std::size_t>(nodes), inf);
    // Every path from every source, and back from every sink.
    std::function<void(int, double)> walkOn = [&](int v, double w) {
        early[static_cast<std::size_t>(v)] = std::max(early[static_cast<std::size_t>(v)], w);
        for (const Edge& e : edges)
            if (e.from == v)
                walkOn(e.to, forward(e, w));
    };
    std::function<void(int, double)> walkBack = [&](int v, double w) {
        late[static_cast<std::size_t>(v)] = std::min(late[static_cast<std::size_t>(v)], w);
        for (const Edge& e : edges)
            if (e.to == v)
                walkBack(e.from, backward(e, w));
    };
    for (int v = 0; v < nodes; ++v) {
        if (!x.alive[static_cast<std::size_t>(v / 2)])
            continue;
        const bool source = std::none_of(edges.begin(), edges.end(), [v](const Edge& e) { return e.to == v; });
        const bool sink = std::none_of(edges.begin(), edges.end(), [v](const Edge& e) { return e.from == v; });
        if (source)
            walkOn(v, 0);
        if (sink)
            walkBack(v, W(pe));
    }
    x.es.assign(static_cast<std::size_t>(n), 0);
    x.lf = x.lb = x.gb = x.es;
    x.critical.assign(static_cast<std::size_t>(n), 0);
    for (int i = 0; i < n; ++i) {
        const auto u = static_cast<std::size_t>(i);
        if (!x.alive[u])
            continue;
        x.es[u] = cal.addEffective(ps, early[2 * u], true);
        x.lf[u] = cal.substrEffective(pe, W(pe) - late[2 * u + 1]);
        x.gb[u] = x.lf[u] - effEnd[u];
        x.lb[u] = pe - effEnd[u];
        x.critical[u] = std::abs(x.gb[u]) <= TQVTCriticalPathCalculator::Tolerance;
    }
    for (const Edge& e : edges) {
        if (!e.c)
            continue;
        const int i = e.from / 2, j = e.to / 2;
        const double a = (e.c->getConnType() & 2) ? bars[static_cast<std::size_t>(i)]->getStartDate()
                                                   : bars[static_cast<std::size_t>(i)]->getEndDate();
        const double b = (e.c->getConnType() & 1) ? bars[static_cast<std::size_t>(j)]->getStartDate()
                                                   : bars[static_cast<std::size_t>(j)]->getEndDate();
        const double gap = e.c->FWorkingDays ? cal.diffEffective(a, b) : b - a;
        x.lb[static_cast<std::size_t>(i)] = std::min(x.lb[static_cast<std::size_t>(i)], gap - e.c->FMinDistance);
        if (x.critical[static_cast<std::size_t>(i)] && x.critical[static_cast<std::size_t>(j)])
            x.criticalPairs.emplace_back(i, j);
    }
    std::sort(x.criticalPairs.begin(), x.criticalPairs.end());
    return x;
}

class RandomSchedules : public CriticalPath {
protected:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    // rowCount bars over ten weeks, one holiday, the first spanning all when asked; no connections.
    void makeEditedSchedule(int rowCount, bool spanning)
    {
        std::vector<RowPlan> rows;
        if (spanning)
            rows.push_back({0, {task(Monday, Monday + 70)}, false});
        while (static_cast<int>(rows.size()) < rowCount) {
            const TDateTime start = Monday + pick(7, 50) + pick(0, 3) * 0.25;
            rows.push_back({0, {task(start, start + pick(1, 10) * 0.5)}, false});
        }
        build(rows);
        withWeekends();
        auto holidays = std::make_shared<TQVTHolidaysDateCategory>();
        holidays->addDate(std::make_shared<TQVTFixedDateException>(Monday + pick(10, 40), "Holiday"));
        document->Fcalendar->addDateCategory(holidays);
    }

    // Up to 8 bars and 12 connections of every kind; connections run forward unless cycles are wanted.
    void makeSchedule(bool cycles)
    {
        const int n = pick(1, 8);
        std::vector<RowPlan> rows;
        for (int i = 0; i < n; ++i) {
            const TDateTime start = Monday + pick(0, 30) + pick(0, 3) * 0.25;
            rows.push_back({0, {task(start, start + pick(1, 8) * 0.5)}, false});
        }
        build(rows);
        withWeekends();
        auto holidays = std::make_shared<TQVTHolidaysDateCategory>();
        for (int h = pick(0, 4); h > 0; --h)
            holidays->addDate(std::make_shared<TQVTFixedDateException>(Monday + pick(0, 40), "Holiday"));
        document->Fcalendar->addDateCategory(holidays);
        for (int c = pick(0, 12); c > 0; --c) {
            int i = pick(0, n - 1), j = pick(0, n - 1);
            if (!cycles) {
                if (i == j)
                    continue;
                if (i > j)
                    std::swap(i, j);
            }
            auto link = connect(bar(i, 0), bar(j, 0));
            link->setConnType(pick(0, 3));
            link->FMinDistance = pick(-2, 3);
            link->FWorkingDays = pick(0, 1) == 1;
        }
    }

    // Runs the calculator and compares it with the definition; answers whether it found a cycle.
    bool checkAgainstDefinition(int seed)
    {
        std::vector<TQVTTaskBar*> bars;
        for (int r = 0; r < table().countRows(); ++r)
            bars.push_back(&taskAt(r));
        std::vector<TQVTBarConnection*> connections;
        for (const auto& c : document->connections)
            connections.push_back(c.get());
        const Expected x = byDefinition(bars, connections, *document->Fcalendar);
        capture.log.clear();
        table().updateCriticalPath();
        bool cyclic = false;
        std::vector<std::pair<int, int>> pairs;
        for (TQVTBarConnection* c : calculator().criticalConnections()) {
            const auto at = [&](const TQVTGanttBar* b) {
                return static_cast<int>(std::find(bars.begin(), bars.end(), b) - bars.begin());
            };
            pairs.emplace_back(at(c->barFrom.get()), at(c->barTo.get()));
        }
        EXPECT_EQ(pairs, x.criticalPairs) << "seed " << seed;
        for (std::size_t i = 0; i < bars.size(); ++i) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " bar " + std::to_string(i));
            cyclic |= !x.alive[i];
            EXPECT_NEAR(bars[i]->FESTime, x.es[i], 1e-6);
            EXPECT_NEAR(bars[i]->FLFTime, x.lf[i], 1e-6);
            EXPECT_NEAR(bars[i]->FLBTime, x.lb[i], 1e-6);
            EXPECT_NEAR(bars[i]->FGBTime, x.gb[i], 1e-6);
            EXPECT_EQ(bars[i]->FCriticalElement, x.critical[i] != 0);
        }
        const std::size_t cycleBars = static_cast<std::size_t>(std::count(x.alive.begin(), x.alive.end(), 0));
        EXPECT_EQ(calculator().cycleBars().size(), cycleBars) << "seed " << seed;
        if (cycleBars > 0) {
            EXPECT_NE(std::find(capture.log.begin(), capture.log.end(),
                                "Critical path: " + std::to_string(cycleBars) +
                                    " task bars lie on precedence cycles and are left out"),
                      capture.log.end())
                << "seed " << seed;
        }
        return cyclic;
    }

    std::mt19937 rng;
};

TEST_F(RandomSchedules, AcyclicAndCyclicSchedulesGiveTheValuesOfTheDefinition)
{
    rng.seed(7);
    for (int seed = 0; seed < 1500 && !HasFailure(); ++seed) {
        makeSchedule(false);
        EXPECT_FALSE(checkAgainstDefinition(seed));
    }
    // Cycles are left out and logged, the rest computed.
    rng.seed(11);
    int withCycles = 0;
    for (int seed = 0; seed < 500 && !HasFailure(); ++seed) {
        makeSchedule(true);
        withCycles += checkAgainstDefinition(seed) ? 1 : 0;
    }
    EXPECT_GT(withCycles, 100);
}

// Everything a run leaves behind, bars in row order.
struct Outcome {
    std::vector<std::vector<double>> values;
    std::vector<TQVTTaskBar*> critical;
    std::vector<TQVTBarConnection*> criticalConnections;
    std::vector<TQVTTaskBar*> cycle;
    TDateTime projectStart = 0;
    TDateTime projectEnd = 0;

    bool operator==(const Outcome&) const = default;
};

Outcome outcomeOf(TQVTGanttTable& table, const TQVTCriticalPathCalculator& calculator)
{
    Outcome o;
    for (const auto& row : table.FRows)
        for (const auto& b : row->FBarList) {
            const auto& t = dynamic_cast<const TQVTTaskBar&>(*b);
            o.values.push_back({t.FESTime, t.FLFTime, t.FLBTime, t.FGBTime, t.FCriticalElement ? 1.0 : 0.0});
        }
    o.critical = calculator.criticalBars();
    o.criticalConnections = calculator.criticalConnections();
    o.cycle = calculator.cycleBars();
    o.projectStart = calculator.getProjectStart();
    o.projectEnd = calculator.getProjectEnd();
    return o;
}

// The table's result after its update equals a fresh calculator's.
void expectWhatAWholeComputationGives(TQVTGanttTable& table, const TQVTCriticalPathCalculator& updatedBy, int seed,
                                      int step)
{
    const Outcome updated = outcomeOf(table, updatedBy);
    TQVTCriticalPathCalculator whole(&table);
    whole.refreshCriticalPath();
    EXPECT_TRUE(updated == outcomeOf(table, whole)) << "seed " << seed << " step " << step;
}

TEST_F(RandomSchedules, EveryEditLeavesWhatAWholeComputationGives)
{
    // Moves, resizes, connection edits, undo and redo, some vetoed.
    rng.seed(23);
    TQVTDataSourceIntf hooks;
    hooks.AutoCreatePertbars = false;
    hooks.OnBeforeBarMove = [&](TQVTGanttBar*, bool& cancel) { cancel = pick(0, 5) == 0; };
    hooks.OnBeforeConnectionAdd = [&](TQVTBarConnection*, bool& cancel) { cancel = pick(0, 5) == 0; };
    // A log that reaches somebody names bars by a fresh gathering, which would hide the update.
    const TLogObserver listening = SetLogObserver(nullptr);
    for (int seed = 0; seed < 150 && !HasFailure(); ++seed) {
        makeSchedule(seed % 3 == 0);
        table().updateCriticalPath();
        TQVTUndoRedoStack history;
        std::vector<std::shared_ptr<TQVTGanttBar>> bars;
        for (int r = 0; r < table().countRows(); ++r)
            bars.push_back(bar(r, 0));
        const int rows = table().countRows();
        for (int step = 0; step < 40 && !HasFailure(); ++step) {
            const auto& b = bars[static_cast<std::size_t>(pick(0, rows - 1))];
            switch (pick(0, 6)) {
            case 0:
                history.doOperation(std::make_shared<TQVTBarMoveOperation>(
                    &hooks, b, b->getStartDate() + pick(-3, 3) * 0.5, pick(0, rows - 1)));
                break;
            case 1:
                history.doOperation(std::make_shared<TQVTBarResizeOperation>(&hooks, b, pick(-1, 2), 0, pick(0, 1)));
                break;
            case 2: {
                auto link = std::make_shared<TQVTBarConnection>(b, bars[static_cast<std::size_t>(pick(0, rows - 1))],
                                                                pick(0, 3));
                link->FMinDistance = pick(-1, 2);
                history.doOperation(std::make_shared<TQVTConnectionAddOperation>(&hooks, document.get(), link));
                break;
            }
            case 3:
                if (!document->connections.empty())
                    history.doOperation(std::make_shared<TQVTConnectionDeleteOperation>(
                        &hooks, document.get(),
                        document->connections[static_cast<std::size_t>(pick(0, document->countConnections() - 1))]));
                break;
            case 4:
                history.undo();
                break;
            case 5:
                // The same edges with another distance or kind keep the event order.
                if (!document->connections.empty()) {
                    TQVTBarConnection& c =
                        *document->connections[static_cast<std::size_t>(pick(0, document->countConnections() - 1))];
                    c.FMinDistance = pick(-1, 2);
                    c.FWorkingDays = pick(0, 1) == 1;
                    table().updateCriticalPath();
                }
                break;
            default:
                history.redo();
            }
            expectWhatAWholeComputationGives(table(), calculator(), seed, step);
        }
    }
    SetLogObserver(listening);
}

TEST_F(RandomSchedules, EditsWithinTheProjectsSpanGiveWhatAWholeComputationGives)
{
    // A bar spanning the schedule fixes the project's span, so only what follows from an edit is redone.
    rng.seed(31);
    TQVTDataSourceIntf hooks;
    hooks.AutoCreatePertbars = false;
    const TLogObserver listening = SetLogObserver(nullptr);
    for (int seed = 0; seed < 12 && !HasFailure(); ++seed) {
        constexpr int Rows = 40;
        makeEditedSchedule(Rows, true);
        for (int c = 0; c < 60; ++c) {
            const int i = pick(1, Rows - 2);
            auto link = connect(bar(i, 0), bar(pick(i + 1, Rows - 1), 0));
            link->setConnType(pick(0, 3));
            link->FMinDistance = pick(-1, 3);
            link->FWorkingDays = pick(0, 3) != 0;
        }
        table().setAutoUpdateCriticalPath(true);
        table().updateCriticalPath();
        TQVTUndoRedoStack history;
        std::vector<std::shared_ptr<TQVTGanttBar>> bars;
        for (int r = 1; r < Rows; ++r)
            bars.push_back(bar(r, 0));
        for (int step = 0; step < 60 && !HasFailure(); ++step) {
            const auto& b = bars[static_cast<std::size_t>(pick(0, Rows - 2))];
            switch (pick(0, 4)) {
            case 0:
            case 1:
                history.doOperation(std::make_shared<TQVTBarMoveOperation>(
                    &hooks, b, Monday + pick(7, 55) + pick(0, 3) * 0.25, b->getRow()));
                break;
            case 2:
                history.doOperation(std::make_shared<TQVTBarResizeOperation>(&hooks, b, pick(-1, 2), 0, true));
                break;
            case 3:
                history.undo();
                break;
            default:
                history.redo();
            }
            expectWhatAWholeComputationGives(table(), calculator(), seed, step);
        }
    }
    SetLogObserver(listening);
}

TEST_F(RandomSchedules, ConnectionEditsGiveWhatAWholeComputationGives)
{
    // Connections inserted, deleted, reordered (which changes the one of a pair that counts) or
    // altered, singly or in batches, so events reorder and cycles come and go.
    rng.seed(43);
    for (int seed = 0; seed < 40 && !HasFailure(); ++seed) {
        const bool spanning = seed % 2 == 0;
        const int rowCount = pick(6, 24);
        makeEditedSchedule(rowCount, spanning);
        const int first = spanning ? 1 : 0;
        // Every third schedule may close cycles.
        const bool cycles = seed % 3 == 0;
        const auto randomConnection = [&] {
            int i = pick(first, rowCount - 2);
            int j = pick(i + 1, rowCount - 1);
            if (cycles && pick(0, 7) == 0)
                std::swap(i, j);
            if (cycles && pick(0, 15) == 0)
                j = i;
            auto link = std::make_shared<TQVTBarConnection>(bar(i, 0), bar(j, 0), pick(0, 3));
            link->setParent(document.get());
            link->FMinDistance = pick(-1, 3);
            link->FWorkingDays = pick(0, 3) != 0;
            return link;
        };
        auto& list = document->connections;
        for (int c = 0; c < rowCount * 3 / 2; ++c)
            list.push_back(randomConnection());
        table().updateCriticalPath();
        const auto anyPlace = [&](std::size_t size) { return static_cast<long>(pick(0, static_cast<int>(size) - 1)); };
        const auto edit = [&](int kind) {
            if (list.empty() || kind == 0) {
                list.insert(list.begin() + anyPlace(list.size() + 1), randomConnection());
                return;
            }
            const auto at = list.begin() + anyPlace(list.size());
            TQVTBarConnection& c = **at;
            switch (kind) {
            case 1:
                list.erase(at);
                break;
            case 2:
                c.setConnType(c.getConnType() ^ (1 << pick(0, 1)));
                break;
            case 3:
                c.FMinDistance = pick(-1, 3);
                c.FWorkingDays = pick(0, 1) == 1;
                break;
            default: {
                auto moved = *at;
                list.erase(at);
                list.insert(list.begin() + anyPlace(list.size() + 1), moved);
            }
            }
        };
        for (int step = 0; step < 50 && !HasFailure(); ++step) {
            if (pick(0, 3) == 0)
                for (int k = pick(2, 8); k > 0; --k)
                    edit(pick(0, 4));
            else
                edit(pick(0, 4));
            table().updateCriticalPath();
            expectWhatAWholeComputationGives(table(), calculator(), seed, step);
            if (rowCount <= 12 && step % 5 == 4)
                checkAgainstDefinition(seed * 100 + step);
        }
    }
}

} // namespace
