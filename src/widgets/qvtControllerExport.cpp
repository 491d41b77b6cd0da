// The chart control's export: a region of rows and dates painted into a picture file or a PDF.

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtLegend.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/rendering/qvtCanvasVC.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/ScopeGuard_p.h"
#include "corvane/platform/qt/QtCanvas.h"
#include "corvane/widgets/qvtController.h"
#include "corvane/widgets/qvtPngStream_p.h"
#include "corvane/platform/qt/QtGraphics.h"

#include <QApplication>
#include <QPageSize>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

// Room the tree keeps beside its columns when exported.
constexpr int TreeMargin = 17;
// The lines of one strip of a PNG export.
constexpr int PngStripHeight = 2048;
// A PDF page may be at most 200 inches on a side.
constexpr double MaxPdfInches = 200;

int visibleColumnsWidth(TQVTTreeGrid* grid)
{
    long long width = 0;
    if (grid && grid->FHeader)
        for (int i = 0; i < grid->FHeader->countCells(); ++i)
            if (const TQVTTreeHeaderCell* cell = grid->FHeader->getHeaderCell(i); cell && cell->FVisible)
                width += std::max(0, cell->getWidth());
    return static_cast<int>(std::min(width, 1LL << 24));
}

// Keeps the hourglass up while the export runs, whatever way it ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

void TQVTController::exportRegion(int firstRow, int lastRow, TDateTime startDate, TDateTime endDate,
                                  const std::function<void(const ExportPlan& plan, const ExportDraw& draw)>& paint)
{
    TQVTGanttDocument* doc = document();
    TQVTGanttTable* tab = table();
    TQVTTreeGrid* grid = tree();
    if (!doc || !tab || !grid || !doc->getCalendar() || !view)
        return;
    TQVTDocumentCalendar& calendar = *doc->getCalendar();

    ExportPlan plan;
    // The chart counts whole time units of the current mode from the start of the first one.
    const double units = calendar.RealDiff(endDate, calendar.StartOfPeriod(startDate));
    const long long columns = std::max(1LL, static_cast<long long>(std::ceil(std::min(units, 1e9) - 1e-9)));
    const int columnWidth = std::max(1, tab->GetColumnWidth());
    const int treeColumns = visibleColumnsWidth(grid);
    long long width = treeColumns + static_cast<long long>(doc->getTreeStartX()) + columnWidth * columns;
    long long height = doc->GetTableStartY();
    int firstShown = -1;
    const int count = tab->countRows();
    for (int i = std::max(firstRow, 0); i <= std::min(lastRow, count - 1); ++i)
        if (const TQVTGanttRow* row = tab->getRow(i); row && !row->isCollapsed())
            if (const TQVTTreeRow* treeRow = grid->getRow(i); !treeRow || !treeRow->FHidden) {
                firstShown = firstShown < 0 ? i : firstShown;
                height += tab->getRowHeight(i);
            }
    // A printed legend gets room of its own, under the rows or at the right.
    if (doc->FPrintLegend && doc->GetLegend()) {
        if (doc->FPrintLegendUnder)
            height += doc->GetLegend()->GetHeight() + (doc->FTimeScaleUnder ? doc->GetTableStartY() : 0);
        else
            width += doc->GetLegend()->GetMinWidth();
    }
    if (width < 1 || height < 1 || width > MaxExportWidth || height > MaxExportHeight)
        throw EQVTExportError("the exported picture would be " + std::to_string(width) + " x " +
                              std::to_string(height) + " pixels; at most " + std::to_string(MaxExportWidth) + " x " +
                              std::to_string(MaxExportHeight) + " can be exported, so choose fewer rows or a shorter "
                              "time span");
    plan.width = static_cast<int>(width);
    plan.height = static_cast<int>(height);

    const int scrolledLines = tab->getScrolledLines();
    const TDateTime oldStart = doc->getStartDate();
    const TDateTime oldEnd = doc->getEndDate();
    const int oldTreeWidth = grid->getWidth();
    const int oldDocStartX = doc->getDocStartX();
    const TQVTTreeRow* focused = grid->getFocusedRow();
    const int focusedRow = focused ? focused->FIndex : -1;
    const ScopeGuard restore([&] {
        tab->SetScrolledLines(scrolledLines);
        doc->FStartDate = oldStart;
        doc->setEndDate(oldEnd);
        grid->setWidth(oldTreeWidth);
        doc->setDocStartX(oldDocStartX);
        if (focusedRow >= 0)
            grid->focus(focusedRow);
        Paint();
    });
    grid->unFocus();
    grid->setWidth(treeColumns + TreeMargin);
    tab->SetScrolledLines(firstShown < 0 ? std::max(firstRow, 0) : firstShown);
    paint(plan, [&](TCanvas& canvas, int top, int visibleHeight) {
        // The picture's lines top..top + visibleHeight land on the canvas from its first line.
        canvas.SetMapping(0, -top, 1, 1);
        TQVTCanvasVC vc(canvas);
        vc.setVisibleArea(TRect{0, top, plan.width, top + visibleHeight});
        doc->setDocStartX(0);
        doc->setStartDate(startDate);
        doc->setEndDate(endDate);
        view->Draw(FDataSource, vc, true);
        canvas.SetMapping(0, 0, 1, 1);
    });
}

void TQVTController::PaintToBitmap(TBitmap* bitmap, int firstRow, int lastRow, TDateTime startDate,
                                   TDateTime endDate)
{
    if (!bitmap)
        return;
    exportRegion(firstRow, lastRow, startDate, endDate, [bitmap](const ExportPlan& plan, const ExportDraw& draw) {
        if (static_cast<long long>(plan.width) * plan.height > MaxPicturePixels)
            throw EQVTExportError("the exported picture would be " + std::to_string(plan.width) + " x " +
                                  std::to_string(plan.height) + " pixels; one picture holds at most " +
                                  std::to_string(MaxPicturePixels) + " pixels (export to PNG for more)");
        bitmap->SetSize(plan.width, plan.height);
        draw(bitmap->Canvas(), 0, plan.height);
    });
}

void TQVTController::saveExport(TGraphic& graphic, const std::string& fileName, int firstRow, int lastRow,
                                TDateTime startDate, TDateTime endDate)
{
    const WaitCursor wait;
    TBitmap bitmap;
    PaintToBitmap(&bitmap, firstRow, lastRow, startDate, endDate);
    graphic.Assign(bitmap);
    try {
        graphic.SaveToFile(fileName);
    } catch (const Exception& e) {
        throw EQVTExportError(e.what());
    }
}

void TQVTController::SaveToBitmap(const std::string& fileName, int firstRow, int lastRow, TDateTime startDate,
                                  TDateTime endDate)
{
    TBitmap picture;
    saveExport(picture, fileName, firstRow, lastRow, startDate, endDate);
}

void TQVTController::SaveToJpeg(const std::string& fileName, int firstRow, int lastRow, TDateTime startDate,
                                TDateTime endDate, int quality)
{
    TJPEGImage picture;
    picture.CompressionQuality = std::clamp(quality, 1, 100);
    saveExport(picture, fileName, firstRow, lastRow, startDate, endDate);
}

void TQVTController::SaveToPng(const std::string& fileName, int firstRow, int lastRow, TDateTime startDate,
                               TDateTime endDate)
{
    const WaitCursor wait;
    // Strip by strip, each strip a band of the whole picture, so that memory stays that of one
    // strip however many rows are exported.
    exportRegion(firstRow, lastRow, startDate, endDate, [&fileName](const ExportPlan& plan, const ExportDraw& draw) {
        PngStream png(fileName, plan.width, plan.height);
        for (int top = 0; top < plan.height; top += PngStripHeight) {
            const int height = std::min(PngStripHeight, plan.height - top);
            QImage painted;
            {
                // Each strip is painted into a bitmap of its own that goes to the stream as it
                // is: the next strip is painted meanwhile, and no pixels are copied.
                TBitmap strip;
                strip.SetSize(plan.width, height);
                draw(strip.Canvas(), top, height);
                // An image a painter is still open on is copied when handed on: the canvas
                // lets go of the pixels first.
                auto& data = TGraphicAccess::ImageData(strip);
                if (data.Canvas)
                    data.Canvas->Suspend();
                painted = std::move(data.Image);
            }
            png.writeLines(std::move(painted));
        }
        png.finish();
    });
}

void TQVTController::SaveToPdf(const std::string& fileName, int firstRow, int lastRow, TDateTime startDate,
                               TDateTime endDate)
{
    const WaitCursor wait;
    exportRegion(firstRow, lastRow, startDate, endDate, [&fileName](const ExportPlan& plan, const ExportDraw& draw) {
        const int width = plan.width, height = plan.height;
        QPdfWriter writer(QString::fromStdString(fileName));
        // One pixel per point unless the page would pass the largest PDF page.
        const int resolution =
            std::max(72, static_cast<int>(std::ceil(std::max(width, height) / MaxPdfInches)));
        writer.setResolution(resolution);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageSize(QPageSize(QSizeF(width * 72.0 / resolution, height * 72.0 / resolution),
                                     QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setCreator(QStringLiteral("Corvane"));
        QPainter painter;
        if (!painter.begin(&writer))
            throw EQVTExportError("cannot write \"" + fileName + "\"");
        QtCanvas canvas(painter);
        draw(canvas, 0, height);
        painter.end();
    });
}

} // namespace corvane
