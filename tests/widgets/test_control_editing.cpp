// Editing through the real Gantt control: in-place cell editors and the bar property dialog.
#include "corvane/widgets/qvtGanttGraph.h"

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/objects/qvtObjectEditor.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/widgets/qvtObjectEditorDialog.h"

#include "support/EveryCellKindDocument.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

using namespace corvane;
using namespace corvane::test;

namespace {

class ControlEditingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string file = scratch.file("cells.ini");
        writeFile(file, everyCellKindDocument());
        ds.setStorage("file://" + file);
        ASSERT_EQ(ds.GetTree()->colsCount(), ColumnCount);
        // Wide enough to show every column.
        ds.GetTree()->setWidth(ColumnCount * 80 + 40);
        graph.resize(1300, 300);
        graph.setDataSource(&ds);
        graph.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
        graph.grab();
        original = saved();
    }
    void TearDown() override { graph.setDataSource(nullptr); }

    std::string saved() { return save(ds); }
    TQVTTreeCell* cell(int row, int column) { return ds.GetTree()->getRow(row)->getCell(column); }
    // The middle of the points of the task table where the control finds that cell.
    std::optional<QPoint> pointOf(TQVTTreeCell* target)
    {
        graph.grab();
        QPoint sum;
        int found = 0;
        for (int y = 0; y < graph.height() - 20; y += 2)
            for (int x = 0; x < ds.root()->getTreeWidth(); x += 2)
                if (graph.getView()->locateDraggingObject(x, y) == target) {
                    sum += QPoint(x, y);
                    ++found;
                }
        if (found == 0)
            return std::nullopt;
        return sum / found;
    }
    void press(QPoint at)
    {
        QTest::mouseMove(&graph, at);
        QTest::mousePress(&graph, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(&graph, Qt::LeftButton, Qt::NoModifier, at);
    }
    // The line edit the open editor put over the cell.
    QLineEdit* editField()
    {
        for (QLineEdit* edit : graph.findChildren<QLineEdit*>())
            if (edit->isVisible())
                return edit;
        return nullptr;
    }
    int undoCount() { return ds.GetUndoRedoStack().GetUndoOperationCount(); }

    ScratchDir scratch;
    TQVTDataSource ds;
    TQVTGanttGraph graph;
    std::string original;
    DocumentSaver save;
};

TEST_F(ControlEditingTest, PressesAndKeysOpenCommitAndCancelCellEditsOneUndoStepEach)
{
    const auto at = pointOf(cell(0, Name));
    ASSERT_TRUE(at);
    press(*at);
    ASSERT_EQ(graph.getCurrentState(), editingObject);
    QLineEdit* field = editField();
    ASSERT_NE(field, nullptr);
    field->selectAll();
    QTest::keyClicks(field, "Design");
    QTest::keyClick(field, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(graph.getCurrentState(), simplyMoving);
    EXPECT_EQ(cell(0, Name)->FText, "Design");
    EXPECT_EQ(undoCount(), 1);
    ASSERT_TRUE(graph.Undo());
    EXPECT_EQ(cell(0, Name)->FText, "Concept");
    EXPECT_TRUE(saved() == original) << "the saved file differs";

    const auto number = pointOf(cell(0, Number));
    ASSERT_TRUE(number);
    press(*number);
    QApplication::processEvents();
    EXPECT_NE(graph.getCurrentState(), editingObject);
    EXPECT_EQ(undoCount(), 0);
    EXPECT_TRUE(saved() == original) << "the saved file differs";

    // Escape cancels, a press elsewhere commits.
    const auto second = pointOf(cell(1, Name));
    ASSERT_TRUE(second);
    press(*second);
    ASSERT_NE(editField(), nullptr);
    QTest::keyClicks(editField(), " phase");
    QTest::keyClick(editField(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(graph.getCurrentState(), simplyMoving);
    EXPECT_EQ(cell(1, Name)->FText, "Build");
    EXPECT_EQ(undoCount(), 0);

    press(*second);
    ASSERT_NE(editField(), nullptr);
    editField()->selectAll();
    QTest::keyClicks(editField(), "Ship");
    const QPoint chart(ds.root()->getTreeWidth() + 100, second->y());
    press(chart);
    QApplication::processEvents();
    EXPECT_EQ(cell(1, Name)->FText, "Ship");
    EXPECT_EQ(undoCount(), 1);
    EXPECT_NE(graph.getCurrentState(), editingObject);

    // Enter on a focused cell starts editing, and undo waits for the edit.
    ds.GetTree()->focus(0);
    ds.GetTree()->FocusCell(0, Name);
    graph.setFocus();
    QTest::keyClick(&graph, Qt::Key_Return);
    ASSERT_EQ(graph.getCurrentState(), editingObject);
    EXPECT_FALSE(graph.Undo()) << "no undo while an edit is open";
    field = editField();
    ASSERT_NE(field, nullptr);
    field->selectAll();
    QTest::keyClicks(field, "Draft");
    QTest::keyClick(field, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(cell(0, Name)->FText, "Draft");
}

TEST(ControlPropertyDialog, ADoubleClickOnABarOpensTheRegisteredDialogAndItsEditIsOneUndoStep)
{
    TQVTDataSource ds;
    ASSERT_TRUE(ds.RowAppend());
    ds.root()->getCalendar()->SetTimeMode(tmDay);
    const TDateTime start = ds.root()->getStartDate();
    auto bar = std::make_shared<TQVTTaskBar>(start + 2, start + 4, 1);
    ASSERT_TRUE(ds.BarAdd(bar, 1));
    ds.clearUndoRedoStack();
    EditorsRegistry().RegisterEditor<TQVTTaskBar, TQVTGanttObjectEditor>();
    TQVTGanttGraph graph;
    graph.resize(900, 300);
    graph.setDataSource(&ds);
    graph.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
    graph.grab();
    DocumentSaver save;
    const std::string before = save(ds);
    int shown = 0;
    TQVTObjectEditorForm::ModalRunner = [&](TQVTObjectEditorForm& form) {
        ++shown;
        auto* progress = form.findChild<QWidget*>(QStringLiteral("Progress"));
        auto* field = progress ? (qobject_cast<QLineEdit*>(progress) ? qobject_cast<QLineEdit*>(progress)
                                                                     : progress->findChild<QLineEdit*>())
                               : nullptr;
        EXPECT_NE(field, nullptr);
        if (field)
            field->setText(QStringLiteral("40"));
        form.btnOK->click();
        return form.result();
    };
    const TRect r = bar->getDrawer(vtGanttGraph)->getRect();
    const QPoint middle((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    QTest::mouseMove(&graph, middle);
    QTest::mouseDClick(&graph, Qt::LeftButton, Qt::NoModifier, middle);
    TQVTObjectEditorForm::ModalRunner = nullptr;
    EditorsRegistry().UnregisterEditor(typeid(TQVTTaskBar));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(bar->FProgress, 40);
    EXPECT_EQ(ds.GetUndoRedoStack().GetUndoOperationCount(), 1);
    ASSERT_TRUE(graph.Undo());
    EXPECT_EQ(bar->FProgress, 0);
    EXPECT_TRUE(save(ds) == before) << "the saved file differs";
}

} // namespace
