#pragma once
// The working-time calendar of a document: ordered date categories made of date exceptions.

#include "framework/qvtTimeMode.h"

#include <memory>
#include <string>
#include <vector>

namespace corvane {

class IQVTDateException : public TQVTGanttObject {};

class IQVTDateCategory : public TQVTGanttObject {};

class IQVTCalendar : public TQVTTimeModeObject {};

class TQVTDateException : public IQVTDateException {};

// Every Saturday and Sunday; created by the weekends category, never stored.
class TQVTWeekend : public TQVTDateException {};

class TQVTSaturday : public TQVTWeekend {};

class TQVTSunday : public TQVTWeekend {};

class TQVTFixedDateException : public TQVTDateException {
public:
    static constexpr const char* TypeID = "Fixed Date Exception";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
};

class TQVTFixedDateExceptionPersistence : public TQVTPersistenceOf<TQVTFixedDateException> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTRecurringDateException : public TQVTFixedDateException {
public:
    static constexpr const char* TypeID = "Recurring Date Exception";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
};

class TQVTRecurringDateExceptionPersistence : public TQVTPersistenceOf<TQVTRecurringDateException> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTDateCategory : public IQVTDateCategory {
public:
    static constexpr const char* TypeID = "Date Category";
    static constexpr const char* PredefinedTypeID = "Predefined Date Category";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    // Takes the exception into the list and becomes its parent.
    void addDate(std::shared_ptr<TQVTDateException> exception);

    std::vector<std::shared_ptr<TQVTDateException>> FDates;

protected:
    // Predefined categories are recreated from their section name.
    virtual bool isPredefined() const { return false; }

private:
    // The exceptions that have a stored form; built-in weekend exceptions come back with their category.
    std::vector<std::shared_ptr<TQVTFixedDateException>> storedDates() const;
};

class TQVTDateCategoryPersistence : public TQVTPersistenceOf<TQVTDateCategory> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTWeekendsDateCategory : public TQVTDateCategory {
public:
    TQVTWeekendsDateCategory();

protected:
    bool isPredefined() const override { return true; }
};

class TQVTHolidaysDateCategory : public TQVTDateCategory {
protected:
    bool isPredefined() const override { return true; }
};

class TQVTVacationsDateCategory : public TQVTDateCategory {
protected:
    bool isPredefined() const override { return true; }
};

// Creates the predefined category named by the section ("Holidays", "Vacations", else weekends) and
// appends the stored exceptions to its built-in ones.
class TQVTPredefinedDateCategoryPersistence : public TQVTPersistence {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
    std::string getTypeID() const override;
};

class TQVTDocumentCalendar : public IQVTCalendar {
public:
    static constexpr const char* TypeID = "Document Calendar";

    // Saved by the document: writes "calendar" = its identifier into the document's section name,
    // then its own section.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::vector<std::shared_ptr<TQVTDateCategory>> FCategories;
};

class TQVTDocumentCalendarPersistence : public TQVTPersistenceOf<TQVTDocumentCalendar> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
