#include "corvane/framework/pert/qvtPertBarDrawer.h"

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/pert/qvtPertBar.h"
#include "corvane/framework/rendering/qvtVisualContext.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/platform/FormatSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace corvane {

namespace {

constexpr const char* CellFont = "Arial";
constexpr int CellFontSize = 8;

int saturate(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::string dayText(TDateTime date)
{
    return FormatDateTime("dd.mm", date);
}

std::string wholeDays(double days)
{
    return std::isfinite(days) ? std::to_string(std::llround(std::clamp(days, -1e15, 1e15))) : "0";
}

// The row of the task that holds row's task in the task tree, -1 when it is a top-level task
// (or the tree is missing). The walk stops at the row; a damaged tree is walked at most once
// per node and row.
int parentRowOf(const TQVTGanttRow& row)
{
    const TQVTGanttTable* table = row.getTable();
    const TQVTGanttDocument* document = table ? table->findDocument() : nullptr;
    const TQVTTreeNode* root = document && document->FTree ? document->FTree->FRootNode.get() : nullptr;
    if (!root)
        return -1;
    struct Frame {
        const TQVTTreeNode* node;
        std::size_t next;
        int row;
    };
    std::vector<Frame> stack{{root, 0, root->FRow ? 0 : -1}};
    int rows = root->FRow ? 1 : 0;
    std::size_t budget = 2 * (table->FRows.size() + 1);
    if (root->FRow && row.FOrder == 0)
        return -1;
    while (!stack.empty() && budget > 0) {
        Frame& top = stack.back();
        if (top.next >= top.node->Fchildren.size()) {
            stack.pop_back();
            continue;
        }
        const TQVTTreeNode* child = top.node->Fchildren[top.next++].get();
        --budget;
        if (!child)
            continue;
        int childRow = -1;
        if (child->FRow) {
            childRow = rows++;
            if (childRow == row.FOrder) {
                for (auto it = stack.rbegin(); it != stack.rend(); ++it)
                    if (it->row >= 0)
                        return it->row;
                return -1;
            }
        }
        stack.push_back({child, 0, childRow});
    }
    return -1;
}

void cell(TQVTVisualContext& vc, TRect r, const std::string& text, TColor frame)
{
    vc.drawRect(r, psSolid, frame);
    if (!text.empty())
        vc.centerText(r, text, true);
}

void drawSection(TQVTVisualContext& vc, TQVTPertBarSection* section, TRect r, TColor frame)
{
    auto* drawer = section ? dynamic_cast<TQVTPertBarSectionDrawer*>(section->getDrawer(vtGanttGraph)) : nullptr;
    if (!drawer || r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    drawer->FRect = r;
    drawer->FFrameColor = frame;
    drawer->Draw(vc);
}

} // namespace

TQVTPertBar* TQVTPertBarPertDrawer::box() const
{
    return dynamic_cast<TQVTPertBar*>(target);
}

TRect TQVTPertBarPertDrawer::baseRect()
{
    TQVTPertBar* pertBar = box();
    if (!pertBar)
        return NoRect;
    const TQVTGanttTable* table = pertBar->getTable();
    const TQVTPertBarSettings& settings = pertBar->effectiveSettings();
    // The PERT plane begins at the left edge of the view: the task tree is not beside it here.
    const std::int64_t left = std::int64_t{pertBar->Fx} - (table ? table->getPertStartX() : 0);
    const std::int64_t top = std::int64_t{pertBar->Fy} - (table ? table->getPertStartY() : 0);
    return TRect{saturate(left), saturate(top), saturate(left + settings.FWidth), saturate(top + settings.FHeight)};
}

TRect TQVTPertBarPertDrawer::getRect()
{
    return baseRect();
}

bool TQVTPertBarPertDrawer::Draw(TQVTVisualContext& vc)
{
    TQVTPertBar* pertBar = box();
    if (!pertBar)
        return false;
    const TQVTPertBarSettings& settings = pertBar->effectiveSettings();
    const TRect r = getRect();
    const int border =
        std::clamp(settings.FBorderThickness, 0, std::min(r.Right - r.Left, r.Bottom - r.Top) / 2);
    vc.FillArea(r, pertBar->FIsSummary ? settings.FBackgroundSummaryColor : settings.FBackGroundColor, bsSolid);
    innerRect = TRect{r.Left + border, r.Top + border, r.Right - border, r.Bottom - border};
    if (border > 0)
        vc.fillBounds(r, innerRect, settings.FBorderColor, bsSolid);
    if (TQVTGanttTable* table = pertBar->getTable())
        table->registerPertCoords(pertBar->Fx, pertBar->Fy);
    drawContents(vc, innerRect);
    lastRect = r;
    highlight(vc, r);
    return true;
}

void TQVTPertBarPertDrawer::drawContents(TQVTVisualContext& vc, TRect inner)
{
    TQVTPertBar* pertBar = box();
    const TQVTPertBarSettings& settings = pertBar->effectiveSettings();
    const TColor frame = settings.FBorderColor;
    const TRect base = baseRect();
    const int baseBottom = std::min(inner.Bottom, base.Bottom - (inner.Left - base.Left));
    const int band = (baseBottom - inner.Top) / 5;
    int top = inner.Top;
    int bottom = baseBottom;
    if (pertBar->FTopSection) {
        drawSection(vc, pertBar->FTopSection.get(), TRect{inner.Left, top, inner.Right, top + band}, frame);
        top += band;
    }
    if (pertBar->FBottomSection) {
        drawSection(vc, pertBar->FBottomSection.get(), TRect{inner.Left, bottom - band, inner.Right, bottom}, frame);
        bottom -= band;
    }
    drawSection(vc, pertBar->FMainSection.get(), TRect{inner.Left, top, inner.Right, bottom}, frame);
    if (!pertBar->FDetailed)
        return;
    const int extra = settings.FHeight / 5;
    int y = baseBottom;
    for (const auto& section : pertBar->FAdditionalSections) {
        if (y >= inner.Bottom)
            break;
        drawSection(vc, section.get(), TRect{inner.Left, y, inner.Right, std::min(y + extra, inner.Bottom)}, frame);
        y += extra;
    }
}

TRect TQVTPertBarTimespanPertDrawer::getRect()
{
    TRect r = baseRect();
    const TQVTPertBar* pertBar = box();
    if (pertBar && !pertBar->FIsSummary && pertBar->FDetailed)
        r.Bottom = saturate(std::int64_t{r.Bottom} + pertBar->effectiveSettings().FHeight / 2);
    return r;
}

void TQVTPertBarTimespanPertDrawer::drawContents(TQVTVisualContext& vc, TRect inner)
{
    TQVTPertBar* pertBar = box();
    const TQVTPertBarSettings& settings = pertBar->effectiveSettings();
    const TColor frame = settings.FBorderColor;
    const TRect base = baseRect();
    const int border = inner.Left - base.Left;
    // Quarters of the inner width and height of the box at its base size.
    const int w = inner.Right - inner.Left;
    const int h = std::max(base.Bottom - border - inner.Top, 0);
    const int q = w / 4;
    const int band = h / 4;
    vc.setFont(CellFont, CellFontSize, clBlack, false, false, false, 0);
    int y = inner.Top;
    if (pertBar->FIsSummary) {
        cell(vc, TRect{inner.Left, y, inner.Right, y + band}, "Sammelvorgang", frame);
        y += band;
    }

    const TQVTGanttRow* row = pertBar->getParentRow();
    std::string number = pertBar->FUserDefinedNumber;
    if (number.empty() && row)
        number = std::to_string(row->FOrder + 1);
    std::string dates = "--";
    if (pertBar->FstartDate != 0)
        dates = pertBar->FstartDate == pertBar->FendDate
                    ? dayText(pertBar->FstartDate)
                    : dayText(pertBar->FstartDate) + " - " + dayText(pertBar->FendDate);
    const int parent = row ? parentRowOf(*row) : -1;
    cell(vc, TRect{inner.Left, y, inner.Left + q, y + band}, number, frame);
    cell(vc, TRect{inner.Left + q, y, inner.Right - q, y + band}, dates, frame);
    // Appended piece by piece: GCC 12 warns falsely about "(" + text at -O3.
    std::string parentText;
    if (parent >= 0)
        parentText.append(1, '(').append(std::to_string(parent + 1)).append(1, ')');
    cell(vc, TRect{inner.Right - q, y, inner.Right, y + band}, parentText, frame);
    y += band;

    const int strip = inner.Top + h - h / 5;
    drawSection(vc, pertBar->FMainSection.get(), TRect{inner.Left, y, inner.Right, strip}, frame);
    const int progress = std::clamp(pertBar->FProgress, 0, 100);
    const int done = static_cast<int>(std::int64_t{w} * progress / 100);
    if (done > 0)
        vc.FillArea(TRect{inner.Left, strip, inner.Left + done, inner.Top + h},
                    progress >= 100 ? settings.FProgressBarFinishedColor : settings.FProgressBarColor, bsSolid);
    vc.drawRect(TRect{inner.Left, strip, inner.Right, inner.Top + h}, psSolid, frame);

    if (!pertBar->FDetailed || !pertBar->FHasTaskBar || pertBar->FIsSummary)
        return;
    // The time area: four columns of two lines below the box.
    const int top = inner.Top + h;
    const int line = (inner.Bottom - top) / 2;
    const std::string values[4][2] = {
        {wholeDays(pertBar->FEffectiveDuration), std::to_string(pertBar->FProgress) + "%"},
        {dayText(pertBar->FESTime), dayText(pertBar->FLSTime)},
        {dayText(pertBar->FEFTime), dayText(pertBar->FLFTime)},
        {wholeDays(pertBar->FLBTime), wholeDays(pertBar->FGBTime)},
    };
    vc.setFont(CellFont, CellFontSize, clBlack, false, false, false, 0);
    for (int c = 0; c < 4; ++c) {
        const int left = inner.Left + c * q;
        const int right = c == 3 ? inner.Right : left + q;
        cell(vc, TRect{left, top, right, top + line}, values[c][0], frame);
        cell(vc, TRect{left, top + line, right, inner.Bottom}, values[c][1], frame);
    }
}

TRect TQVTPertBarNoTimespanPertDrawer::getRect()
{
    TRect r = baseRect();
    const TQVTPertBar* pertBar = box();
    if (pertBar && pertBar->FDetailed && !pertBar->FAdditionalSections.empty())
        r.Bottom = saturate(std::int64_t{r.Bottom} + static_cast<std::int64_t>(pertBar->FAdditionalSections.size()) *
                                                         pertBar->effectiveSettings().FHeight / 5);
    return r;
}

TRect TQVTFakePertBarPertDrawer::getRect()
{
    const TRect r = baseRect();
    return TRect{r.Left, r.Top, r.Left, r.Top};
}

} // namespace corvane
