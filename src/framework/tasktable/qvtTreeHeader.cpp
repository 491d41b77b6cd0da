#include "corvane/framework/tasktable/qvtTreeHeader.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"

namespace corvane {

void TQVTTreeHeaderCell::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    factory.saveChild(name, "settings", FSettings.get(), media);
    factory.saveChild(name, "dataType", FDataType.get(), media);
}

std::shared_ptr<TQVTGanttObject> TQVTTreeHeaderCellPersistence::doLoad(const std::string&, IQVTMedia& media,
                                                                       TQVTEntityFactory& factory)
{
    auto cell = std::make_shared<TQVTTreeHeaderCell>();
    cell->FSettings = loadChildAs<TQVTTreeColSettings>("settings", media, factory, cell.get());
    cell->FDataType = loadChildAs<TQVTTreeCellType>("dataType", media, factory, cell.get());
    return cell;
}

void TQVTTreeHeader::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    factory.saveObjectList(name, "cells", media, FCells);
}

std::shared_ptr<TQVTGanttObject> TQVTTreeHeaderPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                   TQVTEntityFactory& factory)
{
    auto header = std::make_shared<TQVTTreeHeader>();
    header->FCells = factory.loadObjectListAs<TQVTTreeHeaderCell>(name, "cells", media, header.get());
    return header;
}

} // namespace corvane
