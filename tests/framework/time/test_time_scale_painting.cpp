// Time-scale tiers on real pixels.

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/localization/qvtLocalization.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/framework/time/qvtTimeScale.h"
#include "corvane/framework/time/qvtTimeScaleDrawer.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/FormatSettings.h"
#include "corvane/platform/Graphics.h"

#include "support/PixelChecks.h"
#include "support/ReferencePicture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>

using namespace corvane;
using test::expectPixels;

namespace {

constexpr int Width = 480;
constexpr int Height = 140;
constexpr int TreeWidth = 40; // the chart, and so the scale, starts here
constexpr TColor Base = 0x503010;
constexpr TColor Ink = clWhite;
constexpr TColor Line = 0x00FFFF;

// Counts the labels a tier writes and remembers the font size of each.
class CountingVC : public TQVTCanvasVC {
public:
    using TQVTCanvasVC::TQVTCanvasVC;
    void setFont(const std::string& name, int size, TColor color, bool bold, bool italic, bool underline,
                 int height) override
    {
        fontSize = size;
        TQVTCanvasVC::setFont(name, size, color, bold, italic, underline, height);
    }
    TRect centerText(TRect r, const std::string& text, bool transparent) override
    {
        ++labels;
        sizes[text] = fontSize;
        return TQVTCanvasVC::centerText(r, text, transparent);
    }
    int labels = 0;
    int fontSize = 0;
    std::map<std::string, int> sizes;
};

class ScalePainting : public ::testing::Test {
protected:
    ScalePainting()
    {
        SetFormatSettings("en");
        CreateDefaultRessources_ENG();
        document->Fcalendar = std::make_shared<TQVTDocumentCalendar>();
        document->Fcalendar->setParent(document.get());
        document->Ftable = std::make_shared<TQVTGanttTable>();
        document->Ftable->setParent(document.get());
        document->FTree = std::make_shared<TQVTTreeGrid>();
        document->FTree->setParent(document.get());
        document->FTree->FWidth = TreeWidth;
        bitmap.SetSize(Width, Height);
        setup(tmDay, 12, EncodeDate(2024, 3, 6));
    }

    // The calendar's unit, pixels per unit and the first date shown; the end follows the width.
    void setup(TQVTTimeMode calendarMode, int columnWidth, TDateTime start)
    {
        document->Fcalendar->SetTimeMode(calendarMode);
        table().SetColumnWidth(columnWidth);
        document->setStartDate(start);
        document->setEndDate(Add(document->getStartDate(), Width / std::max(columnWidth, 1) + 1, calendarMode));
        document->UpdateTimeScales();
    }

    TQVTTimeScale& addTier(int offset, int height = 18, int fontSize = 8)
    {
        auto tier = std::make_shared<TQVTTimeScale>();
        tier->FRelativeTM = offset;
        tier->scaleHeight = height;
        tier->fontSize = fontSize;
        tier->baseColor = Base;
        tier->FfontColor = Ink;
        tier->FlineColor = Line;
        document->InsertScale(document->getScalesCount(), tier);
        return *tier;
    }

    TQVTGanttTable& table() { return *document->Ftable; }
    TDateTime start() { return document->getStartDate(); }
    TQVTTimeMode calendarMode() { return document->Fcalendar->getTimeMode(); }
    int xOf(TDateTime t)
    {
        return TreeWidth +
               static_cast<int>(std::nearbyint(table().GetColumnWidth() * RealDiff(t, start(), calendarMode())));
    }

    void paint(TQVTVisualContext& vc)
    {
        bitmap.Canvas().Brush() = TBrush{};
        bitmap.Canvas().FillRect(Rect(0, 0, Width, Height));
        vc.setVisibleArea(Rect(0, 0, Width, Height));
        for (int i = 0; i < document->getScalesCount(); ++i)
            document->getTimeScale(i)->getDrawer(vtGanttGraph)->Draw(vc);
    }
    void paint()
    {
        TQVTCanvasVC vc(bitmap.Canvas());
        paint(vc);
    }

    // What a label looks like: the tier's background with text centred in r at size.
    TBitmap expectedLabel(TRect r, const std::string& text, int size)
    {
        TBitmap expected;
        expected.SetSize(Width, Height);
        TQVTCanvasVC vc(expected.Canvas());
        vc.FillArea(r, Base, bsSolid);
        vc.setFont("Arial", size, Ink, false, false, false, 0);
        vc.centerText(r, text, false);
        return expected;
    }
    // Whether the inside of r (its first column and last row hold the tier's lines) looks as
    // the label text centred in r at size.
    ::testing::AssertionResult showsLabel(TRect r, const std::string& text, int size)
    {
        const TBitmap expected = expectedLabel(r, text, size);
        for (int y = r.Top; y < r.Bottom - 1; ++y)
            for (int x = r.Left + 1; x < r.Right; ++x)
                if (bitmap.Pixel(x, y) != expected.Pixel(x, y))
                    return ::testing::AssertionFailure()
                           << "\"" << text << "\" at size " << size << " differs at (" << x << ", " << y << ")";
        return ::testing::AssertionSuccess();
    }
    // The label size the fitting arrives at for a rectangle.
    int fittedSize(TRect r, const std::string& text, int size)
    {
        TBitmap probe;
        probe.SetSize(8, 8);
        TQVTCanvasVC vc(probe.Canvas());
        const auto fits = [&](bool strict) {
            vc.setFont("Arial", size, Ink, false, false, false, 0);
            const int w = vc.TextWidth(text);
            const int h = vc.TextHeight(text);
            return strict ? r.Right - r.Left > w && r.Bottom - r.Top > h
                          : r.Right - r.Left >= w && r.Bottom - r.Top >= h;
        };
        if (fits(false))
            return size;
        while (size > 3) {
            --size;
            if (fits(true))
                break;
        }
        return size;
    }

    std::shared_ptr<TQVTGanttDocument> document = std::make_shared<TQVTGanttDocument>();
    TBitmap bitmap;
};

TEST_F(ScalePainting, LinesStandAtTheChartsXOfEveryPeriodStart)
{
    setup(tmDay, 13, EncodeDate(2024, 3, 6)); // a Wednesday
    addTier(1);                               // weeks
    addTier(0);                               // days, below
    paint();

    const int weekBottom = 18;
    for (TDateTime day = start(); xOf(day) < Width; day += 1) {
        const int x = xOf(day);
        EXPECT_EQ(bitmap.Pixel(x, weekBottom + 2), Line) << "day line at " << x;
        EXPECT_EQ(bitmap.Pixel(x + 1, weekBottom), Base) << "nothing beside it at " << x + 1;
        // Week lines on Mondays only.
        EXPECT_EQ(bitmap.Pixel(x, 1), DayOfTheWeek(day) == 1 ? Line : Base) << "week tier at " << x;
    }
    // Each tier underlines its periods on its own last row.
    for (int x = TreeWidth; x < Width; x += 7) {
        EXPECT_EQ(bitmap.Pixel(x, weekBottom - 1), Line) << x;
        EXPECT_EQ(bitmap.Pixel(x, 2 * 18 - 1), Line) << x;
    }
    // Nothing reaches into the tree.
    for (int y = 0; y < 36; ++y)
        EXPECT_EQ(bitmap.Pixel(TreeWidth - 1, y), clWhite) << y;

    // Months in a calendar of months are whole columns whatever their length; quarters three.
    document->DeleteScale(0);
    document->DeleteScale(0);
    setup(tmMonth, 30, EncodeDate(2024, 1, 1));
    addTier(0);
    addTier(1);
    paint();
    for (int k = 0; TreeWidth + 30 * k < Width; ++k) {
        EXPECT_EQ(bitmap.Pixel(TreeWidth + 30 * k, 5), Line) << "month " << k;
        EXPECT_EQ(bitmap.Pixel(TreeWidth + 30 * k + 15, 17), Line) << "month " << k;
        EXPECT_EQ(bitmap.Pixel(TreeWidth + 30 * k, 18 + 1), k % 3 == 0 ? Line : Base) << "quarter at month " << k;
    }
}

TEST_F(ScalePainting, EveryUnitShowsItsPeriodTexts)
{
    const TDateTime first = EncodeDate(2030, 1, 1);
    for (const TQVTTimeMode mode : {tmHour, tmDay, tmWeek, tmMonth, tmQuarter, tmYear, tmDecade}) {
        SCOPED_TRACE(static_cast<int>(mode));
        while (document->getScalesCount() > 0)
            document->DeleteScale(0);
        setup(mode, 110, first);
        addTier(0, 20, 8);
        paint();
        // The second period lies wholly in view.
        const TDateTime t = Next(StartOfPeriod(start(), mode), mode);
        // A calendar in months gives every month one column, whatever its length.
        const TRect r =
            mode == tmMonth ? Rect(TreeWidth + 110, 0, TreeWidth + 220, 20) : Rect(xOf(t), 0, xOf(Next(t, mode)), 20);
        const std::string text = PeriodToString(t, mode, DefaultTimeFormat(mode));
        ASSERT_FALSE(text.empty());
        EXPECT_TRUE(showsLabel(r, text, fittedSize(r, text, 8)));
    }
    // A tier beyond decades has no unit: background only.
    while (document->getScalesCount() > 0)
        document->DeleteScale(0);
    setup(tmYear, 40, first);
    TQVTTimeScale& none = addTier(2);
    ASSERT_EQ(none.getTimeMode(), tmNone);
    paint();
    for (int x = TreeWidth; x < Width; ++x)
        for (int y = 0; y < 18; ++y)
            ASSERT_EQ(bitmap.Pixel(x, y), Base) << x << ", " << y;
}

TEST_F(ScalePainting, PaintingMeasuresTheLabelHeightAndALabelThatDoesNotFitShrinksButNotBelowThree)
{
    // Painting measures the label height for the tier height.
    TQVTTimeScale& measured = addTier(0);
    measured.SetFontSize(12);
    EXPECT_EQ(measured.scaleHeight, 10) << "before a paint the text height is taken as 8";
    paint();
    measured.SetFontSize(12);
    bitmap.Canvas().Font().Name = "Arial";
    bitmap.Canvas().Font().SetSize(12);
    EXPECT_EQ(measured.scaleHeight, static_cast<int>(std::nearbyint(1.2 * bitmap.Canvas().TextHeight("A"))));
    EXPECT_GT(measured.scaleHeight, 10);
    document->DeleteScale(0);

    setup(tmMonth, 48, EncodeDate(2024, 1, 1));
    TQVTTimeScale& tier = addTier(0, 16, 12);
    tier.FTimeFormat = tmfMonthFull; // "September" is wider than 48 pixels at 12 points
    CountingVC vc(bitmap.Canvas());
    paint(vc);
    const TRect r = Rect(TreeWidth + 8 * 48, 0, TreeWidth + 9 * 48, 16); // September
    const int size = fittedSize(r, "September", 12);
    EXPECT_LT(size, 12);
    EXPECT_GE(size, 3);
    EXPECT_EQ(vc.sizes["September"], size);
    EXPECT_TRUE(showsLabel(r, "September", size));
    // Each label is fitted on its own: "May" needs less shrinking.
    const TRect may = Rect(TreeWidth + 4 * 48, 0, TreeWidth + 5 * 48, 16);
    EXPECT_GT(fittedSize(may, "May", 12), size);
    EXPECT_EQ(vc.sizes["May"], fittedSize(may, "May", 12));
    EXPECT_TRUE(showsLabel(may, "May", fittedSize(may, "May", 12)));

    // Five pixels hold nothing: every label is written at size 3.
    setup(tmMonth, 5, EncodeDate(2024, 1, 1));
    tier.FTimeFormat = tmfMonthFull;
    vc.sizes.clear();
    paint(vc);
    EXPECT_EQ(fittedSize(Rect(0, 0, 5, 16), "September", 12), 3);
    ASSERT_EQ(vc.sizes.size(), 12u);
    for (const auto& [text, written] : vc.sizes)
        EXPECT_EQ(written, 3) << text;
}

TEST_F(ScalePainting, AScrolledStartMovesThePeriodsAndKeepsTheCutLabelInView)
{
    setup(tmDay, 20, EncodeDate(2024, 3, 4)); // a Monday
    addTier(1, 18, 8);                        // weeks of 140 pixels
    paint();
    const TBitmap unscrolled = bitmap;

    setup(tmDay, 20, EncodeDate(2024, 3, 6)); // two days on
    paint();
    // The periods move left by two columns.
    for (int x = TreeWidth; x + 40 < Width; ++x)
        ASSERT_EQ(bitmap.Pixel(x, 17), unscrolled.Pixel(x + 40, 17)) << x;
    const int nextMonday = xOf(EncodeDate(2024, 3, 11));
    EXPECT_EQ(nextMonday, TreeWidth + 100);
    EXPECT_EQ(bitmap.Pixel(nextMonday, 3), Line);
    // The cut week's line lies in the tree and is not drawn; its label is centred in the part
    // that shows.
    EXPECT_EQ(bitmap.Pixel(TreeWidth, 3), Base);
    const std::string text = PeriodToString(EncodeDate(2024, 3, 4), tmWeek, DefaultTimeFormat(tmWeek));
    EXPECT_TRUE(showsLabel(Rect(TreeWidth, 0, nextMonday, 18), text, 8));
}

TEST_F(ScalePainting, TheTiersRepeatUnderTheTableMirrored)
{
    document->FTimeScaleUnder = true;
    for (int i = 0; i < 3; ++i) {
        auto row = table().MakeBlankRow();
        row->setHeight(20);
        row->FOrder = i;
        table().FRows.push_back(row);
    }
    table().invalidateRowGeometry();
    addTier(1, 14); // weeks
    TQVTTimeScale& days = addTier(0, 18);
    days.baseColor = 0x0000C0;
    paint();
    // Above: weeks 0-14, days 14-32; rows to 92; below: days 92-110 meeting the rows, weeks 110-124.
    ASSERT_EQ(document->GetTableStartY(), 32);
    const int x = xOf(start()) + 5;
    // Below, the week tier ends in its bottom line at 123.
    expectPixels(bitmap, {{x, 3, Base}, {x, 15, 0x0000C0u}, {x, 60, clWhite}, {x, 93, 0x0000C0u}});
    expectPixels(bitmap, {{x, 111, Base}, {x, 123, Line}, {x, 125, clWhite}});
}

TEST_F(ScalePainting, OnlyVisiblePeriodsAreWalkedAnd3DTablesShadeTheTop)
{
    // Days of one pixel: a far end date still writes one label per pixel column at most.
    setup(tmDay, 1, EncodeDate(2024, 1, 1));
    document->setEndDate(EncodeDate(2900, 1, 1));
    addTier(0);
    CountingVC vc(bitmap.Canvas());
    paint(vc);
    EXPECT_GT(vc.labels, 0);
    EXPECT_LE(vc.labels, Width - TreeWidth + 2);

    // A clip far into the chart starts the walk there, not at the start date.
    vc.labels = 0;
    vc.SetClipRect(Rect(Width - 20, 0, Width, Height));
    paint(vc);
    vc.ResetClipRect();
    EXPECT_LE(vc.labels, 22);
    EXPECT_EQ(bitmap.Pixel(Width - 10, 17), Line);

    // Periods found from the clip's edge stand where the walk from the start puts them.
    for (const TQVTTimeMode mode : {tmHour, tmDay, tmMonth}) {
        SCOPED_TRACE(static_cast<int>(mode));
        setup(mode, 7, EncodeDate(2024, 1, 1) + 0.3);
        paint();
        const TBitmap whole = bitmap;
        vc.SetClipRect(Rect(300, 0, Width, Height));
        paint(vc);
        vc.ResetClipRect();
        for (int x = 300; x < Width; ++x)
            ASSERT_EQ(bitmap.Pixel(x, 0), whole.Pixel(x, 0)) << x;
    }

    // 3-D tables get a ramp from white over the top third.
    table().SetColumnWidth(12);
    table().FDraw3D = true;
    document->getTimeScale(0)->FShowDates = false;
    paint();
    EXPECT_EQ(bitmap.Pixel(TreeWidth + 5, 0), clWhite);
    EXPECT_NE(bitmap.Pixel(TreeWidth + 5, 4), Base);
    EXPECT_EQ(bitmap.Pixel(TreeWidth + 5, 6), Base);
}

TEST_F(ScalePainting, GalleryOfEveryUnit)
{
    // One tier per unit, each painted with the calendar in that unit, stacked.
    const TQVTTimeMode modes[] = {tmHour, tmDay, tmWeek, tmMonth, tmQuarter, tmYear, tmDecade};
    for (int i = 0; i < 7; ++i)
        addTier(0, 18, 8);
    bitmap.Canvas().Brush() = TBrush{};
    bitmap.Canvas().FillRect(Rect(0, 0, Width, Height));
    TQVTCanvasVC vc(bitmap.Canvas());
    vc.setVisibleArea(Rect(0, 0, Width, Height));
    for (int i = 0; i < 7; ++i) {
        setup(modes[i], 70, EncodeDate(2030, 2, 14) + 0.3);
        TQVTTimeScale& tier = *document->getTimeScale(i);
        tier.baseColor = i % 2 ? 0x6A4A20 : 0x7A5A30;
        tier.getDrawer(vtGanttGraph)->Draw(vc);
    }
    test::expectMatchesReference(bitmap, "time-scales.png");
}

} // namespace
