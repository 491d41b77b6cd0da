#include "corvane/framework/chart/qvtSpecialBars.h"

#include "corvane/framework/chart/qvtChartShared_p.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtResources.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/objects/qvtLoadedObject_p.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/DiagnosticLog.h"
#include "corvane/platform/Graphics.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

TQVTDocumentCalendar* calendarOf(const TQVTGanttBar& bar)
{
    TQVTGanttDocument* document = bar.findDocument();
    return document ? document->getCalendar() : nullptr;
}

TQVTDataSourceIntf* dataSourceOf(const TQVTGanttBar& bar)
{
    TQVTGanttDocument* document = bar.findDocument();
    return document ? document->FDataSource : nullptr;
}

// Date arithmetic in the calendar's time mode; days without a calendar.
TDateTime addUnits(const TQVTDocumentCalendar* calendar, TDateTime date, int n)
{
    return calendar ? calendar->Add(date, n) : corvane::Add(date, n, tmDay);
}

TDateTime realAddUnits(const TQVTDocumentCalendar* calendar, TDateTime date, double x)
{
    return calendar ? calendar->RealAdd(date, x) : corvane::RealAdd(date, x, tmDay);
}

// The image and text bars' edge drag: any fraction of a unit, but never empty or reversed.
void dragEdge(TQVTGanttBar& bar, double change, bool right)
{
    const TQVTDocumentCalendar* calendar = calendarOf(bar);
    if (right) {
        const TDateTime end = realAddUnits(calendar, bar.FendDate, change);
        if (end > bar.FstartDate)
            bar.FendDate = end;
    } else {
        const TDateTime start = realAddUnits(calendar, bar.FstartDate, change);
        if (start < bar.FendDate)
            bar.FstartDate = start;
    }
}

// Dates of a file are kept within the years the calendar knows; NaN reads as 0.
TDateTime clampedDate(double value)
{
    static const TDateTime First = EncodeDate(1, 1, 1);
    static const TDateTime AfterLast = EncodeDate(9999, 12, 31) + 1;
    if (std::isnan(value))
        return 0;
    return std::clamp(value, First, AfterLast);
}

// Reads "start date" and "end date"; a span that is empty or reversed becomes one day, as a
// new bar's would.
void loadSpan(const std::string& name, IQVTMedia& media, TQVTGanttBar& bar)
{
    double start = 0;
    double end = 0;
    media.getRealProperty(name, "start date", 0, start);
    media.getRealProperty(name, "end date", 0, end);
    bar.FstartDate = clampedDate(start);
    bar.FendDate = clampedDate(end);
    if (!(bar.FendDate > bar.FstartDate)) {
        if (bar.FendDate != bar.FstartDate || bar.FstartDate != 0)
            addlog("Bar \"" + name + "\": the end date is not after the start date; the bar lasts one day");
        bar.FendDate = bar.FstartDate + 1;
    }
}

// The last row of the subtree of row in the task tree; row itself without a tree.
int groupEndRow(TQVTGanttTable& table, int row)
{
    const std::vector<int>& ends = table.getRowTreeShape().subtreeEnd;
    if (row < 0 || static_cast<std::size_t>(row) >= ends.size())
        return row;
    return std::clamp(ends[static_cast<std::size_t>(row)], row, table.countRows() - 1);
}

} // namespace

// Summary bar

std::unique_ptr<TQVTDrawer> TQVTSummaryBar::makeDrawer() const
{
    return std::make_unique<TQVTSummaryBarDrawer>(const_cast<TQVTSummaryBar*>(this));
}

TQVTSummaryBar::TQVTSummaryBar() : TQVTGanttBar(0, 0, 0)
{
}

TQVTOperationPtr TQVTSummaryBar::moveTo(TDateTime date, int)
{
    if (!findTable())
        return nullptr;
    TQVTDataSourceIntf* dataSource = dataSourceOf(*this);
    if (cancelledBy(dataSource, &TQVTDataSourceIntf::OnBeforeBarMove, this))
        return nullptr;
    return std::make_shared<TQVTSummaryBarMoveOperation>(
        dataSource, std::static_pointer_cast<TQVTSummaryBar>(shared_from_this()), date);
}

bool TQVTSummaryBar::overlap(TDateTime start, TDateTime end, int row, TQVTGanttBar* bar)
{
    const bool inItsRow = FRow == row;
    if (!bar || !flagsOf(dataSourceOf(*this)).CanCreateBarsOnSummaryRows)
        return inItsRow;
    if (FstartDate == 0 && FendDate == 0)
        return false;
    return TQVTGanttBar::overlap(start, end, row, bar);
}

bool TQVTSummaryBar::acceptConnections() const
{
    const TQVTGanttTable* table = findTable();
    return table && table->FSummaryBarConnectable;
}

void TQVTSummaryBar::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttBar::GetPublishedProperties(props);
    props.add("Color", [this] { return FColor; }, [this](TColor value) { FColor = value; });
    props.addReadOnly("EndRow", [this] { return FEndRow; });
    props.add("rdOnly", [this] { return FReadOnly; }, [this](bool value) { FReadOnly = value; });
}

void TQVTSummaryBar::UpdateRange()
{
    FstartDate = 0;
    FendDate = 0;
    TQVTGanttTable* table = findTable();
    const int row = getRow();
    FEndRow = table ? groupEndRow(*table, row) : row;
    if (!table)
        return;
    for (int r = row + 1; r <= FEndRow; ++r) {
        const TQVTGanttRow* each = table->getRow(r);
        if (!each)
            continue;
        const TDateTime s = each->FindStartDate();
        if (FstartDate == 0 || (s > 0 && s < FstartDate))
            FstartDate = s;
        const TDateTime e = each->FindEndDate();
        if (FendDate == 0 || (e > 0 && e > FendDate))
            FendDate = e;
    }
}

std::vector<TQVTGanttBar*> TQVTSummaryBar::getChildList()
{
    const TQVTGanttTable* table = findTable();
    return table ? table->allBarsIn(GetStartRow(), FEndRow) : std::vector<TQVTGanttBar*>{};
}

void TQVTSummaryBar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setBoolProperty(name, "read only", FReadOnly);
    // Written although older files lack it: the drawer paints the halo, so its labels must survive a save.
    factory.saveChild(name, "text halo", FTextHalo.get(), media);
}

std::shared_ptr<TQVTGanttBar> TQVTSummaryBarPersistence::doLoadBar(const std::string& name, IQVTMedia& media,
                                                                   TQVTEntityFactory& factory)
{
    auto bar = makeLoaded<TQVTSummaryBar>(factory);
    media.getBoolProperty(name, "read only", false, bar->FReadOnly);
    return bar;
}

TQVTSummaryBarMoveOperation::TQVTSummaryBarMoveOperation(TQVTDataSourceIntf* dataSource,
                                                         const std::shared_ptr<TQVTSummaryBar>& bar,
                                                         TDateTime newStartDate)
    : TableMultipleOperations(dataSource, bar ? bar->findTable() : nullptr),
      Target(bar)
{
    TQVTGanttTable* table = bar ? bar->findTable() : nullptr;
    if (!table) {
        FRefused = true;
        return;
    }
    const TQVTDocumentCalendar* calendar = calendarOf(*bar);
    Units = calendar ? calendar->Diff(newStartDate, bar->getStartDate())
                     : corvane::Diff(newStartDate, bar->getStartDate(), tmDay);
    if (Units == 0) {
        FRefused = true;
        Disable();
        return;
    }
    const int first = bar->getRow() + 1;
    const int last = groupEndRow(*table, bar->getRow());
    for (TQVTGanttBar* child : table->allBarsIn(first, last)) {
        // Nested summary bars follow their rows' bars, which this group moves already; moving
        // them as well would move those bars twice.
        if (!child->isSummarizable() || child->followsRowsBelow())
            continue;
        addOperation(child->moveTo(addUnits(calendar, child->getStartDate(), Units), child->getRow()));
    }
}

bool TQVTSummaryBarMoveOperation::perform()
{
    if (!TableMultipleOperations::perform())
        return false;
    tellAfter(FDataSource, &TQVTDataSourceIntf::OnAfterBarMove, Target.get());
    return true;
}

bool TQVTSummaryBarMoveOperation::undo()
{
    if (!TableMultipleOperations::undo())
        return false;
    tellAfter(FDataSource, &TQVTDataSourceIntf::OnAfterBarMove, Target.get());
    return true;
}

namespace {

// Gives every row below a group's row to the group's parent node, right after the group's
// node, keeping their order; rows that had children lose their summary bars. Row indexes stay
// (the pre-order of the rows does not change). Undo puts back the exact tree, flags and bars.
class GroupDissolveStep : public TQVTOperation {
public:
    GroupDissolveStep(TQVTDataSourceIntf* dataSource, TQVTGanttTable& table, int row)
        : TQVTOperation(dataSource),
          FTable(std::static_pointer_cast<TQVTGanttTable>(table.shared_from_this())),
          FRowIndex(row)
    {
    }

    bool perform() override
    {
        const auto table = FTable.lock();
        TQVTGanttDocument* document = table ? table->findDocument() : nullptr;
        TQVTTreeNode* root = document && document->FTree ? document->FTree->FRootNode.get() : nullptr;
        if (!root)
            return false;
        std::shared_ptr<TQVTTreeNode> parent;
        std::shared_ptr<TQVTTreeNode> node = findNode(*root, *table, parent);
        if (!node)
            return false;
        const auto deferral = table->deferUpdates();

        // The subtree in pre-order, each node with its children as they are.
        std::vector<std::shared_ptr<TQVTTreeNode>> subtree;
        FSaved.clear();
        FSaved.emplace_back(parent, parent->Fchildren);
        std::vector<std::shared_ptr<TQVTTreeNode>> stack{node};
        const std::size_t maxNodes = 2 * (table->FRows.size() + 1);
        while (!stack.empty() && subtree.size() < maxNodes) {
            auto each = stack.back();
            stack.pop_back();
            subtree.push_back(each);
            FSaved.emplace_back(each, each->Fchildren);
            for (auto it = each->Fchildren.rbegin(); it != each->Fchildren.rend(); ++it)
                if (*it)
                    stack.push_back(*it);
        }

        // Rows whose nodes lose their children lose their summary bars.
        if (!FSummarySteps) {
            FSummarySteps = std::make_shared<TableMultipleOperations>(FDataSource, table.get());
            int row = FRowIndex;
            for (const auto& each : subtree) {
                const bool hasRow = each->FRow != nullptr;
                if (hasRow && !each->Fchildren.empty())
                    if (TQVTGanttRow* chartRow = table->getRow(row))
                        for (const auto& bar : chartRow->FBarList)
                            if (bar->followsRowsBelow())
                                FSummarySteps->addOperation(std::make_shared<TQVTBarRemoveOperation>(FDataSource, bar));
                row += hasRow ? 1 : 0;
            }
        }
        if (!FSummarySteps->perform()) {
            FSaved.clear();
            return false;
        }

        std::vector<std::shared_ptr<TQVTTreeNode>> children;
        for (const auto& each : parent->Fchildren) {
            children.push_back(each);
            if (each == node)
                children.insert(children.end(), subtree.begin() + 1, subtree.end());
        }
        for (const auto& each : subtree)
            each->Fchildren.clear();
        parent->Fchildren = std::move(children);
        for (auto it = subtree.begin() + 1; it != subtree.end(); ++it)
            (*it)->setParent(parent.get());

        // The former members are now siblings of the group's row and are shown like it.
        FCollapsed.clear();
        const TQVTGanttRow* groupRow = table->getRow(FRowIndex);
        const bool collapsed = groupRow && groupRow->isCollapsed();
        for (int r = FRowIndex + 1; r < FRowIndex + static_cast<int>(subtree.size()); ++r)
            if (TQVTGanttRow* each = table->getRow(r)) {
                FCollapsed.push_back(each->isCollapsed());
                each->setCollapsed(collapsed);
            }
        table->updateAfterChange();
        return true;
    }

    bool undo() override
    {
        const auto table = FTable.lock();
        if (!table || FSaved.empty() || !FSummarySteps)
            return false;
        const auto deferral = table->deferUpdates();
        // The bars first: when one cannot come back, the tree is still as perform left it.
        if (!FSummarySteps->undo())
            return false;
        for (const auto& [node, children] : FSaved)
            node->Fchildren = children;
        for (const auto& [node, children] : FSaved)
            for (const auto& child : children)
                if (child)
                    child->setParent(node.get());
        for (std::size_t i = 0; i < FCollapsed.size(); ++i)
            if (TQVTGanttRow* each = table->getRow(FRowIndex + 1 + static_cast<int>(i)))
                each->setCollapsed(FCollapsed[i]);
        FSaved.clear();
        table->updateAfterChange();
        return true;
    }

private:
    // The node of row FRowIndex (pre-order over the nodes with rows) and its parent.
    std::shared_ptr<TQVTTreeNode> findNode(TQVTTreeNode& root, const TQVTGanttTable& table,
                                           std::shared_ptr<TQVTTreeNode>& parent) const
    {
        struct Frame {
            TQVTTreeNode* node;
            std::size_t next;
        };
        std::vector<Frame> stack{{&root, 0}};
        const std::size_t maxNodes = 2 * (table.FRows.size() + 1);
        std::size_t entered = 0;
        int row = 0;
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.next >= top.node->Fchildren.size() || entered >= maxNodes) {
                stack.pop_back();
                continue;
            }
            TQVTTreeNode* owner = top.node;
            const std::shared_ptr<TQVTTreeNode>& child = owner->Fchildren[top.next++];
            if (!child)
                continue;
            ++entered;
            if (child->FRow && row++ == FRowIndex) {
                parent = std::static_pointer_cast<TQVTTreeNode>(owner->shared_from_this());
                return child;
            }
            stack.push_back({child.get(), 0});
        }
        return nullptr;
    }

    std::weak_ptr<TQVTGanttTable> FTable;
    int FRowIndex;
    std::vector<std::pair<std::shared_ptr<TQVTTreeNode>, std::vector<std::shared_ptr<TQVTTreeNode>>>> FSaved;
    std::vector<bool> FCollapsed;
    std::shared_ptr<TableMultipleOperations> FSummarySteps;
};

} // namespace

TQVTSummaryBarDeleteOperation::TQVTSummaryBarDeleteOperation(TQVTDataSourceIntf* dataSource,
                                                             const std::shared_ptr<TQVTSummaryBar>& bar)
    : TableMultipleOperations(dataSource, bar ? bar->findTable() : nullptr),
      Target(bar)
{
    TQVTGanttTable* table = bar ? bar->findTable() : nullptr;
    if (!table) {
        FRefused = true;
        return;
    }
    const int row = bar->getRow();
    for (int r = groupEndRow(*table, row); r > row; --r)
        addOperation(std::make_shared<TQVTGanttRowClearOperation>(dataSource, *table, r));
    addOperation(std::make_shared<GroupDissolveStep>(dataSource, *table, row));
}

// Image bar settings

void TQVTImageBarSettings::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttObject::GetPublishedProperties(props);
    props.add("borderColor", [this] { return borderColor; }, [this](TColor value) { borderColor = value; });
    props.add("color", [this] { return color; }, [this](TColor value) { color = value; });
    props.add("borderThickness", [this] { return borderThickness; },
              [this](int value) { borderThickness = std::clamp(value, 0, MaxSize); });
    props.add("height", [this] { return height; },
              [this](double value) { height = std::isnan(value) ? height : std::clamp(value, 0.0, double{MaxSize}); });
    props.add("imagefile", [this] { return imagefile; }, [this](const std::string& value) { imagefile = value; });
}

void TQVTImageBarSettings::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
    media.setIntProperty(name, "border thickness", borderThickness);
    media.setRealProperty(name, "bar height", height);
    media.setColorProperty(name, "border color", borderColor);
    media.setColorProperty(name, "bar color", color);
}

std::shared_ptr<TQVTGanttObject> TQVTImageBarSettingsPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                         TQVTEntityFactory&)
{
    auto settings = std::make_shared<TQVTImageBarSettings>();
    int thickness = 0;
    media.getIntProperty(name, "border thickness", 0, thickness);
    double height = 0;
    media.getRealProperty(name, "bar height", 0, height);
    if (thickness < 0 || thickness > TQVTImageBarSettings::MaxSize || !(height >= 0) ||
        height > TQVTImageBarSettings::MaxSize)
        addlog("Image bar settings \"" + name + "\": frame thickness or height out of range, clamped");
    settings->borderThickness = std::clamp(thickness, 0, TQVTImageBarSettings::MaxSize);
    settings->height = std::isnan(height) ? 0 : std::clamp(height, 0.0, double{TQVTImageBarSettings::MaxSize});
    media.getColorProperty(name, "border color", 0, settings->borderColor);
    media.getColorProperty(name, "bar color", 0, settings->color);
    return settings;
}

// Image and milestone bars

std::unique_ptr<TQVTDrawer> TQVTImageBar::makeDrawer() const
{
    return std::make_unique<TQVTImageBarDrawer>(const_cast<TQVTImageBar*>(this));
}

TQVTImageBar::TQVTImageBar()
{
}

TQVTImageBar::TQVTImageBar(TDateTime start, TDateTime end, int row)
    : TQVTGanttBar(start, end, row),
      FPictureResource(std::make_shared<TQVTPictureResource>("blank image")),
      FSettings(std::make_shared<TQVTImageBarSettings>())
{
    FPictureResource->setParent(this);
    FSettings->setParent(this);
}

bool TQVTImageBar::Resize(double change, int, bool right)
{
    if (!FAutoStretch)
        return false;
    dragEdge(*this, change, right);
    return true;
}

TQVTImageBarSettings* TQVTImageBar::getSettings() const
{
    if (FSettings)
        return FSettings.get();
    TQVTGanttDocument* document = findDocument();
    return document ? dynamic_cast<TQVTImageBarSettings*>(document->getImageBarSettings()) : nullptr;
}

TGraphic* TQVTImageBar::getGraphic() const
{
    return FPictureResource ? &FPictureResource->getGraphic() : nullptr;
}

void TQVTImageBar::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttBar::GetPublishedProperties(props);
    props.addObject("PictureResource", [this]() -> TQVTGanttObject* { return FPictureResource.get(); });
    props.addObject("settings", [this]() -> TQVTGanttObject* { return FSettings.get(); });
    props.add("AutoStretch", [this] { return FAutoStretch; }, [this](bool value) { SetAutoStretch(value); });
    props.add("VerticalRowOffset", [this] { return FVerticalRowOffset; },
              [this](int value) { FVerticalRowOffset = value; });
}

void TQVTImageBar::SetAutoStretch(bool v)
{
    FAutoStretch = v;
    const TQVTGanttTable* table = findTable();
    const TGraphic* graphic = getGraphic();
    if (!v || !table || !graphic)
        return;
    const TQVTImageBarSettings* settings = getSettings();
    const long long width = graphic->Width() + 2LL * (settings ? settings->borderThickness : 0);
    const long long units = width / table->GetColumnWidth() + 1;
    FendDate = addUnits(calendarOf(*this), FstartDate, static_cast<int>(std::min<long long>(units, 1'000'000)));
}

void TQVTImageBar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    saveImageBar(name, TypeID, media, factory);
}

void TQVTImageBar::saveImageBar(const std::string& name, const char* typeID, IQVTMedia& media,
                                TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", typeID);
    factory.saveChild(name, "resource", FPictureResource.get(), media);
    const TGraphic* graphic = getGraphic();
    media.setBoolProperty(name, "transparent", graphic ? graphic->Transparent() : true);
    factory.saveChild(name, "settings", FSettings.get(), media);
    factory.saveChild(name, "text halo", FTextHalo.get(), media);
    media.setRealProperty(name, "start date", FstartDate);
    media.setRealProperty(name, "end date", FendDate);
    media.setBoolProperty(name, "auto stretch", FAutoStretch);
}

std::shared_ptr<TQVTGanttBar> TQVTImageBarPersistence::doLoadBar(const std::string& name, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    std::shared_ptr<TQVTImageBar> bar = createBar(factory);
    bar->FPictureResource = loadChildAs<TQVTPictureResource>("resource", media, factory, bar.get());
    bool transparent = true;
    media.getBoolProperty(name, "transparent", true, transparent);
    if (TGraphic* graphic = bar->getGraphic())
        graphic->SetTransparent(transparent);
    bar->FSettings = loadChildAs<TQVTImageBarSettings>("settings", media, factory, bar.get());
    loadSpan(name, media, *bar);
    media.getBoolProperty(name, "auto stretch", false, bar->FAutoStretch);
    return bar;
}

std::shared_ptr<TQVTImageBar> TQVTImageBarPersistence::createBar(TQVTEntityFactory& factory) const
{
    return makeLoaded<TQVTImageBar>(factory);
}

std::unique_ptr<TQVTDrawer> TQVTMilestoneBar::makeDrawer() const
{
    return std::make_unique<TQVTMilestoneBarDrawer>(const_cast<TQVTMilestoneBar*>(this));
}

TQVTMilestoneBar::TQVTMilestoneBar()
{
}

TQVTMilestoneBar::TQVTMilestoneBar(TDateTime start, TDateTime end, int row) : TQVTImageBar(start, end, row)
{
}

void TQVTMilestoneBar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    saveImageBar(name, TypeID, media, factory);
}

std::shared_ptr<TQVTImageBar> TQVTMilestoneBarPersistence::createBar(TQVTEntityFactory& factory) const
{
    return makeLoaded<TQVTMilestoneBar>(factory);
}

// Text bar

std::function<std::unique_ptr<TQVTTextBarMemo>()> TQVTTextBar::MemoFactory;

std::unique_ptr<TQVTDrawer> TQVTTextBar::makeDrawer() const
{
    return std::make_unique<TQVTTextBarDrawer>(const_cast<TQVTTextBar*>(this));
}

TQVTTextBar::TQVTTextBar()
{
}

TQVTTextBar::TQVTTextBar(TDateTime start, TDateTime end, int row) : TQVTGanttBar(start, end, row)
{
}

TQVTTextBar::~TQVTTextBar() = default;

bool TQVTTextBar::Resize(double change, int rowChange, bool right)
{
    dragEdge(*this, change, right);
    setHeight(
        static_cast<int>(std::clamp<long long>(static_cast<long long>(FHeight) + rowChange, MinHeight, MaxHeight)));
    return true;
}

BarTimes TQVTTextBar::getTimes() const
{
    BarTimes times = TQVTGanttBar::getTimes();
    times.height = FHeight;
    return times;
}

void TQVTTextBar::setTimes(const BarTimes& times)
{
    TQVTGanttBar::setTimes(times);
    setHeight(times.height);
}

std::unique_ptr<TQVTObjectEditorIntf> TQVTTextBar::DefaultEditor()
{
    return std::make_unique<TQVTTextBarEditor>();
}

IQVTTextSettings* TQVTTextBar::getSettings() const
{
    if (FSettings)
        return FSettings.get();
    TQVTGanttDocument* document = findDocument();
    return document ? dynamic_cast<IQVTTextSettings*>(document->getTextBarSettings()) : nullptr;
}

void TQVTTextBar::GetPublishedProperties(TQVTPublishedProperties& props)
{
    TQVTGanttBar::GetPublishedProperties(props);
    props.add("Text", [this] { return FText; }, [this](const std::string& value) { FText = value; });
    props.addObject("settings", [this]() -> TQVTGanttObject* { return FSettings.get(); });
    props.add("height", [this] { return FHeight; }, [this](int value) { setHeight(value); });
    props.add("VerticalRowOffset", [this] { return FVerticalRowOffset; },
              [this](int value) { FVerticalRowOffset = value; });
}

void TQVTTextBar::setHeight(int h)
{
    FHeight = std::clamp(h, MinHeight, MaxHeight);
}

TQVTTextBarMemo& TQVTTextBar::getMemo()
{
    if (!FMemo) {
        FMemo = MemoFactory ? MemoFactory() : nullptr;
        if (!FMemo)
            FMemo = std::make_unique<TQVTTextBarMemo>();
        FMemo->setVisible(false);
    }
    return *FMemo;
}

void TQVTTextBar::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    TQVTGanttObject* settings = FSettings.get();
    if (!settings) {
        if (TQVTGanttDocument* document = findDocument())
            settings = document->getTextBarSettings();
    }
    factory.saveChild(name, "settings", settings, media);
    factory.saveChild(name, "text halo", FTextHalo.get(), media);
    media.setStrProperty(name, "text", FText);
    media.setRealProperty(name, "start date", FstartDate);
    media.setRealProperty(name, "end date", FendDate);
    media.setIntProperty(name, "height", FHeight);
}

std::shared_ptr<TQVTGanttBar> TQVTTextBarPersistence::doLoadBar(const std::string& name, IQVTMedia& media,
                                                                TQVTEntityFactory& factory)
{
    auto bar = makeLoaded<TQVTTextBar>(factory);
    bar->FSettings = loadChildAs<IQVTTextSettings>("settings", media, factory, bar.get());
    media.getStrProperty(name, "text", "", bar->FText);
    loadSpan(name, media, *bar);
    int height = 50;
    media.getIntProperty(name, "height", 50, height);
    if (height < TQVTTextBar::MinHeight || height > TQVTTextBar::MaxHeight)
        addlog("Text bar \"" + name + "\": height " + std::to_string(height) + " out of range, clamped");
    bar->setHeight(height);
    return bar;
}

TQVTTextBarEditOperation::TQVTTextBarEditOperation(TQVTDataSourceIntf* dataSource, std::shared_ptr<TQVTTextBar> bar)
    : TQVTOperation(dataSource),
      TextBar(std::move(bar)),
      OriginalText(TextBar ? TextBar->FText : std::string{})
{
}

void TQVTTextBarEditOperation::Activate()
{
    if (!TextBar)
        return;
    ChangedText = TextBar->FText;
    FActivated = true;
    undo();
}

bool TQVTTextBarEditOperation::perform()
{
    if (!FActivated)
        return false;
    TextBar->FText = ChangedText;
    return true;
}

bool TQVTTextBarEditOperation::undo()
{
    if (!FActivated)
        return false;
    TextBar->FText = OriginalText;
    return true;
}

TQVTTextBarEditor::~TQVTTextBarEditor()
{
    unhook();
}

std::shared_ptr<TQVTOperation> TQVTTextBarEditor::edit(TQVTGanttObject* obj)
{
    auto* bar = dynamic_cast<TQVTTextBar*>(obj);
    if (!bar)
        return nullptr;
    unhook();
    TextBar = std::static_pointer_cast<TQVTTextBar>(bar->shared_from_this());
    TQVTTextBarMemo& memo = bar->getMemo();
    memo.setController(FController);
    memo.OnKeyPress = [this](int& key) { ControlKeyPress(key); };
    memo.OnExit = [this] { ControlExit(); };
    memo.setText(bar->FText);
    if (IQVTTextSettings* settings = bar->getSettings()) {
        if (const TFont* font = settings->GetFont())
            memo.setFont(*font);
        memo.setColor(settings->GetColor());
    }
    if (auto* drawer = dynamic_cast<TQVTGanttBarDrawer*>(bar->getDrawer(vtGanttGraph)))
        memo.setBounds(drawer->lastRect);
    TQVTGanttDocument* document = bar->findDocument();
    FEditObjectOperation =
        std::make_shared<TQVTTextBarEditOperation>(document ? document->FDataSource : nullptr, TextBar);
    memo.setVisible(true);
    memo.setFocus();
    memo.caretToEnd();
    return nullptr;
}

std::shared_ptr<TQVTOperation> TQVTTextBarEditor::FinishEditing()
{
    if (!TextBar || !FEditObjectOperation)
        return nullptr;
    TQVTTextBarMemo& memo = TextBar->getMemo();
    memo.setVisible(false);
    TextBar->FText = memo.getText();
    std::shared_ptr<TQVTTextBarEditOperation> op = std::move(FEditObjectOperation);
    op->Activate();
    unhook();
    TextBar.reset();
    return op;
}

void TQVTTextBarEditor::ControlKeyPress(int& key)
{
    constexpr int Enter = 13;
    constexpr int Escape = 27;
    if (key != Enter && key != Escape)
        return;
    key = 0;
    stopEdit();
}

void TQVTTextBarEditor::ControlExit()
{
    if (TextBar && TextBar->getMemo().isVisible())
        stopEdit();
}

void TQVTTextBarEditor::stopEdit()
{
    // Either call may free this editor.
    if (OnStopEditing)
        OnStopEditing();
    else if (FController)
        FController->Notify(stopEditing, 0, 0);
}

void TQVTTextBarEditor::unhook()
{
    // The control outlives the edit; it must not call an editor that is gone.
    if (TextBar && TextBar->FMemo) {
        TextBar->FMemo->OnKeyPress = nullptr;
        TextBar->FMemo->OnExit = nullptr;
    }
}

} // namespace corvane
