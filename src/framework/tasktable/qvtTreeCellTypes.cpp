#include "corvane/framework/tasktable/qvtTreeCellTypes.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/DiagnosticLog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace corvane {

namespace {

template <typename Cell>
std::shared_ptr<TQVTTreeCell> makeCell()
{
    return std::make_shared<Cell>();
}

int threeWay(int a, int b)
{
    return a < b ? -1 : b < a ? 1 : 0;
}

// Dates the chart answers are finite; should one not be, NaN sorts first, so that the order
// stays strict weak.
int threeWay(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return threeWay(!std::isnan(a), !std::isnan(b));
    return a < b ? -1 : b < a ? 1 : 0;
}

// The chart table of the document the row belongs to, or none.
IQVTChartTable* chartTableOf(const TQVTTreeRow* row)
{
    TQVTDocumentSetup* document = row ? FindDocumentSetup(const_cast<TQVTTreeRow*>(row)) : nullptr;
    return document ? document->GetTable() : nullptr;
}

std::string dayText(TDateTime date)
{
    int year = 0;
    int month = 0;
    int day = 0;
    DecodeDate(date, year, month, day);
    char text[16];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", day, month, year);
    return text;
}

TDateTime rowStart(const TQVTTreeRow* row)
{
    const IQVTChartTable* table = chartTableOf(row);
    return table ? table->rowStartDate(row->FIndex) : 0;
}

// The last day the row's bars cover: a bar ending at midnight does not cover the day it ends
// on. 0 when the row has no bars.
TDateTime rowLastDay(const TQVTTreeRow* row)
{
    const IQVTChartTable* table = chartTableOf(row);
    const TDateTime end = table ? table->rowEndDate(row->FIndex) : 0;
    if (end == 0)
        return 0;
    const TDateTime day = DateOf(end);
    return TimeOf(end) == 0 ? day - 1 : day;
}

const std::string* rowTaskName(const TQVTTreeRow* row)
{
    const IQVTChartTable* table = chartTableOf(row);
    return table ? table->rowTaskName(row->FIndex) : nullptr;
}

} // namespace

void TQVTTreeCellType::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", savedTypeID());
    saveSettings(name, media);
}

void TQVTTreeCellType::loadSettings(const std::string&, IQVTMedia&) {}

void TQVTTreeCellType::saveSettings(const std::string&, IQVTMedia&) {}

TQVTTreeCellClass TQVTTreeSimpleTextCellType::TreeCellClass() const
{
    return makeCell<TQVTTreeSimpleTextCell>;
}

TQVTTreeCellClass TQVTTreeMultilineTextCellType::TreeCellClass() const
{
    return makeCell<TQVTTreeMultilineTextCell>;
}

TQVTTreeCellClass TQVTTreeDateTimeCellType::TreeCellClass() const
{
    return makeCell<TQVTTreeDateTimeCell>;
}

void TQVTTreeDateTimeCellType::loadSettings(const std::string& name, IQVTMedia& media)
{
    media.getBoolProperty(name, "noTime", FNoTime, FNoTime);
}

void TQVTTreeDateTimeCellType::saveSettings(const std::string& name, IQVTMedia& media)
{
    media.setBoolProperty(name, "noTime", FNoTime);
}

TQVTTreeCellClass TQVTTreeSpinCellType::TreeCellClass() const
{
    return makeCell<TQVTTreeSpinCell>;
}

void TQVTTreeSpinCellType::loadSettings(const std::string& name, IQVTMedia& media)
{
    media.getIntProperty(name, "min", FMin, FMin);
    media.getIntProperty(name, "max", FMax, FMax);
    if (FMin > FMax) {
        addlog("Section \"" + name + "\": \"min\" above \"max\", the two swapped");
        std::swap(FMin, FMax);
    }
}

void TQVTTreeSpinCellType::saveSettings(const std::string& name, IQVTMedia& media)
{
    media.setIntProperty(name, "min", FMin);
    media.setIntProperty(name, "max", FMax);
}

TQVTTreeCellClass TQVTTreeCurrencyCellType::TreeCellClass() const
{
    return makeCell<TQVTTreeCurrencyCell>;
}

TQVTTreeCellClass TQVTTreeComboCellType::TreeCellClass() const
{
    return makeCell<TQVTTreeComboCell>;
}

void TQVTTreeComboCellType::loadSettings(const std::string& name, IQVTMedia& media)
{
    media.getStrArrayProperty(name, "items", FItems);
}

void TQVTTreeComboCellType::saveSettings(const std::string& name, IQVTMedia& media)
{
    media.setStrArrayProperty(name, "items", FItems);
}

TQVTTreeCellClass TQVTTreeImageComboCellType::TreeCellClass() const
{
    return makeCell<TQVTTreeImageComboCell>;
}

std::function<std::shared_ptr<TBitmap>(const std::string& images, int item)> TQVTTreeImageComboCellType::Pictures;

std::shared_ptr<TBitmap> TQVTTreeImageComboCellType::pictureOf(const std::string& text) const
{
    if (FImages.empty() || !Pictures)
        return nullptr;
    const auto it = std::find(FItems.begin(), FItems.end(), text);
    if (it == FItems.end())
        return nullptr;
    return Pictures(FImages, static_cast<int>(it - FItems.begin()));
}

void TQVTTreeImageComboCellType::loadSettings(const std::string& name, IQVTMedia& media)
{
    media.getStrArrayProperty(name, "items", FItems);
    media.getStrProperty(name, "images", {}, FImages);
}

void TQVTTreeImageComboCellType::saveSettings(const std::string& name, IQVTMedia& media)
{
    media.setStrArrayProperty(name, "items", FItems);
    media.setStrProperty(name, "images", FImages);
}

TQVTTreeCellClass TQVTTreeButtonEditCellType::TreeCellClass() const
{
    return makeCell<TQVTTreeButtonEditCell>;
}

TQVTTreeCellClass TQVTTreeAutoCellType::TreeCellClass() const
{
    return makeCell<TQVTTreeAutoCell>;
}

std::string TQVTTreeAutoCellType::calculateValue(const TQVTTreeRow& row) const
{
    const auto* node = dynamic_cast<const TQVTTreeNode*>(row.getParent());
    if (!node)
        return {};
    // The grid above the root node decides the style; a tree outside a grid numbers
    // hierarchically.
    const TQVTTreeNode* root = node;
    while (const TQVTTreeNode* up = root->getParentNode())
        root = up;
    const auto* grid = dynamic_cast<const TQVTTreeGrid*>(root->getParent());
    return grid && grid->FContinuousNumbering ? node->FNumberCont : node->FNumberHierchy;
}

int TQVTTreeAutoCellType::compareRows(const TQVTTreeRow* row, const TQVTTreeRow* other) const
{
    return threeWay(row ? row->FIndex : -1, other ? other->FIndex : -1);
}

std::string TQVTTreeAutoCellStartDate::calculateValue(const TQVTTreeRow& row) const
{
    const TDateTime start = rowStart(&row);
    return start == 0 ? std::string() : dayText(start);
}

int TQVTTreeAutoCellStartDate::compareRows(const TQVTTreeRow* row, const TQVTTreeRow* other) const
{
    return threeWay(rowStart(row), rowStart(other));
}

std::string TQVTTreeAutoCellEndDate::calculateValue(const TQVTTreeRow& row) const
{
    const TDateTime last = rowLastDay(&row);
    return last == 0 ? std::string() : dayText(last);
}

int TQVTTreeAutoCellEndDate::compareRows(const TQVTTreeRow* row, const TQVTTreeRow* other) const
{
    return threeWay(rowLastDay(row), rowLastDay(other));
}

std::string TQVTTreeAutoCellTaskNameType::calculateValue(const TQVTTreeRow& row) const
{
    const std::string* name = rowTaskName(&row);
    return name ? *name : std::string();
}

int TQVTTreeAutoCellTaskNameType::compareRows(const TQVTTreeRow* row, const TQVTTreeRow* other) const
{
    const std::string* a = rowTaskName(row);
    const std::string* b = rowTaskName(other);
    if (!a || !b)
        return threeWay(a != nullptr, b != nullptr);
    const int order = a->compare(*b);
    return threeWay(order, 0);
}

} // namespace corvane
