#include "corvane/platform/ColorUtils.h"

#include <algorithm>

namespace corvane {

namespace {

constexpr int RGBMax = 255;
constexpr int UndefinedHue = HLSMax * 2 / 3;

int channel(TColor color, int shift)
{
    return static_cast<int>((color >> shift) & 0xFF);
}

// One channel of the colour from the two magic values and the hue, 0-240.
int hueToRGB(int n1, int n2, int hue)
{
    if (hue < 0)
        hue += HLSMax;
    if (hue > HLSMax)
        hue -= HLSMax;
    if (hue < HLSMax / 6)
        return n1 + ((n2 - n1) * hue + HLSMax / 12) / (HLSMax / 6);
    if (hue < HLSMax / 2)
        return n2;
    if (hue < HLSMax * 2 / 3)
        return n1 + ((n2 - n1) * (HLSMax * 2 / 3 - hue) + HLSMax / 12) / (HLSMax / 6);
    return n1;
}

int toRGB(int value)
{
    return std::clamp((value * RGBMax + HLSMax / 2) / HLSMax, 0, RGBMax);
}

} // namespace

void ColorRGBToHLS(TColor color, int& hue, int& luminance, int& saturation)
{
    const int r = channel(color, 0);
    const int g = channel(color, 8);
    const int b = channel(color, 16);
    const int cMax = std::max({r, g, b});
    const int cMin = std::min({r, g, b});
    const int sum = cMax + cMin;
    const int delta = cMax - cMin;

    luminance = (sum * HLSMax + RGBMax) / (2 * RGBMax);
    if (delta == 0) {
        saturation = 0;
        hue = UndefinedHue;
        return;
    }
    if (luminance <= HLSMax / 2)
        saturation = (delta * HLSMax + sum / 2) / sum;
    else
        saturation = (delta * HLSMax + (2 * RGBMax - sum) / 2) / (2 * RGBMax - sum);

    const auto share = [&](int c) { return ((cMax - c) * (HLSMax / 6) + delta / 2) / delta; };
    if (r == cMax)
        hue = share(b) - share(g);
    else if (g == cMax)
        hue = HLSMax / 3 + share(r) - share(b);
    else
        hue = HLSMax * 2 / 3 + share(g) - share(r);
    if (hue < 0)
        hue += HLSMax;
    if (hue > HLSMax)
        hue -= HLSMax;
}

TColor ColorHLSToRGB(int hue, int luminance, int saturation)
{
    luminance = std::clamp(luminance, 0, HLSMax);
    saturation = std::clamp(saturation, 0, HLSMax);
    hue = ((hue % HLSMax) + HLSMax) % HLSMax;

    int r, g, b;
    if (saturation == 0) {
        r = g = b = toRGB(luminance);
    } else {
        const int magic2 = luminance <= HLSMax / 2
                               ? (luminance * (HLSMax + saturation) + HLSMax / 2) / HLSMax
                               : luminance + saturation - (luminance * saturation + HLSMax / 2) / HLSMax;
        const int magic1 = 2 * luminance - magic2;
        r = toRGB(hueToRGB(magic1, magic2, hue + HLSMax / 3));
        g = toRGB(hueToRGB(magic1, magic2, hue));
        b = toRGB(hueToRGB(magic1, magic2, hue - HLSMax / 3));
    }
    return static_cast<TColor>(r) | static_cast<TColor>(g) << 8 | static_cast<TColor>(b) << 16;
}

TColor ColorAdjustLuma(TColor color, int n)
{
    int hue, luminance, saturation;
    ColorRGBToHLS(color, hue, luminance, saturation);
    return ColorHLSToRGB(hue, luminance + n, saturation);
}

} // namespace corvane
