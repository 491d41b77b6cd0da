#include "corvane/framework/pert/qvtCriticalPath.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DiagnosticLog.h"
#include "corvane/platform/RealText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <typeinfo>

namespace corvane {

namespace {

// Working-time results that differ by less than this (in days) are the same moment; sums of
// differences of dates do not reproduce the calendar's own sums to the last bit.
constexpr double Eps = 1e-9;

double finiteOr0(double v)
{
    return std::isfinite(v) ? v : 0.0;
}

// The working-time arithmetic of a calendar (row -1) over the span of one computation. The
// non-working intervals are walked once, in the order the calendar's own searches find them,
// and every question is then a binary search; arguments before the walk's start go to the
// calendar itself. Without a calendar every moment is working.
class WorkingAxis {
public:
    WorkingAxis(IQVTCalendar* calendar, TDateTime lo) : FCalendar(calendar), FLo(lo), FFrontier(lo), FDone(!calendar)
    {
    }

    // Working time from the start of the walk to x; flat over non-working time.
    double work(TDateTime x)
    {
        if (x < FLo) {
            if (!FCalendar)
                return x - FLo;
            const TDateTime a = FCalendar->findFirstEffective(x);
            return a >= FLo ? work(a) : -FCalendar->diffEffective(a, FCalendar->findFirstEffective(FLo));
        }
        extendPast(x);
        const long k = lastStartingAtOrBefore(x);
        if (k < 0)
            return x - FLo;
        const auto i = static_cast<std::size_t>(k);
        return x < FEnd[i] ? FWork[i] : FWork[i] + (x - FEnd[i]);
    }

    // The earliest moment whose working time from the start of the walk is w.
    TDateTime earliest(double w)
    {
        if (w < 0)
            return FCalendar ? FCalendar->substrEffective(FLo, -w) : FLo + w;
        while (!FDone && workAtFrontier() < w + Eps)
            step();
        const auto it = std::lower_bound(FWork.begin(), FWork.end(), w - Eps);
        const auto k = static_cast<std::size_t>(it - FWork.begin());
        if (k < FWork.size() && FWork[k] <= w + Eps)
            return FStart[k];
        if (k == 0)
            return FLo + w;
        return FEnd[k - 1] + (w - FWork[k - 1]);
    }

    TDateTime findFirstEffective(TDateTime x)
    {
        if (x < FLo)
            return FCalendar ? FCalendar->findFirstEffective(x) : x;
        extendPast(x);
        long k = lastStartingAtOrBefore(x);
        if (k < 0 || x >= FEnd[static_cast<std::size_t>(k)])
            return x;
        // Non-working intervals that touch are passed as one.
        for (;;) {
            x = FEnd[static_cast<std::size_t>(k)];
            extendPast(x);
            const auto next = static_cast<std::size_t>(k + 1);
            if (next >= FStart.size() || FStart[next] > x)
                return x;
            ++k;
        }
    }

    TDateTime addEffective(TDateTime start, double d, bool skip)
    {
        if (start < FLo)
            return FCalendar ? FCalendar->addEffective(start, d, skip) : start + d;
        if (d < 0)
            return substrEffective(start, -d);
        const TDateTime r = d == 0 ? start : earliest(work(start) + d);
        return skip ? findFirstEffective(r) : r;
    }

    TDateTime substrEffective(TDateTime start, double d)
    {
        if (start < FLo)
            return FCalendar ? FCalendar->substrEffective(start, d) : start - d;
        if (d < 0)
            return addEffective(start, -d, false);
        return earliest(work(start) - d);
    }

    // As the calendar answers it: the working time from a to b, less what remains of a
    // non-working interval that b lies inside, never negative; negated when b is before a.
    double diffEffective(TDateTime a, TDateTime b)
    {
        if (a > b)
            return -diffEffective(b, a);
        if (a < FLo)
            return FCalendar ? FCalendar->diffEffective(a, b) : b - a;
        double total = work(b) - work(a);
        const auto it = std::lower_bound(FStart.begin(), FStart.end(), b);
        if (it != FStart.begin()) {
            const auto k = static_cast<std::size_t>(it - FStart.begin() - 1);
            if (b < FEnd[k])
                total -= FEnd[k] - b;
        }
        return std::max(total, 0.0);
    }

private:
    double workAtFrontier() const { return FStart.empty() ? FFrontier - FLo : FWork.back(); }

    long lastStartingAtOrBefore(TDateTime x) const
    {
        return static_cast<long>(std::upper_bound(FStart.begin(), FStart.end(), x) - FStart.begin()) - 1;
    }

    // Walks on until every non-working interval that starts at or before x is known.
    void extendPast(TDateTime x)
    {
        while (!FDone && FFrontier <= x)
            step();
    }

    void step()
    {
        TDateTime s = 0;
        double l = 0;
        const bool found = FCalendar->findNextNonWorkingException(FFrontier, s, l, -1);
        if (!found || !(l > 0) || !(s >= FFrontier) || !(s + l > FFrontier) || s >= IQVTCalendar::NoNonWorkingTime) {
            FDone = true;
            return;
        }
        FWork.push_back(FStart.empty() ? s - FLo : FWork.back() + (s - FEnd.back()));
        FStart.push_back(s);
        FEnd.push_back(s + l);
        FFrontier = s + l;
    }

    IQVTCalendar* FCalendar;
    TDateTime FLo;
    TDateTime FFrontier;
    bool FDone;
    std::vector<TDateTime> FStart;
    std::vector<TDateTime> FEnd;
    // Working time from FLo to FStart[k].
    std::vector<double> FWork;
};

std::size_t hashSlots(std::size_t n)
{
    std::size_t slots = 16;
    while (slots < 2 * n)
        slots *= 2;
    return slots;
}

std::size_t mix(std::uint64_t v)
{
    v ^= v >> 33;
    v *= 0xff51afd7ed558ccdULL;
    v ^= v >> 33;
    return static_cast<std::size_t>(v);
}

// The index of each task bar by its address: one lookup per connection end.
class BarIndex {
public:
    explicit BarIndex(const std::vector<TQVTTaskBar*>& bars) : FKeys(hashSlots(bars.size())), FValues(FKeys.size())
    {
        for (std::size_t i = 0; i < bars.size(); ++i) {
            std::size_t slot = place(bars[i]);
            FKeys[slot] = bars[i];
            FValues[slot] = static_cast<int>(i);
        }
    }

    int find(const void* bar) const
    {
        if (!bar)
            return -1;
        const std::size_t slot = place(bar);
        return FKeys[slot] == bar ? FValues[slot] : -1;
    }

private:
    std::size_t place(const void* key) const
    {
        const std::size_t mask = FKeys.size() - 1;
        std::size_t slot = mix(reinterpret_cast<std::uintptr_t>(key)) & mask;
        while (FKeys[slot] && FKeys[slot] != key)
            slot = (slot + 1) & mask;
        return slot;
    }

    std::vector<const void*> FKeys;
    std::vector<int> FValues;
};

// A precedence between two bars: from one end of bar `from` to one end of bar `to`.
struct Precedence {
    int from;
    int to;
    TQVTBarConnection* connection;
    int originNode;
    int targetNode;
    double distance;
    bool workingDays;
};

// Node 2i is the start of bar i, node 2i + 1 its end. Out-edges of every node, packed: an
// edge's reference is the index of its precedence, or -1 for the bar's own duration.
struct Graph {
    std::vector<int> first;
    std::vector<int> to;
    std::vector<int> ref;
};

Graph buildGraph(int nodes, const std::vector<Precedence>& precedences, const std::vector<char>& alive)
{
    Graph g;
    g.first.assign(static_cast<std::size_t>(nodes) + 1, 0);
    for (int i = 0; 2 * i < nodes; ++i)
        if (alive[static_cast<std::size_t>(i)])
            ++g.first[static_cast<std::size_t>(2 * i) + 1];
    for (const Precedence& p : precedences)
        ++g.first[static_cast<std::size_t>(p.originNode) + 1];
    for (std::size_t v = 0; v < static_cast<std::size_t>(nodes); ++v)
        g.first[v + 1] += g.first[v];
    g.to.resize(static_cast<std::size_t>(g.first.back()));
    g.ref.resize(g.to.size());
    std::vector<int> fill(g.first.begin(), g.first.end() - 1);
    for (int i = 0; 2 * i < nodes; ++i) {
        if (!alive[static_cast<std::size_t>(i)])
            continue;
        const auto at = static_cast<std::size_t>(fill[static_cast<std::size_t>(2 * i)]++);
        g.to[at] = 2 * i + 1;
        g.ref[at] = -1;
    }
    for (std::size_t k = 0; k < precedences.size(); ++k) {
        const auto at = static_cast<std::size_t>(fill[static_cast<std::size_t>(precedences[k].originNode)]++);
        g.to[at] = precedences[k].targetNode;
        g.ref[at] = static_cast<int>(k);
    }
    return g;
}

// Kahn's topological order of the nodes of live bars; shorter than their number when the
// graph has a cycle.
std::vector<int> topologicalOrder(const Graph& g, const std::vector<char>& alive)
{
    const std::size_t nodes = g.first.size() - 1;
    std::vector<int> indegree(nodes, 0);
    for (int target : g.to)
        ++indegree[static_cast<std::size_t>(target)];
    std::vector<int> order;
    order.reserve(nodes);
    for (std::size_t v = 0; v < nodes; ++v)
        if (alive[v / 2] && indegree[v] == 0)
            order.push_back(static_cast<int>(v));
    for (std::size_t head = 0; head < order.size(); ++head) {
        const auto v = static_cast<std::size_t>(order[head]);
        for (int e = g.first[v]; e < g.first[v + 1]; ++e)
            if (--indegree[static_cast<std::size_t>(g.to[static_cast<std::size_t>(e)])] == 0)
                order.push_back(g.to[static_cast<std::size_t>(e)]);
    }
    return order;
}

// The nodes that lie on a cycle: members of strongly connected components of more than one
// node, and nodes with an edge to themselves (Tarjan's algorithm, with an explicit stack).
std::vector<char> nodesOnCycles(const Graph& g)
{
    const std::size_t nodes = g.first.size() - 1;
    std::vector<int> index(nodes, -1);
    std::vector<int> low(nodes, 0);
    std::vector<char> onStack(nodes, 0);
    std::vector<int> position(nodes, 0);
    std::vector<char> cyclic(nodes, 0);
    std::vector<int> stack;
    struct Frame {
        int node;
        int edge;
    };
    std::vector<Frame> calls;
    int counter = 0;
    for (std::size_t root = 0; root < nodes; ++root) {
        if (index[root] >= 0)
            continue;
        calls.push_back({static_cast<int>(root), g.first[root]});
        index[root] = low[root] = counter++;
        position[root] = static_cast<int>(stack.size());
        stack.push_back(static_cast<int>(root));
        onStack[root] = 1;
        while (!calls.empty()) {
            Frame& frame = calls.back();
            const auto v = static_cast<std::size_t>(frame.node);
            if (frame.edge < g.first[v + 1]) {
                const auto w = static_cast<std::size_t>(g.to[static_cast<std::size_t>(frame.edge++)]);
                if (w == v) {
                    cyclic[v] = 1;
                } else if (index[w] < 0) {
                    index[w] = low[w] = counter++;
                    position[w] = static_cast<int>(stack.size());
                    stack.push_back(static_cast<int>(w));
                    onStack[w] = 1;
                    calls.push_back({static_cast<int>(w), g.first[w]});
                } else if (onStack[w]) {
                    low[v] = std::min(low[v], index[w]);
                }
                continue;
            }
            if (low[v] == index[v]) {
                const std::size_t from = static_cast<std::size_t>(position[v]);
                const bool cycle = stack.size() - from > 1;
                for (std::size_t k = from; k < stack.size(); ++k) {
                    const auto w = static_cast<std::size_t>(stack[k]);
                    onStack[w] = 0;
                    if (cycle)
                        cyclic[w] = 1;
                }
                stack.resize(from);
            }
            calls.pop_back();
            if (!calls.empty()) {
                const auto parent = static_cast<std::size_t>(calls.back().node);
                low[parent] = std::min(low[parent], low[v]);
            }
        }
    }
    return cyclic;
}

} // namespace

TQVTCriticalPathCalculator::TQVTCriticalPathCalculator(TQVTGanttTable* table) : table(table) {}

TQVTCriticalPathCalculator::~TQVTCriticalPathCalculator() = default;

void TQVTCriticalPathCalculator::highLightCriticalPath(bool b)
{
    for (const auto& bar : FCriticalBars)
        if (auto live = bar.lock())
            live->FCriticalElement = b;
    for (const auto& connection : FCriticalConnections)
        if (auto live = connection.lock())
            live->FCriticalElement = b;
}

std::vector<TQVTTaskBar*> TQVTCriticalPathCalculator::criticalBars() const
{
    std::vector<TQVTTaskBar*> bars;
    for (const auto& bar : FCriticalBars)
        if (auto live = bar.lock())
            bars.push_back(live.get());
    return bars;
}

std::vector<TQVTBarConnection*> TQVTCriticalPathCalculator::criticalConnections() const
{
    std::vector<TQVTBarConnection*> connections;
    for (const auto& connection : FCriticalConnections)
        if (auto live = connection.lock())
            connections.push_back(live.get());
    return connections;
}

std::vector<TQVTTaskBar*> TQVTCriticalPathCalculator::cycleBars() const
{
    std::vector<TQVTTaskBar*> bars;
    for (const auto& bar : FCycleBars)
        if (auto live = bar.lock())
            bars.push_back(live.get());
    return bars;
}

void TQVTCriticalPathCalculator::refreshCriticalPath()
{
    highLightCriticalPath(false);
    FCriticalBars.clear();
    FCriticalConnections.clear();
    FCycleBars.clear();
    FProjectStart = FProjectEnd = 0;
    if (!table)
        return;

    // The task bars, rows in order and each row's bars in list order.
    std::vector<TQVTTaskBar*> bars;
    for (const auto& row : table->FRows)
        for (const auto& bar : row->FBarList) {
            // Comparing classes first spares the cast for the common kind.
            TQVTTaskBar* task = typeid(*bar) == typeid(TQVTTaskBar) ? static_cast<TQVTTaskBar*>(bar.get())
                                                                     : dynamic_cast<TQVTTaskBar*>(bar.get());
            if (task)
                bars.push_back(task);
        }
    const int n = static_cast<int>(bars.size());
    const auto un = static_cast<std::size_t>(n);
    if (n == 0)
        return;

    std::vector<TDateTime> start(un);
    std::vector<TDateTime> end(un);
    std::vector<double> duration(un);
    for (std::size_t i = 0; i < un; ++i) {
        bars[i]->FCriticalElement = false;
        // The working length first: deriving it drops the end cache, which getEndDate fills.
        duration[i] = std::max(finiteOr0(bars[i]->getEffectiveDuration()), 0.0);
        start[i] = finiteOr0(bars[i]->getStartDate());
        end[i] = finiteOr0(bars[i]->getEndDate());
    }

    TQVTGanttDocument* document = table->findDocument();
    IQVTCalendar* calendar = document ? document->getCalendar() : nullptr;

    // Precedences: the first connection of each ordered pair of task bars of the table.
    std::vector<Precedence> precedences;
    double earliestLead = 0; // the largest lead in calendar days, as a negative distance
    if (document) {
        const BarIndex index(bars);
        std::vector<Precedence> all;
        all.reserve(document->connections.size());
        for (const auto& connection : document->connections) {
            if (!connection)
                continue;
            const int from = index.find(connection->barFrom.get());
            const int to = index.find(connection->barTo.get());
            if (from < 0 || to < 0)
                continue;
            const int type = connection->getConnType();
            all.push_back(Precedence{from, to, connection.get(), (type & 2) ? 2 * from : 2 * from + 1,
                                     (type & 1) ? 2 * to : 2 * to + 1, static_cast<double>(connection->FMinDistance),
                                     connection->FWorkingDays});
        }
        // Grouped by origin bar (keeping the document's order within a group), a pair's later
        // connections are found by a mark per target bar rather than by a lookup per pair.
        std::vector<int> first(un + 1, 0);
        for (const Precedence& p : all)
            ++first[static_cast<std::size_t>(p.from) + 1];
        for (std::size_t i = 0; i < un; ++i)
            first[i + 1] += first[i];
        std::vector<Precedence> grouped(all.size());
        for (const Precedence& p : all)
            grouped[static_cast<std::size_t>(first[static_cast<std::size_t>(p.from)]++)] = p;
        std::vector<int> seenFrom(un, -1);
        precedences.reserve(grouped.size());
        for (const Precedence& p : grouped) {
            int& mark = seenFrom[static_cast<std::size_t>(p.to)];
            if (mark == p.from)
                continue;
            mark = p.from;
            if (!p.workingDays)
                earliestLead = std::min(earliestLead, p.distance);
            precedences.push_back(p);
        }
    }

    // Bars on precedence cycles are left out with their connections; what remains is acyclic.
    std::vector<char> alive(un, 1);
    Graph graph = buildGraph(2 * n, precedences, alive);
    std::vector<int> order = topologicalOrder(graph, alive);
    if (order.size() < 2 * un) {
        const std::vector<char> cyclic = nodesOnCycles(graph);
        for (std::size_t i = 0; i < un; ++i)
            if (cyclic[2 * i] || cyclic[2 * i + 1]) {
                alive[i] = 0;
                FCycleBars.push_back(std::static_pointer_cast<TQVTTaskBar>(bars[i]->shared_from_this()));
                bars[i]->FESTime = bars[i]->FLFTime = bars[i]->FLBTime = bars[i]->FGBTime = 0;
            }
        std::erase_if(precedences, [&alive](const Precedence& p) {
            return !alive[static_cast<std::size_t>(p.from)] || !alive[static_cast<std::size_t>(p.to)];
        });
        addlog("Critical path: " + std::to_string(FCycleBars.size()) +
               " task bars lie on precedence cycles and are left out");
        if (LogActive())
            for (std::size_t i = 0; i < un; ++i)
                if (!alive[i])
                    addlog("Critical path: bar " + std::to_string(i) + " (row " + std::to_string(bars[i]->getRow()) +
                           ") lies on a precedence cycle");
        graph = buildGraph(2 * n, precedences, alive);
        order = topologicalOrder(graph, alive);
    }

    // The walk of the calendar starts before every date the computation may ask about.
    TDateTime lo = std::numeric_limits<double>::max();
    for (std::size_t i = 0; i < un; ++i)
        lo = std::min({lo, start[i], end[i]});
    WorkingAxis axis(calendar, lo - 7 + earliestLead);

    std::vector<TDateTime> effectiveEnd(un, 0);
    bool any = false;
    for (std::size_t i = 0; i < un; ++i) {
        if (!alive[i])
            continue;
        any = true;
        const TDateTime effectiveStart = axis.findFirstEffective(start[i]);
        effectiveEnd[i] = axis.addEffective(start[i], duration[i], false);
        if (effectiveStart != 0 && (FProjectStart == 0 || effectiveStart < FProjectStart))
            FProjectStart = effectiveStart;
        if (effectiveEnd[i] != 0 && (FProjectEnd == 0 || effectiveEnd[i] > FProjectEnd))
            FProjectEnd = effectiveEnd[i];
    }
    if (!any)
        return;
    const double projectStartWork = axis.work(FProjectStart);
    const double projectEndWork = axis.work(FProjectEnd);

    // The moment an event at working time w stands for: a start is at the first working moment
    // (after a weekend, not before it), an end at the last.
    const auto momentOf = [&axis](int node, double w) {
        const TDateTime earliest = axis.earliest(w);
        return node % 2 == 0 ? axis.findFirstEffective(earliest) : earliest;
    };

    // Forward pass: the longest path from the project start to every event, in working time
    // from the start of the walk.
    const std::size_t nodes = 2 * un;
    std::vector<double> early(nodes, -std::numeric_limits<double>::infinity());
    std::vector<char> reached(nodes, 0);
    for (int v : order) {
        const auto uv = static_cast<std::size_t>(v);
        if (!reached[uv])
            early[uv] = projectStartWork;
        for (int e = graph.first[uv]; e < graph.first[uv + 1]; ++e) {
            const auto ue = static_cast<std::size_t>(e);
            const int ref = graph.ref[ue];
            double t = 0;
            if (ref < 0)
                t = early[uv] + duration[uv / 2];
            else if (const Precedence& p = precedences[static_cast<std::size_t>(ref)]; p.workingDays)
                t = early[uv] + p.distance;
            else
                t = axis.work(momentOf(v, early[uv]) + p.distance);
            const auto target = static_cast<std::size_t>(graph.to[ue]);
            if (!reached[target] || t > early[target])
                early[target] = t;
            reached[target] = 1;
        }
    }

    // Backward pass: the latest time of every event that keeps the project end.
    std::vector<double> late(nodes, std::numeric_limits<double>::infinity());
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const auto uv = static_cast<std::size_t>(*it);
        if (graph.first[uv] == graph.first[uv + 1]) {
            late[uv] = projectEndWork;
            continue;
        }
        for (int e = graph.first[uv]; e < graph.first[uv + 1]; ++e) {
            const auto ue = static_cast<std::size_t>(e);
            const int ref = graph.ref[ue];
            const double after = late[static_cast<std::size_t>(graph.to[ue])];
            double t = 0;
            if (ref < 0)
                t = after - duration[uv / 2];
            else if (const Precedence& p = precedences[static_cast<std::size_t>(ref)]; p.workingDays)
                t = after - p.distance;
            else
                t = axis.work(axis.findFirstEffective(axis.earliest(after)) - p.distance);
            late[uv] = std::min(late[uv], t);
        }
    }

    // Real times, buffers and the critical bars.
    std::vector<char> critical(un, 0);
    for (std::size_t i = 0; i < un; ++i) {
        if (!alive[i])
            continue;
        TQVTTaskBar* bar = bars[i];
        bar->FESTime = axis.addEffective(FProjectStart, early[2 * i] - projectStartWork, true);
        bar->FLFTime = axis.substrEffective(FProjectEnd, projectEndWork - late[2 * i + 1]);
        bar->FGBTime = bar->FLFTime - effectiveEnd[i];
        if (std::abs(bar->FGBTime) <= Tolerance) {
            critical[i] = 1;
            FCriticalBars.push_back(std::static_pointer_cast<TQVTTaskBar>(bar->shared_from_this()));
        }
    }
    // The local buffer: the least slack of a bar's outgoing precedences, gathered here and
    // written to the bars in order.
    std::vector<double> localBuffer(un, 0);
    for (std::size_t i = 0; i < un; ++i)
        localBuffer[i] = FProjectEnd - effectiveEnd[i];
    std::vector<const Precedence*> criticalPrecedences;
    for (const Precedence& p : precedences) {
        const auto from = static_cast<std::size_t>(p.from);
        const auto to = static_cast<std::size_t>(p.to);
        const TDateTime a = p.originNode % 2 == 0 ? start[from] : end[from];
        const TDateTime b = p.targetNode % 2 == 0 ? start[to] : end[to];
        const double gap = p.workingDays ? axis.diffEffective(a, b) : b - a;
        localBuffer[from] = std::min(localBuffer[from], gap - p.distance);
        if (critical[from] && critical[to])
            criticalPrecedences.push_back(&p);
    }
    for (std::size_t i = 0; i < un; ++i)
        if (alive[i])
            bars[i]->FLBTime = localBuffer[i];
    std::sort(criticalPrecedences.begin(), criticalPrecedences.end(), [](const Precedence* x, const Precedence* y) {
        return x->from != y->from ? x->from < y->from : x->to < y->to;
    });
    for (const Precedence* p : criticalPrecedences)
        FCriticalConnections.push_back(
            std::static_pointer_cast<TQVTBarConnection>(p->connection->shared_from_this()));

    if (LogActive())
        for (std::size_t i = 0; i < un; ++i) {
            if (!alive[i])
                continue;
            const std::string bar = "bar " + std::to_string(i);
            addlog(bar + " EST = " + RealToText(bars[i]->FESTime));
            addlog(bar + " LFT = " + RealToText(bars[i]->FLFTime));
            addlog(bar + " LBT = " + RealToText(bars[i]->FLBTime));
            addlog(bar + " GBT = " + RealToText(bars[i]->FGBTime));
        }
    highLightCriticalPath(true);
}

} // namespace corvane
