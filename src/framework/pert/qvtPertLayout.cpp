// The table's PERT layout: the plane's coordinates, its extent, the place for a new box, and
// the critical path the table keeps.

#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/pert/qvtCriticalPath.h"
#include "corvane/framework/pert/qvtPertBar.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace corvane {

namespace {

int saturate(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

const TQVTPertBarSettings& defaultsOf(const TQVTGanttTable& table)
{
    static const TQVTPertBarSettings builtIn;
    return table.FDefaultPertBarSettings ? *table.FDefaultPertBarSettings : builtIn;
}

int clampedSize(int v)
{
    return std::clamp(v, 1, TQVTPertBarSettings::MaxSize);
}

// The square of cells searched at most; a plane crowded beyond it gets the cell right of
// every box.
constexpr std::int64_t MaxRings = 4096;

} // namespace

int TQVTGanttTable::PertAbsToRelX(int x) const
{
    // The PERT plane starts at the control's left edge: the task tree is not shown beside it.
    constexpr int treeWidth = 0;
    TPoint point;
    snapToGrid(saturate(std::int64_t{FPertStartX} + x - treeWidth), 0, point, true);
    return point.X;
}

int TQVTGanttTable::PertAbsToRelY(int y) const
{
    TPoint point;
    snapToGrid(0, saturate(std::int64_t{FPertStartY} + y), point, true);
    return point.Y;
}

TPoint TQVTGanttTable::PertAbsToRel(int x, int y) const
{
    return TPoint{PertAbsToRelX(x), PertAbsToRelY(y)};
}

void TQVTGanttTable::registerPertCoords(int x, int y)
{
    const TQVTPertBarSettings& settings = defaultsOf(*this);
    FMaxPertCoords.X = std::max(FMaxPertCoords.X, saturate(std::int64_t{FPertStartX} + x + settings.FWidth));
    FMaxPertCoords.Y = std::max(FMaxPertCoords.Y, saturate(std::int64_t{FPertStartY} + y + settings.FHeight));
}

void TQVTGanttTable::FindEmptyPertPlace(TPoint& point) const
{
    const TQVTPertBarSettings& settings = defaultsOf(*this);
    const std::int64_t width = clampedSize(settings.FWidth);
    const std::int64_t height = clampedSize(settings.FHeight);
    const std::int64_t cellW = width * 14 / 10;
    const std::int64_t cellH = (height + 25) * 14 / 10;

    struct Box {
        std::int64_t left, top, right, bottom;
    };
    std::vector<Box> boxes;
    std::int64_t rightmost = 0;
    for (const auto& row : FRows) {
        const TQVTPertBar* box = row->FPertBar.get();
        if (!box)
            continue;
        const TQVTPertBarSettings& own = box->effectiveSettings();
        const Box b{box->Fx, box->Fy, std::int64_t{box->Fx} + clampedSize(own.FWidth),
                    std::int64_t{box->Fy} + clampedSize(own.FHeight)};
        // Boxes that reach no cell (left of or above the plane) block nothing.
        if (b.right > 0 && b.bottom > 0) {
            boxes.push_back(b);
            rightmost = std::max(rightmost, (b.right - 1) / cellW + 1);
        }
    }
    const auto place = [&](std::int64_t col, std::int64_t row) {
        point.X = saturate((cellW - width) / 2 + cellW * col);
        point.Y = saturate((cellH - height) / 2 + cellH * row);
    };

    // Cells are marked in a square of rings that doubles until it holds a free cell: every
    // cell before the answer is blocked, so the work follows the boxes, not their number squared.
    std::int64_t rings = 2;
    while (rings * rings < 4 * static_cast<std::int64_t>(boxes.size()) + 4)
        rings *= 2;
    for (; rings <= MaxRings; rings *= 2) {
        std::vector<bool> blocked(static_cast<std::size_t>(rings * rings), false);
        for (const Box& b : boxes) {
            const std::int64_t c0 = std::max<std::int64_t>(b.left, 0) / cellW;
            const std::int64_t c1 = std::min((b.right - 1) / cellW, rings - 1);
            const std::int64_t r0 = std::max<std::int64_t>(b.top, 0) / cellH;
            const std::int64_t r1 = std::min((b.bottom - 1) / cellH, rings - 1);
            for (std::int64_t r = r0; r <= r1; ++r)
                for (std::int64_t c = c0; c <= c1; ++c)
                    blocked[static_cast<std::size_t>(r * rings + c)] = true;
        }
        const auto isFree = [&](std::int64_t col, std::int64_t row) {
            return !blocked[static_cast<std::size_t>(row * rings + col)];
        };
        for (std::int64_t k = 0; k < rings; ++k) {
            for (std::int64_t row = 0; row < k; ++row)
                if (isFree(k, row))
                    return place(k, row);
            for (std::int64_t col = 0; col <= k; ++col)
                if (isFree(col, k))
                    return place(col, k);
        }
    }
    place(rightmost, 0);
}

TQVTCriticalPathCalculator& TQVTGanttTable::getCriticalPathCalculator()
{
    if (!FCriticalPathCalculator)
        FCriticalPathCalculator = std::make_shared<TQVTCriticalPathCalculator>(this);
    return *FCriticalPathCalculator;
}

void TQVTGanttTable::updateCriticalPath()
{
    if (FUpdateCriticalPath)
        getCriticalPathCalculator().refreshCriticalPath();
}

void TQVTGanttTable::updateCriticalPathOfRows(const std::vector<int>& rows)
{
    if (FUpdateCriticalPath)
        getCriticalPathCalculator().refreshCriticalPathOfRows(rows);
}

} // namespace corvane
