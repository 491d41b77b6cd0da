#include "corvane/framework/tasktable/qvtTreeTextSettings.h"

#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"

namespace corvane {

TQVTTreeTextSettings::TQVTTreeTextSettings(TQVTTreeRowSettings* rowSettings, TQVTTreeColSettings* colSettings)
    : RowSettings(rowSettings),
      ColSettings(colSettings)
{
}

TQVTTreeGrid* TQVTTreeTextSettings::grid() const
{
    for (TQVTGanttObject* owner = RowSettings; owner; owner = owner->getParent())
        if (auto* found = dynamic_cast<TQVTTreeGrid*>(owner))
            return found;
    return nullptr;
}

TColor TQVTTreeTextSettings::GetColor()
{
    if (!RowSettings)
        return 0;
    // Settings outside a grid have no selection colours.
    if (const TQVTTreeGrid* g = grid()) {
        if (focused)
            return g->FFocusedRowColor;
        if (selected)
            return g->FSelectedRowColor;
    }
    return groupRow ? RowSettings->FGroupColor : RowSettings->FColor;
}

TFont* TQVTTreeTextSettings::GetFont()
{
    if (!RowSettings)
        return nullptr;
    resultFont = RowSettings->FFont;
    if (const TQVTTreeGrid* g = grid()) {
        if (focused)
            resultFont.Color = g->FFocusedRowFontColor;
        else if (selected)
            resultFont.Color = g->FSelectedRowFontColor;
    }
    return &resultFont;
}

int TQVTTreeTextSettings::GetHAlign()
{
    return ColSettings ? ColSettings->FHAlign : haLeft;
}

int TQVTTreeTextSettings::GetVAlign()
{
    return ColSettings ? ColSettings->FVAlign : vaTop;
}

void TQVTTreeTextSettings::SetColor(TColor color)
{
    if (RowSettings)
        RowSettings->FColor = color;
}

void TQVTTreeTextSettings::SetFont(const TFont& font)
{
    if (RowSettings)
        RowSettings->FFont = font;
}

void TQVTTreeTextSettings::SetHAlign(int align)
{
    if (ColSettings)
        ColSettings->FHAlign = align;
}

void TQVTTreeTextSettings::SetVAlign(int align)
{
    if (ColSettings)
        ColSettings->FVAlign = align;
}

} // namespace corvane
