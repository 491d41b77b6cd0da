#include "corvane/framework/chart/qvtTextHalo.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/objects/qvtLoadedObject_p.h"
#include "corvane/framework/rendering/qvtVisualContext.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace corvane {

namespace {

// Gap between a bar's edge and the labels beside it or aligned inside it.
constexpr int LabelGap = 3;

// Bar edges may lie anywhere in the 32-bit range; a position beyond it is off every surface.
int saturate(std::int64_t value)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

void TQVTTextHaloSettings::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttObject::GetPublishedProperties(props);
    props.add("PrintTextRight", [this] { return PrintTextRight; }, [this](bool value) { PrintTextRight = value; });
    props.add("PrintTextBottom", [this] { return PrintTextBottom; }, [this](bool value) { PrintTextBottom = value; });
    props.add("PrintTextLeft", [this] { return PrintTextLeft; }, [this](bool value) { PrintTextLeft = value; });
    props.add("PrintTextTop", [this] { return PrintTextTop; }, [this](bool value) { PrintTextTop = value; });
    props.add("PrintTextCenter", [this] { return PrintTextCenter; }, [this](bool value) { PrintTextCenter = value; });
}

void TQVTTextHaloSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setBoolProperty(name, "PrintTextLeft", PrintTextLeft);
    media.setBoolProperty(name, "PrintTextRight", PrintTextRight);
    media.setBoolProperty(name, "PrintTextTop", PrintTextTop);
    media.setBoolProperty(name, "PrintTextBottom", PrintTextBottom);
    media.setBoolProperty(name, "PrintTextCenter", PrintTextCenter);
}

std::shared_ptr<TQVTGanttObject> TQVTTextHaloSettingsPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                         TQVTEntityFactory&)
{
    auto settings = std::make_shared<TQVTTextHaloSettings>();
    media.getBoolProperty(name, "PrintTextLeft", true, settings->PrintTextLeft);
    media.getBoolProperty(name, "PrintTextRight", true, settings->PrintTextRight);
    media.getBoolProperty(name, "PrintTextTop", true, settings->PrintTextTop);
    media.getBoolProperty(name, "PrintTextBottom", true, settings->PrintTextBottom);
    media.getBoolProperty(name, "PrintTextCenter", true, settings->PrintTextCenter);
    return settings;
}

std::unique_ptr<TQVTDrawer> TQVTTextHalo::makeDrawer() const
{
    return std::make_unique<TQVTTextHaloDrawer>(const_cast<TQVTTextHalo*>(this));
}

TQVTTextHalo::TQVTTextHalo() : FTextHaloSettings(std::make_shared<TQVTTextHaloSettings>())
{
    FTextHaloSettings->PrintTextRight = true;
    FTextHaloSettings->PrintTextBottom = true;
    FTextHaloSettings->PrintTextLeft = true;
    FTextHaloSettings->PrintTextTop = true;
    FTextHaloSettings->PrintTextCenter = true;
}

TQVTTextHalo::TQVTTextHalo(std::shared_ptr<TQVTTextHaloSettings> settings) : FTextHaloSettings(std::move(settings))
{
}

TQVTTextSettings* TQVTTextHalo::getTextSetings()
{
    if (FTextSettings)
        return FTextSettings.get();
    TQVTDocumentSetup* document = FindDocumentSetup(this);
    return document ? dynamic_cast<TQVTTextSettings*>(document->getTextBarSettings()) : nullptr;
}

TQVTTextHaloSettings* TQVTTextHalo::GetTextHaloSettings()
{
    if (FTextHaloSettings)
        return FTextHaloSettings.get();
    TQVTDocumentSetup* document = FindDocumentSetup(this);
    TQVTTextHaloSettings* settings = document ? document->GetTextHaloSettings() : nullptr;
    // Only a default that somebody owns can be kept; the document remains its owner.
    if (auto shared = settings ? settings->weak_from_this().lock() : nullptr) {
        FTextHaloSettings = std::static_pointer_cast<TQVTTextHaloSettings>(std::move(shared));
        FDocumentDefault = FTextHaloSettings;
    }
    return settings;
}

void TQVTTextHalo::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttObject::GetPublishedProperties(props);
    const auto text = [&props](const char* name, std::string& field) {
        props.add(name, [&field] { return field; }, [&field](const std::string& value) { field = value; });
    };
    text("TextTop", TextTop);
    text("TextLeft", TextLeft);
    text("TextRight", TextRight);
    text("Hint", Hint);
    text("TextBottom", TextBottom);
    props.addObject("TextSettings", [this]() -> TQVTGanttObject* { return FTextSettings.get(); });
    text("TextCenter", TextCenter);
    // A default filled in from the document stays the document's; it is not the halo's to edit.
    props.addObject("TextHaloSettings", [this]() -> TQVTGanttObject* {
        return FTextHaloSettings && FTextHaloSettings != FDocumentDefault.lock() ? FTextHaloSettings.get() : nullptr;
    });
    props.add("HorzAlignmentCenter", [this] { return HorzAlignmentCenter; },
              [this](int value) { HorzAlignmentCenter = value; });
}

void TQVTTextHalo::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setStrProperty(name, "text left", TextLeft);
    media.setStrProperty(name, "text right", TextRight);
    media.setStrProperty(name, "text top", TextTop);
    media.setStrProperty(name, "text bottom", TextBottom);
    media.setStrProperty(name, "text center", TextCenter);
    media.setStrProperty(name, "hint", Hint);
    factory.saveChild(name, "text settings", FTextSettings.get(), media);
    // A default filled in from the document is not the halo's choice: the file keeps naming
    // none, so that a reload follows the document's default again.
    const bool ownSettings = FTextHaloSettings != FDocumentDefault.lock();
    factory.saveChild(name, "textual halo settings", ownSettings ? FTextHaloSettings.get() : nullptr, media);
}

std::shared_ptr<TQVTGanttObject> TQVTTextHaloPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    // No settings of its own until the file names some: most halos follow the document's.
    auto halo = makeLoaded<TQVTTextHalo>(factory, nullptr);
    media.getStrProperty(name, "text left", "", halo->TextLeft);
    media.getStrProperty(name, "text right", "", halo->TextRight);
    media.getStrProperty(name, "text top", "", halo->TextTop);
    media.getStrProperty(name, "text bottom", "", halo->TextBottom);
    media.getStrProperty(name, "text center", "", halo->TextCenter);
    media.getStrProperty(name, "hint", "", halo->Hint);
    halo->FTextSettings = loadChildAs<TQVTTextSettings>("text settings", media, factory, halo.get());
    halo->FTextHaloSettings = loadChildAs<TQVTTextHaloSettings>("textual halo settings", media, factory, halo.get());
    return halo;
}

bool TQVTTextHaloDrawer::Draw(TQVTVisualContext& vc)
{
    auto* halo = dynamic_cast<TQVTTextHalo*>(target);
    TQVTGanttObject* bar = halo ? halo->getParent() : nullptr;
    TQVTDrawer* barDrawer = bar ? bar->getDrawer(vtGanttGraph) : nullptr;
    TQVTTextSettings* textSettings = barDrawer ? halo->getTextSetings() : nullptr;
    if (!barDrawer || !textSettings)
        return false;
    const TRect r = barDrawer->getRect();
    const TFont& font = *textSettings->GetFont();
    vc.setFont(font.Name, font.Size(), font.Color, font.Style.Contains(fsBold), font.Style.Contains(fsItalic),
               font.Style.Contains(fsUnderline), 0);
    // The height of "A", not of the label, so that every label of a bar sits on the same lines.
    const int h = vc.TextHeight("A");
    const auto d = static_cast<std::int64_t>(std::llrint(1.2 * h));

    const TQVTTextHaloSettings* choice = halo->GetTextHaloSettings();
    const auto painted = [choice](bool TQVTTextHaloSettings::*flag, const std::string& text) {
        return !text.empty() && (!choice || choice->*flag);
    };
    if (painted(&TQVTTextHaloSettings::PrintTextTop, halo->TextTop))
        vc.centerText(TRect{r.Left, saturate(r.Top - d), r.Right, r.Top}, halo->TextTop, false);
    if (painted(&TQVTTextHaloSettings::PrintTextBottom, halo->TextBottom))
        vc.centerText(TRect{r.Left, r.Bottom, r.Right, saturate(r.Bottom + d)}, halo->TextBottom, false);
    if (painted(&TQVTTextHaloSettings::PrintTextLeft, halo->TextLeft))
        vc.textOutOriented(saturate(std::int64_t{r.Left} - vc.TextWidth(halo->TextLeft) - LabelGap), r.Top,
                           halo->TextLeft, 0);
    if (painted(&TQVTTextHaloSettings::PrintTextRight, halo->TextRight))
        vc.textOutOriented(saturate(std::int64_t{r.Right} + LabelGap), r.Top, halo->TextRight, 0);
    if (painted(&TQVTTextHaloSettings::PrintTextCenter, halo->TextCenter)) {
        // Division truncating toward zero, as the platform's does.
        const int y = saturate(r.Top + (std::int64_t{r.Bottom} - r.Top - h) / 2);
        switch (halo->HorzAlignmentCenter) {
        case haLeft:
            vc.textOutOriented(saturate(std::int64_t{r.Left} + LabelGap), y, halo->TextCenter, 0);
            break;
        case haRight:
            vc.textOutOriented(saturate(std::int64_t{r.Right} - LabelGap - vc.TextWidth(halo->TextCenter)), y,
                               halo->TextCenter, 0);
            break;
        default:
            vc.centerText(r, halo->TextCenter, false);
        }
    }
    return true;
}

} // namespace corvane
