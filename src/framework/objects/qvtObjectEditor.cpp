#include "corvane/framework/objects/qvtObjectEditor.h"

namespace corvane {

std::shared_ptr<TQVTOperation> TQVTDummyEditor::edit(TQVTGanttObject*)
{
    return nullptr;
}

std::shared_ptr<TQVTOperation> TQVTDummyEditor::FinishEditing()
{
    return nullptr;
}

bool TQVTDummyEditor::IsModal()
{
    return true;
}

TQVTControllerIntf* TQVTDummyEditor::GetController()
{
    return FController;
}

void TQVTDummyEditor::SetController(TQVTControllerIntf* controller)
{
    FController = controller;
}

void TQVTEditorsRegistry::RegisterEditor(std::type_index objectClass, TQVTEditorClass editorClass)
{
    Entries[objectClass] = std::move(editorClass);
}

void TQVTEditorsRegistry::UnregisterEditor(std::type_index objectClass)
{
    Entries.erase(objectClass);
}

TQVTEditorClass TQVTEditorsRegistry::FindEditor(std::type_index objectClass) const
{
    const auto it = Entries.find(objectClass);
    return it == Entries.end() ? TQVTEditorClass{} : it->second;
}

TQVTEditorsRegistry& EditorsRegistry()
{
    static TQVTEditorsRegistry registry;
    return registry;
}

} // namespace corvane
