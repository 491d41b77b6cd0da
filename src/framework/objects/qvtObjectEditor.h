#pragma once
// Editors of document objects, the operation that records an edit of an object's published
// properties through snapshots, and the registry that assigns editor classes to object classes.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/objects/qvtOperation.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <vector>

namespace corvane {

class TQVTDataSourceIntf;

/// The keys the in-place editing handlers react to, as the platform numbers them.
constexpr int KeyEnter = 13;
constexpr int KeyEscape = 27;
constexpr int KeyUp = 38;
constexpr int KeyDown = 40;

/// Base of the object editors: a modal editor whose edit answers the snapshot operation of the
/// object, and the key handlers that in-place editors attach to their controls. Subclasses
/// change the object between edit and the return of the operation (a dialog) or until
/// FinishEditing (an in-place control).
class TQVTObjectEditor : public TQVTObjectEditorIntf {
public:
    TQVTObjectEditor() = default;
    TQVTObjectEditor(const TQVTObjectEditor&) = delete;
    TQVTObjectEditor& operator=(const TQVTObjectEditor&) = delete;

    /// A new TQVTEditObjectOperation that holds obj's state before the edit, for the data
    /// source of obj's document (none outside a document); none for no object.
    std::shared_ptr<TQVTOperation> edit(TQVTGanttObject* obj) override;
    /// None.
    std::shared_ptr<TQVTOperation> FinishEditing() override;
    /// True.
    bool IsModal() override;
    TQVTControllerIntf* GetController() override;
    void SetController(TQVTControllerIntf* controller) override;

    /// Escape or Enter typed into the control stops the edit; Enter then also moves on to the
    /// cell below (treeCellExit with x = 0). Other keys change nothing.
    virtual void ControlKeyPress(void* sender, int& key);
    /// The control lost the focus: the edit stops when the control is shown.
    virtual void ControlExit(void* sender);
    /// Up stops the edit and moves to the cell above (treeCellExit with x = 1), Down to the cell
    /// below (x = 0).
    void ControlKeyDown(void* sender, int key);

protected:
    /// Whether sender, the editor's control, is shown; the base knows no control and answers true.
    virtual bool isControlShown(void* sender) const;
    /// Feeds event to the controller, when there is one.
    void notify(mouseEvent event, int x, int y) const;

    TQVTControllerIntf* FController = nullptr;
};

/// Editing an object that has no editor changes nothing.
class TQVTDummyEditor : public TQVTObjectEditor {
public:
    /// None.
    std::shared_ptr<TQVTOperation> edit(TQVTGanttObject* obj) override;
};

/// The published state of an object: the text of every settable published property, and the
/// same for the nested objects that its class properties reach, depth first. An object met
/// again (shared, or through a cycle) is taken once; nesting stops at MaxDepth levels and after
/// MaxObjects objects.
class TQVTObjectSnapshot {
public:
    static constexpr int MaxDepth = 16;
    static constexpr std::size_t MaxObjects = 4096;

    struct Entry {
        TQVTGanttObject* Object;
        std::string Name;
        std::string Text;
    };

    /// Replaces the snapshot by obj's current state.
    void take(TQVTGanttObject& obj);
    const std::vector<Entry>& entries() const { return FEntries; }
    bool empty() const { return FEntries.empty(); }
    void clear();

private:
    void takeObject(TQVTGanttObject& obj, int depth);

    std::vector<Entry> FEntries;
    std::vector<const TQVTGanttObject*> FVisited;
    // Every object of the snapshot stays alive with it, so that restoring never writes to an
    // object that is gone.
    std::vector<std::shared_ptr<TQVTGanttObject>> FAlive;
};

/// The edit of an object's published properties, recorded by snapshots of the object before
/// and after the edit. perform and undo set exactly the values that the edit changed (nested
/// objects included) through the properties' setters and then put back any hidden state, so
/// that after undo the object is as it was, whatever it is asked for in between.
class TQVTEditObjectOperation : public TQVTOperation {
public:
    /// Takes obj's state before the edit.
    TQVTEditObjectOperation(TQVTDataSourceIntf* dataSource, TQVTGanttObject* obj);

    /// Takes obj's state now as the edit's result and quietly puts the state before the edit
    /// back (no before- or after-events), so that the history's perform makes the change.
    void Activate();
    /// Puts the state before the edit back without asking anybody: for an edit that is dropped
    /// before it was activated.
    void Revert();
    /// Whether the activated edit changes any value.
    bool changesSomething() const { return !FChanges.empty(); }

    /// Sets the edited values. Refused (false, nothing changed) before Activate, when the
    /// before-edit answer of a changed object refuses (for bars the data source's
    /// OnBeforeBarResize), or when the values cannot be set. Afterwards every changed object
    /// brings what depends on it up to date.
    bool perform() override;
    /// Puts the values from before the edit back, refused in the same ways.
    bool undo() override;

    TQVTObjectSnapshot OriginalObject;
    TQVTObjectSnapshot ChangedObject;
    TQVTGanttObject* CurrentObject = nullptr;

private:
    struct Change {
        TQVTGanttObject* Object;
        std::string Name;
        std::string Before;
        std::string After;
    };

    /// Sets the values of one side; asks and tells the changed objects unless quietly.
    bool apply(bool after, bool quietly);
    /// Sets the values of one side, pass after pass until every value reads back as wanted
    /// (a setter may depend on a value set after it); false when they do not settle.
    bool writeValues(bool after) const;
    std::vector<TQVTGanttObject*> changedObjects() const;

    std::shared_ptr<TQVTGanttObject> FAlive;
    std::vector<Change> FChanges;
    bool FActivated = false;
};

/// Creates an object editor.
using TQVTEditorClass = std::function<std::unique_ptr<TQVTObjectEditorIntf>()>;

/// One registration: the editor class of one object class.
struct TQVTEditorEntry {
    std::type_index ClassRef;
    TQVTEditorClass EditorClass;
};

/// One registry for the process; the suite registers nothing itself. Classes match exactly: a
/// subclass of a registered class does not inherit its editor.
class TQVTEditorsRegistry {
public:
    /// Registers editorClass for objectClass, replacing the editor class registered for it.
    void RegisterEditor(std::type_index objectClass, TQVTEditorClass editorClass);
    /// Registers Editor, made by its default constructor, for Object.
    template <class Object, class Editor>
    void RegisterEditor()
    {
        RegisterEditor(typeid(Object), [] { return std::make_unique<Editor>(); });
    }
    /// Removes the entry of objectClass; nothing when it has none.
    void UnregisterEditor(std::type_index objectClass);
    /// The entry of exactly objectClass, or none; valid until the registry changes.
    const TQVTEditorEntry* GetEditorEntry(std::type_index objectClass) const;
    /// The editor class registered for exactly objectClass, or an empty function.
    TQVTEditorClass GetEditorClass(std::type_index objectClass) const;
    /// The same as GetEditorClass.
    TQVTEditorClass FindEditor(std::type_index objectClass) const { return GetEditorClass(objectClass); }

private:
    std::vector<std::unique_ptr<TQVTEditorEntry>> Entries;
};

TQVTEditorsRegistry& EditorsRegistry();

} // namespace corvane
