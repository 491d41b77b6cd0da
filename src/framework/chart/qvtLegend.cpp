#include "corvane/framework/chart/qvtLegend.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtCommon.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/rendering/qvtTextArranger.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/rendering/qvtVisualContext.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace corvane {

namespace {

// Stored sizes beyond these are damage; they would overflow the layout's sums.
constexpr int MaxStoredLength = 100000;
constexpr int MaxStoredThickness = 1000;
constexpr int MaxStoredIndex = 1000000;
constexpr int LegendTextSpan = MaxStoredLength;

int Clamped(long long value)
{
    return static_cast<int>(
        std::clamp<long long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Reads an integer key, keeping stored values in [low, high] with a log line.
int LoadBounded(IQVTMedia& media, const std::string& section, const char* key, int def, int low, int high)
{
    int value = def;
    media.getIntProperty(section, key, def, value);
    if (value >= low && value <= high)
        return value;
    const int clamped = std::clamp(value, low, high);
    addlog("Invalid value " + std::to_string(value) + " in section \"" + section + "\", key \"" + key + "\"; " +
           std::to_string(clamped) + " is used.");
    return clamped;
}

TRect Grown(TRect r, int by)
{
    return TRect{Clamped(static_cast<long long>(r.Left) - by), Clamped(static_cast<long long>(r.Top) - by),
                 Clamped(static_cast<long long>(r.Right) + by), Clamped(static_cast<long long>(r.Bottom) + by)};
}

} // namespace

// Cell

TQVTLegendCell::TQVTLegendCell()
{
    SetTextArranger(std::make_unique<TQVTTextArranger>(nullptr));
}

TqvtLegendRow* TQVTLegendCell::getRow() const
{
    return dynamic_cast<TqvtLegendRow*>(getParent());
}

IQVTTextSettings* TQVTLegendCell::getTextSettings()
{
    if (FTextSettings)
        return FTextSettings.get();
    TqvtLegendRow* row = getRow();
    TQVTLegend* legend = row ? row->getLegend() : nullptr;
    return legend ? legend->FDefaultCellSettings.get() : nullptr;
}

std::unique_ptr<TQVTDrawer> TQVTLegendCell::makeDrawer() const
{
    return std::make_unique<TQVTLegendCellDrawer>(const_cast<TQVTLegendCell*>(this));
}

void TQVTLegendCell::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setStrProperty(name, "text", FText);
    media.setIntProperty(name, "width", width);
    factory.saveChild(name, "text settings", FTextSettings.get(), media);
}

std::shared_ptr<TQVTGanttObject> TQVTLegendCellPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                   TQVTEntityFactory& factory)
{
    auto cell = std::make_shared<TQVTLegendCell>();
    media.getStrProperty(name, "text", "", cell->FText);
    cell->width = LoadBounded(media, name, "width", 20, 0, MaxStoredLength);
    cell->FTextSettings = loadChildAs<TQVTTextSettings>("text settings", media, factory, cell.get());
    return cell;
}

// Row

TQVTLegend* TqvtLegendRow::getLegend() const
{
    return dynamic_cast<TQVTLegend*>(getParent());
}

TQVTLegendCell* TqvtLegendRow::getCell(int i) const
{
    return i >= 0 && i < cellsCount() ? FCells[static_cast<std::size_t>(i)].get() : nullptr;
}

void TqvtLegendRow::addCell(std::shared_ptr<TQVTLegendCell> cell)
{
    if (!cell)
        return;
    cell->setParent(this);
    FCells.push_back(std::move(cell));
}

int TqvtLegendRow::getRowIndex()
{
    TQVTLegend* legend = getLegend();
    if (!legend)
        return -1;
    if (FRowIndex < 0 || legend->getRow(FRowIndex) != this)
        FRowIndex = legend->getRowIndex(this);
    return FRowIndex;
}

int TqvtLegendRow::border() const
{
    TQVTLegend* legend = getLegend();
    return legend ? legend->FBorderThickness : 0;
}

int TqvtLegendRow::length(int first) const
{
    first = std::clamp(first, 0, cellsCount());
    long long sum = 0;
    for (int j = first; j < cellsCount(); ++j)
        sum += FCells[static_cast<std::size_t>(j)]->width;
    return Clamped(sum + static_cast<long long>(cellsCount() - first + 1) * border());
}

int TqvtLegendRow::firstLeft() const
{
    TQVTLegend* legend = getLegend();
    const TRect layout = legend ? legend->getLayout() : TRect{};
    const long long start = static_cast<long long>(layout.Left) + border();
    const long long width = static_cast<long long>(layout.Right) - layout.Left;
    switch (FAlignment) {
    case raRight: {
        long long cells = 0;
        for (const auto& cell : FCells)
            cells += cell->width;
        return Clamped(start + width - cells);
    }
    case raCenter:
        return Clamped(start + (width - length(0)) / 2);
    case raStretch:
        return Clamped(FSplitAt < 1 ? start + width - length(0) : start);
    default:
        return Clamped(start);
    }
}

TRect TqvtLegendRow::getCellRect(int i)
{
    TQVTLegend* legend = getLegend();
    const int index = getRowIndex();
    const int top = legend && index >= 0 ? legend->getRowStartY(index) : 0;
    const int bottom = Clamped(static_cast<long long>(top) + FHeight);
    const int left = firstLeft();
    if (FCells.empty())
        return TRect{left, top, left, bottom};
    i = std::clamp(i, 0, cellsCount() - 1);
    const TRect layout = legend ? legend->getLayout() : TRect{};
    const int t = border();
    TRect r{left, top, Clamped(static_cast<long long>(left) + FCells[0]->width), bottom};
    for (int k = 1; k <= i; ++k) {
        const int w = FCells[static_cast<std::size_t>(k)]->width;
        if (FAlignment == raStretch && FSplitAt == k) {
            r.Left = Clamped(static_cast<long long>(layout.Left) + t +
                             (static_cast<long long>(layout.Right) - layout.Left) - length(k));
            r.Right = Clamped(static_cast<long long>(r.Left) + w);
        } else {
            // A cell's width includes the border before it.
            r.Left = Clamped(static_cast<long long>(r.Right) + t);
            r.Right = Clamped(static_cast<long long>(r.Right) + w);
        }
    }
    return r;
}

std::unique_ptr<TQVTDrawer> TqvtLegendRow::makeDrawer() const
{
    return std::make_unique<TQVTLegendRowDrawer>(const_cast<TqvtLegendRow*>(this));
}

void TqvtLegendRow::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setIntProperty(name, "height", FHeight);
    media.setIntProperty(name, "alignment", FAlignment);
    media.setIntProperty(name, "split at", FSplitAt);
    factory.saveObjectList(name, "cells", media, FCells);
}

std::shared_ptr<TQVTGanttObject> TqvtLegendRowPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                  TQVTEntityFactory& factory)
{
    auto row = std::make_shared<TqvtLegendRow>();
    row->FHeight = LoadBounded(media, name, "height", 20, 0, MaxStoredLength);
    row->FAlignment = LoadBounded(media, name, "alignment", raLeft, raLeft, raStretch);
    row->FSplitAt = LoadBounded(media, name, "split at", 0, 0, MaxStoredIndex);
    row->FCells = factory.loadObjectListAs<TQVTLegendCell>(name, "cells", media, row.get());
    // A cell that failed to load would leave a hole in the layout.
    std::erase(row->FCells, nullptr);
    return row;
}

// Border

std::unique_ptr<TQVTDrawer> TQVTLegendBorder::makeDrawer() const
{
    return std::make_unique<TQVTLegendBorderDrawer>(const_cast<TQVTLegendBorder*>(this));
}

void TQVTLegendBorder::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setIntProperty(name, "thickness", thickness);
    media.setColorProperty(name, "color", color);
    media.setIntProperty(name, "start row", startRow);
    media.setIntProperty(name, "start cell", startCell);
    media.setIntProperty(name, "end row", endRow);
    media.setIntProperty(name, "end cell", endCell);
}

std::shared_ptr<TQVTGanttObject> TQVTLegendBorderPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                     TQVTEntityFactory&)
{
    auto border = std::make_shared<TQVTLegendBorder>();
    border->thickness = LoadBounded(media, name, "thickness", 0, 0, MaxStoredThickness);
    media.getColorProperty(name, "color", 0, border->color);
    border->startRow = LoadBounded(media, name, "start row", 0, 0, MaxStoredIndex);
    border->startCell = LoadBounded(media, name, "start cell", 0, 0, MaxStoredIndex);
    border->endRow = LoadBounded(media, name, "end row", 0, 0, MaxStoredIndex);
    border->endCell = LoadBounded(media, name, "end cell", 0, 0, MaxStoredIndex);
    return border;
}

// Legend

TqvtLegendRow* TQVTLegend::getRow(int i) const
{
    return i >= 0 && i < rowsCount() ? FRows[static_cast<std::size_t>(i)].get() : nullptr;
}

int TQVTLegend::getRowIndex(const TqvtLegendRow* row) const
{
    for (int i = 0; i < rowsCount(); ++i)
        if (FRows[static_cast<std::size_t>(i)].get() == row)
            return i;
    return -1;
}

void TQVTLegend::addBlankRow(int height, int count)
{
    for (int i = 0; i < count; ++i) {
        auto row = std::make_shared<TqvtLegendRow>();
        row->FHeight = height;
        row->setParent(this);
        row->FRowIndex = rowsCount();
        FRows.push_back(std::move(row));
    }
}

void TQVTLegend::addBorder(std::shared_ptr<TQVTLegendBorder> border)
{
    if (!border)
        return;
    border->setParent(this);
    FBorders.push_back(std::move(border));
}

TQVTLegendBorder* TQVTLegend::getBorder(int i) const
{
    return i >= 0 && i < bordersCount() ? FBorders[static_cast<std::size_t>(i)].get() : nullptr;
}

TRect TQVTLegend::getLayout()
{
    auto* drawer = dynamic_cast<TQVTLegendDrawer*>(getDrawer(vtGanttGraph));
    return drawer ? drawer->FLayout : TRect{};
}

int TQVTLegend::getStartX()
{
    return Clamped(static_cast<long long>(getLayout().Left) + FBorderThickness);
}

int TQVTLegend::getRowStartY(int row)
{
    long long y = static_cast<long long>(getLayout().Top) + FBorderThickness;
    const int end = std::min(row, rowsCount());
    for (int j = 0; j < end; ++j)
        y += static_cast<long long>(FRows[static_cast<std::size_t>(j)]->FHeight) + FBorderThickness;
    return Clamped(y);
}

TRect TQVTLegend::getCellRect(int row, int cell)
{
    if (FRows.empty())
        return TRect{};
    return FRows[static_cast<std::size_t>(std::clamp(row, 0, rowsCount() - 1))]->getCellRect(cell);
}

int TQVTLegend::GetHeight() const
{
    long long sum = 0;
    for (const auto& row : FRows)
        sum += row->FHeight;
    return Clamped(sum);
}

int TQVTLegend::GetMinWidth() const
{
    int widest = 0;
    for (const auto& row : FRows)
        widest = std::max(widest, row->length(0));
    return widest;
}

void TQVTLegend::SetOffsetX(int x)
{
    auto* drawer = dynamic_cast<TQVTLegendDrawer*>(getDrawer(vtGanttGraph));
    if (!drawer)
        return;
    const TRect r = drawer->FLayout;
    drawer->SetLayout(TRect{x, r.Top, Clamped(static_cast<long long>(x) + r.Right - r.Left), r.Bottom});
}

std::unique_ptr<TQVTDrawer> TQVTLegend::makeDrawer() const
{
    return std::make_unique<TQVTLegendDrawer>(const_cast<TQVTLegend*>(this));
}

void TQVTLegend::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setColorProperty(name, "background color", FBackgroundColor);
    factory.saveObjectList(name, "rows", media, FRows);
    factory.saveChild(name, "default cell settings", FDefaultCellSettings.get(), media);
    media.setColorProperty(name, "border color", FBorderColor);
    media.setIntProperty(name, "border thickness", FBorderThickness);
    factory.saveObjectList(name, "borders", media, FBorders);
}

std::shared_ptr<TQVTGanttObject> TQVTLegendPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                               TQVTEntityFactory& factory)
{
    auto legend = std::make_shared<TQVTLegend>();
    media.getColorProperty(name, "background color", 0xE0E0E0, legend->FBackgroundColor);
    legend->FRows = factory.loadObjectListAs<TqvtLegendRow>(name, "rows", media, legend.get());
    std::erase(legend->FRows, nullptr);
    legend->FDefaultCellSettings = loadChildAs<TQVTTextSettings>("default cell settings", media, factory, legend.get());
    media.getColorProperty(name, "border color", 0x808080, legend->FBorderColor);
    legend->FBorderThickness = LoadBounded(media, name, "border thickness", 1, 0, MaxStoredThickness);
    legend->FBorders = factory.loadObjectListAs<TQVTLegendBorder>(name, "borders", media, legend.get());
    std::erase(legend->FBorders, nullptr);
    return legend;
}

// Drawers

int TQVTLegendDrawer::getHeight()
{
    return static_cast<TQVTLegend*>(target)->GetHeight();
}

bool TQVTLegendDrawer::Draw(TQVTVisualContext& vc)
{
    auto& legend = *static_cast<TQVTLegend*>(target);
    const auto [L, T, R, B] = FLayout;
    vc.FillArea(FLayout, legend.FBackgroundColor, bsSolid);
    vc.drawRect(FLayout, psSolid, 0);
    // The inner rectangle reaches past the outer one at the left and top: only the right and
    // bottom bands stay.
    vc.fillBounds(TRect{L, T, R, Clamped(static_cast<long long>(B) + 1)},
                  TRect{Clamped(static_cast<long long>(L) - 1), Clamped(static_cast<long long>(T) - 1),
                        Clamped(static_cast<long long>(R) - 2), Clamped(static_cast<long long>(B) - 1)},
                  0, bsSolid);
    for (const auto& row : legend.FRows)
        if (TQVTDrawer* drawer = row->getDrawer(vtGanttGraph))
            drawer->Draw(vc);
    for (const auto& border : legend.FBorders)
        if (TQVTDrawer* drawer = border->getDrawer(vtGanttGraph))
            drawer->Draw(vc);
    return true;
}

bool TQVTLegendRowDrawer::Draw(TQVTVisualContext& vc)
{
    auto& row = *static_cast<TqvtLegendRow*>(target);
    TQVTLegend* legend = row.getLegend();
    if (!legend)
        return false;
    const int rowIndex = row.getRowIndex();
    for (int i = 0; i < row.cellsCount(); ++i) {
        TQVTLegendCell& cell = *row.FCells[static_cast<std::size_t>(i)];
        const TRect r = row.getCellRect(i);
        auto* drawer = dynamic_cast<TQVTLegendCellDrawer*>(cell.getDrawer(vtGanttGraph));
        if (drawer)
            drawer->SetLayout(r);
        const bool painted = legend->FOnDrawCell && legend->FOnDrawCell(rowIndex, i, r, vc);
        if (!painted && drawer)
            drawer->Draw(vc);
        vc.fillBounds(Grown(r, legend->FBorderThickness), r, legend->FBorderColor, bsSolid);
    }
    return true;
}

bool TQVTLegendCellDrawer::Draw(TQVTVisualContext& vc)
{
    auto& cell = *static_cast<TQVTLegendCell*>(target);
    IQVTTextSettings* settings = cell.getTextSettings();
    if (!settings)
        return false;
    if (!cell.getTextArranger() || cell.getTextArranger()->getTextSettings() != settings)
        cell.SetTextArranger(std::make_unique<TQVTTextArranger>(settings));
    TQVTTextArranger& arranger = *cell.getTextArranger();
    vc.FillArea(FLayout, settings->GetColor(), bsSolid);
    arranger.wordWrapText(cell.FText, std::clamp(FLayout.Right - FLayout.Left, 0, LegendTextSpan), true);
    vc.SetClipRect(FLayout);
    arranger.drawText(vc, FLayout, true, clNone);
    vc.ResetClipRect();
    return true;
}

bool TQVTLegendBorderDrawer::Draw(TQVTVisualContext& vc)
{
    auto& border = *static_cast<TQVTLegendBorder*>(target);
    auto* legend = dynamic_cast<TQVTLegend*>(border.getParent());
    if (!legend || legend->FRows.empty())
        return false;
    const TRect from = legend->getCellRect(border.startRow, border.startCell);
    const TRect to = legend->getCellRect(border.endRow, border.endCell);
    const TRect outer = Grown(TRect{from.Left, from.Top, to.Right, to.Bottom}, border.thickness / 2);
    vc.fillBounds(outer, Grown(outer, -border.thickness), border.color, bsSolid);
    return true;
}

TRect LegendPrintLayout(const TQVTLegend& legend, bool under, int colStartX, int legendStartY, TRect printRange)
{
    if (under)
        return TRect{colStartX, legendStartY, printRange.Right,
                     Clamped(static_cast<long long>(legendStartY) + legend.GetHeight())};
    return TRect{Clamped(static_cast<long long>(printRange.Right) - legend.GetMinWidth()), printRange.Top,
                 Clamped(static_cast<long long>(printRange.Right) - 1), printRange.Bottom};
}

} // namespace corvane
