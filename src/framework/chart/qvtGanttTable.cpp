#include "corvane/framework/chart/qvtGanttTable.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/pert/qvtPertBar.h"

namespace corvane {

void TQVTGanttTable::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    const std::string uid = getUID();
    media.setStrProperty(name, "table", uid);
    // Files of this kind spell the table's identifier key "TypeID"; sections and keys match without case.
    media.setStrProperty(uid, "TypeID", TypeID);
    factory.saveObjectList(uid, "rows", media, FRows);
    // "rowszorder" and "pertconnections" are read but never written.
    factory.saveChild(uid, "default pert settings", FDefaultPertBarSettings.get(), media);
}

std::span<const TDateTime> TQVTGanttTable::getBlockedDates(int row) const
{
    if (row < 0 || static_cast<std::size_t>(row) >= FRows.size())
        return {};
    const TQVTGanttRow* r = FRows[static_cast<std::size_t>(row)].get();
    return r ? std::span<const TDateTime>(r->BlockedDates) : std::span<const TDateTime>();
}

std::shared_ptr<TQVTGanttObject> TQVTGanttTablePersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                   TQVTEntityFactory& factory)
{
    auto table = std::make_shared<TQVTGanttTable>();
    table->FRows = factory.loadObjectListAs<TQVTGanttRow>(name, "rows", media, table.get());
    for (std::size_t i = 0; i < table->FRows.size(); ++i) {
        if (table->FRows[i])
            table->FRows[i]->FOrder = static_cast<int>(i);
    }
    table->FRowsZOrder = factory.loadObjectListAs<TQVTGanttRow>(name, "rowszorder", media, table.get());
    table->FPertBarConnections =
        factory.loadObjectListAs<TQVTBarConnection>(name, "pertconnections", media, table.get());
    table->FDefaultPertBarSettings =
        loadChildAs<TQVTPertBarSettings>("default pert settings", media, factory, table.get());
    return table;
}

} // namespace corvane
