#include "corvane/widgets/qvtController.h"

#include "qvtController_p.h"
#include "corvane/widgets/qvtHeaderFilterEditor.h"
#include "corvane/widgets/qvtTreeCellEditors.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtChartDrawers.h"
#include "corvane/framework/chart/qvtRowOperations.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/pert/qvtPertBar.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeDrawers.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeResizePane.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DiagnosticLog.h"
#include "corvane/platform/ScopeGuard_p.h"
#include "corvane/platform/qt/QtCanvas.h"
#include "corvane/platform/qt/QtGraphics.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <exception>

namespace corvane {

namespace {

// The time axis scrolls without end: its bar keeps this margin to both ends.
constexpr int DocScrollerMargin = 5;
constexpr int DocScrollerMax = 100;
// Keyboard codes the row and cell commands pass on as x.
constexpr int CodeUp = 38, CodeDown = 40, CodeShiftUp = 50, CodeShiftDown = 52, CodePageUp = 33, CodePageDown = 34;
constexpr int CodeLeft = 37, CodeRight = 39, CodeHome = 36, CodeEnd = 35;
// A wheel step is 120 units.
constexpr int WheelStep = 120;

} // namespace

TQVTController::TQVTController(QWidget* parent)
    : QWidget(parent),
      buffer(std::make_unique<TBitmap>()),
      FDocScroller(new QScrollBar(Qt::Horizontal, this)),
      FTreeScroller(new QScrollBar(Qt::Horizontal, this)),
      FVerticalScroller(new QScrollBar(Qt::Vertical, this))
{
    visualContext = std::make_unique<TQVTCanvasVC>(buffer->Canvas());
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    initFSA();
    setCreatedType(BarClass<TQVTTaskBar>());
    installInPlaceEditors();
    installHeaderFilterEditor();
    FDocScroller->setRange(0, DocScrollerMax);
    FDocScroller->setPageStep(8);
    docScrollerLastPosition = DocScrollerMax * 5 / 100;
    FDocScroller->setValue(docScrollerLastPosition);
    FVerticalScroller->setPageStep(8);
    for (QScrollBar* bar : {FDocScroller, FTreeScroller, FVerticalScroller}) {
        bar->setFocusPolicy(Qt::NoFocus);
        bar->hide();
    }
    connect(FDocScroller, &QScrollBar::actionTriggered, this, [this](int action) { docScrollerChanged(action); });
    connect(FTreeScroller, &QScrollBar::valueChanged, this, [this](int value) { treeScrollerChanged(value); });
    connect(FVerticalScroller, &QScrollBar::valueChanged, this, [this](int value) { verticalScrollerChanged(value); });
}

TQVTController::~TQVTController()
{
    // The data source outlives the control: nothing provisional may stay in its document.
    if (newConnection && document())
        document()->removeConnection(newConnection.get());
    placeFakeBar(nullptr, 0);
    if (FDataSource)
        FDataSource->GetUndoRedoStack().removeObserver(historyObserver);
}

TQVTGanttDocument* TQVTController::document() const
{
    return FDataSource ? FDataSource->root() : nullptr;
}

TQVTGanttTable* TQVTController::table() const
{
    return FDataSource ? FDataSource->GetTable() : nullptr;
}

TQVTTreeGrid* TQVTController::tree() const
{
    return FDataSource ? FDataSource->GetTree() : nullptr;
}

void TQVTController::initFSA()
{
    for (auto& row : FSA)
        row.fill(&TQVTController::noAction);
    FSA[ignoringSymbol].fill(&TQVTController::setSimplyMoving);
    auto& idle = FSA[simplyMoving];
    idle[leftButtonDownOnObject] = &TQVTController::startDragging;
    idle[leftButtonDownOnObjectHoldingShift] = &TQVTController::startMakingConnection;
    idle[moveIntoObject] = &TQVTController::startHighLighting;
    idle[moveOutOfObject] = &TQVTController::stopHighLighting;
    idle[moveInsideObject] = &TQVTController::setResizingCursor;
    idle[leftButtonDownOnObjectHoldingCtrl] = &TQVTController::startResizing;
    idle[leftButtonDownOnGridHoldingCtrl] = &TQVTController::startNewOutline;
    idle[deletePressed] = &TQVTController::deletePointed;
    idle[mouseDblClick] = &TQVTController::invokeEditor;
    idle[leftButtonOnGrid] = &TQVTController::startTrackingMouse;
    idle[leftButtonDownOnTreeCell] = &TQVTController::invokeEditor;
    idle[ctrlAPressed] = &TQVTController::selectAll;
    idle[ArrowUp] = idle[ArrowDown] = &TQVTController::MoveFocusedRow;
    idle[ArrowLeft] = idle[ArrowRight] = &TQVTController::MoveFocusedCell;
    idle[treeCellExit] = &TQVTController::CycleToNextTreeCell;
    auto& dragging = FSA[draggingObject];
    // The mouse entering another object while a gesture runs is a move of the gesture too.
    dragging[Move] = dragging[moveInsideObject] = dragging[moveIntoObject] = &TQVTController::drag;
    dragging[leftButtonUp] = &TQVTController::stopDragging;
    auto& connecting = FSA[makingConnection];
    connecting[Move] = &TQVTController::moveConnectionTarget;
    connecting[leftButtonUp] = &TQVTController::endMakingConnection;
    connecting[moveIntoObject] = connecting[moveInsideObject] = &TQVTController::linkToObject;
    connecting[moveOutOfObject] = &TQVTController::disconnectLink;
    auto& resizing = FSA[resizingObject];
    resizing[Move] = resizing[moveInsideObject] = resizing[moveIntoObject] = &TQVTController::doResizing;
    resizing[leftButtonUp] = &TQVTController::endResizing;
    auto& creating = FSA[creatingObject];
    creating[Move] = creating[moveInsideObject] = creating[moveIntoObject] = &TQVTController::resizeNewOutline;
    creating[leftButtonUp] = &TQVTController::insertNewObject;
    auto& editing = FSA[editingObject];
    editing[leftButtonDownOutOfObject] = editing[leftButtonOnGrid] = editing[stopEditing] =
        &TQVTController::FinishEditing;
    editing[treeCellExit] = &TQVTController::CycleToNextTreeCell;
    auto& tracking = FSA[trackingMouse];
    tracking[Move] = tracking[moveInsideObject] = tracking[moveIntoObject] = &TQVTController::trackMouse;
    tracking[leftButtonUp] = &TQVTController::endTrackingMouse;
}

void TQVTController::nextState(mouseEvent event, int x, int y, int keyState)
{
    if (ExecutingAction)
        return;
    ExecutingAction = true;
    const ScopeGuard clear([this] { ExecutingAction = false; });
    try {
        (this->*FSA[currentState][event])(x, y, keyState);
    } catch (const std::exception& e) {
        addlog(std::string("An exception occured: ") + e.what());
        cancelGesture();
    }
}

void TQVTController::cancelGesture()
{
    if (view)
        view->hideOutline();
    if (newConnection) {
        if (TQVTGanttDocument* doc = document())
            doc->removeConnection(newConnection.get());
        highlight(newConnection->barFrom.get(), false);
        highlight(newConnection->barTo.get(), false);
        newConnection.reset();
    }
    placeFakeBar(nullptr, 0);
    if (FDataSource)
        FDataSource->GetUndoRedoStack().endGrouping();
    rowDragged = rowDropY = -1;
    dragged.reset();
    hideHint();
    currentState = simplyMoving;
    unsetCursor();
    Paint();
}

void TQVTController::forgetPointed()
{
    hideHint();
    pointed.reset();
    pointedObject = nullptr;
}

void TQVTController::setDataSource(TQVTDataSource* dataSource)
{
    PostActiveEditor();
    cancelGesture();
    forgetPointed();
    if (FDataSource)
        FDataSource->GetUndoRedoStack().removeObserver(historyObserver);
    FDataSource = dataSource;
    shownDocument = document();
    if (dataSource)
        historyObserver = dataSource->GetUndoRedoStack().addObserver([this](bool gone) { historyChanged(gone); });
    if (view)
        view->setDataSource(dataSource);
    if (dataSource && tree() && FSetOnSelectedRowsChanged)
        tree()->FSelectedRowsChanged = FSetOnSelectedRowsChanged;
    for (QScrollBar* bar : {FDocScroller, FTreeScroller, FVerticalScroller})
        bar->setVisible(dataSource != nullptr);
    updateScrollers();
    Paint();
}

void TQVTController::historyChanged(bool gone)
{
    if (gone) {
        // The data source is being destroyed and its document is gone already: let go of
        // everything without touching it.
        FDataSource = nullptr;
        shownDocument = nullptr;
        if (activeEditor)
            retireEditor(std::move(activeEditor));
        newConnection.reset();
        editedObject.reset();
        dragged.reset();
        pointed.reset();
        pointedObject = nullptr;
        currentState = simplyMoving;
        if (view) {
            view->hideOutline();
            view->setDataSource(nullptr);
        }
        for (QScrollBar* bar : {FDocScroller, FTreeScroller, FVerticalScroller})
            bar->setVisible(false);
        update();
        return;
    }
    if (document() != shownDocument) {
        // Another document was loaded: an edit or gesture on the old one ends without a trace.
        if (activeEditor)
            retireEditor(std::move(activeEditor));
        editedObject.reset();
        cancelGesture();
        shownDocument = document();
    }
    forgetPointed();
    Paint();
}

void TQVTController::setOnSelectedRowsChanged(TQVTSelectedRowsChangedEvent event)
{
    FSetOnSelectedRowsChanged = std::move(event);
    if (tree())
        tree()->FSelectedRowsChanged = FSetOnSelectedRowsChanged;
}

void TQVTController::setOnDrawBar(std::function<void(TQVTGanttBar*, bool&)> event)
{
    if (table())
        table()->FOnDrawBar = std::move(event);
}

void TQVTController::setOnDrawConnection(std::function<void(TQVTBarConnection*, bool&)> event)
{
    if (document())
        document()->FOnDrawConnection = std::move(event);
}

int TQVTController::docScrollerMax() const
{
    return FDocScroller->maximum();
}

void TQVTController::Paint()
{
    chartDirty = true;
    updateScrollers();
    update();
}

void TQVTController::BeginUpdate()
{
    if (FDataSource)
        FDataSource->SetUpdateMode(true);
}

void TQVTController::EndUpdate()
{
    if (!FDataSource)
        return;
    FDataSource->SetUpdateMode(false);
    if (tree())
        tree()->updateRows();
    if (table()) {
        table()->updateCriticalPath();
        table()->UpdateSummaryBars();
    }
    Paint();
}

bool TQVTController::handleOperation(const TQVTOperationPtr& op)
{
    if (!FDataSource || !op)
        return false;
    const bool done = FDataSource->doOperation(op);
    forgetPointed();
    Paint();
    return done;
}

TDateTime TQVTController::getTime(int x)
{
    return view ? view->getTime(x) : 0;
}

void TQVTController::updateScrollers()
{
    TQVTGanttDocument* doc = document();
    if (!doc || updatingScrollers)
        return;
    updatingScrollers = true;
    const ScopeGuard done([this] { updatingScrollers = false; });
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int treeWidth = std::clamp(doc->getTreeWidth(), 0, std::max(0, width() - extent));
    FVerticalScroller->setGeometry(width() - extent, 0, extent, std::max(0, height() - extent));
    FDocScroller->setGeometry(treeWidth, height() - extent, std::max(0, width() - extent - treeWidth), extent);
    FTreeScroller->setGeometry(0, height() - extent, treeWidth, extent);
    TQVTTreeGrid* grid = tree();
    const int treeRoom = treeWidth - doc->getVerticalResizePaneSize();
    const int actualWidth = grid ? grid->getActualWidth() : 0;
    FTreeScroller->setEnabled(treeRoom <= actualWidth);
    if (treeRoom > actualWidth) {
        doc->FTreeStartX = 0;
        treeScrollerLastPosition = 0;
        FTreeScroller->setRange(0, 0);
    } else {
        FTreeScroller->setRange(0, actualWidth - treeRoom + 1);
    }
    if (TQVTGanttTable* tab = table()) {
        tab->FWidth = std::max(0, width() - treeWidth - extent);
        const int rows = tab->countRows();
        FVerticalScroller->setRange(0, std::max(0, rows - 1));
        FVerticalScroller->setPageStep(std::max(1, (height() - doc->GetTableStartY()) / std::max(1, tab->getRowHeight(0))));
        FVerticalScroller->setValue(tab->getScrolledLines());
    }
}

void TQVTController::docScrollerChanged(int)
{
    if (!view || !FDataSource)
        return;
    int pos = FDocScroller->sliderPosition();
    view->scroll(pos - docScrollerLastPosition);
    pos = std::clamp(pos, FDocScroller->minimum() + DocScrollerMargin, FDocScroller->maximum() - DocScrollerMargin);
    FDocScroller->setSliderPosition(pos);
    docScrollerLastPosition = pos;
    viewChanged(OnGraphScroll);
}

void TQVTController::treeScrollerChanged(int value)
{
    TQVTGanttDocument* doc = document();
    if (!doc || updatingScrollers)
        return;
    doc->setTreeStartX(doc->getTreeStartX() - (value - treeScrollerLastPosition));
    treeScrollerLastPosition = value;
    viewChanged(OnTreeScroll);
}

void TQVTController::verticalScrollerChanged(int value)
{
    TQVTGanttTable* tab = table();
    if (!tab || updatingScrollers)
        return;
    tab->SetScrolledLines(value);
    viewChanged(OnVerticalScroll);
}

void TQVTController::viewChanged(const TQVTControlNotifyEvent& scrolled)
{
    Paint();
    if (FDataSource && FDataSource->OnViewChanged)
        FDataSource->OnViewChanged(this);
    if (scrolled)
        scrolled(this);
}

void TQVTController::SetVerticalScrollerPosition(int p)
{
    if (p < 0 || p > 100)
        return;
    FVerticalScroller->setValue(FVerticalScroller->maximum() * p / 100);
}

void TQVTController::ScrollInViewZeile(int row)
{
    TQVTGanttTable* tab = table();
    TQVTGanttDocument* doc = document();
    if (!tab || !doc || row < 0 || row >= tab->countRows())
        return;
    const int bottom = height() - style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (row < tab->getScrolledLines()) {
        tab->SetScrolledLines(row);
    } else {
        // Scroll down one row at a time until the row's bottom edge is on screen.
        while (tab->getRowStartY(row) + tab->getRowHeight(row) > bottom && tab->getScrolledLines() < row) {
            const int before = tab->getScrolledLines();
            tab->SetScrolledLines(before + 1);
            if (tab->getScrolledLines() == before)
                break;
        }
    }
    Paint();
}

void TQVTController::ScrollInViewColumn(int col)
{
    TQVTGanttDocument* doc = document();
    TQVTTreeGrid* grid = tree();
    if (!doc || !grid || col < 0 || col >= grid->colsCount())
        return;
    int left = 0;
    for (int c = 0; c < col; ++c)
        left += grid->getCellWidth(c);
    const int room = doc->getTreeWidth() - doc->getVerticalResizePaneSize();
    const int shownFrom = -doc->getTreeStartX();
    if (left < shownFrom)
        doc->setTreeStartX(-left);
    else if (left + grid->getCellWidth(col) > shownFrom + room)
        doc->setTreeStartX(-(left + grid->getCellWidth(col) - room));
    treeScrollerLastPosition = -doc->getTreeStartX();
    Paint();
}

bool TQVTController::zoomIn()
{
    TQVTGanttDocument* doc = document();
    TQVTDocumentCalendar* calendar = doc ? doc->getCalendar() : nullptr;
    if (!calendar || calendar->getTimeMode() <= tmHour)
        return false;
    const auto finer = static_cast<TQVTTimeMode>(calendar->getTimeMode() - 1);
    return handleOperation(std::make_shared<TQVTTimeModeOperation>(FDataSource, doc, finer));
}

bool TQVTController::zoomOut()
{
    TQVTGanttDocument* doc = document();
    TQVTDocumentCalendar* calendar = doc ? doc->getCalendar() : nullptr;
    if (!calendar || calendar->getTimeMode() >= tmDecade || calendar->getTimeMode() == tmNone)
        return false;
    const auto coarser = static_cast<TQVTTimeMode>(calendar->getTimeMode() + 1);
    return handleOperation(std::make_shared<TQVTTimeModeOperation>(FDataSource, doc, coarser));
}

void TQVTController::renderChart()
{
    TQVTGanttDocument* doc = document();
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const TRect area{0, 0, std::max(1, width() - extent), std::max(1, height() - extent)};
    buffer->SetSize(area.Right, area.Bottom);
    doc->setDocStartX(0);
    visualContext->setVisibleArea(area);
    view->Draw(FDataSource, *visualContext, false);
    chartDirty = false;
}

void TQVTController::paintEvent(QPaintEvent*)
{
    if (_FPaintMutex)
        return;
    _FPaintMutex = true;
    const ScopeGuard clear([this] { _FPaintMutex = false; });
    QPainter painter(this);
    if (!FDataSource || !view) {
        painter.fillRect(rect(), palette().window());
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("No datasource assigned"));
        return;
    }
    if (chartDirty)
        renderChart();
    painter.drawImage(0, 0, TGraphicAccess::ImageData(*buffer).Image);
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    painter.fillRect(width() - extent, height() - extent, extent, extent, palette().window());
    if (dateHint)
        paintDateHint(painter);
    if (rowDragged >= 0)
        paintRowDropMarker(painter);
    if (view->outlineShown()) {
        QtCanvas canvas(painter);
        TQVTCanvasVC overlay(canvas);
        overlay.setVisibleArea(TRect{0, 0, buffer->Width(), buffer->Height()});
        overlay.SetClipRect(TRect{0, 0, buffer->Width(), buffer->Height()});
        view->paintOverlay(overlay);
    }
}

void TQVTController::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Paint();
}

TQVTGanttObject* TQVTController::locate(int x, int y) const
{
    TQVTGanttDocument* doc = document();
    if (!doc)
        return nullptr;
    TQVTDrawer* drawer = doc->getDrawer(FViewType == vtGanttGraph ? vtGanttGraph : vtPertGraph);
    return drawer ? drawer->locateObject(x, y) : nullptr;
}

int TQVTController::rowOf(TQVTGanttObject* obj) const
{
    if (auto* bar = dynamic_cast<TQVTGanttBar*>(obj))
        return bar->getParentRow() ? bar->getRow() : -1;
    if (auto* cell = dynamic_cast<TQVTTreeCell*>(obj))
        if (auto* row = dynamic_cast<TQVTTreeRow*>(cell->getParent()))
            return row->FIndex;
    return -1;
}

void TQVTController::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    if (!view || !FDataSource)
        return;
    const int x = event->position().toPoint().x();
    const int y = event->position().toPoint().y();
    const Qt::KeyboardModifiers mods = event->modifiers();
    setFocus(Qt::MouseFocusReason);
    TQVTGanttObject* hit = view->locateDraggingObject(x, y);
    if (auto* bar = dynamic_cast<TQVTGanttBar*>(hit); bar && !bar->FVisible)
        hit = nullptr;
    dragged = holdOn(hit);
    draggingMoved = false;
    firstDraggingPos = lastDraggingPos = QPoint(x, y);
    if (!hit || dynamic_cast<TQVTRessourceLabelSelector*>(hit)) {
        if (OnEmptySpaceMouseDown)
            OnEmptySpaceMouseDown(this, event->button(), mods, x, y);
        if (FExitAfterMouseDownOnGantt)
            return;
    } else if (dynamic_cast<TQVTGanttBar*>(hit)) {
        if (OnBarMouseDown)
            OnBarMouseDown(this, event->button(), mods, x, y);
    } else if (dynamic_cast<TQVTBarConnection*>(hit)) {
        if (OnConnectionMouseDown)
            OnConnectionMouseDown(this, event->button(), mods, x, y);
    } else if (dynamic_cast<TQVTTreeCell*>(hit)) {
        if (OnTreeCellMouseDown)
            OnTreeCellMouseDown(this, event->button(), mods, x, y);
    }
    if (event->button() != Qt::LeftButton)
        return;
    TQVTTreeGrid* grid = tree();
    const bool ctrl = mods & Qt::ControlModifier;
    if (!ctrl && grid) {
        const int cellRow = rowOf(dynamic_cast<TQVTTreeCell*>(hit));
        const TQVTTreeRow* focused = grid->getFocusedRow();
        if ((mods & Qt::ShiftModifier) && cellRow >= 0 && focused) {
            const auto [from, to] = std::minmax(focused->FIndex, cellRow);
            for (int i = from; i <= to; ++i)
                grid->select(i, true);
        } else if (FViewType == vtGanttGraph || x < document()->getTreeWidth()) {
            grid->focusAt(x, y);
        }
        if (OnRowFocus)
            OnRowFocus(this);
        Paint();
    }
    // Ctrl toggles the selection of the object's row, for objects that have one.
    if (ctrl && pointedObject && !dynamic_cast<TQVTPertBar*>(pointedObject) &&
        !dynamic_cast<TQVTHaloEntity*>(pointedObject) && grid && rowOf(pointedObject) >= 0) {
        const int row = rowOf(pointedObject);
        grid->unFocus();
        grid->select(row, !grid->getRow(row)->FSelected);
        Paint();
        return;
    }
    // A press elsewhere finishes an open editor first; a press on an open filter's button only
    // closes its list.
    if (activeEditor && (editedObject.get() != hit || dynamic_cast<TQVTHeaderFilterHalo*>(hit))) {
        const bool closing = editedObject.get() == hit;
        nextState(leftButtonDownOutOfObject, x, y, keyStateOf(mods));
        if (closing)
            return;
    }
    mouseEvent e;
    if (dynamic_cast<TQVTTreeCell*>(hit) || dynamic_cast<TQVTHeaderFilterHalo*>(hit))
        e = leftButtonDownOnTreeCell;
    else if (!hit)
        e = ctrl ? leftButtonDownOnGridHoldingCtrl : leftButtonOnGrid;
    else if (mods & Qt::ShiftModifier)
        e = leftButtonDownOnObjectHoldingShift;
    else if (ctrl)
        e = leftButtonDownOnObjectHoldingCtrl;
    else
        e = leftButtonDownOnObject;
    nextState(e, x, y, keyStateOf(mods));
}

void TQVTController::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    TQVTGanttDocument* doc = document();
    if (!doc || !view)
        return;
    const int x = event->position().toPoint().x();
    const int y = event->position().toPoint().y();
    if (OnMouseDate)
        OnMouseDate(view->getTime(x), x >= doc->getTreeWidth());
    TQVTGanttObject* o = locate(x, y);
    if (auto* bar = dynamic_cast<TQVTGanttBar*>(o); bar && (!bar->FVisible || x < doc->getTreeWidth()))
        o = nullptr;
    if (dynamic_cast<TQVTGanttBar*>(o) && OnBarMouseMove)
        OnBarMouseMove(this, event->modifiers(), x, y);
    else if (dynamic_cast<TQVTBarConnection*>(o) && OnConnectionMouseMove)
        OnConnectionMouseMove(this, event->modifiers(), x, y);
    const int keyState = keyStateOf(event->modifiers());
    if (o == pointedObject) {
        nextState(o ? moveInsideObject : Move, x, y, keyState);
        return;
    }
    if (pointedObject)
        nextState(moveOutOfObject, x, y, keyState);
    pointed = holdOn(o);
    pointedObject = o;
    if (o)
        nextState(moveIntoObject, x, y, keyState);
    else
        nextState(Move, x, y, keyState);
}

void TQVTController::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (!FDataSource || !view)
        return;
    const int x = event->position().toPoint().x();
    const int y = event->position().toPoint().y();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (auto* bar = dynamic_cast<TQVTGanttBar*>(pointedObject)) {
        if (OnBarMouseUp)
            OnBarMouseUp(this, event->button(), mods, x, y);
        if (!draggingMoved && OnBarClick)
            OnBarClick(bar);
    } else if (auto* connection = dynamic_cast<TQVTBarConnection*>(pointedObject)) {
        if (OnConnectionMouseUp)
            OnConnectionMouseUp(this, event->button(), mods, x, y);
        if (!draggingMoved && OnConnectionClick)
            OnConnectionClick(connection);
    }
    if (event->button() == Qt::LeftButton)
        nextState(leftButtonUp, x, y, mods & Qt::ControlModifier ? 1 : 0);
}

void TQVTController::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!FDataSource || !view)
        return;
    if (auto* bar = dynamic_cast<TQVTGanttBar*>(pointedObject); bar && OnBarDblClick)
        OnBarDblClick(bar);
    else if (auto* connection = dynamic_cast<TQVTBarConnection*>(pointedObject); connection && OnConnectionDblClick)
        OnConnectionDblClick(connection);
    const QPoint p = event->position().toPoint();
    nextState(mouseDblClick, p.x(), p.y(), keyStateOf(event->modifiers()));
}

void TQVTController::wheelEvent(QWheelEvent* event)
{
    if (!table()) {
        QWidget::wheelEvent(event);
        return;
    }
    PostActiveEditor();
    const int steps = event->angleDelta().y() / WheelStep;
    if (steps != 0)
        FVerticalScroller->setValue(FVerticalScroller->value() - steps * FVerticalScroller->singleStep());
    event->accept();
}

void TQVTController::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    // An open editor has the focus on purpose; any other gesture ends.
    if (currentState != simplyMoving && currentState != editingObject)
        cancelGesture();
}

void TQVTController::keyPressEvent(QKeyEvent* event)
{
    if (!view || !FDataSource) {
        QWidget::keyPressEvent(event);
        return;
    }
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    // Commands that change the document wait until no gesture is under way.
    const bool idle = !gestureRunning();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (TQVTTreeGrid* grid = tree(); idle && grid && grid->getFocusedRow()) {
            const TQVTTreeRow* row = grid->getFocusedRow();
            int column = 0;
            for (int c = 0; c < row->cellsCount(); ++c)
                if (row->getCell(c) && row->getCell(c)->FFocused)
                    column = c;
            EditTreeCell(column, row->FIndex);
        }
        break;
    case Qt::Key_Delete:
        if (idle)
            nextState(deletePressed, 0, 0, 0);
        break;
    case Qt::Key_Up:
        nextState(ArrowUp, shift ? CodeShiftUp : CodeUp, 0, 0);
        break;
    case Qt::Key_PageUp:
        nextState(ArrowUp, CodePageUp, 0, 0);
        break;
    case Qt::Key_Down:
        nextState(ArrowDown, shift ? CodeShiftDown : CodeDown, 0, 0);
        break;
    case Qt::Key_PageDown:
        nextState(ArrowDown, CodePageDown, 0, 0);
        break;
    case Qt::Key_Left:
        nextState(ArrowLeft, CodeLeft, 0, 0);
        break;
    case Qt::Key_Home:
        nextState(ArrowLeft, CodeHome, 0, 0);
        break;
    case Qt::Key_Right:
        nextState(ArrowRight, CodeRight, 0, 0);
        break;
    case Qt::Key_End:
        nextState(ArrowRight, CodeEnd, 0, 0);
        break;
    case Qt::Key_Escape:
        nextState(stopEditing, 0, 0, 0);
        if (currentState != simplyMoving)
            cancelGesture();
        break;
    case Qt::Key_A:
        if (ctrl)
            nextState(ctrlAPressed, 0, 0, 0);
        break;
    case Qt::Key_Z:
        if (ctrl)
            Undo();
        break;
    case Qt::Key_Y:
        if (ctrl)
            Redo();
        break;
    case Qt::Key_B:
        if (ctrl && idle)
            handleOperation(std::make_shared<TQVTToggleFirstCategoryOperation>(FDataSource, document()));
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TQVTController::selectAll(int, int, int)
{
    if (TQVTTreeGrid* grid = tree())
        grid->selectAll();
    Paint();
}

void TQVTController::MoveFocusedRow(int code, int, int)
{
    TQVTTreeGrid* grid = tree();
    TQVTGanttTable* tab = table();
    if (!grid || !tab || tab->countRows() == 0)
        return;
    const auto shown = [&](int i) {
        const TQVTTreeRow* row = grid->getRow(i);
        const TQVTGanttRow* chartRow = tab->getRow(i);
        return row && !row->FHidden && chartRow && (chartRow->IsVisible() || i < tab->getScrolledLines()) &&
               !chartRow->isCollapsed();
    };
    const int count = tab->countRows();
    const TQVTTreeRow* focused = grid->getFocusedRow();
    const int current = focused ? focused->FIndex : -1;
    const auto step = [&](int from, int direction) {
        for (int i = from + direction; i >= 0 && i < count; i += direction)
            if (shown(i))
                return i;
        return from;
    };
    int target = current;
    switch (code) {
    case CodeUp:
        target = current < 0 ? step(-1, 1) : step(current, -1);
        break;
    case CodeDown:
        target = step(current, 1);
        break;
    case CodePageUp:
        target = step(-1, 1);
        break;
    case CodePageDown:
        target = step(count, -1);
        break;
    case CodeShiftUp:
    case CodeShiftDown: {
        int first = count, last = -1;
        for (int k = 0; k < grid->getSelectedRowsCount(); ++k) {
            first = std::min(first, grid->getSelectedRow(k)->FIndex);
            last = std::max(last, grid->getSelectedRow(k)->FIndex);
        }
        if (last < 0)
            first = last = std::max(current, 0);
        const int extended = code == CodeShiftUp ? step(first, -1) : step(last, 1);
        grid->select(extended, true);
        ScrollInViewZeile(extended);
        Paint();
        return;
    }
    default:
        return;
    }
    if (target < 0 || target == current)
        return;
    int column = -1;
    if (focused)
        for (int c = 0; c < focused->cellsCount(); ++c)
            if (focused->getCell(c) && focused->getCell(c)->FFocused)
                column = c;
    grid->focus(target);
    if (column >= 0)
        grid->FocusCell(target, column);
    ScrollInViewZeile(target);
    if (OnRowFocus)
        OnRowFocus(this);
    Paint();
}

void TQVTController::MoveFocusedCell(int code, int, int)
{
    TQVTTreeGrid* grid = tree();
    const TQVTTreeRow* focused = grid ? grid->getFocusedRow() : nullptr;
    if (!focused)
        return;
    const int row = focused->FIndex;
    if (!grid->FCellFocusing) {
        // Left collapses and Right expands the focused group row, as one undo step each.
        if (TQVTTreeNode* node = grid->findNodeByIndex(row); node && node->hasChildren()) {
            const bool collapse = code == CodeLeft;
            if (auto held = std::dynamic_pointer_cast<TQVTTreeNode>(holdOn(node)); held && node->isCollapsed() != collapse)
                handleOperation(std::make_shared<TQVTNodeCollapseOperation>(FDataSource, held));
        }
        return;
    }
    int column = -1;
    for (int c = 0; c < focused->cellsCount(); ++c)
        if (focused->getCell(c) && focused->getCell(c)->FFocused)
            column = c;
    const int count = grid->colsCount();
    int target = column;
    if (code == CodeLeft)
        target = std::max(0, column - 1);
    else if (code == CodeRight)
        target = std::min(count - 1, column + 1);
    else if (code == CodeHome)
        target = 0;
    else if (code == CodeEnd)
        target = count - 1;
    if (target < 0 || target == column)
        return;
    grid->FocusCell(row, target);
    ScrollInViewColumn(target);
    Paint();
}

} // namespace corvane
