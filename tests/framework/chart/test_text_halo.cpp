// Text halos: label placement on pixels, fallback settings, file keys.

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/platform/Graphics.h"

#include "support/DocumentFileTest.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr int Width = 320;
constexpr int Height = 160;
constexpr TRect BarRect{120, 60, 200, 84};
constexpr TRect NoInk{0, 0, 0, 0};

// Stands in for a bar: its Gantt drawer answers a fixed rectangle.
class FixedRectDrawer : public TQVTDrawer {
public:
    explicit FixedRectDrawer(TRect rect) : rect(rect) {}
    TRect getRect() override { return rect; }
    TRect rect;
};

class FixedBar : public TQVTGanttObject {
public:
    explicit FixedBar(TRect rect) { FDrawer = std::make_unique<FixedRectDrawer>(rect); }
};

TRect shifted(TRect r, int dx, int dy)
{
    return Rect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy);
}

// Bounding box of the pixels that are not white, Right and Bottom exclusive; NoInk when none.
TRect inkOf(const TBitmap& bitmap)
{
    TRect box{Width, Height, -1, -1};
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            if (bitmap.Pixel(x, y) != clWhite)
                box = Rect(std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                           std::max(box.Bottom, y + 1));
    return box.Right < 0 ? NoInk : box;
}

// Whether every pixel that is not white has the colour.
bool inkedOnlyIn(const TBitmap& bitmap, TColor color)
{
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            if (bitmap.Pixel(x, y) != clWhite && bitmap.Pixel(x, y) != color)
                return false;
    return true;
}

void clear(TBitmap& bitmap)
{
    bitmap.Canvas().Brush() = TBrush{};
    bitmap.Canvas().FillRect(Rect(0, 0, Width, Height));
}

class HaloPainting : public ::testing::Test {
protected:
    HaloPainting()
    {
        bitmap.SetSize(Width, Height);
        halo->setParent(bar.get());
        halo->FTextSettings = std::make_shared<TQVTTextSettings>();
        setFont(9, clNavy);
    }

    void setFont(int size, TColor color, bool bold = false)
    {
        TFont font = *halo->FTextSettings->GetFont();
        font.SetSize(size);
        font.Color = color;
        font.Style = bold ? TFontStyles{fsBold} : TFontStyles{};
        halo->FTextSettings->SetFont(font);
    }

    // Paints the halo on a white bitmap; answers what the drawer answers.
    bool paint()
    {
        clear(bitmap);
        TQVTCanvasVC vc(bitmap.Canvas());
        return halo->getDrawer(vtGanttGraph)->Draw(vc);
    }

    // The ink of the halo when only label holds text.
    TRect inkOfOnly(std::string TQVTTextHalo::*label, const std::string& text)
    {
        for (std::string TQVTTextHalo::*each :
             {&TQVTTextHalo::TextTop, &TQVTTextHalo::TextBottom, &TQVTTextHalo::TextLeft, &TQVTTextHalo::TextRight,
              &TQVTTextHalo::TextCenter})
            (*halo).*each = {};
        (*halo).*label = text;
        paint();
        return inkOf(bitmap);
    }

    TCanvas& measuring()
    {
        device.SetSize(Width, Height);
        device.Canvas().Font() = *halo->FTextSettings->GetFont();
        return device.Canvas();
    }
    int widthOf(const std::string& text) { return measuring().TextWidth(text); }
    int lineHeight() { return measuring().TextHeight("A"); }
    // How far the boxes of the top and bottom labels reach from the bar.
    int lift() { return static_cast<int>(std::lrint(1.2 * lineHeight())); }

    // The ink of text written with the top-left of its cell at (x, y).
    TRect inkAt(const std::string& text, int x, int y)
    {
        TCanvas& canvas = measuring();
        clear(device);
        canvas.Brush().Style = bsClear;
        canvas.TextOut(20, 20, text);
        return shifted(inkOf(device), x - 20, y - 20);
    }
    // The ink of text centred in box.
    TRect inkCentredIn(const std::string& text, TRect box)
    {
        return inkAt(text, (box.Left + box.Right - widthOf(text)) / 2, (box.Top + box.Bottom - lineHeight()) / 2);
    }

    std::shared_ptr<FixedBar> bar = std::make_shared<FixedBar>(BarRect);
    std::shared_ptr<TQVTTextHalo> halo = std::make_shared<TQVTTextHalo>();
    TBitmap bitmap;
    TBitmap device;
};

TEST_F(HaloPainting, EachLabelIsPaintedOnItsSideInTheFontOfTheSettingsOnlyWhenChosenAndNotEmpty)
{
    const auto [L, T, R, B] = BarRect;

    const TRect top = inkOfOnly(&TQVTTextHalo::TextTop, "Top");
    EXPECT_GE(top.Top, T - lift());
    EXPECT_LE(top.Bottom, T);
    EXPECT_EQ(top, inkCentredIn("Top", Rect(L, T - lift(), R, T)));

    const TRect bottom = inkOfOnly(&TQVTTextHalo::TextBottom, "Bottom");
    EXPECT_GE(bottom.Top, B);
    EXPECT_LE(bottom.Bottom, B + lift());
    EXPECT_EQ(bottom, inkCentredIn("Bottom", Rect(L, B, R, B + lift())));

    // The side labels keep 3 pixels from the bar and start at its top edge, not its middle.
    const TRect left = inkOfOnly(&TQVTTextHalo::TextLeft, "Left");
    EXPECT_LE(left.Right, L - 3);
    EXPECT_EQ(left, inkAt("Left", L - 3 - widthOf("Left"), T));

    const TRect right = inkOfOnly(&TQVTTextHalo::TextRight, "Right");
    EXPECT_GE(right.Left, R + 3);
    EXPECT_EQ(right, inkAt("Right", R + 3, T));

    // A new halo centres its centre label.
    const TRect centre = inkOfOnly(&TQVTTextHalo::TextCenter, "Mid");
    EXPECT_GE(centre.Left, L);
    EXPECT_LE(centre.Right, R);
    EXPECT_EQ(centre, inkCentredIn("Mid", BarRect));

    // Vertically centred by the height of "A" whatever the label, truncating.
    const int y = T + ((B - T) - lineHeight()) / 2;
    halo->HorzAlignmentCenter = haLeft;
    EXPECT_EQ(inkOfOnly(&TQVTTextHalo::TextCenter, "gy"), inkAt("gy", L + 3, y));
    halo->HorzAlignmentCenter = haRight;
    EXPECT_EQ(inkOfOnly(&TQVTTextHalo::TextCenter, "gy"), inkAt("gy", R - 3 - widthOf("gy"), y));
    for (const int other : {int{haCenter}, 7, -1}) {
        halo->HorzAlignmentCenter = other;
        EXPECT_EQ(inkOfOnly(&TQVTTextHalo::TextCenter, "gy"), inkCentredIn("gy", BarRect)) << other;
    }

    // The labels take the font of the text settings.
    setFont(14, clRed, true);
    const TRect wide = inkOfOnly(&TQVTTextHalo::TextLeft, "Wide");
    EXPECT_EQ(wide, inkAt("Wide", L - 3 - widthOf("Wide"), T));
    EXPECT_TRUE(inkedOnlyIn(bitmap, clRed));
    setFont(14, clRed);
    EXPECT_NE(inkOfOnly(&TQVTTextHalo::TextLeft, "Wide"), wide);

    // A label paints only when chosen and not empty.
    struct Label {
        std::string TQVTTextHalo::*text;
        bool TQVTTextHaloSettings::*chosen;
    };
    const Label labels[] = {{&TQVTTextHalo::TextTop, &TQVTTextHaloSettings::PrintTextTop},
                            {&TQVTTextHalo::TextBottom, &TQVTTextHaloSettings::PrintTextBottom},
                            {&TQVTTextHalo::TextLeft, &TQVTTextHaloSettings::PrintTextLeft},
                            {&TQVTTextHalo::TextRight, &TQVTTextHaloSettings::PrintTextRight},
                            {&TQVTTextHalo::TextCenter, &TQVTTextHaloSettings::PrintTextCenter}};
    EXPECT_EQ(inkOfOnly(&TQVTTextHalo::TextTop, ""), NoInk);
    EXPECT_TRUE(paint());
    for (const Label& label : labels) {
        (*halo->FTextHaloSettings).*label.chosen = false;
        EXPECT_EQ(inkOfOnly(label.text, "Label"), NoInk);
        (*halo->FTextHaloSettings).*label.chosen = true;
        EXPECT_NE(inkOfOnly(label.text, "Label"), NoInk);
    }

    // The top box ends and the bottom box starts exactly at the bar for every font size.
    // Centring truncates, so an off-by-one box shows only for one parity: the sizes cover both.
    bool parities[2] = {false, false};
    for (int size = 6; size <= 16; ++size) {
        SCOPED_TRACE(size);
        setFont(size, clBlack);
        parities[(lift() + lineHeight()) % 2] = true;
        EXPECT_EQ(inkOfOnly(&TQVTTextHalo::TextTop, "Hg"),
                  inkCentredIn("Hg", Rect(BarRect.Left, BarRect.Top - lift(), BarRect.Right, BarRect.Top)));
        EXPECT_EQ(inkOfOnly(&TQVTTextHalo::TextBottom, "Hg"),
                  inkCentredIn("Hg", Rect(BarRect.Left, BarRect.Bottom, BarRect.Right, BarRect.Bottom + lift())));
    }
    EXPECT_TRUE(parities[0] && parities[1]);
}

TEST_F(HaloPainting, WithoutSettingsOfItsOwnTheHaloFollowsItsDocument)
{
    auto document = std::make_shared<TQVTGanttDocument>();
    document->FTextBarSettings = std::make_shared<TQVTTextSettings>();
    TFont red = *document->FTextBarSettings->GetFont();
    red.Color = clRed;
    document->FTextBarSettings->SetFont(red);
    document->FTextHaloSettings = std::make_shared<TQVTTextHaloSettings>();
    document->FTextHaloSettings->PrintTextTop = true;
    bar->setParent(document.get());
    halo->FTextSettings = nullptr;
    halo->FTextHaloSettings = nullptr;

    EXPECT_EQ(halo->getTextSetings(), document->FTextBarSettings.get());
    EXPECT_EQ(halo->FTextSettings, nullptr);
    halo->TextTop = "Top";
    halo->TextLeft = "Left";
    EXPECT_TRUE(paint());
    const TRect ink = inkOf(bitmap);
    EXPECT_LE(ink.Bottom, BarRect.Top);
    EXPECT_GE(ink.Left, BarRect.Left);
    EXPECT_TRUE(inkedOnlyIn(bitmap, clRed));

    // The default is filled in once; a later default is not seen.
    EXPECT_EQ(halo->FTextHaloSettings, document->FTextHaloSettings);
    const auto first = document->FTextHaloSettings;
    document->FTextHaloSettings = std::make_shared<TQVTTextHaloSettings>();
    EXPECT_EQ(halo->GetTextHaloSettings(), first.get());
}

TEST_F(HaloPainting, OutsideADocumentAHaloHasNoDefaultsAndPaintingNeverThrows)
{
    halo->TextTop = "Top";
    halo->FTextSettings = nullptr;
    halo->FTextHaloSettings = nullptr;
    EXPECT_EQ(halo->getTextSetings(), nullptr);
    EXPECT_EQ(halo->GetTextHaloSettings(), nullptr);
    EXPECT_FALSE(paint());
    EXPECT_EQ(inkOf(bitmap), NoInk);

    // A font but no choice of labels paints them all.
    halo->FTextSettings = std::make_shared<TQVTTextSettings>();
    EXPECT_TRUE(paint());
    EXPECT_NE(inkOf(bitmap), NoInk);

    // Bars at the ends of the coordinate range paint without overflow.
    halo->TextBottom = halo->TextLeft = halo->TextRight = halo->TextCenter = "x";
    for (const TRect far :
         {Rect(INT32_MIN, INT32_MIN, INT32_MIN + 5, INT32_MIN + 5),
          Rect(INT32_MAX - 5, INT32_MAX - 5, INT32_MAX, INT32_MAX), Rect(INT32_MIN, 0, INT32_MAX, 5)}) {
        static_cast<FixedRectDrawer*>(bar->getDrawer(vtGanttGraph))->rect = far;
        EXPECT_TRUE(paint());
    }

    // Without a bar there is no rectangle to paint around.
    auto orphan = std::make_shared<TQVTTextHalo>();
    orphan->FTextSettings = halo->FTextSettings;
    orphan->TextCenter = "Mid";
    clear(bitmap);
    TQVTCanvasVC vc(bitmap.Canvas());
    EXPECT_FALSE(orphan->getDrawer(vtGanttGraph)->Draw(vc));
    bar.reset();
    EXPECT_FALSE(paint());
    EXPECT_EQ(inkOf(bitmap), NoInk);
}

class HaloFiles : public DocumentFileTest {};

// The lines of a section of a saved file, its header included.
std::string sectionOf(const std::string& text, const std::string& name)
{
    const auto start = text.find("[" + name + "]\n");
    if (start == std::string::npos)
        return {};
    const auto next = text.find("\n[", start);
    return text.substr(start, next == std::string::npos ? std::string::npos : next + 1 - start);
}

// One halo names the document's shared settings before the document reaches them; one names none.
const char* const SharedSettingsIni =
    "[root]\ntypeID=Document\ntable=T\ntext bar settings=Text\ntextual halo settings=THS\n[T]\nTypeID=Gantt Table\n"
    "rows#count=1\nrows#0=R\n[R]\ntypeID=Gantt Row\nbars#count=2\nbars#0=Named\nbars#1=Plain\n[Named]\n"
    "typeID=Task Bar\ntext halo=NamedHalo\n[NamedHalo]\ntypeID=textual halo\ntext top=Top\ntext settings=Text\n"
    "textual halo settings=THS\n[Plain]\ntypeID=Task Bar\ntext halo=PlainHalo\n[PlainHalo]\ntypeID=textual halo\n"
    "text top=Top\n[Text]\ntypeID=Text Settings\n[THS]\ntypeID=Textual Halo Settings\nPrintTextTop=0\n";

TQVTTextHalo& haloOfBar(TQVTGanttDocument& document, int index)
{
    return *document.Ftable->FRows.at(0)->FBarList.at(static_cast<std::size_t>(index))->FTextHalo;
}

TEST_F(HaloFiles, KeysReadBackExceptTheCentreAlignmentAndSharedDefaultsLeaveTheFileAlone)
{
    const auto document = std::dynamic_pointer_cast<TQVTGanttDocument>(loadFrom(SharedSettingsIni));
    ASSERT_NE(document, nullptr);
    TQVTTextHalo& plain = haloOfBar(*document, 1);
    ASSERT_EQ(plain.FTextHaloSettings, nullptr);
    const std::string before = readFile(saveToFile(document));
    EXPECT_EQ(sectionOf(before, "PlainHalo"), "[PlainHalo]\ntypeID=textual halo\ntext left=\ntext right=\n"
                                              "text top=Top\ntext bottom=\ntext center=\nhint=\n");
    EXPECT_NE(sectionOf(before, "NamedHalo").find("\ntextual halo settings=THS\n"), std::string::npos);

    EXPECT_EQ(plain.GetTextHaloSettings(), document->FTextHaloSettings.get());
    EXPECT_EQ(haloOfBar(*document, 0).GetTextHaloSettings(), document->FTextHaloSettings.get());
    EXPECT_EQ(readFile(saveToFile(document)), before);

    const std::weak_ptr<TQVTTextHalo> named = document->Ftable->FRows.at(0)->FBarList.at(0)->FTextHalo;
    ASSERT_EQ(named.lock()->FTextHaloSettings, document->FTextHaloSettings);
    ASSERT_EQ(named.lock()->FTextSettings, document->FTextBarSettings);
    const TQVTTextHaloSettings* shared = document->FTextHaloSettings.get();

    document->Ftable->FRows.at(0)->FBarList.clear();
    EXPECT_TRUE(named.expired());
    EXPECT_EQ(document->FTextHaloSettings.get(), shared);
    EXPECT_FALSE(shared->PrintTextTop);
    EXPECT_TRUE(shared->PrintTextLeft);
    EXPECT_NE(document->FTextBarSettings, nullptr);

    const std::string saved = readFile(saveToFile(document));
    EXPECT_NE(sectionOf(saved, "root").find("\ntextual halo settings=THS\n"), std::string::npos) << saved;
    EXPECT_EQ(sectionOf(saved, "THS"), "[THS]\ntypeID=Textual Halo Settings\nPrintTextLeft=1\nPrintTextRight=1\n"
                                       "PrintTextTop=0\nPrintTextBottom=1\nPrintTextCenter=1\n");

    // Labels and flags are written and read back, but the centre alignment is not.
    auto halo = std::make_shared<TQVTTextHalo>();
    halo->TextLeft = "L";
    halo->TextRight = "R";
    halo->TextTop = "T";
    halo->TextBottom = "B";
    halo->TextCenter = "C";
    halo->Hint = "H";
    halo->HorzAlignmentCenter = haLeft;
    halo->FTextSettings = std::make_shared<TQVTTextSettings>();
    halo->FTextHaloSettings->PrintTextLeft = false;
    halo->FTextHaloSettings->PrintTextCenter = false;
    const std::string path = saveToFile(halo);

    const std::string text = readFile(path);
    const std::string flags = halo->FTextHaloSettings->getUID();
    EXPECT_EQ(sectionOf(text, "root"), "[root]\ntypeID=textual halo\ntext left=L\ntext right=R\ntext top=T\n"
                                       "text bottom=B\ntext center=C\nhint=H\ntext settings=" +
                                           halo->FTextSettings->getUID() + "\ntextual halo settings=" + flags + "\n");
    EXPECT_EQ(sectionOf(text, flags), "[" + flags +
                                          "]\ntypeID=Textual Halo Settings\nPrintTextLeft=0\nPrintTextRight=1\n"
                                          "PrintTextTop=1\nPrintTextBottom=1\nPrintTextCenter=0\n");

    const auto loaded = std::dynamic_pointer_cast<TQVTTextHalo>(loadFile(path));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->TextLeft + loaded->TextRight + loaded->TextTop + loaded->TextBottom + loaded->TextCenter +
                  loaded->Hint,
              "LRTBCH");
    EXPECT_EQ(loaded->HorzAlignmentCenter, haCenter);
    ASSERT_NE(loaded->FTextSettings, nullptr);
    ASSERT_NE(loaded->FTextHaloSettings, nullptr);
    const TQVTTextHaloSettings& read = *loaded->FTextHaloSettings;
    EXPECT_EQ((std::vector{read.PrintTextLeft, read.PrintTextRight, read.PrintTextTop, read.PrintTextBottom,
                           read.PrintTextCenter}),
              (std::vector{false, true, true, true, false}));
    EXPECT_TRUE(capture.messages.empty());

    // Missing keys read as empty texts, no settings and every label chosen.
    const auto bare = std::dynamic_pointer_cast<TQVTTextHalo>(loadFrom("[root]\ntypeID=textual halo\n"));
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->TextLeft + bare->TextRight + bare->TextTop + bare->TextBottom + bare->TextCenter + bare->Hint, "");
    EXPECT_EQ(bare->FTextSettings, nullptr);
    EXPECT_EQ(bare->FTextHaloSettings, nullptr);

    const auto settings =
        std::dynamic_pointer_cast<TQVTTextHaloSettings>(loadFrom("[root]\ntypeID=Textual Halo Settings\n"));
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->PrintTextLeft && settings->PrintTextRight && settings->PrintTextTop &&
                settings->PrintTextBottom && settings->PrintTextCenter);
}

} // namespace
