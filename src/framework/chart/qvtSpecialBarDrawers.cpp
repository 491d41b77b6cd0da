// The painters of summary, image, milestone and text bars.

#include "corvane/framework/chart/qvtChartShared_p.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/rendering/qvtVisualContext.h"
#include "corvane/platform/Graphics.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace corvane {

namespace {

int saturate(std::int64_t value)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

TRect shrunk(TRect r, int by)
{
    return TRect{saturate(std::int64_t{r.Left} + by), saturate(std::int64_t{r.Top} + by),
                 saturate(std::int64_t{r.Right} - by), saturate(std::int64_t{r.Bottom} - by)};
}

TRect movedDown(TRect r, int by)
{
    return TRect{r.Left, saturate(std::int64_t{r.Top} + by), r.Right, saturate(std::int64_t{r.Bottom} + by)};
}

// What every painter of the family needs of the bar's place.
// Lets the application paint the bar instead; answers whether it did.
bool customDrawn(TQVTGanttBar& bar, const BarPlacement& p, TRect& rect)
{
    const TQVTDataSourceIntf* dataSource = p.document ? p.document->FDataSource : nullptr;
    if (!dataSource || !dataSource->OnCustomDrawBar)
        return false;
    // The visual context does not hand out its canvas; the application paints within rect.
    dataSource->OnCustomDrawBar(&bar, nullptr, rect);
    return true;
}

void drawHalo(TQVTGanttBar& bar, TQVTVisualContext& vc)
{
    if (!bar.FTextHalo)
        return;
    if (TQVTDrawer* drawer = bar.FTextHalo->getDrawer(vtGanttGraph))
        drawer->Draw(vc);
}

} // namespace

// Summary bar

TRect TQVTSummaryBarDrawer::getRect(TDateTime viewStart)
{
    TRect rect = TQVTGanttBarDrawer::getRect(viewStart);
    auto* summary = dynamic_cast<TQVTSummaryBar*>(bar());
    TQVTGanttTable* table = summary ? summary->findTable() : nullptr;
    if (rect == NoRect || !table)
        return rect;
    const int endRow = std::min(summary->FEndRow, table->countRows() - 1);
    if (endRow > summary->getRow()) {
        const TQVTGanttRow* last = table->getRow(endRow);
        rect.Bottom = saturate(std::int64_t{table->getRowStartY(endRow)} + (last ? last->GetVisibleHeight() : 0));
    }
    return rect;
}

void TQVTSummaryBarDrawer::highlight(TQVTVisualContext& vc, TRect rect)
{
    TQVTGanttBarDrawer::highlight(vc, rect);
    if (highlightedMode)
        vc.FillArea(rect, clWhite, bsDiagCross);
}

bool TQVTSummaryBarDrawer::Draw(TQVTVisualContext& vc)
{
    auto* summary = dynamic_cast<TQVTSummaryBar*>(bar());
    const BarPlacement p = placementOf(summary);
    if (!summary || !shownOnChart(*summary, p)) {
        clearLastRect();
        return false;
    }
    const TDateTime viewStart = p.document->getStartDate();
    highlight(vc, getRect(viewStart));
    const TRect r = TQVTGanttBarDrawer::getRect(viewStart);
    lastRect = r;
    const int stripHeight = std::min((r.Bottom - r.Top) / 4, 6);
    const TRect strip{r.Left, r.Top, r.Right, r.Top + stripHeight};
    const int d = 2 * stripHeight;
    vc.FillArea(strip, summary->FColor, bsSolid);
    if (summary->FFocused)
        vc.FillArea(strip, clWhite, bsDiagCross);
    vc.setDrawingColor(summary->FColor);
    vc.setPenStyle(psSolid);
    vc.drawPolygon(
        {TPoint{r.Left, r.Top}, TPoint{r.Left, r.Top + d}, TPoint{saturate(std::int64_t{r.Left} + d), r.Top}},
        summary->FColor);
    vc.drawPolygon(
        {TPoint{r.Right, r.Top}, TPoint{r.Right, r.Top + d}, TPoint{saturate(std::int64_t{r.Right} - d), r.Top}},
        summary->FColor);
    drawHalo(*summary, vc);
    return true;
}

// Image and milestone bars

TQVTImageBar* TQVTImageBarDrawer::imageBar() const
{
    return dynamic_cast<TQVTImageBar*>(target);
}

TRect TQVTImageBarDrawer::getRect(TDateTime viewStart)
{
    TRect rect = TQVTGanttBarDrawer::getRect(viewStart);
    const TQVTImageBar* image = imageBar();
    if (rect == NoRect || !image)
        return rect;
    const TGraphic* graphic = image->getGraphic();
    const TQVTImageBarSettings* settings = image->getSettings();
    const std::int64_t frame = 2LL * (settings ? settings->borderThickness : 0);
    const std::int64_t width = (graphic ? graphic->Width() : 0) + frame;
    const std::int64_t height = (graphic ? graphic->Height() : 0) + frame;
    if (image->FAutoStretch) {
        // The picture takes the span's width and keeps its proportions.
        const double scale = width > 0 ? (static_cast<double>(rect.Right) - rect.Left) / static_cast<double>(width) : 0;
        rect.Bottom = roundHalfEven(rect.Top + static_cast<double>(height) * scale);
    } else {
        rect.Right = saturate(rect.Left + width);
        rect.Bottom = saturate(rect.Top + height);
    }
    return movedDown(rect, image->FVerticalRowOffset);
}

namespace {

// Finds where an image or milestone bar is painted; false (nothing to paint) when its row is
// hidden, it starts after the document's dates or the application painted it.
bool toPaint(TQVTGanttBarDrawer& drawer, TQVTImageBar* image, BarPlacement& p, TRect& r)
{
    p = placementOf(image);
    if (!image || !p.row || !p.row->IsVisible() || image->getStartDate() > p.document->getEndDate()) {
        drawer.clearLastRect();
        return false;
    }
    r = drawer.getRect(p.document->getStartDate());
    if (customDrawn(*image, p, r)) {
        drawer.lastRect = r;
        return false;
    }
    return true;
}

} // namespace

bool TQVTImageBarDrawer::Draw(TQVTVisualContext& vc)
{
    TQVTImageBar* image = imageBar();
    BarPlacement p;
    TRect r;
    if (!toPaint(*this, image, p, r))
        return false;
    const TQVTImageBarSettings* settings = image->getSettings();
    const int b = image->FFocused ? p.table->FFocusedFrameThickness : (settings ? settings->borderThickness : 0);
    const TRect inner = shrunk(r, b);
    const TColor frameColor = image->FFocused ? p.table->FfocusedFrameColor : (settings ? settings->borderColor : 0);
    if (b > 0)
        vc.fillBounds(r, inner, frameColor, bsSolid);
    if (const TGraphic* graphic = image->getGraphic()) {
        if (image->FAutoStretch)
            vc.stretchGraphic(inner, *graphic);
        else
            vc.drawGraphic(inner.Left, inner.Top, *graphic);
    }
    highlight(vc, r);
    lastRect = r;
    drawHalo(*image, vc);
    return true;
}

TRect TQVTMilestoneBarDrawer::getRect(TDateTime viewStart)
{
    const TRect base = TQVTGanttBarDrawer::getRect(viewStart);
    const TQVTImageBar* image = imageBar();
    TQVTGanttTable* table = image ? image->findTable() : nullptr;
    if (base == NoRect || !table)
        return base;
    const TGraphic* graphic = image->getGraphic();
    const TQVTImageBarSettings* settings = image->getSettings();
    const std::int64_t frame = 2LL * (settings ? settings->borderThickness : 0);
    const std::int64_t width = graphic ? graphic->Width() : 0;
    const std::int64_t height = graphic ? graphic->Height() : 0;
    const int row = const_cast<TQVTImageBar*>(image)->getRow();
    TRect rect;
    rect.Left = base.Left;
    // Division truncating toward zero, as the platform's does.
    rect.Top = saturate(table->getRowStartY(row) + (table->getRowHeight(row) - height) / 2);
    rect.Right = saturate(rect.Left + width + frame);
    rect.Bottom = saturate(rect.Top + height + frame);
    return rect;
}

bool TQVTMilestoneBarDrawer::Draw(TQVTVisualContext& vc)
{
    TQVTImageBar* image = imageBar();
    BarPlacement p;
    TRect r;
    if (!toPaint(*this, image, p, r))
        return false;
    const TQVTImageBarSettings* settings = image->getSettings();
    const int b = settings ? settings->borderThickness : 0;
    if (b > 0)
        vc.fillBounds(r, shrunk(r, b), settings->borderColor, bsSolid);
    if (const TGraphic* graphic = image->getGraphic())
        vc.drawGraphic(saturate(std::int64_t{r.Left} + b), saturate(std::int64_t{r.Top} + b), *graphic);
    // The focus frame goes over the picture, which keeps its natural size.
    if (image->FFocused)
        vc.fillBounds(r, shrunk(r, p.table->FFocusedFrameThickness), p.table->FfocusedFrameColor, bsSolid);
    highlight(vc, r);
    lastRect = r;
    drawHalo(*image, vc);
    return true;
}

// Text bar

TRect TQVTTextBarDrawer::getRect(TDateTime viewStart)
{
    TRect rect = TQVTGanttBarDrawer::getRect(viewStart);
    auto* text = dynamic_cast<TQVTTextBar*>(bar());
    TQVTGanttTable* table = text ? text->findTable() : nullptr;
    if (rect == NoRect || !table)
        return rect;
    rect.Bottom = saturate(std::int64_t{table->getRowStartY(text->getRow())} + text->FHeight);
    return movedDown(rect, text->FVerticalRowOffset);
}

bool TQVTTextBarDrawer::Draw(TQVTVisualContext& vc)
{
    auto* text = dynamic_cast<TQVTTextBar*>(bar());
    const BarPlacement p = placementOf(text);
    if (!text || !shownOnChart(*text, p)) {
        clearLastRect();
        return false;
    }
    TRect r = getRect(p.document->getStartDate());
    if (text->FMemo && text->FMemo->isVisible())
        text->FMemo->setBounds(r);
    if (customDrawn(*text, p, r)) {
        lastRect = r;
        return false;
    }
    IQVTTextSettings* settings = text->getSettings();
    const TFont* font = settings ? settings->GetFont() : nullptr;
    // Without a focus the box has a thin frame in the text's colour.
    const int b = text->FFocused ? p.table->FFocusedFrameThickness : 1;
    const TColor frameColor = text->FFocused ? p.table->FfocusedFrameColor : (font ? font->Color : clBlack);
    const TRect inner = shrunk(r, b);
    if (settings && inner.Right > inner.Left && inner.Bottom > inner.Top) {
        text->FTextArranger = TQVTTextArranger(settings);
        text->FTextArranger.wordWrapText(text->FText, inner.Right - inner.Left, true);
        // Text that does not fit stays inside the box.
        vc.SetClipRect(inner);
        text->FTextArranger.drawText(vc, inner, true, clNone);
        vc.ResetClipRect();
    }
    vc.fillBounds(r, inner, frameColor, bsSolid);
    highlight(vc, r);
    lastRect = r;
    return true;
}

} // namespace corvane
