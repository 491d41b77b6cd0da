#include "corvane/framework/time/qvtTimeScaleDrawer.h"

#include "corvane/framework/objects/qvtDocumentSetup.h"
#include "corvane/framework/rendering/qvtVisualContext.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/framework/time/qvtTimeScale.h"
#include "corvane/platform/Graphics.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace corvane {

namespace {

constexpr int UnpaintedTextHeight = 8;
constexpr int SmallestFontSize = 3;
// Above this many sizes to try, the fitting bisects instead of counting down one by one.
constexpr int LinearFitSteps = 16;
constexpr TColor GradientTop = 0xFFFFFF;
// Pixel positions stay far inside the int range, whatever the dates and column width.
constexpr double PixelLimit = 1 << 30;
// Beyond this many periods a month-based tier lies past any date the calendar holds.
constexpr double MaxSkippedPeriods = 1e6;

int Pixel(double x)
{
    return static_cast<int>(std::nearbyint(std::clamp(x, -PixelLimit, PixelLimit)));
}

// Months, quarters and years of a calendar in months are whole columns: 1, 3 and 12.
int FixedColumns(TQVTTimeMode calendarMode, TQVTTimeMode tierMode)
{
    if (calendarMode != tmMonth)
        return 0;
    switch (tierMode) {
    case tmMonth:
        return 1;
    case tmQuarter:
        return 3;
    case tmYear:
        return 12;
    default:
        return 0;
    }
}

} // namespace

TQVTTimeScaleDrawer::TQVTTimeScaleDrawer(TQVTTimeScale* target) : TQVTDrawer(target) {}

TQVTTimeScale* TQVTTimeScaleDrawer::scale() const
{
    return static_cast<TQVTTimeScale*>(target);
}

int TQVTTimeScaleDrawer::getHeight()
{
    return scale()->scaleHeight;
}

int TQVTTimeScaleDrawer::getFontSize()
{
    if (!painted)
        return UnpaintedTextHeight;
    // The context of the last paint may be gone by now; a bitmap measures as it did.
    TBitmap measure;
    measure.SetSize(1, 1);
    TCanvas& canvas = measure.Canvas();
    canvas.Font().Name = "Arial";
    canvas.Font().SetSize(scale()->fontSize);
    canvas.Font().Style = TFontStyles{};
    return canvas.TextHeight("A");
}

bool TQVTTimeScaleDrawer::Draw(TQVTVisualContext& context)
{
    TQVTDocumentSetup* document = FindDocumentSetup(scale());
    if (!document)
        return true;
    vc = &context;
    painted = true;
    startDate = document->getStartDate();
    endDate = document->getEndDate();

    const auto paintAt = [&](int top) {
        const TRect visible = context.getVisibleArea();
        scaleArea = TRect{document->getColStartX(0), top, visible.Right, top + scale()->scaleHeight};
        dbl_scaleArea = TDoubleRect{double(scaleArea.Top), double(scaleArea.Left), double(scaleArea.Right),
                                    double(scaleArea.Bottom)};
        if (scaleArea.Right <= scaleArea.Left)
            return;
        context.SetClipRect(scaleArea);
        showLabels();
        context.ResetClipRect();
    };
    paintAt(document->scaleStartY(scale()));
    if (document->getTimeScaleUnder()) {
        // The copy goes below the rows, the tiers mirrored so that the finest one meets the
        // chart; the offset alone would paint it over the tiers above the chart.
        IQVTChartTable* table = document->GetTable();
        const int tableBottom = table ? table->getRowStartY(table->countRows()) : document->GetTableStartY();
        paintAt(tableBottom + document->scaleStartUnderY(scale()));
    }
    vc = nullptr;
    return true;
}

int TQVTTimeScaleDrawer::fitFont(const TRect& r, const std::string& label)
{
    TQVTTimeScale& s = *scale();
    const int width = r.Right - r.Left;
    const int height = r.Bottom - r.Top;
    int size = s.fontSize;
    const auto setSize = [&](int value) {
        size = value;
        vc->setFont("Arial", size, s.FfontColor, false, false, false, 0);
    };
    // At the tier's own size a label may touch the edges; once shrinking, it must stay clear.
    const auto fitsLoosely = [&] { return width >= vc->TextWidth(label) && height >= vc->TextHeight(label); };
    const auto fitsClear = [&] { return width > vc->TextWidth(label) && height > vc->TextHeight(label); };

    setSize(size);
    if (fitsLoosely() || size <= SmallestFontSize)
        return size;
    int high = size - 1; // the largest size still to try
    if (high - SmallestFontSize > LinearFitSteps) {
        // Huge sizes from a file: bisect for the largest size that fits, then count down from
        // just above it as the plain walk would.
        int low = SmallestFontSize;
        while (low < high) {
            const int mid = low + (high - low + 1) / 2;
            setSize(mid);
            if (fitsClear())
                low = mid;
            else
                high = mid - 1;
        }
        high = std::min(size - 1, low + 1);
    }
    for (int next = high;; --next) {
        setSize(next);
        if (fitsClear() || next <= SmallestFontSize)
            return next;
    }
}

void TQVTTimeScaleDrawer::showLabels()
{
    TQVTTimeScale& s = *scale();
    TQVTDocumentSetup* document = FindDocumentSetup(&s);
    IQVTChartTable* table = document ? document->GetTable() : nullptr;

    vc->FillArea(scaleArea, s.baseColor, bsSolid);
    if (table && table->GetDraw3D()) {
        TRect top = scaleArea;
        top.Bottom = top.Top + (scaleArea.Bottom - scaleArea.Top) / 3;
        vc->gradientFill(top, GradientTop, s.baseColor, false);
    }
    const TQVTTimeMode mode = s.getTimeMode();
    if ((table && !s.FShowDates) || mode == tmNone || !document)
        return;

    vc->setFont("Arial", s.fontSize, s.FfontColor, false, false, false, 0);
    vc->setDrawingColor(s.FlineColor);

    // Without a column width there is no time axis to place periods on.
    const int columnWidth = table ? table->GetColumnWidth() : 0;
    if (columnWidth <= 0)
        return;
    TQVTDocumentCalendar* calendar = document->getCalendar();
    const TQVTTimeMode calendarMode = calendar ? calendar->getTimeMode() : tmDay;
    const double origin = scaleArea.Left;
    const auto xOf = [&](TDateTime t) { return origin + columnWidth * RealDiff(t, startDate, calendarMode); };

    const TRect clip = vc->clippingArea();
    TDateTime t = s.StartOfPeriod(startDate);
    // Hours are counted from the first one in one step each, never summed, so that a walk from
    // the clip's edge meets the same pixels as a walk from the start.
    const TDateTime firstHour = t;
    int hourIndex = 0;
    const int fixedColumns = FixedColumns(calendarMode, mode);
    const double fixedWidth = double(fixedColumns) * columnWidth;
    double left = xOf(t);
    // Periods wholly left of the clip are jumped over, not walked.
    if (fixedColumns > 0) {
        const double skip = std::floor((clip.Left - left) / fixedWidth) - 1;
        if (skip > 0) {
            const int periods = static_cast<int>(std::min(skip, MaxSkippedPeriods));
            t = Add(t, periods * fixedColumns, calendarMode);
            left += periods * fixedWidth;
        }
    } else if (clip.Left > left) {
        // Back one period: the date found at the clip's edge may lie a little after it.
        const TDateTime atEdge = RealAdd(startDate, (clip.Left - origin) / columnWidth, calendarMode);
        TDateTime first = s.Prev(s.StartOfPeriod(atEdge));
        if (mode == tmHour) {
            // Hours are not truncated: they count on from the first one.
            const double hours = std::floor(RealDiff(atEdge, t, tmHour)) - 1;
            hourIndex = hours > 0 ? static_cast<int>(std::min(hours, MaxSkippedPeriods)) : 0;
            first = Add(t, hourIndex, tmHour);
        }
        if (first > t) {
            t = first;
            left = xOf(t);
        }
    }

    // Each period is at least a pixel wide unless the tier is finer than the calendar; the
    // budget keeps such a tier from walking more periods than the clip has pixels.
    long long budget = static_cast<long long>(clip.Right) - clip.Left + 2;
    dbl_scaleArea.Left = left;
    while (t < endDate && budget-- > 0) {
        const TDateTime next = mode == tmHour ? Add(firstHour, ++hourIndex, tmHour) : s.Next(t);
        if (!(next > t))
            break;
        const double right = fixedColumns > 0 ? left + fixedWidth : xOf(next);
        dbl_scaleArea.Right = right;
        const int x = Pixel(left);
        if (x >= clip.Right)
            break;
        const int xRight = Pixel(right);
        if (xRight >= clip.Left) {
            const std::string label = s.PeriodToString(t);
            TRect r{x, scaleArea.Top, xRight, scaleArea.Bottom};
            // A period cut by the clip keeps its label in the part that shows, when it fits there.
            if (r.Left < clip.Left && r.Right > clip.Left && vc->TextWidth(label) < r.Right - clip.Left)
                r.Left = clip.Left;
            if (r.Right > clip.Right && r.Left < clip.Right && vc->TextWidth(label) < clip.Right - r.Left)
                r.Right = clip.Right;
            fitFont(r, label);
            vc->centerText(r, label, false);
            vc->drawLine(x, scaleArea.Top, x, scaleArea.Bottom);
            vc->drawLine(x, scaleArea.Bottom - 1, xRight, scaleArea.Bottom - 1);
        }
        t = next;
        left = right;
        dbl_scaleArea.Left = left;
    }
}

} // namespace corvane
