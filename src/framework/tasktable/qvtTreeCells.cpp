#include "corvane/framework/tasktable/qvtTreeCells.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"

namespace corvane {

void TQVTTreeCell::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", savedTypeID());
    factory.saveChild(name, "rowSettings", FRowSettings.get(), media);
    factory.saveChild(name, "colSettings", FColSettings.get(), media);
    factory.saveChild(name, "dataType", FDataType.get(), media);
}

std::shared_ptr<TQVTGanttObject> TQVTTreeCellPersistence::doLoad(const std::string&, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    auto cell = createCell();
    cell->FRowSettings = loadChildAs<TQVTTreeRowSettings>("rowSettings", media, factory, cell.get());
    cell->FColSettings = loadChildAs<TQVTTreeColSettings>("colSettings", media, factory, cell.get());
    cell->FDataType = loadChildAs<TQVTTreeCellType>("dataType", media, factory, cell.get());
    return cell;
}

std::shared_ptr<TQVTTreeCell> TQVTTreeCellPersistence::createCell() const
{
    return std::make_shared<TQVTTreeCell>();
}

} // namespace corvane
