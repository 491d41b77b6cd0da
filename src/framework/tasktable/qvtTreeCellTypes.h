#pragma once
// Data types of task-table columns: one type object is shared by all cells of a column.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TBitmap;
class TQVTTreeCell;
class TQVTTreeCellType;
class TQVTTreeRow;

/// Makes a fresh cell of one class: what a column's type names as its cells' class. Two
/// types name the same class exactly when they answer the same function.
using TQVTTreeCellClass = std::shared_ptr<TQVTTreeCell> (*)();
/// Makes a fresh cell type of one class.
using TQVTTreeCellTypeClass = std::shared_ptr<TQVTTreeCellType> (*)();

/// The data type of a column: which cells it holds and whether it can be sorted.
class TQVTTreeCellType : public TQVTGanttObject {
public:
    /// Writes the type identifier, then the type's own keys (a type's settings live in the
    /// file only, so a save must keep them).
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    /// The class of the cells of a column of this type.
    virtual TQVTTreeCellClass TreeCellClass() const = 0;
    /// Whether a column of this type can be sorted.
    virtual bool canSort() const { return false; }

    /// Reads the type's own keys; missing keys keep the values the type is built with.
    virtual void loadSettings(const std::string& name, IQVTMedia& media);

    bool FReadOnly = false;

protected:
    virtual const char* savedTypeID() const = 0;
    virtual void saveSettings(const std::string& name, IQVTMedia& media);
};

class TQVTTreeSimpleTextCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Simple Text Type";

    TQVTTreeCellClass TreeCellClass() const override;
    bool canSort() const override { return true; }

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeMultilineTextCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Multiline Text Type";

    TQVTTreeCellClass TreeCellClass() const override;
    bool canSort() const override { return true; }

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeDateTimeCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Date Time Type";

    TQVTTreeCellClass TreeCellClass() const override;
    bool canSort() const override { return true; }
    void loadSettings(const std::string& name, IQVTMedia& media) override;

    /// Dates only: cells show "dd.mm.yyyy" instead of "dd.mm.yyyy hh:mm".
    bool FNoTime = false;

protected:
    const char* savedTypeID() const override { return TypeID; }
    void saveSettings(const std::string& name, IQVTMedia& media) override;
};

class TQVTTreeSpinCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Spin Type";

    TQVTTreeCellClass TreeCellClass() const override;
    /// A minimum above the maximum is read as the two swapped.
    void loadSettings(const std::string& name, IQVTMedia& media) override;

    /// Bounds of the spin editor; both 0 means no bounds.
    int FMin = 0;
    int FMax = 0;

protected:
    const char* savedTypeID() const override { return TypeID; }
    void saveSettings(const std::string& name, IQVTMedia& media) override;
};

class TQVTTreeCurrencyCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Currency Type";

    TQVTTreeCellClass TreeCellClass() const override;

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeComboCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Combo Type";

    TQVTTreeCellClass TreeCellClass() const override;
    void loadSettings(const std::string& name, IQVTMedia& media) override;

    /// The choices offered by the editor.
    std::vector<std::string> FItems;
    /// Style of the editor's combo box; not stored.
    int FStyle = 0;

protected:
    const char* savedTypeID() const override { return TypeID; }
    void saveSettings(const std::string& name, IQVTMedia& media) override;
};

class TQVTTreeImageComboCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Image Combo Type";

    TQVTTreeCellClass TreeCellClass() const override;
    bool canSort() const override { return true; }
    void loadSettings(const std::string& name, IQVTMedia& media) override;

    std::vector<std::string> FItems;
    /// Names the pictures of the choices; kept as stored, the application resolves it.
    std::string FImages;

    /// The picture of choice `item` (an index into FItems) of the pictures named `images`, for
    /// painting cells; the application sets it, as it sets the in-place editor's. Without it,
    /// or when it answers none, cells show their text alone. The picture is drawn at its own
    /// size, its transparency switched off.
    static std::function<std::shared_ptr<TBitmap>(const std::string& images, int item)> Pictures;
    /// The picture of the choice whose text is `text`; none when the text is none of FItems,
    /// the type names no pictures or Pictures finds none.
    std::shared_ptr<TBitmap> pictureOf(const std::string& text) const;

protected:
    const char* savedTypeID() const override { return TypeID; }
    void saveSettings(const std::string& name, IQVTMedia& media) override;
};

class TQVTTreeButtonEditCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Button Edit Type";

    TQVTTreeCellClass TreeCellClass() const override;
    bool canSort() const override { return true; }

    /// Caption of the editor's button.
    std::string FButton = "...";
    /// Told with the edited cell when the editor's button is clicked.
    std::function<void(TQVTTreeCell* cell)> FOnClick;

protected:
    const char* savedTypeID() const override { return TypeID; }
};

/// Base of the types whose text is computed from the row's task; such cells are not edited.
/// Stored documents know the base under the identifier of the number type, and it behaves as
/// that type.
class TQVTTreeAutoCellType : public TQVTTreeCellType {
public:
    static constexpr const char* TypeID = "Tree AutoCellType.Number";

    /// Which of the automatic types: fixes their order when cells of different ones meet.
    enum TKind : std::uint8_t {
        akNumber,
        akStartDate,
        akEndDate,
        akTaskName
    };

    TQVTTreeCellClass TreeCellClass() const override;
    virtual TKind kind() const { return akNumber; }
    /// The text of the cell in row: the row's hierarchical number ("1.2."), or its continuous
    /// number ("3.") when its grid numbers continuously.
    virtual std::string calculateValue(const TQVTTreeRow& row) const;
    /// Orders two rows by the values the type computes for them: negative, 0 or positive.
    /// Equal values give 0. The number type orders by row index.
    virtual int compareRows(const TQVTTreeRow* row, const TQVTTreeRow* other) const;
    bool lessThan(const TQVTTreeRow* row, const TQVTTreeRow* other) const { return compareRows(row, other) < 0; }

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeAutoCellNumber : public TQVTTreeAutoCellType {};

/// The earliest start of the bars of the row's task, "dd.mm.yyyy"; empty without bars.
class TQVTTreeAutoCellStartDate : public TQVTTreeAutoCellType {
public:
    static constexpr const char* TypeID = "Tree AutoCellType.StartDate";

    bool canSort() const override { return true; }
    TKind kind() const override { return akStartDate; }
    std::string calculateValue(const TQVTTreeRow& row) const override;
    int compareRows(const TQVTTreeRow* row, const TQVTTreeRow* other) const override;

protected:
    const char* savedTypeID() const override { return TypeID; }
};

/// The last day covered by the bars of the row's task, "dd.mm.yyyy": the day before the
/// latest end when that falls on midnight, else the day of the latest end. Empty without bars.
class TQVTTreeAutoCellEndDate : public TQVTTreeAutoCellType {
public:
    static constexpr const char* TypeID = "Tree AutoCellType.EndDate";

    bool canSort() const override { return true; }
    TKind kind() const override { return akEndDate; }
    std::string calculateValue(const TQVTTreeRow& row) const override;
    int compareRows(const TQVTTreeRow* row, const TQVTTreeRow* other) const override;

protected:
    const char* savedTypeID() const override { return TypeID; }
};

/// The text of the PERT box of the row's task; empty without one. Rows without a box sort
/// before the others.
class TQVTTreeAutoCellTaskNameType : public TQVTTreeAutoCellType {
public:
    static constexpr const char* TypeID = "AutoCellType.TaskName";

    bool canSort() const override { return true; }
    TKind kind() const override { return akTaskName; }
    std::string calculateValue(const TQVTTreeRow& row) const override;
    int compareRows(const TQVTTreeRow* row, const TQVTTreeRow* other) const override;

protected:
    const char* savedTypeID() const override { return TypeID; }
};

/// Loader of a cell type: creates it and lets it read its own keys.
template <typename T>
class TQVTTreeCellTypePersistenceFor : public TQVTPersistenceOf<T> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media, TQVTEntityFactory&) override
    {
        auto type = std::make_shared<T>();
        type->loadSettings(name, media);
        return type;
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
