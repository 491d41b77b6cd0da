#include "corvane/framework/chart/qvtGanttDocument.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtChartDrawers.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtLegend.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/objects/qvtOperation.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeResizePane.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/framework/time/qvtTimeScale.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/DiagnosticLog.h"
#include "corvane/platform/ScopeGuard_p.h"
#include "corvane/platform/AddressSet_p.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace corvane {

void TQVTGanttDocument::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setRealProperty(name, "startDate", getStartDate());
    media.setRealProperty(name, "date range start", FDateRangeStart);
    media.setRealProperty(name, "date range end", FDateRangeEnd);
    media.setBoolProperty(name, "time scale under", FTimeScaleUnder);
    // These three write their own reference key into this section; one that is gone loses
    // its key, so that it does not come back from the file saved over.
    const auto saveSelfReferencing = [&](const char* key, TQVTGanttObject* part) {
        if (part)
            factory.saveObject(name, media, part);
        else
            media.deleteProperty(name, key);
    };
    saveSelfReferencing("table", Ftable.get());
    saveSelfReferencing("calendar", Fcalendar.get());
    saveSelfReferencing("tree", FTree.get());
    factory.saveChild(name, "task bar settings", FTaskBarSettings.get(), media);
    factory.saveChild(name, "image bar settings", FImageBarSettings.get(), media);
    factory.saveChild(name, "text bar settings", FTextBarSettings.get(), media);
    factory.saveChild(name, "textual halo settings", FTextHaloSettings.get(), media);
    factory.saveChild(name, "hint text settings", FHintTextSettings.get(), media);
    factory.saveChild(name, "progress bar settings", FProgressBarSettings.get(), media);
    factory.saveChild(name, "connection settings", FConnectionSettings.get(), media);
    factory.saveObjectList(name, "connections", media, connections);
    if (!FScales.empty())
        factory.saveObjectList(name, "time scales", media, FScales);
    // Older versions never wrote the legend, so a document saved into a new file lost it.
    factory.saveChild(name, "legend", FLegend.get(), media);
}

std::unique_ptr<TQVTDrawer> TQVTGanttDocument::makeDrawer() const
{
    return std::make_unique<TQVTDocumentDrawer>(const_cast<TQVTGanttDocument*>(this));
}

std::unique_ptr<TQVTDrawer> TQVTGanttDocument::makePertViewDrawer() const
{
    return std::make_unique<TQVTDocumentPertDrawer>(const_cast<TQVTGanttDocument*>(this));
}

int TQVTGanttDocument::drawnHeight(const TQVTTimeScale* scale) const
{
    TQVTDrawer* drawer = scale ? scale->getDrawer(vtGanttGraph) : nullptr;
    return drawer ? drawer->getHeight() : 0;
}

int TQVTGanttDocument::scaleStartY(TQVTGanttObject* scale)
{
    int y = 0;
    for (const auto& s : FScales) {
        if (s.get() == scale)
            break;
        y += drawnHeight(s.get());
    }
    return y;
}

int TQVTGanttDocument::scaleStartUnderY(TQVTGanttObject* scale)
{
    int y = 0;
    for (auto it = FScales.rbegin(); it != FScales.rend() && it->get() != scale; ++it)
        y += drawnHeight(it->get());
    return y;
}

int TQVTGanttDocument::GetTableStartY()
{
    return scaleStartY(nullptr);
}

int TQVTGanttDocument::legendStartY()
{
    const int rowsBottom = Ftable ? Ftable->getTableHeight() : GetTableStartY();
    return rowsBottom + (FTimeScaleUnder ? GetTableStartY() : 0);
}

int TQVTGanttDocument::GetHeight()
{
    const bool legendUnder = FPrintLegend && FPrintLegendUnder && FLegend;
    return legendStartY() + (legendUnder ? FLegend->GetHeight() : 0);
}

void TQVTGanttDocument::setTreeStartX(int x)
{
    const long long visible = static_cast<long long>(FTree ? FTree->getActualWidth() : 0) + x -
                              getVerticalResizePaneSize();
    if (visible > 10)
        FTreeStartX = x;
}

int TQVTGanttDocument::getTreeCellWidth(int col)
{
    return FTree ? FTree->getCellWidth(col) : 0;
}

int TQVTGanttDocument::getVerticalResizePaneSize()
{
    return FTree && FTree->FRowsResizePane ? FTree->FRowsResizePane->FWidth : 0;
}

int TQVTGanttDocument::getTreeWidth()
{
    return FTree ? FTree->getWidth() : 0;
}

TQVTGanttObject* TQVTGanttDocument::getImageBarSettings()
{
    return FImageBarSettings.get();
}

TQVTGanttObject* TQVTGanttDocument::getTextBarSettings()
{
    return FTextBarSettings.get();
}

TQVTGanttObject* TQVTGanttDocument::getHintTextSettings()
{
    return FHintTextSettings.get();
}

void TQVTGanttDocument::setHintTextSettings(TQVTGanttObject* value)
{
    FHintTextSettings = value ? std::dynamic_pointer_cast<TQVTTextSettings>(value->shared_from_this()) : nullptr;
}

int TQVTGanttDocument::countRows() const
{
    return Ftable ? static_cast<int>(Ftable->FRows.size()) : 0;
}

TQVTBarConnection* TQVTGanttDocument::getConnection(int index) const
{
    if (index < 0 || index >= countConnections())
        return nullptr;
    return connections[static_cast<std::size_t>(index)].get();
}

int TQVTGanttDocument::getConnectionIndex(const TQVTBarConnection* connection) const
{
    const auto it = std::find_if(connections.begin(), connections.end(),
                                 [connection](const auto& c) { return c.get() == connection; });
    return it == connections.end() ? -1 : static_cast<int>(it - connections.begin());
}

bool TQVTGanttDocument::addConnection(const std::shared_ptr<TQVTBarConnection>& connection, int index)
{
    if (!connection || getConnectionIndex(connection.get()) >= 0)
        return false;
    connection->setParent(this);
    const bool inside = index >= 0 && index < countConnections();
    connections.insert(inside ? connections.begin() + index : connections.end(), connection);
    if (byBar.built)
        byBar.file(connection.get());
    return true;
}

void TQVTGanttDocument::ConnectionsByBar::reserve(std::size_t bars)
{
    std::size_t size = 64;
    while (3 * size < 4 * bars)
        size *= 2;
    if (size <= entries.size())
        return;
    std::vector<Slot> old = std::exchange(entries, std::vector<Slot>(size));
    used = 0;
    for (const Slot& s : old)
        if (s.bar)
            slotOf(s.bar) = s;
}

std::size_t TQVTGanttDocument::ConnectionsByBar::position(const TQVTGanttBar* bar) const
{
    // The multiplier spreads the regular strides of heap addresses over the table.
    const std::size_t mask = entries.size() - 1;
    std::size_t i = (reinterpret_cast<std::uintptr_t>(bar) * 0x9E3779B97F4A7C15u >> 20) & mask;
    while (entries[i].bar && entries[i].bar != bar)
        i = (i + 1) & mask;
    return i;
}

TQVTGanttDocument::ConnectionsByBar::Slot& TQVTGanttDocument::ConnectionsByBar::slotOf(const TQVTGanttBar* bar)
{
    // At most three quarters full, so that a search ends after a few steps; fresh memory is
    // dear, so the table is no larger.
    if (4 * (used + 1) > 3 * entries.size())
        reserve(2 * (used + 1));
    Slot& slot = entries[position(bar)];
    if (!slot.bar) {
        ++used;
        slot.bar = bar;
    }
    return slot;
}

const TQVTGanttDocument::ConnectionsByBar::Slot*
TQVTGanttDocument::ConnectionsByBar::find(const TQVTGanttBar* bar) const
{
    if (entries.empty() || !bar)
        return nullptr;
    const Slot& slot = entries[position(bar)];
    return slot.bar ? &slot : nullptr;
}

void TQVTGanttDocument::ConnectionsByBar::file(TQVTBarConnection* connection)
{
    TQVTBarConnection::Filing& filing = connection->FFiling;
    filing.clear();
    filing.index = this;
    filing.ends[0] = connection->barFrom.get();
    // A connection from a bar to itself is listed once.
    filing.ends[1] = connection->barTo.get() != filing.ends[0] ? connection->barTo.get() : nullptr;
    for (int e = 0; e < 2; ++e) {
        if (!filing.ends[e])
            continue;
        Slot& slot = slotOf(filing.ends[e]);
        if (TQVTBarConnection* last = slot.last) {
            TQVTBarConnection::Filing& before = last->FFiling;
            before.next[before.ends[0] == filing.ends[e] ? 0 : 1] = connection;
            filing.previous[e] = last;
        } else {
            slot.first = connection;
        }
        slot.last = connection;
    }
}

void TQVTGanttDocument::ConnectionsByBar::unfile(TQVTBarConnection* connection)
{
    TQVTBarConnection::Filing& filing = connection->FFiling;
    if (filing.index != this)
        return;
    // The link of a neighbour that points at this connection, in the list of end.
    const auto linkOf = [](TQVTBarConnection* neighbour, const TQVTGanttBar* end, bool forward) -> TQVTBarConnection*& {
        TQVTBarConnection::Filing& f = neighbour->FFiling;
        const int e = f.ends[0] == end ? 0 : 1;
        return forward ? f.next[e] : f.previous[e];
    };
    for (int e = 0; e < 2; ++e) {
        const TQVTGanttBar* end = filing.ends[e];
        if (!end)
            continue;
        Slot& slot = slotOf(end);
        (filing.previous[e] ? linkOf(filing.previous[e], end, true) : slot.first) = filing.next[e];
        (filing.next[e] ? linkOf(filing.next[e], end, false) : slot.last) = filing.previous[e];
    }
    filing.clear();
}

std::vector<TQVTBarConnection*> TQVTGanttDocument::connectionsAt(const TQVTGanttBar* bar) const
{
    if (!byBar.built) {
        // The loader fills the list directly; the index follows it from here on. Plans have
        // about as many bars with connections as connections.
        byBar.built = true;
        byBar.reserve(connections.size());
        for (const auto& c : connections)
            if (c)
                byBar.file(c.get());
    }
    std::vector<TQVTBarConnection*> found;
    if (const ConnectionsByBar::Slot* slot = byBar.find(bar))
        for (TQVTBarConnection* c = slot->first; c;) {
            found.push_back(c);
            const TQVTBarConnection::Filing& f = c->FFiling;
            c = f.next[f.ends[0] == bar ? 0 : 1];
        }
    return found;
}

int TQVTGanttDocument::removeConnection(const TQVTBarConnection* connection)
{
    const int index = getConnectionIndex(connection);
    if (index < 0)
        return -1;
    TQVTBarConnection* removed = connections[static_cast<std::size_t>(index)].get();
    removed->setParent(nullptr);
    if (byBar.built)
        byBar.unfile(removed);
    connections.erase(connections.begin() + index);
    return index;
}

TQVTBarConnection* TQVTGanttDocument::findConnection(const TQVTGanttBar* fromBar, const TQVTGanttBar* toBar,
                                                     int connType) const
{
    constexpr int AnyType = 4;
    for (const auto& c : connections) {
        if (!c)
            continue;
        const bool forward = c->barFrom.get() == fromBar && c->barTo.get() == toBar;
        if (connType == -1 ? forward || (c->barFrom.get() == toBar && c->barTo.get() == fromBar)
                           : forward && (connType == AnyType || c->getConnType() == connType))
            return c.get();
    }
    return nullptr;
}

TQVTBarConnection* TQVTGanttDocument::findRowsConnection(const TQVTGanttRow* fromRow, const TQVTGanttRow* toRow) const
{
    for (const auto& c : connections) {
        if (c && c->barFrom && c->barTo && c->barFrom->isSummarizable() && c->barTo->isSummarizable() &&
            c->barFrom->getParent() == fromRow && c->barTo->getParent() == toRow)
            return c.get();
    }
    return nullptr;
}

std::shared_ptr<TQVTMultipleOperations> TQVTGanttDocument::resolveDistanceViolations(TQVTGanttBar* bar)
{
    auto moves = std::make_shared<TQVTMultipleOperations>(FDataSource);
    if (!bar || connections.empty() || !Ftable)
        return moves;
    // The moves are this change's own; the application hears of the change, not of each move.
    TQVTAfterConnectionOperationEvent silenced;
    if (FDataSource)
        silenced = std::exchange(FDataSource->OnAfterConnectionAdd, nullptr);
    const ScopeGuard restore([&] {
        if (FDataSource)
            FDataSource->OnAfterConnectionAdd = std::move(silenced);
    });

    // Only connections reached from bar can have been violated by its change; they are checked
    // in the order they joined the list, as a scan of it would.
    std::vector<TQVTBarConnection*> pending = connectionsAt(bar);
    std::reverse(pending.begin(), pending.end());
    TAddressSet<TQVTGanttBar> handled{bar};
    while (!pending.empty()) {
        TQVTBarConnection* c = pending.back();
        pending.pop_back();
        double offset = c->findViolationOffset();
        if (offset == 0)
            continue;
        TQVTGanttBar* moving = c->barTo.get();
        if (handled.contains(moving)) {
            moving = c->barFrom.get();
            offset = -offset;
        }
        if (!handled.insert(moving))
            continue;
        if (const auto* task = dynamic_cast<const TQVTTaskBar*>(moving); task && task->FFixed)
            continue;
        const TDateTime start = moving->getStartDate();
        // The offset counts the days the connection's distance counts.
        const TDateTime newStart =
            Fcalendar && c->FWorkingDays ? Fcalendar->addEffective(start, offset, false) : start + offset;
        const TDateTime newEnd = newStart + (moving->getEndDate() - start);
        const int row = moving->getRow();
        if (Ftable->barInRange(newStart, newEnd, row, moving))
            continue;
        const TQVTOperationPtr move = moving->moveTo(newStart, row);
        if (!move || !move->perform())
            continue;
        moves->addOperation(move);
        // Only the moved bar's connections can have changed.
        const std::vector<TQVTBarConnection*> touched = connectionsAt(moving);
        pending.insert(pending.end(), touched.rbegin(), touched.rend());
    }
    return moves;
}

TQVTTimeScale* TQVTGanttDocument::getTimeScale(int index) const
{
    if (index < 0 || index >= getScalesCount())
        return nullptr;
    return FScales[static_cast<std::size_t>(index)].get();
}

void TQVTGanttDocument::InsertScale(int index, const std::shared_ptr<TQVTTimeScale>& scale)
{
    if (!scale)
        return;
    index = std::clamp(index, 0, getScalesCount());
    scale->setParent(this);
    FScales.insert(FScales.begin() + index, scale);
    UpdateTimeScales();
}

void TQVTGanttDocument::DeleteScale(int index)
{
    if (index >= 0 && index < getScalesCount())
        FScales.erase(FScales.begin() + index);
}

void TQVTGanttDocument::setStartDate(TDateTime value)
{
    const TQVTTimeMode mode = Fcalendar ? Fcalendar->getTimeMode() : tmNone;
    switch (mode) {
    case tmWeek:
        value = value - DayOfTheWeek(value) + 1;
        break;
    case tmMonth:
        value = value - DayOf(value) + 1;
        break;
    case tmQuarter:
        value = EncodeDate(YearOf(value), (MonthOf(value) - 1) / 3 * 3 + 1, 1);
        break;
    case tmYear:
        value = EncodeDate(YearOf(value), 1, 1);
        break;
    case tmDecade:
        // There is no year 0: the first decade starts with year 1.
        value = EncodeDate(std::max(1, YearOf(value) / 10 * 10), 1, 1);
        break;
    default:
        break;
    }
    FStartDate = value;
}

void TQVTGanttDocument::UpdateTimeScales()
{
    if (!Fcalendar)
        return;
    for (const auto& scale : FScales)
        if (scale)
            scale->Update(Fcalendar->getTimeMode());
}

namespace {

// The bars whose findTable() is table: those listed by a row of the table that is their
// parent, where the row is its own entry of the table (its order says where). Walking the
// rows once costs far less than asking every connection's two ends, each a chain of lookups
// through different objects.
TAddressSet<TQVTGanttBar> barsOfTable(const TQVTGanttTable& table)
{
    const std::vector<std::shared_ptr<TQVTGanttRow>>& rows = table.FRows;
    // Each row is a chain of three loads: the row, its bar list, its bars (whose parent links
    // lie in their first lines). Each is asked for a few rows before it is read.
    constexpr std::size_t RowAhead = 12;
    constexpr std::size_t ListAhead = 8;
    constexpr std::size_t BarsAhead = 4;
    const auto ahead = [&rows](std::size_t i) { return i < rows.size() ? rows[i].get() : nullptr; };
    std::vector<const TQVTGanttBar*> bars;
    bars.reserve(2 * rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (const TQVTGanttRow* row = ahead(i + RowAhead)) {
            __builtin_prefetch(row);
            __builtin_prefetch(&row->FBarList);
            __builtin_prefetch(&row->FOrder);
        }
        if (const TQVTGanttRow* row = ahead(i + ListAhead))
            __builtin_prefetch(row->FBarList.data());
        if (const TQVTGanttRow* row = ahead(i + BarsAhead))
            for (const auto& bar : row->FBarList) {
                __builtin_prefetch(bar.get());
                __builtin_prefetch(reinterpret_cast<const char*>(bar.get()) + 64);
            }
        const TQVTGanttRow* row = rows[i].get();
        // A row listed twice counts at the place its order names.
        if (!row || row->FOrder != static_cast<int>(i) || row->getTable() != &table)
            continue;
        for (const auto& bar : row->FBarList)
            if (bar && bar->getParent() == row)
                bars.push_back(bar.get());
    }
    TAddressSet<TQVTGanttBar> set(bars.size());
    for (std::size_t i = 0; i < bars.size(); ++i) {
        if (i + ListAhead < bars.size())
            set.prefetch(bars[i + ListAhead]);
        set.insert(bars[i]);
    }
    return set;
}

// Keeps the connections whose two ends are bars of the table's rows, each once; the others
// could only be drawn, routed or saved as dangling references.
void dropUnlinkedConnections(TQVTGanttDocument& document)
{
    std::vector<std::shared_ptr<TQVTBarConnection>>& connections = document.connections;
    const TAddressSet<TQVTGanttBar> bars =
        document.Ftable ? barsOfTable(*document.Ftable) : TAddressSet<TQVTGanttBar>();
    const auto inTable = [&bars](const TQVTGanttBar* bar) { return bar && bars.contains(bar); };
    // A section listed twice loads as one connection, kept at its first place.
    TAddressSet<TQVTBarConnection> kept(connections.size());
    // The memory of the connections a few places ahead is asked for early: their ends first,
    // then the sets' slots for what they name. Kept ones move up only over places
    // already passed, so those ahead stay as they were.
    constexpr std::size_t Far = 16;
    constexpr std::size_t Near = 8;
    std::size_t keptCount = 0;
    for (std::size_t i = 0; i < connections.size(); ++i) {
        if (i + Far < connections.size())
            if (const TQVTBarConnection* ahead = connections[i + Far].get()) {
                __builtin_prefetch(&ahead->barFrom);
                __builtin_prefetch(&ahead->barTo);
            }
        if (i + Near < connections.size())
            if (const TQVTBarConnection* ahead = connections[i + Near].get()) {
                bars.prefetch(ahead->barFrom.get());
                bars.prefetch(ahead->barTo.get());
                kept.prefetch(ahead);
            }
        std::shared_ptr<TQVTBarConnection>& c = connections[i];
        if (!c)
            continue;
        if (!inTable(c->barFrom.get()) || !inTable(c->barTo.get())) {
            addlog("Connection \"" + c->getUID() + "\" does not join two bars of the table's rows; dropped");
            continue;
        }
        if (!kept.insert(c.get()))
            continue;
        if (keptCount != i)
            connections[keptCount] = std::move(c);
        ++keptCount;
    }
    connections.erase(connections.begin() + static_cast<std::ptrdiff_t>(keptCount), connections.end());
}

} // namespace

std::shared_ptr<TQVTGanttObject> TQVTDocumentPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    auto document = std::make_shared<TQVTGanttDocument>();
    document->DocumentSetup = document.get();
    TQVTGanttObject* parent = document.get();
    double startDate = 0;
    media.getRealProperty(name, "startDate", std::trunc(Now()), startDate);
    media.getRealProperty(name, "date range start", 0, document->FDateRangeStart);
    media.getRealProperty(name, "date range end", 0, document->FDateRangeEnd);
    document->Ftable = loadChildAs<TQVTGanttTable>("table", media, factory, parent);
    document->Fcalendar = loadChildAs<TQVTDocumentCalendar>("calendar", media, factory, parent);
    // Snapped only now: the snapping follows the calendar's time unit.
    document->setStartDate(startDate);
    document->FScales = factory.loadObjectListAs<TQVTTimeScale>(name, "time scales", media, parent);
    std::erase(document->FScales, nullptr);
    document->FTaskBarSettings = loadChildAs<TQVTTaskBarSettings>("task bar settings", media, factory, parent);
    document->FImageBarSettings = loadChildAs<TQVTImageBarSettings>("image bar settings", media, factory, parent);
    document->FTextBarSettings = loadChildAs<TQVTTextSettings>("text bar settings", media, factory, parent);
    document->FTextHaloSettings = loadChildAs<TQVTTextHaloSettings>("textual halo settings", media, factory, parent);
    document->FHintTextSettings = loadChildAs<TQVTTextSettings>("hint text settings", media, factory, parent);
    media.getBoolProperty(name, "time scale under", false, document->FTimeScaleUnder);
    if (!document->FHintTextSettings)
        document->FHintTextSettings = document->FTextBarSettings;
    document->FProgressBarSettings =
        loadChildAs<TQVTProgressBarSettings>("progress bar settings", media, factory, parent);
    document->FConnectionSettings = loadChildAs<TQVTConnectionSettings>("connection settings", media, factory, parent);
    document->connections = factory.loadObjectListAs<TQVTBarConnection>(name, "connections", media, parent);
    document->FTree = loadChildAs<TQVTTreeGrid>("tree", media, factory, parent);
    document->FLegend = loadChildAs<TQVTLegend>("legend", media, factory, parent);
    dropUnlinkedConnections(*document);
    // The chart rows follow the tree's collapsed nodes.
    if (document->FTree && document->FTree->FRootNode)
        document->FTree->FRootNode->setVisible(true);
    if (document->Ftable) {
        document->Ftable->updateCriticalPath();
        document->Ftable->UpdateSummaryBars();
    }
    document->UpdateTimeScales();
    return document;
}

} // namespace corvane
