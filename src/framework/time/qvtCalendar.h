#pragma once
// The working-time calendar of a document: ordered date categories made of date exceptions.

#include "corvane/framework/time/qvtDateException.h"
#include "corvane/framework/time/qvtTimeMode.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace corvane {

class TQVTDateCategory;

/// A value of the process-wide change counter, larger than every one taken before: a stamp
/// never stands for two different states.
std::uint64_t NewChangeStamp();

/// An owning list of calendar objects. Every change through it takes a fresh change stamp, so
/// that an index built over the list tells any later content from the one it saw, even when
/// new objects and buffers take the addresses of old ones. Its items are read-only through it.
template <typename T>
class TQVTStampedList {
public:
    using value_type = std::shared_ptr<T>;
    using const_iterator = typename std::vector<value_type>::const_iterator;

    TQVTStampedList() = default;
    TQVTStampedList(const TQVTStampedList&) = delete;
    TQVTStampedList& operator=(const TQVTStampedList&) = delete;

    /// Replaces the whole content.
    TQVTStampedList& operator=(std::vector<value_type> items)
    {
        FItems = std::move(items);
        touch();
        return *this;
    }
    void push_back(value_type item)
    {
        FItems.push_back(std::move(item));
        touch();
    }
    /// Requires i < size().
    void erase(std::size_t i)
    {
        FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(i));
        touch();
    }
    /// Exchanges items i and j; requires both < size().
    void swapItems(std::size_t i, std::size_t j)
    {
        std::swap(FItems[i], FItems[j]);
        touch();
    }

    std::size_t size() const { return FItems.size(); }
    bool empty() const { return FItems.empty(); }
    const value_type& operator[](std::size_t i) const { return FItems[i]; }
    const_iterator begin() const { return FItems.begin(); }
    const_iterator end() const { return FItems.end(); }
    const std::vector<value_type>& items() const { return FItems; }
    /// The stamp of the latest change, or of the construction.
    std::uint64_t stamp() const { return FStamp; }

private:
    void touch() { FStamp = NewChangeStamp(); }

    std::vector<value_type> FItems;
    std::uint64_t FStamp = NewChangeStamp();
};

class IQVTDateCategory : public TQVTGanttObject {
public:
    virtual TQVTGanttObject* getObject() = 0;
    virtual std::string getName() const = 0;
    virtual TColor getColor() const = 0;
    virtual void setColor(TColor color) = 0;
    virtual bool getWorking() const = 0;
    virtual void setWorking(bool working) = 0;
    virtual bool getVisible() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual int getDatesCount() const = 0;
    /// None for an index out of range.
    virtual TQVTDateException* getDateByIndex(int i) const = 0;
    virtual void addDate(std::shared_ptr<TQVTDateException> exception) = 0;
    virtual void removeDate(int i) = 0;
    /// The first exception in list order that matches dt, or none.
    virtual TQVTDateException* matchDate(TDateTime dt, int row, TQVTTimeMode mode) = 0;
};

/// Moments are working unless a category matches them; then the first matching category decides.
/// The working-time arithmetic is built on the two non-working searches; durations are in days
/// and row -1 stands for no row.
class IQVTCalendar : public TQVTTimeModeObject {
public:
    virtual bool isWorking(TDateTime dt, int row, TQVTTimeMode mode) = 0;
    virtual std::string getDateLabel(TDateTime dt, TQVTTimeMode mode) = 0;
    virtual TQVTDateCategory* matchCategory(TDateTime dt, int row, TQVTTimeMode mode) = 0;
    virtual void addDateCategory(std::shared_ptr<TQVTDateCategory> category) = 0;
    virtual TQVTDateCategory* getDateCategory(int i) const = 0;
    virtual void removeDateCategory(const std::string& name) = 0;
    virtual void moveUp(const std::string& name) = 0;
    virtual void moveDown(const std::string& name) = 0;
    /// The earliest non-working occurrence holding or following from; when there is none, start
    /// is NoNonWorkingTime, length 0 and the answer false.
    virtual bool findNextNonWorkingException(TDateTime from, TDateTime& start, double& length, int row) = 0;
    /// The non-working occurrence ending latest at or before from; end and length 0 when none.
    virtual bool findPreviousNonWorkingException(TDateTime from, TDateTime& end, double& length, int row) = 0;

    /// start moved forward by d days of working time; skip also passes non-working time that
    /// begins exactly at the result. A negative d goes backwards.
    TDateTime addEffective(TDateTime start, double d, bool skip);
    TDateTime addEffective(int row, TDateTime start, double d, bool skip);
    /// start moved back by d days of working time, then before non-working time ending there.
    TDateTime substrEffective(TDateTime start, double d);
    TDateTime substrEffective(int row, TDateTime start, double d);
    /// Working time from a to b, negative when b is before a.
    double diffEffective(TDateTime a, TDateTime b);
    double diffEffective(int row, TDateTime a, TDateTime b);
    /// The first working moment at or after dt.
    TDateTime findFirstEffective(TDateTime dt);
    TDateTime findFirstEffective(TDateTime dt, int row);

    static constexpr TDateTime NoNonWorkingTime = 9999999.0;
};

class TQVTDateCategory : public IQVTDateCategory {
public:
    static constexpr const char* TypeID = "Date Category";
    static constexpr const char* PredefinedTypeID = "Predefined Date Category";

    /// Non-working and visible, without exceptions.
    explicit TQVTDateCategory(std::string name = {}, TColor color = 0);

    TQVTGanttObject* getObject() override { return this; }
    std::string getName() const override { return FName; }
    TColor getColor() const override { return FColor; }
    void setColor(TColor color) override { FColor = color; }
    bool getWorking() const override { return FWorking; }
    void setWorking(bool working) override;
    bool getVisible() const override { return FVisible; }
    void setVisible(bool visible) override { FVisible = visible; }
    int getDatesCount() const override { return static_cast<int>(FDates.size()); }
    TQVTDateException* getDateByIndex(int i) const override;
    /// Takes the exception into the list and becomes its parent; none is ignored.
    void addDate(std::shared_ptr<TQVTDateException> exception) override;
    void removeDate(int i) override;
    TQVTDateException* matchDate(TDateTime dt, int row, TQVTTimeMode mode) override;

    /// Writes "Name", "Color", "Working", "Visible" and the exceptions that have a stored form.
    /// A category is written as a "Predefined Date Category" only when loading that section
    /// recreates it, which a category holding the weekend rule needs.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// Also becomes the parent of exceptions that have none (those added by a constructor,
    /// before the category could be anybody's parent).
    void setParent(TQVTGanttObject* parent) override;
    /// The stamp of the latest change of the exceptions or the working flag; the calendar's
    /// indexes follow it.
    std::uint64_t revision() const { return std::max(FWorkingStamp, FDates.stamp()); }

    TQVTStampedList<TQVTDateException> FDates;

protected:
    /// Predefined categories are recreated from their section name.
    virtual bool isPredefined() const { return false; }

    std::string FName;
    bool FWorking = false;
    bool FVisible = true;
    TColor FColor = 0;

private:
    struct MatchIndex;

    /// The exceptions that have a stored form; built-in weekend exceptions come back with their category.
    std::vector<std::shared_ptr<TQVTFixedDateException>> storedDates() const;
    bool holdsWeekend() const;
    /// Whether loading section as a "Predefined Date Category" gives this category back.
    bool storedAsPredefined(const std::string& section) const;
    const MatchIndex& matchIndex() const;

    std::uint64_t FWorkingStamp = 0;
    mutable std::shared_ptr<MatchIndex> FMatchIndex;
};

/// A "Date Category": absent "Working" and "Visible" keys give a non-working, visible category.
class TQVTDateCategoryPersistence : public TQVTPersistenceOf<TQVTDateCategory> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// "Weekends": non-working, holding one TQVTWeekend.
class TQVTWeekendsDateCategory : public TQVTDateCategory {
public:
    TQVTWeekendsDateCategory();

protected:
    bool isPredefined() const override { return true; }
};

/// "Holidays": non-working, empty.
class TQVTHolidaysDateCategory : public TQVTDateCategory {
public:
    TQVTHolidaysDateCategory();

protected:
    bool isPredefined() const override { return true; }
};

/// "Vacations": working, empty.
class TQVTVacationsDateCategory : public TQVTDateCategory {
public:
    TQVTVacationsDateCategory();

protected:
    bool isPredefined() const override { return true; }
};

/// Creates the predefined category named by the section ("Holidays", "Vacations", else weekends) and
/// appends the stored exceptions to its built-in ones. Outside "Holidays" and "Vacations", a stored
/// "Name" other than "Weekends" gives a plain category of that name holding the weekend rule.
/// Absent "Working" and "Visible" keys keep the predefined category's flags.
class TQVTPredefinedDateCategoryPersistence : public TQVTPersistence {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
    std::string getTypeID() const override;
};

class TQVTDocumentCalendar : public IQVTCalendar {
public:
    static constexpr const char* TypeID = "Document Calendar";

    TQVTDocumentCalendar();
    ~TQVTDocumentCalendar() override;

    /// Saved by the document: writes "calendar" = its identifier into the document's section name,
    /// then its own section.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// Stores the mode, snaps the document's start date to it and updates the time scales.
    void SetTimeMode(TQVTTimeMode mode) override;

    bool isWorking(TDateTime dt, int row, TQVTTimeMode mode) override;
    std::string getDateLabel(TDateTime dt, TQVTTimeMode mode) override;
    /// tmNone stands for the calendar's own time mode.
    TQVTDateCategory* matchCategory(TDateTime dt, int row, TQVTTimeMode mode) override;
    TQVTDateException* matchDate(TDateTime dt, int row, TQVTTimeMode mode);
    void addDateCategory(std::shared_ptr<TQVTDateCategory> category) override;
    TQVTDateCategory* getDateCategory(int i) const override;
    int getCategoriesCount() const { return static_cast<int>(FCategories.size()); }
    int getCategoryIndexByName(const std::string& name) const;
    void removeDateCategory(const std::string& name) override;
    void moveUp(const std::string& name) override;
    void moveDown(const std::string& name) override;
    bool findNextNonWorkingException(TDateTime from, TDateTime& start, double& length, int row) override;
    bool findPreviousNonWorkingException(TDateTime from, TDateTime& end, double& length, int row) override;
    /// Appends a non-working "Weekends" category with one TQVTWeekend and a working "Vacations".
    void AddPredefinedCategories();

    TQVTStampedList<TQVTDateCategory> FCategories;

private:
    struct NonWorkingIndex;

    /// The stamp of the latest change of the categories or of any of them.
    std::uint64_t revision() const;

    /// The non-working exceptions in priority order, with the fixed intervals sorted; rebuilt
    /// when a category changes.
    NonWorkingIndex& nonWorkingIndex();

    std::shared_ptr<NonWorkingIndex> FIndex;
};

class TQVTDocumentCalendarPersistence : public TQVTPersistenceOf<TQVTDocumentCalendar> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
