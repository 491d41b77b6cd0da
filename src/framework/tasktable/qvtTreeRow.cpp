#include "corvane/framework/tasktable/qvtTreeRow.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/objects/qvtLoadedObject_p.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"

#include <algorithm>

namespace corvane {

TQVTTreeRowSettings::TQVTTreeRowSettings()
{
    FFont.SetSize(10);
}

void TQVTTreeRowSettings::Assign(const TQVTTreeRowSettings& source)
{
    FColor = source.FColor;
    FGroupColor = source.FGroupColor;
    FFont = source.FFont;
    FAutoHeight = source.FAutoHeight;
}

void TQVTTreeRowSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
    saveFontKeys(name, media, FFont);
    media.setColorProperty(name, "backgroundColor", FColor);
    media.setColorProperty(name, "group color", FGroupColor);
    media.setBoolProperty(name, "auto height", FAutoHeight);
}

// Missing keys keep the values the settings are built with.
std::shared_ptr<TQVTGanttObject> TQVTTreeRowSettingsPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                        TQVTEntityFactory&)
{
    auto settings = std::make_shared<TQVTTreeRowSettings>();
    loadFontKeys(name, media, settings->FFont);
    media.getColorProperty(name, "backgroundColor", settings->FColor, settings->FColor);
    media.getColorProperty(name, "group color", settings->FGroupColor, settings->FGroupColor);
    media.getBoolProperty(name, "auto height", settings->FAutoHeight, settings->FAutoHeight);
    return settings;
}

void TQVTTreeColSettings::Assign(const TQVTTreeColSettings& source)
{
    FHAlign = source.FHAlign;
    FVAlign = source.FVAlign;
    FWidth = source.FWidth;
}

void TQVTTreeColSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setIntProperty(name, "alignHorizontal", FHAlign);
    media.setIntProperty(name, "alignVertical", FVAlign);
    media.setIntProperty(name, "width", FWidth);
}

std::shared_ptr<TQVTGanttObject> TQVTTreeColSettingsPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                        TQVTEntityFactory&)
{
    auto settings = std::make_shared<TQVTTreeColSettings>();
    media.getIntProperty(name, "alignHorizontal", settings->FHAlign, settings->FHAlign);
    media.getIntProperty(name, "alignVertical", settings->FVAlign, settings->FVAlign);
    media.getIntProperty(name, "width", settings->FWidth, settings->FWidth);
    return settings;
}

void TQVTTreeRow::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    factory.saveChild(name, "settings", Fsettings.get(), media);
    factory.saveObjectList(name, "cells", media, FCells);
}

std::shared_ptr<TQVTGanttObject> TQVTTreeRowPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                TQVTEntityFactory& factory)
{
    auto row = makeLoaded<TQVTTreeRow>(factory);
    row->FCells = factory.loadObjectListAs<TQVTTreeCell>(name, "cells", media, row.get());
    row->Fsettings = loadChildAs<TQVTTreeRowSettings>("settings", media, factory, row.get());
    return row;
}

void TQVTTreeRow::select(bool b)
{
    FSelected = b;
    if (TQVTDocumentSetup* document = FindDocumentSetup(this))
        if (IQVTChartTable* table = document->GetTable())
            table->setRowSelected(FIndex, b);
}

void TQVTTreeRow::focus(bool b)
{
    TQVTDocumentSetup* document = FindDocumentSetup(this);
    TQVTTreeGrid* grid = document ? document->GetTree() : nullptr;
    const bool inGrid = grid && FIndex >= 0 && FIndex < grid->rowsCount();
    // Losing the focus always works, so that no row keeps a focus the grid no longer knows.
    if (b && !inGrid)
        return;
    if (b)
        select(false);
    FFocused = b;
    if (IQVTChartTable* table = inGrid ? document->GetTable() : nullptr)
        table->setRowFocused(FIndex, b);
}

void TQVTTreeRow::setFitHeight()
{
    TQVTDocumentSetup* document = FindDocumentSetup(this);
    TQVTTreeGrid* grid = document ? document->GetTree() : nullptr;
    IQVTChartTable* table = document ? document->GetTable() : nullptr;
    if (!grid || !table || FIndex < 0 || FIndex >= grid->rowsCount())
        return;
    int height = 0;
    for (int i = 0; i < cellsCount(); ++i) {
        const TQVTTreeHeaderCell* column = grid->FHeader ? grid->FHeader->getHeaderCell(i) : nullptr;
        if (TQVTTreeCell* cell = getCell(i); cell && (i == 0 || !column || column->FVisible))
            height = std::max(height, cell->fitHeight());
    }
    // A height of 0 means nothing could be measured, not an empty row.
    if (height > 0)
        table->setRowHeight(FIndex, height);
}

} // namespace corvane
