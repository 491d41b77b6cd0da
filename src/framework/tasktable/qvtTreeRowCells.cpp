// The cells of a tree row, and the operations that add, delete and move cells.

#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"

#include <algorithm>
#include <utility>

namespace corvane {

namespace {

std::size_t at(int i)
{
    return static_cast<std::size_t>(i);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Row

std::shared_ptr<TQVTTreeRow> TQVTTreeRow::Create(const TQVTTreeHeader* header,
                                                 const TQVTTreeRowSettings* defaultSettings)
{
    auto row = std::make_shared<TQVTTreeRow>();
    row->Fsettings = std::make_shared<TQVTTreeRowSettings>();
    row->Fsettings->setParent(row.get());
    if (defaultSettings)
        row->Fsettings->Assign(*defaultSettings);
    if (!header)
        return row;
    row->FCells.reserve(header->FCells.size());
    for (const auto& column : header->FCells) {
        const TQVTTreeCellClass cellClass = column && column->FDataType ? column->FDataType->TreeCellClass() : nullptr;
        std::shared_ptr<TQVTTreeCell> cell = cellClass ? cellClass() : std::make_shared<TQVTTreeCell>();
        cell->FRowSettings = row->Fsettings;
        if (column) {
            cell->FColSettings = column->FSettings;
            cell->FDataType = column->FDataType;
        }
        cell->setParent(row.get());
        row->FCells.push_back(std::move(cell));
    }
    return row;
}

TQVTTreeCell* TQVTTreeRow::getCell(int i) const
{
    return i >= 0 && i < cellsCount() ? FCells[at(i)].get() : nullptr;
}

int TQVTTreeRow::getCellIndex(const TQVTTreeCell* cell) const
{
    if (!cell)
        return -1;
    const auto it = std::find_if(FCells.begin(), FCells.end(), [cell](const auto& c) { return c.get() == cell; });
    return it == FCells.end() ? -1 : static_cast<int>(it - FCells.begin());
}

bool TQVTTreeRow::insertCell(const std::shared_ptr<TQVTTreeCell>& cell, int index)
{
    if (!cell)
        return false;
    const bool inside = index >= 0 && index < cellsCount();
    FCells.insert(inside ? FCells.begin() + index : FCells.end(), cell);
    cell->setParent(this);
    return true;
}

std::shared_ptr<TQVTTreeCell> TQVTTreeRow::deleteCell(int index)
{
    if (index < 0 || index >= cellsCount())
        return nullptr;
    std::shared_ptr<TQVTTreeCell> cell = std::move(FCells[at(index)]);
    FCells.erase(FCells.begin() + index);
    return cell;
}

std::shared_ptr<TQVTTreeCell> TQVTTreeRow::setCell(int index, const std::shared_ptr<TQVTTreeCell>& cell)
{
    if (!cell || index < 0 || index >= cellsCount())
        return nullptr;
    cell->setParent(this);
    return std::exchange(FCells[at(index)], cell);
}

int TQVTTreeRow::compareCells(const TQVTTreeRow& other, int column) const
{
    const TQVTTreeCell* a = getCell(column);
    const TQVTTreeCell* b = other.getCell(column);
    if (!a || !b)
        return (a != nullptr) - (b != nullptr);
    return a->compare(*b);
}

// ---------------------------------------------------------------------------------------------
// Adding and deleting one cell

TQVTCellOperation::TQVTCellOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTTreeRow> row,
                                     std::shared_ptr<TQVTTreeCell> cell, int index)
    : TQVTOperation(dataSource),
      FRow(std::move(row)),
      FCell(std::move(cell)),
      FIndex(index),
      FInsert(true)
{
}

TQVTCellOperation::TQVTCellOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTTreeRow> row, int index)
    : TQVTOperation(dataSource),
      FRow(std::move(row)),
      FIndex(index),
      FInsert(false)
{
}

bool TQVTCellOperation::add()
{
    if (!FRow || !FCell || FIndex < -1 || FIndex > FRow->cellsCount())
        return false;
    // A cell belongs to one row; one that is in another row is not taken from it.
    if (const TQVTTreeRow* owner = FCell->getRow(); owner && owner->getCellIndex(FCell.get()) >= 0)
        return false;
    if (FIndex == -1)
        FIndex = FRow->cellsCount();
    return FRow->insertCell(FCell, FIndex);
}

bool TQVTCellOperation::remove()
{
    // A slot whose cell failed to load holds none: nothing to delete. The cell deleted first
    // is the one undo and redo work on from then on.
    const TQVTTreeCell* present = FRow ? FRow->getCell(FIndex) : nullptr;
    if (!present || (FCell && present != FCell.get()))
        return false;
    FCell = FRow->deleteCell(FIndex);
    return true;
}

bool TQVTCellOperation::perform()
{
    return FInsert ? add() : remove();
}

bool TQVTCellOperation::undo()
{
    if (!FRow || !FCell)
        return false;
    if (FInsert) {
        if (FRow->getCell(FIndex) != FCell.get())
            return false;
        FRow->deleteCell(FIndex);
        return true;
    }
    if (FIndex > FRow->cellsCount())
        return false;
    return FRow->insertCell(FCell, FIndex);
}

// ---------------------------------------------------------------------------------------------
// Moving a column's cells

TQVTMoveCellsOperation::TQVTMoveCellsOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid* grid, int from, int to)
    : TQVTOperation(dataSource),
      FGrid(grid),
      FFrom(from),
      FTo(to)
{
}

bool TQVTMoveCellsOperation::perform()
{
    if (FDone || !FGrid || FFrom < 0)
        return false;
    std::vector<TQVTTreeRow*> rows;
    if (FGrid->FRootNode)
        FGrid->FRootNode->collectChildren(rows);
    FMoved.clear();
    for (TQVTTreeRow* row : rows) {
        const int count = row->cellsCount();
        if (FFrom >= count)
            continue;
        // Before the cell that was at FTo: one place less once the moved cell is out of the way.
        const int target = FTo < 0 || FTo >= count ? count - 1 : FTo > FFrom ? FTo - 1 : FTo;
        auto& cells = row->FCells;
        if (target > FFrom)
            std::rotate(cells.begin() + FFrom, cells.begin() + FFrom + 1, cells.begin() + target + 1);
        else if (target < FFrom)
            std::rotate(cells.begin() + target, cells.begin() + FFrom, cells.begin() + FFrom + 1);
        FMoved.push_back(
            {std::static_pointer_cast<TQVTTreeRow>(row->shared_from_this()), cells[at(target)].get(), target});
    }
    FDone = true;
    return true;
}

bool TQVTMoveCellsOperation::undo()
{
    if (!FDone)
        return false;
    // Every moved cell must still be where the move put it; otherwise nothing is touched.
    for (const Moved& moved : FMoved)
        if (moved.row->getCell(moved.to) != moved.cell)
            return false;
    for (auto it = FMoved.rbegin(); it != FMoved.rend(); ++it) {
        auto& cells = it->row->FCells;
        if (it->to > FFrom)
            std::rotate(cells.begin() + FFrom, cells.begin() + it->to, cells.begin() + it->to + 1);
        else if (it->to < FFrom)
            std::rotate(cells.begin() + it->to, cells.begin() + it->to + 1, cells.begin() + FFrom + 1);
    }
    FDone = false;
    return true;
}

} // namespace corvane
