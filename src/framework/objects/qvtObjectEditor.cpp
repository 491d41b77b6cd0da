#include "corvane/framework/objects/qvtObjectEditor.h"

#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/objects/qvtProperties.h"

#include <algorithm>
#include <exception>
#include <map>
#include <utility>

namespace corvane {

namespace {

// A setter may depend on a value that a later property sets (a lock, a cached end); a few
// passes let such values settle.
constexpr int MaxPasses = 4;

} // namespace

std::shared_ptr<TQVTOperation> TQVTObjectEditor::edit(TQVTGanttObject* obj)
{
    if (!obj)
        return nullptr;
    TQVTDocumentSetup* document = FindDocumentSetup(obj);
    return std::make_shared<TQVTEditObjectOperation>(document ? document->getDataSource() : nullptr, obj);
}

std::shared_ptr<TQVTOperation> TQVTObjectEditor::FinishEditing()
{
    return nullptr;
}

bool TQVTObjectEditor::IsModal()
{
    return true;
}

TQVTControllerIntf* TQVTObjectEditor::GetController()
{
    return FController;
}

void TQVTObjectEditor::SetController(TQVTControllerIntf* controller)
{
    FController = controller;
}

void TQVTObjectEditor::ControlKeyPress(void*, int& key)
{
    if (key != KeyEscape && key != KeyEnter)
        return;
    const bool enter = key == KeyEnter;
    notify(stopEditing, 0, 0);
    if (enter)
        notify(treeCellExit, 0, 0);
}

void TQVTObjectEditor::ControlExit(void* sender)
{
    if (isControlShown(sender))
        notify(stopEditing, 0, 0);
}

void TQVTObjectEditor::ControlKeyDown(void*, int key)
{
    if (key != KeyUp && key != KeyDown)
        return;
    notify(stopEditing, 0, 0);
    notify(treeCellExit, key == KeyUp ? 1 : 0, 0);
}

bool TQVTObjectEditor::isControlShown(void*) const
{
    return true;
}

void TQVTObjectEditor::notify(mouseEvent event, int x, int y) const
{
    if (FController)
        FController->Notify(event, x, y);
}

std::shared_ptr<TQVTOperation> TQVTDummyEditor::edit(TQVTGanttObject*)
{
    return nullptr;
}

void TQVTObjectSnapshot::clear()
{
    FEntries.clear();
    FVisited.clear();
    FAlive.clear();
}

void TQVTObjectSnapshot::take(TQVTGanttObject& obj)
{
    clear();
    takeObject(obj, 0);
    FVisited.clear();
}

void TQVTObjectSnapshot::takeObject(TQVTGanttObject& obj, int depth)
{
    if (depth > MaxDepth || FVisited.size() >= MaxObjects)
        return;
    if (std::find(FVisited.begin(), FVisited.end(), &obj) != FVisited.end())
        return;
    FVisited.push_back(&obj);
    if (auto alive = obj.weak_from_this().lock())
        FAlive.push_back(std::move(alive));
    const TQVTPublishedProperties properties = PublishedPropertiesOf(obj);
    for (const TQVTPropertyInfo& info : properties.items()) {
        if (info.Kind == TQVTPropertyKind::Class) {
            if (TQVTGanttObject* nested = info.GetObject ? info.GetObject() : nullptr)
                takeObject(*nested, depth + 1);
        } else if (!info.isReadOnly() && info.GetText) {
            FEntries.push_back({&obj, info.Name, info.GetText()});
        }
    }
}

TQVTEditObjectOperation::TQVTEditObjectOperation(TQVTDataSourceIntf* dataSource, TQVTGanttObject* obj)
    : TQVTOperation(dataSource),
      CurrentObject(obj)
{
    if (!obj)
        return;
    FAlive = obj->weak_from_this().lock();
    OriginalObject.take(*obj);
}

void TQVTEditObjectOperation::Activate()
{
    if (!CurrentObject)
        return;
    ChangedObject.take(*CurrentObject);
    std::map<std::pair<const TQVTGanttObject*, std::string>, const std::string*> before;
    for (const TQVTObjectSnapshot::Entry& entry : OriginalObject.entries())
        before.emplace(std::make_pair(entry.Object, entry.Name), &entry.Text);
    FChanges.clear();
    // Only values present in both snapshots can be put back; a nested object that the edit
    // swapped for another is not one of them.
    for (const TQVTObjectSnapshot::Entry& entry : ChangedObject.entries()) {
        const auto it = before.find(std::make_pair(entry.Object, entry.Name));
        if (it != before.end() && *it->second != entry.Text)
            FChanges.push_back({entry.Object, entry.Name, *it->second, entry.Text});
    }
    FActivated = true;
    apply(false, true);
}

void TQVTEditObjectOperation::Revert()
{
    if (!FActivated)
        Activate();
    FChanges.clear();
    FActivated = false;
}

bool TQVTEditObjectOperation::perform()
{
    return FActivated && apply(true, false);
}

bool TQVTEditObjectOperation::undo()
{
    return FActivated && apply(false, false);
}

std::vector<TQVTGanttObject*> TQVTEditObjectOperation::changedObjects() const
{
    std::vector<TQVTGanttObject*> objects;
    for (const Change& change : FChanges)
        if (std::find(objects.begin(), objects.end(), change.Object) == objects.end())
            objects.push_back(change.Object);
    return objects;
}

bool TQVTEditObjectOperation::apply(bool after, bool quietly)
{
    if (FChanges.empty())
        return true;
    const std::vector<TQVTGanttObject*> objects = changedObjects();
    if (!quietly)
        for (TQVTGanttObject* object : objects) {
            const TQVTPublishedProperties properties = PublishedPropertiesOf(*object);
            if (properties.BeforeEdit && !properties.BeforeEdit(FDataSource))
                return false;
        }
    if (!writeValues(after)) {
        // Nothing may stay half changed: the other side is what the objects held before.
        writeValues(!after);
        return false;
    }
    if (!quietly)
        for (TQVTGanttObject* object : objects) {
            const TQVTPublishedProperties properties = PublishedPropertiesOf(*object);
            if (properties.AfterEdit)
                properties.AfterEdit(FDataSource);
        }
    return true;
}

bool TQVTEditObjectOperation::writeValues(bool after) const
{
    std::map<const TQVTGanttObject*, TQVTPublishedProperties> lists;
    for (TQVTGanttObject* object : changedObjects())
        lists.emplace(object, PublishedPropertiesOf(*object));
    for (int pass = 0; pass <= MaxPasses; ++pass) {
        bool settled = true;
        for (const Change& change : FChanges) {
            const TQVTPropertyInfo* info = lists.at(change.Object).find(change.Name);
            if (!info || !info->GetText || !info->SetText)
                return false;
            const std::string& wanted = after ? change.After : change.Before;
            if (info->GetText() == wanted)
                continue;
            settled = false;
            if (pass == MaxPasses)
                break;
            try {
                info->SetText(wanted);
            } catch (const std::exception&) {
                return false;
            }
        }
        if (settled)
            return true;
    }
    return false;
}

void TQVTEditorsRegistry::RegisterEditor(std::type_index objectClass, TQVTEditorClass editorClass)
{
    for (const auto& entry : Entries)
        if (entry->ClassRef == objectClass) {
            entry->EditorClass = std::move(editorClass);
            return;
        }
    Entries.push_back(std::make_unique<TQVTEditorEntry>(TQVTEditorEntry{objectClass, std::move(editorClass)}));
}

void TQVTEditorsRegistry::UnregisterEditor(std::type_index objectClass)
{
    std::erase_if(Entries, [&](const auto& entry) { return entry->ClassRef == objectClass; });
}

const TQVTEditorEntry* TQVTEditorsRegistry::GetEditorEntry(std::type_index objectClass) const
{
    for (const auto& entry : Entries)
        if (entry->ClassRef == objectClass)
            return entry.get();
    return nullptr;
}

TQVTEditorClass TQVTEditorsRegistry::GetEditorClass(std::type_index objectClass) const
{
    const TQVTEditorEntry* entry = GetEditorEntry(objectClass);
    return entry ? entry->EditorClass : TQVTEditorClass{};
}

TQVTEditorsRegistry& EditorsRegistry()
{
    static TQVTEditorsRegistry registry;
    return registry;
}

} // namespace corvane
