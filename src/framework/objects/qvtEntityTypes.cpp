#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtLegend.h"
#include "corvane/framework/chart/qvtResources.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/pert/qvtPertBar.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeResizePane.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/framework/time/qvtTimeScale.h"

namespace corvane {

namespace {

template <typename T>
std::unique_ptr<TQVTPersistence> create()
{
    return std::make_unique<T>();
}

} // namespace

const std::vector<TQVTEntityType>& QVTEntityTypes()
{
    // Stored documents rely on these exact spellings, irregular ones included.
    static const std::vector<TQVTEntityType> types = {
        {"Document", create<TQVTDocumentPersistence>},
        {"Gantt Table", create<TQVTGanttTablePersistence>},
        {"Document Calendar", create<TQVTDocumentCalendarPersistence>},
        {"Task Bar Settings", create<TQVTTaskBarSettingsPersistence>},
        {"Task Bar", create<TQVTTaskBarPersistence>},
        {"Date Category", create<TQVTDateCategoryPersistence>},
        {"Fixed Date Exception", create<TQVTFixedDateExceptionPersistence>},
        {"Recurring Date Exception", create<TQVTRecurringDateExceptionPersistence>},
        {"Predefined Date Category", create<TQVTPredefinedDateCategoryPersistence>},
        {"Bar Connection", create<TQVTBarConnectionPersistence>},
        {"Picture Resource", create<TQVTPictureResourcePersistence>},
        {"Image Bar", create<TQVTImageBarPersistence>},
        {"Milestone Bar", create<TQVTMilestoneBarPersistence>},
        {"Image Bar Settings", create<TQVTImageBarSettingsPersistence>},
        {"Summary Bar", create<TQVTSummaryBarPersistence>},
        {"Text Bar", create<TQVTTextBarPersistence>},
        {"Tree Grid", create<TQVTTreeGridPersistence>},
        {"Tree Header", create<TQVTTreeHeaderPersistence>},
        {"Tree Header Cell", create<TQVTTreeHeaderCellPersistence>},
        {"Tree Cell", create<TQVTTreeCellPersistence>},
        {"Tree Node", create<TQVTTreeNodePersistence>},
        {"Tree Row", create<TQVTTreeRowPersistence>},
        {"Text Settings", create<TQVTTextSettingsPersistence>},
        {"Tree Row Settings", create<TQVTTreeRowSettingsPersistence>},
        {"Tree Column Settings", create<TQVTTreeColSettingsPersistence>},
        {"Tree Simple Text Cell", create<TQVTTreeSimpleTextCellPersistence>},
        {"Tree Multiline Text Cell", create<TQVTTreeMultilineTextCellPersistence>},
        {"Tree Date Time Cell", create<TQVTTreeDateTimeCellPersistence>},
        {"Tree Spin Cell", create<TQVTTreeSpinCellPersistence>},
        {"Tree Currency Cell", create<TQVTTreeCurrencyCellPersistence>},
        {"Tree Combo Cell", create<TQVTTreeComboCellPersistence>},
        {"Vertical resize pane", create<TQVTTreeRowsResizePanePersistence>},
        {"Simple Text Type", create<TQVTTreeSimpleTextCellTypePersistence>},
        {"Multiline Text Type", create<TQVTTreeMultilineTextCellTypePersistence>},
        {"Date Time Type", create<TQVTTreeDateTimeCellTypePersistence>},
        {"Spin Type", create<TQVTTreeSpinCellTypePersistence>},
        {"Currency Type", create<TQVTTreeCurrencyCellTypePersistence>},
        {"Combo Type", create<TQVTTreeComboCellTypePersistence>},
        {"Image Combo Type", create<TQVTTreeImageComboCellTypePersistence>},
        {"Tree Image Combo Cell", create<TQVTTreeImageComboCellPersistence>},
        {"Tree Auto Cell", create<TQVTTreeAutoCellPersistence>},
        {"Tree AutoCellType.StartDate", create<TQVTTreeAutoCellStartDatePersistence>},
        {"Gantt Row", create<TQVTGanttRowPersistence>},
        {"Connection Settings", create<TQVTConnectionSettingsPersistence>},
        {"Tree AutoCellType.Number", create<TQVTTreeAutoCellNumberPersistence>},
        {"progress bar", create<TQVTProgressBarPersistence>},
        {"Progress Bar Settings", create<TQVTProgressBarSettingsPersistence>},
        {"Pert Bar", create<TQVTPertBarPersistence>},
        {"Pert Bar Settings", create<TQVTPertBarSettingsPersistence>},
        {"Button Edit Type", create<TQVTTreeButtonEditCellTypePersistence>},
        {"Tree Button Edit Cell", create<TQVTTreeButtonEditCellPersistence>},
        {"AutoCellType.TaskName", create<TQVTTreeAutoCellTaskNameTypePersistence>},
        {"textual halo", create<TQVTTextHaloPersistence>},
        {"Pert Bar Section", create<TQVTPertBarSectionPersistence>},
        {"Tree AutoCellType.EndDate", create<TQVTTreeAutoCellEndDatePersistence>},
        {"Visual Goodie", create<TQVTVisualGoodiePersistence>},
        {"Time Scale", create<TQVTTimeScalePersistence>},
        {"Legend Row", create<TqvtLegendRowPersistence>},
        {"Legend Cell", create<TQVTLegendCellPersistence>},
        {"Custom Legend Border", create<TQVTLegendBorderPersistence>},
        {"Legend", create<TQVTLegendPersistence>},
        {"Textual Halo Settings", create<TQVTTextHaloSettingsPersistence>},
    };
    return types;
}

} // namespace corvane
