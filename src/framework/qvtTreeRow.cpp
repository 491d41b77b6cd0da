#include "framework/qvtTreeRow.h"

#include "framework/media/qvtMedia.h"
#include "framework/qvtEntityFactory.h"
#include "framework/qvtTreeCells.h"

namespace corvane {

void TQVTTreeRowSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
}

std::shared_ptr<TQVTGanttObject> TQVTTreeRowSettingsPersistence::doLoad(const std::string&, IQVTMedia&,
                                                                        TQVTEntityFactory&)
{
    return std::make_shared<TQVTTreeRowSettings>();
}

void TQVTTreeColSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
}

std::shared_ptr<TQVTGanttObject> TQVTTreeColSettingsPersistence::doLoad(const std::string&, IQVTMedia&,
                                                                        TQVTEntityFactory&)
{
    return std::make_shared<TQVTTreeColSettings>();
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
    auto row = std::make_shared<TQVTTreeRow>();
    row->FCells = factory.loadObjectListAs<TQVTTreeCell>(name, "cells", media, row.get());
    row->Fsettings = loadChildAs<TQVTTreeRowSettings>("settings", media, factory, row.get());
    return row;
}

} // namespace corvane
