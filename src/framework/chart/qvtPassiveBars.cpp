#include "corvane/framework/chart/qvtChartShared_p.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/rendering/qvtVisualContext.h"
#include "corvane/platform/Colors.h"

namespace corvane {

std::unique_ptr<TQVTDrawer> TQVTFakeBar::makeDrawer() const
{
    return std::make_unique<TQVTFakeBarDrawer>(const_cast<TQVTFakeBar*>(this));
}

TQVTFakeBar::TQVTFakeBar(TDateTime start, TDateTime end, int row) : TQVTGanttBar(start, end, row)
{
}

TRect TQVTFakeBarDrawer::getRect(TDateTime viewStart)
{
    constexpr int Inset = 5;
    TRect rect = TQVTGanttBarDrawer::getRect(viewStart);
    if (rect == NoRect)
        return rect;
    rect.Top += Inset;
    rect.Bottom -= Inset;
    return rect;
}

std::unique_ptr<TQVTDrawer> TQVTShadowTaskBar::makeDrawer() const
{
    return std::make_unique<TQVTShadowTaskBarDrawer>(const_cast<TQVTShadowTaskBar*>(this));
}

TQVTShadowTaskBar::TQVTShadowTaskBar(TDateTime start, TDateTime end, int row) : TQVTGanttBar(start, end, row)
{
}

std::unique_ptr<TQVTDrawer> TQVTShadowProgressBar::makeDrawer() const
{
    return std::make_unique<TQVTShadowProgressBarDrawer>(const_cast<TQVTShadowProgressBar*>(this));
}

TQVTShadowProgressBar::TQVTShadowProgressBar(TDateTime start, TDateTime end, int row) : TQVTGanttBar(start, end, row)
{
}

bool ShadowBarDrawer::Draw(TQVTVisualContext& vc)
{
    TQVTGanttBar* bar = this->bar();
    TQVTGanttDocument* document = bar ? bar->findDocument() : nullptr;
    const TQVTGanttRow* row = bar ? bar->getParentRow() : nullptr;
    if (!document || !row || !row->IsVisible() || bar->getEndDate() < document->getStartDate() ||
        bar->getStartDate() > document->getEndDate()) {
        clearLastRect();
        return false;
    }
    const TRect rect = getRect(document->getStartDate());
    TColor color = 0;
    if (const auto* task = dynamic_cast<const TQVTShadowTaskBar*>(bar))
        color = task->FColor;
    else if (const auto* progress = dynamic_cast<const TQVTShadowProgressBar*>(bar))
        color = progress->FColor;
    vc.FillArea(rect, color, bsSolid);
    vc.drawRect(rect, psSolid, clBlack);
    if (const auto* task = dynamic_cast<const TQVTShadowTaskBar*>(bar); task && !task->FTopCaption.empty())
        vc.centerText(TRect{rect.Left, rect.Top, rect.Right, rect.Top + vc.TextHeight(task->FTopCaption)},
                      task->FTopCaption, true);
    lastRect = rect;
    return true;
}

TRect TQVTShadowTaskBarDrawer::getRect(TDateTime viewStart)
{
    TRect rect = TQVTGanttBarDrawer::getRect(viewStart);
    if (rect == NoRect)
        return rect;
    rect.Bottom = roundHalfEven(rect.Top + 0.75 * (static_cast<double>(rect.Bottom) - rect.Top));
    return rect;
}

TRect TQVTShadowProgressBarDrawer::getRect(TDateTime viewStart)
{
    TRect rect = TQVTGanttBarDrawer::getRect(viewStart);
    if (rect == NoRect)
        return rect;
    rect.Top = roundHalfEven(rect.Bottom - 0.25 * (static_cast<double>(rect.Bottom) - rect.Top));
    return rect;
}

} // namespace corvane
