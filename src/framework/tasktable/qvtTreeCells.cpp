#include "corvane/framework/tasktable/qvtTreeCells.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/objects/qvtLoadedObject_p.h"
#include "corvane/framework/objects/qvtObjectEditor.h"
#include "corvane/framework/rendering/qvtTextArranger.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/DiagnosticLog.h"
#include "corvane/platform/RealText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace corvane {

namespace {

const TDateTime FirstDate = EncodeDate(1, 1, 1);
const TDateTime LastDate = EncodeDateTime(9999, 12, 31, 23, 59, 59, 999);

int threeWay(int a, int b)
{
    return a < b ? -1 : b < a ? 1 : 0;
}

// NaN sorts first, so that the order stays strict weak whatever a field holds.
int threeWay(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return threeWay(!std::isnan(a), !std::isnan(b));
    return a < b ? -1 : b < a ? 1 : 0;
}

template <typename Type>
std::shared_ptr<TQVTTreeCellType> makeType()
{
    return std::make_shared<Type>();
}

// A real from the file that is not finite or lies outside [low, high]: clamped (NaN gives
// fallback) with a log line.
double readReal(IQVTMedia& media, const std::string& section, const char* key, double low, double high, double fallback)
{
    double value = fallback;
    media.getRealProperty(section, key, fallback, value);
    if (value >= low && value <= high)
        return value;
    const double kept = std::isnan(value) ? fallback : std::clamp(value, low, high);
    addlog("Section \"" + section + "\": \"" + key + "\" out of range, " + RealToText(kept) + " used");
    return kept;
}

// "dd.mm.yyyy hh:mm", or "dd.mm.yyyy" for dates only.
std::string dateText(TDateTime date, bool noTime)
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    DecodeDate(date, year, month, day);
    DecodeTime(date, hour, minute, second, millisecond);
    char text[32];
    if (noTime)
        std::snprintf(text, sizeof text, "%02d.%02d.%04d", day, month, year);
    else
        std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d", day, month, year, hour, minute);
    return text;
}

TDateTime storedDate(TDateTime d)
{
    return std::isnan(d) ? 0 : std::clamp(d, FirstDate, LastDate);
}

// The grid the cell's row belongs to, or none.
TQVTTreeGrid* gridOf(const TQVTTreeCell& cell)
{
    for (TQVTGanttObject* obj = cell.getParent(); obj; obj = obj->getParent())
        if (auto* grid = dynamic_cast<TQVTTreeGrid*>(obj))
            return grid;
    return nullptr;
}

// The chart table beside the cell's grid, or none.
IQVTChartTable* tableOf(const TQVTTreeCell& cell)
{
    TQVTTreeGrid* grid = gridOf(cell);
    TQVTDocumentSetup* document = grid ? FindDocumentSetup(grid) : nullptr;
    return document ? document->GetTable() : nullptr;
}

// The index of the cell's row within the chart table, or -1.
int rowIndexOf(const TQVTTreeCell& cell)
{
    const TQVTTreeRow* row = cell.getRow();
    const IQVTChartTable* table = tableOf(cell);
    return row && table && row->FIndex >= 0 && row->FIndex < table->countRows() ? row->FIndex : -1;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Cell base

TQVTCell::TQVTCell() = default;

TQVTCell::~TQVTCell() = default;

void TQVTCell::SetTextArranger(std::unique_ptr<TQVTTextArranger> arranger)
{
    FTextArranger = std::move(arranger);
}

void TQVTCell::SetText(const std::string& text)
{
    FText = text;
}

// ---------------------------------------------------------------------------------------------
// Tree cell

void TQVTTreeCell::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", savedTypeID());
    factory.saveChild(name, "rowSettings", FRowSettings.get(), media);
    factory.saveChild(name, "colSettings", FColSettings.get(), media);
    factory.saveChild(name, "dataType", FDataType.get(), media);
    saveValue(name, media);
}

void TQVTTreeCell::saveValue(const std::string&, IQVTMedia&) {}

void TQVTTreeCell::loadValue(const std::string&, IQVTMedia&) {}

TQVTTreeCellEditorFactory TQVTTreeCell::EditorFactory;

bool TQVTTreeCell::isEditable() const
{
    return kind() != ckPlain && kind() != ckAuto && !(FDataType && FDataType->FReadOnly);
}

std::unique_ptr<TQVTObjectEditorIntf> TQVTTreeCell::DefaultEditor()
{
    if (isEditable() && EditorFactory)
        if (std::unique_ptr<TQVTObjectEditorIntf> editor = EditorFactory(*this))
            return editor;
    return std::make_unique<TQVTDummyEditor>();
}

int TQVTTreeCell::compare(const TQVTTreeCell& other) const
{
    if (const int byKind = threeWay(static_cast<int>(kind()), static_cast<int>(other.kind())))
        return byKind;
    return compareValue(other);
}

int TQVTTreeCell::compareValue(const TQVTTreeCell&) const
{
    return 0;
}

int TQVTTreeCell::fitHeight()
{
    if (!FTextArranger)
        return 0;
    const int width = FColSettings ? FColSettings->FWidth : 0;
    FTextArranger->wordWrapText(FText.empty() ? std::string("A") : FText, width, true);
    return FTextArranger->FFitHeight;
}

int TQVTTreeCell::getMaxWidth() const
{
    return FTextArranger ? FTextArranger->getTextWidth(FText) : 0;
}

TQVTTreeRow* TQVTTreeCell::getRow() const
{
    return dynamic_cast<TQVTTreeRow*>(getParent());
}

int TQVTTreeCell::GetColumnIndex() const
{
    const TQVTTreeRow* row = getRow();
    return row ? row->getCellIndex(this) : -1;
}

// ---------------------------------------------------------------------------------------------
// Kinds

void TQVTTreeTextValueCell::loadValue(const std::string& name, IQVTMedia& media)
{
    media.getStrProperty(name, "text", {}, FText);
}

void TQVTTreeTextValueCell::saveValue(const std::string& name, IQVTMedia& media)
{
    media.setStrProperty(name, "text", FText);
}

int TQVTTreeTextValueCell::compareValue(const TQVTTreeCell& other) const
{
    // char_traits<char> compares as unsigned char: UTF-8 bytes order as their code points.
    return threeWay(FText.compare(other.FText), 0);
}

TQVTTreeCellTypeClass TQVTTreeSimpleTextCell::DataTypeClass() const
{
    return makeType<TQVTTreeSimpleTextCellType>;
}

TQVTTreeCellTypeClass TQVTTreeMultilineTextCell::DataTypeClass() const
{
    return makeType<TQVTTreeMultilineTextCellType>;
}

TQVTTreeCellTypeClass TQVTTreeDateTimeCell::DataTypeClass() const
{
    return makeType<TQVTTreeDateTimeCellType>;
}

void TQVTTreeDateTimeCell::SetDate(TDateTime d)
{
    setValue(valueOf(d));
}

TQVTTreeCellValue TQVTTreeDateTimeCell::valueOf(TDateTime d) const
{
    const auto* type = dynamic_cast<const TQVTTreeDateTimeCellType*>(FDataType.get());
    const TDateTime date = storedDate(d);
    return {dateText(date, type && type->FNoTime), date};
}

void TQVTTreeDateTimeCell::setValue(const TQVTTreeCellValue& value)
{
    FDate = storedDate(value.number);
    SetText(value.text);
}

void TQVTTreeDateTimeCell::loadValue(const std::string& name, IQVTMedia& media)
{
    SetDate(readReal(media, name, "date", FirstDate, LastDate, 0));
}

void TQVTTreeDateTimeCell::saveValue(const std::string& name, IQVTMedia& media)
{
    media.setRealProperty(name, "date", FDate);
}

int TQVTTreeDateTimeCell::compareValue(const TQVTTreeCell& other) const
{
    const auto* same = dynamic_cast<const TQVTTreeDateTimeCell*>(&other);
    return same ? threeWay(FDate, same->FDate) : 0;
}

TQVTTreeCellTypeClass TQVTTreeSpinCell::DataTypeClass() const
{
    return makeType<TQVTTreeSpinCellType>;
}

void TQVTTreeSpinCell::SetNumber(int n)
{
    FNumber = n;
    SetText(std::to_string(n));
}

void TQVTTreeSpinCell::setValue(const TQVTTreeCellValue& value)
{
    constexpr double Lowest = std::numeric_limits<int>::min();
    constexpr double Highest = std::numeric_limits<int>::max();
    FNumber = std::isnan(value.number) ? 0 : static_cast<int>(std::clamp(std::round(value.number), Lowest, Highest));
    SetText(value.text);
}

void TQVTTreeSpinCell::loadValue(const std::string& name, IQVTMedia& media)
{
    int number = 0;
    media.getIntProperty(name, "number", 0, number);
    SetNumber(number);
}

void TQVTTreeSpinCell::saveValue(const std::string& name, IQVTMedia& media)
{
    media.setIntProperty(name, "number", FNumber);
}

int TQVTTreeSpinCell::compareValue(const TQVTTreeCell& other) const
{
    const auto* same = dynamic_cast<const TQVTTreeSpinCell*>(&other);
    return same ? threeWay(FNumber, same->FNumber) : 0;
}

TQVTTreeCellTypeClass TQVTTreeCurrencyCell::DataTypeClass() const
{
    return makeType<TQVTTreeCurrencyCellType>;
}

void TQVTTreeCurrencyCell::loadValue(const std::string& name, IQVTMedia& media)
{
    FValue = readReal(media, name, "value", -MaxValue, MaxValue, 0);
    media.getStrProperty(name, "text", {}, FText);
}

void TQVTTreeCurrencyCell::setValue(const TQVTTreeCellValue& value)
{
    FValue = std::isnan(value.number) ? 0 : std::clamp(value.number, -MaxValue, MaxValue);
    SetText(value.text);
}

void TQVTTreeCurrencyCell::saveValue(const std::string& name, IQVTMedia& media)
{
    media.setRealProperty(name, "value", FValue);
    media.setStrProperty(name, "text", FText);
}

int TQVTTreeCurrencyCell::compareValue(const TQVTTreeCell& other) const
{
    const auto* same = dynamic_cast<const TQVTTreeCurrencyCell*>(&other);
    return same ? threeWay(FValue, same->FValue) : 0;
}

TQVTTreeCellTypeClass TQVTTreeComboCell::DataTypeClass() const
{
    return makeType<TQVTTreeComboCellType>;
}

TQVTTreeCellTypeClass TQVTTreeImageComboCell::DataTypeClass() const
{
    return makeType<TQVTTreeImageComboCellType>;
}

TQVTTreeCellTypeClass TQVTTreeButtonEditCell::DataTypeClass() const
{
    return makeType<TQVTTreeButtonEditCellType>;
}

TQVTTreeCellTypeClass TQVTTreeAutoCell::DataTypeClass() const
{
    return makeType<TQVTTreeAutoCellNumber>;
}

std::string TQVTTreeAutoCell::calculateValue() const
{
    const auto* type = dynamic_cast<const TQVTTreeAutoCellType*>(FDataType.get());
    const TQVTTreeRow* row = getRow();
    return type && row ? type->calculateValue(*row) : std::string();
}

int TQVTTreeAutoCell::compareValue(const TQVTTreeCell& other) const
{
    const auto* type = dynamic_cast<const TQVTTreeAutoCellType*>(FDataType.get());
    const auto* otherType = dynamic_cast<const TQVTTreeAutoCellType*>(other.FDataType.get());
    if (!type || !otherType)
        return threeWay(type != nullptr, otherType != nullptr);
    if (const int byKind = threeWay(static_cast<int>(type->kind()), static_cast<int>(otherType->kind())))
        return byKind;
    return type->compareRows(getRow(), other.getRow());
}

// ---------------------------------------------------------------------------------------------
// Editing

TQVTCellEditOperation::TQVTCellEditOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTTreeCell> cell,
                                             TQVTTreeCellValue value)
    : TQVTOperation(dataSource),
      FCell(std::move(cell)),
      FAfter(std::move(value))
{
}

bool TQVTCellEditOperation::perform()
{
    if (FDone || !FCell || FCell->kind() == TQVTTreeCell::ckAuto)
        return false;
    if (FDataSource && TQVTDataSourceIntf::cancelledBy(FDataSource->OnBeforeCellEdit, FCell.get(), FAfter.text))
        return false;
    FBefore = FCell->getValue();
    const IQVTChartTable* table = tableOf(*FCell);
    const int index = rowIndexOf(*FCell);
    FRowHeight = table && index >= 0 ? table->getRowHeight(index) : -1;
    FCell->setValue(FAfter);
    FDone = true;
    changed();
    return true;
}

bool TQVTCellEditOperation::undo()
{
    if (!FDone)
        return false;
    FCell->setValue(FBefore);
    FDone = false;
    changed();
    return true;
}

void TQVTCellEditOperation::changed()
{
    // A new text may need another row height; numbering is what every tree change ends with.
    if (TQVTTreeGrid* grid = gridOf(*FCell))
        grid->updateNodes();
    // Undone, a row of automatic height is fitted to the old text, which need not give the
    // height it had (set by hand since it was last fitted): that height comes back.
    if (IQVTChartTable* table = tableOf(*FCell); table && !FDone && FRowHeight >= 0) {
        if (const int index = rowIndexOf(*FCell); index >= 0 && table->getRowHeight(index) != FRowHeight)
            table->setRowHeight(index, FRowHeight);
    }
    if (FDataSource)
        TQVTDataSourceIntf::tell(FDataSource->OnAfterCellEdit, FCell.get());
}

// ---------------------------------------------------------------------------------------------
// Loading

std::shared_ptr<TQVTGanttObject> TQVTTreeCellPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    auto cell = createCell(factory);
    cell->FRowSettings = loadChildAs<TQVTTreeRowSettings>("rowSettings", media, factory, cell.get());
    cell->FColSettings = loadChildAs<TQVTTreeColSettings>("colSettings", media, factory, cell.get());
    // The value may depend on the type (a date's text on its noTime).
    cell->FDataType = loadChildAs<TQVTTreeCellType>("dataType", media, factory, cell.get());
    cell->loadValue(name, media);
    return cell;
}

std::shared_ptr<TQVTTreeCell> TQVTTreeCellPersistence::createCell(TQVTEntityFactory& factory) const
{
    return makeLoaded<TQVTTreeCell>(factory);
}

template <typename Cell>
std::shared_ptr<TQVTTreeCell> TQVTTreeCellPersistenceFor<Cell>::createCell(TQVTEntityFactory& factory) const
{
    return makeLoaded<Cell>(factory);
}

template class TQVTTreeCellPersistenceFor<TQVTTreeSimpleTextCell>;
template class TQVTTreeCellPersistenceFor<TQVTTreeMultilineTextCell>;
template class TQVTTreeCellPersistenceFor<TQVTTreeDateTimeCell>;
template class TQVTTreeCellPersistenceFor<TQVTTreeSpinCell>;
template class TQVTTreeCellPersistenceFor<TQVTTreeCurrencyCell>;
template class TQVTTreeCellPersistenceFor<TQVTTreeComboCell>;
template class TQVTTreeCellPersistenceFor<TQVTTreeImageComboCell>;
template class TQVTTreeCellPersistenceFor<TQVTTreeButtonEditCell>;
template class TQVTTreeCellPersistenceFor<TQVTTreeAutoCell>;

} // namespace corvane
