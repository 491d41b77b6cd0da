#include "corvane/widgets/qvtSpinEdit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace corvane {

namespace {

// Page Up and Page Down step this many increments.
constexpr int PageSteps = 10;
constexpr int MaxDecimals = 10;
// A wheel step is 120 units.
constexpr int WheelStep = 120;

} // namespace

TTimerSpeedButton::TTimerSpeedButton(Qt::ArrowType arrow, QWidget* parent) : QToolButton(parent)
{
    setArrowType(arrow);
    setAutoRepeat(true);
    setAutoRepeatDelay(InitialDelay);
    setAutoRepeatInterval(RepeatInterval);
    setFocusPolicy(Qt::NoFocus);
}

TSpinButton::TSpinButton(QWidget* parent)
    : QWidget(parent),
      FUp(new TTimerSpeedButton(Qt::UpArrow, this)),
      FDown(new TTimerSpeedButton(Qt::DownArrow, this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(FUp);
    layout->addWidget(FDown);
    connect(FUp, &QToolButton::clicked, this, [this] {
        if (OnUpClick)
            OnUpClick();
    });
    connect(FDown, &QToolButton::clicked, this, [this] {
        if (OnDownClick)
            OnDownClick();
    });
}

TqvtSpinEdit::TqvtSpinEdit(QWidget* parent)
    : QWidget(parent),
      FEdit(new QLineEdit(this)),
      FButtons(new TSpinButton(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(FEdit);
    layout->addWidget(FButtons);
    setFocusProxy(FEdit);
    FEdit->installEventFilter(this);
    FButtons->OnUpClick = [this] { step(1); };
    FButtons->OnDownClick = [this] { step(-1); };
    connect(FEdit, &QLineEdit::editingFinished, this, [this] { commitText(); });
    showValue();
}

TqvtSpinEdit::~TqvtSpinEdit()
{
    // The edit box loses its focus while the base class destroys it; this part is gone then.
    FEdit->removeEventFilter(this);
    disconnect(FEdit, nullptr, this, nullptr);
}

std::optional<double> TqvtSpinEdit::parse(const std::string& text)
{
    std::string number;
    for (const char c : text)
        number += c == ',' ? '.' : c;
    const auto first = number.find_first_not_of(" \t");
    const auto last = number.find_last_not_of(" \t");
    if (first == std::string::npos)
        return std::nullopt;
    number = number.substr(first, last - first + 1);
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    // Only plain decimal numbers: no hexadecimal, infinities or text after the number.
    const bool plain = number.find_first_not_of("+-.0123456789eE") == std::string::npos;
    if (!plain || end != number.c_str() + number.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double TqvtSpinEdit::clamped(double value) const
{
    if (FMinValue == 0 && FMaxValue == 0)
        return value;
    return std::clamp(value, FMinValue, FMaxValue);
}

void TqvtSpinEdit::setValue(double value)
{
    if (!std::isfinite(value))
        return;
    const double scale = std::pow(10.0, FDecimals);
    const double rounded = std::round(clamped(value) * scale) / scale;
    const bool changed = rounded != FValue;
    FValue = rounded;
    showValue();
    if (changed && OnChange)
        OnChange(this);
}

void TqvtSpinEdit::setLimits(double minValue, double maxValue)
{
    if (!std::isfinite(minValue) || !std::isfinite(maxValue))
        return;
    FMinValue = std::min(minValue, maxValue);
    FMaxValue = std::max(minValue, maxValue);
    setValue(FValue);
}

void TqvtSpinEdit::setIncrement(double increment)
{
    if (increment > 0 && std::isfinite(increment))
        FIncrement = increment;
}

void TqvtSpinEdit::setDecimals(int decimals)
{
    FDecimals = std::clamp(decimals, 0, MaxDecimals);
    setValue(FValue);
}

void TqvtSpinEdit::step(int count)
{
    commitText();
    setValue(FValue + count * FIncrement);
}

void TqvtSpinEdit::showValue()
{
    FEdit->setText(QString::number(FValue, 'f', FDecimals));
}

void TqvtSpinEdit::commitText()
{
    if (const std::optional<double> value = parse(FEdit->text().toStdString()))
        setValue(*value);
    else
        showValue();
}

void TqvtSpinEdit::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        step(1);
        break;
    case Qt::Key_Down:
        step(-1);
        break;
    case Qt::Key_PageUp:
        step(PageSteps);
        break;
    case Qt::Key_PageDown:
        step(-PageSteps);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        commitText();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TqvtSpinEdit::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / WheelStep;
    if (steps != 0)
        step(steps);
    event->accept();
}

bool TqvtSpinEdit::eventFilter(QObject* watched, QEvent* event)
{
    // The keys that step reach the edit box first.
    if (watched == FEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown ||
            key == Qt::Key_Return || key == Qt::Key_Enter) {
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace corvane
