#pragma once
// The numeric spin edit: an edit box for a number with up and down buttons that repeat while
// held. The spin cell editor and the dialogs use it.

#include <QToolButton>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QLineEdit;

namespace corvane {

/// A button that clicks again and again while it is held: first after InitialDelay
/// milliseconds, then every RepeatInterval milliseconds.
class TTimerSpeedButton : public QToolButton {
public:
    explicit TTimerSpeedButton(Qt::ArrowType arrow, QWidget* parent = nullptr);

    static constexpr int InitialDelay = 400;
    static constexpr int RepeatInterval = 100;
};

/// The pair of repeating buttons beside the edit box, up above down.
class TSpinButton : public QWidget {
public:
    explicit TSpinButton(QWidget* parent = nullptr);

    TTimerSpeedButton* UpButton() const { return FUp; }
    TTimerSpeedButton* DownButton() const { return FDown; }

    /// Told at every click and every repeat of the button.
    std::function<void()> OnUpClick;
    std::function<void()> OnDownClick;

private:
    TTimerSpeedButton* FUp;
    TTimerSpeedButton* FDown;
};

/// An edit box that holds a number. The up and down buttons, the arrow keys (Page Up and Page
/// Down: ten steps) and the mouse wheel step it by Increment. Values are kept within
/// MinValue..MaxValue, except that MinValue and MaxValue both 0 mean no limits. Text that is no
/// number is refused: leaving the box or pressing Enter puts back the last value. Both "." and
/// "," are read as the decimal separator; Decimals digits are shown after ".".
class TqvtSpinEdit : public QWidget {
public:
    explicit TqvtSpinEdit(QWidget* parent = nullptr);
    ~TqvtSpinEdit() override;

    double Value() const { return FValue; }
    /// Clamps value to the limits, rounds it to Decimals digits and shows it; tells OnChange
    /// when the value changed.
    void setValue(double value);

    double MinValue() const { return FMinValue; }
    double MaxValue() const { return FMaxValue; }
    /// Sets both limits (swapped when given the wrong way round) and clamps the value.
    void setLimits(double minValue, double maxValue);
    double Increment() const { return FIncrement; }
    /// Steps of 0 or below are refused (the step stays).
    void setIncrement(double increment);
    int Decimals() const { return FDecimals; }
    /// 0..10 digits after the decimal separator.
    void setDecimals(int decimals);

    /// Steps the value by count increments (negative: down).
    void step(int count);
    /// The number the text shows, or none when it is no number.
    static std::optional<double> parse(const std::string& text);

    QLineEdit* Editor() const { return FEdit; }
    TSpinButton* Buttons() const { return FButtons; }

    /// Told after every change of the value.
    std::function<void(TqvtSpinEdit* sender)> OnChange;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    double clamped(double value) const;
    void showValue();
    void commitText();

    QLineEdit* FEdit;
    TSpinButton* FButtons;
    double FValue = 0;
    double FMinValue = 0;
    double FMaxValue = 0;
    double FIncrement = 1;
    int FDecimals = 0;
};

} // namespace corvane
