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
class TQVTPertBar;
class TQVTTreeCellType;
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
    /// Runs op through the history (TQVTUndoRedoStack::doOperation).
    bool doOperation(const TQVTOperationPtr& op) override { return FUndoRedoStack.doOperation(op); }
    void clearUndoRedoStack() { FUndoRedoStack.clear(); }
    void setOnChange(TQVTOperationEvent event) { FUndoRedoStack.setOnChange(std::move(event)); }
    void setOnUndo(TQVTOperationEvent event) { FUndoRedoStack.setOnUndo(std::move(event)); }
    void setOnRedo(TQVTOperationEvent event) { FUndoRedoStack.setOnRedo(std::move(event)); }

    // Editing commands: each runs one operation through the history and answers whether it was
    // performed; a refused one leaves the document and the history as they were.

    /// Puts bar into row row.
    bool BarAdd(const std::shared_ptr<TQVTGanttBar>& bar, int row);
    /// Takes bar out of its row, with its connections (a summary bar with its row's children).
    bool BarDelete(const std::shared_ptr<TQVTGanttBar>& bar);
    /// Moves bar to start at newStart in row newRow, keeping its duration.
    bool BarMove(const std::shared_ptr<TQVTGanttBar>& bar, TDateTime newStart, int newRow);
    /// Drags one edge of bar by changeX columns (and changeY rows, where the kind allows).
    bool BarResize(const std::shared_ptr<TQVTGanttBar>& bar, int changeX, int changeY, bool right);
    /// Sets both times of bar.
    bool BarAssignTime(const std::shared_ptr<TQVTGanttBar>& bar, TDateTime start, TDateTime end);
    /// A PERT box for row row at the PERT chart's point (x, y); negative x or y: the first free
    /// place.
    bool PertBarAdd(int x, int y, int row);
    bool PertBarDelete(const std::shared_ptr<TQVTPertBar>& pertBar);
    bool PertConnectionAdd(const std::shared_ptr<TQVTBarConnection>& connection);
    bool PertConnectionDelete(const std::shared_ptr<TQVTBarConnection>& connection);

    /// A new column of cellType at position (0: first), a cell in every row.
    bool ColumnAdd(int position, const std::shared_ptr<TQVTTreeCellType>& cellType);
    /// A new column of cellType after the last one.
    bool ColumnAppend(const std::shared_ptr<TQVTTreeCellType>& cellType);
    /// Deletes a column with every row's cell in it.
    bool ColumnDelete(int column);

    /// A new row at the end of the top level.
    bool RowAppend();
    /// A new row under parent (-1: the top level) at row index position.
    bool RowInsert(int parent, int position);
    /// A new last child of row parent.
    bool RowChildInsert(int parent);
    /// Deletes a row; its children move up into its place.
    bool RowDelete(int row);
    /// Deletes a row with every row below it.
    bool BranchDelete(int row);
    /// Puts the rows first to last under a new row.
    bool RowsGroup(int first, int last);
    /// Makes the rows first to last children of row newParent.
    bool RowsChangeParent(int newParent, int first, int last);
    /// Takes every bar out of row row.
    bool RowClear(int row);

    /// Deletes the selected rows (the last first; one row always stays) as one undo entry.
    /// Answers false when nothing was deleted.
    bool deleteSelected();
    /// Empties the document row by row through undoable commands, down to one empty row.
    void Clear();
    /// Sets the transparency of the pictures of every milestone; not recorded in the history.
    void SetMileStoneTransparency(bool value);

    /// Adds the connection to the document, with the connection events and the PERT mirror.
    /// Refused unless both ends are bars in the document's rows.
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
