#pragma once
// Cells of the task table, one class per column data type, and the operations that add,
// delete and move them.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/objects/qvtOperation.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTDataSourceIntf;
class TQVTTextArranger;
class TQVTTreeColSettings;
class TQVTTreeGrid;
class TQVTTreeRow;
class TQVTTreeRowSettings;

/// A piece of laid-out text: base of tree cells and legend cells.
class TQVTCell : public TQVTGanttObject {
public:
    TQVTCell();
    ~TQVTCell() override;

    /// The arranger that lays the text out; the cell owns it. None is allowed.
    virtual void SetTextArranger(std::unique_ptr<TQVTTextArranger> arranger);
    virtual void SetText(const std::string& text);
    TQVTTextArranger* getTextArranger() const { return FTextArranger.get(); }

    /// The text shown.
    std::string FText;

protected:
    std::unique_ptr<TQVTTextArranger> FTextArranger;
};

/// What an edit changes in a cell: its text and, for the kinds that hold one, the value the
/// text shows (a date, a spin number, an amount; 0 for the kinds that hold only text).
struct TQVTTreeCellValue {
    std::string text;
    double number = 0;
    friend bool operator==(const TQVTTreeCellValue&, const TQVTTreeCellValue&) = default;
};

class TQVTTreeCell;

/// Makes the in-place editor of a cell; the widgets library installs it.
using TQVTTreeCellEditorFactory = std::function<std::unique_ptr<TQVTObjectEditorIntf>(const TQVTTreeCell& cell)>;

/// A cell of a tree row; its parent is the row.
///
/// Cells sort by one comparison (compare): first by kind in a fixed order (date/time, simple
/// text, multi-line text, button edit, combo, image combo, spin, currency, automatic, plain),
/// then by value within a kind. Equal cells compare equal, so a stable sort keeps their order.
class TQVTTreeCell : public TQVTCell {
public:
    static constexpr const char* TypeID = "Tree Cell";

    /// The kinds in their sorting order.
    enum TKind : std::uint8_t {
        ckDateTime,
        ckSimpleText,
        ckMultilineText,
        ckButtonEdit,
        ckCombo,
        ckImageCombo,
        ckSpin,
        ckCurrency,
        ckAuto,
        ckPlain
    };

    /// Writes "typeID", the references "rowSettings", "colSettings", "dataType" (each when
    /// present), then the cell's value.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// Reads the cell's value keys; the references and the data type are loaded before.
    virtual void loadValue(const std::string& name, IQVTMedia& media);

    virtual TKind kind() const { return ckPlain; }
    /// The class of the data type that belongs to this cell class; none for the plain cell.
    virtual TQVTTreeCellTypeClass DataTypeClass() const { return nullptr; }
    /// Negative, 0 or positive as this cell sorts before, with or after other. A strict weak
    /// ordering over cells of every kind.
    int compare(const TQVTTreeCell& other) const;
    /// Whether this cell sorts before other. Overrides must keep it a strict weak ordering.
    virtual bool lessThan(const TQVTTreeCell& other) const { return compare(other) < 0; }
    /// The height the text needs word-wrapped to the column's width; 0 without an arranger.
    virtual int fitHeight();
    /// The width of the text in the arranger's font with one letter of padding; 0 without one.
    int getMaxWidth() const;

    /// Everything an edit of the cell changes, as it is now.
    virtual TQVTTreeCellValue getValue() const { return {FText, 0}; }
    /// Sets what getValue answers, as given: the text is not derived again, so that a value
    /// taken from the cell puts it back exactly. Values outside what the kind holds are clamped.
    virtual void setValue(const TQVTTreeCellValue& value) { SetText(value.text); }
    /// Whether the user may edit the cell in place: not an automatic or plain cell, nor a cell
    /// of a read-only column.
    virtual bool isEditable() const;
    /// The in-place editor that EditorFactory makes for an editable cell; the dummy editor
    /// (which changes nothing) otherwise or without a factory.
    std::unique_ptr<TQVTObjectEditorIntf> DefaultEditor() override;
    /// Makes the in-place editors of all cells; installed by the widgets library.
    static TQVTTreeCellEditorFactory EditorFactory;

    void FocusCell(bool b) { FFocused = b; }
    /// The row the cell is in, or none.
    TQVTTreeRow* getRow() const;
    /// The cell's position in its row; -1 outside a row.
    int GetColumnIndex() const;

    std::shared_ptr<TQVTTreeRowSettings> FRowSettings;
    std::shared_ptr<TQVTTreeColSettings> FColSettings;
    std::shared_ptr<TQVTTreeCellType> FDataType;
    bool FEdited = false;
    bool FFocused = false;
    bool FWordWrap = false;

protected:
    /// A TQVTTreeCellDrawer, or a TQVTTreeAutoCellDrawer for automatic cells (qvtTreeDrawers.cpp).
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
    virtual const char* savedTypeID() const { return TypeID; }
    virtual void saveValue(const std::string& name, IQVTMedia& media);
    /// Orders two cells of this cell's kind by value; the base holds none, so all are equal.
    virtual int compareValue(const TQVTTreeCell& other) const;
};

/// Base of the kinds whose value is their text ("text").
class TQVTTreeTextValueCell : public TQVTTreeCell {
public:
    void loadValue(const std::string& name, IQVTMedia& media) override;

protected:
    void saveValue(const std::string& name, IQVTMedia& media) override;
    /// By character code, letter case significant.
    int compareValue(const TQVTTreeCell& other) const override;
};

class TQVTTreeSimpleTextCell : public TQVTTreeTextValueCell {
public:
    static constexpr const char* TypeID = "Tree Simple Text Cell";

    TKind kind() const override { return ckSimpleText; }
    TQVTTreeCellTypeClass DataTypeClass() const override;

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeMultilineTextCell : public TQVTTreeTextValueCell {
public:
    static constexpr const char* TypeID = "Tree Multiline Text Cell";

    TKind kind() const override { return ckMultilineText; }
    TQVTTreeCellTypeClass DataTypeClass() const override;

protected:
    const char* savedTypeID() const override { return TypeID; }
};

/// A date and time ("date"); the text is derived from it.
class TQVTTreeDateTimeCell : public TQVTTreeCell {
public:
    static constexpr const char* TypeID = "Tree Date Time Cell";

    TKind kind() const override { return ckDateTime; }
    TQVTTreeCellTypeClass DataTypeClass() const override;
    void loadValue(const std::string& name, IQVTMedia& media) override;
    /// Stores d (NaN as 0, clamped to the years 1 to 9999) and sets the text to it as
    /// "dd.mm.yyyy hh:mm", or "dd.mm.yyyy" when the column's type has FNoTime.
    void SetDate(TDateTime d);
    TDateTime getDate() const { return FDate; }
    /// The value SetDate(d) would give the cell.
    TQVTTreeCellValue valueOf(TDateTime d) const;
    TQVTTreeCellValue getValue() const override { return {FText, FDate}; }
    void setValue(const TQVTTreeCellValue& value) override;

    TDateTime FDate = 0;

protected:
    const char* savedTypeID() const override { return TypeID; }
    void saveValue(const std::string& name, IQVTMedia& media) override;
    int compareValue(const TQVTTreeCell& other) const override;
};

/// An integer ("number").
class TQVTTreeSpinCell : public TQVTTreeCell {
public:
    static constexpr const char* TypeID = "Tree Spin Cell";

    TKind kind() const override { return ckSpin; }
    TQVTTreeCellTypeClass DataTypeClass() const override;
    void loadValue(const std::string& name, IQVTMedia& media) override;
    /// Stores n and shows it as decimal text.
    void SetNumber(int n);
    /// The value SetNumber(n) would give the cell.
    static TQVTTreeCellValue valueOf(int n) { return {std::to_string(n), static_cast<double>(n)}; }
    TQVTTreeCellValue getValue() const override { return {FText, static_cast<double>(FNumber)}; }
    /// The number is rounded to an integer within the integer range.
    void setValue(const TQVTTreeCellValue& value) override;

    int FNumber = 0;

protected:
    const char* savedTypeID() const override { return TypeID; }
    void saveValue(const std::string& name, IQVTMedia& media) override;
    int compareValue(const TQVTTreeCell& other) const override;
};

/// An amount ("value") and the text it is shown as ("text").
class TQVTTreeCurrencyCell : public TQVTTreeCell {
public:
    static constexpr const char* TypeID = "Tree Currency Cell";
    /// Amounts are kept within what a currency holds (4 decimals in a 64-bit integer).
    static constexpr double MaxValue = 922337203685477.0;

    TKind kind() const override { return ckCurrency; }
    TQVTTreeCellTypeClass DataTypeClass() const override;
    void loadValue(const std::string& name, IQVTMedia& media) override;
    TQVTTreeCellValue getValue() const override { return {FText, FValue}; }
    /// The amount is kept within MaxValue either way.
    void setValue(const TQVTTreeCellValue& value) override;

    double FValue = 0;

protected:
    const char* savedTypeID() const override { return TypeID; }
    void saveValue(const std::string& name, IQVTMedia& media) override;
    int compareValue(const TQVTTreeCell& other) const override;
};

class TQVTTreeComboCell : public TQVTTreeTextValueCell {
public:
    static constexpr const char* TypeID = "Tree Combo Cell";

    TKind kind() const override { return ckCombo; }
    TQVTTreeCellTypeClass DataTypeClass() const override;

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeImageComboCell : public TQVTTreeTextValueCell {
public:
    static constexpr const char* TypeID = "Tree Image Combo Cell";

    TKind kind() const override { return ckImageCombo; }
    TQVTTreeCellTypeClass DataTypeClass() const override;

protected:
    const char* savedTypeID() const override { return TypeID; }
};

class TQVTTreeButtonEditCell : public TQVTTreeTextValueCell {
public:
    static constexpr const char* TypeID = "Tree Button Edit Cell";

    TKind kind() const override { return ckButtonEdit; }
    TQVTTreeCellTypeClass DataTypeClass() const override;

protected:
    const char* savedTypeID() const override { return TypeID; }
};

/// A cell whose text its automatic type computes from the row's task; nothing of it is stored
/// but its references.
class TQVTTreeAutoCell : public TQVTTreeCell {
public:
    static constexpr const char* TypeID = "Tree Auto Cell";

    TKind kind() const override { return ckAuto; }
    TQVTTreeCellTypeClass DataTypeClass() const override;
    /// Computed, never edited.
    bool isEditable() const override { return false; }
    /// The text the type computes for the cell's row; empty without either.
    std::string calculateValue() const;
    /// Sets the text to calculateValue().
    void updateValue() { FText = calculateValue(); }

protected:
    const char* savedTypeID() const override { return TypeID; }
    /// Cells without an automatic type first, then by the type's kind, then by its rule.
    int compareValue(const TQVTTreeCell& other) const override;
};

/// Loads the references every tree cell has into the cell that createCell makes, then its value.
class TQVTTreeCellPersistence : public TQVTPersistenceOf<TQVTTreeCell> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;

protected:
    virtual std::shared_ptr<TQVTTreeCell> createCell(TQVTEntityFactory& factory) const;
};

template <typename Cell>
class TQVTTreeCellPersistenceFor : public TQVTPersistenceOf<Cell, TQVTTreeCellPersistence> {
protected:
    std::shared_ptr<TQVTTreeCell> createCell(TQVTEntityFactory& factory) const override;
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

/// Adds one cell to a row or deletes one from it; undo takes the change back.
class TQVTCellOperation : public TQVTOperation {
public:
    /// Inserts cell into row at index (at the end when index is -1). Refused for no row or
    /// cell, a cell already in a row, or an index outside 0..cellsCount.
    TQVTCellOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTTreeRow> row,
                      std::shared_ptr<TQVTTreeCell> cell, int index);
    /// Deletes the cell at index from row (the cell stays alive for undo). Refused for no row
    /// or no cell at index.
    TQVTCellOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTTreeRow> row, int index);

    bool perform() override;
    bool undo() override;

    /// The cell added or deleted: for a deletion, known once performed.
    const std::shared_ptr<TQVTTreeCell>& cell() const { return FCell; }

private:
    bool add();
    bool remove();

    std::shared_ptr<TQVTTreeRow> FRow;
    std::shared_ptr<TQVTTreeCell> FCell;
    int FIndex;
    bool FInsert;
};

/// The change of one cell's value by an edit. The value before is taken when the change is
/// made, so that undo puts back exactly what the cell held.
class TQVTCellEditOperation : public TQVTOperation {
public:
    TQVTCellEditOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTTreeCell> cell, TQVTTreeCellValue value);

    /// Asks the data source's OnBeforeCellEdit, then sets the value, brings the tree's numbers
    /// and fitted row heights up to date and tells OnAfterCellEdit. Refused, changing nothing,
    /// when the event cancels, for no cell or an automatic one, and when already performed.
    bool perform() override;
    /// Puts the value before back (not asked: an undo that could be refused would cost the
    /// history), updates the tree, gives the row the height it had before and tells
    /// OnAfterCellEdit. False when not performed.
    bool undo() override;

    const std::shared_ptr<TQVTTreeCell>& cell() const { return FCell; }
    /// The value before the change (known once performed) and after it.
    const TQVTTreeCellValue& before() const { return FBefore; }
    const TQVTTreeCellValue& after() const { return FAfter; }

private:
    void changed();

    std::shared_ptr<TQVTTreeCell> FCell;
    TQVTTreeCellValue FBefore;
    TQVTTreeCellValue FAfter;
    int FRowHeight = -1; // the chart row's height before the change
    bool FDone = false;
};

/// Moves the cell at column from in every row of a grid so that it stands before the cell
/// that was at column to, or at the end when to is negative, as the header moves the column.
/// Rows without a cell at from are left alone. Undo puts every moved cell back at its place.
class TQVTMoveCellsOperation : public TQVTOperation {
public:
    TQVTMoveCellsOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid* grid, int from, int to);

    /// Refused when from is negative.
    bool perform() override;
    bool undo() override;

private:
    struct Moved {
        std::shared_ptr<TQVTTreeRow> row;
        TQVTTreeCell* cell;
        int to; // where the move put the cell
    };

    TQVTTreeGrid* FGrid;
    int FFrom;
    int FTo;
    std::vector<Moved> FMoved;
    bool FDone = false;
};

} // namespace corvane
