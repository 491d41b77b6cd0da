#pragma once
// Undoable changes of the task table's columns: inserting, deleting, moving and resizing.

#include "corvane/framework/objects/qvtOperation.h"

#include <memory>
#include <vector>

namespace corvane {

class TQVTTreeCell;
class TQVTTreeCellType;
class TQVTTreeGrid;
class TQVTTreeHeader;
class TQVTTreeHeaderCell;

/// Adds one header cell to a header or deletes one from it; undo takes the change back.
class TQVTHeaderOperation : public TQVTOperation {
public:
    /// Inserts cell at index (at the end when index is -1). Refused for no header or cell, a
    /// cell already in the header, or an index outside -1..countCells.
    TQVTHeaderOperation(TQVTDataSourceIntf* dataSource, TQVTTreeHeader* header,
                        std::shared_ptr<TQVTTreeHeaderCell> cell, int index);
    /// Deletes the cell at index (it stays alive for undo). Refused for no cell there.
    TQVTHeaderOperation(TQVTDataSourceIntf* dataSource, TQVTTreeHeader* header, int index);

    bool perform() override;
    bool undo() override;

    /// The cell added or deleted: for a deletion, known once performed.
    const std::shared_ptr<TQVTTreeHeaderCell>& cell() const { return FCell; }

private:
    bool add();
    bool remove();

    TQVTTreeHeader* FHeader;
    std::shared_ptr<TQVTTreeHeaderCell> FCell;
    int FIndex;
    bool FInsert;
};

/// What the column insertion and deletion share: the header change and one cell change per
/// row, made as one group that is put together when first performed, followed by renumbering
/// and refitting the rows.
class TQVTColumnOperation : public TQVTMultipleOperations {
public:
    /// Refused when the parts cannot be put together; a part that refuses takes back the ones
    /// before it.
    bool perform() override;
    bool undo() override;

    /// The column's header cell: for a deletion, known once performed.
    const std::shared_ptr<TQVTTreeHeaderCell>& headerCell() const { return FHeaderCell; }

protected:
    TQVTColumnOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid* grid, int index);

    /// Adds the parts for the current model; false when the change cannot be made.
    virtual bool build() = 0;

    TQVTTreeGrid* FGrid;
    int FIndex;
    std::shared_ptr<TQVTTreeHeaderCell> FHeaderCell;
    /// The column's cells, one per row that has one, in row order.
    std::vector<std::shared_ptr<TQVTTreeCell>> FCells;

private:
    bool FBuilt = false;
};

/// A new column of a data type at a position (at the end for -1): a header cell with column
/// settings copied from the grid's default column settings, and in every row a new cell of
/// the type's cell class with the row's settings. Refused without a type that names a cell
/// class, without a header, or for a position outside -1..the number of columns.
class TQVTColumnInsertOperation : public TQVTColumnOperation {
public:
    TQVTColumnInsertOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid* grid,
                              std::shared_ptr<TQVTTreeCellType> dataType, int position);

protected:
    bool build() override;

private:
    std::shared_ptr<TQVTTreeCellType> FDataType;
};

/// Deleting a column: its header cell and every row's cell in it, all kept for undo. Refused
/// for a column that does not exist.
class TQVTColumnDeleteOperation : public TQVTColumnOperation {
public:
    TQVTColumnDeleteOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid* grid, int column);

protected:
    bool build() override;
};

/// Moving a column: the header cell's move and the move of every row's cell, as one group
/// (TQVTTreeGrid::moveColumn makes it).
class TQVTColumnMoveOperation : public TQVTMultipleOperations {
public:
    TQVTColumnMoveOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid* grid, TQVTOperationPtr headerMove,
                            TQVTOperationPtr cellsMove);

    bool perform() override;
    bool undo() override;

private:
    TQVTTreeGrid* FGrid;
};

/// Sets a column's width, renumbers the tree and refits its rows, and tells the data source's
/// onTreeColumnResize the cell and the width; undo does the same with the width before.
class TQVTTreeCellResizeOperation : public TQVTOperation {
public:
    /// Columns are not made narrower than this by dragging.
    static constexpr int MinWidth = 6;

    TQVTTreeCellResizeOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTTreeHeaderCell> cell, int newWidth);

    /// The resize of a drag of the column's border by dx pixels, not yet performed; none when
    /// the column would be narrower than MinWidth, for no change or for no cell.
    static TQVTOperationPtr propose(TQVTDataSourceIntf* dataSource, const std::shared_ptr<TQVTTreeHeaderCell>& cell,
                                    int dx);

    /// Refused for no cell or a width below 1.
    bool perform() override;
    bool undo() override;

private:
    void changed(int width);

    std::shared_ptr<TQVTTreeHeaderCell> FCell;
    int FNewWidth;
    int FOldWidth = 0;
    /// Whether the column had settings of its own before; a column without gets them from the
    /// resize and loses them on undo.
    bool FHadSettings = true;
};

} // namespace corvane
