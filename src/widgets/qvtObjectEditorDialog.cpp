#include "corvane/widgets/qvtObjectEditorDialog.h"

#include "corvane/framework/objects/qvtProperties.h"
#include "corvane/platform/Dialogs.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <exception>

namespace corvane {

namespace {

constexpr QRgb GridColor = 0x808080;

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

QString toQt(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Type editors

TQVTTypeEditor::TQVTTypeEditor(TQVTGanttObject* instance, std::string propName)
    : FInstance(instance),
      FPropName(std::move(propName))
{
}

TQVTTypeEditor::~TQVTTypeEditor() = default;

bool TQVTTypeEditor::findProperty(TQVTPropertyInfo& info) const
{
    if (!FInstance)
        return false;
    const TQVTPublishedProperties properties = PublishedPropertiesOf(*FInstance);
    const TQVTPropertyInfo* found = properties.find(FPropName);
    if (!found)
        return false;
    info = *found;
    return true;
}

void TQVTTypeEditor::releaseControl(QWidget* control)
{
    if (control && !control->parent())
        delete control;
}

TQVTStringEditor::TQVTStringEditor(TQVTGanttObject* instance, std::string propName)
    : TQVTTypeEditor(instance, std::move(propName)),
      FEdit(new QLineEdit)
{
    TQVTPropertyInfo info;
    FEdit->setReadOnly(!findProperty(info) || info.isReadOnly());
}

TQVTStringEditor::~TQVTStringEditor()
{
    releaseControl(FEdit);
}

void TQVTStringEditor::Store()
{
    Validate();
    TQVTPropertyInfo info;
    if (!findProperty(info) || info.isReadOnly())
        return;
    try {
        info.SetText(GetPropValue());
    } catch (const EConvertError& e) {
        throw EQVTTypeEditorException(e.what(), this);
    }
}

void TQVTStringEditor::Load()
{
    TQVTPropertyInfo info;
    FLoaded = findProperty(info) && info.GetText ? info.GetText() : std::string();
    FEdit->setText(toQt(FLoaded));
    FEdit->setCursorPosition(0);
}

std::string TQVTStringEditor::GetPropValue() const
{
    return FEdit ? FEdit->text().toStdString() : FLoaded;
}

QWidget* TQVTStringEditor::GetControl() const
{
    return FEdit;
}

bool TQVTStringEditor::IsModified() const
{
    return GetPropValue() != FLoaded;
}

void TQVTIntegerEditor::Store()
{
    TQVTStringEditor::Store();
}

void TQVTIntegerEditor::Validate() const
{
    TQVTPropertyInfo info;
    if (!findProperty(info) || info.isReadOnly())
        return;
    std::int64_t value = 0;
    if (!TryTextToInteger(GetPropValue(), info.MinValue, info.MaxValue, value))
        throw EQVTTypeEditorException("Not a valid integer", this);
}

void TQVTFloatEditor::Store()
{
    TQVTStringEditor::Store();
}

void TQVTFloatEditor::Validate() const
{
    TQVTPropertyInfo info;
    if (!findProperty(info) || info.isReadOnly())
        return;
    double value = 0;
    if (!TryTextToFloat(GetPropValue(), value))
        throw EQVTTypeEditorException("Not a valid float", this);
}

TQVTClassEditor::TQVTClassEditor(TQVTGanttObject* instance, std::string propName)
    : TQVTStringEditor(instance, std::move(propName)),
      FPanel(new QWidget)
{
    FEdit->setReadOnly(true);
    auto* layout = new QHBoxLayout(FPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(FEdit);
    ObjectEditor = GetObjectEditor(currentObject());
    if (ObjectEditor) {
        FButton = new QPushButton(QStringLiteral("..."), FPanel);
        FButton->setFixedWidth(15);
        FButton->setAutoDefault(false);
        layout->addWidget(FButton);
        QObject::connect(FButton, &QPushButton::clicked, FButton, [this] { DoObjectEdit(); });
    }
}

TQVTClassEditor::~TQVTClassEditor()
{
    // The edit field lives in the panel; the panel goes with the form or here.
    releaseControl(FPanel);
}

void TQVTClassEditor::Load()
{
    TQVTGanttObject* object = currentObject();
    // Built through QString: GCC 12 warns wrongly about std::string concatenation here at -O3.
    FLoaded = object ? QStringLiteral("(%1)").arg(QString::fromStdString(object->ClassName())).toStdString()
                     : std::string();
    FEdit->setText(toQt(FLoaded));
}

QWidget* TQVTClassEditor::GetControl() const
{
    return FPanel;
}

std::unique_ptr<TQVTObjectEditorIntf> TQVTClassEditor::GetObjectEditor(TQVTGanttObject* obj)
{
    if (!obj)
        return nullptr;
    return std::make_unique<TQVTGanttObjectEditor>();
}

TQVTGanttObject* TQVTClassEditor::currentObject() const
{
    TQVTPropertyInfo info;
    if (!findProperty(info) || info.Kind != TQVTPropertyKind::Class || !info.GetObject)
        return nullptr;
    return info.GetObject();
}

void TQVTClassEditor::DoObjectEdit()
{
    FOperation.reset();
    if (ObjectEditor)
        FOperation = ObjectEditor->edit(currentObject());
}

std::unique_ptr<TQVTTypeEditor> getTypeEditor(TQVTPropertyKind kind, TQVTGanttObject* instance,
                                              const std::string& propName)
{
    switch (kind) {
    case TQVTPropertyKind::Integer:
        return std::make_unique<TQVTIntegerEditor>(instance, propName);
    case TQVTPropertyKind::Float:
        return std::make_unique<TQVTFloatEditor>(instance, propName);
    case TQVTPropertyKind::ShortString:
        return std::make_unique<TQVTStringEditor>(instance, propName);
    case TQVTPropertyKind::Class:
        return std::make_unique<TQVTClassEditor>(instance, propName);
    case TQVTPropertyKind::Other:
        break;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// The form

void TQVTPaintBox::paintEvent(QPaintEvent*)
{
    if (!OnPaint)
        return;
    QPainter painter(this);
    OnPaint(painter);
}

void TQVTPaintBox::mousePressEvent(QMouseEvent* event)
{
    if (OnMouseDown)
        OnMouseDown(event->position().toPoint().y());
}

void TQVTPaintBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (OnResize)
        OnResize();
}

std::function<int(TQVTObjectEditorForm& form)> TQVTObjectEditorForm::ModalRunner;

TQVTObjectEditorForm::TQVTObjectEditorForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("QVTObjectEditorForm"));
    // The platform's dialog font where it exists, else the application's, at an 11-pixel em.
    QFont font = QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif")) ? QFont(QStringLiteral("MS Sans Serif"))
                                                                           : QApplication::font();
    font.setPixelSize(11);
    setFont(font);

    sbObjectEditor = new QScrollArea(this);
    sbObjectEditor->setObjectName(QStringLiteral("sbObjectEditor"));
    sbObjectEditor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sbObjectEditor->setWidgetResizable(true);
    sbObjectEditor->setFrameShape(QFrame::NoFrame);
    // Three properties make a 100-pixel form; the scroll box must not ask for more.
    sbObjectEditor->setMinimumSize(1, 1);
    Splitter = new QSplitter(Qt::Horizontal);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setHandleWidth(3);
    Splitter->setChildrenCollapsible(false);
    pbNames = new TQVTPaintBox;
    pbNames->setObjectName(QStringLiteral("pbNames"));
    pbValues = new TQVTPaintBox;
    pbValues->setObjectName(QStringLiteral("pbValues"));
    Splitter->addWidget(pbNames);
    Splitter->addWidget(pbValues);
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({NamesWidth, FormWidth - NamesWidth - Splitter->handleWidth()});
    sbObjectEditor->setWidget(Splitter);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(PanelHeight);
    btnOK = new QPushButton(QStringLiteral("OK"), Panel1);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnOK->setGeometry(0, 8, 75, 25);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), Panel1);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    btnCancel->setGeometry(0, 8, 75, 25);
    connect(btnOK, &QPushButton::clicked, this, [this] {
        if (!OnAccept || OnAccept())
            accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(sbObjectEditor, 1);
    layout->addWidget(Panel1);
    resize(FormWidth, FormHeight);
    FormResize();
}

void TQVTObjectEditorForm::FormResize()
{
    const int half = Panel1->width() / 2;
    btnOK->move(half - btnOK->width() - 15, 8);
    btnCancel->move(half + 15, 8);
}

void TQVTObjectEditorForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // The panel takes its new width from the layout, which runs before the buttons move.
    Panel1->resize(width(), PanelHeight);
    FormResize();
}

int TQVTObjectEditorForm::ShowModal()
{
    return ModalRunner ? ModalRunner(*this) : exec();
}

// ---------------------------------------------------------------------------------------------
// The drawer

TQVTGanttObjectEditorDrawer::TQVTGanttObjectEditorDrawer(const std::vector<TQVTTypeEditor*>& typeEditors)
    : Form(std::make_unique<TQVTObjectEditorForm>()),
      TypeEditors(typeEditors)
{
    for (TQVTTypeEditor* editor : TypeEditors) {
        QWidget* control = editor->GetControl();
        // Named after its property, so that an application (or a test) can find the field.
        control->setObjectName(QString::fromStdString(editor->PropName()));
        control->hide();
        control->setParent(Form->pbValues);
        control->setFixedHeight(ControlHeight);
    }
    const int height = RowHeight * static_cast<int>(TypeEditors.size());
    Form->pbNames->setFixedHeight(height);
    Form->pbValues->setFixedHeight(height);
    Form->Splitter->setFixedHeight(height);
    Form->resize(Form->width(), std::clamp(height, MinAreaHeight, MaxAreaHeight));
    Form->pbNames->OnPaint = [this](QPainter& painter) { PaintNames(painter); };
    Form->pbValues->OnPaint = [this](QPainter& painter) { PaintValues(painter); };
    Form->pbNames->OnMouseDown = [this](int y) { MouseDown(y); };
    Form->pbValues->OnMouseDown = [this](int y) { MouseDown(y); };
    Form->pbValues->OnResize = [this] { placeControl(LastSelected); };
    Form->OnAccept = [this] { return ValidateAll(); };
    HighlightEditor(0);
}

TQVTGanttObjectEditorDrawer::~TQVTGanttObjectEditorDrawer()
{
    // The form must not call back into a drawer that is going.
    Form->pbNames->OnPaint = nullptr;
    Form->pbValues->OnPaint = nullptr;
    Form->pbNames->OnMouseDown = nullptr;
    Form->pbValues->OnMouseDown = nullptr;
    Form->pbValues->OnResize = nullptr;
    Form->OnAccept = nullptr;
}

int TQVTGanttObjectEditorDrawer::Draw()
{
    return Form->ShowModal();
}

void TQVTGanttObjectEditorDrawer::PaintNames(QPainter& painter)
{
    const int width = Form->pbNames->width();
    const QPalette& palette = Form->palette();
    for (int i = 0; i < static_cast<int>(TypeEditors.size()); ++i) {
        const QRect text(2, RowHeight * i + 1, width - 4, RowHeight - 1);
        painter.setPen(palette.color(QPalette::WindowText));
        if (i == LastSelected) {
            painter.fillRect(QRect(0, RowHeight * i, width, RowHeight - 1), palette.color(QPalette::Highlight));
            painter.setPen(palette.color(QPalette::HighlightedText));
        }
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                         toQt(TypeEditors[static_cast<std::size_t>(i)]->PropName()));
    }
    painter.setPen(QPen(QColor(GridColor), 1, Qt::DotLine));
    for (int i = 0; i < static_cast<int>(TypeEditors.size()); ++i)
        painter.drawLine(0, RowHeight * i + RowHeight - 1, width - 1, RowHeight * i + RowHeight - 1);
}

void TQVTGanttObjectEditorDrawer::PaintValues(QPainter& painter)
{
    const int width = Form->pbValues->width();
    painter.setPen(Form->palette().color(QPalette::WindowText));
    for (int i = 0; i < static_cast<int>(TypeEditors.size()); ++i) {
        const QRect text(2, RowHeight * i + 1, width - 4, RowHeight - 1);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                         toQt(TypeEditors[static_cast<std::size_t>(i)]->GetPropValue()));
    }
    painter.setPen(QPen(QColor(GridColor), 1, Qt::DotLine));
    for (int i = 0; i < static_cast<int>(TypeEditors.size()); ++i)
        painter.drawLine(0, RowHeight * i + RowHeight - 1, width - 1, RowHeight * i + RowHeight - 1);
    // The selected row's control is kept over its cell by the box's resize handling, not from
    // here: moving widgets while painting would ask for paints without end.
}

void TQVTGanttObjectEditorDrawer::MouseDown(int y)
{
    if (y >= 0)
        HighlightEditor(y / RowHeight);
}

void TQVTGanttObjectEditorDrawer::HighlightEditor(int i)
{
    if (LastSelected >= 0 && LastSelected < static_cast<int>(TypeEditors.size()))
        TypeEditors[static_cast<std::size_t>(LastSelected)]->GetControl()->hide();
    if (i < 0 || i >= static_cast<int>(TypeEditors.size()))
        return;
    LastSelected = i;
    placeControl(i);
    QWidget* control = TypeEditors[static_cast<std::size_t>(i)]->GetControl();
    control->show();
    control->raise();
    QWidget* focus = qobject_cast<QLineEdit*>(control) ? control : control->findChild<QLineEdit*>();
    (focus ? focus : control)->setFocus();
    Form->sbObjectEditor->ensureVisible(0, RowHeight * i + RowHeight / 2, 0, RowHeight);
    Form->pbNames->update();
    Form->pbValues->update();
}

void TQVTGanttObjectEditorDrawer::placeControl(int i)
{
    if (i < 0 || i >= static_cast<int>(TypeEditors.size()))
        return;
    TypeEditors[static_cast<std::size_t>(i)]->GetControl()->setGeometry(0, RowHeight * i, Form->pbValues->width(),
                                                                        ControlHeight);
}

bool TQVTGanttObjectEditorDrawer::ValidateAll()
{
    for (std::size_t i = 0; i < TypeEditors.size(); ++i) {
        if (!TypeEditors[i]->IsModified())
            continue;
        try {
            TypeEditors[i]->Validate();
        } catch (const EQVTTypeEditorException& e) {
            HighlightEditor(static_cast<int>(i));
            if (auto* edit = qobject_cast<QLineEdit*>(TypeEditors[i]->GetControl()))
                edit->selectAll();
            ShowMessage(TypeEditors[i]->PropName() + ": " + e.what());
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// The editor

std::shared_ptr<TQVTOperation> TQVTGanttObjectEditor::edit(TQVTGanttObject* obj)
{
    std::shared_ptr<TQVTOperation> op = TQVTObjectEditor::edit(obj);
    auto* edit = dynamic_cast<TQVTEditObjectOperation*>(op.get());
    if (!edit)
        return nullptr;

    // The properties of the object's class that have a type editor, sorted by name.
    std::vector<std::unique_ptr<TQVTTypeEditor>> typeEditors;
    {
        const TQVTPublishedProperties properties = PublishedPropertiesOf(*obj);
        std::vector<const TQVTPropertyInfo*> sorted;
        for (const TQVTPropertyInfo& info : properties.items())
            sorted.push_back(&info);
        std::stable_sort(sorted.begin(), sorted.end(), [](const TQVTPropertyInfo* a, const TQVTPropertyInfo* b) {
            const std::string x = lowered(a->Name);
            const std::string y = lowered(b->Name);
            return x != y ? x < y : a->Name < b->Name;
        });
        for (const TQVTPropertyInfo* info : sorted)
            if (auto typeEditor = getTypeEditor(info->Kind, obj, info->Name))
                typeEditors.push_back(std::move(typeEditor));
    }
    for (const auto& typeEditor : typeEditors)
        typeEditor->Load();

    std::vector<TQVTTypeEditor*> list;
    for (const auto& typeEditor : typeEditors)
        list.push_back(typeEditor.get());
    auto drawer = std::make_unique<TQVTGanttObjectEditorDrawer>(list);
    if (drawer->Draw() != QDialog::Accepted)
        return nullptr;

    // Every value was checked when OK was pressed, so a refusal here is the property's own
    // (a setter that throws): what was stored so far is put back.
    try {
        for (const auto& typeEditor : typeEditors)
            if (typeEditor->IsModified())
                typeEditor->Store();
    } catch (const std::exception& e) {
        edit->Revert();
        ShowMessage(e.what());
        return nullptr;
    }
    edit->Activate();

    std::vector<std::shared_ptr<TQVTOperation>> nested;
    for (const auto& typeEditor : typeEditors)
        if (auto* classEditor = dynamic_cast<TQVTClassEditor*>(typeEditor.get());
            classEditor && classEditor->FOperation)
            nested.push_back(classEditor->FOperation);
    if (!edit->changesSomething() && nested.empty())
        return nullptr;
    for (const auto& part : nested) {
        auto group = std::make_shared<TQVTMultipleOperations>();
        group->addOperation(op);
        group->addOperation(part);
        op = group;
    }
    // The form goes before the type editors whose controls it holds.
    drawer.reset();
    return op;
}

} // namespace corvane
