#pragma once
// Data types of task-table columns: one type object is shared by all cells of a column.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <memory>
#include <string>

namespace corvane {

class TQVTTreeCellType : public TQVTGanttObject {
public:
    /// Writes only the type identifier.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

protected:
    virtual const char* savedTypeID() const = 0;
};

class TQVTTreeSimpleTextCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Simple Text Type";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeMultilineTextCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Multiline Text Type";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeDateTimeCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Date Time Type";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeSpinCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Spin Type";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeCurrencyCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Currency Type";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeComboCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Combo Type";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeImageComboCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Image Combo Type";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeButtonEditCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Button Edit Type";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

/// Base of the types whose text is computed from the chart row. Stored documents know the
/// base under the identifier of the number type.
class TQVTTreeAutoCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Tree AutoCellType.Number";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeAutoCellNumber : public TQVTTreeAutoCellType {};

class TQVTTreeAutoCellStartDate : public TQVTTreeAutoCellType {
public:
    static constexpr const char* TypeID = "Tree AutoCellType.StartDate";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeAutoCellEndDate : public TQVTTreeAutoCellType {
public:
    static constexpr const char* TypeID = "Tree AutoCellType.EndDate";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeAutoCellTaskNameType : public TQVTTreeAutoCellType {
public:
    static constexpr const char* TypeID = "AutoCellType.TaskName";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

/// Loader of a cell type without references of its own.
template <typename T>
class TQVTTreeCellTypePersistenceFor : public TQVTPersistenceOf<T> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string&, IQVTMedia&, TQVTEntityFactory&) override
    {
        return std::make_shared<T>();
    }
};

class TQVTTreeSimpleTextCellTypePersistence : public TQVTTreeCellTypePersistenceFor<TQVTTreeSimpleTextCellType> {};
class TQVTTreeMultilineTextCellTypePersistence : public TQVTTreeCellTypePersistenceFor<TQVTTreeMultilineTextCellType> {
};
class TQVTTreeDateTimeCellTypePersistence : public TQVTTreeCellTypePersistenceFor<TQVTTreeDateTimeCellType> {};
class TQVTTreeSpinCellTypePersistence : public TQVTTreeCellTypePersistenceFor<TQVTTreeSpinCellType> {};
class TQVTTreeCurrencyCellTypePersistence : public TQVTTreeCellTypePersistenceFor<TQVTTreeCurrencyCellType> {};
class TQVTTreeComboCellTypePersistence : public TQVTTreeCellTypePersistenceFor<TQVTTreeComboCellType> {};
class TQVTTreeImageComboCellTypePersistence : public TQVTTreeCellTypePersistenceFor<TQVTTreeImageComboCellType> {};
class TQVTTreeButtonEditCellTypePersistence : public TQVTTreeCellTypePersistenceFor<TQVTTreeButtonEditCellType> {};
class TQVTTreeAutoCellNumberPersistence : public TQVTTreeCellTypePersistenceFor<TQVTTreeAutoCellNumber> {};
class TQVTTreeAutoCellStartDatePersistence : public TQVTTreeCellTypePersistenceFor<TQVTTreeAutoCellStartDate> {};
class TQVTTreeAutoCellEndDatePersistence : public TQVTTreeCellTypePersistenceFor<TQVTTreeAutoCellEndDate> {};
class TQVTTreeAutoCellTaskNameTypePersistence : public TQVTTreeCellTypePersistenceFor<TQVTTreeAutoCellTaskNameType> {};

} // namespace corvane
