#include "corvane/platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace corvane {

namespace {

// a * b / c rounded half away from zero, as the platform's MulDiv.
int MulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long quotient = (std::llabs(product) * 2 + c) / (2LL * c);
    return static_cast<int>(product < 0 ? -quotient : quotient);
}

std::int32_t ToInt32(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double limit = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(std::round(value), -limit - 1, limit));
}

TRect Normalized(TRect r)
{
    if (r.Left > r.Right)
        std::swap(r.Left, r.Right);
    if (r.Top > r.Bottom)
        std::swap(r.Top, r.Bottom);
    return r;
}

} // namespace

void TCanvas::LineRun(bool vertical, int first, int from, int to, std::span<const TColor> colors)
{
    // 64 bits: the position after the last line may lie past the int range.
    std::int64_t at = first;
    for (const TColor color : colors) {
        FPen.Color = color;
        const int line = static_cast<int>(at++);
        if (vertical) {
            MoveTo(line, from);
            LineTo(line, to);
        } else {
            MoveTo(from, line);
            LineTo(to, line);
        }
    }
}

int TFont::Size() const
{
    return -MulDiv(FHeight, 72, PixelsPerInch);
}

void TFont::SetSize(int points)
{
    FHeight = -MulDiv(points, PixelsPerInch, 72);
}

TPoint TCanvas::LPtoDP(const TPoint& p) const
{
    return Point(ToInt32(FMapping.OriginX + p.X * FMapping.ScaleX), ToInt32(FMapping.OriginY + p.Y * FMapping.ScaleY));
}

TRect TCanvas::LPtoDP(const TRect& r) const
{
    const TPoint topLeft = LPtoDP(Point(r.Left, r.Top));
    const TPoint bottomRight = LPtoDP(Point(r.Right, r.Bottom));
    return Rect(topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y);
}

TPoint TCanvas::DPtoLP(const TPoint& p) const
{
    return Point(ToInt32((p.X - FMapping.OriginX) / FMapping.ScaleX),
                 ToInt32((p.Y - FMapping.OriginY) / FMapping.ScaleY));
}

// A mirroring mapping would turn the rectangle inside out; device boxes are
// always given the right way round.
TRect TCanvas::DPtoLP(const TRect& r) const
{
    const TPoint topLeft = DPtoLP(Point(r.Left, r.Top));
    const TPoint bottomRight = DPtoLP(Point(r.Right, r.Bottom));
    return Normalized(Rect(topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y));
}

} // namespace corvane
