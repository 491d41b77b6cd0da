#pragma once
// The chart control: a QWidget that shows the document of a data source through a view,
// scrolls it, and turns mouse and keyboard input into operations through a transition table.

#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/interaction/qvtGanttView.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/objects/qvtHaloEntity.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/platform/Graphics.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPainter;
class QScrollBar;

namespace corvane {

class TQVTBarConnection;
class TQVTCanvasVC;
class TQVTGanttRow;
class TQVTDataSource;
class TQVTGanttBar;
class TQVTGanttDocument;
class TQVTGanttTable;
class TQVTVisualContext;

/// A picture that cannot be made: too large, or a file that cannot be written.
class EQVTExportError : public Exception {
public:
    using Exception::Exception;
};

/// Mouse events of the control: (sender, button, modifiers, x, y).
using TQVTMouseEvent = std::function<void(QWidget* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;
using TQVTMouseMoveEvent = std::function<void(QWidget* Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;
using TQVTControlNotifyEvent = std::function<void(QWidget* Sender)>;
using TInvokeEditorEvent = std::function<void(TQVTGanttObject* Sender, bool& Allow)>;
using TQVTDragBarEvent = std::function<void(TQVTGanttBar* Bar)>;

/// The bar class a drag on empty grid creates: BarClass<TQVTMilestoneBar>() and so on.
template <class Bar>
BarFactory BarClass()
{
    return [](TDateTime start, TDateTime end, int row) -> std::shared_ptr<TQVTGanttBar> {
        return std::make_shared<Bar>(start, end, row);
    };
}

/// The chart control. It paints only in its paint event: the chart is drawn through the
/// visual context into a buffer image that is kept between paints and drawn again only after
/// Paint() asked for it; outlines are overlays painted over the buffer.
class TQVTController : public QWidget, public TQVTControllerIntf {
public:
    /// An action of the transition table: (x, y, keyState), keyState 1 for Ctrl plus 2 for Shift.
    using Action = void (TQVTController::*)(int x, int y, int keyState);

    explicit TQVTController(QWidget* parent = nullptr);
    ~TQVTController() override;

    /// Binds the control to dataSource (none unbinds it and hides the scroll bars).
    virtual void setDataSource(TQVTDataSource* dataSource);
    TQVTDataSource* DataSource() const { return FDataSource; }
    /// The data source's document, table and tree; none without a data source.
    TQVTGanttDocument* document() const;
    TQVTGanttTable* table() const;
    TQVTTreeGrid* tree() const;
    TQVTGanttView* getView() const { return view.get(); }

    void Notify(mouseEvent event, int x, int y) override { nextState(event, x, y, 0); }
    /// Runs one event through the transition table; an event raised while an action runs is
    /// dropped, and an exception of an action is logged and leaves the control idle.
    void nextState(mouseEvent event, int x, int y, int keyState);
    mouseState getCurrentState() const { return currentState; }
    /// Whether a gesture or an edit is under way.
    bool gestureRunning() const;
    /// The object under the mouse, or none.
    TQVTGanttObject* getPointedObject() const { return pointedObject; }

    /// Asks for the chart to be drawn again at the next paint event.
    void Paint();
    /// Sets the data source's update mode; EndUpdate ends it and brings the rows, the critical
    /// path and the summary bars up to date.
    void BeginUpdate();
    void EndUpdate();
    /// Runs op through the data source's history; answers whether it was performed.
    bool handleOperation(const TQVTOperationPtr& op);
    TDateTime getTime(int x);
    /// Sets the vertical scroll bar to p percent of its range; nothing outside 0..100.
    void SetVerticalScrollerPosition(int p);
    /// Scrolls the rows so that row is on screen.
    void ScrollInViewZeile(int row);
    /// Scrolls the tree so that column col is on screen.
    void ScrollInViewColumn(int col);
    /// One unit of time more or less per column: the calendar's time mode one step finer or
    /// coarser (hours to decades), as an undoable operation. Answers whether it changed.
    bool zoomIn();
    bool zoomOut();

    // Export.
    /// Paints rows firstRow..lastRow for startDate..endDate into bitmap (sized to fit); the
    /// control's scroll position, dates and tree width are as before afterwards. Without a
    /// bitmap nothing is painted. Throws EQVTExportError, and paints nothing, when the picture
    /// would be larger than one picture can be.
    void PaintToBitmap(TBitmap* bitmap, int firstRow, int lastRow, TDateTime startDate, TDateTime endDate);
    /// The same picture saved as a BMP, JPEG (quality 1..100) or PNG file.
    void SaveToBitmap(const std::string& fileName, int firstRow, int lastRow, TDateTime startDate,
                      TDateTime endDate);
    void SaveToJpeg(const std::string& fileName, int firstRow, int lastRow, TDateTime startDate, TDateTime endDate,
                    int quality);
    void SaveToPng(const std::string& fileName, int firstRow, int lastRow, TDateTime startDate, TDateTime endDate);
    /// A vector PDF of the same region, one page, texts kept as text.
    void SaveToPdf(const std::string& fileName, int firstRow, int lastRow, TDateTime startDate, TDateTime endDate);
    /// The largest export. PaintToBitmap, BMP, JPEG and PDF also hold at most MaxPicturePixels
    /// in one picture; PNG is written strip by strip and takes any size up to these.
    static constexpr int MaxExportWidth = 100'000;
    static constexpr int MaxExportHeight = 10'000'000;

    // Published switches and properties.
    bool FAddElements = true;
    bool FDeleteElements = true;
    bool FModifyElements = true;
    bool FExitAfterMouseDownOnGantt = false;
    bool FFocusNextCellOnEnter = false;
    /// The class of bar a drag on empty grid creates; a task bar after construction.
    void setCreatedType(BarFactory createdType);
    const BarFactory& createdType() const { return FCreatedType; }
    /// Focuses cell (col, row) of the task table and opens its editor.
    void EditTreeCell(int col, int row);
    /// Finishes an open editor as leaving it does: its change is recorded.
    void PostActiveEditor();
    /// Opens obj's editor as a double-click on it does; nothing while a gesture or an edit runs.
    void EditObject(TQVTGanttObject* obj);
    /// The history's undo and redo; refused (false) while a gesture or an edit runs.
    bool Undo();
    bool Redo();
    /// The open editor, or none.
    TQVTObjectEditorIntf* getActiveEditor() const { return activeEditor.get(); }
    bool snapToCell() const { return view && view->getSnapToCell(); }
    void setSnapToCell(bool value)
    {
        if (view)
            view->setSnapToCell(value);
    }
    int docScrollerMax() const;
    void setOnSelectedRowsChanged(TQVTSelectedRowsChangedEvent event);
    /// Forwarded to the table and the document.
    void setOnDrawBar(std::function<void(TQVTGanttBar*, bool&)> event);
    void setOnDrawConnection(std::function<void(TQVTBarConnection*, bool&)> event);

    // Events.
    TQVTMouseEvent OnBarMouseDown, OnEmptySpaceMouseDown, OnBarMouseUp, OnConnectionMouseDown, OnConnectionMouseUp,
        OnTreeCellMouseDown;
    TQVTMouseMoveEvent OnBarMouseMove, OnConnectionMouseMove;
    TQVTAfterBarOperationEvent OnBarClick, OnBarDblClick;
    TQVTAfterConnectionOperationEvent OnConnectionClick, OnConnectionDblClick;
    TQVTDragBarEvent OnDragBar;
    TQVTControlNotifyEvent OnObjectStartEditing, OnObjectFinishEditing, OnSplitterMove, OnRowFocus, OnStopDragging;
    TInvokeEditorEvent OnInvokeEditor;
    /// Told after the tree, the time axis or the rows scrolled (the data source's OnViewChanged
    /// is told every scroll too).
    TQVTControlNotifyEvent OnTreeScroll, OnGraphScroll, OnVerticalScroll;
    /// Told the date under the mouse whenever the mouse moves over the chart.
    std::function<void(TDateTime date, bool overChart)> OnMouseDate;

    QScrollBar* docScroller() const { return FDocScroller; }
    QScrollBar* treeScroller() const { return FTreeScroller; }
    QScrollBar* verticalScroller() const { return FVerticalScroller; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    /// Made by the subclass: the view and the drawer picked for hit-testing.
    std::unique_ptr<TQVTGanttView> view;
    TQVTViewType FViewType = vtGanttGraph;

private:
    void initFSA();
    void updateScrollers();
    void docScrollerChanged(int action);
    void treeScrollerChanged(int value);
    void verticalScrollerChanged(int value);
    void renderChart();
    void viewChanged(const TQVTControlNotifyEvent& scrolled);
    /// Ends any gesture: the outline, the provisional connection and the placeholder bar go,
    /// an open undo group closes, and the control is idle again.
    void cancelGesture();
    /// Forgets the objects under the mouse: after a change of the history they may be gone.
    void forgetPointed();
    /// Told by the data source's history: repaints, and lets go of a document that was
    /// replaced or of a data source that is being destroyed.
    void historyChanged(bool gone);
    /// Frees an editor once control has left it (it may be the caller).
    void retireEditor(std::unique_ptr<TQVTObjectEditorIntf> editor);
    TQVTGanttObject* locate(int x, int y) const;
    /// The pixels of the rows' time axis per unit of time.
    int columnWidth() const;
    /// Puts the placeholder bar over [start, start + one unit) into row, or takes it out (row none).
    void placeFakeBar(TQVTGanttRow* row, TDateTime start);
    // Moving a row by its number cell.
    void startRowDrag(int row, int x, int y);
    void dropRowAt(int y);
    void endRowDrag(int y);
    void paintRowDropMarker(QPainter& painter) const;
    void scrollWithOutline(int x);
    void shiftGesture(int pixels);
    /// Records op, which is already performed, together with the moves that resolve the
    /// distance violations it caused around bar.
    void resolveDistances(TQVTGanttBar* bar);
    void highlight(TQVTGanttObject* obj, bool on);
    void showBarHint(TQVTGanttBar* bar, int x, int y);
    void hideHint();
    void paintDateHint(QPainter& painter);
    void openEditor(TQVTGanttObject* obj);
    int rowOf(TQVTGanttObject* obj) const;
    /// The size of an export.
    struct ExportPlan {
        int width = 0;
        int height = 0;
    };
    /// Draws the band of the picture from line top, visibleHeight lines high, onto canvas.
    using ExportDraw = std::function<void(TCanvas& canvas, int top, int visibleHeight)>;
    /// Measures the region and puts the chart into the exporting state (the dates, the tree as
    /// wide as its columns), lets paint draw it, and puts everything back, also when paint
    /// throws. Throws EQVTExportError for a region beyond MaxExportWidth x MaxExportHeight.
    void exportRegion(int firstRow, int lastRow, TDateTime startDate, TDateTime endDate,
                      const std::function<void(const ExportPlan& plan, const ExportDraw& draw)>& paint);
    void saveExport(TGraphic& graphic, const std::string& fileName, int firstRow, int lastRow, TDateTime startDate,
                    TDateTime endDate);

    // Actions.
    void noAction(int, int, int) {}
    void setSimplyMoving(int, int, int) { currentState = simplyMoving; }
    void startHighLighting(int x, int y, int keyState);
    void stopHighLighting(int x, int y, int keyState);
    void startDragging(int x, int y, int keyState);
    void drag(int x, int y, int keyState);
    void stopDragging(int x, int y, int keyState);
    void deletePointed(int x, int y, int keyState);
    void selectAll(int x, int y, int keyState);
    void MoveFocusedRow(int x, int y, int keyState);
    void MoveFocusedCell(int x, int y, int keyState);
    void invokeEditor(int x, int y, int keyState);
    void FinishEditing(int x, int y, int keyState);
    void CycleToNextTreeCell(int x, int y, int keyState);
    void setResizingCursor(int x, int y, int keyState);
    void startResizing(int x, int y, int keyState);
    void doResizing(int x, int y, int keyState);
    void endResizing(int x, int y, int keyState);
    void startMakingConnection(int x, int y, int keyState);
    void moveConnectionTarget(int x, int y, int keyState);
    void linkToObject(int x, int y, int keyState);
    void disconnectLink(int x, int y, int keyState);
    void endMakingConnection(int x, int y, int keyState);
    void startTrackingMouse(int x, int y, int keyState);
    void trackMouse(int x, int y, int keyState);
    void endTrackingMouse(int x, int y, int keyState);
    void startNewOutline(int x, int y, int keyState);
    void resizeNewOutline(int x, int y, int keyState);
    void insertNewObject(int x, int y, int keyState);

    TQVTDataSource* FDataSource = nullptr;
    int historyObserver = 0;
    TQVTGanttDocument* shownDocument = nullptr;
    std::unique_ptr<TBitmap> buffer;
    std::unique_ptr<TQVTCanvasVC> visualContext;
    bool chartDirty = true;
    bool _FPaintMutex = false;
    bool ExecutingAction = false;
    QScrollBar* FDocScroller;
    QScrollBar* FTreeScroller;
    QScrollBar* FVerticalScroller;
    int docScrollerLastPosition = 0;
    int treeScrollerLastPosition = 0;
    bool updatingScrollers = false;
    TQVTSelectedRowsChangedEvent FSetOnSelectedRowsChanged;

    mouseState currentState = simplyMoving;
    std::array<std::array<Action, MouseEventCount>, MouseStateCount> FSA{};
    // Halo entities are shared so that one held across a paint (which makes them afresh)
    // stays alive; bars and connections belong to the document and are looked up again after
    // every change of the history.
    std::shared_ptr<TQVTGanttObject> dragged;
    std::shared_ptr<TQVTGanttObject> pointed;
    TQVTGanttObject* pointedObject = nullptr;
    QPoint firstDraggingPos;
    QPoint lastDraggingPos;
    bool draggingMoved = false;
    // A row dragged by its number cell, and where it would go: before the row whose top is
    // marked at rowDropY.
    int rowDragged = -1;
    int rowDropY = -1;
    TRect pointedObjectRect{0, 0, 0, 0};
    TRect firstOutline{0, 0, 0, 0};
    bool resizingSideRight = true;
    // Editing.
    std::shared_ptr<TQVTGanttObject> editedObject;
    std::unique_ptr<TQVTObjectEditorIntf> activeEditor;
    // Editors that finished are freed later: the one that asked to finish may still be running.
    std::vector<std::unique_ptr<TQVTObjectEditorIntf>> retiredEditors;
    // Drawing a connection: the provisional connection is in the document's list (outside the
    // history) only while the gesture runs.
    std::shared_ptr<TQVTBarConnection> newConnection;
    TQVTColRow lastConnColRow;
    // Creating a bar.
    BarFactory FCreatedType;
    std::shared_ptr<TQVTGanttBar> createdPrototype;
    std::shared_ptr<TQVTGanttBar> fakeBar;
    int mouseInitialX = 0;
    int mouseInitialY = 0;
    // The date hint of the pointed bar, painted over the chart.
    struct DateHint {
        std::string text;
        QPoint at;
    };
    std::optional<DateHint> dateHint;
};

} // namespace corvane
