// The header cells' filter button on real pixels, under the mouse, its editor and its lifetime.

#include "corvane/framework/objects/qvtObjectEditor.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/framework/tasktable/qvtTreeDrawers.h"
#include "corvane/platform/Graphics.h"

#include "TreeOrderFixture.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr int Width = 320;
constexpr int Height = 120;
// The header (16 high) lies above the first row (y 0); the picture shows from y -Top.
constexpr int Top = 20;
constexpr TColor HeaderColor = 0xE0E0E0;
constexpr TColor LineColor = clGray;

// Rows A > A1, B, a under the columns Name (x 0..99), Count (99..158) and Note (158..187, too
// narrow for a button). Name's button covers x 86..96, its arrow is centred at (91, -9); the
// grip of Name's resizer is x 97..103.
class HeaderFilterButton : public TreeOrderFixture {
protected:
    void SetUp() override
    {
        buildOutline({{0, "A"}, {1, "A1"}, {0, "B"}, {0, "a"}});
        document->setDocStartX(0);
        grid().setWidth(300);
        header().FbkColor = HeaderColor;
        header().getHeaderCell(0)->setWidth(100);
        header().getHeaderCell(1)->setWidth(60);
        header().getHeaderCell(2)->setWidth(30);
        bitmap.SetSize(Width, Height);
    }
    void TearDown() override { TQVTHeaderFilterHalo::EditorFactory = nullptr; }

    TQVTTreeHeader& header() { return *grid().FHeader; }
    TQVTTreeGridDrawer& drawer() { return *static_cast<TQVTTreeGridDrawer*>(grid().getDrawer(vtGanttGraph)); }
    TQVTHeaderFilterHalo& button(int column) { return *header().getHeaderCell(column)->filterButton; }

    void paint()
    {
        bitmap.Canvas().Brush() = TBrush{};
        bitmap.Canvas().FillRect(Rect(0, 0, Width, Height));
        bitmap.Canvas().SetMapping(0, Top, 1, 1);
        TQVTCanvasVC vc(bitmap.Canvas());
        vc.setVisibleArea(Rect(0, -Top, Width, Height - Top));
        drawer().Draw(vc);
        bitmap.Canvas().SetMapping(0, 0, 1, 1);
    }
    TColor at(int x, int y) { return bitmap.Pixel(x, y + Top) & 0xFFFFFF; }
    int inkIn(TRect r)
    {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += at(x, y) != HeaderColor;
        return n;
    }
    // The arrow of Name's button: its base corners, its tip and the pixel inside it.
    struct Arrow {
        TColor left, right, tip, inside;
    };
    Arrow arrow(int cx) { return {at(cx - 3, -11), at(cx + 3, -11), at(cx, -8), at(cx, -10)}; }

    TBitmap bitmap;
};

TEST_F(HeaderFilterButton, TitleAndSortMarkStayLeftOfTheButtonWhoseArrowIsFilledWhileTheRowsAreFiltered)
{
    header().getHeaderCell(0)->FTitle = "WWWWWWWWWWWWWWWWWWWW";
    header().setSortOrder(0, sortAscending);
    paint();
    // The mark is centred 6 pixels left of the button's edge, the title is cut before the mark.
    EXPECT_GT(inkIn(Rect(76, -16, 83, -1)), 0);
    EXPECT_EQ(inkIn(Rect(73, -16, 76, -1)), 0);
    EXPECT_EQ(inkIn(Rect(83, -16, 86, -1)), 0);
    EXPECT_GT(inkIn(Rect(40, -16, 72, -1)), 0);

    EXPECT_EQ(button(0).FRect, Rect(86, -16, 97, -1));
    EXPECT_EQ(button(1).FRect, Rect(145, -16, 156, -1));
    EXPECT_FALSE(button(2).isPlaced()) << "a narrow column keeps its room for the title";
    const Arrow open = arrow(91);
    EXPECT_EQ(open.left, clBlack);
    EXPECT_EQ(open.right, clBlack);
    EXPECT_EQ(open.tip, clBlack);
    EXPECT_EQ(open.inside, HeaderColor) << "outlined without a filter";
    EXPECT_EQ(inkIn(Rect(97, -16, 99, -1)), 0) << "the grip beside the button stays empty";

    // Filtering by Name fills its arrow, in the title's colour; Count keeps an outline.
    header().getHeaderCell(0)->FColor = clRed;
    header().getHeaderCell(0)->HeaderFilterArea.OnClickContent({"B"});
    paint();
    EXPECT_EQ(arrow(91).inside, clRed);
    EXPECT_EQ(at(90, -10), clRed);
    EXPECT_EQ(arrow(150).inside, HeaderColor);
    EXPECT_EQ(arrow(150).left, clBlack);
    header().getHeaderCell(0)->HeaderFilterArea.OnClickContent({"Alles"});
    paint();
    EXPECT_EQ(arrow(91).inside, HeaderColor);

    // Highlighted, the button shows its frame.
    button(0).getDrawer(vtGanttGraph)->setHighlighted(true);
    paint();
    EXPECT_EQ(at(86, -12), LineColor);
    EXPECT_EQ(at(96, -12), LineColor);
}

TEST_F(HeaderFilterButton, TheMouseFindsTheButtonThenTheTitleThenTheResizerAndTheButtonOutlivesItsCell)
{
    paint();
    TQVTDrawer& d = drawer();
    TQVTTreeHeaderCell& name = *header().getHeaderCell(0);
    for (int x : {86, 91, 96})
        for (int y : {-16, -9, -2})
            EXPECT_EQ(d.locateObject(x, y), &button(0)) << x << ", " << y;
    for (int x : {5, 50, 85}) {
        auto* title = dynamic_cast<TQVTHeaderHalo*>(d.locateObject(x, -9));
        ASSERT_NE(title, nullptr) << x;
        EXPECT_EQ(title->cell, &name);
    }
    for (int x = 97; x <= 103; ++x)
        EXPECT_EQ(d.locateObject(x, -9), name.resizer.get()) << x;
    EXPECT_EQ(d.locateObject(91, -1), header().clickers.at(0).get()) << "the lower border is the title's";
    EXPECT_EQ(d.locateObject(91, 5), grid().getRow(0)->getCell(0)) << "rows lie below";
    EXPECT_EQ(d.locateObject(150, -9), &button(1));
    auto* note = dynamic_cast<TQVTHeaderHalo*>(d.locateObject(182, -9));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->cell, header().getHeaderCell(2));

    // The same button from paint to paint; a column no longer shown has none on screen.
    TQVTHeaderFilterHalo* count = &button(1);
    paint();
    EXPECT_EQ(&button(1), count);
    header().getHeaderCell(1)->FVisible = false;
    paint();
    EXPECT_FALSE(count->isPlaced());
    EXPECT_EQ(d.locateObject(150, -9), nullptr) << "Note moved to x 99..128";
    auto* moved = dynamic_cast<TQVTHeaderHalo*>(d.locateObject(120, -9));
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->cell, header().getHeaderCell(2));

    header().getHeaderCell(1)->FVisible = true;
    paint();
    // Without a factory: the dummy editor, which changes nothing.
    std::unique_ptr<TQVTObjectEditorIntf> editor = button(0).CreateEditor();
    ASSERT_NE(dynamic_cast<TQVTDummyEditor*>(editor.get()), nullptr);
    EXPECT_EQ(editor->edit(&button(0)), nullptr);

    struct FilterEditor : TQVTDummyEditor {};
    int made = 0;
    TQVTHeaderFilterHalo::EditorFactory = [&made]() -> std::unique_ptr<TQVTObjectEditorIntf> {
        ++made;
        return std::make_unique<FilterEditor>();
    };
    editor = button(1).CreateEditor();
    EXPECT_NE(dynamic_cast<FilterEditor*>(editor.get()), nullptr);
    EXPECT_EQ(made, 1);

    // A button held across the removal of its column: no target, nothing filtered, painted
    // without its cell.
    std::shared_ptr<TQVTHeaderFilterHalo> held = header().getHeaderCell(1)->filterButton;
    EXPECT_EQ(held->getTarget().get(), header().getHeaderCell(1));
    header().getHeaderCell(1)->HeaderFilterArea.OnClickContent({"0"});
    ASSERT_TRUE(held->isFiltered());
    std::shared_ptr<TQVTTreeHeaderCell> removed = header().deleteHeaderCell(1);
    removed.reset();
    EXPECT_EQ(held->getTarget(), nullptr);
    EXPECT_FALSE(held->isFiltered());
    TQVTCanvasVC vc(bitmap.Canvas());
    EXPECT_TRUE(held->getDrawer(vtGanttGraph)->Draw(vc));

    // A cell that no shared_ptr holds is no target either.
    TQVTTreeHeaderCell loose;
    EXPECT_EQ(TQVTHeaderFilterHalo(&loose).getTarget(), nullptr);
}

} // namespace
