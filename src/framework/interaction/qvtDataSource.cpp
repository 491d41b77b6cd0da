#include "corvane/framework/interaction/qvtDataSource.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtConnectionOperations.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtRowOperations.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/pert/qvtPertConnections.h"
#include "corvane/framework/tasktable/qvtColumnOperations.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/localization/qvtLocalization.h"
#include "corvane/platform/Dialogs.h"
#include "corvane/platform/Graphics.h"

namespace corvane {

TQVTDataSource::TQVTDataSource(TComponent* owner) : TComponent(owner)
{
    CreateDefaultRessources_GER();
    setStorage("");
}

TQVTDataSource::~TQVTDataSource()
{
    // Operations hold parts of the document; they go first.
    FUndoRedoStack.clear();
}

TQVTGanttTable* TQVTDataSource::GetTable() const
{
    return FRoot->GetTable();
}

TQVTTreeGrid* TQVTDataSource::GetTree() const
{
    return FRoot->GetTree();
}

TQVTDocumentCalendar* TQVTDataSource::GetCalendar() const
{
    return FRoot->getCalendar();
}

TQVTLegend* TQVTDataSource::GetLegend() const
{
    return FRoot->GetLegend();
}

std::shared_ptr<TQVTGanttDocument> TQVTDataSource::loadDocument(IQVTMedia& store)
{
    const auto root = factory.loadObject("root", store, nullptr);
    if (!root)
        return nullptr; // the loader has said why
    auto document = std::dynamic_pointer_cast<TQVTGanttDocument>(root);
    if (!document || !document->Ftable || !document->FTree) {
        ShowMessage("Error loading root: it is no document with a chart table and a task table");
        return nullptr;
    }
    // Tree row i and chart row i are one task; without that pairing every edit would go astray.
    const int treeRows = document->FTree->rowsCount();
    const int chartRows = document->Ftable->countRows();
    if (treeRows != chartRows) {
        ShowMessage("Error loading root: the task table has " + std::to_string(treeRows) +
                    " rows and the chart table " + std::to_string(chartRows));
        return nullptr;
    }
    return document;
}

void TQVTDataSource::setStorage(const std::string& value)
{
    storageName = value;
    std::shared_ptr<TQVTGanttDocument> document;
    try {
        media = TQVTMediaFactory::CreateMedia(value);
        factory.Flush();
        document = loadDocument(*media);
    } catch (const EFileError& error) {
        ShowMessage(error.what());
    }
    if (!document) {
        // The built-in document always loads; a failure there is no reason to try again.
        if (!value.empty())
            setStorage("");
        else
            FUndoRedoStack.clear();
        return;
    }
    document->FDataSource = this;
    FRoot = std::move(document);
    // Emptied once the new document is in place, so that those told see the new one.
    FUndoRedoStack.clear();
}

void TQVTDataSource::SaveToMedia(const std::string& storage)
{
    const IQVTMediaPtr target = TQVTMediaFactory::CreateMedia(storage);
    TQVTEntityFactory saver;
    saver.saveObject("root", *target, FRoot.get());
    target->flush();
}

bool TQVTDataSource::BarAdd(const std::shared_ptr<TQVTGanttBar>& bar, int row)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTBarInsertOperation>(this, *GetTable(), bar, row));
}

bool TQVTDataSource::BarDelete(const std::shared_ptr<TQVTGanttBar>& bar)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTBarDeleteOperation>(this, bar));
}

bool TQVTDataSource::BarMove(const std::shared_ptr<TQVTGanttBar>& bar, TDateTime newStart, int newRow)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTBarMoveOperation>(this, bar, newStart, newRow));
}

bool TQVTDataSource::BarResize(const std::shared_ptr<TQVTGanttBar>& bar, int changeX, int changeY, bool right)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTBarResizeOperation>(this, bar, changeX, changeY, right));
}

bool TQVTDataSource::BarAssignTime(const std::shared_ptr<TQVTGanttBar>& bar, TDateTime start, TDateTime end)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTBarAssignTimeOperation>(this, bar, start, end));
}

bool TQVTDataSource::PertBarAdd(int x, int y, int row)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTPertBarInsertOperation>(this, *GetTable(), x, y, row));
}

bool TQVTDataSource::PertBarDelete(const std::shared_ptr<TQVTPertBar>& pertBar)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTPertBarDeleteOperation>(this, pertBar));
}

bool TQVTDataSource::PertConnectionAdd(const std::shared_ptr<TQVTBarConnection>& connection)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTPertConnectionAddOperation>(this, connection));
}

bool TQVTDataSource::PertConnectionDelete(const std::shared_ptr<TQVTBarConnection>& connection)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTPertConnectionDeleteOperation>(this, connection));
}

bool TQVTDataSource::ColumnAdd(int position, const std::shared_ptr<TQVTTreeCellType>& cellType)
{
    return FUndoRedoStack.doOperation(
        std::make_shared<TQVTColumnInsertOperation>(this, GetTree(), cellType, position));
}

bool TQVTDataSource::ColumnAppend(const std::shared_ptr<TQVTTreeCellType>& cellType)
{
    return ColumnAdd(GetTree()->colsCount(), cellType);
}

bool TQVTDataSource::ColumnDelete(int column)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTColumnDeleteOperation>(this, GetTree(), column));
}

bool TQVTDataSource::RowAppend()
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTRowAppendOperation>(this, *FRoot));
}

bool TQVTDataSource::RowInsert(int parent, int position)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTRowInsertOperation>(this, *FRoot, parent, position));
}

bool TQVTDataSource::RowChildInsert(int parent)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTRowChildInsertOperation>(this, *FRoot, parent));
}

bool TQVTDataSource::RowDelete(int row)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTRowDeleteOperation>(this, *FRoot, row));
}

bool TQVTDataSource::BranchDelete(int row)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTBranchDeleteOperation>(this, *FRoot, row));
}

bool TQVTDataSource::RowsGroup(int first, int last)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTRowsGroupOperation>(this, *FRoot, first, last));
}

bool TQVTDataSource::RowsChangeParent(int newParent, int first, int last)
{
    return FUndoRedoStack.doOperation(
        std::make_shared<TQVTRowsChangeParentOperation>(this, *FRoot, newParent, first, last));
}

bool TQVTDataSource::RowClear(int row)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTGanttRowClearOperation>(this, *GetTable(), row));
}

bool TQVTDataSource::deleteSelected()
{
    TQVTTreeGrid* tree = GetTree();
    if (tree->getSelectedRowsCount() == 0)
        return false;
    tree->unFocus();
    // From the last row up, so that the indexes still to come stay valid; the last row left is
    // refused and stays.
    auto deletions = std::make_shared<TQVTMultipleOperations>(this);
    for (int row = tree->rowsCount() - 1; row >= 0; --row) {
        if (!tree->getRow(row)->FSelected)
            continue;
        auto deletion = std::make_shared<TQVTRowDeleteOperation>(this, *FRoot, row);
        if (deletion->perform())
            deletions->addOperation(deletion);
    }
    return !deletions->empty() && FUndoRedoStack.addOperation(deletions);
}

void TQVTDataSource::Clear()
{
    TQVTTreeGrid* tree = GetTree();
    GetTable()->SetScrolledLines(0);
    for (int row = tree->rowsCount() - 1; row >= 0; --row) {
        RowClear(row);
        if (tree->rowsCount() > 1)
            RowDelete(row);
    }
}

void TQVTDataSource::SetMileStoneTransparency(bool value)
{
    TQVTGanttTable* table = GetTable();
    for (int row = 0; row < GetTree()->rowsCount(); ++row)
        if (TQVTGanttRow* chartRow = table->getRow(row))
            for (const auto& bar : chartRow->FBarList)
                if (auto* milestone = dynamic_cast<TQVTMilestoneBar*>(bar.get()))
                    if (TGraphic* picture = milestone->getGraphic())
                        picture->SetTransparent(value);
}

bool TQVTDataSource::ConnectionAdd(const std::shared_ptr<TQVTBarConnection>& connection)
{
    // A connection to a bar outside the document's rows would be saved, and dropped again by
    // the next load: it is refused.
    const auto inTable = [this](const std::shared_ptr<TQVTGanttBar>& bar) {
        return bar && bar->findTable() == GetTable();
    };
    if (!connection || !inTable(connection->barFrom) || !inTable(connection->barTo))
        return false;
    return FUndoRedoStack.doOperation(std::make_shared<TQVTConnectionAddOperation>(this, FRoot.get(), connection));
}

bool TQVTDataSource::ConnectionDelete(const std::shared_ptr<TQVTBarConnection>& connection)
{
    return FUndoRedoStack.doOperation(std::make_shared<TQVTConnectionDeleteOperation>(this, FRoot.get(), connection));
}

bool TQVTDataSource::ResolveDistanceViolations(TQVTGanttBar* bar)
{
    // The moves are performed while they are found; the history only records them.
    const auto moves = FRoot->resolveDistanceViolations(bar);
    if (moves->empty())
        return false;
    return FUndoRedoStack.addOperation(moves);
}

} // namespace corvane
