#include "corvane/framework/chart/qvtLegend.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/rendering/qvtTextSettings.h"

namespace corvane {

void TQVTLegendCell::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    factory.saveChild(name, "text settings", FTextSettings.get(), media);
}

std::shared_ptr<TQVTGanttObject> TQVTLegendCellPersistence::doLoad(const std::string&, IQVTMedia& media,
                                                                   TQVTEntityFactory& factory)
{
    auto cell = std::make_shared<TQVTLegendCell>();
    cell->FTextSettings = loadChildAs<TQVTTextSettings>("text settings", media, factory, cell.get());
    return cell;
}

void TqvtLegendRow::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    factory.saveObjectList(name, "cells", media, FCells);
}

std::shared_ptr<TQVTGanttObject> TqvtLegendRowPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                  TQVTEntityFactory& factory)
{
    auto row = std::make_shared<TqvtLegendRow>();
    row->FCells = factory.loadObjectListAs<TQVTLegendCell>(name, "cells", media, row.get());
    return row;
}

void TQVTLegendBorder::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
}

std::shared_ptr<TQVTGanttObject> TQVTLegendBorderPersistence::doLoad(const std::string&, IQVTMedia&, TQVTEntityFactory&)
{
    return std::make_shared<TQVTLegendBorder>();
}

void TQVTLegend::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    factory.saveObjectList(name, "rows", media, FRows);
    factory.saveChild(name, "default cell settings", FDefaultCellSettings.get(), media);
    factory.saveObjectList(name, "borders", media, FBorders);
}

std::shared_ptr<TQVTGanttObject> TQVTLegendPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                               TQVTEntityFactory& factory)
{
    auto legend = std::make_shared<TQVTLegend>();
    legend->FRows = factory.loadObjectListAs<TqvtLegendRow>(name, "rows", media, legend.get());
    legend->FDefaultCellSettings = loadChildAs<TQVTTextSettings>("default cell settings", media, factory, legend.get());
    legend->FBorders = factory.loadObjectListAs<TQVTLegendBorder>(name, "borders", media, legend.get());
    return legend;
}

} // namespace corvane
