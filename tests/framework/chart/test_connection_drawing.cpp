// Connection routes, arrows, colours and dashes on real pixels, and hit testing.

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/platform/Graphics.h"

#include "framework/chart/ChartFixture.h"
#include "support/PixelChecks.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr int Width = 400;
constexpr int Height = 200;
constexpr int ColumnWidth = 10; // one day is 10 pixels; the document starts on day 100
constexpr TColor ColorFF = 0x000080;
constexpr TColor ColorFS = 0x008000;
constexpr TColor ColorSF = 0x800000;
constexpr TColor ColorSS = 0x008080;
constexpr TColor Highlighted = 0x0000FF;
constexpr TColor Critical = 0xFF00FF;

// Work that the distance rules apply to, drawn over the whole row.
class WorkBar : public TQVTGanttBar {
public:
    using TQVTGanttBar::TQVTGanttBar;
    bool isSummarizable() const override { return true; }
};

std::shared_ptr<TQVTGanttBar> work(TDateTime start, TDateTime end, bool summarizable)
{
    return summarizable ? std::make_shared<WorkBar>(start, end, 0) : std::make_shared<TQVTGanttBar>(start, end, 0);
}

using Segment = TQVTBarConnectionDrawer::Segment;

class ConnectionDrawing : public ChartFixture {
protected:
    // Rows of 20 pixels holding spans[r]; distances apply only between summarizable bars.
    void plan(const std::vector<std::vector<std::pair<TDateTime, TDateTime>>>& spans, bool summarizable = true)
    {
        std::vector<RowPlan> rows;
        for (const auto& each : spans) {
            RowPlan row;
            for (const auto& [start, end] : each)
                row.bars.push_back(work(start, end, summarizable));
            rows.push_back(row);
        }
        build(rows);
        document->setEndDate(300);
        table().SetColumnWidth(ColumnWidth);
        document->FConnectionSettings = std::make_shared<TQVTConnectionSettings>();
        TQVTConnectionSettings& settings = *document->FConnectionSettings;
        settings.FColorFF = ColorFF;
        settings.FColorFS = ColorFS;
        settings.FColorSF = ColorSF;
        settings.FColorSS = ColorSS;
        settings.FColorHighlighted = Highlighted;
        table().FCriticalPathColor = Critical;
        bitmap.SetSize(Width, Height);
    }

    std::shared_ptr<TQVTBarConnection> link(int fromRow, int fromBar, int toRow, int toBar, int type)
    {
        auto c = connect(bar(fromRow, fromBar), bar(toRow, toBar));
        c->setConnType(type);
        return c;
    }

    TQVTBarConnectionDrawer& drawer(TQVTBarConnection& c)
    {
        return dynamic_cast<TQVTBarConnectionDrawer&>(*c.getDrawer(vtGanttGraph));
    }

    void paint(TQVTBarConnection& c)
    {
        bitmap.Canvas().Brush() = TBrush{};
        bitmap.Canvas().FillRect(Rect(0, 0, Width, Height));
        TQVTCanvasVC vc(bitmap.Canvas());
        EXPECT_TRUE(c.getDrawer(vtGanttGraph)->Draw(vc));
    }

    bool blank()
    {
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                if (bitmap.Pixel(x, y) != clWhite)
                    return false;
        return true;
    }

    int y(int row) { return table().getRowStartY(row); }
    int middle(int row) { return y(row) + 10; }
    TColor at(int x, int y) { return bitmap.Pixel(x, y); }

    TBitmap bitmap;
};

TEST_F(ConnectionDrawing, AForwardLinkLeavesTheEndEntersTheStartWithAnArrowAndLooksAsItsStateSays)
{
    plan({{{105, 110}}, {}, {{115, 120}}});
    auto c = link(0, 0, 2, 0, TQVTBarConnection::FinishToStart);
    paint(*c);
    const int yF = middle(0);
    const int yT = middle(2);
    const int midY = middle(1); // between the rows, past the origin bar
    const std::vector<Segment> expected{
        {yF, 100, yF, 110}, {yT, 140, yT, 150}, {yF, 110, midY, 110}, {midY, 140, yT, 140}, {midY, 110, midY, 140}};
    EXPECT_EQ(drawer(*c).segments, expected);
    // The arrow head (x 146) is wider than the line, just before the target's start.
    expectPixels(bitmap, {{105, yF, ColorFS}, {110, yF + 5, ColorFS}, {125, midY, ColorFS}, {140, yT - 3, ColorFS}});
    expectPixels(bitmap, {{145, yT, ColorFS}, {146, yT - 1, ColorFS}, {146, yT + 1, ColorFS}, {130, yT, clWhite}});

    // Hit testing: 4 pixels beside a line finds it, 5 pixels do not.
    const struct {
        int x, y;
        bool found;
    } probes[] = {{105, yF + 4, true}, {105, yF - 4, true},   {105, yF + 5, false},   {96, yF, true},
                  {95, yF, false},     {125, midY + 4, true}, {125, midY + 5, false}, {154, yT, true},
                  {155, yT, false},    {200, 150, false}};
    for (const auto& p : probes)
        EXPECT_EQ(drawer(*c).locateObject(p.x, p.y), p.found ? c.get() : nullptr) << p.x << "," << p.y;

    // Highlighted, then critical.
    drawer(*c).setHighlighted(true);
    paint(*c);
    EXPECT_EQ(at(125, midY), Highlighted);
    c->FCriticalElement = true;
    paint(*c);
    EXPECT_EQ(at(125, midY), Critical);
    c->FCriticalElement = false;
    drawer(*c).setHighlighted(false);

    // Solid while the distance holds, dashed while it is violated (5 days wanted, 5 given).
    const auto gaps = [&] {
        int white = 0;
        for (int x = 111; x < 140; ++x)
            white += at(x, midY) == clWhite ? 1 : 0;
        return white;
    };
    c->FMinDistance = 5;
    paint(*c);
    EXPECT_EQ(gaps(), 0);
    c->FMinDistance = 8;
    ASSERT_NE(c->findViolationOffset(), 0);
    paint(*c);
    EXPECT_GT(gaps(), 0);
    EXPECT_EQ(at(112, midY), ColorFS);

    // An origin scrolled out at the top is reached from above the rows.
    c->FMinDistance = 0;
    c->setConnType(TQVTBarConnection::StartToStart);
    table().SetScrolledLines(1);
    paint(*c);
    const auto& segments = drawer(*c).segments;
    ASSERT_FALSE(segments.empty());
    EXPECT_EQ(segments.front().minY, -10);  // the origin's stub above the rows
    EXPECT_EQ(at(145, middle(2)), ColorSS); // the arrowed stub into the target's start
    EXPECT_EQ(at(40, 5), ColorSS);          // the leg coming down from the top
    EXPECT_EQ(at(50, 5), clWhite);
}

TEST_F(ConnectionDrawing, AnAdjoiningTargetGetsAStubOntoItsEdgeAndHiddenOrOutOfRangeConnectionsDrawNothing)
{
    plan({{{105, 110}}, {{110, 115}}, {{90, 95}}});
    auto down = link(0, 0, 1, 0, TQVTBarConnection::FinishToStart);
    paint(*down);
    const std::vector<Segment> downward{{middle(0), 100, middle(0), 110}, {middle(0), 110, y(1), 110}};
    EXPECT_EQ(drawer(*down).segments, downward);
    // The line down, and the arrow head above the target's top edge.
    expectPixels(bitmap, {{110, middle(0) + 5, ColorFS}, {109, y(1) - 2, ColorFS}, {111, y(1) - 2, ColorFS}});

    // Target above: onto its bottom edge.
    auto up = link(2, 0, 1, 0, TQVTBarConnection::FinishToStart);
    bar(2, 0)->FendDate = 110;
    paint(*up);
    ASSERT_EQ(drawer(*up).segments.size(), 2u);
    EXPECT_EQ(drawer(*up).segments[1].minY, y(2));
    EXPECT_EQ(at(110, middle(2) - 5), ColorFS);

    plan({{{105, 110}, {112, 114}}, {}, {{115, 120}}});
    auto sameRow = link(0, 0, 0, 1, TQVTBarConnection::FinishToStart);
    paint(*sameRow);
    EXPECT_TRUE(blank());
    EXPECT_TRUE(drawer(*sameRow).segments.empty());
    EXPECT_EQ(drawer(*sameRow).locateObject(105, middle(0)), nullptr);

    auto c = link(0, 0, 2, 0, TQVTBarConnection::FinishToStart);
    document->FConnectionSettings->FShowConnections = false;
    paint(*c);
    EXPECT_TRUE(blank());
    document->FConnectionSettings->FShowConnections = true;

    document->setEndDate(104); // both bars start after the last date shown
    paint(*c);
    EXPECT_TRUE(blank());
    document->setEndDate(300);

    row(0).setCollapsed(true);
    row(2).setCollapsed(true);
    paint(*c);
    EXPECT_TRUE(blank());
    row(0).setCollapsed(false);
    row(2).setCollapsed(false);

    auto self = link(2, 0, 2, 0, TQVTBarConnection::FinishToStart);
    self->FDrawOnSingleRow = true;
    paint(*self);
    EXPECT_TRUE(blank());
    paint(*c);
    EXPECT_FALSE(blank());
}

TEST_F(ConnectionDrawing, EveryKindRoutesInItsColourWithAnArrowIntoTheTargetAndCountsWorkingDaysWhenAsked)
{
    const TColor colors[] = {ColorFF, ColorFS, ColorSF, ColorSS};
    struct Layout {
        int fromRow, toRow;
        bool singleRow;
    };
    // Row 0: [104, 108); row 1: [102, 104) and [113, 117); row 2: [120, 126).
    const Layout layouts[] = {{0, 2, false}, {2, 0, false}, {1, 1, true}, {2, 1, false}};
    for (const Layout& layout : layouts)
        for (int type = 0; type < 4; ++type) {
            SCOPED_TRACE("rows " + std::to_string(layout.fromRow) + "->" + std::to_string(layout.toRow) + " type " +
                         std::to_string(type));
            // Backward links violate their distance and are dashed; these bars have none.
            plan({{{104, 108}}, {{102, 104}, {113, 117}}, {{120, 126}}}, false);
            const int toBar = layout.singleRow || layout.toRow == 1 ? 1 : 0;
            auto c = link(layout.fromRow, 0, layout.toRow, toBar, type);
            c->FDrawOnSingleRow = layout.singleRow;
            paint(*c);
            const auto& segments = drawer(*c).segments;
            ASSERT_FALSE(segments.empty());
            // Every line is painted in the kind's colour and found 4 pixels beside its middle.
            for (const Segment& s : segments) {
                const int mx = (s.minX + s.maxX) / 2;
                const int my = (s.minY + s.maxY) / 2;
                if (s.minX != s.maxX || s.minY != s.maxY) {
                    EXPECT_EQ(at(mx, my), colors[type]) << mx << "," << my;
                }
                const bool horizontal = s.minY == s.maxY;
                EXPECT_EQ(drawer(*c).locateObject(horizontal ? mx : mx + 4, horizontal ? my + 4 : my), c.get());
            }
            // The line ends at the target's end, entering from outside with a head.
            const TRect rt = c->barTo->getRect(100);
            const bool targetIsStart = (type & 1) != 0;
            const int tip = targetIsStart ? rt.Left : rt.Right;
            const int back = targetIsStart ? -4 : 4;
            const int yT = middle(layout.toRow);
            EXPECT_EQ(at(tip + back, yT - 1), colors[type]);
            EXPECT_EQ(at(tip + back, yT + 1), colors[type]);
            EXPECT_EQ(at(tip + (targetIsStart ? -7 : 7), yT), colors[type]); // the stub
            // The origin's stub leaves its end outward.
            const TRect rf = c->barFrom->getRect(100);
            const bool originIsStart = (type & 2) != 0;
            const int from = originIsStart ? rf.Left - 5 : rf.Right + 5;
            EXPECT_EQ(at(from, middle(layout.fromRow)), colors[type]);
        }

    // Day 100 is a Monday. A ends on Wednesday evening; B starts on Thursday.
    plan({{{100, 103}}, {{103, 104}}});
    document->Fcalendar->addDateCategory(std::make_shared<TQVTWeekendsDateCategory>());
    auto c = link(0, 0, 1, 0, TQVTBarConnection::FinishToStart);
    c->FMinDistance = 3;
    TQVTGanttBar& b = *bar(1, 0);

    // Three working days from Thursday end on Monday evening; three calendar days on Saturday.
    c->FWorkingDays = true;
    EXPECT_EQ(c->findViolationOffset(), 3);
    auto moves = document->resolveDistanceViolations(bar(0, 0).get());
    ASSERT_EQ(moves->count(), 1);
    EXPECT_EQ(b.getStartDate(), 108);
    ASSERT_TRUE(moves->undo());

    c->FWorkingDays = false;
    EXPECT_EQ(c->findViolationOffset(), 3);
    moves = document->resolveDistanceViolations(bar(0, 0).get());
    ASSERT_EQ(moves->count(), 1);
    EXPECT_EQ(b.getStartDate(), 106);
    EXPECT_EQ(c->findViolationOffset(), 0) << "the weekend counts";
    c->FWorkingDays = true;
    EXPECT_EQ(c->findViolationOffset(), 1) << "the weekend does not count";

    // Without a distance only a backward link is violated, unless fixed: then the gap counts too.
    c->FMinDistance = 0;
    EXPECT_EQ(c->findViolationOffset(), 0);
    c->FDistanceFixed = true;
    EXPECT_EQ(c->findViolationOffset(), -2);
    c->FDistanceFixed = false;
    b.FstartDate = 102;
    EXPECT_EQ(c->findViolationOffset(), 1) << "B starts a working day before A ends";
}

} // namespace
