#include "corvane/framework/pert/qvtCriticalPath.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DiagnosticLog.h"
#include "corvane/platform/LargeMemory_p.h"
#include "corvane/platform/RealText.h"
#include "corvane/platform/ScopeGuard_p.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <queue>
#include <string>
#include <utility>

namespace corvane {

namespace {

// A new calculator (one for every document loaded) makes its arrays afresh, tens of megabytes
// that would fault in page by page: they take pooled huge pages instead.
template <class T>
using Array = std::vector<T, TScratchAllocator<T>>;

// Working-time results that differ by less than this (in days) are the same moment; sums of
// differences of dates do not reproduce the calendar's own sums to the last bit.
constexpr double Eps = 1e-9;

double finiteOr0(double v)
{
    return std::isfinite(v) ? v : 0.0;
}

// The working-time arithmetic of a calendar (row -1) over the span of one computation. The
// non-working intervals are walked once, in the order the calendar's own searches find them;
// arguments before the walk's start go to the calendar itself. Without a calendar every moment
// is working. A search starts from a per-day hint (how many intervals start before the day,
// and how many are reached before that much working time), so the usual question costs a
// table lookup and a step or two instead of a binary search.
class WorkingAxis {
public:
    WorkingAxis(IQVTCalendar* calendar, TDateTime lo) : FCalendar(calendar), FLo(lo), FFrontier(lo), FDone(!calendar)
    {
        // Hints only for spans a table of days can cover; elsewhere binary search alone.
        FHinted = std::abs(lo) < MaxHintedDay;
        FDay0 = FHinted ? std::floor(lo) : 0;
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
        return workAt(x, lastStartingAtOrBefore(x));
    }

    // The earliest moment whose working time from the start of the walk is w.
    TDateTime earliest(double w)
    {
        if (w < 0)
            return FCalendar ? FCalendar->substrEffective(FLo, -w) : FLo + w;
        while (!FDone && workAtFrontier() < w + Eps)
            step();
        const std::size_t k = firstWorkNotBelow(w - Eps);
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

    // The working time from a to b, negated when b is before a.
    double diffEffective(TDateTime a, TDateTime b)
    {
        if (a > b)
            return -diffEffective(b, a);
        if (a < FLo)
            return FCalendar ? FCalendar->diffEffective(a, b) : b - a;
        return std::max(work(b) - work(a), 0.0);
    }

    TDateTime start() const { return FLo; }

    // Calendar days per day of working time over the span walked so far; 1 before any walk.
    double calendarPerWorkingTime() const
    {
        const double work = workAtFrontier();
        return work > 0 && FFrontier > FLo ? (FFrontier - FLo) / work : 1.0;
    }

private:
    static constexpr double MaxHintedDay = 1e7;
    // At most this many days of hints (about 11,000 years); later days search from the last.
    static constexpr std::size_t MaxHintDays = std::size_t{1} << 22;
    // Steps from a hint before falling back to a binary search.
    static constexpr int ShortScan = 8;

    double workAtFrontier() const { return FStart.empty() ? FFrontier - FLo : FWork.back(); }

    // x at or after FLo, with k the last interval starting at or before x.
    double workAt(TDateTime x, long k) const
    {
        if (k < 0)
            return x - FLo;
        const auto i = static_cast<std::size_t>(k);
        return x < FEnd[i] ? FWork[i] : FWork[i] + (x - FEnd[i]);
    }

    long lastStartingAtOrBefore(TDateTime x) const
    {
        // A count of intervals that start at or before x, never more than the true count; exact
        // when no interval starts later in x's day (the next day's count is the same).
        std::size_t k = 0;
        if (!FStartHints.empty() && x >= FDay0) {
            const double day = std::floor(x) - FDay0;
            if (day < static_cast<double>(FStartHints.size() - 1)) {
                const auto d = static_cast<std::size_t>(day);
                k = FStartHints[d];
                if (FStartHints[d + 1] == k)
                    return static_cast<long>(k) - 1;
            } else {
                k = FStartHints.back();
            }
        }
        for (int i = 0; i < ShortScan; ++i) {
            if (k >= FStart.size() || FStart[k] > x)
                return static_cast<long>(k) - 1;
            ++k;
        }
        return static_cast<long>(std::upper_bound(FStart.begin() + static_cast<long>(k), FStart.end(), x) -
                                 FStart.begin()) -
               1;
    }

    // The first interval that starts after at least w of working time.
    std::size_t firstWorkNotBelow(double w) const
    {
        std::size_t k = 0;
        if (!FWorkHints.empty() && w >= 0) {
            const double unit = std::floor(w);
            if (unit < static_cast<double>(FWorkHints.size() - 1)) {
                const auto u = static_cast<std::size_t>(unit);
                k = FWorkHints[u];
                // Exact when no interval starts after between u and u + 1 of working time.
                if (FWorkHints[u + 1] == k)
                    return k;
            } else {
                k = FWorkHints.back();
            }
        }
        for (int i = 0; i < ShortScan; ++i) {
            if (k >= FWork.size() || !(FWork[k] < w))
                return k;
            ++k;
        }
        return static_cast<std::size_t>(std::lower_bound(FWork.begin() + static_cast<long>(k), FWork.end(), w) -
                                        FWork.begin());
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
        if (FHinted)
            extendHints();
    }

    // Intervals are found in order and later ones start later and after more working time, so a
    // count taken now can only grow: every hint stays a lower bound.
    void extendHints()
    {
        std::size_t count = FStartHints.empty() ? 0 : FStartHints.back();
        while (FStartHints.size() < MaxHintDays && FDay0 + static_cast<double>(FStartHints.size()) <= FFrontier) {
            const double day = FDay0 + static_cast<double>(FStartHints.size());
            while (count < FStart.size() && FStart[count] <= day)
                ++count;
            FStartHints.push_back(static_cast<std::uint32_t>(count));
        }
        count = FWorkHints.empty() ? 0 : FWorkHints.back();
        while (FWorkHints.size() < MaxHintDays && static_cast<double>(FWorkHints.size()) <= FWork.back()) {
            const auto unit = static_cast<double>(FWorkHints.size());
            while (count < FWork.size() && FWork[count] < unit)
                ++count;
            FWorkHints.push_back(static_cast<std::uint32_t>(count));
        }
    }

    IQVTCalendar* FCalendar;
    TDateTime FLo;
    TDateTime FFrontier;
    bool FDone;
    bool FHinted = false;
    double FDay0 = 0;
    Array<TDateTime> FStart;
    Array<TDateTime> FEnd;
    // Working time from FLo to FStart[k].
    Array<double> FWork;
    // Per day from FDay0: how many intervals start at or before the day's first moment.
    Array<std::uint32_t> FStartHints;
    // Per whole unit of working time u: how many intervals start after less than u.
    Array<std::uint32_t> FWorkHints;
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

// How many items ahead the gathering loops ask for memory they will read: rows, bar lists,
// bars and connections lie apart on the heap, and one miss after another is most of the cost.
constexpr std::size_t Ahead = 16;

void prefetch(const void* p)
{
    __builtin_prefetch(p);
}

// The index of each task bar by its address: one lookup per connection end. Key and index
// share a slot, so a lookup touches one cache line.
class BarIndex {
public:
    BarIndex() = default;
    explicit BarIndex(const Array<TQVTTaskBar*>& bars) : FSlots(hashSlots(bars.size()))
    {
        for (std::size_t i = 0; i < bars.size(); ++i) {
            if (i + 4 * Ahead < bars.size())
                prefetchFor(bars[i + 4 * Ahead]);
            const TQVTGanttBar* key = bars[i];
            Slot& slot = FSlots[place(key)];
            slot.key = key;
            slot.value = static_cast<int>(i);
        }
    }

    void prefetchFor(const TQVTGanttBar* bar) const { prefetch(&FSlots[home(bar)]); }

    int find(const TQVTGanttBar* bar) const
    {
        if (!bar || FSlots.empty())
            return -1;
        const Slot& slot = FSlots[place(bar)];
        return slot.key == bar ? slot.value : -1;
    }

private:
    struct Slot {
        const TQVTGanttBar* key = nullptr;
        int value = -1;
    };

    std::size_t home(const TQVTGanttBar* key) const
    {
        return mix(reinterpret_cast<std::uintptr_t>(key)) & (FSlots.size() - 1);
    }

    std::size_t place(const TQVTGanttBar* key) const
    {
        const std::size_t mask = FSlots.size() - 1;
        std::size_t slot = home(key);
        while (FSlots[slot].key && FSlots[slot].key != key)
            slot = (slot + 1) & mask;
        return slot;
    }

    Array<Slot> FSlots;
};

// A precedence between two bars: from one end of bar `from` to one end of bar `to`, made by the
// document connection at index `connection`.
struct Precedence {
    int from;
    int to;
    int connection;
    int distance;
    int type;
    bool workingDays;

    friend bool operator==(const Precedence&, const Precedence&) = default;

    int originNode() const { return (type & 2) ? 2 * from : 2 * from + 1; }
    int targetNode() const { return (type & 1) ? 2 * to : 2 * to + 1; }
};

enum class EdgeKind : int {
    Duration,
    WorkingDays,
    CalendarDays
};

// An edge of the event graph with what the passes need of it, so that they read the edges in
// order and nothing else beside the event times.
struct Edge {
    int to;
    EdgeKind kind;
    double length; // the bar's duration, or the connection's minimum distance
};

// Node 2i is the start of bar i, node 2i + 1 its end. Out-edges of every node, packed; the
// first edge of a live bar's start is its duration.
struct Graph {
    Array<int> first;
    Array<Edge> edges;
};

// Members of groups 0 .. groups - 1 packed by group: the members of group g are
// members[first[g]] up to members[first[g + 1]], in the order of their indexes.
template <class GroupOf>
void groupBy(std::size_t groups, std::size_t items, const GroupOf& groupOf, Array<int>& first,
             Array<int>& members, Array<int>& fill)
{
    first.assign(groups + 1, 0);
    for (std::size_t k = 0; k < items; ++k)
        ++first[static_cast<std::size_t>(groupOf(k)) + 1];
    for (std::size_t g = 0; g < groups; ++g)
        first[g + 1] += first[g];
    members.resize(items);
    fill.assign(first.begin(), first.end() - 1);
    for (std::size_t k = 0; k < items; ++k)
        members[static_cast<std::size_t>(fill[static_cast<std::size_t>(groupOf(k))]++)] = static_cast<int>(k);
}

// What a run that follows a few changed bars or precedences needs beyond the graph: the edges
// into each event, each event's place in the order, and the precedences of each bar. Built when
// first needed after the graph changed (by the order's repair, or by the run that follows).
struct Neighbours {
    bool built = false;
    Array<int> rank;     // place in the order, -1 for events left out
    Array<int> edgeFrom; // origin event of each edge
    Array<int> inFirst;
    Array<int> inEdges;
    Array<int> fromFirst; // per bar, the precedences it is the origin of
    Array<int> fromBar;
    Array<int> toFirst; // per bar, the precedences it is the target of
    Array<int> toBar;
    Array<int> fill; // scratch
};

// What one bar contributes, read once from the bar.
struct BarSpan {
    TDateTime start;
    TDateTime end;
    double duration;
};

// Where a bar was found: its row and its place in the row's list. Results go out in this order.
struct BarPlace {
    int row;
    int slot;

    bool operator<(const BarPlace& other) const
    {
        return row != other.row ? row < other.row : slot < other.slot;
    }
};

// The values last written to a bar; NaN forces the next write.
struct Written {
    TDateTime early = std::numeric_limits<double>::quiet_NaN();
    TDateTime lateFinish = 0;
    double localBuffer = 0;
};

// Storage of a run that the next run reuses: fresh memory of this size costs more in page
// faults than the work done in it.
struct Scratch {
    Array<Precedence> precedences;
    Array<int> first;
    Array<int> seenFrom;
    Array<int> reversedOrder;
};

// Whether the two lists join the same events in the same order, whatever their distances.
bool sameEdges(const Array<Precedence>& a, const Array<Precedence>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Precedence& x, const Precedence& y) {
        return x.originNode() == y.originNode() && x.targetNode() == y.targetNode();
    });
}

void buildGraph(int nodes, const Array<Precedence>& precedences, const Array<char>& alive,
                const Array<BarSpan>& times, Graph& g, Scratch& scratch)
{
    g.first.assign(static_cast<std::size_t>(nodes) + 1, 0);
    for (int i = 0; 2 * i < nodes; ++i)
        if (alive[static_cast<std::size_t>(i)])
            ++g.first[static_cast<std::size_t>(2 * i) + 1];
    for (const Precedence& p : precedences)
        ++g.first[static_cast<std::size_t>(p.originNode()) + 1];
    for (std::size_t v = 0; v < static_cast<std::size_t>(nodes); ++v)
        g.first[v + 1] += g.first[v];
    g.edges.resize(static_cast<std::size_t>(g.first.back()));
    Array<int>& fill = scratch.first;
    fill.assign(g.first.begin(), g.first.end() - 1);
    for (int i = 0; 2 * i < nodes; ++i) {
        const auto ui = static_cast<std::size_t>(i);
        if (alive[ui])
            g.edges[static_cast<std::size_t>(fill[2 * ui]++)] = Edge{2 * i + 1, EdgeKind::Duration, times[ui].duration};
    }
    for (const Precedence& p : precedences)
        g.edges[static_cast<std::size_t>(fill[static_cast<std::size_t>(p.originNode())]++)] =
            Edge{p.targetNode(), p.workingDays ? EdgeKind::WorkingDays : EdgeKind::CalendarDays,
                 static_cast<double>(p.distance)};
}

// Kahn's topological order of the nodes of live bars; shorter than their number when the graph
// has a cycle. It depends on the edges alone, not on their lengths.
void topologicalOrder(const Graph& g, const Array<char>& alive, Array<int>& order, Scratch& scratch)
{
    const std::size_t nodes = g.first.size() - 1;
    Array<int>& pending = scratch.first;
    pending.assign(nodes, 0);
    for (const Edge& e : g.edges)
        ++pending[static_cast<std::size_t>(e.to)];
    order.clear();
    order.reserve(nodes);
    for (std::size_t v = 0; v < nodes; ++v)
        if (alive[v / 2] && pending[v] == 0)
            order.push_back(static_cast<int>(v));
    for (std::size_t head = 0; head < order.size(); ++head) {
        const auto v = static_cast<std::size_t>(order[head]);
        for (int e = g.first[v]; e < g.first[v + 1]; ++e) {
            const int to = g.edges[static_cast<std::size_t>(e)].to;
            if (--pending[static_cast<std::size_t>(to)] == 0)
                order.push_back(to);
        }
    }
}

// The nodes that lie on a cycle: members of strongly connected components of more than one
// node, and nodes with an edge to themselves (Tarjan's algorithm, with an explicit stack).
Array<char> nodesOnCycles(const Graph& g)
{
    const std::size_t nodes = g.first.size() - 1;
    Array<int> index(nodes, -1);
    Array<int> low(nodes, 0);
    Array<char> onStack(nodes, 0);
    Array<int> position(nodes, 0);
    Array<char> cyclic(nodes, 0);
    Array<int> stack;
    struct Frame {
        int node;
        int edge;
    };
    Array<Frame> calls;
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
                const auto w = static_cast<std::size_t>(g.edges[static_cast<std::size_t>(frame.edge++)].to);
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

// The cache lines of a bar that the calculation reads and writes.
void prefetchBar(const TQVTGanttBar* bar)
{
    if (bar)
        prefetchBarSchedule(*bar);
}

// The task bar bar is, with its times and its mark cleared; none for every other kind.
TQVTTaskBar* readTaskBar(TQVTGanttBar* bar, BarSpan& t)
{
    TQVTTaskBar* task = nullptr;
    // The exact class spares the cast and the calls for the common kinds; a known duration
    // and end are what the calls would answer.
    const auto exact = bar->exactClass();
    if (exact == TQVTGanttBar::ExactClass::Summary || exact == TQVTGanttBar::ExactClass::Progress ||
        exact == TQVTGanttBar::ExactClass::Milestone)
        return nullptr;
    if (exact == TQVTGanttBar::ExactClass::Task) {
        task = static_cast<TQVTTaskBar*>(bar);
        // The working length first: deriving it drops the end cache, which getEndDate fills.
        t.duration = task->FEffectiveDuration > 0 ? task->FEffectiveDuration : task->TQVTTaskBar::getEffectiveDuration();
        t.start = task->FstartDate;
        t.end = task->FendDate != 0 ? task->FendDate : task->TQVTTaskBar::getEndDate();
    } else if ((task = dynamic_cast<TQVTTaskBar*>(bar))) {
        t.duration = task->getEffectiveDuration();
        t.start = task->getStartDate();
        t.end = task->getEndDate();
    } else {
        return nullptr;
    }
    task->FCriticalElement = false;
    t.duration = std::max(finiteOr0(t.duration), 0.0);
    t.start = finiteOr0(t.start);
    t.end = finiteOr0(t.end);
    return task;
}

// The task bars of the table, rows in order and each row's bars in list order, with their
// times and places; every other bar's mark is left alone.
void gatherBars(const std::vector<std::shared_ptr<TQVTGanttRow>>& rows, Array<TQVTTaskBar*>& bars,
                Array<const std::shared_ptr<TQVTGanttBar>*>& held, Array<BarSpan>& times,
                Array<BarPlace>& places)
{
    bars.reserve(rows.size());
    held.reserve(rows.size());
    times.reserve(rows.size());
    places.reserve(rows.size());
    const std::size_t count = rows.size();
    for (std::size_t r = 0; r < count; ++r) {
        // Three stages ahead: the row, then its list, then the first bars of the list.
        if (r + 3 * Ahead < count)
            prefetch(rows[r + 3 * Ahead].get());
        if (r + 2 * Ahead < count)
            prefetch(rows[r + 2 * Ahead]->FBarList.data());
        if (r + Ahead < count)
            if (const auto& list = rows[r + Ahead]->FBarList; !list.empty())
                prefetchBar(list.front().get());
        const auto& list = rows[r]->FBarList;
        for (std::size_t j = 0; j < list.size(); ++j) {
            if (j + 1 < list.size())
                prefetchBar(list[j + 1].get());
            BarSpan t{};
            TQVTTaskBar* task = readTaskBar(list[j].get(), t);
            if (!task)
                continue;
            bars.push_back(task);
            held.push_back(&list[j]);
            times.push_back(t);
            places.push_back({static_cast<int>(r), static_cast<int>(j)});
        }
    }
}

// Precedences into `grouped`: the first connection of each ordered pair of task bars of the
// table, grouped by origin bar and otherwise in the document's order.
void gatherPrecedences(const std::vector<std::shared_ptr<TQVTBarConnection>>& connections, const BarIndex& index,
                       std::size_t barCount, Array<Precedence>& grouped, Scratch& scratch)
{
    const std::size_t count = connections.size();
    Array<Precedence>& all = scratch.precedences;
    all.clear();
    all.reserve(count);
    Array<int>& first = scratch.first;
    first.assign(barCount + 1, 0);
    // Two stages ahead: the connection, then the index slots of its bars.
    constexpr std::size_t Stage = 2 * Ahead;
    for (std::size_t c = 0; c < count; ++c) {
        if (c + 2 * Stage < count)
            if (const TQVTBarConnection* next = connections[c + 2 * Stage].get()) {
                prefetch(&next->barFrom);
                prefetch(&next->FCriticalElement);
            }
        if (c + Stage < count)
            if (const TQVTBarConnection* next = connections[c + Stage].get()) {
                index.prefetchFor(next->barFrom.get());
                index.prefetchFor(next->barTo.get());
            }
        const TQVTBarConnection* connection = connections[c].get();
        if (!connection)
            continue;
        const int from = index.find(connection->barFrom.get());
        const int to = index.find(connection->barTo.get());
        if (from < 0 || to < 0)
            continue;
        all.push_back(Precedence{from, to, static_cast<int>(c), connection->FMinDistance, connection->getConnType(),
                                 connection->FWorkingDays});
        ++first[static_cast<std::size_t>(from) + 1];
    }
    // Grouped by origin bar (keeping the document's order within a group), a pair's later
    // connections are found by a mark per target bar rather than by a lookup per pair.
    for (std::size_t i = 0; i < barCount; ++i)
        first[i + 1] += first[i];
    grouped.resize(all.size());
    for (const Precedence& p : all)
        grouped[static_cast<std::size_t>(first[static_cast<std::size_t>(p.from)]++)] = p;
    Array<int>& seenFrom = scratch.seenFrom;
    seenFrom.assign(barCount, -1);
    std::size_t kept = 0;
    for (std::size_t k = 0; k < grouped.size(); ++k) {
        const Precedence p = grouped[k];
        int& mark = seenFrom[static_cast<std::size_t>(p.to)];
        if (mark == p.from)
            continue;
        mark = p.from;
        grouped[kept++] = p;
    }
    grouped.resize(kept);
}

bool sameConnections(const std::vector<std::shared_ptr<TQVTBarConnection>>& now,
                     const Array<const TQVTBarConnection*>& before)
{
    return std::equal(now.begin(), now.end(), before.begin(), before.end(),
                      [](const auto& connection, const TQVTBarConnection* known) { return connection.get() == known; });
}

// The passes visit the events in an order the memory does not follow: the edges of the event
// some places ahead, and the events they lead to, are asked for before they are needed.
template <class Touch>
void prefetchAhead(const Graph& g, const Array<int>& order, std::size_t head, const Touch& touch)
{
    constexpr std::size_t Stage = 2 * Ahead;
    if (head + 3 * Stage < order.size())
        prefetch(&g.first[static_cast<std::size_t>(order[head + 3 * Stage])]);
    if (head + 2 * Stage < order.size())
        prefetch(&g.edges[static_cast<std::size_t>(g.first[static_cast<std::size_t>(order[head + 2 * Stage])])]);
    if (head + Stage < order.size()) {
        const auto v = static_cast<std::size_t>(order[head + Stage]);
        touch(static_cast<int>(v));
        for (int e = g.first[v]; e < g.first[v + 1]; ++e)
            touch(g.edges[static_cast<std::size_t>(e)].to);
    }
}

// The time an edge from event v at working time `at` leads to.
template <class Moment>
double forwardAlong(const Edge& edge, int v, double at, WorkingAxis& axis, const Moment& moment)
{
    return edge.kind == EdgeKind::CalendarDays ? axis.work(moment(v, at) + edge.length) : at + edge.length;
}

// The latest time of an edge's origin that keeps its target's latest time `after`.
double backwardAlong(const Edge& edge, double after, WorkingAxis& axis)
{
    return edge.kind == EdgeKind::CalendarDays ? axis.work(axis.findFirstEffective(axis.earliest(after)) - edge.length)
                                               : after - edge.length;
}

// The forward pass along a topological order: the longest path from the project start to
// every event, in working time from the start of the walk. moment(v, w) is the moment event v
// at working time w stands for.
template <class Moment>
void forwardPass(const Graph& g, const Array<int>& order, double projectStartWork, WorkingAxis& axis,
                 const Moment& moment, Array<double>& early)
{
    // An event not reached yet has no earliest time: every edge that reaches it sets one.
    early.assign(g.first.size() - 1, std::numeric_limits<double>::quiet_NaN());
    for (std::size_t head = 0; head < order.size(); ++head) {
        prefetchAhead(g, order, head, [&early](int w) { prefetch(&early[static_cast<std::size_t>(w)]); });
        const int v = order[head];
        const auto uv = static_cast<std::size_t>(v);
        if (std::isnan(early[uv]))
            early[uv] = projectStartWork;
        const double at = early[uv];
        for (int e = g.first[uv]; e < g.first[uv + 1]; ++e) {
            const Edge& edge = g.edges[static_cast<std::size_t>(e)];
            const double t = forwardAlong(edge, v, at, axis, moment);
            double& target = early[static_cast<std::size_t>(edge.to)];
            if (std::isnan(target) || t > target)
                target = t;
        }
    }
    // Events of left-out bars are never reached.
    for (double& e : early)
        if (std::isnan(e))
            e = -std::numeric_limits<double>::infinity();
}

// The backward pass: the latest time of every event that keeps the project end.
void backwardPass(const Graph& g, const Array<int>& order, double projectEndWork, WorkingAxis& axis,
                  Array<double>& late, Array<int>& reversed)
{
    late.assign(g.first.size() - 1, std::numeric_limits<double>::infinity());
    reversed.assign(order.rbegin(), order.rend());
    for (std::size_t head = 0; head < reversed.size(); ++head) {
        prefetchAhead(g, reversed, head, [&late](int w) { prefetch(&late[static_cast<std::size_t>(w)]); });
        const auto uv = static_cast<std::size_t>(reversed[head]);
        if (g.first[uv] == g.first[uv + 1]) {
            late[uv] = projectEndWork;
            continue;
        }
        double least = late[uv];
        for (int e = g.first[uv]; e < g.first[uv + 1]; ++e) {
            const Edge& edge = g.edges[static_cast<std::size_t>(e)];
            least = std::min(least, backwardAlong(edge, late[static_cast<std::size_t>(edge.to)], axis));
        }
        late[uv] = least;
    }
}

// Built again into the storage of the last ones: fresh pages cost more than filling them.
void findNeighbours(const Graph& g, const Array<int>& order, const Array<Precedence>& precedences,
                    std::size_t bars, Neighbours& nb)
{
    const std::size_t nodes = g.first.size() - 1;
    nb.rank.assign(nodes, -1);
    for (std::size_t r = 0; r < order.size(); ++r)
        nb.rank[static_cast<std::size_t>(order[r])] = static_cast<int>(r);
    nb.edgeFrom.resize(g.edges.size());
    for (std::size_t v = 0; v < nodes; ++v)
        for (int e = g.first[v]; e < g.first[v + 1]; ++e)
            nb.edgeFrom[static_cast<std::size_t>(e)] = static_cast<int>(v);
    groupBy(
        nodes, g.edges.size(), [&g](std::size_t e) { return g.edges[e].to; }, nb.inFirst, nb.inEdges, nb.fill);
    groupBy(
        bars, precedences.size(), [&precedences](std::size_t k) { return precedences[k].from; }, nb.fromFirst,
        nb.fromBar, nb.fill);
    groupBy(
        bars, precedences.size(), [&precedences](std::size_t k) { return precedences[k].to; }, nb.toFirst, nb.toBar,
        nb.fill);
    nb.built = true;
}

// Whether two precedences of the same origin bar make the same edge, whichever connection
// makes it.
bool sameEdge(const Precedence& a, const Precedence& b)
{
    return a.to == b.to && a.type == b.type && a.distance == b.distance && a.workingDays == b.workingDays;
}

// The precedences `before` has and `now` lacks (removed) and the other way round (added); a new
// distance or kind counts as both. Both lists are grouped by origin bar with at most one
// precedence per pair of bars. False when more than `most` differ, or when a group that differs
// is too long to be compared pair by pair.
bool differingPrecedences(const Array<Precedence>& before, const Array<Precedence>& now, std::size_t most,
                          Array<Precedence>& removed, Array<Precedence>& added)
{
    constexpr std::size_t LongestGroup = 64;
    removed.clear();
    added.clear();
    const auto groupEnd = [](const Array<Precedence>& list, std::size_t k, int from) {
        while (k < list.size() && list[k].from == from)
            ++k;
        return k;
    };
    const auto lacks = [](const auto first, const auto last, const Precedence& p) {
        return std::none_of(first, last, [&p](const Precedence& q) { return sameEdge(p, q); });
    };
    std::size_t a = 0;
    std::size_t b = 0;
    while (a < before.size() || b < now.size()) {
        constexpr int None = std::numeric_limits<int>::max();
        const int from = std::min(a < before.size() ? before[a].from : None, b < now.size() ? now[b].from : None);
        const std::size_t aEnd = groupEnd(before, a, from);
        const std::size_t bEnd = groupEnd(now, b, from);
        const auto beforeFirst = before.begin() + static_cast<long>(a);
        const auto beforeLast = before.begin() + static_cast<long>(aEnd);
        const auto nowFirst = now.begin() + static_cast<long>(b);
        const auto nowLast = now.begin() + static_cast<long>(bEnd);
        if (!std::equal(beforeFirst, beforeLast, nowFirst, nowLast, sameEdge)) {
            if (aEnd - a > LongestGroup || bEnd - b > LongestGroup)
                return false;
            for (auto p = beforeFirst; p != beforeLast; ++p)
                if (lacks(nowFirst, nowLast, *p))
                    removed.push_back(*p);
            for (auto p = nowFirst; p != nowLast; ++p)
                if (lacks(beforeFirst, beforeLast, *p))
                    added.push_back(*p);
            if (removed.size() + added.size() > most)
                return false;
        }
        a = aEnd;
        b = bEnd;
    }
    return true;
}

// Storage of the order's repair, kept between runs like the rest.
struct RepairScratch {
    Array<std::uint32_t> seen; // the search that last met each event
    std::uint32_t search = 0;
    Array<char> pendingFrom; // origins of edges not yet placed
    Array<int> stack;
    Array<int> ahead;
    Array<int> behind;
    Array<int> places;
};

// Repairs a topological order (and the ranks) after edges were added to the graph; removed
// edges leave any order valid. For an edge x -> y that the order breaks, only the events
// between the two places move: those that reach x go, in their order, before those that y
// reaches. False when an edge closes a cycle or more than `budget` events would be searched;
// the order then holds for no graph and must be found again.
bool repairOrder(const Graph& g, Neighbours& nb, Array<int>& order, Array<std::pair<int, int>> added,
                 std::size_t budget, RepairScratch& s)
{
    Array<int>& rank = nb.rank;
    const auto rankOf = [&rank](int v) { return rank[static_cast<std::size_t>(v)]; };
    std::erase_if(added, [&rankOf](const std::pair<int, int>& e) { return rankOf(e.first) < rankOf(e.second); });
    if (added.empty())
        return true;
    const std::size_t nodes = rank.size();
    if (s.seen.size() != nodes) {
        s.seen.assign(nodes, 0);
        s.search = 0;
    }
    if (s.pendingFrom.size() != nodes)
        s.pendingFrom.assign(nodes, 0);
    for (const auto& e : added)
        s.pendingFrom[static_cast<std::size_t>(e.first)] = 1;
    const ScopeGuard unmark([&s, &added] {
        for (const auto& e : added)
            s.pendingFrom[static_cast<std::size_t>(e.first)] = 0;
    });
    // The searches follow only the edges the order keeps so far: the ones placed, and the
    // graph's others.
    std::size_t next = 0;
    const auto pending = [&](int from, int to) {
        if (!s.pendingFrom[static_cast<std::size_t>(from)])
            return false;
        return std::find(added.begin() + static_cast<long>(next), added.end(), std::pair{from, to}) != added.end();
    };
    std::size_t searched = 0;
    while (next < added.size()) {
        const auto [x, y] = added[next++];
        if (rankOf(x) < rankOf(y))
            continue;
        if (x == y)
            return false;
        const int lower = rankOf(y);
        const int upper = rankOf(x);
        if (++s.search == 0) {
            std::fill(s.seen.begin(), s.seen.end(), 0);
            s.search = 1;
        }
        const auto visit = [&s](int v) {
            s.seen[static_cast<std::size_t>(v)] = s.search;
            s.stack.push_back(v);
        };
        const auto unseen = [&s](int v) { return s.seen[static_cast<std::size_t>(v)] != s.search; };
        // What y reaches before x's place; reaching x itself closes a cycle.
        s.ahead.clear();
        s.stack.clear();
        visit(y);
        while (!s.stack.empty()) {
            const int v = s.stack.back();
            s.stack.pop_back();
            s.ahead.push_back(v);
            if (searched + s.ahead.size() > budget)
                return false;
            const auto uv = static_cast<std::size_t>(v);
            for (int e = g.first[uv]; e < g.first[uv + 1]; ++e) {
                const int w = g.edges[static_cast<std::size_t>(e)].to;
                if (pending(v, w))
                    continue;
                if (w == x)
                    return false;
                if (rankOf(w) < upper && unseen(w))
                    visit(w);
            }
        }
        // What reaches x after y's place.
        s.behind.clear();
        visit(x);
        while (!s.stack.empty()) {
            const int v = s.stack.back();
            s.stack.pop_back();
            s.behind.push_back(v);
            if (searched + s.ahead.size() + s.behind.size() > budget)
                return false;
            const auto uv = static_cast<std::size_t>(v);
            for (int k = nb.inFirst[uv]; k < nb.inFirst[uv + 1]; ++k) {
                const int u = nb.edgeFrom[static_cast<std::size_t>(nb.inEdges[static_cast<std::size_t>(k)])];
                if (!pending(u, v) && rankOf(u) > lower && unseen(u))
                    visit(u);
            }
        }
        searched += s.ahead.size() + s.behind.size();
        // Both keep their own order and take the places they held together, x's side first.
        const auto byRank = [&rankOf](int a, int b) { return rankOf(a) < rankOf(b); };
        std::sort(s.ahead.begin(), s.ahead.end(), byRank);
        std::sort(s.behind.begin(), s.behind.end(), byRank);
        s.places.clear();
        for (const int v : s.behind)
            s.places.push_back(rankOf(v));
        for (const int v : s.ahead)
            s.places.push_back(rankOf(v));
        std::inplace_merge(s.places.begin(), s.places.begin() + static_cast<long>(s.behind.size()), s.places.end());
        std::size_t k = 0;
        for (const Array<int>* side : {&s.behind, &s.ahead})
            for (const int v : *side) {
                const int place = s.places[k++];
                rank[static_cast<std::size_t>(v)] = place;
                order[static_cast<std::size_t>(place)] = v;
            }
    }
    return true;
}

// Whether every edge leads to a later place in the order.
[[maybe_unused]] bool keepsEveryEdge(const Graph& g, const Array<int>& order)
{
    Array<int> rank(g.first.size() - 1, -1);
    for (std::size_t r = 0; r < order.size(); ++r)
        rank[static_cast<std::size_t>(order[r])] = static_cast<int>(r);
    for (std::size_t v = 0; v + 1 < g.first.size(); ++v)
        for (int e = g.first[v]; e < g.first[v + 1]; ++e)
            if (rank[v] >= rank[static_cast<std::size_t>(g.edges[static_cast<std::size_t>(e)].to)])
                return false;
    return true;
}

// Events done again one by one in the order of `Due` over their places in the topological
// order (first the earliest, or first the latest), starting from the events `from`: redo(v)
// answers whether v's time moved, and then each event that next(v, due) names is due as well.
// Answers the events whose time moved.
template <class Due, class Redo, class Next>
Array<int> followEvents(const Neighbours& nb, const Array<int>& order, const Array<int>& from,
                              const Redo& redo, const Next& next)
{
    std::priority_queue<int, Array<int>, Due> due;
    const auto enqueue = [&](int v) { due.push(nb.rank[static_cast<std::size_t>(v)]); };
    for (const int v : from)
        enqueue(v);
    Array<int> moved;
    int last = -1;
    while (!due.empty()) {
        const int r = due.top();
        due.pop();
        // An event due twice comes out twice in a row.
        if (r == last)
            continue;
        last = r;
        const auto v = static_cast<std::size_t>(order[static_cast<std::size_t>(r)]);
        if (!redo(v))
            continue;
        moved.push_back(static_cast<int>(v));
        next(v, enqueue);
    }
    return moved;
}

// The earliest times again after the durations of some bars changed, from the events `from`
// on, from their in-edges as the forward pass does it.
template <class Moment>
Array<int> followForward(const Graph& g, const Neighbours& nb, const Array<int>& order,
                               Array<double>& early, const Array<int>& from, double projectStartWork,
                               WorkingAxis& axis, const Moment& moment)
{
    const auto redo = [&](std::size_t v) {
        double t = projectStartWork;
        bool reached = false;
        for (int k = nb.inFirst[v]; k < nb.inFirst[v + 1]; ++k) {
            const auto e = static_cast<std::size_t>(nb.inEdges[static_cast<std::size_t>(k)]);
            const int u = nb.edgeFrom[e];
            const double along = forwardAlong(g.edges[e], u, early[static_cast<std::size_t>(u)], axis, moment);
            if (!reached || along > t)
                t = along;
            reached = true;
        }
        return std::exchange(early[v], t) != t;
    };
    const auto successors = [&g](std::size_t v, const auto& enqueue) {
        for (int e = g.first[v]; e < g.first[v + 1]; ++e)
            enqueue(g.edges[static_cast<std::size_t>(e)].to);
    };
    return followEvents<std::greater<>>(nb, order, from, redo, successors);
}

// The latest times again after the durations of some bars changed, from the events `from`
// back against the order, as the backward pass does them.
Array<int> followBackward(const Graph& g, const Neighbours& nb, const Array<int>& order,
                                Array<double>& late, const Array<int>& from, double projectEndWork,
                                WorkingAxis& axis)
{
    const auto redo = [&](std::size_t u) {
        double least = g.first[u] == g.first[u + 1] ? projectEndWork : std::numeric_limits<double>::infinity();
        for (int e = g.first[u]; e < g.first[u + 1]; ++e) {
            const Edge& edge = g.edges[static_cast<std::size_t>(e)];
            least = std::min(least, backwardAlong(edge, late[static_cast<std::size_t>(edge.to)], axis));
        }
        return std::exchange(late[u], least) != least;
    };
    const auto predecessors = [&nb](std::size_t u, const auto& enqueue) {
        for (int k = nb.inFirst[u]; k < nb.inFirst[u + 1]; ++k)
            enqueue(nb.edgeFrom[static_cast<std::size_t>(nb.inEdges[static_cast<std::size_t>(k)])]);
    };
    return followEvents<std::less<>>(nb, order, from, redo, predecessors);
}

} // namespace

// The precedence graph of the last run and what it was built from. It holds while no bar
// enters or leaves the table, no row is added, removed or moved, and the connections and the
// calendar stay; a run after a change of some rows' bars then reads those bars alone.
struct TQVTCriticalPathCalculator::Model {
    TQVTGanttDocument* document = nullptr;
    IQVTCalendar* calendar = nullptr;
    // The document's connections as they were; a connection removed and put back where it was
    // leaves the graph as it is.
    Array<const TQVTBarConnection*> connections;
    std::size_t rowCount = 0;
    // The bars as gathered; between runs only their owners are trusted, so that a bar removed
    // without notice is never written to after its end.
    Array<TQVTTaskBar*> bars;
    Array<TQVTTaskBar*> lastBars; // of the run before, only compared
    Array<std::weak_ptr<TQVTTaskBar>> owners;
    // Where each bar was found in its row's list, valid during the run that gathered it.
    Array<const std::shared_ptr<TQVTGanttBar>*> held;
    Array<BarPlace> places;
    Array<BarSpan> times;
    Array<BarSpan> lastTimes; // of the run before, only compared
    BarIndex index;
    Array<Precedence> precedences;
    Array<Precedence> lastPrecedences;
    Scratch scratch;
    Array<char> alive;
    Array<int> cycle; // the bars left out, in gathering order
    Graph graph;
    Array<int> order;
    RepairScratch repair;
    Array<Precedence> removed; // precedences of the run before that this one lacks
    Array<Precedence> added;   // and the other way round
    // After a whole run that found the bars as they were and a few precedences changed, the
    // events and bars to start from: the origin and target events of the changed edges and
    // their origin bars.
    bool followEdges = false;
    Array<int> changedOrigins;
    Array<int> changedTargets;
    Array<int> changedFromBars;
    double earliestLead = 0; // the largest lead in calendar days, as a negative distance
    Array<Written> written;
    Array<TDateTime> effectiveStart;
    Array<TDateTime> effectiveEnd;
    // A whole run keeps the effective times when the bars, their starts and durations and the
    // calendar are those of the run before (a change of the connections leaves them).
    bool effectiveKept = false;
    // The bars read again since the last run.
    Array<int> changed;
    Neighbours neighbours;
    // What the last run derived, valid while `derived` is set: a run after a few bars changed
    // starts from it when it walks the calendar from the same dates and the project's span
    // stayed.
    bool derived = false;
    TDateTime axisStart = 0;
    TDateTime backAxisStart = 0;
    TDateTime projectStart = 0;
    TDateTime projectEnd = 0;
    Array<double> early; // per event
    Array<double> late;
    Array<TDateTime> earlyStart; // per bar
    Array<TDateTime> lateFinish;
    Array<char> critical;
    Array<double> localBuffer;
};

TQVTCriticalPathCalculator::TQVTCriticalPathCalculator(TQVTGanttTable* table) : table(table) {}

TQVTCriticalPathCalculator::~TQVTCriticalPathCalculator() = default;

void TQVTCriticalPathCalculator::invalidate()
{
    FModel.reset();
}

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

void TQVTCriticalPathCalculator::clearResult()
{
    highLightCriticalPath(false);
    FCriticalBars.clear();
    FCriticalConnections.clear();
    FCycleBars.clear();
    FProjectStart = FProjectEnd = 0;
}

void TQVTCriticalPathCalculator::refreshCriticalPath()
{
    clearResult();
    // Everything is read again. The last run's model lends its storage, and what it derived
    // from bars and precedences equal to the ones read now is kept: the bar index, the event
    // graph and its order.
    std::unique_ptr<Model> model = std::move(FModel);
    if (!table)
        return;
    if (!model)
        model = std::make_unique<Model>();
    Model& m = *model;
    const bool lastGraphWhole = !m.order.empty() && m.cycle.empty();
    std::swap(m.lastBars, m.bars);
    std::swap(m.lastTimes, m.times);
    std::swap(m.lastPrecedences, m.precedences);
    m.bars.clear();
    m.precedences.clear();
    m.held.clear();
    m.times.clear();
    m.places.clear();
    m.connections.clear();
    m.cycle.clear();
    m.changed.clear();
    m.earliestLead = 0;
    gatherBars(table->FRows, m.bars, m.held, m.times, m.places);
    const std::size_t un = m.bars.size();
    const int n = static_cast<int>(un);
    if (n == 0)
        return;
    m.rowCount = table->FRows.size();
    m.document = table->findDocument();
    IQVTCalendar* const lastCalendar = std::exchange(m.calendar, m.document ? m.document->getCalendar() : nullptr);
    const bool sameBars = m.lastBars == m.bars;
    m.effectiveKept =
        sameBars && m.calendar == lastCalendar && m.effectiveStart.size() == un &&
        std::equal(m.times.begin(), m.times.end(), m.lastTimes.begin(), m.lastTimes.end(),
                   [](const BarSpan& a, const BarSpan& b) { return a.start == b.start && a.duration == b.duration; });
    // An owner that still lives holds the bar gathered at its address, so the owners of the
    // same bars are kept; making them anew costs three atomic counts per bar.
    const bool sameOwners = sameBars && m.owners.size() == un &&
                            std::none_of(m.owners.begin(), m.owners.end(), [](const auto& o) { return o.expired(); });
    if (!sameOwners) {
        m.owners.clear();
        m.owners.reserve(un);
        for (std::size_t i = 0; i < un; ++i)
            m.owners.push_back(std::shared_ptr<TQVTTaskBar>(*m.held[i], m.bars[i]));
    }
    if (!sameBars)
        m.index = BarIndex(m.bars);
    if (m.document) {
        m.connections.reserve(m.document->connections.size());
        for (const auto& connection : m.document->connections)
            m.connections.push_back(connection.get());
        gatherPrecedences(m.document->connections, m.index, un, m.precedences, m.scratch);
    }
    for (const Precedence& p : m.precedences)
        if (!p.workingDays)
            m.earliestLead = std::min(m.earliestLead, static_cast<double>(p.distance));

    m.alive.assign(un, 1);
    m.changedOrigins.clear();
    m.changedTargets.clear();
    m.changedFromBars.clear();
    // With the bars as they were, only the changed precedences are followed (as a change of a
    // few bars is): the passes' other results stand.
    const bool sameTimes =
        m.effectiveKept && std::equal(m.times.begin(), m.times.end(), m.lastTimes.begin(), m.lastTimes.end(),
                                      [](const BarSpan& a, const BarSpan& b) { return a.end == b.end; });
    // Past this many, the passes cost less than following each.
    constexpr std::size_t MostChangedPrecedences = 64;
    bool edgesKnown = false;
    if (sameBars && lastGraphWhole && m.lastPrecedences == m.precedences) {
        // The same events and edges: only the bars' durations may differ.
        for (std::size_t i = 0; i < un; ++i)
            m.graph.edges[static_cast<std::size_t>(m.graph.first[2 * i])].length = m.times[i].duration;
        edgesKnown = true;
    } else if (sameBars && lastGraphWhole &&
               differingPrecedences(m.lastPrecedences, m.precedences, MostChangedPrecedences, m.removed, m.added)) {
        // A few edges differ. When they join the same events as before (other distances or
        // kinds), the graph's places and the order hold; otherwise the order is repaired where
        // an added edge breaks it, instead of being found again.
        buildGraph(2 * n, m.precedences, m.alive, m.times, m.graph, m.scratch);
        if (!sameEdges(m.lastPrecedences, m.precedences)) {
            findNeighbours(m.graph, m.order, m.precedences, un, m.neighbours);
            Array<std::pair<int, int>> addedEdges;
            for (const Precedence& p : m.added)
                addedEdges.emplace_back(p.originNode(), p.targetNode());
            // A repair that would search more than a quarter of the events costs about what
            // finding the order again does.
            const std::size_t budget = std::max<std::size_t>(un / 2, 1024);
            if (!repairOrder(m.graph, m.neighbours, m.order, std::move(addedEdges), budget, m.repair)) {
                topologicalOrder(m.graph, m.alive, m.order, m.scratch);
                m.neighbours.built = false;
            }
        }
        for (const Array<Precedence>* list : {&m.removed, &m.added})
            for (const Precedence& p : *list) {
                m.changedOrigins.push_back(p.originNode());
                m.changedTargets.push_back(p.targetNode());
                m.changedFromBars.push_back(p.from);
            }
        edgesKnown = true;
    } else if (sameBars && lastGraphWhole && sameEdges(m.lastPrecedences, m.precedences)) {
        // Only distances or their kinds differ: the order, which follows the edges alone, holds.
        buildGraph(2 * n, m.precedences, m.alive, m.times, m.graph, m.scratch);
        m.neighbours.built = false;
    } else {
        buildGraph(2 * n, m.precedences, m.alive, m.times, m.graph, m.scratch);
        topologicalOrder(m.graph, m.alive, m.order, m.scratch);
        m.neighbours.built = false;
    }
    if (m.order.size() < 2 * un) {
        // Bars on precedence cycles are left out with their connections; what remains is
        // acyclic.
        const Array<char> cyclic = nodesOnCycles(m.graph);
        for (std::size_t i = 0; i < un; ++i)
            if (cyclic[2 * i] || cyclic[2 * i + 1]) {
                m.alive[i] = 0;
                m.cycle.push_back(static_cast<int>(i));
                TQVTTaskBar& bar = *m.bars[i];
                bar.FESTime = bar.FLFTime = bar.FLBTime = bar.FGBTime = 0;
            }
        std::erase_if(m.precedences, [&m](const Precedence& p) {
            return !m.alive[static_cast<std::size_t>(p.from)] || !m.alive[static_cast<std::size_t>(p.to)];
        });
        addlog("Critical path: " + std::to_string(m.cycle.size()) +
               " task bars lie on precedence cycles and are left out");
        if (LogActive())
            for (const int i : m.cycle)
                addlog("Critical path: bar " + std::to_string(i) + " (row " +
                       std::to_string(m.bars[static_cast<std::size_t>(i)]->getRow()) + ") lies on a precedence cycle");
        buildGraph(2 * n, m.precedences, m.alive, m.times, m.graph, m.scratch);
        topologicalOrder(m.graph, m.alive, m.order, m.scratch);
        m.neighbours.built = false;
    }
    assert(!m.cycle.empty() || keepsEveryEdge(m.graph, m.order));
    m.followEdges = edgesKnown && sameTimes && m.cycle.empty();
    m.written.assign(un, Written{});
    FModel = std::move(model);
    compute(*FModel, true);
}

bool TQVTCriticalPathCalculator::takeChangedRows(std::vector<int> rows)
{
    Model& m = *FModel;
    TQVTGanttDocument* document = table->findDocument();
    if (table->FRows.size() != m.rowCount || document != m.document ||
        (document && (document->getCalendar() != m.calendar || !sameConnections(document->connections, m.connections))))
        return false;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // Past a few rows, gathering everything again costs less than the checks.
    constexpr std::size_t MostRows = 64;
    if (rows.size() > MostRows || (!rows.empty() && (rows.front() < 0 || rows.back() >= static_cast<int>(m.rowCount))))
        return false;
    const auto reported = [&rows](int row) { return std::binary_search(rows.begin(), rows.end(), row); };
    // The task bars these rows held must be the ones they hold now, in any of them.
    std::size_t held = 0;
    for (const BarPlace& place : m.places)
        held += reported(place.row) ? 1 : 0;
    struct Found {
        int bar;
        BarPlace place;
        BarSpan times;
    };
    Array<Found> found;
    for (const int r : rows) {
        const auto& list = table->FRows[static_cast<std::size_t>(r)]->FBarList;
        for (std::size_t j = 0; j < list.size(); ++j) {
            BarSpan t{};
            TQVTTaskBar* task = readTaskBar(list[j].get(), t);
            if (!task)
                continue;
            const int i = m.index.find(task);
            // A new bar at the address of one that went is not that bar.
            if (i < 0 || !reported(m.places[static_cast<std::size_t>(i)].row) ||
                m.owners[static_cast<std::size_t>(i)].lock().get() != task)
                return false;
            found.push_back({i, {r, static_cast<int>(j)}, t});
        }
    }
    if (found.size() != held)
        return false;
    Array<int> seen;
    for (const Found& f : found)
        seen.push_back(f.bar);
    std::sort(seen.begin(), seen.end());
    if (std::adjacent_find(seen.begin(), seen.end()) != seen.end())
        return false;
    for (const Found& f : found) {
        const auto i = static_cast<std::size_t>(f.bar);
        m.places[i] = f.place;
        m.times[i] = f.times;
        m.changed.push_back(f.bar);
        m.written[i] = Written{};
        if (m.alive[i])
            m.graph.edges[static_cast<std::size_t>(m.graph.first[2 * i])].length = f.times.duration;
    }
    return true;
}

void TQVTCriticalPathCalculator::refreshCriticalPathOfRows(const std::vector<int>& rows)
{
    // The log names bars by their place in a fresh gathering.
    if (!table || !FModel || LogActive() || !takeChangedRows(rows))
        return refreshCriticalPath();
    clearResult();
    compute(*FModel, false);
}

void TQVTCriticalPathCalculator::compute(Model& m, bool fresh)
{
    const std::size_t un = m.bars.size();
    const auto placeOf = [&m](int i) { return m.places[static_cast<std::size_t>(i)]; };
    const auto byPlace = [&placeOf](int a, int b) { return placeOf(a) < placeOf(b); };
    std::sort(m.cycle.begin(), m.cycle.end(), byPlace);
    for (const int i : m.cycle)
        FCycleBars.push_back(m.owners[static_cast<std::size_t>(i)]);

    // The walk of the calendar starts before every date the computation may ask about,
    // rounded down to whole blocks of days: a lead or a first bar that changes a little then
    // keeps the walk's start, and with it the times found before.
    TDateTime lo = std::numeric_limits<double>::max();
    for (const BarSpan& t : m.times)
        lo = std::min({lo, t.start, t.end});
    constexpr double StartBlock = 128;
    WorkingAxis axis(m.calendar, std::floor((lo - 7 + m.earliestLead) / StartBlock) * StartBlock);

    // A bar's effective times follow from its own times alone: only changed bars are asked again.
    const auto effectiveTimes = [&](std::size_t i) {
        m.effectiveStart[i] = axis.findFirstEffective(m.times[i].start);
        m.effectiveEnd[i] = axis.addEffective(m.times[i].start, m.times[i].duration, false);
    };
    Array<int> changed = std::exchange(m.changed, {});
    const bool followEdges = std::exchange(m.followEdges, false);
    const Array<int> edgeOrigins = std::exchange(m.changedOrigins, {});
    const Array<int> edgeTargets = std::exchange(m.changedTargets, {});
    const Array<int> edgeFromBars = std::exchange(m.changedFromBars, {});
    if (fresh && !m.effectiveKept) {
        m.effectiveStart.assign(un, 0);
        m.effectiveEnd.assign(un, 0);
        for (std::size_t i = 0; i < un; ++i)
            effectiveTimes(i);
    } else if (!fresh) {
        for (const int i : changed)
            effectiveTimes(static_cast<std::size_t>(i));
    }
    std::erase_if(changed, [&m](int i) { return !m.alive[static_cast<std::size_t>(i)]; });
    const Array<TDateTime>& effectiveStart = m.effectiveStart;
    const Array<TDateTime>& effectiveEnd = m.effectiveEnd;
    bool any = false;
    for (std::size_t i = 0; i < un; ++i) {
        if (!m.alive[i])
            continue;
        // Earliest effective start and latest effective end of the live bars.
        any = true;
        if (effectiveStart[i] != 0 && (FProjectStart == 0 || effectiveStart[i] < FProjectStart))
            FProjectStart = effectiveStart[i];
        if (effectiveEnd[i] != 0 && (FProjectEnd == 0 || effectiveEnd[i] > FProjectEnd))
            FProjectEnd = effectiveEnd[i];
    }
    // What this run derives stands only once it has finished.
    const bool derived = std::exchange(m.derived, false);
    if (!any)
        return;

    // The moment an event at working time w stands for: a start is at the first working moment
    // (after a weekend, not before it), an end at the last.
    const auto momentOf = [&axis](int node, double w) {
        const TDateTime earliest = axis.earliest(w);
        return node % 2 == 0 ? axis.findFirstEffective(earliest) : earliest;
    };
    // After a few bars changed, with the same walk and the same span of the project, only what
    // follows from their durations is done again: the events after their ends and before their
    // starts. A bar's own dates reach nothing else but its values and the local buffers of its
    // predecessors.
    // After a few precedences changed, likewise from their edges' targets on and back from
    // their origins.
    const bool follow = (!fresh || followEdges) && derived && axis.start() == m.axisStart &&
                        FProjectStart == m.projectStart && FProjectEnd == m.projectEnd;
    if (follow && !m.neighbours.built)
        findNeighbours(m.graph, m.order, m.precedences, un, m.neighbours);
    const auto ends = [&changed](int offset, const Array<int>& more) {
        Array<int> events(more);
        for (const int i : changed)
            events.push_back(2 * i + offset);
        return events;
    };
    const double projectStartWork = axis.work(FProjectStart);
    Array<int> earlyMoved;
    if (follow)
        earlyMoved = followForward(m.graph, m.neighbours, m.order, m.early, ends(1, edgeTargets), projectStartWork,
                                   axis, momentOf);
    else
        forwardPass(m.graph, m.order, projectStartWork, axis, momentOf, m.early);
    // Latest times reach as far before the project end as the longest path is long, which may
    // be long before the first bar: the backward pass walks the calendar from there, as asking
    // the calendar itself for each date before a walk costs a walk of its own.
    double longest = 0;
    for (const double e : m.early)
        if (std::isfinite(e))
            longest = std::max(longest, e - projectStartWork);
    // Rounded down to whole blocks of days: an edit that lengthens the longest path a little
    // then mostly keeps the walk's start, and with it the latest times found before.
    constexpr double ReachBlock = 128;
    const TDateTime reach =
        std::floor((FProjectEnd - longest * axis.calendarPerWorkingTime() * 1.25 - 14) / ReachBlock) * ReachBlock;
    WorkingAxis backAxis(m.calendar, std::isfinite(reach) ? std::min(axis.start(), reach) : axis.start());
    const double projectEndWork = backAxis.work(FProjectEnd);
    const bool followBack = follow && backAxis.start() == m.backAxisStart;
    Array<int> lateMoved;
    if (followBack)
        lateMoved =
            followBackward(m.graph, m.neighbours, m.order, m.late, ends(0, edgeOrigins), projectEndWork, backAxis);
    else
        backwardPass(m.graph, m.order, projectEndWork, backAxis, m.late, m.scratch.reversedOrder);

    // Real times, buffers and the critical bars, first apart from the bars.
    const auto earlyStartOf = [&](std::size_t i) {
        m.earlyStart[i] = axis.addEffective(FProjectStart, m.early[2 * i] - projectStartWork, true);
    };
    const auto lateFinishOf = [&](std::size_t i) {
        m.lateFinish[i] = backAxis.substrEffective(FProjectEnd, projectEndWork - m.late[2 * i + 1]);
    };
    const auto criticalOf = [&](std::size_t i) {
        m.critical[i] = std::abs(m.lateFinish[i] - effectiveEnd[i]) <= Tolerance;
    };
    const auto gapOf = [&](const Precedence& p) {
        const BarSpan& origin = m.times[static_cast<std::size_t>(p.from)];
        const BarSpan& target = m.times[static_cast<std::size_t>(p.to)];
        const TDateTime a = (p.type & 2) ? origin.start : origin.end;
        const TDateTime b = (p.type & 1) ? target.start : target.end;
        return (p.workingDays ? axis.diffEffective(a, b) : b - a) - static_cast<double>(p.distance);
    };
    if (follow) {
        for (const int v : earlyMoved)
            if (v % 2 == 0)
                earlyStartOf(static_cast<std::size_t>(v / 2));
    } else {
        m.earlyStart.assign(un, 0);
        for (std::size_t i = 0; i < un; ++i)
            if (m.alive[i])
                earlyStartOf(i);
    }
    if (followBack) {
        for (const int v : lateMoved)
            if (v % 2 == 1) {
                lateFinishOf(static_cast<std::size_t>(v / 2));
                criticalOf(static_cast<std::size_t>(v / 2));
            }
        for (const int i : changed)
            criticalOf(static_cast<std::size_t>(i));
    } else {
        m.lateFinish.assign(un, 0);
        m.critical.assign(un, 0);
        for (std::size_t i = 0; i < un; ++i)
            if (m.alive[i]) {
                lateFinishOf(i);
                criticalOf(i);
            }
    }
    // The local buffer: the least slack of a bar's outgoing precedences.
    if (follow) {
        const Neighbours& nb = m.neighbours;
        const auto localBufferOf = [&](int bar) {
            const auto i = static_cast<std::size_t>(bar);
            double buffer = FProjectEnd - effectiveEnd[i];
            for (int k = nb.fromFirst[i]; k < nb.fromFirst[i + 1]; ++k)
                buffer = std::min(buffer, gapOf(m.precedences[static_cast<std::size_t>(nb.fromBar[static_cast<std::size_t>(k)])]));
            m.localBuffer[i] = buffer;
        };
        for (const int i : edgeFromBars)
            localBufferOf(i);
        for (const int i : changed) {
            localBufferOf(i);
            const auto ui = static_cast<std::size_t>(i);
            for (int k = nb.toFirst[ui]; k < nb.toFirst[ui + 1]; ++k)
                localBufferOf(m.precedences[static_cast<std::size_t>(nb.toBar[static_cast<std::size_t>(k)])].from);
        }
    } else {
        m.localBuffer.resize(un);
        for (std::size_t i = 0; i < un; ++i)
            m.localBuffer[i] = FProjectEnd - effectiveEnd[i];
        for (std::size_t k = 0; k < m.precedences.size(); ++k) {
            // Grouped by origin, the precedences meet their targets in no order.
            if (k + Ahead < m.precedences.size())
                prefetch(&m.times[static_cast<std::size_t>(m.precedences[k + Ahead].to)]);
            const Precedence& p = m.precedences[k];
            double& buffer = m.localBuffer[static_cast<std::size_t>(p.from)];
            buffer = std::min(buffer, gapOf(p));
        }
    }
    Array<const Precedence*> criticalPrecedences;
    for (const Precedence& p : m.precedences)
        if (m.critical[static_cast<std::size_t>(p.from)] && m.critical[static_cast<std::size_t>(p.to)])
            criticalPrecedences.push_back(&p);
    m.derived = true;
    m.axisStart = axis.start();
    m.backAxisStart = backAxis.start();
    m.projectStart = FProjectStart;
    m.projectEnd = FProjectEnd;
    const Array<TDateTime>& earlyStart = m.earlyStart;
    const Array<TDateTime>& lateFinish = m.lateFinish;
    const Array<char>& critical = m.critical;
    const Array<double>& localBuffer = m.localBuffer;
    // Then written to the bars whose values changed, in order.
    const auto unchanged = [&](std::size_t i) {
        const Written& last = m.written[i];
        return last.early == earlyStart[i] && last.lateFinish == lateFinish[i] && last.localBuffer == localBuffer[i];
    };
    Array<int> criticalBars;
    for (std::size_t i = 0; i < un; ++i) {
        if (i + Ahead < un && !unchanged(i + Ahead))
            prefetchBar(m.bars[i + Ahead]);
        if (!m.alive[i])
            continue;
        if (critical[i])
            criticalBars.push_back(static_cast<int>(i));
        Written& last = m.written[i];
        if (unchanged(i))
            continue;
        // Gathered just now the bar lives; later only its owner can tell.
        std::shared_ptr<TQVTTaskBar> held;
        TQVTTaskBar* bar = fresh ? m.bars[i] : (held = m.owners[i].lock()).get();
        if (!bar)
            continue;
        last = Written{earlyStart[i], lateFinish[i], localBuffer[i]};
        bar->FESTime = earlyStart[i];
        bar->FLFTime = lateFinish[i];
        bar->FGBTime = lateFinish[i] - effectiveEnd[i];
        bar->FLBTime = localBuffer[i];
    }
    std::sort(criticalBars.begin(), criticalBars.end(), byPlace);
    for (const int i : criticalBars)
        FCriticalBars.push_back(m.owners[static_cast<std::size_t>(i)]);
    std::sort(criticalPrecedences.begin(), criticalPrecedences.end(),
              [&placeOf](const Precedence* x, const Precedence* y) {
                  return x->from != y->from ? placeOf(x->from) < placeOf(y->from) : placeOf(x->to) < placeOf(y->to);
              });
    for (const Precedence* p : criticalPrecedences)
        FCriticalConnections.push_back(m.document->connections[static_cast<std::size_t>(p->connection)]);

    // Only fresh runs log (see refreshCriticalPathOfRows), so every bar lives.
    if (fresh && LogActive())
        for (std::size_t i = 0; i < un; ++i) {
            if (!m.alive[i])
                continue;
            const TQVTTaskBar& bar = *m.bars[i];
            const std::string name = "bar " + std::to_string(i);
            addlog(name + " EST = " + RealToText(bar.FESTime));
            addlog(name + " LFT = " + RealToText(bar.FLFTime));
            addlog(name + " LBT = " + RealToText(bar.FLBTime));
            addlog(name + " GBT = " + RealToText(bar.FGBTime));
        }
    highLightCriticalPath(true);
}

} // namespace corvane
