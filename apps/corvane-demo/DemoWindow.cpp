#include "DemoWindow.h"

#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/objects/qvtObjectEditor.h"
#include "corvane/framework/tasktable/qvtTreeCellTypes.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/localization/qvtLocalization.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/FormatSettings.h"
#include "corvane/widgets/qvtGanttGraph.h"
#include "corvane/widgets/qvtObjectEditorDialog.h"
#include "corvane/widgets/qvtTreeCellEditors.h"

#include <QActionGroup>
#include <QComboBox>
#include <QIcon>
#include <QMenu>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>
#include <iterator>
#include <cstdio>
#include <vector>

using namespace corvane;

namespace {

std::string storageOf(const QString& path)
{
    return "file://" + QFileInfo(path).absoluteFilePath().toStdString();
}

QString dateText(double date)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
    DecodeDate(date, year, month, day);
    DecodeTime(date, hour, minute, second, ms);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", year, month, day, hour, minute);
    return QString::fromLatin1(text);
}

// Double-clicking a bar or a connection opens the property dialog; text bars are edited in place.
void registerPropertyDialogs()
{
    TQVTEditorsRegistry& registry = EditorsRegistry();
    registry.RegisterEditor<TQVTTaskBar, TQVTGanttObjectEditor>();
    registry.RegisterEditor<TQVTProgressBar, TQVTGanttObjectEditor>();
    registry.RegisterEditor<TQVTMilestoneBar, TQVTGanttObjectEditor>();
    registry.RegisterEditor<TQVTImageBar, TQVTGanttObjectEditor>();
    registry.RegisterEditor<TQVTSummaryBar, TQVTGanttObjectEditor>();
    registry.RegisterEditor<TQVTBarConnection, TQVTGanttObjectEditor>();
}

// The demo's pictures for image-combo columns, whatever list a document names: a signal-coloured
// square per item, in the cells and in their editor alike.
constexpr TColor SignalColors[] = {0x0000A000, 0x000000D0, 0x0000B0F0, 0x00D06000, 0x00808080};
constexpr int SignalSize = 12;

std::shared_ptr<TBitmap> signalPicture(int item)
{
    if (item < 0 || item >= static_cast<int>(std::size(SignalColors)))
        return nullptr;
    auto picture = std::make_shared<TBitmap>();
    picture->SetSize(SignalSize, SignalSize);
    TCanvas& canvas = picture->Canvas();
    canvas.Brush().Color = SignalColors[item];
    canvas.Pen().Color = clBlack;
    canvas.Polygon({{0, 0}, {SignalSize - 1, 0}, {SignalSize - 1, SignalSize - 1}, {0, SignalSize - 1}});
    return picture;
}

void provideSignalPictures()
{
    TQVTTreeImageComboCellType::Pictures = [](const std::string&, int item) { return signalPicture(item); };
    TQVTTreeImageComboCellEditor::Images = [](const std::string&) {
        std::vector<QIcon> icons;
        for (const TColor color : SignalColors) {
            QPixmap square(SignalSize, SignalSize);
            square.fill(QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
            icons.emplace_back(square);
        }
        return icons;
    };
}

// The first bar of a row that a connection may join.
std::shared_ptr<TQVTGanttBar> connectableBar(TQVTGanttTable& table, int row)
{
    TQVTGanttRow* chartRow = table.getRow(row);
    for (int b = 0; chartRow && b < chartRow->GetBarCount(); ++b)
        if (TQVTGanttBar* bar = chartRow->GetBarInRow(b); bar->acceptConnections())
            return std::static_pointer_cast<TQVTGanttBar>(bar->shared_from_this());
    return nullptr;
}

} // namespace

DemoWindow::DemoWindow(const std::string& storage)
    : dataSource(std::make_unique<TQVTDataSource>()),
      graph(new TQVTGanttGraph(this)),
      dateLabel(new QLabel(this))
{
    dataSource->setStorage(storage);
    graph->setDataSource(dataSource.get());
    graph->OnMouseDate = [this](TDateTime date, bool overChart) { showDate(date, overChart); };
    graph->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(graph, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) { showContextMenu(at); });
    registerPropertyDialogs();
    provideSignalPictures();
    setCentralWidget(graph);
    statusBar()->addPermanentWidget(dateLabel);
    buildMenus();
    setLanguage("en");
    resize(1280, 720);
}

DemoWindow::~DemoWindow()
{
    // The control lets go of the data source before the data source goes.
    graph->setDataSource(nullptr);
}

void DemoWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QToolBar* tools = addToolBar(tr("Chart"));
    const auto add = [&](QMenu* menu, const QString& text, QKeySequence keys, auto slot) {
        QAction* action = menu->addAction(text, this, slot);
        action->setShortcut(keys);
        tools->addAction(action);
        return action;
    };
    add(file, tr("&Open…"), QKeySequence::Open, [this] { openFile(); });
    add(file, tr("&Save as…"), QKeySequence::SaveAs, [this] { saveFile(); });
    add(file, tr("&Export…"), QKeySequence(tr("Ctrl+E")), [this] { exportChart(); });
    file->addSeparator();
    file->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    tools->addSeparator();
    // Undo and redo go through the chart, which knows when a gesture is under way.
    add(edit, tr("&Undo"), QKeySequence(), [this] { graph->Undo(); });
    add(edit, tr("&Redo"), QKeySequence(), [this] { graph->Redo(); });
    tools->addSeparator();
    buildPlanCommands(edit, tools);

    QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
    tools->addSeparator();
    add(viewMenu, tr("Zoom &in"), QKeySequence::ZoomIn, [this] { graph->zoomIn(); });
    add(viewMenu, tr("Zoom &out"), QKeySequence::ZoomOut, [this] { graph->zoomOut(); });

    QMenu* language = menuBar()->addMenu(tr("&Language"));
    auto* group = new QActionGroup(this);
    for (const auto& [code, name] : {std::pair{"de", "Deutsch"}, {"en", "English"}, {"fr", "Français"}}) {
        QAction* action = language->addAction(QString::fromUtf8(name), this, [this, code] { setLanguage(code); });
        action->setCheckable(true);
        action->setChecked(std::string(code) == "en");
        group->addAction(action);
    }
}

void DemoWindow::buildPlanCommands(QMenu* menu, QToolBar* tools)
{
    const auto add = [&](const QString& text, const QString& tip, auto slot) {
        QAction* action = menu->addAction(text, this, slot);
        action->setToolTip(tip);
        tools->addAction(action);
    };
    menu->addSeparator();
    add(tr("Add row"), tr("A new row at the end of the plan"), [this] { report(dataSource->RowAppend(), tr("Add row")); });
    add(tr("Add child"), tr("A new last child of the focused row"), [this] { addChild(); });
    add(tr("Delete rows"), tr("Deletes the selected rows, or the focused one"), [this] { deleteRows(); });
    add(tr("Group"), tr("Puts the selected rows under a new row"), [this] { groupRows(); });
    add(tr("Connect"), tr("Joins the first bars of the first and last selected rows, end to start"),
        [this] { connectRows(); });

    // The kind of bar that dragging on empty grid creates.
    auto* kinds = new QComboBox(tools);
    kinds->setToolTip(tr("Bars that a drag on empty grid creates"));
    const std::pair<QString, BarFactory> choices[] = {
        {tr("Task bars"), BarClass<TQVTTaskBar>()},         {tr("Progress bars"), BarClass<TQVTProgressBar>()},
        {tr("Milestones"), BarClass<TQVTMilestoneBar>()},   {tr("Image bars"), BarClass<TQVTImageBar>()},
        {tr("Text bars"), BarClass<TQVTTextBar>()},
    };
    for (const auto& [name, factory] : choices)
        kinds->addItem(name);
    std::vector<BarFactory> factories;
    for (const auto& choice : choices)
        factories.push_back(choice.second);
    connect(kinds, &QComboBox::currentIndexChanged, this, [this, factories](int i) {
        if (i >= 0 && i < static_cast<int>(factories.size()))
            graph->setCreatedType(factories[static_cast<std::size_t>(i)]);
    });
    tools->addWidget(kinds);
}

int DemoWindow::focusedRow() const
{
    const TQVTTreeRow* row = dataSource->GetTree()->getFocusedRow();
    return row ? row->FIndex : -1;
}

std::pair<int, int> DemoWindow::chosenRows() const
{
    TQVTTreeGrid& tree = *dataSource->GetTree();
    if (tree.getSelectedRowsCount() == 0)
        return {focusedRow(), focusedRow()};
    int first = tree.rowsCount(), last = -1;
    for (int k = 0; k < tree.getSelectedRowsCount(); ++k) {
        first = std::min(first, tree.getSelectedRow(k)->FIndex);
        last = std::max(last, tree.getSelectedRow(k)->FIndex);
    }
    return {first, last};
}

void DemoWindow::addChild()
{
    const int row = focusedRow();
    report(row >= 0 && dataSource->RowChildInsert(row), tr("Add child"));
}

void DemoWindow::deleteRows()
{
    if (dataSource->GetTree()->getSelectedRowsCount() > 0)
        report(dataSource->deleteSelected(), tr("Delete rows"));
    else
        report(focusedRow() >= 0 && dataSource->RowDelete(focusedRow()), tr("Delete rows"));
}

void DemoWindow::groupRows()
{
    const auto [first, last] = chosenRows();
    report(first >= 0 && dataSource->RowsGroup(first, last), tr("Group"));
}

void DemoWindow::connectRows()
{
    const auto [first, last] = chosenRows();
    TQVTGanttTable& table = *dataSource->GetTable();
    const auto from = first >= 0 ? connectableBar(table, first) : nullptr;
    const auto to = last >= 0 ? connectableBar(table, last) : nullptr;
    report(from && to && from != to &&
               dataSource->ConnectionAdd(std::make_shared<TQVTBarConnection>(from, to, TQVTBarConnection::FinishToStart)),
           tr("Connect"));
}

void DemoWindow::showContextMenu(const QPoint& at)
{
    TQVTGanttObject* object = graph->getView()->locateDraggingObject(at.x(), at.y());
    if (!dynamic_cast<TQVTGanttBar*>(object) && !dynamic_cast<TQVTBarConnection*>(object))
        return;
    const std::shared_ptr<TQVTGanttObject> held = object->shared_from_this();
    QMenu menu(this);
    menu.addAction(tr("Properties…"), this, [this, held] { editProperties(held.get()); });
    menu.exec(graph->mapToGlobal(at));
}

void DemoWindow::editProperties(TQVTGanttObject* object)
{
    // The dialog answers the edit as one operation; the chart records it.
    TQVTGanttObjectEditor editor;
    graph->handleOperation(editor.edit(object));
}

void DemoWindow::report(bool done, const QString& what)
{
    if (!done)
        statusBar()->showMessage(tr("%1: nothing changed").arg(what), 4000);
}

void DemoWindow::setLanguage(const std::string& language)
{
    if (language == "de")
        CreateDefaultRessources_GER();
    else if (language == "fr")
        CreateDefaultRessources_FRA();
    else
        CreateDefaultRessources_ENG();
    SetFormatSettings(language);
    if (TQVTGanttDocument* doc = dataSource->root())
        doc->UpdateTimeScales();
    graph->Paint();
    updateTitle();
}

void DemoWindow::openFile()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Open schedule"), QString(), tr("Schedules (*.ini)"));
    if (path.isEmpty())
        return;
    dataSource->setStorage(storageOf(path));
    graph->setDataSource(dataSource.get());
    updateTitle();
}

void DemoWindow::saveFile()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Save schedule"), QString(), tr("Schedules (*.ini)"));
    if (path.isEmpty())
        return;
    try {
        dataSource->SaveToMedia(storageOf(path));
    } catch (const std::exception& e) {
        QMessageBox::warning(this, tr("Save"), QString::fromStdString(e.what()));
    }
}

void DemoWindow::exportChart()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Export chart"), QStringLiteral("chart.png"),
                                                      tr("Pictures (*.png *.jpg *.bmp);;PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    TQVTGanttDocument* doc = dataSource->root();
    const int rows = dataSource->GetTable()->countRows();
    const std::string file = path.toStdString();
    const QString suffix = QFileInfo(path).suffix().toLower();
    try {
        if (suffix == "pdf")
            graph->SaveToPdf(file, 0, rows - 1, doc->getStartDate(), doc->getEndDate());
        else if (suffix == "jpg" || suffix == "jpeg")
            graph->SaveToJpeg(file, 0, rows - 1, doc->getStartDate(), doc->getEndDate(), 90);
        else if (suffix == "bmp")
            graph->SaveToBitmap(file, 0, rows - 1, doc->getStartDate(), doc->getEndDate());
        else
            graph->SaveToPng(file, 0, rows - 1, doc->getStartDate(), doc->getEndDate());
        statusBar()->showMessage(tr("Exported to %1").arg(path), 5000);
    } catch (const std::exception& e) {
        QMessageBox::warning(this, tr("Export"), QString::fromStdString(e.what()));
    }
}

void DemoWindow::showDate(double date, bool overChart)
{
    dateLabel->setText(overChart ? dateText(date) : QString());
}

void DemoWindow::updateTitle()
{
    const std::string& storage = dataSource->getStorage();
    setWindowTitle(QStringLiteral("Corvane demo — %1")
                       .arg(storage.empty() ? tr("built-in schedule") : QString::fromStdString(storage)));
}
