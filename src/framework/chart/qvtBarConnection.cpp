#include "corvane/framework/chart/qvtBarConnection.h"

#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/objects/qvtLoadedObject_p.h"
#include "corvane/framework/time/qvtCalendar.h"

namespace corvane {

std::unique_ptr<TQVTDrawer> TQVTBarConnection::makeDrawer() const
{
    return std::make_unique<TQVTBarConnectionDrawer>(const_cast<TQVTBarConnection*>(this));
}

std::unique_ptr<TQVTDrawer> TQVTBarConnection::makePertViewDrawer() const
{
    return std::make_unique<TQVTBarConnectionPertDrawer>(const_cast<TQVTBarConnection*>(this));
}

TQVTBarConnection::TQVTBarConnection()
{
}

TQVTBarConnection::TQVTBarConnection(std::shared_ptr<TQVTGanttBar> from, std::shared_ptr<TQVTGanttBar> to, int type)
    : barFrom(std::move(from)),
      barTo(std::move(to))
{
    setConnType(type);
}

TDateTime TQVTBarConnection::originDate() const
{
    return (connType & 2) ? barFrom->getStartDate() : barFrom->getEndDate();
}

TDateTime TQVTBarConnection::targetDate() const
{
    return (connType & 1) ? barTo->getStartDate() : barTo->getEndDate();
}

bool TQVTBarConnection::liesOutside(TDateTime first, TDateTime last) const
{
    return barFrom && barTo &&
           ((barFrom->getEndDate() < first && barTo->getEndDate() < first) ||
            (barFrom->getStartDate() > last && barTo->getStartDate() > last));
}

double TQVTBarConnection::findViolationOffset() const
{
    if (!barFrom || !barTo || !barFrom->isSummarizable() || !barTo->isSummarizable())
        return 0;
    const TDateTime a = originDate();
    const TDateTime b = targetDate();
    // Forward, the gap is never negative in either count, so a distance of at most 0 holds
    // without asking the calendar (painting asks this of every connection it draws).
    if (b >= a && FMinDistance <= 0 && !FDistanceFixed)
        return 0;
    auto* document = dynamic_cast<TQVTDocumentSetup*>(getParent());
    TQVTDocumentCalendar* calendar = document ? document->getCalendar() : nullptr;
    // A distance in calendar days counts every day between the two ends.
    const double gap = calendar && FWorkingDays ? calendar->diffEffective(a, b) : b - a;
    const double offset = FMinDistance - gap;
    return offset < 0 && !FDistanceFixed ? 0 : offset;
}

void TQVTBarConnection::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    factory.saveChild(name, "from", barFrom.get(), media);
    factory.saveChild(name, "to", barTo.get(), media);
    media.setIntProperty(name, "type", connType);
    media.setIntProperty(name, "distance", FMinDistance);
    media.setBoolProperty(name, "distanceFixed", FDistanceFixed);
    media.setBoolProperty(name, "distnaceDaysWorking", FWorkingDays);
}

std::shared_ptr<TQVTGanttObject> TQVTBarConnectionPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                      TQVTEntityFactory& factory)
{
    auto connection = makeLoaded<TQVTBarConnection>(factory);
    connection->barFrom = loadChildAs<TQVTGanttBar>("from", media, factory, connection.get());
    connection->barTo = loadChildAs<TQVTGanttBar>("to", media, factory, connection.get());
    int type = 0;
    media.getIntProperty(name, "type", 0, type);
    connection->setConnType(type);
    media.getIntProperty(name, "distance", 0, connection->FMinDistance);
    media.getBoolProperty(name, "distanceFixed", true, connection->FDistanceFixed);
    media.getBoolProperty(name, "distnaceDaysWorking", true, connection->FWorkingDays);
    return connection;
}

void TQVTBarConnection::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttObject::GetPublishedProperties(props);
    props.addObject("origin", [this]() -> TQVTGanttObject* { return barFrom.get(); });
    props.addObject("target", [this]() -> TQVTGanttObject* { return barTo.get(); });
    props.add("originType", [this] { return (connType & 2) != 0; },
              [this](bool value) { setConnType(value ? connType | 2 : connType & ~2); });
    props.add("targetType", [this] { return (connType & 1) != 0; },
              [this](bool value) { setConnType(value ? connType | 1 : connType & ~1); });
    props.add("minDistance", [this] { return FMinDistance; }, [this](int value) { FMinDistance = value; });
    props.add("distanceFixed", [this] { return FDistanceFixed; }, [this](bool value) { FDistanceFixed = value; });
    props.add("workingDays", [this] { return FWorkingDays; }, [this](bool value) { FWorkingDays = value; });
    props.add("drawOnSingleRow", [this] { return FDrawOnSingleRow; },
              [this](bool value) { FDrawOnSingleRow = value; });
    props.add("criticalElement", [this] { return FCriticalElement; },
              [this](bool value) { FCriticalElement = value; });
    // A whole update reads every connection's kind and distance again.
    props.AfterEdit = [this](TQVTDataSourceIntf*) {
        TQVTDocumentSetup* document = FindDocumentSetup(this);
        if (auto* table = dynamic_cast<TQVTGanttTable*>(document ? document->GetTable() : nullptr))
            table->updateAfterChange();
    };
}

void TQVTConnectionSettings::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttObject::GetPublishedProperties(props);
    props.addReadOnly("showConnections", [this] { return FShowConnections; });
    props.add("colorSS", [this] { return FColorSS; }, [this](TColor value) { FColorSS = value; });
    props.add("colorSF", [this] { return FColorSF; }, [this](TColor value) { FColorSF = value; });
    props.add("colorFS", [this] { return FColorFS; }, [this](TColor value) { FColorFS = value; });
    props.add("colorFF", [this] { return FColorFF; }, [this](TColor value) { FColorFF = value; });
    props.add("colorHighlighted", [this] { return FColorHighlighted; },
              [this](TColor value) { FColorHighlighted = value; });
}

TColor TQVTConnectionSettings::getColor(int type) const
{
    switch (type) {
    case TQVTBarConnection::StartToStart:
        return FColorSS;
    case TQVTBarConnection::StartToFinish:
        return FColorSF;
    case TQVTBarConnection::FinishToStart:
        return FColorFS;
    default:
        return FColorFF;
    }
}

void TQVTConnectionSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setBoolProperty(name, "show connections", FShowConnections);
    media.setColorProperty(name, "colorSS", FColorSS);
    media.setColorProperty(name, "colorSF", FColorSF);
    media.setColorProperty(name, "colorFS", FColorFS);
    media.setColorProperty(name, "colorFF", FColorFF);
    media.setColorProperty(name, "colorHighLighted", FColorHighlighted);
}

std::shared_ptr<TQVTGanttObject> TQVTConnectionSettingsPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                           TQVTEntityFactory&)
{
    auto settings = std::make_shared<TQVTConnectionSettings>();
    media.getBoolProperty(name, "show connections", true, settings->FShowConnections);
    media.getColorProperty(name, "colorSS", 0, settings->FColorSS);
    media.getColorProperty(name, "colorSF", 0, settings->FColorSF);
    media.getColorProperty(name, "colorFS", 0, settings->FColorFS);
    media.getColorProperty(name, "colorFF", 0, settings->FColorFF);
    media.getColorProperty(name, "colorHighLighted", 0x000000FF, settings->FColorHighlighted);
    return settings;
}

} // namespace corvane
