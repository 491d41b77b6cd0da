#include "corvane/widgets/qvtTextBarMemo.h"

#include "qvtInPlaceControls_p.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QTextCursor>

namespace corvane {

namespace {

constexpr int EnterKey = 13;
constexpr int EscapeKey = 27;
constexpr int LineFeedKey = 10;

} // namespace

TQVTTextBarMemoEdit::TQVTTextBarMemoEdit(TQVTTextBarMemoControl* memo, QWidget* parent)
    : QPlainTextEdit(parent),
      memo(memo)
{
    setTabChangesFocus(true);
}

void TQVTTextBarMemoEdit::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!memo || !memo->OnKeyPress || (!enter && event->key() != Qt::Key_Escape)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const bool lineBreak = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    int key = !enter ? EscapeKey : lineBreak ? LineFeedKey : EnterKey;
    // The handler may end the edit and unhook itself: it runs from a copy, and the box is
    // checked afterwards.
    const auto handler = memo->OnKeyPress;
    const QPointer<TQVTTextBarMemoEdit> self(this);
    handler(key);
    if (!self)
        return;
    if (key == 0) {
        event->accept();
    } else if (key == LineFeedKey) {
        insertPlainText(QStringLiteral("\n"));
        event->accept();
    } else {
        QPlainTextEdit::keyPressEvent(event);
    }
}

void TQVTTextBarMemoEdit::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (memo && memo->OnExit && inplace::leavesControl(*event, this)) {
        const auto handler = memo->OnExit;
        handler();
    }
}

TQVTTextBarMemoControl::~TQVTTextBarMemoControl()
{
    if (TQVTTextBarMemoEdit* edit = FEdit) {
        edit->memo = nullptr;
        edit->hide();
        // The box may be the one whose event is being handled.
        edit->deleteLater();
    }
}

void TQVTTextBarMemoControl::setController(TQVTControllerIntf* controller)
{
    auto* parent = dynamic_cast<QWidget*>(controller);
    if (!parent || (FEdit && FEdit->parentWidget() == parent))
        return;
    if (TQVTTextBarMemoEdit* old = FEdit) {
        old->memo = nullptr;
        old->hide();
        old->deleteLater();
    }
    FEdit = new TQVTTextBarMemoEdit(this, parent);
    apply();
}

void TQVTTextBarMemoControl::apply()
{
    if (!FEdit)
        return;
    FEdit->setPlainText(QString::fromStdString(FText));
    FEdit->setFont(inplace::qFont(FFont));
    QPalette palette = FEdit->palette();
    palette.setColor(QPalette::Base, inplace::qColor(FColor));
    palette.setColor(QPalette::Text, inplace::qColor(FFont.Color));
    FEdit->setPalette(palette);
    FEdit->setGeometry(FBounds.Left, FBounds.Top, FBounds.Right - FBounds.Left, FBounds.Bottom - FBounds.Top);
    FEdit->setVisible(FVisible);
}

void TQVTTextBarMemoControl::setText(const std::string& text)
{
    FText = text;
    // Also resets the box's modified flag: the text is the memo's again.
    if (FEdit)
        FEdit->setPlainText(QString::fromStdString(text));
}

std::string TQVTTextBarMemoControl::getText() const
{
    // Line breaks come back as the box writes them only where the text was changed there.
    if (FEdit && FEdit->document()->isModified())
        return FEdit->toPlainText().toStdString();
    return FText;
}

void TQVTTextBarMemoControl::setFont(const TFont& font)
{
    FFont = font;
    if (!FEdit)
        return;
    FEdit->setFont(inplace::qFont(font));
    QPalette palette = FEdit->palette();
    palette.setColor(QPalette::Text, inplace::qColor(font.Color));
    FEdit->setPalette(palette);
}

void TQVTTextBarMemoControl::setColor(TColor color)
{
    FColor = color;
    if (!FEdit)
        return;
    QPalette palette = FEdit->palette();
    palette.setColor(QPalette::Base, inplace::qColor(color));
    FEdit->setPalette(palette);
}

void TQVTTextBarMemoControl::setBounds(TRect bounds)
{
    FBounds = bounds;
    if (FEdit)
        FEdit->setGeometry(bounds.Left, bounds.Top, bounds.Right - bounds.Left, bounds.Bottom - bounds.Top);
}

void TQVTTextBarMemoControl::setVisible(bool visible)
{
    // Set first: hiding moves the focus, and the focus leaving a hidden box ends nothing.
    FVisible = visible;
    if (!FEdit)
        return;
    FEdit->setVisible(visible);
    if (visible)
        FEdit->raise();
}

void TQVTTextBarMemoControl::setFocus()
{
    if (FEdit)
        FEdit->setFocus(Qt::OtherFocusReason);
}

void TQVTTextBarMemoControl::caretToEnd()
{
    if (FEdit)
        FEdit->moveCursor(QTextCursor::End);
}

} // namespace corvane
