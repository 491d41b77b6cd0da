#include "corvane/framework/rendering/qvtTextSettings.h"

#include "corvane/framework/media/qvtMedia.h"

#include <algorithm>

namespace corvane {

namespace {

// Beyond this a hostile file could make every paint rasterise gigantic glyphs.
constexpr int MaxFontPoints = 1000;

} // namespace

void saveFontKeys(const std::string& name, IQVTMedia& media, const TFont& font)
{
    media.setColorProperty(name, "fontColor", font.Color);
    media.setStrProperty(name, "fontName", font.Name);
    media.setIntProperty(name, "fontSize", font.Size());
}

void loadFontKeys(const std::string& name, IQVTMedia& media, TFont& font)
{
    media.getColorProperty(name, "fontColor", clBlack, font.Color);
    media.getStrProperty(name, "fontName", "Arial", font.Name);
    int size = 0;
    media.getIntProperty(name, "fontSize", 10, size);
    font.SetSize(std::clamp(size, -MaxFontPoints, MaxFontPoints));
}

TQVTTextSettings::TQVTTextSettings()
{
    FFont.SetSize(9);
}

void TQVTTextSettings::Assign(const TQVTTextSettings& source)
{
    FColor = source.FColor;
    FHAlign = source.FHAlign;
    FVAlign = source.FVAlign;
    FGroupRow = source.FGroupRow;
    FFocused = source.FFocused;
    FSelected = source.FSelected;
    FTransparent = source.FTransparent;
    FFont = source.FFont;
}

void TQVTTextSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
    saveFontKeys(name, media, FFont);
    media.setBoolProperty(name, "fontBold", FFont.Style.Contains(fsBold));
    media.setBoolProperty(name, "fontItalic", FFont.Style.Contains(fsItalic));
    media.setColorProperty(name, "backgroundColor", FColor);
    media.setIntProperty(name, "alignHorizontal", FHAlign);
    media.setIntProperty(name, "alignVertical", FVAlign);
    media.setBoolProperty(name, "transparent", FTransparent);
}

std::shared_ptr<TQVTGanttObject> TQVTTextSettingsPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                     TQVTEntityFactory&)
{
    auto settings = std::make_shared<TQVTTextSettings>();
    // A fresh font: what the file does not store (underline, turn) is off.
    TFont font;
    loadFontKeys(name, media, font);
    bool bold = false;
    bool italic = false;
    media.getBoolProperty(name, "fontBold", false, bold);
    media.getBoolProperty(name, "fontItalic", false, italic);
    if (bold)
        font.Style.Include(fsBold);
    if (italic)
        font.Style.Include(fsItalic);
    settings->FFont = font;
    media.getColorProperty(name, "backgroundColor", clWhite, settings->FColor);
    media.getIntProperty(name, "alignHorizontal", haLeft, settings->FHAlign);
    media.getIntProperty(name, "alignVertical", vaTop, settings->FVAlign);
    media.getBoolProperty(name, "transparent", false, settings->FTransparent);
    return settings;
}

} // namespace corvane
