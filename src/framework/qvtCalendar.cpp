#include "framework/qvtCalendar.h"

#include "framework/media/qvtMedia.h"
#include "framework/qvtEntityFactory.h"

namespace corvane {

void TQVTFixedDateException::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
}

std::shared_ptr<TQVTGanttObject> TQVTFixedDateExceptionPersistence::doLoad(const std::string&, IQVTMedia&,
                                                                           TQVTEntityFactory&)
{
    return std::make_shared<TQVTFixedDateException>();
}

void TQVTRecurringDateException::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
}

std::shared_ptr<TQVTGanttObject> TQVTRecurringDateExceptionPersistence::doLoad(const std::string&, IQVTMedia&,
                                                                               TQVTEntityFactory&)
{
    return std::make_shared<TQVTRecurringDateException>();
}

void TQVTDateCategory::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", isPredefined() ? PredefinedTypeID : TypeID);
    // Written for predefined categories too, although older files lack it there: holidays and
    // vacations added to them would otherwise be lost on every save.
    factory.saveObjectList(name, "exceptions", media, storedDates());
}

std::vector<std::shared_ptr<TQVTFixedDateException>> TQVTDateCategory::storedDates() const
{
    std::vector<std::shared_ptr<TQVTFixedDateException>> stored;
    for (const auto& date : FDates) {
        if (auto fixed = std::dynamic_pointer_cast<TQVTFixedDateException>(date))
            stored.push_back(std::move(fixed));
    }
    return stored;
}

void TQVTDateCategory::addDate(std::shared_ptr<TQVTDateException> exception)
{
    exception->setParent(this);
    FDates.push_back(std::move(exception));
}

std::shared_ptr<TQVTGanttObject> TQVTDateCategoryPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                     TQVTEntityFactory& factory)
{
    auto category = std::make_shared<TQVTDateCategory>();
    category->FDates = factory.loadObjectListAs<TQVTDateException>(name, "exceptions", media, category.get());
    return category;
}

TQVTWeekendsDateCategory::TQVTWeekendsDateCategory()
{
    addDate(std::make_shared<TQVTWeekend>());
}

std::shared_ptr<TQVTGanttObject> TQVTPredefinedDateCategoryPersistence::doLoad(const std::string& name,
                                                                               IQVTMedia& media,
                                                                               TQVTEntityFactory& factory)
{
    std::shared_ptr<TQVTDateCategory> category;
    if (name == "Holidays")
        category = std::make_shared<TQVTHolidaysDateCategory>();
    else if (name == "Vacations")
        category = std::make_shared<TQVTVacationsDateCategory>();
    else
        category = std::make_shared<TQVTWeekendsDateCategory>();
    auto stored = factory.loadObjectListAs<TQVTDateException>(name, "exceptions", media, category.get());
    category->FDates.insert(category->FDates.end(), stored.begin(), stored.end());
    return category;
}

std::string TQVTPredefinedDateCategoryPersistence::getTypeID() const
{
    return TQVTDateCategory::PredefinedTypeID;
}

void TQVTDocumentCalendar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    const std::string uid = getUID();
    media.setStrProperty(name, "calendar", uid);
    media.setStrProperty(uid, "typeID", TypeID);
    factory.saveObjectList(uid, "categories", media, FCategories);
}

std::shared_ptr<TQVTGanttObject> TQVTDocumentCalendarPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                         TQVTEntityFactory& factory)
{
    auto calendar = std::make_shared<TQVTDocumentCalendar>();
    calendar->FCategories = factory.loadObjectListAs<TQVTDateCategory>(name, "categories", media, calendar.get());
    return calendar;
}

} // namespace corvane
