#include "corvane/framework/tasktable/qvtTreeCells.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/rendering/qvtTextArranger.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/DiagnosticLog.h"
#include "corvane/platform/RealText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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
    FDate = std::isnan(d) ? 0 : std::clamp(d, FirstDate, LastDate);
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    DecodeDate(FDate, year, month, day);
    DecodeTime(FDate, hour, minute, second, millisecond);
    const auto* type = dynamic_cast<const TQVTTreeDateTimeCellType*>(FDataType.get());
    char text[32];
    if (type && type->FNoTime)
        std::snprintf(text, sizeof text, "%02d.%02d.%04d", day, month, year);
    else
        std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d", day, month, year, hour, minute);
    SetText(text);
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
// Loading

std::shared_ptr<TQVTGanttObject> TQVTTreeCellPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    auto cell = createCell();
    cell->FRowSettings = loadChildAs<TQVTTreeRowSettings>("rowSettings", media, factory, cell.get());
    cell->FColSettings = loadChildAs<TQVTTreeColSettings>("colSettings", media, factory, cell.get());
    // The value may depend on the type (a date's text on its noTime).
    cell->FDataType = loadChildAs<TQVTTreeCellType>("dataType", media, factory, cell.get());
    cell->loadValue(name, media);
    return cell;
}

std::shared_ptr<TQVTTreeCell> TQVTTreeCellPersistence::createCell() const
{
    return std::make_shared<TQVTTreeCell>();
}

} // namespace corvane
