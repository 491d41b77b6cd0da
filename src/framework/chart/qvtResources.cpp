#include "corvane/framework/chart/qvtResources.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/rendering/qvtVisualContext.h"
#include "corvane/platform/Colors.h"
#include "corvane/platform/DiagnosticLog.h"
#include "corvane/platform/Graphics.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string_view>

namespace corvane {

namespace {

constexpr int PlaceholderSize = 100;

// A glyph square or slice box beyond the 32-bit range lies off every surface anyway.
int saturate(std::int64_t value)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::unique_ptr<TGraphic> makePlaceholder()
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(PlaceholderSize, PlaceholderSize);
    TCanvas& canvas = bitmap->Canvas();
    canvas.Pen() = TPen{};
    canvas.MoveTo(0, 0);
    canvas.LineTo(PlaceholderSize, PlaceholderSize);
    canvas.MoveTo(0, PlaceholderSize);
    canvas.LineTo(PlaceholderSize, 0);
    return bitmap;
}

bool isJpegType(const std::string& mimeType)
{
    return mimeType == "image/jpg" || mimeType == "image/jpeg";
}

// The characters that a suggested side-file name must not hold.
bool unsafeInFileName(char c)
{
    static constexpr std::string_view Unsafe = " \"'+:;<=>?[\\]|/";
    return Unsafe.find(c) != std::string_view::npos || static_cast<unsigned char>(c) < 0x20;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Visual goodie

std::unique_ptr<TQVTDrawer> TQVTVisualGoodie::makeDrawer() const
{
    return std::make_unique<TQVTVisualGoodieDrawer>(const_cast<TQVTVisualGoodie*>(this));
}

TQVTVisualGoodie::TQVTVisualGoodie()
{
}

TQVTTimeSlice TQVTVisualGoodie::GetSliced(int i) const
{
    return i >= 0 && i < SlicesCount() ? FTimeSlices[static_cast<std::size_t>(i)] : TQVTTimeSlice{};
}

void TQVTVisualGoodie::Assign(const TQVTVisualGoodie& other)
{
    FDrawStyle = other.FDrawStyle;
    FGradientFillStartColor = other.FGradientFillStartColor;
    FGradientFillEndColor = other.FGradientFillEndColor;
    FGradientFillHorizontal = other.FGradientFillHorizontal;
    FSolidFillColor = other.FSolidFillColor;
}

void TQVTVisualGoodie::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setIntProperty(name, "draw style", FDrawStyle);
    media.setColorProperty(name, "gradient fill start color", FGradientFillStartColor);
    media.setColorProperty(name, "gradient fill end color", FGradientFillEndColor);
    media.setColorProperty(name, "solid fill color", FSolidFillColor);
    media.setColorProperty(name, "pattern color", FPatternColor);
    media.setColorProperty(name, "start glyph transparent color", FStartGlyphTransparentColor);
    media.setColorProperty(name, "end glyph transparent color", FEndGlyphTransparentColor);
    media.setBoolProperty(name, "gradient fill horizontal", FGradientFillHorizontal);
    // The key is spelled so in every stored document.
    media.setIntProperty(name, "patterm fill style", FPatternFillStyle);
    factory.saveChild(name, "start glyph", FStartGlyph.get(), media);
    factory.saveChild(name, "end glyph", FEndGlyph.get(), media);
}

std::shared_ptr<TQVTGanttObject> TQVTVisualGoodiePersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                     TQVTEntityFactory& factory)
{
    auto goodie = std::make_shared<TQVTVisualGoodie>();
    int drawStyle = dsDrawSolid;
    media.getIntProperty(name, "draw style", dsDrawSolid, drawStyle);
    if (drawStyle < dsDrawSolid || drawStyle > dsDrawHatch) {
        addlog("Visual goodie \"" + name + "\": draw style " + std::to_string(drawStyle) + " replaced by solid");
        drawStyle = dsDrawSolid;
    }
    goodie->FDrawStyle = static_cast<TQVTDrawStyles>(drawStyle);
    media.getColorProperty(name, "gradient fill start color", 0xFF0000, goodie->FGradientFillStartColor);
    media.getColorProperty(name, "gradient fill end color", 0x800080, goodie->FGradientFillEndColor);
    media.getColorProperty(name, "solid fill color", 0xFF0000, goodie->FSolidFillColor);
    media.getColorProperty(name, "pattern color", 0xFF0000, goodie->FPatternColor);
    media.getColorProperty(name, "start glyph transparent color", 0, goodie->FStartGlyphTransparentColor);
    media.getColorProperty(name, "end glyph transparent color", 0, goodie->FEndGlyphTransparentColor);
    media.getBoolProperty(name, "gradient fill horizontal", true, goodie->FGradientFillHorizontal);
    int patternStyle = bsDiagCross;
    media.getIntProperty(name, "patterm fill style", bsDiagCross, patternStyle);
    if (patternStyle < bsSolid || patternStyle > bsDiagCross) {
        addlog("Visual goodie \"" + name + "\": pattern fill style " + std::to_string(patternStyle) +
               " replaced by diagonal cross");
        patternStyle = bsDiagCross;
    }
    goodie->FPatternFillStyle = static_cast<TBrushStyle>(patternStyle);
    goodie->FStartGlyph = loadChildAs<TQVTPictureResource>("start glyph", media, factory, goodie.get());
    goodie->FEndGlyph = loadChildAs<TQVTPictureResource>("end glyph", media, factory, goodie.get());
    return goodie;
}

TQVTVisualGoodie* TQVTVisualGoodieDrawer::goodie() const
{
    return dynamic_cast<TQVTVisualGoodie*>(target);
}

TRect TQVTVisualGoodieDrawer::getRect()
{
    const TQVTVisualGoodie* g = goodie();
    return g ? g->FRect : TRect{};
}

bool TQVTVisualGoodieDrawer::Draw(TQVTVisualContext& vc)
{
    fillGoodie(vc);
    drawGlyphs(vc);
    return true;
}

void TQVTVisualGoodieDrawer::fillGoodie(TQVTVisualContext& vc)
{
    const TQVTVisualGoodie* g = goodie();
    if (!g)
        return;
    const auto fill = [&vc, g](TRect box) {
        switch (g->FDrawStyle) {
        case dsDrawGradient:
            vc.gradientFill(box, g->FGradientFillStartColor, g->FGradientFillEndColor, g->FGradientFillHorizontal);
            break;
        case dsDrawPattern:
            vc.DrawPattern(box, g->FSolidFillColor, g->FPatternColor, g->FPatternFillStyle);
            break;
        case dsDrawBar3D:
            vc.Draw3dFrame(box, g->FSolidFillColor);
            break;
        default:
            vc.FillArea(box, g->FSolidFillColor, bsSolid);
        }
    };
    const TRect r = g->FRect;
    if (g->FTimeSlices.empty()) {
        fill(r);
        return;
    }
    for (const TQVTTimeSlice& slice : g->FTimeSlices)
        fill(TRect{slice.start, r.Top, slice.end, r.Bottom});
}

void TQVTVisualGoodieDrawer::drawGlyphs(TQVTVisualContext& vc)
{
    const TQVTVisualGoodie* g = goodie();
    if (!g)
        return;
    const TRect r = g->FRect;
    const std::int64_t h = std::int64_t{r.Bottom} - r.Top;
    const auto paint = [&vc](TQVTPictureResource& glyph, TRect square) {
        TGraphic& picture = glyph.getGraphic();
        picture.SetTransparent(true);
        vc.stretchGraphic(square, picture);
    };
    if (g->FStartGlyph)
        paint(*g->FStartGlyph, TRect{r.Left, r.Top, saturate(r.Left + h), r.Bottom});
    if (g->FEndGlyph)
        paint(*g->FEndGlyph, TRect{saturate(r.Right - h), r.Top, r.Right, r.Bottom});
}

void TQVTVisualGoodieDrawer::drawBuffers(TRect r, TQVTVisualContext& vc)
{
    const TQVTVisualGoodie* g = goodie();
    if (!g)
        return;
    // The pattern is framed with the pen: in the pattern's colour, not whatever was drawn last.
    vc.setDrawingColor(g->FPatternColor);
    // An empty zone paints nothing (the pattern's frame would leave a line).
    const auto zone = [&vc, g](TRect box) {
        if (box.Right > box.Left && box.Bottom > box.Top)
            vc.DrawPattern(box, g->FSolidFillColor, g->FPatternColor, g->FPatternFillStyle);
    };
    zone(TRect{r.Left, r.Top, g->FRect.Left, r.Bottom});
    zone(TRect{g->FRect.Right, r.Top, r.Right, r.Bottom});
}

void TQVTVisualGoodieDrawer::drawSliceConnector(TQVTVisualContext& vc, TColor color, int, TPenStyle style)
{
    const TQVTVisualGoodie* g = goodie();
    if (!g || g->FTimeSlices.size() < 2)
        return;
    vc.setPenStyle(style);
    vc.setDrawingColor(color);
    const int y = g->FRect.Bottom;
    for (std::size_t i = 0; i + 1 < g->FTimeSlices.size(); ++i)
        vc.drawLine(g->FTimeSlices[i].end, y, g->FTimeSlices[i + 1].start, y);
    vc.setPenStyle(psSolid);
    vc.setDrawingColor(0);
}

void TQVTVisualGoodieDrawer::brighten(TQVTVisualContext& vc, TRect r, TColor color)
{
    const TQVTVisualGoodie* g = goodie();
    if (g && g->FDrawStyle != dsDrawPattern)
        vc.brighten(r, color, g->FGradientFillHorizontal);
}

// ---------------------------------------------------------------------------------------------
// Picture resource

TQVTPictureResource::TQVTPictureResource(std::string name) : TQVTResource(std::move(name)), FPicture(makePlaceholder())
{
}

TQVTPictureResource::~TQVTPictureResource() = default;

void TQVTPictureResource::setGraphic(std::unique_ptr<TGraphic> graphic)
{
    FLoadFailed = false;
    FPlaceholder = !graphic;
    FPicture = graphic ? std::move(graphic) : makePlaceholder();
    if (!FPlaceholder)
        FMimeType = FPicture->MimeType();
}

void TQVTPictureResource::setFileName(const std::string& fileName)
{
    FFileName = fileName.empty() ? std::string{} : baseFileName(fileName);
}

std::string TQVTPictureResource::baseFileName(const std::string& name)
{
    const std::size_t separator = name.find_last_of("/\\");
    std::string base = separator == std::string::npos ? name : name.substr(separator + 1);
    // A drive prefix ("C:name") would name another folder on some systems.
    std::replace(base.begin(), base.end(), ':', '_');
    base.erase(std::remove(base.begin(), base.end(), '\0'), base.end());
    // A fresh string rather than assigning to base: GCC 12 warns falsely about that at -O3.
    if (base.empty() || base == "." || base == "..")
        return std::string(1, '_');
    return base;
}

bool TQVTPictureResource::loadPicture(const std::string& folder)
{
    const auto fail = [this](const std::string& why) {
        addlog("Picture resource \"" + getName() + "\": " + why + "; the placeholder is kept");
        FLoadFailed = true;
        return false;
    };
    if (FFileName.empty())
        return fail("no file name");
    std::unique_ptr<TGraphic> graphic = TQVTPictureResourcePersistence::MimeTypeGraphic(FMimeType);
    if (!graphic)
        graphic = CreateGraphicForFile(FFileName);
    if (!graphic)
        return fail("unknown picture type \"" + FMimeType + "\"");
    const std::string path = (std::filesystem::path(folder) / FFileName).string();
    try {
        graphic->LoadFromFile(path);
    } catch (const std::exception& error) {
        return fail(std::string("cannot read ") + path + ": " + error.what());
    }
    if (graphic->Width() > MaxSide || graphic->Height() > MaxSide)
        return fail("picture of " + std::to_string(graphic->Width()) + " x " + std::to_string(graphic->Height()) +
                    " pixels is too large");
    FPicture = std::move(graphic);
    FPlaceholder = false;
    FLoadFailed = false;
    FLoaded = true;
    return true;
}

void TQVTPictureResource::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
    const bool bitmap = dynamic_cast<const TBitmap*>(FPicture.get()) != nullptr;
    const bool jpeg = dynamic_cast<const TJPEGImage*>(FPicture.get()) != nullptr;
    // Pictures of other kinds, and files that could not be read, keep their keys and their file
    // as they are: the placeholder is never written over a picture.
    if ((!bitmap && !jpeg) || (FLoadFailed && !FFileName.empty())) {
        if (FFileName.empty())
            return;
        media.setStrProperty(name, "mimetype", FMimeType);
        media.setStrProperty(name, "filename", FFileName);
        return;
    }
    // The recorded type follows the picture's class, whatever the resource was given.
    std::string mimeType = FMimeType;
    if (bitmap ? mimeType != "image/bmp" : !isJpegType(mimeType))
        mimeType = bitmap ? "image/bmp" : "image/jpg";
    std::string suggested = FFileName;
    if (suggested.empty()) {
        suggested = name;
        std::replace_if(suggested.begin(), suggested.end(), unsafeInFileName, '_');
        suggested = baseFileName(suggested) + (bitmap ? ".bmp" : ".jpg");
    }
    // The store writes JPEG side files under the one type it knows.
    const std::string stored = media.setGraphic(suggested, bitmap ? "image/bmp" : "image/jpg", *FPicture);
    // Stores answer the path they wrote; the key holds the plain name, read from the document's
    // own folder, so that the directory is never doubled.
    media.setStrProperty(name, "mimetype", mimeType);
    media.setStrProperty(name, "filename", baseFileName(stored));
}

std::unique_ptr<TGraphic> TQVTPictureResourcePersistence::MimeTypeGraphic(const std::string& mimeType)
{
    if (mimeType == "image/bmp")
        return std::make_unique<TBitmap>();
    if (isJpegType(mimeType))
        return std::make_unique<TJPEGImage>();
    return nullptr;
}

std::shared_ptr<TQVTGanttObject> TQVTPictureResourcePersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                        TQVTEntityFactory&)
{
    auto resource = std::make_shared<TQVTPictureResource>(name);
    std::string fileName;
    std::string mimeType;
    media.getStrProperty(name, "filename", "", fileName);
    media.getStrProperty(name, "mimetype", "image/bmp", mimeType);
    resource->setFileName(fileName);
    resource->setMimeType(mimeType);
    resource->loadPicture(media.getDirectory());
    return resource;
}

} // namespace corvane
