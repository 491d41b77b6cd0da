#pragma once
// Editors of document objects and the registry that assigns editor classes to object classes.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <functional>
#include <typeindex>
#include <unordered_map>

namespace corvane {

/// Editing an object that has no editor changes nothing.
class TQVTDummyEditor : public TQVTObjectEditorIntf {
public:
    std::shared_ptr<TQVTOperation> edit(TQVTGanttObject* obj) override;
    std::shared_ptr<TQVTOperation> FinishEditing() override;
    bool IsModal() override;
    TQVTControllerIntf* GetController() override;
    void SetController(TQVTControllerIntf* controller) override;

protected:
    TQVTControllerIntf* FController = nullptr;
};

using TQVTEditorClass = std::function<std::unique_ptr<TQVTObjectEditorIntf>()>;

/// One registry for the process; the suite registers nothing itself.
class TQVTEditorsRegistry {
public:
    void RegisterEditor(std::type_index objectClass, TQVTEditorClass editorClass);
    void UnregisterEditor(std::type_index objectClass);
    /// The editor class registered for exactly this object class, or an empty function.
    TQVTEditorClass FindEditor(std::type_index objectClass) const;

private:
    std::unordered_map<std::type_index, TQVTEditorClass> Entries;
};

TQVTEditorsRegistry& EditorsRegistry();

} // namespace corvane
