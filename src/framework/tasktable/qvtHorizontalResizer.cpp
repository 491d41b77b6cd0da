#include "corvane/framework/tasktable/qvtHorizontalResizer.h"

#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/rendering/qvtVisualContext.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/platform/Colors.h"

#include <algorithm>
#include <cstdint>

namespace corvane {

namespace {

int clampToInt(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

} // namespace

std::unique_ptr<TQVTDrawer> TQVTHorizontalResizer::makeDrawer() const
{
    return std::make_unique<TQVTHorizontalResizerDrawer>(const_cast<TQVTHorizontalResizer*>(this));
}

void TQVTHorizontalResizer::setPosition(int x, int y, int height)
{
    auto* drawer = static_cast<TQVTHorizontalResizerDrawer*>(getDrawer(vtGanttGraph));
    drawer->topX = x;
    drawer->topY = y;
    drawer->height = std::max(height, 0);
}

int TQVTHorizontalResizer::getTopX() const
{
    return static_cast<TQVTHorizontalResizerDrawer*>(getDrawer(vtGanttGraph))->topX;
}

int TQVTHorizontalResizer::getTopY() const
{
    return static_cast<TQVTHorizontalResizerDrawer*>(getDrawer(vtGanttGraph))->topY;
}

int TQVTHorizontalResizer::getLineHeight() const
{
    return static_cast<TQVTHorizontalResizerDrawer*>(getDrawer(vtGanttGraph))->height;
}

TRect TQVTHorizontalResizer::getOutline()
{
    const int x = getTopX();
    const int y = getTopY();
    return TRect{clampToInt(x - 1LL), y, clampToInt(x + 1LL), clampToInt(static_cast<long long>(y) + getLineHeight())};
}

TRect TQVTHorizontalResizer::nextOutline(TRect r, int dx, int)
{
    TRect outline = getOutline();
    outline.Left = clampToInt(static_cast<long long>(r.Left) + dx);
    outline.Right = clampToInt(static_cast<long long>(r.Right) + dx);
    return outline;
}

bool TQVTHorizontalResizerDrawer::Draw(TQVTVisualContext& vc)
{
    TQVTDocumentSetup* document = target ? FindDocumentSetup(target) : nullptr;
    TQVTTreeGrid* grid = document ? document->GetTree() : nullptr;
    vc.setDrawingColor(grid && grid->FHeader ? grid->FHeader->FlineColor : clGray);
    vc.setPenStyle(psSolid);
    vc.setPenWidth(1);
    const int x = clampToInt(topX - 1LL);
    vc.drawLine(x, topY, x, clampToInt(static_cast<long long>(topY) + height));
    return true;
}

TQVTGanttObject* TQVTHorizontalResizerDrawer::locateObject(int x, int y)
{
    const long long px = x;
    const long long py = y;
    if (px >= topX - static_cast<long long>(grip) && px <= topX + static_cast<long long>(grip) && py >= topY &&
        py <= static_cast<long long>(topY) + height)
        return target;
    return nullptr;
}

TRect TQVTHorizontalResizerDrawer::getRect()
{
    return TRect{clampToInt(topX - static_cast<long long>(grip)), topY, clampToInt(topX + grip + 1LL),
                 clampToInt(static_cast<long long>(topY) + height + 1)};
}

} // namespace corvane
