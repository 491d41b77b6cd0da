// Text, row and column settings and the grid's selection colours: files and answers.

#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/tasktable/qvtTreeTextSettings.h"

#include "support/DocumentFileTest.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace corvane;
using namespace corvane::test;

namespace {

class TextSettingsFile : public DocumentFileTest {
protected:
    template <typename T>
    std::shared_ptr<T> load(const std::string& ini, const std::string& section = "S")
    {
        auto obj = std::dynamic_pointer_cast<T>(loadFrom(ini, section));
        EXPECT_NE(obj, nullptr);
        return obj;
    }

    template <typename T>
    std::shared_ptr<T> roundTrip(const std::shared_ptr<T>& obj)
    {
        return std::dynamic_pointer_cast<T>(loadFile(saveToFile(obj)));
    }

    // The lines of the "root" section of a saved file, each followed by a line break.
    std::string savedRoot(const std::shared_ptr<TQVTGanttObject>& obj)
    {
        const std::string text = readFile(saveToFile(obj));
        const auto begin = text.find("[root]\n");
        const auto end = text.find("\n[", begin + 1);
        return text.substr(begin + 7, end == std::string::npos ? std::string::npos : end + 1 - begin - 7);
    }
};

TEST_F(TextSettingsFile, SavingWritesEveryKeyInOrderLoadingGivesItBackWithoutUnderlineAndAssignCopiesAll)
{
    auto settings = std::make_shared<TQVTTextSettings>();
    TFont font;
    font.Name = "Liberation Serif";
    font.SetSize(14);
    font.Color = 0x027FFFFF;
    font.Style = {fsBold, fsItalic, fsUnderline};
    settings->SetFont(font);
    settings->SetColor(clSkyBlue);
    settings->SetHAlign(haCenter);
    settings->SetVAlign(vaBottom);
    settings->SetTransparent(true);
    // Neither flag is stored.
    settings->setGroupRow(true);
    settings->setFocused(true);
    settings->setSelected(true);

    const std::string text = "typeID=Text Settings\nfontColor=$027FFFFF\nfontName=Liberation Serif\n"
                             "fontSize=14\nfontBold=1\nfontItalic=1\nbackgroundColor=clSkyBlue\n"
                             "alignHorizontal=2\nalignVertical=1\ntransparent=1\n";
    EXPECT_EQ(savedRoot(settings), text);

    const auto reloaded = roundTrip(settings);
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(savedRoot(reloaded), text);
    EXPECT_EQ(reloaded->GetFont()->Style, (TFontStyles{fsBold, fsItalic}));
    EXPECT_FALSE(reloaded->getGroupRow() || reloaded->getFocused() || reloaded->getSelected());

    // Assign copies everything, flags included, into the receiver's own font.
    TQVTTextSettings copy;
    TFont* own = copy.GetFont();
    copy.Assign(*settings);
    EXPECT_EQ(copy.GetFont(), own);
    EXPECT_EQ(*copy.GetFont(), font);
    EXPECT_TRUE(copy.GetColor() == clSkyBlue && copy.GetHAlign() == haCenter && copy.GetVAlign() == vaBottom);
    EXPECT_TRUE(copy.getGroupRow() && copy.getFocused() && copy.getSelected() && copy.GetTransparent());
}

TEST_F(TextSettingsFile, BrokenOrMissingValuesFallBackToTheDefaultsAndAbsurdSizesAreLimited)
{
    const auto broken = load<TQVTTextSettings>("[S]\ntypeID=Text Settings\nfontColor=purplish\nfontSize=big\n"
                                               "fontBold=perhaps\nbackgroundColor=$GG\nalignHorizontal=x\n");
    EXPECT_EQ(broken->GetFont()->Name, "Arial");
    EXPECT_EQ(broken->GetFont()->Color, clBlack);
    EXPECT_EQ(broken->GetFont()->Size(), 10);
    EXPECT_TRUE(broken->GetFont()->Style.Empty());
    EXPECT_EQ(broken->GetColor(), clWhite);
    EXPECT_EQ(broken->GetHAlign(), haLeft);
    EXPECT_EQ(broken->GetVAlign(), vaTop);
    EXPECT_FALSE(broken->GetTransparent());
    EXPECT_EQ(capture.log.size(), 2u); // one line per unreadable colour

    // A size this large would make every paint rasterise gigantic glyphs.
    const auto huge = load<TQVTTextSettings>("[S]\ntypeID=Text Settings\nfontSize=2000000000\n");
    EXPECT_EQ(huge->GetFont()->Size(), 1000);
    const auto negative = load<TQVTTextSettings>("[S]\ntypeID=Text Settings\nfontSize=-2000000000\n");
    EXPECT_EQ(negative->GetFont()->Size(), -1000);
    // Unknown alignment codes are kept as stored; layout treats them like the first.
    const auto odd = load<TQVTTextSettings>("[S]\ntypeID=Text Settings\nalignHorizontal=7\nalignVertical=-3\n");
    EXPECT_EQ(odd->GetHAlign(), 7);
    EXPECT_EQ(odd->GetVAlign(), -3);
}

TEST_F(TextSettingsFile, RowAndColumnSettingsLoadDefaultsAndSaveTheirKeysInOrder)
{
    const auto row = load<TQVTTreeRowSettings>("[S]\ntypeID=Tree Row Settings\n");
    EXPECT_EQ(row->FFont.Name, "Arial");
    EXPECT_EQ(row->FFont.Size(), 10);
    EXPECT_EQ(row->FFont.Color, clBlack);
    EXPECT_EQ(row->FColor, 0xEFDAC5u);
    EXPECT_EQ(row->FGroupColor, 0xFFBAB5u);
    EXPECT_FALSE(row->FAutoHeight);
    const auto col = load<TQVTTreeColSettings>("[S]\ntypeID=Tree Column Settings\n");
    EXPECT_EQ(col->FHAlign, 0);
    EXPECT_EQ(col->FVAlign, 2);
    EXPECT_EQ(col->FWidth, 200);

    row->FFont.Name = "Liberation Mono";
    row->FFont.SetSize(12);
    row->FFont.Color = clNavy;
    row->FColor = clCream;
    row->FGroupColor = 0x02123456;
    row->FAutoHeight = true;
    const std::string rowText = "typeID=Tree Row Settings\nfontColor=clNavy\nfontName=Liberation Mono\n"
                                "fontSize=12\nbackgroundColor=clCream\ngroup color=$02123456\nauto height=1\n";
    EXPECT_EQ(savedRoot(row), rowText);
    EXPECT_EQ(roundTrip(row)->FFont, row->FFont);
    EXPECT_EQ(savedRoot(roundTrip(row)), rowText);

    col->FHAlign = 1;
    col->FVAlign = 0;
    col->FWidth = 37;
    const std::string colText = "typeID=Tree Column Settings\nalignHorizontal=1\nalignVertical=0\nwidth=37\n";
    EXPECT_EQ(savedRoot(col), colText);
    EXPECT_EQ(savedRoot(roundTrip(col)), colText);

    TQVTTreeRowSettings rowCopy;
    rowCopy.Assign(*row);
    EXPECT_EQ(rowCopy.FFont, row->FFont);
    EXPECT_EQ(rowCopy.FGroupColor, row->FGroupColor);
    EXPECT_TRUE(rowCopy.FAutoHeight);
    TQVTTreeColSettings colCopy;
    colCopy.Assign(*col);
    EXPECT_EQ(colCopy.FWidth, 37);
}

// A grid whose row shares its settings with the cell; the grid's colours are all given.
const char* const GridIni =
    "\n[G]\nTypeID=Tree Grid\nroot node=Top\nrow selected color=$000001\nrow selected font color=$000002\n"
    "row focused color=$000003\nrow focused font color=$000004\ndefault row settings=RS\n"
    "default col settings=CS\n[Top]\ntypeID=Tree Node\nrow=empty\nchildren#count=1\nchildren#0=N\n[N]\n"
    "typeID=Tree Node\nrow=Row\n[Row]\ntypeID=Tree Row\nsettings=RS\n[RS]\ntypeID=Tree Row Settings\n"
    "fontColor=clGreen\nbackgroundColor=$000010\ngroup color=$000020\n[CS]\ntypeID=Tree Column Settings\n"
    "alignHorizontal=1\nalignVertical=0\n";

TEST_F(TextSettingsFile, TheGridKeepsItsSelectionColoursThroughASave)
{
    const auto defaults = load<TQVTTreeGrid>("[G]\nTypeID=Tree Grid\n", "G");
    EXPECT_EQ(defaults->FSelectedRowColor, 0xC56AC5u);
    EXPECT_EQ(defaults->FSelectedRowFontColor, clWhite);
    EXPECT_EQ(defaults->FFocusedRowColor, 0x808080u);
    EXPECT_EQ(defaults->FFocusedRowFontColor, 0xFFFFFFu);

    const auto grid = load<TQVTTreeGrid>(GridIni, "G");
    const auto path = saveToFile(grid);
    EXPECT_NE(readFile(path).find("root node=Top\nbackground color=$00FFEAD5\nupper pane color=$02C56A31\n"
                                  "row selected color=$00000001\nrow selected font color=$00000002\n"
                                  "row focused color=$00000003\nrow focused font color=$00000004\n"
                                  "default row settings=RS\n"),
              std::string::npos)
        << readFile(path);
    const auto back = std::dynamic_pointer_cast<TQVTTreeGrid>(loadFile(path, "G"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->FSelectedRowColor, 1u);
    EXPECT_EQ(back->FSelectedRowFontColor, 2u);
    EXPECT_EQ(back->FFocusedRowColor, 3u);
    EXPECT_EQ(back->FFocusedRowFontColor, 4u);
}

TEST_F(TextSettingsFile, ATreeCellsSettingsAnswerFromItsRowItsColumnAndTheGridOrAloneStill)
{
    const auto grid = load<TQVTTreeGrid>(GridIni, "G");
    TQVTTreeRowSettings& row = *grid->FRootNode->Fchildren.at(0)->FRow->Fsettings;
    TQVTTreeTextSettings cell(&row, grid->FDefaultColSettings.get());

    EXPECT_EQ(cell.GetColor(), 0x10u);
    EXPECT_EQ(cell.GetFont()->Color, clGreen);
    cell.setGroupRow(true);
    EXPECT_EQ(cell.GetColor(), 0x20u);
    cell.setSelected(true);
    EXPECT_EQ(cell.GetColor(), 1u);
    EXPECT_EQ(cell.GetFont()->Color, 2u);
    cell.setFocused(true);
    EXPECT_EQ(cell.GetColor(), 3u);
    EXPECT_EQ(cell.GetFont()->Color, 4u);
    // The answer is a copy: the row keeps its own font colour.
    EXPECT_EQ(row.FFont.Color, clGreen);
    cell.setFocused(false);
    cell.setSelected(false);
    EXPECT_EQ(cell.GetFont()->Color, clGreen);

    EXPECT_EQ(cell.GetHAlign(), haRight);
    EXPECT_EQ(cell.GetVAlign(), vaTop);
    cell.SetTransparent(true);
    EXPECT_FALSE(cell.GetTransparent());

    // Writes go through to the shared settings.
    cell.setGroupRow(false);
    cell.SetColor(clMaroon);
    TFont font;
    font.Name = "Courier";
    cell.SetFont(font);
    cell.SetHAlign(haCenter);
    cell.SetVAlign(vaBottom);
    EXPECT_EQ(row.FColor, clMaroon);
    EXPECT_EQ(row.FFont.Name, "Courier");
    EXPECT_EQ(grid->FDefaultColSettings->FHAlign, haCenter);
    EXPECT_EQ(grid->FDefaultColSettings->FVAlign, vaBottom);
    EXPECT_EQ(cell.GetColor(), clMaroon);

    // Outside a grid, or without settings, they still answer.
    TQVTTreeRowSettings plainRow;
    TQVTTreeTextSettings alone(&plainRow, nullptr);
    alone.setFocused(true);
    EXPECT_EQ(alone.GetColor(), plainRow.FColor);
    EXPECT_EQ(alone.GetFont()->Color, plainRow.FFont.Color);
    EXPECT_EQ(alone.GetHAlign(), haLeft);

    TQVTTreeTextSettings none(nullptr, nullptr);
    EXPECT_EQ(none.GetFont(), nullptr);
    none.SetColor(clRed);
    none.SetHAlign(haRight);
    EXPECT_EQ(none.GetHAlign(), haLeft);
}

} // namespace
