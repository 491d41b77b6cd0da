// The Gantt chart control as a real widget on the offscreen platform: painting, scroll bars,
// wheel and keys, resizing, zooming and export files.
#include "corvane/widgets/qvtGanttGraph.h"

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/framework/objects/qvtHaloEntity.h"
#include "corvane/platform/DateUtils.h"

#include "support/TestSupport.h"

#include <QImage>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>

using namespace corvane;
using namespace corvane::test;

namespace {

const TDateTime Monday = EncodeDate(2026, 1, 5);

class GanttGraphTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ds.RowAppend());
        ASSERT_TRUE(ds.RowChildInsert(0));
        ASSERT_TRUE(ds.RowChildInsert(0));
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(ds.RowAppend());
        ds.root()->getCalendar()->SetTimeMode(tmDay);
        ds.root()->setStartDate(Monday);
        bar = std::make_shared<TQVTTaskBar>(Monday + 1, Monday + 3, 3);
        ASSERT_TRUE(ds.BarAdd(bar, 3));
        ds.clearUndoRedoStack();
        graph.resize(900, 400);
        graph.setDataSource(&ds);
        graph.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
    }
    void TearDown() override { graph.setDataSource(nullptr); }

    QImage shown() { return graph.grab().toImage(); }
    int focusedRow() const
    {
        const TQVTTreeRow* row = ds.GetTree()->getFocusedRow();
        return row ? row->FIndex : -1;
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(&graph, Qt::Key(k), mods); }

    ScratchDir scratch;
    TQVTDataSource ds;
    TQVTGanttGraph graph;
    std::shared_ptr<TQVTTaskBar> bar;
};

TEST(GanttGraphAlone, WithoutADataSourceSaysSoAndLetsGoOfOneDestroyedFirst)
{
    TQVTGanttGraph graph;
    graph.resize(300, 120);
    graph.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
    const QImage image = graph.grab().toImage();
    EXPECT_FALSE(graph.docScroller()->isVisible());
    // The message's text darkens some pixels in the middle.
    int dark = 0;
    for (int x = 60; x < 240; ++x)
        for (int y = 50; y < 70; ++y)
            dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
    EXPECT_GT(dark, 20);

    // Commands run from code show at once; a data source destroyed first is let go of.
    auto source = std::make_unique<TQVTDataSource>();
    graph.resize(600, 300);
    graph.setDataSource(source.get());
    const QImage before = graph.grab().toImage();
    ASSERT_TRUE(source->RowAppend());
    ASSERT_TRUE(source->RowAppend());
    EXPECT_NE(graph.grab().toImage(), before) << "the new rows show without a call to Paint";
    source->GetUndoRedoStack().undo();
    source->GetUndoRedoStack().undo();
    EXPECT_EQ(graph.grab().toImage(), before);
    source.reset();
    EXPECT_EQ(graph.DataSource(), nullptr);
    EXPECT_FALSE(graph.docScroller()->isVisible());
    graph.grab();
}

TEST_F(GanttGraphTest, PaintsTheBarsWhereTheModelPutsThemAndScrollsBothWays)
{
    const QImage image = shown();
    const TRect r = bar->getRect(ds.root()->getStartDate());
    ASSERT_GT(r.Right, r.Left);
    const QRgb inside = image.pixel((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    const QRgb beside = image.pixel(r.Right + 2 * ds.GetTable()->GetColumnWidth(), (r.Top + r.Bottom) / 2);
    EXPECT_NE(inside, beside);
    // The chart fills the widget up to its scroll bars, which it lays out itself.
    const int extent = graph.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_EQ(graph.verticalScroller()->geometry().left(), 900 - extent);
    EXPECT_EQ(ds.GetTable()->FWidth, 900 - ds.root()->getTreeWidth() - extent);
    graph.resize(1000, 400);
    QApplication::processEvents();
    EXPECT_EQ(ds.GetTable()->FWidth, 1000 - ds.root()->getTreeWidth() - extent);

    // The time axis scrolls without end and tells the application; wheel and bar scroll the rows.
    int told = 0;
    ds.OnViewChanged = [&](void*) { ++told; };
    graph.docScroller()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_DOUBLE_EQ(ds.root()->getStartDate(), Monday + 1);
    graph.docScroller()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(graph.docScroller()->value(), graph.docScrollerMax() - 5);
    EXPECT_GT(ds.root()->getStartDate(), Monday + 50);
    EXPECT_EQ(told, 2);

    QWheelEvent down(QPointF(100, 100), graph.mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -240),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&graph, &down);
    EXPECT_EQ(ds.GetTable()->getScrolledLines(), 2);
    graph.SetVerticalScrollerPosition(101);
    EXPECT_EQ(ds.GetTable()->getScrolledLines(), 2);
    graph.SetVerticalScrollerPosition(0);
    EXPECT_EQ(ds.GetTable()->getScrolledLines(), 0);
}

TEST_F(GanttGraphTest, KeysMoveTheFocusSelectCollapseAndUndoAndZoomingIsUndoable)
{
    key(Qt::Key_Down);
    EXPECT_EQ(focusedRow(), 0);
    key(Qt::Key_Down);
    EXPECT_EQ(focusedRow(), 1);
    key(Qt::Key_PageDown);
    EXPECT_EQ(focusedRow(), 8);
    key(Qt::Key_PageUp);
    EXPECT_EQ(focusedRow(), 0);

    // Left collapses the focused group, Right expands it; each is one undo step.
    key(Qt::Key_Left);
    EXPECT_FALSE(ds.GetTable()->getRow(1)->IsVisible());
    key(Qt::Key_Down);
    EXPECT_EQ(focusedRow(), 3);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(ds.GetTable()->getRow(1)->IsVisible());
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_FALSE(ds.GetTable()->getRow(1)->IsVisible());
    key(Qt::Key_Z, Qt::ControlModifier);

    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(ds.GetTree()->getSelectedRowsCount(), 9);

    TQVTDateCategory* weekends = ds.root()->getCalendar()->getDateCategory(0);
    key(Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(weekends->getWorking());
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(weekends->getWorking());

    EXPECT_TRUE(graph.zoomOut());
    EXPECT_EQ(ds.root()->getCalendar()->getTimeMode(), tmWeek);
    EXPECT_TRUE(graph.zoomIn());
    EXPECT_TRUE(graph.zoomIn());
    EXPECT_EQ(ds.root()->getCalendar()->getTimeMode(), tmHour);
    EXPECT_FALSE(graph.zoomIn());
    for (int i = 0; i < 3; ++i)
        ds.GetUndoRedoStack().undo();
    EXPECT_EQ(ds.root()->getCalendar()->getTimeMode(), tmDay);
    EXPECT_DOUBLE_EQ(ds.root()->getStartDate(), Monday);
}

TEST_F(GanttGraphTest, ExportedFilesLoadBackAsPicturesOfTheRegionTallOnesToo)
{
    ds.GetTable()->SetScrolledLines(2);
    TBitmap expected;
    graph.PaintToBitmap(&expected, 1, 4, Monday, Monday + 10);
    ASSERT_GT(expected.Width(), 0);
    EXPECT_EQ(ds.GetTable()->getScrolledLines(), 2);
    EXPECT_DOUBLE_EQ(ds.root()->getStartDate(), Monday);
    int height = ds.root()->GetTableStartY();
    for (int i = 1; i <= 4; ++i)
        height += ds.GetTable()->getRowHeight(i);
    EXPECT_EQ(expected.Height(), height);

    graph.SaveToPng(scratch.file("c.png"), 1, 4, Monday, Monday + 10);
    graph.SaveToJpeg(scratch.file("c.jpg"), 1, 4, Monday, Monday + 10, 80);
    graph.SaveToBitmap(scratch.file("c.bmp"), 1, 4, Monday, Monday + 10);
    for (const char* name : {"c.png", "c.jpg", "c.bmp"}) {
        const QImage image(QString::fromStdString(scratch.file(name)));
        EXPECT_EQ(image.width(), expected.Width()) << name;
        EXPECT_EQ(image.height(), expected.Height()) << name;
    }
    const QImage png(QString::fromStdString(scratch.file("c.png")));
    const QRgb a = png.pixel(expected.Width() - 3, expected.Height() - 3);
    EXPECT_EQ(qRed(a) | qGreen(a) << 8 | qBlue(a) << 16, static_cast<int>(expected.Pixel(expected.Width() - 3, expected.Height() - 3)));

    graph.SaveToPdf(scratch.file("c.pdf"), 1, 4, Monday, Monday + 10);
    const std::string pdf = readFile(scratch.file("c.pdf"));
    EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
    EXPECT_NE(pdf.find("/Font"), std::string::npos);

    // Months in a day chart make a picture too large to hold: a clear error, nothing changed.
    EXPECT_THROW(graph.SaveToPng(scratch.file("huge.png"), 0, 7, Monday, Monday + 10'000'000), EQVTExportError);
    EXPECT_FALSE(std::filesystem::exists(scratch.file("huge.png")));
    EXPECT_EQ(ds.GetTable()->getScrolledLines(), 2);
    EXPECT_DOUBLE_EQ(ds.root()->getStartDate(), Monday);
    graph.PaintToBitmap(nullptr, 0, 7, Monday, Monday + 10);
    EXPECT_EQ(ds.GetTable()->getScrolledLines(), 2);
    // A file that cannot be written is a clear error too.
    EXPECT_THROW(graph.SaveToPng(scratch.file("missing-folder/c.png"), 1, 4, Monday, Monday + 10), EQVTExportError);
    EXPECT_THROW(graph.SaveToPdf(scratch.file("missing-folder/c.pdf"), 1, 4, Monday, Monday + 10), EQVTExportError);
    EXPECT_EQ(ds.GetTable()->getScrolledLines(), 2);

    // A tall PNG is the whole picture, written strip by strip.
    for (int i = 0; i < 120; ++i)
        ASSERT_TRUE(ds.RowAppend());
    const int last = ds.GetTable()->countRows() - 1;
    TBitmap whole;
    graph.PaintToBitmap(&whole, 0, last, Monday, Monday + 6);
    ASSERT_GT(whole.Height(), 2 * 2048);
    graph.SaveToPng(scratch.file("tall.png"), 0, last, Monday, Monday + 6);
    const QImage tall = QImage(QString::fromStdString(scratch.file("tall.png"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(tall.width(), whole.Width());
    ASSERT_EQ(tall.height(), whole.Height());
    int differing = 0;
    for (int y = 0; y < tall.height(); ++y)
        for (int x = 0; x < tall.width(); ++x) {
            const QRgb p = tall.pixel(x, y);
            const bool differs = (static_cast<TColor>(qRed(p)) | qGreen(p) << 8 | qBlue(p) << 16) != whole.Pixel(x, y);
            if (differs && differing < 5)
                ADD_FAILURE() << x << "," << y;
            differing += differs;
        }
    EXPECT_EQ(differing, 0);
}

TEST_F(GanttGraphTest, DraggingTheTreesEdgeIsOneUndoStepAndEscapeOrAFailingHandlerLeaveNothingBehind)
{
    const int width = ds.root()->getTreeWidth();
    const int y = ds.root()->GetTableStartY() + 5;
    int grip = -1;
    for (int x = width - 6; x <= width + 6 && grip < 0; ++x)
        if (auto* halo = dynamic_cast<TQVTHaloEntity*>(graph.getView()->locateDraggingObject(x, y));
            halo && halo->IsTreeGridResizer())
            grip = x;
    ASSERT_GE(grip, 0) << "no resizer at the tree's edge";
    int splitterMoves = 0;
    graph.OnSplitterMove = [&](QWidget*) { ++splitterMoves; };

    QTest::mouseMove(&graph, QPoint(grip, y));
    QTest::mousePress(&graph, Qt::LeftButton, Qt::NoModifier, QPoint(grip, y));
    EXPECT_EQ(graph.getCurrentState(), draggingObject);
    QTest::mouseMove(&graph, QPoint(grip + 40, y + 30));
    QTest::mouseRelease(&graph, Qt::LeftButton, Qt::NoModifier, QPoint(grip + 40, y + 30));
    EXPECT_EQ(graph.getCurrentState(), simplyMoving);
    EXPECT_EQ(ds.root()->getTreeWidth(), width + 40);
    EXPECT_EQ(splitterMoves, 1);
    EXPECT_EQ(ds.GetUndoRedoStack().GetUndoOperationCount(), 1);
    ds.GetUndoRedoStack().undo();
    EXPECT_EQ(ds.root()->getTreeWidth(), width);

    // Escape during a drag leaves nothing behind.
    graph.grab();
    QTest::mousePress(&graph, Qt::LeftButton, Qt::NoModifier, QPoint(width - 1, y));
    ASSERT_EQ(graph.getCurrentState(), draggingObject);
    QTest::mouseMove(&graph, QPoint(width + 30, y));
    QTest::keyClick(&graph, Qt::Key_Escape);
    EXPECT_EQ(graph.getCurrentState(), simplyMoving);
    EXPECT_FALSE(graph.getView()->outlineShown());
    QTest::mouseRelease(&graph, Qt::LeftButton, Qt::NoModifier, QPoint(width + 30, y));
    EXPECT_EQ(ds.root()->getTreeWidth(), width);
    EXPECT_EQ(ds.GetUndoRedoStack().GetUndoOperationCount(), 0);

    // An exception inside the application's handler is only logged; the control is idle again.
    Capture capture;
    graph.OnStopDragging = [](QWidget*) { throw std::runtime_error("the application failed"); };
    QTest::mousePress(&graph, Qt::LeftButton, Qt::NoModifier, QPoint(width - 1, y));
    ASSERT_EQ(graph.getCurrentState(), draggingObject);
    QTest::mouseMove(&graph, QPoint(width + 20, y));
    QTest::mouseRelease(&graph, Qt::LeftButton, Qt::NoModifier, QPoint(width + 20, y));
    EXPECT_EQ(graph.getCurrentState(), simplyMoving);
    EXPECT_FALSE(graph.getView()->outlineShown());
    EXPECT_EQ(std::count_if(capture.log.begin(), capture.log.end(),
                            [](const std::string& line) {
                                return line.find("An exception occured: the application failed") != std::string::npos;
                            }),
              1);
    const int focused = focusedRow();
    QTest::keyClick(&graph, Qt::Key_Down);
    EXPECT_EQ(focusedRow(), focused + 1) << "the control goes on working";
}

} // namespace
