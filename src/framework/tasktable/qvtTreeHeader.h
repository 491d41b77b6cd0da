#pragma once
// The column header of the task table.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/objects/qvtOperation.h"
#include "corvane/platform/Colors.h"

#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTTreeCellType;
class TQVTTreeColSettings;
class TQVTHeaderFilterHalo;
class TQVTHeaderHalo;
class TQVTTreeGrid;
class TQVTTreeHeader;
class TQVTTreeHeaderCellResizer;

/// The sort order of a column; the values are the ones stored in files.
enum TQVTSortOrder {
    sortNone = 0,
    sortAscending = 1,
    sortDescending = 2
};

class TQVTTreeHeaderCell;

/// The filter drop-down of a column: the texts it offers and what checking them does. The
/// check-list that shows them belongs to the chart control.
class TQVTTreeHeaderFilterArea {
public:
    explicit TQVTTreeHeaderFilterArea(TQVTTreeHeaderCell* target) : FTarget(target) {}

    /// The distinct texts of the column's cells, blanks at both ends removed and letter case
    /// ignored, in row order (the first spelling met is kept); empty outside a grid.
    std::vector<std::string> GetContentStrings() const;
    /// Filters the rows by the checked entries, in order: the entry "Alles" clears the filter
    /// and ends the list, any other entry becomes a value of this column's filter. Then the
    /// grid applies the filter and tells its listeners.
    void OnClickContent(const std::vector<std::string>& checked);

    int FVisibleState = 0;
    TQVTTreeHeaderCell* FTarget;
};

/// Title, font, visibility, settings and data type of one column. Its parent is the header.
class TQVTTreeHeaderCell : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Tree Header Cell";
    /// Font sizes are kept within what painting can lay out.
    static constexpr int MaxFontSize = 1000;

    /// Writes "typeID", "title", "settings", the font keys, "visible" and "dataType". The sort
    /// order is not written: a loaded document starts in its stored row order.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    void setSortOrder(TQVTSortOrder order) { FSortOrder = order; }
    TQVTSortOrder getSortOrder() const { return FSortOrder; }

    /// The width of the column settings; 0 without settings.
    int getWidth() const;
    /// Sets the column settings' width (creating settings of the column's own when it has
    /// none); values below 1 are ignored. Columns that share settings share the width.
    void setWidth(int w);
    /// Gives the column its data type. The first type is just stored; a type that names
    /// another cell class replaces every row's cell of the column by a fresh cell of that
    /// class, keeping the row's settings; a type of the same cell class is taken over by the
    /// cells, which keep their values. The same type again, or none, changes nothing.
    void SetDataType(const std::shared_ptr<TQVTTreeCellType>& type);
    /// The width of "W" followed by the title in the column's font; 0 without a font name.
    int getMaxWidth() const;

    /// The header the cell is in, or none.
    TQVTTreeHeader* getHeader() const;

    std::shared_ptr<TQVTTreeColSettings> FSettings;
    std::shared_ptr<TQVTTreeCellType> FDataType;
    std::string FTitle;
    /// Colour, name and size of the title's font.
    TColor FColor = clBlack;
    std::string FFontName = "Arial";
    int FFontSize = 10;
    TQVTSortOrder FSortOrder = sortNone;
    bool FVisible = true;
    TQVTTreeHeaderFilterArea HeaderFilterArea{this};
    /// The drag handle on the cell's right border; made when first drawn, then kept.
    std::shared_ptr<TQVTTreeHeaderCellResizer> resizer;
    /// The filter drop-down button at the cell's right end; made when first drawn, then kept.
    std::shared_ptr<TQVTHeaderFilterHalo> filterButton;

protected:
    /// A TQVTTreeHeaderCellDrawer (qvtTreeDrawers.cpp).
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
};

class TQVTTreeHeaderCellPersistence : public TQVTPersistenceOf<TQVTTreeHeaderCell> {
public:
    /// Missing keys give the defaults: the localized "autonumbercolumn" title, black Arial 10,
    /// visible, unsorted. A font size or sort order out of range is clamped with a log line.
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// The header of the task table: one header cell per column, in column order. Its parent is
/// the tree grid.
class TQVTTreeHeader : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Tree Header";
    /// Stored heights are clamped to [0, MaxHeight].
    static constexpr int MaxHeight = 32767;

    /// Writes "typeID", "height", "cells" and "background color".
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    int countCells() const { return static_cast<int>(FCells.size()); }
    /// None outside [0, countCells()).
    TQVTTreeHeaderCell* getHeaderCell(int i) const;
    /// The first position of cell; -1 when it is not in the header.
    int getHeaderCellIndex(const TQVTTreeHeaderCell* cell) const;
    /// The width of column i; 0 outside the columns.
    int getCellWidth(int i) const;
    /// Puts cell at index (at the end when index is negative or beyond the cells) and becomes
    /// its parent; false for no cell.
    bool insertHeaderCell(const std::shared_ptr<TQVTTreeHeaderCell>& cell, int index);
    /// Takes the cell at index out of the header and answers it (it stays alive for undo);
    /// none outside the cells.
    std::shared_ptr<TQVTTreeHeaderCell> deleteHeaderCell(int index);
    int getHeight() const { return FHeight; }
    /// Clamped to [0, MaxHeight].
    void setHeight(int h);
    /// The sum of the widths of the visible columns (also kept in FActualWidth).
    int getActualWidth();

    /// The first column with a sort order, or -1.
    int getSortColumn() const;
    /// The order of the sorted column, or sortNone.
    TQVTSortOrder getSortOrder() const;
    /// The order of column i; sortNone outside the columns.
    TQVTSortOrder getSortOrder(int i) const;
    /// Column i gets the order, every other column sortNone: one sorted column at a time.
    void setSortOrder(int i, TQVTSortOrder order);

    /// -1 for a hidden or missing column, otherwise the number of visible columns before it.
    int visibleIndex(int i) const;
    /// Moving column from before column to, or to the end when to is negative; an operation
    /// not yet performed. None when either column does not exist or the move changes nothing.
    TQVTOperationPtr moveCell(int from, int to);

    /// The visible column under x of the view, laid out as the tree draws it (from the
    /// document's start x, past the row pane, scrolled by the tree's start x; neighbouring
    /// columns share their border pixel, which belongs to the left one); -1 when none is.
    int columnAt(int x);
    /// Cycles the sort order of the column under x (none, ascending, descending, none) through
    /// the tree grid's sortRows; the operation goes through the data source's history, or is
    /// only performed without a data source. Answers whether the rows were sorted; false
    /// beside the columns or for a column that cannot sort.
    bool handleClick(int x);

    /// The tree grid the header belongs to, or none.
    TQVTTreeGrid* getGrid() const;

    int FHeight = 16;
    /// Owns its cells; a cell listed twice by a file is one cell in two places.
    std::vector<std::shared_ptr<TQVTTreeHeaderCell>> FCells;
    TColor FbkColor = 0x02C56A31;
    int FActualWidth = 0;
    /// Colour of the column borders; not stored.
    TColor FlineColor = clGray;
    /// The click areas of the visible columns, left to right (qvtTreeDrawers.cpp).
    std::vector<std::shared_ptr<TQVTHeaderHalo>> clickers;
    /// Lays the click areas over the visible columns, from top down to the first chart row's
    /// top: one per visible column as wide as the column, neighbours sharing their border
    /// pixel. A column keeps its area from one call to the next (only its place changes); an
    /// area dropped stays alive until the next call, so a handle held between two paints is
    /// never freed under its holder.
    void updateClickers(int top);

protected:
    /// A TQVTTreeHeaderDrawer (qvtTreeDrawers.cpp).
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

private:
    std::vector<std::shared_ptr<TQVTHeaderHalo>> FRetiredClickers;
};

class TQVTTreeHeaderPersistence : public TQVTPersistenceOf<TQVTTreeHeader> {
public:
    /// "height" 16, "background color" $02C56A31 when absent.
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Moves one header cell before another (to the end when there is none). Undo puts it back
/// before the cell that followed it, or at the end when it was the last.
class TQVTMoveHeaderCellOperation : public TQVTOperation {
public:
    TQVTMoveHeaderCellOperation(TQVTDataSourceIntf* dataSource, TQVTTreeHeader* header,
                                std::shared_ptr<TQVTTreeHeaderCell> cell, std::shared_ptr<TQVTTreeHeaderCell> before);

    /// Refused when the cell, or a given before, is not in the header, or before is the cell.
    bool perform() override;
    /// Refused when the cell, or the cell it came before, is no longer in the header.
    bool undo() override;

private:
    /// Takes FCell out and puts it before target (at the end for none).
    bool place(const TQVTTreeHeaderCell* target);

    TQVTTreeHeader* FHeader;
    std::shared_ptr<TQVTTreeHeaderCell> FCell;
    std::shared_ptr<TQVTTreeHeaderCell> FBefore;
    /// The cell that followed FCell before the move; none when it was the last.
    std::shared_ptr<TQVTTreeHeaderCell> FFollower;
};

} // namespace corvane
