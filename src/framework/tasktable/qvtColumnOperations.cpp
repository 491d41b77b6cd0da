#include "corvane/framework/tasktable/qvtColumnOperations.h"

#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"

#include <algorithm>
#include <cstdint>

namespace corvane {

namespace {

std::vector<std::shared_ptr<TQVTTreeRow>> rowsOf(const TQVTTreeGrid& grid)
{
    std::vector<TQVTTreeRow*> rows;
    if (grid.FRootNode)
        grid.FRootNode->collectChildren(rows);
    std::vector<std::shared_ptr<TQVTTreeRow>> shared;
    shared.reserve(rows.size());
    for (TQVTTreeRow* row : rows)
        shared.push_back(std::static_pointer_cast<TQVTTreeRow>(row->shared_from_this()));
    return shared;
}

TQVTTreeGrid* gridOf(const TQVTTreeHeaderCell& cell)
{
    const TQVTTreeHeader* header = cell.getHeader();
    return header ? header->getGrid() : nullptr;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// One header cell

TQVTHeaderOperation::TQVTHeaderOperation(TQVTDataSourceIntf* dataSource, TQVTTreeHeader* header,
                                         std::shared_ptr<TQVTTreeHeaderCell> cell, int index)
    : TQVTOperation(dataSource),
      FHeader(header),
      FCell(std::move(cell)),
      FIndex(index),
      FInsert(true)
{
}

TQVTHeaderOperation::TQVTHeaderOperation(TQVTDataSourceIntf* dataSource, TQVTTreeHeader* header, int index)
    : TQVTOperation(dataSource),
      FHeader(header),
      FIndex(index),
      FInsert(false)
{
}

bool TQVTHeaderOperation::add()
{
    if (!FHeader || !FCell || FIndex < -1 || FIndex > FHeader->countCells() ||
        FHeader->getHeaderCellIndex(FCell.get()) >= 0)
        return false;
    if (FIndex == -1)
        FIndex = FHeader->countCells();
    return FHeader->insertHeaderCell(FCell, FIndex);
}

bool TQVTHeaderOperation::remove()
{
    // The cell deleted first is the one undo and redo work on from then on.
    const TQVTTreeHeaderCell* present = FHeader ? FHeader->getHeaderCell(FIndex) : nullptr;
    if (!present || (FCell && present != FCell.get()))
        return false;
    FCell = FHeader->deleteHeaderCell(FIndex);
    return true;
}

bool TQVTHeaderOperation::perform()
{
    return FInsert ? add() : remove();
}

bool TQVTHeaderOperation::undo()
{
    if (!FHeader || !FCell)
        return false;
    if (FInsert) {
        if (FHeader->getHeaderCell(FIndex) != FCell.get())
            return false;
        FHeader->deleteHeaderCell(FIndex);
        return true;
    }
    if (FIndex > FHeader->countCells())
        return false;
    return FHeader->insertHeaderCell(FCell, FIndex);
}

// ---------------------------------------------------------------------------------------------
// Columns

TQVTColumnOperation::TQVTColumnOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid* grid, int index)
    : TQVTMultipleOperations(dataSource),
      FGrid(grid),
      FIndex(index)
{
}

bool TQVTColumnOperation::perform()
{
    if (!FBuilt) {
        if (!FGrid || !FGrid->FHeader || !build()) {
            operations.clear();
            FCells.clear();
            return false;
        }
        FBuilt = true;
    }
    if (!TQVTMultipleOperations::perform())
        return false;
    FGrid->updateNodes();
    return true;
}

bool TQVTColumnOperation::undo()
{
    if (!FBuilt || !TQVTMultipleOperations::undo())
        return false;
    FGrid->updateNodes();
    return true;
}

TQVTColumnInsertOperation::TQVTColumnInsertOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid* grid,
                                                     std::shared_ptr<TQVTTreeCellType> dataType, int position)
    : TQVTColumnOperation(dataSource, grid, position),
      FDataType(std::move(dataType))
{
}

bool TQVTColumnInsertOperation::build()
{
    TQVTTreeHeader& header = *FGrid->FHeader;
    const TQVTTreeCellClass cellClass = FDataType ? FDataType->TreeCellClass() : nullptr;
    if (!cellClass || FIndex < -1 || FIndex > header.countCells())
        return false;
    const int position = FIndex == -1 ? header.countCells() : FIndex;

    FHeaderCell = std::make_shared<TQVTTreeHeaderCell>();
    auto settings = std::make_shared<TQVTTreeColSettings>();
    if (FGrid->FDefaultColSettings)
        settings->Assign(*FGrid->FDefaultColSettings);
    settings->setParent(FHeaderCell.get());
    FHeaderCell->FSettings = settings;
    FHeaderCell->FDataType = FDataType;
    if (!FDataType->getParent())
        FDataType->setParent(FHeaderCell.get());
    addOperation(std::make_shared<TQVTHeaderOperation>(FDataSource, &header, FHeaderCell, position));

    for (const auto& row : rowsOf(*FGrid)) {
        std::shared_ptr<TQVTTreeCell> cell = cellClass();
        cell->FRowSettings = row->Fsettings;
        cell->FColSettings = settings;
        cell->FDataType = FDataType;
        // A row of a broken file with fewer cells gets the new one at its end.
        const int index = std::min(position, row->cellsCount());
        addOperation(std::make_shared<TQVTCellOperation>(FDataSource, row, cell, index));
        FCells.push_back(std::move(cell));
    }
    return true;
}

TQVTColumnDeleteOperation::TQVTColumnDeleteOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid* grid, int column)
    : TQVTColumnOperation(dataSource, grid, column)
{
}

bool TQVTColumnDeleteOperation::build()
{
    TQVTTreeHeader& header = *FGrid->FHeader;
    TQVTTreeHeaderCell* cell = header.getHeaderCell(FIndex);
    if (!cell)
        return false;
    FHeaderCell = std::static_pointer_cast<TQVTTreeHeaderCell>(cell->shared_from_this());
    addOperation(std::make_shared<TQVTHeaderOperation>(FDataSource, &header, FIndex));
    for (const auto& row : rowsOf(*FGrid))
        if (TQVTTreeCell* rowCell = row->getCell(FIndex)) {
            FCells.push_back(std::static_pointer_cast<TQVTTreeCell>(rowCell->shared_from_this()));
            addOperation(std::make_shared<TQVTCellOperation>(FDataSource, row, FIndex));
        }
    return true;
}

TQVTColumnMoveOperation::TQVTColumnMoveOperation(TQVTDataSourceIntf* dataSource, TQVTTreeGrid* grid,
                                                 TQVTOperationPtr headerMove, TQVTOperationPtr cellsMove)
    : TQVTMultipleOperations(dataSource),
      FGrid(grid)
{
    operations = {std::move(headerMove), std::move(cellsMove)};
}

bool TQVTColumnMoveOperation::perform()
{
    if (!FGrid || !TQVTMultipleOperations::perform())
        return false;
    FGrid->updateNodes();
    return true;
}

bool TQVTColumnMoveOperation::undo()
{
    if (!FGrid || !TQVTMultipleOperations::undo())
        return false;
    FGrid->updateNodes();
    return true;
}

TQVTOperationPtr TQVTTreeGrid::moveColumn(int from, int to)
{
    TQVTOperationPtr headerMove = FHeader ? FHeader->moveCell(from, to) : nullptr;
    if (!headerMove)
        return nullptr;
    TQVTDocumentSetup* document = FindDocumentSetup(this);
    TQVTDataSourceIntf* dataSource = document ? document->getDataSource() : nullptr;
    return std::make_shared<TQVTColumnMoveOperation>(
        dataSource, this, std::move(headerMove), std::make_shared<TQVTMoveCellsOperation>(dataSource, this, from, to));
}

// ---------------------------------------------------------------------------------------------
// Column width

TQVTTreeCellResizeOperation::TQVTTreeCellResizeOperation(TQVTDataSourceIntf* dataSource,
                                                         std::shared_ptr<TQVTTreeHeaderCell> cell, int newWidth)
    : TQVTOperation(dataSource),
      FCell(std::move(cell)),
      FNewWidth(newWidth)
{
}

TQVTOperationPtr TQVTTreeCellResizeOperation::propose(TQVTDataSourceIntf* dataSource,
                                                      const std::shared_ptr<TQVTTreeHeaderCell>& cell, int dx)
{
    if (!cell || dx == 0)
        return nullptr;
    const long long width = static_cast<long long>(cell->getWidth()) + dx;
    if (width < MinWidth || width > INT32_MAX)
        return nullptr;
    return std::make_shared<TQVTTreeCellResizeOperation>(dataSource, cell, static_cast<int>(width));
}

void TQVTTreeCellResizeOperation::changed(int width)
{
    if (TQVTTreeGrid* grid = gridOf(*FCell))
        grid->updateNodes();
    if (FDataSource)
        TQVTDataSourceIntf::tell(FDataSource->onTreeColumnResize, FCell.get(), width);
}

bool TQVTTreeCellResizeOperation::perform()
{
    if (!FCell || FNewWidth < 1)
        return false;
    FHadSettings = FCell->FSettings != nullptr;
    FOldWidth = FCell->getWidth();
    FCell->setWidth(FNewWidth);
    changed(FNewWidth);
    return true;
}

bool TQVTTreeCellResizeOperation::undo()
{
    if (!FCell)
        return false;
    // The width before may be one that setWidth refuses (a file's 0).
    if (FHadSettings && FCell->FSettings)
        FCell->FSettings->FWidth = FOldWidth;
    else
        FCell->FSettings.reset();
    changed(FOldWidth);
    return true;
}

} // namespace corvane
