#pragma once
// Cells of the task table, one class per column data type.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <memory>
#include <string>

namespace corvane {

class TQVTTreeCellType;
class TQVTTreeColSettings;
class TQVTTreeRowSettings;

/// A piece of laid-out text: base of tree cells and legend cells.
class TQVTCell : public TQVTGanttObject {};

/// A cell of a tree row; its parent is the row.
class TQVTTreeCell : public TQVTCell {
public:
    static constexpr const char* TypeID = "Tree Cell";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::shared_ptr<TQVTTreeRowSettings> FRowSettings;
    std::shared_ptr<TQVTTreeColSettings> FColSettings;
    std::shared_ptr<TQVTTreeCellType> FDataType;

protected:
    virtual const char* savedTypeID() const { return TypeID; }
};

class TQVTTreeSimpleTextCell : public TQVTTreeCell {
public:
    static constexpr const char* TypeID = "Tree Simple Text Cell";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeMultilineTextCell : public TQVTTreeCell {
public:
    static constexpr const char* TypeID = "Tree Multiline Text Cell";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeDateTimeCell : public TQVTTreeCell {
public:
    static constexpr const char* TypeID = "Tree Date Time Cell";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeSpinCell : public TQVTTreeCell {
public:
    static constexpr const char* TypeID = "Tree Spin Cell";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeCurrencyCell : public TQVTTreeCell {
public:
    static constexpr const char* TypeID = "Tree Currency Cell";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeComboCell : public TQVTTreeCell {
public:
    static constexpr const char* TypeID = "Tree Combo Cell";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeImageComboCell : public TQVTTreeCell {
public:
    static constexpr const char* TypeID = "Tree Image Combo Cell";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeButtonEditCell : public TQVTTreeCell {
public:
    static constexpr const char* TypeID = "Tree Button Edit Cell";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeAutoCell : public TQVTTreeCell {
public:
    static constexpr const char* TypeID = "Tree Auto Cell";

protected:
    const char* savedTypeID() const override { return TypeID; }
};

/// Loads the references every tree cell has into the cell that createCell makes.
class TQVTTreeCellPersistence : public TQVTPersistenceOf<TQVTTreeCell> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;

protected:
    virtual std::shared_ptr<TQVTTreeCell> createCell() const;
};

template <typename Cell>
class TQVTTreeCellPersistenceFor : public TQVTPersistenceOf<Cell, TQVTTreeCellPersistence> {
protected:
    std::shared_ptr<TQVTTreeCell> createCell() const override { return std::make_shared<Cell>(); }
};

class TQVTTreeSimpleTextCellPersistence : public TQVTTreeCellPersistenceFor<TQVTTreeSimpleTextCell> {};
class TQVTTreeMultilineTextCellPersistence : public TQVTTreeCellPersistenceFor<TQVTTreeMultilineTextCell> {};
class TQVTTreeDateTimeCellPersistence : public TQVTTreeCellPersistenceFor<TQVTTreeDateTimeCell> {};
class TQVTTreeSpinCellPersistence : public TQVTTreeCellPersistenceFor<TQVTTreeSpinCell> {};
class TQVTTreeCurrencyCellPersistence : public TQVTTreeCellPersistenceFor<TQVTTreeCurrencyCell> {};
class TQVTTreeComboCellPersistence : public TQVTTreeCellPersistenceFor<TQVTTreeComboCell> {};
class TQVTTreeImageComboCellPersistence : public TQVTTreeCellPersistenceFor<TQVTTreeImageComboCell> {};
class TQVTTreeButtonEditCellPersistence : public TQVTTreeCellPersistenceFor<TQVTTreeButtonEditCell> {};
class TQVTTreeAutoCellPersistence : public TQVTTreeCellPersistenceFor<TQVTTreeAutoCell> {};

} // namespace corvane
