// Summary, image, milestone and text bars: files, group operations, text edit, painting.

#include "corvane/framework/chart/qvtResources.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/Graphics.h"

#include "framework/chart/ChartFixture.h"
#include "support/PixelChecks.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr int Width = 320;
constexpr int Height = 200;

std::shared_ptr<TQVTMilestoneBar> milestone(TDateTime start)
{
    return std::make_shared<TQVTMilestoneBar>(start, start + 1, 0);
}

std::unique_ptr<TBitmap> solidPicture(int width, int height, TColor color)
{
    auto picture = std::make_unique<TBitmap>();
    picture->SetSize(width, height);
    picture->Canvas().Brush() = TBrush{color, bsSolid};
    picture->Canvas().FillRect(Rect(0, 0, width, height));
    return picture;
}

// The keys of a section of a document file, in file order.
std::vector<std::string> keysOf(const std::string& file, const std::string& section)
{
    std::istringstream in(file);
    std::vector<std::string> keys;
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inside = line == "[" + section + "]";
            continue;
        }
        if (inside && line.find('=') != std::string::npos)
            keys.push_back(line.substr(0, line.find('=')));
    }
    return keys;
}

// Rows: 0 group; 1 milestone; 2 nested group; 3 milestone and text bar; 4 milestone.
class GroupAndPictureBars : public ChartFixture {
protected:
    void SetUp() override
    {
        group = std::make_shared<TQVTSummaryBar>();
        nested = std::make_shared<TQVTSummaryBar>();
        text = std::make_shared<TQVTTextBar>(103, 104, 0);
        build({{0, {group}}, {1, {milestone(105)}}, {1, {nested}}, {2, {milestone(110), text}}, {0, {milestone(120)}}});
        document->FDataSource = &hooks;
        document->setEndDate(300);
        table().SetColumnWidth(10);
    }

    std::shared_ptr<TQVTSummaryBar> group;
    std::shared_ptr<TQVTSummaryBar> nested;
    std::shared_ptr<TQVTTextBar> text;
};

TEST_F(GroupAndPictureBars, MovingOrDeletingASummaryBarTakesItsGroupAlongAndUndoGivesTheExactStateBack)
{
    int afterMoves = 0;
    hooks.OnAfterBarMove = [&](TQVTGanttBar* bar) { afterMoves += bar == group.get() ? 1 : 0; };
    connect(bar(1, 0), bar(4, 0));
    const auto deep = bar(3, 0); // moved bars go to the end of their row's list
    const std::string before = snapshot();

    auto op = group->moveTo(107, 5);
    ASSERT_TRUE(op);
    ASSERT_TRUE(op->perform());
    EXPECT_EQ(bar(1, 0)->FstartDate, 107);
    EXPECT_EQ(deep->FstartDate, 112);
    EXPECT_EQ(text->FstartDate, 103); // not summarizable: stays
    EXPECT_EQ(bar(4, 0)->FstartDate, 120);
    EXPECT_EQ(group->FstartDate, 107);
    EXPECT_EQ(group->FendDate, 113);
    EXPECT_EQ(nested->FstartDate, 112);
    EXPECT_EQ(afterMoves, 1);
    const std::string moved = snapshot();

    ASSERT_TRUE(op->undo());
    EXPECT_EQ(snapshot(), before);
    ASSERT_TRUE(op->perform());
    EXPECT_EQ(snapshot(), moved);
    ASSERT_TRUE(op->undo());

    // Less than one calendar unit: a disabled operation that changes nothing.
    auto small = group->moveTo(105.4, 0);
    ASSERT_TRUE(small);
    EXPECT_FALSE(small->perform());
    EXPECT_EQ(snapshot(), before);

    // Vetoed before it is made.
    hooks.OnBeforeBarMove = [](TQVTGanttBar*, bool& cancel) { cancel = true; };
    EXPECT_EQ(group->moveTo(107, 0), nullptr);
    // A child's veto refuses the whole move and leaves everything in place.
    hooks.OnBeforeBarMove = [&](TQVTGanttBar* bar, bool& cancel) { cancel = bar == deep.get(); };
    auto refused = group->moveTo(109, 0);
    ASSERT_TRUE(refused);
    EXPECT_FALSE(refused->perform());
    EXPECT_EQ(snapshot(), before);

    // Deleting dissolves the group.
    hooks.OnBeforeBarMove = nullptr;
    auto dissolve = std::make_shared<TQVTSummaryBarDeleteOperation>(&hooks, group);
    ASSERT_TRUE(dissolve->perform());
    EXPECT_EQ(table().countRows(), 5);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(row(r).GetBarCount(), 0) << r;
    EXPECT_EQ(row(4).GetBarCount(), 1);
    EXPECT_EQ(document->countConnections(), 0);
    // Every row is now a child of the root, in the same order.
    const auto& top = document->FTree->FRootNode->Fchildren;
    ASSERT_EQ(top.size(), 5u);
    for (const auto& node : top)
        EXPECT_TRUE(node->Fchildren.empty());
    for (int r = 0; r < 5; ++r)
        EXPECT_FALSE(row(r).IsGroup());
    const std::string dissolved = snapshot();

    ASSERT_TRUE(dissolve->undo());
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(row(0).IsGroup());
    ASSERT_TRUE(dissolve->perform());
    EXPECT_EQ(snapshot(), dissolved);
    ASSERT_TRUE(dissolve->undo());
    EXPECT_EQ(snapshot(), before);

    // A vetoed step takes the whole dissolution back.
    hooks.OnBeforeBarDelete = [&](TQVTGanttBar* bar, bool& cancel) { cancel = bar == nested.get(); };
    auto vetoed = std::make_shared<TQVTSummaryBarDeleteOperation>(&hooks, group);
    EXPECT_FALSE(vetoed->perform());
    EXPECT_EQ(snapshot(), before);

    // A summary bar in no table is refused.
    auto loose = std::make_shared<TQVTSummaryBar>();
    EXPECT_FALSE(std::make_shared<TQVTSummaryBarDeleteOperation>(&hooks, loose)->perform());
}

TEST_F(GroupAndPictureBars, ImageAndTextBarsResizeTextBarsEditInPlaceAndASummaryBarSpansItsGroupAndBlocksItsRow)
{
    auto image = std::make_shared<TQVTImageBar>(130, 132, 0);
    row(4).AddBar(image);
    image->FAutoStretch = false;
    EXPECT_FALSE(image->Resize(1, 0, true));
    image->FAutoStretch = true;
    EXPECT_TRUE(image->Resize(-1.5, 0, true));
    EXPECT_DOUBLE_EQ(image->FendDate, 130.5);
    EXPECT_TRUE(image->Resize(3, 0, false)); // past the end: ignored
    EXPECT_EQ(image->FstartDate, 130);
    EXPECT_TRUE(image->Resize(-0.5, 0, true)); // to the start: ignored
    EXPECT_DOUBLE_EQ(image->FendDate, 130.5);
    EXPECT_FALSE(image->inRow(4));
    EXPECT_TRUE(image->canResizeVertically());

    // The picture (100 pixels) fits 11 columns of 10 pixels.
    image->SetAutoStretch(true);
    EXPECT_EQ(image->FendDate, 141);

    text->setHeight(3);
    EXPECT_EQ(text->FHeight, TQVTTextBar::MinHeight);
    text->setHeight(50);
    EXPECT_TRUE(text->inRow(3));
    TQVTBarResizeOperation resize(&hooks, text, 2, 15, true);
    ASSERT_TRUE(resize.perform());
    EXPECT_EQ(text->FHeight, 65);
    EXPECT_EQ(text->FendDate, 106);
    ASSERT_TRUE(resize.undo());
    EXPECT_EQ(text->FHeight, 50);
    EXPECT_EQ(text->FendDate, 104);
    EXPECT_TRUE(text->Resize(0, -100, true));
    EXPECT_EQ(text->FHeight, TQVTTextBar::MinHeight);

    // The in-place edit gives an operation that sets and takes back the text.
    text->FText = "old";
    auto editor = text->DefaultEditor();
    auto* textEditor = dynamic_cast<TQVTTextBarEditor*>(editor.get());
    ASSERT_NE(textEditor, nullptr);
    EXPECT_FALSE(editor->IsModal());
    int stops = 0;
    textEditor->OnStopEditing = [&] { ++stops; };

    EXPECT_EQ(editor->edit(bar(1, 0).get()), nullptr); // no text bar: nothing happens
    EXPECT_EQ(editor->FinishEditing(), nullptr);
    EXPECT_EQ(editor->edit(text.get()), nullptr);
    TQVTTextBarMemo& memo = text->getMemo();
    EXPECT_TRUE(memo.isVisible());
    EXPECT_EQ(memo.getText(), "old");

    memo.setText("new text");
    int key = 'a';
    memo.OnKeyPress(key);
    EXPECT_EQ(key, 'a');
    EXPECT_EQ(stops, 0);
    key = 13;
    memo.OnKeyPress(key);
    EXPECT_EQ(key, 0);
    key = 27;
    memo.OnKeyPress(key);
    EXPECT_EQ(stops, 2);

    auto op = editor->FinishEditing();
    ASSERT_TRUE(op);
    EXPECT_FALSE(memo.isVisible());
    EXPECT_FALSE(static_cast<bool>(memo.OnKeyPress)); // the control no longer calls the editor
    EXPECT_EQ(text->FText, "old");                    // until the history performs it
    ASSERT_TRUE(op->perform());
    EXPECT_EQ(text->FText, "new text");
    ASSERT_TRUE(op->undo());
    EXPECT_EQ(text->FText, "old");
    ASSERT_TRUE(op->perform());
    EXPECT_EQ(text->FText, "new text");
    EXPECT_EQ(editor->FinishEditing(), nullptr);

    // A summary bar spans its group and blocks its row.
    EXPECT_EQ(std::make_pair(group->FstartDate, group->FendDate), std::make_pair(105.0, 111.0));
    EXPECT_EQ(group->getEndRow(), 3);
    EXPECT_EQ(nested->getEndRow(), 3);
    EXPECT_EQ(group->GetStartRow(), 1);
    EXPECT_EQ(group->getChildList().size(), 4u);

    // UpdateRange gives what the table's update gives.
    group->FstartDate = group->FendDate = 0;
    group->FEndRow = 0;
    group->UpdateRange();
    EXPECT_EQ(std::make_pair(group->FstartDate, group->FendDate), std::make_pair(105.0, 111.0));
    EXPECT_EQ(group->FEndRow, 3);

    // The whole row is blocked, whatever the dates, unless bars may go onto summary rows.
    EXPECT_TRUE(group->overlap(500, 501, 0, nullptr));
    EXPECT_TRUE(group->overlap(500, 501, 0, text.get()));
    EXPECT_FALSE(group->overlap(105, 106, 1, nullptr));
    hooks.CanCreateBarsOnSummaryRows = true;
    EXPECT_FALSE(group->overlap(500, 501, 0, text.get()));
    EXPECT_TRUE(group->overlap(106, 107, 0, text.get()));
    EXPECT_TRUE(group->overlap(500, 501, 0, nullptr));

    // A group without dated work spans nothing and then meets nothing.
    row(3).FBarList.erase(row(3).FBarList.begin());
    table().UpdateSummaryBars();
    EXPECT_EQ(std::make_pair(nested->FstartDate, nested->FendDate), std::make_pair(0.0, 0.0));
    EXPECT_FALSE(nested->overlap(0, 1000, 2, text.get()));

    EXPECT_TRUE(group->Resize(3, 0, true));
    EXPECT_EQ(group->FendDate, 106);
    EXPECT_FALSE(group->acceptConnections());
    table().FSummaryBarConnectable = true;
    EXPECT_TRUE(group->acceptConnections());
    EXPECT_FALSE(group->canMoveVertically());
    EXPECT_FALSE(group->canResizeVertically());
}

class GroupAndPictureBarKeys : public DocumentFileTest {
protected:
    // Saves bar, loads it back and saves it again: the two files hold the same bytes.
    std::string roundTrip(const std::shared_ptr<TQVTGanttObject>& bar)
    {
        const std::string first = readFile(saveToFile(bar));
        const auto loaded = loadFile(saveToFile(bar));
        EXPECT_TRUE(loaded);
        if (!loaded)
            return first;
        EXPECT_EQ(readFile(saveToFile(loaded)), first);
        return first;
    }
};

TEST_F(GroupAndPictureBarKeys, EveryKindWritesItsKeysInOrderReadsThemBackToTheSameBytesAndClampsWhatIsOutOfRange)
{
    auto summary = std::make_shared<TQVTSummaryBar>();
    summary->FReadOnly = true;
    summary->FTextHalo->TextTop = "group";
    EXPECT_EQ(keysOf(roundTrip(summary), "root"), (std::vector<std::string>{"typeID", "read only", "text halo"}));

    auto image = std::make_shared<TQVTImageBar>(100.25, 103, 0);
    image->FAutoStretch = false;
    image->FSettings->borderThickness = 3;
    image->FSettings->height = 12.5;
    image->FSettings->borderColor = 0x0000FF;
    image->FSettings->color = 0x00FF00;
    image->getGraphic()->SetTransparent(false);
    // Values other than the defaults: one that is read back wrong changes the second file.
    EXPECT_EQ(keysOf(roundTrip(image), "root"),
              (std::vector<std::string>{"typeID", "resource", "transparent", "settings", "text halo", "start date",
                                        "end date", "auto stretch"}));

    auto text = std::make_shared<TQVTTextBar>(105, 107.5, 0);
    text->FText = "a note";
    text->setHeight(70);
    text->FSettings = std::make_shared<TQVTTextSettings>();
    text->FSettings->SetColor(0x00FFFF);
    EXPECT_EQ(keysOf(roundTrip(text), "root"), (std::vector<std::string>{"typeID", "settings", "text halo", "text",
                                                                         "start date", "end date", "height"}));

    // Out-of-range values from a file are clamped.
    const auto shortText = std::dynamic_pointer_cast<TQVTTextBar>(
        loadFrom("[root]\ntypeID=Text Bar\nheight=3\nstart date=-1e300\nend date=1e300\n"));
    ASSERT_TRUE(shortText);
    EXPECT_EQ(shortText->FHeight, TQVTTextBar::MinHeight);
    EXPECT_EQ(shortText->FstartDate, EncodeDate(1, 1, 1));
    EXPECT_EQ(shortText->FendDate, EncodeDate(9999, 12, 31) + 1);
    EXPECT_EQ(shortText->FText, "");

    const auto tall = std::dynamic_pointer_cast<TQVTTextBar>(loadFrom("[root]\ntypeID=Text Bar\nheight=99999999\n"));
    ASSERT_TRUE(tall);
    EXPECT_EQ(tall->FHeight, TQVTTextBar::MaxHeight);
    EXPECT_EQ(tall->FendDate, 1); // no dates: one day from day 0

    const auto hostile = std::dynamic_pointer_cast<TQVTImageBar>(
        loadFrom("[root]\ntypeID=Image Bar\nresource=pic\nsettings=set\ntransparent=0\nstart date=120\n"
                 "end date=110\n[pic]\ntypeID=Picture Resource\n"
                 "[set]\ntypeID=Image Bar Settings\nborder thickness=-7\nbar height=1e9\nborder color=nonsense\n"));
    ASSERT_TRUE(hostile && hostile->getGraphic() && hostile->FSettings);
    EXPECT_FALSE(hostile->getGraphic()->Transparent());
    EXPECT_EQ(hostile->FstartDate, 120);
    EXPECT_EQ(hostile->FendDate, 121);
    EXPECT_FALSE(hostile->FAutoStretch);
    EXPECT_EQ(hostile->FSettings->borderThickness, 0);
    EXPECT_EQ(hostile->FSettings->height, TQVTImageBarSettings::MaxSize);
    EXPECT_EQ(hostile->FSettings->borderColor, 0u);

    const auto opaque = std::dynamic_pointer_cast<TQVTMilestoneBar>(
        loadFrom("[root]\ntypeID=Milestone Bar\nresource=pic\n[pic]\ntypeID=Picture Resource\n"));
    ASSERT_TRUE(opaque && opaque->getGraphic());
    EXPECT_TRUE(opaque->getGraphic()->Transparent()); // transparent unless the file says otherwise
    EXPECT_EQ(opaque->FSettings, nullptr);
}

class GroupAndPictureBarPainting : public GroupAndPictureBars {
protected:
    void SetUp() override
    {
        GroupAndPictureBars::SetUp();
        bitmap.SetSize(Width, Height);
    }

    void paint(TQVTGanttBar& bar)
    {
        bitmap.Canvas().Brush() = TBrush{};
        bitmap.Canvas().FillRect(Rect(0, 0, Width, Height));
        TQVTCanvasVC vc(bitmap.Canvas());
        painted = bar.getDrawer(vtGanttGraph)->Draw(vc);
    }

    TColor at(int x, int y) { return bitmap.Pixel(x, y); }
    int y(int row) { return table().getRowStartY(row); }

    // Whether some pixel of r has the colour.
    bool anyIn(TRect r, TColor color)
    {
        for (int py = r.Top; py < r.Bottom; ++py)
            for (int px = r.Left; px < r.Right; ++px)
                if (at(px, py) == color)
                    return true;
        return false;
    }
    // Whether every pixel outside r is white.
    bool blankOutside(TRect r)
    {
        for (int py = 0; py < Height; ++py)
            for (int px = 0; px < Width; ++px)
                if ((px < r.Left || px >= r.Right || py < r.Top || py >= r.Bottom) && at(px, py) != clWhite)
                    return false;
        return true;
    }

    TBitmap bitmap;
    bool painted = false;
};

TEST_F(GroupAndPictureBarPainting, AMilestoneCentresItsPictureAtItsStartAndAnImageBarStretchesItsOverItsSpan)
{
    auto mark = std::dynamic_pointer_cast<TQVTMilestoneBar>(bar(1, 0));
    ASSERT_TRUE(mark);
    mark->FPictureResource->setGraphic(solidPicture(12, 12, clLime));
    paint(*mark);
    ASSERT_TRUE(painted);
    const int top = y(1) + 4; // (20 - 12) / 2
    expectPixels(bitmap, {{50, top, clLime}, {61, top + 11, clLime}});
    EXPECT_TRUE(blankOutside(Rect(50, top, 62, top + 12)));

    // A frame of 2 pixels around the picture, which keeps its size.
    mark->FSettings->borderThickness = 2;
    mark->FSettings->borderColor = clBlue;
    paint(*mark);
    expectPixels(bitmap, {{50, top, clBlue}, {51, top + 15, clBlue}, {52, top + 2, clLime}, {63, top + 13, clLime}});
    EXPECT_TRUE(blankOutside(Rect(50, top, 66, top + 16)));
    auto& drawer = dynamic_cast<TQVTGanttBarDrawer&>(*mark->getDrawer(vtGanttGraph));
    EXPECT_EQ(drawer.locateObject(65, top + 15), mark.get());
    EXPECT_EQ(drawer.locateObject(66, top + 15), nullptr);

    // Focused: the table's focus frame over the picture.
    mark->FFocused = true;
    table().FfocusedFrameColor = clRed;
    table().FFocusedFrameThickness = 3;
    paint(*mark);
    expectPixels(bitmap, {{52, top + 2, clRed}, {53, top + 3, clLime}});

    // An image bar stretches its picture over its span (20 pixels: twice its size).
    auto image = std::make_shared<TQVTImageBar>(102, 104, 0);
    row(4).AddBar(image);
    image->FPictureResource->setGraphic(solidPicture(10, 5, clLime));
    paint(*image);
    ASSERT_TRUE(painted);
    const int row4 = y(4);
    expectPixels(bitmap, {{20, row4, clLime}, {39, row4 + 9, clLime}});
    EXPECT_TRUE(blankOutside(Rect(20, row4, 40, row4 + 10)));

    image->FAutoStretch = false;
    image->FVerticalRowOffset = 3;
    paint(*image);
    EXPECT_TRUE(anyIn(Rect(20, row4 + 3, 30, row4 + 8), clLime));
    EXPECT_TRUE(blankOutside(Rect(20, row4 + 3, 30, row4 + 8)));
}

TEST_F(GroupAndPictureBarPainting, ATextBarWritesItsWrappedTextInItsBoxAndASummaryBarABracketOverItsOwnRow)
{
    auto settings = std::make_shared<TQVTTextSettings>();
    settings->SetColor(clYellow);
    text->FSettings = settings;
    text->FText = "Some words that wrap";
    text->FendDate = 110; // x 30 to 100
    paint(*text);
    ASSERT_TRUE(painted);
    const TRect box = Rect(30, y(3), 100, y(3) + 50);
    EXPECT_TRUE(blankOutside(box));
    expectPixels(bitmap, {{30, y(3) + 10, clBlack}, {98, y(3) + 48, clYellow}}); // the frame and the box
    EXPECT_TRUE(anyIn(Rect(31, y(3) + 1, 99, y(3) + 18), clBlack));              // the first line
    EXPECT_TRUE(anyIn(Rect(31, y(3) + 18, 99, y(3) + 49), clBlack));             // it wraps
    text->FText.clear();
    paint(*text);
    EXPECT_FALSE(anyIn(Rect(31, y(3) + 1, 99, y(3) + 49), clBlack));

    // While edited, the control follows the box.
    auto editor = text->DefaultEditor();
    editor->edit(text.get());
    text->FVerticalRowOffset = 4;
    paint(*text);
    EXPECT_EQ(text->getMemo().FBounds, Rect(30, y(3) + 4, 100, y(3) + 54));
    editor->FinishEditing();

    group->FColor = clRed;
    paint(*group);
    ASSERT_TRUE(painted);
    const int top = y(0);
    // [105, 111) is x 50 to 110; the strip is a quarter of the row, 5 pixels.
    expectPixels(bitmap, {{80, top, clRed}, {80, top + 4, clRed}, {80, top + 5, clWhite}, {49, top + 2, clWhite}});
    // The left and the right point, and the gap between them.
    expectPixels(bitmap, {{51, top + 7, clRed}, {108, top + 7, clRed}, {56, top + 7, clWhite}});
    EXPECT_TRUE(blankOutside(Rect(50, top, 111, top + 11)));
    auto& drawer = dynamic_cast<TQVTSummaryBarDrawer&>(*group->getDrawer(vtGanttGraph));
    EXPECT_EQ(drawer.lastRect, Rect(50, top, 110, top + 20));
    EXPECT_EQ(drawer.getRect(100), Rect(50, top, 110, y(3) + 20)); // over the whole group
    EXPECT_EQ(drawer.locateObject(60, top + 10), group.get());
    EXPECT_EQ(drawer.locateObject(60, top + 20), nullptr);

    // Outside the document's dates nothing is painted and nothing is found.
    document->setEndDate(104);
    paint(*group);
    EXPECT_FALSE(painted);
    EXPECT_TRUE(blankOutside(Rect(0, 0, 0, 0)));
    EXPECT_EQ(drawer.locateObject(60, top + 10), nullptr);
}

} // namespace
