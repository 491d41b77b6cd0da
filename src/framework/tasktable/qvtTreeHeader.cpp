#include "corvane/framework/tasktable/qvtTreeHeader.h"

#include "corvane/framework/localization/qvtLocalization.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/rendering/qvtTextArranger.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeResizePane.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/platform/DiagnosticLog.h"

#include <algorithm>
#include <cstdint>
#include <typeinfo>
#include <utility>

namespace corvane {

namespace {

std::size_t at(int i)
{
    return static_cast<std::size_t>(i);
}

// A stored value outside [lo, hi] is clamped, and the log says where it came from.
int clampedKey(const std::string& section, const char* key, int value, int lo, int hi)
{
    const int clamped = std::clamp(value, lo, hi);
    if (clamped != value)
        addlog("Tree header: \"" + std::string(key) + "\" of section " + section + " out of range, " +
               std::to_string(value) + " taken as " + std::to_string(clamped));
    return clamped;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Header cell

void TQVTTreeHeaderCell::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setStrProperty(name, "title", FTitle);
    factory.saveChild(name, "settings", FSettings.get(), media);
    media.setColorProperty(name, "fontColor", FColor);
    media.setStrProperty(name, "fontName", FFontName);
    media.setIntProperty(name, "fontSize", FFontSize);
    media.setBoolProperty(name, "visible", FVisible);
    factory.saveChild(name, "dataType", FDataType.get(), media);
}

std::shared_ptr<TQVTGanttObject> TQVTTreeHeaderCellPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                       TQVTEntityFactory& factory)
{
    auto cell = std::make_shared<TQVTTreeHeaderCell>();
    media.getStrProperty(name, "title", GetRessourceValue("autonumbercolumn"), cell->FTitle);
    cell->FSettings = loadChildAs<TQVTTreeColSettings>("settings", media, factory, cell.get());
    media.getColorProperty(name, "fontColor", clBlack, cell->FColor);
    media.getStrProperty(name, "fontName", "Arial", cell->FFontName);
    int size = 10;
    media.getIntProperty(name, "fontSize", size, size);
    cell->FFontSize =
        clampedKey(name, "fontSize", size, -TQVTTreeHeaderCell::MaxFontSize, TQVTTreeHeaderCell::MaxFontSize);
    media.getBoolProperty(name, "visible", true, cell->FVisible);
    int order = sortNone;
    media.getIntProperty(name, "sortOrder", order, order);
    // An order that no file should hold leaves the column unsorted.
    if (order < sortNone || order > sortDescending) {
        addlog("Tree header: \"sortOrder\" of section " + name + " unknown, " + std::to_string(order) + " taken as 0");
        order = sortNone;
    }
    cell->FSortOrder = static_cast<TQVTSortOrder>(order);
    cell->FDataType = loadChildAs<TQVTTreeCellType>("dataType", media, factory, cell.get());
    return cell;
}

TQVTTreeHeader* TQVTTreeHeaderCell::getHeader() const
{
    return dynamic_cast<TQVTTreeHeader*>(getParent());
}

int TQVTTreeHeaderCell::getWidth() const
{
    return FSettings ? FSettings->FWidth : 0;
}

void TQVTTreeHeaderCell::setWidth(int w)
{
    if (w < 1)
        return;
    if (!FSettings) {
        FSettings = std::make_shared<TQVTTreeColSettings>();
        FSettings->setParent(this);
    }
    FSettings->FWidth = w;
}

void TQVTTreeHeaderCell::SetDataType(const std::shared_ptr<TQVTTreeCellType>& type)
{
    if (!type || type == FDataType)
        return;
    const std::shared_ptr<TQVTTreeCellType> old = std::exchange(FDataType, type);
    if (!type->getParent())
        type->setParent(this);
    if (!old)
        return;
    const TQVTTreeHeader* header = getHeader();
    TQVTTreeGrid* grid = header ? header->getGrid() : nullptr;
    const int column = header ? header->getHeaderCellIndex(this) : -1;
    const TQVTTreeCellClass cellClass = type->TreeCellClass();
    if (!grid || !grid->FRootNode || column < 0 || !cellClass)
        return;
    std::vector<TQVTTreeRow*> rows;
    grid->FRootNode->collectChildren(rows);
    for (TQVTTreeRow* row : rows) {
        TQVTTreeCell* cell = row->getCell(column);
        if (!cell)
            continue;
        std::shared_ptr<TQVTTreeCell> fresh = cellClass();
        // A cell of the new type's own class keeps its value.
        if (typeid(*fresh) == typeid(*cell)) {
            cell->FDataType = type;
            continue;
        }
        fresh->FRowSettings = cell->FRowSettings;
        fresh->FColSettings = FSettings;
        fresh->FDataType = type;
        row->setCell(column, fresh);
    }
}

int TQVTTreeHeaderCell::getMaxWidth() const
{
    if (FFontName.empty())
        return 0;
    auto settings = std::make_shared<TQVTTextSettings>();
    TFont font = *settings->GetFont();
    font.Name = FFontName;
    font.SetSize(FFontSize);
    settings->SetFont(font);
    return TQVTTextArranger(settings.get()).getTextWidth(FTitle);
}

// ---------------------------------------------------------------------------------------------
// Header

void TQVTTreeHeader::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setIntProperty(name, "height", FHeight);
    factory.saveObjectList(name, "cells", media, FCells);
    media.setColorProperty(name, "background color", FbkColor);
}

std::shared_ptr<TQVTGanttObject> TQVTTreeHeaderPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                   TQVTEntityFactory& factory)
{
    auto header = std::make_shared<TQVTTreeHeader>();
    int height = header->FHeight;
    media.getIntProperty(name, "height", height, height);
    header->FHeight = clampedKey(name, "height", height, 0, TQVTTreeHeader::MaxHeight);
    // Entries that fail to load stay empty places, so that rows' cells keep their columns.
    header->FCells = factory.loadObjectListAs<TQVTTreeHeaderCell>(name, "cells", media, header.get());
    media.getColorProperty(name, "background color", header->FbkColor, header->FbkColor);
    return header;
}

TQVTTreeGrid* TQVTTreeHeader::getGrid() const
{
    return dynamic_cast<TQVTTreeGrid*>(getParent());
}

TQVTTreeHeaderCell* TQVTTreeHeader::getHeaderCell(int i) const
{
    return i >= 0 && i < countCells() ? FCells[at(i)].get() : nullptr;
}

int TQVTTreeHeader::getHeaderCellIndex(const TQVTTreeHeaderCell* cell) const
{
    if (!cell)
        return -1;
    const auto it = std::find_if(FCells.begin(), FCells.end(), [cell](const auto& c) { return c.get() == cell; });
    return it == FCells.end() ? -1 : static_cast<int>(it - FCells.begin());
}

int TQVTTreeHeader::getCellWidth(int i) const
{
    const TQVTTreeHeaderCell* cell = getHeaderCell(i);
    return cell ? cell->getWidth() : 0;
}

bool TQVTTreeHeader::insertHeaderCell(const std::shared_ptr<TQVTTreeHeaderCell>& cell, int index)
{
    if (!cell)
        return false;
    const bool inside = index >= 0 && index < countCells();
    FCells.insert(inside ? FCells.begin() + index : FCells.end(), cell);
    cell->setParent(this);
    return true;
}

std::shared_ptr<TQVTTreeHeaderCell> TQVTTreeHeader::deleteHeaderCell(int index)
{
    if (index < 0 || index >= countCells())
        return nullptr;
    std::shared_ptr<TQVTTreeHeaderCell> cell = std::move(FCells[at(index)]);
    FCells.erase(FCells.begin() + index);
    return cell;
}

void TQVTTreeHeader::setHeight(int h)
{
    FHeight = std::clamp(h, 0, MaxHeight);
}

int TQVTTreeHeader::getActualWidth()
{
    long long width = 0;
    for (const auto& cell : FCells)
        if (cell && cell->FVisible)
            width += cell->getWidth();
    FActualWidth = static_cast<int>(std::min<long long>(width, INT32_MAX));
    return FActualWidth;
}

int TQVTTreeHeader::getSortColumn() const
{
    for (int i = 0; i < countCells(); ++i)
        if (FCells[at(i)] && FCells[at(i)]->getSortOrder() != sortNone)
            return i;
    return -1;
}

TQVTSortOrder TQVTTreeHeader::getSortOrder() const
{
    return getSortOrder(getSortColumn());
}

TQVTSortOrder TQVTTreeHeader::getSortOrder(int i) const
{
    const TQVTTreeHeaderCell* cell = getHeaderCell(i);
    return cell ? cell->getSortOrder() : sortNone;
}

void TQVTTreeHeader::setSortOrder(int i, TQVTSortOrder order)
{
    for (int k = 0; k < countCells(); ++k)
        if (FCells[at(k)])
            FCells[at(k)]->setSortOrder(k == i ? order : sortNone);
}

int TQVTTreeHeader::visibleIndex(int i) const
{
    const TQVTTreeHeaderCell* cell = getHeaderCell(i);
    if (!cell || !cell->FVisible)
        return -1;
    int visible = 0;
    for (int k = 0; k < i; ++k)
        if (FCells[at(k)] && FCells[at(k)]->FVisible)
            ++visible;
    return visible;
}

TQVTOperationPtr TQVTTreeHeader::moveCell(int from, int to)
{
    if (!getHeaderCell(from) || (to >= 0 && !getHeaderCell(to)))
        return nullptr;
    // Before itself, before its successor, or the last cell to the end: nothing moves.
    const int last = countCells() - 1;
    if (to == from || to == from + 1 || (to < 0 && from == last))
        return nullptr;
    TQVTDocumentSetup* document = FindDocumentSetup(this);
    return std::make_shared<TQVTMoveHeaderCellOperation>(document ? document->getDataSource() : nullptr, this,
                                                         FCells[at(from)], to < 0 ? nullptr : FCells[at(to)]);
}

int TQVTTreeHeader::columnAt(int x)
{
    TQVTTreeGrid* grid = getGrid();
    TQVTDocumentSetup* document = FindDocumentSetup(this);
    long long left = grid && grid->FRowsResizePane ? grid->FRowsResizePane->FWidth : 0;
    if (document)
        left += static_cast<long long>(document->getDocStartX()) + document->getTreeStartX();
    const long long position = x - left;
    if (position < 0)
        return -1;
    long long start = 0;
    for (int i = 0; i < countCells(); ++i) {
        const TQVTTreeHeaderCell* cell = FCells[at(i)].get();
        if (!cell || !cell->FVisible || cell->getWidth() < 1)
            continue;
        if (position < start + cell->getWidth())
            return i;
        start += cell->getWidth() - 1;
    }
    return -1;
}

bool TQVTTreeHeader::handleClick(int x)
{
    const int column = columnAt(x);
    TQVTTreeGrid* grid = getGrid();
    if (column < 0 || !grid)
        return false;
    const auto next = static_cast<TQVTSortOrder>((getSortOrder(column) + 1) % 3);
    const TQVTOperationPtr op = grid->sortRows(column, next);
    if (!op)
        return false;
    TQVTDocumentSetup* document = FindDocumentSetup(this);
    TQVTDataSourceIntf* dataSource = document ? document->getDataSource() : nullptr;
    return dataSource ? dataSource->doOperation(op) : op->perform();
}

// ---------------------------------------------------------------------------------------------
// Moving a header cell

TQVTMoveHeaderCellOperation::TQVTMoveHeaderCellOperation(TQVTDataSourceIntf* dataSource, TQVTTreeHeader* header,
                                                         std::shared_ptr<TQVTTreeHeaderCell> cell,
                                                         std::shared_ptr<TQVTTreeHeaderCell> before)
    : TQVTOperation(dataSource),
      FHeader(header),
      FCell(std::move(cell)),
      FBefore(std::move(before))
{
}

bool TQVTMoveHeaderCellOperation::place(const TQVTTreeHeaderCell* target)
{
    const int from = FHeader->getHeaderCellIndex(FCell.get());
    if (from < 0 || target == FCell.get() || (target && FHeader->getHeaderCellIndex(target) < 0))
        return false;
    FHeader->FCells.erase(FHeader->FCells.begin() + from);
    const int to = target ? FHeader->getHeaderCellIndex(target) : FHeader->countCells();
    FHeader->FCells.insert(FHeader->FCells.begin() + to, FCell);
    return true;
}

bool TQVTMoveHeaderCellOperation::perform()
{
    if (!FHeader || !FCell)
        return false;
    const int from = FHeader->getHeaderCellIndex(FCell.get());
    if (from < 0)
        return false;
    const std::shared_ptr<TQVTTreeHeaderCell> follower =
        from + 1 < FHeader->countCells() ? FHeader->FCells[at(from + 1)] : nullptr;
    if (!place(FBefore.get()))
        return false;
    FFollower = follower;
    return true;
}

bool TQVTMoveHeaderCellOperation::undo()
{
    return FHeader && FCell && place(FFollower.get());
}

namespace {

// The grid the column belongs to and the column's index there.
std::pair<TQVTTreeGrid*, int> gridColumnOf(TQVTTreeHeaderCell* cell)
{
    TQVTTreeHeader* header = cell ? cell->getHeader() : nullptr;
    auto* grid = header ? dynamic_cast<TQVTTreeGrid*>(header->getParent()) : nullptr;
    return {grid, grid ? header->getHeaderCellIndex(cell) : -1};
}

} // namespace

std::vector<std::string> TQVTTreeHeaderFilterArea::GetContentStrings() const
{
    const auto [grid, column] = gridColumnOf(FTarget);
    return grid && column >= 0 ? grid->distinctTexts(column) : std::vector<std::string>{};
}

void TQVTTreeHeaderFilterArea::OnClickContent(const std::vector<std::string>& checked)
{
    const auto [grid, column] = gridColumnOf(FTarget);
    if (!grid || column < 0)
        return;
    grid->ClearFilter(false);
    for (const std::string& entry : checked) {
        if (entry == "Alles") {
            grid->ClearFilter(false);
            break;
        }
        grid->TreeFilter.Active = true;
        grid->TreeFilter.ColID = column;
        grid->TreeFilter.Values.push_back(entry);
    }
    grid->ApplyFilter();
    grid->TreeFilterChanged();
}

} // namespace corvane
