// PERT boxes: values, moves, places, connections and their operations, files, pixels.

#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/pert/qvtPertBarDrawer.h"
#include "corvane/framework/pert/qvtPertConnections.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/platform/Graphics.h"

#include "../chart/ChartFixture.h"
#include "support/PixelChecks.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

std::shared_ptr<TQVTGanttBar> task(TDateTime start, TDateTime end)
{
    return std::make_shared<TQVTTaskBar>(start, end, 0);
}

class PertBoxes : public ChartFixture {
protected:
    TQVTPertBar& box(int r) { return *row(r).FPertBar; }
    void threeBoxes()
    {
        build({{0, {task(200, 202)}, true}, {0, {task(203, 205)}, true}, {0, {task(206, 208)}, true}});
        document->FDataSource = &hooks;
        // Saving fills the task bars' end caches; the first snapshot must see them filled.
        snapshot();
    }
    std::shared_ptr<TQVTBarConnection> pertLink(int from, int to, int type = 0)
    {
        return std::make_shared<TQVTBarConnection>(row(from).FPertBar, row(to).FPertBar, type);
    }
};

TEST_F(PertBoxes, UpdateRangeShowsInclusiveDaysAndAveragesProgress)
{
    auto a = task(200, 205);
    auto b = task(201, 210);
    a->FProgress = 30;
    b->FProgress = 61;
    build({{0, {a, b}, true}, {0, {}, true}});
    EXPECT_EQ(box(0).FstartDate, 200);
    EXPECT_EQ(box(0).FendDate, 209); // ends at midnight of the 10th: the 9th is the last day
    EXPECT_EQ(box(0).FProgress, 45);
    EXPECT_TRUE(box(0).FHasTaskBar);
    // A row without task bars keeps its scheduling values and has no progress.
    box(1).FESTime = 5;
    box(1).FProgress = 70;
    box(1).UpdateRange();
    EXPECT_EQ(box(1).FESTime, 5);
    EXPECT_EQ(box(1).FProgress, 0);
    EXPECT_FALSE(box(1).FHasTaskBar);
}

TEST_F(PertBoxes, MovesSnapToTheGridUndoRestoresThemAndTheKindDecidesTheRectangle)
{
    threeBoxes();
    const std::string before = snapshot();
    auto move = box(2).moveTo(103.4, 57);
    ASSERT_TRUE(move);
    ASSERT_TRUE(move->perform());
    EXPECT_TRUE(box(2).Fx == 100 && box(2).Fy == 60);
    EXPECT_EQ(table().getZOrder(&row(2)), 0);
    ASSERT_TRUE(move->undo());
    EXPECT_EQ(snapshot(), before);
    // A box outside a row cannot be moved.
    auto loose = std::make_shared<TQVTPertBar>();
    EXPECT_FALSE(TQVTPertBarMoveOperation(nullptr, loose, 20, 20).perform());

    box(0).Fx = 40;
    box(0).Fy = 60;
    EXPECT_EQ(box(0).getDrawer(vtPertGraph)->getRect(), (TRect{40, 60, 240, 210})); // time area: +50
    box(0).SetPertType(qvtpbtNoTimeSpan);
    EXPECT_EQ(box(0).getDrawer(vtPertGraph)->getRect(), (TRect{40, 60, 240, 160}));
    box(0).FAdditionalSections = {std::make_shared<TQVTPertBarSection>(), std::make_shared<TQVTPertBarSection>()};
    EXPECT_EQ(box(0).getDrawer(vtPertGraph)->getRect(), (TRect{40, 60, 240, 200}));
    TQVTFakePertBar fake(30, 40);
    EXPECT_EQ(fake.getDrawer(vtPertGraph)->getRect(), (TRect{30, 40, 30, 40}));
}

TEST_F(PertBoxes, NewBoxesGoToTheFirstFreeCellOfGrowingRings)
{
    build({{0, {}, false}, {0, {}, false}, {0, {}, false}});
    TPoint p;
    table().FindEmptyPertPlace(p);
    EXPECT_EQ(p, (TPoint{40, 37})); // cells of 280 x 175: the centre of cell (0, 0)
    const auto place = [&](int r, TPoint at) {
        row(r).FPertBar = TQVTPertBar::Create(at.X, at.Y, nullptr);
        row(r).FPertBar->setParent(&row(r));
    };
    place(0, p);
    table().FindEmptyPertPlace(p);
    EXPECT_EQ(p, (TPoint{320, 37})); // ring 1 starts with column 1, row 0
    place(1, p);
    table().FindEmptyPertPlace(p);
    EXPECT_EQ(p, (TPoint{40, 212})); // then row 1 from the left
    // A huge box from a file is clamped, and the search still ends.
    place(2, TPoint{0, 0});
    row(2).FPertBar->applySettings(TQVTPertBarSettings{});
    row(2).FPertBar->FSettings->setWidth(1 << 30);
    EXPECT_EQ(row(2).FPertBar->FSettings->FWidth, TQVTPertBarSettings::MaxSize);
    table().FindEmptyPertPlace(p);
    EXPECT_EQ(p, (TPoint{40, 212}));
}

TEST_F(PertBoxes, TheListKeepsOneEntryPerPairOfBoxes)
{
    threeBoxes();
    auto ab = pertLink(0, 1);
    EXPECT_TRUE(table().addPertConnection(ab));
    EXPECT_FALSE(table().addPertConnection(pertLink(0, 1)));
    EXPECT_FALSE(table().addPertConnection(pertLink(1, 0))); // the reverse makes the entry two-way
    EXPECT_EQ(table().GetPertConnectionsCount(), 1);
    EXPECT_EQ(ab->getConnType(), 1);
    EXPECT_EQ(table().findPertBarsConnection(&row(1), &row(0)), ab.get());
    EXPECT_TRUE(box(1).connectionTo(&box(0)));
    // Deleting one direction leaves the other.
    EXPECT_TRUE(table().removePertConnection(pertLink(0, 1).get()));
    EXPECT_EQ(table().GetPertConnectionsCount(), 1);
    EXPECT_EQ(ab->barFrom, row(1).FPertBar);
    EXPECT_EQ(box(1).outgoingConnections(), std::vector<TQVTPertBar*>{&box(0)});
    EXPECT_TRUE(box(0).outgoingConnections().empty());
    EXPECT_FALSE(table().removePertConnection(pertLink(0, 1).get()));
    EXPECT_TRUE(table().removePertConnection(pertLink(1, 0).get()));
    EXPECT_EQ(table().GetPertConnectionsCount(), 0);
}

TEST_F(PertBoxes, AddingMirrorsAFinishToStartConnectionAndUndoTakesBackOnlyThat)
{
    threeBoxes();
    const std::string before = snapshot();
    TQVTPertConnectionAddOperation add(&hooks, pertLink(0, 1));
    ASSERT_TRUE(add.perform());
    ASSERT_EQ(document->countConnections(), 1);
    EXPECT_EQ(document->getConnection(0)->barFrom, bar(0, 0));
    EXPECT_EQ(document->getConnection(0)->getConnType(), TQVTBarConnection::FinishToStart);
    const std::string after = snapshot();
    // A duplicate is refused and changes nothing.
    TQVTPertConnectionAddOperation again(&hooks, pertLink(0, 1));
    EXPECT_FALSE(again.perform());
    EXPECT_FALSE(again.undo());
    EXPECT_EQ(snapshot(), after);
    ASSERT_TRUE(add.undo());
    EXPECT_EQ(snapshot(), before);
    ASSERT_TRUE(add.perform());
    EXPECT_EQ(snapshot(), after);
    // Rows already connected get only the PERT entry.
    connect(bar(1, 0), bar(2, 0));
    TQVTPertConnectionAddOperation known(&hooks, pertLink(1, 2));
    ASSERT_TRUE(known.perform());
    EXPECT_EQ(document->countConnections(), 2);
    // A placeholder box or a box outside a row is never added.
    auto fake = std::make_shared<TQVTFakePertBar>(0, 0);
    EXPECT_FALSE(TQVTPertConnectionAddOperation(&hooks, std::make_shared<TQVTBarConnection>(row(0).FPertBar, fake, 0))
                     .perform());
}

TEST_F(PertBoxes, VetoedMirrorsLeaveEverythingAsItWas)
{
    threeBoxes();
    const std::string before = snapshot();
    hooks.OnBeforeConnectionAdd = [](TQVTBarConnection*, bool& cancel) { cancel = true; };
    TQVTPertConnectionAddOperation add(&hooks, pertLink(0, 1));
    EXPECT_FALSE(add.perform());
    EXPECT_EQ(snapshot(), before);
    hooks.OnBeforeConnectionAdd = nullptr;
    ASSERT_TRUE(add.perform());
    // Two mirrored connections in a two-way pair; the second deletion is vetoed.
    TQVTPertConnectionAddOperation back(&hooks, pertLink(1, 0));
    ASSERT_TRUE(back.perform());
    ASSERT_EQ(document->countConnections(), 2);
    const std::string linked = snapshot();
    int asked = 0;
    hooks.OnBeforeConnectionDelete = [&asked](TQVTBarConnection*, bool& cancel) { cancel = ++asked == 2; };
    TQVTPertConnectionDeleteOperation both(&hooks, pertLink(0, 1, 1));
    EXPECT_FALSE(both.perform());
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(snapshot(), linked);
    hooks.OnBeforeConnectionDelete = nullptr;
    ASSERT_TRUE(both.perform());
    EXPECT_EQ(document->countConnections(), 0);
    EXPECT_EQ(table().GetPertConnectionsCount(), 0);
    ASSERT_TRUE(both.undo());
    EXPECT_EQ(snapshot(), linked);
    // Nothing matches a pair that is not connected.
    TQVTPertConnectionDeleteOperation none(&hooks, pertLink(0, 2));
    EXPECT_FALSE(none.perform());
    EXPECT_EQ(snapshot(), linked);
}

TEST_F(PertBoxes, BoxesSectionsAndConnectionsSurviveAFile)
{
    threeBoxes();
    box(0).Fx = 120;
    box(0).Fy = 80;
    box(0).SetPertType(qvtpbtNoTimeSpan);
    box(0).applySettings(TQVTPertBarSettings{});
    box(0).FSettings->FBorderColor = 0x123456;
    box(0).FSettings->setWidth(150);
    box(0).FMainSection = std::make_shared<TQVTPertBarSection>(nullptr, &box(0));
    box(0).FMainSection->FText = "Main";
    box(0).FTopSection = std::make_shared<TQVTPertBarSection>(nullptr, &box(0));
    box(0).FTopSection->FText = "Top";
    box(0).FAdditionalSections = {std::make_shared<TQVTPertBarSection>(nullptr, &box(0))};
    box(0).FAdditionalSections[0]->FText = "More";
    box(0).FTextHalo = std::make_shared<TQVTTextHalo>();
    box(0).FTextHalo->TextTop = "Owner";
    box(0).FTextHalo->setParent(&box(0));
    table().addPertConnection(pertLink(0, 1));
    table().addPertConnection(pertLink(2, 1));
    const std::string file = readFile(saveToFile(document));
    auto loaded = std::dynamic_pointer_cast<TQVTGanttDocument>(loadFile(saveToFile(document)));
    ASSERT_TRUE(loaded);
    TQVTGanttTable& t = *loaded->Ftable;
    const TQVTPertBar& b = *t.FRows[0]->FPertBar;
    EXPECT_TRUE(b.Fx == 120 && b.Fy == 80 && b.getPertType() == qvtpbtNoTimeSpan);
    ASSERT_TRUE(b.FSettings && b.FMainSection && b.FTopSection && b.FTextHalo);
    EXPECT_TRUE(b.FSettings->FBorderColor == 0x123456u && b.FSettings->FWidth == 150);
    ASSERT_EQ(b.FAdditionalSections.size(), 1u);
    EXPECT_EQ(b.FMainSection->FText + b.FTopSection->FText + b.FAdditionalSections[0]->FText, "MainTopMore");
    EXPECT_EQ(b.FTextHalo->TextTop, "Owner");
    ASSERT_EQ(t.GetPertConnectionsCount(), 2);
    EXPECT_EQ(t.FRows[1]->FPertBar->incomingConnections().size(), 2u);
    EXPECT_EQ(readFile(saveToFile(loaded)), file);
}

// ---- pixels ----

constexpr int Width = 300;
constexpr int Height = 220;

class PertBoxPixels : public PertBoxes {
protected:
    void paint(TQVTPertBar& b)
    {
        bitmap.SetSize(Width, Height);
        bitmap.Canvas().Brush() = TBrush{};
        bitmap.Canvas().FillRect(Rect(0, 0, Width, Height));
        TQVTCanvasVC vc(bitmap.Canvas());
        ASSERT_TRUE(b.getDrawer(vtPertGraph)->Draw(vc));
    }
    TBitmap bitmap;
};

TEST_F(PertBoxPixels, ABoxIsFramedFilledAndShowsItsProgress)
{
    threeBoxes();
    TQVTPertBar& b = box(0);
    b.Fx = 10;
    b.Fy = 10;
    b.applySettings(TQVTPertBarSettings{});
    b.FSettings->FBorderColor = 0x800000;
    b.FSettings->setBorderThickness(3);
    b.FProgress = 50;
    b.FDetailed = false;
    paint(b);
    // Frame of 3 pixels, white inside, the box 200 x 100 at (10, 10).
    expectPixels(bitmap, {{10, 10, 0x800000u}, {12, 60, 0x800000u}, {209, 109, 0x800000u}, {210, 110, clWhite}});
    // The progress strip in the lowest fifth: red over half the inner width.
    expectPixels(bitmap, {{150, 75, clWhite}, {40, 100, 0x0000FFu}, {150, 100, clWhite}});
    EXPECT_EQ(table().getMaxPertCoords(), (TPoint{210, 110}));
    EXPECT_EQ(b.getDrawer(vtPertGraph)->locateObject(100, 50), &b);
    // A summary box takes the summary colour; a finished one the finished colour.
    b.FIsSummary = true;
    b.FProgress = 100;
    paint(b);
    expectPixels(bitmap, {{150, 75, 0x00FFFFu}, {150, 100, 0x008000u}});
}

TEST_F(PertBoxPixels, DetailedBoxesGrowByTheirTimeArea)
{
    threeBoxes();
    TQVTPertBar& b = box(0);
    b.applySettings(TQVTPertBarSettings{});
    b.FSettings->FBackGroundColor = 0xE0E0E0;
    paint(b);
    // Grey down to the grown bottom (150), white below; the grid's lines in the border colour.
    expectPixels(bitmap, {{25, 140, 0xE0E0E0u}, {25, 151, clWhite}, {2 + 49, 130, 0u}});
}

TEST_F(PertBoxPixels, ConnectorsJoinFacingSidesAndPointIntoTheTarget)
{
    threeBoxes();
    TQVTPertBarSettings small;
    small.setWidth(60);
    small.setHeight(40);
    small.setBorderThickness(2);
    const auto place = [&](int r, int x, int y) {
        box(r).applySettings(small);
        box(r).FDetailed = false; // the base size, without the time area
        box(r).Fx = x;
        box(r).Fy = y;
    };
    place(0, 10, 10);  // (10, 10)-(70, 50)
    place(1, 150, 30); // to the right, sharing some height: (150, 30)-(210, 70)
    place(2, 20, 150); // below the first: (20, 150)-(80, 190)
    document->FConnectionSettings = std::make_shared<TQVTConnectionSettings>();
    document->FConnectionSettings->FColorFF = 0x800000; // type 0 PERT links
    document->FConnectionSettings->FColorFS = 0x008000; // type 1, both ways
    bitmap.SetSize(Width, Height);
    const auto paintLink = [&](TQVTBarConnection& c) {
        c.setParent(&table());
        for (int r = 0; r < 3; ++r)
            box(r).getDrawer(vtPertGraph)->getRect(); // boxes need not be painted for their places
        bitmap.Canvas().Brush() = TBrush{};
        bitmap.Canvas().FillRect(Rect(0, 0, Width, Height));
        TQVTCanvasVC vc(bitmap.Canvas());
        ASSERT_TRUE(c.getDrawer(vtPertGraph)->Draw(vc));
    };
    using Segment = TQVTBarConnectionDrawer::Segment;

    // Side by side: out of the right side at the origin's middle, across at the middle x, into
    // the target's left side outside its border.
    auto across = pertLink(0, 1);
    paintLink(*across);
    const auto& sideways = dynamic_cast<TQVTBarConnectionPertDrawer&>(*across->getDrawer(vtPertGraph));
    const std::vector<Segment> expectedAcross{{30, 70, 30, 109}, {30, 109, 50, 109}, {50, 109, 50, 148}};
    EXPECT_EQ(sideways.segments, expectedAcross);
    // The arrow head is wider than the line.
    expectPixels(bitmap, {{90, 30, 0x800000u}, {109, 40, 0x800000u}, {146, 49, 0x800000u}, {146, 51, 0x800000u}});
    EXPECT_EQ(across->getDrawer(vtPertGraph)->locateObject(109, 44), across.get());
    EXPECT_EQ(across->getDrawer(vtPertGraph)->locateObject(130, 40), nullptr);

    // One above the other, both ways: an arrow into each box's facing side.
    auto down = pertLink(0, 2, 1);
    paintLink(*down);
    const auto& vertical = dynamic_cast<TQVTBarConnectionPertDrawer&>(*down->getDrawer(vtPertGraph));
    const std::vector<Segment> expectedDown{{50, 40, 99, 40}, {99, 40, 99, 50}, {99, 50, 148, 50}};
    EXPECT_EQ(vertical.segments, expectedDown);
    // The line, the head pointing into the origin and the one pointing into the target.
    expectPixels(bitmap, {{40, 75, 0x008000u}, {39, 52, 0x008000u}, {49, 146, 0x008000u}, {51, 146, 0x008000u}});

    // A link to a box without a painter, or to itself, draws nothing.
    auto self = pertLink(0, 0);
    paintLink(*self);
    EXPECT_TRUE(dynamic_cast<TQVTBarConnectionPertDrawer&>(*self->getDrawer(vtPertGraph)).segments.empty());
}

} // namespace
