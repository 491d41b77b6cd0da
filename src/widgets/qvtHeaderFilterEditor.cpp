#include "corvane/widgets/qvtHeaderFilterEditor.h"

#include "corvane/framework/tasktable/qvtTreeDrawers.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace corvane {

namespace {

// The texts as the filter compares them: blanks at both ends removed, ASCII and Latin-1
// capitals folded.
QString filterKey(const QString& text)
{
    QString key = text.trimmed();
    for (QChar& c : key)
        if (c.unicode() < 0x100)
            c = c.toLower();
    return key;
}

QListWidgetItem* addEntry(QListWidget& list, const std::string& text)
{
    auto* item = new QListWidgetItem(QString::fromStdString(text), &list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    return item;
}

// The grid of the cell's column and the column's index there.
std::pair<TQVTTreeGrid*, int> gridColumnOf(const TQVTTreeHeaderCell& cell)
{
    TQVTTreeHeader* header = cell.getHeader();
    TQVTTreeGrid* grid = header ? header->getGrid() : nullptr;
    return {grid, grid ? header->getHeaderCellIndex(&cell) : -1};
}

} // namespace

// Hands the events of the list to its editor while the editor is open with it; a child of the
// list, so it goes with it.
class TQVTFilterListEvents : public QObject {
public:
    TQVTFilterListEvents(TQVTTreeHeaderFilterAreaEditor* editor, QObject* parent) : QObject(parent), editor(editor) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!editor)
            return QObject::eventFilter(watched, event);
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // The list's own keys are no shortcuts of the window around it.
            if (const int key = static_cast<QKeyEvent*>(event)->key();
                key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                event->accept();
                return true;
            }
            break;
        case QEvent::KeyPress:
            // May free the editor; nothing of it is touched afterwards.
            return editor->keyPressed(*static_cast<QKeyEvent*>(event));
        case QEvent::FocusOut:
            editor->focusLost(*static_cast<QFocusEvent*>(event));
            break;
        case QEvent::MouseButtonRelease:
            // A click anywhere on an entry toggles it, not only on its box; the box's own toggle
            // is left out so that a click toggles once.
            if (const auto* mouse = static_cast<QMouseEvent*>(event);
                mouse->button() == Qt::LeftButton && editor->FList && watched == editor->FList->viewport()) {
                if (QListWidgetItem* item = editor->FList->itemAt(mouse->position().toPoint())) {
                    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
                    return true;
                }
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

    TQVTTreeHeaderFilterAreaEditor* editor;
};

// ---------------------------------------------------------------------------------------------
// Installing

void installHeaderFilterEditor()
{
    TQVTHeaderFilterHalo::EditorFactory = []() -> std::unique_ptr<TQVTObjectEditorIntf> {
        return std::make_unique<TQVTTreeHeaderFilterAreaEditor>();
    };
}

// ---------------------------------------------------------------------------------------------
// The editor

TQVTTreeHeaderFilterAreaEditor::TQVTTreeHeaderFilterAreaEditor() = default;

TQVTTreeHeaderFilterAreaEditor::~TQVTTreeHeaderFilterAreaEditor()
{
    closeList();
}

TQVTControllerIntf* TQVTTreeHeaderFilterAreaEditor::GetController()
{
    return FController.get();
}

void TQVTTreeHeaderFilterAreaEditor::SetController(TQVTControllerIntf* controller)
{
    FController.set(controller);
}

std::shared_ptr<TQVTOperation> TQVTTreeHeaderFilterAreaEditor::edit(TQVTGanttObject* obj)
{
    std::shared_ptr<TQVTTreeHeaderCell> target;
    TRect button{0, 0, 0, 0};
    if (auto* halo = dynamic_cast<TQVTHeaderFilterHalo*>(obj)) {
        target = halo->getTarget();
        button = halo->FRect;
    } else if (auto* headerCell = dynamic_cast<TQVTTreeHeaderCell*>(obj)) {
        // Only a cell the document holds is followed: the editor must notice when it goes.
        target = std::static_pointer_cast<TQVTTreeHeaderCell>(headerCell->weak_from_this().lock());
    }
    QWidget* parent = FController.widget();
    if (!target || !parent)
        return nullptr;
    const auto [grid, column] = gridColumnOf(*target);
    if (!grid || column < 0)
        return nullptr;
    closeList();
    FCell = target;
    FCancelled = false;

    auto* list = new QListWidget(parent);
    FList = list;
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setFocusPolicy(Qt::StrongFocus);
    addEntry(*list, AllEntry);
    for (const std::string& text : target->HeaderFilterArea.GetContentStrings())
        addEntry(*list, text);
    Set_FilterSettings(grid->TreeFilter);
    QObject::connect(list, &QListWidget::itemChanged, list, [this](QListWidgetItem* item) { itemChanged(item); });

    auto* events = new TQVTFilterListEvents(this, list);
    FEvents = events;
    list->installEventFilter(events);
    list->viewport()->installEventFilter(events);
    placeList(*target, button);
    list->setCurrentRow(0);
    list->show();
    list->raise();
    list->setFocus(Qt::OtherFocusReason);
    return nullptr;
}

void TQVTTreeHeaderFilterAreaEditor::Set_FilterSettings(const TTreeFilterItem& filter)
{
    QListWidget* list = FList;
    const std::shared_ptr<TQVTTreeHeaderCell> target = FCell.lock();
    if (!list || !target)
        return;
    FSyncing = true;
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(Qt::Unchecked);
    const int column = gridColumnOf(*target).second;
    if (filter.Active && column >= 0 && filter.ColID == column && !filter.Values.empty()) {
        for (const std::string& value : filter.Values) {
            const QString key = filterKey(QString::fromStdString(value));
            bool shown = false;
            for (int i = 1; i < list->count(); ++i)
                if (filterKey(list->item(i)->text()) == key) {
                    list->item(i)->setCheckState(Qt::Checked);
                    shown = true;
                }
            // A value that no row has any more stays in the filter until it is unchecked.
            if (!shown)
                addEntry(*list, value)->setCheckState(Qt::Checked);
        }
    } else {
        list->item(0)->setCheckState(Qt::Checked);
    }
    FSyncing = false;
    FLoadedStates = checkStates();
}

void TQVTTreeHeaderFilterAreaEditor::placeList(const TQVTTreeHeaderCell& cell, TRect button)
{
    QListWidget& list = *FList;
    const QWidget& parent = *list.parentWidget();
    TQVTDrawer* drawer = cell.getDrawer(vtGanttGraph);
    TRect r = drawer ? drawer->getRect() : TRect{0, 0, 0, 0};
    if (r.Right <= r.Left)
        r = button;
    const int frame = 2 * list.frameWidth();
    const int rowHeight = std::max(list.sizeHintForRow(0), 1);
    const int shown = std::clamp(list.count(), 1, MaxVisibleEntries);
    int height = shown * rowHeight + frame;
    int width = list.sizeHintForColumn(0) + frame + 4;
    if (list.count() > MaxVisibleEntries)
        width += list.verticalScrollBar()->sizeHint().width();
    width = std::min(std::max(width, r.Right - r.Left), std::max(parent.width(), 1));
    height = std::min(height, std::max(parent.height(), rowHeight + frame));
    // Under the cell, moved in so that the whole list stays inside the control.
    const int x = std::clamp(r.Left, 0, std::max(parent.width() - width, 0));
    const int y = std::clamp(r.Bottom, 0, std::max(parent.height() - height, 0));
    list.setGeometry(x, y, width, height);
}

std::shared_ptr<TQVTOperation> TQVTTreeHeaderFilterAreaEditor::FinishEditing()
{
    const std::shared_ptr<TQVTTreeHeaderCell> target = FCell.lock();
    std::vector<std::string> checked;
    const bool apply = target && FList && !FCancelled && checkStates() != FLoadedStates;
    if (apply)
        checked = checkedEntries();
    closeList();
    FCell.reset();
    if (target) {
        target->HeaderFilterArea.FVisibleState = 1;
        if (apply)
            target->HeaderFilterArea.OnClickContent(checked);
    }
    return nullptr;
}

std::vector<std::string> TQVTTreeHeaderFilterAreaEditor::entries() const
{
    std::vector<std::string> texts;
    if (const QListWidget* list = FList)
        for (int i = 0; i < list->count(); ++i)
            texts.push_back(list->item(i)->text().toStdString());
    return texts;
}

std::vector<std::string> TQVTTreeHeaderFilterAreaEditor::checkedEntries() const
{
    std::vector<std::string> texts;
    if (const QListWidget* list = FList)
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->checkState() == Qt::Checked)
                texts.push_back(list->item(i)->text().toStdString());
    return texts;
}

std::vector<bool> TQVTTreeHeaderFilterAreaEditor::checkStates() const
{
    std::vector<bool> states;
    if (const QListWidget* list = FList)
        for (int i = 0; i < list->count(); ++i)
            states.push_back(list->item(i)->checkState() == Qt::Checked);
    return states;
}

void TQVTTreeHeaderFilterAreaEditor::itemChanged(QListWidgetItem* item)
{
    QListWidget* list = FList;
    if (FSyncing || !list || !item || item->checkState() != Qt::Checked)
        return;
    // "Alles" and the texts exclude each other.
    FSyncing = true;
    if (list->row(item) == 0) {
        for (int i = 1; i < list->count(); ++i)
            list->item(i)->setCheckState(Qt::Unchecked);
    } else {
        list->item(0)->setCheckState(Qt::Unchecked);
    }
    FSyncing = false;
}

bool TQVTTreeHeaderFilterAreaEditor::keyPressed(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        FController.tell({{stopEditing, 0}});
        return true;
    case Qt::Key_Escape:
        FCancelled = true;
        FController.tell({{stopEditing, 0}});
        return true;
    default:
        return false;
    }
}

void TQVTTreeHeaderFilterAreaEditor::focusLost(const QFocusEvent& event)
{
    // A popup or another window coming up leaves the list open; so does the focus moving within it.
    if (event.reason() == Qt::PopupFocusReason || event.reason() == Qt::ActiveWindowFocusReason)
        return;
    for (const QWidget* now = QApplication::focusWidget(); now; now = now->parentWidget())
        if (now == FList)
            return;
    if (FList && FList->isVisible())
        FController.tell({{stopEditing, 0}});
}

void TQVTTreeHeaderFilterAreaEditor::closeList()
{
    // Hiding the list moves the focus away: its events reach nobody from here on.
    if (FEvents)
        FEvents->editor = nullptr;
    FEvents = nullptr;
    FLoadedStates.clear();
    if (QListWidget* list = FList) {
        FList = nullptr;
        QObject::disconnect(list, &QListWidget::itemChanged, nullptr, nullptr);
        list->hide();
        // The list may be the one whose event is being handled.
        list->deleteLater();
    }
}

} // namespace corvane
