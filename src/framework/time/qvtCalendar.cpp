#include "corvane/framework/time/qvtCalendar.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/time/qvtBlockedDays_p.h"
#include "corvane/platform/Colors.h"
#include "corvane/platform/DiagnosticLog.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <iterator>
#include <typeinfo>

namespace corvane {

namespace {

// Occurrences outside the years 1 to 9999 are not searched, so that the working-time
// arithmetic ends after a bounded number of steps on any duration.
constexpr TDateTime FirstDate = -693593.0; // 1 January 0001
constexpr TDateTime LastDate = 2958466.0;  // 1 January 10000

// Fixed intervals sorted by start (then by priority), with the running maximum of their ends,
// so that the intervals holding a moment are found by a short backward scan.
class IntervalIndex {
public:
    struct Interval {
        TDateTime start;
        TDateTime end;
        int order;
        TQVTDateException* exception;
    };

    void add(const TQVTFixedDateException& fixed, int order, TQVTDateException* exception)
    {
        if (fixed.getDateFrom() < fixed.getDateTo())
            FIntervals.push_back({fixed.getDateFrom(), fixed.getDateTo(), order, exception});
    }

    void build()
    {
        std::sort(FIntervals.begin(), FIntervals.end(), [](const Interval& a, const Interval& b) {
            return a.start < b.start || (a.start == b.start && a.order < b.order);
        });
        FMaxEnd.resize(FIntervals.size());
        TDateTime maxEnd = -HUGE_VAL;
        for (std::size_t i = 0; i < FIntervals.size(); ++i)
            FMaxEnd[i] = maxEnd = std::max(maxEnd, FIntervals[i].end);
    }

    // The first-priority interval with start <= t < end accepted by pred, or none.
    template <typename Pred>
    const Interval* holding(TDateTime t, Pred pred) const
    {
        const Interval* best = nullptr;
        for (std::ptrdiff_t i = upperBound(t) - 1; i >= 0 && FMaxEnd[i] > t; --i) {
            const Interval& iv = FIntervals[i];
            if (iv.end > t && (!best || iv.order < best->order) && pred(iv))
                best = &iv;
        }
        return best;
    }

    // The first-priority interval among those starting first after t, or none.
    const Interval* startingAfter(TDateTime t) const
    {
        const auto i = static_cast<std::size_t>(upperBound(t));
        return i < FIntervals.size() ? &FIntervals[i] : nullptr;
    }

    // Among intervals starting before t, the one whose part before t ends latest (first
    // priority among equals): end = min(end, t).
    const Interval* endingLatestBefore(TDateTime t) const
    {
        const std::ptrdiff_t count = lowerBound(t);
        if (count == 0)
            return nullptr;
        const TDateTime latest = std::min(FMaxEnd[count - 1], t);
        const Interval* best = nullptr;
        for (std::ptrdiff_t i = count - 1; i >= 0 && FMaxEnd[i] >= latest; --i) {
            const Interval& iv = FIntervals[i];
            if (std::min(iv.end, t) == latest && (!best || iv.order < best->order))
                best = &iv;
        }
        return best;
    }

private:
    std::ptrdiff_t upperBound(TDateTime t) const
    {
        return std::upper_bound(FIntervals.begin(), FIntervals.end(), t,
                                [](TDateTime v, const Interval& iv) { return v < iv.start; }) -
               FIntervals.begin();
    }
    std::ptrdiff_t lowerBound(TDateTime t) const
    {
        return std::lower_bound(FIntervals.begin(), FIntervals.end(), t,
                                [](const Interval& iv, TDateTime v) { return iv.start < v; }) -
               FIntervals.begin();
    }

    std::vector<Interval> FIntervals;
    std::vector<TDateTime> FMaxEnd;
};

// Plain fixed exceptions go into the interval indexes; anything derived keeps its own rules.
const TQVTFixedDateException* plainFixed(const TQVTDateException* exception)
{
    return exception && typeid(*exception) == typeid(TQVTFixedDateException)
               ? static_cast<const TQVTFixedDateException*>(exception)
               : nullptr;
}

// The best occurrence seen by a search, in the order the exceptions are consulted. Results
// that would not move the search (empty, on the wrong side of from, beyond the years
// searched) are ignored, so that no exception can stall the working-time arithmetic.
struct NextBest {
    TDateTime from;
    bool found = false;
    TDateTime start = IQVTCalendar::NoNonWorkingTime;
    double length = 0;
    int order = INT_MAX;

    void consider(TDateTime s, double l, int o)
    {
        if (!(l > 0) || !(s >= from) || !(s + l > from) || !(s < LastDate))
            return;
        if (!found || s < start || (s == start && o < order)) {
            found = true;
            start = s;
            length = l;
            order = o;
        }
    }
};

struct PreviousBest {
    TDateTime from;
    bool found = false;
    TDateTime end = 0;
    double length = 0;
    int order = INT_MAX;

    void consider(TDateTime e, double l, int o)
    {
        if (!(l > 0) || !(e <= from) || !(e - l < from) || !(e > FirstDate))
            return;
        if (!found || e > end || (e == end && o < order)) {
            found = true;
            end = e;
            length = l;
            order = o;
        }
    }
};

constexpr const char* WeekendsName = "Weekends";
constexpr const char* HolidaysName = "Holidays";
constexpr const char* VacationsName = "Vacations";

// The predefined category that loading a "Predefined Date Category" section recreates: it is
// chosen by the section's name.
std::string predefinedNameOf(const std::string& section)
{
    return section == HolidaysName || section == VacationsName ? section : WeekendsName;
}

// The flags of a category section; absent keys leave the category's own values.
void loadFlags(IQVTMedia& media, const std::string& section, TQVTDateCategory& category)
{
    bool working = category.getWorking();
    bool visible = category.getVisible();
    media.getBoolProperty(section, "Working", working, working);
    media.getBoolProperty(section, "Visible", visible, visible);
    category.setWorking(working);
    category.setVisible(visible);
}

// The suite's exceptions other than plain fixed ones whose searches have no side effects.
bool reusable(const TQVTDateException& exception)
{
    const std::type_info& type = typeid(exception);
    return type == typeid(TQVTWeekend) || type == typeid(TQVTSunday) || type == typeid(TQVTRecurringDateException);
}

} // namespace

std::uint64_t NewChangeStamp()
{
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

// ---- working-time arithmetic ----

TDateTime IQVTCalendar::addEffective(TDateTime start, double d, bool skip)
{
    return addEffective(-1, start, d, skip);
}

TDateTime IQVTCalendar::addEffective(int row, TDateTime start, double d, bool skip)
{
    if (d < 0)
        return substrEffective(row, start, -d);
    TDateTime r = start;
    TDateTime s = 0;
    double l = 0;
    bool found = findNextNonWorkingException(r, s, l, row);
    while (found && r + d > s) {
        d -= s - r;
        r = s + l;
        found = findNextNonWorkingException(r, s, l, row);
    }
    r += d;
    if (skip) {
        found = findNextNonWorkingException(r, s, l, row);
        while (found && s == r) {
            r += l;
            found = findNextNonWorkingException(r, s, l, row);
        }
    }
    return r;
}

TDateTime IQVTCalendar::substrEffective(TDateTime start, double d)
{
    return substrEffective(-1, start, d);
}

TDateTime IQVTCalendar::substrEffective(int row, TDateTime start, double d)
{
    if (d < 0)
        return addEffective(row, start, -d, false);
    TDateTime r = start;
    TDateTime e = 0;
    double l = 0;
    bool found = findPreviousNonWorkingException(r, e, l, row);
    while (found && r - d < e) {
        d -= r - e;
        r = e - l;
        found = findPreviousNonWorkingException(r, e, l, row);
    }
    r -= d;
    found = findPreviousNonWorkingException(r, e, l, row);
    while (found && e == r) {
        r -= l;
        found = findPreviousNonWorkingException(r, e, l, row);
    }
    return r;
}

double IQVTCalendar::diffEffective(TDateTime a, TDateTime b)
{
    return diffEffective(-1, a, b);
}

double IQVTCalendar::diffEffective(int row, TDateTime a, TDateTime b)
{
    if (a > b)
        return -diffEffective(row, b, a);
    double total = 0;
    TDateTime r = a;
    TDateTime s = 0;
    double l = 0;
    bool found = findNextNonWorkingException(r, s, l, row);
    while (found && s < b) {
        total += s - r;
        r = s + l;
        found = findNextNonWorkingException(r, s, l, row);
    }
    // b may lie inside the last non-working period, which then ends after it.
    return total + std::max(b - r, 0.0);
}

TDateTime IQVTCalendar::findFirstEffective(TDateTime dt)
{
    return findFirstEffective(dt, -1);
}

TDateTime IQVTCalendar::findFirstEffective(TDateTime dt, int row)
{
    TDateTime s = 0;
    double l = 0;
    bool found = findNextNonWorkingException(dt, s, l, row);
    while (found && dt >= s) {
        dt = s + l;
        found = findNextNonWorkingException(dt, s, l, row);
    }
    return dt;
}

// ---- TQVTDateCategory ----

struct TQVTDateCategory::MatchIndex {
    std::uint64_t revision = 0;
    IntervalIndex fixed;
    // The other exceptions with their list index, in list order.
    std::vector<std::pair<int, TQVTDateException*>> others;
};

TQVTDateCategory::TQVTDateCategory(std::string name, TColor color) : FName(std::move(name)), FColor(color) {}

void TQVTDateCategory::setWorking(bool working)
{
    FWorking = working;
    FWorkingStamp = NewChangeStamp();
}

void TQVTDateCategory::setParent(TQVTGanttObject* parent)
{
    TQVTGanttObject::setParent(parent);
    for (const auto& date : FDates) {
        if (date && !date->getParent())
            date->setParent(this);
    }
}

TQVTDateException* TQVTDateCategory::getDateByIndex(int i) const
{
    return i >= 0 && i < getDatesCount() ? FDates[static_cast<std::size_t>(i)].get() : nullptr;
}

void TQVTDateCategory::addDate(std::shared_ptr<TQVTDateException> exception)
{
    if (!exception)
        return;
    exception->setParent(this);
    FDates.push_back(std::move(exception));
}

void TQVTDateCategory::removeDate(int i)
{
    if (i < 0 || i >= getDatesCount())
        return;
    FDates.erase(static_cast<std::size_t>(i));
}

const TQVTDateCategory::MatchIndex& TQVTDateCategory::matchIndex() const
{
    if (FMatchIndex && FMatchIndex->revision == revision())
        return *FMatchIndex;
    auto index = std::make_shared<MatchIndex>();
    index->revision = revision();
    for (std::size_t i = 0; i < FDates.size(); ++i) {
        TQVTDateException* exception = FDates[i].get();
        if (const auto* fixed = plainFixed(exception))
            index->fixed.add(*fixed, static_cast<int>(i), exception);
        else if (exception)
            index->others.emplace_back(static_cast<int>(i), exception);
    }
    index->fixed.build();
    FMatchIndex = index;
    return *FMatchIndex;
}

TQVTDateException* TQVTDateCategory::matchDate(TDateTime dt, int row, TQVTTimeMode mode)
{
    if (!BlockedDaysOf(*this, row).empty()) {
        for (const auto& exception : FDates) {
            if (exception && exception->Matches(dt, row, mode))
                return exception.get();
        }
        return nullptr;
    }
    const MatchIndex& index = matchIndex();
    const auto* fixed =
        index.fixed.holding(dt, [mode](const IntervalIndex::Interval& iv) { return iv.exception->visibleIn(mode); });
    for (const auto& [order, exception] : index.others) {
        if (fixed && order > fixed->order)
            break;
        if (exception->Matches(dt, row, mode))
            return exception;
    }
    return fixed ? fixed->exception : nullptr;
}

std::vector<std::shared_ptr<TQVTFixedDateException>> TQVTDateCategory::storedDates() const
{
    std::vector<std::shared_ptr<TQVTFixedDateException>> stored;
    for (const auto& date : FDates) {
        if (auto fixed = std::dynamic_pointer_cast<TQVTFixedDateException>(date))
            stored.push_back(std::move(fixed));
    }
    return stored;
}

bool TQVTDateCategory::holdsWeekend() const
{
    return std::any_of(FDates.begin(), FDates.end(),
                       [](const auto& date) { return date && typeid(*date) == typeid(TQVTWeekend); });
}

bool TQVTDateCategory::storedAsPredefined(const std::string& section) const
{
    // The weekend rule has no stored form of its own: only the predefined weekends category
    // brings it back. Holidays and vacations come back from their own section names only; under
    // any other name (such as the "AutoID:" of a category made at run time) they would return as
    // weekends.
    const std::string builtIn = predefinedNameOf(section);
    if (builtIn == WeekendsName)
        return holdsWeekend();
    return isPredefined() && !holdsWeekend() && FName == builtIn;
}

void TQVTDateCategory::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    const bool predefined = storedAsPredefined(name);
    media.setStrProperty(name, "typeID", predefined ? PredefinedTypeID : TypeID);
    if (predefined && FName == predefinedNameOf(name))
        media.deleteProperty(name, "Name");
    else
        media.setStrProperty(name, "Name", FName);
    media.setColorProperty(name, "Color", FColor);
    media.setBoolProperty(name, "Working", FWorking);
    media.setBoolProperty(name, "Visible", FVisible);
    // Written for predefined categories too, although older files lack it there: holidays and
    // vacations added to them would otherwise be lost on every save.
    factory.saveObjectList(name, "exceptions", media, storedDates());
}

namespace {

// A category's colour is read as text, so that every store gives it, the built-in document's
// too (which answers texts only); text that is no colour keeps black.
TColor categoryColor(IQVTMedia& media, const std::string& name)
{
    std::string text;
    media.getStrProperty(name, "Color", "", text);
    TColor color = clBlack;
    if (!text.empty() && !TryStringToColor(text, color)) {
        addlog("Date category \"" + name + "\": \"" + text + "\" is no colour; black is used");
        color = clBlack;
    }
    return color;
}

} // namespace

std::shared_ptr<TQVTGanttObject> TQVTDateCategoryPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                     TQVTEntityFactory& factory)
{
    std::string text;
    media.getStrProperty(name, "Name", "", text);
    auto category = std::make_shared<TQVTDateCategory>(text, categoryColor(media, name));
    loadFlags(media, name, *category);
    category->FDates = factory.loadObjectListAs<TQVTDateException>(name, "exceptions", media, category.get());
    return category;
}

TQVTWeekendsDateCategory::TQVTWeekendsDateCategory() : TQVTDateCategory(WeekendsName)
{
    addDate(std::make_shared<TQVTWeekend>());
}

TQVTHolidaysDateCategory::TQVTHolidaysDateCategory() : TQVTDateCategory(HolidaysName) {}

TQVTVacationsDateCategory::TQVTVacationsDateCategory() : TQVTDateCategory(VacationsName)
{
    FWorking = true;
}

std::shared_ptr<TQVTGanttObject>
TQVTPredefinedDateCategoryPersistence::doLoad(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    const std::string builtIn = predefinedNameOf(name);
    std::shared_ptr<TQVTDateCategory> category;
    if (builtIn == HolidaysName) {
        category = std::make_shared<TQVTHolidaysDateCategory>();
    } else if (builtIn == VacationsName) {
        category = std::make_shared<TQVTVacationsDateCategory>();
    } else {
        // Another category holding the weekend rule is stored in this form under its own name.
        std::string text;
        media.getStrProperty(name, "Name", WeekendsName, text);
        if (text == WeekendsName) {
            category = std::make_shared<TQVTWeekendsDateCategory>();
        } else {
            category = std::make_shared<TQVTDateCategory>(text);
            category->addDate(std::make_shared<TQVTWeekend>());
        }
    }
    category->setColor(categoryColor(media, name));
    loadFlags(media, name, *category);
    for (auto& date : factory.loadObjectListAs<TQVTDateException>(name, "exceptions", media, category.get()))
        category->FDates.push_back(std::move(date));
    return category;
}

std::string TQVTPredefinedDateCategoryPersistence::getTypeID() const
{
    return TQVTDateCategory::PredefinedTypeID;
}

// ---- TQVTDocumentCalendar ----

struct TQVTDocumentCalendar::NonWorkingIndex {
    // The last answer of an exception's search, reused while the search moves on within the
    // range where the answer cannot change.
    struct Answer {
        bool valid = false;
        TDateTime from = 0;
        bool found = false;
        TDateTime date = 0;
        double length = 0;
    };
    struct Other {
        int order;
        TQVTDateException* exception;
        // Only the suite's own exceptions are known to answer alike over such ranges.
        bool reusable;
        Answer next;
        Answer previous;
    };

    // Offers the next occurrences of the other exceptions to best. The reusable ones wait in a
    // heap by their next start: an answer found from an earlier moment stays right as long as
    // from has not passed its start, so a search moving forward asks only the exceptions whose
    // occurrence it passed.
    void offerNext(NextBest& best)
    {
        const TDateTime from = best.from;
        const auto later = [this](std::size_t a, std::size_t b) {
            const Answer& x = others[a].next;
            const Answer& y = others[b].next;
            return x.date > y.date || (x.date == y.date && others[a].order > others[b].order);
        };
        const auto ask = [from](Other& other) {
            Answer& a = other.next;
            a.found = other.exception->findNextOccurence(from, a.date, a.length, -1) && a.length > 0;
            return a.found;
        };
        if (!heapBuilt || from < heapFrom) {
            heap.clear();
            for (std::size_t i = 0; i < others.size(); ++i) {
                if (others[i].reusable && ask(others[i]))
                    heap.push_back(i);
            }
            std::make_heap(heap.begin(), heap.end(), later);
            heapBuilt = true;
        }
        while (!heap.empty() && others[heap.front()].next.date < from) {
            std::pop_heap(heap.begin(), heap.end(), later);
            if (ask(others[heap.back()]))
                std::push_heap(heap.begin(), heap.end(), later);
            else
                heap.pop_back();
        }
        heapFrom = from;
        if (!heap.empty()) {
            const Other& soonest = others[heap.front()];
            best.consider(soonest.next.date, soonest.next.length, soonest.order);
        }
        TDateTime s = 0;
        double l = 0;
        for (Other& other : others) {
            if (!other.reusable && other.exception->findNextOccurence(from, s, l, -1))
                best.consider(s, l, other.order);
        }
    }

    std::uint64_t revision = 0;
    IntervalIndex fixed;
    // The other exceptions of non-working categories, in priority order.
    std::vector<Other> others;
    std::vector<std::size_t> heap;
    bool heapBuilt = false;
    TDateTime heapFrom = 0;
    // Every exception of non-working categories in priority order (searches for blocked rows).
    std::vector<TQVTDateException*> all;
};

TQVTDocumentCalendar::TQVTDocumentCalendar() = default;
TQVTDocumentCalendar::~TQVTDocumentCalendar() = default;

// Every change takes a fresh stamp, larger than all before, and leaves it in the list or in a
// category still listed (a category that leaves takes the list's change with it), so the largest
// stamp grows with every change.
std::uint64_t TQVTDocumentCalendar::revision() const
{
    std::uint64_t latest = FCategories.stamp();
    for (const auto& category : FCategories) {
        if (category)
            latest = std::max(latest, category->revision());
    }
    return latest;
}

TQVTDocumentCalendar::NonWorkingIndex& TQVTDocumentCalendar::nonWorkingIndex()
{
    const std::uint64_t current = revision();
    if (FIndex && FIndex->revision == current)
        return *FIndex;
    auto index = std::make_shared<NonWorkingIndex>();
    index->revision = current;
    for (const auto& category : FCategories) {
        if (!category || category->getWorking())
            continue;
        for (const auto& exception : category->FDates) {
            if (!exception)
                continue;
            const int order = static_cast<int>(index->all.size());
            index->all.push_back(exception.get());
            if (const auto* fixed = plainFixed(exception.get()))
                index->fixed.add(*fixed, order, exception.get());
            else
                index->others.push_back({order, exception.get(), reusable(*exception), {}, {}});
        }
    }
    index->fixed.build();
    FIndex = index;
    return *FIndex;
}

bool TQVTDocumentCalendar::findNextNonWorkingException(TDateTime from, TDateTime& start, double& length, int row)
{
    NonWorkingIndex& index = nonWorkingIndex();
    NextBest best{from};
    TDateTime s = 0;
    double l = 0;
    if (!BlockedDaysOf(*this, row).empty()) {
        for (std::size_t i = 0; i < index.all.size(); ++i) {
            if (index.all[i]->findNextOccurence(from, s, l, row))
                best.consider(s, l, static_cast<int>(i));
        }
    } else {
        const auto any = [](const IntervalIndex::Interval&) { return true; };
        if (const auto* held = index.fixed.holding(from, any))
            best.consider(from, held->end - from, held->order);
        else if (const auto* next = index.fixed.startingAfter(from))
            best.consider(next->start, next->end - next->start, next->order);
        index.offerNext(best);
    }
    start = best.start;
    length = best.length;
    return best.found;
}

bool TQVTDocumentCalendar::findPreviousNonWorkingException(TDateTime from, TDateTime& end, double& length, int row)
{
    NonWorkingIndex& index = nonWorkingIndex();
    PreviousBest best{from};
    TDateTime e = 0;
    double l = 0;
    if (!BlockedDaysOf(*this, row).empty()) {
        for (std::size_t i = 0; i < index.all.size(); ++i) {
            if (index.all[i]->findPreviousOccurence(from, e, l, row))
                best.consider(e, l, static_cast<int>(i));
        }
    } else {
        if (const auto* last = index.fixed.endingLatestBefore(from)) {
            const TDateTime lastEnd = std::min(last->end, from);
            best.consider(lastEnd, lastEnd - last->start, last->order);
        }
        for (auto& other : index.others) {
            // The previous occurrence stays the same while from stays at or after its end.
            auto& a = other.previous;
            if (!(other.reusable && a.valid && from <= a.from && (!a.found || from >= a.date))) {
                a.found = other.exception->findPreviousOccurence(from, a.date, a.length, -1);
                a.from = from;
                a.valid = true;
            }
            if (a.found)
                best.consider(a.date, a.length, other.order);
        }
    }
    end = best.end;
    length = best.length;
    return best.found;
}

TQVTDateCategory* TQVTDocumentCalendar::matchCategory(TDateTime dt, int row, TQVTTimeMode mode)
{
    if (mode == tmNone)
        mode = FTimeMode;
    for (const auto& category : FCategories) {
        if (category && category->matchDate(dt, row, mode))
            return category.get();
    }
    return nullptr;
}

TQVTDateException* TQVTDocumentCalendar::matchDate(TDateTime dt, int row, TQVTTimeMode mode)
{
    TQVTDateCategory* category = matchCategory(dt, row, mode);
    return category ? category->matchDate(dt, row, mode == tmNone ? FTimeMode : mode) : nullptr;
}

bool TQVTDocumentCalendar::isWorking(TDateTime dt, int row, TQVTTimeMode mode)
{
    const TQVTDateCategory* category = matchCategory(dt, row, mode);
    return !category || category->getWorking();
}

std::string TQVTDocumentCalendar::getDateLabel(TDateTime dt, TQVTTimeMode mode)
{
    const TQVTDateException* exception = matchDate(dt, -1, mode);
    return exception ? exception->getName() : std::string();
}

void TQVTDocumentCalendar::addDateCategory(std::shared_ptr<TQVTDateCategory> category)
{
    if (!category)
        return;
    category->setParent(this);
    FCategories.push_back(std::move(category));
}

TQVTDateCategory* TQVTDocumentCalendar::getDateCategory(int i) const
{
    return i >= 0 && i < getCategoriesCount() ? FCategories[static_cast<std::size_t>(i)].get() : nullptr;
}

int TQVTDocumentCalendar::getCategoryIndexByName(const std::string& name) const
{
    for (int i = 0; i < getCategoriesCount(); ++i) {
        if (FCategories[static_cast<std::size_t>(i)] && FCategories[static_cast<std::size_t>(i)]->getName() == name)
            return i;
    }
    return -1;
}

void TQVTDocumentCalendar::removeDateCategory(const std::string& name)
{
    const int i = getCategoryIndexByName(name);
    if (i >= 0)
        FCategories.erase(static_cast<std::size_t>(i));
}

void TQVTDocumentCalendar::moveUp(const std::string& name)
{
    const int i = getCategoryIndexByName(name);
    if (i > 0)
        FCategories.swapItems(static_cast<std::size_t>(i), static_cast<std::size_t>(i - 1));
}

void TQVTDocumentCalendar::moveDown(const std::string& name)
{
    const int i = getCategoryIndexByName(name);
    if (i >= 0 && i + 1 < getCategoriesCount())
        FCategories.swapItems(static_cast<std::size_t>(i), static_cast<std::size_t>(i + 1));
}

void TQVTDocumentCalendar::AddPredefinedCategories()
{
    auto weekends = std::make_shared<TQVTDateCategory>(WeekendsName);
    weekends->addDate(std::make_shared<TQVTWeekend>());
    addDateCategory(std::move(weekends));
    auto vacations = std::make_shared<TQVTDateCategory>(VacationsName);
    vacations->setWorking(true);
    addDateCategory(std::move(vacations));
}

void TQVTDocumentCalendar::SetTimeMode(TQVTTimeMode mode)
{
    TQVTTimeModeObject::SetTimeMode(mode);
    TQVTDocumentSetup* setup = FindDocumentSetup(this);
    if (!setup)
        return;
    setup->setStartDate(StartOfPeriod(setup->getStartDate()));
    setup->UpdateTimeScales();
}

void TQVTDocumentCalendar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    const std::string uid = getUID();
    media.setStrProperty(name, "calendar", uid);
    media.setStrProperty(uid, "typeID", TypeID);
    // Entries left empty by sections that failed to load are not written: an empty name would
    // fail again on every load.
    std::vector<std::shared_ptr<TQVTDateCategory>> categories;
    std::copy_if(FCategories.begin(), FCategories.end(), std::back_inserter(categories),
                 [](const auto& category) { return category != nullptr; });
    factory.saveObjectList(uid, "categories", media, categories);
}

std::shared_ptr<TQVTGanttObject> TQVTDocumentCalendarPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                         TQVTEntityFactory& factory)
{
    auto calendar = std::make_shared<TQVTDocumentCalendar>();
    calendar->FCategories = factory.loadObjectListAs<TQVTDateCategory>(name, "categories", media, calendar.get());
    return calendar;
}

} // namespace corvane
