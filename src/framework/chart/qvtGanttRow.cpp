#include "corvane/framework/chart/qvtGanttRow.h"

#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/pert/qvtPertBar.h"
#include "corvane/framework/time/qvtBlockedDays_p.h"

namespace corvane {

void TQVTGanttRow::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    factory.saveObjectList(name, "bars", media, FBarList);
    // The PERT box writes its own "pert bar" reference into this section.
    factory.saveObject(name, media, FPertBar.get());
}

void TQVTGanttRow::AddBlockedDate(TDateTime date)
{
    BlockedDates.push_back(date);
}

void TQVTGanttRow::ClearBlockedDates()
{
    BlockedDates.clear();
}

bool TQVTGanttRow::IsBlocked(TDateTime date) const
{
    // The calendar leaves out the same days.
    return TQVTBlockedDays(BlockedDates).IsBlocked(date);
}

std::shared_ptr<TQVTGanttObject> TQVTGanttRowPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    auto row = std::make_shared<TQVTGanttRow>();
    row->FBarList = factory.loadObjectListAs<TQVTGanttBar>(name, "bars", media, row.get());
    row->FPertBar = loadChildAs<TQVTPertBar>("pert bar", media, factory, row.get());
    return row;
}

} // namespace corvane
