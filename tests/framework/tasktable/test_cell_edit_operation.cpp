// Editing one tree cell as an undoable operation, the application's veto, and in-place editors.

#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/objects/qvtObjectEditor.h"
#include "corvane/framework/rendering/qvtTextArranger.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/platform/DateUtils.h"

#include "support/EveryCellKindDocument.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

class CellEditOperation : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string path = dir.file("plan.ini");
        writeFile(path, everyCellKindDocument());
        source.setStorage("file://" + path);
        ASSERT_NE(source.GetTree(), nullptr);
        ASSERT_EQ(source.GetTree()->rowsCount(), 2) << "the document loaded";
        ASSERT_TRUE(capture.messages.empty());
    }

    TQVTTreeCell& cell(int row, int column) { return *source.GetTree()->getCell(row, column); }
    std::shared_ptr<TQVTTreeCell> held(int row, int column)
    {
        return std::static_pointer_cast<TQVTTreeCell>(cell(row, column).shared_from_this());
    }
    TQVTOperationPtr editOf(int row, int column, TQVTTreeCellValue value)
    {
        return std::make_shared<TQVTCellEditOperation>(&source, held(row, column), std::move(value));
    }
    std::string saved() { return save(source); }

    ScratchDir dir;
    Capture capture;
    TQVTDataSource source;
    DocumentSaver save;
};

TEST_F(CellEditOperation, EveryKindTakesItsNewValueAndUndoGivesTheFileBackByteForByte)
{
    const std::string original = saved();
    auto& due = dynamic_cast<TQVTTreeDateTimeCell&>(cell(0, Due));
    const std::vector<std::pair<Column, TQVTTreeCellValue>> edits = {
        {Name, {"Concept and review", 0}},
        {Notes, {"first line\nsecond line", 0}},
        {Due, due.valueOf(EncodeDateTime(2024, 3, 5, 18, 0, 0, 0))},
        {Effort, TQVTTreeSpinCell::valueOf(40)},
        {Cost, {"99,95", 99.95}},
        {Status, {"Done", 0}},
        {Signal, {"", 0}},
        {Link, {"specs/review.pdf", 0}},
    };
    for (const auto& [column, value] : edits)
        ASSERT_TRUE(source.doOperation(editOf(0, column, value))) << column;
    EXPECT_EQ(source.GetUndoRedoStack().GetUndoOperationCount(), static_cast<int>(edits.size()));
    EXPECT_EQ(due.FText, "05.03.2024") << "the column shows dates only";
    EXPECT_EQ(dynamic_cast<TQVTTreeSpinCell&>(cell(0, Effort)).FNumber, 40);
    EXPECT_EQ(dynamic_cast<TQVTTreeCurrencyCell&>(cell(0, Cost)).FValue, 99.95);

    const std::string edited = saved();
    for (const char* line : {"text=Concept and review\n", "date=45356.75\n", "number=40\n", "value=99.95\n",
                             "text=99,95\n", "text=Done\n", "text=specs/review.pdf\n"})
        EXPECT_NE(edited.find(line), std::string::npos) << line;
    EXPECT_NE(edited.find("text=first line second line\n"), std::string::npos) << "a file keeps no line breaks";
    EXPECT_EQ(cell(0, Notes).FText, "first line\nsecond line") << "the document does";

    while (source.GetUndoRedoStack().undo()) {
    }
    EXPECT_EQ(saved(), original);
    EXPECT_EQ(due.FText, "01.03.2024");
    EXPECT_EQ(cell(0, Cost).FText, "1.250,50 EUR") << "the text is put back as it was, not derived again";

    while (source.GetUndoRedoStack().redo()) {
    }
    EXPECT_EQ(saved(), edited);
}

TEST_F(CellEditOperation, OnlyStoredValuesAreEditedEachOnceAtATimeAndRowsOfAutomaticHeightFollow)
{
    auto automatic = editOf(0, Number, {"9.", 0});
    EXPECT_FALSE(automatic->perform()) << "an automatic cell is computed";
    EXPECT_EQ(cell(0, Number).FText, "");
    EXPECT_FALSE(std::make_shared<TQVTCellEditOperation>(&source, nullptr, TQVTTreeCellValue{})->perform());

    auto op = editOf(0, Name, {"Once", 0});
    EXPECT_FALSE(op->undo()) << "nothing to undo before it was performed";
    ASSERT_TRUE(op->perform());
    EXPECT_FALSE(op->perform());
    EXPECT_EQ(dynamic_cast<TQVTCellEditOperation&>(*op).before().text, "Concept");
    ASSERT_TRUE(op->undo());
    EXPECT_FALSE(op->undo());
    EXPECT_EQ(cell(0, Name).FText, "Concept");

    // Values beyond what a kind holds are kept within it.
    auto& spin = dynamic_cast<TQVTTreeSpinCell&>(cell(1, Effort));
    spin.setValue({"huge", 1e20});
    EXPECT_EQ(spin.FNumber, std::numeric_limits<int>::max());
    auto& money = dynamic_cast<TQVTTreeCurrencyCell&>(cell(1, Cost));
    money.setValue({"", -1e300});
    EXPECT_EQ(money.FValue, -TQVTTreeCurrencyCell::MaxValue);
    auto& date = dynamic_cast<TQVTTreeDateTimeCell&>(cell(1, Due));
    date.setValue({"", std::numeric_limits<double>::quiet_NaN()});
    EXPECT_EQ(date.FDate, 0);

    // A row of automatic height follows an edit and gets its height back on undo.
    TQVTTextSettings settings;
    TQVTTreeRow& row = *source.GetTree()->getRow(0);
    row.Fsettings->FAutoHeight = true;
    for (const auto& c : row.FCells)
        c->SetTextArranger(std::make_unique<TQVTTextArranger>(&settings));
    TQVTGanttTable& table = *source.GetTable();
    table.setRowHeight(0, 33); // set by hand, not fitted
    const std::string original = saved();

    ASSERT_TRUE(source.doOperation(editOf(0, Notes, {std::string(40, 'x') + " " + std::string(40, 'y'), 0})));
    const int wrapped = table.getRowHeight(0);
    EXPECT_GT(wrapped, 33) << "fitted to the wrapped text";
    ASSERT_TRUE(source.GetUndoRedoStack().undo());
    EXPECT_EQ(table.getRowHeight(0), 33);
    EXPECT_EQ(saved(), original);
    ASSERT_TRUE(source.GetUndoRedoStack().redo());
    EXPECT_EQ(table.getRowHeight(0), wrapped);
    for (const auto& c : row.FCells)
        c->SetTextArranger(nullptr);
}

// Stands for the widgets' editors: tells which cell it was made for.
class MarkedEditor : public TQVTDummyEditor {
public:
    explicit MarkedEditor(const TQVTTreeCell* cell) : cell(cell) {}
    const TQVTTreeCell* cell;
};

TEST_F(CellEditOperation, TheApplicationCanVetoAnEditIsToldOfEveryChangeAndInstallsTheEditors)
{
    std::vector<std::string> asked;
    std::vector<TQVTTreeCell*> told;
    source.OnBeforeCellEdit = [&](TQVTTreeCell*, const std::string& text, bool& cancel) {
        asked.push_back(text);
        cancel = text == "forbidden";
    };
    source.OnAfterCellEdit = [&](TQVTTreeCell* changed) { told.push_back(changed); };
    const std::string original = saved();

    EXPECT_FALSE(source.doOperation(editOf(1, Name, {"forbidden", 0})));
    EXPECT_EQ(cell(1, Name).FText, "Build");
    EXPECT_EQ(source.GetUndoRedoStack().GetUndoOperationCount(), 0) << "nothing recorded";
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(saved(), original);

    ASSERT_TRUE(source.doOperation(editOf(1, Effort, TQVTTreeSpinCell::valueOf(7))));
    ASSERT_TRUE(source.GetUndoRedoStack().undo());
    ASSERT_TRUE(source.GetUndoRedoStack().redo());
    EXPECT_EQ(asked, (std::vector<std::string>{"forbidden", "7", "7"})) << "undo is not asked";
    EXPECT_EQ(told, (std::vector<TQVTTreeCell*>{&cell(1, Effort), &cell(1, Effort), &cell(1, Effort)}));

    // A redo that the application now refuses leaves the cell as undone.
    ASSERT_TRUE(source.GetUndoRedoStack().undo());
    source.OnBeforeCellEdit = [](TQVTTreeCell*, const std::string&, bool& cancel) { cancel = true; };
    EXPECT_FALSE(source.GetUndoRedoStack().redo());
    EXPECT_EQ(dynamic_cast<TQVTTreeSpinCell&>(cell(1, Effort)).FNumber, -3);
    EXPECT_EQ(saved(), original);

    const auto editorOf = [this](int column) { return cell(0, column).CreateEditor(); };
    EXPECT_NE(dynamic_cast<TQVTDummyEditor*>(editorOf(Name).get()), nullptr) << "nothing installed";

    TQVTTreeCell::EditorFactory = [](const TQVTTreeCell& c) { return std::make_unique<MarkedEditor>(&c); };
    for (int column = Name; column < ColumnCount; ++column) {
        const auto editor = editorOf(column);
        const auto* marked = dynamic_cast<MarkedEditor*>(editor.get());
        ASSERT_NE(editor, nullptr);
        if (column == Number) {
            EXPECT_EQ(marked, nullptr) << "an automatic cell is not edited";
            EXPECT_EQ(editor->edit(&cell(0, column)), nullptr);
        } else {
            ASSERT_NE(marked, nullptr) << column;
            EXPECT_EQ(marked->cell, &cell(0, column));
        }
    }
    cell(0, Status).FDataType->FReadOnly = true;
    EXPECT_EQ(dynamic_cast<MarkedEditor*>(editorOf(Status).get()), nullptr) << "a read-only column";
    EXPECT_EQ(dynamic_cast<MarkedEditor*>(TQVTTreeCell().CreateEditor().get()), nullptr) << "a plain cell";

    TQVTTreeCell::EditorFactory = [](const TQVTTreeCell&) { return nullptr; };
    EXPECT_NE(dynamic_cast<TQVTDummyEditor*>(editorOf(Name).get()), nullptr) << "a factory that makes none";
    TQVTTreeCell::EditorFactory = nullptr;
}

} // namespace
