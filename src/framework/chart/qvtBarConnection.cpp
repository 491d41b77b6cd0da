#include "corvane/framework/chart/qvtBarConnection.h"

#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"

namespace corvane {

void TQVTBarConnection::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    factory.saveChild(name, "from", barFrom.get(), media);
    factory.saveChild(name, "to", barTo.get(), media);
}

std::shared_ptr<TQVTGanttObject> TQVTBarConnectionPersistence::doLoad(const std::string&, IQVTMedia& media,
                                                                      TQVTEntityFactory& factory)
{
    auto connection = std::make_shared<TQVTBarConnection>();
    connection->barFrom = loadChildAs<TQVTGanttBar>("from", media, factory, connection.get());
    connection->barTo = loadChildAs<TQVTGanttBar>("to", media, factory, connection.get());
    return connection;
}

void TQVTConnectionSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
}

std::shared_ptr<TQVTGanttObject> TQVTConnectionSettingsPersistence::doLoad(const std::string&, IQVTMedia&,
                                                                           TQVTEntityFactory&)
{
    return std::make_shared<TQVTConnectionSettings>();
}

} // namespace corvane
