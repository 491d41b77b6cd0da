// The chart's painters on real pixels, and visible-only painting against a walk over everything.

#include "corvane/framework/chart/qvtChartDrawers.h"
#include "corvane/framework/chart/qvtResources.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/time/qvtDateException.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/Graphics.h"

#include "framework/chart/ChartFixture.h"
#include "support/PixelChecks.h"
#include "support/ReferencePicture.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr int Width = 400;
constexpr int Height = 300;
constexpr int TreeWidth = 40;
constexpr int Column = 10; // pixels a day; the chart starts on day 100 at x = TreeWidth
constexpr TColor Base = 0xF0F0F0;
constexpr TColor Grid = 0x808080;
constexpr TColor Focused = 0x30A030;
constexpr TColor Selected = 0xC56AC5;
constexpr TColor NoColor = 0x1FFFFFFF;

// Paints nothing and answers `answer` left of `reach`: the tree's painting is the task table's.
class BareTree : public TQVTTreeGrid {
public:
    TQVTGanttObject* answer = nullptr;
    int reach = 0;

protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
};

class StubTreeDrawer : public TQVTDrawer {
public:
    explicit StubTreeDrawer(const BareTree& tree) : tree(tree) {}
    bool Draw(TQVTVisualContext&) override { return true; }
    TQVTGanttObject* locateObject(int x, int) override { return x < tree.reach ? tree.answer : nullptr; }
    const BareTree& tree;
};

std::unique_ptr<TQVTDrawer> BareTree::makeDrawer() const
{
    return std::make_unique<StubTreeDrawer>(*this);
}

std::shared_ptr<TQVTTaskBar> task(TDateTime start, TDateTime end)
{
    return std::make_shared<TQVTTaskBar>(start, end, 0);
}

std::unique_ptr<TBitmap> blank(int width, int height)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(width, height);
    bitmap->Canvas().Brush() = TBrush{clWhite, bsSolid};
    bitmap->Canvas().FillRect(Rect(0, 0, width, height));
    return bitmap;
}

// The plain walk over every row, day, date, label and connection, as reference for the painters.
class LiteralPainter {
public:
    LiteralPainter(TQVTGanttDocument& document, TQVTVisualContext& vc) : doc(document), table(*document.Ftable), vc(vc)
    {
    }

    void paint()
    {
        const TRect visible = vc.getVisibleArea();
        const bool clipped = table.FWidth > 0;
        if (clipped)
            vc.SetClipRect(TRect{doc.getColStartX(0), visible.Top, visible.Right, visible.Bottom});
        paintTable();
        if (doc.FDrawConnections)
            for (const auto& c : doc.connections)
                c->getDrawer(vtGanttGraph)->Draw(vc);
        if (clipped)
            vc.ResetClipRect();
    }

    // Rows 0 .. last visible, shown ones, top first, then every connection.
    TQVTGanttObject* locate(int x, int y)
    {
        for (int i = 0; i <= lastVisible(); ++i)
            if (shown(i))
                if (TQVTGanttObject* found = table.getRow(i)->getDrawer(vtGanttGraph)->locateObject(x, y))
                    return found;
        for (const auto& c : doc.connections)
            if (TQVTGanttObject* found = c->getDrawer(vtGanttGraph)->locateObject(x, y))
                return found;
        return nullptr;
    }

private:
    int lastVisible()
    {
        int i = 0;
        while (i < table.countRows() - 1 && table.getRowStartY(i) <= vc.getVisibleArea().Bottom)
            ++i;
        return i;
    }
    bool shown(int i)
    {
        const TQVTTreeRow* tr = doc.FTree->getRow(i);
        return table.getRow(i)->IsVisible() && tr && !tr->FHidden;
    }
    TColor rowColor(int i)
    {
        const TQVTTreeRow* tr = doc.FTree->getRow(i);
        static const TQVTTreeRowSettings defaults;
        const TQVTTreeRowSettings& s = tr->Fsettings ? *tr->Fsettings : defaults;
        return table.getRow(i)->IsGroup() ? s.FGroupColor : s.FColor;
    }
    int x(TDateTime t)
    {
        return doc.getColStartX(0) + static_cast<int>(std::nearbyint(table.GetColumnWidth() *
                                                                     doc.Fcalendar->RealDiff(t, doc.getStartDate())));
    }
    TRect rowRect(int i)
    {
        const int top = table.getRowStartY(i);
        return TRect{area.Left, top, area.Right, top + table.getRow(i)->getHeight()};
    }
    template <typename F>
    void eachCategoryDay(F f)
    {
        TQVTDocumentCalendar& cal = *doc.Fcalendar;
        for (TDateTime d = doc.getStartDate(); d <= doc.getEndDate(); d = cal.Next(d))
            if (const TQVTDateCategory* c = cal.matchCategory(d, -1, tmNone); c && c->getVisible()) {
                const int left = area.Left + cal.Diff(d, doc.getStartDate()) * table.GetColumnWidth();
                f(d, TRect{left, area.Top, left + table.GetColumnWidth(), area.Bottom}, c->getColor());
            }
    }
    void line(TDateTime date, TPenStyle style, TColor color, int width)
    {
        vc.setPenStyle(style);
        vc.setDrawingColor(color);
        vc.setPenWidth(1);
        const int lx = x(date);
        for (int k = 1; k <= width; ++k)
            vc.drawLine(lx + k - 1, area.Top, lx + k - 1, area.Bottom);
        vc.setPenStyle(psSolid);
    }

    void paintTable()
    {
        area = vc.getVisibleArea();
        area.Left = doc.getColStartX(0);
        area.Top = std::max(area.Top, doc.GetTableStartY());
        vc.FillArea(area, table.FBaseColor, bsSolid);
        const int last = lastVisible();
        for (int i = last; i >= 0; --i)
            if (shown(i))
                vc.FillArea(rowRect(i), rowColor(i), bsSolid);
        if (table.FShowDateExceptions)
            eachCategoryDay([&](TDateTime, TRect r, TColor c) { vc.FillArea(r, c, bsSolid); });
        for (int i = last; i >= 0; --i) {
            if (!shown(i))
                continue;
            if (table.getRow(i)->FSelected)
                vc.FillArea(rowRect(i), doc.FTree->FSelectedRowColor, bsSolid);
            if (table.getRow(i)->FFocused)
                vc.FillArea(rowRect(i), doc.FTree->FFocusedRowColor, bsSolid);
        }
        vc.setDrawingColor(table.FGridColor);
        vc.setPenWidth(1);
        vc.setPenStyle(psSolid);
        int y = doc.GetTableStartY();
        for (int i = 0; i <= last && y < area.Bottom; ++i)
            if (shown(i)) {
                y += table.getRow(i)->getHeight();
                vc.drawLine(area.Left, y, area.Right, y);
            }
        if (table.FShowDateLines)
            for (int lx = area.Left; lx < area.Right; lx += table.GetColumnWidth())
                vc.drawLine(lx, area.Top, lx, area.Bottom);
        eachCategoryDay([&](TDateTime d, TRect r, TColor) {
            vc.setFont("Arial", 14, clWhite, true, true, false, 0);
            vc.centerTextVertical(r, doc.Fcalendar->getDateLabel(d, tmNone));
        });
        if (table.FCurrentDateLine.Visible)
            line(Now(), table.FCurrentDateLine.PenStyle, table.FCurrentDateLine.Color, table.FCurrentDateLine.PenWidth);
        for (const TQVTUserDefinedDateLine* l : {&table.FDateLine, &table.FDateLine2})
            if (l->Visible) {
                line(l->Date, l->PenStyle, l->Color, l->PenWidth);
                if (!l->Caption.empty()) {
                    vc.setFont("Arial", 7, l->Color, false, false, false, 0);
                    const int lx = x(l->Date);
                    vc.centerTextVertical(TRect{lx + l->PenWidth, area.Top, lx + l->PenWidth + 21, area.Bottom},
                                          l->Caption);
                }
            }
        vc.SetClipRect(area);
        for (int i = last; i >= 0; --i)
            if (shown(i))
                drawBack(i);
        for (int i = last; i >= 0; --i)
            if (shown(i))
                drawRow(i);
        vc.ResetClipRect();
    }

    void drawBack(int i)
    {
        TQVTGanttRow& row = *table.getRow(i);
        TColor color = rowColor(i);
        if (row.FSelected)
            color = doc.FTree->FSelectedRowColor;
        if (row.FFocused)
            color = doc.FTree->FFocusedRowColor;
        const int top = table.getRowStartY(i);
        for (const TDateTime b : row.BlockedDates) {
            const int w = static_cast<int>(std::nearbyint(table.GetColumnWidth() * doc.Fcalendar->RealDiff(b + 1, b)));
            vc.FillArea(TRect{x(b) + 1, top + 1, x(b) + w, top + row.getHeight()}, color, bsSolid);
        }
    }

    void drawRow(int i)
    {
        TQVTGanttRow& row = *table.getRow(i);
        const int top = table.getRowStartY(i);
        vc.setFont("Arial", 8, clBlack, true, false, false, 0);
        for (TRessourceInformation& label : row.FRessourceInformations) {
            const int left = x(label.StartDate + 1);
            const TRect r{
                left + 1, top + 1,
                left + static_cast<int>(std::nearbyint(
                           table.GetColumnWidth() * doc.Fcalendar->RealDiff(label.EndDate + 1, label.StartDate + 1))),
                top + row.getHeight()};
            label.lastRect = TRect{r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
            if (label.BackGroundColor != NoColor && r.Right > r.Left)
                vc.FillArea(r, label.BackGroundColor, bsSolid);
            vc.setFont("Arial", 8, clBlack, false, false, false, 0);
            if (label.Mode == 0) {
                vc.centerText(r, label.Text1, true);
            } else {
                const int mid = r.Top + (r.Bottom - r.Top) / 2;
                vc.centerText(TRect{r.Left, r.Top, r.Right, mid}, label.Text1, true);
                vc.centerText(TRect{r.Left, mid + 1, r.Right, r.Bottom}, label.Text2, true);
                vc.setDrawingColor(table.FGridColor);
                vc.drawLine(r.Left, mid, r.Right, mid);
            }
        }
        if (row.FRowLabelMode > 0) {
            const int left = doc.getColStartX(0);
            const TRect r{left + 1, top + 1, left + table.GetColumnWidth(), top + row.getHeight()};
            vc.setFont("Arial", 8, 0x6E6E6E, false, false, false, 0);
            vc.FillArea(r, rowColor(i), bsSolid);
            const int mid = r.Top + (r.Bottom - r.Top) / 2;
            if (row.FRowLabelMode == 1)
                vc.centerText(r, row.FRowUpperLabel, true);
            else if (row.FRowLabelMode == 2) {
                vc.centerText(TRect{r.Left, r.Top, r.Right, mid}, row.FRowUpperLabel, true);
                vc.centerText(TRect{r.Left, mid + 1, r.Right, r.Bottom}, row.FRowLowerLabel, true);
            }
        }
        const auto shadow = [](TQVTGanttBar* b) { return dynamic_cast<TQVTShadowTaskBar*>(b) != nullptr; };
        for (const auto& b : row.FBarList)
            if (b->FVisible && shadow(b.get()))
                b->getDrawer(vtGanttGraph)->Draw(vc);
        for (const auto& b : row.FBarList)
            if (b->FVisible && !shadow(b.get()))
                b->getDrawer(vtGanttGraph)->Draw(vc);
    }

    TQVTGanttDocument& doc;
    TQVTGanttTable& table;
    TQVTVisualContext& vc;
    TRect area{};
};

class ChartPainting : public ChartFixture {
protected:
    // A bare tree of TreeWidth, a chart up to day 400, each row its own background colour.
    void make(const std::vector<RowPlan>& rows)
    {
        build(rows);
        auto bare = std::make_shared<BareTree>();
        bare->FRootNode = document->FTree->FRootNode;
        bare->setParent(document.get());
        bare->FRootNode->setParent(bare.get());
        bare->FFocusedRowColor = Focused;
        document->FTree = bare;
        tree = bare.get();
        tree->updateNodes();
        tree->setWidth(TreeWidth);
        document->setEndDate(400);
        table().SetColumnWidth(Column);
        table().FBaseColor = Base;
        table().setAutoUpdateCriticalPath(false);
        for (int i = 0; i < table().countRows(); ++i) {
            auto looks = std::make_shared<TQVTTreeRowSettings>();
            looks->FColor = rowColor(i);
            looks->FGroupColor = rowColor(i) ^ 0x202020;
            tree->getRow(i)->Fsettings = looks;
        }
    }

    static TColor rowColor(int i) { return 0xE0D0C0 + static_cast<TColor>(i) * 0x000408; }

    std::unique_ptr<TBitmap> paint(int width = Width, int height = Height)
    {
        auto bitmap = blank(width, height);
        TQVTCanvasVC vc(bitmap->Canvas());
        vc.setVisibleArea(Rect(0, 0, width, height));
        document->getDrawer(vtGanttGraph)->Draw(vc);
        return bitmap;
    }

    TQVTGanttObject* locate(int x, int y) { return document->getDrawer(vtGanttGraph)->locateObject(x, y); }

    // Whether some pixel of the rectangle has the colour.
    static bool anyIn(const TBitmap& b, TRect r, TColor color)
    {
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (b.Pixel(x, y) == color)
                    return true;
        return false;
    }

    BareTree* tree = nullptr;
};

TEST_F(ChartPainting, DatesStartAtTheTreesWidthRowsStackWithoutHiddenOnesAndLabelsDateLinesAndPertAnchorsShow)
{
    auto bar = task(102, 105);
    make({{0, {bar}}, {0, {}}, {0, {}}, {0, {}}, {0, {}}});
    // The bar's rectangle and its drawer's x of a date begin at the tree's right edge.
    EXPECT_EQ(bar->getRect(100).Left, TreeWidth + 20);
    EXPECT_EQ(bar->getRect(100).Right, TreeWidth + 50);
    EXPECT_EQ(dynamic_cast<TQVTTaskBarDrawer*>(bar->getDrawer(vtGanttGraph))->getCoords(103), TreeWidth + 30);

    row(1).setCollapsed(true);
    tree->getRow(3)->FHidden = true;
    auto b = paint();
    EXPECT_EQ(b->Pixel(TreeWidth + 5, 10), rowColor(0)) << "left of the bar";
    EXPECT_NE(b->Pixel(TreeWidth + 35, 10), rowColor(0)) << "the bar";
    EXPECT_EQ(b->Pixel(TreeWidth - 5, 10), clWhite) << "the tree's part is not the table's";
    // Row 1 is collapsed and takes no room; row 3 is filtered out and leaves the base colour.
    expectPixels(*b, {{TreeWidth + 5, 30, rowColor(2)}, {TreeWidth + 5, 50, Base}});
    expectPixels(*b, {{TreeWidth + 5, 70, rowColor(4)}, {TreeWidth + 5, 90, Base}});
    // Grid lines under the shown rows, and the columns.
    expectPixels(*b, {{TreeWidth + 5, 20, Grid}, {TreeWidth + 10, 250, Grid}, {TreeWidth + 15, 250, Base}});

    table().SetScrolledLines(2);
    b = paint();
    EXPECT_EQ(b->Pixel(TreeWidth + 5, 10), rowColor(2)) << "row 2 on top";
    EXPECT_EQ(table().getRowStartY(0), 0) << "rows above the scroll position stay at the top";

    // Row labels, date lines and the current date.
    make({{0, {}}, {0, {}}, {0, {}}, {0, {}}});
    row(1).FSelected = true;
    row(1).FRowLabelMode = 1;
    row(1).FRowUpperLabel = "R";
    row(2).FRowLabelMode = 2;
    row(2).FRowUpperLabel = "1";
    row(2).FRowLowerLabel = "2";
    table().FDateLine = TQVTUserDefinedDateLine{};
    table().FDateLine.Visible = true;
    table().FDateLine.Date = 110;
    table().FDateLine.PenWidth = 3;
    table().FDateLine.Color = clBlue;
    table().FDateLine.Caption = "Go";
    b = paint();
    // The label column at the chart's left edge in the row's own colour, with grey text.
    expectPixels(*b, {{TreeWidth + 1, 21, rowColor(1)}, {TreeWidth + 12, 21, Selected}});
    EXPECT_TRUE(anyIn(*b, Rect(TreeWidth + 1, 21, TreeWidth + 10, 40), 0x6E6E6E));
    EXPECT_TRUE(anyIn(*b, Rect(TreeWidth + 1, 41, TreeWidth + 10, 50), 0x6E6E6E));
    EXPECT_TRUE(anyIn(*b, Rect(TreeWidth + 1, 51, TreeWidth + 10, 60), 0x6E6E6E));
    // Width 3 at x paints x .. x + 2 from top to bottom; the caption stands in x + 3 .. x + 23.
    const int x = TreeWidth + 100;
    for (int dx = 0; dx < 3; ++dx)
        for (const int y : {0, 30, Height - 1})
            EXPECT_EQ(b->Pixel(x + dx, y), clBlue) << dx << "," << y;
    EXPECT_NE(b->Pixel(x - 1, 30), clBlue);
    EXPECT_TRUE(anyIn(*b, Rect(x + 3, 0, x + 24, Height), clBlue));
    EXPECT_FALSE(anyIn(*b, Rect(x + 24, 0, Width, Height), clBlue));

    // An absurd width covers the rest of the view and costs no more than the view.
    table().FDateLine2.Visible = true;
    table().FDateLine2.Date = 130;
    table().FDateLine2.PenWidth = INT_MAX;
    table().FDateLine2.Color = clMaroon;
    const auto started = std::chrono::steady_clock::now();
    b = paint();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    expectPixels(*b, {{TreeWidth + 300, 30, clMaroon}, {Width - 1, 30, clMaroon}});

    // The current date's line, when its x stays put while painting.
    table().FDateLine.Visible = table().FDateLine2.Visible = false;
    document->setStartDate(std::floor(Now()) - 10);
    table().FCurrentDateLine.Visible = true;
    table().FCurrentDateLine.PenWidth = 2;
    table().FCurrentDateLine.Color = clMaroon;
    const auto nowX = [this] {
        return TreeWidth + static_cast<int>(std::nearbyint(Column * (Now() - document->getStartDate())));
    };
    const int before = nowX();
    b = paint();
    if (before == nowX()) {
        expectPixels(*b, {{before, 200, clMaroon}, {before + 1, 200, clMaroon}});
        EXPECT_NE(b->Pixel(before + 2, 200), clMaroon);
    }

    // The PERT grid has an anchor every grid step; size one leaves no gaps.
    make({{0, {}}});
    table().FGridAnchorColor = clRed;
    table().FPertGraphBackGroundColor = 0xEEEEEE;
    const auto pert = [this] {
        auto bitmap = blank(200, 100);
        TQVTCanvasVC vc(bitmap->Canvas());
        vc.setVisibleArea(Rect(0, 0, 200, 100));
        document->getDrawer(vtPertGraph)->Draw(vc);
        return bitmap;
    };
    expectPixels(*pert(), {{TreeWidth + 20, 20, clRed}, {TreeWidth + 40, 60, clRed}, {TreeWidth + 21, 20, 0xEEEEEE}});
    table().setPertGridSize(TPoint{0, 0});
    expectPixels(*pert(), {{TreeWidth + 5, 7, clRed}, {TreeWidth + 150, 90, clRed}});
}

TEST_F(ChartPainting, RowStatesAndResourceLabelsShowOverTheShadingVetoesAndTheClipHoldAndHitsAskTheTreeFirst)
{
    make({{0, {}}, {0, {}}, {0, {}}, {0, {}}});
    auto holidays = std::make_shared<TQVTDateCategory>("Holidays", clRed);
    holidays->addDate(std::make_shared<TQVTFixedDateException>(104, "Feast"));
    auto hidden = std::make_shared<TQVTDateCategory>("Hidden", clBlue);
    hidden->addDate(std::make_shared<TQVTFixedDateException>(106, "Quiet"));
    hidden->setVisible(false);
    document->Fcalendar->addDateCategory(holidays);
    document->Fcalendar->addDateCategory(hidden);
    row(0).FSelected = true;
    row(1).FSelected = row(1).FFocused = true;
    row(2).FFocused = true;
    row(1).AddBlockedDate(104);
    row(3).AddBlockedDate(104);

    auto b = paint();
    const int day = TreeWidth + 40; // day 104
    EXPECT_EQ(b->Pixel(TreeWidth + 5, 10), Selected);
    EXPECT_EQ(b->Pixel(TreeWidth + 5, 30), Focused) << "focus wins over selection";
    EXPECT_EQ(b->Pixel(TreeWidth + 5, 50), Focused);
    // The holiday's column is red below the rows (selection lies over it), its name in white.
    expectPixels(*b, {{day + 5, 10, Selected}, {day + 5, 85, clRed}, {day + 5, 290, clRed}});
    EXPECT_TRUE(anyIn(*b, Rect(day + 1, 80, day + 10, Height), clWhite));
    EXPECT_FALSE(anyIn(*b, Rect(day + 20, 0, day + 30, Height), clBlue)) << "hidden categories shade nothing";
    // Blocked days show the row's own colour, keeping the grid at their left and top.
    expectPixels(*b, {{day + 1, 21, Focused}, {day + 9, 39, Focused}, {day, 30, Grid}, {day + 5, 20, Grid}});
    EXPECT_EQ(b->Pixel(day + 5, 70), rowColor(3));
    EXPECT_EQ(b->Pixel(day + 10, 70), Grid) << "one day wide";

    table().FShowDateExceptions = false;
    b = paint();
    EXPECT_EQ(b->Pixel(day + 5, 290), Base);
    EXPECT_TRUE(anyIn(*b, Rect(day + 1, 80, day + 10, Height), clWhite)) << "names are written all the same";

    // Resource labels: one line on yellow (days 104..106), two lines without background (109..112), an empty one.
    make({{0, {}}, {0, {}}, {0, {}}});
    row(2).AddRessourceLabel(103, 106, clYellow, clBlack, "A", "", 0);
    row(2).AddRessourceLabel(108, 112, NoColor, clBlack, "up", "down", 1);
    row(2).AddRessourceLabel(115, 115, clYellow, clBlack, "none", "", 0);
    table().FHightlightRessourceLabels = true;
    b = paint();
    const int a = TreeWidth + 40; // day 104
    expectPixels(*b, {{a + 1, 41, clYellow}, {a + 29, 59, clYellow}});
    EXPECT_EQ(b->Pixel(a + 30, 50), Grid) << "ends before day 107";
    EXPECT_EQ(b->Pixel(a, 50), Grid);
    const int two = TreeWidth + 90; // day 109
    EXPECT_EQ(b->Pixel(two + 2, 42), rowColor(2)) << "no background";
    EXPECT_EQ(b->Pixel(two + 20, 50), Grid) << "the middle line";
    EXPECT_FALSE(anyIn(*b, Rect(TreeWidth + 150, 41, TreeWidth + 170, 60), clYellow)) << "no days, no width";
    EXPECT_EQ(row(2).FRessourceInformations[0].lastRect, Rect(a + 3, 43, a + 28, 58));

    // A one-line label whole; a two-line one by halves, not within two pixels of its middle (50).
    TQVTRessourceLabelSelector* selector = table().getRessourceLabelSelector();
    auto* frame = dynamic_cast<TQVTRessourceLabelSelectorDrawer*>(selector->getDrawer(vtGanttGraph));
    const auto frameOf = [&] { return Rect(frame->FLeft, frame->FTop, frame->FRight, frame->FBottom); };
    EXPECT_EQ(locate(a + 10, 50), selector);
    EXPECT_TRUE(selector->FActive);
    EXPECT_EQ(frameOf(), Rect(a + 3, 43, a + 28, 58));
    EXPECT_EQ(locate(two + 10, 53), selector);
    EXPECT_EQ(frameOf(), Rect(two + 3, 52, two + 38, 58));
    EXPECT_EQ(locate(two + 10, 47), selector);
    EXPECT_EQ(frameOf(), Rect(two + 3, 43, two + 38, 48));
    b = paint();
    EXPECT_EQ(b->Pixel(two + 1, 45), 0x666666) << "the selector's frame";
    for (const int y : {48, 50, 52}) {
        EXPECT_EQ(locate(two + 10, y), nullptr) << y;
        EXPECT_FALSE(selector->FActive);
        EXPECT_EQ(frameOf(), Rect(-1, -1, -1, -1));
    }
    b = paint();
    EXPECT_NE(b->Pixel(two + 1, 45), 0x666666) << "no frame without a label under the mouse";
    table().FHightlightRessourceLabels = false;
    EXPECT_EQ(locate(a + 10, 50), nullptr);

    // Applications veto bars and connections; the table width decides the clip.
    auto first = task(102, 105);
    auto second = task(108, 111);
    auto shade = std::make_shared<TQVTShadowTaskBar>(112, 115, 0);
    auto target = task(115, 118);
    make({{0, {first, second, shade}}, {0, {}}, {0, {}}, {0, {target}}});
    document->FConnectionSettings = std::make_shared<TQVTConnectionSettings>();
    document->FConnectionSettings->FColorFS = clLime;
    connect(second, target);
    std::vector<TQVTGanttBar*> offered;
    table().FOnDrawBar = [&](TQVTGanttBar* bar, bool& accept) {
        offered.push_back(bar);
        accept = bar != first.get();
    };
    b = paint();
    // Lower rows first; shadows are never offered.
    EXPECT_EQ(offered, (std::vector<TQVTGanttBar*>{target.get(), first.get(), second.get()}));
    EXPECT_EQ(b->Pixel(TreeWidth + 35, 10), rowColor(0)) << "the vetoed bar";
    EXPECT_NE(b->Pixel(TreeWidth + 95, 10), rowColor(0));
    const TRect route = Rect(TreeWidth, 0, Width, Height);
    EXPECT_TRUE(anyIn(*b, route, clLime));

    bool asked = false;
    document->FOnDrawConnection = [&](TQVTBarConnection*, bool& accept) {
        asked = true;
        accept = false;
    };
    EXPECT_FALSE(anyIn(*paint(), route, clLime));
    EXPECT_TRUE(asked);
    document->FOnDrawConnection = nullptr;
    document->FDrawConnections = false;
    EXPECT_FALSE(anyIn(*paint(), route, clLime));

    // A date line before the chart's start is painted in the tree's part only without a table width.
    table().FDateLine.Visible = true;
    table().FDateLine.Date = 97;
    table().FDateLine.Color = clBlue;
    EXPECT_EQ(paint()->Pixel(TreeWidth - 30, 50), clBlue);
    table().FWidth = 200;
    EXPECT_EQ(paint()->Pixel(TreeWidth - 30, 50), clWhite);

    // Hit testing asks the tree, then the table, then the connections.
    auto from = task(102, 105);
    auto to = task(110, 113);
    make({{0, {from}}, {0, {}}, {0, {}}, {0, {to}}});
    auto c = connect(from, to);
    paint();
    // The link leaves day 105 at y 10 to the right, then goes down to y 30.
    const int stub = TreeWidth + 50 + TQVTBarConnectionDrawer::StubLength;
    EXPECT_EQ(locate(stub, 25), c.get());
    EXPECT_EQ(locate(TreeWidth + 48, 10), from.get()) << "the bar before the connection's stub";
    EXPECT_EQ(locate(TreeWidth + 200, 150), nullptr);
    tree->answer = tree;
    tree->reach = INT_MAX;
    EXPECT_EQ(locate(TreeWidth + 48, 10), tree);
    EXPECT_EQ(locate(stub, 25), tree);
    tree->answer = nullptr;

    // A connection that left the document is not found any more.
    document->connections.clear();
    c->setParent(nullptr);
    EXPECT_EQ(locate(stub, 25), nullptr);
}

// Random documents with every layer and view position; edits between paints.
TEST_F(ChartPainting, VisitingOnlyTheVisibleGivesThePixelsAndHitsOfTheWholeWalk)
{
    std::mt19937 random(20261207);
    const auto pick = [&random](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int round = 0; round < 24; ++round) {
        std::vector<RowPlan> plan;
        const int rows = pick(1, 70);
        std::vector<std::shared_ptr<TQVTGanttBar>> bars;
        for (int i = 0; i < rows; ++i) {
            RowPlan p;
            p.level = i == 0 ? 0 : std::min(plan.back().level + 1, pick(0, 2));
            for (int k = pick(0, 2); k > 0; --k) {
                const int start = pick(60, 260);
                std::shared_ptr<TQVTGanttBar> bar;
                if (pick(0, 9) == 0)
                    bar = std::make_shared<TQVTShadowTaskBar>(start, start + pick(1, 9), 0);
                else if (pick(0, 9) == 0)
                    bar = std::make_shared<TQVTMilestoneBar>(start, start + 1, 0);
                else
                    bar = task(start, start + pick(1, 20));
                p.bars.push_back(bar);
                bars.push_back(bar);
            }
            plan.push_back(p);
        }
        make(plan);
        SCOPED_TRACE("round " + std::to_string(round));
        table().SetColumnWidth(std::vector<int>{1, 3, 7, 10, 16}[static_cast<std::size_t>(pick(0, 4))]);
        document->setStartDate(pick(80, 120));
        document->setEndDate(document->getStartDate() + pick(20, 400));
        table().FWidth = pick(0, 1) * 100;
        table().FShowDateExceptions = pick(0, 3) > 0;
        table().FShowDateLines = pick(0, 1) == 1;
        document->Fcalendar->AddPredefinedCategories();
        document->Fcalendar->getDateCategory(0)->setColor(0x8080C0);
        auto holidays = std::make_shared<TQVTDateCategory>("Holidays", 0x40A0F0);
        for (int k = pick(0, 6); k > 0; --k) {
            const int d = pick(90, 300);
            holidays->addDate(std::make_shared<TQVTFixedDateException>(d, d + pick(1, 3), "Off " + std::to_string(d)));
        }
        document->Fcalendar->addDateCategory(holidays);
        for (int i = 0; i < rows; ++i) {
            TQVTGanttRow& r = row(i);
            r.setHeight(pick(0, 9) == 0 ? 0 : pick(5, 30));
            r.setCollapsed(pick(0, 9) == 0);
            tree->getRow(i)->FHidden = pick(0, 14) == 0;
            r.FSelected = pick(0, 6) == 0;
            r.FFocused = pick(0, 12) == 0;
            for (int k = pick(0, 3); k > 0; --k)
                r.AddBlockedDate(pick(80, 300));
            for (int k = pick(0, 2); k > 0; --k) {
                const int s = pick(70, 300);
                r.AddRessourceLabel(s, s + pick(0, 8), pick(0, 2) == 0 ? NoColor : 0x90E0E0, clBlack,
                                    "label " + std::to_string(s), "second", static_cast<std::uint8_t>(pick(0, 1)));
            }
            r.FRowLabelMode = pick(0, 5) == 0 ? pick(1, 3) : 0;
            r.FRowUpperLabel = "U";
            r.FRowLowerLabel = "L";
        }
        for (TQVTUserDefinedDateLine* line : {&table().FDateLine, &table().FDateLine2}) {
            line->Visible = pick(0, 1) == 1;
            line->Date = pick(90, 300);
            line->PenWidth = pick(1, 4);
            line->Color = clNavy;
            line->Caption = pick(0, 1) ? "milestone" : "";
        }
        table().FCurrentDateLine.Visible = pick(0, 1) == 1;
        table().FCurrentDateLine.PenWidth = 2;
        for (int k = bars.empty() ? 0 : pick(0, 40); k > 0; --k) {
            auto& a = bars[static_cast<std::size_t>(pick(0, static_cast<int>(bars.size()) - 1))];
            auto& z = bars[static_cast<std::size_t>(pick(0, static_cast<int>(bars.size()) - 1))];
            if (a == z)
                continue;
            auto c = connect(a, z);
            c->setConnType(pick(0, 3));
            c->FDrawOnSingleRow = pick(0, 1) == 1;
        }
        table().invalidateRowGeometry();
        table().SetScrolledLines(pick(0, rows / 2));
        const TRect view =
            Rect(std::vector<int>{0, 0, 25, 150}[static_cast<std::size_t>(pick(0, 3))], 0, 460, pick(60, 320));

        const auto expectTheWholeWalksPicture = [&] {
            auto literal = blank(view.Right, view.Bottom);
            TQVTCanvasVC literalVC(literal->Canvas());
            literalVC.setVisibleArea(view);
            LiteralPainter reference(*document, literalVC);
            reference.paint();
            auto painted = blank(view.Right, view.Bottom);
            TQVTCanvasVC vc(painted->Canvas());
            vc.setVisibleArea(view);
            document->getDrawer(vtGanttGraph)->Draw(vc);

            int differing = 0;
            std::string at;
            for (int y = view.Top; y < view.Bottom; ++y)
                for (int x = view.Left; x < view.Right; ++x)
                    if (painted->Pixel(x, y) != literal->Pixel(x, y) && differing++ == 0)
                        at = std::to_string(x) + "," + std::to_string(y);
            EXPECT_EQ(differing, 0) << "first at " << at;
            for (int k = 0; k < 60; ++k) {
                const int x = pick(view.Left, view.Right - 1);
                const int y = pick(view.Top, view.Bottom - 1);
                EXPECT_EQ(locate(x, y), reference.locate(x, y)) << x << "," << y;
            }
        };
        expectTheWholeWalksPicture();
        // Bars move and connections go between paints: what the drawer kept must follow.
        for (int k = bars.empty() ? 0 : pick(1, 8); k > 0; --k) {
            auto& bar = bars[static_cast<std::size_t>(pick(0, static_cast<int>(bars.size()) - 1))];
            if (!bar->getParentRow())
                continue;
            if (const TQVTOperationPtr move = bar->moveTo(bar->getStartDate() + pick(-5, 5), bar->getRow()))
                move->perform();
        }
        if (document->countConnections() > 0 && pick(0, 1) == 0)
            document->removeConnection(document->getConnection(pick(0, document->countConnections() - 1)));
        SCOPED_TRACE("after edits");
        expectTheWholeWalksPicture();
    }
}

// Every bar kind and table layer against tests/data/chart-painting.png.
TEST_F(ChartPainting, AWholeChartLooksAsItsReference)
{
    auto main = task(103, 112);
    main->SetProgress(40);
    main->FTextHalo->TextRight = "main";
    auto summary = std::make_shared<TQVTSummaryBar>();
    auto child1 = task(104, 109);
    auto child2 = task(110, 116);
    auto milestone = std::make_shared<TQVTMilestoneBar>(118, 119, 0);
    milestone->FTextHalo->TextRight = "milestone";
    auto diamond = blank(13, 13);
    diamond->Canvas().Brush() = TBrush{clPurple, bsSolid};
    diamond->Canvas().Pen().Color = clBlack;
    diamond->Canvas().Polygon({{6, 0}, {12, 6}, {6, 12}, {0, 6}});
    diamond->SetTransparent(true);
    milestone->FPictureResource = std::make_shared<TQVTPictureResource>("diamond");
    milestone->FPictureResource->setGraphic(std::move(diamond));
    auto progress = std::make_shared<TQVTProgressBar>(103, 108, 0);
    auto shadow = std::make_shared<TQVTShadowTaskBar>(105, 111, 0);
    auto late = task(108, 114);
    auto text = std::make_shared<TQVTTextBar>(120, 128, 0);
    text->FText = "a text bar";
    auto looks = std::make_shared<TQVTTextSettings>();
    looks->SetColor(clCream);
    TFont font;
    font.SetSize(8);
    looks->SetFont(font);
    text->FSettings = looks;
    make({{0, {main}},
          {0, {summary}},
          {1, {child1}},
          {1, {child2}},
          {0, {milestone}},
          {0, {progress}},
          {0, {shadow, late}},
          {0, {text}},
          {0, {}}});
    table().UpdateSummaryBars();
    const int heights[] = {30, 26, 24, 24, 26, 26, 26, 34, 40};
    for (int r = 0; r < table().countRows(); ++r)
        row(r).setHeight(heights[r]);
    table().invalidateRowGeometry();
    table().SetColumnWidth(14);
    document->Fcalendar->AddPredefinedCategories();
    document->Fcalendar->getDateCategory(0)->setColor(0xC0C0E0);
    auto holidays = std::make_shared<TQVTDateCategory>("Holidays", 0x4080F0);
    holidays->addDate(std::make_shared<TQVTFixedDateException>(115, "Feast day"));
    document->Fcalendar->addDateCategory(holidays);
    document->FConnectionSettings = std::make_shared<TQVTConnectionSettings>();
    document->FConnectionSettings->FColorFS = clGreen;
    connect(main, milestone);
    connect(child1, child2);
    connect(progress, late);
    row(3).FSelected = true;
    row(5).FFocused = true;
    row(6).AddBlockedDate(106);
    row(6).AddBlockedDate(113);
    row(8).AddRessourceLabel(102, 106, 0xA0F0F0, clBlack, "crew", "", 0);
    row(8).AddRessourceLabel(108, 113, NoColor, clBlack, "day", "night", 1);
    row(4).FRowLabelMode = 1;
    row(4).FRowUpperLabel = "M";
    row(8).FRowLabelMode = 2;
    row(8).FRowUpperLabel = "a";
    row(8).FRowLowerLabel = "b";
    table().FDateLine.Visible = true;
    table().FDateLine.Date = 117;
    table().FDateLine.PenWidth = 2;
    table().FDateLine.Color = clRed;
    table().FDateLine.Caption = "review";
    table().FDateLine2.Visible = true;
    table().FDateLine2.Date = 124;
    table().FDateLine2.PenStyle = psDash;
    table().FDateLine2.Color = clPurple;
    table().FDateLine2.Caption = "release";
    expectMatchesReference(*paint(520, 300), "chart-painting.png");
}

} // namespace
