#pragma once
// Rows of the task table and the settings shared by rows and columns.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/rendering/qvtTextSettings.h"

#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTTreeCell;
class TQVTTreeHeader;

/// Colours and font of tree rows.
class TQVTTreeRowSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Tree Row Settings";

    TQVTTreeRowSettings(); // Arial 10 points, black

    /// Copies colours, font and the height flag.
    void Assign(const TQVTTreeRowSettings& source);

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    TColor FColor = 0xEFDAC5;      // background
    TColor FGroupColor = 0xFFBAB5; // background of rows that have children
    TFont FFont;
    bool FAutoHeight = false; // the row height follows its cells
};

class TQVTTreeRowSettingsPersistence : public TQVTPersistenceOf<TQVTTreeRowSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Alignment and width of a tree column.
class TQVTTreeColSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Tree Column Settings";

    /// Copies alignments and width.
    void Assign(const TQVTTreeColSettings& source);

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    int FHAlign = haLeft; // alignment codes of the text settings
    int FVAlign = vaCenter;
    int FWidth = 200; // pixels
};

class TQVTTreeColSettingsPersistence : public TQVTPersistenceOf<TQVTTreeColSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// One row of the task table: one cell per header column.
class TQVTTreeRow : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Tree Row";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    /// Marks the row and its chart row selected.
    void select(bool b);
    /// Marks the row and its chart row focused; focusing deselects the row. Nothing for a row
    /// without an index inside the grid.
    void focus(bool b);
    /// The chart row's height follows the cells: the first cell's fitted height, raised to the
    /// fitted height of every further cell whose column is shown. Nothing for a row outside a
    /// grid or when no cell can measure its text (none has a text arranger).
    void setFitHeight();

    // Cells (qvtTreeRowCells.cpp).
    /// A row for the header's columns: its settings a copy of defaultSettings (built-in ones
    /// when none), one cell per column of the class the column's data type names (a plain cell
    /// for a column without one), sharing the row's settings, the column's settings and type.
    static std::shared_ptr<TQVTTreeRow> Create(const TQVTTreeHeader* header,
                                               const TQVTTreeRowSettings* defaultSettings);
    int cellsCount() const { return static_cast<int>(FCells.size()); }
    /// None outside [0, cellsCount()).
    TQVTTreeCell* getCell(int i) const;
    /// -1 when cell is not in the row.
    int getCellIndex(const TQVTTreeCell* cell) const;
    /// Puts cell at index (at the end when index is negative or beyond the cells) and becomes
    /// its parent; false for no cell.
    bool insertCell(const std::shared_ptr<TQVTTreeCell>& cell, int index);
    /// Takes the cell at index out of the row and answers it (it stays alive for undo); none
    /// outside the cells.
    std::shared_ptr<TQVTTreeCell> deleteCell(int index);
    /// Replaces the cell at index by cell, which the row becomes the parent of, and answers
    /// the one replaced; none (and no change) outside the cells or for no cell.
    std::shared_ptr<TQVTTreeCell> setCell(int index, const std::shared_ptr<TQVTTreeCell>& cell);
    /// Compares the two rows' cells in column (TQVTTreeCell::compare); a row without a cell
    /// there sorts first.
    int compareCells(const TQVTTreeRow& other, int column) const;
    bool lessThan(const TQVTTreeRow& other, int column) const { return compareCells(other, column) < 0; }

    std::vector<std::shared_ptr<TQVTTreeCell>> FCells;
    std::shared_ptr<TQVTTreeRowSettings> Fsettings;
    /// The row's index in the task tree (see TQVTTreeNode), -1 before numbering.
    int FIndex = -1;
    int FOrder = 0;
    int FNestingOffset = 5;
    bool FSelected = false;
    bool FFocused = false;
    /// Hidden by the row filter.
    bool FHidden = false;

protected:
    /// A TQVTTreeRowDrawer (qvtTreeDrawers.cpp).
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
};

class TQVTTreeRowPersistence : public TQVTPersistenceOf<TQVTTreeRow> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
