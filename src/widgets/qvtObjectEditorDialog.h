#pragma once
// The property dialog: a modal editor that shows the published properties of a document object
// as names and values, edits one value at a time in a small editor of its type, and answers the
// undoable operation of the whole edit.

#include "corvane/framework/objects/qvtObjectEditor.h"
#include "corvane/platform/Types.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLineEdit;
class QMouseEvent;
class QPaintEvent;
class QPainter;
class QPushButton;
class QResizeEvent;
class QScrollArea;
class QSplitter;

namespace corvane {

class TQVTTypeEditor;

/// A value that its type editor cannot store; names the editor that refused it.
class EQVTTypeEditorException : public Exception {
public:
    EQVTTypeEditorException(const std::string& message, const TQVTTypeEditor* editor)
        : Exception(message),
          Editor(editor)
    {
    }

    const TQVTTypeEditor* Editor;
};

/// Edits one published property of an object in a control of its own.
class TQVTTypeEditor {
public:
    TQVTTypeEditor(TQVTGanttObject* instance, std::string propName);
    virtual ~TQVTTypeEditor();
    TQVTTypeEditor(const TQVTTypeEditor&) = delete;
    TQVTTypeEditor& operator=(const TQVTTypeEditor&) = delete;

    /// Writes the control's text into the property (read-only properties are left alone).
    /// Throws EQVTTypeEditorException, changing nothing, for text that is no value of it.
    virtual void Store() = 0;
    /// Shows the property's value in the control.
    virtual void Load() = 0;
    /// The control's text.
    virtual std::string GetPropValue() const = 0;
    /// The control that edits the value; the editor owns it until a parent widget takes it.
    virtual QWidget* GetControl() const = 0;
    /// Throws EQVTTypeEditorException when Store would refuse the control's text.
    virtual void Validate() const {}
    /// Whether the control's text differs from the value Load showed.
    virtual bool IsModified() const { return false; }

    const std::string& PropName() const { return FPropName; }
    TQVTGanttObject* Instance() const { return FInstance; }

protected:
    /// The property as the object publishes it now; none when it has no such property.
    bool findProperty(TQVTPropertyInfo& info) const;
    /// Frees the control unless a parent widget took it (and maybe freed it already).
    void releaseControl(QWidget* control);

    TQVTGanttObject* FInstance;
    std::string FPropName;
};

/// Text in a single-line edit field.
class TQVTStringEditor : public TQVTTypeEditor {
public:
    TQVTStringEditor(TQVTGanttObject* instance, std::string propName);
    ~TQVTStringEditor() override;

    void Store() override;
    void Load() override;
    std::string GetPropValue() const override;
    QWidget* GetControl() const override;
    bool IsModified() const override;

    QPointer<QLineEdit> FEdit;

protected:
    /// The text Load showed.
    std::string FLoaded;
};

/// Whole numbers in decimal; refuses text that is none with "Not a valid integer".
class TQVTIntegerEditor : public TQVTStringEditor {
public:
    using TQVTStringEditor::TQVTStringEditor;

    void Store() override;
    void Validate() const override;
};

/// Reals ("." or "," as the separator); refuses text that is none with "Not a valid float".
class TQVTFloatEditor : public TQVTStringEditor {
public:
    using TQVTStringEditor::TQVTStringEditor;

    void Store() override;
    void Validate() const override;
};

/// A nested object: shown by its class name, edited in a dialog of its own behind the "..."
/// button. Stores nothing itself; the nested dialog's operation is kept in FOperation.
class TQVTClassEditor : public TQVTStringEditor {
public:
    TQVTClassEditor(TQVTGanttObject* instance, std::string propName);
    ~TQVTClassEditor() override;

    void Store() override {}
    /// "(" + the class name + ")", or empty for none.
    void Load() override;
    QWidget* GetControl() const override;
    bool IsModified() const override { return false; }

    /// A property dialog for obj, or none when obj is no document object.
    static std::unique_ptr<TQVTObjectEditorIntf> GetObjectEditor(TQVTGanttObject* obj);
    /// Edits the property's current object in a nested dialog; FOperation becomes that edit's
    /// operation (the previous one is dropped).
    void DoObjectEdit();
    /// The property's current object, or none.
    TQVTGanttObject* currentObject() const;

    QPointer<QWidget> FPanel;
    QPointer<QPushButton> FButton;
    std::unique_ptr<TQVTObjectEditorIntf> ObjectEditor;
    std::shared_ptr<TQVTOperation> FOperation;
};

/// The type editor for a kind of property: integers, floats, short strings and classes have
/// one; every other kind none.
std::unique_ptr<TQVTTypeEditor> getTypeEditor(TQVTPropertyKind kind, TQVTGanttObject* instance,
                                              const std::string& propName);

/// A paint box: paints and answers presses through its owner's functions.
class TQVTPaintBox : public QWidget {
public:
    using QWidget::QWidget;

    std::function<void(QPainter& painter)> OnPaint;
    std::function<void(int y)> OnMouseDown;
    std::function<void()> OnResize;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

/// The dialog form: property names left, values right of a splitter, in a scroll box; OK and
/// Cancel in a panel below.
class TQVTObjectEditorForm : public QDialog {
public:
    static constexpr int FormWidth = 308;
    static constexpr int FormHeight = 478;
    static constexpr int NamesWidth = 105;
    static constexpr int PanelHeight = 38;

    explicit TQVTObjectEditorForm(QWidget* parent = nullptr);

    /// Centres the buttons in the panel: OK's left at half the panel's width - its width - 15,
    /// Cancel's at half + 15.
    void FormResize();
    /// Shows the form modally through ModalRunner and answers its result (QDialog::Accepted
    /// for OK).
    int ShowModal();

    /// Runs the form modally; exec() unless replaced (tests drive the form through it).
    static std::function<int(TQVTObjectEditorForm& form)> ModalRunner;

    QScrollArea* sbObjectEditor;
    QSplitter* Splitter;
    TQVTPaintBox* pbNames;
    TQVTPaintBox* pbValues;
    QWidget* Panel1;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    /// Asked when OK is pressed; false keeps the dialog open.
    std::function<bool()> OnAccept;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

/// Builds the form for a list of type editors and runs it.
class TQVTGanttObjectEditorDrawer {
public:
    static constexpr int RowHeight = 16;
    static constexpr int ControlHeight = 17;
    static constexpr int MinAreaHeight = 100;
    static constexpr int MaxAreaHeight = 400;

    /// The form for typeEditors (which must outlive the drawer): every control hidden and
    /// placed in the value box, the form's client height 16 per editor held within 100 and 400
    /// pixels, the first row selected.
    explicit TQVTGanttObjectEditorDrawer(const std::vector<TQVTTypeEditor*>& typeEditors);
    ~TQVTGanttObjectEditorDrawer();
    TQVTGanttObjectEditorDrawer(const TQVTGanttObjectEditorDrawer&) = delete;
    TQVTGanttObjectEditorDrawer& operator=(const TQVTGanttObjectEditorDrawer&) = delete;

    /// Shows the form modally and answers its result.
    int Draw();
    void PaintNames(QPainter& painter);
    void PaintValues(QPainter& painter);
    /// Selects the row under y.
    void MouseDown(int y);
    /// Hides the shown control and, for a valid row i, shows and focuses row i's control over
    /// its value cell.
    void HighlightEditor(int i);
    /// Checks every value before any is stored: at the first that is refused, selects its row,
    /// tells the user which property and why, and answers false.
    bool ValidateAll();

    std::unique_ptr<TQVTObjectEditorForm> Form;
    std::vector<TQVTTypeEditor*> TypeEditors;
    int LastSelected = -1;

private:
    void placeControl(int i);
};

/// The modal editor that edits an object's published properties in the property dialog.
class TQVTGanttObjectEditor : public TQVTObjectEditor {
public:
    /// Shows the dialog for obj. OK stores the changed values (every value is checked first) and
    /// answers the activated operation, grouped with the operations of nested dialogs; Cancel,
    /// closing, or an edit that changes nothing answers none and leaves obj as it was.
    std::shared_ptr<TQVTOperation> edit(TQVTGanttObject* obj) override;
};

} // namespace corvane
