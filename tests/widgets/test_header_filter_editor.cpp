// The filter check-list of a column, driven by the mouse and keys on a real list.

#include "corvane/framework/tasktable/qvtTreeDrawers.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/widgets/qvtHeaderFilterEditor.h"

#include "ControllerDouble.h"
#include "framework/tasktable/TreeOrderFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

using Texts = std::vector<std::string>;
const std::vector<Told> Stopped = {{stopEditing, 0, 0}};

// Rows Apple > Pear, " Plum ", apple; the Name column's header cell lies at (10, 10)-(110, 26)
// as the last paint left it, its button at its right end.
class HeaderFilterEditor : public TreeOrderFixture {
protected:
    void SetUp() override
    {
        installHeaderFilterEditor();
        buildOutline({{0, "Apple"}, {1, "Pear"}, {0, " Plum "}, {0, "apple"}});
        grid().FOnFilterSettingsChanged = [this](TQVTTreeGrid*, int column) { changes.push_back(column); };
        placeCell(0, TRect{10, 10, 110, 26});
        placeCell(2, TRect{109, 10, 169, 26});
        controller.show();
        controller.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&controller));
    }
    void TearDown() override
    {
        controller.editor.reset();
        TQVTHeaderFilterHalo::EditorFactory = nullptr;
    }

    TQVTTreeHeaderCell& cell(int column) { return *grid().FHeader->getHeaderCell(column); }
    TQVTHeaderFilterHalo& button(int column) { return *cell(column).filterButton; }
    void placeCell(int column, TRect r)
    {
        TQVTTreeHeaderCell& c = cell(column);
        if (!c.filterButton)
            c.filterButton = std::make_shared<TQVTHeaderFilterHalo>(&c);
        c.filterButton->place(r);
        static_cast<TQVTTreeHeaderCellDrawer*>(c.getDrawer(vtGanttGraph))->place(r);
    }

    TQVTTreeHeaderFilterAreaEditor* open(int column = 0)
    {
        controller.open(button(column));
        EXPECT_FALSE(controller.editor->IsModal());
        auto* editor = dynamic_cast<TQVTTreeHeaderFilterAreaEditor*>(controller.editor.get());
        EXPECT_NE(editor, nullptr);
        EXPECT_NE(editor ? editor->list() : nullptr, nullptr);
        return editor;
    }
    QListWidget& list() { return *static_cast<TQVTTreeHeaderFilterAreaEditor&>(*controller.editor).list(); }
    Texts checked() { return static_cast<TQVTTreeHeaderFilterAreaEditor&>(*controller.editor).checkedEntries(); }
    void click(const QString& text)
    {
        const QList<QListWidgetItem*> items = list().findItems(text, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << text.toStdString();
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, list().visualItemRect(items.front()).center());
    }
    void key(Qt::Key k) { QTest::keyClick(&list(), k); }
    // "+" for a row the filter keeps, "-" for one it hides.
    std::string kept()
    {
        std::string out;
        for (int i = 0; i < grid().rowsCount(); ++i)
            out += grid().getRow(i)->FHidden ? '-' : '+';
        return out;
    }
    void filterBy(Texts values) { cell(0).HeaderFilterArea.OnClickContent(values); }

    ControllerDouble controller{QSize(400, 300)};
    std::vector<int> changes;
};

TEST_F(HeaderFilterEditor, OpensUnderTheCellWithAllesAndTheColumnsTexts)
{
    TQVTTreeHeaderFilterAreaEditor* editor = open();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->cell().get(), &cell(0));
    QListWidget& l = list();
    EXPECT_EQ(l.parentWidget(), &controller);
    EXPECT_TRUE(l.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), &l);
    EXPECT_EQ(editor->entries(), (Texts{"Alles", "Apple", "Pear", "Plum"})) << "each text once, without blanks";
    EXPECT_EQ(checked(), Texts{"Alles"}) << "no filter";
    EXPECT_EQ(l.x(), 10);
    EXPECT_EQ(l.y(), 26);
    EXPECT_GE(l.width(), 100);
    EXPECT_LE(l.geometry().bottom(), controller.height());

    // At the control's right end the list moves in so that all of it is shown.
    controller.editor.reset();
    placeCell(0, TRect{350, 10, 450, 26});
    open();
    EXPECT_EQ(list().geometry().right(), controller.width() - 1);
    EXPECT_GE(list().width(), 100);
}

TEST_F(HeaderFilterEditor, CheckedTextsFilterTheRowsWhenEnterIsPressed)
{
    open();
    click("Plum");
    EXPECT_EQ(checked(), Texts{"Plum"}) << "a text unchecks Alles";
    key(Qt::Key_Up);
    key(Qt::Key_Space);
    EXPECT_EQ(checked(), (Texts{"Pear", "Plum"}));
    EXPECT_EQ(kept(), "++++") << "nothing happens before the list closes";
    const QPointer<QListWidget> shown = &list();

    key(Qt::Key_Return);
    EXPECT_EQ(controller.told, Stopped);
    EXPECT_EQ(controller.finished, 1);
    EXPECT_EQ(controller.edit, nullptr) << "a view, not an edit of the document";
    EXPECT_TRUE(grid().TreeFilter.Active);
    EXPECT_EQ(grid().TreeFilter.ColID, 0);
    EXPECT_EQ(grid().TreeFilter.Values, (Texts{"Pear", "Plum"}));
    EXPECT_EQ(grid().TreeFilter.FilterDescription, "Spalte \"Name\" = (Pear, Plum)");
    EXPECT_EQ(kept(), "+++-") << "Apple stays as the way to Pear";
    EXPECT_EQ(changes, std::vector<int>{0});
    EXPECT_EQ(cell(0).HeaderFilterArea.FVisibleState, 1);
    ASSERT_TRUE(shown);
    EXPECT_FALSE(shown->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(shown.isNull());
}

TEST_F(HeaderFilterEditor, AnActiveFilterComesUpCheckedAndAllesClearsIt)
{
    filterBy({"plum", "Gone"});
    ASSERT_EQ(kept(), "--+-");
    changes.clear();
    TQVTTreeHeaderFilterAreaEditor* editor = open();
    EXPECT_EQ(editor->entries(), (Texts{"Alles", "Apple", "Pear", "Plum", "Gone"})) << "a value no row has stays";
    EXPECT_EQ(checked(), (Texts{"Plum", "Gone"}));
    key(Qt::Key_Return);
    EXPECT_EQ(grid().TreeFilter.Values, (Texts{"plum", "Gone"})) << "unchanged checks leave the filter alone";
    EXPECT_TRUE(changes.empty());

    open();
    click("Alles");
    EXPECT_EQ(checked(), Texts{"Alles"}) << "Alles unchecks the texts";
    key(Qt::Key_Enter);
    EXPECT_FALSE(grid().TreeFilter.Active);
    EXPECT_EQ(grid().TreeFilter.ColID, -1);
    EXPECT_EQ(kept(), "++++");
    EXPECT_EQ(changes, std::vector<int>{-1});

    // A filter on another column: Alles is checked here, and closing unchanged keeps that filter.
    cell(2).HeaderFilterArea.OnClickContent({""});
    ASSERT_EQ(grid().TreeFilter.ColID, 2);
    open();
    EXPECT_EQ(checked(), Texts{"Alles"});
    key(Qt::Key_Return);
    EXPECT_TRUE(grid().TreeFilter.Active);
    EXPECT_EQ(grid().TreeFilter.ColID, 2);
}

TEST_F(HeaderFilterEditor, EscChangesNothingButLeavingTheListAppliesIt)
{
    filterBy({"Plum"});
    changes.clear();
    open();
    click("Apple");
    EXPECT_EQ(checked(), (Texts{"Apple", "Plum"}));
    key(Qt::Key_Escape);
    EXPECT_EQ(controller.told, Stopped);
    EXPECT_EQ(controller.finished, 1);
    EXPECT_EQ(grid().TreeFilter.Values, Texts{"Plum"});
    EXPECT_EQ(kept(), "--+-");
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(cell(0).HeaderFilterArea.FVisibleState, 1);

    // Leaving the list applies it.
    QLineEdit elsewhere(&controller);
    elsewhere.show();
    open();
    click("Alles");
    click("Apple");
    click("Pear");
    click("Pear");
    EXPECT_EQ(checked(), Texts{"Apple"}) << "a second click unchecks";
    elsewhere.setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(controller.told, Stopped);
    EXPECT_EQ(grid().TreeFilter.Values, Texts{"Apple"});
    EXPECT_EQ(kept(), "+--+") << "letter case does not count";
}

TEST_F(HeaderFilterEditor, AGoneControllerOrColumnIsNeverTouched)
{
    // A controller that is no widget gets no list.
    struct Plain : TQVTControllerIntf {
        void Notify(mouseEvent, int, int) override { ++told; }
        int told = 0;
    } plain;
    TQVTTreeHeaderFilterAreaEditor loose;
    loose.SetController(&plain);
    EXPECT_EQ(loose.edit(&button(0)), nullptr);
    EXPECT_EQ(loose.list(), nullptr);

    // The controller's widget goes while the list is open: the list goes with it, and finishing
    // afterwards tells nobody and filters nothing.
    auto gone = std::make_unique<ControllerDouble>(QSize(400, 300));
    TQVTTreeHeaderFilterAreaEditor editor;
    editor.SetController(gone.get());
    editor.edit(&cell(0));
    ASSERT_NE(editor.list(), nullptr);
    editor.list()->item(1)->setCheckState(Qt::Checked);
    gone.reset();
    EXPECT_EQ(editor.list(), nullptr);
    EXPECT_EQ(editor.GetController(), nullptr);
    EXPECT_EQ(editor.FinishEditing(), nullptr);
    EXPECT_FALSE(grid().TreeFilter.Active);

    // An editor freed while its list is open takes the list with it.
    open();
    const QPointer<QListWidget> shown = &list();
    controller.editor.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(shown.isNull());

    // The column goes while its list is open.
    open();
    click("Pear");
    std::shared_ptr<TQVTTreeHeaderCell> removed = grid().FHeader->deleteHeaderCell(0);
    removed.reset();
    key(Qt::Key_Return);
    EXPECT_EQ(controller.told, Stopped);
    EXPECT_FALSE(grid().TreeFilter.Active);
    EXPECT_EQ(kept(), "++++");
}

} // namespace
