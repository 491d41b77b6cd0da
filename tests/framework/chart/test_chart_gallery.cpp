// Every bar kind, fill style, connection route and PERT box against tests/data/chart-gallery.png
// (regenerate with CORVANE_UPDATE_GALLERY=1 after an intended change).

#include "corvane/framework/chart/qvtResources.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/localization/qvtLocalization.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/platform/Graphics.h"

#include "framework/chart/ChartFixture.h"
#include "support/ReferencePicture.h"

#include <gtest/gtest.h>
#include <string>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr int Width = 820;
constexpr int Height = 650;
constexpr int ColumnWidth = 10; // pixels a day; the chart starts on day 100 at x = 0
constexpr int PertTop = 512;

std::unique_ptr<TBitmap> picture(int width, int height, TColor background)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(width, height);
    bitmap->Canvas().Brush() = TBrush{background, bsSolid};
    bitmap->Canvas().FillRect(Rect(0, 0, width, height));
    return bitmap;
}

std::shared_ptr<TQVTPictureResource> resource(std::unique_ptr<TBitmap> bitmap)
{
    auto result = std::make_shared<TQVTPictureResource>("picture");
    result->setGraphic(std::move(bitmap));
    return result;
}

// A triangle pointing right on white (white is the transparent corner colour).
std::shared_ptr<TQVTPictureResource> glyph(TColor color, bool pointsRight)
{
    auto bitmap = picture(12, 12, clWhite);
    bitmap->Canvas().Brush() = TBrush{color, bsSolid};
    bitmap->Canvas().Pen().Color = color;
    if (pointsRight)
        bitmap->Canvas().Polygon({{2, 1}, {10, 6}, {2, 10}});
    else
        bitmap->Canvas().Polygon({{10, 1}, {2, 6}, {10, 10}});
    return resource(std::move(bitmap));
}

std::shared_ptr<TQVTPictureResource> diamond()
{
    auto bitmap = picture(15, 15, clWhite);
    bitmap->Canvas().Brush() = TBrush{clPurple, bsSolid};
    bitmap->Canvas().Pen().Color = clBlack;
    bitmap->Canvas().Polygon({{7, 0}, {14, 7}, {7, 14}, {0, 7}});
    bitmap->SetTransparent(true);
    return resource(std::move(bitmap));
}

// Stripes of four colours, 60 x 8: stretched three times over the image bar's span.
std::shared_ptr<TQVTPictureResource> stripes()
{
    auto bitmap = picture(60, 8, clYellow);
    const TColor colors[] = {clRed, clLime, clBlue, clYellow};
    for (int i = 0; i < 4; ++i) {
        bitmap->Canvas().Brush() = TBrush{colors[i], bsSolid};
        bitmap->Canvas().FillRect(Rect(15 * i, 0, 15 * i + 15, 8));
    }
    return resource(std::move(bitmap));
}

std::shared_ptr<TQVTTaskBarSettings> settings(TQVTDrawStyles style)
{
    auto s = std::make_shared<TQVTTaskBarSettings>();
    s->FBorderThickness = 1;
    s->FHeight = 16;
    auto goodie = std::make_shared<TQVTVisualGoodie>();
    goodie->FDrawStyle = style;
    goodie->FSolidFillColor = 0xC08040;
    goodie->FGradientFillStartColor = 0x800000;
    goodie->FGradientFillEndColor = 0xFFC0A0;
    goodie->FGradientFillHorizontal = true;
    goodie->FPatternFillStyle = bsDiagCross;
    goodie->FPatternColor = clNavy;
    goodie->setParent(s.get());
    s->FVisualGoodie = goodie;
    return s;
}

std::shared_ptr<TQVTTaskBar> task(TDateTime start, TDateTime end, std::shared_ptr<TQVTTaskBarSettings> looks = nullptr)
{
    auto bar = std::make_shared<TQVTTaskBar>(start, end, 0);
    if (looks)
        bar->SetSettings(std::move(looks));
    return bar;
}

// One row per case; the rows of the connections come in pairs, one pair per kind.
enum Rows {
    TaskRow,
    CriticalRow,
    ProgressRow,
    SummaryRow,
    ChildRow1,
    ChildRow2,
    MilestoneRow,
    ImageRow,
    TextRow,
    FillRow,
    FirstConnectionRow
};

const char* const KindNames[] = {"FF", "FS", "SF", "SS"};

class ChartGallery : public ChartFixture {
protected:
    void SetUp() override
    {
        // Every fill style, side by side.
        const TQVTDrawStyles styles[] = {dsDrawSolid,   dsDrawGradient, dsDrawGradient,
                                         dsDrawPattern, dsDrawBar3D,    dsDrawHatch};
        std::vector<std::shared_ptr<TQVTGanttBar>> fills;
        for (int i = 0; i < 6; ++i) {
            auto looks = settings(styles[i]);
            if (i == 2)
                looks->FVisualGoodie->FGradientFillHorizontal = false;
            fills.push_back(task(112 + 8 * i, 118 + 8 * i, looks));
        }

        std::vector<RowPlan> plan{
            {0, {main = task(112, 130)}},
            {0, {critical = task(112, 124), fixed = task(130, 146)}},
            {0, {task(112, 125), progress = std::make_shared<TQVTProgressBar>(112, 120, 0)}, true},
            {0, {group = std::make_shared<TQVTSummaryBar>()}},
            {1, {task(114, 122)}},
            {1, {task(120, 131)}},
            {0, {milestone = std::make_shared<TQVTMilestoneBar>(115, 116, 0)}},
            {0, {image = std::make_shared<TQVTImageBar>(112, 130, 0)}},
            {0, {text = std::make_shared<TQVTTextBar>(112, 135, 0)}},
            {0, fills, true},
        };
        // Each kind joins an upper and a lower row forward, backward, within a row and end to start.
        const auto plain = settings(dsDrawSolid);
        plain->FHeight = 12;
        plain->FVisualGoodie->FSolidFillColor = 0xE0E0E0;
        plain->FBorderColor = clGray;
        for (int kind = 0; kind < 4; ++kind) {
            plan.push_back({0,
                            {task(112, 115, plain), task(130, 133, plain), task(142, 145, plain), task(148, 151, plain),
                             task(160, 163, plain), task(167, 170, plain), task(174, 177, plain)}});
            plan.push_back({0,
                            {task(118, 121, plain), task(124, 127, plain), task(136, 139, plain), task(154, 157, plain),
                             task(177, 180, plain)}});
        }
        build(plan);
        document->setEndDate(300);
        table().SetColumnWidth(ColumnWidth);
        table().setAutoUpdateCriticalPath(false);
        const int heights[] = {44, 30, 30, 30, 26, 26, 30, 30, 34, 30};
        for (int r = 0; r < table().countRows(); ++r)
            row(r).setHeight(r < FirstConnectionRow ? heights[r] : 24);
        table().invalidateRowGeometry();

        dressTaskBars();
        dressSpecialBars();
        connectAll();
        dressPertBoxes();
    }

    void dressTaskBars()
    {
        main->SetProgress(40);
        main->FBufferTimeLeft = 2;
        main->FBufferTimeRight = 3;
        auto& goodie = *main->GetSettings()->FVisualGoodie;
        goodie.FStartGlyph = glyph(clLime, true);
        goodie.FEndGlyph = glyph(clRed, false);
        main->FTextHalo->TextTop = "top label";
        main->FTextHalo->TextBottom = "bottom label";
        main->FTextHalo->TextRight = "right label";
        main->FTextHalo->TextCenter = "centre";
        critical->FCriticalElement = true;
        critical->SetProgress(75);
        fixed->setLocked(true);
        fixed->SetProgress(20);
    }

    void dressSpecialBars()
    {
        group->FColor = clNavy;
        milestone->FPictureResource = diamond();
        milestone->FTextHalo->TextRight = "milestone";
        image->FPictureResource = stripes();
        auto looks = std::make_shared<TQVTTextSettings>();
        looks->SetColor(clCream);
        TFont font;
        font.SetSize(8);
        looks->SetFont(font);
        text->FSettings = looks;
        text->setHeight(30);
        text->FVerticalRowOffset = 2;
        text->FText = "Text bars wrap their words into the box.";
    }

    void connectAll()
    {
        document->FConnectionSettings = std::make_shared<TQVTConnectionSettings>();
        TQVTConnectionSettings& colours = *document->FConnectionSettings;
        colours.FColorFF = clNavy;
        colours.FColorFS = clGreen;
        colours.FColorSF = clMaroon;
        colours.FColorSS = clTeal;
        // Upper row bars 0..6, lower row bars 0..4 (see SetUp).
        const int links[][4] = {
            {0, 0, 1, 0}, // forward down
            {1, 1, 0, 1}, // forward up
            {0, 2, 1, 2}, // backward down
            {1, 3, 0, 3}, // backward up
            {0, 4, 0, 5}, // within one row
            {0, 6, 1, 4}, // the target starts where the origin ends
        };
        for (int kind = 0; kind < 4; ++kind) {
            const int upper = FirstConnectionRow + 2 * kind;
            for (const auto& link : links) {
                auto c = connect(bar(upper + link[0], link[1]), bar(upper + link[2], link[3]));
                c->setConnType(kind);
                c->FDrawOnSingleRow = true;
            }
        }
    }

    void dressPertBoxes()
    {
        const auto section = [](TQVTPertBar& box, const std::string& text) {
            auto s = std::make_shared<TQVTPertBarSection>(std::make_shared<TQVTTextSettings>(), &box);
            s->FText = text;
            return s;
        };
        TQVTPertBar& timespan = *row(ProgressRow).FPertBar;
        timespan.Fx = 120;
        timespan.Fy = PertTop;
        TQVTPertBarSettings looks;
        looks.setWidth(200);
        looks.setHeight(80);
        looks.FBackGroundColor = 0xF0FFFF;
        timespan.applySettings(looks);
        timespan.UpdateRange();
        timespan.FProgress = 60;
        timespan.FMainSection = section(timespan, "Timespan box: the main section");

        TQVTPertBar& sections = *row(FillRow).FPertBar;
        sections.SetPertType(qvtpbtNoTimeSpan);
        sections.Fx = 360;
        sections.Fy = PertTop;
        looks.FBackGroundColor = 0xFFF0F0;
        looks.FBorderColor = clNavy;
        sections.applySettings(looks);
        sections.FTopSection = section(sections, "top section");
        sections.FMainSection = section(sections, "main section, wrapped over the width of the box");
        sections.FBottomSection = section(sections, "bottom section");
        sections.FAdditionalSections = {section(sections, "additional 1"), section(sections, "additional 2")};
    }

    void label(TQVTVisualContext& vc, int y, const std::string& text)
    {
        vc.setFont("Arial", 7, clGray, false, false, false, 0);
        vc.textOutOriented(4, y, text, 0);
    }

    void paint(TBitmap& bitmap)
    {
        TQVTCanvasVC vc(bitmap.Canvas());
        vc.setVisibleArea(Rect(0, 0, Width, Height));
        vc.startBuffering();
        vc.FillArea(Rect(0, 0, Width, Height), clWhite, bsSolid);
        const char* const names[] = {"task bar", "critical, fixed", "progress bar", "summary bar", "  child",
                                     "  child",  "milestone",       "image bar",    "text bar",    "fill styles"};
        for (int r = 0; r < table().countRows(); ++r) {
            const int top = table().getRowStartY(r);
            vc.setDrawingColor(0xE8E8E8);
            vc.drawLine(0, top + row(r).getHeight() - 1, Width, top + row(r).getHeight() - 1);
            if (r < FirstConnectionRow)
                label(vc, top + 2, names[r]);
            else if ((r - FirstConnectionRow) % 2 == 0)
                label(vc, top + 2, KindNames[(r - FirstConnectionRow) / 2]);
        }
        label(vc, PertTop, "PERT boxes");

        CreateDefaultRessources_ENG(); // the "fixed" label
        for (const auto& r : table().FRows)
            for (const auto& b : r->FBarList)
                b->getDrawer(vtGanttGraph)->Draw(vc);
        ClearRessources();
        for (const auto& c : document->connections)
            c->getDrawer(vtGanttGraph)->Draw(vc);
        for (const auto& r : table().FRowsZOrder)
            r->FPertBar->getDrawer(vtPertGraph)->Draw(vc);
        vc.displayBuffer();
    }

    std::shared_ptr<TQVTTaskBar> main;
    std::shared_ptr<TQVTTaskBar> critical;
    std::shared_ptr<TQVTTaskBar> fixed;
    std::shared_ptr<TQVTProgressBar> progress;
    std::shared_ptr<TQVTSummaryBar> group;
    std::shared_ptr<TQVTMilestoneBar> milestone;
    std::shared_ptr<TQVTImageBar> image;
    std::shared_ptr<TQVTTextBar> text;
};

TEST_F(ChartGallery, MatchesTheReferencePicture)
{
    TBitmap bitmap;
    bitmap.SetSize(Width, Height);
    paint(bitmap);
    expectMatchesReference(bitmap, "chart-gallery.png");
}

} // namespace
