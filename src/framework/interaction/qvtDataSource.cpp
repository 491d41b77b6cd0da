#include "corvane/framework/interaction/qvtDataSource.h"

#include "corvane/framework/chart/qvtConnectionOperations.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/localization/qvtLocalization.h"
#include "corvane/platform/Dialogs.h"

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
    auto document = std::dynamic_pointer_cast<TQVTGanttDocument>(factory.loadObject("root", store, nullptr));
    if (!document || !document->Ftable || !document->FTree)
        return nullptr;
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
    FUndoRedoStack.clear();
    if (!document) {
        // The built-in document always loads; a failure there is no reason to try again.
        if (!value.empty())
            setStorage("");
        return;
    }
    document->FDataSource = this;
    FRoot = std::move(document);
}

void TQVTDataSource::SaveToMedia(const std::string& storage)
{
    const IQVTMediaPtr target = TQVTMediaFactory::CreateMedia(storage);
    TQVTEntityFactory saver;
    saver.saveObject("root", *target, FRoot.get());
    target->flush();
}

bool TQVTDataSource::ConnectionAdd(const std::shared_ptr<TQVTBarConnection>& connection)
{
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
