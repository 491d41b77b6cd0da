// The actions of the chart control's transition table: highlighting and hints while the mouse
// moves, and the gestures that move, resize, create, connect, delete and edit. Each gesture ends
// in at most one entry of the history, holding only what was performed.
#include "corvane/widgets/qvtController.h"

#include "qvtController_p.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtConnectionOperations.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/objects/qvtObjectEditor.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeDrawers.h"
#include "corvane/framework/tasktable/qvtTreeResizePane.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/FormatSettings.h"
#include "corvane/platform/ScopeGuard_p.h"

#include <QLinearGradient>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QToolTip>

#include <cmath>
#include <utility>

namespace corvane {

namespace {

// A press this close to a bar's left or right edge resizes instead of moving.
constexpr int ResizeEdge = 5;
// A press on empty grid must move further than this before a new bar is dragged out.
constexpr int DeadZone = 10;
// Near these margins of the chart a drawn connection scrolls the time axis.
constexpr int ConnectionScrollMargin = 20;
// A new text bar is at least this high.
constexpr int MinTextBarHeight = 10;

QColor fromTColor(TColor c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

TQVTGanttBar* asBar(TQVTGanttObject* obj)
{
    return dynamic_cast<TQVTGanttBar*>(obj);
}

std::shared_ptr<TQVTGanttBar> sharedBar(TQVTGanttObject* obj)
{
    return obj ? std::dynamic_pointer_cast<TQVTGanttBar>(obj->weak_from_this().lock()) : nullptr;
}

TRect paintedRect(TQVTGanttBar* bar)
{
    TQVTDrawer* drawer = bar ? bar->getDrawer(vtGanttGraph) : nullptr;
    return drawer ? drawer->getRect() : TRect{-1, -1, -1, -1};
}

bool closerToStart(TQVTGanttBar* bar, int x, int y)
{
    auto* drawer = dynamic_cast<TQVTGanttBarDrawer*>(bar->getDrawer(vtGanttGraph));
    return drawer && drawer->closerToStart(x, y);
}

} // namespace

void TQVTController::setCreatedType(BarFactory createdType)
{
    if (!createdType)
        return;
    placeFakeBar(nullptr, 0);
    FCreatedType = std::move(createdType);
    createdPrototype = FCreatedType(0, 1, 0);
    fakeBar = createdPrototype->getFakeClass()(0, 1, 0);
}

int TQVTController::columnWidth() const
{
    return table() ? std::max(1, table()->GetColumnWidth()) : 1;
}

void TQVTController::placeFakeBar(TQVTGanttRow* row, TDateTime start)
{
    if (!fakeBar)
        return;
    if (TQVTGanttRow* old = fakeBar->getParentRow()) {
        old->RemoveBar(fakeBar.get());
        fakeBar->setParent(nullptr);
    }
    TQVTGanttDocument* doc = document();
    if (!row || !doc || !doc->getCalendar())
        return;
    const TQVTTimeMode mode = doc->getCalendar()->getTimeMode();
    fakeBar->FstartDate = start;
    fakeBar->FendDate = mode == tmHour ? start + 0.01 : Add(start, 1, tmDay);
    fakeBar->FRow = row->FOrder;
    row->AddBar(fakeBar);
}

void TQVTController::highlight(TQVTGanttObject* obj, bool on)
{
    TQVTDrawer* drawer = obj ? obj->getDrawer(vtGanttGraph) : nullptr;
    if (drawer && drawer->supportsHighlighting() && drawer->isHighLighted() != on) {
        drawer->setHighlighted(on);
        Paint();
    }
}

// Highlighting and hints.

void TQVTController::startHighLighting(int x, int y, int)
{
    TQVTGanttObject* o = pointedObject;
    if (!o)
        return;
    if (auto* halo = dynamic_cast<TQVTHaloEntity*>(o))
        setCursor(toQtCursor(halo->cursorOver()));
    if (!FModifyElements && !dynamic_cast<TQVTTaskBar*>(o))
        return;
    if (dynamic_cast<TQVTHeaderHalo*>(o)) {
        Paint();
        return;
    }
    highlight(o, true);
    if (auto* bar = asBar(o)) {
        pointedObjectRect = paintedRect(bar);
        showBarHint(bar, x, y);
    }
}

void TQVTController::stopHighLighting(int, int, int)
{
    hideHint();
    // The object left may have been freed by a paint or an operation; only a held one is asked.
    if (pointed)
        highlight(pointed.get(), false);
    unsetCursor();
}

void TQVTController::showBarHint(TQVTGanttBar* bar, int x, int y)
{
    const std::string& text = bar->FTextHalo ? bar->FTextHalo->Hint : std::string();
    if (text.empty())
        return;
    if (text == "Date") {
        const std::string& format = FormatSettings().ShortDateFormat;
        dateHint = DateHint{FormatDateTime(format, bar->getStartDate()) + " - " +
                                FormatDateTime(format, bar->getEndDate() - 1),
                            QPoint(x, y)};
        update();
        return;
    }
    QToolTip::showText(mapToGlobal(QPoint(x + 5, y + 5)), QString::fromStdString(text), this);
}

void TQVTController::hideHint()
{
    if (dateHint) {
        dateHint.reset();
        update();
    }
    QToolTip::hideText();
}

void TQVTController::paintDateHint(QPainter& painter)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(7);
    painter.setFont(font);
    const QString text = QString::fromStdString(dateHint->text);
    const QFontMetrics metrics(font);
    const int w = metrics.horizontalAdvance(text);
    const int h = metrics.height();
    const int x = dateHint->at.x();
    const int y = dateHint->at.y();
    const QRect box(QPoint(x - w - 30, y - h - 3), QPoint(x - 10 - 1, y - 1));
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0, fromTColor(0xF5E6CD));
    fill.setColorAt(1, Qt::white);
    painter.fillRect(box, fill);
    painter.setPen(fromTColor(0x808080));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    const QRect icon(box.left() + 2, box.top() + (box.height() - 12) / 2, 12, 12);
    QLinearGradient iconFill(icon.topLeft(), icon.topRight());
    iconFill.setColorAt(0, fromTColor(0xF5E6CD));
    iconFill.setColorAt(1, fromTColor(0xAE957D));
    painter.fillRect(icon, iconFill);
    painter.setPen(Qt::white);
    painter.drawText(icon, Qt::AlignCenter, QStringLiteral("i"));
    painter.setPen(Qt::black);
    painter.drawText(box.adjusted(16, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
}

void TQVTController::setResizingCursor(int x, int, int)
{
    auto* bar = asBar(pointedObject);
    if (!FModifyElements || !bar)
        return;
    if (auto* task = dynamic_cast<TQVTTaskBar*>(bar); task && task->isLocked()) {
        setCursor(Qt::ForbiddenCursor);
        return;
    }
    const TRect r = paintedRect(bar);
    resizingSideRight = r.Right - x < ResizeEdge;
    if (x - r.Left >= ResizeEdge && !resizingSideRight)
        setCursor(Qt::SizeAllCursor);
    else if (bar->canResizeVertically())
        setCursor(Qt::SizeFDiagCursor);
    else if (!dynamic_cast<TQVTSummaryBar*>(bar))
        setCursor(Qt::SizeHorCursor);
}

// Moving and resizing.

void TQVTController::startDragging(int x, int y, int)
{
    hideHint();
    TQVTGanttObject* obj = dragged.get();
    if (!obj)
        return;
    auto* halo = dynamic_cast<TQVTHaloEntity*>(obj);
    if (!FModifyElements && !(halo && halo->IsTreeGridResizer()))
        return;
    auto* bar = asBar(obj);
    bool resize = false;
    if (bar) {
        const TRect r = paintedRect(bar);
        resize = r.Right - x < ResizeEdge || x - r.Left < ResizeEdge;
        resizingSideRight = r.Right - x < ResizeEdge;
    }
    firstDraggingPos = lastDraggingPos = QPoint(x, y);
    view->showOutline(obj);
    firstOutline = view->getOutline();
    currentState = resize ? resizingObject : draggingObject;
    if (halo && halo->changeCursorDragging())
        setCursor(toQtCursor(halo->cursorDragging()));
    if (bar && bar != fakeBar.get()) {
        if (TQVTGanttTable* tab = table())
            tab->setFocusedBar(bar);
        if (OnDragBar)
            OnDragBar(bar);
    }
}

// Moving a row by its number cell: a marker shows where it would go, and the release moves it
// there as the row selector's drag does.

void TQVTController::startRowDrag(int row, int x, int y)
{
    if (row < 0)
        return;
    rowDragged = row;
    firstDraggingPos = lastDraggingPos = QPoint(x, y);
    currentState = draggingObject;
    setCursor(Qt::DragMoveCursor);
    dropRowAt(y);
}

void TQVTController::dropRowAt(int y)
{
    TQVTGanttTable* tab = table();
    const int row = tree() ? tree()->shownRowAt(y) : -1;
    rowDropY = !tab ? -1 : row >= 0 ? tab->getRowStartY(row) : tab->getRowStartY(tab->countRows());
    update();
}

void TQVTController::endRowDrag(int y)
{
    const int moving = std::exchange(rowDragged, -1);
    rowDropY = -1;
    currentState = simplyMoving;
    dragged.reset();
    unsetCursor();
    TQVTTreeGrid* grid = tree();
    TQVTGanttTable* tab = table();
    // Released above the rows the drag goes nowhere; below them the row goes to the end.
    const int before = grid ? grid->shownRowAt(y) : -1;
    const bool aboveRows = tab && before < 0 && y < tab->getRowStartY(tab->countRows());
    TQVTTreeRow* row = grid ? grid->getRow(moving) : nullptr;
    if (row && draggingMoved && !aboveRows && before != moving && grid->rowsCount() > 1)
        if (TQVTOperationPtr op = grid->repositionRow(moving, before); op && FDataSource->doOperation(op)) {
            grid->deselectAll();
            grid->focus(row->FIndex);
        }
    Paint();
}

void TQVTController::paintRowDropMarker(QPainter& painter) const
{
    TQVTGanttDocument* doc = document();
    if (!doc || rowDropY < 0)
        return;
    const int left = doc->getDocStartX() + 4;
    const int right = width() - 19;
    painter.fillRect(QRect(QPoint(left, rowDropY), QPoint(right - 1, rowDropY + 2)), Qt::black);
    painter.fillRect(QRect(QPoint(left, rowDropY + 1), QPoint(right - 1, rowDropY + 1)), QColor(0x4D, 0x4D, 0x4D));
    // A small arrowhead at the left end points at the place.
    painter.setPen(Qt::black);
    for (int k = 1; k <= 4; ++k)
        painter.drawLine(left - k, rowDropY + 1 - k, left - k, rowDropY + 1 + k);
}

void TQVTController::startResizing(int x, int y, int keyState)
{
    startDragging(x, y, keyState);
    if (currentState == draggingObject && asBar(dragged.get()))
        currentState = resizingObject;
}

void TQVTController::drag(int x, int y, int)
{
    TQVTGanttObject* obj = dragged.get();
    if (!obj)
        return;
    draggingMoved = draggingMoved || QPoint(x, y) != firstDraggingPos;
    if (rowDragged >= 0) {
        dropRowAt(y);
        lastDraggingPos = QPoint(x, y);
        return;
    }
    auto* bar = asBar(obj);
    if (bar)
        scrollWithOutline(x);
    const int dy = bar && !bar->canMoveVertically() ? 0 : y - lastDraggingPos.y();
    view->moveOutline(x - lastDraggingPos.x(), dy, true);
    lastDraggingPos = QPoint(x, y);
}

void TQVTController::stopDragging(int x, int y, int keyState)
{
    if (rowDragged >= 0) {
        endRowDrag(y);
        return;
    }
    currentState = simplyMoving;
    const std::shared_ptr<TQVTGanttObject> held = std::move(dragged);
    unsetCursor();
    if (auto* halo = dynamic_cast<TQVTHaloEntity*>(held.get())) {
        view->hideOutline();
        TQVTOperationPtr op;
        if (!draggingMoved && halo->processMouseClick())
            op = halo->handleClick(x, y, keyState);
        else if (draggingMoved)
            op = halo->handleMove(x - firstDraggingPos.x(), y - firstDraggingPos.y(), keyState, x, y);
        if (op)
            FDataSource->doOperation(op);
        if (draggingMoved && halo->IsTreeGridResizer() && OnSplitterMove)
            OnSplitterMove(this);
    } else if (held) {
        if (TQVTTreeGrid* grid = tree())
            grid->focusAt(x, y);
        auto bar = std::dynamic_pointer_cast<TQVTGanttBar>(held);
        const int oldRow = bar ? bar->getRow() : -1;
        TQVTOperationPtr op;
        if (QPoint(x, y) != firstDraggingPos)
            op = view->hideOutlineAndMove();
        view->hideOutline();
        if (op) {
            TQVTUndoRedoStack& history = FDataSource->GetUndoRedoStack();
            history.startGrouping();
            const ScopeGuard close([&history] { history.endGrouping(); });
            if (history.doOperation(op) && bar) {
                TQVTGanttTable* tab = table();
                if (tab && tab->FSnapBarsTogether) {
                    history.doOperation(view->LeftAlignAllBars(oldRow));
                    if (bar->getRow() != oldRow)
                        history.doOperation(view->LeftAlignAllBars(bar->getRow()));
                }
                resolveDistances(bar.get());
            }
        }
    }
    if (OnStopDragging)
        OnStopDragging(this);
    forgetPointed();
    Paint();
}

void TQVTController::doResizing(int x, int y, int)
{
    auto* bar = asBar(dragged.get());
    if (!bar)
        return;
    scrollWithOutline(x);
    view->setOutline(x - firstDraggingPos.x(), bar->canResizeVertically() ? y - firstDraggingPos.y() : 0,
                     resizingSideRight);
    lastDraggingPos = QPoint(x, y);
}

void TQVTController::endResizing(int, int, int)
{
    auto bar = std::dynamic_pointer_cast<TQVTGanttBar>(dragged);
    const ScopeGuard finish([this] {
        view->hideOutline();
        dragged.reset();
        currentState = simplyMoving;
        unsetCursor();
        forgetPointed();
        Paint();
    });
    if (!bar || !view->acceptOutline())
        return;
    const TRect r = view->getOutline();
    const auto colAt = [this](int x, int y) {
        TQVTColRow c = view->getColRow(x, y, false);
        return c.row == -1 ? view->getColRowExtended(x, y, false) : c;
    };
    const int edge = resizingSideRight ? r.Right : r.Left;
    const int firstEdge = resizingSideRight ? firstOutline.Right : firstOutline.Left;
    const TQVTColRow a = colAt(edge, r.Top);
    const TQVTColRow b = colAt(firstEdge, firstOutline.Top);
    const double change = a.col - b.col;
    const int changeY = r.Bottom - firstOutline.Bottom;
    if (change == 0 && changeY == 0)
        return;
    TQVTUndoRedoStack& history = FDataSource->GetUndoRedoStack();
    history.startGrouping();
    const ScopeGuard close([&history] { history.endGrouping(); });
    if (history.doOperation(std::make_shared<TQVTBarResizeOperation>(FDataSource, bar, change, changeY, resizingSideRight)))
        resolveDistances(bar.get());
}

void TQVTController::resolveDistances(TQVTGanttBar* bar)
{
    TQVTGanttDocument* doc = document();
    if (!doc || !bar)
        return;
    const auto moves = doc->resolveDistanceViolations(bar);
    if (moves && !moves->empty())
        FDataSource->GetUndoRedoStack().addOperation(moves);
}

void TQVTController::shiftGesture(int pixels)
{
    firstDraggingPos.rx() -= pixels;
    lastDraggingPos.rx() -= pixels;
    firstOutline.Left -= pixels;
    firstOutline.Right -= pixels;
    mouseInitialX -= pixels;
    Paint();
}

void TQVTController::scrollWithOutline(int x)
{
    TQVTGanttDocument* doc = document();
    if (!doc)
        return;
    const int cw = columnWidth();
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int treeWidth = doc->getTreeWidth();
    const TRect outline = view->getOutline();
    const bool resizing = currentState == resizingObject || currentState == creatingObject;
    if (width() - extent - x < cw) {
        if (resizing && !resizingSideRight && outline.Right < width() - extent)
            return;
        shiftGesture(view->scroll(1));
    } else if (x - treeWidth < cw) {
        if (resizing && resizingSideRight && outline.Left > treeWidth)
            return;
        if (!FDataSource->UseLeftScrollLimit || FDataSource->LeftScrollLimit < doc->getStartDate())
            shiftGesture(view->scroll(-1));
    }
}

// Drawing a connection.

void TQVTController::startMakingConnection(int x, int y, int)
{
    auto origin = sharedBar(dragged.get());
    TQVTGanttDocument* doc = document();
    if (!FAddElements || !origin || !origin->acceptConnections() || !origin->getParentRow() || !doc)
        return;
    hideHint();
    placeFakeBar(origin->getParentRow(), origin->getStartDate());
    newConnection = std::make_shared<TQVTBarConnection>(origin, fakeBar, 0);
    newConnection->setConnType(closerToStart(origin.get(), x, y) ? TQVTBarConnection::StartToFinish
                                                                   : TQVTBarConnection::FinishToFinish);
    highlight(origin.get(), true);
    doc->addConnection(newConnection);
    lastConnColRow = view->getColRow(x, y, false);
    currentState = makingConnection;
    Paint();
}

void TQVTController::moveConnectionTarget(int x, int y, int)
{
    TQVTGanttDocument* doc = document();
    TQVTGanttTable* tab = table();
    if (!newConnection || !doc || !tab || !doc->getCalendar())
        return;
    const TQVTColRow c = view->getColRow(x, y, false);
    if (c.col != -1 && c.row >= 0 && c.row < tab->countRows()) {
        const TDateTime start = doc->getCalendar()->Add(doc->getStartDate(), static_cast<int>(std::floor(c.col)));
        placeFakeBar(tab->getRow(c.row), start);
        if (std::floor(c.col) != std::floor(lastConnColRow.col)) {
            const bool leftToRight = start >= newConnection->originDate();
            newConnection->setConnType((newConnection->getConnType() & 2) | (leftToRight ? 1 : 0));
        }
        lastConnColRow = c;
    }
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (x >= width() - extent - ConnectionScrollMargin)
        view->scroll(1);
    else if (x <= doc->getTreeWidth() + ConnectionScrollMargin)
        view->scroll(-1);
    Paint();
}

void TQVTController::linkToObject(int x, int y, int keyState)
{
    auto target = sharedBar(pointedObject);
    if (!newConnection || !target || !target->acceptConnections() || target == newConnection->barFrom ||
        target == fakeBar) {
        moveConnectionTarget(x, y, keyState);
        return;
    }
    if (newConnection->barTo != target) {
        highlight(newConnection->barTo.get(), false);
        newConnection->barTo = target;
        placeFakeBar(nullptr, 0);
    }
    highlight(target.get(), true);
    newConnection->setConnType((newConnection->getConnType() & 2) | (closerToStart(target.get(), x, y) ? 1 : 0));
    if (TQVTGanttDocument* doc = document())
        if (TQVTBarConnection* existing = doc->findConnection(newConnection->barFrom.get(), target.get(), -1))
            highlight(existing, true);
    Paint();
}

void TQVTController::disconnectLink(int x, int y, int keyState)
{
    if (!newConnection)
        return;
    if (newConnection->barTo && newConnection->barTo != fakeBar) {
        TQVTGanttBar* left = newConnection->barTo.get();
        highlight(left, false);
        if (TQVTGanttDocument* doc = document())
            if (TQVTBarConnection* existing = doc->findConnection(newConnection->barFrom.get(), left, -1))
                highlight(existing, false);
        newConnection->barTo = fakeBar;
    }
    lastConnColRow = TQVTColRow{};
    moveConnectionTarget(x, y, keyState);
}

void TQVTController::endMakingConnection(int, int, int)
{
    const std::shared_ptr<TQVTBarConnection> drawn = std::move(newConnection);
    const ScopeGuard finish([this] {
        placeFakeBar(nullptr, 0);
        currentState = simplyMoving;
        forgetPointed();
        Paint();
    });
    if (!drawn)
        return;
    TQVTGanttDocument* doc = document();
    if (doc)
        doc->removeConnection(drawn.get());
    const std::shared_ptr<TQVTGanttBar> origin = drawn->barFrom;
    const std::shared_ptr<TQVTGanttBar> target = drawn->barTo;
    highlight(origin.get(), false);
    highlight(target.get(), false);
    placeFakeBar(nullptr, 0);
    if (!doc || !target || target == fakeBar || target == origin)
        return;
    if (TQVTBarConnection* existing = doc->findConnection(origin.get(), target.get(), -1)) {
        highlight(existing, false);
        return;
    }
    // A connection of its own goes into the history, never the provisional one.
    auto connection = std::make_shared<TQVTBarConnection>(origin, target, drawn->getConnType());
    TQVTUndoRedoStack& history = FDataSource->GetUndoRedoStack();
    history.startGrouping();
    const ScopeGuard close([&history] { history.endGrouping(); });
    if (FDataSource->ConnectionAdd(connection))
        resolveDistances(target.get());
}

// Creating a bar.

void TQVTController::startTrackingMouse(int x, int y, int)
{
    mouseInitialX = x;
    mouseInitialY = y;
    currentState = trackingMouse;
}

void TQVTController::trackMouse(int x, int y, int keyState)
{
    if (std::abs(x - mouseInitialX) <= DeadZone && std::abs(y - mouseInitialY) <= DeadZone)
        return;
    startNewOutline(mouseInitialX, mouseInitialY, keyState);
    if (currentState == creatingObject)
        resizeNewOutline(x, y, keyState);
}

void TQVTController::endTrackingMouse(int, int, int)
{
    currentState = simplyMoving;
}

void TQVTController::startNewOutline(int x, int y, int keyState)
{
    TQVTGanttDocument* doc = document();
    TQVTGanttTable* tab = table();
    if (!FAddElements || !doc || !tab || !doc->getCalendar() || x < doc->getTreeWidth())
        return;
    const TQVTColRow c = view->getColRow(x, y, true);
    if (c.col < 0 || c.row < 0 || c.row >= tab->countRows())
        return;
    placeFakeBar(tab->getRow(c.row), doc->getCalendar()->RealAdd(doc->getStartDate(), c.col));
    dragged = fakeBar;
    startDragging(x, y, keyState);
    resizingSideRight = true;
    currentState = creatingObject;
    Paint();
}

void TQVTController::resizeNewOutline(int x, int y, int)
{
    // Crossing back over the anchor flips the side being stretched.
    const bool right = x >= firstDraggingPos.x();
    if (right != resizingSideRight) {
        resizingSideRight = right;
        view->restoreOutline();
        lastDraggingPos.setX(firstDraggingPos.x());
    }
    const bool tall = dynamic_cast<TQVTImageBar*>(createdPrototype.get()) ||
                      dynamic_cast<TQVTTextBar*>(createdPrototype.get());
    view->resizeOutline(x - lastDraggingPos.x(), tall ? y - lastDraggingPos.y() : 0, resizingSideRight);
    lastDraggingPos = QPoint(x, y);
    scrollWithOutline(x);
}

void TQVTController::insertNewObject(int, int, int)
{
    const ScopeGuard finish([this] {
        unsetCursor();
        view->hideOutline();
        placeFakeBar(nullptr, 0);
        dragged.reset();
        forgetPointed();
        currentState = simplyMoving;
        Paint();
    });
    TQVTGanttDocument* doc = document();
    TQVTGanttTable* tab = table();
    if (!doc || !tab || !doc->getCalendar() || !view->acceptOutline())
        return;
    const TRect r = view->getOutline();
    const TQVTColRow a = view->getColRow(r.Left, r.Top, false);
    const TQVTColRow b = view->getColRow(r.Right, r.Top, false);
    if (a.row < 0 || a.col < 0)
        return;
    TQVTDocumentCalendar& calendar = *doc->getCalendar();
    const TDateTime start = calendar.RealAdd(doc->getStartDate(), a.col);
    TDateTime end = calendar.RealAdd(doc->getStartDate(), std::max(a.col, b.col));
    std::shared_ptr<TQVTGanttBar> bar = FCreatedType(start, std::max(end, start + 1), a.row);
    if (dynamic_cast<TQVTMilestoneBar*>(bar.get()))
        end = start + 1;
    else if (end <= start)
        end = calendar.Add(start, 1);
    bar->setPeriod(start, end);
    if (auto* text = dynamic_cast<TQVTTextBar*>(bar.get()))
        text->setHeight(std::max(MinTextBarHeight, r.Bottom - r.Top));
    placeFakeBar(nullptr, 0);
    TQVTUndoRedoStack& history = FDataSource->GetUndoRedoStack();
    history.startGrouping();
    const ScopeGuard close([&history] { history.endGrouping(); });
    if (!history.doOperation(std::make_shared<TQVTBarInsertOperation>(FDataSource, *tab, bar, a.row)))
        return;
    if (tab->FSnapBarsTogether)
        history.doOperation(view->LeftAlignAllBars(a.row));
    tab->setFocusedBar(bar.get());
}

// Deleting and editing.

void TQVTController::deletePointed(int, int, int)
{
    if (!FModifyElements)
        return;
    view->hideOutline();
    if (!FDeleteElements)
        return;
    auto bar = sharedBar(pointedObject);
    auto connection = std::dynamic_pointer_cast<TQVTBarConnection>(holdOn(pointedObject));
    if (bar) {
        // A refused delete of the pointed bar deletes nothing else either.
        TQVTUndoRedoStack& history = FDataSource->GetUndoRedoStack();
        history.startGrouping();
        const ScopeGuard close([&history] { history.endGrouping(); });
        const int row = bar->getRow();
        if (FDataSource->BarDelete(bar) && table() && table()->FSnapBarsTogether)
            history.doOperation(view->LeftAlignAllBars(row));
    } else if (connection) {
        FDataSource->ConnectionDelete(connection);
    } else {
        FDataSource->deleteSelected();
    }
    forgetPointed();
    Paint();
}

void TQVTController::invokeEditor(int x, int y, int)
{
    // The tree grid's resizer answers a double-click with its own click handling.
    if (auto* halo = dynamic_cast<TQVTHaloEntity*>(dragged.get()); halo && halo->IsTreeGridResizer()) {
        if (TQVTOperationPtr op = halo->handleClick(x, y, 0))
            FDataSource->doOperation(op);
        if (OnSplitterMove)
            OnSplitterMove(this);
        Paint();
        return;
    }
    // A press (not a double-click) edits what it pressed, even before the mouse moved over it.
    TQVTGanttObject* pressed = dragged.get();
    // A number cell is not edited: it is the handle that moves its row.
    auto* cell = dynamic_cast<TQVTTreeCell*>(pressed);
    if (const auto* type = cell ? dynamic_cast<const TQVTTreeAutoCellType*>(cell->FDataType.get()) : nullptr;
        type && type->kind() == TQVTTreeAutoCellType::akNumber) {
        if (FModifyElements)
            startRowDrag(rowOf(cell), x, y);
        return;
    }
    const bool editsPressed = dynamic_cast<TQVTTreeCell*>(pressed) || dynamic_cast<TQVTHeaderFilterHalo*>(pressed);
    openEditor(editsPressed ? pressed : pointedObject);
}

void TQVTController::openEditor(TQVTGanttObject* obj)
{
    const std::shared_ptr<TQVTGanttObject> held = holdOn(obj);
    // Of the handles only a column's filter button has an editor: its check-list, which filters
    // the view and so is open also without modifyElements.
    if (!held || (dynamic_cast<TQVTHaloEntity*>(obj) && !dynamic_cast<TQVTHeaderFilterHalo*>(obj)))
        return;
    if (dynamic_cast<TQVTTreeCell*>(obj) && !FModifyElements)
        return;
    bool allow = true;
    if (OnInvokeEditor)
        OnInvokeEditor(obj, allow);
    if (!allow)
        return;
    hideHint();
    if (OnObjectStartEditing)
        OnObjectStartEditing(this);
    TQVTGanttTable* tab = table();
    if (dynamic_cast<TQVTTextBar*>(obj) && tab && !tab->FInPlaceTextBarEditing)
        activeEditor = std::make_unique<TQVTDummyEditor>();
    else
        activeEditor = obj->CreateEditor();
    if (!activeEditor)
        activeEditor = std::make_unique<TQVTDummyEditor>();
    editedObject = held;
    activeEditor->SetController(this);
    currentState = editingObject;
    const TQVTOperationPtr op = activeEditor->edit(obj);
    if (activeEditor && activeEditor->IsModal()) {
        if (op)
            FDataSource->doOperation(op);
        if (OnObjectFinishEditing)
            OnObjectFinishEditing(this);
        activeEditor.reset();
        editedObject.reset();
        currentState = ignoringSymbol;
        forgetPointed();
    }
    Paint();
}

void TQVTController::FinishEditing(int, int, int)
{
    currentState = simplyMoving;
    if (activeEditor) {
        // The editor may be the caller: it is freed only once control has left it.
        std::unique_ptr<TQVTObjectEditorIntf> editor = std::move(activeEditor);
        // The edit and the sort it may call for are one undo entry.
        TQVTUndoRedoStack& history = FDataSource->GetUndoRedoStack();
        history.startGrouping();
        const ScopeGuard close([&history] { history.endGrouping(); });
        TQVTTreeGrid* grid = tree();
        const TQVTOperationPtr op = editor->FinishEditing();
        if (op && FModifyElements && history.doOperation(op) && grid)
            if (TQVTOperationPtr sorting = grid->sortRows())
                history.doOperation(sorting);
        if (grid)
            grid->updateNodes();
        if (OnObjectFinishEditing)
            OnObjectFinishEditing(this);
        retireEditor(std::move(editor));
    }
    editedObject.reset();
    forgetPointed();
    Paint();
    setFocus(Qt::OtherFocusReason);
}

void TQVTController::retireEditor(std::unique_ptr<TQVTObjectEditorIntf> editor)
{
    retiredEditors.push_back(std::move(editor));
    QTimer::singleShot(0, this, [this] { retiredEditors.clear(); });
}

void TQVTController::PostActiveEditor()
{
    if (activeEditor)
        nextState(stopEditing, 0, 0, 0);
}

void TQVTController::EditObject(TQVTGanttObject* obj)
{
    if (currentState == ignoringSymbol)
        currentState = simplyMoving;
    if (FDataSource && currentState == simplyMoving)
        openEditor(obj);
}

bool TQVTController::gestureRunning() const
{
    // After a modal editor the control only waits to swallow the next mouse event.
    return currentState != simplyMoving && currentState != ignoringSymbol;
}

bool TQVTController::Undo()
{
    return FDataSource && !gestureRunning() && FDataSource->GetUndoRedoStack().undo();
}

bool TQVTController::Redo()
{
    return FDataSource && !gestureRunning() && FDataSource->GetUndoRedoStack().redo();
}

void TQVTController::EditTreeCell(int col, int row)
{
    TQVTTreeGrid* grid = tree();
    const TQVTTreeRow* treeRow = grid ? grid->getRow(row) : nullptr;
    if (!treeRow || col < 0 || col >= treeRow->cellsCount())
        return;
    PostActiveEditor();
    grid->focus(row);
    grid->FocusCell(row, col);
    ScrollInViewZeile(row);
    ScrollInViewColumn(col);
    renderChart();
    if (currentState == ignoringSymbol)
        currentState = simplyMoving;
    if (currentState == simplyMoving)
        openEditor(treeRow->getCell(col));
}

void TQVTController::CycleToNextTreeCell(int x, int, int)
{
    TQVTTreeGrid* grid = tree();
    const TQVTTreeRow* focused = grid ? grid->getFocusedRow() : nullptr;
    if (!FFocusNextCellOnEnter || !focused)
        return;
    int column = 0;
    for (int c = 0; c < focused->cellsCount(); ++c)
        if (focused->getCell(c) && focused->getCell(c)->FFocused)
            column = c;
    const int from = focused->FIndex;
    MoveFocusedRow(x == 1 ? 38 : 40, 0, 0);
    const TQVTTreeRow* next = grid->getFocusedRow();
    if (next && next->FIndex != from) {
        currentState = simplyMoving;
        EditTreeCell(column, next->FIndex);
    }
}

} // namespace corvane
