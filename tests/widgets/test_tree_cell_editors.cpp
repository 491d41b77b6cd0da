// The in-place editors of tree cells and the text bar's memo, driven by keys and the mouse.

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeDrawers.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/widgets/qvtSpinEdit.h"
#include "corvane/widgets/qvtTextBarMemo.h"
#include "corvane/widgets/qvtTreeCellEditors.h"

#include "ControllerDouble.h"
#include "support/EveryCellKindDocument.h"
#include "support/TestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

const std::vector<Told> Committed = {{stopEditing, 0, 0}, {treeCellExit, 0, 0}};
const std::vector<Told> Stopped = {{stopEditing, 0, 0}};

QIcon swatch(QColor color)
{
    QPixmap pixmap(8, 8);
    pixmap.fill(color);
    return QIcon(pixmap);
}

class TreeCellEditors : public ::testing::Test {
protected:
    void SetUp() override
    {
        installInPlaceEditors();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        TQVTTreeImageComboCellEditor::Images = [](const std::string& images) {
            return images == "Traffic" ? std::vector<QIcon>{swatch(Qt::green), swatch(Qt::red)} : std::vector<QIcon>{};
        };
        const std::string path = dir.file("plan.ini");
        writeFile(path, everyCellKindDocument());
        source.setStorage("file://" + path);
        ASSERT_EQ(source.GetTree()->rowsCount(), 2);
        // Where the last paint put the cells: columns of 80 pixels, rows of 20.
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < ColumnCount; ++c) {
                const TRect rect{10 + 79 * c, 30 + 19 * r, 10 + 79 * c + 80, 30 + 19 * r + 20};
                static_cast<TQVTTreeCellDrawer*>(cell(r, c).getDrawer(vtGanttGraph))->place(rect, rect.Left, 0);
            }
        controller.show();
        controller.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&controller));
        original = saved();
    }

    void TearDown() override
    {
        controller.editor.reset();
        TQVTTreeImageComboCellEditor::Images = nullptr;
        QLocale::setDefault(QLocale::c());
    }

    TQVTTreeCell& cell(int row, int column) { return *source.GetTree()->getCell(row, column); }
    TQVTTreeCellEditor& editor() { return dynamic_cast<TQVTTreeCellEditor&>(*controller.editor); }
    QWidget* control() { return controller.editor ? editor().control() : nullptr; }
    // Where the keys go, as on a desktop.
    QWidget* focus()
    {
        QWidget* widget = QApplication::focusWidget();
        EXPECT_TRUE(widget && control() && (widget == control() || control()->isAncestorOf(widget)));
        return widget;
    }
    void type(const QString& text) { QTest::keyClicks(focus(), text); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(focus(), key, modifiers);
    }
    std::string saved() { return save(source); }
    template <typename T>
    T& value(int row, int column)
    {
        return dynamic_cast<T&>(cell(row, column));
    }

    ScratchDir dir;
    Capture capture;
    TQVTDataSource source;
    ControllerDouble controller{QSize(800, 300), &source};
    std::string original;
    DocumentSaver save;
};

TEST_F(TreeCellEditors, EachKindOpensItsControlOverTheCellInTheRowsFont)
{
    controller.open(cell(0, Cost));
    ASSERT_NE(control(), nullptr);
    EXPECT_EQ(control()->parentWidget(), &controller);
    EXPECT_TRUE(control()->isVisible());
    EXPECT_EQ(control()->geometry(), QRect(10 + 79 * Cost, 30, 80, 20));
    EXPECT_EQ(control()->font().family(), "Arial");
    EXPECT_EQ(control()->font().pixelSize(), 13) << "10 points";
    EXPECT_EQ(qobject_cast<QLineEdit*>(focus())->text(), "1.250,50") << "the amount in the locale's format";

    const std::vector<std::pair<Column, const char*>> kinds = {
        {Name, "QLineEdit"},   {Notes, "QPlainTextEdit"}, {Due, "QDateTimeEdit"}, {Effort, "QWidget"},
        {Status, "QComboBox"}, {Signal, "QComboBox"},     {Link, "QWidget"}};
    for (const auto& [column, className] : kinds) {
        controller.open(cell(1, column));
        ASSERT_NE(control(), nullptr) << column;
        EXPECT_TRUE(control()->inherits(className)) << column << " " << control()->metaObject()->className();
        EXPECT_GE(control()->width(), 80);
    }
    EXPECT_GE(control()->height(), 20);
    controller.open(cell(1, Notes));
    EXPECT_GT(control()->height(), 40) << "room for three lines";

    controller.open(cell(0, Signal));
    auto* combo = qobject_cast<QComboBox*>(control());
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->currentText(), "Green");
    EXPECT_EQ(combo->itemIcon(1).pixmap(8, 8).toImage().pixelColor(4, 4), QColor(Qt::red)) << "items with pictures";
    EXPECT_FALSE(combo->isEditable());

    // Automatic cells and read-only columns get no control.
    for (TQVTTreeCell* target : {&cell(0, Number), &cell(0, Name)}) {
        if (target == &cell(0, Name))
            target->FDataType->FReadOnly = true;
        controller.open(*target);
        EXPECT_EQ(dynamic_cast<TQVTTreeCellEditor*>(controller.editor.get()), nullptr);
        EXPECT_EQ(controller.editor->FinishEditing(), nullptr);
    }
}

TEST_F(TreeCellEditors, EveryKindCommitsOnEnterCancelsOnEscapeAndUndoGivesTheFileBack)
{
    const auto commit = [this](int column, const std::function<void()>& typing) {
        controller.open(cell(0, column));
        typing();
        press(Qt::Key_Return);
        EXPECT_EQ(controller.told, Committed) << column;
        EXPECT_TRUE(controller.performed) << column;
        EXPECT_EQ(controller.editor, nullptr);
    };
    commit(Name, [this] { type("Review"); });
    commit(Notes, [this] {
        type("line one");
        press(Qt::Key_Return, Qt::ControlModifier);
        type("line two");
    });
    commit(Due, [this] { type("05"); });
    commit(Effort, [this] { type("40"); });
    commit(Cost, [this] { type("1.234,5"); });
    commit(Status, [this] { type("Blocked"); });
    commit(Signal, [this] { type("R"); });
    commit(Link, [this] { type("specs/review.pdf"); });

    EXPECT_EQ(cell(0, Name).FText, "Review");
    EXPECT_EQ(cell(0, Notes).FText, "line one\nline two");
    EXPECT_EQ(cell(0, Due).FText, "05.03.2024");
    EXPECT_EQ(value<TQVTTreeDateTimeCell>(0, Due).FDate, 45356.75) << "the hidden time of day stays";
    EXPECT_EQ(value<TQVTTreeSpinCell>(0, Effort).FNumber, 40);
    EXPECT_EQ(value<TQVTTreeCurrencyCell>(0, Cost).FValue, 1234.5);
    EXPECT_EQ(cell(0, Cost).FText, "1.234,50");
    EXPECT_EQ(cell(0, Status).FText, "Blocked") << "the combo's text is free";
    EXPECT_EQ(cell(0, Signal).FText, "Red");
    EXPECT_EQ(cell(0, Link).FText, "specs/review.pdf");
    EXPECT_EQ(source.GetUndoRedoStack().GetUndoOperationCount(), 8);

    while (source.GetUndoRedoStack().undo()) {
    }
    EXPECT_EQ(saved(), original);

    // Enter on an unchanged control records nothing.
    controller.open(cell(0, Cost));
    press(Qt::Key_Return);
    EXPECT_EQ(controller.told, Committed);
    EXPECT_EQ(controller.edit, nullptr);
    EXPECT_EQ(cell(0, Cost).FText, "1.250,50 EUR") << "the text is not formatted anew";

    // Escape cancels the edit of every kind.
    const std::vector<std::pair<Column, QString>> typing = {{Name, "x"}, {Notes, "x"},  {Due, "09"},   {Effort, "7"},
                                                            {Cost, "9"}, {Status, "x"}, {Signal, "R"}, {Link, "x"}};
    for (const auto& [column, text] : typing) {
        controller.open(cell(0, column));
        QPointer<QWidget> opened = control();
        type(text);
        press(Qt::Key_Escape);
        EXPECT_EQ(controller.told, Stopped) << column;
        EXPECT_EQ(controller.edit, nullptr) << column;
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(opened, nullptr) << column << ": the control went with the edit";
    }
    EXPECT_EQ(saved(), original);
    EXPECT_EQ(source.GetUndoRedoStack().GetUndoOperationCount(), 0);
}

TEST_F(TreeCellEditors, TextThatIsNoValueOfItsKindIsRefusedAndTheCellKeepsItsValue)
{
    const auto refused = [this](int column, const QString& text) {
        controller.open(cell(0, column));
        QWidget* field = focus();
        if (auto* line = qobject_cast<QLineEdit*>(field))
            line->setText(text); // as pasted: past any validator
        else
            field->findChild<QLineEdit*>()->setText(text);
        press(Qt::Key_Return);
        EXPECT_EQ(controller.told, Committed) << text.toStdString();
        EXPECT_EQ(controller.edit, nullptr) << text.toStdString();
    };
    for (const char* text : {"5.13.2024", "00.03.2024", "tomorrow"})
        refused(Due, text);
    for (const char* text : {"12x", "0x10", "1e12345", "-"})
        refused(Effort, text);
    for (const char* text : {"1.23", "12,345", "12.5", "1,2,3", "€ 5", "1e3", "9999999999999999"})
        refused(Cost, text);
    EXPECT_EQ(saved(), original);

    // A number beyond the limits is held within them, as the spin edit does.
    controller.open(cell(0, Effort));
    type("500");
    press(Qt::Key_Return);
    EXPECT_EQ(value<TQVTTreeSpinCell>(0, Effort).FNumber, 50);

    // Typing what is no amount does not get into the field; an empty field clears the cell.
    controller.open(cell(0, Cost));
    type("abc");
    EXPECT_EQ(qobject_cast<QLineEdit*>(focus())->text(), "1.250,50");
    press(Qt::Key_Backspace);
    EXPECT_EQ(qobject_cast<QLineEdit*>(focus())->text(), "");
    press(Qt::Key_Return);
    EXPECT_EQ(cell(0, Cost).FText, "");
    EXPECT_EQ(value<TQVTTreeCurrencyCell>(0, Cost).FValue, 0);
}

TEST(CurrencyValidator, TakesAmountsInTheLocalesFormat)
{
    const TQVTCurrencyValidator german(QLocale(QLocale::German, QLocale::Germany));
    const TQVTCurrencyValidator english(QLocale(QLocale::English, QLocale::UnitedKingdom));
    const TQVTCurrencyValidator french(QLocale(QLocale::French, QLocale::France));
    const auto state = [](const TQVTCurrencyValidator& validator, const char* text) {
        QString input = QString::fromUtf8(text);
        int pos = 0;
        return validator.validate(input, pos);
    };
    for (const char* text : {"1250", "1.250", "1.250,5", "-1.250,50", " 12 ", ",5", "0", "", "922.337.203.685.477"})
        EXPECT_EQ(state(german, text), QValidator::Acceptable) << text;
    for (const char* text : {"-", ",", "1.", "1.25", "12.345.6"})
        EXPECT_EQ(state(german, text), QValidator::Intermediate) << text << ": typing on makes an amount";
    for (const char* text : {"1,234", "1.2345", "1,2,3", "1,255", "abc", "1e3", "1.250,5-", "--1", "922337203685478"})
        EXPECT_EQ(state(german, text), QValidator::Invalid) << text;
    EXPECT_EQ(state(english, "1,250.50"), QValidator::Acceptable);
    EXPECT_EQ(state(english, "1.250,50"), QValidator::Invalid);
    EXPECT_EQ(state(french, "1 250,50"), QValidator::Acceptable) << "any space groups";

    EXPECT_EQ(german.amount("-1.250,5"), -1250.5);
    EXPECT_EQ(german.amount(""), 0.0);
    EXPECT_EQ(german.amount("1.25"), std::nullopt);
    EXPECT_EQ(german.format(1250.5), "1.250,50");
    EXPECT_EQ(english.format(-1250.5), "-1,250.50");
    EXPECT_EQ(french.amount(french.format(1234567.89)), 1234567.89) << "what it shows it takes";
}

TEST_F(TreeCellEditors, ArrowsLeaveTheCellExceptWhereTheControlUsesThem)
{
    controller.open(cell(0, Name));
    type("Moved up");
    press(Qt::Key_Up);
    EXPECT_EQ(controller.told, (std::vector<Told>{{stopEditing, 0, 0}, {treeCellExit, 1, 0}}));
    EXPECT_EQ(cell(0, Name).FText, "Moved up") << "leaving the cell keeps the edit";

    controller.open(cell(0, Effort));
    press(Qt::Key_Down);
    EXPECT_EQ(controller.told, (std::vector<Told>{{stopEditing, 0, 0}, {treeCellExit, 0, 0}}));
    EXPECT_EQ(controller.edit, nullptr) << "no step: the arrow left the cell";

    controller.open(cell(1, Notes));
    type("a");
    press(Qt::Key_Return, Qt::ShiftModifier);
    type("b");
    press(Qt::Key_Up);
    press(Qt::Key_Down);
    EXPECT_TRUE(controller.told.empty()) << "the arrows move in the text";
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(control())->toPlainText(), "a\nb");
    press(Qt::Key_Escape);

    controller.open(cell(0, Signal));
    auto* combo = qobject_cast<QComboBox*>(control());
    combo->showPopup();
    ASSERT_TRUE(combo->view()->isVisible());
    QTest::keyClick(combo->view(), Qt::Key_Down);
    QTest::keyClick(combo->view(), Qt::Key_Return);
    EXPECT_TRUE(controller.told.empty()) << "the keys of an open list are its own";
    EXPECT_EQ(combo->currentText(), "Red");
    QApplication::processEvents();
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(controller.told, Committed);
    EXPECT_EQ(cell(0, Signal).FText, "Red");
}

TEST_F(TreeCellEditors, LosingTheFocusToAnotherControlKeepsTheEdit)
{
    auto* other = new QLineEdit(&controller);
    other->setGeometry(10, 200, 100, 20);
    other->show();
    controller.open(cell(1, Link));
    type("elsewhere");
    other->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(controller.told, Stopped);
    EXPECT_TRUE(controller.performed);
    EXPECT_EQ(cell(1, Link).FText, "elsewhere");

    // The focus moving inside the control, or to its own list, ends nothing.
    controller.open(cell(1, Effort));
    static_cast<TqvtSpinEdit*>(control())->setFocus(Qt::OtherFocusReason);
    controller.open(cell(1, Status));
    qobject_cast<QComboBox*>(control())->showPopup();
    EXPECT_TRUE(controller.told.empty());
    qobject_cast<QComboBox*>(control())->hidePopup();
}

TEST_F(TreeCellEditors, TheButtonTellsTheTypeAndTheDataSourceAndAnEditorOutlivesNeitherControllerNorCell)
{
    std::vector<std::string> clicks;
    auto& type = dynamic_cast<TQVTTreeButtonEditCellType&>(*cell(0, Link).FDataType);
    type.FOnClick = [&](TQVTTreeCell* clicked) {
        clicks.push_back("type");
        EXPECT_EQ(clicked, &cell(0, Link));
        clicked->SetText("chosen.pdf"); // what a file dialog would do
    };
    source.onTreeCellButtonClicked = [&](TQVTGanttObject* sender) {
        clicks.push_back("data source");
        EXPECT_EQ(sender, &cell(0, Link));
    };
    controller.open(cell(0, Link));
    auto& buttonEdit = dynamic_cast<TQVTTreeButtonEditCellEditor&>(editor());
    ASSERT_NE(buttonEdit.button(), nullptr);
    EXPECT_EQ(buttonEdit.button()->text(), "...");
    QTest::mouseClick(buttonEdit.button(), Qt::LeftButton);
    EXPECT_EQ(clicks, (std::vector<std::string>{"type", "data source"}));
    EXPECT_TRUE(controller.told.empty()) << "still editing";
    EXPECT_EQ(buttonEdit.edit()->text(), "chosen.pdf");
    EXPECT_EQ(cell(0, Link).FText, "specs/concept.pdf") << "not changed behind the history's back";
    EXPECT_EQ(QApplication::focusWidget(), buttonEdit.edit());
    press(Qt::Key_Return);
    EXPECT_EQ(cell(0, Link).FText, "chosen.pdf");
    ASSERT_TRUE(source.GetUndoRedoStack().undo());
    EXPECT_EQ(saved(), original);

    // A handler that ends the edit itself leaves the editor nothing to do.
    type.FOnClick = [this](TQVTTreeCell*) { controller.Notify(stopEditing, 0, 0); };
    source.onTreeCellButtonClicked = nullptr;
    controller.open(cell(0, Link));
    QTest::mouseClick(dynamic_cast<TQVTTreeButtonEditCellEditor&>(editor()).button(), Qt::LeftButton);
    EXPECT_EQ(controller.editor, nullptr);
    EXPECT_EQ(controller.told, Stopped);

    // The cell goes while it is edited: the edit ends with nothing.
    controller.open(cell(1, Name));
    this->type("lost");
    std::shared_ptr<TQVTTreeCell> removed = source.GetTree()->getRow(1)->deleteCell(Name);
    removed.reset();
    EXPECT_EQ(editor().cell(), nullptr);
    press(Qt::Key_Return);
    EXPECT_EQ(controller.edit, nullptr);

    // The controller goes while an editor is open.
    auto other = std::make_unique<ControllerDouble>(QSize(800, 300), &source);
    other->show();
    other->open(cell(0, Name));
    QPointer<QWidget> opened = dynamic_cast<TQVTTreeCellEditor&>(*other->editor).control();
    std::unique_ptr<TQVTObjectEditorIntf> orphan = std::move(other->editor);
    other.reset();
    EXPECT_EQ(opened, nullptr) << "the control went with its parent";
    EXPECT_EQ(orphan->GetController(), nullptr);
    EXPECT_EQ(orphan->FinishEditing(), nullptr);
    orphan.reset();

    // The editor goes first: its control goes with it.
    controller.open(cell(0, Name));
    opened = control();
    controller.editor.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(opened, nullptr);
    EXPECT_EQ(cell(0, Name).FText, "Concept");
}

class TextBarMemo : public TreeCellEditors {
protected:
    void SetUp() override
    {
        TreeCellEditors::SetUp();
        bar = std::make_shared<TQVTTextBar>(45352, 45355, 0);
        bar->FText = "Kick-off";
        ASSERT_TRUE(source.doOperation(std::make_shared<TQVTBarInsertOperation>(&source, *source.GetTable(), bar, 0)));
        static_cast<TQVTGanttBarDrawer*>(bar->getDrawer(vtGanttGraph))->lastRect = TRect{300, 100, 420, 150};
        before = saved();
    }
    QPlainTextEdit* box() { return dynamic_cast<TQVTTextBarMemoControl&>(bar->getMemo()).control(); }

    std::shared_ptr<TQVTTextBar> bar;
    std::string before;
};

TEST_F(TextBarMemo, TheBarsTextIsEditedInABoxOverTheBarThatGoesWithTheBar)
{
    controller.open(*bar);
    ASSERT_NE(box(), nullptr);
    EXPECT_EQ(box()->parentWidget(), &controller);
    EXPECT_TRUE(box()->isVisible());
    EXPECT_EQ(box()->geometry(), QRect(300, 100, 120, 50));
    EXPECT_EQ(box()->toPlainText(), "Kick-off");
    EXPECT_EQ(QApplication::focusWidget(), box());
    QTest::keyClicks(box(), " meeting");
    QTest::keyClick(box(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(box(), "all hands");
    QTest::keyClick(box(), Qt::Key_Return);
    EXPECT_EQ(controller.told, Stopped) << "the memo ends the edit through the controller";
    EXPECT_TRUE(controller.performed);
    EXPECT_EQ(bar->FText, "Kick-off meeting\nall hands");
    EXPECT_FALSE(box()->isVisible());
    ASSERT_TRUE(source.GetUndoRedoStack().undo());
    EXPECT_EQ(saved(), before);

    // Esc ends it the same way; losing the focus too.
    controller.open(*bar);
    QTest::keyClicks(box(), "!");
    QTest::keyClick(box(), Qt::Key_Escape);
    EXPECT_EQ(bar->FText, "Kick-off!");
    auto* other = new QLineEdit(&controller);
    other->show();
    controller.open(*bar);
    QTest::keyClicks(box(), "?");
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(controller.told, Stopped);
    EXPECT_EQ(bar->FText, "Kick-off!?");

    // An untouched text comes back exactly, and the box goes with the bar.
    bar->FText = "two\r\nlines";
    controller.open(*bar);
    QTest::keyClick(box(), Qt::Key_Return);
    EXPECT_EQ(bar->FText, "two\r\nlines") << "line breaks as they were";

    QPointer<QPlainTextEdit> shown = box();
    ASSERT_TRUE(source.doOperation(std::make_shared<TQVTBarRemoveOperation>(&source, bar)));
    source.GetUndoRedoStack().clear();
    controller.edit.reset();
    bar.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(shown, nullptr);
}

} // namespace
