#include "DemoWindow.h"

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/localization/qvtLocalization.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/FormatSettings.h"
#include "corvane/widgets/qvtGanttGraph.h"

#include <QActionGroup>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>

#include <cstdio>

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

} // namespace

DemoWindow::DemoWindow(const std::string& storage)
    : dataSource(std::make_unique<TQVTDataSource>()),
      graph(new TQVTGanttGraph(this)),
      dateLabel(new QLabel(this))
{
    dataSource->setStorage(storage);
    graph->setDataSource(dataSource.get());
    graph->OnMouseDate = [this](TDateTime date, bool overChart) { showDate(date, overChart); };
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
    add(edit, tr("&Undo"), QKeySequence(), [this] {
        dataSource->GetUndoRedoStack().undo();
        graph->Paint();
    });
    add(edit, tr("&Redo"), QKeySequence(), [this] {
        dataSource->GetUndoRedoStack().redo();
        graph->Paint();
    });

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
