#pragma once
// The text bar's in-place control on screen: a plain-text box in the chart control.

#include "corvane/framework/chart/qvtSpecialBars.h"

#include <QPlainTextEdit>
#include <QPointer>

namespace corvane {

class TQVTTextBarMemoControl;

/// The box itself. Enter reaches the memo's OnKeyPress as 13, Esc as 27 (the text bar editor
/// ends the edit with them); Ctrl+Enter and Shift+Enter as 10, and a line break is written
/// unless the handler cleared the key. Losing the focus to another control tells OnExit.
class TQVTTextBarMemoEdit : public QPlainTextEdit {
public:
    TQVTTextBarMemoEdit(TQVTTextBarMemoControl* memo, QWidget* parent);

    /// The memo the box serves; none once the memo is gone.
    TQVTTextBarMemoControl* memo;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

/// A text bar's memo with a real control: the box is made as a child of the widget of the
/// controller the memo is given (made again for another one) and follows what the memo is told.
/// Without a controller widget it only keeps what it is told, as the plain memo does. The box
/// goes with the memo, or with the controller widget when that goes first.
class TQVTTextBarMemoControl : public TQVTTextBarMemo {
public:
    TQVTTextBarMemoControl() = default;
    ~TQVTTextBarMemoControl() override;
    TQVTTextBarMemoControl(const TQVTTextBarMemoControl&) = delete;
    TQVTTextBarMemoControl& operator=(const TQVTTextBarMemoControl&) = delete;

    void setController(TQVTControllerIntf* controller) override;
    void setText(const std::string& text) override;
    /// The box's text once it was changed there; the text last set until then, exactly.
    std::string getText() const override;
    void setFont(const TFont& font) override;
    void setColor(TColor color) override;
    void setBounds(TRect bounds) override;
    void setVisible(bool visible) override;
    bool isVisible() const override { return FVisible; }
    void setFocus() override;
    void caretToEnd() override;

    /// The box; none before a controller widget was given or once it is gone.
    QPlainTextEdit* control() const { return FEdit; }

private:
    void apply();

    QPointer<TQVTTextBarMemoEdit> FEdit;
};

} // namespace corvane
