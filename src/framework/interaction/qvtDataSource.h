#pragma once
// The component that owns one schedule document, its store, its loader and its history, and
// publishes the application's hooks.

#include "corvane/framework/interaction/qvtUndoRedoStack.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/platform/Classes.h"

#include <memory>
#include <string>

namespace corvane {

class TQVTBarConnection;
class TQVTDocumentCalendar;
class TQVTGanttBar;
class TQVTGanttDocument;
class TQVTGanttTable;
class TQVTLegend;
class TQVTTreeGrid;

/// Holds exactly one document at any time: a storage that gives no usable document falls back
/// to the built-in one. Every editing command runs one undoable operation through the history.
class TQVTDataSource : public TComponent, public TQVTDataSourceIntf {
public:
    /// Installs the German texts and shows the built-in document.
    explicit TQVTDataSource(TComponent* owner = nullptr);
    ~TQVTDataSource() override;

    /// The document; never none.
    TQVTGanttDocument* root() const { return FRoot.get(); }
    TQVTGanttTable* GetTable() const;
    TQVTTreeGrid* GetTree() const;
    TQVTDocumentCalendar* GetCalendar() const;
    TQVTLegend* GetLegend() const;

    const std::string& getStorage() const { return storageName; }
    /// Loads section "root" of the store that value names ("file:///plan.ini"; empty or
    /// "default" for the built-in document) and empties the history. A root that does not load,
    /// is not a document or lacks its table or its tree counts as a failed load: the loader's
    /// messages are shown and the built-in document takes its place (storage then reads empty).
    void setStorage(const std::string& value);
    /// Saves the document as section "root" of the store that storage names; the current
    /// storage, document and history stay. Throws EFileError when the file cannot be written,
    /// and the file is then as it was.
    void SaveToMedia(const std::string& storage);

    void SetUpdateMode(bool value) { FUpdateMode = value; }
    bool IsInUpdateMode() const { return FUpdateMode; }

    TQVTUndoRedoStack& GetUndoRedoStack() { return FUndoRedoStack; }
    void clearUndoRedoStack() { FUndoRedoStack.clear(); }
    void setOnChange(TQVTOperationEvent event) { FUndoRedoStack.setOnChange(std::move(event)); }
    void setOnUndo(TQVTOperationEvent event) { FUndoRedoStack.setOnUndo(std::move(event)); }
    void setOnRedo(TQVTOperationEvent event) { FUndoRedoStack.setOnRedo(std::move(event)); }

    /// Adds the connection to the document, with the connection events and the PERT mirror.
    bool ConnectionAdd(const std::shared_ptr<TQVTBarConnection>& connection);
    /// Deletes the connection from the document, with the connection events and the PERT mirror.
    bool ConnectionDelete(const std::shared_ptr<TQVTBarConnection>& connection);

    /// Moves connected bars so that no connection around bar is violated; the moves form one
    /// undo entry. Answers false when nothing had to move.
    bool ResolveDistanceViolations(TQVTGanttBar* bar);

    TDateTime LeftScrollLimit = 0;
    TDateTime RightScrollLimit = 0;
    bool UseLeftScrollLimit = false;
    bool UseRightScrollLimit = false;

private:
    /// The document of section "root" of store, or none when it is not a whole document.
    std::shared_ptr<TQVTGanttDocument> loadDocument(IQVTMedia& store);

    bool FUpdateMode = false;
    TQVTUndoRedoStack FUndoRedoStack;
    std::shared_ptr<TQVTGanttDocument> FRoot;
    IQVTMediaPtr media;
    std::string storageName;
    TQVTEntityFactory factory;
};

} // namespace corvane
