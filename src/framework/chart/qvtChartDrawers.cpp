#include "corvane/framework/chart/qvtChartDrawers.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtChartShared_p.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/pert/qvtPertBar.h"
#include "corvane/framework/rendering/qvtVisualContext.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/framework/time/qvtTimeScale.h"
#include "corvane/platform/DateUtils.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <numeric>
#include <optional>
#include <typeinfo>
#include <unordered_map>
#include <utility>

namespace corvane {

namespace {

constexpr TColor NoColor = 0x1FFFFFFF;
constexpr TColor SelectorColor = 0x666666;
constexpr TColor RowLabelColor = 0x6E6E6E;
// How far beyond its bars' rectangle a connection can paint: stubs, arrow heads and the
// distance at which the mouse still finds it.
constexpr int ConnectionReach = 3 * TQVTBarConnectionDrawer::StubLength + 2 * TQVTBarConnectionDrawer::HitDistance;
// How far an exception name (Arial 14, bold italic, turned) can stand out of its column.
constexpr int NameReach = 64;

int clampToInt(std::int64_t v)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool overlapsHorizontally(std::int64_t left, std::int64_t right, const TRect& view)
{
    return right > view.Left && left < view.Right;
}

// The time axis of the chart: x(t) = chart start + round(column width x units from the
// document's start to t).
struct TimeAxis {
    int origin = 0;
    double columnWidth = 1;
    TDateTime start = 0;
    TQVTDocumentCalendar* calendar = nullptr;

    double units(TDateTime a, TDateTime b) const
    {
        return calendar ? calendar->RealDiff(a, b) : corvane::RealDiff(a, b, tmDay);
    }
    int x(TDateTime t) const { return clampToInt(std::int64_t{origin} + roundHalfEven(columnWidth * units(t, start))); }
    int dayWidth(TDateTime d) const { return roundHalfEven(columnWidth * units(d + 1, d)); }
};

TimeAxis axisOf(TQVTGanttDocument& document, const TQVTGanttTable& table)
{
    TimeAxis axis;
    axis.origin = document.getColStartX(0);
    axis.columnWidth = std::max(1, table.GetColumnWidth());
    axis.start = document.getStartDate();
    axis.calendar = document.getCalendar();
    return axis;
}

const TQVTTreeRowSettings& rowSettingsOf(const TQVTTreeGrid& tree, const TQVTTreeRow& treeRow)
{
    static const TQVTTreeRowSettings defaults;
    if (treeRow.Fsettings)
        return *treeRow.Fsettings;
    return tree.FDefaultRowSettings ? *tree.FDefaultRowSettings : defaults;
}

// Whether row i has rows below it in the task tree; answered by the tree's numbering rather
// than by the table's walk over every row.
bool isGroupRow(const TQVTTreeGrid* tree, int i)
{
    return tree && tree->childrenCount(i) > 0;
}

TQVTTreeRow* treeRowOf(const TQVTTreeGrid* tree, int i)
{
    return tree && i >= 0 && i < tree->rowsCount() ? tree->getRow(i) : nullptr;
}

// The background of a row: the tree row settings' colour, or their group colour.
TColor rowColor(const TQVTTreeGrid& tree, const TQVTTreeRow& treeRow, bool group)
{
    const TQVTTreeRowSettings& settings = rowSettingsOf(tree, treeRow);
    return group ? settings.FGroupColor : settings.FColor;
}

bool shownRow(const TQVTGanttRow& row, const TQVTTreeRow* treeRow)
{
    return row.IsVisible() && treeRow && !treeRow->FHidden;
}

TRect rowRect(TQVTGanttTable& table, const TRect& area, int i, int height)
{
    const int top = table.getRowStartY(i);
    return TRect{area.Left, top, area.Right, clampToInt(std::int64_t{top} + height)};
}

// The last row that reaches into the area: the first row starting below bottom, or the last
// row. getRowStartY never decreases, so a bisection finds it.
int lastRowAbove(TQVTGanttTable& table, int bottom)
{
    int lo = 0;
    int hi = std::max(table.countRows() - 1, 0);
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (table.getRowStartY(mid) > bottom)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

// The shown rows up to last, ascending.
void shownRowsUpTo(TQVTGanttTable& table, const TQVTTreeGrid* tree, int last, std::vector<int>& out)
{
    out.clear();
    if (!tree)
        return;
    for (const int i : table.getVisibleRows()) {
        if (i > last)
            break;
        const TQVTGanttRow* row = table.getRow(i);
        if (row && shownRow(*row, treeRowOf(tree, i)))
            out.push_back(i);
    }
}

template <typename T>
T* targetAs(TQVTGanttObject* target)
{
    return dynamic_cast<T*>(target);
}

} // namespace

// Resource label selector

TQVTRessourceLabelSelector::TQVTRessourceLabelSelector() = default;

std::unique_ptr<TQVTDrawer> TQVTRessourceLabelSelector::makeDrawer() const
{
    return std::make_unique<TQVTRessourceLabelSelectorDrawer>(const_cast<TQVTRessourceLabelSelector*>(this));
}

void TQVTRessourceLabelSelector::SetFRect(int left, int top, int right, int bottom)
{
    if (auto* drawer = dynamic_cast<TQVTRessourceLabelSelectorDrawer*>(getDrawer(vtGanttGraph)))
        drawer->SetFRect(left, top, right, bottom);
}

void TQVTRessourceLabelSelectorDrawer::SetFRect(int left, int top, int right, int bottom)
{
    FLeft = left;
    FTop = top;
    FRight = right;
    FBottom = bottom;
}

bool TQVTRessourceLabelSelectorDrawer::Draw(TQVTVisualContext& vc)
{
    // Without a label under the mouse the frame is (-1, -1, -1, -1): nothing to mark.
    const auto* selector = targetAs<TQVTRessourceLabelSelector>(target);
    if (selector && !selector->FActive)
        return false;
    vc.DrawRessourceLabelRect(TRect{clampToInt(std::int64_t{FLeft} - 2), clampToInt(std::int64_t{FTop} - 2),
                                    clampToInt(std::int64_t{FRight} + 2), clampToInt(std::int64_t{FBottom} + 2)},
                              SelectorColor);
    return true;
}

// Document, Gantt view

namespace {

// Asks the memory for what reading the connections after the k-th of count will need: the
// connections, their bars and the bars' rows lie scattered over the heap, and each is asked for
// some places before it is needed so that the waits overlap. positionOf(i) is the i-th
// connection's place in the document's list.
template <class PositionOf>
void prefetchConnectionsAhead(const TQVTGanttDocument& doc, const TQVTGanttTable& table, std::size_t k,
                              std::size_t count, PositionOf positionOf)
{
    constexpr std::size_t Stage = 4;
    const auto connectionAt = [&](std::size_t i) { return doc.connections[positionOf(i)].get(); };
    if (k + 3 * Stage < count)
        __builtin_prefetch(&doc.connections[positionOf(k + 3 * Stage)]);
    if (k + 2 * Stage < count)
        if (const TQVTBarConnection* next = connectionAt(k + 2 * Stage)) {
            __builtin_prefetch(&next->barFrom);
            __builtin_prefetch(&next->barTo);
        }
    if (k + Stage < count)
        if (const TQVTBarConnection* next = connectionAt(k + Stage))
            for (const TQVTGanttBar* bar : {next->barFrom.get(), next->barTo.get()})
                if (bar) {
                    __builtin_prefetch(bar);
                    __builtin_prefetch(reinterpret_cast<const char*>(bar) + 64);
                    __builtin_prefetch(reinterpret_cast<const char*>(bar) + 128);
                }
    // A bar's row is found through its parent link; the row it was last in is the one to ask for.
    const auto rowOf = [&table](const TQVTGanttBar* bar) -> const TQVTGanttRow* {
        const auto index = static_cast<std::size_t>(bar->FRow);
        return bar->FRow >= 0 && index < table.FRows.size() ? table.FRows[index].get() : nullptr;
    };
    if (k + Stage / 2 < count)
        if (const TQVTBarConnection* next = connectionAt(k + Stage / 2))
            for (const TQVTGanttBar* bar : {next->barFrom.get(), next->barTo.get()})
                if (const TQVTGanttRow* row = bar ? rowOf(bar) : nullptr)
                    row->prefetchForPainting();
    if (k + 1 < count)
        if (const TQVTBarConnection* next = connectionAt(k + 1))
            for (const TQVTGanttBar* bar : {next->barFrom.get(), next->barTo.get()})
                if (const TQVTGanttRow* row = bar ? rowOf(bar) : nullptr)
                    __builtin_prefetch(row->FBarList.data());
}

} // namespace

struct TQVTDocumentDrawer::ConnectionIndex {
    struct Entry {
        int lo;
        int hi;
        int position;
    };

    // What the index was built from; any difference rebuilds it.
    const void* connections = nullptr;
    std::size_t connectionCount = 0;
    std::size_t listPrint = 0;
    const void* rows = nullptr;
    std::size_t rowCount = 0;
    std::uint64_t stamp = 0;
    std::uint64_t rowLayoutStamp = 0;

    // Grouped by the length class of their row span (class c: at least 2^c - 1 and less than
    // 2^(c+1) - 1 rows between the ends), each group sorted by lo: a span that meets a row
    // range starts at most its class's length before it, so a query reads little more than
    // what it finds, however long the spans around it are.
    std::vector<Entry> entries;
    std::vector<std::size_t> classStart; // entries of class c: [classStart[c], classStart[c + 1])
    // A bit per position, set by a query while it finds and cleared while it answers.
    mutable std::vector<std::uint64_t> found;

    // The connections in list order, cheap to read: a bar's move takes its connections out of
    // the list and puts them back where they were.
    static std::size_t printOf(const TQVTGanttDocument& document)
    {
        std::size_t print = document.connections.size();
        for (const auto& c : document.connections)
            print = print * 1099511628211ULL ^ reinterpret_cast<std::uintptr_t>(c.get());
        return print;
    }

    bool fits(const TQVTGanttDocument& document, const TQVTGanttTable& table)
    {
        if (connections != document.connections.data() || connectionCount != document.connections.size() ||
            rows != table.FRows.data() || rowCount != table.FRows.size())
            return false;
        if (stamp == table.getChangeStamp())
            return true;
        // Something changed; the index still holds when no bar changed rows and the list is the
        // same, as after bars moved in time.
        if (rowLayoutStamp != table.getRowLayoutStamp() || listPrint != printOf(document))
            return false;
        stamp = table.getChangeStamp();
        return true;
    }

    void build(const TQVTGanttDocument& document, const TQVTGanttTable& table)
    {
        connections = document.connections.data();
        connectionCount = document.connections.size();
        listPrint = printOf(document);
        rows = table.FRows.data();
        rowCount = table.FRows.size();
        stamp = table.getChangeStamp();
        rowLayoutStamp = table.getRowLayoutStamp();
        std::vector<Entry> spans;
        const std::size_t count = document.connections.size();
        spans.reserve(count);
        for (std::size_t k = 0; k < count; ++k) {
            prefetchConnectionsAhead(document, table, k, count, [](std::size_t i) { return i; });
            const TQVTBarConnection* c = document.connections[k].get();
            if (!c || !c->barFrom || !c->barTo)
                continue;
            const int a = c->barFrom->getRow();
            const int b = c->barTo->getRow();
            spans.push_back(Entry{std::min(a, b), std::max(a, b), static_cast<int>(k)});
        }
        // Counted into their classes and placed there, then each class sorted by lo: cheaper
        // than one sort that works out both entries' classes at every comparison.
        std::array<std::size_t, 66> starts{};
        for (const Entry& e : spans)
            ++starts[static_cast<std::size_t>(lengthClass(e)) + 1];
        std::size_t classes = starts.size() - 1;
        while (classes > 0 && starts[classes] == 0)
            --classes;
        std::partial_sum(starts.begin(), starts.end(), starts.begin());
        classStart.assign(starts.begin(), starts.begin() + static_cast<std::ptrdiff_t>(classes) + 1);
        entries.resize(spans.size());
        for (const Entry& e : spans)
            entries[starts[static_cast<std::size_t>(lengthClass(e))]++] = e;
        for (std::size_t c = 0; c + 1 < classStart.size(); ++c)
            std::sort(entries.begin() + static_cast<std::ptrdiff_t>(classStart[c]),
                      entries.begin() + static_cast<std::ptrdiff_t>(classStart[c + 1]),
                      [](const Entry& x, const Entry& y) { return x.lo < y.lo; });
        found.assign(count / 64 + 1, 0);
    }

    static int lengthClass(const Entry& e)
    {
        return std::bit_width(static_cast<std::uint64_t>(std::int64_t{e.hi} - e.lo) + 1u) - 1;
    }

    // Positions of the connections whose row span meets [first, last].
    void query(int first, int last, std::vector<int>& out) const
    {
        out.clear();
        for (std::size_t c = 0; c + 1 < classStart.size(); ++c) {
            const auto begin = entries.begin() + static_cast<std::ptrdiff_t>(classStart[c]);
            const auto end = entries.begin() + static_cast<std::ptrdiff_t>(classStart[c + 1]);
            // Spans of this class are shorter than 2^(c+1) - 1 rows.
            const std::int64_t earliestLo = std::int64_t{first} - (std::int64_t{2} << c);
            auto k =
                std::lower_bound(begin, end, earliestLo, [](const Entry& e, std::int64_t lo) { return e.lo < lo; });
            for (; k != end && k->lo <= last; ++k)
                if (k->hi >= first)
                    found[static_cast<std::size_t>(k->position) / 64] |= std::uint64_t{1} << (k->position % 64);
        }
        // In list order, as the connections are painted; a sort cost more than this sweep.
        for (std::size_t w = 0; w < found.size(); ++w)
            for (std::uint64_t bits = std::exchange(found[w], 0); bits != 0; bits &= bits - 1)
                out.push_back(static_cast<int>(w * 64) + std::countr_zero(bits));
    }
};

TQVTGanttDocument* TQVTDocumentDrawer::document() const
{
    return targetAs<TQVTGanttDocument>(target);
}

void TQVTDocumentDrawer::connectionsNear(int first, int last, std::vector<int>& out)
{
    TQVTGanttDocument* doc = document();
    TQVTGanttTable* table = doc ? doc->GetTable() : nullptr;
    out.clear();
    if (!table)
        return;
    if (!FIndex)
        FIndex = std::make_shared<ConnectionIndex>();
    if (!FIndex->fits(*doc, *table))
        FIndex->build(*doc, *table);
    FIndex->query(first, last, out);
}

bool TQVTDocumentDrawer::Draw(TQVTVisualContext& vc)
{
    FPainted.clear();
    TQVTGanttDocument* doc = document();
    if (!doc)
        return false;
    TQVTGanttTable* table = doc->GetTable();
    // The time scales keep their heights until they are painted, last.
    std::optional<TableStartPin> pinned;
    if (table)
        pinned.emplace(*table);
    const TRect visible = vc.getVisibleArea();

    if (TQVTTreeGrid* tree = doc->GetTree())
        if (TQVTDrawer* drawer = tree->getDrawer(vtGanttGraph)) {
            const std::int64_t left = doc->getDocStartX();
            vc.SetClipRect(TRect{clampToInt(std::max<std::int64_t>(visible.Left, left)), visible.Top,
                                 clampToInt(std::min<std::int64_t>(visible.Right, left + doc->getTreeWidth())),
                                 visible.Bottom});
            drawer->Draw(vc);
            vc.ResetClipRect();
        }

    const int chartLeft = doc->getColStartX(0);
    const bool clipped = table && table->FWidth > 0;
    if (clipped)
        vc.SetClipRect(TRect{chartLeft, visible.Top, visible.Right, visible.Bottom});
    if (TQVTDrawer* drawer = table ? table->getDrawer(vtGanttGraph) : nullptr)
        drawer->Draw(vc);

    if (doc->FDrawConnections && table && table->countRows() > 0) {
        // Connections whose rows all lie above the first visible row join two hidden rows and
        // paint nothing; those starting below the area's bottom (with a connection's reach)
        // cannot reach it either.
        const int first = table->GetFirstVisibleRowIndex();
        const int last = lastRowAbove(*table, clampToInt(std::int64_t{visible.Bottom} + ConnectionReach));
        if (first >= 0)
            connectionsNear(first, last, FCandidates);
        else
            FCandidates.clear();
        const TDateTime viewStart = doc->getStartDate();
        const TDateTime viewEnd = doc->getEndDate();
        // The application's hook may move bars, so the rectangles are handed on only without
        // one, and only to the stock drawer.
        const bool hooked = static_cast<bool>(doc->FOnDrawConnection);
        for (std::size_t k = 0; k < FCandidates.size(); ++k) {
            prefetchConnectionsAhead(*doc, *table, k, FCandidates.size(),
                                     [this](std::size_t i) { return static_cast<std::size_t>(FCandidates[i]); });
            const std::shared_ptr<TQVTBarConnection>& c = doc->connections[static_cast<std::size_t>(FCandidates[k])];
            // Dates are cheaper to read than rectangles are to work out.
            if (!c || !c->barFrom || !c->barTo || c->liesOutside(viewStart, viewEnd))
                continue;
            const TRect a = c->barFrom->getRect(viewStart);
            const TRect b = c->barTo->getRect(viewStart);
            if (!overlapsHorizontally(std::int64_t{std::min(a.Left, b.Left)} - ConnectionReach,
                                      std::int64_t{std::max(a.Right, b.Right)} + ConnectionReach, visible))
                continue;
            FPainted.push_back(c);
            bool accept = true;
            if (hooked)
                doc->FOnDrawConnection(c.get(), accept);
            if (!accept)
                continue;
            TQVTDrawer* drawer = c->getDrawer(vtGanttGraph);
            if (!drawer)
                continue;
            if (!hooked && typeid(*drawer) == typeid(TQVTBarConnectionDrawer)) {
                static_cast<TQVTBarConnectionDrawer*>(drawer)->drawBetween(vc, *doc, viewStart, a, b);
            } else {
                drawer->Draw(vc);
            }
        }
    }

    pinned.reset();
    for (const auto& scale : doc->FScales)
        if (TQVTDrawer* drawer = scale ? scale->getDrawer(vtGanttGraph) : nullptr)
            drawer->Draw(vc);

    if (clipped)
        vc.ResetClipRect();
    return true;
}

TQVTGanttObject* TQVTDocumentDrawer::locateObject(int x, int y)
{
    TQVTGanttDocument* doc = document();
    if (!doc)
        return nullptr;
    if (TQVTTreeGrid* tree = doc->GetTree())
        if (TQVTDrawer* drawer = tree->getDrawer(vtGanttGraph))
            if (TQVTGanttObject* found = drawer->locateObject(x, y))
                return found;
    if (TQVTGanttTable* table = doc->GetTable())
        if (TQVTDrawer* drawer = table->getDrawer(vtGanttGraph))
            if (TQVTGanttObject* found = drawer->locateObject(x, y))
                return found;
    // Only connections that could reach the area at the last paint can lie under the mouse.
    for (const auto& weak : FPainted)
        if (const auto c = weak.lock(); c && c->getParent() == doc)
            if (TQVTDrawer* drawer = c->getDrawer(vtGanttGraph))
                if (TQVTGanttObject* found = drawer->locateObject(x, y))
                    return found;
    return nullptr;
}

// Document, PERT view

TQVTGanttDocument* TQVTDocumentPertDrawer::document() const
{
    return targetAs<TQVTGanttDocument>(target);
}

bool TQVTDocumentPertDrawer::Draw(TQVTVisualContext& vc)
{
    TQVTGanttDocument* doc = document();
    if (!doc)
        return false;
    const TRect visible = vc.getVisibleArea();
    if (TQVTGanttTable* table = doc->GetTable()) {
        vc.SetClipRect(TRect{doc->getColStartX(0), visible.Top, visible.Right, visible.Bottom});
        if (TQVTDrawer* drawer = table->getDrawer(vtPertGraph))
            drawer->Draw(vc);
        vc.ResetClipRect();
    }
    if (TQVTTreeGrid* tree = doc->GetTree()) {
        vc.SetClipRect(TRect{doc->getDocStartX(), visible.Top, doc->getTreeWidth(), visible.Bottom});
        if (TQVTDrawer* drawer = tree->getDrawer(vtGanttGraph))
            drawer->Draw(vc);
        vc.ResetClipRect();
    }
    return true;
}

TQVTGanttObject* TQVTDocumentPertDrawer::locateObject(int x, int y)
{
    TQVTGanttDocument* doc = document();
    if (!doc)
        return nullptr;
    if (TQVTTreeGrid* tree = doc->GetTree())
        if (TQVTDrawer* drawer = tree->getDrawer(vtGanttGraph))
            if (TQVTGanttObject* found = drawer->locateObject(x, y))
                return found;
    if (TQVTGanttTable* table = doc->GetTable())
        if (TQVTDrawer* drawer = table->getDrawer(vtPertGraph))
            return drawer->locateObject(x, y);
    return nullptr;
}

// Table, Gantt view

TQVTGanttTable* TQVTGanttTableDrawer::table() const
{
    return targetAs<TQVTGanttTable>(target);
}

void TQVTGanttTableDrawer::collectShownRows(TQVTGanttTable& t)
{
    TQVTGanttDocument* doc = t.findDocument();
    shownRowsUpTo(t, doc ? doc->GetTree() : nullptr, lastVisible, FShown);
    // A row that ends this far above the area cannot paint into it: bars reach into the rows
    // below their own by less.
    constexpr int OverhangReach = 256;
    const std::int64_t top = std::int64_t{tableArea.Top} - OverhangReach;
    FSkippedHeight = 0;
    auto first = FShown.begin();
    while (first != FShown.end() && std::int64_t{t.getRowStartY(*first)} + t.getRow(*first)->getHeight() < top)
        FSkippedHeight += t.getRow(*first++)->getHeight();
    FShown.erase(FShown.begin(), first);
}

void TQVTGanttTableDrawer::collectShadedDays(TQVTGanttDocument& document, TQVTGanttTable& t, int margin)
{
    FShaded.clear();
    if (!Fcalendar)
        return;
    const TDateTime start = document.getStartDate();
    const TDateTime end = document.getEndDate();
    const std::int64_t width = std::max(1, t.GetColumnWidth());
    const std::int64_t viewLeft = std::int64_t{tableArea.Left} - margin;
    const std::int64_t viewRight = std::int64_t{tableArea.Right} + margin;
    // Jump close to the first column that reaches the view instead of stepping from the start;
    // two units early, since a unit's column is where Diff puts it, not where the count of
    // steps does.
    const std::int64_t skip = (viewLeft - tableArea.Left) / width - 2;
    TDateTime d = start;
    if (skip > 0)
        d = Fcalendar->Add(start, static_cast<int>(std::min<std::int64_t>(skip, std::numeric_limits<int>::max())));
    while (d <= end) {
        const std::int64_t left = tableArea.Left + std::int64_t{Fcalendar->Diff(d, start)} * width;
        if (left >= viewRight)
            break;
        if (left + width > viewLeft) {
            const TQVTDateCategory* category = Fcalendar->matchCategory(d, -1, tmNone);
            if (category && category->getVisible())
                FShaded.push_back(
                    ShadedDay{d, TRect{clampToInt(left), tableArea.Top, clampToInt(left + width), tableArea.Bottom},
                              category->getColor()});
        }
        const TDateTime next = Fcalendar->Next(d);
        // A calendar at the end of its range stops moving; the walk stops with it.
        if (!(next > d))
            break;
        d = next;
    }
}

void TQVTGanttTableDrawer::drawDateLine(TQVTVisualContext& context, TDateTime date, TPenStyle style, TColor color,
                                        int width, const std::string& caption, bool withCaption)
{
    TQVTGanttTable* t = table();
    TQVTGanttDocument* doc = t ? t->findDocument() : nullptr;
    if (!doc)
        return;
    const TRect visible = context.getVisibleArea();
    // A line is never wider than the view; a wider pen would only cost time.
    const int w = std::clamp(width, 0, std::max(1, visible.Right - visible.Left));
    const std::int64_t x = axisOf(*doc, *t).x(date);
    context.setPenStyle(style);
    context.setDrawingColor(color);
    context.setPenWidth(1);
    const std::int64_t from = std::max<std::int64_t>(x, visible.Left);
    const std::int64_t to = std::min<std::int64_t>(x + w, visible.Right);
    for (std::int64_t lx = from; lx < to; ++lx)
        context.drawLine(static_cast<int>(lx), tableArea.Top, static_cast<int>(lx), tableArea.Bottom);
    context.setPenStyle(psSolid);
    if (withCaption && !caption.empty()) {
        context.setFont("Arial", 7, color, false, false, false, 0);
        context.centerTextVertical(TRect{clampToInt(x + w), tableArea.Top, clampToInt(x + w + 21), tableArea.Bottom},
                                   caption);
    }
}

bool TQVTGanttTableDrawer::Draw(TQVTVisualContext& context)
{
    TQVTGanttTable* t = table();
    TQVTGanttDocument* doc = t ? t->findDocument() : nullptr;
    if (!doc)
        return false;
    vc = &context;
    const TRect visible = context.getVisibleArea();
    tableArea = visible;
    tableArea.Left = doc->getColStartX(0);
    Fcalendar = doc->getCalendar();
    const int tableStart = doc->GetTableStartY();
    if (tableArea.Top < tableStart)
        tableArea.Top = tableStart;
    TQVTTreeGrid* tree = doc->GetTree();
    const int columnWidth = std::max(1, t->GetColumnWidth());

    lastVisible = lastRowAbove(*t, visible.Bottom);
    collectShownRows(*t);
    collectShadedDays(*doc, *t, NameReach + columnWidth);

    // The base colour only where no row's background will cover it: a full-screen fill is
    // a good part of a frame.
    int covered = tableArea.Top;
    const auto fillBaseTo = [&](int y) {
        if (y > covered)
            context.FillArea(TRect{tableArea.Left, covered, tableArea.Right, std::min(y, tableArea.Bottom)},
                             t->FBaseColor, bsSolid);
        covered = std::max(covered, y);
    };
    for (const int i : FShown) {
        const TRect r = rowRect(*t, tableArea, i, t->getRow(i)->getHeight());
        fillBaseTo(r.Top);
        covered = std::max(covered, r.Bottom);
    }
    fillBaseTo(tableArea.Bottom);

    // Row backgrounds, lower rows first.
    for (auto it = FShown.rbegin(); it != FShown.rend(); ++it) {
        const TQVTGanttRow& row = *t->getRow(*it);
        context.FillArea(rowRect(*t, tableArea, *it, row.getHeight()),
                         rowColor(*tree, *treeRowOf(tree, *it), isGroupRow(tree, *it)), bsSolid);
    }

    if (t->FShowDateExceptions)
        for (const ShadedDay& day : FShaded)
            context.FillArea(day.column, day.color, bsSolid);

    for (auto it = FShown.rbegin(); it != FShown.rend(); ++it) {
        const TQVTGanttRow& row = *t->getRow(*it);
        if (!row.FSelected && !row.FFocused)
            continue;
        const TRect r = rowRect(*t, tableArea, *it, row.getHeight());
        if (row.FSelected)
            context.FillArea(r, tree->FSelectedRowColor, bsSolid);
        if (row.FFocused)
            context.FillArea(r, tree->FFocusedRowColor, bsSolid);
    }

    // Grid: a line under every shown row, then the columns.
    context.setDrawingColor(t->FGridColor);
    context.setPenWidth(1);
    context.setPenStyle(psSolid);
    std::int64_t y = tableStart + FSkippedHeight;
    for (const int i : FShown) {
        if (y >= tableArea.Bottom)
            break;
        y += t->getRow(i)->getHeight();
        context.drawLine(tableArea.Left, clampToInt(y), tableArea.Right, clampToInt(y));
    }
    if (t->FShowDateLines)
        for (std::int64_t x = tableArea.Left; x < tableArea.Right; x += columnWidth)
            context.drawLine(static_cast<int>(x), tableArea.Top, static_cast<int>(x), tableArea.Bottom);

    if (!FShaded.empty()) {
        context.setFont("Arial", 14, clWhite, true, true, false, 0);
        for (const ShadedDay& day : FShaded)
            context.centerTextVertical(day.column, Fcalendar->getDateLabel(day.date, tmNone));
    }

    const TQVTCurrentDateLine& now = t->FCurrentDateLine;
    if (now.Visible)
        drawDateLine(context, Now(), now.PenStyle, now.Color, now.PenWidth, now.Caption, false);
    for (const TQVTUserDefinedDateLine* line : {&t->FDateLine, &t->FDateLine2})
        if (line->Visible)
            drawDateLine(context, line->Date, line->PenStyle, line->Color, line->PenWidth, line->Caption, true);

    context.SetClipRect(tableArea);
    for (auto it = FShown.rbegin(); it != FShown.rend(); ++it)
        if (auto* drawer = dynamic_cast<TQVTGanttRowDrawer*>(t->getRow(*it)->getDrawer(vtGanttGraph)))
            drawer->DrawBack(context);
    for (auto it = FShown.rbegin(); it != FShown.rend(); ++it)
        if (TQVTDrawer* drawer = t->getRow(*it)->getDrawer(vtGanttGraph))
            drawer->Draw(context);
    if (t->FHightlightRessourceLabels)
        if (TQVTDrawer* drawer = t->getRessourceLabelSelector()->getDrawer(vtGanttGraph))
            drawer->Draw(context);
    context.ResetClipRect();
    return true;
}

TQVTGanttObject* TQVTGanttTableDrawer::locateObject(int x, int y)
{
    TQVTGanttTable* t = table();
    TQVTGanttDocument* doc = t ? t->findDocument() : nullptr;
    if (!doc)
        return nullptr;
    std::vector<int> shown;
    shownRowsUpTo(*t, doc->GetTree(), std::min(lastVisible, t->countRows() - 1), shown);
    for (const int i : shown)
        if (TQVTDrawer* drawer = t->getRow(i)->getDrawer(vtGanttGraph))
            if (TQVTGanttObject* found = drawer->locateObject(x, y))
                return found;
    return nullptr;
}

// Table, PERT view

TQVTGanttTable* TQVTGanttTablePertDrawer::table() const
{
    return targetAs<TQVTGanttTable>(target);
}

bool TQVTGanttTablePertDrawer::Draw(TQVTVisualContext& vc)
{
    TQVTGanttTable* t = table();
    if (!t)
        return false;
    TQVTGanttDocument* doc = t->findDocument();
    const TRect area = vc.getVisibleArea();
    vc.FillArea(area, t->FPertGraphBackGroundColor, bsSolid);
    if (t->FDrawPertGrid) {
        const TPoint grid = t->getPertGridSize();
        const std::int64_t gx = std::max(1, grid.X);
        const std::int64_t gy = std::max(1, grid.Y);
        const std::int64_t nx = (std::int64_t{area.Right} - area.Left) / std::max<std::int64_t>(1, gx - 1);
        const std::int64_t ny = (std::int64_t{area.Bottom} - area.Top) / std::max<std::int64_t>(1, gy - 1);
        const std::int64_t left = doc ? doc->getColStartX(0) : 0;
        // Anchors outside the area would be clipped away; they are not visited.
        for (std::int64_t i = std::max<std::int64_t>(1, (area.Left - left) / gx); i <= nx; ++i) {
            const std::int64_t x = left + gx * i;
            if (x >= area.Right)
                break;
            if (x < area.Left)
                continue;
            for (std::int64_t j = std::max<std::int64_t>(1, area.Top / gy); j <= ny; ++j) {
                const std::int64_t y = gy * j;
                if (y >= area.Bottom)
                    break;
                if (y >= area.Top)
                    vc.drawPixel(static_cast<int>(x), static_cast<int>(y), t->FGridAnchorColor);
            }
        }
    }
    t->FMaxPertCoords = TPoint{0, 0};

    // Every box's connections in list order, found through one pass over the list.
    std::unordered_map<const TQVTGanttBar*, std::vector<std::size_t>> byBox;
    for (std::size_t k = 0; k < t->FPertBarConnections.size(); ++k) {
        const TQVTBarConnection* c = t->FPertBarConnections[k].get();
        if (!c)
            continue;
        if (c->barFrom)
            byBox[c->barFrom.get()].push_back(k);
        if (c->barTo && c->barTo != c->barFrom)
            byBox[c->barTo.get()].push_back(k);
    }
    // Copied: a drawer may reorder the list while painting.
    const auto order = t->FRowsZOrder;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        TQVTGanttRow* row = it->get();
        if (!row)
            continue;
        if (row->FPertBar)
            if (const auto found = byBox.find(row->FPertBar.get()); found != byBox.end())
                for (const std::size_t k : found->second)
                    if (k < t->FPertBarConnections.size() && t->FPertBarConnections[k])
                        if (TQVTDrawer* drawer = t->FPertBarConnections[k]->getDrawer(vtPertGraph))
                            drawer->Draw(vc);
        if (TQVTDrawer* drawer = row->getDrawer(vtPertGraph))
            drawer->Draw(vc);
    }
    return true;
}

TQVTGanttObject* TQVTGanttTablePertDrawer::locateObject(int x, int y)
{
    TQVTGanttTable* t = table();
    if (!t)
        return nullptr;
    for (const auto& row : t->FRowsZOrder)
        if (TQVTDrawer* drawer = row ? row->getDrawer(vtPertGraph) : nullptr)
            if (TQVTGanttObject* found = drawer->locateObject(x, y))
                return found;
    for (const auto& c : t->FPertBarConnections)
        if (TQVTDrawer* drawer = c ? c->getDrawer(vtPertGraph) : nullptr)
            if (TQVTGanttObject* found = drawer->locateObject(x, y))
                return found;
    return nullptr;
}

// Row, Gantt view

TQVTGanttRow* TQVTGanttRowDrawer::row() const
{
    return targetAs<TQVTGanttRow>(target);
}

bool TQVTGanttRowDrawer::Draw(TQVTVisualContext& vc)
{
    TQVTGanttRow* r = row();
    TQVTGanttTable* table = r ? r->getTable() : nullptr;
    if (!table)
        return false;
    vc.setFont("Arial", 8, clBlack, true, false, false, 0);
    if (r->RessourceLabelsCount() > 0)
        DrawRessources(vc);
    if (r->FRowLabelMode > 0)
        DrawRowLabels(vc);
    // Copied: an application's drawing hook may change the list.
    const auto bars = r->FBarList;
    const auto isShadow = [](const TQVTGanttBar* bar) {
        return dynamic_cast<const TQVTShadowTaskBar*>(bar) || dynamic_cast<const TQVTShadowProgressBar*>(bar);
    };
    for (const auto& bar : bars)
        if (bar && bar->FVisible && isShadow(bar.get()))
            if (TQVTDrawer* drawer = bar->getDrawer(vtGanttGraph))
                drawer->Draw(vc);
    for (const auto& bar : bars) {
        if (!bar || !bar->FVisible || isShadow(bar.get()))
            continue;
        bool accept = true;
        if (table->FOnDrawBar)
            table->FOnDrawBar(bar.get(), accept);
        if (accept)
            if (TQVTDrawer* drawer = bar->getDrawer(vtGanttGraph))
                drawer->Draw(vc);
    }
    return true;
}

void TQVTGanttRowDrawer::DrawBack(TQVTVisualContext& vc)
{
    TQVTGanttRow* r = row();
    TQVTGanttTable* table = r ? r->getTable() : nullptr;
    TQVTGanttDocument* doc = table ? table->findDocument() : nullptr;
    TQVTTreeGrid* tree = doc ? doc->GetTree() : nullptr;
    const TQVTTreeRow* treeRow = treeRowOf(tree, r ? r->FOrder : -1);
    if (!treeRow || r->BlockedDates.empty())
        return;
    TColor color = rowColor(*tree, *treeRow, isGroupRow(tree, r->FOrder));
    if (r->FSelected)
        color = tree->FSelectedRowColor;
    if (r->FFocused)
        color = tree->FFocusedRowColor;
    const TimeAxis axis = axisOf(*doc, *table);
    const int top = table->getRowStartY(r->FOrder);
    const std::int64_t bottom = std::int64_t{top} + r->getHeight();
    const TRect visible = vc.getVisibleArea();
    for (const TDateTime date : r->BlockedDates) {
        const std::int64_t x = axis.x(date);
        const std::int64_t left = x + 1;
        const std::int64_t right = x + axis.dayWidth(date);
        if (overlapsHorizontally(left, right, visible))
            vc.FillArea(
                TRect{clampToInt(left), clampToInt(std::int64_t{top} + 1), clampToInt(right), clampToInt(bottom)},
                color, bsSolid);
    }
    // Leaves the pen as painting every day would.
    vc.setDrawingColor(color);
}

void TQVTGanttRowDrawer::DrawRessources(TQVTVisualContext& vc)
{
    TQVTGanttRow* r = row();
    TQVTGanttTable* table = r ? r->getTable() : nullptr;
    TQVTGanttDocument* doc = table ? table->findDocument() : nullptr;
    if (!doc)
        return;
    const TimeAxis axis = axisOf(*doc, *table);
    const int top = table->getRowStartY(r->FOrder);
    const std::int64_t bottom = std::int64_t{top} + r->getHeight();
    const TRect visible = vc.getVisibleArea();
    const auto labelFont = [&vc] { vc.setFont("Arial", 8, clBlack, false, false, false, 0); };
    for (TRessourceInformation& label : r->FRessourceInformations) {
        const std::int64_t x = axis.x(label.StartDate + 1);
        const std::int64_t leftX = x + 1;
        const std::int64_t rightX =
            x + roundHalfEven(axis.columnWidth * axis.units(label.EndDate + 1, label.StartDate + 1));
        const TRect rect{clampToInt(leftX), clampToInt(std::int64_t{top} + 1), clampToInt(rightX), clampToInt(bottom)};
        label.lastRect = TRect{clampToInt(std::int64_t{rect.Left} + 2), clampToInt(std::int64_t{rect.Top} + 2),
                               clampToInt(std::int64_t{rect.Right} - 2), clampToInt(std::int64_t{rect.Bottom} - 2)};
        const int mid = clampToInt(rect.Top + (std::int64_t{rect.Bottom} - rect.Top) / 2);
        const TColor lastPen = label.Mode != 0 ? table->FGridColor : label.BackGroundColor;
        bool reaches = overlapsHorizontally(rect.Left, rect.Right, visible);
        if (!reaches) {
            // Its texts are centred on it and may still stand out into the view.
            labelFont();
            for (const std::string* text : {&label.Text1, &label.Text2}) {
                if (text == &label.Text2 && label.Mode == 0)
                    break;
                const std::int64_t width = vc.TextWidth(*text);
                const std::int64_t start = (std::int64_t{rect.Left} + rect.Right - width) / 2;
                reaches = reaches || overlapsHorizontally(start - 2, start + width + 2, visible);
            }
        }
        if (!reaches) {
            if (label.Mode != 0 || label.BackGroundColor != NoColor)
                vc.setDrawingColor(lastPen);
            continue;
        }
        // A label of no days (or ending before it starts) has no width: the canvas would turn
        // its inside-out rectangle round and fill a column.
        if (label.BackGroundColor != NoColor && rect.Right > rect.Left)
            vc.FillArea(rect, label.BackGroundColor, bsSolid);
        labelFont();
        if (label.Mode == 0) {
            vc.centerText(rect, label.Text1, true);
        } else {
            vc.centerText(TRect{rect.Left, rect.Top, rect.Right, mid}, label.Text1, true);
            vc.centerText(TRect{rect.Left, clampToInt(std::int64_t{mid} + 1), rect.Right, rect.Bottom}, label.Text2,
                          true);
            vc.setDrawingColor(table->FGridColor);
            vc.drawLine(rect.Left, mid, rect.Right, mid);
        }
    }
    labelFont();
}

void TQVTGanttRowDrawer::DrawRowLabels(TQVTVisualContext& vc)
{
    TQVTGanttRow* r = row();
    TQVTGanttTable* table = r ? r->getTable() : nullptr;
    TQVTGanttDocument* doc = table ? table->findDocument() : nullptr;
    TQVTTreeGrid* tree = doc ? doc->GetTree() : nullptr;
    const TQVTTreeRow* treeRow = treeRowOf(tree, r ? r->FOrder : -1);
    if (!treeRow)
        return;
    const std::int64_t left = doc->getColStartX(0);
    const std::int64_t top = table->getRowStartY(r->FOrder);
    const TRect rect{clampToInt(left + 1), clampToInt(top + 1), clampToInt(left + std::max(1, table->GetColumnWidth())),
                     clampToInt(top + r->getHeight())};
    vc.setFont("Arial", 8, RowLabelColor, false, false, false, 0);
    vc.FillArea(rect, rowColor(*tree, *treeRow, isGroupRow(tree, r->FOrder)), bsSolid);
    if (r->FRowLabelMode == 1) {
        vc.centerText(rect, r->FRowUpperLabel, true);
    } else if (r->FRowLabelMode == 2) {
        const int mid = clampToInt(rect.Top + (std::int64_t{rect.Bottom} - rect.Top) / 2);
        vc.centerText(TRect{rect.Left, rect.Top, rect.Right, mid}, r->FRowUpperLabel, true);
        vc.centerText(TRect{rect.Left, clampToInt(std::int64_t{mid} + 1), rect.Right, rect.Bottom}, r->FRowLowerLabel,
                      true);
    }
}

TQVTGanttObject* TQVTGanttRowDrawer::locateObject(int x, int y)
{
    TQVTGanttRow* r = row();
    if (!r)
        return nullptr;
    for (const auto& bar : r->FBarList)
        if (TQVTDrawer* drawer = bar ? bar->getDrawer(vtGanttGraph) : nullptr)
            if (TQVTGanttObject* found = drawer->locateObject(x, y))
                return found;
    TQVTGanttTable* table = r->getTable();
    if (!table || !table->FHightlightRessourceLabels)
        return nullptr;
    TQVTRessourceLabelSelector* selector = table->getRessourceLabelSelector();
    selector->FActive = false;
    for (const TRessourceInformation& label : r->FRessourceInformations) {
        const TRect& lr = label.lastRect;
        if (x < lr.Left || x >= lr.Right || y < lr.Top || y >= lr.Bottom)
            continue;
        TRect frame = lr;
        if (label.Mode == 1) {
            // Two pixels either side of the middle line belong to neither half.
            const int mid = clampToInt(lr.Top + (std::int64_t{lr.Bottom} - lr.Top) / 2);
            if (y > std::int64_t{mid} + 2)
                frame = TRect{lr.Left, clampToInt(std::int64_t{mid} + 2), lr.Right, lr.Bottom};
            else if (y < std::int64_t{mid} - 2)
                frame = TRect{lr.Left, lr.Top, lr.Right, clampToInt(std::int64_t{mid} - 2)};
            else
                break;
        }
        selector->FActive = true;
        selector->SetFRect(frame.Left, frame.Top, frame.Right, frame.Bottom);
        return selector;
    }
    selector->SetFRect(-1, -1, -1, -1);
    return nullptr;
}

// Row, PERT view

TQVTGanttRow* TQVTGanttRowPertDrawer::row() const
{
    return targetAs<TQVTGanttRow>(target);
}

namespace {

// A group row's box is not painted, so it is not found either.
TQVTDrawer* paintedBoxDrawer(TQVTGanttRow* r)
{
    if (!r || !r->FPertBar)
        return nullptr;
    TQVTGanttTable* table = r->getTable();
    TQVTGanttDocument* doc = table ? table->findDocument() : nullptr;
    if (isGroupRow(doc ? doc->GetTree() : nullptr, r->FOrder))
        return nullptr;
    return r->FPertBar->getDrawer(vtPertGraph);
}

} // namespace

bool TQVTGanttRowPertDrawer::Draw(TQVTVisualContext& vc)
{
    TQVTDrawer* drawer = paintedBoxDrawer(row());
    return drawer ? drawer->Draw(vc) : false;
}

TQVTGanttObject* TQVTGanttRowPertDrawer::locateObject(int x, int y)
{
    TQVTDrawer* drawer = paintedBoxDrawer(row());
    return drawer ? drawer->locateObject(x, y) : nullptr;
}

} // namespace corvane
