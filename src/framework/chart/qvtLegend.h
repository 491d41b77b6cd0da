#pragma once
// The table of explanatory texts painted below the chart: rows of cells with their own widths,
// framed, with borders drawn around ranges of cells.

#include "corvane/framework/tasktable/qvtTreeCells.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class IQVTTextSettings;
class TQVTLegend;
class TQVTTextSettings;
class TQVTVisualContext;
class TqvtLegendRow;

/// Where a legend row puts its cells. Stored as the ordinal; other values lay out as raLeft.
enum QVTRowAlignment : std::uint8_t {
    raLeft,
    raRight,
    raCenter,
    raStretch
};

/// One text of a legend row; its parent is the row.
class TQVTLegendCell : public TQVTCell {
public:
    static constexpr const char* TypeID = "Legend Cell";

    TQVTLegendCell();

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    /// The cell's own settings, else the legend's default cell settings; none without either.
    IQVTTextSettings* getTextSettings();
    /// The row the cell belongs to, or none.
    TqvtLegendRow* getRow() const;

    /// Pixels, the gap before the next cell not included.
    std::int32_t width = 20;
    std::shared_ptr<TQVTTextSettings> FTextSettings;

protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
};

class TQVTLegendCellPersistence : public TQVTPersistenceOf<TQVTLegendCell> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// One line of the legend; its parent is the legend.
class TqvtLegendRow : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Legend Row";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    int cellsCount() const { return static_cast<int>(FCells.size()); }
    /// None for an index outside the list.
    TQVTLegendCell* getCell(int i) const;
    /// Makes the row the cell's parent and appends it.
    void addCell(std::shared_ptr<TQVTLegendCell> cell);
    /// The row's place in its legend; -1 when it has none.
    int getRowIndex();
    /// The width from cell first to the end: the widths of those cells and a border before,
    /// between and after them.
    int length(int first) const;
    /// The rectangle of cell i in the legend's layout, i clamped to the cells; an empty
    /// rectangle at the row's start when it has no cells.
    TRect getCellRect(int i);
    /// length(0).
    int GetMinWidth() const { return length(0); }
    TQVTLegend* getLegend() const;

    std::vector<std::shared_ptr<TQVTLegendCell>> FCells;
    std::int32_t FHeight = 20;
    /// Cached; refreshed whenever it no longer names this row.
    int FRowIndex = -1;
    std::int32_t FAlignment = raLeft;
    /// For a stretched row, the first cell that is put flush with the right edge.
    std::int32_t FSplitAt = 0;

protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

private:
    /// The left edge of cell 0.
    int firstLeft() const;
    /// The border thickness of the legend, 0 without one.
    int border() const;
};

class TqvtLegendRowPersistence : public TQVTPersistenceOf<TqvtLegendRow> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// A frame around the cells from (startRow, startCell) to (endRow, endCell); rows and cells
/// past the last are taken as the last.
class TQVTLegendBorder : public TQVTCell {
public:
    static constexpr const char* TypeID = "Custom Legend Border";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::int32_t thickness = 0;
    TColor color = 0;
    std::int32_t startRow = 0;
    std::int32_t startCell = 0;
    std::int32_t endRow = 0;
    std::int32_t endCell = 0;

protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
};

class TQVTLegendBorderPersistence : public TQVTPersistenceOf<TQVTLegendBorder> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Paints a cell on behalf of the application: (row index, cell index, cell rectangle, visual
/// context); answers whether it painted, so that the legend leaves the cell alone.
using TQVTLegendDrawCellEvent = std::function<bool(int row, int cell, TRect rect, TQVTVisualContext& vc)>;

/// Lays its rows out in the layout rectangle (L, T, R, B) of its drawer: each row starts a
/// border thickness t below the one above, each cell t right of the one before.
class TQVTLegend : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Legend";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    int rowsCount() const { return static_cast<int>(FRows.size()); }
    /// None for an index outside the list.
    TqvtLegendRow* getRow(int i) const;
    /// -1 when the row is not the legend's.
    int getRowIndex(const TqvtLegendRow* row) const;
    /// Appends count rows of the given height.
    void addBlankRow(int height, int count);
    void clearRows() { FRows.clear(); }
    /// Makes the legend the border's parent and appends it.
    void addBorder(std::shared_ptr<TQVTLegendBorder> border);
    int bordersCount() const { return static_cast<int>(FBorders.size()); }
    TQVTLegendBorder* getBorder(int i) const;
    void clearborders() { FBorders.clear(); }

    /// L + t.
    int getStartX();
    /// T + t + the heights of the rows above, each with its border.
    int getRowStartY(int row);
    /// The row index is clamped to the rows; an empty rectangle without rows.
    TRect getCellRect(int row, int cell);
    /// The rows' heights, without the borders between them; 0 without rows.
    int GetHeight() const;
    /// The longest row's length(0); 0 without rows.
    int GetMinWidth() const;
    /// Moves the layout horizontally so that it starts at x, keeping its width.
    void SetOffsetX(int x);
    /// The layout rectangle of the legend's drawer.
    TRect getLayout();

    TColor FBackgroundColor = 0xE0E0E0;
    std::vector<std::shared_ptr<TqvtLegendRow>> FRows;
    TQVTLegendDrawCellEvent FOnDrawCell;
    std::shared_ptr<TQVTTextSettings> FDefaultCellSettings;
    TColor FBorderColor = 0x808080;
    std::int32_t FBorderThickness = 1;
    std::vector<std::shared_ptr<TQVTLegendBorder>> FBorders;

protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;
};

class TQVTLegendPersistence : public TQVTPersistenceOf<TQVTLegend> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Holds the layout rectangle and paints the legend in it: background, frame with a dark band
/// along the right and bottom, every row, every border.
class TQVTLegendDrawer : public TQVTDrawer {
public:
    explicit TQVTLegendDrawer(TQVTLegend* target) : TQVTDrawer(target) {}

    void SetLayout(TRect r) { FLayout = r; }
    TRect getRect() override { return FLayout; }
    int getWidth() const { return FLayout.Right - FLayout.Left; }
    /// The legend's GetHeight.
    int getHeight() override;
    bool Draw(TQVTVisualContext& vc) override;

    TRect FLayout{};
};

/// Paints a row's cells in the legend's layout, each framed in the legend's border colour.
class TQVTLegendRowDrawer : public TQVTDrawer {
public:
    explicit TQVTLegendRowDrawer(TqvtLegendRow* target) : TQVTDrawer(target) {}
    bool Draw(TQVTVisualContext& vc) override;
};

/// Paints a cell's text, word-wrapped and clipped, in the rectangle it was laid out in.
class TQVTLegendCellDrawer : public TQVTDrawer {
public:
    explicit TQVTLegendCellDrawer(TQVTLegendCell* target) : TQVTDrawer(target) {}
    void SetLayout(TRect r) { FLayout = r; }
    TRect getRect() override { return FLayout; }
    bool Draw(TQVTVisualContext& vc) override;

    TRect FLayout{};
};

/// Frames the border's range of cells.
class TQVTLegendBorderDrawer : public TQVTDrawer {
public:
    explicit TQVTLegendBorderDrawer(TQVTLegendBorder* target) : TQVTDrawer(target) {}
    bool Draw(TQVTVisualContext& vc) override;
};

/// Where a view prints the legend: under the chart, (colStartX, legendStartY, the print range's
/// right edge, legendStartY + the legend's height); else at the right, (the print range's right
/// edge - the legend's minimum width, its top, its right edge - 1, its bottom).
TRect LegendPrintLayout(const TQVTLegend& legend, bool under, int colStartX, int legendStartY, TRect printRange);

} // namespace corvane
