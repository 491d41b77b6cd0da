#pragma once
// The in-place editors of task-table cells: a Qt control per cell kind, opened over the cell
// by the chart control and closed by it, the edit answered as an undoable operation.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/tasktable/qvtTreeCells.h"

#include <QIcon>
#include <QLocale>
#include <QPointer>
#include <QString>
#include <QValidator>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QDateTimeEdit;
class QKeyEvent;
class QFocusEvent;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace corvane {

class TQVTDataSourceIntf;
class TQVTInPlaceEvents;
class TqvtSpinEdit;

/// Puts the widgets' in-place controls behind the model: the editors of tree cells
/// (TQVTTreeCell::EditorFactory) and the text bars' memo (TQVTTextBar::MemoFactory). The chart
/// control calls it; calling it again changes nothing.
void installInPlaceEditors();

/// The editor of one cell kind, or none for the cells that are not edited (automatic, plain,
/// read-only).
std::unique_ptr<TQVTObjectEditorIntf> makeTreeCellEditor(const TQVTTreeCell& cell);

/// The controller an in-place editor tells. A controller that is a widget counts as gone once the
/// widget is destroyed.
class TQVTEditorControllerLink {
public:
    void set(TQVTControllerIntf* controller);
    /// The controller; none when it is gone.
    TQVTControllerIntf* get() const { return FIsWidget && !FWidget ? nullptr : FController; }
    /// The controller's widget, where the editor puts its control; none for another controller.
    QWidget* widget() const { return FWidget; }
    /// Tells the controller the events in order and stops once it is gone. Works on a copy of
    /// the link, since the controller may free the editor that holds it.
    void tell(std::initializer_list<std::pair<mouseEvent, int>> events) const;

private:
    TQVTControllerIntf* FController = nullptr;
    QPointer<QWidget> FWidget;
    bool FIsWidget = false;
};

/// Base of the in-place editors of tree cells. Not modal: edit opens the control and answers
/// none; FinishEditing closes it and answers the edit.
///
/// Keys reach the controller through Notify: Enter gives stopEditing, then treeCellExit (0, 0);
/// Esc cancels the edit, then gives stopEditing; Up and Down give stopEditing, then treeCellExit
/// with x = 1 (up) or 0 (down), except where the control uses them (the lines of a multi-line
/// text, an open list). The control losing the focus to anything but its own popups while shown
/// gives stopEditing: leaving the cell keeps the edit. The controller may free the editor inside
/// any of these calls; the editor never calls a controller whose widget is gone, never edits a
/// cell that is gone, and its control goes with it.
class TQVTTreeCellEditor : public TQVTObjectEditorIntf {
public:
    TQVTTreeCellEditor();
    ~TQVTTreeCellEditor() override;
    TQVTTreeCellEditor(const TQVTTreeCellEditor&) = delete;
    TQVTTreeCellEditor& operator=(const TQVTTreeCellEditor&) = delete;

    /// Opens the control as a child of the controller's widget, over the cell's rectangle of the
    /// last paint, with the row's font, loaded with the cell's value, shown and focused. Answers
    /// none. Opens nothing for a cell this editor does not edit, or without a controller widget.
    std::shared_ptr<TQVTOperation> edit(TQVTGanttObject* obj) override;
    /// Closes the control. Answers the cell's TQVTCellEditOperation, not yet performed; none when
    /// nothing changed, the edit was cancelled, the cell is gone, or the text is not valid for
    /// the kind (then the cell keeps its value).
    std::shared_ptr<TQVTOperation> FinishEditing() override;
    bool IsModal() override { return false; }
    /// None once the controller's widget is gone.
    TQVTControllerIntf* GetController() override;
    void SetController(TQVTControllerIntf* controller) override;

    /// The open control; none when not editing.
    QWidget* control() const { return FControl; }
    /// The edited cell; none when not editing or when it is gone (or out of its row).
    TQVTTreeCell* cell() const { return editedCell().get(); }

    /// Enter (13) ends the edit and leaves the cell, Esc (27) cancels the edit; both clear key.
    void ControlKeyPress(int& key);
    /// Qt::Key_Up and Qt::Key_Down end the edit and leave the cell upwards or downwards;
    /// answers whether the key was one of them.
    bool ControlKeyDown(int key);
    /// The control lost the focus: ends the edit while it is shown.
    void ControlExit();

protected:
    /// Whether this editor edits cells of cell's kind.
    virtual bool accepts(const TQVTTreeCell& cell) const = 0;
    /// Makes the control, a child of parent, for cell.
    virtual QWidget* createControl(QWidget* parent, const TQVTTreeCell& cell) = 0;
    /// Shows the cell's value in the control.
    virtual void loadValue(const TQVTTreeCell& cell) = 0;
    /// What the control shows now; an edit that leaves it as loaded changes nothing.
    virtual QString controlText() const = 0;
    /// The value the control holds for cell; none when its text is not valid for the kind.
    virtual std::optional<TQVTTreeCellValue> readValue(const TQVTTreeCell& cell) = 0;
    /// The widget that takes the focus; the control by default.
    virtual QWidget* focusTarget() const { return FControl; }
    /// Whether Up and Down belong to the control.
    virtual bool wantsArrows() const { return false; }
    /// Whether every key belongs to the control now (its list is open).
    virtual bool wantsAllKeys() const { return false; }
    /// Ctrl+Enter or Shift+Enter: answers whether the control took it (as a line break).
    virtual bool lineBreak() { return false; }
    /// The least height the control needs to be usable.
    virtual int minimumHeight() const { return 0; }
    /// The data source of the cell's document, or none.
    static TQVTDataSourceIntf* dataSourceOf(TQVTTreeCell& cell);
    /// The edited cell while it is in its row; none otherwise.
    std::shared_ptr<TQVTTreeCell> editedCell() const;

    QPointer<QWidget> FControl;
    std::weak_ptr<TQVTTreeCell> FCell;
    /// Focus changes do not end the edit while set (a handler of the control is running).
    bool FHoldFocusExit = false;
    /// False once the editor is freed; copied by code that runs on after the controller was told.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);

private:
    friend class TQVTInPlaceEvents;

    bool keyPressed(const QKeyEvent& event);
    void focusLost(const QFocusEvent& event);
    void closeControl();

    TQVTEditorControllerLink FController;
    QPointer<TQVTInPlaceEvents> FEvents;
    QString FLoadedText;
    bool FCancelled = false;
};

/// A single-line edit field.
class TQVTTreeSimpleTextCellEditor : public TQVTTreeCellEditor {
protected:
    bool accepts(const TQVTTreeCell& cell) const override;
    QWidget* createControl(QWidget* parent, const TQVTTreeCell& cell) override;
    void loadValue(const TQVTTreeCell& cell) override;
    QString controlText() const override;
    std::optional<TQVTTreeCellValue> readValue(const TQVTTreeCell& cell) override;

    QLineEdit* edit() const;
};

/// A plain-text box at least three lines high; Up and Down move in the text, Ctrl+Enter and
/// Shift+Enter break the line.
class TQVTTreeMultilineTextCellEditor : public TQVTTreeCellEditor {
protected:
    bool accepts(const TQVTTreeCell& cell) const override;
    QWidget* createControl(QWidget* parent, const TQVTTreeCell& cell) override;
    void loadValue(const TQVTTreeCell& cell) override;
    QString controlText() const override;
    std::optional<TQVTTreeCellValue> readValue(const TQVTTreeCell& cell) override;
    bool wantsArrows() const override { return true; }
    bool lineBreak() override;
    int minimumHeight() const override;

    QPlainTextEdit* edit() const;
};

/// A date edit ("dd.MM.yyyy") for a type with FNoTime, else a date and time edit
/// ("dd.MM.yyyy HH:mm"), each with a calendar to drop down. The edit sets what it shows; the
/// finer parts of the cell's date stay (its time of day for dates only, its seconds otherwise).
class TQVTTreeDateTimeCellEditor : public TQVTTreeCellEditor {
protected:
    bool accepts(const TQVTTreeCell& cell) const override;
    QWidget* createControl(QWidget* parent, const TQVTTreeCell& cell) override;
    void loadValue(const TQVTTreeCell& cell) override;
    QString controlText() const override;
    /// None when the text is no date the edit can hold.
    std::optional<TQVTTreeCellValue> readValue(const TQVTTreeCell& cell) override;

    QDateTimeEdit* edit() const;
};

/// The suite's spin edit within the type's FMin..FMax (both 0: no limits), in steps of 1. The
/// buttons, Page Up, Page Down and the wheel step; Up and Down leave the cell.
class TQVTTreeSpinCellEditor : public TQVTTreeCellEditor {
protected:
    bool accepts(const TQVTTreeCell& cell) const override;
    QWidget* createControl(QWidget* parent, const TQVTTreeCell& cell) override;
    void loadValue(const TQVTTreeCell& cell) override;
    QString controlText() const override;
    /// None for a text that is no number, or a number beyond the integers without limits; a
    /// number is held within the limits and rounded to an integer, as the spin edit does.
    std::optional<TQVTTreeCellValue> readValue(const TQVTTreeCell& cell) override;
    QWidget* focusTarget() const override;

    TqvtSpinEdit* spin() const;
};

/// Amounts in a locale's format, as the currency editor takes and shows them.
///
/// An amount is an optional minus sign, then the whole part: either plain digits or digits
/// grouped by threes with the locale's group separator (the first group 1 to 3 digits; where the
/// separator is a kind of space, any of the spaces serves), then optionally the locale's decimal
/// separator with up to two digits. Blanks around it are ignored, its size is at most
/// TQVTTreeCurrencyCell::MaxValue, and an empty text stands for no amount. Anything that cannot
/// become such an amount by typing on is refused at once. The cell shows an amount grouped, with
/// two decimals ("1.250,50" in German, "1,250.50" in English).
class TQVTCurrencyValidator : public QValidator {
public:
    explicit TQVTCurrencyValidator(const QLocale& locale = QLocale(), QObject* parent = nullptr);

    static constexpr int Decimals = 2;

    State validate(QString& input, int& pos) const override;
    /// The amount the text stands for (0 for an empty text); none unless the text is acceptable.
    std::optional<double> amount(const QString& text) const;
    /// The amount as the cell shows it.
    QString format(double amount) const;

private:
    QString normalized(const QString& text) const;

    QLocale FLocale;
};

/// A single-line edit field that takes amounts (TQVTCurrencyValidator, in the application's
/// default locale).
class TQVTTreeCurrencyCellEditor : public TQVTTreeCellEditor {
protected:
    bool accepts(const TQVTTreeCell& cell) const override;
    QWidget* createControl(QWidget* parent, const TQVTTreeCell& cell) override;
    /// The cell's amount, or nothing for a cell without text and amount.
    void loadValue(const TQVTTreeCell& cell) override;
    QString controlText() const override;
    /// None for a text that is no amount; an empty text clears the cell.
    std::optional<TQVTTreeCellValue> readValue(const TQVTTreeCell& cell) override;

    QLineEdit* edit() const;
    const TQVTCurrencyValidator* validator() const;
};

/// A combo box with the type's items. Its text can be edited for the styles 0 (drop down) and
/// 1 (simple); from style 2 on (drop-down list, owner-drawn lists) only an item can be chosen.
/// While the list is open, the keys belong to it.
class TQVTTreeComboCellEditor : public TQVTTreeCellEditor {
protected:
    bool accepts(const TQVTTreeCell& cell) const override;
    QWidget* createControl(QWidget* parent, const TQVTTreeCell& cell) override;
    void loadValue(const TQVTTreeCell& cell) override;
    QString controlText() const override;
    std::optional<TQVTTreeCellValue> readValue(const TQVTTreeCell& cell) override;
    bool wantsAllKeys() const override;

    QComboBox* combo() const;
};

/// A combo box of the type's items, each with its picture when the type names pictures and
/// Images finds them; only an item can be chosen.
class TQVTTreeImageComboCellEditor : public TQVTTreeComboCellEditor {
public:
    /// The pictures of the items, in their order, for the type's FImages name; the application
    /// sets it. Items without a picture (or all, without it) show none.
    static std::function<std::vector<QIcon>(const std::string& images)> Images;

protected:
    bool accepts(const TQVTTreeCell& cell) const override;
    QWidget* createControl(QWidget* parent, const TQVTTreeCell& cell) override;
};

/// A single-line edit field with a button (the type's FButton caption, "..."): a click tells the
/// type's FOnClick, then the data source's onTreeCellButtonClicked, with the cell. A handler that
/// sets the cell's text puts that text into the field instead, so that it becomes part of the
/// edit (and of its undo).
class TQVTTreeButtonEditCellEditor : public TQVTTreeCellEditor {
public:
    /// The edit field and the button; none when not editing.
    QLineEdit* edit() const;
    QToolButton* button() const;

protected:
    bool accepts(const TQVTTreeCell& cell) const override;
    QWidget* createControl(QWidget* parent, const TQVTTreeCell& cell) override;
    void loadValue(const TQVTTreeCell& cell) override;
    QString controlText() const override;
    std::optional<TQVTTreeCellValue> readValue(const TQVTTreeCell& cell) override;
    QWidget* focusTarget() const override;

private:
    void buttonClicked();

    QPointer<QLineEdit> FEdit;
    QPointer<QToolButton> FButton;
};

} // namespace corvane
