#include "corvane/widgets/qvtTreeCellEditors.h"

#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/widgets/qvtSpinEdit.h"
#include "corvane/widgets/qvtTextBarMemo.h"

#include "qvtInPlaceControls_p.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvane {

namespace {

constexpr int EnterKey = 13;
constexpr int EscapeKey = 27;
// A control narrower than this cannot show a caret and a character.
constexpr int MinControlWidth = 20;
// Combo styles from this one on offer only their items.
constexpr int DropDownListStyle = 2;

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

template <typename Type>
const Type* typeOf(const TQVTTreeCell& cell)
{
    return dynamic_cast<const Type*>(cell.FDataType.get());
}

} // namespace

// Hands the events of a control to its editor while the editor edits with it; a child of the
// control, so it goes with it.
class TQVTInPlaceEvents : public QObject {
public:
    TQVTInPlaceEvents(TQVTTreeCellEditor* editor, QObject* parent) : QObject(parent), editor(editor) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!editor)
            return QObject::eventFilter(watched, event);
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // The edit's own keys are no shortcuts of the window around it.
            if (endsEdit(*static_cast<QKeyEvent*>(event))) {
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
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

    TQVTTreeCellEditor* editor;

private:
    bool endsEdit(const QKeyEvent& key) const
    {
        if (editor->wantsAllKeys())
            return false;
        switch (key.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
            return !editor->wantsArrows() && (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        default:
            return false;
        }
    }
};

// ---------------------------------------------------------------------------------------------
// Installing

void installInPlaceEditors()
{
    TQVTTreeCell::EditorFactory = makeTreeCellEditor;
    TQVTTextBar::MemoFactory = []() -> std::unique_ptr<TQVTTextBarMemo> {
        return std::make_unique<TQVTTextBarMemoControl>();
    };
}

std::unique_ptr<TQVTObjectEditorIntf> makeTreeCellEditor(const TQVTTreeCell& cell)
{
    if (!cell.isEditable())
        return nullptr;
    switch (cell.kind()) {
    case TQVTTreeCell::ckSimpleText:
        return std::make_unique<TQVTTreeSimpleTextCellEditor>();
    case TQVTTreeCell::ckMultilineText:
        return std::make_unique<TQVTTreeMultilineTextCellEditor>();
    case TQVTTreeCell::ckDateTime:
        return std::make_unique<TQVTTreeDateTimeCellEditor>();
    case TQVTTreeCell::ckSpin:
        return std::make_unique<TQVTTreeSpinCellEditor>();
    case TQVTTreeCell::ckCurrency:
        return std::make_unique<TQVTTreeCurrencyCellEditor>();
    case TQVTTreeCell::ckCombo:
        return std::make_unique<TQVTTreeComboCellEditor>();
    case TQVTTreeCell::ckImageCombo:
        return std::make_unique<TQVTTreeImageComboCellEditor>();
    case TQVTTreeCell::ckButtonEdit:
        return std::make_unique<TQVTTreeButtonEditCellEditor>();
    case TQVTTreeCell::ckAuto:
    case TQVTTreeCell::ckPlain:
        break;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// The base

TQVTTreeCellEditor::TQVTTreeCellEditor() = default;

TQVTTreeCellEditor::~TQVTTreeCellEditor()
{
    *FAlive = false;
    closeControl();
}

void TQVTEditorControllerLink::set(TQVTControllerIntf* controller)
{
    FController = controller;
    FWidget = dynamic_cast<QWidget*>(controller);
    FIsWidget = FWidget != nullptr;
}

void TQVTEditorControllerLink::tell(std::initializer_list<std::pair<mouseEvent, int>> events) const
{
    const TQVTEditorControllerLink link = *this;
    for (const auto& [event, x] : events) {
        TQVTControllerIntf* const controller = link.get();
        if (!controller)
            return;
        controller->Notify(event, x, 0);
    }
}

TQVTControllerIntf* TQVTTreeCellEditor::GetController()
{
    return FController.get();
}

void TQVTTreeCellEditor::SetController(TQVTControllerIntf* controller)
{
    FController.set(controller);
}

TQVTDataSourceIntf* TQVTTreeCellEditor::dataSourceOf(TQVTTreeCell& cell)
{
    TQVTDocumentSetup* document = FindDocumentSetup(&cell);
    return document ? document->getDataSource() : nullptr;
}

std::shared_ptr<TQVTOperation> TQVTTreeCellEditor::edit(TQVTGanttObject* obj)
{
    auto* target = dynamic_cast<TQVTTreeCell*>(obj);
    QWidget* parent = FController.widget();
    if (!target || !parent || !accepts(*target) || !target->isEditable())
        return nullptr;
    // Only a cell the document holds is followed: the editor must notice when it goes.
    const auto held = std::static_pointer_cast<TQVTTreeCell>(target->weak_from_this().lock());
    if (!held)
        return nullptr;
    closeControl();
    FCell = held;
    FCancelled = false;
    QWidget* control = createControl(parent, *held);
    FControl = control;
    if (held->FRowSettings)
        control->setFont(inplace::qFont(held->FRowSettings->FFont));
    TQVTDrawer* drawer = held->getDrawer(vtGanttGraph);
    const TRect r = drawer ? drawer->getRect() : TRect{0, 0, 0, 0};
    control->setGeometry(r.Left, r.Top, std::max(r.Right - r.Left, MinControlWidth),
                         std::max(r.Bottom - r.Top, minimumHeight()));
    loadValue(*held);
    FLoadedText = controlText();
    auto* events = new TQVTInPlaceEvents(this, control);
    FEvents = events;
    control->installEventFilter(events);
    for (QWidget* part : control->findChildren<QWidget*>())
        part->installEventFilter(events);
    control->show();
    control->raise();
    if (QWidget* focus = focusTarget())
        focus->setFocus(Qt::OtherFocusReason);
    return nullptr;
}

std::shared_ptr<TQVTTreeCell> TQVTTreeCellEditor::editedCell() const
{
    // A cell taken out of its row may live on in an operation that can put it back; it is
    // not the cell that was opened any more.
    std::shared_ptr<TQVTTreeCell> edited = FCell.lock();
    const TQVTTreeRow* row = edited ? edited->getRow() : nullptr;
    return row && row->getCellIndex(edited.get()) >= 0 ? edited : nullptr;
}

std::shared_ptr<TQVTOperation> TQVTTreeCellEditor::FinishEditing()
{
    const std::shared_ptr<TQVTTreeCell> edited = editedCell();
    std::optional<TQVTTreeCellValue> value;
    bool refused = false;
    if (edited && FControl && !FCancelled && controlText() != FLoadedText) {
        value = readValue(*edited);
        refused = !value;
    }
    closeControl();
    FCell.reset();
    if (refused)
        QApplication::beep();
    if (!value || *value == edited->getValue())
        return nullptr;
    return std::make_shared<TQVTCellEditOperation>(dataSourceOf(*edited), edited, std::move(*value));
}

void TQVTTreeCellEditor::closeControl()
{
    if (FEvents)
        FEvents->editor = nullptr;
    FEvents = nullptr;
    FCancelled = false;
    if (QWidget* control = FControl) {
        FControl = nullptr;
        control->hide();
        // The control may be the one whose event is being handled.
        control->deleteLater();
    }
}

void TQVTTreeCellEditor::ControlKeyPress(int& key)
{
    if (key == EscapeKey) {
        key = 0;
        FCancelled = true;
        FController.tell({{stopEditing, 0}});
    } else if (key == EnterKey) {
        key = 0;
        FController.tell({{stopEditing, 0}, {treeCellExit, 0}});
    }
}

bool TQVTTreeCellEditor::ControlKeyDown(int key)
{
    if (key == Qt::Key_Up)
        FController.tell({{stopEditing, 0}, {treeCellExit, 1}});
    else if (key == Qt::Key_Down)
        FController.tell({{stopEditing, 0}, {treeCellExit, 0}});
    else
        return false;
    return true;
}

void TQVTTreeCellEditor::ControlExit()
{
    if (FControl && FControl->isVisible())
        FController.tell({{stopEditing, 0}});
}

bool TQVTTreeCellEditor::keyPressed(const QKeyEvent& event)
{
    if (wantsAllKeys())
        return false;
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        if ((modifiers & (Qt::ControlModifier | Qt::ShiftModifier)) && lineBreak())
            return true;
        int key = EnterKey;
        ControlKeyPress(key);
        return true;
    }
    case Qt::Key_Escape: {
        int key = EscapeKey;
        ControlKeyPress(key);
        return true;
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (modifiers != Qt::NoModifier || wantsArrows())
            return false;
        return ControlKeyDown(event.key());
    default:
        return false;
    }
}

void TQVTTreeCellEditor::focusLost(const QFocusEvent& event)
{
    if (!FHoldFocusExit && inplace::leavesControl(event, FControl))
        ControlExit();
}

// ---------------------------------------------------------------------------------------------
// Text

bool TQVTTreeSimpleTextCellEditor::accepts(const TQVTTreeCell& cell) const
{
    return cell.kind() == TQVTTreeCell::ckSimpleText;
}

QWidget* TQVTTreeSimpleTextCellEditor::createControl(QWidget* parent, const TQVTTreeCell&)
{
    auto* field = new QLineEdit(parent);
    field->setFrame(false);
    return field;
}

void TQVTTreeSimpleTextCellEditor::loadValue(const TQVTTreeCell& cell)
{
    edit()->setText(qs(cell.FText));
    edit()->selectAll();
}

QString TQVTTreeSimpleTextCellEditor::controlText() const
{
    return edit()->text();
}

std::optional<TQVTTreeCellValue> TQVTTreeSimpleTextCellEditor::readValue(const TQVTTreeCell&)
{
    return TQVTTreeCellValue{edit()->text().toStdString(), 0};
}

QLineEdit* TQVTTreeSimpleTextCellEditor::edit() const
{
    return static_cast<QLineEdit*>(FControl.data());
}

bool TQVTTreeMultilineTextCellEditor::accepts(const TQVTTreeCell& cell) const
{
    return cell.kind() == TQVTTreeCell::ckMultilineText;
}

QWidget* TQVTTreeMultilineTextCellEditor::createControl(QWidget* parent, const TQVTTreeCell&)
{
    auto* box = new QPlainTextEdit(parent);
    box->setTabChangesFocus(true);
    return box;
}

void TQVTTreeMultilineTextCellEditor::loadValue(const TQVTTreeCell& cell)
{
    QString text = qs(cell.FText);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    edit()->setPlainText(text);
    edit()->selectAll();
}

QString TQVTTreeMultilineTextCellEditor::controlText() const
{
    return edit()->toPlainText();
}

std::optional<TQVTTreeCellValue> TQVTTreeMultilineTextCellEditor::readValue(const TQVTTreeCell&)
{
    return TQVTTreeCellValue{edit()->toPlainText().toStdString(), 0};
}

bool TQVTTreeMultilineTextCellEditor::lineBreak()
{
    edit()->insertPlainText(QStringLiteral("\n"));
    return true;
}

int TQVTTreeMultilineTextCellEditor::minimumHeight() const
{
    constexpr int Lines = 3;
    const QPlainTextEdit* box = edit();
    const int margins = 2 * (box->frameWidth() + static_cast<int>(std::ceil(box->document()->documentMargin())));
    return Lines * QFontMetrics(box->font()).lineSpacing() + margins;
}

QPlainTextEdit* TQVTTreeMultilineTextCellEditor::edit() const
{
    return static_cast<QPlainTextEdit*>(FControl.data());
}

// ---------------------------------------------------------------------------------------------
// Date and time

namespace {

bool datesOnly(const TQVTTreeCell& cell)
{
    const auto* type = typeOf<TQVTTreeDateTimeCellType>(cell);
    return type && type->FNoTime;
}

} // namespace

bool TQVTTreeDateTimeCellEditor::accepts(const TQVTTreeCell& cell) const
{
    return cell.kind() == TQVTTreeCell::ckDateTime && dynamic_cast<const TQVTTreeDateTimeCell*>(&cell);
}

QWidget* TQVTTreeDateTimeCellEditor::createControl(QWidget* parent, const TQVTTreeCell& cell)
{
    auto* picker = new QDateTimeEdit(parent);
    // Days and hours as written, free of the local clock's daylight-saving gaps.
    picker->setTimeSpec(Qt::UTC);
    picker->setDateTimeRange(QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC),
                             QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC));
    picker->setDisplayFormat(datesOnly(cell) ? QStringLiteral("dd.MM.yyyy") : QStringLiteral("dd.MM.yyyy HH:mm"));
    picker->setCalendarPopup(true);
    picker->setFrame(false);
    return picker;
}

void TQVTTreeDateTimeCellEditor::loadValue(const TQVTTreeCell& cell)
{
    const TDateTime date = static_cast<const TQVTTreeDateTimeCell&>(cell).FDate;
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    DecodeDate(date, year, month, day);
    DecodeTime(date, hour, minute, second, millisecond);
    edit()->setDateTime(QDateTime(QDate(year, month, day), QTime(hour, minute, second, millisecond), Qt::UTC));
    edit()->setSelectedSection(QDateTimeEdit::DaySection);
}

QString TQVTTreeDateTimeCellEditor::controlText() const
{
    return edit()->text();
}

std::optional<TQVTTreeCellValue> TQVTTreeDateTimeCellEditor::readValue(const TQVTTreeCell& cell)
{
    QDateTimeEdit* picker = edit();
    if (!picker->hasAcceptableInput())
        return std::nullopt;
    picker->interpretText();
    const QDateTime shown = picker->dateTime();
    if (!shown.isValid())
        return std::nullopt;
    const auto& dateCell = static_cast<const TQVTTreeDateTimeCell&>(cell);
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    DecodeDate(dateCell.FDate, year, month, day);
    DecodeTime(dateCell.FDate, hour, minute, second, millisecond);
    if (!datesOnly(cell)) {
        hour = shown.time().hour();
        minute = shown.time().minute();
    }
    const QDate date = shown.date();
    return dateCell.valueOf(EncodeDateTime(date.year(), date.month(), date.day(), hour, minute, second, millisecond));
}

QDateTimeEdit* TQVTTreeDateTimeCellEditor::edit() const
{
    return static_cast<QDateTimeEdit*>(FControl.data());
}

// ---------------------------------------------------------------------------------------------
// Spin

bool TQVTTreeSpinCellEditor::accepts(const TQVTTreeCell& cell) const
{
    return cell.kind() == TQVTTreeCell::ckSpin && dynamic_cast<const TQVTTreeSpinCell*>(&cell);
}

QWidget* TQVTTreeSpinCellEditor::createControl(QWidget* parent, const TQVTTreeCell& cell)
{
    auto* spinEdit = new TqvtSpinEdit(parent);
    spinEdit->setDecimals(0);
    spinEdit->setIncrement(1);
    if (const auto* type = typeOf<TQVTTreeSpinCellType>(cell))
        spinEdit->setLimits(type->FMin, type->FMax);
    spinEdit->Editor()->setFrame(false);
    return spinEdit;
}

void TQVTTreeSpinCellEditor::loadValue(const TQVTTreeCell& cell)
{
    spin()->setValue(static_cast<const TQVTTreeSpinCell&>(cell).FNumber);
    spin()->Editor()->selectAll();
}

QString TQVTTreeSpinCellEditor::controlText() const
{
    return spin()->Editor()->text();
}

std::optional<TQVTTreeCellValue> TQVTTreeSpinCellEditor::readValue(const TQVTTreeCell&)
{
    const std::optional<double> parsed = TqvtSpinEdit::parse(controlText().toStdString());
    if (!parsed)
        return std::nullopt;
    double number = *parsed;
    const TqvtSpinEdit* spinEdit = spin();
    if (spinEdit->MinValue() != 0 || spinEdit->MaxValue() != 0)
        number = std::clamp(number, spinEdit->MinValue(), spinEdit->MaxValue());
    number = std::round(number);
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return std::nullopt;
    return TQVTTreeSpinCell::valueOf(static_cast<int>(number));
}

QWidget* TQVTTreeSpinCellEditor::focusTarget() const
{
    return spin()->Editor();
}

TqvtSpinEdit* TQVTTreeSpinCellEditor::spin() const
{
    return static_cast<TqvtSpinEdit*>(FControl.data());
}

// ---------------------------------------------------------------------------------------------
// Currency

namespace {

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QChar(0x202F);
}

} // namespace

TQVTCurrencyValidator::TQVTCurrencyValidator(const QLocale& locale, QObject* parent)
    : QValidator(parent),
      FLocale(locale)
{
}

QString TQVTCurrencyValidator::normalized(const QString& text) const
{
    // One character for each part: '-' the sign, ',' a group separator, '.' the decimal point.
    const QString group = FLocale.groupSeparator();
    const QString point = FLocale.decimalPoint();
    const QString minus = FLocale.negativeSign();
    const bool spaceGroups = group.size() == 1 && isSpace(group.front());
    QString out;
    const QString trimmed = text.trimmed();
    for (qsizetype i = 0; i < trimmed.size();) {
        const QStringView rest = QStringView(trimmed).mid(i);
        if (!point.isEmpty() && rest.startsWith(point)) {
            out += QLatin1Char('.');
            i += point.size();
        } else if (!group.isEmpty() && rest.startsWith(group)) {
            out += QLatin1Char(',');
            i += group.size();
        } else if (spaceGroups && isSpace(rest.front())) {
            out += QLatin1Char(',');
            ++i;
        } else if (out.isEmpty() &&
                   (rest.front() == QLatin1Char('-') || (!minus.isEmpty() && rest.startsWith(minus)))) {
            out += QLatin1Char('-');
            i += rest.front() == QLatin1Char('-') ? 1 : minus.size();
        } else if (rest.front() >= QLatin1Char('0') && rest.front() <= QLatin1Char('9')) {
            out += rest.front();
            ++i;
        } else {
            out += QLatin1Char('?');
            ++i;
        }
    }
    return out;
}

QValidator::State TQVTCurrencyValidator::validate(QString& input, int&) const
{
    const QString text = normalized(input);
    if (text.isEmpty())
        return Acceptable;
    qsizetype i = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    // The whole part: runs of digits between group separators.
    std::vector<qsizetype> runs{0};
    for (; i < text.size() && text[i] != QLatin1Char('.'); ++i) {
        if (text[i] == QLatin1Char(','))
            runs.push_back(0);
        else if (text[i].isDigit())
            ++runs.back();
        else
            return Invalid;
    }
    qsizetype decimals = -1;
    if (i < text.size()) {
        decimals = 0;
        for (++i; i < text.size(); ++i) {
            if (!text[i].isDigit())
                return Invalid;
            ++decimals;
        }
    }
    if (decimals > Decimals)
        return Invalid;
    qsizetype digits = 0;
    for (const qsizetype run : runs)
        digits += run;
    constexpr int MaxWholeDigits = 15; // TQVTTreeCurrencyCell::MaxValue has 15
    if (digits > MaxWholeDigits)
        return Invalid;
    State state = Acceptable;
    if (runs.size() > 1) {
        if (runs.front() == 0 || runs.front() > 3)
            return Invalid;
        for (std::size_t k = 1; k < runs.size(); ++k) {
            if (runs[k] > 3)
                return Invalid;
            if (runs[k] < 3)
                state = Intermediate; // a group still being typed
        }
    }
    if (digits == 0 && decimals <= 0)
        state = Intermediate; // a sign or a separator alone
    if (state == Acceptable) {
        QString number = text;
        number.remove(QLatin1Char(','));
        bool ok = false;
        const double value = number.toDouble(&ok);
        if (ok && std::abs(value) > TQVTTreeCurrencyCell::MaxValue)
            return Invalid;
    }
    return state;
}

std::optional<double> TQVTCurrencyValidator::amount(const QString& text) const
{
    QString input = text;
    int pos = 0;
    if (validate(input, pos) != Acceptable)
        return std::nullopt;
    QString number = normalized(text);
    if (number.isEmpty())
        return 0.0;
    number.remove(QLatin1Char(','));
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value == 0 ? 0.0 : value; // no "-0,00"
}

QString TQVTCurrencyValidator::format(double amount) const
{
    return FLocale.toString(amount, 'f', Decimals);
}

bool TQVTTreeCurrencyCellEditor::accepts(const TQVTTreeCell& cell) const
{
    return cell.kind() == TQVTTreeCell::ckCurrency && dynamic_cast<const TQVTTreeCurrencyCell*>(&cell);
}

QWidget* TQVTTreeCurrencyCellEditor::createControl(QWidget* parent, const TQVTTreeCell&)
{
    auto* field = new QLineEdit(parent);
    field->setFrame(false);
    field->setValidator(new TQVTCurrencyValidator(QLocale(), field));
    return field;
}

void TQVTTreeCurrencyCellEditor::loadValue(const TQVTTreeCell& cell)
{
    const auto& currency = static_cast<const TQVTTreeCurrencyCell&>(cell);
    edit()->setText(currency.FText.empty() && currency.FValue == 0 ? QString() : validator()->format(currency.FValue));
    edit()->selectAll();
}

QString TQVTTreeCurrencyCellEditor::controlText() const
{
    return edit()->text();
}

std::optional<TQVTTreeCellValue> TQVTTreeCurrencyCellEditor::readValue(const TQVTTreeCell&)
{
    const QString text = edit()->text();
    const std::optional<double> value = validator()->amount(text);
    if (!value)
        return std::nullopt;
    if (text.trimmed().isEmpty())
        return TQVTTreeCellValue{};
    return TQVTTreeCellValue{validator()->format(*value).toStdString(), *value};
}

QLineEdit* TQVTTreeCurrencyCellEditor::edit() const
{
    return static_cast<QLineEdit*>(FControl.data());
}

const TQVTCurrencyValidator* TQVTTreeCurrencyCellEditor::validator() const
{
    return static_cast<const TQVTCurrencyValidator*>(edit()->validator());
}

// ---------------------------------------------------------------------------------------------
// Combo boxes

namespace {

// A combo box that knows when its list was closed a moment ago: the key that closed it (Enter,
// Esc) may still reach the box, and belongs to the list.
class TQVTCellComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;

    void hidePopup() override
    {
        QComboBox::hidePopup();
        FListClosing = true;
        QTimer::singleShot(0, this, [this] { FListClosing = false; });
    }
    bool listActive() const { return FListClosing || (view() && view()->isVisible()); }

private:
    bool FListClosing = false;
};

QComboBox* makeCombo(QWidget* parent, const std::vector<std::string>& items, bool editable)
{
    auto* box = new TQVTCellComboBox(parent);
    box->setEditable(editable);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& item : items)
        box->addItem(qs(item));
    return box;
}

} // namespace

bool TQVTTreeComboCellEditor::accepts(const TQVTTreeCell& cell) const
{
    return cell.kind() == TQVTTreeCell::ckCombo;
}

QWidget* TQVTTreeComboCellEditor::createControl(QWidget* parent, const TQVTTreeCell& cell)
{
    const auto* type = typeOf<TQVTTreeComboCellType>(cell);
    static const std::vector<std::string> none;
    return makeCombo(parent, type ? type->FItems : none, !type || type->FStyle < DropDownListStyle);
}

void TQVTTreeComboCellEditor::loadValue(const TQVTTreeCell& cell)
{
    QComboBox* box = combo();
    const QString text = qs(cell.FText);
    box->setCurrentIndex(box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (box->isEditable()) {
        box->setEditText(text);
        box->lineEdit()->selectAll();
    }
}

QString TQVTTreeComboCellEditor::controlText() const
{
    return combo()->currentText();
}

std::optional<TQVTTreeCellValue> TQVTTreeComboCellEditor::readValue(const TQVTTreeCell&)
{
    const QComboBox* box = combo();
    if (!box->isEditable() && box->currentIndex() < 0)
        return std::nullopt;
    return TQVTTreeCellValue{box->currentText().toStdString(), 0};
}

bool TQVTTreeComboCellEditor::wantsAllKeys() const
{
    const auto* box = static_cast<const TQVTCellComboBox*>(combo());
    return box && box->listActive();
}

QComboBox* TQVTTreeComboCellEditor::combo() const
{
    return static_cast<QComboBox*>(FControl.data());
}

std::function<std::vector<QIcon>(const std::string& images)> TQVTTreeImageComboCellEditor::Images;

bool TQVTTreeImageComboCellEditor::accepts(const TQVTTreeCell& cell) const
{
    return cell.kind() == TQVTTreeCell::ckImageCombo;
}

QWidget* TQVTTreeImageComboCellEditor::createControl(QWidget* parent, const TQVTTreeCell& cell)
{
    const auto* type = typeOf<TQVTTreeImageComboCellType>(cell);
    static const std::vector<std::string> none;
    QComboBox* box = makeCombo(parent, type ? type->FItems : none, false);
    if (type && !type->FImages.empty() && Images) {
        const std::vector<QIcon> icons = Images(type->FImages);
        const int count = std::min(box->count(), static_cast<int>(icons.size()));
        for (int i = 0; i < count; ++i)
            box->setItemIcon(i, icons[static_cast<std::size_t>(i)]);
    }
    return box;
}

// ---------------------------------------------------------------------------------------------
// Button edit

bool TQVTTreeButtonEditCellEditor::accepts(const TQVTTreeCell& cell) const
{
    return cell.kind() == TQVTTreeCell::ckButtonEdit;
}

QWidget* TQVTTreeButtonEditCellEditor::createControl(QWidget* parent, const TQVTTreeCell& cell)
{
    auto* box = new QWidget(parent);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    FEdit = new QLineEdit(box);
    FEdit->setFrame(false);
    FButton = new QToolButton(box);
    const auto* type = typeOf<TQVTTreeButtonEditCellType>(cell);
    FButton->setText(qs(type ? type->FButton : "..."));
    // The field keeps the focus while the button is clicked.
    FButton->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(FEdit, 1);
    layout->addWidget(FButton);
    QObject::connect(FButton, &QToolButton::clicked, box, [this, alive = FAlive] {
        if (*alive)
            buttonClicked();
    });
    return box;
}

void TQVTTreeButtonEditCellEditor::loadValue(const TQVTTreeCell& cell)
{
    FEdit->setText(qs(cell.FText));
    FEdit->selectAll();
}

QString TQVTTreeButtonEditCellEditor::controlText() const
{
    return FEdit ? FEdit->text() : QString();
}

std::optional<TQVTTreeCellValue> TQVTTreeButtonEditCellEditor::readValue(const TQVTTreeCell&)
{
    return TQVTTreeCellValue{controlText().toStdString(), 0};
}

QWidget* TQVTTreeButtonEditCellEditor::focusTarget() const
{
    return FEdit;
}

QLineEdit* TQVTTreeButtonEditCellEditor::edit() const
{
    return FControl ? FEdit.data() : nullptr;
}

QToolButton* TQVTTreeButtonEditCellEditor::button() const
{
    return FControl ? FButton.data() : nullptr;
}

void TQVTTreeButtonEditCellEditor::buttonClicked()
{
    const std::shared_ptr<TQVTTreeCell> edited = editedCell();
    if (!edited || !FControl)
        return;
    const std::string before = edited->FText;
    const std::shared_ptr<bool> alive = FAlive;
    // A handler may open a dialog or move the focus: the edit goes on until it returns.
    FHoldFocusExit = true;
    if (const auto* type = typeOf<TQVTTreeButtonEditCellType>(*edited); type && type->FOnClick) {
        const auto onClick = type->FOnClick;
        onClick(edited.get());
        if (!*alive)
            return;
    }
    if (TQVTDataSourceIntf* dataSource = dataSourceOf(*edited); dataSource && dataSource->onTreeCellButtonClicked) {
        const auto onClicked = dataSource->onTreeCellButtonClicked;
        onClicked(edited.get());
        if (!*alive)
            return;
    }
    FHoldFocusExit = false;
    if (!FControl || editedCell() != edited)
        return; // the handler ended the edit
    if (edited->FText != before) {
        // The text a handler chose becomes the edit's, so that it is undone with it.
        const std::string chosen = edited->FText;
        edited->SetText(before);
        FEdit->setText(qs(chosen));
    }
    FEdit->setFocus(Qt::OtherFocusReason);
}

} // namespace corvane
