#pragma once
// The filter check-list of a task-table column: opened under the column's header cell by the
// chart control when its filter button is pressed, it filters the rows by the checked texts.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/widgets/qvtTreeCellEditors.h"

#include <QListWidget>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QFocusEvent;
class QKeyEvent;
class QListWidgetItem;

namespace corvane {

class TQVTFilterListEvents;
class TQVTTreeHeaderCell;
struct TTreeFilterItem;

/// Puts the check-list behind the header cells' filter buttons (TQVTHeaderFilterHalo::EditorFactory).
/// The chart control calls it; calling it again changes nothing.
void installHeaderFilterEditor();

/// The filter check-list of one column. Not modal: edit opens the list and answers none;
/// FinishEditing closes it, applies what was checked and answers none as well, since filtering
/// changes the view, not the document.
///
/// The first entry, "Alles", stands for no filter; the others are the column's texts. Checking
/// "Alles" unchecks the texts, checking a text unchecks "Alles". A click anywhere on an entry or
/// Space toggles it. Enter and the list losing the focus finish (stopEditing); Esc closes the
/// list without changing the filter, then gives stopEditing. The controller may free the editor
/// inside any of these calls; the editor never calls a controller whose widget is gone, never
/// filters by a column that is gone, and its list goes with it.
class TQVTTreeHeaderFilterAreaEditor : public TQVTObjectEditorIntf {
public:
    /// The entry that clears the filter.
    static constexpr const char* AllEntry = "Alles";
    /// The list shows at most this many entries at once and scrolls the others.
    static constexpr int MaxVisibleEntries = 12;

    TQVTTreeHeaderFilterAreaEditor();
    ~TQVTTreeHeaderFilterAreaEditor() override;
    TQVTTreeHeaderFilterAreaEditor(const TQVTTreeHeaderFilterAreaEditor&) = delete;
    TQVTTreeHeaderFilterAreaEditor& operator=(const TQVTTreeHeaderFilterAreaEditor&) = delete;

    /// Opens the list for the column of obj, a filter button (TQVTHeaderFilterHalo) or a header
    /// cell: a child of the controller's widget, under the header cell as last painted, with
    /// "Alles" and the column's texts (GetContentStrings), pre-checked by Set_FilterSettings
    /// with the tree's filter, shown and focused. Answers none. Opens nothing without a
    /// controller widget or for a column that is not in a tree.
    std::shared_ptr<TQVTOperation> edit(TQVTGanttObject* obj) override;
    /// Closes the list (the filter area's FVisibleState becomes 1). Unless the list was left with
    /// Esc, or its checks are as they were when it opened, filters the rows by the checked
    /// entries (OnClickContent). Answers none.
    std::shared_ptr<TQVTOperation> FinishEditing() override;
    bool IsModal() override { return false; }
    /// None once the controller's widget is gone.
    TQVTControllerIntf* GetController() override;
    void SetController(TQVTControllerIntf* controller) override;

    /// Checks the entries of filter's values when filter is active on this list's column (letter
    /// case ignored, as the filter compares), adding values that no entry shows so that none is
    /// lost; otherwise checks "Alles" alone. Nothing while the list is closed.
    void Set_FilterSettings(const TTreeFilterItem& filter);

    /// The open list; none when closed.
    QListWidget* list() const { return FList; }
    /// The texts of the entries, "Alles" first; empty when closed.
    std::vector<std::string> entries() const;
    /// The texts of the checked entries in list order; empty when closed.
    std::vector<std::string> checkedEntries() const;
    /// The header cell whose column is filtered; none when closed or when it is gone.
    std::shared_ptr<TQVTTreeHeaderCell> cell() const { return FCell.lock(); }

private:
    friend class TQVTFilterListEvents;

    bool keyPressed(const QKeyEvent& event);
    void focusLost(const QFocusEvent& event);
    void itemChanged(QListWidgetItem* item);
    /// The checks of all entries, in order.
    std::vector<bool> checkStates() const;
    void placeList(const TQVTTreeHeaderCell& cell, TRect button);
    void closeList();

    TQVTEditorControllerLink FController;
    QPointer<QListWidget> FList;
    QPointer<TQVTFilterListEvents> FEvents;
    std::weak_ptr<TQVTTreeHeaderCell> FCell;
    std::vector<bool> FLoadedStates;
    bool FCancelled = false;
    bool FSyncing = false;
};

} // namespace corvane
