// Routing of a connection's line between two bars of the Gantt chart or two boxes of the PERT
// chart, and finding it there.

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/pert/qvtPertBar.h"
#include "corvane/framework/rendering/qvtVisualContext.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace corvane {

namespace {

// Where lines to rows scrolled out at the top go: above every visible row.
constexpr int AboveRows = -10;
// The elbow of a backward link into a row scrolled out at the top.
constexpr int FarAboveRows = -50;

} // namespace

TQVTBarConnection* TQVTBarConnectionDrawer::connection() const
{
    return dynamic_cast<TQVTBarConnection*>(target);
}

bool TQVTBarConnectionDrawer::isLeftToRight() const
{
    const TQVTBarConnection* c = connection();
    return c && c->barFrom && c->barTo && c->originDate() < c->targetDate();
}

bool TQVTBarConnectionDrawer::typeIs(bool originIsStart, bool targetIsStart) const
{
    const TQVTBarConnection* c = connection();
    return c && c->getConnType() == (originIsStart ? 2 : 0) + (targetIsStart ? 1 : 0);
}

void TQVTBarConnectionDrawer::addSegment(int x1, int y1, int x2, int y2)
{
    segments.push_back(Segment{std::min(y1, y2), std::min(x1, x2), std::max(y1, y2), std::max(x1, x2)});
}

void TQVTBarConnectionDrawer::line(TQVTVisualContext& vc, int x1, int y1, int x2, int y2)
{
    vc.drawLine(x1, y1, x2, y2);
    addSegment(x1, y1, x2, y2);
}

TQVTGanttObject* TQVTBarConnectionDrawer::locateObject(int x, int y)
{
    const auto near = [](int v, int low, int high) {
        return std::int64_t{v} >= std::int64_t{low} - HitDistance &&
               std::int64_t{v} <= std::int64_t{high} + HitDistance;
    };
    for (const Segment& s : segments)
        if (near(x, s.minX, s.maxX) && near(y, s.minY, s.maxY))
            return target;
    return nullptr;
}

bool TQVTBarConnectionDrawer::Draw(TQVTVisualContext& vc)
{
    return route(vc, nullptr, 0, nullptr, nullptr);
}

bool TQVTBarConnectionDrawer::drawBetween(TQVTVisualContext& vc, TQVTGanttDocument& document, TDateTime viewStart,
                                          const TRect& fromRect, const TRect& toRect)
{
    return route(vc, &document, viewStart, &fromRect, &toRect);
}

bool TQVTBarConnectionDrawer::route(TQVTVisualContext& vc, TQVTGanttDocument* known, TDateTime viewStart,
                                    const TRect* fromRect, const TRect* toRect)
{
    segments.clear();
    TQVTBarConnection* c = connection();
    auto* document = known || !c ? known : dynamic_cast<TQVTGanttDocument*>(FindDocumentSetup(c));
    TQVTGanttTable* table = document ? document->GetTable() : nullptr;
    TQVTGanttBar* from = c ? c->barFrom.get() : nullptr;
    TQVTGanttBar* to = c ? c->barTo.get() : nullptr;
    if (!table || !from || !to || from == to)
        return true;
    const TQVTConnectionSettings* settings = document->GetConnectionSettings();
    if (settings && !settings->FShowConnections)
        return true;
    const TDateTime first = document->getStartDate();
    if (c->liesOutside(first, document->getEndDate()))
        return true;
    // Both ends must be bars of this table's rows.
    const int rowF = from->getRow();
    const int rowT = to->getRow();
    const TQVTGanttRow* rowFrom = from->findTable() == table ? table->getRow(rowF) : nullptr;
    const TQVTGanttRow* rowTo = to->findTable() == table ? table->getRow(rowT) : nullptr;
    if (!rowFrom || !rowTo || (!rowFrom->IsVisible() && !rowTo->IsVisible()))
        return true;
    if (rowF == rowT && !c->FDrawOnSingleRow)
        return true;

    const bool originIsStart = (c->getConnType() & 2) != 0;
    const bool targetIsStart = (c->getConnType() & 1) != 0;
    const bool rectsKnown = fromRect && toRect && viewStart == first;
    const TRect rf = rectsKnown ? *fromRect : from->getRect(first);
    const TRect rt = rectsKnown ? *toRect : to->getRect(first);
    fromX = originIsStart ? rf.Left : rf.Right;
    toX = targetIsStart ? rt.Left : rt.Right;
    const bool aboveF = !rowFrom->IsVisible() && rowF < table->getScrolledLines();
    const bool aboveT = !rowTo->IsVisible() && rowT < table->getScrolledLines();

    int dirX = fromX > toX ? -1 : 1;
    const auto middleBetweenBorders = [table](int r) {
        return static_cast<int>((std::int64_t{table->getRowStartY(r)} + table->getRowStartY(r + 1)) / 2);
    };
    const auto middle = [table](int r) {
        return static_cast<int>(std::int64_t{table->getRowStartY(r)} + table->getRowHeight(r) / 2);
    };
    const int yF = middleBetweenBorders(rowF);
    const int yT = middleBetweenBorders(rowT);
    const int dirY = yF > yT ? -1 : 1;
    if (yF == yT && fromX == toX)
        return true;

    TColor color =
        settings ? settings->getColor(c->getConnType()) : TQVTConnectionSettings{}.getColor(c->getConnType());
    if (c->FCriticalElement)
        color = table->FCriticalPathColor;
    else if (highlightedMode)
        color = settings ? settings->FColorHighlighted : TQVTConnectionSettings{}.FColorHighlighted;
    vc.setDrawingColor(color);
    vc.setPenWidth(1);
    vc.setPenStyle(c->findViolationOffset() != 0 ? psDash : psSolid);

    // The stub leaving the origin end outward.
    const int stubY = aboveF ? AboveRows : yF;
    const int stubEnd = originIsStart ? fromX - StubLength : fromX + StubLength;
    line(vc, fromX, stubY, stubEnd, stubY);
    fromX = stubEnd;

    // The target starts where the origin ends: straight down (or up) onto the target.
    if (c->getConnType() == TQVTBarConnection::FinishToStart && dirX > 0 && c->originDate() == c->targetDate()) {
        const int y2 = dirY > 0 ? rt.Top : rt.Bottom;
        vc.drawVertArrow(fromX, yF, y2);
        addSegment(fromX, yF, fromX, y2);
        vc.setPenStyle(psSolid);
        return true;
    }

    // The arrowed stub entering the target end from outside.
    const int outerX = targetIsStart ? toX - StubLength : toX + StubLength;
    if (aboveT) {
        addSegment(outerX, AboveRows, toX, AboveRows);
    } else {
        vc.drawHorzArrow(yT, outerX, toX);
        addSegment(outerX, yT, toX, yT);
    }
    toX = outerX;

    if (dirX > 0 && fromX > toX)
        dirX = -1;
    else if (dirX < 0 && fromX < toX)
        dirX = 1;

    int midY;
    if ((dirX > 0 && !originIsStart) || (dirX < 0 && originIsStart))
        midY = aboveF ? AboveRows : middle(rowF);
    else
        midY = aboveT ? AboveRows : middle(rowT);

    // A link that must turn back runs between the rows rather than through a bar.
    const bool finishToStart = c->getConnType() == TQVTBarConnection::FinishToStart;
    const bool startToFinish = c->getConnType() == TQVTBarConnection::StartToFinish;
    if ((finishToStart && dirX > 0) || (startToFinish && dirX < 0)) {
        if (std::abs(rowF - rowT) == 1) {
            if (dirY > 0)
                midY = aboveT ? AboveRows : table->getRowStartY(rowT);
            else
                midY = aboveF ? AboveRows : table->getRowStartY(rowF);
        } else if (dirX < 0) {
            midY = aboveT ? FarAboveRows : middle(rowT - dirY);
        } else {
            midY = middle(rowF + dirY);
            if (midY > rf.Top && midY < rf.Bottom)
                midY = AboveRows;
        }
    }

    if (aboveF && originIsStart) {
        line(vc, fromX, 0, fromX, midY);
        line(vc, toX, yT, toX, midY);
        line(vc, fromX, midY, toX, midY);
    } else if (aboveF) {
        line(vc, toX, yT, toX, 0);
    } else {
        line(vc, fromX, yF, fromX, midY);
        line(vc, toX, yT, toX, midY);
        line(vc, fromX, midY, toX, midY);
    }
    vc.setPenStyle(psSolid);
    return true;
}

bool TQVTBarConnectionPertDrawer::Draw(TQVTVisualContext& vc)
{
    segments.clear();
    TQVTBarConnection* c = connection();
    auto* from = c ? dynamic_cast<TQVTPertBar*>(c->barFrom.get()) : nullptr;
    auto* to = c ? dynamic_cast<TQVTPertBar*>(c->barTo.get()) : nullptr;
    TQVTDrawer* fromDrawer = from ? from->getDrawer(vtPertGraph) : nullptr;
    TQVTDrawer* toDrawer = to ? to->getDrawer(vtPertGraph) : nullptr;
    if (!fromDrawer || !toDrawer || from == to)
        return true;
    auto* document = dynamic_cast<TQVTGanttDocument*>(FindDocumentSetup(c));
    const TQVTConnectionSettings* settings = document ? document->GetConnectionSettings() : nullptr;
    const TQVTConnectionSettings defaults;
    if (!settings)
        settings = &defaults;
    vc.setDrawingColor(highlightedMode ? settings->FColorHighlighted : settings->getColor(c->getConnType()));
    vc.setPenWidth(1);
    vc.setPenStyle(psSolid);

    const TRect a = fromDrawer->getRect();
    const TRect b = toDrawer->getRect();
    const int border = to->effectiveSettings().FBorderThickness;
    const bool bothWays = c->getConnType() == 1;
    const auto mid = [](int low, int high) { return static_cast<int>((std::int64_t{low} + high) / 2); };
    // Side by side when the boxes share some height, else one above the other. Along the axis
    // that joins them the path leaves the origin's facing side, turns at the middle between
    // the boxes, crosses, and ends in an arrow outside the target's border; across that axis it
    // runs at the boxes' middles.
    const bool sideBySide = a.Top < b.Bottom && b.Top < a.Bottom;
    const int aLow = sideBySide ? a.Left : a.Top;
    const int aHigh = sideBySide ? a.Right : a.Bottom;
    const int bLow = sideBySide ? b.Left : b.Top;
    const int bHigh = sideBySide ? b.Right : b.Bottom;
    const int across1 = sideBySide ? mid(a.Top, a.Bottom) : mid(a.Left, a.Right);
    const int across2 = sideBySide ? mid(b.Top, b.Bottom) : mid(b.Left, b.Right);
    const bool forward = sideBySide ? aHigh < bLow : aHigh <= bLow;
    const int along1 = forward ? aHigh : aLow;
    const int along2 = forward ? bLow - border : bHigh + border;
    const int turn = mid(along1, along2);
    // Points in (along, across) order become pixels.
    const auto line = [&](int along1st, int across1st, int along2nd, int across2nd) {
        if (sideBySide) {
            vc.drawLine(along1st, across1st, along2nd, across2nd);
            addSegment(along1st, across1st, along2nd, across2nd);
        } else {
            vc.drawLine(across1st, along1st, across2nd, along2nd);
            addSegment(across1st, along1st, across2nd, along2nd);
        }
    };
    const auto arrow = [&](int across, int from, int into) {
        if (sideBySide)
            vc.drawHorzArrow(across, from, into);
        else
            vc.drawVertArrow(across, from, into);
        addSegment(sideBySide ? from : across, sideBySide ? across : from, sideBySide ? into : across,
                   sideBySide ? across : into);
    };
    if (bothWays)
        arrow(across1, turn, along1);
    else
        line(along1, across1, turn, across1);
    line(turn, across1, turn, across2);
    arrow(across2, turn, along2);
    return true;
}

} // namespace corvane
